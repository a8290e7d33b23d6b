#include "mediainfo/analyze_media_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "support/temp_dir.h"

namespace korvel {
namespace {

TEST(AnalyzeMediaFileTest, AFileThatCannotBeOpenedKeepsTheSystemsReason) {
  test::TempDir dir;
  std::filesystem::create_symlink("loop.avi", dir / "loop.avi");
  ASSERT_EQ(::mkfifo((dir / "pipe.avi").c_str(), 0600), 0);
  const std::pair<const char*, int> cases[] = {{"missing.avi", ENOENT}, {"loop.avi", ELOOP}, {"pipe.avi", EINVAL}};
  for (const auto& [name, error] : cases) {
    QdMediaInfo info;
    info.ReadError = -1;
    EXPECT_FALSE(AnalyzeMediaFile(dir / name, info)) << name;
    EXPECT_EQ(info.ReadError, error) << name;
    EXPECT_EQ(info.Kind, 0) << name;
  }
}

TEST(AnalyzeMediaFileTest, AReadableFileOfNoKnownFormatHasNoReadError) {
  test::TempDir dir;
  const std::vector<uint8_t> noise{0x13, 0x57, 0x9B, 0xDF, 0x02, 0x46, 0x8A, 0xCE, 0x11, 0x22, 0x33, 0x44};
  test::WriteFileBytes(dir / "noise.avi", noise);
  QdMediaInfo info;
  EXPECT_FALSE(AnalyzeMediaFile(dir / "noise.avi", info) && info.Kind != 0);
  EXPECT_EQ(info.ReadError, 0);
}

}  // namespace
}  // namespace korvel
