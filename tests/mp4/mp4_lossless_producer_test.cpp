// The lossless MP4 engine run as a user runs it, through korvel-cli join, and its output checked
// with our reader, with ffprobe and by decoding it with ffmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_view.h"
#include "base/file_read.h"
#include "lang/lang.h"
#include "mediainfo/container_kind.h"
#include "mp4/iso/iso_file.h"
#include "produce/lossless_job.h"
#include "support/cli_run.h"
#include "support/independent_readers.h"
#include "support/output_timing.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;
using test::Quoted;
using test::RunCli;

std::string RunCommand(const std::string& command) { return test::RunCommand(command).out; }

// ffprobe, GStreamer and mediainfo all take the output for an MP4 file with these streams.
void ExpectIndependentReadersSee(const std::filesystem::path& file, const std::vector<std::string>& streams) {
  for (const test::ReaderView& view : test::IndependentViews(file)) {
    SCOPED_TRACE(view.reader);
    ASSERT_TRUE(view.recognised) << view.detail;
    EXPECT_EQ(view.container, "mp4");
    EXPECT_EQ(view.streams, streams);
  }
}

bool HaveFfmpeg() { return std::system("ffprobe -version >/dev/null 2>&1 && ffmpeg -version >/dev/null 2>&1") == 0; }

const iso::IsoTrack* TrackOfType(const iso::IsoFile& file, const std::string& type) {
  for (uint32_t i = 0; i < file.GetNumberOfTracks(); ++i) {
    const iso::IsoTrack* track = file.Track(file.FindTrackId(i));
    if (track && track->GetType() == type) return track;
  }
  return nullptr;
}

double Ms(const iso::IsoTrack& track, iso::MP4SampleId id) {
  return static_cast<double>(track.GetSampleTime(id)) * 1000.0 / track.GetTimeScale();
}

// What a clip of the source should give, worked out from the source's own sample table: the
// start moved back to the key frame at or before it, and the samples that begin inside.
struct Expected {
  double actualStart = 0;
  double end = 0;
  uint32_t videoSamples = 0;
  uint32_t audioSamples = 0;
};

Expected ExpectClip(const iso::IsoFile& source, int32_t startMs, int32_t endMs) {
  const iso::IsoTrack& video = *TrackOfType(source, "vide");
  const iso::IsoTrack& audio = *TrackOfType(source, "soun");
  Expected e;
  for (iso::MP4SampleId id = 1; id <= video.GetNumberOfSamples(); ++id)
    if (video.GetSampleSync(id) && Ms(video, id) <= startMs) e.actualStart = Ms(video, id);
  const double videoEnd = static_cast<double>(video.GetDuration()) * 1000.0 / video.GetTimeScale();
  const double audioEnd = static_cast<double>(audio.GetDuration()) * 1000.0 / audio.GetTimeScale();
  e.end = std::min<double>(endMs, std::max(videoEnd, audioEnd));
  for (iso::MP4SampleId id = 1; id <= video.GetNumberOfSamples(); ++id)
    if (Ms(video, id) >= e.actualStart && Ms(video, id) < e.end) ++e.videoSamples;
  for (iso::MP4SampleId id = 1; id <= audio.GetNumberOfSamples(); ++id)
    if (Ms(audio, id) >= e.actualStart && Ms(audio, id) < e.end) ++e.audioSamples;
  return e;
}

