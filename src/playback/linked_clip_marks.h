#pragma once
// How setting a selection mark in the player changes the clip linked to it, and where the
// selection goes once a clip has been taken from it.
#include <cstdint>

#include "playback/player_marks.h"

namespace korvel {

struct LinkedClipEdit {
  // False: the clip is unlinked and keeps its times.
  bool update = false;
  int32_t startMs = 0;
  int32_t endMs = 0;
  // The clip's start moved, so its thumbnail must be taken again.
  bool grabThumbnail = false;
};

// After Set Selection Start. `endBefore` is the end mark before marking, `marked` the selection
// after it. A mark that had to push the end mark, a start not before the end, or a clip that
// would end where it starts in whole milliseconds unlinks the clip.
LinkedClipEdit StartMarkEdit(double endBefore, PlayerSelection marked, int32_t clipStartMs);

// After Set Selection End. `startBefore` is the start mark before marking. A mark that had to
// reset the start mark, or a clip that would end where it starts in whole milliseconds, unlinks
// the clip.
LinkedClipEdit EndMarkEdit(double startBefore, PlayerSelection marked);

// Once a clip has been made from the selection, whether the next selection starts where it ended:
// not when that is within the file's last second.
bool SelectionMovesOnAfterAdd(double selectionEnd, double duration);

}  // namespace korvel
