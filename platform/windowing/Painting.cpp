#include "platform/windowing/Painting.h"

#include <algorithm>
#include <unordered_map>

#include "platform/windowing/Display.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/Thread.h"
#include "platform/windowing/WindowNode.h"
#include "platform/windowing/WindowTree.h"

using namespace wnd_detail;

namespace {

struct TWindowDC {
  HWND hwnd = nullptr;
  HWND top = nullptr;
  Region touched;  // top coordinates: what drawing through the DC may have changed
};

struct TDCTable {
  std::mutex lock;
  std::unordered_map<HDC, TWindowDC> dcs;
};

TDCTable& DCs() {
  static auto* table = new TDCTable;
  return *table;
}

void WakeAll(const std::vector<DWORD>& threads) {
  for (DWORD t : threads) detail::WakeThread(t);
}

// Makes a DC over the top-level buffer of h: origin at the window (or client) corner, clipped to
// Clip (top coordinates). Lock held. nullptr when the window has nothing to draw on.
HDC MakeDC(HWND h, bool client, const Region& clip, HWND& top) {
  top = TopOf(h);
  TWindowNode* tn = Node(top);
  if (!tn) return nullptr;
  EnsureBackBuffer(*tn);
  if (!tn->back) return nullptr;
  TPoint o = TopOrigin(h);
  if (client) {
    TWindowNode* n = Node(h);
    o.X += n->client.Left;
    o.Y += n->client.Top;
  }
  return CreateSurfaceDC(tn->back, o, &clip);
}

HDC RegisterDC(HDC dc, HWND h, HWND top, const Region& touched) {
  if (!dc) return nullptr;
  std::lock_guard lock(DCs().lock);
  DCs().dcs[dc] = TWindowDC{h, top, touched};
  return dc;
}

// Marks the touched part of a top-level as changed for the display.
void MarkDirty(HWND top, const Region& touched) {
  std::lock_guard lock(TreeLock());
  if (TWindowNode* tn = Node(top)) tn->dirty = Region::Combine(tn->dirty, touched, TRegionOp::Or);
}

// The first window in h's tree (parents first) with something to paint. Lock held.
HWND FirstInvalid(HWND h) {
  TWindowNode* n = Node(h);
  if (!n || !ReallyVisible(h)) return nullptr;
  if (!n->update.IsEmpty() || n->nc_paint) return h;
  for (auto it = n->children.rbegin(); it != n->children.rend(); ++it) {
    if (HWND found = FirstInvalid(*it)) return found;
  }
  return nullptr;
}

}  // namespace

HWND detail::FindWindowToPaint(HWND Filter) {
  if (Filter == reinterpret_cast<HWND>(-1)) return nullptr;  // thread messages only
  DWORD me = GetCurrentThreadId();
  {
    std::lock_guard lock(TreeLock());
    if (Filter) {
      // That window, or one of its descendants, when it belongs to this thread.
      TWindowNode* n = Node(Filter);
      if (n && n->thread == me) {
        if (HWND found = FirstInvalid(Filter)) return found;
      }
      return nullptr;
    }
    // Bottom of the z-order first, so windows above repaint over those below.
    auto& tops = TopLevels();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
      if (Node(*it)->thread != me) continue;
      if (HWND found = FirstInvalid(*it)) return found;
    }
  }
  PresentThreadWindows();
  return nullptr;
}

void detail::PresentThreadWindows() {
  DWORD me = GetCurrentThreadId();
  std::vector<std::pair<HWND, Region>> work;
  {
    std::lock_guard lock(TreeLock());
    for (HWND top : TopLevels()) {
      TWindowNode* n = Node(top);
      if (n->thread != me || n->dirty.IsEmpty()) continue;
      if (ReallyVisible(top)) work.emplace_back(top, n->dirty);
      n->dirty = Region();
    }
  }
  for (auto& [top, dirty] : work) Display().Present(top, dirty);
}

