// A form skinned with the program's own skin 1: its frame, caption band, client background and
// rounded corners, compared with the expected picture; and the soft shadow its layered border
// casts around it.

#include <gtest/gtest.h>

#include "lib/forms/Velmora.h"
#include "lib/forms/VelmoraLayer.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/windowing/Window.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedTestForm.h"
#include "tests/platform/FormFixture.h"

namespace {

class SkinnedFormFrameTest : public FormWorld {};

TEST_F(SkinnedFormFrameTest, MainSkinFrameMatchesItsExpectedPicture) {
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  ASSERT_FALSE(skin.Empty);

  constexpr int W = 480, H = 300;
  TForm* form = CreateForm<TForm>(nullptr);
  forms.emplace_back(form);
  form->SetBoundsRect(TRect{0, 0, W, H});
  form->SetCaption("视频格式转换");
  auto* skinner = new TvlVelmora(form);
  skinner->SetSkinData(&skin);
  form->Show();
  const auto pixels = skinned_test_form::Shot(display, TRect{0, 0, W, H});

  // The mask rounds the four corners: the desktop shows there, the frame just inside.
  const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y * W + x)] & 0xFFFFFFu; };
  for (const TPoint corner : {TPoint{0, 0}, TPoint{W - 1, 0}, TPoint{0, H - 1}, TPoint{W - 1, H - 1}}) {
    SCOPED_TRACE(testing::Message() << "(" << corner.X << ", " << corner.Y << ")");
    EXPECT_EQ(at(corner.X, corner.Y), 0x010203u);
  }
  EXPECT_NE(at(W / 2, 1), 0x010203u);
  EXPECT_NE(at(1, H / 2), 0x010203u);

  forms.clear();
  Pump();
  skinned_test_form::CompareWithExpected(pixels, W, H, SKIN_EXPECTED_DIR, "main_skin_form_frame");
}

TEST_F(SkinnedFormFrameTest, MainSkinFormCastsASoftShadowThroughItsLayeredBorder) {
  vlUtilsStartup();  // the layered windows
  // A light window beneath, to catch the clicks that pass the shadow.
  TForm* beneath = MakeForm(TRect{0, 0, 800, 560}, static_cast<TColor>(RGB(236, 239, 243)));
  int pressesBeneath = 0;
  beneath->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++pressesBeneath; };
  beneath->Show();
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  TForm* form = CreateForm<TForm>(nullptr);
  forms.emplace_back(form);
  form->SetBorderStyle(TFormBorderStyle::bsSizeable);
  form->SetBoundsRect(TRect{100, 100, 500, 400});
  form->SetCaption("视频格式转换");
  auto* skinner = new TvlVelmora(form);
  skinner->SetSkinData(&skin);
  form->Show();
  Pump();
  ASSERT_TRUE(skinner->UseLayeredBorder());
  TvlFormLayerBorder* border = skinner->FBorderLayer;
  ASSERT_TRUE(border->Visible());

  // The frame lies 34 pixels left of and 31 above the form with a top strip 43 pixels high, and
  // every strip lets the mouse through.
  TRect top;
  GetWindowRect(border->Window(TvlFormLayerBorderType::vlflTop)->Handle(), &top);
  EXPECT_EQ(top, (TRect{66, 69, 534, 112}));
  for (auto side : {TvlFormLayerBorderType::vlflTop, TvlFormLayerBorderType::vlflLeft,
                    TvlFormLayerBorderType::vlflRight, TvlFormLayerBorderType::vlflBottom})
    EXPECT_TRUE(GetWindowLong(border->Window(side)->Handle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);

  const TRect area{40, 40, 560, 460};
  // The blue level of a screen point in a shot of the area (the window beneath shows 243; the
  // shadow lowers it).
  const auto at = [&](const std::vector<std::uint32_t>& shot, int x, int y) {
    return static_cast<int>(shot[static_cast<std::size_t>((y - area.Top) * area.Width() + x - area.Left)] & 0xFF);
  };
  const auto active = skinned_test_form::Shot(display, area);
  const auto blue = [&](int x, int y) { return at(active, x, y); };
  // Darkest at the form's edges, gone well before the frame's own edge; the light comes from
  // above, so the shadow below the form is deeper than the one above it.
  EXPECT_LT(blue(98, 250), blue(90, 250));
  EXPECT_LT(blue(90, 250), 243);
  EXPECT_EQ(blue(68, 250), 243);
  EXPECT_EQ(blue(300, 71), 243);
  EXPECT_EQ(blue(300, 429), 243);
  EXPECT_LT(blue(300, 404), blue(300, 96));
  // The side strips are tiled and the middles stretched: no seam anywhere along an edge.
  for (int y = 120; y < 380; y += 7) EXPECT_EQ(blue(94, y), blue(94, 250)) << y;
  for (int x = 150; x < 460; x += 9) EXPECT_EQ(blue(x, 406), blue(300, 406)) << x;
  skinned_test_form::CompareWithExpected(active, area.Width(), area.Height(), SKIN_EXPECTED_DIR,
                                         "main_skin_layered_border");

  // An inactive form casts a lighter shadow (its images are rebuilt at the next resize).
  border->SetActive(false, false);
  form->SetBounds(100, 100, 420, 300);
  const auto inactive = skinned_test_form::Shot(display, area);
  EXPECT_GT(at(inactive, 96, 250), blue(96, 250));
  EXPECT_LT(at(inactive, 96, 250), 243);
  // A click on the shadow reaches the window beneath.
  display->Click({95, 250});
  Pump();
  EXPECT_EQ(pressesBeneath, 1);

  forms.clear();
  Pump();
  vlUtilsShutdown();
}

}  // namespace
