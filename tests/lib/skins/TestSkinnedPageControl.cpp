// The skinned page control drawn from the program's skin 1 with its tabs on each of the four
// sides (close buttons on the top one, horizontal text on the right one) and in the built-in
// look, compared with the expected picture; and a close button of the skin closing its page.

#include <gtest/gtest.h>

#include <string>

#include "lib/vlSkinData.h"
#include "lib/vlSkinTabs.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/HeadlessDisplay.h"
#include "platform/StdCtrls.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedTestForm.h"

namespace {

class SkinnedPageControlScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    display->MouseMove({799, 599});
    vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
    ASSERT_FALSE(skin.Empty);
  }

  // A page control with the usual three pages of the preset window.
  static TvlSkinPageControl* AddPages(TForm* form, TRect r, TTabPosition position, TvlSkinData* data) {
    auto* pc = new TvlSkinPageControl(form);
    pc->SetParent(form);
    pc->SetBoundsRect(r);
    pc->SetTabPosition(position);
    for (const char* caption : {"视频", "音频", "字幕"}) {
      auto* sheet = new TvlSkinTabSheet(form);
      sheet->SetCaption(caption);
      sheet->SetPageControl(pc);
      auto* label = new TLabel(form);
      label->SetParent(sheet);
      label->SetCaption(std::string(caption) + "参数");
      label->SetTransparent(true);
      label->SetBounds(12, 12, 120, 18);
    }
    pc->SetSkinData(data);
    pc->SetActivePageIndex(1);
    return pc;
  }

  TApplication app{nullptr};
  THeadlessDisplay* display = nullptr;
  TvlSkinData skin{nullptr};
};

TEST_F(SkinnedPageControlScreenTest, TabsOnEverySideMatchTheExpectedPicture) {
  skinned_test_form::RenderFormAndCompare(
      display, 620, 420,
      [&](TForm* form) {
        TvlSkinPageControl* top = AddPages(form, TRect{10, 10, 300, 200}, TTabPosition::tpTop, &skin);
        top->SetShowCloseButtons(true);
        AddPages(form, TRect{320, 10, 610, 200}, TTabPosition::tpBottom, &skin);
        AddPages(form, TRect{10, 215, 300, 405}, TTabPosition::tpLeft, &skin);
        TvlSkinPageControl* right = AddPages(form, TRect{320, 215, 460, 405}, TTabPosition::tpRight, &skin);
        right->SetTextInHorizontal(true);
        right->SetTabHeight(48);
        TvlSkinPageControl* plain = AddPages(form, TRect{470, 215, 610, 405}, TTabPosition::tpTop, nullptr);
        plain->SetShowCloseButtons(true);
      },
      nullptr, SKIN_EXPECTED_DIR, "main_skin_page_controls");
}

TEST_F(SkinnedPageControlScreenTest, SkinCloseButtonClosesItsPage) {
  auto* form = CreateForm<TForm>(nullptr);
  std::unique_ptr<TForm> owner(form);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBoundsRect(TRect{0, 0, 320, 220});
  TvlSkinPageControl* pc = AddPages(form, TRect{10, 10, 310, 210}, TTabPosition::tpTop, &skin);
  pc->SetShowCloseButtons(true);
  pc->SetFreeOnClose(true);
  int after = 0;
  pc->OnAfterClose = [&](TObject*) { ++after; };
  form->Show();
  skinned_test_form::Pump();
  auto* first = dynamic_cast<TvlSkinCustomTabSheet*>(pc->Pages(0));
  ASSERT_NE(first, nullptr);
  const TRect item = pc->ItemRect(0);
  const TRect b = first->ButtonRect;
  ASSERT_FALSE(b.IsEmpty());
  EXPECT_LE(item.Left + b.Right, item.Right) << "the button stays inside its tab";
  const TPoint at = pc->ClientToScreen(TPoint{item.Left + (b.Left + b.Right) / 2, item.Top + (b.Top + b.Bottom) / 2});
  display->MouseMove(at);
  skinned_test_form::Pump();
  display->Click(at);
  skinned_test_form::Pump();
  EXPECT_EQ(after, 1);
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->Tabs()->Strings(0), "音频");
  owner.reset();
  skinned_test_form::Pump();
}

}  // namespace
