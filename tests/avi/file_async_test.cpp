// The asynchronous file writer: the unbuffered writer, the buffered fallback and the synchronous
// path must leave the same bytes; failures reach the caller instead of hanging or vanishing.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "avi/file_async.h"
#include "avi/file_async_9x.h"
#include "avi/file_async_nt.h"
#include "support/file_size_limit.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

enum class WriterKind { Unbuffered, Buffered, Synchronous };

const WriterKind kAllKinds[] = {WriterKind::Unbuffered, WriterKind::Buffered, WriterKind::Synchronous};

const char* Name(WriterKind kind) {
  switch (kind) {
    case WriterKind::Unbuffered: return "unbuffered";
    case WriterKind::Buffered: return "buffered";
    case WriterKind::Synchronous: return "synchronous";
  }
  return "?";
}

int RefuseDirect(const std::filesystem::path&) {
  errno = EINVAL;
  return -1;
}

std::unique_ptr<TFileAsyncBase> MakeWriter(WriterKind kind) {
  if (kind == WriterKind::Buffered) return std::make_unique<TFileAsync9x>();
  return std::make_unique<TFileAsyncNT>(kind == WriterKind::Unbuffered ? OpenForDirectWrites : RefuseDirect);
}

// A temporary folder in the build tree, on a disk file system where unbuffered writes work even
// when /tmp is a tmpfs that refuses them.
class DiskTempDir {
public:
  DiskTempDir() : env_("TMPDIR", std::filesystem::path(KORVEL_FIXTURE_DIR).parent_path().string()) {}
  std::filesystem::path operator/(std::string_view name) const { return dir_ / name; }

private:
  ScopedEnv env_;
  TempDir dir_;
};

uint8_t PatternByte(uint64_t i) { return static_cast<uint8_t>(i * 131 + (i >> 11)); }

