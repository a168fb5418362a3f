// Arranging the children of a skinned MDI parent: tile by columns from the bottom right, cascade
// by caption steps, the client area left by aligned controls, and the whole-family commands.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "lib/Velmora.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/ExtCtrls.h"
#include "tests/lib/ClockedFormWorld.h"

namespace {

class VelmoraMDITest : public ClockedFormWorld {
 protected:
  // A built-in-look MDI parent as the main form, with Count built-in-look children shown.
  TvlVelmora* Parent(int Count, TRect r = TRect{0, 0, 640, 480}) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetFormStyle(TFormStyle::fsMDIForm);
    f->SetBorderStyle(TFormBorderStyle::bsSizeable);
    f->SetBoundsRect(r);
    f->SetCaption("转换任务");
    forms.emplace_back(f);
    auto* v = new TvlVelmora(f);
    windowMenu = new TMenuItem(f);
    windowMenu->SetCaption("窗口");
    f->SetWindowMenu(windowMenu);
    app.SetMainForm(f);
    f->Show();
    Run();
    for (int i = 0; i < Count; ++i) {
      auto* child = CreateForm<TForm>(nullptr);
      child->SetFormStyle(TFormStyle::fsMDIChild);
      child->SetBorderStyle(TFormBorderStyle::bsSizeable);
      child->SetBounds(10, 10, 200, 150);
      child->SetName("Child" + std::to_string(i));
      child->SetCaption("任务" + std::to_string(i));
      forms.emplace_back(child);
      new TvlVelmora(child);
      child->Show();
      children.push_back(child);
    }
    Run();
    return v;
  }

  void TearDown() override {
    app.SetMainForm(nullptr);
    ClockedFormWorld::TearDown();
  }

  // The window menu's items as "caption" or "caption*" for the checked one.
  [[nodiscard]] std::vector<std::string> MenuItems() const {
    std::vector<std::string> out;
    for (int i = 0; i < windowMenu->Count(); ++i)
      out.push_back(windowMenu->Items(i)->Caption() + (windowMenu->Items(i)->Checked() ? "*" : ""));
    return out;
  }

  std::vector<TForm*> children;
  TMenuItem* windowMenu = nullptr;
};

TEST_F(VelmoraMDITest, TileWithFiveChildrenMakesTwoColumnsOfThreeAndTwo) {
  TvlVelmora* v = Parent(5);
  const TRect area = TvlVelmora::GetMDIClientArea();
  const int w = area.Width(), h = area.Height();
  ASSERT_GT(w, 0);
  v->Tile();
  // Right column: children 4, 3, 2 from the bottom; left column: 1, 0. Rows are laid from the
  // bottom, so a height that does not divide leaves its remainder at the top.
  const int r3 = h / 3, r2 = h / 2, x = w - w / 2;
  const TRect expected[] = {
      {0, h - 2 * r2, w / 2, h - r2},
      {0, h - r2, w / 2, h},
      {x, h - 3 * r3, w, h - 2 * r3},
      {x, h - 2 * r3, w, h - r3},
      {x, h - r3, w, h},
  };
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(children[static_cast<std::size_t>(i)]->BoundsRect(), expected[i]);
  }
}

TEST_F(VelmoraMDITest, CascadeStepsByTheCaptionFromTheLastChild) {
  TvlVelmora* v = Parent(3);
  const TRect area = TvlVelmora::GetMDIClientArea();
  const int w = area.Width(), h = area.Height();
  const int s = v->DefCaptionHeight() + 3;
  const int d = (w - static_cast<int>(std::lround(w * 0.8))) / s;
  ASSERT_GT(d, 3) << "the case where the count limits the steps";
  v->Cascade();
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const int o = (2 - i) * s;
    EXPECT_EQ(children[static_cast<std::size_t>(i)]->BoundsRect(), (TRect{o, o, o + w - 2 * s, o + h - 2 * s}));
  }
}

TEST_F(VelmoraMDITest, ClientAreaLeavesOutAlignedControls) {
  Parent(0);
  TForm* main = forms.front().get();
  auto* top = new TPanel(main);
  top->SetParent(main);
  top->SetHeight(30);
  top->SetAlign(TAlign::alTop);
  auto* left = new TPanel(main);
  left->SetParent(main);
  left->SetWidth(50);
  left->SetAlign(TAlign::alLeft);
  auto* hidden = new TPanel(main);
  hidden->SetParent(main);
  hidden->SetAlign(TAlign::alBottom);
  hidden->Hide();
  EXPECT_EQ(TvlVelmora::GetMDIClientArea(), (TRect{50, 30, main->ClientWidth(), main->ClientHeight()}));
}

TEST_F(VelmoraMDITest, StateCommandsReachEveryChildAndCloseAllEmptiesTheParent) {
  TvlVelmora* v = Parent(3);
  v->MinimizeAll();
  for (TForm* c : children) EXPECT_EQ(vlFindSkinForm(c)->WindowState(), TWindowState::wsMinimized);
  v->MaximizeAll();
  for (TForm* c : children) EXPECT_EQ(vlFindSkinForm(c)->WindowState(), TWindowState::wsMaximized);
  EXPECT_NE(vlFindMaximizedMDIChildSkinForm(), nullptr);
  v->RestoreAll();
  for (TForm* c : children) EXPECT_EQ(vlFindSkinForm(c)->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(vlFindMaximizedMDIChildSkinForm(), nullptr);
  EXPECT_EQ(vlFindActiveMDIChildSkinForm(), vlFindSkinForm(v->Form()->ActiveMDIChild()));
  for (TForm* c : children) c->OnClose = [](TObject*, TCloseAction& a) { a = TCloseAction::caHide; };
  v->CloseAll();
  Run();
  for (TForm* c : children) EXPECT_FALSE(c->Visible());
}

TEST_F(VelmoraMDITest, WindowMenuListsShownChildrenAndFollowsThem) {
  Parent(3);
  EXPECT_EQ(MenuItems(), (std::vector<std::string>{"任务0", "任务1", "任务2*"}));
  EXPECT_EQ(windowMenu->Items(0)->Name(), "Child0_VMRCHILDITEM");
  children[1]->SetCaption("预览");
  Run();
  EXPECT_EQ(windowMenu->Items(1)->Caption(), "预览");
  windowMenu->Items(0)->Click();
  Run();
  EXPECT_EQ(forms.front()->ActiveMDIChild(), children[0]);
  EXPECT_EQ(MenuItems(), (std::vector<std::string>{"任务0*", "预览", "任务2"}));
  for (TForm* c : children) c->Hide();
  Run();
  EXPECT_EQ(windowMenu->Count(), 0) << "the last child takes every child item with it";
}

}  // namespace
