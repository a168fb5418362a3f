#include "platform/windowing/NotifyIcon.h"

#include <algorithm>
#include <cmath>

#include "platform/core/Clock.h"
#include "platform/graphics/Colors.h"
#include "platform/windowing/Display.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Icon.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

struct TIconRecord {
  HWND hwnd = nullptr;
  UINT id = 0;
  UINT callback = 0;  // 0: the window wants no mouse messages
  HICON icon = nullptr;
  std::string tip;
};

// A popup of ours: a balloon for an icon, or the tip of an icon.
struct TPopupInfo {
  HWND owner = nullptr;
  UINT id = 0;
  bool balloon = false;
  std::string title, text;
  DWORD kind = NIIF_NONE;
};

struct TTrayState {
  std::vector<TIconRecord> icons;
  std::vector<std::pair<HWND, TPopupInfo>> popups;  // balloons and the tip
  // The last press on an icon, for double clicks.
  HWND down_hwnd = nullptr;
  UINT down_id = 0, down_msg = 0;
  DWORD down_time = 0;
  TPoint down_pos;
};

TTrayState& State() {
  static auto* state = new TTrayState;  // GUI thread only
  return *state;
}

constexpr char kPopupClass[] = "NotifyIconPopup";
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr UINT_PTR kTipTimer = 2;
constexpr int kBalloonWidth = 300;
constexpr int kTipDelayMs = 500;

TIconRecord* FindIcon(HWND h, UINT id) {
  auto& s = State();
  auto it = std::find_if(s.icons.begin(), s.icons.end(), [&](const TIconRecord& r) { return r.hwnd == h && r.id == id; });
  return it == s.icons.end() ? nullptr : &*it;
}

TPopupInfo* PopupOf(HWND popup) {
  auto& s = State();
  for (auto& [h, info] : s.popups) {
    if (h == popup) return &info;
  }
  return nullptr;
}

HWND FindPopup(HWND owner, UINT id, bool balloon) {
  for (auto& [h, info] : State().popups) {
    if (info.balloon == balloon && (!balloon || (info.owner == owner && info.id == id))) return h;
  }
  return nullptr;
}

// At most Count code points of a UTF-8 text.
std::string CutChars(const std::string& s, std::size_t count) {
  std::size_t chars = 0, i = 0;
  while (i < s.size()) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (chars == count) break;
      ++chars;
    }
    ++i;
  }
  return s.substr(0, i);
}

void Notify(HWND owner, UINT id, LPARAM what) {
  TIconRecord* r = FindIcon(owner, id);
  if (r && r->callback && IsWindow(owner)) PostMessage(owner, r->callback, id, what);
}

void ClosePopup(HWND popup, LPARAM report) {
  TPopupInfo* info = PopupOf(popup);
  if (!info) return;
  HWND owner = info->owner;
  UINT id = info->id;
  bool balloon = info->balloon;
  std::erase_if(State().popups, [&](const auto& p) { return p.first == popup; });
  if (IsWindow(popup)) DestroyWindow(popup);
  if (balloon && report) Notify(owner, id, report);
}

HFONT PopupFont(bool bold) {
  LOGFONT lf;
  lf.lfHeight = -12;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfFaceName = "微软雅黑";
  return CreateFontIndirect(&lf);
}

