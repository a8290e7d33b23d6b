// The writer checked by reading its files back: with our reader, with ffprobe and by decoding
// them with ffmpeg; and its refusals and failures.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "mp4/iso/box_reader.h"
#include "mp4/iso/iso_file.h"
#include "mp4/iso/iso_writer.h"
#include "support/cli_run.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace korvel::iso {
namespace {

std::vector<uint8_t> FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string RunCommand(const std::string& command) { return test::RunCommand(command).out; }

bool HaveFfmpeg() { return std::system("ffprobe -version >/dev/null 2>&1 && ffmpeg -version >/dev/null 2>&1") == 0; }

nlohmann::json Probe(const std::filesystem::path& file) {
  return nlohmann::json::parse(RunCommand("ffprobe -v error -show_streams -show_packets -of json '" + file.string() + "'"));
}

std::unique_ptr<IsoFile> Open(const std::filesystem::path& file) {
  std::string error;
  auto movie = IsoFile::Read(file, &error);
  EXPECT_TRUE(movie) << file << ": " << error;
  return movie;
}

// The box at path ("moov/trak/tkhd" ...) in a file's box tree; the first at each level.
const Box* FindBox(const std::vector<Box>& boxes, std::string_view path) {
  const std::vector<Box>* level = &boxes;
  const Box* found = nullptr;
  while (!path.empty()) {
    const std::string_view name = path.substr(0, 4);
    path.remove_prefix(std::min<size_t>(path.size(), 5));
    found = nullptr;
    for (const Box& box : *level)
      if (BoxTypeChars(box.type) == name) found = &box;
    if (!found) return nullptr;
    level = &found->children;
  }
  return found;
}

std::vector<Box> ParseFile(const std::vector<uint8_t>& bytes) {
  std::vector<Box> boxes;
  BoxWalkState state;
  std::string error;
  EXPECT_TRUE(ParseBoxes(ByteView(bytes), 0, 0, state, boxes, &error)) << error;
  return boxes;
}

// Copies every track of source, the samples interleaved by decode time as the producer writes them.
void CopyMovie(const IsoFile& source, const std::filesystem::path& out, bool use64BitData) {
  std::string error;
  auto writer = IsoWriter::Create(out, use64BitData, &error);
  ASSERT_TRUE(writer) << error;
  writer->SetTimeScale(90000);
  std::vector<const IsoTrack*> tracks;
  for (uint32_t i = 0; i < source.GetNumberOfTracks(); ++i) {
    const IsoTrack* t = source.Track(source.FindTrackId(i));
    tracks.push_back(t);
    ASSERT_EQ(writer->AddTrackFromSampleEntry(t->GetType(), t->GetSampleDescriptionEntry(), t->GetTimeScale(),
                                              t->GetLanguage()),
              i + 1);
  }
  std::vector<MP4SampleId> next(tracks.size(), 1);
  for (;;) {
    std::optional<size_t> earliest;
    for (size_t i = 0; i < tracks.size(); ++i) {
      if (next[i] > tracks[i]->GetNumberOfSamples()) continue;
      const double at = double(tracks[i]->GetSampleTime(next[i])) / tracks[i]->GetTimeScale();
      const auto& e = earliest;
      if (!e || at < double(tracks[*e]->GetSampleTime(next[*e])) / tracks[*e]->GetTimeScale()) earliest = i;
    }
    if (!earliest) break;
    MP4Sample sample;
    ASSERT_TRUE(tracks[*earliest]->ReadSample(next[*earliest]++, sample, &error)) << error;
    ASSERT_TRUE(writer->WriteSample(static_cast<MP4TrackId>(*earliest + 1), sample.bytes, sample.duration,
                                    sample.renderingOffset, sample.isSyncSample, &error))
        << error;
  }
  ASSERT_TRUE(writer->Close(&error)) << error;
}

struct RoundTrip {
  const char* fixture;
  bool use64BitData;
};

class IsoWriterRoundTripTest : public testing::TestWithParam<RoundTrip> {};

TEST_P(IsoWriterRoundTripTest, CopyReadsBackLikeItsSource) {
  const RoundTrip& p = GetParam();
  test::TempDir dir;
  const std::filesystem::path out = dir / "copy.mp4";
  auto source = Open(test::Fixture(p.fixture));
  ASSERT_TRUE(source);
  CopyMovie(*source, out, p.use64BitData);
  auto copy = Open(out);
  ASSERT_TRUE(copy);

  EXPECT_EQ(copy->GetTimeScale(), 90000u);
  ASSERT_EQ(copy->GetNumberOfTracks(), source->GetNumberOfTracks());
  MP4Duration longest = 0;
  for (uint32_t i = 0; i < source->GetNumberOfTracks(); ++i) {
    const IsoTrack& from = *source->Track(source->FindTrackId(i));
    const IsoTrack& to = *copy->Track(copy->FindTrackId(i));
    EXPECT_EQ(to.GetId(), i + 1);
    EXPECT_EQ(to.GetType(), from.GetType());
    EXPECT_EQ(to.GetMediaDataName(), from.GetMediaDataName());
    EXPECT_EQ(to.GetLanguage(), from.GetLanguage());
    EXPECT_EQ(to.GetTimeScale(), from.GetTimeScale());
    EXPECT_EQ(to.GetSampleDescriptionEntry(), from.GetSampleDescriptionEntry());
    ASSERT_EQ(to.GetNumberOfSamples(), from.GetNumberOfSamples());
    MP4Duration total = 0;
    for (MP4SampleId id = 1; id <= from.GetNumberOfSamples(); ++id) {
      MP4Sample a, b;
      ASSERT_TRUE(from.ReadSample(id, a));
      ASSERT_TRUE(to.ReadSample(id, b));
      ASSERT_EQ(b.bytes, a.bytes) << "track " << i << " sample " << id;
      EXPECT_EQ(b.startTime, a.startTime);
      EXPECT_EQ(b.duration, a.duration);
      EXPECT_EQ(b.renderingOffset, a.renderingOffset);
      EXPECT_EQ(b.isSyncSample, a.isSyncSample);
      total += a.duration;
    }
    EXPECT_EQ(to.GetDuration(), total);
    longest = std::max(longest, IsoFile::ConvertDuration(total, from.GetTimeScale(), 90000));
  }
  EXPECT_EQ(copy->GetDuration(), longest);

  // ftyp, then the media data with the header the flag asks for, then the movie.
  const std::vector<uint8_t> bytes = FileBytes(out);
  const std::vector<Box> boxes = ParseFile(bytes);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(BoxTypeChars(boxes[0].type), "ftyp");
  EXPECT_EQ(BoxTypeChars(boxes[1].type), "mdat");
  EXPECT_EQ(BoxTypeChars(boxes[2].type), "moov");
  const ByteView mdat = ByteView(bytes).Sub(boxes[1].fileOffset, boxes[2].fileOffset - boxes[1].fileOffset);
  if (p.use64BitData) {
    EXPECT_EQ(mdat.U32BE(0), 1u);
    EXPECT_EQ(mdat.U64BE(8), mdat.size());
  } else {
    EXPECT_EQ(mdat.U32BE(0), mdat.size());
  }
}

TEST_P(IsoWriterRoundTripTest, CopyProbesAndDecodesLikeItsSource) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffprobe and ffmpeg are not installed";
  const RoundTrip& p = GetParam();
  test::TempDir dir;
  const std::filesystem::path out = dir / "copy.mp4";
  auto source = Open(test::Fixture(p.fixture));
  ASSERT_TRUE(source);
  CopyMovie(*source, out, p.use64BitData);

