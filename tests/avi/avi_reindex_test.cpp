// Repairing damaged AVI files with `korvel-cli reconstruct`: the new file has a complete index
// of its own, holds the samples that survived in the damaged file, and plays in other readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "avi/avi_header_writer.h"
#include "avi/avi_test_probe.h"
#include "base/file_read.h"
#include "lang/lang.h"
#include "produce/english_texts.h"
#include "produce/pumped_main_thread.h"
#include "produce/work_root.h"
#include "support/cli_run.h"
#include "support/file_size_limit.h"
#include "support/independent_readers.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

// A stream as a player meets it: video frame by frame with its key flag, audio as one run of
// bytes, since the repaired file may cut audio into chunks of its own length.
struct StreamContent {
  bool video = false;
  std::vector<SampleRead> frames;
  std::vector<uint8_t> audio;
  bool audioAllKeys = true;
};

std::vector<StreamContent> ReadContent(IAVIReadHandler& handler) {
  std::vector<StreamContent> streams;
  for (int32_t n = 0;; ++n) {
    const auto stream = handler.GetStream(0, n);
    if (!stream) break;
    AviStreamInfo info;
    stream->Info(info);
    StreamContent content;
    content.video = info.fccType == kStreamTypeVideo;
    std::vector<uint8_t> buffer(1 << 20);
    for (int64_t s = 0; s < stream->End();) {
      int64_t bytes = 0;
      int64_t samples = 0;
      if (stream->Read(s, content.video ? 1 : -1, buffer.data(), static_cast<int64_t>(buffer.size()), &bytes,
                       &samples) != S_OK ||
          samples < 1)
        break;
      const std::span<const uint8_t> data(buffer.data(), static_cast<size_t>(bytes));
      if (content.video)
        content.frames.push_back({s, 0, bytes, Adler32(data), stream->IsKeyFrame(s)});
      else {
        content.audio.insert(content.audio.end(), data.begin(), data.end());
        content.audioAllKeys = content.audioAllKeys && stream->IsKeyFrame(s);
      }
      s += samples;
    }
    streams.push_back(std::move(content));
  }
  return streams;
}

void ExpectSameContent(const StreamContent& original, const StreamContent& repaired, bool prefixOnly) {
  ASSERT_EQ(repaired.video, original.video);
  if (repaired.video) {
    ASSERT_FALSE(repaired.frames.empty());
    EXPECT_TRUE(repaired.frames.front().key);
    std::vector<SampleRead> expected = original.frames;
    if (prefixOnly) {
      ASSERT_LE(repaired.frames.size(), expected.size());
      EXPECT_GT(repaired.frames.size() * 2, expected.size());
      expected.resize(repaired.frames.size());
    }
    EXPECT_EQ(repaired.frames, expected);
    return;
  }
  ASSERT_FALSE(repaired.audio.empty());
  // Each audio chunk can be decoded on its own, and the index says so.
  EXPECT_TRUE(repaired.audioAllKeys);
  if (prefixOnly) {
    ASSERT_LE(repaired.audio.size(), original.audio.size());
    EXPECT_TRUE(std::equal(repaired.audio.begin(), repaired.audio.end(), original.audio.begin()));
  } else {
    EXPECT_EQ(repaired.audio, original.audio);
  }
}

struct RepairCase {
  const char* damaged;
  const char* original;
  bool prefixOnly = false;      // the damaged file was cut short
  bool reportsDamage = false;   // bytes that are no whole chunk were stepped over
};

class AviReindexRepair : public testing::TestWithParam<RepairCase> {};

TEST_P(AviReindexRepair, OutputIsIndexedAndHoldsTheSurvivingSamples) {
  const RepairCase& c = GetParam();
  TempDir dir;
  const auto out = dir / "repaired.avi";
  const auto run = RunCli("reconstruct -q " + Quoted(Fixture(c.damaged)) + " -o " + Quoted(out));
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("AVI Reconstructing ..."), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("   - Corrupted size : ") != std::string::npos, c.reportsDamage) << run.out;

  const auto repaired = OpenAvi(out);
  ASSERT_EQ(repaired.result, S_OK);
  EXPECT_FALSE(repaired.handler->IndexReconstructed());
  const auto original = OpenAvi(Fixture(c.original));
  ASSERT_EQ(original.result, S_OK);
  const auto expected = ReadContent(*original.handler);
  const auto actual = ReadContent(*repaired.handler);
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t n = 0; n < expected.size(); ++n) {
    SCOPED_TRACE("stream " + std::to_string(n));
    ExpectSameContent(expected[n], actual[n], c.prefixOnly);
  }

  EXPECT_EQ(RunCommand("ffmpeg -nostdin -v error -i " + Quoted(out) + " -f null - 2>&1").out, "");
  for (const ReaderView& view : IndependentViews(out)) {
    EXPECT_TRUE(view.recognised) << view.reader << ": " << view.detail;
    EXPECT_EQ(view.container, "avi") << view.reader;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, AviReindexRepair,
    testing::Values(RepairCase{"avi_xvid_mp3_noidx1.avi", "avi_xvid_mp3.avi"},
                    RepairCase{"avi_div3_pcm_noidx1.avi", "avi_div3_pcm.avi"},
                    RepairCase{"avi_h264_noidx1.avi", "avi_h264.avi"},
                    RepairCase{"avi_wmv2_noidx1.avi", "avi_wmv2.avi"},
                    RepairCase{"avi_h264_movi0.avi", "avi_h264.avi"},
                    RepairCase{"avi_div3_pcm_garbage.avi", "avi_div3_pcm.avi", false, true},
                    RepairCase{"avi_xvid_mp3_truncated.avi", "avi_xvid_mp3.avi", true, true}),
    [](const testing::TestParamInfo<RepairCase>& info) {
      return std::filesystem::path(info.param.damaged).stem().string();
    });

