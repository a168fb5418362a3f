// Menu handles (MenuHandles.h): trees of menu items named by handles, shown by the plain popup
// window.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>

#include "platform/controls/Menus.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Messages.h"
#include "platform/windowing/Window.h"

namespace {

// The handles of one process. A handle is a number never handed out twice; it names an item
// that is either the root of a menu of its own (owned here) or a submenu inside another tree
// (owned by that tree, so only weakly known here).
class TMenuHandleTable {
 public:
  HMENU Create() {
    std::uintptr_t id = ++last_;
    auto root = std::make_unique<TMenuItem>(nullptr);
    items_[id] = TWeak<TMenuItem>(root.get());
    roots_[id] = std::move(root);
    return reinterpret_cast<HMENU>(id);
  }
  [[nodiscard]] TMenuItem* Find(HMENU h) const {
    auto it = items_.find(Id(h));
    return it == items_.end() ? nullptr : it->second.Get();
  }
  [[nodiscard]] HMENU HandleOf(const TMenuItem* Item) const {
    for (const auto& [id, weak] : items_) {
      if (weak.Get() == Item) return reinterpret_cast<HMENU>(id);
    }
    return nullptr;
  }
  // A handle for an item of a tree owned elsewhere (a menu component's), known weakly only.
  HMENU Name(TMenuItem* Item) {
    if (HMENU h = HandleOf(Item)) return h;
    Sweep();  // forget freed items so the table does not grow with every menu shown
    std::uintptr_t id = ++last_;
    items_[id] = TWeak<TMenuItem>(Item);
    return reinterpret_cast<HMENU>(id);
  }
  // Hands the root item of h over to a parent tree; nullptr when h is not a free root.
  TMenuItem* Adopt(HMENU h) {
    auto it = roots_.find(Id(h));
    if (it == roots_.end()) return nullptr;
    TMenuItem* item = it->second.release();
    roots_.erase(it);
    return item;
  }
  bool Destroy(HMENU h) {
    auto it = roots_.find(Id(h));
    if (it == roots_.end()) return false;
    roots_.erase(it);  // frees the tree
    Sweep();
    return true;
  }

 private:
  static std::uintptr_t Id(HMENU h) { return reinterpret_cast<std::uintptr_t>(h); }
  void Sweep() {
    for (auto it = items_.begin(); it != items_.end();) {
      it = it->second.Get() ? std::next(it) : items_.erase(it);
    }
  }

  std::uintptr_t last_ = 0;
  std::map<std::uintptr_t, TWeak<TMenuItem>> items_;
  std::map<std::uintptr_t, std::unique_ptr<TMenuItem>> roots_;
};

TMenuHandleTable& Handles() {
  static TMenuHandleTable table;
  return table;
}

constexpr UINT kNoCommand = 0xFFFFFFFF;

// Builds the item an AppendMenu/InsertMenu call describes; nullptr when it cannot be made.
TMenuItem* MakeItem(UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem) {
  TMenuItem* item = nullptr;
  if (uFlags & MF_POPUP) {
    item = Handles().Adopt(reinterpret_cast<HMENU>(uIDNewItem));
    if (!item) return nullptr;
    item->Tag = 0;
  } else {
    item = new TMenuItem(nullptr);  // owned by the tree it goes into
    item->Tag = static_cast<std::intptr_t>(uIDNewItem & 0xFFFF);
  }
  if (uFlags & MF_SEPARATOR) {
    item->SetCaption(cLineCaption);
  } else {
    std::string text = lpNewItem ? lpNewItem : "";
    std::size_t tab = text.find('\t');
    if (tab != std::string::npos) {
      item->SetShortCut(TextToShortCut(text.substr(tab + 1)));
      text.erase(tab);
    }
    item->SetCaption(text);
  }
  item->SetEnabled((uFlags & (MF_GRAYED | MF_DISABLED)) == 0);
  item->SetRadioItem((uFlags & MF_RADIOCHECK) != 0);
  item->SetChecked((uFlags & MF_CHECKED) != 0);
  item->SetDefault((uFlags & MF_DEFAULT) != 0);
  return item;
}

TMenuItem* FindCommand(TMenuItem* root, UINT id) {
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (item->Count() == 0 && !item->IsLine() && static_cast<UINT>(item->Tag) == id) return item;
    if (TMenuItem* found = FindCommand(item, id)) return found;
  }
  return nullptr;
}

// The item a call names by command (searched in submenus too) or by position; nullptr when
// there is none.
TMenuItem* FindItem(HMENU hMenu, UINT uItem, UINT uFlags) {
  TMenuItem* menu = Handles().Find(hMenu);
  if (!menu) return nullptr;
  if (uFlags & MF_BYPOSITION) {
    return uItem < static_cast<UINT>(menu->Count()) ? menu->Items(static_cast<int>(uItem)) : nullptr;
  }
  return FindCommand(menu, uItem);
}

std::string ItemText(const TMenuItem* item) {
  std::string text = item->Caption();
  if (item->ShortCut() != scNone) text += "\t" + ShortCutToText(item->ShortCut());
  return text;
}

}  // namespace

HMENU detail::FindMenuHandle(const TMenuItem* Item) { return Item ? Handles().HandleOf(Item) : nullptr; }

HMENU detail::MenuHandleOf(TMenuItem* Item) { return Item ? Handles().Name(Item) : nullptr; }

HMENU CreatePopupMenu() { return Handles().Create(); }

BOOL DestroyMenu(HMENU hMenu) { return Handles().Destroy(hMenu) ? TRUE : FALSE; }

