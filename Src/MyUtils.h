#pragma once
// Small helpers of the media framework: the program folder, file sizes, option-text splitting,
// byte-size and date-time texts. None keeps state; all may run on any thread.

#include <cstdint>
#include <string>

#include "platform/core/DateTime.h"

// The folder of the running program's file, ending with "/".
[[nodiscard]] std::string GetExePath();

// Size in bytes of the named file (relative names from the current folder), 0 for a folder,
// -1 when it does not exist or cannot be examined. The name is taken literally: "*" and "?"
// are characters of the name, never a pattern.
[[nodiscard]] std::int64_t GetFileSizeByName(const std::string& AFileName);

// AHead := the text of S before the first ADelimiter (case-sensitive); with ARemove, S := the
// text after it. Without ADelimiter in S (or with an empty ADelimiter), AHead := S and, with
// ARemove, S := "".
void SplitHead(std::string& S, const std::string& ADelimiter, bool ARemove, std::string& AHead);

// "%.2f GB", "%.2f MB", "%.2f KB" above 1073741824, 1048576 and 1024 bytes (each bound
// exclusive), else "%d Byte" with the count itself (also for 0 and negatives).
[[nodiscard]] std::string FormatByteSize(std::int64_t ASize);

// The local time zone's offset from UTC in days at the given moment (seconds since 1970 UTC),
// daylight saving time included when it is in force then.
[[nodiscard]] double LocalTimeZoneOffset(std::int64_t AUnixSeconds);
// The same for the present moment.
[[nodiscard]] double LocalTimeZoneOffset();

// Local date-time of a count of seconds since 1 January 1970 UTC.
[[nodiscard]] TDateTime UnixTimeToLocalDateTime(std::int64_t ASeconds);

// ADateTime as text in the runtime's date-time pattern language.
[[nodiscard]] std::string FormatDateTimeText(const std::string& AFormat, TDateTime ADateTime);
