#include "base/file_list_text.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(FileListTextTest, SizesAreRoundedKilobytesWithGroupedDigits) {
  const NumberSeparators classic;
  EXPECT_EQ(FileSizeText(0, classic), "0 KB");
  EXPECT_EQ(FileSizeText(511, classic), "0 KB");
  EXPECT_EQ(FileSizeText(512, classic), "1 KB");
  EXPECT_EQ(FileSizeText(1536, classic), "2 KB");
  EXPECT_EQ(FileSizeText(1024ull * 1234567, classic), "1,234,567 KB");
  EXPECT_EQ(FileSizeText(1024ull * 1234567, NumberSeparators{",", "."}), "1.234.567 KB");
  EXPECT_EQ(FileSizeText(UINT64_MAX, classic), "18,014,398,509,481,984 KB");
}

TEST(FileListTextTest, DatesAreMonthDayYear) {
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 7;
  EXPECT_EQ(FileDateText(local), "03/07/2024");
}

TEST(FileListTextTest, TheFolderCaptionCountsTheFilesWithoutATrailingSeparator) {
  EXPECT_EQ(FolderInfoText("Videos/Trip/", 12), "Videos/Trip (12)");
  EXPECT_EQ(FolderInfoText("/mnt/disk", 0), "/mnt/disk (0)");
  EXPECT_EQ(FolderInfoText("/", 3), "/ (3)");
  EXPECT_EQ(FolderInfoText("", 0), " (0)");
}

}  // namespace
}  // namespace korvel
