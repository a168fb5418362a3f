#include "platform/windowing/ScrollBars.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/graphics/Colors.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

// The values of one bar.
struct TBarState {
  int min = 0;
  int max = 100;
  UINT page = 0;
  int pos = 0;
  int track_pos = 0;
  bool tracking = false;
  bool touched = false;  // values were set, so the bar exists even without its style
};

struct TScrollBarsExtension final : TWindowExtension {
  TBarState bars[2];  // SB_HORZ, SB_VERT
};

// The window's bar values, made on first use; nullptr for a dead window, another bar, or a
// window whose extension slot holds something else.
TBarState* Bar(HWND h, int nBar, bool create) {
  if ((nBar != SB_HORZ && nBar != SB_VERT) || !IsWindow(h)) return nullptr;
  TWindowExtension* ext = GetWindowExtension(h);
  if (!ext) {
    if (!create) return nullptr;
    SetWindowExtension(h, std::make_unique<TScrollBarsExtension>());
    ext = GetWindowExtension(h);
  }
  auto* bars = dynamic_cast<TScrollBarsExtension*>(ext);
  return bars ? &bars->bars[nBar] : nullptr;
}

DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongPtr(h, GWL_STYLE)); }
DWORD StyleOfBar(int nBar) { return nBar == SB_VERT ? WS_VSCROLL : WS_HSCROLL; }

// Largest position the thumb can reach: the page's last line sits on max.
int MaxPos(const TBarState& b) {
  std::int64_t top = static_cast<std::int64_t>(b.max) - std::max<std::int64_t>(static_cast<std::int64_t>(b.page) - 1, 0);
  return static_cast<int>(std::max<std::int64_t>(top, b.min));
}

bool NeedsScrolling(const TBarState& b) {
  if (b.max <= b.min) return false;
  std::int64_t range = static_cast<std::int64_t>(b.max) - b.min + 1;
  return b.page == 0 || static_cast<std::int64_t>(b.page) < range;
}

int Thickness(int nBar) { return GetSystemMetrics(nBar == SB_VERT ? SM_CXVSCROLL : SM_CYHSCROLL); }

// The client rectangle in window coordinates.
TRect ClientInWindow(HWND h) {
  TRect wr, c;
  GetWindowRect(h, &wr);
  GetClientRect(h, &c);
  TPoint o{0, 0};
  ClientToScreen(h, &o);
  return Bounds(o.X - wr.Left, o.Y - wr.Top, c.Width(), c.Height());
}

// Parts of a bar along its length, in window coordinates.
//
//   +---+------------+=======+----------------+---+
//   | < |  page up   | thumb |   page down    | > |
//   +---+------------+=======+----------------+---+
enum class TPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

struct TBarLayout {
  TRect bar;
  bool vertical = false;
  int arrow = 0;        // length of each arrow button
  int track_start = 0;  // first pixel of the track along the bar's axis (window coordinates)
  int track_len = 0;
  int thumb_start = 0;  // thumb along the axis; thumb_len 0 when there is none
  int thumb_len = 0;
};

int ThumbOffset(const TBarState& b, int room) {
  int top = MaxPos(b);
  if (top <= b.min || room <= 0) return 0;
  std::int64_t off = (static_cast<std::int64_t>(b.pos) - b.min) * room / (static_cast<std::int64_t>(top) - b.min);
  return static_cast<int>(std::clamp<std::int64_t>(off, 0, room));
}

TBarLayout Layout(HWND h, int nBar, const TBarState& b, int shownPos) {
  TBarLayout l;
  l.bar = detail::ScrollBarRect(h, nBar);
  l.vertical = nBar == SB_VERT;
  if (l.bar.IsEmpty()) return l;
  int length = l.vertical ? l.bar.Height() : l.bar.Width();
  int across = l.vertical ? l.bar.Width() : l.bar.Height();
  l.arrow = std::min(across, length / 2);
  l.track_start = (l.vertical ? l.bar.Top : l.bar.Left) + l.arrow;
  l.track_len = std::max(0, length - 2 * l.arrow);
  if (!NeedsScrolling(b)) return l;
  std::int64_t range = static_cast<std::int64_t>(b.max) - b.min + 1;
  int thumb = b.page ? static_cast<int>(static_cast<std::int64_t>(l.track_len) * b.page / range) : across;
  thumb = std::max(thumb, std::min(8, l.track_len));
  if (thumb >= l.track_len) return l;  // no room for a thumb
  TBarState shown = b;
  shown.pos = shownPos;
  l.thumb_len = thumb;
  l.thumb_start = l.track_start + ThumbOffset(shown, l.track_len - thumb);
  return l;
}

