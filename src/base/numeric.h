#pragma once
// Narrowing that never invokes undefined behaviour.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace korvel {

// The value truncated toward zero and clamped to the 32-bit range; NaN gives 0.
inline int32_t TruncToInt32(double value) {
  if (std::isnan(value)) return 0;
  const double t = std::trunc(value);
  return static_cast<int32_t>(std::clamp(t, static_cast<double>(std::numeric_limits<int32_t>::min()),
                                         static_cast<double>(std::numeric_limits<int32_t>::max())));
}

}  // namespace korvel
