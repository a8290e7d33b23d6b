#include "base/tile_text_columns.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvel {
namespace {

using Columns = std::vector<int32_t>;

TEST(TileTextColumns, RepeatWhileACopyHasFourHundredPixelsOfRoom) {
  EXPECT_EQ(TileTextColumns(100, 0, 100), Columns{78});
  EXPECT_EQ(TileTextColumns(1278, 0, 1278), Columns{78});
  EXPECT_EQ(TileTextColumns(1279, 0, 1279), (Columns{78, 878}));
  EXPECT_EQ(TileTextColumns(2078, 0, 2078), (Columns{78, 878}));
  EXPECT_EQ(TileTextColumns(2079, 0, 2079), (Columns{78, 878, 1678}));
}

TEST(TileTextColumns, OnlyTheCopiesReachingTheExposedColumns) {
  const int32_t wide = 16000000;
  EXPECT_EQ(TileTextColumns(wide, 900, 1000), Columns{878});
  EXPECT_EQ(TileTextColumns(wide, 877, 879), (Columns{78, 878}));
  EXPECT_EQ(TileTextColumns(wide, 15000000, 15000010), Columns{14999278});
}

}  // namespace
}  // namespace korvel
