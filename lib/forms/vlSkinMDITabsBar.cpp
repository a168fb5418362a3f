// The MDI tabs bar: its tabs, layout, pointer handling (hover, switching, close buttons,
// dragging to reorder, the child's system menu) and the two list menus. The drawing is in
// vlSkinMDITabsBarPaint.cpp.

#include "lib/forms/vlSkinMDITabsBar.h"

#include <algorithm>

#include "lib/forms/Velmora.h"
#include "lib/data/vlDataSkinControls.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/drawing/vlUtils.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Graphic.h"
#include "platform/windowing/Input.h"
#include "platform/controls/Menus.h"

using namespace vlskinctrls_detail;

namespace {

constexpr int kListButtonWidth = 15;
constexpr const char* kListSuffix = "_VMRCHILDITEMBAR";
constexpr const char* kHideListSuffix = "_VMRCHILDITEMBARHIDE";

TCustomForm* MainForm() {
  return Application() != nullptr ? dynamic_cast<TCustomForm*>(Application()->MainForm()) : nullptr;
}

// The child name of a list item: its name with the suffix taken off (the longer suffix first).
std::string ChildNameOf(const std::string& ItemName) {
  for (const char* suffix : {kHideListSuffix, kListSuffix}) {
    const std::size_t at = ItemName.find(suffix);
    if (at != std::string::npos) return ItemName.substr(0, at) + ItemName.substr(at + std::string(suffix).size());
  }
  return ItemName;
}

}  // namespace

// ---- Tabs --------------------------------------------------------------------------------------------

TvlMDITab::TvlMDITab(TvlSkinMDITabsBar* AParentBar, TCustomForm* AChild) : TabsBar(AParentBar), FChild(AChild) {}

TvlSkinMDITabsBar::TvlSkinMDITabsBar(TComponent* AOwner)
    : TvlSkinControl(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  FSkinDataName = "tab";
  FDefaultFont->SetName("Arial");
  FDefaultFont->SetHeight(14);
  FDefaultFont->SetStyle(TFontStyles{});
  SetBounds(0, 0, 150, FDefaultHeight);
  FListMenu = new TvlSkinPopupMenu(this);
  FListMenu->OnPopup = [this](TObject*) { RebuildListMenu(); };
  FHideListMenu = new TvlSkinPopupMenu(this);
  FHideListMenu->OnPopup = [this](TObject*) { RebuildHideListMenu(); };
}

TvlSkinMDITabsBar::~TvlSkinMDITabsBar() {
  for (auto& t : ObjectList)
    if (TCustomForm* c = t->Child()) c->RemoveFreeNotification(this);
  ReplaceReference(VMR, static_cast<TvlVelmora*>(nullptr));
}

int TvlSkinMDITabsBar::IndexOfChild(const TCustomForm* Child) const {
  for (std::size_t i = 0; i < ObjectList.size(); ++i)
    if (ObjectList[i]->Child() == Child) return static_cast<int>(i);
  return -1;
}

void TvlSkinMDITabsBar::AddTab(TCustomForm* Child) {
  if (Child == nullptr || IndexOfChild(Child) != -1) return;
  ObjectList.push_back(std::make_unique<TvlMDITab>(this, Child));
  Child->FreeNotification(this);
  if (FListButton == nullptr) CreateListButton();
  Repaint();
}

void TvlSkinMDITabsBar::DeleteTab(TCustomForm* Child) {
  const int index = IndexOfChild(Child);
  if (index == -1) return;
  TWeak<TvlSkinMDITabsBar> alive(this);
  if (ActiveTabIndex == index) {
    if (OnTabMouseLeave) OnTabMouseLeave(ObjectList[static_cast<std::size_t>(index)].get());
    if (!alive) return;
    ActiveTabIndex = OldTabIndex = -1;
  } else if (ActiveTabIndex > index) {
    --ActiveTabIndex;
    OldTabIndex = ActiveTabIndex;
  }
  // The list may have changed in the handler.
  const int now = IndexOfChild(Child);
  if (now == -1) return;
  if (Child != nullptr) Child->RemoveFreeNotification(this);
  ObjectList.erase(ObjectList.begin() + now);
  if (IsDrag || FDown) {
    IsDrag = FDown = false;
    DragIndex = -1;
    TabDX = 0;
  }
  if (ObjectList.empty()) {
    delete FListButton;
    FListButton = nullptr;
  }
  Repaint();
}

