#include "app/LegacyPresetModel.h"

#include <string>
#include <utility>

#include "app/LegacyOptionLists.h"
#include "app/LegacyPresetCatalogue.h"
#include "app/LegacyPresetParameters.h"
#include "app/OptionTexts.h"
#include "platform/core/SysUtils.h"

TLegacyPresetModel::TLegacyPresetModel(IPresetPicker& GroupList, ITitledPresetPicker& PresetList,
                                       const TOptionChoosers& OptionLists, TCurrentPreset& MainFields,
                                       const TOutputFolder& OutputFolder, TLegacyPresetHooks Hooks)
    : groups_(GroupList),
      presets_(PresetList),
      lists_(OptionLists),
      fields_(MainFields),
      folder_(OutputFolder),
      hooks_(std::move(Hooks)) {
  groups_.SetOnChange([this] { FillPresetList(); });
  presets_.SetOnChange([this] { FillOptionLists(); });
}

TLegacyPresetModel::~TLegacyPresetModel() {
  groups_.SetOnChange(nullptr);
  presets_.SetOnChange(nullptr);
}

void TLegacyPresetModel::LoadGroupList(IPresetPicker& GroupList) {
  int index = 0;
  for (std::string_view group : LegacyPresetGroups()) GroupList.AddItem(group, index++);
  GroupList.SetItemIndex(0);
}

int TLegacyPresetModel::SelectedCode() const { return MakeLegacyPresetCode(groups_.ItemIndex(), presets_.ItemIndex()); }

void TLegacyPresetModel::FillPresetList() {
  presets_.ClearItems();
  for (const TLegacyPreset& preset : LegacyPresetsOfGroup(groups_.ItemIndex()))
    presets_.AddTitledItem(preset.Title, preset.Description, preset.ImageIndex);
  presets_.SetItemIndex(0);
}

void TLegacyPresetModel::FillOptionLists() {
  const int code = SelectedCode();
  fields_.All_Trant_Number = code;
  fields_.Video_DisableVideo = false;
  FillOptionChoosers(lists_, LegacyOptionTables(), code);
}

void TLegacyPresetModel::ApplyParameters() {
  const int code = SelectedCode();
  fields_.All_Trant_Number = code;
  fields_.Video_DisableVideo = false;
  if (const TLegacyParameterRow* row = FindLegacyParameterRow(code)) {
    fields_.Video_OutPutFileName = OutputPathFor(folder_.Text(), fields_.Video_AddFileName, row->NameExt);
    WriteLegacyParameters(*row, fields_);
  }
  const bool overwrite = hooks_.OverwriteOutput && hooks_.OverwriteOutput();
  fields_.Video_OutPutFileName = UniqueOutputPath(folder_.Text() + "/" + ExtractFileName(fields_.Video_OutPutFileName),
                                                  overwrite ? TExistingOutput::eoOverwrite : TExistingOutput::eoKeepAside);
}

void TLegacyPresetModel::ReadOptionLists() { ReadOptionChoosers(lists_, fields_); }

void TLegacyPresetModel::ResetFields() { ResetLegacyFields(fields_); }

void TLegacyPresetModel::Accept() {
  ApplyParameters();
  ReadOptionLists();
}
