// Text: metrics, extents, TextOut, ExtTextOut, TabbedTextOut and DrawText over the font engine.

#include <algorithm>
#include <cstring>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/FontEngine.h"

using namespace gdi_detail;

namespace {

inline std::uint32_t Div255(std::uint32_t v) { return (v + 128 + ((v + 128) >> 8)) >> 8; }

// Mixes the text colour into a pixel by coverage; the alpha byte becomes 0.
inline std::uint32_t Mix(std::uint32_t text, std::uint32_t dst, std::uint32_t c) {
  if (c == 255) return text & 0x00FFFFFF;
  const std::uint32_t ic = 255 - c;
  const std::uint32_t b = Div255((text & 0xFF) * c + (dst & 0xFF) * ic);
  const std::uint32_t g = Div255(((text >> 8) & 0xFF) * c + ((dst >> 8) & 0xFF) * ic);
  const std::uint32_t r = Div255(((text >> 16) & 0xFF) * c + ((dst >> 16) & 0xFF) * ic);
  return b | (g << 8) | (r << 16);
}

// The rectangles text may touch: the DC's clip, narrowed to `limit` when given (surface
// coordinates).
std::vector<TRect> TextClip(DeviceContext& dc, const TRect* limit) {
  std::vector<TRect> out;
  for (const TRect& c : dc.ClipRects()) {
    const TRect r = limit ? Intersect(c, *limit) : c;
    if (!r.IsEmpty()) out.push_back(r);
  }
  return out;
}

void DrawGlyph(PixelSurface& s, const GlyphImage& g, int penX, int baseline, std::uint32_t color,
               const std::vector<TRect>& clips) {
  if (g.width == 0 || g.rows == 0) return;
  const TRect box{penX + g.left, baseline - g.top, penX + g.left + g.width, baseline - g.top + g.rows};
  for (const TRect& c : clips) {
    const TRect r = Intersect(c, box);
    if (r.IsEmpty()) continue;
    for (int y = r.Top; y < r.Bottom; ++y) {
      const std::uint8_t* cov = g.coverage.data() + static_cast<std::size_t>(y - box.Top) * static_cast<std::size_t>(g.width);
      for (int x = r.Left; x < r.Right; ++x) {
        const std::uint32_t a = cov[x - box.Left];
        if (!a) continue;
        if (s.BitsPerPixel() == 32) {
          std::uint32_t& px = s.Row32(y)[x];
          px = Mix(color, px, a);
        } else {
          s.SetPixelAt(x, y, Mix(color, s.PixelAt(x, y), a));
        }
      }
    }
  }
}

void FillRects(PixelSurface& s, const TRect& r, std::uint32_t value, const std::vector<TRect>& clips) {
  for (const TRect& c : clips) {
    const TRect part = Intersect(c, r);
    if (!part.IsEmpty()) FillSurfaceRect(s, part, value, R2_COPYPEN);
  }
}

// One run of text at pen position (x, baseline) in surface coordinates: glyphs, then underline
// and strike-out across its advance. `underlineAt` marks single characters to underline
// (mnemonics). Answers the run's advance.
int DrawRun(DeviceContext& dc, FontInstance& font, const std::u32string& text, int x, int baseline,
            const std::vector<TRect>& clips, const int* dx = nullptr, const std::vector<bool>* underlineAt = nullptr) {
  const std::uint32_t color = PixelOf(dc.state.textColor);
  int pen = x;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const GlyphImage& g = font.Glyph(text[i]);
    DrawGlyph(*dc.surface, g, pen, baseline, color, clips);
    const int advance = dx ? dx[i] : g.advance;
    if (underlineAt && i < underlineAt->size() && (*underlineAt)[i]) {
      const int uy = baseline + font.UnderlinePosition();
      FillRects(*dc.surface, {pen, uy, pen + advance, uy + font.LineThickness()}, color, clips);
    }
    pen += advance;
  }
  const LOGFONT& lf = font.Request();
  if (lf.lfUnderline) {
    const int uy = baseline + font.UnderlinePosition();
    FillRects(*dc.surface, {x, uy, pen, uy + font.LineThickness()}, color, clips);
  }
  if (lf.lfStrikeOut) {
    const int sy = baseline - font.StrikeOutPosition();
    FillRects(*dc.surface, {x, sy, pen, sy + font.LineThickness()}, color, clips);
  }
  return pen - x;
}

