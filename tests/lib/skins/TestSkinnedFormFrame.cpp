// A form skinned with the program's own skin 1: its frame, caption band, client background and
// rounded corners, compared with the expected picture.

#include <gtest/gtest.h>

#include "lib/Velmora.h"
#include "lib/vlSkinData.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/HeadlessDisplay.h"
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

}  // namespace
