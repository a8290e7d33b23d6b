#pragma once
// When the main window's project and clip commands may run. Menus, buttons and the commands
// themselves all ask here, so that a shortcut pressed after the state changed acts on the state
// of that moment, not on what a menu showed when it last opened.
#include <cstdint>
#include <optional>

#include "lang/window_captions.h"

namespace korvel {

struct TProjectCommandState {
  // The clip list has changes not yet saved to a project.
  bool ListChanged = false;
  int32_t ClipCount = 0;
  // A clip is linked to the player.
  bool ClipLinked = false;
  // The clip panel has an anchor clip (the selected clips' reference).
  bool HasAnchor = false;
  // The player holds a file.
  bool PlayerOpen = false;
};

// Whether command may run in state; nothing for a command whose condition lies elsewhere (the
// player's transport, the browser's file commands).
std::optional<bool> ProjectCommandEnabled(TKorvelCommand command, const TProjectCommandState& state);

}  // namespace korvel
