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
#include <vector>

#include "base/numeric.h"

namespace korvel {
namespace {

constexpr int kAnalysedPackets = 100;
constexpr int64_t kShortestFrame = 8333;   // microseconds (120 frames a second)
constexpr int64_t kLongestFrame = 100000;  // microseconds (10 frames a second)
// The search for a key frame first reads from this far before the target, then twice as far
// each time it finds none.
constexpr int64_t kFirstStepBack = 1000000;  // microseconds
// A clip's pictures start this much after its sound at most, as far as a join lines them up.
constexpr int64_t kLongestVideoLead = 1000000;  // microseconds
// Times this close are one instant: a time goes through two time bases on its way.
constexpr int64_t kSameInstant = 1000;  // microseconds

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

int64_t SFFMpegFmtClass::PresentationTime(const AVPacket& packet, int previousReference) const {
  if (packet.pts != AV_NOPTS_VALUE || packet.dts == AV_NOPTS_VALUE) return packet.pts;
  // Disc-authoring muxers give many I and P pictures a decode time only. A B picture is shown
  // as it is decoded; an I or P picture once the B pictures decoded after it are shown: those
  // whose temporal references lie between the previous I or P picture's and its own (all before
  // it when it opens its GOP).
  if (!IsMpegVideoStream(packet.stream_index)) return packet.dts;
  const std::span<const uint8_t> data = Bytes(packet);
  const TPictureType picture = MpegPictureType(data);
  if (picture != TPictureType::I && picture != TPictureType::P) return packet.dts;
  const AVStream& stream = *input_->streams[packet.stream_index];
  const int64_t frame = packet.duration > 0 ? packet.duration
                        : bFrameRun_ > 0    ? reorderDelayStream_ / (bFrameRun_ + 1)
                                            : 0;
  const int reference = MpegTemporalReference(data);
  int64_t later;
  if (reference >= 0 && previousReference >= 0 && reference > previousReference) later = reference - previousReference;
  else if (reference >= 0 && picture == TPictureType::I) later = reference + 1;
  else if (bFrameRun_ > 0) return packet.dts + reorderDelayStream_;
  else later = stream.codecpar->video_delay > 0 ? 1 : 0;
  return packet.dts + later * frame;
}

SFFMpegFmtClass::TKeyFrameScan SFFMpegFmtClass::ScanKeyFrames(int probe, int64_t target, bool pastTarget) {
  TKeyFrameScan scan{AV_NOPTS_VALUE, AV_NOPTS_VALUE};
  PacketPtr packet(av_packet_alloc());
  if (!packet) return scan;
  const AVStream& stream = *input_->streams[probe];
  while (!stop_.load(std::memory_order_relaxed) && av_read_frame(input_, packet.get()) >= 0) {
    struct Unref {
      AVPacket* p;
      ~Unref() { av_packet_unref(p); }
    } unref{packet.get()};
    if (packet->stream_index != probe) continue;
    const int64_t decoded = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    const int64_t time = KeyFrameTime(*packet);
    if (time != AV_NOPTS_VALUE) {
      if (time <= target) {
        scan.AtOrBefore = time;
      } else if (scan.After == AV_NOPTS_VALUE) {
        scan.After = time;
      }
    }
    // A key frame shown at or before the target is decoded at or before it.
    if (decoded != AV_NOPTS_VALUE && av_rescale_q(decoded, stream.time_base, AV_TIME_BASE_Q) > target &&
        (!pastTarget || scan.AtOrBefore != AV_NOPTS_VALUE || scan.After != AV_NOPTS_VALUE))
      break;
  }
  return scan;
}

int64_t SFFMpegFmtClass::KeyFrameTime(const AVPacket& packet) const {
  if (!(packet.flags & AV_PKT_FLAG_KEY)) return AV_NOPTS_VALUE;
  if (IsMpegVideoStream(packet.stream_index) && FindStartCode(Bytes(packet)) == 0) return AV_NOPTS_VALUE;
  const int64_t shown = PresentationTime(packet);
  if (shown == AV_NOPTS_VALUE) return AV_NOPTS_VALUE;
  return av_rescale_q(shown, input_->streams[packet.stream_index]->time_base, AV_TIME_BASE_Q);
}

std::optional<TKeyFrameList> SFFMpegFmtClass::ListKeyFrames(const std::filesystem::path& file, const TStopFlag* stop) {
  if (!OpenForInfo(file)) return std::nullopt;
  const int probe = ProbeStreamIndex();
  if (probe < 0) return std::nullopt;
  const AVStream& stream = *input_->streams[probe];
  // Only the probe stream's packets count: the others need not be assembled.
  for (unsigned i = 0; i < input_->nb_streams; ++i)
    if (static_cast<int>(i) != probe) input_->streams[i]->discard = AVDISCARD_ALL;
  const auto stopped = [&] { return stop && stop->load(std::memory_order_relaxed); };
  std::vector<int64_t> times;
  PacketPtr packet(av_packet_alloc());
  if (!packet) return std::nullopt;
  while (!stopped() && av_read_frame(input_, packet.get()) >= 0) {
    if (packet->stream_index == probe) {
      const int64_t time = KeyFrameTime(*packet);
      if (time != AV_NOPTS_VALUE) times.push_back(std::max<int64_t>(time - ContainerStart(), 0));
    }
    av_packet_unref(packet.get());
  }
  if (stopped()) return std::nullopt;
  // The search keeps the latest key frame shown at or before the target, whatever the order
  // they are read in.
  std::ranges::sort(times);
  TKeyFrameList list;
  const AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
  if (rate.num > 0 && rate.den > 0) list.FrameDurationUs = av_rescale_q(1, av_inv_q(rate), AV_TIME_BASE_Q);
  for (const int64_t time : times) AddKeyFrame(list, {time, FirstMarkAtOrAfter(time)});
  return list;
}

int64_t SFFMpegFmtClass::SeekToStart(int64_t target) {
  if (av_seek_frame(input_, -1, target, AVSEEK_FLAG_BACKWARD) < 0) return ContainerStart();
  const int probe = ProbeStreamIndex();
  if (probe < 0) return target;
  // Reading starts further and further back until a key frame of the video shows up at or
  // before the target; the copy then reads from there and starts its video at that key frame.
  // Many key frames carry no seekable timestamp of their own, so a seek alone cannot find them.
  const int64_t start = ContainerStart();
  int64_t cutPoint = target;
  for (int64_t back = kFirstStepBack;; back *= 2) {
    const int64_t from = std::max(target - back, start);
    const bool first = from <= start;
    if (av_seek_frame(input_, -1, from, AVSEEK_FLAG_BACKWARD) < 0 && !(first && RewindInput())) break;
    const TKeyFrameScan scan = ScanKeyFrames(probe, target, first);
    if (scan.AtOrBefore != AV_NOPTS_VALUE || first || stop_.load(std::memory_order_relaxed)) {
      // Without a key frame before the target the clip starts at the first one after it.
      cutPoint = scan.AtOrBefore != AV_NOPTS_VALUE ? scan.AtOrBefore
                 : scan.After != AV_NOPTS_VALUE    ? scan.After
                                                   : start;
      if (av_seek_frame(input_, -1, from, AVSEEK_FLAG_BACKWARD) < 0) RewindInput();
      break;
    }
  }
  const int64_t keyFrame = cutPoint;
  cutPoint = std::max<int64_t>(cutPoint, 0);
  // The video of the copy starts at the key frame; what was read before it is left out.
  firstVideoFrom_ = keyFrame - cutPoint - kSameInstant;
  videoLead_ = std::clamp<int64_t>(keyFrame - cutPoint, 0, kLongestVideoLead);
  if (cutPoint != target && recordingTime_ != std::numeric_limits<int64_t>::max())
    recordingTime_ += target - cutPoint;
  return cutPoint;
}

void SFFMpegFmtClass::MeasureVideoLead(int64_t cutPoint) {
  videoLead_ = 0;
  const int probe = ProbeStreamIndex();
  if (probe < 0) return;
  const TKeyFrameScan scan = ScanKeyFrames(probe, cutPoint, true);
  const int64_t key = scan.AtOrBefore != AV_NOPTS_VALUE ? scan.AtOrBefore : scan.After;
  if (key != AV_NOPTS_VALUE) videoLead_ = std::clamp<int64_t>(key - cutPoint, 0, kLongestVideoLead);
  RewindInput();
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
