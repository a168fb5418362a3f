// The job list of the main window: adding files (one, several, a folder), removing, clearing,
// moving and renaming rows. The rows and their job records are the job list's model; the list
// view shows them, and the converter's task list follows: every row has the task its add
// created, numbered in the row's task-number column.

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "app/FailureReasons.h"
#include "app/Unit1.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrlsSlider.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Edit.h"
#include "platform/windowing/Input.h"
#include "platform/core/Memory.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr const char* kMessageCaption = "提示";
constexpr const char* kNoFileInFolder = "在该目录没有发现可以用的视频或音频文件！";
constexpr const char* kNothingToRemove = "请先选择您需要删除的项目！";
constexpr const char* kNothingToRename = "请先选中您需要重命名的项目！";
constexpr const char* kListFull = "列表中最多只能有501个文件，请先转换或删除一些文件再添加！";

// Only regular files are taken: a named pipe or a device would block the probe or never end.
bool IsRegularFile(const std::string& Path) {
  struct stat st {};
  return !Path.empty() && ::stat(Path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Why a name cannot be given to an output file (empty, a folder part, "." or ".."), with what
// to do next; empty for a name that can.
std::string WhyNotAFileName(const std::string& Name) {
  constexpr const char* kNext = "请修改后按回车确认，或按Esc取消。";
  if (Name.empty()) return std::string("输出文件名不能为空，") + kNext;
  if (Name.find_first_of("/\\") != std::string::npos) return std::string("输出文件名不能包含“/”或“\\”，") + kNext;
  if (Name == "." || Name == "..") return std::string("输出文件名不能是“.”或“..”，") + kNext;
  return {};
}

}  // namespace

// The files of a folder (sub-folders not entered), nothing when the folder does not exist. Only
// regular files count; the names come sorted as the user sees them in a folder listing.
std::optional<std::vector<std::string>> GetFilenames(const std::string& FilePath, const std::string& ExtMask) {
  if (!DirectoryExists(FilePath)) return std::nullopt;
  const std::string folder = IncludeTrailingPathDelimiter(FilePath);
  std::vector<std::string> names;
  TSearchRec found;
  if (FindFirst(folder + ExtMask, faAnyFile, found) == 0) {
    do {
      if ((found.Attr & faDirectory) == 0) names.push_back(found.Name);
    } while (FindNext(found) == 0);
    FindClose(found);
  }
  std::sort(names.begin(), names.end(), [](const std::string& A, const std::string& B) {
    const int byText = AnsiCompareText(A, B);
    return byText != 0 ? byText < 0 : A < B;
  });
  std::vector<std::string> files;
  for (const std::string& name : names)
    if (IsRegularFile(folder + name)) files.push_back(folder + name);
  return files;
}

// ---- Shared steps ------------------------------------------------------------------------------

void TForm1::Button15Click() {
  jobs_.Clear();
  RowsChanged();
}

void TForm1::RowsChanged() {
  lvFiles->Items()->SetCount(jobs_.Count());
  FitInputColumn();
  vlSkinPanel5->SetVisible(jobs_.Count() == 0);
  // The view's selection follows the model's, without running the selection's handlers again.
  selection_sync_ = true;
  lvFiles->SetItemIndex(jobs_.ItemIndex());
  selection_sync_ = false;
  lvFiles->Invalidate();
}

void TForm1::FitInputColumn() {
  constexpr int kLeast = 80, kMost = 220, kMargins = 16;
  TBitmap measure;
  TCanvas* canvas = measure.Canvas();
  canvas->Font()->Assign(lvFiles->Font());
  // Rows only added since the last fit: the new ones are measured; any other change, all rows.
  const bool added = jobs_.Count() >= input_measured_rows_ && input_measured_rows_ > 0;
  int widest = added ? input_widest_ : 0;
  for (int row = added ? input_measured_rows_ : 0; row < jobs_.Count(); ++row)
    widest = std::max(widest, canvas->TextWidth(ExtractFileName(jobs_.Row(row).Caption)));
  input_widest_ = widest;
  input_measured_rows_ = jobs_.Count();
  TListColumn* column = lvFiles->Columns()->Items(0);
  const int width = std::clamp(widest + kMargins, kLeast, kMost);
  if (column->Width() != width) column->SetWidth(width);
}

bool TForm1::JobRowHint(THintInfo& Info) {
  const int row = lvFiles->IndexAt(Info.CursorPos);
  if (row < 0 || row >= jobs_.Count()) return false;
  Info.HintStr = jobs_.Row(row).Caption;
  Info.CursorRect = lvFiles->ItemRect(row, TDisplayCode::drBounds);
  return true;
}

void TForm1::FocusJobList() {
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::ShowJobMessage(const std::string& Text) {
  setup_.Dialogs->ShowMessage(Text, kMessageCaption, TMsgDlgType::mtInformation);
}

void TForm1::SelectRow(int Index) {
  lvFiles->SetItemIndex(Index);
  if (Index < 0) jobs_.SetItemIndex(-1);
}

void TForm1::ListSelectItem(TListItem* Item, bool Selected) {
  if (selection_sync_) return;
  if (!Selected) {
    if (lvFiles->ItemIndex() < 0) jobs_.SetItemIndex(-1);
    return;
  }
  // Of several selected rows (Ctrl+A, Shift or Ctrl with a click) the focused one is the row
  // the choosers show.
  if (Item->Index() != lvFiles->ItemIndex() && lvFiles->ItemIndex() >= 0) return;
  jobs_.SetItemIndex(Item->Index());
  chain_->RowSelected();
}

// A click or key can move the list's focus onto a row that was already selected (after Ctrl+A,
// or inside a Shift range): no selection changes, so no event tells the choosers. The focused
// selected row is the one they show.
void TForm1::FollowFocusedRow() {
  const int focused = lvFiles->ItemIndex();
  if (focused < 0 || focused >= jobs_.Count() || focused == jobs_.ItemIndex() || !lvFiles->IsItemSelected(focused))
    return;
  jobs_.SetItemIndex(focused);
  chain_->RowSelected();
}

// The rows a choice of format or option goes into: those selected in the list, or the model's
// selected row while the list shows none.
std::vector<int> TForm1::RowsForChoosers() const {
  std::vector<int> rows;
  for (int row = 0; row < jobs_.Count(); ++row)
    if (lvFiles->IsItemSelected(row)) rows.push_back(row);
  if (rows.empty() && jobs_.ItemIndex() >= 0) rows.push_back(jobs_.ItemIndex());
  return rows;
}

void TForm1::EnableRowCommands(bool Enabled) {
  for (TConversionCommand command : {TConversionCommand::ccRemove, TConversionCommand::ccClear,
                                     TConversionCommand::ccStart, TConversionCommand::ccStartButton,
                                     TConversionCommand::ccRename})
    SetCommandEnabled(command, Enabled);
}

void TForm1::ListMouseMove(int X, int Y) {
  const int row = lvFiles->IndexAt(TPoint{X, Y});
  const std::string hint = row >= 0 && row < jobs_.Count() ? jobs_.Row(row).Hint : std::string();
  if (hint == lvFiles->Hint()) return;
  lvFiles->SetHint(hint);
  // The tooltip follows the row under the mouse at once: a failed row shows its reason, any
  // other row none.
  if (hint.empty()) {
    Application()->HideHint();
  } else {
    TPoint cursor;
    GetCursorPos(&cursor);
    Application()->ActivateHint(cursor);
  }
}

void TForm1::lvFilesClick() {
  FollowFocusedRow();
  if (lvFiles->ItemIndex() < 0) preview_->ClearPreview();
}

// ---- Adding files ------------------------------------------------------------------------------

bool TForm1::PrepareAdd() {
  chain_->ResetFields();
  if (!Convexa->AVLibLoaded() && !Convexa->LoadAVLib(setup_.Folders.LibraryFolder())) {
    AddLog(Convexa->LastErrMsg());
    return false;
  }
  return true;
}

TForm1::TAddEnd TForm1::AddOneFile(const std::string& File) {
  const auto logBlock = [this](const std::string& Text) {
    AddLog("");
    AddLog(Text);
    AddLog("");
  };
  // The list holds one job per record slot; a file beyond them is refused, with a message.
  if (jobs_.Full()) {
    ShowJobMessage(kListFull);
    return TAddEnd::aeStop;
  }
  // The task's own opening of the file is its probe: each file is opened and read once here.
  TInputOptions input;
  InitInputOptions(input);
  const int task = Convexa->AddTask(File, &input);
  TAVProbe* probe = task < 0 ? nullptr : Convexa->GetTaskProbe(task, 0);
  if (!probe) {
    const std::string error = Convexa->LastErrMsg();
    if (task >= 0) Convexa->RemoveTask(task);
    logBlock(kLogCannotRead + error);
    AddFailed(File, error);
    return TAddEnd::aeNextFile;
  }
  chain_->Fields().Video_AddFileName = File;
  AddLog("");
  AddLog(probe->FileInfoText());
  // Read now: once its output is set the task lets go of the file, and its probe with it.
  const int64_t duration = probe->FileStreamInfo().Duration;
  const int64_t size = probe->FileSize();
  preview_->SetFileName(File);
  TOutputOptions output = chain_->OutputOptionsForNewJob(File);
  if (!Convexa->SetOutputFile(task, chain_->Fields().Video_OutPutFileName, &output)) {
    const std::string error = Convexa->LastErrMsg();
    Convexa->RemoveTask(task);
    logBlock(kLogCannotConvert + error);
    AddFailed(File, error);
    return TAddEnd::aeStop;
  }
  const TNewJob job{input.FileName.empty() ? File : input.FileName,
                    duration,
                    size,
                    task,
                    chain_->CategoryCode(),
                    chain_->OptionCode()};
  jobs_.Add(MakeJobRow(job, output, chain_->Fields()), input, output);
  RowsChanged();
  FocusJobList();
  EnableRowCommands(true);
  logBlock(kLogCanConvert);
  return TAddEnd::aeNextFile;
}

void TForm1::AddFiles(const std::vector<std::string>& Files) {
  if (!AddEach(Files)) return;
  if (jobs_.Count() > 0) {
    SelectRow(jobs_.Count() - 1);
    FocusJobList();
  }
}

bool TForm1::AddEach(const std::vector<std::string>& Files) {
  // The files are taken from the last to the first; a stop leaves the rest untried, and the
  // add's message counts them.
  for (auto file = Files.rbegin(); file != Files.rend(); ++file) {
    if (!IsRegularFile(*file)) return false;
    if (AddOneFile(*file) == TAddEnd::aeStop) {
      add_untried_ = static_cast<int>(std::distance(file, Files.rend())) - 1;
      return false;
    }
  }
  return true;
}

void TForm1::AddFailed(const std::string& File, const std::string& LibraryText) {
  struct stat st {};
  const bool empty = ::stat(File.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
  add_failures_.push_back(
      {File, empty ? std::string(kEmptyFileReason) : FailureReason(LibraryText, folder_.Text(), File), LibraryText});
}

void TForm1::RunAdd(const std::function<void()>& Add, const char* WhenNoRow) {
  add_failures_.clear();
  add_untried_ = 0;
  const int rows = jobs_.Count();
  Add();
  // One message for the whole add: the files it could not take, each with its reason.
  std::vector<TFileFailure> failures = std::exchange(add_failures_, {});
  std::string text;
  if (WhenNoRow && jobs_.Count() <= rows && folder_add_listed_) text = WhenNoRow;
  folder_add_listed_ = false;
  if (!failures.empty()) {
    if (!text.empty()) text += "\n\n";
    const int untried = std::exchange(add_untried_, 0);
    text += FailureMessage(AddFailureHeading(static_cast<int>(failures.size())), failures,
                           untried > 0 ? UntriedFilesLine(untried) : std::string());
  }
  if (!text.empty()) ShowJobMessage(text);
}

void TForm1::btnAddClick() {
  RunAdd([this] {
    if (!PrepareAdd()) return;
    if (!setup_.Dialogs->OpenFiles(OpenDialog1) || !IsRegularFile(OpenDialog1.FileName)) return;
    const int rows = jobs_.Count();
    if (AddOneFile(OpenDialog1.FileName) == TAddEnd::aeNextFile && jobs_.Count() > rows) {
      SelectRow(jobs_.Count() - 1);
      FocusJobList();
    }
  });
}

void TForm1::Button8Click() {
  RunAdd([this] {
    if (!PrepareAdd()) return;
    if (!setup_.Dialogs->OpenFiles(OpenDialog2) || !IsRegularFile(OpenDialog2.FileName)) return;
    AddFiles(OpenDialog2.Files.empty() ? std::vector<std::string>{OpenDialog2.FileName} : OpenDialog2.Files);
  });
}

void TForm1::Button12Click() {
  RunAdd(
      [this] {
        if (!PrepareAdd()) return;
        if (!setup_.Dialogs->SelectFolder(vlSkinSelectDirectoryDialog1)) return;
        const std::optional<std::vector<std::string>> files =
            GetFilenames(vlSkinSelectDirectoryDialog1.Directory, "*.*");
        if (!files) return;
        if (!AddEach(*files)) return;
        if (jobs_.Count() > 0) {
          SelectRow(jobs_.Count() - 1);
          FocusJobList();
        }
        // Only a folder whose every file was tried says it had none to use.
        folder_add_listed_ = true;
      },
      kNoFileInFolder);
}

// ---- Remove, clear, move -----------------------------------------------------------------------

std::vector<int> TForm1::SelectedRows() const {
  std::vector<int> rows;
  for (int row = jobs_.Count() - 1; row >= 0; --row) {
    if (lvFiles->IsItemSelected(row) || row == jobs_.ItemIndex()) rows.push_back(row);
  }
  return rows;
}

void TForm1::btnRemoveClick() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) {
    ShowJobMessage(kNothingToRemove);
    return;
  }
  // While a batch runs the tasks write into the rows by their places.
  if (conversion_->RowsLocked()) return;
  // Last row first; each removal renumbers the later tasks, so every number read is current.
  for (int row : rows) {
    const int number = jobs_.Remove(row);
    if (number >= 1 && number <= Convexa->TasksCount()) Convexa->RemoveTask(number - 1);
  }
  RowsChanged();
  EnableRowCommands(jobs_.Count() > 0);
  FocusJobList();
  if (jobs_.Count() > 0) {
    SelectRow(0);
    FocusJobList();
  } else {
    preview_->ClearPreview();
  }
}

void TForm1::btnClearClick() {
  // The converter keeps its tasks while a batch runs, and the rows go with them.
  if (conversion_->RowsLocked()) return;
  Convexa->ClearTasks();
  jobs_.Clear();
  SetCommandEnabled(TConversionCommand::ccAdd, true);
  EnableRowCommands(false);
  Button15Click();
  preview_->ClearPreview();
  // The tasks and the preview are gone; what the allocator kept of them goes back.
  ReturnFreedMemory();
}

void TForm1::MoveSelected(int Delta) {
  const int row = jobs_.ItemIndex();
  if (row < 0 || conversion_->RowsLocked()) return;
  const int other = row + Delta;
  if (other < 0 || other >= jobs_.Count()) return;
  jobs_.Exchange(row, other);
  SelectRow(other);
  FocusJobList();
}

void TForm1::vlSkinButton3Click() { MoveSelected(-1); }

void TForm1::vlSkinButton4Click() { MoveSelected(+1); }

// ---- Rename ------------------------------------------------------------------------------------

void TForm1::vlSkinButton21Click() { BeginRename(true); }

void TForm1::lvFilesDblClick() { BeginRename(false); }

void TForm1::BeginRename(bool TellWhenNone) {
  const int row = jobs_.ItemIndex();
  if (row < 0) {
    if (TellWhenNone) ShowJobMessage(kNothingToRename);
    return;
  }
  if (conversion_->RowsLocked()) return;
  // The editor lies over the output-name column of the row, centred on it: the skin gives the
  // editor its height.
  const TRect bounds = lvFiles->ItemRect(row, TDisplayCode::drBounds);
  int left = bounds.Left;
  for (int column = 0; column < 3; ++column) left += lvFiles->Columns()->Items(column)->Width();
  edt->SetBounds(left + 2, bounds.Top, lvFiles->Columns()->Items(3)->Width(), bounds.Height());
  edt->SetTop(bounds.Top + (bounds.Height() - edt->Height()) / 2);
  edt->SetText(ChangeFileExt(jobs_.SubItem(row, TJobSubItem::jsOutputName), ""));
  rename_row_ = row;
  edt->SetVisible(true);
  if (edt->CanFocus()) {
    edt->SetFocus();
    edt->SelectAll();
  }
}

void TForm1::edtExit() {
  if (rename_telling_) return;  // the message about a bad name took the focus
  CommitRename();
}

void TForm1::edtKeyDown(WORD& Key) {
  if (Key == VK_RETURN) {
    Key = 0;
    if (CommitRename()) FocusJobList();
  } else if (Key == VK_ESCAPE) {
    Key = 0;
    CancelRename();
    FocusJobList();
  }
}

bool TForm1::CommitRename() {
  const int row = rename_row_;
  if (row < 0 || row >= jobs_.Count() || conversion_->RowsLocked()) {
    CancelRename();
    return true;
  }
  // A name that cannot be taken is not: the user is told why, and the editor stays on its row.
  const std::string text = edt->Text();
  if (const std::string why = WhyNotAFileName(text); !why.empty()) {
    rename_telling_ = true;
    ShowJobMessage(why);
    rename_telling_ = false;
    if (edt->Visible() && edt->CanFocus()) edt->SetFocus();
    return false;
  }
  const std::string name = text + chain_->OutputExtension();
  const std::string before = jobs_.SubItem(row, TJobSubItem::jsOutputName);
  jobs_.SetSubItem(row, TJobSubItem::jsOutputName,
                   ExtractFileName(chain_->UniqueJobOutput(folder_.Text() + "/" + name, row)));
  if (jobs_.SubItem(row, TJobSubItem::jsOutputName) != before) FollowRowOutput(row);
  CancelRename();
  return true;
}

void TForm1::CancelRename() {
  rename_row_ = -1;
  edt->SetVisible(false);
}

void TForm1::FollowRowOutput(int Row) {
  if (Convexa->Working() || Row < 0 || Row >= jobs_.Count()) return;
  const int task = StrToIntDef(jobs_.SubItem(Row, TJobSubItem::jsTaskNumber), 0) - 1;
  if (task < 0 || task >= Convexa->TasksCount()) return;
  const TJobRow& columns = jobs_.Row(Row);
  TInputOptions input = jobs_.IO1(Row);
  input.FileName = columns.Caption;
  const int fresh = Convexa->AddTask(input.FileName, &input);
  if (fresh < 0) {
    AddLog(kLogCannotOpen + Convexa->LastErrMsg());
    return;
  }
  // The old task goes first, and with it its hold on the file it was to write.
  Convexa->Exchange(task, fresh);
  Convexa->RemoveTask(fresh);
  TOutputOptions output = jobs_.OO1(Row);
  RefreshOutputOptions(columns, output);
  const std::string path = folder_.FileOutPutPath() + "/" + columns[TJobSubItem::jsOutputName];
  output.FileName = path;
  // A refused output is the task's failure when it starts; the log says it now.
  if (!Convexa->SetOutputFile(task, path, &output)) AddLog(kLogCannotConvert + Convexa->LastErrMsg());
}
