#pragma once
// Keeping the main window's questions inside the window and above the clip panel, so that a box
// never covers the clips it asks about and stays near where the user looks.
#include <cstdint>
#include <optional>

#include "base/dialog_placement.h"

namespace korvel {

// In screen coordinates.
struct TWindowBounds {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  // The bottom edge of the region above the clip panel.
  int32_t PlayAreaBottom = 0;
  // When set, the box keeps to the right of this edge (questions of the browser stay off it).
  std::optional<int32_t> LeftEdge;
};

// centre's centre, bounded 10 pixels inside the window's left, right and top and the play area's
// bottom (or the left edge when given).
TDlgPlacement PlaceInWindow(TDlgPlacement centre, const TWindowBounds& window);

}  // namespace korvel
