// The copy of one input into the output: stream mapping, codec parameters, the header, and
// the packet loop with its timestamp repair, window end and MPEG measures.
#include "ffmpeg/ffm_remuxer.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <limits>
#include <memory>
#include <span>

#include "ffmpeg/ffm_library.h"
#include "mediainfo/ffm_media_info.h"
#include "mediainfo/same_format.h"

namespace korvel {
namespace {

constexpr int kCopyFailed = -19;
constexpr int64_t kNoWindow = std::numeric_limits<int64_t>::max();
// A DVD's decoder buffer is 224 KiB; a larger declared buffer makes players refuse the file.
constexpr int kDvdVideoBuffer = 1835008;

std::span<uint8_t> Bytes(AVPacket& packet) {
  return {packet.data, packet.data ? static_cast<size_t>(std::max(packet.size, 0)) : size_t{0}};
}

std::span<const uint8_t> Bytes(const AVPacket& packet) {
  return {packet.data, packet.data ? static_cast<size_t>(std::max(packet.size, 0)) : size_t{0}};
}

bool IsMpeg2ProgramMuxer(const std::string& name) { return name == "vob" || name == "svcd" || name == "dvd"; }

struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

}  // namespace

int SFFMpegFmtClass::CopyPackets(bool first) {
  largestProgress_ = 0;
  Progress(0);
  if (first && outputStreams_.empty() && !(output_->oformat->flags & AVFMT_NOSTREAMS)) {
    Status("error. Stream count.");
    return kCopyFailed;
  }
  if (!MapStreams(first)) {
    Status("Failed. Could not find input stream matching output stream.");
    return kCopyFailed;
  }
  if (first && CopyCodecParameters() < 0) return kCopyFailed;
  // The clip's first picture follows the previous clip's last; its sound from before that
  // picture overlaps the previous clip's sound and is left out where it does (WritePacket).
  if (!first && videoEnd_ != kFfmUnset) outputTimeOffset_ = videoEnd_ - videoLead_;
  ResetInputStreamTimes();
  av_dict_copy(&output_->metadata, input_->metadata, AV_DICT_DONT_OVERWRITE);
  if (first) {
    if (const int result = avformat_write_header(output_, nullptr); result < 0) {
      Status("Failed. Could not write header for output file.");
      return result;
    }
    outputEnd_ = outputTimeOffset_;
    videoEnd_ = kFfmUnset;
  }
  if (const int result = ReadPacketsToEnd(); result < 0) return result;
  // The next input starts where the latest packet of this one ended; with video, where its last
  // picture ended, so that the pictures of the clips follow one another without a gap. Sound of
  // the next clip that would start before this one's has ended is left out (WritePacket).
  outputTimeOffset_ = videoEnd_ != kFfmUnset ? videoEnd_ : outputEnd_;
  Progress(1000);
  headerWritten_ = true;
  return 0;
}

bool SFFMpegFmtClass::MapStreams(bool first) {
  std::unique_ptr<QdMediaInfo>& info = first ? firstInfo_ : currentInfo_;
  if (!info) info = std::make_unique<QdMediaInfo>();
  info->FileName = inputName_;
  if (Failed(LoadFfmpegInfo(*info, this, input_))) return false;
  info->ClearMatched();
  for (SFFOutputStream& ost : outputStreams_) {
    const AVMediaType type = ost.Stream->codecpar->codec_type;
    int source = -1;
    if (first) {
      for (size_t i = 0; i < inputStreams_.size() && source < 0; ++i) {
        const SFFInputStream& ist = inputStreams_[i];
        if (ist.Ignore && ist.Stream->discard != AVDISCARD_ALL && ist.Stream->codecpar->codec_type == type)
          source = static_cast<int>(i);
      }
      ost.FirstSourceIndex = source;
    } else if (ost.FirstSourceIndex >= 0) {
      const auto p = std::ranges::find_if(firstInfo_->Streams,
                                          [&](const QdMediaStream& s) { return s.Index == ost.FirstSourceIndex; });
      const QdMediaStream* q = p == firstInfo_->Streams.end() ? nullptr : FindSameFfmStream(*p, *info);
      // The loosest pairing takes any stream; packets can only be copied into a stream of
      // the same type and codec.
      if (q && !q->Ignored && q->Index >= 0 && static_cast<size_t>(q->Index) < inputStreams_.size()) {
        const AVCodecParameters& par = *inputStreams_[static_cast<size_t>(q->Index)].Stream->codecpar;
        if (par.codec_type == type && par.codec_id == ost.Stream->codecpar->codec_id) source = q->Index;
      }
    }
    if (source < 0) return false;
    ost.SourceIndex = source;
    inputStreams_[static_cast<size_t>(source)].Ignore = false;
  }
  return true;
}

int SFFMpegFmtClass::CopyCodecParameters() {
  for (SFFOutputStream& ost : outputStreams_) {
    const AVStream& in = *inputStreams_[static_cast<size_t>(ost.SourceIndex)].Stream;
    AVStream& out = *ost.Stream;
    const AVCodecParameters& ipar = *in.codecpar;
    if (int64_t{ipar.extradata_size} + AV_INPUT_BUFFER_PADDING_SIZE >= std::numeric_limits<int>::max())
      return kCopyFailed;
    const AVMediaType type = ipar.codec_type;
    if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_SUBTITLE &&
        type != AVMEDIA_TYPE_DATA)
      return kCopyFailed;
    av_dict_copy(&out.metadata, in.metadata, AV_DICT_DONT_OVERWRITE);
    out.disposition = in.disposition;
    if (avcodec_parameters_copy(out.codecpar, &ipar) < 0) return kCopyFailed;
    AVCodecParameters& opar = *out.codecpar;
    // The input's tag stays only where the muxer reads it as the same codec.
    const AVCodecTag* const* tags = output_->oformat->codec_tag;
    unsigned int tag = 0;
    if (tags && av_codec_get_id(tags, ipar.codec_tag) != ipar.codec_id &&
        av_codec_get_tag2(tags, ipar.codec_id, &tag))
      opar.codec_tag = 0;
    out.time_base = in.time_base;
    if (type == AVMEDIA_TYPE_AUDIO) {
      if ((ipar.codec_id == AV_CODEC_ID_MP3 && opar.block_align == 1) || ipar.codec_id == AV_CODEC_ID_AC3)
        opar.block_align = 0;
      if (ipar.codec_id == AV_CODEC_ID_AMR_NB && opar.frame_size == 0) opar.frame_size = 160;
    } else if (type == AVMEDIA_TYPE_VIDEO) {
      AVRational aspect = in.sample_aspect_ratio.num ? in.sample_aspect_ratio : ipar.sample_aspect_ratio;
      if (!aspect.num) aspect = {0, 1};
      out.sample_aspect_ratio = aspect;
      opar.sample_aspect_ratio = aspect;
      if (IsMpeg2ProgramMuxer(outputKind_)) {
        if (AVCPBProperties* cpb = av_cpb_properties_alloc(nullptr)) {
          cpb->buffer_size = kDvdVideoBuffer;
          cpb->max_bitrate = ipar.bit_rate;
          if (av_stream_add_side_data(&out, AV_PKT_DATA_CPB_PROPERTIES, reinterpret_cast<uint8_t*>(cpb),
                                      sizeof *cpb) < 0)
            av_free(cpb);
        }
      }
    }
  }
  return 0;
}

void SFFMpegFmtClass::ResetInputStreamTimes() {
  for (SFFInputStream& ist : inputStreams_) {
    const AVStream& stream = *ist.Stream;
    const AVRational rate = stream.avg_frame_rate;
    ist.CurrentTime = rate.num > 0 && rate.den > 0
                          ? -int64_t{stream.codecpar->video_delay} * AV_TIME_BASE * rate.den / rate.num
                          : 0;
    ist.NextTime = AV_NOPTS_VALUE;
    ist.Finished = false;
    ist.FirstTimestamp = kFfmUnset;
    ist.EndMarker = kFfmUnset;
    ist.LastDts = AV_NOPTS_VALUE;
    ist.SkipLeadingPictures = false;
    ist.ReferenceInGop = -1;
  }
}

int SFFMpegFmtClass::ReadPacketsToEnd() {
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  if (!packet) return AVERROR(ENOMEM);
  for (;;) {
    const bool anyUnfinished = std::ranges::any_of(outputStreams_, [this](const SFFOutputStream& ost) {
      return ost.SourceIndex >= 0 && !inputStreams_[static_cast<size_t>(ost.SourceIndex)].Finished;
    });
    if (!anyUnfinished) break;
    if (const int result = av_read_frame(input_, packet.get()); result < 0) {
      // A stop interrupts the read.
      if (result == AVERROR_EXIT || stop_.load(std::memory_order_relaxed)) break;
      // The end of the data ends the copy, and a damaged tail ends like the file, unless the file
      // is shorter now than when it was opened: then its end was cut off while it was read.
      const bool atEnd = result == AVERROR_EOF || (input_->pb && input_->pb->error == 0 && avio_feof(input_->pb));
      if (atEnd && !InputShrank()) break;
      Status("Failed : Could not read input file : " +
             (atEnd ? std::string("The file became shorter while it was read.") : FfmpegErrorText(result)));
      return result;
    }
    struct Unref {
      AVPacket* p;
      ~Unref() { av_packet_unref(p); }
    } unref{packet.get()};
    if (packet->stream_index < 0 || static_cast<size_t>(packet->stream_index) >= inputStreams_.size()) continue;
    SFFInputStream& ist = inputStreams_[static_cast<size_t>(packet->stream_index)];
    if (ist.Ignore || ist.Finished) continue;
    if (!HandlePacket(ist, *packet)) return AVERROR(EIO);
    if (stop_.load(std::memory_order_relaxed)) break;
  }
  return 0;
}

