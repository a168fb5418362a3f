// The notification-area icon on the headless display's fake tray: single and double clicks, the
// icon back after the tray restarts, the popup menu, the icon cycle, balloons, and the
// application hidden to the tray by the form skinner and brought back.

#include "lib/controls/vlTrayIcon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Icon.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Screen.h"
#include "tests/lib/ClockedFormWorld.h"

namespace {

class TrayIconTest : public ClockedFormWorld {
 protected:
  void SetUp() override {
    ClockedFormWorld::SetUp();
    display->Tray().Start();
    Run();
  }
  void TearDown() override {
    forms.clear();
    Run();
    display->Tray().Stop();
    ClockedFormWorld::TearDown();
  }

  // The main form, skinned, at (100, 80), 300 x 200, shown, with a tray icon owned by it.
  void MakeMainForm() {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBoundsRect(TRect{100, 80, 400, 280});
    forms.emplace_back(f);
    app.SetMainForm(f);
    skinner = new TvlVelmora(f);
    tray = new TvlTrayIcon(f);
    tray->OnClick = [this](TObject*) { log.push_back("click"); };
    tray->OnDblClick = [this](TObject*) { log.push_back("double"); };
    tray->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("down"); };
    tray->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
    f->Show();
    tray->SetIconVisible(true);  // made in code: nothing streamed in, no Loaded
    Run();
  }
  bool Shown() const {
    for (const auto& i : display->Tray().Icons())
      if (i.hwnd == tray->Handle()) return true;
    return false;
  }
  void Click(UINT Down = WM_LBUTTONDOWN) {
    display->Tray().Click(tray->Handle(), 1, Down);
    Run();
  }

  TvlVelmora* skinner = nullptr;
  TvlTrayIcon* tray = nullptr;
  std::vector<std::string> log;
};

TEST_F(TrayIconTest, ASingleClickIsReportedAfterTheDoubleClickTimeADoubleClickOnlyAsSuch) {
  MakeMainForm();
  ASSERT_TRUE(Shown());
  Click();
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up"}));
  Wait(static_cast<int>(GetDoubleClickTime()) + 10);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up", "click"}));

  log.clear();
  Click();
  Click();
  Wait(static_cast<int>(GetDoubleClickTime()) + 10);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up", "double", "up"}));

  // A release after the double-click time reports the click at once.
  log.clear();
  display->Tray().Mouse(tray->Handle(), 1, WM_LBUTTONDOWN);
  Run();
  Wait(static_cast<int>(GetDoubleClickTime()) + 10);
  display->Tray().Mouse(tray->Handle(), 1, WM_LBUTTONUP);
  Run();
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click", "up"}));

  // Disabled, the icon reports nothing and opens nothing.
  log.clear();
  tray->Enabled = false;
  Click();
  Click(WM_RBUTTONDOWN);
  Wait(static_cast<int>(GetDoubleClickTime()) + 10);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);
}

TEST_F(TrayIconTest, TheIconComesBackWhenTheTrayRestarts) {
  MakeMainForm();
  ASSERT_TRUE(Shown());
  display->Tray().Stop();
  EXPECT_FALSE(Shown());
  display->Tray().Start();
  Run();
  EXPECT_TRUE(Shown());
  // A hidden icon stays away.
  tray->SetIconVisible(false);
  display->Tray().Stop();
  display->Tray().Start();
  Run();
  EXPECT_FALSE(Shown());
}

TEST_F(TrayIconTest, TheRightButtonOpensTheSkinnedMenuAndADoubleClickRunsItsDefaultItem) {
  MakeMainForm();
  auto* menu = new TvlSkinPopupMenu(skinner->Form());
  auto* open = new TMenuItem(menu);
  open->SetCaption("显示主窗口");
  open->SetDefault(true);
  open->OnClick = [this](TObject*) { log.push_back("default"); };
  menu->Items()->Add(open);
  tray->SetPopupMenu(menu);
  Click(WM_RBUTTONDOWN);
  ASSERT_EQ(skinner->SkinMenu->LevelCount(), 1);
  EXPECT_EQ(skinner->SkinMenu->Level(0)->ItemList[0]->MenuItem(), open);
  skinner->SkinMenu->Hide();
  Run();
  log.clear();
  Click();
  Click();
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up", "double", "default", "up"}));
}

TEST_F(TrayIconTest, CyclingIconsReportsTheNextIndex) {
  MakeMainForm();
  TImageList icons(nullptr);
  icons.SetWidth(16);
  icons.SetHeight(16);
  for (TColor c : {clRed, clGreen, clBlue}) {
    TBitmap b;
    b.SetWidth(16);
    b.SetHeight(16);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect(TRect{0, 0, 16, 16});
    icons.Add(&b, nullptr);
  }
  std::vector<int> next;
  tray->OnCycle = [&](TObject*, int Next) { next.push_back(Next); };
  tray->SetIconList(&icons);
  tray->SetAnimateTimerInterval(100);
  tray->SetCycleIcons(true);
  Wait(400);
  EXPECT_EQ(next, (std::vector<int>{1, 2, 0, 1}));
  EXPECT_EQ(tray->IconIndex(), 1);
  tray->SetCycleIcons(false);
  tray->SetIconIndex(7);  // past the end: the last image
  EXPECT_EQ(tray->IconIndex(), 2);
  tray->SetIconList(nullptr);
}

