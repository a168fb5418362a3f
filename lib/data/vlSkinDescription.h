#pragma once
// The skin description text: the enumerations of the skin data with their keywords, the value
// encodings of its INI keys (rectangles, points, booleans, font styles, alignments, keyword
// values, string lists), and TvlSkinKeys, the one declarative list of (key, field, default)
// from which every description both reads and writes its section.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/core/Set.h"
#include "platform/core/Strings.h"
#include "platform/controls/Controls.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Types.h"

enum class TvlStretchType { vlstFull, vlstHorz, vlstVert };
enum class TvlMorphKind { mkDefault, mkGradient, mkLeftGradient, mkRightGradient, mkLeftSlide, mkRightSlide, mkPush };
enum class TvlInActiveEffect { ieBrightness, ieDarkness, ieGrayScale, ieNoise, ieSplitBlur, ieInvert };
enum class TvlStdCommand { cmClose, cmMaximize, cmMinimize, cmSysMenu, cmDefault, cmRollUp, cmMinimizeToTray };
enum class TvlButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// ---- plain values ----

// Integer reading of a key's text: optional sign, decimal, "$" or "0x" hexadecimal (up to 32
// bits, taken as a signed 32-bit value); blanks around the number are ignored. Anything else,
// including a decimal value outside the 32-bit range, gives nullopt.
[[nodiscard]] std::optional<std::int32_t> vlParseInteger(std::string_view Text);

// "l,t,r,b" and "x,y": parts split at ",", extra parts ignored; in each part only digits count,
// a "-" before the first digit negates it. Fewer parts, a part without a digit, or a value
// outside the 32-bit range raise EConvertError.
[[nodiscard]] TRect ParseRectText(std::string_view Text);
[[nodiscard]] TPoint ParsePointText(std::string_view Text);

// ---- readers and writers of the encodings (IniFile, Section, Key) ----

[[nodiscard]] std::int32_t ReadIniInteger(TCustomIniFile* IniFile, const std::string& Section,
                                          const std::string& Key, std::int32_t Default);
[[nodiscard]] TRect ReadIniRect(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key);
[[nodiscard]] TPoint ReadIniPoint(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key);
[[nodiscard]] bool ReadIniBoolean(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key);
[[nodiscard]] TFontStyles ReadIniFontStyles(TCustomIniFile* IniFile, const std::string& Section,
                                            const std::string& Key);
[[nodiscard]] TAlignment ReadIniAlignment(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key);
[[nodiscard]] TvlStretchType ReadStretchType(TCustomIniFile* IniFile, const std::string& Section,
                                             const std::string& Key);
[[nodiscard]] TvlMorphKind ReadMorphKind(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key);
[[nodiscard]] TvlInActiveEffect ReadInActiveEffect(TCustomIniFile* IniFile, const std::string& Section,
                                                   const std::string& Key);
[[nodiscard]] TvlStdCommand ReadStdCommand(TCustomIniFile* IniFile, const std::string& Section,
                                           const std::string& Key);
// Appends the items "0" .. count-1 (count under Key + "count") to Strings. Items past the
// highest numbered key present are not read, so a lying count cannot run away.
void ReadIniStrings(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, TStrings* Strings);

void WriteIniRect(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, const TRect& Value);
void WriteIniPoint(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, const TPoint& Value);
void WriteIniBoolean(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, bool Value);
void WriteIniFontStyles(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                        TFontStyles Value);
void WriteIniAlignment(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                       TAlignment Value);
void WriteStretchType(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                      TvlStretchType Value);
void WriteMorphKind(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                    TvlMorphKind Value);
void WriteInActiveEffect(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                         TvlInActiveEffect Value);
void WriteStdCommand(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                     TvlStdCommand Value);
void WriteIniStrings(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, TStrings* Strings);

// Keyword texts (as written) of the keyword encodings.
[[nodiscard]] std::string_view StretchTypeKeyword(TvlStretchType Value);
[[nodiscard]] std::string_view MorphKindKeyword(TvlMorphKind Value);
[[nodiscard]] std::string_view InActiveEffectKeyword(TvlInActiveEffect Value);
[[nodiscard]] std::string_view StdCommandKeyword(TvlStdCommand Value);

// The largest n such that entries "0" .. n-1 can be present in Section: one more than the highest
// key of the section that is a plain decimal number, 0 when there is none. Lists bound their
// "count" by it.
[[nodiscard]] int vlHighestNumberedKey(TCustomIniFile* IniFile, const std::string& Section);

// True when VERSION, PICTURES, FORMINFO, SKINOBJECTS and SKINCONTROLS each hold at least one key.
[[nodiscard]] bool IsSkinIniFile(TCustomIniFile* IniFile);

// ---- refused values ----

// Every rectangle, point and number read through TvlSkinKeys is checked as it is read. A value
// no control can use is refused: the field keeps its default, and one line naming the element
// (its section), the key and the reason goes to the skin log. The checks, by key:
//   rectangles  every coordinate within +-vlSkinCoordinateLimit, right >= left, bottom >= top;
//   points      both coordinates within +-vlSkinCoordinateLimit;
//   integers    colours (keys naming a "color" in any case, every key of SKINCOLORS) any value; picture indexes from -1 up; counts
//               ("count", "countframes") and sizes ("size", "borderwidth", "formminwidth") from
//               0 up; alpha values 0..255; every other number within +-vlSkinCoordinateLimit.
// The skin data drops a listed element that refused a value, so its controls draw their
// built-in look, and checks the elements' pictures once they are loaded (vlSkinData.h).
inline constexpr std::int32_t vlSkinCoordinateLimit = 32767;

