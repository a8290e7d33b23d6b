#include "playback/play_command_states.h"

namespace korvel {

PlayCommandStates PlayCommandsEnabled(const PlayCommandContext& context) {
  const PlayerStatus& player = context.player;
  return {
      .closeMedia = player.IsOpen(),
      .play = player.CanPlay(),
      .pause = player.IsPlaying(),
      .stop = player.CanStop(),
      .first = player.CanRewind(),
      .step = player.CanStep(),
      .markStart = player.CanMarkStart(),
      .markEnd = player.CanMarkEnd(),
      .fullScreen = player.IsOpen(),
      .closeFullScreen = context.fullScreen || context.menuDetached,
      .addClip = player.IsOpen(),
      .linkedClip = context.clipLinked,
  };
}

}  // namespace korvel
