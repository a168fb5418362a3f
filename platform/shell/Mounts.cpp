#include "platform/shell/Mounts.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/shell/ShellEnvironment.h"
#include "platform/core/SysUtils.h"

namespace {

// Mount table fields escape space, tab, newline and backslash as octal ("\040").
std::string DecodeOctalEscapes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() &&
        std::all_of(text.begin() + i + 1, text.begin() + i + 4, [](char c) { return c >= '0' && c <= '7'; })) {
      out += static_cast<char>(((text[i + 1] - '0') << 6) | ((text[i + 2] - '0') << 3) | (text[i + 3] - '0'));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Disk label links escape unsafe bytes as "\xHH".
std::string DecodeHexEscapes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2])) && std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool IsPseudoFileSystem(const std::string& type) {
  static constexpr std::array<std::string_view, 26> pseudo = {
      "proc",     "sysfs",    "devtmpfs",   "devpts",    "cgroup",    "cgroup2",         "securityfs",
      "debugfs",  "tracefs",  "pstore",     "bpf",       "mqueue",    "hugetlbfs",       "configfs",
      "fusectl",  "autofs",   "binfmt_misc", "nsfs",     "efivarfs",  "squashfs",        "overlay",
      "rpc_pipefs", "nfsd",   "selinuxfs",  "fuse.gvfsd-fuse", "fuse.portal"};
  return std::find(pseudo.begin(), pseudo.end(), type) != pseudo.end();
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

bool IsUserVisiblePlace(const std::string& path, const std::string& home) {
  if (path == "/") return true;
  for (std::string_view place : {"/media/", "/run/media/", "/mnt/"})
    if (StartsWith(path, place) && path.size() > place.size()) return true;
  return home.size() > 1 && StartsWith(path, home + "/");
}

// The device name of a source path, following a link ("/dev/disk/by-uuid/…" → "sdb1").
std::string DeviceName(const std::string& source) {
  if (!StartsWith(source, "/dev/")) return {};
  char resolved[PATH_MAX];
  if (::realpath(source.c_str(), resolved) != nullptr) return ExtractFileName(resolved);
  return ExtractFileName(source);
}

// "sdb1" → "sdb", "nvme0n1p2" → "nvme0n1", "mmcblk0p1" → "mmcblk0".
std::string WholeDiskName(std::string name) {
  while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) name.pop_back();
  if (name.size() >= 2 && name.back() == 'p' && std::isdigit(static_cast<unsigned char>(name[name.size() - 2])))
    name.pop_back();
  return name;
}

bool FlagFileSays1(const std::string& path) {
  std::ifstream file(path);
  char c = 0;
  return file.get(c) && c == '1';
}

bool IsRemovableDevice(const std::string& blockDevices, const std::string& source) {
  const std::string name = DeviceName(source);
  if (name.empty() || name.find('/') != std::string::npos) return false;
  if (FlagFileSays1(blockDevices + "/" + name + "/removable")) return true;
  const std::string disk = WholeDiskName(name);
  return !disk.empty() && disk != name && FlagFileSays1(blockDevices + "/" + disk + "/removable");
}

std::string LabelOf(const std::string& diskLabels, const std::string& source) {
  const std::string device = DeviceName(source);
  if (device.empty()) return {};
  DIR* dir = ::opendir(diskLabels.c_str());
  if (!dir) return {};
  std::string label;
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    char target[PATH_MAX];
    const ssize_t length = ::readlink((diskLabels + "/" + name).c_str(), target, sizeof target - 1);
    if (length <= 0) continue;
    target[length] = '\0';
    if (ExtractFileName(target) == device) {
      label = DecodeHexEscapes(name);
      break;
    }
  }
  ::closedir(dir);
  return label;
}

struct TTableEntry {
  std::string Path, FileSystem, Source;
};

// The entries of a mountinfo table: "id parent major:minor root mount-point options [optional
// fields] - type source super-options".
void ReadMountTable(const std::string& file, std::vector<TTableEntry>& entries) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint, options, field;
    if (!(fields >> id >> parent >> device >> root >> mountPoint >> options)) continue;
    while (fields >> field && field != "-") {
    }
    TTableEntry entry;
    if (field != "-" || !(fields >> entry.FileSystem >> entry.Source)) continue;
    entry.Path = DecodeOctalEscapes(mountPoint);
    entry.Source = DecodeOctalEscapes(entry.Source);
    if (entry.Path.empty() || entry.Path[0] != '/') continue;
    entries.push_back(std::move(entry));
  }
}

}  // namespace

UINT DriveTypeOf(const std::string& FileSystem, const std::string& Source) {
  static constexpr std::array<std::string_view, 16> remote = {
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "afs", "ncpfs",
      "ceph", "glusterfs", "davfs", "fuse.davfs2", "fuse.rclone", "fuse.s3fs"};
  if (std::find(remote.begin(), remote.end(), FileSystem) != remote.end()) return DRIVE_REMOTE;
  if (FileSystem == "iso9660" || FileSystem == "udf") return DRIVE_CDROM;
  if (FileSystem == "tmpfs" || FileSystem == "ramfs") return DRIVE_RAMDISK;
  if (IsRemovableDevice(ShellRoots().BlockDevices, Source)) return DRIVE_REMOVABLE;
  return DRIVE_FIXED;
}

std::vector<TMountPoint> UserMounts() {
  const TShellRoots roots = ShellRoots();
  std::vector<TTableEntry> table;
  ReadMountTable(roots.MountInfo, table);  // an unreadable table still leaves "/"
  std::vector<TMountPoint> mounts;
  for (const TTableEntry& entry : table) {
    if (IsPseudoFileSystem(entry.FileSystem) || !IsUserVisiblePlace(entry.Path, roots.Home)) continue;
    // A folder mounted over again shows its newest mount only.
    std::erase_if(mounts, [&](const TMountPoint& m) { return m.Path == entry.Path; });
    TMountPoint mount;
    mount.Path = entry.Path;
    mount.FileSystem = entry.FileSystem;
    mount.Source = entry.Source;
    mount.DriveType = DriveTypeOf(entry.FileSystem, entry.Source);
    mount.Label = LabelOf(roots.DiskLabels, entry.Source);
    mounts.push_back(std::move(mount));
  }
  // "/" is always there and always first, whatever the table says about it.
  auto root = std::find_if(mounts.begin(), mounts.end(), [](const TMountPoint& m) { return m.Path == "/"; });
  TMountPoint rootMount;
  if (root != mounts.end()) {
    rootMount = *root;
    mounts.erase(root);
  } else {
    rootMount.Path = "/";
  }
  mounts.insert(mounts.begin(), std::move(rootMount));
  return mounts;
}

bool FindUserMount(const std::string& Path, TMountPoint& Mount) {
  if (Path.empty() || Path[0] != '/') return false;
  std::vector<TMountPoint> mounts = UserMounts();
  const TMountPoint* best = &mounts.front();
  for (const TMountPoint& m : mounts) {
    const bool holds = Path == m.Path || StartsWith(Path, m.Path == "/" ? m.Path : m.Path + "/");
    if (holds && m.Path.size() > best->Path.size()) best = &m;
  }
  Mount = *best;
  return true;
}
