// Rebuilding the index of damaged AVI files: the samples that survived read as in the intact
// file, key frames come from the frames' own bytes, skipped bytes are counted.
#include <gtest/gtest.h>

#include <algorithm>

#include "avi/avi_test_files.h"
#include "avi/avi_test_probe.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

constexpr FOURCC kVids = MakeFourCC('v', 'i', 'd', 's');

struct Comparison {
  bool positions = true;  // false when bytes were inserted in front of some chunks
  bool prefixOnly = false;  // true when the file was cut short
};

// Rebuilt audio indexes mark only the first chunk as a key entry, so audio keys are not compared.
void ExpectSameReads(std::vector<SampleRead> original, std::vector<SampleRead> rebuilt, bool video,
                     const Comparison& how) {
  if (how.prefixOnly) {
    ASSERT_LE(rebuilt.size(), original.size());
    // The last rebuilt read of a fixed-size stream may end where the cut was.
    if (!video && !rebuilt.empty()) rebuilt.pop_back();
    original.resize(rebuilt.size());
  }
  ASSERT_EQ(rebuilt.size(), original.size());
  for (size_t i = 0; i < original.size(); ++i) {
    SCOPED_TRACE("read " + std::to_string(i));
    EXPECT_EQ(rebuilt[i].sample, original[i].sample);
    EXPECT_EQ(rebuilt[i].bytes, original[i].bytes);
    EXPECT_EQ(rebuilt[i].adler, original[i].adler);
    if (how.positions) {
      EXPECT_EQ(rebuilt[i].position, original[i].position);
    }
    if (video) {
      EXPECT_EQ(rebuilt[i].key, original[i].key);
    }
  }
}

struct DamagedCase {
  const char* damaged;
  const char* original;
  Comparison how;
};

class AviReconstructTest : public testing::TestWithParam<DamagedCase> {};

