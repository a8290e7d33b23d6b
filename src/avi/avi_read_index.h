#pragma once
// The chunk index of one AVI stream, compact enough for millions of chunks: entries hold 32-bit
// offsets from the 64-bit base of their sector and live in blocks of 1024, so a sample is found
// with two binary searches (the sector by its first sample, then the entry inside it).
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace korvel {

class AviReadIndex {
public:
  static constexpr uint32_t kKeyBit = 0x80000000u;
  static constexpr uint32_t kSizeMask = 0x7FFFFFFFu;
  static constexpr size_t kBlockEntries = 1024;

  struct SectorEntry {
    uint64_t fileBase = 0;
    uint64_t sampleBase = 0;
    uint32_t firstEntry = 0;
    bool oneSamplePerEntry = true;
  };

  struct IndexEntry {
    uint32_t offset = 0;        // of the chunk data, from the sector's file base
    uint32_t sampleOffset = 0;  // of the chunk's first sample, from the sector's sample base
    uint32_t sizeAndKey = 0;    // size in the low 31 bits, kKeyBit for a key entry
    uint16_t sinceKey = 0;      // entries back to the last key entry, clamped; 0 for a key entry
    uint16_t reserved = 0;
  };

  // A sample's place: the entry holding it and the sample's byte offset inside the entry.
  struct Cursor {
    size_t sector = 0;
    uint32_t entry = 0;
    uint64_t byteOffset = 0;
  };

  // The bytes a cursor stands on: where they are in the file and how many belong to one step.
  struct Piece {
    uint64_t position = 0;
    uint32_t length = 0;
  };

  AviReadIndex();

  // Bytes per sample (the audio block size); 0 makes every chunk one sample.
  void SetSampleUnit(uint32_t unit) { sampleUnit_ = unit; }
  uint32_t SampleUnit() const { return sampleUnit_; }

  // Back to an empty index; the sample unit stays.
  void Clear();
  void Add(uint64_t position, uint32_t size, bool key);
  // Closes the sector list so lookups can run; a second call does nothing.
  void Finalize();

  uint64_t TotalBytes() const { return totalBytes_; }
  uint64_t TotalSamples() const { return totalSamples_; }
  uint32_t EntryCount() const { return entryCount_; }
  bool IrregularChunks() const { return irregular_; }

  // Nothing outside the stream or before Finalize.
  std::optional<Cursor> Find(uint64_t sample) const;
  Piece PieceAt(const Cursor& cursor) const;
  // Moves past the piece at the cursor; false at the end of the index.
  bool Advance(Cursor& cursor) const;

  bool IsKey(uint32_t entry) const { return (At(entry).sizeAndKey & kKeyBit) != 0; }
  uint32_t EntrySize(uint32_t entry) const { return At(entry).sizeAndKey & kSizeMask; }
  uint64_t EntrySample(uint32_t entry) const;
  // The key entry at or before entry, walking back by the stored distances.
  std::optional<uint32_t> KeyEntryAtOrBefore(uint32_t entry) const;
  std::optional<uint32_t> KeyEntryAfter(uint32_t entry) const;

private:
  using Block = std::array<IndexEntry, kBlockEntries>;

  const IndexEntry& At(uint32_t entry) const { return (*blocks_[entry / kBlockEntries])[entry % kBlockEntries]; }
  size_t SectorOfEntry(uint32_t entry) const;
  uint32_t SectorEnd(size_t sector) const { return sectors_[sector + 1].firstEntry; }

  uint64_t totalBytes_ = 0;
  uint64_t totalSamples_ = 0;
  uint32_t sampleUnit_ = 0;
  uint32_t entryCount_ = 0;
  std::optional<uint32_t> lastKeyEntry_;
  bool finalized_ = false;
  bool irregular_ = false;
  std::vector<SectorEntry> sectors_;
  std::vector<std::unique_ptr<Block>> blocks_;
};

}  // namespace korvel
