#include "wmv/asf/asf_media_type.h"

#include <algorithm>

#include "wmv/asf/asf_field_cursor.h"
#include "wmv/asf/asf_guids.h"

namespace korvel::asf {
namespace {

constexpr uint32_t kBiRgb = 0;
// ASF video type data: encoded width, height, reserved byte, format data size.
constexpr size_t kVideoTypeDataHead = 11;

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put64(std::vector<uint8_t>& out, size_t at, uint64_t v) {
  for (size_t i = 0; i < 8; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutGuid(std::vector<uint8_t>& out, size_t at, const Guid& g) { std::copy(g.bytes.begin(), g.bytes.end(), out.begin() + at); }

Guid VideoSubtype(uint32_t compression, uint16_t bitCount) {
  if (compression != kBiRgb) return FourCCGuid(compression);
  switch (bitCount) {
    case 8: return WMMEDIASUBTYPE_RGB8;
    case 16: return WMMEDIASUBTYPE_RGB555;
    case 24: return WMMEDIASUBTYPE_RGB24;
    default: return WMMEDIASUBTYPE_RGB32;
  }
}

WmMediaType VideoType(const AsfStreamProperties& s, uint32_t bitrate, uint64_t averageTimePerFrame) {
  const ByteView data(s.typeData);
  // The bitmap header and codec data, copied into a zero-filled block of at least full size.
  const uint16_t declared = data.U16LE(9).value_or(0);
  const size_t available = data.size() > kVideoTypeDataHead ? data.size() - kVideoTypeDataHead : 0;
  const size_t bitmapBytes = std::min<size_t>(declared, available);
  std::vector<uint8_t> format(kVideoInfoBitmapOffset + std::max(bitmapBytes, kBitmapInfoHeaderSize), 0);
  const ByteView stored = data.Sub(kVideoTypeDataHead, bitmapBytes);
  std::copy_n(stored.data(), stored.size(), format.begin() + kVideoInfoBitmapOffset);
  const ByteView bitmap(std::span<const uint8_t>(format).subspan(kVideoInfoBitmapOffset));
  const int32_t width = *bitmap.I32LE(4);
  const int32_t height = *bitmap.I32LE(8);
  const uint16_t bitCount = *bitmap.U16LE(14);
  const uint32_t compression = *bitmap.U32LE(16);
  const uint32_t rectHeight = height < 0 ? 0u - static_cast<uint32_t>(height) : static_cast<uint32_t>(height);
  for (const size_t rect : {size_t{0}, size_t{16}}) {
    Put32(format, rect + 8, static_cast<uint32_t>(width));
    Put32(format, rect + 12, rectHeight);
  }
  Put32(format, kVideoInfoBitRateOffset, bitrate);
  Put64(format, kVideoInfoTimePerFrameOffset, averageTimePerFrame);
  WmMediaType t;
  t.majortype = WMMEDIATYPE_Video;
  t.subtype = VideoSubtype(compression, bitCount);
  t.bFixedSizeSamples = compression == kBiRgb;
  t.bTemporalCompression = compression != kBiRgb;
  t.lSampleSize = compression == kBiRgb ? *bitmap.U32LE(20) : 0;
  t.formattype = WMFORMAT_VideoInfo;
  t.format = std::move(format);
  return t;
}

WmMediaType AudioType(const AsfStreamProperties& s) {
  const ByteView data(s.typeData);
  // WAVEFORMATEX with as much of its extra data as the stream really carries.
  const uint16_t declaredExtra = data.U16LE(16).value_or(0);
  const size_t extra = data.size() > kWaveFormatExSize ? std::min<size_t>(declaredExtra, data.size() - kWaveFormatExSize) : 0;
  std::vector<uint8_t> format(kWaveFormatExSize + extra, 0);
  std::copy_n(data.data(), std::min(data.size(), format.size()), format.begin());
  format[16] = static_cast<uint8_t>(extra);
  format[17] = static_cast<uint8_t>(extra >> 8);
  const ByteView wave(format);
  WmMediaType t;
  t.majortype = WMMEDIATYPE_Audio;
  t.subtype = FourCCGuid(*wave.U16LE(0));
  t.bFixedSizeSamples = true;
  t.lSampleSize = *wave.U16LE(12);
  t.formattype = WMFORMAT_WaveFormatEx;
  t.format = std::move(format);
  return t;
}

WmMediaType ScriptType() {
  WmMediaType t;
  t.majortype = WMMEDIATYPE_Script;
  t.formattype = WMFORMAT_Script;
  t.format.assign(WMSCRIPTTYPE_TwoStrings.bytes.begin(), WMSCRIPTTYPE_TwoStrings.bytes.end());
  return t;
}

// JPEG streams: image width and height, then a reserved field.
WmMediaType ImageType(const AsfStreamProperties& s) {
  const ByteView data(s.typeData);
  std::vector<uint8_t> format(kVideoInfoHeaderSize, 0);
  const uint32_t width = data.U32LE(0).value_or(0), height = data.U32LE(4).value_or(0);
  for (const size_t rect : {size_t{0}, size_t{16}}) {
    Put32(format, rect + 8, width);
    Put32(format, rect + 12, height);
  }
  Put32(format, kVideoInfoBitmapOffset, kBitmapInfoHeaderSize);
  Put32(format, kVideoInfoBitmapOffset + 4, width);
  Put32(format, kVideoInfoBitmapOffset + 8, height);
  WmMediaType t;
  t.majortype = WMMEDIATYPE_Image;
  t.formattype = WMFORMAT_VideoInfo;
  t.format = std::move(format);
  return t;
}

// Binary streams carry their media type in the type data.
WmMediaType BinaryType(const AsfStreamProperties& s) {
  FieldCursor c{ByteView(s.typeData)};
  WmMediaType t;
  const auto major = c.GuidField(), sub = c.GuidField();
  const auto fixed = c.U32(), temporal = c.U32(), sampleSize = c.U32();
  const auto formatType = c.GuidField();
  const auto formatSize = c.U32();
  const auto format = formatSize ? c.Bytes(*formatSize) : std::nullopt;
  if (!format) {
    t.majortype = s.streamType;
    return t;
  }
  t = {*major, *sub, *fixed != 0, *temporal != 0, *sampleSize, *formatType,
       CopyOf(*format)};
  return t;
}

}  // namespace

std::vector<uint8_t> WmMediaType::ToBuffer() const {
  std::vector<uint8_t> out(kWmMediaTypeHeadSize + format.size(), 0);
  PutGuid(out, 0, majortype);
  PutGuid(out, 16, subtype);
  Put32(out, 32, bFixedSizeSamples ? 1 : 0);
  Put32(out, 36, bTemporalCompression ? 1 : 0);
  Put32(out, 40, lSampleSize);
  PutGuid(out, 44, formattype);
  Put32(out, 60, static_cast<uint32_t>(format.size()));
  std::copy(format.begin(), format.end(), out.begin() + kWmMediaTypeHeadSize);
  return out;
}

std::optional<WmMediaType> WmMediaType::FromBuffer(const ByteView& buffer) {
  FieldCursor c{buffer};
  const auto major = c.GuidField(), sub = c.GuidField();
  const auto fixed = c.U32(), temporal = c.U32(), sampleSize = c.U32();
  const auto formatType = c.GuidField();
  const auto formatSize = c.U32();
  const auto format = formatSize ? c.Bytes(*formatSize) : std::nullopt;
  if (!format) return std::nullopt;
  return WmMediaType{*major, *sub, *fixed != 0, *temporal != 0, *sampleSize, *formatType,
                     CopyOf(*format)};
}

WmMediaType MediaTypeFromStream(const AsfStreamProperties& stream, uint32_t bitrate, uint64_t averageTimePerFrame) {
  if (stream.streamType == kVideoMedia) return VideoType(stream, bitrate, averageTimePerFrame);
  if (stream.streamType == kAudioMedia) return AudioType(stream);
  if (stream.streamType == kCommandMedia) return ScriptType();
  if (stream.streamType == kJfifMedia || stream.streamType == kDegradableJpegMedia) return ImageType(stream);
  if (stream.streamType == kBinaryMedia) return BinaryType(stream);
  WmMediaType t;
  t.majortype = stream.streamType;
  return t;
}

}  // namespace korvel::asf
