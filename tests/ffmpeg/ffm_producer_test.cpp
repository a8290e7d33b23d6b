// The FFmpeg join and repair tools run through the core as the desktop program runs them: cut
// points and their status lines, a stop part-way, refused and failing runs, the repair of a
// program stream whose times jump back, and the check that suggests that repair.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "ffmpeg/ffm_needs_reconstruct.h"
#include "ffmpeg/ffm_output_checks.h"
#include "lang/lang.h"
#include "mediainfo/container_kind.h"
#include "produce/english_texts.h"
#include "produce/lossless_job.h"
#include "produce/pumped_main_thread.h"
#include "produce/work_root.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;
using test::Quoted;

struct VideoPacket {
  double pts;
  bool key;
};

std::vector<uint8_t> FileBytes(const std::filesystem::path& file) {
  return ReadWholeFile(file, size_t{64} << 20).value_or(std::vector<uint8_t>{});
}

// The source's video packets in file order.
std::vector<VideoPacket> VideoPackets(const std::filesystem::path& file) {
  const test::CliRun run = test::RunCommand("ffprobe -v error -select_streams v:0 -show_entries packet=pts_time,flags -of csv=p=0 " +
                                            Quoted(file));
  std::vector<VideoPacket> packets;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    const auto comma = line.find(',');
    if (comma == std::string::npos || comma == 0) continue;
    // A packet without a time of its own reads "N/A".
    const bool timed = std::isdigit(static_cast<unsigned char>(line[0])) != 0;
    packets.push_back({timed ? std::stod(line.substr(0, comma)) : std::nan(""), line.substr(comma + 1).starts_with("K")});
  }
  return packets;
}

class FfmLosslessJob : public test::LosslessJobTest {
protected:
  void SetUp() override {
    LosslessJobTest::SetUp();
    out = dir / "joined.mpg";
  }
};

TEST_F(FfmLosslessJob, ClipStartsAtTheKeyFrameAtOrBeforeItsStart) {
  const auto source = Fixture("ps_mpeg2_mp2.mpg");
  const std::vector<VideoPacket> packets = VideoPackets(source);
  ASSERT_GT(packets.size(), 30u);
  const double first = packets.front().pts;
  constexpr double kStart = 1.0;
  // Without B pictures decode order is display order: the copy holds the cut key frame and
  // every packet after it.
  size_t cut = 0;
  for (size_t i = 0; i < packets.size(); ++i)
    if (packets[i].key && packets[i].pts - first <= kStart + 1e-6) cut = i;
  ASSERT_GT(cut, 0u);
  const auto expected = static_cast<int>(packets.size() - cut);

  AddClip(source, 1000, 2000, 2000);
  ASSERT_TRUE(RunJoin(kKindMpegPs, 0));
  ASSERT_EQ(result, S_OK) << AllLines();
  EXPECT_FALSE(HasLine(LangStr("Korvel1", "AdjustedTime"))) << AllLines();
  EXPECT_EQ(test::PacketCounts(out).at("video"), expected);
  EXPECT_EQ(test::DecodeErrors(out), "");
  // The first picture written is the key frame itself.
  const std::vector<VideoPacket> written = VideoPackets(out);
  ASSERT_FALSE(written.empty());
  EXPECT_TRUE(written.front().key);
}

struct AdjustCase {
  int32_t startMs;
  bool adjusted;
};

class FfmAdjustedStart : public FfmLosslessJob, public testing::WithParamInterface<AdjustCase> {};

// The only key frame is at 0: a start moved back by more than three seconds is told.
TEST_P(FfmAdjustedStart, AStartMovedBackMoreThanThreeSecondsIsTold) {
  AddClip(Fixture("ts_h264_sparse_keys.ts"), GetParam().startMs, 6000, 6000);
  out = dir / "joined.ts";
  ASSERT_TRUE(RunJoin(kKindMpegTs, 0));
  ASSERT_EQ(result, S_OK) << AllLines();
  EXPECT_EQ(HasLine(LangStr("Korvel1", "AdjustedTime")), GetParam().adjusted) << AllLines();
  EXPECT_FALSE(HasLine(LangStr("Korvel1", "CheckResult"))) << AllLines();
  EXPECT_EQ(test::DecodeErrors(out), "");
}

INSTANTIATE_TEST_SUITE_P(Starts, FfmAdjustedStart, testing::Values(AdjustCase{2900, false}, AdjustCase{4000, true}));

TEST_F(FfmLosslessJob, ASourceLengthFarFromTheClipListsIsDoubted) {
  // The clip list believes the two-second file lasts eight.
  AddClip(Fixture("ps_mpeg2_mp2.mpg"), 0, 8000, 8000);
  ASSERT_TRUE(RunJoin(kKindMpegPs, 0));
  EXPECT_TRUE(HasLine(LangStr("Korvel1", "AdjustedTime"))) << AllLines();
  EXPECT_TRUE(HasLine("* " + LangStr("Korvel1", "CheckResult"))) << AllLines();
}

