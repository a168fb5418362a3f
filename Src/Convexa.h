#pragma once
// The converter component: the one interface between the windows and conversion. A window holds
// one TConvexa, loads the converter libraries through it, adds one task per file (AddTask), gives
// each task its output (SetOutputFile with a TOutputOptions record), starts the whole list with a
// thread count (Start) and receives progress, preview, custom-hook and termination events.
//
// Each task is one engine object (TFFmpeg) with a probe per opened input and private copies of the
// option records it was opened with.
//
// Threads: the task operations (AddTask … RemoveTask, ClearTasks) are for one thread, the GUI
// thread; they take no lock because every operation that changes the list is refused while a
// batch runs. Workers only read the list. With TriggerEventInMainThread, progress and preview
// events are posted to the GUI thread as queued calls: a worker never waits for the GUI thread,
// and the news of each task is coalesced (a task's newest progress record replaces one not yet
// delivered, as does its newest preview picture; its final record is always the one left).
// Custom-hook events always run on the worker (the handler answers through the record); in
// thread mode OnTerminate runs on a short-lived notification thread of its own (the end-of-batch
// record, TaskIndex -1, always after every task's own record). Stop(true) and the destructor wait
// for every worker and every notification thread: nothing is delivered once the component is
// gone.
//
// Locks: no handler is ever called with a lock of the component's (or of an engine's) held. Each
// delivery hands its handler a record of its own, so handlers that run on workers may run at the
// same time for different tasks. Whatever thread a handler runs on, it may call Stop, Pause,
// Resume, ClearTasks or free the component, and the call returns (see Stop for what it waits
// for there). docs/threads.md has the threads, the locks and their order.
//
// Source files of this unit: Convexa.cpp (records, tasks, task list, task operations),
// ConvexaOptions.cpp (records and option texts into engine options), ConvexaBatch.cpp (batch
// scheduling, event delivery, pause, resume and stop).

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "Src/AVProbe.h"
#include "Src/FFBaseComponent.h"
#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SyncObjs.h"
#include "platform/core/Thread.h"

class TStream;

// The disc target an output must conform to, and the television norm of the target.
enum class TOptionTargetType { ttIgnore, ttVCD, ttSVCD, ttDVD };
enum class TOptionNormType { ntAuto, ntPAL, ntNTSC };
// The norm taken when the norm is ntAuto and cannot be guessed: ntPAL or ntNTSC only.
using TOptionNormDefault = TOptionNormType;

// One input of a task. Times are microseconds; NoTimestamp = not set.
struct TInputOptions {
  std::string FileName;    // filled from the operation's file name when empty
  std::string FileFormat;  // forced input format ("f"); empty = detect
  int64_t TimeStart = NoTimestamp;  // opened at this time ("ss")
  int ProgramID = -1;      // program of a multi-program input; negative = none
  std::string ExtOptions;  // further engine options as option text
  int Tag = 0;             // free for the caller
  void* Data = nullptr;    // free for the caller
};
using PInputOptions = TInputOptions*;

// The output's descriptive metadata. TimeStamp: local date-time; -1.0 = not set, 0.0 = now.
struct TStreamInfo {
  TDateTime TimeStamp = -1.0;
  int Year = -1;
  int Track = -1;
  std::string Title, Author, Copyright, Comment, Album, Genre;
};

