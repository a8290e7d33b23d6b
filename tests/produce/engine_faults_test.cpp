// What every join engine must do when things go wrong around it: a failed run says so, a run
// that ends before copying leaves no file, a run that ends after copying began leaves a closed
// file that plays, and no source is ever changed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "ffmpeg/ffm_output_checks.h"
#include "lang/lang.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "produce/lossless_job.h"
#include "support/cli_run.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;

struct EngineCase {
  const char* name;
  const char* fixture;
  uint8_t kind;
  uint8_t subKind;
  const char* extension;
  int32_t clipMs;
  // A source longer than what its reader looks ahead (FFmpeg's probing, the ASF reader's
  // preroll), so that cutting it while it is copied takes data the copy still needs.
  const char* longFixture;
  int32_t longMs;
  // The Windows Media engine cuts unreadable stretches out and goes on; the others fail.
  bool skipsBadData;
};

std::ostream& operator<<(std::ostream& out, const EngineCase& engine) { return out << engine.name; }

const EngineCase kEngines[] = {
    {"Avi", "avi_xvid_mp3.avi", kKindAvi, 0, ".avi", 2000, "avi_xvid_sparse_keys.avi", 6000, false},
    {"Mp4", "mp4_h264_aac.mp4", kKindMp4Family, kSubKindMp4, ".mp4", 2000, "mp4_h264_sparse_keys.mp4", 6000, false},
    {"MpegProgramStream", "ps_mpeg2_mp2.mpg", kKindMpegPs, 0, ".mpg", 2000, "ps_mpeg2_long.mpg", 6000, false},
    {"MpegTransportStream", "ts_h264_aac.ts", kKindMpegTs, 0, ".ts", 2000, "ts_h264_sparse_keys.ts", 6000, false},
    {"Wmv", "asf_wmv2.wmv", kKindAsf, 0, ".wmv", 2000, "asf_wmv2_long.wmv", 8000, true},
};

class EngineFaults : public test::LosslessJobTest, public testing::WithParamInterface<EngineCase> {
protected:
  void SetUp() override {
    LosslessJobTest::SetUp();
    out = dir / (std::string("joined") + GetParam().extension);
  }

  std::filesystem::path Source() const { return Fixture(GetParam().fixture); }
  void AddWholeClip(const std::filesystem::path& file) { AddClip(file, GetParam().clipMs); }
  bool Join() { return RunJoin(GetParam().kind, GetParam().subKind); }
  bool JoinStoppedAbove(int32_t perMille) { return RunJoinStoppedAbove(GetParam().kind, GetParam().subKind, perMille); }

  void ExpectFailedWithoutCompleted() const {
    EXPECT_LT(result, 0);
    EXPECT_TRUE(HasLine(LangStr("Base", "Failure"))) << AllLines();
    EXPECT_FALSE(HasExactLine(LangStr("Base", "Completed"))) << AllLines();
  }

  // A file left behind after copying began must be closed and whole: our analyzer describes it
  // and ffmpeg decodes it without a complaint.
  void ExpectPlayableOutput() const {
    ASSERT_TRUE(std::filesystem::exists(out)) << AllLines();
    QdMediaInfo info;
    EXPECT_TRUE(AnalyzeMediaFile(out, info));
    EXPECT_EQ(test::DecodeErrors(out), "");
  }
};