bool SFFMpegFmtClass::InputShrank() const {
  if (!input_->pb || !(input_->pb->seekable & AVIO_SEEKABLE_NORMAL) || inputSize_ < 0) return false;
  const int64_t size = avio_size(input_->pb);
  return size >= 0 && size < inputSize_;
}

bool SFFMpegFmtClass::HandlePacket(SFFInputStream& ist, AVPacket& packet) {
  const AVStream& stream = *ist.Stream;
  const AVMediaType type = stream.codecpar->codec_type;
  const int64_t offset = av_rescale_q(inputOffset_, AV_TIME_BASE_Q, stream.time_base);
  if (packet.dts != AV_NOPTS_VALUE) packet.dts += offset;
  if (packet.pts != AV_NOPTS_VALUE) packet.pts += offset;
  if (ist.FirstTimestamp == kFfmUnset && BeforeCut(packet)) return true;
  if (ist.SkipLeadingPictures) {
    if (MpegPictureType(Bytes(packet)) == TPictureType::B) return true;
    ist.SkipLeadingPictures = false;
  }
  RepairDiscontinuity(ist, packet);
  int64_t time = PacketTime(ist, packet);

  if (ist.FirstTimestamp == kFfmUnset) {
    // Reading started before the key frame the clip starts at.
    if (type == AVMEDIA_TYPE_VIDEO && !(packet.flags & AV_PKT_FLAG_KEY) &&
        firstVideoFrom_ != std::numeric_limits<int64_t>::min())
      return true;
    if (mpegVideoIndex_ >= 0 && type == AVMEDIA_TYPE_VIDEO && !StartMpegVideo(ist, packet)) return true;
    ist.FirstTimestamp = time;
    ++time;
  }
  if (time <= ist.FirstTimestamp) return true;

  if (recordingTime_ != kNoWindow) {
    if (!PassesWindowEnd(ist, packet, time)) return true;
  }
  ReportPacketProgress(ist, packet, time);
  if ((stream.codecpar->codec_id == AV_CODEC_ID_AC3 || stream.codecpar->codec_id == AV_CODEC_ID_EAC3) &&
      !IsAc3Frame(Bytes(packet)))
    return true;
  if (ist.PatchSequenceHeader && (packet.flags & AV_PKT_FLAG_KEY) && av_packet_make_writable(&packet) >= 0)
    FixSequenceHeader(Bytes(packet));
  if (!WritePacket(ist, packet)) return false;
  outputOpened_ = false;
  return true;
}

