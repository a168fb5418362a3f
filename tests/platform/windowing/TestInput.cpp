// Input on the headless display: where clicks land, capture, focus and activation order,
// click-through and shaped windows, double clicks, keys and text, modal loops and the move loop.

#include "tests/platform/WindowFixture.h"

#include "platform/core/Clock.h"
#include "platform/windowing/LayeredWindow.h"
#include "platform/windowing/NonClient.h"

namespace {

using InputTest = WindowWorld;

TPoint ClientPoint(const TLoggedMessage& m) {
  return {static_cast<short>(LOWORD(static_cast<std::uintptr_t>(m.l))), static_cast<short>(HIWORD(static_cast<std::uintptr_t>(m.l)))};
}

const TLoggedMessage* Find(HWND h, UINT msg) {
  for (auto& m : WindowWorld::log) {
    if (m.hwnd == h && m.msg == msg) return &m;
  }
  return nullptr;
}

TEST_F(InputTest, ClickReachesTheDeepestChildInItsClientCoordinates) {
  HWND top = Make(WS_POPUP | WS_VISIBLE | WS_BORDER, Bounds(100, 100, 300, 200));
  HWND panel = Make(WS_CHILD | WS_VISIBLE, Bounds(50, 40, 200, 100), top);
  HWND button = Make(WS_CHILD | WS_VISIBLE, Bounds(10, 10, 50, 20), panel);
  Pump();
  log.clear();
  display->Click({100 + 1 + 50 + 10 + 7, 100 + 1 + 40 + 10 + 3});
  Pump();
  const TLoggedMessage* down = Find(button, WM_LBUTTONDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(ClientPoint(*down), Point(7, 3));
  EXPECT_EQ(down->w & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
  ASSERT_NE(Find(button, WM_LBUTTONUP), nullptr);
  EXPECT_EQ(Find(panel, WM_LBUTTONDOWN), nullptr);
  // A click on the border is non-client, with the hit code and screen coordinates.
  log.clear();
  display->Click({100, 150});
  Pump();
  const TLoggedMessage* nc = Find(top, WM_NCLBUTTONDOWN);
  ASSERT_NE(nc, nullptr);
  EXPECT_EQ(nc->w, static_cast<WPARAM>(HTBORDER));
  EXPECT_EQ(ClientPoint(*nc), Point(100, 150));
}

TEST_F(InputTest, APressInAChildIsToldUpTheChainOfParents) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, Bounds(100, 100, 300, 200));
  HWND panel = Make(WS_CHILD | WS_VISIBLE, Bounds(50, 40, 200, 100), top);
  HWND button = Make(WS_CHILD | WS_VISIBLE, Bounds(10, 10, 50, 20), panel);
  HWND quiet = Make(WS_CHILD | WS_VISIBLE, Bounds(100, 10, 50, 20), panel, 0, WS_EX_NOPARENTNOTIFY);
  Pump();
  const auto notices = [&] {
    std::vector<TLoggedMessage> found;
    for (const auto& m : log)
      if (m.msg == WM_PARENTNOTIFY) found.push_back(m);
    return found;
  };
  // Each parent hears the button message with the point in its own client coordinates, before
  // the press itself arrives.
  log.clear();
  display->MouseDown({100 + 50 + 10 + 7, 100 + 40 + 10 + 3}, detail::TMouseButton::Right);
  std::vector<TLoggedMessage> n = notices();
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(n[0].hwnd, panel);
  EXPECT_EQ(n[0].w, static_cast<WPARAM>(WM_RBUTTONDOWN));
  EXPECT_EQ(ClientPoint(n[0]), Point(17, 13));
  EXPECT_EQ(n[1].hwnd, top);
  EXPECT_EQ(ClientPoint(n[1]), Point(67, 53));
  EXPECT_EQ(Find(button, WM_RBUTTONDOWN), nullptr);
  Pump();
  EXPECT_NE(Find(button, WM_RBUTTONDOWN), nullptr);
  display->MouseUp({100 + 50 + 10 + 7, 100 + 40 + 10 + 3}, detail::TMouseButton::Right);
  Pump();

  // Releases, presses on a top-level and presses in a child that asks for quiet tell nobody.
  const TPoint places[] = {{100 + 50 + 100 + 5, 100 + 40 + 10 + 5}, {100 + 5, 100 + 5}};
  for (TPoint p : places) {
    log.clear();
    display->Click(p);
    Pump();
    EXPECT_TRUE(notices().empty());
  }
  (void)quiet;
}

TEST_F(InputTest, ActivationAndFocusMessagesArriveInOrder) {
  HWND first = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100));
  HWND second = Make(WS_POPUP | WS_VISIBLE, Bounds(200, 0, 100, 100));
  HWND edit = Make(WS_CHILD | WS_VISIBLE, Bounds(10, 10, 50, 20), second);
  SetActiveWindow(first);
  Pump();
  ASSERT_EQ(GetActiveWindow(), first);
  ASSERT_EQ(GetFocus(), first);
  log.clear();
  spy = [&](HWND h, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_SETFOCUS && h == second) SetFocus(edit);  // a form handing focus to its control
  };
  display->Click({215, 15});
  Pump();
  std::vector<std::pair<HWND, UINT>> seen;
  for (auto& m : log) {
    if (m.msg == WM_MOUSEACTIVATE || m.msg == WM_NCACTIVATE || m.msg == WM_ACTIVATE || m.msg == WM_KILLFOCUS ||
        m.msg == WM_SETFOCUS || m.msg == WM_LBUTTONDOWN) {
      seen.emplace_back(m.hwnd, m.msg);
    }
  }
  const std::vector<std::pair<HWND, UINT>> want = {
      {edit, WM_MOUSEACTIVATE}, {second, WM_MOUSEACTIVATE},  // the child asks its parent
      {first, WM_NCACTIVATE},   {first, WM_ACTIVATE},         {second, WM_NCACTIVATE},
      {second, WM_ACTIVATE},    {first, WM_KILLFOCUS},        {second, WM_SETFOCUS},
      {second, WM_KILLFOCUS},   {edit, WM_SETFOCUS},          {edit, WM_LBUTTONDOWN},
  };
  EXPECT_EQ(seen, want);
  EXPECT_EQ(Find(second, WM_ACTIVATE)->w, static_cast<WPARAM>(WA_CLICKACTIVE));
  EXPECT_EQ(Find(first, WM_ACTIVATE)->l, reinterpret_cast<LPARAM>(second));
  EXPECT_EQ(GetFocus(), edit);
}

