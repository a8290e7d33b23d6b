// The FFmpeg engine run as a user runs it, through korvel-cli join, on every family it joins;
// each output is read back by our analyzer, by ffprobe, GStreamer and MediaInfo, and decoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "ffmpeg/ffm_output_checks.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "support/cli_run.h"
#include "support/independent_readers.h"
#include "support/output_timing.h"
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

// How long a source's video plays: its pictures as the decoder counts them, one frame each.
// (The container leaves the last pictures of some program streams without a time.)
double SourceVideoSeconds(const std::filesystem::path& file) {
  const std::string out = test::RunCommand(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames,avg_frame_rate "
      "-of default=nw=1 " + Quoted(file)).out;
  double frames = 0, rate = 0;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "nb_read_frames") frames = std::stod(value);
    if (key == "avg_frame_rate" && value.find('/') != std::string::npos)
      rate = std::stod(value.substr(0, value.find('/'))) / std::stod(value.substr(value.find('/') + 1));
  }
  return rate > 0 ? frames / rate : 0;
}

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
  double seconds = 0;
  for (const char* clip : c.clips) seconds += SourceVideoSeconds(Fixture(clip));
  test::ExpectSoundTiming(out, seconds);

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
        JoinCase{"GStreamerProgramStream", {"gst_mpeg2_mp2.mpg", "gst_mpeg2_mp2.mpg"}, "out.mpg", {"mpeg-ps"},
                 {"video:mpeg2video", "audio:mp2"}},
        JoinCase{"GStreamerTransportStream", {"gst_h264_aac.ts", "gst_h264_aac.ts"}, "out.ts", {"mpeg-ts"},
                 {"video:h264", "audio:aac"}},
        JoinCase{"Vcd", {"vcd_mpeg1_mp2.mpg", "vcd_mpeg1_mp2.mpg"}, "out.mpg", {"mpeg-ps"},
                 {"video:mpeg1video", "audio:mp2"}},
        JoinCase{"Svcd", {"svcd_mpeg2_mp2.mpg", "svcd_mpeg2_mp2.mpg"}, "out.mpg", {"mpeg-ps"},
                 {"video:mpeg2video", "audio:mp2"}},
        JoinCase{"DvdWithNavigation", {"dvd_mpeg2_ac3.vob", "dvd_mpeg2_ac3.vob"}, "out.vob", {"mpeg-ps"},
                 {"video:mpeg2video", "audio:ac3"}},
        JoinCase{"Mov", {"mov_h264_aac.mov", "mov_h264_aac.mov"}, "out.mov", {"mp4"}, {"video:h264", "audio:aac"}},
        JoinCase{"ThreeGp", {"3gp_h264_aac.3gp", "3gp_h264_aac.3gp"}, "out.3gp", {"mp4", "3gp"}, {"video:h264", "audio:aac"}}),
    [](const testing::TestParamInfo<JoinCase>& info) { return std::string(info.param.name); });

struct ShownPicture {
  double time;  // seconds after the source's start
  char type;    // 'I', 'P', 'B'
};

// The source's pictures in the order they are shown, timed from the file's start as a clip's
// range is: the decoder's view, which holds a time for pictures the container leaves untimed.
std::vector<ShownPicture> ShownPictures(const std::filesystem::path& file) {
  const double start = std::stod(
      test::RunCommand("ffprobe -v error -show_entries format=start_time -of csv=p=0 " + Quoted(file)).out);
  const test::CliRun run = test::RunCommand(
      "ffprobe -v error -select_streams v:0 -show_entries frame=best_effort_timestamp_time,pict_type -of csv=p=0 " + Quoted(file));
  std::vector<ShownPicture> pictures;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    const auto comma = line.find(',');
    if (comma == std::string::npos || comma == 0 || comma + 1 >= line.size() || !std::isdigit(line[0])) continue;
    pictures.push_back({std::stod(line.substr(0, comma)) - start, line[comma + 1]});
  }
  std::ranges::sort(pictures, {}, &ShownPicture::time);
  return pictures;
}

// What a clip of MPEG video from..to shows: from the last I picture at or before its start to
// the end of the first I or P picture shown after its end (the B pictures before that one
// depend on it).
double ClipSeconds(const std::vector<ShownPicture>& pictures, double from, double to, double frame) {
  double first = pictures.front().time;
  for (const ShownPicture& p : pictures)
    if (p.type == 'I' && p.time <= from + 1e-6) first = p.time;
  double end = pictures.back().time + frame;
  for (const ShownPicture& p : pictures) {
    if (p.type != 'B' && p.time > to + 1e-6) {
      end = p.time + frame;
      break;
    }
  }
  return end - first;
}

struct ClipRange {
  const char* fixture;
  double from, to;  // seconds
};

struct WindowCase {
  const char* name;
  std::vector<ClipRange> clips;
  const char* output;
};

