// The window tree on the headless display: geometry, creation and position messages, painting
// into the screenshot with clipping and z-order, regions, and no leaks over many windows.

#include "tests/platform/WindowFixture.h"

#include "platform/graphics/Colors.h"
#include "platform/windowing/LayeredWindow.h"
#include "platform/windowing/NonClient.h"
#include "platform/windowing/Screen.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
                   kYellow = RGB(255, 255, 0), kGrey = RGB(128, 128, 128);

using WindowTreeTest = WindowWorld;

TEST_F(WindowTreeTest, CoordinatesFollowFramesAndNesting) {
  // A framed top-level: 4-pixel frame, 23-pixel caption.
  HWND top = Make(WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME, Bounds(100, 50, 300, 200));
  HWND child = Make(WS_CHILD | WS_VISIBLE | WS_BORDER, Bounds(10, 20, 100, 80), top);
  HWND inner = Make(WS_CHILD | WS_VISIBLE, Bounds(5, 6, 30, 30), child);
  TRect r;
  ASSERT_TRUE(GetClientRect(top, &r));
  EXPECT_EQ(r, Rect(0, 0, 292, 169));
  ASSERT_TRUE(GetWindowRect(inner, &r));
  // top client at (104, 77); child at +10,+20, its client +1,+1; inner +5,+6.
  EXPECT_EQ(r, Bounds(104 + 10 + 1 + 5, 77 + 20 + 1 + 6, 30, 30));
  TPoint p{0, 0};
  ClientToScreen(inner, &p);
  EXPECT_EQ(p, Point(120, 104));
  ScreenToClient(top, &p);
  EXPECT_EQ(p, Point(16, 27));
  TPoint pts[2] = {{0, 0}, {3, 4}};
  MapWindowPoints(inner, child, pts, 2);
  EXPECT_EQ(pts[0], Point(5, 6));
  EXPECT_EQ(pts[1], Point(8, 10));
  EXPECT_EQ(GetParent(inner), child);
  EXPECT_EQ(GetAncestorRoot(inner), top);
  EXPECT_TRUE(IsChild(top, inner));
  EXPECT_FALSE(IsWindowVisible(inner)) << "its top-level is hidden";
  ShowWindow(top, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(inner));

  TRect adjusted = Rect(0, 0, 292, 169);
  AdjustWindowRectEx(&adjusted, WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME, FALSE, 0);
  EXPECT_EQ(adjusted.Width(), 300);
  EXPECT_EQ(adjusted.Height(), 200);
}

