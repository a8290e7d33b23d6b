#include "base/storage_location.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string_view>
#include <system_error>

namespace korvel {
namespace {

namespace fs = std::filesystem;

// udev escapes unusual characters of a label in its link name as \xHH.
std::string UnescapeUdevName(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
      const std::string hex(name.substr(i + 2, 2));
      char* end = nullptr;
      const long value = std::strtol(hex.c_str(), &end, 16);
      if (end == hex.c_str() + 2) {
        out.push_back(static_cast<char>(value));
        i += 3;
        continue;
      }
    }
    out.push_back(name[i]);
  }
  return out;
}

}  // namespace

bool IsOnReadOnlyStorage(const fs::path& file) {
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  struct statvfs vfs {};
  if (::statvfs(folder.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY)) return true;
  return ::access(folder.c_str(), W_OK) != 0;
}

std::string VolumeLabelOf(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return "";
  std::error_code ec;
  // The block device of the file system, e.g. /sys/dev/block/11:0 -> .../block/sr0.
  const fs::path device = fs::canonical(
      "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev)), ec);
  if (ec) return "";
  for (const auto& link : fs::directory_iterator("/dev/disk/by-label", ec)) {
    const fs::path target = fs::canonical(link.path(), ec);
    if (!ec && target.filename() == device.filename()) return UnescapeUdevName(link.path().filename().string());
  }
  return "";
}

}  // namespace korvel
