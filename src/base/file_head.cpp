#include "base/file_head.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace korvel {

std::optional<std::vector<uint8_t>> ReadFileHead(const std::filesystem::path& path, size_t maxBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
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
  ::close(fd);
  if (failed) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

}  // namespace korvel
