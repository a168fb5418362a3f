#include "lib/data/vlSkinDescription.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>

#include "platform/core/Exceptions.h"

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One part of a rectangle or point value: digits only, "-" before the first digit negates.
int ParseNumberPart(std::string_view part, std::string_view whole) {
  bool negative = false;
  bool anyDigit = false;
  std::int64_t value = 0;
  for (char c : part) {
    if (c >= '0' && c <= '9') {
      anyDigit = true;
      value = value * 10 + (c - '0');
      if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
        throw EConvertError("'" + std::string(whole) + "' is not a valid integer value");
    } else if (c == '-' && !anyDigit) {
      negative = true;
    }
  }
  if (!anyDigit) throw EConvertError("'" + std::string(whole) + "' is not a valid integer value");
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max())
    throw EConvertError("'" + std::string(whole) + "' is not a valid integer value");
  return static_cast<int>(value);
}

template <std::size_t N>
std::array<int, N> ParseNumberList(std::string_view text) {
  std::array<int, N> values{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < N; ++i) {
    if (start > text.size()) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    std::size_t comma = text.find(',', start);
    std::string_view part = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    values[i] = ParseNumberPart(part, text);
    start = comma == std::string_view::npos ? text.size() + 1 : comma + 1;
  }
  return values;
}

struct FontStyleWord {
  TFontStyle Style;
  const char* Word;
};
constexpr FontStyleWord kFontStyleWords[] = {
    {TFontStyle::fsBold, "fsbold"},
    {TFontStyle::fsItalic, "fsitalic"},
    {TFontStyle::fsUnderline, "fsunderline"},
    {TFontStyle::fsStrikeOut, "fsstrikeout"},
};

constexpr const char* kStretchWords[] = {"stfull", "sthorz", "stvert"};
constexpr const char* kMorphWords[] = {"mkdefault",       "mkgradient",  "mkleftgradient", "mkrightgradient",
                                       "mkleftslide",     "mkrightslide", "mkpush"};
constexpr const char* kInActiveWords[] = {"iebrightness", "iedarkness", "iegrayscale",
                                          "ienoise",      "iesplitblur", "ieinvert"};
constexpr const char* kCommandWords[] = {"cmclose", "cmmaximize", "cmminimize",      "cmsysmenu",
                                         "cmdefault", "cmrollup", "cmminimizetotray"};

bool SectionHasKeys(TCustomIniFile* IniFile, const std::string& Section) {
  auto keys = std::make_unique<TStringList>();
  IniFile->ReadSection(Section, keys.get());
  return keys->Count() > 0;
}

}  // namespace

std::optional<std::int32_t> vlParseInteger(std::string_view Text) {
  std::string_view s = TrimBlanks(Text);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  bool hex = false;
  if (s.front() == '$') {
    hex = true;
    s.remove_prefix(1);
  } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    hex = true;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  std::uint64_t value = 0;
  if (hex) {
    for (char c : s) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(d);
      if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    // Hexadecimal text names the 32 bits; "$FFFFFFFF" is -1.
    auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(bits)) : bits;
  }
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > 0x80000000ull) return std::nullopt;
  }
  if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
  if (value > 0x7FFFFFFFull) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

TRect ParseRectText(std::string_view Text) {
  auto v = ParseNumberList<4>(Text);
  return TRect{v[0], v[1], v[2], v[3]};
}

TPoint ParsePointText(std::string_view Text) {
  auto v = ParseNumberList<2>(Text);
  return TPoint{v[0], v[1]};
}

std::int32_t ReadIniInteger(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                            std::int32_t Default) {
  return vlParseInteger(IniFile->ReadString(Section, Key, "")).value_or(Default);
}

TRect ReadIniRect(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key) {
  return ParseRectText(IniFile->ReadString(Section, Key, "0,0,0,0"));
}

TPoint ReadIniPoint(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key) {
  return ParsePointText(IniFile->ReadString(Section, Key, "0,0"));
}

bool ReadIniBoolean(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key) {
  return ReadIniInteger(IniFile, Section, Key, 0) == 1;
}

TFontStyles ReadIniFontStyles(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key) {
  const std::string text = IniFile->ReadString(Section, Key, "");
  TFontStyles styles;
  for (const FontStyleWord& w : kFontStyleWords)
    if (text.find(w.Word) != std::string::npos) styles.Include(w.Style);
  return styles;
}

