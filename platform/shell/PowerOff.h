#pragma once
// Asking the system to power the computer off, as the desktop's "shut down" entry does: a request
// to the login manager on the system bus (method PowerOff of org.freedesktop.login1.Manager),
// never a forced power-off. The login manager stops the session's programs and the services in
// order, honours the shut-down inhibitors other programs hold, and asks the user's permission
// through the desktop when the system's policy wants it. Whoever lacks the permission is refused
// and the system keeps running.
//
// The installed requester is a seam: tests put their own in place and count requests instead of
// powering the machine off.

#include <functional>
#include <string>
#include <vector>

// Requests the power-off; false, with a reason in Error, when the request could not be made.
using TPowerOffRequester = std::function<bool(std::string& Error)>;

// Installs Requester in place of the current one and answers the one it replaces; an empty
// function brings back the login manager's request.
TPowerOffRequester SetPowerOffRequester(TPowerOffRequester Requester);

// Asks for the power-off through the installed requester. False, with the reason in *Error when
// given, when the request could not be made. The request is made without waiting for the
// answer: the login manager may first ask the user, and the caller is usually the GUI thread.
bool RequestPowerOff(std::string* Error = nullptr);

// The login manager's request as an argument vector for busctl: PowerOff on the system bus with
// "interactive" true (the user may be asked for permission).
[[nodiscard]] std::vector<std::string> PowerOffCommand();

// Starts Command (its first element is the program, looked up in PATH) with its argument vector,
// never through a shell, with standard input from /dev/null, and does not wait for it: a
// background thread collects its exit and reports a failing one, with what the program wrote to
// standard error, on standard error. False, with the reason in Error, when the program cannot be
// started or Command is empty.
bool SpawnPowerOffRequest(const std::vector<std::string>& Command, std::string& Error);
