#include "base/file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {

namespace {

std::optional<std::vector<uint8_t>> ReadUpTo(int fd, size_t maxBytes) {
  std::vector<uint8_t> bytes(maxBytes);
  size_t got = 0;
  bool failed = false;
  while (got < maxBytes) {
    const ssize_t n = ::read(fd, bytes.data() + got, maxBytes - got);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      failed = true;  // a directory, an I/O error: not an end of file
      break;
    }
    got += static_cast<size_t>(n);
  }
  if (failed) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadFileHead(const std::filesystem::path& path, size_t maxBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  auto bytes = ReadUpTo(fd, maxBytes);
  ::close(fd);
  return bytes;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path, size_t maxBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::vector<uint8_t>> bytes;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) <= maxBytes) {
    // One byte more than the size shows a file that grew meanwhile instead of cutting it.
    bytes = ReadUpTo(fd, static_cast<size_t>(st.st_size) + 1);
    if (bytes && bytes->size() > maxBytes) bytes.reset();
  }
  ::close(fd);
  return bytes;
}

}  // namespace korvel
