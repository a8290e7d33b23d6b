#include "project/bitmap.h"

#include <algorithm>
#include <bit>

#include "base/byte_view.h"

namespace korvel {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;
// With a 40-byte header the three masks follow it; the larger headers hold them at the same place.
constexpr uint32_t kMasksOffset = 40;
constexpr uint32_t kMasksSize = 12;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

// One colour channel of a 16- or 32-bit pixel, scaled to the full 8-bit range.
class ChannelMask {
public:
  ChannelMask() = default;
  explicit ChannelMask(uint32_t mask)
      : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), max_(mask >> shift_) {}

  uint8_t Extract(uint32_t pixel) const {
    if (max_ == 0) return 0;
    // Never above max_, even for a mask with gaps, so the result stays within 0..255.
    const uint64_t value = (pixel & mask_) >> shift_;
    return static_cast<uint8_t>((value * 255 + max_ / 2) / max_);
  }

private:
  uint32_t mask_ = 0;
  int shift_ = 0;
  uint64_t max_ = 0;
};

struct PixelMasks {
  ChannelMask red;
  ChannelMask green;
  ChannelMask blue;

  BgrPixel Apply(uint32_t pixel) const { return {blue.Extract(pixel), green.Extract(pixel), red.Extract(pixel)}; }
};

// The header fields that decoding needs, whichever header kind carried them.
struct DibHeader {
  uint32_t size = 0;
  int64_t width = 0;
  int64_t height = 0;
  uint16_t bitCount = 0;
  uint32_t compression = kBiRgb;
  uint32_t colorsUsed = 0;
  uint32_t paletteEntrySize = 4;
};

// What the headers say, checked against the bytes that hold them.
struct DibLayout {
  int width = 0;
  int height = 0;
  bool topDown = false;
  uint16_t bitCount = 0;
  uint32_t compression = kBiRgb;
  std::vector<BgrPixel> palette;
  PixelMasks masks;
  // Where the pixels of a packed bitmap begin: after the header, masks and colour table.
  uint64_t tablesEnd = 0;
  uint64_t rowStride = 0;
};

// Compared in 64 bits so that no field value can wrap around.
bool Fits(const ByteView& bytes, uint64_t offset, uint64_t length) {
  return offset <= bytes.size() && length <= bytes.size() - offset;
}

std::optional<DibHeader> ReadCoreHeader(const ByteView& dib) {
  const auto width = dib.U16LE(4);
  const auto height = dib.U16LE(6);
  const auto bitCount = dib.U16LE(10);
  if (!width || !height || !bitCount) return std::nullopt;
  // The old header knows neither 16 nor 32 bits per pixel.
  if (*bitCount == 16 || *bitCount == 32) return std::nullopt;
  return DibHeader{
      .size = kCoreHeaderSize, .width = *width, .height = *height, .bitCount = *bitCount, .paletteEntrySize = 3};
}

std::optional<DibHeader> ReadInfoHeader(const ByteView& dib, uint32_t size) {
  const auto width = dib.I32LE(4);
  const auto height = dib.I32LE(8);
  const auto bitCount = dib.U16LE(14);
  const auto compression = dib.U32LE(16);
  const auto colorsUsed = dib.U32LE(32);
  if (!width || !height || !bitCount || !compression || !colorsUsed || !dib.Has(0, size)) return std::nullopt;
  return DibHeader{.size = size,
                   .width = *width,
                   .height = *height,
                   .bitCount = *bitCount,
                   .compression = *compression,
                   .colorsUsed = *colorsUsed};
}

std::optional<DibHeader> ReadDibHeader(const ByteView& dib) {
  const auto size = dib.U32LE(0);
  if (!size) return std::nullopt;
  switch (*size) {
    case kCoreHeaderSize:
      return ReadCoreHeader(dib);
    case kInfoHeaderSize:
    case kV4HeaderSize:
    case kV5HeaderSize:
      return ReadInfoHeader(dib, *size);
    default:
      return std::nullopt;
  }
}

