// Arranging the MDI children of a skinned MDI parent: tile, cascade, and the whole-family state
// commands.

#include <algorithm>
#include <cmath>
#include <vector>

#include "lib/Velmora.h"
#include "lib/vlSkinData.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/WindowTree.h"

namespace {

TCustomForm* MainForm() {
  return Application() != nullptr ? dynamic_cast<TCustomForm*>(Application()->MainForm()) : nullptr;
}

// The MDI children of the parent with a form skinner, in the parent's order.
std::vector<TCustomForm*> Children(TCustomForm* Parent) {
  std::vector<TCustomForm*> out;
  for (int i = 0; i < Parent->MDIChildCount(); ++i) out.push_back(Parent->MDIChildren(i));
  return out;
}

int CeilDiv(int A, int B) { return B <= 0 ? 0 : (A + B - 1) / B; }

}  // namespace

TvlVelmora* vlFindMaximizedMDIChildSkinForm() {
  TCustomForm* main = MainForm();
  if (main == nullptr) return nullptr;
  for (TCustomForm* c : Children(main))
    if (TvlVelmora* v = vlFindSkinForm(c); v != nullptr && v->WindowState() == TWindowState::wsMaximized) return v;
  return nullptr;
}

TvlVelmora* vlFindActiveMDIChildSkinForm() {
  TCustomForm* main = MainForm();
  if (main == nullptr || main->ActiveMDIChild() == nullptr) return nullptr;
  return vlFindSkinForm(main->ActiveMDIChild());
}

TRect TvlVelmora::GetMDIClientArea() {
  TCustomForm* main = MainForm();
  if (main == nullptr) return {};
  TRect r{0, 0, main->ClientWidth(), main->ClientHeight()};
  for (int i = 0; i < main->ControlCount(); ++i) {
    TControl* c = main->Controls(i);
    if (!c->Visible()) continue;
    switch (c->Align()) {
      case TAlign::alLeft: r.Left = std::max(r.Left, c->Left() + c->Width()); break;
      case TAlign::alTop: r.Top = std::max(r.Top, c->Top() + c->Height()); break;
      case TAlign::alRight: r.Right = std::min(r.Right, c->Left()); break;
      case TAlign::alBottom: r.Bottom = std::min(r.Bottom, c->Top()); break;
      default: break;
    }
  }
  return r;
}

void TvlVelmora::MinimizeAll() {
  if (!IsMDIParent()) return;
  for (TCustomForm* c : Children(FForm))
    if (TvlVelmora* v = vlFindSkinForm(c)) v->SetWindowState(TWindowState::wsMinimized);
}

void TvlVelmora::MaximizeAll() {
  if (!IsMDIParent()) return;
  for (TCustomForm* c : Children(FForm))
    if (TvlVelmora* v = vlFindSkinForm(c)) v->SetWindowState(TWindowState::wsMaximized);
}

void TvlVelmora::RestoreAll() {
  if (!IsMDIParent()) return;
  for (TCustomForm* c : Children(FForm)) {
    TvlVelmora* v = vlFindSkinForm(c);
    if (v == nullptr || v->WindowState() == TWindowState::wsNormal) continue;
    v->SetWindowState(TWindowState::wsNormal);
    if (v->WindowState() == TWindowState::wsNormal && v->RollUpState()) v->SetRollUpState(false);
  }
}

void TvlVelmora::CloseAll() {
  if (!IsMDIParent()) return;
  const std::vector<TCustomForm*> children = Children(FForm);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    TWeak<TComponent> alive(*it);
    if (alive) (*it)->Close();
  }
}

void TvlVelmora::Tile() {
  if (!IsMDIParent()) return;
  RestoreAll();
  const std::vector<TCustomForm*> children = Children(FForm);
  const int count = static_cast<int>(children.size());
  int n = static_cast<int>(std::sqrt(static_cast<double>(count)));
  if (n < 1) return;
  int rows = CeilDiv(count, n);
  const TRect area = GetMDIClientArea();
  const int w = area.Width(), h = area.Height();
  const int cw = w / n;
  int rh = h / rows;
  int xr = w, yb = h;
  for (int k = count; k >= 1; --k) {
    children[static_cast<std::size_t>(k - 1)]->SetBounds(std::max(xr - cw, 0), std::max(yb - rh, 0), cw, rh);
    yb -= rh;
    if (yb - rh < 0) {
      // No room for another row in this column: the next column to the left.
      yb = h;
      xr -= cw;
      n = std::max(1, n - 1);
      rows = std::max(1, CeilDiv(k - 1, n));
      rh = h / rows;
    }
  }
}

