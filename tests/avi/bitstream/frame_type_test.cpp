// The one- and two-bit frame headers of the simpler codec families, and the family table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avi/bitstream/video_bitstream.h"

namespace korvel {
namespace {

constexpr size_t kBlock = 16;

struct HeaderCase {
  const char* fourcc;
  std::vector<uint8_t> start;  // padded with zero bytes to a full block
  int32_t expected;
};

class FrameHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(FrameHeaderTest, TypeFromTheFirstBits) {
  const auto& c = GetParam();
  std::vector<uint8_t> block = c.start;
  block.resize(kBlock, 0);
  EXPECT_EQ(FrameType(FourCCFromText(c.fourcc), block.data(), block.size(), {}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Families, FrameHeaderTest,
    ::testing::Values(
        // version 1: picture start code, 5-bit frame number, 2-bit type
        HeaderCase{"MP41", {0x00, 0x00, 0x01, 0x00, 0b10101'00'0}, kFrameKey},
        HeaderCase{"div1", {0x00, 0x00, 0x01, 0x00, 0b00000'01'0}, kFramePredicted},
        HeaderCase{"MPG4", {0x00, 0x00, 0x02, 0x00, 0x00}, kFrameUnknown},
        HeaderCase{"MP42", {0b00'000000}, kFrameKey}, HeaderCase{"DIV3", {0b01'000000}, kFramePredicted},
        HeaderCase{"col1", {0b00'111111}, kFrameKey}, HeaderCase{"WMV1", {0b10'000000}, kFrameBidirectional},
        // type bits 11 name no picture type (found by fuzzing: they used to come back as 4)
        HeaderCase{"WMV1", {0b11'000000}, kFrameUnknown}, HeaderCase{"DIV3", {0xC0}, kFrameUnknown},
        HeaderCase{"mp41", {0x00, 0x00, 0x01, 0x00, 0b00000'11'0}, kFrameUnknown},
        HeaderCase{"WMV2", {0x7F}, kFrameKey}, HeaderCase{"wmv2", {0x80}, kFramePredicted},
        HeaderCase{"VP31", {0x00}, kFrameKey}, HeaderCase{"VP30", {0x80}, kFramePredicted},
        HeaderCase{"VP50", {0x7F}, kFrameKey}, HeaderCase{"vp60", {0x80}, kFramePredicted},
        HeaderCase{"THEO", {0x80}, kFrameUnknown},  // a stream header packet
        HeaderCase{"THEO", {0x3F}, kFrameKey}, HeaderCase{"theo", {0x40}, kFramePredicted},
        HeaderCase{"VP62", {0x7E}, kFrameKey}, HeaderCase{"VP61", {0xFE}, kFramePredicted},
        HeaderCase{"VP6F", {0x01}, kFrameUnknown}, HeaderCase{"flv4", {0x00}, kFrameKey},
        HeaderCase{"MJPG", {0x00}, kFrameUnknown}, HeaderCase{"XVID", {0x00}, kFrameUnknown}),
    [](const auto& info) { return std::string(info.param.fourcc) + "_" + std::to_string(info.index); });

TEST(FrameTypeTest, BlocksShorterThanTenBytesAreNeverKeyFrames) {
  const std::vector<uint8_t> intraVop{0x00, 0x00, 0x01, 0xB6, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  EXPECT_TRUE(IsMpeg4KeyFrame(intraVop.data(), intraVop.size()));
  EXPECT_FALSE(IsMpeg4KeyFrame(intraVop.data(), intraVop.size() - 1));
  EXPECT_EQ(Mpeg4CodingType(intraVop.data(), intraVop.size() - 1), 0);
  const std::vector<uint8_t> zeros(9, 0);  // an intra header for every family below
  for (const char* fourcc : {"DIV3", "WMV2", "WMV3", "VP62", "THEO", "H264"}) {
    EXPECT_EQ(FrameType(FourCCFromText(fourcc), zeros.data(), zeros.size(), {}), kFrameNotKey) << fourcc;
  }
  EXPECT_EQ(FrameType(FourCCFromText("DIV3"), nullptr, 100, {}), kFrameNotKey);
}

TEST(FrameTypeTest, FamiliesMatchFourCCsExactly) {
  EXPECT_EQ(CodecFamily(FourCCFromText("DIVX")), kCodecNone);  // the header walker's, not a family
  EXPECT_TRUE(IsMpeg4Part2(FourCCFromText("DIVX")));
  EXPECT_TRUE(IsMpeg4Part2(FourCCFromText("fvfw")));
  EXPECT_FALSE(IsMpeg4Part2(FourCCFromText("Xvid")));
  EXPECT_FALSE(IsMpeg4Part2(FourCCFromText("DIV3")));
  EXPECT_EQ(CodecFamily(FourCCFromText("ap41")), kCodecMsMpeg4V3);
  EXPECT_EQ(CodecFamily(FourCCFromText("WMVA")), kCodecVc1Advanced);
  EXPECT_EQ(CodecFamily(FourCCFromText("vssh")), kCodecH264);
  EXPECT_EQ(CodecFamily(FourCCFromText("Wmv3")), kCodecNone);
  EXPECT_TRUE(HasFrameTypeInspector(FourCCFromText("FLV4")));
  EXPECT_FALSE(HasFrameTypeInspector(FourCCFromText("MJPG")));
}

}  // namespace
}  // namespace korvel
