#include "app/PresetCatalogue.h"

#include <algorithm>

std::optional<int> PresetGroupOfCategory(int CategoryIndex) {
  const auto categories = PresetCategories();
  if (CategoryIndex < 0 || CategoryIndex >= static_cast<int>(categories.size())) return std::nullopt;
  return categories[CategoryIndex].PresetGroup;
}

std::vector<std::string_view> PresetNamesOfGroup(int PresetGroup) {
  std::vector<std::string_view> names;
  for (const TPresetName& preset : PresetNames())
    if (preset.PresetCode / 100 == PresetGroup) names.push_back(preset.Name);
  return names;
}

std::optional<std::string_view> PresetNameOfCode(int PresetCode) {
  const auto names = PresetNames();
  const auto found = std::find_if(names.begin(), names.end(),
                                  [PresetCode](const TPresetName& preset) { return preset.PresetCode == PresetCode; });
  if (found == names.end()) return std::nullopt;
  return found->Name;
}

std::optional<TCatalogueChoice> SplitCategoryCode(std::string_view Text) {
  // At most four digits: the largest code is 1215; more digits could only overflow.
  if (Text.empty() || Text.size() > 4 || !std::all_of(Text.begin(), Text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  int code = 0;
  for (char c : Text) code = code * 10 + (c - '0');
  const TCatalogueChoice choice{code / 100 - 1, code % 100};
  const std::optional<int> group = PresetGroupOfCategory(choice.CategoryIndex);
  if (!group || !PresetNameOfCode(MakePresetCode(*group, choice.PresetIndex))) return std::nullopt;
  return choice;
}

std::string OutputExtensionOfName(std::string_view PresetName) {
  const std::size_t open = PresetName.rfind("(*.");
  if (open == std::string_view::npos || PresetName.back() != ')') return std::string();
  const std::string_view letters = PresetName.substr(open + 3, PresetName.size() - open - 4);
  return "." + std::string(letters);
}
