#include "platform/windowing/WindowTree.h"

#include <algorithm>

#include "platform/windowing/Display.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/NonClient.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/WindowNode.h"

namespace wnd_detail {

namespace {
struct TTree {
  std::recursive_mutex lock;
  std::unordered_map<HWND, std::unique_ptr<TWindowNode>> nodes;
  std::vector<HWND> tops;
};
TTree& Tree() {
  static auto* tree = new TTree;
  return *tree;
}
}  // namespace

std::recursive_mutex& TreeLock() { return Tree().lock; }

TWindowNode* Node(HWND h) {
  auto& t = Tree();
  auto it = t.nodes.find(h);
  return it == t.nodes.end() ? nullptr : it->second.get();
}

std::vector<HWND>& TopLevels() { return Tree().tops; }

DWORD StyleOf(HWND h) { return static_cast<DWORD>(GetWindowLongPtr(h, GWL_STYLE)); }
DWORD ExStyleOf(HWND h) { return static_cast<DWORD>(GetWindowLongPtr(h, GWL_EXSTYLE)); }
bool StyleVisible(HWND h) { return (StyleOf(h) & WS_VISIBLE) != 0; }

HWND TopOf(HWND h) {
  TWindowNode* n = Node(h);
  while (n && n->parent) {
    h = n->parent;
    n = Node(h);
  }
  return n ? h : nullptr;
}

TPoint ScreenOrigin(HWND h) {
  TWindowNode* n = Node(h);
  if (!n) return {};
  if (!n->parent) return {n->rect.Left, n->rect.Top};
  TWindowNode* p = Node(n->parent);
  TPoint o = ScreenOrigin(n->parent);
  return {o.X + p->client.Left + n->rect.Left, o.Y + p->client.Top + n->rect.Top};
}

TPoint TopOrigin(HWND h) {
  TPoint s = ScreenOrigin(h);
  TPoint t = ScreenOrigin(TopOf(h));
  return {s.X - t.X, s.Y - t.Y};
}

bool ReallyVisible(HWND h) {
  for (TWindowNode* n = Node(h); n; n = Node(n->parent)) {
    if (!StyleVisible(n->hwnd) || n->minimized || n->message_only) return false;
    if (!n->parent) return true;
  }
  return false;
}

namespace {
// The window's own shape in top coordinates (its rectangle, cut by its region).
Region ShapeInTop(HWND h) {
  TWindowNode* n = Node(h);
  TPoint o = TopOrigin(h);
  Region r(Bounds(o.X, o.Y, n->rect.Width(), n->rect.Height()));
  if (n->window_region) r = Region::Combine(r, n->window_region->Offsetted(o.X, o.Y), TRegionOp::And);
  return r;
}
// Cuts a visible sibling (its parent's client corner at ParentClient, top coordinates) out of
// r; most siblings do not touch r, and those cost one rectangle test.
void SubtractSibling(Region& r, HWND s, TPoint ParentClient) {
  if (r.IsEmpty() || !StyleVisible(s)) return;
  TWindowNode* sn = Node(s);
  TRect sr{ParentClient.X + sn->rect.Left, ParentClient.Y + sn->rect.Top, ParentClient.X + sn->rect.Right,
           ParentClient.Y + sn->rect.Bottom};
  if (!r.Intersects(sr)) return;
  r = Region::Combine(r, ShapeInTop(s), TRegionOp::Diff);
}
}  // namespace

Region VisibleRegion(HWND h, bool ClientOnly, bool ClipChildren) {
  if (!ReallyVisible(h)) return {};
  TWindowNode* n = Node(h);
  TPoint o = TopOrigin(h);
  Region r = ShapeInTop(h);
  if (ClientOnly) {
    TRect c = n->client;
    r = r.Intersected(TRect{o.X + c.Left, o.Y + c.Top, o.X + c.Right, o.Y + c.Bottom});
  }
  for (HWND cur = h; Node(cur)->parent;) {
    HWND p = Node(cur)->parent;
    TWindowNode* pn = Node(p);
    TPoint po = TopOrigin(p);
    r = r.Intersected(TRect{po.X + pn->client.Left, po.Y + pn->client.Top, po.X + pn->client.Right,
                            po.Y + pn->client.Bottom});
    if (pn->window_region) r = Region::Combine(r, pn->window_region->Offsetted(po.X, po.Y), TRegionOp::And);
    TPoint cpo{po.X + pn->client.Left, po.Y + pn->client.Top};
    for (HWND s : pn->children) {
      if (s == cur) break;
      SubtractSibling(r, s, cpo);
    }
    cur = p;
  }
  if (ClipChildren) {
    TPoint co{o.X + n->client.Left, o.Y + n->client.Top};
    // A child shows only inside this window's client area: where it reaches over the frame, the
    // frame is this window's to paint.
    const TRect client{co.X, co.Y, co.X + n->client.Width(), co.Y + n->client.Height()};
    for (HWND c : n->children) {
      if (r.IsEmpty() || !StyleVisible(c)) continue;
      r = Region::Combine(r, ShapeInTop(c).Intersected(client), TRegionOp::Diff);
    }
  }
  return r;
}

void EnsureBackBuffer(TWindowNode& top) {
  int w = std::max(1, top.rect.Width());
  int h = std::max(1, top.rect.Height());
  if (top.back && top.back->Width() == w && top.back->Height() == h) return;
  if (!PixelSurface::SizeAllowed(w, h)) return;
  auto fresh = PixelSurface::Create(w, h, 32);
  if (!fresh) return;
  if (top.back) {
    int cw = std::min(w, top.back->Width());
    int ch = std::min(h, top.back->Height());
    for (int y = 0; y < ch; ++y) std::copy_n(top.back->Row32(y), cw, fresh->Row32(y));
  }
  top.back = std::move(fresh);
}

void InvalidateNode(HWND h, const Region& area, bool erase, bool children, std::vector<DWORD>& wake) {
  TWindowNode* n = Node(h);
  if (!n || !ReallyVisible(h)) return;
  Region a = area.Intersected(TRect{0, 0, n->rect.Width(), n->rect.Height()});
  if (a.IsEmpty()) return;
  if (n->redraw) {
    TRect c = n->client;
    Region inClient = a.Intersected(c);
    if (!inClient.IsEmpty()) {
      n->update = Region::Combine(n->update, inClient, TRegionOp::Or);
      n->erase = n->erase || erase;
    }
    if (!Region::Combine(a, Region(c), TRegionOp::Diff).IsEmpty()) n->nc_paint = true;
    wake.push_back(n->thread);
  }
  bool clipChildren = (StyleOf(h) & WS_CLIPCHILDREN) != 0;
  if (!children && clipChildren) return;
  for (HWND c : n->children) {
    TWindowNode* cn = Node(c);
    Region sub = a.Offsetted(-(n->client.Left + cn->rect.Left), -(n->client.Top + cn->rect.Top));
    InvalidateNode(c, sub, erase, children, wake);
  }
}

void InvalidateScreenArea(const Region& screenArea, std::vector<DWORD>& wake) {
  for (HWND top : TopLevels()) {
    TWindowNode* n = Node(top);
    if (!ReallyVisible(top)) continue;
    Region local = screenArea.Offsetted(-n->rect.Left, -n->rect.Top);
    InvalidateNode(top, local, true, true, wake);
  }
}

}  // namespace wnd_detail

