#include "base/tile_text_columns.h"

#include <algorithm>

namespace korvel {

std::vector<int32_t> TileTextColumns(int32_t tileWidth, int32_t fromX, int32_t toX) {
  std::vector<int32_t> columns;
  // Started at the copy that may reach fromX, so a wide tile costs only its exposed part.
  const int64_t firstCopy = std::max<int64_t>(int64_t{fromX} - kTileTextLeft - kTileTextRepeat + 1, 0) / kTileTextRepeat;
  for (int64_t copy = firstCopy;; ++copy) {
    const int64_t x = kTileTextLeft + copy * kTileTextRepeat;
    if (copy > 0 && x + kTileTextRepeat / 2 >= tileWidth) break;
    if (x >= toX) break;
    if (x + kTileTextRepeat > fromX) columns.push_back(static_cast<int32_t>(x));
  }
  return columns;
}

}  // namespace korvel