TEST_F(WindowTreeTest, CreationAndPositionMessagesComeInOrderAndTheHandlerMayChangeThePosition) {
  spy = [](HWND, UINT msg, WPARAM, LPARAM l) {
    if (msg == WM_WINDOWPOSCHANGING) {
      auto* pos = reinterpret_cast<WINDOWPOS*>(l);
      if (!(pos->flags & SWP_NOSIZE)) pos->cx = std::max(pos->cx, 50);  // a minimum width
    }
  };
  HWND h = Make(WS_POPUP, Bounds(0, 0, 60, 40));
  EXPECT_EQ(MessagesOf(h, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}),
            (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
  log.clear();
  SetWindowPos(h, nullptr, 10, 20, 30, 40, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(MessagesOf(h, {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
  TRect r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, Bounds(10, 20, 50, 40)) << "the handler's width holds";
  auto size = std::find_if(log.begin(), log.end(), [](auto& m) { return m.msg == WM_SIZE; });
  EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(size->l)), 50);
  log.clear();
  MoveWindow(h, 10, 20, 50, 40, TRUE);
  EXPECT_TRUE(MessagesOf(h, {WM_MOVE, WM_SIZE}).empty()) << "nothing changed, nothing reported";
}

TEST_F(WindowTreeTest, TreePaintsIntoTheScreenWithClippingAndZOrder) {
  HWND a = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 200, 200), nullptr, kRed);
  HWND b = Make(WS_CHILD | WS_VISIBLE, Bounds(20, 20, 100, 100), a, kGreen);
  HWND c = Make(WS_CHILD | WS_VISIBLE, Bounds(60, 60, 200, 100), a, kBlue);  // above b, past a's edge
  HWND d = Make(WS_POPUP | WS_VISIBLE, Bounds(250, 0, 100, 100), nullptr, kYellow);
  Pump();
  struct Case {
    TPoint at;
    COLORREF want;
    const char* why;
  };
  const Case before[] = {
      {{10, 10}, kRed, "parent around its children"},
      {{30, 30}, kGreen, "b alone"},
      {{70, 70}, kBlue, "c is above b"},
      {{199, 100}, kBlue, "c inside a"},
      {{220, 100}, RGB(1, 2, 3), "c clipped to a's client area"},
      {{260, 10}, kYellow, "second top-level"},
  };
  const TScreenShot first = ScreenShot();
  for (const Case& k : before) {
    SCOPED_TRACE(k.why);
    EXPECT_EQ(first.At(k.at), k.want);
  }
  // b to the top of its siblings, d over a: both repaint only what was uncovered.
  SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(d, HWND_TOP, 150, 150, 0, 0, SWP_NOSIZE);
  Pump();
  const Case after[] = {
      {{70, 70}, kGreen, "b now above c"},
      {{130, 130}, kBlue, "c where b is not"},
      {{160, 160}, kYellow, "d above a"},
      {{260, 10}, RGB(1, 2, 3), "d left its old place"},
  };
  const TScreenShot second = ScreenShot();
  for (const Case& k : after) {
    SCOPED_TRACE(k.why);
    EXPECT_EQ(second.At(k.at), k.want);
  }
  ShowWindow(b, SW_HIDE);
  Pump();
  EXPECT_EQ(ScreenAt({30, 30}), kRed) << "the parent repaints what a hidden child uncovers";
  EXPECT_EQ(ScreenAt({70, 70}), kBlue);
  (void)c;
}

TEST_F(WindowTreeTest, ParentWithoutClipChildrenRepaintsItsChildrenOverItself) {
  for (bool clip : {false, true}) {
    SCOPED_TRACE(clip ? "WS_CLIPCHILDREN" : "no WS_CLIPCHILDREN");
    HWND parent = Make(WS_POPUP | WS_VISIBLE | (clip ? WS_CLIPCHILDREN : 0), Bounds(0, 0, 100, 100), nullptr, kRed);
    HWND child = Make(WS_CHILD | WS_VISIBLE, Bounds(10, 10, 20, 20), parent, kGreen);
    Pump();
    log.clear();
    InvalidateRect(parent, nullptr, TRUE);
    Pump();
    EXPECT_EQ(MessagesOf(child, {WM_PAINT}).size(), clip ? 0u : 1u);
    EXPECT_EQ(ScreenAt({15, 15}), kGreen) << "the child stays visible either way";
    DestroyWindow(parent);
  }
}

TEST_F(WindowTreeTest, PaintingTakesPartsOfTheInvalidRegionAndUpdateWindowPaintsAtOnce) {
  HWND h = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100), nullptr, kRed);
  Pump();
  TRect u;
  EXPECT_FALSE(GetUpdateRect(h, &u, FALSE));
  TRect a = Rect(10, 10, 20, 20), b = Rect(50, 50, 60, 70);
  InvalidateRect(h, &a, FALSE);
  InvalidateRect(h, &b, FALSE);
  ASSERT_TRUE(GetUpdateRect(h, &u, FALSE));
  EXPECT_EQ(u, Rect(10, 10, 60, 70));
  ValidateRect(h, &a);
  ASSERT_TRUE(GetUpdateRect(h, &u, FALSE));
  EXPECT_EQ(u, b);
  colours[h] = kBlue;
  log.clear();
  UpdateWindow(h);
  EXPECT_EQ(MessagesOf(h, {WM_PAINT}).size(), 1u);
  EXPECT_FALSE(GetUpdateRect(h, &u, FALSE));
  EXPECT_EQ(ScreenAt({55, 55}), kBlue) << "inside the invalid part";
  EXPECT_EQ(ScreenAt({15, 15}), kRed) << "clipped out: validated before the paint";
  // WM_SETREDRAW off: invalidation is ignored until it is back on.
  SendMessage(h, WM_SETREDRAW, FALSE, 0);
  InvalidateRect(h, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(h, &u, FALSE));
  SendMessage(h, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(ScreenAt({15, 15}), kBlue);
}