bool IsSupportedFormat(uint16_t bitCount, uint32_t compression) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return compression == kBiRgb;
    case 16:
    case 32:
      return compression == kBiRgb || compression == kBiBitfields;
    default:
      return false;
  }
}

std::optional<PixelMasks> ReadMasks(const ByteView& dib, const DibHeader& header) {
  if (header.compression != kBiBitfields) {
    if (header.bitCount == 16) return PixelMasks{ChannelMask(0x7C00), ChannelMask(0x03E0), ChannelMask(0x001F)};
    return PixelMasks{ChannelMask(0xFF0000), ChannelMask(0x00FF00), ChannelMask(0x0000FF)};
  }
  const auto red = dib.U32LE(kMasksOffset);
  const auto green = dib.U32LE(kMasksOffset + 4);
  const auto blue = dib.U32LE(kMasksOffset + 8);
  if (!red || !green || !blue) return std::nullopt;
  return PixelMasks{ChannelMask(*red), ChannelMask(*green), ChannelMask(*blue)};
}

// Up to 2^bitCount entries, fewer when the header names a smaller number in use. Deeper pixels
// need no table, but one may still be there (colorsUsed entries) and is stepped over.
uint64_t PaletteEntries(const DibHeader& header) {
  if (header.bitCount > 8) return header.colorsUsed;
  const uint32_t full = uint32_t{1} << header.bitCount;
  return header.colorsUsed != 0 && header.colorsUsed < full ? header.colorsUsed : full;
}

std::optional<DibLayout> ReadDibLayout(const ByteView& dib) {
  const auto header = ReadDibHeader(dib);
  if (!header || !IsSupportedFormat(header->bitCount, header->compression)) return std::nullopt;

  const int64_t height = header->height < 0 ? -header->height : header->height;
  if (header->width <= 0 || height <= 0 || header->width > kMaxBitmapSide || height > kMaxBitmapSide ||
      header->width * height > kMaxBitmapPixels) {
    return std::nullopt;
  }

  const auto masks = ReadMasks(dib, *header);
  if (!masks) return std::nullopt;

  const bool masksFollowHeader = header->compression == kBiBitfields && header->size == kInfoHeaderSize;
  const uint64_t tableOffset = masksFollowHeader ? kMasksOffset + kMasksSize : header->size;
  const uint64_t entries = PaletteEntries(*header);
  const uint64_t tableSize = entries * header->paletteEntrySize;
  if (!Fits(dib, tableOffset, tableSize)) return std::nullopt;

  DibLayout layout;
  layout.width = static_cast<int>(header->width);
  layout.height = static_cast<int>(height);
  layout.topDown = header->height < 0;
  layout.bitCount = header->bitCount;
  layout.compression = header->compression;
  layout.masks = *masks;
  layout.tablesEnd = tableOffset + tableSize;
  layout.rowStride = (static_cast<uint64_t>(header->width) * header->bitCount + 31) / 32 * 4;
  if (header->bitCount <= 8) {
    layout.palette.reserve(entries);
    for (uint64_t i = 0; i < entries; ++i) {
      const size_t entry = tableOffset + i * header->paletteEntrySize;
      layout.palette.push_back(
          {dib.U8(entry).value_or(0), dib.U8(entry + 1).value_or(0), dib.U8(entry + 2).value_or(0)});
    }
  }
  return layout;
}

// A colour index outside the table shows black.
BgrPixel IndexedPixel(const ByteView& row, int x, const DibLayout& layout) {
  const size_t bitOffset = static_cast<size_t>(x) * layout.bitCount;
  const unsigned shift = 8 - layout.bitCount - bitOffset % 8;
  const unsigned index = (row.U8(bitOffset / 8).value_or(0) >> shift) & ((1u << layout.bitCount) - 1);
  return index < layout.palette.size() ? layout.palette[index] : BgrPixel{};
}