TEST(Mp4LosslessProducerTest, JoinedClipsStartOnKeyFramesAndPlayThrough) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffprobe and ffmpeg are not installed";
  test::TempDir dir;
  const auto source = Fixture("mp4_h264_aac.mp4");
  const auto out = dir / "joined.mp4";
  // Starts off key frames, and a last clip given as the whole rest of the file.
  const auto run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(source) + "@100-700 " + Quoted(source) +
                          "@1000-1500 " + Quoted(source));
  ASSERT_EQ(run.exitCode, 0) << run.out;

  const auto input = iso::IsoFile::Read(source);
  ASSERT_NE(input, nullptr);
  const std::vector<Expected> clips = {ExpectClip(*input, 100, 700), ExpectClip(*input, 1000, 1500),
                                       ExpectClip(*input, 0, INT32_MAX)};
  ASSERT_GT(clips[1].actualStart, 0);
  ASSERT_LT(clips[1].actualStart, 1000);

  std::string error;
  const auto output = iso::IsoFile::Read(out, &error);
  ASSERT_NE(output, nullptr) << error;
  ASSERT_EQ(output->GetNumberOfTracks(), 2U);
  const iso::IsoTrack* video = TrackOfType(*output, "vide");
  const iso::IsoTrack* audio = TrackOfType(*output, "soun");
  ASSERT_TRUE(video && audio);

  uint32_t videoWant = 0;
  uint32_t audioWant = 0;
  double lengthWant = 0;
  iso::MP4SampleId clipFirst = 1;
  for (const Expected& clip : clips) {
    // Each clip's first picture must decode on its own.
    EXPECT_TRUE(video->GetSampleSync(clipFirst)) << "clip starting at output sample " << clipFirst;
    clipFirst += clip.videoSamples;
    videoWant += clip.videoSamples;
    audioWant += clip.audioSamples;
    lengthWant += clip.end - clip.actualStart;
  }
  EXPECT_EQ(video->GetNumberOfSamples(), videoWant);
  // Audio frames do not line up with the cuts: allow one either side of each.
  EXPECT_NEAR(audio->GetNumberOfSamples(), audioWant, clips.size());

  const nlohmann::json probe =
      nlohmann::json::parse(RunCommand("ffprobe -v error -show_streams -show_format -of json " + Quoted(out)));
  ASSERT_EQ(probe["streams"].size(), 2U);
  EXPECT_EQ(probe["streams"][0]["codec_name"], "h264");
  EXPECT_EQ(probe["streams"][1]["codec_name"], "aac");
  // The source states no colour: a small picture gets the standard-definition default.
  EXPECT_EQ(probe["streams"][0]["color_primaries"], "smpte170m");
  EXPECT_EQ(probe["streams"][0]["sample_aspect_ratio"], "1:1");
  EXPECT_NEAR(std::stod(probe["format"]["duration"].get<std::string>()) * 1000.0, lengthWant, 40.0);

  EXPECT_EQ(RunCommand("ffmpeg -nostdin -v error -i " + Quoted(out) + " -f null - 2>&1"), "");
  ExpectIndependentReadersSee(out, {"video:h264", "audio:aac"});
  test::ExpectSoundTiming(out, videoWant * 0.04);
}

TEST(Mp4LosslessProducerTest, DelayedCompositionDecodesCleanly) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffprobe and ffmpeg are not installed";
  test::TempDir dir;
  const auto source = Fixture("mp4_h264_bframes.mp4");
  const auto out = dir / "joined.mp4";
  const auto run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(source) + "@0-900 " + Quoted(source) + "@1000-2000");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(RunCommand("ffmpeg -nostdin -v error -i " + Quoted(out) + " -f null - 2>&1"), "");
  // The edit list hides the composition delay: the video starts at 0, not one frame late.
  const nlohmann::json probe = nlohmann::json::parse(RunCommand("ffprobe -v error -show_streams -of json " + Quoted(out)));
  ASSERT_EQ(probe["streams"].size(), 1U);
  EXPECT_NEAR(std::stod(probe["streams"][0]["start_time"].get<std::string>()), 0.0, 0.001);
  ExpectIndependentReadersSee(out, {"video:h264"});
  // Every picture in its own place, none left empty.
  const auto output = iso::IsoFile::Read(out);
  ASSERT_NE(output, nullptr);
  test::ExpectSoundTiming(out, TrackOfType(*output, "vide")->GetNumberOfSamples() * 0.04);
}

// Ends that fall between a reference picture and the pictures shown before it: every picture
// shown before the end must be there and decodable, and the pictures of the next clip must take
// the following places in presentation, none twice and none left empty.
TEST(Mp4LosslessProducerTest, DelayedCompositionClipEndsKeepEveryPictureShownBeforeThem) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffprobe and ffmpeg are not installed";
  const auto source = Fixture("mp4_h264_bframes.mp4");
  const auto presentation = [](const std::filesystem::path& file) {
    const nlohmann::json probe = nlohmann::json::parse(
        RunCommand("ffprobe -v error -select_streams v -show_entries packet=pts -of json " + Quoted(file)));
    std::vector<int64_t> pts;
    for (const auto& packet : probe["packets"]) pts.push_back(packet["pts"].get<int64_t>());
    std::ranges::sort(pts);
    return pts;
  };
  const std::vector<int64_t> sourcePts = presentation(source);  // 1/12800 s, 512 a picture
  const auto shownBefore = [&](int32_t endMs) {
    return std::ranges::count_if(sourcePts, [&](int64_t pts) { return pts * 1000 < int64_t{endMs} * 12800; });
  };
  for (const int32_t endMs : {520, 547, 600, 900}) {
    SCOPED_TRACE(endMs);
    test::TempDir dir;
    const auto out = dir / "joined.mp4";
    const auto run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(source) + "@0-" + std::to_string(endMs) + " " +
                            Quoted(source) + "@0-400");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(RunCommand("ffmpeg -nostdin -v error -i " + Quoted(out) + " -f null - 2>&1"), "");
    const std::vector<int64_t> pts = presentation(out);
    ASSERT_FALSE(pts.empty());
    const int64_t step = 90000 / 25;
    for (size_t i = 1; i < pts.size(); ++i) ASSERT_EQ(pts[i] - pts[i - 1], step) << "at output picture " << i;
    // The first clip keeps every picture shown before its end, plus at most the few needed to
    // decode them; the second clip is whole.
    const auto pictures = static_cast<int64_t>(pts.size());
    EXPECT_GE(pictures, shownBefore(endMs) + shownBefore(400));
    EXPECT_LE(pictures, shownBefore(endMs) + shownBefore(400) + 3);
    test::ExpectSoundTiming(out, static_cast<double>(pictures) * 0.04);
  }
}

