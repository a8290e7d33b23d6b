#pragma once
// The worker thread of the lossless WMV engine.
#include <memory>

#include "wmv/wmv_producer_root.h"

namespace korvel {

class TProducerWmvLosslessThread final : public TProducerWmvRootThread {
public:
  using TProducerWmvRootThread::TProducerWmvRootThread;

  bool CopyScripts = true;
  bool CopyAttributes = true;

protected:
  std::unique_ptr<TProducerBase> CreateProducer() override;
};

}  // namespace korvel
