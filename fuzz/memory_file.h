#pragma once
// Readers that open files by name get the fuzzer's input as an in-memory file, without touching
// the disk: its name is the /proc path of an anonymous file descriptor.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel::fuzz {

class MemoryFile {
public:
  MemoryFile(const uint8_t* data, size_t size) : fd_(::memfd_create("korvel_fuzz", MFD_CLOEXEC)) {
    for (size_t done = 0; fd_ >= 0 && done < size;) {
      const ssize_t n = ::write(fd_, data + done, size - done);
      if (n <= 0) __builtin_trap();
      done += static_cast<size_t>(n);
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }
  bool Valid() const { return fd_ >= 0; }

private:
  int fd_;
};

}  // namespace korvel::fuzz
