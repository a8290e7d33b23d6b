#include "base/dialog_placement.h"

#include <algorithm>

namespace korvel {

namespace {

bool IsSet(int32_t value) { return value != kPlacementUnset; }

// One axis of a request: the centre first, then the lower bound, then the upper one. Wide
// arithmetic, as a request may hold any 32-bit value.
int64_t ApplyRequest(int64_t start, int64_t size, int32_t centre, int32_t minimum, int32_t maximumEnd) {
  if (IsSet(centre)) start = centre - size / 2;
  if (IsSet(minimum)) start = std::max<int64_t>(start, minimum);
  if (IsSet(maximumEnd) && start + size > maximumEnd) start = maximumEnd - size;
  return start;
}

int64_t OntoDesktop(int64_t start, int64_t size, int64_t desktopStart, int64_t desktopSize) {
  constexpr int64_t kMargin = 25;
  if (start < desktopStart) start = desktopStart + kMargin;
  if (start + size > desktopStart + desktopSize) start = desktopStart + desktopSize - size - kMargin;
  return start;
}

int32_t ToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min() + 1,
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

TDlgPlacement PlaceAtCursor(int32_t cursorX, int32_t cursorY) {
  TDlgPlacement placement;
  placement.CenterX = cursorX;
  placement.CenterY = std::max(cursorY, 300);
  return placement;
}

TDlgPlacement PlaceOverWindow(int32_t clientCenterX, int32_t clientCenterY) {
  TDlgPlacement placement;
  placement.CenterX = clientCenterX;
  placement.CenterY = std::max<int32_t>(ToInt32(int64_t{clientCenterY} - 25), 300);
  return placement;
}

PlacedRect PlaceDialog(const PlacementInputs& inputs) {
  const PlacedRect& form = inputs.Default;
  int64_t left = form.Left;
  int64_t top = form.Top;
  if (inputs.Request) {
    const TDlgPlacement& request = *inputs.Request;
    left = ApplyRequest(left, form.Width, request.CenterX, request.MinLeft, request.MaxRight);
    top = ApplyRequest(top, form.Height, request.CenterY, request.MinTop, request.MaxBottom);
    const bool coversPointer = inputs.CursorX >= left && inputs.CursorX < left + form.Width &&
                               inputs.CursorY >= top && inputs.CursorY < top + form.Height;
    if (coversPointer) top = int64_t{inputs.CursorY} - form.Height + 5;
  }
  const PlacedRect& desktop = inputs.Desktop;
  left = OntoDesktop(left, form.Width, desktop.Left, desktop.Width);
  top = OntoDesktop(top, form.Height, desktop.Top, desktop.Height);
  return {ToInt32(left), ToInt32(top), form.Width, form.Height};
}

}  // namespace korvel
