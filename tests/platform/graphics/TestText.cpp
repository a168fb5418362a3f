#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "tests/platform/SurfaceFixture.h"
#include "platform/graphics/FontEngine.h"
#include "platform/graphics/Gdi.h"
#include "tests/support/ImageCompare.h"

// Geometry checks here hold for any installed Latin face: they compare measurements with each
// other, never with fixed pixel counts.

namespace {

class TextSurface : public TestSurface {
 public:
  TextSurface(int w, int h, const std::string& face = "宋体", int height = -16) : TestSurface(w, h) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfFaceName = face;
    font = CreateFontIndirect(&lf);
    oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
  }
  ~TextSurface() {
    SelectObject(dc, oldFont);
    DeleteObject(font);
  }
  // Bounding box of the pixels that are not the background, within r (whole surface: nullptr).
  TRect Ink(std::uint32_t background = 0, const TRect* within = nullptr) const {
    TRect area = within ? *within : TRect{0, 0, surface->Width(), surface->Height()};
    TRect box{area.Right, area.Bottom, area.Left, area.Top};
    for (int y = area.Top; y < area.Bottom; ++y)
      for (int x = area.Left; x < area.Right; ++x)
        if ((At(x, y) & 0x00FFFFFF) != (background & 0x00FFFFFF)) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1);
          box.Bottom = std::max(box.Bottom, y + 1);
        }
    return box;
  }
  // Coverage of a cell as a string of 0/1 per pixel (ink or not).
  std::string Coverage(const TRect& r) const {
    std::string out;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) out += (At(x, y) & 0xFF) > 96 ? '1' : '0';
    return out;
  }
  int LineHeight() {
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    return tm.tmHeight;
  }

  HFONT font = nullptr;
  HGDIOBJ oldFont = nullptr;
};

}  // namespace

TEST(Fonts, NegativeHeightIsCharacterHeightPositiveIsCellHeight) {
  for (const char* face : {"Arial", "Tahoma", "MS Sans Serif", "宋体"}) {
    SCOPED_TRACE(face);
    TextSurface a(4, 4, face, -16);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(a.dc, &tm));
    EXPECT_GE(tm.tmHeight, 16);
    EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 16);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    TextSurface b(4, 4, face, 20);
    ASSERT_TRUE(GetTextMetrics(b.dc, &tm));
    EXPECT_NEAR(tm.tmHeight, 20, 1);
    std::string family;
    EXPECT_GT(GetTextFace(b.dc, 0, &family), 0);
  }
}

TEST(Fonts, ChineseFaceNamesResolveToAFaceWithChineseGlyphs) {
  LOGFONT lf;
  lf.lfFaceName = "宋体";
  lf.lfHeight = -12;
  auto font = FontInstance::Get(lf);
  EXPECT_FALSE(font->FamilyName().empty());
  EXPECT_GT(font->Glyph(U'中').coverage.size(), 0u);
}

TEST(Text, ChineseGlyphsAreDrawnAndAreNotMissingGlyphBoxes) {
  // Each character is drawn alone at the same place; its ink must differ from the missing-glyph
  // box (a private-use character no face has) and from the other characters.
  const std::u32string chinese = U"视频格式转换器提示";
  for (const char* face : {"Arial", "Tahoma", "宋体"}) {
    SCOPED_TRACE(face);
    std::set<std::string> seen;
    auto render = [&](char32_t ch) {
      TextSurface s(40, 40, face, -20);
      const std::string text = EncodeUtf8(std::u32string(1, ch));
      TextOut(s.dc, 5, 5, text);
      return s.Coverage({0, 0, 40, 40});
    };
    const std::string box = render(U'\uE000');
    for (char32_t ch : chinese) {
      const std::string ink = render(ch);
      EXPECT_NE(ink.find('1'), std::string::npos);
      EXPECT_NE(ink, box);
      EXPECT_TRUE(seen.insert(ink).second) << "two characters drew the same ink";
    }
  }
}

