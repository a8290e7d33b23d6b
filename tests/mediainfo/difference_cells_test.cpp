#include "mediainfo/difference_cells.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(DifferenceCellsTest, LabelsAndFirstValuesLeadIntoTheNextColumn) {
  TDifferenceRows rows;
  rows.Add("", " Clips ", "Open");
  rows.Add("Stream Count", "2", " 3 ");
  rows.Add("  ", "", "");
  const TDifferenceRows cells = DifferenceCellTexts(rows);
  ASSERT_EQ(cells.Labels.size(), 3u);
  EXPECT_EQ(cells.Labels[0] + cells.Values1[0] + cells.Values2[0], "Clips  :  Open");  // the heading row
  EXPECT_EQ(cells.Labels[1] + cells.Values1[1] + cells.Values2[1], "Stream Count = 2  :  3");
  EXPECT_EQ(cells.Labels[2] + cells.Values1[2] + cells.Values2[2], "");
}

TEST(DifferenceCellsTest, AColumnLongerThanTheOthersHasItsExtraEntriesLeftOut) {
  TDifferenceRows rows;
  rows.Add("Kind", "AVI", "MP4");
  rows.Labels.push_back("orphan");
  rows.Values1.push_back("x");
  EXPECT_EQ(DifferenceCellTexts(rows).Labels.size(), 1u);
}

}  // namespace
}  // namespace korvel
