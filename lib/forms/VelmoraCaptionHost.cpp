// The form skinner as host of its caption objects: the built-in buttons, enabling and hiding the
// standard buttons, their hints, which object is under the mouse, routing the mouse to them,
// the caption's double and right clicks, the three object timers, the caption's activation and
// the small form icon.

#include <array>

#include "lib/forms/Velmora.h"
#include "lib/forms/VelmoraObjects.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/drawing/vlUtils.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Icon.h"
#include "platform/windowing/Input.h"
#include "platform/controls/Menus.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Screen.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

// The built-in look's buttons, in the order they are made.
struct DefaultButton {
  TvlStdCommand Command;
  const char* Name;
};
constexpr std::array<DefaultButton, 6> kDefaultButtons{{{TvlStdCommand::cmClose, "closebutton"},
                                                        {TvlStdCommand::cmMaximize, "maxbutton"},
                                                        {TvlStdCommand::cmMinimize, "minbutton"},
                                                        {TvlStdCommand::cmRollUp, "rollupbutton"},
                                                        {TvlStdCommand::cmSysMenu, "sysmenubutton"},
                                                        {TvlStdCommand::cmMinimizeToTray, "traybutton"}}};

// The hint of a command: the key of the interface texts and the built-in English text.
struct CommandHint {
  TvlStdCommand Command;
  const char* Key;
  const char* Text;
};
constexpr std::array<CommandHint, 6> kCommandHints{{{TvlStdCommand::cmClose, "CLOSEBUTTON_HINT", "Close"},
                                                    {TvlStdCommand::cmMaximize, "MAXBUTTON_HINT", "Maximize"},
                                                    {TvlStdCommand::cmMinimize, "MINBUTTON_HINT", "Minimize"},
                                                    {TvlStdCommand::cmSysMenu, "MENUBUTTON_HINT", "System menu"},
                                                    {TvlStdCommand::cmRollUp, "ROLLUPBUTTON_HINT", "Roll Up"},
                                                    {TvlStdCommand::cmMinimizeToTray, "TRAYBUTTON_HINT",
                                                     "Minimize to Tray"}}};

// The command of a standard button or an animation; false for the other kinds.
bool CommandOf(TvlActiveSkinObject* O, TvlStdCommand& Command, bool& ButtonLike) {
  if (auto* b = dynamic_cast<TvlSkinStdButtonObject*>(O)) {
    Command = b->Command;
    ButtonLike = true;
    return true;
  }
  if (auto* a = dynamic_cast<TvlSkinAnimateObject*>(O)) {
    Command = a->Command;
    ButtonLike = a->ButtonStyle;
    return true;
  }
  return false;
}

TPoint PointOf(LPARAM L) {
  return TPoint{static_cast<short>(LOWORD(static_cast<std::uintptr_t>(L))),
                static_cast<short>(HIWORD(static_cast<std::uintptr_t>(L)))};
}

}  // namespace

// ---- Building -----------------------------------------------------------------------------------

void TvlVelmora::CreateDefaultObjects() {
  ClearObjects();
  for (const DefaultButton& d : kDefaultButtons) {
    auto b = std::make_unique<TvlSkinStdButtonObject>(this, nullptr);
    b->Command = d.Command;
    b->IDName = d.Name;
    b->SkinRectInAPicture = true;
    b->SkinRect = b->ActiveSkinRect = b->DownRect = TRect{0, 0, 1, 1};
    ObjectList.push_back(std::move(b));
  }
  UpdateCaptionButtons();
}

void TvlVelmora::UpdateCaptionButtons() {
  if (ObjectList.empty()) return;
  for (const auto& o : ObjectList) {
    TvlStdCommand command{};
    bool buttonLike = false;
    if (!CommandOf(o.get(), command, buttonLike)) continue;
    if (HideCaptionButtons) {
      // Row buttons disappear; fixed-place ones stay, disabled.
      o->Enabled = false;
      o->Visible = !o->SkinRectInAPicture;
      continue;
    }
    if (!buttonLike) continue;
    const auto shown = [&] { o->Visible = o->SkinRectInAPicture ? o->Enabled : true; };
    switch (command) {
      case TvlStdCommand::cmMaximize: o->Enabled = FBorderIcons.Contains(TvlBorderIcon::biMaximize); shown(); break;
      case TvlStdCommand::cmMinimize: o->Enabled = FBorderIcons.Contains(TvlBorderIcon::biMinimize); shown(); break;
      case TvlStdCommand::cmRollUp: o->Enabled = FBorderIcons.Contains(TvlBorderIcon::biRollUp); shown(); break;
      case TvlStdCommand::cmMinimizeToTray:
        o->Enabled = FBorderIcons.Contains(TvlBorderIcon::biMinimizeToTray);
        shown();
        break;
      case TvlStdCommand::cmSysMenu:
        o->Enabled = FBorderIcons.Contains(TvlBorderIcon::biSystemMenu) && !DisableSystemMenu;
        shown();
        break;
      case TvlStdCommand::cmDefault: {
        bool visible = false;
        if (OnActivateCustomObject) OnActivateCustomObject(o->IDName, visible);
        o->Visible = visible;
        break;
      }
      case TvlStdCommand::cmClose: break;
    }
  }
  LoadCaptionHints();
}

