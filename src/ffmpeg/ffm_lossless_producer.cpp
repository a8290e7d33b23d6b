#include "ffmpeg/ffm_lossless_producer.h"

#include <algorithm>
#include <limits>

#include "base/numeric.h"
#include "base/time_text.h"
#include "lang/lang.h"

namespace korvel {

void TProducerFfmLossless::RequestStop() {
  TProducerBase::RequestStop();
  remuxer_.Interrupt();
}

HRESULT TProducerFfmLossless::Run() {
  ResetProgress();
  StatusInitializing();
  if (ClipJobs.empty()) return S_OK;
  if (!CheckFiles()) return FinishRun(E_FAIL);
  SFFMpegFmtClass& remuxer = remuxer_.Create();
  const HRESULT produced = ProduceClips(remuxer);
  HRESULT result = produced;
  if (!remuxer.Finish() && Succeeded(result)) result = E_FAIL;
  remuxer_.Destroy();
  return FinishRun(result);
}

HRESULT TProducerFfmLossless::ProduceClips(SFFMpegFmtClass& remuxer) {
  remuxer.OnStatus = [this](const std::string& text) { StatusOut(text); };
  remuxer.OnProgress = [this](int32_t perMille) { RaiseClipProgress(clipDuration_, perMille); };
  remuxer.OnClipResult = [this](const TClipWindow& window) { CheckClipResult(window); };
  StatusInitialized();
  SumClipDurations();
  for (size_t i = 0; i < ClipJobs.size(); ++i) {
    TClipJob& job = ClipJobs[i];
    currentJob_ = &job;
    SourceName = job.FileName;
    clipDuration_ = std::max<int64_t>(int64_t{job.End} - job.Start, 0);
    TClipWindow window;
    window.RequestedStart = job.Start;
    window.RequestedEnd = job.End;
    // A clip list that does not know the source's length marks it as the largest time.
    window.ReferenceDuration = job.Total == std::numeric_limits<int32_t>::max() ? 0 : job.Total;
    clipNumber_ = static_cast<int32_t>(i + 1);
    headingShown_ = false;
    // A clip taken to the end of its file is headed once the file's length is known.
    if (job.End != std::numeric_limits<int32_t>::max()) ShowClipHeading(job.End);
    const bool copied = remuxer.RunClip(job.FileName, DestName, i == 0, &window);
    if (!headingShown_) ShowClipHeading(job.End);
    if (i == 0) OutputCreated = remuxer.OutputOpened();
    if (!copied) return E_FAIL;
    DoneDuration += clipDuration_;
    if (StopRequested()) return S_OK;
  }
  RaiseProgress(1000);
  return S_OK;
}

void TProducerFfmLossless::ShowClipHeading(int32_t end) {
  if (headingShown_ || !currentJob_) return;
  headingShown_ = true;
  TClipJob shown = *currentJob_;
  shown.End = end;
  StatusClipHeading(clipNumber_, shown);
}

void TProducerFfmLossless::CheckClipResult(const TClipWindow& window) {
  if (!currentJob_) return;
  ShowClipHeading(window.MeasuredDuration > 0 ? std::min(currentJob_->End, window.MeasuredDuration - 1) : currentJob_->End);
  currentJob_->ActualStart = window.ActualStart;
  const TClipVerdict verdict = JudgeClipResult(window);
  if (verdict.Adjusted)
    StatusIndented(DurationToText(TruncToInt32(static_cast<double>(window.ActualEnd) - window.ActualStart)) + " (" +
                       TimeToText(window.ActualStart) + " - " + TimeToText(window.ActualEnd) + ")  " +
                       LangStr("Korvel1", "AdjustedTime"),
                   3);
  if (verdict.Doubtful) StatusIndented("* " + LangStr("Korvel1", "CheckResult"), 3);
}

}  // namespace korvel
