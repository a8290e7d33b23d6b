// The reader on files made by ffmpeg, checked against what ffprobe reports for the same files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "mp4/iso/iso_file.h"
#include "support/temp_dir.h"

namespace korvel::iso {
namespace {

struct ProbedPacket {
  int64_t pts = 0;
  int64_t dts = 0;
  uint64_t size = 0;
  uint64_t pos = 0;
  bool key = false;
};

// The packets of one stream as ffprobe lists them, in file order of decoding.
std::vector<ProbedPacket> ProbePackets(const std::filesystem::path& file, int stream) {
  const std::string command = "ffprobe -v error -select_streams " + std::to_string(stream) +
                              " -show_entries packet=pts,dts,size,pos,flags -of compact=p=0 '" + file.string() + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::vector<ProbedPacket> packets;
  if (!pipe) return packets;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get())) {
    if (!std::string_view(line).starts_with("pts=")) continue;  // side data rows and blank lines
    std::map<std::string, std::string> fields;
    std::stringstream row(line);
    std::string field;
    while (std::getline(row, field, '|')) {
      const auto eq = field.find('=');
      if (eq != std::string::npos) fields[field.substr(0, eq)] = field.substr(eq + 1);
    }
    ProbedPacket p;
    p.pts = std::stoll(fields["pts"]);
    p.dts = std::stoll(fields["dts"]);
    p.size = std::stoull(fields["size"]);
    p.pos = std::stoull(fields["pos"]);
    p.key = fields["flags"].starts_with("K");
    packets.push_back(p);
  }
  return packets;
}

bool HaveFfprobe() { return std::system("ffprobe -version >/dev/null 2>&1") == 0; }

std::vector<uint8_t> FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::unique_ptr<IsoFile> Open(const std::string& name) {
  std::string error;
  auto file = IsoFile::Read(test::Fixture(name), &error);
  EXPECT_TRUE(file) << name << ": " << error;
  return file;
}

struct FixtureLayout {
  const char* file;
  const char* majorBrand;
  const char* compatibleBrand;
  std::vector<std::string> types;
  std::vector<std::string> names;
};

class IsoFixtureLayoutTest : public testing::TestWithParam<FixtureLayout> {};

