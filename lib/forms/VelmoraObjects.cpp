// The frame objects of a skinned form: what each kind takes from its description, hit testing,
// hover morphs and glow frames, drawing, and the reactions of buttons and animations to the
// mouse. The caption text object is in VelmoraCaption.cpp.

#include "lib/forms/VelmoraObjects.h"

#include <algorithm>
#include <cmath>

#include "lib/forms/Velmora.h"
#include "lib/drawing/vlEffects.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Timers.h"

// ---- Shared drawing ----------------------------------------------------------------------------

void vlApplyInActiveEffect(TvlEffectBmp* B, TvlInActiveEffect Effect) {
  switch (Effect) {
    case TvlInActiveEffect::ieBrightness: B->ChangeBrightness(0.5); break;
    case TvlInActiveEffect::ieDarkness: B->ChangeDarkness(0.3); break;
    case TvlInActiveEffect::ieGrayScale: B->GrayScale(); break;
    case TvlInActiveEffect::ieNoise: B->AddMonoNoise(50); break;
    case TvlInActiveEffect::ieSplitBlur: B->SplitBlur(1); break;
    case TvlInActiveEffect::ieInvert: B->Invert(); break;
  }
}

namespace {

// The looks of the restore state (maximized, minimized, rolled up) and the two hints.
template <typename Object, typename Description>
void CopyRestoreLooks(Object& O, const Description& D) {
  O.RestoreRect = D.RestoreRect;
  O.RestoreActiveRect = D.RestoreActiveRect;
  O.RestoreInActiveRect = D.RestoreInActiveRect;
  O.RestoreDownRect = D.RestoreDownRect;
  O.RestoreHint = D.RestoreHint;
  O.FTempHint = O.Hint;
}

// The hint of a caption button or animation on entering: the restore hint in the restore state.
template <typename Object>
void ChooseHint(Object& O) {
  if (O.Command == TvlStdCommand::cmDefault) return;
  O.Hint = !O.RestoreHint.empty() && vlInRestoreState(O.Parent, O.Command) ? O.RestoreHint : O.FTempHint;
}

// A menu linked to a caption object opens through its own skinned popup menu, or else through
// the form skinner's skin menu.
void PopupObjectMenu(TvlVelmora* Parent, TMenuItem* Item, const TRect& R, bool PopupUp) {
  if (auto* popup = dynamic_cast<TvlSkinPopupMenu*>(Item->GetParentMenu())) {
    popup->PopupFromRect(R, PopupUp);
    return;
  }
  TWeak<TvlVelmora> alive(Parent);
  Parent->SkinMenuOpen();
  if (!alive) return;
  TvlSkinData* skin = Parent->MenusSkinData() ? Parent->MenusSkinData() : Parent->SkinData();
  Parent->SkinMenu->Popup(nullptr, skin, 0, R, Item, PopupUp);
}

// The commands that change the window (close, maximize, minimize, roll-up, tray). The hover is
// cleared first, so the object hears MouseLeave before the window changes (not for a roll-up).
void RunWindowCommand(TvlVelmora* V, TvlStdCommand Command) {
  const auto toggled = [V](TWindowState State) {
    return V->WindowState() == State ? TWindowState::wsNormal : State;
  };
  if (Command == TvlStdCommand::cmRollUp) {
    V->SetRollUpState(!V->RollUpState());
    return;
  }
  if (Command == TvlStdCommand::cmSysMenu || Command == TvlStdCommand::cmDefault) return;
  TWeak<TvlVelmora> alive(V);
  V->TestActiveObject(-1, -1, false);
  if (!alive) return;
  switch (Command) {
    case TvlStdCommand::cmClose: V->Form()->Close(); break;
    case TvlStdCommand::cmMaximize: V->SetWindowState(toggled(TWindowState::wsMaximized)); break;
    case TvlStdCommand::cmMinimize:
      if (V->AlwaysMinimizeToTray)
        V->MinimizeToTray();
      else
        V->SetWindowState(toggled(TWindowState::wsMinimized));
      break;
    case TvlStdCommand::cmMinimizeToTray: V->MinimizeToTray(); break;
    default: break;
  }
}

void HideLayerManagers(TvlVelmora* Parent) {
  for (TvlLayerManager* m : {Parent->FLayerManager, Parent->FMenuLayerManager})
    if (m->IsVisible) m->Hide();
}

}  // namespace

