// Every analyzer measures its file's length: joins take their clips' source lengths from it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "mediainfo/analyze_media_file.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

// Every fixture lasts two seconds; the containers round their last frame differently.
TEST(MediaDurationTest, EveryAnalyzerMeasuresTheFileLength) {
  for (const char* name : {"avi_xvid_mp3.avi", "asf_wmv2.wmv", "mp4_h264_aac.mp4", "ps_mpeg2_mp2.mpg",
                           "ts_h264_aac.ts", "mov_h264_aac.mov"}) {
    SCOPED_TRACE(name);
    QdMediaInfo info;
    ASSERT_TRUE(AnalyzeMediaFile(test::Fixture(name), info));
    EXPECT_LE(std::abs(info.Duration - 2000), 150) << info.Duration;
  }
}

TEST(MediaDurationTest, ResetForgetsTheLength) {
  QdMediaInfo info;
  info.Duration = 5;
  info.Reset();
  EXPECT_EQ(info.Duration, 0);
}

}  // namespace
}  // namespace korvel