TEST_P(IsoFixtureLayoutTest, BrandsAndTracks) {
  const FixtureLayout& want = GetParam();
  auto file = Open(want.file);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->MajorBrand(), want.majorBrand);
  const auto brands = file->CompatibleBrands();
  EXPECT_NE(std::find(brands.begin(), brands.end(), want.compatibleBrand), brands.end());
  ASSERT_EQ(file->GetNumberOfTracks(), want.types.size());
  EXPECT_EQ(file->FindTrackId(file->GetNumberOfTracks()), MP4_INVALID_TRACK_ID);
  EXPECT_EQ(file->GetTimeScale(), 1000u);
  // Two seconds of media, give or take a frame or an audio packet.
  const uint64_t ms = IsoFile::ConvertDuration(file->GetDuration(), file->GetTimeScale(), 1000);
  EXPECT_GE(ms, 1900u);
  EXPECT_LE(ms, 2100u);
  for (uint32_t i = 0; i < want.types.size(); ++i) {
    const IsoTrack* track = file->Track(file->FindTrackId(i));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->GetType(), want.types[i]) << i;
    EXPECT_EQ(track->GetMediaDataName(), want.names[i]) << i;
    EXPECT_GT(track->GetNumberOfSamples(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Iso, IsoFixtureLayoutTest,
    testing::Values(FixtureLayout{"mp4_h264_aac.mp4", "isom", "avc1", {"vide", "soun"}, {"avc1", "mp4a"}},
                    FixtureLayout{"mov_h264_aac.mov", "qt  ", "qt  ", {"vide", "soun"}, {"avc1", "mp4a"}},
                    FixtureLayout{"3gp_h264_aac.3gp", "3gp6", "isom", {"vide", "soun"}, {"avc1", "mp4a"}},
                    FixtureLayout{"m4a_aac.m4a", "M4A ", "isom", {"soun"}, {"mp4a"}},
                    FixtureLayout{"mp4_h264_ac3.mp4", "isom", "avc1", {"vide", "soun"}, {"avc1", "ac-3"}},
                    FixtureLayout{"mp4_h264_text.mp4", "isom", "avc1", {"vide", "sbtl"}, {"avc1", "tx3g"}},
                    FixtureLayout{"mp4_h264_bframes.mp4", "isom", "avc1", {"vide"}, {"avc1"}}));

// Every sample of every track against ffprobe's packet list: count, size, file position and
// bytes, key flag, and decode/composition times (ffprobe shifts all times of a track by its edit
// list, so times are compared relative to the first packet).
class IsoFixtureSamplesTest : public testing::TestWithParam<const char*> {};

TEST_P(IsoFixtureSamplesTest, MatchFfprobePackets) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  const auto path = test::Fixture(GetParam());
  auto file = Open(GetParam());
  ASSERT_TRUE(file);
  const std::vector<uint8_t> bytes = FileBytes(path);
  for (uint32_t t = 0; t < file->GetNumberOfTracks(); ++t) {
    SCOPED_TRACE("track index " + std::to_string(t));
    const IsoTrack* track = file->Track(file->FindTrackId(t));
    ASSERT_TRUE(track);
    const auto packets = ProbePackets(path, static_cast<int>(t));
    // ffprobe leaves out the empty cues of a text track (a bare 16-bit length of 0).
    std::vector<MP4SampleId> ids;
    for (MP4SampleId id = 1; id <= track->GetNumberOfSamples(); ++id) {
      if (track->GetType() != "sbtl" || track->GetSampleSize(id) > 2) ids.push_back(id);
    }
    ASSERT_EQ(ids.size(), packets.size());
    ASSERT_FALSE(packets.empty());
    const int64_t shift = packets.front().dts;
    uint32_t maxSize = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
      const MP4SampleId id = ids[i];
      const ProbedPacket& p = packets[i];
      MP4Sample sample;
      std::string error;
      ASSERT_TRUE(track->ReadSample(id, sample, &error)) << error;
      ASSERT_EQ(sample.bytes.size(), p.size) << id;
      ASSERT_EQ(track->GetSampleSize(id), p.size) << id;
      ASSERT_LE(p.pos + p.size, bytes.size());
      ASSERT_TRUE(std::equal(sample.bytes.begin(), sample.bytes.end(), bytes.begin() + static_cast<ptrdiff_t>(p.pos)))
          << id;
      ASSERT_EQ(sample.isSyncSample, p.key) << id;
      ASSERT_EQ(static_cast<int64_t>(sample.startTime) + shift, p.dts) << id;
      ASSERT_EQ(sample.renderingOffset, p.pts - p.dts) << id;
      ASSERT_EQ(track->GetSampleTime(id), sample.startTime);
      ASSERT_EQ(track->GetSampleRenderingOffset(id), sample.renderingOffset);
      maxSize = std::max<uint32_t>(maxSize, static_cast<uint32_t>(p.size));
    }
    EXPECT_EQ(track->GetMaxSampleSize(), maxSize);
    MP4Sample none;
    EXPECT_FALSE(track->ReadSample(track->GetNumberOfSamples() + 1, none));
    EXPECT_FALSE(track->ReadSample(MP4_INVALID_SAMPLE_ID, none));
  }
}

INSTANTIATE_TEST_SUITE_P(Iso, IsoFixtureSamplesTest,
                         testing::Values("mp4_h264_aac.mp4", "mov_h264_aac.mov", "3gp_h264_aac.3gp", "m4a_aac.m4a",
                                         "mp4_h264_ac3.mp4", "mp4_h264_text.mp4", "mp4_h264_bframes.mp4"));

TEST(IsoFixtureTest, VideoTrackOfMp4MatchesFfprobeExactly) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  const auto path = test::Fixture("mp4_h264_aac.mp4");
  auto file = Open("mp4_h264_aac.mp4");
  ASSERT_TRUE(file);
  const IsoTrack* video = file->Track(file->FindTrackId(0));
  ASSERT_TRUE(video);
  const auto packets = ProbePackets(path, 0);
  ASSERT_EQ(video->GetNumberOfSamples(), 50u);
  // No edit list shift in this file: times equal ffprobe's exactly.
  uint64_t totalBytes = 0;
  for (uint32_t id = 1; id <= packets.size(); ++id) {
    EXPECT_EQ(static_cast<int64_t>(video->GetSampleTime(id)), packets[id - 1].dts);
    EXPECT_EQ(static_cast<int64_t>(video->GetSampleTime(id)) + video->GetSampleRenderingOffset(id),
              packets[id - 1].pts);
    EXPECT_EQ(video->GetSampleSync(id), packets[id - 1].key);
    totalBytes += packets[id - 1].size;
  }
  EXPECT_EQ(video->GetTimeScale(), 12800u);
  EXPECT_EQ(video->GetFixedSampleDuration(), 512u);
  EXPECT_EQ(video->GetDuration(), 50u * 512u);
  EXPECT_DOUBLE_EQ(video->GetVideoFrameRate(), 25.0);
  EXPECT_EQ(video->GetVideoWidth(), 160);
  EXPECT_EQ(video->GetVideoHeight(), 120);
  EXPECT_EQ(video->GetAudioChannels(), 0);
  EXPECT_EQ(video->GetBitRate(), totalBytes * 8 * 12800 / (50 * 512));
  EXPECT_EQ(video->GetLanguage(), "und");
}

