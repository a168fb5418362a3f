#include "lib/drawing/vlLayerManager.h"

#include <algorithm>
#include <mutex>

#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Messages.h"
#include "platform/windowing/WindowTree.h"

namespace {

struct TUnitState {
  int starts = 0;
  bool mmx = false;
  TvlSystemEntryPoints points;
};

TUnitState& Unit() {
  static TUnitState state;
  return state;
}

// The platform's own functions: every optional entry point exists here.
TvlSystemEntryPoints PlatformEntryPoints() {
  TvlSystemEntryPoints p;
  p.MonitorFromWindow = ::MonitorFromWindow;
  p.GetMonitorInfoA = [](HMONITOR m, MONITORINFO* mi) { return ::GetMonitorInfo(m, mi); };
  p.GetScrollBarInfo = ::GetScrollBarInfo;
  p.SetLayeredWindowAttributes = ::SetLayeredWindowAttributes;
  p.UpdateLayeredWindow = ::UpdateLayeredWindow;
  // Looked up only where the version says it is there; the transparent drawing does not use it.
  if (IsWin2000OrLater()) p.TransparentBlt = ::TransparentBlt;
  return p;
}

constexpr const char* kLayerWindowClass = "TvlLayerWindow";

}  // namespace

const TvlSystemEntryPoints& vlEntryPoints() { return Unit().points; }
void vlSetEntryPoints(const TvlSystemEntryPoints& Points) { Unit().points = Points; }

void vlUtilsStartup() {
  TUnitState& u = Unit();
  if (u.starts++ > 0) return;
  // The drawing unit's table is chosen before anything here draws; the flag reports that choice
  // rather than asking the processor a second time.
  u.mmx = &vlPixelRoutines() == &vlMMXPixelRoutines();
  u.points = PlatformEntryPoints();
}

void vlUtilsShutdown() {
  TUnitState& u = Unit();
  if (u.starts == 0 || --u.starts > 0) return;
  u.points = TvlSystemEntryPoints{};
}

bool vlMMXInUse() { return Unit().mmx; }

void SetWindowAlpha(HWND Wnd, BYTE Alpha) {
  if (auto f = vlEntryPoints().SetLayeredWindowAttributes) f(Wnd, 0, Alpha, LWA_ALPHA);
}

void UpdateLayeredBitmap(TvlBitmap* Bitmap, BYTE Alpha, HWND Wnd) {
  auto f = vlEntryPoints().UpdateLayeredWindow;
  if (!f || !Bitmap || Bitmap->Empty()) return;
  TRect r;
  if (!GetWindowRect(Wnd, &r)) return;
  TPoint dst{r.Left, r.Top}, src{0, 0};
  TSize size{Bitmap->Width(), Bitmap->Height()};
  BLENDFUNCTION blend;
  blend.BlendOp = AC_SRC_OVER;
  blend.SourceConstantAlpha = Alpha;
  blend.AlphaFormat = AC_SRC_ALPHA;
  f(Wnd, nullptr, &dst, &size, Bitmap->DC(), &src, 0, &blend, ULW_ALPHA);
}

BOOL GetScrollBarInfoSafe(HWND Wnd, LONG idObject, SCROLLBARINFO& Info) {
  if (auto f = vlEntryPoints().GetScrollBarInfo) return f(Wnd, idObject, &Info);
  Info.rgstate[0] = STATE_SYSTEM_INVISIBLE;
  return 0;
}

bool HasMultipleMonitors() { return GetSystemMetrics(SM_CMONITORS) > 1 && vlEntryPoints().GetMonitorInfoA; }