  const nlohmann::json want = Probe(test::Fixture(p.fixture));
  const nlohmann::json got = Probe(out);
  ASSERT_EQ(got["streams"].size(), want["streams"].size());
  for (size_t i = 0; i < want["streams"].size(); ++i) {
    for (const char* field : {"codec_type", "codec_name", "time_base"})
      EXPECT_EQ(got["streams"][i][field], want["streams"][i][field]) << "stream " << i << " " << field;
  }
  // Packets per stream in order, against the samples as our reader sees them in the source.
  std::map<int, std::vector<nlohmann::json>> packets;
  for (const nlohmann::json& packet : got["packets"]) packets[packet["stream_index"].get<int>()].push_back(packet);
  for (uint32_t i = 0; i < source->GetNumberOfTracks(); ++i) {
    const IsoTrack& track = *source->Track(source->FindTrackId(i));
    const std::vector<nlohmann::json>& list = packets[static_cast<int>(i)];
    ASSERT_EQ(list.size(), track.GetNumberOfSamples()) << "stream " << i;
    for (MP4SampleId id = 1; id <= track.GetNumberOfSamples(); ++id) {
      const nlohmann::json& packet = list[id - 1];
      const int64_t dts = static_cast<int64_t>(track.GetSampleTime(id));
      EXPECT_EQ(packet["dts"].get<int64_t>(), dts) << "stream " << i << " sample " << id;
      EXPECT_EQ(packet["pts"].get<int64_t>(), dts + track.GetSampleRenderingOffset(id));
      EXPECT_EQ(std::stoull(packet["size"].get<std::string>()), track.GetSampleSize(id));
      EXPECT_EQ(packet["flags"].get<std::string>().starts_with("K"), track.GetSampleSync(id));
    }
  }
  EXPECT_EQ(RunCommand("ffmpeg -nostdin -v error -i '" + out.string() + "' -f null - 2>&1"), "");
}

