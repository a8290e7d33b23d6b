// The reader on AVI files built byte by byte: OpenDML segments, empty frames, irregular audio
// chunks, stream headers without a rate, stream numbers past 9, discarded stream lists.
#include <gtest/gtest.h>

#include "avi/avi_test_files.h"
#include "avi/avi_test_probe.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

constexpr FOURCC kVids = MakeFourCC('v', 'i', 'd', 's');
constexpr FOURCC kAuds = MakeFourCC('a', 'u', 'd', 's');

TestStream Video(uint32_t rate = 25) {
  TestStream s;
  s.handler = "TEST";
  s.rate = rate;
  s.format = BitmapInfo("TEST", 32, 16);
  return s;
}

TestStream Audio(uint16_t blockAlign) {
  TestStream s;
  s.type = "auds";
  s.scale = blockAlign;
  s.rate = 8000u * blockAlign;
  s.sampleSize = blockAlign;
  s.format = WaveFormat(1, 1, 8000, 8000u * blockAlign, blockAlign, 16);
  return s;
}

// Three segments of frames (a key frame every fourth) with audio between them.
TestAvi ThreeSegments(bool odmlIndex) {
  TestAvi avi;
  avi.streams = {Video(), Audio(2)};
  avi.idx1 = false;
  avi.odmlIndex = odmlIndex;
  uint8_t seed = 0;
  for (int seg = 0; seg < 3; ++seg) {
    std::vector<TestChunk> chunks;
    for (int i = 0; i < 6; ++i, ++seed) {
      chunks.push_back({"00dc", Payload(100 + seed * 3, seed), seed % 4 == 0});
      if (i % 2 == 0) chunks.push_back({"01wb", Payload(64, static_cast<uint8_t>(seed + 100)), true});
    }
    avi.segments.push_back(chunks);
  }
  return avi;
}

struct ExpectedSample {
  Bytes data;
  bool key;
};

std::vector<ExpectedSample> VideoFrames(const TestAvi& avi) {
  std::vector<ExpectedSample> frames;
  for (const auto& segment : avi.segments)
    for (const auto& chunk : segment)
      if (chunk.id == "00dc") frames.push_back({chunk.data, chunk.key});
  return frames;
}

void ExpectFrames(IAVIReadStream& stream, const std::vector<ExpectedSample>& frames, bool keysFromIndex) {
  ASSERT_EQ(stream.End(), static_cast<int64_t>(frames.size()));
  std::vector<uint8_t> buffer(4096);
  for (size_t i = 0; i < frames.size(); ++i) {
    int64_t bytes = 0;
    int64_t samples = 0;
    ASSERT_EQ(stream.Read(static_cast<int64_t>(i), 1, buffer.data(), 4096, &bytes, &samples), S_OK);
    ASSERT_EQ(bytes, static_cast<int64_t>(frames[i].data.size())) << i;
    EXPECT_TRUE(std::equal(frames[i].data.begin(), frames[i].data.end(), buffer.begin())) << i;
    if (keysFromIndex) {
      EXPECT_EQ(stream.IsKeyFrame(static_cast<int64_t>(i)), frames[i].key) << i;
    }
  }
}

TEST(AviOpenDml, SuperIndexReachesEverySegment) {
  TempDir dir;
  const TestAvi avi = ThreeSegments(true);
  WriteFileBytes(dir / "odml.avi", BuildAvi(avi));
  for (const bool force : {false, true}) {
    const auto opened = OpenAvi(dir / "odml.avi", force);
    ASSERT_EQ(opened.result, S_OK);
    EXPECT_EQ(opened.handler->IndexReconstructed(), force);
    auto video = opened.handler->GetStream(kVids, 0);
    ASSERT_TRUE(video);
    ExpectFrames(*video, VideoFrames(avi), !force);
    auto audio = opened.handler->GetStream(kAuds, 0);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->End(), 9 * 64 / 2);
  }
}