void TvlSkinMDITabsBar::UpdateActiveTab() {
  TCustomForm* main = MainForm();
  TCustomForm* active = main != nullptr ? main->ActiveMDIChild() : nullptr;
  if (active == nullptr) return;
  for (auto& t : ObjectList) t->Active = t->Child() == active;
  Repaint();
}

void TvlSkinMDITabsBar::RedrawTab(TCustomForm* Child) {
  const int index = IndexOfChild(Child);
  if (index == -1 || !HandleAllocated()) return;
  // One tab is drawn over the bar's off-screen image: the whole bar is composed at once.
  Repaint();
}

TvlMDITab* TvlSkinMDITabsBar::GetTab(int X, int Y) const {
  const int i = GetTabIndex(X, Y);
  return i == -1 ? nullptr : ObjectList[static_cast<std::size_t>(i)].get();
}

int TvlSkinMDITabsBar::GetTabIndex(int X, int Y) const {
  for (std::size_t i = 0; i < ObjectList.size(); ++i) {
    const TvlMDITab& t = *ObjectList[i];
    const TRect& r = t.ObjectRect;
    if (t.Visible && X >= r.Left && X <= r.Right && Y >= r.Top && Y <= r.Bottom) return static_cast<int>(i);
  }
  return -1;
}

int TvlSkinMDITabsBar::GetCloseSize() const {
  if (FIndex == -1 || IsNullRect(CloseButtonRect)) return 14;
  return CloseButtonRect.Width();
}

int TvlSkinMDITabsBar::TabAreaHeight() const {
  return FTabKind == TvlSkinMDITabKind::vltkButton ? Height() : Height() - FBottomOffset;
}

void TvlSkinMDITabsBar::LayoutTabs() {
  FInVisibleCount = 0;
  const int count = static_cast<int>(ObjectList.size());
  if (count == 0) return;
  const int h = TabAreaHeight();
  const int w = std::min((Width() - kListButtonWidth) / count, FDefaultTabWidth);
  int limit = Width();
  if (FMinTabWidth != 0 && w < FMinTabWidth) {
    const int n = (Width() - 2 * kListButtonWidth) / FMinTabWidth;
    for (int i = 0; i < count; ++i) {
      TvlMDITab& t = *ObjectList[static_cast<std::size_t>(i)];
      if (i < n) {
        t.ObjectRect = TRect{kListButtonWidth + i * FMinTabWidth, 0, kListButtonWidth + (i + 1) * FMinTabWidth, h};
        t.Visible = true;
      } else {
        t.ObjectRect = TRect{};
        t.Visible = false;
        ++FInVisibleCount;
      }
    }
    limit = Width() - kListButtonWidth;
  } else {
    for (int i = 0; i < count; ++i) {
      TvlMDITab& t = *ObjectList[static_cast<std::size_t>(i)];
      t.ObjectRect = TRect{kListButtonWidth + i * w, 0, kListButtonWidth + (i + 1) * w, h};
      t.Visible = true;
    }
    if (w < FDefaultTabWidth) ObjectList.back()->ObjectRect.Right = Width();
  }
  if (IsDrag && DragIndex >= 0 && DragIndex < count) {
    // The dragged tab follows the pointer, kept inside the bar.
    TRect& r = ObjectList[static_cast<std::size_t>(DragIndex)]->ObjectRect;
    const int width = r.Width();
    const int left = std::clamp(r.Left + TabDX, 0, std::max(0, limit - width));
    r = TRect{left, r.Top, left + width, r.Bottom};
  }
}

// ---- Properties ----------------------------------------------------------------------------------------

void TvlSkinMDITabsBar::SetShowCloseButtons(bool Value) {
  FShowCloseButtons = Value;
  Repaint();
}

void TvlSkinMDITabsBar::SetTabKind(TvlSkinMDITabKind Value) {
  FTabKind = Value;
  if (FIndex != -1) {
    Realign();
    Repaint();
  }
}