TEST_F(InputTest, DestroyingTheActiveWindowHandsTheActivationOn) {
  HWND first = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100));
  HWND second = Make(WS_POPUP | WS_VISIBLE, Bounds(200, 0, 100, 100));
  ASSERT_EQ(GetActiveWindow(), second);
  log.clear();
  DestroyWindow(second);
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), first);
  EXPECT_NE(Find(first, WM_ACTIVATE), nullptr);
  // An owned popup (a dialog) shown the ordinary way takes the activation.
  HWND dialog = Make(WS_POPUP, Bounds(50, 50, 40, 40), first);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), first);
  ShowWindow(dialog, SW_SHOW);
  EXPECT_EQ(GetActiveWindow(), dialog);
}

TEST_F(InputTest, CursorComesFromTheClassOrTheHitCode) {
  WNDCLASS cls;
  cls.lpfnWndProc = Proc;
  cls.hCursor = LoadCursor(nullptr, IDC_IBEAM);
  cls.lpszClassName = "WorldWindowIBeam";
  RegisterClass(&cls);
  HWND edit = Make(WS_POPUP | WS_VISIBLE | WS_THICKFRAME, Bounds(0, 0, 100, 100), nullptr, 0, 0, "WorldWindowIBeam");
  Pump();
  display->MouseMove({50, 50});
  EXPECT_EQ(StandardCursorId(display->CursorShape()), IDC_IBEAM);
  display->MouseMove({1, 50});
  EXPECT_EQ(StandardCursorId(display->CursorShape()), IDC_SIZEWE);
  display->MouseMove({99, 99});
  EXPECT_EQ(StandardCursorId(display->CursorShape()), IDC_SIZENWSE);
  (void)edit;
}

