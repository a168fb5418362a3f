#include "app/LegacyPresetCatalogue.h"

#include <algorithm>

std::span<const TLegacyPreset> LegacyPresetsOfGroup(int GroupIndex) {
  if (GroupIndex < 0 || GroupIndex >= kLegacyGroupCount) return {};
  const auto presets = LegacyPresets();
  const auto inGroup = [GroupIndex](const TLegacyPreset& preset) { return preset.Code / 100 == GroupIndex + 1; };
  const auto first = std::find_if(presets.begin(), presets.end(), inGroup);
  const auto last = std::find_if_not(first, presets.end(), inGroup);
  return {first, last};
}
