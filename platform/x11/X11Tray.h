#pragma once
// The notification area of an X desktop: the system-tray protocol. The tray is whoever owns the
// selection _NET_SYSTEM_TRAY_S<screen>; an icon is a small window of ours carrying _XEMBED_INFO
// that the tray is asked to dock (SYSTEM_TRAY_REQUEST_DOCK) and then reparents into itself.
// The selection is watched: a new owner announces itself with a MANAGER message on the root
// window (the program's windows then hear "TaskbarCreated"), and the owner's window going away
// means the tray and the icons in it are gone. Part of the X11 display, on its connection and
// on the GUI thread.

#include <memory>

#include "platform/windowing/NotifyIcon.h"

class TX11Tray : public TNotificationArea {
 public:
  // Connection is the display's Display*.
  TX11Tray(void* Connection, int Screen);
  ~TX11Tray() override;
  TX11Tray(const TX11Tray&) = delete;
  TX11Tray& operator=(const TX11Tray&) = delete;

  [[nodiscard]] bool Running() override;
  bool ShowIcon(HWND hWnd, UINT Id, const TTrayImage& Image) override;
  void RemoveIcon(HWND hWnd, UINT Id) override;
  [[nodiscard]] TRect IconRect(HWND hWnd, UINT Id) override;

  // An event from the connection (an XEvent*); true when it was the tray's.
  bool HandleEvent(void* Event);
  // The X window of an icon (0 when it has none), for tests.
  [[nodiscard]] unsigned long IconWindow(HWND hWnd, UINT Id) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