using namespace wnd_detail;

namespace {

void WakeAll(const std::vector<DWORD>& threads) {
  std::vector<DWORD> done;
  for (DWORD t : threads) {
    if (std::find(done.begin(), done.end(), t) != done.end()) continue;
    done.push_back(t);
    detail::WakeThread(t);
  }
}

// Removes h from a list, looking from the end: windows mostly go in the reverse order they came
// in (a parent destroys its children bottom first, owned windows go newest first).
void EraseFromList(std::vector<HWND>& list, HWND h) {
  auto it = std::find(list.rbegin(), list.rend(), h);
  if (it != list.rend()) list.erase(std::next(it).base());
}

// Removes h from wherever it sits in the tree's lists (its z-order list and its owner's list of
// owned windows). Lock held.
void Unlink(HWND h) {
  TWindowNode* n = Node(h);
  if (!n) return;
  if (n->parent) {
    if (TWindowNode* p = Node(n->parent)) EraseFromList(p->children, h);
  } else {
    EraseFromList(TopLevels(), h);
  }
  if (n->owner) {
    if (TWindowNode* o = Node(n->owner)) EraseFromList(o->owned, h);
  }
}

// Enters h in its owner's list of owned windows. Lock held.
void LinkOwned(HWND h) {
  TWindowNode* n = Node(h);
  if (n->owner) {
    if (TWindowNode* o = Node(n->owner)) o->owned.push_back(h);
  }
}

bool IsTopmost(HWND h) { return (ExStyleOf(h) & WS_EX_TOPMOST) != 0; }

// Puts an unlinked h into its parent's list (or the top-levels) at the top of its band.
void LinkOnTop(HWND h) {
  TWindowNode* n = Node(h);
  if (n->parent) {
    Node(n->parent)->children.insert(Node(n->parent)->children.begin(), h);
    return;
  }
  auto& tops = TopLevels();
  auto it = tops.begin();
  if (!IsTopmost(h)) {
    while (it != tops.end() && IsTopmost(*it)) ++it;
  }
  tops.insert(it, h);
}

// Links h under the window `after` in the same list (the top-levels keep topmost ones first).
void LinkAfter(HWND h, HWND after) {
  TWindowNode* n = Node(h);
  std::vector<HWND>& list = n->parent ? Node(n->parent)->children : TopLevels();
  if (after == HWND_BOTTOM) {
    list.push_back(h);
    return;
  }
  if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    LinkOnTop(h);
    return;
  }
  auto it = std::find(list.begin(), list.end(), after);
  if (it == list.end()) {
    LinkOnTop(h);
    return;
  }
  list.insert(it + 1, h);
}