void TvlVelmora::Cascade() {
  if (!IsMDIParent()) return;
  RestoreAll();
  const std::vector<TCustomForm*> children = Children(FForm);
  const int count = static_cast<int>(children.size());
  if (count == 0) return;
  const TRect area = GetMDIClientArea();
  const int w = area.Width(), h = area.Height();
  const int s = FSkinSupport ? NewClRect.Top : DefCaptionHeight() + 3;
  if (s <= 0) return;
  const int d = (w - static_cast<int>(std::lround(w * 0.8))) / s;
  const int steps = d > count ? count - 1 : d;
  const int cw = std::max(w - s * steps, GetMinWidth()), ch = std::max(h - s * steps, GetMinHeight());
  int o = 0;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    TCustomForm* c = *it;
    const bool single = c->BorderStyle() == TFormBorderStyle::bsSingle;
    const int cwi = single ? c->Width() : cw, chi = single ? c->Height() : ch;
    if (o + cwi > w || o + chi > h) o = 0;
    c->SetBounds(o, o, cwi, chi);
    o += s;
  }
}

// ---- Window menu ------------------------------------------------------------------------------------

namespace {

constexpr const char* kChildSuffix = "_VMRCHILDITEM";

// The child name an item stands for; false for an item of another kind.
bool ChildNameOf(const TMenuItem* Item, std::string& Name) {
  const std::string& n = Item->Name();
  const std::size_t at = n.find(kChildSuffix);
  if (at == std::string::npos) return false;
  Name = n.substr(0, at) + n.substr(at + std::string(kChildSuffix).size());
  return true;
}

TMenuItem* WindowMenu() {
  TCustomForm* main = MainForm();
  return main != nullptr && vlFindSkinForm(main) != nullptr ? main->WindowMenu() : nullptr;
}

}  // namespace

void TvlVelmora::AddChildToMenu(TCustomForm* Child) {
  TMenuItem* menu = WindowMenu();
  if (menu == nullptr || Child == nullptr) return;
  TvlVelmora* owner = vlFindSkinForm(Child);
  auto* item = new TMenuItem(owner != nullptr ? static_cast<TComponent*>(owner) : Child);
  item->SetName(Child->Name() + kChildSuffix);
  item->SetCaption(Child->Caption());
  TvlVelmora* main = vlFindSkinForm(MainForm());
  item->OnClick = [main](TObject* Sender) { main->MDIItemClick(Sender); };
  menu->Add(item);
  UpDateChildActiveInMenu();
}

void TvlVelmora::DeleteChildFromMenu(TCustomForm* Child) {
  TMenuItem* menu = WindowMenu();
  if (menu == nullptr || Child == nullptr) return;
  std::string name;
  for (int i = 0; i < menu->Count(); ++i)
    if (ChildNameOf(menu->Items(i), name) && name == Child->Name()) {
      delete menu->Items(i);
      break;
    }
  TCustomForm* main = MainForm();
  bool shown = false;
  for (int i = 0; main != nullptr && i < main->MDIChildCount(); ++i)
    if (main->MDIChildren(i) != Child && main->MDIChildren(i)->Visible()) shown = true;
  if (!shown)
    for (int i = 0; i < menu->Count(); ++i)
      if (ChildNameOf(menu->Items(i), name)) {
        delete menu->Items(i);
        break;
      }
}

void TvlVelmora::UpDateChildCaptionInMenu(TCustomForm* Child) {
  TMenuItem* menu = WindowMenu();
  if (menu == nullptr || Child == nullptr) return;
  std::string name;
  for (int i = 0; i < menu->Count(); ++i)
    if (ChildNameOf(menu->Items(i), name) && name == Child->Name()) {
      menu->Items(i)->SetCaption(Child->Caption());
      return;
    }
}

void TvlVelmora::UpDateChildActiveInMenu() {
  TMenuItem* menu = WindowMenu();
  if (menu == nullptr) return;
  TCustomForm* active = MainForm()->ActiveMDIChild();
  std::string name;
  for (int i = 0; i < menu->Count(); ++i)
    if (ChildNameOf(menu->Items(i), name)) menu->Items(i)->SetChecked(active != nullptr && name == active->Name());
}

void TvlVelmora::MDIItemClick(TObject* Sender) {
  auto* item = dynamic_cast<TMenuItem*>(Sender);
  TCustomForm* main = MainForm();
  std::string name;
  if (item == nullptr || main == nullptr || !ChildNameOf(item, name)) return;
  for (TCustomForm* c : Children(main)) {
    if (c->Name() != name) continue;
    TvlVelmora* v = vlFindSkinForm(c);
    if (v != nullptr && v->WindowState() == TWindowState::wsMinimized) v->SetWindowState(TWindowState::wsNormal);
    c->Show();
    // A child already shown comes to the top of the client area, which makes it the active one.
    if (c->HandleAllocated())
      SetWindowPos(c->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  UpDateChildActiveInMenu();
}