TEST(Text, MixedParagraphWrapsInsideItsRectangleAndCalcRectMeasuresIt) {
  const std::string paragraph =
      "转换视频 Convert video files to MP4, AVI and 3GP 格式，支持批量转换和预览 with snapshots 截图。";
  TextSurface s(220, 400);
  const int lineHeight = s.LineHeight();
  TRect calc{10, 10, 190, 10};
  const int height = DrawText(s.dc, paragraph, &calc, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(height, calc.Bottom - calc.Top);
  EXPECT_EQ(height % lineHeight, 0);
  const int lines = height / lineHeight;
  EXPECT_GE(lines, 3);
  EXPECT_LE(calc.Right, 190);
  EXPECT_GT(calc.Right, 100);  // the lines are filled, not one word each

  // Drawn into the measured rectangle: ink stays inside, and every line band has ink.
  EXPECT_EQ(DrawText(s.dc, paragraph, &calc, DT_WORDBREAK), height);
  const TRect ink = s.Ink();
  EXPECT_GE(ink.Left, calc.Left);
  EXPECT_LE(ink.Right, calc.Right);
  EXPECT_GE(ink.Top, calc.Top);
  EXPECT_LE(ink.Bottom, calc.Bottom);
  for (int i = 0; i < lines; ++i) {
    SCOPED_TRACE(i);
    const TRect band{0, calc.Top + i * lineHeight, 220, calc.Top + (i + 1) * lineHeight};
    EXPECT_FALSE(s.Ink(0, &band).IsEmpty());
  }
  // The picture is kept as a PNG beside the test (for a look when something goes wrong) and
  // must read back as drawn.
  const std::string png = "text_paragraph.png";
  SaveSurfacePng(png, s.surface->Bits(), 220, 400, static_cast<int>(s.surface->Stride()), false);
  const pngcodec::Image back = LoadPngFile(png);
  ASSERT_EQ(back.width, 220);
  const TSurfaceDifference diff =
      CompareSurfaces(back.bgra.data(), 220 * 4, s.surface->Bits(), static_cast<int>(s.surface->Stride()), 220, 400, 0, false);
  EXPECT_EQ(diff.DifferingPixels, 0);

  // The same text unwrapped is one line, wider than the rectangle.
  TRect single{0, 0, 0, 0};
  DrawText(s.dc, paragraph, &single, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(single.Bottom, lineHeight);
  EXPECT_GT(single.Right, 180);
}

// A word wider than the rectangle stays whole with DT_WORDBREAK alone and is broken where it
// fills a line with DT_EDITCONTROL, so a long path keeps inside a wrapped message.
TEST(Text, AWordWiderThanTheLineIsBrokenOnlyAsAnEditControlDoes) {
  const std::string path = "see /home/user/videos/" + std::string(60, 'x') + "/clip.avi now";
  TextSurface s(220, 400);
  const int lineHeight = s.LineHeight();
  TRect whole{0, 0, 150, 0};
  DrawText(s.dc, path, &whole, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_GT(whole.Right, 150) << "the path runs past the edge";
  EXPECT_EQ(whole.Bottom, 3 * lineHeight) << "see / the path / now";

  TRect broken{0, 0, 150, 0};
  const int height = DrawText(s.dc, path, &broken, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT);
  EXPECT_LE(broken.Right, 150);
  EXPECT_GT(broken.Right, 120) << "the broken lines are filled";
  EXPECT_GE(height, 4 * lineHeight);
  // Drawn, the ink stays inside the rectangle.
  broken.Bottom = broken.Top + height;
  DrawText(s.dc, path, &broken, DT_WORDBREAK | DT_EDITCONTROL);
  EXPECT_LE(s.Ink().Right, 150);
}

// A line never starts with closing punctuation nor ends with an opening one: the character
// before it moves down with it, so the first line holds three characters where four would fit.
TEST(Text, PunctuationStaysWithTheCharacterItBelongsTo) {
  const char* const cases[] = {"一二三四，五六七八。", "一二三（四五）六七", "一二三四。"};
  TextSurface s(220, 200);
  const int lineHeight = s.LineHeight();
  TRect four{0, 0, 0, 0}, three{0, 0, 0, 0};
  DrawText(s.dc, "一二三四", &four, DT_SINGLELINE | DT_CALCRECT);
  DrawText(s.dc, "一二三", &three, DT_SINGLELINE | DT_CALCRECT);
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    TextSurface t(220, 200);
    TRect r{0, 0, four.Right, 200};
    DrawText(t.dc, text, &r, DT_WORDBREAK);
    const TRect first{0, 0, 220, lineHeight}, second{0, lineHeight, 220, 2 * lineHeight};
    EXPECT_LE(t.Ink(0, &first).Right, three.Right) << "the first line keeps only three characters";
    EXPECT_FALSE(t.Ink(0, &second).IsEmpty());
  }
}

TEST(Text, LineBreaksOfEveryKindCountOnce) {
  // CR, LF, CR LF and LF CR each end one line; two alike in a row leave an empty line.
  const struct {
    const char* text;
    int lines;
  } cases[] = {{"a", 1},        {"a\nb", 2},      {"a\rb", 2},       {"a\r\nb", 2},
               {"a\n\rb", 2}, {"a\n\nb", 3},   {"a\r\rb", 3},    {"a\n\r\n\rb", 3},
               {"a\n\r", 2},  {"a\r\n\r\nb", 3}};
  TextSurface s(100, 100);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    TRect r{0, 0, 0, 0};
    EXPECT_EQ(DrawText(s.dc, c.text, &r, DT_CALCRECT), c.lines * s.LineHeight());
  }
}

TEST(Text, SingleLineAlignmentTable) {
  struct Case {
    const char* name;
    UINT format;
    int expectCentreX;  // -1: left aligned, 1: right aligned, 0: centred
  } cases[] = {
      {"left", DT_SINGLELINE | DT_VCENTER, -1},
      {"centre", DT_SINGLELINE | DT_VCENTER | DT_CENTER, 0},
      {"right", DT_SINGLELINE | DT_VCENTER | DT_RIGHT, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextSurface s(200, 60, "Arial", -14);
    TRect r{0, 0, 200, 60};
    DrawText(s.dc, "Hello 你好", &r, c.format);
    const TRect ink = s.Ink();
    ASSERT_FALSE(ink.IsEmpty());
    const int middleY = (ink.Top + ink.Bottom) / 2;
    EXPECT_NEAR(middleY, 30, s.LineHeight() / 2);
    if (c.expectCentreX < 0) { EXPECT_LT(ink.Left, 4); }
    if (c.expectCentreX > 0) { EXPECT_GT(ink.Right, 196); }
    if (c.expectCentreX == 0) { EXPECT_NEAR((ink.Left + ink.Right) / 2, 100, 4); }
  }
}

TEST(Text, MnemonicsUnderlineOneCharacterAndDoubleAmpersandIsLiteral) {
  TextSurface s(200, 40, "Arial", -14);
  auto width = [&](const char* text, UINT flags) {
    TRect r{0, 0, 0, 0};
    DrawText(s.dc, text, -1, &r, DT_SINGLELINE | DT_CALCRECT | flags);
    return r.Right;
  };
  EXPECT_EQ(width("&File", 0), width("File", 0));
  EXPECT_EQ(width("A&&B", 0), width("A&B", DT_NOPREFIX));
  EXPECT_GT(width("&File", DT_NOPREFIX), width("File", 0));

  TRect r{0, 0, 200, 40};
  DrawText(s.dc, "File", -1, &r, DT_SINGLELINE);
  const TRect plain = s.Ink();
  TextSurface u(200, 40, "Arial", -14);
  DrawText(u.dc, "&File", -1, &r, DT_SINGLELINE);
  const TRect marked = u.Ink();
  EXPECT_GT(marked.Bottom, plain.Bottom);  // the underline goes below the letters
}

TEST(Text, EllipsisKeepsTheLineInsideTheRectangle) {
  for (UINT flag : {DT_END_ELLIPSIS, DT_PATH_ELLIPSIS}) {
    SCOPED_TRACE(flag);
    TextSurface s(300, 30, "Arial", -14);
    TRect r{0, 0, 120, 30};
    DrawText(s.dc, "/home/user/视频/a very long folder name/clip.mp4", -1, &r, DT_SINGLELINE | DT_NOCLIP | flag);
    const TRect ink = s.Ink();
    EXPECT_LE(ink.Right, 120);
    EXPECT_GT(ink.Right, 60);
  }
}

TEST(Text, OpaqueBackgroundAndTheAlphaRule) {
  TextSurface s(100, 30, "Arial", -14);
  s.Fill(0xFF000000);  // opaque black
  SetBkMode(s.dc, OPAQUE);
  SetBkColor(s.dc, RGB(0, 0, 255));
  TextOut(s.dc, 0, 0, "Ab");
  TSize extent;
  GetTextExtentPoint32(s.dc, "Ab", &extent);
  EXPECT_EQ(s.At(extent.cx - 1, extent.cy - 1), 0x000000FFu);  // background cell, alpha 0
  EXPECT_EQ(s.At(extent.cx + 1, 0), 0xFF000000u);           // untouched beyond the cell
  SetBkMode(s.dc, TRANSPARENT);
  TextSurface t(100, 30, "Arial", -14);
  t.Fill(0xFF000000);
  TextOut(t.dc, 0, 0, "Ab");
  int touched = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) {
      const std::uint32_t p = t.At(x, y);
      if (p != 0xFF000000u) {
        ++touched;
        EXPECT_EQ(p >> 24, 0u);  // drawn pixels carry alpha 0
      }
    }
  EXPECT_GT(touched, 0);
}

TEST(Text, ExtTextOutClipsAndFillsItsRectangle) {
  TextSurface s(100, 30, "Arial", -14);
  SetBkColor(s.dc, RGB(0, 255, 0));
  const TRect r{2, 2, 20, 25};
  ExtTextOut(s.dc, 2, 2, ETO_CLIPPED | ETO_OPAQUE, &r, "WWWWWWWW", 8, nullptr);
  EXPECT_EQ(s.At(19, 24), 0x0000FF00u);
  EXPECT_EQ(s.Ink(0, nullptr), r);  // nothing outside the rectangle
}

TEST(Text, ExtentsAddUpAndTabsReachTheirStops) {
  TextSurface s(300, 30, "Arial", -14);
  TSize a, b, ab;
  GetTextExtentPoint32(s.dc, "Hello", &a);
  GetTextExtentPoint32(s.dc, " 世界", &b);
  GetTextExtentPoint32(s.dc, "Hello 世界", &ab);
  EXPECT_EQ(ab.cx, a.cx + b.cx);
  EXPECT_EQ(ab.cy, s.LineHeight());
  const int stops[] = {150};
  const LONG extent = TabbedTextOut(s.dc, 10, 0, "a\tb", 3, 1, stops, 10);
  EXPECT_GE(LOWORD(static_cast<std::uintptr_t>(extent)), 150);
  const TRect right{150, 0, 300, 30};
  EXPECT_FALSE(s.Ink(0, &right).IsEmpty());
  const TRect gap{40, 0, 155, 30};
  EXPECT_TRUE(s.Ink(0, &gap).IsEmpty());
}

TEST(Text, StylesChangeTheInkEvenWithoutStyledFaces) {
  // The Chinese face has no bold or italic of its own: those are synthesised.
  auto ink = [](LONG weight, BYTE italic, BYTE underline, BYTE strike) {
    TestSurface s(80, 40);
    LOGFONT lf;
    lf.lfHeight = -20;
    lf.lfFaceName = "宋体";
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strike;
    HFONT font = CreateFontIndirect(&lf);
    HGDIOBJ old = SelectObject(s.dc, font);
    SetBkMode(s.dc, TRANSPARENT);
    SetTextColor(s.dc, RGB(255, 255, 255));
    TextOut(s.dc, 5, 5, "中文");
    SelectObject(s.dc, old);
    DeleteObject(font);
    std::string picture;
    int inked = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 80; ++x) {
        const bool on = (s.At(x, y) & 0xFF) > 96;
        picture += on ? '1' : '0';
        inked += on;
      }
    return std::make_pair(picture, inked);
  };
  const auto regular = ink(FW_NORMAL, 0, 0, 0);
  struct Case {
    const char* name;
    std::pair<std::string, int> drawn;
  } cases[] = {
      {"bold", ink(FW_BOLD, 0, 0, 0)},
      {"italic", ink(FW_NORMAL, 1, 0, 0)},
      {"underline", ink(FW_NORMAL, 0, 1, 0)},
      {"strike-out", ink(FW_NORMAL, 0, 0, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NE(c.drawn.first, regular.first);
  }
  EXPECT_GT(cases[0].drawn.second, regular.second);  // bold has more ink
}
