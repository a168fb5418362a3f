#include "app/ConversionControl.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <utility>

#include "Src/FFUtils.h"
#include "app/FailureReasons.h"
#include "platform/core/Memory.h"
#include "platform/core/SysUtils.h"

using enum TConversionCommand;
using enum TConversionState;
using enum TJobSubItem;

// What the component's handlers hold of the control. Terminate records come on notification
// threads and are posted to the GUI thread through the liveness token, which the control revokes
// when it goes; each carries the number of the batch it was posted in, and a record of an
// earlier batch is dropped.
struct TConversionControl::TRelay {
  TLiveness Liveness;
  std::atomic<int> Batch{0};
};

TConversionControl::TConversionControl(TCustomConvexa& Convexa, TJobList& Jobs, const TOutputFolder& Folder,
                                       IConversionView& View, IAfterRunActions& Actions,
                                       TConversionSettingsSource Settings)
    : convexa_(Convexa),
      jobs_(Jobs),
      folder_(Folder),
      view_(View),
      actions_(Actions),
      settings_(std::move(Settings)),
      relay_(std::make_shared<TRelay>()) {
  // Progress must arrive on the GUI thread, where the rows live.
  convexa_.SetTriggerEventInMainThread(true);
  convexa_.OnProgress = [relay = relay_, this](TObject*, PProgressInfo Info) {
    if (relay->Liveness.Alive()) ConvexaProgress(*Info);
  };
  convexa_.OnTerminate = [relay = relay_, this](TObject*, const TTerminateInfo& Info) {
    const int batch = relay->Batch.load();
    relay->Liveness.QueueInMainThread([relay, this, batch, Info](const TLiveness::TAlive&) {
      if (batch == relay->Batch.load()) ConvexaTerminate(Info);
    });
  };
}

TConversionControl::~TConversionControl() { relay_->Liveness.Revoke(); }

bool TConversionControl::RowsLocked() const { return state_ == csRunning || state_ == csPaused || state_ == csStopped; }

void TConversionControl::Start() {
  if (state_ == csRunning || state_ == csPaused) return;
  const TConversionSettings settings = settings_ ? settings_() : TConversionSettings{};
  if (settings.Priority) convexa_.SetThreadPriority(*settings.Priority);
  // Records of an earlier batch still on their way (a stop's, the batch end) are not this one's.
  ++relay_->Batch;
  failures_.clear();
  for (int row = 0; row < jobs_.Count(); ++row) jobs_.SetHint(row, std::string());
  (void)RebuildTasks();  // the rows it skips show "失败" and join the batch's message
  Enable(ccAdd, false);
  LockEditing();
  Enable(ccRemove, false);
  Enable(ccRename, false);
  Enable(ccClear, false);
  Enable(ccMove, false);
  Enable(ccStart, false);
  Enable(ccStartButton, false);
  Enable(ccStop, true);
  Enable(ccPause, true);
  Enable(ccResume, false);
  view_.ShowPauseButton(true);
  state_ = csRunning;
  convexa_.Start(ThreadCountOf(settings.ThreadCount));
}

std::vector<std::string> TConversionControl::RebuildTasks() {
  convexa_.ClearTasks();
  task_rows_.clear();
  std::vector<std::string> skipped;
  for (int row = 0; row < jobs_.Count(); ++row) {
    const TJobRow& columns = jobs_.Row(row);
    TInputOptions input = jobs_.IO1(row);
    input.FileName = columns.Caption;
    TOutputOptions output = jobs_.OO1(row);
    RefreshOutputOptions(columns, output);
    const int task = convexa_.AddTask(input.FileName, &input);
    if (task < 0) {
      // The row says so at once; the batch's message lists it with the others at the end.
      view_.Log(kLogCannotOpen + convexa_.LastErrMsg());
      skipped.push_back(convexa_.LastErrMsg());
      RowFailed(row, convexa_.LastErrMsg());
      continue;
    }
    // A refused output is the task's failure when it starts, with its cause.
    (void)convexa_.SetOutputFile(task, folder_.FileOutPutPath() + "/" + columns[jsOutputName], &output);
    task_rows_.push_back(row);
  }
  return skipped;
}

void TConversionControl::LockEditing() { Enable(ccEditing, false); }

void TConversionControl::UnlockEditing() { Enable(ccEditing, true); }

void TConversionControl::Pause() {
  if (state_ != csRunning) return;
  Enable(ccPause, false);
  Enable(ccResume, true);
  view_.ShowPauseButton(false);
  state_ = csPaused;
  convexa_.Pause();
}

