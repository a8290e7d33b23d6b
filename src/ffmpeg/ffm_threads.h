#pragma once
// The worker threads of the FFmpeg join and of the FFmpeg repair tool.
#include <memory>

#include "produce/producer_thread.h"

namespace korvel {

class TProducerFfmLosslessThread final : public TProducerThread {
public:
  using TProducerThread::TProducerThread;

protected:
  std::unique_ptr<TProducerBase> CreateProducer() override;
};

class TProducerFfmReconstructThread final : public TProducerThread {
public:
  using TProducerThread::TProducerThread;

protected:
  std::unique_ptr<TProducerBase> CreateProducer() override;
};

}  // namespace korvel
