#include "mediainfo/media_extensions.h"

#include <gtest/gtest.h>

#include "base/file_filter.h"
#include "mediainfo/media_families.h"

namespace korvel {
namespace {

TEST(MediaExtensionsTest, TheBrowsersFilterListsEveryFamilyWithTheBdavStreams) {
  const TFileFilter filter = TFileFilter::Parse(MediaExtensionList());
  for (const char* listed : {"a.avi", "a.WMV", "a.wm", "a.asf", "a.wma", "a.mp4", "a.m4a", "a.m4v", "a.mov", "a.3gp",
                             "a.3g2", "a.mpg", "a.mpeg", "a.mpe", "a.mpv", "a.m1v", "a.m2v", "a.vob", "a.ts", "a.tp",
                             "a.m2t", "a.m2ts", "a.MTS"})
    EXPECT_TRUE(filter.Passes(listed, false)) << listed;
  for (const char* left : {"a.mkv", "a.avi.bak", "noext", "a.mp3", ".h.avi"}) EXPECT_FALSE(filter.Passes(left, false)) << left;
}

TEST(MediaExtensionsTest, EachKindOfFileHasItsPicture) {
  const std::pair<const char*, int32_t> cases[] = {
      {"a.avi", 2},  {"a.MKV", 2},  {"a.wmv", 3},  {"a.asf", 3},  {"a.vob", 4}, {"a.m2ts", 4}, {"a.mts", 4},
      {"a.ts", 4},   {"a.mp4", 5},  {"a.rmvb", 6}, {"a.mov", 7},  {"a.ogm", 8}, {"a.wma", 9},  {"a.M4A", 9},
      {"a.3gp", 1},  {"a.3g2", 1},  {"a.mj2", 1},  {"noext", 1},  {"a.", 1},    {"/x.avi/y", 1}};
  for (const auto& [name, category] : cases) EXPECT_EQ(FileIconCategory(name), category) << name;
}

}  // namespace
}  // namespace korvel
