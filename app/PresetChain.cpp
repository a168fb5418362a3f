#include "app/PresetChain.h"

#include <exception>
#include <utility>

#include "app/OptionTexts.h"
#include "app/PresetCatalogue.h"
#include "app/PresetParameters.h"
#include "platform/core/SysUtils.h"

namespace {

using enum TOptionKind;
using enum TJobSubItem;

constexpr TOptionKind kAllKinds[] = {okResolution, okVideoBitrate, okFrameRate, okAudioBitrate, okSampleRate, okScalingMode};

// The order in which a row's indexes are put back: the order of the window's components.
constexpr TOptionKind kRestoreOrder[] = {okResolution, okVideoBitrate, okAudioBitrate, okScalingMode, okFrameRate, okSampleRate};

TJobSubItem ValueColumn(TOptionKind Kind) {
  switch (Kind) {
    case okResolution: return jsFrameSize;
    case okVideoBitrate: return jsVideoBitrate;
    case okFrameRate: return jsFrameRate;
    case okAudioBitrate: return jsAudioBitrate;
    case okSampleRate: return jsAudioSampleRate;
    case okScalingMode: return jsFrameAspectRatio;
  }
  return jsFrameSize;
}

}  // namespace

TPresetChain::TPresetChain(IPresetPicker& CategoryList, IPresetPicker& PresetList, const TOptionChoosers& Choosers,
                           TJobList& Jobs, const TOutputFolder& Folder, TPresetChainHooks Hooks)
    : categories_(CategoryList),
      presets_(PresetList),
      choosers_(Choosers),
      jobs_(Jobs),
      folder_(Folder),
      hooks_(std::move(Hooks)) {
  categories_.SetOnChange([this] { FillPresetList(); });
  presets_.SetOnChange([this] { PresetChanged(); });
  for (TOptionKind kind : kAllKinds) choosers_.Of(kind).SetOnChange([this, kind] { ChooserChanged(kind); });
}

TPresetChain::~TPresetChain() {
  categories_.SetOnChange(nullptr);
  presets_.SetOnChange(nullptr);
  for (TOptionKind kind : kAllKinds) choosers_.Of(kind).SetOnChange(nullptr);
}

void TPresetChain::AddCategoryItems(IPresetPicker& CategoryList) {
  for (const TPresetCategory& category : PresetCategories()) CategoryList.AddItem(category.Caption, category.PresetGroup);
}

std::optional<int> TPresetChain::SelectedPresetCode() const {
  const std::optional<int> group = PresetGroupOfCategory(categories_.ItemIndex());
  if (!group) return std::nullopt;
  return MakePresetCode(*group, presets_.ItemIndex());
}

void TPresetChain::FocusJobList() const {
  if (hooks_.FocusJobList) hooks_.FocusJobList();
}

// ---- Category and preset lists -----------------------------------------------------------------

void TPresetChain::FillPresetList() {
  presets_.ClearItems();
  const std::optional<int> group = PresetGroupOfCategory(categories_.ItemIndex());
  if (!group) return;
  int index = 0;
  for (std::string_view name : PresetNamesOfGroup(*group)) presets_.AddItem(name, index++ % 2);
  presets_.SetItemIndex(0);
}

void TPresetChain::PresetChanged() {
  FillOptionLists();
  if (restoring_) return;
  if (ApplyPresetToRows(RowsToRewrite())) FocusJobList();
}

bool TPresetChain::ApplyPresetToRows(const std::vector<int>& Rows) {
  const std::string ext = OutputExtension();
  if (ext.empty() || Rows.empty()) return false;
  ApplyPresetParametersTo(Rows);
  ReadChoosers();
  for (int row : Rows) RewriteRowForPreset(row, ext);
  return true;
}

