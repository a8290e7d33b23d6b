#include "base/volume_kind.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// A kernel block tree: a fixed disk sda with sda1, a stick sdb with sdb1, and links to them.
class VolumeKindTest : public ::testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(Links());
    Disk("sda", '0');
    Disk("sdb", '1');
  }
  void Disk(const std::string& disk, char removable) {
    const fs::path folder = sys.path() / "devices" / disk;
    fs::create_directories(folder / (disk + "1"));
    std::ofstream(folder / "removable") << removable << "\n";
    fs::create_directory_symlink(folder, sys.path() / "links" / disk);
    fs::create_directory_symlink(folder / (disk + "1"), sys.path() / "links" / (disk + "1"));
  }
  fs::path Links() const { return sys.path() / "links"; }

  test::TempDir sys;
};

TEST_F(VolumeKindTest, TellsDrivesApartByTheKernelsFlagsAndTheDiscFileSystems) {
  struct Case {
    const char* device;
    const char* fileSystem;
    TVolumeKind kind;
  };
  const Case cases[] = {
      {"/dev/sda1", "ext4", TVolumeKind::Fixed},     {"/dev/sdb1", "vfat", TVolumeKind::Removable},
      {"/dev/sdb", "exfat", TVolumeKind::Removable}, {"/dev/sr0", "", TVolumeKind::Optical},
      {"/dev/loop3", "iso9660", TVolumeKind::Optical}, {"/dev/nvme9n1", "ext4", TVolumeKind::Fixed},
      {"/dev/../sdb1", "vfat", TVolumeKind::Fixed},   {"server:/share", "nfs", TVolumeKind::Fixed},
      {"/dev/", "ext4", TVolumeKind::Fixed}};
  for (const Case& c : cases) EXPECT_EQ(VolumeKindOf(c.device, c.fileSystem, Links()), c.kind) << c.device;
}

}  // namespace
}  // namespace korvel
