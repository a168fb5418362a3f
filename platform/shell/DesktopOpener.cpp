#include "platform/shell/DesktopOpener.h"

#include "platform/core/Spawn.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>
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

TDesktopOpenFailed& FailedHandler() {
  static TDesktopOpenFailed handler;
  return handler;
}

std::string CommandName(const std::vector<std::string>& Command) {
  std::string name;
  for (const std::string& word : Command) name += (name.empty() ? "" : " ") + word;
  return name;
}

void ReportFailed(const std::string& Target, const std::string& Reason) {
  TDesktopOpenFailed handler;
  {
    std::lock_guard lock(OpenerLock());
    handler = FailedHandler();
  }
  if (handler) handler(Target, Reason);
}

// Starts the openers from First on until one starts. One that starts and then ends with a failing
// exit code (xdg-open on a desktop with nothing to show a folder ends with 3) hands the target to
// the next; when the last has failed so, the handler of late failures hears it. Tried collects
// what failed so far, for the reason.
bool StartOpeners(std::shared_ptr<const std::vector<std::vector<std::string>>> Openers, std::size_t First,
                  const std::string& Target, std::string Tried, std::string& Error) {
  for (std::size_t i = First; i < Openers->size(); ++i) {
    const std::vector<std::string>& command = (*Openers)[i];
    std::vector<std::string> argv = command;
    argv.push_back(!Target.empty() && Target[0] == '-' ? "./" + Target : Target);
    const std::string name = CommandName(command);
    std::string reason;
    const auto onExit = [Openers, i, Target, Tried, name](int status) {
      if (!WIFEXITED(status) || WEXITSTATUS(status) == 0) return;
      std::fprintf(stderr, "%s could not open %s (exit code %d)\n", name.c_str(), Target.c_str(),
                   WEXITSTATUS(status));
      const std::string failed =
          (Tried.empty() ? "" : Tried + ", ") + name + " (exit code " + std::to_string(WEXITSTATUS(status)) + ")";
      std::string error;
      if (!StartOpeners(Openers, i + 1, Target, failed, error)) ReportFailed(Target, error);
    };
    if (SpawnDetached(argv, TSpawnSession::OwnSession, onExit, reason)) return true;
    Tried += (Tried.empty() ? "" : ", ") + name;
  }
  Error = (First == 0 ? "no desktop opener could be started (tried " : "no desktop opener could open it (tried ") +
          Tried + ")";
  return false;
}

// Each opener in turn until one starts; a desktop without any gets one reason naming them all.
bool DefaultOpener(const std::string& Target, std::string& Error) {
  auto openers = std::make_shared<const std::vector<std::vector<std::string>>>(DesktopOpeners(Target));
  return StartOpeners(std::move(openers), 0, Target, std::string(), Error);
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

TDesktopOpenFailed SetDesktopOpenFailedHandler(TDesktopOpenFailed Handler) {
  std::lock_guard lock(OpenerLock());
  return std::exchange(FailedHandler(), std::move(Handler));
}

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