// Files from other muxers, joined as their first 40 % and their last 45 %: GStreamer's MP4 and
// QuickTime muxers, and the shape broadcast encoders write (8 frames a second, B-frame pyramid,
// one tick per frame, the first decode time before the first picture, audio without an edit
// list). MP4 goes to this engine, QuickTime to the FFmpeg one; both outputs must decode
// cleanly with every decode time rising and every picture in a place of its own.
struct OtherMuxerCase {
  const char* fixture;
  const char* extension;
};

void PrintTo(const OtherMuxerCase& c, std::ostream* os) { *os << c.fixture; }

class Mp4OtherMuxerJoin : public testing::TestWithParam<OtherMuxerCase> {};

TEST_P(Mp4OtherMuxerJoin, StartsAndJoinsWithRisingTimesAndNoRepeatedPicture) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffprobe and ffmpeg are not installed";
  const auto source = Fixture(GetParam().fixture);
  const auto input = iso::IsoFile::Read(source);
  ASSERT_NE(input, nullptr);
  const iso::IsoTrack& video = *TrackOfType(*input, "vide");
  // The first clip ends half a frame before the first key frame from 40 % on, where every
  // picture decoded before it is shown before it, so no clip end moves on to take pictures
  // decoded later; the second starts at 55 % and runs to the end.
  const auto durationMs = static_cast<int32_t>(static_cast<double>(video.GetDuration()) * 1000.0 / video.GetTimeScale());
  int32_t firstEnd = durationMs;
  for (iso::MP4SampleId id = video.GetNumberOfSamples(); id > 1; --id)
    if (video.GetSampleSync(id) && Ms(video, id) >= durationMs * 0.4)
      firstEnd = static_cast<int32_t>(Ms(video, id) - (Ms(video, id) - Ms(video, id - 1)) / 2);
  const int32_t secondStart = durationMs * 55 / 100;
  const int32_t end = durationMs;
  test::TempDir dir;
  const auto out = dir / (std::string("joined.") + GetParam().extension);
  const auto run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(source) + "@0-" + std::to_string(firstEnd) + " " +
                          Quoted(source) + "@" + std::to_string(secondStart) + "-" + std::to_string(end));
  ASSERT_EQ(run.exitCode, 0) << run.out;

  EXPECT_EQ(RunCommand("ffmpeg -nostdin -v error -i " + Quoted(out) + " -f null - 2>&1"), "");
  const Expected first = ExpectClip(*input, 0, firstEnd);
  const Expected second = ExpectClip(*input, secondStart, end);
  const double span = (first.end - first.actualStart + second.end - second.actualStart) / 1000.0;
  test::ExpectSoundTiming(out, span);
  ExpectIndependentReadersSee(out, {"video:h264", "audio:aac"});
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Mp4OtherMuxerJoin,
                         testing::Values(OtherMuxerCase{"gst_h264_aac.mp4", "mp4"},
                                         OtherMuxerCase{"gst_h264_aac.mov", "mov"},
                                         OtherMuxerCase{"mp4_pyramid_8fps.mp4", "mp4"},
                                         OtherMuxerCase{"mov_pyramid_8fps.mov", "mov"}));