INSTANTIATE_TEST_SUITE_P(IsoWriterFixtures, IsoWriterRoundTripTest,
                         testing::Values(RoundTrip{"mp4_h264_aac.mp4", false}, RoundTrip{"mp4_h264_aac.mp4", true},
                                         RoundTrip{"mp4_h264_bframes.mp4", true},
                                         RoundTrip{"mp4_h264_ac3.mp4", false},
                                         RoundTrip{"mp4_h264_text.mp4", false}),
                         [](const testing::TestParamInfo<RoundTrip>& info) {
                           std::string name = info.param.fixture;
                           name = name.substr(0, name.find('.'));
                           return name + (info.param.use64BitData ? "_64" : "_32");
                         });

// The first video sample entry of the H.264 fixture, for tracks made up by a test.
std::vector<uint8_t> VideoEntry() {
  auto source = Open(test::Fixture("mp4_h264_aac.mp4"));
  for (uint32_t i = 0; source && i < source->GetNumberOfTracks(); ++i) {
    const IsoTrack* t = source->Track(source->FindTrackId(i));
    if (t->GetType() == "vide") return t->GetSampleDescriptionEntry();
  }
  ADD_FAILURE() << "no video track in the fixture";
  return {};
}

struct OffsetCase {
  const char* name;
  std::vector<int64_t> renderingOffsets;
  std::vector<bool> sync;
  std::optional<uint8_t> cttsVersion;  // nothing: no ctts
  bool hasStss;
};

class IsoWriterOffsetTest : public testing::TestWithParam<OffsetCase> {};

