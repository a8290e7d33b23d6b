#include "mediainfo/avi_media_info.h"

#include <cstdlib>
#include <limits>
#include <new>

#include "base/byte_view.h"

#include "base/numeric.h"
#include "mediainfo/container_kind.h"
#include "mediainfo/fourcc_class.h"

namespace korvel {
namespace {

uint8_t StreamTypeOf(FOURCC fccType) {
  if (fccType == MakeFourCC('v', 'i', 'd', 's')) return kStreamVideo;
  if (fccType == MakeFourCC('a', 'u', 'd', 's')) return kStreamAudio;
  if (fccType == MakeFourCC('t', 'x', 't', 's')) return kStreamText;
  return kStreamOther;
}

// A frame edge difference in 64 bits, clamped: the rectangle comes from the file as it is.
int32_t Extent(int32_t from, int32_t to) {
  return TruncToInt32(static_cast<double>(static_cast<int64_t>(to) - static_cast<int64_t>(from)));
}

// The picture size a video stream's BITMAPINFOHEADER states; a height below 0 marks a picture
// stored top down.
void SizeFromBitmapHeader(std::span<const uint8_t> format, QdMediaStream& stream) {
  const ByteView header(format);
  const auto width = header.U32LE(4);
  const auto height = header.U32LE(8);
  if (!width || !height) return;
  stream.Width = static_cast<int32_t>(*width);
  const auto signedHeight = static_cast<int32_t>(*height);
  stream.Height = signedHeight == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max()
                                                                      : std::abs(signedHeight);
}

}  // namespace

HRESULT AddAviStream(QdMediaInfo& info, int32_t index, const AviStreamInfo& streamInfo,
                     std::span<const uint8_t> format) {
  if (index < 0 || index >= info.StreamCount()) return E_INVALIDARG;
  QdMediaStream stream;
  stream.Index = index;
  stream.StreamType = StreamTypeOf(streamInfo.fccType);
  stream.FourCC = streamInfo.fccHandler;
  stream.FourCCClass = FourCCClass(streamInfo.fccHandler);
  stream.Rate = streamInfo.dwRate;
  stream.Scale = streamInfo.dwScale;
  stream.RateX1000 = RateX1000(streamInfo.dwRate, streamInfo.dwScale);
  stream.Width = Extent(streamInfo.rcLeft, streamInfo.rcRight);
  stream.Height = Extent(streamInfo.rcTop, streamInfo.rcBottom);
  // Some muxers (GStreamer's among them) leave the frame rectangle empty; without the format's
  // size every two such files would pass the join check whatever their pictures.
  if (stream.StreamType == kStreamVideo && stream.Width == 0 && stream.Height == 0) SizeFromBitmapHeader(format, stream);
  try {
    stream.Format.assign(format.begin(), format.end());
  } catch (const std::bad_alloc&) {
    return E_FAIL;
  }
  info.Streams[static_cast<size_t>(index)] = std::move(stream);
  return S_OK;
}

bool DescribeAviStreams(std::span<const IAVIReadStream* const> streams, QdMediaInfo& info) {
  info.Kind = kKindAvi;
  info.AllocStreams(static_cast<int32_t>(streams.size()));
  AviStreamInfo streamInfo;
  std::vector<uint8_t> format;
  for (size_t i = 0; i < streams.size(); ++i) {
    if (!streams[i] || Failed(streams[i]->InfoAndFormat(streamInfo, format))) return false;
    if (Failed(AddAviStream(info, static_cast<int32_t>(i), streamInfo, format))) return false;
  }
  return true;
}

std::string AviFrameRateText(int32_t rateX1000, uint8_t streamType, const NumberSeparators& separators) {
  return FormatFixed(rateX1000 * 0.001, streamType == kStreamVideo ? 3 : 1, separators);
}

}  // namespace korvel
