// The media difference table from hand-made descriptions, compared as the join check leaves them.
#include "mediainfo/difference_rows.h"

#include <gtest/gtest.h>

#include <array>
#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "mediainfo/container_kind.h"
#include "produce/english_texts.h"
#include "support/scoped_env.h"

namespace korvel {
namespace {

using Row = std::array<std::string, 3>;
using Rows = std::vector<Row>;

Rows RowsOf(const TDifferenceRows& rows) {
  EXPECT_EQ(rows.Values1.size(), rows.Labels.size());
  EXPECT_EQ(rows.Values2.size(), rows.Labels.size());
  Rows list;
  for (size_t i = 0; i < rows.Labels.size(); ++i) list.push_back({rows.Labels[i], rows.Values1[i], rows.Values2[i]});
  return list;
}

QdMediaInfo Described(const char* fileName, uint8_t kind, std::vector<QdMediaStream> streams) {
  QdMediaInfo info;
  info.FileName = fileName;
  info.Kind = kind;
  info.SubKind = kind == kKindMp4Family ? kSubKindMp4 : 0;
  info.Streams = std::move(streams);
  return info;
}

QdMediaStream Stream(uint8_t type) {
  QdMediaStream s;
  s.StreamType = type;
  return s;
}

QdMediaStream H264Track() {
  QdMediaStream v = Stream(kStreamVideo);
  v.TrackTypeName = "vide";
  v.MediaDataName = "avc1";
  v.TimeBase = 12800;
  v.Width = 1280;
  v.Height = 720;
  v.Extra1 = {1, 2};
  v.Extra2 = {0x67, 0x42};
  v.Extra3 = {0x68, 0xCE};
  return v;
}

QdMediaStream AacTrack() {
  QdMediaStream a = Stream(kStreamAudio);
  a.TrackTypeName = "soun";
  a.MediaDataName = "mp4a";
  a.TimeBase = 44100;
  a.SampleRate = 44100;
  a.Channels = 2;
  a.Extra1 = {0x12, 0x10};
  return a;
}

QdMediaStream TextTrack() {
  QdMediaStream t = Stream(kStreamText);
  t.TrackTypeName = "text";
  t.MediaDataName = "tx3g";
  t.TimeBase = 1000;
  t.Width = 1280;
  t.Height = 60;
  return t;
}

// The rows before any stream rows, for a.mp4 and b.mp4 with count comparable streams each.
Rows Mp4Opening(const char* count) {
  return {{"", "Reference", "New file"},
          {"File name", "a.mp4", "b.mp4"},
          {"Media Format", "MP4", "MP4"},
          {"Stream Count", count, count}};
}

class DifferenceRowsTest : public test::EnglishTexts {
protected:
  // The table for a and b after the join check has compared them.
  Rows Compare(const QdMediaInfo& a, QdMediaInfo& b) {
    QdMISameChk chk;
    chk.Title1 = "Reference";
    chk.Title2 = "New file";
    EXPECT_FALSE(IsSameFormat(&a, &b, &chk));
    return RowsOf(FormatDifferenceRows(chk));
  }
};

TEST_F(DifferenceRowsTest, OtherFamiliesShowOnlyNamesAndKinds) {
  const QdMediaInfo a = Described("/clips/holiday/a.avi", kKindAvi, {Stream(kStreamVideo)});
  QdMediaInfo b = Described("/elsewhere/b.mp4", kKindMp4Family, {H264Track()});
  EXPECT_EQ(Compare(a, b), (Rows{{"", "Reference", "New file"},
                                 {"File name", "a.avi", "b.mp4"},
                                 {"Media Format", "AVI", "MP4"}}));
}

TEST_F(DifferenceRowsTest, UnequalCountsStopAfterTheCountRow) {
  const QdMediaInfo a = Described("a.mp4", kKindMp4Family, {H264Track(), AacTrack()});
  const QdMediaInfo b = Described("b.mp4", kKindMp4Family, {H264Track()});
  // A stream pair left over from an earlier comparison must not be reported.
  const QdMISameChk chk{"Reference", "New file", &a, &b, &a.Streams[1], &b.Streams[0]};
  Rows expected = Mp4Opening("2");
  expected.back() = {"Stream Count", "2", "1"};
  EXPECT_EQ(RowsOf(FormatDifferenceRows(chk)), expected);
}

TEST_F(DifferenceRowsTest, AsfStreamsOtherThanVideoAndAudioHaveNoCodecRow) {
  const QdMediaInfo a = Described("a.wmv", kKindAsf, {Stream(kStreamText)});
  QdMediaInfo b = Described("b.wmv", kKindAsf, {Stream(kStreamData)});
  EXPECT_EQ(Compare(a, b), (Rows{{"", "Reference", "New file"},
                                 {"File name", "a.wmv", "b.wmv"},
                                 {"Media Format", "ASF (WMV)", "ASF (WMV)"},
                                 {"Stream Count", "1", "1"},
                                 {"Stream Type", "Subtitle", "Data"},
                                 {"Stream Description", "", ""}}));
}

TEST_F(DifferenceRowsTest, NoRowsWithoutBothDescriptions) {
  const QdMediaInfo a = Described("a.mp4", kKindMp4Family, {});
  EXPECT_TRUE(FormatDifferenceRows(QdMISameChk{"Reference", "New file", &a, nullptr}).Labels.empty());
}

struct Mp4Case {
  const char* name;
  QdMediaStream track;
  std::function<void(QdMediaStream&)> change;  // applied to the new file's track
  Rows rows;                                   // after the opening rows
};

void PrintTo(const Mp4Case& c, std::ostream* os) { *os << c.name; }

class Mp4DifferenceRowsTest : public DifferenceRowsTest, public testing::WithParamInterface<Mp4Case> {};

TEST_P(Mp4DifferenceRowsTest, ListsTheTrackPairThatDiffers) {
  const Mp4Case& c = GetParam();
  const QdMediaInfo a = Described("a.mp4", kKindMp4Family, {c.track});
  QdMediaInfo b = Described("b.mp4", kKindMp4Family, {c.track});
  c.change(b.Streams[0]);
  Rows expected = Mp4Opening("1");
  expected.insert(expected.end(), c.rows.begin(), c.rows.end());
  EXPECT_EQ(Compare(a, b), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, Mp4DifferenceRowsTest,
    testing::Values(
        Mp4Case{"picture parameters, video time scale aside", H264Track(),
                [](QdMediaStream& s) {
                  s.Extra3[1] = 0xCF;
                  s.TimeBase = 90000;
                },
                {{"Stream Type", "Video", "Video"},
                 {"Video Codec", "avc1", "avc1"},
                 {"Video Size", "1280 x 720", "1280 x 720"},
                 {"H264", "Picture Parameter", "Picture Parameter"},
                 {"Picture Parameter", "@1: CE", "@1: CF"}}},
        Mp4Case{"sequence parameters longer", H264Track(), [](QdMediaStream& s) { s.Extra2.push_back(0); },
                {{"Stream Type", "Video", "Video"},
                 {"Video Codec", "avc1", "avc1"},
                 {"Video Size", "1280 x 720", "1280 x 720"},
                 {"H264", "Sequence Parameter", "Sequence Parameter"},
                 {"Sequence Parameter", "2 bytes", "3 bytes"}}},
        Mp4Case{"audio rate and channels, configuration not named", AacTrack(),
                [](QdMediaStream& s) {
                  s.SampleRate = 48000;
                  s.Channels = 1;
                  s.Extra1 = {0x11, 0x88};
                },
                {{"Stream Type", "Audio", "Audio"},
                 {"Audio Codec", "mp4a", "mp4a"},
                 {"Audio Sample rate", "44100", "48000"},
                 {"Audio Channels", "2", "1"}}},
        Mp4Case{"reference rate unknown",
                [] {
                  QdMediaStream s = AacTrack();
                  s.SampleRate = 0;
                  return s;
                }(),
                [](QdMediaStream& s) {
                  s.SampleRate = 48000;
                  s.Channels = 6;
                },
                {{"Stream Type", "Audio", "Audio"}, {"Audio Codec", "mp4a", "mp4a"}, {"Audio Channels", "2", "6"}}},
        Mp4Case{"audio time scale", AacTrack(), [](QdMediaStream& s) { s.TimeBase = 48000; },
                {{"Stream Type", "Audio", "Audio"},
                 {"Time Scale", "44100", "48000"},
                 {"Audio Codec", "mp4a", "mp4a"},
                 {"Audio Sample rate", "44100", "44100"},
                 {"Audio Channels", "2", "2"}}},
        Mp4Case{"audio configuration blocks", AacTrack(),
                [](QdMediaStream& s) {
                  s.Format = {1};
                  s.Extra1[1] = 0x08;
                },
                {{"Stream Type", "Audio", "Audio"},
                 {"Audio Codec", "mp4a", "mp4a"},
                 {"Audio Sample rate", "44100", "44100"},
                 {"Audio Channels", "2", "2"},
                 {"Audio", "Format (Or Params)", "Format (Or Params)"},
                 {"Audio", "ES Configuration", "ES Configuration"},
                 {"Format", "0 bytes", "1 bytes"}}},
        Mp4Case{"subtitle size and time scale", TextTrack(),
                [](QdMediaStream& s) {
                  s.Height = 80;
                  s.TimeBase = 600;
                },
                {{"Stream Type", "Subtitle", "Subtitle"},
                 {"Time Scale", "1000", "600"},
                 {"Subtitle Size", "1280 x 60", "1280 x 80"}}}));


QdMediaStream AviVideo() {
  QdMediaStream v = Stream(kStreamVideo);
  v.FourCC = FourCCFromText("DIV3");
  v.FourCCClass = FourCCFromText("mp43");
  v.Rate = 25;
  v.Scale = 1;
  v.RateX1000 = 25000;
  v.Width = 320;
  v.Height = 240;
  return v;
}

// A 44100 Hz stereo 16-bit PCM stream with its WAVEFORMATEX.
QdMediaStream AviPcm() {
  QdMediaStream a = Stream(kStreamAudio);
  a.FourCC = 1;
  a.Rate = 44100;
  a.Scale = 1;
  a.RateX1000 = 44100000;
  a.Format = {0x01, 0x00, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1, 0x02, 0x00, 0x04, 0x00, 0x10, 0x00, 0x00, 0x00};
  return a;
}

struct AviCase {
  const char* name;
  QdMediaStream stream;
  std::function<void(QdMediaStream&)> change;  // applied to the new file's stream
  Rows rows;                                   // after the stream type row
};

void PrintTo(const AviCase& c, std::ostream* os) { *os << c.name; }

class AviDifferenceRowsTest : public DifferenceRowsTest, public testing::WithParamInterface<AviCase> {
  // Numbers in the rows follow the user's locale; this one writes them the classic way.
  test::ScopedEnv locale_{"LC_ALL", "C"};
};

TEST_P(AviDifferenceRowsTest, ListsTheStreamPairThatDiffers) {
  const AviCase& c = GetParam();
  const QdMediaInfo a = Described("a.avi", kKindAvi, {c.stream});
  QdMediaInfo b = Described("b.avi", kKindAvi, {c.stream});
  c.change(b.Streams[0]);
  const std::string type = StreamTypeWord(c.stream.StreamType);
  Rows expected{{"", "Reference", "New file"},
                {"File name", "a.avi", "b.avi"},
                {"Media Format", "AVI", "AVI"},
                {"Stream Count", "1", "1"},
                {"Stream Type", type, type}};
  expected.insert(expected.end(), c.rows.begin(), c.rows.end());
  EXPECT_EQ(Compare(a, b), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, AviDifferenceRowsTest,
    testing::Values(
        AviCase{"video codec family", AviVideo(),
                [](QdMediaStream& s) {
                  s.FourCC = FourCCFromText("XVID");
                  s.FourCCClass = FourCCFromText("xvid");
                },
                {{"Frame rate", "25.000", "25.000"},
                 {"Video Codec", "DIV3", "XVID"},
                 {"Video Size", "320 x 240", "320 x 240"}}},
        AviCase{"video frame rate and size", AviVideo(),
                [](QdMediaStream& s) {
                  s.RateX1000 = 29970;
                  s.Height = 480;
                },
                {{"Frame rate", "25.000", "29.970"},
                 {"Video Codec", "DIV3", "DIV3"},
                 {"Video Size", "320 x 240", "320 x 480"}}},
        AviCase{"audio format bytes", AviPcm(),
                [](QdMediaStream& s) {
                  s.RateX1000 = 48000000;
                  s.Format[4] = 0x80;  // 48000 Hz
                  s.Format[5] = 0xBB;
                },
                {{"Frame rate", "44100.0", "48000.0"},
                 {"Audio Format", "PCM, 44,100 Hz, 16 bits, Stereo", "PCM, 48,000 Hz, 16 bits, Stereo"}}},
        AviCase{"audio without a format", AviPcm(), [](QdMediaStream& s) { s.Format.clear(); },
                {{"Frame rate", "44100.0", "44100.0"}, {"Audio Format", "PCM, 44,100 Hz, 16 bits, Stereo", "-"}}},
        AviCase{"audio rate alone: equal formats are not listed", AviPcm(),
                [](QdMediaStream& s) { s.RateX1000 = 22050000; },
                {{"Frame rate", "44100.0", "22050.0"}}},
        AviCase{"text streams: only the field refused", Stream(kStreamText),
                [](QdMediaStream& s) { s.RateX1000 = 1000; }, {{"Frame rate", "0.000", "1.000"}}},
        AviCase{"audio block align: the format texts read alike", AviPcm(),
                [](QdMediaStream& s) { s.Format[12] = 0x02; },
                {{"Frame rate", "44100.0", "44100.0"},
                 {"Audio Format", "PCM, 44,100 Hz, 16 bits, Stereo", "PCM, 44,100 Hz, 16 bits, Stereo"},
                 {"nBlockAlign", "4", "2"}}}));


// Whatever one field of one stream makes the join check refuse, the table shows a row whose two
// values differ, past the headings and file names: the user always sees why.
using StreamChange = std::pair<std::string, std::function<void(QdMediaStream&)>>;

template <auto Field>
void AddBlockChanges(const char* name, std::vector<StreamChange>& changes) {
  constexpr size_t kBytes = 24;
  for (size_t i = 0; i < kBytes; ++i)
    changes.emplace_back(std::string(name) + " byte " + std::to_string(i), [i](QdMediaStream& s) {
      if (i < (s.*Field).size()) (s.*Field)[i] ^= 0x41;
    });
  changes.emplace_back(std::string(name) + " longer", [](QdMediaStream& s) { (s.*Field).push_back(7); });
  changes.emplace_back(std::string(name) + " empty", [](QdMediaStream& s) { (s.*Field).clear(); });
}

template <auto Field>
void AddNumberChanges(const char* name, std::vector<StreamChange>& changes) {
  changes.emplace_back(std::string(name) + " + 1", [](QdMediaStream& s) { s.*Field += 1; });
  changes.emplace_back(std::string(name) + " + 1000", [](QdMediaStream& s) { s.*Field += 1000; });
  changes.emplace_back(std::string(name) + " 0", [](QdMediaStream& s) { s.*Field = 0; });
}

std::vector<StreamChange> EveryFieldChange() {
  std::vector<StreamChange> changes;
  for (uint8_t type = kStreamOther; type <= kStreamData; ++type)
    changes.emplace_back("type " + std::to_string(type), [type](QdMediaStream& s) { s.StreamType = type; });
  AddNumberChanges<&QdMediaStream::Index>("Index", changes);
  AddNumberChanges<&QdMediaStream::FourCC>("FourCC", changes);
  AddNumberChanges<&QdMediaStream::FourCCClass>("FourCCClass", changes);
  AddNumberChanges<&QdMediaStream::Rate>("Rate", changes);
  AddNumberChanges<&QdMediaStream::Scale>("Scale", changes);
  AddNumberChanges<&QdMediaStream::RateX1000>("RateX1000", changes);
  AddNumberChanges<&QdMediaStream::Width>("Width", changes);
  AddNumberChanges<&QdMediaStream::Height>("Height", changes);
  AddNumberChanges<&QdMediaStream::DisplayHeight>("DisplayHeight", changes);
  AddNumberChanges<&QdMediaStream::VbrMode>("VbrMode", changes);
  AddNumberChanges<&QdMediaStream::BitRate>("BitRate", changes);
  AddNumberChanges<&QdMediaStream::TimeBase>("TimeBase", changes);
  AddNumberChanges<&QdMediaStream::CodecId>("CodecId", changes);
  AddNumberChanges<&QdMediaStream::PixelFormat>("PixelFormat", changes);
  AddNumberChanges<&QdMediaStream::SampleRate>("SampleRate", changes);
  AddNumberChanges<&QdMediaStream::Channels>("Channels", changes);
  AddNumberChanges<&QdMediaStream::SampleFormat>("SampleFormat", changes);
  AddNumberChanges<&QdMediaStream::FrameSize>("FrameSize", changes);
  AddNumberChanges<&QdMediaStream::EsdsObjectType>("EsdsObjectType", changes);
  AddNumberChanges<&QdMediaStream::Mpeg4AudioType>("Mpeg4AudioType", changes);
  AddBlockChanges<&QdMediaStream::Format>("Format", changes);
  AddBlockChanges<&QdMediaStream::Extra1>("Extra1", changes);
  AddBlockChanges<&QdMediaStream::Extra2>("Extra2", changes);
  AddBlockChanges<&QdMediaStream::Extra3>("Extra3", changes);
  for (size_t i = 0; i < 3; ++i)
    changes.emplace_back("guid " + std::to_string(i), [i](QdMediaStream& s) { s.MediaTypeGuids[i].bytes[15] ^= 1; });
  for (size_t i = 0; i < 6; ++i)
    changes.emplace_back("ac3 " + std::to_string(i), [i](QdMediaStream& s) { s.Ac3Params[i] ^= 1; });
  changes.emplace_back("ignored", [](QdMediaStream& s) { s.Ignored = !s.Ignored; });
  changes.emplace_back("CodecName", [](QdMediaStream& s) { s.CodecName += "x"; });
  changes.emplace_back("CodecDesc", [](QdMediaStream& s) { s.CodecDesc += "x"; });
  changes.emplace_back("TrackTypeName", [](QdMediaStream& s) { s.TrackTypeName = "hint"; });
  changes.emplace_back("MediaDataName", [](QdMediaStream& s) { s.MediaDataName = "hvc1"; });
  changes.emplace_back("Language", [](QdMediaStream& s) { s.Language = "fra"; });
  return changes;
}

QdMediaStream AsfStream(uint8_t type, uint8_t tag) {
  QdMediaStream s = Stream(type);
  s.MediaTypeGuids[0].bytes[0] = tag;
  s.MediaTypeGuids[1].bytes[0] = tag + 1;
  s.MediaTypeGuids[2].bytes[0] = tag + 2;
  s.CodecName = "Codec " + std::to_string(tag);
  s.CodecDesc = "Description " + std::to_string(tag);
  if (type == kStreamVideo) {
    s.Width = 320;
    s.Height = 240;
    s.RateX1000 = 25000;
  } else {
    s.BitRate = 64000;
  }
  return s;
}

QdMediaStream FfmStream(uint8_t type) {
  QdMediaStream s = Stream(type);
  s.TimeBase = 11;
  s.RateX1000 = type == kStreamVideo ? 25000 : 0;
  s.CodecId = type == kStreamVideo ? 2 : type == kStreamAudio ? 86016 : 0;
  s.Width = type == kStreamAudio ? 0 : 720;
  s.Height = type == kStreamAudio ? 0 : 576;
  s.DisplayHeight = static_cast<uint32_t>(s.Height);
  if (type == kStreamAudio) {
    s.SampleRate = 48000;
    s.Channels = 2;
    s.SampleFormat = 8;
    s.FrameSize = 1152;
  }
  return s;
}

QdMediaStream AviMp3WithCodecBytes() {
  QdMediaStream a = AviPcm();
  a.Format = {0x55, 0x00, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x90, 0x0F, 0x00, 0x00,
              0x80, 0x04, 0x00, 0x00, 0x0C, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00};
  return a;
}

struct FamilyCase {
  const char* name;
  uint8_t kind;
  std::vector<QdMediaStream> streams;
};

void PrintTo(const FamilyCase& c, std::ostream* os) { *os << c.name; }

class RefusalRowsTest : public DifferenceRowsTest, public testing::WithParamInterface<FamilyCase> {
  test::ScopedEnv locale_{"LC_ALL", "C"};
};

TEST_P(RefusalRowsTest, EveryRefusalShowsARowThatDiffers) {
  const FamilyCase& c = GetParam();
  const QdMediaInfo a = Described("same name", c.kind, c.streams);
  size_t refusals = 0;
  for (size_t stream = 0; stream < c.streams.size(); ++stream) {
    for (const auto& [name, change] : EveryFieldChange()) {
      QdMediaInfo b = Described("same name", c.kind, c.streams);
      change(b.Streams[stream]);
      QdMISameChk chk;
      if (IsSameFormat(&a, &b, &chk)) continue;
      ++refusals;
      const Rows rows = RowsOf(FormatDifferenceRows(chk));
      const bool differs = std::any_of(rows.begin() + 2, rows.end(), [](const Row& r) { return r[1] != r[2]; });
      EXPECT_TRUE(differs) << "stream " << stream << ", " << name;
    }
  }
  EXPECT_GT(refusals, 20u) << "the changes must reach the strict checks";
}

INSTANTIATE_TEST_SUITE_P(
    Families, RefusalRowsTest,
    testing::Values(FamilyCase{"avi", kKindAvi, {AviVideo(), AviPcm(), AviMp3WithCodecBytes(), Stream(kStreamText)}},
                    FamilyCase{"asf", kKindAsf,
                               {AsfStream(kStreamVideo, 1), AsfStream(kStreamAudio, 10), AsfStream(kStreamData, 20)}},
                    FamilyCase{"mp4", kKindMp4Family, {H264Track(), AacTrack(), TextTrack()}},
                    FamilyCase{"mpeg", kKindMpegPs,
                               {FfmStream(kStreamVideo), FfmStream(kStreamAudio), FfmStream(kStreamText)}}));

}  // namespace
}  // namespace korvel
