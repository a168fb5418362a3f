// The converter component: option records, tasks, the task list and the task operations.

#include "Src/Convexa.h"

#include <algorithm>

#include "Src/FFUtils.h"
#include "Src/FFmpegLogger.h"
#include "platform/core/SysUtils.h"

void InitInputOptions(TInputOptions& AOptions) { AOptions = TInputOptions{}; }

void InitOutputOptions(TOutputOptions& AOptions) { AOptions = TOutputOptions{}; }

// ---- TFFmpeg ----

TFFmpeg::TFFmpeg(int AMaxFiles) : TCustomFFmpeg(AMaxFiles) {
  FAVProbes.resize(AMaxFiles);
  FInputOptions.resize(AMaxFiles);
  FOutputOptions.resize(AMaxFiles);
}

TFFmpeg::~TFFmpeg() {
  // The worker may still use the engine: it ends before the probes and records go, and the
  // probes let go of the inputs before the engine closes them.
  Stop(true);
  DetachProbes();
  FAVProbes.clear();
  FInputOptions.clear();
  FOutputOptions.clear();
  // Nothing reads the registered streams any more once the inputs and outputs are released.
  FreeResources();
  for (int id : FStreamIds) TStreamRegistry::Unregister(id);
}

void TFFmpeg::CheckFileIndex(int AFileIndex) const {
  PLATFORM_ASSERT(AFileIndex >= 0 && AFileIndex < MaxFiles(), "Assertion failure");
}

TAVProbe* TFFmpeg::GetAVProbe(int AFileIndex) {
  CheckFileIndex(AFileIndex);
  auto& probe = FAVProbes[AFileIndex];
  if (!probe) probe = std::make_unique<TAVProbe>(nullptr);
  return probe.get();
}

TAVProbe* TFFmpeg::FindAVProbe(int AFileIndex) const {
  CheckFileIndex(AFileIndex);
  return FAVProbes[AFileIndex].get();
}

void TFFmpeg::SetInputOptions(int AFileIndex, const TInputOptions& AOptions) {
  CheckFileIndex(AFileIndex);
  auto& slot = FInputOptions[AFileIndex];
  if (!slot) slot = std::make_unique<TInputOptions>();
  *slot = AOptions;
}

void TFFmpeg::SetOutputOptions(int AFileIndex, const TOutputOptions& AOptions) {
  CheckFileIndex(AFileIndex);
  auto& slot = FOutputOptions[AFileIndex];
  if (!slot) slot = std::make_unique<TOutputOptions>();
  *slot = AOptions;
}

void TFFmpeg::ResetInputOptions(int AFileIndex) {
  CheckFileIndex(AFileIndex);
  if (FInputOptions[AFileIndex]) InitInputOptions(*FInputOptions[AFileIndex]);
}

void TFFmpeg::ResetOutputOptions(int AFileIndex) {
  CheckFileIndex(AFileIndex);
  if (FOutputOptions[AFileIndex]) InitOutputOptions(*FOutputOptions[AFileIndex]);
}

const TInputOptions* TFFmpeg::InputOptions(int AFileIndex) const {
  CheckFileIndex(AFileIndex);
  return FInputOptions[AFileIndex].get();
}

const TOutputOptions* TFFmpeg::OutputOptions(int AFileIndex) const {
  CheckFileIndex(AFileIndex);
  return FOutputOptions[AFileIndex].get();
}

void TFFmpeg::DetachProbes() {
  for (auto& probe : FAVProbes)
    if (probe && probe->FileHandle()) probe->CloseFile();  // the handle is shared: only let go of it
}

// ---- TFFmpegList ----

TFFmpegList::~TFFmpegList() { Clear(); }

void TFFmpegList::CheckIndex(int AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) throw EListError(Format("List index out of bounds (%d)", AIndex));
}

int TFFmpegList::Add(std::unique_ptr<TFFmpeg> ATask) {
  FList.push_back(std::move(ATask));
  return Count() - 1;
}

