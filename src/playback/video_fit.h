#pragma once
// The size of the video panel inside the player's video area.

namespace korvel {

struct VideoFitSize {
  int width = 0;
  int height = 0;
};

// A video larger than 10 x 10 fills the area in one direction and keeps its aspect in the other
// (truncated); a smaller one, or one without an area, keeps its own size.
VideoFitSize FitVideoSize(int videoWidth, int videoHeight, int areaWidth, int areaHeight);

}  // namespace korvel
