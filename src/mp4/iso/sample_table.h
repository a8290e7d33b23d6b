#pragma once
// A track's sample tables turned into a compact lookup: run tables for times, composition
// offsets and sample-to-chunk, the chunk offsets, the sizes (none when they are all equal),
// and one file offset for every 64th sample so that finding a sample's place sums at most 63
// sizes. Nothing is expanded to one 64-bit record per sample.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_view.h"

namespace korvel::iso {

// The payloads of the tables found in one "stbl"; a missing table is nullopt.
struct SampleTableBoxes {
  std::optional<ByteView> stts, ctts, stss, stsz, stz2, stsc, stco, co64;
};

class SampleTable {
public:
  // Checks the tables against each other and against their boxes. Nothing with error set
  // when they are malformed or disagree about the number of samples.
  static std::optional<SampleTable> Build(const SampleTableBoxes& boxes, std::string* error);

  // Indexes are 0-based and must be below Count().
  uint32_t Count() const { return count_; }
  uint64_t Time(uint32_t index) const;
  uint32_t Duration(uint32_t index) const;
  int64_t RenderingOffset(uint32_t index) const;
  bool IsSync(uint32_t index) const;
  uint32_t Size(uint32_t index) const;
  // Nothing when the offset does not fit 64 bits.
  std::optional<uint64_t> Offset(uint32_t index) const;

  // The sample whose decode interval holds time; nothing past the end.
  std::optional<uint32_t> IndexAtTime(uint64_t time) const;
  // The last sync sample at or before index; nothing when there is none.
  std::optional<uint32_t> SyncAtOrBefore(uint32_t index) const;

  uint64_t TotalDuration() const { return totalDuration_; }
  uint64_t TotalBytes() const { return totalBytes_; }
  uint32_t MaxSize() const { return maxSize_; }
  // The duration every sample shares, if they all do.
  std::optional<uint32_t> FixedDuration() const { return fixedDuration_; }

private:
  struct TimeRun {
    uint32_t firstSample;
    uint32_t delta;
    uint64_t firstTime;
  };
  struct OffsetRun {
    uint32_t firstSample;
    int32_t offset;
  };

  bool BuildTimes(ByteView stts, std::string* error);
  bool BuildCompositionOffsets(ByteView ctts, std::string* error);
  bool BuildSync(ByteView stss, std::string* error);
  bool BuildSizes(const SampleTableBoxes& boxes, std::string* error);
  bool BuildChunks(const SampleTableBoxes& boxes, std::string* error);
  size_t ChunkOf(uint32_t index) const;

  uint32_t count_ = 0;
  std::vector<TimeRun> times_;
  std::vector<OffsetRun> compositionOffsets_;
  bool allSync_ = true;
  std::vector<uint32_t> syncSamples_;  // 0-based, ascending
  uint32_t fixedSize_ = 0;             // when non-zero, sizes_ is empty
  std::vector<uint32_t> sizes_;
  std::vector<uint64_t> chunkOffsets_;
  std::vector<uint32_t> chunkFirstSample_;
  std::vector<uint64_t> checkpoints_;  // file offset of sample 64 * i (variable sizes only)
  uint64_t totalDuration_ = 0;
  uint64_t totalBytes_ = 0;
  uint32_t maxSize_ = 0;
  std::optional<uint32_t> fixedDuration_;
};

}  // namespace korvel::iso
