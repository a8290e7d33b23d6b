#include "support/output_timing.h"

#include <gtest/gtest-spi.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

const std::filesystem::path kFixtures = KORVEL_FIXTURE_DIR;

TEST(OutputTimingTest, AnFfmpegFileHasSoundTimingAndItsLength) {
  const auto file = kFixtures / "mp4_h264_aac.mp4";
  const auto streams = ProbeStreams(file);
  ASSERT_EQ(streams.size(), 2u);
  EXPECT_EQ(streams[0].type, "video");
  EXPECT_EQ(streams[0].packets.size(), 50u);
  EXPECT_NEAR(VideoFrameLength(streams[0]), 0.04, 1e-6);
  ExpectSoundTiming(file, 2.0);
}

TEST(OutputTimingTest, AviVideoWithoutPresentationTimesIsMeasuredByDecodeTimes) {
  const auto file = kFixtures / "avi_h264.avi";
  const auto streams = ProbeStreams(file);
  ASSERT_FALSE(streams.empty());
  ASSERT_FALSE(streams[0].packets.empty());
  EXPECT_FALSE(streams[0].packets[0].hasPts) << "ffprobe gives AVI packets a decode time only";
  ExpectSoundTiming(file, 2.0);
}

TEST(OutputTimingTest, AWrongLengthFails) {
  EXPECT_NONFATAL_FAILURE(ExpectSoundTiming(kFixtures / "mp4_h264_aac.mp4", 2.1), "video span");
}

TEST(OutputTimingTest, ARepeatedFrameTimeFailsOncePerRule) {
  // The fifth video packet of the copy takes the times of the fourth.
  TempDir dir;
  const auto out = dir / "repeated.mkv";
  const CliRun run = RunCommand("ffmpeg -nostdin -v error -i " + Quoted(kFixtures / "mp4_h264_aac.mp4") +
                                " -c copy -an -bsf:v \"setts=pts=if(eq(N\\,4)\\,PREV_INPTS\\,PTS):"
                                "dts=if(eq(N\\,4)\\,PREV_INDTS\\,DTS)\" " +
                                Quoted(out) + " 2>&1");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  testing::TestPartResultArray failures;
  {
    testing::ScopedFakeTestPartResultReporter reporter(
        testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    ExpectSoundTiming(out);
  }
  ASSERT_EQ(failures.size(), 2);
  EXPECT_THAT(failures.GetTestPartResult(0).message(), testing::HasSubstr("does not rise"));
  EXPECT_THAT(failures.GetTestPartResult(1).message(), testing::HasSubstr("repeats presentation time 0.12"));
}

}  // namespace
}  // namespace korvel::test