void TvlVelmora::LoadCaptionHints() {
  if (!UseDefaultObjectHint || !FSD) return;
  TvlResourceStrData* texts = FSD->ResourceStrData();
  const auto text = [texts](const char* Key, const char* BuiltIn) {
    return texts ? texts->GetResStr(Key) : std::string(BuiltIn);
  };
  const auto apply = [&](auto* O) {
    for (const CommandHint& h : kCommandHints)
      if (h.Command == O->Command) O->Hint = text(h.Key, h.Text);
    O->FTempHint = O->Hint;
    O->RestoreHint = text("RESTORE_HINT", "Restore");
  };
  for (const auto& o : ObjectList) {
    if (auto* b = dynamic_cast<TvlSkinStdButtonObject*>(o.get())) apply(b);
    if (auto* a = dynamic_cast<TvlSkinAnimateObject*>(o.get())) apply(a);
  }
}

// ---- The object under the mouse -----------------------------------------------------------------

void TvlVelmora::TestActiveObject(int X, int Y, bool MouseIn) {
  if (ObjectList.empty() || !GetFormActive() || FSizeMove || FBorderLayerChangeSize || PreviewMode ||
      IsMaximizedMDIChild() || !HasBorder())
    return;
  const int count = static_cast<int>(ObjectList.size());
  OldActiveObject = ActiveObject;
  int found = -1;
  for (int i = 0; i < count; ++i) {
    TvlActiveSkinObject* o = ObjectList[static_cast<std::size_t>(i)].get();
    const TRect& r = o->ObjectRect;
    if (o->Enabled && o->Visible && r.Contains(TPoint{X, Y}) && o->IsPointInObject(X - r.Left, Y - r.Top)) {
      found = i;
      break;
    }
  }
  ActiveObject = MouseIn ? found : -1;
  if (MouseCaptureObject != -1 && MouseCaptureObject != ActiveObject) ActiveObject = -1;
  if (ActiveObject >= count) ActiveObject = -1;
  if (OldActiveObject >= count) OldActiveObject = -1;
  if (OldActiveObject == ActiveObject) return;
  TWeak<TvlVelmora> alive(this);
  const bool hints = ShowObjectHint && FSkinHint;
  if (OldActiveObject != -1) {
    TvlActiveSkinObject* old = ObjectList[static_cast<std::size_t>(OldActiveObject)].get();
    if (old->Enabled && old->Visible) {
      const bool hadHint = !old->Hint.empty();
      old->MouseLeave();
      if (!alive) return;
      if (hints && hadHint) FSkinHint->HideHint();
    }
  }
  if (ActiveObject == -1 || ActiveObject >= static_cast<int>(ObjectList.size())) return;
  TvlActiveSkinObject* now = ObjectList[static_cast<std::size_t>(ActiveObject)].get();
  if (!now->Enabled || !now->Visible) return;
  now->MouseEnter();
  if (!alive) return;
  if (hints && !now->Hint.empty()) FSkinHint->ActivateHint2(now->Hint);
}

// The timer only follows the pointer over the caption's objects: it stops when the form is not
// active or no object is under the pointer, and a hit test that finds an object starts it again
// (a hidden or idle form runs no timer).
void TvlVelmora::MouseTimerTick() {
  if (!GetFormActive() || !FForm->HandleAllocated()) {
    MouseTimer->SetEnabled(false);
    return;
  }
  TPoint p;
  GetCursorPos(&p);
  if (WindowFromPoint(p) != FForm->Handle()) {
    // A child control or another window: no object is hovered.
    MouseTimer->SetEnabled(false);
    TestActiveObject(-1, -1, false);
    return;
  }
  if (FSizeMove || FBorderLayerChangeSize) {
    MouseTimer->SetEnabled(false);
    return;
  }
  ScreenToFormPoint(p);
  const TRect client = FSkinSupport ? NewClRect : FrameClientRect();
  TWeak<TvlVelmora> alive(this);
  if (!client.Contains(p))
    TestActiveObject(p.X, p.Y, true);
  else if (ActiveObject != -1)
    TestActiveObject(-1, -1, true);
  if (alive && ActiveObject == -1 && MouseCaptureObject == -1) MouseTimer->SetEnabled(false);
}