void OnCreateImpl(HWND h, const CREATESTRUCT& cs) {
  std::lock_guard lock(TreeLock());
  auto node = std::make_unique<TWindowNode>();
  node->hwnd = h;
  node->thread = GetWindowThreadProcessId(h, nullptr);
  node->message_only = cs.hwndParent == HWND_MESSAGE;
  HWND parent = IsWindow(cs.hwndParent) ? cs.hwndParent : nullptr;
  if ((cs.style & WS_CHILD) && parent && Node(parent)) {
    node->parent = parent;
  } else {
    node->owner = parent;
  }
  node->rect = Bounds(cs.x, cs.y, std::max(0, cs.cx), std::max(0, cs.cy));
  node->client = TRect{0, 0, node->rect.Width(), node->rect.Height()};
  wnd_detail::Tree().nodes[h] = std::move(node);
  LinkOnTop(h);
  LinkOwned(h);
}

}  // namespace

// A window created with WS_VISIBLE is shown the ordinary way (repainted and, for a top-level,
// activated).
void detail::ShowCreatedWindow(HWND h) {
  DWORD style = StyleOf(h);
  if (!(style & WS_VISIBLE)) return;
  SetWindowLongPtr(h, GWL_STYLE, static_cast<LONG_PTR>(style & ~WS_VISIBLE));
  ShowWindow(h, (style & WS_MAXIMIZE) ? SW_MAXIMIZE : SW_SHOW);
}

void detail::TreeWindowCreated(HWND h, const CREATESTRUCT& cs) { OnCreateImpl(h, cs); }

namespace {

void OnParentChangedImpl(HWND h) {
  std::vector<DWORD> wake;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(h);
    if (!n) return;
    HWND parent = GetParent(h);
    bool wasVisible = ReallyVisible(h);
    TRect screenRect;
    if (wasVisible) {
      TPoint o = ScreenOrigin(h);
      screenRect = Bounds(o.X, o.Y, n->rect.Width(), n->rect.Height());
    }
    Unlink(h);
    bool child = (StyleOf(h) & WS_CHILD) && parent && Node(parent);
    n->parent = child ? parent : nullptr;
    n->owner = child ? nullptr : parent;
    n->back.reset();
    n->native.reset();
    LinkOnTop(h);
    LinkOwned(h);
    if (wasVisible) InvalidateScreenArea(Region(screenRect), wake);
    InvalidateNode(h, Region(TRect{0, 0, n->rect.Width(), n->rect.Height()}), true, true, wake);
  }
  Display().WindowChanged(h);
  WakeAll(wake);
}

}  // namespace

