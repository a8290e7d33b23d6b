#pragma once
// When the main window's project and clip-list commands may run. Menus, buttons and the commands
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
  // The clip panel has an anchor clip (the selected clips' reference).
  bool HasAnchor = false;
};

// Whether command may run in state; nothing for a command whose condition lies elsewhere (the
// player's transport and the play strip's clip commands follow the player, the browser's file
// commands its list).
std::optional<bool> ProjectCommandEnabled(TKorvelCommand command, const TProjectCommandState& state);

}  // namespace korvel
