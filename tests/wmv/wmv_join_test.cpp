// The lossless WMV engine run as a user runs it: clip lists joined through the core and through
// korvel-cli. Each output is read back sample by sample by our reader, and by ffprobe, ffmpeg,
// GStreamer and MediaInfo.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "lang/lang.h"
#include "mediainfo/container_kind.h"
#include "produce/lossless_job.h"
#include "support/cli_run.h"
#include "support/independent_readers.h"
#include "support/output_timing.h"
#include "support/temp_dir.h"
#include "ffmpeg/ffm_output_checks.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_object_write.h"
#include "wmv/asf/asf_metadata_editor.h"
#include "wmv/asf/asf_test_file.h"
#include "wmv/asf/asf_text.h"
#include "wmv/asf/asf_writer_test_support.h"
#include "wmv/wmv_header_copy.h"
#include "wmv/wmv_output_checks.h"

namespace korvel::test {
namespace {

constexpr uint64_t kMs = 10000;
constexpr uint16_t kVideo = 1;  // the fixture's stream numbers
constexpr uint16_t kAudio = 2;
// The fixture's video frame (40 ms) in 100 ns.
constexpr uint64_t kFrame = 400000;

struct Selection {
  int32_t startMs, endMs;
};

// The video frames a clip must bring: from the key frame at or before its start to its end.
std::vector<WmvFrame> ExpectedVideo(const std::vector<WmvFrame>& source, Selection clip) {
  uint64_t key = 0;
  for (const WmvFrame& frame : source)
    if (frame.key && frame.time <= uint64_t(clip.startMs) * kMs) key = frame.time;
  std::vector<WmvFrame> frames;
  for (const WmvFrame& frame : source)
    if (frame.time >= key && frame.time <= uint64_t(clip.endMs) * kMs) frames.push_back(frame);
  return frames;
}

class WmvJoin : public LosslessJobTest {
protected:
  void SetUp() override {
    LosslessJobTest::SetUp();
    out = dir / "out.wmv";
  }
  bool RunJoin() { return LosslessJobTest::RunJoin(kKindAsf, 0); }

