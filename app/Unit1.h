#pragma once
// The converter's main window: the job list the user fills with files, the output format and
// folder, the preset options of the selected job, the preview panel, the menus and the tool bar
// that convert the list. It owns the converter component, the logger and the preview player,
// the job list's model and the preset chain, and runs everything on the GUI thread.
//
//   creation ─> job records emptied, output folder read, open-dialog filter, skin setting,
//               preset list of the first category, render targets
//   add one / several / folder ─> probe, converter task, output file, row and job record
//   remove, clear, move up / down, rename ─> rows, records and converter tasks kept in step
//   row selected ─> the preview panel opens its file, paused on its first picture
//   close ─> the media components' events detached, the converter stopped (waiting for its
//            workers), the player stopped
//
// Each operation is named after the window's handler it stands for. Files: Unit1.cpp (creation,
// skin, output folder, close, log), Unit1Layout.cpp (the controls), Unit1Jobs.cpp (the job list),
// Unit1Commands.cpp (menus, tool bar and the conversion control's view).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Src/Convexa.h"
#include "Src/FFPlay.h"
#include "Src/FFmpegLogger.h"
#include "app/AfterRunActions.h"
#include "app/ConversionControl.h"
#include "app/ConverterDialogs.h"
#include "app/FailureReasons.h"
#include "app/JobList.h"
#include "app/MainWindowControls.h"
#include "app/OptionFile.h"
#include "app/OutputFolder.h"
#include "app/PresetChain.h"
#include "app/PreviewPanel.h"
#include "app/ProgramFolders.h"
#include "platform/controls/Forms.h"

class TForm2;
class TForm5;
class TListItem;
struct THintInfo;
class TMemo;
class TvlCompressedSkinList;
class TvlResourceStrData;
class TvlSkinButton;
class TvlSkinData;
class TvlSkinEdit;
class TvlSkinGroupBox;
class TvlSkinHint;
class TvlSkinListView;
class TvlSkinMainMenu;
class TvlSkinMainMenuBar;
class TvlSkinMenuSpeedButton;
class TvlSkinPaintPanel;
class TvlSkinPopupMenu;
class TvlSkinPanel;
class TvlSkinScrollBar;
class TvlSkinSlider;
class TvlSkinSpeedButton;
class TvlVelmora;

inline constexpr const char* kApplicationTitle = "QireloVCD视频格式转换器";
inline constexpr int kMainClientWidth = 803;
inline constexpr int kMainClientHeight = 540;

// What the main window is given by the program.
struct TMainWindowSetup {
  TProgramFolders Folders;
  // The open dialogs, folder choosers and message boxes; must outlive the window.
  IConverterDialogs* Dialogs = nullptr;
  // What a finished batch may do; nullptr: the system's own (opener, power-off, end sound).
  IAfterRunActions* AfterRun = nullptr;
};

class TForm1 : public TForm, private IConversionView {
 public:
  TForm1(TComponent* AOwner, TMainWindowSetup Setup);
  ~TForm1() override;

  // The windows created after this one, which its commands show and whose controls it reads
  // (thread count, priority, after-run action, overwrite choice). Until set, those commands do
  // nothing and the defaults apply.
  void SetOptionsWindow(TForm5* Form) { Form5 = Form; }
  void SetAboutWindow(TForm2* Form) { Form2 = Form; }

  // ---- Components of the form ----
  TConvexa* Convexa = nullptr;
  TFFLogger* FFLogger = nullptr;
  TFFPlayer* FFPlayer = nullptr;  // the preview panel's player
  TvlSkinData* vlSkinData1 = nullptr;  // the windows, their menus: skin list 1
  TvlSkinData* vlSkinData2 = nullptr;  // the tool buttons, option choosers and radio boxes
  TvlCompressedSkinList* vlCompressedSkinList1 = nullptr;
  TvlCompressedSkinList* vlCompressedSkinList2 = nullptr;
  TvlVelmora* vlVelmora1 = nullptr;
  TvlResourceStrData* vlResourceStrData1 = nullptr;  // skin 1's interface texts
  TvlSkinHint* vlSkinHint1 = nullptr;  // the tooltips of the windows