BgrPixel ReadPixel(const ByteView& row, int x, const DibLayout& layout) {
  const size_t at = static_cast<size_t>(x);
  switch (layout.bitCount) {
    case 16:
      return layout.masks.Apply(row.U16LE(at * 2).value_or(0));
    case 24:
      return {row.U8(at * 3).value_or(0), row.U8(at * 3 + 1).value_or(0), row.U8(at * 3 + 2).value_or(0)};
    case 32:
      return layout.masks.Apply(row.U32LE(at * 4).value_or(0));
    default:
      return IndexedPixel(row, x, layout);
  }
}

std::optional<Bitmap> DecodePixels(const ByteView& bytes, const DibLayout& layout, uint64_t pixelOffset) {
  if (!Fits(bytes, pixelOffset, layout.rowStride * static_cast<uint64_t>(layout.height))) return std::nullopt;
  Bitmap image(layout.width, layout.height);
  for (int stored = 0; stored < layout.height; ++stored) {
    const int y = layout.topDown ? stored : layout.height - 1 - stored;
    const ByteView row = bytes.Sub(pixelOffset + static_cast<uint64_t>(stored) * layout.rowStride, layout.rowStride);
    for (int x = 0; x < layout.width; ++x) image.Set(x, y, ReadPixel(row, x, layout));
  }
  return image;
}

struct BmpFile {
  uint32_t declaredSize = 0;
  ByteView dib;
  DibLayout layout;
  // Counted from the start of the bitmap header, like everything in the layout.
  uint64_t pixelOffset = 0;
};

std::optional<BmpFile> ReadBmpFile(const ByteView& file) {
  const auto declaredSize = file.U32LE(2);
  const auto pixelOffset = file.U32LE(10);
  if (!file.Matches(0, "BM") || !declaredSize || !pixelOffset) return std::nullopt;
  const ByteView dib = file.Sub(kFileHeaderSize, file.size() - kFileHeaderSize);
  auto layout = ReadDibLayout(dib);
  // Pixels that overlap the headers or the colour table are a forged file.
  if (!layout || *pixelOffset < kFileHeaderSize + layout->tablesEnd) return std::nullopt;
  return BmpFile{.declaredSize = *declaredSize,
                 .dib = dib,
                 .layout = std::move(*layout),
                 .pixelOffset = *pixelOffset - kFileHeaderSize};
}

void AppendU16LE(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendU32LE(std::vector<uint8_t>& out, uint32_t value) {
  AppendU16LE(out, static_cast<uint16_t>(value));
  AppendU16LE(out, static_cast<uint16_t>(value >> 16));
}

// How the cells of one target row (or column) cover the source cells: the first source cell a
// target cell touches and its overlap with each touched cell. In these units a source cell is
// `to` long and a target cell `from` long, so the overlaps of one target cell add up to `from`.
struct Coverage {
  int first = 0;
  std::vector<uint32_t> weights;
};

std::vector<Coverage> CoverAxis(int from, int to) {
  std::vector<Coverage> cells(static_cast<size_t>(to));
  for (int t = 0; t < to; ++t) {
    const int64_t begin = int64_t{t} * from;
    const int64_t end = begin + from;
    Coverage& cell = cells[static_cast<size_t>(t)];
    cell.first = static_cast<int>(begin / to);
    for (int64_t s = cell.first; s * to < end; ++s) {
      cell.weights.push_back(static_cast<uint32_t>(std::min(end, (s + 1) * to) - std::max(begin, s * to)));
    }
  }
  return cells;
}

}  // namespace

Bitmap::Bitmap(int width, int height, BgrPixel fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill) {}

std::optional<Bitmap> DecodeDib(std::span<const uint8_t> dib) {
  const ByteView bytes(dib);
  const auto layout = ReadDibLayout(bytes);
  if (!layout) return std::nullopt;
  return DecodePixels(bytes, *layout, layout->tablesEnd);
}

