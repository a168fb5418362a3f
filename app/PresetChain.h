#pragma once
// The preset chain of the main window: the category list, the preset list and the six option
// choosers, the current-preset fields they set, and the selected job row they rewrite.
//
//   category change ─> preset list refilled, first preset selected
//     └─> preset change ─> option lists refilled (choosers raise their changes)
//           └─> with selected rows: preset parameters, chooser values, output extension and
//               category code written into each of them
//   chooser change ─> each selected row's OptionCode pair, value column and current-preset field
//   row selection ─> category, preset and the six chooser indexes put back from the row (the
//                    changes this raises only refill the lists), then the row written once for
//                    what they show
//
// Each operation stands for one operation of the main window, named beside it. The window owns
// the controls, the job list, the output folder and this chain; the chain binds itself to the
// controls' change events while it lives. Everything runs on the GUI thread, the controls'
// events synchronously inside the calls that raise them.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/CurrentPreset.h"
#include "app/JobList.h"
#include "app/OptionLists.h"
#include "app/OutputFolder.h"
#include "app/PresetControls.h"

// What the chain needs of the rest of the window. Unset hooks do nothing (and nothing is
// overwritten).
struct TPresetChainHooks {
  // Whether existing output files are overwritten ("直接覆盖输出文件" of the options window).
  std::function<bool()> OverwriteOutput;
  // Gives the keyboard focus to the job list.
  std::function<void()> FocusJobList;
  // Shows a just-selected row's input file in the preview: the position slider to 0,
  // T_Movie_PLayer_FileName to the file, the file opened.
  std::function<void(const std::string& InputFile)> PreviewRow;
  // A row's output name was changed by a preset change: the job's task writes the new name.
  std::function<void(int Row)> OutputRenamed;
  // The rows a choice applies to (several when the list has several selected). Unset: the job
  // list's selected row.
  std::function<std::vector<int>()> SelectedRows;
};

// Whether applying a preset's parameters also rewrites the selected row's setting columns.
enum class TRowUpdate { ruSelectedRow, ruNoRow };

class TPresetChain {
 public:
  TPresetChain(IPresetPicker& CategoryList, IPresetPicker& PresetList, const TOptionChoosers& Choosers,
               TJobList& Jobs, const TOutputFolder& Folder, TPresetChainHooks Hooks);
  ~TPresetChain();
  TPresetChain(const TPresetChain&) = delete;
  TPresetChain& operator=(const TPresetChain&) = delete;

  // The current-preset fields (public fields of the main window).
  [[nodiscard]] TCurrentPreset& Fields() { return fields_; }
  [[nodiscard]] const TCurrentPreset& Fields() const { return fields_; }

  // The twelve category items (caption, image index = group), as the window's form data holds
  // them.
  static void AddCategoryItems(IPresetPicker& CategoryList);

  // Button2Click, and the category list's change (vlSkinOfficeComboBox2Change): refills the
  // preset list with the category's names (image index = preset index mod 2) and selects preset
  // 0, which runs the preset change. A category index outside the table leaves the list empty.
  void FillPresetList();

  // vlSkinOfficeComboBox1Change: the option lists are refilled; with selected rows, the preset's
  // parameters, the choosers' values, the output extension and the CategoryCode are written into
  // each, and the job list gets the focus. Afterwards the rows' OptionCode and value columns are
  // what the choosers show. While a row's choice is being put back, only the lists are refilled.
  void PresetChanged();

  // Button18Click: All_Trant_Number := preset code + 100, no video disabled, and the six choosers
  // refilled for the preset (FillOptionChoosers).
  void FillOptionLists();

  // Button5Click: resets the fields, sets the preset's parameters and the output path of
  // Video_AddFileName in the output folder (made unique unless outputs are overwritten), and
  // with ruSelectedRow writes the selected rows' setting columns (codecs to no-video, target and
  // norm). A code without parameters leaves the fields reset.
  void ApplyPresetParameters(TRowUpdate Update);

  // Button6Click.
  void ResetFields() { fields_.Reset(); }

  // Button13Click: the six fields from the texts the choosers show; touches no row.
  void ReadChoosers();

  // vlSkinComboBox1Change ... vlSkinComboBox10Change: the chooser's field and, for each selected
  // row, its OptionCode pair and value column; no row without a selection.
  void ChooserChanged(TOptionKind Kind);

  // lvFilesSelectItem: puts the selected row's category, preset and chooser indexes back, writes
  // the row once for what they then show (as a preset change would) and previews its file. The
  // changes the controls' writes raise on the way rewrite no row, so a row keeps its name. A row whose codes do not read ends it before any control changes; a stored index that
  // names no item of the refilled chooser is skipped, so every chooser keeps a selection. Errors
  // end it silently.
  void RowSelected();

  // What a new job's row and output are built from.
  [[nodiscard]] int CategoryCode() const;
  [[nodiscard]] std::string OptionCode() const;
  // The extension of the selected preset's name (".mpg"); empty without a selected preset.
  [[nodiscard]] std::string OutputExtension() const;

  // Path made unique as a job's output (UniqueOutputPath): against the output names of the rows
  // other than ExceptRow (the row the name is for; -1 for a new job), which all go into the one
  // output folder, and, unless outputs are overwritten, against the files on the disk.
  [[nodiscard]] std::string UniqueJobOutput(const std::string& Path, int ExceptRow) const;

  // The output options of a file being added: Video_AddFileName := InputFile, the preset applied
  // without touching any row, the choosers read, the fields translated into freshly initialised
  // options. The output path is then Fields().Video_OutPutFileName.
  [[nodiscard]] TOutputOptions OutputOptionsForNewJob(const std::string& InputFile);

 private:
  [[nodiscard]] std::optional<int> SelectedPresetCode() const;
  void ReadChooser(TOptionKind Kind);
  [[nodiscard]] std::string FieldText(TOptionKind Kind) const;
  void WriteChooserValuesToRow(int Row);
  void WriteParameterColumns(int Row);
  void FocusJobList() const;
  [[nodiscard]] std::vector<int> RowsToRewrite() const;
  void ApplyPresetParametersTo(const std::vector<int>& Rows);
  // The selected preset written into Rows; false when there is nothing to write.
  bool ApplyPresetToRows(const std::vector<int>& Rows);
  void RewriteRowForPreset(int Row, const std::string& Ext);

  IPresetPicker& categories_;
  IPresetPicker& presets_;
  TOptionChoosers choosers_;
  TJobList& jobs_;
  const TOutputFolder& folder_;
  TPresetChainHooks hooks_;
  TCurrentPreset fields_;
  bool restoring_ = false;  // a row's choice is being put back into the controls
};
