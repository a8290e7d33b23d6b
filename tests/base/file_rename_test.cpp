#include "base/file_rename.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace korvel {
namespace {

std::string Content(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::filesystem::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

TEST(FileRenameTest, ATypedNameIsTrimmedAndMustNameAFileInTheSameFolder) {
  EXPECT_EQ(CheckedNewFileName("  take 2.avi\t"), "take 2.avi");
  EXPECT_EQ(CheckedNewFileName(".hidden"), ".hidden");
  EXPECT_EQ(CheckedNewFileName("...avi"), "...avi");
  using namespace std::string_view_literals;
  for (const std::string_view refused : {""sv, "   "sv, "."sv, ".."sv, " .. "sv, "a/b.avi"sv, "/x"sv, "a\0b"sv})
    EXPECT_FALSE(CheckedNewFileName(refused).has_value()) << refused;
}

TEST(FileRenameTest, RenamesIntoAFreeName) {
  test::TempDir dir;
  Write(dir / "a.avi", "first");
  EXPECT_EQ(RenameNoReplace(dir / "a.avi", dir / " b .avi"), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "a.avi"));
  EXPECT_EQ(Content(dir / " b .avi"), "first");
}

TEST(FileRenameTest, NeverReplacesAnExistingFile) {
  test::TempDir dir;
  Write(dir / "a.avi", "first");
  Write(dir / "b.avi", "second");
  EXPECT_EQ(RenameNoReplace(dir / "a.avi", dir / "b.avi"), EEXIST);
  EXPECT_EQ(Content(dir / "a.avi"), "first");
  EXPECT_EQ(Content(dir / "b.avi"), "second");
  EXPECT_EQ(RenameNoReplace(dir / "gone.avi", dir / "c.avi"), ENOENT);
}

}  // namespace
}  // namespace korvel
