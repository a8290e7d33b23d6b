// What the wizards show about a run: the progress bar and its caption, paths inside the user's
// folders, and the summary lines.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "english_texts.h"
#include "lang/lang.h"
#include "mediainfo/container_kind.h"
#include "produce/display_path.h"
#include "produce/progress_text.h"
#include "produce/wizard_summary.h"
#include "project/clip_list.h"

namespace korvel {
namespace {

TEST(ProgressTextTest, AnyPercentBegunShowsAsAFullOne) {
  struct Case {
    int32_t perMille;
    int32_t bar;
    const char* caption;
  };
  for (const Case& c : {Case{0, 0, "0.0 %"}, Case{1, 1, "0.1 %"}, Case{10, 1, "1.0 %"}, Case{11, 2, "1.1 %"},
                        Case{995, 100, "99.5 %"}, Case{1000, 100, "100.0 %"}, Case{-5, 0, "0.0 %"},
                        Case{1200, 100, "100.0 %"}}) {
    SCOPED_TRACE(c.perMille);
    EXPECT_EQ(ProgressBarPosition(c.perMille), c.bar);
    EXPECT_EQ(ProgressCaption(c.perMille), c.caption);
  }
}

TEST(DisplayPathTest, AWellKnownFolderShowsByItsName) {
  const std::vector<TNamedFolder> folders{{"/home/ann/Desktop", "Desktop"}, {"/home/ann/Videos/", "Videos"}};
  EXPECT_EQ(DisplayPath("/home/ann/Videos/trip/a_S01.avi", folders), "Videos/trip/a_S01.avi");
  EXPECT_EQ(DisplayPath("/home/ann/Desktop/a.avi", folders), "Desktop/a.avi");
  // A folder whose name only begins like a known one is not inside it.
  EXPECT_EQ(DisplayPath("/home/ann/VideosOld/a.avi", folders), "/home/ann/VideosOld/a.avi");
  EXPECT_EQ(DisplayPath("/home/ann/Videos", folders), "/home/ann/Videos");
  // Blanks belong to the name and stay.
  EXPECT_EQ(DisplayPath("/srv/a b /c.avi ", folders), "/srv/a b /c.avi ");
  EXPECT_EQ(DisplayFolder("Videos/trip/a_S01.avi"), "Videos/trip/");
  EXPECT_EQ(DisplayFolder("a.avi"), "");
}

class WizardSummaryTest : public test::EnglishTexts {};

TEST_F(WizardSummaryTest, SummaryLinesNameModeFormatPathsAndClips) {
  EXPECT_EQ(ModeLines(ProduceModeText(), kKindAvi, 0),
            (std::vector<std::string>{"Mode : Produce without re-encoding", "", "Media Format : AVI", ""}));
  EXPECT_EQ(ReconstructModeText(), "Media File Reconstruction");
  EXPECT_EQ(PathLines(LangStr("Korvel1", "Destination"), "Videos/trip/a_S01.avi"),
            (std::vector<std::string>{"Destination Path : Videos/trip/", "Destination File : a_S01.avi", ""}));

  TClipList clips;
  clips.Analyzer = nullptr;
  for (auto [start, end] : {std::pair{1000, 61500}, std::pair{0, 3723000}}) {
    auto clip = std::make_unique<TClipItem>();
    clip->SetFileName("/v/a.avi");
    clip->SetTotalTime(4000000);
    clip->SetStartTime(start);
    clip->SetEndTime(end);
    clips.Add(std::move(clip));
  }
  EXPECT_EQ(ClipSummaryLines(clips), (std::vector<std::string>{
                                         "Clip : 2",
                                         "Duration : 1:03:03",
                                         "",
                                         "Clip 1 : 01:00 (0:00:01 - 0:01:01)  a.avi",
                                         "Clip 2 : 1:02:03 (0:00:00 - 1:02:03)  a.avi",
                                         "",
                                     }));
}

}  // namespace
}  // namespace korvel
