// The converter program on a real X server (the tests run under xvfb-run): it starts from a
// program folder of its own, shows its main window, and closes cleanly when the window is asked
// to close, having written its options file.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

// Waits up to Seconds for Condition, looking every 50 ms.
bool WaitFor(const std::function<bool()>& Condition, int Seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  while (!Condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
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
