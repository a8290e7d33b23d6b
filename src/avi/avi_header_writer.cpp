#include "avi/avi_header_writer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/byte_view.h"
#include "base/riff_chunk.h"

namespace korvel {
namespace {

int16_t ClampTo16(int32_t value) {
  return static_cast<int16_t>(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

constexpr FOURCC kDivxUpper = MakeFourCC('D', 'I', 'V', 'X');
constexpr FOURCC kDivxLower = MakeFourCC('d', 'i', 'v', 'x');
constexpr size_t kBiBitCountOffset = 14;
constexpr size_t kBiClrUsedOffset = 32;

void Store(std::vector<uint8_t>& bytes, size_t position, uint32_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) bytes.at(position + i) = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void AppendLE16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendLE32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendLE64(std::vector<uint8_t>& out, uint64_t value) {
  AppendLE32(out, static_cast<uint32_t>(value));
  AppendLE32(out, static_cast<uint32_t>(value >> 32));
}

std::vector<uint8_t> MainHeaderBytes(const AviMainHeader& h) {
  std::vector<uint8_t> out;
  out.reserve(kAviMainHeaderSize);
  for (const uint32_t field : {h.dwMicroSecPerFrame, h.dwMaxBytesPerSec, h.dwPaddingGranularity, h.dwFlags,
                               h.dwTotalFrames, h.dwInitialFrames, h.dwStreams, h.dwSuggestedBufferSize, h.dwWidth,
                               h.dwHeight, 0u, 0u, 0u, 0u})
    AppendLE32(out, field);
  return out;
}

std::vector<uint8_t> StreamHeaderBytes(const AviStreamHeader& h) {
  std::vector<uint8_t> out;
  out.reserve(kAviStreamHeaderSize);
  AppendLE32(out, h.fccType);
  AppendLE32(out, h.fccHandler);
  AppendLE32(out, h.dwFlags);
  AppendLE16(out, h.wPriority);
  AppendLE16(out, h.wLanguage);
  for (const uint32_t field : {h.dwInitialFrames, h.dwScale, h.dwRate, h.dwStart, h.dwLength,
                               h.dwSuggestedBufferSize, h.dwQuality, h.dwSampleSize})
    AppendLE32(out, field);
  for (const int16_t edge : {h.rcLeft, h.rcTop, h.rcRight, h.rcBottom}) AppendLE16(out, static_cast<uint16_t>(edge));
  return out;
}

AviStreamHeader StreamHeaderFromInfo(const AviStreamInfo& info) {
  AviStreamHeader h;
  h.fccType = info.fccType;
  h.fccHandler = info.fccHandler;
  h.dwFlags = info.dwFlags;
  h.wPriority = info.wPriority;
  h.wLanguage = info.wLanguage;
  h.dwInitialFrames = info.dwInitialFrames;
  h.dwScale = info.dwScale;
  h.dwRate = info.dwRate;
  h.dwStart = info.dwStart;
  h.dwLength = info.dwLength;
  h.dwSuggestedBufferSize = info.dwSuggestedBufferSize;
  h.dwQuality = info.dwQuality;
  h.dwSampleSize = info.dwSampleSize;
  h.rcLeft = ClampTo16(info.rcLeft);
  h.rcTop = ClampTo16(info.rcTop);
  h.rcRight = ClampTo16(info.rcRight);
  h.rcBottom = ClampTo16(info.rcBottom);
  return h;
}

VideoFormatFields ReadVideoFormat(std::span<const uint8_t> format) {
  std::array<uint8_t, kBitmapInfoHeaderSize> full{};
  std::memcpy(full.data(), format.data(), std::min<size_t>(format.size(), full.size()));
  const ByteView view(full);
  VideoFormatFields fields;
  fields.biWidth = view.I32LE(4).value_or(0);
  fields.biHeight = view.I32LE(8).value_or(0);
  fields.biBitCount = view.U16LE(kBiBitCountOffset).value_or(0);
  fields.biCompression = view.U32LE(16).value_or(0);
  fields.biClrUsed = view.U32LE(kBiClrUsedOffset).value_or(0);
  return fields;
}

void RepairDivxFormat(AviStreamHeader& header, std::vector<uint8_t>& format) {
  if (header.fccHandler != 0 || format.size() < kBitmapInfoHeaderSize) return;
  const VideoFormatFields fields = ReadVideoFormat(format);
  if (fields.biBitCount != 0 || fields.biClrUsed != 1) return;
  if (fields.biCompression != kDivxUpper && fields.biCompression != kDivxLower) return;
  header.fccHandler = fields.biCompression;
  Store(format, kBiBitCountOffset, 24, 2);
  Store(format, kBiClrUsedOffset, 0, 4);
}

FOURCC StreamChunkId(uint32_t streamNumber, bool video, FOURCC biCompression) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  const char high = kHexDigits[(streamNumber >> 4) & 0xF];
  const char low = kHexDigits[streamNumber & 0xF];
  if (!video) return MakeFourCC(high, low, 'w', 'b');
  return biCompression != 0 ? MakeFourCC(high, low, 'd', 'c') : MakeFourCC(high, low, 'd', 'b');
}

FOURCC StandardIndexChunkId(uint32_t streamNumber) {
  const FOURCC number = StreamChunkId(streamNumber, false, 0) & 0xFFFFu;
  return MakeFourCC('i', 'x', 0, 0) | (number << 16);
}

size_t AviHeaderBuffer::BeginList(FOURCC id, FOURCC type) {
  const size_t position = bytes_.size();
  AppendLE32(bytes_, id);
  AppendLE32(bytes_, 0);
  AppendLE32(bytes_, type);
  return position;
}

void AviHeaderBuffer::EndList(size_t listPosition) {
  Put32(listPosition + 4, ClampTo32(bytes_.size() - listPosition - kRiffChunkHeaderSize));
}

size_t AviHeaderBuffer::AddChunk(FOURCC id, std::span<const uint8_t> data) {
  const size_t position = bytes_.size();
  AppendLE32(bytes_, id);
  AppendLE32(bytes_, ClampTo32(data.size()));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) bytes_.push_back(0);
  return position;
}

bool AviHeaderBuffer::ReplaceChunk(size_t position, FOURCC id, std::span<const uint8_t> data) {
  const auto existing = ParseRiffChunkHeader(ByteView(bytes_), position);
  if (!existing || existing->size != data.size() ||
      !ByteView(bytes_).Has(position + kRiffChunkHeaderSize, existing->PaddedSize()))
    return false;
  Put32(position, id);
  std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<ptrdiff_t>(position + kRiffChunkHeaderSize));
  return true;
}

void AviHeaderBuffer::Put32(size_t position, uint32_t value) { Store(bytes_, position, value, 4); }

}  // namespace korvel
