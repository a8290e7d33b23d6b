#include "playback/player_steps.h"

#include <gtest/gtest.h>

#include "playback/player_status.h"

namespace korvel {
namespace {

struct StepCase {
  double position;
  int32_t kind;
  bool forward;
  double expected;
};

class StepTargetTest : public testing::TestWithParam<StepCase> {};

TEST_P(StepTargetTest, LandsWithinTheFile) {
  const StepCase& c = GetParam();
  EXPECT_DOUBLE_EQ(StepTarget(c.position, c.kind, c.forward, 0.04, 10.0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, StepTargetTest,
                         testing::Values(StepCase{5.0, kStepSecond, true, 6.0},
                                         StepCase{5.0, kStepSecond, false, 4.0},
                                         StepCase{5.0, kStepFrame, true, 5.04},
                                         StepCase{0.01, kStepFrame, false, 0.0},
                                         StepCase{5.0, kStepHundredth, false, 4.99},
                                         StepCase{9.5, kStepSecond, true, 10.0},
                                         StepCase{3.0, StepSecondsKind(10), false, 0.0},
                                         StepCase{3.0, StepSecondsKind(5), true, 8.0},
                                         StepCase{3.0, 7, true, 3.0}));

TEST(PlayerStatusTest, ConditionsFollowStateDurationAndSeeking) {
  PlayerStatus status;
  EXPECT_FALSE(status.IsOpen());
  EXPECT_FALSE(status.CanPlay());
  EXPECT_FALSE(status.CanMarkEnd());

  status.state = kPlayerStopped;
  EXPECT_TRUE(status.CanPlay());
  EXPECT_FALSE(status.CanStop());
  EXPECT_FALSE(status.CanRewind()) << "no duration yet";

  status.noDuration = false;
  status.duration = 4.0;
  EXPECT_TRUE(status.CanRewind());
  EXPECT_FALSE(status.CanStep()) << "the file cannot seek";
  EXPECT_FALSE(status.CanMarkStart());
  EXPECT_TRUE(status.CanMarkEnd());

  status.canSeek = true;
  EXPECT_TRUE(status.CanStep());
  status.state = kPlayerPlaying;
  EXPECT_FALSE(status.CanStep()) << "no steps while playing";
  EXPECT_TRUE(status.CanStop());
  EXPECT_TRUE(status.CanMarkStart());

  status.selStart = 1.0;
  status.selEnd = 1.0;
  EXPECT_FALSE(status.SelectionValid());
  status.selEnd = 1.5;
  EXPECT_TRUE(status.SelectionValid());
}

}  // namespace
}  // namespace korvel
