// The printed and serialised forms of a description, from hand-made descriptions (the
// analyzers that fill real ones arrive with their engines).
#include <gtest/gtest.h>

#include <sstream>

#include "cli/media_report.h"
#include "cli/media_report_json.h"
#include "cli/media_report_text.h"
#include "mediainfo/container_kind.h"
#include "support/scoped_env.h"

namespace korvel::cli {
namespace {

MediaReport DescribedAvi() {
  MediaReport report;
  report.file = "/media/holiday.avi";
  report.detection = kDetectAvi;
  report.analysed = true;
  QdMediaInfo& info = report.info;
  info.FileName = report.file;
  info.Kind = kKindAvi;
  info.IndexOK = false;
  info.AllocStreams(2);
  info.Streams[0].StreamType = kStreamVideo;
  info.Streams[0].FourCC = FourCCFromText("XVID");
  info.Streams[0].FourCCClass = FourCCFromText("xvid");
  info.Streams[0].RateX1000 = 25000;
  info.Streams[0].Width = 160;
  info.Streams[1].Index = 1;
  info.Streams[1].StreamType = kStreamAudio;
  info.Streams[1].Format = {0x55, 0x00, 0xAB};
  info.Streams[1].Ignored = true;
  return report;
}

TEST(MediaReportTest, JsonUsesTheDescriptionsFieldNames) {
  const auto json = MediaReportToJson(DescribedAvi());
  EXPECT_EQ(json["Kind"], 1);
  EXPECT_EQ(json["KindName"], "AVI");
  EXPECT_EQ(json["Extension"], "avi");
  EXPECT_EQ(json["IndexOK"], 0);
  EXPECT_EQ(json["StreamCount"], 2);
  EXPECT_EQ(json["ComparableCount"], 1);
  const auto& video = json["Streams"][0];
  EXPECT_EQ(video["FourCC"], "XVID");
  EXPECT_EQ(video["FourCCClass"], "xvid");
  EXPECT_EQ(video["RateX1000"], 25000);
  EXPECT_EQ(video["MediaTypeGuids"][0], "{00000000-0000-0000-0000-000000000000}");
  const auto& audio = json["Streams"][1];
  EXPECT_EQ(audio["FormatSize"], 3);
  EXPECT_EQ(audio["Format"], "5500AB");
  EXPECT_EQ(audio["Ignored"], 1);
  EXPECT_EQ(audio["Ac3Params"], "000000000000");
}

TEST(MediaReportTest, TextShowsOnlyTheFieldsAnAnalyzerFilled) {
  std::ostringstream out;
  PrintMediaReport(DescribedAvi(), out);
  const std::string text = out.str();
  EXPECT_NE(text.find("Kind: AVI (1/0), output extension \"avi\""), std::string::npos) << text;
  EXPECT_NE(text.find("IndexOK: 0"), std::string::npos) << text;
  EXPECT_NE(text.find("Streams: 2 (1 comparable)"), std::string::npos) << text;
  EXPECT_NE(text.find("Stream 0: video"), std::string::npos) << text;
  EXPECT_NE(text.find("FourCC           XVID"), std::string::npos) << text;
  EXPECT_NE(text.find("Format           5500AB"), std::string::npos) << text;
  EXPECT_EQ(text.find("SampleRate"), std::string::npos) << text;  // left at zero
}


TEST(MediaReportTest, TextReadsAnAviStreamsRateAndAudioFormat) {
  const test::ScopedEnv locale("LC_ALL", "C");
  MediaReport report = DescribedAvi();
  QdMediaStream& audio = report.info.Streams[1];
  audio.RateX1000 = 44100000;
  // WAVEFORMATEX: PCM, stereo, 44100 Hz, 16 bits.
  audio.Format = {0x01, 0x00, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1, 0x02, 0x00, 0x04, 0x00, 0x10, 0x00};
  std::ostringstream out;
  PrintMediaReport(report, out);
  const std::string text = out.str();
  EXPECT_NE(text.find("FrameRate        25.000\n"), std::string::npos) << text;
  EXPECT_NE(text.find("FrameRate        44100.0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("AudioFormat      PCM, 44,100 Hz, 16 bits, Stereo\n"), std::string::npos) << text;

  report.info.Kind = kKindMp4Family;  // other kinds print their raw fields alone
  std::ostringstream mp4;
  PrintMediaReport(report, mp4);
  EXPECT_EQ(mp4.str().find("FrameRate"), std::string::npos) << mp4.str();
  EXPECT_EQ(mp4.str().find("AudioFormat"), std::string::npos) << mp4.str();
}

}  // namespace
}  // namespace korvel::cli
