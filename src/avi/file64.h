#pragma once
// Read access to one file with a 64-bit position that every read and seek keeps current.
// A read that stops early because the file ends is a short read; anything else is an error.
// Small reads come from a window of the file read at once: rebuilding an index steps over
// damaged data a few bytes at a time, and would otherwise cost one system call per step.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "base/riff_chunk.h"

namespace korvel {

class File64 {
public:
  File64() = default;
  ~File64();
  File64(const File64&) = delete;
  File64& operator=(const File64&) = delete;

  bool Open(const std::filesystem::path& file);
  bool IsOpen() const { return fd_ >= 0; }

  // The bytes read (fewer only at the end of the file), or -1 when the read failed.
  int64_t Read(void* buffer, size_t length);
  bool ReadExact(void* buffer, size_t length);
  std::optional<RiffChunkHeader> ReadChunkHeader();

  bool Seek(uint64_t position);
  uint64_t Position() const { return position_; }
  // 0 when the size cannot be found.
  uint64_t Size() const;

  // Every byte that came from the disk so far, for measuring how much a scan touches.
  uint64_t BytesRead() const { return bytesRead_; }

private:
  // Reads at `at` until length bytes or the end of the file; -1 when a read fails.
  int64_t ReadAt(uint64_t at, uint8_t* out, size_t length);
  bool FillWindow(uint64_t at);

  int fd_ = -1;
  uint64_t position_ = 0;
  uint64_t bytesRead_ = 0;
  std::vector<uint8_t> window_;
  uint64_t windowStart_ = 0;
  bool windowReachesEnd_ = false;
};

}  // namespace korvel
