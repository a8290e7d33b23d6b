#include "cli/clip_argument.h"

#include <gtest/gtest.h>

namespace korvel::cli {
namespace {

TEST(ClipArgumentTest, ParsesTimes) {
  const struct {
    const char* text;
    std::optional<int32_t> ms;
  } cases[] = {
      {"0", 0},          {"1500", 1500},        {"1:02:03", 3723000}, {"1:02:03.5", 3723500}, {"1:02:03.456", 3723456},
      {"02:03.25", 123250}, {"0:00:00.001", 1},  {"2147483647", 2147483647},
      {"2147483648", std::nullopt}, {"", std::nullopt}, {"-5", std::nullopt}, {"1:60:00", std::nullopt},
      {"1:00:60", std::nullopt},    {"1:2:3:4", std::nullopt}, {"1:00.1234", std::nullopt}, {"1.5", std::nullopt},
      {"abc", std::nullopt},        {"1::00", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseClipTime(c.text), c.ms) << c.text;
}

TEST(ClipArgumentTest, SplitsFileAndRange) {
  const auto clip = ParseClipArgument("/v/a.avi@1000-0:00:05");
  ASSERT_TRUE(clip);
  EXPECT_EQ(clip->file, "/v/a.avi");
  EXPECT_EQ(clip->startMs, 1000);
  EXPECT_EQ(clip->endMs, 5000);

  const auto whole = ParseClipArgument("/v/a.avi");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->file, "/v/a.avi");
  EXPECT_EQ(whole->startMs, 0);
  EXPECT_EQ(whole->endMs, kToTheEnd);
}

TEST(ClipArgumentTest, AnAtSignWithoutARangeBelongsToTheName) {
  EXPECT_EQ(ParseClipArgument("/v/me@home.avi")->file, "/v/me@home.avi");
  EXPECT_EQ(ParseClipArgument("/v/x@y@10-20")->file, "/v/x@y");
  EXPECT_EQ(ParseClipArgument("@10-20")->file, "@10-20");
}

TEST(ClipArgumentTest, RefusesEmptyAndBackwardRanges) {
  EXPECT_FALSE(ParseClipArgument(""));
  EXPECT_FALSE(ParseClipArgument("/v/a.avi@5000-5000"));
  EXPECT_FALSE(ParseClipArgument("/v/a.avi@6000-5000"));
}

}  // namespace
}  // namespace korvel::cli
