#include "produce/progress_text.h"

#include <algorithm>

namespace korvel {
namespace {

int32_t Clamped(int32_t perMille) { return std::clamp(perMille, 0, 1000); }

}  // namespace

int32_t ProgressBarPosition(int32_t perMille) { return (Clamped(perMille) + 9) / 10; }

std::string ProgressCaption(int32_t perMille) {
  const int32_t value = Clamped(perMille);
  return std::to_string(value / 10) + "." + std::to_string(value % 10) + " %";
}

}  // namespace korvel
