#pragma once
// The stretch of one source a join copies, exchanged between the FFmpeg remuxer and its
// producer. All values are milliseconds.
#include <cstdint>

namespace korvel {

struct TClipWindow {
  int32_t RequestedStart = 0;     // the clip's selection in the clip list's timeline
  int32_t RequestedEnd = 0;
  int32_t ReferenceDuration = 0;  // the source's duration as the clip list knows it; <= 0: not given
  int32_t ActualStart = 0;        // the cut as made, in the clip list's timeline
  int32_t ActualEnd = 0;
  int32_t InputStart = 0;         // the window in the input's own timeline
  int32_t InputEnd = 0;
  int32_t MeasuredDuration = 0;   // the input's duration as measured, plus 1; 0 when unknown
};

// Places the requested selection on the input's own timeline, given the input's duration in
// microseconds (0: unknown). A clip list that knows the source as shorter or longer than it
// measures is assumed to have lost or gained that time at the start or at the end.
void FitClipWindow(TClipWindow& window, int64_t durationUs);

// What the user is told about a clip once its cut is known.
struct TClipVerdict {
  bool Adjusted = false;  // the cut strays far from the selection
  bool Doubtful = false;  // the clip list and the file disagree on the file's length
};
TClipVerdict JudgeClipResult(const TClipWindow& window);

}  // namespace korvel
