#include "platform/graphics/FontEngine.h"
#include "platform/core/SysUtils.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <unordered_map>

namespace {

struct Engine {
  std::recursive_mutex lock;
  FT_Library library = nullptr;
  bool fontconfigReady = false;
  std::map<std::string, std::shared_ptr<FontInstance>> instances;

  Engine() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
    fontconfigReady = FcInit() == FcTrue;
  }
  ~Engine() {
    instances.clear();
    if (library) FT_Done_FreeType(library);
  }
};

// The one font engine of the process: the FreeType library and the instance cache.
Engine& TheEngine() {
  // Lives for the whole run: drawing objects (stock fonts among them) still hold font instances
  // when the static handle tables go at exit, and must find the library alive then.
  static auto* engine = new Engine;
  return *engine;
}

}  // namespace

std::vector<std::string> InstalledFontFamilies() {
  Engine& e = TheEngine();
  std::lock_guard lock(e.lock);
  std::vector<std::string> families;
  if (!e.fontconfigReady) return families;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* family = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family) {
        std::string name = reinterpret_cast<const char*>(family);
        if (std::find(families.begin(), families.end(), name) == families.end()) families.push_back(std::move(name));
      }
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return families;
}

namespace {

struct FaceRequest {
  std::string family;
  bool chinese = false;
};

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

FaceRequest MapFaceName(const std::string& name) {
  static const std::map<std::string, FaceRequest> table = {
      {"", {"sans-serif", false}},
      {"arial", {"sans-serif", false}},
      {"tahoma", {"sans-serif", false}},
      {"ms sans serif", {"sans-serif", false}},
      {"microsoft sans serif", {"sans-serif", false}},
      {"verdana", {"sans-serif", false}},
      {"segoe ui", {"sans-serif", false}},
      {"system", {"sans-serif", false}},
      {"宋体", {"sans-serif", true}},
      {"新宋体", {"sans-serif", true}},
      {"simsun", {"sans-serif", true}},
      {"nsimsun", {"sans-serif", true}},
      {"黑体", {"sans-serif", true}},
      {"simhei", {"sans-serif", true}},
      {"微软雅黑", {"sans-serif", true}},
      {"microsoft yahei", {"sans-serif", true}},
      {"courier new", {"monospace", false}},
      {"courier", {"monospace", false}},
      {"fixedsys", {"monospace", false}},
      {"terminal", {"monospace", false}},
      {"times new roman", {"serif", false}},
  };
  auto it = table.find(Lower(name));
  if (it != table.end()) return it->second;
  return {name, false};
}

struct MatchedFile {
  std::string path;
  int index = 0;
  std::string family;
};

// Asks fontconfig for the best file of a family (or of a character when ch != 0).
bool MatchFont(const std::string& family, bool chinese, bool bold, bool italic, char32_t ch, MatchedFile* out) {
  if (!TheEngine().fontconfigReady) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (chinese) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (ch) {
    FcCharSet* set = FcCharSetCreate();
    FcCharSetAddChar(set, ch);
    FcPatternAddCharSet(pattern, FC_CHARSET, set);
    FcCharSetDestroy(set);
  }
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  FcChar8* fam = nullptr;
  int index = 0;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (ok) {
    out->path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    out->index = index;
    if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam)
      out->family = reinterpret_cast<const char*>(fam);
  }
  FcPatternDestroy(match);
  return ok;
}

std::string CacheKey(const LOGFONT& lf) {
  return Lower(lf.lfFaceName) + "|" + std::to_string(lf.lfHeight) + "|" + std::to_string(lf.lfWeight >= 600) + "|" +
         std::to_string(lf.lfItalic != 0) + "|" + std::to_string(lf.lfUnderline != 0) + "|" +
         std::to_string(lf.lfStrikeOut != 0);
}

int Scale(long units, int em, int upem) {
  return upem > 0 ? static_cast<int>(std::lround(static_cast<double>(units) * em / upem)) : 0;
}

}  // namespace

