#include "playback/linked_clip_marks.h"

#include "base/time_text.h"

namespace korvel {

namespace {

// The project reader drops a clip that does not end after its start, so such times are never
// written into a clip.
LinkedClipEdit UpdateUnlessEmpty(PlayerSelection selection) {
  const int32_t startMs = PlayerTimeToMs(selection.start);
  const int32_t endMs = PlayerTimeToMs(selection.end);
  if (endMs <= startMs) return {};
  return {.update = true, .startMs = startMs, .endMs = endMs};
}

}  // namespace

LinkedClipEdit StartMarkEdit(double endBefore, PlayerSelection marked, int32_t clipStartMs) {
  if (marked.start >= endBefore || marked.end != endBefore) return {};
  LinkedClipEdit edit = UpdateUnlessEmpty(marked);
  edit.grabThumbnail = edit.update && edit.startMs != clipStartMs;
  return edit;
}

LinkedClipEdit EndMarkEdit(double startBefore, PlayerSelection marked) {
  if (!(marked.end > startBefore) || marked.start != startBefore) return {};
  return UpdateUnlessEmpty(marked);
}

bool SelectionMovesOnAfterAdd(double selectionEnd, double duration) { return duration - 1.0 > selectionEnd; }

}  // namespace korvel
