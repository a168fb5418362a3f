// The main window's commands: menu items and tool buttons bound to their operations, the
// commands that only open another window or the maker's pages, and the conversion control's
// view of the window (which commands are enabled, the pause or resume button, warnings, log).

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/controls/Menus.h"
#include "platform/core/SysUtils.h"

void TForm1::BindCommands() {
  const auto bind = [](TMenuItem* Item, std::function<void()> Run) {
    Item->OnClick = [Run = std::move(Run)](TObject*) { Run(); };
  };
  const auto bindButton = [](TControl* Button, std::function<void()> Run) {
    Button->OnClick = [Run = std::move(Run)](TObject*) { Run(); };
  };
  // 文件
  bind(Item111, [this] { btnAddClick(); });
  bind(Item121, [this] { Button8Click(); });
  bind(N21, [this] { Button12Click(); });
  bind(N4, [this] { N4Click(); });
  // 编辑
  bind(N111, [this] { vlSkinButton3Click(); });
  bind(N2221, [this] { vlSkinButton4Click(); });
  bind(N13, [this] { btnRemoveClick(); });
  bind(N14, [this] { btnClearClick(); });
  bind(N26, [this] { vlSkinButton21Click(); });
  // 动作
  bind(N7, [this] { btnStartClick(); });
  bind(N8, [this] { btnStopClick(); });
  bind(N10, [this] { btnPauseClick(); });
  bind(N11, [this] { btnResumeClick(); });
  bind(N24, [this] { N24Click(); });
  // 帮助
  bind(N15, [this] { N15Click(); });
  bind(N19, [this] { N19Click(); });
  bind(EMAIL1, [this] { EMAIL1Click(); });
  bind(N5, [this] { N5Click(); });
  // The "添加" tool button's menu.
  bind(N11111, [this] { btnAddClick(); });
  bind(N2222, [this] { Button8Click(); });
  bind(N3331, [this] { Button12Click(); });

  bindButton(vlSkinButton7, [this] { btnRemoveClick(); });
  bindButton(vlSkinButton8, [this] { btnClearClick(); });
  bindButton(vlSkinButton2, [this] { btnStartClick(); });
  bindButton(vlSkinButton10, [this] { btnStopClick(); });
  bindButton(vlSkinButton11, [this] { btnPauseClick(); });
  bindButton(vlSkinButton12, [this] { btnResumeClick(); });
  bindButton(vlSkinButton19, [this] { N24Click(); });
  bindButton(vlSkinButton3, [this] { vlSkinButton3Click(); });
  bindButton(vlSkinButton4, [this] { vlSkinButton4Click(); });
  bindButton(vlSkinButton21, [this] { vlSkinButton21Click(); });
  bindButton(vlSkinButton5, [this] { vlSkinButton5Click(); });
  bindButton(vlSkinButton6, [this] { vlSkinButton6Click(); });
}

// ---- Conversion -----------------------------------------------------------------------------------

void TForm1::btnStartClick() {
  const TConversionState state = conversion_->State();
  if (state == TConversionState::csRunning || state == TConversionState::csPaused) return;
  if (!PrepareOutputNames()) return;
  conversion_->Start();
}

bool TForm1::PrepareOutputNames() {
  const std::string folder = folder_.FileOutPutPath() + "/";
  if (!OverwriteOutput()) {
    // 自动重命名输出文件: a file already there (a finished earlier batch's, too) is never
    // replaced; the row takes the next free name, as an add does.
    for (int row = 0; row < jobs_.Count(); ++row) {
      const std::string& name = jobs_.SubItem(row, TJobSubItem::jsOutputName);
      const std::string free = ExtractFileName(chain_->UniqueJobOutput(folder + name, row));
      if (free != name) jobs_.SetSubItem(row, TJobSubItem::jsOutputName, free);
    }
    return true;
  }
  // 直接覆盖输出文件: asked once for the whole batch before anything is replaced.
  std::vector<std::string> existing;
  for (int row = 0; row < jobs_.Count(); ++row) {
    const std::string& name = jobs_.SubItem(row, TJobSubItem::jsOutputName);
    if (FileExists(folder + name)) existing.push_back(name);
  }
  return existing.empty() || setup_.Dialogs->Confirm(OverwriteQuestion(existing), kApplicationTitle);
}

std::string OverwriteQuestion(const std::vector<std::string>& Names) {
  std::string text = "以下 " + std::to_string(Names.size()) + " 个输出文件已经存在：";
  for (const std::string& name : Names) text += "\n" + name;
  return text +
         "\n\n开始转换会覆盖这些文件。要覆盖吗？\n选择“否”则不开始转换，您可以先重命名输出文件、选择其他输出目录，"
         "或在“选项”中选择“自动重命名输出文件”。";
}

void TForm1::btnStopClick() { conversion_->Stop(); }