BOOL IsMenu(HMENU hMenu) { return Handles().Find(hMenu) ? TRUE : FALSE; }

BOOL AppendMenu(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem) {
  return InsertMenu(hMenu, kNoCommand, uFlags | MF_BYPOSITION, uIDNewItem, lpNewItem);
}

BOOL InsertMenu(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem) {
  TMenuItem* menu = Handles().Find(hMenu);
  if (!menu) return FALSE;
  if ((uFlags & MF_POPUP) && Handles().Find(reinterpret_cast<HMENU>(uIDNewItem)) == menu) return FALSE;
  TMenuItem* parent = menu;
  int index = menu->Count();
  if (uFlags & MF_BYPOSITION) {
    if (uPosition != kNoCommand && static_cast<int>(uPosition) < menu->Count()) index = static_cast<int>(uPosition);
  } else {
    TMenuItem* before = FindCommand(menu, uPosition);
    if (!before) return FALSE;
    parent = before->Parent();
    index = parent->IndexOf(before);
  }
  TMenuItem* item = MakeItem(uFlags, uIDNewItem, lpNewItem);
  if (!item) return FALSE;
  try {
    parent->Insert(index, item);
  } catch (const EMenuError&) {
    delete item;  // e.g. a submenu appended into its own tree
    return FALSE;
  }
  return TRUE;
}

int GetMenuItemCount(HMENU hMenu) {
  TMenuItem* menu = Handles().Find(hMenu);
  return menu ? menu->Count() : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
  TMenuItem* menu = Handles().Find(hMenu);
  if (!menu || nPos < 0 || nPos >= menu->Count()) return kNoCommand;
  TMenuItem* item = menu->Items(nPos);
  if (item->Count() > 0 || Handles().HandleOf(item)) return kNoCommand;
  return static_cast<UINT>(item->Tag);
}

HMENU GetSubMenu(HMENU hMenu, int nPos) {
  TMenuItem* menu = Handles().Find(hMenu);
  if (!menu || nPos < 0 || nPos >= menu->Count()) return nullptr;
  return Handles().HandleOf(menu->Items(nPos));
}

UINT EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  TMenuItem* item = FindItem(hMenu, uIDEnableItem, uEnable);
  if (!item) return kNoCommand;
  const UINT previous = item->Enabled() ? MF_ENABLED : MF_GRAYED;
  item->SetEnabled((uEnable & (MF_GRAYED | MF_DISABLED)) == 0);
  return previous;
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  TMenuItem* item = FindItem(hMenu, uId, uFlags);
  if (!item) return kNoCommand;
  UINT state = 0;
  if (!item->Enabled()) state |= MF_GRAYED | MF_DISABLED;
  if (item->Checked()) state |= MF_CHECKED;
  if (item->IsLine()) state |= MF_SEPARATOR;
  if (item->Default()) state |= MF_DEFAULT;
  if (item->RadioItem()) state |= MF_RADIOCHECK;
  if (item->Count() > 0 || Handles().HandleOf(item)) state |= MF_POPUP | (static_cast<UINT>(item->Count() & 0xFF) << 8);
  return state;
}

std::string GetMenuString(HMENU hMenu, UINT uIDItem, UINT uFlags) {
  TMenuItem* item = FindItem(hMenu, uIDItem, uFlags);
  return item && !item->IsLine() ? ItemText(item) : std::string();
}

int GetMenuString(HMENU hMenu, UINT uIDItem, char* lpString, int cchMax, UINT uFlags) {
  const std::string text = GetMenuString(hMenu, uIDItem, uFlags);
  if (!lpString || cchMax <= 0) return static_cast<int>(text.size());
  const int n = std::min(static_cast<int>(text.size()), cchMax - 1);
  std::memcpy(lpString, text.data(), static_cast<std::size_t>(n));
  lpString[n] = '\0';
  return n;
}

UINT detail::TrackMenuHandle(HMENU hMenu, TPoint Pos, TPopupAlignment Alignment, HWND Owner, bool Notify,
                             bool SystemMenu) {
  TMenuItem* menu = Handles().Find(hMenu);
  if (!menu) return 0;
  detail::TPlainPopupOptions options;
  if (Notify && Owner) {
    options.OnOpenLevel = [Owner, SystemMenu](TMenuItem* level, int index) {
      if (HMENU h = Handles().HandleOf(level)) {
        SendMessage(Owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(h),
                    MAKELPARAM(static_cast<WORD>(index), SystemMenu ? TRUE : FALSE));
      }
    };
    options.Owner = Owner;
    options.CommandOf = [](const TMenuItem* item) { return static_cast<UINT>(item->Tag); };
  }
  TMenuItem* chosen = detail::TrackPlainPopup(menu, nullptr, Pos, Alignment, options);
  return chosen ? static_cast<UINT>(chosen->Tag) : 0;
}

BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const TRect*) {
  if (!IsMenu(hMenu)) return FALSE;
  TPopupAlignment alignment = (uFlags & TPM_RIGHTALIGN)    ? TPopupAlignment::paRight
                              : (uFlags & TPM_CENTERALIGN) ? TPopupAlignment::paCenter
                                                           : TPopupAlignment::paLeft;
  const UINT id = detail::TrackMenuHandle(hMenu, {x, y}, alignment, hWnd, !(uFlags & TPM_NONOTIFY), false);
  if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(id);
  if (id != 0 && hWnd) PostMessage(hWnd, WM_COMMAND, id, 0);
  return id != 0 ? TRUE : FALSE;
}
