#include "base/track_bar_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvel {
namespace {

TEST(SelectionSpanTest, EndsFollowTheValuesInsideTheInsets) {
  // 208 columns for 0..10000 between the insets: a column per 48.08 values.
  const TrackBarChannel channel{10, 216, 4, 0, 10000};
  EXPECT_EQ(SelectionSpan(channel, 2500, 5000), (ChannelSpan{10 + 4 + 52, 10 + 4 + 104 + 1}));
  EXPECT_EQ(SelectionSpan(channel, 5000, 5000), (ChannelSpan{118, 119}));
}

TEST(SelectionSpanTest, TheWholeRangeFillsTheChannelWhateverTheInset) {
  for (const int32_t inset : {0, 4, 30}) {
    const TrackBarChannel channel{10, 216, inset, 0, 10000};
    EXPECT_EQ(SelectionSpan(channel, 0, 10000), (ChannelSpan{10, 226})) << inset;
  }
}

TEST(SelectionSpanTest, AnEmptyRangeDividesByOne) {
  const TrackBarChannel channel{0, 100, 4, 50, 50};
  EXPECT_EQ(SelectionSpan(channel, 50, 50), (ChannelSpan{0, 100}));
}

TEST(SelectionSpanTest, AnOffsetMinimumCounts) {
  const TrackBarChannel channel{0, 108, 4, 100, 200};
  EXPECT_EQ(SelectionSpan(channel, 150, 160), (ChannelSpan{54, 65}));
  EXPECT_EQ(SelectionSpan(channel, 50, 160).Left, 0);
}

TEST(MarkColumnsTest, MarksStandWhereASelectionFromTheirValueStarts) {
  const TrackBarChannel channel{10, 216, 4, 0, 10000};
  EXPECT_EQ(MarkColumns(channel, std::vector<int32_t>{0, 2500, 5000, 10000}),
            (std::vector<int32_t>{14, 66, 118, 222}));
}

TEST(MarkColumnsTest, ThousandsOfMarksShareTheFewColumnsThereAre) {
  const TrackBarChannel channel{0, 108, 4, 0, 10000};
  std::vector<int32_t> values;
  for (int32_t v = 10000; v >= 0; v -= 3) values.push_back(v);
  const std::vector<int32_t> columns = MarkColumns(channel, values);
  EXPECT_EQ(columns.size(), 101u);
  EXPECT_TRUE(std::ranges::is_sorted(columns));
  EXPECT_EQ(columns.front(), 4);
  EXPECT_EQ(columns.back(), 104);
}

TEST(MarkColumnsTest, ValuesOutsideTheRangeAreLeftOut) {
  const TrackBarChannel channel{0, 108, 4, 100, 200};
  EXPECT_EQ(MarkColumns(channel, std::vector<int32_t>{-5, 99, 150, 201}), (std::vector<int32_t>{54}));
}

TEST(TickColumnsTest, CountTicksSpreadEvenly) {
  EXPECT_EQ(TickColumns(10, 100, 3), (std::vector<int32_t>{35, 60, 85}));
  EXPECT_EQ(TickColumns(0, 200, 19).size(), 19u);
  EXPECT_EQ(TickColumns(0, 200, 19).front(), 10);
  EXPECT_TRUE(TickColumns(0, 100, 0).empty());
  EXPECT_TRUE(TickColumns(0, 100, -2).empty());
}

}  // namespace
}  // namespace korvel
