// The lossless AVI engine run as a user runs it: korvel-cli join of clips, and jobs run through
// the core. The output is read back frame by frame by our reader and compared with what
// ffprobe lists in the sources, decoded by ffmpeg, and recognised by the independent readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "avi/avi_lossless_producer.h"
#include "avi/avi_samples_years_apart.h"
#include "avi/avi_test_probe.h"
#include "base/file_read.h"
#include "lang/lang.h"
#include "mediainfo/container_kind.h"
#include "produce/lossless_job.h"
#include "produce/producer_thread.h"
#include "support/cli_run.h"
#include "support/independent_readers.h"
#include "support/output_timing.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

// Every fixture runs at 25 frames per second.
constexpr double kFrameMs = 40;
// PCM fixtures: 44.1 kHz mono, 16 bits.
constexpr double kPcmBytesPerMs = 88.2;

struct Clip {
  int32_t startMs = 0;
  int32_t endMs = 0;
  std::string Argument(const std::filesystem::path& file) const {
    return Quoted(file) + "@" + std::to_string(startMs) + "-" + std::to_string(endMs);
  }
};

std::vector<ProbedAviPacket> VideoPackets(const std::filesystem::path& file) {
  std::vector<ProbedAviPacket> video;
  for (const ProbedAviPacket& packet : ProbeAviPackets(file))
    if (packet.stream == 0) video.push_back(packet);
  return video;
}

int64_t FrameAt(double ms) { return std::llround(ms / kFrameMs); }

// Where a clip really begins: the key frame at or before its start.
int64_t KeyFrameAtOrBefore(const std::vector<ProbedAviPacket>& frames, int32_t startMs) {
  int64_t key = 0;
  for (const ProbedAviPacket& frame : frames)
    if (frame.key && frame.time <= FrameAt(startMs)) key = std::max(key, frame.time);
  return key;
}

struct ExpectedJoin {
  std::vector<uint32_t> checksums;  // of the frames ffprobe lists (it skips empty ones)
  size_t frames = 0;                // every frame, empty ones too
};

// What the join should hold: each clip from its key frame to the frame at its end. The clips
// end a quarter frame into a frame, where every reading of "the frame at the end" agrees.
// insertFirstFrame: a clip that does not begin at the first frame is preceded by it (H.264 whose
// later key frames lack parameter sets).
ExpectedJoin ExpectJoin(const std::vector<ProbedAviPacket>& source, int64_t sourceFrames,
                        const std::vector<Clip>& clips, bool insertFirstFrame) {
  ExpectedJoin join;
  for (const Clip& clip : clips) {
    const int64_t first = KeyFrameAtOrBefore(source, clip.startMs);
    const int64_t last = std::min(FrameAt(clip.endMs), sourceFrames - 1);
    if (insertFirstFrame && first != 0) {
      join.checksums.push_back(source.front().adler);
      ++join.frames;
    }
    for (const ProbedAviPacket& frame : source)
      if (frame.time >= first && frame.time <= last) join.checksums.push_back(frame.adler);
    join.frames += static_cast<size_t>(last - first + 1);
  }
  return join;
}

std::vector<uint32_t> Checksums(const std::vector<ProbedAviPacket>& packets) {
  std::vector<uint32_t> checksums;
  for (const ProbedAviPacket& packet : packets) checksums.push_back(packet.adler);
  return checksums;
}

struct OutputFrames {
  std::vector<uint32_t> checksums;
  std::vector<bool> keys;
};

OutputFrames ReadVideo(const std::filesystem::path& file) {
  OutputFrames frames;
  const OpenedAvi opened = OpenAvi(file);
  EXPECT_EQ(opened.result, S_OK);
  if (!opened.handler) return frames;
  const auto video = opened.handler->GetStream(kStreamTypeVideo, 0);
  EXPECT_NE(video, nullptr);
  if (!video) return frames;
  for (const SampleRead& read : ReadWholeStream(*video)) {
    frames.checksums.push_back(read.adler);
    frames.keys.push_back(read.key);
  }
  return frames;
}

std::string DecodeErrors(const std::filesystem::path& file) {
  return RunCommand("ffmpeg -nostdin -v error -i " + Quoted(file) + " -f null - 2>&1").out;
}

struct JoinCase {
  std::string fixture;
  std::vector<std::string> streams;
  bool insertFirstFrame = false;
};

class AviLosslessJoin : public testing::TestWithParam<JoinCase> {};