// One output of a task. Numbers at -1 (times at NoTimestamp, texts empty) are "not set".
struct TOutputOptions {
  std::string FileName;  // filled from the operation's file name when empty
  std::string FileExt;   // carried for the caller only
  std::string FileFormat;
  int PacketSize = -1;
  int MuxRate = -1;
  float MuxDelay = -1.0f;    // seconds
  float MuxPreload = -1.0f;  // seconds
  std::string AudioCodec;
  std::string AudioPreset;
  bool DisableAudio = false;
  int AudioVolume = -1;  // 256 = unchanged
  int AudioChannels = -1;
  int AudioSampleRate = -1;
  int AudioBitrate = -1;  // bits per second
  int AudioBitRateTolerance = -1;
  std::string AudioLanguage;
  int AudioSyncMethod = 0;
  std::string AudioTag;  // four characters
  std::string VideoCodec;
  std::string VideoPreset;
  bool DisableVideo = false;
  std::string FrameRate;
  std::string FrameSize;
  std::string FrameAspectRatio;
  int CropTop = -1;
  int CropBottom = -1;
  int CropLeft = -1;
  int CropRight = -1;
  int GroupPictureSize = -1;
  int VideoBitrate = -1;  // bits per second
  int VideoMaxRate = -1;
  int VideoMinRate = -1;
  int VideoBitRateTolerance = -1;
  int VideoBufSize = -1;
  int VideoSyncMethod = -1;
  std::string VideoTag;
  std::string VideoFilters;
  std::string VideoLanguage;
  std::string SubtitleCodec;
  std::string SubtitlePreset;
  bool DisableSubtitle = false;
  std::string SubtitleLanguage;
  bool InputSync = false;
  bool CopyTimestamp = false;
  int64_t TimeStart = NoTimestamp;   // start offset of the output
  int64_t TimeLength = NoTimestamp;  // recording time; also the expected output duration
  TStreamInfo Info;
  TOptionTargetType TargetType = TOptionTargetType::ttIgnore;
  TOptionNormType NormType = TOptionNormType::ntAuto;
  TOptionNormDefault NormDefault = TOptionNormType::ntPAL;
  bool CustomHook = false;  // decoded frames go through OnCustomHook
  bool Join = false;        // several inputs into this one output
  std::string ExtOptions;   // further engine options as option text
  int Tag = 0;
  void* Data = nullptr;
};
using POutputOptions = TOutputOptions*;

// Set every field to its initial ("not set") value.
void InitInputOptions(TInputOptions& AOptions);
void InitOutputOptions(TOutputOptions& AOptions);

// Event payloads. Bitmaps belong to the engine and are valid only during the call.
struct THookInfo {
  int TaskIndex = 0;
  TBitmap* Bitmap = nullptr;
  int FrameNumber = 0;
  int64_t PTS = 0;         // microseconds
  bool Update = false;     // in/out: the handler changed the bitmap; the frame is taken back from it
  bool StopHook = false;   // in/out: no further hook calls for this task
};
using PHookInfo = THookInfo*;

struct TPreviewInfo {
  int TaskIndex = 0;
  TBitmap* Bitmap = nullptr;
  int FrameNumber = 0;
  int64_t PTS = 0;
};

struct TProgressInfo {
  int TaskIndex = 0;
  int FileIndex = 0;       // input being read; -1 for the final report
  int FrameNumber = 0;     // video frames encoded so far
  int FPS = 0;
  float Quality = 0;       // the video encoder's quantiser, -1 for a stream copy
  float BitRate = 0;       // kilobits per second
  int64_t CurrentSize = 0;      // bytes written
  int64_t CurrentDuration = 0;  // output time reached, microseconds
  int64_t TotalDuration = 0;    // expected output duration; <= 0 = unknown
};
using PProgressInfo = TProgressInfo*;

struct TTerminateInfo {
  int TaskIndex = 0;       // -1 for the end of the whole batch
  bool Finished = false;   // reached the end of its input without a stop
  bool Exception = false;  // failed
  std::string ExceptionMsg;
};

using TTerminateEvent = std::function<void(TObject* Sender, const TTerminateInfo& ATerminateInfo)>;

// Divides the cores a batch leaves free among AWaiting tasks that have not opened their codecs
// yet: ACores less ACommitted (the threads the running tasks opened with), at least one each, the
// first ones taking what does not divide evenly.
[[nodiscard]] std::vector<int> ShareFreeCores(int ACores, int ACommitted, int AWaiting);

// One task: an engine object with the probes of its inputs and private copies of the option
// records each file was opened with (kept for the task's whole life, never read again).
class TFFmpeg : public TCustomFFmpeg {
 public:
  explicit TFFmpeg(int AMaxFiles);
  ~TFFmpeg() override;

