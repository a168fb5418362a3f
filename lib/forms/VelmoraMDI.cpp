// The MDI support of the form skinner: arranging the children of a skinned MDI parent (tile,
// cascade, the whole-family state commands), the family messages between children and parent,
// the hooked MDI client window that paints the skinned background, and the children's entries
// in the window menu and the MDI tabs bar.

#include <algorithm>
#include <cmath>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/data/vlSkinData.h"
#include "lib/forms/vlSkinMDITabsBar.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

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
  std::vector<TWeak<TCustomForm>> named;
  for (TCustomForm* c : Children(main))
    if (c->Name() == name) named.emplace_back(c);
  TWeak<TvlVelmora> alive(this);
  for (auto& c : named)
    if (c) ShowMDIChild(c.Get());
  if (alive) UpDateChildActiveInMenu();
}

void TvlVelmora::ShowMDIChild(TCustomForm* Child) {
  if (Child == nullptr) return;
  TWeak<TCustomForm> alive(Child);
  TvlVelmora* v = vlFindSkinForm(Child);
  if (v != nullptr && v->WindowState() == TWindowState::wsMinimized) v->SetWindowState(TWindowState::wsNormal);
  if (!alive) return;
  Child->Show();
  if (!alive) return;
  // A child already shown comes to the top of the client area, which makes it the active one.
  if (Child->HandleAllocated())
    SetWindowPos(Child->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (TvlVelmora* main = vlFindSkinForm(MainForm())) {
    TWeak<TvlVelmora> mainAlive(main);
    main->UpDateChildActiveInMenu();
    if (mainAlive) main->RefreshMDITabsBar();
    if (mainAlive) main->RefreshMainMenuBar();
  }
}

// ---- MDI tabs bar -----------------------------------------------------------------------------------

namespace {

TvlSkinMDITabsBar* TabsBar() {
  TvlVelmora* main = vlFindSkinForm(MainForm());
  return main != nullptr ? main->MDITabsBar() : nullptr;
}

}  // namespace

void TvlVelmora::SetMDITabsBar(TvlSkinMDITabsBar* Value) { ReplaceReference(FMDITabsBar, Value); }

void TvlVelmora::AddChildToBar(TCustomForm* Child) {
  TvlSkinMDITabsBar* bar = TabsBar();
  if (bar == nullptr || Child == nullptr) return;
  bool accept = true;
  if (TvlVelmora* v = vlFindSkinForm(Child); v != nullptr && v->OnAcceptToMDITabsBar) {
    TWeak<TvlSkinMDITabsBar> alive(bar);
    v->OnAcceptToMDITabsBar(accept);
    if (!alive) return;
  }
  if (!accept) return;
  bar->AddTab(Child);
  // The child shown is the active one unless another stays on top.
  bar->UpdateActiveTab();
}

void TvlVelmora::DeleteChildFromBar(TCustomForm* Child) {
  TvlSkinMDITabsBar* bar = TabsBar();
  if (bar == nullptr || Child == nullptr) return;
  TWeak<TvlSkinMDITabsBar> alive(bar);
  bar->DeleteTab(Child);
  if (alive) bar->UpdateActiveTab();
}

void TvlVelmora::RefreshMDIBarTab(TCustomForm* Child) {
  if (TvlSkinMDITabsBar* bar = TabsBar(); bar != nullptr && Child != nullptr) bar->RedrawTab(Child);
}

void TvlVelmora::RefreshMDITabsBar() {
  if (TvlSkinMDITabsBar* bar = TabsBar()) bar->UpdateActiveTab();
}

void TvlVelmora::RefreshMainMenuBar() {
  TvlVelmora* main = vlFindSkinForm(MainForm());
  TvlSkinMainMenuBar* bar = main != nullptr ? main->MainMenuBar() : nullptr;
  if (bar != nullptr && (bar->GetChildMainMenu() != nullptr || bar->ChildMenuIn)) bar->UpDateItems();
}

// ---- Family messages ---------------------------------------------------------------------------------

TCustomForm* TvlVelmora::FindMaximizedMDIChild() const {
  TCustomForm* main = MainForm();
  if (main == nullptr) return nullptr;
  const auto maximized = [](TCustomForm* F) {
    TvlVelmora* v = vlFindSkinForm(F);
    return v != nullptr && v->WindowState() == TWindowState::wsMaximized;
  };
  if (TCustomForm* active = main->ActiveMDIChild(); active != nullptr && maximized(active)) return active;
  for (TCustomForm* c : Children(main))
    if (maximized(c)) return c;
  return nullptr;
}

void TvlVelmora::WatchMDIChild(TCustomForm* Child) {
  if (Child == nullptr || std::find(FWatchedMDIChildren.begin(), FWatchedMDIChildren.end(), Child) !=
                              FWatchedMDIChildren.end())
    return;
  FWatchedMDIChildren.push_back(Child);
  Child->FreeNotification(this);
}

bool TvlVelmora::MDIChildGone(TComponent* AComponent) {
  const auto it = std::find(FWatchedMDIChildren.begin(), FWatchedMDIChildren.end(), AComponent);
  if (it == FWatchedMDIChildren.end()) return false;
  FWatchedMDIChildren.erase(it);
  // The child is half gone (it left the family list already): nothing of it is used. A freed
  // window sends no destroy message to its skinner, so the parent notices here that a maximized
  // child may be gone.
  if (ComponentState().Contains(TComponentStateFlag::csDestroying)) return true;
  FMDIChildMaximized = FindMaximizedMDIChild() != nullptr;
  SendNCPaint();
  if (FMainMenuBar != nullptr) FMainMenuBar->UpdateChildButtons();
  return true;
}

void TvlVelmora::MDIFamilyMessage(UINT Msg) {
  switch (Msg) {
    case WM_vlMDIChildFitClient:
      if (IsMaximizedMDIChild()) {
        const TRect area = GetMDIClientArea();
        FForm->SetBounds(0, 0, area.Width(), area.Height());
      }
      return;
    case WM_vlMDIChildMaximized:
      FMDIChildMaximized = true;
      SendNCPaint();
      if (FMainMenuBar != nullptr) FMainMenuBar->ShowChildButtons();
      return;
    case WM_vlMDIChildRestored:
      if (FindMaximizedMDIChild() == nullptr) FMDIChildMaximized = false;
      SendNCPaint();
      if (FMainMenuBar != nullptr) FMainMenuBar->UpdateChildButtons();
      return;
    default: return;
  }
}

void TvlVelmora::RefitMDIChildren() {
  if (!IsMDIParent()) return;
  TWeak<TvlVelmora> alive(this);
  // A child's handling may free another child: each is checked before it is told.
  std::vector<TWeak<TCustomForm>> children;
  for (TCustomForm* c : Children(FForm)) children.emplace_back(c);
  for (auto& c : children) {
    if (c && c->HandleAllocated()) SendMessage(c->Handle(), WM_vlMDIChildFitClient, 0, 0);
    if (!alive) return;
  }
  ArrangeMinimizedChildren();
}

void TvlVelmora::ArrangeMinimizedChildren() {
  if (!IsMDIParent()) return;
  for (TCustomForm* c : Children(FForm)) {
    TvlVelmora* v = vlFindSkinForm(c);
    if (v == nullptr || v->WindowState() != TWindowState::wsMinimized) continue;
    const TPoint at = v->FindMinimizedPlace();
    c->SetBounds(at.X, at.Y, c->Width(), c->Height());
  }
}

void TvlVelmora::SendCancelModeToMDIControls() {
  if (!ComponentState().Empty() || !IsMDIParent() || !FForm->Visible()) return;
  std::vector<TWeak<TComponent>> targets;
  for (int i = 0; i < FForm->ComponentCount(); ++i) {
    TComponent* c = FForm->Components(i);
    auto* control = dynamic_cast<TWinControl*>(c);
    if (control == nullptr || !control->Visible() || !control->Enabled()) continue;
    if (dynamic_cast<TvlSkinCustomComboBox*>(c) != nullptr || dynamic_cast<TvlSkinCustomEdit*>(c) != nullptr)
      targets.emplace_back(c);
  }
  // A drop-down closing may free other controls: each is checked before it is told.
  for (auto& t : targets)
    if (auto* control = dynamic_cast<TWinControl*>(t.Get())) control->Perform(CM_CANCELMODE, 0, 0);
}

// ---- The MDI client window -------------------------------------------------------------------------

namespace {

// The procedure the hooked client windows share: the skinner is found through the client's
// parent form, so no table of hooks is kept.
LRESULT HookedClientProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* form = dynamic_cast<TCustomForm*>(FindControl(GetParent(Wnd)));
  if (TvlVelmora* v = vlFindSkinForm(form); v != nullptr && v->HookedMDIClient() == Wnd)
    return v->MDIClientWindowProc(Wnd, Msg, WParam, LParam);
  return DefWindowProc(Wnd, Msg, WParam, LParam);
}

}  // namespace