TEST_P(AviLosslessJoin, ClipsArriveFrameForFrameAndPlayEverywhere) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  const JoinCase& c = GetParam();
  const auto source = Fixture(c.fixture);
  TempDir dir;
  const auto out = dir / "joined.avi";
  // Off a key frame, on one, an end past the video, and a clip that starts late in the file.
  const std::vector<Clip> clips = {{300, 890}, {960, 1490}, {1500, 9000}, {1100, 1690}};
  std::string arguments = "join -q -o " + Quoted(out);
  for (const Clip& clip : clips) arguments += " " + clip.Argument(source);
  const auto run = RunCli(arguments);
  ASSERT_EQ(run.exitCode, 0) << run.out;

  const OutputFrames sourceFrames = ReadVideo(source);
  const ExpectedJoin expected = ExpectJoin(VideoPackets(source), static_cast<int64_t>(sourceFrames.checksums.size()),
                                           clips, c.insertFirstFrame);
  EXPECT_EQ(Checksums(VideoPackets(out)), expected.checksums);
  const OutputFrames output = ReadVideo(out);
  EXPECT_EQ(output.checksums.size(), expected.frames);
  ASSERT_FALSE(output.keys.empty());
  EXPECT_TRUE(output.keys.front());

  for (const ReaderView& view : IndependentViews(out)) {
    SCOPED_TRACE(view.reader);
    ASSERT_TRUE(view.recognised) << view.detail;
    EXPECT_EQ(view.container, "avi");
    EXPECT_EQ(view.streams, c.streams);
  }
  EXPECT_EQ(DecodeErrors(out), "");
  ExpectSoundTiming(out, static_cast<double>(expected.frames) * kFrameMs / 1000);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, AviLosslessJoin,
                         testing::Values(JoinCase{"avi_xvid_mp3.avi", {"video:mpeg4", "audio:mp3"}},
                                         JoinCase{"avi_div3_pcm.avi", {"video:msmpeg4v3", "audio:pcm"}},
                                         JoinCase{"avi_h264_once_noise_pcm.avi", {"video:h264", "audio:pcm"}, true},
                                         JoinCase{"gst_mpeg4_mp3.avi", {"video:mpeg4", "audio:mp3"}}),
                         [](const testing::TestParamInfo<JoinCase>& info) {
                           return info.param.fixture.substr(0, info.param.fixture.find('.'));
                         });

// The audio of the file as one run of PCM bytes.
std::vector<uint8_t> PcmBytes(const std::filesystem::path& file, const TempDir& dir) {
  const auto pcm = dir / (file.stem().string() + ".pcm");
  RunCommand("ffmpeg -nostdin -v error -y -i " + Quoted(file) + " -map 0:a -c copy -f s16le " + Quoted(pcm));
  auto bytes = ReadWholeFile(pcm, size_t{64} << 20);
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or(std::vector<uint8_t>{});
}

// Where (in ms of the output) a stretch of the source's audio plays, taking the place nearest
// nearMs: a clip's audio may also appear just before it, where it made up a gap.
std::optional<double> WherePlays(const std::vector<uint8_t>& output, const std::vector<uint8_t>& source,
                                 double sourceMs, double nearMs) {
  constexpr size_t kWindow = 2048;
  const size_t from = static_cast<size_t>(std::llround(sourceMs * kPcmBytesPerMs)) & ~size_t{1};
  if (from + kWindow > source.size()) return std::nullopt;
  std::optional<double> nearest;
  auto at = output.begin();
  while ((at = std::search(at, output.end(), source.begin() + static_cast<std::ptrdiff_t>(from),
                           source.begin() + static_cast<std::ptrdiff_t>(from + kWindow))) != output.end()) {
    const double ms = static_cast<double>(at - output.begin()) / kPcmBytesPerMs;
    if (!nearest || std::abs(ms - nearMs) < std::abs(*nearest - nearMs)) nearest = ms;
    ++at;
  }
  return nearest;
}

