// The review sheets of the two skins and of the built-in pictures: each skin is packed, loaded
// back, and every element drawn in each of its states on one picture, which must match the
// stored expected picture; the pictures sheet shows every built-in picture from the resources.
// On a mismatch (or without an expected picture) the actual one is written into the working
// directory for a look.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "lib/data/vlSkinData.h"
#include "tests/ExpectedPicture.h"
#include "tests/support/ImageCompare.h"
#include "skins/vlSkinArt.h"
#include "tests/skins/PictureSheet.h"
#include "tests/skins/SkinSheetRender.h"

namespace {

std::string ExpectedPath(const std::string& Name) {
  return (std::filesystem::path(SKIN_EXPECTED_DIR) / Name).string();
}

void CompareWithExpected(const TvlArtCanvas& page, const std::string& Name) {
  std::vector<std::uint32_t> bgra(page.Pixels().begin(), page.Pixels().end());  // 0xAARRGGBB is B, G, R, A in memory
  const std::string actual = Name + ".actual.png";
  const std::string expected = ExpectedPath(Name + ".png");
  if (expected_picture::RecordIfAsked(bgra.data(), page.Width(), page.Height(), page.Width() * 4, expected)) return;
  if (!std::filesystem::exists(expected)) {
    SaveSurfacePng(actual, bgra.data(), page.Width(), page.Height(), page.Width() * 4, false);
    FAIL() << "no expected picture " << expected << "; the actual one is in " << std::filesystem::absolute(actual);
  }
  const pngcodec::Image stored = LoadPngFile(expected);
  if (stored.width != page.Width() || stored.height != page.Height()) {
    SaveSurfacePng(actual, bgra.data(), page.Width(), page.Height(), page.Width() * 4, false);
    FAIL() << "sheet is " << page.Width() << " x " << page.Height() << ", expected " << stored.width << " x "
           << stored.height << "; the actual one is in " << std::filesystem::absolute(actual);
  }
  // Glyph edges may differ by a few levels between font renderer builds; shapes may not.
  const TSurfaceDifference d = CompareSurfaces(bgra.data(), page.Width() * 4, stored.bgra.data(), stored.width * 4,
                                               page.Width(), page.Height(), 24, false);
  if (d.DifferingPixels != 0) {
    SaveSurfacePng(actual, bgra.data(), page.Width(), page.Height(), page.Width() * 4, false);
    ADD_FAILURE() << d.DifferingPixels << " pixels differ (largest difference " << d.MaxChannelDifference
                  << "); the actual picture is in " << std::filesystem::absolute(actual);
  }
}

void CheckSheet(TvlSkinArtKind Kind, const std::string& Name) {
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, Kind);
  ASSERT_FALSE(skin.Empty);
  CompareWithExpected(sheet::RenderSheet(skin), Name);
}

TEST(SkinReviewSheetTest, MainSkinMatchesItsSheet) { CheckSheet(TvlSkinArtKind::Main, "skin_main_sheet"); }

TEST(SkinReviewSheetTest, ToolSkinMatchesItsSheet) { CheckSheet(TvlSkinArtKind::Tools, "skin_tools_sheet"); }

// The built-in pictures, read back from the program's resources, shown where they serve.
TEST(SkinReviewSheetTest, BuiltinPicturesMatchTheirSheet) {
  TvlSkinData tools(nullptr);
  vlLoadFixtureSkin(&tools, TvlSkinArtKind::Tools);
  ASSERT_FALSE(tools.Empty);
  CompareWithExpected(sheet::RenderPictureSheet(tools), "skin_pictures_sheet");
}

}  // namespace
