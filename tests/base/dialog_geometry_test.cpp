#include <gtest/gtest.h>

#include "base/dialog_placement.h"
#include "base/message_box_layout.h"

namespace korvel {
namespace {

TEST(FitButtonSizeTest, NarrowCaptionsGetTheStandardButton) {
  EXPECT_EQ(FitButtonSize(40, 12), (ButtonSize{90, 25}));
  EXPECT_EQ(FitButtonSize(65, 12), (ButtonSize{90, 25}));
  EXPECT_EQ(FitButtonSize(66, 13), (ButtonSize{90, 25}));
  EXPECT_EQ(FitButtonSize(80, 13), (ButtonSize{104, 25}));
  EXPECT_EQ(FitButtonSize(80, 17), (ButtonSize{104, 29}));
}

TEST(LayOutMsgBoxTest, AShortMessageGetsTheFixedMessageArea) {
  const MsgBoxLayout layout = LayOutMsgBox({{90}, 56, 16, 120, 20, 1920, 1080});
  EXPECT_EQ(layout.ClientHeight, 16 + 47 + 45);
  EXPECT_EQ(layout.FormWidth, 56 + 120 + 25);
  ASSERT_EQ(layout.ButtonLefts.size(), 1u);
  EXPECT_EQ(layout.ButtonLefts[0], (201 - 90) / 2);
}

TEST(LayOutMsgBoxTest, ATallMessageAddsFifteenBelowIt) {
  EXPECT_EQ(LayOutMsgBox({{90}, 56, 16, 120, 32, 1920, 1080}).ClientHeight, 16 + 32 + 15 + 45);
}

TEST(LayOutMsgBoxTest, ThreeButtonsMakeACentredRowWithFifteenPixelGaps) {
  const MsgBoxLayout layout = LayOutMsgBox({{90, 104, 90}, 56, 16, 40, 20, 1920, 1080});
  const int32_t row = 90 + 15 + 104 + 15 + 90;
  EXPECT_EQ(layout.FormWidth, row + 50);
  EXPECT_EQ(layout.ButtonLefts, (std::vector<int32_t>{25, 25 + 105, 25 + 105 + 119}));
}

TEST(LayOutMsgBoxTest, TheFormStaysWithinTheScreen) {
  const MsgBoxLayout layout = LayOutMsgBox({{90}, 56, 16, 3000, 2000, 1024, 768});
  EXPECT_EQ(layout.FormWidth, 1024 - 20);
  EXPECT_EQ(layout.ClientHeight, 768 - 50);
}

constexpr PlacedRect kDesktop{0, 0, 1280, 800};

TEST(PlaceDialogTest, WithoutARequestTheDefaultPlaceStandsWhenOnTheDesktop) {
  EXPECT_EQ(PlaceDialog({{440, 300, 400, 200}, std::nullopt, 450, 350, kDesktop}), (PlacedRect{440, 300, 400, 200}));
}

TEST(PlaceDialogTest, ACentreAndBoundsMoveTheDialogInThatOrder) {
  TDlgPlacement request;
  request.CenterX = 300;
  request.CenterY = 400;
  EXPECT_EQ(PlaceDialog({{0, 0, 200, 100}, request, 0, 0, kDesktop}), (PlacedRect{200, 350, 200, 100}));
  request.MinLeft = 250;
  request.MaxBottom = 420;
  EXPECT_EQ(PlaceDialog({{0, 0, 200, 100}, request, 0, 0, kDesktop}), (PlacedRect{250, 320, 200, 100}));
  request.MaxRight = 400;  // applied after the minimum, so it wins
  EXPECT_EQ(PlaceDialog({{0, 0, 200, 100}, request, 0, 0, kDesktop}).Left, 200);
}

TEST(PlaceDialogTest, ADialogOverThePointerMovesUpToLeaveItFree) {
  const TDlgPlacement request = PlaceAtCursor(600, 500);
  EXPECT_EQ(PlaceDialog({{0, 0, 200, 100}, request, 600, 500, kDesktop}), (PlacedRect{500, 405, 200, 100}));
}

TEST(PlaceDialogTest, AtThePointerNearTheBottomTheDialogStaysTwentyFivePixelsAboveTheEdge) {
  const TDlgPlacement request = PlaceAtCursor(600, 799);
  EXPECT_EQ(PlaceDialog({{0, 0, 200, 100}, request, 600, 799, kDesktop}), (PlacedRect{500, 800 - 100 - 25, 200, 100}));
}

TEST(PlaceDialogTest, EdgesBeyondTheDesktopComeTwentyFivePixelsInside) {
  EXPECT_EQ(PlaceDialog({{-40, -10, 200, 100}, std::nullopt, 0, 0, kDesktop}), (PlacedRect{25, 25, 200, 100}));
  EXPECT_EQ(PlaceDialog({{1200, 750, 200, 100}, std::nullopt, 0, 0, kDesktop}), (PlacedRect{1055, 675, 200, 100}));
  const PlacedRect offsetDesktop{100, 50, 800, 600};
  EXPECT_EQ(PlaceDialog({{0, 0, 200, 100}, std::nullopt, 0, 0, offsetDesktop}), (PlacedRect{125, 75, 200, 100}));
}

TEST(PlaceDialogTest, ExtremeRequestsStayWithinRange) {
  TDlgPlacement request;
  request.CenterX = INT32_MAX;
  request.CenterY = INT32_MIN + 1;
  const PlacedRect placed = PlaceDialog({{0, 0, 200, 100}, request, 0, 0, kDesktop});
  EXPECT_EQ(placed, (PlacedRect{1280 - 200 - 25, 25, 200, 100}));
}

TEST(PlaceDialogTest, PlacementsKeepTheirCentreBelowY300) {
  EXPECT_EQ(PlaceAtCursor(10, 20).CenterY, 300);
  EXPECT_EQ(PlaceAtCursor(10, 420).CenterY, 420);
  EXPECT_EQ(PlaceOverWindow(640, 300).CenterY, 300);
  EXPECT_EQ(PlaceOverWindow(640, 500).CenterY, 475);
  EXPECT_EQ(PlaceOverWindow(640, 500).CenterX, 640);
  EXPECT_EQ(PlaceOverWindow(640, 500).MinLeft, kPlacementUnset);
}

}  // namespace
}  // namespace korvel
