// A skinned MDI main form in the program's skin 1: the main menu bar with the caption buttons of
// its maximized child, the MDI tabs bar with one tab per child (the active one marked, close
// buttons on), and the maximized child filling the client area, compared with the expected
// picture.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/data/vlDataSkinControls.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "lib/forms/vlSkinMDITabsBar.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedTestForm.h"
#include "tests/platform/FormFixture.h"

namespace {

class SkinnedMDITest : public FormWorld {
 protected:
  void SetUp() override {
    FormWorld::SetUp();
    vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
    ASSERT_FALSE(skin.Empty);
  }
  void TearDown() override {
    app.SetMainForm(nullptr);
    FormWorld::TearDown();
  }
  static void Item(TMenuItem* Parent, const char* Caption) {
    auto* i = new TMenuItem(Parent);
    i->SetCaption(Caption);
    Parent->Add(i);
  }

  TvlSkinData skin{nullptr};
};

TEST_F(SkinnedMDITest, AMainFormWithTabsAndAMaximizedChildMatchesTheExpectedPicture) {
  TScopedTestClock clock;
  constexpr int W = 560, H = 380;
  TForm* main = CreateForm<TForm>(nullptr);
  forms.emplace_back(main);
  main->SetFormStyle(TFormStyle::fsMDIForm);
  main->SetBoundsRect(TRect{0, 0, W, H});
  main->SetCaption("批量转换");
  auto* skinner = new TvlVelmora(main);
  skinner->SetSkinData(&skin);
  app.SetMainForm(main);

  auto* menu = new TvlSkinMainMenu(main);
  for (const char* c : {"文件(&F)", "任务(&T)", "窗口(&W)", "帮助(&H)"}) Item(menu->Items(), c);
  auto* menuBar = new TvlSkinMainMenuBar(main);
  menuBar->SetParent(main);
  menuBar->SetSkinData(&skin);
  menuBar->SetVelmora(skinner);
  menuBar->SetMainMenu(menu);
  skinner->SetMainMenuBar(menuBar);

  auto* tabs = new TvlSkinMDITabsBar(main);
  tabs->SetParent(main);
  tabs->SetAlign(TAlign::alTop);
  tabs->SetTop(100);
  tabs->SetSkinData(&skin);
  tabs->SetShowCloseButtons(true);
  tabs->SetDefaultTabWidth(120);
  tabs->SetVelmora(skinner);
  skinner->SetMDITabsBar(tabs);
  main->Show();
  Pump();

  const char* captions[] = {"片段一.mp4", "会议记录.avi", "旅行视频 - 第二部分.mkv"};
  TForm* last = nullptr;
  for (int i = 0; i < 3; ++i) {
    TForm* child = CreateForm<TForm>(nullptr);
    forms.emplace_back(child);
    child->SetFormStyle(TFormStyle::fsMDIChild);
    child->SetName("Clip" + std::to_string(i));
    child->SetCaption(captions[i]);
    child->SetBounds(20 * i, 20 * i, 300, 200);
    auto* label = new TvlSkinStdLabel(child);
    label->SetParent(child);
    label->SetSkinData(&skin);
    label->SetCaption(std::string("输出: ") + captions[i]);
    label->SetBounds(16, 16, 300, 18);
    auto* childSkinner = new TvlVelmora(child);
    childSkinner->SetSkinData(&skin);
    child->Show();
    Pump();
    last = child;
  }
  vlFindSkinForm(last)->SetWindowState(TWindowState::wsMaximized);
  for (int i = 0; i < 3; ++i) {
    clock.Advance(50);
    Pump();
  }
  ASSERT_TRUE(menuBar->ChildButtonsShown());
  ASSERT_EQ(tabs->TabCount(), 3);
  const auto pixels = skinned_test_form::Shot(display, TRect{0, 0, W, H});
  forms.clear();
  Pump();
  skinned_test_form::CompareWithExpected(pixels, W, H, SKIN_EXPECTED_DIR, "main_skin_mdi");
}

// A skin whose menu bar names a minimize object it lacks: that place gets the built-in minimize
// button, never a second close button.
TEST_F(SkinnedMDITest, AMenuBarButtonTheSkinLacksIsBuiltInWithItsOwnCommand) {
  auto* element = dynamic_cast<TvlDataSkinMainMenuBar*>(vlControlElement(&skin, vlFindControlElement(&skin, "mainmenubar")));
  ASSERT_NE(element, nullptr);
  element->MinButton = "nosuchbutton";
  TForm* main = CreateForm<TForm>(nullptr);
  forms.emplace_back(main);
  main->SetFormStyle(TFormStyle::fsMDIForm);
  main->SetBoundsRect(TRect{0, 0, 400, 300});
  auto* skinner = new TvlVelmora(main);
  skinner->SetSkinData(&skin);
  app.SetMainForm(main);
  auto* menuBar = new TvlSkinMainMenuBar(main);
  menuBar->SetParent(main);
  menuBar->SetSkinData(&skin);
  menuBar->SetVelmora(skinner);
  skinner->SetMainMenuBar(menuBar);
  main->Show();
  TForm* child = CreateForm<TForm>(nullptr);
  forms.emplace_back(child);
  child->SetFormStyle(TFormStyle::fsMDIChild);
  (new TvlVelmora(child))->SetSkinData(&skin);
  child->Show();
  Pump();
  vlFindSkinForm(child)->SetWindowState(TWindowState::wsMaximized);
  Pump();
  ASSERT_TRUE(menuBar->ChildButtonsShown());
  TvlSkinMainMenuBarButton* minimize = menuBar->ChildButton(TvlStdCommand::cmMinimize);
  ASSERT_NE(minimize, nullptr);
  EXPECT_FALSE(minimize->FSkinSupport);
  EXPECT_TRUE(menuBar->ChildButton(TvlStdCommand::cmClose)->FSkinSupport) << "the others from the skin";
  int closes = 0;
  for (std::size_t i = 0; i < 4; ++i)
    closes += dynamic_cast<TvlSkinMainMenuBarButton*>(menuBar->ObjectList[i].get())->Command == TvlStdCommand::cmClose;
  EXPECT_EQ(closes, 1);
}

// The tabs bar's looks side by side: skin tabs at the skin's size, skin tabs stretched to the bar
// (the active one taller), skin buttons, and the built-in look with close buttons; the second
// tab active, the third hovered.
TEST_F(SkinnedMDITest, TabsBarLooksMatchTheExpectedPicture) {
  constexpr int W = 420, H = 150;
  std::vector<std::unique_ptr<TForm>> clips;
  for (const char* caption : {"片段一.mp4", "会议记录.avi", "旅行视频.mkv"}) {
    clips.emplace_back(CreateForm<TForm>(nullptr));
    clips.back()->SetCaption(caption);
  }
  skinned_test_form::RenderFormAndCompare(
      display, W, H,
      [&](TForm* form) {
        skinned_test_form::AddBackground(form, nullptr, W, H);
        const auto add = [&](int top, TvlSkinData* data, TvlSkinMDITabKind kind, bool skinSize, bool close) {
          auto* bar = new TvlSkinMDITabsBar(form);
          bar->SetParent(form);
          bar->SetTabKind(kind);
          bar->SetUseSkinSize(skinSize);
          bar->SetShowCloseButtons(close);
          bar->SetSkinData(data);
          bar->SetBounds(10, top, 400, skinSize || data == nullptr ? bar->Height() : 28);
          for (auto& c : clips) bar->AddTab(c.get());
          bar->Tabs(1)->Active = true;
          bar->Tabs(2)->MouseIn = true;
        };
        add(8, &skin, TvlSkinMDITabKind::vltkTab, true, false);
        add(42, &skin, TvlSkinMDITabKind::vltkTab, false, true);
        add(80, &skin, TvlSkinMDITabKind::vltkButton, true, true);
        add(116, nullptr, TvlSkinMDITabKind::vltkTab, true, true);
      },
      nullptr, SKIN_EXPECTED_DIR, "main_skin_mdi_tabs");
}

}  // namespace
