#include "avi/avi_reindex_thread.h"

#include "avi/avi_reindex_producer.h"

namespace korvel {

std::unique_ptr<TProducerBase> TProducerAviReindexThread::CreateProducer() {
  auto producer = std::make_unique<TProducerAviReindex>();
  // The file is damaged or unindexed: whatever index it claims to have is not trusted.
  producer->SetForceReconstruct(true);
  return producer;
}

}  // namespace korvel
