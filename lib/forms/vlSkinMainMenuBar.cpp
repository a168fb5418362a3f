// The skinned main menu bar: its items, their looks and effects, the pointer, the overflow
// marker and the keyboard menu mode the form skinner drives.

#include "lib/drawing/vlEffects.h"
#include "lib/forms/vlSkinMainMenuBar.h"

#include <algorithm>

#include "lib/forms/Velmora.h"
#include "lib/forms/VelmoraObjects.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/drawing/vlUtils.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/windowing/Input.h"
#include "platform/controls/Timers.h"

using vlskinctrls_detail::PrepareBitmap;

namespace {

constexpr int kMarkerWidth = 5;
constexpr TColor kHoverFill = static_cast<TColor>(182 | (189 << 8) | (210 << 16));
constexpr TColor kDownFill = static_cast<TColor>(133 | (147 << 8) | (181 << 16));

bool SkinWithEffects(TvlSkinData* SD) { return SD && !SD->Empty && SD->EnableSkinEffects; }

TvlDataSkinMainMenuBarItem* FindItemDescription(TvlSkinData* SD, const std::string& Name) {
  if (!SD || SD->Empty || Name.empty()) return nullptr;
  for (const auto& d : SD->ObjectList)
    if (d->IDName == Name) return dynamic_cast<TvlDataSkinMainMenuBarItem*>(d.get());
  return nullptr;
}

}  // namespace

// ---- The skinned main menu -----------------------------------------------------------------------

TvlSkinMainMenu::~TvlSkinMainMenu() { ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr)); }

void TvlSkinMainMenu::SetSkinData(TvlSkinData* Value) { ReplaceReference(FSD, Value); }

void TvlSkinMainMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMainMenu::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSD) FSD = nullptr;
}

// ---- Objects ----------------------------------------------------------------------------------

TvlMenuBarObject::TvlMenuBarObject(TvlSkinMainMenuBar* AParent, TvlDataSkinObject* AData) : Parent(AParent) {
  if (!AData) return;
  IDName = AData->IDName;
  SkinRect = AData->SkinRect;
  ActiveSkinRect = AData->ActiveSkinRect;
  DownRect = ActiveSkinRect;
  Morphing = AData->Morphing && !IsNullRect(ActiveSkinRect);
  MorphKind = AData->MorphKind;
  ObjectRect = SkinRect;
  TvlSkinData* sd = AParent->SkinData();
  Picture = sd ? vlSkinPicture(sd, AData->ActivePictureIndex) : nullptr;
}

void TvlMenuBarObject::SetMorphKf(double Value) {
  FMorphStep = std::clamp(static_cast<int>(std::lround(Value * kMorphSteps)), 0, kMorphSteps);
}

bool TvlMenuBarObject::EnableMorphing() const { return Morphing && SkinWithEffects(Parent->SkinData()); }

bool TvlMenuBarObject::CanMorphing() {
  if (FDown && !IsNullRect(DownRect)) return false;
  return (Active && FMorphStep < kMorphSteps) || (!Active && FMorphStep > 0);
}

void TvlMenuBarObject::DoMorphing() {
  FMorphStep = std::clamp(FMorphStep + (Active ? 1 : -1), 0, kMorphSteps);
  Parent->RedrawObject(this);
}

void TvlMenuBarObject::StartHoverEffect() {
  if (EnableMorphing())
    Parent->MorphTimer->SetEnabled(true);
  else
    Parent->RedrawObject(this);
}

void TvlMenuBarObject::MouseEnter() {
  FMouseIn = true;
  Active = true;
  StartHoverEffect();
}

void TvlMenuBarObject::MouseLeave() {
  FMouseIn = false;
  Active = false;
  StartHoverEffect();
}

// ---- Bar items --------------------------------------------------------------------------------------

TvlSkinMainMenuBarItem::TvlSkinMainMenuBarItem(TvlSkinMainMenuBar* AParent, TvlDataSkinMainMenuBarItem* AData,
                                               TMenuItem* AMenuItem)
    : TvlMenuBarObject(AParent, AData), FMenuItem(AMenuItem) {
  if (AData) {
    FSkinSupport = true;
    FontName = AData->FontName;
    FontHeight = AData->FontHeight;
    FontStyle = AData->FontStyle;
    FontColor = AData->FontColor;
    ActiveFontColor = AData->ActiveFontColor;
    DownFontColor = AData->DownFontColor;
    UnEnabledFontColor = AData->UnEnabledFontColor;
    TextRct = AData->TextRct;
    DownRect = AData->DownRect;
    LO = AData->ItemLO;
    RO = AData->ItemRO;
    StretchEffect = AData->StretchEffect;
    AnimateSkinRect = AData->AnimateSkinRect;
    FrameCount = AData->FrameCount;
    AnimateInterval = AData->AnimateInterval;
    InActiveAnimation = AData->InActiveAnimation;
    if (IsNullRect(DownRect)) DownRect = IsNullRect(ActiveSkinRect) ? SkinRect : ActiveSkinRect;
  }
  if (AMenuItem) {
    IDName = AMenuItem->Name();
    Enabled = AMenuItem->Enabled();
  }
  OldEnabled = Enabled;
}

