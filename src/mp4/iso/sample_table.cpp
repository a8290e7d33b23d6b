#include "mp4/iso/sample_table.h"

#include <algorithm>
#include <limits>

namespace korvel::iso {
namespace {

constexpr uint32_t kCheckpointShift = 6;  // one stored offset per 64 samples

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// Reads a table's entry count (the 32-bit field just before its entries) and checks that the
// entries fit in the box, so nothing is ever sized from a count the box cannot hold.
bool EntryCount(ByteView payload, size_t entriesAt, size_t entrySize, const char* name, uint32_t& count,
                std::string* error) {
  const auto stored = payload.U32BE(entriesAt - 4);
  if (!stored) {
    SetError(error, std::string("the '") + name + "' box is too short");
    return false;
  }
  const uint64_t room = payload.size() - entriesAt;
  if (static_cast<uint64_t>(*stored) * entrySize > room) {
    SetError(error, std::string("the '") + name + "' box counts " + std::to_string(*stored) + " entries but holds room for " +
                        std::to_string(room / entrySize));
    return false;
  }
  count = *stored;
  return true;
}

}  // namespace

std::optional<SampleTable> SampleTable::Build(const SampleTableBoxes& boxes, std::string* error) {
  SampleTable table;
  if (!table.BuildSizes(boxes, error)) return std::nullopt;
  if (table.count_ > 0) {
    if (!boxes.stts) {
      SetError(error, "the track has samples but no time-to-sample table");
      return std::nullopt;
    }
    if (!table.BuildTimes(*boxes.stts, error)) return std::nullopt;
    if (boxes.ctts && !table.BuildCompositionOffsets(*boxes.ctts, error)) return std::nullopt;
    if (boxes.stss && !table.BuildSync(*boxes.stss, error)) return std::nullopt;
    if (!table.BuildChunks(boxes, error)) return std::nullopt;
  }
  return table;
}

bool SampleTable::BuildSizes(const SampleTableBoxes& boxes, std::string* error) {
  if (boxes.stsz) {
    const ByteView p = *boxes.stsz;
    const auto fixed = p.U32BE(4);
    const auto count = p.U32BE(8);
    if (!fixed || !count) {
      SetError(error, "the 'stsz' box is too short");
      return false;
    }
    if (*fixed != 0) {
      fixedSize_ = *fixed;
      count_ = *count;
      maxSize_ = count_ ? fixedSize_ : 0;
      totalBytes_ = static_cast<uint64_t>(fixedSize_) * count_;  // both below 2^32: fits
      return true;
    }
    uint32_t n = 0;
    if (!EntryCount(p, 12, 4, "stsz", n, error)) return false;
    sizes_.resize(n);
    for (uint32_t i = 0; i < n; ++i) sizes_[i] = *p.U32BE(12 + size_t{i} * 4);
  } else if (boxes.stz2) {
    const ByteView p = *boxes.stz2;
    const auto fieldSize = p.U8(7);
    const auto count = p.U32BE(8);
    if (!fieldSize || !count) {
      SetError(error, "the 'stz2' box is too short");
      return false;
    }
    if (*fieldSize != 4 && *fieldSize != 8 && *fieldSize != 16) {
      SetError(error, "the 'stz2' box has field size " + std::to_string(*fieldSize));
      return false;
    }
    const uint64_t room = p.size() - 12;
    if ((static_cast<uint64_t>(*count) * *fieldSize + 7) / 8 > room) {
      SetError(error, "the 'stz2' box counts " + std::to_string(*count) + " samples but is too short for them");
      return false;
    }
    sizes_.resize(*count);
    for (uint32_t i = 0; i < *count; ++i) {
      if (*fieldSize == 16) {
        sizes_[i] = *p.U16BE(12 + size_t{i} * 2);
      } else if (*fieldSize == 8) {
        sizes_[i] = *p.U8(12 + size_t{i});
      } else {
        const uint8_t pair = *p.U8(12 + size_t{i} / 2);
        sizes_[i] = (i % 2 == 0) ? (pair >> 4) : (pair & 0x0F);
      }
    }
  } else {
    SetError(error, "the track has no sample size table");
    return false;
  }
  count_ = static_cast<uint32_t>(sizes_.size());
  for (const uint32_t size : sizes_) {
    totalBytes_ += size;
    maxSize_ = std::max(maxSize_, size);
  }
  return true;
}

bool SampleTable::BuildTimes(ByteView stts, std::string* error) {
  uint32_t n = 0;
  if (!EntryCount(stts, 8, 8, "stts", n, error)) return false;
  uint64_t sample = 0;
  uint64_t time = 0;
  bool fixed = true;
  for (uint32_t i = 0; i < n && sample < count_; ++i) {
    const uint32_t runLength = *stts.U32BE(8 + size_t{i} * 8);
    const uint32_t delta = *stts.U32BE(12 + size_t{i} * 8);
    if (runLength == 0) continue;
    // Samples the size table does not know are not part of the track.
    const uint64_t used = std::min<uint64_t>(runLength, count_ - sample);
    if (!times_.empty() && times_.back().delta != delta) fixed = false;
    times_.push_back({static_cast<uint32_t>(sample), delta, time});
    // At most 2^32 samples of at most 2^32 - 1 ticks: below 2^64.
    time += used * delta;
    sample += used;
  }
  if (sample < count_) {
    SetError(error, "the time-to-sample table covers " + std::to_string(sample) + " of " + std::to_string(count_) +
                        " samples");
    return false;
  }
  totalDuration_ = time;
  if (fixed && !times_.empty()) fixedDuration_ = times_.front().delta;
  return true;
}

bool SampleTable::BuildCompositionOffsets(ByteView ctts, std::string* error) {
  uint32_t n = 0;
  if (!EntryCount(ctts, 8, 8, "ctts", n, error)) return false;
  uint64_t sample = 0;
  for (uint32_t i = 0; i < n && sample < count_; ++i) {
    const uint32_t runLength = *ctts.U32BE(8 + size_t{i} * 8);
    // Version 1 stores signed offsets; version 0 is unsigned, but writers have long put negative
    // values there as well, and an unsigned offset beyond 2^31 ticks is never meant.
    const auto offset = static_cast<int32_t>(*ctts.U32BE(12 + size_t{i} * 8));
    if (runLength == 0) continue;
    compositionOffsets_.push_back({static_cast<uint32_t>(sample), offset});
    sample += std::min<uint64_t>(runLength, count_ - sample);
  }
  // Samples past the table play at their decode time.
  if (sample < count_) compositionOffsets_.push_back({static_cast<uint32_t>(sample), 0});
  return true;
}

bool SampleTable::BuildSync(ByteView stss, std::string* error) {
  uint32_t n = 0;
  if (!EntryCount(stss, 8, 4, "stss", n, error)) return false;
  allSync_ = false;
  syncSamples_.reserve(n);
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t number = *stss.U32BE(8 + size_t{i} * 4);
    if (number >= 1 && number <= count_) syncSamples_.push_back(number - 1);
  }
  std::sort(syncSamples_.begin(), syncSamples_.end());
  syncSamples_.erase(std::unique(syncSamples_.begin(), syncSamples_.end()), syncSamples_.end());
  return true;
}

