#include "platform/core/DateTime.h"

#include <sys/time.h>

#include <cmath>
#include <ctime>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr double kMinDateTime = -693593.0;       // 0001-01-01
constexpr double kMaxDateTime = 2958466.0;       // 10000-01-01, exclusive

// Days since 1970-01-01 of a proleptic Gregorian date (eras of 400 years).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

// Splits a value into its day number and milliseconds of the day, rounding to the millisecond.
bool Split(TDateTime dt, std::int64_t& day, std::int64_t& ms) {
  if (!std::isfinite(dt) || dt < kMinDateTime - 1 || dt >= kMaxDateTime) return false;
  const std::int64_t total = std::llround(dt * static_cast<double>(kMsPerDay));
  day = total / kMsPerDay;
  ms = total % kMsPerDay;
  if (ms < 0) ms = -ms;
  return day >= static_cast<std::int64_t>(kMinDateTime) && day < static_cast<std::int64_t>(kMaxDateTime);
}

TDateTime LocalNow(TDateTime* timeOnly) {
  timeval tv{};
  ::gettimeofday(&tv, nullptr);
  std::time_t secs = tv.tv_sec;
  tm lt{};
  ::localtime_r(&secs, &lt);
  const TDateTime date = EncodeDate(static_cast<WORD>(lt.tm_year + 1900), static_cast<WORD>(lt.tm_mon + 1),
                                    static_cast<WORD>(lt.tm_mday));
  const TDateTime time = EncodeTime(static_cast<WORD>(lt.tm_hour), static_cast<WORD>(lt.tm_min),
                                    static_cast<WORD>(std::min(lt.tm_sec, 59)), static_cast<WORD>(tv.tv_usec / 1000));
  if (timeOnly) *timeOnly = time;
  return date + time;
}

// ---------------------------------------------------------------------------------------------
// FormatDateTime

class DateFormatter {
 public:
  explicit DateFormatter(TDateTime dt) : dt_(dt) {
    DecodeDateTime(dt, year_, month_, day_, hour_, min_, sec_, msec_);
  }

  void Append(std::string_view p, int level) {
    if (level > 2) return;  // settings that name themselves cannot loop
    char lastToken = ' ';
    std::size_t i = 0;
    while (i < p.size()) {
      const char starter = p[i];
      char token = Upper(starter);
      if (token >= 'A' && token <= 'Z') {
        if (token == 'M' && lastToken == 'H') token = 'N';
        lastToken = token;
      }
      const std::size_t count = Run(p, i);
      switch (token) {
        case 'Y':
          i += count;
          out_ += count <= 2 ? Number(year_ % 100, 2) : Number(year_, 4);
          break;
        case 'M':
          i += count;
          if (count <= 2)
            out_ += Number(month_, count);
          else
            out_ += MonthName(count == 3);
          break;
        case 'N':
          i += count;
          out_ += Number(min_, std::min<std::size_t>(count, 2));
          break;
        case 'D':
          i += count;
          Day(count, level);
          break;
        case 'H':
          i += count;
          Hour(p.substr(i), count);
          break;
        case 'S':
          i += count;
          out_ += Number(sec_, std::min<std::size_t>(count, 2));
          break;
        case 'Z':
          i += count;
          out_ += Number(msec_, count == 1 ? 1 : 3);
          break;
        case 'T':
          i += count;
          Append(count == 1 ? FormatSettings().ShortTimeFormat : FormatSettings().LongTimeFormat, level + 1);
          break;
        case 'C':
          ++i;
          Append(FormatSettings().ShortDateFormat, level + 1);
          if (hour_ != 0 || min_ != 0 || sec_ != 0 || msec_ != 0) {
            out_ += ' ';
            Append(FormatSettings().LongTimeFormat, level + 1);
          }
          break;
        case 'A':
          i += HalfOfDay(p.substr(i));
          break;
        case '/':
          ++i;
          out_ += FormatSettings().DateSeparator;
          break;
        case ':':
          ++i;
          out_ += FormatSettings().TimeSeparator;
          break;
        case '"':
        case '\'': {
          const std::size_t close = p.find(starter, i + 1);
          const std::size_t end = close == std::string_view::npos ? p.size() : close;
          out_ += p.substr(i + 1, end - i - 1);
          i = end == p.size() ? end : end + 1;
          break;
        }
        default:
          out_ += starter;
          ++i;
          break;
      }
    }
  }

