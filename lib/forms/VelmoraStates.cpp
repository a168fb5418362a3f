// The skinned window states a form's caption buttons switch: minimized (the caption bar alone,
// lined up with other minimized forms at the bottom of the work area), maximized (the work area)
// and restored, and the roll-up to the caption. A skinned form does not use the platform's
// states: it moves and sizes itself, so that the frame, the region and the layered border follow.
// An MDI child does the same inside the main form's MDI client area and tells the main form when
// it enters or leaves the maximized state.

#include "lib/forms/Velmora.h"
#include "lib/forms/VelmoraLayer.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/controls/vlSkinCtrlsBars.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/controls/vlTrayIcon.h"
#include "platform/controls/Application.h"
#include "platform/windowing/Screen.h"
#include "platform/controls/Timers.h"

namespace {

bool IsNull(const TRect& R) { return R.Left == 0 && R.Top == 0 && R.Right == 0 && R.Bottom == 0; }

}  // namespace

void TvlVelmora::SetWindowState(TWindowState Value) {
  if (!FSkinnableForm) {
    FForm->SetWindowState(Value);
    return;
  }
  if (Value == FWindowState) return;
  const TWindowState old = FWindowState;
  const bool keepState = Value == TWindowState::wsMinimized && (Application()->MainForm() == FForm || MinimizeDefault);
  if (!keepState) FWindowState = Value;
  switch (Value) {
    case TWindowState::wsNormal:
      if (old == TWindowState::wsMaximized && FRollUpState && !FRollUpBeforeMaximize) {
        // Unrolled as the form leaves the maximized state it was rolled up in.
        FRollUpState = false;
        MaxRollUpState = false;
      }
      FRollUpBeforeMaximize = false;
      DoRestore();
      break;
    case TWindowState::wsMinimized: DoMinimize(); break;
    case TWindowState::wsMaximized:
      FRollUpBeforeMaximize = FRollUpState;
      DoMaximize();
      break;
  }
}

void TvlVelmora::DoMinimize() {
  TWeak<TvlVelmora> alive(this);
  if (Application()->MainForm() == FForm) {
    Application()->Minimize();
  } else if (MinimizeDefault) {
    FForm->SetWindowState(TWindowState::wsMinimized);
  } else {
    if (IsNull(OldBoundsRect)) OldBoundsRect = FForm->BoundsRect();
    const TPoint at = FindMinimizedPlace();
    FForm->SetBounds(at.X, at.Y, GetMinWidth(), GetMinHeight());
    if (alive && IsMDIChild()) TellMainForm(WM_vlMDIChildRestored);
  }
  if (alive && OnMinimize) OnMinimize(this);
}

TPoint TvlVelmora::FindMinimizedPlace() {
  const int w = GetMinWidth(), h = GetMinHeight();
  if (IsMDIChild()) return FindMinimizedMDIPlace(w, h);
  TRect area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetMonitorWorkArea(FForm->HandleAllocated() ? FForm->Handle() : nullptr, true, area);
  const auto taken = [&](int x, int y) {
    for (int i = 0; i < Screen()->FormCount(); ++i) {
      TCustomForm* f = Screen()->Forms(i);
      if (f == FForm || f == Application()->MainForm() || !f->Visible()) continue;
      TvlVelmora* v = vlFindSkinForm(f);
      if (v && v->WindowState() == TWindowState::wsMinimized && f->Left() == x && f->Top() == y) return true;
    }
    return false;
  };
  int x = area.Left, y = area.Bottom - h;
  while (taken(x, y)) {
    const int oldX = x;
    x += w;
    if (oldX + 2 * w > area.Right) {
      x = area.Left;
      y -= h;
    }
    if (y < area.Top) return TPoint{x, area.Bottom - h};
  }
  return TPoint{x, y};
}

TPoint TvlVelmora::FindMinimizedMDIPlace(int W, int H) {
  TCustomForm* main = dynamic_cast<TCustomForm*>(Application()->MainForm());
  const TRect area = GetMDIClientArea();
  const int aw = area.Width(), ah = area.Height();
  const auto taken = [&](int x, int y) {
    for (int i = 0; main != nullptr && i < main->MDIChildCount(); ++i) {
      TCustomForm* f = main->MDIChildren(i);
      if (f == FForm || !f->Visible()) continue;
      TvlVelmora* v = vlFindSkinForm(f);
      if (v && v->WindowState() == TWindowState::wsMinimized && f->Left() == x && f->Top() == y) return true;
    }
    return false;
  };
  int x = 0, y = ah - H;
  while (taken(x, y)) {
    const int oldX = x;
    x += W;
    if (oldX + 2 * W > aw) {
      x = 0;
      y -= H;
    }
    if (y < 0) return TPoint{x, ah - H};
  }
  return TPoint{x, y};
}

