#include "base/ruler_ticks.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace korvel {

std::vector<TRulerTick> RulerTicks(const TRulerScale& scale, int32_t height, int32_t fromX, int32_t toX) {
  const int64_t interval = std::max(scale.TickInterval, 1);
  const int64_t subTicks = std::max(scale.TickSubTicks, 1);
  const int64_t seconds = std::max(scale.TickTimeSec, 1);
  const int32_t top = height - scale.TickHeight - scale.TickMargin;

  std::vector<TRulerTick> ticks;
  // Counted in ticks from x = 0, so that a range that starts mid-way draws what the whole
  // ruler would draw there.
  const int64_t firstMajor = std::max<int64_t>(int64_t{fromX} - kRulerLabelReach, 0) / (interval * subTicks);
  for (int64_t tick = firstMajor * subTicks;; ++tick) {
    const int64_t x = tick * interval;
    if (x >= toX || x > INT32_MAX) break;
    const int64_t i = tick % subTicks;
    TRulerTick each;
    each.X = static_cast<int32_t>(x);
    each.Major = i == 0;
    each.Top = each.Major ? top : i % 5 == 0 ? top + scale.TickHSub1 : top + scale.TickHSub1 + scale.TickHSub2;
    if (each.Major) each.Seconds = tick / subTicks * seconds;
    ticks.push_back(each);
  }
  return ticks;
}

std::string RulerLabel(int64_t seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%" PRId64 ":%02d:%02d", seconds / 3600, static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

}  // namespace korvel
