#pragma once
// Layered windows and system queries of the skin library: the optional system entry points and
// the wrappers every caller goes through, the fading glow window (TvlLayerWindow) and its
// manager (TvlLayerManager), and the start-up and shut-down of the drawing units.
//
// On this platform every optional entry point exists and the reported version is 6.1 (see
// GetWindowsVersion in vlUtils.h), so layered windows, drop shadows and the later looks are all
// on; the entry points stay replaceable (vlSetEntryPoints) so the degraded paths can be tried.

#include <cstdint>
#include <memory>

#include "lib/drawing/vlEffects.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Component.h"
#include "platform/windowing/LayeredWindow.h"
#include "platform/windowing/NonClient.h"
#include "platform/windowing/Screen.h"
#include "platform/controls/Timers.h"

// ---- Optional system entry points --------------------------------------------------------------

struct TvlSystemEntryPoints {
  HMONITOR (*MonitorFromWindow)(HWND, DWORD) = nullptr;
  BOOL (*GetMonitorInfoA)(HMONITOR, MONITORINFO*) = nullptr;
  BOOL (*GetScrollBarInfo)(HWND, LONG, SCROLLBARINFO*) = nullptr;
  BOOL (*SetLayeredWindowAttributes)(HWND, COLORREF, BYTE, DWORD) = nullptr;
  BOOL (*UpdateLayeredWindow)(HWND, HDC, const TPoint*, const TSize*, HDC, const TPoint*, COLORREF,
                              const BLENDFUNCTION*, DWORD) = nullptr;
  BOOL (*TransparentBlt)(HDC, int, int, int, int, HDC, int, int, int, int, UINT) = nullptr;
};

// The entry points in force (all empty before start-up and after shut-down). GUI thread.
[[nodiscard]] const TvlSystemEntryPoints& vlEntryPoints();
// Replaces them (tests of the degraded paths); vlUtilsStartup puts the real ones back.
void vlSetEntryPoints(const TvlSystemEntryPoints& Points);

// Unit start-up and shut-down, each effective once however often it is called (a counter):
// start-up fills the pixel-routine table of vlEffects first, records whether MMX is in use and
// resolves the entry points; shut-down forgets them. Call start-up before any window is made.
void vlUtilsStartup();
void vlUtilsShutdown();
// Whether MMX is in use, as recorded at start-up.
[[nodiscard]] bool vlMMXInUse();

// ---- Wrappers ----------------------------------------------------------------------------------

// SetLayeredWindowAttributes(Wnd, 0, Alpha, LWA_ALPHA) when the entry point exists. The window
// must already have WS_EX_LAYERED.
void SetWindowAlpha(HWND Wnd, BYTE Alpha);
// Shows Bitmap's pixels (straight alpha, as they are) as Wnd's layered image at Wnd's current
// position, constant alpha Alpha, per-pixel alpha on; nothing without the entry point or for an
// empty bitmap.
void UpdateLayeredBitmap(TvlBitmap* Bitmap, BYTE Alpha, HWND Wnd);
// GetScrollBarInfo's result; without the entry point Info.rgstate[0] = STATE_SYSTEM_INVISIBLE
// and 0.
BOOL GetScrollBarInfoSafe(HWND Wnd, LONG idObject, SCROLLBARINFO& Info);
[[nodiscard]] bool HasMultipleMonitors();
// WorkArea: the desktop work area; else (0, 0, screen width, screen height).
void GetDesktopWorkArea(bool WorkArea, TRect& R);
// With several monitors: the work (WorkArea) or full rectangle of the monitor nearest to Wnd;
// R stays unchanged when the monitor cannot be read. With one: GetDesktopWorkArea.
void GetMonitorWorkArea(HWND Wnd, bool WorkArea, TRect& R);

// ---- The glow window ---------------------------------------------------------------------------

// A click-through popup that never takes the activation: WS_POPUP, WS_EX_TOOLWINDOW |
// WS_EX_TRANSPARENT (plus WS_EX_LAYERED once the manager shows it), class style CS_SAVEBITS; it
// answers WM_MOUSEACTIVATE with MA_NOACTIVATE. It owns its window handle.
class TvlLayerWindow : public TComponent {
 public:
  explicit TvlLayerWindow(TComponent* AOwner);
  ~TvlLayerWindow() override;
  [[nodiscard]] HWND Handle() const { return handle_; }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

 private:
  static LRESULT WndProc(HWND h, UINT msg, WPARAM w, LPARAM l);
  HWND handle_ = nullptr;
};

// Fades a glow image in, in a TvlLayerWindow of its own.
class TvlLayerManager : public TComponent {
 public:
  explicit TvlLayerManager(TComponent* AOwner);
  ~TvlLayerManager() override;

  // Shows AImage at (X, Y) with AImageMask's grey levels as alpha, fading from 0 to
  // AAlphaBlendValue (cut to 0..255) in steps of a tenth of it — at least 1, so a fade always
  // ends. A visible layer is replaced. Nothing unless layered windows are available.
  void Show(int X, int Y, TBitmap* AImage, TBitmap* AImageMask, int AAlphaBlendValue);
  void Hide();
  void StartTimer();
  void StopTimer();

  TvlLayerWindow* LayerWindow = nullptr;  // owned (component); nullptr while hidden
  std::unique_ptr<TvlBitmap> Bmp;         // nullptr while hidden
  TTimer* Timer = nullptr;                // owned; 25 ms, enabled while fading
  int EndAlphaBlendValue = 0;
  int BeginAlphaBlendValue = 0;
  int StepAlphaBlendValue = 0;
  bool IsVisible = false;
  bool TopMostMode = true;

 private:
  void TimerTick(TObject* Sender);
  void FreeLayer();
};