bool vlInRestoreState(TvlVelmora* Parent, TvlStdCommand Command) {
  switch (Command) {
    case TvlStdCommand::cmMaximize: return Parent->WindowState() == TWindowState::wsMaximized;
    case TvlStdCommand::cmMinimize: return Parent->WindowState() == TWindowState::wsMinimized;
    case TvlStdCommand::cmRollUp: return Parent->RollUpState();
    default: return false;
  }
}

// ---- Base ---------------------------------------------------------------------------------------

TvlActiveSkinObject::TvlActiveSkinObject(TvlVelmora* AParent, TvlDataSkinObject* AData) : Parent(AParent) {
  SD = AParent ? AParent->SkinData() : nullptr;
  if (SD) Picture = SD->FPicture.get();
  if (!AData) return;
  IDName = AData->IDName;
  Hint = AData->Hint;
  SkinRectInAPicture = AData->SkinRectInAPicture;
  SkinRect = AData->SkinRect;
  ActiveSkinRect = AData->ActiveSkinRect;
  InActiveSkinRect = AData->InActiveSkinRect;
  Morphing = AData->Morphing;
  MorphKind = AData->MorphKind;
  GlowLayerPictureIndex = AData->GlowLayerPictureIndex;
  GlowLayerMaskPictureIndex = AData->GlowLayerMaskPictureIndex;
  GlowLayerOffsetX = AData->GlowLayerOffsetX;
  GlowLayerOffsetY = AData->GlowLayerOffsetY;
  GlowLayerAlphaBlendValue = AData->GlowLayerAlphaBlendValue;
  ObjectRect = SkinRect;
  // A picture index outside the skin names no picture (vlSkinPicture checks the range).
  ActivePicture = vlSkinPicture(SD, AData->ActivePictureIndex);
  ActiveMaskPicture = vlSkinPicture(SD, AData->ActiveMaskPictureIndex);
  if (!ActivePicture) SetNullRect(ActiveSkinRect);
  if (IsNullRect(ActiveSkinRect)) Morphing = false;
}

TvlActiveSkinObject::~TvlActiveSkinObject() = default;

bool TvlActiveSkinObject::SkinInUse() const { return SD && !SD->Empty; }

bool TvlActiveSkinObject::IsPointInObject(int X, int Y) {
  if (!SkinInUse() || !ActiveMaskPicture || ActiveMaskPicture->Empty()) return true;
  const std::shared_ptr<PixelSurface>& s = ActiveMaskPicture->Surface();
  // A point at or beyond the mask's width or height lies outside it.
  if (X < 0 || Y < 0 || X >= s->Width() || Y >= s->Height()) return false;
  return (s->PixelAt(X, Y) & 0x00FFFFFFu) == 0;
}

void TvlActiveSkinObject::SetMorphKf(double Value) {
  FMorphStep = std::clamp(static_cast<int>(std::lround(Value * kMorphSteps)), 0, kMorphSteps);
}

bool TvlActiveSkinObject::EnableMorphing() const {
  return Morphing && SD && !SD->Empty && SD->EnableSkinEffects;
}

bool TvlActiveSkinObject::CanMorphing() {
  return (Active && FMorphStep < kMorphSteps) || (!Active && FMorphStep > 0);
}

bool TvlActiveSkinObject::MorphUnderWay() const {
  return (!Active || FMorphStep != kMorphSteps) && (Active || FMorphStep != 0);
}

