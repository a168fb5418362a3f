#pragma once
// Opening a file, folder or address the way the desktop does: one routine hands the target to
// the first of the desktop's openers that starts and does not fail ("xdg-open", "gio open", then the file managers
// of the common desktops for a file or folder), started directly with an argument vector (never
// through a shell, so no character of a name is ever interpreted). Link labels, context menus, the help
// menu and "open the folder" commands all come here; tests put their own opener in its place.

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Types.h"

// Opens Target; false, with a reason in Error, when it could not be handed over.
using TDesktopOpener = std::function<bool(const std::string& Target, std::string& Error)>;

// Installs Opener in place of the current one and answers the one it replaces; an empty
// function brings back the desktop's own.
TDesktopOpener SetDesktopOpener(TDesktopOpener Opener);

// Told, on a background thread, that the desktop's openers all started for Target and all ended
// failing (the last one's exit code among the reason); nothing was opened then. Installs Handler
// and answers the one it replaces.
using TDesktopOpenFailed = std::function<void(const std::string& Target, const std::string& Reason)>;
TDesktopOpenFailed SetDesktopOpenFailedHandler(TDesktopOpenFailed Handler);

// Opens a file, folder or address through the installed opener. An empty target is refused.
// False, with the reason in *Error when given, when nothing was started.
bool OpenWithDesktop(const std::string& Target, std::string* Error = nullptr);

// The desktop's openers tried for Target, in order: each is a program and the words before the
// target ("gio", "open"). File managers only for a file or folder, not for an address.
[[nodiscard]] std::vector<std::vector<std::string>> DesktopOpeners(const std::string& Target);

// The desktop's own opener: starts Program with the one argument Target (a relative path that
// begins with "-" is passed as "./…" so it cannot read as an option), in a session of its own,
// and does not wait for it; the exit is collected in the background and a failing one is
// reported on standard error. False when the program cannot be started.
bool SpawnOpener(const std::string& Program, const std::string& Target, std::string& Error);
// The same with words between the program and the target ({"gio", "open"}).
bool SpawnOpener(const std::vector<std::string>& Command, const std::string& Target, std::string& Error);

// The shell's form: "open" (or no verb) on a file, folder or address. Answers a value above 32
// on success, SE_ERR_FNF for an empty name or a missing local file, SE_ERR_NOASSOC for another
// verb or when the opener cannot start. Parameters and the folder are ignored.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_NOASSOC = 31;
HINSTANCE ShellExecute(HWND hwnd, const char* lpOperation, const char* lpFile, const char* lpParameters,
                       const char* lpDirectory, int nShowCmd);
