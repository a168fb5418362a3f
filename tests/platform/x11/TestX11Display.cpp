// The X11 display against a real server (Xvfb in the test run; skipped without $DISPLAY):
// a top-level maps, paints, takes a click and a key, its pixels read back from the server match
// its back buffer (through shared memory and through plain images, only the damaged parts being
// sent), and a child X window hosts a picture drawn by SDL 1.2 (bound with dlopen).

#include "tests/platform/WindowFixture.h"
#include "tests/PollUntil.h"

#include <dlfcn.h>

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "platform/windowing/LayeredWindow.h"
#include "platform/x11/X11Display.h"

#define Region X11Region
#define Display XDisplay
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#undef Region
#undef Display

namespace {

constexpr COLORREF kRed = RGB(220, 20, 30), kBlue = RGB(10, 40, 200);
// The tests of this program run in parallel with other programs on one server; windows read back
// from the server must not be covered by another test's windows, so each test keeps to its own
// part of this corner (the other X tests use the top left of the screen).
constexpr TPoint kArea{700, 600};

class X11DisplayTest : public WindowWorld {
 protected:
  void SetUp() override {
    WindowWorld::SetUp();
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
    auto opened = TX11Display::Open();
    if (!opened) GTEST_SKIP() << "the X server does not answer";
    x = opened.get();
    dpy = static_cast<XDisplay*>(x->Connection());
    headless = SetDisplay(std::move(opened));
    SetThreadEventSource(x);
  }
  void TearDown() override {
    if (x) {
      WindowWorld::TearDown();  // the windows go while their display is still there
      SetThreadEventSource(nullptr);
      SetDisplay(std::move(headless));
      x = nullptr;
    }
  }

  // Sends a synthetic event to our own window and lets the queue turn it into messages.
  void Send(Window w, XEvent e, long mask) {
    e.xany.window = w;
    e.xany.display = dpy;
    XSendEvent(dpy, w, False, mask, &e);
    XSync(dpy, False);
    Pump();
  }

  // An RGB colour of the server's picture of a window.
  static COLORREF ServerPixel(XImage* image, int px, int py) {
    unsigned long v = XGetPixel(image, px, py);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }

  TX11Display* x = nullptr;
  XDisplay* dpy = nullptr;
  std::unique_ptr<TDisplay> headless;
};

TEST_F(X11DisplayTest, TopLevelMapsPaintsAndTakesAClickAndAKey) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, Bounds(kArea.X, kArea.Y, 120, 80), nullptr, kRed);
  HWND child = Make(WS_CHILD | WS_VISIBLE, Bounds(20, 10, 40, 30), top, kBlue);
  Pump();
  x->Sync();
  auto window = static_cast<Window>(x->TopLevelWindow(top));
  ASSERT_NE(window, 0u);
  XWindowAttributes attrs;
  ASSERT_TRUE(XGetWindowAttributes(dpy, window, &attrs));
  EXPECT_EQ(attrs.map_state, IsViewable);
  EXPECT_EQ(attrs.width, 120);
  EXPECT_EQ(attrs.height, 80);

  XImage* image = XGetImage(dpy, window, 0, 0, 120, 80, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  auto back = CopyBackBuffer(top);
  ASSERT_NE(back, nullptr);
  int mismatches = 0;
  for (int py = 0; py < 80; ++py) {
    for (int px = 0; px < 120; ++px) {
      std::uint32_t b = back->PixelAt(px, py);
      COLORREF want = RGB((b >> 16) & 0xFF, (b >> 8) & 0xFF, b & 0xFF);
      mismatches += ServerPixel(image, px, py) != want;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(ServerPixel(image, 5, 5), kRed);
  EXPECT_EQ(ServerPixel(image, 25, 15), kBlue);
  XDestroyImage(image);

  log.clear();
  XEvent e{};
  e.xbutton.type = ButtonPress;
  e.xbutton.button = Button1;
  e.xbutton.x = 25;
  e.xbutton.y = 15;
  e.xbutton.x_root = kArea.X + 25;
  e.xbutton.y_root = kArea.Y + 15;
  e.xbutton.same_screen = True;
  Send(window, e, ButtonPressMask);
  e.xbutton.type = ButtonRelease;
  Send(window, e, ButtonReleaseMask);
  auto down = std::find_if(log.begin(), log.end(), [&](auto& m) { return m.hwnd == child && m.msg == WM_LBUTTONDOWN; });
  ASSERT_NE(down, log.end());
  EXPECT_EQ(down->l, MAKELPARAM(5, 5));
  EXPECT_FALSE(MessagesOf(child, {WM_LBUTTONUP}).empty());

  log.clear();
  SetFocus(child);
  XEvent k{};
  k.xkey.type = KeyPress;
  k.xkey.keycode = XKeysymToKeycode(dpy, XK_a);
  k.xkey.same_screen = True;
  Send(window, k, KeyPressMask);
  auto key = std::find_if(log.begin(), log.end(), [&](auto& m) { return m.hwnd == child && m.msg == WM_KEYDOWN; });
  ASSERT_NE(key, log.end());
  EXPECT_EQ(key->w, static_cast<WPARAM>('A'));

  ShowWindow(top, SW_HIDE);
  x->Sync();
  ASSERT_TRUE(XGetWindowAttributes(dpy, window, &attrs));
  EXPECT_NE(attrs.map_state, IsViewable);
}

TEST_F(X11DisplayTest, RegionsShapeTheXWindowAndLayeredWindowsArePremultiplied) {
  HWND shaped = Make(WS_POPUP | WS_VISIBLE, Bounds(kArea.X + 150, kArea.Y, 60, 60), nullptr, kRed);
  SetWindowRgn(shaped, CreateEllipticRgn(0, 0, 60, 60), TRUE);
  Pump();
  x->Sync();
  auto window = static_cast<Window>(x->TopLevelWindow(shaped));
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(dpy, window, ShapeBounding, &count, &ordering);
  EXPECT_GT(count, 1) << "an ellipse is many rectangles";
  bool cornerIn = false;
  for (int i = 0; i < count; ++i) cornerIn = cornerIn || (rects[i].x == 0 && rects[i].y == 0);
  EXPECT_FALSE(cornerIn);
  if (rects) XFree(rects);

  HWND layered = Make(WS_POPUP, Bounds(kArea.X + 250, kArea.Y, 40, 40), nullptr, RGB(200, 100, 0), WS_EX_LAYERED);
  SetLayeredWindowAttributes(layered, 0, 128, LWA_ALPHA);
  ShowWindow(layered, SW_SHOWNA);
  Pump();
  x->Sync();
  auto lw = static_cast<Window>(x->TopLevelWindow(layered));
  XWindowAttributes attrs;
  ASSERT_TRUE(XGetWindowAttributes(dpy, lw, &attrs));
  if (attrs.depth != 32) GTEST_SKIP() << "the server offers no 32-bit visual";
  XImage* image = XGetImage(dpy, lw, 10, 10, 1, 1, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  unsigned long v = XGetPixel(image, 0, 0);
  EXPECT_EQ((v >> 24) & 0xFF, 128u);
  EXPECT_EQ((v >> 16) & 0xFF, 100u) << "200 * 128 / 255, premultiplied";
  EXPECT_EQ((v >> 8) & 0xFF, 50u);
  XDestroyImage(image);
}

TEST_F(X11DisplayTest, SharedAndPlainPicturesShowTheBufferAndOnlyDamagedPartsAreSent) {
  for (bool shared : {true, false}) {
    SCOPED_TRACE(shared ? "shared memory" : "XPutImage");
    x->UseSharedMemory(shared);
    if (shared && !x->SharedMemoryInUse()) {
      ADD_FAILURE() << "Xvfb offers shared memory; the display does not use it";
      continue;
    }
    EXPECT_EQ(x->SharedMemoryInUse(), shared);
    HWND top = Make(WS_POPUP | WS_VISIBLE, Bounds(kArea.X, kArea.Y + 260, 160, 100), nullptr, kRed);
    HWND child = Make(WS_CHILD | WS_VISIBLE, Bounds(20, 30, 40, 30), top, kBlue);
    Pump();
    x->Sync();
    auto window = static_cast<Window>(x->TopLevelWindow(top));
    ASSERT_NE(window, 0u);
    XImage* image = XGetImage(dpy, window, 0, 0, 160, 100, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    auto back = CopyBackBuffer(top);
    int mismatches = 0;
    for (int py = 0; py < 100; ++py) {
      for (int px = 0; px < 160; ++px) {
        std::uint32_t b = back->PixelAt(px, py);
        mismatches += ServerPixel(image, px, py) != RGB((b >> 16) & 0xFF, (b >> 8) & 0xFF, b & 0xFF);
      }
    }
    XDestroyImage(image);
    EXPECT_EQ(mismatches, 0);

    // Spoil the server's picture, then repaint the child alone: only its rectangle is sent.
    GC gc = XCreateGC(dpy, window, 0, nullptr);
    XSetForeground(dpy, gc, 0x00FF00);
    XFillRectangle(dpy, window, gc, 0, 0, 160, 100);
    XFreeGC(dpy, gc);
    XSync(dpy, False);
    InvalidateRect(child, nullptr, TRUE);
    Pump();
    x->Sync();
    image = XGetImage(dpy, window, 0, 0, 160, 100, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(ServerPixel(image, 40, 45), kBlue) << "the damaged part came back";
    EXPECT_EQ(ServerPixel(image, 20, 30), kBlue);
    EXPECT_EQ(ServerPixel(image, 59, 59), kBlue);
    EXPECT_EQ(ServerPixel(image, 5, 5), RGB(0, 255, 0)) << "the rest was not sent again";
    EXPECT_EQ(ServerPixel(image, 60, 45), RGB(0, 255, 0));
    XDestroyImage(image);
    DestroyWindow(top);
    Pump();
  }
}

// The few SDL 1.2 entry points the check needs, bound at run time.
struct TSdl {
  void* lib = nullptr;
  int (*Init)(std::uint32_t) = nullptr;
  void (*Quit)() = nullptr;
  void* (*SetVideoMode)(int, int, int, std::uint32_t) = nullptr;
  std::uint32_t (*MapRGB)(void*, std::uint8_t, std::uint8_t, std::uint8_t) = nullptr;
  int (*FillRect)(void*, void*, std::uint32_t) = nullptr;
  int (*Flip)(void*) = nullptr;
  ~TSdl() {
    if (lib) dlclose(lib);
  }
  bool Load() {
    lib = dlopen("libSDL-1.2.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return false;
    Init = reinterpret_cast<decltype(Init)>(dlsym(lib, "SDL_Init"));
    Quit = reinterpret_cast<decltype(Quit)>(dlsym(lib, "SDL_Quit"));
    SetVideoMode = reinterpret_cast<decltype(SetVideoMode)>(dlsym(lib, "SDL_SetVideoMode"));
    MapRGB = reinterpret_cast<decltype(MapRGB)>(dlsym(lib, "SDL_MapRGB"));
    FillRect = reinterpret_cast<decltype(FillRect)>(dlsym(lib, "SDL_FillRect"));
    Flip = reinterpret_cast<decltype(Flip)>(dlsym(lib, "SDL_Flip"));
    return Init && Quit && SetVideoMode && MapRGB && FillRect && Flip;
  }
};

TEST_F(X11DisplayTest, ChildXWindowHostsAnSdlPicture) {
  TSdl sdl;
  if (!sdl.Load()) GTEST_SKIP() << "SDL 1.2 is not installed";
  HWND top = Make(WS_POPUP | WS_VISIBLE, Bounds(kArea.X + 300, kArea.Y + 100, 200, 150), nullptr, kRed);
  HWND host = Make(WS_CHILD | WS_VISIBLE, Bounds(30, 20, 64, 48), top, kBlue);
  Pump();
  auto native = static_cast<Window>(x->NativeChildWindow(host));
  ASSERT_NE(native, 0u);
  EXPECT_EQ(x->NativeChildWindow(host), native) << "one per window";

#if defined(__SANITIZE_ADDRESS__)
  // SDL 1.2 keeps a graphics context of its own past SDL_Quit; that is not ours to free.
  __lsan::ScopedDisabler sdlOwnAllocations;
#endif
  setenv("SDL_WINDOWID", std::to_string(native).c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  constexpr std::uint32_t kInitVideo = 0x00000020;
  ASSERT_EQ(sdl.Init(kInitVideo), 0);
  void* screen = sdl.SetVideoMode(64, 48, 32, 0 /* software surface */);
  ASSERT_NE(screen, nullptr);
  // SDL_Surface starts with flags, then the pixel format pointer.
  void* format = *reinterpret_cast<void**>(static_cast<char*>(screen) + sizeof(std::uint32_t) + 4);
  sdl.FillRect(screen, nullptr, sdl.MapRGB(format, 0, 200, 0));
  sdl.Flip(screen);
  x->Sync();
  XImage* image = nullptr;
  test_wait::PollUntil([&] {
    XSync(dpy, False);
    XImage* candidate = XGetImage(dpy, native, 0, 0, 64, 48, AllPlanes, ZPixmap);
    if (candidate && ServerPixel(candidate, 32, 24) == RGB(0, 200, 0)) {
      image = candidate;
    } else if (candidate) {
      XDestroyImage(candidate);
    }
    return image != nullptr;
  });
  ASSERT_NE(image, nullptr) << "the SDL picture never reached the child window";
  EXPECT_EQ(ServerPixel(image, 0, 0), RGB(0, 200, 0));
  EXPECT_EQ(ServerPixel(image, 63, 47), RGB(0, 200, 0));
  XDestroyImage(image);
  sdl.Quit();
  unsetenv("SDL_WINDOWID");
  unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
