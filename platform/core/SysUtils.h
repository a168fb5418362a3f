#pragma once
// The runtime's general routines: text formatting and number conversion, trimming, case and
// comparison, UTF-8/UTF-16 conversion, path and file helpers, folder search, environment and
// system error texts.
//
// Text is UTF-8 std::string. Positions (Pos) are 1-based byte offsets, as the routines were
// written for 8-bit strings. Case changes and case-insensitive comparisons fold ASCII letters
// only; other characters compare by code point (byte order of UTF-8).
//
// Every routine is safe on any thread, except changing FormatSettings() and the current folder
// or environment, which are process-wide (do that at start-up, on the main thread).

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/core/Exceptions.h"
#include "platform/core/Set.h"
#include "platform/core/Types.h"

// ---------------------------------------------------------------------------------------------
// Format settings

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  std::string CurrencyString = "¥";
  int CurrencyDecimals = 2;
  char DateSeparator = '-';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "yyyy-mm-dd";
  std::string LongDateFormat = "yyyy-mm-dd";
  std::string ShortTimeFormat = "hh:nn";
  std::string LongTimeFormat = "hh:nn:ss";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
  // Index 0 is Sunday.
  std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
};

// The process-wide settings every formatting and parsing routine uses. Change them only at
// start-up on the main thread; readers on other threads do not lock.
TFormatSettings& FormatSettings();

// ---------------------------------------------------------------------------------------------
// Format

// One argument of Format. Integers keep their width in bits, so "%x" and "%u" of a negative
// 32-bit value show 32 bits, as the program expects of its 32-bit integers.
class TFormatArg {
 public:
  enum class Kind { Signed, Unsigned, Float, String, Char, Pointer };

  template <std::integral T>
    requires(!std::is_same_v<T, bool> && !std::is_same_v<T, char>)
  TFormatArg(T value) : bits_(static_cast<int>(sizeof(T) * 8)) {
    if constexpr (std::is_signed_v<T>) {
      kind_ = Kind::Signed;
      signed_ = value;
    } else {
      kind_ = Kind::Unsigned;
      unsigned_ = value;
    }
  }
  // A Boolean has no format conversion; convert it explicitly.
  TFormatArg(bool) = delete;
  TFormatArg(char c) : kind_(Kind::Char), char_(c) {}
  TFormatArg(float value) : kind_(Kind::Float), float_(value) {}
  TFormatArg(double value) : kind_(Kind::Float), float_(value) {}
  TFormatArg(long double value) : kind_(Kind::Float), float_(static_cast<double>(value)) {}
  TFormatArg(const char* text) : kind_(Kind::String), text_(text ? text : "") {}
  TFormatArg(const std::string& text) : kind_(Kind::String), text_(text) {}
  TFormatArg(std::string_view text) : kind_(Kind::String), text_(text) {}
  TFormatArg(const void* pointer) : kind_(Kind::Pointer), unsigned_(reinterpret_cast<std::uintptr_t>(pointer)) {}
  TFormatArg(std::nullptr_t) : kind_(Kind::Pointer), unsigned_(0) {}
  template <typename T>
    requires std::is_enum_v<T>
  TFormatArg(T value) : TFormatArg(static_cast<std::underlying_type_t<T>>(value)) {}

  [[nodiscard]] Kind ArgKind() const { return kind_; }
  [[nodiscard]] int Bits() const { return bits_; }
  [[nodiscard]] std::int64_t Signed() const { return signed_; }
  [[nodiscard]] std::uint64_t Unsigned() const { return unsigned_; }
  [[nodiscard]] double Float() const { return float_; }
  // The text of a string or char argument; valid only while the argument lives.
  [[nodiscard]] std::string_view Text() const {
    return kind_ == Kind::Char ? std::string_view(&char_, 1) : text_;
  }

 private:
  Kind kind_;
  int bits_ = 64;
  std::int64_t signed_ = 0;
  std::uint64_t unsigned_ = 0;
  double float_ = 0;
  char char_ = 0;
  std::string_view text_;
};

// Formats the arguments into the pattern. Each "%" starts a conversion
//   %[index:][-][0][width][.precision]type
// where index, width and precision are digits or "*" (taken from the next argument), and type
// is one of
//   d u     decimal integer (precision = least digits, zero-filled)
//   x X     hexadecimal integer, lower/upper case digits
//   p       pointer, as hexadecimal digits of the pointer's width
//   f e g   fixed (precision = decimals, 2 by default), scientific (precision = significant
//           digits, 15 by default, exponent of three digits), general (shortest of the two)
//   n m     fixed with thousand separators; currency
//   s       text (precision = most characters); a char is a one-character text
// "%%" is a percent sign. "-" pads on the right; a width beginning with "0" pads numbers with
// zeros. Width and precision count characters (code points), not bytes. Float conversions take
// integer arguments too; every other mismatch, an unknown type, or a missing argument raises
// EConvertError "Format '<pattern>' invalid or incompatible with argument".
std::string FormatArgs(std::string_view fmt, std::span<const TFormatArg> args);

