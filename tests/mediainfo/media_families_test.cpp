#include "mediainfo/media_families.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(MediaFamilies, TheBrowsersListHoldsTheFamiliesInOrder) {
  EXPECT_EQ(MediaExtensionList(),
            ".AVI;.WMV;.WM;.ASF;.WMA;.MP4;.M4A;.M4V;.MOV;.3GP;.3G2;.MPG;.MPEG;.MPE;.MPV;.M1V;.M2V;.VOB;.TS;.TP;.M2T;.M2TS;.MTS;");
  EXPECT_EQ(MediaFamilies().size(), 5u);
}

TEST(MediaFamilies, AnExtensionIsRecognisedInAnyCase) {
  for (const char* name : {"a.avi", "B.MP4", "clip.Mts.m2t", "holiday.3g2", "x.Vob", "00001.m2ts", "a.MTS"}) EXPECT_TRUE(HasMediaExtension(name)) << name;
  for (const char* name : {"notes.txt", "avi", "a.avi.part", "movie.", "a.mkv"}) EXPECT_FALSE(HasMediaExtension(name)) << name;
}

}  // namespace
}  // namespace korvel
