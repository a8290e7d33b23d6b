#include "playback/seek_bar_values.h"

#include <algorithm>
#include <cmath>

#include "base/time_text.h"

namespace korvel {

int SeekBarValue(double seconds, double duration, int maximum) {
  if (!(duration > 0) || maximum <= 0) return 0;
  const double value = std::clamp(seconds / duration, 0.0, 1.0) * maximum;
  return static_cast<int>(value);
}

double SeekBarTime(int value, int maximum, double duration) {
  if (maximum <= 0) return 0.0;
  return std::clamp(static_cast<double>(value) / maximum, 0.0, 1.0) * duration;
}

FineSeekWindow FineSeekWindowAt(double position, double duration) {
  FineSeekWindow window;
  const int64_t durationMs = PlayerTimeToMs(std::max(duration, 0.0));
  window.centreMs = std::clamp<int64_t>(PlayerTimeToMs(std::max(position, 0.0)), 0, durationMs);
  window.startMs = std::max<int64_t>(window.centreMs - kFineSeekHalfMs, 0);
  window.endMs = std::min(window.centreMs + kFineSeekHalfMs, durationMs);
  return window;
}

int FineSeekBarMark(int64_t markMs, const FineSeekWindow& window, int maximum) {
  const int half = maximum / 2;
  if (markMs < window.startMs) return 0;
  if (markMs > window.endMs) return maximum;
  if (markMs == window.centreMs) {
    if (window.centreMs == window.startMs) return 0;
    if (window.centreMs == window.endMs) return maximum;
    return half;
  }
  if (markMs < window.centreMs) {
    const double share = static_cast<double>(markMs - window.startMs) / static_cast<double>(window.centreMs - window.startMs);
    return static_cast<int>(share * half);
  }
  const double share = static_cast<double>(markMs - window.centreMs) / static_cast<double>(window.endMs - window.centreMs);
  return half + static_cast<int>(share * (maximum - half));
}

double FineSeekBarTime(int value, int maximum, int64_t centreMs, double duration) {
  const int half = maximum / 2;
  if (half <= 0) return static_cast<double>(centreMs) * 0.001;
  int64_t targetMs;
  if (value < half) {
    targetMs = std::max<int64_t>(centreMs - static_cast<int64_t>(half - value) * kFineSeekHalfMs / half, 0);
  } else {
    const int64_t durationMs = PlayerTimeToMs(std::max(duration, 0.0));
    targetMs = std::min<int64_t>(centreMs + static_cast<int64_t>(value - half) * kFineSeekHalfMs / half, durationMs);
  }
  return static_cast<double>(targetMs) * 0.001;
}

double SeekBarWheelStep(int delta, double duration) {
  const double b = duration > 901.0 ? duration / 900.0 : 1.0;
  return delta > 0 ? delta / b : delta / (b + 0.8);
}

double FineSeekBarWheelStep(int delta) {
  return delta > 0 ? delta / 2.0 : delta / 2.8;
}

}  // namespace korvel