void TvlActiveSkinObject::DoMorphing() {
  FMorphStep = std::clamp(FMorphStep + (Active ? 1 : -1), 0, kMorphSteps);
  Parent->DrawSkinObject(this);
}

void TvlActiveSkinObject::StartHoverEffect() {
  if (EnableMorphing())
    Parent->MorphTimer->SetEnabled(true);
  else
    Parent->DrawSkinObject(this);
}

TRect TvlActiveSkinObject::ScreenRect() const {
  TCustomForm* form = Parent->Form();
  TPoint at{form->Left(), form->Top()};
  if (form->FormStyle() == TFormStyle::fsMDIChild) {
    const TPoint client = Parent->SkinData() && !Parent->SkinData()->Empty
                              ? TPoint{-Parent->NewClRect.Left, -Parent->NewClRect.Top}
                              : TPoint{-3, -Parent->DefCaptionHeight() - 3};
    at = form->ClientToScreen(client);
  }
  return TRect{ObjectRect.Left + at.X, ObjectRect.Top + at.Y, ObjectRect.Right + at.X, ObjectRect.Bottom + at.Y};
}

void TvlActiveSkinObject::ShowLayerOn(TvlLayerManager* Manager) {
  if (!SkinInUse() || GlowLayerPictureIndex == -1 || !IsWin2000OrLater() || !SD->ShowCaptionButtonGlowFrames) return;
  // Picture numbers that name no picture give no glow.
  TBitmap* image = vlSkinPicture(SD, GlowLayerPictureIndex);
  TBitmap* mask = vlSkinPicture(SD, GlowLayerMaskPictureIndex);
  if (!image || !mask) return;
  const TRect r = ScreenRect();
  Manager->Show(r.Left - GlowLayerOffsetX, r.Top - GlowLayerOffsetY, image, mask, GlowLayerAlphaBlendValue);
}

void TvlActiveSkinObject::ShowLayer() { ShowLayerOn(Parent->FLayerManager); }

void TvlActiveSkinObject::HideLayer() { HideLayerOn(Parent->FLayerManager); }

void TvlActiveSkinObject::HideLayerOn(TvlLayerManager* Manager) {
  if (SkinInUse() && GlowLayerPictureIndex != -1 && Manager->IsVisible) Manager->Hide();
}

TvlLayerManager* TvlActiveSkinObject::GlowManager(bool MenuOwner) const {
  // An object that opens a menu keeps its glow on the menu layer, beside the open menu.
  return MenuOwner ? Parent->FMenuLayerManager : Parent->FLayerManager;
}

void TvlActiveSkinObject::MouseEnter() {
  FMouseIn = Active = true;
  if (!IsNullRect(ActiveSkinRect)) StartHoverEffect();
  TWeak<TvlActiveSkinObject> alive(this);
  Parent->FireObjectMouseEnter(IDName);
  if (alive) ShowLayer();
}

void TvlActiveSkinObject::MouseLeave() {
  FMouseIn = Active = false;
  if (!IsNullRect(ActiveSkinRect)) StartHoverEffect();
  TWeak<TvlActiveSkinObject> alive(this);
  Parent->FireObjectMouseLeave(IDName);
  if (alive) HideLayer();
}

void TvlActiveSkinObject::MouseDown(int X, int Y, TMouseButton Button) {
  Parent->FireObjectMouseDown(IDName, X, Y, ObjectRect, Button);
}

void TvlActiveSkinObject::MouseUp(int X, int Y, TMouseButton Button) {
  if (FMouseIn) Parent->FireObjectMouseUp(IDName, X, Y, ObjectRect, Button);
}

void TvlActiveSkinObject::MouseMove(int X, int Y) { Parent->FireObjectMouseMove(IDName, X, Y, ObjectRect); }