namespace {

void OnDestroyImpl(HWND h) {
  detail::ForgetInputWindow(h);
  detail::ForgetWindowDCs(h);
  Display().WindowDestroyed(h);
  std::unique_ptr<TWindowNode> dead;
  std::vector<DWORD> wake;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(h);
    if (!n) return;
    if (ReallyVisible(h)) {
      TPoint o = ScreenOrigin(h);
      Region area(Bounds(o.X, o.Y, n->rect.Width(), n->rect.Height()));
      Unlink(h);
      n->parent = nullptr;
      InvalidateScreenArea(area, wake);
    } else {
      Unlink(h);
    }
    // Children and owned windows already destroyed have unlinked themselves; those left (a
    // thread ending, windows of another thread) lose their link to this one.
    for (HWND c : n->children) {
      if (TWindowNode* cn = Node(c)) cn->parent = nullptr;
    }
    for (HWND o : n->owned) {
      if (TWindowNode* on = Node(o)) on->owner = nullptr;
    }
    auto it = wnd_detail::Tree().nodes.find(h);
    dead = std::move(it->second);
    wnd_detail::Tree().nodes.erase(it);
  }
  dead.reset();
  WakeAll(wake);
}

}  // namespace

void detail::TreeParentChanged(HWND h) { OnParentChangedImpl(h); }
void detail::TreeWindowDestroyed(HWND h) { OnDestroyImpl(h); }

std::vector<HWND> detail::TreeDependents(HWND h) {
  std::lock_guard lock(TreeLock());
  std::vector<HWND> out;
  TWindowNode* n = Node(h);
  if (!n) return out;
  out.reserve(n->children.size() + n->owned.size());
  out.assign(n->children.rbegin(), n->children.rend());
  out.insert(out.end(), n->owned.rbegin(), n->owned.rend());
  return out;
}

void detail::EnsureWindowTree() {
  static std::once_flag once;
  std::call_once(once, [] {
    detail::SetPaintFinder(detail::FindWindowToPaint);
    detail::InstallWindowDCHandlers();
  });
}

std::size_t detail::LiveNodeCount() {
  std::lock_guard lock(TreeLock());
  return wnd_detail::Tree().nodes.size();
}

// ---- Geometry ----------------------------------------------------------------------------------

