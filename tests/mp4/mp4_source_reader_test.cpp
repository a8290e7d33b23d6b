// Reading track descriptions: from a track as the ISO layer presents it, and from real files.
#include "mp4/mp4_source_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace korvel {
namespace {

using Bytes = std::vector<uint8_t>;

// A track with the answers a test sets; samples are never asked for while describing.
struct FakeTrack : iso::IsoTrack {
  std::string type, codec, language = "und";
  uint32_t timeScale = 1000;
  uint64_t duration = 0;
  int32_t channels = 0;
  uint16_t width = 0, height = 0;
  double frameRate = 0;
  std::optional<iso::Ac3SpecificBox> ac3;
  Bytes esConfiguration, svq3;
  std::vector<Bytes> sps, pps;

  iso::MP4TrackId GetId() const override { return 7; }
  std::string GetType() const override { return type; }
  std::string GetMediaDataName() const override { return codec; }
  std::string GetLanguage() const override { return language; }
  uint32_t GetTimeScale() const override { return timeScale; }
  iso::MP4Duration GetDuration() const override { return duration; }
  iso::MP4Duration GetFixedSampleDuration() const override { return iso::MP4_INVALID_DURATION; }
  uint32_t GetNumberOfSamples() const override { return 50; }
  uint32_t GetBitRate() const override { return 128000; }
  uint32_t GetMaxSampleSize() const override { return 0; }
  uint16_t GetVideoWidth() const override { return width; }
  uint16_t GetVideoHeight() const override { return height; }
  double GetVideoFrameRate() const override { return frameRate; }
  int32_t GetAudioChannels() const override { return channels; }
  uint8_t GetEsdsObjectTypeId() const override { return 0x40; }
  uint8_t GetAudioMpeg4Type() const override { return 2; }
  std::optional<iso::Ac3SpecificBox> GetAc3Specific() const override { return ac3; }
  Bytes GetESConfiguration() const override { return esConfiguration; }
  std::vector<Bytes> GetH264SequenceParameterSets() const override { return sps; }
  std::vector<Bytes> GetH264PictureParameterSets() const override { return pps; }
  Bytes GetSvq3Metadata() const override { return svq3; }
  Bytes GetSampleDescriptionEntry() const override { return {}; }
  bool ReadSample(iso::MP4SampleId, iso::MP4Sample&, std::string*) const override { return false; }
  iso::MP4Timestamp GetSampleTime(iso::MP4SampleId) const override { return 0; }
  iso::MP4Duration GetSampleDuration(iso::MP4SampleId) const override { return 0; }
  int64_t GetSampleRenderingOffset(iso::MP4SampleId) const override { return 0; }
  bool GetSampleSync(iso::MP4SampleId) const override { return false; }
  uint32_t GetSampleSize(iso::MP4SampleId) const override { return 0; }
  iso::MP4SampleId GetSampleIdFromTime(iso::MP4Timestamp, bool) const override { return 0; }
};

TEST(Mp4FileInfoReaderTest, H264TrackKeepsItsConfigurationAndEveryParameterSetRaw) {
  FakeTrack track;
  track.type = "vide";
  track.codec = "avc1";
  track.timeScale = 12800;
  track.duration = 25600;
  track.width = 160;
  track.height = 120;
  track.frameRate = 25;
  track.esConfiguration = {1, 0x64, 0, 0x0C};
  track.sps = {{0x67, 0x64, 0x00}, {0x67, 0x4D}};
  track.pps = {{0x68, 0xEE}, {0x68, 0xCE}};
  const auto info = ReadTrackInfo(track, 3);
  EXPECT_EQ(info->Index, 3u);
  EXPECT_EQ(info->TrackId, 7u);
  EXPECT_EQ(info->Duration, 2000000u);  // microseconds
  EXPECT_EQ(info->FixedSampleDuration, kMp4NoFixedSampleDuration);
  EXPECT_EQ(info->SampleCount, 50u);
  EXPECT_EQ(info->Language, "und");
  EXPECT_TRUE(info->IsH264);
  EXPECT_TRUE(info->Supported);
  EXPECT_EQ(info->Width, 160);
  EXPECT_EQ(info->FrameRate, 25);
  EXPECT_EQ(info->EsConfiguration, track.esConfiguration);
  EXPECT_EQ(info->SequenceParameterSets, (Bytes{0x67, 0x64, 0x00, 0x67, 0x4D}));
  EXPECT_EQ(info->PictureParameterSets, (Bytes{0x68, 0xEE, 0x68, 0xCE}));
  EXPECT_EQ(info->Channels, 0);  // audio fields stay empty for video
  EXPECT_EQ(info->EsdsObjectType, 0);
}

TEST(Mp4FileInfoReaderTest, Ac3ChannelsAndRateComeFromItsDac3Box) {
  FakeTrack track;
  track.type = "soun";
  track.codec = "ac-3";
  track.channels = 2;  // what the sample entry claims
  track.ac3 = iso::Ac3SpecificBox{1, 8, 0, 7, 1, 10};
  const auto info = ReadTrackInfo(track, 0);
  EXPECT_EQ(info->Channels, 6);
  EXPECT_EQ(info->SampleRate, 44100u);
  EXPECT_EQ(info->Ac3Params, (std::array<uint8_t, 6>{1, 8, 0, 7, 1, 10}));
  EXPECT_EQ(info->EsdsObjectType, 0x40);

  track.codec = "mp4a";  // the box means nothing to other codecs
  const auto aac = ReadTrackInfo(track, 0);
  EXPECT_EQ(aac->Channels, 2);
  EXPECT_EQ(aac->SampleRate, 0u);
  EXPECT_EQ(aac->Ac3Params, (std::array<uint8_t, 6>{}));
  EXPECT_EQ(aac->Width, 0);
}

TEST(Mp4FileInfoReaderTest, SubtitlesGetAFrameButAreSkippedWithoutConfiguration) {
  FakeTrack track;
  track.type = "sbtl";
  track.codec = "tx3g";
  track.width = 640;
  track.height = 48;
  track.frameRate = 1.5;
  track.esConfiguration = {9, 9};
  const auto info = ReadTrackInfo(track, 2);
  EXPECT_FALSE(info->IsVideo);
  EXPECT_FALSE(info->IsAudio);
  EXPECT_TRUE(info->Skipped);
  EXPECT_EQ(info->Width, 640);
  EXPECT_EQ(info->Height, 48);
  EXPECT_EQ(info->FrameRate, 1.5);
  EXPECT_TRUE(info->EsConfiguration.empty());
}

TEST(Mp4FileInfoReaderTest, Svq3VideoKeepsItsMetadata) {
  FakeTrack track;
  track.type = "vide";
  track.codec = "SVQ3";
  track.svq3 = {'S', 'E', 'Q', 'H'};
  const auto info = ReadTrackInfo(track, 0);
  EXPECT_EQ(info->Svq3Metadata, track.svq3);
  EXPECT_FALSE(info->Supported);
  EXPECT_TRUE(info->SequenceParameterSets.empty());
}

TEST(Mp4FileInfoReaderTest, BlankMissingAndForeignFilesAreNotDescribed) {
  test::TempDir dir;
  const std::vector<uint8_t> notIso(64, 0x47);
  test::WriteFileBytes(dir / "garbage.mp4", notIso);
  TMp4SourceReader reader;
  EXPECT_EQ(reader.DescribeFile("   "), nullptr);
  EXPECT_EQ(reader.DescribeFile(""), nullptr);
  EXPECT_EQ(reader.DescribeFile(dir / "missing.mp4"), nullptr);
  EXPECT_EQ(reader.DescribeFile(dir / "garbage.mp4"), nullptr);
  EXPECT_FALSE(reader.OpenSource(dir / "garbage.mp4"));
  EXPECT_EQ(reader.Source(), nullptr);
}

TEST(Mp4FileInfoReaderTest, OpenSourceDescribesTheFileAndReadFileInfoCopiesIt) {
  TMp4SourceReader reader;
  ASSERT_TRUE(reader.OpenSource(test::Fixture("mp4_h264_ac3.mp4")));
  ASSERT_NE(reader.Source(), nullptr);
  const SMP4FileInfo& current = reader.CurrentInfo();
  EXPECT_GT(current.TimeScale, 0u);
  EXPECT_NEAR(static_cast<double>(current.Duration), 2e6, 1e5);  // two seconds, in microseconds
  ASSERT_EQ(current.TrackCount(), 2u);
  ASSERT_NE(current.Tracks[1], nullptr);
  EXPECT_EQ(current.Tracks[1]->Index, 1u);
  EXPECT_EQ(current.Tracks[1]->TrackId, reader.Source()->FindTrackId(1));
  EXPECT_TRUE(current.Tracks[1]->IsAc3);
  EXPECT_EQ(current.Tracks[1]->SampleRate, 48000u);

  SMP4FileInfo copy;
  reader.ReadFileInfo(&copy);
  ASSERT_EQ(copy.TrackCount(), 2u);
  EXPECT_EQ(copy.Tracks[0]->MediaDataName, "avc1");
  EXPECT_EQ(copy.Tracks[0]->SampleCount, 50u);  // 2 s at 25 frames

  reader.CloseSource();
  EXPECT_EQ(reader.Source(), nullptr);
  SMP4FileInfo untouched;
  reader.ReadFileInfo(&untouched);
  EXPECT_EQ(untouched.TrackCount(), 0u);
}

}  // namespace
}  // namespace korvel
