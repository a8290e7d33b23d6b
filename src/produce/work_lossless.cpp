#include "produce/work_root.h"

#include "mediainfo/container_kind.h"
#include "produce/join_plan.h"
#include "produce/producer_thread.h"
#include "project/clip_list.h"

namespace korvel {

TEngine TWorkLossless::EngineFor(uint8_t kind, uint8_t subKind) {
  switch (kind) {
    case kKindAvi:
      return TEngine::AviLossless;
    case kKindAsf:
      return TEngine::WmvLossless;
    case kKindMpegPs:
    case kKindMpegTs:
      return TEngine::FfmLossless;
    case kKindMp4Family:
      // Only plain MP4 files suit the MP4 engine; every other member of the family, and an
      // MP4 with a track it cannot carry, goes through FFmpeg.
      return subKind == kSubKindMp4 ? TEngine::Mp4Lossless : TEngine::FfmLossless;
    default:
      return TEngine::None;
  }
}

void TWorkLossless::Follow(const TJoinPlan& plan) {
  Kind = plan.Reference.Kind;
  SubKind = plan.Reference.SubKind;
  ClipTotals = plan.Totals;
}

bool TWorkLossless::Run() {
  return Start(EngineFor(Kind, SubKind), [this](TProducerThread& thread) {
    if (!ClipList) return;
    for (int32_t i = 0; i < ClipList->Count(); ++i) {
      const TClipItem& clip = *ClipList->Get(i);
      const size_t index = static_cast<size_t>(i);
      thread.AddClipJob(clip.FileName(), clip.StartTime(), clip.EndTime(),
                        index < ClipTotals.size() ? ClipTotals[index] : clip.TotalTime());
    }
  });
}

}  // namespace korvel