namespace {

// Computes the client rectangle for a window rectangle through WM_NCCALCSIZE.
TRect CalcClient(HWND h, const TRect& windowRect, const TRect& oldWindow, const TRect& oldClient, WINDOWPOS* pos) {
  NCCALCSIZE_PARAMS p;
  p.rgrc[0] = windowRect;
  p.rgrc[1] = oldWindow;
  p.rgrc[2] = oldClient;
  p.lppos = pos;
  SendMessage(h, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
  TRect c = p.rgrc[0];
  // Back to window-relative, kept inside the window.
  c = TRect{c.Left - windowRect.Left, c.Top - windowRect.Top, c.Right - windowRect.Left, c.Bottom - windowRect.Top};
  c.Left = std::clamp(c.Left, 0, windowRect.Width());
  c.Top = std::clamp(c.Top, 0, windowRect.Height());
  c.Right = std::clamp(c.Right, c.Left, windowRect.Width());
  c.Bottom = std::clamp(c.Bottom, c.Top, windowRect.Height());
  return c;
}

}  // namespace

void detail::InitialClientArea(HWND h) {
  TRect rect;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(h);
    if (!n) return;
    rect = n->rect;
  }
  TRect client = CalcClient(h, rect, rect, TRect{0, 0, rect.Width(), rect.Height()}, nullptr);
  std::lock_guard lock(TreeLock());
  if (TWindowNode* n = Node(h)) n->client = client;
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  TRect oldRect, oldClient;
  bool wasVisible;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    if (!n) return FALSE;
    oldRect = n->rect;
    oldClient = n->client;
    wasVisible = StyleVisible(hWnd);
  }
  WINDOWPOS pos{hWnd, hWndInsertAfter, X, Y, std::max(0, cx), std::max(0, cy), uFlags};
  if (uFlags & SWP_NOMOVE) {
    pos.x = oldRect.Left;
    pos.y = oldRect.Top;
  }
  if (uFlags & SWP_NOSIZE) {
    pos.cx = oldRect.Width();
    pos.cy = oldRect.Height();
  }
  if (wasVisible && (uFlags & SWP_SHOWWINDOW)) pos.flags &= ~SWP_SHOWWINDOW;
  if (!(uFlags & SWP_NOSENDCHANGING)) SendMessage(hWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  if (!IsWindow(hWnd)) return FALSE;
  TRect newRect = Bounds(pos.x, pos.y, std::max(0, pos.cx), std::max(0, pos.cy));
  bool moved = newRect.Left != oldRect.Left || newRect.Top != oldRect.Top;
  bool sized = newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height();
  if (!moved) pos.flags |= SWP_NOMOVE;
  if (!sized) pos.flags |= SWP_NOSIZE;
  TRect newClient = oldClient;
  if (sized || moved || (pos.flags & SWP_FRAMECHANGED)) newClient = CalcClient(hWnd, newRect, oldRect, oldClient, &pos);
  // A new frame (scroll bars shown, a border changed) can resize the client area of a window
  // that kept its size: the default procedure tells the window with WM_SIZE all the same.
  if (newClient.Width() == oldClient.Width() && newClient.Height() == oldClient.Height()) pos.flags |= SWP_NOCLIENTSIZE;
  if (!moved && newClient.Left == oldClient.Left && newClient.Top == oldClient.Top) pos.flags |= SWP_NOCLIENTMOVE;

  bool show = (pos.flags & SWP_SHOWWINDOW) && !wasVisible;
  bool hide = (pos.flags & SWP_HIDEWINDOW) && wasVisible;
  if (show) SetWindowLongPtr(hWnd, GWL_STYLE, static_cast<LONG_PTR>(StyleOf(hWnd) | WS_VISIBLE));
  std::vector<DWORD> wake;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    if (!n) return FALSE;
    bool visibleBefore = ReallyVisible(hWnd) && !show;
    TPoint so = ScreenOrigin(hWnd);
    Region oldScreen(Bounds(so.X, so.Y, oldRect.Width(), oldRect.Height()));
    if (n->window_region && visibleBefore) {
      oldScreen = n->window_region->Offsetted(so.X, so.Y);
    }
    if (hide) SetWindowLongPtr(hWnd, GWL_STYLE, static_cast<LONG_PTR>(StyleOf(hWnd) & ~WS_VISIBLE));
    // Z-order.
    if (!(pos.flags & SWP_NOZORDER)) {
      HWND after = pos.hwndInsertAfter;
      if (!n->parent && after == HWND_TOPMOST) {
        SetWindowLongPtr(hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(ExStyleOf(hWnd) | WS_EX_TOPMOST));
      } else if (!n->parent && after == HWND_NOTOPMOST) {
        SetWindowLongPtr(hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(ExStyleOf(hWnd) & ~WS_EX_TOPMOST));
      }
      if (after != hWnd) {
        Unlink(hWnd);
        LinkAfter(hWnd, after);
      }
    }
    n->rect = newRect;
    n->client = newClient;
    if (!n->parent) EnsureBackBuffer(*n);
    bool visibleAfter = ReallyVisible(hWnd);
    bool geometry = moved || sized || (pos.flags & SWP_FRAMECHANGED);
    bool zChanged = !(pos.flags & SWP_NOZORDER);
    if (!(pos.flags & SWP_NOREDRAW)) {
      if (visibleBefore && (hide || geometry || zChanged)) InvalidateScreenArea(oldScreen, wake);
      if (visibleAfter && (show || geometry || zChanged)) {
        // A move of a child repaints it whole; a top-level's buffer moves with it.
        bool whole = show || sized || (pos.flags & SWP_FRAMECHANGED) || (moved && n->parent) || zChanged;
        if (whole) InvalidateNode(hWnd, Region(TRect{0, 0, newRect.Width(), newRect.Height()}), true, true, wake);
      }
    }
  }
  Display().WindowChanged(hWnd);
  if (show || hide) SendMessage(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (hide) detail::WindowHidden(hWnd);
  SendMessage(hWnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  // Showing a top-level (owned or not) activates it unless asked not to.
  if (show && !(pos.flags & SWP_NOACTIVATE) && !(StyleOf(hWnd) & WS_CHILD) && !(ExStyleOf(hWnd) & WS_EX_NOACTIVATE)) {
    SetActiveWindow(hWnd);
  }
  WakeAll(wake);
  return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                      SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  if (!IsWindow(hWnd)) return FALSE;
  BOOL was = StyleVisible(hWnd) ? TRUE : FALSE;
  bool child = (StyleOf(hWnd) & WS_CHILD) != 0;
  UINT noAct = child ? SWP_NOACTIVATE : 0;
  TRect restore, current;
  bool minimized, maximized;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    minimized = n->minimized;
    maximized = n->maximized;
    restore = n->restore;
    current = n->rect;
  }
  auto setState = [&](bool mini, bool maxi) {
    std::lock_guard lock(TreeLock());
    if (TWindowNode* n = Node(hWnd)) {
      if (!n->minimized && !n->maximized && (mini || maxi)) n->restore = n->rect;
      n->minimized = mini;
      n->maximized = maxi;
    }
    DWORD style = StyleOf(hWnd) & ~(WS_MINIMIZE | WS_MAXIMIZE);
    if (mini) style |= WS_MINIMIZE;
    if (maxi) style |= WS_MAXIMIZE;
    SetWindowLongPtr(hWnd, GWL_STYLE, static_cast<LONG_PTR>(style));
  };
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
  switch (nCmdShow) {
    case SW_HIDE:
      if (was) SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, keep | SWP_NOACTIVATE | SWP_HIDEWINDOW);
      break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
      SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, keep | SWP_NOACTIVATE | SWP_SHOWWINDOW);
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE: {
      if (minimized) break;
      setState(true, false);
      SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, keep | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
      {
        std::vector<DWORD> wake;
        std::lock_guard lock(TreeLock());
        InvalidateScreenArea(Region(current), wake);
        WakeAll(wake);
      }
      SendMessage(hWnd, WM_SIZE, SIZE_MINIMIZED, 0);
      if (GetActiveWindow() == hWnd) SetActiveWindow(nullptr);
      break;
    }
    case SW_MAXIMIZE: {
      TRect work = GetMonitorWorkRect(hWnd);
      MINMAXINFO mmi = detail::QueryMinMaxInfo(hWnd);
      setState(false, true);
      TRect r = Bounds(work.Left + mmi.ptMaxPosition.X, work.Top + mmi.ptMaxPosition.Y, mmi.ptMaxSize.X,
                       mmi.ptMaxSize.Y);
      SetWindowPos(hWnd, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_SHOWWINDOW | SWP_FRAMECHANGED | noAct);
      SendMessage(hWnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(static_cast<WORD>(r.Width()), static_cast<WORD>(r.Height())));
      break;
    }
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT: {
      if (minimized || maximized) {
        setState(false, false);
        TRect r = maximized && !minimized ? restore : (maximized ? current : restore);
        if (minimized) r = current;
        if (maximized) r = restore;
        SetWindowPos(hWnd, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_SHOWWINDOW | SWP_FRAMECHANGED | noAct);
        SendMessage(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(r.Width()), static_cast<WORD>(r.Height())));
      } else {
        SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, keep | SWP_SHOWWINDOW | noAct);
      }
      break;
    }
    default:  // SW_SHOW and anything else
      SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, keep | SWP_SHOWWINDOW | noAct);
      break;
  }
  return was;
}

