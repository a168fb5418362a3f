#pragma once
// A temporary tree for the tests of the shell services, installed as their roots for the
// test's lifetime, so no test reads or writes the user's real home, trash or mounts:
//
//   <Root>/home                 the home folder (Desktop, Documents, usb, .config, .local/share)
//   <Root>/home/.config/user-dirs.dirs    desktop and documents of the XDG settings
//   <Root>/home/.local/share/mime/globs2  a small MIME database
//   <Root>/mountinfo            "/" and a removable disk labelled "MY USB" at <Home>/usb
//   <Root>/labels, <Root>/block the disk labels and the removable flag of that disk

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/shell/ShellEnvironment.h"

class TShellTestTree {
 public:
  TShellTestTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "shell-XXXXXX").string();
    Root = ::mkdtemp(pattern.data());
    Home = Root + "/home";
    Desktop = Home + "/Desktop";
    Documents = Home + "/Documents";
    Usb = Home + "/usb";
    for (const std::string& dir : {Home, Desktop, Documents, Usb, Home + "/.config", Home + "/.local/share/mime",
                                   Root + "/labels", Root + "/block/sdz"})
      std::filesystem::create_directories(dir);
    Write(Home + "/.config/user-dirs.dirs",
          "# written by a test\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    Write(Home + "/.local/share/mime/globs2",
          "50:video/mp4:*.mp4\n50:audio/mpeg:*.mp3\n50:text/plain:*.txt\n50:application/x-compressed-tar:*.tar.gz\n"
          "50:application/gzip:*.gz\n60:text/x-makefile:Makefile:cs\n50:text/x-csrc:*.c\n50:text/x-c++src:*.C:cs\n"
          "40:image/png:*.png\n10:text/x-readme:README*\n");
    Write(Home + "/.local/share/mime/generic-icons", "application/x-compressed-tar:package-x-generic\n");
    Write(Root + "/block/sdz/removable", "1\n");
    std::filesystem::create_symlink("../../sdz1", Root + "/labels/MY\\x20USB");
    SetMountTable("27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                  "40 27 8:1 / " + Usb + " rw,nosuid - vfat /dev/sdz1 rw\n");
    TShellRoots roots;
    roots.Home = Home;
    roots.ConfigHome = Home + "/.config";
    roots.DataHome = Home + "/.local/share";
    roots.MountInfo = Root + "/mountinfo";
    roots.DiskLabels = Root + "/labels";
    roots.BlockDevices = Root + "/block";
    previous_ = SetShellRoots(roots);
  }

  ~TShellTestTree() {
    SetShellRoots(previous_);
    // Folders a test made read-only must be writable again to be removed.
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(Root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
    std::filesystem::remove_all(Root, ec);
  }

  TShellTestTree(const TShellTestTree&) = delete;
  TShellTestTree& operator=(const TShellTestTree&) = delete;

  void SetMountTable(const std::string& table) { Write(Root + "/mountinfo", table); }

  static void Write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
  }
  static void MakeFolder(const std::string& path) { std::filesystem::create_directories(path); }

  std::string Root, Home, Desktop, Documents, Usb;

 private:
  std::optional<TShellRoots> previous_;
};
