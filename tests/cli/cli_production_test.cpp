// korvel-cli's production commands as a user meets them before the engines land: every run
// that cannot be carried out says why, exits 1 (2 for usage), and writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/file_read.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;
using test::Quoted;
using test::RunCli;

TEST(CliProductionTest, JoinOfAFamilyWithoutAnalyzerFailsCleanly) {
  test::TempDir dir;
  const auto out = dir / "joined.mkv";
  const auto run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(Fixture("mkv_mpeg4_mp3.mkv")) + "@0-1000 " +
                          Quoted(Fixture("mkv_mpeg4_mp3.mkv")));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("cannot describe"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliProductionTest, JoinOfDescribedMp4ClipsWritesTheFile) {
  test::TempDir dir;
  const auto out = dir / "joined.mp4";
  const auto run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(Fixture("mp4_h264_aac.mp4")) + "@0-1000 " +
                          Quoted(Fixture("mp4_h264_aac.mp4")) + "@1000-2000");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_TRUE(std::filesystem::exists(out));
}

TEST(CliProductionTest, JoinRefusesBadClipsAndUnreadableFiles) {
  test::TempDir dir;
  const auto out = dir / "joined.avi";
  const auto backwards = RunCli("join -o " + Quoted(out) + " " + Quoted(Fixture("avi_h264.avi")) + "@2000-1000");
  EXPECT_EQ(backwards.exitCode, 2);
  EXPECT_NE(backwards.out.find("not a clip"), std::string::npos) << backwards.out;

  const auto missing = RunCli("join -o " + Quoted(out) + " " + Quoted(dir / "gone.avi"));
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.out.find("cannot read"), std::string::npos) << missing.out;

  EXPECT_EQ(RunCli("join " + Quoted(Fixture("avi_h264.avi"))).exitCode, 2);  // no -o
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliProductionTest, ProduceReadsTheProjectAndNamesWhatStopsIt) {
  test::TempDir dir;
  const auto project = dir / "trip.korvelproj";
  std::ofstream(project) << "[Clip]\r\nClipCount=1\r\n[Clip0]\r\nFileName=" << Fixture("mp4_h264_aac.mp4").string()
                         << "\r\nTotalTime=2000\r\nStartTime=0\r\nEndTime=1000\r\n";
  const auto run = RunCli("produce -q " + Quoted(project) + " -o " + Quoted(dir / "out.mp4"));
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_TRUE(std::filesystem::exists(dir / "out.mp4"));

  const auto empty = dir / "empty.korvelproj";
  std::ofstream(empty) << "[Clip]\r\nClipCount=0\r\n";
  const auto emptyRun = RunCli("produce -q " + Quoted(empty));
  EXPECT_EQ(emptyRun.exitCode, 1);
  EXPECT_NE(emptyRun.out.find("holds no clip"), std::string::npos) << emptyRun.out;

  EXPECT_EQ(RunCli("produce " + Quoted(dir / "none.korvelproj")).exitCode, 2);
}

// A project written by a player that measured the source differently still cuts where a join
// of the same clips cuts: both take the source's length from the analysis.
TEST(CliProductionTest, ProduceAndJoinOfTheSameClipsWriteTheSameFile) {
  test::TempDir dir;
  const auto source = Fixture("ps_mpeg2_mp2.mpg");
  const auto project = dir / "clips.korvelproj";
  std::ofstream(project) << "[Clip]\r\nClipCount=2\r\n[Clip0]\r\nFileName=" << source.string()
                         << "\r\nTotalTime=3500\r\nStartTime=1000\r\nEndTime=1800\r\n[Clip1]\r\nFileName="
                         << source.string() << "\r\nTotalTime=3500\r\nStartTime=0\r\nEndTime=600\r\n";
  const auto produced = RunCli("produce -q " + Quoted(project) + " -o " + Quoted(dir / "produced.mpg"));
  ASSERT_EQ(produced.exitCode, 0) << produced.out;
  const auto joined = RunCli("join -q -o " + Quoted(dir / "joined.mpg") + " " + Quoted(source) + "@1000-1800 " +
                             Quoted(source) + "@0-600");
  ASSERT_EQ(joined.exitCode, 0) << joined.out;
  const auto a = ReadWholeFile(dir / "produced.mpg", 1 << 24);
  const auto b = ReadWholeFile(dir / "joined.mpg", 1 << 24);
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(*a == *b) << a->size() << " and " << b->size() << " bytes";
}

// Every clip is checked against the first before anything is written, by produce as by join.
TEST(CliProductionTest, ProduceRefusesClipsThatCannotJoinAndNamesTheDifference) {
  test::TempDir dir;
  const auto project = dir / "mixed.korvelproj";
  std::ofstream(project) << "[Clip]\r\nClipCount=2\r\n[Clip0]\r\nFileName=" << Fixture("avi_xvid_mp3.avi").string()
                         << "\r\nTotalTime=2000\r\nStartTime=0\r\nEndTime=1000\r\n[Clip1]\r\nFileName="
                         << Fixture("avi_h264.avi").string() << "\r\nTotalTime=2000\r\nStartTime=0\r\nEndTime=1000\r\n";
  const auto run = RunCli("produce -q " + Quoted(project) + " -o " + Quoted(dir / "out.avi"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("cannot join"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(dir / "out.avi"));
}

TEST(CliProductionTest, ReconstructNeedsADescribableFile) {
  test::TempDir dir;
  const auto run = RunCli("reconstruct -q " + Quoted(Fixture("mkv_mpeg4_mp3.mkv")) + " -o " + Quoted(dir / "r.mpg"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("cannot describe"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(dir / "r.mpg"));
  EXPECT_EQ(RunCli("reconstruct " + Quoted(dir / "gone.vob")).exitCode, 2);
}

TEST(CliProductionTest, AMissingLanguageFileIsAUsageError) {
  const auto run = RunCli("reconstruct --lang /nonexistent/g0409_eng.ini " + Quoted(Fixture("avi_h264.avi")));
  EXPECT_EQ(run.exitCode, 2);
}

}  // namespace
}  // namespace korvel
