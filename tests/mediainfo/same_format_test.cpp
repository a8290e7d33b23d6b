#include "mediainfo/same_format.h"

#include <gtest/gtest.h>

#include <functional>

#include "mediainfo/container_kind.h"

namespace korvel {
namespace {

Guid GuidOf(uint8_t tag) {
  Guid g;
  g.bytes[0] = tag;
  return g;
}

// A typical two-stream description of each family, video first.
QdMediaInfo Typical(uint8_t kind) {
  QdMediaInfo info;
  info.Kind = kind;
  info.SubKind = kind == kKindMp4Family ? kSubKindMp4 : 0;
  info.AllocStreams(2);
  QdMediaStream& v = info.Streams[0];
  QdMediaStream& a = info.Streams[1];
  v.Index = 0;
  a.Index = 1;
  v.StreamType = kStreamVideo;
  a.StreamType = kStreamAudio;
  v.Width = 720;
  v.Height = 576;
  v.RateX1000 = 25000;
  switch (kind) {
    case kKindAvi:
      v.FourCC = FourCCFromText("XVID");
      v.FourCCClass = FourCCFromText("xvid");
      v.Format.assign(40, 1);
      a.RateX1000 = 38281;  // MP3 frames of 1152 samples at 44100 Hz
      // MP3, stereo, 44100 Hz, 3984 bytes a second, blocks of 1152, as GStreamer writes it.
      a.Format = {0x55, 0x00, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x90, 0x0F, 0x00, 0x00, 0x80, 0x04, 0x10, 0x00, 0x00, 0x00};
      break;
    case kKindAsf:
      v.MediaTypeGuids = {GuidOf(1), GuidOf(2), GuidOf(3)};
      a.MediaTypeGuids = {GuidOf(4), GuidOf(5), GuidOf(6)};
      a.BitRate = 128000;
      a.CodecDesc = "128 kbps, 44 kHz, stereo";
      break;
    case kKindMp4Family:
      v.TrackTypeName = "vide";
      v.MediaDataName = "avc1";
      v.TimeBase = 12800;
      v.Extra1 = {1, 2};
      v.Extra2 = {0x67, 0x42};
      v.Extra3 = {0x68, 0xCE};
      a.TrackTypeName = "soun";
      a.MediaDataName = "mp4a";
      a.TimeBase = 44100;
      a.SampleRate = 44100;
      a.Channels = 2;
      a.EsdsObjectType = 0x40;
      a.Mpeg4AudioType = 2;
      a.Extra1 = {0x12, 0x10};
      break;
    default:  // the MPEG streams
      v.CodecId = 2;
      v.DisplayHeight = 576;
      v.PixelFormat = 0;
      v.TimeBase = 11;
      a.CodecId = 86016;
      a.TimeBase = 11;
      a.SampleRate = 48000;
      a.Channels = 2;
      a.SampleFormat = 8;
      a.FrameSize = 1152;
      break;
  }
  return info;
}

struct ChangeCase {
  const char* name;
  uint8_t kind;
  std::function<void(QdMediaInfo&)> change;  // applied to the second description
  bool compatible;
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class SameFormatTest : public testing::TestWithParam<ChangeCase> {};

TEST_P(SameFormatTest, JudgesJoinCompatibility) {
  const ChangeCase& c = GetParam();
  const QdMediaInfo a = Typical(c.kind);
  QdMediaInfo b = Typical(c.kind);
  c.change(b);
  QdMISameChk chk;
  EXPECT_EQ(IsSameFormat(&a, &b, &chk), c.compatible);
  EXPECT_EQ(chk.Info1, &a);
  EXPECT_EQ(chk.Info2, &b);
}

QdMediaStream& Video(QdMediaInfo& i) { return i.Streams[0]; }
QdMediaStream& Audio(QdMediaInfo& i) { return i.Streams[1]; }
void Nothing(QdMediaInfo&) {}
void SwapStreams(QdMediaInfo& i) { std::swap(i.Streams[0], i.Streams[1]); }

INSTANTIATE_TEST_SUITE_P(
    Avi, SameFormatTest,
    testing::Values(
        ChangeCase{"identical", kKindAvi, Nothing, true},
        ChangeCase{"audio first", kKindAvi, SwapStreams, true},
        ChangeCase{"same family handler", kKindAvi,
                   [](QdMediaInfo& i) {
                     Video(i).FourCC = FourCCFromText("DIV3");
                     Video(i).FourCCClass = FourCCFromText("mp43");
                   },
                   false},  // xvid against mp43
        ChangeCase{"other family", kKindAvi, [](QdMediaInfo& i) { Video(i).FourCCClass = FourCCFromText("divx"); }, false},
        ChangeCase{"other frame rate", kKindAvi, [](QdMediaInfo& i) { Video(i).RateX1000 = 29970; }, false},
        ChangeCase{"other height", kKindAvi, [](QdMediaInfo& i) { Video(i).Height = 480; }, false},
        ChangeCase{"video format bytes differ", kKindAvi, [](QdMediaInfo& i) { Video(i).Format.assign(44, 2); }, true},
        ChangeCase{"audio format differs", kKindAvi, [](QdMediaInfo& i) { Audio(i).Format[2] = 1; }, false},
        ChangeCase{"VBR byte rate alone", kKindAvi, [](QdMediaInfo& i) { Audio(i).Format[8] = 0x10; }, true},
        ChangeCase{"VBR byte rate and stream rate", kKindAvi,
                   [](QdMediaInfo& i) {
                     Audio(i).Format[8] = 0x10;
                     Audio(i).RateX1000 = 38280;
                   },
                   false},
        ChangeCase{"audio block align differs", kKindAvi, [](QdMediaInfo& i) { Audio(i).Format[12] = 0x40; }, false},
        ChangeCase{"audio format longer", kKindAvi, [](QdMediaInfo& i) { Audio(i).Format.push_back(0); }, false},
        ChangeCase{"extra stream", kKindAvi, [](QdMediaInfo& i) { i.Streams.push_back(i.Streams[1]); i.ClearMatched(); },
                   false},
        ChangeCase{"other container", kKindAvi, [](QdMediaInfo& i) { i.Kind = kKindMp4Family; }, false}));

INSTANTIATE_TEST_SUITE_P(
    Asf, SameFormatTest,
    testing::Values(
        ChangeCase{"identical", kKindAsf, Nothing, true},
        ChangeCase{"audio bit rate doubled", kKindAsf, [](QdMediaInfo& i) { Audio(i).BitRate = 64000; }, false},
        ChangeCase{"audio bit rate unknown", kKindAsf, [](QdMediaInfo& i) { Audio(i).BitRate = 500; }, true},
        ChangeCase{"unknown bit rate, other codec", kKindAsf,
                   [](QdMediaInfo& i) {
                     Audio(i).BitRate = 500;
                     Audio(i).CodecDesc = "64 kbps";
                   },
                   false},
        ChangeCase{"video frame rate unknown", kKindAsf, [](QdMediaInfo& i) { Video(i).RateX1000 = 0; }, true},
        ChangeCase{"video frame rate differs", kKindAsf, [](QdMediaInfo& i) { Video(i).RateX1000 = 30000; }, false},
        ChangeCase{"video bit rate differs", kKindAsf, [](QdMediaInfo& i) { Video(i).BitRate = 1; }, true},
        ChangeCase{"subtype differs", kKindAsf, [](QdMediaInfo& i) { Video(i).MediaTypeGuids[1] = GuidOf(9); }, false},
        ChangeCase{"bit rate mode differs", kKindAsf, [](QdMediaInfo& i) { Audio(i).VbrMode = 2; }, false},
        ChangeCase{"width differs", kKindAsf, [](QdMediaInfo& i) { Video(i).Width = 640; }, false}));

INSTANTIATE_TEST_SUITE_P(
    Ffm, SameFormatTest,
    testing::Values(
        ChangeCase{"identical", kKindMpegPs, Nothing, true},
        ChangeCase{"transport against program stream", kKindMpegPs, [](QdMediaInfo& i) { i.Kind = kKindMpegTs; }, true},
        ChangeCase{"1088 coded, 1080 shown", kKindMpegPs, [](QdMediaInfo& i) { Video(i).Height = 1088; }, true},
        ChangeCase{"display height differs", kKindMpegPs, [](QdMediaInfo& i) { Video(i).DisplayHeight = 480; }, false},
        ChangeCase{"pixel format differs", kKindMpegPs, [](QdMediaInfo& i) { Video(i).PixelFormat = 4; }, false},
        ChangeCase{"time base differs", kKindMpegPs, [](QdMediaInfo& i) { Audio(i).TimeBase = 90; }, false},
        ChangeCase{"frame size differs", kKindMpegPs, [](QdMediaInfo& i) { Audio(i).FrameSize = 1536; }, false},
        ChangeCase{"audio codec differs", kKindMpegPs, [](QdMediaInfo& i) { Audio(i).CodecId = 86019; }, false},
        ChangeCase{"ignored extra stream", kKindMpegPs,
                   [](QdMediaInfo& i) {
                     QdMediaStream data;
                     data.StreamType = kStreamData;
                     data.Ignored = true;
                     i.Streams.insert(i.Streams.begin(), data);
                     i.ClearMatched();
                   },
                   true},
        ChangeCase{"subtitle sizes differ", kKindMpegPs,
                   [](QdMediaInfo& i) {
                     Audio(i) = QdMediaStream{};
                     Audio(i).StreamType = kStreamText;
                     Audio(i).Width = 720;
                   },
                   false}));

INSTANTIATE_TEST_SUITE_P(
    Mp4, SameFormatTest,
    testing::Values(
        ChangeCase{"identical", kKindMp4Family, Nothing, true},
        ChangeCase{"other language", kKindMp4Family, [](QdMediaInfo& i) { Audio(i).Language = "jpn"; }, true},
        ChangeCase{"video time scale differs", kKindMp4Family, [](QdMediaInfo& i) { Video(i).TimeBase = 90000; }, true},
        ChangeCase{"audio time scale differs", kKindMp4Family, [](QdMediaInfo& i) { Audio(i).TimeBase = 48000; }, false},
        ChangeCase{"picture parameters differ", kKindMp4Family, [](QdMediaInfo& i) { Video(i).Extra3[1] = 0xCF; }, false},
        ChangeCase{"sequence parameters longer", kKindMp4Family, [](QdMediaInfo& i) { Video(i).Extra2.push_back(0); },
                   false},
        ChangeCase{"audio decoder config differs", kKindMp4Family, [](QdMediaInfo& i) { Audio(i).Extra1[1] = 0x08; },
                   false},
        ChangeCase{"ac-3 parameters differ", kKindMp4Family, [](QdMediaInfo& i) { Audio(i).Ac3Params[0] = 1; }, false},
        ChangeCase{"sample entry differs", kKindMp4Family, [](QdMediaInfo& i) { Video(i).MediaDataName = "hvc1"; },
                   false},
        ChangeCase{"skipped hint track", kKindMp4Family,
                   [](QdMediaInfo& i) {
                     QdMediaStream hint;
                     hint.TrackTypeName = "hint";
                     hint.Ignored = true;
                     i.Streams.push_back(hint);
                     i.ClearMatched();
                   },
                   true}));

TEST(SameFormatArgumentsTest, MissingArgumentsLeaveTheResultUntouched) {
  QdMediaInfo a = Typical(kKindAvi);
  QdMediaInfo b = Typical(kKindAvi);
  QdMISameChk chk;
  EXPECT_FALSE(IsSameFormat(&a, nullptr, &chk));
  EXPECT_FALSE(IsSameFormat(nullptr, &b, &chk));
  EXPECT_EQ(chk.Info1, nullptr);
  EXPECT_EQ(chk.Info2, nullptr);
  EXPECT_FALSE(IsSameFormat(&a, &b, nullptr));
}

TEST(SameFormatArgumentsTest, ADescriptionMatchesItself) {
  QdMediaInfo a;
  a.Kind = 77;  // not even a known kind
  QdMISameChk chk;
  EXPECT_TRUE(IsSameFormat(&a, &a, &chk));
}

TEST(SameFormatResultTest, NamesThePairThatDiffers) {
  const QdMediaInfo a = Typical(kKindAvi);
  QdMediaInfo b = Typical(kKindAvi);
  SwapStreams(b);
  b.Streams[0].Format[0] = 0x50;  // b's audio, now first
  QdMISameChk chk;
  EXPECT_FALSE(IsSameFormat(&a, &b, &chk));
  EXPECT_EQ(chk.Stream1, &a.Streams[1]);
  EXPECT_EQ(chk.Stream2, &b.Streams[0]);
}

TEST(SameFormatResultTest, UnequalStreamCountsFailBeforeAnyStreamIsLookedAt) {
  const QdMediaInfo a = Typical(kKindMpegPs);
  QdMediaInfo b = Typical(kKindMpegPs);
  b.Streams.pop_back();
  b.ClearMatched();
  QdMISameChk chk;
  EXPECT_FALSE(IsSameFormat(&a, &b, &chk));
  EXPECT_EQ(chk.Stream1, nullptr);
  EXPECT_EQ(chk.Stream2, nullptr);
}

TEST(StreamPairingTest, PrefersTheClosestStreamAndFallsBackToAnyUnmatched) {
  QdMediaInfo b = Typical(kKindAvi);
  b.Streams.push_back(b.Streams[1]);  // a second audio stream ...
  b.Streams[2].Index = 2;
  b.Streams[2].Format.push_back(7);  // ... whose format differs
  b.ClearMatched();
  QdMediaStream wanted = b.Streams[2];

  // The exact twin wins over the first audio stream, which meets fewer criteria.
  EXPECT_EQ(FindSameAviStream(wanted, b), &b.Streams[2]);
  // Then the nearest remaining audio stream, then whatever is left.
  EXPECT_EQ(FindSameAviStream(wanted, b), &b.Streams[1]);
  EXPECT_EQ(FindSameAviStream(wanted, b), &b.Streams[0]);
  EXPECT_EQ(FindSameAviStream(wanted, b), nullptr);
  EXPECT_TRUE(b.Matched[0] && b.Matched[1] && b.Matched[2]);
}

TEST(StreamPairingTest, Mp4TracksOfLaterClipsMapOntoTheFirstClipsTracks) {
  const QdMediaInfo first = Typical(kKindMp4Family);
  QdMediaInfo later = Typical(kKindMp4Family);
  SwapStreams(later);
  later.ClearMatched();
  EXPECT_EQ(FindSameMp4Track(first.Streams[0], later), &later.Streams[1]);
  EXPECT_EQ(FindSameMp4Track(first.Streams[1], later), &later.Streams[0]);
}

TEST(StreamPairingTest, AComparisonStartsFromFreshMatchedFlags) {
  const QdMediaInfo a = Typical(kKindAsf);
  QdMediaInfo b = Typical(kKindAsf);
  b.Matched.assign(2, true);  // left over from an earlier comparison
  QdMISameChk chk;
  EXPECT_TRUE(IsSameFormat(&a, &b, &chk));
}

}  // namespace
}  // namespace korvel