TEST_F(WindowTreeTest, WindowDCsDrawOnlyOnTheVisiblePartAndPrintPaintsIntoAGivenDC) {
  HWND a = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100), nullptr, kRed);
  HWND cover = Make(WS_CHILD | WS_VISIBLE, Bounds(0, 0, 50, 100), a, kGreen);
  HWND b = Make(WS_CHILD | WS_VISIBLE, Bounds(20, 20, 60, 60), a, kBlue);
  SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  Pump();
  HDC dc = GetDC(b);
  ASSERT_NE(dc, nullptr);
  TRect all = Rect(0, 0, 60, 60);
  HBRUSH grey = CreateSolidBrush(kGrey);
  FillRect(dc, &all, grey);
  EXPECT_EQ(ReleaseDC(b, dc), 1);
  EXPECT_EQ(ScreenAt({40, 40}), kGreen) << "under the sibling above";
  EXPECT_EQ(ScreenAt({60, 40}), kGrey);
  EXPECT_EQ(detail::OutstandingWindowDCs(), 0u);

  // The whole tree painted into a memory DC through WM_PRINT.
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(nullptr, 100, 100);
  HGDIOBJ old = SelectObject(mem, bmp);
  PrintWindow(a, mem, 0);
  auto surface = GetDCSurface(mem);
  EXPECT_EQ(surface->PixelAt(5, 90) & 0xFFFFFF, 0x00FF00u) << "cover, green";
  EXPECT_EQ(surface->PixelAt(70, 70) & 0xFFFFFF, 0x0000FFu) << "b, blue";
  EXPECT_EQ(surface->PixelAt(90, 5) & 0xFFFFFF, 0xFF0000u) << "a, red";
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  DeleteObject(grey);
}

// A child that reaches past its parent's client area is cut there; the parent's frame under it
// stays the parent's to paint, also with WS_CLIPCHILDREN.
TEST_F(WindowTreeTest, TheFrameUnderAChildThatReachesOverItIsTheParents) {
  HWND a = Make(WS_POPUP | WS_BORDER | WS_CLIPCHILDREN | WS_VISIBLE, Bounds(0, 0, 100, 100), nullptr, kRed);
  TRect client;
  GetClientRect(a, &client);
  ASSERT_LT(client.Height(), 100) << "the border takes room";
  Make(WS_CHILD | WS_VISIBLE, Bounds(10, client.Height() - 20, 50, 40), a, kBlue);
  Pump();
  HDC dc = GetWindowDC(a);
  ASSERT_NE(dc, nullptr);
  TRect all = Rect(0, 0, 100, 100);
  HBRUSH grey = CreateSolidBrush(kGrey);
  FillRect(dc, &all, grey);
  ReleaseDC(a, dc);
  DeleteObject(grey);
  const TScreenShot shot = ScreenShot();
  EXPECT_EQ(shot.At({30, 99}), kGrey) << "the frame under the child";
  EXPECT_EQ(shot.At({30, client.Height() - 10}), kBlue) << "the child inside the client area";
}

