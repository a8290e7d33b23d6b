#include "playback/key_frame_marks.h"

#include <gtest/gtest.h>

#include "produce/english_texts.h"

namespace korvel {
namespace {

// Key frames at 0, 2 s and 4.8 s of a 25 frames-a-second video.
const TKeyFrameList kList{{{0, 0}, {2000000, 2000}, {4800000, 4800}}, 40000};

TEST(KeyFrameBarValues, PlaceEachKeyFrameAtItsShareOfTheDuration) {
  EXPECT_EQ(KeyFrameBarValues(kList, 10.0, 10000), (std::vector<int32_t>{0, 2000, 4800}));
  EXPECT_EQ(KeyFrameBarValues(kList, 4.0, 10000), (std::vector<int32_t>{0, 5000, 10000}));
  EXPECT_TRUE(KeyFrameBarValues({}, 10.0, 10000).empty());
}

class RealStartCaptionTest : public test::EnglishTexts {};

TEST_F(RealStartCaptionTest, TellsTheKeyFrameAndHowManyFramesEarlierItIs) {
  EXPECT_EQ(RealStartCaption(kList, 5.28), "Real start 0:00:04.80, 12 frames earlier");
  EXPECT_EQ(RealStartCaption(kList, 2.04), "Real start 0:00:02.00, 1 frame earlier");
  EXPECT_EQ(RealStartCaption(kList, 2.0), "Real start 0:00:02.00, 0 frames earlier");
}

TEST_F(RealStartCaptionTest, IsEmptyBeforeTheFirstKeyFrame) {
  EXPECT_EQ(RealStartCaption({{{1000000, 1000}}, 40000}, 0.5), "");
}

}  // namespace
}  // namespace korvel
