#include "mediainfo/detect_container.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;

struct FixtureCase {
  const char* file;
  DetectCode code;
  int subType;
};

class DetectFixtureTest : public testing::TestWithParam<FixtureCase> {};

TEST_P(DetectFixtureTest, DetectsTheContainerAndItsSubType) {
  const FixtureCase& c = GetParam();
  int subType = 12345;
  EXPECT_EQ(DetectContainer(Fixture(c.file), &subType), c.code);
  EXPECT_EQ(subType, c.subType);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, DetectFixtureTest,
    testing::Values(FixtureCase{"avi_xvid_mp3.avi", kDetectAvi, 0}, FixtureCase{"avi_div3_pcm.avi", kDetectAvi, 0},
                    FixtureCase{"avi_h264.avi", kDetectAvi, 0}, FixtureCase{"asf_wmv2.wmv", kDetectAsf, 0},
                    FixtureCase{"mp4_h264_aac.mp4", kDetectIsoMedia, kBrandMp4},
                    FixtureCase{"mov_h264_aac.mov", kDetectIsoMedia, kBrandMov},
                    FixtureCase{"3gp_h264_aac.3gp", kDetectIsoMedia, kBrand3gp},
                    FixtureCase{"m4a_aac.m4a", kDetectIsoMedia, kBrandM4a},
                    FixtureCase{"ps_mpeg1_mp2.mpg", kDetectMpegPs, kSubTypeMpeg1},
                    FixtureCase{"ps_mpeg2_mp2.mpg", kDetectMpegPs, kSubTypeMpeg2},
                    FixtureCase{"vob_mpeg2_ac3.vob", kDetectMpegPs, kSubTypeMpeg2},
                    // Transport streams have no signature here: the FFmpeg analyzer takes them.
                    FixtureCase{"ts_h264_aac.ts", kDetectUnknown, -1}, FixtureCase{"ts_h264_aac.mts", kDetectUnknown, -1},
                    FixtureCase{"ts_mpeg2_ac3.ts", kDetectUnknown, -1},
                    FixtureCase{"mkv_mpeg4_mp3.mkv", kDetectMatroska, 0},
                    FixtureCase{"ogg_theora_vorbis.ogg", kDetectOgg, 0},
                    FixtureCase{"tiny_15_bytes.bin", kDetectUnknown, 0},
                    // The content decides, not the name.
                    FixtureCase{"ps_named_as.avi", kDetectMpegPs, kSubTypeMpeg2}));

TEST(DetectContainerTest, UnreadableFilesAreUnknown) {
  test::TempDir dir;
  EXPECT_EQ(DetectContainer(dir / "missing.avi"), kDetectUnknown);
  EXPECT_EQ(DetectContainer(dir.path()), kDetectUnknown);  // a folder
  EXPECT_FALSE(IsAviFile(dir / "missing.avi"));
  EXPECT_TRUE(IsAviFile(Fixture("avi_xvid_mp3.avi")));
}

TEST(DetectContainerTest, AviWithDamagedRiffTagIsFoundByItsHeaderList) {
  test::TempDir dir;
  const auto damaged = dir / "damaged.avi";
  std::filesystem::copy_file(Fixture("avi_xvid_mp3.avi"), damaged);
  {
    std::fstream file(damaged, std::ios::in | std::ios::out | std::ios::binary);
    file.write("\0\0\0\0", 4);  // "RIFF" wiped
    file.seekp(8);
    file.write("XXXX", 4);  // form type wiped
  }
  int subType = 0;
  EXPECT_EQ(DetectContainer(damaged, &subType), kDetectAvi);
  EXPECT_EQ(subType, -1);  // the box walk ran first and found nothing
}

// Bytes made by hand for the rules the fixtures do not reach.
std::vector<uint8_t> Bytes(std::string text, size_t size = 64) {
  text.resize(std::max(size, text.size()), '\xEE');
  return {text.begin(), text.end()};
}

std::string Box(uint32_t size, const char* type) {
  std::string box{static_cast<char>(size >> 24), static_cast<char>(size >> 16), static_cast<char>(size >> 8),
                  static_cast<char>(size)};
  return box + type;
}

