#pragma once
// Which engines this build contains. A job names the engine it needs; the table creates that
// engine's worker thread, or nothing when the engine is not built, in which case the job
// does not start.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "produce/main_thread.h"
#include "produce/producer_thread.h"

namespace korvel {

enum class TEngine : uint8_t {
  None,
  AviLossless,
  WmvLossless,
  Mp4Lossless,
  FfmLossless,
  AviReindex,
  WmvReconstruct,
  FfmReconstruct,
};

// Creates an engine's thread with the options its job asks for (the lossless WMV engine
// with all three copy options on; the WMV reconstruct tool with its numeric options 0 and its
// flags on, on, off, on).
using TThreadFactory = std::function<std::shared_ptr<TProducerThread>(IMainThread&)>;

class TEngineTable {
public:
  // Replaces the engine's factory; TEngine::None is never registered.
  void Register(TEngine engine, TThreadFactory factory);
  // Null when the engine is not registered or its factory made nothing.
  std::shared_ptr<TProducerThread> CreateThread(TEngine engine, IMainThread& mainThread) const;

private:
  static constexpr size_t kEngineCount = static_cast<size_t>(TEngine::FfmReconstruct) + 1;
  std::array<TThreadFactory, kEngineCount> factories_;
};

// The engines built into this program.
const TEngineTable& BuiltEngines();

}  // namespace korvel