bool SFFMpegFmtClass::BeforeCut(const AVPacket& packet) const {
  // Reading starts before the cut point. What lies before it is left out before it can move any
  // stream's running time, or sound the demuxer timed twice there would pass for a jump.
  const AVStream& stream = *input_->streams[packet.stream_index];
  if (stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
    const int64_t shown = PresentationTime(packet);
    return shown != AV_NOPTS_VALUE && av_rescale_q(shown, stream.time_base, AV_TIME_BASE_Q) < firstVideoFrom_;
  }
  const int64_t time = packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
  return time != AV_NOPTS_VALUE && time < 0;
}

void SFFMpegFmtClass::TrackReference(SFFInputStream& ist, const AVPacket& packet) {
  const std::span<const uint8_t> data = Bytes(packet);
  // Temporal references count again from each GOP.
  if (FindStartCode(data) != kMpegPictureStart) ist.ReferenceInGop = -1;
  const TPictureType picture = MpegPictureType(data);
  if (picture == TPictureType::I || picture == TPictureType::P) ist.ReferenceInGop = MpegTemporalReference(data);
}

bool SFFMpegFmtClass::StartMpegVideo(SFFInputStream& ist, AVPacket& packet) {
  // A cut MPEG stream must open with a picture that decodes on its own.
  const uint32_t code = (packet.flags & AV_PKT_FLAG_KEY) ? FindStartCode(Bytes(packet)) : 0;
  if (code == 0) return false;
  if (code == kMpegPictureStart && !PrependHeaders(packet, true, true)) return false;
  if (code == kMpegGopStart && !PrependHeaders(packet, true, false)) return false;
  // The B pictures decoded after the first I picture are shown before it and may lean on the
  // GOP before the cut; they are left out, which closes the GOP. The I picture is then decoded
  // one frame before it is shown, as in a closed GOP, so that the previous clip's last pictures
  // are decoded before it.
  ist.SkipLeadingPictures = true;
  if (av_packet_make_writable(&packet) >= 0) CloseGop(Bytes(packet));
  const AVStream& stream = *ist.Stream;
  const AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
  const int64_t frame = packet.duration > 0                ? packet.duration
                        : rate.num > 0 && rate.den > 0     ? av_rescale_q(1, av_inv_q(rate), stream.time_base)
                                                           : 0;
  if (packet.pts != AV_NOPTS_VALUE && packet.dts != AV_NOPTS_VALUE && frame > 0 && packet.dts < packet.pts - frame) {
    packet.dts = packet.pts - frame;
    ist.LastDts = packet.dts;
  }
  return true;
}