TEST_F(InputTest, PopupAnsweringNoActivateTakesTheClickButNotTheActivation) {
  HWND form = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 200, 200));
  SetActiveWindow(form);
  HWND popup = Make(WS_POPUP, Bounds(50, 50, 40, 40), nullptr, 0, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  answers[{popup, WM_MOUSEACTIVATE}] = MA_NOACTIVATE;
  SetWindowPos(popup, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Pump();
  log.clear();
  display->Click({60, 60});
  Pump();
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_NE(Find(popup, WM_LBUTTONDOWN), nullptr);
  EXPECT_EQ(Find(form, WM_ACTIVATE), nullptr);
}

TEST_F(InputTest, CaptureKeepsTheMouseUntilReleased) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 200, 200));
  HWND a = Make(WS_CHILD | WS_VISIBLE, Bounds(10, 10, 50, 50), top);
  HWND other = Make(WS_POPUP | WS_VISIBLE, Bounds(300, 0, 100, 100));
  Pump();
  SetCapture(a);
  log.clear();
  display->MouseMove({350, 20});  // over another window
  Pump();
  const TLoggedMessage* move = Find(a, WM_MOUSEMOVE);
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(ClientPoint(*move), Point(340, 10));
  EXPECT_EQ(Find(other, WM_MOUSEMOVE), nullptr);
  log.clear();
  SetCapture(top);
  EXPECT_NE(Find(a, WM_CAPTURECHANGED), nullptr) << "the window losing capture hears of it";
  ReleaseCapture();
  EXPECT_NE(Find(top, WM_CAPTURECHANGED), nullptr);
  log.clear();
  display->MouseMove({350, 20});
  Pump();
  EXPECT_NE(Find(other, WM_MOUSEMOVE), nullptr);
  // WM_CANCELMODE's default handling drops the capture.
  SetCapture(a);
  detail::CancelMode();
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, ShapedAndClickThroughWindowsLetClicksReachTheWindowBelow) {
  HWND below = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 300, 300));
  HWND shaped = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100));
  SetWindowRgn(shaped, CreateEllipticRgn(0, 0, 100, 100), FALSE);
  HWND glow = Make(WS_POPUP, Bounds(150, 150, 100, 100), nullptr, 0, WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW);
  ShowWindow(glow, SW_SHOWNA);
  HWND seeThrough = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 200, 50, 50));
  answers[{seeThrough, WM_NCHITTEST}] = HTTRANSPARENT;
  Pump();
  struct Case {
    TPoint at;
    HWND target;
    const char* why;
  } cases[] = {
      {{50, 50}, shaped, "inside the region"},
      {{3, 3}, below, "outside the region"},
      {{200, 200}, below, "click-through layered glow"},
      {{10, 210}, below, "HTTRANSPARENT"},
  };
  for (auto& k : cases) {
    SCOPED_TRACE(k.why);
    log.clear();
    display->Click(k.at);
    Pump();
    bool got = Find(k.target, WM_LBUTTONDOWN) != nullptr;
    EXPECT_TRUE(got);
  }
}

TEST_F(InputTest, DoubleClicksNeedTheClassStyleTheTimeAndThePlace) {
  TScopedTestClock clock;
  HWND plain = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100));
  HWND dbl = Make(WS_POPUP | WS_VISIBLE, Bounds(200, 0, 100, 100), nullptr, 0, 0, "WorldWindowDbl");
  struct Case {
    HWND h;
    TPoint second;
    std::uint64_t gap;
    bool want;
    const char* why;
  } cases[] = {
      {dbl, {210, 10}, 100, true, "quick, same place"},
      {dbl, {210, 10}, 600, false, "too slow"},
      {dbl, {230, 10}, 100, false, "moved too far"},
      {plain, {10, 10}, 100, false, "class without CS_DBLCLKS"},
  };
  for (auto& k : cases) {
    SCOPED_TRACE(k.why);
    TPoint first = k.h == dbl ? TPoint{210, 10} : TPoint{10, 10};
    clock.Advance(5000);  // forget earlier clicks
    log.clear();
    display->Click(first);
    clock.Advance(k.gap);
    display->Click(k.second);
    Pump();
    EXPECT_EQ(Find(k.h, WM_LBUTTONDBLCLK) != nullptr, k.want);
  }
}

