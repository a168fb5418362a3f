#include "platform/core/SysUtils.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <vector>

#include "platform/core/DateTime.h"

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

namespace {

// ---------------------------------------------------------------------------------------------
// Small text helpers

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Number of code points in UTF-8 text (continuation bytes are not counted).
std::size_t CharCount(std::string_view s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Byte length of the first N code points of S.
std::size_t PrefixBytes(std::string_view s, std::size_t chars) {
  std::size_t i = 0;
  while (i < s.size()) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (chars == 0) break;
      --chars;
    }
    ++i;
  }
  return i;
}

std::string HexDigits(std::uint64_t value, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), digits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return out;
}

std::string ZeroExtend(std::string digits, int minDigits) {
  if (minDigits > 0 && digits.size() < static_cast<std::size_t>(minDigits))
    digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
  return digits;
}

// Inserts the thousand separator into a run of integer digits.
std::string GroupThousands(const std::string& digits, char separator) {
  std::string out;
  const std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    out += digits[i];
    const std::size_t left = n - i - 1;
    if (left > 0 && left % 3 == 0) out += separator;
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Floating-point digits

// Significant digits of A (> 0, finite): Count digits without a point, and the decimal
// exponent of the first digit (A = d.ddd x 10^exponent).
void SignificantDigits(double a, int count, std::string& digits, int& exponent) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", std::max(count, 1) - 1, a);
  const char* e = std::strchr(buf, 'e');
  exponent = std::atoi(e + 1);
  digits.clear();
  for (const char* p = buf; p != e; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
}

// Decimal text of A (>= 0, finite) with Decimals fraction digits. The value is first taken to
// 15 significant digits, the precision a double holds, and that decimal is rounded half away
// from zero: 2.005 shows as 2.01 and 2.5 as 3, as a reader of the decimal expects, although
// the binary value of 2.005 lies a little below the half.
std::string FixedAbs(double a, int decimals) {
  std::string whole = "0", fraction;
  if (a != 0) {
    std::string digits;
    int x = 0;
    SignificantDigits(a, 15, digits, x);
    const int point = x + 1;  // digits before the decimal point
    if (point <= 0) {
      fraction = std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (point >= static_cast<int>(digits.size())) {
      whole = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
    } else {
      whole = digits.substr(0, static_cast<std::size_t>(point));
      fraction = digits.substr(static_cast<std::size_t>(point));
    }
  }
  const auto keep = static_cast<std::size_t>(decimals);
  const bool roundUp = fraction.size() > keep && fraction[keep] >= '5';
  fraction.resize(keep, '0');
  if (roundUp) {
    bool carry = true;
    for (std::size_t i = fraction.size(); carry && i-- > 0;) {
      if (fraction[i] == '9') {
        fraction[i] = '0';
      } else {
        ++fraction[i];
        carry = false;
      }
    }
    for (std::size_t i = whole.size(); carry && i-- > 0;) {
      if (whole[i] == '9') {
        whole[i] = '0';
      } else {
        ++whole[i];
        carry = false;
      }
    }
    if (carry) whole.insert(whole.begin(), '1');
  }
  return keep > 0 ? whole + "." + fraction : whole;
}

bool AllZeroDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c < '1' || c > '9'; });
}

std::string NonFinite(double v) {
  if (std::isnan(v)) return "NAN";
  return v < 0 ? "-INF" : "INF";
}

std::string WithDecimalSeparator(std::string text) {
  const char sep = FormatSettings().DecimalSeparator;
  for (char& c : text)
    if (c == '.') c = sep;
  return text;
}

// "123.45" with thousand separators in the integer part.
std::string GroupedFixed(const std::string& fixed) {
  const std::size_t dot = fixed.find('.');
  const std::string whole = fixed.substr(0, dot);
  std::string out = GroupThousands(whole, FormatSettings().ThousandSeparator);
  if (dot != std::string::npos) out += FormatSettings().DecimalSeparator + fixed.substr(dot + 1);
  return out;
}

std::string SignedFixed(double v, int decimals, bool grouped) {
  if (!std::isfinite(v)) return NonFinite(v);
  std::string digits = FixedAbs(std::fabs(v), decimals);
  const bool negative = v < 0 && !AllZeroDigits(digits);
  digits = grouped ? GroupedFixed(digits) : WithDecimalSeparator(digits);
  return negative ? "-" + digits : digits;
}

