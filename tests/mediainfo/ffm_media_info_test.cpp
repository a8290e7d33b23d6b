// The FFmpeg analyzer on the fixtures: kinds, the remuxer's stream choice, rates and the
// 1088-line display height, and the rows of the difference table for two such files.
#include "mediainfo/ffm_media_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lang/lang.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "mediainfo/difference_rows.h"
#include "mediainfo/ffm_differences.h"
#include "mediainfo/same_format.h"
#include "produce/english_texts.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;

constexpr uint32_t kMpeg1Video = 1;
constexpr uint32_t kMpeg2Video = 2;

// Stream types in file order, with '-' after an ignored one.
std::string TypesOf(const QdMediaInfo& info) {
  std::string types;
  for (const QdMediaStream& s : info.Streams) {
    types += "OVATD"[std::min<int>(s.StreamType, 4)];
    if (s.Ignored) types += '-';
  }
  return types;
}

const QdMediaStream* FirstOfType(const QdMediaInfo& info, uint8_t type) {
  const auto s = std::ranges::find_if(info.Streams, [&](const QdMediaStream& x) { return x.StreamType == type && !x.Ignored; });
  return s == info.Streams.end() ? nullptr : &*s;
}

struct KindCase {
  const char* file;
  uint8_t kind;
  uint8_t subKind;
  const char* types;  // video, audio, data ... as TypesOf writes them
};

class FfmMediaInfoKinds : public testing::TestWithParam<KindCase> {};

TEST_P(FfmMediaInfoKinds, DescribesTheStreamsTheRemuxerCopies) {
  const KindCase& c = GetParam();
  QdMediaInfo info;
  ASSERT_TRUE(DescribeFfmFile(Fixture(c.file), info));
  EXPECT_EQ(info.Kind, c.kind);
  EXPECT_EQ(info.SubKind, c.subKind);
  EXPECT_EQ(TypesOf(info), c.types);
  EXPECT_EQ(info.FileName, Fixture(c.file));
  // The detection path reaches the same analyzer for everything but ISO files.
  if (c.kind != kKindMp4Family) {
    QdMediaInfo routed;
    ASSERT_TRUE(AnalyzeMediaFile(Fixture(c.file), routed));
    EXPECT_EQ(routed.Kind, c.kind);
    EXPECT_EQ(TypesOf(routed), c.types);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, FfmMediaInfoKinds,
    testing::Values(KindCase{"ps_mpeg1_mp2.mpg", kKindMpegPs, 0, "VA"}, KindCase{"ps_mpeg2_mp2.mpg", kKindMpegPs, 0, "D-VA"},
                    KindCase{"vob_mpeg2_ac3.vob", kKindMpegPs, 0, "VA"},
                    KindCase{"ts_h264_aac.ts", kKindMpegTs, 0, "VA"}, KindCase{"ts_h264_aac.mts", kKindMpegTs, kSubKindBdav, "VA"},
                    KindCase{"ts_mpeg2_ac3.ts", kKindMpegTs, 0, "VA"},
                    // The 5.1 track outranks the stereo one; a DVD's navigation packets are not copied.
                    KindCase{"ps_mpeg2_two_audio.mpg", kKindMpegPs, 0, "D-VA-A"},
                    KindCase{"m4a_aac.m4a", kKindMp4Family, 0, "A"}, KindCase{"mov_h264_aac.mov", kKindMp4Family, 0, "VA"}),
    [](const testing::TestParamInfo<KindCase>& info) {
      std::string name = info.param.file;
      std::ranges::replace_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
      return name;
    });

TEST(FfmMediaInfoTest, MatroskaOggAndUnreadableFilesAreRefusedWithKindZero) {
  test::TempDir dir;
  const auto garbage = dir / "garbage.mpg";
  test::WriteFileBytes(garbage, std::vector<uint8_t>(4096, 0x5A));
  for (const auto& file : {Fixture("mkv_mpeg4_mp3.mkv"), Fixture("ogg_theora_vorbis.ogg"), Fixture("tiny_15_bytes.bin"),
                           garbage, dir / "missing.ts"}) {
    SCOPED_TRACE(file.string());
    QdMediaInfo info;
    EXPECT_FALSE(DescribeFfmFile(file, info));
    EXPECT_EQ(info.Kind, 0);
    EXPECT_TRUE(info.Streams.empty());
    QdMediaInfo routed;
    EXPECT_FALSE(AnalyzeMediaFile(file, routed) && routed.Kind != 0);
  }
}

TEST(FfmMediaInfoTest, TwoAudioStreamsKeepTheOneWithMoreChannels) {
  QdMediaInfo info;
  ASSERT_TRUE(DescribeFfmFile(Fixture("ps_mpeg2_two_audio.mpg"), info));
  std::vector<const QdMediaStream*> audio;
  for (const QdMediaStream& s : info.Streams)
    if (s.StreamType == kStreamAudio) audio.push_back(&s);
  ASSERT_EQ(audio.size(), 2u);
  const auto stereo = std::ranges::find_if(audio, [](const QdMediaStream* s) { return s->Channels == 2; });
  const auto surround = std::ranges::find_if(audio, [](const QdMediaStream* s) { return s->Channels == 6; });
  ASSERT_NE(stereo, audio.end());
  ASSERT_NE(surround, audio.end());
  EXPECT_TRUE((*stereo)->Ignored);
  EXPECT_FALSE((*surround)->Ignored);
  // The video and the 5.1 track; the stereo track and the DVD navigation stream are ignored.
  EXPECT_EQ(info.ComparableCount(), 2);
}

TEST(FfmMediaInfoTest, VideoAndAudioFieldsComeFromTheDemuxer) {
  QdMediaInfo info;
  ASSERT_TRUE(DescribeFfmFile(Fixture("ps_mpeg1_mp2.mpg"), info));
  const QdMediaStream* video = FirstOfType(info, kStreamVideo);
  const QdMediaStream* audio = FirstOfType(info, kStreamAudio);
  ASSERT_TRUE(video && audio);
  EXPECT_EQ(video->CodecId, kMpeg1Video);
  EXPECT_EQ(video->Width, 160);
  EXPECT_EQ(video->Height, 120);
  EXPECT_EQ(video->DisplayHeight, 120u);
  EXPECT_EQ(video->RateX1000, 25000);
  EXPECT_EQ(video->TimeBase, 11u);  // 1/90000 x 1e6, truncated
  EXPECT_EQ(audio->SampleRate, 44100u);
  EXPECT_EQ(audio->Channels, 1u);
  EXPECT_EQ(audio->FrameSize, 1152u);
  // Audio has no real frame rate.
  EXPECT_EQ(audio->RateX1000, 0);
}

TEST(FfmMediaInfoTest, Mpeg2Of1920x1088HasDisplayHeight1080) {
  QdMediaInfo info;
  ASSERT_TRUE(DescribeFfmFile(Fixture("ts_mpeg2_1088.ts"), info));
  const QdMediaStream* video = FirstOfType(info, kStreamVideo);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->CodecId, kMpeg2Video);
  EXPECT_EQ(video->Height, 1088);
  EXPECT_EQ(video->DisplayHeight, 1080u);
}