TPart PartAt(const TBarLayout& l, TPoint w) {
  if (!l.bar.Contains(w)) return TPart::None;
  int a = l.vertical ? w.Y : w.X;
  if (a < l.track_start) return TPart::LineUp;
  if (a >= l.track_start + l.track_len) return TPart::LineDown;
  if (!l.thumb_len) return TPart::None;
  if (a < l.thumb_start) return TPart::PageUp;
  if (a >= l.thumb_start + l.thumb_len) return TPart::PageDown;
  return TPart::Thumb;
}

TRect AlongBar(const TBarLayout& l, int start, int len) {
  return l.vertical ? TRect{l.bar.Left, start, l.bar.Right, start + len} : TRect{start, l.bar.Top, start + len, l.bar.Bottom};
}

void DrawArrow(HDC dc, TRect r, bool vertical, bool forward) {
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &r, face);
  FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
  // A small solid triangle made of shrinking lines.
  HBRUSH ink = GetSysColorBrush(COLOR_BTNTEXT);
  int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    int d = forward ? i - 2 : 1 - i;
    TRect line = vertical ? TRect{cx - 3 + i, cy + d, cx + 4 - i, cy + d + 1} : TRect{cx + d, cy - 3 + i, cx + d + 1, cy + 4 - i};
    FillRect(dc, &line, ink);
  }
}

void PaintBar(HWND h, HDC dc, int nBar) {
  TBarState* b = Bar(h, nBar, true);
  if (!b) return;
  TBarLayout l = Layout(h, nBar, *b, b->tracking ? b->track_pos : b->pos);
  if (l.bar.IsEmpty()) return;
  FillRect(dc, &l.bar, GetSysColorBrush(COLOR_SCROLLBAR));
  int axisStart = l.vertical ? l.bar.Top : l.bar.Left;
  DrawArrow(dc, AlongBar(l, axisStart, l.arrow), l.vertical, false);
  DrawArrow(dc, AlongBar(l, l.track_start + l.track_len, l.arrow), l.vertical, true);
  if (l.thumb_len) {
    TRect thumb = AlongBar(l, l.thumb_start, l.thumb_len);
    FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &thumb, GetSysColorBrush(COLOR_BTNSHADOW));
  }
}

void RedrawBars(HWND h) {
  if (!IsWindowVisible(h)) return;
  detail::PaintScrollBars(h);
}

// Adds or removes the bar's style and lets the client rectangle follow.
void SetBarShown(HWND h, int nBar, bool show) {
  DWORD style = Style(h);
  DWORD want = show ? (style | StyleOfBar(nBar)) : (style & ~StyleOfBar(nBar));
  if (want == style) return;
  SetWindowLongPtr(h, GWL_STYLE, static_cast<LONG_PTR>(want));
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void SendRequest(HWND h, int nBar, int code, int pos) {
  WPARAM w = (static_cast<WPARAM>(code) & 0xFFFF) | ((static_cast<WPARAM>(static_cast<unsigned>(pos)) & 0xFFFF) << 16);
  SendMessage(h, nBar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, w, 0);
}

int RequestOf(TPart p) {
  switch (p) {
    case TPart::LineUp: return SB_LINEUP;
    case TPart::LineDown: return SB_LINEDOWN;
    case TPart::PageUp: return SB_PAGEUP;
    case TPart::PageDown: return SB_PAGEDOWN;
    default: return -1;
  }
}

constexpr UINT_PTR kRepeatTimer = 0xFFF5;  // private to the tracking loop; its WM_TIMER never reaches the window

TPoint ScreenToWindow(HWND h, TPoint screen) {
  TRect wr;
  GetWindowRect(h, &wr);
  return {screen.X - wr.Left, screen.Y - wr.Top};
}

}  // namespace

TRect detail::ScrollBarRect(HWND h, int nBar) {
  if ((nBar != SB_HORZ && nBar != SB_VERT) || !IsWindow(h)) return {};
  DWORD style = Style(h);
  if (!(style & StyleOfBar(nBar))) return {};
  TRect c = ClientInWindow(h);
  if (nBar == SB_VERT) return TRect{c.Right, c.Top, c.Right + Thickness(SB_VERT), c.Bottom};
  return TRect{c.Left, c.Bottom, c.Right, c.Bottom + Thickness(SB_HORZ)};
}

void detail::ScrollBarsAdjustClient(HWND h, TRect& client) {
  DWORD style = Style(h);
  if ((style & WS_VSCROLL) && client.Width() >= Thickness(SB_VERT)) client.Right -= Thickness(SB_VERT);
  if ((style & WS_HSCROLL) && client.Height() >= Thickness(SB_HORZ)) client.Bottom -= Thickness(SB_HORZ);
}