std::u32string Decode(const char* s, int c) {
  if (!s) return {};
  const std::size_t n = c < 0 ? std::strlen(s) : static_cast<std::size_t>(c);
  return DecodeUtf8(std::string_view(s, n));
}

// Text output at a logical point under the DC's text alignment.
BOOL Output(HDC hdc, int x, int y, UINT options, const TRect* lprect, const std::u32string& text, const int* dx) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (!dc->surface) return TRUE;
  auto font = FontOf(*dc);
  const UINT align = dc->state.textAlign;
  if (align & TA_UPDATECP) {
    x = dc->state.penPos.X;
    y = dc->state.penPos.Y;
  }
  int width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) width += dx ? dx[i] : font->Advance(text[i]);
  const TPoint off = dc->Offset();
  int left = x + off.X;
  if ((align & TA_CENTER) == TA_CENTER)
    left -= width / 2;
  else if (align & TA_RIGHT)
    left -= width;
  int top = y + off.Y;
  if ((align & TA_BASELINE) == TA_BASELINE)
    top -= font->Ascent();
  else if (align & TA_BOTTOM)
    top -= font->Height();
  const std::vector<TRect> clipAll = TextClip(*dc, nullptr);
  TRect limit{};
  if (lprect) limit = {lprect->Left + off.X, lprect->Top + off.Y, lprect->Right + off.X, lprect->Bottom + off.Y};
  if ((options & ETO_OPAQUE) && lprect) FillRects(*dc->surface, limit, PixelOf(dc->state.bkColor), clipAll);
  const std::vector<TRect> clips = (options & ETO_CLIPPED) && lprect ? TextClip(*dc, &limit) : clipAll;
  if (dc->state.bkMode == OPAQUE && !(options & ETO_OPAQUE))
    FillRects(*dc->surface, {left, top, left + width, top + font->Height()}, PixelOf(dc->state.bkColor), clips);
  DrawRun(*dc, *font, text, left, top + font->Ascent(), clips, dx);
  if (align & TA_UPDATECP) {
    if ((align & TA_CENTER) != TA_CENTER) dc->state.penPos.X += (align & TA_RIGHT) ? -width : width;
  }
  return TRUE;
}

