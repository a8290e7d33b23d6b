#include "produce/engine_table.h"

#include <utility>

#include "avi/avi_lossless_thread.h"
#include "avi/avi_reindex_thread.h"
#include "ffmpeg/ffm_threads.h"
#include "mp4/mp4_lossless_thread.h"
#include "wmv/wmv_lossless_thread.h"
#include "wmv/wmv_reconstruct_thread.h"

namespace korvel {

void TEngineTable::Register(TEngine engine, TThreadFactory factory) {
  if (engine != TEngine::None) factories_[static_cast<size_t>(engine)] = std::move(factory);
}

std::shared_ptr<TProducerThread> TEngineTable::CreateThread(TEngine engine, IMainThread& mainThread) const {
  const TThreadFactory& factory = factories_[static_cast<size_t>(engine)];
  return factory ? factory(mainThread) : nullptr;
}

const TEngineTable& BuiltEngines() {
  static const TEngineTable table = [] {
    TEngineTable engines;
    // Each engine registers its thread factory here once it is built.
    engines.Register(TEngine::Mp4Lossless, [](IMainThread& mainThread) {
      return std::make_shared<TProducerMp4Thread>(mainThread);
    });
    engines.Register(TEngine::AviLossless, [](IMainThread& mainThread) {
      return std::make_shared<TProducerAviLosslessThread>(mainThread);
    });
    engines.Register(TEngine::AviReindex, [](IMainThread& mainThread) {
      return std::make_shared<TProducerAviReindexThread>(mainThread);
    });
    engines.Register(TEngine::FfmLossless, [](IMainThread& mainThread) {
      return std::make_shared<TProducerFfmLosslessThread>(mainThread);
    });
    engines.Register(TEngine::FfmReconstruct, [](IMainThread& mainThread) {
      return std::make_shared<TProducerFfmReconstructThread>(mainThread);
    });
    engines.Register(TEngine::WmvLossless, [](IMainThread& mainThread) {
      return std::make_shared<TProducerWmvLosslessThread>(mainThread);
    });
    engines.Register(TEngine::WmvReconstruct, [](IMainThread& mainThread) {
      return std::make_shared<TProducerWmvReconstructThread>(mainThread);
    });
    return engines;
  }();
  return table;
}

}  // namespace korvel