TEST_F(InputTest, KeysAndTextGoToTheFocusWindow) {
  HWND form = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100));
  HWND edit = Make(WS_CHILD | WS_VISIBLE, Bounds(0, 0, 50, 20), form);
  SetFocus(edit);
  Pump();
  log.clear();
  display->KeyDown(VK_SHIFT);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  display->KeyDown('A');
  display->KeyUp('A');
  display->KeyUp(VK_SHIFT);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  Pump();
  display->Text("a中");
  Pump();
  std::vector<std::pair<UINT, WPARAM>> seen;
  for (auto& m : log) {
    if (m.hwnd == edit && (m.msg == WM_KEYDOWN || m.msg == WM_KEYUP || m.msg == WM_CHAR)) seen.emplace_back(m.msg, m.w);
  }
  const std::vector<std::pair<UINT, WPARAM>> want = {
      {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'A'}, {WM_CHAR, 'A'},  // the keyboard's character, once
      {WM_KEYUP, 'A'},        {WM_KEYUP, VK_SHIFT}, {WM_CHAR, 'a'}, {WM_CHAR, 0x4E2D}};
  EXPECT_EQ(seen, want);
  // Alt alone (and F10) ask the top-level for the keyboard menu.
  log.clear();
  display->KeyDown(VK_MENU);
  display->KeyUp(VK_MENU);
  display->KeyDown(VK_F10);
  display->KeyUp(VK_F10);
  Pump();
  int keyMenus = 0;
  for (auto& m : log) keyMenus += m.hwnd == form && m.msg == WM_SYSCOMMAND && m.w == SC_KEYMENU;
  EXPECT_EQ(keyMenus, 2);
  // The context-menu key asks with (-1, -1).
  log.clear();
  display->KeyDown(VK_APPS);
  display->KeyUp(VK_APPS);
  Pump();
  const TLoggedMessage* menu = Find(form, WM_CONTEXTMENU);
  ASSERT_NE(menu, nullptr) << "bubbles from the edit to its form";
  EXPECT_EQ(menu->l, -1);
}

TEST_F(InputTest, MouseLeaveIsPostedOnceWhenTheCursorLeaves) {
  HWND h = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100));
  Pump();
  display->MouseMove({10, 10});
  TRACKMOUSEEVENT tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = h;
  ASSERT_TRUE(TrackMouseEvent(&tme));
  log.clear();
  display->MouseMove({20, 20});
  display->MouseMove({200, 200});
  display->MouseMove({300, 300});
  Pump();
  EXPECT_EQ(MessagesOf(h, {WM_MOUSELEAVE}).size(), 1u);
}

TEST_F(InputTest, ModalLoopDisablesTheOtherWindowsUntilItEnds) {
  HWND owner = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 100, 100));
  HWND dialog = Make(WS_POPUP | WS_VISIBLE, Bounds(200, 0, 100, 100));
  bool done = false;
  bool ownerEnabledInside = true;
  // Input arrives while the loop runs: a click on the owner (ignored), then one on the dialog.
  display->Click({10, 10});
  display->Click({210, 10});
  spy = [&](HWND h, UINT msg, WPARAM, LPARAM) {
    if (h == dialog && msg == WM_LBUTTONUP) {
      ownerEnabledInside = IsWindowEnabled(owner);
      done = true;
    }
  };
  log.clear();
  RunModalLoop(dialog, [&] { return done; });
  EXPECT_TRUE(done);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner)) << "enabled again afterwards";
}

