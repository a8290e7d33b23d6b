#include "avi/file64.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {
namespace {

// Reads shorter than the window come from it; longer ones (samples, index batches) go straight
// to the file, so random access to large samples reads nothing twice.
constexpr size_t kWindowSize = 4096;

}  // namespace

File64::~File64() {
  if (fd_ >= 0) ::close(fd_);
}

bool File64::Open(const std::filesystem::path& file) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  position_ = 0;
  window_.clear();
  windowReachesEnd_ = false;
  if (fd_ < 0) return false;
  // The reader walks the file front to back; the kernel may read ahead.
  (void)::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  return true;
}

int64_t File64::ReadAt(uint64_t at, uint8_t* out, size_t length) {
  size_t done = 0;
  while (done < length) {
    if (at + done > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return -1;
    const ssize_t got = ::pread(fd_, out + done, length - done, static_cast<off_t>(at + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
    bytesRead_ += static_cast<uint64_t>(got);
  }
  return static_cast<int64_t>(done);
}

bool File64::FillWindow(uint64_t at) {
  window_.resize(kWindowSize);
  const int64_t got = ReadAt(at, window_.data(), window_.size());
  if (got < 0) {
    window_.clear();
    windowReachesEnd_ = false;
    return false;
  }
  window_.resize(static_cast<size_t>(got));
  windowStart_ = at;
  windowReachesEnd_ = window_.size() < kWindowSize;
  return true;
}

int64_t File64::Read(void* buffer, size_t length) {
  if (fd_ < 0) return -1;
  if (position_ > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return -1;
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  if (length >= kWindowSize) {
    done = ReadAt(position_, out, length);
    if (done < 0) return -1;
  } else {
    // A window cut short by the end of the file holds every byte there is from its start on.
    const bool inWindow = position_ >= windowStart_ && position_ - windowStart_ <= window_.size() &&
                          (windowReachesEnd_ || window_.size() - (position_ - windowStart_) >= length);
    if (!inWindow && !FillWindow(position_)) return -1;
    const size_t offset = static_cast<size_t>(position_ - windowStart_);
    done = static_cast<int64_t>(std::min(length, window_.size() - offset));
    std::copy_n(window_.begin() + static_cast<std::ptrdiff_t>(offset), done, out);
  }
  position_ += static_cast<uint64_t>(done);
  return done;
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

uint64_t File64::Size() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0 || info.st_size < 0) return 0;
  return static_cast<uint64_t>(info.st_size);
}

}  // namespace korvel