  const std::filesystem::path source = Fixture("asf_wmv2.wmv");
  // The fixture's "Duration".
  static constexpr int32_t kSourceMs = 2046;
};

// A clip of a fixture whose "Duration" is sourceMs.
struct FixtureClip {
  const char* fixture;
  Selection selection;
  int32_t sourceMs;
};

struct JoinCase {
  const char* name;
  std::vector<FixtureClip> clips;
};

void PrintTo(const JoinCase& c, std::ostream* os) { *os << c.name; }

class WmvJoinOfFixtures : public WmvJoin, public testing::WithParamInterface<JoinCase> {};

// Clips off, on and past key frames, from files of our fixture script and from GStreamer's muxer
// (whose video times start 1000 hours after its audio's): every clip starts on the key frame at
// or before its start, and the next follows its last frame.
TEST_P(WmvJoinOfFixtures, ClipsFollowOneAnotherSampleForSample) {
  const JoinCase& c = GetParam();
  for (const FixtureClip& clip : c.clips)
    AddClip(Fixture(clip.fixture), clip.selection.startMs, clip.selection.endMs, clip.sourceMs);
  ASSERT_TRUE(RunJoin());
  ASSERT_EQ(result, S_OK) << AllLines();
  EXPECT_TRUE(HasExactLine(LangStr("Base", "Completed"))) << AllLines();

  std::vector<uint32_t> expected;
  double expectedSeconds = 0;
  for (const FixtureClip& clip : c.clips) {
    const std::vector<WmvFrame> frames = ExpectedVideo(StreamFrames(ReadWmvFrames(Fixture(clip.fixture)), kVideo), clip.selection);
    ASSERT_FALSE(frames.empty());
    EXPECT_TRUE(frames.front().key);
    for (const WmvFrame& frame : frames) expected.push_back(frame.checksum);
    // The clip lasts to its end, or to the end of its last frame when that comes later.
    const uint64_t end = std::max(uint64_t(std::min(clip.selection.endMs, clip.sourceMs)) * kMs, frames.back().time + kFrame);
    expectedSeconds += double(end - frames.front().time) / 1e7;
  }
  const std::vector<WmvFrame> written = ReadWmvFrames(out);
  const std::vector<WmvFrame> video = StreamFrames(written, kVideo);
  EXPECT_EQ(Checksums(video), expected);
  ASSERT_FALSE(video.empty());
  EXPECT_TRUE(video.front().key);
  EXPECT_LE(video.front().time, 2 * kMs);
  // No gap and no overlap where clips meet: every step forward, none longer than two frames.
  for (size_t i = 1; i < video.size(); ++i) {
    EXPECT_GT(video[i].time, video[i - 1].time) << i;
    EXPECT_LE(video[i].time - video[i - 1].time, 2 * kFrame) << i;
  }
  const std::vector<WmvFrame> audio = StreamFrames(written, kAudio);
  ASSERT_FALSE(audio.empty());
  EXPECT_NEAR(audio.back().time / 1e7, video.back().time / 1e7, 0.2);

  ExpectSoundTiming(out, expectedSeconds);
  EXPECT_NEAR(ProbedDuration(out), expectedSeconds, 0.15);
  EXPECT_EQ(DecodeErrors(out), "");
  for (const ReaderView& view : IndependentViews(out)) {
    SCOPED_TRACE(view.reader);
    ASSERT_TRUE(view.recognised) << view.detail;
    EXPECT_EQ(view.container, "asf");
    EXPECT_NE(std::ranges::find(view.streams, "video:wmv2"), view.streams.end());
    EXPECT_NE(std::ranges::find(view.streams, "audio:wma"), view.streams.end());
  }
  // Seeking goes through the index: near the end reading starts at the key frame before that
  // point, which the index finds to within its one-second entries and a key-frame interval.
  uint64_t keyInterval = 0;
  std::optional<uint64_t> lastKey;
  for (const WmvFrame& frame : video) {
    if (!frame.key) continue;
    if (lastKey) keyInterval = std::max(keyInterval, frame.time - *lastKey);
    lastKey = frame.time;
  }
  const double seekTo = expectedSeconds - 0.3;
  const double found = FirstVideoPacketAfterSeek(out, seekTo);
  EXPECT_GT(found, seekTo - 1.02 - double(keyInterval) / 1e7);
  EXPECT_LE(found, seekTo);
}

INSTANTIATE_TEST_SUITE_P(
    Muxers, WmvJoinOfFixtures,
    testing::Values(JoinCase{"Ffmpeg",
                             {{"asf_wmv2.wmv", {500, 1500}, 2046},
                              {"asf_wmv2.wmv", {526, 1006}, 2046},
                              {"asf_wmv2.wmv", {1000, 5000}, 2046}}},
                    JoinCase{"Gstreamer",
                             {{"gst_wmv2_wmav2_smpte.wmv", {1000, 4000}, 6037},
                              {"gst_wmv2_wmav2_ball.wmv", {2500, 5500}, 6037}}}),
    [](const testing::TestParamInfo<JoinCase>& info) { return std::string(info.param.name); });

// Frames of one stream that follow one another without a hole or an overlap. Where a clip
// begins (its first frame is frame joinAt), the step is the last frame's length plus the time
// from the start of the clip's source to its first frame, firstFrame.
void ExpectContinuous(const std::vector<WmvFrame>& video, size_t joinAt, uint64_t firstFrame) {
  for (size_t i = 1; i < video.size(); ++i) {
    EXPECT_GT(video[i].time, video[i - 1].time) << i;
    if (i == joinAt) {
      EXPECT_NEAR(double(video[i].time - video[i - 1].time), double(kFrame + firstFrame), double(kMs)) << i;
    } else {
      // A frame lasts its 40 ms up to a cut stretch, and no more than two frames pass.
      EXPECT_GE(video[i].time - video[i - 1].time, kFrame - kMs) << i;
      EXPECT_LE(video[i].time - video[i - 1].time, 2 * kFrame) << i;
    }
  }
}

struct DamagedJoinCase {
  const char* name;
  Selection damaged;  // of the fixture whose data packets from about 3.9 s to 4.4 s are damaged
  Selection kept;     // of the frames left past the damage, those the clip keeps
};

void PrintTo(const DamagedJoinCase& c, std::ostream* os) { *os << c.name; }

class WmvDamagedJoin : public WmvJoin, public testing::WithParamInterface<DamagedJoinCase> {};

// The unreadable stretch is reported and cut out of the clip; the clip shrinks by it and the
// next clip follows without a hole, also when the stretch lasts to the clip's end (where less
// than a second would be left after it). Every frame up to the damage is kept, and inside the
// clip every one from the first key frame after it on.
TEST_P(WmvDamagedJoin, StretchIsCutAndTheNextClipFollows) {
  const DamagedJoinCase& c = GetParam();
  const auto damaged = Fixture("asf_wmv2_damaged.wmv");
  AddClip(damaged, c.damaged.startMs, c.damaged.endMs, 8046);
  AddClip(source, 0, 1000, kSourceMs);
  ASSERT_TRUE(RunJoin());
  ASSERT_EQ(result, S_OK) << AllLines();
  EXPECT_TRUE(HasLine("Ignored BAD DATA BLOCK, ")) << AllLines();

  const std::vector<WmvFrame> video = StreamFrames(ReadWmvFrames(out), kVideo);
  std::vector<WmvFrame> expected = ExpectedVideo(FramesKeptPastDamage(damaged, kVideo), c.kept);
  const std::vector<WmvFrame> second = ExpectedVideo(StreamFrames(ReadWmvFrames(source), kVideo), {0, 1000});
  ASSERT_FALSE(second.empty());
  ExpectContinuous(video, expected.size(), second.front().time);
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(Checksums(video), Checksums(expected));
  EXPECT_EQ(DecodeErrors(out), "");
  ExpectSoundTiming(out);
}

INSTANTIATE_TEST_SUITE_P(Stretches, WmvDamagedJoin,
                         testing::Values(DamagedJoinCase{"InsideTheClip", {0, 8000}, {0, 8000}},
                                         DamagedJoinCase{"ToTheClipEnd", {0, 5500}, {0, 3900}}));

// Two frames a second apart in one data packet and no audio: a clip ending before the second
// frame keeps the first whole, and a clip starting after the last frame gets the key frame
// before its start and what follows it.
TEST_F(WmvJoin, ClipsOfTwoFramesInOnePacketGetTheKeyFrameAtOrBeforeTheirStart) {
  const auto tiny = Fixture("asf_msmpeg4v3_tiny.wmv");
  AddClip(tiny, 0, 800, 2000);
  AddClip(tiny, 1100, 2000, 2000);
  ASSERT_TRUE(RunJoin());
  ASSERT_EQ(result, S_OK) << AllLines();
  EXPECT_TRUE(HasExactLine(LangStr("Base", "Completed"))) << AllLines();

  const std::vector<uint32_t> source = Checksums(StreamFrames(ReadWmvFrames(tiny), kVideo));
  ASSERT_EQ(source.size(), 2u);
  const std::vector<WmvFrame> video = StreamFrames(ReadWmvFrames(out), kVideo);
  EXPECT_EQ(Checksums(video), (std::vector<uint32_t>{source[0], source[0], source[1]}));
  // The first clip ends at its end: its only frame says nothing of how long it lasts.
  ExpectSoundTiming(out, 2.8);
  EXPECT_EQ(DecodeErrors(out), "");
  for (const ReaderView& view : IndependentViews(out)) {
    SCOPED_TRACE(view.reader);
    ASSERT_TRUE(view.recognised) << view.detail;
    EXPECT_EQ(view.container, "asf");
  }
}

struct AudioSpanCase {
  const char* name;
  const char* audio;  // per 100 ms of the built clip: 'A' where an audio sample lies
  Selection clip;
  bool fails;
};

void PrintTo(const AudioSpanCase& c, std::ostream* os) { *os << c.name; }

class WmvAudioSpan : public WmvJoin, public testing::WithParamInterface<AudioSpanCase> {};

// The output carries the audio stream: a clip for which it gets no sample although the source
// has audio on both sides of it fails, while a clip before the audio starts or after it ends
// has none to give.
TEST_P(WmvAudioSpan, AClipLeftWithoutTheSamplesItCoversFails) {
  const AudioSpanCase& c = GetParam();
  asf_test::AsfTestFile file;
  file.Video(kVideo, 0x33564D57, 64, 48).Audio(kAudio, 0x0161, 8000);
  for (uint32_t i = 0; i < 10; ++i) {
    asf_test::TestPayload v;
    v.stream = kVideo;
    v.objectNumber = static_cast<uint8_t>(i);
    v.timeMs = i * 100 + asf_test::kTestPrerollMs;
    v.key = i % 5 == 0;
    v.data = {'V', static_cast<uint8_t>(i), 0, 0};
    std::vector<asf_test::TestPayload> payloads = {v};
    if (c.audio[i] == 'A') {
      asf_test::TestPayload a = v;
      a.stream = kAudio;
      a.key = true;
      a.data = {'A', static_cast<uint8_t>(i), 0, 0};
      payloads.push_back(a);
    }
    file.AddPacket(asf_test::Packet(i * 100, payloads));
  }
  file.PlayDurationMs(1000);
  const auto clip = dir / "clip.wmv";
  WriteFileBytes(clip, file.Build());
  AddClip(clip, c.clip.startMs, c.clip.endMs, 1000);
  ASSERT_TRUE(RunJoin());
  if (c.fails) {
    EXPECT_LT(result, 0) << AllLines();
    EXPECT_TRUE(HasLine(" : No sample of stream 2 could be copied for this clip.")) << AllLines();
    EXPECT_FALSE(HasExactLine(LangStr("Base", "Completed"))) << AllLines();
  } else {
    EXPECT_EQ(result, S_OK) << AllLines();
    EXPECT_TRUE(HasExactLine(LangStr("Base", "Completed"))) << AllLines();
  }
}

INSTANTIATE_TEST_SUITE_P(Spans, WmvAudioSpan,
                         testing::Values(AudioSpanCase{"HoleAcrossTheClip", "AAA-----AA", {500, 700}, true},
                                         AudioSpanCase{"EndedBeforeTheClip", "AAA-------", {500, 900}, false},
                                         AudioSpanCase{"StartsAfterTheClip", "--------AA", {0, 400}, false}),
                         [](const testing::TestParamInfo<AudioSpanCase>& info) { return std::string(info.param.name); });

// A copy of the fixture with header entries of its own, set with the header editor.
std::filesystem::path MarkedSource(const TempDir& dir) {
  const auto copy = dir / "marked.wmv";
  std::filesystem::copy_file(Fixture("asf_wmv2.wmv"), copy);
  asf::AsfMetadataEditor editor;
  EXPECT_EQ(editor.Open(copy), S_OK);
  asf::AsfHeaderInfo* header = editor.HeaderInfo();
  EXPECT_NE(header, nullptr);
  if (!header) return copy;
  const auto album = asf::Utf8ToUtf16LeTerminated("Korvel album");
  const auto tag = asf::Utf8ToUtf16LeTerminated("made here");
  const uint8_t flags[8] = {4, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(header->SetAttribute(0, "WM/AlbumTitle", asf::WMT_TYPE_STRING, album.data(), album.size()), S_OK);
  EXPECT_EQ(header->SetAttribute(0, kTagTextAttribute, asf::WMT_TYPE_STRING, tag.data(), tag.size()), S_OK);
  EXPECT_EQ(header->SetAttribute(0, kTagFlagsAttribute, asf::WMT_TYPE_QWORD, flags, 8), S_OK);
  EXPECT_EQ(editor.AddScript({"URL", "early", 300 * kMs}), S_OK);
  EXPECT_EQ(editor.AddScript({"URL", "late", 1800 * kMs}), S_OK);
  EXPECT_EQ(editor.AddMarker({"middle", 1000 * kMs}), S_OK);
  EXPECT_EQ(editor.Flush(), S_OK);
  EXPECT_EQ(editor.Close(), S_OK);
  return copy;
}

TEST(WmvJoinCli, CarriesTheFirstSourcesAttributesAndEachClipsScriptsAndMarkers) {
  TempDir dir;
  const auto source = MarkedSource(dir);
  const auto out = dir / "out.wmv";
  const CliRun run = RunCli("join -q -o " + Quoted(out) + " " + Quoted(source) + "@0-1000 " + Quoted(source));
  ASSERT_EQ(run.exitCode, 0) << run.out;

  const auto reader = asf_test::OpenAsf(out);
  ASSERT_TRUE(reader);
  const asf::AsfHeaderInfo& header = *reader->HeaderInfo();
  std::string text;
  EXPECT_EQ(GetAttrText(header, "WM/AlbumTitle", 0, text), S_OK);
  EXPECT_EQ(text, "Korvel album");
  EXPECT_EQ(GetAttrText(header, kTagTextAttribute, 0, text), S_OK);
  EXPECT_EQ(text, "made here");
  uint64_t flags = 0;
  EXPECT_EQ(GetAttrQword(header, kTagFlagsAttribute, 0, flags), S_OK);
  EXPECT_EQ(flags, 4u);
  uint32_t seekable = 0;
  EXPECT_EQ(GetAttrDword(header, "Seekable", 0, seekable), S_OK);
  EXPECT_EQ(seekable, 1u);

  // Clip 1 is 0-1000 ms: its early script and its marker at the clip end; clip 2, the whole
  // file, follows at 1.006 s, where clip 1's last frame (at 0.966 s, 40 ms long) ends, with all
  // three entries.
  std::vector<std::pair<std::string, uint64_t>> scripts;
  for (uint32_t i = 0; i < header.GetScriptCount(); ++i) {
    asf::AsfScript script;
    ASSERT_EQ(header.GetScript(i, script), S_OK);
    scripts.emplace_back(script.command, script.time / kMs);
  }
  std::ranges::sort(scripts, {}, [](const auto& s) { return s.second; });
  const std::vector<std::pair<std::string, uint64_t>> expectedScripts = {
      {"early", 300}, {"early", 1306}, {"late", 2806}};
  EXPECT_EQ(scripts, expectedScripts);
  std::vector<uint64_t> markers;
  for (uint32_t i = 0; i < header.GetMarkerCount(); ++i) {
    asf::AsfMarkerEntry marker;
    ASSERT_EQ(header.GetMarker(i, marker), S_OK);
    markers.push_back(marker.time / kMs);
  }
  std::ranges::sort(markers);
  EXPECT_EQ(markers, (std::vector<uint64_t>{1000, 2006}));
  EXPECT_EQ(DecodeErrors(out), "");
  ExpectSoundTiming(out);
}

// A small file with a video and an audio stream in the order given; payloads tell the clip,
// stream kind and frame apart.
std::vector<uint8_t> BuiltClip(bool videoFirst, uint8_t clip) {
  using asf_test::TestPayload;
  asf_test::AsfTestFile file;
  const uint16_t video = videoFirst ? 1 : 2;
  const uint16_t audio = videoFirst ? 2 : 1;
  constexpr uint32_t kWmv3 = 0x33564D57;
  if (videoFirst) {
    file.Video(video, kWmv3, 64, 48).Audio(audio, 0x0161, 8000);
  } else {
    file.Audio(audio, 0x0161, 8000).Video(video, kWmv3, 64, 48);
  }
  for (uint32_t i = 0; i < 10; ++i) {
    TestPayload v;
    v.stream = static_cast<uint8_t>(video);
    v.objectNumber = static_cast<uint8_t>(i);
    v.timeMs = i * 100 + asf_test::kTestPrerollMs;
    v.key = i % 5 == 0;
    v.data = {'V', clip, static_cast<uint8_t>(i), 0, 0, 0, 0, 0};
    TestPayload a = v;
    a.stream = static_cast<uint8_t>(audio);
    a.key = true;
    a.data = {'A', clip, static_cast<uint8_t>(i), 0, 0, 0};
    file.AddPacket(asf_test::Packet(i * 100, {v, a}));
  }
  file.PlayDurationMs(1000);
  return file.Build();
}

TEST_F(WmvJoin, StreamsInAnotherProfileOrderGoToTheirPartnersInTheOutput) {
  const auto first = dir / "video_first.wmv";
  const auto second = dir / "audio_first.wmv";
  WriteFileBytes(first, BuiltClip(true, 1));
  WriteFileBytes(second, BuiltClip(false, 2));
  AddClip(first, 1000);
  AddClip(second, 1000);
  ASSERT_TRUE(RunJoin());
  ASSERT_EQ(result, S_OK) << AllLines();

  const auto reader = asf_test::OpenAsf(out);
  ASSERT_TRUE(reader);
  std::vector<std::string> videoStream, audioStream;
  for (const asf::AsfSample& sample : asf_test::ReadSamples(*reader)) {
    ASSERT_GE(sample.bytes.size(), 3u);
    const std::string name{char(sample.bytes[0]), char('0' + sample.bytes[1]), char('0' + sample.bytes[2])};
    (sample.streamNumber == 1 ? videoStream : audioStream).push_back(name);
  }
  std::vector<std::string> expectedVideo, expectedAudio;
  for (const char clip : {'1', '2'})
    for (char i = '0'; i <= '9'; ++i) {
      expectedVideo.push_back({'V', clip, i});
      expectedAudio.push_back({'A', clip, i});
    }
  EXPECT_EQ(videoStream, expectedVideo);
  EXPECT_EQ(audioStream, expectedAudio);
}

// A video stream and a script stream (3) whose samples are script commands at 100 ms and 600 ms.
std::vector<uint8_t> BuiltClipWithScriptStream() {
  asf_test::AsfTestFile file;
  file.Video(1, 0x33564D57, 64, 48);
  asf::AsfStreamProperties script;
  script.streamType = asf::kCommandMedia;
  script.streamNumber = 3;
  file.HeaderObject(asf::StreamPropertiesObject(script));
  for (uint32_t i = 0; i < 10; ++i) {
    asf_test::TestPayload v;
    v.stream = 1;
    v.objectNumber = static_cast<uint8_t>(i);
    v.timeMs = i * 100 + asf_test::kTestPrerollMs;
    v.key = i % 5 == 0;
    v.data = {'V', static_cast<uint8_t>(i), 0, 0};
    std::vector<asf_test::TestPayload> payloads = {v};
    if (i == 1 || i == 6) {
      asf_test::TestPayload command = v;
      command.stream = 3;
      command.key = true;
      command.data = asf_test::Bytes().Text(u"URL").Text(i == 1 ? u"first" : u"second").Get();
      payloads.push_back(command);
    }
    file.AddPacket(asf_test::Packet(i * 100, payloads));
  }
  file.PlayDurationMs(1000);
  return file.Build();
}

TEST_F(WmvJoin, ScriptStreamCommandsBecomeHeaderScriptsAtTheirOutputTimes) {
  const auto clip = dir / "scripted.wmv";
  WriteFileBytes(clip, BuiltClipWithScriptStream());
  AddClip(clip, 1000);
  AddClip(clip, 1000);
  ASSERT_TRUE(RunJoin());
  ASSERT_EQ(result, S_OK) << AllLines();
  EXPECT_TRUE(HasLine("Copying scripts in script streams ...")) << AllLines();

  const auto reader = asf_test::OpenAsf(out);
  ASSERT_TRUE(reader);
  for (const asf::AsfSample& sample : asf_test::ReadSamples(*reader)) EXPECT_NE(sample.streamNumber, 3);
  const asf::AsfHeaderInfo& header = *reader->HeaderInfo();
  std::vector<std::pair<std::string, uint64_t>> scripts;
  for (uint32_t i = 0; i < header.GetScriptCount(); ++i) {
    asf::AsfScript script;
    ASSERT_EQ(header.GetScript(i, script), S_OK);
    EXPECT_EQ(script.type, "URL");
    scripts.emplace_back(script.command, script.time / kMs);
  }
  // The second clip follows the first's last frame (900 ms + its duration).
  ASSERT_EQ(scripts.size(), 4u);
  EXPECT_EQ(scripts[0], std::make_pair(std::string("first"), uint64_t{100}));
  EXPECT_EQ(scripts[1], std::make_pair(std::string("second"), uint64_t{600}));
  EXPECT_EQ(scripts[2].first, "first");
  EXPECT_EQ(scripts[3].second - scripts[2].second, 500u);
  EXPECT_GE(scripts[2].second, 1000u + 100u);
}

TEST_F(WmvJoin, ASecondClipWithOtherStreamsIsRefusedBeforeTheDestinationIsTouched) {
  const auto other = dir / "other.wmv";
  asf_test::AsfTestFile file;
  file.Video(1, 0x33564D57, 64, 48);
  file.AddPacket(asf_test::Packet(0, {}));
  WriteFileBytes(other, file.Build());
  AddClip(source, 0, 1000, kSourceMs);
  AddClip(other, 1000);
  // A small file already at the destination is not this run's to remove.
  const std::vector<uint8_t> earlier = {'k', 'e', 'e', 'p'};
  WriteFileBytes(out, earlier);
  ASSERT_TRUE(RunJoin());
  EXPECT_LT(result, 0);
  EXPECT_TRUE(HasLine(" : Different Stream counts. : other.wmv")) << AllLines();
  ASSERT_TRUE(std::filesystem::exists(out));
  EXPECT_EQ(std::filesystem::file_size(out), earlier.size());
}

// The writer's output holds more than the 20480 bytes below which a failed output is removed
// as soon as it exists, so a stopped join keeps what it wrote, finished and playable.
TEST_F(WmvJoin, StoppedPartWayEndsAsStoppedAndKeepsAPlayableFile) {
  AddClip(source, kSourceMs);
  AddClip(source, kSourceMs);
  ASSERT_TRUE(RunJoinStoppedAbove(kKindAsf, 0, 500));
  ExpectStoppedByUser();
  ASSERT_TRUE(std::filesystem::exists(out));
  EXPECT_GE(std::filesystem::file_size(out), 20480u);
  EXPECT_FALSE(StreamFrames(ReadWmvFrames(out), kVideo).empty());
  EXPECT_EQ(DecodeErrors(out), "");
  ExpectSoundTiming(out);
}

}  // namespace
}  // namespace korvel::test
