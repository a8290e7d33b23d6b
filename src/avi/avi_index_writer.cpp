#include "avi/avi_index_writer.h"

#include <algorithm>

#include "avi/avi_header_writer.h"

namespace korvel {
namespace {

constexpr uint8_t kIndexOfIndexes = 0;
constexpr uint8_t kIndexOfChunks = 1;

uint64_t CeilDiv(uint64_t value, uint64_t divisor) { return divisor == 0 ? 0 : (value + divisor - 1) / divisor; }

// The largest count whose standard index chunk size still fits its 32-bit field.
constexpr uint64_t kMostEntriesPerChunk = (UINT32_MAX - kStandardIndexHeaderSize) / kStandardIndexEntrySize;

void AppendIndexHeader(std::vector<uint8_t>& out, uint16_t longsPerEntry, uint8_t indexType, uint32_t entriesInUse,
                       FOURCC chunkId) {
  AppendLE16(out, longsPerEntry);
  out.push_back(0);  // bIndexSubType
  out.push_back(indexType);
  AppendLE32(out, entriesInUse);
  AppendLE32(out, chunkId);
}

}  // namespace

void IndexEntryList::Append(const IndexEntry& entry) {
  if (size_ == blocks_.size() * kBlockEntries) blocks_.push_back(std::make_unique<Block>());
  (*blocks_.back())[size_ % kBlockEntries] = entry;
  ++size_;
}

std::vector<uint8_t> Idx1Entries(const IndexEntryList& entries, size_t begin, size_t end, uint64_t moviCodePosition) {
  std::vector<uint8_t> out;
  out.reserve((end - begin) * kIdx1EntrySize);
  for (size_t i = begin; i < end; ++i) {
    const IndexEntry& e = entries.At(i);
    AppendLE32(out, e.chunkId);
    AppendLE32(out, e.IsKeyFrame() ? kAviIndexKeyFrame : 0);
    AppendLE32(out, ClampTo32(e.position - moviCodePosition));
    AppendLE32(out, e.DataSize());
  }
  return out;
}

uint64_t EntriesPerStandardIndex(uint64_t entryCount, uint32_t superIndexCapacity, uint32_t largestStandardIndex) {
  const uint64_t countShare = std::max<uint64_t>(1, superIndexCapacity / 2);
  const uint64_t wanted = std::max<uint64_t>({1, largestStandardIndex, CeilDiv(entryCount, countShare)});
  return std::min(wanted, kMostEntriesPerChunk);
}

std::vector<StandardIndexGroup> GroupStandardIndexEntries(std::span<const IndexEntry> entries,
                                                          uint64_t entriesPerChunk) {
  std::vector<StandardIndexGroup> groups;
  for (size_t i = 0; i < entries.size(); ++i) {
    const bool startsGroup = groups.empty() || groups.back().count >= entriesPerChunk ||
                             entries[i].position - entries[groups.back().first].position >= kStandardIndexSpan;
    if (startsGroup)
      groups.push_back({i, 1});
    else
      ++groups.back().count;
  }
  return groups;
}

uint64_t StandardIndexChunkBound(uint64_t entryCount, uint64_t span, uint64_t entriesPerChunk) {
  // Groups ended by their count hold entriesPerChunk entries each, and all of them plus the last
  // group number at most ceil(n / per chunk); every group ended by distance is followed by one
  // starting 4 GiB or more after its own start.
  return CeilDiv(entryCount, entriesPerChunk) + span / kStandardIndexSpan;
}

std::vector<uint8_t> StandardIndexBody(std::span<const IndexEntry> group, FOURCC streamChunkId) {
  std::vector<uint8_t> out;
  if (group.empty()) return out;
  out.reserve(kStandardIndexHeaderSize + group.size() * kStandardIndexEntrySize);
  AppendIndexHeader(out, 2, kIndexOfChunks, ClampTo32(group.size()), streamChunkId);
  const uint64_t first = group.front().position;
  // The base points at the first chunk's data, so each offset leads to its chunk's data too.
  AppendLE64(out, first + 8);
  AppendLE32(out, 0);
  for (const IndexEntry& e : group) {
    AppendLE32(out, ClampTo32(e.position - first));
    AppendLE32(out, e.sizeWord);
  }
  return out;
}

uint32_t StandardIndexDuration(std::span<const IndexEntry> group, uint32_t sampleSize) {
  if (sampleSize == 0) return ClampTo32(group.size());
  uint64_t bytes = 0;
  for (const IndexEntry& e : group) bytes += e.DataSize();
  return ClampTo32(bytes / sampleSize);
}

std::vector<uint8_t> SuperIndexBody(FOURCC streamChunkId, std::span<const SuperIndexEntry> entries,
                                    uint32_t capacity) {
  const size_t used = std::min<size_t>(entries.size(), capacity);
  std::vector<uint8_t> out;
  out.reserve(SuperIndexBodySize(capacity));
  AppendIndexHeader(out, 4, kIndexOfIndexes, static_cast<uint32_t>(used), streamChunkId);
  for (int i = 0; i < 3; ++i) AppendLE32(out, 0);
  for (size_t i = 0; i < used; ++i) {
    AppendLE64(out, entries[i].qwOffset);
    AppendLE32(out, entries[i].dwSize);
    AppendLE32(out, entries[i].dwDuration);
  }
  out.resize(SuperIndexBodySize(capacity), 0);
  return out;
}

}  // namespace korvel
