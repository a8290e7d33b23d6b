// One input packet into the output streams it feeds: output timestamps on the joined timeline,
// and the write itself.
#include "ffmpeg/ffm_remuxer.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "ffmpeg/ffm_library.h"

namespace korvel {
namespace {

// Failed writes of frames are told from this many in a row on.
constexpr int32_t kToldWriteFailures = 5;

struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

}  // namespace

void SFFMpegFmtClass::AdvanceStreamTime(SFFInputStream& ist, const AVPacket& packet) {
  const AVStream& stream = *ist.Stream;
  const AVCodecParameters& par = *stream.codecpar;
  int64_t step = 0;
  if (packet.duration > 0) {
    step = av_rescale_q(packet.duration, stream.time_base, AV_TIME_BASE_Q);
  } else if (par.codec_type == AVMEDIA_TYPE_VIDEO && stream.avg_frame_rate.num > 0 && stream.avg_frame_rate.den > 0) {
    step = int64_t{AV_TIME_BASE} * stream.avg_frame_rate.den / stream.avg_frame_rate.num;
  } else if (par.codec_type == AVMEDIA_TYPE_AUDIO && par.sample_rate > 0) {
    step = int64_t{AV_TIME_BASE} * par.frame_size / par.sample_rate;
  }
  ist.NextTime += step;
}

bool SFFMpegFmtClass::WritePacket(SFFInputStream& ist, AVPacket& packet) {
  const AVStream& in = *ist.Stream;
  if (ist.NextTime == AV_NOPTS_VALUE) ist.NextTime = ist.CurrentTime;
  if (packet.dts != AV_NOPTS_VALUE) ist.NextTime = ist.CurrentTime = av_rescale_q(packet.dts, in.time_base, AV_TIME_BASE_Q);
  ist.CurrentTime = ist.NextTime;
  AdvanceStreamTime(ist, packet);

  const int32_t index = InputIndex(ist);
  for (SFFOutputStream& ost : outputStreams_) {
    if (ost.SourceIndex != index) continue;
    const AVStream& out = *ost.Stream;
    std::unique_ptr<AVPacket, PacketFree> copy(av_packet_clone(&packet));
    if (!copy) return false;
    AVPacket& o = *copy;
    o.stream_index = out.index;
    o.pts = packet.pts != AV_NOPTS_VALUE ? av_rescale_q(packet.pts, in.time_base, out.time_base) : AV_NOPTS_VALUE;
    o.dts = packet.dts != AV_NOPTS_VALUE ? av_rescale_q(packet.dts, in.time_base, out.time_base)
                                         : av_rescale_q(ist.CurrentTime, AV_TIME_BASE_Q, out.time_base);
    o.duration = av_rescale_q(packet.duration, in.time_base, out.time_base);
    o.time_base = out.time_base;
    // Audio from before the cut has nothing to go with.
    if (out.codecpar->codec_type != AVMEDIA_TYPE_VIDEO && o.dts < 0) continue;
    const int64_t offset = av_rescale_q(outputTimeOffset_, AV_TIME_BASE_Q, out.time_base);
    if (o.pts != AV_NOPTS_VALUE) o.pts += offset;
    o.dts += offset;
    if (out.codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
      // Only the first clip can start decoding before the output's time 0; a later clip decodes
      // its first pictures while the previous one's last are still shown.
      if (o.dts < 0) {
        // The whole delay at once, this packet's presentation included: moving the timeline a
        // little per packet squeezes the first decode times together and lets two pictures
        // share a presentation time whenever a frame lasts longer than the step.
        const int64_t shift = av_rescale_q(-o.dts, out.time_base, AV_TIME_BASE_Q);
        inputOffset_ += shift;
        if (recordingTime_ != std::numeric_limits<int64_t>::max()) recordingTime_ += shift;
        ist.CurrentTime += shift;
        ist.NextTime += shift;
        if (o.pts != AV_NOPTS_VALUE) o.pts -= o.dts;
        o.dts = 0;
      }
      if ((o.pts != AV_NOPTS_VALUE && o.pts < 0) || (o.pts == AV_NOPTS_VALUE && ost.Frames == 0)) o.pts = o.dts;
    }
    // Muxers take only rising decode times; a repeated or backward one is moved just past
    // the last, and a picture is never shown before it is decoded. Sound that overlaps the
    // previous clip's is left out instead, so that no two of its frames play at once.
    if (ost.AnyWritten && o.dts <= ost.LastDts) {
      if (out.codecpar->codec_type != AVMEDIA_TYPE_VIDEO) continue;
      o.dts = ost.LastDts + 1;
    }
    if (o.pts != AV_NOPTS_VALUE && o.pts < o.dts) o.pts = o.dts;
    ost.LastDts = o.dts;
    ost.AnyWritten = true;
    // The next clip starts where the last picture or sound shown ends.
    const int64_t shown = o.pts != AV_NOPTS_VALUE ? std::max(o.pts, o.dts) : o.dts;
    const int64_t end = av_rescale_q(shown + std::max<int64_t>(o.duration, 0), out.time_base, AV_TIME_BASE_Q);
    outputEnd_ = std::max(outputEnd_, end);
    if (out.codecpar->codec_type == AVMEDIA_TYPE_VIDEO) videoEnd_ = std::max(videoEnd_, end);
    if (!InterleavedWrite(ost, o)) return false;
    ++ost.Frames;
  }
  return true;
}

bool SFFMpegFmtClass::InterleavedWrite(SFFOutputStream&, AVPacket& packet) {
  const int result = av_interleaved_write_frame(output_, &packet);
  if (result >= 0) {
    consecutiveWriteFailures_ = 0;
    return true;
  }
  if (output_->pb && output_->pb->error < 0) {
    Status("Failed : Could not write output file : " + FfmpegErrorText(output_->pb->error));
    return false;
  }
  // The muxer refused this one packet; the copy goes on.
  if (++consecutiveWriteFailures_ >= kToldWriteFailures) Status("write frame error.");
  return true;
}

bool SFFMpegFmtClass::PrependHeaders(AVPacket& packet, bool sequence, bool gop) {
  const std::vector<uint8_t>* parts[2] = {sequence ? &headers_.Sequence : nullptr, gop ? &headers_.Gop : nullptr};
  size_t extra = 0;
  for (const auto* part : parts)
    if (part) extra += part->size();
  if (extra == 0) return true;
  if (packet.size < 0 || extra + static_cast<size_t>(packet.size) > static_cast<size_t>(std::numeric_limits<int>::max() / 2))
    return false;
  std::unique_ptr<AVPacket, PacketFree> joined(av_packet_alloc());
  if (!joined || av_new_packet(joined.get(), static_cast<int>(extra) + packet.size) < 0) return false;
  uint8_t* at = joined->data;
  for (const auto* part : parts) {
    if (!part || part->empty()) continue;
    std::memcpy(at, part->data(), part->size());
    at += part->size();
  }
  if (packet.size > 0) std::memcpy(at, packet.data, static_cast<size_t>(packet.size));
  if (av_packet_copy_props(joined.get(), &packet) < 0) return false;
  joined->stream_index = packet.stream_index;
  av_packet_unref(&packet);
  av_packet_move_ref(&packet, joined.get());
  return true;
}

}  // namespace korvel
