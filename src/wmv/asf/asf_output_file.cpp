#include "wmv/asf/asf_output_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "avi/positioned_write.h"

namespace korvel::asf {
namespace {

// Packets are gathered into writes of this size; it stays small enough for the processor's
// cache while making the system calls few.
constexpr size_t kWriteBuffer = 256 << 10;

}  // namespace

std::unique_ptr<AsfOutputFile> AsfOutputFile::Create(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  return std::unique_ptr<AsfOutputFile>(new AsfOutputFile(fd, 0));
}

std::unique_ptr<AsfOutputFile> AsfOutputFile::Reopen(const std::filesystem::path& file, uint64_t expectedSize) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || static_cast<uint64_t>(info.st_size) != expectedSize) {
    (void)CloseDescriptor(fd);
    return nullptr;
  }
  return std::unique_ptr<AsfOutputFile>(new AsfOutputFile(fd, expectedSize));
}

AsfOutputFile::AsfOutputFile(int fd, uint64_t size) : fd_(fd), written_(size) { buffer_.reserve(kWriteBuffer); }

AsfOutputFile::~AsfOutputFile() {
  if (fd_ >= 0) (void)CloseDescriptor(fd_);
}

bool AsfOutputFile::Check(int error) {
  if (error != 0 && error_ == 0) error_ = error;
  return error_ == 0;
}

bool AsfOutputFile::Flush() {
  if (error_ != 0) return false;
  if (buffer_.empty()) return true;
  if (!Check(WriteAllAt(fd_, buffer_.data(), buffer_.size(), written_))) return false;
  written_ += buffer_.size();
  buffer_.clear();
  return true;
}

bool AsfOutputFile::Append(std::span<const uint8_t> bytes) {
  if (error_ != 0) return false;
  if (buffer_.size() + bytes.size() > kWriteBuffer && !Flush()) return false;
  if (bytes.size() >= kWriteBuffer) {
    if (!Check(WriteAllAt(fd_, bytes.data(), bytes.size(), written_))) return false;
    written_ += bytes.size();
    return true;
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  return true;
}

bool AsfOutputFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  if (offset > Position() || bytes.size() > Position() - offset) return Check(EINVAL);
  return Flush() && Check(WriteAllAt(fd_, bytes.data(), bytes.size(), offset));
}

bool AsfOutputFile::SyncAndClose() {
  if (fd_ < 0) return Check(EBADF);
  const bool flushed = Flush() && Check(SyncData(fd_));
  const int fd = fd_;
  fd_ = -1;
  return Check(CloseDescriptor(fd)) && flushed;
}

}  // namespace korvel::asf
