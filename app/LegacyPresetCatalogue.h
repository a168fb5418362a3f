#pragma once
// The legacy preset window's catalogue: twelve fixed groups of presets, 109 presets in all.
//
//   legacy preset code = (group index + 1) x 100 + preset index      100 ("AVI") .. 1203
//
// The code keys the window's parameter and option tables and is what it stores in the main
// window's All_Trant_Number. The group list shows the groups in table order (image index = the
// group's position); the preset list shows the selected group's presets, each with its title
// above its one-line description. The tables stand in LegacyPresetCatalogueTable.cpp.

#include <span>
#include <string_view>

constexpr int kLegacyGroupCount = 12;

struct TLegacyPreset {
  int Code;
  std::string_view Title;        // format name and file pattern: "AVI - 音频视频交错格式(*.avi)"
  std::string_view Description;  // the item's caption: one line on the format and its use
  int ImageIndex;                // the item's image index
};

// The group names in group-list order ("常用视频" first).
[[nodiscard]] std::span<const std::string_view> LegacyPresetGroups();

// Every preset in code order, so the presets of one group stand together, index 0 first.
[[nodiscard]] std::span<const TLegacyPreset> LegacyPresets();

// The presets of one group in preset-list order; empty outside 0 .. 11.
[[nodiscard]] std::span<const TLegacyPreset> LegacyPresetsOfGroup(int GroupIndex);

[[nodiscard]] constexpr int MakeLegacyPresetCode(int GroupIndex, int PresetIndex) {
  return (GroupIndex + 1) * 100 + PresetIndex;
}
