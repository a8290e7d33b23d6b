#include "playback/strip_layout.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(StripLayoutTest, GroupIsCentredAndZoomShowsOnlyBesideIt) {
  struct Case {
    int width;
    int groupLeft;
    bool zoomVisible;
  };
  // Group 400 wide, zoom 90 wide, gap 10: the centred group leaves room for the zoom buttons and
  // both gaps from about 400 + 2 x 90 + 4 x 10 = 620 on (619, as the centring rounds down).
  for (const Case c : {Case{1000, 300, true}, Case{620, 110, true}, Case{618, 109, false}, Case{300, 0, false}}) {
    SCOPED_TRACE(c.width);
    const StripButtonPlaces places = PlaceStripButtons(c.width, 400, 90, 10);
    EXPECT_EQ(places.groupLeft, c.groupLeft);
    EXPECT_EQ(places.zoomVisible, c.zoomVisible);
    if (places.zoomVisible) {
      EXPECT_EQ(places.zoomLeft, c.width - 100);
    }
  }
}

TEST(StripLayoutTest, NoZoomButtonsNeverShow) {
  EXPECT_FALSE(PlaceStripButtons(2000, 400, 0, 10).zoomVisible);
}

}  // namespace
}  // namespace korvel