TEST_P(IsoWriterOffsetTest, RenderingOffsetsAndSyncFlagsReadBack) {
  const OffsetCase& c = GetParam();
  test::TempDir dir;
  const std::filesystem::path out = dir / "offsets.mp4";
  std::string error;
  auto writer = IsoWriter::Create(out, false, &error);
  ASSERT_TRUE(writer) << error;
  const MP4TrackId track = writer->AddTrackFromSampleEntry("vide", VideoEntry(), 1000, "eng");
  ASSERT_EQ(track, 1u);
  for (size_t i = 0; i < c.sync.size(); ++i) {
    const std::vector<uint8_t> bytes(10 + i, static_cast<uint8_t>(i));
    ASSERT_TRUE(writer->WriteSample(track, bytes, 40, c.renderingOffsets[i], c.sync[i], &error)) << error;
  }
  ASSERT_TRUE(writer->Close(&error)) << error;

  auto movie = Open(out);
  ASSERT_TRUE(movie);
  const IsoTrack& t = *movie->Track(1);
  EXPECT_EQ(t.GetLanguage(), "eng");
  ASSERT_EQ(t.GetNumberOfSamples(), c.sync.size());
  for (MP4SampleId id = 1; id <= c.sync.size(); ++id) {
    MP4Sample sample;
    ASSERT_TRUE(t.ReadSample(id, sample, &error)) << error;
    EXPECT_EQ(sample.bytes, std::vector<uint8_t>(10 + id - 1, static_cast<uint8_t>(id - 1)));
    EXPECT_EQ(sample.startTime, 40u * (id - 1));
    EXPECT_EQ(sample.renderingOffset, c.renderingOffsets[id - 1]);
    EXPECT_EQ(sample.isSyncSample, c.sync[id - 1]);
  }
  const std::vector<uint8_t> bytes = FileBytes(out);
  const std::vector<Box> boxes = ParseFile(bytes);
  const Box* ctts = FindBox(boxes, "moov/trak/mdia/minf/stbl/ctts");
  ASSERT_EQ(ctts != nullptr, c.cttsVersion.has_value());
  if (ctts) {
    EXPECT_EQ(ctts->payload.U8(0), *c.cttsVersion);
  }
  EXPECT_EQ(FindBox(boxes, "moov/trak/mdia/minf/stbl/stss") != nullptr, c.hasStss);
}

INSTANTIATE_TEST_SUITE_P(
    IsoWriterOffsets, IsoWriterOffsetTest,
    testing::Values(OffsetCase{"NoOffsetsAllSync", {0, 0, 0}, {true, true, true}, std::nullopt, false},
                    OffsetCase{"PositiveOffsets", {80, 0, 40, 0}, {true, false, false, true}, 0, true},
                    OffsetCase{"NegativeOffsets", {0, -40, 40, -40}, {true, false, false, false}, 1, true}),
    [](const testing::TestParamInfo<OffsetCase>& info) { return std::string(info.param.name); });

// Fields of a full box's payload, 32-bit each (version 0 boxes).
uint32_t Field(const Box* box, size_t index) { return box->payload.U32BE(4 + 4 * index).value_or(0xffffffff); }

