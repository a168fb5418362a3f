#pragma once
// The legacy preset window's model: its group list, preset list and six option lists, and what
// its handlers write into the main window's current-preset fields. The window is created at
// start-up after the main window and never shown; its creation still runs the start-up chain:
//
//   form load      group list: the twelve groups, item 0 selected, before any handler is bound
//   FormCreate ─> FillPresetList: preset list refilled for the group, item 0 selected
//                   └─> (the preset list's click) FillOptionLists: All_Trant_Number := code,
//                       Video_DisableVideo := False, the six lists refilled with their defaults
//   group change ─> FillPresetList, and on as above
//   OK ─────────> ApplyParameters, then ReadOptionLists (so the lists have the last word on
//                 size, rates, bit rates and aspect); the window then closes
//   Cancel ─────> the window closes; nothing is written
//
// It reads the main window's Video_AddFileName and output folder and the options window's
// overwrite choice, writes only the main window's current-preset fields, and keeps no state of
// its own beyond its controls. Each operation stands for one handler of the window, named beside
// it. The model binds itself to the two lists' change events while it lives. Everything runs on
// the GUI thread, the controls' events synchronously inside the calls that raise them.

#include <functional>

#include "app/CurrentPreset.h"
#include "app/OptionLists.h"
#include "app/OutputFolder.h"
#include "app/PresetControls.h"

struct TLegacyPresetHooks {
  // Whether existing output files are overwritten ("直接覆盖输出文件" of the options window);
  // unset means they are not.
  std::function<bool()> OverwriteOutput;
};

class TLegacyPresetModel {
 public:
  // MainFields and OutputFolder belong to the main window and outlive the model. The preset
  // list's selection runs FillOptionLists through its OnChange, which an office combo box raises
  // together with its OnClick on every ItemIndex write.
  TLegacyPresetModel(IPresetPicker& GroupList, ITitledPresetPicker& PresetList, const TOptionChoosers& OptionLists,
                     TCurrentPreset& MainFields, const TOutputFolder& OutputFolder, TLegacyPresetHooks Hooks);
  ~TLegacyPresetModel();
  TLegacyPresetModel(const TLegacyPresetModel&) = delete;
  TLegacyPresetModel& operator=(const TLegacyPresetModel&) = delete;

  // The group list's form data: the twelve groups (caption, image index = position), item 0
  // selected. Called as the form loads, before the model binds the list, so no handler runs.
  static void LoadGroupList(IPresetPicker& GroupList);

  // FormCreate: the start-up chain, which leaves All_Trant_Number 100 and no video disabled.
  void FormCreate() { FillPresetList(); }

  // Button2Click, and the group list's change (vlSkinOfficeComboBox2Change): the preset list
  // refilled with the group's presets (title, description, image index), then preset 0 selected,
  // which runs FillOptionLists. A group index outside the table leaves the list empty.
  void FillPresetList();

  // Button18Click, run by the preset list's click (vlSkinOfficeComboBox1Click): All_Trant_Number
  // := the selected code, Video_DisableVideo := False, and the six lists refilled for the code:
  // its items, its default selections, the four video lists disabled for a preset without video.
  void FillOptionLists();

  // Button5Click: All_Trant_Number := the code and Video_DisableVideo := False; with a row for
  // the code, Video_OutPutFileName := output folder + "/" + the input's name with the row's
  // extension, and the row's fields written. Then, for every code, the output name is put in the
  // output folder and, when a file of that name exists and outputs are not overwritten,
  // numbered: "movie_1.avi", else "movie_2.avi", and so on.
  void ApplyParameters();

  // Button13Click: the six fields from the texts the lists show ("4.75 kbps" gives 4750).
  void ReadOptionLists();

  // Button6Click: the legacy reset of the current-preset fields (ResetLegacyFields).
  void ResetFields();

  // vlSkinButton2Click before the window closes: ApplyParameters, then ReadOptionLists.
  void Accept();

  // (group list index + 1) x 100 + preset list index.
  [[nodiscard]] int SelectedCode() const;

 private:
  IPresetPicker& groups_;
  ITitledPresetPicker& presets_;
  TOptionChoosers lists_;
  TCurrentPreset& fields_;
  const TOutputFolder& folder_;
  TLegacyPresetHooks hooks_;
};