void TForm1::btnPauseClick() { conversion_->Pause(); }

void TForm1::btnResumeClick() { conversion_->Resume(); }

// ---- Commands that open another window or the maker's pages ------------------------------------

void TForm1::N4Click() { Close(); }

void TForm1::N24Click() {
  if (Form5) Form5->ShowModal();
}

void TForm1::N5Click() {
  if (Form2) Form2->ShowModal();
}

void TForm1::N15Click() { OpenAddress(kHomePage); }

void TForm1::N19Click() { OpenAddress(kHomePage); }

void TForm1::EMAIL1Click() { OpenAddress(kSupportMail); }

void TForm1::OpenAddress(const std::string& Address) {
  std::string error;
  if (!OpenWithDesktop(Address, &error)) ShowWarning(NoOpenerMessage(Address, error));
}

// ---- What the other windows say ----------------------------------------------------------------

TConversionSettings TForm1::ConversionSettings() const {
  return Form5 ? Form5->ConversionSettings() : TConversionSettings{};
}

bool TForm1::OverwriteOutput() const { return Form5 && Form5->OverwriteOutput(); }

// ---- The conversion control's view -------------------------------------------------------------

void TForm1::SetButtonState(TvlSkinButton* Button, bool Enabled, const char* PictureName, const char* GreyedPicture) {
  Button->SetGlyph(Picture(Enabled ? PictureName : GreyedPicture));
  Button->SetEnabled(Enabled);
  Button->RefreshButton();
}

void TForm1::SetCommandEnabled(TConversionCommand Command, bool Enabled) {
  using enum TConversionCommand;
  const auto items = [Enabled](std::initializer_list<TMenuItem*> Items) {
    for (TMenuItem* item : Items) item->SetEnabled(Enabled);
  };
  switch (Command) {
    case ccAdd:
      vlSkinMenuSpeedButton1->SetEnabled(Enabled);
      vlSkinMenuSpeedButton1->SetGlyph(Picture(Enabled ? "VL_TOOL_ADD" : "VL_TOOL_ADD_OFF"));
      vlSkinMenuSpeedButton1->RefreshButton();
      items({Item111, Item121, N21, N11111, N2222, N3331});
      break;
    case ccEditing:
      for (auto* chooser : {vlSkinComboBox1.get(), vlSkinComboBox2.get(), vlSkinComboBox3.get(), vlSkinComboBox4.get(),
                            vlSkinComboBox9.get(), vlSkinComboBox10.get()})
        chooser->Control()->SetEnabled(Enabled);
      vlSkinOfficeComboBox1->SetEnabled(Enabled);
      vlSkinOfficeComboBox2->SetEnabled(Enabled);
      vlSkinButton5->SetEnabled(Enabled);
      break;
    case ccRemove:
      SetButtonState(vlSkinButton7, Enabled, "VL_TOOL_REMOVE", "VL_TOOL_REMOVE_OFF");
      items({N13});
      break;
    case ccRename:
      SetButtonState(vlSkinButton21, Enabled, "VL_LIST_RENAME", "VL_LIST_RENAME_OFF");
      items({N26});
      break;
    case ccClear:
      SetButtonState(vlSkinButton8, Enabled, "VL_TOOL_CLEAR", "VL_TOOL_CLEAR_OFF");
      items({N14});
      break;
    case ccStart:
      items({N7});
      break;
    case ccStartButton:
      SetButtonState(vlSkinButton2, Enabled, "VL_TOOL_START", "VL_TOOL_START_OFF");
      break;
    case ccStop:
      SetButtonState(vlSkinButton10, Enabled, "VL_TOOL_STOP", "VL_TOOL_STOP_OFF");
      items({N8});
      break;
    case ccPause:
      SetButtonState(vlSkinButton11, Enabled, "VL_TOOL_PAUSE", "VL_TOOL_PAUSE_OFF");
      items({N10});
      break;
    case ccResume:
      SetButtonState(vlSkinButton12, Enabled, "VL_TOOL_RESUME", "VL_TOOL_RESUME_OFF");
      items({N11});
      break;
    case ccMove:
      SetButtonState(vlSkinButton3, Enabled, "VL_LIST_MOVEUP", "VL_LIST_MOVEUP_OFF");
      SetButtonState(vlSkinButton4, Enabled, "VL_LIST_MOVEDOWN", "VL_LIST_MOVEDOWN_OFF");
      items({N111, N2221});
      break;
  }
}

void TForm1::ShowPauseButton(bool Pause) {
  vlSkinButton11->SetVisible(Pause);
  vlSkinButton12->SetVisible(!Pause);
}

void TForm1::ShowWarning(const std::string& Text) {
  setup_.Dialogs->ShowMessage(Text, kApplicationTitle, TMsgDlgType::mtWarning);
}
