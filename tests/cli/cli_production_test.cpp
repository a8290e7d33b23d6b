// korvel-cli's production commands as a user meets them before the engines land: every run
// that cannot be carried out says why, exits 1 (2 for usage), and writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
