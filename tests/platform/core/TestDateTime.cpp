#include "platform/core/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>

#include "platform/core/Exceptions.h"

namespace {

// Millisecond tolerance of a TDateTime near today (one ms is 1.16e-8 days).
constexpr double kMs = 1.0 / 86400000.0;

TEST(DateTime, DatesRoundTrip) {
  struct Case {
    WORD y, m, d;
    double value;
    WORD dayOfWeek;  // 1 = Sunday
  };
  const Case cases[] = {
      {1899, 12, 30, 0, 7},
      {1899, 12, 31, 1, 1},
      {1900, 1, 1, 2, 2},
      {1900, 3, 1, 61, 5},  // 1900 is not a leap year
      {1970, 1, 1, 25569, 5},
      {2000, 2, 29, 36585, 3},
      {2000, 3, 1, 36586, 4},
      {2024, 2, 29, 45351, 5},
      {2038, 1, 19, 50424, 3},
      {1899, 12, 29, -1, 6},
      {1800, 1, 1, -36522, 4},
      {1, 1, 1, -693593, 2},
      {9999, 12, 31, 2958465, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.m) + "-" + std::to_string(c.d));
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.value);
    WORD y = 0, m = 0, d = 0;
    DecodeDate(c.value, y, m, d);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(m, c.m);
    EXPECT_EQ(d, c.d);
    EXPECT_EQ(DayOfWeek(c.value), c.dayOfWeek);
  }
}

TEST(DateTime, InvalidPartsRaise) {
  struct Case {
    WORD y, m, d;
  };
  const Case dates[] = {{2023, 2, 29}, {1900, 2, 29}, {2024, 0, 1}, {2024, 13, 1}, {2024, 4, 31},
                        {2024, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
  for (const auto& c : dates) {
    SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.m) + "-" + std::to_string(c.d));
    TDateTime dt = 123;
    EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, dt));
    EXPECT_EQ(dt, 123);
    EXPECT_THROW((void)EncodeDate(c.y, c.m, c.d), EConvertError);
  }
  EXPECT_THROW((void)EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW((void)EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW((void)EncodeTime(0, 0, 60, 0), EConvertError);
  EXPECT_THROW((void)EncodeTime(0, 0, 0, 1000), EConvertError);
  try {
    (void)EncodeDate(2023, 2, 29);
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Invalid argument to date encode");
  }
}

TEST(DateTime, TimesAndNegativeValues) {
  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);

  struct Case {
    double value;
    WORD y, mo, d, h, mi, s, ms;
  };
  const Case cases[] = {
      {0.5, 1899, 12, 30, 12, 0, 0, 0},
      {-1.25, 1899, 12, 29, 6, 0, 0, 0},  // the fraction counts from midnight in both directions
      {-36522.75, 1800, 1, 1, 18, 0, 0, 0},
      {EncodeDate(2009, 3, 7) + EncodeTime(14, 5, 9, 45), 2009, 3, 7, 14, 5, 9, 45},
      {EncodeDate(2009, 3, 7) + EncodeTime(23, 59, 59, 999) + 0.6 * kMs, 2009, 3, 8, 0, 0, 0, 0},  // rounds up
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    WORD y, mo, d, h, mi, s, ms;
    DecodeDateTime(c.value, y, mo, d, h, mi, s, ms);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(mo, c.mo);
    EXPECT_EQ(d, c.d);
    EXPECT_EQ(h, c.h);
    EXPECT_EQ(mi, c.mi);
    EXPECT_EQ(s, c.s);
    EXPECT_EQ(ms, c.ms);
  }
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 1, 1, 12, 0, 0, 0), 36526.5);

  WORD y = 1, m = 1, d = 1;
  DecodeDate(1e12, y, m, d);  // out of range: no crash, zero parts
  EXPECT_EQ(y, 0);
  DecodeDate(std::nan(""), y, m, d);
  EXPECT_EQ(y, 0);
}

