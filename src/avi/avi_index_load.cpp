// Loading the chunk indexes a file carries: the legacy "idx1" and the OpenDML super and standard
// indexes. Entries that point outside the file are dropped; an index listing more chunks than
// the file could hold is refused.
#include <algorithm>
#include <vector>

#include "avi/avi_read_handler_avi2.h"
#include "base/byte_view.h"

namespace korvel {
namespace {

constexpr uint32_t kIdx1EntrySize = 16;
// Entries read at once: 64 KiB, so a large index costs few reads.
constexpr uint32_t kIdx1Batch = 4096;
constexpr uint32_t kAviifKeyframe = 0x10;
constexpr uint64_t kRelativeOffsetsFrom = uint64_t{1} << 32;

constexpr size_t kOdmlHeaderSize = 24;
constexpr uint8_t kIndexOfIndexes = 0;
constexpr uint8_t kIndexOfChunks = 1;
constexpr uint32_t kSuperEntrySize = 16;
constexpr uint32_t kSuperBatch = 64;
constexpr uint32_t kStandardBatchLongs = 256;

}  // namespace

bool AviReadHandlerAvi2::LoadIdx1(uint32_t entryCount, uint64_t moviePosition) {
  bool relative = moviePosition >= kRelativeOffsetsFrom;
  // Relative offsets count from the "movi" code, four bytes before the movie data.
  const uint64_t relativeBase = moviePosition >= 4 ? moviePosition - 4 : 0;
  std::vector<uint8_t> raw(size_t{std::min(kIdx1Batch, entryCount)} * kIdx1EntrySize);
  for (uint32_t done = 0; done < entryCount;) {
    const uint32_t batch = std::min(kIdx1Batch, entryCount - done);
    if (!file_.ReadExact(raw.data(), size_t{batch} * kIdx1EntrySize)) {
      ClearIndexes();
      return false;
    }
    const ByteView entries(std::span<const uint8_t>(raw.data(), size_t{batch} * kIdx1EntrySize));
    for (uint32_t i = 0; i < batch; ++i) {
      const size_t at = size_t{i} * kIdx1EntrySize;
      const FOURCC id = entries.U32LE(at).value_or(0);
      const uint32_t flags = entries.U32LE(at + 4).value_or(0);
      const uint32_t offset = entries.U32LE(at + 8).value_or(0);
      const uint32_t length = entries.U32LE(at + 12).value_or(0);
      if (!relative && offset < moviePosition) relative = true;
      AviStreamNode* node = NodeForChunk(id);
      if (!node) continue;
      const uint64_t position = (relative ? relativeBase : 0) + offset + kRiffChunkHeaderSize;
      if (length > AviReadIndex::kSizeMask || position + length > fileSize_) continue;
      node->index.Add(position, length, (flags & kAviifKeyframe) != 0 && length != 0);
      node->totalBytes += length;
    }
    done += batch;
  }
  return true;
}

bool AviReadHandlerAvi2::LoadOdmlIndex(AviStreamNode& node, uint64_t position, uint64_t chunkSize,
                                       bool superAllowed) {
  const uint64_t resume = file_.Position();
  uint8_t rawHeader[kOdmlHeaderSize];
  if (chunkSize < kOdmlHeaderSize || !file_.Seek(position) || !file_.ReadExact(rawHeader, sizeof rawHeader)) {
    file_.Seek(resume);
    return false;
  }
  const ByteView header(rawHeader);
  const uint16_t longsPerEntry = header.U16LE(0).value_or(0);
  const uint8_t indexType = header.U8(3).value_or(0xFF);
  const uint32_t entriesInUse = header.U32LE(4).value_or(0);
  const uint64_t entriesPosition = position + kOdmlHeaderSize;
  const uint64_t entryBytes = uint64_t{longsPerEntry} * 4;
  // The entries the chunk can hold, whatever the header claims.
  const uint64_t entryCount =
      entryBytes == 0 ? 0 : std::min<uint64_t>(entriesInUse, (chunkSize - kOdmlHeaderSize) / entryBytes);

  bool ok = false;
  if (indexType == kIndexOfIndexes && superAllowed && longsPerEntry == 4) {
    ok = true;
    uint8_t raw[kSuperBatch * kSuperEntrySize];
    for (uint64_t done = 0; ok && done < entryCount;) {
      const uint32_t batch = static_cast<uint32_t>(std::min<uint64_t>(kSuperBatch, entryCount - done));
      file_.Seek(entriesPosition + done * kSuperEntrySize);
      if (!file_.ReadExact(raw, size_t{batch} * kSuperEntrySize)) {
        ok = false;
        break;
      }
      const ByteView entries(std::span<const uint8_t>(raw, size_t{batch} * kSuperEntrySize));
      for (uint32_t i = 0; ok && i < batch; ++i) {
        const uint64_t chunkPosition = entries.U64LE(size_t{i} * kSuperEntrySize).value_or(0);
        // Entries outside the file are dropped; an entry inside must lead to a standard index.
        if (chunkPosition > fileSize_ || fileSize_ - chunkPosition < kRiffChunkHeaderSize + kOdmlHeaderSize) continue;
        if (!file_.Seek(chunkPosition)) continue;
        const auto chunk = file_.ReadChunkHeader();
        if (!chunk) {
          ok = false;
          break;
        }
        const uint64_t dataPosition = chunkPosition + kRiffChunkHeaderSize;
        const uint64_t size = std::min<uint64_t>(chunk->size, fileSize_ - dataPosition);
        ok = LoadOdmlIndex(node, dataPosition, size, false);
      }
      done += batch;
    }
  } else if (indexType == kIndexOfChunks && (longsPerEntry == 2 || longsPerEntry == 3 || longsPerEntry == 6)) {
    ok = LoadOdmlStandardEntries(node, header, entriesPosition, entryCount);
  }
  file_.Seek(resume);
  return ok;
}

bool AviReadHandlerAvi2::LoadOdmlStandardEntries(AviStreamNode& node, ByteView header, uint64_t entriesPosition,
                                                 uint64_t entryCount) {
  const uint16_t longsPerEntry = header.U16LE(0).value_or(0);
  const uint64_t baseOffset = header.U64LE(12).value_or(0);
  const size_t entryBytes = size_t{longsPerEntry} * 4;
  const uint32_t perBatch = kStandardBatchLongs / longsPerEntry;
  std::vector<uint8_t> raw(size_t{perBatch} * entryBytes);
  if (!file_.Seek(entriesPosition)) return false;
  for (uint64_t done = 0; done < entryCount;) {
    const uint32_t batch = static_cast<uint32_t>(std::min<uint64_t>(perBatch, entryCount - done));
    if (!file_.ReadExact(raw.data(), batch * entryBytes)) return false;
    const ByteView entries(std::span<const uint8_t>(raw.data(), batch * entryBytes));
    if (odmlEntryBudget_ < batch) return false;
    odmlEntryBudget_ -= batch;
    for (uint32_t i = 0; i < batch; ++i) {
      const size_t at = i * entryBytes;
      const uint64_t position = baseOffset + entries.U32LE(at).value_or(0);
      uint32_t size = 0;
      bool key = true;
      if (longsPerEntry == 6) {
        size = entries.U32LE(at + 8).value_or(0) & AviReadIndex::kSizeMask;
      } else {
        const uint32_t word = entries.U32LE(at + 4).value_or(0);
        key = (word & AviReadIndex::kKeyBit) == 0;  // the bit marks a delta frame
        size = word & AviReadIndex::kSizeMask;
      }
      if (position < baseOffset || position > fileSize_ || size > fileSize_ - position) continue;
      node.index.Add(position, size, key);
      node.totalBytes += size;
    }
    done += batch;
  }
  return true;
}

}  // namespace korvel