TEST_P(AviReconstructTest, SurvivingSamplesAndKeyFramesMatchTheIntactFile) {
  const DamagedCase& c = GetParam();
  const auto original = OpenAvi(Fixture(c.original));
  const auto rebuilt = OpenAvi(Fixture(c.damaged));
  ASSERT_EQ(original.result, S_OK);
  ASSERT_EQ(rebuilt.result, S_OK);
  EXPECT_TRUE(rebuilt.handler->IndexReconstructed());
  EXPECT_EQ(rebuilt.messages.front(), "AVI Reconstructing ...");
  for (int32_t n = 0;; ++n) {
    auto a = original.handler->GetStream(0, n);
    auto b = rebuilt.handler->GetStream(0, n);
    ASSERT_EQ(a == nullptr, b == nullptr);
    if (!a) break;
    AviStreamInfo info;
    a->Info(info);
    const bool video = info.fccType == kVids;
    const auto rebuiltReads = ReadWholeStream(*b);
    if (c.how.prefixOnly) {
      EXPECT_GT(rebuiltReads.size() * 2, ReadWholeStream(*a).size()) << n;
    }
    ExpectSameReads(ReadWholeStream(*a), rebuiltReads, video, c.how);
    if (video && !c.how.prefixOnly) {
      int64_t keys = 0;
      for (int64_t s = 0; s < a->End(); ++s) keys += a->IsKeyFrame(s) ? 1 : 0;
      EXPECT_GE(keys, 3);
      EXPECT_EQ(rebuilt.MessageStartingWith("   - Keyframes : "), "   - Keyframes : " + std::to_string(keys));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Avi, AviReconstructTest,
    testing::Values(DamagedCase{"avi_xvid_mp3_noidx1.avi", "avi_xvid_mp3.avi", {}},
                    DamagedCase{"avi_div3_pcm_noidx1.avi", "avi_div3_pcm.avi", {}},
                    DamagedCase{"avi_h264_noidx1.avi", "avi_h264.avi", {}},
                    DamagedCase{"avi_wmv2_noidx1.avi", "avi_wmv2.avi", {}},
                    DamagedCase{"avi_h264_movi0.avi", "avi_h264.avi", {}},
                    DamagedCase{"avi_div3_pcm_garbage.avi", "avi_div3_pcm.avi", {.positions = false}},
                    DamagedCase{"avi_xvid_mp3_truncated.avi", "avi_xvid_mp3.avi", {.prefixOnly = true}}));

TEST(AviReconstruct, ForcedOnAnIntactFileGivesItsIndex) {
  const auto indexed = OpenAvi(Fixture("avi_h264.avi"));
  const auto forced = OpenAvi(Fixture("avi_h264.avi"), true);
  ASSERT_EQ(forced.result, S_OK);
  EXPECT_TRUE(forced.handler->IndexReconstructed());
  EXPECT_FALSE(forced.handler->FileDamaged());
  EXPECT_EQ(forced.MessageStartingWith("   - Video : "), "   - Video : H264");
  EXPECT_EQ(forced.MessageStartingWith("   - Corrupted"), "");
  EXPECT_EQ(ReadWholeStream(*forced.handler->GetStream(kVids, 0)), ReadWholeStream(*indexed.handler->GetStream(kVids, 0)));
}

TEST(AviReconstruct, InjectedBytesAreCountedAsCorrupted) {
  const auto file = Fixture("avi_div3_pcm_garbage.avi");
  const auto opened = OpenAvi(file);
  ASSERT_EQ(opened.result, S_OK);
  EXPECT_TRUE(opened.handler->FileDamaged());
  // The fixture script puts 4099 bytes between two chunks.
  const uint64_t size = std::filesystem::file_size(file);
  EXPECT_EQ(opened.MessageStartingWith("   - Corrupted size : "),
            "   - Corrupted size : 4 / " + std::to_string(size / 1024) + " KB (" + std::to_string(4099 * 100 / size) +
                "%)");
}

TEST(AviReconstruct, AbortStopsTheScan) {
  std::shared_ptr<IAVIReadHandler> handler;
  auto* holder = &handler;
  std::vector<int32_t> progress;
  const HRESULT result = CreateAviReadHandler(
      handler, Fixture("avi_div3_pcm.avi"), nullptr,
      [&](int32_t perMille) {
        progress.push_back(perMille);
        if (perMille > 0) (*holder)->Abort();
      },
      true, false);
  ASSERT_EQ(result, S_OK);
  const auto intact = OpenAvi(Fixture("avi_div3_pcm.avi"));
  auto video = handler->GetStream(kVids, 0);
  ASSERT_TRUE(video);
  EXPECT_LT(video->End(), intact.handler->GetStream(kVids, 0)->End() / 2);
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 1000);
}

TEST(AviReconstruct, MissingHeadersAreReported) {
  TempDir dir;
  // Streams but no movie data.
  RiffBuilder noMovie;
  const size_t riff = noMovie.BeginList("RIFF", "AVI ");
  const size_t hdrl = noMovie.BeginList("LIST", "hdrl");
  const size_t strl = noMovie.BeginList("LIST", "strl");
  Bytes strh(56, 0);
  std::copy_n("vids", 4, strh.begin());
  noMovie.AddChunk("strh", strh);
  noMovie.AddChunk("strf", BitmapInfo("TEST", 16, 16));
  noMovie.EndList(strl);
  noMovie.EndList(hdrl);
  noMovie.EndList(riff);
  WriteFileBytes(dir / "nomovie.avi", noMovie.bytes());
  // Movie data but no stream list.
  RiffBuilder noStream;
  const size_t riff2 = noStream.BeginList("RIFF", "AVI ");
  const size_t hdrl2 = noStream.BeginList("LIST", "hdrl");
  noStream.AddChunk("avih", Bytes(56, 0));
  noStream.EndList(hdrl2);
  const size_t movi = noStream.BeginList("LIST", "movi");
  noStream.AddChunk("00dc", Payload(10, 1));
  noStream.EndList(movi);
  noStream.EndList(riff2);
  WriteFileBytes(dir / "nostream.avi", noStream.bytes());

  const struct {
    const char* file;
    const char* message;
  } cases[] = {{"nomovie.avi", "   - Error : This file doesn't have a movie data block"},
               {"nostream.avi", "   - Error : This file doesn't have a stream header"}};
  for (const auto& c : cases) {
    const auto opened = OpenAvi(dir / c.file);
    EXPECT_EQ(opened.result, E_FAIL) << c.file;
    EXPECT_EQ(opened.messages, std::vector<std::string>{c.message}) << c.file;
    ASSERT_TRUE(opened.handler) << c.file;
    EXPECT_FALSE(opened.handler->IsOpen());
  }
}

}  // namespace
}  // namespace korvel::test