TAlignment ReadIniAlignment(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key) {
  const std::string text = IniFile->ReadString(Section, Key, "tacenter");
  if (text == "tacenter") return TAlignment::taCenter;
  if (text == "taleftjustify") return TAlignment::taLeftJustify;
  return TAlignment::taRightJustify;
}

TvlStretchType ReadStretchType(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key) {
  const std::string text = IniFile->ReadString(Section, Key, "stfull");
  if (text == "stfull") return TvlStretchType::vlstFull;
  if (text == "stvert") return TvlStretchType::vlstVert;
  return TvlStretchType::vlstHorz;
}

TvlMorphKind ReadMorphKind(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key) {
  const std::string text = IniFile->ReadString(Section, Key, "mkdefault");
  for (std::size_t i = 0; i < std::size(kMorphWords); ++i)
    if (text == kMorphWords[i]) return static_cast<TvlMorphKind>(i);
  return TvlMorphKind::mkDefault;
}

TvlInActiveEffect ReadInActiveEffect(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key) {
  const std::string text = IniFile->ReadString(Section, Key, "iebrightness");
  for (std::size_t i = 0; i < std::size(kInActiveWords); ++i)
    if (text == kInActiveWords[i]) return static_cast<TvlInActiveEffect>(i);
  return TvlInActiveEffect::ieGrayScale;
}

TvlStdCommand ReadStdCommand(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key) {
  const std::string text = IniFile->ReadString(Section, Key, "cmdefault");
  for (std::size_t i = 0; i < std::size(kCommandWords); ++i)
    if (text == kCommandWords[i]) return static_cast<TvlStdCommand>(i);
  return TvlStdCommand::cmMinimizeToTray;
}

int vlHighestNumberedKey(TCustomIniFile* IniFile, const std::string& Section) {
  auto keys = std::make_unique<TStringList>();
  IniFile->ReadSection(Section, keys.get());
  int highest = 0;
  for (int i = 0; i < keys->Count(); ++i) {
    const std::string key = keys->Strings(i);
    if (key.empty() || key.size() > 10) continue;
    bool digits = true;
    for (char c : key) digits = digits && c >= '0' && c <= '9';
    if (!digits) continue;
    const auto n = vlParseInteger(key);
    if (n && *n < std::numeric_limits<std::int32_t>::max() && *n + 1 > highest) highest = *n + 1;
  }
  return highest;
}

void ReadIniStrings(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, TStrings* Strings) {
  int count = ReadIniInteger(IniFile, Section, Key + "count", 0);
  if (count <= 0) return;
  count = std::min(count, vlHighestNumberedKey(IniFile, Section));
  for (int i = 0; i < count; ++i) Strings->Add(IniFile->ReadString(Section, std::to_string(i), ""));
}

void WriteIniRect(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, const TRect& Value) {
  IniFile->WriteString(Section, Key,
                       std::to_string(Value.Left) + "," + std::to_string(Value.Top) + "," +
                           std::to_string(Value.Right) + "," + std::to_string(Value.Bottom));
}

void WriteIniPoint(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, const TPoint& Value) {
  IniFile->WriteString(Section, Key, std::to_string(Value.X) + "," + std::to_string(Value.Y));
}

void WriteIniBoolean(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, bool Value) {
  IniFile->WriteString(Section, Key, Value ? "1" : "0");
}

void WriteIniFontStyles(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                        TFontStyles Value) {
  std::string text;
  for (const FontStyleWord& w : kFontStyleWords) {
    if (!Value.Contains(w.Style)) continue;
    if (!text.empty()) text += ",";
    text += w.Word;
  }
  IniFile->WriteString(Section, Key, text);
}

void WriteIniAlignment(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                       TAlignment Value) {
  const char* word = Value == TAlignment::taLeftJustify    ? "taleftjustify"
                     : Value == TAlignment::taRightJustify ? "tarightjustify"
                                                           : "tacenter";
  IniFile->WriteString(Section, Key, word);
}

std::string_view StretchTypeKeyword(TvlStretchType Value) { return kStretchWords[static_cast<int>(Value)]; }
std::string_view MorphKindKeyword(TvlMorphKind Value) { return kMorphWords[static_cast<int>(Value)]; }
std::string_view InActiveEffectKeyword(TvlInActiveEffect Value) { return kInActiveWords[static_cast<int>(Value)]; }
std::string_view StdCommandKeyword(TvlStdCommand Value) { return kCommandWords[static_cast<int>(Value)]; }

