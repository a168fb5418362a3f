// Icons in the notification area, on the headless display's fake tray: adding needs a running
// area, icons are unique per window and id, clicks and double clicks reach the callback, a tray
// that comes back asks the program's windows to add their icons again ("TaskbarCreated"), and
// balloons and tips are popups of the program's own with the usual notifications.

#include "tests/platform/WindowFixture.h"

#include "platform/core/Clock.h"
#include "platform/graphics/Icon.h"
#include "tests/support/ImageCompare.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/NotifyIcon.h"

namespace {

constexpr UINT kCallback = WM_USER + 1024;

class NotifyIconTest : public WindowWorld {
 protected:
  void SetUp() override {
    WindowWorld::SetUp();
    owner = Make(WS_POPUP, Bounds(0, 0, 10, 10));  // hidden, as a program's utility window
  }
  void TearDown() override {
    tray().Stop();
    WindowWorld::TearDown();
  }
  THeadlessTray& tray() { return display->Tray(); }

  NOTIFYICONDATA Data(UINT id = 1) const {
    NOTIFYICONDATA d;
    d.hWnd = owner;
    d.uID = id;
    d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    d.uCallbackMessage = kCallback;
    d.szTip = "格式转换";
    return d;
  }

  // The mouse messages the callback carried, in order.
  std::vector<LPARAM> Callbacks() {
    Pump();
    std::vector<LPARAM> out;
    for (auto& m : log) {
      if (m.hwnd == owner && m.msg == kCallback) out.push_back(m.l);
    }
    return out;
  }

  HWND owner = nullptr;
};

TEST_F(NotifyIconTest, IconsNeedARunningAreaAndAreUniquePerWindowAndId) {
  NOTIFYICONDATA d = Data();
  EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &d)) << "no notification area runs";
  EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &d));
  EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, nullptr));

  tray().Start();
  EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &d));
  EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &d)) << "the same window and id twice";
  NOTIFYICONDATA second = Data(2);
  EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &second));
  ASSERT_EQ(tray().Icons().size(), 2u);
  EXPECT_GT(tray().Icons()[0].image.width, 0) << "without an icon: the program's glyph";
  EXPECT_EQ(tray().Icons()[0].image.bgra.size(),
            static_cast<std::size_t>(tray().Icons()[0].image.width * tray().Icons()[0].image.height * 4));

  // An icon handle's own picture is shown.
  std::vector<std::uint8_t> pixels(16 * 16 * 4, 0x80);
  HICON icon = CreateIconFromPixels(16, 16, pixels.data());
  ASSERT_NE(icon, nullptr);
  second.uFlags = NIF_ICON;
  second.hIcon = icon;
  EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &second));
  EXPECT_EQ(tray().Icons()[1].image.width, 16);
  EXPECT_EQ(tray().Icons()[1].image.bgra, pixels);
  DestroyIcon(icon);

  d.szTip = "新提示";
  d.uFlags = NIF_TIP;
  EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &d));
  EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &d));
  EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &d)) << "already gone";
  EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &d));
  EXPECT_EQ(tray().Icons().size(), 1u);
  EXPECT_FALSE(Shell_NotifyIcon(7, &second)) << "an unknown command";
}

TEST_F(NotifyIconTest, ClicksAndDoubleClicksReachTheCallback) {
  TScopedTestClock clock;
  tray().Start();
  NOTIFYICONDATA d = Data();
  ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &d));
  log.clear();
  tray().Click(owner, 1);
  tray().Click(owner, 1);
  EXPECT_EQ(Callbacks(), (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
  auto cb = std::find_if(log.begin(), log.end(), [&](auto& m) { return m.msg == kCallback; });
  EXPECT_EQ(cb->w, 1u) << "wParam names the icon";

  log.clear();
  tray().Click(owner, 1);
  clock.Advance(GetDoubleClickTime() + 1);
  tray().Click(owner, 1);
  tray().Click(owner, 1, WM_RBUTTONDOWN);
  EXPECT_EQ(Callbacks(), (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                                              WM_RBUTTONDOWN, WM_RBUTTONUP}))
      << "too late for a double click; another button starts over";

  // Without NIF_MESSAGE the window asked for no mouse messages.
  NOTIFYICONDATA quiet = Data(3);
  quiet.uFlags = NIF_ICON;
  ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &quiet));
  log.clear();
  tray().Click(owner, 3);
  EXPECT_TRUE(Callbacks().empty());
}