void TConversionControl::Resume() {
  if (state_ != csPaused) return;
  Enable(ccPause, true);
  Enable(ccResume, false);
  view_.ShowPauseButton(true);
  state_ = csRunning;
  convexa_.Resume();
}

void TConversionControl::Stop() {
  if (state_ != csRunning && state_ != csPaused) return;
  state_ = csStopped;
  Enable(ccStop, false);
  Enable(ccPause, false);
  Enable(ccResume, false);
  Enable(ccStartButton, true);
  UnlockEditing();
  // The wait serves the records the stop brings about; a warning among them would open a modal
  // box inside the wait, so it is held until the wait is over.
  struct TStopping {
    TConversionControl& Self;
    explicit TStopping(TConversionControl& C) : Self(C) { Self.stopping_ = true; }
    ~TStopping() { Self.stopping_ = false; }
  };
  {
    TStopping stopping(*this);
    convexa_.Stop(true);
  }
  std::vector<std::string> held = std::exchange(held_warnings_, {});
  for (const std::string& text : held) view_.ShowWarning(text);
}

void TConversionControl::ConvexaProgress(const TProgressInfo& Info) {
  const std::optional<int> row = RowOfTask(Info.TaskIndex);
  if (!row) return;
  const TProgressTexts texts = ProgressTexts(Info);
  SetText(*row, jsProgress, texts.Progress);
  if (texts.FramesPerSecond) SetText(*row, jsFramesPerSecond, *texts.FramesPerSecond);
  SetText(*row, jsCurrentTime, texts.CurrentTime);
  SetText(*row, jsConvertedSize, texts.ConvertedSize);
}

void TConversionControl::ConvexaTerminate(const TTerminateInfo& Info) {
  if (!RowsLocked()) return;  // no batch, or its end was handled
  if (Info.TaskIndex < 0) {
    BatchEnded();
    return;
  }
  const std::optional<int> row = RowOfTask(Info.TaskIndex);
  if (!row) return;
  if (Info.Finished)
    SetText(*row, jsProgress, "100%");
  else if (!Info.Exception)
    // Only a stop ends a task neither finished nor failed: the user's own doing, no error.
    SetText(*row, jsProgress, kStoppedText);
  if (Info.Exception) RowFailed(*row, Info.ExceptionMsg);
}

void TConversionControl::RowFailed(int Row, const std::string& LibraryText) {
  const std::string reason = FailureReason(LibraryText, folder_.FileOutPutPath(), jobs_.Row(Row).Caption);
  SetText(Row, jsProgress, kFailedProgress);
  jobs_.SetHint(Row, reason);
  failures_.push_back({jobs_.Row(Row).Caption, reason, LibraryText});
}

void TConversionControl::BatchEnded() {
  const bool stoppedByUser = state_ == csStopped;
  state_ = csEnded;
  task_rows_.clear();
  Enable(ccRemove, false);
  Enable(ccRename, false);
  Enable(ccClear, true);
  Enable(ccStop, false);
  Enable(ccPause, false);
  Enable(ccResume, false);
  UnlockEditing();
  Enable(ccMove, true);
  // The tasks' codecs and frames are gone; what the allocator kept of them goes back.
  ReturnFreedMemory();
  // One message for the whole batch, before the after-run action.
  if (!failures_.empty()) {
    Warn(FailureMessage(BatchFailureHeading(static_cast<int>(failures_.size())), failures_));
    failures_.clear();
  }
  // The after-run action follows a batch that ran to its end, never one the user stopped.
  if (stoppedByUser) return;
  RunAfterRunAction(settings_ ? settings_().AfterRun : TAfterRunAction::arNothing);
}

void TConversionControl::RunAfterRunAction(TAfterRunAction Action) {
  switch (Action) {
    case TAfterRunAction::arOpenFolder: {
      std::string error;
      if (!actions_.OpenOutputFolder(folder_.Text(), error)) Warn(NoOpenerMessage(folder_.Text(), error));
      break;
    }
    case TAfterRunAction::arShutDown: actions_.ShutDown(); break;
    case TAfterRunAction::arPlaySound: actions_.PlayEndSound(); break;
    case TAfterRunAction::arNothing: break;
  }
}

void TConversionControl::Warn(const std::string& Text) {
  if (stopping_)
    held_warnings_.push_back(Text);
  else
    view_.ShowWarning(Text);
}

std::optional<int> TConversionControl::RowOfTask(int TaskIndex) const {
  if (TaskIndex < 0 || TaskIndex >= static_cast<int>(task_rows_.size())) return std::nullopt;
  const int row = task_rows_[TaskIndex];
  if (row >= jobs_.Count()) return std::nullopt;
  return row;
}

