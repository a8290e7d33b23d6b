#pragma once
// The worker thread that runs one producer: it carries the clip jobs to it and hands every
// event over to the main thread, waiting each time until the main thread has handled it.
// Each engine derives its thread from this one and creates its producer.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/hresult.h"
#include "produce/clip_job.h"
#include "produce/main_thread.h"

namespace korvel {

class TProducerBase;

class TProducerThread : public std::enable_shared_from_this<TProducerThread> {
public:
  explicit TProducerThread(IMainThread& mainThread) : main_(mainThread) {}
  virtual ~TProducerThread() = default;
  TProducerThread(const TProducerThread&) = delete;
  TProducerThread& operator=(const TProducerThread&) = delete;

  // Set on the main thread before Start; the events are called on the main thread.
  std::filesystem::path SourceName;
  std::filesystem::path DestName;
  std::function<void(const std::string&)> OnStatus;
  std::function<void(int32_t)> OnProgress;
  // The run has ended; Result holds the producer's result.
  std::function<void(TProducerThread&)> OnFinished;

  void AddClipJob(const std::filesystem::path& fileName, int32_t start, int32_t end, int32_t total);
  const std::vector<TClipJob>& ClipJobs() const { return clipJobs_; }

  // Main side. Starts the worker, which keeps this object alive (the thread must be owned
  // by a shared_ptr) until OnFinished has returned: a handler may drop every other
  // reference. False when no thread could be started.
  bool Start();

  // Main side: shows the stop line at once, then asks the producer to stop. A producer not
  // created yet is asked as soon as it is; one already destroyed is never reached.
  void Stop();

  // Main side: whoever listened goes away before the run has ended. Nothing is reported any
  // more and the producer is asked to stop; the worker still ends through the hand-over.
  void Abandon();

  // E_FAIL until the producer has returned; read it from OnFinished.
  HRESULT Result() const { return result_; }

protected:
  // Worker side: the engine's producer with the engine's options set, or null to fail.
  virtual std::unique_ptr<TProducerBase> CreateProducer() = 0;

private:
  void Execute();
  void AttachProducer(TProducerBase& producer);
  void DetachProducer();
  void RequestProducerStop();
  void PostStatus(const std::string& text);
  void PostProgress(int32_t perMille);

  IMainThread& main_;
  std::vector<TClipJob> clipJobs_;
  HRESULT result_ = E_FAIL;

  // Stop runs on the main thread while the worker creates and destroys the producer.
  std::mutex producerLock_;
  TProducerBase* producer_ = nullptr;
  bool stopRequested_ = false;
};

}  // namespace korvel
