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
// first waits until every task record handed out before it has been delivered.
class TCustomConvexa::TDoTerminateThread : public TThread {
 public:
  TDoTerminateThread(TTerminateEvent AOnTerminate, TCustomConvexa* ASender, const TTerminateInfo& ATerminateInfo)
      : TThread(true), FOnTerminate(std::move(AOnTerminate)), FSender(ASender), FTerminateInfo(ATerminateInfo) {}

 protected:
  void Execute() override {
    const bool batchEnd = FTerminateInfo.TaskIndex == -1;
    if (batchEnd) {
      std::unique_lock<std::mutex> lock(FSender->FNotifyLock);
      FSender->FNotifyChanged.wait(lock, [this] { return FSender->FTaskRecordsInFlight == 0; });
    }
    struct TDone {
      TDoTerminateThread* Self;
      bool BatchEnd;
      ~TDone() {
        if (BatchEnd) return;
        std::lock_guard<std::mutex> lock(Self->FSender->FNotifyLock);
        --Self->FSender->FTaskRecordsInFlight;
        Self->FSender->FNotifyChanged.notify_all();
      }
    } done{this, batchEnd};
    // A component being destroyed delivers nothing more.
    if (FOnTerminate && !FSender->FDestroying) FOnTerminate(FSender, FTerminateInfo);
  }

