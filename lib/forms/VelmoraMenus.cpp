// The form skinner's side of its menus: the system and tray menus, how popups open and close,
// the routing of keys and the wheel to the open menus, the keyboard menu mode of the main menu
// bar, the form's shortcuts, and the closing of menus and caption hints on outside input.

#include <cstdint>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Application.h"
#include "platform/windowing/Input.h"
#include "platform/controls/Menus.h"

namespace {

// The run-time system-menu items: name, interface-text key, built-in caption.
struct TSystemItem {
  const char* Name;
  const char* Key;
  const char* Caption;
};
constexpr TSystemItem kMinimizeItem{"VMR_MINITEM", "MI_MINCAPTION", "Mi&nimize"};
constexpr TSystemItem kMaximizeItem{"VMR_MAXITEM", "MI_MAXCAPTION", "Ma&ximize"};
constexpr TSystemItem kRestoreItem{"VMR_RESTORE", "MI_RESTORECAPTION", "&Restore"};
constexpr TSystemItem kRollUpItem{"VMR_ROLLUP", "MI_ROLLUPCAPTION", "Ro&llUp"};
constexpr TSystemItem kMinToTrayItem{"VMR_MINTOTRAY", "MI_MINTOTRAYCAPTION", "Minimize to &Tray"};
constexpr TSystemItem kCloseItem{"VMR_CLOSE", "MI_CLOSECAPTION", "&Close"};
constexpr TSystemItem kTrayRestoreItem{"TRAY_VMR_RESTORE", "MI_RESTORECAPTION", "&Restore"};
constexpr TSystemItem kTrayCloseItem{"TRAY_VMR_CLOSE", "MI_CLOSECAPTION", "&Close"};

// The interface text of Key when the container has a table (even an empty one), else Fallback.
std::string InterfaceText(TvlSkinData* SD, const char* Key, const char* Fallback) {
  if (SD && SD->ResourceStrData()) return SD->ResourceStrData()->GetResStr(Key);
  return Fallback;
}

TMenuItem* NewItem(TComponent* Owner, const std::string& Name, const std::string& Caption, TNotifyEvent OnClick) {
  auto* i = new TMenuItem(Owner);
  if (!Name.empty()) i->SetName(Name);
  i->SetCaption(Caption);
  i->OnClick = std::move(OnClick);
  return i;
}

bool IsRunTimeSystemItem(const std::string& Name) {
  for (const TSystemItem* s : {&kMinimizeItem, &kMaximizeItem, &kCloseItem, &kMinToTrayItem, &kRollUpItem, &kRestoreItem})
    if (Name == s->Name) return true;
  return false;
}

}  // namespace

// ---- Properties -------------------------------------------------------------------------------

void TvlVelmora::SetMainMenuBar(TvlSkinMainMenuBar* Value) { ReplaceReference(FMainMenuBar, Value); }

void TvlVelmora::SetMainMenu(TMainMenu* Value) { ReplaceReference(FMainMenu, Value); }

// ---- Routing ------------------------------------------------------------------------------------------

void TvlVelmora::HookAppMessages() {
  if (FInAppHook) return;
  // Keyed: taken out by this key alone, whatever hooks others add or remove meanwhile.
  Application()->AddMessageHook([this](MSG& Msg, bool& Handled) { MenuAppMessageHook(Msg, Handled); }, this);
  FInAppHook = true;
}

void TvlVelmora::UnhookAppMessages() {
  if (!FInAppHook) return;
  FInAppHook = false;
  Application()->RemoveMessageHook(this);
}

void TvlVelmora::MenuAppMessageHook(MSG& Msg, bool& Handled) {
  if (Msg.message == WM_KEYDOWN) {
    const auto key = static_cast<WORD>(Msg.wParam);
    Msg.message = 0;
    Handled = true;
    MenuKeyDown(key);
  } else if (Msg.message == WM_MOUSEWHEEL) {
    // The wheel does nothing while a menu is open.
    Msg.message = 0;
    Handled = true;
  }
}