void TvlVelmora::MorphTimerTick() {
  bool stepped = false;
  TWeak<TvlVelmora> alive(this);
  for (std::size_t i = 0; i < ObjectList.size(); ++i) {
    TvlActiveSkinObject* o = ObjectList[i].get();
    if (!o->EnableMorphing() || !o->CanMorphing()) continue;
    o->DoMorphing();
    if (!alive) return;
    stepped = true;
  }
  if (!stepped) MorphTimer->SetEnabled(false);
}

void TvlVelmora::AnimateTimerTick() {
  bool stepped = false;
  for (std::size_t i = 0; i < ObjectList.size(); ++i) {
    TvlActiveSkinObject* o = ObjectList[i].get();
    if (auto* a = dynamic_cast<TvlSkinAnimateObject*>(o)) {
      if (a->Active && (!a->FDown || IsNullRect(a->DownSkinRect))) {
        a->ChangeFrame();
        stepped = true;
      }
    } else if (auto* c = dynamic_cast<TvlSkinCaptionObject*>(o); c && c->EnableAnimation()) {
      if (c->FIncTime < c->AnimateInterval) {
        c->FIncTime += 25;
        stepped = true;
      } else if (c->Active && c->CurrentFrame <= c->FrameCount) {
        ++c->CurrentFrame;
        DrawSkinObject(c);
        c->FIncTime = 25;
        stepped = true;
      } else if (!c->Active && c->CurrentFrame > 0) {
        --c->CurrentFrame;
        DrawSkinObject(c);
        c->FIncTime = 25;
        stepped = true;
      }
    }
  }
  if (!stepped) AnimateTimer->SetEnabled(false);
}

void TvlVelmora::ResetObjectStates() {
  for (const auto& o : ObjectList) {
    if (auto* a = dynamic_cast<TvlSkinAnimateObject*>(o.get())) {
      a->FMouseIn = a->Active = false;
      a->FFrame = 1;
    } else if (!dynamic_cast<TvlSkinCaptionObject*>(o.get())) {
      o->Active = o->FMouseIn = false;
      o->SetMorphKf(0);
    }
  }
}

void TvlVelmora::UpdateCaptionActive(bool Animate) {
  const bool active = GetFormActive();
  for (const auto& o : ObjectList) {
    auto* c = dynamic_cast<TvlSkinCaptionObject*>(o.get());
    if (!c || c->Active == active) continue;
    c->Active = active;
    if (Animate) {
      if (c->EnableAnimation()) {
        c->FIncTime = 25;
        c->CurrentFrame = active ? 1 : (c->InActiveAnimation ? c->FrameCount : 0);
        AnimateTimer->SetEnabled(true);
      }
      SendNCPaint();
      if (c->EnableMorphing()) MorphTimer->SetEnabled(true);
    } else if (c->EnableMorphing()) {
      c->SetMorphKf(active ? 1.0 : 0.0);
    }
    break;
  }
  if (active) {
    if (OnActivate) OnActivate(this);
  } else if (OnDeActivate) {
    OnDeActivate(this);
  }
}

// ---- Mouse routing -------------------------------------------------------------------------------

void TvlVelmora::ObjectMouseDown(TMouseButton Button, int X, int Y) {
  if (ActiveObject < 0 || ActiveObject >= static_cast<int>(ObjectList.size())) return;
  TvlActiveSkinObject* o = ObjectList[static_cast<std::size_t>(ActiveObject)].get();
  if (!dynamic_cast<TvlSkinCaptionObject*>(o) && FForm->HandleAllocated()) SetCapture(FForm->Handle());
  MouseCaptureObject = ActiveObject;
  o->MouseDown(X, Y, Button);
}

void TvlVelmora::ObjectMouseUp(TMouseButton Button, int X, int Y) {
  if (MouseCaptureObject < 0 || MouseCaptureObject >= static_cast<int>(ObjectList.size())) return;
  TvlActiveSkinObject* o = ObjectList[static_cast<std::size_t>(MouseCaptureObject)].get();
  if (!dynamic_cast<TvlSkinCaptionObject*>(o)) ReleaseCapture();
  TWeak<TvlVelmora> alive(this);
  o->MouseUp(X, Y, Button);
  if (alive) MouseCaptureObject = -1;
}