template <typename... Args>
[[nodiscard]] std::string Format(std::string_view fmt, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return FormatArgs(fmt, {});
  } else {
    const TFormatArg list[] = {TFormatArg(args)...};
    return FormatArgs(fmt, list);
  }
}

// ---------------------------------------------------------------------------------------------
// Numbers and text

namespace detail {
std::string IntToStr64(std::int64_t value);
std::string UIntToStr64(std::uint64_t value);
std::string IntToHexBits(std::uint64_t value, int digits);
}  // namespace detail

template <std::integral T>
[[nodiscard]] std::string IntToStr(T value) {
  if constexpr (std::is_signed_v<T>)
    return detail::IntToStr64(value);
  else
    return detail::UIntToStr64(value);
}

// Upper-case hexadecimal of at least Digits digits. A negative value shows its two's complement
// in the width of its type (at least 32 bits): IntToHex(-1, 2) is "FFFFFFFF".
template <std::integral T>
[[nodiscard]] std::string IntToHex(T value, int digits) {
  std::uint64_t bits;
  if constexpr (std::is_signed_v<T> && sizeof(T) < 8)
    bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
  else
    bits = static_cast<std::uint64_t>(value);
  return detail::IntToHexBits(bits, digits);
}

// Integer parsing: optional blanks around, an optional sign, then decimal digits or hexadecimal
// digits after "$", "0x" or "0X". A hexadecimal text may use the full unsigned range of the
// result's width and wraps to negative ("$FFFFFFFF" is -1 for StrToInt). Anything else, or a
// value out of range, raises EConvertError "'<text>' is not a valid integer value".
[[nodiscard]] int StrToInt(std::string_view s);
[[nodiscard]] std::int64_t StrToInt64(std::string_view s);
[[nodiscard]] int StrToIntDef(std::string_view s, int defaultValue);
[[nodiscard]] std::int64_t StrToInt64Def(std::string_view s, std::int64_t defaultValue);
[[nodiscard]] bool TryStrToInt(std::string_view s, int& value);
[[nodiscard]] bool TryStrToInt64(std::string_view s, std::int64_t& value);

// Float parsing: optional blanks around, sign, digits with the settings' decimal separator and
// an optional exponent ("1.5e-3"). No thousand separators, no "inf" or "nan". Failure raises
// EConvertError "'<text>' is not a valid floating point value".
[[nodiscard]] double StrToFloat(std::string_view s);
[[nodiscard]] double StrToFloatDef(std::string_view s, double defaultValue);
[[nodiscard]] bool TryStrToFloat(std::string_view s, double& value);

// Shortest text of up to 15 significant digits: "0.5", "100", "1E20", "1.5E-7", "-3".
[[nodiscard]] std::string FloatToStr(double value);

// Formats a number with a picture: "0" a digit always shown, "#" a digit shown when
// significant, "." the decimal separator, "," anywhere in the integer part turns on thousand
// separators, "E+0"/"E-0" scientific, quoted texts literal, and up to three sections
// "positive;negative;zero". Digits are rounded half away from zero.
[[nodiscard]] std::string FormatFloat(std::string_view pattern, double value);

[[nodiscard]] std::string Trim(std::string_view s);       // removes characters <= ' ' at both ends
[[nodiscard]] std::string TrimLeft(std::string_view s);
[[nodiscard]] std::string TrimRight(std::string_view s);
[[nodiscard]] std::string UpperCase(std::string_view s);  // ASCII letters only
[[nodiscard]] std::string LowerCase(std::string_view s);
// The "Ansi" variants keep their names for callers; they also change ASCII letters only.
[[nodiscard]] std::string AnsiUpperCase(std::string_view s);
[[nodiscard]] std::string AnsiLowerCase(std::string_view s);

// Comparisons return < 0, 0 or > 0. CompareText compares ASCII letters as upper case;
// AnsiCompareText as lower case (punctuation such as "_" sorts before letters, as in a
// locale order). Non-ASCII characters compare by code point.
[[nodiscard]] int CompareStr(std::string_view a, std::string_view b);
[[nodiscard]] int CompareText(std::string_view a, std::string_view b);
[[nodiscard]] int AnsiCompareStr(std::string_view a, std::string_view b);
[[nodiscard]] int AnsiCompareText(std::string_view a, std::string_view b);
[[nodiscard]] bool SameText(std::string_view a, std::string_view b);
[[nodiscard]] bool AnsiSameText(std::string_view a, std::string_view b);

// 1-based byte position of the first occurrence of Substr in S; 0 when absent or Substr empty.
[[nodiscard]] int Pos(std::string_view substr, std::string_view s);

enum class TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
using enum TReplaceFlag;

// Replaces the first (or, with rfReplaceAll, every) occurrence of OldPattern; an empty
// OldPattern replaces nothing.
[[nodiscard]] std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                                        TReplaceFlags flags);

// The text in single quotes, inner single quotes doubled: O'Neil -> 'O''Neil'.
[[nodiscard]] std::string QuotedStr(std::string_view s);