std::vector<uint8_t> Pattern(uint64_t from, uint64_t length) {
  std::vector<uint8_t> bytes(length);
  for (uint64_t i = 0; i < length; ++i) bytes[i] = PatternByte(from + i);
  return bytes;
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct RingShape {
  uint64_t blockCount;
  uint64_t blockSize;
};
// A small ring wraps many times; the other is the AVI writer's own.
const RingShape kRings[] = {{3, 8192}, {4, 0x40000}};

// Open, append, flush and cut at the logical size, as the AVI writer does.
void WriteWhole(TFileAsyncBase& writer, const std::filesystem::path& file, const std::vector<uint8_t>& bytes,
                RingShape ring = kRings[0]) {
  ASSERT_EQ(writer.Open(file, ring.blockCount, ring.blockSize), S_OK) << writer.ErrorText();
  writer.SetPreExtend(true);
  ASSERT_EQ(writer.Write(bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
  ASSERT_TRUE(writer.Flush()) << writer.ErrorText();
  ASSERT_TRUE(writer.Truncate(writer.LogicalSize())) << writer.ErrorText();
}

TEST(FileAsync, WritersOfEveryKindLeaveTheSameBytesForOddPieces) {
  DiskTempDir dir;
  // Null data appends zeros; a leftover larger file must not show through after the cut.
  struct Piece {
    uint64_t length;
    bool zeros;
  };
  const Piece pieces[] = {{1, false},      {4095, false}, {8193, false}, {0, false},  {30000, false},
                          {77777, true},   {12345, false}, {600001, false}, {3, true}, {262147, false}};
  for (const RingShape ring : kRings) {
    for (const WriterKind kind : kAllKinds) {
      SCOPED_TRACE(std::string(Name(kind)) + " ring of " + std::to_string(ring.blockCount) + " x " +
                   std::to_string(ring.blockSize));
      const auto file = dir / "out.bin";
      WriteFileBytes(file, std::vector<uint8_t>(3 << 20, 0xEE));
      auto writer = MakeWriter(kind);
      ASSERT_EQ(writer->Open(file, ring.blockCount, ring.blockSize), S_OK) << writer->ErrorText();
      if (kind == WriterKind::Unbuffered) {
        ASSERT_TRUE(dynamic_cast<TFileAsyncNT&>(*writer).WritesUnbuffered());
      }
      writer->SetPreExtend(true);
      std::vector<uint8_t> expected;
      for (const Piece& piece : pieces) {
        const auto bytes = piece.zeros ? std::vector<uint8_t>(piece.length, 0) : Pattern(expected.size(), piece.length);
        ASSERT_EQ(writer->Write(piece.zeros ? nullptr : bytes.data(), piece.length),
                  static_cast<int64_t>(piece.length));
        expected.insert(expected.end(), bytes.begin(), bytes.end());
      }
      ASSERT_TRUE(writer->Flush()) << writer->ErrorText();
      ASSERT_TRUE(writer->Truncate(writer->LogicalSize()));
      ASSERT_TRUE(writer->Close()) << writer->ErrorText();
      EXPECT_EQ(writer->LogicalSize(), expected.size());
      EXPECT_TRUE(ReadAll(file) == expected);
    }
  }
}

TEST(FileAsync, LengthsAroundSectorsAndBlocksEndExactAfterFlushAndTruncate) {
  DiskTempDir dir;
  const uint64_t lengths[] = {1, 4095, 4096, 4097, 8191, 8192, 8193, 3 * 8192, 3 * 8192 + 1, 100000};
  for (const WriterKind kind : kAllKinds) {
    for (const uint64_t length : lengths) {
      SCOPED_TRACE(std::string(Name(kind)) + " " + std::to_string(length) + " bytes");
      const auto file = dir / "out.bin";
      auto writer = MakeWriter(kind);
      const auto bytes = Pattern(0, length);
      WriteWhole(*writer, file, bytes);
      EXPECT_EQ(writer->GetSize(), length);
      ASSERT_TRUE(writer->Close()) << writer->ErrorText();
      EXPECT_TRUE(ReadAll(file) == bytes);
    }
  }
}

TEST(FileAsync, PositionedPatchesLandAfterTheCut) {
  DiskTempDir dir;
  struct Patch {
    uint64_t position;
    std::vector<uint8_t> bytes;
  };
  // The start (a header), across a block boundary, and the very end.
  const Patch patches[] = {{0, {'R', 'I', 'F', 'F'}}, {8190, {1, 2, 3, 4, 5, 6}}, {49990, std::vector<uint8_t>(10, 0xAB)}};
  for (const WriterKind kind : kAllKinds) {
    SCOPED_TRACE(Name(kind));
    const auto file = dir / "out.bin";
    auto writer = MakeWriter(kind);
    auto expected = Pattern(0, 50000);
    WriteWhole(*writer, file, expected);
    for (const Patch& patch : patches) {
      ASSERT_TRUE(writer->WriteAt(patch.position, patch.bytes.data(), patch.bytes.size()));
      std::copy(patch.bytes.begin(), patch.bytes.end(), expected.begin() + static_cast<ptrdiff_t>(patch.position));
    }
    ASSERT_TRUE(writer->Close()) << writer->ErrorText();
    EXPECT_TRUE(ReadAll(file) == expected);
  }
}

TEST(FileAsync, FactoryFallsBackToBufferedWritesWhereUnbufferedAreRefused) {
  DiskTempDir dir;
  const auto bytes = Pattern(0, 70001);
  struct Case {
    DirectOpener opener;
    bool unbuffered;
  };
  for (const Case& c : {Case{OpenForDirectWrites, true}, Case{RefuseDirect, false}}) {
    SCOPED_TRACE(c.unbuffered ? "accepted" : "refused");
    const auto file = dir / "out.bin";
    OpenedFileAsync opened = OpenFileAsync(file, 3, 8192, c.opener);
    ASSERT_EQ(opened.result, S_OK) << opened.errorText;
    const auto* direct = dynamic_cast<TFileAsyncNT*>(opened.file.get());
    EXPECT_EQ(direct != nullptr && direct->WritesUnbuffered(), c.unbuffered);
    EXPECT_EQ(dynamic_cast<TFileAsync9x*>(opened.file.get()) != nullptr, !c.unbuffered);
    ASSERT_EQ(opened.file->Write(bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
    ASSERT_TRUE(opened.file->Flush());
    ASSERT_TRUE(opened.file->Truncate(opened.file->LogicalSize()));
    ASSERT_TRUE(opened.file->Close()) << opened.file->ErrorText();
    EXPECT_TRUE(ReadAll(file) == bytes);
  }
}

TEST(FileAsync, FactoryWritesToMemoryFileSystems) {
  if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm here";
  ScopedEnv env("TMPDIR", "/dev/shm");
  TempDir dir;
  const auto bytes = Pattern(0, 70001);
  OpenedFileAsync opened = OpenFileAsync(dir / "out.bin", 3, 8192);
  ASSERT_EQ(opened.result, S_OK) << opened.errorText;
  ASSERT_EQ(opened.file->Write(bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
  ASSERT_TRUE(opened.file->Flush());
  ASSERT_TRUE(opened.file->Truncate(opened.file->LogicalSize()));
  ASSERT_TRUE(opened.file->Close()) << opened.file->ErrorText();
  EXPECT_TRUE(ReadAll(dir / "out.bin") == bytes);
}

TEST(FileAsync, CannotCreateIsReported) {
  DiskTempDir dir;
  for (const WriterKind kind : kAllKinds) {
    SCOPED_TRACE(Name(kind));
    auto writer = MakeWriter(kind);
    EXPECT_EQ(writer->Open(dir / "missing" / "out.bin", 4, 0x40000), kFileAsyncCannotCreate);
    EXPECT_FALSE(writer->IsOpen());
    EXPECT_FALSE(writer->ErrorText().empty());
  }
}

// A file size limit makes the disk refuse part-way, as a full disk would; the caller appends
// far more than the ring holds, so a writer that swallowed the failure would hang or succeed.
TEST(FileAsync, WriteErrorReachesTheCallerWithoutHanging) {
  DiskTempDir dir;
  constexpr uint64_t kLimit = 300 * 1024;
  for (const WriterKind kind : kAllKinds) {
    SCOPED_TRACE(Name(kind));
    const auto file = dir / (std::string(Name(kind)) + ".bin");
    const auto outcome = RunWithFileSizeLimit(kLimit, [&] {
      auto writer = MakeWriter(kind);
      if (writer->Open(file, 4, 0x10000) != S_OK) return false;
      writer->SetPreExtend(true);
      const auto piece = Pattern(0, 10007);
      bool writeFailed = false;
      for (int i = 0; i < 400 && !writeFailed; ++i) writeFailed = writer->Write(piece.data(), piece.size()) < 0;
      const bool flushFailed = !writer->Flush();
      const bool laterWriteFailed = writer->Write(piece.data(), piece.size()) < 0;
      const std::string error = writer->ErrorText();
      const bool closeFailed = !writer->Close();
      const bool secondCloseFailed = !writer->Close();
      return writeFailed && flushFailed && laterWriteFailed && closeFailed && secondCloseFailed &&
             writer->HasFailed() && error.find("File too large") != std::string::npos;
    });
    ASSERT_TRUE(outcome.has_value()) << "the child did not finish";
    EXPECT_TRUE(*outcome);
    EXPECT_LE(std::filesystem::file_size(file), kLimit);
  }
}

TEST(FileAsync, ClosingTwiceAndUsingAClosedWriterFailCleanly) {
  DiskTempDir dir;
  for (const WriterKind kind : kAllKinds) {
    SCOPED_TRACE(Name(kind));
    auto writer = MakeWriter(kind);
    const auto bytes = Pattern(0, 10);
    WriteWhole(*writer, dir / "out.bin", bytes);
    EXPECT_TRUE(writer->Close());
    EXPECT_TRUE(writer->Close());
    EXPECT_FALSE(writer->IsOpen());
    EXPECT_EQ(writer->Write(bytes.data(), bytes.size()), -1);
    EXPECT_FALSE(writer->ErrorText().empty());
    EXPECT_FALSE(writer->Flush());
    EXPECT_FALSE(writer->WriteAt(0, bytes.data(), bytes.size()));
    EXPECT_TRUE(ReadAll(dir / "out.bin") == bytes);
  }
}

TEST(FileAsync, AppendingAfterFlushIsRefused) {
  DiskTempDir dir;
  for (const WriterKind kind : {WriterKind::Unbuffered, WriterKind::Buffered}) {
    SCOPED_TRACE(Name(kind));
    auto writer = MakeWriter(kind);
    const auto bytes = Pattern(0, 5000);
    WriteWhole(*writer, dir / "out.bin", bytes);
    EXPECT_EQ(writer->Write(bytes.data(), bytes.size()), -1);
    EXPECT_FALSE(writer->ErrorText().empty());
    EXPECT_EQ(writer->LogicalSize(), bytes.size());
  }
}

// The FAT limit itself needs a FAT volume; a lower limit set by the owner takes the same path.
TEST(FileAsync, WriteBeyondTheSizeLimitIsRefusedAndTheFileStaysComplete) {
  DiskTempDir dir;
  for (const WriterKind kind : kAllKinds) {
    SCOPED_TRACE(Name(kind));
    const auto file = dir / "out.bin";
    auto writer = MakeWriter(kind);
    writer->SetSizeLimit(20000);
    ASSERT_EQ(writer->Open(file, 3, 8192), S_OK);
    EXPECT_FALSE(writer->DestinationIsFat());
    const auto kept = Pattern(0, 15000);
    ASSERT_EQ(writer->Write(kept.data(), kept.size()), static_cast<int64_t>(kept.size()));
    EXPECT_FALSE(writer->CutAtSizeLimit());
    const auto refused = Pattern(kept.size(), 6000);
    EXPECT_EQ(writer->Write(refused.data(), refused.size()), -1);
    EXPECT_TRUE(writer->CutAtSizeLimit());
    EXPECT_FALSE(writer->ErrorText().empty());
    ASSERT_TRUE(writer->Flush()) << writer->ErrorText();
    ASSERT_TRUE(writer->Truncate(writer->LogicalSize()));
    ASSERT_TRUE(writer->Close()) << writer->ErrorText();
    EXPECT_TRUE(writer->CutAtSizeLimit());
    EXPECT_TRUE(ReadAll(file) == kept);
  }
}

}  // namespace
}  // namespace korvel::test
