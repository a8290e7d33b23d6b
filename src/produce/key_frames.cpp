#include "produce/key_frames.h"

#include <algorithm>

namespace korvel {
namespace {

constexpr int64_t kUsPerMs = 1000;

}  // namespace

std::optional<TRealStart> RealStart(const TKeyFrameList& list, int64_t markMs) {
  const auto after = std::ranges::upper_bound(list.KeyFrames, markMs, {}, &TKeyFrame::FirstMarkMs);
  if (after == list.KeyFrames.begin()) return std::nullopt;
  const TKeyFrame& key = *std::prev(after);
  TRealStart start{key.TimeUs, 0};
  if (list.FrameDurationUs > 0) {
    // A mark is a frame's start rounded to the millisecond: a millisecond's grace keeps it
    // in that frame rather than the one before.
    const int64_t apart = markMs * kUsPerMs - key.TimeUs + kUsPerMs;
    start.FramesEarlier = std::max<int64_t>(apart / list.FrameDurationUs, 0);
  }
  return start;
}

void AddKeyFrame(TKeyFrameList& list, TKeyFrame keyFrame) {
  if (!list.KeyFrames.empty()) {
    const TKeyFrame& last = list.KeyFrames.back();
    if (keyFrame.TimeUs <= last.TimeUs || keyFrame.FirstMarkMs <= last.FirstMarkMs) return;
  }
  list.KeyFrames.push_back(keyFrame);
}

int64_t FirstMarkAtOrAfter(int64_t timeUs) {
  if (timeUs <= 0) return 0;
  return (timeUs + kUsPerMs - 1) / kUsPerMs;
}

}  // namespace korvel
