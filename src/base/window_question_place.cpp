#include "base/window_question_place.h"

namespace korvel {

namespace {

constexpr int32_t kInset = 10;

}  // namespace

TDlgPlacement PlaceInWindow(TDlgPlacement centre, const TWindowBounds& window) {
  centre.MinLeft = window.LeftEdge.value_or(window.Left) + kInset;
  centre.MaxRight = window.Left + window.Width - kInset;
  centre.MinTop = window.Top + kInset;
  centre.MaxBottom = window.PlayAreaBottom - kInset;
  return centre;
}

}  // namespace korvel
