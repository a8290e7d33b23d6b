#include "produce/producer_base.h"

#include <algorithm>
#include <system_error>

#include "base/numeric.h"
#include "base/time_text.h"
#include "lang/lang.h"
#include "produce/check_clip_files.h"

namespace korvel {

void TProducerBase::RequestStop() { stopRequested_.store(true, std::memory_order_relaxed); }

bool TProducerBase::StopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }

void TProducerBase::Progress(int32_t perMille) {
  if (OnProgress) OnProgress(perMille);
}

void TProducerBase::StatusOut(std::string_view text) {
  if (!OnStatus) return;
  std::string line(static_cast<size_t>(std::max(IndentLevel, 0)) * 4, ' ');
  line += text;
  OnStatus(line);
}

void TProducerBase::StatusIndented(std::string_view text, int32_t levels) {
  IndentLevel += levels;
  StatusOut(text);
  IndentLevel -= levels;
}

void TProducerBase::ResetProgress() {
  HighestProgress = 0;
  Progress(0);
}

void TProducerBase::RaiseProgress(int64_t perMille) {
  const auto value = static_cast<int32_t>(std::clamp<int64_t>(perMille, 0, 1000));
  if (value <= HighestProgress) return;
  HighestProgress = value;
  Progress(value);
}

void TProducerBase::RaiseClipProgress(int64_t clipDuration, int32_t perMilleInClip) {
  const int64_t position = DoneDuration + clipDuration * perMilleInClip / 1000;
  RaiseProgress(position * 1000 / std::max<int64_t>(TotalDuration, 1));
}

void TProducerBase::SumClipDurations() {
  TotalDuration = 1;
  for (const TClipJob& job : ClipJobs) TotalDuration += std::max<int64_t>(int64_t{job.End} - job.Start, 0);
  DoneDuration = 0;
}

void TProducerBase::StatusInitializing() { Status(LangStr("Base", "Initialization") + " ..."); }

void TProducerBase::StatusInitialized() {
  Status(LangJoin(LangStr("Base", "Completed"), LangStr("Base", "Initialization")));
}

void TProducerBase::StatusClipHeading(int32_t number, const TClipJob& job) {
  const int32_t duration = TruncToInt32(static_cast<double>(job.End) - job.Start);
  StatusAnsi("");
  StatusOut(LangStr("Korvel1", "Clip") + " " + std::to_string(number));
  StatusIndented(DurationToText(duration) + " (" + TimeToText(job.Start) + " - " + TimeToText(job.End) + ")  " +
                     job.FileName.filename().string(),
                 3);
}

bool TProducerBase::CheckFiles() {
  const bool sourcesExist = CheckClipFiles(*this, ClipJobs);
  const bool destinationIsNew = CheckDestination(*this, DestName, SourceName, ClipJobs);
  return sourcesExist && destinationIsNew;
}

HRESULT TProducerBase::FinishRun(HRESULT result) {
  if (Succeeded(result) && StopRequested()) result = E_FAIL;
  if (Failed(result) && OutputCreated) {
    // A destination that never existed is not a failure to delete it.
    std::error_code error;
    std::filesystem::remove(DestName, error);
    if (error) StatusOut(LangStr("Base", "Failure") + " : Could not delete output file.");
    OutputCreated = false;
  }
  StatusAnsi("");
  Status(LangStr("Base", Failed(result) ? "Failure" : "Completed"));
  return result;
}

}  // namespace korvel
