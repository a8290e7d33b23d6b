#include "avi/avi_producer_root.h"

#include <algorithm>
#include <new>
#include <utility>

#include "avi/avi_index_writer.h"
#include "lang/lang.h"

namespace korvel {
namespace {

constexpr size_t kMostStreams = 5;
constexpr int64_t kInitialBufferBytes = 1000;
// Without video the streams advance half a second per round.
constexpr int64_t kStepWithoutVideoMs = 500;
// How far past an unreadable chunk the copy looks for the next readable one.
constexpr int64_t kAudioProbeReach = 10000;
constexpr int64_t kVideoProbeReach = 400;

}  // namespace

TProducerAviRoot::TProducerAviRoot() = default;

TProducerAviRoot::~TProducerAviRoot() {
  CloseSource();
  output_.reset();
}

void TProducerAviRoot::RequestStop() {
  {
    std::lock_guard guard(readerLock_);
    if (reader_) reader_->Abort();
  }
  TProducerBase::RequestStop();
}

void TProducerAviRoot::StatusFailure(const std::string& tail) { Status(LangStr("Base", "Failure") + tail); }

HRESULT TProducerAviRoot::OpenSource(const std::filesystem::path& file) {
  CloseSource();
  // The scan reports progress on this thread: the place to end it when a stop came before the
  // handler could be reached from RequestStop.
  const HRESULT result = CreateAviReadHandler(
      opening_, file, [this](const std::string& text) { Status(text); },
      [this](int32_t perMille) {
        Progress(perMille);
        if (StopRequested() && opening_) opening_->Abort();
      },
      forceReconstruct_, false);
  std::shared_ptr<IAVIReadHandler> opened = std::move(opening_);
  {
    std::lock_guard guard(readerLock_);
    reader_ = opened;
  }
  if (StopRequested()) return E_FAIL;
  AviFileInfo fileInfo;
  const HRESULT infoResult = Succeeded(result) ? opened->GetFileInfo(fileInfo) : result;
  if (Failed(infoResult)) {
    StatusFailure(" : Could not open the file : " + file.filename().string());
    return infoResult;
  }
  for (uint32_t j = 0; j < fileInfo.dwStreams && streams_.size() < kMostStreams; ++j) {
    auto stream = opened->GetStream(0, static_cast<int32_t>(j));
    if (!stream) continue;
    TAviCopyStream copy;
    stream->Info(copy.info);
    if (!copy.IsVideo() && !copy.IsAudio()) continue;
    copy.reader = std::move(stream);
    streams_.push_back(std::move(copy));
  }
  return S_OK;
}

void TProducerAviRoot::CloseSource() {
  streams_.clear();
  std::lock_guard guard(readerLock_);
  reader_.reset();
}

HRESULT TProducerAviRoot::CreateOutput() {
  output_ = CreateAviOutFile();
  if (!output_) {
    StatusFailure(" : Could not create output file.");
    return E_FAIL;
  }
  for (TAviCopyStream& stream : streams_) {
    AviStreamInfo info;
    std::vector<uint8_t> format;
    const HRESULT result = stream.reader->InfoAndFormat(info, format);
    if (Failed(result)) {
      StatusFailure(" : Could not open a stream.");
      return result;
    }
    stream.output = output_->CreateStream(info, format);
    if (!stream.output) {
      StatusFailure(" : Could not create a stream.");
      return E_FAIL;
    }
  }
  output_->SetSizeLimit(outputSizeLimit_);
  const HRESULT code = output_->Init(DestName);
  if (code != S_OK) {
    StatusFailure(std::string(" : Could not create output file.") +
                  (code == kAviWriterNoStreams ? " Stream Information Empty." : ""));
    return E_FAIL;
  }
  OutputCreated = true;
  return S_OK;
}

HRESULT TProducerAviRoot::CloseOutput(HRESULT result) {
  if (!output_) return result;
  if (!output_->Finalize()) {
    if (Succeeded(result)) StatusFailure(" : Could not finish output file : " + output_->ErrorText());
    result = E_FAIL;
    // Without its headers and index patched in the file plays nowhere: a half-file, not a
    // shorter copy worth keeping.
    OutputCreated = true;
  }
  output_.reset();
  return result;
}

HRESULT TProducerAviRoot::PrepareStreams() {
  longestSpanMs_ = 1;
  stepMs_ = 0;
  int64_t bufferBytes = kInitialBufferBytes;
  for (TAviCopyStream& stream : streams_) {
    if (stream.IsVideo()) stepMs_ = std::max(stepMs_, stream.FrameMs());
    int64_t firstBytes = 0;
    if (Succeeded(stream.reader->Read(stream.reader->Start(), -1, nullptr, 0, &firstBytes, nullptr)))
      bufferBytes = std::max(bufferBytes, firstBytes);

    const int64_t end = stream.reader->End();
    stream.startMs = clipStartMs_;
    stream.endMs = clipEndMs_ < 1 ? stream.reader->SampleToTime(end - 1) : clipEndMs_;
    stream.spanMs = stream.endMs - stream.startMs + 1;
    longestSpanMs_ = std::max(longestSpanMs_, stream.spanMs);
    stream.startSample = stream.currentSample = stream.reader->TimeToSample(stream.startMs);
    // The whole stream is counted in samples, not through milliseconds that may round off its
    // last sample.
    stream.endSample = clipEndMs_ < 1 ? end - 1 : std::min(stream.reader->TimeToSample(stream.endMs), end - 1);
    stream.sampleCount = std::max<int64_t>(stream.endSample - stream.startSample + 1, 0);
  }
  if (stepMs_ < 1) stepMs_ = kStepWithoutVideoMs;
  for (TAviCopyStream& stream : streams_) {
    const double sampleMs = stream.SampleMs();
    stream.samplesPerRead =
        sampleMs > 0 ? std::max<int64_t>(1, static_cast<int64_t>(static_cast<double>(stepMs_) / sampleMs + 0.49)) : 1;
  }
  buffer_.clear();
  return GrowBuffer(bufferBytes) ? S_OK : E_FAIL;
}

bool TProducerAviRoot::GrowBuffer(int64_t bytes) {
  if (bytes <= static_cast<int64_t>(buffer_.size())) return true;
  try {
    buffer_.resize(static_cast<size_t>(bytes), 0);
  } catch (const std::bad_alloc&) {
    StatusAnsi("Memory error.");
    return false;
  } catch (const std::length_error&) {
    StatusAnsi("Memory error.");
    return false;
  }
  return true;
}

HRESULT TProducerAviRoot::InterleaveStreams() {
  windowMs_ = 0;
  std::vector<TAviCopyStream*> active;
  for (TAviCopyStream& stream : streams_) active.push_back(&stream);
  while (!active.empty()) {
    if (StopRequested()) return E_FAIL;
    ProgressTick();
    // The earliest sample of any stream that lies beyond the window.
    int64_t nextMs = longestSpanMs_;
    for (size_t k = active.size(); k-- > 0;) {
      TAviCopyStream& stream = *active[k];
      if (stream.currentSample > stream.endSample) {
        active.erase(active.begin() + static_cast<std::ptrdiff_t>(k));
        continue;
      }
      while (stream.currentSample <= stream.endSample) {
        const int64_t sampleMs = stream.reader->SampleToTime(stream.currentSample) - stream.startMs;
        if (sampleMs > windowMs_) {
          // A stream that outlasts the longest span by rounding ends with the window, and
          // ends where its copy stopped.
          if (windowMs_ >= longestSpanMs_) stream.endSample = stream.currentSample - 1;
          nextMs = std::min(nextMs, sampleMs);
          break;
        }
        const HRESULT result = stream.IsAudio() ? CopyAudioChunk(stream) : CopyVideoChunk(stream);
        if (Failed(result)) return result;
      }
    }
    // Steps that would reach no sample are skipped: a damaged header can set samples hours
    // apart, and stepping over them a few milliseconds at a time would never end.
    if (nextMs - windowMs_ > stepMs_) windowMs_ = std::max(windowMs_, std::min(nextMs, longestSpanMs_) - stepMs_);
  }
  buffer_.clear();
  buffer_.shrink_to_fit();
  return S_OK;
}

void TProducerAviRoot::ProgressTick() {
  RaiseProgress(windowMs_ * 1000 / std::max<int64_t>(longestSpanMs_, 1));
  windowMs_ = std::min(windowMs_ + stepMs_, longestSpanMs_);
}

HRESULT TProducerAviRoot::CopyAudioChunk(TAviCopyStream& stream) {
  IAVIReadStream& reader = *stream.reader;
  for (int64_t i = 0; i < kAudioProbeReach; ++i) {
    const int64_t sample = stream.currentSample + i;
    if (sample > stream.endSample) {
      stream.currentSample = stream.endSample + 1;
      return S_OK;
    }
    int64_t bytes = 0;
    if (Failed(reader.Read(sample, stream.samplesPerRead, nullptr, 0, &bytes, nullptr))) continue;
    if (!GrowBuffer(bytes)) return E_FAIL;
    break;
  }
  const int64_t count = std::min(stream.samplesPerRead, stream.endSample - stream.currentSample + 1);
  int64_t bytes = 0;
  int64_t samples = 0;
  const HRESULT result = reader.Read(stream.currentSample, count, buffer_.data(),
                                     static_cast<int64_t>(buffer_.size()), &bytes, &samples);
  if (Succeeded(result) && samples > 0) return WriteAudioChunk(stream, bytes, samples);
  // Audio that breaks off late in the stream is given up; earlier it spoils the output.
  if (stream.currentSample - stream.startSample < 2 * (stream.sampleCount / 3)) {
    StatusAnsi("Audio stream error.");
    return E_FAIL;
  }
  stream.currentSample = stream.endSample + 1;
  return S_OK;
}

HRESULT TProducerAviRoot::WriteAudioChunk(TAviCopyStream& stream, int64_t bytes, int64_t samples) {
  return WriteChunk(stream, kAviIndexKeyFrame, bytes, samples);
}

HRESULT TProducerAviRoot::CopyVideoChunk(TAviCopyStream& stream) {
  IAVIReadStream& reader = *stream.reader;
  int64_t sample = stream.currentSample;
  for (int64_t i = 0; i < kVideoProbeReach; ++i) {
    sample = stream.currentSample + i;
    if (sample > stream.endSample) {
      stream.currentSample = stream.endSample + 1;
      return S_OK;
    }
    int64_t bytes = 0;
    if (Failed(reader.Read(sample, 1, nullptr, 0, &bytes, nullptr))) continue;
    if (!GrowBuffer(bytes)) return E_FAIL;
    break;
  }
  int64_t bytes = 0;
  int64_t samples = 0;
  const HRESULT result =
      reader.Read(sample, 1, buffer_.data(), static_cast<int64_t>(buffer_.size()), &bytes, &samples);
  if (Succeeded(result) && samples > 0) return WriteVideoChunk(stream, sample, bytes, samples);
  if (sample < stream.endSample) {
    StatusAnsi(stream.IsVideo() ? "Video stream error." : "Stream error.");
    return E_FAIL;
  }
  stream.currentSample = stream.endSample + 1;
  return S_OK;
}

HRESULT TProducerAviRoot::WriteVideoChunk(TAviCopyStream& stream, int64_t sample, int64_t bytes, int64_t samples) {
  // A frame that could not be read is replaced by the next readable one, so the output keeps
  // the source's frame count and timing.
  return WriteChunk(stream, stream.reader->IsKeyFrame(sample) ? kAviIndexKeyFrame : 0, bytes, samples);
}

HRESULT TProducerAviRoot::WriteChunk(TAviCopyStream& stream, uint32_t flags, int64_t bytes, int64_t samples) {
  const HRESULT result = WriteBuffer(stream, flags, bytes, samples);
  if (Succeeded(result)) stream.currentSample += samples;
  return result;
}

HRESULT TProducerAviRoot::WriteBuffer(TAviCopyStream& stream, uint32_t flags, int64_t bytes, int64_t samples) {
  if (bytes < 0 || bytes > static_cast<int64_t>(buffer_.size()) || samples > UINT32_MAX) {
    StatusFailure(" : Could not write output file : the chunk does not fit the copy buffer");
    return E_FAIL;
  }
  if (!stream.output->Write(flags, buffer_.data(), static_cast<uint32_t>(bytes), static_cast<uint32_t>(samples))) {
    // The writer has finalized a file that reached its limit: it is valid, only shorter.
    StatusFailure(output_->EarlyEnd() != AviEarlyEnd::None
                      ? " : The output file was cut short : " + output_->ErrorText()
                      : " : Could not write output file : " + output_->ErrorText());
    return E_FAIL;
  }
  return S_OK;
}

HRESULT TProducerAviRoot::ReadIntoBuffer(IAVIReadStream& reader, int64_t sample, int64_t count, int64_t& bytes,
                                         int64_t& samples) {
  bytes = 0;
  samples = 0;
  int64_t needed = 0;
  const HRESULT probe = reader.Read(sample, count, nullptr, 0, &needed, nullptr);
  if (Failed(probe)) return probe;
  if (!GrowBuffer(needed)) return E_OUTOFMEMORY;
  return reader.Read(sample, count, buffer_.data(), static_cast<int64_t>(buffer_.size()), &bytes, &samples);
}

}  // namespace korvel
