#include "project/project_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "project/project_fixture.h"
#include "support/file_size_limit.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::WriteText;

const std::string kBom = "\xEF\xBB\xBF";

// The work state of an empty, untitled, unchanged list.
const std::string kEmptyWorkState = kBom + "[Clip]\r\nClipCount=0\r\n\r\n[Temp]\r\nChanged=0\r\nPjFileName=\r\n\r\n";

class ProjectFileTest : public test::ProjectFixture {
protected:
  ProjectFileTest() {
    project.OnProjectNameChanged = [this](TProjectFile& p) { names.push_back(p.ProjectName().string()); };
    list.OnCurrentClip = [this](TClipList&, TClipItem* item) { currentClips.push_back(item ? item->FileName().string() : "none"); };
  }

  void AddTwoClips() {
    session.AddClip("/video/beach trip.mp4", 600000, 1500, 62000, "0001424D3A");
    session.AddClip("/video/\xC3\xB1" "and\xC3\xBA.mts", 90000, 0, 90000);
  }

  std::vector<std::string> names;
  std::vector<std::string> currentClips;
};

const std::string kTwoClipSections =
    "[Clip]\r\nClipCount=2\r\n\r\n"
    "[Clip0]\r\nFileName=/video/beach trip.mp4\r\nTotalTime=600000\r\nStartTime=1500\r\nEndTime=62000\r\nClipImage=0001424D3A\r\n\r\n"
    "[Clip1]\r\nFileName=/video/\xC3\xB1" "and\xC3\xBA.mts\r\nTotalTime=90000\r\nStartTime=0\r\nEndTime=90000\r\nClipImage=\r\n\r\n";

// The work state right after the two clips were saved to or opened from file.
std::string TwoClipWorkState(const fs::path& file) {
  return kBom + kTwoClipSections + "[Temp]\r\nChanged=0\r\nPjFileName=" + file.string() + "\r\n\r\n";
}

TEST_F(ProjectFileTest, SavedProjectHasTheExactBytesAndReadsBack) {
  AddTwoClips();
  const fs::path file = dir / "trip.korvelproj";
  ASSERT_TRUE(project.SaveProject(file));
  EXPECT_EQ(ReadText(file), kBom + kTwoClipSections);
  EXPECT_EQ(project.ProjectName(), file);
  EXPECT_FALSE(list.Changed());
  EXPECT_EQ(ReadText(project.WorkStatePath()), TwoClipWorkState(file));

  test::Session next;
  next.project.OpenProject(file);
  EXPECT_EQ(test::Describe(next.list), test::Describe(list));
  EXPECT_EQ(next.project.ProjectName(), file);
  EXPECT_FALSE(next.list.Changed());
}

TEST_F(ProjectFileTest, OpenShowsTheFirstClipAndRecordsTheWorkState) {
  const fs::path file = dir / "trip.korvelproj";
  WriteText(file, kBom + kTwoClipSections);
  WriteText(project.WorkStatePath(), "stale");
  project.OpenProject(file);
  EXPECT_EQ(names, std::vector<std::string>{file.string()});
  // Clearing the list unlinks first; then the first clip is linked and unlinked.
  EXPECT_EQ(currentClips, (std::vector<std::string>{"none", "/video/beach trip.mp4", "none"}));
  EXPECT_EQ(list.CurrentItem(), nullptr);
  EXPECT_EQ(ReadText(project.WorkStatePath()), TwoClipWorkState(file));
}

TEST_F(ProjectFileTest, MissingProjectFileOpensAsAnEmptyNamedProject) {
  session.AddClip("/video/a.mp4", 1000, 0, 500);
  const fs::path file = dir / "missing.korvelproj";
  EXPECT_TRUE(project.OpenProject(file));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(project.ProjectName(), file);
  EXPECT_FALSE(list.Changed());
}

TEST_F(ProjectFileTest, UnreadableProjectFileFailsAndChangesNothing) {
  session.AddClip("/video/a.mp4", 1000, 0, 500);
  const fs::path file = dir / "folder.korvelproj";
  fs::create_directory(file);  // exists, but cannot be read as a file
  EXPECT_FALSE(project.OpenProject(file));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(project.ProjectName().empty());
  EXPECT_TRUE(list.Changed());
}