 private:
  TTerminateEvent FOnTerminate;
  TCustomConvexa* FSender;
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

void TCustomConvexa::DeliverTerminate(const TTerminateInfo& AInfo) {
  if (!FThreadMode) {
    if (OnTerminate) OnTerminate(this, AInfo);
    return;
  }
  ReapNotifications(false);
  auto thread = std::make_unique<TDoTerminateThread>(OnTerminate, this, AInfo);
  TThread* started = thread.get();
  {
    std::lock_guard<std::mutex> lock(FNotifyLock);
    if (AInfo.TaskIndex != -1) ++FTaskRecordsInFlight;
    FNotifyThreads.push_back(std::move(thread));
  }
  started->Start();
}

void TCustomConvexa::ReapNotifications(bool AAll) {
  const DWORD self = GetCurrentThreadId();
  std::vector<std::unique_ptr<TThread>> ended;
  bool fromNotification = false;
  {
    std::lock_guard<std::mutex> lock(FNotifyLock);
    for (auto it = FNotifyThreads.begin(); it != FNotifyThreads.end();) {
      fromNotification = fromNotification || (*it)->ThreadID() == self;
      if ((*it)->Finished()) {
        ended.push_back(std::move(*it));
        it = FNotifyThreads.erase(it);
      } else {
        ++it;
      }
    }
  }
  ended.clear();  // joins threads that have returned from Execute
  // A handler of one notification cannot wait for the others: the end-of-batch notification
  // waits for this very one, and two task handlers stopping at once would wait for each other.
  if (!AAll || fromNotification) return;
  // A handler may be waiting for the GUI thread (CallInMainThread): the wait keeps serving it.
  (void)WaitServingCalls([this] {
    std::lock_guard<std::mutex> lock(FNotifyLock);
    return FNotifyThreads.empty() ||
           std::all_of(FNotifyThreads.begin(), FNotifyThreads.end(), [](const auto& t) { return t->Finished(); });
  });
  {
    std::lock_guard<std::mutex> lock(FNotifyLock);
    ended.swap(FNotifyThreads);
  }
  ended.clear();
}

// ---- batch ----

void TCustomConvexa::CheckBatchFiles() {
  std::vector<TProtectedFile> inputs;
  for (int t = 0; t < TasksCount(); ++t) {
    const TFFmpeg* task = TaskAt(t);
    for (int i = 0; i < task->NbInputFiles(); ++i) {
      const AVFormatContext* input = task->InputFile(i);
      const std::string name = AVNameToFileName(input && input->url ? input->url : "");
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
}

void TCustomConvexa::Start(int AThreadCount) {
  CheckNotWorking("StartTask");
  CheckBatchFiles();
  {
    std::lock_guard<TCriticalSection> guard(FTerminateLock);
    FCompleteTasks = 0;
    FCurrentTask = 0;
    FPendingTasks = TasksCount();
    FTerminated = false;
    FThreadMode = AThreadCount > 0;
    FWorking = true;
    // Nothing to run: the batch ends at once.
    if (FPendingTasks == 0) {
      DoAllTerminated();
      return;
    }
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

void TCustomConvexa::StartNextTask() {
  TFFmpeg* task = nullptr;
  {
    // Claiming and starting happen under the terminate lock: a task that ends meanwhile starts
    // its successor only after this one is claimed, and Stop sees every claimed task started.
    std::lock_guard<TCriticalSection> guard(FTerminateLock);
    if (FPendingTasks <= 0 || FDestroying) return;
    --FPendingTasks;
    task = TaskAt(FCurrentTask++);
    task->ReportInterval = static_cast<int64_t>(FProgressInterval) * 1000;
    task->DetachProbes();
    if (FThreadMode) {
      if (TThread* worker = task->StartConvert(true, FThreadPriority)) worker->Resume();
      return;
    }
  }
  // Without threads the whole run happens here, outside the lock, so that another thread's Stop
  // is not held up for the length of a conversion.
  task->StartConvert(false, FThreadPriority);
}

void TCustomConvexa::Pause() { FFFmpegList.PauseAll(); }

void TCustomConvexa::Resume() { FFFmpegList.ResumeAll(); }

void TCustomConvexa::Stop(bool AWaitFor) {
  {
    // Taken after any claim under way has started its task.
    std::lock_guard<TCriticalSection> guard(FTerminateLock);
    FPendingTasks = 0;
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

void TCustomConvexa::DoTerminate(TObject* Sender) {
  std::lock_guard<TCriticalSection> guard(FTerminateLock);
  if (FDestroying) return;
  const int index = TaskIndexOf(Sender);
  if (OnTerminate) {
    const TFFmpeg* task = TaskAt(index);
    FTerminateInfo.TaskIndex = index;
    FTerminateInfo.Finished = task->Finished();
    FTerminateInfo.Exception = task->FatalException();
    FTerminateInfo.ExceptionMsg = task->FatalMessage();
    // A handler of this task's posted news that raised after the worker's last event still
    // fails the task.
    if (!FTerminateInfo.Exception) {
      try {
        RaiseHandlerFailure(index);
      } catch (...) {
        FTerminateInfo.Finished = false;
        FTerminateInfo.Exception = true;
        FTerminateInfo.ExceptionMsg = ExceptionMessage(std::current_exception());
      }
    }
    DeliverTerminate(FTerminateInfo);
  }
  ++FCompleteTasks;
  if (FPendingTasks > 0) {
    if (FThreadMode) StartNextTask();
  } else if (FCompleteTasks >= TasksCount() && !FTerminated) {
    DoAllTerminated();
  }
}

void TCustomConvexa::DoAllTerminated() {
  std::lock_guard<TCriticalSection> guard(FTerminateLock);
  // Set before the record goes out: its handler (on another thread in thread mode) may clear
  // the list at once.
  FTerminated = true;
  if (OnTerminate) {
    FTerminateInfo.TaskIndex = -1;
    FTerminateInfo.Finished = true;
    FTerminateInfo.Exception = false;
    FTerminateInfo.ExceptionMsg.clear();
    DeliverTerminate(FTerminateInfo);
  }
}

void TCustomConvexa::DoProgress(TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS, float AQuality,
                                float ABitRate, int64_t ACurrentSize, int64_t ACurrentDuration,
                                int64_t ATotalDuration) {
  if (!OnProgress || FDestroying) return;
  const int index = TaskIndexOf(Sender);
  RaiseHandlerFailure(index);
  const TProgressInfo info{index,      AFileIndex,   AFrameNumber,     AFPS,          AQuality,
                           ABitRate,   ACurrentSize, ACurrentDuration, ATotalDuration};
  if (!FTriggerEventInMainThread || GetCurrentThreadId() == MainThreadID()) {
    std::lock_guard<TCriticalSection> guard(FProgressLock);
    FProgressInfo = info;
    FireProgress();
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
  for (size_t budget = StartDelivery(FProgressNews); budget > 0 && TakeNews(FProgressNews, index, info); --budget) {
    if (!AAlive() || FDestroying) return;
    // The handler gets its own copy: another delivery may run while it waits.
    try {
      if (OnProgress) OnProgress(this, &info);
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
    std::lock_guard<TCriticalSection> guard(FPreviewLock);
    FPreviewInfo.TaskIndex = index;
    FPreviewInfo.Bitmap = ABitmap;
    FPreviewInfo.FrameNumber = AFrameNumber;
    FPreviewInfo.PTS = APTS;
    FirePreviewBitmap();
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
  for (size_t budget = StartDelivery(FPreviewNews); budget > 0 && TakeNews(FPreviewNews, index, news); --budget) {
    if (!AAlive() || FDestroying) return;
    try {
      if (OnPreviewBitmap) OnPreviewBitmap(this, news.Info);
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
  if (!OnCustomHook || FDestroying) return;
  std::lock_guard<TCriticalSection> guard(FHookLock);
  FHookInfo.TaskIndex = TaskIndexOf(Sender);
  FHookInfo.Bitmap = ABitmap;
  FHookInfo.FrameNumber = AFrameNumber;
  FHookInfo.PTS = APTS;
  FHookInfo.Update = AUpdate;
  FHookInfo.StopHook = AStopHook;
  TCanvas* canvas = ABitmap ? ABitmap->Canvas() : nullptr;
  if (canvas) canvas->Lock();
  struct TUnlock {
    TCanvas* Canvas;
    ~TUnlock() {
      if (Canvas) Canvas->Unlock();
    }
  } unlock{canvas};
  // Always on the worker: the handler works on the picture before it is encoded.
  OnCustomHook(this, &FHookInfo);
  AUpdate = FHookInfo.Update;
  AStopHook = FHookInfo.StopHook;
}

void TCustomConvexa::FirePreviewBitmap() {
  if (OnPreviewBitmap) OnPreviewBitmap(this, FPreviewInfo);
}

void TCustomConvexa::FireProgress() {
  if (OnProgress) OnProgress(this, &FProgressInfo);
}
