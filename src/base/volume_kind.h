#pragma once
// What kind of drive a mounted volume lives on, from the kernel's block device attributes.
#include <filesystem>
#include <string>

namespace korvel {

enum class TVolumeKind { Fixed, Removable, Optical };

// device is the mount's source ("/dev/sdb1"), fileSystem its type ("vfat", "iso9660"). A disc
// file system or an "sr" device is optical; a device whose disk the kernel marks removable is
// removable; anything else, and anything that cannot be told, is fixed. sysBlock is the folder
// of the kernel's block devices.
TVolumeKind VolumeKindOf(const std::string& device, const std::string& fileSystem,
                         const std::filesystem::path& sysBlock = "/sys/class/block");

}  // namespace korvel
