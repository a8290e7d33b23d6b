#include "wmv/wmv_lossless_producer.h"

#include <algorithm>

#include "base/numeric.h"
#include "base/time_text.h"
#include "lang/lang.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/wmv_header_copy.h"
#include "wmv/wmv_remove_small_output.h"

namespace korvel {
namespace {

constexpr uint64_t kMs = 10000;
// A start moved back further than this (ms) is worth telling the user.
constexpr int32_t kAdjustedStartNotice = 3000;

std::string FileNameOf(const TClipJob& job) { return job.FileName.filename().string(); }

}  // namespace

HRESULT TProducerWmvLossless::Run() {
  if (ClipJobs.empty()) return FinishRun(E_FAIL);
  ResetProgress();
  StatusInitializing();
  HRESULT result = Produce();
  if (writer_ && writingBegun_ && !writingEnded_) {
    // What was written stays readable; the run has failed already.
    writer_->EndWriting();
    writingEnded_ = true;
  }
  // Only a file this run created is removed, and only when the run failed.
  if ((Failed(result) || StopRequested()) && writingBegun_) RemoveSmallOutput(DestName);
  return FinishRun(result);
}

HRESULT TProducerWmvLossless::Produce() {
  if (!CheckFiles()) return E_FAIL;
  HRESULT result = OpenInputs();
  if (Succeeded(result)) result = CreateOutput();
  if (Succeeded(result)) result = FindCutStarts();
  if (Failed(result) || StopRequested()) return result;

  copyTotal_ = 0;
  for (const Clip& clip : clips_) copyTotal_ += clip.length;
  StatusInitialized();
  asf::AsfHeaderInfo* output = writer_->HeaderInfo();
  const asf::AsfHeaderInfo& first = clips_.front().source.Header();
  if (CopyAttributes) {
    std::vector<uint16_t> numbers;
    for (size_t i = 0; i < map_.Streams(); ++i) numbers.push_back(map_.At(0, i));
    result = output ? korvel::CopyAttributes(numbers, *output, first) : E_FAIL;
    if (Failed(result)) {
      StatusFailure(" : Could not copy attributes.");
      return result;
    }
  } else {
    CopyNoticeAttribute(output, &first);
  }
  result = writer_->BeginWriting();
  if (Failed(result)) {
    StatusFailure(" : Could not create output file.");
    return result;
  }
  writingBegun_ = true;
  if (StopRequested()) return E_FAIL;
  result = CopyClips();
  if (Failed(result)) return result;
  writingEnded_ = true;
  result = writer_->EndWriting();
  if (Failed(result)) {
    StatusFailure(" : Could not finish output file.");
    return result;
  }
  if (StopRequested()) return E_FAIL;
  result = CompleteHeader();
  if (Succeeded(result) && !StopRequested()) RaiseProgress(1000);
  return result;
}

HRESULT TProducerWmvLossless::OpenClip(const TClipJob& job, Clip& clip) {
  HRESULT result = OpenWmvSource(job.FileName, clip.source);
  if (Failed(result)) {
    StatusOut(LangStr("Base", "Failure") + " : Could not open the file : " + FileNameOf(job));
    return result;
  }
  uint32_t protectedFile = 0;
  result = GetAttrDword(clip.source.Header(), "Is_Protected", 0, protectedFile);
  if (Succeeded(result) && protectedFile != 0) result = E_INVALIDARG;
  if (Failed(result)) {
    StatusOut(LangStr("Base", "Failure") + " : This file is protected, can not open : " + FileNameOf(job));
    return result;
  }
  result = GetAttrQword(clip.source.Header(), "Duration", 0, clip.fileDuration);
  if (Succeeded(result) && clip.fileDuration == 0) result = E_INVALIDARG;
  if (Failed(result)) return result;
  clip.length = clip.fileDuration;
  return S_OK;
}

HRESULT TProducerWmvLossless::OpenInputs() {
  Progress(0);
  clips_.clear();
  clips_.resize(ClipJobs.size());
  TWmStreamTable first;
  for (size_t k = 0; k < ClipJobs.size(); ++k) {
    Clip& clip = clips_[k];
    HRESULT result = OpenClip(ClipJobs[k], clip);
    if (Failed(result)) return result;
    if (k == 0) {
      result = first.Load(clip.source.profile);
      if (Failed(result)) return result;
      map_.Reset(ClipJobs.size(), first.Count());
      first.CopyNumbers(map_);
      std::vector<uint16_t> numbers;
      GetStreamTable(clip.source.profile, streamTypes_, numbers);
    } else {
      result = MatchClip(k, first);
      if (Failed(result)) return result;
    }
    SelectStreams(clip.source.profile, *clip.source.reader, true);
    result = ChooseStreams(clip.source.profile, clip.streams);
    if (Failed(result)) {
      StatusFailure(" : Could not get stream information.");
      return result;
    }
  }
  return S_OK;
}

HRESULT TProducerWmvLossless::MatchClip(size_t k, TWmStreamTable& first) {
  const Clip& clip = clips_[k];
  const std::string name = FileNameOf(ClipJobs[k]);
  if (clip.source.profile.GetStreamCount() != first.Count()) {
    StatusOut(LangStr("Base", "Failure") + " : Different Stream counts. : " + name);
    return E_FAIL;
  }
  TWmStreamTable table;
  HRESULT result = table.Load(clip.source.profile);
  if (Failed(result)) return result;
  if (!first.Match(table, map_, k)) {
    StatusOut(LangStr("Base", "Failure") + " : Profile Mismatch. Can not continue. : " + name);
    return E_FAIL;
  }
  return first.ApplyBufferWindows(clips_.front().source.profile);
}

void TProducerWmvLossless::SetOutputVideoRate() {
  uint32_t fastest = 0;
  for (const Clip& clip : clips_) {
    uint32_t bitrate = 0;
    uint32_t frameDuration = 0;
    if (Failed(GetVideoRate(clip.source.profile, clip.streams.video, bitrate, frameDuration))) continue;
    // Without a frame duration the video may run at a variable rate: room for twice as much.
    if (frameDuration == 0 && bitrate < kUnknownVideoRate) bitrate *= 2;
    fastest = std::max(fastest, bitrate);
  }
  Clip& first = clips_.front();
  if (fastest != 0) SetVideoRate(first.source.profile, first.streams.video, fastest);
}

HRESULT TProducerWmvLossless::CreateOutput() {
  Progress(0);
  writer_ = asf::CreateWriter();
  for (Clip& clip : clips_) RaiseLowRates(clip.source.profile);
  SetOutputVideoRate();
  const Clip& first = clips_.front();
  HRESULT result = writer_ ? writer_->SetProfile(first.source.profile) : E_OUTOFMEMORY;
  if (Succeeded(result)) {
    SetInterlaceSettings(*writer_);
    result = writer_->SetOutputFilename(DestName);
  }
  if (Failed(result)) {
    StatusFailure(" : Could not create output file.");
    return result;
  }
  CopyCodecInfo(*writer_, first.source.Header());
  WriteTagAttributes(writer_->HeaderInfo(), &first.source.Header(), TagText, TagFlags);
  return S_OK;
}

void TProducerWmvLossless::PrepareClip(size_t k, int32_t startMs) {
  const TClipJob& job = ClipJobs[k];
  Clip& clip = clips_[k];
  currentClip_ = k;
  TWmvClipWindow& window = clipReader_.Window;
  window.start = static_cast<uint64_t>(std::max(startMs, 0)) * kMs;
  // A selection that runs past the file ends with it: the next clip follows the last sample.
  window.end = std::min(static_cast<uint64_t>(std::max(job.End, 0)) * kMs, clip.fileDuration);
  window.duration = window.end > window.start ? window.end - window.start : 0;
  clipReader_.Reader = clip.source.reader.get();
  clipReader_.Writer = writer_.get();
  clipReader_.VideoStream = clip.streams.video;
  clipReader_.FrameDuration = clip.streams.frameDuration;
  clipReader_.CopyScripts = CopyScripts;
  clipReader_.Scripts = &streamScripts_;
  clipReader_.Routes.clear();
  for (size_t i = 0; i < map_.Streams(); ++i)
    clipReader_.Routes.push_back({map_.At(k, i), map_.At(0, i), streamTypes_[i] == asf::WMMEDIATYPE_Script});
}

HRESULT TProducerWmvLossless::FindCutStarts() {
  for (size_t k = 0; k < clips_.size(); ++k) {
    ClipJobs[k].ActualStart = ClipJobs[k].Start;
    PrepareClip(k, ClipJobs[k].Start);
    clips_[k].length = clipReader_.Window.duration;
    ++IndentLevel;
    const HRESULT result = clipReader_.ReadClip(true);
    --IndentLevel;
    if (Failed(result)) return result;
    if (StopRequested()) return E_FAIL;
  }
  return S_OK;
}

HRESULT TProducerWmvLossless::CopyClips() {
  clipReader_.OutputBase = 0;
  for (size_t k = 0; k < clips_.size(); ++k) {
    const TClipJob& job = ClipJobs[k];
    PrepareClip(k, job.ActualStart);
    StatusClipHeading(static_cast<int32_t>(k + 1), job);
    if (job.Start - job.ActualStart > kAdjustedStartNotice)
      StatusIndented(DurationToText(job.End - job.ActualStart) + " (" + TimeToText(job.ActualStart) + " - " +
                         TimeToText(job.End) + ")  " + LangStr("Korvel1", "AdjustedTime"),
                     3);
    IndentLevel += 3;
    const HRESULT result = clipReader_.ReadClip(false);
    IndentLevel -= 3;
    if (Failed(result)) return result;
    if (StopRequested()) return E_FAIL;
    // The next clip follows the last frame written, which may end after the selection.
    clips_[k].length = std::max(clipReader_.Window.duration, clipReader_.VideoOutputEnd() - clipReader_.OutputBase);
    clipReader_.OutputBase += clips_[k].length;
  }
  return S_OK;
}

std::vector<TWmvHeaderSpan> TProducerWmvLossless::HeaderSpans() const {
  std::vector<TWmvHeaderSpan> spans;
  uint64_t base = 0;
  for (size_t k = 0; k < clips_.size(); ++k) {
    const uint64_t start = static_cast<uint64_t>(std::max(ClipJobs[k].ActualStart, 0)) * kMs;
    const uint64_t length = clips_[k].length;
    uint64_t end = static_cast<uint64_t>(std::max(ClipJobs[k].End, 0)) * kMs;
    if (end < start || end - start > length) end = start + length;
    spans.push_back({&clips_[k].source.Header(), base, start, end});
    base += length;
  }
  return spans;
}

HRESULT TProducerWmvLossless::CompleteHeader() {
  const std::vector<TWmvHeaderSpan> spans = HeaderSpans();
  HRESULT result = S_OK;
  if (CopyScripts) {
    result = StoreHeaderScripts(DestName, spans);
    if (Succeeded(result)) result = StoreStreamScripts(DestName, streamScripts_);
  }
  if (Succeeded(result) && StopRequested()) return E_FAIL;
  if (Succeeded(result) && CopyMarkers) result = StoreMarkers(DestName, spans);
  return result;
}

void TProducerWmvLossless::CutStartFound() {
  const uint64_t start = clipReader_.Window.start;
  clips_[currentClip_].length = clipReader_.Window.duration;
  // A millisecond before the key frame, so that reading the copy pass's range delivers it.
  const uint64_t ms = start / kMs;
  ClipJobs[currentClip_].ActualStart = TruncToInt32(static_cast<double>(ms == 0 ? 0 : ms - 1));
}

void TProducerWmvLossless::StretchCut(uint64_t cut) {
  copyTotal_ -= std::min(cut, copyTotal_);
  clips_[currentClip_].length = clipReader_.Window.duration;
}

void TProducerWmvLossless::ClipProgress(bool keyFramePass, int64_t done) {
  if (keyFramePass) return;
  // In milliseconds, so that the product cannot overflow.
  const int64_t positionMs = (static_cast<int64_t>(clipReader_.OutputBase) + done) / static_cast<int64_t>(kMs);
  RaiseProgress(positionMs * 1000 / std::max<int64_t>(static_cast<int64_t>(copyTotal_ / kMs), 1));
}

}  // namespace korvel
