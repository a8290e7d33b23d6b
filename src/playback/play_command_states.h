#pragma once
// Which of the playback commands the main window offers, from the player's conditions. Buttons,
// the Play menu and the context menus of the play strip and the video all follow it.
#include "playback/player_status.h"

namespace korvel {

struct PlayCommandContext {
  PlayerStatus player;
  bool fullScreen = false;
  // The window is in its compact layout, without its main menu.
  bool menuDetached = false;
};

struct PlayCommandStates {
  bool closeMedia = false;
  bool play = false;
  bool pause = false;
  bool stop = false;
  bool first = false;
  // Last, Back, Next, Back (sec), Next (sec).
  bool step = false;
  // Set Selection Start and both GoTo commands.
  bool markStart = false;
  bool markEnd = false;
  bool fullScreen = false;
  bool closeFullScreen = false;
};

PlayCommandStates PlayCommandsEnabled(const PlayCommandContext& context);

}  // namespace korvel
