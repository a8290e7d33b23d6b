#include "wmv/wmv_reconstruct_thread.h"

#include "wmv/wmv_reconstruct_producer.h"

namespace korvel {

std::unique_ptr<TProducerBase> TProducerWmvReconstructThread::CreateProducer() {
  auto producer = std::make_unique<TProducerWmvReconstruct>();
  HandOverTags(*producer);
  producer->Options = Options;
  return producer;
}

}  // namespace korvel