  // The probe of input AFileIndex, created when missing. Raises EAssertionFailed outside 0..MaxFiles-1.
  TAVProbe* GetAVProbe(int AFileIndex);
  // The probe of input AFileIndex, nullptr when none was made.
  [[nodiscard]] TAVProbe* FindAVProbe(int AFileIndex) const;
  // Copy the whole record into the slot of that file (allocated when missing).
  void SetInputOptions(int AFileIndex, const TInputOptions& AOptions);
  void SetOutputOptions(int AFileIndex, const TOutputOptions& AOptions);
  // Re-initialise an existing slot; nothing for an empty one.
  void ResetInputOptions(int AFileIndex);
  void ResetOutputOptions(int AFileIndex);
  // The stored copies; nullptr for an empty slot.
  [[nodiscard]] const TInputOptions* InputOptions(int AFileIndex) const;
  [[nodiscard]] const TOutputOptions* OutputOptions(int AFileIndex) const;
  // Passes option text to ParseOption, skipping the keys the component handles itself (for an
  // output the codec, preset, size and filter keys; for an input the new-stream, preset and filter
  // keys). Handler failures raise.
  void ApplyExtOptions(const std::string& AOptions, bool AIsInput);
  // Lets every probe go of the input it describes. Called before the run, which closes the inputs:
  // a probe never points into a context the engine has freed.
  void DetachProbes();
  // Keeps a byte stream registered (TStreamRegistry) while the task lives.
  void HoldStream(int AStreamId) { FStreamIds.push_back(AStreamId); }

 private:
  void CheckFileIndex(int AFileIndex) const;
  std::vector<int> FStreamIds;
  std::vector<std::unique_ptr<TAVProbe>> FAVProbes;
  std::vector<std::unique_ptr<TInputOptions>> FInputOptions;
  std::vector<std::unique_ptr<TOutputOptions>> FOutputOptions;
};

// The owning task list, in task-index order. Indexes outside the list raise EListError.
class TFFmpegList : public TObject {
 public:
  TFFmpegList() = default;
  ~TFFmpegList() override;
  TFFmpegList(const TFFmpegList&) = delete;
  TFFmpegList& operator=(const TFFmpegList&) = delete;

  // Takes ownership; answers the new index.
  int Add(std::unique_ptr<TFFmpeg> ATask);
  // Frees every task (each stops and waits for its worker), then empties the list.
  void Clear();
  // Frees the task at AIndex; later tasks move down one index.
  void Delete(int AIndex);
  void Exchange(int AIndex1, int AIndex2);
  [[nodiscard]] TFFmpeg* Items(int AIndex) const;
  // -1 when absent (also for objects that are no task).
  [[nodiscard]] int IndexOf(const TObject* ATask) const;
  [[nodiscard]] int Count() const { return static_cast<int>(FList.size()); }

  // Broadcasts, in index order.
  void PauseAll();
  void ResumeAll();
  void CancelAll(bool AWaitFor);
  void SetPreviewAll(bool AValue);
  void SetPreviewBitmapAll(bool AValue);

 private:
  void CheckIndex(int AIndex) const;
  void SetPostHookAll(TPostHook AHook, bool AValue);
  std::vector<std::unique_ptr<TFFmpeg>> FList;
};

class TCustomConvexa : public TFFBaseComponent {
 public:
  // The component's events carry the payload records (the engine's like-named ones carry values).
  using TCustomHookEvent = std::function<void(TObject* Sender, PHookInfo AHookInfo)>;
  using TPreviewBitmapEvent = std::function<void(TObject* Sender, const TPreviewInfo& APreviewInfo)>;
  using TProgressEvent = std::function<void(TObject* Sender, PProgressInfo AProgressInfo)>;

  explicit TCustomConvexa(TComponent* AOwner);
  // Stops every task and waits for its worker and for every notification thread, then frees the
  // tasks and the probe. Handlers are not called from the moment destruction begins.
  // NOTE: workers call the virtual event operations; a descendant's destructor therefore calls
  // ShutDown first, before the object stops being of its class (TConvexa does).
  ~TCustomConvexa() override;