bool TvlSkinMainMenuBarItem::HasSubItems() const { return MenuItem() && MenuItem()->Count() > 0; }

bool TvlSkinMainMenuBarItem::EnableAnimation() const {
  return !IsNullRect(AnimateSkinRect) && FrameCount > 0 && SkinWithEffects(Parent->SkinData());
}

void TvlSkinMainMenuBarItem::StartHoverEffect() {
  if (EnableAnimation()) {
    Parent->AnimateTimer->SetInterval(static_cast<UINT>(std::max(1, AnimateInterval)));
    Parent->AnimateTimer->SetEnabled(true);
  } else {
    TvlMenuBarObject::StartHoverEffect();
  }
}

void TvlSkinMainMenuBarItem::MouseEnter() {
  TvlSkinMainMenuBar* bar = Parent;
  TWeak<TvlSkinMainMenuBar> alive(bar);
  // Items are told apart by identity: menu items made in code often have no name.
  for (auto& o : bar->ObjectList) {
    auto* other = dynamic_cast<TvlSkinMainMenuBarItem*>(o.get());
    if (!other || other == this || !other->FDown) continue;
    // Another item's menu is open: this one's takes its place without a click.
    other->SetItemDown(false);
    if (!alive) return;
    Active = true;
    FMouseIn = true;
    if (EnableMorphing()) SetMorphKf(1);
    SetItemDown(true);
    return;
  }
  for (auto& o : bar->ObjectList) {
    auto* other = dynamic_cast<TvlSkinMainMenuBarItem*>(o.get());
    if (other && other != this && other->Active) other->MouseLeave();
  }
  FMouseIn = true;
  Active = true;
  StartHoverEffect();
  if (bar->OnItemMouseEnter && MenuItem()) {
    bar->OnItemMouseEnter(MenuItem());
    if (!alive) return;
  }
  if (MenuItem() && bar->Hint() != MenuItem()->Hint()) bar->SetHint(MenuItem()->Hint());
}

void TvlSkinMainMenuBarItem::MouseLeave() {
  Active = false;
  FMouseIn = false;
  if (EnableAnimation() && !InActiveAnimation) {
    CurrentFrame = 0;
    Parent->RedrawObject(this);
  }
  if (EnableMorphing() && FDown) SetMorphKf(0);
  StartHoverEffect();
  if (Parent->OnItemMouseLeave && MenuItem()) Parent->OnItemMouseLeave(MenuItem());
}

void TvlSkinMainMenuBarItem::MouseDown(int, int, TMouseButton Button) {
  TvlVelmora* v = Parent->VMR;
  if (!Enabled || !v || Button != TMouseButton::mbLeft) return;
  if (HasSubItems()) {
    Parent->MenuActive = true;
    SetItemDown(true);
    return;
  }
  TWeak<TvlSkinMainMenuBarItem> alive(this);
  TWeak<TMenuItem> item(MenuItem());
  if (v->InMainMenu) v->LeaveMainMenu();
  if (!alive) return;
  v->InMenu = false;
  if (EnableMorphing())
    StartHoverEffect();
  else
    Parent->RedrawObject(this);
  // The command runs through its menu, as a click on the item does.
  if (TMenuItem* m = item.Get()) {
    if (TMenu* menu = m->GetParentMenu())
      menu->DispatchCommand(m->Command());
    else
      m->Click();
  }
}

void TvlSkinMainMenuBarItem::SetItemDown(bool Value) {
  TvlSkinMainMenuBar* bar = Parent;
  if (Value) {
    FDown = true;
    SetMorphKf(1);
    bar->RedrawObject(this);
    TvlVelmora* v = bar->VMR;
    if (v && !v->InMainMenu && v->OnMainMenuEnter) {
      TWeak<TvlSkinMainMenuBarItem> alive(this);
      v->OnMainMenuEnter(bar);
      if (!alive) return;
    }
    PopupItemMenu();
    return;
  }
  FDown = false;
  Active = false;
  if (EnableAnimation()) {
    if (InActiveAnimation) {
      // The frames run back.
      CurrentFrame = FrameCount + 1;
      bar->AnimateTimer->SetEnabled(true);
    } else {
      CurrentFrame = 0;
      bar->RedrawObject(this);
    }
  } else if (EnableMorphing()) {
    SetMorphKf(1);
    StartHoverEffect();
  } else {
    bar->RedrawObject(this);
  }
}

void TvlSkinMainMenuBarItem::PopupItemMenu() {
  TvlSkinMainMenuBar* bar = Parent;
  TvlVelmora* v = bar->VMR;
  if (!v || !MenuItem()) return;
  const TPoint o = bar->ClientOrigin();
  const TRect r{o.X + ObjectRect.Left, o.Y + ObjectRect.Top, o.X + ObjectRect.Right, o.Y + ObjectRect.Bottom};
  TWeak<TvlVelmora> alive(v);
  v->SkinMenuOpen();
  if (!alive) return;
  v->InMainMenu = true;
  v->SkinMenu->Popup(nullptr, bar->SkinData(), 0, r, MenuItem(), bar->PopupToUp);
}

