// The caption buttons of a maximized MDI child on the skinned main menu bar: made when the main
// form hears that a child maximized itself, laid out at the bar's two ends, drawn from the skin's
// button objects or in the built-in caption-button look, and acting on the maximized child.

#include <algorithm>

#include "lib/drawing/vlEffects.h"
#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/Input.h"

using namespace vlskinctrls_detail;

namespace {

// List order at the head of the bar's objects: system menu, close, restore, minimize.
struct TChildButtonKind {
  std::string TvlSkinMainMenuBar::*SkinName;
  const char* BuiltinName;
  TvlStdCommand Command;
};
constexpr TChildButtonKind kChildButtons[] = {
    {&TvlSkinMainMenuBar::SysMenuButton, "SysMenuButton", TvlStdCommand::cmSysMenu},
    {&TvlSkinMainMenuBar::CloseButton, "CloseButton", TvlStdCommand::cmClose},
    {&TvlSkinMainMenuBar::MaxButton, "MaxButton", TvlStdCommand::cmMaximize},
    {&TvlSkinMainMenuBar::MinButton, "MinButton", TvlStdCommand::cmMinimize},
};

TvlDataSkinStdButton* FindButtonDescription(TvlSkinData* SD, const std::string& Name) {
  if (SD == nullptr || SD->Empty || Name.empty()) return nullptr;
  for (const auto& d : SD->ObjectList)
    if (d->IDName == Name) return dynamic_cast<TvlDataSkinStdButton*>(d.get());
  return nullptr;
}

}  // namespace

// ---- One button ------------------------------------------------------------------------------------

TvlSkinMainMenuBarButton::TvlSkinMainMenuBarButton(TvlSkinMainMenuBar* AParent, TvlDataSkinStdButton* AData,
                                                   const std::string& AName, TvlStdCommand ACommand)
    : TvlMenuBarObject(AParent, AData), Command(ACommand) {
  IDName = AName;
  if (AData != nullptr) {
    Command = AData->Command;
    DownRect = AData->DownRect;
    FSkinSupport = true;
  }
}

void TvlSkinMainMenuBarButton::Draw(TCanvas* Cnvs) {
  if (!FSkinSupport || Picture == nullptr) {
    DefaultDraw(Cnvs);
    return;
  }
  const bool pressed = FDown && FMouseIn;
  if (pressed && !IsNullRect(DownRect)) {
    DrawPieceTransparent(Cnvs, Picture, DownRect, ObjectRect.Left, ObjectRect.Top);
    return;
  }
  const bool morphing = EnableMorphing() && FMorphStep > 0 && FMorphStep < kMorphSteps;
  if (morphing) {
    TBitmap from, to;
    if (CopyPiece(&from, Picture, SkinRect) && CopyPiece(&to, Picture, ActiveSkinRect) &&
        from.Width() == to.Width() && from.Height() == to.Height()) {
      TBitmap out;
      PrepareBitmap(&out, from.Width(), from.Height());
      vlDrawMorph(out.Canvas(), 0, 0, &from, &to, MorphKf(), MorphKind);
      Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &out);
      return;
    }
  }
  const TRect img = Active && !IsNullRect(ActiveSkinRect) ? ActiveSkinRect : SkinRect;
  DrawPieceTransparent(Cnvs, Picture, img, ObjectRect.Left, ObjectRect.Top);
}

