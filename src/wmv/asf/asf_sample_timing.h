#pragma once
// Sample times and durations as callers see them: 100 ns, preroll removed; the duration from
// the sample-duration payload extension when the stream has one, else made up from the format.
#include <cstdint>
#include <map>
#include <vector>

#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_object_assembler.h"
#include "wmv/asf/asf_sample.h"

namespace korvel::asf {

class AsfSampleTiming {
public:
  explicit AsfSampleTiming(const AsfFile& file);

  uint64_t TimeOf(uint32_t presentationTimeMs) const;  // preroll removed, not below 0
  AsfSample ToSample(AsfMediaObject object) const;

private:
  struct StreamTiming {
    std::vector<AsfPayloadExtensionSystem> extensions;
    uint64_t frameTime = 0;        // video: 100 ns per frame, 0 when unknown
    uint32_t bytesPerSecond = 0;   // audio
  };
  uint64_t DurationOf(const AsfMediaObject& object, const StreamTiming& timing) const;

  uint64_t preroll_ = 0;
  std::map<uint8_t, StreamTiming> streams_;
};

}  // namespace korvel::asf
