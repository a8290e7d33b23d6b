#include "project/command_enabling.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

using enum TKorvelCommand;

TEST(ProjectCommandEnabling, EachCommandFollowsItsOwnCondition) {
  struct Case {
    TKorvelCommand command;
    TProjectCommandState off;
    TProjectCommandState on;
  };
  const Case cases[] = {
      {SaveProject, {.ClipCount = 3}, {.ListChanged = true}},
      {Produce, {.ListChanged = true}, {.ClipCount = 1}},
      {ClearClipList, {.HasAnchor = true}, {.ClipCount = 1}},
      {EditSelectedClip, {.ListChanged = true, .ClipCount = 2}, {.HasAnchor = true}},
      {DeleteSelectedClip, {.ClipCount = 2}, {.HasAnchor = true}},
      {ClipProperties, {.ClipCount = 2}, {.HasAnchor = true}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProjectCommandEnabled(c.command, c.off), false) << static_cast<int>(c.command);
    EXPECT_EQ(ProjectCommandEnabled(c.command, c.on), true) << static_cast<int>(c.command);
  }
}

TEST(ProjectCommandEnabling, ProjectCommandsThatNeedNothingAreAlwaysOn) {
  for (const TKorvelCommand command : {NewProject, OpenProject, SaveProjectAs, OpenMediaFile, Exit, FileList, ClipList})
    EXPECT_EQ(ProjectCommandEnabled(command, {}), true);
}

TEST(ProjectCommandEnabling, ThePlayersTheStripsAndTheBrowsersCommandsAreDecidedElsewhere) {
  for (const TKorvelCommand command : {Play, Stop, SetSelStart, FullScreen, AddClip, UnlinkClip, CopyClip, OpenFile,
                                       DeleteFile, ZoomIn})
    EXPECT_EQ(ProjectCommandEnabled(command, {.ListChanged = true, .ClipCount = 1, .HasAnchor = true}), std::nullopt);
}

}  // namespace
}  // namespace korvel
