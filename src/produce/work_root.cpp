#include "produce/work_root.h"

#include "produce/producer_thread.h"

namespace korvel {

TWorkRoot::~TWorkRoot() {
  if (thread_) thread_->Abandon();
}

void TWorkRoot::Stop() {
  if (thread_) thread_->Stop();
}

bool TWorkRoot::Start(TEngine engine, const std::function<void(TProducerThread&)>& fill) {
  if (thread_) return false;
  std::shared_ptr<TProducerThread> thread = engines_.CreateThread(engine, main_);
  if (!thread) return false;
  thread->SourceName = SourceName;
  thread->DestName = DestName;
  if (fill) fill(*thread);
  thread->OnStatus = OnStatus;
  thread->OnProgress = OnProgress;
  thread->OnFinished = [this](TProducerThread& finished) { Finished(finished); };
  thread_ = thread;
  lastThread_ = thread;
  if (thread->Start()) return true;
  thread_ = nullptr;
  return false;
}

void TWorkRoot::Finished(TProducerThread& thread) {
  result_ = thread.Result();
  // Dropped first: the handler may destroy this job, and the worker keeps its thread alive.
  thread_ = nullptr;
  // Called through a copy: a handler that destroys this job destroys OnFinished with it,
  // which must not happen to the function still running.
  const std::function<void(TWorkRoot&)> handler = OnFinished;
  if (handler) handler(*this);
}

}  // namespace korvel
