#include "base/ruler_ticks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace korvel {
namespace {

constexpr int32_t kHeight = 30;

std::vector<TRulerTick> Majors(const std::vector<TRulerTick>& ticks) {
  std::vector<TRulerTick> majors;
  std::copy_if(ticks.begin(), ticks.end(), std::back_inserter(majors), [](const TRulerTick& t) { return t.Major; });
  return majors;
}

TEST(RulerTicks, DefaultsGiveAMajorEveryHundredPixelsAndAMiddleEveryTwentyFive) {
  const std::vector<TRulerTick> ticks = RulerTicks(TRulerScale{}, kHeight, 0, 201);
  ASSERT_EQ(ticks.size(), 41u);
  // top = 30 - 20 - 2 = 8; middle ticks 12 shorter, minor ones 4 shorter again
  EXPECT_EQ(ticks[0], (TRulerTick{0, 8, true, 0}));
  EXPECT_EQ(ticks[1], (TRulerTick{5, 24, false, 0}));
  EXPECT_EQ(ticks[5], (TRulerTick{25, 20, false, 0}));
  EXPECT_EQ(ticks[20], (TRulerTick{100, 8, true, 60}));
  EXPECT_EQ(ticks[40], (TRulerTick{200, 8, true, 120}));
}

TEST(RulerTicks, ABarNarrowerThanATickIntervalHasOnlyTheFirstMajor) {
  const std::vector<TRulerTick> ticks = RulerTicks(TRulerScale{}, kHeight, 0, 4);
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_TRUE(ticks[0].Major);
  EXPECT_EQ(RulerLabel(ticks[0].Seconds), "0:00:00");
}

TEST(RulerTicks, OneSubTickMakesEveryTickAMajor) {
  TRulerScale scale;
  scale.TickSubTicks = 0;
  const std::vector<TRulerTick> ticks = RulerTicks(scale, kHeight, 0, 11);
  ASSERT_EQ(ticks.size(), 3u);
  for (size_t i = 0; i < ticks.size(); ++i) {
    EXPECT_TRUE(ticks[i].Major);
    EXPECT_EQ(ticks[i].Seconds, 60 * static_cast<int64_t>(i));
  }
}

TEST(RulerTicks, AnExposedRangeDrawsWhatTheWholeRulerDrawsThere) {
  const TRulerScale scale{20, 12, 4, 2, 5, 20, 3600};
  const std::vector<TRulerTick> whole = RulerTicks(scale, kHeight, 0, 5000);
  const std::vector<TRulerTick> part = RulerTicks(scale, kHeight, 2345, 2600);
  ASSERT_FALSE(part.empty());
  // begins at the major tick whose label may still reach the range
  EXPECT_EQ(part.front(), (TRulerTick{2200, 8, true, 22 * 3600}));
  EXPECT_EQ(part.back().X, 2595);
  for (const TRulerTick& tick : part) EXPECT_EQ(tick, whole[tick.X / 5]);
}

TEST(RulerTicks, AFarRangeOfAVeryWideRulerCostsOnlyItsTicks) {
  const std::vector<TRulerTick> ticks = RulerTicks(TRulerScale{}, kHeight, 16000000, 16000100);
  EXPECT_EQ(Majors(ticks).front().Seconds, 159999 * 60);
  EXPECT_LE(ticks.size(), 41u);
}

TEST(RulerLabel, ReadsHoursMinutesSeconds) {
  EXPECT_EQ(RulerLabel(0), "0:00:00");
  EXPECT_EQ(RulerLabel(3 * 3600 + 5 * 60 + 7), "3:05:07");
  EXPECT_EQ(RulerLabel(int64_t{123} * 3600 + 59), "123:00:59");
}

}  // namespace
}  // namespace korvel