void TvlVelmora::ObjectMouseMove(int X, int Y) {
  const int count = static_cast<int>(ObjectList.size());
  const int target = MouseCaptureObject >= 0 && MouseCaptureObject < count ? MouseCaptureObject : ActiveObject;
  if (target >= 0 && target < count) ObjectList[static_cast<std::size_t>(target)]->MouseMove(X, Y);
}

void TvlVelmora::ObjectDblClick() {
  if (ActiveObject >= 0 && ActiveObject < static_cast<int>(ObjectList.size()))
    ObjectList[static_cast<std::size_t>(ActiveObject)]->DblClick();
}

void TvlVelmora::CaptionDoubleClick() {
  const bool maximized = FWindowState == TWindowState::wsMaximized;
  if (CanResizeForm() && FWindowState == TWindowState::wsMinimized)
    SetWindowState(TWindowState::wsNormal);
  else if (CanResizeForm() && !maximized && !FRollUpState && FBorderIcons.Contains(TvlBorderIcon::biMaximize))
    SetWindowState(TWindowState::wsMaximized);
  else if (CanResizeForm() && maximized && !MaxRollUpState)
    SetWindowState(TWindowState::wsNormal);
  else
    SetRollUpState(!FRollUpState);
}

void TvlVelmora::RouteObjectMouse(const TMessage& M) {
  const bool nonClient = M.Msg >= WM_NCMOUSEMOVE && M.Msg <= WM_NCRBUTTONDBLCLK;
  if (nonClient && !FSkinnableForm) return;
  TPoint p = PointOf(M.LParam);
  if (nonClient) ScreenToFormPoint(p);
  const bool caption = M.WParam == HTCAPTION;
  TWeak<TvlVelmora> alive(this);
  switch (M.Msg) {
    case WM_NCMOUSEMOVE: ObjectMouseMove(p.X, p.Y); break;
    case WM_NCLBUTTONDOWN:
      if (FSizeMove) {
        FSizeMove = false;
        break;
      }
      TestActiveObject(p.X, p.Y, true);
      if (alive) ObjectMouseDown(TMouseButton::mbLeft, p.X, p.Y);
      if (alive && caption) MouseCaptureObject = -1;
      break;
    case WM_NCLBUTTONUP: ObjectMouseUp(TMouseButton::mbLeft, p.X, p.Y); break;
    case WM_NCLBUTTONDBLCLK:
      TestActiveObject(p.X, p.Y, true);
      if (alive) ObjectMouseDown(TMouseButton::mbLeft, p.X, p.Y);
      if (alive) ObjectDblClick();
      if (alive && caption) {
        CaptionDoubleClick();
        if (alive) MouseCaptureObject = -1;
      }
      break;
    case WM_NCRBUTTONDOWN:
      TestActiveObject(p.X, p.Y, true);
      if (alive) ObjectMouseDown(TMouseButton::mbRight, p.X, p.Y);
      if (alive && caption) {
        MouseCaptureObject = -1;
        if (!DisableSystemMenu) {
          TPoint at{};
          GetCursorPos(&at);
          PopupSystemMenu(at.X, at.Y);
        }
      }
      break;
    case WM_NCRBUTTONUP: ObjectMouseUp(TMouseButton::mbRight, p.X, p.Y); break;
    case WM_NCRBUTTONDBLCLK:
      TestActiveObject(p.X, p.Y, true);
      if (alive) ObjectMouseDown(TMouseButton::mbRight, p.X, p.Y);
      if (alive && caption) MouseCaptureObject = -1;
      break;
    case WM_LBUTTONUP: ObjectMouseUp(TMouseButton::mbLeft, -1, -1); break;
    case WM_RBUTTONUP: ObjectMouseUp(TMouseButton::mbRight, -1, -1); break;
    default: break;
  }
}

// ---- Objects by name and drawing ----------------------------------------------------------------

namespace {
// Draws an object alone on a window context (the whole window's, or the client area's).
void DrawOnWindow(TvlActiveSkinObject* Object, HWND Window, bool WholeWindow) {
  HDC dc = WholeWindow ? GetWindowDC(Window) : GetDC(Window);
  if (!dc) return;
  {
    TCanvas c;
    c.SetHandle(dc);
    Object->Draw(&c, true);
    c.SetHandle(nullptr);
  }
  ReleaseDC(Window, dc);
}
}  // namespace