// ---- Opening and closing ---------------------------------------------------------------------------

void TvlVelmora::SkinMenuOpen() {
  if (!InMainMenu) HookAppMessages();
  if (InMenu) return;
  InMenu = true;
  if (OnSkinMenuOpen) OnSkinMenuOpen(this);
}

void TvlVelmora::SkinMenuClose() {
  if (FMenuLayerManager->IsVisible) FMenuLayerManager->Hide();
  InMenu = false;
  // The caption object whose menu was open is released.
  for (auto& o : ObjectList) {
    if (auto* b = dynamic_cast<TvlSkinButtonObject*>(o.get()); b && b->MenuItem && b->FDown) {
      TWeak<TvlVelmora> alive(this);
      b->SetDown(false);
      if (!alive) return;
      break;
    }
    if (auto* a = dynamic_cast<TvlSkinAnimateObject*>(o.get()); a && a->MenuItem && a->FMenuTracking) {
      // The animation runs back from its last frame.
      a->Active = true;
      a->FFrame = a->CountFrames;
      a->FDown = false;
      a->FMenuTracking = false;
      a->Increment = false;
      AnimateTimer->SetEnabled(true);
      break;
    }
  }
  TWeak<TvlVelmora> alive(this);
  UnhookAppMessages();
  if (OnSkinMenuClose) {
    OnSkinMenuClose(this);
    if (!alive) return;
  }
  if (InMainMenu) {
    InMainMenu = false;
    if (FMainMenuBar) FMainMenuBar->EndKeyboardMenu();
    if (OnMainMenuExit) OnMainMenuExit(this);
  }
}

void TvlVelmora::LeaveMainMenu() {
  TWeak<TvlVelmora> alive(this);
  InMainMenu = false;
  if (SkinMenu->FVisible) {
    SkinMenu->Hide();
    if (!alive) return;
  }
  if (FMainMenuBar) FMainMenuBar->EndKeyboardMenu();
  UnhookAppMessages();
  if (OnMainMenuExit) OnMainMenuExit(this);
}

void TvlVelmora::EndSkinMenuInMainMenu() {
  InMenu = false;
  if (FMainMenuBar) FMainMenuBar->ReturnToBar();
  if (OnSkinMenuClose) OnSkinMenuClose(this);
}

void TvlVelmora::KeyMenu() {
  if (InMainMenu) {
    LeaveMainMenu();
    return;
  }
  TWeak<TvlVelmora> alive(this);
  if (SkinMenu->FVisible) {
    SkinMenu->Hide();
    if (!alive) return;
  }
  if (InMenu) {
    SkinMenuClose();
    if (!alive) return;
  }
  if (FMainMenuBar) FMainMenuBar->BeginKeyboardMenu();
}

bool TvlVelmora::IsMenuBarKey(WORD Key) { return FMainMenuBar && FMainMenuBar->ActivateItemByAccel(Key); }

bool TvlVelmora::MenuBarEnterKey() { return FMainMenuBar && FMainMenuBar->OpenSelectedItem(); }