void GetDesktopWorkArea(bool WorkArea, TRect& R) {
  if (WorkArea) {
    SystemParametersInfo(SPI_GETWORKAREA, 0, &R, 0);
  } else {
    R = TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
}

void GetMonitorWorkArea(HWND Wnd, bool WorkArea, TRect& R) {
  if (!HasMultipleMonitors()) {
    GetDesktopWorkArea(WorkArea, R);
    return;
  }
  const TvlSystemEntryPoints& p = vlEntryPoints();
  if (!p.MonitorFromWindow) return;
  HMONITOR m = p.MonitorFromWindow(Wnd, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info;
  if (!p.GetMonitorInfoA(m, &info)) return;  // the caller's rectangle stays
  R = WorkArea ? info.rcWork : info.rcMonitor;
}

// ---- TvlLayerWindow ----------------------------------------------------------------------------

LRESULT TvlLayerWindow::WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return DefWindowProc(h, msg, w, l);
}

TvlLayerWindow::TvlLayerWindow(TComponent* AOwner) : TComponent(AOwner) {
  static std::once_flag registered;
  std::call_once(registered, [] {
    WNDCLASS cls;
    cls.style = CS_SAVEBITS;
    cls.lpfnWndProc = WndProc;
    cls.lpszClassName = kLayerWindowClass;
    RegisterClass(&cls);
  });
  handle_ = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT, kLayerWindowClass, "", WS_POPUP, 0, 0, 0, 0,
                           nullptr, nullptr, nullptr, nullptr);
}

TvlLayerWindow::~TvlLayerWindow() {
  if (handle_) DestroyWindow(handle_);
}

void TvlLayerWindow::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

// ---- TvlLayerManager ---------------------------------------------------------------------------

TvlLayerManager::TvlLayerManager(TComponent* AOwner) : TComponent(AOwner) {
  Timer = new TTimer(this);  // owned through the component tree
  Timer->SetEnabled(false);
  Timer->SetInterval(25);
  Timer->OnTimer = [this](TObject* Sender) { TimerTick(Sender); };
}

TvlLayerManager::~TvlLayerManager() {
  StopTimer();
  FreeLayer();
  // The timer is freed with the other owned components.
}

void TvlLayerManager::FreeLayer() {
  Bmp.reset();
  delete LayerWindow;  // a component the manager owns: deleting it takes it off the owner's list
  LayerWindow = nullptr;
}

void TvlLayerManager::Show(int X, int Y, TBitmap* AImage, TBitmap* AImageMask, int AAlphaBlendValue) {
  if (!IsWin2000OrLater() || !AImage || !AImageMask) return;
  if (IsVisible) Hide();
  IsVisible = true;
  FreeLayer();
  LayerWindow = new TvlLayerWindow(this);
  HWND h = LayerWindow->Handle();
  LayerWindow->SetBounds(X, Y, AImage->Width(), AImage->Height());
  SetWindowLongPtr(h, GWL_EXSTYLE, GetWindowLongPtr(h, GWL_EXSTYLE) | WS_EX_LAYERED);
  Bmp = std::make_unique<TvlBitmap>();
  ImageMaskToAlphaBitmap(AImage, AImageMask, Bmp.get());
  UpdateLayeredBitmap(Bmp.get(), 0, h);
  SetWindowPos(h, TopMostMode ? HWND_TOPMOST : HWND_NOTOPMOST, X, Y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EndAlphaBlendValue = std::clamp(AAlphaBlendValue, 0, 255);
  // At least 1: a glow under 10 would otherwise never get anywhere and tick for ever.
  StepAlphaBlendValue = std::max(1, EndAlphaBlendValue / 10);
  StartTimer();
}

void TvlLayerManager::Hide() {
  if (!IsWin2000OrLater()) return;
  StopTimer();
  Bmp.reset();
  IsVisible = false;
  if (LayerWindow) {
    SetWindowPos(LayerWindow->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    delete LayerWindow;
    LayerWindow = nullptr;
  }
}

void TvlLayerManager::StartTimer() {
  BeginAlphaBlendValue = 0;
  Timer->SetEnabled(true);
}

void TvlLayerManager::StopTimer() { Timer->SetEnabled(false); }

void TvlLayerManager::TimerTick(TObject*) {
  if (!Bmp || !LayerWindow) return;
  BeginAlphaBlendValue = std::min(BeginAlphaBlendValue + StepAlphaBlendValue, EndAlphaBlendValue);
  UpdateLayeredBitmap(Bmp.get(), static_cast<BYTE>(BeginAlphaBlendValue), LayerWindow->Handle());
  if (BeginAlphaBlendValue >= EndAlphaBlendValue) StopTimer();
}