BOOL IsWindowVisible(HWND hWnd) {
  std::lock_guard lock(TreeLock());
  if (!Node(hWnd)) return FALSE;
  for (TWindowNode* n = Node(hWnd); n; n = Node(n->parent)) {
    if (!StyleVisible(n->hwnd)) return FALSE;
  }
  return TRUE;
}

BOOL IsWindowEnabled(HWND hWnd) { return IsWindow(hWnd) && !(StyleOf(hWnd) & WS_DISABLED) ? TRUE : FALSE; }

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  if (!IsWindow(hWnd)) return FALSE;
  DWORD style = StyleOf(hWnd);
  BOOL wasDisabled = (style & WS_DISABLED) ? TRUE : FALSE;
  if (bEnable == !wasDisabled) return wasDisabled;
  SetWindowLongPtr(hWnd, GWL_STYLE, static_cast<LONG_PTR>(bEnable ? style & ~WS_DISABLED : style | WS_DISABLED));
  if (!bEnable) detail::WindowDisabled(hWnd);
  SendMessage(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsIconic(HWND hWnd) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hWnd);
  return n && n->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hWnd) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hWnd);
  return n && n->maximized ? TRUE : FALSE;
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
  std::lock_guard lock(TreeLock());
  for (TWindowNode* n = Node(hWnd); n && n->parent; n = Node(n->parent)) {
    if (n->parent == hWndParent) return TRUE;
  }
  return FALSE;
}

BOOL GetWindowRect(HWND hWnd, TRect* lpRect) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hWnd);
  if (!n || !lpRect) return FALSE;
  TPoint o = ScreenOrigin(hWnd);
  *lpRect = Bounds(o.X, o.Y, n->rect.Width(), n->rect.Height());
  return TRUE;
}