void TvlSkinMainMenuBarItem::ApplyFont(TFont* F) const {
  if (FSkinSupport && Parent->UseSkinFont()) {
    F->SetName(FontName);
    F->SetStyle(FontStyle);
    F->SetHeight(FontHeight);
  } else {
    F->Assign(Parent->DefItemFont());
  }
  TvlSkinData* sd = Parent->SkinData();
  if (sd && sd->ResourceStrData()) F->SetCharset(sd->ResourceStrData()->CharSet);
}

void TvlSkinMainMenuBarItem::Layout(TCanvas* Measure, int Left) {
  ApplyFont(Measure->Font());
  TRect calc{0, 0, 0, 0};
  const std::string caption = MenuItem() ? MenuItem()->Caption() : std::string();
  DrawTextWide(Measure, caption, calc, DT_CALCRECT | DT_CENTER | DT_SINGLELINE);
  const int tw = calc.Width();
  const TRect& area = Parent->NewItemsRect;
  if (FSkinSupport)
    ObjectRect = TRect{Left, area.Top, Left + SkinRect.Width() - TextRct.Width() + tw + 2, area.Top + SkinRect.Height()};
  else
    ObjectRect = TRect{Left, area.Top, Left + tw + 12, area.Bottom};
  const int margin = Parent->ScrollMenu() ? kMarkerWidth : 0;
  if (ObjectRect.Right > area.Right - margin) {
    Parent->Scroll = true;
    if (Shown) {
      OldEnabled = Enabled;
      Enabled = false;
      Shown = false;
    }
  } else if (!Shown) {
    Shown = true;
    Enabled = OldEnabled;
  }
}

TRect TvlSkinMainMenuBarItem::FrameRect() const {
  if (FrameCount <= 0) return TRect{};
  const int k = CurrentFrame - 1;
  if (AnimateSkinRect.Height() > SkinRect.Height()) {
    const int h = AnimateSkinRect.Height() / FrameCount;
    return TRect{AnimateSkinRect.Left, AnimateSkinRect.Top + k * h, AnimateSkinRect.Right, AnimateSkinRect.Top + (k + 1) * h};
  }
  const int w = AnimateSkinRect.Width() / FrameCount;
  return TRect{AnimateSkinRect.Left + k * w, AnimateSkinRect.Top, AnimateSkinRect.Left + (k + 1) * w, AnimateSkinRect.Bottom};
}

void TvlSkinMainMenuBarItem::Draw(TCanvas* Cnvs) {
  if (!Shown || ObjectRect.IsEmpty()) return;
  if (FSkinSupport)
    DrawSkinned(Cnvs);
  else
    DefaultDraw(Cnvs);
}

void TvlSkinMainMenuBarItem::DrawCaption(TCanvas* C, TRect R, bool Selected, UINT Flags) {
  TMenuItem* m = MenuItem();
  if (!m) return;
  if (m->OnDrawItem) {
    m->OnDrawItem(this, C, R, Selected);
    return;
  }
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawTextWide(C, m->Caption(), R, Parent->DrawTextBiDiModeFlags(Flags));
}

void TvlSkinMainMenuBarItem::DrawSkinned(TCanvas* Cnvs) {
  if (IsNullRect(SkinRect) || IsNullRect(TextRct)) return;
  if (FDown) {
    DrawImage(Cnvs, DownRect, true);
  } else if (EnableAnimation() && CurrentFrame >= 1 && CurrentFrame <= FrameCount) {
    DrawImage(Cnvs, FrameRect(), true);
  } else if (!EnableMorphing() || (Active && FMorphStep == kMorphSteps) || (!Active && FMorphStep == 0)) {
    if (Active)
      DrawImage(Cnvs, IsNullRect(ActiveSkinRect) ? SkinRect : ActiveSkinRect, true);
    else
      DrawImage(Cnvs, SkinRect, false);
  } else {
    // The morph between the normal and the active image.
    TBitmap from, to;
    TCanvas* target = Cnvs;
    const int w = ObjectRect.Width(), h = ObjectRect.Height();
    PrepareBitmap(&from, w, h);
    PrepareBitmap(&to, w, h);
    if (from.Empty() || to.Empty()) return;
    const TRect local{0, 0, w, h};
    from.Canvas()->CopyRect(local, Cnvs, ObjectRect);
    to.Canvas()->CopyRect(local, Cnvs, ObjectRect);
    const TRect saved = ObjectRect;
    ObjectRect = local;
    DrawImage(from.Canvas(), SkinRect, false);
    DrawImage(to.Canvas(), ActiveSkinRect, true);
    ObjectRect = saved;
    vlDrawMorph(target, ObjectRect.Left, ObjectRect.Top, &from, &to, MorphKf(), MorphKind);
  }
}