TEST_F(WindowTreeTest, RegionShapesTheWindowOnScreenAndForPoints) {
  HWND h = Make(WS_POPUP | WS_VISIBLE, Bounds(100, 100, 100, 100), nullptr, kRed);
  SetWindowRgn(h, CreateEllipticRgn(0, 0, 100, 100), TRUE);
  Pump();
  EXPECT_EQ(ScreenAt({150, 150}), kRed);
  EXPECT_EQ(ScreenAt({101, 101}), RGB(1, 2, 3)) << "corner outside the ellipse";
  EXPECT_EQ(WindowFromPoint({150, 150}), h);
  EXPECT_EQ(WindowFromPoint({101, 101}), nullptr);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(h, copy), RGN_ERROR);
  EXPECT_TRUE(PtInRegion(copy, 50, 50));
  EXPECT_FALSE(PtInRegion(copy, 1, 1));
  DeleteObject(copy);
  SetWindowRgn(h, nullptr, TRUE);
  Pump();
  EXPECT_EQ(ScreenAt({101, 101}), kRed);
}

TEST_F(WindowTreeTest, PointQueriesFindTheDeepestWindow) {
  HWND a = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 200, 200));
  HWND b = Make(WS_CHILD | WS_VISIBLE, Bounds(10, 10, 100, 100), a);
  HWND bb = Make(WS_CHILD | WS_VISIBLE, Bounds(10, 10, 20, 20), b);
  HWND hidden = Make(WS_CHILD, Bounds(150, 150, 40, 40), a);
  struct Case {
    TPoint screen;
    HWND want;
  } cases[] = {{{5, 5}, a}, {{15, 15}, b}, {{25, 25}, bb}, {{160, 160}, a}, {{300, 300}, nullptr}};
  for (auto& k : cases) {
    SCOPED_TRACE(testing::Message() << k.screen.X << "," << k.screen.Y);
    EXPECT_EQ(WindowFromPoint(k.screen), k.want);
  }
  EXPECT_EQ(ChildWindowFromPoint(a, {25, 25}), b) << "direct children only";
  EXPECT_EQ(ChildWindowFromPoint(a, {160, 160}), hidden);
  EXPECT_EQ(ChildWindowFromPointEx(a, {160, 160}, CWP_SKIPINVISIBLE), a);
  EXPECT_EQ(ChildWindowFromPoint(a, {500, 5}), nullptr);
  EXPECT_EQ(GetWindow(a, GW_CHILD), hidden) << "the newest child is on top";
  EXPECT_EQ(GetWindow(hidden, GW_HWNDNEXT), b);
  std::vector<HWND> all;
  EnumChildWindows(a, [&](HWND h) {
    all.push_back(h);
    return true;
  });
  EXPECT_EQ(all, (std::vector<HWND>{hidden, b, bb}));
}

TEST_F(WindowTreeTest, MaximizeFillsTheWorkAreaAndRestoreGivesTheOldBoundsBack) {
  HWND h = Make(WS_POPUP | WS_VISIBLE, Bounds(30, 40, 100, 80));
  ShowWindow(h, SW_MAXIMIZE);
  TRect r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, Rect(0, 0, 800, 560));
  EXPECT_TRUE(IsZoomed(h));
  ShowWindow(h, SW_RESTORE);
  GetWindowRect(h, &r);
  EXPECT_EQ(r, Bounds(30, 40, 100, 80));
  ShowWindow(h, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(h));
  EXPECT_FALSE(WindowFromPoint({50, 50}));
  ShowWindow(h, SW_RESTORE);
  EXPECT_FALSE(IsIconic(h));
}

TEST_F(WindowTreeTest, ScreenQueriesAnswerFromTheDisplay) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
  TRect work;
  ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work, Rect(0, 0, 800, 560));
  HWND h = Make(WS_POPUP, Bounds(5000, 5000, 10, 10));
  MONITORINFO mi;
  ASSERT_TRUE(GetMonitorInfo(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &mi));
  EXPECT_EQ(mi.rcMonitor, Rect(0, 0, 800, 600));
  EXPECT_EQ(mi.rcWork, work);
  EXPECT_EQ(mi.dwFlags, MONITORINFOF_PRIMARY);
  EXPECT_EQ(MonitorFromWindow(h, MONITOR_DEFAULTTONULL), nullptr);
}

