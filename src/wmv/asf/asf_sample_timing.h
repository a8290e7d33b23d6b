#pragma once
// Sample times and durations as callers see them: 100 ns, preroll removed; the duration from
// the sample-duration payload extension when the stream has one, else made up from the format.
// A stream that starts far past the file's end is moved back to the file's start (see
// LateStreamShifts).
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

  // The stored time with the stream's shift taken off, preroll still included.
  uint32_t AlignedMs(uint8_t stream, uint32_t presentationTimeMs) const;
  uint64_t TimeOf(uint8_t stream, uint32_t presentationTimeMs) const;  // aligned, preroll removed, not below 0
  AsfSample ToSample(AsfMediaObject object) const;
  uint32_t ShiftOf(uint8_t stream) const;
  // The distinct shifts of the streams seen at the start of the data (0 when none was seen):
  // packets whose streams share a shift are sent in the order of those streams' aligned times.
  std::vector<uint32_t> ShiftGroups() const;

private:
  struct StreamTiming {
    std::vector<AsfPayloadExtensionSystem> extensions;
    uint64_t frameTime = 0;        // video: 100 ns per frame, 0 when unknown
    uint32_t bytesPerSecond = 0;   // audio
  };
  uint64_t DurationOf(const AsfMediaObject& object, const StreamTiming& timing) const;

  uint64_t preroll_ = 0;
  std::map<uint8_t, StreamTiming> streams_;
  std::map<uint8_t, uint32_t> shifts_;
};

}  // namespace korvel::asf
