#include "fake_engine.h"

#include <array>
#include <cstdint>

#include "support/temp_dir.h"

namespace korvel::test {

HRESULT FakeProducer::Run() {
  script_.SeenThread = std::this_thread::get_id();
  script_.SeenJobs.assign(ClipJobs.begin(), ClipJobs.end());
  ResetProgress();
  StatusInitializing();
  if (!CheckFiles()) return FinishRun(E_FAIL);
  SumClipDurations();
  const std::array<uint8_t, 4> content{'f', 'a', 'k', 'e'};
  WriteFileBytes(DestName, content);
  OutputCreated = true;
  StatusInitialized();
  if (script_.KeepOutput) OutputCreated = false;

  for (size_t i = 0; i < ClipJobs.size() && !StopRequested(); ++i) {
    const TClipJob& job = ClipJobs[i];
    StatusClipHeading(static_cast<int32_t>(i + 1), job);
    for (const int32_t step : script_.ClipSteps) {
      if (StopRequested()) break;
      RaiseClipProgress(int64_t{job.End} - job.Start, step);
    }
    DoneDuration += int64_t{job.End} - job.Start;
  }
  script_.SawStop = StopRequested();
  if (Succeeded(script_.Result) && !StopRequested()) RaiseProgress(1000);
  return FinishRun(script_.Result);
}

std::unique_ptr<TProducerBase> FakeThread::CreateProducer() {
  if (script_.BeforeCreate) script_.BeforeCreate();
  return std::make_unique<FakeProducer>(script_);
}

FakeEngines::FakeEngines(FakeScript& script) {
  for (const TEngine engine : {TEngine::AviLossless, TEngine::WmvLossless, TEngine::Mp4Lossless, TEngine::FfmLossless,
                               TEngine::AviReindex, TEngine::WmvReconstruct, TEngine::FfmReconstruct}) {
    Table.Register(engine, [this, engine, &script](IMainThread& mainThread) {
      Created.push_back(engine);
      return std::make_shared<FakeThread>(mainThread, script);
    });
  }
}

void PumpToEnd(TPumpedMainThread& mainThread, const TWorkRoot& job, const FakeScript& script) {
  // The thread's end wakes no one, so look often.
  mainThread.PumpUntil([&] { return !job.Running() && script.ThreadGone->load(); }, {}, std::chrono::milliseconds(1));
}

}  // namespace korvel::test
