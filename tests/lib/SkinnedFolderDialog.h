#pragma once
// The folder picker as the converter shows it ("选择输出目录", the Chinese interface texts, opened
// at a folder two levels below a removable disk of the temporary shell tree), drawn headless and
// compared with an expected picture.

#include <filesystem>
#include <string>

#include "SkinnedTestForm.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/dialogs/vlSkinSelectDirectoryDialog.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "tests/ShellTestTree.h"

namespace skinned_folder_dialog {

// The Chinese interface texts of the converter's skins, as far as the folder picker uses them.
inline const char* const kChineseTexts[] = {
    "MSG_BTN_OK=确定",
    "MSG_BTN_CANCEL=取消",
    "MSG_BTN_NEWFOLDER_HINT=新建文件夹",
    "MSG_NEWFOLDER=新建文件夹",
};

// Fills Table with kChineseTexts.
inline void FillChineseTexts(TvlResourceStrData& Table) {
  TStringList lines;
  for (const char* line : kChineseTexts) lines.Add(line);
  Table.SetResStrings(&lines);
}

// Runs the dialog with SkinData for the frame and the controls (nullptr: the built-in look), the
// tool bar when asked, shoots the window once it is active and cancels it.
inline void RenderAndCompare(THeadlessDisplay* display, TvlSkinData* SkinData, bool ToolBar,
                             const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  TShellTestTree tree;
  for (const char* name : {"视频/输出", "视频/素材", "音乐", "照片"}) TShellTestTree::MakeFolder(tree.Usb + "/" + name);
  TvlSkinSelectDirectoryDialog dialog(nullptr);
  dialog.Title = "选择输出目录";
  dialog.ShowToolBar = ToolBar;
  dialog.ToolButtonsTransparent = true;
  dialog.SetSkinData(SkinData);
  dialog.SetCtrlSkinData(SkinData);
  dialog.Directory = tree.Usb + "/视频/输出";
  dialog.DialogWidth = 300;
  dialog.DialogHeight = 320;
  skinned_test_form::RenderDialogAndCompare<TvlSelDirDlgForm>(
      display,
      [](TvlSelDirDlgForm* form) {
        // The temporary tree's folder has a new name in every run: the edit shows a fixed one.
        if (form->DirEdit) form->DirEdit->SetText("/media/MY USB/视频/输出");
      },
      [&] { dialog.Execute(); }, ExpectedFolder, Name);
}

}  // namespace skinned_folder_dialog