  // Menus (the main menu's items) and the "添加" tool button's menu.
  TvlSkinMainMenu* MainMenu1 = nullptr;
  TvlSkinMainMenuBar* vlSkinMainMenuBar1 = nullptr;
  TMenuItem *Item111 = nullptr, *Item121 = nullptr, *N21 = nullptr, *N4 = nullptr;  // 文件
  TMenuItem *N111 = nullptr, *N2221 = nullptr, *N13 = nullptr, *N14 = nullptr, *N26 = nullptr;  // 编辑
  TMenuItem *N7 = nullptr, *N8 = nullptr, *N10 = nullptr, *N11 = nullptr, *N24 = nullptr;  // 动作
  TMenuItem *N15 = nullptr, *N19 = nullptr, *EMAIL1 = nullptr, *N5 = nullptr;  // 帮助
  TvlSkinPopupMenu* AddMenu = nullptr;
  TMenuItem *N11111 = nullptr, *N2222 = nullptr, *N3331 = nullptr;

  // Tool bar: 添加, 删除, 清空, 开始, 停止, 暂停 / 继续 (one place), 选项.
  TvlSkinMenuSpeedButton* vlSkinMenuSpeedButton1 = nullptr;
  TvlSkinButton *vlSkinButton7 = nullptr, *vlSkinButton8 = nullptr, *vlSkinButton2 = nullptr;
  TvlSkinButton *vlSkinButton10 = nullptr, *vlSkinButton11 = nullptr, *vlSkinButton12 = nullptr;
  TvlSkinButton* vlSkinButton19 = nullptr;

  // Job list panel: the list with its horizontal and vertical bars, its cover while empty, move
  // up / down and rename.
  TvlSkinListView* lvFiles = nullptr;
  TvlSkinScrollBar* vlSkinScrollBar1 = nullptr;
  TvlSkinScrollBar* vlSkinScrollBar2 = nullptr;
  TvlSkinPaintPanel* vlSkinPanel5 = nullptr;
  TvlSkinButton *vlSkinButton3 = nullptr, *vlSkinButton4 = nullptr, *vlSkinButton21 = nullptr;
  TvlSkinEdit* edt = nullptr;  // the inline editor of an output name, over the row it renames

  // Output panel.
  std::unique_ptr<TPresetPickerBox> vlSkinOfficeComboBox2;  // category
  std::unique_ptr<TPresetPickerBox> vlSkinOfficeComboBox1;  // preset
  TvlSkinEdit* Video_OutPut_Folder_Edit = nullptr;  // read-only: "浏览..." changes the folder
  TvlSkinButton *vlSkinButton5 = nullptr, *vlSkinButton6 = nullptr;  // 浏览..., 打开

  // Preset options panel: resolution, video bit rate, audio bit rate, scaling, frame rate,
  // sample rate.
  std::unique_ptr<TOptionChooserBox> vlSkinComboBox1, vlSkinComboBox2, vlSkinComboBox3, vlSkinComboBox4,
      vlSkinComboBox9, vlSkinComboBox10;

  // Preview panel: the render area, the position slider and its buttons: play, pause, stop,
  // mute, unmute (in the mute button's place, hidden at first), snapshot and its settings.
  TvlSkinPaintPanel* Panel6 = nullptr;
  TvlSkinSlider* vlSkinSlider1 = nullptr;
  TvlSkinButton *vlSkinButton13 = nullptr, *vlSkinButton14 = nullptr, *vlSkinButton15 = nullptr;
  TvlSkinButton *vlSkinButton16 = nullptr, *vlSkinButton20 = nullptr;
  TvlSkinButton *vlSkinButton22 = nullptr, *vlSkinButton23 = nullptr;

  // The log (never shown): lines of the add operations, the preview and the logger.
  TMemo* mmoLog = nullptr;

  // Dialog settings.
  TOpenDialogState OpenDialog1, OpenDialog2;
  TFolderDialogState vlSkinSelectDirectoryDialog1, vlSkinSelectDirectoryDialog2;

  // ---- State ----
  [[nodiscard]] TJobList& Jobs() { return jobs_; }
  [[nodiscard]] TOutputFolder& OutputFolder() { return folder_; }
  [[nodiscard]] TPresetChain& Chain() { return *chain_; }
  [[nodiscard]] TConversionControl& Conversion() { return *conversion_; }
  [[nodiscard]] const TProgramFolders& Folders() const { return setup_.Folders; }
  [[nodiscard]] TOptionFile Options() const { return TOptionFile(setup_.Folders.OptionFile()); }
  // The preview panel: its player, the file it shows, the slider's state and the snapshots.
  [[nodiscard]] TPreviewPanel& Preview() { return *preview_; }
  // The render targets of the preview ("Panel6").
  std::vector<std::string> RenderTargets;
  int RenderTargetIndex = -1;

