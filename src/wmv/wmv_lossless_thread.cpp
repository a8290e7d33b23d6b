#include "wmv/wmv_lossless_thread.h"

#include "wmv/wmv_lossless_producer.h"

namespace korvel {

std::unique_ptr<TProducerBase> TProducerWmvLosslessThread::CreateProducer() {
  auto producer = std::make_unique<TProducerWmvLossless>();
  HandOverTags(*producer);
  producer->CopyScripts = CopyScripts;
  producer->CopyAttributes = CopyAttributes;
  producer->CopyMarkers = true;
  return producer;
}

}  // namespace korvel
