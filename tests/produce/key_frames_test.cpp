// The key frames each engine lists for a source, checked against ffprobe's key frames, and the
// real start of a clip checked against what the engine really cuts: the output's first picture
// is the source's picture at that time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "produce/key_frame_listing.h"
#include "produce/key_frames.h"
#include "produce/lossless_job.h"
#include "support/key_frame_probe.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;

TKeyFrameList ListOf(std::vector<TKeyFrame> keyFrames, int64_t frameUs) { return {std::move(keyFrames), frameUs}; }

struct RealStartCase {
  int64_t markMs;
  bool found;
  int64_t timeUs;
  int64_t framesEarlier;
};

class RealStartAt : public testing::TestWithParam<RealStartCase> {};

// Key frames at 0, 480 ms and 1 s of a 25 frames-a-second video; the one at 480 ms is reached
// from 479 ms on (an engine whose frame numbers round), the others from their own times. A mark
// within a millisecond of a frame's start is in that frame.
TEST_P(RealStartAt, IsTheKeyFrameTheEngineMovesTheMarkBackTo) {
  const TKeyFrameList list = ListOf({{0, 0}, {480000, 479}, {1000000, 1000}}, 40000);
  const RealStartCase c = GetParam();
  const auto start = RealStart(list, c.markMs);
  ASSERT_EQ(start.has_value(), c.found);
  if (!start) return;
  EXPECT_EQ(start->TimeUs, c.timeUs);
  EXPECT_EQ(start->FramesEarlier, c.framesEarlier);
}

INSTANTIATE_TEST_SUITE_P(Marks, RealStartAt,
                         testing::Values(RealStartCase{0, true, 0, 0}, RealStartCase{38, true, 0, 0},
                                         RealStartCase{40, true, 0, 1}, RealStartCase{478, true, 0, 11},
                                         RealStartCase{479, true, 480000, 0}, RealStartCase{520, true, 480000, 1},
                                         RealStartCase{999, true, 480000, 13}, RealStartCase{1000, true, 1000000, 0},
                                         RealStartCase{90000, true, 1000000, 2225}));

TEST(RealStart, NoKeyFrameAtOrBeforeTheMarkGivesNothing) {
  EXPECT_FALSE(RealStart(ListOf({{200000, 200}}, 40000), 199));
  EXPECT_FALSE(RealStart(ListOf({}, 40000), 5000));
}

TEST(RealStart, AnUnknownFrameDurationCountsNoFrames) {
  const auto start = RealStart(ListOf({{0, 0}}, 0), 5000);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->FramesEarlier, 0);
}

TEST(AddKeyFrame, KeepsTheListAscending) {
  TKeyFrameList list;
  AddKeyFrame(list, {0, 0});
  AddKeyFrame(list, {480000, 480});
  AddKeyFrame(list, {400000, 400});  // damaged timestamps
  AddKeyFrame(list, {480000, 480});
  AddKeyFrame(list, {960000, 960});
  ASSERT_EQ(list.KeyFrames.size(), 3u);
  EXPECT_EQ(list.KeyFrames[2].TimeUs, 960000);
}

TEST(FirstMarkAtOrAfter, RoundsUpToAWholeMillisecond) {
  EXPECT_EQ(FirstMarkAtOrAfter(0), 0);
  EXPECT_EQ(FirstMarkAtOrAfter(-5), 0);
  EXPECT_EQ(FirstMarkAtOrAfter(40000), 40);
  EXPECT_EQ(FirstMarkAtOrAfter(40001), 41);
}

QdMediaInfo Analyzed(const std::filesystem::path& file) {
  QdMediaInfo info;
  EXPECT_TRUE(AnalyzeMediaFile(file, info)) << file;
  EXPECT_NE(info.Kind, 0) << file;
  return info;
}

struct FamilyCase {
  const char* fixture;
};