// "d.ddddE+ddd" with Precision significant digits.
std::string Scientific(double v, int precision) {
  if (!std::isfinite(v)) return NonFinite(v);
  precision = std::clamp(precision, 1, 18);
  std::string digits;
  int exponent = 0;
  if (v == 0)
    digits.assign(static_cast<std::size_t>(precision), '0');
  else
    SignificantDigits(std::fabs(v), precision, digits, exponent);
  std::string out = v < 0 ? "-" : "";
  out += digits[0];
  if (digits.size() > 1) out += FormatSettings().DecimalSeparator + digits.substr(1);
  out += exponent < 0 ? "E-" : "E+";
  out += ZeroExtend(std::to_string(std::abs(exponent)), 3);
  return out;
}

// Shortest text of up to Precision significant digits.
std::string General(double v, int precision) {
  if (!std::isfinite(v)) return NonFinite(v);
  if (v == 0) return "0";
  precision = std::clamp(precision, 1, 18);
  std::string digits;
  int x = 0;
  SignificantDigits(std::fabs(v), precision, digits, x);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const char sep = FormatSettings().DecimalSeparator;
  std::string out = v < 0 ? "-" : "";
  if (x >= precision || x < -4) {
    out += digits[0];
    if (digits.size() > 1) out += sep + digits.substr(1);
    out += 'E';
    out += std::to_string(x);
    return out;
  }
  if (x >= 0) {
    const std::size_t whole = static_cast<std::size_t>(x) + 1;
    if (digits.size() <= whole) {
      out += digits + std::string(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole) + sep + digits.substr(whole);
    }
  } else {
    out += "0";
    out += sep;
    out += std::string(static_cast<std::size_t>(-x - 1), '0') + digits;
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Format

[[noreturn]] void FormatError(std::string_view fmt) {
  throw EConvertError("Format '" + std::string(fmt) + "' invalid or incompatible with argument");
}

class Formatter {
 public:
  Formatter(std::string_view fmt, std::span<const TFormatArg> args) : fmt_(fmt), args_(args) {}

  std::string Run() {
    while (pos_ < fmt_.size()) {
      const char c = fmt_[pos_++];
      if (c != '%') {
        out_ += c;
        continue;
      }
      if (pos_ < fmt_.size() && fmt_[pos_] == '%') {
        out_ += '%';
        ++pos_;
        continue;
      }
      Conversion();
    }
    return std::move(out_);
  }

 private:
  static constexpr int kNone = -1;
  static constexpr int kMaxNumber = 100000;

  char Peek() const { return pos_ < fmt_.size() ? fmt_[pos_] : '\0'; }

  const TFormatArg& NextArg() {
    if (next_ >= args_.size()) FormatError(fmt_);
    return args_[next_++];
  }

  // Digits or "*"; kNone when neither is there. Leading zero reported through zero.
  int Number(bool* zero = nullptr) {
    if (Peek() == '*') {
      ++pos_;
      const TFormatArg& a = NextArg();
      // A width beyond any sensible text is refused rather than allocated.
      if (a.ArgKind() == TFormatArg::Kind::Signed && std::llabs(a.Signed()) <= kMaxNumber)
        return static_cast<int>(a.Signed());
      if (a.ArgKind() == TFormatArg::Kind::Unsigned && a.Unsigned() <= kMaxNumber)
        return static_cast<int>(a.Unsigned());
      FormatError(fmt_);
    }
    if (Peek() < '0' || Peek() > '9') return kNone;
    if (zero) *zero = Peek() == '0';
    long value = 0;
    while (Peek() >= '0' && Peek() <= '9') {
      value = value * 10 + (fmt_[pos_++] - '0');
      if (value > kMaxNumber) FormatError(fmt_);
    }
    return static_cast<int>(value);
  }

  void Conversion() {
    bool zeroPad = false;
    int width = Number(&zeroPad);
    if (Peek() == ':') {
      ++pos_;
      if (width < 0) FormatError(fmt_);
      next_ = static_cast<std::size_t>(width);
      zeroPad = false;
      width = kNone;
    }
    bool left = false;
    if (width == kNone && Peek() == '-') {
      left = true;
      ++pos_;
    }
    if (width == kNone) width = Number(&zeroPad);
    if (width < 0) {  // a negative "*" width justifies left
      if (width != kNone) left = true;
      width = width == kNone ? 0 : -width;
    }
    int precision = kNone;
    if (Peek() == '.') {
      ++pos_;
      precision = Number();
      if (precision == kNone) precision = 0;
      if (precision < 0) precision = kNone;
    }
    if (pos_ >= fmt_.size()) FormatError(fmt_);
    const char type = fmt_[pos_++];
    bool numeric = true;
    std::string text = Convert(type, precision, numeric);
    Pad(text, width, left, zeroPad && numeric && !left);
  }

  std::string Convert(char type, int precision, bool& numeric) {
    const TFormatArg& a = NextArg();
    using K = TFormatArg::Kind;
    const bool integral = a.ArgKind() == K::Signed || a.ArgKind() == K::Unsigned || a.ArgKind() == K::Pointer;
    switch (type) {
      case 'd':
      case 'D':
        if (!integral) FormatError(fmt_);
        if (a.ArgKind() == K::Signed) {
          const std::int64_t v = a.Signed();
          const std::uint64_t mag = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
          return (v < 0 ? "-" : "") + ZeroExtend(std::to_string(mag), precision);
        }
        return ZeroExtend(std::to_string(a.Unsigned()), precision);
      case 'u':
      case 'U':
        if (!integral) FormatError(fmt_);
        return ZeroExtend(std::to_string(Bits(a)), precision);
      case 'x':
      case 'X':
        if (!integral) FormatError(fmt_);
        return ZeroExtend(HexDigits(Bits(a), type == 'X'), precision);
      case 'p':
      case 'P':
        if (!integral) FormatError(fmt_);
        return ZeroExtend(HexDigits(Bits(a), true), static_cast<int>(sizeof(void*) * 2));
      case 'f':
      case 'F':
        return SignedFixed(FloatOf(a), precision == kNone ? 2 : std::min(precision, 40), false);
      case 'n':
      case 'N':
        return SignedFixed(FloatOf(a), precision == kNone ? 2 : std::min(precision, 40), true);
      case 'm':
      case 'M': {
        const double v = FloatOf(a);
        const int decimals = precision == kNone ? FormatSettings().CurrencyDecimals : std::min(precision, 40);
        std::string body = SignedFixed(std::fabs(v), decimals, true);
        const bool negative = v < 0 && !AllZeroDigits(FixedAbs(std::fabs(v), decimals));
        return (negative ? "-" : "") + FormatSettings().CurrencyString + body;
      }
      case 'e':
      case 'E':
        return Scientific(FloatOf(a), precision == kNone ? 15 : precision);
      case 'g':
      case 'G':
        return General(FloatOf(a), precision == kNone ? 15 : precision);
      case 's':
      case 'S': {
        if (a.ArgKind() != K::String && a.ArgKind() != K::Char) FormatError(fmt_);
        numeric = false;
        std::string_view t = a.Text();
        if (precision != kNone) t = t.substr(0, PrefixBytes(t, static_cast<std::size_t>(precision)));
        return std::string(t);
      }
      default:
        FormatError(fmt_);
    }
  }

  // The value's bits for unsigned and hexadecimal forms: negative integers narrower than 64
  // bits show in 32 bits (or their own width when wider).
  static std::uint64_t Bits(const TFormatArg& a) {
    if (a.ArgKind() != TFormatArg::Kind::Signed) return a.Unsigned();
    const auto v = static_cast<std::uint64_t>(a.Signed());
    return a.Bits() <= 32 ? (v & 0xFFFFFFFFu) : v;
  }

  double FloatOf(const TFormatArg& a) const {
    switch (a.ArgKind()) {
      case TFormatArg::Kind::Float:
        return a.Float();
      case TFormatArg::Kind::Signed:
        return static_cast<double>(a.Signed());
      case TFormatArg::Kind::Unsigned:
        return static_cast<double>(a.Unsigned());
      default:
        FormatError(fmt_);
    }
  }

  void Pad(const std::string& text, int width, bool left, bool zeros) {
    const std::size_t chars = CharCount(text);
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    if (chars >= w) {
      out_ += text;
      return;
    }
    const std::size_t fill = w - chars;
    if (left) {
      out_ += text;
      out_.append(fill, ' ');
    } else if (zeros) {
      const std::size_t sign = (!text.empty() && text[0] == '-') ? 1 : 0;
      out_ += text.substr(0, sign);
      out_.append(fill, '0');
      out_ += text.substr(sign);
    } else {
      out_.append(fill, ' ');
      out_ += text;
    }
  }

  std::string_view fmt_;
  std::span<const TFormatArg> args_;
  std::size_t pos_ = 0;
  std::size_t next_ = 0;
  std::string out_;
};

// ---------------------------------------------------------------------------------------------
// Number parsing

std::string_view TrimView(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses an integer of Bits width (32 or 64); false for junk and out-of-range values.
bool ParseInteger(std::string_view s, int bits, std::int64_t& out) {
  std::string_view t = TrimView(s);
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  bool hex = false;
  if (!t.empty() && t[0] == '$') {
    hex = true;
    t.remove_prefix(1);
  } else if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    hex = true;
    t.remove_prefix(2);
  }
  if (t.empty()) return false;
  const std::uint64_t full = bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
  std::uint64_t value = 0;
  if (hex) {
    for (char c : t) {
      const int d = HexValue(c);
      if (d < 0 || value > (full >> 4)) return false;
      value = (value << 4) | static_cast<std::uint64_t>(d);
    }
    // Hexadecimal texts name a bit pattern of the result's width.
    std::int64_t v = bits >= 64 ? static_cast<std::int64_t>(value)
                                : static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    out = negative ? static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(v)) : v;
    if (bits < 64) out = static_cast<std::int32_t>(static_cast<std::uint32_t>(out));
    return true;
  }
  const std::uint64_t limit = (full >> 1) + (negative ? 1 : 0);
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    const auto d = static_cast<std::uint64_t>(c - '0');
    if (value > (limit - d) / 10) return false;
    value = value * 10 + d;
  }
  out = negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
  return true;
}

