// The batch: starting tasks a few at a time, the events of the tasks as the component's events,
// pause, resume and stop.

#include <algorithm>
#include <chrono>

#include "Src/Convexa.h"
#include "Src/FFUtils.h"
#include "Src/FileIdentity.h"
#include "Src/UnicodeProtocol.h"
#include "platform/graphics/Canvas.h"
#include "platform/core/SysUtils.h"

// Delivers one terminate record on a thread of its own. The end-of-batch record (TaskIndex -1)
// first waits until every task record handed out before it has been delivered. After its
// handler the thread touches only the shared notification state: the handler may have freed the
// component.
class TCustomConvexa::TDoTerminateThread : public TThread {
 public:
  TDoTerminateThread(TTerminateEvent AOnTerminate, TCustomConvexa* ASender, const TTerminateInfo& ATerminateInfo)
      : TThread(true),
        FOnTerminate(std::move(AOnTerminate)),
        FSender(ASender),
        FNotify(ASender->FNotify),
        FTerminateInfo(ATerminateInfo) {}

 protected:
  void Execute() override {
    const bool batchEnd = FTerminateInfo.TaskIndex == -1;
    if (batchEnd) {
      std::unique_lock<std::mutex> lock(FNotify->Lock);
      FNotify->Changed.wait(lock, [this] { return FNotify->TaskRecordsInFlight == 0 || FNotify->Closed; });
    }
    struct TDone {
      TNotifications& Notify;
      bool BatchEnd;
      ~TDone() {
        if (BatchEnd) return;
        std::lock_guard<std::mutex> lock(Notify.Lock);
        --Notify.TaskRecordsInFlight;
        Notify.Changed.notify_all();
      }
    } done{*FNotify, batchEnd};
    // A component being destroyed delivers nothing more.
    if (FOnTerminate && !FNotify->Closed) FOnTerminate(FSender, FTerminateInfo);
  }

 private:
  TTerminateEvent FOnTerminate;
  TCustomConvexa* FSender;
  std::shared_ptr<TNotifications> FNotify;
  TTerminateInfo FTerminateInfo;
};