void TvlVelmora::DrawSkinObject(TvlActiveSkinObject* AObject) {
  if (!AObject || IsMaximizedMDIChild() || !HasBorder() || !FForm->HandleAllocated()) return;
  DrawOnWindow(AObject, FForm->Handle(), true);
}

void TvlVelmora::UserObjectDraw(const std::string& AIDName) {
  const int i = GetIndex(AIDName);
  auto* o = i < 0 ? nullptr : dynamic_cast<TvlUserObject*>(ObjectList[static_cast<std::size_t>(i)].get());
  if (o && FForm->HandleAllocated()) DrawOnWindow(o, FForm->Handle(), false);
}

void TvlVelmora::SetEnabled(const std::string& AIDName, bool Value) {
  const int i = GetIndex(AIDName);
  if (i >= 0) ObjectList[static_cast<std::size_t>(i)]->Enabled = Value;
}

void TvlVelmora::LinkMenu(const std::string& AIDName, TMenu* AMenu, bool APopupUp) {
  const int i = GetIndex(AIDName);
  if (i < 0 || !AMenu) return;
  TvlActiveSkinObject* o = ObjectList[static_cast<std::size_t>(i)].get();
  if (auto* b = dynamic_cast<TvlSkinButtonObject*>(o)) {
    b->MenuItem = AMenu->Items();
    b->FPopupUp = APopupUp;
  } else if (auto* a = dynamic_cast<TvlSkinAnimateObject*>(o); a && a->ButtonStyle) {
    a->MenuItem = AMenu->Items();
    a->FPopupUp = APopupUp;
  }
}

void TvlVelmora::FireObjectPaint(const std::string& IDName, TCanvas* Canvas, TRect ObjectRect) {
  if (OnPaintEvent) OnPaintEvent(IDName, Canvas, ObjectRect);
}
void TvlVelmora::FireObjectMouseUp(const std::string& IDName, int X, int Y, TRect ObjectRect, TMouseButton Button) {
  if (OnMouseUpEvent) OnMouseUpEvent(IDName, X, Y, ObjectRect, Button);
}
void TvlVelmora::FireObjectMouseDown(const std::string& IDName, int X, int Y, TRect ObjectRect, TMouseButton Button) {
  if (OnMouseDownEvent) OnMouseDownEvent(IDName, X, Y, ObjectRect, Button);
}
void TvlVelmora::FireObjectMouseMove(const std::string& IDName, int X, int Y, TRect ObjectRect) {
  if (OnMouseMoveEvent) OnMouseMoveEvent(IDName, X, Y, ObjectRect);
}
void TvlVelmora::FireObjectMouseEnter(const std::string& IDName) {
  if (OnMouseEnterEvent) OnMouseEnterEvent(IDName);
}
void TvlVelmora::FireObjectMouseLeave(const std::string& IDName) {
  if (OnMouseLeaveEvent) OnMouseLeaveEvent(IDName);
}

// ---- The form icon -------------------------------------------------------------------------------

void TvlVelmora::GetSmallIconSize(int& W, int& H) {
  W = GetSystemMetrics(SM_CXSMICON);
  if (W == 0) W = GetSystemMetrics(SM_CXSIZE);
  H = GetSystemMetrics(SM_CYSMICON);
  if (H == 0) H = GetSystemMetrics(SM_CYSIZE);
}

void TvlVelmora::CreateFormIcon() {
  if (FIcon) return;
  int w = 0, h = 0;
  GetSmallIconSize(w, h);
  HICON source = nullptr;
  if (TIcon* i = FForm->Icon(); i && !i->Empty()) source = i->Handle();
  if (!source) {
    if (TIcon* i = Application()->Icon(); i && !i->Empty()) source = i->Handle();
  }
  bool shared = false;
  if (!source) {
    source = LoadIcon(nullptr, IDI_APPLICATION);
    shared = true;
  }
  FIcon = static_cast<HICON>(CopyImage(source, IMAGE_ICON, w, h, LR_COPYFROMRESOURCE));
  if (shared) DestroyIcon(source);
}

void TvlVelmora::DrawFormIcon(TCanvas* Canvas, int X, int Y) {
  CreateFormIcon();
  if (FIcon && Canvas) DrawIconEx(Canvas->Handle(), X, Y, FIcon, 0, 0, 0, nullptr, DI_NORMAL);
}