struct ReadCase {
  const char* what;
  std::string text;
  std::vector<std::string> expected;  // the file names read, in order
};

class ProjectFileReadTest : public test::ProjectFixture, public testing::WithParamInterface<ReadCase> {};

std::string Header(const std::string& clipCount) { return "[Clip]\nClipCount=" + clipCount + "\n"; }
std::string Section(int index, const std::string& body) { return "[Clip" + std::to_string(index) + "]\n" + body; }
std::string Clip(const std::string& name, int total, int start, int end) {
  return "FileName=" + name + "\nTotalTime=" + std::to_string(total) + "\nStartTime=" + std::to_string(start) +
         "\nEndTime=" + std::to_string(end) + "\n";
}
const std::string kA = Section(0, Clip("/v/a.mp4", 1000, 0, 500));
const std::string kC = Section(2, Clip("/v/c.mp4", 1000, 100, 900));
// A section between two good ones: a bad one is skipped and reading goes on.
std::string Between(const std::string& body) { return Header("3") + kA + Section(1, body) + kC; }
const std::vector<std::string> kAC = {"/v/a.mp4", "/v/c.mp4"};

TEST_P(ProjectFileReadTest, ReadsOnlyValidClipSections) {
  const fs::path file = dir / "read.korvelproj";
  WriteText(file, GetParam().text);
  project.OpenProject(file);
  std::vector<std::string> read;
  for (int32_t i = 0; i < list.Count(); ++i) read.push_back(list.Get(i)->FileName().string());
  EXPECT_EQ(read, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProjectFile, ProjectFileReadTest,
    testing::Values(
        ReadCase{"AllValid", Between(Clip("/v/b.mp4", 1000, 0, 1)), {"/v/a.mp4", "/v/b.mp4", "/v/c.mp4"}},
        ReadCase{"EmptyName", Between(Clip("", 1000, 0, 500)), kAC},
        ReadCase{"NoName", Between("TotalTime=1000\nStartTime=0\nEndTime=500\n"), kAC},
        ReadCase{"TotalZero", Between(Clip("/v/b.mp4", 0, 0, 500)), kAC},
        ReadCase{"StartEqualsEnd", Between(Clip("/v/b.mp4", 1000, 500, 500)), kAC},
        ReadCase{"StartAfterEnd", Between(Clip("/v/b.mp4", 1000, 600, 500)), kAC},
        ReadCase{"NegativeStart", Between(Clip("/v/b.mp4", 1000, -1, 500)), kAC},
        ReadCase{"SectionMissing", Header("3") + kA + kC, kAC},
        ReadCase{"HugeClipCount", Header("2147483647") + kA + kC, kAC},
        ReadCase{"ClipCountBeyond32Bits", Header("99999999999999") + kA + kC, kAC},
        ReadCase{"ClipCountBelowTheSections", Header("1") + kA + kC, {"/v/a.mp4"}},
        ReadCase{"NegativeClipCount", Header("-5") + kA + kC, {}},
        ReadCase{"NoClipCount", kA + kC, {}},
        ReadCase{"NotAnIniFile", std::string("\x00\x01\xFF garbage", 11), {}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ProjectFileTest, AutosaveIsOffWhileLoading) {
  const fs::path file = dir / "trip.korvelproj";
  WriteText(file, kBom + kTwoClipSections);
  WriteText(project.WorkStatePath(), "before");
  std::vector<std::string> seen;
  list.OnListChanged = [&](TClipList&) {
    project.AutoSave();
    seen.push_back(ReadText(project.WorkStatePath()));
  };
  project.OpenProject(file);
  ASSERT_GE(seen.size(), 2u);  // at least one notification per clip read
  EXPECT_EQ(seen, std::vector<std::string>(seen.size(), "before"));
  EXPECT_EQ(ReadText(project.WorkStatePath()), TwoClipWorkState(file));
}

TEST_F(ProjectFileTest, AutosaveFollowsChangesUntilClosing) {
  session.AddClip("/video/a.mp4", 1000, 0, 500);
  const std::string afterAdd = ReadText(project.WorkStatePath());
  EXPECT_NE(afterAdd.find("FileName=/video/a.mp4\r\n"), std::string::npos);
  EXPECT_NE(afterAdd.find("[Temp]\r\nChanged=1\r\n"), std::string::npos);

  project.SetClosing(true);
  session.AddClip("/video/b.mp4", 1000, 0, 500);
  EXPECT_TRUE(project.SaveWorkState());
  project.NewProject();
  EXPECT_EQ(ReadText(project.WorkStatePath()), afterAdd);
}

struct NewCase {
  const char* what;
  bool withClips;
};

class ProjectFileNewTest : public ProjectFileTest, public testing::WithParamInterface<NewCase> {};

TEST_P(ProjectFileNewTest, NewLeavesAnEmptyUntitledUnchangedWorkState) {
  project.OpenProject(dir / "old.korvelproj");  // a named project, empty when there is no such file
  if (GetParam().withClips) AddTwoClips();
  project.NewProject();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Changed());
  EXPECT_EQ(project.ProjectName(), fs::path());
  EXPECT_EQ(ReadText(project.WorkStatePath()), kEmptyWorkState);

  test::Session next;
  next.project.RestoreWorkState();
  EXPECT_EQ(next.list.Count(), 0);
  EXPECT_FALSE(next.list.Changed());
  EXPECT_EQ(next.project.ProjectDisplayName(), "Untitled");
}

INSTANTIATE_TEST_SUITE_P(ProjectFile, ProjectFileNewTest,
                         testing::Values(NewCase{"ChangedListWithClips", true}, NewCase{"EmptyUnchangedNamedProject", false}),
                         [](const auto& info) { return std::string(info.param.what); });

struct RestoreCase {
  const char* what;
  std::optional<std::string> workState;  // none: no work-state file
  std::string expectedName;
  bool expectedChanged;
  int32_t expectedCount;
};

class ProjectFileRestoreTest : public ProjectFileTest, public testing::WithParamInterface<RestoreCase> {};

std::string WorkState(int clips, const std::string& temp) {
  std::string text = Header(std::to_string(clips));
  for (int i = 0; i < clips; ++i) text += Section(i, Clip("/v/" + std::to_string(i) + ".mp4", 1000, 0, 500));
  return text + temp;
}
std::string Temp(const std::string& changed, const std::string& name) {
  return "[Temp]\nChanged=" + changed + "\nPjFileName=" + name + "\n";
}

TEST_P(ProjectFileRestoreTest, RestoresListNameAndChangedFlag) {
  const RestoreCase& c = GetParam();
  if (c.workState) WriteText(project.WorkStatePath(), *c.workState);
  project.RestoreWorkState();
  EXPECT_EQ(list.Count(), c.expectedCount);
  EXPECT_EQ(project.ProjectName(), fs::path(c.expectedName));
  EXPECT_EQ(list.Changed(), c.expectedChanged);
  // The name label is filled once, even when the name stays empty.
  EXPECT_EQ(names, std::vector<std::string>{c.expectedName});
  EXPECT_EQ(currentClips, (c.expectedCount ? std::vector<std::string>{"none", "/v/0.mp4", "none"} : std::vector<std::string>{"none"}));
}

INSTANTIATE_TEST_SUITE_P(
    ProjectFile, ProjectFileRestoreTest,
    testing::Values(RestoreCase{"NoWorkState", std::nullopt, "", false, 0},
                    RestoreCase{"NamedChanged", WorkState(2, Temp("1", "/p/a.korvelproj")), "/p/a.korvelproj", true, 2},
                    RestoreCase{"NamedUnchanged", WorkState(1, Temp("0", "/p/a.korvelproj")), "/p/a.korvelproj", false, 1},
                    RestoreCase{"NamedEmptyChanged", WorkState(0, Temp("1", "/p/a.korvelproj")), "/p/a.korvelproj", true, 0},
                    RestoreCase{"UntitledChanged", WorkState(1, Temp("1", "")), "", true, 1},
                    RestoreCase{"UntitledEmptyNeverChanged", WorkState(0, Temp("1", "")), "", false, 0},
                    RestoreCase{"NoTempSection", WorkState(1, ""), "", false, 1}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ProjectFileTest, RestoreReadsTheWorkStateOnce) {
  WriteText(project.WorkStatePath(), WorkState(1, Temp("1", "/p/first.korvelproj")));
  // Whatever happens to the file while the clips are read, the rest comes from the same text.
  list.OnListChanged = [&](TClipList&) { WriteText(project.WorkStatePath(), WorkState(0, Temp("0", "/p/second.korvelproj"))); };
  project.RestoreWorkState();
  EXPECT_EQ(project.ProjectName(), fs::path("/p/first.korvelproj"));
  EXPECT_TRUE(list.Changed());
}

TEST_F(ProjectFileTest, FailedSaveKeepsTheOldFileNameAndChangedFlag) {
  const fs::path file = dir / "projects" / "trip.korvelproj";
  WriteText(file, "old project");
  session.AddClip("/video/a.mp4", 1000, 0, 500, "0001" + std::string(64 * 1024, 'A'));
  const auto unharmed = test::RunWithFileSizeLimit(4096, [&] {
    return !project.SaveProject(file) && project.ProjectName().empty() && list.Changed();
  });
  EXPECT_EQ(unharmed, std::optional<bool>(true));
  EXPECT_EQ(ReadText(file), "old project");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "projects"), fs::directory_iterator()), 1);  // no temporary file left
}