void TvlVelmora::MenuKeyDown(WORD Key) {
  TWeak<TvlVelmora> alive(this);
  // The menus of an MDI child are the main form's.
  if (FForm->FormStyle() == TFormStyle::fsMDIChild) {
    TvlVelmora* main = vlFindSkinForm(dynamic_cast<TCustomForm*>(Application()->MainForm()));
    if (main && main != this && (main->InMenu || main->InMainMenu || main->SkinMenu->FVisible)) {
      main->MenuKeyDown(Key);
      return;
    }
  }
  const auto deepest = [this] { return SkinMenu->LastLevel(); };
  if (InMainMenu && IsMenuBarKey(Key)) return;
  if (!alive) return;
  if (Key == VK_ESCAPE && InMainMenu && !InMenu) {
    LeaveMainMenu();
    return;
  }
  if (Key == VK_LEFT && InMainMenu && SkinMenu->LevelCount() <= 1) {
    if (FMainMenuBar) FMainMenuBar->SelectPriorItem();
    return;
  }
  if (Key == VK_RIGHT && InMainMenu) {
    TvlSkinPopupWindow* last = deepest();
    bool canMove = !last;
    if (last) {
      const int a = last->ActiveItem;
      TvlSkinMenuItem* row = a >= 0 && a < static_cast<int>(last->ItemList.size())
                                 ? last->ItemList[static_cast<std::size_t>(a)].get()
                                 : nullptr;
      canMove = !row || !row->MenuItem() || row->MenuItem()->Count() == 0;
    }
    if (canMove) {
      if (FMainMenuBar) FMainMenuBar->SelectNextItem();
      return;
    }
  }
  if (Key == VK_RETURN || Key == VK_DOWN) {
    if (MenuBarEnterKey()) return;
    if (!alive) return;
    if (SkinMenu->FVisible)
      if (TvlSkinPopupWindow* level = deepest()) level->PopupKeyDown(Key);
    return;
  }
  if (SkinMenu->FVisible) {
    if (TvlSkinPopupWindow* level = deepest()) level->PopupKeyDown(Key);
    if (!alive) return;
  }
  if (Key == VK_ESCAPE && SkinMenu->LevelCount() == 0) {
    if (InMainMenu)
      EndSkinMenuInMainMenu();
    else
      SkinMenuClose();
  }
}

void TvlVelmora::CloseMenusOnInput(UINT Msg) {
  if (!IsMenuCloseMessage(Msg)) return;
  if (IsMDIParent() && !SkinMenu->FVisible) {
    // Input on the parent also closes what the active child's skinner has open.
    TvlVelmora* child = vlFindActiveMDIChildSkinForm();
    TWeak<TvlVelmora> alive(this);
    if (child != nullptr && child != this) child->CloseMenusOnInput(Msg);
    if (!alive) return;
  }
  if (ShowObjectHint && FSkinHint) FSkinHint->HideHint();
  if (InMainMenu && !InMenu) {
    LeaveMainMenu();
  } else if (SkinMenu->FVisible) {
    SkinMenu->Hide();
  } else if (InMenu) {
    SkinMenuClose();
  }
  if (IsMDIParent()) SendCancelModeToMDIControls();
}

// ---- Shortcuts -----------------------------------------------------------------------------------------

void TvlVelmora::FormShortCut(TMessage& Msg, bool& Handled) {
  TWeak<TvlVelmora> alive(this);
  if (OnShortCut) {
    OnShortCut(Msg, Handled);
    if (Handled || !alive) return;
  }
  const auto key = static_cast<WORD>(Msg.WParam);
  // Alt as the key was pressed (the key data), Shift and Ctrl from the keyboard state.
  TShiftState shift = KeyboardStateToShiftState();
  if ((static_cast<std::uintptr_t>(Msg.LParam) & (std::uintptr_t{1} << 29)) != 0) shift.Include(TShiftStateFlag::ssAlt);
  const bool altAlone = shift == TShiftState{TShiftStateFlag::ssAlt};
  if (altAlone && key == VK_SPACE) {
    PopupSystemMenuAtButton();
    if (!alive) return;
    FInShortCut = false;
    Handled = true;
    return;
  }
  if (FInShortCut) {
    FInShortCut = false;
    Handled = false;
  }
  TMainMenu* menu = FMainMenuBar && FMainMenuBar->MainMenu() ? FMainMenuBar->MainMenu() : FMainMenu;
  if (menu) {
    if (altAlone && key != VK_F4 && IsMenuBarKey(key)) {
      Handled = true;
      return;
    }
    if (!alive) return;
    FInShortCut = menu->IsShortCut(key, shift);
    if (!alive) return;
    Handled = FInShortCut;
  }
  if (FInShortCut || !FMainMenuBar) return;
  if (TMainMenu* child = FMainMenuBar->GetChildMainMenu()) {
    if (altAlone && IsMenuBarKey(key)) {
      Handled = true;
      return;
    }
    if (!alive) return;
    FInShortCut = child->IsShortCut(key, shift);
    if (alive) Handled = FInShortCut;
  }
}

