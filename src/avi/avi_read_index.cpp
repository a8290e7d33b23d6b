#include "avi/avi_read_index.h"

#include <algorithm>
#include <limits>

namespace korvel {
namespace {

constexpr uint64_t kSectorSpan = uint64_t{1} << 32;
// A sector holds at most this many samples past its first entry, which bounds the search inside it.
constexpr int64_t kSectorSamples = 65536;
// The base of the closing sectors: past any real file position.
constexpr uint64_t kSentinelBase = 0x3FFFFFFFFFFFFFFFull;

}  // namespace

AviReadIndex::AviReadIndex() { Clear(); }

void AviReadIndex::Clear() {
  totalBytes_ = 0;
  totalSamples_ = 0;
  entryCount_ = 0;
  lastKeyEntry_.reset();
  finalized_ = false;
  irregular_ = false;
  sectors_.assign(1, SectorEntry{});
  blocks_.clear();
}

void AviReadIndex::Add(uint64_t position, uint32_t size, bool key) {
  if (finalized_ || entryCount_ == std::numeric_limits<uint32_t>::max()) return;
  size &= kSizeMask;
  SectorEntry* sector = &sectors_.back();
  const int64_t samplesPastFirstEntry = static_cast<int64_t>(totalSamples_) - static_cast<int64_t>(sector->firstEntry);
  // The sample offset is 32-bit too: a sector also ends before its samples could overflow it.
  if (position - sector->fileBase >= kSectorSpan || samplesPastFirstEntry >= kSectorSamples ||
      totalSamples_ - sector->sampleBase >= kSectorSpan / 2) {
    sectors_.push_back(SectorEntry{position, totalSamples_, entryCount_, true});
    sector = &sectors_.back();
  }
  if (entryCount_ % kBlockEntries == 0) blocks_.push_back(std::make_unique<Block>());
  if (key) lastKeyEntry_ = entryCount_;

  IndexEntry& entry = (*blocks_.back())[entryCount_ % kBlockEntries];
  entry.offset = static_cast<uint32_t>(position - sector->fileBase);
  entry.sampleOffset = static_cast<uint32_t>(totalSamples_ - sector->sampleBase);
  entry.sizeAndKey = size | (key ? kKeyBit : 0u);
  // Without any key entry before, the distance reaches past entry 0 so a backward walk ends there.
  const uint64_t sinceKey = lastKeyEntry_ ? entryCount_ - *lastKeyEntry_ : uint64_t{entryCount_} + 1;
  entry.sinceKey = static_cast<uint16_t>(std::min<uint64_t>(sinceKey, 65535));
  entry.reserved = 0;

  uint64_t samples = 1;
  if (sampleUnit_ != 0) {
    samples = (static_cast<uint64_t>(size) + sampleUnit_ - 1) / sampleUnit_;
    if (size % sampleUnit_ != 0) irregular_ = true;
  }
  if (samples != 1) sector->oneSamplePerEntry = false;
  totalSamples_ += samples;
  totalBytes_ += size;
  ++entryCount_;
}

void AviReadIndex::Finalize() {
  if (finalized_) return;
  const SectorEntry sentinel{kSentinelBase, totalSamples_, entryCount_, true};
  sectors_.push_back(sentinel);
  sectors_.push_back(sentinel);
  finalized_ = true;
}

std::optional<AviReadIndex::Cursor> AviReadIndex::Find(uint64_t sample) const {
  if (!finalized_ || sample >= totalSamples_) return std::nullopt;
  // The last sector starting at or before the sample; the closing sectors start at the end.
  const auto after = std::upper_bound(sectors_.begin(), sectors_.end(), sample,
                                      [](uint64_t s, const SectorEntry& sector) { return s < sector.sampleBase; });
  if (after == sectors_.begin()) return std::nullopt;
  const size_t sectorIndex = static_cast<size_t>(after - sectors_.begin()) - 1;
  if (sectorIndex + 2 >= sectors_.size()) return std::nullopt;
  const SectorEntry& sector = sectors_[sectorIndex];
  const uint32_t first = sector.firstEntry;
  const uint32_t end = SectorEnd(sectorIndex);
  const uint64_t relative = sample - sector.sampleBase;
  Cursor cursor;
  cursor.sector = sectorIndex;
  if (sector.oneSamplePerEntry) {
    if (relative >= end - first) return std::nullopt;
    cursor.entry = first + static_cast<uint32_t>(relative);
    return cursor;
  }
  // The last entry whose first sample is at or before the sample.
  uint32_t low = first;
  uint32_t high = end;
  while (high - low > 1) {
    const uint32_t mid = low + (high - low) / 2;
    if (At(mid).sampleOffset <= relative) low = mid;
    else high = mid;
  }
  if (low >= end) return std::nullopt;
  cursor.entry = low;
  cursor.byteOffset = (relative - At(low).sampleOffset) * sampleUnit_;
  return cursor;
}

AviReadIndex::Piece AviReadIndex::PieceAt(const Cursor& cursor) const {
  const IndexEntry& entry = At(cursor.entry);
  const uint64_t size = entry.sizeAndKey & kSizeMask;
  Piece piece;
  piece.position = sectors_[cursor.sector].fileBase + entry.offset + cursor.byteOffset;
  uint64_t available = cursor.byteOffset < size ? size - cursor.byteOffset : 0;
  if (irregular_ && sampleUnit_ != 0 && available > sampleUnit_) available = sampleUnit_;
  piece.length = static_cast<uint32_t>(available);
  return piece;
}

bool AviReadIndex::Advance(Cursor& cursor) const {
  cursor.byteOffset += PieceAt(cursor).length;
  if (cursor.byteOffset < EntrySize(cursor.entry)) return true;
  cursor.byteOffset = 0;
  if (++cursor.entry >= entryCount_) return false;
  while (cursor.entry >= SectorEnd(cursor.sector)) ++cursor.sector;
  return true;
}

size_t AviReadIndex::SectorOfEntry(uint32_t entry) const {
  // The last sector whose first entry is at or before entry and that holds entries.
  const auto after = std::upper_bound(sectors_.begin(), sectors_.end(), entry,
                                      [](uint32_t e, const SectorEntry& sector) { return e < sector.firstEntry; });
  return static_cast<size_t>(after - sectors_.begin()) - 1;
}

uint64_t AviReadIndex::EntrySample(uint32_t entry) const {
  return sectors_[SectorOfEntry(entry)].sampleBase + At(entry).sampleOffset;
}

std::optional<uint32_t> AviReadIndex::KeyEntryAtOrBefore(uint32_t entry) const {
  if (entry >= entryCount_) return std::nullopt;
  int64_t current = entry;
  while (current >= 0) {
    const IndexEntry& e = At(static_cast<uint32_t>(current));
    if (e.sizeAndKey & kKeyBit) return static_cast<uint32_t>(current);
    if (e.sinceKey == 0) return std::nullopt;
    current -= e.sinceKey;
  }
  return std::nullopt;
}

std::optional<uint32_t> AviReadIndex::KeyEntryAfter(uint32_t entry) const {
  for (uint32_t e = entry + 1; e < entryCount_ && e > entry; ++e)
    if (IsKey(e)) return e;
  return std::nullopt;
}

}  // namespace korvel
