#pragma once
// Change notification for a folder: a watch of the folder (and, when asked, every folder below
// it, one watch each) whose changes of the requested kinds a thread waits for, together with a
// wake-up that another thread signals to stop or re-configure that wait.
//
// A watch belongs to the thread that waits on it; only that thread reads and closes it. Wake()
// may be called from any thread.

#include <memory>
#include <string>

#include "platform/core/Types.h"

// The kinds of change, as the watch's filter names them.
constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x0001;   // a file made, removed or renamed
constexpr DWORD FILE_NOTIFY_CHANGE_DIR_NAME = 0x0002;    // a folder made, removed or renamed
constexpr DWORD FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x0004;  // status (rights, owner, times set)
constexpr DWORD FILE_NOTIFY_CHANGE_SIZE = 0x0008;        // contents written
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_WRITE = 0x0010;  // contents written
constexpr DWORD FILE_NOTIFY_CHANGE_SECURITY = 0x0100;    // rights or owner

// The most folders one subtree watch covers; folders beyond it (or beyond the system's limit of
// watches) are not watched, so one watch never takes every watch the user may have.
constexpr int kMaxWatchedFolders = 4096;

// A one-shot wake-up that a waiting thread sees at once (an eventfd).
class TWakeSignal {
 public:
  TWakeSignal();
  ~TWakeSignal();
  TWakeSignal(const TWakeSignal&) = delete;
  TWakeSignal& operator=(const TWakeSignal&) = delete;

  [[nodiscard]] bool Valid() const { return fd_ >= 0; }
  // Any thread: ends the current or next wait.
  void Wake();
  // The waiting thread: takes the pending wake-ups away.
  void Consume();
  [[nodiscard]] int Handle() const { return fd_; }

 private:
  int fd_ = -1;
};

class TDirectoryWatch {
 public:
  // A watch of Directory for the changes Filter names (FILE_NOTIFY_CHANGE_*), of its subtree as
  // well with WatchSubTree (links to folders are not followed, other file systems are not
  // entered). Nullptr, with the errno value in *Error, when Directory is not a folder that can be
  // watched.
  static std::unique_ptr<TDirectoryWatch> Open(const std::string& Directory, bool WatchSubTree, DWORD Filter,
                                               int* Error = nullptr);
  ~TDirectoryWatch();
  TDirectoryWatch(const TDirectoryWatch&) = delete;
  TDirectoryWatch& operator=(const TDirectoryWatch&) = delete;

  enum class TWaitResult {
    Changed,  // at least one change the filter asks for
    Woken,    // the wake-up was signalled (and consumed)
    Gone,     // the watched folder itself was removed or moved away (a change as well)
    Failed,   // the wait itself failed
  };
  // Blocks until a change of the watched folders that the filter asks for, or Wake's signal.
  // Reads every pending event before it answers, so one burst of events gives one Changed.
  // Watches new subfolders of a watched subtree as they appear.
  TWaitResult Wait(TWakeSignal& Wake);

  // The number of folders watched.
  [[nodiscard]] int WatchedFolders() const;

 private:
  struct TState;
  explicit TDirectoryWatch(std::unique_ptr<TState> State);
  std::unique_ptr<TState> state_;
};

// Waits for Wake alone (no folder is watched). False when the wait failed.
bool WaitForWake(TWakeSignal& Wake);