[[noreturn]] void NotAnInteger(std::string_view s) {
  throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

bool ParseFloat(std::string_view s, double& out) {
  std::string_view t = TrimView(s);
  if (!t.empty() && t[0] == '+') t.remove_prefix(1);
  const char sep = FormatSettings().DecimalSeparator;
  std::string text;
  std::size_t i = 0;
  if (i < t.size() && t[i] == '-') text += t[i++];
  std::size_t mantissaDigits = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') text += t[i++], ++mantissaDigits;
  if (i < t.size() && t[i] == sep) {
    text += '.';
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') text += t[i++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    text += 'e';
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) text += t[i++];
    std::size_t expDigits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') text += t[i++], ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != t.size()) return false;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return false;
  out = value;
  return true;
}

// ---------------------------------------------------------------------------------------------
// FormatFloat

struct FloatSection {
  std::string_view pattern;
  int intPlaceholders = 0;
  int intMin = 0;  // digits from the first "0" of the integer part
  int fracMin = 0;
  int fracMax = 0;
  bool thousands = false;
  bool scientific = false;
  bool expPlus = false;
  int expDigits = 0;
};

std::vector<std::string_view> SplitSections(std::string_view pattern) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';' && sections.size() < 2) {
      sections.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(pattern.substr(start));
  return sections;
}

