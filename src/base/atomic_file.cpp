#include "base/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {
namespace {

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
  return true;
}

// Makes the rename itself durable.
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& file, std::span<const uint8_t> bytes, std::string* error) {
  return WriteFileAtomically(file, [&](const ByteSink& put) { return put(bytes); }, error);
}

bool WriteFileAtomically(const std::filesystem::path& file, const std::function<bool(const ByteSink& put)>& produce,
                         std::string* error) {
  std::string temp = file.string() + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Fail(error, "cannot create a temporary file beside " + file.string());
  // mkstemp makes the file private; the replacement keeps the old file's mode, a new one the usual.
  struct stat old {};
  ::fchmod(fd, ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

  bool written = produce([fd](std::span<const uint8_t> piece) { return WriteAll(fd, piece); }) && ::fsync(fd) == 0;
  int writeErrno = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    writeErrno = errno;
  }
  if (!written) {
    errno = writeErrno;
    Fail(error, "cannot write " + file.string());
    ::unlink(temp.c_str());
    return false;
  }
  if (::rename(temp.c_str(), file.c_str()) != 0) {
    Fail(error, "cannot replace " + file.string());
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(file.parent_path());
  return true;
}

}  // namespace korvel