void TvlVelmora::HookMDIClient() {
  if (!IsMDIParent() || !FForm->HandleAllocated()) return;
  HWND client = FForm->ClientHandle();
  if (client == nullptr || client == FClientWnd) return;
  // A client window made anew (the form's window was recreated) is hooked afresh; the old one
  // went with the old window.
  FClientWnd = client;
  FPrevClientProc = reinterpret_cast<WNDPROC>(GetWindowLongPtr(client, GWLP_WNDPROC));
  SetWindowLongPtr(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookedClientProc));
  RefreshFrameSize();
}

void TvlVelmora::UnhookMDIClient() {
  if (FClientWnd != nullptr && IsWindow(FClientWnd) &&
      GetWindowLongPtr(FClientWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HookedClientProc))
    SetWindowLongPtr(FClientWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FPrevClientProc));
  FClientWnd = nullptr;
  FPrevClientProc = nullptr;
}

LRESULT TvlVelmora::MDIClientWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
      // The client window keeps no edge and paints none.
      return 0;
    case WM_NCACTIVATE: return 1;
    case WM_SIZE: {
      TWeak<TvlVelmora> alive(this);
      const LRESULT result = CallWindowProc(FPrevClientProc, Wnd, Msg, WParam, LParam);
      if (!alive) return result;
      RefitMDIChildren();
      if (!alive) return result;
      const bool stretched =
          SkinUsable() && ((FSD->StretchEffect && FSD->MDIBGPictureIndex == -1) ||
                           (FSD->MDIBGStretchEffect && FSD->MDIBGPictureIndex != -1));
      if (!FLogoBitMap->Empty() || stretched) {
        const TRect r{0, 0, FForm->ClientWidth(), FForm->ClientHeight()};
        RedrawWindow(Wnd, &r, nullptr, RDW_ERASE | RDW_INVALIDATE);
      }
      return result;
    }
    case WM_ERASEBKGND: {
      const auto dc = reinterpret_cast<HDC>(WParam);
      if (!SkinUsable())
        PaintMDIBGDefault(dc);
      else if (FSD->MDIBGPictureIndex != -1)
        PaintBG3(dc);
      else if (FSD->BGPictureIndex == -1)
        PaintBG(dc);
      else
        PaintBG2(dc);
      return 1;
    }
    default: return CallWindowProc(FPrevClientProc, Wnd, Msg, WParam, LParam);
  }
}