void SFFMpegFmtClass::RepairDiscontinuity(SFFInputStream& ist, AVPacket& packet) {
  if (packet.dts == AV_NOPTS_VALUE || ist.NextTime == AV_NOPTS_VALUE ||
      !(input_->iformat->flags & AVFMT_TS_DISCONT))
    return;
  const AVStream& stream = *ist.Stream;
  const int64_t dts = av_rescale_q(packet.dts, stream.time_base, AV_TIME_BASE_Q);
  const int64_t delta = dts - ist.NextTime;
  const auto threshold = static_cast<int64_t>(jumpThreshold_ * AV_TIME_BASE);
  const bool subtitle = stream.codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE;
  if (delta < -threshold || (delta > threshold && !subtitle) || dts + 1 < ist.CurrentTime) {
    inputOffset_ -= delta;
    if (recordingTime_ != kNoWindow) recordingTime_ -= delta;
    const int64_t shift = av_rescale_q(delta, AV_TIME_BASE_Q, stream.time_base);
    packet.dts -= shift;
    if (packet.pts != AV_NOPTS_VALUE) packet.pts -= shift;
  }
}

int64_t SFFMpegFmtClass::PacketTime(SFFInputStream& ist, AVPacket& packet) {
  const AVStream& stream = *ist.Stream;
  int64_t time;
  if (packet.pts == AV_NOPTS_VALUE && packet.dts != AV_NOPTS_VALUE) {
    if (ist.LastDts != AV_NOPTS_VALUE && packet.dts <= ist.LastDts) packet.dts = ist.LastDts + packet.duration;
    // MPEG pictures are written with the presentation time they were cut by, so that no two
    // of them are shown at once and a join follows the last one shown.
    if (IsMpegVideoStream(packet.stream_index)) packet.pts = PresentationTime(packet, ist.ReferenceInGop);
  }
  if (IsMpegVideoStream(packet.stream_index)) TrackReference(ist, packet);
  if (packet.pts != AV_NOPTS_VALUE) {
    time = av_rescale_q(packet.pts, stream.time_base, AV_TIME_BASE_Q);
  } else if (packet.dts != AV_NOPTS_VALUE) {
    time = av_rescale_q(packet.dts, stream.time_base, AV_TIME_BASE_Q);
  } else {
    time = ist.NextTime != AV_NOPTS_VALUE ? ist.NextTime : ist.CurrentTime;
  }
  if (packet.dts != AV_NOPTS_VALUE) ist.LastDts = packet.dts;
  return time;
}

bool SFFMpegFmtClass::PassesWindowEnd(SFFInputStream& ist, const AVPacket& packet, int64_t time) {
  const auto finish = [&ist] {
    ist.Finished = true;
    ist.Ignore = true;
    return false;
  };
  if (ist.EndMarker != kFfmUnset) return time > ist.EndMarker ? finish() : true;
  if (time <= recordingTime_) return true;
  const AVCodecParameters& par = *ist.Stream->codecpar;
  // Pictures decoded after the end may still be shown before it: up to the next reference
  // picture, and the B pictures that precede it in decode order.
  if (par.codec_type != AVMEDIA_TYPE_VIDEO || par.video_delay <= 0 || !IsMpegVideoStream(packet.stream_index))
    return finish();
  const TPictureType picture = MpegPictureType(Bytes(packet));
  if (picture == TPictureType::Unknown) return finish();
  if (picture != TPictureType::B) ist.EndMarker = time;
  return true;
}

void SFFMpegFmtClass::ReportPacketProgress(const SFFInputStream& ist, const AVPacket& packet, int64_t time) {
  int64_t perMille;
  if (recordingTime_ != kNoWindow) {
    perMille = time * 1000 / std::max<int64_t>(recordingTime_, 1);
  } else {
    const bool videoKey = ist.Stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && (packet.flags & AV_PKT_FLAG_KEY);
    if ((!videoKey && selectedVideo_ >= 0) || !input_->pb) return;
    perMille = (avio_tell(input_->pb) - startPosition_) * 1000 / std::max<int64_t>(bytesToProcess_, 1);
  }
  const auto value = static_cast<int32_t>(std::clamp<int64_t>(perMille, 0, 1000));
  if (value <= largestProgress_) return;
  largestProgress_ = value;
  Progress(value);
}

}  // namespace korvel
