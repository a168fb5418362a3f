#pragma once
// Dialog services: the message box, its flags and answers, the bell, and the types the message
// dialogs of the skin library are described with (kind of message, buttons). This header is
// light on purpose: the application names the flags without pulling in forms and controls; the
// box itself is built in Dialogs.cpp from forms, labels, images and buttons.

#include <string>

#include "platform/core/Set.h"
#include "platform/core/Types.h"

// Message box styles: the buttons (low four bits) and the icon.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_ICONHAND = 0x0010;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x0040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x00F0;
// MessageBeep's plain beep.
constexpr UINT MB_SIMPLEBEEP = 0xFFFFFFFF;
// Message box answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The kind of a message dialog, which gives its caption and standard icon:
// warning IDI_EXCLAMATION, error IDI_HAND, information IDI_ASTERISK, confirmation IDI_QUESTION,
// custom none.
enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
// The buttons of a message dialog, in the order they stand in a row.
enum class TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp,
                        mbClose };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// The standard icon (IDI_*) of a kind of message; 0 for mtCustom.
[[nodiscard]] int StandardIconOf(TMsgDlgType DlgType);

// A modal message box with the text, the row of buttons Flags ask for (OK, OK/Cancel,
// Yes/No/Cancel, Yes/No) and the standard icon of an MB_ICON* flag, centred over the main form.
// Returns IDOK, IDCANCEL, IDYES or IDNO; closing the box otherwise answers IDCANCEL (IDOK for a
// box with OK alone). GUI thread.
int ShowMessageBox(const std::string& Text, const std::string& Caption, UINT Flags);

// Rings the display's bell: the X server's bell on X11, a counted ring on the headless display.
// Every type (0, an MB_ICON* sound, MB_SIMPLEBEEP) is the same bell. GUI thread.
BOOL MessageBeep(UINT uType);
