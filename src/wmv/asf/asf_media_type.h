#pragma once
// The media type of a stream: the WM_MEDIA_TYPE fields and a format block (VIDEOINFOHEADER,
// WAVEFORMATEX, the script format). Built from the stream properties deterministically, so
// that two files with the same stream format give byte-identical buffers.
//
// The contiguous buffer holds, little-endian: majortype (16 bytes), subtype (16),
// bFixedSizeSamples (4), bTemporalCompression (4), lSampleSize (4), formattype (16),
// cbFormat (4), then the cbFormat bytes of the format block. There are no pointer fields: a
// buffer means the same in every process.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_view.h"
#include "base/guid.h"
#include "wmv/asf/asf_header.h"

namespace korvel::asf {

inline constexpr size_t kWmMediaTypeHeadSize = 64;
inline constexpr size_t kBitmapInfoHeaderSize = 40;
inline constexpr size_t kVideoInfoHeaderSize = 88;  // rectangles, rates, frame time, bitmap header
inline constexpr size_t kVideoInfoBitRateOffset = 32;
inline constexpr size_t kVideoInfoTimePerFrameOffset = 40;
inline constexpr size_t kVideoInfoBitmapOffset = 48;
inline constexpr size_t kWaveFormatExSize = 18;

struct WmMediaType {
  Guid majortype;
  Guid subtype;
  bool bFixedSizeSamples = false;
  bool bTemporalCompression = false;
  uint32_t lSampleSize = 0;
  Guid formattype;
  std::vector<uint8_t> format;

  std::vector<uint8_t> ToBuffer() const;
  // The inverse of ToBuffer; nothing when the buffer is shorter than it says.
  static std::optional<WmMediaType> FromBuffer(const ByteView& buffer);

  friend bool operator==(const WmMediaType&, const WmMediaType&) = default;
};

// The media type a stream's properties describe; bitrate and averageTimePerFrame (100 ns) go
// into a VIDEOINFOHEADER.
WmMediaType MediaTypeFromStream(const AsfStreamProperties& stream, uint32_t bitrate, uint64_t averageTimePerFrame);

}  // namespace korvel::asf
