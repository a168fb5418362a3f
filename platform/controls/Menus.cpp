#include "platform/controls/Menus.h"

#include <algorithm>
#include <set>

#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/Messages.h"
#include "platform/core/SysUtils.h"

namespace {

// Command numbers in use by live menu items. Numbers are handed out round the 1..0xFFFF range
// and skip those still taken, so a freed item's number is not reused at once.
class TCommandPool {
 public:
  WORD Allocate() {
    for (int tries = 0; tries < 0xFFFF; ++tries) {
      next_ = next_ == 0xFFFF ? 1 : static_cast<WORD>(next_ + 1);
      if (used_.insert(next_).second) return next_;
    }
    return 0;  // every number taken: the item dispatches nothing
  }
  void Release(WORD Command) { used_.erase(Command); }

 private:
  std::set<WORD> used_;
  WORD next_ = 0;
};

TCommandPool& CommandPool() {
  static TCommandPool pool;
  return pool;
}

struct TKeyName {
  WORD key;
  const char* name;
};

constexpr TKeyName kSpecialKeys[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},   {VK_ESCAPE, "Esc"},  {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},     {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"}, {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
};

std::string KeyName(WORD key) {
  for (const TKeyName& k : kSpecialKeys) {
    if (k.key == key) return k.name;
  }
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F1 + 23) return "F" + std::to_string(key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return "Num " + std::to_string(key - VK_NUMPAD0);
  return {};
}

// Decodes the UTF-8 code point at s[i] (the lone byte when the sequence is broken).
char32_t CodePointAt(const std::string& s, std::size_t i) {
  auto b = static_cast<unsigned char>(s[i]);
  std::size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
  if (extra == 0 || i + extra >= s.size()) return b;
  char32_t cp = b & (0x3F >> extra);
  for (std::size_t k = 1; k <= extra; ++k) {
    auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return b;
    cp = (cp << 6) | (c & 0x3F);
  }
  return cp;
}

char32_t UpperAscii(char32_t c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

}  // namespace

// ---- shortcuts and accelerators ----

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if ((Key & 0xFF00) != 0) return scNone;
  TShortCut result = Key;
  if (Shift.Contains(TShiftStateFlag::ssShift)) result |= scShift;
  if (Shift.Contains(TShiftStateFlag::ssCtrl)) result |= scCtrl;
  if (Shift.Contains(TShiftStateFlag::ssAlt)) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift) {
  Key = ShortCut & 0xFF;
  Shift = {};
  if (ShortCut & scShift) Shift.Include(TShiftStateFlag::ssShift);
  if (ShortCut & scCtrl) Shift.Include(TShiftStateFlag::ssCtrl);
  if (ShortCut & scAlt) Shift.Include(TShiftStateFlag::ssAlt);
}

std::string ShortCutToText(TShortCut ShortCut) {
  std::string name = KeyName(ShortCut & 0xFF);
  if (name.empty()) return {};
  std::string result;
  if (ShortCut & scShift) result += "Shift+";
  if (ShortCut & scCtrl) result += "Ctrl+";
  if (ShortCut & scAlt) result += "Alt+";
  return result + name;
}

TShortCut TextToShortCut(const std::string& Text) {
  static constexpr struct {
    const char* prefix;
    TShortCut bit;
  } kPrefixes[] = {{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};
  std::string rest = Text;
  TShortCut shift = 0;
  for (bool found = true; found;) {
    found = false;
    for (const auto& p : kPrefixes) {
      std::size_t n = std::char_traits<char>::length(p.prefix);
      if (rest.size() > n && SameText(rest.substr(0, n), p.prefix)) {
        shift |= p.bit;
        rest.erase(0, n);
        found = true;
      }
    }
  }
  if (rest.empty()) return scNone;
  for (WORD key = 0x08; key <= 0xFF; ++key) {
    std::string name = KeyName(key);
    if (!name.empty() && SameText(name, rest)) return static_cast<TShortCut>(key | shift);
  }
  return scNone;
}

char32_t GetHotkey(const std::string& Caption) {
  for (std::size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&') continue;
    if (Caption[i + 1] == '&') {
      ++i;  // a literal ampersand
      continue;
    }
    return UpperAscii(CodePointAt(Caption, i + 1));
  }
  return 0;
}

bool IsAccel(WORD Key, const std::string& Caption) {
  char32_t hot = GetHotkey(Caption);
  return hot != 0 && hot == UpperAscii(Key);
}

std::string StripHotkey(const std::string& Caption) {
  std::string out;
  out.reserve(Caption.size());
  for (std::size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&') {
      if (i + 1 < Caption.size()) out += Caption[++i];  // "&&" leaves one "&"
      continue;
    }
    out += Caption[i];
  }
  return out;
}