  // ---- properties ----
  [[nodiscard]] const std::string& About() const { return FAbout; }
  void SetAbout(const std::string& Value) { FAbout = Value; }
  [[nodiscard]] std::string Version() const { return "3.3"; }
  [[nodiscard]] TAVProbe* AVProbe() const { return FAVProbe; }
  [[nodiscard]] const std::string& LastErrMsg() const { return FLastErrMsg; }
  [[nodiscard]] int TasksCount() const { return FFFmpegList.Count(); }
  [[nodiscard]] int CustomMaxFiles() const { return FCustomMaxFiles; }
  void SetCustomMaxFiles(int Value) { FCustomMaxFiles = Value; }
  [[nodiscard]] bool Preview() const { return FPreview; }
  void SetPreview(bool Value);
  [[nodiscard]] bool PreviewBitmap() const { return FPreviewBitmap; }
  void SetPreviewBitmap(bool Value);
  // Milliseconds between progress events; 100 or less is stored as 100.
  [[nodiscard]] int ProgressInterval() const { return FProgressInterval; }
  void SetProgressInterval(int Value) { FProgressInterval = Value <= 100 ? 100 : Value; }
  [[nodiscard]] TThreadPriority ThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(TThreadPriority Value) { FThreadPriority = Value; }
  [[nodiscard]] bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
  void SetTriggerEventInMainThread(bool Value) { FTriggerEventInMainThread = Value; }
  [[nodiscard]] void* UserData() const { return FData; }
  void SetUserData(void* Value) { FData = Value; }
  [[nodiscard]] int Verbose() const { return FVerbose; }
  void SetVerbose(int Value) { FVerbose = Value; }
  // The end-of-batch record has been delivered (handed to its thread in thread mode).
  [[nodiscard]] bool Terminated() const { return FTerminated.load(); }
  // A batch was started and ClearTasks has not reset it since.
  [[nodiscard]] bool Working() const { return FWorking.load(); }

  // ---- libraries ----
  [[nodiscard]] bool AVLibLoaded() const;
  // Loads the converter library set from APath; False with the loader's reason in LastErrMsg.
  bool LoadAVLib(const TPathFileName& APath);
  void UnloadAVLib();

  // ---- tasks (GUI thread; refused with "Cannot %s while working." while Working) ----

  // Files of tasks: a task holds its input files open only while it is set up or converted, so a
  // long list holds none. Once SetOutputFile has described an output, and whenever another task
  // is added, set up or probed, a task closes its inputs and keeps all the rest of its set-up; it
  // opens them again for more set-up, for GetTaskProbe, and on its worker when it starts. An input
  // that is gone or was changed by then fails that step, or the task at its start, with the
  // reason ("<file>: No such file or directory", "<file>: the file was changed after it was added
  // to the task"). A task reading a byte stream keeps its inputs open.

  // Creates a task and opens its first input. The new index, or -1 with LastErrMsg (the task is
  // then freed). An empty AOptions->FileName is set to AFileName.
  int AddTask(const std::string& AFileName, PInputOptions AOptions = nullptr);
  // The same with an input-options record built from option text ("TimeStart" read here).
  int AddTask(const std::string& AFileName, const std::string& AExtOptions);
  // A byte stream as input (not owned; it must outlive the task's run).
  int AddTask(TStream* AStream, const std::string& APrivateData, PInputOptions AOptions = nullptr);
  // Opens one more input of a task. False with LastErrMsg.
  bool AddInputFile(int ATaskIndex, const std::string& AFileName, PInputOptions AOptions = nullptr);
  bool AddInputFile(int ATaskIndex, const std::string& AFileName, const std::string& AExtOptions);
  // Opens one output of a task from an output-options record (nullptr: the engine's current
  // options alone). False with LastErrMsg; the settings made before the failing step stay. The
  // failure also reaches the task's termination record: a task that never gets an output fails at
  // its start with the first such cause, and one whose output was described but lacks a stream
  // asked for ("newaudio", …) fails at its start with that cause.
  bool SetOutputFile(int ATaskIndex, const std::string& AFileName, POutputOptions AOptions);
  // The same with a record built from option text ("Hook", "CustomHook", "Join", "TimeStart",
  // "TimeLength" read here).
  bool SetOutputFile(int ATaskIndex, const std::string& AFileName, const std::string& AExtOptions);
  bool SetOutputStream(int ATaskIndex, TStream* AStream, const std::string& APrivateData, POutputOptions AOptions);
  // The probe describing input AFileIndex of a task, its inputs opened again if it had let go of
  // them; nullptr when that input was never opened, cannot be opened again (LastErrMsg says why),
  // the batch is running, or the task has run (its inputs are closed then).
  [[nodiscard]] TAVProbe* GetTaskProbe(int ATaskIndex, int AFileIndex);
  // Frees every task and returns to the editable state. Raises while a batch runs.
  void ClearTasks();
  void Exchange(int ATaskIndex1, int ATaskIndex2);
  void RemoveTask(int ATaskIndex);

