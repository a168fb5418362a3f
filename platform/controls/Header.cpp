#include "platform/controls/Header.h"

#include <algorithm>
#include <cstdlib>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Messages.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

// Pixels either side of a section's right edge that count as its divider.
constexpr int kDividerSlop = 4;

void EnsureHeaderClass() {
  WNDCLASS existing;
  if (GetClassInfo(nullptr, kHeaderClassName, &existing)) return;
  WNDCLASS wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT { return DefWindowProc(h, m, w, l); };
  wc.lpszClassName = kHeaderClassName;
  RegisterClass(&wc);
}

TPoint MousePoint(LPARAM lParam) {
  return {static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))),
          static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)))};
}

}  // namespace

THeaderWindow::THeaderWindow(HWND Parent) {
  EnsureHeaderClass();
  TRect parentClient;
  GetClientRect(Parent, &parentClient);
  handle_ = CreateWindowEx(0, kHeaderClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, parentClient.Width(), 0,
                           Parent, nullptr, nullptr, nullptr);
  if (handle_ == nullptr) return;
  // The class procedure is a plain default; this object's procedure is the window's own, so a
  // subclasser that saves and chains GWL_WNDPROC reaches it.
  SetWindowLongPtr(handle_, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtr(handle_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&THeaderWindow::WindowProcedure));
  SendMessage(Parent, WM_PARENTNOTIFY, MAKELPARAM(WM_CREATE, 0), reinterpret_cast<LPARAM>(handle_));
}

