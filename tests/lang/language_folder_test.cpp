#include "lang/language_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace korvel {
namespace {

TEST(LangFolderTest, ListsTheFilesStartingWithLowerCaseGSorted) {
  const test::TempDir dir;
  for (const char* name : {"g0411_jpn.ini", "readme.txt", "G0407_deu.ini", "g0409_eng.ini", "gnotes"})
    test::WriteFileBytes(dir / name, {});
  std::filesystem::create_directory(dir / "g0000_folder");
  EXPECT_EQ(ListLanguageFiles(dir.path()), (std::vector<std::string>{"g0409_eng.ini", "g0411_jpn.ini", "gnotes"}));
  EXPECT_TRUE(ListLanguageFiles(dir / "missing").empty());
}

TEST(LangFolderTest, ProgramFolderHoldsTheRunningExecutable) {
  ASSERT_FALSE(ProgramFolder().empty());
  EXPECT_TRUE(std::filesystem::is_regular_file(ProgramFolder() / "korvel_tests"));
  EXPECT_EQ(ProgramLanguageFolder(), ProgramFolder() / "Language");
}

}  // namespace
}  // namespace korvel
