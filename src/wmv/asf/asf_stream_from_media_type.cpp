#include "wmv/asf/asf_stream_from_media_type.h"

#include <algorithm>

#include "base/byte_appender.h"
#include "base/byte_view.h"
#include "wmv/asf/asf_guids.h"

namespace korvel::asf {
namespace {

// The reserved flags byte of the video type data holds 2 in every file.
constexpr uint8_t kVideoTypeDataReserved = 2;

bool IsVideoInfo(const WmMediaType& t) {
  return t.majortype == WMMEDIATYPE_Video && t.formattype == WMFORMAT_VideoInfo && t.format.size() >= kVideoInfoHeaderSize;
}

bool IsWaveFormat(const WmMediaType& t) {
  return t.majortype == WMMEDIATYPE_Audio && t.formattype == WMFORMAT_WaveFormatEx && t.format.size() >= kWaveFormatExSize;
}

// Encoded width and height, the reserved byte, the size of the bitmap header with its codec
// data, then those bytes as they follow the VIDEOINFOHEADER.
std::optional<std::vector<uint8_t>> VideoTypeData(const WmMediaType& t) {
  const std::span<const uint8_t> bitmap = std::span(t.format).subspan(kVideoInfoBitmapOffset);
  if (bitmap.size() > UINT16_MAX) return std::nullopt;
  const ByteView view(bitmap);
  return ByteAppender()
      .U32(view.U32LE(4).value_or(0))
      .U32(view.U32LE(8).value_or(0))
      .U8(kVideoTypeDataReserved)
      .U16(bitmap.size())
      .Raw(bitmap)
      .Take();
}

// Image width and height from the source rectangle, then a reserved field.
std::vector<uint8_t> ImageTypeData(const WmMediaType& t) {
  const ByteView format(t.format);
  return ByteAppender().U32(format.U32LE(8).value_or(0)).U32(format.U32LE(12).value_or(0)).U32(0).Take();
}

}  // namespace

std::optional<AsfStreamFromMediaType> StreamFromMediaType(const WmMediaType& type, uint16_t number) {
  AsfStreamFromMediaType out;
  AsfStreamProperties& s = out.stream;
  s.streamNumber = number;
  s.errorCorrectionType = kNoErrorCorrection;
  if (IsVideoInfo(type)) {
    auto data = VideoTypeData(type);
    if (!data) return std::nullopt;
    s.streamType = kVideoMedia;
    s.typeData = std::move(*data);
    out.averageTimePerFrame = ByteView(type.format).U64LE(kVideoInfoTimePerFrameOffset).value_or(0);
  } else if (IsWaveFormat(type)) {
    s.streamType = kAudioMedia;
    s.typeData = type.format;
  } else if (type.majortype == WMMEDIATYPE_Script) {
    s.streamType = kCommandMedia;
  } else if (type.majortype == WMMEDIATYPE_Image) {
    s.streamType = kJfifMedia;
    s.typeData = ImageTypeData(type);
  } else {
    // The binary stream's type data is the media type in the layout of ToBuffer.
    s.streamType = kBinaryMedia;
    s.typeData = type.ToBuffer();
  }
  return out;
}

}  // namespace korvel::asf