TEST_F(WindowTreeTest, StyledWindowGetsTheDefaultFrameAndCaption) {
  HWND h = Make(WS_POPUP | WS_CAPTION | WS_BORDER, Bounds(0, 0, 200, 100), nullptr, kRed);
  SetWindowText(h, "Title");
  ShowWindow(h, SW_SHOW);  // activates it
  Pump();
  COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
  const TScreenShot shot = ScreenShot();
  EXPECT_EQ(shot.At({150, 10}), caption);
  EXPECT_EQ(shot.At({100, 60}), kRed) << "client below the caption";
  int textPixels = 0;
  for (int x = 4; x < 60; ++x) {
    for (int y = 2; y < 22; ++y) textPixels += shot.At({x, y}) != caption;
  }
  EXPECT_GT(textPixels, 0) << "the caption text is drawn";
  EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(100, 10)), HTCAPTION);
  EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(100, 60)), HTCLIENT);
  EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(0, 60)), HTBORDER);
}

TEST_F(WindowTreeTest, SystemCommandsMinimizeMaximizeRestoreAndClose) {
  HWND h = Make(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_MAXIMIZEBOX, Bounds(10, 10, 100, 100));
  struct Case {
    WPARAM command;
    bool iconic, zoomed;
  } cases[] = {{SC_MINIMIZE, true, false}, {SC_RESTORE, false, false}, {SC_MAXIMIZE, false, true},
               {SC_RESTORE, false, false}};
  for (auto& k : cases) {
    SCOPED_TRACE(k.command);
    SendMessage(h, WM_SYSCOMMAND, k.command, 0);
    EXPECT_EQ(IsIconic(h) != FALSE, k.iconic);
    EXPECT_EQ(IsZoomed(h) != FALSE, k.zoomed);
  }
  TRect r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, Bounds(10, 10, 100, 100));
  // A double click on the caption maximizes.
  SendMessage(h, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(50, 15));
  EXPECT_TRUE(IsZoomed(h));
  SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(h)) << "WM_CLOSE's default destroys it";
}

TEST_F(WindowTreeTest, SetParentMovesAChildIntoAnotherWindow) {
  HWND a = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100), nullptr, kRed);
  HWND b = Make(WS_POPUP | WS_VISIBLE, Bounds(200, 0, 100, 100), nullptr, kYellow);
  HWND c = Make(WS_CHILD | WS_VISIBLE, Bounds(10, 10, 20, 20), a, kBlue);
  Pump();
  EXPECT_EQ(ScreenAt({15, 15}), kBlue);
  EXPECT_EQ(SetParent(c, b), a);
  Pump();
  EXPECT_EQ(ScreenAt({15, 15}), kRed) << "the old parent repaints where it was";
  EXPECT_EQ(ScreenAt({215, 15}), kBlue);
  EXPECT_EQ(GetWindow(b, GW_CHILD), c);
  EXPECT_EQ(GetWindow(a, GW_CHILD), nullptr);
}