TEST_P(EngineFaults, MissingSourceFailsBeforeCopyingAndLeavesNoFile) {
  const auto gone = dir / (std::string("gone") + GetParam().extension);
  std::filesystem::copy_file(Source(), gone);
  AddWholeClip(Source());
  AddWholeClip(gone);
  std::filesystem::remove(gone);

  ASSERT_TRUE(Join());
  ExpectFailedWithoutCompleted();
  EXPECT_TRUE(HasLine(LangStr("Korvel1", "FileNotExist") + " - 2 : " + gone.filename().string())) << AllLines();
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_P(EngineFaults, DestinationThatIsASourceIsRefusedAndLeftAlone) {
  const auto source = dir / (std::string("source") + GetParam().extension);
  std::filesystem::copy_file(Source(), source);
  const auto before = ReadWholeFile(source, size_t{16} << 20);
  ASSERT_TRUE(before.has_value());
  AddWholeClip(source);
  out = source;
  ASSERT_TRUE(Join());
  ExpectFailedWithoutCompleted();
  EXPECT_TRUE(HasLine("The destination is one of the source files")) << AllLines();
  EXPECT_EQ(ReadWholeFile(source, size_t{16} << 20), before);
}

TEST_P(EngineFaults, DestinationInAMissingFolderFailsAndSaysWhy) {
  AddWholeClip(Source());
  out = dir / "no such folder" / out.filename();
  ASSERT_TRUE(Join());
  ExpectFailedWithoutCompleted();
  EXPECT_TRUE(HasLine("Could not create output file")) << AllLines();
  EXPECT_FALSE(std::filesystem::exists(out.parent_path()));
}

TEST_P(EngineFaults, StopBeforeTheOutputExistsLeavesNoFile) {
  AddWholeClip(Source());
  AddWholeClip(Source());
  // The worker waits while the main thread handles its first progress value, so the stop is
  // seen before the producer gets any further.
  ASSERT_TRUE(JoinStoppedAbove(-1));
  ExpectStoppedByUser();
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_P(EngineFaults, StopInTheFirstOrALaterClipKeepsAPlayableFile) {
  for (const int32_t stopAbove : {100, 700}) {
    SCOPED_TRACE(stopAbove);
    lines.clear();
    std::filesystem::remove(out);
    clips.Clear();
    AddWholeClip(Source());
    AddWholeClip(Source());
    ASSERT_TRUE(JoinStoppedAbove(stopAbove));
    ExpectStoppedByUser();
    ExpectPlayableOutput();
  }
}

TEST_P(EngineFaults, FullDiskPartWayFailsAndSaysWhy) {
  const auto source = Source();
  const uint64_t limit = std::filesystem::file_size(source) / 2;
  AddWholeClip(source);
  AddWholeClip(source);
  const std::optional<bool> failedProperly = test::RunWithFileSizeLimit(limit, [&] {
    if (!Join()) return false;
    return result < 0 && HasLine(LangStr("Base", "Failure")) && HasLine("output file") &&
           !HasExactLine(LangStr("Base", "Completed"));
  });
  ASSERT_TRUE(failedProperly.has_value()) << "the join did not end normally";
  EXPECT_TRUE(*failedProperly);
}

TEST_P(EngineFaults, SourceCutShortWhileCopiedIsNeverReportedAsAWholeCopy) {
  const auto source = dir / (std::string("source") + GetParam().extension);
  std::filesystem::copy_file(Fixture(GetParam().longFixture), source);
  const uint64_t quarter = std::filesystem::file_size(source) / 4;
  AddClip(source, GetParam().longMs);
  AddClip(Fixture(GetParam().longFixture), GetParam().longMs);
  bool cut = false;
  ASSERT_TRUE(RunJoin(GetParam().kind, GetParam().subKind, [&](TWorkRoot&, int32_t perMille) {
    if (perMille > 0 && !cut) {
      cut = true;
      std::filesystem::resize_file(source, quarter);
    }
  }));
  ASSERT_TRUE(cut) << AllLines();
  if (GetParam().skipsBadData) {
    // The lost stretch is cut out of the output and reported.
    EXPECT_TRUE(HasLine("Ignored BAD DATA BLOCK")) << AllLines();
  } else {
    ExpectFailedWithoutCompleted();
  }
  EXPECT_EQ(std::filesystem::file_size(source), quarter);
}

INSTANTIATE_TEST_SUITE_P(EveryEngine, EngineFaults, testing::ValuesIn(kEngines),
                         [](const testing::TestParamInfo<EngineCase>& info) { return std::string(info.param.name); });

// Permission bits do not stop root, so the run is made by an unprivileged user when the tests
// run as root.
std::string AsUnprivilegedUser(const std::string& command) {
  return geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " + command : command;
}

class EngineDestinationFaults : public testing::TestWithParam<EngineCase> {};

TEST_P(EngineDestinationFaults, ReadOnlyFolderFailsAndLeavesNothing) {
  test::TempDir dir;
  std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
  const auto source = dir / (std::string("source") + GetParam().extension);
  std::filesystem::copy_file(Fixture(GetParam().fixture), source);
  std::filesystem::permissions(source, std::filesystem::perms(0644));
  const auto locked = dir / "locked";
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms(0555));
  const auto out = locked / (std::string("joined") + GetParam().extension);
  // The build tree may lie in a folder the unprivileged user cannot enter.
  const auto cli = dir / "korvel-cli";
  std::filesystem::copy_file(KORVEL_CLI_PATH, cli);

  const auto run = test::RunCommand(AsUnprivilegedUser(test::Quoted(cli) + " join -q -o " +
                                                       test::Quoted(out) + " " + test::Quoted(source) + "@0-1000 2>&1"));
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_NE(run.out.find("Could not create output file"), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::is_empty(locked));
}

INSTANTIATE_TEST_SUITE_P(EveryEngine, EngineDestinationFaults, testing::ValuesIn(kEngines),
                         [](const testing::TestParamInfo<EngineCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel
