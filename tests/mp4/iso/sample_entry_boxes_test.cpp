// The boxes the writer adds to copied sample entries, and sample entries built from parameters,
// read back by our reader and, for AC-3, decoded by ffmpeg.
#include "mp4/iso/sample_entry_boxes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mp4/iso/box_writer.h"
#include "mp4/iso/iso_file.h"
#include "mp4/iso/iso_writer.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace korvel::iso {
namespace {

// A visual entry with no children but those given: header, reserved fields, 320 x 240.
std::vector<uint8_t> BareVisualEntry(const std::vector<std::vector<uint8_t>>& children = {}) {
  BoxWriter w;
  const size_t entry = w.Begin("avc1");
  w.Zeros(6);
  w.U16(1);
  w.Zeros(16);
  w.U16(320);
  w.U16(240);
  w.U32(0x00480000);
  w.U32(0x00480000);
  w.U32(0);
  w.U16(1);
  w.Zeros(32);
  w.U16(0x18);
  w.U16(0xFFFF);
  for (const auto& child : children) w.Bytes(child);
  w.End(entry);
  return w.Take();
}

size_t CountChildren(const std::vector<uint8_t>& entry, BoxType type) {
  // Remove found boxes one by one: FindEntryChild reports the first only.
  size_t count = 0;
  std::vector<uint8_t> rest = entry;
  while (const auto child = FindEntryChild(rest, EntryKind::Visual, type)) {
    ++count;
    const size_t bodyAt = static_cast<size_t>(child->data() - rest.data());
    const size_t boxAt = bodyAt - (type == MakeBoxType("uuid") ? 24 : 8);
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(boxAt),
               rest.begin() + static_cast<std::ptrdiff_t>(bodyAt + child->size()));
  }
  return count;
}

TEST(SampleEntryBoxesTest, PlayerBoxesFillOnlyWhatTheEntryLacks) {
  test::TempDir dir;
  const auto out = dir / "boxes.mp4";
  auto writer = IsoWriter::Create(out, false);
  ASSERT_TRUE(writer);
  const MP4TrackId bare = writer->AddTrackFromSampleEntry("vide", BareVisualEntry(), 90000);
  const MP4TrackId own = writer->AddTrackFromSampleEntry(
      "vide", BareVisualEntry({MakePixelAspectBox(4, 3), MakeColourBox(1, 1, 1)}), 90000);
  const MP4TrackId sound = writer->AddAc3AudioTrack(48000, {});
  for (const MP4TrackId track : {bare, own}) {
    // Twice: a second call must not add a second box.
    for (int round = 0; round < 2; ++round) {
      EXPECT_TRUE(writer->AddDeviceUuid(track));
      EXPECT_TRUE(writer->AddColr(track, 6, 1, 6));
      EXPECT_TRUE(writer->AddPixelAspectRatio(track, 1, 1));
    }
  }
  EXPECT_FALSE(writer->AddColr(sound, 6, 1, 6));
  EXPECT_EQ(writer->GetPixelAspectRatio(bare), std::make_pair(1U, 1U));
  EXPECT_EQ(writer->GetPixelAspectRatio(own), std::make_pair(4U, 3U));
  const uint8_t byte = 0;
  for (const MP4TrackId track : {bare, own, sound}) ASSERT_TRUE(writer->WriteSample(track, {&byte, 1}, 3600, 0, true));
  std::string error;
  ASSERT_TRUE(writer->Close(&error)) << error;

  const auto movie = IsoFile::Read(out, &error);
  ASSERT_TRUE(movie) << error;
  struct Want {
    MP4TrackId track;
    uint16_t colour;  // primaries and matrix
    uint32_t hSpacing;
  };
  for (const Want& want : {Want{bare, 6, 1}, Want{own, 1, 4}}) {
    SCOPED_TRACE(want.track);
    const std::vector<uint8_t> entry = movie->Track(want.track)->GetSampleDescriptionEntry();
    for (const BoxType type : {MakeBoxType("uuid"), MakeBoxType("colr"), MakeBoxType("pasp")})
      EXPECT_EQ(CountChildren(entry, type), 1U) << BoxTypeText(type);
    const auto uuid = FindEntryChild(entry, EntryKind::Visual, MakeBoxType("uuid"), kDeviceUuid);
    ASSERT_TRUE(uuid);
    EXPECT_EQ(uuid->U32BE(0), 1U);
    const auto colr = FindEntryChild(entry, EntryKind::Visual, MakeBoxType("colr"));
    ASSERT_TRUE(colr);
    EXPECT_TRUE(colr->Matches(0, "nclx"));
    EXPECT_EQ(colr->U16BE(4), want.colour);
    EXPECT_EQ(colr->U16BE(8), want.colour);
    const auto pasp = FindEntryChild(entry, EntryKind::Visual, MakeBoxType("pasp"));
    ASSERT_TRUE(pasp);
    EXPECT_EQ(pasp->U32BE(0), want.hSpacing);
  }
}