HDC BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint) {
  if (!lpPaint) return nullptr;
  *lpPaint = PAINTSTRUCT{};
  bool ncPaint = false;
  Region update;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    if (!n) return nullptr;
    ncPaint = n->nc_paint;
    n->nc_paint = false;
  }
  if (ncPaint) SendMessage(hWnd, WM_NCPAINT, 1, 0);
  HDC dc = nullptr;
  HWND top = nullptr;
  bool erase = false;
  Region clip;
  TRect clientRect;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    if (!n) return nullptr;
    update = std::move(n->update);
    n->update = Region();
    erase = n->erase;
    n->erase = false;
    TPoint o = TopOrigin(hWnd);
    clip = Region::Combine(VisibleRegion(hWnd, true, (StyleOf(hWnd) & WS_CLIPCHILDREN) != 0),
                           update.Offsetted(o.X, o.Y), TRegionOp::And);
    dc = MakeDC(hWnd, true, clip, top);
    TRect b = update.Bounds();
    clientRect = TRect{b.Left - n->client.Left, b.Top - n->client.Top, b.Right - n->client.Left,
                       b.Bottom - n->client.Top};
  }
  if (!dc) {
    // Nothing to draw on (an empty window): hand out a scratch DC so callers still work.
    dc = CreateCompatibleDC(nullptr);
    RegisterDC(dc, hWnd, nullptr, Region());
  } else {
    RegisterDC(dc, hWnd, top, clip);
  }
  lpPaint->hdc = dc;
  lpPaint->rcPaint = clientRect;
  lpPaint->fErase = TRUE;
  if (erase) lpPaint->fErase = SendMessage(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  else lpPaint->fErase = FALSE;
  return dc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (!lpPaint || !lpPaint->hdc) return FALSE;
  ReleaseDC(hWnd, lpPaint->hdc);
  return TRUE;
}

namespace {

HDC GetWindowDCImpl(HWND h, HRGN extra, DWORD flags) {
  bool window = (flags & DCX_WINDOW) != 0;
  Region extraValue;
  bool hasExtra = extra && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN));
  if (hasExtra) extraValue = GetRegion(extra);
  HDC dc;
  HWND top;
  Region clip;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(h);
    if (!n) return nullptr;
    bool clipChildren = (flags & DCX_CLIPCHILDREN) || (StyleOf(h) & WS_CLIPCHILDREN);
    HWND clipWindow = h;
    if ((flags & DCX_PARENTCLIP) && n->parent) clipWindow = n->parent;
    clip = VisibleRegion(clipWindow, !window, clipChildren && clipWindow == h);
    if (hasExtra) {
      TPoint o = TopOrigin(h);
      if (!window) o = TPoint{o.X + n->client.Left, o.Y + n->client.Top};
      Region e = extraValue.Offsetted(o.X, o.Y);
      clip = Region::Combine(clip, e, (flags & DCX_INTERSECTRGN) ? TRegionOp::And : TRegionOp::Diff);
    }
    dc = MakeDC(h, !window, clip, top);
  }
  if (!dc) {
    dc = CreateCompatibleDC(nullptr);
    return RegisterDC(dc, h, nullptr, Region());
  }
  return RegisterDC(dc, h, top, clip);
}

}  // namespace

HDC GetDCEx(HWND hWnd, HRGN hrgnClip, DWORD flags) { return GetWindowDCImpl(hWnd, hrgnClip, flags); }
HDC GetWindowDC(HWND hWnd) { return GetWindowDCImpl(hWnd, nullptr, DCX_WINDOW); }

void detail::InstallWindowDCHandlers() {
  SetWindowDCHandlers([](HWND h) { return GetWindowDCImpl(h, nullptr, 0); },
                      [](HWND, HDC dc) -> int {
                        TWindowDC entry;
                        {
                          std::lock_guard lock(DCs().lock);
                          auto it = DCs().dcs.find(dc);
                          if (it == DCs().dcs.end()) return 0;
                          entry = std::move(it->second);
                          DCs().dcs.erase(it);
                        }
                        DeleteDC(dc);
                        if (entry.top) MarkDirty(entry.top, entry.touched);
                        return 1;
                      });
}

