#include "project/project_commands.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "lang/lang.h"
#include "project/project_fixture.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using test::ReadText;

// The save question and the file dialogs answered by the test, with what they were shown.
class ProjectCommandsTest : public test::ProjectFixture {
protected:
  ProjectCommandsTest() {
    commands.AskSave = [this](const TSaveQuestion& question) {
      questions.push_back(question);
      return answer;
    };
    commands.ChooseFile = [this](const TFileDialogRequest& request) {
      requests.push_back(request);
      return choice;
    };
    commands.ShowFailure = [this](const std::string& message) { failures.push_back(message); };
    commands.ShowClipList = [this] { ++clipListShown; };
  }

  // A named project with unsaved changes, its file not yet written.
  fs::path MakeChangedNamedProject() {
    const fs::path file = dir / "trip.korvelproj";
    project.SetProjectName(file);
    session.AddClip("/video/beach.mp4", 60000, 0, 30000);
    return file;
  }

  TProjectCommands commands{project, list};
  TSaveAnswer answer = TSaveAnswer::Cancel;
  fs::path choice;
  std::vector<TSaveQuestion> questions;
  std::vector<TFileDialogRequest> requests;
  std::vector<std::string> failures;
  int clipListShown = 0;
};

std::string Project() { return LangStr("Korvel1", "Project"); }

TEST_F(ProjectCommandsTest, LastProjectFolderEndsWithASeparatorAndDefaultsToTheDocumentsFolder) {
  const std::string defaultFolder = (dir / "home" / "Korvel").string() + "/";
  EXPECT_EQ(commands.LastProjectFolder().string(), defaultFolder);
  commands.SetLastProjectFolder("/srv/projects");
  EXPECT_EQ(commands.LastProjectFolder().string(), "/srv/projects/");
  commands.SetLastProjectFolder("/srv/projects/");
  EXPECT_EQ(commands.LastProjectFolder().string(), "/srv/projects/");
  commands.SetLastProjectFolder("");
  EXPECT_EQ(commands.LastProjectFolder().string(), defaultFolder);
}

struct QueryCase {
  const char* what;
  bool named;
  bool withClip;
  bool changed;
  TSaveAnswer answer;
  bool expectedContinue;
  bool expectedAsked;
  bool expectedSaved;
};

class ProjectCommandsQueryTest : public ProjectCommandsTest, public testing::WithParamInterface<QueryCase> {};

TEST_P(ProjectCommandsQueryTest, AsksOnlyWhenSomethingWouldBeLost) {
  const QueryCase& c = GetParam();
  const fs::path file = dir / "trip.korvelproj";
  if (c.named) project.SetProjectName(file);
  if (c.withClip) session.AddClip("/video/beach.mp4", 60000, 0, 30000);
  list.SetChanged(c.changed);
  answer = c.answer;  // an untitled Yes opens the save dialog, which the test cancels

  EXPECT_EQ(commands.QuerySave(), c.expectedContinue);
  EXPECT_EQ(questions.size(), c.expectedAsked ? 1u : 0u);
  EXPECT_EQ(clipListShown, c.expectedAsked ? 1 : 0);
  EXPECT_EQ(fs::exists(file), c.expectedSaved);
  EXPECT_EQ(list.Changed(), c.changed && !c.expectedSaved);
}

INSTANTIATE_TEST_SUITE_P(
    ProjectCommands, ProjectCommandsQueryTest,
    testing::Values(QueryCase{"Unchanged", true, true, false, TSaveAnswer::Cancel, true, false, false},
                    QueryCase{"UntitledEmpty", false, false, true, TSaveAnswer::Cancel, true, false, false},
                    QueryCase{"NamedEmptyAsks", true, false, true, TSaveAnswer::Cancel, false, true, false},
                    QueryCase{"Yes", true, true, true, TSaveAnswer::Yes, true, true, true},
                    QueryCase{"YesUntitledDialogCancelled", false, true, true, TSaveAnswer::Yes, false, true, false},
                    QueryCase{"No", true, true, true, TSaveAnswer::No, true, true, false},
                    QueryCase{"Cancel", true, true, true, TSaveAnswer::Cancel, false, true, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ProjectCommandsTest, SaveQuestionNamesTheProjectAndExplainsAnUntitledOne) {
  const std::string head = Project() + " " + LangStr("Base", "FileName") + " : ";
  const std::array<std::string, 3> buttons = {LangStr("Korvel1", "Yes") + " (&Y)", LangStr("Korvel1", "No") + " (&N)",
                                              LangStr("Base", "Cancel") + " (&C)"};
  session.AddClip("/video/beach.mp4", 60000, 0, 30000);
  commands.QuerySave(true);
  project.SetProjectName("/work/trip.korvelproj");
  commands.QuerySave();

  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0].Message, head + "Untitled\n\n" + LangStr("Korvel1", "ProjectHelp") + "\n\n" +
                                      LangStr("Korvel1", "SaveProject"));
  EXPECT_EQ(questions[1].Message, head + "trip\n\n" + LangStr("Korvel1", "SaveProject"));
  EXPECT_EQ(questions[0].Buttons, buttons);
  EXPECT_TRUE(questions[0].OverWindow);
  EXPECT_FALSE(questions[1].OverWindow);
}

