#pragma once
// A file's find data: the record the file views read a file's attributes, times and size from,
// in the shape they were written against (sizes and times split into 32-bit halves), filled from
// the file's status.
//
// Safe on any thread.

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/core/Types.h"

// 100-nanosecond intervals since 1601-01-01 (UTC, or local time after FileTimeToLocalFileTime).
struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;  // a symbolic link

struct WIN32_FIND_DATA {
  DWORD dwFileAttributes = 0;
  FILETIME ftCreationTime;  // the status change time: the file system keeps no creation time
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh = 0;
  DWORD nFileSizeLow = 0;
  std::string cFileName;  // the name without folder, its bytes as stored
};

// Fills Data from the status of Path (following a symbolic link; a dangling link reports
// itself): attributes (directory; read-only when the user may not write it; hidden for a name
// that starts with "."; a link; normal or archive otherwise), times and size (0 for a folder).
// False, with the thread's last error set (an errno value), when there is no such file.
bool GetFileFindData(const std::string& Path, WIN32_FIND_DATA& Data);

// The FILETIME of a time in seconds and nanoseconds since 1970.
[[nodiscard]] FILETIME UnixTimeToFileTime(std::int64_t Seconds, long Nanoseconds);
// Converts a UTC file time to the local time zone of the process.
bool FileTimeToLocalFileTime(const FILETIME& FileTime, FILETIME& LocalFileTime);
// Packs a file time into a date word (bits 9-15 year - 1980, 5-8 month, 0-4 day) and a time word
// (bits 11-15 hours, 5-10 minutes, 0-4 seconds / 2). False for a time before 1980 or after 2107.
bool FileTimeToDosDateTime(const FILETIME& FileTime, WORD& FatDate, WORD& FatTime);

// Whether the calling user may write to the file of this status by its permission bits (the
// owner's bits for its owner, the group's for a member, the others' otherwise; a superuser counts
// as the class it falls in, so a file without write bits is read-only for everyone) on a file
// system mounted writable. Path is the file's own name, for the mount check.
[[nodiscard]] bool UserMayWrite(const std::string& Path, const struct stat& Status);
