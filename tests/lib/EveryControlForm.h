#pragma once
// A form holding one control of every skinned kind, each under its default element name, all
// drawn from one skin container; the form has its form skinner, so a skin change reaches every
// control the way it does in the program. Used where a skin is applied to all controls at once:
// the hostile-skin tests and the skin fuzz target.

#include <memory>
#include <string>

#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsBars.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/controls/vlSkinCtrlsSlider.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinExCtrls.h"
#include "lib/controls/vlSkinExCtrlsOffice.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/MessageQueue.h"

namespace every_control_form {

inline constexpr int kWidth = 640;
inline constexpr int kHeight = 420;

// The controls are laid out in a grid of 120 x 60 cells inside the form's client area.
class Builder {
 public:
  Builder(TForm* Form, TvlSkinData* Skin) : form_(Form), skin_(Skin) {}

  template <typename T>
  T* Add(const char* Caption = "确定") {
    auto* c = new T(form_);
    c->SetParent(form_);
    if constexpr (requires { c->SetCaption(Caption); }) c->SetCaption(Caption);
    const int column = count_ % 5, row = count_ / 5;
    c->SetBounds(4 + column * 124, 4 + row * 64, 120, 60);
    if constexpr (requires { c->SetSkinData(skin_); }) c->SetSkinData(skin_);
    ++count_;
    return c;
  }

 private:
  TForm* form_;
  TvlSkinData* skin_;
  int count_ = 0;
};

// Fills Form with the controls (and the form skinner) on Skin.
inline void Build(TForm* Form, TvlSkinData* Skin) {
  Form->SetCaption("全部控件");
  auto* skinner = new TvlVelmora(Form);
  skinner->SetSkinData(Skin);
  Builder b(Form, Skin);
  b.Add<TvlSkinPanel>("面板");
  b.Add<TvlSkinGroupBox>("分组");
  b.Add<TvlSkinStdLabel>("标签");
  b.Add<TvlSkinTextLabel>("文字");
  b.Add<TvlSkinBevel>();
  b.Add<TvlSkinSplitter>();
  b.Add<TvlSkinToolBar>();
  b.Add<TvlSkinStatusBar>("状态");
  b.Add<TvlSkinButton>("确定");
  b.Add<TvlSkinSpeedButton>("工具");
  b.Add<TvlSkinCheckRadioBox>("勾选");
  b.Add<TvlSkinMenuSpeedButton>("菜单");
  auto* bar = b.Add<TvlSkinScrollBar>();
  bar->SetMax(100);
  bar->SetPageSize(10);
  b.Add<TvlSkinSlider>();
  auto* tree = b.Add<TvlSkinCustomTreeView>();
  tree->Items()->Add(nullptr, "文件夹");
  auto* view = b.Add<TvlSkinListView>();
  view->Items()->Add()->SetCaption("视频.mp4");
  auto* list = b.Add<TvlSkinListBox>();
  list->Items()->Add("第一项");
  list->Items()->Add("第二项");
  b.Add<TvlSkinUpDown>();
  b.Add<TvlSkinScrollBox>();
  auto* combo = b.Add<TvlSkinComboBox>();
  combo->Items()->Add("高清");
  combo->SetItemIndex(0);
  b.Add<TvlSkinEdit>("文件名");
  b.Add<TvlSkinLinkLabel>("链接");
  b.Add<TvlSkinOfficeListBox>();
  b.Add<TvlSkinOfficeComboBox>();
  b.Add<TvlSkinMainMenuBar>();
}

// A shown form of kWidth x kHeight at (0, 0) holding every control; the caller owns it.
inline std::unique_ptr<TForm> Make(TvlSkinData* Skin) {
  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  form->SetBoundsRect(TRect{0, 0, kWidth, kHeight});
  Build(form.get(), Skin);
  form->Show();
  return form;
}

// Handles every waiting message (paints included), within a bound.
inline void Pump() {
  MSG m;
  for (int guard = 0; guard < 100000 && PeekMessage(&m, nullptr, 0, 0, PM_REMOVE); ++guard) {
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
}

inline void InvalidateAll(TControl* Control) {
  Control->Invalidate();
  if (auto* parent = dynamic_cast<TWinControl*>(Control))
    for (int i = 0; i < parent->ControlCount(); ++i) InvalidateAll(parent->Controls(i));
}

// Has the frame and every control of Form (at any depth) paint once.
inline void PaintAll(TForm* Form) {
  SendMessage(Form->Handle(), WM_NCPAINT, 1, 0);
  InvalidateAll(Form);
  Pump();
}

}  // namespace every_control_form