BOOL GetClientRect(HWND hWnd, TRect* lpRect) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hWnd);
  if (!n || !lpRect) return FALSE;
  *lpRect = TRect{0, 0, n->client.Width(), n->client.Height()};
  return TRUE;
}

namespace {
// Screen position of the client area's top-left. Lock held.
TPoint ClientOrigin(HWND h) {
  TPoint o = ScreenOrigin(h);
  TWindowNode* n = Node(h);
  return {o.X + n->client.Left, o.Y + n->client.Top};
}
}  // namespace

BOOL ClientToScreen(HWND hWnd, TPoint* lpPoint) {
  std::lock_guard lock(TreeLock());
  if (!Node(hWnd) || !lpPoint) return FALSE;
  TPoint o = ClientOrigin(hWnd);
  lpPoint->X += o.X;
  lpPoint->Y += o.Y;
  return TRUE;
}

BOOL ScreenToClient(HWND hWnd, TPoint* lpPoint) {
  std::lock_guard lock(TreeLock());
  if (!Node(hWnd) || !lpPoint) return FALSE;
  TPoint o = ClientOrigin(hWnd);
  lpPoint->X -= o.X;
  lpPoint->Y -= o.Y;
  return TRUE;
}

int MapWindowPoints(HWND hWndFrom, HWND hWndTo, TPoint* lpPoints, UINT cPoints) {
  std::lock_guard lock(TreeLock());
  if ((hWndFrom && !Node(hWndFrom)) || (hWndTo && !Node(hWndTo))) return 0;
  TPoint from = hWndFrom ? ClientOrigin(hWndFrom) : TPoint{};
  TPoint to = hWndTo ? ClientOrigin(hWndTo) : TPoint{};
  int dx = from.X - to.X, dy = from.Y - to.Y;
  for (UINT i = 0; lpPoints && i < cPoints; ++i) {
    lpPoints[i].X += dx;
    lpPoints[i].Y += dy;
  }
  return static_cast<int>(MAKELPARAM(static_cast<WORD>(dx), static_cast<WORD>(dy)));
}

namespace {
// The deepest visible child of h (or h) under screen point p, skipping what `skip` rejects.
// Lock held. nullptr when p is outside h's shape.
template <typename Skip>
HWND DeepestAt(HWND h, TPoint p, Skip skip) {
  TWindowNode* n = Node(h);
  if (!n || !StyleVisible(h) || n->minimized || skip(h)) return nullptr;
  TPoint o = ScreenOrigin(h);
  TPoint local{p.X - o.X, p.Y - o.Y};
  if (!TRect{0, 0, n->rect.Width(), n->rect.Height()}.Contains(local)) return nullptr;
  if (n->window_region && !n->window_region->Contains(local)) return nullptr;
  if (n->client.Contains(local)) {
    for (HWND c : n->children) {
      if (HWND hit = DeepestAt(c, p, skip)) return hit;
    }
  }
  return h;
}
}  // namespace

HWND WindowFromPoint(TPoint Point) {
  std::lock_guard lock(TreeLock());
  for (HWND top : TopLevels()) {
    if (Node(top)->message_only) continue;
    if (HWND hit = DeepestAt(top, Point, [](HWND) { return false; })) return hit;
  }
  return nullptr;
}

HWND detail::WindowFromPointForInput(TPoint Point, const std::vector<HWND>& Excluded) {
  std::lock_guard lock(TreeLock());
  auto skip = [&](HWND h) {
    if (std::find(Excluded.begin(), Excluded.end(), h) != Excluded.end()) return true;
    return (ExStyleOf(h) & WS_EX_TRANSPARENT) != 0 && (ExStyleOf(h) & WS_EX_LAYERED) != 0;
  };
  for (HWND top : TopLevels()) {
    if (Node(top)->message_only) continue;
    if (HWND hit = DeepestAt(top, Point, skip)) return hit;
  }
  return nullptr;
}

HWND ChildWindowFromPoint(HWND hWndParent, TPoint Point) { return ChildWindowFromPointEx(hWndParent, Point, CWP_ALL); }

HWND ChildWindowFromPointEx(HWND hWndParent, TPoint Point, UINT uFlags) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hWndParent);
  if (!n) return nullptr;
  if (!TRect{0, 0, n->client.Width(), n->client.Height()}.Contains(Point)) return nullptr;
  for (HWND c : n->children) {
    TWindowNode* cn = Node(c);
    if ((uFlags & CWP_SKIPINVISIBLE) && !StyleVisible(c)) continue;
    if ((uFlags & CWP_SKIPDISABLED) && (StyleOf(c) & WS_DISABLED)) continue;
    if ((uFlags & CWP_SKIPTRANSPARENT) && (ExStyleOf(c) & WS_EX_TRANSPARENT)) continue;
    if (cn->rect.Contains(Point)) return c;
  }
  return hWndParent;
}

