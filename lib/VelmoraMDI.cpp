// Arranging the MDI children of a skinned MDI parent: tile, cascade, and the whole-family state
// commands.

#include <algorithm>
#include <cmath>
#include <vector>

#include "lib/Velmora.h"
#include "lib/vlSkinData.h"
#include "platform/Application.h"
#include "platform/Forms.h"

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
