#include "playback/player_marks.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(PlayerMarksTest, StartMarkPushesAnEndMarkTooCloseToTheDuration) {
  const auto marked = MarkedStart({0.0, 5.005}, 5.0, 20.0);
  ASSERT_TRUE(marked);
  EXPECT_DOUBLE_EQ(marked->start, 5.0);
  EXPECT_DOUBLE_EQ(marked->end, 20.0);

  const auto kept = MarkedStart({0.0, 5.02}, 5.0, 20.0);
  ASSERT_TRUE(kept);
  EXPECT_DOUBLE_EQ(kept->end, 5.02);
}

TEST(PlayerMarksTest, StartMarkAtOrAfterTheDurationChangesNothing) {
  EXPECT_FALSE(MarkedStart({0.0, 20.0}, 20.0, 20.0));
  EXPECT_TRUE(MarkedStart({0.0, 20.0}, 0.0, 20.0));
}

TEST(PlayerMarksTest, EndMarkBeforeTheStartMarkResetsTheStart) {
  const auto marked = MarkedEnd({5.0, 20.0}, 3.0);
  ASSERT_TRUE(marked);
  EXPECT_DOUBLE_EQ(marked->start, 0.0);
  EXPECT_DOUBLE_EQ(marked->end, 3.0);

  const auto kept = MarkedEnd({1.0, 20.0}, 3.0);
  ASSERT_TRUE(kept);
  EXPECT_DOUBLE_EQ(kept->start, 1.0);
}

TEST(PlayerMarksTest, EndMarkNeedsAPositivePosition) {
  EXPECT_FALSE(MarkedEnd({0.0, 20.0}, 0.0));
}

TEST(PlayerMarksTest, ClosingInTheFirstSecondMovesToASecondOrJustBeforeTheEnd) {
  EXPECT_DOUBLE_EQ(ClosingPosition(0.2, 0.8).value(), 0.79);
  EXPECT_DOUBLE_EQ(ClosingPosition(0.2, 30.0).value(), 1.0);
  EXPECT_FALSE(ClosingPosition(1.0, 30.0));
  EXPECT_DOUBLE_EQ(ClosingPosition(0.0, 0.0).value(), 0.0);
}

TEST(PlayerMarksTest, EndCheckComesSoonerInTheLastSecond) {
  EXPECT_EQ(CheckPlayEndInterval(3.0, 5.0), 100);
  EXPECT_EQ(CheckPlayEndInterval(4.2, 5.0), 50);
}

}  // namespace
}  // namespace korvel
