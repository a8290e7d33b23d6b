// The AVI reader's file access: small reads come from a window of the file, large ones straight
// from it; whichever path a read takes, it returns the file's bytes at the position and moves on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/file64.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

// Bytes that differ from their neighbours, so a read from the wrong place shows.
std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return bytes;
}

TEST(File64Test, EveryReadReturnsTheBytesAtItsPosition) {
  constexpr size_t kFileSize = 10000;
  const std::vector<uint8_t> content = Pattern(kFileSize);
  TempDir dir;
  WriteFileBytes(dir / "data.bin", content);
  File64 file;
  ASSERT_TRUE(file.Open(dir / "data.bin"));

  struct Step {
    uint64_t position;
    size_t length;
  };
  // In order: chunk headers stepping forward, a read across a window's end, a seek back before
  // the window, a read as long as the window and one longer, a small read after a large one,
  // a read cut short by the file's end, and reads at and past the end.
  const Step steps[] = {{0, 8},    {8, 8},     {11, 8},     {4090, 12},  {100, 4},  {200, 4096},
                        {0, 9000}, {9000, 12}, {9990, 100}, {10000, 8},  {12000, 8}, {4, 8}};
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "at " << step.position << ", " << step.length << " bytes");
    ASSERT_TRUE(file.Seek(step.position));
    std::vector<uint8_t> out(step.length);
    const int64_t got = file.Read(out.data(), out.size());
    const size_t from = std::min<size_t>(step.position, kFileSize);
    const size_t expected = std::min(step.length, kFileSize - from);
    ASSERT_EQ(got, static_cast<int64_t>(expected));
    out.resize(expected);
    EXPECT_EQ(out, std::vector<uint8_t>(content.begin() + static_cast<std::ptrdiff_t>(from),
                                        content.begin() + static_cast<std::ptrdiff_t>(from + expected)));
    EXPECT_EQ(file.Position(), step.position + expected);
  }
}

TEST(File64Test, ConsecutiveReadsContinueWhereTheLastEnded) {
  const std::vector<uint8_t> content = Pattern(9001);
  TempDir dir;
  WriteFileBytes(dir / "data.bin", content);
  File64 file;
  ASSERT_TRUE(file.Open(dir / "data.bin"));
  std::vector<uint8_t> all;
  for (size_t length = 1;; length = length * 3 % 5000 + 1) {
    std::vector<uint8_t> out(length);
    const int64_t got = file.Read(out.data(), out.size());
    ASSERT_GE(got, 0);
    all.insert(all.end(), out.begin(), out.begin() + got);
    if (static_cast<size_t>(got) < length) break;
  }
  EXPECT_EQ(all, content);
}

TEST(File64Test, OpeningAnotherFileForgetsTheBytesOfTheFirst) {
  TempDir dir;
  WriteFileBytes(dir / "first.bin", std::vector<uint8_t>(100, 1));
  WriteFileBytes(dir / "second.bin", std::vector<uint8_t>(50, 2));
  File64 file;
  uint8_t bytes[8] = {};
  ASSERT_TRUE(file.Open(dir / "first.bin"));
  ASSERT_EQ(file.Read(bytes, sizeof bytes), 8);
  ASSERT_TRUE(file.Open(dir / "second.bin"));
  ASSERT_EQ(file.Read(bytes, sizeof bytes), 8);
  EXPECT_EQ(bytes[0], 2);
  ASSERT_TRUE(file.Seek(60));
  EXPECT_EQ(file.Read(bytes, sizeof bytes), 0);
}

TEST(File64Test, ReadingAFileNeverOpenedFails) {
  File64 file;
  uint8_t byte = 0;
  EXPECT_EQ(file.Read(&byte, 1), -1);
  EXPECT_FALSE(file.Open("/nonexistent/korvel/file.avi"));
  EXPECT_EQ(file.Read(&byte, 1), -1);
}

}  // namespace
}  // namespace korvel::test