// ---- The system menu ------------------------------------------------------------------------------------

TMenuItem* TvlVelmora::GetSystemMenuItems() {
  if (FSystemMenu) {
    RebuildSystemMenu();
    return FSystemMenu->Items();
  }
  BuildDefaultSystemMenu();
  return FSysMenu->Items();
}

namespace {

// One run-time item of the system menu: shown in the current state or not, and its command.
struct TSystemEntry {
  const TSystemItem* Item;
  bool Shown;
  TNotifyEvent OnClick;
};

// The state-dependent items, in the built-in menu's order: minimize, maximize, restore, roll up,
// minimize to tray.
std::vector<TSystemEntry> StateEntries(TvlVelmora* V) {
  const TWindowState state = V->WindowState();
  const TvlBorderIcons icons = V->BorderIcons();
  const bool maximizedChild =
      V->Form()->FormStyle() == TFormStyle::fsMDIChild && state == TWindowState::wsMaximized;
  return {
      {&kMinimizeItem, state != TWindowState::wsMinimized && icons.Contains(TvlBorderIcon::biMinimize),
       [V](TObject*) {
         if (V->AlwaysMinimizeToTray)
           V->MinimizeToTray();
         else
           V->SetWindowState(TWindowState::wsMinimized);
       }},
      {&kMaximizeItem, state != TWindowState::wsMaximized && icons.Contains(TvlBorderIcon::biMaximize),
       [V](TObject*) { V->SetWindowState(TWindowState::wsMaximized); }},
      {&kRestoreItem, state != TWindowState::wsNormal || V->RollUpState(),
       [V](TObject*) {
         if (V->MaxRollUpState || (V->RollUpState() && V->WindowState() == TWindowState::wsNormal))
           V->SetRollUpState(false);
         else
           V->SetWindowState(TWindowState::wsNormal);
       }},
      {&kRollUpItem,
       icons.Contains(TvlBorderIcon::biRollUp) && !V->RollUpState() && state != TWindowState::wsMinimized &&
           !maximizedChild,
       [V](TObject*) { V->SetRollUpState(true); }},
      {&kMinToTrayItem, icons.Contains(TvlBorderIcon::biMinimizeToTray), [V](TObject*) { V->MinimizeToTray(); }},
  };
}

// A run-time system-menu item of Menu with the interface text of V's skin (and, for close, the
// shortcut).
TMenuItem* NewSystemItem(TvlVelmora* V, TMenu* Menu, const TSystemItem& Item, TNotifyEvent OnClick) {
  TMenuItem* i = NewItem(Menu, Item.Name, InterfaceText(V->SkinData(), Item.Key, Item.Caption), std::move(OnClick));
  if (&Item == &kCloseItem || &Item == &kTrayCloseItem)
    i->SetShortCut(TextToShortCut(V->Form()->FormStyle() == TFormStyle::fsMDIChild ? "Ctrl+F4" : "Alt+F4"));
  return i;
}

}  // namespace

void TvlVelmora::BuildDefaultSystemMenu() {
  TMenuItem* root = FSysMenu->Items();
  while (root->Count() > 0) delete root->Items(root->Count() - 1);
  for (TSystemEntry& e : StateEntries(this))
    if (e.Shown) root->Add(NewSystemItem(this, FSysMenu, *e.Item, std::move(e.OnClick)));
  if (root->Count() > 0) root->Add(NewItem(FSysMenu, "", "-", nullptr));
  root->Add(NewSystemItem(this, FSysMenu, kCloseItem, [this](TObject*) { FForm->Close(); }));
}