TEST(AviOpenDml, WithoutIndexTheScanEntersEachSegment) {
  TempDir dir;
  const TestAvi avi = ThreeSegments(false);
  WriteFileBytes(dir / "odml.avi", BuildAvi(avi));
  const auto opened = OpenAvi(dir / "odml.avi");
  ASSERT_EQ(opened.result, S_OK);
  EXPECT_TRUE(opened.handler->IndexReconstructed());
  EXPECT_FALSE(opened.handler->FileDamaged());
  ExpectFrames(*opened.handler->GetStream(kVids, 0), VideoFrames(avi), false);
  EXPECT_EQ(opened.handler->GetStream(kAuds, 0)->End(), 9 * 64 / 2);
}

// Super index entries: one pointing past the end is dropped, one pointing at something other
// than a standard index makes the reader rebuild the index.
TEST(AviOpenDml, BadSuperIndexEntries) {
  TempDir dir;
  const TestAvi avi = ThreeSegments(true);
  const Bytes good = BuildAvi(avi);
  const auto superEntry = [&](int n) {
    const auto indx = std::search(good.begin(), good.end(), std::begin("indx"), std::end("indx") - 1);
    return static_cast<size_t>(indx - good.begin()) + 8 + 24 + 16 * static_cast<size_t>(n);
  };
  Bytes outside = good;
  for (int i = 0; i < 8; ++i) outside[superEntry(2) + static_cast<size_t>(i)] = i == 5 ? 0x01 : 0;
  WriteFileBytes(dir / "outside.avi", outside);
  const auto opened = OpenAvi(dir / "outside.avi");
  ASSERT_EQ(opened.result, S_OK);
  EXPECT_FALSE(opened.handler->IndexReconstructed());
  EXPECT_EQ(opened.handler->GetStream(kVids, 0)->End(), 12);

  Bytes notAnIndex = good;
  notAnIndex[superEntry(1)] = 12;  // the "LIST" "hdrl" header
  for (int i = 1; i < 8; ++i) notAnIndex[superEntry(1) + static_cast<size_t>(i)] = 0;
  WriteFileBytes(dir / "wrong.avi", notAnIndex);
  const auto rebuilt = OpenAvi(dir / "wrong.avi");
  ASSERT_EQ(rebuilt.result, S_OK);
  EXPECT_TRUE(rebuilt.handler->IndexReconstructed());
  ExpectFrames(*rebuilt.handler->GetStream(kVids, 0), VideoFrames(avi), false);
}

TEST(AviBuiltFile, EmptyVideoChunksAreSamplesButNeverKeyFrames) {
  TempDir dir;
  TestAvi avi;
  avi.streams = {Video()};
  avi.segments = {{{"00dc", Payload(50, 1), true}, {"00dc", {}, true}, {"00dc", Payload(30, 2), false}}};
  WriteFileBytes(dir / "empty.avi", BuildAvi(avi));
  for (const bool force : {false, true}) {
    const auto opened = OpenAvi(dir / "empty.avi", force);
    ASSERT_EQ(opened.result, S_OK);
    auto video = opened.handler->GetStream(kVids, 0);
    ASSERT_EQ(video->End(), 3);
    uint8_t buffer[64];
    int64_t bytes = -1;
    int64_t samples = -1;
    EXPECT_EQ(video->Read(1, 1, buffer, sizeof buffer, &bytes, &samples), S_OK);
    EXPECT_EQ(bytes, 0);
    EXPECT_EQ(samples, 1);
    EXPECT_TRUE(video->IsKeyFrame(0));
    EXPECT_FALSE(video->IsKeyFrame(1));
    EXPECT_EQ(video->NearestKeyFrame(2), 0);
  }
}

