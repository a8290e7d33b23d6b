#include "project/bitmap.h"

#include <gtest/gtest.h>

#include "base/byte_view.h"

namespace korvel {
namespace {

constexpr size_t kHeadersSize = 54;

// Every pixel different, and every channel different from the others.
Bitmap Pattern(int width, int height) {
  Bitmap image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.Set(x, y, {static_cast<uint8_t>(x * 3 + y), static_cast<uint8_t>(100 + x), static_cast<uint8_t>(200 - y)});
    }
  }
  return image;
}

TEST(BitmapWriter, ThumbnailFileHasStandardHeaders) {
  const std::vector<uint8_t> file = EncodeBmp24(Bitmap(60, 45));
  ASSERT_EQ(file.size(), 8154u);
  const ByteView bmp(file);
  EXPECT_TRUE(bmp.Matches(0, "BM"));
  EXPECT_EQ(bmp.U32LE(2), 8154u);   // file size
  EXPECT_EQ(bmp.U32LE(6), 0u);      // reserved
  EXPECT_EQ(bmp.U32LE(10), 54u);    // pixel offset
  EXPECT_EQ(bmp.U32LE(14), 40u);    // header size
  EXPECT_EQ(bmp.I32LE(18), 60);     // width
  EXPECT_EQ(bmp.I32LE(22), 45);     // height, positive: bottom-up
  EXPECT_EQ(bmp.U16LE(26), 1u);     // planes
  EXPECT_EQ(bmp.U16LE(28), 24u);    // bits per pixel
  EXPECT_EQ(bmp.U32LE(30), 0u);     // uncompressed
  EXPECT_EQ(bmp.U32LE(34), 8100u);  // image size: 45 rows of 180 bytes
  EXPECT_EQ(bmp.U32LE(46), 0u);     // no colour table
}

TEST(BitmapWriter, StoresBottomRowFirstWithPaddedRows) {
  Bitmap image(2, 2);
  image.Set(0, 0, {1, 2, 3});
  image.Set(1, 0, {4, 5, 6});
  image.Set(0, 1, {7, 8, 9});
  image.Set(1, 1, {10, 11, 12});
  const std::vector<uint8_t> file = EncodeBmp24(image);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + kHeadersSize, file.end()),
            (std::vector<uint8_t>{7, 8, 9, 10, 11, 12, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0}));
}

TEST(BitmapReader, ReadsBackWhatWasWritten) {
  for (const auto& [width, height] : {std::pair{1, 1}, {3, 2}, {5, 3}, {60, 45}}) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    const Bitmap image = Pattern(width, height);
    const std::vector<uint8_t> file = EncodeBmp24(image);
    EXPECT_EQ(DecodeBmpFile(file), image);
    EXPECT_EQ(DecodeDib(std::span(file).subspan(14)), image);
  }
}

TEST(BitmapReader, FindsPixelsWhereTheFileHeaderSays) {
  const Bitmap image = Pattern(3, 2);
  std::vector<uint8_t> file = EncodeBmp24(image);
  file.insert(file.begin() + kHeadersSize, 10, 0xAA);
  file[10] = kHeadersSize + 10;  // low byte of the pixel offset; the others are zero
  EXPECT_EQ(DecodeBmpFile(file), image);
}

TEST(BitmapReader, RejectsBrokenFiles) {
  const std::vector<uint8_t> valid = EncodeBmp24(Pattern(3, 2));
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  };
  std::vector<Case> cases = {{"no BM", valid},
                             {"shorter than file header", {'B', 'M', 0, 0}},
                             {"truncated pixels", valid},
                             {"pixel offset inside header", valid},
                             {"pixels past end", valid}};
  cases[0].file[1] = 'X';
  cases[2].file.pop_back();
  cases[3].file[10] = 40;
  cases[4].file[10] = kHeadersSize + 1;
  for (const Case& c : cases) EXPECT_EQ(DecodeBmpFile(c.file), std::nullopt) << c.name;
}

// One grey level per pixel, so that each case reads as a row of numbers.
Bitmap Greys(int width, int height, const std::vector<uint8_t>& levels) {
  Bitmap image(width, height);
  for (int i = 0; i < width * height; ++i) image.Set(i % width, i / width, {levels[i], levels[i], levels[i]});
  return image;
}

TEST(BitmapStretch, AveragesTheCoveredArea) {
  struct Case {
    const char* name;
    Bitmap source;
    Bitmap expected;
  };
  const Case cases[] = {
      {"same size", Greys(3, 1, {0, 90, 180}), Greys(3, 1, {0, 90, 180})},
      {"whole blocks", Greys(4, 1, {0, 0, 100, 200}), Greys(2, 1, {0, 150})},
      {"partial cells", Greys(3, 1, {0, 90, 180}), Greys(2, 1, {30, 150})},
      {"both axes", Greys(2, 2, {0, 100, 200, 100}), Greys(1, 1, {100})},
      {"enlarge by two", Greys(2, 1, {10, 20}), Greys(4, 2, {10, 10, 20, 20, 10, 10, 20, 20})},
      {"enlarge by half", Greys(2, 1, {10, 20}), Greys(3, 1, {10, 15, 20})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Stretch(c.source, c.expected.Width(), c.expected.Height()), c.expected) << c.name;
  }
}

TEST(BitmapStretch, EmptySourceGivesBlack) { EXPECT_EQ(Stretch(Bitmap(), 2, 3), Bitmap(2, 3)); }

}  // namespace
}  // namespace korvel
