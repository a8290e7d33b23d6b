#include "base/atomic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Everything in the folder, so that a leftover temporary file shows.
std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

fs::perms Mode(const fs::path& file) { return fs::status(file).permissions(); }

TEST(AtomicFileTest, WritesANewFileWithTheUsualMode) {
  test::TempDir dir;
  const std::vector<uint8_t> content = Bytes("first\r\nsecond");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(dir / "new.txt", content, &error)) << error;
  EXPECT_EQ(ReadBytes(dir / "new.txt"), content);
  EXPECT_EQ(Mode(dir / "new.txt"), static_cast<fs::perms>(0644));
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"new.txt"});
}

TEST(AtomicFileTest, ReplacesAnOldFileKeepingItsMode) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "old.txt", Bytes("a much longer old content"));
  fs::permissions(dir / "old.txt", static_cast<fs::perms>(0600));
  ASSERT_TRUE(WriteFileAtomically(dir / "old.txt", Bytes("new")));
  EXPECT_EQ(ReadBytes(dir / "old.txt"), Bytes("new"));
  EXPECT_EQ(Mode(dir / "old.txt"), static_cast<fs::perms>(0600));
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"old.txt"});
}

TEST(AtomicFileTest, WriteFailingPartWayKeepsTheOldFile) {
  test::TempDir dir;
  const std::vector<uint8_t> old = Bytes("old content");
  test::WriteFileBytes(dir / "file.bin", old);
  const std::vector<uint8_t> big(64 * 1024, 'x');
  const auto written = test::RunWithFileSizeLimit(4096, [&] { return WriteFileAtomically(dir / "file.bin", big); });
  EXPECT_EQ(written, std::optional<bool>(false));
  EXPECT_EQ(ReadBytes(dir / "file.bin"), old);
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"file.bin"});
}

struct UnwritableCase {
  const char* what;
  const char* target;  // inside the test folder, which holds a folder "sub"
};

class AtomicFileUnwritableTest : public testing::TestWithParam<UnwritableCase> {};

TEST_P(AtomicFileUnwritableTest, FailsWithAReasonAndLeavesNothingBehind) {
  test::TempDir dir;
  fs::create_directory(dir / "sub");
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(dir / GetParam().target, Bytes("content"), &error));
  EXPECT_NE(error, "");
  EXPECT_TRUE(fs::is_directory(dir / "sub"));
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"sub"});
  EXPECT_TRUE(fs::is_empty(dir / "sub"));
}

INSTANTIATE_TEST_SUITE_P(AtomicFile, AtomicFileUnwritableTest,
                         testing::Values(UnwritableCase{"target is a folder", "sub"},
                                         UnwritableCase{"folder missing", "missing/file.txt"}),
                         [](const auto& info) {
                           std::string name = info.param.what;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

}  // namespace
}  // namespace korvel
