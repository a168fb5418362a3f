#pragma once
// The mounted file systems a user sees: "/" and the mounts a desktop shows (below /media,
// /run/media, /mnt or the home folder), each with its kind, label and source. The shell's
// Computer folder lists them, the drive lists of the file controls show them.
//
// Read from the mount table of the installed roots (ShellEnvironment.h) at every call, so a
// mount that comes or goes is seen at once. Safe on any thread.

#include <string>
#include <vector>

#include "platform/core/Types.h"

// The kind of a drive, with the numbers the drive lists were written against.
constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;

struct TMountPoint {
  std::string Path;        // where it is mounted ("/", "/media/u/USB")
  std::string FileSystem;  // the file-system type ("ext4", "vfat", "nfs4" …)
  std::string Source;      // the device or remote source ("/dev/sdb1", "server:/export")
  std::string Label;       // the disk label, empty when the disk has none
  UINT DriveType = DRIVE_FIXED;
};

// "/" first, then the other user-visible mounts in the order of the table (a mount point
// mounted over again appears once, with its newest mount). Pseudo and system file systems
// (proc, sysfs, cgroups, devpts, squashfs images …) and mounts elsewhere are left out. "/" alone
// (a fixed drive) when the table cannot be read.
[[nodiscard]] std::vector<TMountPoint> UserMounts();

// The kind a mount of this file-system type and source has: remote for network file systems,
// optical for iso9660 and udf, RAM for tmpfs and ramfs, removable for a block device the system
// marks removable, fixed otherwise.
[[nodiscard]] UINT DriveTypeOf(const std::string& FileSystem, const std::string& Source);

// The user-visible mount whose folder holds Path (the deepest one; "/" when no other does).
// False when Path is not absolute.
bool FindUserMount(const std::string& Path, TMountPoint& Mount);
