#pragma once
// The worker thread of the WMV repair tool.
#include <memory>

#include "wmv/wmv_producer_root.h"
#include "wmv/wmv_reconstruct_producer.h"

namespace korvel {

class TProducerWmvReconstructThread final : public TProducerWmvRootThread {
public:
  using TProducerWmvRootThread::TProducerWmvRootThread;

  // The tool job's options: the whole file, scripts and attributes copied, only the best
  // audio and video stream kept, damaged stretches cut out.
  TWmvReconstructOptions Options{.KeepAllStreams = false};

protected:
  std::unique_ptr<TProducerBase> CreateProducer() override;
};

}  // namespace korvel