TEST_F(ProjectFileTest, WorkStateWriteOnAFailingDiskKeepsTheLastOne) {
  session.AddClip("/video/a.mp4", 1000, 0, 500);
  const std::string saved = ReadText(project.WorkStatePath());
  ASSERT_NE(saved.find("FileName=/video/a.mp4\r\n"), std::string::npos);
  // The next change writes far more than the disk takes, in the autosave and when asked.
  const auto unharmed = test::RunWithFileSizeLimit(4096, [&] {
    session.AddClip("/video/b.mp4", 1000, 0, 500, "0001" + std::string(64 * 1024, 'B'));
    return !project.SaveWorkState();
  });
  EXPECT_EQ(unharmed, std::optional<bool>(true));
  EXPECT_EQ(ReadText(project.WorkStatePath()), saved);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(project.WorkStatePath().parent_path()), fs::directory_iterator()), 1);
}

struct DisplayCase {
  const char* projectName;
  const char* expected;
};

class ProjectFileDisplayTest : public ProjectFileTest, public testing::WithParamInterface<DisplayCase> {};

TEST_P(ProjectFileDisplayTest, DisplaysTheFileNameWithoutExtension) {
  project.SetProjectName(GetParam().projectName);
  EXPECT_EQ(project.ProjectDisplayName(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ProjectFile, ProjectFileDisplayTest,
                         testing::Values(DisplayCase{"", "Untitled"}, DisplayCase{"/work/trip.korvelproj", "trip"},
                                         DisplayCase{"/work/Trip.KorvelProj", "Trip"},
                                         DisplayCase{"/work/a.b.korvelproj", "a.b"},
                                         DisplayCase{"/work/trip.korvelproj.bak", "trip.korvelproj.bak"},
                                         DisplayCase{"/work/trip", "trip"}));

TEST_F(ProjectFileTest, ProjectNameChangeIsAnnouncedOnlyWhenItDiffers) {
  project.SetProjectName("/p/a.korvelproj");
  project.SetProjectName("/p/a.korvelproj");
  project.SetProjectName("/p/A.korvelproj");  // another file on a case-sensitive file system
  EXPECT_EQ(names, (std::vector<std::string>{"/p/a.korvelproj", "/p/A.korvelproj"}));
}

TEST_F(ProjectFileTest, FoldersFollowTheXdgVariables) {
  EXPECT_EQ(project.WorkStatePath(), dir / "data" / "Korvel" / "TempWorkState.korvelproj");
  EXPECT_TRUE(project.SaveWorkState());  // creates the missing folders
  EXPECT_EQ(ReadText(project.WorkStatePath()), kEmptyWorkState);

  fs::create_directories(dir / "home" / "Documents");
  const fs::path folder = DefaultProjectFolder();
  EXPECT_EQ(folder.string(), (dir / "home" / "Documents" / "Korvel").string() + "/");
  EXPECT_TRUE(fs::is_directory(folder));
}

}  // namespace
}  // namespace korvel