void WriteStretchType(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                      TvlStretchType Value) {
  IniFile->WriteString(Section, Key, std::string(StretchTypeKeyword(Value)));
}

void WriteMorphKind(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, TvlMorphKind Value) {
  IniFile->WriteString(Section, Key, std::string(MorphKindKeyword(Value)));
}

void WriteInActiveEffect(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                         TvlInActiveEffect Value) {
  IniFile->WriteString(Section, Key, std::string(InActiveEffectKeyword(Value)));
}

void WriteStdCommand(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key,
                     TvlStdCommand Value) {
  IniFile->WriteString(Section, Key, std::string(StdCommandKeyword(Value)));
}

void WriteIniStrings(TCustomIniFile* IniFile, const std::string& Section, const std::string& Key, TStrings* Strings) {
  IniFile->WriteInteger(Section, Key + "count", Strings->Count());
  for (int i = 0; i < Strings->Count(); ++i) IniFile->WriteString(Section, std::to_string(i), Strings->Strings(i));
}

bool IsSkinIniFile(TCustomIniFile* IniFile) {
  for (const char* section : {"VERSION", "PICTURES", "FORMINFO", "SKINOBJECTS", "SKINCONTROLS"})
    if (!SectionHasKeys(IniFile, section)) return false;
  return true;
}

// ---- refused values ----

namespace {

std::mutex& LogSinkLock() {
  static std::mutex lock;
  return lock;
}

TvlSkinLogSink& LogSink() {
  static TvlSkinLogSink sink;
  return sink;
}

thread_local std::uint64_t tRefusals = 0;

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }
bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool IsCoordinate(std::int32_t v) { return v >= -vlSkinCoordinateLimit && v <= vlSkinCoordinateLimit; }

std::string Range(std::int32_t low, std::int32_t high) {
  return "outside " + std::to_string(low) + ".." + std::to_string(high);
}

}  // namespace

TvlSkinLogSink vlSetSkinLogSink(TvlSkinLogSink Sink) {
  std::lock_guard<std::mutex> hold(LogSinkLock());
  TvlSkinLogSink previous = std::move(LogSink());
  LogSink() = std::move(Sink);
  return previous;
}

void vlReportSkinRefusal(const std::string& Element, const std::string& Key, const std::string& Reason) {
  ++tRefusals;
  const std::string line =
      "skin element '" + Element + "' key '" + Key + "' refused: " + Reason + "; built-in look used";
  std::lock_guard<std::mutex> hold(LogSinkLock());
  if (LogSink())
    LogSink()(line);
  else
    std::fprintf(stderr, "%s\n", line.c_str());
}

std::uint64_t vlSkinRefusalCount() { return tRefusals; }

std::optional<std::string> vlIntegerRefusal(std::string_view Key, std::int32_t Value) {
  const auto outside = [&](std::int32_t low, std::int32_t high) -> std::optional<std::string> {
    if (Value >= low && Value <= high) return std::nullopt;
    return std::to_string(Value) + " is " + Range(low, high);
  };
  std::string lower(Key);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (Contains(lower, "color")) return std::nullopt;
  if (EndsWith(Key, "pictureindex")) return outside(-1, vlSkinCoordinateLimit);
  if (EndsWith(Key, "alphablendvalue")) return outside(0, 255);
  if (EndsWith(Key, "count") || EndsWith(Key, "countframes") || EndsWith(Key, "size") || Key == "borderwidth" ||
      Key == "formminwidth")
    return outside(0, vlSkinCoordinateLimit);
  return outside(-vlSkinCoordinateLimit, vlSkinCoordinateLimit);
}

std::optional<std::string> vlRectRefusal(const TRect& Value) {
  const std::string text = std::to_string(Value.Left) + "," + std::to_string(Value.Top) + "," +
                           std::to_string(Value.Right) + "," + std::to_string(Value.Bottom);
  for (std::int32_t v : {Value.Left, Value.Top, Value.Right, Value.Bottom})
    if (!IsCoordinate(v)) return text + " has a coordinate " + Range(-vlSkinCoordinateLimit, vlSkinCoordinateLimit);
  if (Value.Right < Value.Left || Value.Bottom < Value.Top) return text + " has a negative size";
  return std::nullopt;
}

