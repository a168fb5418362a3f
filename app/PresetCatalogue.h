#pragma once
// The preset catalogue: twelve categories, each one group of presets, 113 presets in all.
//
//   PresetCode   = group x 100 + preset index       keys the parameter and option-list tables
//   CategoryCode = category index x 100 + preset index + 100    kept in each job row
//
// The category list shows the categories in table order; the preset list shows the names of the
// chosen category's group, index 0 first. The tables stand in PresetCatalogueTable.cpp.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

constexpr int kPresetCategoryCount = 12;

struct TPresetCategory {
  std::string_view Caption;  // "MPG视频", ...
  int PresetGroup;           // also the category item's image index
};

struct TPresetName {
  int PresetCode;
  std::string_view Name;  // ends with the output extension: "MPG标准视频(*.mpg)"
};

// The tables, in category-list order (names: grouped by category, preset-index order inside).
[[nodiscard]] std::span<const TPresetCategory> PresetCategories();
[[nodiscard]] std::span<const TPresetName> PresetNames();

// The group of a category index; nothing outside 0 .. 11.
[[nodiscard]] std::optional<int> PresetGroupOfCategory(int CategoryIndex);

// The preset names of one group in preset-index order; empty for a group that has none.
[[nodiscard]] std::vector<std::string_view> PresetNamesOfGroup(int PresetGroup);

// The name of a preset code; nothing when the catalogue has no such preset.
[[nodiscard]] std::optional<std::string_view> PresetNameOfCode(int PresetCode);

[[nodiscard]] constexpr int MakePresetCode(int PresetGroup, int PresetIndex) {
  return PresetGroup * 100 + PresetIndex;
}

[[nodiscard]] constexpr int MakeCategoryCode(int CategoryIndex, int PresetIndex) {
  return CategoryIndex * 100 + PresetIndex + 100;
}

struct TCatalogueChoice {
  int CategoryIndex;
  int PresetIndex;
};

// Splits a job row's CategoryCode text: the quotient by 100, less one, is the category index and
// the remainder the preset index. Nothing when the text is not plain decimal digits or does not
// name a preset of the catalogue.
[[nodiscard]] std::optional<TCatalogueChoice> SplitCategoryCode(std::string_view Text);

// The output extension a preset's name ends with: "FLAC-音频格式(*.flac)" gives ".flac". Empty
// when the name does not end with "(*.ext)".
[[nodiscard]] std::string OutputExtensionOfName(std::string_view PresetName);