void TvlSkinMDITabsBar::SetVelmora(TvlVelmora* Value) { ReplaceReference(VMR, Value); }

void TvlSkinMDITabsBar::SetUseSkinSize(bool Value) {
  FUseSkinSize = Value;
  Repaint();
}

void TvlSkinMDITabsBar::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (FIndex == -1 && Value > 0) SetHeight(Value);
}

void TvlSkinMDITabsBar::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  Repaint();
}

void TvlSkinMDITabsBar::SetDefaultTabWidth(int Value) {
  FDefaultTabWidth = std::max(1, Value);
  Repaint();
}

void TvlSkinMDITabsBar::SetMinTabWidth(int Value) {
  FMinTabWidth = std::max(0, Value);
  Repaint();
}

void TvlSkinMDITabsBar::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == VMR) VMR = nullptr;
  if (AComponent == FListButton) FListButton = nullptr;
  if (AComponent == FHideListButton) FHideListButton = nullptr;
  if (AComponent == FListMenu) FListMenu = nullptr;
  if (AComponent == FHideListMenu) FHideListMenu = nullptr;
  if (AComponent == FSD) Picture = nullptr;
  // A child freed without being hidden first takes its tab with it. The form is half gone
  // here: it is only compared, never used.
  const auto gone = std::find_if(ObjectList.begin(), ObjectList.end(), [AComponent](const auto& t) {
    return static_cast<TComponent*>(t->Child()) == AComponent;
  });
  if (gone != ObjectList.end()) {
    ObjectList.erase(gone);
    ActiveTabIndex = OldTabIndex = -1;
    IsDrag = FDown = false;
    DragIndex = -1;
    if (ObjectList.empty() && FListButton != nullptr) {
      delete FListButton;
      FListButton = nullptr;
    }
    if (HandleAllocated() && !ComponentState().Contains(TComponentStateFlag::csDestroying)) Invalidate();
  }
}

// ---- Skin ----------------------------------------------------------------------------------------------

void TvlSkinMDITabsBar::GetSkinData() {
  TvlSkinControl::GetSkinData();
  auto* e = dynamic_cast<TvlDataSkinTabControl*>(vlControlElement(FSD, FIndex));
  if (e == nullptr) {
    FIndex = -1;
    Picture = nullptr;
    FBottomOffset = 0;
    FActiveTabOffset = 0;
    return;
  }
  Picture = vlSkinPicture(FSD, e->PictureIndex);
  TabRect = e->TabRect;
  ActiveTabRect = IsNullRect(e->ActiveTabRect) ? TabRect : e->ActiveTabRect;
  MouseInTabRect = IsNullRect(e->MouseInTabRect) ? TabRect : e->MouseInTabRect;
  TabsBGRect = e->TabsBGRect;
  TabLeftOffset = e->TabLeftOffset;
  TabRightOffset = e->TabRightOffset;
  FontName = e->FontName;
  FontStyle = e->FontStyle;
  FontHeight = e->FontHeight;
  FontColor = e->FontColor;
  ActiveFontColor = e->ActiveFontColor;
  MouseInFontColor = e->MouseInFontColor;
  UpDown = e->UpDown;
  TabStretchEffect = e->TabStretchEffect;
  // The hover and pressed close images fall back in the bar's own copies; the skin's
  // description is shared and stays as it was read.
  CloseButtonRect = e->CloseButtonRect;
  ClosebuttonActiveRect = IsNullRect(e->CloseButtonActiveRect) ? CloseButtonRect : e->CloseButtonActiveRect;
  CloseButtonDownRect = IsNullRect(e->CloseButtonDownRect) ? ClosebuttonActiveRect : e->CloseButtonDownRect;
  ButtonTransparent = e->ButtonTransparent;
  ButtonTransparentColor = e->ButtonTransparentColor;
  LTPoint = e->LTPoint, RTPoint = e->RTPoint, LBPoint = e->LBPoint, RBPoint = e->RBPoint;
  ClRect = e->ClRect;
  SkinRect = e->SkinRect;
  LeftStretch = e->LeftStretch, TopStretch = e->TopStretch, RightStretch = e->RightStretch;
  BottomStretch = e->BottomStretch;
  StretchEffect = e->StretchEffect;
  StretchType = e->StretchType;
  FBottomOffset = std::max(0, ClRect.Top);
  FActiveTabOffset = ActiveTabRect.Height() - TabRect.Height();
}