  std::string Take() { return std::move(out_); }

 private:
  static char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

  // Length of the run of the same letter (either case) at i; 1 for non-letters.
  static std::size_t Run(std::string_view p, std::size_t i) {
    const char u = Upper(p[i]);
    if (u < 'A' || u > 'Z') return 1;
    std::size_t j = i + 1;
    while (j < p.size() && Upper(p[j]) == u) ++j;
    return j - i;
  }

  static std::string Number(unsigned value, std::size_t digits) {
    std::string s = std::to_string(value);
    if (s.size() < digits) s.insert(0, digits - s.size(), '0');
    return s;
  }

  std::string MonthName(bool shortName) const {
    if (month_ < 1 || month_ > 12) return std::string();
    return shortName ? FormatSettings().ShortMonthNames[month_ - 1] : FormatSettings().LongMonthNames[month_ - 1];
  }

  void Day(std::size_t count, int level) {
    const int weekday = DayOfWeek(dt_) - 1;  // -1 for a value outside the calendar
    switch (count) {
      case 1:
      case 2:
        out_ += Number(day_, count);
        break;
      case 3:
        if (weekday >= 0) out_ += FormatSettings().ShortDayNames[weekday];
        break;
      case 4:
        if (weekday >= 0) out_ += FormatSettings().LongDayNames[weekday];
        break;
      case 5:
        Append(FormatSettings().ShortDateFormat, level + 1);
        break;
      default:
        Append(FormatSettings().LongDateFormat, level + 1);
        break;
    }
  }

  static bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t k = 0; k < prefix.size(); ++k)
      if (Upper(s[k]) != Upper(prefix[k])) return false;
    return true;
  }

  // Whether the rest of the pattern asks for a 12-hour clock.
  static bool TwelveHour(std::string_view rest) {
    for (std::size_t k = 0; k < rest.size(); ++k) {
      const std::string_view tail = rest.substr(k);
      if (StartsWithNoCase(tail, "am/pm") || StartsWithNoCase(tail, "a/p") || StartsWithNoCase(tail, "ampm")) return true;
    }
    return false;
  }

  void Hour(std::string_view rest, std::size_t count) {
    unsigned h = hour_;
    if (TwelveHour(rest)) {
      h %= 12;
      if (h == 0) h = 12;
    }
    out_ += Number(h, std::min<std::size_t>(count, 2));
  }

  // "am/pm", "a/p" or "ampm" at the start of Rest; returns the pattern characters used.
  std::size_t HalfOfDay(std::string_view rest) {
    const bool pm = hour_ >= 12;
    if (StartsWithNoCase(rest, "am/pm")) {
      out_ += pm ? rest.substr(3, 2) : rest.substr(0, 2);
      return 5;
    }
    if (StartsWithNoCase(rest, "a/p")) {
      out_ += pm ? rest[2] : rest[0];
      return 3;
    }
    if (StartsWithNoCase(rest, "ampm")) {
      out_ += pm ? FormatSettings().TimePMString : FormatSettings().TimeAMString;
      return 4;
    }
    out_ += rest[0];
    return 1;
  }

  TDateTime dt_;
  WORD year_ = 0, month_ = 0, day_ = 0, hour_ = 0, min_ = 0, sec_ = 0, msec_ = 0;
  std::string out_;
};

}  // namespace

bool IsLeapYear(WORD year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

WORD DaysInAMonth(WORD year, WORD month) {
  static constexpr WORD kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(WORD year, WORD month, WORD day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month)) return false;
  date = static_cast<double>(DaysFromCivil(year, month, day)) + UnixDateDelta;
  return true;
}

TDateTime EncodeDate(WORD year, WORD month, WORD day) {
  TDateTime date = 0;
  if (!TryEncodeDate(year, month, day, date)) throw EConvertError("Invalid argument to date encode");
  return date;
}