bool IsWide(char32_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Chinese line breaking: closing punctuation never starts a line, opening punctuation never ends
// one (a line ends one character early instead).
bool NoBreakBefore(char32_t c) {
  static const std::u32string closing = U"，。、；：？！）」』】〉》〕］｝”’…—·～%,.;:?!)]}";
  return closing.find(c) != std::u32string::npos;
}

bool NoBreakAfter(char32_t c) {
  static const std::u32string opening = U"（「『【〈《〔［｛“‘([{";
  return opening.find(c) != std::u32string::npos;
}

bool CanBreakBefore(const std::u32string& s, std::size_t i) {
  const char32_t c = s[i], prev = s[i - 1];
  if (c != U' ' && !IsWide(c) && !IsWide(prev)) return false;
  if (c == U' ') return true;
  return !NoBreakBefore(c) && !NoBreakAfter(prev);
}

struct Line {
  std::u32string text;
  std::vector<bool> underline;
};

// Width of a line with tabs expanded (when asked) to multiples of 8 average widths.
int LineWidth(FontInstance& font, const std::u32string& s, bool expandTabs) {
  int w = 0;
  const int tab = std::max(1, 8 * font.AveCharWidth());
  for (char32_t c : s) w = (c == U'\t' && expandTabs) ? (w / tab + 1) * tab : w + font.Advance(c);
  return w;
}

// Splits one paragraph into lines no wider than maxWidth, breaking at spaces and around wide
// (CJK) characters; spaces at a break are dropped.
// Lines of at most maxWidth, broken after a space or beside a wide (CJK) character. A word wider
// than the line stays whole unless breakWords (DT_EDITCONTROL), which breaks it where it fills
// the line, as an edit control does.
std::vector<Line> Wrap(FontInstance& font, const Line& para, int maxWidth, bool expandTabs, bool breakWords) {
  std::vector<Line> out;
  const std::u32string& s = para.text;
  std::size_t start = 0;
  while (start < s.size()) {
    std::size_t lastBreak = std::string::npos;  // the line may end before this index
    std::size_t end = start;
    int width = 0;
    const int tab = std::max(1, 8 * font.AveCharWidth());
    for (; end < s.size(); ++end) {
      const char32_t c = s[end];
      if (end > start && CanBreakBefore(s, end)) lastBreak = end;
      const int next = (c == U'\t' && expandTabs) ? (width / tab + 1) * tab : width + font.Advance(c);
      if (next > maxWidth && end > start && c != U' ') {
        if (lastBreak != std::string::npos && lastBreak > start) end = lastBreak;
        else if (breakWords) {
          // The line ends before the character that overflows it.
        } else {
          // A word wider than the line: it stays whole, up to the next break opportunity.
          while (end < s.size() && s[end] != U' ' && !IsWide(s[end])) ++end;
        }
        break;
      }
      width = next;
    }
    std::size_t lineEnd = end;
    while (lineEnd > start && s[lineEnd - 1] == U' ') --lineEnd;
    Line line;
    line.text = s.substr(start, lineEnd - start);
    line.underline.assign(para.underline.begin() + static_cast<std::ptrdiff_t>(start),
                          para.underline.begin() + static_cast<std::ptrdiff_t>(lineEnd));
    out.push_back(std::move(line));
    start = end;
    while (start < s.size() && s[start] == U' ') ++start;
  }
  if (out.empty()) out.push_back({});
  return out;
}

// Shortens a line to fit maxWidth with "..." at its end, or in a path before its last part.
void Ellipsize(FontInstance& font, Line& line, int maxWidth, bool path, bool expandTabs) {
  if (LineWidth(font, line.text, expandTabs) <= maxWidth) return;
  const std::u32string dots = U"...";
  std::u32string head = line.text, tail;
  if (path) {
    const std::size_t slash = line.text.find_last_of(U"/\\");
    if (slash != std::u32string::npos) {
      head = line.text.substr(0, slash);
      tail = line.text.substr(slash);
    }
  }
  while (!head.empty() && LineWidth(font, head + dots + tail, expandTabs) > maxWidth) head.pop_back();
  if (head.empty())
    while (!tail.empty() && LineWidth(font, dots + tail, expandTabs) > maxWidth) tail.pop_back();
  line.text = head + dots + tail;
  line.underline.assign(line.text.size(), false);
}

// Strips "&" prefixes: "&x" marks x, "&&" is a literal "&".
Line StripPrefixes(const std::u32string& s, UINT format) {
  Line out;
  const bool noPrefix = format & DT_NOPREFIX;
  const bool hide = format & DT_HIDEPREFIX;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (!noPrefix && s[i] == U'&') {
      if (i + 1 < s.size() && s[i + 1] == U'&') {
        out.text.push_back(U'&');
        out.underline.push_back(false);
        ++i;
        continue;
      }
      if (i + 1 < s.size()) {
        out.text.push_back(s[i + 1]);
        out.underline.push_back(!hide);
        ++i;
      }
      continue;
    }
    out.text.push_back(s[i]);
    out.underline.push_back(false);
  }
  return out;
}

}  // namespace

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* lptm) {
  auto dc = FindDC(hdc);
  if (!dc || !lptm) return FALSE;
  auto font = FontOf(*dc);
  const LOGFONT& lf = font->Request();
  TEXTMETRIC tm;
  tm.tmAscent = font->Ascent();
  tm.tmDescent = font->Descent();
  tm.tmHeight = font->Height();
  tm.tmInternalLeading = std::max(0, font->Height() - font->EmSize());
  tm.tmAveCharWidth = font->AveCharWidth();
  tm.tmMaxCharWidth = font->MaxCharWidth();
  tm.tmWeight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : lf.lfWeight;
  tm.tmItalic = lf.lfItalic ? 1 : 0;
  tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
  tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
  tm.tmCharSet = lf.lfCharSet;
  *lptm = tm;
  return TRUE;
}

