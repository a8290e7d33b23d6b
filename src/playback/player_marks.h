#pragma once
// How marking the selection start or end from the current position moves the marks.
#include <optional>

namespace korvel {

struct PlayerSelection {
  double start = 0.0;
  double end = 0.0;
};

// Start mark at `position`; an end mark not more than 0.01 s after it moves to the duration.
// No change when the position is not before the duration.
std::optional<PlayerSelection> MarkedStart(PlayerSelection selection, double position, double duration);

// End mark at `position`; a start mark not before it moves to 0. No change unless the position is
// positive.
std::optional<PlayerSelection> MarkedEnd(PlayerSelection selection, double position);

// Where the player goes before it closes a file whose position is still in its first second: a
// second in, or just before the end of a shorter file. None once past the first second.
std::optional<double> ClosingPosition(double position, double duration);

// The end-check timer's next interval while playing towards `selectionEnd`: 50 ms in the last
// second, else 100 ms.
int CheckPlayEndInterval(double position, double selectionEnd);

}  // namespace korvel
