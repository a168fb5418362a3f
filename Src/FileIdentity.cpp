#include "Src/FileIdentity.h"

#include <sys/stat.h>

#include <cerrno>

std::optional<TFileIdentity> TFileIdentity::Of(const std::string& AFileName) {
  if (AFileName.empty()) return std::nullopt;
  struct stat st {};
  if (::stat(AFileName.c_str(), &st) == 0) return TFileIdentity{st.st_dev, st.st_ino, {}};
  if (errno != ENOENT) return std::nullopt;
  // Not there yet: the folder it would be made in, and its name there.
  const size_t slash = AFileName.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : AFileName.substr(0, slash);
  const std::string leaf = slash == std::string::npos ? AFileName : AFileName.substr(slash + 1);
  if (leaf.empty() || leaf == "." || leaf == ".." || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return std::nullopt;
  return TFileIdentity{st.st_dev, st.st_ino, leaf};
}

std::optional<TFileStamp> TFileStamp::Of(const std::string& AFileName) {
  struct stat st {};
  if (AFileName.empty() || ::stat(AFileName.c_str(), &st) != 0) return std::nullopt;
  return TFileStamp{TFileIdentity{st.st_dev, st.st_ino, {}}, static_cast<int64_t>(st.st_size),
                    static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}