void TvlSkinMDITabsBar::ChangeSkinData() {
  TvlSkinControl::ChangeSkinData();
  GetSkinData();
  FCloseSize = GetCloseSize();
  if (FIndex != -1 && FUseSkinSize && TabRect.Height() > 0)
    SetHeight(TabRect.Height() + (FTabKind == TvlSkinMDITabKind::vltkTab ? FBottomOffset : 0));
  else if (FDefaultHeight > 0)
    SetHeight(FDefaultHeight);
  for (TvlSkinMenuSpeedButton* b : {FListButton, FHideListButton})
    if (b != nullptr) b->SetSkinData(FSD);
  Repaint();
  Realign();
}

void TvlSkinMDITabsBar::AdjustClientRect(TRect& Rect) {
  TvlSkinControl::AdjustClientRect(Rect);
  if (FTabKind == TvlSkinMDITabKind::vltkTab && FIndex != -1) Rect.Bottom -= FBottomOffset;
}

void TvlSkinMDITabsBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_vlParentMoved:
      if (FIndex != -1 && FSD != nullptr && FSD->MDITabsTransparent) Repaint();
      return;
    case WM_MOVE:
      TvlSkinControl::Dispatch(Message);
      if (FIndex != -1 && FSD != nullptr && FSD->MDITabsTransparent && Align() == TAlign::alNone) Repaint();
      return;
    default: TvlSkinControl::Dispatch(Message);
  }
}

// ---- List buttons and menus ------------------------------------------------------------------------

namespace {

TvlSkinMenuSpeedButton* MakeListButton(TvlSkinMDITabsBar* Bar, TAlign Align, int Arrow, TvlSkinPopupMenu* Menu) {
  auto* b = new TvlSkinMenuSpeedButton(Bar);
  b->SkinDataName = "resizetoolbutton";
  b->FDrawStandardArrow = true;
  b->FArrowType = Arrow;
  b->SetSkinPopupMenu(Menu);
  b->SetWidth(kListButtonWidth);
  b->SetAlign(Align);
  b->SetSkinData(Bar->SkinData());
  b->SetParent(Bar);
  return b;
}

}  // namespace

void TvlSkinMDITabsBar::CreateListButton() { FListButton = MakeListButton(this, TAlign::alLeft, 4, FListMenu); }

void TvlSkinMDITabsBar::UpdateHideListButton() {
  if (FInVisibleCount > 0 && FHideListButton == nullptr) {
    FHideListButton = MakeListButton(this, TAlign::alRight, 2, FHideListMenu);
  } else if (FInVisibleCount == 0 && FHideListButton != nullptr) {
    delete FHideListButton;
    FHideListButton = nullptr;
  }
}

void TvlSkinMDITabsBar::RebuildListMenu() { FillListMenu(FListMenu, kListSuffix, false); }

void TvlSkinMDITabsBar::RebuildHideListMenu() { FillListMenu(FHideListMenu, kHideListSuffix, true); }

void TvlSkinMDITabsBar::FillListMenu(TvlSkinPopupMenu* Menu, const char* Suffix, bool HiddenOnly) {
  if (Menu == nullptr) return;
  Menu->Items()->Clear();
  for (auto& t : ObjectList) {
    TCustomForm* c = t->Child();
    if (c == nullptr || (HiddenOnly && t->Visible)) continue;
    auto* item = new TMenuItem(Menu);
    item->SetName(c->Name() + Suffix);
    item->SetCaption(c->Caption());
    item->SetRadioItem(true);
    item->SetGroupIndex(0);
    item->SetChecked(t->Active);
    item->OnClick = [this](TObject* Sender) { ListItemClick(Sender); };
    Menu->Items()->Add(item);
  }
}

