// The FFmpeg engine run as a user runs it, through korvel-cli join, on every family it joins;
// each output is read back by our analyzer, by ffprobe, GStreamer and MediaInfo, and decoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ffmpeg/ffm_output_checks.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "support/cli_run.h"
#include "support/independent_readers.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;
using test::Quoted;
using test::RunCli;

struct JoinCase {
  const char* name;
  std::vector<const char*> clips;  // fixtures, each joined whole
  const char* output;              // the output's file name, whose extension picks the container
  std::vector<std::string> containers;  // what the independent readers may call it
  std::vector<std::string> streams;  // streams every reader must list
};

void PrintTo(const JoinCase& c, std::ostream* os) { *os << c.name; }

class FfmJoin : public testing::TestWithParam<JoinCase> {};

TEST_P(FfmJoin, WritesAFileEveryReaderTakesWithRisingTimesAcrossTheJoins) {
  const JoinCase& c = GetParam();
  test::TempDir dir;
  const auto out = dir / c.output;
  std::string arguments = "join -q -o " + Quoted(out);
  for (const char* clip : c.clips) arguments += " " + Quoted(Fixture(clip));
  const test::CliRun run = RunCli(arguments);
  ASSERT_EQ(run.exitCode, 0) << run.out;
  ASSERT_TRUE(std::filesystem::exists(out)) << run.out;

  // Every packet of every clip arrives: nothing lost at a join.
  const std::map<std::string, int> written = test::PacketCounts(out);
  std::map<std::string, int> sources;
  for (const char* clip : c.clips)
    for (const auto& [type, count] : test::PacketCounts(Fixture(clip))) sources[type] += count;
  EXPECT_EQ(written.at("video"), sources.at("video"));
  if (sources.contains("audio")) {
    // The muxer may merge or split audio frames into packets of its own size.
    EXPECT_NEAR(written.at("audio"), sources.at("audio"), sources.at("audio") / 10 + 2);
  }

  for (const auto& [stream, dts] : test::PacketDts(out)) {
    SCOPED_TRACE("stream " + std::to_string(stream));
    EXPECT_TRUE(test::StrictlyRising(dts));
    // No gap at a join: the next clip starts where the last one ended.
    EXPECT_LT(test::LargestDtsStep(dts), 0.5);
  }
  EXPECT_EQ(test::DecodeErrors(out), "");

  QdMediaInfo ours;
  ASSERT_TRUE(AnalyzeMediaFile(out, ours));
  EXPECT_NE(ours.Kind, 0);
  for (const test::ReaderView& view : test::IndependentViews(out)) {
    SCOPED_TRACE(view.reader);
    ASSERT_TRUE(view.recognised) << view.detail;
    EXPECT_NE(std::ranges::find(c.containers, view.container), c.containers.end()) << view.container;
    for (const std::string& stream : c.streams)
      EXPECT_NE(std::ranges::find(view.streams, stream), view.streams.end()) << stream;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Families, FfmJoin,
    testing::Values(
        JoinCase{"ProgramStreamMpeg2Mp2", {"ps_mpeg2_mp2.mpg", "ps_mpeg2_mp2.mpg", "ps_mpeg2_mp2.mpg"}, "out.mpg",
                 {"mpeg-ps"}, {"video:mpeg2video", "audio:mp2"}},
        JoinCase{"ProgramStreamMpeg1", {"ps_mpeg1_mp2.mpg", "ps_mpeg1_mp2.mpg"}, "out.mpg", {"mpeg-ps"},
                 {"video:mpeg1video", "audio:mp2"}},
        JoinCase{"VobMpeg2Ac3", {"vob_mpeg2_ac3.vob", "vob_mpeg2_ac3.vob"}, "out.vob", {"mpeg-ps"},
                 {"video:mpeg2video", "audio:ac3"}},
        JoinCase{"TransportStreamH264Aac", {"ts_h264_aac.ts", "ts_h264_aac.ts", "ts_h264_aac.ts"}, "out.ts", {"mpeg-ts"},
                 {"video:h264", "audio:aac"}},
        JoinCase{"TransportStreamMpeg2Ac3", {"ts_mpeg2_ac3.ts", "ts_mpeg2_ac3.ts"}, "out.ts", {"mpeg-ts"},
                 {"video:mpeg2video", "audio:ac3"}},
        // GStreamer lists no AAC in any BDAV file libavformat writes (ffmpeg -c copy's too); the
        // audio packets are counted through ffprobe above.
        JoinCase{"BdavTransportStream", {"ts_h264_aac.mts", "ts_h264_aac.mts"}, "out.m2ts", {"mpeg-ts", "bdav"},
                 {"video:h264"}},
        JoinCase{"ProgramThenTransportStream", {"ps_mpeg2_mp2.mpg", "ts_mpeg2_mp2.ts"}, "out.mpg", {"mpeg-ps"},
                 {"video:mpeg2video", "audio:mp2"}},
        JoinCase{"Mov", {"mov_h264_aac.mov", "mov_h264_aac.mov"}, "out.mov", {"mp4"}, {"video:h264", "audio:aac"}},
        JoinCase{"ThreeGp", {"3gp_h264_aac.3gp", "3gp_h264_aac.3gp"}, "out.3gp", {"mp4", "3gp"}, {"video:h264", "audio:aac"}}),
    [](const testing::TestParamInfo<JoinCase>& info) { return std::string(info.param.name); });

TEST(FfmJoinTest, Mpeg2Of1088LinesComesOutDeclaredAs1080) {
  test::TempDir dir;
  const auto out = dir / "out.ts";
  const test::CliRun run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(Fixture("ts_mpeg2_1088.ts")));
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(test::VideoSize(Fixture("ts_mpeg2_1088.ts")), "1920x1088");
  EXPECT_EQ(test::VideoSize(out), "1920x1080");
  EXPECT_EQ(test::DecodeErrors(out), "");
}

TEST(FfmJoinTest, ExtraAudioOfAProgramStreamIsLeftOut) {
  test::TempDir dir;
  const auto out = dir / "out.mpg";
  const test::CliRun run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(Fixture("ps_mpeg2_two_audio.mpg")));
  ASSERT_EQ(run.exitCode, 0) << run.out;
  const test::ReaderView view = test::FfprobeView(out);
  ASSERT_TRUE(view.recognised) << view.detail;
  EXPECT_EQ(std::ranges::count_if(view.streams, [](const std::string& s) { return s.starts_with("audio:"); }), 1);
  EXPECT_NE(std::ranges::find(view.streams, "audio:ac3"), view.streams.end());
}

}  // namespace
}  // namespace korvel