THeaderWindow::~THeaderWindow() {
  if (handle_ != nullptr && IsWindow(handle_)) {
    SetWindowLongPtr(handle_, GWL_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

void THeaderWindow::SetSections(std::vector<THeaderSection> Sections) {
  sections_ = std::move(Sections);
  if (pressed_ >= static_cast<int>(sections_.size())) pressed_ = -1;
  if (tracking_ >= static_cast<int>(sections_.size())) tracking_ = -1;
  if (handle_ != nullptr) InvalidateRect(handle_, nullptr, TRUE);
}

void THeaderWindow::SetFont(TFont* Font) {
  font_.Assign(Font);
  if (handle_ != nullptr) InvalidateRect(handle_, nullptr, TRUE);
}

TRect THeaderWindow::SectionRect(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(sections_.size())) return {};
  TRect client;
  if (handle_ != nullptr) GetClientRect(handle_, &client);
  int left = 0;
  for (int i = 0; i < Index; ++i) left += sections_[static_cast<std::size_t>(i)].Width;
  return {left, 0, left + sections_[static_cast<std::size_t>(Index)].Width, client.Height()};
}

HDHITTESTINFO THeaderWindow::HitTest(TPoint Pos) const {
  HDHITTESTINFO info;
  info.pt = Pos;
  TRect client;
  if (handle_ != nullptr) GetClientRect(handle_, &client);
  if (Pos.Y < 0) info.flags |= HHT_ABOVE;
  if (Pos.Y >= client.Height()) info.flags |= HHT_BELOW;
  if (Pos.X < 0) info.flags |= HHT_TOLEFT;
  if (info.flags != 0) return info;
  // A divider belongs to the last visible section ending there: hidden sections that share the
  // edge must not steal the drag from the column the user sees.
  int left = 0, onDivider = -1, onOpened = -1, onSection = -1;
  for (int i = 0; i < static_cast<int>(sections_.size()); ++i) {
    int width = sections_[static_cast<std::size_t>(i)].Width;
    int right = left + width;
    if (std::abs(Pos.X - right) <= kDividerSlop) (width > 0 ? onDivider : onOpened) = i;
    if (Pos.X >= left && Pos.X < right) onSection = i;
    left = right;
  }
  if (onDivider >= 0) {
    info.flags = HHT_ONDIVIDER;
    info.iItem = onDivider;
  } else if (onOpened >= 0) {
    info.flags = HHT_ONDIVOPENED;
    info.iItem = onOpened;
  } else if (onSection >= 0) {
    info.flags = HHT_ONHEADER;
    info.iItem = onSection;
  } else {
    info.flags = Pos.X >= left ? HHT_TORIGHT | HHT_NOWHERE : HHT_NOWHERE;
  }
  return info;
}

LRESULT THeaderWindow::WindowProcedure(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<THeaderWindow*>(GetWindowLongPtr(hWnd, GWL_USERDATA));
  if (self == nullptr) return DefWindowProc(hWnd, Msg, wParam, lParam);
  if (Msg == WM_NCDESTROY) {
    self->handle_ = nullptr;
    return DefWindowProc(hWnd, Msg, wParam, lParam);
  }
  return self->Handle(Msg, wParam, lParam);
}

LRESULT THeaderWindow::Handle(UINT Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case HDM_GETITEMCOUNT:
      return static_cast<LRESULT>(sections_.size());
    case HDM_GETITEMRECT: {
      auto* rect = reinterpret_cast<TRect*>(lParam);
      if (rect == nullptr || static_cast<int>(wParam) >= static_cast<int>(sections_.size())) return FALSE;
      *rect = SectionRect(static_cast<int>(wParam));
      return TRUE;
    }
    case HDM_GETORDERARRAY: {
      auto* order = reinterpret_cast<int*>(lParam);
      if (order == nullptr || wParam != sections_.size()) return FALSE;
      for (std::size_t i = 0; i < sections_.size(); ++i) order[i] = static_cast<int>(i);
      return TRUE;
    }
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
      if (info == nullptr) return -1;
      *info = HitTest(info->pt);
      return info->iItem;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      if (wParam != 0) {
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(handle_, &ps);
      if (dc != nullptr) Paint(dc);
      EndPaint(handle_, &ps);
      return 0;
    }
    case WM_SETCURSOR: {
      TPoint pos;
      GetCursorPos(&pos);
      ScreenToClient(handle_, &pos);
      UINT flags = HitTest(pos).flags;
      if (tracking_ >= 0 || (flags & (HHT_ONDIVIDER | HHT_ONDIVOPENED)) != 0) {
        SetCursor(CursorHandle(crSizeWE));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDown(MousePoint(lParam));
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(MousePoint(lParam));
      return 0;
    case WM_LBUTTONUP:
      MouseUp(MousePoint(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      if (tracking_ >= 0 || pressed_ >= 0) {
        tracking_ = -1;
        pressed_ = -1;
        InvalidateRect(handle_, nullptr, TRUE);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProc(handle_, Msg, wParam, lParam);
}

void THeaderWindow::MouseDown(TPoint Pos) {
  HDHITTESTINFO hit = HitTest(Pos);
  if ((hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPENED)) != 0) {
    tracking_ = hit.iItem;
    track_start_x_ = Pos.X;
    track_start_width_ = sections_[static_cast<std::size_t>(hit.iItem)].Width;
    SetCapture(handle_);
  } else if ((hit.flags & HHT_ONHEADER) != 0) {
    pressed_ = hit.iItem;
    press_inside_ = true;
    SetCapture(handle_);
    InvalidateRect(handle_, nullptr, TRUE);
  }
}

void THeaderWindow::MouseMove(TPoint Pos) {
  if (tracking_ >= 0) {
    THeaderSection& section = sections_[static_cast<std::size_t>(tracking_)];
    int width = std::max(0, track_start_width_ + Pos.X - track_start_x_);
    if (section.MaxWidth > 0) width = std::min(width, section.MaxWidth);
    if (width == section.Width) return;
    section.Width = width;
    InvalidateRect(handle_, nullptr, TRUE);
    if (OnSectionResize) OnSectionResize(tracking_, width);
  } else if (pressed_ >= 0) {
    bool inside = SectionRect(pressed_).Contains(Pos);
    if (inside != press_inside_) {
      press_inside_ = inside;
      InvalidateRect(handle_, nullptr, TRUE);
    }
  }
}

void THeaderWindow::MouseUp(TPoint Pos) {
  if (tracking_ >= 0) {
    MouseMove(Pos);
    tracking_ = -1;
    ReleaseCapture();
    return;
  }
  if (pressed_ < 0) return;
  int clicked = SectionRect(pressed_).Contains(Pos) ? pressed_ : -1;
  pressed_ = -1;
  ReleaseCapture();
  InvalidateRect(handle_, nullptr, TRUE);
  if (clicked >= 0 && OnSectionClick) OnSectionClick(clicked);
}

void THeaderWindow::Paint(HDC DC) {
  TRect client;
  GetClientRect(handle_, &client);
  TCanvas canvas;
  canvas.SetHandle(DC);
  canvas.Brush()->SetColor(clBtnFace);
  canvas.FillRect(client);
  SelectObject(DC, font_.Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, ColorToRGB(clBtnText));
  for (int i = 0; i < static_cast<int>(sections_.size()); ++i) {
    TRect r = SectionRect(i);
    if (r.Width() <= 0) continue;
    bool down = i == pressed_ && press_inside_;
    canvas.Pen()->SetColor(down ? clBtnShadow : clBtnHighlight);
    canvas.MoveTo(r.Left, r.Bottom - 1);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right - 1, r.Top);
    canvas.Pen()->SetColor(down ? clBtnHighlight : clBtnShadow);
    canvas.MoveTo(r.Right - 1, r.Top);
    canvas.LineTo(r.Right - 1, r.Bottom - 1);
    canvas.LineTo(r.Left - 1, r.Bottom - 1);
    TRect text{r.Left + 6, r.Top, r.Right - 6, r.Bottom};
    if (down) text = {text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
    const THeaderSection& section = sections_[static_cast<std::size_t>(i)];
    UINT align = section.Alignment == TAlignment::taRightJustify ? DT_RIGHT
                 : section.Alignment == TAlignment::taCenter      ? DT_CENTER
                                                                  : DT_LEFT;
    DrawText(DC, section.Caption, &text, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  canvas.SetHandle(nullptr);
}
