#pragma once
// The simple index of one video stream, built while its key frames are written: for every
// second of presentation time the packet where the latest key frame at or before it begins and
// how many packets that frame spans. Players seek with it; without one they must scan.
#include <cstdint>
#include <vector>

#include "base/guid.h"
#include "wmv/asf/asf_packet_writer.h"
#include "wmv/asf/asf_simple_index.h"

namespace korvel::asf {

inline constexpr uint64_t kIndexInterval = 10'000'000;  // 100 ns: one second

class AsfIndexWriter {
public:
  // time: the key frame's presentation time in 100 ns, preroll included.
  void AddKeyFrame(uint64_t time, const AsfObjectPlacement& placement);

  // The whole simple index object with entries for every interval up to lastTime (100 ns,
  // preroll included). Intervals before the first key frame point at the first packet.
  std::vector<uint8_t> Build(const Guid& fileId, uint64_t lastTime) const;

private:
  struct KeyFrame {
    uint64_t time;
    AsfObjectPlacement placement;
  };
  std::vector<KeyFrame> keyFrames_;
};

}  // namespace korvel::asf
