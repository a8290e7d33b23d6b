#include "mp4/mp4_lossless_thread.h"

#include "mp4/mp4_lossless_producer.h"

namespace korvel {

std::unique_ptr<TProducerBase> TProducerMp4Thread::CreateProducer() {
  return std::make_unique<TProducerMp4Lossless>();
}

}  // namespace korvel
