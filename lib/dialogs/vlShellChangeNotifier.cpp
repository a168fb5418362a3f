#include "lib/dialogs/vlShellChangeNotifier.h"

#include <mutex>

#include "platform/controls/Application.h"
#include "platform/shell/ShellEnvironment.h"

DWORD NotifyFiltersToFlags(TNotifyFilters Filters) {
  DWORD flags = 0;
  if (Filters.Contains(TNotifyFilter::nfFileNameChange)) flags |= FILE_NOTIFY_CHANGE_FILE_NAME;
  if (Filters.Contains(TNotifyFilter::nfDirNameChange)) flags |= FILE_NOTIFY_CHANGE_DIR_NAME;
  if (Filters.Contains(TNotifyFilter::nfAttributeChange)) flags |= FILE_NOTIFY_CHANGE_ATTRIBUTES;
  if (Filters.Contains(TNotifyFilter::nfSizeChange)) flags |= FILE_NOTIFY_CHANGE_SIZE;
  if (Filters.Contains(TNotifyFilter::nfWriteChange)) flags |= FILE_NOTIFY_CHANGE_LAST_WRITE;
  if (Filters.Contains(TNotifyFilter::nfSecurityChange)) flags |= FILE_NOTIFY_CHANGE_SECURITY;
  return flags;
}

// ---- Worker ----------------------------------------------------------------------------------------

TvlShellChangeThread::TvlShellChangeThread(TvlCustomShellChangeNotifier* Notifier, std::weak_ptr<void> Alive)
    : TThread(true), FNotifier(Notifier), FAlive(std::move(Alive)) {}

TvlShellChangeThread::~TvlShellChangeThread() {
  // Execute uses this object's members: it must be over before they go.
  Stop();
  if (!Suspended()) {
    try {
      WaitFor();
    } catch (...) {
      // A call of another thread failed while this wait served it; it has run, the wait is over.
    }
  }
}

void TvlShellChangeThread::SetDirectoryOptions(const std::string& Directory, bool WatchSubTree, DWORD NotifyOptionFlags) {
  {
    std::lock_guard lock(ShellControlsLock());
    FDirectory = Directory;
    FWatchSubTree = WatchSubTree;
    FNotifyOptionFlags = NotifyOptionFlags;
    FWaitChanged = true;
  }
  FWake.Wake();
}

void TvlShellChangeThread::Stop() {
  Terminate();
  FWake.Wake();
}

std::string TvlShellChangeThread::WatchedFolder() const {
  std::lock_guard lock(ShellControlsLock());
  return FWatched;
}

std::unique_ptr<TDirectoryWatch> TvlShellChangeThread::OpenFromOptions() {
  std::string directory;
  bool subtree;
  DWORD flags;
  {
    std::lock_guard lock(ShellControlsLock());
    directory = FDirectory;
    subtree = FWatchSubTree;
    flags = FNotifyOptionFlags;
    FWaitChanged = false;
    FWatched.clear();
  }
  // Opening a subtree reads every folder below it: done outside the lock.
  std::unique_ptr<TDirectoryWatch> watch = TDirectoryWatch::Open(directory, subtree, flags);
  if (watch) {
    std::lock_guard lock(ShellControlsLock());
    FWatched = directory;
  }
  return watch;
}

void TvlShellChangeThread::PostChange() {
  if (FPending.exchange(true)) return;  // the change on its way carries this one too
  Queue([this, alive = FAlive] {
    if (alive.expired()) return;
    FNotifier->DeliverChange(this);
  });
}

void TvlShellChangeThread::Execute() {
  if (!FWake.Valid()) return;
  std::unique_ptr<TDirectoryWatch> watch = OpenFromOptions();
  while (watch && !Terminated()) {
    const TDirectoryWatch::TWaitResult result = watch->Wait(FWake);
    if (result == TDirectoryWatch::TWaitResult::Failed) break;
    if (result == TDirectoryWatch::TWaitResult::Changed || result == TDirectoryWatch::TWaitResult::Gone) PostChange();
    if (result == TDirectoryWatch::TWaitResult::Gone) break;  // nothing is left to watch
    bool reopen;
    {
      std::lock_guard lock(ShellControlsLock());
      reopen = FWaitChanged;
    }
    if (reopen && !Terminated()) {
      watch.reset();
      watch = OpenFromOptions();
    }
  }
  std::lock_guard lock(ShellControlsLock());
  FWatched.clear();
}

// ---- Notifier --------------------------------------------------------------------------------------

TvlCustomShellChangeNotifier::TvlCustomShellChangeNotifier(TComponent* AOwner)
    : TComponent(AOwner),
      FFilters{TNotifyFilter::nfFileNameChange, TNotifyFilter::nfDirNameChange},
      FRoot(ShellRoots().Home) {
  Start();  // starts nothing: there is no handler yet
}

TvlCustomShellChangeNotifier::~TvlCustomShellChangeNotifier() {
  FAlive.reset();  // a change posted before the stop finds the notifier gone
  FThread.reset();
}

void TvlCustomShellChangeNotifier::SetNotifyFilters(TNotifyFilters Value) {
  FFilters = Value;
  ApplyOptions();
}

void TvlCustomShellChangeNotifier::SetRoot(const TRoot& Value) {
  if (Value == FRoot) return;
  FRoot = Value;
  ApplyOptions();
}

void TvlCustomShellChangeNotifier::SetWatchSubTree(bool Value) {
  FWatchSubTree = Value;
  ApplyOptions();
}

void TvlCustomShellChangeNotifier::SetOnChange(TThreadMethod Value) {
  FOnChange = std::move(Value);
  if (!FThread) Start();
}

void TvlCustomShellChangeNotifier::ApplyOptions() {
  if (!FThread) return;
  if (FThread->Finished()) {
    // The worker ended by itself (no folder to watch, or a failed wait): a new one takes the
    // new options.
    FThread.reset();
    Start();
    return;
  }
  FThread->SetDirectoryOptions(FRoot, FWatchSubTree, NotifyFiltersToFlags(FFilters));
}

void TvlCustomShellChangeNotifier::Start() {
  if (!FOnChange || FThread) return;
  FThread = std::make_unique<TvlShellChangeThread>(this, FAlive);
  FThread->SetDirectoryOptions(FRoot, FWatchSubTree, NotifyFiltersToFlags(FFilters));
  FThread->Start();
}

void TvlCustomShellChangeNotifier::DeliverChange(TvlShellChangeThread* Worker) {
  if (Worker != FThread.get()) return;
  Worker->ChangeDelivered();
  if (!FOnChange) return;
  // The handler may replace itself, or free this notifier (a view that re-creates its notifier
  // when it reloads): it runs from a copy, and nothing here is touched after it unless the
  // notifier still lives.
  TThreadMethod handler = FOnChange;
  const std::weak_ptr<void> alive = FAlive;
  try {
    handler();
  } catch (...) {
    // The watching ends, as it did when a handler failed on the worker; the user hears of it.
    if (!alive.expired() && FThread) FThread->Stop();
    if (TApplication* application = Application()) application->HandleException(alive.expired() ? nullptr : this);
  }
}