void TConversionControl::SetText(int Row, TJobSubItem Item, const std::string& Text) {
  if (jobs_.SubItem(Row, Item) != Text) jobs_.SetSubItem(Row, Item, Text);
}

// ---- records and texts ---------------------------------------------------------------------

namespace {

// A column's number, when it holds one.
std::optional<int> NumberOf(const std::string& Text) {
  int value = 0;
  if (Text.empty() || !TryStrToInt(Text, value)) return std::nullopt;
  return value;
}

// A column that holds no value gives the field its fresh record's value: the row's columns carry
// every setting its preset and choosers give, so nothing an earlier preset of the row set stays.
void TakeNumber(const std::string& Text, int& Field, int Unset) { Field = NumberOf(Text).value_or(Unset); }

void TakeText(const std::string& Text, std::string& Field, const std::string& Unset) {
  Field = Text.empty() ? Unset : Text;
}

}  // namespace

void RefreshOutputOptions(const TJobRow& Row, TOutputOptions& Options) {
  TOutputOptions fresh;
  InitOutputOptions(fresh);
  const std::string& videoCodec = Row[jsVideoCodec];
  TakeText(videoCodec, Options.VideoCodec, fresh.VideoCodec);
  Options.VideoPreset = videoCodec == "libx264" ? "libx264-default" : videoCodec.empty() ? fresh.VideoPreset : "";
  TakeText(Row[jsAudioCodec] != "AUTO" ? Row[jsAudioCodec] : "", Options.AudioCodec, fresh.AudioCodec);
  TakeNumber(Row[jsAudioChannels], Options.AudioChannels, fresh.AudioChannels);
  Options.VideoTag = videoCodec != "libx264" ? Row[jsVideoTag] : std::string();
  TakeText(Row[jsFileExt], Options.FileExt, fresh.FileExt);
  TakeText(Row[jsFrameSize], Options.FrameSize, fresh.FrameSize);
  TakeNumber(Row[jsVideoBitrate] != "-1000" ? Row[jsVideoBitrate] : "", Options.VideoBitrate, fresh.VideoBitrate);
  TakeText(Row[jsFrameRate], Options.FrameRate, fresh.FrameRate);
  const bool audioBitrateSet = Row[jsAudioBitrate] != "-1000" && Row[jsAudioBitrate] != "-2000";
  TakeNumber(audioBitrateSet ? Row[jsAudioBitrate] : "", Options.AudioBitrate, fresh.AudioBitrate);
  TakeNumber(Row[jsAudioSampleRate] != "AUTO" ? Row[jsAudioSampleRate] : "", Options.AudioSampleRate,
             fresh.AudioSampleRate);
  TakeText(Row[jsFrameAspectRatio], Options.FrameAspectRatio, fresh.FrameAspectRatio);
  Options.DisableVideo = Row[jsDisableVideo] == "True";
  const std::string& target = Row[jsTargetType];
  Options.TargetType = target.empty()      ? fresh.TargetType
                       : target == "vcd"  ? TOptionTargetType::ttVCD
                       : target == "svcd" ? TOptionTargetType::ttSVCD
                       : target == "dvd"  ? TOptionTargetType::ttDVD
                                          : TOptionTargetType::ttIgnore;
  const std::string& norm = Row[jsNormType];
  Options.NormType = norm == "PAL"    ? TOptionNormType::ntPAL
                     : norm == "NTSC" ? TOptionNormType::ntNTSC
                                      : TOptionNormType::ntAuto;
}

TProgressTexts ProgressTexts(const TProgressInfo& Info) {
  TProgressTexts texts;
  if (Info.TotalDuration > 0) {
    // In 128 bits: a wild time from a damaged file must not overflow.
    const auto percent = static_cast<int64_t>(static_cast<__int128>(Info.CurrentDuration) * 100 / Info.TotalDuration);
    texts.Progress = std::to_string(percent) + "%";
  } else {
    texts.Progress = "N/A";
  }
  if (Info.FPS > 0) texts.FramesPerSecond = std::to_string(Info.FPS);
  const int64_t seconds = std::clamp<int64_t>(Info.CurrentDuration / 1000000, 0, INT_MAX);
  texts.CurrentTime = SecToDate(static_cast<int>(seconds));
  texts.ConvertedSize = FileSizeText(Info.CurrentSize);
  return texts;
}

int ThreadCountOf(const std::string& Text) { return std::max(1, StrToIntDef(Text, 1)); }
