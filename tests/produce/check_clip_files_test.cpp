#include "produce/check_clip_files.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "english_texts.h"
#include "fake_engine.h"
#include "lang/lang.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// In a folder holding "a.avi", "b.avi" (the same bytes as a), "hard.avi" (a hard link to a),
// "soft.avi" (a symbolic link to a) and "sub/"; names are relative to that folder.
struct SameFileCase {
  const char* name;
  const char* a;
  const char* b;
  bool same;
};

class CheckClipFilesSameFile : public testing::TestWithParam<SameFileCase> {};

TEST_P(CheckClipFilesSameFile, MatchesOneFileUnderAnyName) {
  const SameFileCase& c = GetParam();
  test::TempDir dir;
  const std::array<uint8_t, 3> bytes{1, 2, 3};
  test::WriteFileBytes(dir / "a.avi", bytes);
  test::WriteFileBytes(dir / "b.avi", bytes);
  fs::create_hard_link(dir / "a.avi", dir / "hard.avi");
  fs::create_symlink(dir / "a.avi", dir / "soft.avi");
  fs::create_directory(dir / "sub");

  const auto inDir = [&](const char* name) { return *name ? dir.path() / name : fs::path(); };
  EXPECT_EQ(IsSameFile(inDir(c.a), inDir(c.b)), c.same);
  EXPECT_EQ(IsSameFile(inDir(c.b), inDir(c.a)), c.same);
}

INSTANTIATE_TEST_SUITE_P(CheckClipFiles, CheckClipFilesSameFile,
                         testing::Values(SameFileCase{"SamePath", "a.avi", "a.avi", true},
                                         SameFileCase{"SamePathSpeltOtherwise", "a.avi", "sub/.././a.avi", true},
                                         SameFileCase{"HardLink", "a.avi", "hard.avi", true},
                                         SameFileCase{"SymbolicLink", "soft.avi", "a.avi", true},
                                         SameFileCase{"NewNameSpeltTwice", "new.avi", "sub/../new.avi", true},
                                         SameFileCase{"EqualContent", "a.avi", "b.avi", false},
                                         SameFileCase{"NewNameBesideSource", "new.avi", "a.avi", false},
                                         SameFileCase{"NoName", "", "a.avi", false}),
                         [](const testing::TestParamInfo<SameFileCase>& info) { return std::string(info.param.name); });

// The producer-level check as every run makes it, before anything is written.
class CheckClipFilesDestination : public test::EnglishTexts {
protected:
  std::vector<std::string> Check(const fs::path& dest, const fs::path& source, bool expectedOk) {
    test::FakeScript script;
    test::FakeProducer producer(script);
    std::vector<std::string> lines;
    producer.OnStatus = [&](const std::string& line) { lines.push_back(line); };
    EXPECT_EQ(CheckDestination(producer, dest, source, jobs), expectedOk);
    return lines;
  }

  test::TempDir dir;
  std::vector<TClipJob> jobs;
};

TEST_F(CheckClipFilesDestination, RefusesAClipSourceOrTheToolSourceOnce) {
  const std::array<uint8_t, 1> byte{0};
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) {
    test::WriteFileBytes(dir / name, byte);
    jobs.push_back({dir / name, 0, 0, 1000, 1000});
  }
  jobs.push_back(jobs[1]);
  const std::vector<std::string> refused{
      "    ", "    " + LangStr("Base", "Failure") + " : The destination is one of the source files : b.avi"};

  EXPECT_EQ(Check(dir / "b.avi", {}, false), refused) << "one line, though two clips use the file";
  EXPECT_EQ(Check(dir / "new.avi", {}, true), std::vector<std::string>{});
  jobs.clear();
  EXPECT_EQ(Check(dir / "b.avi", dir / "b.avi", false), refused);
  EXPECT_EQ(Check(dir / "new.avi", dir / "b.avi", true), std::vector<std::string>{});
}

}  // namespace
}  // namespace korvel