FloatSection AnalyseSection(std::string_view p) {
  FloatSection s;
  s.pattern = p;
  bool inFraction = false;
  bool seenZero = false;
  int fracCount = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char c = p[i];
    if (c == '"' || c == '\'') {
      const std::size_t close = p.find(c, i + 1);
      i = close == std::string_view::npos ? p.size() : close;
    } else if (c == '0' || c == '#') {
      if (inFraction) {
        ++fracCount;
        if (c == '0') s.fracMin = fracCount;
      } else {
        ++s.intPlaceholders;
        if (c == '0') seenZero = true;
        if (seenZero) ++s.intMin;
      }
    } else if (c == '.') {
      inFraction = true;
    } else if (c == ',') {
      if (!inFraction) s.thousands = true;
    } else if ((c == 'E' || c == 'e') && i + 1 < p.size() && (p[i + 1] == '+' || p[i + 1] == '-')) {
      s.scientific = true;
      s.expPlus = p[i + 1] == '+';
      std::size_t j = i + 2;
      while (j < p.size() && p[j] == '0') ++j, ++s.expDigits;
      break;
    }
  }
  s.fracMax = fracCount;
  return s;
}

std::string ApplySection(const FloatSection& s, double a, bool negative) {
  const auto& fs = FormatSettings();
  std::string whole, fraction, exponentText;
  if (s.scientific) {
    const int intDigits = std::max(s.intPlaceholders, 1);
    std::string digits;
    int x = 0;
    if (a == 0)
      digits.assign(static_cast<std::size_t>(intDigits + s.fracMax), '0');
    else
      SignificantDigits(a, intDigits + s.fracMax, digits, x);
    x -= intDigits - 1;
    whole = digits.substr(0, static_cast<std::size_t>(intDigits));
    fraction = digits.substr(static_cast<std::size_t>(intDigits));
    exponentText = x < 0 ? "-" : (s.expPlus ? "+" : "");
    exponentText += ZeroExtend(std::to_string(std::abs(x)), s.expDigits);
  } else {
    const std::string fixed = FixedAbs(a, s.fracMax);
    const std::size_t dot = fixed.find('.');
    whole = fixed.substr(0, dot);
    if (dot != std::string::npos) fraction = fixed.substr(dot + 1);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    whole = ZeroExtend(whole, s.intMin);
    if (s.thousands) whole = GroupThousands(whole, fs.ThousandSeparator);
  }
  while (static_cast<int>(fraction.size()) > s.fracMin && !fraction.empty() && fraction.back() == '0')
    fraction.pop_back();

  std::string out;
  bool wholeDone = false;
  bool inFraction = false;
  std::size_t fracPos = 0;
  const std::string_view p = s.pattern;
  auto emitWhole = [&] {
    if (wholeDone) return;
    wholeDone = true;
    if (negative) out += '-';
    out += whole;
  };
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char c = p[i];
    if (c == '"' || c == '\'') {
      const std::size_t close = p.find(c, i + 1);
      const std::size_t end = close == std::string_view::npos ? p.size() : close;
      out += p.substr(i + 1, end - i - 1);
      i = end;
    } else if (c == '0' || c == '#') {
      if (inFraction) {
        if (fracPos < fraction.size()) out += fraction[fracPos++];
      } else {
        emitWhole();
      }
    } else if (c == '.') {
      if (!inFraction) {
        emitWhole();
        inFraction = true;
        if (!fraction.empty()) out += fs.DecimalSeparator;
      }
    } else if (c == ',') {
      // a flag, not a character of the result
    } else if (s.scientific && (c == 'E' || c == 'e') && i + 1 < p.size() && (p[i + 1] == '+' || p[i + 1] == '-')) {
      emitWhole();
      out += c;
      out += exponentText;
      i += 1 + static_cast<std::size_t>(s.expDigits);
    } else {
      out += c;
    }
  }
  if (!wholeDone && (s.intPlaceholders > 0 || s.fracMax > 0)) {
    // Digits only after the point ("#.##"): the sign still leads.
    if (negative) out.insert(0, "-");
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Case-insensitive helpers

int Sign(int v) { return (v > 0) - (v < 0); }

template <typename Fold>
int CompareFolded(std::string_view a, std::string_view b, Fold fold) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(fold(a[i]));
    const auto cb = static_cast<unsigned char>(fold(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
}

std::size_t FindIgnoringCase(std::string_view s, std::string_view pattern, std::size_t from) {
  if (pattern.size() > s.size()) return std::string_view::npos;
  for (std::size_t i = from; i + pattern.size() <= s.size(); ++i) {
    bool match = true;
    for (std::size_t j = 0; j < pattern.size() && match; ++j) match = AsciiLower(s[i + j]) == AsciiLower(pattern[j]);
    if (match) return i;
  }
  return std::string_view::npos;
}

// ---------------------------------------------------------------------------------------------
// Last error

thread_local DWORD t_lastError = 0;

bool Fail() {
  t_lastError = static_cast<DWORD>(errno);
  return false;
}

std::string PathString(std::string_view s) { return std::string(s); }

}  // namespace

// -----------------------------------------------------------------------------------------------

std::string FormatArgs(std::string_view fmt, std::span<const TFormatArg> args) {
  return Formatter(fmt, args).Run();
}

namespace detail {
std::string IntToStr64(std::int64_t value) { return std::to_string(value); }
std::string UIntToStr64(std::uint64_t value) { return std::to_string(value); }
std::string IntToHexBits(std::uint64_t value, int digits) { return ZeroExtend(HexDigits(value, true), digits); }
}  // namespace detail

int StrToInt(std::string_view s) {
  std::int64_t v = 0;
  if (!ParseInteger(s, 32, v)) NotAnInteger(s);
  return static_cast<int>(v);
}

std::int64_t StrToInt64(std::string_view s) {
  std::int64_t v = 0;
  if (!ParseInteger(s, 64, v)) NotAnInteger(s);
  return v;
}

int StrToIntDef(std::string_view s, int defaultValue) {
  std::int64_t v = 0;
  return ParseInteger(s, 32, v) ? static_cast<int>(v) : defaultValue;
}

std::int64_t StrToInt64Def(std::string_view s, std::int64_t defaultValue) {
  std::int64_t v = 0;
  return ParseInteger(s, 64, v) ? v : defaultValue;
}

bool TryStrToInt(std::string_view s, int& value) {
  std::int64_t v = 0;
  if (!ParseInteger(s, 32, v)) return false;
  value = static_cast<int>(v);
  return true;
}

bool TryStrToInt64(std::string_view s, std::int64_t& value) { return ParseInteger(s, 64, value); }

double StrToFloat(std::string_view s) {
  double v = 0;
  if (!ParseFloat(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
  return v;
}

double StrToFloatDef(std::string_view s, double defaultValue) {
  double v = 0;
  return ParseFloat(s, v) ? v : defaultValue;
}

bool TryStrToFloat(std::string_view s, double& value) { return ParseFloat(s, value); }

std::string FloatToStr(double value) { return General(value, 15); }

std::string FormatFloat(std::string_view pattern, double value) {
  if (!std::isfinite(value)) return NonFinite(value);
  const std::vector<std::string_view> sections = SplitSections(pattern);
  const double a = std::fabs(value);
  const FloatSection first = AnalyseSection(sections[0]);
  if (first.intPlaceholders == 0 && first.fracMax == 0 && sections.size() == 1 && pattern.empty())
    return FloatToStr(value);
  // Zero is judged on the value as the first section would show it.
  const bool showsZero = first.scientific ? a == 0 : AllZeroDigits(FixedAbs(a, first.fracMax));
  if (showsZero && sections.size() >= 3 && !sections[2].empty()) return ApplySection(AnalyseSection(sections[2]), a, false);
  if (value < 0 && sections.size() >= 2 && !sections[1].empty()) return ApplySection(AnalyseSection(sections[1]), a, false);
  return ApplySection(first, a, value < 0 && !showsZero);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string TrimLeft(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  std::size_t e = s.size();
  while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(0, e));
}

std::string UpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

std::string LowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

std::string AnsiUpperCase(std::string_view s) { return UpperCase(s); }
std::string AnsiLowerCase(std::string_view s) { return LowerCase(s); }

int CompareStr(std::string_view a, std::string_view b) {
  return CompareFolded(a, b, [](char c) { return c; });
}
int CompareText(std::string_view a, std::string_view b) { return CompareFolded(a, b, AsciiUpper); }
int AnsiCompareStr(std::string_view a, std::string_view b) { return CompareStr(a, b); }
int AnsiCompareText(std::string_view a, std::string_view b) { return CompareFolded(a, b, AsciiLower); }
bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }
bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }

int Pos(std::string_view substr, std::string_view s) {
  if (substr.empty()) return 0;
  const std::size_t at = s.find(substr);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags) {
  if (oldPattern.empty()) return std::string(s);
  const bool ignoreCase = flags.Contains(rfIgnoreCase);
  const bool all = flags.Contains(rfReplaceAll);
  std::string out;
  std::size_t from = 0;
  while (from <= s.size()) {
    const std::size_t at = ignoreCase ? FindIgnoringCase(s, oldPattern, from) : s.find(oldPattern, from);
    if (at == std::string_view::npos) break;
    out += s.substr(from, at - from);
    out += newPattern;
    from = at + oldPattern.size();
    if (!all) break;
  }
  out += s.substr(std::min(from, s.size()));
  return out;
}

std::string QuotedStr(std::string_view s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

// -----------------------------------------------------------------------------------------------
// UTF-8 <-> UTF-16

namespace {
bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }
}  // namespace

int Utf8CharCount(std::string_view s) {
  int n = 0;
  for (unsigned char c : s) n += IsUtf8Continuation(c) ? 0 : 1;
  return n;
}

std::size_t Utf8ByteOffset(std::string_view s, int Index) {
  std::size_t i = 0;
  for (int n = 0; n < Index && i < s.size(); ++n) {
    ++i;
    while (i < s.size() && IsUtf8Continuation(static_cast<unsigned char>(s[i]))) ++i;
  }
  return i;
}

std::string Utf8Encode(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  const std::size_t n = s.size();
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  while (i < n) {
    const unsigned char b0 = byte(i);
    char32_t cp = 0xFFFD;
    std::size_t len = 1;
    int need = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
      cp = b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
      need = 1, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      need = 2, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      need = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
      cp = 0xFFFD;  // continuation byte or invalid lead
    }
    if (need > 0) {
      int k = 0;
      while (k < need && i + 1 + static_cast<std::size_t>(k) < n && (byte(i + 1 + k) & 0xC0) == 0x80) {
        cp = (cp << 6) | (byte(i + 1 + k) & 0x3F);
        ++k;
      }
      if (k < need) {
        cp = 0xFFFD;  // truncated: skip the lead and the continuation bytes seen
        len = 1 + static_cast<std::size_t>(k);
      } else {
        len = 1 + static_cast<std::size_t>(need);
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
      }
    }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

// -----------------------------------------------------------------------------------------------
// Paths

std::string ExtractFilePath(std::string_view fileName) {
  const std::size_t slash = fileName.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(fileName.substr(0, slash + 1));
}

std::string ExtractFileDir(std::string_view fileName) {
  const std::size_t slash = fileName.rfind('/');
  if (slash == std::string_view::npos) return std::string();
  // Keep the delimiter when it is the root or follows another delimiter.
  if (slash == 0 || fileName[slash - 1] == '/') return std::string(fileName.substr(0, slash + 1));
  return std::string(fileName.substr(0, slash));
}

std::string ExtractFileName(std::string_view fileName) {
  const std::size_t slash = fileName.rfind('/');
  return std::string(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view fileName) {
  const std::size_t at = fileName.find_last_of("./");
  if (at == std::string_view::npos || fileName[at] != '.') return std::string();
  return std::string(fileName.substr(at));
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension) {
  const std::size_t at = fileName.find_last_of("./");
  const std::size_t stem = (at == std::string_view::npos || fileName[at] != '.') ? fileName.size() : at;
  return std::string(fileName.substr(0, stem)) + std::string(extension);
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '/') out += '/';
  return out;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
  std::string out(path);
  if (!out.empty() && out.back() == '/') out.pop_back();
  return out;
}

std::string ExpandFileName(std::string_view fileName) {
  if (fileName.empty()) return std::string();
  std::string full = fileName[0] == '/' ? std::string(fileName) : IncludeTrailingPathDelimiter(GetCurrentDir()) + std::string(fileName);
  const bool trailing = full.back() == '/';
  std::vector<std::string_view> parts;
  std::string_view rest = full;
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string out;
  for (std::string_view part : parts) {
    out += '/';
    out += part;
  }
  if (out.empty() || trailing) out += '/';
  if (out == "//") out = "/";
  return out;
}

// -----------------------------------------------------------------------------------------------
// Files and folders

bool FileExists(std::string_view fileName) {
  struct stat st {};
  if (fileName.empty() || ::stat(PathString(fileName).c_str(), &st) != 0) return Fail();
  return !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view directory) {
  struct stat st {};
  if (directory.empty() || ::stat(PathString(directory).c_str(), &st) != 0) return Fail();
  return S_ISDIR(st.st_mode);
}

bool CreateDir(std::string_view directory) {
  if (directory.empty()) {
    errno = ENOENT;
    return Fail();
  }
  return ::mkdir(PathString(directory).c_str(), 0777) == 0 || Fail();
}

bool ForceDirectories(std::string_view directory) {
  std::string dir = ExcludeTrailingPathDelimiter(directory);
  if (dir.empty()) {
    if (!directory.empty()) return true;  // the root
    errno = ENOENT;
    return Fail();
  }
  if (DirectoryExists(dir)) return true;
  const std::string parent = ExtractFileDir(dir);
  if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
  if (::mkdir(dir.c_str(), 0777) == 0) return true;
  const int error = errno;
  if (DirectoryExists(dir)) return true;  // made meanwhile by someone else
  errno = error;
  return Fail();
}

bool RemoveDir(std::string_view directory) { return ::rmdir(PathString(directory).c_str()) == 0 || Fail(); }

bool DeleteFile(std::string_view fileName) {
  if (DirectoryExists(fileName)) {
    errno = EISDIR;
    return Fail();
  }
  return ::unlink(PathString(fileName).c_str()) == 0 || Fail();
}

bool RenameFile(std::string_view oldName, std::string_view newName) {
  return ::rename(PathString(oldName).c_str(), PathString(newName).c_str()) == 0 || Fail();
}

std::string GetCurrentDir() {
  std::vector<char> buf(512);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) {
      Fail();
      return std::string();
    }
    buf.resize(buf.size() * 2);
  }
  return std::string(buf.data());
}

