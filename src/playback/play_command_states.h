#pragma once
// Which of the playback commands and the play strip's clip commands the main window offers, from
// the player's conditions and the linked clip. Buttons, the Play and Clip menus and the context
// menus of the play strip and the video all follow it.
#include "playback/player_status.h"

namespace korvel {

struct PlayCommandContext {
  PlayerStatus player;
  bool fullScreen = false;
  // The window is in its compact layout, without its main menu.
  bool menuDetached = false;
  bool clipLinked = false;
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
  bool addClip = false;
  // Unlink Clip and Copy Clip.
  bool linkedClip = false;
};

PlayCommandStates PlayCommandsEnabled(const PlayCommandContext& context);

}  // namespace korvel