LRESULT detail::ScrollBarsHitTest(HWND h, TPoint screen) {
  TPoint w = ScreenToWindow(h, screen);
  if (ScrollBarRect(h, SB_VERT).Contains(w)) return HTVSCROLL;
  if (ScrollBarRect(h, SB_HORZ).Contains(w)) return HTHSCROLL;
  return HTNOWHERE;
}

void detail::PaintScrollBars(HWND h) {
  DWORD style = Style(h);
  if (!(style & (WS_HSCROLL | WS_VSCROLL))) return;
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  if (style & WS_VSCROLL) PaintBar(h, dc, SB_VERT);
  if (style & WS_HSCROLL) PaintBar(h, dc, SB_HORZ);
  if ((style & WS_VSCROLL) && (style & WS_HSCROLL)) {
    TRect v = ScrollBarRect(h, SB_VERT), hz = ScrollBarRect(h, SB_HORZ);
    TRect corner{v.Left, hz.Top, v.Right, hz.Bottom};
    FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
  }
  ReleaseDC(h, dc);
}

void detail::TrackScrollBar(HWND h, LRESULT hit, TPoint screen) {
  const int nBar = hit == HTVSCROLL ? SB_VERT : SB_HORZ;
  TBarState* b = Bar(h, nBar, true);
  if (!b) return;
  TBarLayout start = Layout(h, nBar, *b, b->pos);
  const TPart part = PartAt(start, ScreenToWindow(h, screen));
  if (part == TPart::None) return;
  const int grabOffset = (start.vertical ? ScreenToWindow(h, screen).Y : ScreenToWindow(h, screen).X) - start.thumb_start;
  if (part == TPart::Thumb) {
    b->tracking = true;
    b->track_pos = b->pos;
  } else {
    SetTimer(h, kRepeatTimer, 500, nullptr);  // before the request, whose handler may take time
    SendRequest(h, nBar, RequestOf(part), 0);
  }
  SetCapture(h);
  MSG msg;
  for (;;) {
    if (!IsWindow(h) || GetCapture() != h) break;
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_TIMER && msg.hwnd == h && msg.wParam == kRepeatTimer) {
      SetTimer(h, kRepeatTimer, 50, nullptr);
      b = Bar(h, nBar, false);
      if (!b) break;
      // A page repeat stops once the thumb has reached the pointer.
      TPoint cursor;
      GetCursorPos(&cursor);
      if (PartAt(Layout(h, nBar, *b, b->pos), ScreenToWindow(h, cursor)) == part) SendRequest(h, nBar, RequestOf(part), 0);
      continue;
    }
    bool move = msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE;
    bool up = msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP;
    if (!move && !up) {
      if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
      }
      continue;
    }
    b = Bar(h, nBar, false);
    if (!b) break;
    if (part == TPart::Thumb) {
      TBarLayout l = Layout(h, nBar, *b, b->pos);
      int room = l.track_len - l.thumb_len;
      TPoint p = ScreenToWindow(h, msg.pt);
      int offset = std::clamp((l.vertical ? p.Y : p.X) - grabOffset - l.track_start, 0, std::max(room, 0));
      int top = MaxPos(*b);
      int pos = room > 0 ? static_cast<int>(b->min + (static_cast<std::int64_t>(offset) * (static_cast<std::int64_t>(top) - b->min) + room / 2) / room)
                         : b->min;
      if (pos != b->track_pos) {
        b->track_pos = pos;
        SendRequest(h, nBar, SB_THUMBTRACK, pos);
        b = Bar(h, nBar, false);
        if (!b) break;
        RedrawBars(h);
      }
      if (up) {
        SendRequest(h, nBar, SB_THUMBPOSITION, b->track_pos);
        break;
      }
    } else if (up) {
      break;
    }
  }
  KillTimer(h, kRepeatTimer);
  if (TBarState* s = Bar(h, nBar, false)) s->tracking = false;
  if (GetCapture() == h) ReleaseCapture();
  if (IsWindow(h)) {
    SendRequest(h, nBar, SB_ENDSCROLL, 0);
    RedrawBars(h);
  }
}

