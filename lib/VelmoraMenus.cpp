// The form skinner's side of its skin menus: the menu mode (opened, closed), the routing of keys
// and the wheel to the open levels while a menu is open, and the closing of menus and caption
// hints on outside input.

#include "lib/Velmora.h"
#include "lib/vlLayerManager.h"
#include "lib/vlSkinHint.h"
#include "lib/vlSkinMenus.h"
#include "platform/Application.h"

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

void TvlVelmora::SkinMenuOpen() {
  if (!InMainMenu) HookAppMessages();
  if (InMenu) return;
  InMenu = true;
  if (OnSkinMenuOpen) OnSkinMenuOpen(this);
}

void TvlVelmora::SkinMenuClose() {
  if (FMenuLayerManager->IsVisible) FMenuLayerManager->Hide();
  InMenu = false;
  UnhookAppMessages();
  if (OnSkinMenuClose) OnSkinMenuClose(this);
}

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
  if (SkinMenu->FVisible) {
    if (TvlSkinPopupWindow* level = SkinMenu->LastLevel()) level->PopupKeyDown(Key);
    if (!alive) return;
  }
  if (Key == VK_ESCAPE && SkinMenu->LevelCount() == 0) SkinMenuClose();
}

void TvlVelmora::CloseMenusOnInput(UINT Msg) {
  if (!IsMenuCloseMessage(Msg)) return;
  if (ShowObjectHint && FSkinHint) FSkinHint->HideHint();
  if (SkinMenu->FVisible)
    SkinMenu->Hide();
  else if (InMenu)
    SkinMenuClose();
}
