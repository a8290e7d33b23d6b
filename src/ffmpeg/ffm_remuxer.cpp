#include "ffmpeg/ffm_remuxer.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <limits>

#include "ffmpeg/ffm_library.h"

namespace korvel {

SFFMpegFmtClass::SFFMpegFmtClass() { ResetAll(); }

SFFMpegFmtClass::~SFFMpegFmtClass() { FreeAll(); }

void SFFMpegFmtClass::Progress(int32_t perMille) {
  if (OnProgress) OnProgress(perMille);
}

void SFFMpegFmtClass::Status(const std::string& text) {
  if (OnStatus) OnStatus(text);
}

bool SFFMpegFmtClass::RunClip(const std::filesystem::path& source, const std::filesystem::path& destination,
                              bool first, TClipWindow* window) {
  if (first) {
    if (destination.empty()) {
      Status("Failed : None Output file.");
      return false;
    }
    FreeAll();
    ResetAll();
    PrepareFfmpegLibrary();
  } else {
    CloseInput();
  }
  if (source.empty()) {
    Status("Failed : None Input file.");
    return false;
  }
  if (!OpenInput(source, window)) return false;
  if (first && !OpenOutput(destination)) return false;
  return CopyPackets(first) >= 0;
}

void SFFMpegFmtClass::Interrupt() { stop_.store(true, std::memory_order_relaxed); }

bool SFFMpegFmtClass::Finish() {
  bool ok = true;
  if (output_) {
    if (headerWritten_ && av_write_trailer(output_) < 0) {
      Status("Failed : Could not write the end of the output file.");
      ok = false;
    }
    if (!(output_->oformat->flags & AVFMT_NOFILE) && output_->pb) {
      if (output_->pb->error < 0 && ok) {
        Status("Failed : Could not write output file.");
        ok = false;
      }
      if (avio_closep(&output_->pb) < 0 && ok) {
        Status("Failed : Could not close output file.");
        ok = false;
      }
    }
  }
  FreeAll();
  return ok;
}

AVFormatContext* SFFMpegFmtClass::OpenForInfo(const std::filesystem::path& file) {
  if (file.empty() || file.string().find_first_not_of(" \t") == std::string::npos) return nullptr;
  FreeAll();
  ResetAll();
  PrepareFfmpegLibrary();
  // Analysis has no one to tell why a file cannot be opened.
  const auto status = std::move(OnStatus);
  OnStatus = nullptr;
  const bool opened = OpenInput(file, nullptr);
  OnStatus = status;
  return opened ? input_ : nullptr;
}

void SFFMpegFmtClass::CloseInput() {
  avformat_close_input(&input_);
  inputStreams_.clear();
  inputKind_.clear();
  inputOffset_ = 0;
  recordingTime_ = std::numeric_limits<int64_t>::max();
  startTime_ = 0;
  firstVideoFrom_ = std::numeric_limits<int64_t>::min();
  videoLead_ = 0;
  selectedVideo_ = -1;
  selectedAudio_ = -1;
  duration_ = 0;
  fileSize_ = 1;
  inputSize_ = -1;
  startPosition_ = 0;
  bytesToProcess_ = 1;
  mpegVideoIndex_ = -1;
  bFrameRun_ = 0;
  reorderDelay_ = 0;
  reorderDelayStream_ = 0;
  headers_ = {};
  selectBestVideo_ = false;
  selectBestAudio_ = false;
}

void SFFMpegFmtClass::ResetAll() {
  largestProgress_ = 0;
  consecutiveWriteFailures_ = 0;
  firstInfo_.reset();
  currentInfo_.reset();
  outputName_.clear();
  jumpThreshold_ = 60.0;
  headerWritten_ = false;
  outputOpened_ = false;
  outputKind_.clear();
  outputTimeOffset_ = 0;
  outputEnd_ = 0;
  videoEnd_ = kFfmUnset;
  CloseInput();
}

void SFFMpegFmtClass::FreeAll() {
  outputStreams_.clear();
  if (output_) {
    // Finish closed the file when it wrote the trailer; here it is closed without one.
    if (!(output_->oformat->flags & AVFMT_NOFILE)) avio_closep(&output_->pb);
    avformat_free_context(output_);
    output_ = nullptr;
  }
  firstInfo_.reset();
  currentInfo_.reset();
  CloseInput();
}

int32_t SFFMpegFmtClass::InputIndex(const SFFInputStream& ist) const {
  return static_cast<int32_t>(&ist - inputStreams_.data());
}

}  // namespace korvel
