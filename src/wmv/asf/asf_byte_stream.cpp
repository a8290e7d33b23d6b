#include "wmv/asf/asf_byte_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korvel::asf {
namespace {

HRESULT NewPosition(uint64_t current, uint64_t size, int64_t offset, SeekOrigin origin, uint64_t* result) {
  int64_t base = 0;
  switch (origin) {
    case SeekOrigin::kBegin: base = 0; break;
    case SeekOrigin::kCurrent: base = static_cast<int64_t>(current); break;
    case SeekOrigin::kEnd: base = static_cast<int64_t>(size); break;
    default: return E_INVALIDARG;
  }
  if ((offset < 0 && base < -offset) || (offset > 0 && base > INT64_MAX - offset)) return E_INVALIDARG;
  *result = static_cast<uint64_t>(base + offset);
  return S_OK;
}

class MemoryByteStream final : public AsfByteStream {
public:
  explicit MemoryByteStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  HRESULT Read(std::span<uint8_t> out, size_t* got) override {
    const size_t start = static_cast<size_t>(std::min<uint64_t>(position_, bytes_.size()));
    const size_t n = std::min(out.size(), bytes_.size() - start);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(start), n, out.begin());
    position_ = start + n;
    *got = n;
    return S_OK;
  }
  HRESULT Seek(int64_t offset, SeekOrigin origin, uint64_t* newPosition) override {
    uint64_t target = 0;
    const HRESULT hr = NewPosition(position_, bytes_.size(), offset, origin, &target);
    if (Failed(hr)) return hr;
    position_ = target;
    if (newPosition) *newPosition = target;
    return S_OK;
  }
  HRESULT Size(uint64_t* size) override {
    *size = bytes_.size();
    return S_OK;
  }

private:
  std::vector<uint8_t> bytes_;
  uint64_t position_ = 0;
};

class FileByteStream final : public AsfByteStream {
public:
  explicit FileByteStream(int fd) : fd_(fd) {}
  ~FileByteStream() override { ::close(fd_); }
  FileByteStream(const FileByteStream&) = delete;
  FileByteStream& operator=(const FileByteStream&) = delete;

  HRESULT Read(std::span<uint8_t> out, size_t* got) override {
    *got = 0;
    for (;;) {
      const ssize_t n = ::pread(fd_, out.data(), out.size(), static_cast<off_t>(position_));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return E_FAIL;
      position_ += static_cast<uint64_t>(n);
      *got = static_cast<size_t>(n);
      return S_OK;
    }
  }
  HRESULT Seek(int64_t offset, SeekOrigin origin, uint64_t* newPosition) override {
    uint64_t size = 0;
    if (origin == SeekOrigin::kEnd && Failed(Size(&size))) return E_FAIL;
    uint64_t target = 0;
    const HRESULT hr = NewPosition(position_, size, offset, origin, &target);
    if (Failed(hr)) return hr;
    position_ = target;
    if (newPosition) *newPosition = target;
    return S_OK;
  }
  HRESULT Size(uint64_t* size) override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return E_FAIL;
    *size = static_cast<uint64_t>(st.st_size);
    return S_OK;
  }

private:
  int fd_;
  uint64_t position_ = 0;
};

}  // namespace

std::shared_ptr<AsfByteStream> MakeMemoryByteStream(std::vector<uint8_t> bytes) {
  return std::make_shared<MemoryByteStream>(std::move(bytes));
}

HRESULT OpenFileByteStream(const std::filesystem::path& file, std::shared_ptr<AsfByteStream>& stream) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return E_FAIL;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return E_FAIL;
  }
  stream = std::make_shared<FileByteStream>(fd);
  return S_OK;
}

ReadOutcome ReadExactAt(AsfByteStream& stream, uint64_t offset, std::span<uint8_t> out) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return ReadOutcome::kEndOfData;
  if (Failed(stream.Seek(static_cast<int64_t>(offset), SeekOrigin::kBegin, nullptr))) return ReadOutcome::kFailed;
  size_t done = 0;
  while (done < out.size()) {
    size_t got = 0;
    if (Failed(stream.Read(out.subspan(done), &got))) return ReadOutcome::kFailed;
    if (got == 0) return ReadOutcome::kEndOfData;
    done += std::min(got, out.size() - done);
  }
  return ReadOutcome::kComplete;
}

}  // namespace korvel::asf