struct FontInstance::Impl {
  struct Face {
    FT_Face face = nullptr;
    bool synthBold = false;
    bool synthItalic = false;
  };
  std::vector<Face> faces;  // [0] the primary face
  std::map<std::string, int> byPath;
  std::unordered_map<char32_t, std::pair<int, FT_UInt>> lookup;  // face and glyph index per character
  std::unordered_map<char32_t, GlyphImage> glyphs;
  bool bold = false, italic = false;
  int em = 12;

  ~Impl() {
    for (Face& f : faces)
      if (f.face) FT_Done_Face(f.face);
  }

  // Opens a face file at the instance's size; -1 when it cannot be opened.
  int Open(const MatchedFile& m) {
    const std::string key = m.path + "#" + std::to_string(m.index);
    if (auto it = byPath.find(key); it != byPath.end()) return it->second;
    FT_Face face = nullptr;
    if (!TheEngine().library || FT_New_Face(TheEngine().library, m.path.c_str(), m.index, &face) != 0) {
      byPath[key] = -1;
      return -1;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));
    // A face without its own bold or italic design gets them synthesised.
    faces.push_back({face, bold && !(face->style_flags & FT_STYLE_FLAG_BOLD),
                     italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC)});
    const int index = static_cast<int>(faces.size()) - 1;
    byPath[key] = index;
    return index;
  }

  std::pair<int, FT_UInt> Find(char32_t ch) {
    if (auto it = lookup.find(ch); it != lookup.end()) return it->second;
    std::pair<int, FT_UInt> found{0, 0};
    auto tryFace = [&](int i) {
      if (i < 0 || found.second) return;
      const FT_UInt g = FT_Get_Char_Index(faces[static_cast<std::size_t>(i)].face, ch);
      if (g) found = {i, g};
    };
    for (std::size_t i = 0; i < faces.size() && !found.second; ++i) tryFace(static_cast<int>(i));
    if (!found.second && ch >= 0x20) {
      MatchedFile m;
      if (MatchFont("sans-serif", true, bold, italic, 0, &m)) tryFace(Open(m));
      if (!found.second && MatchFont("", false, bold, italic, ch, &m)) tryFace(Open(m));
    }
    lookup[ch] = found;
    return found;
  }
};

FontInstance::~FontInstance() = default;

std::shared_ptr<FontInstance> FontInstance::Get(const LOGFONT& lf) {
  Engine& engine = TheEngine();
  std::lock_guard<std::recursive_mutex> guard(engine.lock);
  const std::string key = CacheKey(lf);
  if (auto it = engine.instances.find(key); it != engine.instances.end()) return it->second;

  std::shared_ptr<FontInstance> font(new FontInstance());
  font->request_ = lf;
  font->impl_ = std::make_unique<Impl>();
  Impl& impl = *font->impl_;
  impl.bold = lf.lfWeight >= 600;
  impl.italic = lf.lfItalic != 0;

  const FaceRequest req = MapFaceName(lf.lfFaceName);
  MatchedFile primary;
  const bool matched = MatchFont(req.family, req.chinese, impl.bold, impl.italic, 0, &primary) ||
                       MatchFont("sans-serif", true, impl.bold, impl.italic, 0, &primary);
  // The em size: asked directly, or derived from the cell height through the face's design units.
  int em = lf.lfHeight < 0 ? -lf.lfHeight : 12;
  FT_Face probe = nullptr;
  if (matched && engine.library && FT_New_Face(engine.library, primary.path.c_str(), primary.index, &probe) == 0) {
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(probe, FT_SFNT_OS2));
    const long cellUnits = os2 && os2->usWinAscent + os2->usWinDescent > 0
                               ? static_cast<long>(os2->usWinAscent) + os2->usWinDescent
                               : static_cast<long>(probe->ascender) - probe->descender;
    if (lf.lfHeight > 0 && cellUnits > 0)
      em = std::max(1, static_cast<int>(std::lround(static_cast<double>(lf.lfHeight) * probe->units_per_EM / cellUnits)));
    FT_Done_Face(probe);
  }
  em = std::clamp(em, 1, 2048);
  impl.em = em;
  font->em_ = em;
  font->family_ = primary.family;
  if (matched) impl.Open(primary);

  if (!impl.faces.empty()) {
    FT_Face face = impl.faces[0].face;
    const int upem = face->units_per_EM;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
      font->ascent_ = Scale(os2->usWinAscent, em, upem);
      font->descent_ = Scale(os2->usWinDescent, em, upem);
      font->aveCharWidth_ = Scale(os2->xAvgCharWidth, em, upem);
      font->strikePos_ = Scale(os2->yStrikeoutPosition, em, upem);
    } else {
      font->ascent_ = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
      font->descent_ = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    }
    font->maxCharWidth_ = Scale(face->max_advance_width, em, upem);
    font->underlinePos_ = std::max(1, Scale(-face->underline_position, em, upem));
    font->lineThickness_ = std::max(1, Scale(face->underline_thickness, em, upem));
  }
  if (font->ascent_ + font->descent_ <= 0) {
    font->ascent_ = em - em / 5;
    font->descent_ = em / 5;
  }
  if (font->aveCharWidth_ <= 0) font->aveCharWidth_ = std::max(1, font->Advance(U'x'));
  if (font->maxCharWidth_ <= 0) font->maxCharWidth_ = em;
  if (font->strikePos_ <= 0) font->strikePos_ = std::max(1, font->ascent_ / 3);
  engine.instances[key] = font;
  return font;
}

