// Speed of the window tree: invalidating and repainting an 803 x 540 top-level holding 60 child
// windows (a form full of controls), each child filling its client area and framing it, on the
// headless display and, when an X server answers, on the X11 display (the frame reaches the
// server before the clock stops). Reported as milliseconds per frame; the target is under 8.
//
// Usage: bench_window_paint_bench [frames]   (default 200)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/Display.h"
#include "platform/Gdi.h"
#include "platform/MessageQueue.h"
#include "platform/Painting.h"
#include "platform/Window.h"
#include "platform/WindowTree.h"
#include "platform/X11Display.h"

namespace {

constexpr int kWidth = 803;
constexpr int kHeight = 540;
constexpr int kChildren = 60;

LRESULT Paint(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg != WM_PAINT) return DefWindowProc(h, msg, w, l);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  TRect r;
  GetClientRect(h, &r);
  auto id = static_cast<COLORREF>(GetWindowLongPtr(h, GWL_ID));
  HBRUSH fill = CreateSolidBrush(RGB(40 + id * 3 % 200, 90, 160));
  FillRect(dc, &r, fill);
  FrameRect(dc, &r, reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_WINDOWFRAME + 1)));
  DeleteObject(fill);
  EndPaint(h, &ps);
  return 0;
}

void PumpAll() {
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
}

double Run(const char* name, int frames, TX11Display* x) {
  HWND form = CreateWindowEx(0, "BenchWindow", "", WS_POPUP | WS_CLIPCHILDREN, 10, 10, kWidth, kHeight, nullptr,
                             nullptr, nullptr, nullptr);
  for (int i = 0; i < kChildren; ++i) {
    int col = i % 10, row = i / 10;
    CreateWindowEx(0, "BenchWindow", "", WS_CHILD | WS_VISIBLE, 8 + col * 79, 8 + row * 88, 72, 80, form,
                   reinterpret_cast<HMENU>(static_cast<std::intptr_t>(i)), nullptr, nullptr);
  }
  ShowWindow(form, SW_SHOWNA);
  PumpAll();
  auto start = std::chrono::steady_clock::now();
  for (int f = 0; f < frames; ++f) {
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    PumpAll();  // paints every window and hands the frame to the display
    if (x) x->Sync();
  }
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / frames;
  std::printf("%-10s %6.3f ms/frame  (%d children, %dx%d, target < 8 ms)\n", name, ms, kChildren, kWidth, kHeight);
  DestroyWindow(form);
  PumpAll();
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  WNDCLASS cls;
  cls.lpfnWndProc = Paint;
  cls.lpszClassName = "BenchWindow";
  RegisterClass(&cls);
  Run("headless", frames, nullptr);
  if (auto x11 = TX11Display::Open()) {
    TX11Display* x = x11.get();
    auto headless = SetDisplay(std::move(x11));
    SetThreadEventSource(x);
    Run("x11", frames, x);
    SetThreadEventSource(nullptr);
    SetDisplay(std::move(headless));
  } else {
    std::printf("x11        (no X server)\n");
  }
  return 0;
}
