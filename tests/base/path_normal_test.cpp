#include "base/path_normal.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

namespace fs = std::filesystem;

TEST(PathNormalTest, SpellingsOfOneFileBecomeOne) {
  EXPECT_EQ(NormalPath("/v/./trip//a.avi"), "/v/trip/a.avi");
  EXPECT_EQ(NormalPath("/v/x/../trip/a.avi"), "/v/trip/a.avi");
  EXPECT_EQ(NormalPath("a.avi"), fs::current_path() / "a.avi");
  EXPECT_EQ(NormalPath(" a .avi "), fs::current_path() / " a .avi ");  // blanks belong to the name
  EXPECT_EQ(NormalPath(""), "");
}

TEST(PathNormalTest, APathIsInsideAFolderOnlyByWholeNames) {
  EXPECT_EQ(PathInsideFolder("/home/u/Videos/trip/a.avi", "/home/u/Videos"), fs::path("trip/a.avi"));
  EXPECT_EQ(PathInsideFolder("/home/u/Videos/", "/home/u/Videos"), fs::path());
  EXPECT_EQ(PathInsideFolder("/home/u/Videos", "/home/u/Videos/"), fs::path());
  EXPECT_EQ(PathInsideFolder("/home/u/./Videos/a", "/home/x/../u/Videos"), fs::path("a"));
  EXPECT_FALSE(PathInsideFolder("/home/u/Videos2/a.avi", "/home/u/Videos"));
  EXPECT_FALSE(PathInsideFolder("/home/u", "/home/u/Videos"));
  EXPECT_FALSE(PathInsideFolder("/home/u/a", ""));
  EXPECT_EQ(PathInsideFolder("/mnt/a", "/"), fs::path("mnt/a"));
}

TEST(PathNormalTest, TheInnermostFolderHoldingAPathWins) {
  const std::vector<fs::path> folders{"/home/u/Desktop", "/home/u/Documents", "/home/u/Documents/Pictures", "/"};
  EXPECT_EQ(InnermostFolderOf("/home/u/Documents/Pictures/a.jpg", folders), 2u);
  EXPECT_EQ(InnermostFolderOf("/home/u/Documents/PicturesOld/a.jpg", folders), 1u);
  EXPECT_EQ(InnermostFolderOf("/home/u/Desktop", folders), 0u);
  EXPECT_EQ(InnermostFolderOf("/srv/a", folders), 3u);
  EXPECT_FALSE(InnermostFolderOf("/srv/a", {"/home/u"}));
}

}  // namespace
}  // namespace korvel