void TvlSkinMainMenuBarItem::DrawImage(TCanvas* Cnvs, const TRect& S, bool A) {
  if (!Picture) return;
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  TBitmap b;
  PrepareBitmap(&b, w, h);
  if (b.Empty()) return;
  if (Parent->ItemTransparent && S == SkinRect)
    b.Canvas()->CopyRect(TRect{0, 0, w, h}, Cnvs, ObjectRect);
  else
    ComposeSkinStrip(LO, RO, &b, Picture, S, w, h, A ? StretchEffect : false);
  TCanvas* c = b.Canvas();
  ApplyFont(c->Font());
  TMenuItem* m = MenuItem();
  TColor colour = UnEnabledFontColor;
  if (FDown)
    colour = DownFontColor;
  else if (A)
    colour = ActiveFontColor;
  else if (m && m->Enabled())
    colour = FontColor;
  c->Font()->SetColor(colour);
  TRect t{0, 0, 0, 0};
  if (m) DrawTextWide(c, m->Caption(), t, DT_CALCRECT | DT_CENTER | DT_SINGLELINE);
  const TRect text{TextRct.Left, TextRct.Top, TextRct.Left + t.Width() + 2, TextRct.Bottom};
  DrawCaption(c, text, A, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

void TvlSkinMainMenuBarItem::DefaultDraw(TCanvas* Cnvs) {
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  TBitmap b;
  PrepareBitmap(&b, w, h);
  if (b.Empty()) return;
  TCanvas* c = b.Canvas();
  const TRect all{0, 0, w, h};
  if (FDown || FMouseIn) {
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(clNavy);
    c->FillRect(all);
    c->Brush()->SetColor(FDown ? kDownFill : kHoverFill);
    c->FillRect(TRect{1, 1, w - 1, h - 1});
  } else {
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(all);
  }
  ApplyFont(c->Font());
  TMenuItem* m = MenuItem();
  c->Font()->SetColor(m && m->Enabled() ? Parent->DefItemFont()->Color() : clGrayText);
  TRect text{1, 1, w - 1, h - 1};
  if (FDown) text = TRect{2, 2, w, h};
  DrawCaption(c, text, Active, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

// ---- The bar ------------------------------------------------------------------------------------

TvlSkinMainMenuBar::TvlSkinMainMenuBar(TComponent* AOwner) : TvlSkinControl(AOwner) {
  FSkinDataName = "mainmenubar";
  FDefItemFont = std::make_unique<TFont>();
  FDefItemFont->SetName("Arial");
  FDefItemFont->SetHeight(14);
  FDefItemFont->SetStyle(TFontStyles{});
  FDefItemFont->SetColor(clBtnText);
  MouseTimer = vlNewStoppedTimer(this, 50, [this](TObject*) { MouseTimerTick(); });
  MorphTimer = vlNewStoppedTimer(this, 25, [this](TObject*) { MorphTimerTick(); });
  AnimateTimer = vlNewStoppedTimer(this, 25, [this](TObject*) { AnimateTimerTick(); });
  SetAlign(TAlign::alTop);
  SetHeight(FDefaultHeight);
}

TvlSkinMainMenuBar::~TvlSkinMainMenuBar() {
  ObjectList.clear();
  ReplaceReference(VMR, static_cast<TvlVelmora*>(nullptr));
  ReplaceReference(FMainMenu, static_cast<TMainMenu*>(nullptr));
  ReplaceReference(FMergeMenu, static_cast<TMainMenu*>(nullptr));
}

void TvlSkinMainMenuBar::Notification(TComponent* AComponent, TOperation Operation) {
  const bool skinGone = Operation == TOperation::opRemove && AComponent == FSD;
  TvlSkinControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (skinGone) {
    // The items drew from the freed skin's pictures: they are made anew in the built-in look.
    FSkinSupport = false;
    Picture = nullptr;
    CreateMenu();
    Invalidate();
  }
  if (AComponent == VMR) VMR = nullptr;
  if (AComponent == FMainMenu) {
    FMainMenu = nullptr;
    CreateMenu();
  }
  if (AComponent == FMergeMenu) FMergeMenu = nullptr;
}

void TvlSkinMainMenuBar::SetScrollMenu(bool Value) {
  FScrollMenu = Value;
  Invalidate();
}

void TvlSkinMainMenuBar::SetUseSkinFont(bool Value) {
  FUseSkinFont = Value;
  Invalidate();
}

void TvlSkinMainMenuBar::SetDefItemFont(TFont* Value) {
  FDefItemFont->Assign(Value);
  if (!FSkinSupport) Repaint();
}

void TvlSkinMainMenuBar::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  if (!FSkinSupport && Value > 0) SetWidth(Value);
}

void TvlSkinMainMenuBar::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (!FSkinSupport && Value > 0) SetHeight(Value);
}

void TvlSkinMainMenuBar::SetVelmora(TvlVelmora* Value) { ReplaceReference(VMR, Value); }

void TvlSkinMainMenuBar::SetMainMenu(TMainMenu* Value) {
  ReplaceReference(FMainMenu, Value);
  CreateMenu();
  Repaint();
}

void TvlSkinMainMenuBar::Merge(TMainMenu* Menu) {
  ReplaceReference(FMergeMenu, Menu);
  UpDateItems();
}

void TvlSkinMainMenuBar::UnMerge() {
  ReplaceReference(FMergeMenu, static_cast<TMainMenu*>(nullptr));
  UpDateItems();
}

void TvlSkinMainMenuBar::UpDateItems() {
  CreateMenu();
  Repaint();
  ActiveObject = OldActiveObject = -1;
  MouseTimer->SetEnabled(true);
}

void TvlSkinMainMenuBar::UpDateEnabledItems() {
  for (auto& o : ObjectList)
    if (auto* i = dynamic_cast<TvlSkinMainMenuBarItem*>(o.get()); i && i->MenuItem()) {
      // An item hidden by the overflow gets its state back when it shows again.
      if (i->Shown)
        i->Enabled = i->MenuItem()->Enabled();
      else
        i->OldEnabled = i->MenuItem()->Enabled();
    }
  Repaint();
}

TMainMenu* TvlSkinMainMenuBar::GetChildMainMenu() const {
  if (FMergeMenu) return FMergeMenu;
  auto* main = dynamic_cast<TCustomForm*>(Application() != nullptr ? Application()->MainForm() : nullptr);
  TCustomForm* child = main != nullptr ? main->ActiveMDIChild() : nullptr;
  if (child == nullptr) return nullptr;
  for (int i = 0; i < child->ComponentCount(); ++i)
    if (auto* m = dynamic_cast<TMainMenu*>(child->Components(i))) return m;
  return nullptr;
}

std::vector<TMenuItem*> TvlSkinMainMenuBar::TopItems() const {
  std::vector<TMenuItem*> items;
  TMainMenu* child = GetChildMainMenu();
  if (!child) {
    for (int i = 0; i < FMainMenu->Items()->Count(); ++i) items.push_back(FMainMenu->Items()->Items(i));
    return items;
  }
  const auto childHas = [child](BYTE group) {
    for (int i = 0; i < child->Items()->Count(); ++i)
      if (child->Items()->Items(i)->GroupIndex() == group) return true;
    return false;
  };
  for (int i = 0; i < FMainMenu->Items()->Count(); ++i) {
    TMenuItem* m = FMainMenu->Items()->Items(i);
    if (!childHas(m->GroupIndex())) items.push_back(m);
  }
  for (int i = 0; i < child->Items()->Count(); ++i) items.push_back(child->Items()->Items(i));
  // Equal group indexes keep their order (the main menu's first).
  std::stable_sort(items.begin(), items.end(),
                   [](TMenuItem* a, TMenuItem* b) { return a->GroupIndex() < b->GroupIndex(); });
  return items;
}

void TvlSkinMainMenuBar::CreateMenu() {
  ObjectList.clear();
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
  MenuActive = false;
  ButtonsCount = 0;
  if (FMainMenu) {
    TvlDataSkinMainMenuBarItem* d = FSkinSupport ? FindItemDescription(FSD, MenuBarItem) : nullptr;
    ChildMenuIn = GetChildMainMenu() != nullptr;
    if (ChildMenuIn) FScrollMenu = false;
    for (TMenuItem* m : TopItems())
      if (m->Visible()) ObjectList.push_back(std::make_unique<TvlSkinMainMenuBarItem>(this, d, m));
  }
  if (FMDIChildMax) {
    CreateChildButtons();
    EnableChildButtons();
  }
  Layout();
}

void TvlSkinMainMenuBar::GetSkinData() {
  TvlSkinControl::GetSkinData();
  auto* e = dynamic_cast<TvlDataSkinMainMenuBar*>(vlControlElement(FSD, FIndex));
  if (!e) {
    FIndex = -1;
    Picture = nullptr;
    return;
  }
  SkinRect = e->SkinRect;
  ItemsRect = e->ItemsRect;
  MenuBarItem = e->MenuBarItem;
  MaxButton = e->MaxButton;
  MinButton = e->MinButton;
  SysMenuButton = e->SysMenuButton;
  CloseButton = e->CloseButton;
  TrackMarkColor = static_cast<TColor>(e->TrackMarkColor);
  TrackMarkActiveColor = static_cast<TColor>(e->TrackMarkActiveColor);
  Picture = vlSkinPicture(FSD, e->PictureIndex);
  StretchEffect = e->StretchEffect;
  ItemTransparent = e->ItemTransparent;
}

void TvlSkinMainMenuBar::BeforeChangeSkinData() {
  TvlSkinControl::BeforeChangeSkinData();
  FSkinSupport = false;
  Picture = nullptr;
  ObjectList.clear();
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
}

void TvlSkinMainMenuBar::ChangeSkinData() {
  GetSkinData();
  FSkinSupport = FIndex != -1;
  CreateMenu();
  if (FSkinSupport && SkinRect.Height() > 0)
    SetHeight(SkinRect.Height());
  else if (!FSkinSupport && FDefaultHeight > 0)
    SetHeight(FDefaultHeight);
  Repaint();
}

void TvlSkinMainMenuBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  if (FIndex != -1 && SkinRect.Height() > 0) AHeight = SkinRect.Height();
  TvlSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TvlSkinMainMenuBar::Resize() {
  TvlSkinControl::Resize();
  Layout();
  Invalidate();
}

void TvlSkinMainMenuBar::Layout() {
  if (FSkinSupport)
    NewItemsRect = TRect{ItemsRect.Left, ItemsRect.Top, Width() - (SkinRect.Width() - ItemsRect.Right), ItemsRect.Bottom};
  else
    NewItemsRect = TRect{2, 2, Width() - 2, Height() - 2};
  LayoutChildButtons();
  Scroll = false;
  TBitmap measure;
  PrepareBitmap(&measure, 1, 1);
  int left = NewItemsRect.Left;
  for (auto& o : ObjectList) {
    auto* i = dynamic_cast<TvlSkinMainMenuBarItem*>(o.get());
    if (!i) continue;
    i->Layout(measure.Canvas(), left);
    left = i->ObjectRect.Right;
  }
}

TRect TvlSkinMainMenuBar::MarkerRect() const {
  return TRect{NewItemsRect.Right - kMarkerWidth, NewItemsRect.Top, NewItemsRect.Right, NewItemsRect.Bottom};
}

// ---- Painting -------------------------------------------------------------------------------------

void TvlSkinMainMenuBar::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  FSkinSupport = FIndex != -1;
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (b.Empty()) return;
  PaintBar(b.Canvas());
  Canvas()->Draw(0, 0, &b);
}

void TvlSkinMainMenuBar::PaintBar(TCanvas* C) {
  const TRect all{0, 0, Width(), Height()};
  if (!FSkinSupport || !Picture) {
    C->Brush()->SetStyle(TBrushStyle::bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(all);
  } else if (FSD->MainMenuBarTransparent) {
    DrawParentBackground(this, C);
  } else {
    TBitmap strip;
    PrepareBitmap(&strip, Width(), Height());
    ComposeSkinStrip(ItemsRect.Left, SkinRect.Width() - ItemsRect.Right, &strip, Picture, SkinRect, Width(), Height(),
                     StretchEffect);
    C->Draw(0, 0, &strip);
  }
  Layout();
  for (auto& o : ObjectList)
    if (o->Visible) o->Draw(C);
  if (Scroll && FScrollMenu) DrawMarker(C);
}

void TvlSkinMainMenuBar::DrawMarker(TCanvas* C) {
  TColor colour = MarkerActive ? clBtnText : clBtnShadow;
  if (FSkinSupport) colour = MarkerActive ? TrackMarkActiveColor : TrackMarkColor;
  DrawArrowGlyph(C, MarkerRect(), colour, 2);
}

void TvlSkinMainMenuBar::RedrawObject(TvlMenuBarObject*) {
  // The whole bar is composed off-screen in one go: an item may show the bar through it and the
  // marker shares its row.
  if (HandleAllocated()) Repaint();
}

// ---- Timers ------------------------------------------------------------------------------------------

void TvlSkinMainMenuBar::MouseTimerTick() {
  if (!HandleAllocated()) return;
  TPoint p{};
  GetCursorPos(&p);
  p = ScreenToClient(p);
  if (p.X < 0 || p.Y < 0 || p.X > Width() || p.Y > Height()) {
    MouseTimer->SetEnabled(false);
    UpdateHoverObject(-1, -1);
  } else {
    UpdateHoverObject(p.X, p.Y);
  }
}

void TvlSkinMainMenuBar::MorphTimerTick() {
  bool any = false;
  for (auto& o : ObjectList) {
    if (!o->EnableMorphing() || !o->CanMorphing()) continue;
    TWeak<TvlSkinMainMenuBar> alive(this);
    o->DoMorphing();
    if (!alive) return;
    any = true;
  }
  if (!any) MorphTimer->SetEnabled(false);
}

void TvlSkinMainMenuBar::AnimateTimerTick() {
  bool moved = false;
  for (auto& o : ObjectList) {
    auto* i = dynamic_cast<TvlSkinMainMenuBarItem*>(o.get());
    if (!i || !i->EnableAnimation()) continue;
    if (i->Active && i->CurrentFrame <= i->FrameCount) {
      ++i->CurrentFrame;
      moved = true;
    } else if (!i->Active && i->CurrentFrame > 0) {
      --i->CurrentFrame;
      moved = true;
    }
  }
  if (moved)
    Repaint();
  else
    AnimateTimer->SetEnabled(false);
}

// ---- Pointer -------------------------------------------------------------------------------------------

void TvlSkinMainMenuBar::UpdateHoverObject(int X, int Y) {
  if (ObjectList.empty()) return;
  TWeak<TvlSkinMainMenuBar> alive(this);
  OldActiveObject = ActiveObject;
  const int count = static_cast<int>(ObjectList.size());
  int candidate = -1;
  for (int i = 0; i < count; ++i) {
    const auto& o = ObjectList[static_cast<std::size_t>(i)];
    if (o->Enabled && o->ObjectRect.Contains(TPoint{X, Y})) {
      candidate = i;
      break;
    }
  }
  const bool keep = candidate == -1 && MenuActive && ItemAt(OldActiveObject) != nullptr;
  if (!keep) ActiveObject = candidate;
  if (MouseCaptureObject != -1 && candidate != -1 && MouseCaptureObject != candidate) ActiveObject = -1;
  if (ActiveObject >= count) ActiveObject = -1;
  if (OldActiveObject >= count) OldActiveObject = -1;
  if (ActiveObject != OldActiveObject) {
    if (OldActiveObject != -1) {
      TvlMenuBarObject* old = ObjectList[static_cast<std::size_t>(OldActiveObject)].get();
      if (old->Enabled) old->MouseLeave();
      if (!alive) return;
    }
    if (ActiveObject != -1 && ActiveObject < static_cast<int>(ObjectList.size())) {
      TvlMenuBarObject* now = ObjectList[static_cast<std::size_t>(ActiveObject)].get();
      if (now->Enabled) now->MouseEnter();
      if (!alive) return;
    }
  }
  if (Scroll && FScrollMenu) {
    const bool in = MarkerRect().Contains(TPoint{X, Y});
    if (in != MarkerActive) {
      MarkerActive = in;
      Repaint();
    }
  }
}

void TvlSkinMainMenuBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TvlSkinMainMenuBar> alive(this);
  TvlSkinControl::MouseDown(Button, Shift, X, Y);
  if (!alive) return;
  UpdateHoverObject(X, Y);
  if (!alive) return;
  if (ActiveObject != -1 && ActiveObject < static_cast<int>(ObjectList.size())) {
    MouseCaptureObject = ActiveObject;
    TvlMenuBarObject* o = ObjectList[static_cast<std::size_t>(ActiveObject)].get();
    TWeak<TvlMenuBarObject> object(o);
    o->MouseDown(X, Y, Button);
    if (alive && object && Shift.Contains(TShiftStateFlag::ssDouble)) o->DblClick();
  } else if (Scroll && FScrollMenu && MarkerRect().Contains(TPoint{X, Y})) {
    PopupOverflowMenu();
  }
}

void TvlSkinMainMenuBar::MouseMove(TShiftState Shift, int X, int Y) {
  TvlSkinControl::MouseMove(Shift, X, Y);
  MouseTimer->SetEnabled(true);
}

void TvlSkinMainMenuBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TvlSkinMainMenuBar> alive(this);
  if (MouseCaptureObject != -1 && MouseCaptureObject < static_cast<int>(ObjectList.size())) {
    ObjectList[static_cast<std::size_t>(MouseCaptureObject)]->MouseUp(X, Y, Button);
    if (!alive) return;
  }
  MouseCaptureObject = -1;
  TvlSkinControl::MouseUp(Button, Shift, X, Y);
}

