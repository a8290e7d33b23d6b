// The independent readers must agree on files whose contents we know, or the read-back checks
// built on them would compare against a wrong vocabulary.
#include "support/independent_readers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace korvel::test {
namespace {

struct KnownFile {
  const char* fixture;
  const char* container;
  std::vector<std::string> streams;
};

TEST(IndependentReadersTest, AllReadersDescribeKnownFilesAlike) {
  const KnownFile files[] = {
      {"mp4_h264_aac.mp4", "mp4", {"video:h264", "audio:aac"}},
      {"mp4_h264_ac3.mp4", "mp4", {"video:h264", "audio:ac3"}},
      {"mp4_h264_text.mp4", "mp4", {"video:h264", "subtitle:text"}},
      {"avi_xvid_mp3.avi", "avi", {"video:mpeg4", "audio:mp3"}},
      {"avi_div3_pcm.avi", "avi", {"video:msmpeg4v3", "audio:pcm"}},
      {"asf_wmv2.wmv", "asf", {"video:wmv2", "audio:wma"}},
      {"ps_mpeg1_mp2.mpg", "mpeg-ps", {"video:mpeg1video", "audio:mp2"}},
      {"ts_h264_aac.ts", "mpeg-ts", {"video:h264", "audio:aac"}},
  };
  for (const KnownFile& known : files) {
    for (const ReaderView& view : IndependentViews(Fixture(known.fixture))) {
      SCOPED_TRACE(std::string(known.fixture) + " read by " + view.reader);
      ASSERT_TRUE(view.recognised) << view.detail;
      EXPECT_EQ(view.container, known.container);
      EXPECT_EQ(view.streams, known.streams);
    }
  }
}

TEST(IndependentReadersTest, NoReaderRecognisesBytesThatAreNoMedia) {
  TempDir dir;
  const auto junk = dir / "junk.mp4";
  WriteFileBytes(junk, std::vector<uint8_t>(4096, 0x5a));
  for (const ReaderView& view : IndependentViews(junk)) EXPECT_FALSE(view.recognised) << view.reader;
}

}  // namespace
}  // namespace korvel::test
