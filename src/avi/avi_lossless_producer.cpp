#include "avi/avi_lossless_producer.h"

#include <algorithm>
#include <utility>

#include "avi/avi_index_writer.h"
#include "avi/avi_key_frames.h"
#include "avi/bitstream/video_bitstream.h"
#include "base/numeric.h"
#include "base/time_text.h"
#include "lang/lang.h"
#include "mediainfo/avi_media_info.h"
#include "mediainfo/same_format.h"

namespace korvel {
namespace {

// A start moved back further than this is worth telling the user.
constexpr int64_t kAdjustedStartNotice = 3000;
// Audio that ends this much short of the video before a clip is made up at the clip's start;
// less when a frame is shorter, so that audio never trails by a whole frame.
constexpr int64_t kAudioGapTolerance = 49;
// The catch-up copies audio in small pieces, so it stops close to the gap.
constexpr double kCatchUpReadMs = 33;

}  // namespace

HRESULT TProducerAviLossless::Run() {
  if (ClipJobs.empty()) return S_OK;
  SourceName = ClipJobs.front().FileName;
  Progress(0);
  if (SourceName.empty() || DestName.empty()) {
    StatusFailure(" : None Input or Output file.");
    return FinishRun(E_INVALIDARG);
  }
  return FinishRun(Produce());
}

HRESULT TProducerAviLossless::Produce() {
  ResetProgress();
  StatusInitializing();
  if (!CheckFiles()) return E_FAIL;
  SumClipDurations();
  StatusInitialized();

  HRESULT result = S_OK;
  for (size_t i = 0; i < ClipJobs.size() && Succeeded(result); ++i) {
    TClipJob& job = ClipJobs[i];
    result = OpenClip(job);
    if (Succeeded(result)) result = i == 0 ? CreateOutput() : MatchStreamsToOutput(job);
    if (Succeeded(result) && i == 0) {
      std::vector<const IAVIReadStream*> readers;
      for (const TAviCopyStream& stream : streams_) {
        readers.push_back(stream.reader.get());
        outputs_.push_back(stream.output);
        outputTypes_.push_back(stream.info.fccType);
      }
      outputDurationMs_.assign(streams_.size(), 0);
      if (!DescribeAviStreams(readers, reference_)) {
        StatusFailure(" : Could not open a stream.");
        result = E_FAIL;
      }
    }
    if (Failed(result)) break;
    StatusClip(i + 1, job);
    result = CopyClip(i == 0);
    if (Succeeded(result)) DoneDuration += std::max<int64_t>(clipEndMs_ - clipStartMs_, 0);
  }
  if (Succeeded(result) && !StopRequested()) RaiseProgress(1000);
  CloseSource();
  return CloseOutput(result);
}

HRESULT TProducerAviLossless::OpenClip(TClipJob& job) {
  SourceName = job.FileName;
  clipStartMs_ = job.Start;
  clipEndMs_ = job.End;
  job.ActualStart = job.Start;
  const HRESULT result = OpenSource(job.FileName);
  if (Failed(result)) return result;
  FitClipToVideo(job);
  return S_OK;
}

TProducerAviRoot::TAviCopyStream* TProducerAviLossless::FirstVideo() {
  for (TAviCopyStream& stream : streams_)
    if (stream.IsVideo()) return &stream;
  return nullptr;
}

void TProducerAviLossless::FitClipToVideo(TClipJob& job) {
  const TAviCopyStream* video = FirstVideo();
  if (!video) return;
  const IAVIReadStream& reader = *video->reader;
  const int64_t sample = reader.TimeToSample(clipStartMs_);
  const int64_t key = reader.PrevKeyFrame(sample + 1);
  if (key >= 0 && key != sample) clipStartMs_ = AviKeyFrameStartMs(reader, key);
  if (clipStartMs_ != job.Start) {
    job.ActualStart = TruncToInt32(static_cast<double>(clipStartMs_));
    TotalDuration += job.Start - clipStartMs_;
  }
  const int64_t videoEnd = reader.SampleToTime(reader.End());
  if (videoEnd < clipEndMs_) {
    TotalDuration += videoEnd - clipEndMs_;
    clipEndMs_ = videoEnd;
  }
}

HRESULT TProducerAviLossless::MatchStreamsToOutput(const TClipJob& job) {
  std::vector<const IAVIReadStream*> readers;
  for (const TAviCopyStream& stream : streams_) readers.push_back(stream.reader.get());
  QdMediaInfo clip;
  if (!DescribeAviStreams(readers, clip)) {
    StatusFailure(" : Could not open a stream.");
    return E_FAIL;
  }
  clip.ClearMatched();
  for (size_t k = 0; k < reference_.Streams.size(); ++k) {
    const QdMediaStream* partner = FindSameAviStream(reference_.Streams[k], clip);
    if (!partner) break;
    const auto at = static_cast<size_t>(partner - clip.Streams.data());
    if (at == k) continue;
    std::swap(streams_[k], streams_[at]);
    std::swap(clip.Streams[k], clip.Streams[at]);
    const bool matched = clip.Matched[k];
    clip.Matched[k] = clip.Matched[at];
    clip.Matched[at] = matched;
  }
  // The join check keeps such files apart; should one get here anyway, its audio must not land
  // in a video stream of the output.
  bool fits = streams_.size() == outputs_.size();
  for (size_t k = 0; fits && k < streams_.size(); ++k) {
    fits = streams_[k].info.fccType == outputTypes_[k];
    streams_[k].output = outputs_[k];
  }
  if (!fits) {
    StatusFailure(" : The streams do not match the first file : " + job.FileName.filename().string());
    return E_FAIL;
  }
  return S_OK;
}

void TProducerAviLossless::StatusClip(size_t number, const TClipJob& job) {
  // The heading shows the stretch that will really be copied at its end: a clip given as the
  // whole file ends where its video ends.
  TClipJob shown = job;
  shown.End = TruncToInt32(static_cast<double>(clipEndMs_));
  StatusClipHeading(static_cast<int32_t>(number), shown);
  if (job.Start - job.ActualStart > kAdjustedStartNotice)
    StatusIndented(DurationToText(shown.End - job.ActualStart) + " (" + TimeToText(job.ActualStart) + " - " +
                       TimeToText(shown.End) + ")  " + LangStr("Korvel1", "AdjustedTime"),
                   3);
}

HRESULT TProducerAviLossless::CopyClip(bool firstClip) {
  HRESULT result = PrepareStreams();
  if (Failed(result)) return result;
  // From here on the output holds copied data: a later failure keeps the finalized file.
  OutputCreated = false;
  if (!firstClip) result = CatchUpAudio();
  if (Succeeded(result)) result = InsertParameterSets();
  if (Succeeded(result)) result = InterleaveStreams();
  if (Failed(result)) return result;
  for (size_t k = 0; k < streams_.size(); ++k) {
    const TAviCopyStream& stream = streams_[k];
    outputDurationMs_[k] += std::max<int64_t>(
        stream.reader->SampleToTime(stream.endSample + 1) - stream.reader->SampleToTime(stream.startSample), 0);
  }
  return S_OK;
}

HRESULT TProducerAviLossless::CatchUpAudio() {
  const TAviCopyStream* video = FirstVideo();
  if (!video) return S_OK;
  const int64_t videoMs = outputDurationMs_[static_cast<size_t>(video - streams_.data())];
  if (videoMs <= 0) return S_OK;
  const int64_t frameMs = video->FrameMs();
  const int64_t toleranceMs = frameMs > 0 ? std::min(kAudioGapTolerance, frameMs - 1) : kAudioGapTolerance;
  const int64_t videoStartMs = video->reader->SampleToTime(video->startSample);
  for (size_t k = 0; k < streams_.size(); ++k) {
    TAviCopyStream& audio = streams_[k];
    if (!audio.IsAudio() || audio.endSample < audio.startSample) continue;
    // The clip's audio is to begin as far from its video as it does in the source: a start
    // inside a key frame copies that whole frame, but the audio from the start on.
    const int64_t audioStartMs = audio.reader->SampleToTime(audio.startSample);
    const int64_t gapMs = videoMs + (audioStartMs - videoStartMs) - outputDurationMs_[k];
    if (gapMs <= toleranceMs) continue;
    const int64_t fillEnd = std::min(audio.reader->TimeToSample(audioStartMs + gapMs), audio.endSample + 1);
    const int64_t samplesPerRead = audio.samplesPerRead;
    const double sampleMs = audio.SampleMs();
    const int64_t catchUpRead =
        sampleMs > 0 ? std::max<int64_t>(1, static_cast<int64_t>(kCatchUpReadMs / sampleMs + 0.49)) : 1;
    HRESULT result = S_OK;
    // Reads stop at the end of the gap, so the fill does not overshoot it.
    while (audio.currentSample < fillEnd && Succeeded(result)) {
      audio.samplesPerRead = std::min({samplesPerRead, catchUpRead, fillEnd - audio.currentSample});
      result = CopyAudioChunk(audio);
    }
    outputDurationMs_[k] += audio.reader->SampleToTime(std::min(audio.currentSample, audio.endSample + 1)) - audioStartMs;
    audio.samplesPerRead = samplesPerRead;
    audio.currentSample = audio.startSample;
    if (Failed(result)) return result;
  }
  return S_OK;
}

HRESULT TProducerAviLossless::InsertParameterSets() {
  for (TAviCopyStream& video : streams_) {
    if (!video.IsVideo() || CodecFamily(video.info.fccHandler) != kCodecH264) continue;
    if (video.startSample == 0) return S_OK;
    int64_t bytes = 0;
    int64_t samples = 0;
    HRESULT result = ReadIntoBuffer(*video.reader, video.startSample, 1, bytes, samples);
    if (result == E_OUTOFMEMORY) return result;
    if (Failed(result) || samples < 1 || HasParameterSets(video.info.fccHandler, Buffer().data(), static_cast<size_t>(bytes)))
      return S_OK;
    result = ReadIntoBuffer(*video.reader, 0, 1, bytes, samples);
    if (result == E_OUTOFMEMORY) return result;
    if (Failed(result) || samples < 1) return S_OK;
    result = WriteBuffer(video, kAviIndexKeyFrame, bytes, samples);
    if (Failed(result)) return result;
    outputDurationMs_[static_cast<size_t>(&video - streams_.data())] += video.reader->SampleToTime(samples);
    // The inserted frame plays one frame before the clip: the other streams start as early.
    const int64_t frameMs = video.FrameMs();
    for (TAviCopyStream& other : streams_)
      if (&other != &video) MoveStartEarlier(other, frameMs);
  }
  return S_OK;
}

void TProducerAviLossless::MoveStartEarlier(TAviCopyStream& stream, int64_t ms) {
  stream.startMs = std::max<int64_t>(stream.startMs - ms, 0);
  stream.spanMs = stream.endMs - stream.startMs + 1;
  longestSpanMs_ = std::max(longestSpanMs_, stream.spanMs);
  stream.startSample = stream.currentSample = stream.reader->TimeToSample(stream.startMs);
  stream.sampleCount = std::max<int64_t>(stream.endSample - stream.startSample + 1, 0);
}

void TProducerAviLossless::ProgressTick() {
  RaiseProgress((DoneDuration + windowMs_) * 1000 / std::max<int64_t>(TotalDuration, 1));
  windowMs_ = std::min(windowMs_ + stepMs_, longestSpanMs_);
}

}  // namespace korvel