void TvlSkinMainMenuBar::CMMouseEnter(TMessage& Message) {
  TvlSkinControl::CMMouseEnter(Message);
  MouseTimer->SetEnabled(true);
}

void TvlSkinMainMenuBar::CMMouseLeave(TMessage& Message) {
  TWeak<TvlSkinMainMenuBar> alive(this);
  TvlSkinControl::CMMouseLeave(Message);
  if (!alive) return;
  MouseTimer->SetEnabled(false);
  UpdateHoverObject(-1, -1);
}

void TvlSkinMainMenuBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_vlParentMoved:
      if (FSkinSupport && FSD && FSD->MainMenuBarTransparent) Repaint();
      return;
    case WM_vlSkinMenuClosed:
      // The system menu a child button opened has closed: a pressed system-menu button comes up.
      for (std::size_t i = 0; i < ObjectList.size(); ++i)
        if (auto* b = dynamic_cast<TvlSkinMainMenuBarButton*>(ObjectList[i].get()); b && b->FDown)
          b->MenuClosed(static_cast<int>(i) == ActiveObject);
      return;
    case WM_MOVE:
      TvlSkinControl::Dispatch(Message);
      if (FSkinSupport && FSD && FSD->MainMenuBarTransparent && Align() == TAlign::alNone) Repaint();
      return;
    default: TvlSkinControl::Dispatch(Message);
  }
}