// UTF-8 <-> UTF-16. Invalid input (bad or overlong sequences, surrogate code points in UTF-8,
// unpaired surrogates in UTF-16) becomes U+FFFD; the conversion never fails.
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view s);
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view s);

// Character-wise access to UTF-8 text, for text edited and measured by characters: a character
// is a lead byte with its continuation bytes. Utf8ByteOffset gives the byte where character Index
// starts (the text's end for an Index past it); Utf8Encode gives one code point as UTF-8.
[[nodiscard]] int Utf8CharCount(std::string_view s);
[[nodiscard]] std::size_t Utf8ByteOffset(std::string_view s, int Index);
[[nodiscard]] std::string Utf8Encode(char32_t c);

// ---------------------------------------------------------------------------------------------
// Paths ("/" separated; a name's extension starts at the last "." after the last "/")

constexpr char PathDelim = '/';

[[nodiscard]] std::string ExtractFilePath(std::string_view fileName);  // "/a/b.c" -> "/a/"
[[nodiscard]] std::string ExtractFileDir(std::string_view fileName);   // "/a/b.c" -> "/a"; "/b" -> "/"
[[nodiscard]] std::string ExtractFileName(std::string_view fileName);  // "/a/b.c" -> "b.c"
[[nodiscard]] std::string ExtractFileExt(std::string_view fileName);   // "/a/b.c" -> ".c"; "/a.b/c" -> ""
// Replaces the extension (or appends Extension when there is none); Extension includes its dot.
[[nodiscard]] std::string ChangeFileExt(std::string_view fileName, std::string_view extension);
[[nodiscard]] std::string IncludeTrailingPathDelimiter(std::string_view path);
// Removes one trailing "/" ("/" itself becomes empty, as a folder prefix for "/" + name).
[[nodiscard]] std::string ExcludeTrailingPathDelimiter(std::string_view path);
// The absolute form of a name: relative to the current folder, "." and ".." folded, repeated
// "/" collapsed, a trailing "/" kept. The file need not exist.
[[nodiscard]] std::string ExpandFileName(std::string_view fileName);

// ---------------------------------------------------------------------------------------------
// Files and folders. Failures set the thread's last error (an errno value).

[[nodiscard]] bool FileExists(std::string_view fileName);  // anything but a folder
[[nodiscard]] bool DirectoryExists(std::string_view directory);
// Creates the folder and every missing parent; true when the folder exists afterwards.
bool ForceDirectories(std::string_view directory);
bool CreateDir(std::string_view directory);
bool RemoveDir(std::string_view directory);  // empty folders only
bool DeleteFile(std::string_view fileName);  // false for a folder
bool RenameFile(std::string_view oldName, std::string_view newName);
[[nodiscard]] std::string GetCurrentDir();
bool SetCurrentDir(std::string_view directory);

// The file's modification time as a packed local date and time (bits 25-31 year - 1980, 21-24
// month, 16-20 day, 11-15 hours, 5-10 minutes, 0-4 seconds / 2); -1 when there is no such file.
[[nodiscard]] int FileAge(std::string_view fileName);
// The date-time value of a packed time as FileAge gives it.
[[nodiscard]] double FileDateToDateTime(int fileDate);

constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;  // a name beginning with "."
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;

namespace detail {
struct FindState;
struct FindStateDeleter {
  void operator()(FindState* state) const;
};
}  // namespace detail

struct TSearchRec {
  int Time = 0;           // packed modification time, as FileAge
  std::int64_t Size = 0;  // bytes
  int Attr = 0;           // fa* bits
  std::string Name;       // the name without folder
  int ExcludeAttr = 0;
  std::unique_ptr<detail::FindState, detail::FindStateDeleter> FindHandle;  // freed by FindClose
};

// Searches a folder for names matching the pattern after the last "/" of Path ("*" any run,
// "?" one character, compared ignoring ASCII case; "*.*" matches every name and "name.*" also
// matches "name"). Regular files are always reported; folders only when Attr includes
// faDirectory, hidden names only with faHidden. "." and ".." are never reported.
// Returns 0 and fills F with the first match, or an errno value (ENOENT when nothing matches).
[[nodiscard]] int FindFirst(std::string_view path, int attr, TSearchRec& f);
// The next match: 0, or ENOENT when there are no more.
[[nodiscard]] int FindNext(TSearchRec& f);
void FindClose(TSearchRec& f);

// ---------------------------------------------------------------------------------------------
// Environment and system errors

// The variable's value; empty when it is not set.
[[nodiscard]] std::string GetEnvironmentVariable(std::string_view name);
// Sets the variable (an empty value sets it empty). The environment is process-wide.
bool SetEnvironmentVariable(std::string_view name, std::string_view value);

// The thread's last error code (an errno value), set by the file helpers on failure.
[[nodiscard]] DWORD GetLastError();
void SetLastError(DWORD code);
// The system's text for an error code.
[[nodiscard]] std::string SysErrorMessage(int errorCode);
// Raises EOSError for the last error: "System Error.  Code: N.\n<text>".
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(int errorCode);
