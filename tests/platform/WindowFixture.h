#pragma once
// A small world of windows for the windowing tests: one registered class whose procedure logs
// the messages each window receives and paints its client area in the colour set for it, on
// the headless display with a known screen size.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Gdi.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/graphics/Surface.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"
#include "ScreenShot.h"

struct TLoggedMessage {
  HWND hwnd;
  UINT msg;
  WPARAM w;
  LPARAM l;
};

class WindowWorld : public ::testing::Test {
 public:
  static inline std::vector<TLoggedMessage> log;
  static inline std::map<HWND, COLORREF> colours;
  // Per window: a replacement answer for a message (e.g. WM_MOUSEACTIVATE -> MA_NOACTIVATE).
  static inline std::map<std::pair<HWND, UINT>, LRESULT> answers;
  static inline std::function<void(HWND, UINT, WPARAM, LPARAM)> spy;

  static LRESULT Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    log.push_back({h, msg, w, l});
    if (spy) spy(h, msg, w, l);
    auto a = answers.find({h, msg});
    if (a != answers.end()) return a->second;
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = w ? reinterpret_cast<HDC>(w) : BeginPaint(h, &ps);
      auto c = colours.find(h);
      if (c != colours.end()) {
        TRect r;
        GetClientRect(h, &r);
        HBRUSH b = CreateSolidBrush(c->second);
        FillRect(dc, &r, b);
        DeleteObject(b);
      }
      if (!w) EndPaint(h, &ps);
      return 0;
    }
    return DefWindowProc(h, msg, w, l);
  }

 protected:
  void SetUp() override {
    static bool registered = [] {
      WNDCLASS cls;
      cls.lpfnWndProc = Proc;
      cls.lpszClassName = "WorldWindow";
      RegisterClass(&cls);
      WNDCLASS dbl = cls;
      dbl.style = CS_DBLCLKS;
      dbl.lpszClassName = "WorldWindowDbl";
      RegisterClass(&dbl);
      return true;
    }();
    (void)registered;
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    log.clear();
    colours.clear();
    answers.clear();
    spy = nullptr;
  }

  void TearDown() override {
    spy = nullptr;  // it may refer to the test's locals
    for (HWND h : made) {
      if (IsWindow(h)) DestroyWindow(h);
    }
    made.clear();
    Pump();
    spy = nullptr;
    ReleaseCapture();
    SetActiveWindow(nullptr);
  }

  HWND Make(DWORD style, TRect r, HWND parent = nullptr, COLORREF colour = 0, DWORD exStyle = 0,
            const char* cls = "WorldWindow") {
    HWND h = CreateWindowEx(exStyle, cls, "", style, r.Left, r.Top, r.Width(), r.Height(), parent, nullptr, nullptr,
                            nullptr);
    EXPECT_NE(h, nullptr);
    colours[h] = colour;
    made.push_back(h);
    return h;
  }

  // Dispatches everything waiting, paints included.
  static void Pump() {
    MSG m;
    for (int guard = 0; guard < 100000 && PeekMessage(&m, nullptr, 0, 0, PM_REMOVE); ++guard) {
      TranslateMessage(&m);
      DispatchMessage(&m);
    }
  }

  // The screen as it is now; read many points of one shot rather than calling ScreenAt for each.
  TScreenShot ScreenShot(COLORREF background = RGB(1, 2, 3)) { return TScreenShot(*display, background); }

  // Screen colour at one point (COLORREF).
  COLORREF ScreenAt(TPoint p, COLORREF background = RGB(1, 2, 3)) { return ScreenShot(background).At(p); }

  // The messages of one window among those listed, in order.
  static std::vector<UINT> MessagesOf(HWND h, std::initializer_list<UINT> interesting) {
    std::vector<UINT> out;
    for (auto& m : log) {
      if (m.hwnd == h && std::find(interesting.begin(), interesting.end(), m.msg) != interesting.end()) out.push_back(m.msg);
    }
    return out;
  }

  THeadlessDisplay* display = nullptr;
  std::vector<HWND> made;
};
