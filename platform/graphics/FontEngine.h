#pragma once
// FontInstance: a font request (LOGFONT) resolved to installed faces at a pixel size, with its
// metrics and a cache of rendered glyphs.
//
// Face mapping: the requested face name is looked up in this table first, then handed to
// fontconfig as it stands (fontconfig substitutes the nearest installed family):
//   "Arial", "Tahoma", "MS Sans Serif", "Microsoft Sans Serif", "Verdana", "Segoe UI",
//   "System", ""                          -> the "sans-serif" family
//   "宋体", "新宋体", "SimSun", "NSimSun", "黑体", "SimHei", "微软雅黑", "Microsoft YaHei"
//                                          -> "sans-serif" for the Chinese language
//                                             (WenQuanYi Micro Hei on this system)
//   "Courier New", "Courier", "Fixedsys", "Terminal" -> "monospace"
//   "Times New Roman"                     -> "serif"
// Fallback per glyph: a character the primary face lacks is taken from the Chinese sans-serif
// face, then from any installed face fontconfig finds covering it; only when none has it does
// the primary face's missing-glyph box show.
//
// Sizes: lfHeight < 0 is the em size in pixels; lfHeight > 0 the cell height (ascent +
// descent of the primary face); 0 is a 12-pixel em. Bold and italic use the family's bold and
// italic faces, synthesised (emboldened, slanted) when the family has none.
//
// Thread safety: every call locks the engine, so instances may be used from any thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Gdi.h"

struct GlyphImage {
  int left = 0;      // from the pen position to the bitmap's left column
  int top = 0;       // from the baseline up to the bitmap's top row
  int width = 0;
  int rows = 0;
  int advance = 0;   // pixels to the next pen position
  std::vector<std::uint8_t> coverage;  // rows * width bytes, 0 (none) .. 255 (full)
};

class FontInstance {
 public:
  // The shared instance for the request (cached by every field that matters).
  [[nodiscard]] static std::shared_ptr<FontInstance> Get(const LOGFONT& lf);
  ~FontInstance();

  [[nodiscard]] int Ascent() const { return ascent_; }
  [[nodiscard]] int Descent() const { return descent_; }
  [[nodiscard]] int Height() const { return ascent_ + descent_; }
  [[nodiscard]] int EmSize() const { return em_; }
  [[nodiscard]] int AveCharWidth() const { return aveCharWidth_; }
  [[nodiscard]] int MaxCharWidth() const { return maxCharWidth_; }
  [[nodiscard]] const LOGFONT& Request() const { return request_; }
  [[nodiscard]] const std::string& FamilyName() const { return family_; }
  // Underline and strike-out: offset below (underline) or above (strike-out) the baseline.
  [[nodiscard]] int UnderlinePosition() const { return underlinePos_; }
  [[nodiscard]] int StrikeOutPosition() const { return strikePos_; }
  [[nodiscard]] int LineThickness() const { return lineThickness_; }

  // Advance of one character in pixels.
  [[nodiscard]] int Advance(char32_t ch);
  // Sum of the advances of the characters.
  [[nodiscard]] int TextWidth(const std::u32string& text);
  // The rendered glyph; the reference stays valid as long as the instance.
  [[nodiscard]] const GlyphImage& Glyph(char32_t ch);

  struct Impl;

 private:
  FontInstance() = default;

  LOGFONT request_;
  std::string family_;
  int em_ = 12, ascent_ = 0, descent_ = 0, aveCharWidth_ = 0, maxCharWidth_ = 0;
  int underlinePos_ = 1, strikePos_ = 3, lineThickness_ = 1;
  std::unique_ptr<Impl> impl_;
};

// The family names of the installed fonts, each once, in no particular order (empty when
// fontconfig cannot be used).
[[nodiscard]] std::vector<std::string> InstalledFontFamilies();

// UTF-8 to code points; a malformed byte becomes U+FFFD.
[[nodiscard]] std::u32string DecodeUtf8(std::string_view text);
[[nodiscard]] std::string EncodeUtf8(std::u32string_view text);