// The destination names the source itself, directly or through a link: the source is left as
// it was and the run fails before anything is written.
TEST(AviReindex, DestinationThatIsTheSourceIsRefused) {
  TempDir dir;
  const auto source = dir / "broken.avi";
  std::filesystem::copy_file(Fixture("avi_h264_noidx1.avi"), source);
  const auto before = ReadWholeFile(source, 1 << 24);
  ASSERT_TRUE(before);
  std::filesystem::create_symlink(source, dir / "link.avi");
  for (const auto& destination : {source, dir / "link.avi"}) {
    const auto run = RunCli("reconstruct -q " + Quoted(source) + " -o " + Quoted(destination));
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("The destination is one of the source files"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("AVI Reconstructing"), std::string::npos) << run.out;
    EXPECT_EQ(ReadWholeFile(source, 1 << 24), before) << destination;
  }
}

TEST(AviReindex, MissingDestinationFolderFailsWithoutAFile) {
  TempDir dir;
  const auto out = dir / "absent" / "repaired.avi";
  const auto run = RunCli("reconstruct -q " + Quoted(Fixture("avi_h264_noidx1.avi")) + " -o " + Quoted(out));
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_NE(run.out.find("Could not create output file."), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(out));
}

class AviReindexJob : public EnglishTexts {
protected:
  // Runs the repair tool as the desktop program does; onProgress may stop the job.
  HRESULT RunRepair(const std::filesystem::path& source, const std::function<void(TWorkRoot&, int32_t)>& onProgress) {
    TPumpedMainThread mainThread;
    TWorkToolComm job(mainThread);
    job.Tool = TWorkToolComm::kToolAviReindex;
    job.SourceName = source;
    job.DestName = out;
    job.OnStatus = [&](const std::string& line) { lines.push_back(line); };
    job.OnProgress = [&](int32_t value) {
      if (onProgress) onProgress(job, value);
    };
    bool done = false;
    job.OnFinished = [&](TWorkRoot&) { done = true; };
    if (!job.Run()) return S_OK;
    mainThread.PumpUntil([&] { return done; });
    return job.Result();
  }

  bool HasLineStartingWith(const std::string& prefix) const {
    return std::ranges::any_of(lines, [&](const std::string& line) { return line.starts_with(prefix); });
  }

  TempDir dir;
  std::filesystem::path out = dir / "repaired.avi";
  std::vector<std::string> lines;
};

TEST_F(AviReindexJob, StopDuringTheScanEndsWithoutOutput) {
  bool stopped = false;
  const HRESULT result = RunRepair(Fixture("avi_div3_pcm_noidx1.avi"), [&](TWorkRoot& job, int32_t value) {
    // The first value above 0 comes from the scan, before any output exists.
    if (value > 0 && !stopped) {
      stopped = true;
      job.Stop();
    }
  });
  ASSERT_TRUE(stopped);
  EXPECT_LT(result, 0);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), LangStr("Base", "Failure"));
  EXPECT_FALSE(HasLineStartingWith("Writing ..."));
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(AviReindexJob, FailedWriteFailsTheRunWithTheWritersReason) {
  // The child reports back only whether the run failed the way it should.
  const std::optional<bool> failedProperly = RunWithFileSizeLimit(16 * 1024, [&] {
    if (RunRepair(Fixture("avi_div3_pcm_noidx1.avi"), {}) >= 0 || lines.empty()) return false;
    // The writer queues its writes, so the refusal may surface only when the file is finished.
    const std::string failure = LangStr("Base", "Failure") + " : Could not ";
    const std::string reasonFollows = " output file : ";
    const bool namesTheReason = std::ranges::any_of(lines, [&](const std::string& line) {
      const size_t reason = line.find(reasonFollows);
      return line.starts_with(failure) && reason != std::string::npos && line.size() > reason + reasonFollows.size();
    });
    // An output that could not be finished is no AVI: it must not be left behind.
    return namesTheReason && lines.back() == LangStr("Base", "Failure") && !std::filesystem::exists(out);
  });
  ASSERT_TRUE(failedProperly.has_value()) << "the repair did not end normally";
  EXPECT_TRUE(*failedProperly);
}

}  // namespace
}  // namespace korvel::test
