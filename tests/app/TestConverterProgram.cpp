// The converter program on a real X server (the tests run under xvfb-run): it starts from a
// program folder of its own, shows its main window as the headless screen draws it, and closes
// cleanly when the window is asked to close, having written its options file.

// The picture codecs go before X's headers, whose macros would rename their members.
#include "tests/support/ImageCompare.h"
#include "platform/graphics/Surface.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Waits up to Seconds for Condition, looking every 50 ms.
bool WaitFor(const std::function<bool()>& Condition, int Seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  while (!Condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // between two looks: nothing signals
  }
  return true;
}

// The viewable top-level window of process Pid on X's screen, if any.
std::optional<Window> ShownWindowOf(Display* X, pid_t Pid) {
  const Atom pidAtom = XInternAtom(X, "_NET_WM_PID", False);
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  std::optional<Window> found;
  if (!XQueryTree(X, DefaultRootWindow(X), &root, &parent, &children, &count)) return found;
  for (unsigned i = 0; i < count && !found; ++i) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(X, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) ==
            Success &&
        data) {
      XWindowAttributes attributes{};
      if (items == 1 && *reinterpret_cast<unsigned long*>(data) == static_cast<unsigned long>(Pid) &&
          XGetWindowAttributes(X, children[i], &attributes) && attributes.map_state == IsViewable &&
          attributes.override_redirect == False)
        found = children[i];
      XFree(data);
    }
  }
  if (children) XFree(children);
  return found;
}

// The window changes its size once more as it first shows (its frame is refreshed), so a picture
// asked for at the size read a moment before may not fit it: the server refuses, and the refusal
// must not end the test (Xlib's default handler ends the process). An empty picture is looked
// at again.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The window's pixels as the X server shows them (rows top-down, 0xAARRGGBB); all zero when the
// server refused them.
std::vector<std::uint32_t> WindowPixels(Display* X, Window W, int Width, int Height) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(Width) * Height, 0);
  XSync(X, False);
  XErrorHandler previous = XSetErrorHandler(IgnoreXError);
  XImage* image = XGetImage(X, W, 0, 0, static_cast<unsigned>(Width), static_cast<unsigned>(Height), AllPlanes, ZPixmap);
  XSync(X, False);
  XSetErrorHandler(previous);
  if (!image) return out;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      out[static_cast<std::size_t>(y) * Width + x] = static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF) | 0xFF000000u;
  XDestroyImage(image);
  return out;
}

// The main window on the X server matches the headless picture of it, but for the output
// folder's text (the program runs with a home of its own) and the rounded corners, which show
// what lies beneath.
// The number of pixels that differ (-1: the sizes do); Shown receives the window's pixels.
std::int64_t DifferingFromTheHeadlessPicture(Display* X, Window W, int Width, int Height,
                                             std::vector<std::uint32_t>& shown) {
  const pngcodec::Image want = LoadPngFile((fs::path(EXPECTED_PICTURES) / "main_window.png").string());
  shown = WindowPixels(X, W, Width, Height);
  if (Width != want.width || Height != want.height) return -1;
  std::vector<std::uint8_t> wanted = want.bgra;
  const TRect folderText{96, 480, 556, 506};
  for (int y = folderText.Top; y < folderText.Bottom; ++y)
    for (int x = folderText.Left; x < folderText.Right; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * Width + x;
      shown[at] = 0xFFFFFFFFu;
      for (int c = 0; c < 4; ++c) wanted[at * 4 + c] = 0xFF;
    }
  return CompareSurfaces(shown.data(), Width * 4, wanted.data(), Width * 4, Width, Height, 8, false).DifferingPixels;
}

void ExpectTheHeadlessPicture(std::int64_t Differing, const std::vector<std::uint32_t>& Shown, int Width, int Height) {
  if (Differing < 0 || Differing > 60)
    SaveSurfacePng("main_window_x11.actual.png", Shown.data(), Width, Height, Width * 4, false);
  EXPECT_GE(Differing, 0) << "the window's size differs from the stored picture's";
  EXPECT_LE(Differing, 60) << "the window on the X server differs from the stored picture (main_window.png)";
}

TEST(ConverterProgramTest, StartsShowsItsWindowAndClosesCleanly) {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) GTEST_SKIP() << "no X display (the tests run under xvfb-run)";
  Display* x = XOpenDisplay(nullptr);
  if (!x) GTEST_SKIP() << "the X display does not answer";

  std::string pattern = (fs::temp_directory_path() / "converter-program-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path root = pattern;
  fs::create_directories(root / "program");
  fs::create_directories(root / "home");
  // The program keeps its files beside itself: a link of its own in a folder of its own.
  const fs::path program = root / "program" / "QireloConverter";
  std::error_code linked;
  fs::create_hard_link(CONVERTER_PROGRAM, program, linked);
  if (linked) fs::copy_file(CONVERTER_PROGRAM, program);

  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // The program never outlives the test: one left running would hold the test's output open.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::setenv("HOME", (root / "home").c_str(), 1);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = -1;
  const auto exited = [&] { return ::waitpid(pid, &status, WNOHANG) == pid; };

  std::optional<Window> window;
  EXPECT_TRUE(WaitFor([&] { return (window = ShownWindowOf(x, pid)).has_value() || exited(); }, 60))
      << "the main window shows";
  if (window) {
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(x, *window, &attributes));
    EXPECT_GE(attributes.width, 803);
    EXPECT_GE(attributes.height, 540);
    // The frame fades in; then the window shows what the headless screen shows.
    // Judged on the last look: a window of another test on the same server may cover it for a
    // moment, and what lies under it then reads black.
    std::vector<std::uint32_t> shown;
    std::int64_t differing = -1;
    WaitFor([&] {
      XGetWindowAttributes(x, *window, &attributes);
      differing = DifferingFromTheHeadlessPicture(x, *window, attributes.width, attributes.height, shown);
      return differing >= 0 && differing <= 60;
    }, 30);
    ExpectTheHeadlessPicture(differing, shown, attributes.width, attributes.height);
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = *window;
    close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, *window, False, NoEventMask, &close);
    XFlush(x);
  }
  const bool ended = WaitFor(exited, 60);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  EXPECT_TRUE(ended) << "the program ends when its window closes";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_TRUE(fs::exists(root / "program" / "option.ini"));
  EXPECT_TRUE(fs::is_directory(root / "home" / "Qirelo视频软件" / "输出"));
  XCloseDisplay(x);
  std::error_code ec;
  fs::remove_all(root, ec);
}

}  // namespace
