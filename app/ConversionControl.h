#pragma once
// The main window's side of a conversion: start, pause, resume and stop of the batch; the
// converter's task list rebuilt from the job rows at start; the commands and editing controls
// enabled and disabled as the batch goes; each row's progress columns; each task's end and the
// batch end, with the failure message and the after-run action the options window chose.
//
//   Start ─> priority, tasks rebuilt from the rows, commands off, Convexa.Start(thread count)
//   progress (posted, per task) ─> the task's row: percent, frames per second, time, size
//   task end (notification thread ─> posted) ─> "100%" / "已停止" / a warning with the failure's text
//   batch end (-1) ─> commands back, editing unlocked, after-run action unless the user stopped
//
// The window owns the component, the job list, the output folder and this control, and binds
// the small interfaces below to its controls. The control binds the component's OnProgress and
// OnTerminate for its whole life (create it before the first batch). The component must outlive
// it. Everything but the component's notification threads runs on the GUI thread.
//
// Rows and tasks: task t of a batch belongs to the t-th row whose task could be created at
// start (a row whose input cannot be opened gets no task and is skipped), so progress and ends
// always reach their own row. While a batch runs, rows must not be moved or removed
// (RowsLocked); records that name no row of the list any more are dropped.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Src/Convexa.h"
#include "app/AfterRunActions.h"
#include "app/FailureReasons.h"
#include "app/JobList.h"
#include "app/OutputFolder.h"
#include "platform/core/Thread.h"

// The window's commands, each standing for its group of controls (invisible button, tool button
// with its enabled and greyed pictures, menu items).
enum class TConversionCommand {
  ccAdd,          // the add tool button (repainted), btnAdd and the six add menu items
  ccEditing,      // the six option choosers, the category and preset lists, the folder button
  ccRemove,       // btnRemove, its tool button and menu items
  ccRename,       // the rename tool button
  ccClear,        // btnClear, its tool button and menu item
  ccStart,        // btnStart and its menu item
  ccStartButton,  // the start tool button
  ccStop,         // btnStop, its tool button and menu item
  ccPause,        // btnPause, its tool button and menu item
  ccResume,       // btnResume, its tool button and menu item
  ccMove,         // the move-up and move-down buttons and menu items
};

// What the control needs of the window. GUI thread.
class IConversionView {
 public:
  virtual ~IConversionView() = default;
  virtual void SetCommandEnabled(TConversionCommand Command, bool Enabled) = 0;
  // The tool bar shows the pause button (true) or the resume button (false) in its place.
  virtual void ShowPauseButton(bool Pause) = 0;
  // A warning message box with one OK button, captioned with the application's title.
  virtual void ShowWarning(const std::string& Text) = 0;
  // A line for the window's log.
  virtual void Log(const std::string& Line) = 0;
};

// The after-batch choice of the options window.
enum class TAfterRunAction { arOpenFolder, arShutDown, arPlaySound, arNothing };

// The options window's controls as the control reads them, at start and at the batch end.
struct TConversionSettings {
  std::string ThreadCount = "1";            // the thread-count list's text, "1" to "19"
  std::optional<TThreadPriority> Priority;  // the checked priority box; none leaves the component's
  TAfterRunAction AfterRun = TAfterRunAction::arNothing;
};
using TConversionSettingsSource = std::function<TConversionSettings()>;

// The progress column of a row whose conversion failed.
inline constexpr const char* kFailedProgress = "失败";

enum class TConversionState {
  csIdle,  // no batch started yet
  csRunning,
  csPaused,
  csStopped,  // the user stopped; the batch end has not been handled yet
  csEnded,    // the batch end was handled
};

class TConversionControl {
 public:
  TConversionControl(TCustomConvexa& Convexa, TJobList& Jobs, const TOutputFolder& Folder, IConversionView& View,
                     IAfterRunActions& Actions, TConversionSettingsSource Settings);
  // Records still on their way are dropped from here on; the component's events stay bound but
  // do nothing.
  ~TConversionControl();
  TConversionControl(const TConversionControl&) = delete;
  TConversionControl& operator=(const TConversionControl&) = delete;

