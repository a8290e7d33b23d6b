#include "base/window_question_place.h"

#include <gtest/gtest.h>

#include "base/compact_layout.h"

namespace korvel {
namespace {

TEST(WindowQuestionPlace, QuestionsStayInsideTheWindowAboveTheClipPanel) {
  const TDlgPlacement placed = PlaceInWindow(PlaceAtCursor(500, 400), {.Left = 100, .Top = 50, .Width = 900, .PlayAreaBottom = 600, .LeftEdge = std::nullopt});
  EXPECT_EQ(placed.CenterX, 500);
  EXPECT_EQ(placed.CenterY, 400);
  EXPECT_EQ(placed.MinLeft, 110);
  EXPECT_EQ(placed.MaxRight, 990);
  EXPECT_EQ(placed.MinTop, 60);
  EXPECT_EQ(placed.MaxBottom, 590);
}

TEST(WindowQuestionPlace, TheBrowsersQuestionsKeepOffTheBrowser) {
  const TDlgPlacement placed =
      PlaceInWindow(PlaceAtCursor(200, 400), {.Left = 100, .Top = 50, .Width = 900, .PlayAreaBottom = 600, .LeftEdge = 450});
  EXPECT_EQ(placed.MinLeft, 460);
  EXPECT_EQ(placed.MaxRight, 990);
}

TEST(CompactLayout, WithoutTheBrowserAMaximizedWindowGivesUpItsMenuAndFrame) {
  struct Case {
    bool browser, maximized, minimized;
    bool menu, framed;
  };
  const Case cases[] = {
      {true, true, false, true, true},    {true, false, false, true, true},
      {false, false, false, false, true}, {false, true, false, false, false},
      {false, true, true, false, true},  // minimizing needs the frame back
  };
  for (const Case& c : cases) {
    const TCompactLayout layout = CompactLayoutFor(c.browser, c.maximized, c.minimized);
    EXPECT_EQ(layout.ShowBrowser, c.browser);
    EXPECT_EQ(layout.ShowMenuBar, c.menu);
    EXPECT_EQ(layout.Framed, c.framed) << c.browser << c.maximized << c.minimized;
  }
}

}  // namespace
}  // namespace korvel
