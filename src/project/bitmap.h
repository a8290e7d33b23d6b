#pragma once
// Small pictures without a toolkit: an in-memory 24-bit image, reading device-independent
// bitmaps (packed, as a player hands over a frame, or as BMP files), shrinking and enlarging,
// and writing 24-bit BMP files.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace korvel {

// Larger bitmaps are refused before any pixel memory is taken.
inline constexpr int kMaxBitmapSide = 32768;
inline constexpr int64_t kMaxBitmapPixels = int64_t{64} * 1024 * 1024;

struct BgrPixel {
  uint8_t b = 0;
  uint8_t g = 0;
  uint8_t r = 0;

  bool operator==(const BgrPixel&) const = default;
};

// A colour given as 0xBBGGRR: blue in the high byte, red in the low one.
constexpr BgrPixel PixelFromBbggrr(uint32_t colour) {
  return {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour)};
}

// Pixels stored top row first. Negative sizes count as zero.
class Bitmap {
public:
  Bitmap() = default;
  Bitmap(int width, int height, BgrPixel fill = {});

  int Width() const { return width_; }
  int Height() const { return height_; }

  // x and y must lie inside the picture.
  BgrPixel At(int x, int y) const { return pixels_[Index(x, y)]; }
  void Set(int x, int y, BgrPixel pixel) { pixels_[Index(x, y)] = pixel; }

  bool operator==(const Bitmap&) const = default;

private:
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<BgrPixel> pixels_;
};

// A packed device-independent bitmap: header (12, 40, 108 or 124 bytes), bit-field masks,
// colour table and pixels, one after the other. Uncompressed 1, 4, 8, 16, 24 and 32 bits per
// pixel and 16 or 32 bits with bit-field masks; rows bottom-up or top-down. Nothing for any
// other kind, a size beyond the limits above, or pixels that do not fit in the bytes.
std::optional<Bitmap> DecodeDib(std::span<const uint8_t> dib);

// A BMP file: "BM", the 14-byte file header, then a bitmap as DecodeDib reads it, with its
// pixels where the file header's pixel offset says.
std::optional<Bitmap> DecodeBmpFile(std::span<const uint8_t> file);

// True for a BMP file that every reader shows alike and cheaply: uncompressed 24 or 32 bits per
// pixel, each side at most maxSide, a file-size field equal to the byte count, and all pixel
// rows inside the file behind the headers.
bool IsPlainBmpFile(std::span<const uint8_t> file, int maxSide);

// The picture resized to width x height, each target pixel the area-weighted average of the
// source pixels it covers; the proportions are not kept. An empty source gives black.
Bitmap Stretch(const Bitmap& source, int width, int height);

// A BMP file of the picture: 40-byte header, 24 bits per pixel, uncompressed, bottom-up rows
// padded to four bytes. The picture must lie within the limits above.
std::vector<uint8_t> EncodeBmp24(const Bitmap& image);

}  // namespace korvel
