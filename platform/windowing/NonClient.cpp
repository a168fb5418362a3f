#include "platform/windowing/NonClient.h"

#include <algorithm>

#include "platform/graphics/Colors.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MenuHandles.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/windowing/WindowNode.h"

namespace {

DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongPtr(h, GWL_STYLE)); }
DWORD ExStyle(HWND h) { return static_cast<DWORD>(GetWindowLongPtr(h, GWL_EXSTYLE)); }
bool IsChildStyle(HWND h) { return (Style(h) & WS_CHILD) != 0; }
TPoint PointOf(LPARAM l) {
  return {static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l))), static_cast<short>(HIWORD(static_cast<std::uintptr_t>(l)))};
}

// Frame widths of the default frame for a style.
int FrameWidth(DWORD style, DWORD exStyle) {
  (void)exStyle;
  if (style & (WS_THICKFRAME | WS_DLGFRAME)) return GetSystemMetrics(SM_CXFRAME);
  if (style & WS_BORDER) return GetSystemMetrics(SM_CXBORDER);
  return 0;
}
int CaptionHeight(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0; }

// The default hit test in window coordinates.
LRESULT HitTest(HWND h, TPoint screen) {
  TRect wr;
  if (!GetWindowRect(h, &wr) || !wr.Contains(screen)) return HTNOWHERE;
  TPoint p{screen.X - wr.Left, screen.Y - wr.Top};
  TRect client;
  {
    std::lock_guard lock(wnd_detail::TreeLock());
    wnd_detail::TWindowNode* n = wnd_detail::Node(h);
    if (!n) return HTNOWHERE;
    client = n->client;
  }
  if (client.Contains(p)) return HTCLIENT;
  DWORD style = Style(h);
  int f = FrameWidth(style, ExStyle(h));
  int w = wr.Width(), ht = wr.Height();
  if ((style & WS_THICKFRAME) && !IsZoomed(h)) {
    bool left = p.X < f, right = p.X >= w - f, top = p.Y < f, bottom = p.Y >= ht - f;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  int cap = CaptionHeight(style);
  if (cap && p.Y >= f && p.Y < f + cap) {
    int button = cap - 2;
    if ((style & WS_SYSMENU) && p.X >= w - f - button) return HTCLOSE;
    return HTCAPTION;
  }
  return HTBORDER;
}

void PaintDefaultFrame(HWND h) {
  DWORD style = Style(h);
  int f = FrameWidth(style, ExStyle(h));
  int cap = CaptionHeight(style);
  if (!f && !cap) return;
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  TRect wr;
  GetWindowRect(h, &wr);
  TRect r{0, 0, wr.Width(), wr.Height()};
  TRect client;
  {
    std::lock_guard lock(wnd_detail::TreeLock());
    if (auto* n = wnd_detail::Node(h)) client = n->client;
  }
  ExcludeClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &r, face);
  HBRUSH border = GetSysColorBrush(COLOR_WINDOWFRAME);
  FrameRect(dc, &r, border);
  if (cap) {
    bool active = GetActiveWindow() == h;
    TRect c{f, f, r.Right - f, f + cap};
    FillRect(dc, &c, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    std::string text = GetWindowText(h);
    if (!text.empty()) {
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
      TRect t = c;
      t.Left += 4;
      DrawText(dc, text, &t, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
  }
  ReleaseDC(h, dc);
}

LRESULT SizingCommand(LRESULT hit) {
  switch (hit) {
    case HTLEFT: return WMSZ_LEFT;
    case HTRIGHT: return WMSZ_RIGHT;
    case HTTOP: return WMSZ_TOP;
    case HTTOPLEFT: return WMSZ_TOPLEFT;
    case HTTOPRIGHT: return WMSZ_TOPRIGHT;
    case HTBOTTOM: return WMSZ_BOTTOM;
    case HTBOTTOMLEFT: return WMSZ_BOTTOMLEFT;
    case HTBOTTOMRIGHT: return WMSZ_BOTTOMRIGHT;
    default: return 0;
  }
}

int CursorForHit(LRESULT hit) {
  switch (hit) {
    case HTLEFT: case HTRIGHT: return IDC_SIZEWE;
    case HTTOP: case HTBOTTOM: return IDC_SIZENS;
    case HTTOPLEFT: case HTBOTTOMRIGHT: return IDC_SIZENWSE;
    case HTTOPRIGHT: case HTBOTTOMLEFT: return IDC_SIZENESW;
    default: return IDC_ARROW;
  }
}

// Default painting through a DC given in wParam (WM_PRINT / WM_PRINTCLIENT).
void PrintInto(HWND h, HDC dc, LPARAM flags) {
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(h)) return;
  TRect client;
  {
    std::lock_guard lock(wnd_detail::TreeLock());
    auto* n = wnd_detail::Node(h);
    if (!n) return;
    client = n->client;
  }
  int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, client.Left, client.Top, nullptr);
  IntersectClipRect(dc, 0, 0, client.Width(), client.Height());
  if (flags & PRF_ERASEBKGND) SendMessage(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  if (flags & PRF_CLIENT) SendMessage(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
  if (flags & PRF_CHILDREN) {
    std::vector<std::pair<HWND, TRect>> children;
    {
      std::lock_guard lock(wnd_detail::TreeLock());
      auto* n = wnd_detail::Node(h);
      for (auto it = n->children.rbegin(); it != n->children.rend(); ++it) {
        if (wnd_detail::StyleVisible(*it)) children.emplace_back(*it, wnd_detail::Node(*it)->rect);
      }
    }
    for (auto& [c, r] : children) {
      int s = SaveDC(dc);
      OffsetViewportOrgEx(dc, r.Left, r.Top, nullptr);
      IntersectClipRect(dc, 0, 0, r.Width(), r.Height());
      SendMessage(c, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
      RestoreDC(dc, s);
    }
  }
  RestoreDC(dc, saved);
}

}  // namespace

BOOL AdjustWindowRectEx(TRect* lpRect, DWORD dwStyle, BOOL, DWORD dwExStyle) {
  if (!lpRect) return FALSE;
  int f = FrameWidth(dwStyle, dwExStyle);
  lpRect->Left -= f;
  lpRect->Right += f;
  lpRect->Top -= f + CaptionHeight(dwStyle);
  lpRect->Bottom += f;
  return TRUE;
}

BOOL GetScrollBarInfo(HWND hwnd, LONG idObject, SCROLLBARINFO* psbi) {
  if (!psbi || !IsWindow(hwnd) || (idObject != OBJID_HSCROLL && idObject != OBJID_VSCROLL)) return FALSE;
  bool vertical = idObject == OBJID_VSCROLL;
  *psbi = SCROLLBARINFO{};
  if (!(Style(hwnd) & (vertical ? WS_VSCROLL : WS_HSCROLL))) {
    psbi->rgstate[0] = STATE_SYSTEM_INVISIBLE;
    return TRUE;
  }
  TRect wr;
  GetWindowRect(hwnd, &wr);
  TRect bar = detail::ScrollBarRect(hwnd, vertical ? SB_VERT : SB_HORZ);
  psbi->rcScrollBar = bar.IsEmpty() ? bar : Bounds(wr.Left + bar.Left, wr.Top + bar.Top, bar.Width(), bar.Height());
  psbi->dxyLineButton = GetSystemMetrics(vertical ? SM_CXVSCROLL : SM_CYHSCROLL);
  return TRUE;
}

MINMAXINFO detail::QueryMinMaxInfo(HWND hWnd) {
  MINMAXINFO mmi;
  TRect work = GetMonitorWorkRect(hWnd);
  mmi.ptMaxSize = {work.Width(), work.Height()};
  mmi.ptMaxPosition = {0, 0};
  mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mmi.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessage(hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  return mmi;
}

void detail::RunMoveSizeLoop(HWND hWnd, int Hit, TPoint Start) {
  TRect origin;
  if (!GetWindowRect(hWnd, &origin)) return;
  bool moving = Hit == HTCAPTION;
  WPARAM edge = static_cast<WPARAM>(SizingCommand(Hit));
  if (!moving && !edge) return;
  MINMAXINFO mmi = QueryMinMaxInfo(hWnd);
  // The loop's rectangles are in screen coordinates (as WM_MOVING and WM_SIZING carry them); a
  // child window is placed in its parent's client coordinates.
  const auto InParent = [hWnd](int X, int Y) {
    TPoint p{X, Y};
    if ((Style(hWnd) & WS_CHILD) != 0)
      if (HWND parent = GetParent(hWnd)) ScreenToClient(parent, &p);
    return p;
  };
  SetCapture(hWnd);
  SendMessage(hWnd, WM_ENTERSIZEMOVE, 0, 0);
  MSG msg;
  for (;;) {
    if (!IsWindow(hWnd) || GetCapture() != hWnd) break;
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    bool mouse = msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE;
    bool up = msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      const TPoint at = InParent(origin.Left, origin.Top);
      SetWindowPos(hWnd, nullptr, at.X, at.Y, origin.Width(), origin.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    if (!mouse && !up) {
      if (msg.message == WM_PAINT || msg.message == WM_TIMER || msg.hwnd == nullptr ||
          (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
      }
      continue;
    }
    int dx = msg.pt.X - Start.X, dy = msg.pt.Y - Start.Y;
    TRect r = origin;
    if (moving) {
      r = TRect{origin.Left + dx, origin.Top + dy, origin.Right + dx, origin.Bottom + dy};
    } else {
      if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) r.Left += dx;
      if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) r.Right += dx;
      if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) r.Top += dy;
      if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) r.Bottom += dy;
      // Keep within the tracking sizes, holding the opposite edge still.
      int w = std::clamp(r.Width(), mmi.ptMinTrackSize.X, std::max(mmi.ptMinTrackSize.X, mmi.ptMaxTrackSize.X));
      int h = std::clamp(r.Height(), mmi.ptMinTrackSize.Y, std::max(mmi.ptMinTrackSize.Y, mmi.ptMaxTrackSize.Y));
      if (r.Left != origin.Left) r.Left = r.Right - w; else r.Right = r.Left + w;
      if (r.Top != origin.Top) r.Top = r.Bottom - h; else r.Bottom = r.Top + h;
    }
    SendMessage(hWnd, moving ? WM_MOVING : WM_SIZING, moving ? 0 : edge, reinterpret_cast<LPARAM>(&r));
    const TPoint at = InParent(r.Left, r.Top);
    SetWindowPos(hWnd, nullptr, at.X, at.Y, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (up) break;
  }
  if (GetCapture() == hWnd) ReleaseCapture();
  if (IsWindow(hWnd)) SendMessage(hWnd, WM_EXITSIZEMOVE, 0, 0);
}

LRESULT detail::DefWindowProcWindowing(HWND h, UINT msg, WPARAM w, LPARAM l, bool& handled) {
  handled = true;
  switch (msg) {
    case WM_NCCALCSIZE: {
      TRect* r = w ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(l)->rgrc[0] : reinterpret_cast<TRect*>(l);
      if (!r) return 0;
      DWORD style = Style(h);
      int f = FrameWidth(style, ExStyle(h));
      r->Left += f;
      r->Right -= f;
      r->Top += f + CaptionHeight(style);
      r->Bottom -= f;
      if (r->Right < r->Left) r->Right = r->Left;
      if (r->Bottom < r->Top) r->Bottom = r->Top;
      ScrollBarsAdjustClient(h, *r);
      return 0;
    }
    case WM_NCHITTEST:
      if (LRESULT bar = ScrollBarsHitTest(h, PointOf(l))) return bar;
      return HitTest(h, PointOf(l));
    case WM_NCPAINT:
      PaintDefaultFrame(h);
      PaintScrollBars(h);
      return 0;
    case WM_NCACTIVATE:
      if (CaptionHeight(Style(h))) RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(w) != WA_INACTIVE && !IsIconic(h)) {
        HWND focus = GetFocus();
        if (!focus || (focus != h && !IsChild(h, focus))) SetFocus(h);
      }
      return 0;
    case WM_MOUSEACTIVATE: {
      if (ExStyle(h) & WS_EX_NOACTIVATE) return MA_NOACTIVATE;
      HWND parent = GetParent(h);
      if (IsChildStyle(h) && parent) {
        LRESULT r = SendMessage(parent, WM_MOUSEACTIVATE, w, l);
        if (r) return r;
      }
      return MA_ACTIVATE;
    }
    case WM_SETCURSOR: {
      HWND parent = GetParent(h);
      if (IsChildStyle(h) && parent && SendMessage(parent, WM_SETCURSOR, w, l)) return TRUE;
      auto hit = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l)));
      if (hit == HTCLIENT) {
        WNDCLASS cls;
        HCURSOR c = GetClassInfo(nullptr, GetClassName(h).c_str(), &cls) ? cls.hCursor : nullptr;
        if (!c) return FALSE;
        SetCursor(c);
        return TRUE;
      }
      if (hit == HTERROR) return FALSE;
      SetCursor(LoadCursor(nullptr, CursorForHit(hit)));
      return TRUE;
    }
    case WM_NCLBUTTONDOWN: {
      LRESULT hit = static_cast<LRESULT>(w);
      if (hit == HTHSCROLL || hit == HTVSCROLL) {
        TrackScrollBar(h, hit, PointOf(l));
      } else if (hit == HTCAPTION) {
        SendMessage(h, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, l);
      } else if (SizingCommand(hit)) {
        SendMessage(h, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(SizingCommand(hit)), l);
      }
      return 0;
    }
    case WM_NCLBUTTONUP:
      if (w == HTCLOSE) SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, l);
      return 0;
    case WM_NCLBUTTONDBLCLK:
      if (w == HTCAPTION && (Style(h) & WS_MAXIMIZEBOX)) {
        SendMessage(h, WM_SYSCOMMAND, IsZoomed(h) ? SC_RESTORE : SC_MAXIMIZE, l);
      }
      return 0;
    case WM_SYSCOMMAND: {
      WPARAM cmd = w & 0xFFF0;
      switch (cmd) {
        case SC_MINIMIZE: ShowWindow(h, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(h, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(h, SW_RESTORE); return 0;
        case SC_CLOSE: SendMessage(h, WM_CLOSE, 0, 0); return 0;
        case SC_MOVE:
        case SC_SIZE: {
          int hit = cmd == SC_MOVE ? HTCAPTION : static_cast<int>(HTLEFT + (w & 0xF) - 1);
          // The press that started it (lParam, screen coordinates), else where the cursor is.
          TPoint start = PointOf(l);
          if (l == 0) GetCursorPos(&start);
          RunMoveSizeLoop(h, hit, start);
          return 0;
        }
        case SC_KEYMENU:
          // Alt+Space opens the system menu under the window's top-left corner; Alt or F10
          // alone (lParam 0) is for a menu bar, which a plain window has not.
          if (l == ' ' && (Style(h) & WS_SYSMENU)) {
            TPoint corner{0, 0};
            ClientToScreen(h, &corner);
            detail::TrackSystemMenu(h, corner);
          }
          return 0;
        case SC_MOUSEMENU:
          if (Style(h) & WS_SYSMENU) detail::TrackSystemMenu(h, PointOf(l));
          return 0;
        default:
          return 0;
      }
    }
    case WM_SYSCHAR:
      if (w == ' ') SendMessage(GetAncestorRoot(h), WM_SYSCOMMAND, SC_KEYMENU, ' ');
      return 0;
    case WM_NCRBUTTONUP:
      SendMessage(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), l);
      return 0;
    case WM_SYSKEYDOWN:
      if (w == VK_F4 && (GetKeyState(VK_MENU) & 0x8000)) {
        HWND top = GetAncestorRoot(h);
        SendMessage(top, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      if (w == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000)) {
        SendMessage(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), -1);
      }
      return 0;
    case WM_SYSKEYUP: {
      bool altAlone = (w == VK_MENU || w == VK_LMENU || w == VK_RMENU) && TakeAltAlone();
      if (altAlone || (w == VK_F10 && !(GetKeyState(VK_SHIFT) & 0x8000))) {
        SendMessage(GetAncestorRoot(h), WM_SYSCOMMAND, SC_KEYMENU, 0);
      }
      return 0;
    }
    case WM_KEYUP:
      if (w == VK_APPS) SendMessage(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), -1);
      return 0;
    case WM_RBUTTONUP: {
      TPoint p = PointOf(l);
      ClientToScreen(h, &p);
      SendMessage(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), MAKELPARAM(static_cast<WORD>(p.X), static_cast<WORD>(p.Y)));
      return 0;
    }
    case WM_CONTEXTMENU:
      // Asked on the caption (not from the keyboard): the window's system menu.
      if (l != -1 && (Style(h) & WS_SYSMENU)) {
        const LRESULT hit = SendMessage(h, WM_NCHITTEST, 0, l);
        if (hit == HTCAPTION || hit == HTSYSMENU) {
          detail::TrackSystemMenu(h, PointOf(l));
          return 0;
        }
      }
      [[fallthrough]];
    case WM_MOUSEWHEEL: {
      HWND parent = GetParent(h);
      if (IsChildStyle(h) && parent) return SendMessage(parent, msg, w, l);
      return 0;
    }
    case WM_ERASEBKGND: {
      WNDCLASS cls;
      if (!GetClassInfo(nullptr, GetClassName(h).c_str(), &cls) || !cls.hbrBackground) return 0;
      TRect r;
      GetClientRect(h, &r);
      FillRect(reinterpret_cast<HDC>(w), &r, cls.hbrBackground);
      return 1;
    }
    case WM_PAINT: {
      if (w) return 0;  // asked to paint into a given DC: nothing of its own to draw
      PAINTSTRUCT ps;
      (void)BeginPaint(h, &ps);  // validates; nothing of its own to draw
      EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      // Controls paint into the DC in wParam through their WM_PAINT.
      SendMessage(h, WM_PAINT, w, 0);
      return 0;
    case WM_PRINT:
      PrintInto(h, reinterpret_cast<HDC>(w), l);
      return 0;
    case WM_SETREDRAW: {
      std::lock_guard lock(wnd_detail::TreeLock());
      if (auto* n = wnd_detail::Node(h)) n->redraw = w != 0;
      return 0;
    }
    case WM_CANCELMODE:
      if (GetCapture() == h) ReleaseCapture();
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(l);
      if (!pos) return 0;
      if (!(pos->flags & SWP_NOMOVE) || !(pos->flags & SWP_NOCLIENTMOVE)) {
        TRect r;
        GetWindowRect(h, &r);
        TPoint c{0, 0};
        ClientToScreen(h, &c);
        if (HWND parent = IsChildStyle(h) ? GetParent(h) : nullptr) ScreenToClient(parent, &c);
        SendMessage(h, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(c.X), static_cast<WORD>(c.Y)));
      }
      if (!(pos->flags & SWP_NOSIZE) || !(pos->flags & SWP_NOCLIENTSIZE)) {
        TRect c;
        GetClientRect(h, &c);
        WPARAM kind = IsZoomed(h) ? SIZE_MAXIMIZED : (IsIconic(h) ? SIZE_MINIMIZED : SIZE_RESTORED);
        SendMessage(h, WM_SIZE, kind, MAKELPARAM(static_cast<WORD>(c.Width()), static_cast<WORD>(c.Height())));
      }
      return 0;
    }
    default:
      handled = false;
      return 0;
  }
}