void TvlActiveSkinObject::CopyImage(TCanvas* C, TBitmap* P, const TRect& Rect) {
  if (!C || !P || P->Empty() || IsNullRect(Rect) || IsNullRect(ObjectRect)) return;
  C->CopyRect(ObjectRect, P->Canvas(), Rect);
}

void TvlActiveSkinObject::DrawMorph(TCanvas* C, TBitmap* NormalPicture, const TRect& Normal, const TRect& Hover) {
  if (!NormalPicture || !ActivePicture || IsNullRect(ObjectRect)) return;
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  TBitmap normal, hover;
  for (TBitmap* b : {&normal, &hover}) {
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(w, h);
  }
  if (normal.Empty()) return;
  normal.Canvas()->CopyRect(TRect{0, 0, w, h}, NormalPicture->Canvas(), Normal);
  hover.Canvas()->CopyRect(TRect{0, 0, w, h}, ActivePicture->Canvas(), Hover);
  vlDrawMorph(C, ObjectRect.Left, ObjectRect.Top, &normal, &hover, MorphKf(), MorphKind);
}

void TvlActiveSkinObject::Draw(TCanvas* Cnvs, bool UpDate) {
  if (!SkinInUse()) return;
  if (Enabled && !Parent->GetFormActive() && !IsNullRect(InActiveSkinRect)) {
    CopyImage(Cnvs, ActivePicture, InActiveSkinRect);
    return;
  }
  TBitmap* normal = SkinRectInAPicture ? ActivePicture : Picture;
  if (EnableMorphing() && MorphUnderWay()) {
    DrawMorph(Cnvs, normal, SkinRect, ActiveSkinRect);
    return;
  }
  if (Active && !IsNullRect(ActiveSkinRect)) {
    CopyImage(Cnvs, ActivePicture, ActiveSkinRect);
  } else if (UpDate || SkinRectInAPicture) {
    CopyImage(Cnvs, normal, SkinRect);
  }
}

void TvlUserObject::Draw(TCanvas* Cnvs, bool) { Parent->FireObjectPaint(IDName, Cnvs, ObjectRect); }

// ---- Button --------------------------------------------------------------------------------------

TvlSkinButtonObject::TvlSkinButtonObject(TvlVelmora* AParent, TvlDataSkinButton* AData)
    : TvlActiveSkinObject(AParent, AData) {
  if (!AData) return;
  DownRect = AData->DownRect;
  DisableSkinRect = AData->DisableSkinRect;
}

void TvlSkinButtonObject::ShowLayer() { ShowLayerOn(GlowManager(MenuItem != nullptr)); }
void TvlSkinButtonObject::HideLayer() { HideLayerOn(GlowManager(MenuItem != nullptr)); }

bool TvlSkinButtonObject::CanMorphing() {
  if (MenuItem && FDown) return false;
  return TvlActiveSkinObject::CanMorphing();
}

void TvlSkinButtonObject::Draw(TCanvas* Cnvs, bool UpDate) {
  if (!SkinInUse()) return;
  if (!Enabled && !IsNullRect(DisableSkinRect)) {
    CopyImage(Cnvs, ActivePicture, DisableSkinRect);
  } else if (FDown && FMouseIn && !IsNullRect(DownRect)) {
    CopyImage(Cnvs, ActivePicture, DownRect);
  } else {
    TvlActiveSkinObject::Draw(Cnvs, UpDate);
  }
}

void TvlSkinButtonObject::SetDown(bool Value) {
  FDown = Value;
  if (EnableMorphing() && Active) FMorphStep = kMorphSteps;
  Parent->DrawSkinObject(this);
  if (EnableMorphing() && !FDown) StartHoverEffect();
}

void TvlSkinButtonObject::PopupCommandMenu() {
  if (!MenuItem || MenuItem->Count() == 0) return;
  HideLayerManagers(Parent);
  if (FMouseIn) ShowLayer();
  PopupObjectMenu(Parent, MenuItem, ScreenRect(), FPopupUp);
}

