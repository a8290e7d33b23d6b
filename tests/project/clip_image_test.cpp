#include "project/clip_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <limits>

#include "project/bitmap.h"

namespace korvel {
namespace {

constexpr size_t kThumbnailFileSize = 8154;
constexpr size_t kThumbnailTextSize = 16312;
// Set before each failing call, to show that a failure leaves the text alone.
const std::string kPreviousText = "0001424D";

uint32_t ToRgb(BgrPixel pixel) { return uint32_t{pixel.r} << 16 | uint32_t{pixel.g} << 8 | pixel.b; }

void AppendLE(std::vector<uint8_t>& out, uint64_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PatchU32LE(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

// Names each parameterized case after its name field.
struct CaseName {
  template <typename Case>
  std::string operator()(const testing::TestParamInfo<Case>& info) const {
    return info.param.name;
  }
};

// A hand-made packed bitmap whose four quadrants each hold one raw pixel value.
struct DibRecipe {
  uint32_t headerSize = 40;
  int32_t width = 8;
  int32_t height = 6;  // negative: rows stored top-down
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  std::vector<uint32_t> masks{};        // written at offset 40: after a 40-byte header, inside larger ones
  std::vector<uint32_t> palette{};      // 0xRRGGBB
  std::array<uint32_t, 4> quadrants{};  // top left, top right, bottom left, bottom right
};

size_t RowStride(const DibRecipe& recipe) {
  return (static_cast<size_t>(recipe.width) * recipe.bitCount + 31) / 32 * 4;
}

std::vector<uint8_t> MakeDib(const DibRecipe& recipe) {
  std::vector<uint8_t> dib;
  if (recipe.headerSize == 12) {
    AppendLE(dib, 12, 4);
    AppendLE(dib, static_cast<uint32_t>(recipe.width), 2);
    AppendLE(dib, static_cast<uint32_t>(recipe.height), 2);
    AppendLE(dib, 1, 2);
    AppendLE(dib, recipe.bitCount, 2);
  } else {
    AppendLE(dib, recipe.headerSize, 4);
    AppendLE(dib, static_cast<uint32_t>(recipe.width), 4);
    AppendLE(dib, static_cast<uint32_t>(recipe.height), 4);
    AppendLE(dib, 1, 2);
    AppendLE(dib, recipe.bitCount, 2);
    AppendLE(dib, recipe.compression, 4);
    AppendLE(dib, 0, 4);  // image size: may be 0 when uncompressed
    AppendLE(dib, 0, 8);  // resolution
    AppendLE(dib, recipe.colorsUsed, 4);
    AppendLE(dib, 0, 4);
    for (const uint32_t mask : recipe.masks) AppendLE(dib, mask, 4);
    dib.resize(std::max<size_t>(dib.size(), recipe.headerSize), 0);
  }
  for (const uint32_t colour : recipe.palette) AppendLE(dib, colour, recipe.headerSize == 12 ? 3 : 4);

  const int rows = std::abs(recipe.height);
  for (int stored = 0; stored < rows; ++stored) {
    const int y = recipe.height < 0 ? stored : rows - 1 - stored;
    std::vector<uint8_t> row;
    for (int x = 0; x < recipe.width; ++x) {
      const uint32_t value = recipe.quadrants[(y >= rows / 2 ? 2 : 0) + (x >= recipe.width / 2 ? 1 : 0)];
      if (recipe.bitCount >= 8) {
        AppendLE(row, value, recipe.bitCount / 8);
      } else {
        const size_t bit = static_cast<size_t>(x) * recipe.bitCount;
        row.resize(bit / 8 + 1, 0);
        row[bit / 8] |= static_cast<uint8_t>(value << (8 - recipe.bitCount - bit % 8));
      }
    }
    row.resize(RowStride(recipe), 0);
    dib.insert(dib.end(), row.begin(), row.end());
  }
  return dib;
}

std::vector<uint8_t> MakeBmpFile(const DibRecipe& recipe) {
  const std::vector<uint8_t> dib = MakeDib(recipe);
  const size_t pixelBytes = RowStride(recipe) * static_cast<size_t>(std::abs(recipe.height));
  std::vector<uint8_t> file = {'B', 'M'};
  AppendLE(file, 14 + dib.size(), 4);
  AppendLE(file, 0, 4);
  AppendLE(file, 14 + dib.size() - pixelBytes, 4);
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

std::vector<uint32_t> GradientPalette(int entries) {
  std::vector<uint32_t> palette;
  for (uint32_t i = 0; i < static_cast<uint32_t>(entries); ++i)
    palette.push_back(i << 16 | (255 - i) << 8 | (i * 7 & 0xFF));
  return palette;
}

// The thumbnail the text holds, checked to be a 60 x 45 BMP file of the exact size.
Bitmap ThumbnailOf(const TClipImage& image) {
  EXPECT_EQ(image.Text().size(), kThumbnailTextSize);
  std::vector<uint8_t> file;
  EXPECT_TRUE(image.DecodeToStream(file));
  EXPECT_EQ(file.size(), kThumbnailFileSize);
  return DecodeBmpFile(file).value_or(Bitmap());
}

// The frame's halves meet exactly between thumbnail columns 29 and 30 whatever its width; its top
// and bottom halves meet inside row 22, which therefore holds mixed colours and is skipped.
void ExpectQuadrants(const Bitmap& thumbnail, const std::array<uint32_t, 4>& rgb) {
  ASSERT_EQ(thumbnail.Width(), 60);
  ASSERT_EQ(thumbnail.Height(), 45);
  int mismatches = 0;
  for (int y = 0; y < 45; ++y) {
    if (y == 22) continue;
    for (int x = 0; x < 60; ++x) {
      const uint32_t expected = rgb[(y > 22 ? 2 : 0) + (x >= 30 ? 1 : 0)];
      const uint32_t actual = ToRgb(thumbnail.At(x, y));
      if (actual != expected && mismatches++ == 0) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is 0x" << std::hex << actual << ", expected 0x" << expected;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(ClipImageText, EncodeStreamWritesTagAndUpperCaseDigits) {
  TClipImage image;
  image.EncodeStream(std::vector<uint8_t>{0x00, 0xFF});
  EXPECT_EQ(image.Text(), "000100FF");
  image.EncodeStream(std::vector<uint8_t>{0x4D, 0xab, 0x10});
  EXPECT_EQ(image.Text(), "00014DAB10");
}

struct DecodeCase {
  const char* name;
  std::string text;
  bool ok;
  std::vector<uint8_t> stream;  // afterwards; the stream starts as {0xEE}
};

class ClipImageDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(ClipImageDecode, FollowsTheTextRules) {
  TClipImage image;
  image.SetText(GetParam().text);
  std::vector<uint8_t> stream = {0xEE};
  EXPECT_EQ(image.DecodeToStream(stream), GetParam().ok);
  EXPECT_EQ(stream, GetParam().stream);
}

INSTANTIATE_TEST_SUITE_P(
    , ClipImageDecode,
    testing::Values(DecodeCase{"Empty", "", false, {0xEE}}, DecodeCase{"TagAlone", "0001", false, {0xEE}},
                    DecodeCase{"OtherTag", "0002424D", false, {0xEE}},
                    DecodeCase{"OddLength", "0001424D4", false, {0xEE}},
                    DecodeCase{"TwoBytes", "0001424D", true, {0x42, 0x4D}},
                    DecodeCase{
                        "AllDigits", "00010123456789ABCDEF", true, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
                    DecodeCase{"LowerCaseKeepsBytesBefore", "0001424d", false, {0x42}},
                    DecodeCase{"BadFirstDigitEmptiesStream", "0001G24D", false, {}},
                    DecodeCase{"SpaceInside", "000142 D", false, {0x42}}),
    CaseName());

struct FrameCase {
  const char* name;
  DibRecipe dib;
  std::array<uint32_t, 4> rgb;  // expected quadrant colours, 0xRRGGBB
};

class ClipImageFromDib : public testing::TestWithParam<FrameCase> {};

TEST_P(ClipImageFromDib, MakesThumbnailWithFrameLayout) {
  const std::vector<uint8_t> dib = MakeDib(GetParam().dib);
  TClipImage image;
  ASSERT_TRUE(image.SetFromDib(dib.data(), dib.size()));
  ExpectQuadrants(ThumbnailOf(image), GetParam().rgb);
}

const std::vector<uint32_t> kPalette256 = GradientPalette(256);
constexpr std::array<uint32_t, 4> kMixedRgb = {0xFF0000, 0x0000FF, 0x00FF00, 0x123456};
constexpr std::array<uint32_t, 4> kPrimaryRgb = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

INSTANTIATE_TEST_SUITE_P(
    , ClipImageFromDib,
    testing::Values(
        FrameCase{"Frame720x576Rgb24", {.width = 720, .height = 576, .quadrants = kMixedRgb}, kMixedRgb},
        // The top byte of a 32-bit pixel is not colour.
        FrameCase{"Frame1920x1080Rgb32",
                  {.width = 1920,
                   .height = 1080,
                   .bitCount = 32,
                   .quadrants = {0xFFFF0000, 0x800000FF, 0x0000FF00, 0x01123456}},
                  kMixedRgb},
        FrameCase{"TopDownRgb24", {.height = -6, .quadrants = kMixedRgb}, kMixedRgb},
        FrameCase{"V4HeaderRgb24", {.headerSize = 108, .quadrants = kMixedRgb}, kMixedRgb},
        FrameCase{"Palette8",
                  {.bitCount = 8, .palette = kPalette256, .quadrants = {3, 77, 200, 255}},
                  {kPalette256[3], kPalette256[77], kPalette256[200], kPalette256[255]}},
        FrameCase{
            "Palette8FewColoursUsed",
            {.bitCount = 8, .colorsUsed = 3, .palette = {0x102030, 0x405060, 0x708090}, .quadrants = {0, 1, 2, 1}},
            {0x102030, 0x405060, 0x708090, 0x405060}},
        // A count larger than the bit depth allows is lowered to 16.
        FrameCase{"Palette4TooManyColoursUsed",
                  {.bitCount = 4, .colorsUsed = 300, .palette = GradientPalette(16), .quadrants = {0, 5, 10, 15}},
                  {kPalette256[0], kPalette256[5], kPalette256[10], kPalette256[15]}},
        // Widths that put the middle inside a byte check the order of pixels within it.
        FrameCase{"Palette1",
                  {.width = 12, .bitCount = 1, .palette = {0x102030, 0xF0E0D0}, .quadrants = {0, 1, 1, 0}},
                  {0x102030, 0xF0E0D0, 0xF0E0D0, 0x102030}},
        FrameCase{"TopDownPalette4",
                  {.width = 6,
                   .height = -6,
                   .bitCount = 4,
                   .colorsUsed = 4,
                   .palette = {0x111111, 0x222222, 0x333333, 0x444444},
                   .quadrants = {3, 2, 1, 0}},
                  {0x444444, 0x333333, 0x222222, 0x111111}},
        FrameCase{"CoreHeaderPalette4",
                  {.headerSize = 12, .bitCount = 4, .palette = GradientPalette(16), .quadrants = {1, 5, 10, 15}},
                  {kPalette256[1], kPalette256[5], kPalette256[10], kPalette256[15]}},
        FrameCase{"Default555", {.bitCount = 16, .quadrants = {0x7C00, 0x03E0, 0x001F, 0x7FFF}}, kPrimaryRgb},
        FrameCase{"Bitfields565",
                  {.bitCount = 16,
                   .compression = 3,
                   .masks = {0xF800, 0x07E0, 0x001F},
                   .quadrants = {0xF800, 0x07E0, 0x001F, 0xFFFF}},
                  kPrimaryRgb},
        // A table behind the masks is stepped over, not read as pixels.
        FrameCase{"Bitfields565WithColourTable",
                  {.bitCount = 16,
                   .compression = 3,
                   .colorsUsed = 2,
                   .masks = {0xF800, 0x07E0, 0x001F},
                   .palette = {0xABCDEF, 0x123456},
                   .quadrants = {0xF800, 0x07E0, 0x001F, 0xFFFF}},
                  kPrimaryRgb},
        FrameCase{"Bitfields32ReversedMasks",
                  {.bitCount = 32,
                   .compression = 3,
                   .masks = {0x0000FF, 0x00FF00, 0xFF0000},
                   .quadrants = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}},
                  kPrimaryRgb},
        FrameCase{"V5HeaderBitfields32",
                  {.headerSize = 124,
                   .bitCount = 32,
                   .compression = 3,
                   .masks = {0x0000FF, 0x00FF00, 0xFF0000},
                   .quadrants = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}},
                  kPrimaryRgb}),
    CaseName());

TEST(ClipImageFromDibFailure, NullDibIsRejected) {
  TClipImage image;
  image.SetText(kPreviousText);
  EXPECT_FALSE(image.SetFromDib(nullptr, 40));
  EXPECT_EQ(image.Text(), kPreviousText);
}

struct BadDibCase {
  const char* name;
  std::vector<uint8_t> dib;
};

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t offset, uint32_t value) {
  PatchU32LE(bytes, offset, value);
  return bytes;
}

std::vector<BadDibCase> BadDibs() {
  const std::vector<uint8_t> valid = MakeDib({});
  // 8192 x 8193 one-bit pixels are more than the pixel limit allows, with every row present.
  std::vector<uint8_t> tooManyPixels =
      Patched(MakeDib({.width = 8192, .height = 1, .bitCount = 1, .palette = {0, 0xFFFFFF}}), 8, 8193);
  tooManyPixels.resize(40 + 8 + size_t{1024} * 8193, 0);
  return {
      {"Empty", {}},
      {"HeaderOnly", Truncated(valid, 40)},
      {"TruncatedPixels", Truncated(valid, valid.size() - 1)},
      {"TruncatedPalette", Truncated(MakeDib({.bitCount = 8, .palette = kPalette256}), 40 + 1000)},
      {"UnknownHeaderSize", Patched(valid, 0, 64)},
      {"Rle8", MakeDib({.bitCount = 8, .compression = 1, .palette = kPalette256})},
      {"Jpeg", MakeDib({.compression = 4})},
      {"PngAt32Bits", MakeDib({.bitCount = 32, .compression = 5})},
      {"BitfieldsAt24Bits", MakeDib({.compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF}})},
      {"CoreHeaderAt32Bits", MakeDib({.headerSize = 12, .bitCount = 32})},
      {"TwoBitsPerPixel", MakeDib({.bitCount = 2, .palette = {0, 0, 0, 0}})},
      {"ZeroWidth", MakeDib({.width = 0})},
      {"ZeroHeight", MakeDib({.height = 0})},
      {"NegativeWidth", Patched(valid, 4, static_cast<uint32_t>(-8))},
      {"MostNegativeHeight", Patched(valid, 8, 0x80000000u)},
      {"SideTooLong", MakeDib({.width = kMaxBitmapSide + 1, .height = 2})},
      {"TooManyPixels", tooManyPixels},
      {"HugeDimensions", Patched(Patched(valid, 4, 0x7FFFFFFF), 8, 0x7FFFFFFF)},
  };
}

class ClipImageBadDib : public testing::TestWithParam<BadDibCase> {};

TEST_P(ClipImageBadDib, IsRejectedAndKeepsPreviousText) {
  TClipImage image;
  image.SetText(kPreviousText);
  const std::vector<uint8_t>& dib = GetParam().dib;
  EXPECT_FALSE(image.SetFromDib(dib.data(), dib.size()));
  EXPECT_EQ(image.Text(), kPreviousText);
}

INSTANTIATE_TEST_SUITE_P(, ClipImageBadDib, testing::ValuesIn(BadDibs()), CaseName());

std::vector<uint8_t> PictureOfBytes(std::span<const uint8_t> bytes) {
  TClipImage image;
  image.EncodeStream(bytes);
  return image.MakePicture();
}

TEST(ClipImagePicture, ThumbnailIsReturnedAsDecoded) {
  const std::vector<uint8_t> dib = MakeDib({.width = 720, .height = 576, .quadrants = kMixedRgb});
  TClipImage image;
  ASSERT_TRUE(image.SetFromDib(dib.data(), dib.size()));
  std::vector<uint8_t> file;
  ASSERT_TRUE(image.DecodeToStream(file));
  EXPECT_EQ(image.MakePicture(), file);
}

TEST(ClipImagePicture, SmallUncompressed32BitFileIsReturnedAsDecoded) {
  const std::vector<uint8_t> file = MakeBmpFile({.height = -6, .bitCount = 32, .quadrants = kMixedRgb});
  EXPECT_EQ(PictureOfBytes(file), file);
}

struct BadPictureCase {
  const char* name;
  std::string text;
};

std::string TextOf(std::span<const uint8_t> bytes) {
  TClipImage image;
  image.EncodeStream(bytes);
  return image.Text();
}

std::vector<BadPictureCase> BadPictures() {
  const std::vector<uint8_t> valid = EncodeBmp24(Bitmap(60, 45, BgrPixel{1, 2, 3}));
  const std::string validText = TextOf(valid);
  std::string lowerCase = validText;
  std::transform(lowerCase.begin(), lowerCase.end(), lowerCase.begin(),
                 [](char c) { return static_cast<char>(std::tolower(c)); });
  return {
      {"Empty", ""},
      {"OtherTag", "0002" + validText.substr(4)},
      {"OddLength", validText + "0"},
      {"LowerCaseDigits", lowerCase},
      {"NotABitmap", TextOf(std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'})},
      {"Truncated", TextOf(Truncated(valid, valid.size() - 1))},
      {"FileSizeLies", TextOf(Patched(valid, 2, kThumbnailFileSize + 100))},
      {"PixelOffsetInsideHeader", TextOf(Patched(valid, 10, 40))},
      {"PixelsPastEnd", TextOf(Patched(valid, 10, 58))},
      {"HeightLies", TextOf(Patched(valid, 22, 46))},
      {"Compressed", TextOf(MakeBmpFile({.bitCount = 8, .compression = 1, .palette = kPalette256}))},
      {"Bitfields32", TextOf(MakeBmpFile({.bitCount = 32, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF}}))},
      {"EightBit", TextOf(MakeBmpFile({.bitCount = 8, .palette = kPalette256}))},
      {"TooWide", TextOf(EncodeBmp24(Bitmap(1025, 1)))},
      {"TooTall", TextOf(EncodeBmp24(Bitmap(1, 1025)))},
  };
}

class ClipImageBadPicture : public testing::TestWithParam<BadPictureCase> {};

TEST_P(ClipImageBadPicture, GivesFilledBox) {
  TClipImage image;
  image.SetText(GetParam().text);
  const std::vector<uint8_t> picture = image.MakePicture();
  ASSERT_EQ(picture.size(), kThumbnailFileSize);
  // Bottom-left pixel, first in the file: stored blue, green, red.
  EXPECT_EQ(std::vector<uint8_t>(picture.begin() + 54, picture.begin() + 57), (std::vector<uint8_t>{0x50, 0x56, 0x50}));
  EXPECT_EQ(DecodeBmpFile(picture), Bitmap(60, 45, BgrPixel{.b = 0x50, .g = 0x56, .r = 0x50}));
  EXPECT_EQ(image.Text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(, ClipImageBadPicture, testing::ValuesIn(BadPictures()), CaseName());

}  // namespace
}  // namespace korvel
