#include "mediainfo/media_info.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvel {
namespace {

TEST(MediaInfoTest, ResetForgetsEverything) {
  QdMediaInfo info;
  info.FileName = "/media/a.avi";
  info.Kind = 1;
  info.SubKind = 3;
  info.IndexOK = false;
  info.AllocStreams(2);
  info.Streams[0].Format = {1, 2, 3};
  info.Reset();
  EXPECT_TRUE(info.FileName.empty());
  EXPECT_EQ(info.Kind, 0);
  EXPECT_EQ(info.SubKind, 0);
  EXPECT_TRUE(info.IndexOK);
  EXPECT_EQ(info.StreamCount(), 0);
  EXPECT_EQ(info.ComparableCount(), 0);
  EXPECT_TRUE(info.Matched.empty());
}

TEST(MediaInfoTest, AllocStreamsGivesZeroRecordsAndCountsComparableOnes) {
  QdMediaInfo info;
  info.AllocStreams(3);
  info.Streams[0].Width = 5;
  info.AllocStreams(3);  // replaces, never keeps stale records
  EXPECT_EQ(info.Streams[0].Width, 0);
  info.Streams[1].Ignored = true;
  EXPECT_EQ(info.StreamCount(), 3);
  EXPECT_EQ(info.ComparableCount(), 2);
  ASSERT_EQ(info.Matched.size(), 3u);
  info.Matched[2] = true;
  info.ClearMatched();
  EXPECT_FALSE(info.Matched[2]);
  info.AllocStreams(-4);
  EXPECT_EQ(info.StreamCount(), 0);
}

TEST(MediaInfoTest, RateX1000) {
  EXPECT_EQ(RateX1000(25, 1), 25000);
  EXPECT_EQ(RateX1000(30000, 1001), 29970);
  EXPECT_EQ(RateX1000(24000, 1001), 23976);
  EXPECT_EQ(RateX1000(1, 3), 333);
  EXPECT_EQ(RateX1000(44100, 1), 44100000);
  EXPECT_EQ(RateX1000(25, 0), 0);  // no scale, no rate
  EXPECT_EQ(RateX1000(4294967295.0, 1), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(RateX1000(std::numeric_limits<double>::infinity(), 1), 0);
}

}  // namespace
}  // namespace korvel
