// The chain of open popup levels of a form (TvlSkinMenu) and the skinned popup menu component
// (TvlSkinPopupMenu). The rows are in vlSkinMenusItem.cpp, the levels in vlSkinMenusWindow.cpp.

#include "lib/menus/vlSkinMenus.h"

#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/windowing/Screen.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/Window.h"

namespace {

constexpr UINT kSubmenuWait = 500;
// Posted to the chain's own window: free the levels closed meanwhile.
constexpr UINT kReleaseLevels = WM_USER + 1;

}  // namespace

// ---- The chain ----------------------------------------------------------------------------------

TvlSkinMenu::TvlSkinMenu(TComponent* AOwner, TCustomForm* AForm)
    : TComponent(AOwner), FForm(AForm), FDefaultMenuItemFont(std::make_unique<TFont>()) {
  FDefaultMenuItemFont->SetName("Arial");
  FDefaultMenuItemFont->SetStyle(TFontStyles{});
  FDefaultMenuItemFont->SetHeight(14);
  WaitTimer = new TTimer(this);
  WaitTimer->SetEnabled(false);
  WaitTimer->SetInterval(kSubmenuWait);
  WaitTimer->OnTimer = [this](TObject*) { WaitTimerProc(); };
  FReleaseWindow = AllocateHWnd([this](TMessage& M) {
    if (M.Msg == kReleaseLevels) {
      FReleasePosted = false;
      ReleaseClosed();
    } else {
      M.Result = DefWindowProc(FReleaseWindow, M.Msg, M.WParam, M.LParam);
    }
  });
}

TvlSkinMenu::~TvlSkinMenu() {
  CloseLevels(0);
  // A level whose handler is running keeps itself until the handler returns.
  FClosed.clear();
  if (FReleaseWindow) DeallocateHWnd(FReleaseWindow);
}

void TvlSkinMenu::SetDefaultMenuItemFont(TFont* Value) { FDefaultMenuItemFont->Assign(Value); }

void TvlSkinMenu::ApplyItemFont(TFont* F, const TvlDataSkinMenuItem* Description) const {
  if (Description) {
    F->SetName(Description->FontName);
    F->SetStyle(Description->FontStyle);
    F->SetHeight(Description->FontHeight);
  } else {
    F->Assign(FDefaultMenuItemFont.get());
  }
  if (SkinData && SkinData->ResourceStrData())
    F->SetCharset(SkinData->ResourceStrData()->CharSet);
  else
    F->SetCharset(FDefaultMenuItemFont->Charset());
}

TvlSkinPopupWindow* TvlSkinMenu::Level(int Index) const {
  if (Index < 0 || Index >= LevelCount()) return nullptr;
  return FPopupList[static_cast<std::size_t>(Index)].get();
}

TvlSkinPopupWindow* TvlSkinMenu::LastLevel() const { return FPopupList.empty() ? nullptr : FPopupList.back().get(); }

int TvlSkinMenu::IndexOfPopup(const TvlSkinPopupWindow* Window) const {
  for (std::size_t i = 0; i < FPopupList.size(); ++i)
    if (FPopupList[i].get() == Window) return static_cast<int>(i);
  return LevelCount();
}

void TvlSkinMenu::Notify(TControl* Control, UINT Msg) {
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && w->HandleAllocated())
    SendMessage(w->Handle(), Msg, 0, 0);
  else
    Control->Perform(Msg, 0, 0);
}

void TvlSkinMenu::StopWait() {
  WaitTimer->SetEnabled(false);
  WItem = nullptr;
}

void TvlSkinMenu::ReleaseClosed() {
  // Moved out first: freeing a level may run code that closes more.
  std::vector<std::shared_ptr<TvlSkinPopupWindow>> closed = std::move(FClosed);
  FClosed.clear();
}

void TvlSkinMenu::CloseLevels(int FromIndex) {
  if (FromIndex < 0) FromIndex = 0;
  while (LevelCount() > FromIndex) {
    std::shared_ptr<TvlSkinPopupWindow> level = FPopupList.back();
    FPopupList.pop_back();
    if (WItem && WItem->Parent == level.get()) StopWait();
    level->Hide();
    // Freed after the message being handled: the level or one of its rows may be in a handler.
    FClosed.push_back(std::move(level));
  }
  if (!FClosed.empty() && !FReleasePosted && FReleaseWindow) {
    FReleasePosted = PostMessage(FReleaseWindow, kReleaseLevels, 0, 0) != FALSE;
  }
  if (FromIndex != 0) return;
  FVisible = false;
  WaitTimer->SetEnabled(false);
  DCtrl = PopupCtrl;
  TWeak<TvlSkinMenu> alive(this);
  if (TControl* opener = PopupCtrl.Get()) {
    PopupCtrl = nullptr;
    Notify(opener, WM_vlSkinMenuClosed);
    if (!alive) return;
  }
  if (FOnMenuClose) {
    // One-shot: cleared before it runs, so a handler may set a new one.
    TNotifyEvent close = std::move(FOnMenuClose);
    FOnMenuClose = nullptr;
    close(this);
  }
}