// A QuickTime file without its trailer has no movie box and plays nowhere, so a file that
// decodes shows the trailer was written.
TEST_F(FfmLosslessJob, StopDuringTheSecondClipKeepsADecodableFileWithATrailer) {
  const auto source = Fixture("mov_h264_aac.mov");
  out = dir / "joined.mov";
  AddClip(source, 0, 2000, 2000);
  AddClip(source, 0, 2000, 2000);
  ASSERT_TRUE(RunJoinStoppedAbove(kKindMp4Family, kSubKindMov, 600));
  ExpectStoppedByUser();
  ASSERT_TRUE(std::filesystem::exists(out));
  const int one = test::PacketCounts(source).at("video");
  const int written = test::PacketCounts(out)["video"];
  EXPECT_GT(written, one);
  EXPECT_LT(written, 2 * one);
  EXPECT_EQ(test::DecodeErrors(out), "");
}

class FfmReconstructJob : public test::EnglishTexts {
protected:
  // Repairs source into out through the core; the job's result.
  HRESULT Repair(const std::filesystem::path& source) {
    TWorkToolComm job(mainThread);
    job.Tool = TWorkToolComm::kToolFfmReconstruct;
    job.SourceName = source;
    job.DestName = out;
    job.OnStatus = [this](const std::string& line) { lines.push_back(line); };
    bool done = false;
    job.OnFinished = [&](TWorkRoot&) { done = true; };
    EXPECT_TRUE(job.Run());
    mainThread.PumpUntil([&] { return done; });
    return job.Result();
  }

  bool HasLine(const std::string& text) const {
    return std::ranges::any_of(lines, [&](const std::string& line) { return line.find(text) != std::string::npos; });
  }

  test::TempDir dir;
  std::filesystem::path out = dir / "repaired.mpg";
  TPumpedMainThread mainThread;
  std::vector<std::string> lines;
};

TEST_F(FfmReconstructJob, AFileThatCannotBeOpenedFailsWithUnknownFormatAndNoOutput) {
  const auto garbage = dir / "garbage.mpg";
  test::WriteFileBytes(garbage, std::vector<uint8_t>(8192, 0xA5));
  EXPECT_LT(Repair(garbage), 0);
  EXPECT_TRUE(HasLine("Failed : Unknown format."));
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(FfmReconstructJob, DestinationThatIsTheSourceIsRefused) {
  const auto source = dir / "source.mpg";
  std::filesystem::copy_file(Fixture("ps_jump_back.mpg"), source);
  const std::vector<uint8_t> before = FileBytes(source);
  out = source;
  EXPECT_LT(Repair(source), 0);
  EXPECT_EQ(FileBytes(source), before);
}

TEST(FfmReconstructTest, TimesThatJumpBackComeOutContinuous) {
  const auto source = Fixture("ps_jump_back.mpg");
  // The fixture really jumps: two copies of one file end to end.
  for (const auto& [stream, dts] : test::PacketDts(source)) ASSERT_FALSE(test::StrictlyRising(dts)) << stream;

  test::TempDir dir;
  const auto out = dir / "repaired.mpg";
  const test::CliRun run = test::RunCli("reconstruct -q -o " + Quoted(out) + " " + Quoted(source));
  ASSERT_EQ(run.exitCode, 0) << run.out;
  for (const auto& [stream, dts] : test::PacketDts(out)) {
    SCOPED_TRACE(stream);
    EXPECT_TRUE(test::StrictlyRising(dts));
    EXPECT_LT(test::LargestDtsStep(dts), 0.5);
  }
  EXPECT_EQ(test::PacketCounts(out).at("video"), test::PacketCounts(source).at("video"));
  EXPECT_EQ(test::DecodeErrors(out), "");
  EXPECT_FALSE(NeedsReconstruct(out));
}

TEST(FfmReconstructTest, NeedsReconstructOnlyForAProgramStreamWhoseTimesJumpBack) {
  EXPECT_TRUE(NeedsReconstruct(Fixture("ps_jump_back.mpg")));
  for (const char* clean : {"ps_mpeg2_long.mpg", "ps_mpeg2_mp2.mpg", "ts_h264_aac.ts", "ts_mpeg2_ac3.ts", "mp4_h264_aac.mp4",
                            "mkv_mpeg4_mp3.mkv"})
    EXPECT_FALSE(NeedsReconstruct(Fixture(clean))) << clean;
  EXPECT_FALSE(NeedsReconstruct("/nonexistent/file.mpg"));
}

}  // namespace
}  // namespace korvel