  // ---- Creation and close ----
  void FormCreate();
  // Always lets the window close: the media components' events detached, the converter stopped
  // (waiting for its workers), the player stopped.
  void FormCloseQuery(bool& CanClose);
  // "#<thread id>.<level ordinal>: <message>" into the log.
  void FFLoggerLog(TObject* Sender, DWORD AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg);
  // A line of the log.
  void AddLog(const std::string& Line);
  // WMWindowPosChanging / WMWindowPosChanged: standard handling, then the preview follows the
  // window.
  void WndProc(TMessage& Message) override;

  // ---- Output folder, filter, skin ----
  void Button17Click();  // read the output folder
  void Button16Click();  // write it
  void vlSkinButton5Click();  // 浏览...
  void vlSkinButton6Click();  // 打开
  void Button21Click();  // the open dialogs' filter
  void Button3Click();  // the skin setting

  // ---- Job list ----
  void Button15Click();  // job records emptied
  void btnAddClick();    // add one file
  void Button8Click();   // add several files
  void Button12Click();  // add every file of a folder
  void btnRemoveClick();
  void btnClearClick();
  void vlSkinButton3Click();  // move up
  void vlSkinButton4Click();  // move down
  // Rename: the menu and the button say so when no row is selected; a double click does not.
  void vlSkinButton21Click();
  void lvFilesDblClick();
  // The editor lost the focus: its name is taken (or it says why not).
  void edtExit();
  // Enter takes the name, Esc drops it; both give the list the focus back.
  void edtKeyDown(WORD& Key);
  // Gives the row the editor was opened on (not the one selected now) the typed name; a name
  // that cannot be taken is not, the user is told why in a message and the editor stays open.
  // True when the editor closed.
  bool CommitRename();
  void CancelRename();
  // The controls that need rows (remove, clear, start, rename).
  void EnableRowCommands(bool Enabled);
  // Selects a row of the list (-1: none), as a click does.
  void SelectRow(int Index);
  // A click on the list: where no row is selected, the preview is stopped.
  void lvFilesClick();

  // ---- Conversion of the list (the conversion control does the work) ----
  void btnStartClick();
  void btnStopClick();  // returns when the running tasks have ended
  void btnPauseClick();
  void btnResumeClick();

  // ---- Commands that open another window or forward ----
  void N4Click();   // 退出
  void N24Click();  // 选项设置 / the "选项" tool button
  void N15Click();  // 帮助系统
  void N19Click();  // 官方网站
  void EMAIL1Click();  // 联系邮箱
  void N5Click();   // 关于软件

  // The maker's pages the help menu opens.
  static constexpr const char* kHomePage = "https://www.qirelo.com/";
  static constexpr const char* kSupportMail = "mailto:support@qirelo.com";

  // The windows made later (options, about).
  TForm2* Form2 = nullptr;
  TForm5* Form5 = nullptr;

 private:
  // IConversionView.
  void SetCommandEnabled(TConversionCommand Command, bool Enabled) override;
  void ShowPauseButton(bool Pause) override;
  void ShowWarning(const std::string& Text) override;
  void Log(const std::string& Line) override { AddLog(Line); }

  // Unit1Layout.cpp
  void BuildControls();
  void BuildSkins();
  void BuildMenus();
  void BuildToolBar();
  void BuildJobListPanel();
  void BuildOutputPanel();
  void BuildPresetOptionsPanel();
  void BuildPreviewPanel();
  void BuildHiddenControls();
  // The preview panel on the panel's controls (Unit1.cpp).
  void BuildPreview();
  TvlSkinButton* MakeToolButton(TWinControl* Parent, int Left, const char* Caption, const char* Picture);
  [[nodiscard]] TBitmap* Picture(const std::string& Name);
  // A tool or list button's picture for its state ("VL_TOOL_START" / "VL_TOOL_START_OFF").
  void SetButtonState(TvlSkinButton* Button, bool Enabled, const char* Picture, const char* GreyedPicture);