TEST(Mp4LosslessProducerTest, AudioOnlyClipsAreCutAtTheFrameHoldingTheStart) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffprobe and ffmpeg are not installed";
  test::TempDir dir;
  const auto source = Fixture("mp4_aac_only.mp4");
  const auto out = dir / "joined.mp4";
  const auto run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(source) + "@500-1200 " + Quoted(source) + "@1300-1800");
  ASSERT_EQ(run.exitCode, 0) << run.out;

  const auto input = iso::IsoFile::Read(source);
  ASSERT_NE(input, nullptr);
  const iso::IsoTrack& in = *TrackOfType(*input, "soun");
  // From the frame that holds the start to the frame that holds the end, no key frame search.
  const auto framesOf = [&](int32_t startMs, int32_t endMs) {
    const auto ticks = [&](int32_t ms) { return static_cast<uint64_t>(ms) * in.GetTimeScale() / 1000; };
    return in.GetSampleIdFromTime(ticks(endMs) - 1, false) - in.GetSampleIdFromTime(ticks(startMs), false) + 1;
  };
  const auto output = iso::IsoFile::Read(out);
  ASSERT_NE(output, nullptr);
  ASSERT_EQ(output->GetNumberOfTracks(), 1U);
  const uint32_t frames = framesOf(500, 1200) + framesOf(1300, 1800);
  EXPECT_EQ(TrackOfType(*output, "soun")->GetNumberOfSamples(), frames);

  // Without video the media data keeps a 32-bit size.
  const auto bytes = ReadWholeFile(out, 1 << 20).value_or(std::vector<uint8_t>{});
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const size_t mdat = text.find("mdat");
  ASSERT_NE(mdat, std::string_view::npos);
  ASSERT_GE(mdat, 4U);
  EXPECT_NE(ByteView(bytes).U32BE(mdat - 4), std::optional<uint32_t>(1));

  const nlohmann::json probe = nlohmann::json::parse(RunCommand("ffprobe -v error -show_format -of json " + Quoted(out)));
  // Whole frames: the last one of a clip is not cut shorter than a frame.
  const double frameMs = in.GetSampleDuration(1) * 1000.0 / in.GetTimeScale();
  EXPECT_NEAR(std::stod(probe["format"]["duration"].get<std::string>()) * 1000.0, frames * frameMs, 1.0);
  EXPECT_EQ(RunCommand("ffmpeg -nostdin -v error -i " + Quoted(out) + " -f null - 2>&1"), "");
  ExpectIndependentReadersSee(out, {"audio:aac"});
  test::ExpectSoundTiming(out);
}

TEST(Mp4LosslessProducerTest, AStartMovedBackFarIsReported) {
  test::TempDir dir;
  const auto out = dir / "late.mp4";
  const std::string english = std::string(KORVEL_LANGUAGE_SOURCE_DIR) + "/g0409_eng.ini";
  const auto run = RunCli("join -q --lang " + Quoted(english) + " -o " + Quoted(out) + " " +
                          Quoted(Fixture("mp4_h264_sparse_keys.mp4")) + "@4000-5000");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  // The requested stretch, then the one really copied from the key frame at 0.
  EXPECT_NE(run.out.find("00:01 (0:00:04 - 0:00:05)  mp4_h264_sparse_keys.mp4"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("00:05 (0:00:00 - 0:00:05)  Start moved back to the preceding key frame."), std::string::npos)
      << run.out;
  test::ExpectSoundTiming(out, 5.0);
}

// A join of whole MP4 clips run through the core.
class Mp4LosslessJob : public test::LosslessJobTest {
protected:
  void SetUp() override {
    test::LosslessJobTest::SetUp();
    out = dir / "joined.mp4";
  }

  void AddClip(const std::filesystem::path& file) {
    const auto source = iso::IsoFile::Read(file);
    const iso::IsoTrack* video = source ? TrackOfType(*source, "vide") : nullptr;
    LosslessJobTest::AddClip(
        file, video ? static_cast<int32_t>(static_cast<double>(video->GetDuration()) * 1000.0 / video->GetTimeScale())
                    : 2000);
  }

  bool RunJoin(const std::function<void(TWorkRoot&, int32_t)>& onProgress = {}) {
    return LosslessJobTest::RunJoin(kKindMp4Family, kSubKindMp4, onProgress);
  }
};

TEST_F(Mp4LosslessJob, StopDuringTheCopyKeepsAPlayableShorterFile) {
  const auto source = Fixture("mp4_h264_aac.mp4");
  AddClip(source);
  AddClip(source);
  // The first value above 0 means samples are being copied.
  ASSERT_TRUE(RunJoinStoppedAbove(kKindMp4Family, kSubKindMp4, 0));
  ExpectStoppedByUser();

  ASSERT_TRUE(std::filesystem::exists(out));
  const auto input = iso::IsoFile::Read(source);
  ASSERT_NE(input, nullptr);
  const uint32_t fullVideo = 2 * TrackOfType(*input, "vide")->GetNumberOfSamples();
  std::string error;
  const auto output = iso::IsoFile::Read(out, &error);
  ASSERT_NE(output, nullptr) << error;
  const iso::IsoTrack* video = TrackOfType(*output, "vide");
  ASSERT_NE(video, nullptr);
  EXPECT_GT(video->GetNumberOfSamples(), 0U);
  EXPECT_LT(video->GetNumberOfSamples(), fullVideo);

  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  EXPECT_EQ(RunCommand("ffmpeg -nostdin -v error -i " + Quoted(out) + " -f null - 2>&1"), "");
  test::ExpectSoundTiming(out);
}

}  // namespace
}  // namespace korvel
