#pragma once
// Helpers the file-system controls share. GUI thread only.

#include <memory>
#include <string>

#include "platform/core/Types.h"

class TBitmap;
class TCanvas;

namespace vl_file_ctrl {

// Path made absolute-looking and tidy: "." and ".." resolved by name, no trailing "/" (but "/").
[[nodiscard]] std::string NormalFolder(const std::string& Path);
// The mount folder of the user-visible mount holding Folder; empty when Folder is not absolute.
[[nodiscard]] std::string MountOf(const std::string& Folder);
// Raises EInOutError when Folder is no existing folder.
void RequireFolder(const std::string& Folder);
// The program's bitmap resource Name, drawn with its bottom-left colour transparent; nullptr
// when the program has none.
[[nodiscard]] std::unique_ptr<TBitmap> LoadPicture(const char* Name);
// Picture at X, centred vertically in R (nothing without a picture).
void DrawPicture(TCanvas* Canvas, TBitmap* Picture, int X, const TRect& R);

}  // namespace vl_file_ctrl
