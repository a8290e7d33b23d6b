// Where a selection lands in a source whose length the clip list knows differently, and when
// the cut made is worth telling the user about.
#include "ffmpeg/clip_window.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvel {
namespace {

struct FitCase {
  const char* name;
  int32_t start, end, reference;
  int64_t durationUs;
  int32_t inputStart, inputEnd, measured, referenceAfter;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class ClipWindowFit : public testing::TestWithParam<FitCase> {};

TEST_P(ClipWindowFit, PlacesTheSelectionOnTheInputsTimeline) {
  const FitCase& c = GetParam();
  TClipWindow window;
  window.RequestedStart = c.start;
  window.RequestedEnd = c.end;
  window.ReferenceDuration = c.reference;
  FitClipWindow(window, c.durationUs);
  EXPECT_EQ(window.InputStart, c.inputStart);
  EXPECT_EQ(window.InputEnd, c.inputEnd);
  EXPECT_EQ(window.MeasuredDuration, c.measured);
  EXPECT_EQ(window.ReferenceDuration, c.referenceAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipWindowFit,
    testing::Values(
        // Measured 10 s reads as 10001 ms ("plus 1"); an unknown reference takes it.
        FitCase{"NoReferenceTakesTheMeasuredLength", 2000, 5000, 0, 10000000, 2000, 5000, 10001, 10001},
        // The file is 3 s longer than the clip list believes: the window's end moves 3 s later.
        FitCase{"LongerFileMovesTheEndLater", 2000, 5000, 7001, 10000000, 2000, 8000, 10001, 7001},
        // 3 s shorter: the start moves 3 s earlier, never below 0.
        FitCase{"ShorterFileMovesTheStartEarlier", 4000, 9000, 13001, 10000000, 1000, 9000, 10001, 13001},
        FitCase{"StartNeverBelowZero", 1000, 9000, 13001, 10000000, 0, 9000, 10001, 13001},
        // Nothing measured: the selection stays and the reference stands in for the measure.
        FitCase{"UnmeasuredLeavesTheSelection", 1500, 2500, 8000, 0, 1500, 2500, 8000, 8000},
        FitCase{"UnmeasuredWithoutReferenceUsesTheEnd", 1500, 2500, 0, 0, 1500, 2500, 2500, 2500},
        // A length beyond 32 bits of milliseconds is clamped, not wrapped.
        FitCase{"HugeDurationIsClamped", 0, 1000, 1000, std::numeric_limits<int64_t>::max(), 0,
                std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(), 1000}),
    [](const testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

struct JudgeCase {
  const char* name;
  int32_t actualStart, actualEnd;
  int32_t measured;
  bool adjusted, doubtful;
};

void PrintTo(const JudgeCase& c, std::ostream* os) { *os << c.name; }

class ClipResultJudgement : public testing::TestWithParam<JudgeCase> {};

// The selection is 10 s to 20 s of a source the clip list knows as 60 s long.
TEST_P(ClipResultJudgement, FollowsTheThresholds) {
  const JudgeCase& c = GetParam();
  TClipWindow window;
  window.RequestedStart = 10000;
  window.RequestedEnd = 20000;
  window.ReferenceDuration = 60000;
  window.MeasuredDuration = c.measured;
  window.ActualStart = c.actualStart;
  window.ActualEnd = c.actualEnd;
  const TClipVerdict verdict = JudgeClipResult(window);
  EXPECT_EQ(verdict.Adjusted, c.adjusted);
  EXPECT_EQ(verdict.Doubtful, c.doubtful);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipResultJudgement,
    testing::Values(JudgeCase{"StartBackExactly3000", 7000, 20000, 60000, false, false},
                    JudgeCase{"StartBack3001", 6999, 20000, 60000, true, false},
                    JudgeCase{"EndLater2001", 10000, 22001, 60000, true, false},
                    JudgeCase{"EndLater2000", 10000, 22000, 60000, false, false},
                    JudgeCase{"StartLater1001", 11001, 20000, 60000, true, false},
                    JudgeCase{"EndEarlier1001", 10000, 18999, 60000, true, false},
                    JudgeCase{"LengthOff5000", 10000, 20000, 55000, false, false},
                    JudgeCase{"LengthOff5001", 10000, 20000, 65001, true, true}),
    [](const testing::TestParamInfo<JudgeCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel
