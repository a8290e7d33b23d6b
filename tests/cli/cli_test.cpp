// korvel-cli run as a user runs it: arguments in, text and an exit code out.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "support/cli_run.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;
using test::Quoted;
using test::RunCli;

TEST(CliTest, InfoShowsTheDetectionAndSaysWhenNoAnalyzerDescribesTheFile) {
  const test::CliRun run = RunCli("info " + Quoted(Fixture("mkv_mpeg4_mp3.mkv")));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("Detection: 6"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("no analyzer accepts this file"), std::string::npos) << run.out;
}

TEST(CliTest, InfoJsonListsEveryFileInOrder) {
  const test::CliRun run = RunCli("info --json " + Quoted(Fixture("mov_h264_aac.mov")) + " " + Quoted(Fixture("missing.avi")),
                         false);
  EXPECT_EQ(run.exitCode, 2);  // one file could not be read
  const auto json = nlohmann::json::parse(run.out);
  ASSERT_EQ(json.size(), 2u);
  EXPECT_EQ(json[0]["Detection"], 7);
  EXPECT_EQ(json[0]["DetectionSubType"], 74);
  EXPECT_EQ(json[0]["Analysed"], true);
  EXPECT_EQ(json[0]["Kind"], 5);
  EXPECT_EQ(json[0]["SubKind"], 5);
  EXPECT_NE(json[1]["Error"].get<std::string>().find("No such file"), std::string::npos);
}

TEST(CliTest, InfoJsonOfTextThatIsNoUtf8StaysJson) {
  // A handler type is four bytes of the file, shown as text; file names on Linux are bytes too.
  test::TempDir dir;
  std::vector<uint8_t> bytes = *ReadWholeFile(Fixture("mp4_aac_only.mp4"), 1 << 20);
  const std::string handler = "hdlr";
  const auto hdlr = std::search(bytes.begin(), bytes.end(), handler.begin(), handler.end());
  ASSERT_NE(hdlr, bytes.end());
  hdlr[13] = 0xA5;  // the handler type's second byte, behind the version, flags and predefined field
  const auto file = dir / "odd\xFF.mp4";
  test::WriteFileBytes(file, bytes);

  const test::CliRun run = RunCli("info --json " + Quoted(file), false);
  EXPECT_EQ(run.exitCode, 0);
  const auto json = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_FALSE(json.is_discarded()) << run.out;
  ASSERT_EQ(json.size(), 1u);
  EXPECT_NE(json[0]["FileName"].get<std::string>().find("\uFFFD"), std::string::npos);
}

TEST(CliTest, UnreadableAndGarbageFilesGetAClearMessage) {
  test::TempDir dir;
  const test::CliRun missing = RunCli("info " + Quoted(dir / "nothing.mp4"));
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.out.find("cannot read"), std::string::npos) << missing.out;

  const test::CliRun folder = RunCli("info " + Quoted(dir.path()));
  EXPECT_EQ(folder.exitCode, 2);
  EXPECT_NE(folder.out.find("not a regular file"), std::string::npos) << folder.out;

  const test::CliRun tiny = RunCli("info " + Quoted(Fixture("tiny_15_bytes.bin")));
  EXPECT_EQ(tiny.exitCode, 1);
  EXPECT_NE(tiny.out.find("Detection: -1"), std::string::npos) << tiny.out;
}

TEST(CliTest, CheckNeedsTwoDescribableFiles) {
  const test::CliRun run = RunCli("check " + Quoted(Fixture("avi_xvid_mp3.avi")) + " " + Quoted(Fixture("missing.avi")));
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.out.find("cannot"), std::string::npos) << run.out;
}

TEST(CliTest, CheckOfIncompatibleFilesPrintsTheDifferenceTable) {
  const std::string english = Quoted(std::string(KORVEL_LANGUAGE_SOURCE_DIR) + "/g0409_eng.ini");
  const test::CliRun run = RunCli("check --lang " + english + " " + Quoted(Fixture("mp4_h264_aac.mp4")) + " " +
                                  Quoted(Fixture("mp4_h264_ac3.mp4")));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out,
            "not compatible: stream 1 of the first file does not match stream 1 of the second\n"
            "                   First file       | Second file\n"
            "  File name      : mp4_h264_aac.mp4 | mp4_h264_ac3.mp4\n"
            "  Media Format   : MP4              | MP4\n"
            "  Stream Count   : 2                | 2\n"
            "  Stream Type    : Audio            | Audio\n"
            "  Time Scale     : 44100            | 48000\n"
            "  Audio Codec    : mp4a             | ac-3\n"
            "  Audio Channels : 1                | 1\n");
}

TEST(CliTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(RunCli("").exitCode, 2);
  EXPECT_EQ(RunCli("info").exitCode, 2);
  EXPECT_EQ(RunCli("check one.avi").exitCode, 2);
  EXPECT_EQ(RunCli("frobnicate").exitCode, 2);
  const test::CliRun help = RunCli("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("info"), std::string::npos);
}


struct AviInfoCase {
  const char* file;
  std::vector<std::string> lines;  // each found in the printed report
};

// The fixture recipe makes 160x120 video at 25 frames per second and a 44100 Hz mono sine.
TEST(CliTest, InfoDescribesAviFilesFully) {
  const test::ScopedEnv locale("LC_ALL", "C");
  const std::vector<std::string> common{"Kind: AVI (1/0), output extension \"avi\"", "IndexOK: 1",
                                        "Streams: 2 (2 comparable)", "Stream 0: video", "Rate             25\n",
                                        "Scale            1\n", "RateX1000        25000\n",
                                        "FrameRate        25.000\n", "Width            160\n",
                                        "Height           120\n", "Stream 1: audio"};
  for (const AviInfoCase& c :
       {AviInfoCase{"avi_div3_pcm.avi",
                    {"FourCC           DIV3\n", "FourCCClass      mp43\n", "FrameRate        44100.0\n",
                     "AudioFormat      PCM, 44,100 Hz, 16 bits, Mono\n"}},
        AviInfoCase{"avi_xvid_mp3.avi",
                    {"FourCC           XVID\n", "FourCCClass      xvid\n", "AudioFormat      MP3, 44,100 Hz, 0 bits, Mono\n"}}}) {
    const test::CliRun run = RunCli("info " + Quoted(Fixture(c.file)));
    EXPECT_EQ(run.exitCode, 0) << run.out;
    for (const std::vector<std::string>* lines : {&common, &c.lines})
      for (const std::string& line : *lines) EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
  }
}

TEST(CliTest, InfoOfAnAviWithoutIdx1AsksForReconstruction) {
  auto bytes = ReadWholeFile(Fixture("avi_div3_pcm.avi"), 1 << 24);
  ASSERT_TRUE(bytes);
  const std::string idx1 = "idx1";
  // ffmpeg writes the index last; searching from the end cannot stop in sample bytes first.
  const auto at = std::find_end(bytes->begin(), bytes->end(), idx1.begin(), idx1.end());
  ASSERT_NE(at, bytes->end());
  std::copy_n("JUNK", 4, at);
  test::TempDir dir;
  test::WriteFileBytes(dir / "no_idx1.avi", *bytes);

  const test::CliRun run = RunCli("info --json " + Quoted(dir / "no_idx1.avi"), false);
  const auto json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json[0]["Kind"], 1) << run.out;
  EXPECT_EQ(json[0]["IndexOK"], 0) << run.out;
}

}  // namespace
}  // namespace korvel
