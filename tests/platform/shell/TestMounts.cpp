#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "platform/shell/Mounts.h"

namespace {

std::string Line(const std::string& path, const std::string& type, const std::string& source) {
  return "50 27 0:50 / " + path + " rw,relatime shared:1 - " + type + " " + source + " rw\n";
}

}  // namespace

TEST(Mounts, TheTableGivesTheUserVisibleMountsWithKindsAndLabels) {
  TShellTestTree tree;
  std::filesystem::create_symlink("../../sr0", tree.Root + "/labels/Holiday\\x20DVD");
  tree.SetMountTable("27 1 254:0 / / rw - ext4 /dev/vda rw\n" +            //
                     Line("/proc", "proc", "proc") +                        // pseudo
                     Line("/sys/fs/cgroup", "cgroup2", "cgroup2") +         // pseudo
                     Line("/run/user/1000", "tmpfs", "tmpfs") +             // a system place
                     Line("/snap/core/1", "squashfs", "/dev/loop0") +       // an image
                     Line("/media/u/Holiday\\040DVD", "iso9660", "/dev/sr0") +
                     Line("/mnt/nas", "nfs4", "server:/export") +
                     Line("/mnt/ram", "tmpfs", "tmpfs") +
                     Line(tree.Usb, "vfat", "/dev/sdz1") +
                     Line("/mnt/data", "ext4", "/dev/sdb2") +
                     Line("/mnt/data", "xfs", "/dev/sdc1") +               // mounted over
                     "a line that is no mount\n");

  struct Expected {
    std::string path;
    UINT type;
    std::string label;
    std::string source;
  };
  const std::vector<Expected> expected = {
      {"/", DRIVE_FIXED, "", "/dev/vda"},
      {"/media/u/Holiday DVD", DRIVE_CDROM, "Holiday DVD", "/dev/sr0"},
      {"/mnt/nas", DRIVE_REMOTE, "", "server:/export"},
      {"/mnt/ram", DRIVE_RAMDISK, "", "tmpfs"},
      {tree.Usb, DRIVE_REMOVABLE, "MY USB", "/dev/sdz1"},
      {"/mnt/data", DRIVE_FIXED, "", "/dev/sdc1"},
  };
  const std::vector<TMountPoint> mounts = UserMounts();
  ASSERT_EQ(mounts.size(), expected.size());
  for (std::size_t i = 0; i < mounts.size(); ++i) {
    SCOPED_TRACE(expected[i].path);
    EXPECT_EQ(mounts[i].Path, expected[i].path);
    EXPECT_EQ(mounts[i].DriveType, expected[i].type);
    EXPECT_EQ(mounts[i].Label, expected[i].label);
    EXPECT_EQ(mounts[i].Source, expected[i].source);
  }

  TMountPoint found;
  ASSERT_TRUE(FindUserMount(tree.Usb + "/photos/a.jpg", found));
  EXPECT_EQ(found.Path, tree.Usb);
  ASSERT_TRUE(FindUserMount("/mnt/nasty", found));  // a name that only starts like a mount
  EXPECT_EQ(found.Path, "/");
  EXPECT_FALSE(FindUserMount("relative/path", found));
}

TEST(Mounts, RemovableDisksByTheirWholeDisk) {
  TShellTestTree tree;
  TShellTestTree::MakeFolder(tree.Root + "/block/nvme0n1");
  TShellTestTree::Write(tree.Root + "/block/nvme0n1/removable", "1\n");
  TShellTestTree::MakeFolder(tree.Root + "/block/mmcblk0");
  TShellTestTree::Write(tree.Root + "/block/mmcblk0/removable", "0\n");
  EXPECT_EQ(DriveTypeOf("ext4", "/dev/nvme0n1p2"), DRIVE_REMOVABLE);
  EXPECT_EQ(DriveTypeOf("vfat", "/dev/sdz1"), DRIVE_REMOVABLE);
  EXPECT_EQ(DriveTypeOf("vfat", "/dev/mmcblk0p1"), DRIVE_FIXED);
  EXPECT_EQ(DriveTypeOf("ext4", "/dev/sdq1"), DRIVE_FIXED);  // no flag at all
  EXPECT_EQ(DriveTypeOf("cifs", "//server/share"), DRIVE_REMOTE);
  EXPECT_EQ(DriveTypeOf("udf", "/dev/sr1"), DRIVE_CDROM);
}

TEST(Mounts, AnUnreadableTableStillGivesTheFileSystem) {
  TShellTestTree tree;
  std::filesystem::remove(tree.Root + "/mountinfo");
  const std::vector<TMountPoint> mounts = UserMounts();
  ASSERT_EQ(mounts.size(), 1u);
  EXPECT_EQ(mounts[0].Path, "/");
  EXPECT_EQ(mounts[0].DriveType, DRIVE_FIXED);
}
