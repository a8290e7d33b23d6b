#pragma once
// The time ruler's pixel arithmetic and the packing of clip tiles along it, kept free of any
// widget so that the clip list can place its tiles (and be tested) without a panel.
#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

// Ruler defaults: a tick every 5 pixels, 20 ticks per major interval, one minute per interval.
inline constexpr int32_t kPixelsPerMajor = 100;
inline constexpr int32_t kDefaultSecondsPerMajor = 60;

// Tiles never shrink below this, so that even a very short clip can be grabbed with the mouse.
inline constexpr int32_t kMinTileWidth = 10;

// Pixel x of a time: trunc(ms x 0.001 / secondsPerMajor x pixelsPerMajor) + 1. Scales below 1
// count as 1, as the ruler stores them; the result is clamped to the 32-bit range.
int32_t GetPosXFromTimeMS(int32_t secondsPerMajor, int64_t ms, int32_t pixelsPerMajor = kPixelsPerMajor);

// The inverse: trunc((x - 1) x 1000 x secondsPerMajor / pixelsPerMajor) milliseconds.
int32_t GetTimeMSFromPosX(int32_t secondsPerMajor, int64_t x, int32_t pixelsPerMajor = kPixelsPerMajor);

struct TileSpan {
  int32_t Left = 0;
  int32_t Width = 0;

  bool operator==(const TileSpan&) const = default;
};

// Tiles packed from x = 0 in list order. Each tile ends at the pixel of the running total of
// the durations, so rounding never accumulates along the row; a tile that would be narrower
// than kMinTileWidth gets that width and pushes the following ones to the right.
std::vector<TileSpan> LayoutTiles(int32_t secondsPerMajor, std::span<const int32_t> durationsMs);

}  // namespace korvel
