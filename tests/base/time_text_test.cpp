#include "base/time_text.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

struct TimeTextCase {
  int32_t ms;
  const char* time;
  const char* timeCs;
  const char* duration;
};

class TimeTextTest : public testing::TestWithParam<TimeTextCase> {};

TEST_P(TimeTextTest, FormatsHoursMinutesSecondsAndHundredths) {
  const TimeTextCase& c = GetParam();
  EXPECT_EQ(TimeToText(c.ms), c.time);
  EXPECT_EQ(TimeToTextCs(c.ms), c.timeCs);
  EXPECT_EQ(DurationToText(c.ms), c.duration);
}

INSTANTIATE_TEST_SUITE_P(Table, TimeTextTest,
                         testing::Values(TimeTextCase{0, "0:00:00", "0:00:00.00", "00:00"},
                                         TimeTextCase{999, "0:00:00", "0:00:00.99", "00:00"},
                                         TimeTextCase{61005, "0:01:01", "0:01:01.00", "01:01"},
                                         TimeTextCase{3599999, "0:59:59", "0:59:59.99", "59:59"},
                                         TimeTextCase{3600000, "1:00:00", "1:00:00.00", "1:00:00"},
                                         TimeTextCase{3723456, "1:02:03", "1:02:03.45", "1:02:03"},
                                         TimeTextCase{2147483647, "596:31:23", "596:31:23.64", "596:31:23"}));

}  // namespace
}  // namespace korvel
