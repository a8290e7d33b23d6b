#include "playback/video_fit.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

struct FitCase {
  int videoWidth, videoHeight, areaWidth, areaHeight;
  int width, height;
};

class FitVideoSizeTest : public testing::TestWithParam<FitCase> {};

TEST_P(FitVideoSizeTest, FillsOneDirectionKeepingTheAspect) {
  const FitCase& c = GetParam();
  const VideoFitSize fitted = FitVideoSize(c.videoWidth, c.videoHeight, c.areaWidth, c.areaHeight);
  EXPECT_EQ(fitted.width, c.width);
  EXPECT_EQ(fitted.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Table, FitVideoSizeTest,
                         testing::Values(FitCase{160, 120, 400, 400, 400, 300},   // wider than the area
                                         FitCase{160, 120, 800, 300, 400, 300},   // taller than the area
                                         FitCase{160, 120, 640, 480, 640, 480},   // the same shape
                                         FitCase{1920, 1080, 333, 333, 333, 187}, // truncated
                                         FitCase{10, 120, 400, 400, 10, 120},     // too small to fit
                                         FitCase{160, 120, 0, 0, 160, 120}));     // no area

}  // namespace
}  // namespace korvel
