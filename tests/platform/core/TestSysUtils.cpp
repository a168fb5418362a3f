#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Format

struct FormatCase {
  std::string expected;
  std::function<std::string()> run;
};

TEST(Format, ConversionsWidthsAndPrecisions) {
  int8_t small = -2;
  const int x = 7;
  const FormatCase cases[] = {
      {"100%", [] { return Format("100%%"); }},
      {"a=5 b=-3", [] { return Format("a=%d b=%d", 5, -3); }},
      {"01:02:03.004", [] { return Format("%.2d:%.2d:%.2d.%.3d", 1, 2, 3, 4); }},
      {"-05", [] { return Format("%.2d", -5); }},
      {"StartTime: 1.000042", [] { return Format("StartTime: %d.%.6d", 1, 42); }},
      {"9223372036854775807", [] { return Format("%d", INT64_MAX); }},
      {"-9223372036854775808", [] { return Format("%d", INT64_MIN); }},
      {"18446744073709551615", [] { return Format("%d", UINT64_MAX); }},
      {"4294967295", [] { return Format("%u", -1); }},
      {"18446744073709551615", [] { return Format("%u", std::int64_t{-1}); }},
      {"[0x1b]", [] { return Format("[0x%x]", 27); }},
      {"flags=0x1FF", [] { return Format("flags=0x%X", 511u); }},
      {"fffffffe", [&] { return Format("%x", small); }},
      {"0x001f", [] { return Format("0x%04x", 31); }},
      {"0x001F", [] { return Format("0x%04X", 31); }},
      {"    5|", [] { return Format("%5d|", 5); }},
      {"5    |", [] { return Format("%-5d|", 5); }},
      {"-0005", [] { return Format("%05d", -5); }},
      {"   ab|ab   |", [] { return Format("%5s|%-5s|", "ab", std::string("ab")); }},
      {"key             : v", [] { return Format("%-16s: %s", "key", "v"); }},
      {"语言  |", [] { return Format("%-4s|", "语言"); }},  // width counts characters
      {"abc", [] { return Format("%.3s", "abcdef"); }},
      {"视频", [] { return Format("%.2s", "视频文件"); }},
      {"c", [] { return Format("%s", 'c'); }},
      {"", [] { return Format("%s", static_cast<const char*>(nullptr)); }},
      {"1.50", [] { return Format("%f", 1.5); }},
      {"3.14", [] { return Format("%.2f", 3.14159); }},
      {"1.00 KB", [] { return Format("%.2f KB", 1025.0 / 1024); }},
      {"1.235", [] { return Format("%0.3f", 1.2345); }},
      {"3", [] { return Format("%1.0f", 2.5); }},  // half away from zero
      {"-3", [] { return Format("%1.0f", -2.5); }},
      {"0.00", [] { return Format("%.2f", -0.001); }},  // no negative zero
      {"29.97 fps", [] { return Format("%3.2f %s", 30000.0 / 1001, "fps"); }},
      {"   12.5", [] { return Format("%7.1f", 12.5); }},
      {"25", [] { return Format("%1.0f", 25); }},  // integers are taken by float conversions
      {"1.23450000000000E+003", [] { return Format("%e", 1234.5); }},
      {"1.2E-005", [] { return Format("%.2e", 0.0000123); }},
      {"1234.5", [] { return Format("%g", 1234.5); }},
      {"1E-5", [] { return Format("%g", 0.00001); }},
      {"1,234,567.89", [] { return Format("%n", 1234567.891); }},
      {"-1,000", [] { return Format("%.0n", -1000.0); }},
      {"¥1,234.50", [] { return Format("%m", 1234.5); }},
      {"INF NAN", [] { return Format("%f %f", std::numeric_limits<double>::infinity(), std::nan("")); }},
      {"b a b", [] { return Format("%1:s %0:s %s", "a", "b"); }},
      {"   7|7   |", [&] { return Format("%*d|%-*d|", 4, x, 4, x); }},
      {"1.2", [] { return Format("%.*f", 1, 1.23); }},
      {"0000000000001000", [] { return Format("%p", reinterpret_cast<const void*>(0x1000)); }},
      {"SDL_WINDOWID=4096", [] { return Format("SDL_WINDOWID=%u", reinterpret_cast<const void*>(0x1000)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.run(), c.expected);
  }
}

TEST(Format, MismatchedOrMissingArgumentRaises) {
  const std::function<std::string()> bad[] = {
      [] { return Format("%d", 1.5); },
      [] { return Format("%x", "text"); },
      [] { return Format("%s", 5); },
      [] { return Format("%f", "1.5"); },
      [] { return Format("%d %d", 1); },
      [] { return Format("%d"); },
      [] { return Format("%5:s", "a"); },
      [] { return Format("%q", 1); },
      [] { return Format("tail %", 1); },
      [] { return Format("%*d", "w", 1); },
      [] { return Format("%*d", 2000000000, 1); },
      [] { return Format("%999999999d", 1); },
  };
  for (std::size_t i = 0; i < std::size(bad); ++i) {
    SCOPED_TRACE(i);
    EXPECT_THROW(bad[i](), EConvertError);
  }
  try {
    (void)Format("%d", "x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Format '%d' invalid or incompatible with argument");
  }
}

// Patterns come from program tables and translations; a malformed one may raise EConvertError
// but must never read or write out of bounds.
TEST(Format, ArbitraryPatternsNeverCrash) {
  std::mt19937 rng(7);
  const std::string alphabet = "%0123456789.-*:sdxXpfegnmu#,;E+'\"yhnz/ \xE8\xA7\x86\xFF";
  for (int i = 0; i < 20000; ++i) {
    std::string pattern;
    for (int k = static_cast<int>(rng() % 10); k > 0; --k) pattern += alphabet[rng() % alphabet.size()];
    try {
      (void)Format(pattern, 1, 2.5, "ab", 'c', static_cast<const void*>(nullptr), -7);
    } catch (const EConvertError&) {
    }
    (void)FormatFloat(pattern, static_cast<double>(static_cast<int>(rng() % 20001) - 10000) / 7.0);
    (void)FormatFloat(pattern, 0.0);
  }
}

// ---------------------------------------------------------------------------------------------
// Numbers

TEST(NumberText, IntToStrAndIntToHex) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(IntToStr(UINT64_MAX), "18446744073709551615");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(255, 1), "FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(std::int64_t{-1}, 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(0u, 0), "0");
}

TEST(NumberText, StrToIntTable) {
  struct Case {
    const char* text;
    bool valid;
    std::int64_t value32;  // as StrToInt
    bool valid64;
    std::int64_t value64;  // as StrToInt64
  };
  const Case cases[] = {
      {"0", true, 0, true, 0},
      {"123", true, 123, true, 123},
      {"-123", true, -123, true, -123},
      {"+7", true, 7, true, 7},
      {"  42  ", true, 42, true, 42},
      {"\t-8\n", true, -8, true, -8},
      {"$FF", true, 255, true, 255},
      {"0x1f", true, 31, true, 31},
      {"0X1F", true, 31, true, 31},
      {"-$10", true, -16, true, -16},
      {"$FFFFFFFF", true, -1, true, 0xFFFFFFFF},
      {"$7FFFFFFF", true, INT32_MAX, true, INT32_MAX},
      {"$100000000", false, 0, true, 0x100000000},
      {"2147483647", true, INT32_MAX, true, INT32_MAX},
      {"-2147483648", true, INT32_MIN, true, INT32_MIN},
      {"2147483648", false, 0, true, 2147483648LL},
      {"-2147483649", false, 0, true, -2147483649LL},
      {"9223372036854775807", false, 0, true, INT64_MAX},
      {"-9223372036854775808", false, 0, true, INT64_MIN},
      {"9223372036854775808", false, 0, false, 0},
      {"99999999999999999999999", false, 0, false, 0},
      {"$FFFFFFFFFFFFFFFF", false, 0, true, -1},
      {"$1FFFFFFFFFFFFFFFF", false, 0, false, 0},
      {"", false, 0, false, 0},
      {"   ", false, 0, false, 0},
      {"-", false, 0, false, 0},
      {"$", false, 0, false, 0},
      {"0x", false, 0, false, 0},
      {"12a", false, 0, false, 0},
      {"1 2", false, 0, false, 0},
      {"1.5", false, 0, false, 0},
      {"--1", false, 0, false, 0},
      {"$G1", false, 0, false, 0},
      {"１２", false, 0, false, 0},  // full-width digits are not digits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int v32 = 99;
    EXPECT_EQ(TryStrToInt(c.text, v32), c.valid);
    EXPECT_EQ(StrToIntDef(c.text, -99), c.valid ? c.value32 : -99);
    std::int64_t v64 = 99;
    EXPECT_EQ(TryStrToInt64(c.text, v64), c.valid64);
    EXPECT_EQ(StrToInt64Def(c.text, -99), c.valid64 ? c.value64 : -99);
    if (c.valid) {
      EXPECT_EQ(StrToInt(c.text), c.value32);
    } else {
      EXPECT_EQ(v32, 99);  // untouched on failure
      try {
        (void)StrToInt(c.text);
        ADD_FAILURE() << "no exception";
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'" + std::string(c.text) + "' is not a valid integer value");
      }
    }
    if (!c.valid64) {
      EXPECT_THROW((void)StrToInt64(c.text), EConvertError);
    }
  }
}

TEST(NumberText, StrToFloatTable) {
  struct Case {
    const char* text;
    bool valid;
    double value;
  };
  const Case cases[] = {
      {"1.5", true, 1.5},     {"-0.25", true, -0.25}, {"+3", true, 3},   {" 2.5 ", true, 2.5},
      {".5", true, 0.5},      {"5.", true, 5},        {"1e3", true, 1000}, {"1.5E-2", true, 0.015},
      {"", false, 0},         {"abc", false, 0},      {"1,5", false, 0}, {"1.2.3", false, 0},
      {"1e", false, 0},       {"e5", false, 0},       {"inf", false, 0}, {"nan", false, 0},
      {"1e999", false, 0},    {"0x10", false, 0},     {"1 000", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    double v = 0;
    EXPECT_EQ(TryStrToFloat(c.text, v), c.valid);
    if (c.valid) {
      EXPECT_DOUBLE_EQ(v, c.value);
      EXPECT_DOUBLE_EQ(StrToFloat(c.text), c.value);
    } else {
      EXPECT_DOUBLE_EQ(StrToFloatDef(c.text, -1), -1);
      try {
        (void)StrToFloat(c.text);
        ADD_FAILURE() << "no exception";
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'" + std::string(c.text) + "' is not a valid floating point value");
      }
    }
  }
}

TEST(NumberText, FloatToStrAndFormatFloat) {
  const std::pair<double, const char*> general[] = {
      {0, "0"},           {0.5, "0.5"},     {100, "100"},        {-3, "-3"},
      {1.0 / 3, "0.333333333333333"},       {1e20, "1E20"},      {1.5e-7, "1.5E-7"},
      {0.0001, "0.0001"}, {123456789012345.0, "123456789012345"}, {0.1 + 0.2, "0.3"},
  };
  for (const auto& [value, text] : general) {
    SCOPED_TRACE(text);
    EXPECT_EQ(FloatToStr(value), text);
  }
  struct Case {
    const char* pattern;
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {"0.00", 3.14159, "3.14"},
      {"0.00", 2.005, "2.01"},  // rounds half away from zero on the decimal value shown
      {"0.00", -1.5, "-1.50"},
      {"0.00", -0.001, "0.00"},
      {"#,##0", 1234567, "1,234,567"},
      {"#,##0", 999, "999"},
      {"#,##0.00", 1234.5, "1,234.50"},
      {"#,##0.00", -1234.5, "-1,234.50"},
      {"0", 0.4, "0"},
      {"#", 0, ""},
      {"#.##", 0.5, ".5"},
      {"0.0#", 1.5, "1.5"},
      {"0.0#", 1.257, "1.26"},
      {"000", 7, "007"},
      {"0.00 KB", 12.345, "12.35 KB"},
      {"\"n=\"0", 5, "n=5"},
      {"0;(0);zero", -5, "(5)"},
      {"0;(0);zero", 0, "zero"},
      {"0.00E+00", 1234.5, "1.23E+03"},
      {"0.0E-0", 0.00123, "1.2E-3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected);
  }
}

// ---------------------------------------------------------------------------------------------
// Text

TEST(Text, TrimCaseAndCompare) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(" 中文 "), "中文");
  EXPECT_EQ(UpperCase("abc 中 xyz"), "ABC 中 XYZ");
  EXPECT_EQ(LowerCase("ÀBC"), "Àbc");  // ASCII letters only
  EXPECT_EQ(AnsiUpperCase("option.ini"), "OPTION.INI");

  struct Case {
    const char* a;
    const char* b;
    int str, text, ansiText;  // signs of CompareStr, CompareText, AnsiCompareText
  };
  const Case cases[] = {
      {"abc", "abc", 0, 0, 0},      {"abc", "ABC", 1, 0, 0},      {"abc", "abd", -1, -1, -1},
      {"ab", "abc", -1, -1, -1},    {"", "", 0, 0, 0},            {"b", "A", 1, 1, 1},
      {"_", "a", -1, 1, -1},        // upper-case folding puts "_" after letters
      {"视频", "视频", 0, 0, 0},    {"a视", "A视", 1, 0, 0},      {"Zebra", "apple", -1, 1, 1},
  };
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(sign(CompareStr(c.a, c.b)), c.str);
    EXPECT_EQ(sign(AnsiCompareStr(c.a, c.b)), c.str);
    EXPECT_EQ(sign(CompareText(c.a, c.b)), c.text);
    EXPECT_EQ(sign(AnsiCompareText(c.a, c.b)), c.ansiText);
    EXPECT_EQ(SameText(c.a, c.b), c.text == 0);
    EXPECT_EQ(AnsiSameText(c.a, c.b), c.ansiText == 0);
  }
}

