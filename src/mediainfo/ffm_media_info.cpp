#include "mediainfo/ffm_media_info.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cctype>
#include <limits>
#include <string>

#include "ffmpeg/ffm_remuxer.h"
#include "mediainfo/container_kind.h"

namespace korvel {
namespace {

uint8_t KindOfInput(const std::string& inputKind) {
  if (inputKind == "mpeg" || inputKind == "mpegvideo") return kKindMpegPs;
  if (inputKind == "mpegts") return kKindMpegTs;
  if (inputKind == "mov,mp4") return kKindMp4Family;
  return kKindNone;
}

uint8_t StreamTypeOf(AVMediaType type) {
  switch (type) {
    case AVMEDIA_TYPE_VIDEO: return kStreamVideo;
    case AVMEDIA_TYPE_AUDIO: return kStreamAudio;
    case AVMEDIA_TYPE_SUBTITLE: return kStreamText;
    case AVMEDIA_TYPE_DATA: return kStreamData;
    default: return kStreamOther;
  }
}

bool HasBdavExtension(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  std::ranges::transform(extension, extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".m2ts" || extension == ".mts";
}

int32_t MillisecondsOf(int64_t microseconds) {
  return static_cast<int32_t>(std::clamp<int64_t>(microseconds / 1000, 0, std::numeric_limits<int32_t>::max()));
}

uint32_t NonNegative(int value) { return value > 0 ? static_cast<uint32_t>(value) : 0u; }

// Probing decodes a few frames with whichever decoder the demuxer asks for, so one MP2 stream
// reads as planar 16-bit in a program stream and planar float in a transport stream. For
// compressed audio the sample format is that choice of decoder, not a property of the stream,
// and a stream copy decodes nothing: the codec's own decoder's first format describes it. Only
// PCM carries its sample format in the stream itself.
int SampleFormatOf(const AVCodecParameters& par) {
  const bool pcm = par.codec_id >= AV_CODEC_ID_PCM_S16LE && par.codec_id < AV_CODEC_ID_ADPCM_IMA_QT;
  const AVCodec* decoder = pcm ? nullptr : avcodec_find_decoder(par.codec_id);
  if (decoder && decoder->sample_fmts && decoder->sample_fmts[0] != AV_SAMPLE_FMT_NONE) return decoder->sample_fmts[0];
  return par.format;
}

QdMediaStream StreamOf(const AVStream& stream, int32_t index) {
  const AVCodecParameters& par = *stream.codecpar;
  QdMediaStream s;
  s.Index = index;
  s.StreamType = StreamTypeOf(par.codec_type);
  s.Ignored = stream.discard == AVDISCARD_ALL;
  // Time base x 1e6, truncated: 1/90000 gives 11.
  s.TimeBase = stream.time_base.den > 0 && stream.time_base.num > 0
                   ? static_cast<uint32_t>(std::min<int64_t>(int64_t{stream.time_base.num} * 1000000 / stream.time_base.den,
                                                             std::numeric_limits<uint32_t>::max()))
                   : 0u;
  // Audio has no real frame rate: its 0/0 gives 0.
  s.RateX1000 = RateX1000(stream.r_frame_rate.num, stream.r_frame_rate.den);
  s.CodecId = static_cast<uint32_t>(par.codec_id);
  if (par.codec_type == AVMEDIA_TYPE_VIDEO) {
    s.Width = par.width;
    s.Height = par.height;
    s.PixelFormat = NonNegative(par.format);
  } else if (par.codec_type == AVMEDIA_TYPE_AUDIO) {
    s.SampleRate = NonNegative(par.sample_rate);
    s.Channels = NonNegative(par.ch_layout.nb_channels);
    s.SampleFormat = NonNegative(SampleFormatOf(par));
    s.FrameSize = NonNegative(par.frame_size);
  } else if (par.codec_type == AVMEDIA_TYPE_SUBTITLE) {
    s.Width = par.width;
    s.Height = par.height;
  }
  s.DisplayHeight = NonNegative(s.Height);
  // A 1920 x 1088 MPEG-2 picture carries 1080 lines; the copy declares it so.
  if (par.codec_id == AV_CODEC_ID_MPEG2VIDEO && s.Width == 1920 && s.Height == 1088) s.DisplayHeight = 1080;
  return s;
}

}  // namespace

HRESULT LoadFfmpegInfo(QdMediaInfo& info, const SFFMpegFmtClass* remuxer, const AVFormatContext* context) {
  info.FreeStreams();
  if (!remuxer || !context) return E_FAIL;
  info.Kind = KindOfInput(remuxer->InputKind());
  info.SubKind = 0;
  if (info.Kind == kKindNone) return E_FAIL;
  if (info.Kind == kKindMpegTs && HasBdavExtension(info.FileName)) info.SubKind = kSubKindBdav;
  info.Duration = MillisecondsOf(remuxer->InputDuration());
  for (unsigned i = 0; i < context->nb_streams; ++i)
    info.Streams.push_back(StreamOf(*context->streams[i], static_cast<int32_t>(i)));
  info.ClearMatched();
  return S_OK;
}

bool DescribeFfmFile(const std::filesystem::path& fileName, QdMediaInfo& info) {
  info.Reset();
  info.FileName = fileName;
  try {
    SFFMpegFmtClass remuxer;
    const AVFormatContext* context = remuxer.OpenForInfo(fileName);
    return Succeeded(LoadFfmpegInfo(info, &remuxer, context));
  } catch (...) {
    // Whatever went wrong inside the libraries leaves the file undescribed.
    info.FreeStreams();
    info.Kind = kKindNone;
    return false;
  }
}

}  // namespace korvel