TEST(IsoWriterTest, TimescalesDurationsEditsAndSize) {
  test::TempDir dir;
  const std::filesystem::path out = dir / "times.mp4";
  std::string error;
  auto writer = IsoWriter::Create(out, true, &error);
  ASSERT_TRUE(writer) << error;
  writer->SetTimeScale(600);
  const MP4TrackId video = writer->AddTrackFromSampleEntry("vide", VideoEntry(), 1000, "und");
  ASSERT_TRUE(writer->SetTrackTimeScale(video, 90000));
  ASSERT_TRUE(writer->SetTrackFixedSampleDuration(video, 3600));
  ASSERT_TRUE(writer->SetTrackVideoSize(video, 320, 240));
  const MP4TrackId edited = writer->AddTrackFromSampleEntry("vide", VideoEntry(), 1000, "und");
  ASSERT_TRUE(writer->AddEditList(edited, 100, 300));
  const std::vector<uint8_t> bytes(16, 7);
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(writer->WriteSample(video, bytes, MP4_INVALID_DURATION, 0, true, &error)) << error;
    ASSERT_TRUE(writer->WriteSample(edited, bytes, 20, 0, true, &error)) << error;
  }
  ASSERT_TRUE(writer->Close(&error)) << error;

  auto movie = Open(out);
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->GetTimeScale(), 600u);
  EXPECT_EQ(movie->GetDuration(), 300u);  // the edit's 300 outlasts the other track's 36000/90000 s = 240
  const IsoTrack& t = *movie->Track(video);
  EXPECT_EQ(t.GetTimeScale(), 90000u);
  EXPECT_EQ(t.GetDuration(), 36000u);
  EXPECT_EQ(t.GetFixedSampleDuration(), 3600u);
  EXPECT_EQ(movie->Track(edited)->GetDuration(), 200u);

  const std::vector<uint8_t> file = FileBytes(out);
  const std::vector<Box> boxes = ParseFile(file);
  std::vector<const Box*> traks;
  for (const Box& b : FindBox(boxes, "moov")->children)
    if (BoxTypeChars(b.type) == "trak") traks.push_back(&b);
  ASSERT_EQ(traks.size(), 2u);
  // tkhd: times, id, reserved, duration, ...; width and height are the last two 16.16 fields.
  const Box* tkhd = FindBox(traks[0]->children, "tkhd");
  EXPECT_EQ(Field(tkhd, 2), video);
  EXPECT_EQ(Field(tkhd, 4), 240u);
  EXPECT_EQ(tkhd->payload.U32BE(tkhd->payload.size() - 8), 320u << 16);
  EXPECT_EQ(tkhd->payload.U32BE(tkhd->payload.size() - 4), 240u << 16);
  const Box* edited_tkhd = FindBox(traks[1]->children, "tkhd");
  EXPECT_EQ(Field(edited_tkhd, 4), 300u);
  // Without a size of its own a visual track shows its sample entry's.
  EXPECT_EQ(edited_tkhd->payload.U32BE(edited_tkhd->payload.size() - 8), uint32_t{movie->Track(edited)->GetVideoWidth()} << 16);
  EXPECT_EQ(FindBox(traks[0]->children, "edts"), nullptr);
  const Box* elst = FindBox(traks[1]->children, "edts/elst");
  ASSERT_NE(elst, nullptr);
  EXPECT_EQ(Field(elst, 0), 1u);    // entries
  EXPECT_EQ(Field(elst, 1), 300u);  // segment duration
  EXPECT_EQ(Field(elst, 2), 100u);  // media time
  EXPECT_EQ(Field(elst, 3), 0x00010000u);
}

TEST(IsoWriterTest, AppendedChildGrowsTheSampleEntry) {
  test::TempDir dir;
  const std::filesystem::path out = dir / "entry.mp4";
  auto writer = IsoWriter::Create(out, false);
  ASSERT_TRUE(writer);
  const std::vector<uint8_t> entry = VideoEntry();
  const MP4TrackId track = writer->AddTrackFromSampleEntry("vide", entry, 25, "und");
  const std::vector<uint8_t> pasp = {0, 0, 0, 16, 'p', 'a', 's', 'p', 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_FALSE(writer->AppendSampleEntryChild(track, std::span(pasp).first(15)));  // size field says 16
  EXPECT_FALSE(writer->AppendSampleEntryChild(track + 1, pasp));
  ASSERT_TRUE(writer->AppendSampleEntryChild(track, pasp));
  ASSERT_TRUE(writer->WriteSample(track, pasp, 1, 0, true));
  ASSERT_TRUE(writer->Close());

  std::vector<uint8_t> want = entry;
  want.insert(want.end(), pasp.begin(), pasp.end());
  const uint32_t size = static_cast<uint32_t>(want.size());
  want[0] = static_cast<uint8_t>(size >> 24);
  want[1] = static_cast<uint8_t>(size >> 16);
  want[2] = static_cast<uint8_t>(size >> 8);
  want[3] = static_cast<uint8_t>(size);
  auto movie = Open(out);
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->Track(track)->GetSampleDescriptionEntry(), want);
}

