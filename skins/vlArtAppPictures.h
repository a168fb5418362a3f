#pragma once
// The main window's own pictures, drawn in code: the icons of the output categories and of the
// preset list, the cover shown over the empty job list, and the picture of the empty preview.

#include <vector>

#include "skins/vlArtCanvas.h"

namespace vlart {

// The preset groups the category list offers, in the list's order; a category's icon is kept
// under its group (the list's image index is the group).
[[nodiscard]] const std::vector<int>& CategoryGroups();
// The icon of a preset group, 32 x 32; an empty canvas for a group the category list lacks.
[[nodiscard]] TvlArtCanvas DrawCategoryIcon(int PresetGroup);
// The two icons that alternate down the preset list (Index 0 or 1), 32 x 32.
[[nodiscard]] TvlArtCanvas DrawPresetIcon(int Index);

// The cover over the empty job list, W x H, opaque.
[[nodiscard]] TvlArtCanvas DrawCoverPicture(int W, int H);
// The picture in the middle of the black preview area while no file is shown, opaque.
[[nodiscard]] TvlArtCanvas DrawPreviewIdlePicture();

}  // namespace vlart
