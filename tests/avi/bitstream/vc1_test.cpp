// WMV9 and VC-1: sequence settings from hand-made format blocks, picture types from
// hand-made frame headers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "avi/bitstream/bit_writer.h"
#include "avi/bitstream/video_bitstream.h"

namespace korvel {
namespace {

using test::BitWriter;

constexpr size_t kBitmapInfoHeader = 40;

std::vector<uint8_t> Format(const std::vector<uint8_t>& extra) {
  std::vector<uint8_t> format(kBitmapInfoHeader + extra.size(), 0);
  std::copy(extra.begin(), extra.end(), format.begin() + kBitmapInfoHeader);
  return format;
}

// STRUCT_C of a main-profile stream.
std::vector<uint8_t> StructC(uint32_t rangeReduction, uint32_t maxBFrames, uint32_t interpolation) {
  BitWriter w;
  w.Put(0b0100, 4).Put(7, 3).Put(31, 5).Put(0b111111, 6).Put(3, 2).Put(0b1111, 4);  // all set before the flags
  return w.Put(rangeReduction, 1).Put(maxBFrames, 3).Put(3, 2).Put(interpolation, 1).Put(1, 1).Padded(0);
}

// An advanced-profile sequence header with its start code.
std::vector<uint8_t> AdvancedSequenceHeader(uint32_t interlace, uint32_t interpolation) {
  BitWriter w;
  w.Bytes({0x00, 0x00, 0x01, 0x0F}).Put(3, 2).Put(2, 3).Put(1, 2).Put(7, 3).Put(31, 5).Put(1, 1);
  w.Put(719 / 2, 12).Put(575 / 2, 12).Put(1, 1).Put(interlace, 1).Put(1, 1).Put(interpolation, 1);
  return w.Put(0, 1).Put(0, 1).Put(0, 1).Put(0b1000, 4).Padded(20);
}

TEST(Vc1StateTest, ReadsTheSequenceSettingsFromTheFormat) {
  TVc1SequenceState main;
  const auto wmv3 = Format(StructC(1, 5, 1));
  InitVc1State(FourCCFromText("WMV3"), wmv3.data(), wmv3.size(), main);
  EXPECT_EQ(main.Profile, 1u);
  EXPECT_EQ(main.RangeReduction, 1u);
  EXPECT_EQ(main.MaxBFrames, 5u);
  EXPECT_EQ(main.FrameInterpolation, 1u);
  EXPECT_EQ(main.Interlace, 0u);

  TVc1SequenceState advanced;
  auto extra = AdvancedSequenceHeader(1, 1);
  extra.insert(extra.begin(), 0x24);  // the size byte some muxers put in front
  const auto wvc1 = Format(extra);
  InitVc1State(FourCCFromText("WVC1"), wvc1.data(), wvc1.size(), advanced);
  EXPECT_EQ(advanced.Profile, 3u);
  EXPECT_EQ(advanced.Interlace, 1u);
  EXPECT_EQ(advanced.FrameInterpolation, 1u);
  EXPECT_EQ(advanced.MaxBFrames, 0u);
}

TEST(Vc1StateTest, LeavesTheStateAloneWithoutAUsableHeader) {
  const TVc1SequenceState marked{2, 1, 1, 1, 7};
  const auto structC = StructC(0, 0, 0);
  const auto advanced = AdvancedSequenceHeader(0, 0);
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases{
      {"WMV3", std::vector<uint8_t>(kBitmapInfoHeader, 0)},                       // no extra data
      {"WMV3", std::vector<uint8_t>(30, 0)},                                       // shorter than the header
      {"WMV3", Format({structC[0], structC[1]})},                                 // STRUCT_C cut short
      {"WVC1", Format(std::vector<uint8_t>(advanced.begin(), advanced.begin() + 15))},  // under 16 bytes
      {"WMV2", Format(structC)},                                                  // another family
  };
  for (const auto& [fourcc, format] : cases) {
    TVc1SequenceState state = marked;
    InitVc1State(FourCCFromText(fourcc), format.data(), format.size(), state);
    EXPECT_EQ(state.Profile, marked.Profile) << fourcc << " " << format.size();
    EXPECT_EQ(state.MaxBFrames, marked.MaxBFrames) << fourcc << " " << format.size();
  }
}

struct PictureCase {
  const char* name;
  const char* fourcc;
  TVc1SequenceState state;
  std::vector<uint8_t> frame;
  int32_t expected;
};

class Vc1PictureTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(Vc1PictureTest, TypeFromTheFrameHeader) {
  const auto& c = GetParam();
  EXPECT_EQ(FrameType(FourCCFromText(c.fourcc), c.frame.data(), c.frame.size(), c.state), c.expected);
}

constexpr TVc1SequenceState kMainNoB{1, 0, 0, 0, 0};
constexpr TVc1SequenceState kMainWithB{1, 0, 1, 1, 2};  // interpolation and range reduction bits too
constexpr TVc1SequenceState kAdvanced{3, 0, 0, 0, 0};
constexpr TVc1SequenceState kAdvancedInterlaced{3, 1, 0, 0, 0};

std::vector<uint8_t> Bits(uint32_t value, unsigned bits) { return BitWriter().Put(value, bits).Padded(12); }

std::vector<uint8_t> AdvancedFrame(uint32_t value, unsigned bits) {
  return BitWriter().Bytes({0x00, 0x00, 0x01, 0x0D}).Put(value, bits).Padded(12);
}

std::vector<uint8_t> AdvancedKeyFrameWithHeaders() {
  BitWriter w;
  w.Bytes(AdvancedSequenceHeader(0, 0)).Bytes({0x00, 0x00, 0x01, 0x0E, 0x4C, 0x1A, 0xB0, 0x40});
  return w.Bytes({0x00, 0x00, 0x01, 0x0D}).Put(0b110, 3).Padded(0);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, Vc1PictureTest,
    ::testing::Values(
        // frame count (2 bits), then the picture type bit
        PictureCase{"MainIntra", "WMV3", kMainNoB, Bits(0b11'0, 3), kFrameKey},
        PictureCase{"MainPredicted", "WMV3", kMainNoB, Bits(0b00'1, 3), kFramePredicted},
        // interpolation bit, frame count, range reduction bit, then 1 / 01 / 00
        PictureCase{"MainBPredicted", "wmv3", kMainWithB, Bits(0b1'01'1'1, 5), kFramePredicted},
        PictureCase{"MainBIntra", "wmv3", kMainWithB, Bits(0b1'10'0'01, 6), kFrameKey},
        PictureCase{"MainBBidirectional", "wmv3", kMainWithB, Bits(0b0'11'1'00, 6), kFrameBidirectional},
        PictureCase{"AdvancedIntra", "WVC1", kAdvanced, AdvancedFrame(0b110, 3), kFrameKey},
        PictureCase{"AdvancedPredicted", "WVC1", kAdvanced, AdvancedFrame(0b0, 1), kFramePredicted},
        PictureCase{"AdvancedBidirectional", "WVC1", kAdvanced, AdvancedFrame(0b10, 2), kFrameBidirectional},
        PictureCase{"AdvancedBi", "WVC1", kAdvanced, AdvancedFrame(0b1110, 4), kFrameBi},
        PictureCase{"AdvancedSkipped", "WVC1", kAdvanced, AdvancedFrame(0b1111, 4), kFramePredicted},
        PictureCase{"AdvancedWithoutStartCode", "WMVA", kAdvanced, Bits(0b110, 3), kFrameKey},
        PictureCase{"AdvancedAfterSequenceHeader", "WVC1", kAdvanced, AdvancedKeyFrameWithHeaders(), kFrameKey},
        PictureCase{"AdvancedFieldStartCode", "WVC1", kAdvanced,
                    BitWriter().Bytes({0x00, 0x00, 0x01, 0x0C}).Put(0b110, 3).Padded(12), kFrameUnknown},
        // frame coding mode: 0 progressive, 10 frame interlace, 11 field pair with a 3-bit type
        PictureCase{"InterlacedProgressiveIntra", "WVC1", kAdvancedInterlaced, AdvancedFrame(0b0'110, 4), kFrameKey},
        PictureCase{"InterlacedFrameB", "WVC1", kAdvancedInterlaced, AdvancedFrame(0b10'10, 4),
                    kFrameBidirectional},
        PictureCase{"FieldPairIntraPredicted", "WVC1", kAdvancedInterlaced, AdvancedFrame(0b11'001, 5), kFrameKey},
        PictureCase{"FieldPairPredicted", "WVC1", kAdvancedInterlaced, AdvancedFrame(0b11'011, 5),
                    kFramePredicted},
        PictureCase{"FieldPairBi", "WVC1", kAdvancedInterlaced, AdvancedFrame(0b11'111, 5), kFrameBi}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel
