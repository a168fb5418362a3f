#include "platform/controls/HintWindow.h"

#include <algorithm>

#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/WindowTree.h"

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisible(false);
  SetColor(clInfoBk);
  Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  P.Style = WS_POPUP | WS_BORDER;
  P.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  P.WndParent = nullptr;
  P.WindowClass.style |= CS_SAVEBITS;
}

void THintWindow::Dispatch(TMessage& M) {
  if (M.Msg == WM_NCHITTEST) {
    WMNCHitTest(M);
    return;
  }
  if (M.Msg == WM_MOUSEACTIVATE) {
    M.Result = MA_NOACTIVATE;
    return;
  }
  TCustomControl::Dispatch(M);
}

void THintWindow::WMNCHitTest(TMessage& M) { M.Result = HTTRANSPARENT; }

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void*) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TRect r = Rect(0, 0, MaxWidth > 0 ? MaxWidth : 300, 0);
  DrawText(dc, AHint, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // Room for the border and a little margin on each side.
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHintData(TRect Rect, const std::string& AHint, void*) { ActivateHint(Rect, AHint); }

void THintWindow::ActivateHint(TRect R, const std::string& AHint) {
  SetCaption(AHint);
  // Keep it on the screen of the point it is shown at.
  MONITORINFO info;
  GetMonitorInfo(MonitorFromPoint(Point(R.Left, R.Top), MONITOR_DEFAULTTONEAREST), &info);
  const TRect work = info.rcMonitor;
  if (R.Right > work.Right) {
    const int w = R.Width();
    R.Right = work.Right;
    R.Left = R.Right - w;
  }
  if (R.Bottom > work.Bottom) {
    const int h = R.Height();
    R.Bottom = work.Bottom;
    R.Top = R.Bottom - h;
  }
  R.Left = std::max(R.Left, work.Left);
  R.Top = std::max(R.Top, work.Top);
  SetBoundsRect(Rect(R.Left, R.Top, R.Left + R.Width() + 2, R.Top + R.Height() + 2));
  HWND h = Handle();
  SetWindowPos(h, HWND_TOPMOST, Left(), Top(), Width(), Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  SetVisible(true);
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  SetVisible(false);
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(r);
  r.Left += 2;
  r.Top += 1;
  r.Right -= 2;
  HDC dc = Canvas()->Handle();
  SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  DrawText(dc, Caption(), &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}
