#pragma once
// Where a step of the preview player lands.
#include <cstdint>

namespace korvel {

// The kinds of step; kStepSeconds carries its number of seconds in the high 16 bits.
enum PlayerStepKind : int32_t {
  kStepSecond = 1,
  kStepFrame = 2,
  kStepHundredth = 3,
  kStepSeconds = 4,
};

int32_t StepSecondsKind(int32_t seconds);

// The position a step of `kind` from `position` reaches, backwards raised to 0, forwards lowered
// to the duration. An unknown kind stays where it is.
double StepTarget(double position, int32_t kind, bool forward, double frameDuration, double duration);

}  // namespace korvel