std::string CaseName(const testing::TestParamInfo<FamilyCase>& info) {
  std::string name = info.param.fixture;
  std::ranges::replace_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

// Every container family, from ffmpeg's muxers, GStreamer's and the disc-authoring ones (open
// GOPs), with and without an index.
const FamilyCase kFamilies[] = {
    {"avi_xvid_mp3.avi"}, {"avi_h264.avi"},     {"avi_xvid_bframes.avi"}, {"avi_h264_noidx1.avi"},
    {"gst_mpeg4_mp3.avi"}, {"asf_wmv2.wmv"},    {"asf_wmv2_noindex.wmv"}, {"mp4_h264_aac.mp4"},
    {"mp4_h264_bframes.mp4"}, {"gst_h264_aac.mp4"}, {"mov_h264_aac.mov"}, {"ps_mpeg2_mp2.mpg"},
    {"gst_mpeg2_mp2.mpg"}, {"vcd_mpeg1_mp2.mpg"}, {"dvd_mpeg2_ac3.vob"}, {"ts_h264_aac.ts"},
    {"ts_mpeg2_ac3.ts"},   {"gst_h264_aac.ts"},
};

class KeyFrameListing : public testing::TestWithParam<FamilyCase> {};

TEST_P(KeyFrameListing, EqualsFfprobesKeyFrames) {
  const auto file = Fixture(GetParam().fixture);
  const QdMediaInfo info = Analyzed(file);
  const auto list = ListKeyFrames(file, info.Kind, info.SubKind);
  ASSERT_TRUE(list);
  const std::vector<int64_t> probed = test::ProbedKeyFrames(file, info.Kind == kKindAvi);
  ASSERT_GT(probed.size(), 1u);
  ASSERT_EQ(list->KeyFrames.size(), probed.size());
  for (size_t i = 0; i < probed.size(); ++i)
    if (probed[i] >= 0) EXPECT_NEAR(list->KeyFrames[i].TimeUs, probed[i], 1000) << i;
  EXPECT_NEAR(list->FrameDurationUs, 40000, 7000);
}

INSTANTIATE_TEST_SUITE_P(Families, KeyFrameListing, testing::ValuesIn(kFamilies), CaseName);

TEST(KeyFrameListing, AFileWithoutVideoOrOfNoKnownKindListsNothing) {
  const auto audio = Fixture("mp4_aac_only.mp4");
  const QdMediaInfo info = Analyzed(audio);
  EXPECT_FALSE(ListKeyFrames(audio, info.Kind, info.SubKind));
  EXPECT_FALSE(ListKeyFrames(Fixture("avi_xvid_mp3.avi"), 0, 0));
}

TEST(KeyFrameListing, AStopSetBeforehandListsNothing) {
  TStopFlag stop{true};
  for (const char* name : {"avi_xvid_mp3.avi", "asf_wmv2.wmv", "mp4_h264_aac.mp4", "ts_h264_aac.ts"}) {
    const auto file = Fixture(name);
    const QdMediaInfo info = Analyzed(file);
    EXPECT_FALSE(ListKeyFrames(file, info.Kind, info.SubKind, &stop)) << name;
  }
}

class RealStartOfAClip : public test::LosslessJobTest, public testing::WithParamInterface<FamilyCase> {};

// The mark lies three frames and a little after the second key frame, so the engine must move
// it back.
TEST_P(RealStartOfAClip, IsWhereTheOutputsFirstPictureWasShownInTheSource) {
  const auto source = Fixture(GetParam().fixture);
  const QdMediaInfo info = Analyzed(source);
  const auto list = ListKeyFrames(source, info.Kind, info.SubKind);
  ASSERT_TRUE(list);
  ASSERT_GE(list->KeyFrames.size(), 2u);
  const int64_t markMs = (list->KeyFrames[1].TimeUs + 3 * list->FrameDurationUs) / 1000 + 5;
  const auto start = RealStart(*list, markMs);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->TimeUs, list->KeyFrames[1].TimeUs);
  EXPECT_EQ(start->FramesEarlier, 3);

  out = dir / ("clip" + source.extension().string());
  AddClip(source, static_cast<int32_t>(markMs), info.Duration, info.Duration);
  ASSERT_TRUE(RunJoin(info.Kind, info.SubKind));
  ASSERT_EQ(result, S_OK) << AllLines();

  const std::vector<test::Picture> written = test::Pictures(out);
  ASSERT_FALSE(written.empty());
  const std::vector<test::Picture> pictures = test::Pictures(source);
  const auto same = [&](const test::Picture& p) { return p.digest == written.front().digest; };
  ASSERT_EQ(std::ranges::count_if(pictures, same), 1) << "the source's pictures are not all different";
  EXPECT_NEAR(std::ranges::find_if(pictures, same)->timeUs, start->TimeUs, 1000);
}

const FamilyCase kProduced[] = {
    {"avi_xvid_mp3.avi"}, {"gst_mpeg4_mp3.avi"}, {"asf_wmv2.wmv"},      {"mp4_h264_bframes.mp4"},
    {"mov_h264_aac.mov"}, {"ps_mpeg2_mp2.mpg"},  {"vcd_mpeg1_mp2.mpg"}, {"ts_h264_aac.ts"},
};

INSTANTIATE_TEST_SUITE_P(Families, RealStartOfAClip, testing::ValuesIn(kProduced), CaseName);

}  // namespace
}  // namespace korvel
