#pragma once
// Date and time values of the runtime.
//
// A TDateTime counts days since 30 December 1899 00:00; its fraction is the time of day. Dates
// before that day are negative, and the fraction still counts forward from midnight in its
// absolute value: -1.25 is 29 December 1899 06:00. Years 1 to 9999 of the proleptic Gregorian
// calendar are valid. Values are local time unless a routine says otherwise.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/Types.h"

using TDateTime = double;

// Days between 1 January 1970 and the day 0 of TDateTime.
constexpr double UnixDateDelta = 25569.0;

[[nodiscard]] bool IsLeapYear(WORD year);
[[nodiscard]] WORD DaysInAMonth(WORD year, WORD month);

// Raise EConvertError "Invalid argument to date encode" / "... time encode" for values out of
// range (month 1-12, the month's days, hour < 24, minute and second < 60, millisecond < 1000).
[[nodiscard]] TDateTime EncodeDate(WORD year, WORD month, WORD day);
[[nodiscard]] TDateTime EncodeTime(WORD hour, WORD min, WORD sec, WORD msec);
[[nodiscard]] bool TryEncodeDate(WORD year, WORD month, WORD day, TDateTime& date);
[[nodiscard]] bool TryEncodeTime(WORD hour, WORD min, WORD sec, WORD msec, TDateTime& time);
// A date and a time of day as one value (for negative dates the time is subtracted, so the
// fraction still counts from midnight).
[[nodiscard]] TDateTime EncodeDateTime(WORD year, WORD month, WORD day, WORD hour, WORD min, WORD sec, WORD msec);

// The value is rounded to the nearest millisecond first, so 23:59:59.9996 decodes as the next
// day's 00:00:00.000. A value outside years 1-9999 decodes as 0 for every part.
void DecodeDate(TDateTime dt, WORD& year, WORD& month, WORD& day);
void DecodeTime(TDateTime dt, WORD& hour, WORD& min, WORD& sec, WORD& msec);
void DecodeDateTime(TDateTime dt, WORD& year, WORD& month, WORD& day, WORD& hour, WORD& min, WORD& sec,
                    WORD& msec);

// 1 = Sunday ... 7 = Saturday.
[[nodiscard]] WORD DayOfWeek(TDateTime dt);

// The wall clock in local time (not the replaceable clock the timers use).
[[nodiscard]] TDateTime Now();
[[nodiscard]] TDateTime Date();  // today at midnight
[[nodiscard]] TDateTime Time();  // the time of day only

// Seconds since 1 January 1970, with no time zone applied, rounded to the nearest second.
[[nodiscard]] std::int64_t DateTimeToUnix(TDateTime dt);
[[nodiscard]] TDateTime UnixToDateTime(std::int64_t seconds);

[[nodiscard]] TDateTime IncSecond(TDateTime dt, std::int64_t seconds = 1);
[[nodiscard]] TDateTime IncMilliSecond(TDateTime dt, std::int64_t milliseconds = 1);

// Formats with the date-time pattern language (letters in either case):
//   y yy       two-digit year        yyy yyyy  four-digit year
//   m mm       month (minute right after an h or hh)   mmm mmmm  short/long month name
//   d dd       day                   ddd dddd  short/long day name
//   ddddd      short date            dddddd    long date
//   h hh       hour (12-hour when am/pm, a/p or ampm appears later)
//   n nn       minute                s ss      second
//   z zzz      millisecond           t tt      short/long time
//   am/pm a/p  the half of the day in the pattern's case; ampm the settings' texts
//   c          short date, then the long time unless the time is midnight
//   /  :       the settings' date and time separators
//   "..." '...' literal text; any other character stands for itself.
// An empty pattern means "c". Names and separators come from FormatSettings().
[[nodiscard]] std::string FormatDateTime(std::string_view pattern, TDateTime dt);
[[nodiscard]] std::string DateTimeToStr(TDateTime dt);