// An audio entry long enough to pass for a visual one: its child box straddles where a visual
// entry's children begin, so read as visual it ends in four bytes that are no box.
std::vector<uint8_t> AudioEntryOfVisualLength() {
  BoxWriter w;
  const size_t entry = w.Begin("mp4a");
  w.Zeros(6);
  w.U16(1);
  w.Zeros(8);
  w.U16(2);
  w.U16(16);
  w.Zeros(4);
  w.U32(8000u << 16);
  const size_t child = w.Begin("esds");
  w.Zeros(46);
  w.End(child);
  w.End(entry);
  return w.Take();
}

TEST(SampleEntryBoxesTest, NoPlayerBoxIsAppendedBehindBytesThatAreNoBox) {
  struct Case {
    const char* name;
    std::vector<uint8_t> entry;
  };
  const Case cases[] = {
      {"audio layout under a video handler", AudioEntryOfVisualLength()},
      {"padding after the children", BareVisualEntry({{0, 0, 0, 0}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const auto out = dir / "kept.mp4";
    auto writer = IsoWriter::Create(out, false);
    ASSERT_TRUE(writer);
    const MP4TrackId track = writer->AddTrackFromSampleEntry("vide", c.entry, 90000);
    ASSERT_NE(track, MP4_INVALID_TRACK_ID);
    EXPECT_FALSE(writer->AddDeviceUuid(track));
    EXPECT_FALSE(writer->AddColr(track, 6, 1, 6));
    EXPECT_FALSE(writer->AddPixelAspectRatio(track, 1, 1));
    const uint8_t byte = 0;
    ASSERT_TRUE(writer->WriteSample(track, {&byte, 1}, 3600, 0, true));
    std::string error;
    ASSERT_TRUE(writer->Close(&error)) << error;

    const auto movie = IsoFile::Read(out, &error);
    ASSERT_TRUE(movie) << error;
    EXPECT_EQ(movie->Track(track)->GetSampleDescriptionEntry(), c.entry);
  }
}

TEST(SampleEntryBoxesTest, Ac3TrackBuiltFromItsParametersPlays) {
  test::TempDir dir;
  const auto out = dir / "ac3.mp4";
  std::string error;
  const auto source = IsoFile::Read(test::Fixture("mp4_h264_ac3.mp4"), &error);
  ASSERT_TRUE(source) << error;
  const IsoTrack* audio = nullptr;
  for (uint32_t i = 0; i < source->GetNumberOfTracks(); ++i)
    if (source->Track(source->FindTrackId(i))->GetType() == "soun") audio = source->Track(source->FindTrackId(i));
  ASSERT_TRUE(audio && audio->GetAc3Specific());
  const Ac3SpecificBox ac3 = *audio->GetAc3Specific();

  auto writer = IsoWriter::Create(out, false);
  ASSERT_TRUE(writer);
  const MP4TrackId track = writer->AddAc3AudioTrack(audio->GetTimeScale(), ac3, "eng");
  ASSERT_NE(track, MP4_INVALID_TRACK_ID);
  ASSERT_TRUE(writer->SetTrackAudioChannels(track, 6));
  for (MP4SampleId id = 1; id <= audio->GetNumberOfSamples(); ++id) {
    MP4Sample sample;
    ASSERT_TRUE(audio->ReadSample(id, sample, &error)) << error;
    ASSERT_TRUE(writer->WriteSample(track, sample.bytes, sample.duration, 0, true, &error)) << error;
  }
  ASSERT_TRUE(writer->Close(&error)) << error;

  const auto copy = IsoFile::Read(out, &error);
  ASSERT_TRUE(copy) << error;
  const IsoTrack& built = *copy->Track(track);
  EXPECT_EQ(built.GetMediaDataName(), "ac-3");
  EXPECT_EQ(built.GetTimeScale(), audio->GetTimeScale());
  ASSERT_TRUE(built.GetAc3Specific());
  EXPECT_EQ(built.GetAc3Specific()->acmod, ac3.acmod);
  EXPECT_EQ(built.GetAc3Specific()->bitRateCode, ac3.bitRateCode);
  EXPECT_EQ(built.GetAc3Specific()->fscod, ac3.fscod);
  EXPECT_EQ(built.GetSampleDescriptionEntry()[25], 6);  // the channel field, low byte
  EXPECT_EQ(test::RunCommand("ffmpeg -nostdin -v error -i " + test::Quoted(out) + " -f null - 2>&1").out, "");
}

}  // namespace
}  // namespace korvel::iso