void TvlSkinButtonObject::MouseDown(int X, int Y, TMouseButton Button) {
  if (!Enabled) return;
  TWeak<TvlActiveSkinObject> alive(this);
  if (Button == TMouseButton::mbLeft && !FDown) {
    SetDown(true);
    PopupCommandMenu();
    if (!alive) return;
  }
  TvlActiveSkinObject::MouseDown(X, Y, Button);
}

void TvlSkinButtonObject::MouseUp(int X, int Y, TMouseButton Button) {
  if (!Enabled) return;
  if (Button == TMouseButton::mbLeft && !MenuItem && FDown) SetDown(false);
  TvlActiveSkinObject::MouseUp(X, Y, Button);
}

void TvlSkinButtonObject::MouseEnter() {
  FMouseIn = Active = true;
  if (IsNullRect(DownRect) || !FDown) {
    if (!IsNullRect(ActiveSkinRect)) StartHoverEffect();
    if (MenuItem) ShowLayer();
  } else {
    if (EnableMorphing()) FMorphStep = kMorphSteps;
    Parent->DrawSkinObject(this);
  }
  TWeak<TvlActiveSkinObject> alive(this);
  Parent->FireObjectMouseEnter(IDName);
  if (alive && !MenuItem) ShowLayer();
}

void TvlSkinButtonObject::MouseLeave() {
  FMouseIn = Active = false;
  // A button whose menu is open keeps its pressed look and its glow.
  if (!MenuItem || !FDown) {
    if (MenuItem) HideLayer();
    Parent->DrawSkinObject(this);
    StartHoverEffect();
  }
  TWeak<TvlActiveSkinObject> alive(this);
  Parent->FireObjectMouseLeave(IDName);
  if (alive && !MenuItem) HideLayer();
}

// ---- Standard button -------------------------------------------------------------------------------

TvlSkinStdButtonObject::TvlSkinStdButtonObject(TvlVelmora* AParent, TvlDataSkinStdButton* AData)
    : TvlSkinButtonObject(AParent, AData) {
  if (!AData) return;
  FSkinSupport = true;
  Command = AData->Command;
  CopyRestoreLooks(*this, *AData);
}

bool TvlSkinStdButtonObject::ShowsIcon() const {
  return Command == TvlStdCommand::cmSysMenu && Parent->ShowIcon() && FSkinSupport && SkinRectInAPicture;
}

bool TvlSkinStdButtonObject::IsPointInObject(int X, int Y) {
  return ShowsIcon() || TvlSkinButtonObject::IsPointInObject(X, Y);
}

void TvlSkinStdButtonObject::ShowLayer() {
  if (!ShowsIcon()) TvlSkinButtonObject::ShowLayer();
}

void TvlSkinStdButtonObject::HideLayer() {
  if (!ShowsIcon()) TvlSkinButtonObject::HideLayer();
}

bool TvlSkinStdButtonObject::CanMorphing() { return !ShowsIcon() && TvlSkinButtonObject::CanMorphing(); }

void TvlSkinStdButtonObject::Draw(TCanvas* Cnvs, bool UpDate) {
  if (!FSkinSupport) {
    DefaultDraw(Cnvs);
    return;
  }
  if (!SkinInUse()) return;
  if (ShowsIcon()) {
    Parent->DrawFormIcon(Cnvs, ObjectRect.Left, ObjectRect.Top);
    FMorphStep = 0;
    return;
  }
  if (Enabled && vlInRestoreState(Parent, Command) && !IsNullRect(RestoreRect)) {
    if (!Parent->GetFormActive() && !IsNullRect(RestoreInActiveRect))
      CopyImage(Cnvs, ActivePicture, RestoreInActiveRect);
    else if (FDown && FMouseIn && !IsNullRect(RestoreDownRect))
      CopyImage(Cnvs, ActivePicture, RestoreDownRect);
    else if (EnableMorphing() && MorphUnderWay())
      DrawMorph(Cnvs, ActivePicture, RestoreRect, RestoreActiveRect);
    else if (Active && !IsNullRect(RestoreActiveRect))
      CopyImage(Cnvs, ActivePicture, RestoreActiveRect);
    else
      CopyImage(Cnvs, ActivePicture, RestoreRect);
    return;
  }
  TvlSkinButtonObject::Draw(Cnvs, UpDate);
}