TEST(Text, PosReplaceAndQuote) {
  EXPECT_EQ(Pos("b", "abc"), 2);
  EXPECT_EQ(Pos("x", "abc"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos("=", "键=值"), 4);  // byte position

  struct Case {
    const char* s;
    const char* from;
    const char* to;
    TReplaceFlags flags;
    const char* expected;
  };
  const Case cases[] = {
      {"a-b-c", "-", "+", {}, "a+b-c"},
      {"a-b-c", "-", "+", {rfReplaceAll}, "a+b+c"},
      {"Ab ab AB", "ab", "x", {rfReplaceAll}, "Ab x AB"},
      {"Ab ab AB", "ab", "x", {rfReplaceAll, rfIgnoreCase}, "x x x"},
      {"Ab ab AB", "ab", "x", {rfIgnoreCase}, "x ab AB"},
      {"aaa", "a", "aa", {rfReplaceAll}, "aaaaaa"},  // replacements are not rescanned
      {"abc", "", "x", {rfReplaceAll}, "abc"},
      {"C:\\a\\b", "\\", "/", {rfReplaceAll}, "C:/a/b"},
      {"输出\\快照", "\\", "/", {rfReplaceAll}, "输出/快照"},
      {"", "a", "b", {rfReplaceAll}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.expected);
  }
  EXPECT_EQ(QuotedStr("O'Neil"), "'O''Neil'");
  EXPECT_EQ(QuotedStr(""), "''");
}

TEST(Text, Utf8Utf16RoundTripAndInvalidInput) {
  const std::string texts[] = {"", "abc", "视频格式转换器", "é", "😀 emoji", "\x7F"};
  for (const auto& t : texts) {
    SCOPED_TRACE(t);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(t)), t);
  }
  EXPECT_EQ(Utf8ToUtf16("视"), u"视");
  EXPECT_EQ(Utf8ToUtf16("😀"), u"\U0001F600");

  struct Bad {
    std::string utf8;
    std::u16string utf16;
  };
  const Bad bad[] = {
      {"\xFF", u"\uFFFD"},
      {"a\x80z", u"a\uFFFDz"},                // lone continuation byte
      {"\xC0\xAF", u"\uFFFD\uFFFD"},          // a lead byte never used, then a stray continuation
      {"\xE0\x80\xAF", u"\uFFFD"},            // overlong "/" in three bytes
      {"\xED\xA0\x80", u"\uFFFD"},            // a surrogate code point
      {"\xF4\x90\x80\x80", u"\uFFFD"},        // above U+10FFFF
      {"\xE8\xA7", u"\uFFFD"},                // truncated at the end
      {"\xE8\xA7x", u"\uFFFDx"},              // truncated before ASCII
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(b.utf8.size());
    EXPECT_EQ(Utf8ToUtf16(b.utf8), b.utf16);
  }
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u"a" + std::u16string(1, char16_t(0xDC00)) + u"b"), "a\xEF\xBF\xBD" "b");
}

