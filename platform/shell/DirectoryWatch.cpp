#include "platform/shell/DirectoryWatch.h"

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "platform/core/SysUtils.h"

TWakeSignal::TWakeSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TWakeSignal::~TWakeSignal() {
  if (fd_ >= 0) ::close(fd_);
}

void TWakeSignal::Wake() {
  const std::uint64_t one = 1;
  if (fd_ >= 0) (void)!::write(fd_, &one, sizeof one);
}

void TWakeSignal::Consume() {
  std::uint64_t value = 0;
  if (fd_ >= 0) (void)!::read(fd_, &value, sizeof value);
}

namespace {

// Name events count for files or for folders, as the filter asks.
constexpr std::uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

std::uint32_t MaskOf(DWORD filter, bool subtree) {
  std::uint32_t mask = IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;
  if (filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME)) mask |= kNameEvents;
  if (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) mask |= IN_ATTRIB;
  if (filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)) mask |= IN_MODIFY;
  if (subtree) mask |= IN_CREATE | IN_MOVED_TO;  // to watch new subfolders, reported or not
  return mask;
}

bool Relevant(std::uint32_t event, DWORD filter) {
  if (event & IN_Q_OVERFLOW) return true;  // events were lost: something changed
  if (event & kNameEvents)
    return (filter & ((event & IN_ISDIR) ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME)) != 0;
  if (event & IN_ATTRIB) return (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) != 0;
  if (event & IN_MODIFY) return (filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)) != 0;
  return false;
}

}  // namespace

struct TDirectoryWatch::TState {
  int fd = -1;
  int root = -1;
  bool subtree = false;
  DWORD filter = 0;
  std::uint32_t mask = 0;
  dev_t device = 0;
  std::map<int, std::string> folders;  // watch descriptor → folder

  ~TState() {
    if (fd >= 0) ::close(fd);
  }

  // Watches Folder and, for a subtree, the folders below it on the same file system.
  void AddTree(const std::string& folder) {
    if (static_cast<int>(folders.size()) >= kMaxWatchedFolders) return;
    const int wd = ::inotify_add_watch(fd, folder.c_str(), mask);
    if (wd < 0) return;  // gone again, or the system's limit: the rest stays unwatched
    folders[wd] = folder;
    if (!subtree) return;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN) continue;
      const std::string path = IncludeTrailingPathDelimiter(folder) + entry->d_name;
      struct stat status {};
      if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_dev != device) continue;
      AddTree(path);
    }
    ::closedir(dir);
  }
};

TDirectoryWatch::TDirectoryWatch(std::unique_ptr<TState> State) : state_(std::move(State)) {}
TDirectoryWatch::~TDirectoryWatch() = default;

std::unique_ptr<TDirectoryWatch> TDirectoryWatch::Open(const std::string& Directory, bool WatchSubTree, DWORD Filter,
                                                       int* Error) {
  auto fail = [&](int code) {
    if (Error) *Error = code;
    return std::unique_ptr<TDirectoryWatch>();
  };
  struct stat status {};
  if (Directory.empty() || ::stat(Directory.c_str(), &status) != 0) return fail(Directory.empty() ? ENOENT : errno);
  if (!S_ISDIR(status.st_mode)) return fail(ENOTDIR);
  auto state = std::make_unique<TState>();
  state->fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (state->fd < 0) return fail(errno);
  state->subtree = WatchSubTree;
  state->filter = Filter;
  state->mask = MaskOf(Filter, WatchSubTree);
  state->device = status.st_dev;
  // The root itself may be a link to a folder: follow that one.
  state->root = ::inotify_add_watch(state->fd, Directory.c_str(), state->mask & ~IN_DONT_FOLLOW);
  if (state->root < 0) return fail(errno);
  state->folders[state->root] = Directory;
  if (WatchSubTree) {
    DIR* dir = ::opendir(Directory.c_str());
    if (dir) {
      while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        const std::string path = IncludeTrailingPathDelimiter(Directory) + entry->d_name;
        struct stat sub {};
        if (::lstat(path.c_str(), &sub) == 0 && S_ISDIR(sub.st_mode) && sub.st_dev == state->device)
          state->AddTree(path);
      }
      ::closedir(dir);
    }
  }
  return std::unique_ptr<TDirectoryWatch>(new TDirectoryWatch(std::move(state)));
}

int TDirectoryWatch::WatchedFolders() const { return static_cast<int>(state_->folders.size()); }

TDirectoryWatch::TWaitResult TDirectoryWatch::Wait(TWakeSignal& Wake) {
  TState& s = *state_;
  for (;;) {
    pollfd fds[2] = {{s.fd, POLLIN, 0}, {Wake.Handle(), POLLIN, 0}};
    const int ready = ::poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return TWaitResult::Failed;
    }
    if (fds[1].revents & POLLIN) {
      Wake.Consume();
      return TWaitResult::Woken;
    }
    if (fds[0].revents & (POLLERR | POLLNVAL)) return TWaitResult::Failed;
    if (!(fds[0].revents & POLLIN)) continue;

    bool changed = false;
    bool gone = false;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
      const ssize_t length = ::read(s.fd, buffer, sizeof buffer);
      if (length <= 0) break;  // EAGAIN: everything pending has been read
      for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
        offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (event->mask & IN_IGNORED) {
          s.folders.erase(event->wd);
          gone |= event->wd == s.root;
          continue;
        }
        if (event->wd == s.root && (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF))) gone = true;
        if (s.subtree && (event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) && event->len > 0) {
          auto folder = s.folders.find(event->wd);
          if (folder != s.folders.end()) {
            const std::string path = IncludeTrailingPathDelimiter(folder->second) + event->name;
            struct stat status {};
            if (::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_dev == s.device)
              s.AddTree(path);
          }
        }
        changed |= Relevant(event->mask, s.filter);
      }
    }
    if (gone) return TWaitResult::Gone;
    if (changed) return TWaitResult::Changed;
  }
}

bool WaitForWake(TWakeSignal& Wake) {
  for (;;) {
    pollfd fd{Wake.Handle(), POLLIN, 0};
    const int ready = ::poll(&fd, 1, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    Wake.Consume();
    return true;
  }
}
