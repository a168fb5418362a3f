#include "app/ProgramFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "Src/MyUtils.h"

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir) return account->pw_dir;
  return "/tmp";
}

}  // namespace

TProgramFolders TProgramFolders::OfThisProgram() {
  std::string home = HomeFolder();
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return TProgramFolders{GetExePath(), home};
}
