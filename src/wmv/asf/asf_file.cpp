#include "wmv/asf/asf_file.h"

#include <vector>

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_parse.h"

namespace korvel::asf {
namespace {

constexpr size_t kObjectHead = 24;
constexpr size_t kHeaderObjectHead = 30;
constexpr size_t kDataObjectHead = 50;  // head, file id, packet count, reserved word
// No packet can hold its own parsing information and one payload in fewer bytes.
constexpr uint32_t kSmallestPacket = 24;
// Packets are read whole into memory; real files use a few kilobytes.
constexpr uint32_t kLargestPacket = 16u << 20;

HRESULT ResultOf(ReadOutcome outcome) {
  return outcome == ReadOutcome::kFailed ? E_FAIL : NS_E_FILE_CORRUPTED;
}

HRESULT ReadHeader(AsfFile& file, uint64_t& headerSize) {
  std::vector<uint8_t> head(kHeaderObjectHead);
  const ReadOutcome got = ReadExactAt(*file.stream, 0, head);
  if (got == ReadOutcome::kFailed) return E_FAIL;
  const ByteView headView(head);
  if (got != ReadOutcome::kComplete || GuidAt(headView, 0) != kHeaderObject) return NS_E_INVALID_INPUT_FORMAT;
  headerSize = *headView.U64LE(16);
  if (headerSize < kHeaderObjectHead || headerSize > file.fileSize || headerSize > kMaxHeaderBytes) {
    return NS_E_FILE_CORRUPTED;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(headerSize));
  if (const ReadOutcome r = ReadExactAt(*file.stream, 0, bytes); r != ReadOutcome::kComplete) return ResultOf(r);
  return ParseAsfHeader(ByteView(bytes), file.header);
}

// Finds the data object right after the header and fixes where packets lie.
HRESULT LocateData(AsfFile& file, uint64_t headerSize, uint64_t& dataEnd) {
  std::vector<uint8_t> head(kDataObjectHead);
  if (const ReadOutcome r = ReadExactAt(*file.stream, headerSize, head); r != ReadOutcome::kComplete) return ResultOf(r);
  const ByteView view(head);
  if (GuidAt(view, 0) != kDataObject) return NS_E_FILE_CORRUPTED;
  const auto& props = file.header.file;
  if (props.minPacketSize != props.maxPacketSize || props.minPacketSize < kSmallestPacket ||
      props.minPacketSize > kLargestPacket) {
    return NS_E_FILE_CORRUPTED;
  }
  file.packetSize = props.minPacketSize;
  file.firstPacketOffset = headerSize + kDataObjectHead;
  // A data object of unknown size (0, or running past the file) ends with the file.
  const uint64_t size = *view.U64LE(16);
  const bool sizeKnown = size >= kDataObjectHead && size <= file.fileSize - headerSize;
  dataEnd = sizeKnown ? headerSize + size : file.fileSize;
  file.packetCount = (dataEnd - file.firstPacketOffset) / file.packetSize;
  if (!sizeKnown) {
    // The declared packet count tells how far a cut-off file was meant to go.
    const uint64_t declared = *view.U64LE(40);
    const uint64_t representable = (INT64_MAX - file.firstPacketOffset) / file.packetSize;
    if (declared > file.packetCount && declared <= representable) file.packetCount = declared;
    else if ((dataEnd - file.firstPacketOffset) % file.packetSize != 0) ++file.packetCount;
  }
  return S_OK;
}

// The first usable simple index among the objects after the data object.
void ReadIndexes(AsfFile& file, uint64_t at) {
  std::vector<uint8_t> head(kObjectHead);
  while (at <= file.fileSize && file.fileSize - at >= kObjectHead) {
    if (ReadExactAt(*file.stream, at, head) != ReadOutcome::kComplete) return;
    const ByteView view(head);
    const uint64_t size = *view.U64LE(16);
    if (size < kObjectHead || size > file.fileSize - at) return;
    if (GuidAt(view, 0) == kSimpleIndexObject && size <= kMaxIndexBytes) {
      std::vector<uint8_t> body(static_cast<size_t>(size - kObjectHead));
      if (ReadExactAt(*file.stream, at + kObjectHead, body) != ReadOutcome::kComplete) return;
      auto index = ParseSimpleIndex(ByteView(body));
      if (index && index->UsableFor(file.packetCount)) {
        file.simpleIndex = std::move(index);
        return;
      }
    }
    at += size;
  }
}

}  // namespace

uint64_t AsfFile::PrerollTime() const {
  return header.file.preroll > UINT64_MAX / 10000 ? UINT64_MAX : header.file.preroll * 10000;
}

HRESULT OpenAsfFile(std::shared_ptr<AsfByteStream> stream, AsfFile& file) {
  file = AsfFile{};
  if (!stream) return E_INVALIDARG;
  file.stream = std::move(stream);
  if (Failed(file.stream->Size(&file.fileSize))) return E_FAIL;
  uint64_t headerSize = 0;
  HRESULT hr = ReadHeader(file, headerSize);
  if (Failed(hr)) return hr;
  uint64_t dataEnd = 0;
  hr = LocateData(file, headerSize, dataEnd);
  if (Failed(hr)) return hr;
  ReadIndexes(file, dataEnd);
  return S_OK;
}

AsfProfile ProfileOf(const AsfFile& file) { return AsfProfile::FromHeader(file.header); }

AsfHeaderInfo HeaderInfoOf(const AsfFile& file, const AsfProfile& profile) {
  return AsfHeaderInfo::FromHeader(file.header, profile, {file.fileSize, file.simpleIndex.has_value()});
}

}  // namespace korvel::asf
