#include "base/volume_kind.h"

#include <fstream>

namespace korvel {
namespace {

// The removable flag of a block device, or of the disk that holds it when it is a partition.
bool MarkedRemovable(const std::filesystem::path& deviceFolder) {
  for (const auto& file : {deviceFolder / "removable", deviceFolder / ".." / "removable"}) {
    std::ifstream in(file);
    char flag = 0;
    if (in >> flag) return flag == '1';
  }
  return false;
}

}  // namespace

TVolumeKind VolumeKindOf(const std::string& device, const std::string& fileSystem,
                         const std::filesystem::path& sysBlock) {
  if (fileSystem == "iso9660" || fileSystem == "udf") return TVolumeKind::Optical;
  const std::string prefix = "/dev/";
  if (device.compare(0, prefix.size(), prefix) != 0) return TVolumeKind::Fixed;
  const std::string name = device.substr(prefix.size());
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return TVolumeKind::Fixed;
  if (name.compare(0, 2, "sr") == 0) return TVolumeKind::Optical;
  std::error_code ignored;
  // The entry is a link into the device tree, where a partition's folder lies inside its disk's.
  const std::filesystem::path folder = std::filesystem::canonical(sysBlock / name, ignored);
  return !folder.empty() && MarkedRemovable(folder) ? TVolumeKind::Removable : TVolumeKind::Fixed;
}

}  // namespace korvel
