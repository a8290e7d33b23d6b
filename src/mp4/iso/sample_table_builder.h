#pragma once
// The sample tables of one track, gathered while its samples are appended to the media data
// and written out as stts, ctts, stss, stsz, stsc and stco (or co64) when the movie closes.
// Memory stays small for long movies: times are kept as runs, the sync sample ids only once
// some sample is not sync, and samples stored back to back share one chunk.
#include <cstdint>
#include <string>
#include <vector>

#include "mp4/iso/box_writer.h"

namespace korvel::iso {

class SampleTableBuilder {
public:
  // Records one sample stored at fileOffset. False with error set, and nothing recorded, when
  // a value does not fit its table: a duration beyond 32 bits, a rendering offset beyond the
  // signed 32-bit range, or a track already holding the largest sample count a table can count.
  bool Add(uint64_t fileOffset, uint32_t size, uint64_t duration, int64_t renderingOffset, bool isSync,
           std::string* error);

  uint32_t SampleCount() const { return static_cast<uint32_t>(sizes_.size()); }
  // Sum of all sample durations (track timescale units).
  uint64_t TotalDuration() const { return totalDuration_; }
  // True when a chunk begins beyond 32 bits, so its offset needs co64.
  bool NeedsLargeOffsets() const;
  // ctts version 1 carries signed offsets; version 0 is kept when none is negative, for
  // readers that know only the first edition of the format.
  bool HasNegativeRenderingOffset() const { return hasNegativeOffset_; }

  // Appends the tables to w, in the order a sample table box lists them; ctts only when some
  // sample has a rendering offset, stss only when some sample is not sync.
  void WriteBoxes(BoxWriter& w) const;

private:
  struct Run {
    uint32_t count;
    int64_t value;
  };
  struct Chunk {
    uint64_t offset;
    uint32_t samples;
  };

  static void Extend(std::vector<Run>& runs, int64_t value);

  std::vector<Run> durations_;
  std::vector<Run> renderingOffsets_;
  std::vector<uint32_t> syncSamples_;  // 1-based ids
  std::vector<uint32_t> sizes_;
  std::vector<Chunk> chunks_;
  uint64_t nextOffset_ = 0;  // where a sample must start to continue the last chunk
  uint64_t totalDuration_ = 0;
  bool hasNegativeOffset_ = false;
  bool hasRenderingOffset_ = false;
  bool allSync_ = true;
};

}  // namespace korvel::iso