bool SetCurrentDir(std::string_view directory) { return ::chdir(PathString(directory).c_str()) == 0 || Fail(); }

namespace {

int PackedFileTime(std::time_t t) {
  struct tm lt {};
  localtime_r(&t, &lt);
  const int year = std::clamp(lt.tm_year + 1900, 1980, 2107);
  const auto packed = (static_cast<std::uint32_t>(year - 1980) << 25) | (static_cast<std::uint32_t>(lt.tm_mon + 1) << 21) |
                      (static_cast<std::uint32_t>(lt.tm_mday) << 16) | (static_cast<std::uint32_t>(lt.tm_hour) << 11) |
                      (static_cast<std::uint32_t>(lt.tm_min) << 5) | (static_cast<std::uint32_t>(lt.tm_sec / 2));
  return static_cast<int>(packed);
}

}  // namespace

int FileAge(std::string_view fileName) {
  struct stat st {};
  if (::stat(PathString(fileName).c_str(), &st) != 0) {
    Fail();
    return -1;
  }
  if (S_ISDIR(st.st_mode)) return -1;
  return PackedFileTime(st.st_mtime);
}

double FileDateToDateTime(int fileDate) {
  const auto v = static_cast<std::uint32_t>(fileDate);
  const TDateTime date = EncodeDate(static_cast<WORD>((v >> 25) + 1980), static_cast<WORD>((v >> 21) & 0xF),
                                    static_cast<WORD>((v >> 16) & 0x1F));
  const TDateTime time = EncodeTime(static_cast<WORD>((v >> 11) & 0x1F), static_cast<WORD>((v >> 5) & 0x3F),
                                    static_cast<WORD>((v & 0x1F) * 2), 0);
  return date + time;
}