void TFFmpegList::Clear() {
  // Each task stops and waits for its worker as it goes; the list keeps it until then, so a
  // worker looking up its index meanwhile still finds it.
  for (auto& task : FList) task->Stop(true);
  while (!FList.empty()) {
    // A handler on this task's own worker is clearing the list (freeing the component): the run
    // is still under way below the handler, so the worker frees the task when the run ends.
    if (FList.back()->OnOwnWorker()) FList.back().release()->FreeWhenRunEnds();
    FList.pop_back();
  }
}

void TFFmpegList::Delete(int AIndex) {
  CheckIndex(AIndex);
  std::unique_ptr<TFFmpeg> task = std::move(FList[AIndex]);
  FList.erase(FList.begin() + AIndex);
}

void TFFmpegList::Exchange(int AIndex1, int AIndex2) {
  CheckIndex(AIndex1);
  CheckIndex(AIndex2);
  std::swap(FList[AIndex1], FList[AIndex2]);
}

TFFmpeg* TFFmpegList::Items(int AIndex) const {
  CheckIndex(AIndex);
  return FList[AIndex].get();
}

int TFFmpegList::IndexOf(const TObject* ATask) const {
  for (int i = 0; i < Count(); ++i)
    if (FList[i].get() == ATask) return i;
  return -1;
}

void TFFmpegList::PauseAll() {
  for (auto& task : FList) task->Pause();
}

void TFFmpegList::ResumeAll() {
  for (auto& task : FList) task->Resume();
}

void TFFmpegList::CancelAll(bool AWaitFor) {
  // Every task hears of the stop before any is waited for: they finish side by side, and none
  // keeps converting while the others are waited for.
  for (auto& task : FList) task->Cancel(false);
  if (AWaitFor)
    for (auto& task : FList) task->WaitForCancel();
}

void TFFmpegList::SetPostHookAll(TPostHook AHook, bool AValue) {
  for (auto& task : FList) {
    // Read and written under the post-hook lock, so a worker changing the set meanwhile is kept.
    std::lock_guard<TCriticalSection> guard(PostHookLock());
    TPostHooks hooks = task->PostHooks();
    if (AValue)
      hooks.Include(AHook);
    else
      hooks.Exclude(AHook);
    task->SetPostHooks(hooks);
  }
}

void TFFmpegList::SetPreviewAll(bool AValue) { SetPostHookAll(TPostHook::phPreview, AValue); }

void TFFmpegList::SetPreviewBitmapAll(bool AValue) { SetPostHookAll(TPostHook::phBitmap, AValue); }

// ---- TCustomConvexa: life and properties ----

TCustomConvexa::TCustomConvexa(TComponent* AOwner) : TFFBaseComponent(AOwner) {
  FAVProbe = new TAVProbe(this);  // owned as a component
}

TCustomConvexa::~TCustomConvexa() {
  ShutDown();
  delete FAVProbe;
  FAVProbe = nullptr;
  // A holder of the lock finishes with it first.
  FTerminateLock.Enter();
  FTerminateLock.Leave();
}

void TCustomConvexa::ShutDown() {
  if (FDestroying.exchange(true)) return;
  // From here on no handler is called and no task is started; news still queued for the GUI
  // thread is dropped. A handler that frees the component runs on some thread of its own: its
  // worker is left to end by itself (it frees its task), its notification thread to the main
  // thread.
  FNotify->Closed = true;
  FNews.Revoke();
  {
    std::lock_guard<TCriticalSection> guard(FTerminateLock);
    FPendingTasks = 0;
  }
  FFFmpegList.Clear();
  CloseNotifications();
}

void TCustomConvexa::SetPreview(bool Value) {
  FFFmpegList.SetPreviewAll(Value);
  FPreview = Value;
}