  // ---- batch ----

  // AThreadCount > 0: at most that many tasks at once on worker threads; otherwise every task runs
  // in turn in the calling thread and Start returns after the end-of-batch record. An empty list
  // ends at once (the -1 record arrives). No task replaces a file that is an input of the batch,
  // and of two tasks with one output file (however it is spelt) the later one fails before it
  // writes anything.
  void Start(int AThreadCount);
  // Closes / opens the gate of every running worker. A task that starts while the batch is
  // paused starts paused, so a paused batch holds where it was until Resume.
  void Pause();
  void Resume();
  // Drops the pending tasks and cancels every task; each yields one terminate record, then the
  // end-of-batch record follows. A stopped task finishes its outputs (what was converted plays)
  // and reports Finished and Exception false. With AWaitFor returns after every worker and every
  // notification has ended; on the GUI thread the wait serves the calls other threads need from
  // it (never posted messages, timers or input). Called from a handler on a worker or on a
  // notification thread it waits for the workers (not its own, nor one that is itself waiting in
  // a Stop) but not for the notifications, which may be waiting for it.
  void Stop(bool AWaitFor);

  TCustomHookEvent OnCustomHook;
  TPreviewBitmapEvent OnPreviewBitmap;
  TProgressEvent OnProgress;
  TTerminateEvent OnTerminate;

 protected:
  // The targets wired into every task's engine events. Sender must be a task of this component
  // (EInvalidCast otherwise).
  virtual void DoCustomHook(TObject* Sender, TBitmap* ABitmap, int AFrameNumber, int64_t APTS, bool& AUpdate,
                            bool& AStopHook);
  virtual void DoPreviewBitmap(TObject* Sender, TBitmap* ABitmap, int AFrameNumber, int64_t APTS);
  virtual void DoProgress(TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS, float AQuality,
                          float ABitRate, int64_t ACurrentSize, int64_t ACurrentDuration, int64_t ATotalDuration);
  virtual void DoTerminate(TObject* Sender);
  // Makes a new task object; a descendant may supply its own engine class.
  virtual std::unique_ptr<TFFmpeg> CreateTask(int AMaxFiles);

  // The first part of destruction, from the most derived destructor: no handler is called and no
  // task started from here on, every task is stopped and freed, every thread joined. Calling it
  // again does nothing.
  void ShutDown();
  // ASuccessor: started in the place of a task that ended (not by Start).
  void StartNextTask(bool ASuccessor = false);
  void DoAllTerminated();
  // Call the handler, when assigned, with the record (no lock held).
  void FirePreviewBitmap(const TPreviewInfo& AInfo);
  void FireProgress(TProgressInfo& AInfo);
  void CheckNotWorking(const char* AOperation) const;
  [[nodiscard]] TFFmpegList& TaskList() { return FFFmpegList; }
  [[nodiscard]] const TFFmpegList& TaskList() const { return FFFmpegList; }

 private:
  class TDoTerminateThread;
  friend class TDoTerminateThread;

