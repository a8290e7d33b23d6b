// AVI stream records from stream headers, and from streams a producer holds open.
#include "mediainfo/avi_media_info.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

AviStreamInfo VideoHeader() {
  AviStreamInfo si;
  si.fccType = FourCCFromText("vids");
  si.fccHandler = FourCCFromText("DIV3");
  si.dwRate = 30000;
  si.dwScale = 1001;
  si.rcLeft = 10;
  si.rcTop = 20;
  si.rcRight = 330;
  si.rcBottom = 260;
  return si;
}

TEST(AddAviStreamTest, CopiesTheHeaderFieldsAndTheFormat) {
  QdMediaInfo info;
  info.AllocStreams(2);
  const std::vector<uint8_t> format{40, 0, 0, 0, 7};
  ASSERT_EQ(AddAviStream(info, 1, VideoHeader(), format), S_OK);
  const QdMediaStream& s = info.Streams[1];
  EXPECT_EQ(s.Index, 1);
  EXPECT_EQ(s.StreamType, kStreamVideo);
  EXPECT_EQ(FourCCToText(s.FourCC), "DIV3");
  EXPECT_EQ(FourCCToText(s.FourCCClass), "mp43");
  EXPECT_EQ(s.Rate, 30000u);
  EXPECT_EQ(s.Scale, 1001u);
  EXPECT_EQ(s.RateX1000, 29970);
  EXPECT_EQ(s.Width, 320);
  EXPECT_EQ(s.Height, 240);
  EXPECT_EQ(s.Format, format);
  EXPECT_EQ(info.Streams[0].Index, 0);  // the other record is left alone
  EXPECT_EQ(info.Streams[0].StreamType, kStreamOther);
}

struct TypeCase {
  const char* fccType;
  uint8_t streamType;
};

class AviStreamTypeTest : public testing::TestWithParam<TypeCase> {};

TEST_P(AviStreamTypeTest, FollowsTheStreamHeaderType) {
  QdMediaInfo info;
  info.AllocStreams(1);
  AviStreamInfo si;
  si.fccType = FourCCFromText(GetParam().fccType);
  ASSERT_EQ(AddAviStream(info, 0, si, {}), S_OK);
  EXPECT_EQ(info.Streams[0].StreamType, GetParam().streamType);
  EXPECT_EQ(info.Streams[0].FourCCClass, 0u);  // no handler, no family
}

INSTANTIATE_TEST_SUITE_P(Types, AviStreamTypeTest,
                         testing::Values(TypeCase{"vids", kStreamVideo}, TypeCase{"auds", kStreamAudio},
                                         TypeCase{"txts", kStreamText}, TypeCase{"mids", kStreamOther},
                                         TypeCase{"VIDS", kStreamOther}));