// ---- TMenuActionLink ----

TMenuActionLink::TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), item_(AClient) {}
void TMenuActionLink::SetCaption(const std::string& Value) { item_->SetCaption(Value); }
void TMenuActionLink::SetChecked(bool Value) { item_->SetChecked(Value); }
void TMenuActionLink::SetEnabled(bool Value) { item_->SetEnabled(Value); }
void TMenuActionLink::SetHint(const std::string& Value) { item_->SetHint(Value); }
void TMenuActionLink::SetImageIndex(int Value) { item_->SetImageIndex(Value); }
void TMenuActionLink::SetShortCut(TShortCut Value) { item_->SetShortCut(Value); }
void TMenuActionLink::SetVisible(bool Value) { item_->SetVisible(Value); }

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(CommandPool().Allocate()) {}

TMenuItem::~TMenuItem() {
  actionLink_.reset();
  if (parent_) parent_->Remove(this);
  // Children go with their parent; each one takes itself out of the list.
  while (!items_.empty()) delete items_.back();
  CommandPool().Release(command_);
}

void TMenuItem::MenuChanged() {
  for (const TMenuItem* p = this; p; p = p->parent_) {
    if (p->menu_) {
      p->menu_->MenuChanged(this, false);
      return;
    }
  }
}

void TMenuItem::SetCaption(const std::string& Value) {
  if (Value == caption_) return;
  caption_ = Value;
  MenuChanged();
}

void TMenuItem::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  MenuChanged();
}

void TMenuItem::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  MenuChanged();
}

void TMenuItem::UncheckRadioSiblings() {
  if (!parent_) return;
  for (TMenuItem* sibling : parent_->items_) {
    if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_ && sibling->checked_) {
      sibling->checked_ = false;
      // A sibling following an action keeps the action in step.
      if (auto* a = dynamic_cast<TCustomAction*>(sibling->Action())) a->SetChecked(false);
    }
  }
}

void TMenuItem::SetChecked(bool Value) {
  if (Value == checked_) return;
  checked_ = Value;
  if (Value && radioItem_) UncheckRadioSiblings();
  MenuChanged();
}

void TMenuItem::SetRadioItem(bool Value) {
  if (Value == radioItem_) return;
  radioItem_ = Value;
  if (checked_ && radioItem_) UncheckRadioSiblings();
  MenuChanged();
}

void TMenuItem::SetGroupIndex(BYTE Value) {
  if (Value == groupIndex_) return;
  groupIndex_ = Value;
  if (checked_ && radioItem_) UncheckRadioSiblings();
  MenuChanged();
}

void TMenuItem::SetDefault(bool Value) {
  if (Value == default_) return;
  // One default item per level.
  if (Value && parent_) {
    for (TMenuItem* sibling : parent_->items_) sibling->default_ = false;
  }
  default_ = Value;
  MenuChanged();
}

void TMenuItem::SetImageIndex(int Value) {
  if (Value == imageIndex_) return;
  imageIndex_ = Value;
  MenuChanged();
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (Value == shortCut_) return;
  shortCut_ = Value;
  MenuChanged();
}

void TMenuItem::SetHint(const std::string& Value) { hint_ = Value; }

TBitmap* TMenuItem::Bitmap() {
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return bitmap_.get();
}

bool TMenuItem::HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }

void TMenuItem::SetBitmap(TBitmap* Value) {
  if (!Value) {
    bitmap_.reset();
  } else {
    Bitmap()->Assign(Value);
  }
  MenuChanged();
}