TEST(AviBuiltFile, IrregularAudioChunkIsReadBlockByBlock) {
  TempDir dir;
  TestAvi avi;
  avi.streams = {Audio(4)};
  avi.segments = {{{"00wb", Payload(8, 1), true}, {"00wb", Payload(10, 2), true}, {"00wb", Payload(4, 3), true}}};
  WriteFileBytes(dir / "irregular.avi", BuildAvi(avi));
  const auto opened = OpenAvi(dir / "irregular.avi");
  ASSERT_EQ(opened.result, S_OK);
  auto audio = opened.handler->GetStream(kAuds, 0);
  ASSERT_TRUE(audio);
  const Bytes all = [&] {
    Bytes joined;
    for (const auto& chunk : avi.segments[0]) joined.insert(joined.end(), chunk.data.begin(), chunk.data.end());
    return joined;
  }();
  const std::vector<int64_t> blockSizes = {4, 4, 4, 4, 2, 4};
  ASSERT_EQ(audio->End(), static_cast<int64_t>(blockSizes.size()));
  size_t offset = 0;
  for (size_t s = 0; s < blockSizes.size(); ++s) {
    uint8_t buffer[16];
    int64_t bytes = 0;
    int64_t samples = 0;
    ASSERT_EQ(audio->Read(static_cast<int64_t>(s), 100, buffer, sizeof buffer, &bytes, &samples), S_OK);
    EXPECT_EQ(bytes, blockSizes[s]) << s;
    EXPECT_EQ(samples, 1);
    EXPECT_TRUE(std::equal(buffer, buffer + bytes, all.begin() + static_cast<std::ptrdiff_t>(offset))) << s;
    offset += static_cast<size_t>(bytes);
  }
  double mean = 0, deviation = 0, drift = 0;
  EXPECT_TRUE(audio->GetVBRInfo(mean, deviation, drift));
  EXPECT_GT(mean, 0);
}

TEST(AviBuiltFile, VideoWithoutRateTakesTheMainHeader) {
  TempDir dir;
  TestAvi avi;
  avi.microSecPerFrame = 40000;
  avi.streams = {Video(0)};
  avi.segments = {{{"00dc", Payload(10, 1), true}}};
  WriteFileBytes(dir / "norate.avi", BuildAvi(avi));
  const auto opened = OpenAvi(dir / "norate.avi");
  ASSERT_EQ(opened.result, S_OK);
  auto video = opened.handler->GetStream(kVids, 0);
  AviStreamInfo info;
  video->Info(info);
  EXPECT_EQ(info.dwRate, 1000000u);
  EXPECT_EQ(info.dwScale, 40000u);
  EXPECT_EQ(video->SampleToTime(25), 1000);
}

// Chunk ids carry the stream number in hexadecimal, counted over every "strl" list in the file,
// including one the reader discards for lack of a format.
TEST(AviBuiltFile, StreamNumbersAreHexadecimalStrlPositions) {
  TempDir dir;
  TestAvi avi;
  TestStream broken = Video();
  broken.omitFormat = true;
  avi.streams.push_back(broken);
  for (int i = 1; i < 12; ++i) avi.streams.push_back(Video());
  avi.segments = {{{"0adc", Payload(40, 1), true}, {"0Bdc", Payload(20, 2), true}, {"0adc", Payload(30, 3), true},
                   {"01dc", Payload(10, 4), true}}};
  WriteFileBytes(dir / "many.avi", BuildAvi(avi));
  for (const bool force : {false, true}) {
    const auto opened = OpenAvi(dir / "many.avi", force);
    ASSERT_EQ(opened.result, S_OK);
    AviFileInfo info;
    ASSERT_EQ(opened.handler->GetFileInfo(info), S_OK);
    EXPECT_EQ(info.dwStreams, 11u);
    // Usable streams are numbered 1 to 11 in the file; the reader lists them from 0.
    EXPECT_EQ(opened.handler->GetStream(kVids, 0)->End(), 1);
    EXPECT_EQ(opened.handler->GetStream(kVids, 9)->End(), 2);
    EXPECT_EQ(opened.handler->GetStream(kVids, 10)->End(), 1);
    EXPECT_EQ(opened.handler->GetStream(kVids, 11), nullptr);
  }
}

}  // namespace
}  // namespace korvel::test