TEST(IsoWriterTest, RefusesWhatItCannotWrite) {
  test::TempDir dir;
  auto writer = IsoWriter::Create(dir / "refusals.mp4", false);
  ASSERT_TRUE(writer);
  std::vector<uint8_t> entry = VideoEntry();
  EXPECT_EQ(writer->AddTrackFromSampleEntry("vid", entry, 25, "und"), MP4_INVALID_TRACK_ID);
  EXPECT_EQ(writer->AddTrackFromSampleEntry("vide", entry, 0, "und"), MP4_INVALID_TRACK_ID);
  EXPECT_EQ(writer->AddTrackFromSampleEntry("vide", std::span(entry).first(entry.size() - 1), 25, "und"),
            MP4_INVALID_TRACK_ID);
  const MP4TrackId track = writer->AddTrackFromSampleEntry("vide", entry, 25, "und");
  ASSERT_EQ(track, 1u);
  const uint8_t byte = 0;
  std::string error;
  EXPECT_FALSE(writer->WriteSample(2, {&byte, 1}, 1, 0, true, &error));
  EXPECT_NE(error, "");
  error.clear();
  EXPECT_FALSE(writer->WriteSample(track, {&byte, 1}, MP4_INVALID_DURATION, 0, true, &error));
  EXPECT_NE(error, "");
  error.clear();
  EXPECT_FALSE(writer->WriteSample(track, {&byte, 1}, uint64_t{1} << 32, 0, true, &error));
  EXPECT_NE(error, "");
  EXPECT_FALSE(writer->AddEditList(track, -2, 10));
  ASSERT_TRUE(writer->Close(&error)) << error;
  error.clear();
  EXPECT_FALSE(writer->Close(&error));
  EXPECT_NE(error, "");
  EXPECT_FALSE(writer->WriteSample(track, {&byte, 1}, 1, 0, true));
  EXPECT_EQ(writer->AddTrackFromSampleEntry("vide", entry, 25, "und"), MP4_INVALID_TRACK_ID);
}

TEST(IsoWriterTest, CreateInMissingFolderFailsAndLeavesNothing) {
  test::TempDir dir;
  const std::filesystem::path out = dir / "missing" / "out.mp4";
  std::string error;
  EXPECT_EQ(IsoWriter::Create(out, true, &error), nullptr);
  EXPECT_NE(error.find(out.string()), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// A write beyond the file size limit fails with EFBIG: while samples are written once the
// buffer fills, or only when Close flushes it.
struct FailureCase {
  const char* name;
  int samples;  // of 32 KiB each; the writer gathers 256 KiB before it writes
  bool failsWhileWriting;
};

class IsoWriterFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(IsoWriterFailureTest, WriteFailureIsReported) {
  const FailureCase& c = GetParam();
  test::TempDir dir;
  const std::filesystem::path out = dir / "limited.mp4";
  const std::vector<uint8_t> entry = VideoEntry();
  const std::string tooLarge = std::strerror(EFBIG);
  const std::optional<bool> matched = test::RunWithFileSizeLimit(64 * 1024, [&] {
    auto writer = IsoWriter::Create(out, false);
    if (!writer) return false;
    const MP4TrackId track = writer->AddTrackFromSampleEntry("vide", entry, 25, "und");
    const std::vector<uint8_t> bytes(32 * 1024, 1);
    std::string firstError;
    for (int i = 0; i < c.samples && firstError.empty(); ++i) writer->WriteSample(track, bytes, 1, 0, true, &firstError);
    std::string closeError, againError;
    const bool closed = writer->Close(&closeError);
    const bool again = writer->Close(&againError);
    // Once a sample failed, Close reports that same failure.
    const bool sameFailure = c.failsWhileWriting ? closeError == firstError : firstError.empty();
    return !closed && !again && closeError.find(tooLarge) != std::string::npos &&
           closeError.find(out.string()) != std::string::npos && sameFailure && againError != closeError;
  });
  ASSERT_TRUE(matched.has_value());
  EXPECT_TRUE(*matched);
}

INSTANTIATE_TEST_SUITE_P(IsoWriterLimits, IsoWriterFailureTest,
                         testing::Values(FailureCase{"BeyondTheBuffer", 200, true}, FailureCase{"AtClose", 5, false}),
                         [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::iso
