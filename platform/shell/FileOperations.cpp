#include "platform/shell/FileOperations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/shell/ShellEnvironment.h"
#include "platform/core/SysUtils.h"

namespace fs = std::filesystem;

namespace {

void SetError(std::string* error, const std::string& text) {
  if (error && error->empty()) *error = text;
}

std::string ErrorText(const std::string& what, const std::string& path, int code) {
  return Format("%s \"%s\": %s", what, path, SysErrorMessage(code));
}

bool MakeFolder(const std::string& path, mode_t mode) {
  return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

// "%XX" for every byte outside the unreserved set and "/".
std::string PercentEncode(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

bool PercentDecode(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
        !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
      return false;
    out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
    i += 2;
  }
  return true;
}

// The top folder of the file system Path lies on: the last ancestor on its device.
std::string TopFolderOf(const std::string& path, dev_t device) {
  std::string top = path;
  while (top != "/") {
    const std::string parent = ExtractFileDir(top);
    struct stat status {};
    if (::stat(parent.c_str(), &status) != 0 || status.st_dev != device) break;
    top = parent;
  }
  return top;
}

struct TTrash {
  std::string Base;       // holds "files" and "info"
  std::string InfoPath;   // the Path= value: absolute for the user's trash, relative at a top folder
};

bool PrepareTrash(const std::string& base) {
  return MakeFolder(base, 0700) && MakeFolder(base + "/files", 0700) && MakeFolder(base + "/info", 0700);
}

bool ChooseTrash(const std::string& path, dev_t device, TTrash& trash) {
  const TShellRoots roots = ShellRoots();
  const std::string home = roots.DataHome + "/Trash";
  ForceDirectories(roots.DataHome);
  struct stat status {};
  if (::stat(roots.DataHome.c_str(), &status) == 0 && status.st_dev == device && PrepareTrash(home)) {
    trash = {home, path};
    return true;
  }
  const std::string top = TopFolderOf(path, device);
  const std::string uid = std::to_string(::geteuid());
  const std::string prefix = top == "/" ? "" : top;
  const std::string relative = path.substr(prefix.size() + 1);
  // An administrator's shared trash counts only when it is a real, sticky folder.
  const std::string shared = prefix + "/.Trash";
  struct stat link {};
  if (::lstat(shared.c_str(), &link) == 0 && S_ISDIR(link.st_mode) && (link.st_mode & S_ISVTX) &&
      PrepareTrash(shared + "/" + uid)) {
    trash = {shared + "/" + uid, relative};
    return true;
  }
  const std::string own = prefix + "/.Trash-" + uid;
  if (PrepareTrash(own)) {
    trash = {own, relative};
    return true;
  }
  return false;
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Creates info/<name>.trashinfo exclusively for the first free name and answers the name.
bool ReserveTrashName(const TTrash& trash, const std::string& name, std::string& chosen, std::string& infoFile) {
  const std::string content =
      "[Trash Info]\nPath=" + PercentEncode(trash.InfoPath) + "\nDeletionDate=" + DeletionDate() + "\n";
  for (int n = 1; n < 10000; ++n) {
    chosen = n == 1 ? name : name + "." + std::to_string(n);
    infoFile = trash.Base + "/info/" + chosen + ".trashinfo";
    const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    const bool closed = ::close(fd) == 0;
    struct stat status {};
    const bool free = ::lstat((trash.Base + "/files/" + chosen).c_str(), &status) != 0;
    if (written && closed && free) return true;
    ::unlink(infoFile.c_str());
    if (!written || !closed) return false;
  }
  errno = EEXIST;
  return false;
}

// "name (2).ext", "name (3).ext" … in Folder, the first that is free.
std::string FreeNameIn(const std::string& folder, const std::string& name) {
  std::string target = folder + "/" + name;
  struct stat status {};
  if (::lstat(target.c_str(), &status) != 0) return target;
  const std::size_t dot = name.find_last_of('.');
  const bool hasExt = dot != std::string::npos && dot > 0;
  const std::string stem = hasExt ? name.substr(0, dot) : name;
  const std::string ext = hasExt ? name.substr(dot) : "";
  for (int n = 2;; ++n) {
    target = folder + "/" + stem + " (" + std::to_string(n) + ")" + ext;
    if (::lstat(target.c_str(), &status) != 0) return target;
  }
}

bool IsInside(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(inner, ec), b = fs::weakly_canonical(outer, ec);
  auto ai = a.begin();
  for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai)
    if (ai == a.end() || *ai != *bi) return false;
  return true;
}

bool CopyEntry(const std::string& source, const std::string& target, std::string* error) {
  std::error_code ec;
  fs::copy(source, target, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
  if (ec) {
    SetError(error, ErrorText("Cannot copy", source, ec.value()));
    fs::remove_all(target, ec);  // only what this copy made: the name was free before
    return false;
  }
  return true;
}

}  // namespace

int RenameNoReplace(const std::string& From, const std::string& To) {
#ifdef SYS_renameat2
  constexpr unsigned kNoReplace = 1;  // RENAME_NOREPLACE
  if (::syscall(SYS_renameat2, AT_FDCWD, From.c_str(), AT_FDCWD, To.c_str(), kNoReplace) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
  // A file system without the atomic form: a hard link refuses an existing name by itself.
  struct stat status {};
  if (::lstat(From.c_str(), &status) != 0) return errno;
  if (!S_ISDIR(status.st_mode) && ::link(From.c_str(), To.c_str()) == 0) return ::unlink(From.c_str()) == 0 ? 0 : errno;
  if (errno == EEXIST) return EEXIST;
  if (::lstat(To.c_str(), &status) == 0) return EEXIST;
  return ::rename(From.c_str(), To.c_str()) == 0 ? 0 : errno;
}

bool MoveToTrash(const std::string& Path, std::string* Error) {
  if (Path.empty() || Path[0] != '/' || Path == "/") {
    SetError(Error, ErrorText("Cannot move to the Trash", Path, EINVAL));
    return false;
  }
  struct stat status {};
  if (::lstat(Path.c_str(), &status) != 0) {
    SetError(Error, ErrorText("Cannot move to the Trash", Path, errno));
    return false;
  }
  TTrash trash;
  std::string chosen, infoFile;
  if (!ChooseTrash(Path, status.st_dev, trash) || !ReserveTrashName(trash, ExtractFileName(Path), chosen, infoFile)) {
    SetError(Error, ErrorText("Cannot make a trash for", Path, errno));
    return false;
  }
  const int moved = RenameNoReplace(Path, trash.Base + "/files/" + chosen);
  if (moved != 0) {
    ::unlink(infoFile.c_str());
    SetError(Error, ErrorText("Cannot move to the Trash", Path, moved));
    return false;
  }
  return true;
}

bool ParseClipboardFileList(const std::string& Text, std::vector<std::string>& Files, bool& Cut) {
  Files.clear();
  Cut = false;
  std::size_t start = 0;
  bool first = true;
  while (start < Text.size()) {
    std::size_t end = Text.find('\n', start);
    if (end == std::string::npos) end = Text.size();
    std::string line = Text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (first && (line == "copy" || line == "cut")) {
      Cut = line == "cut";
      first = false;
      continue;
    }
    first = false;
    std::string path;
    if (line.compare(0, 7, "file://") == 0) {
      std::string_view rest = std::string_view(line).substr(7);
      if (rest.compare(0, 9, "localhost") == 0) rest.remove_prefix(9);
      if (rest.empty() || rest[0] != '/' || !PercentDecode(rest, path)) return false;
    } else if (line[0] == '/') {
      path = line;
    } else {
      return false;
    }
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return false;
    Files.push_back(path);
  }
  return !Files.empty();
}

bool PasteFiles(const std::vector<std::string>& Sources, const std::string& Folder, bool Move, std::string* Error) {
  bool all = true;
  for (const std::string& source : Sources) {
    struct stat status {};
    if (::lstat(source.c_str(), &status) != 0) {
      SetError(Error, ErrorText("Cannot paste", source, errno));
      all = false;
      continue;
    }
    if (S_ISDIR(status.st_mode) && IsInside(Folder, source)) {
      SetError(Error, ErrorText("Cannot paste a folder into itself:", source, EINVAL));
      all = false;
      continue;
    }
    if (Move && ExtractFileDir(source) == Folder) continue;  // already there
    const std::string target = FreeNameIn(Folder, ExtractFileName(source));
    if (Move) {
      const int moved = RenameNoReplace(source, target);
      if (moved == 0) continue;
      if (moved != EXDEV) {
        SetError(Error, ErrorText("Cannot move", source, moved));
        all = false;
        continue;
      }
    }
    if (!CopyEntry(source, target, Error)) {
      all = false;
      continue;
    }
    if (Move) {
      std::error_code ec;
      fs::remove_all(source, ec);
      if (ec) {
        SetError(Error, ErrorText("Copied, but cannot remove", source, ec.value()));
        all = false;
      }
    }
  }
  return all;
}
