#include "playback/player_marks.h"

#include <algorithm>

namespace korvel {

std::optional<PlayerSelection> MarkedStart(PlayerSelection selection, double position, double duration) {
  if (!(position < duration)) return std::nullopt;
  if (selection.end <= position + 0.01) selection.end = duration;
  selection.start = position;
  return selection;
}

std::optional<PlayerSelection> MarkedEnd(PlayerSelection selection, double position) {
  if (!(position > 0)) return std::nullopt;
  if (position <= selection.start) selection.start = 0;
  selection.end = position;
  return selection;
}

std::optional<double> ClosingPosition(double position, double duration) {
  if (position >= 1.0) return std::nullopt;
  return duration <= 1.0 ? std::max(duration - 0.01, 0.0) : 1.0;
}

int CheckPlayEndInterval(double position, double selectionEnd) {
  return selectionEnd - position <= 1.0 ? 50 : 100;
}

}  // namespace korvel
