// The output file: its muxer and one stream of each type the input carries.
#include "ffmpeg/ffm_remuxer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "ffmpeg/ffm_library.h"

namespace korvel {

std::string SFFMpegFmtClass::ChooseMuxer() const {
  if (!input_ || inputKind_.empty()) return {};
  const auto codecOf = [this](int index) {
    return index >= 0 ? input_->streams[index]->codecpar->codec_id : AV_CODEC_ID_NONE;
  };
  const bool mpeg1Video = codecOf(selectedVideo_) == AV_CODEC_ID_MPEG1VIDEO;
  if (inputKind_ == "mpeg") {
    const bool mpeg1Audio = selectedAudio_ < 0 || codecOf(selectedAudio_) == AV_CODEC_ID_MP2;
    return mpeg1Video && mpeg1Audio ? "mpeg" : "dvd";
  }
  if (inputKind_ == "mpegvideo") return mpeg1Video ? "mpeg" : "dvd";
  // Every other input is written in the format its output name asks for.
  return {};
}

bool SFFMpegFmtClass::MuxerAccepts(const AVStream& stream) const {
  return output_ && avformat_query_codec(output_->oformat, stream.codecpar->codec_id, FF_COMPLIANCE_NORMAL) == 1;
}

void SFFMpegFmtClass::IgnoreStreamsNoMuxerCarries() {
  // The muxer is known only once the output is named; the one this input's own kind is
  // written with decides already, so that a description shows what a join will copy.
  std::string muxer = ChooseMuxer();
  if (muxer.empty() && inputKind_ == "mpegts") muxer = "mpegts";
  const AVOutputFormat* format = muxer.empty() ? av_guess_format(nullptr, inputName_.string().c_str(), nullptr)
                                               : av_guess_format(muxer.c_str(), nullptr, nullptr);
  for (unsigned i = 0; i < input_->nb_streams; ++i) {
    AVStream& stream = *input_->streams[i];
    const AVMediaType type = stream.codecpar->codec_type;
    if (stream.discard == AVDISCARD_ALL || type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO ||
        type == AVMEDIA_TYPE_SUBTITLE)
      continue;
    if (!format || avformat_query_codec(format, stream.codecpar->codec_id, FF_COMPLIANCE_NORMAL) != 1)
      stream.discard = AVDISCARD_ALL;
  }
}

bool SFFMpegFmtClass::OpenOutput(const std::filesystem::path& file) {
  if (!input_) return false;
  outputName_ = file;
  const std::string muxer = ChooseMuxer();
  if (avformat_alloc_output_context2(&output_, nullptr, muxer.empty() ? nullptr : muxer.c_str(),
                                     file.string().c_str()) < 0 ||
      !output_) {
    Status("Memory error.");
    return false;
  }
  outputKind_ = output_->oformat->name;

  bool inUse[4] = {};
  constexpr AVMediaType kOrder[4] = {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO, AVMEDIA_TYPE_SUBTITLE, AVMEDIA_TYPE_DATA};
  for (SFFInputStream& ist : inputStreams_) {
    AVStream& stream = *ist.Stream;
    if (stream.discard == AVDISCARD_ALL) continue;
    const AVMediaType type = stream.codecpar->codec_type;
    if (type == AVMEDIA_TYPE_VIDEO) {
      inUse[0] = true;
    } else if (type == AVMEDIA_TYPE_AUDIO) {
      inUse[1] = true;
    } else if (type == AVMEDIA_TYPE_SUBTITLE) {
      inUse[2] = true;
    } else if (MuxerAccepts(stream)) {
      inUse[3] = true;
    } else {
      // A stream the muxer cannot carry (a DVD's navigation packets) would fail every join.
      stream.discard = AVDISCARD_ALL;
    }
  }
  for (int t = 0; t < 4; ++t) {
    if (!inUse[t]) continue;
    AVStream* stream = avformat_new_stream(output_, nullptr);
    if (!stream) {
      Status("Memory error.");
      return false;
    }
    stream->codecpar->codec_type = kOrder[t];
    stream->sample_aspect_ratio = {0, 1};
    SFFOutputStream record;
    record.Index = static_cast<int32_t>(outputStreams_.size());
    record.Stream = stream;
    outputStreams_.push_back(record);
  }
  if (!(output_->oformat->flags & AVFMT_NOFILE)) {
    if (const int result = avio_open(&output_->pb, file.string().c_str(), AVIO_FLAG_WRITE); result < 0) {
      PrintError(file, result);
      Status("Failed : Could not create output file.");
      return false;
    }
    outputOpened_ = true;
  }
  constexpr double kMaxDelay = 0.7;  // seconds
  output_->max_delay = static_cast<int>(kMaxDelay * AV_TIME_BASE);
  return true;
}

}  // namespace korvel
