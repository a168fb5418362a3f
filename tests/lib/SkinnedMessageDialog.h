#pragma once
// The skinned message box as the converter shows it (a confirmation with the "don't show again"
// check box and three buttons, the Chinese interface texts), drawn headless at the screen's
// corner and compared with an expected picture.

#include <filesystem>
#include <memory>
#include <string>

#include "SkinnedTestForm.h"
#include "lib/dialogs/vlMessages.h"
#include "platform/windowing/HeadlessDisplay.h"

namespace skinned_message_dialog {

// The Chinese interface texts of the converter's skins, as far as the message box uses them.
inline const char* const kChineseTexts[] = {
    "MSG_BTN_YES=是(&Y)", "MSG_BTN_NO=否(&N)", "MSG_BTN_OK=确定", "MSG_BTN_CANCEL=取消", "MSG_BTN_RETRY=重试(&R)",
    "MSG_BTN_HELP=帮助(&H)", "MSG_CAP_WARNING=警告", "MSG_CAP_INFORMATION=信息", "MSG_CAP_SHOWFLAG=不再显示此消息",
};

inline void RenderAndCompare(THeadlessDisplay* display, TvlSkinMessage& message,
                             const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  TvlSkinMessage::TRequest r;
  r.Msg = "输出文件“旅行记录.mp4”已存在。\n要覆盖原有文件吗？";
  r.DlgType = TMsgDlgType::mtConfirmation;
  r.Caption = "提示";
  r.UseCaption = true;
  r.Buttons = TMsgDlgButtons{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel};
  r.X = r.Y = 0;
  message.ShowAgainFlag = true;
  std::unique_ptr<TvlMessageForm> form(message.CreateMessageForm(r));
  form->Show();
  const int w = form->Width(), h = form->Height();
  const auto pixels = skinned_test_form::Shot(display, TRect{0, 0, w, h});
  form.reset();
  skinned_test_form::Pump();
  skinned_test_form::CompareWithExpected(pixels, w, h, ExpectedFolder, Name);
}

}  // namespace skinned_message_dialog
