// The MP4 analyzer: track descriptions turned into a media description, the sub-kind that
// picks the engine, and what it makes of the fixture files.
#include "mediainfo/mp4_media_info.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;

// The first bytes of a file whose "ftyp" box names majorBrand, followed by an empty movie box.
std::vector<uint8_t> BrandedHead(const std::string& majorBrand) {
  std::vector<uint8_t> bytes{0, 0, 0, 20, 'f', 't', 'y', 'p'};
  bytes.insert(bytes.end(), majorBrand.begin(), majorBrand.end());
  bytes.insert(bytes.end(), {0, 0, 0, 0});
  bytes.insert(bytes.end(), majorBrand.begin(), majorBrand.end());
  bytes.insert(bytes.end(), {0, 0, 0, 8, 'm', 'o', 'o', 'v'});
  return bytes;
}

std::unique_ptr<SMP4TrackInfo> Track(const std::string& type, const std::string& codec) {
  auto track = std::make_unique<SMP4TrackInfo>();
  track->TrackType = type;
  track->MediaDataName = codec;
  track->Language = "und";
  track->Classify();
  return track;
}

class Mp4MediaInfoTest : public testing::Test {
protected:
  // A description named after a file of the given brand.
  QdMediaInfo Branded(const std::string& majorBrand) {
    const auto file = dir / ("branded" + std::to_string(++files_) + ".mp4");
    test::WriteFileBytes(file, BrandedHead(majorBrand));
    QdMediaInfo info;
    info.FileName = file;
    return info;
  }

  void Add(std::unique_ptr<SMP4TrackInfo> track) {
    track->Index = fileInfo.TrackCount();
    fileInfo.Tracks.push_back(std::move(track));
  }

  test::TempDir dir;
  SMP4FileInfo fileInfo;

private:
  int files_ = 0;
};

TEST_F(Mp4MediaInfoTest, EveryTrackBecomesAStreamAndOnlyVideoAndAudioAreCompared) {
  auto video = Track("vide", "avc1");
  video->TimeScale = 12800;
  video->BitRate = 250000;
  video->Width = 1920;
  video->Height = 1080;
  video->FrameRate = 29.97002997;
  video->EsConfiguration = {1, 0x64, 0, 0x28};
  video->SequenceParameterSets = {0x67, 0x64, 0x67, 0x4D};  // two sets, raw, one after the other
  video->PictureParameterSets = {0x68, 0xEE};
  Add(std::move(video));

  auto aac = Track("soun", "mp4a");
  aac->TimeScale = 44100;
  aac->Language = "eng";
  aac->Channels = 2;
  aac->EsdsObjectType = 0x40;
  aac->Mpeg4AudioType = 2;
  aac->EsConfiguration = {0x12, 0x10};
  Add(std::move(aac));

  auto ac3 = Track("soun", "ac-3");
  ac3->TimeScale = 44100;
  ac3->Ac3Params = {1, 8, 0, 7, 1, 10};
  ac3->Channels = Ac3ChannelCount(7, 1);
  ac3->SampleRate = Ac3SampleRate(1);
  Add(std::move(ac3));

  auto subtitle = Track("sbtl", "tx3g");
  subtitle->Width = 640;
  subtitle->Height = 48;
  subtitle->FrameRate = 2;
  Add(std::move(subtitle));
  Add(Track("text", "text"));

  QdMediaInfo info = Branded("isom");
  ASSERT_EQ(LoadMp4Info(info, &fileInfo), S_OK);
  EXPECT_EQ(info.Kind, kKindMp4Family);
  EXPECT_EQ(info.SubKind, kSubKindMp4);
  ASSERT_EQ(info.StreamCount(), 5);
  EXPECT_EQ(info.ComparableCount(), 3);
  EXPECT_EQ(info.Matched.size(), 5u);

  const QdMediaStream& v = info.Streams[0];
  EXPECT_EQ(v.StreamType, kStreamVideo);
  EXPECT_EQ(v.TrackTypeName, "vide");
  EXPECT_EQ(v.MediaDataName, "avc1");
  EXPECT_EQ(v.TimeBase, 12800u);
  EXPECT_EQ(v.BitRate, 250000u);
  EXPECT_EQ(v.RateX1000, 29970);
  EXPECT_EQ(v.Width, 1920);
  EXPECT_EQ(v.Height, 1080);
  EXPECT_EQ(v.Extra1, (std::vector<uint8_t>{1, 0x64, 0, 0x28}));
  EXPECT_EQ(v.Extra2, (std::vector<uint8_t>{0x67, 0x64, 0x67, 0x4D}));
  EXPECT_EQ(v.Extra3, (std::vector<uint8_t>{0x68, 0xEE}));
  EXPECT_FALSE(v.Ignored);

  const QdMediaStream& a = info.Streams[1];
  EXPECT_EQ(a.Index, 1);
  EXPECT_EQ(a.StreamType, kStreamAudio);
  EXPECT_EQ(a.Language, "eng");
  EXPECT_EQ(a.Channels, 2u);
  EXPECT_EQ(a.SampleRate, 0u);
  EXPECT_EQ(a.EsdsObjectType, 0x40);
  EXPECT_EQ(a.Mpeg4AudioType, 2);
  EXPECT_EQ(a.RateX1000, 0);  // a frame rate means nothing for audio
  EXPECT_EQ(a.Extra1, (std::vector<uint8_t>{0x12, 0x10}));

  const QdMediaStream& d = info.Streams[2];
  EXPECT_EQ(d.Channels, 6u);
  EXPECT_EQ(d.SampleRate, 44100u);
  EXPECT_EQ(d.Ac3Params, (std::array<uint8_t, 6>{1, 8, 0, 7, 1, 10}));

  const QdMediaStream& s = info.Streams[3];
  EXPECT_EQ(s.StreamType, kStreamText);
  EXPECT_EQ(s.Width, 640);
  EXPECT_EQ(s.RateX1000, 2000);
  EXPECT_TRUE(s.Ignored);

  EXPECT_EQ(info.Streams[4].StreamType, kStreamOther);
  EXPECT_TRUE(info.Streams[4].Ignored);
}