void TPresetChain::RewriteRowForPreset(int Row, const std::string& Ext) {
  // The preset's parameters wrote their own values into the value columns, and a chooser whose
  // text did not change while the lists were refilled never told the row its new index: the row
  // takes what the choosers now show.
  WriteChooserValuesToRow(Row);
  const std::string name = ExtractFileName(jobs_.SubItem(Row, jsOutputName));
  std::string renamed = ChangeFileExt(name, Ext);
  if (renamed != name) renamed = ExtractFileName(UniqueJobOutput(folder_.Text() + "/" + renamed, Row));
  jobs_.SetSubItem(Row, jsOutputName, renamed);
  jobs_.SetSubItem(Row, jsCategoryCode, std::to_string(CategoryCode()));
  if (renamed != name && hooks_.OutputRenamed) hooks_.OutputRenamed(Row);
}

std::vector<int> TPresetChain::RowsToRewrite() const {
  std::vector<int> rows;
  if (hooks_.SelectedRows) {
    for (int row : hooks_.SelectedRows())
      if (row >= 0 && row < jobs_.Count()) rows.push_back(row);
  } else if (jobs_.ItemIndex() >= 0) {
    rows.push_back(jobs_.ItemIndex());
  }
  return rows;
}

void TPresetChain::FillOptionLists() {
  const std::optional<int> code = SelectedPresetCode();
  if (code) {
    fields_.All_Trant_Number = *code + 100;
    fields_.Video_DisableVideo = false;
  }
  FillOptionChoosers(choosers_, code.value_or(-1));
}

std::string TPresetChain::OutputExtension() const {
  const std::optional<int> code = SelectedPresetCode();
  if (!code) return std::string();
  const std::optional<std::string_view> name = PresetNameOfCode(*code);
  return name ? OutputExtensionOfName(*name) : std::string();
}

int TPresetChain::CategoryCode() const { return MakeCategoryCode(categories_.ItemIndex(), presets_.ItemIndex()); }

// ---- Preset parameters -------------------------------------------------------------------------

void TPresetChain::ApplyPresetParameters(TRowUpdate Update) {
  ApplyPresetParametersTo(Update == TRowUpdate::ruSelectedRow ? RowsToRewrite() : std::vector<int>{});
}

void TPresetChain::ApplyPresetParametersTo(const std::vector<int>& Rows) {
  fields_.Reset();
  const std::optional<int> code = SelectedPresetCode();
  if (!code) return;
  fields_.All_Trant_Number = *code + 100;
  fields_.Video_DisableVideo = false;
  const std::optional<TPresetParameters> parameters = FindPresetParameters(*code);
  if (!parameters) return;
  SetPresetFields(*parameters, fields_);
  fields_.Video_OutPutFileName = UniqueJobOutput(OutputPathFor(folder_.Text(), fields_.Video_AddFileName, parameters->Ext), -1);
  for (int row : Rows) WriteParameterColumns(row);
}

void TPresetChain::WriteParameterColumns(int Row) {
  jobs_.SetSubItem(Row, jsVideoCodec, fields_.Video_VideoCodec);
  jobs_.SetSubItem(Row, jsAudioCodec, fields_.Video_AudioCodec);
  jobs_.SetSubItem(Row, jsAudioChannels, fields_.Video_AudioChannels);
  jobs_.SetSubItem(Row, jsVideoTag, fields_.Video_VideoTag);
  jobs_.SetSubItem(Row, jsFileExt, fields_.Video_FileExt);
  for (TOptionKind kind : kAllKinds) jobs_.SetSubItem(Row, ValueColumn(kind), FieldText(kind));
  jobs_.SetSubItem(Row, jsDisableVideo, fields_.Video_DisableVideo ? "True" : "False");
  jobs_.SetSubItem(Row, jsTargetType, fields_.Video_TargetType);
  jobs_.SetSubItem(Row, jsNormType, fields_.Video_NormType);
}

std::string TPresetChain::UniqueJobOutput(const std::string& Path, int ExceptRow) const {
  const bool overwrite = hooks_.OverwriteOutput && hooks_.OverwriteOutput();
  const auto takenByJob = [this, ExceptRow](const std::string& Candidate) {
    const std::string name = ExtractFileName(Candidate);
    for (int row = 0; row < jobs_.Count(); ++row)
      if (row != ExceptRow && jobs_.SubItem(row, jsOutputName) == name) return true;
    return false;
  };
  return UniqueOutputPath(Path, overwrite ? TExistingOutput::eoOverwrite : TExistingOutput::eoKeepAside, takenByJob);
}

