#include "playback/player_steps.h"

#include <algorithm>

namespace korvel {

int32_t StepSecondsKind(int32_t seconds) {
  return static_cast<int32_t>((static_cast<uint32_t>(seconds) & 0xFFFFu) << 16) | kStepSeconds;
}

namespace {

double StepLength(int32_t kind, double frameDuration) {
  switch (kind & 0xFFFF) {
    case kStepSecond: return 1.0;
    case kStepFrame: return frameDuration;
    case kStepHundredth: return 0.01;
    case kStepSeconds: return static_cast<double>(static_cast<uint32_t>(kind) >> 16);
    default: return 0.0;
  }
}

}  // namespace

double StepTarget(double position, int32_t kind, bool forward, double frameDuration, double duration) {
  const double length = StepLength(kind, frameDuration);
  if (forward) return std::min(position + length, duration);
  return std::max(position - length, 0.0);
}

}  // namespace korvel