TBasicAction* TMenuItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* Value) {
  if (Value == Action()) return;
  if (TBasicAction* old = Action()) old->RemoveFreeNotification(this);
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TMenuActionLink>(this);
  actionLink_->SetAction(Value);
  Value->FreeNotification(this);
  if (auto* a = dynamic_cast<TCustomAction*>(Value)) {
    SetCaption(a->Caption());
    SetEnabled(a->Enabled());
    SetHint(a->Hint());
    SetImageIndex(a->ImageIndex());
    SetShortCut(a->ShortCut());
    SetVisible(a->Visible());
    SetChecked(a->Checked());
  }
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  return items_[static_cast<std::size_t>(Index)];
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* p = this;
  while (p->parent_) p = p->parent_;
  return p->menu_;
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) throw EMenuError("Menu item is nil");
  if (Item->parent_) throw EMenuError("Menu inserted twice");
  for (const TMenuItem* p = this; p; p = p->parent_) {
    if (p == Item) throw EMenuError("Menu item inserted into itself");
  }
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  if (Item->checked_ && Item->radioItem_) Item->UncheckRadioSiblings();
  for (const TMenuItem* p = this; p; p = p->parent_) {
    if (p->menu_) {
      p->menu_->MenuChanged(this, true);
      break;
    }
  }
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Add(const std::vector<TMenuItem*>& AItems) {
  for (TMenuItem* item : AItems) Add(item);
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(items_.begin(), items_.end(), Item);
  if (it == items_.end()) throw EMenuError("Menu item not found");
  items_.erase(it);
  Item->parent_ = nullptr;
  for (const TMenuItem* p = this; p; p = p->parent_) {
    if (p->menu_) {
      p->menu_->MenuChanged(this, true);
      break;
    }
  }
}

void TMenuItem::Delete(int Index) { delete Items(Index); }

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const {
  std::string wanted = StripHotkey(ACaption);
  for (TMenuItem* item : items_) {
    if (SameText(StripHotkey(item->caption_), wanted)) return item;
  }
  return nullptr;
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (OnClick) {
    OnClick(this);
  } else if (actionLink_ && actionLink_->Action()) {
    actionLink_->Execute(this);
  }
}

bool TMenuItem::RethinkLines() {
  bool changed = false;
  TMenuItem* lastLine = nullptr;  // a separator waiting for a visible item after it
  bool seenItem = false;          // a visible ordinary item came before
  for (TMenuItem* item : items_) {
    if (item->IsLine()) {
      bool show = seenItem && lastLine == nullptr;
      if (item->visible_ != show) {
        item->visible_ = show;
        changed = true;
      }
      if (show) lastLine = item;
    } else if (item->visible_) {
      seenItem = true;
      lastLine = nullptr;
    }
  }
  // A separator with nothing visible after it goes as well.
  if (lastLine) {
    lastLine->visible_ = false;
    changed = true;
  }
  if (changed) MenuChanged();
  return changed;
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && actionLink_ && AComponent == actionLink_->Action()) actionLink_.reset();
}

// ---- TMenu ----

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {
  items_ = new TMenuItem(this);  // owned by this menu as a component
  items_->menu_ = this;
}

TMenu::~TMenu() {
  // Free the tree now, while this object is still a TMenu, so its notifications are sound.
  if (items_) {
    items_->menu_ = nullptr;
    delete items_;
    items_ = nullptr;
  }
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = Value;
  if (images_) images_->FreeNotification(this);
  MenuChanged(nullptr, false);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == images_) images_ = nullptr;
  if (AComponent == items_) items_ = nullptr;
}

void TMenu::MenuChanged(TMenuItem* Source, bool Rebuild) {
  if (OnChange) OnChange(this, Source, Rebuild);
}

