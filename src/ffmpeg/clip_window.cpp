#include "ffmpeg/clip_window.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace korvel {
namespace {

// How far the cut may stray from the selection, in milliseconds, before the user is told.
constexpr int64_t kStartMovedBack = 3000;
constexpr int64_t kEndMovedLater = 2000;
constexpr int64_t kMovedInward = 1000;
// The clip list and the file disagreeing on the file's length by more than this.
constexpr int64_t kDoubtfulDuration = 5000;

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

void FitClipWindow(TClipWindow& window, int64_t durationUs) {
  int64_t measured = std::max<int64_t>(durationUs, 0) / 1000;
  if (measured != 0) ++measured;
  window.MeasuredDuration = ClampToInt32(measured);
  if (window.ReferenceDuration <= 0)
    window.ReferenceDuration = window.MeasuredDuration > 0 ? window.MeasuredDuration : window.RequestedEnd;
  const int64_t reference = window.ReferenceDuration;
  window.InputStart = window.RequestedStart;
  window.InputEnd = window.RequestedEnd;
  if (window.MeasuredDuration <= 0) {
    window.MeasuredDuration = window.ReferenceDuration;
  } else if (window.MeasuredDuration > reference) {
    window.InputEnd = ClampToInt32(int64_t{window.RequestedEnd} + (window.MeasuredDuration - reference));
  } else {
    window.InputStart = ClampToInt32(std::max<int64_t>(int64_t{window.RequestedStart} - (reference - window.MeasuredDuration), 0));
  }
}

TClipVerdict JudgeClipResult(const TClipWindow& window) {
  const int64_t start = window.ActualStart;
  const int64_t end = window.ActualEnd;
  TClipVerdict verdict;
  verdict.Doubtful = std::llabs(int64_t{window.ReferenceDuration} - window.MeasuredDuration) > kDoubtfulDuration;
  verdict.Adjusted = window.RequestedStart - start > kStartMovedBack || end - window.RequestedEnd > kEndMovedLater ||
                     start - window.RequestedStart > kMovedInward || window.RequestedEnd - end > kMovedInward ||
                     verdict.Doubtful;
  return verdict;
}

}  // namespace korvel
