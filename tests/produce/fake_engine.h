#pragma once
// An engine without media: its producer follows the standard run (checks, status protocol,
// progress per clip, stop, clean-up) over its clip jobs and writes a small destination file,
// so that the whole path from a job to its result can be driven without a real engine.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "produce/engine_table.h"
#include "produce/pumped_main_thread.h"
#include "produce/producer_base.h"
#include "produce/producer_thread.h"
#include "produce/work_root.h"

namespace korvel::test {

// What a fake run does and what it saw. Set on the main thread before Run; the "seen" fields
// are written by the worker and read once the job has finished.
struct FakeScript {
  // The per-mille values reported within each clip.
  std::vector<int32_t> ClipSteps{0, 500, 1000};
  // Clears OutputCreated once the destination is written, as an engine does when copying
  // begins, so that a later failure keeps the file.
  bool KeepOutput = false;
  // The run's result when nothing else fails it.
  HRESULT Result = S_OK;
  // Called on the worker before the producer is created.
  std::function<void()> BeforeCreate;

  std::vector<TClipJob> SeenJobs;
  std::thread::id SeenThread;
  std::atomic<bool> SawStop{false};
  // Shared with the thread, which may end after the test that ran it.
  std::shared_ptr<std::atomic<bool>> ThreadGone = std::make_shared<std::atomic<bool>>(false);
};

class FakeProducer final : public TProducerBase {
public:
  explicit FakeProducer(FakeScript& script) : script_(script) {}

  // For tests that run a producer directly on their own thread.
  using TProducerBase::ClipJobs;
  using TProducerBase::DestName;
  using TProducerBase::IndentLevel;
  using TProducerBase::OutputCreated;
  using TProducerBase::FinishRun;

  HRESULT Run() override;

private:
  FakeScript& script_;
};

class FakeThread final : public TProducerThread {
public:
  FakeThread(IMainThread& mainThread, FakeScript& script)
      : TProducerThread(mainThread), script_(script), gone_(script.ThreadGone) {}
  ~FakeThread() override { *gone_ = true; }

protected:
  std::unique_ptr<TProducerBase> CreateProducer() override;

private:
  FakeScript& script_;
  std::shared_ptr<std::atomic<bool>> gone_;
};

// A table in which every engine is the fake; Created lists the engines asked for, in order.
struct FakeEngines {
  explicit FakeEngines(FakeScript& script);
  // The factories point back here.
  FakeEngines(const FakeEngines&) = delete;
  FakeEngines& operator=(const FakeEngines&) = delete;

  TEngineTable Table;
  std::vector<TEngine> Created;
};

// Pumps the hand-over until the started job has finished and its worker is gone, so that
// nothing of a run outlives its test.
void PumpToEnd(TPumpedMainThread& mainThread, const TWorkRoot& job, const FakeScript& script);

}  // namespace korvel::test
