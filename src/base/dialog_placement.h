#pragma once
// Where a dialog goes on the desktop: a default position, an optional request (a centre, and
// bounds on each side), a step aside from the mouse pointer, and finally onto the desktop.
#include <cstdint>
#include <limits>
#include <optional>

namespace korvel {

inline constexpr int32_t kPlacementUnset = std::numeric_limits<int32_t>::min();

// A request for a dialog's place; each value counts only when it is not kPlacementUnset.
struct TDlgPlacement {
  int32_t CenterX = kPlacementUnset;
  int32_t MinLeft = kPlacementUnset;
  int32_t MaxRight = kPlacementUnset;
  int32_t CenterY = kPlacementUnset;
  int32_t MinTop = kPlacementUnset;
  int32_t MaxBottom = kPlacementUnset;
};

// Centred on the pointer, never with its centre above y 300.
TDlgPlacement PlaceAtCursor(int32_t cursorX, int32_t cursorY);
// Centred over a window's client area whose centre is given, 25 pixels higher, never with its
// centre above y 300.
TDlgPlacement PlaceOverWindow(int32_t clientCenterX, int32_t clientCenterY);

struct PlacedRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const PlacedRect&, const PlacedRect&) = default;
};

struct PlacementInputs {
  // The dialog's size, and its place before any request (centred on the screen or its owner).
  PlacedRect Default;
  // The request; none keeps the default place.
  std::optional<TDlgPlacement> Request;
  int32_t CursorX = 0;
  int32_t CursorY = 0;
  // The desktop's work area.
  PlacedRect Desktop;
};

// The dialog's place: the request applied to the default place; when the pointer then lies
// inside the dialog, the dialog moves up so that its bottom is 5 pixels below the pointer;
// finally a dialog beyond an edge of the desktop is moved to 25 pixels inside that edge.
PlacedRect PlaceDialog(const PlacementInputs& inputs);

}  // namespace korvel
