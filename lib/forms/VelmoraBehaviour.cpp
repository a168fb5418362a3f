// How a skinned form behaves besides its frame: the first-show placement, the fade-in when it is
// shown, snapping to the work area's edges while dragged, the frame following a sizing
// rectangle, the overlay over an inactive form's client area, the drop shadow and the two form
// style operations, and the return from the notification area.

#include "lib/forms/Velmora.h"
#include "lib/forms/VelmoraLayer.h"
#include "lib/controls/vlClientInActivePanel.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/controls/vlSkinCtrls.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

// The fade-in's timer on the form window, and the pace of its steps: a step once more than 5 ms
// have passed, which the shortest timer interval makes every 10 ms.
constexpr UINT_PTR kFadeTimer = 1;
constexpr UINT kFadeStepMs = std::max<UINT>(6, USER_TIMER_MINIMUM);
// The tray icon's mark on the main form (it hid or showed the form).
constexpr std::intptr_t kTrayMark = -10000;

TRect MonitorArea(TCustomForm* Form, bool WorkArea) {
  TRect area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetMonitorWorkArea(Form->HandleAllocated() ? Form->Handle() : nullptr, WorkArea, area);
  return area;
}

// One edge of the magnetic snap: Pos is moved to Snap while the edge is near, follows the pointer
// once it moved more than Size away from where it stuck, and Stuck remembers the state.
void SnapEdge(int& Pos, bool Near, bool& Stuck, int Snap, int Cursor, int& DownCoord, int Size, int TearOff) {
  if (Near && !Stuck) {
    Pos = Snap;
    DownCoord = Cursor;
  } else if (Stuck && std::abs(Cursor - DownCoord) > Size) {
    Pos = TearOff;
  } else if (Stuck) {
    Pos = Snap;
  }
  Stuck = Near;
}

}  // namespace

// ---- First show ---------------------------------------------------------------------------------

TPoint TvlVelmora::GetPositionInMonitor(int AX, int AY, int AW, int AH) const {
  if (PositionInMonitor == TvlPositionInMonitor::vlpDefault) return TPoint{AX, AY};
  const TRect area = MonitorArea(FForm, PositionInMonitor == TvlPositionInMonitor::vlpDesktopCenter);
  return TPoint{area.Left + area.Width() / 2 - AW / 2, area.Top + area.Height() / 2 - AH / 2};
}

