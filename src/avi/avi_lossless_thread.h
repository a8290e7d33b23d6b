#pragma once
// The worker thread of the lossless AVI engine.
#include <memory>

#include "produce/producer_thread.h"

namespace korvel {

class TProducerAviLosslessThread final : public TProducerThread {
public:
  using TProducerThread::TProducerThread;

protected:
  std::unique_ptr<TProducerBase> CreateProducer() override;
};

}  // namespace korvel