void TvlSkinMDITabsBar::ListItemClick(TObject* Sender) {
  auto* item = dynamic_cast<TMenuItem*>(Sender);
  TCustomForm* main = MainForm();
  if (item == nullptr || main == nullptr) return;
  const std::string name = ChildNameOf(item->Name());
  for (int i = 0; i < main->MDIChildCount(); ++i)
    if (main->MDIChildren(i)->Name() == name) {
      TvlVelmora::ShowMDIChild(main->MDIChildren(i));
      return;
    }
}

// ---- Pointer ---------------------------------------------------------------------------------------------

void TvlSkinMDITabsBar::TestActive(int X, int Y) {
  TWeak<TvlSkinMDITabsBar> alive(this);
  const int count = static_cast<int>(ObjectList.size());
  const int now = GetTabIndex(X, Y);
  const int old = ActiveTabIndex;
  ActiveTabIndex = now;
  bool repaint = false;
  if (now != old) {
    if (old >= 0 && old < count && ObjectList[static_cast<std::size_t>(old)]->Visible) {
      TvlMDITab* t = ObjectList[static_cast<std::size_t>(old)].get();
      t->MouseIn = false;
      repaint = true;
      if (OnTabMouseLeave) OnTabMouseLeave(t);
      if (!alive) return;
    }
    if (now >= 0 && now < static_cast<int>(ObjectList.size()) && ObjectList[static_cast<std::size_t>(now)]->Visible) {
      TvlMDITab* t = ObjectList[static_cast<std::size_t>(now)].get();
      t->MouseIn = true;
      repaint = true;
      if (OnTabMouseEnter) OnTabMouseEnter(t);
      if (!alive) return;
    }
    OldTabIndex = now;
  }
  if (FShowCloseButtons) {
    for (std::size_t i = 0; i < ObjectList.size(); ++i) {
      TvlMDITab& t = *ObjectList[i];
      if (static_cast<int>(i) == now) {
        const TRect b = t.ButtonRect;
        const bool in = !IsNullRect(b) && TRect{t.ObjectRect.Left + b.Left, t.ObjectRect.Top + b.Top,
                                                t.ObjectRect.Left + b.Right, t.ObjectRect.Top + b.Bottom}
                                              .Contains(TPoint{X, Y});
        if (in != t.ButtonMouseIn) {
          t.ButtonMouseIn = in;
          if (!in) t.ButtonMouseDown = false;
          repaint = true;
        }
      } else if (now != old && (t.ButtonMouseIn || t.ButtonMouseDown)) {
        t.ButtonMouseIn = t.ButtonMouseDown = false;
        repaint = true;
      }
    }
  }
  if (repaint) Repaint();
}

void TvlSkinMDITabsBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TvlSkinMDITabsBar> alive(this);
  TvlSkinControl::MouseDown(Button, Shift, X, Y);
  if (!alive) return;
  const int index = GetTabIndex(X, Y);
  if (index == -1) return;
  TvlMDITab* tab = ObjectList[static_cast<std::size_t>(index)].get();
  TWeak<TCustomForm> child(tab->Child());
  if (Button == TMouseButton::mbLeft) {
    if (FShowCloseButtons && !IsNullRect(tab->ButtonRect)) {
      const TRect b = tab->ButtonRect;
      const TRect onBar{tab->ObjectRect.Left + b.Left, tab->ObjectRect.Top + b.Top, tab->ObjectRect.Left + b.Right,
                        tab->ObjectRect.Top + b.Bottom};
      if (onBar.Contains(TPoint{X, Y})) {
        FDown = false;
        tab->ButtonMouseDown = tab->ButtonMouseIn = true;
        Repaint();
        return;
      }
    }
    if (child) TvlVelmora::ShowMDIChild(child.Get());
    if (!alive) return;
    FDown = true;
    DragIndex = MoveTabs ? IndexOfChild(child.Get()) : -1;
    DX = X;
    TabDX = 0;
  } else if (Button == TMouseButton::mbRight && SupportChildMenus && VMR != nullptr && child) {
    if (TvlVelmora* cv = vlFindSkinForm(child.Get())) {
      TPoint p{};
      GetCursorPos(&p);
      TMenuItem* items = cv->GetSystemMenuItems();
      TWeak<TvlVelmora> v(VMR);
      VMR->SkinMenuOpen();
      if (!alive) return;
      if (v && items != nullptr) {
        TvlSkinData* sd = VMR->MenusSkinData() != nullptr ? VMR->MenusSkinData() : VMR->SkinData();
        VMR->SkinMenu->Popup(Parent(), sd, 0, TRect{p.X, p.Y, p.X, p.Y}, items, false);
      }
      if (!alive) return;
    }
  }
  const int now = IndexOfChild(child.Get());
  if (OnTabMouseDown && now != -1) OnTabMouseDown(Button, Shift, ObjectList[static_cast<std::size_t>(now)].get());
}

