#pragma once
// The folder change notifier: watches one folder of the file system (and, when asked, every
// folder below it) and tells its owner on the GUI thread that something in it changed. The shell
// tree and list views use it for their automatic refresh.
//
// The component holds the options and the handler; its worker thread waits on the folder's watch
// and on a wake-up signal (platform/shell/DirectoryWatch.h). A change is posted to the GUI thread as a
// queued call; changes that come while one is on its way are carried by it, so a burst of events
// (or one new file) is one call of the handler. The posted call reaches the component only while
// it lives: its destructor first revokes the liveness token the calls carry, then wakes the worker
// and joins it, so nothing is delivered afterwards. An exception the handler raises is caught: the
// watching ends and the application reports the exception.
//
// Threads: the GUI thread makes, configures and destroys the component and runs the handler; the
// worker only waits, reads the watch and posts. The options the worker reads are guarded by
// ShellControlsLock.

#include <atomic>
#include <memory>
#include <string>

#include "lib/dialogs/vlShellNamespace.h"
#include "platform/controls/Component.h"
#include "platform/shell/DirectoryWatch.h"
#include "platform/core/Set.h"
#include "platform/core/Thread.h"

enum class TNotifyFilter { nfFileNameChange, nfDirNameChange, nfAttributeChange, nfSizeChange, nfWriteChange, nfSecurityChange };
using TNotifyFilters = TSet<TNotifyFilter>;

// The change flags (FILE_NOTIFY_CHANGE_*) of a filter set.
[[nodiscard]] DWORD NotifyFiltersToFlags(TNotifyFilters Filters);

class TvlCustomShellChangeNotifier;

// The worker: opens the watch from its options, waits, posts each change to its notifier.
class TvlShellChangeThread : public TThread {
 public:
  // Made suspended; Start runs it. Changes go to Notifier while Alive has not expired.
  TvlShellChangeThread(TvlCustomShellChangeNotifier* Notifier, std::weak_ptr<void> Alive);
  // Stops and joins the worker (serving the GUI thread's pending calls meanwhile).
  ~TvlShellChangeThread() override;

  // GUI thread: new options, taken up by the worker at once (it is woken for them).
  void SetDirectoryOptions(const std::string& Directory, bool WatchSubTree, DWORD NotifyOptionFlags);
  // Any thread: ends the worker soon.
  void Stop();
  // The folder the worker watches now; empty before it has opened its watch and after it ended.
  [[nodiscard]] std::string WatchedFolder() const;
  // GUI thread: the posted change arrived; later changes post again.
  void ChangeDelivered() { FPending.store(false); }

 protected:
  void Execute() override;

 private:
  std::unique_ptr<TDirectoryWatch> OpenFromOptions();
  void PostChange();

  TvlCustomShellChangeNotifier* const FNotifier;
  const std::weak_ptr<void> FAlive;
  TWakeSignal FWake;
  std::atomic<bool> FPending{false};  // a change is on its way to the GUI thread

  // Guarded by ShellControlsLock.
  std::string FDirectory;
  bool FWatchSubTree = false;
  DWORD FNotifyOptionFlags = 0;
  bool FWaitChanged = false;
  std::string FWatched;
};

class TvlCustomShellChangeNotifier : public TComponent {
 public:
  // Root is the home folder, the subtree is watched, and names of files and folders are the
  // changes watched; nothing runs until OnChange is set.
  explicit TvlCustomShellChangeNotifier(TComponent* AOwner);
  ~TvlCustomShellChangeNotifier() override;

  [[nodiscard]] TNotifyFilters NotifyFilters() const { return FFilters; }
  void SetNotifyFilters(TNotifyFilters Value);
  [[nodiscard]] const TRoot& Root() const { return FRoot; }
  // A path. The same path (compared exactly: the file system tells letter cases apart) changes
  // nothing.
  void SetRoot(const TRoot& Value);
  [[nodiscard]] bool WatchSubTree() const { return FWatchSubTree; }
  void SetWatchSubTree(bool Value);
  [[nodiscard]] const TThreadMethod& OnChange() const { return FOnChange; }
  // Stores the handler; the first one starts the worker. An empty handler stops the deliveries,
  // not the worker.
  void SetOnChange(TThreadMethod Value);

  // The running worker, nullptr when none was started.
  [[nodiscard]] const TvlShellChangeThread* Thread() const { return FThread.get(); }
  // The folder being watched now; empty when nothing is watched.
  [[nodiscard]] std::string WatchedFolder() const { return FThread ? FThread->WatchedFolder() : std::string(); }

 protected:
  void ApplyOptions();
  void Start();

 private:
  friend class TvlShellChangeThread;
  // GUI thread: a posted change arrived from Worker.
  void DeliverChange(TvlShellChangeThread* Worker);

  TNotifyFilters FFilters;
  bool FWatchSubTree = true;
  TRoot FRoot;
  std::unique_ptr<TvlShellChangeThread> FThread;
  TThreadMethod FOnChange;
  std::shared_ptr<char> FAlive = std::make_shared<char>(0);  // revoked first on destruction
};

class TvlShellChangeNotifier : public TvlCustomShellChangeNotifier {
 public:
  using TvlCustomShellChangeNotifier::TvlCustomShellChangeNotifier;
};