void TvlSkinStdButtonObject::DefaultDraw(TCanvas* Cnvs) {
  if (Command == TvlStdCommand::cmSysMenu && Parent->ShowIcon()) {
    Parent->DrawFormIcon(Cnvs, ObjectRect.Left, ObjectRect.Top);
    return;
  }
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  if (w <= 0 || h <= 0) return;
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(w, h);
  TCanvas* c = b.Canvas();
  const bool pressed = FDown && FMouseIn;
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  if (pressed || FMouseIn) {
    c->Brush()->SetColor(clNavy);
    c->FillRect(TRect{0, 0, w, h});
    c->Brush()->SetColor(static_cast<TColor>(pressed ? RGB(133, 147, 181) : RGB(182, 189, 210)));
    c->FillRect(TRect{1, 1, w - 1, h - 1});
  } else {
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect{0, 0, w, h});
  }
  const int x = w / 2 - 5 + (pressed ? 1 : 0), y = h / 2 - 4 + (pressed ? 1 : 0);
  const TColor colour = Enabled ? clBtnText : clBtnShadow;
  switch (Command) {
    case TvlStdCommand::cmClose: DrawCloseGlyph(c, x, y, colour); break;
    case TvlStdCommand::cmMaximize:
      if (Parent->WindowState() == TWindowState::wsMaximized)
        DrawRestoreGlyph(c, x, y, colour);
      else
        DrawMaximizeGlyph(c, x, y, colour);
      break;
    case TvlStdCommand::cmMinimize:
      if (Parent->WindowState() == TWindowState::wsMinimized)
        DrawRestoreGlyph(c, x, y, colour);
      else
        DrawMinimizeGlyph(c, x, y, colour);
      break;
    case TvlStdCommand::cmSysMenu: DrawSysMenuGlyph(c, x, y, colour); break;
    case TvlStdCommand::cmRollUp:
      if (Parent->RollUpState())
        DrawRollDownGlyph(c, x, y, colour);
      else
        DrawRollUpGlyph(c, x, y, colour);
      break;
    case TvlStdCommand::cmMinimizeToTray: DrawTrayGlyph(c, x, y, colour); break;
    case TvlStdCommand::cmDefault: break;
  }
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

void TvlSkinStdButtonObject::MouseEnter() {
  ChooseHint(*this);
  TvlSkinButtonObject::MouseEnter();
}

void TvlSkinStdButtonObject::MouseDown(int, int, TMouseButton Button) {
  if (Button != TMouseButton::mbLeft || !Enabled || FDown) return;
  TWeak<TvlActiveSkinObject> alive(this);
  SetDown(true);
  if (!alive || Command != TvlStdCommand::cmSysMenu) return;
  MenuItem = Parent->GetSystemMenuItems();
  PopupCommandMenu();
}

void TvlSkinStdButtonObject::MouseUp(int X, int Y, TMouseButton Button) {
  // Active false: the pointer left the button before the release, and nothing runs.
  const bool run = Active && Button == TMouseButton::mbLeft;
  if (Command == TvlStdCommand::cmClose) {
    // The button is released and redrawn before the form may go.
    TvlSkinButtonObject::MouseUp(X, Y, Button);
    if (run) ExecuteCommand();
    return;
  }
  TWeak<TvlActiveSkinObject> alive(this);
  if (run) ExecuteCommand();
  if (alive) TvlSkinButtonObject::MouseUp(X, Y, Button);
}