TEST_F(ProjectCommandsTest, SaveOfAnUnchangedNamedProjectWritesNothingAndSucceeds) {
  const fs::path file = MakeChangedNamedProject();
  list.SetChanged(false);
  EXPECT_TRUE(commands.SaveCommand(false));
  EXPECT_TRUE(requests.empty());
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(ProjectCommandsTest, SaveOfAChangedNamedProjectWritesWithoutAsking) {
  const fs::path file = MakeChangedNamedProject();
  EXPECT_TRUE(commands.SaveCommand(false));
  EXPECT_TRUE(requests.empty());
  EXPECT_TRUE(fs::exists(file));
  EXPECT_FALSE(list.Changed());
}

TEST_F(ProjectCommandsTest, SaveAsAlwaysAsksAndRemembersTheFolder) {
  MakeChangedNamedProject();
  list.SetChanged(false);
  fs::create_directory(dir / "elsewhere");
  const fs::path target = dir / "elsewhere" / "copy.korvelproj";
  choice = "  " + target.string() + " \t";  // what the user typed, blanks included
  EXPECT_TRUE(commands.SaveCommand(true));

  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].Save);
  EXPECT_EQ(requests[0].Title, LangStr("Korvel1", "SaveAs") + " (" + Project() + ")");
  EXPECT_EQ(requests[0].Folder, dir.path());
  EXPECT_EQ(requests[0].FileName, "trip");
  EXPECT_EQ(requests[0].Filter, "Korvel project (*.korvelproj)");
  EXPECT_EQ(requests[0].DefaultSuffix, "korvelproj");
  EXPECT_EQ(project.ProjectName(), target);
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(commands.LastProjectFolder().string(), (dir / "elsewhere").string() + "/");
}

struct FirstSaveCase {
  const char* what;
  const char* clipFile;  // none: an empty list
  const char* expectedFileName;
};

class ProjectCommandsFirstSaveTest : public ProjectCommandsTest, public testing::WithParamInterface<FirstSaveCase> {};

TEST_P(ProjectCommandsFirstSaveTest, UntitledSaveProposesANameInTheLastFolder) {
  if (GetParam().clipFile) session.AddClip(GetParam().clipFile, 60000, 0, 30000);
  list.SetChanged(true);
  commands.SetLastProjectFolder(dir / "projects");
  EXPECT_FALSE(commands.SaveCommand(false));  // the dialog is cancelled

  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].Save);
  EXPECT_EQ(requests[0].Title, LangJoin(LangStr("Base", "Save"), Project()));
  EXPECT_EQ(requests[0].Folder, dir / "projects");
  EXPECT_EQ(requests[0].FileName, GetParam().expectedFileName);
  EXPECT_TRUE(list.Changed());
  EXPECT_EQ(project.ProjectName(), fs::path());
}

INSTANTIATE_TEST_SUITE_P(ProjectCommands, ProjectCommandsFirstSaveTest,
                         testing::Values(FirstSaveCase{"EmptyList", nullptr, "Untitled"},
                                         FirstSaveCase{"FirstClipsName", "/video/holiday.part1.mp4", "holiday.part1"},
                                         FirstSaveCase{"NoExtension", "/video/raw", "raw"}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(ProjectCommandsTest, FailedSaveReportsAndChangesNothing) {
  session.AddClip("/video/beach.mp4", 60000, 0, 30000);
  const fs::path target = dir / "taken.korvelproj";
  fs::create_directory(target);  // a folder cannot be replaced by the project file
  choice = target;
  EXPECT_FALSE(commands.SaveCommand(false));
  EXPECT_EQ(failures, std::vector<std::string>{LangStr("Base", "Failure") + " : " +
                                               LangJoin(LangStr("Base", "Save"), Project()) + "\n\n" + target.string()});
  EXPECT_EQ(project.ProjectName(), fs::path());
  EXPECT_TRUE(list.Changed());
  EXPECT_TRUE(fs::is_directory(target));
}

TEST_F(ProjectCommandsTest, OpenAsksWhereAndOpensTheChoice) {
  const fs::path startFolder = commands.LastProjectFolder();
  choice = "/work/trip.korvelproj";
  commands.OpenCommand();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0].Save);
  EXPECT_EQ(requests[0].Title, LangJoin(LangStr("Base", "Open"), Project()));
  EXPECT_EQ(requests[0].Folder, startFolder);
  EXPECT_EQ(requests[0].FileName, "");
  EXPECT_EQ(project.ProjectName(), fs::path("/work/trip.korvelproj"));
  EXPECT_EQ(project.ProjectDisplayName(), "trip");
  EXPECT_EQ(commands.LastProjectFolder().string(), "/work/");
  EXPECT_EQ(clipListShown, 1);
}

struct DiscardCase {
  const char* what;
  TSaveAnswer answer;
  fs::path choice;
  bool expectedDiscarded;
};

class ProjectCommandsDiscardTest : public ProjectCommandsTest, public testing::WithParamInterface<DiscardCase> {};

TEST_P(ProjectCommandsDiscardTest, OpenAndNewKeepTheListUnlessTheUserLetsItGo) {
  answer = GetParam().answer;
  choice = GetParam().choice;
  for (const auto& command : {&TProjectCommands::OpenCommand, &TProjectCommands::NewCommand}) {
    project.SetProjectName("/p/kept.korvelproj");
    session.AddClip("/video/beach.mp4", 60000, 0, 30000);
    (commands.*command)();
    EXPECT_EQ(list.Count() == 0, GetParam().expectedDiscarded);
    EXPECT_EQ(project.ProjectName() != fs::path("/p/kept.korvelproj"), GetParam().expectedDiscarded);
    list.Clear();
  }
}

INSTANTIATE_TEST_SUITE_P(ProjectCommands, ProjectCommandsDiscardTest,
                         testing::Values(DiscardCase{"Cancel", TSaveAnswer::Cancel, "/p/other.korvelproj", false},
                                         DiscardCase{"No", TSaveAnswer::No, "/p/other.korvelproj", true}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace korvel