std::optional<std::string> vlPointRefusal(const TPoint& Value) {
  if (IsCoordinate(Value.X) && IsCoordinate(Value.Y)) return std::nullopt;
  return std::to_string(Value.X) + "," + std::to_string(Value.Y) + " has a coordinate " +
         Range(-vlSkinCoordinateLimit, vlSkinCoordinateLimit);
}

// ---- TvlSkinKeys ----

void TvlSkinKeys::Read(TCustomIniFile* IniFile, const std::string& Section) const {
  for (const Entry& e : entries_) {
    const std::string key = e.Key;
    std::visit(
        [&](auto* field) {
          using T = std::remove_pointer_t<decltype(field)>;
          // A refused value leaves the default in the field.
          auto keep = [&](auto value, auto fallback, const std::optional<std::string>& refusal) {
            *field = refusal ? fallback : value;
            if (refusal) vlReportSkinRefusal(Section, key, *refusal);
          };
          if constexpr (std::is_same_v<T, std::int32_t>) {
            const std::int32_t value = ReadIniInteger(IniFile, Section, key, e.IntDefault);
            // Every SKINCOLORS key is a colour.
            keep(value, e.IntDefault, Section == "SKINCOLORS" ? std::nullopt : vlIntegerRefusal(key, value));
          } else if constexpr (std::is_same_v<T, bool>) *field = ReadIniBoolean(IniFile, Section, key);
          else if constexpr (std::is_same_v<T, std::string>) *field = IniFile->ReadString(Section, key, e.TextDefault);
          else if constexpr (std::is_same_v<T, TRect>) {
            const TRect value = ReadIniRect(IniFile, Section, key);
            keep(value, TRect{}, vlRectRefusal(value));
          } else if constexpr (std::is_same_v<T, TPoint>) {
            const TPoint value = ReadIniPoint(IniFile, Section, key);
            keep(value, TPoint{}, vlPointRefusal(value));
          }
          else if constexpr (std::is_same_v<T, TFontStyles>) *field = ReadIniFontStyles(IniFile, Section, key);
          else if constexpr (std::is_same_v<T, TAlignment>) *field = ReadIniAlignment(IniFile, Section, key);
          else if constexpr (std::is_same_v<T, TvlStretchType>) *field = ReadStretchType(IniFile, Section, key);
          else if constexpr (std::is_same_v<T, TvlMorphKind>) *field = ReadMorphKind(IniFile, Section, key);
          else if constexpr (std::is_same_v<T, TvlInActiveEffect>) *field = ReadInActiveEffect(IniFile, Section, key);
          else if constexpr (std::is_same_v<T, TvlStdCommand>) *field = ReadStdCommand(IniFile, Section, key);
        },
        e.Value);
  }
}

void TvlSkinKeys::Write(TCustomIniFile* IniFile, const std::string& Section) const {
  for (const Entry& e : entries_) {
    const std::string key = e.Key;
    std::visit(
        [&](auto* field) {
          using T = std::remove_pointer_t<decltype(field)>;
          if constexpr (std::is_same_v<T, std::int32_t>) IniFile->WriteInteger(Section, key, *field);
          else if constexpr (std::is_same_v<T, bool>) WriteIniBoolean(IniFile, Section, key, *field);
          else if constexpr (std::is_same_v<T, std::string>) IniFile->WriteString(Section, key, *field);
          else if constexpr (std::is_same_v<T, TRect>) WriteIniRect(IniFile, Section, key, *field);
          else if constexpr (std::is_same_v<T, TPoint>) WriteIniPoint(IniFile, Section, key, *field);
          else if constexpr (std::is_same_v<T, TFontStyles>) WriteIniFontStyles(IniFile, Section, key, *field);
          else if constexpr (std::is_same_v<T, TAlignment>) WriteIniAlignment(IniFile, Section, key, *field);
          else if constexpr (std::is_same_v<T, TvlStretchType>) WriteStretchType(IniFile, Section, key, *field);
          else if constexpr (std::is_same_v<T, TvlMorphKind>) WriteMorphKind(IniFile, Section, key, *field);
          else if constexpr (std::is_same_v<T, TvlInActiveEffect>) WriteInActiveEffect(IniFile, Section, key, *field);
          else if constexpr (std::is_same_v<T, TvlStdCommand>) WriteStdCommand(IniFile, Section, key, *field);
        },
        e.Value);
  }
}
