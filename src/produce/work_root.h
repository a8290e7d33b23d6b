#pragma once
// The jobs a wizard runs: a join of the clip list, or the repair of one file. A job picks its
// engine, starts that engine's thread and relays the thread's events; the wizard learns the
// result in OnFinished.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/hresult.h"
#include "produce/engine_table.h"
#include "produce/main_thread.h"

namespace korvel {

class TClipList;
struct TJoinPlan;
class TProducerThread;

class TWorkRoot {
public:
  // mainThread and engines must outlive the job's thread.
  explicit TWorkRoot(IMainThread& mainThread, const TEngineTable& engines = BuiltEngines())
      : main_(mainThread), engines_(engines) {}
  // A job destroyed while its thread runs stops the thread and hears nothing more from it.
  virtual ~TWorkRoot();
  TWorkRoot(const TWorkRoot&) = delete;
  TWorkRoot& operator=(const TWorkRoot&) = delete;

  // Set before Run. The events are called on the main thread.
  std::filesystem::path SourceName;
  std::filesystem::path DestName;
  std::function<void(const std::string&)> OnStatus;
  std::function<void(int32_t)> OnProgress;
  // The run has ended and Result holds its result. The handler may destroy the job.
  std::function<void(TWorkRoot&)> OnFinished;

  // Starts the work on a thread of its own; false when the job selects no built engine or
  // is running already.
  virtual bool Run() = 0;
  // Shows the stop line and asks the running producer to stop; the run then fails.
  void Stop();

  bool Running() const { return thread_ != nullptr; }
  // True once no worker of this job is left: the last one has delivered its final event and
  // let go of its thread object. Whatever the job's events reach may be freed only then.
  bool WorkerEnded() const { return lastThread_.expired(); }
  // E_FAIL until the run has ended, then the producer's result.
  HRESULT Result() const { return result_; }

protected:
  // Starts engine's thread after fill has added what the engine needs beyond the names.
  bool Start(TEngine engine, const std::function<void(TProducerThread&)>& fill);

private:
  void Finished(TProducerThread& thread);

  IMainThread& main_;
  const TEngineTable& engines_;
  std::shared_ptr<TProducerThread> thread_;
  std::weak_ptr<TProducerThread> lastThread_;
  HRESULT result_ = E_FAIL;
};

// Joins the clips of a clip list into DestName with the engine of the clips' container.
class TWorkLossless final : public TWorkRoot {
public:
  using TWorkRoot::TWorkRoot;

  // Not owned; each clip becomes one clip job, in list order.
  const TClipList* ClipList = nullptr;
  // The container kind and sub-kind of the clips' files.
  uint8_t Kind = 0;
  uint8_t SubKind = 0;
  // Each clip's source length in milliseconds, in list order; a clip without an entry hands
  // its own TotalTime to the engine.
  std::vector<int32_t> ClipTotals;

  // Takes the kind, the sub-kind and the source lengths a plan found.
  void Follow(const TJoinPlan& plan);

  static TEngine EngineFor(uint8_t kind, uint8_t subKind);
  bool Run() override;
};

// Repairs SourceName into DestName with one of the tools.
class TWorkToolComm final : public TWorkRoot {
public:
  using TWorkRoot::TWorkRoot;

  static constexpr int32_t kToolAviReindex = 0;
  static constexpr int32_t kToolWmvReconstruct = 1;
  static constexpr int32_t kToolFfmReconstruct = 2;
  int32_t Tool = -1;

  // The tool that repairs files of a container kind; -1 for a kind without one (the MP4
  // family).
  static int32_t ToolForKind(uint8_t kind);
  static TEngine EngineFor(int32_t tool);
  bool Run() override;
};

}  // namespace korvel