// Receives each refusal line. The default sink writes the line to stderr.
using TvlSkinLogSink = std::function<void(const std::string& Line)>;
// Installs Sink (an empty one restores the default) and answers the one it replaces.
TvlSkinLogSink vlSetSkinLogSink(TvlSkinLogSink Sink);
// Sends "skin element '<Element>' key '<Key>' refused: <Reason>; built-in look used" to the sink.
void vlReportSkinRefusal(const std::string& Element, const std::string& Key, const std::string& Reason);
// The number of refusals reported on this thread so far.
[[nodiscard]] std::uint64_t vlSkinRefusalCount();

// The reason an integer of Key is refused, or nullopt when a control can use Value.
[[nodiscard]] std::optional<std::string> vlIntegerRefusal(std::string_view Key, std::int32_t Value);
[[nodiscard]] std::optional<std::string> vlRectRefusal(const TRect& Value);
[[nodiscard]] std::optional<std::string> vlPointRefusal(const TPoint& Value);

// ---- the key table ----

// The keys of one description section, each bound to a field of one description object with the
// field's encoding (taken from the field's type; colours are integers) and the default used when
// the key is absent. A kind lists its keys once; reading and writing both walk that
// same list, so a key cannot be read and then forgotten on write.
class TvlSkinKeys {
 public:
  using Field = std::variant<std::int32_t*, bool*, std::string*, TRect*, TPoint*, TFontStyles*, TAlignment*,
                             TvlStretchType*, TvlMorphKind*, TvlInActiveEffect*, TvlStdCommand*>;
  struct Entry {
    const char* Key;
    Field Value;
    std::int32_t IntDefault;   // integer and colour keys
    const char* TextDefault;   // text keys
  };

  void Add(const char* Key, std::int32_t& Value, std::int32_t Default = 0) { entries_.push_back({Key, &Value, Default, ""}); }
  void Add(const char* Key, std::string& Value, const char* Default = "") { entries_.push_back({Key, &Value, 0, Default}); }
  template <typename T>
  void Add(const char* Key, T& Value) {
    entries_.push_back({Key, &Value, 0, ""});
  }

  // Reads every key of Section into its field (the default when absent or refused, see above). A
  // malformed rectangle or point raises EConvertError.
  void Read(TCustomIniFile* IniFile, const std::string& Section) const;
  // Writes every key with its encoding.
  void Write(TCustomIniFile* IniFile, const std::string& Section) const;
  [[nodiscard]] const std::vector<Entry>& Entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

// The keys that recur in several kinds, always with these fields in this order.
template <typename T>
void vlAddFontGroup(TvlSkinKeys& Keys, T& Owner) {
  Keys.Add("fontname", Owner.FontName, "Arial");
  Keys.Add("fontstyle", Owner.FontStyle);
  Keys.Add("fontheight", Owner.FontHeight, 14);
  Keys.Add("fontcolor", Owner.FontColor);
}

// Every description kind derives from a base, adds its own fields and lists its own keys once in
// BindOwnKeys; these three overrides are what every kind has:
//   LoadFromFile  runs the base's reader, then reads the kind's own keys;
//   SaveToFile    runs the base's writer (the root erases the section first), then writes them;
//   BindKeys      lists all keys of the kind, the base's first (tests and tools walk it).
#define VL_SKIN_DESCRIPTION(Class, Base)               \
 public:                                               \
  using Base::Base;                                    \
  void LoadFromFile(TCustomIniFile* IniFile) override; \
  void SaveToFile(TCustomIniFile* IniFile) override;   \
  void BindKeys(TvlSkinKeys& Keys) override;           \
                                                       \
 private:                                              \
  void BindOwnKeys(TvlSkinKeys& Keys);

// The usual bodies of the three overrides, for kinds that derive nothing while reading.
#define VL_SKIN_DESCRIPTION_BIND(Class, Base) \
  void Class::BindKeys(TvlSkinKeys& Keys) {   \
    Base::BindKeys(Keys);                     \
    BindOwnKeys(Keys);                        \
  }
#define VL_SKIN_DESCRIPTION_IMPL(Class, Base)        \
  VL_SKIN_DESCRIPTION_BIND(Class, Base)              \
  void Class::LoadFromFile(TCustomIniFile* IniFile) { \
    Base::LoadFromFile(IniFile);                     \
    TvlSkinKeys keys;                                \
    BindOwnKeys(keys);                               \
    keys.Read(IniFile, IDName);                      \
  }                                                  \
  void Class::SaveToFile(TCustomIniFile* IniFile) {  \
    Base::SaveToFile(IniFile);                       \
    TvlSkinKeys keys;                                \
    BindOwnKeys(keys);                               \
    keys.Write(IniFile, IDName);                     \
  }
