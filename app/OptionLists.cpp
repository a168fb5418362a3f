#include "app/OptionLists.h"

#include <algorithm>

namespace {

using enum TOptionKind;

// The order in which the choosers are emptied and enabled, and the order in which a preset
// without video disables its video lists: the order of the window's own components.
constexpr TOptionKind kComponentOrder[] = {okResolution, okVideoBitrate, okAudioBitrate,
                                           okScalingMode, okFrameRate, okSampleRate};
constexpr TOptionKind kVideoLists[] = {okResolution, okVideoBitrate, okScalingMode, okFrameRate};
constexpr TOptionKind kFillOrder[] = {okResolution, okVideoBitrate, okFrameRate,
                                      okAudioBitrate, okSampleRate, okScalingMode};

}  // namespace

const TOptionTemplate* TOptionTables::FindTemplate(std::string_view Label) const {
  const auto labelled = [Label](const TOptionTemplate& t) { return t.Label == Label; };
  if (const auto found = std::find_if(Templates.begin(), Templates.end(), labelled); found != Templates.end())
    return &*found;
  const std::span<const TOptionTemplate> disc = DiscOptionTemplates();
  const auto found = std::find_if(disc.begin(), disc.end(), labelled);
  return found == disc.end() ? nullptr : &*found;
}

const TOptionEntry* TOptionTables::FindEntry(int PresetCode) const {
  const auto found = std::find_if(Entries.begin(), Entries.end(),
                                  [PresetCode](const TOptionEntry& e) { return e.PresetCode == PresetCode; });
  return found == Entries.end() ? nullptr : &*found;
}

TOptionTables MainOptionTables() { return {OptionTemplates(), OptionEntries()}; }

const TOptionTemplate* FindOptionTemplate(std::string_view Label) { return MainOptionTables().FindTemplate(Label); }

const TOptionEntry* FindOptionEntry(int PresetCode) { return MainOptionTables().FindEntry(PresetCode); }

IOptionChooser& TOptionChoosers::Of(TOptionKind Kind) const {
  switch (Kind) {
    case okResolution: return Resolution;
    case okVideoBitrate: return VideoBitrate;
    case okFrameRate: return FrameRate;
    case okAudioBitrate: return AudioBitrate;
    case okSampleRate: return SampleRate;
    case okScalingMode: return ScalingMode;
  }
  return Resolution;
}

void FillOptionChoosers(const TOptionChoosers& Choosers, int PresetCode) {
  FillOptionChoosers(Choosers, MainOptionTables(), PresetCode);
}

void FillOptionChoosers(const TOptionChoosers& Choosers, const TOptionTables& Tables, int PresetCode) {
  for (TOptionKind kind : kComponentOrder) Choosers.Of(kind).ClearItems();
  for (TOptionKind kind : kComponentOrder) Choosers.Of(kind).SetEnabled(true);

  const TOptionEntry* entry = Tables.FindEntry(PresetCode);
  if (!entry) return;
  for (TOptionKind kind : kFillOrder) {
    const TOptionChoice& choice = entry->Lists[static_cast<int>(kind)];
    const TOptionTemplate* list = Tables.FindTemplate(choice.Template);
    if (!list) continue;  // the table's labels are checked by the tests; never in practice
    IOptionChooser& chooser = Choosers.Of(kind);
    for (std::string_view text : list->Items) chooser.AddItem(text);
    chooser.SetItemIndex(choice.Default);
  }
  if (entry->VideoLists == TVideoListState::lsDisabled)
    for (TOptionKind kind : kVideoLists) Choosers.Of(kind).SetEnabled(false);
  if (entry->VideoLists == TVideoListState::lsLocked)
    for (TOptionKind kind : kComponentOrder) Choosers.Of(kind).SetEnabled(false);
}