void TCustomConvexa::SetPreviewBitmap(bool Value) {
  FFFmpegList.SetPreviewBitmapAll(Value);
  FPreviewBitmap = Value;
}

bool TCustomConvexa::AVLibLoaded() const { return FFLoader().Loaded(ConverterLibraries); }

bool TCustomConvexa::LoadAVLib(const TPathFileName& APath) {
  if (ComponentState().Contains(TComponentStateFlag::csDesigning)) return true;
  FFLoader().SetLibraryPath(APath);
  if (FFLoader().Load(ConverterLibraries, this)) return true;
  FLastErrMsg = FFLoader().LastErrMsg();
  return false;
}

void TCustomConvexa::UnloadAVLib() { FFLoader().Unload(ConverterLibraries, this); }

void TCustomConvexa::CheckNotWorking(const char* AOperation) const {
  if (FWorking) throw Exception(Format("Cannot %s while working.", AOperation));
}

std::unique_ptr<TFFmpeg> TCustomConvexa::CreateTask(int AMaxFiles) { return std::make_unique<TFFmpeg>(AMaxFiles); }

// ---- tasks ----

void TCustomConvexa::WireTask(TFFmpeg& ATask) {
  ATask.OnProgress = [this](TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS, float AQuality,
                            float ABitRate, int64_t ACurrentSize, int64_t ACurrentDuration, int64_t ATotalDuration) {
    DoProgress(Sender, AFileIndex, AFrameNumber, AFPS, AQuality, ABitRate, ACurrentSize, ACurrentDuration,
               ATotalDuration);
  };
  ATask.OnTerminate = [this](TObject* Sender) { DoTerminate(Sender); };
}

void TCustomConvexa::ApplyInputRecord(TFFmpeg& ATask, const std::string& AFileName, TInputOptions& AOptions) {
  if (AOptions.FileName.empty()) AOptions.FileName = AFileName;
  ATask.SetInputOptions(ATask.NbInputFiles(), AOptions);
  ATask.ApplyExtOptions(AOptions.ExtOptions, true);
  ATask.ParseOption("f", AOptions.FileFormat);
  ATask.SetStartTime(AOptions.TimeStart);
  ATask.SetProgramID(AOptions.ProgramID);
}

// ---- files of tasks ----

void TCustomConvexa::LetGoOfInputs(TFFmpeg& ATask) {
  if (ATask.InputsReleased() || ATask.NbInputFiles() == 0 || ATask.Converting()) return;
  ATask.DetachProbes();  // no probe points into a closed input
  (void)ATask.ReleaseInputs();
}

void TCustomConvexa::LetOthersGo(const TFFmpeg* AKeep) {
  for (int i = 0; i < FFFmpegList.Count(); ++i)
    if (TFFmpeg* task = TaskAt(i); task != AKeep) LetGoOfInputs(*task);
}

int TCustomConvexa::AddTask(const std::string& AFileName, PInputOptions AOptions) {
  CheckNotWorking("AddTask");
  LetOthersGo(nullptr);
  std::unique_ptr<TFFmpeg> task = CreateTask(FCustomMaxFiles);
  try {
    task->Reset();
    task->OptVerbose(FVerbose);
    TPostHooks hooks;
    if (FPreview) hooks.Include(TPostHook::phPreview);
    if (FPreviewBitmap) hooks.Include(TPostHook::phBitmap);
    task->SetPostHooks(hooks);
    task->OnPreviewBitmap = [this](TObject* Sender, TBitmap* ABitmap, int AFrameNumber, int64_t APTS) {
      DoPreviewBitmap(Sender, ABitmap, AFrameNumber, APTS);
    };
    if (AOptions) ApplyInputRecord(*task, AFileName, *AOptions);
    const int last = task->OptInputFile(AFileName) - 1;
    task->GetAVProbe(last)->SetFileHandle(task->InputFile(last));
    WireTask(*task);
  } catch (const Exception& e) {
    FLastErrMsg = e.Message;
    return -1;
  }
  return FFFmpegList.Add(std::move(task));
}

