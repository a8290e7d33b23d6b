#include "project/tile_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/numeric.h"

namespace korvel {

int32_t GetPosXFromTimeMS(int32_t secondsPerMajor, int64_t ms, int32_t pixelsPerMajor) {
  const double seconds = std::max(secondsPerMajor, 1);
  const double pixels = std::max(pixelsPerMajor, 1);
  return TruncToInt32(std::trunc(static_cast<double>(ms) * 0.001 / seconds * pixels) + 1.0);
}

int32_t GetTimeMSFromPosX(int32_t secondsPerMajor, int64_t x, int32_t pixelsPerMajor) {
  const double seconds = std::max(secondsPerMajor, 1);
  const double pixels = std::max(pixelsPerMajor, 1);
  return TruncToInt32((static_cast<double>(x) - 1.0) * 1000.0 * seconds / pixels);
}

std::vector<TileSpan> LayoutTiles(int32_t secondsPerMajor, std::span<const int32_t> durationsMs) {
  std::vector<TileSpan> tiles;
  tiles.reserve(durationsMs.size());
  int64_t runningMs = 0;
  int64_t edge = 0;  // 64 bits: a row of minimum-width tiles may pass the last 32-bit pixel
  for (const int32_t duration : durationsMs) {
    runningMs += duration;
    const int64_t x = GetPosXFromTimeMS(secondsPerMajor, runningMs);
    const int64_t width = x - edge >= kMinTileWidth ? x - edge : kMinTileWidth;
    tiles.push_back({static_cast<int32_t>(std::min<int64_t>(edge, std::numeric_limits<int32_t>::max())),
                     static_cast<int32_t>(width)});
    edge += width;
  }
  return tiles;
}

}  // namespace korvel
