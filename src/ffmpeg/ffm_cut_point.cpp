// Where a clip really starts: the MPEG video stream's structure, and the search for a key
// frame at or before the requested start.
#include "ffmpeg/ffm_remuxer.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <limits>
#include <memory>
#include <span>

#include "base/numeric.h"

namespace korvel {
namespace {

constexpr int kAnalysedPackets = 100;
constexpr int64_t kShortestFrame = 8333;   // microseconds (120 frames a second)
constexpr int64_t kLongestFrame = 100000;  // microseconds (10 frames a second)
// A damaged file could otherwise make the search step back one frame at a time through hours.
constexpr int kLongestSearch = 3000;

struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

std::span<const uint8_t> Bytes(const AVPacket& packet) {
  return {packet.data, packet.data ? static_cast<size_t>(std::max(packet.size, 0)) : size_t{0}};
}

bool IsMpegVideo(const AVCodecParameters& par) {
  return par.codec_type == AVMEDIA_TYPE_VIDEO &&
         (par.codec_id == AV_CODEC_ID_MPEG1VIDEO || par.codec_id == AV_CODEC_ID_MPEG2VIDEO);
}

int64_t FrameMicroseconds(const AVPacket& packet, const AVStream& stream) {
  const int64_t duration = packet.duration > 0 ? av_rescale_q(packet.duration, stream.time_base, AV_TIME_BASE_Q) : 0;
  return std::clamp(duration, kShortestFrame, kLongestFrame);
}

}  // namespace

void SFFMpegFmtClass::AnalyseMpegVideo() {
  mpegVideoIndex_ = -1;
  for (unsigned i = 0; i < input_->nb_streams; ++i) {
    const AVStream& stream = *input_->streams[i];
    if (stream.discard != AVDISCARD_ALL && IsMpegVideo(*stream.codecpar)) {
      mpegVideoIndex_ = static_cast<int>(i);
      break;
    }
  }
  if (mpegVideoIndex_ < 0) return;
  const AVStream& stream = *input_->streams[mpegVideoIndex_];
  PacketPtr packet(av_packet_alloc());
  if (!packet || !RewindInput()) return;
  bool counting = false;
  for (int read = 0; read < kAnalysedPackets;) {
    if (av_read_frame(input_, packet.get()) < 0) break;
    struct Unref {
      AVPacket* p;
      ~Unref() { av_packet_unref(p); }
    } unref{packet.get()};
    if (packet->stream_index != mpegVideoIndex_) continue;
    ++read;
    const std::span<const uint8_t> data = Bytes(*packet);
    if (headers_.Sequence.empty() && FindStartCode(data) == kMpegSequenceHeader) CaptureSequenceHeader(data, headers_);
    const TPictureType type = MpegPictureType(data);
    if (type == TPictureType::Unknown) break;
    if (type == TPictureType::I) {
      if (counting) break;
      counting = true;
    } else if (counting && type == TPictureType::B) {
      ++bFrameRun_;
      const int64_t frame = packet->duration > 0 ? av_rescale_q(packet->duration, stream.time_base, AV_TIME_BASE_Q) : 0;
      reorderDelay_ = std::clamp<int64_t>((bFrameRun_ + 1) * frame, kShortestFrame, kLongestFrame);
      reorderDelayStream_ = av_rescale_q(reorderDelay_, AV_TIME_BASE_Q, stream.time_base);
    } else if (counting && type == TPictureType::P && bFrameRun_ > 0) {
      break;
    }
  }
  RewindInput();
}

int SFFMpegFmtClass::ProbeStreamIndex() const {
  if (mpegVideoIndex_ >= 0) return mpegVideoIndex_;
  for (unsigned i = 0; i < input_->nb_streams; ++i) {
    const AVStream& stream = *input_->streams[i];
    if (stream.discard != AVDISCARD_ALL && stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
        !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC))
      return static_cast<int>(i);
  }
  return -1;
}

int64_t SFFMpegFmtClass::SeekToStart(int64_t target) {
  if (av_seek_frame(input_, -1, target, AVSEEK_FLAG_BACKWARD) < 0) return ContainerStart();
  const int probe = ProbeStreamIndex();
  if (probe < 0) return target;
  const AVStream& stream = *input_->streams[probe];
  const bool mpeg = probe == mpegVideoIndex_;
  PacketPtr packet(av_packet_alloc());
  if (!packet) return target;

  int64_t position = target;
  int64_t candidate = target;
  int64_t cutPoint = target;
  for (int pass = 0;; ++pass) {
    bool accepted = true;  // the end of the file without a decision accepts
    int64_t step = 0;
    bool haveCandidate = false;
    for (int probePackets = 0;;) {
      if (av_read_frame(input_, packet.get()) < 0) break;
      struct Unref {
        AVPacket* p;
        ~Unref() { av_packet_unref(p); }
      } unref{packet.get()};
      if (packet->stream_index != probe) continue;
      ++probePackets;
      if (!haveCandidate && (packet->dts != AV_NOPTS_VALUE || packet->pts != AV_NOPTS_VALUE)) {
        haveCandidate = true;
        candidate = av_rescale_q(packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts, stream.time_base,
                                 AV_TIME_BASE_Q);
      }
      const bool key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
      bool stepBack = false;
      if (mpeg) {
        if (key && FindStartCode(Bytes(*packet)) != 0) break;
        if (probePackets == 1 && !key) stepBack = true;
        else if (probePackets >= 5) stepBack = true;
      } else {
        if (key) break;
        stepBack = true;
      }
      if (stepBack) {
        accepted = false;
        step = FrameMicroseconds(*packet, stream) - 1;
        break;
      }
    }
    av_seek_frame(input_, -1, position, AVSEEK_FLAG_BACKWARD);
    cutPoint = candidate;
    if (accepted || pass >= kLongestSearch) break;
    position -= step;
    if (position < 0) break;
    if (av_seek_frame(input_, -1, position, AVSEEK_FLAG_BACKWARD) < 0) {
      cutPoint = position + step;
      av_seek_frame(input_, -1, cutPoint, AVSEEK_FLAG_BACKWARD);
      break;
    }
    candidate = position;
  }
  cutPoint = std::max<int64_t>(cutPoint, 0);
  if (cutPoint != target && recordingTime_ != std::numeric_limits<int64_t>::max())
    recordingTime_ += target - cutPoint;
  return cutPoint;
}

void SFFMpegFmtClass::ReportClipResult(int64_t cutPoint, TClipWindow& window) {
  window.InputStart = static_cast<int32_t>(
      std::clamp<int64_t>((cutPoint - ContainerStart()) / 1000, 0, std::numeric_limits<int32_t>::max()));
  const double factor =
      window.MeasuredDuration != 0 ? static_cast<double>(window.ReferenceDuration) / window.MeasuredDuration : 1.0;
  window.ActualStart = TruncToInt32(window.InputStart * factor);
  window.ActualEnd = TruncToInt32(window.InputEnd * factor);
  if (OnClipResult) OnClipResult(window);
}

}  // namespace korvel
