// The skinned page control drawn from the program's skin 1 with its tabs on each of the four
// sides (close buttons on the top one, horizontal text on the right one) and in the built-in
// look, compared with the expected picture; a close button of the skin closing its page; and
// the images menu open in skin 1 with a header, a grid and a button row.

#include <gtest/gtest.h>

#include <string>

#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenusImages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/ImageList.h"
#include "lib/controls/vlSkinTabs.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/controls/StdCtrls.h"
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

TEST_F(SkinnedPageControlScreenTest, ImagesMenuInTheSkinMatchesTheExpectedPicture) {
  TCustomImageList images(nullptr);
  TBitmap strip;
  strip.SetSize(16 * 8, 16);
  const COLORREF colours[] = {RGB(231, 76, 60), RGB(230, 126, 34), RGB(241, 196, 15), RGB(46, 204, 113),
                              RGB(26, 188, 156), RGB(52, 152, 219), RGB(155, 89, 182), RGB(52, 73, 94)};
  for (int i = 0; i < 8; ++i) {
    strip.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(255, 255, 255)));
    strip.Canvas()->FillRect(TRect{16 * i, 0, 16 * i + 16, 16});
    strip.Canvas()->Brush()->SetColor(static_cast<TColor>(colours[i]));
    strip.Canvas()->FillRect(TRect{16 * i + 2, 2, 16 * i + 14, 14});
  }
  images.Add(&strip, nullptr);
  TvlSkinImagesMenu menu(nullptr);
  menu.SetImages(&images);
  menu.SetColumnsCount(4);
  menu.SetSkinData(&skin);
  TvlImagesMenuItem* header = menu.ImagesItems()->AddItem();
  header->Header = true;
  header->Caption = "标记颜色";
  for (int i = 0; i < 8; ++i) menu.ImagesItems()->AddItem()->ImageIndex = i;
  TvlImagesMenuItem* button = menu.ImagesItems()->AddItem();
  button->Button = true;
  button->Caption = "无颜色";
  menu.ItemIndex = 3;
  skinned_test_form::RenderFormAndCompare(
      display, 200, 160, [](TForm*) {},
      [&](TForm*) {
        menu.Popup(20, 20);
        skinned_test_form::Pump();
        const TRect r = menu.ImagesItems()->Item(6)->ItemRect;
        display->MouseMove(menu.PopupWindow()->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}));
      },
      SKIN_EXPECTED_DIR, "main_skin_images_menu");
  menu.Hide();
  skinned_test_form::Pump();
}

}  // namespace