TEST_F(NotifyIconTest, ATrayThatComesBackAsksForTheIconsAgain) {
  const UINT taskbarCreated = RegisterWindowMessage("TaskbarCreated");
  HWND form = Make(WS_POPUP | WS_VISIBLE, Bounds(50, 50, 100, 80));
  tray().Start();
  Pump();
  EXPECT_EQ(MessagesOf(owner, {taskbarCreated}).size(), 1u) << "every top-level, hidden ones too";
  EXPECT_EQ(MessagesOf(form, {taskbarCreated}).size(), 1u);
  NOTIFYICONDATA d = Data();
  ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &d));

  tray().Stop();
  EXPECT_TRUE(tray().Icons().empty());
  EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &d)) << "the icon went with the tray";
  log.clear();
  tray().Start();
  Pump();
  EXPECT_EQ(MessagesOf(owner, {taskbarCreated}).size(), 1u);
  EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &d)) << "added again, as the owner does on TaskbarCreated";
  EXPECT_EQ(tray().Icons().size(), 1u);
}

TEST_F(NotifyIconTest, BalloonsShowByTheIconAndReportHowTheyEnd) {
  TScopedTestClock clock;
  tray().Start();
  NOTIFYICONDATA d = Data();
  ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &d));
  log.clear();

  d.uFlags = NIF_INFO;
  d.szInfoTitle = std::string(70, 'T');
  d.szInfo = "转换完成：共 3 个文件，已保存到输出文件夹。";
  d.dwInfoFlags = NIIF_INFO;
  ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &d));
  Pump();
  HWND balloon = detail::TrayBalloonWindow(owner, 1);
  ASSERT_NE(balloon, nullptr);
  EXPECT_TRUE(IsWindowVisible(balloon));
  EXPECT_EQ(GetWindowText(balloon).size(), kNotifyInfoTitleChars) << "the title is cut to 63 characters";
  TRect b, icon = tray().IconRect(owner, 1);
  GetWindowRect(balloon, &b);
  EXPECT_LE(b.Bottom, icon.Top) << "above an icon at the bottom of the screen";
  EXPECT_LE(b.Right, 800);
  EXPECT_EQ(GetActiveWindow() == balloon, false) << "a balloon never takes the activation";
  auto shot = display->Screenshot(RGB(200, 205, 210));
  SaveSurfacePng(::testing::TempDir() + "notify_balloon.png", shot->Row(0), shot->Width(), shot->Height(),
                 static_cast<int>(shot->Stride()), false);

  // Clicked: the owner hears it and the balloon goes.
  display->Click({b.Left + 20, b.Top + 20});
  Pump();
  EXPECT_FALSE(IsWindow(balloon));
  EXPECT_EQ(Callbacks(), (std::vector<LPARAM>{NIN_BALLOONSHOW, NIN_BALLOONUSERCLICK}));

  // Left alone: it times out (at least ten seconds).
  log.clear();
  d.szInfoTitle = "提示";
  d.uTimeout = 1;
  ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &d));
  clock.Advance(9000);
  Pump();
  EXPECT_NE(detail::TrayBalloonWindow(owner, 1), nullptr);
  clock.Advance(1001);
  Pump();
  EXPECT_EQ(detail::TrayBalloonWindow(owner, 1), nullptr);
  EXPECT_EQ(Callbacks(), (std::vector<LPARAM>{NIN_BALLOONSHOW, NIN_BALLOONTIMEOUT}));

  // Replaced, emptied or removed with its icon: hidden.
  log.clear();
  ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &d));
  ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &d));
  d.szInfo.clear();
  ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &d));
  EXPECT_EQ(detail::TrayBalloonWindow(owner, 1), nullptr);
  d.szInfo = "再见";
  ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &d));
  ASSERT_TRUE(Shell_NotifyIcon(NIM_DELETE, &d));
  EXPECT_EQ(detail::TrayBalloonWindow(owner, 1), nullptr);
  EXPECT_EQ(Callbacks(), (std::vector<LPARAM>{NIN_BALLOONSHOW, NIN_BALLOONHIDE, NIN_BALLOONSHOW, NIN_BALLOONHIDE,
                                              NIN_BALLOONSHOW, NIN_BALLOONHIDE}));
}

TEST_F(NotifyIconTest, TheTipShowsWhenThePointerRestsAndGoesWhenItLeaves) {
  TScopedTestClock clock;
  tray().Start();
  NOTIFYICONDATA d = Data();
  d.szTip = std::string(200, 'x');
  ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &d));
  tray().Mouse(owner, 1, WM_MOUSEMOVE);
  Pump();
  HWND tip = detail::TrayTipWindow();
  ASSERT_NE(tip, nullptr);
  EXPECT_FALSE(IsWindowVisible(tip)) << "not at once";
  clock.Advance(600);
  Pump();
  EXPECT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(GetWindowText(tip).size(), kNotifyTipChars);
  tray().Leave(owner, 1);
  EXPECT_FALSE(IsWindow(tip));
  EXPECT_EQ(detail::TrayTipWindow(), nullptr);
}

}  // namespace
