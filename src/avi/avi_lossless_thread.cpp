#include "avi/avi_lossless_thread.h"

#include "avi/avi_lossless_producer.h"

namespace korvel {

std::unique_ptr<TProducerBase> TProducerAviLosslessThread::CreateProducer() {
  return std::make_unique<TProducerAviLossless>();
}

}  // namespace korvel