// ---------------------------------------------------------------------------------------------
// Paths

TEST(Paths, ExtractParts) {
  struct Case {
    const char* name;
    const char* path;
    const char* dir;
    const char* file;
    const char* ext;
    const char* changed;  // ChangeFileExt(name, ".mp3")
  };
  const Case cases[] = {
      {"/a/b.c/d", "/a/b.c/", "/a/b.c", "d", "", "/a/b.c/d.mp3"},
      {"/a/b.c", "/a/", "/a", "b.c", ".c", "/a/b.mp3"},
      {"x.tar.gz", "", "", "x.tar.gz", ".gz", "x.tar.mp3"},
      {"clip", "", "", "clip", "", "clip.mp3"},
      {"/out/", "/out/", "/out", "", "", "/out/.mp3"},
      {"/b", "/", "/", "b", "", "/b.mp3"},
      {"/", "/", "/", "", "", "/.mp3"},
      {"", "", "", "", "", ".mp3"},
      {"a//b.avi", "a//", "a//", "b.avi", ".avi", "a//b.mp3"},
      {"/home/用户/视频/片段.avi", "/home/用户/视频/", "/home/用户/视频", "片段.avi", ".avi", "/home/用户/视频/片段.mp3"},
      {"/v/a.b.avi", "/v/", "/v", "a.b.avi", ".avi", "/v/a.b.mp3"},
      {"/v/.hidden", "/v/", "/v", ".hidden", ".hidden", "/v/.mp3"},
      {"/v/name.", "/v/", "/v", "name.", ".", "/v/name.mp3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExtractFilePath(c.name), c.path);
    EXPECT_EQ(ExtractFileDir(c.name), c.dir);
    EXPECT_EQ(ExtractFileName(c.name), c.file);
    EXPECT_EQ(ExtractFileExt(c.name), c.ext);
    EXPECT_EQ(ChangeFileExt(c.name, ".mp3"), c.changed);
  }
  EXPECT_EQ(ChangeFileExt("a.avi", ""), "a");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "");
}

