#pragma once
// The open dialog as the converter shows it ("打开文件", the Chinese interface texts, a filter of
// media formats, opened in a folder of videos on the removable disk of the temporary shell
// tree), drawn headless and compared with an expected picture.

#include <filesystem>
#include <string>

#include "SkinnedTestForm.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/dialogs/vlFileCtrl.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/dialogs/vlSkinOpenDialog.h"
#include "lib/dialogs/vlSkinShellListView.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "tests/ShellTestTree.h"

namespace skinned_open_dialog {

// The Chinese interface texts of the converter's skins, as far as the open dialog uses them.
inline const char* const kChineseTexts[] = {
    "FLV_LOOKIN=查找范围：",
    "MSG_BTN_OPEN=打开",
    "MSG_BTN_CANCEL=取消",
    "MSG_FILENAME=文件名：",
    "MSG_FILETYPE=文件类型：",
    "MSG_BTN_BACK_HINT=返回",
    "MSG_BTN_UP_HINT=向上一级",
    "MSG_BTN_NEWFOLDER_HINT=新建文件夹",
    "MSG_BTN_VIEWMENU_HINT=查看菜单",
    "MSG_LV_ICON=大图标",
    "MSG_LV_SMALLICON=小图标",
    "MSG_LV_LIST=列表",
    "MSG_LV_DETAILS=详细信息",
    "MSG_NEWFOLDER=新建文件夹",
    "FLV_NAME=名称",
    "FLV_SIZE=大小",
    "FLV_TYPE=类型",
    "FLV_MODIFIED=修改日期",
};

// Fills Table with kChineseTexts.
inline void FillChineseTexts(TvlResourceStrData& Table) {
  TStringList lines;
  for (const char* line : kChineseTexts) lines.Add(line);
  Table.SetResStrings(&lines);
}

// Runs the dialog with SkinData for the frame and the controls (nullptr: the built-in look),
// selects one clip, shoots the window once it is active and cancels it.
inline void RenderAndCompare(THeadlessDisplay* display, TvlSkinData* SkinData,
                             const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  TShellTestTree tree;
  const std::string folder = tree.Usb + "/视频";
  for (const char* name : {"素材", "输出"}) TShellTestTree::MakeFolder(folder + "/" + name);
  for (const char* name : {"婚礼剪辑.mp4", "旅行 2026.avi", "演唱会.mkv", "毕业典礼.mp4", "说明.txt", "封面.png"})
    TShellTestTree::Write(folder + "/" + name, "x");
  TvlSkinOpenDialog dialog(nullptr);
  dialog.Title = "打开文件";
  dialog.ToolButtonsTransparent = true;
  dialog.SetSkinData(SkinData);
  dialog.SetCtrlSkinData(SkinData);
  dialog.Filter = "视频文件 (*.mp4;*.avi;*.mkv)|*.mp4;*.avi;*.mkv|所有文件 (*.*)|*.*";
  dialog.InitialDir = folder;
  skinned_test_form::RenderDialogAndCompare<TvlOpenDlgForm>(
      display, [](TvlOpenDlgForm* form) { form->FileListView->SetItemIndex(3); }, [&] { dialog.Execute(); },
      ExpectedFolder, Name);
}

}  // namespace skinned_open_dialog
