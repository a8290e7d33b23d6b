#include "playback/seek_bar_values.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(SeekBarValuesTest, WholeFileBarScalesToItsMaximum) {
  EXPECT_EQ(SeekBarValue(2.5, 10.0, 10000), 2500);
  EXPECT_EQ(SeekBarValue(12.0, 10.0, 10000), 10000);
  EXPECT_EQ(SeekBarValue(1.0, 0.0, 10000), 0) << "no duration";
  EXPECT_DOUBLE_EQ(SeekBarTime(2500, 10000, 10.0), 2.5);
}

TEST(SeekBarValuesTest, FineWindowIsCutAtTheFileEnds) {
  const FineSeekWindow middle = FineSeekWindowAt(30.0, 60.0);
  EXPECT_EQ(middle.startMs, 20000);
  EXPECT_EQ(middle.centreMs, 30000);
  EXPECT_EQ(middle.endMs, 40000);
  const FineSeekWindow nearStart = FineSeekWindowAt(3.0, 60.0);
  EXPECT_EQ(nearStart.startMs, 0);
  const FineSeekWindow nearEnd = FineSeekWindowAt(58.0, 60.0);
  EXPECT_EQ(nearEnd.endMs, 60000);
}

struct FineMarkCase {
  double position;
  int64_t markMs;
  int expected;
};

class FineSeekBarMarkTest : public testing::TestWithParam<FineMarkCase> {};

TEST_P(FineSeekBarMarkTest, PlacesTheMarkInItsHalf) {
  const FineMarkCase& c = GetParam();
  EXPECT_EQ(FineSeekBarMark(c.markMs, FineSeekWindowAt(c.position, 60.0), 10000), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FineSeekBarMarkTest,
    testing::Values(FineMarkCase{30.0, 25000, 2500}, FineMarkCase{30.0, 35000, 7500},
                    FineMarkCase{30.0, 30000, 5000}, FineMarkCase{30.0, 10000, 0},
                    FineMarkCase{30.0, 50000, 10000}, FineMarkCase{3.0, 1500, 2500},
                    // The position at 0 or at the duration empties one half: the default marks
                    // there sit at that edge of the bar.
                    FineMarkCase{0.0, 0, 0}, FineMarkCase{0.0, 60000, 10000},
                    FineMarkCase{60.0, 60000, 10000}, FineMarkCase{60.0, 0, 0}));

TEST(SeekBarValuesTest, FineBarDragGoesTenSecondsEitherWayWithinTheFile) {
  EXPECT_DOUBLE_EQ(FineSeekBarTime(0, 10000, 30000, 60.0), 20.0);
  EXPECT_DOUBLE_EQ(FineSeekBarTime(10000, 10000, 30000, 60.0), 40.0);
  EXPECT_DOUBLE_EQ(FineSeekBarTime(7500, 10000, 30000, 60.0), 35.0);
  EXPECT_DOUBLE_EQ(FineSeekBarTime(0, 10000, 4000, 60.0), 0.0);
  EXPECT_DOUBLE_EQ(FineSeekBarTime(10000, 10000, 55000, 60.0), 60.0);
}

TEST(SeekBarValuesTest, WheelMovesByTheFileLength) {
  EXPECT_DOUBLE_EQ(SeekBarWheelStep(120, 1800.0), 60.0);
  EXPECT_DOUBLE_EQ(SeekBarWheelStep(-120, 1800.0), -120.0 / 2.8);
  EXPECT_DOUBLE_EQ(SeekBarWheelStep(120, 600.0), 120.0);
  EXPECT_DOUBLE_EQ(SeekBarWheelStep(-120, 600.0), -120.0 / 1.8);
  EXPECT_DOUBLE_EQ(FineSeekBarWheelStep(120), 60.0);
  EXPECT_DOUBLE_EQ(FineSeekBarWheelStep(-120), -120.0 / 2.8);
}

}  // namespace
}  // namespace korvel