void TvlSkinMainMenuBar::PopupOverflowMenu() {
  if (!VMR || !FMainMenu) return;
  int shown = 0;
  for (auto& o : ObjectList)
    if (auto* i = dynamic_cast<TvlSkinMainMenuBarItem*>(o.get()); i && i->Shown) ++shown;
  // The popup lists the visible top items from the first one that did not fit; the hidden
  // top items of the menu do not count.
  const TRect m = MarkerRect();
  const TPoint o = ClientOrigin();
  const TRect r{o.X + m.Left, o.Y + m.Top, o.X + m.Right, o.Y + m.Bottom};
  int start = 0;
  std::vector<TMenuItem*> top = TopItems();
  for (int seen = 0; start < static_cast<int>(top.size()); ++start) {
    if (!top[static_cast<std::size_t>(start)]->Visible()) continue;
    if (seen++ == shown) break;
  }
  TWeak<TvlVelmora> alive(VMR);
  VMR->SkinMenuOpen();
  if (!alive) return;
  if (TMainMenu* child = GetChildMainMenu())
    VMR->SkinMenu->Popup2(nullptr, SkinData(), start, r, FMainMenu->Items(), child->Items(), PopupToUp);
  else
    VMR->SkinMenu->Popup(nullptr, SkinData(), start, r, FMainMenu->Items(), PopupToUp);
}