void detail::ForgetWindowDCs(HWND hWnd) {
  std::vector<HDC> stale;
  {
    std::lock_guard lock(DCs().lock);
    for (auto it = DCs().dcs.begin(); it != DCs().dcs.end();) {
      if (it->second.hwnd == hWnd) {
        stale.push_back(it->first);
        it = DCs().dcs.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (HDC dc : stale) DeleteDC(dc);
}

std::size_t detail::OutstandingWindowDCs() {
  std::lock_guard lock(DCs().lock);
  return DCs().dcs.size();
}

// ---- Invalidation ------------------------------------------------------------------------------

namespace {

// Client-coordinate area -> window coordinates. Lock held.
Region ClientToWindowArea(HWND h, const Region* area) {
  TWindowNode* n = Node(h);
  if (!area) return Region(n->client);
  return area->Offsetted(n->client.Left, n->client.Top).Intersected(n->client);
}

BOOL Invalidate(HWND h, const Region* clientArea, bool erase, bool allChildren, bool frame) {
  std::vector<DWORD> wake;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(h);
    if (!n) return FALSE;
    Region area = frame && !clientArea ? Region(TRect{0, 0, n->rect.Width(), n->rect.Height()})
                                       : ClientToWindowArea(h, clientArea);
    InvalidateNode(h, area, erase, allChildren, wake);
  }
  WakeAll(wake);
  return TRUE;
}

void Validate(HWND h, const Region* clientArea, bool children) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(h);
  if (!n) return;
  if (!clientArea) {
    n->update = Region();
    n->erase = false;
  } else {
    n->update = Region::Combine(n->update, ClientToWindowArea(h, clientArea), TRegionOp::Diff);
  }
  if (!children) return;
  for (HWND c : n->children) Validate(c, nullptr, true);
}

}  // namespace

BOOL InvalidateRect(HWND hWnd, const TRect* lpRect, BOOL bErase) {
  if (!lpRect) return Invalidate(hWnd, nullptr, bErase, false, false);
  Region r(*lpRect);
  return Invalidate(hWnd, &r, bErase, false, false);
}

BOOL InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase) {
  if (!hRgn) return Invalidate(hWnd, nullptr, bErase, false, false);
  Region r = GetRegion(hRgn);
  return Invalidate(hWnd, &r, bErase, false, false);
}

BOOL ValidateRect(HWND hWnd, const TRect* lpRect) {
  if (!IsWindow(hWnd)) return FALSE;
  if (!lpRect) {
    Validate(hWnd, nullptr, false);
  } else {
    Region r(*lpRect);
    Validate(hWnd, &r, false);
  }
  return TRUE;
}

BOOL ValidateRgn(HWND hWnd, HRGN hRgn) {
  if (!IsWindow(hWnd)) return FALSE;
  if (!hRgn) {
    Validate(hWnd, nullptr, false);
  } else {
    Region r = GetRegion(hRgn);
    Validate(hWnd, &r, false);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, TRect* lpRect, BOOL) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hWnd);
  if (!n || n->update.IsEmpty()) {
    if (lpRect) *lpRect = TRect{};
    return FALSE;
  }
  if (lpRect) {
    TRect b = n->update.Bounds();
    *lpRect = TRect{b.Left - n->client.Left, b.Top - n->client.Top, b.Right - n->client.Left, b.Bottom - n->client.Top};
  }
  return TRUE;
}

int GetUpdateRgn(HWND hWnd, HRGN hRgn, BOOL) {
  Region r;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    if (!n) return RGN_ERROR;
    r = n->update.Offsetted(-n->client.Left, -n->client.Top);
  }
  HRGN tmp = CreateRegionHandle(r);
  int result = CombineRgn(hRgn, tmp, nullptr, RGN_COPY);
  DeleteObject(tmp);
  return result;
}

namespace {
// Paints h's tree now (parents first), only windows with something invalid.
void PaintTreeNow(HWND h) {
  for (int guard = 0; guard < 100000; ++guard) {
    HWND next;
    {
      std::lock_guard lock(TreeLock());
      next = FirstInvalid(h);
    }
    if (!next) break;
    SendMessage(next, WM_PAINT, 0, 0);
    // A procedure that never validates would make this loop for ever: validate for it.
    std::lock_guard lock(TreeLock());
    if (TWindowNode* n = Node(next)) {
      n->update = Region();
      n->nc_paint = false;
    }
  }
}
}  // namespace

