#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "Src/FFBaseComponent.h"
#include "Src/MyUtils.h"

namespace {

TEST(FormatByteSize, EachBoundIsExclusive) {
  struct Case {
    std::int64_t size;
    const char* text;
  };
  const Case cases[] = {
      {-1, "-1 Byte"},
      {0, "0 Byte"},
      {1024, "1024 Byte"},
      {1025, "1.00 KB"},
      {1536, "1.50 KB"},
      {1048576, "1024.00 KB"},
      {1048577, "1.00 MB"},
      {1073741824, "1024.00 MB"},
      {1073741825, "1.00 GB"},
      {5LL * 1073741824 + 1073741824 / 4, "5.25 GB"},
      {INT64_MIN, "-9223372036854775808 Byte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(FormatByteSize(c.size), c.text);
  }
}

TEST(SplitHead, TakesTheTextBeforeTheFirstDelimiter) {
  struct Case {
    const char* text;
    const char* delimiter;
    bool remove;
    const char* head;
    const char* rest;
  };
  const Case cases[] = {
      {"x=y=z", "=", true, "x", "y=z"},
      {"x=y=z", "=", false, "x", "x=y=z"},
      {"xyz", "=", true, "xyz", ""},
      {"xyz", "=", false, "xyz", "xyz"},
      {"=value", "=", true, "", "value"},
      {"key=", "=", true, "key", ""},
      {"a<CRLF>b<CRLF>c", "<CRLF>", true, "a", "b<CRLF>c"},
      {"a<crlf>b", "<CRLF>", true, "a<crlf>b", ""},  // case-sensitive
      {"", "=", true, "", ""},
      {"abc", "", true, "abc", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.delimiter);
    std::string s = c.text, head = "stale";
    SplitHead(s, c.delimiter, c.remove, head);
    EXPECT_EQ(head, c.head);
    EXPECT_EQ(s, c.rest);
  }
}

class FileSizeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("th_filesize_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Make(const std::string& name, std::size_t bytes) {
    auto path = dir_ / name;
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    return path.string();
  }
  std::filesystem::path dir_;
};

TEST_F(FileSizeTest, SizesOfFilesFoldersAndMissingNames) {
  EXPECT_EQ(GetFileSizeByName(Make("empty.bin", 0)), 0);
  EXPECT_EQ(GetFileSizeByName(Make("视频 file.mp4", 12345)), 12345);
  EXPECT_EQ(GetFileSizeByName((dir_ / "missing.bin").string()), -1);
  EXPECT_EQ(GetFileSizeByName(""), -1);
  EXPECT_EQ(GetFileSizeByName(dir_.string()), 0) << "a folder";
}

TEST_F(FileSizeTest, WildcardCharactersAreNotAPattern) {
  Make("a1.bin", 10);
  Make("a2.bin", 20);
  // A search would have matched a1.bin for this name; the name itself does not exist.
  EXPECT_EQ(GetFileSizeByName((dir_ / "a?.bin").string()), -1);
  EXPECT_EQ(GetFileSizeByName((dir_ / "*.bin").string()), -1);
  EXPECT_EQ(GetFileSizeByName(Make("*.bin", 7)), 7) << "a file really named so";
}

TEST(GetExePath, IsTheFolderOfThisProgram) {
  std::string path = GetExePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(path + "tests_Src")) << path;
}

// Runs the test with a fixed time zone: one hour east of UTC, two in summer.
class TimeZoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_ = tz, had_ = true;
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    ::tzset();
  }
  void TearDown() override {
    if (had_) {
      ::setenv("TZ", saved_.c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }
  std::string saved_;
  bool had_ = false;
};

constexpr std::int64_t kWinterNoonUtc = 1610712000;  // 2021-01-15 12:00:00 UTC
constexpr std::int64_t kSummerNoonUtc = 1626350400;  // 2021-07-15 12:00:00 UTC

TEST_F(TimeZoneTest, OffsetAppliesDaylightSavingAtTheMomentConverted) {
  EXPECT_DOUBLE_EQ(LocalTimeZoneOffset(kWinterNoonUtc), 1.0 / 24);
  EXPECT_DOUBLE_EQ(LocalTimeZoneOffset(kSummerNoonUtc), 2.0 / 24);
  const double now = LocalTimeZoneOffset();
  EXPECT_TRUE(now == 1.0 / 24 || now == 2.0 / 24);
}

TEST_F(TimeZoneTest, UnixTimeBecomesLocalWallClockTime) {
  struct Case {
    std::int64_t seconds;
    const char* text;
  };
  const Case cases[] = {
      {kWinterNoonUtc, "2021-01-15 13:00:00"},
      {kSummerNoonUtc, "2021-07-15 14:00:00"},
      {0, "1970-01-01 01:00:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(FormatDateTimeText("yyyy-mm-dd hh:nn:ss", UnixTimeToLocalDateTime(c.seconds)), c.text);
  }
  // The fraction of a day is kept, not rounded to whole days.
  EXPECT_NEAR(UnixTimeToLocalDateTime(43200) - UnixTimeToLocalDateTime(0), 0.5, 1e-9);
}

TEST(SeekFlags, IntegerFormIsTheSetsBits) {
  struct Case {
    TSeekFlags flags;
    int value;
  };
  const Case cases[] = {
      {{}, 0},
      {{TSeekFlag::sfBackward}, 1},
      {{TSeekFlag::sfByte}, 2},
      {{TSeekFlag::sfAny}, 4},
      {{TSeekFlag::sfFrame}, 8},
      {{TSeekFlag::sfBackward, TSeekFlag::sfFrame}, 9},
      {{TSeekFlag::sfBackward, TSeekFlag::sfByte, TSeekFlag::sfAny, TSeekFlag::sfFrame}, 15},
  };
  for (const Case& c : cases) EXPECT_EQ(SeekFlagsToInt(c.flags), c.value);
  EXPECT_EQ(static_cast<int>(TPictureType::ptBI), 7);
}

}  // namespace