HWND GetWindow(HWND hWnd, UINT uCmd) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hWnd);
  if (!n) return nullptr;
  if (uCmd == GW_CHILD) return n->children.empty() ? nullptr : n->children.front();
  if (uCmd == GW_OWNER) return n->parent ? nullptr : (IsWindow(n->owner) ? n->owner : nullptr);
  const std::vector<HWND>& list = n->parent ? Node(n->parent)->children : TopLevels();
  auto it = std::find(list.begin(), list.end(), hWnd);
  switch (uCmd) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return it + 1 == list.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == list.begin() ? nullptr : *(it - 1);
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND hWnd) {
  std::lock_guard lock(TreeLock());
  if (!hWnd) return TopLevels().empty() ? nullptr : TopLevels().front();
  TWindowNode* n = Node(hWnd);
  return n && !n->children.empty() ? n->children.front() : nullptr;
}

HWND GetAncestorRoot(HWND hWnd) {
  std::lock_guard lock(TreeLock());
  return TopOf(hWnd);
}

HWND GetDesktopWindow() { return nullptr; }

namespace {
bool EnumDepth(HWND h, const std::function<bool(HWND)>& cb) {
  std::vector<HWND> children;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(h);
    if (!n) return true;
    children = n->children;
  }
  for (HWND c : children) {
    if (!IsWindow(c)) continue;
    if (!cb(c)) return false;
    if (!EnumDepth(c, cb)) return false;
  }
  return true;
}
}  // namespace

BOOL EnumChildWindows(HWND hWndParent, const std::function<bool(HWND)>& Callback) {
  if (!hWndParent) return EnumWindows(Callback);
  EnumDepth(hWndParent, Callback);
  return TRUE;
}

BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  if (!lpEnumFunc) return FALSE;
  return EnumChildWindows(hWndParent, [&](HWND h) { return lpEnumFunc(h, lParam) != FALSE; });
}

BOOL EnumWindows(const std::function<bool(HWND)>& Callback) {
  std::vector<HWND> tops;
  {
    std::lock_guard lock(TreeLock());
    tops = TopLevels();
  }
  for (HWND h : tops) {
    if (IsWindow(h) && !Callback(h)) break;
  }
  return TRUE;
}

DWORD GetClassLong(HWND hWnd, int nIndex) {
  if (nIndex != GCL_STYLE) return 0;
  WNDCLASS cls;
  if (!GetClassInfo(nullptr, GetClassName(hWnd).c_str(), &cls)) return 0;
  return cls.style;
}

DWORD SetClassLong(HWND, int, LONG) {
  // Class styles are fixed at registration here; nothing in the program changes them later.
  return 0;
}

int SetWindowRgn(HWND hWnd, HRGN hRgn, BOOL bRedraw) {
  std::optional<Region> value;
  if (hRgn) {
    value = GetRegion(hRgn);
    DeleteObject(hRgn);  // the window owns it now
  }
  std::vector<DWORD> wake;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    if (!n) return 0;
    TPoint so = ScreenOrigin(hWnd);
    Region before = n->window_region ? *n->window_region : Region(TRect{0, 0, n->rect.Width(), n->rect.Height()});
    bool visible = ReallyVisible(hWnd);
    n->window_region = std::move(value);
    if (visible && bRedraw) {
      InvalidateScreenArea(before.Offsetted(so.X, so.Y), wake);
      InvalidateNode(hWnd, Region(TRect{0, 0, n->rect.Width(), n->rect.Height()}), true, true, wake);
    }
  }
  Display().WindowChanged(hWnd);
  WakeAll(wake);
  return 1;
}

int GetWindowRgn(HWND hWnd, HRGN hRgn) {
  Region copy;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    if (!n || !n->window_region) return RGN_ERROR;
    copy = *n->window_region;
  }
  HRGN tmp = CreateRegionHandle(copy);
  int result = CombineRgn(hRgn, tmp, nullptr, RGN_COPY);
  DeleteObject(tmp);
  return result;
}
