// The reader on AVI files made by ffmpeg, sample for sample against ffprobe's packets.
#include <gtest/gtest.h>

#include <algorithm>

#include "avi/avi_test_probe.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

constexpr FOURCC kVids = MakeFourCC('v', 'i', 'd', 's');
constexpr FOURCC kAuds = MakeFourCC('a', 'u', 'd', 's');

std::vector<std::unique_ptr<IAVIReadStream>> AllStreams(IAVIReadHandler& handler) {
  std::vector<std::unique_ptr<IAVIReadStream>> streams;
  while (auto stream = handler.GetStream(0, static_cast<int32_t>(streams.size()))) streams.push_back(std::move(stream));
  return streams;
}

// Bytes per sample of a stream of fixed-size samples, 0 when each sample is one chunk.
int64_t FixedSampleSize(IAVIReadStream& stream) {
  int64_t bytes = 0;
  int64_t samples = 0;
  EXPECT_EQ(stream.Read(0, 2, nullptr, 0, &bytes, &samples), S_OK);
  return samples == 2 ? bytes / 2 : 0;
}

int64_t SampleBytes(IAVIReadStream& stream, int64_t sample) {
  int64_t bytes = 0;
  EXPECT_EQ(stream.Read(sample, 1, nullptr, 0, &bytes, nullptr), S_OK);
  return bytes;
}

class AviFixtureTest : public testing::TestWithParam<const char*> {};

TEST_P(AviFixtureTest, EveryPacketReadsAsFfprobeSeesIt) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  const auto file = Fixture(GetParam());
  const auto opened = OpenAvi(file);
  ASSERT_EQ(opened.result, S_OK);
  EXPECT_FALSE(opened.handler->IndexReconstructed());
  const auto packets = ProbeAviPackets(file);
  auto streams = AllStreams(*opened.handler);
  int streamCount = 0;
  for (const auto& p : packets) streamCount = std::max(streamCount, p.stream + 1);
  ASSERT_EQ(static_cast<int>(streams.size()), streamCount);

  std::vector<uint8_t> buffer(1 << 20);
  for (int n = 0; n < streamCount; ++n) {
    IAVIReadStream& stream = *streams[static_cast<size_t>(n)];
    const int64_t unit = FixedSampleSize(stream);
    int64_t sample = 0;
    for (const auto& packet : packets) {
      if (packet.stream != n) continue;
      // ffprobe leaves out empty chunks (frames the encoder dropped); the index keeps them as
      // samples that are never key frames.
      while (unit == 0 && sample < stream.End() && SampleBytes(stream, sample) == 0) {
        EXPECT_FALSE(stream.IsKeyFrame(sample));
        ++sample;
      }
      SCOPED_TRACE("stream " + std::to_string(n) + " sample " + std::to_string(sample));
      ASSERT_LT(sample, stream.End());
      EXPECT_EQ(stream.SamplePosition(sample), packet.position);
      EXPECT_EQ(stream.IsKeyFrame(sample), packet.key);
      const int64_t count = unit ? packet.size / unit : 1;
      int64_t bytes = 0;
      int64_t samples = 0;
      ASSERT_EQ(stream.Read(sample, count, buffer.data(), static_cast<int64_t>(buffer.size()), &bytes, &samples), S_OK);
      ASSERT_EQ(bytes, packet.size);
      EXPECT_EQ(samples, count);
      EXPECT_EQ(Adler32(std::span(buffer.data(), static_cast<size_t>(bytes))), packet.adler);
      sample += count;
    }
    EXPECT_EQ(sample, stream.End()) << "stream " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Avi, AviFixtureTest, testing::Values("avi_xvid_mp3.avi", "avi_div3_pcm.avi", "avi_h264.avi", "avi_wmv2.avi",
                                                                "avi_xvid_bframes.avi"));

TEST(AviFixture, AbsoluteAndRelativeIdx1IndexTheSameChunks) {
  const auto relative = OpenAvi(Fixture("avi_xvid_mp3.avi"));
  const auto absolute = OpenAvi(Fixture("avi_xvid_mp3_absidx1.avi"));
  ASSERT_EQ(relative.result, S_OK);
  ASSERT_EQ(absolute.result, S_OK);
  EXPECT_FALSE(absolute.handler->IndexReconstructed());
  for (int32_t n = 0; n < 2; ++n) {
    auto a = relative.handler->GetStream(0, n);
    auto b = absolute.handler->GetStream(0, n);
    ASSERT_TRUE(a && b);
    const auto reads = ReadWholeStream(*a);
    EXPECT_GT(reads.size(), 10u);
    EXPECT_EQ(reads, ReadWholeStream(*b)) << "stream " << n;
  }
}

