// The drop-down list of a combo box: a top-level tool window that never takes the activation,
// placed under (or above) its box, translucent and fading in on a timer when its owner asks.

#include <algorithm>

#include "lib/drawing/vlLayerManager.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/drawing/vlUtils.h"
#include "platform/windowing/WindowTree.h"

// ---- Drop-down window ----------------------------------------------------------------------------

TvlDropDownWindow::TvlDropDownWindow(TWinControl* Window) : FWindow(Window), FFade([this] { FadeStep(); }) {}

TvlDropDownWindow::~TvlDropDownWindow() { FFade.Stop(); }

void TvlDropDownWindow::PopupParams(TCreateParams& Params, TComponent* Box) {
  Params.Style = WS_POPUP | WS_CLIPCHILDREN;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
  if (IsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
  // Owned by the box's top-level window, so it stays above the form it drops from.
  Params.WndParent = nullptr;
  if (auto* box = dynamic_cast<TWinControl*>(Box); box && box->HandleAllocated())
    Params.WndParent = GetAncestorRoot(box->Handle());
}

void TvlDropDownWindow::WindowCreated() {
  FOldAlphaBlend = false;
  FOldAlphaBlendValue = 0;
  FOpacity = 255;
}

void TvlDropDownWindow::SetOpacity(int Value) {
  FOpacity = Value;
  SetWindowAlpha(FWindow->Handle(), static_cast<BYTE>(Value));
}

void TvlDropDownWindow::Show(TvlDropDownOwner* Owner, TPoint Origin) {
  FFade.Stop();
  if (!IsWin2000OrLater()) Owner = nullptr;
  const bool blend = Owner && Owner->DropDownAlphaBlend();
  const int value = Owner ? std::clamp(Owner->DropDownAlphaBlendValue(), 0, 255) : 255;
  const bool fade = blend && Owner->DropDownAlphaBlendAnimation();
  HWND h = FWindow->Handle();
  if (Owner) {
    const auto exStyle = GetWindowLongPtr(h, GWL_EXSTYLE);
    if (blend && !FOldAlphaBlend)
      SetWindowLongPtr(h, GWL_EXSTYLE, exStyle | static_cast<LONG_PTR>(WS_EX_LAYERED));
    else if (!blend && FOldAlphaBlend)
      SetWindowLongPtr(h, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    if (!blend) FOpacity = 255;
    FOldAlphaBlend = blend;
    if (blend && FOldAlphaBlendValue != value) {
      FOldAlphaBlendValue = fade ? 0 : value;
      SetOpacity(FOldAlphaBlendValue);
    }
  }
  FWindow->SetBounds(Origin.X, Origin.Y, FWindow->Width(), FWindow->Height());
  SetWindowPos(h, HWND_TOP, Origin.X, Origin.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  FWindow->SetVisible(true);
  if (!fade) return;
  // The fade runs on a timer and Show returns at once; the first step is taken now.
  Owner->DropDownFadeStarts();
  FFadeTarget = value;
  FFadeStep = std::max(1, value / 15);
  FOpacity = 0;
  FadeStep();
}

void TvlDropDownWindow::FadeStep() {
  if (!FWindow->HandleAllocated() || !FWindow->Visible()) {
    FFade.Stop();
    return;
  }
  SetOpacity(std::min(FOpacity + FFadeStep, FFadeTarget));
  if (FOpacity >= FFadeTarget)
    FFade.Stop();
  else if (!FFade.Running())
    FFade.Start(kFadeInterval);
}

void TvlDropDownWindow::Hide() {
  FFade.Stop();
  if (FWindow->HandleAllocated())
    SetWindowPos(FWindow->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  FWindow->SetVisible(false);
}

// ---- Drop-down list --------------------------------------------------------------------------------

TvlPopupListBox::TvlPopupListBox(TComponent* AOwner) : TvlSkinListBox(AOwner), FDropDown(this) {
  SetControlStyle(ControlStyle() + TControlStyle{TControlStyleFlag::csAcceptsControls,
                                                 TControlStyleFlag::csNoDesignVisible,
                                                 TControlStyleFlag::csReplicatable});
  SetVisible(false);
  // The list follows the pointer and never holds the focus.
  ListBox->SetTabStop(false);
  ListBox->OnMouseMove = [this](TObject*, TShiftState, int X, int Y) { HotTrackItem(X, Y); };
}

TvlPopupListBox::~TvlPopupListBox() = default;

void TvlPopupListBox::CreateParams(TCreateParams& Params) {
  TvlSkinListBox::CreateParams(Params);
  TvlDropDownWindow::PopupParams(Params, Owner());
}

void TvlPopupListBox::CreateWnd() {
  TvlSkinListBox::CreateWnd();
  FDropDown.WindowCreated();
}

void TvlPopupListBox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) {
    Message.Result = MA_NOACTIVATE;
    return;
  }
  TvlSkinListBox::Dispatch(Message);
}

void TvlPopupListBox::Show(TPoint Origin) { FDropDown.Show(dynamic_cast<TvlDropDownOwner*>(Owner()), Origin); }

void TvlPopupListBox::Hide() { FDropDown.Hide(); }

TPoint TvlPopupListBox::DropDownOrigin(TControl* Box, int ListHeight) {
  TWinControl* parent = Box->Parent();
  TPoint p = parent ? parent->ClientToScreen(TPoint{Box->Left(), Box->Top() + Box->Height()})
                    : Box->ClientToScreen(TPoint{0, Box->Height()});
  // The desktop's work area stands when the monitor's own cannot be read.
  TRect work{};
  GetDesktopWorkArea(true, work);
  GetMonitorWorkArea(parent && parent->HandleAllocated() ? parent->Handle() : nullptr, true, work);
  if (p.Y + ListHeight > work.Bottom) p.Y -= Box->Height() + ListHeight;
  return p;
}

void TvlPopupListBox::HotTrackItem(int X, int Y) {
  const int index = ItemAtPos(TPoint{X, Y}, true);
  if (index >= 0 && index < Items()->Count()) SetItemIndex(index);
}