// ---- Keyboard -------------------------------------------------------------------------------------------

TvlSkinMainMenuBarItem* TvlSkinMainMenuBar::ItemAt(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(ObjectList.size())) return nullptr;
  return dynamic_cast<TvlSkinMainMenuBarItem*>(ObjectList[static_cast<std::size_t>(Index)].get());
}

std::vector<TvlSkinMainMenuBarItem*> TvlSkinMainMenuBar::Items() const {
  std::vector<TvlSkinMainMenuBarItem*> items;
  for (auto& o : ObjectList)
    if (auto* i = dynamic_cast<TvlSkinMainMenuBarItem*>(o.get())) items.push_back(i);
  return items;
}

void TvlSkinMainMenuBar::BeginKeyboardMenu() {
  MenuActive = true;
  std::vector<TvlSkinMainMenuBarItem*> items = Items();
  if (items.empty()) return;
  TvlSkinMainMenuBarItem* first = items.front();
  for (TvlSkinMainMenuBarItem* i : items)
    if (i->Active) {
      first = i;
      break;
    }
  TWeak<TvlSkinMainMenuBar> alive(this);
  first->MouseEnter();
  if (!alive || !VMR) return;
  VMR->HookAppMessages();
  VMR->InMainMenu = true;
  if (VMR->OnMainMenuEnter) VMR->OnMainMenuEnter(this);
}

