#include "project/tile_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace korvel {
namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

struct PosCase {
  int32_t secondsPerMajor;
  int64_t ms;
  int32_t x;
};

class TileScalePosX : public testing::TestWithParam<PosCase> {};

TEST_P(TileScalePosX, TruncatesTowardZeroAndAddsOne) {
  const PosCase c = GetParam();
  EXPECT_EQ(GetPosXFromTimeMS(c.secondsPerMajor, c.ms), c.x);
}

INSTANTIATE_TEST_SUITE_P(TileScale, TileScalePosX,
                         testing::Values(PosCase{60, 0, 1}, PosCase{60, 60000, 101}, PosCase{60, 30000, 51},
                                         PosCase{60, 59999, 100}, PosCase{60, 100, 1}, PosCase{1, 1000, 101},
                                         PosCase{10800, 3600000, 34},
                                         // toward zero, not down: -0.998 pixels is 0
                                         PosCase{60, -599, 1}, PosCase{60, -600, 0},
                                         // a scale below 1 counts as 1 second
                                         PosCase{0, 1000, 101},
                                         // beyond the 32-bit pixel range
                                         PosCase{1, std::numeric_limits<int64_t>::max(), kInt32Max}));

TEST(TileScaleTimeMS, InvertsThePositionOfEveryWholeInterval) {
  for (const int32_t seconds : {1, 2, 3, 5, 7, 10, 60, 420, 3600, 10800}) {
    SCOPED_TRACE(seconds);
    EXPECT_EQ(GetTimeMSFromPosX(seconds, 1), 0);
    const int32_t x = GetPosXFromTimeMS(seconds, int64_t{seconds} * 1000);
    EXPECT_EQ(x, 101);
    EXPECT_EQ(GetTimeMSFromPosX(seconds, x), seconds * 1000);
  }
}

TEST(TileScaleTimeMS, TruncatesAndClampsToThe32BitRange) {
  EXPECT_EQ(GetTimeMSFromPosX(7, 2), 70);
  EXPECT_EQ(GetTimeMSFromPosX(60, 0), -600);
  EXPECT_EQ(GetTimeMSFromPosX(10800, kInt32Max), kInt32Max);
  EXPECT_EQ(GetTimeMSFromPosX(10800, -int64_t{kInt32Max}), std::numeric_limits<int32_t>::min());
}

TEST(TileScaleTimeMS, HonoursOtherPixelsPerMajor) {
  EXPECT_EQ(GetPosXFromTimeMS(60, 60000, 200), 201);
  EXPECT_EQ(GetTimeMSFromPosX(60, 201, 200), 60000);
}

struct LayoutCase {
  const char* name;
  int32_t secondsPerMajor;
  std::vector<int32_t> durations;
  std::vector<TileSpan> tiles;
};

class TileScaleLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(TileScaleLayout, PacksTilesFromTheLeftEdge) {
  const LayoutCase& c = GetParam();
  EXPECT_EQ(LayoutTiles(c.secondsPerMajor, c.durations), c.tiles);
}

INSTANTIATE_TEST_SUITE_P(
    TileScale, TileScaleLayout,
    testing::Values(LayoutCase{"HalfAMinute", 60, {30000}, {{0, 51}}},
                    LayoutCase{"TooShortGetsMinimum", 60, {100}, {{0, 10}}},
                    LayoutCase{"FollowsTheScale", 30, {30000}, {{0, 101}}},
                    // each tile ends at the pixel of the running total: 34 + 33 + 34 = 101
                    LayoutCase{"RoundingDoesNotAccumulate", 60, {20000, 20000, 20000}, {{0, 34}, {34, 33}, {67, 34}}},
                    // two minimum tiles push the third, which then ends at the total's pixel
                    LayoutCase{"MinimumTilesPushTheNext", 60, {100, 100, 60000}, {{0, 10}, {10, 10}, {20, 81}}},
                    LayoutCase{"Empty", 60, {}, {}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

}  // namespace
}  // namespace korvel
