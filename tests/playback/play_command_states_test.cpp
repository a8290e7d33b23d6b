#include "playback/play_command_states.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

PlayCommandContext Opened(int32_t state) {
  PlayCommandContext context;
  context.player = {.state = state, .noDuration = state == kPlayerClosed, .canSeek = state != kPlayerClosed,
                    .duration = state == kPlayerClosed ? 0.0 : 10.0, .selStart = 0.0, .selEnd = 10.0};
  return context;
}

TEST(PlayCommandStatesTest, EachPlayerStateEnablesItsCommands) {
  struct Case {
    int32_t state;
    bool open, play, pause, stop, steps;
  };
  for (const Case c : {Case{kPlayerClosed, false, false, false, false, false},
                       Case{kPlayerStopped, true, true, false, false, true},
                       Case{kPlayerPaused, true, true, false, true, true},
                       Case{kPlayerPlaying, true, false, true, true, false}}) {
    SCOPED_TRACE(c.state);
    const PlayCommandStates states = PlayCommandsEnabled(Opened(c.state));
    EXPECT_EQ(states.closeMedia, c.open);
    EXPECT_EQ(states.fullScreen, c.open);
    EXPECT_EQ(states.addClip, c.open);
    EXPECT_EQ(states.markStart, c.open);
    EXPECT_EQ(states.markEnd, c.open);
    EXPECT_EQ(states.play, c.play);
    EXPECT_EQ(states.pause, c.pause);
    EXPECT_EQ(states.stop, c.stop);
    EXPECT_EQ(states.first, c.steps);
    EXPECT_EQ(states.step, c.steps);
  }
}

TEST(PlayCommandStatesTest, AFileThatCannotSeekRewindsAndMarksItsEndOnly) {
  PlayCommandContext context = Opened(kPlayerPaused);
  context.player.canSeek = false;
  const PlayCommandStates states = PlayCommandsEnabled(context);
  EXPECT_TRUE(states.first);
  EXPECT_FALSE(states.step);
  EXPECT_FALSE(states.markStart);
  EXPECT_TRUE(states.markEnd);
}

TEST(PlayCommandStatesTest, LinkedClipAndWindowCommandsFollowTheirOwnState) {
  PlayCommandContext context = Opened(kPlayerClosed);
  EXPECT_FALSE(PlayCommandsEnabled(context).closeFullScreen);
  EXPECT_FALSE(PlayCommandsEnabled(context).linkedClip);
  context.menuDetached = true;
  context.clipLinked = true;
  EXPECT_TRUE(PlayCommandsEnabled(context).closeFullScreen);
  EXPECT_TRUE(PlayCommandsEnabled(context).linkedClip);
  context.menuDetached = false;
  context.fullScreen = true;
  EXPECT_TRUE(PlayCommandsEnabled(context).closeFullScreen);
}

}  // namespace
}  // namespace korvel