void TvlSkinMainMenuBar::EndKeyboardMenu() {
  MenuActive = false;
  for (TvlSkinMainMenuBarItem* i : Items()) {
    if (!i->FDown && !i->Active) continue;
    i->Active = false;
    i->FMouseIn = false;
    i->FDown = false;
    if (i->EnableAnimation() && !i->InActiveAnimation) {
      i->CurrentFrame = 0;
      RedrawObject(i);
    } else {
      i->StartHoverEffect();
    }
    break;
  }
  ActiveObject = OldActiveObject = -1;
}

void TvlSkinMainMenuBar::ReturnToBar() {
  for (TvlSkinMainMenuBarItem* i : Items())
    if (i->FDown) {
      i->Active = true;
      i->FDown = false;
      RedrawObject(i);
      return;
    }
}

void TvlSkinMainMenuBar::SelectNextItem() {
  std::vector<TvlSkinMainMenuBarItem*> items;
  for (TvlSkinMainMenuBarItem* i : Items())
    if (i->Enabled && i->Shown) items.push_back(i);
  if (items.empty()) return;
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (!items[k]->Active && !items[k]->FDown) continue;
    TWeak<TvlSkinMainMenuBar> alive(this);
    items[k]->MouseLeave();
    if (!alive) return;
    items[(k + 1) % items.size()]->MouseEnter();
    return;
  }
  items.front()->MouseEnter();
}

void TvlSkinMainMenuBar::SelectPriorItem() {
  std::vector<TvlSkinMainMenuBarItem*> items;
  for (TvlSkinMainMenuBarItem* i : Items())
    if (i->Enabled && i->Shown) items.push_back(i);
  if (items.empty()) return;
  for (std::size_t k = items.size(); k-- > 0;) {
    if (!items[k]->Active && !items[k]->FDown) continue;
    TWeak<TvlSkinMainMenuBar> alive(this);
    items[k]->MouseLeave();
    if (!alive) return;
    items[(k + items.size() - 1) % items.size()]->MouseEnter();
    return;
  }
  items.back()->MouseEnter();
}

bool TvlSkinMainMenuBar::OpenSelectedItem() {
  const bool inMenu = VMR && VMR->InMenu;
  for (TvlSkinMainMenuBarItem* i : Items()) {
    if (!((i->FDown && !i->HasSubItems()) || (i->Active && !inMenu))) continue;
    i->Active = false;
    i->MouseDown(0, 0, TMouseButton::mbLeft);
    return true;
  }
  return false;
}

bool TvlSkinMainMenuBar::ActivateItemByAccel(WORD Key) {
  TCustomForm* form = GetParentForm(this);
  if (!VMR || ObjectList.empty() || !form || !form->Visible()) return false;
  for (TvlSkinMainMenuBarItem* i : Items()) {
    TMenuItem* m = i->MenuItem();
    if (!i->Enabled || !i->Shown || !m || !IsAccel(Key, m->Caption())) continue;
    TWeak<TvlSkinMainMenuBarItem> alive(i);
    // With a popup open the highlight alone moves it: MouseEnter opens this item's menu.
    const bool popupOpen = VMR->SkinMenu->FVisible;
    i->MouseEnter();
    if (!alive) return true;
    if (!popupOpen || !i->HasSubItems()) i->MouseDown(0, 0, TMouseButton::mbLeft);
    return true;
  }
  return false;
}