bool SampleTable::BuildChunks(const SampleTableBoxes& boxes, std::string* error) {
  uint32_t chunks = 0;
  if (boxes.stco) {
    if (!EntryCount(*boxes.stco, 8, 4, "stco", chunks, error)) return false;
    chunkOffsets_.resize(chunks);
    for (uint32_t i = 0; i < chunks; ++i) chunkOffsets_[i] = *boxes.stco->U32BE(8 + size_t{i} * 4);
  } else if (boxes.co64) {
    if (!EntryCount(*boxes.co64, 8, 8, "co64", chunks, error)) return false;
    chunkOffsets_.resize(chunks);
    for (uint32_t i = 0; i < chunks; ++i) chunkOffsets_[i] = *boxes.co64->U64BE(8 + size_t{i} * 8);
  } else {
    SetError(error, "the track has samples but no chunk offset table");
    return false;
  }
  if (!boxes.stsc) {
    SetError(error, "the track has samples but no sample-to-chunk table");
    return false;
  }
  const ByteView stsc = *boxes.stsc;
  uint32_t n = 0;
  if (!EntryCount(stsc, 8, 12, "stsc", n, error)) return false;

  chunkFirstSample_.assign(chunks, count_);
  uint64_t sample = 0;
  uint32_t previousFirst = 0;
  for (uint32_t i = 0; i < n && sample < count_; ++i) {
    const uint32_t firstChunk = *stsc.U32BE(8 + size_t{i} * 12);
    const uint32_t perChunk = *stsc.U32BE(12 + size_t{i} * 12);
    if (firstChunk <= previousFirst) {
      SetError(error, "the sample-to-chunk table is not in chunk order");
      return false;
    }
    previousFirst = firstChunk;
    if (firstChunk > chunks) break;
    // The run lasts until the next entry's first chunk, or to the last chunk.
    uint64_t endChunk = uint64_t{chunks} + 1;  // 1-based, exclusive
    if (i + 1 < n) endChunk = std::min<uint64_t>(endChunk, *stsc.U32BE(8 + size_t{i + 1} * 12));
    for (uint64_t chunk = firstChunk; chunk < endChunk && sample < count_; ++chunk) {
      chunkFirstSample_[chunk - 1] = static_cast<uint32_t>(sample);
      sample += std::min<uint64_t>(perChunk, count_ - sample);
    }
  }
  if (sample < count_) {
    SetError(error, "the chunk tables hold " + std::to_string(sample) + " of " + std::to_string(count_) + " samples");
    return false;
  }
  // Chunks before the first entry hold nothing; mark them as starting at sample 0 so the
  // search for a sample's chunk skips over them.
  for (uint32_t c = 0; c < chunks && chunkFirstSample_[c] == count_; ++c) chunkFirstSample_[c] = 0;

  if (!sizes_.empty()) {
    checkpoints_.resize(((size_t{count_} - 1) >> kCheckpointShift) + 1, 0);
    for (uint32_t c = 0; c < chunks; ++c) {
      const uint32_t begin = chunkFirstSample_[c];
      const uint32_t end = (c + 1 < chunks) ? chunkFirstSample_[c + 1] : count_;
      uint64_t offset = chunkOffsets_[c];
      for (uint32_t s = begin; s < end; ++s) {
        if ((s & ((1u << kCheckpointShift) - 1)) == 0) checkpoints_[s >> kCheckpointShift] = offset;
        // Saturate: an offset past 2^64 is refused when the sample is read.
        offset = (offset > std::numeric_limits<uint64_t>::max() - sizes_[s]) ? std::numeric_limits<uint64_t>::max()
                                                                               : offset + sizes_[s];
      }
    }
  }
  return true;
}