// The key frames ffprobe reports for the video, and every query answered from them.
TEST(AviFixture, KeyFrameQueriesFollowTheIndexFlags) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  const auto file = Fixture("avi_h264.avi");
  const auto opened = OpenAvi(file);
  ASSERT_EQ(opened.result, S_OK);
  auto video = opened.handler->GetStream(kVids, 0);
  ASSERT_TRUE(video);
  // Packets by position: ffprobe leaves out the empty chunks the index counts as samples.
  std::vector<int64_t> keyPositions;
  for (const auto& p : ProbeAviPackets(file))
    if (p.stream == 0 && p.key) keyPositions.push_back(p.position);
  std::vector<int64_t> keys;
  for (int64_t s = 0; s < video->End(); ++s)
    if (std::find(keyPositions.begin(), keyPositions.end(), video->SamplePosition(s)) != keyPositions.end() &&
        SampleBytes(*video, s) > 0)
      keys.push_back(s);
  ASSERT_EQ(keys.size(), keyPositions.size());
  ASSERT_GE(keys.size(), 3u);
  const int64_t end = video->End();
  for (int64_t s = 0; s < end; ++s) {
    const auto after = std::upper_bound(keys.begin(), keys.end(), s);
    const auto atOrAfter = std::lower_bound(keys.begin(), keys.end(), s);
    const int64_t nearest = after == keys.begin() ? -1 : *(after - 1);
    const int64_t prev = atOrAfter == keys.begin() ? -1 : *(atOrAfter - 1);
    const int64_t next = after == keys.end() ? -1 : *after;
    EXPECT_EQ(video->NearestKeyFrame(s), nearest) << s;
    EXPECT_EQ(video->PrevKeyFrame(s), prev) << s;
    EXPECT_EQ(video->NextKeyFrame(s), next) << s;
  }
  EXPECT_EQ(video->NearestKeyFrame(-1), -1);
  EXPECT_EQ(video->PrevKeyFrame(0), -1);
  EXPECT_EQ(video->NextKeyFrame(end), -1);
  EXPECT_EQ(video->NearestKeyFrame(end + 10), keys.back());
  EXPECT_EQ(video->PrevKeyFrame(end + 10), keys.back());
}

TEST(AviFixture, FileInfoAndTimes) {
  const auto opened = OpenAvi(Fixture("avi_div3_pcm.avi"));
  ASSERT_EQ(opened.result, S_OK);
  AviFileInfo info;
  ASSERT_EQ(opened.handler->GetFileInfo(info), S_OK);
  EXPECT_EQ(info.dwStreams, 2u);
  EXPECT_EQ(info.dwWidth, 160u);
  EXPECT_EQ(info.dwHeight, 120u);
  // 25 frames per second and 44100 mono 16-bit samples per second.
  auto video = opened.handler->GetStream(kVids, 0);
  auto audio = opened.handler->GetStream(kAuds, 0);
  ASSERT_TRUE(video && audio);
  EXPECT_EQ(video->SampleToTime(25), 1000);
  EXPECT_EQ(video->TimeToSample(1010), 25);
  EXPECT_EQ(video->TimeToSample(1030), 26);
  EXPECT_EQ(audio->TimeToSample(1000), 44100);
  EXPECT_EQ(audio->SampleToTime(22050), 500);
  EXPECT_EQ(audio->End(), 88200);
  // Whole blocks only: a buffer shorter than one block is refused with the size needed.
  uint8_t small[1];
  int64_t bytes = 0;
  int64_t samples = 0;
  EXPECT_EQ(audio->Read(0, 10, small, sizeof small, &bytes, &samples), AVIERR_BUFFERTOOSMALL);
  EXPECT_EQ(bytes, 20);
  EXPECT_EQ(samples, 10);
  AviStreamInfo videoInfo;
  std::vector<uint8_t> format;
  ASSERT_EQ(video->InfoAndFormat(videoInfo, format), S_OK);
  EXPECT_EQ(videoInfo.fccHandler, MakeFourCC('D', 'I', 'V', '3'));
  EXPECT_EQ(format.size(), video->Format().size());
  EXPECT_GE(format.size(), 40u);
  EXPECT_EQ(opened.handler->GetStream(kVids, 1), nullptr);
}

}  // namespace
}  // namespace korvel::test