// A press on a window blocked by its modal dialog brings the dialog to the front and activates
// it (also the dialog's own message box, down the chain of owned windows); the blocked window
// hears nothing of the press.
TEST_F(InputTest, APressOnABlockedOwnerBringsItsModalDialogBack) {
  HWND owner = Make(WS_POPUP | WS_VISIBLE, Bounds(0, 0, 300, 300));
  HWND dialog = Make(WS_POPUP | WS_VISIBLE, Bounds(50, 50, 100, 100), owner);
  HWND box = Make(WS_POPUP, Bounds(400, 50, 100, 100), dialog);
  Pump();
  ASSERT_EQ(GetWindow(dialog, GW_OWNER), owner);
  EnableWindow(owner, FALSE);
  SetActiveWindow(nullptr);
  BringWindowToTop(owner);
  EXPECT_EQ(detail::ModalPopupOf(owner), dialog);
  EXPECT_EQ(detail::ModalPopupOf(dialog), nullptr) << "an enabled window waits for nothing";
  log.clear();
  display->Click({10, 250});
  Pump();
  EXPECT_EQ(GetActiveWindow(), dialog);
  HWND top = nullptr;
  EnumWindows([&](HWND h) {
    top = h;
    return false;
  });
  EXPECT_EQ(top, dialog) << "in front of its owner";
  EXPECT_TRUE(MessagesOf(owner, {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());

  // The dialog shows a message box of its own: the press on the owner reaches that box.
  ShowWindow(box, SW_SHOWNA);
  EnableWindow(dialog, FALSE);
  SetActiveWindow(nullptr);
  display->Click({10, 250});
  Pump();
  EXPECT_EQ(GetActiveWindow(), box);
  EnableWindow(dialog, TRUE);
  EnableWindow(owner, TRUE);
}

TEST_F(InputTest, CaptionDragOfAChildWindowMovesItInItsParentsCoordinates) {
  HWND parent = Make(WS_POPUP | WS_VISIBLE, Bounds(100, 100, 400, 300));
  HWND child = Make(WS_CHILD | WS_VISIBLE | WS_CAPTION, Bounds(20, 30, 150, 100), parent);
  Pump();
  TRect moving{};
  spy = [&](HWND h, UINT msg, WPARAM, LPARAM l) {
    if (h == child && msg == WM_MOVING) moving = *reinterpret_cast<TRect*>(l);
  };
  // The caption of the child lies at screen (120 .., 130 ..).
  display->MouseMove({160, 135});
  display->MouseDown({160, 135});
  display->MouseMove({175, 150});
  display->MouseUp({175, 150});
  Pump();
  // WM_MOVING carries screen coordinates; the child lands 15 pixels right and down in its parent.
  EXPECT_EQ(moving, Bounds(135, 145, 150, 100));
  TRect r;
  GetWindowRect(child, &r);
  EXPECT_EQ(r, Bounds(135, 145, 150, 100));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, CaptionDragMovesTheWindowThroughWmMovingWhoseRectangleTheHandlerMayChange) {
  HWND h = Make(WS_POPUP | WS_VISIBLE | WS_CAPTION, Bounds(100, 100, 200, 150));
  Pump();
  spy = [](HWND, UINT msg, WPARAM, LPARAM l) {
    if (msg == WM_MOVING) {
      auto* r = reinterpret_cast<TRect*>(l);
      int snapped = r->Left / 10 * 10;  // snap to a 10-pixel grid
      r->Right += snapped - r->Left;
      r->Left = snapped;
    }
  };
  log.clear();
  display->MouseMove({150, 110});
  display->MouseDown({150, 110});
  display->MouseMove({170, 120});
  display->MouseMove({187, 140});
  display->MouseUp({187, 140});
  Pump();
  TRect r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, Bounds(130, 130, 200, 150));
  EXPECT_EQ(MessagesOf(h, {WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}), (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}));
  EXPECT_GE(MessagesOf(h, {WM_MOVING}).size(), 2u);
  EXPECT_EQ(GetCapture(), nullptr);

  // The bottom-right corner sizes, kept at least at the minimum tracking size.
  spy = [](HWND, UINT msg, WPARAM, LPARAM l) {
    if (msg == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(l)->ptMinTrackSize = {150, 120};
  };
  SetWindowLongPtr(h, GWL_STYLE, GetWindowLongPtr(h, GWL_STYLE) | WS_THICKFRAME);
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  log.clear();
  display->MouseMove({329, 279});
  display->MouseDown({329, 279});
  display->MouseMove({200, 200});
  display->MouseUp({200, 200});
  Pump();
  GetWindowRect(h, &r);
  EXPECT_EQ(r, Bounds(130, 130, 150, 120));
  EXPECT_FALSE(MessagesOf(h, {WM_SIZING}).empty());
}

}  // namespace
