#include "base/user_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <string>
#include <unistd.h>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

TEST(UserFoldersTest, HomeFallsBackToTheAccountWhenHomeIsUnsetOrRelative) {
  const passwd* account = ::getpwuid(::getuid());
  ASSERT_NE(account, nullptr);
  for (const std::optional<std::string>& home : {std::optional<std::string>(), std::optional<std::string>("relative/home")}) {
    const test::ScopedEnv env("HOME", home);
    EXPECT_EQ(UserHomeFolder(), fs::path(account->pw_dir));
  }
  const test::ScopedEnv env("HOME", "/srv/someone");
  EXPECT_EQ(UserHomeFolder(), fs::path("/srv/someone"));
}

struct DataCase {
  std::optional<std::string> dataHome;
  const char* expected;
};

class UserFoldersDataTest : public testing::TestWithParam<DataCase> {};

TEST_P(UserFoldersDataTest, UsesAnAbsoluteXdgDataHomeElseTheHomesLocalShare) {
  const test::ScopedEnv home("HOME", "/home/ann");
  const test::ScopedEnv data("XDG_DATA_HOME", GetParam().dataHome);
  EXPECT_EQ(UserDataFolder(), fs::path(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(UserFolders, UserFoldersDataTest,
                         testing::Values(DataCase{"/var/ann-data", "/var/ann-data"},
                                         DataCase{std::nullopt, "/home/ann/.local/share"},
                                         DataCase{"", "/home/ann/.local/share"},
                                         DataCase{"relative/data", "/home/ann/.local/share"}));

struct DocumentsCase {
  const char* what;
  std::optional<std::string> userDirs;  // the content of user-dirs.dirs; none: no such file
  bool homeHasDocuments;
  const char* expected;  // "~" stands for the test's home folder
};

class UserFoldersDocumentsTest : public testing::TestWithParam<DocumentsCase> {};

TEST_P(UserFoldersDocumentsTest, ReadsUserDirsThenTriesDocumentsThenHome) {
  const DocumentsCase& c = GetParam();
  test::TempDir dir;
  const fs::path home = dir / "home";
  fs::create_directories(home);
  if (c.homeHasDocuments) fs::create_directory(home / "Documents");
  const test::ScopedEnv homeEnv("HOME", home.string());
  const test::ScopedEnv configEnv("XDG_CONFIG_HOME", (dir / "config").string());
  if (c.userDirs) {
    fs::create_directories(dir / "config");
    std::ofstream(dir / "config" / "user-dirs.dirs") << *c.userDirs;
  }
  std::string expected = c.expected;
  if (expected.starts_with("~")) expected.replace(0, 1, home.string());
  EXPECT_EQ(UserDocumentsFolder(), fs::path(expected));
}

INSTANTIATE_TEST_SUITE_P(
    UserFolders, UserFoldersDocumentsTest,
    testing::Values(
        DocumentsCase{"HomeRelative", "# written by a tool\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n", false, "~/Papers"},
        DocumentsCase{"Absolute", "XDG_DOCUMENTS_DIR=\"/srv/papers\"\n", true, "/srv/papers"},
        DocumentsCase{"Escapes", "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Papers\\\" \\$1\"\n", false, "~/My \"Papers\" $1"},
        DocumentsCase{"BlanksAroundEquals", "  XDG_DOCUMENTS_DIR = \"$HOME/Papers\"\n", false, "~/Papers"},
        DocumentsCase{"HomeItself", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n", true, "~"},
        DocumentsCase{"LastWins", "XDG_DOCUMENTS_DIR=\"/first\"\nXDG_DOCUMENTS_DIR=\"/second\"\n", false, "/second"},
        DocumentsCase{"CommentedOut", "# XDG_DOCUMENTS_DIR=\"/srv/papers\"\n", true, "~/Documents"},
        DocumentsCase{"RelativeIgnored", "XDG_DOCUMENTS_DIR=\"Papers\"\n", true, "~/Documents"},
        DocumentsCase{"OtherVariableIgnored", "XDG_DOCUMENTS_DIRS=\"/srv/papers\"\nXDG_DOCUMENTSX=\"/x\"\n", true, "~/Documents"},
        DocumentsCase{"UnclosedQuoteIgnored", "XDG_DOCUMENTS_DIR=\"/srv/papers\n", true, "~/Documents"},
        DocumentsCase{"HomeLookalikeIgnored", "XDG_DOCUMENTS_DIR=\"$HOMEPapers\"\n", true, "~/Documents"},
        DocumentsCase{"NoFileDocumentsFolder", std::nullopt, true, "~/Documents"},
        DocumentsCase{"NoFileNoDocumentsFolder", std::nullopt, false, "~"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(UserFoldersTest, UserDirsComeFromTheHomesConfigWithoutXdgConfigHome) {
  test::TempDir dir;
  fs::create_directories(dir / "home" / ".config");
  std::ofstream(dir / "home" / ".config" / "user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
  const test::ScopedEnv homeEnv("HOME", (dir / "home").string());
  const test::ScopedEnv configEnv("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(UserDocumentsFolder(), dir / "home" / "Papers");
}

}  // namespace
}  // namespace korvel