int SetScrollInfo(HWND hWnd, int nBar, const SCROLLINFO* lpsi, BOOL bRedraw) {
  TBarState* b = lpsi ? Bar(hWnd, nBar, true) : nullptr;
  if (!b) return 0;
  b->touched = true;
  if (lpsi->fMask & SIF_RANGE) {
    b->min = lpsi->nMin;
    b->max = std::max(lpsi->nMin, lpsi->nMax);
  }
  if (lpsi->fMask & SIF_PAGE) b->page = lpsi->nPage;
  std::int64_t range = static_cast<std::int64_t>(b->max) - b->min + 1;
  if (static_cast<std::int64_t>(b->page) > range) b->page = static_cast<UINT>(range);
  if (lpsi->fMask & SIF_POS) b->pos = lpsi->nPos;
  b->pos = std::clamp(b->pos, b->min, MaxPos(*b));
  if (!b->tracking) b->track_pos = b->pos;
  int pos = b->pos;
  if (lpsi->fMask & (SIF_RANGE | SIF_PAGE)) {
    bool needed = NeedsScrolling(*b);
    if (needed || !(lpsi->fMask & SIF_DISABLENOSCROLL)) SetBarShown(hWnd, nBar, needed);
  }
  if (bRedraw) RedrawBars(hWnd);
  return pos;
}

BOOL GetScrollInfo(HWND hWnd, int nBar, SCROLLINFO* lpsi) {
  if (!lpsi || (nBar != SB_HORZ && nBar != SB_VERT) || !IsWindow(hWnd)) return FALSE;
  TBarState* b = Bar(hWnd, nBar, false);
  bool styled = (Style(hWnd) & StyleOfBar(nBar)) != 0;
  if (!styled && !(b && b->touched)) return FALSE;
  TBarState fallback;
  if (!b) b = &fallback;
  if (lpsi->fMask & SIF_RANGE) {
    lpsi->nMin = b->min;
    lpsi->nMax = b->max;
  }
  if (lpsi->fMask & SIF_PAGE) lpsi->nPage = b->page;
  if (lpsi->fMask & SIF_POS) lpsi->nPos = b->pos;
  if (lpsi->fMask & SIF_TRACKPOS) lpsi->nTrackPos = b->tracking ? b->track_pos : b->pos;
  return TRUE;
}

BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
  if (!Bar(hWnd, nBar, true)) return FALSE;
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = nMinPos;
  si.nMax = nMaxPos;
  SetScrollInfo(hWnd, nBar, &si, bRedraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hWnd, int nBar, int* lpMinPos, int* lpMaxPos) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  BOOL ok = GetScrollInfo(hWnd, nBar, &si);
  if (!ok) si.nMin = si.nMax = 0;
  if (lpMinPos) *lpMinPos = si.nMin;
  if (lpMaxPos) *lpMaxPos = si.nMax;
  return ok;
}

int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw) {
  int old = GetScrollPos(hWnd, nBar);
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = nPos;
  SetScrollInfo(hWnd, nBar, &si, bRedraw);
  return old;
}

int GetScrollPos(HWND hWnd, int nBar) {
  SCROLLINFO si;
  si.fMask = SIF_POS;
  return GetScrollInfo(hWnd, nBar, &si) ? si.nPos : 0;
}

BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow) {
  if (!IsWindow(hWnd) || wBar < SB_HORZ || wBar > SB_BOTH || wBar == SB_CTL) return FALSE;
  DWORD bits = wBar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : StyleOfBar(wBar);
  DWORD style = Style(hWnd);
  DWORD want = bShow ? (style | bits) : (style & ~bits);
  if (want != style) {
    SetWindowLongPtr(hWnd, GWL_STYLE, static_cast<LONG_PTR>(want));
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  return TRUE;
}

void SetScrollBarState(HWND hWnd, int nBar, const TScrollBarState& State) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = State.Min;
  si.nMax = State.Max;
  si.nPage = static_cast<UINT>(std::max(0, State.Page));
  si.nPos = State.Pos;
  SetScrollInfo(hWnd, nBar, &si, TRUE);
}

std::optional<int> ScrollRequestPos(const TScrollBarState& State, int Code, int Thumb, int Line) {
  const int page = std::max(1, State.Page);
  switch (Code) {
    case SB_LINEUP: return State.Pos - Line;
    case SB_LINEDOWN: return State.Pos + Line;
    case SB_PAGEUP: return State.Pos - page;
    case SB_PAGEDOWN: return State.Pos + page;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return Thumb;
    case SB_TOP: return State.Min;
    case SB_BOTTOM: return State.Max;
    default: return std::nullopt;
  }
}

TWheelScroll WheelScroll(WPARAM WParam) {
  const auto delta = static_cast<short>(HIWORD(static_cast<DWORD>(WParam)));
  return TWheelScroll{delta > 0 ? SB_LINEUP : SB_LINEDOWN, 3};
}

int ScrollThumbPos(HWND hWnd, int nBar, int Thumb) {
  SCROLLINFO si;
  si.fMask = SIF_TRACKPOS;
  if (GetScrollInfo(hWnd, nBar, &si) && (si.nTrackPos & 0xFFFF) == Thumb) return si.nTrackPos;
  return Thumb;
}