void TvlSkinStdButtonObject::DblClick() {
  if (Command == TvlStdCommand::cmSysMenu) Parent->Form()->Close();
}

void TvlSkinStdButtonObject::ExecuteCommand() { RunWindowCommand(Parent, Command); }

// ---- Animation ---------------------------------------------------------------------------------

TvlSkinAnimateObject::TvlSkinAnimateObject(TvlVelmora* AParent, TvlDataSkinAnimate* AData)
    : TvlActiveSkinObject(AParent, AData) {
  if (!AData) return;
  CountFrames = std::max(1, AData->CountFrames);
  Cycle = AData->Cycle;
  ButtonStyle = AData->ButtonStyle;
  TimerInterval = AData->TimerInterval < 25 ? 25 : AData->TimerInterval;
  Command = AData->Command;
  DownSkinRect = AData->DownSkinRect;
  CopyRestoreLooks(*this, *AData);
}

void TvlSkinAnimateObject::ShowLayer() { ShowLayerOn(GlowManager(MenuItem != nullptr)); }
void TvlSkinAnimateObject::HideLayer() { HideLayerOn(GlowManager(MenuItem != nullptr)); }

void TvlSkinAnimateObject::SetFrame(int Value) {
  if (Increment && Value > CountFrames) Value = 1;
  if (!Increment && Value <= 0) Value = CountFrames;
  FFrame = Value;
  Parent->DrawSkinObject(this);
}

void TvlSkinAnimateObject::ChangeFrame() {
  if (FInc < TimerInterval) {
    FInc += 25;
    return;
  }
  if (Increment) {
    SetFrame(FFrame + 1);
    if (!Cycle && FFrame == CountFrames) Active = false;
  } else {
    SetFrame(FFrame - 1);
    if (FFrame == 1) Active = false;
  }
  FInc = 25;
}

void TvlSkinAnimateObject::Start() {
  FInc = 25;
  FFrame = 1;
  Active = true;
  Parent->AnimateTimer->SetEnabled(true);
}

void TvlSkinAnimateObject::Stop() {
  SetFrame(1);
  Active = false;
  FInc = 25;
}

void TvlSkinAnimateObject::PopupCommandMenu() {
  if (!MenuItem || MenuItem->Count() == 0) return;
  FMenuTracking = true;
  HideLayerManagers(Parent);
  if (FMouseIn) ShowLayer();
  PopupObjectMenu(Parent, MenuItem, ScreenRect(), FPopupUp);
}

void TvlSkinAnimateObject::ExecuteCommand() {
  if (Command == TvlStdCommand::cmSysMenu) {
    MenuItem = Parent->GetSystemMenuItems();
    PopupCommandMenu();
  } else if (Command == TvlStdCommand::cmDefault) {
    if (MenuItem) PopupCommandMenu();
  } else {
    RunWindowCommand(Parent, Command);
  }
}

void TvlSkinAnimateObject::HoverChanged(bool Entering) {
  if (FMenuTracking) return;
  if (ButtonStyle) {
    // Entering runs the frames forward, leaving back.
    Active = true;
    Increment = Entering;
    if (!FDown || IsNullRect(DownSkinRect))
      Parent->AnimateTimer->SetEnabled(true);
    else
      Parent->DrawSkinObject(this);
  }
  TWeak<TvlActiveSkinObject> alive(this);
  if (Entering)
    Parent->FireObjectMouseEnter(IDName);
  else
    Parent->FireObjectMouseLeave(IDName);
  if (!alive) return;
  if (Entering)
    ShowLayer();
  else
    HideLayer();
}

void TvlSkinAnimateObject::MouseEnter() {
  ChooseHint(*this);
  FMouseIn = true;
  HoverChanged(true);
}

void TvlSkinAnimateObject::MouseLeave() {
  if (!FMouseIn) return;
  FMouseIn = false;
  HoverChanged(false);
}