int TCustomConvexa::AddTask(const std::string& AFileName, const std::string& AExtOptions) {
  TInputOptions options = detail::InputOptionsFromText(AExtOptions);
  return AddTask(AFileName, &options);
}

int TCustomConvexa::AddTask(TStream* AStream, const std::string& APrivateData, PInputOptions AOptions) {
  CheckNotWorking("AddTask");
  const int id = TStreamRegistry::Register(AStream);
  const int index = AddTask(TStreamRegistry::StreamName(id, APrivateData), AOptions);
  if (index < 0)
    TStreamRegistry::Unregister(id);
  else
    TaskAt(index)->HoldStream(id);
  return index;
}

bool TCustomConvexa::AddInputFile(int ATaskIndex, const std::string& AFileName, PInputOptions AOptions) {
  CheckNotWorking("AddInputFile");
  TFFmpeg* task = TaskAt(ATaskIndex);
  LetOthersGo(task);
  if (task->NbInputFiles() >= task->MaxFiles()) {
    FLastErrMsg = Format("max input files %d reached", task->MaxFiles());
    return false;
  }
  const int index = task->NbInputFiles();
  try {
    if (AOptions)
      ApplyInputRecord(*task, AFileName, *AOptions);
    else
      task->ResetInputOptions(index);
    task->OptInputFile(AFileName);
    task->GetAVProbe(index)->SetFileHandle(task->InputFile(index));
  } catch (const Exception& e) {
    // An input that was not opened leaves no record of its options.
    task->ResetInputOptions(index);
    FLastErrMsg = e.Message;
    return false;
  }
  return true;
}

bool TCustomConvexa::AddInputFile(int ATaskIndex, const std::string& AFileName, const std::string& AExtOptions) {
  TInputOptions options = detail::InputOptionsFromText(AExtOptions);
  return AddInputFile(ATaskIndex, AFileName, &options);
}

bool TCustomConvexa::SetOutputFile(int ATaskIndex, const std::string& AFileName, POutputOptions AOptions) {
  CheckNotWorking("SetOutputFile");
  TFFmpeg* task = TaskAt(ATaskIndex);
  if (task->NbOutputFiles() >= task->MaxFiles()) {
    FLastErrMsg = Format("max output files %d reached", task->MaxFiles());
    return false;
  }
  LetOthersGo(task);
  // With its output described the task lets go of its files until it starts or is set up further.
  struct TLetGo {
    TCustomConvexa& Owner;
    TFFmpeg& Task;
    ~TLetGo() { Owner.LetGoOfInputs(Task); }
  } letGo{*this, *task};
  const int index = task->NbOutputFiles();
  try {
    detail::TStreamDefaults defaults;
    if (AOptions) {
      if (AOptions->FileName.empty()) AOptions->FileName = AFileName;
      task->SetOutputOptions(index, *AOptions);
      std::vector<std::string> dropped;
      const TOutputOptions applied = detail::WithDiscNorm(*AOptions, &dropped);
      for (const std::string& field : dropped)
        GetLogger()->Log(this, TLogLevel::llInfo, field + " of " + AFileName + ": the disc norm decides it");
      defaults = detail::BuildStreamDefaults(applied);
      detail::ApplyTarget(*task, applied);
      task->ParseOption("acodec", defaults.Default("acodec"));
      task->ParseOption("vcodec", defaults.Default("vcodec"));
      task->ParseOption("scodec", defaults.Default("scodec"));
      task->OptPreset("apre", defaults.Default("apre"));
      task->OptPreset("vpre", defaults.Default("vpre"));
      task->OptPreset("spre", defaults.Default("spre"));
      task->ApplyExtOptions(AOptions->ExtOptions, false);
      detail::ApplyOutputOptions(*task, applied);
      task->ParseOption("s", defaults.Default("s"));
      task->ParseOption("vfilters", defaults.Default("vf"));
      if (AOptions->CustomHook)
        task->OnCustomHook = [this](TObject* Sender, TBitmap* ABitmap, int AFrameNumber, int64_t APTS, bool& AUpdate,
                                    bool& AStopHook) {
          DoCustomHook(Sender, ABitmap, AFrameNumber, APTS, AUpdate, AStopHook);
        };
    } else {
      task->ResetOutputOptions(index);
    }
    task->OptOutputFile(AFileName, AOptions && AOptions->Join);
    if (AOptions) detail::ApplyNewStreamOptions(*task, AOptions->ExtOptions, defaults);
  } catch (const Exception& e) {
    // The one place a failure of this output becomes the component's message, and the task's
    // when it starts.
    FLastErrMsg = e.Message;
    if (task->NbOutputFiles() == index) {
      // Nothing was described: a task left without any output reports this cause when it starts.
      task->ResetOutputOptions(index);
      task->NoteSetupFailure(FLastErrMsg);
    } else {
      // The output exists but lacks the streams asked for: converting it would pass for a
      // success, so the task fails with this cause when it starts.
      task->RefuseStart(FLastErrMsg);
    }
    return false;
  }
  return true;
}

