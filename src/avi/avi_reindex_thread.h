#pragma once
// The worker thread of the "Reconstruct AVI" tool.
#include <memory>

#include "produce/producer_thread.h"

namespace korvel {

class TProducerAviReindexThread final : public TProducerThread {
public:
  using TProducerThread::TProducerThread;

protected:
  std::unique_ptr<TProducerBase> CreateProducer() override;
};

}  // namespace korvel