TEST_F(WindowTreeTest, DestroyingAWindowTakesItsChildrenAndOwnedWindowsAsTheyAreNow) {
  HWND form = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 200, 200));
  HWND other = Make(WS_POPUP, Bounds(300, 0, 50, 50));
  HWND first = Make(WS_CHILD | WS_VISIBLE, Bounds(0, 0, 20, 20), form);
  HWND second = Make(WS_CHILD | WS_VISIBLE, Bounds(30, 0, 20, 20), form);
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE, Bounds(0, 0, 5, 5), second);
  HWND border = Make(WS_POPUP, Bounds(0, 0, 4, 200), form);  // owned, like a layered border
  HWND hint = Make(WS_POPUP, Bounds(0, 0, 40, 16), form);
  HWND movedAway = Make(WS_CHILD, Bounds(0, 0, 5, 5), form);
  HWND movedIn = Make(WS_CHILD, Bounds(0, 0, 5, 5), other);
  HWND ownerChanged = Make(WS_POPUP, Bounds(0, 0, 5, 5), form);
  SetParent(movedAway, other);
  SetParent(movedIn, form);
  SetWindowLongPtr(ownerChanged, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(other));
  DestroyWindow(hint);  // gone before: its owner forgets it
  log.clear();

  DestroyWindow(form);
  for (HWND h : {form, first, second, grandchild, border, movedIn}) EXPECT_FALSE(IsWindow(h));
  for (HWND h : {other, movedAway, ownerChanged}) EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(GetWindow(other, GW_CHILD), movedAway);

  // The window hears WM_DESTROY first and WM_NCDESTROY last; children go bottom first (the
  // order they were made in), each with its own children, then the owned windows.
  std::vector<std::pair<HWND, UINT>> order;
  for (const TLoggedMessage& m : log) {
    if (m.msg == WM_DESTROY || m.msg == WM_NCDESTROY) order.emplace_back(m.hwnd, m.msg);
  }
  const std::vector<std::pair<HWND, UINT>> expected = {
      {form, WM_DESTROY},     {first, WM_DESTROY},       {first, WM_NCDESTROY},
      {second, WM_DESTROY},   {grandchild, WM_DESTROY},  {grandchild, WM_NCDESTROY},
      {second, WM_NCDESTROY}, {movedIn, WM_DESTROY},     {movedIn, WM_NCDESTROY},
      {border, WM_DESTROY},   {border, WM_NCDESTROY},    {form, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
}

TEST_F(WindowTreeTest, ScrollWindowMovesThePixelsAndInvalidatesWhatIsUncovered) {
  HWND h = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100), nullptr, kRed);
  Pump();
  HDC dc = GetDC(h);
  TRect stripe = Rect(0, 0, 100, 10);
  HBRUSH blue = CreateSolidBrush(kBlue);
  FillRect(dc, &stripe, blue);
  ReleaseDC(h, dc);
  DeleteObject(blue);
  ScrollWindow(h, 0, 30, nullptr, nullptr);
  TRect u;
  ASSERT_TRUE(GetUpdateRect(h, &u, FALSE));
  EXPECT_EQ(u, Rect(0, 0, 100, 30));
  EXPECT_EQ(ScreenAt({50, 35}), kBlue) << "the stripe moved down";
  colours[h] = kGreen;
  Pump();
  EXPECT_EQ(ScreenAt({50, 5}), kGreen) << "uncovered part repainted";
  EXPECT_EQ(ScreenAt({50, 35}), kBlue) << "moved part kept";
}

TEST_F(WindowTreeTest, TenThousandWindowsComeAndGoWithoutLeaks) {
  const std::size_t windows = detail::LiveWindowCount(), nodes = detail::LiveNodeCount();
  const std::size_t dcs = detail::OutstandingWindowDCs();
  HWND host = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 50, 50));
  {
    // Anything made once on first use (stock objects, the screen DC) is made before counting.
    HDC warm = GetDC(host);
    ReleaseDC(host, warm);
  }
  const std::size_t gdiObjects = LiveGdiObjectCount(), gdiDCs = LiveDCCount();
  for (int i = 0; i < 10000; ++i) {
    HWND h = CreateWindowEx(0, "WorldWindow", "", WS_CHILD | WS_VISIBLE, i % 40, 0, 10, 10, host, nullptr, nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    SetWindowRgn(h, CreateEllipticRgn(0, 0, 10, 10), FALSE);
    HDC dc = GetDC(h);
    ReleaseDC(h, dc);
    if (i % 2) {
      HDC wdc = GetWindowDC(h);  // left for DestroyWindow to reclaim
      (void)wdc;
    }
    DestroyWindow(h);
  }
  DestroyWindow(host);
  Pump();
  EXPECT_EQ(detail::LiveWindowCount(), windows);
  EXPECT_EQ(detail::LiveNodeCount(), nodes);
  EXPECT_EQ(detail::OutstandingWindowDCs(), dcs);
  EXPECT_EQ(LiveGdiObjectCount(), gdiObjects) << "window regions are freed with their windows";
  EXPECT_EQ(LiveDCCount(), gdiDCs) << "DCs left unreleased are freed with their windows";
}

}  // namespace
