#pragma once
// Which file on disk a name denotes, so that two names can be told to be one file whatever their
// spelling: "./x.mpg", "x.mpg", a symbolic link to it and a hard link all give one identity.
//
// Free of shared state; any thread.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

struct TFileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  // Empty for a file that exists (Device and Inode are the file's, links followed). For a file
  // that does not exist yet, its name in its folder, and Device and Inode are the folder's: two
  // names of one file still to be written are then still equal.
  std::string Leaf;

  // The identity of a local file name (see LocalFileName in UnicodeProtocol.h); nothing when the
  // name is empty or neither the file nor its folder can be looked at.
  [[nodiscard]] static std::optional<TFileIdentity> Of(const std::string& AFileName);
  [[nodiscard]] bool Exists() const { return Leaf.empty(); }
  bool operator==(const TFileIdentity& AOther) const = default;
};

// What an existing local file is at one moment: which file, its size and the time of its last
// change. Two stamps of one file differ once it was written to or replaced in between.
struct TFileStamp {
  TFileIdentity Identity;
  int64_t Size = 0;
  int64_t ModifiedNs = 0;

  // Nothing when the name is empty or names no file that exists.
  [[nodiscard]] static std::optional<TFileStamp> Of(const std::string& AFileName);
  bool operator==(const TFileStamp& AOther) const = default;
};
