// Opening the input: probing, the choice of streams, the duration and the clip window.
#include "ffmpeg/ffm_remuxer.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <limits>

#include "ffmpeg/ffm_library.h"

namespace korvel {
namespace {

int InterruptRequested(void* opaque) {
  return static_cast<const std::atomic<bool>*>(opaque)->load(std::memory_order_relaxed) ? 1 : 0;
}

std::string KindOfDemuxer(const char* name) {
  const std::string kind = name ? name : "";
  if (kind.starts_with("mov,mp4")) return "mov,mp4";
  return kind;
}

bool IsAttachedPicture(const AVStream& stream) { return (stream.disposition & AV_DISPOSITION_ATTACHED_PIC) != 0; }

}  // namespace

bool SFFMpegFmtClass::OpenInput(const std::filesystem::path& file, TClipWindow* window) {
  inputName_ = file;
  AVFormatContext* context = avformat_alloc_context();
  if (!context) {
    PrintError(file, AVERROR(ENOMEM));
    return false;
  }
  context->interrupt_callback = {InterruptRequested, &stop_};
  // On failure avformat_open_input frees the context itself and clears the pointer.
  if (avformat_open_input(&context, file.string().c_str(), nullptr, nullptr) < 0) {
    Status("Failed : Unknown format.");
    return false;
  }
  input_ = context;
  const unsigned streamsBeforeProbe = input_->nb_streams;
  // A cover picture is a single image, not a stream to probe, copy or cut by.
  for (unsigned i = 0; i < input_->nb_streams; ++i)
    if (IsAttachedPicture(*input_->streams[i])) input_->streams[i]->discard = AVDISCARD_ALL;
  if (avformat_find_stream_info(input_, nullptr) < 0) {
    Status("Failed : Could not find codec.");
    CloseInput();
    return false;
  }
  inputKind_ = KindOfDemuxer(input_->iformat->name);
  for (unsigned i = 0; i < input_->nb_streams; ++i)
    if (IsAttachedPicture(*input_->streams[i])) input_->streams[i]->discard = AVDISCARD_ALL;
  if (inputKind_ == "mpegts") {
    // Streams that only probing found and that repeat an earlier stream's type are leftovers
    // of other programmes or of a damaged table.
    for (unsigned i = streamsBeforeProbe; i < input_->nb_streams; ++i)
      for (unsigned j = 0; j < i; ++j)
        if (input_->streams[j]->codecpar->codec_type == input_->streams[i]->codecpar->codec_type) {
          input_->streams[i]->discard = AVDISCARD_ALL;
          break;
        }
  }
  if (inputKind_ == "mpeg" || inputKind_ == "mpegvideo" || inputKind_ == "mpegts") {
    selectBestVideo_ = true;
    selectBestAudio_ = true;
  }
  SelectInputStreams();
  IgnoreStreamsNoMuxerCarries();
  MeasureDuration();
  AnalyseMpegVideo();
  if (window) ComputeClipWindow(*window);

  const int64_t target = startTime_ + ContainerStart();
  const int64_t cutPoint = startTime_ != 0 ? SeekToStart(target) : target;
  if (window && startTime_ == 0) MeasureVideoLead(cutPoint);
  if (window) ReportClipResult(cutPoint, *window);
  inputOffset_ = -cutPoint;

  inputSize_ = input_->pb ? avio_size(input_->pb) : -1;
  if (recordingTime_ == std::numeric_limits<int64_t>::max() && input_->pb) {
    startPosition_ = std::max<int64_t>(avio_seek(input_->pb, 0, SEEK_CUR), 0);
    fileSize_ = std::max<int64_t>(inputSize_, 0);
    bytesToProcess_ = std::max<int64_t>(fileSize_ - startPosition_, 1);
  }
  return true;
}

void SFFMpegFmtClass::SelectInputStreams() {
  inputStreams_.assign(input_->nb_streams, SFFInputStream{});
  for (unsigned i = 0; i < input_->nb_streams; ++i) {
    AVStream* stream = input_->streams[i];
    SFFInputStream& ist = inputStreams_[i];
    ist.Stream = stream;
    ist.NextTime = AV_NOPTS_VALUE;
    ist.LastDts = AV_NOPTS_VALUE;
    if (stream->discard == AVDISCARD_ALL) continue;
    const AVCodecParameters& par = *stream->codecpar;
    const int index = static_cast<int>(i);
    if (par.codec_type == AVMEDIA_TYPE_VIDEO) {
      if (selectedVideo_ < 0) {
        selectedVideo_ = index;
      } else if (selectBestVideo_) {
        const AVCodecParameters& chosen = *input_->streams[selectedVideo_]->codecpar;
        if (chosen.width < par.width || chosen.height < par.height) {
          input_->streams[selectedVideo_]->discard = AVDISCARD_ALL;
          selectedVideo_ = index;
        } else {
          stream->discard = AVDISCARD_ALL;
          continue;
        }
      }
      if (par.codec_id == AV_CODEC_ID_MPEG2VIDEO && (par.width == 1920 || par.width == 720))
        ist.PatchSequenceHeader = true;
    } else if (par.codec_type == AVMEDIA_TYPE_AUDIO) {
      if (selectedAudio_ < 0) {
        selectedAudio_ = index;
      } else if (selectBestAudio_) {
        const AVCodecParameters& chosen = *input_->streams[selectedAudio_]->codecpar;
        const int chosenChannels = chosen.ch_layout.nb_channels;
        const int channels = par.ch_layout.nb_channels;
        if (chosenChannels < channels || (chosenChannels == channels && chosen.sample_rate < par.sample_rate)) {
          input_->streams[selectedAudio_]->discard = AVDISCARD_ALL;
          selectedAudio_ = index;
        } else {
          stream->discard = AVDISCARD_ALL;
        }
      }
    }
  }
}

void SFFMpegFmtClass::MeasureDuration() {
  duration_ = 0;
  for (unsigned i = 0; i < input_->nb_streams; ++i) {
    const AVStream& stream = *input_->streams[i];
    const AVMediaType type = stream.codecpar->codec_type;
    if ((type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO) || stream.duration == AV_NOPTS_VALUE ||
        stream.duration <= 0)
      continue;
    duration_ = std::max(duration_, av_rescale_q(stream.duration, stream.time_base, AV_TIME_BASE_Q));
  }
  if (input_->duration != AV_NOPTS_VALUE) duration_ = std::max(duration_, input_->duration);
}

void SFFMpegFmtClass::ComputeClipWindow(TClipWindow& window) {
  FitClipWindow(window, duration_);
  startTime_ = int64_t{window.InputStart} * 1000;
  recordingTime_ = std::max<int64_t>(int64_t{window.InputEnd} * 1000 - startTime_, 1);
}

bool SFFMpegFmtClass::RewindInput() {
  if (av_seek_frame(input_, -1, 0, AVSEEK_FLAG_BACKWARD) >= 0) return true;
  // A stream that cannot seek by time still rewinds by bytes.
  if (!input_->pb || avio_seek(input_->pb, 0, SEEK_SET) < 0) return false;
  avformat_flush(input_);
  return true;
}

int64_t SFFMpegFmtClass::ContainerStart() const {
  return input_ && input_->start_time != AV_NOPTS_VALUE ? input_->start_time : 0;
}

}  // namespace korvel
