#include "playback/linked_clip_marks.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(LinkedClipMarksTest, StartMarkAfterTheEndMarkUnlinks) {
  // The mark pushed the end to the file's end: the clip keeps its times.
  const PlayerSelection marked = MarkedStart({1.0, 5.0}, 6.0, 20.0).value();
  EXPECT_FALSE(StartMarkEdit(5.0, marked, 1000).update);
}

TEST(LinkedClipMarksTest, StartMarkInsideTheSelectionUpdatesAndRegrabsOnlyWhenItsMillisecondMoves) {
  struct Case {
    double start;
    int32_t clipStartMs;
    int32_t startMs;
    bool grab;
  };
  for (const Case c : {Case{12.3454, 12345, 12345, false}, Case{12.3458, 12345, 12346, true}, Case{3.0, 12345, 3000, true}}) {
    SCOPED_TRACE(c.start);
    const LinkedClipEdit edit = StartMarkEdit(20.0, {c.start, 20.0}, c.clipStartMs);
    EXPECT_TRUE(edit.update);
    EXPECT_EQ(edit.startMs, c.startMs);
    EXPECT_EQ(edit.endMs, 20000);
    EXPECT_EQ(edit.grabThumbnail, c.grab);
  }
}

TEST(LinkedClipMarksTest, MarksInTheSameMillisecondUnlink) {
  struct Case {
    double start;
    double end;
    bool update;
  };
  for (const Case c : {Case{5.0, 5.0004, false}, Case{5.0, 5.0007, true}, Case{5.0001, 5.0004, false}, Case{4.9995, 5.0004, true}}) {
    SCOPED_TRACE(c.end);
    EXPECT_EQ(EndMarkEdit(c.start, {c.start, c.end}).update, c.update);
    EXPECT_EQ(StartMarkEdit(c.end, {c.start, c.end}, 0).update, c.update);
  }
}

TEST(LinkedClipMarksTest, EndMarkBeforeTheStartMarkUnlinks) {
  const PlayerSelection marked = MarkedEnd({5.0, 20.0}, 3.0).value();
  EXPECT_FALSE(EndMarkEdit(5.0, marked).update);
}

TEST(LinkedClipMarksTest, EndMarkAfterTheStartUpdatesBothTimes) {
  const LinkedClipEdit edit = EndMarkEdit(1.2344, {1.2344, 7.5});
  EXPECT_TRUE(edit.update);
  EXPECT_EQ(edit.startMs, 1234);
  EXPECT_EQ(edit.endMs, 7500);
  EXPECT_FALSE(edit.grabThumbnail);
}

TEST(LinkedClipMarksTest, SelectionMovesOnUnlessItEndsInTheLastSecond) {
  EXPECT_TRUE(SelectionMovesOnAfterAdd(8.0, 10.0));
  EXPECT_FALSE(SelectionMovesOnAfterAdd(9.0, 10.0));
  EXPECT_FALSE(SelectionMovesOnAfterAdd(9.5, 10.0));
  EXPECT_FALSE(SelectionMovesOnAfterAdd(0.0, 0.0));
}

}  // namespace
}  // namespace korvel