// The kind's mark: a coloured disc with a sign (information, warning, error).
void PaintMark(HDC dc, DWORD kind, int x, int y) {
  COLORREF colour = kind == NIIF_WARNING ? RGB(232, 160, 20) : kind == NIIF_ERROR ? RGB(210, 52, 52) : RGB(40, 120, 215);
  HBRUSH brush = CreateSolidBrush(colour);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
  Ellipse(dc, x, y, x + 20, y + 20);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
  HFONT font = PopupFont(true);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  TRect r = Bounds(x, y, 20, 20);
  DrawText(dc, kind == NIIF_INFO ? "i" : kind == NIIF_WARNING ? "!" : "×", &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

// Lays out a popup's texts: the title line's and the text's rectangles, and the window size.
TSize LayoutPopup(const TPopupInfo& info, TRect* titleRect, TRect* textRect) {
  HDC dc = GetDC(nullptr);
  const int markSpace = info.balloon && info.kind != NIIF_NONE ? 28 : 0;
  const int inner = info.balloon ? kBalloonWidth - 24 : 400;
  TRect title = Bounds(12 + markSpace, 10, inner - markSpace, 0);
  if (!info.title.empty()) {
    HFONT bold = PopupFont(true);
    HGDIOBJ old = SelectObject(dc, bold);
    DrawText(dc, info.title, &title, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(bold);
  }
  HFONT font = PopupFont(false);
  HGDIOBJ old = SelectObject(dc, font);
  int top = info.title.empty() ? (info.balloon ? 10 : 4) : title.Bottom + 6;
  TRect text = Bounds(info.balloon ? 12 + markSpace : 6, top, inner - markSpace, 0);
  DrawText(dc, info.text, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  // A word longer than the line is cut at the balloon's edge.
  if (info.balloon) {
    title.Right = std::min<int>(title.Right, kBalloonWidth - 12);
    text.Right = std::min<int>(text.Right, kBalloonWidth - 12);
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  if (titleRect) *titleRect = title;
  if (textRect) *textRect = text;
  if (!info.balloon) return {text.Right + 6, text.Bottom + 4};
  return {kBalloonWidth, std::max(text.Bottom, info.kind != NIIF_NONE ? 34 : 0) + 12};
}

void PaintPopup(HWND h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  TPopupInfo* info = PopupOf(h);
  TRect client;
  GetClientRect(h, &client);
  if (info) {
    COLORREF back = info->balloon ? RGB(250, 251, 253) : GetSysColor(COLOR_INFOBK);
    HBRUSH fill = CreateSolidBrush(back);
    FillRect(dc, &client, fill);
    DeleteObject(fill);
    HBRUSH edge = CreateSolidBrush(RGB(160, 168, 180));
    FrameRect(dc, &client, edge);
    DeleteObject(edge);
    TRect titleRect, textRect;
    LayoutPopup(*info, &titleRect, &textRect);
    if (info->balloon && info->kind != NIIF_NONE) PaintMark(dc, info->kind, 12, 9);
    SetBkMode(dc, TRANSPARENT);
    if (!info->title.empty()) {
      HFONT bold = PopupFont(true);
      HGDIOBJ old = SelectObject(dc, bold);
      SetTextColor(dc, RGB(30, 36, 48));
      DrawText(dc, info->title, &titleRect, DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
      SelectObject(dc, old);
      DeleteObject(bold);
    }
    HFONT font = PopupFont(false);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, info->balloon ? RGB(60, 66, 78) : GetSysColor(COLOR_INFOTEXT));
    DrawText(dc, info->text, &textRect, DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
  }
  EndPaint(h, &ps);
}

LRESULT PopupProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT:
      PaintPopup(h);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONUP: {
      TPopupInfo* info = PopupOf(h);
      if (info) ClosePopup(h, info->balloon ? NIN_BALLOONUSERCLICK : 0);
      return 0;
    }
    case WM_TIMER:
      if (w == kTipTimer) {
        KillTimer(h, kTipTimer);
        ShowWindow(h, SW_SHOWNOACTIVATE);
      } else if (w == kTimeoutTimer) {
        ClosePopup(h, NIN_BALLOONTIMEOUT);
      }
      return 0;
    default:
      return DefWindowProc(h, msg, w, l);
  }
}

HWND MakePopup(const TPopupInfo& info, TPoint anchor, const TRect& iconRect) {
  static const bool registered = [] {
    WNDCLASS wc;
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = kPopupClass;
    return RegisterClass(&wc) != 0;
  }();
  (void)registered;
  TSize size = LayoutPopup(info, nullptr, nullptr);
  std::vector<TMonitorDesc> monitors = Display().Monitors();
  TRect work = monitors.front().work;
  for (const auto& m : monitors) {
    if (m.bounds.Contains(anchor)) work = m.work;
  }
  // By the icon: above it when it sits in the lower half of the screen, else below.
  int x = anchor.X - size.cx + 16, y;
  if (!iconRect.IsEmpty()) {
    x = iconRect.Left + iconRect.Width() / 2 - size.cx + 16;
    y = iconRect.Top > (work.Top + work.Bottom) / 2 ? iconRect.Top - size.cy - 4 : iconRect.Bottom + 4;
  } else {
    y = anchor.Y - size.cy - 4;
  }
  x = std::clamp(x, work.Left, std::max(work.Left, work.Right - size.cx));
  y = std::clamp(y, work.Top, std::max(work.Top, work.Bottom - size.cy));
  // The window text is the title (or the tip): what a screen reader or a test reads.
  const std::string name = info.balloon ? info.title : info.text;
  HWND h = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kPopupClass, name.c_str(), WS_POPUP, x, y, size.cx,
                          size.cy, nullptr, nullptr, nullptr, nullptr);
  if (h) State().popups.emplace_back(h, info);
  return h;
}

TPoint DefaultAnchor() {
  TRect work = Display().Monitors().front().work;
  return {work.Right - 8, work.Bottom - 4};
}

void HideTip() {
  if (HWND tip = FindPopup(nullptr, 0, false)) ClosePopup(tip, 0);
}

void ShowBalloon(const TIconRecord& r, const NOTIFYICONDATA& d) {
  if (HWND old = FindPopup(r.hwnd, r.id, true)) ClosePopup(old, NIN_BALLOONHIDE);
  if (d.szInfo.empty()) return;
  HideTip();
  TPopupInfo info;
  info.owner = r.hwnd;
  info.id = r.id;
  info.balloon = true;
  info.title = CutChars(d.szInfoTitle, kNotifyInfoTitleChars);
  info.text = CutChars(d.szInfo, kNotifyInfoChars);
  info.kind = d.dwInfoFlags & 0x0F;
  TNotificationArea* area = Display().NotificationArea();
  TRect iconRect = area ? area->IconRect(r.hwnd, r.id) : TRect{};
  HWND h = MakePopup(info, iconRect.IsEmpty() ? DefaultAnchor() : TPoint{iconRect.Left, iconRect.Top}, iconRect);
  if (!h) return;
  ShowWindow(h, SW_SHOWNOACTIVATE);
  SetTimer(h, kTimeoutTimer, std::clamp<UINT>(d.uTimeout, 10000, 30000), nullptr);
  Notify(r.hwnd, r.id, NIN_BALLOONSHOW);
}

void ForgetAll(bool removeFromArea) {
  auto& s = State();
  TNotificationArea* area = removeFromArea ? Display().NotificationArea() : nullptr;
  auto icons = std::move(s.icons);
  s.icons.clear();
  if (area) {
    for (auto& r : icons) area->RemoveIcon(r.hwnd, r.id);
  }
  auto popups = std::move(s.popups);
  s.popups.clear();
  for (auto& [h, info] : popups) {
    if (IsWindow(h)) DestroyWindow(h);
  }
  s.down_hwnd = nullptr;
}

}  // namespace

TTrayImage TrayImageOf(HICON hIcon, int Size) {
  TTrayImage image;
  if (hIcon && GetIconPixels(hIcon, image.width, image.height, image.bgra) && image.width > 0 && image.height > 0 &&
      image.bgra.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
    return image;
  }
  // Without a picture: a calm program glyph: a rounded blue square holding a white play mark, drawn with
  // anti-aliased edges.
  image.width = image.height = Size;
  image.bgra.assign(static_cast<std::size_t>(Size) * static_cast<std::size_t>(Size) * 4, 0);
  const double r = Size * 0.22, half = Size / 2.0;
  for (int y = 0; y < Size; ++y) {
    for (int x = 0; x < Size; ++x) {
      double px = x + 0.5, py = y + 0.5;
      double dx = std::max(std::abs(px - half) - (half - 1 - r), 0.0);
      double dy = std::max(std::abs(py - half) - (half - 1 - r), 0.0);
      double cover = std::clamp(r - std::sqrt(dx * dx + dy * dy) + 0.5, 0.0, 1.0);
      if (cover <= 0) continue;
      // The play mark: a triangle pointing right.
      double tx = (px - Size * 0.38) / (Size * 0.32), ty = std::abs(py - half) / (Size * 0.22);
      bool mark = tx >= 0 && tx <= 1 && ty <= 1 - tx;
      std::uint8_t* p = &image.bgra[(static_cast<std::size_t>(y) * static_cast<std::size_t>(Size) + static_cast<std::size_t>(x)) * 4];
      p[0] = mark ? 255 : 215;
      p[1] = mark ? 255 : 120;
      p[2] = mark ? 255 : 40;
      p[3] = static_cast<std::uint8_t>(std::lround(cover * 255));
    }
  }
  return image;
}

BOOL Shell_NotifyIcon(DWORD dwMessage, const NOTIFYICONDATA* lpData) {
  if (!lpData) return FALSE;
  const NOTIFYICONDATA& d = *lpData;
  TNotificationArea* area = Display().NotificationArea();
  if (!area || !area->Running()) return FALSE;
  auto apply = [&](TIconRecord& r) {
    if (d.uFlags & NIF_MESSAGE) r.callback = d.uCallbackMessage;
    if (d.uFlags & NIF_ICON) r.icon = d.hIcon;
    if (d.uFlags & NIF_TIP) r.tip = CutChars(d.szTip, kNotifyTipChars);
  };
  switch (dwMessage) {
    case NIM_ADD: {
      if (FindIcon(d.hWnd, d.uID)) return FALSE;
      TIconRecord r;
      r.hwnd = d.hWnd;
      r.id = d.uID;
      apply(r);
      if (!area->ShowIcon(r.hwnd, r.id, TrayImageOf(r.icon))) return FALSE;
      State().icons.push_back(r);
      if (d.uFlags & NIF_INFO) ShowBalloon(r, d);
      return TRUE;
    }
    case NIM_MODIFY: {
      TIconRecord* r = FindIcon(d.hWnd, d.uID);
      if (!r) return FALSE;
      apply(*r);
      if ((d.uFlags & NIF_ICON) && !area->ShowIcon(r->hwnd, r->id, TrayImageOf(r->icon))) return FALSE;
      if (d.uFlags & NIF_TIP) HideTip();
      TIconRecord copy = *r;
      if (d.uFlags & NIF_INFO) ShowBalloon(copy, d);
      return TRUE;
    }
    case NIM_DELETE: {
      TIconRecord* r = FindIcon(d.hWnd, d.uID);
      if (!r) return FALSE;
      area->RemoveIcon(d.hWnd, d.uID);
      if (HWND balloon = FindPopup(d.hWnd, d.uID, true)) ClosePopup(balloon, NIN_BALLOONHIDE);
      HideTip();
      std::erase_if(State().icons, [&](const TIconRecord& i) { return i.hwnd == d.hWnd && i.id == d.uID; });
      return TRUE;
    }
    default:
      return FALSE;
  }
}

void detail::TrayMouse(HWND hWnd, UINT Id, UINT MouseMessage, TPoint ScreenPos) {
  auto& s = State();
  TIconRecord* r = FindIcon(hWnd, Id);
  if (!r) return;
  UINT msg = MouseMessage;
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) {
    HideTip();
    const DWORD now = GetTickCount();
    const bool second = s.down_hwnd == hWnd && s.down_id == Id && s.down_msg == msg &&
                        now - s.down_time <= GetDoubleClickTime() && std::abs(ScreenPos.X - s.down_pos.X) <= 2 &&
                        std::abs(ScreenPos.Y - s.down_pos.Y) <= 2;
    if (second) {
      msg = msg == WM_LBUTTONDOWN ? WM_LBUTTONDBLCLK : msg == WM_RBUTTONDOWN ? WM_RBUTTONDBLCLK : WM_MBUTTONDBLCLK;
      s.down_hwnd = nullptr;
    } else {
      s.down_hwnd = hWnd;
      s.down_id = Id;
      s.down_msg = msg;
      s.down_time = now;
      s.down_pos = ScreenPos;
    }
  } else if (msg == WM_MOUSEMOVE && !r->tip.empty() && !FindPopup(nullptr, 0, false) &&
             !FindPopup(hWnd, Id, true)) {
    // The tip shows once the pointer has rested on the icon a moment.
    TPopupInfo info;
    info.owner = hWnd;
    info.id = Id;
    info.text = r->tip;
    TNotificationArea* area = Display().NotificationArea();
    TRect iconRect = area ? area->IconRect(hWnd, Id) : TRect{};
    if (HWND tip = MakePopup(info, ScreenPos, iconRect)) SetTimer(tip, kTipTimer, kTipDelayMs, nullptr);
  }
  Notify(hWnd, Id, msg);
}

void detail::TrayMouseLeave(HWND hWnd, UINT Id) {
  HWND tip = FindPopup(nullptr, 0, false);
  TPopupInfo* info = tip ? PopupOf(tip) : nullptr;
  if (info && info->owner == hWnd && info->id == Id) ClosePopup(tip, 0);
}

void detail::TrayAreaAppeared() {
  ForgetAll(false);
  static const UINT taskbarCreated = RegisterWindowMessage("TaskbarCreated");
  EnumWindows([](HWND h) {
    PostMessage(h, taskbarCreated, 0, 0);
    return true;
  });
}

void detail::TrayAreaVanished() { ForgetAll(false); }

void detail::TrayReset() { ForgetAll(false); }

HWND detail::TrayBalloonWindow(HWND hWnd, UINT Id) { return FindPopup(hWnd, Id, true); }

HWND detail::TrayTipWindow() { return FindPopup(nullptr, 0, false); }
