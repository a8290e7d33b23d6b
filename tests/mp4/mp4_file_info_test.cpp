// Track records: what their type and codec make of them, and the AC-3 layout tables.
#include "mp4/mp4_file_info.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

struct ClassifyCase {
  const char* type;
  const char* codec;
  bool video, audio, supported, skipped;
};

class Mp4FileInfoClassifyTest : public testing::TestWithParam<ClassifyCase> {};

TEST_P(Mp4FileInfoClassifyTest, TypeAndCodecDecideWhatTheProducerDoesWithATrack) {
  const ClassifyCase& c = GetParam();
  SMP4TrackInfo track;
  track.TrackType = c.type;
  track.MediaDataName = c.codec;
  track.Classify();
  EXPECT_EQ(track.IsVideo, c.video);
  EXPECT_EQ(track.IsAudio, c.audio);
  EXPECT_EQ(track.Supported, c.supported);
  EXPECT_EQ(track.Skipped, c.skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Mp4Tracks, Mp4FileInfoClassifyTest,
    testing::Values(ClassifyCase{"vide", "avc1", true, false, true, false},
                    ClassifyCase{"vide", "mp4v", true, false, true, false},
                    ClassifyCase{"vide", "SVQ3", true, false, false, false},
                    ClassifyCase{"vide", "AVC1", true, false, false, false},  // names compare exactly
                    ClassifyCase{"VIDE", "avc1", false, false, false, true},
                    ClassifyCase{"soun", "mp4a", false, true, true, false},
                    ClassifyCase{"soun", "ac-3", false, true, true, false},
                    ClassifyCase{"soun", "samr", false, true, false, false},
                    ClassifyCase{"soun", "avc1", false, true, false, false},  // a video codec in an audio track
                    ClassifyCase{"sbtl", "tx3g", false, false, false, true},
                    ClassifyCase{"text", "text", false, false, false, true},
                    ClassifyCase{"hint", "rtp ", false, false, false, true}));

TEST(Mp4FileInfoTest, Ac3ChannelsFollowTheCodingModeAndTheLowFrequencyBit) {
  const int32_t fullBandwidth[8] = {2, 1, 2, 3, 3, 4, 4, 5};
  for (uint8_t acmod = 0; acmod < 8; ++acmod) {
    EXPECT_EQ(Ac3ChannelCount(acmod, 0), fullBandwidth[acmod]) << int{acmod};
    EXPECT_EQ(Ac3ChannelCount(acmod, 1), fullBandwidth[acmod] + 1) << int{acmod};
  }
  EXPECT_EQ(Ac3ChannelCount(7, 3), 6);  // only the lowest bit of lfeon counts
}

TEST(Mp4FileInfoTest, Ac3SampleRatesWithTheReservedCodeAsZero) {
  EXPECT_EQ(Ac3SampleRate(0), 48000u);
  EXPECT_EQ(Ac3SampleRate(1), 44100u);
  EXPECT_EQ(Ac3SampleRate(2), 32000u);
  EXPECT_EQ(Ac3SampleRate(3), 0u);
}

TEST(Mp4FileInfoTest, SettingTheTrackCountDropsTheOldRecords) {
  SMP4FileInfo info;
  info.SetTrackCount(2);
  info.Tracks[0] = std::make_unique<SMP4TrackInfo>();
  info.SetTrackCount(3);
  ASSERT_EQ(info.TrackCount(), 3u);
  for (const auto& track : info.Tracks) EXPECT_EQ(track, nullptr);
}

}  // namespace
}  // namespace korvel