namespace {
TMenuItem* FindInTree(TMenuItem* root, const std::function<bool(TMenuItem*)>& match) {
  if (!root) return nullptr;
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (match(item)) return item;
    if (TMenuItem* found = FindInTree(item, match)) return found;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItem(unsigned Value, TFindItemKind Kind) const {
  switch (Kind) {
    case TFindItemKind::fkCommand:
      if (Value == 0) return nullptr;
      return FindInTree(items_, [&](TMenuItem* i) { return i->Command() == Value; });
    case TFindItemKind::fkShortCut:
      if (Value == 0) return nullptr;
      return FindInTree(items_, [&](TMenuItem* i) { return i->ShortCut() == Value; });
    case TFindItemKind::fkHandle:
      return nullptr;  // items here have no handles of their own
  }
  return nullptr;
}

bool TMenu::DispatchCommand(WORD ACommand) {
  TMenuItem* item = FindItem(ACommand, TFindItemKind::fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(WORD Key, TShiftState Shift) {
  TShortCut sc = ::ShortCut(Key, Shift);
  if (sc == scNone) return false;
  TMenuItem* item = FindItem(sc, TFindItemKind::fkShortCut);
  if (!item) return false;
  // Only an item the user could reach: every level up to the root visible and enabled.
  std::vector<TMenuItem*> chain;
  for (TMenuItem* p = item; p && p != items_; p = p->Parent()) {
    if (!p->Visible() || !p->Enabled()) return false;
    chain.push_back(p);
  }
  if (auto* a = item->Action()) a->Update();
  if (!item->Enabled()) return false;
  // Parents hear of the "opening" first, outermost first, as if the user walked down to the item.
  TWeak<TMenuItem> target(item);
  for (auto it = chain.rbegin(); it != chain.rend() && target; ++it) {
    if (*it != item && (*it)->OnClick) (*it)->OnClick(*it);
  }
  if (!target) return true;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(const TMessage& Message) {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(TShiftStateFlag::ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(TShiftStateFlag::ssCtrl);
  if ((Message.LParam & (1 << 29)) != 0 || Message.Msg == WM_SYSKEYDOWN || GetKeyState(VK_MENU) < 0) {
    shift.Include(TShiftStateFlag::ssAlt);
  }
  return IsShortCut(static_cast<WORD>(Message.WParam & 0xFFFF), shift);
}

// ---- TMainMenu ----

TMainMenu::~TMainMenu() {
  // No change notification from a menu going away.
  if (merged_) merged_->RemoveFreeNotification(this);
  merged_ = nullptr;
}

void TMainMenu::Merge(TMainMenu* Menu) {
  if (Menu == this) return;
  if (merged_) merged_->RemoveFreeNotification(this);
  merged_ = Menu;
  if (merged_) merged_->FreeNotification(this);
  MenuChanged(nullptr, true);
}

void TMainMenu::Unmerge(TMainMenu* Menu) {
  if (Menu && Menu == merged_) Merge(nullptr);
}

std::vector<TMenuItem*> TMainMenu::MergedItems() const {
  std::vector<TMenuItem*> result;
  TMenuItem* own = Items();
  if (!own) return result;
  if (!merged_ || !merged_->Items()) {
    for (int i = 0; i < own->Count(); ++i) result.push_back(own->Items(i));
    return result;
  }
  TMenuItem* other = merged_->Items();
  std::set<BYTE> replaced;
  for (int i = 0; i < other->Count(); ++i) replaced.insert(other->Items(i)->GroupIndex());
  for (int i = 0; i < own->Count(); ++i) {
    if (!replaced.count(own->Items(i)->GroupIndex())) result.push_back(own->Items(i));
  }
  for (int i = 0; i < other->Count(); ++i) result.push_back(other->Items(i));
  std::stable_sort(result.begin(), result.end(),
                   [](const TMenuItem* a, const TMenuItem* b) { return a->GroupIndex() < b->GroupIndex(); });
  return result;
}

bool TMainMenu::IsShortCut(WORD Key, TShiftState Shift) {
  // The merged (child) menu's commands win over the ones they replace.
  if (merged_ && merged_->IsShortCut(Key, Shift)) return true;
  return TMenu::IsShortCut(Key, Shift);
}

TMenuItem* TMainMenu::FindItem(unsigned Value, TFindItemKind Kind) const {
  if (TMenuItem* item = TMenu::FindItem(Value, Kind)) return item;
  return merged_ ? merged_->FindItem(Value, Kind) : nullptr;
}

void TMainMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == merged_) {
    merged_ = nullptr;
    MenuChanged(nullptr, true);
  }
}

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

namespace {
// The window that hears the menu loop messages: the form owning the menu, else the form of
// the control it pops up for; nullptr when neither has a window.
HWND PopupOwnerWindow(const TPopupMenu* Menu) {
  TCustomForm* form = nullptr;
  for (TComponent* c = Menu->Owner(); c && !form; c = c->Owner()) form = dynamic_cast<TCustomForm*>(c);
  if (!form) {
    if (auto* control = dynamic_cast<TControl*>(Menu->PopupComponent())) form = GetParentForm(control);
  }
  return form && form->HandleAllocated() ? form->Handle() : nullptr;
}
}  // namespace

void TPopupMenu::Popup(int X, int Y) {
  if (detail::PlainPopupActive()) return;
  popupPoint_ = {X, Y};
  TWeak<TPopupMenu> self(this);
  if (OnPopup) OnPopup(this);
  if (!self || !Items()) return;
  detail::TPlainPopupOptions options;
  options.Owner = PopupOwnerWindow(this);
  TMenuItem* chosen = detail::TrackPlainPopup(Items(), Images(), {X, Y}, Alignment(), options);
  // The command runs after the window is gone, through the menu so a freed item runs nothing.
  if (chosen && self) DispatchCommand(chosen->Command());
}

void TPopupMenu::CloseActive() { detail::CancelPlainPopup(); }
