#pragma once
// Where a clip tile writes its two text lines: once after the thumbnail, and again every 800
// pixels along a wide tile while a copy still has 400 pixels of room.
#include <cstdint>
#include <vector>

namespace korvel {

inline constexpr int32_t kTileTextLeft = 78;
inline constexpr int32_t kTileTextRepeat = 800;

// The x of every copy whose stretch [x, x + kTileTextRepeat) meets the columns fromX to toX
// (excluded) of a tile tileWidth wide. The first copy needs no room.
std::vector<int32_t> TileTextColumns(int32_t tileWidth, int32_t fromX, int32_t toX);

}  // namespace korvel