namespace {

// The text of a raised object, as a failed task reports it.
std::string ExceptionMessage(const std::exception_ptr& AError) {
  try {
    std::rethrow_exception(AError);
  } catch (const Exception& e) {
    return e.Message;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

}  // namespace

// ---- notification threads ----

void TCustomConvexa::DeliverOnThread(const TTerminateInfo& AInfo) {
  ReapNotifications(false);
  TOwnedThread thread(new TDoTerminateThread(OnTerminate, this, AInfo));
  TThread* started = thread.get();
  {
    std::lock_guard<std::mutex> lock(FNotify->Lock);
    if (AInfo.TaskIndex != -1) ++FNotify->TaskRecordsInFlight;
    FNotify->Threads.push_back(std::move(thread));
  }
  started->Start();
}

void TCustomConvexa::DeliverDirectly(const TTerminateInfo& AInfo) {
  // A copy: the handler may free the component, and with it OnTerminate.
  const TTerminateEvent handler = OnTerminate;
  if (handler) handler(this, AInfo);
}

void TCustomConvexa::ReapNotifications(bool AAll) {
  const DWORD self = GetCurrentThreadId();
  std::vector<TOwnedThread> ended;
  bool fromNotification = false;
  {
    std::lock_guard<std::mutex> lock(FNotify->Lock);
    auto& threads = FNotify->Threads;
    for (auto it = threads.begin(); it != threads.end();) {
      fromNotification = fromNotification || (*it)->ThreadID() == self;
      if ((*it)->Finished()) {
        ended.push_back(std::move(*it));
        it = threads.erase(it);
      } else {
        ++it;
      }
    }
  }
  ended.clear();  // joins threads that have returned from Execute
  // A handler of one notification cannot wait for the others: the end-of-batch notification
  // waits for this very one, and two task handlers stopping at once would wait for each other.
  // Nor can a worker's handler: a notification's handler may be stopping that worker.
  if (!AAll || fromNotification || TCustomFFmpeg::OnAnyWorker()) return;
  // A handler may be waiting for the GUI thread (CallInMainThread): the wait keeps serving it.
  (void)WaitServingCalls([this] {
    std::lock_guard<std::mutex> lock(FNotify->Lock);
    return std::all_of(FNotify->Threads.begin(), FNotify->Threads.end(), [](const auto& t) { return t->Finished(); });
  });
  {
    std::lock_guard<std::mutex> lock(FNotify->Lock);
    ended.swap(FNotify->Threads);
  }
  ended.clear();
}

void TCustomConvexa::CloseNotifications() {
  {
    std::lock_guard<std::mutex> lock(FNotify->Lock);
    FNotify->Closed = true;
  }
  FNotify->Changed.notify_all();
  const DWORD self = GetCurrentThreadId();
  (void)WaitServingCalls([this, self] {
    std::lock_guard<std::mutex> lock(FNotify->Lock);
    return std::all_of(FNotify->Threads.begin(), FNotify->Threads.end(),
                       [self](const auto& t) { return t->Finished() || t->ThreadID() == self; });
  });
  std::vector<TOwnedThread> all;
  {
    std::lock_guard<std::mutex> lock(FNotify->Lock);
    all.swap(FNotify->Threads);
  }
  // Joined; the caller's own thread (a handler freeing the component) goes to the main thread.
  all.clear();
}

// ---- codec threads ----

std::vector<int> ShareFreeCores(int ACores, int ACommitted, int AWaiting) {
  std::vector<int> shares;
  if (AWaiting <= 0) return shares;
  const int free = std::max(ACores - ACommitted, 0);
  for (int i = 0; i < AWaiting; ++i) shares.push_back(std::max(1, free / AWaiting + (i < free % AWaiting ? 1 : 0)));
  return shares;
}

void TCustomConvexa::DivideCores() {
  const int cores = ProcessorCores();
  int committed = 0;
  std::vector<TFFmpeg*> waiting;
  for (const int index : FRunningTasks) {
    TFFmpeg* task = TaskAt(index);
    const int threads = task->CodecThreads();
    if (threads < 0 && index == FLastSuccessor)
      task->SetCoreShare(cores);
    else if (threads < 0)
      waiting.push_back(task);
    else
      committed += threads == 0 ? cores : threads;  // 0: the libraries take every core
  }
  // The tasks about to start count as waiting: the first one started does not take every core.
  const std::vector<int> shares = ShareFreeCores(cores, committed, static_cast<int>(waiting.size()) + FStartingTasks);
  for (size_t i = 0; i < waiting.size(); ++i) waiting[i]->SetCoreShare(shares[i]);
}

// ---- batch ----

void TCustomConvexa::CheckBatchFiles() {
  std::vector<TProtectedFile> inputs;
  for (int t = 0; t < TasksCount(); ++t) {
    const TFFmpeg* task = TaskAt(t);
    for (int i = 0; i < task->NbInputFiles(); ++i) {
      const std::string& name = task->InputFileName(i);
      const std::optional<TFileIdentity> identity = TFileIdentity::Of(LocalFileName(name));
      if (identity && identity->Exists()) inputs.push_back({name, *identity});
    }
  }
  struct TClaim {
    TFileIdentity Identity;
    int Task;
    std::string Name;
  };
  std::vector<TClaim> claims;
  for (int t = 0; t < TasksCount(); ++t) {
    TFFmpeg* task = TaskAt(t);
    task->SetProtectedFiles(inputs);
    for (int k = 0; k < task->NbOutputFiles(); ++k) {
      const TOutputFileSetup& file = task->OutputFile(k);
      if (k > 0 && &file == &task->OutputFile(k - 1)) continue;  // join mode names one file again
      const std::optional<TFileIdentity> identity = TFileIdentity::Of(LocalFileName(file.file_name));
      if (!identity) continue;
      auto claim = std::find_if(claims.begin(), claims.end(), [&](const TClaim& c) { return c.Identity == *identity; });
      if (claim == claims.end()) {
        claims.push_back({*identity, t, file.file_name});
        continue;
      }
      task->RefuseStart(Format("Output file '%s' is the same file as the output '%s' of task #%d; one file "
                               "cannot take two conversions",
                               file.file_name, claim->Name, claim->Task));
    }
  }
  // Every task opens its files again when it starts, as they are then.
  LetOthersGo(nullptr);
}

void TCustomConvexa::Start(int AThreadCount) {
  CheckNotWorking("StartTask");
  CheckBatchFiles();
  {
    std::lock_guard<TCriticalSection> guard(FTerminateLock);
    FCompleteTasks = 0;
    FCurrentTask = 0;
    FPendingTasks = TasksCount();
    FBatchPaused = false;
    FTerminated = false;
    FThreadMode = AThreadCount > 0;
    FWorking = true;
    FRunningTasks.clear();
    FLastSuccessor = -1;
    FStartingTasks = FThreadMode ? std::min(AThreadCount, TasksCount()) : 0;
  }
  // Nothing to run: the batch ends at once.
  if (TasksCount() == 0) {
    DoAllTerminated();
    return;
  }
  for (;;) {
    {
      std::lock_guard<TCriticalSection> guard(FTerminateLock);
      if (FPendingTasks <= 0) break;
    }
    StartNextTask();
    if (FThreadMode) {
      if (AThreadCount <= 1) break;
      --AThreadCount;
    }
  }
}

void TCustomConvexa::StartNextTask(bool ASuccessor) {
  TFFmpeg* task = nullptr;
  {
    // Claiming and starting happen under the terminate lock: a task that ends meanwhile starts
    // its successor only after this one is claimed, Stop sees every claimed task started, and
    // Pause sees it running (so it starts paused in a paused batch).
    std::lock_guard<TCriticalSection> guard(FTerminateLock);
    if (FPendingTasks <= 0 || FDestroying) return;
    --FPendingTasks;
    if (FStartingTasks > 0) --FStartingTasks;
    const int index = FCurrentTask++;
    if (ASuccessor && FPendingTasks == 0) FLastSuccessor = index;
    task = TaskAt(index);
    task->ReportInterval = static_cast<int64_t>(FProgressInterval) * 1000;
    task->DetachProbes();
    if (FThreadMode) {
      if (TThread* worker = task->StartConvert(true, FThreadPriority)) {
        // The worker waits to be resumed: its share is set before it opens anything.
        FRunningTasks.insert(index);
        DivideCores();
        if (FBatchPaused) task->Pause();
        worker->Resume();
      }
      return;
    }
    task->SetCoreShare(0);  // alone on the machine
  }
  // Without threads the whole run happens here, outside the lock, so that another thread's Stop
  // is not held up for the length of a conversion.
  task->StartConvert(false, FThreadPriority);
}

void TCustomConvexa::Pause() {
  std::lock_guard<TCriticalSection> guard(FTerminateLock);
  FBatchPaused = true;
  FFFmpegList.PauseAll();
}

void TCustomConvexa::Resume() {
  std::lock_guard<TCriticalSection> guard(FTerminateLock);
  FBatchPaused = false;
  FFFmpegList.ResumeAll();
}

void TCustomConvexa::Stop(bool AWaitFor) {
  {
    // Taken after any claim under way has started its task.
    std::lock_guard<TCriticalSection> guard(FTerminateLock);
    FPendingTasks = 0;
    FStartingTasks = 0;
    FBatchPaused = false;
  }
  FFFmpegList.CancelAll(AWaitFor);
  if (AWaitFor) ReapNotifications(true);
}

// ---- events ----

int TCustomConvexa::TaskIndexOf(TObject* Sender) const {
  const int index = FFFmpegList.IndexOf(Sender);
  if (index < 0) throw EInvalidCast("Invalid class typecast");
  return index;
}

TTerminateInfo TCustomConvexa::TerminateRecord(int ATaskIndex) {
  const TFFmpeg* task = TaskAt(ATaskIndex);
  TTerminateInfo info;
  info.TaskIndex = ATaskIndex;
  info.Finished = task->Finished();
  info.Exception = task->FatalException();
  info.ExceptionMsg = task->FatalMessage();
  // A handler of this task's posted news that raised after the worker's last event still fails
  // the task.
  if (!info.Exception) {
    try {
      RaiseHandlerFailure(ATaskIndex);
    } catch (...) {
      info.Finished = false;
      info.Exception = true;
      info.ExceptionMsg = ExceptionMessage(std::current_exception());
    }
  }
  return info;
}

TTerminateInfo TCustomConvexa::EndBatch() {
  // Set before the record goes out: its handler (on another thread in thread mode) may clear
  // the list at once.
  FTerminated = true;
  TTerminateInfo info;
  info.TaskIndex = -1;
  info.Finished = true;
  return info;
}

void TCustomConvexa::DoTerminate(TObject* Sender) {
  // Without threads the records go out on this thread once the lock is let go, in order.
  std::vector<TTerminateInfo> direct;
  {
    std::lock_guard<TCriticalSection> guard(FTerminateLock);
    if (FDestroying) return;
    const int index = TaskIndexOf(Sender);
    if (OnTerminate) {
      TTerminateInfo info = TerminateRecord(index);
      if (FThreadMode)
        DeliverOnThread(info);
      else
        direct.push_back(std::move(info));
    }
    ++FCompleteTasks;
    FRunningTasks.erase(index);
    if (FPendingTasks > 0) {
      if (FThreadMode) StartNextTask(true);
    } else if (FCompleteTasks >= TasksCount() && !FTerminated) {
      TTerminateInfo end = EndBatch();
      if (OnTerminate) {
        if (FThreadMode)
          DeliverOnThread(end);
        else
          direct.push_back(std::move(end));
      }
    }
    // The cores this task used go to the tasks still opening their codecs.
    if (FThreadMode) DivideCores();
  }
  // A handler may free the component: the shared state tells whether it is still there.
  const std::shared_ptr<TNotifications> notify = FNotify;
  for (const TTerminateInfo& info : direct) {
    if (notify->Closed) return;
    DeliverDirectly(info);
  }
}

void TCustomConvexa::DoAllTerminated() {
  TTerminateInfo end;
  {
    std::lock_guard<TCriticalSection> guard(FTerminateLock);
    end = EndBatch();
    if (!OnTerminate) return;
    if (FThreadMode) {
      DeliverOnThread(end);
      return;
    }
  }
  DeliverDirectly(end);
}

void TCustomConvexa::DoProgress(TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS, float AQuality,
                                float ABitRate, int64_t ACurrentSize, int64_t ACurrentDuration,
                                int64_t ATotalDuration) {
  if (!OnProgress || FDestroying) return;
  const int index = TaskIndexOf(Sender);
  RaiseHandlerFailure(index);
  TProgressInfo info{index,      AFileIndex,   AFrameNumber,     AFPS,          AQuality,
                     ABitRate,   ACurrentSize, ACurrentDuration, ATotalDuration};
  if (!FTriggerEventInMainThread || GetCurrentThreadId() == MainThreadID()) {
    // Nothing of the component is touched once the handler has returned: it may be gone.
    FireProgress(info);
    return;
  }
  // Posted: the worker goes on at once. A record not yet delivered is replaced by this newer one.
  std::lock_guard<std::mutex> guard(FProgressNews.Lock);
  FProgressNews.Pending[index] = info;
  if (FProgressNews.Queued) return;
  FProgressNews.Queued = true;
  FNews.QueueInMainThread([this](const TLiveness::TAlive& AAlive) { DeliverProgressNews(AAlive); });
}

namespace {

// Takes the first record of a news box (the lowest task index), false when none is left. Records
// are taken one at a time, so a delivery that runs inside a handler's wait (Stop(true) serves
// queued calls) goes on with the same records and no task's news arrives out of order.
template <typename TBox, typename TRecord>
bool TakeNews(TBox& ABox, int& AIndex, TRecord& ARecord) {
  std::lock_guard<std::mutex> guard(ABox.Lock);
  if (ABox.Pending.empty()) return false;
  auto first = ABox.Pending.begin();
  AIndex = first->first;
  ARecord = std::move(first->second);
  ABox.Pending.erase(first);
  return true;
}

// How many records one delivery takes at most: those present when it starts. Records that come
// meanwhile queue the next delivery, so the GUI thread gets back to its loop between them.
template <typename TBox>
size_t StartDelivery(TBox& ABox) {
  std::lock_guard<std::mutex> guard(ABox.Lock);
  ABox.Queued = false;
  return ABox.Pending.size();
}

}  // namespace

void TCustomConvexa::DeliverProgressNews(const TLiveness::TAlive& AAlive) {
  int index = 0;
  TProgressInfo info;
  // The component is asked after every handler before it is touched again: a handler may free it.
  for (size_t budget = StartDelivery(FProgressNews); budget > 0; --budget) {
    if (!AAlive() || FDestroying || !TakeNews(FProgressNews, index, info)) return;
    // The handler gets its own copy: another delivery may run while it waits.
    try {
      FireProgress(info);
    } catch (...) {
      if (!AAlive()) throw;
      KeepHandlerFailure(index);
    }
  }
}

void TCustomConvexa::DoPreviewBitmap(TObject* Sender, TBitmap* ABitmap, int AFrameNumber, int64_t APTS) {
  if (!OnPreviewBitmap || FDestroying) return;
  const int index = TaskIndexOf(Sender);
  RaiseHandlerFailure(index);
  if (!FTriggerEventInMainThread || GetCurrentThreadId() == MainThreadID()) {
    FirePreviewBitmap(TPreviewInfo{index, ABitmap, AFrameNumber, APTS});
    return;
  }
  // The engine's picture is valid only during this call: the GUI thread gets a copy.
  auto copy = std::make_shared<TBitmap>();
  if (ABitmap) copy->Assign(ABitmap);
  std::lock_guard<std::mutex> guard(FPreviewNews.Lock);
  FPreviewNews.Pending[index] = TPreviewNews{TPreviewInfo{index, ABitmap ? copy.get() : nullptr, AFrameNumber, APTS},
                                             ABitmap ? copy : nullptr};
  if (FPreviewNews.Queued) return;
  FPreviewNews.Queued = true;
  FNews.QueueInMainThread([this](const TLiveness::TAlive& AAlive) { DeliverPreviewNews(AAlive); });
}

void TCustomConvexa::DeliverPreviewNews(const TLiveness::TAlive& AAlive) {
  int index = 0;
  TPreviewNews news;
  for (size_t budget = StartDelivery(FPreviewNews); budget > 0; --budget) {
    if (!AAlive() || FDestroying || !TakeNews(FPreviewNews, index, news)) return;
    try {
      FirePreviewBitmap(news.Info);
    } catch (...) {
      if (!AAlive()) throw;
      KeepHandlerFailure(index);
    }
  }
}

void TCustomConvexa::KeepHandlerFailure(int ATaskIndex) {
  std::lock_guard<std::mutex> guard(FHandlerFailureLock);
  FHandlerFailures.emplace(ATaskIndex, std::current_exception());  // the first one counts
}

void TCustomConvexa::RaiseHandlerFailure(int ATaskIndex) {
  std::exception_ptr failure;
  {
    std::lock_guard<std::mutex> guard(FHandlerFailureLock);
    auto it = FHandlerFailures.find(ATaskIndex);
    if (it == FHandlerFailures.end()) return;
    failure = it->second;
    FHandlerFailures.erase(it);
  }
  std::rethrow_exception(failure);
}

void TCustomConvexa::DoCustomHook(TObject* Sender, TBitmap* ABitmap, int AFrameNumber, int64_t APTS, bool& AUpdate,
                                  bool& AStopHook) {
  const TCustomHookEvent handler = OnCustomHook;
  if (!handler || FDestroying) return;
  THookInfo info{TaskIndexOf(Sender), ABitmap, AFrameNumber, APTS, AUpdate, AStopHook};
  // The bitmap's own lock, for drawing on it; the picture belongs to this task alone.
  TCanvas* canvas = ABitmap ? ABitmap->Canvas() : nullptr;
  if (canvas) canvas->Lock();
  struct TUnlock {
    TCanvas* Canvas;
    ~TUnlock() {
      if (Canvas) Canvas->Unlock();
    }
  } unlock{canvas};
  // Always on the worker: the handler works on the picture before it is encoded.
  handler(this, &info);
  AUpdate = info.Update;
  AStopHook = info.StopHook;
}

void TCustomConvexa::FirePreviewBitmap(const TPreviewInfo& AInfo) {
  // A copy: the handler may free the component, and with it the event.
  const TPreviewBitmapEvent handler = OnPreviewBitmap;
  if (handler) handler(this, AInfo);
}

void TCustomConvexa::FireProgress(TProgressInfo& AInfo) {
  const TProgressEvent handler = OnProgress;
  if (handler) handler(this, &AInfo);
}
