#include "playback/strip_layout.h"

#include <algorithm>

namespace korvel {

StripButtonPlaces PlaceStripButtons(int stripWidth, int groupWidth, int zoomWidth, int gap) {
  StripButtonPlaces places;
  places.groupLeft = std::max((stripWidth - groupWidth) / 2, 0);
  places.zoomLeft = stripWidth - gap - zoomWidth;
  places.zoomVisible = zoomWidth > 0 && places.zoomLeft >= places.groupLeft + groupWidth + gap;
  return places;
}

}  // namespace korvel
