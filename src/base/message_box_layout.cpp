#include "base/message_box_layout.h"

#include <algorithm>

namespace korvel {

ButtonSize FitButtonSize(int32_t textWidth, int32_t textHeight) {
  return {textWidth >= 66 ? textWidth + 24 : 90, textHeight >= 13 ? textHeight + 12 : 25};
}

MsgBoxLayout LayOutMsgBox(const MsgBoxLayoutInputs& inputs) {
  int32_t rowWidth = 0;
  for (const int32_t width : inputs.ButtonWidths) rowWidth += (rowWidth > 0 ? kMsgBoxButtonGap : 0) + width;

  MsgBoxLayout layout;
  layout.FormWidth = std::min(std::max(rowWidth + 50, inputs.MessageLeft + inputs.MessageWidth + 25),
                              inputs.ScreenWidth - 20);
  const int32_t messageArea = inputs.MessageHeight < 32 ? 47 : inputs.MessageHeight + 15;
  layout.ClientHeight =
      std::min(inputs.MessageTop + messageArea + kMsgBoxButtonPanelHeight, inputs.ScreenHeight - 50);

  int32_t left = (layout.FormWidth - rowWidth) / 2;
  for (const int32_t width : inputs.ButtonWidths) {
    layout.ButtonLefts.push_back(left);
    left += width + kMsgBoxButtonGap;
  }
  return layout;
}

}  // namespace korvel