// -----------------------------------------------------------------------------------------------
// Folder search

struct detail::FindState {
  struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  std::unique_ptr<DIR, DirCloser> dir;
  std::string folder;   // with a trailing "/"
  std::string pattern;  // the name pattern
};

void detail::FindStateDeleter::operator()(FindState* state) const { delete state; }

namespace {

// Decodes one code point (or one invalid byte) at s[i] and advances i.
char32_t NextChar(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
  if (i + len > s.size()) len = 1;
  char32_t cp = len == 1 ? b : (b & (0x7F >> len));
  for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += len;
  return cp < 0x80 ? static_cast<char32_t>(AsciiLower(static_cast<char>(cp))) : cp;
}

std::u32string Folded(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) out += NextChar(s, i);
  return out;
}

bool WildMatch(const std::u32string& p, std::size_t pi, const std::u32string& n, std::size_t ni) {
  // Iterative matching with one backtrack point for the last "*".
  std::size_t starP = std::u32string::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == U'?' || p[pi] == n[ni])) {
      ++pi, ++ni;
    } else if (pi < p.size() && p[pi] == U'*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::u32string::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == U'*') ++pi;
  return pi == p.size();
}

bool NameMatches(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  const std::u32string p = Folded(pattern);
  const std::u32string n = Folded(name);
  if (WildMatch(p, 0, n, 0)) return true;
  // "name.*" also names a file without extension.
  if (p.size() >= 2 && p.compare(p.size() - 2, 2, U".*") == 0 && n.find(U'.') == std::u32string::npos)
    return WildMatch(p.substr(0, p.size() - 2), 0, n, 0);
  return false;
}