void TvlVelmora::RebuildSystemMenu() {
  if (!UseDefaultSysMenu || !FSystemMenu) return;
  TMenuItem* root = FSystemMenu->Items();
  for (int i = 0; i < root->Count();) {
    if (IsRunTimeSystemItem(root->Items(i)->Name())) {
      delete root->Items(i);
      i = 0;  // the search starts again after each removal
    } else {
      ++i;
    }
  }
  // Ahead of the application's items: minimize, restore, maximize, roll up, minimize to tray.
  std::vector<TSystemEntry> entries = StateEntries(this);
  std::swap(entries[1], entries[2]);
  int at = 0;
  for (TSystemEntry& e : entries)
    if (e.Shown) root->Insert(at++, NewSystemItem(this, FSystemMenu, *e.Item, std::move(e.OnClick)));
  root->Add(NewSystemItem(this, FSystemMenu, kCloseItem, [this](TObject*) { FForm->Close(); }));
}

void TvlVelmora::PopupSystemMenu(int X, int Y) { PopupSystemMenuFromRect(TRect{X, Y, X, Y}); }

void TvlVelmora::PopupSystemMenuFromRect(TRect R) {
  TMenuItem* items = GetSystemMenuItems();
  TvlVelmora* shower = this;
  if (IsMDIChild()) {
    // An MDI child's menu shows through the main form's skinner; none without one.
    shower = vlFindSkinForm(dynamic_cast<TCustomForm*>(Application()->MainForm()));
    if (!shower || shower == this) return;
  }
  TWeak<TvlVelmora> alive(shower);
  shower->SkinMenuOpen();
  if (!alive) return;
  TvlSkinData* skin = shower->MenusSkinData() ? shower->MenusSkinData() : shower->SkinData();
  shower->SkinMenu->Popup(nullptr, skin, 0, R, items, false);
}

void TvlVelmora::PopupSystemMenuAtButton() {
  for (auto& o : ObjectList) {
    if (!o->Enabled) continue;
    TvlStdCommand command = TvlStdCommand::cmDefault;
    if (auto* b = dynamic_cast<TvlSkinStdButtonObject*>(o.get()))
      command = b->Command;
    else if (auto* a = dynamic_cast<TvlSkinAnimateObject*>(o.get()))
      command = a->Command;
    if (command != TvlStdCommand::cmSysMenu) continue;
    PopupSystemMenuFromRect(o->ScreenRect());
    return;
  }
}

void TvlVelmora::PopupSkinMenu(TMenu* Menu, TPoint P) { PopupSkinMenu1(Menu, TRect{P.X, P.Y, P.X, P.Y}, false); }

void TvlVelmora::PopupSkinMenu1(TMenu* Menu, TRect R, bool PopupUp) {
  if (!Menu) return;
  TWeak<TvlVelmora> alive(this);
  SkinMenuOpen();
  if (!alive) return;
  SkinMenu->Popup(nullptr, FMSD ? FMSD : FSD, 0, R, Menu->Items(), PopupUp);
}

void TvlVelmora::DoPopupMenu(TPopupMenu* Menu, int X, int Y) {
  if (!Menu) return;
  TWeak<TvlVelmora> alive(this);
  if (Menu->OnPopup) {
    Menu->OnPopup(this);
    if (!alive) return;
  }
  if (SkinMenu->FVisible) {
    SkinMenuClose();
    if (!alive) return;
  }
  SkinMenuOpen();
  if (!alive) return;
  SkinMenu->Popup(nullptr, FSD, 0, TRect{X, Y, X, Y}, Menu->Items(), false);
}

// ---- The tray menu ---------------------------------------------------------------------------------------

void TvlVelmora::CreateTrayMenu() {
  FSysTrayMenu = new TvlSkinPopupMenu(this);
  FSysTrayMenu->FComponentForm = FForm;
  // Filled before any skin is set: the built-in captions.
  TMenuItem* root = FSysTrayMenu->Items();
  root->Add(NewSystemItem(this, FSysTrayMenu, kTrayRestoreItem, [this](TObject*) { RestoreFromTray(); }));
  root->Add(NewItem(FSysTrayMenu, "", "-", nullptr));
  root->Add(NewSystemItem(this, FSysTrayMenu, kTrayCloseItem, [this](TObject*) { FForm->Close(); }));
}