  // Unit1Jobs.cpp
  enum class TAddEnd { aeNextFile, aeStop };
  // Steps 4 to 14 of an add for one file; aeStop when the whole add must end.
  TAddEnd AddOneFile(const std::string& File);
  // One file, several files (last chosen first) or a folder's files, after the dialog.
  void AddFiles(const std::vector<std::string>& Files);
  // Runs one add operation and then shows one message for it: WhenNoRow when a folder add
  // tried every file and none became a row, and the files it could not take with their reasons.
  void RunAdd(const std::function<void()>& Add, const char* WhenNoRow = nullptr);
  // A file the add could not take, with the libraries' text of why.
  // Adds Files last first; false when an add stopped (the rest then counts as untried).
  bool AddEach(const std::vector<std::string>& Files);
  void AddFailed(const std::string& File, const std::string& LibraryText);
  // Steps 1 and 2: the fields reset and the converter's libraries loaded; false when they fail.
  bool PrepareAdd();
  // The list shows the model's rows again (count, cover, commands).
  void RowsChanged();
  // The input column shows file names: wide enough for the widest, within bounds.
  void FitInputColumn();
  // The hint over a row: its input's full path, for as long as the pointer stays on the row.
  bool JobRowHint(THintInfo& Info);
  void FocusJobList();
  void ShowJobMessage(const std::string& Text);
  void BeginRename(bool TellWhenNone);
  // The row's task (its task-number column) writes the row's output name, with the row's current
  // settings: the task is made again in its place, so the file it held is free for other jobs.
  // Nothing once a batch was started (its start rebuilt the tasks from the rows).
  void FollowRowOutput(int Row);
  // The selected rows (the list's selection and the model's selected row), last first.
  [[nodiscard]] std::vector<int> SelectedRows() const;
  void MoveSelected(int Delta);
  void ListSelectItem(TListItem* Item, bool Selected);
  void FollowFocusedRow();
  [[nodiscard]] std::vector<int> RowsForChoosers() const;

  // Unit1Commands.cpp
  void BindCommands();
  void OpenAddress(const std::string& Address);
  // Before a batch: with 自动重命名输出文件 every row whose output file exists (or is another
  // row's) takes the next free name; with 直接覆盖输出文件 the user is asked once whether the
  // existing ones may be replaced. False when the user said no (the batch does not start).
  bool PrepareOutputNames();
  // The row under the mouse gives the list its tooltip: why the row's conversion failed.
  void ListMouseMove(int X, int Y);
  [[nodiscard]] TConversionSettings ConversionSettings() const;
  [[nodiscard]] bool OverwriteOutput() const;

  TMainWindowSetup setup_;
  std::unique_ptr<TSystemAfterRunActions> system_after_run_;
  TJobList jobs_;
  TOutputFolder folder_;
  std::unique_ptr<TPreviewPanel> preview_;
  std::unique_ptr<TPresetChain> chain_;
  std::unique_ptr<TConversionControl> conversion_;
  std::vector<std::pair<std::string, std::unique_ptr<TBitmap>>> pictures_;
  std::vector<TFileFailure> add_failures_;  // of the add operation under way
  bool folder_add_listed_ = false;          // the folder add under way tried every file
  int add_untried_ = 0;                     // files the add under way left when it stopped
  bool closed_ = false;
  // False once the window is gone: news queued for it from other threads is dropped then.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool selection_sync_ = false;
  // The input column's widest file name and the rows it was measured over (rows added since are
  // measured alone).
  int input_widest_ = 0;
  int input_measured_rows_ = 0;
  int rename_row_ = -1;            // the row the name editor is open on, -1 when closed
  bool rename_telling_ = false;    // a message about a bad name is up  // the view follows the model's selection; no handlers run
};

// The question asked before a batch replaces the existing output files Names.
[[nodiscard]] std::string OverwriteQuestion(const std::vector<std::string>& Names);

// The files of a folder (GetFilenames; ExtMask "*.*" for all): regular files only, sub-folders
// not entered, in the order of a folder listing (names compared ignoring case); nothing when the
// folder does not exist.
[[nodiscard]] std::optional<std::vector<std::string>> GetFilenames(const std::string& FilePath,
                                                                   const std::string& ExtMask);
