// The drop-down list of a combo box: a top-level tool window that never takes the activation,
// placed under (or above) its box, translucent and fading in on a timer when its owner asks.

#include <algorithm>

#include "lib/vlLayerManager.h"
#include "lib/vlSkinBoxCtrls.h"
#include "lib/vlUtils.h"
#include "platform/WindowTree.h"

TvlPopupListBox::TvlPopupListBox(TComponent* AOwner) : TvlSkinListBox(AOwner), FFade([this] { FadeStep(); }) {
  SetControlStyle(ControlStyle() + TControlStyle{TControlStyleFlag::csAcceptsControls,
                                                 TControlStyleFlag::csNoDesignVisible,
                                                 TControlStyleFlag::csReplicatable});
  SetVisible(false);
  // The list follows the pointer and never holds the focus.
  ListBox->SetTabStop(false);
  ListBox->OnMouseMove = [this](TObject*, TShiftState, int X, int Y) { HotTrackItem(X, Y); };
}

TvlPopupListBox::~TvlPopupListBox() { FFade.Stop(); }

void TvlPopupListBox::CreateParams(TCreateParams& Params) {
  TvlSkinListBox::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
  if (IsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
  // Owned by the box's top-level window, so it stays above the form it drops from.
  Params.WndParent = nullptr;
  if (auto* box = dynamic_cast<TWinControl*>(Owner()); box && box->HandleAllocated())
    Params.WndParent = GetAncestorRoot(box->Handle());
}

void TvlPopupListBox::CreateWnd() {
  TvlSkinListBox::CreateWnd();
  // A new window starts opaque.
  FOldAlphaBlend = false;
  FOldAlphaBlendValue = 0;
  FOpacity = 255;
}

void TvlPopupListBox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) {
    Message.Result = MA_NOACTIVATE;
    return;
  }
  TvlSkinListBox::Dispatch(Message);
}

TvlDropDownOwner* TvlPopupListBox::DropDownOwner() const {
  return IsWin2000OrLater() ? dynamic_cast<TvlDropDownOwner*>(Owner()) : nullptr;
}

void TvlPopupListBox::SetOpacity(int Value) {
  FOpacity = Value;
  SetWindowAlpha(Handle(), static_cast<BYTE>(Value));
}

void TvlPopupListBox::Show(TPoint Origin) {
  FFade.Stop();
  TvlDropDownOwner* owner = DropDownOwner();
  const bool blend = owner && owner->DropDownAlphaBlend();
  const int value = owner ? std::clamp(owner->DropDownAlphaBlendValue(), 0, 255) : 255;
  const bool fade = blend && owner->DropDownAlphaBlendAnimation();
  HWND h = Handle();
  if (owner) {
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
  SetBounds(Origin.X, Origin.Y, Width(), Height());
  SetWindowPos(h, HWND_TOP, Origin.X, Origin.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetVisible(true);
  if (!fade) return;
  // The fade runs on a timer and Show returns at once; the first step is taken now.
  FFadeTarget = value;
  FFadeStep = std::max(1, value / 15);
  FOpacity = 0;
  FadeStep();
}

void TvlPopupListBox::FadeStep() {
  if (!HandleAllocated() || !Visible()) {
    FFade.Stop();
    return;
  }
  SetOpacity(std::min(FOpacity + FFadeStep, FFadeTarget));
  if (FOpacity >= FFadeTarget)
    FFade.Stop();
  else if (!FFade.Running())
    FFade.Start(kFadeInterval);
}

void TvlPopupListBox::Hide() {
  FFade.Stop();
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  SetVisible(false);
}

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
