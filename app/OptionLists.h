#pragma once
// The option lists of the presets: the six option choosers offer fixed texts only, each an item
// of a template, and every preset names, for each chooser, a template and the item selected by
// default. A job row remembers the chosen item indexes, so the order of a template's items is
// part of the rows' meaning. Tables: OptionListTable.cpp (the main window's 46 templates) and
// LegacyOptionListTable.cpp (the legacy preset window's own 50).

#include <array>
#include <span>
#include <string_view>

#include "app/PresetControls.h"

// The six choosers, in the order the lists are filled.
enum class TOptionKind { okResolution, okVideoBitrate, okFrameRate, okAudioBitrate, okSampleRate, okScalingMode };
constexpr int kOptionKindCount = 6;

// Whether the lists stay enabled after filling: lsDisabled marks a preset without video (the four
// video lists, resolution, video bit rate, frame rate and scaling mode, are disabled); lsLocked a
// disc preset, whose norm fixes every value: all six lists show it and are disabled.
enum class TVideoListState { lsEnabled, lsDisabled, lsLocked };

struct TOptionTemplate {
  std::string_view Label;  // "R1", "VB6", "AB3", ...
  TOptionKind Kind;
  std::span<const std::string_view> Items;
};

struct TOptionChoice {
  std::string_view Template;  // a template label of the list's kind
  int Default;                // the item selected when the list is filled
};

struct TOptionEntry {
  int PresetCode;
  std::array<TOptionChoice, kOptionKindCount> Lists;  // indexed by TOptionKind
  TVideoListState VideoLists;
};

[[nodiscard]] std::span<const TOptionTemplate> OptionTemplates();
// The one-item lists of the disc presets (PAL): what a DVD, SVCD or VCD of that norm holds. Both
// sets of tables name them ("R-DVD", "VB-VCD", "FR-PAL", ...).
[[nodiscard]] std::span<const TOptionTemplate> DiscOptionTemplates();
[[nodiscard]] std::span<const TOptionEntry> OptionEntries();

// One set of option tables: templates and the entries that name them by label. The main window
// has one set (OptionTemplates, OptionEntries), the legacy preset window another.
struct TOptionTables {
  std::span<const TOptionTemplate> Templates;
  std::span<const TOptionEntry> Entries;

  [[nodiscard]] const TOptionTemplate* FindTemplate(std::string_view Label) const;
  [[nodiscard]] const TOptionEntry* FindEntry(int PresetCode) const;
};

// The main window's set.
[[nodiscard]] TOptionTables MainOptionTables();

[[nodiscard]] const TOptionTemplate* FindOptionTemplate(std::string_view Label);
[[nodiscard]] const TOptionEntry* FindOptionEntry(int PresetCode);

// The six choosers of the main window, one per kind.
struct TOptionChoosers {
  IOptionChooser& Resolution;    // vlSkinComboBox1
  IOptionChooser& VideoBitrate;  // vlSkinComboBox2
  IOptionChooser& AudioBitrate;  // vlSkinComboBox3
  IOptionChooser& ScalingMode;   // vlSkinComboBox4
  IOptionChooser& FrameRate;     // vlSkinComboBox9
  IOptionChooser& SampleRate;    // vlSkinComboBox10

  [[nodiscard]] IOptionChooser& Of(TOptionKind Kind) const;
};

// Refills the six choosers for a preset code of the tables:
//   1. empties them (resolution, video bit rate, audio bit rate, scaling mode, frame rate, sample
//      rate) and enables them in that order; their shown texts stay;
//   2. without an entry for the code, stops: the lists stay empty and enabled;
//   3. fills each list in fill order and selects its default before the next list gets its
//      first item, so a chooser whose shown text changes runs its change handler while the later
//      lists are still empty;
//   4. for a preset without video, disables the resolution, video bit rate, scaling mode and
//      frame rate lists, each keeping its single item selected; for a disc preset, all six.
void FillOptionChoosers(const TOptionChoosers& Choosers, const TOptionTables& Tables, int PresetCode);

// The same with the main window's tables.
void FillOptionChoosers(const TOptionChoosers& Choosers, int PresetCode);