void PrintTo(const WindowCase& c, std::ostream* os) { *os << c.name; }

class FfmWindowJoin : public testing::TestWithParam<WindowCase> {};

// Clips cut inside program streams whose key frames carry a decode time only, whose GOPs are
// open, or whose muxer writes presentation times only: each clip starts at the key frame at or
// before its start, and the output plays cleanly with sound timing.
TEST_P(FfmWindowJoin, ClipsStartAtTheirKeyFramesAndPlayCleanly) {
  const WindowCase& c = GetParam();
  test::TempDir dir;
  const auto out = dir / c.output;
  std::string arguments = "join -q -o " + Quoted(out);
  double seconds = 0;
  for (const ClipRange& clip : c.clips) {
    arguments += " " + Quoted(Fixture(clip.fixture)) + "@" + std::to_string(std::lround(clip.from * 1000)) + "-" +
                 std::to_string(std::lround(clip.to * 1000));
    const std::vector<ShownPicture> pictures = ShownPictures(Fixture(clip.fixture));
    ASSERT_GT(pictures.size(), 30u) << clip.fixture;
    seconds += ClipSeconds(pictures, clip.from, clip.to, pictures[1].time - pictures[0].time);
  }
  const test::CliRun run = RunCli(arguments);
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(test::DecodeErrors(out), "");
  test::ExpectSoundTiming(out, seconds);
  for (const test::ReaderView& view : test::IndependentViews(out)) {
    SCOPED_TRACE(view.reader);
    EXPECT_TRUE(view.recognised) << view.detail;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, FfmWindowJoin,
    testing::Values(
        WindowCase{"VcdKeyFramesWithoutPts",
                   {{"vcd_mpeg1_mp2.mpg", 0, 1.5}, {"vcd_mpeg1_mp2.mpg", 2.5, 4}}, "out.mpg"},
        WindowCase{"SvcdStartInsideTheFile", {{"svcd_mpeg2_mp2.mpg", 2, 3.5}}, "out.mpg"},
        WindowCase{"DvdOpenGops", {{"dvd_mpeg2_ac3.vob", 1, 2}, {"dvd_mpeg2_ac3.vob", 2.6, 4}}, "out.vob"},
        WindowCase{"GStreamerProgramStream",
                   {{"gst_mpeg2_mp2.mpg", 0, 2}, {"gst_mpeg2_mp2.mpg", 2.1, 4}}, "out.mpg"}),
    [](const testing::TestParamInfo<WindowCase>& info) { return std::string(info.param.name); });

// The GOP headers and pictures of a file's MPEG video in decode order: "GOP" or "GOP closed",
// then "I", "P", "B" for each picture.
std::vector<std::string> MpegVideoUnits(const std::filesystem::path& file, const std::filesystem::path& scratch) {
  const test::CliRun extract = test::RunCommand("ffmpeg -nostdin -v error -y -i " + Quoted(file) +
                                                " -map 0:v:0 -c copy -f mpeg2video " + Quoted(scratch) + " 2>&1");
  EXPECT_EQ(extract.exitCode, 0) << extract.out;
  const std::vector<uint8_t> data = ReadWholeFile(scratch, size_t{64} << 20).value_or(std::vector<uint8_t>{});
  std::vector<std::string> units;
  for (size_t i = 0; i + 8 <= data.size(); ++i) {
    if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1) continue;
    if (data[i + 3] == 0xB8) units.push_back((data[i + 7] & 0x40) ? "GOP closed" : "GOP");
    if (data[i + 3] == 0x00) units.push_back(std::string(1, "?IPB"[(data[i + 5] >> 3) & 3]));
  }
  return units;
}

// A clip that starts on an open GOP leaves out the B pictures that lean on the GOP before and
// says that its first GOP is closed.
TEST(FfmJoinTest, ClipStartingOnAnOpenGopStartsWithAClosedOne) {
  test::TempDir dir;
  const auto source = Fixture("dvd_mpeg2_ac3.vob");
  const std::vector<std::string> before = MpegVideoUnits(source, dir / "source.m2v");
  // The source's later GOPs are open, their I pictures followed by B pictures.
  const auto second = std::find(before.begin() + 1, before.end(), "GOP");
  ASSERT_NE(second, before.end());
  ASSERT_GE(before.end() - second, 3);
  ASSERT_EQ(*(second + 1), "I");
  ASSERT_EQ(*(second + 2), "B");

  const auto out = dir / "out.vob";
  const test::CliRun run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(source) + "@2600-4000");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  const std::vector<std::string> after = MpegVideoUnits(out, dir / "out.m2v");
  ASSERT_GE(after.size(), 3u);
  EXPECT_EQ(after[0], "GOP closed");
  EXPECT_EQ(after[1], "I");
  EXPECT_EQ(after[2], "P");
  EXPECT_EQ(test::DecodeErrors(out), "");
}

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
