#include "avi/file64.h"

#include <cerrno>
#include <cstdint>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {

File64::~File64() {
  if (fd_ >= 0) ::close(fd_);
}

bool File64::Open(const std::filesystem::path& file) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  position_ = 0;
  if (fd_ < 0) return false;
  // The reader walks the file front to back; the kernel may read ahead.
  (void)::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  return true;
}

int64_t File64::Read(void* buffer, size_t length) {
  if (fd_ < 0) return -1;
  if (position_ > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return -1;
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < length) {
    const ssize_t got = ::pread(fd_, out + done, length - done, static_cast<off_t>(position_));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
    position_ += static_cast<uint64_t>(got);
    bytesRead_ += static_cast<uint64_t>(got);
  }
  return static_cast<int64_t>(done);
}

bool File64::ReadExact(void* buffer, size_t length) {
  return Read(buffer, length) == static_cast<int64_t>(length);
}

std::optional<RiffChunkHeader> File64::ReadChunkHeader() {
  uint8_t raw[kRiffChunkHeaderSize];
  if (!ReadExact(raw, sizeof raw)) return std::nullopt;
  return ParseRiffChunkHeader(ByteView(raw), 0);
}

bool File64::Seek(uint64_t position) {
  if (fd_ < 0 || position > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
  position_ = position;
  return true;
}

bool File64::SeekRelative(int64_t delta) {
  if (delta < 0 && static_cast<uint64_t>(-(delta + 1)) + 1 > position_) return false;
  return Seek(position_ + static_cast<uint64_t>(delta));
}

uint64_t File64::Size() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0 || info.st_size < 0) return 0;
  return static_cast<uint64_t>(info.st_size);
}

}  // namespace korvel