bool TryEncodeTime(WORD hour, WORD min, WORD sec, WORD msec, TDateTime& time) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  time = static_cast<double>(((hour * 60 + min) * 60 + sec) * 1000 + msec) / static_cast<double>(kMsPerDay);
  return true;
}

TDateTime EncodeTime(WORD hour, WORD min, WORD sec, WORD msec) {
  TDateTime time = 0;
  if (!TryEncodeTime(hour, min, sec, msec, time)) throw EConvertError("Invalid argument to time encode");
  return time;
}

TDateTime EncodeDateTime(WORD year, WORD month, WORD day, WORD hour, WORD min, WORD sec, WORD msec) {
  const TDateTime date = EncodeDate(year, month, day);
  const TDateTime time = EncodeTime(hour, min, sec, msec);
  return date < 0 ? date - time : date + time;
}

void DecodeDate(TDateTime dt, WORD& year, WORD& month, WORD& day) {
  std::int64_t d = 0, ms = 0;
  if (!Split(dt, d, ms)) {
    year = month = day = 0;
    return;
  }
  std::int64_t y = 0;
  unsigned m = 0, dd = 0;
  CivilFromDays(d - static_cast<std::int64_t>(UnixDateDelta), y, m, dd);
  year = static_cast<WORD>(y);
  month = static_cast<WORD>(m);
  day = static_cast<WORD>(dd);
}

void DecodeTime(TDateTime dt, WORD& hour, WORD& min, WORD& sec, WORD& msec) {
  std::int64_t d = 0, ms = 0;
  if (!Split(dt, d, ms)) {
    hour = min = sec = msec = 0;
    return;
  }
  msec = static_cast<WORD>(ms % 1000);
  sec = static_cast<WORD>(ms / 1000 % 60);
  min = static_cast<WORD>(ms / 60000 % 60);
  hour = static_cast<WORD>(ms / 3600000);
}

void DecodeDateTime(TDateTime dt, WORD& year, WORD& month, WORD& day, WORD& hour, WORD& min, WORD& sec,
                    WORD& msec) {
  DecodeDate(dt, year, month, day);
  DecodeTime(dt, hour, min, sec, msec);
}

WORD DayOfWeek(TDateTime dt) {
  std::int64_t d = 0, ms = 0;
  if (!Split(dt, d, ms)) return 0;
  // Day 0 (1899-12-30) was a Saturday.
  return static_cast<WORD>(((d + 6) % 7 + 7) % 7 + 1);
}

TDateTime Now() { return LocalNow(nullptr); }

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  TDateTime time = 0;
  LocalNow(&time);
  return time;
}

std::int64_t DateTimeToUnix(TDateTime dt) { return std::llround((dt - UnixDateDelta) * 86400.0); }

TDateTime UnixToDateTime(std::int64_t seconds) { return static_cast<double>(seconds) / 86400.0 + UnixDateDelta; }

TDateTime IncSecond(TDateTime dt, std::int64_t seconds) { return IncMilliSecond(dt, seconds * 1000); }

TDateTime IncMilliSecond(TDateTime dt, std::int64_t milliseconds) {
  // Step on the continuous time line (day start + time of day), so negative dates move the
  // right way, then write the result back in the value's own form.
  std::int64_t d = 0, ms = 0;
  if (!Split(dt, d, ms)) return dt + static_cast<double>(milliseconds) / static_cast<double>(kMsPerDay);
  const std::int64_t linear = d * kMsPerDay + ms + milliseconds;
  const std::int64_t day = linear >= 0 ? linear / kMsPerDay : -((-linear + kMsPerDay - 1) / kMsPerDay);
  const double frac = static_cast<double>(linear - day * kMsPerDay) / static_cast<double>(kMsPerDay);
  return day < 0 ? static_cast<double>(day) - frac : static_cast<double>(day) + frac;
}

std::string FormatDateTime(std::string_view pattern, TDateTime dt) {
  DateFormatter f(dt);
  f.Append(pattern.empty() ? std::string_view("c") : pattern, 0);
  return f.Take();
}

std::string DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }
