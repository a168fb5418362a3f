#include "platform/shell/FileFindData.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "platform/core/SysUtils.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kUnixEpochInFileTimeSeconds = 11644473600;

std::uint64_t Ticks(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME FromTicks(std::uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

bool InGroup(gid_t group) {
  if (::getegid() == group) return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = ::getgroups(count, groups.data());
  for (int i = 0; i < got; ++i)
    if (groups[static_cast<std::size_t>(i)] == group) return true;
  return false;
}

}  // namespace

FILETIME UnixTimeToFileTime(std::int64_t Seconds, long Nanoseconds) {
  const std::int64_t seconds = Seconds + kUnixEpochInFileTimeSeconds;
  if (seconds < 0) return {};
  return FromTicks(static_cast<std::uint64_t>(seconds) * 10000000u + static_cast<std::uint64_t>(Nanoseconds / 100));
}

bool FileTimeToLocalFileTime(const FILETIME& FileTime, FILETIME& LocalFileTime) {
  const std::uint64_t ticks = Ticks(FileTime);
  const std::time_t unix = static_cast<std::time_t>(static_cast<std::int64_t>(ticks / 10000000u) - kUnixEpochInFileTimeSeconds);
  std::tm local{};
  if (::localtime_r(&unix, &local) == nullptr) return false;
  const std::int64_t shifted = static_cast<std::int64_t>(ticks) + static_cast<std::int64_t>(local.tm_gmtoff) * 10000000;
  if (shifted < 0) return false;
  LocalFileTime = FromTicks(static_cast<std::uint64_t>(shifted));
  return true;
}

bool FileTimeToDosDateTime(const FILETIME& FileTime, WORD& FatDate, WORD& FatTime) {
  // The file time is already in the zone wanted: break it down without another shift.
  const std::time_t unix =
      static_cast<std::time_t>(static_cast<std::int64_t>(Ticks(FileTime) / 10000000u) - kUnixEpochInFileTimeSeconds);
  std::tm parts{};
  if (::gmtime_r(&unix, &parts) == nullptr) return false;
  const int year = parts.tm_year + 1900;
  if (year < 1980 || year > 2107) return false;
  FatDate = static_cast<WORD>(((year - 1980) << 9) | ((parts.tm_mon + 1) << 5) | parts.tm_mday);
  FatTime = static_cast<WORD>((parts.tm_hour << 11) | (parts.tm_min << 5) | (parts.tm_sec / 2));
  return true;
}

bool UserMayWrite(const std::string& Path, const struct stat& Status) {
  mode_t bit;
  if (::geteuid() == Status.st_uid)
    bit = S_IWUSR;
  else if (InGroup(Status.st_gid))
    bit = S_IWGRP;
  else
    bit = S_IWOTH;
  if ((Status.st_mode & bit) == 0) return false;
  struct statvfs fs {};
  return ::statvfs(Path.c_str(), &fs) != 0 || (fs.f_flag & ST_RDONLY) == 0;
}

bool GetFileFindData(const std::string& Path, WIN32_FIND_DATA& Data) {
  Data = WIN32_FIND_DATA{};
  struct stat link {};
  if (::lstat(Path.c_str(), &link) != 0) {
    SetLastError(static_cast<DWORD>(errno));
    return false;
  }
  struct stat status = link;
  const bool isLink = S_ISLNK(link.st_mode);
  if (isLink && ::stat(Path.c_str(), &status) != 0) status = link;  // a dangling link reports itself

  DWORD attributes = 0;
  if (S_ISDIR(status.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!UserMayWrite(Path, status)) attributes |= FILE_ATTRIBUTE_READONLY;
  Data.cFileName = ExtractFileName(Path);
  if (!Data.cFileName.empty() && Data.cFileName[0] == '.') attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (isLink) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  Data.dwFileAttributes = attributes;

  Data.ftCreationTime = UnixTimeToFileTime(status.st_ctim.tv_sec, status.st_ctim.tv_nsec);
  Data.ftLastAccessTime = UnixTimeToFileTime(status.st_atim.tv_sec, status.st_atim.tv_nsec);
  Data.ftLastWriteTime = UnixTimeToFileTime(status.st_mtim.tv_sec, status.st_mtim.tv_nsec);
  if (!S_ISDIR(status.st_mode)) {
    const auto size = static_cast<std::uint64_t>(status.st_size);
    Data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    Data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  }
  return true;
}
