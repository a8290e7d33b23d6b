#pragma once
// The values of the player's two seek bars: the whole-file bar and the fine bar that spans ten
// seconds either side of the position.
#include <cstdint>

namespace korvel {

constexpr int kSeekBarMaximum = 10000;
constexpr int64_t kFineSeekHalfMs = 10000;

// The bar value for a time: maximum x time / duration, truncated and kept within the bar.
int SeekBarValue(double seconds, double duration, int maximum);

// The bar value's time: value / maximum of the duration.
double SeekBarTime(int value, int maximum, double duration);

// The fine bar's window in milliseconds: ten seconds either side of the centre, cut at 0 and at
// the duration.
struct FineSeekWindow {
  int64_t startMs = 0;
  int64_t centreMs = 0;
  int64_t endMs = 0;
};
FineSeekWindow FineSeekWindowAt(double position, double duration);

// Where a mark at `markMs` sits on the fine bar: each half-window maps linearly onto its half of
// the bar; marks outside the window sit at the ends. A half-window that is empty (the centre at 0
// or at the duration) puts a mark there at its edge.
int FineSeekBarMark(int64_t markMs, const FineSeekWindow& window, int maximum);

// The time the fine bar's `value` stands for while it is dragged: left of the middle up to ten
// seconds before the centre (not below 0), right of it up to ten seconds after (not beyond the
// duration).
double FineSeekBarTime(int value, int maximum, int64_t centreMs, double duration);

// How far a wheel turn of `delta` moves a bar: the whole-file bar by delta / b forwards and
// delta / (b + 0.8) backwards, b being duration / 900 for files longer than 901 s, else 1; the
// fine bar by delta / 2 and delta / 2.8.
double SeekBarWheelStep(int delta, double duration);
double FineSeekBarWheelStep(int delta);

}  // namespace korvel