TEST_F(TrayIconTest, BalloonTextsAreCutToTheirFields) {
  MakeMainForm();
  const std::string title(70, 'T');
  std::string text;
  for (int i = 0; i < 300; ++i) text += "转";
  EXPECT_TRUE(tray->ShowBalloonHint(title, text, TvlBalloonHintIcon::vlbitWarning));
  EXPECT_NE(detail::TrayBalloonWindow(tray->Handle(), 1), nullptr);
  EXPECT_EQ(tray->IconData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(tray->IconData().szInfoTitle, std::string(63, 'T'));
  EXPECT_EQ(tray->IconData().szInfo.size(), 255u * 3);
  EXPECT_EQ(tray->IconData().dwInfoFlags, NIIF_WARNING);
  EXPECT_TRUE(tray->HideBalloonHint());
  EXPECT_EQ(detail::TrayBalloonWindow(tray->Handle(), 1), nullptr);
  tray->SetHint(std::string(200, 'h'));
  EXPECT_EQ(tray->IconData().szTip.size(), 127u);
}

TEST_F(TrayIconTest, TheApplicationHidesToTheTrayAndComesBack) {
  MakeMainForm();
  tray->OnDblClick = nullptr;
  skinner->SetTrayIcon(tray);
  EXPECT_FALSE(Shown()) << "the icon shows only while minimized to the tray";
  EXPECT_EQ(tray->PopupMenu(), skinner->SysTrayMenu());
  ASSERT_TRUE(tray->OnDblClick) << "a double click restores by default";
  TCustomForm* form = skinner->Form();

  skinner->MinimizeToTray();
  Run();
  EXPECT_TRUE(Shown());
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(form->Tag, -10000);

  // A double click on the icon brings the form back in its normal state; the icon goes.
  Click();
  Click();
  Run();
  EXPECT_TRUE(form->Visible());
  EXPECT_NE(form->WindowState(), TWindowState::wsMinimized);
  EXPECT_FALSE(Shown());
  EXPECT_EQ(form->Tag, 0) << "the form skinner took the tray's mark off";
  EXPECT_FALSE(app.Minimized());
}

TEST_F(TrayIconTest, WithoutATrayTheApplicationOnlyMinimizes) {
  MakeMainForm();
  skinner->SetTrayIcon(tray);
  display->Tray().Stop();
  Run();
  skinner->MinimizeToTray();
  Run();
  EXPECT_TRUE(skinner->Form()->Visible()) << "a hidden form could never be reached again";
  EXPECT_TRUE(app.Minimized());
  EXPECT_NE(skinner->Form()->Tag, -10000);
  // Once a tray starts the icon shows, and the restore menu item brings the form back.
  display->Tray().Start();
  Run();
  EXPECT_TRUE(Shown());
  skinner->RestoreFromTray();
  Run();
  EXPECT_FALSE(app.Minimized());
  EXPECT_FALSE(Shown());
}

TEST_F(TrayIconTest, MinimizedOnStartShowsTheIconInsteadOfTheMainForm) {
  MakeMainForm();
  tray->SetIconVisible(false);
  tray->MinimizeToTray = false;
  tray->MinimizedOnStart = true;
  tray->Loaded();
  EXPECT_TRUE(Shown());
  EXPECT_TRUE(tray->MinimizeToTray);
  EXPECT_FALSE(app.ShowMainForm);
}

TEST_F(TrayIconTest, ABitmapBecomesASixteenPixelIconWithItsMaskColourClear) {
  MakeMainForm();
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf24bit);
  b.SetWidth(16);
  b.SetHeight(16);
  b.Canvas()->Brush()->SetColor(clFuchsia);
  b.Canvas()->FillRect(TRect{0, 0, 16, 16});
  b.Canvas()->Brush()->SetColor(clNavy);
  b.Canvas()->FillRect(TRect{4, 4, 12, 12});
  TIcon icon;
  ASSERT_TRUE(tray->BitmapToIcon(&b, &icon, clFuchsia));
  ASSERT_EQ(icon.Width(), 16);
  ASSERT_EQ(icon.Height(), 16);
  const auto& px = icon.Pixels();
  EXPECT_EQ(px[3], 0) << "the mask colour is transparent";
  EXPECT_EQ(px[(8 * 16 + 8) * 4 + 3], 255);
  tray->SetIcon(&icon);
  EXPECT_NE(tray->IconData().hIcon, nullptr);
}

}  // namespace