size_t SampleTable::ChunkOf(uint32_t index) const {
  const auto it = std::ranges::upper_bound(chunkFirstSample_, index);
  return static_cast<size_t>(it - chunkFirstSample_.begin()) - 1;
}

uint64_t SampleTable::Time(uint32_t index) const {
  if (index >= count_ || times_.empty()) return 0;
  const auto it = std::ranges::upper_bound(times_, index, {}, &TimeRun::firstSample) - 1;
  return it->firstTime + uint64_t{index - it->firstSample} * it->delta;
}

uint32_t SampleTable::Duration(uint32_t index) const {
  if (index >= count_ || times_.empty()) return 0;
  return (std::ranges::upper_bound(times_, index, {}, &TimeRun::firstSample) - 1)->delta;
}

int64_t SampleTable::RenderingOffset(uint32_t index) const {
  if (index >= count_ || compositionOffsets_.empty()) return 0;
  return (std::ranges::upper_bound(compositionOffsets_, index, {}, &OffsetRun::firstSample) - 1)->offset;
}

bool SampleTable::IsSync(uint32_t index) const {
  if (index >= count_) return false;
  return allSync_ || std::ranges::binary_search(syncSamples_, index);
}

uint32_t SampleTable::Size(uint32_t index) const {
  if (index >= count_) return 0;
  return sizes_.empty() ? fixedSize_ : sizes_[index];
}

std::optional<uint64_t> SampleTable::Offset(uint32_t index) const {
  if (index >= count_ || chunkOffsets_.empty()) return std::nullopt;
  const size_t chunk = ChunkOf(index);
  const uint32_t chunkFirst = chunkFirstSample_[chunk];
  unsigned __int128 offset = 0;
  if (sizes_.empty()) {
    offset = static_cast<unsigned __int128>(chunkOffsets_[chunk]) + uint64_t{index - chunkFirst} * fixedSize_;
  } else {
    // Start from the stored offset of the 64-sample group when it lies in this chunk.
    const uint32_t group = index & ~((1u << kCheckpointShift) - 1);
    uint32_t from = chunkFirst;
    offset = chunkOffsets_[chunk];
    if (group > chunkFirst) {
      from = group;
      offset = checkpoints_[group >> kCheckpointShift];
    }
    for (uint32_t s = from; s < index; ++s) offset += sizes_[s];
  }
  if (offset > std::numeric_limits<uint64_t>::max()) return std::nullopt;
  return static_cast<uint64_t>(offset);
}

std::optional<uint32_t> SampleTable::IndexAtTime(uint64_t time) const {
  if (times_.empty() || time >= totalDuration_) return std::nullopt;
  // The last run starting at or before time; runs of zero-length samples start where the
  // next run does, so the search lands past them.
  const auto it = std::ranges::upper_bound(times_, time, {}, &TimeRun::firstTime) - 1;
  if (it->delta == 0) return std::nullopt;
  const uint64_t index = it->firstSample + (time - it->firstTime) / it->delta;
  if (index >= count_) return std::nullopt;
  return static_cast<uint32_t>(index);
}

std::optional<uint32_t> SampleTable::SyncAtOrBefore(uint32_t index) const {
  if (index >= count_) return std::nullopt;
  if (allSync_) return index;
  const auto it = std::ranges::upper_bound(syncSamples_, index);
  if (it == syncSamples_.begin()) return std::nullopt;
  return *(it - 1);
}

}  // namespace korvel::iso
