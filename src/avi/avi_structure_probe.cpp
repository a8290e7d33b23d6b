#include "avi/avi_structure_probe.h"

#include <array>
#include <fstream>
#include <optional>
#include <system_error>

#include "avi/avi_fourcc.h"
#include "base/riff_chunk.h"

namespace korvel {
namespace {

// Offsets inside a RIFF AVI file: RIFF header (12), then LIST size "hdrl", then "avih" size.
constexpr size_t kHeaderListOffset = 12;
constexpr size_t kMainHeaderOffset = 24;
// An AVI main header holds at least these many bytes.
constexpr uint32_t kMainHeaderMinSize = 56;

// Chunk headers and form types read by their file position.
class ChunkReader {
public:
  explicit ChunkReader(const std::filesystem::path& fileName) : file_(fileName, std::ios::binary) {
    std::error_code error;
    size_ = std::filesystem::file_size(fileName, error);
    if (error) file_.close();
  }

  bool IsOpen() const { return file_.is_open(); }
  uint64_t Size() const { return size_; }

  std::optional<RiffChunkHeader> HeaderAt(uint64_t position) {
    std::array<uint8_t, kRiffChunkHeaderSize> bytes{};
    if (!ReadAt(position, bytes)) return std::nullopt;
    return ParseRiffChunkHeader(ByteView(bytes), 0);
  }

  std::optional<FOURCC> FourCCAt(uint64_t position) {
    std::array<uint8_t, 4> bytes{};
    if (!ReadAt(position, bytes)) return std::nullopt;
    return ByteView(bytes).U32LE(0);
  }

private:
  template <size_t N>
  bool ReadAt(uint64_t position, std::array<uint8_t, N>& bytes) {
    // Any failure ends a search the same way, so a short read and an I/O error are one case.
    if (position > size_ || N > size_ - position) return false;
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(position));
    file_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(N));
    return file_.gcount() == static_cast<std::streamsize>(N);
  }

  std::ifstream file_;
  uint64_t size_ = 0;
};

// A found form's contents: from behind its form type to the end its size gives.
struct FormContents {
  uint64_t begin = 0;
  uint64_t end = 0;
};

// The strict search: top-level chunks in sequence, each stepped over with its pad byte.
std::optional<FormContents> DescendToForm(ChunkReader& reader, FOURCC form) {
  for (uint64_t position = 0;;) {
    const auto header = reader.HeaderAt(position);
    if (!header) return std::nullopt;
    const uint64_t dataBegin = position + kRiffChunkHeaderSize;
    if (header->id == kFourCCRiff && reader.FourCCAt(dataBegin) == form)
      return FormContents{dataBegin + 4, dataBegin + header->PaddedSize()};
    position = dataBegin + header->PaddedSize();
  }
}

bool DescendToChunk(ChunkReader& reader, FOURCC id, const FormContents& parent) {
  for (uint64_t position = parent.begin; position + kRiffChunkHeaderSize <= parent.end;) {
    const auto header = reader.HeaderAt(position);
    if (!header) return false;
    if (header->id == id) return true;
    position += kRiffChunkHeaderSize + header->PaddedSize();
  }
  return false;
}

// The lenient search: chunk after chunk by the sizes as stored, unpadded and unbounded by any
// parent, so a wrong RIFF size or an odd size without its pad byte does not hide what follows.
// An empty chunk or a step past the end of the file ends it, so it always ends.
std::optional<uint64_t> NextByStoredSize(const ChunkReader& reader, uint64_t position, const RiffChunkHeader& header) {
  if (header.size < 1) return std::nullopt;
  const uint64_t next = position + kRiffChunkHeaderSize + header.size;
  if (next > reader.Size()) return std::nullopt;
  return next;
}

// The position behind the found form type.
std::optional<uint64_t> WalkToForm(ChunkReader& reader, FOURCC form) {
  for (std::optional<uint64_t> position = 0; position;) {
    const auto header = reader.HeaderAt(*position);
    if (!header) return std::nullopt;
    const uint64_t dataBegin = *position + kRiffChunkHeaderSize;
    if (header->id == kFourCCRiff && reader.FourCCAt(dataBegin) == form) return dataBegin + 4;
    position = NextByStoredSize(reader, *position, *header);
  }
  return std::nullopt;
}

bool WalkToChunk(ChunkReader& reader, FOURCC id, uint64_t from) {
  for (std::optional<uint64_t> position = from; position;) {
    const auto header = reader.HeaderAt(*position);
    if (!header) return false;
    if (header->id == id) return true;
    position = NextByStoredSize(reader, *position, *header);
  }
  return false;
}

}  // namespace

AviStructure ProbeAviStructure(const std::filesystem::path& fileName) {
  ChunkReader reader(fileName);
  AviStructure found;
  if (!reader.IsOpen()) return found;
  const auto strictForm = DescendToForm(reader, kFormAvi);
  if (strictForm && DescendToChunk(reader, kChunkIdx1, *strictForm)) {
    found.isRiffAvi = true;
    found.hasIdx1 = true;
    return found;
  }
  const auto walkedForm = WalkToForm(reader, kFormAvi);
  found.isRiffAvi = strictForm || walkedForm;
  found.hasIdx1 = walkedForm && WalkToChunk(reader, kChunkIdx1, *walkedForm);
  return found;
}

bool HasAviHeaderList(const ByteView& head) {
  if (!head.Matches(kHeaderListOffset, "LIST") || !head.Matches(kHeaderListOffset + 8, "hdrl")) return false;
  if (!head.Matches(kMainHeaderOffset, "avih")) return false;
  const auto listSize = head.U32LE(kHeaderListOffset + 4);
  const auto mainHeaderSize = head.U32LE(kMainHeaderOffset + 4);
  // The main header must fit inside the header list that holds it.
  return listSize && mainHeaderSize && *mainHeaderSize >= kMainHeaderMinSize &&
         static_cast<uint64_t>(*mainHeaderSize) + 12 <= *listSize;
}

}  // namespace korvel