// The sample at a time, and the sync sample at or before it, for every sample of the video.
TEST(IsoFixtureTest, SampleIdFromTimeWithAndWithoutSync) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  for (const char* name : {"mp4_h264_aac.mp4", "mp4_h264_bframes.mp4"}) {
    SCOPED_TRACE(name);
    auto file = Open(name);
    ASSERT_TRUE(file);
    const IsoTrack* video = file->Track(file->FindTrackId(0));
    const auto packets = ProbePackets(test::Fixture(name), 0);
    ASSERT_EQ(video->GetNumberOfSamples(), packets.size());
    MP4SampleId lastKey = MP4_INVALID_SAMPLE_ID;
    uint32_t keys = 0;
    for (MP4SampleId id = 1; id <= packets.size(); ++id) {
      if (packets[id - 1].key) {
        lastKey = id;
        ++keys;
      }
      const MP4Timestamp start = video->GetSampleTime(id);
      const MP4Timestamp last = start + video->GetSampleDuration(id) - 1;
      EXPECT_EQ(video->GetSampleIdFromTime(start, false), id);
      EXPECT_EQ(video->GetSampleIdFromTime(last, false), id);
      EXPECT_EQ(video->GetSampleIdFromTime(last, true), lastKey);
    }
    EXPECT_GE(keys, 4u);  // a GOP of 12 over 50 frames
    uint64_t end = 0;
    for (MP4SampleId id = 1; id <= packets.size(); ++id) end += video->GetSampleDuration(id);
    EXPECT_EQ(video->GetSampleIdFromTime(end, false), MP4_INVALID_SAMPLE_ID);
    EXPECT_EQ(video->GetSampleIdFromTime(end, true), MP4_INVALID_SAMPLE_ID);
  }
}

TEST(IsoFixtureTest, BFramesHaveCompositionOffsets) {
  auto file = Open("mp4_h264_bframes.mp4");
  ASSERT_TRUE(file);
  const IsoTrack* video = file->Track(file->FindTrackId(0));
  ASSERT_TRUE(video);
  bool reordered = false;
  for (MP4SampleId id = 1; id < video->GetNumberOfSamples(); ++id) {
    const int64_t pts = static_cast<int64_t>(video->GetSampleTime(id)) + video->GetSampleRenderingOffset(id);
    const int64_t next = static_cast<int64_t>(video->GetSampleTime(id + 1)) + video->GetSampleRenderingOffset(id + 1);
    if (next < pts) reordered = true;
  }
  EXPECT_TRUE(reordered);
}

TEST(IsoFixtureTest, H264ParameterSetsComeFromAvcC) {
  auto file = Open("mp4_h264_aac.mp4");
  ASSERT_TRUE(file);
  const IsoTrack* video = file->Track(file->FindTrackId(0));
  const auto sps = video->GetH264SequenceParameterSets();
  const auto pps = video->GetH264PictureParameterSets();
  ASSERT_EQ(sps.size(), 1u);
  ASSERT_EQ(pps.size(), 1u);
  EXPECT_EQ(sps[0][0] & 0x1F, 7);  // NAL unit type: sequence parameter set
  EXPECT_EQ(pps[0][0] & 0x1F, 8);  // picture parameter set
  const auto avcC = video->GetESConfiguration();
  ASSERT_GE(avcC.size(), 7u + sps[0].size() + pps[0].size());
  EXPECT_EQ(avcC[0], 1);        // record version
  EXPECT_EQ(avcC[1], sps[0][1]);  // profile, repeated from the SPS
  EXPECT_EQ(avcC[3], sps[0][3]);  // level
  EXPECT_EQ(video->GetEsdsObjectTypeId(), 0);
  const auto entry = video->GetSampleDescriptionEntry();
  ASSERT_GE(entry.size(), 8u);
  EXPECT_EQ(std::string(entry.begin() + 4, entry.begin() + 8), "avc1");
  EXPECT_EQ(entry.size(), (size_t{entry[0]} << 24 | size_t{entry[1]} << 16 | size_t{entry[2]} << 8 | entry[3]));
}

