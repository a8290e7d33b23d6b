#include "project/clip_tile_look.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lang/lang.h"
#include "project/clip_command_texts.h"
#include "project/clip_list.h"

namespace korvel {
namespace {

// Three clips of /video/trip/a.mp4, the second one from 1:01:02.5 to 1:02:03.75.
class ClipTileLook : public testing::Test {
protected:
  ClipTileLook() {
    list.Analyzer = [](const std::filesystem::path&, QdMediaInfo&) { return false; };
    for (int i = 0; i < 3; ++i) {
      auto item = std::make_unique<TClipItem>();
      item->SetFileName("/video/trip/a <b>&.mp4");
      item->SetStartTime(i == 1 ? 3662500 : 0);
      item->SetEndTime(i == 1 ? 3723750 : 1000);
      list.Add(std::move(item));
    }
  }

  TClipList list;
};

TEST_F(ClipTileLook, TextsNameTheFileItsFolderAndTheTimes) {
  const TClipTileTexts texts = ClipTileTexts(*list.Get(1));
  EXPECT_EQ(texts.Text1, "a <b>&.mp4");
  EXPECT_EQ(texts.Text2, "1:01:02 - 1:02:03 (01:01)");
  EXPECT_EQ(texts.Hint, "a <b>&.mp4\n/video/trip\n1:01:02 - 1:02:03 (01:01)");
}

TEST_F(ClipTileLook, ColourFollowsLinkSelectionFocusAndDragging) {
  TClipItem& item = *list.Get(0);
  EXPECT_EQ(TileColour(item, false), 0x303030u);
  item.SetSelected(true);
  // selected shows only while the list has the focus
  EXPECT_EQ(TileColour(item, false), 0x303030u);
  item.SetFocused(true);
  EXPECT_EQ(TileColour(item, false), 0x484030u);
  list.SetCurrent(&item);
  EXPECT_EQ(TileColour(item, false), 0x684030u);
  item.SetSelected(false);
  EXPECT_EQ(TileColour(item, false), 0x503030u);
  EXPECT_EQ(TileColour(item, true), 0x101010u);
}

TEST_F(ClipTileLook, DeleteQuestionCountsTheSelectedClipsOnlyWhenThereAreSeveral) {
  const std::string head = "a <b>&.mp4\n\n1:01:02 - 1:02:03 (01:01)\n\n";
  const std::string question = LangStr("Korvel1", "DeleteClip");
  EXPECT_EQ(DeleteClipsQuestion(*list.Get(1), 1), head + question);
  EXPECT_EQ(DeleteClipsQuestion(*list.Get(1), 3),
            head + "- " + LangStr("Base", "Selected") + " 3 " + LangStr("Korvel1", "Clips") + "\n\n" + question);
}

TEST_F(ClipTileLook, DurationLineShowsHundredths) {
  EXPECT_EQ(ClipDurationLine(*list.Get(1)), "0:01:01.25 (1:01:02.50 - 1:02:03.75)");
}

}  // namespace
}  // namespace korvel
