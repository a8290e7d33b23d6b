#pragma once
// The contract every engine's producer follows: status lines built the same way by all of
// them, per-mille progress that only rises, a stop flag polled between units of work, and the
// removal of a destination that holds nothing usable when the run fails.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "base/hresult.h"
#include "produce/clip_job.h"

namespace korvel {

class TProducerBase {
public:
  TProducerBase() = default;
  virtual ~TProducerBase() = default;
  TProducerBase(const TProducerBase&) = delete;
  TProducerBase& operator=(const TProducerBase&) = delete;

  // Every status line and every progress value (per mille); the thread points them at its
  // hand-over to the main thread.
  std::function<void(const std::string&)> OnStatus;
  std::function<void(int32_t)> OnProgress;

  // The whole run, on the worker thread: S_OK, or a failure (E_FAIL unless the engine has a
  // more telling code).
  virtual HRESULT Run() = 0;

  // Any thread. A producer that may block inside a library overrides it to interrupt that
  // work first, then calls this.
  virtual void RequestStop();
  bool StopRequested() const;

  void Progress(int32_t perMille);
  // The text prefixed with four spaces per indent level.
  void StatusOut(std::string_view text);
  // StatusOut with the indent level raised by levels for this one line.
  void StatusIndented(std::string_view text, int32_t levels);
  // Headline lines and fixed narrow texts. Text is UTF-8 throughout, so both are StatusOut;
  // engines keep the three names apart because they mean different lines.
  void Status(std::string_view text) { StatusOut(text); }
  void StatusAnsi(std::string_view text) { StatusOut(text); }

protected:
  // The start of a run: the highest progress goes back to 0, and 0 is reported.
  void ResetProgress();
  // Reports perMille, clamped to 0 ... 1000, when it exceeds the highest value reported.
  void RaiseProgress(int64_t perMille);
  // A join's overall progress: (done duration + clipDuration x perMilleInClip / 1000) x 1000
  // / total duration, in 64 bits (long clips overflow 32).
  void RaiseClipProgress(int64_t clipDuration, int32_t perMilleInClip);
  // Total duration := 1 + the clips' lengths (a clip ending before its start counts 0), so
  // it never divides by zero; done duration := 0.
  void SumClipDurations();

  // The protocol's fixed lines: "Initialization ...", then "Completed Initialization" in the
  // language's word order once sources and destination are open.
  void StatusInitializing();
  void StatusInitialized();
  // The heading of clip number (from 1): an empty line, "Clip N", and three levels deeper
  // "duration (start - end)  file name".
  void StatusClipHeading(int32_t number, const TClipJob& job);

  // Every run calls this before it writes anything: every clip's file exists and the
  // destination is none of the sources. Every problem is reported; false fails the run.
  bool CheckFiles();

  // The end of every run: success becomes E_FAIL when a stop was requested; a failure
  // deletes the destination while OutputCreated is set; then an empty line and "Failure" or
  // "Completed". Returns the run's result.
  HRESULT FinishRun(HRESULT result);

  // Set once the destination exists; clear it as soon as the file holds something worth
  // keeping, so that a later failure leaves it in place.
  bool OutputCreated = false;
  int32_t HighestProgress = 0;
  // Milliseconds, for RaiseClipProgress.
  int64_t TotalDuration = 1;
  int64_t DoneDuration = 0;
  int32_t IndentLevel = 0;
  // Tools: the file to repair. Joins point it at the clip being copied.
  std::filesystem::path SourceName;
  std::filesystem::path DestName;
  // Owned by the thread; the producer writes each job's ActualStart.
  std::span<TClipJob> ClipJobs;

private:
  friend class TProducerThread;

  // Written by the main thread, polled by the worker; nothing else is ordered by it.
  std::atomic<bool> stopRequested_{false};
};

}  // namespace korvel
