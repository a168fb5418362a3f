// Cost of creating and tearing down windows on the headless display. A skinned form brings four
// layered border windows, hint windows and a window per menu level, so creation and teardown
// must stay linear in the number of windows.
//
// Two shapes, 10,000 windows each:
//   children  one top-level holding 10,000 child windows, torn down by destroying the parent;
//   owned     one top-level owning 10,000 top-level windows (borders, hints, menu levels), each
//             destroyed by itself, newest first, then the owner.
// The reference beside each figure is the same shape with 1,000 windows, measured in the same
// run: per window, the two figures are equal when the cost is linear.
//
// Usage: bench_window_tree_bench [windows]   (default 10000)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct TFigures {
  double create = 0;    // ms for all windows
  double teardown = 0;  // ms for all windows
};

HWND MakeTop(HWND owner) {
  return CreateWindowEx(0, "BenchTreeWindow", "", WS_POPUP, 0, 0, 40, 30, owner, nullptr, nullptr, nullptr);
}

TFigures Children(int count) {
  TFigures f;
  HWND top = MakeTop(nullptr);
  auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    CreateWindowEx(0, "BenchTreeWindow", "", WS_CHILD, i % 100, i / 100, 8, 8, top, nullptr, nullptr, nullptr);
  }
  f.create = Milliseconds(Clock::now() - start);
  start = Clock::now();
  DestroyWindow(top);
  f.teardown = Milliseconds(Clock::now() - start);
  return f;
}

TFigures Owned(int count) {
  TFigures f;
  HWND owner = MakeTop(nullptr);
  std::vector<HWND> windows;
  windows.reserve(static_cast<std::size_t>(count));
  auto start = Clock::now();
  for (int i = 0; i < count; ++i) windows.push_back(MakeTop(owner));
  f.create = Milliseconds(Clock::now() - start);
  start = Clock::now();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) DestroyWindow(*it);
  DestroyWindow(owner);
  f.teardown = Milliseconds(Clock::now() - start);
  return f;
}

// The best of three runs.
template <typename F>
TFigures Best(F run, int count) {
  TFigures best{1e300, 1e300};
  for (int i = 0; i < 3; ++i) {
    TFigures f = run(count);
    best.create = std::min(best.create, f.create);
    best.teardown = std::min(best.teardown, f.teardown);
  }
  return best;
}

void Report(const char* shape, int count, const TFigures& big, const TFigures& reference) {
  const int small = count / 10;
  std::printf("%-9s create   %6d windows %9.1f ms (%6.2f us each)   reference %5d: %7.1f ms (%6.2f us each)\n", shape,
              count, big.create, big.create * 1000 / count, small, reference.create,
              reference.create * 1000 / small);
  std::printf("%-9s teardown %6d windows %9.1f ms (%6.2f us each)   reference %5d: %7.1f ms (%6.2f us each)\n", shape,
              count, big.teardown, big.teardown * 1000 / count, small, reference.teardown,
              reference.teardown * 1000 / small);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = std::max(10, argc > 1 ? std::atoi(argv[1]) : 10000);
  WNDCLASS cls;
  cls.lpfnWndProc = DefWindowProc;
  cls.lpszClassName = "BenchTreeWindow";
  RegisterClass(&cls);

  Report("children", count, Best(Children, count), Best(Children, count / 10));
  Report("owned", count, Best(Owned, count), Best(Owned, count / 10));
  return 0;
}