struct SubKindCase {
  const char* brand;
  const char* extraType;  // a track added to H.264 video and AAC audio; "" for none
  const char* extraCodec;
  uint8_t subKind;
};

class Mp4MediaInfoSubKindTest : public Mp4MediaInfoTest, public testing::WithParamInterface<SubKindCase> {};

TEST_P(Mp4MediaInfoSubKindTest, TheBrandAndTheTracksPickTheSubKind) {
  const SubKindCase& c = GetParam();
  Add(Track("vide", "avc1"));
  Add(Track("soun", "mp4a"));
  if (*c.extraType) Add(Track(c.extraType, c.extraCodec));
  QdMediaInfo info = Branded(c.brand);
  ASSERT_EQ(LoadMp4Info(info, &fileInfo), S_OK);
  EXPECT_EQ(info.SubKind, c.subKind);
}

INSTANTIATE_TEST_SUITE_P(
    Mp4Brands, Mp4MediaInfoSubKindTest,
    testing::Values(SubKindCase{"isom", "", "", kSubKindMp4}, SubKindCase{"mp42", "vide", "mp4v", kSubKindMp4},
                    SubKindCase{"isom", "soun", "ac-3", kSubKindMp4},
                    // A track the MP4 producer cannot copy sends the file to the FFmpeg engine ...
                    SubKindCase{"isom", "vide", "SVQ3", kSubKindMp4Unsupported},
                    SubKindCase{"mp41", "soun", "samr", kSubKindMp4Unsupported},
                    // ... but a track it never copies does not.
                    SubKindCase{"isom", "text", "text", kSubKindMp4}, SubKindCase{"isom", "hint", "rtp ", kSubKindMp4},
                    // Other brands go to the FFmpeg engine whatever their tracks.
                    SubKindCase{"qt  ", "vide", "SVQ3", kSubKindMov}, SubKindCase{"M4A ", "", "", kSubKindM4a},
                    SubKindCase{"M4V ", "", "", kSubKindM4v}, SubKindCase{"3gp6", "", "", kSubKind3gp},
                    SubKindCase{"3g2a", "", "", kSubKind3g2}, SubKindCase{"avc1", "vide", "SVQ3", kSubKindMp4Other}));

