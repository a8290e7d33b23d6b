#include "project/clip_zoom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "project/tile_scale.h"

namespace korvel {
namespace {

struct RowCase {
  const char* name;
  int32_t secondsPerMajor;
  std::vector<int32_t> durations;
  int32_t width;
};

class ClipZoomRowWidth : public testing::TestWithParam<RowCase> {};

TEST_P(ClipZoomRowWidth, IsTheWiderOfTimeAndPackedTiles) {
  const RowCase& c = GetParam();
  EXPECT_EQ(RowWidth(c.secondsPerMajor, c.durations), c.width);
}

INSTANTIATE_TEST_SUITE_P(
    ClipZoom, ClipZoomRowWidth,
    testing::Values(RowCase{"Empty", 60, {}, 1}, RowCase{"HalfAMinuteIs51", 60, {30000}, 51},
                    RowCase{"ShortClipIs10", 60, {100}, 10},
                    // the time reaches pixel 1, but the ten packed tiles end at 100
                    RowCase{"MinimumTilesOutgrowTheTime", 10800, std::vector<int32_t>(10, 1000), 100},
                    RowCase{"LongListAtFineScale", 1, {2000000000}, 200000001}),
    [](const testing::TestParamInfo<RowCase>& info) { return info.param.name; });

TEST(ClipZoomSteps, StepThroughTheTableBothWays) {
  EXPECT_EQ(ZoomInStep(60, {}), 50);
  EXPECT_EQ(ZoomOutStep(60), 120);
  EXPECT_EQ(ZoomInStep(2, {}), 1);
  EXPECT_EQ(ZoomOutStep(7200), 10800);
  // a scale between two steps goes to the neighbours of the step below or above it
  EXPECT_EQ(ZoomInStep(4, {}), 2);
  EXPECT_EQ(ZoomOutStep(4), 7);
}

TEST(ClipZoomSteps, StopAtBothEnds) {
  EXPECT_EQ(ZoomInStep(1, {}), std::nullopt);
  EXPECT_EQ(ZoomOutStep(10800), std::nullopt);
}

TEST(ClipZoomSteps, ZoomInIsRefusedWhenTheRowWouldPassTheLimit) {
  // 327 s at 1 s per 100 pixels end at pixel 32701; 328 s at 32801
  const std::vector<int32_t> fits{327000};
  const std::vector<int32_t> tooLong{328000};
  EXPECT_EQ(ZoomInStep(2, fits), 1);
  EXPECT_EQ(ZoomInStep(2, tooLong), std::nullopt);
  // many minimum tiles count too: 3277 tiles of 10 pixels end at 32770
  const std::vector<int32_t> manyShort(3277, 10);
  EXPECT_EQ(ZoomInStep(10800, manyShort), std::nullopt);
}

TEST(ClipZoomSteps, WidthLimitZoomsOutUntilTheRowFits) {
  EXPECT_EQ(StepWithinWidthLimit(1, std::vector<int32_t>{328000}), 2);
  EXPECT_EQ(StepWithinWidthLimit(1, std::vector<int32_t>{327000}), 1);
  // no step makes 4000 minimum tiles fit: the coarsest one is as far as it goes
  EXPECT_EQ(StepWithinWidthLimit(1, std::vector<int32_t>(4000, 10)), 10800);
}

struct TargetCase {
  int32_t clips;
  int32_t target;
};

class ClipZoomFitTarget : public testing::TestWithParam<TargetCase> {};

TEST_P(ClipZoomFitTarget, LeavesRoomForMoreClipsInAShortList) {
  EXPECT_EQ(FitTargetWidth(GetParam().clips, 800, 804), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(ClipZoom, ClipZoomFitTarget,
                         testing::Values(TargetCase{0, 704}, TargetCase{1, 600}, TargetCase{2, 640},
                                         TargetCase{3, 665}, TargetCase{4, 684}, TargetCase{5, 704}));

TEST(ClipZoomFit, OneMinuteInAnEightHundredPixelView) {
  const std::vector<int32_t> clip{60000};
  const int32_t target = FitTargetWidth(1, 800, 804);
  ASSERT_EQ(target, 600);
  // at 10 s the row would end at 601, past the target; at 20 s it ends at 301
  EXPECT_EQ(RowWidth(10, clip), 601);
  EXPECT_EQ(FitStep(clip, target), 20);
}

TEST(ClipZoomFit, EmptyListTakesTheFinestStepUnlessTheViewIsNarrow) {
  EXPECT_EQ(FitStep({}, FitTargetWidth(0, 97, 101)), 1);
  EXPECT_EQ(FitStep({}, FitTargetWidth(0, 96, 100)), 10800);
}

TEST(ClipZoomFit, HundredOneSecondClipsStayReachable) {
  const std::vector<int32_t> clips(100, 1000);
  const int32_t client = 796;
  const int32_t step = FitStep(clips, FitTargetWidth(100, client, 800));
  // even the coarsest step cannot fit 100 tiles of at least 10 pixels into 700
  EXPECT_EQ(step, 10800);
  const std::vector<TileSpan> tiles = LayoutTiles(step, clips);
  const int32_t lastRight = tiles.back().Left + tiles.back().Width;
  EXPECT_EQ(lastRight, 1000);
  EXPECT_GE(StripWidth(RowWidth(step, clips), client), lastRight);
}

TEST(ClipZoomStrip, TakesTheWiderOfRowAndViewPlusSlack) {
  EXPECT_EQ(StripWidth(301, 800), 900);
  EXPECT_EQ(StripWidth(1000, 800), 1100);
  EXPECT_EQ(StripWidth(200000001, 800), kMaxStripWidth);
}

}  // namespace
}  // namespace korvel
