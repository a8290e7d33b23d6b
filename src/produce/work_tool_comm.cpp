#include "produce/work_root.h"

#include "mediainfo/container_kind.h"

namespace korvel {

int32_t TWorkToolComm::ToolForKind(uint8_t kind) {
  switch (kind) {
    case kKindAvi: return kToolAviReindex;
    case kKindAsf: return kToolWmvReconstruct;
    case kKindMpegPs:
    case kKindMpegTs: return kToolFfmReconstruct;
    default: return -1;
  }
}

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