TEST(DateTime, UnixAndIncrements) {
  EXPECT_EQ(DateTimeToUnix(EncodeDate(1970, 1, 1)), 0);
  EXPECT_EQ(DateTimeToUnix(EncodeDateTime(2001, 9, 9, 1, 46, 40, 0)), 1000000000);
  EXPECT_EQ(DateTimeToUnix(UnixToDateTime(1234567890)), 1234567890);
  EXPECT_EQ(DateTimeToUnix(UnixToDateTime(-86400)), -86400);
  EXPECT_DOUBLE_EQ(UnixToDateTime(0), 25569);

  struct Case {
    TDateTime start;
    std::int64_t ms;
    TDateTime expected;
  };
  const Case cases[] = {
      {EncodeDateTime(2009, 3, 7, 23, 59, 59, 0), 1000, EncodeDate(2009, 3, 8)},
      {EncodeDate(2009, 3, 8), -1, EncodeDateTime(2009, 3, 7, 23, 59, 59, 999)},
      {EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), 3600000, EncodeDateTime(1899, 12, 29, 7, 0, 0, 0)},
      {EncodeDateTime(1899, 12, 29, 23, 0, 0, 0), 3600000, EncodeDate(1899, 12, 30)},
      {EncodeDate(1899, 12, 30), -3600000, EncodeDateTime(1899, 12, 29, 23, 0, 0, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    EXPECT_NEAR(IncMilliSecond(c.start, c.ms), c.expected, kMs / 10);
  }
  EXPECT_NEAR(IncSecond(EncodeDate(2000, 1, 1), 90), EncodeDateTime(2000, 1, 1, 0, 1, 30, 0), kMs / 10);
}

TEST(DateTime, NowFollowsTheLocalWallClock) {
  const std::time_t before = std::time(nullptr);
  const TDateTime now = Now();
  const TDateTime today = Date();
  const TDateTime time = Time();
  const std::time_t after = std::time(nullptr);
  tm lt{};
  localtime_r(&before, &lt);
  const TDateTime expected = EncodeDateTime(static_cast<WORD>(lt.tm_year + 1900), static_cast<WORD>(lt.tm_mon + 1),
                                            static_cast<WORD>(lt.tm_mday), static_cast<WORD>(lt.tm_hour),
                                            static_cast<WORD>(lt.tm_min), static_cast<WORD>(std::min(lt.tm_sec, 59)), 0);
  EXPECT_GE(now, expected - kMs);
  EXPECT_LE(now, expected + static_cast<double>(after - before + 1) / 86400.0);
  EXPECT_EQ(today, std::trunc(today));
  EXPECT_GE(time, 0);
  EXPECT_LT(time, 1);
}

TEST(DateTime, FormatDateTimePatterns) {
  const TDateTime dt = EncodeDateTime(2009, 3, 7, 14, 5, 9, 45);  // a Saturday afternoon
  const TDateTime midnight = EncodeDate(2009, 3, 7);
  const TDateTime earlyMorning = EncodeDateTime(2009, 3, 7, 0, 30, 0, 0);
  struct Case {
    const char* pattern;
    TDateTime value;
    const char* expected;
  };
  const Case cases[] = {
      {"yyyy-mm-dd hh:nn:ss", dt, "2009-03-07 14:05:09"},
      {"YYYY-MM-DD HH:NN:SS", dt, "2009-03-07 14:05:09"},
      {"hhnnss", dt, "140509"},
      {"yy/m/d", dt, "09-3-7"},  // "/" is the settings' date separator
      {"hh:mm", dt, "14:05"},    // "mm" right after the hour is minutes
      {"mm/dd", dt, "03-07"},
      {"h:n:s.zzz", dt, "14:5:9.045"},
      {"s.z", dt, "9.45"},
      {"hh:nn am/pm", dt, "02:05 pm"},
      {"h AM/PM", dt, "2 PM"},
      {"h a/p", dt, "2 p"},
      {"hh ampm", dt, "02 PM"},
      {"h:nn am/pm", earlyMorning, "12:30 am"},
      {"hh:nn", earlyMorning, "00:30"},
      {"mmm mmmm", dt, "Mar March"},
      {"ddd dddd", dt, "Sat Saturday"},
      {"ddddd", dt, "2009-03-07"},
      {"t|tt", dt, "14:05|14:05:09"},
      {"c", dt, "2009-03-07 14:05:09"},
      {"c", midnight, "2009-03-07"},
      {"", dt, "2009-03-07 14:05:09"},
      {"'yyyy' yyyy", dt, "yyyy 2009"},
      {"\"hh\"=hh", dt, "hh=14"},
      {"'unterminated", dt, "unterminated"},
      {"yyyy年m月d日", dt, "2009年3月7日"},
      {"'vstats_'hhnnss'.log'", dt, "vstats_140509.log"},
      {"vs", dt, "v9"},  // letters outside quotes are pattern letters
      {"yyyy-mm-dd", EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), "1899-12-29"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(FormatDateTime(c.pattern, c.value), c.expected);
  }
  EXPECT_EQ(DateTimeToStr(dt), "2009-03-07 14:05:09");
  // A value outside the calendar formats its parts as zero and names no day.
  EXPECT_EQ(FormatDateTime("dddd yyyy-mm-dd", 1e7), " 0000-00-00");
}

}  // namespace