void TvlSkinAnimateObject::MouseDown(int X, int Y, TMouseButton Button) {
  TWeak<TvlActiveSkinObject> alive(this);
  TvlActiveSkinObject::MouseDown(X, Y, Button);
  if (!alive) return;
  if (Button == TMouseButton::mbLeft && !IsNullRect(DownSkinRect)) {
    FFrame = CountFrames;
    FDown = true;
    Parent->DrawSkinObject(this);
  }
  if (Command == TvlStdCommand::cmSysMenu && FMouseIn && ButtonStyle && Button == TMouseButton::mbLeft)
    ExecuteCommand();
}

void TvlSkinAnimateObject::MouseUp(int X, int Y, TMouseButton Button) {
  TWeak<TvlActiveSkinObject> alive(this);
  TvlActiveSkinObject::MouseUp(X, Y, Button);
  if (!alive || FMenuTracking) return;
  if (Button == TMouseButton::mbLeft && !IsNullRect(DownSkinRect)) {
    FDown = false;
    Parent->DrawSkinObject(this);
    Parent->AnimateTimer->SetEnabled(true);
  }
  if (Command != TvlStdCommand::cmSysMenu && FMouseIn && ButtonStyle && Button == TMouseButton::mbLeft)
    ExecuteCommand();
}

void TvlSkinAnimateObject::DblClick() {
  if (Command == TvlStdCommand::cmSysMenu) Parent->Form()->Close();
}

void TvlSkinAnimateObject::Draw(TCanvas* Cnvs, bool) {
  if (!SkinInUse()) return;
  TRect s = SkinRect, d = DownSkinRect, i = InActiveSkinRect;
  if (!IsNullRect(RestoreRect) && vlInRestoreState(Parent, Command)) {
    s = RestoreRect;
    d = RestoreDownRect;
    i = RestoreInActiveRect;
  }
  const int w = s.Width(), h = s.Height();
  const auto frame = [&](int k) { return TRect{s.Left + w * (k - 1), s.Top, s.Left + w * k, s.Top + h}; };
  TRect source;
  if (!FMenuTracking) {
    if (!Parent->GetFormActive() && !IsNullRect(i))
      source = i;
    else if (FDown && FMouseIn && !IsNullRect(d))
      source = d;
    else
      source = frame(FFrame);
  } else if (!IsNullRect(d)) {
    source = d;
  } else {
    FFrame = CountFrames;
    source = frame(FFrame);
  }
  CopyImage(Cnvs, ActivePicture, source);
}

std::unique_ptr<TvlActiveSkinObject> vlCreateSkinObject(TvlVelmora* AParent, TvlDataSkinObject* AData) {
  // Menu items, menu bar items and menu bar buttons belong to the menus. A menu bar button is
  // also a standard button, so the menu kinds are tested first.
  if (dynamic_cast<TvlDataSkinMainMenuItem*>(AData) || dynamic_cast<TvlDataSkinMenuItem*>(AData) ||
      dynamic_cast<TvlDataSkinMainMenuBarButton*>(AData))
    return nullptr;
  if (auto* d = dynamic_cast<TvlDataSkinStdButton*>(AData)) return std::make_unique<TvlSkinStdButtonObject>(AParent, d);
  if (auto* d = dynamic_cast<TvlDataSkinButton*>(AData)) return std::make_unique<TvlSkinButtonObject>(AParent, d);
  if (auto* d = dynamic_cast<TvlDataSkinCaption*>(AData)) return std::make_unique<TvlSkinCaptionObject>(AParent, d);
  if (auto* d = dynamic_cast<TvlDataSkinAnimate*>(AData)) return std::make_unique<TvlSkinAnimateObject>(AParent, d);
  if (auto* d = dynamic_cast<TvlDataUserObject*>(AData)) return std::make_unique<TvlUserObject>(AParent, d);
  return nullptr;
}