BOOL UpdateWindow(HWND hWnd) {
  if (!IsWindow(hWnd)) return FALSE;
  PaintTreeNow(hWnd);
  detail::PresentThreadWindows();
  return TRUE;
}

BOOL RedrawWindow(HWND hWnd, const TRect* lprcUpdate, HRGN hrgnUpdate, UINT flags) {
  if (!hWnd) return FALSE;
  std::optional<Region> area;
  if (hrgnUpdate) area = GetRegion(hrgnUpdate);
  else if (lprcUpdate) area = Region(*lprcUpdate);
  bool children = (flags & RDW_ALLCHILDREN) != 0;
  if (flags & RDW_INVALIDATE) {
    Invalidate(hWnd, area ? &*area : nullptr, (flags & RDW_ERASE) != 0, children, (flags & RDW_FRAME) != 0);
  }
  if (flags & RDW_VALIDATE) Validate(hWnd, area ? &*area : nullptr, children);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hWnd);
  return IsWindow(hWnd);
}

BOOL ScrollWindow(HWND hWnd, int XAmount, int YAmount, const TRect* lpRect, const TRect* lpClipRect) {
  std::vector<DWORD> wake;
  std::vector<std::pair<HWND, TPoint>> moves;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    if (!n) return FALSE;
    TRect area = lpRect ? *lpRect : TRect{0, 0, n->client.Width(), n->client.Height()};
    if (lpClipRect) area = Region(area).Intersected(*lpClipRect).Bounds();
    HWND top = TopOf(hWnd);
    TWindowNode* tn = Node(top);
    if (tn && tn->back && ReallyVisible(hWnd)) {
      // Move the pixels that stay visible; invalidate what is uncovered.
      TPoint o = TopOrigin(hWnd);
      o.X += n->client.Left;
      o.Y += n->client.Top;
      Region vis = VisibleRegion(hWnd, true, false);
      TRect src = TRect{o.X + area.Left, o.Y + area.Top, o.X + area.Right, o.Y + area.Bottom};
      Region movable = vis.Intersected(src);
      Region target = Region::Combine(movable.Offsetted(XAmount, YAmount), Region(src), TRegionOp::And);
      target = Region::Combine(target, vis, TRegionOp::And);
      auto copy = PixelSurface::Create(tn->back->Width(), tn->back->Height(), 32);
      if (copy) {
        std::copy_n(tn->back->Bits(), tn->back->ByteSize(), copy->Bits());
        for (const TRect& r : target.Rects()) {
          for (int y = r.Top; y < r.Bottom; ++y) {
            std::copy_n(copy->Row32(y - YAmount) + (r.Left - XAmount), r.Width(), tn->back->Row32(y) + r.Left);
          }
        }
        tn->dirty = Region::Combine(tn->dirty, target, TRegionOp::Or);
      }
      // Invalid parts move with the pixels; then what the scroll uncovered becomes invalid.
      n->update = n->update.Offsetted(XAmount, YAmount).Intersected(n->client);
      Region uncovered = Region::Combine(Region(src), target, TRegionOp::Diff);
      uncovered.Offset(-o.X + n->client.Left, -o.Y + n->client.Top);
      InvalidateNode(hWnd, uncovered, true, false, wake);
    }
    if (!lpRect && !lpClipRect) {
      for (HWND c : n->children) moves.emplace_back(c, TPoint{Node(c)->rect.Left + XAmount, Node(c)->rect.Top + YAmount});
    }
  }
  for (auto& [c, p] : moves) SetWindowPos(c, nullptr, p.X, p.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  WakeAll(wake);
  return TRUE;
}

BOOL PrintWindow(HWND hWnd, HDC hdc, UINT flags) {
  if (!IsWindow(hWnd) || !hdc) return FALSE;
  SendMessage(hWnd, WM_PRINT, reinterpret_cast<WPARAM>(hdc), static_cast<LPARAM>(flags | PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT));
  return TRUE;
}

std::shared_ptr<PixelSurface> CopyBackBuffer(HWND hTop) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hTop);
  if (!n || n->parent || !n->back) return nullptr;
  auto copy = PixelSurface::Create(n->back->Width(), n->back->Height(), 32);
  if (copy) std::copy_n(n->back->Bits(), n->back->ByteSize(), copy->Bits());
  return copy;
}
