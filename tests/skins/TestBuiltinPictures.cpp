// The built-in pictures as the program finds them: registered under their names with the bytes
// the drawing code makes now, at the sizes their users lay out, glyphs transparent where their
// drawer takes the transparent colour from, greyed twins grey, and icons with an entry for each
// size the views ask for.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/core/Resources.h"
#include "skins/vlArtAppPictures.h"
#include "skins/vlSkinArt.h"

namespace {

const std::vector<TvlArtPicture>& Pictures() {
  static const std::vector<TvlArtPicture> pictures = vlDrawBuiltinPictures();
  return pictures;
}

std::unique_ptr<TBitmap> LoadBitmap(const std::string& Name) {
  auto b = std::make_unique<TBitmap>();
  b->LoadFromResourceName(HInstance(), Name);
  return b;
}

std::uint32_t PixelOf(TBitmap& B, int X, int Y) { return static_cast<std::uint32_t*>(B.ScanLine(Y))[X]; }

TEST(BuiltinPicturesTest, EveryPictureIsRegisteredWithWhatTheDrawingCodeMakesNow) {
  ASSERT_FALSE(Pictures().empty());
  for (const TvlArtPicture& p : Pictures()) {
    SCOPED_TRACE(p.Name);
    const TResourceData* r = FindResourceData(p.Name, vlPictureResourceType(p.Kind));
    ASSERT_NE(r, nullptr) << "not registered";
    const std::vector<unsigned char> fresh = vlPictureResourceBytes(p);
    const auto* bytes = static_cast<const unsigned char*>(r->Data);
    EXPECT_TRUE(std::vector<unsigned char>(bytes, bytes + r->Size) == fresh) << "the embedded picture is stale";
  }
}

TEST(BuiltinPicturesTest, BitmapsHaveTheSizesTheirUsersLayOut) {
  struct Case {
    const char* Name;
    int Width, Height;
  };
  const Case cases[] = {
      // The slider: thumbs hold two states side by side.
      {"VL_HTB", 18, 17}, {"VL_HRL", 10, 8}, {"VL_VTB", 38, 9}, {"VL_VRL", 8, 10},
      // The file and picture dialogs' tool buttons.
      {"VL_BACK", 16, 16}, {"VL_UP", 16, 16}, {"VL_NEWFOLDER", 16, 16}, {"VL_LVSTYLE", 16, 16}, {"VL_STRETCH", 16, 16},
      // The drive and directory controls.
      {"VL_FLOPPY", 16, 16}, {"VL_HARD", 16, 16}, {"VL_NETWORK", 16, 16}, {"VL_CDROM", 16, 16}, {"VL_RAM", 16, 11},
      {"VL_OPENFOLDER", 16, 15}, {"VL_CLOSEDFOLDER", 16, 15}, {"VL_CURRENTFOLDER", 16, 15},
      // The main window: tool bar, job list, preview panel, preset pickers.
      {"VL_TOOL_ADD", 32, 32}, {"VL_TOOL_START_OFF", 32, 32}, {"VL_TOOL_OPTIONS", 32, 32},
      {"VL_LIST_MOVEUP", 16, 16}, {"VL_LIST_RENAME_OFF", 16, 16}, {"VL_LIST_COVER", 521, 217},
      {"VL_PREVIEW_PLAY", 16, 16}, {"VL_PREVIEW_MUTED", 16, 16}, {"VL_PRESET_1", 32, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto b = LoadBitmap(c.Name);
    EXPECT_EQ(b->Width(), c.Width);
    EXPECT_EQ(b->Height(), c.Height);
  }
  // Every category of the output picker has its 32 x 32 icon, kept under its preset group.
  for (int group : {13, 20, 11, 10, 15, 16, 17, 0, 1, 4, 24, 14}) {
    SCOPED_TRACE(group);
    const auto b = LoadBitmap("VL_CATEGORY_" + std::to_string(group));
    EXPECT_EQ(b->Width(), 32);
    EXPECT_EQ(b->Height(), 32);
  }
  EXPECT_EQ(vlart::CategoryGroups().size(), 12u);
  EXPECT_TRUE(vlart::DrawCategoryIcon(2).Pixels().empty()) << "group 2 is not in the category list";
}

// Glyphs are drawn with their bottom-left pixel's colour as the transparent one: that pixel
// (of every state of a strip) must be see-through, and no visible pixel may share its colour,
// or it would vanish.
TEST(BuiltinPicturesTest, GlyphsAreSeeThroughExactlyWhereTheirKeyColourIs) {
  for (const TvlArtPicture& p : Pictures()) {
    if (p.Kind != TvlArtPictureKind::Glyph) continue;
    SCOPED_TRACE(p.Name);
    const auto bitmap = LoadBitmap(p.Name);
    TBitmap& b = *bitmap;
    ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
    const int states = p.Name == "VL_HTB" || p.Name == "VL_VTB" ? 2 : 1;
    const int w = b.Width() / states, h = b.Height();
    int visible = 0;
    for (int s = 0; s < states; ++s) {
      const std::uint32_t key = PixelOf(b, s * w, h - 1);
      EXPECT_EQ(key, kvlGlyphKey & 0x00FFFFFFu) << "state " << s;
      for (int y = 0; y < h; ++y)
        for (int x = s * w; x < (s + 1) * w; ++x) {
          const std::uint32_t px = PixelOf(b, x, y);
          if ((px >> 24) != 0) ++visible;
          EXPECT_EQ((px & 0xFFFFFF) == (key & 0xFFFFFF), (px >> 24) == 0) << x << "," << y;
        }
    }
    EXPECT_GT(visible, 0);
  }
}

TEST(BuiltinPicturesTest, GreyedTwinsAreGreyAndPicturesAreOpaque) {
  for (const TvlArtPicture& p : Pictures()) {
    SCOPED_TRACE(p.Name);
    if (p.Name.ends_with("_OFF")) {
      const auto bitmap = LoadBitmap(p.Name);
      TBitmap& b = *bitmap;
      for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
          const std::uint32_t px = PixelOf(b, x, y);
          if ((px >> 24) == 0) continue;
          const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, bl = px & 0xFF;
          // Edge pixels are blended with the light face colour, which is nearly grey itself.
          ASSERT_LE(std::max({r, g, bl}) - std::min({r, g, bl}), 6) << x << "," << y;
        }
    }
    if (p.Kind == TvlArtPictureKind::Picture) {
      EXPECT_EQ(LoadBitmap(p.Name)->PixelFormat(), TPixelFormat::pf24bit);
    }
  }
}

TEST(BuiltinPicturesTest, IconsHaveAnEntryForEverySizeTheViewsAskFor) {
  int icons = 0;
  for (const TvlArtPicture& p : Pictures()) {
    if (p.Kind != TvlArtPictureKind::Icon) continue;
    ++icons;
    SCOPED_TRACE(p.Name);
    for (int size : {16, 32}) {
      HICON icon = static_cast<HICON>(LoadImage(HInstance(), p.Name.c_str(), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << size;
      int w = 0, h = 0;
      std::vector<std::uint8_t> bgra;
      ASSERT_TRUE(GetIconPixels(icon, w, h, bgra));
      DestroyIcon(icon);
      EXPECT_EQ(w, size);
      EXPECT_EQ(h, size);
      // The entry is that size's own drawing, read back with its alpha (not a scaled copy).
      const TvlArtCanvas& drawn = p.Images.at(size == 16 ? 0 : 1);
      int differing = 0, seeThrough = 0;
      for (int i = 0; i < w * h; ++i) {
        const TvlArgb d = drawn.Pixels()[i];
        if ((d >> 24) == 0) ++seeThrough;
        if (bgra[i * 4 + 3] != (d >> 24)) ++differing;
      }
      EXPECT_EQ(differing, 0);
      EXPECT_GT(seeThrough, 0);
      EXPECT_LT(seeThrough, w * h);
    }
  }
  // Four message icons and the shell's seventeen.
  EXPECT_EQ(icons, 21);
}

}  // namespace
