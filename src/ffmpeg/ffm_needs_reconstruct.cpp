#include "ffmpeg/ffm_needs_reconstruct.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <memory>

#include "ffmpeg/ffm_library.h"

namespace korvel {
namespace {

constexpr int64_t kSmallestStride = 512000;  // bytes
constexpr int64_t kJumpBack = 1000000;       // microseconds
constexpr int kUntimedInARow = 10;
// A sampling that still finds no answer after this many probe packets has read enough.
constexpr int kLargestProbe = 100000;

struct InputClose {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

bool IsSdMpegVideo(const AVCodecParameters& par) {
  return par.codec_type == AVMEDIA_TYPE_VIDEO &&
         (par.codec_id == AV_CODEC_ID_MPEG1VIDEO || par.codec_id == AV_CODEC_ID_MPEG2VIDEO) && par.width <= 720 &&
         par.height <= 576;
}

int ProbeStream(const AVFormatContext& context) {
  int video = -1;
  for (unsigned i = 0; i < context.nb_streams && video < 0; ++i)
    if (context.streams[i]->discard != AVDISCARD_ALL && IsSdMpegVideo(*context.streams[i]->codecpar))
      video = static_cast<int>(i);
  if (video < 0) return -1;
  for (unsigned i = 0; i < context.nb_streams; ++i)
    if (context.streams[i]->discard != AVDISCARD_ALL && context.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
      return static_cast<int>(i);
  return video;
}

// One timeline (pts or dts) of the probe stream: true at the second jump back in a row.
struct TJumpWatch {
  int64_t last = AV_NOPTS_VALUE;
  bool marked = false;

  // False: the time continues; true: jumped back. twice is set at the second in a row.
  bool See(int64_t time, bool& twice) {
    if (last != AV_NOPTS_VALUE && time + kJumpBack < last) {
      twice = twice || marked;
      marked = true;
      return true;
    }
    last = std::max(last == AV_NOPTS_VALUE ? time : last, time);
    marked = false;
    return false;
  }
};

}  // namespace

bool NeedsReconstruct(const std::filesystem::path& file) {
  PrepareFfmpegLibrary();
  AVFormatContext* raw = nullptr;
  // On failure avformat_open_input frees what it allocated.
  if (avformat_open_input(&raw, file.string().c_str(), nullptr, nullptr) < 0) return false;
  std::unique_ptr<AVFormatContext, InputClose> context(raw);
  if (avformat_find_stream_info(context.get(), nullptr) < 0) return false;
  if (std::string(context->iformat->name) != "mpeg" || !context->pb) return false;
  const int probe = ProbeStream(*context);
  if (probe < 0) return false;
  const AVStream& stream = *context->streams[probe];

  if (av_seek_frame(context.get(), -1, 0, AVSEEK_FLAG_BACKWARD) < 0) return false;
  const int64_t base = context->start_time != AV_NOPTS_VALUE ? context->start_time : 0;
  int64_t position = std::max<int64_t>(avio_tell(context->pb), 0);
  const int64_t size = avio_size(context->pb);
  if (size <= 0) return false;
  const int64_t step = std::max((size - position) / 60, kSmallestStride);
  const int64_t fineStep = std::max(step / 10, kSmallestStride);
  const int64_t far = size - step * 3 / 2;
  const int64_t end = size - kSmallestStride;

  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  if (!packet) return false;
  TJumpWatch pts;
  TJumpWatch dts;
  int untimed = 0;
  for (int probed = 0; probed < kLargestProbe;) {
    if (av_read_frame(context.get(), packet.get()) < 0) return false;
    struct Unref {
      AVPacket* p;
      ~Unref() { av_packet_unref(p); }
    } unref{packet.get()};
    if (packet->stream_index != probe) continue;
    ++probed;
    bool twice = false;
    bool jumped = false;
    if (packet->pts != AV_NOPTS_VALUE) {
      untimed = 0;
      jumped = pts.See(av_rescale_q(packet->pts, stream.time_base, AV_TIME_BASE_Q) - base, twice) || jumped;
    }
    if (packet->dts != AV_NOPTS_VALUE)
      jumped = dts.See(av_rescale_q(packet->dts, stream.time_base, AV_TIME_BASE_Q) - base, twice) || jumped;
    if (twice) return true;
    if (packet->pts == AV_NOPTS_VALUE && packet->dts == AV_NOPTS_VALUE && ++untimed >= kUntimedInARow) return true;
    // A first jump back is confirmed by the very next packet, so reading goes on from here.
    if (jumped) continue;
    if (position <= kSmallestStride) {
      position += kSmallestStride;
    } else if (position <= step) {
      position += fineStep;
    } else if (position < far) {
      position += step;
    } else {
      position += fineStep;
    }
    if (position <= 0 || position >= end) return false;
    if (avio_seek(context->pb, position, SEEK_SET) < 0) return false;
    avformat_flush(context.get());
  }
  return false;
}

}  // namespace korvel
