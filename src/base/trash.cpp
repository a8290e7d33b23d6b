#include "base/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "base/file_rename.h"
#include "base/path_normal.h"
#include "base/user_folders.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// The device of path, or of its nearest existing folder above it.
bool DeviceOf(fs::path path, dev_t& device) {
  struct stat status {};
  while (::stat(path.c_str(), &status) != 0) {
    if (errno != ENOENT || path == path.parent_path()) return false;
    path = path.parent_path();
  }
  device = status.st_dev;
  return true;
}

// The mount point holding path: the highest folder above it on the same device.
fs::path TopFolderOf(const fs::path& path, dev_t device) {
  fs::path top = path.parent_path();
  while (top != top.parent_path()) {
    struct stat status {};
    if (::stat(top.parent_path().c_str(), &status) != 0 || status.st_dev != device) break;
    top = top.parent_path();
  }
  return top;
}

// Makes folder (and its "files" and "info") as a private folder unless it is one already; a
// link or anything that is no folder is refused.
int PrepareTrashFolder(const fs::path& folder) {
  for (const fs::path& each : {folder, folder / "files", folder / "info"}) {
    if (::mkdir(each.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    struct stat status {};
    if (::lstat(each.c_str(), &status) != 0) return errno;
    if (!S_ISDIR(status.st_mode)) return ENOTDIR;
  }
  return 0;
}

// The trash folder for a file on a file system other than the home's.
int TopTrashFolder(const fs::path& top, fs::path& trash) {
  const std::string uid = std::to_string(::getuid());
  struct stat shared {};
  // A shared ".Trash" counts only as the administrator prepared it: a sticky folder, no link.
  if (::lstat((top / ".Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
    trash = top / ".Trash" / uid;
    if (PrepareTrashFolder(trash) == 0) return 0;
  }
  trash = top / (".Trash-" + uid);
  return PrepareTrashFolder(trash);
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// The name in the trash: the file's own, or with ".2", ".3" ... before its extension when the
// trash holds one of that name already.
fs::path TrashName(const fs::path& name, int attempt) {
  if (attempt == 1) return name;
  return fs::path(name.stem().native() + "." + std::to_string(attempt) + name.extension().native());
}

}  // namespace

std::string TrashInfoPath(const fs::path& absolute) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const unsigned char c : absolute.native()) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.' || c == '~' || c == '/';
    if (plain) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

int MoveToTrash(const fs::path& file, fs::path* trashedAs) {
  const fs::path absolute = NormalPath(file);
  struct stat status {};
  if (::lstat(absolute.c_str(), &status) != 0) return errno;
  const fs::path homeTrash = UserDataFolder() / "Trash";
  dev_t homeDevice = 0;
  fs::path trash = homeTrash;
  int error = 0;
  if (DeviceOf(homeTrash, homeDevice) && homeDevice == status.st_dev) {
    if (::mkdir(UserDataFolder().c_str(), 0700) != 0 && errno != EEXIST) return errno;
    error = PrepareTrashFolder(homeTrash);
  } else {
    error = TopTrashFolder(TopFolderOf(absolute, status.st_dev), trash);
  }
  if (error != 0) return error;
  const std::string info = "[Trash Info]\nPath=" + TrashInfoPath(absolute) + "\nDeletionDate=" + DeletionDate() + "\n";
  for (int attempt = 1; attempt <= 10000; ++attempt) {
    const fs::path name = TrashName(absolute.filename(), attempt);
    const fs::path infoFile = trash / "info" / (name.native() + ".trashinfo");
    // The info file, made exclusively, reserves the name against other programs trashing now.
    const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return errno;
    }
    const bool written = WriteAll(fd, info);
    const int closeError = ::close(fd) == 0 ? 0 : errno;
    if (!written || closeError != 0) {
      ::unlink(infoFile.c_str());
      return closeError != 0 ? closeError : EIO;
    }
    error = RenameNoReplace(absolute, trash / "files" / name);
    if (error == 0) {
      if (trashedAs) *trashedAs = trash / "files" / name;
      return 0;
    }
    ::unlink(infoFile.c_str());
    if (error != EEXIST) return error;
  }
  return EEXIST;
}

}  // namespace korvel