void TvlSkinMenu::Hide() {
  TWeak<TvlSkinMenu> alive(this);
  CloseLevels(0);
  if (!alive) return;
  StopWait();
  if (FForm && FForm->HandleAllocated()) SendMessage(FForm->Handle(), WM_vlSkinMenuClosed, 0, 0);
}

void TvlSkinMenu::OpenChain(TControl* APopupCtrl, TvlSkinData* ASkinData, const std::function<void()>& Show) {
  FFirst = !FVisible;
  if (FVisible || !FPopupList.empty()) {
    TWeak<TvlSkinMenu> alive(this);
    CloseLevels(0);
    if (!alive) return;
  }
  PopupCtrl = APopupCtrl;
  WorkArea = TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetMonitorWorkArea(FForm && FForm->HandleAllocated() ? FForm->Handle() : nullptr, true, WorkArea);
  SkinData = ASkinData;
  RootItem = nullptr;
  Show();
}

void TvlSkinMenu::Popup(TControl* APopupCtrl, TvlSkinData* ASkinData, int StartIndex, TRect R, TMenuItem* AItem,
                        bool PopupUp) {
  OpenChain(APopupCtrl, ASkinData, [&] {
    if (!AItem || AItem->Count() == 0 || StartIndex >= AItem->Count()) return;
    FVisible = true;
    RootItem = AItem;
    TWeak<TvlSkinMenu> alive(this);
    ShowLevel(R, AItem, PopupUp, false, StartIndex);
    if (alive) FFirst = false;
  });
}

void TvlSkinMenu::Popup2(TControl* APopupCtrl, TvlSkinData* ASkinData, int StartIndex, TRect R, TMenuItem* AItem,
                         TMenuItem* AItem2, bool PopupUp) {
  OpenChain(APopupCtrl, ASkinData, [&] {
    const int total = (AItem ? AItem->Count() : 0) + (AItem2 ? AItem2->Count() : 0);
    if (!AItem || AItem->Count() == 0 || StartIndex >= total) return;
    FVisible = true;
    RootItem = AItem;
    TWeak<TvlSkinMenu> alive(this);
    ShowLevel2(R, AItem, AItem2, PopupUp, false, StartIndex);
    if (alive) FFirst = false;
  });
}

void TvlSkinMenu::ShowLevel(TRect R, TMenuItem* AItem, bool PopupUp, bool PopupByItem, int StartIndex) {
  TvlDataSkinPopupWindow* d = SkinData && !SkinData->Empty ? SkinData->PopupWindow.get() : nullptr;
  auto level = std::make_shared<TvlSkinPopupWindow>(this, d);
  level->FSelf = level;
  FPopupList.push_back(level);
  level->Show(R, AItem, StartIndex, PopupByItem, PopupUp);
}

void TvlSkinMenu::ShowLevel2(TRect R, TMenuItem* AItem, TMenuItem* AItem2, bool PopupUp, bool PopupByItem,
                             int StartIndex) {
  TvlDataSkinPopupWindow* d = SkinData && !SkinData->Empty ? SkinData->PopupWindow.get() : nullptr;
  auto level = std::make_shared<TvlSkinPopupWindow>(this, d);
  level->FSelf = level;
  FPopupList.push_back(level);
  level->Show2(R, AItem, AItem2, StartIndex, PopupByItem, PopupUp);
}

void TvlSkinMenu::ActivateItem(TvlSkinPopupWindow* Window, TvlSkinMenuItem* Item, bool Kb, bool Click) {
  TMenuItem* m = Item->MenuItem();
  if (!m) return;
  TWeak<TvlSkinMenu> alive(this);
  const bool children = m->Count() > 0;
  const int after = IndexOfPopup(Window) + 1;
  if (!children && !Click) {
    StopWait();
    if (after < LevelCount()) CloseLevels(after);
    return;
  }
  // The command runs through the menu that owns the item, by its number: an item freed by the
  // time it runs runs nothing.
  TWeak<TMenu> menu(m->GetParentMenu());
  const WORD command = m->Command();
  if (!children) {
    StopWait();
    // Every level closes before the command runs; the opener hears it first.
    Hide();
    if (TMenu* owner = menu.Get()) owner->DispatchCommand(command);
    // The command may have freed the form, this chain with it, or the opener.
    if (!alive) return;
    if (TControl* opener = DCtrl.Get()) {
      DCtrl = nullptr;
      Notify(opener, WM_vlSkinMenuCommandDone);
    }
    return;
  }
  if (!Click) {
    if (Kb) return;  // the keyboard opens submenus with Right or Enter
    StopWait();
    if (after < LevelCount()) CloseLevels(after);
    WItem = Item;
    WaitTimer->SetEnabled(true);
    return;
  }
  // A parent item's OnClick runs each time its submenu opens.
  TWeak<TvlSkinMenuItem> row(Item);
  TWeak<TvlSkinPopupWindow> level(Window);
  TWeak<TMenuItem> item(m);
  if (TMenu* owner = menu.Get()) owner->DispatchCommand(command);
  if (!alive || !row || !level || !item || IndexOfPopup(Window) == LevelCount()) return;
  StopWait();
  // A submenu another row of this level opened goes first.
  if (after < LevelCount()) CloseLevels(after);
  if (!alive) return;
  Item->Down = true;
  TRect r = Item->ObjectRect;
  r = TRect{r.Left + Window->Left(), r.Top + Window->Top(), r.Right + Window->Left(), r.Bottom + Window->Top()};
  ShowLevel(r, m, false, true, 0);
}