int GetTextFace(HDC hdc, int c, std::string* lpName) {
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  const std::string& name = FontOf(*dc)->FamilyName();
  if (lpName) *lpName = c > 0 ? name.substr(0, static_cast<std::size_t>(c)) : name;
  return static_cast<int>(name.size());
}

BOOL GetTextExtentPoint32(HDC hdc, const char* lpString, int c, TSize* psizl) {
  auto dc = FindDC(hdc);
  if (!dc || !psizl || (c > 0 && !lpString)) return FALSE;
  auto font = FontOf(*dc);
  psizl->cx = font->TextWidth(Decode(lpString, std::max(c, 0)));
  psizl->cy = font->Height();
  return TRUE;
}

BOOL GetTextExtentPoint32(HDC hdc, const std::string& text, TSize* psizl) {
  return GetTextExtentPoint32(hdc, text.data(), static_cast<int>(text.size()), psizl);
}

BOOL TextOut(HDC hdc, int x, int y, const char* lpString, int c) {
  if (c < 0 || (c > 0 && !lpString)) return FALSE;
  return Output(hdc, x, y, 0, nullptr, Decode(lpString, c), nullptr);
}

BOOL TextOut(HDC hdc, int x, int y, const std::string& text) {
  return TextOut(hdc, x, y, text.data(), static_cast<int>(text.size()));
}

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const TRect* lprect, const char* lpString, UINT c,
                const int* lpDx) {
  const std::u32string text = Decode(lpString, lpString ? static_cast<int>(c) : 0);
  return Output(hdc, x, y, options, lprect, text, lpDx);
}

LONG TabbedTextOut(HDC hdc, int x, int y, const char* lpString, int chCount, int nTabPositions,
                   const int* lpnTabStopPositions, int nTabOrigin) {
  auto dc = FindDC(hdc);
  if (!dc || chCount < 0 || (chCount > 0 && !lpString)) return 0;
  auto font = FontOf(*dc);
  const std::u32string text = Decode(lpString, chCount);
  // Splits at tabs and draws each piece at its stop.
  std::vector<int> stops;
  if (nTabPositions > 0 && lpnTabStopPositions) stops.assign(lpnTabStopPositions, lpnTabStopPositions + nTabPositions);
  const int every = nTabPositions == 1 && lpnTabStopPositions ? std::max(1, lpnTabStopPositions[0])
                                                              : std::max(1, 8 * font->AveCharWidth());
  int pen = x;
  std::u32string piece;
  auto flush = [&]() {
    if (piece.empty()) return;
    Output(hdc, pen, y, 0, nullptr, piece, nullptr);
    pen += font->TextWidth(piece);
    piece.clear();
  };
  for (char32_t ch : text) {
    if (ch != U'\t') {
      piece.push_back(ch);
      continue;
    }
    flush();
    const int rel = pen - nTabOrigin;
    int next = -1;
    if (nTabPositions > 1) {
      for (int s : stops)
        if (s > rel) {
          next = s;
          break;
        }
      if (next < 0) next = rel + font->Advance(U' ');
    } else {
      next = (rel / every + 1) * every;
    }
    pen = nTabOrigin + next;
  }
  flush();
  return static_cast<LONG>(MAKELPARAM(static_cast<WORD>(pen - x), static_cast<WORD>(font->Height())));
}

