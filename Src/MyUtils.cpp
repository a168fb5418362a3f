#include "Src/MyUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <climits>
#include <cstdio>
#include <ctime>

std::string GetExePath() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  std::string path(buffer, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

std::int64_t GetFileSizeByName(const std::string& AFileName) {
  if (AFileName.empty()) return -1;
  struct stat st {};
  if (::stat(AFileName.c_str(), &st) != 0) return -1;
  if (S_ISDIR(st.st_mode)) return 0;
  return static_cast<std::int64_t>(st.st_size);
}

void SplitHead(std::string& S, const std::string& ADelimiter, bool ARemove, std::string& AHead) {
  const std::size_t at = ADelimiter.empty() ? std::string::npos : S.find(ADelimiter);
  if (at == std::string::npos) {
    AHead = S;
    if (ARemove) S.clear();
    return;
  }
  AHead = S.substr(0, at);
  if (ARemove) S.erase(0, at + ADelimiter.size());
}

std::string FormatByteSize(std::int64_t ASize) {
  char text[64];
  if (ASize > 1073741824) {
    std::snprintf(text, sizeof text, "%.2f GB", static_cast<double>(ASize) / 1073741824.0);
  } else if (ASize > 1048576) {
    std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(ASize) / 1048576.0);
  } else if (ASize > 1024) {
    std::snprintf(text, sizeof text, "%.2f KB", static_cast<double>(ASize) / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%" PRId64 " Byte", ASize);
  }
  return text;
}

double LocalTimeZoneOffset(std::int64_t AUnixSeconds) {
  const std::time_t t = static_cast<std::time_t>(AUnixSeconds);
  std::tm local {};
  if (!::localtime_r(&t, &local)) return 0.0;
  return static_cast<double>(local.tm_gmtoff) / 86400.0;
}

double LocalTimeZoneOffset() { return LocalTimeZoneOffset(static_cast<std::int64_t>(std::time(nullptr))); }

TDateTime UnixTimeToLocalDateTime(std::int64_t ASeconds) {
  return static_cast<double>(ASeconds) / 86400.0 + UnixDateDelta + LocalTimeZoneOffset(ASeconds);
}

std::string FormatDateTimeText(const std::string& AFormat, TDateTime ADateTime) {
  return FormatDateTime(AFormat, ADateTime);
}