// Reads entries until one matches; 0 with F filled, or ENOENT at the end.
int FindMatching(TSearchRec& f) {
  detail::FindState& state = *f.FindHandle;
  while (dirent* entry = ::readdir(state.dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !NameMatches(state.pattern, name)) continue;
    const std::string full = state.folder + std::string(name);
    struct stat st {};
    if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0) continue;
    int attr = 0;
    if (S_ISDIR(st.st_mode))
      attr |= faDirectory;
    else
      attr |= faArchive;
    if (name[0] == '.') attr |= faHidden;
    if (::access(full.c_str(), W_OK) != 0) attr |= faReadOnly;
    if ((attr & f.ExcludeAttr) != 0) continue;
    f.Name = std::string(name);
    f.Attr = attr;
    f.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    f.Time = PackedFileTime(st.st_mtime);
    return 0;
  }
  t_lastError = ENOENT;
  return ENOENT;
}

}  // namespace

int FindFirst(std::string_view path, int attr, TSearchRec& f) {
  FindClose(f);
  const std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string_view::npos ? "./" : std::string(path.substr(0, slash + 1));
  std::unique_ptr<detail::FindState, detail::FindStateDeleter> state(std::make_unique<detail::FindState>().release());
  state->pattern = std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
  state->dir.reset(::opendir(folder.c_str()));
  if (!state->dir) {
    const int error = errno;
    t_lastError = static_cast<DWORD>(error);
    return error;
  }
  state->folder = std::move(folder);
  f.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  f.FindHandle = std::move(state);
  const int result = FindMatching(f);
  if (result != 0) FindClose(f);
  return result;
}