void TvlVelmora::ApplyPositionInMonitor() {
  if (PositionInMonitor == TvlPositionInMonitor::vlpDefault) return;
  const TPoint p = GetPositionInMonitor(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
  FForm->SetBounds(p.X, p.Y, FForm->Width(), FForm->Height());
}

// ---- Showing, hiding and the fade-in ------------------------------------------------------------------

bool TvlVelmora::FadeWanted() const {
  return FIsLayerEnabled && (FAlphaBlend || AlphaBlendAnimation || (FSD && FSD->AnimationForAllWindows));
}

void TvlVelmora::WMShowWindowBefore(const TMessage& M) {
  const bool shown = M.WParam != 0;
  if (!FSkinnableForm) {
    if (shown && FStartShow) {
      FStartShow = false;
      ApplyPositionInMonitor();
    }
    return;
  }
  if (!shown) {
    if (FLayerManager->IsVisible) FLayerManager->Hide();
    if (FMenuLayerManager->IsVisible) FMenuLayerManager->Hide();
    return;
  }
  if (FStartShow) {
    if (PositionInMonitor == TvlPositionInMonitor::vlpDefault) {
      FStartShow = false;
    } else if (FWindowState == TWindowState::wsNormal) {
      FStartShow = false;
      ApplyPositionInMonitor();
    }
  }
  if (FSD && FSD->AnimationForAllWindows && FAlphaBlendValue == 0) FAlphaBlendValue = 255;
  if (FadeWanted() && FForm->HandleAllocated()) {
    HWND h = FForm->Handle();
    const auto ex = static_cast<DWORD>(GetWindowLong(h, GWL_EXSTYLE));
    if (!(ex & WS_EX_LAYERED)) SetWindowLong(h, GWL_EXSTYLE, static_cast<LONG>(ex | WS_EX_LAYERED));
    SetWindowAlpha(h, 0);
    if (UseLayeredBorder()) {
      FBorderLayer->CheckFormAlpha(0, false);
      FBorderLayer->ShowWithForm();
    }
    FFadeAlpha = -1;
    SetTimer(h, kFadeTimer, 1, nullptr);
  }
  if (!IsMDIParent()) RefreshFrameSize();
  // The skinned menu bar stands in for the platform's menu.
  if (FForm->Menu()) FForm->SetMenu(nullptr);
}

void TvlVelmora::WMShowWindowAfter(const TMessage& M) {
  if (M.WParam == 0) {
    FBorderLayer->Hide();
    return;
  }
  if (FadeWanted() || !UseLayeredBorder()) return;
  if (FForm->Visible() || FForm->Tag == kTrayMark) {
    FBorderLayer->SetActive(true, false);
    FBorderLayer->ShowWithForm();
  }
}

void TvlVelmora::FadeInTick() {
  if (!FForm->HandleAllocated()) return;
  HWND h = FForm->Handle();
  const bool border = UseLayeredBorder();
  const bool animate = AlphaBlendAnimation || (FSD && FSD->AnimationForAllWindows);
  if (FFadeAlpha < 0) {
    // The first tick: the fade's target and pace.
    KillTimer(h, kFadeTimer);
    if (border) FBorderLayer->SetActive(FForm->Active(), false);
    FFadeTarget = animate && !FAlphaBlend ? 255 : FAlphaBlendValue;
    FFadeStep = std::max(1, FFadeTarget / 15);
    FFadeAlpha = 0;
    if (!animate) FFadeAlpha = FFadeTarget;
  }
  if (animate) {
    FFadeAlpha = std::min(FFadeTarget, FFadeAlpha + FFadeStep);
  }
  if (animate || FFadeTarget != 255) {
    SetWindowAlpha(h, static_cast<BYTE>(FFadeAlpha));
    if (border) FBorderLayer->CheckFormAlpha(FFadeAlpha, true);
  }
  if (FFadeAlpha < FFadeTarget) {
    SetTimer(h, kFadeTimer, kFadeStepMs, nullptr);
    return;
  }
  KillTimer(h, kFadeTimer);
  if (FFadeTarget == 255) {
    const auto ex = static_cast<DWORD>(GetWindowLong(h, GWL_EXSTYLE));
    SetWindowLong(h, GWL_EXSTYLE, static_cast<LONG>(ex & ~WS_EX_LAYERED));
    if (border) FBorderLayer->CheckFormAlpha(255, true);
  }
  FFadeAlpha = -1;
}

// ---- Moving and sizing ----------------------------------------------------------------------------------

void TvlVelmora::WMMoving(TMessage& M) {
  auto* r = reinterpret_cast<TRect*>(M.LParam);
  if (!r) return;
  if (FWindowState == TWindowState::wsMaximized && !IsMDIChild()) {
    // A maximized form cannot be dragged.
    *r = FForm->BoundsRect();
    return;
  }
  if (!Magnetic) return;
  int left = r->Left, top = r->Top;
  MagneticMove(left, top, FForm->Height(), FForm->Width());
  *r = TRect{left, top, left + FForm->Width(), top + FForm->Height()};
}

TRect TvlVelmora::MDIClientAreaOnScreen() {
  // The moving rectangles are in screen coordinates; the client area is the main form's.
  TRect area = GetMDIClientArea();
  auto* main = dynamic_cast<TCustomForm*>(Application()->MainForm());
  if (main == nullptr || !main->HandleAllocated()) return area;
  const TPoint origin = main->ClientToScreen(TPoint{0, 0});
  return TRect{area.Left + origin.X, area.Top + origin.Y, area.Right + origin.X, area.Bottom + origin.Y};
}

void TvlVelmora::MagneticMove(int& Left, int& Top, int Height, int Width) {
  const int m = MagneticSize;
  const TRect area = IsMDIChild() ? MDIClientAreaOnScreen() : MonitorArea(FForm, true);
  // The layered border counts as part of the form.
  const bool border = UseLayeredBorder() && FBorderLayer->Visible() && FBorderLayer->FWidth > 0;
  const TvlFormLayerBorder& b = *FBorderLayer;
  if (border) {
    Left -= b.LeftSize;
    Top -= b.TopSize;
    Height += b.BottomSize;
    Width += b.RightSize;
  }
  TPoint cursor{};
  GetCursorPos(&cursor);
  const bool nearLeft = area.Left - m < Left && Left < area.Left + m;
  SnapEdge(Left, nearLeft, HMagnetized, area.Left, cursor.X, FOnMouseDownCoord.X, m,
           cursor.X + area.Left - FOnMouseDownCoord.X);
  const bool nearTop = area.Top - m < Top && Top < area.Top + m;
  SnapEdge(Top, nearTop, VMagnetized, area.Top, cursor.Y, FOnMouseDownCoord.Y, m,
           cursor.Y + area.Top - FOnMouseDownCoord.Y);
  const bool nearRight = area.Right - m < Left + Width && Left + Width < area.Right + m;
  SnapEdge(Left, nearRight, HMagnetized2, area.Right - Width, cursor.X, FOnMouseDownCoord.X, m,
           cursor.X + area.Right - Width - FOnMouseDownCoord.X);
  const bool nearBottom = area.Bottom - m < Top + Height && Top + Height < area.Bottom + m;
  SnapEdge(Top, nearBottom, VMagnetized2, area.Bottom - Height, cursor.Y, FOnMouseDownCoord.Y, m,
           cursor.Y + area.Bottom - Height - FOnMouseDownCoord.Y);
  if (border) {
    if (!nearRight) Left += b.LeftSize;
    if (!nearBottom) Top += b.TopSize;
  }
}

void TvlVelmora::WMSizing(TMessage& M, const TWndMethod& Next) {
  if (!(FSizeMove && FFullDrag)) {
    Next(M);
    return;
  }
  TWeak<TvlVelmora> alive(this);
  FSizing = true;
  FBorderLayerChangeSize = false;
  HMagnetized = VMagnetized = HMagnetized2 = VMagnetized2 = false;
  Next(M);
  if (!alive) return;
  const auto* r = reinterpret_cast<const TRect*>(M.LParam);
  if (!r) return;
  FFormWidth = r->Width();
  FFormHeight = r->Height();
  if (!FSD || (FSD->Empty && FSkinnableForm)) {
    UpdateFormRegion();
    return;
  }
  if (!FSkinnableForm || FForm->Width() < GetMinWidth() || FForm->Height() < GetMinHeight()) return;
  if (FForm->Width() == FFormWidth && FForm->Height() == FFormHeight) return;
  if (UseLayeredBorder() && FFormTop == FOldFormTop && FFormLeft == FOldFormLeft)
    FBorderLayer->SetBoundsWithForm3(FFormLeft, FFormTop, FFormWidth, FFormHeight);
  FOldFormTop = FFormTop;
  FOldFormLeft = FFormLeft;
  // The frame and region follow the sizing rectangle before the window is resized.
  UpdateSkinLayout();
}

// ---- The inactive overlay ---------------------------------------------------------------------------------

void TvlVelmora::ShowClientInActiveEffect() {
  HideClientInActiveEffect();
  FInActivePanel = new TvlClientInActivePanel(this);
  FClientInActiveDraw = true;
  FInActivePanel->ShowPanel(FForm, ClientInActiveEffectType);
  FClientInActiveDraw = false;
}

void TvlVelmora::HideClientInActiveEffect() {
  if (!FInActivePanel) return;
  FInActivePanel->HidePanel();
  delete FInActivePanel;
  FInActivePanel = nullptr;
}

TvlClientInActivePanel::TvlClientInActivePanel(TComponent* AOwner) : TvlSkinPaintPanel(AOwner) { SetVisible(false); }

void TvlClientInActivePanel::ShowPanel(TCustomForm* AForm, TvlClientInActiveEffect AEffect) {
  if (!AForm || !AForm->Visible() || !AForm->HandleAllocated()) return;
  const int w = AForm->ClientWidth(), h = AForm->ClientHeight();
  if (w <= 0 || h <= 0) return;
  SetVisible(false);
  SetParent(AForm);
  SetBounds(0, 0, w, h);
  Buffer = std::make_unique<TvlBitmap>();
  Buffer->SetSize(w, h);
  // What the client area shows now.
  if (HDC dc = GetDC(AForm->Handle())) {
    BitBlt(Buffer->Canvas()->Handle(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
    ReleaseDC(AForm->Handle(), dc);
  }
  if (AEffect == TvlClientInActiveEffect::vlieBlur) {
    BlurBitmap(Buffer.get(), 3);
  } else {
    // The form's background veils the copy at alpha 170.
    TvlBitmap veil;
    veil.SetSize(w, h);
    SendMessage(AForm->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(veil.Canvas()->Handle()), 0);
    veil.SetAlphaBlend(true);
    veil.SetAlpha(170);
    veil.Draw(Buffer->Canvas(), 0, 0);
  }
  BringToFront();
  SetVisible(true);
  Repaint();
}

void TvlClientInActivePanel::HidePanel() {
  SetVisible(false);
  Buffer.reset();
}

void TvlClientInActivePanel::Paint() {
  if (Buffer) Buffer->Draw(Canvas(), 0, 0);
}

// ---- Shadow and styles ----------------------------------------------------------------------------------------

void TvlVelmora::EnableShadow(bool AShowShadow, bool AHideFormBefore) {
  if (!FIsLayerEnabled || AShowShadow == FHaveShadow) return;
  FHaveShadow = AShowShadow;
  const bool wasVisible = FForm->Visible();
  if (AHideFormBefore && wasVisible) FForm->Hide();
  HWND h = FForm->Handle();
  const DWORD style = GetClassLong(h, GCL_STYLE);
  SetClassLong(h, GCL_STYLE, static_cast<LONG>(AShowShadow ? (style | CS_DROPSHADOW) : (style & ~CS_DROPSHADOW)));
  if (AHideFormBefore && wasVisible) FForm->Show();
}

void TvlVelmora::SetFormStyle(TFormStyle Value) {
  if (Value != TFormStyle::fsNormal && Value != TFormStyle::fsStayOnTop) return;
  FForm->SetFormStyle(Value);
  vlChangeChildrenSkinData(nullptr, FForm);
}

void TvlVelmora::SetFormBorderStyle(TFormBorderStyle Value) {
  FForm->SetBorderStyle(Value);
  vlChangeChildrenSkinData(nullptr, FForm);
}

// ---- Back from the notification area ----------------------------------------------------------------------------

void TvlVelmora::TrayRestoreForeground() {
  if (FForm->Tag != kTrayMark) return;
  if (UseLayeredBorder()) {
    if (auto* main = dynamic_cast<TCustomForm*>(Application()->MainForm()); main && main->HandleAllocated())
      SetForegroundWindow(main->Handle());
    for (int i = 0; i < Screen()->FormCount(); ++i) {
      TCustomForm* f = Screen()->Forms(i);
      if (f->Visible() && f->FormStyle() == TFormStyle::fsStayOnTop && f->HandleAllocated()) {
        SetForegroundWindow(f->Handle());
        break;
      }
    }
  }
  FForm->Tag = 0;
}