TEST(FfmMediaInfoTest, CliInfoShowsTheKindsAndTheRemuxersChoice) {
  const test::CliRun run = test::RunCli("info " + test::Quoted(Fixture("ts_mpeg2_1088.ts")) + " " +
                                        test::Quoted(Fixture("ps_mpeg2_two_audio.mpg")) + " " +
                                        test::Quoted(Fixture("ts_h264_aac.mts")));
  EXPECT_EQ(run.exitCode, 0) << run.out;
  for (const char* text : {"Kind: MPEG2-TS (4/0)", "Height           1088", "DisplayHeight    1080",
                           "Kind: MPEG-PS (3/0)", "Streams: 4 (2 comparable)", "Ignored          1", "Kind: BDAV M2TS (4/1)"})
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
}

TEST(FfmMediaInfoTest, ProgramAndTransportStreamsWithTheSameStreamsJoin) {
  QdMediaInfo ps;
  QdMediaInfo ts;
  ASSERT_TRUE(AnalyzeMediaFile(Fixture("ps_mpeg2_mp2.mpg"), ps));
  ASSERT_TRUE(AnalyzeMediaFile(Fixture("ts_mpeg2_mp2.ts"), ts));
  QdMISameChk chk;
  // The program stream's DVD navigation stream is ignored, so it does not count against a
  // transport stream that has none.
  EXPECT_EQ(ps.ComparableCount(), 2);
  EXPECT_TRUE(IsSameFormat(&ps, &ts, &chk));
  QdMediaInfo vob;
  ASSERT_TRUE(AnalyzeMediaFile(Fixture("vob_mpeg2_ac3.vob"), vob));
  EXPECT_FALSE(IsSameFormat(&ps, &vob, &chk));
  EXPECT_EQ(chk.Stream1->StreamType, kStreamAudio);
}

class FfmDifferenceRowsTest : public test::EnglishTexts {};

TEST_F(FfmDifferenceRowsTest, NameTheCodecsOfTheVideoPair) {
  QdMediaInfo a;
  QdMediaInfo b;
  ASSERT_TRUE(AnalyzeMediaFile(Fixture("ts_h264_aac.ts"), a));
  ASSERT_TRUE(AnalyzeMediaFile(Fixture("ts_mpeg2_ac3.ts"), b));
  QdMISameChk chk;
  ASSERT_FALSE(IsSameFormat(&a, &b, &chk));
  ASSERT_TRUE(chk.Stream1 && chk.Stream2);
  TDifferenceRows rows;
  ListFfmDifferences(chk, rows);
  ASSERT_EQ(rows.Labels.size(), rows.Values1.size());
  ASSERT_EQ(rows.Labels.size(), rows.Values2.size());
  const auto row = [&](const std::string& label) -> std::pair<std::string, std::string> {
    const auto at = std::ranges::find(rows.Labels, label);
    if (at == rows.Labels.end()) return {"<none>", "<none>"};
    const auto i = static_cast<size_t>(at - rows.Labels.begin());
    return {rows.Values1[i], rows.Values2[i]};
  };
  if (chk.Stream1->StreamType == kStreamVideo) {
    EXPECT_EQ(row("Frame rate"), (std::pair<std::string, std::string>{"25.00", "25.00"}));
    EXPECT_EQ(row(LangStr("Base", "Video") + " " + LangStr("Base", "Codec")), (std::pair<std::string, std::string>{"h264", "mpeg2video"}));
    EXPECT_EQ(row(LangStr("Base", "Video") + " " + LangStr("Base", "Size")), (std::pair<std::string, std::string>{"160 x 120", "160 x 120"}));
  } else {
    EXPECT_EQ(row(LangStr("Base", "Audio") + " " + LangStr("Base", "Codec")), (std::pair<std::string, std::string>{"aac", "ac3"}));
    EXPECT_EQ(row(LangStr("Base", "Audio") + " Channels").first, "1");
  }
  // The same rows reach the table korvel-cli check prints.
  const TDifferenceRows table = FormatDifferenceRows(chk);
  for (const std::string& label : rows.Labels) EXPECT_NE(std::ranges::find(table.Labels, label), table.Labels.end()) << label;
}

}  // namespace
}  // namespace korvel