  int TaskIndexOf(TObject* Sender) const;
  // Before a batch runs: gives every task the batch's inputs as files it must not replace, and
  // refuses the start of a task whose output another task earlier in the list writes already.
  void CheckBatchFiles();
  TFFmpeg* TaskAt(int ATaskIndex) const { return FFFmpegList.Items(ATaskIndex); }
  void WireTask(TFFmpeg& ATask);
  // The terminate record of a task that ended (caller holds FTerminateLock).
  TTerminateInfo TerminateRecord(int ATaskIndex);
  // Marks the batch ended and gives its record (caller holds FTerminateLock).
  TTerminateInfo EndBatch();
  // Delivers a terminate record on a notification thread of its own (thread mode; caller holds
  // FTerminateLock, so the records are handed out in the order they were made).
  void DeliverOnThread(const TTerminateInfo& AInfo);
  // Delivers a terminate record on the calling thread, with no lock held.
  void DeliverDirectly(const TTerminateInfo& AInfo);
  // Joins the notification threads that have ended; with AAll waits for every one, unless the
  // caller is itself a notification thread or a worker (whose handler may be what one of them
  // waits for).
  void ReapNotifications(bool AAll);
  // Gives every running task that has not opened its codecs yet its share of the cores the other
  // tasks leave free, counting the tasks Start is about to start (caller holds FTerminateLock).
  // The last task of the batch to start in another's place takes the whole machine: the tasks
  // still running will free their cores, and it would otherwise run out alone on the few it found.
  void DivideCores();
  // The component is going: the end-of-batch notification waits no longer, nothing more is
  // delivered, and every notification thread but the caller's own is waited for and joined.
  void CloseNotifications();
  // Copies an input record into the task as the options of its next input and applies it.
  void ApplyInputRecord(TFFmpeg& ATask, const std::string& AFileName, TInputOptions& AOptions);
  // A task that is not converting closes its input files until they are needed (see "Files of
  // tasks"); LetOthersGo does so for every task but AKeep.
  void LetGoOfInputs(TFFmpeg& ATask);
  void LetOthersGo(const TFFmpeg* AKeep);
  // GUI thread: delivers the progress records and preview pictures posted since the last time.
  void DeliverProgressNews(const TLiveness::TAlive& AAlive);
  void DeliverPreviewNews(const TLiveness::TAlive& AAlive);
  // A handler of a posted event raised: the task's worker raises it again at its next event (or
  // its end), so the task fails with it as if the handler had run on the worker.
  void KeepHandlerFailure(int ATaskIndex);
  void RaiseHandlerFailure(int ATaskIndex);

  std::string FAbout;
  std::string FLastErrMsg;
  void* FData = nullptr;
  int FCustomMaxFiles = 20;
  bool FPreview = false;
  bool FPreviewBitmap = false;
  int FProgressInterval = 500;
  TThreadPriority FThreadPriority = TThreadPriority::tpNormal;
  bool FTriggerEventInMainThread = true;
  int FVerbose = 1;
  // The batch's counters and the hand-out of terminate records. Re-entrant: a task that fails at
  // its start reports its end from inside the start. Taken before an engine's own locks; never
  // held while a handler runs.
  TCriticalSection FTerminateLock;
  TAVProbe* FAVProbe = nullptr;  // owned as a component
  TFFmpegList FFFmpegList;
  int FCompleteTasks = 0;   // under FTerminateLock
  int FCurrentTask = -1;    // under FTerminateLock
  int FPendingTasks = 0;    // under FTerminateLock
  bool FBatchPaused = false;  // under FTerminateLock: tasks start paused
  std::set<int> FRunningTasks;  // under FTerminateLock: tasks started on workers, not yet ended
  int FStartingTasks = 0;       // under FTerminateLock: tasks Start has yet to start
  int FLastSuccessor = -1;      // under FTerminateLock: the task started last in another's place
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FThreadMode{false};
  std::atomic<bool> FWorking{false};
  std::atomic<bool> FDestroying{false};

  // News for the GUI thread, per task index: the newest record not yet delivered. A queued call
  // is under way while the flag is set; the next record after its delivery queues another.
  struct TPreviewNews {
    TPreviewInfo Info;
    std::shared_ptr<TBitmap> Bitmap;  // a copy: the engine's picture lives only during its event
  };
  template <typename TRecord>
  struct TNewsBox {
    std::mutex Lock;
    std::map<int, TRecord> Pending;
    bool Queued = false;
  };
  TNewsBox<TProgressInfo> FProgressNews;
  TNewsBox<TPreviewNews> FPreviewNews;
  std::mutex FHandlerFailureLock;
  std::map<int, std::exception_ptr> FHandlerFailures;
  TLiveness FNews;  // last: revoked first by the destructor, before anything news needs goes

