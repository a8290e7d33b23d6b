#pragma once
// The sizes of the program's message box: its buttons fitted to their captions, the row they
// make, and a form just big enough for the message and the row, within the screen.
#include <cstdint>
#include <vector>

namespace korvel {

struct ButtonSize {
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const ButtonSize&, const ButtonSize&) = default;
};

// A button for a caption of the given text size: 90 × 25, or the text plus 24 across and 12 down
// once the text is at least 66 wide or 13 high.
ButtonSize FitButtonSize(int32_t textWidth, int32_t textHeight);

inline constexpr int32_t kMsgBoxButtonGap = 15;
inline constexpr int32_t kMsgBoxButtonPanelHeight = 45;

struct MsgBoxLayoutInputs {
  // The visible buttons' widths, leftmost first; at least one.
  std::vector<int32_t> ButtonWidths;
  int32_t MessageLeft = 0;
  int32_t MessageTop = 0;
  int32_t MessageWidth = 0;
  int32_t MessageHeight = 0;
  int32_t ScreenWidth = 0;
  int32_t ScreenHeight = 0;
};

struct MsgBoxLayout {
  int32_t FormWidth = 0;
  int32_t ClientHeight = 0;
  // The buttons' left edges, in the order of ButtonWidths.
  std::vector<int32_t> ButtonLefts;
};

// Form width: the larger of the button row + 50 and the message's right edge + 25, at most the
// screen width − 20. Client height: the message's top, then 47 for a message under 32 high or
// its height + 15, then the button panel; at most the screen height − 50. The row is centred.
MsgBoxLayout LayOutMsgBox(const MsgBoxLayoutInputs& inputs);

}  // namespace korvel