bool TCustomConvexa::SetOutputFile(int ATaskIndex, const std::string& AFileName, const std::string& AExtOptions) {
  TOutputOptions options = detail::OutputOptionsFromText(AExtOptions);
  return SetOutputFile(ATaskIndex, AFileName, &options);
}

bool TCustomConvexa::SetOutputStream(int ATaskIndex, TStream* AStream, const std::string& APrivateData,
                                     POutputOptions AOptions) {
  CheckNotWorking("SetOutputFile");
  TFFmpeg* task = TaskAt(ATaskIndex);
  const int id = TStreamRegistry::Register(AStream);
  task->HoldStream(id);  // released with the task, which may still write to it until then
  return SetOutputFile(ATaskIndex, TStreamRegistry::StreamName(id, APrivateData), AOptions);
}

TAVProbe* TCustomConvexa::GetTaskProbe(int ATaskIndex, int AFileIndex) {
  TFFmpeg* task = TaskAt(ATaskIndex);
  TAVProbe* probe = task->FindAVProbe(AFileIndex);
  // A batch under way let every task go of its probes at its start; its workers own the inputs.
  if (!probe || FWorking || AFileIndex >= task->NbInputFiles()) return nullptr;
  if (task->InputsReleased()) {
    LetOthersGo(task);
    try {
      task->ReopenInputs();
    } catch (const Exception& e) {
      FLastErrMsg = e.Message;
      return nullptr;
    }
  }
  if (!probe->FileHandle() && task->InputFile(AFileIndex))
    probe->SetFileHandle(task->InputFile(AFileIndex));
  return probe->FileHandle() ? probe : nullptr;
}

void TCustomConvexa::ClearTasks() {
  if (FWorking && !FTerminated) throw Exception("Cannot ClearTasks while working.");
  // The end-of-batch notice may still be on its way; it holds no task.
  ReapNotifications(true);
  FFFmpegList.Clear();
  FLastErrMsg.clear();
  std::lock_guard<TCriticalSection> guard(FTerminateLock);
  FCompleteTasks = 0;
  FCurrentTask = -1;
  FPendingTasks = 0;
  FTerminated = false;
  FThreadMode = false;
  FWorking = false;
}

void TCustomConvexa::Exchange(int ATaskIndex1, int ATaskIndex2) {
  CheckNotWorking("Exchange");
  FFFmpegList.Exchange(ATaskIndex1, ATaskIndex2);
}

void TCustomConvexa::RemoveTask(int ATaskIndex) {
  CheckNotWorking("RemoveTask");
  FFFmpegList.Delete(ATaskIndex);
}