  // Notification threads of the terminate records; joined by Stop(true), ClearTasks and the
  // destructor. Shared with the threads, which use it after their handler has returned: a
  // handler may have freed the component by then.
  struct TNotifications {
    std::mutex Lock;  // innermost: nothing else is taken under it
    std::condition_variable Changed;
    std::vector<TOwnedThread> Threads;  // under Lock
    int TaskRecordsInFlight = 0;        // under Lock; the end-of-batch thread waits for 0
    std::atomic<bool> Closed{false};    // the component is going: nothing more is delivered
  };
  std::shared_ptr<TNotifications> FNotify = std::make_shared<TNotifications>();
};

// The published component.
class TConvexa : public TCustomConvexa {
 public:
  using TCustomConvexa::TCustomConvexa;
  ~TConvexa() override { ShutDown(); }
};

// The steps of turning option texts and records into engine options (ConvexaOptions.cpp).
namespace detail {

struct TOptionLine {
  std::string Key;    // as written
  std::string Value;  // after the first "="
};

// Option text: trimmed, line breaks (CR LF, CR, LF and the literal "<CRLF>") made LF, then one
// key/value per line, split at the first "=" (a line without one is a key with an empty value).
// Empty lines are skipped.
[[nodiscard]] std::vector<TOptionLine> SplitOptionText(const std::string& AText);

// Records from option text: "TimeStart" (any case) read as microseconds (NoTimestamp when it is no
// integer); outputs also take "Hook"/"CustomHook", "Join" (the key alone decides) and
// "TimeLength". Every other line goes to ExtOptions.
[[nodiscard]] TInputOptions InputOptionsFromText(const std::string& AText);
[[nodiscard]] TOutputOptions OutputOptionsFromText(const std::string& AText);

// The defaults list of one SetOutputFile: the record's codecs, presets, size and filters (the
// "def_" entries), else the first such value of ExtOptions, and every such ExtOptions line queued
// for the streams added with "newaudio", "newvideo" and "newsubtitle".
struct TStreamDefaults {
  std::vector<TOptionLine> Defaults;  // key without "def_": acodec, vcodec, scodec, apre, vpre, spre, s, vf
  std::vector<TOptionLine> Queued;
  [[nodiscard]] std::string Default(const std::string& AKey) const;
};
[[nodiscard]] TStreamDefaults BuildStreamDefaults(const TOutputOptions& AOptions);

// The record's target and norm ("vcd", "svcd", "dvd"; "pal", "ntsc" or "auto").
void ApplyTarget(TCustomFFmpeg& AEngine, const TOutputOptions& AOptions);
// A disc target's norm wins: the record without the settings the disc's norm fixes (codecs,
// format, frame size and rate, bit rates, sample rate; for a VCD also the channels), with the
// names of the fields dropped because they asked for something else. Without a target, the
// record as it is.
[[nodiscard]] TOutputOptions WithDiscNorm(const TOutputOptions& AOptions, std::vector<std::string>* ADropped);
// The record's remaining fields, in field order; a field at its "not set" value changes nothing
// except the languages, the sync methods and the input sync flag, which always apply.
void ApplyOutputOptions(TCustomFFmpeg& AEngine, const TOutputOptions& AOptions);
// After the output is open: each new-stream line of AExtOptions first takes the next queued
// codec, preset, size and filter lines of its kind (else the defaults), then adds its stream.
void ApplyNewStreamOptions(TCustomFFmpeg& AEngine, const std::string& AExtOptions, TStreamDefaults& ADefaults);

// Seconds since 1970-01-01 00:00 UTC of a local date-time (daylight saving time applied as it
// is in force at that moment).
[[nodiscard]] int64_t LocalDateTimeToUnixSeconds(TDateTime ADateTime);

}  // namespace detail
