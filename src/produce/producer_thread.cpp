#include "produce/producer_thread.h"

#include <system_error>
#include <thread>
#include <utility>

#include "lang/lang.h"
#include "produce/producer_base.h"

namespace korvel {

void TProducerThread::AddClipJob(const std::filesystem::path& fileName, int32_t start, int32_t end, int32_t total) {
  clipJobs_.push_back({fileName, start, start, end, total});
}

bool TProducerThread::Start() {
  try {
    std::thread([self = shared_from_this()] { self->Execute(); }).detach();
    return true;
  } catch (const std::bad_weak_ptr&) {
    return false;
  } catch (const std::system_error&) {
    return false;
  }
}

void TProducerThread::Stop() {
  if (OnStatus) OnStatus(LangStr("Korvel1", "StopByUser"));
  RequestProducerStop();
}

void TProducerThread::Abandon() {
  OnStatus = nullptr;
  OnProgress = nullptr;
  OnFinished = nullptr;
  RequestProducerStop();
}

void TProducerThread::RequestProducerStop() {
  std::lock_guard lock(producerLock_);
  stopRequested_ = true;
  if (!producer_) return;
  try {
    producer_->RequestStop();
  } catch (...) {
    // The flag is what counts; an engine's failure to interrupt its library early only
    // delays the stop.
  }
}

void TProducerThread::Execute() {
  try {
    std::unique_ptr<TProducerBase> producer = CreateProducer();
    if (producer) {
      AttachProducer(*producer);
      // Detached before the producer is destroyed, even when Run throws.
      struct Detach {
        TProducerThread& thread;
        ~Detach() { thread.DetachProducer(); }
      } detach{*this};
      result_ = producer->Run();
    }
  } catch (...) {
    // Nothing may escape a worker thread; whatever was thrown failed the run.
    result_ = E_FAIL;
  }
  main_.RunSync([this] {
    if (OnFinished) OnFinished(*this);
  });
}

void TProducerThread::AttachProducer(TProducerBase& producer) {
  producer.OnStatus = [this](const std::string& text) { PostStatus(text); };
  producer.OnProgress = [this](int32_t perMille) { PostProgress(perMille); };
  producer.SourceName = SourceName;
  producer.DestName = DestName;
  producer.ClipJobs = clipJobs_;
  std::lock_guard lock(producerLock_);
  producer_ = &producer;
  if (stopRequested_) producer.RequestStop();
}

void TProducerThread::DetachProducer() {
  std::lock_guard lock(producerLock_);
  producer_ = nullptr;
}

void TProducerThread::PostStatus(const std::string& text) {
  main_.RunSync([this, &text] {
    if (OnStatus) OnStatus(text);
  });
}

void TProducerThread::PostProgress(int32_t perMille) {
  main_.RunSync([this, perMille] {
    if (OnProgress) OnProgress(perMille);
  });
}

}  // namespace korvel
