#include "platform/shell/ShellEnvironment.h"

#include <pwd.h>
#include <unistd.h>

#include <fstream>
#include <mutex>

#include "platform/core/SysUtils.h"

namespace {

std::mutex& RootsLock() {
  static std::mutex lock;
  return lock;
}

std::optional<TShellRoots>& InstalledRoots() {
  static std::optional<TShellRoots> roots;
  return roots;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeFromSystem() {
  std::string home = GetEnvironmentVariable("HOME");
  if (!home.empty()) return WithoutTrailingSlash(home);
  if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir) return WithoutTrailingSlash(entry->pw_dir);
  return "/";
}

// An XDG base folder: the variable when it holds an absolute path, else the default.
std::string BaseFolder(const char* variable, const std::string& fallback) {
  const std::string value = GetEnvironmentVariable(variable);
  return !value.empty() && value[0] == '/' ? WithoutTrailingSlash(value) : fallback;
}

TShellRoots RootsFromEnvironment() {
  TShellRoots roots;
  roots.Home = HomeFromSystem();
  roots.ConfigHome = BaseFolder("XDG_CONFIG_HOME", roots.Home + "/.config");
  roots.DataHome = BaseFolder("XDG_DATA_HOME", roots.Home + "/.local/share");
  std::string dirs = GetEnvironmentVariable("XDG_DATA_DIRS");
  if (dirs.empty()) dirs = "/usr/local/share:/usr/share";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string dir = dirs.substr(start, end - start);
    if (!dir.empty() && dir[0] == '/') roots.DataDirs.push_back(WithoutTrailingSlash(dir));
    start = end + 1;
  }
  return roots;
}

// The value of KEY="…" in user-dirs.dirs, with "$HOME" expanded; empty when absent.
std::string UserDirsEntry(const TShellRoots& roots, const std::string& key) {
  std::ifstream file(roots.ConfigHome + "/user-dirs.dirs");
  std::string line;
  std::string found;
  while (std::getline(file, line)) {
    const std::string text = Trim(line);
    if (text.empty() || text[0] == '#' || text.compare(0, key.size() + 1, key + "=") != 0) continue;
    std::string value = text.substr(key.size() + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/'))
      value = roots.Home + value.substr(5);
    else if (value.empty() || value[0] != '/')
      continue;  // relative entries are not allowed by the format
    found = WithoutTrailingSlash(value);  // the last entry wins
  }
  return found;
}

}  // namespace

TShellRoots ShellRoots() {
  {
    std::lock_guard lock(RootsLock());
    if (InstalledRoots()) return *InstalledRoots();
  }
  return RootsFromEnvironment();
}

std::optional<TShellRoots> SetShellRoots(std::optional<TShellRoots> Roots) {
  std::lock_guard lock(RootsLock());
  std::optional<TShellRoots> previous = std::move(InstalledRoots());
  InstalledRoots() = std::move(Roots);
  return previous;
}

std::string UserFolderPath(TUserFolder Folder) {
  const TShellRoots roots = ShellRoots();
  auto userDir = [&](const char* key) {
    const std::string path = UserDirsEntry(roots, key);
    return !path.empty() && DirectoryExists(path) ? path : roots.Home;
  };
  switch (Folder) {
    case TUserFolder::ufDesktop: return userDir("XDG_DESKTOP_DIR");
    case TUserFolder::ufDocuments: return userDir("XDG_DOCUMENTS_DIR");
    case TUserFolder::ufTemplates: return userDir("XDG_TEMPLATES_DIR");
    case TUserFolder::ufConfig: return roots.ConfigHome;
    case TUserFolder::ufFonts: return roots.DataHome + "/fonts";
    case TUserFolder::ufApplications: return roots.DataHome + "/applications";
    case TUserFolder::ufAutostart: return roots.ConfigHome + "/autostart";
    case TUserFolder::ufTrash: return roots.DataHome + "/Trash/files";
  }
  return roots.Home;
}
