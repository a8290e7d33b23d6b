#include "ffmpeg/ffm_threads.h"

#include "ffmpeg/ffm_lossless_producer.h"
#include "ffmpeg/ffm_reconstruct_producer.h"

namespace korvel {

std::unique_ptr<TProducerBase> TProducerFfmLosslessThread::CreateProducer() {
  return std::make_unique<TProducerFfmLossless>();
}

std::unique_ptr<TProducerBase> TProducerFfmReconstructThread::CreateProducer() {
  return std::make_unique<TProducerFfmReconstruct>();
}

}  // namespace korvel
