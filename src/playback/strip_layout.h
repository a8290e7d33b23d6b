#pragma once
// Where the play strip's button group and the clip panel's zoom buttons stand in a strip of a
// given width: the group centred, the zoom buttons at the right end only where they fit beside it.

namespace korvel {

struct StripButtonPlaces {
  int groupLeft = 0;
  bool zoomVisible = false;
  int zoomLeft = 0;
};

// `gap` is the space kept between the group and the zoom buttons and at the strip's right end.
StripButtonPlaces PlaceStripButtons(int stripWidth, int groupWidth, int zoomWidth, int gap);

}  // namespace korvel