void TvlSkinMainMenuBarButton::DefaultDraw(TCanvas* Cnvs) {
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  if (w <= 0 || h <= 0) return;
  TBitmap b;
  PrepareBitmap(&b, w, h);
  TCanvas* c = b.Canvas();
  const bool pressed = FDown && FMouseIn;
  const TRect all{0, 0, w, h};
  if (pressed || (FMouseIn && Enabled)) {
    DrawBuiltinFace(c, all, clNavy, pressed ? kBuiltinDownFill : kBuiltinHoverFill);
  } else {
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(all);
  }
  const int x = w / 2 - 5 + (pressed ? 1 : 0), y = h / 2 - 4 + (pressed ? 1 : 0);
  const TColor colour = Enabled ? clBtnText : clBtnShadow;
  switch (Command) {
    case TvlStdCommand::cmClose: DrawCloseGlyph(c, x, y, colour); break;
    case TvlStdCommand::cmMaximize: DrawRestoreGlyph(c, x, y, colour); break;
    case TvlStdCommand::cmMinimize: DrawMinimizeGlyph(c, x, y, colour); break;
    case TvlStdCommand::cmSysMenu: DrawSysMenuGlyph(c, x, y, colour); break;
    default: break;
  }
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

void TvlSkinMainMenuBarButton::MouseEnter() {
  if (FDown && Command == TvlStdCommand::cmSysMenu) {
    FMouseIn = Active = true;
    return;
  }
  // A pressed button shows pressed again as the pointer comes back (the base redraws it).
  TvlMenuBarObject::MouseEnter();
}

void TvlSkinMainMenuBarButton::MouseLeave() {
  if (FDown && Command == TvlStdCommand::cmSysMenu) {
    if (EnableMorphing()) SetMorphKf(1);
    FMouseIn = Active = false;
    return;
  }
  TvlMenuBarObject::MouseLeave();
}

void TvlSkinMainMenuBarButton::MouseDown(int, int, TMouseButton Button) {
  if (!Enabled || Button != TMouseButton::mbLeft || FDown) return;
  FDown = true;
  if (EnableMorphing() && !IsNullRect(DownRect)) SetMorphKf(1);
  Parent->RedrawObject(this);
  if (Command == TvlStdCommand::cmSysMenu) DoCommand();
}

void TvlSkinMainMenuBarButton::MouseUp(int, int, TMouseButton Button) {
  if (!Enabled || Button != TMouseButton::mbLeft || Command == TvlStdCommand::cmSysMenu) return;
  FDown = false;
  TvlSkinMainMenuBar* bar = Parent;
  TWeak<TvlSkinMainMenuBar> alive(bar);
  if (EnableMorphing())
    StartHoverEffect();
  else
    bar->RedrawObject(this);
  if (Active) DoCommand();  // may rebuild the bar's objects: nothing of this one afterwards
}

void TvlSkinMainMenuBarButton::DblClick() {
  if (Command != TvlStdCommand::cmSysMenu) return;
  TvlVelmora* child = vlFindMaximizedMDIChildSkinForm();
  TvlVelmora* v = Parent->Velmora();
  if (child == nullptr) return;
  TWeak<TvlVelmora> childAlive(child);
  if (v != nullptr) {
    TWeak<TvlVelmora> alive(v);
    if (v->SkinMenu->FVisible) v->SkinMenu->Hide();
    if (alive) v->SkinMenuClose();
  }
  if (childAlive) child->Form()->Close();
}

void TvlSkinMainMenuBarButton::MenuClosed(bool Hovered) {
  if (Command != TvlStdCommand::cmSysMenu) return;
  FDown = false;
  if (!Hovered) FMouseIn = Active = false;
  StartHoverEffect();
}

void TvlSkinMainMenuBarButton::DoCommand() {
  TvlVelmora* child = vlFindMaximizedMDIChildSkinForm();
  if (child == nullptr) return;
  switch (Command) {
    case TvlStdCommand::cmClose: child->Form()->Close(); break;
    case TvlStdCommand::cmMaximize: child->SetWindowState(TWindowState::wsNormal); break;
    case TvlStdCommand::cmMinimize: child->SetWindowState(TWindowState::wsMinimized); break;
    case TvlStdCommand::cmSysMenu: PopupChildSystemMenu(); break;
    default: break;
  }
}

void TvlSkinMainMenuBarButton::PopupChildSystemMenu() {
  TvlSkinMainMenuBar* bar = Parent;
  TvlVelmora* v = bar->Velmora();
  TvlVelmora* child = vlFindMaximizedMDIChildSkinForm();
  bar->Repaint();
  if (v == nullptr || child == nullptr) return;
  const TPoint o = bar->ClientOrigin();
  const TRect r{o.X + ObjectRect.Left, o.Y + ObjectRect.Top, o.X + ObjectRect.Right, o.Y + ObjectRect.Bottom};
  TMenuItem* items = child->GetSystemMenuItems();
  TWeak<TvlVelmora> alive(v);
  v->SkinMenuOpen();
  if (!alive || items == nullptr) return;
  TvlSkinData* sd = v->MenusSkinData() != nullptr ? v->MenusSkinData() : v->SkinData();
  v->SkinMenu->Popup(bar, sd, 0, r, items, bar->PopupToUp);
}

// ---- The bar's side ----------------------------------------------------------------------------------

void TvlSkinMainMenuBar::ShowChildButtons() {
  if (FMDIChildMax) return;
  FMDIChildMax = true;
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
  CreateChildButtons();
  EnableChildButtons();
  Repaint();
}

void TvlSkinMainMenuBar::UpdateChildButtons() {
  if (vlFindMaximizedMDIChildSkinForm() == nullptr) {
    if (!FMDIChildMax) return;
    FMDIChildMax = false;
    FreeChildButtons();
    Repaint();
    return;
  }
  EnableChildButtons();
  Repaint();
}

void TvlSkinMainMenuBar::CreateChildButtons() {
  FreeChildButtons();
  // Inserted at the head from the last kind to the first, so the list begins system menu,
  // close, restore, minimize.
  for (auto it = std::rbegin(kChildButtons); it != std::rend(kChildButtons); ++it) {
    std::unique_ptr<TvlSkinMainMenuBarButton> b;
    if (!FSkinSupport) {
      b = std::make_unique<TvlSkinMainMenuBarButton>(this, nullptr, it->BuiltinName, it->Command);
    } else {
      const std::string& name = this->*(it->SkinName);
      TvlDataSkinStdButton* d = FindButtonDescription(FSD, name);
      // A name the skin lacks gives the built-in button of this place: a missing minimize
      // object must not turn into a second close button.
      b = std::make_unique<TvlSkinMainMenuBarButton>(this, d, name.empty() ? it->BuiltinName : name, it->Command);
    }
    ObjectList.insert(ObjectList.begin(), std::move(b));
  }
  ButtonsCount = static_cast<int>(std::size(kChildButtons));
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
}

void TvlSkinMainMenuBar::FreeChildButtons() {
  const auto count = static_cast<std::ptrdiff_t>(std::min<std::size_t>(ButtonsCount, ObjectList.size()));
  ObjectList.erase(ObjectList.begin(), ObjectList.begin() + count);
  ButtonsCount = 0;
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
}

TvlSkinMainMenuBarButton* TvlSkinMainMenuBar::ChildButton(TvlStdCommand Command) const {
  for (int i = 0; i < ButtonsCount && i < static_cast<int>(ObjectList.size()); ++i)
    if (auto* b = dynamic_cast<TvlSkinMainMenuBarButton*>(ObjectList[static_cast<std::size_t>(i)].get());
        b && b->Command == Command)
      return b;
  return nullptr;
}

void TvlSkinMainMenuBar::EnableChildButtons() {
  TvlVelmora* child = vlFindMaximizedMDIChildSkinForm();
  const TvlBorderIcons icons = child != nullptr ? child->BorderIcons() : TvlBorderIcons{};
  for (int i = 0; i < ButtonsCount && i < static_cast<int>(ObjectList.size()); ++i) {
    auto* b = dynamic_cast<TvlSkinMainMenuBarButton*>(ObjectList[static_cast<std::size_t>(i)].get());
    if (b == nullptr) continue;
    b->Enabled = true;
    if (b->Command == TvlStdCommand::cmMinimize && !icons.Contains(TvlBorderIcon::biMinimize)) b->Enabled = false;
    if (b->Command == TvlStdCommand::cmSysMenu && !icons.Contains(TvlBorderIcon::biSystemMenu)) b->Enabled = false;
  }
}

void TvlSkinMainMenuBar::LayoutChildButtons() {
  if (!FMDIChildMax || ButtonsCount != 4 || ObjectList.size() < 4) return;
  const int h = NewItemsRect.Height();
  const auto size = [h](const TvlSkinMainMenuBarButton& B) {
    return B.FSkinSupport && B.Picture != nullptr ? TPoint{B.SkinRect.Width(), B.SkinRect.Height()} : TPoint{h, h};
  };
  auto* sys = static_cast<TvlSkinMainMenuBarButton*>(ObjectList[0].get());
  const TPoint s = size(*sys);
  const int top = NewItemsRect.Top + h / 2 - s.Y / 2;
  sys->ObjectRect = TRect{NewItemsRect.Left, top, NewItemsRect.Left + s.X, top + s.Y};
  NewItemsRect.Left += s.X + 2;
  for (std::size_t i = 1; i < 4; ++i) {
    auto* b = static_cast<TvlSkinMainMenuBarButton*>(ObjectList[i].get());
    const TPoint bs = size(*b);
    const int t = NewItemsRect.Top + h / 2 - bs.Y / 2;
    b->ObjectRect = TRect{NewItemsRect.Right - bs.X, t, NewItemsRect.Right, t + bs.Y};
    NewItemsRect.Right -= bs.X + 2;
  }
}