const GlyphImage& FontInstance::Glyph(char32_t ch) {
  Engine& engine = TheEngine();
  std::lock_guard<std::recursive_mutex> guard(engine.lock);
  Impl& impl = *impl_;
  if (auto it = impl.glyphs.find(ch); it != impl.glyphs.end()) return it->second;
  GlyphImage image;
  if (!impl.faces.empty()) {
    const auto [faceIndex, glyphIndex] = impl.Find(ch);
    const Impl::Face& f = impl.faces[static_cast<std::size_t>(faceIndex)];
    FT_Face face = f.face;
    if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) == 0) {
      if (f.synthBold) FT_GlyphSlot_Embolden(face->glyph);
      if (f.synthItalic) FT_GlyphSlot_Oblique(face->glyph);
      image.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
      if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0) {
        const FT_Bitmap& bm = face->glyph->bitmap;
        image.left = face->glyph->bitmap_left;
        image.top = face->glyph->bitmap_top;
        image.width = static_cast<int>(bm.width);
        image.rows = static_cast<int>(bm.rows);
        image.coverage.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.rows));
        for (int y = 0; y < image.rows; ++y) {
          const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
          std::uint8_t* dst = image.coverage.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
          if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
            std::copy(src, src + image.width, dst);
          } else if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < image.width; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
          }
        }
      }
    }
  }
  if (ch == U'\t' || ch == U'\n' || ch == U'\r') {
    image = GlyphImage{};
    if (ch == U'\t') image.advance = Advance(U' ');
  }
  return impl.glyphs.emplace(ch, std::move(image)).first->second;
}

int FontInstance::Advance(char32_t ch) { return Glyph(ch).advance; }

int FontInstance::TextWidth(const std::u32string& text) {
  int w = 0;
  for (char32_t ch : text) w += Advance(ch);
  return w;
}

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int len = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      cp = c;
      len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      len = 4;
    }
    bool ok = len > 0 && i + static_cast<std::size_t>(len) <= text.size();
    for (int k = 1; ok && k < len; ++k) {
      const unsigned char cc = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((cc & 0xC0) != 0x80)
        ok = false;
      else
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok || cp > 0x10FFFF || (len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)) {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    out.push_back(cp);
    i += static_cast<std::size_t>(len);
  }
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  for (char32_t cp : text) out += Utf8Encode(cp);
  return out;
}