struct BytesCase {
  const char* name;
  std::vector<uint8_t> bytes;
  DetectCode code;
  int subType;
};

class DetectBytesTest : public testing::TestWithParam<BytesCase> {};

TEST_P(DetectBytesTest, FollowsTheSignatureRules) {
  const BytesCase& c = GetParam();
  int subType = 12345;
  EXPECT_EQ(DetectContainerInBytes(c.bytes, &subType), c.code) << c.name;
  EXPECT_EQ(subType, c.subType) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DetectBytesTest,
    testing::Values(
        BytesCase{"cd-xa wrapper", Bytes("RIFF\x10\x01\x01\x01" "CDXAfmt "), kDetectMpegPs, kSubTypeMpeg1},
        BytesCase{"sequence header", Bytes(std::string("\0\0\x01\xB3", 4)), kDetectMpegPs, kSubTypeMpeg1},
        BytesCase{"ogg upper case", Bytes("OGGS"), kDetectOgg, 0},
        BytesCase{"realmedia", Bytes(".RMF"), kDetectRealMedia, 0},
        BytesCase{"ebml without matroska", Bytes("\x1A\x45\xDF\xA3 webm doc type"), kDetectUnknown, 0},
        BytesCase{"matroska in capitals", Bytes("\x1A\x45\xDF\xA3....MATROSKA"), kDetectMatroska, 0},
        BytesCase{"mdat first", Bytes(Box(0x1000, "mdat")), kDetectIsoMedia, kBrandOther},
        BytesCase{"skip then moov", Bytes(Box(16, "skip") + "12345678" + Box(100, "moov")), kDetectIsoMedia, kBrandOther},
        BytesCase{"compatible 3g2", Bytes(Box(24, "ftyp") + "abcd" + std::string(4, '\0') + "isom3g2b"),
                  kDetectIsoMedia, kBrand3g2},
        BytesCase{"compatible 3gp", Bytes(Box(24, "ftyp") + "abcd" + std::string(4, '\0') + "3gp5isom"),
                  kDetectIsoMedia, kBrand3gp},
        BytesCase{"other brand", Bytes(Box(24, "ftyp") + "abcd" + std::string(4, '\0') + "avc1mp71"), kDetectIsoMedia,
                  kBrandOther},
        // A compatible brand beyond the box is not looked at.
        BytesCase{"brand past the box", Bytes(Box(16, "ftyp") + "abcd" + std::string(4, '\0') + Box(8, "free") + "3gp4"),
                  kDetectIsoMedia, kBrandOther},
        // A skipped box too small to advance ends the walk instead of looping.
        BytesCase{"skip of size 4", Bytes(Box(4, "skip") + Box(8, "moov")), kDetectUnknown, -1},
        BytesCase{"skip past the end", Bytes(Box(0xFFFFFFF0, "uuid") + Box(8, "moov")), kDetectUnknown, -1},
        BytesCase{"pack start later", Bytes(std::string("junkjunk\0\0\x01\xBA\x44", 13)), kDetectMpegPs, kSubTypeMpeg2},
        BytesCase{"nothing known", Bytes("plain text, nothing else"), kDetectUnknown, -1},
        BytesCase{"fifteen bytes", Bytes("RIFF....AVI ...", 15), kDetectUnknown, 0}));

TEST(DetectContainerTest, MpegVersionCountsPacksInTheFirst2048Bytes) {
  // One MPEG-1 pack early, two MPEG-2 packs later: MPEG-2 wins; a third MPEG-1 pack past
  // 2048 bytes is not counted.
  std::string bytes = std::string("\0\0\x01\xBA\x21", 5) + std::string(100, '\0');
  bytes += std::string("\0\0\x01\xBA\x44", 5) + std::string(100, '\0');
  bytes += std::string("\0\0\x01\xBA\x7F", 5);
  bytes.resize(2048, '\xFF');
  bytes += std::string("\0\0\x01\xBA\x21\0\0\x01\xBA\x21", 10);
  int subType = 0;
  EXPECT_EQ(DetectContainerInBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()), &subType), kDetectMpegPs);
  EXPECT_EQ(subType, kSubTypeMpeg2);
}

}  // namespace
}  // namespace korvel
