#include "platform/shell/DesktopOpener.h"

#include "platform/core/Spawn.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

std::mutex& OpenerLock() {
  static std::mutex lock;
  return lock;
}

TDesktopOpener& Installed() {
  static TDesktopOpener opener;
  return opener;
}

bool LooksLikeAddress(const std::string& s);

// Each opener in turn until one starts; a desktop without any gets one reason naming them all.
bool DefaultOpener(const std::string& Target, std::string& Error) {
  std::string tried;
  for (const std::vector<std::string>& command : DesktopOpeners(Target)) {
    std::string reason;
    if (SpawnOpener(command, Target, reason)) return true;
    std::string name;
    for (const std::string& word : command) name += (name.empty() ? "" : " ") + word;
    tried += (tried.empty() ? "" : ", ") + name;
  }
  Error = "no desktop opener could be started (tried " + tried + ")";
  return false;
}

bool LooksLikeAddress(const std::string& s) {
  // "scheme:" with a scheme of two or more letters (a single letter could be a drive).
  const std::size_t colon = s.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = s[i];
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.')) return false;
  }
  return true;
}

}  // namespace

TDesktopOpener SetDesktopOpener(TDesktopOpener Opener) {
  std::lock_guard lock(OpenerLock());
  TDesktopOpener old = std::move(Installed());
  Installed() = std::move(Opener);
  if (!old) old = DefaultOpener;
  return old;
}

bool OpenWithDesktop(const std::string& Target, std::string* Error) {
  std::string reason;
  bool ok = false;
  if (Target.empty()) {
    reason = "nothing to open";
  } else {
    TDesktopOpener opener;
    {
      std::lock_guard lock(OpenerLock());
      opener = Installed() ? Installed() : TDesktopOpener(DefaultOpener);
    }
    ok = opener(Target, reason);
    if (!ok && reason.empty()) reason = "cannot open " + Target;
  }
  if (Error != nullptr) *Error = ok ? std::string() : reason;
  return ok;
}

std::vector<std::vector<std::string>> DesktopOpeners(const std::string& Target) {
  std::vector<std::vector<std::string>> openers = {{"xdg-open"}, {"gio", "open"}};
  // The file managers of the Debian desktops (GNOME, KDE, Xfce, LXDE, LXQt, MATE, Cinnamon)
  // show folders and open files, but no web or mail address.
  if (!LooksLikeAddress(Target))
    for (const char* manager : {"nautilus", "dolphin", "thunar", "pcmanfm", "pcmanfm-qt", "caja", "nemo"})
      openers.push_back({manager});
  return openers;
}

bool SpawnOpener(const std::string& Program, const std::string& Target, std::string& Error) {
  return SpawnOpener(std::vector<std::string>{Program}, Target, Error);
}

bool SpawnOpener(const std::vector<std::string>& Command, const std::string& Target, std::string& Error) {
  if (Command.empty()) {
    Error = "no opener given";
    return false;
  }
  const std::string argument = !Target.empty() && Target[0] == '-' ? "./" + Target : Target;
  std::vector<std::string> argv = Command;
  argv.push_back(argument);
  const std::string program = Command.front();
  // A session of its own, so the opened program outlives this one and its signals.
  return SpawnDetached(argv, TSpawnSession::OwnSession,
                       [program, argument](int status) {
                         if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
                           std::fprintf(stderr, "%s could not open %s (exit code %d)\n", program.c_str(),
                                        argument.c_str(), WEXITSTATUS(status));
                       },
                       Error);
}

HINSTANCE ShellExecute(HWND, const char* lpOperation, const char* lpFile, const char*, const char*, int) {
  auto result = [](int v) { return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(v)); };
  if (lpOperation != nullptr && *lpOperation != '\0' && std::strcmp(lpOperation, "open") != 0)
    return result(SE_ERR_NOASSOC);
  const std::string file = lpFile ? lpFile : "";
  if (file.empty()) return result(SE_ERR_FNF);
  struct stat st {};
  if (!LooksLikeAddress(file) && ::stat(file.c_str(), &st) != 0) return result(SE_ERR_FNF);
  return result(OpenWithDesktop(file) ? 42 : SE_ERR_NOASSOC);
}
