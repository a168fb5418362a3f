#include "platform/windowing/Screen.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/windowing/Display.h"
#include "platform/graphics/Icon.h"
#include "platform/windowing/WindowTree.h"

namespace {

TRect VirtualScreen(const std::vector<TMonitorDesc>& monitors) {
  TRect r = monitors.front().bounds;
  for (const auto& m : monitors) {
    r.Left = std::min(r.Left, m.bounds.Left);
    r.Top = std::min(r.Top, m.bounds.Top);
    r.Right = std::max(r.Right, m.bounds.Right);
    r.Bottom = std::max(r.Bottom, m.bounds.Bottom);
  }
  return r;
}

HMONITOR HandleOf(std::size_t index) { return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(index + 1)); }

long long DistanceSquared(const TRect& r, TPoint p) {
  long long dx = p.X < r.Left ? r.Left - p.X : (p.X >= r.Right ? p.X - r.Right + 1 : 0);
  long long dy = p.Y < r.Top ? r.Top - p.Y : (p.Y >= r.Bottom ? p.Y - r.Bottom + 1 : 0);
  return dx * dx + dy * dy;
}

long long Overlap(const TRect& a, const TRect& b) {
  long long w = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
  long long h = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
  return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

int GetSystemMetrics(int nIndex) {
  auto monitors = Display().Monitors();
  const TMonitorDesc& primary = monitors.front();
  switch (nIndex) {
    case SM_CXSCREEN: return primary.bounds.Width();
    case SM_CYSCREEN: return primary.bounds.Height();
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL:
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: return kStandardIconSize;
    case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return kSmallIconSize;
    case SM_CYSMCAPTION: return 17;
    case SM_CXSIZE: case SM_CYSIZE: return 22;
    case SM_CXSMSIZE: case SM_CYSMSIZE: return 16;
    case SM_CXMENUSIZE: case SM_CYMENUSIZE: return 19;
    case SM_CYMENU: return 20;
    case SM_CXFULLSCREEN: return primary.work.Width();
    case SM_CYFULLSCREEN: return primary.work.Height() - 23;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXMAXTRACK: case SM_CXVIRTUALSCREEN: return VirtualScreen(monitors).Width() + (nIndex == SM_CXMAXTRACK ? 12 : 0);
    case SM_CYMAXTRACK: case SM_CYVIRTUALSCREEN: return VirtualScreen(monitors).Height() + (nIndex == SM_CYMAXTRACK ? 12 : 0);
    case SM_CXMAXIMIZED: return primary.work.Width();
    case SM_CYMAXIMIZED: return primary.work.Height();
    case SM_XVIRTUALSCREEN: return VirtualScreen(monitors).Left;
    case SM_YVIRTUALSCREEN: return VirtualScreen(monitors).Top;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_SWAPBUTTON: return 0;
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_CMONITORS: return static_cast<int>(monitors.size());
    default: return 0;
  }
}

BOOL SystemParametersInfo(UINT uiAction, UINT, void* pvParam, UINT) {
  if (!pvParam) return FALSE;
  switch (uiAction) {
    case SPI_GETWORKAREA:
      *static_cast<TRect*>(pvParam) = Display().Monitors().front().work;
      return TRUE;
    case SPI_GETDRAGFULLWINDOWS:
    case SPI_GETMENUANIMATION:
    case SPI_GETCOMBOBOXANIMATION:
    case SPI_GETTOOLTIPANIMATION:
    case SPI_GETDROPSHADOW:
      *static_cast<BOOL*>(pvParam) = uiAction == SPI_GETDRAGFULLWINDOWS ? TRUE : FALSE;
      return TRUE;
    case SPI_GETWHEELSCROLLLINES:
      *static_cast<UINT*>(pvParam) = 3;
      return TRUE;
    default:
      return FALSE;
  }
}

HMONITOR MonitorFromPoint(TPoint pt, DWORD dwFlags) {
  auto monitors = Display().Monitors();
  std::size_t best = 0;
  long long bestDistance = LLONG_MAX;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    long long d = DistanceSquared(monitors[i].bounds, pt);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  if (bestDistance == 0) return HandleOf(best);
  if (dwFlags == MONITOR_DEFAULTTONULL) return nullptr;
  return HandleOf(dwFlags == MONITOR_DEFAULTTOPRIMARY ? 0 : best);
}

HMONITOR MonitorFromRect(const TRect* lprc, DWORD dwFlags) {
  if (!lprc) return nullptr;
  auto monitors = Display().Monitors();
  std::size_t best = 0;
  long long bestArea = 0;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    long long a = Overlap(monitors[i].bounds, *lprc);
    if (a > bestArea) {
      bestArea = a;
      best = i;
    }
  }
  if (bestArea > 0) return HandleOf(best);
  return MonitorFromPoint(TPoint{lprc->Left + lprc->Width() / 2, lprc->Top + lprc->Height() / 2}, dwFlags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD dwFlags) {
  TRect r;
  if (!GetWindowRect(hwnd, &r)) return dwFlags == MONITOR_DEFAULTTONULL ? nullptr : HandleOf(0);
  if (r.IsEmpty()) return MonitorFromPoint(TPoint{r.Left, r.Top}, dwFlags);
  return MonitorFromRect(&r, dwFlags);
}

BOOL GetMonitorInfo(HMONITOR hMonitor, MONITORINFO* lpmi) {
  if (!lpmi) return FALSE;
  auto monitors = Display().Monitors();
  auto index = reinterpret_cast<std::uintptr_t>(hMonitor);
  if (index == 0 || index > monitors.size()) return FALSE;
  const TMonitorDesc& m = monitors[index - 1];
  lpmi->rcMonitor = m.bounds;
  lpmi->rcWork = m.work;
  lpmi->dwFlags = m.primary ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

TRect GetMonitorWorkRect(HWND hWnd) {
  MONITORINFO mi;
  if (GetMonitorInfo(MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &mi)) return mi.rcWork;
  return Display().Monitors().front().work;
}

UINT GetDoubleClickTime() { return 500; }
