#include "avi/positioned_write.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <limits>

#include <unistd.h>

namespace korvel {
namespace {

constexpr uint64_t kLargestOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());

}  // namespace

int WriteAllAt(int fd, const void* data, uint64_t length, uint64_t position) {
  const auto* bytes = static_cast<const char*>(data);
  if (position > kLargestOffset || length > kLargestOffset - position) return EFBIG;
  while (length > 0) {
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(length, 1u << 30));
    const ssize_t done = ::pwrite(fd, bytes, piece, static_cast<off_t>(position));
    if (done < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    // A write that takes nothing would repeat forever; the disk is full in all but name.
    if (done == 0) return ENOSPC;
    bytes += done;
    length -= static_cast<uint64_t>(done);
    position += static_cast<uint64_t>(done);
  }
  return 0;
}

int SyncData(int fd) {
  while (::fdatasync(fd) != 0)
    if (errno != EINTR) return errno;
  return 0;
}

// Linux releases the descriptor even when close reports EINTR, so it is never repeated.
int CloseDescriptor(int fd) { return ::close(fd) == 0 || errno == EINTR ? 0 : errno; }

int SetFileSize(int fd, uint64_t size) {
  if (size > kLargestOffset) return EFBIG;
  while (::ftruncate(fd, static_cast<off_t>(size)) != 0)
    if (errno != EINTR) return errno;
  return 0;
}

}  // namespace korvel