void TvlSkinMenu::WaitTimerProc() {
  WaitTimer->SetEnabled(false);
  TvlSkinMenuItem* item = WItem;
  if (!item) return;
  ActivateItem(item->Parent, item, false, true);
}

// ---- The popup menu component ---------------------------------------------------------------------

TvlSkinPopupMenu::TvlSkinPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner) { popupPoint_ = TPoint{-1, -1}; }

void TvlSkinPopupMenu::SetSkinData(TvlSkinData* Value) { ReplaceReference(FSD, Value); }

void TvlSkinPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TPopupMenu::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSD) FSD = nullptr;
}

TvlSkinMenuHost* vlFindSkinMenuHost(TCustomForm* Form) {
  if (!Form) return nullptr;
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* host = dynamic_cast<TvlSkinMenuHost*>(Form->Components(i))) return host;
  return nullptr;
}

TvlSkinMenuHost* TvlSkinPopupMenu::FindSkinComponent() const {
  if (TComponent* c = FSkinComponent.Get()) return dynamic_cast<TvlSkinMenuHost*>(c);
  TvlSkinMenuHost* found = nullptr;
  if (TCustomForm* f = FComponentForm.Get()) {
    found = vlFindSkinMenuHost(f);
  } else if (auto* f = dynamic_cast<TCustomForm*>(Owner())) {
    found = vlFindSkinMenuHost(f);
  } else if (Owner()) {
    found = vlFindSkinMenuHost(dynamic_cast<TCustomForm*>(Owner()->Owner()));
  }
  // The menus of an MDI child open through the main form.
  if (found && found->Form()->FormStyle() == TFormStyle::fsMDIChild)
    found = vlFindSkinMenuHost(dynamic_cast<TCustomForm*>(Application()->MainForm()));
  return found;
}

void TvlSkinPopupMenu::Show(TControl* ACtrl, TRect R, bool APopupUp) {
  TWeak<TvlSkinPopupMenu> alive(this);
  TWeak<TControl> opener(ACtrl);
  if (OnPopup) {
    OnPopup(this);
    if (!alive) return;
  }
  TvlSkinMenuHost* skinner = FindSkinComponent();
  if (!skinner) return;
  if (!FSD) SetSkinData(skinner->MenusSkinData() ? skinner->MenusSkinData() : skinner->SkinData());
  TWeak<TComponent> skinnerAlive(skinner->HostComponent());
  TvlSkinMenu* chain = skinner->MenuChain();
  if (chain->FVisible) skinner->SkinMenuClose();
  if (!skinnerAlive || !alive) return;
  skinner->SkinMenuOpen();
  popupPoint_ = TPoint{R.Left, R.Top};
  FChain = chain;
  chain->Popup(opener.Get(), FSD, 0, R, Items(), APopupUp);
  if (!skinnerAlive) return;
  if (!chain->FVisible) {
    // Nothing opened (no visible item): the form leaves the menu mode it just entered, so its
    // keys are not held back for a menu that is not there.
    skinner->SkinMenuClose();
    return;
  }
  // The close event belongs to the chain this menu opened.
  if (alive && OnMenuClose) chain->FOnMenuClose = OnMenuClose;
}

bool TvlSkinPopupMenu::Showing() const {
  TvlSkinMenu* chain = FChain.Get();
  return chain && chain->FVisible && chain->RootItem.Get() == Items();
}

void TvlSkinPopupMenu::Popup(int X, int Y) { Show(nullptr, TRect{X, Y, X, Y}, false); }

void TvlSkinPopupMenu::PopupFromRect(TRect R, bool APopupUp) { Show(nullptr, R, APopupUp); }

void TvlSkinPopupMenu::Popup2(TControl* ACtrl, int X, int Y) { Show(ACtrl, TRect{X, Y, X, Y}, false); }

void TvlSkinPopupMenu::PopupFromRect2(TControl* ACtrl, TRect R, bool APopupUp) { Show(ACtrl, R, APopupUp); }
