// The batch: starting tasks a few at a time, the events of the tasks as the component's events,
// pause, resume and stop.

#include <chrono>

#include "Src/Convexa.h"
#include "Src/FFUtils.h"
#include "platform/Canvas.h"

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
  const bool mainThread = self == MainThreadID();
  for (;;) {
    std::vector<std::unique_ptr<TThread>> ended;
    bool othersRunning = false;
    {
      std::lock_guard<std::mutex> lock(FNotifyLock);
      for (auto it = FNotifyThreads.begin(); it != FNotifyThreads.end();) {
        if ((*it)->Finished()) {
          ended.push_back(std::move(*it));
          it = FNotifyThreads.erase(it);
        } else {
          othersRunning = othersRunning || (*it)->ThreadID() != self;
          ++it;
        }
      }
    }
    ended.clear();  // joins threads that have returned from Execute
    if (!AAll || !othersRunning) return;
    // A handler may be waiting for the GUI thread (CallInMainThread): keep serving it.
    if (mainThread)
      PumpPendingMessages();
    std::unique_lock<std::mutex> lock(FNotifyLock);
    FNotifyChanged.wait_for(lock, std::chrono::milliseconds(5));
  }
}

// ---- batch ----

void TCustomConvexa::Start(int AThreadCount) {
  CheckNotWorking("StartTask");
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
  std::lock_guard<TCriticalSection> guard(FProgressLock);
  FProgressInfo.TaskIndex = TaskIndexOf(Sender);
  FProgressInfo.FileIndex = AFileIndex;
  FProgressInfo.FrameNumber = AFrameNumber;
  FProgressInfo.FPS = AFPS;
  FProgressInfo.Quality = AQuality;
  FProgressInfo.BitRate = ABitRate;
  FProgressInfo.CurrentSize = ACurrentSize;
  FProgressInfo.CurrentDuration = ACurrentDuration;
  FProgressInfo.TotalDuration = ATotalDuration;
  CallEvent(FTriggerEventInMainThread, [this] { FireProgress(); });
}

void TCustomConvexa::DoPreviewBitmap(TObject* Sender, TBitmap* ABitmap, int AFrameNumber, int64_t APTS) {
  if (!OnPreviewBitmap || FDestroying) return;
  std::lock_guard<TCriticalSection> guard(FPreviewLock);
  FPreviewInfo.TaskIndex = TaskIndexOf(Sender);
  FPreviewInfo.Bitmap = ABitmap;
  FPreviewInfo.FrameNumber = AFrameNumber;
  FPreviewInfo.PTS = APTS;
  CallEvent(FTriggerEventInMainThread, [this] { FirePreviewBitmap(); });
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
