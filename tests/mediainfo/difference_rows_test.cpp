// The media difference table from hand-made descriptions, compared as the join check leaves them.
#include "mediainfo/difference_rows.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

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
                 {"H264", "Picture Parameter", "Picture Parameter"}}},
        Mp4Case{"sequence parameters longer", H264Track(), [](QdMediaStream& s) { s.Extra2.push_back(0); },
                {{"Stream Type", "Video", "Video"},
                 {"Video Codec", "avc1", "avc1"},
                 {"Video Size", "1280 x 720", "1280 x 720"},
                 {"H264", "Sequence Parameter", "Sequence Parameter"}}},
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
                 {"Audio", "ES Configuration", "ES Configuration"}}},
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
        AviCase{"text streams have no rows of their own", Stream(kStreamText),
                [](QdMediaStream& s) { s.RateX1000 = 1000; }, {}}));

}  // namespace
}  // namespace korvel