TEST(Paths, ExpandFileName) {
  const std::string cwd = GetCurrentDir();
  ASSERT_FALSE(cwd.empty());
  const std::string base = cwd == "/" ? "" : cwd;
  const std::pair<std::string, std::string> cases[] = {
      {"/a/b/../c", "/a/c"},
      {"/a/./b//c", "/a/b/c"},
      {"/a/b/", "/a/b/"},
      {"/../..", "/"},
      {"/a/..", "/"},
      {"/", "/"},
      {"/不存在/文件.txt", "/不存在/文件.txt"},
      {"x.txt", base + "/x.txt"},
      {"./y/../x.txt", base + "/x.txt"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(ExpandFileName(in), out);
  }
}

// ---------------------------------------------------------------------------------------------
// Files and folders

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "sysutils-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern + "/";
  }
  void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

  void Touch(const std::string& name, std::size_t size = 0) {
    std::ofstream(root_ + name, std::ios::binary) << std::string(size, 'x');
  }

  std::string root_;
};

TEST_F(TempFolder, ExistenceCreateDeleteRename) {
  Touch("文件.txt", 3);
  EXPECT_TRUE(FileExists(root_ + "文件.txt"));
  EXPECT_FALSE(DirectoryExists(root_ + "文件.txt"));
  EXPECT_FALSE(FileExists(root_));
  EXPECT_TRUE(DirectoryExists(root_));
  EXPECT_TRUE(DirectoryExists(ExcludeTrailingPathDelimiter(root_)));
  EXPECT_FALSE(FileExists(root_ + "missing"));
  EXPECT_FALSE(FileExists(""));

  const std::string deep = root_ + "输出/a/b/c";
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep + "/"));  // already there
  EXPECT_FALSE(ForceDirectories(root_ + "文件.txt/sub"));  // a file is in the way
  EXPECT_FALSE(ForceDirectories(""));

  EXPECT_FALSE(DeleteFile(root_ + "输出"));  // a folder is not a file
  EXPECT_TRUE(DirectoryExists(root_ + "输出"));
  EXPECT_FALSE(RemoveDir(root_ + "输出/a"));  // not empty
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_TRUE(RemoveDir(deep));
  EXPECT_FALSE(DirectoryExists(deep));

  EXPECT_TRUE(RenameFile(root_ + "文件.txt", root_ + "改名.txt"));
  EXPECT_FALSE(FileExists(root_ + "文件.txt"));
  EXPECT_TRUE(FileExists(root_ + "改名.txt"));
  EXPECT_TRUE(DeleteFile(root_ + "改名.txt"));
  EXPECT_FALSE(DeleteFile(root_ + "改名.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENOENT));

  EXPECT_TRUE(CreateDir(root_ + "new"));
  EXPECT_FALSE(CreateDir(root_ + "new"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(EEXIST));
}

TEST_F(TempFolder, CurrentDirAndFileAge) {
  const std::string saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(root_));
  EXPECT_EQ(IncludeTrailingPathDelimiter(GetCurrentDir()), ExpandFileName(root_));
  Touch("rel.txt");
  EXPECT_TRUE(FileExists("rel.txt"));
  EXPECT_EQ(ExpandFileName("rel.txt"), ExpandFileName(root_) + "rel.txt");
  ASSERT_TRUE(SetCurrentDir(saved));
  EXPECT_FALSE(SetCurrentDir(root_ + "missing"));

  EXPECT_EQ(FileAge(root_ + "missing"), -1);
  EXPECT_EQ(FileAge(root_), -1);
  const int age = FileAge(root_ + "rel.txt");
  ASSERT_NE(age, -1);
  const double when = FileDateToDateTime(age);
  EXPECT_GT(when, 40000.0);  // after 2009
}

TEST_F(TempFolder, FindFirstMatchesNamesAndAttributes) {
  Touch("视频.avi", 10);
  Touch("音乐.MP3", 20);
  Touch("clip.avi", 30);
  Touch("clip", 1);
  Touch("a1.txt");
  Touch("ab.txt");
  Touch(".hidden.avi");
  ASSERT_TRUE(CreateDir(root_ + "子目录.avi"));

  auto find = [&](const std::string& pattern, int attr) {
    std::vector<std::string> names;
    TSearchRec sr;
    for (int r = FindFirst(root_ + pattern, attr, sr); r == 0; r = FindNext(sr)) names.push_back(sr.Name);
    FindClose(sr);
    std::sort(names.begin(), names.end());
    return names;
  };
  using V = std::vector<std::string>;
  struct Case {
    const char* pattern;
    int attr;
    V expected;
  };
  const Case cases[] = {
      {"*.avi", 0, V{"clip.avi", "视频.avi"}},
      {"*.AVI", faDirectory, V{"clip.avi", "子目录.avi", "视频.avi"}},
      {"*.avi", faAnyFile, V{".hidden.avi", "clip.avi", "子目录.avi", "视频.avi"}},
      {"*.mp3", 0, V{"音乐.MP3"}},
      {"clip.*", 0, V{"clip", "clip.avi"}},
      {"a?.txt", 0, V{"a1.txt", "ab.txt"}},
      {"??.avi", 0, V{"视频.avi"}},  // "?" is one character, not one byte
      {"*", 0, V{"a1.txt", "ab.txt", "clip", "clip.avi", "视频.avi", "音乐.MP3"}},
      {"*.*", 0, V{"a1.txt", "ab.txt", "clip", "clip.avi", "视频.avi", "音乐.MP3"}},
      {"视频.avi", 0, V{"视频.avi"}},
      {"*.none", faAnyFile, V{}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(find(c.pattern, c.attr), c.expected);
  }

  TSearchRec sr;
  ASSERT_EQ(FindFirst(root_ + "clip.avi", faAnyFile, sr), 0);
  EXPECT_EQ(sr.Size, 30);
  EXPECT_EQ(sr.Attr & faDirectory, 0);
  EXPECT_NE(sr.Time, 0);
  EXPECT_EQ(FindNext(sr), ENOENT);
  FindClose(sr);
  ASSERT_EQ(FindFirst(root_ + "子目录*", faDirectory, sr), 0);
  EXPECT_NE(sr.Attr & faDirectory, 0);
  EXPECT_NE(FindFirst(root_ + "missing/*", faAnyFile, sr), 0);
  EXPECT_EQ(FindFirst(root_ + "nothing*", faAnyFile, sr), ENOENT);
  EXPECT_EQ(FindNext(sr), ENOENT);  // a failed search leaves nothing to continue
}

// ---------------------------------------------------------------------------------------------
// Environment and errors

TEST(Environment, VariablesAndErrors) {
  EXPECT_TRUE(SetEnvironmentVariable("SYSUTILS_TEST_VAR", "值=1"));
  EXPECT_EQ(GetEnvironmentVariable("SYSUTILS_TEST_VAR"), "值=1");
  EXPECT_EQ(GetEnvironmentVariable("SYSUTILS_TEST_UNSET_VAR"), "");
  EXPECT_FALSE(SetEnvironmentVariable("A=B", "x"));
  EXPECT_FALSE(SetEnvironmentVariable("", "x"));

  SetLastError(ENOENT);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENOENT));
  EXPECT_FALSE(SysErrorMessage(ENOENT).empty());
  try {
    RaiseLastOSError();
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ENOENT);
    EXPECT_EQ(e.Message.rfind("System Error.  Code: 2.\n", 0), 0u) << e.Message;
  }
  SetLastError(0);
  EXPECT_THROW(RaiseLastOSError(), EOSError);
}

}  // namespace

namespace {

TEST(Utf8Characters, CountOffsetAndEncodeAgree) {
  const std::string text = "a视频é😀z";  // 1-, 3-, 3-, 2-, 4- and 1-byte characters
  EXPECT_EQ(Utf8CharCount(text), 6);
  const std::size_t offsets[] = {0, 1, 4, 7, 9, 13, 14, 14};
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Utf8ByteOffset(text, i), offsets[i]);
  }
  EXPECT_EQ(Utf8Encode(U'a') + Utf8Encode(U'视') + Utf8Encode(U'频') + Utf8Encode(U'é') + Utf8Encode(U'😀') +
                Utf8Encode(U'z'),
            text);
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(Utf8Encode(0x10FFFF))), Utf8Encode(0x10FFFF));
}

}  // namespace
