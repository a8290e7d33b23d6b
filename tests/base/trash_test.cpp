#include "base/trash.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::string Content(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

class TrashTest : public ::testing::Test {
protected:
  fs::path Trash() const { return home.path() / "data" / "Trash"; }

  test::TempDir home;
  test::ScopedEnv dataHome{"XDG_DATA_HOME", (home.path() / "data").c_str()};
};

TEST_F(TrashTest, TheFileGoesToTheHomeTrashWithWhereItCameFrom) {
  fs::create_directories(home.path() / "my clips");
  const fs::path file = home.path() / "my clips" / "a b%.avi";
  Write(file, "movie");
  fs::path trashed;
  ASSERT_EQ(MoveToTrash(file, &trashed), 0);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(trashed, Trash() / "files" / "a b%.avi");
  EXPECT_EQ(Content(trashed), "movie");
  const std::string info = Content(Trash() / "info" / "a b%.avi.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + TrashInfoPath(file) + "\nDeletionDate=", 0), 0u) << info;
  EXPECT_TRUE(TrashInfoPath(file).ends_with("/my%20clips/a%20b%25.avi")) << TrashInfoPath(file);
  EXPECT_EQ(fs::status(Trash()).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(TrashTest, ASecondFileOfTheSameNameKeepsTheFirst) {
  Write(home / "a.avi", "first");
  ASSERT_EQ(MoveToTrash(home / "a.avi"), 0);
  Write(home / "a.avi", "second");
  fs::path trashed;
  ASSERT_EQ(MoveToTrash(home / "a.avi", &trashed), 0);
  EXPECT_EQ(trashed, Trash() / "files" / "a.2.avi");
  EXPECT_EQ(Content(Trash() / "files" / "a.avi"), "first");
  EXPECT_EQ(Content(trashed), "second");
  EXPECT_TRUE(fs::exists(Trash() / "info" / "a.2.avi.trashinfo"));
}

TEST_F(TrashTest, WithoutAUsableTrashTheFileStaysAndTheReasonIsGiven) {
  fs::create_directories(home.path() / "data");
  Write(Trash(), "not a folder");
  Write(home / "a.avi", "movie");
  EXPECT_EQ(MoveToTrash(home / "a.avi"), ENOTDIR);
  EXPECT_EQ(Content(home / "a.avi"), "movie");
  EXPECT_EQ(MoveToTrash(home / "gone.avi"), ENOENT);
}

}  // namespace
}  // namespace korvel