  // btnStartClick: the thread priority, the rows' failure hints cleared, the tasks rebuilt, the
  // commands of a running batch, and the batch started with the thread count (1 when the text is
  // no count of at least 1). A row that got no task shows "失败" at once and is listed in the
  // batch's message. Nothing while a batch runs or is paused.
  // Raises what ClearTasks raises, before anything changed.
  void Start();
  // button28Click: ClearTasks, then one task per row in row order, from the row's input record
  // and its output record refreshed from the row's columns, the output file named by the row in
  // the output folder. A row whose task cannot be created is skipped and logged, and its reason
  // is among those returned; a task whose output cannot be set up stays and fails with that cause
  // when it starts.
  [[nodiscard]] std::vector<std::string> RebuildTasks();
  // Button22Click / Button23Click.
  void LockEditing();
  void UnlockEditing();
  // btnPauseClick, btnResumeClick: the running tasks wait between two packets / go on. The tool
  // bar swaps the pause and resume buttons.
  void Pause();
  void Resume();
  // btnStopClick: the pending tasks are dropped and the running ones stopped; returns when they
  // have ended. A stop is no failure: each stopped task's row says "已停止" (its file holds what
  // was converted, finished so that it plays, or is gone when nothing was written), and the batch
  // end that follows runs no after-run action. A failure reported meanwhile is shown once the
  // stop has returned, never inside its wait.
  void Stop();

  // ConvexaProgress: the progress columns of the task's row.
  void ConvexaProgress(const TProgressInfo& Info);
  // ConvexaTerminate, on the GUI thread: a task's end ("100%" when it finished, "已停止" when it
  // was stopped; "失败" and its reason as the row's hint when it failed) or the batch end
  // (TaskIndex -1), which shows one warning listing every row that failed or got no task, each
  // with its reason in words, the libraries' texts after them. Records outside a batch, and a
  // second batch end, are dropped.
  void ConvexaTerminate(const TTerminateInfo& Info);
  // Button20Click, Button25Click, Button29Click by choice; arNothing does nothing. A folder that
  // no opener of the desktop could show gets a warning saying what to install.
  void RunAfterRunAction(TAfterRunAction Action);

  [[nodiscard]] TConversionState State() const { return state_; }
  // Rows keep their places while a batch runs, pauses or stops (until its end was handled).
  [[nodiscard]] bool RowsLocked() const;

 private:
  struct TRelay;
  void Enable(TConversionCommand Command, bool Enabled) { view_.SetCommandEnabled(Command, Enabled); }
  void BatchEnded();
  void Warn(const std::string& Text);
  // The row shows "失败" with the reason of LibraryText as its hint, and joins the batch's list.
  void RowFailed(int Row, const std::string& LibraryText);
  [[nodiscard]] std::optional<int> RowOfTask(int TaskIndex) const;
  // Writes a column only when its text changes, so a row whose texts stay is not repainted.
  void SetText(int Row, TJobSubItem Item, const std::string& Text);

  TCustomConvexa& convexa_;
  TJobList& jobs_;
  const TOutputFolder& folder_;
  IConversionView& view_;
  IAfterRunActions& actions_;
  TConversionSettingsSource settings_;
  TConversionState state_ = TConversionState::csIdle;
  std::vector<int> task_rows_;              // row of each task of the batch
  bool stopping_ = false;                   // inside Stop's wait
  std::vector<std::string> held_warnings_;  // failures reported inside Stop's wait
  std::vector<TFileFailure> failures_;      // the rows of this batch that failed, in order
  std::shared_ptr<TRelay> relay_;           // shared with the component's event handlers
};

// The progress cell of a row whose task the user stopped.
inline constexpr const char* kStoppedText = "已停止";

// The output record of a row refreshed from its hidden columns, as the start does: codec,
// preset, channels, tag, extension, size, bit rates, rates, aspect, no video, target and norm.
// The columns carry every setting the row's preset and choosers give, so a column that holds no
// value (empty, "AUTO", a bit rate of "-1000", an audio one of "-2000", or a number text that
// does not read) gives its field the value of a fresh record (InitOutputOptions): a row switched
// to another preset keeps nothing the earlier one set. The tag is emptied unless given and the
// codec is not "libx264"; "libx264" brings the preset "libx264-default".
void RefreshOutputOptions(const TJobRow& Row, TOutputOptions& Options);

// The progress columns of a record: percent of the total ("N/A" without one), frames per second
// (nothing when not above 0), converted time and converted size.
struct TProgressTexts {
  std::string Progress;
  std::optional<std::string> FramesPerSecond;
  std::string CurrentTime;
  std::string ConvertedSize;
};
[[nodiscard]] TProgressTexts ProgressTexts(const TProgressInfo& Info);

// The thread count of the thread-count list's text: its integer value, 1 when it is none or
// below 1 (0 would run the whole batch on the GUI thread).
[[nodiscard]] int ThreadCountOf(const std::string& Text);
