#pragma once
// Where the shell services find the user's folders and the system's tables: the home folder,
// the XDG base and user folders, the shared MIME database, the mount table and the disk labels.
//
// The roots come from the environment ($HOME, $XDG_CONFIG_HOME, $XDG_DATA_HOME,
// $XDG_DATA_DIRS) and the system's fixed places (/proc/self/mountinfo, /dev/disk/by-label,
// /sys/class/block) unless a program or a test installs its own with SetShellRoots, so tests
// run on a temporary tree and never touch the user's real home or mounts.
//
// Safe on any thread; install roots only while no other thread uses the shell services.

#include <optional>
#include <string>
#include <vector>

struct TShellRoots {
  std::string Home;                   // the user's home folder, without a trailing "/"
  std::string ConfigHome;             // XDG config folder ("<Home>/.config" by default)
  std::string DataHome;               // XDG data folder ("<Home>/.local/share" by default)
  std::vector<std::string> DataDirs;  // further data folders ("/usr/local/share", "/usr/share")
  std::string MountInfo = "/proc/self/mountinfo";
  std::string DiskLabels = "/dev/disk/by-label";  // symbolic links named after labels
  std::string BlockDevices = "/sys/class/block";  // <device>/removable, <device>/../removable
};

// The roots in use: the installed ones, else those of the environment (read at every call).
[[nodiscard]] TShellRoots ShellRoots();
// Installs Roots (nullopt: back to the environment) and answers what was installed before.
std::optional<TShellRoots> SetShellRoots(std::optional<TShellRoots> Roots);

// The folders of the user that the shell names.
enum class TUserFolder {
  ufDesktop,       // XDG_DESKTOP_DIR
  ufDocuments,     // XDG_DOCUMENTS_DIR
  ufTemplates,     // XDG_TEMPLATES_DIR
  ufConfig,        // the XDG config folder
  ufFonts,         // <DataHome>/fonts
  ufApplications,  // <DataHome>/applications
  ufAutostart,     // <ConfigHome>/autostart
  ufTrash,         // <DataHome>/Trash/files
};

// The folder's path. The user folders (desktop, documents, templates) come from
// <ConfigHome>/user-dirs.dirs ("$HOME/…" or absolute, quoted); a missing entry, or one naming no
// existing folder, gives the home folder. The others are answered whether they exist or not.
[[nodiscard]] std::string UserFolderPath(TUserFolder Folder);
