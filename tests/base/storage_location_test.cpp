#include "base/storage_location.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include "support/temp_dir.h"

namespace korvel {
namespace {

TEST(StorageLocationTest, AWritableFolderIsNotReadOnly) {
  test::TempDir dir;
  EXPECT_FALSE(IsOnReadOnlyStorage(dir / "clip.avi"));
  EXPECT_EQ(VolumeLabelOf(dir / "missing.avi"), "");
}

TEST(StorageLocationTest, AReadOnlyMountIsReadOnly) {
  test::TempDir dir;
  if (::mount("none", dir.path().c_str(), "tmpfs", MS_RDONLY, "size=64k") != 0)
    GTEST_SKIP() << "mounting needs privileges this machine does not give";
  const bool readOnly = IsOnReadOnlyStorage(dir / "VTS_01_1.VOB");
  ::umount(dir.path().c_str());
  EXPECT_TRUE(readOnly);
}

}  // namespace
}  // namespace korvel