std::optional<Bitmap> DecodeBmpFile(std::span<const uint8_t> file) {
  const auto bmp = ReadBmpFile(ByteView(file));
  if (!bmp) return std::nullopt;
  return DecodePixels(bmp->dib, bmp->layout, bmp->pixelOffset);
}

bool IsPlainBmpFile(std::span<const uint8_t> file, int maxSide) {
  const auto bmp = ReadBmpFile(ByteView(file));
  if (!bmp) return false;
  const DibLayout& layout = bmp->layout;
  return bmp->declaredSize == file.size() && layout.compression == kBiRgb &&
         (layout.bitCount == 24 || layout.bitCount == 32) && layout.width <= maxSide && layout.height <= maxSide &&
         Fits(bmp->dib, bmp->pixelOffset, layout.rowStride * static_cast<uint64_t>(layout.height));
}

Bitmap Stretch(const Bitmap& source, int width, int height) {
  Bitmap target(width, height);
  if (source.Width() == 0 || source.Height() == 0) return target;
  const std::vector<Coverage> columns = CoverAxis(source.Width(), target.Width());
  const std::vector<Coverage> rows = CoverAxis(source.Height(), target.Height());
  const uint64_t total = static_cast<uint64_t>(source.Width()) * static_cast<uint64_t>(source.Height());
  for (int y = 0; y < target.Height(); ++y) {
    const Coverage& row = rows[static_cast<size_t>(y)];
    for (int x = 0; x < target.Width(); ++x) {
      const Coverage& column = columns[static_cast<size_t>(x)];
      uint64_t b = 0;
      uint64_t g = 0;
      uint64_t r = 0;
      for (size_t j = 0; j < row.weights.size(); ++j) {
        for (size_t i = 0; i < column.weights.size(); ++i) {
          const uint64_t weight = uint64_t{row.weights[j]} * column.weights[i];
          const BgrPixel pixel = source.At(column.first + static_cast<int>(i), row.first + static_cast<int>(j));
          b += pixel.b * weight;
          g += pixel.g * weight;
          r += pixel.r * weight;
        }
      }
      target.Set(x, y,
                 {static_cast<uint8_t>((b + total / 2) / total), static_cast<uint8_t>((g + total / 2) / total),
                  static_cast<uint8_t>((r + total / 2) / total)});
    }
  }
  return target;
}

std::vector<uint8_t> EncodeBmp24(const Bitmap& image) {
  const uint32_t rowStride = (static_cast<uint32_t>(image.Width()) * 3 + 3) / 4 * 4;
  const uint32_t imageSize = rowStride * static_cast<uint32_t>(image.Height());
  const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize;

  std::vector<uint8_t> out;
  out.reserve(pixelOffset + imageSize);
  out.push_back('B');
  out.push_back('M');
  AppendU32LE(out, pixelOffset + imageSize);
  AppendU32LE(out, 0);  // two reserved 16-bit fields
  AppendU32LE(out, pixelOffset);

  AppendU32LE(out, kInfoHeaderSize);
  AppendU32LE(out, static_cast<uint32_t>(image.Width()));
  AppendU32LE(out, static_cast<uint32_t>(image.Height()));  // positive: bottom-up
  AppendU16LE(out, 1);                                      // planes
  AppendU16LE(out, 24);
  AppendU32LE(out, kBiRgb);
  AppendU32LE(out, imageSize);
  AppendU32LE(out, 0);  // horizontal pixels per metre: unknown
  AppendU32LE(out, 0);  // vertical pixels per metre: unknown
  AppendU32LE(out, 0);  // colours used: no table
  AppendU32LE(out, 0);  // important colours: all

  for (int y = image.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < image.Width(); ++x) {
      const BgrPixel pixel = image.At(x, y);
      out.insert(out.end(), {pixel.b, pixel.g, pixel.r});
    }
    out.resize(out.size() + rowStride - static_cast<size_t>(image.Width()) * 3, 0);
  }
  return out;
}

}  // namespace korvel