int FindNext(TSearchRec& f) {
  if (!f.FindHandle) {
    t_lastError = ENOENT;
    return ENOENT;
  }
  return FindMatching(f);
}

void FindClose(TSearchRec& f) { f.FindHandle.reset(); }

// -----------------------------------------------------------------------------------------------
// Environment and errors

std::string GetEnvironmentVariable(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  return value ? std::string(value) : std::string();
}

bool SetEnvironmentVariable(std::string_view name, std::string_view value) {
  if (name.empty() || name.find('=') != std::string_view::npos) {
    errno = EINVAL;
    return Fail();
  }
  return ::setenv(std::string(name).c_str(), std::string(value).c_str(), 1) == 0 || Fail();
}

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD code) { t_lastError = code; }

namespace {
// strerror_r comes in two shapes; take the text from either.
[[maybe_unused]] const char* ErrorText(int result, const char* buffer) { return result == 0 ? buffer : "Unknown error"; }
[[maybe_unused]] const char* ErrorText(const char* result, const char*) { return result; }
}  // namespace

std::string SysErrorMessage(int errorCode) {
  char buffer[256] = {};
  return ErrorText(::strerror_r(errorCode, buffer, sizeof buffer), buffer);
}

void RaiseLastOSError() { RaiseLastOSError(static_cast<int>(GetLastError())); }

void RaiseLastOSError(int errorCode) {
  if (errorCode == 0) throw EOSError("A call to an OS function failed", 0);
  throw EOSError(Format("System Error.  Code: %d.\n%s", errorCode, SysErrorMessage(errorCode)), errorCode);
}
