#pragma once
// The indexes of a new AVI file: the "idx1" of the first RIFF segment, and for OpenDML files
// the per-stream standard index chunks ("ix00" ...) with the super index ("indx") that lists
// them. Entries are kept in fixed blocks so that millions of chunks never move in memory.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "avi/avi_fourcc.h"
#include "base/fourcc.h"

namespace korvel {

inline constexpr uint32_t kAviIndexKeyFrame = 0x10;  // AVIIF_KEYFRAME
// In an index entry's size word: the chunk is not a key frame.
inline constexpr uint32_t kIndexDeltaFrameBit = 0x80000000u;
inline constexpr uint32_t kIdx1EntrySize = 16;
inline constexpr uint32_t kStandardIndexHeaderSize = 24;  // after the chunk header
inline constexpr uint32_t kStandardIndexEntrySize = 8;
inline constexpr uint32_t kSuperIndexHeaderSize = 24;
inline constexpr uint32_t kSuperIndexEntrySize = 16;
// A standard index addresses its chunks by 32-bit offsets from one base.
inline constexpr uint64_t kStandardIndexSpan = uint64_t{1} << 32;

struct IndexEntry {
  uint64_t position = 0;  // of the chunk header
  FOURCC chunkId = 0;
  uint32_t sizeWord = 0;  // data size, with kIndexDeltaFrameBit for a delta frame

  uint32_t DataSize() const { return sizeWord & ~kIndexDeltaFrameBit; }
  bool IsKeyFrame() const { return (sizeWord & kIndexDeltaFrameBit) == 0; }
};

class IndexEntryList {
public:
  static constexpr size_t kBlockEntries = 1024;

  void Append(const IndexEntry& entry);
  size_t Size() const { return size_; }
  const IndexEntry& At(size_t i) const { return (*blocks_[i / kBlockEntries])[i % kBlockEntries]; }

private:
  using Block = std::array<IndexEntry, kBlockEntries>;
  std::vector<std::unique_ptr<Block>> blocks_;
  size_t size_ = 0;
};

// The idx1 entries [begin, end) with offsets relative to the first movie list's "movi" code.
std::vector<uint8_t> Idx1Entries(const IndexEntryList& entries, size_t begin, size_t end, uint64_t moviCodePosition);

// One standard index chunk's share of a stream's entries.
struct StandardIndexGroup {
  size_t first = 0;
  size_t count = 0;
};

// How many entries a standard index chunk may hold: the usual largest size, raised for a long
// stream so that its chunks fill at most half of the super index. The other half is left for
// chunks that have to end early because the stream spans more than 4 GiB.
uint64_t EntriesPerStandardIndex(uint64_t entryCount, uint32_t superIndexCapacity, uint32_t largestStandardIndex);

// Consecutive groups of at most entriesPerChunk, each starting a new group where an entry lies
// 4 GiB or more after its group's first (positions in write order).
std::vector<StandardIndexGroup> GroupStandardIndexEntries(std::span<const IndexEntry> entries,
                                                          uint64_t entriesPerChunk);

// At least the number of groups GroupStandardIndexEntries makes for entryCount entries that
// span `span` bytes from first to last, without looking at them.
uint64_t StandardIndexChunkBound(uint64_t entryCount, uint64_t span, uint64_t entriesPerChunk);

// A standard index chunk's body (after its 8-byte header).
std::vector<uint8_t> StandardIndexBody(std::span<const IndexEntry> group, FOURCC streamChunkId);

struct SuperIndexEntry {
  uint64_t qwOffset = 0;
  uint32_t dwSize = 0;
  uint32_t dwDuration = 0;
};

// The duration a standard index covers: whole samples of a fixed-size stream, else chunks.
uint32_t StandardIndexDuration(std::span<const IndexEntry> group, uint32_t sampleSize);

inline uint32_t SuperIndexBodySize(uint32_t capacity) {
  return kSuperIndexHeaderSize + kSuperIndexEntrySize * capacity;
}
// A super index body with `capacity` slots; entries beyond the capacity are not written.
std::vector<uint8_t> SuperIndexBody(FOURCC streamChunkId, std::span<const SuperIndexEntry> entries,
                                    uint32_t capacity);

}  // namespace korvel