TOutputOptions TPresetChain::OutputOptionsForNewJob(const std::string& InputFile) {
  fields_.Video_AddFileName = InputFile;
  ApplyPresetParameters(TRowUpdate::ruNoRow);
  ReadChoosers();
  TOutputOptions options;
  InitOutputOptions(options);
  fields_.ApplyTo(options);
  return options;
}

// ---- Option choosers ---------------------------------------------------------------------------

void TPresetChain::ReadChooser(TOptionKind Kind) { ReadOptionText(Kind, choosers_.Of(Kind).Text(), fields_); }

std::string TPresetChain::FieldText(TOptionKind Kind) const {
  switch (Kind) {
    case okResolution: return fields_.Video_FrameSize;
    case okVideoBitrate: return std::to_string(fields_.Video_VideoBitrate);
    case okFrameRate: return fields_.Video_FrameRate;
    case okAudioBitrate: return std::to_string(fields_.Video_AudioBitrate);
    case okSampleRate: return fields_.Video_AudioSampleRate;
    case okScalingMode: return fields_.Video_FrameAspectRatio;
  }
  return std::string();
}

void TPresetChain::ReadChoosers() { ReadOptionChoosers(choosers_, fields_); }

void TPresetChain::ChooserChanged(TOptionKind Kind) {
  if (restoring_) return;
  const std::vector<int> rows = RowsToRewrite();
  if (rows.empty()) return;
  ReadChooser(Kind);
  for (int row : rows) {
    jobs_.SetSubItem(row, jsOptionCode,
                     ReplaceOptionCodePair(jobs_.SubItem(row, jsOptionCode), Kind, choosers_.Of(Kind).ItemIndex()));
    jobs_.SetSubItem(row, ValueColumn(Kind), FieldText(Kind));
  }
  FocusJobList();
}

void TPresetChain::WriteChooserValuesToRow(int Row) {
  jobs_.SetSubItem(Row, jsOptionCode, OptionCode());
  for (TOptionKind kind : kAllKinds) jobs_.SetSubItem(Row, ValueColumn(kind), FieldText(kind));
}

std::string TPresetChain::OptionCode() const {
  std::array<int, kOptionKindCount> indexes{};
  for (TOptionKind kind : kAllKinds) indexes[static_cast<int>(kind)] = choosers_.Of(kind).ItemIndex();
  return MakeOptionCode(indexes);
}

// ---- Row selection -----------------------------------------------------------------------------

void TPresetChain::RowSelected() {
  try {
    const int row = jobs_.ItemIndex();
    if (row < 0) return;
    const std::optional<TCatalogueChoice> choice = SplitCategoryCode(jobs_.SubItem(row, jsCategoryCode));
    const std::optional<std::array<int, kOptionKindCount>> indexes = SplitOptionCode(jobs_.SubItem(row, jsOptionCode));
    if (!choice || !indexes) return;
    const std::string inputFile = jobs_.Row(row).Caption;

    // The controls are set to the row's choice first, and the changes their writes raise leave
    // the row alone: the category's write selects its first preset on the way, whose name and
    // settings are not the row's. Then the row is written once for what the controls show, so
    // a stored choice the lists no longer hold is replaced by the one shown.
    {
      restoring_ = true;
      struct TRestored {
        bool& Flag;
        ~TRestored() { Flag = false; }
      } restored{restoring_};
      categories_.SetItemIndex(choice->CategoryIndex);
      presets_.SetItemIndex(choice->PresetIndex);
      for (TOptionKind kind : kRestoreOrder) {
        IOptionChooser& chooser = choosers_.Of(kind);
        const int index = (*indexes)[static_cast<int>(kind)];
        if (index < chooser.ItemCount()) chooser.SetItemIndex(index);
      }
    }
    if (ApplyPresetToRows({row})) FocusJobList();
    if (hooks_.PreviewRow) hooks_.PreviewRow(inputFile);
  } catch (const std::exception&) {
    // Whatever was done stays; a failed selection tells the user nothing.
  }
}
