#include "base/file_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvel {
namespace {

std::string Listed(const TFileFilter& filter, const std::vector<std::string>& names, bool showHidden = false) {
  std::string listed;
  for (const std::string& name : names)
    if (filter.Passes(name, showHidden)) listed += name + " ";
  return listed;
}

const std::vector<std::string> kNames{"clip.avi", "CLIP.WMV", "clip.avi.bak", "noext", "a.Mp4", ".h.avi", "dots."};

TEST(FileFilterTest, UpperExtensionIsFromTheLastDot) {
  EXPECT_EQ(UpperExtension("clip.avi.bak"), ".BAK");
  EXPECT_EQ(UpperExtension("a.Mp4"), ".MP4");
  EXPECT_EQ(UpperExtension("noext"), "");
  EXPECT_EQ(UpperExtension("dots."), ".");
  EXPECT_EQ(UpperExtension("caf\xC3\xA9.\xC3\xA9vi"), ".\xC3\xA9VI");  // bytes beyond ASCII stay
}

TEST(FileFilterTest, ListsTheNamedExtensionsInAnyCaseAndHidesDotFiles) {
  EXPECT_EQ(Listed(TFileFilter::Parse(" .avi;.WMV; "), kNames), "clip.avi CLIP.WMV ");
  EXPECT_EQ(Listed(TFileFilter::Parse(".AVI;.WMV;"), kNames, true), "clip.avi CLIP.WMV .h.avi ");
}

TEST(FileFilterTest, AStarAnywhereOrNothingAtAllShowsEveryFile) {
  const std::string all = "clip.avi CLIP.WMV clip.avi.bak noext a.Mp4 dots. ";
  EXPECT_EQ(Listed(TFileFilter::Parse(".AVI;*;"), kNames), all);
  EXPECT_EQ(Listed(TFileFilter::Parse(""), kNames), all);
}

TEST(FileFilterTest, AnEmptyPieceBetweenSeparatorsStandsForNamesWithoutExtension) {
  EXPECT_EQ(Listed(TFileFilter::Parse(".AVI;;.MP4"), kNames), "clip.avi noext a.Mp4 ");
  EXPECT_EQ(Listed(TFileFilter::Parse(".AVI;"), kNames), "clip.avi ");
}

}  // namespace
}  // namespace korvel
