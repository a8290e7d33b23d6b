#include "mp4/iso/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korvel::iso {
namespace {

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

class FileSource final : public ByteSource {
public:
  FileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~FileSource() override { ::close(fd_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  uint64_t Size() const override { return size_; }

  bool ReadAt(uint64_t offset, std::span<uint8_t> out, std::string* error) const override {
    size_t done = 0;
    while (done < out.size()) {
      const uint64_t at = offset + done;
      if (at < offset || at > static_cast<uint64_t>(INT64_MAX)) {
        SetError(error, "read offset out of range");
        return false;
      }
      const ssize_t got = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(at));
      if (got < 0) {
        if (errno == EINTR) continue;
        SetError(error, std::string("read failed: ") + std::strerror(errno));
        return false;
      }
      // Only a real end of file stops a read short of what was asked.
      if (got == 0) {
        SetError(error, "the file ends at byte " + std::to_string(at));
        return false;
      }
      done += static_cast<size_t>(got);
    }
    return true;
  }

private:
  int fd_;
  uint64_t size_;
};

class MemorySource final : public ByteSource {
public:
  explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, std::span<uint8_t> out, std::string* error) const override {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset) {
      SetError(error, "the file ends at byte " + std::to_string(bytes_.size()));
      return false;
    }
    const std::span<const uint8_t> from(bytes_);
    std::ranges::copy(from.subspan(static_cast<size_t>(offset), out.size()), out.begin());
    return true;
  }

private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& file, std::string* error) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetError(error, "cannot open " + file.string() + ": " + std::strerror(errno));
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    SetError(error, file.string() + " is not a readable file");
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FileSource>(fd, static_cast<uint64_t>(st.st_size));
}

std::unique_ptr<ByteSource> MakeMemorySource(std::vector<uint8_t> bytes) {
  return std::make_unique<MemorySource>(std::move(bytes));
}

}  // namespace korvel::iso