void TvlSkinMDITabsBar::MouseMove(TShiftState Shift, int X, int Y) {
  TWeak<TvlSkinMDITabsBar> alive(this);
  TvlSkinControl::MouseMove(Shift, X, Y);
  if (!alive) return;
  if (FDown && DragIndex != -1 && !IsDrag && X != DX) IsDrag = true;
  if (IsDrag) {
    TabDX = X - DX;
    Repaint();
    return;
  }
  TestActive(X, Y);
}

void TvlSkinMDITabsBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TvlSkinMDITabsBar> alive(this);
  FDown = false;
  if (IsDrag) {
    LayoutTabs();
    const int drop = DropIndex();
    if (drop != -1 && drop != DragIndex && DragIndex >= 0 && DragIndex < static_cast<int>(ObjectList.size())) {
      std::unique_ptr<TvlMDITab> moved = std::move(ObjectList[static_cast<std::size_t>(DragIndex)]);
      ObjectList.erase(ObjectList.begin() + DragIndex);
      ObjectList.insert(ObjectList.begin() + drop, std::move(moved));
    }
    IsDrag = false;
    DragIndex = -1;
    TabDX = 0;
    Repaint();
  } else {
    DragIndex = -1;
    if (TvlMDITab* t = GetTab(X, Y); t != nullptr && OnTabMouseUp) {
      OnTabMouseUp(Button, Shift, t);
      if (!alive) return;
    }
  }
  if (FShowCloseButtons && Button == TMouseButton::mbLeft) {
    for (std::size_t i = 0; i < ObjectList.size(); ++i) {
      TvlMDITab& t = *ObjectList[i];
      if (!t.ButtonMouseDown) continue;
      const TRect b = t.ButtonRect;
      const TRect onBar{t.ObjectRect.Left + b.Left, t.ObjectRect.Top + b.Top, t.ObjectRect.Left + b.Right,
                        t.ObjectRect.Top + b.Bottom};
      t.ButtonMouseDown = false;
      if (onBar.Contains(TPoint{X, Y})) {
        TWeak<TCustomForm> child(t.Child());
        Repaint();
        // Closing may hide the child and take its tab (and more) away: nothing of the list after.
        if (child) child->Close();
        if (!alive) return;
      } else {
        t.ButtonMouseIn = false;
        Repaint();
      }
      break;
    }
  }
  if (alive) TvlSkinControl::MouseUp(Button, Shift, X, Y);
}

int TvlSkinMDITabsBar::DropIndex() const {
  const int count = static_cast<int>(ObjectList.size());
  if (DragIndex < 0 || DragIndex >= count || TabDX == 0) return -1;
  const TRect dragged = ObjectList[static_cast<std::size_t>(DragIndex)]->ObjectRect;
  const auto middle = [](const TRect& R) { return (R.Left + R.Right) / 2; };
  int drop = -1;
  if (TabDX > 0) {
    for (int i = DragIndex + 1; i < count; ++i) {
      const TvlMDITab& t = *ObjectList[static_cast<std::size_t>(i)];
      if (t.Visible && middle(t.ObjectRect) < dragged.Right) drop = i;
    }
  } else {
    for (int i = DragIndex - 1; i >= 0; --i) {
      const TvlMDITab& t = *ObjectList[static_cast<std::size_t>(i)];
      if (t.Visible && middle(t.ObjectRect) > dragged.Left) drop = i;
    }
  }
  return drop;
}

void TvlSkinMDITabsBar::CMMouseLeave(TMessage& Message) {
  TWeak<TvlSkinMDITabsBar> alive(this);
  TvlSkinControl::CMMouseLeave(Message);
  if (alive && !IsDrag) TestActive(-1, -1);
}
