#pragma once
// Icons in the desktop's notification area (the "tray").
//
// A program adds, changes and removes its icons with Shell_NotifyIcon; each icon is known by
// its window and id. Mouse activity on an icon reaches the window as the icon's callback
// message (wParam the id, lParam the mouse message: WM_MOUSEMOVE, WM_LBUTTONDOWN ... and
// WM_LBUTTONDBLCLK). The tip shows when the pointer rests on the icon; a balloon (NIF_INFO) is
// a popup window of the program's own placed by the icon, which reports NIN_BALLOONSHOW, then
// NIN_BALLOONUSERCLICK when clicked, NIN_BALLOONTIMEOUT after its time, or NIN_BALLOONHIDE when
// replaced or removed.
//
// The icons live in the display's notification area (TDisplay::NotificationArea). When none
// runs, adding fails (FALSE) and nothing is kept; when one goes away the icons it held are
// forgotten; when one (re)appears, every top-level window of the program is posted the
// registered message "TaskbarCreated", so whoever owns an icon adds it again.
// GUI thread.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windowing/Messages.h"
#include "platform/core/Types.h"

constexpr DWORD NIM_ADD = 0x00000000;
constexpr DWORD NIM_MODIFY = 0x00000001;
constexpr DWORD NIM_DELETE = 0x00000002;

constexpr UINT NIF_MESSAGE = 0x00000001;
constexpr UINT NIF_ICON = 0x00000002;
constexpr UINT NIF_TIP = 0x00000004;
constexpr UINT NIF_STATE = 0x00000008;
constexpr UINT NIF_INFO = 0x00000010;

constexpr DWORD NIIF_NONE = 0x00000000;
constexpr DWORD NIIF_INFO = 0x00000001;
constexpr DWORD NIIF_WARNING = 0x00000002;
constexpr DWORD NIIF_ERROR = 0x00000003;

constexpr UINT NIN_BALLOONSHOW = WM_USER + 2;
constexpr UINT NIN_BALLOONHIDE = WM_USER + 3;
constexpr UINT NIN_BALLOONTIMEOUT = WM_USER + 4;
constexpr UINT NIN_BALLOONUSERCLICK = WM_USER + 5;

// Text limits of the record, in characters (longer texts are cut).
constexpr std::size_t kNotifyTipChars = 127;
constexpr std::size_t kNotifyInfoChars = 255;
constexpr std::size_t kNotifyInfoTitleChars = 63;

struct NOTIFYICONDATA {
  DWORD cbSize = sizeof(NOTIFYICONDATA);
  HWND hWnd = nullptr;
  UINT uID = 0;
  UINT uFlags = 0;             // NIF_*: which members below are meant
  UINT uCallbackMessage = 0;   // NIF_MESSAGE
  HICON hIcon = nullptr;       // NIF_ICON
  std::string szTip;           // NIF_TIP
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  std::string szInfo;          // NIF_INFO: balloon text; empty removes the balloon
  UINT uTimeout = 10000;       // NIF_INFO: milliseconds the balloon stays (10 to 30 seconds)
  std::string szInfoTitle;     // NIF_INFO
  DWORD dwInfoFlags = 0;       // NIF_INFO: NIIF_*
};

// NIM_ADD, NIM_MODIFY or NIM_DELETE. FALSE when no notification area runs, when adding an icon
// that exists, or when changing or removing one that does not.
BOOL Shell_NotifyIcon(DWORD dwMessage, const NOTIFYICONDATA* lpData);

// The picture of an icon: Width x Height pixels, 4 bytes B, G, R, A each (straight alpha).
struct TTrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgra;
};

// The picture of an icon handle (its own size); a plain program glyph of Size pixels when the
// handle gives none.
[[nodiscard]] TTrayImage TrayImageOf(HICON hIcon, int Size = 32);

// What a display offers for the notification area. The platform keeps the icons' records and
// their callbacks; the area only shows them and reports the mouse (detail::TrayMouse below).
class TNotificationArea {
 public:
  virtual ~TNotificationArea() = default;
  // True while a notification area runs on the desktop.
  [[nodiscard]] virtual bool Running() = 0;
  // Shows the icon (hWnd, Id) with this picture, or changes the picture of one shown. False
  // when the area refuses it.
  virtual bool ShowIcon(HWND hWnd, UINT Id, const TTrayImage& Image) = 0;
  virtual void RemoveIcon(HWND hWnd, UINT Id) = 0;
  // Where an icon is on the screen (empty when unknown).
  [[nodiscard]] virtual TRect IconRect(HWND hWnd, UINT Id) = 0;
};

namespace detail {
// The area reports the mouse on an icon: MouseMessage is WM_MOUSEMOVE, WM_[LRM]BUTTONDOWN or
// WM_[LRM]BUTTONUP (double clicks are recognised here), at a screen position.
void TrayMouse(HWND hWnd, UINT Id, UINT MouseMessage, TPoint ScreenPos);
// The pointer left an icon (its tip goes).
void TrayMouseLeave(HWND hWnd, UINT Id);
// A notification area appeared (or came back): "TaskbarCreated" goes to the program's windows.
void TrayAreaAppeared();
// The area went away: its icons are gone.
void TrayAreaVanished();
// Forgets every icon and balloon (the display is being replaced).
void TrayReset();
// The balloon window currently shown for an icon (nullptr when none); for tests.
[[nodiscard]] HWND TrayBalloonWindow(HWND hWnd, UINT Id);
// The tip window now shown (nullptr when none).
[[nodiscard]] HWND TrayTipWindow();
}  // namespace detail