void TvlVelmora::DoMaximize() {
  if (IsNull(OldBoundsRect)) OldBoundsRect = FForm->BoundsRect();
  if (IsMDIChild()) {
    DoMaximizeMDIChild();
    return;
  }
  TRect monitor{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  TRect r = monitor;
  GetMonitorWorkArea(FForm->HandleAllocated() ? FForm->Handle() : nullptr, !MaximizeOnFullScreen, r);
  if (!MaximizeOnFullScreen) {
    TRect whole = monitor;
    GetMonitorWorkArea(FForm->HandleAllocated() ? FForm->Handle() : nullptr, false, whole);
    // A work area that is the whole screen (no task bar) keeps a pixel free on every side.
    if (r == whole && whole == monitor) r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  TWeak<TvlVelmora> alive(this);
  FForm->SetBoundsRect(r);
  if (!alive) return;
  if (FStatusBar && FStatusBar->SizeGrip()) FStatusBar->SetShowGrip(false);
  if (OnMaximize) OnMaximize(this);
}

void TvlVelmora::DoMaximizeMDIChild() {
  MouseTimer->SetEnabled(false);
  TWeak<TvlVelmora> alive(this);
  TestActiveObject(-1, -1, false);
  if (!alive) return;
  const TRect area = GetMDIClientArea();
  if (FForm->Width() == area.Width() && FForm->Height() == area.Height() && FForm->Left() == 0 && FForm->Top() == 0)
    RefreshFrameSize();
  else
    FForm->SetBounds(0, 0, area.Width(), area.Height());
  if (!alive) return;
  TellMainForm(WM_vlMDIChildMaximized);
  if (!alive) return;
  if (FStatusBar && FStatusBar->SizeGrip()) FStatusBar->SetShowGrip(false);
  if (OnMaximize) OnMaximize(this);
}

void TvlVelmora::DoRestore() {
  MaxRollUpState = false;
  const int w = FForm->Width(), h = FForm->Height();
  TRect to = IsNull(OldBoundsRect) ? FForm->BoundsRect() : OldBoundsRect;
  TWeak<TvlVelmora> alive(this);
  if (FStartShow) {
    // Not placed by a first show yet (it was shown minimized or maximized): placed now.
    FStartShow = false;
    const TPoint at = GetPositionInMonitor(to.Left, to.Top, to.Width(), to.Height());
    to = TRect{at.X, at.Y, at.X + to.Width(), at.Y + to.Height()};
  } else if (UseLayeredBorder() && FBorderLayer->Visible()) {
    FBorderLayer->SetBoundsWithForm3(to.Left, to.Top, to.Width(), to.Height());
  }
  FForm->SetBoundsRect(to);
  if (!alive) return;
  MouseTimer->SetEnabled(true);
  if (w == to.Width() && h == to.Height()) RefreshFrameSize();
  RepaintForm();
  if (IsMDIChild() && FWindowState != TWindowState::wsMaximized) {
    TellMainForm(WM_vlMDIChildRestored);
    if (!alive) return;
  }
  OldBoundsRect = TRect{0, 0, 0, 0};
  if (FStatusBar && FStatusBar->SizeGrip()) FStatusBar->SetShowGrip(true);
  if (OnRestore) OnRestore(this);
}

void TvlVelmora::SetRollUpState(bool Value) {
  if (!FBorderIcons.Contains(TvlBorderIcon::biRollUp) || FWindowState == TWindowState::wsMinimized) return;
  if (FRollUpState && FWindowState == TWindowState::wsMaximized && !MaxRollUpState) return;
  if (FWindowState == TWindowState::wsMaximized) MaxRollUpState = Value;
  FRollUpState = Value;
  TWeak<TvlVelmora> alive(this);
  if (Value) {
    OldHeight = FForm->Height();
    FForm->SetHeight(GetMinHeight());
  } else if (ClientHeight != 0) {
    FForm->SetClientHeight(ClientHeight);
  } else {
    FForm->SetHeight(OldHeight);
  }
  if (alive && OnChangeRollUpState) OnChangeRollUpState(this);
}

void TvlVelmora::SetStatusBar(TvlSkinStatusBar* Value) { ReplaceReference(FStatusBar, Value); }

void TvlVelmora::MinimizeToTray() {
  if (!FTrayIcon) return;
  TWeak<TvlVelmora> alive(this);
  FTrayIcon->MinimizeToTray = true;
  Application()->Minimize();
  if (alive && OnMinimizeToTray) OnMinimizeToTray(this);
}

void TvlVelmora::RestoreFromTray() {
  if (!FTrayIcon) return;
  TWeak<TvlVelmora> alive(this);
  TWeak<TvlTrayIcon> tray(FTrayIcon);
  FTrayIcon->MinimizeToTray = false;
  FTrayIcon->ShowMainForm();
  if (!alive || !tray) return;
  if (Application()->Minimized()) Application()->Restore();
  if (!AlwaysShowInTray) FTrayIcon->SetIconVisible(false);
  if (alive && OnRestoreFromTray) OnRestoreFromTray(this);
}

void TvlVelmora::SetTrayIcon(TvlTrayIcon* Value) {
  ReplaceReference(FTrayIcon, Value);
  if (!FTrayIcon) return;
  if (!AlwaysShowInTray) {
    FTrayIcon->SetIconVisible(false);
    FTrayIcon->MinimizeToTray = false;
  }
  if (!FTrayIcon->PopupMenu()) FTrayIcon->SetPopupMenu(FSysTrayMenu);
  if (!FTrayIcon->OnDblClick) {
    // The tray icon may outlive this component.
    FTrayIcon->OnDblClick = [skinner = TWeak<TvlVelmora>(this)](TObject*) {
      if (TvlVelmora* v = skinner.Get()) v->RestoreFromTray();
    };
  }
}