TEST(AddAviStreamTest, RatesAndSizesOutOfRangeAreClampedNotWrapped) {
  QdMediaInfo info;
  info.AllocStreams(1);
  AviStreamInfo si = VideoHeader();
  si.dwScale = 0;
  ASSERT_EQ(AddAviStream(info, 0, si, {}), S_OK);
  EXPECT_EQ(info.Streams[0].RateX1000, 0);
  EXPECT_EQ(info.Streams[0].Scale, 0u);

  si.dwRate = std::numeric_limits<uint32_t>::max();
  si.dwScale = 1;
  si.rcLeft = std::numeric_limits<int32_t>::min();
  si.rcRight = std::numeric_limits<int32_t>::max();
  si.rcTop = std::numeric_limits<int32_t>::max();
  si.rcBottom = std::numeric_limits<int32_t>::min();
  ASSERT_EQ(AddAviStream(info, 0, si, {}), S_OK);
  EXPECT_EQ(info.Streams[0].RateX1000, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(info.Streams[0].Width, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(info.Streams[0].Height, std::numeric_limits<int32_t>::min());
}

// GStreamer's muxer leaves the frame rectangle empty: the picture size comes from the format.
TEST(AddAviStreamTest, AnEmptyFrameRectangleTakesTheSizeOfTheBitmapHeader) {
  QdMediaInfo info;
  info.AllocStreams(1);
  AviStreamInfo si = VideoHeader();
  si.rcLeft = si.rcTop = si.rcRight = si.rcBottom = 0;
  // biSize 40, biWidth 320, biHeight -240 (top down).
  const std::vector<uint8_t> format{40, 0, 0, 0, 0x40, 0x01, 0, 0, 0x10, 0xFF, 0xFF, 0xFF};
  ASSERT_EQ(AddAviStream(info, 0, si, format), S_OK);
  EXPECT_EQ(info.Streams[0].Width, 320);
  EXPECT_EQ(info.Streams[0].Height, 240);
  // A format too short to hold the size leaves the rectangle's.
  ASSERT_EQ(AddAviStream(info, 0, si, std::span(format).first(10)), S_OK);
  EXPECT_EQ(info.Streams[0].Width, 0);
  EXPECT_EQ(info.Streams[0].Height, 0);
}

TEST(AviMediaInfoFixtureTest, AGStreamerFileHasItsPictureSize) {
  QdMediaInfo info;
  ASSERT_TRUE(AnalyzeMediaFile(test::Fixture("gst_mpeg4_mp3.avi"), info));
  ASSERT_GE(info.StreamCount(), 1);
  EXPECT_EQ(info.Streams[0].Width, 160);
  EXPECT_EQ(info.Streams[0].Height, 120);
}

TEST(AddAviStreamTest, AnIndexWithoutARecordIsRefused) {
  QdMediaInfo info;
  info.AllocStreams(1);
  EXPECT_EQ(AddAviStream(info, 1, VideoHeader(), {}), E_INVALIDARG);
  EXPECT_EQ(AddAviStream(info, -1, VideoHeader(), {}), E_INVALIDARG);
  EXPECT_EQ(info.StreamCount(), 1);
}

// A stream that only knows its header and format; nothing else of it is used here.
class FakeStream : public IAVIReadStream {
public:
  FakeStream(AviStreamInfo info, std::vector<uint8_t> format) : info_(std::move(info)), format_(std::move(format)) {}

  void Info(AviStreamInfo& info) const override { info = info_; }
  const std::vector<uint8_t>& Format() const override { return format_; }
  HRESULT InfoAndFormat(AviStreamInfo& info, std::vector<uint8_t>& format) const override {
    info = info_;
    format = format_;
    return format_.empty() ? AVIERR_BADFORMAT : S_OK;
  }

  bool IsKeyframeOnly() const override { return false; }
  bool GetVBRInfo(double&, double&, double&) const override { return false; }
  int64_t SamplePosition(int64_t) const override { return -1; }
  int64_t TimeToSample(int64_t) const override { return 0; }
  int64_t SampleToTime(int64_t) const override { return 0; }
  int64_t End() const override { return 0; }
  int64_t PrevKeyFrame(int64_t) const override { return -1; }
  int64_t NextKeyFrame(int64_t) const override { return -1; }
  int64_t NearestKeyFrame(int64_t) const override { return -1; }
  bool IsKeyFrame(int64_t) const override { return false; }
  HRESULT Read(int64_t, int64_t, uint8_t*, int64_t, int64_t*, int64_t*) override { return AVIERR_FILEREAD; }

private:
  AviStreamInfo info_;
  std::vector<uint8_t> format_;
};

AviStreamInfo AudioHeader() {
  AviStreamInfo si;
  si.fccType = FourCCFromText("auds");
  si.fccHandler = 1;
  si.dwRate = 44100;
  si.dwScale = 1;
  return si;
}

TEST(DescribeAviStreamsTest, DescribesEveryStreamInOrder) {
  const FakeStream video(VideoHeader(), {1, 2, 3});
  const FakeStream audio(AudioHeader(), {4, 5});
  const std::vector<const IAVIReadStream*> streams{&video, &audio};
  QdMediaInfo info;
  info.AllocStreams(5);  // whatever was there goes
  ASSERT_TRUE(DescribeAviStreams(streams, info));
  EXPECT_EQ(info.Kind, kKindAvi);
  ASSERT_EQ(info.StreamCount(), 2);
  EXPECT_EQ(info.ComparableCount(), 2);
  EXPECT_EQ(info.Streams[0].RateX1000, 29970);
  EXPECT_EQ(info.Streams[0].Format, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(info.Streams[1].Index, 1);
  EXPECT_EQ(info.Streams[1].StreamType, kStreamAudio);
  EXPECT_EQ(info.Streams[1].RateX1000, 44100000);
}

TEST(DescribeAviStreamsTest, TheFirstStreamThatCannotBeDescribedEndsIt) {
  const FakeStream video(VideoHeader(), {1});
  const FakeStream formatless(AudioHeader(), {});
  const FakeStream audio(AudioHeader(), {4, 5});
  QdMediaInfo info;
  const std::vector<const IAVIReadStream*> withoutFormat{&video, &formatless, &audio};
  EXPECT_FALSE(DescribeAviStreams(withoutFormat, info));
  EXPECT_EQ(info.Streams[0].StreamType, kStreamVideo);
  EXPECT_EQ(info.Streams[2].StreamType, kStreamOther);  // never reached
  const std::vector<const IAVIReadStream*> withNull{&video, nullptr};
  EXPECT_FALSE(DescribeAviStreams(withNull, info));
}

TEST(AviFrameRateTextTest, VideoShowsThreeDecimalsOtherStreamsOne) {
  const NumberSeparators classic;
  EXPECT_EQ(AviFrameRateText(25000, kStreamVideo, classic), "25.000");
  EXPECT_EQ(AviFrameRateText(29970, kStreamVideo, classic), "29.970");
  EXPECT_EQ(AviFrameRateText(44100000, kStreamAudio, classic), "44100.0");
  EXPECT_EQ(AviFrameRateText(25000, kStreamVideo, NumberSeparators{",", "."}), "25,000");
}

}  // namespace
}  // namespace korvel