TEST_F(Mp4MediaInfoTest, WithoutAFileDescriptionItFailsAsAnMp4File) {
  QdMediaInfo info = Branded("isom");
  info.AllocStreams(2);
  EXPECT_EQ(LoadMp4Info(info, nullptr), E_FAIL);
  EXPECT_EQ(info.Kind, kKindMp4Family);
  EXPECT_EQ(info.StreamCount(), 0);
}

TEST_F(Mp4MediaInfoTest, TracksTheReaderCouldNotFillAreLeftOutButPositionsKept) {
  fileInfo.SetTrackCount(3);
  fileInfo.Tracks[1] = Track("soun", "mp4a");
  QdMediaInfo info;
  info.FileName = dir / "gone.mp4";  // unreadable: no brand, no sub-kind
  ASSERT_EQ(LoadMp4Info(info, &fileInfo), S_OK);
  EXPECT_EQ(info.SubKind, 0);
  ASSERT_EQ(info.StreamCount(), 1);
  EXPECT_EQ(info.Streams[0].Index, 1);
}

struct FixtureCase {
  const char* file;
  uint8_t subKind;
};

class Mp4MediaInfoFixtureTest : public testing::TestWithParam<FixtureCase> {};

TEST_P(Mp4MediaInfoFixtureTest, TheSubKindComesFromTheFilesBrand) {
  QdMediaInfo info;
  info.FileName = Fixture(GetParam().file);
  const SMP4FileInfo noTracks;
  ASSERT_EQ(LoadMp4Info(info, &noTracks), S_OK);
  EXPECT_EQ(info.SubKind, GetParam().subKind);
}

INSTANTIATE_TEST_SUITE_P(Mp4Fixtures, Mp4MediaInfoFixtureTest,
                         testing::Values(FixtureCase{"mp4_h264_aac.mp4", kSubKindMp4},
                                         FixtureCase{"mov_h264_aac.mov", kSubKindMov},
                                         FixtureCase{"3gp_h264_aac.3gp", kSubKind3gp},
                                         FixtureCase{"m4a_aac.m4a", kSubKindM4a}));

TEST(Mp4MediaInfoFileTest, AFragmentedFileGoesToTheFfmpegEngine) {
  // Its samples live in movie fragments, which the MP4 producer would silently leave out.
  test::TempDir dir;
  const auto fragmented = dir / "fragmented.mp4";
  ASSERT_EQ(test::RunCommand("ffmpeg -nostdin -v error -i " + test::Quoted(Fixture("mp4_h264_aac.mp4")) +
                             " -c copy -movflags frag_keyframe+empty_moov " + test::Quoted(fragmented) + " 2>&1")
                .exitCode,
            0);
  QdMediaInfo info;
  ASSERT_TRUE(AnalyzeMediaFile(fragmented, info));
  EXPECT_EQ(info.SubKind, kSubKindMp4Unsupported);
}

TEST(Mp4MediaInfoFileTest, DescribesTheCodecsOfAnH264AndAacFile) {
  QdMediaInfo info;
  ASSERT_TRUE(AnalyzeMediaFile(Fixture("mp4_h264_aac.mp4"), info));
  EXPECT_EQ(info.FileName, Fixture("mp4_h264_aac.mp4"));
  ASSERT_EQ(info.StreamCount(), 2);
  const QdMediaStream& v = info.Streams[0];
  EXPECT_EQ(v.Width, 160);
  EXPECT_EQ(v.Height, 120);
  EXPECT_EQ(v.RateX1000, 25000);
  EXPECT_GT(v.TimeBase, 0u);
  EXPECT_EQ(v.Language, "und");
  ASSERT_FALSE(v.Extra1.empty());
  EXPECT_EQ(v.Extra1[0], 1);  // the avcC record's version
  ASSERT_FALSE(v.Extra2.empty());
  EXPECT_EQ(v.Extra2[0] & 0x1F, 7);  // a sequence parameter set, without start code or length
  ASSERT_FALSE(v.Extra3.empty());
  EXPECT_EQ(v.Extra3[0] & 0x1F, 8);
  const QdMediaStream& a = info.Streams[1];
  EXPECT_EQ(a.TimeBase, 44100u);
  EXPECT_GT(a.Channels, 0u);
  EXPECT_EQ(a.SampleRate, 0u);  // only AC-3 tracks report a rate
  EXPECT_EQ(a.EsdsObjectType, 0x40);
  EXPECT_EQ(a.Mpeg4AudioType, 2);  // AAC LC
  EXPECT_FALSE(a.Extra1.empty());
  EXPECT_TRUE(a.Extra2.empty());
}

