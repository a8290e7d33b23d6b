#pragma once
// Finding where reading must start for a range that begins at S: the latest clean point of the
// key stream at or before S, found by walking packets from a starting packet.
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_sample_timing.h"

namespace korvel::asf {

struct AsfCleanPointScan {
  std::optional<uint64_t> cleanTime;  // 100 ns, preroll removed
  uint64_t cleanPacket = 0;           // where that clean point's object begins
  bool reachedS = false;              // some sample at or after S exists
  uint64_t firstPacket = 0;           // where the walk began
};

// The last packet sent at or before sendTimeMs, found by halving; damaged packets count as sent
// later. 0 when there is none.
uint64_t PacketSentBy(const AsfFile& file, uint64_t sendTimeMs);

// Walks from fromPacket until the key stream (0: none, then any stream) shows a sample after S,
// or the data ends. Damaged packets are stepped over.
AsfCleanPointScan ScanForCleanPoint(const AsfFile& file, const AsfSampleTiming& timing, uint64_t fromPacket,
                                    uint16_t keyStream, uint64_t s);

// The first video stream: the one whose clean points decide where reading a range starts; 0 when
// the file has no video.
uint16_t FirstVideoStream(const AsfFile& file);

struct AsfCleanPoints {
  std::vector<uint64_t> times;  // 100 ns, preroll removed, in the order the packets hold them
  uint64_t frameStep = 0;       // the shortest step between two frames of the key stream; 0: none
};

// Every clean point of the key stream: the clean points ScanForCleanPoint can settle on, found by
// the same walk over the whole file. Stops early, with what it found so far, once stop is set.
AsfCleanPoints ListCleanPoints(const AsfFile& file, const AsfSampleTiming& timing, uint16_t keyStream,
                               const std::atomic<bool>* stop = nullptr);

}  // namespace korvel::asf