TEST(AviLosslessSyncTest, AudioStaysWithinAFrameOfTheVideoAtEveryJoin) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  const auto source = Fixture("avi_h264_once_noise_pcm.avi");
  TempDir dir;
  const auto out = dir / "joined.avi";
  // A clip's video runs to the end of the frame that plays at its end, its audio to the end
  // itself: the first clip leaves the audio 41 ms short (more than a frame), the others between
  // 10 and 31 ms, which unchecked adds up from join to join.
  const std::vector<Clip> clips = {{0, 879}, {1000, 1649}, {500, 1270}, {1500, 1929}, {200, 750}};
  std::string arguments = "join -q -o " + Quoted(out);
  for (const Clip& clip : clips) arguments += " " + clip.Argument(source);
  const auto run = RunCli(arguments);
  ASSERT_EQ(run.exitCode, 0) << run.out;

  const std::vector<ProbedAviPacket> sourceFrames = VideoPackets(source);
  const std::vector<ProbedAviPacket> outputFrames = VideoPackets(out);
  const std::vector<uint8_t> sourcePcm = PcmBytes(source, dir);
  const std::vector<uint8_t> outputPcm = PcmBytes(out, dir);
  size_t cursor = 0;
  for (const Clip& clip : clips) {
    SCOPED_TRACE("clip at " + std::to_string(clip.startMs));
    const int64_t key = KeyFrameAtOrBefore(sourceFrames, clip.startMs);
    const auto keyFrame = std::ranges::find(sourceFrames, key, &ProbedAviPacket::time);
    ASSERT_NE(keyFrame, sourceFrames.end());
    while (cursor < outputFrames.size() && outputFrames[cursor].adler != keyFrame->adler) ++cursor;
    ASSERT_LT(cursor, outputFrames.size());
    // An AVI frame plays at its number times the frame duration.
    const double videoMs = static_cast<double>(outputFrames[cursor].time) * kFrameMs;
    const std::optional<double> audioMs =
        WherePlays(outputPcm, sourcePcm, static_cast<double>(key) * kFrameMs, videoMs);
    ASSERT_TRUE(audioMs.has_value());
    EXPECT_LT(std::abs(*audioMs - videoMs), kFrameMs) << "audio at " << *audioMs << " ms, video at " << videoMs;
    ++cursor;
  }
  ExpectSoundTiming(out, static_cast<double>(outputFrames.size()) * kFrameMs / 1000);
}

// Two files from GStreamer with VBR MP3: their audio formats differ in the byte rate alone, a
// hint the encoder fills per file, so they join.
TEST(AviLosslessProducerTest, VbrMp3FilesWhoseByteRatesDifferJoin) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  const auto first = Fixture("gst_mpeg4_mp3.avi");
  const auto second = Fixture("gst_mpeg4_mp3_noise.avi");
  const auto check = RunCli("check " + Quoted(first) + " " + Quoted(second));
  EXPECT_EQ(check.exitCode, 0) << check.out;
  TempDir dir;
  const auto out = dir / "joined.avi";
  const std::vector<Clip> clips = {{0, 990}, {500, 1890}};
  const auto run = RunCli("join -q -o " + Quoted(out) + " " + clips[0].Argument(first) + " " + clips[1].Argument(second));
  ASSERT_EQ(run.exitCode, 0) << run.out;
  const auto framesOf = [](const std::filesystem::path& file, const Clip& clip) {
    return ExpectJoin(VideoPackets(file), static_cast<int64_t>(ReadVideo(file).checksums.size()), {clip}, false).frames;
  };
  const size_t frames = framesOf(first, clips[0]) + framesOf(second, clips[1]);
  EXPECT_EQ(ReadVideo(out).checksums.size(), frames);
  for (const ReaderView& view : IndependentViews(out)) {
    SCOPED_TRACE(view.reader);
    ASSERT_TRUE(view.recognised) << view.detail;
    EXPECT_EQ(view.streams, (std::vector<std::string>{"video:mpeg4", "audio:mp3"}));
  }
  EXPECT_EQ(DecodeErrors(out), "");
  ExpectSoundTiming(out, static_cast<double>(frames) * kFrameMs / 1000);
}

TEST(AviLosslessProducerTest, AStartMovedBackFarIsReported) {
  TempDir dir;
  const auto out = dir / "late.avi";
  const std::string english = std::string(KORVEL_LANGUAGE_SOURCE_DIR) + "/g0409_eng.ini";
  const auto source = Fixture("avi_xvid_sparse_keys.avi");
  const auto run = RunCli("join -q --lang " + Quoted(english) + " -o " + Quoted(out) + " " + Quoted(source) +
                          "@4000-5000 " + Quoted(source) + "@2000-3000");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("00:05 (0:00:00 - 0:00:05)  Start moved back to the preceding key frame."), std::string::npos)
      << run.out;
  // Two seconds back is not worth a line.
  EXPECT_EQ(run.out.find("(0:00:00 - 0:00:03)"), std::string::npos) << run.out;
  const auto frames = static_cast<size_t>(FrameAt(5000) + 1 + FrameAt(3000) + 1);
  EXPECT_EQ(ReadVideo(out).checksums.size(), frames) << run.out;
  ExpectSoundTiming(out, static_cast<double>(frames) * kFrameMs / 1000);
}

TEST(AviLosslessProducerTest, ASourceAsDestinationIsRefusedAndLeftAlone) {
  TempDir dir;
  const auto source = dir / "source.avi";
  std::filesystem::copy_file(Fixture("avi_xvid_mp3.avi"), source);
  const auto before = ReadWholeFile(source, size_t{64} << 20);
  ASSERT_TRUE(before.has_value());
  const auto run = RunCli("join -q -o " + Quoted(source) + " " + Quoted(source) + "@0-1000");
  EXPECT_NE(run.exitCode, 0) << run.out;
  EXPECT_EQ(ReadWholeFile(source, size_t{64} << 20), before);
}

