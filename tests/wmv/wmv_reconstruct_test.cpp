// The WMV repair tool run through korvel-cli: a file without an index and a file with damaged
// data packets are rewritten into files that have one and seek; damaged stretches are reported
// and cut out, not left as holes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ffmpeg/ffm_output_checks.h"
#include "support/cli_run.h"
#include "support/independent_readers.h"
#include "support/output_timing.h"
#include "support/temp_dir.h"
#include "wmv/asf/asf_writer_test_support.h"
#include "wmv/wmv_header_copy.h"
#include "wmv/wmv_output_checks.h"

namespace korvel::test {
namespace {

constexpr uint16_t kVideo = 1;
constexpr uint64_t kFrame = 400000;  // 40 ms in 100 ns

uint32_t SeekableAttribute(const std::filesystem::path& file) {
  const auto reader = asf_test::OpenAsf(file);
  uint32_t seekable = 0;
  if (reader) EXPECT_EQ(GetAttrDword(*reader->HeaderInfo(), "Seekable", 0, seekable), S_OK);
  return seekable;
}

void ExpectEveryReaderTakesIt(const std::filesystem::path& file) {
  EXPECT_EQ(DecodeErrors(file), "");
  for (const ReaderView& view : IndependentViews(file)) {
    SCOPED_TRACE(view.reader);
    EXPECT_TRUE(view.recognised) << view.detail;
    EXPECT_EQ(view.container, "asf");
  }
}

TEST(WmvReconstruct, AFileWithoutIndexBecomesSeekableWithEverySample) {
  TempDir dir;
  const auto source = Fixture("asf_wmv2_noindex.wmv");
  ASSERT_EQ(SeekableAttribute(source), 0u);
  const auto out = dir / "repaired.wmv";
  const CliRun run = RunCli("reconstruct -q -o " + Quoted(out) + " " + Quoted(source));
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("Writing ..."), std::string::npos) << run.out;
  EXPECT_EQ(SeekableAttribute(out), 1u);
  EXPECT_EQ(Checksums(ReadWmvFrames(out)), Checksums(ReadWmvFrames(source)));
  EXPECT_NEAR(ProbedDuration(out), ProbedDuration(Fixture("asf_wmv2.wmv")), 0.1);
  ExpectEveryReaderTakesIt(out);
}

TEST(WmvReconstruct, DamagedPacketsAreReportedAndCutOut) {
  TempDir dir;
  const auto source = Fixture("asf_wmv2_damaged.wmv");
  const auto out = dir / "repaired.wmv";
  const CliRun run = RunCli("reconstruct -q -o " + Quoted(out) + " " + Quoted(source));
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("Ignored BAD DATA BLOCK, "), std::string::npos) << run.out;

  const std::vector<WmvFrame> video = StreamFrames(ReadWmvFrames(out), kVideo);
  ASSERT_FALSE(video.empty());
  // Every frame up to the damage is kept, and from the first key frame after it on.
  EXPECT_EQ(Checksums(video), Checksums(FramesKeptPastDamage(source, kVideo)));
  EXPECT_TRUE(video.front().key);
  // The stretch is cut out: the frames after it follow the frames before it without a hole.
  for (size_t i = 1; i < video.size(); ++i) {
    EXPECT_GT(video[i].time, video[i - 1].time) << i;
    EXPECT_LE(video[i].time - video[i - 1].time, 2 * kFrame) << i;
  }
  EXPECT_EQ(SeekableAttribute(out), 1u);
  ExpectEveryReaderTakesIt(out);
}

// GStreamer's muxer left its video 1000 hours after its audio: the repaired file plays both
// from its start, every frame kept.
TEST(WmvReconstruct, AGstreamerFileKeepsItsVideoAtTheStart) {
  TempDir dir;
  const auto source = Fixture("gst_wmv2_wmav2_smpte.wmv");
  const auto out = dir / "repaired.wmv";
  const CliRun run = RunCli("reconstruct -q -o " + Quoted(out) + " " + Quoted(source));
  ASSERT_EQ(run.exitCode, 0) << run.out;
  const std::vector<WmvFrame> written = ReadWmvFrames(out);
  const std::vector<WmvFrame> video = StreamFrames(written, kVideo);
  ASSERT_EQ(video.size(), 150u);
  EXPECT_EQ(Checksums(video), Checksums(StreamFrames(ReadWmvFrames(source), kVideo)));
  EXPECT_EQ(video.front().time, StreamFrames(written, 2).front().time);
  ExpectSoundTiming(out, 6.0);
  ExpectEveryReaderTakesIt(out);
}

TEST(WmvReconstruct, TheDestinationMayNotBeTheSource) {
  TempDir dir;
  const auto source = dir / "movie.wmv";
  std::filesystem::copy_file(Fixture("asf_wmv2.wmv"), source);
  const auto before = std::filesystem::file_size(source);
  const CliRun run = RunCli("reconstruct -q -o " + Quoted(dir / "movie.avi") + " " + Quoted(source));
  EXPECT_NE(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("The destination is one of the source files"), std::string::npos) << run.out;
  EXPECT_EQ(std::filesystem::file_size(source), before);
  EXPECT_EQ(Checksums(ReadWmvFrames(source)), Checksums(ReadWmvFrames(Fixture("asf_wmv2.wmv"))));
}

}  // namespace
}  // namespace korvel::test
