#include "mp4/iso/sample_table_builder.h"

#include <algorithm>
#include <limits>

namespace korvel::iso {

void SampleTableBuilder::Extend(std::vector<Run>& runs, int64_t value) {
  if (!runs.empty() && runs.back().value == value)
    ++runs.back().count;
  else
    runs.push_back({1, value});
}

bool SampleTableBuilder::Add(uint64_t fileOffset, uint32_t size, uint64_t duration, int64_t renderingOffset,
                             bool isSync, std::string* error) {
  auto fail = [error](const std::string& what) {
    if (error) *error = what;
    return false;
  };
  if (sizes_.size() >= std::numeric_limits<uint32_t>::max()) return fail("the track holds too many samples");
  if (duration > std::numeric_limits<uint32_t>::max())
    return fail("sample duration " + std::to_string(duration) + " does not fit 32 bits");
  if (renderingOffset < std::numeric_limits<int32_t>::min() || renderingOffset > std::numeric_limits<int32_t>::max())
    return fail("rendering offset " + std::to_string(renderingOffset) + " does not fit 32 bits");

  const uint32_t id = SampleCount() + 1;
  Extend(durations_, static_cast<int64_t>(duration));
  Extend(renderingOffsets_, renderingOffset);
  hasRenderingOffset_ = hasRenderingOffset_ || renderingOffset != 0;
  hasNegativeOffset_ = hasNegativeOffset_ || renderingOffset < 0;
  // Until a sample is not sync the list would name every id; it is filled in only then.
  if (allSync_ && !isSync) {
    allSync_ = false;
    for (uint32_t i = 1; i < id; ++i) syncSamples_.push_back(i);
  } else if (!allSync_ && isSync) {
    syncSamples_.push_back(id);
  }
  sizes_.push_back(size);
  if (!chunks_.empty() && fileOffset == nextOffset_)
    ++chunks_.back().samples;
  else
    chunks_.push_back({fileOffset, 1});
  nextOffset_ = fileOffset + size;
  totalDuration_ += duration;
  return true;
}

bool SampleTableBuilder::NeedsLargeOffsets() const {
  return std::ranges::any_of(chunks_, [](const Chunk& c) { return c.offset > std::numeric_limits<uint32_t>::max(); });
}

void SampleTableBuilder::WriteBoxes(BoxWriter& w) const {
  size_t box = w.BeginFull("stts", 0, 0);
  w.U32(static_cast<uint32_t>(durations_.size()));
  for (const Run& run : durations_) {
    w.U32(run.count);
    w.U32(static_cast<uint32_t>(run.value));
  }
  w.End(box);

  if (hasRenderingOffset_) {
    box = w.BeginFull("ctts", hasNegativeOffset_ ? 1 : 0, 0);
    w.U32(static_cast<uint32_t>(renderingOffsets_.size()));
    for (const Run& run : renderingOffsets_) {
      w.U32(run.count);
      w.I32(static_cast<int32_t>(run.value));
    }
    w.End(box);
  }

  if (!allSync_) {
    box = w.BeginFull("stss", 0, 0);
    w.U32(static_cast<uint32_t>(syncSamples_.size()));
    for (uint32_t id : syncSamples_) w.U32(id);
    w.End(box);
  }

  box = w.BeginFull("stsz", 0, 0);
  // A common size of 0 would say that the sizes follow: samples that are all empty are listed.
  const bool sameSize =
      !sizes_.empty() && sizes_[0] != 0 && std::ranges::all_of(sizes_, [&](uint32_t s) { return s == sizes_[0]; });
  w.U32(sameSize ? sizes_[0] : 0);
  w.U32(SampleCount());
  if (!sameSize)
    for (uint32_t size : sizes_) w.U32(size);
  w.End(box);

  // One entry per run of chunks holding the same number of samples.
  box = w.BeginFull("stsc", 0, 0);
  const size_t countAt = w.bytes().size();
  w.U32(0);
  uint32_t entries = 0;
  for (size_t i = 0; i < chunks_.size(); ++i) {
    if (i > 0 && chunks_[i].samples == chunks_[i - 1].samples) continue;
    w.U32(static_cast<uint32_t>(i + 1));
    w.U32(chunks_[i].samples);
    w.U32(1);  // every chunk uses the track's only sample description
    ++entries;
  }
  w.PatchU32(countAt, entries);
  w.End(box);

  const bool large = NeedsLargeOffsets();
  box = w.BeginFull(large ? "co64" : "stco", 0, 0);
  w.U32(static_cast<uint32_t>(chunks_.size()));
  for (const Chunk& chunk : chunks_) {
    if (large)
      w.U64(chunk.offset);
    else
      w.U32(static_cast<uint32_t>(chunk.offset));
  }
  w.End(box);
}

}  // namespace korvel::iso