struct AudioExpectation {
  const char* file;
  uint32_t trackIndex;
  int32_t channels;
  std::vector<uint8_t> config;  // the start of the AudioSpecificConfig: AAC LC, 44100 Hz, channels
};

class IsoFixtureAacTest : public testing::TestWithParam<AudioExpectation> {};

TEST_P(IsoFixtureAacTest, EsdsDescribesAacLc) {
  const AudioExpectation& want = GetParam();
  auto file = Open(want.file);
  ASSERT_TRUE(file);
  const IsoTrack* audio = file->Track(file->FindTrackId(want.trackIndex));
  ASSERT_TRUE(audio);
  EXPECT_EQ(audio->GetTimeScale(), 44100u);
  EXPECT_EQ(audio->GetAudioChannels(), want.channels);
  EXPECT_EQ(audio->GetEsdsObjectTypeId(), 0x40);
  EXPECT_EQ(audio->GetAudioMpeg4Type(), 2);
  const auto config = audio->GetESConfiguration();
  ASSERT_GE(config.size(), want.config.size());
  EXPECT_TRUE(std::equal(want.config.begin(), want.config.end(), config.begin()));
  // Every AAC frame lasts 1024 samples but the last, which ends with the audio.
  EXPECT_EQ(audio->GetSampleDuration(1), 1024u);
  EXPECT_EQ(audio->GetFixedSampleDuration(), MP4_INVALID_DURATION);
  EXPECT_GT(audio->GetBitRate(), 8000u);
  EXPECT_LT(audio->GetBitRate(), 512000u);
  EXPECT_EQ(audio->GetVideoWidth(), 0);
  uint64_t total = 0;
  for (MP4SampleId id = 1; id <= audio->GetNumberOfSamples(); ++id) total += audio->GetSampleDuration(id);
  EXPECT_DOUBLE_EQ(audio->GetVideoFrameRate(), audio->GetNumberOfSamples() * 44100.0 / static_cast<double>(total));
}

INSTANTIATE_TEST_SUITE_P(Iso, IsoFixtureAacTest,
                         // The sine source is mono.
                         testing::Values(AudioExpectation{"mp4_h264_aac.mp4", 1, 1, {0x12, 0x08}},
                                         AudioExpectation{"mov_h264_aac.mov", 1, 1, {0x12, 0x08}},
                                         AudioExpectation{"3gp_h264_aac.3gp", 1, 1, {0x12, 0x08}},
                                         AudioExpectation{"m4a_aac.m4a", 0, 1, {0x12, 0x08}}));

TEST(IsoFixtureTest, Ac3TrackHasDac3Fields) {
  auto file = Open("mp4_h264_ac3.mp4");
  ASSERT_TRUE(file);
  const IsoTrack* audio = file->Track(file->FindTrackId(1));
  ASSERT_TRUE(audio);
  const auto ac3 = audio->GetAc3Specific();
  ASSERT_TRUE(ac3);
  EXPECT_EQ(ac3->fscod, 0);  // 48 kHz
  EXPECT_EQ(ac3->bsid, 8);
  EXPECT_EQ(ac3->acmod, 1);  // the sine source is mono: 1/0
  EXPECT_EQ(ac3->lfeon, 0);
  EXPECT_EQ(audio->GetTimeScale(), 48000u);
  EXPECT_EQ(audio->GetAudioChannels(), 1);  // from acmod, not the entry's fixed 2
  EXPECT_EQ(audio->GetEsdsObjectTypeId(), 0);
  EXPECT_FALSE(file->Track(file->FindTrackId(0))->GetAc3Specific());
}

TEST(IsoFixtureTest, TextTrackIsDescribedByName) {
  auto file = Open("mp4_h264_text.mp4");
  ASSERT_TRUE(file);
  const IsoTrack* text = file->Track(file->FindTrackId(1));
  ASSERT_TRUE(text);
  EXPECT_EQ(text->GetAudioChannels(), 0);
  EXPECT_TRUE(text->GetESConfiguration().empty());
  MP4Sample sample;
  ASSERT_TRUE(text->ReadSample(1, sample));
  // A text sample is a 16-bit length and the UTF-8 text.
  ASSERT_GE(sample.bytes.size(), 7u);
  EXPECT_EQ(std::string(sample.bytes.begin() + 2, sample.bytes.begin() + 7), "Hello");
}

}  // namespace
}  // namespace korvel::iso
