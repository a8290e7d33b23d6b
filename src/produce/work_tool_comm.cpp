#include "produce/work_root.h"

namespace korvel {

TEngine TWorkToolComm::EngineFor(int32_t tool) {
  switch (tool) {
    case kToolAviReindex:
      return TEngine::AviReindex;
    case kToolWmvReconstruct:
      return TEngine::WmvReconstruct;
    case kToolFfmReconstruct:
      return TEngine::FfmReconstruct;
    default:
      return TEngine::None;
  }
}

bool TWorkToolComm::Run() { return Start(EngineFor(Tool), {}); }

}  // namespace korvel