int DrawText(HDC hdc, const char* lpchText, int cchText, TRect* lprc, UINT format) {
  auto dc = FindDC(hdc);
  if (!dc || !lprc || (!lpchText && cchText != 0)) return 0;
  auto font = FontOf(*dc);
  const std::u32string all = Decode(lpchText, cchText);
  const bool expandTabs = format & DT_EXPANDTABS;
  const int maxWidth = lprc->Right - lprc->Left;

  // Paragraphs, then lines.
  std::vector<Line> lines;
  if (format & DT_SINGLELINE) {
    std::u32string flat;
    for (char32_t c : all)
      if (c != U'\r' && c != U'\n') flat.push_back(c);
    lines.push_back(StripPrefixes(flat, format));
  } else {
    std::u32string para;
    auto endParagraph = [&]() {
      Line p = StripPrefixes(para, format);
      if (format & DT_WORDBREAK) {
        for (Line& l : Wrap(*font, p, maxWidth, expandTabs, (format & DT_EDITCONTROL) != 0)) lines.push_back(std::move(l));
      } else {
        lines.push_back(std::move(p));
      }
      para.clear();
    };
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i] == U'\r' || all[i] == U'\n') {
        // CR LF and LF CR are each one line break.
        if (i + 1 < all.size() && (all[i + 1] == U'\r' || all[i + 1] == U'\n') && all[i + 1] != all[i]) ++i;
        endParagraph();
      } else {
        para.push_back(all[i]);
      }
    }
    endParagraph();
  }
  if (!(format & DT_CALCRECT) && (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)))
    for (Line& l : lines) Ellipsize(*font, l, maxWidth, format & DT_PATH_ELLIPSIS, expandTabs);

  const int lineHeight = font->Height();
  const int total = lineHeight * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Line& l : lines) widest = std::max(widest, LineWidth(*font, l.text, expandTabs));
    lprc->Right = lprc->Left + widest;
    lprc->Bottom = lprc->Top + total;
    return total;
  }
  if (!dc->surface || (format & DT_PREFIXONLY)) return total;

  int top = lprc->Top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      top = lprc->Top + (lprc->Bottom - lprc->Top - lineHeight) / 2;
    else if (format & DT_BOTTOM)
      top = lprc->Bottom - lineHeight;
  }
  const TPoint off = dc->Offset();
  const TRect limit{lprc->Left + off.X, lprc->Top + off.Y, lprc->Right + off.X, lprc->Bottom + off.Y};
  const std::vector<TRect> clips = TextClip(*dc, (format & DT_NOCLIP) ? nullptr : &limit);
  const int tab = std::max(1, 8 * font->AveCharWidth());
  for (const Line& line : lines) {
    const int width = LineWidth(*font, line.text, expandTabs);
    int left = lprc->Left;
    if (format & DT_CENTER)
      left = lprc->Left + (maxWidth - width) / 2;
    else if (format & DT_RIGHT)
      left = lprc->Right - width;
    const int sx = left + off.X, sy = top + off.Y;
    if (dc->state.bkMode == OPAQUE)
      FillRects(*dc->surface, {sx, sy, sx + width, sy + lineHeight}, PixelOf(dc->state.bkColor), clips);
    if (expandTabs && line.text.find(U'\t') != std::u32string::npos) {
      std::vector<int> dx(line.text.size());
      int pen = 0;
      for (std::size_t i = 0; i < line.text.size(); ++i) {
        const int next = line.text[i] == U'\t' ? (pen / tab + 1) * tab : pen + font->Advance(line.text[i]);
        dx[i] = next - pen;
        pen = next;
      }
      DrawRun(*dc, *font, line.text, sx, sy + font->Ascent(), clips, dx.data(), &line.underline);
    } else {
      DrawRun(*dc, *font, line.text, sx, sy + font->Ascent(), clips, nullptr, &line.underline);
    }
    top += lineHeight;
  }
  return total;
}

int DrawText(HDC hdc, const std::string& text, TRect* lprc, UINT format) {
  return DrawText(hdc, text.data(), static_cast<int>(text.size()), lprc, format);
}