TEST(AviLosslessProducerTest, AStreamWithSamplesYearsApartStillJoins) {
  TempDir dir;
  const auto source = dir / "years.avi";
  WriteFileBytes(source, kAviSamplesYearsApart);
  const auto run = RunCli("join -q -o " + Quoted(dir / "joined.avi") + " " + Quoted(source) + "@200-400 " +
                          Quoted(source));
  EXPECT_EQ(run.exitCode, 0) << run.out;
}

// Joins of whole AVI clips run through the core.
class AviLosslessJob : public LosslessJobTest {
protected:
  void SetUp() override {
    LosslessJobTest::SetUp();
    out = dir / "joined.avi";
  }

  bool RunJoin(const std::function<void(TWorkRoot&, int32_t)>& onProgress = {}) {
    return LosslessJobTest::RunJoin(kKindAvi, 0, onProgress);
  }
};

TEST_F(AviLosslessJob, StopDuringTheCopyKeepsAPlayableShorterFile) {
  const auto source = Fixture("avi_xvid_mp3.avi");
  AddClip(source, 2000);
  AddClip(source, 2000);
  // The first value above 0 means chunks are being copied.
  ASSERT_TRUE(RunJoinStoppedAbove(kKindAvi, 0, 0));
  ExpectStoppedByUser();

  ASSERT_TRUE(std::filesystem::exists(out));
  const size_t frames = ReadVideo(out).checksums.size();
  EXPECT_GT(frames, 0U);
  EXPECT_LT(frames, 2 * VideoPackets(source).size());
  EXPECT_EQ(DecodeErrors(out), "");
  ExpectSoundTiming(out);
}

TEST_F(AviLosslessJob, ASourceCutShortWhileCopiedFailsAndKeepsWhatWasCopied) {
  const auto source = dir / "shrinking.avi";
  std::filesystem::copy_file(Fixture("avi_xvid_mp3.avi"), source);
  const uintmax_t size = std::filesystem::file_size(source);
  AddClip(source, 2000);
  AddClip(source, 2000);
  bool cut = false;
  ASSERT_TRUE(RunJoin([&](TWorkRoot&, int32_t value) {
    if (value > 0 && !cut) {
      cut = true;
      std::filesystem::resize_file(source, size / 2);
    }
  }));
  ASSERT_TRUE(cut);
  EXPECT_LT(result, 0);
  EXPECT_TRUE(HasLine("stream error.")) << AllLines();
  EXPECT_FALSE(HasExactLine(LangStr("Base", "Completed"))) << AllLines();
  ASSERT_TRUE(std::filesystem::exists(out));
  EXPECT_GT(ReadVideo(out).checksums.size(), 0U);
  EXPECT_EQ(DecodeErrors(out), "");
  ExpectSoundTiming(out);
}

// The join's thread with the output capped, as a FAT destination caps it at 4 GiB.
class CappedAviLosslessThread final : public TProducerThread {
public:
  CappedAviLosslessThread(IMainThread& mainThread, uint64_t cap) : TProducerThread(mainThread), cap_(cap) {}

protected:
  std::unique_ptr<TProducerBase> CreateProducer() override {
    auto producer = std::make_unique<TProducerAviLossless>();
    producer->SetOutputSizeLimit(cap_);
    return producer;
  }

private:
  uint64_t cap_;
};

TEST_F(AviLosslessJob, AnOutputCutAtItsSizeLimitFailsButStaysPlayable) {
  const auto source = Fixture("avi_xvid_mp3.avi");
  const uint64_t cap = std::filesystem::file_size(source);
  auto thread = std::make_shared<CappedAviLosslessThread>(mainThread, cap);
  thread->AddClipJob(source, 0, 2000, 2000);
  thread->AddClipJob(source, 0, 2000, 2000);
  thread->DestName = out;
  thread->OnStatus = [this](const std::string& line) { lines.push_back(line); };
  bool done = false;
  thread->OnFinished = [&](TProducerThread&) { done = true; };
  ASSERT_TRUE(thread->Start());
  mainThread.PumpUntil([&] { return done; });

  EXPECT_LT(thread->Result(), 0);
  EXPECT_TRUE(HasLine(LangStr("Base", "Failure") + " : The output file was cut short")) << AllLines();
  EXPECT_FALSE(HasExactLine(LangStr("Base", "Completed"))) << AllLines();
  ASSERT_TRUE(std::filesystem::exists(out));
  EXPECT_LE(std::filesystem::file_size(out), cap);
  const size_t frames = ReadVideo(out).checksums.size();
  EXPECT_GT(frames, VideoPackets(source).size() / 2);
  EXPECT_LT(frames, 2 * VideoPackets(source).size());
  EXPECT_EQ(DecodeErrors(out), "");
  ExpectSoundTiming(out);
}

}  // namespace
}  // namespace korvel::test