TEST(Mp4MediaInfoFileTest, Ac3TakesChannelsAndRateFromItsDac3Box) {
  QdMediaInfo info;
  ASSERT_TRUE(DescribeMp4File(Fixture("mp4_h264_ac3.mp4"), info));
  ASSERT_EQ(info.StreamCount(), 2);
  const QdMediaStream& a = info.Streams[1];
  EXPECT_EQ(a.MediaDataName, "ac-3");
  EXPECT_EQ(a.Channels, 1u);  // acmod 1: mono
  EXPECT_EQ(a.SampleRate, 48000u);
  EXPECT_EQ(a.Ac3Params[0], 0);  // fscod
  EXPECT_EQ(a.Ac3Params[3], 1);  // acmod
}

TEST(Mp4MediaInfoFileTest, AFileWithoutMovieIsAnMp4FileWithoutDescription) {
  test::TempDir dir;
  const auto head = ReadFileHead(Fixture("mp4_h264_aac.mp4"), 2000);  // the movie box is at the end
  ASSERT_TRUE(head);
  test::WriteFileBytes(dir / "cut.mp4", *head);
  QdMediaInfo info;
  EXPECT_FALSE(AnalyzeMediaFile(dir / "cut.mp4", info));
  EXPECT_EQ(info.Kind, kKindMp4Family);
  EXPECT_EQ(info.StreamCount(), 0);
  EXPECT_EQ(info.FileName, dir / "cut.mp4");
}

struct TrackExpectation {
  const char* type;
  const char* codec;
  int ignored;
};

struct CliCase {
  const char* file;
  int subKind;
  const char* kindName;
  std::vector<TrackExpectation> tracks;
};

TEST(Mp4MediaInfoCliTest, InfoDescribesEveryMemberOfTheFamily) {
  const std::vector<CliCase> cases{
      {"mp4_h264_aac.mp4", kSubKindMp4, "MP4", {{"vide", "avc1", 0}, {"soun", "mp4a", 0}}},
      {"mov_h264_aac.mov", kSubKindMov, "MOV", {{"vide", "avc1", 0}, {"soun", "mp4a", 0}}},
      {"3gp_h264_aac.3gp", kSubKind3gp, "3GP", {{"vide", "avc1", 0}, {"soun", "mp4a", 0}}},
      {"m4a_aac.m4a", kSubKindM4a, "M4A", {{"soun", "mp4a", 0}}},
      {"mp4_h264_ac3.mp4", kSubKindMp4, "MP4", {{"vide", "avc1", 0}, {"soun", "ac-3", 0}}},
      {"mp4_h264_text.mp4", kSubKindMp4, "MP4", {{"vide", "avc1", 0}, {"sbtl", "tx3g", 1}}},
  };
  std::string arguments = "info --json";
  for (const CliCase& c : cases) arguments += " " + test::Quoted(Fixture(c.file));
  const test::CliRun run = test::RunCli(arguments, false);
  ASSERT_EQ(run.exitCode, 0) << run.out;
  const auto json = nlohmann::json::parse(run.out);
  ASSERT_EQ(json.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    const CliCase& c = cases[i];
    const auto& file = json[i];
    SCOPED_TRACE(c.file);
    EXPECT_EQ(file["Kind"], kKindMp4Family);
    EXPECT_EQ(file["SubKind"], c.subKind);
    EXPECT_EQ(file["KindName"], c.kindName);
    ASSERT_EQ(file["Streams"].size(), c.tracks.size());
    int comparable = 0;
    for (size_t t = 0; t < c.tracks.size(); ++t) {
      EXPECT_EQ(file["Streams"][t]["TrackTypeName"], c.tracks[t].type);
      EXPECT_EQ(file["Streams"][t]["MediaDataName"], c.tracks[t].codec);
      EXPECT_EQ(file["Streams"][t]["Ignored"], c.tracks[t].ignored);
      comparable += 1 - c.tracks[t].ignored;
    }
    EXPECT_EQ(file["ComparableCount"], comparable);
  }
}

}  // namespace
}  // namespace korvel
