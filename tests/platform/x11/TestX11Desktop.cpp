// The X11 display as a desktop citizen, on a private X server of its own with a window manager
// (openbox) where one matters: managed forms with their properties, moves both ways and close
// requests; focus and activation both ways; iconify both ways; click-through input shapes;
// text through the input method, each key's character once and in order, modifiers read back
// when the focus returns; modal dialogs above their owners; the system tray. Each test starts its server (Xvfb) and stops
// it; a missing Xvfb or window manager skips the test with a message.

#include "tests/platform/WindowFixture.h"
#include "tests/PollUntil.h"
#include "tests/support/RunProgram.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include <thread>

#include "platform/windowing/NotifyIcon.h"
#include "platform/graphics/Icon.h"
#include "platform/windowing/LayeredWindow.h"
#include "platform/x11/X11Display.h"

#define Region X11Region
#define Display XDisplay
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#undef Region
#undef Display

extern char** environ;

namespace {

using test_programs::FindProgram;
using test_programs::RunOn;

// An X server of the test's own (and optionally a window manager on it), so changing the
// keyboard map, owning the tray selection or managing windows touches no other test.
class TPrivateServer {
 public:
  ~TPrivateServer() {
    Stop(wm_);
    Stop(server_);
  }

  // Empty on success, else why not.
  std::string Start(bool WithWindowManager) {
    std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty()) return "Xvfb is not installed";
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args{xvfb, "-displayfd", fd, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"};
    server_ = Spawn(args, &actions, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    char c;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (server_ <= 0 || number.empty()) return "Xvfb did not start";
    name_ = ":" + number;
    probe_ = XOpenDisplay(name_.c_str());
    if (!probe_) return "the private server does not answer";
    if (!WithWindowManager) return {};
    std::string openbox = FindProgram("openbox");
    if (openbox.empty()) return "no window manager (openbox) is installed";
    std::vector<std::string> env{"DISPLAY=" + name_, "HOME=" + ::testing::TempDir(), "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    wm_ = Spawn({openbox, "--sm-disable"}, nullptr, envp.data());
    Atom wmS0 = XInternAtom(probe_, "WM_S0", False);
    if (!WaitFor([&] { return XGetSelectionOwner(probe_, wmS0) != 0; })) return "the window manager did not start";
    // The manager owns its selection before it manages anything, and a window mapped while it
    // starts may be passed over: map small windows until one is taken (it gets WM_STATE).
    Atom wmState = XInternAtom(probe_, "WM_STATE", False);
    bool managed = false;
    for (int attempt = 0; attempt < 25 && !managed; ++attempt) {
      Window canary = XCreateSimpleWindow(probe_, DefaultRootWindow(probe_), 0, 0, 10, 10, 0, 0, 0);
      XMapWindow(probe_, canary);
      XSync(probe_, False);
      for (int poll = 0; poll < 20 && !managed; ++poll) {
        // The manager says nothing when it takes a window: look for WM_STATE now and then.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        Atom type = 0;
        int format;
        unsigned long count = 0, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(probe_, canary, wmState, 0, 2, False, wmState, &type, &format, &count, &after, &data);
        if (data) XFree(data);
        managed = count > 0;
      }
      XDestroyWindow(probe_, canary);
      XSync(probe_, False);
    }
    return managed ? std::string{} : "the window manager manages nothing";
  }

  [[nodiscard]] const std::string& Name() const { return name_; }
  // The test's own connection: an outside observer (and a second client: a tray, a pager).
  [[nodiscard]] XDisplay* Probe() const { return probe_; }

  // Polls Condition (pumping the GUI thread's messages) until it holds or the watchdog's time is up.
  static bool WaitFor(const std::function<bool()>& Condition) {
    auto pump = [] {
      MSG m;
      while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessage(&m);
      }
    };
    pump();
    return test_wait::PollUntil(Condition, pump);
  }

  void CloseProbe() {
    if (probe_) XCloseDisplay(probe_);
    probe_ = nullptr;
  }

 private:
  static pid_t Spawn(const std::vector<std::string>& args, posix_spawn_file_actions_t* actions, char** envp) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], actions, nullptr, argv.data(), envp) != 0) return 0;
    return pid;
  }
  static void Stop(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = 0;
  }

  pid_t server_ = 0, wm_ = 0;
  std::string name_;
  XDisplay* probe_ = nullptr;
};

class X11DesktopTest : public WindowWorld {
 protected:
  // Starts the private server (and the manager) and installs the X11 display on it.
  bool Begin(bool WithWindowManager) {
    std::string why = server.Start(WithWindowManager);
    if (!why.empty()) {
      skipped = why;
      return false;
    }
    auto opened = TX11Display::Open(server.Name().c_str());
    if (!opened) {
      skipped = "the X11 display does not open";
      return false;
    }
    x = opened.get();
    probe = server.Probe();
    headless = SetDisplay(std::move(opened));
    SetThreadEventSource(x);
    return true;
  }
  void TearDown() override {
    if (x) {
      WindowWorld::TearDown();
      SetThreadEventSource(nullptr);
      SetDisplay(std::move(headless));
      x = nullptr;
    }
    server.CloseProbe();
  }

  Window XOf(HWND h) const { return static_cast<Window>(x->TopLevelWindow(h)); }
  static bool WaitFor(const std::function<bool()>& c) { return TPrivateServer::WaitFor(c); }

  // The window's top-left corner on the root, and its size, as the server has it.
  TRect ServerRect(Window w) const {
    XWindowAttributes a;
    if (!XGetWindowAttributes(probe, w, &a)) return {};
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(probe, w, DefaultRootWindow(probe), 0, 0, &rx, &ry, &child);
    return Bounds(rx, ry, a.width, a.height);
  }
  bool Viewable(Window w) const {
    XWindowAttributes a;
    return XGetWindowAttributes(probe, w, &a) && a.map_state == IsViewable;
  }
  long WmState(Window w) const {
    Atom wmState = XInternAtom(probe, "WM_STATE", False), type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long state = -1;
    if (XGetWindowProperty(probe, w, wmState, 0, 2, False, wmState, &type, &format, &count, &after, &data) == Success &&
        data) {
      if (count >= 1) state = reinterpret_cast<long*>(data)[0];
      XFree(data);
    }
    return state;
  }
  std::string Property(Window w, const char* name, Atom* typeOut = nullptr) const {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(probe, w, XInternAtom(probe, name, False), 0, 4096, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success && data) {
      out.assign(reinterpret_cast<char*>(data), count * static_cast<unsigned long>(format == 32 ? sizeof(long) : format / 8));
      XFree(data);
    }
    if (typeOut) *typeOut = type;
    return out;
  }
  void SendClientMessage(Window to, Window about, const char* type, std::initializer_list<long> data, long mask) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = about;
    e.xclient.message_type = XInternAtom(probe, type, False);
    e.xclient.format = 32;
    int i = 0;
    for (long v : data) e.xclient.data.l[i++] = v;
    XSendEvent(probe, to, False, mask, &e);
    XSync(probe, False);
  }
  Window FocusWindow() const {
    Window w = 0;
    int revert;
    XGetInputFocus(probe, &w, &revert);
    return w;
  }

  TPrivateServer server;
  std::string skipped;
  TX11Display* x = nullptr;
  XDisplay* probe = nullptr;
  std::unique_ptr<TDisplay> headless;
};

#define BEGIN_OR_SKIP(withWm) \
  if (!Begin(withWm)) GTEST_SKIP() << skipped

TEST_F(X11DesktopTest, FormsAreManagedTopLevelsAndPopupsStayOverrideRedirect) {
  BEGIN_OR_SKIP(true);
  HWND form = CreateWindowEx(0, "WorldWindow", "视频转换 – Converter", WS_POPUP, 120, 90, 300, 200, nullptr, nullptr,
                             nullptr, nullptr);
  made.push_back(form);
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 12; ++i) pixels.insert(pixels.end(), {0xC0, 0x20, 0x10, 0xFF});
  HICON formIcon = CreateIconFromPixels(4, 3, pixels.data());
  ASSERT_NE(formIcon, nullptr);
  answers[{form, WM_GETICON}] = reinterpret_cast<LRESULT>(formIcon);
  HWND menu = Make(WS_POPUP, Bounds(500, 90, 80, 120), nullptr, RGB(250, 250, 250), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  HWND tool = Make(WS_POPUP | WS_CAPTION, Bounds(600, 300, 120, 80), nullptr, 0, WS_EX_TOOLWINDOW);
  ShowWindow(form, SW_SHOW);
  ShowWindow(menu, SW_SHOWNA);
  ShowWindow(tool, SW_SHOWNA);
  Window fw = XOf(form), mw = XOf(menu), tw = XOf(tool);
  ASSERT_TRUE(fw && mw && tw);
  ASSERT_TRUE(WaitFor([&] { return WmState(fw) == NormalState && Viewable(fw); })) << "the manager took the form";
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(probe, fw, &a));
  EXPECT_FALSE(a.override_redirect);
  ASSERT_TRUE(XGetWindowAttributes(probe, mw, &a));
  EXPECT_TRUE(a.override_redirect) << "a menu level";
  ASSERT_TRUE(XGetWindowAttributes(probe, tw, &a));
  EXPECT_FALSE(a.override_redirect) << "a tool window with a caption is a form";

  EXPECT_EQ(Property(fw, "_NET_WM_NAME"), "视频转换 – Converter");
  XClassHint cls{};
  ASSERT_TRUE(XGetClassHint(probe, fw, &cls));
  char exe[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  EXPECT_EQ(std::string(cls.res_name), std::string(std::strrchr(exe, '/') + 1)) << "the program's name";
  XFree(cls.res_name);
  XFree(cls.res_class);
  Atom* protocols = nullptr;
  int count = 0;
  ASSERT_TRUE(XGetWMProtocols(probe, fw, &protocols, &count));
  std::vector<Atom> got(protocols, protocols + count);
  XFree(protocols);
  for (const char* p : {"WM_DELETE_WINDOW", "WM_TAKE_FOCUS"}) {
    EXPECT_NE(std::find(got.begin(), got.end(), XInternAtom(probe, p, False)), got.end()) << p;
  }
  std::string motif = Property(fw, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5 * sizeof(long));
  EXPECT_EQ(reinterpret_cast<const long*>(motif.data())[2], 0) << "no decorations";
  EXPECT_EQ(ServerRect(fw), Bounds(120, 90, 300, 200)) << "the manager keeps the program's place";
  // The form's icon (answered to WM_GETICON), as width, height and ARGB pixels.
  std::string icon = Property(fw, "_NET_WM_ICON");
  ASSERT_EQ(icon.size(), (2 + 4 * 3) * sizeof(long));
  const long* iv = reinterpret_cast<const long*>(icon.data());
  EXPECT_EQ(iv[0], 4);
  EXPECT_EQ(iv[1], 3);
  EXPECT_EQ(static_cast<unsigned long>(iv[2]) & 0xFFFFFFFFUL, 0xFF1020C0UL) << "opaque, red 0x10, green 0x20, blue 0xC0";

  // The title follows the window text.
  SetWindowText(form, "新标题");
  EXPECT_TRUE(WaitFor([&] { return Property(fw, "_NET_WM_NAME") == "新标题"; }));

  // The program moves the form: the manager does it.
  SetWindowPos(form, nullptr, 200, 150, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(WaitFor([&] { return ServerRect(fw) == Bounds(200, 150, 320, 240); }));

  // Another client asks the manager to move it: the form hears the usual move and size.
  log.clear();
  XMoveResizeWindow(probe, fw, 60, 40, 280, 210);
  XSync(probe, False);
  TRect r;
  EXPECT_TRUE(WaitFor([&] {
    GetWindowRect(form, &r);
    return r == Bounds(60, 40, 280, 210);
  })) << r.Left << "," << r.Top << " " << r.Width() << "x" << r.Height();
  EXPECT_FALSE(MessagesOf(form, {WM_MOVE}).empty());
  EXPECT_FALSE(MessagesOf(form, {WM_SIZE}).empty());

  // A close request from the manager is WM_CLOSE (the default closes the window).
  log.clear();
  SendClientMessage(fw, fw, "WM_PROTOCOLS", {static_cast<long>(XInternAtom(probe, "WM_DELETE_WINDOW", False)), CurrentTime},
                    NoEventMask);
  EXPECT_TRUE(WaitFor([&] { return !MessagesOf(form, {WM_CLOSE}).empty(); }));
  EXPECT_FALSE(IsWindow(form));
  DestroyIcon(formIcon);
}

TEST_F(X11DesktopTest, ActivationGivesTheFocusAndTheManagersFocusActivates) {
  BEGIN_OR_SKIP(true);
  HWND one = Make(WS_POPUP, Bounds(50, 50, 200, 150), nullptr, RGB(200, 0, 0));
  HWND two = Make(WS_POPUP, Bounds(400, 50, 200, 150), nullptr, RGB(0, 0, 200));
  ShowWindow(one, SW_SHOW);
  ShowWindow(two, SW_SHOW);
  Window w1 = XOf(one), w2 = XOf(two);
  ASSERT_TRUE(WaitFor([&] { return Viewable(w1) && Viewable(w2); }));
  SetActiveWindow(one);
  EXPECT_TRUE(WaitFor([&] { return FocusWindow() == w1; })) << "activating a form focuses it";
  SetActiveWindow(two);
  EXPECT_TRUE(WaitFor([&] { return FocusWindow() == w2; }));
  EXPECT_EQ(GetActiveWindow(), two);

  // A task bar asks the manager to activate the other form: the form is activated.
  log.clear();
  SendClientMessage(DefaultRootWindow(probe), w1, "_NET_ACTIVE_WINDOW", {2 /* a pager */, CurrentTime, 0},
                    SubstructureRedirectMask | SubstructureNotifyMask);
  EXPECT_TRUE(WaitFor([&] { return GetActiveWindow() == one; })) << "the manager's activation is followed";
  EXPECT_FALSE(MessagesOf(one, {WM_ACTIVATE}).empty());

  // The manager's WM_TAKE_FOCUS on a form gives that form the focus.
  SendClientMessage(w2, w2, "WM_PROTOCOLS", {static_cast<long>(XInternAtom(probe, "WM_TAKE_FOCUS", False)), CurrentTime},
                    NoEventMask);
  EXPECT_TRUE(WaitFor([&] { return GetActiveWindow() == two && FocusWindow() == w2; }));

  // Another program takes the focus: ours is no longer active.
  Window other = XCreateSimpleWindow(probe, DefaultRootWindow(probe), 700, 400, 100, 100, 0, 0, 0xFFFFFF);
  XMapWindow(probe, other);
  XSync(probe, False);
  ASSERT_TRUE(WaitFor([&] {
    XWindowAttributes a;
    return XGetWindowAttributes(probe, other, &a) && a.map_state == IsViewable;
  }));
  XSetInputFocus(probe, other, RevertToParent, CurrentTime);
  XSync(probe, False);
  EXPECT_TRUE(WaitFor([&] { return GetActiveWindow() == nullptr; }));
  XDestroyWindow(probe, other);
  XSync(probe, False);
}

TEST_F(X11DesktopTest, MinimizeIconifiesAndTheManagersIconifyReachesTheForm) {
  BEGIN_OR_SKIP(true);
  HWND form = Make(WS_POPUP, Bounds(100, 100, 240, 160), nullptr, RGB(0, 150, 0));
  ShowWindow(form, SW_SHOW);
  Window fw = XOf(form);
  ASSERT_TRUE(WaitFor([&] { return WmState(fw) == NormalState && Viewable(fw); }));

  ShowWindow(form, SW_MINIMIZE);
  EXPECT_TRUE(WaitFor([&] { return WmState(fw) == IconicState && !Viewable(fw); })) << "iconified, not withdrawn";
  ShowWindow(form, SW_RESTORE);
  EXPECT_TRUE(WaitFor([&] { return WmState(fw) == NormalState && Viewable(fw); }));

  // A task bar iconifies it (ICCCM's WM_CHANGE_STATE to the root).
  log.clear();
  SendClientMessage(DefaultRootWindow(probe), fw, "WM_CHANGE_STATE", {IconicState},
                    SubstructureRedirectMask | SubstructureNotifyMask);
  EXPECT_TRUE(WaitFor([&] { return IsIconic(form) != FALSE; })) << "the form knows it is minimized";
  auto sys = std::find_if(log.begin(), log.end(), [&](auto& m) { return m.hwnd == form && m.msg == WM_SYSCOMMAND; });
  ASSERT_NE(sys, log.end());
  EXPECT_EQ(sys->w & 0xFFF0, static_cast<WPARAM>(SC_MINIMIZE));

  // ... and brings it back (a client maps an iconic window to restore it).
  log.clear();
  XMapWindow(probe, fw);
  XSync(probe, False);
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(form) && Viewable(fw); }));
  sys = std::find_if(log.begin(), log.end(), [&](auto& m) { return m.hwnd == form && m.msg == WM_SYSCOMMAND; });
  ASSERT_NE(sys, log.end());
  EXPECT_EQ(sys->w & 0xFFF0, static_cast<WPARAM>(SC_RESTORE));
  EXPECT_TRUE(IsWindowVisible(form));
}

TEST_F(X11DesktopTest, ClickThroughWindowsHaveAnEmptyInputShape) {
  BEGIN_OR_SKIP(false);
  HWND below = Make(WS_POPUP | WS_VISIBLE, Bounds(100, 100, 200, 150), nullptr, RGB(0, 0, 200));
  HWND glow = Make(WS_POPUP, Bounds(80, 80, 240, 190), nullptr, RGB(255, 255, 0), WS_EX_LAYERED | WS_EX_TRANSPARENT);
  SetLayeredWindowAttributes(glow, 0, 200, LWA_ALPHA);
  ShowWindow(glow, SW_SHOWNA);
  Pump();
  x->Sync();
  Window bw = XOf(below), gw = XOf(glow);
  ASSERT_TRUE(bw && gw);
  int count = -1, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(probe, gw, ShapeInput, &count, &ordering);
  EXPECT_EQ(count, 0) << "no part of it takes input";
  if (rects) XFree(rects);
  rects = XShapeGetRectangles(probe, bw, ShapeInput, &count, &ordering);
  EXPECT_EQ(count, 1) << "an ordinary window takes input everywhere";
  if (rects) XFree(rects);

  // The server itself sends the pointer through to the window beneath.
  XWarpPointer(probe, 0, DefaultRootWindow(probe), 0, 0, 0, 0, 150, 150);
  XSync(probe, False);
  Window root, child = 0;
  int rx, ry, wx, wy;
  unsigned mask;
  XQueryPointer(probe, DefaultRootWindow(probe), &root, &child, &rx, &ry, &wx, &wy, &mask);
  EXPECT_EQ(child, bw);

  // No longer click-through: input comes back.
  SetWindowLongPtr(glow, GWL_EXSTYLE, WS_EX_LAYERED);
  SetWindowPos(glow, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  x->Sync();
  XQueryPointer(probe, DefaultRootWindow(probe), &root, &child, &rx, &ry, &wx, &wy, &mask);
  EXPECT_EQ(child, gw);
}

// A key code the server maps to nothing, given the key symbol Sym (the private server only).
KeyCode MapSpareKey(XDisplay* d, KeySym sym, KeyCode after = 0) {
  int low = 0, high = 0, per = 0;
  XDisplayKeycodes(d, &low, &high);
  KeySym* map = XGetKeyboardMapping(d, static_cast<KeyCode>(low), high - low + 1, &per);
  KeyCode found = 0;
  for (int k = high; k >= low && !found; --k) {
    bool empty = true;
    for (int i = 0; i < per; ++i) empty = empty && map[(k - low) * per + i] == NoSymbol;
    if (empty && k != after) found = static_cast<KeyCode>(k);
  }
  XFree(map);
  if (found) {
    XChangeKeyboardMapping(d, found, 1, &sym, 1);
    XSync(d, False);
  }
  return found;
}

TEST_F(X11DesktopTest, TypedTextGoesThroughTheInputMethodOneCharacterAtATime) {
  // No input method server runs: the built-in one still composes.
  setenv("XMODIFIERS", "@im=none_running_here", 1);
  bool began = Begin(true);
  unsetenv("XMODIFIERS");
  if (!began) GTEST_SKIP() << skipped;
  EXPECT_TRUE(x->HasInputMethod());
  HWND form = Make(WS_POPUP, Bounds(100, 100, 200, 100));
  ShowWindow(form, SW_SHOW);
  Window fw = XOf(form);
  ASSERT_TRUE(WaitFor([&] { return Viewable(fw); }));
  SetActiveWindow(form);
  ASSERT_TRUE(WaitFor([&] { return FocusWindow() == fw; }));
  SetFocus(form);

  KeyCode dead = MapSpareKey(probe, XK_dead_acute);
  KeyCode zhong = MapSpareKey(probe, 0x01004E2D /* 中 */, dead);
  ASSERT_TRUE(dead && zhong);
  x->Sync();  // the keyboard map change, made by the other client, reaches the display
  Pump();
  auto press = [&](KeyCode code) {
    XEvent e{};
    e.xkey.type = KeyPress;
    e.xkey.window = fw;
    e.xkey.root = DefaultRootWindow(probe);
    e.xkey.keycode = code;
    e.xkey.same_screen = True;
    e.xkey.time = CurrentTime;
    XSendEvent(probe, fw, False, KeyPressMask, &e);
    e.xkey.type = KeyRelease;
    XSendEvent(probe, fw, False, KeyReleaseMask, &e);
    XSync(probe, False);
  };
  log.clear();
  press(dead);
  press(XKeysymToKeycode(probe, XK_e));
  press(zhong);
  press(XKeysymToKeycode(probe, XK_comma));
  std::vector<WPARAM> chars;
  WaitFor([&] {
    chars.clear();
    for (auto& m : log) {
      if (m.hwnd == form && m.msg == WM_CHAR) chars.push_back(m.w);
    }
    return chars.size() >= 3;
  });
  EXPECT_EQ(chars, (std::vector<WPARAM>{0xE9, 0x4E2D, ','})) << "é composed from a dead key, 中 and a comma";
}

TEST_F(X11DesktopTest, IconsDockIntoTheSystemTrayAndComeBackWithIt) {
  BEGIN_OR_SKIP(false);
  constexpr UINT kCallback = WM_USER + 1024;
  const UINT taskbarCreated = RegisterWindowMessage("TaskbarCreated");
  HWND owner = Make(WS_POPUP, Bounds(0, 0, 10, 10));
  NOTIFYICONDATA d;
  d.hWnd = owner;
  d.uID = 1;
  d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  d.uCallbackMessage = kCallback;
  d.szTip = "转换器";
  EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &d)) << "no tray runs";

  // A tray of the test's own: it owns the selection and announces itself.
  Atom selection = XInternAtom(probe, "_NET_SYSTEM_TRAY_S0", False);
  Atom opcode = XInternAtom(probe, "_NET_SYSTEM_TRAY_OPCODE", False);
  auto startTray = [&] {
    Window tray = XCreateSimpleWindow(probe, DefaultRootWindow(probe), 900, 740, 100, 28, 0, 0, 0x404040);
    XMapWindow(probe, tray);
    XSetSelectionOwner(probe, selection, tray, CurrentTime);
    SendClientMessage(DefaultRootWindow(probe), DefaultRootWindow(probe), "MANAGER",
                      {CurrentTime, static_cast<long>(selection), static_cast<long>(tray)}, StructureNotifyMask);
    return tray;
  };
  Window tray = startTray();
  EXPECT_TRUE(WaitFor([&] { return !MessagesOf(owner, {taskbarCreated}).empty(); }));

  ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &d));
  XEvent dock{};
  ASSERT_TRUE(WaitFor([&] { return XCheckTypedWindowEvent(probe, tray, ClientMessage, &dock) != 0; }));
  EXPECT_EQ(dock.xclient.message_type, opcode);
  EXPECT_EQ(dock.xclient.data.l[1], 0) << "SYSTEM_TRAY_REQUEST_DOCK";
  auto icon = static_cast<Window>(dock.xclient.data.l[2]);
  Atom type;
  std::string info = Property(icon, "_XEMBED_INFO", &type);
  ASSERT_EQ(info.size(), 2 * sizeof(long));
  EXPECT_EQ(reinterpret_cast<const long*>(info.data())[1] & 1, 1) << "XEMBED_MAPPED";

  // The tray embeds it; a click on it reaches the callback.
  XReparentWindow(probe, icon, tray, 4, 2);
  XResizeWindow(probe, icon, 24, 24);
  XMapWindow(probe, icon);
  XSync(probe, False);
  ASSERT_TRUE(WaitFor([&] { return Viewable(icon); }));
  log.clear();
  XEvent b{};
  b.xbutton.type = ButtonPress;
  b.xbutton.window = icon;
  b.xbutton.button = Button1;
  b.xbutton.x_root = 916;
  b.xbutton.y_root = 754;
  b.xbutton.same_screen = True;
  XSendEvent(probe, icon, False, ButtonPressMask, &b);
  b.xbutton.type = ButtonRelease;
  XSendEvent(probe, icon, False, ButtonReleaseMask, &b);
  XSync(probe, False);
  std::vector<LPARAM> got;
  WaitFor([&] {
    got.clear();
    for (auto& m : log) {
      if (m.hwnd == owner && m.msg == kCallback) got.push_back(m.l);
    }
    return got.size() >= 2;
  });
  EXPECT_EQ(got, (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP}));

  // The tray goes (with the icon inside it), then a new one starts: the program hears
  // TaskbarCreated again and can add its icon anew.
  XDestroyWindow(probe, tray);
  XSync(probe, False);
  EXPECT_TRUE(WaitFor([&] { return Shell_NotifyIcon(NIM_MODIFY, &d) == FALSE; })) << "the icon went with the tray";
  EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &d));
  log.clear();
  tray = startTray();
  EXPECT_TRUE(WaitFor([&] { return !MessagesOf(owner, {taskbarCreated}).empty(); }));
  EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &d));
  EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &d));
}

// Presses and releases a key on our window as the server delivers keyboard input, with the
// modifier state given (Shift, Lock, Control, Mod2 for Num Lock, Mod5 for AltGr).
void PressKey(XDisplay* d, Window w, KeyCode code, unsigned state) {
  XEvent e{};
  e.xkey.type = KeyPress;
  e.xkey.window = w;
  e.xkey.root = DefaultRootWindow(d);
  e.xkey.keycode = code;
  e.xkey.state = state;
  e.xkey.same_screen = True;
  e.xkey.time = CurrentTime;
  XSendEvent(d, w, False, KeyPressMask, &e);
  e.xkey.type = KeyRelease;
  XSendEvent(d, w, False, KeyReleaseMask, &e);
}

class X11KeyboardTest : public X11DesktopTest {
 protected:
  // The private server with the input method of Xlib (no input method server runs) and a form
  // that has the focus.
  bool BeginWithForm() {
    setenv("XMODIFIERS", "@im=none_running_here", 1);
    const bool began = Begin(false);
    unsetenv("XMODIFIERS");
    if (!began) return false;
    form = Make(WS_POPUP, Bounds(100, 100, 200, 100));
    ShowWindow(form, SW_SHOW);
    fw = XOf(form);
    if (!WaitFor([&] { return Viewable(fw); })) return false;
    SetActiveWindow(form);
    SetFocus(form);
    return WaitFor([&] { return FocusWindow() == fw; });
  }
  // Waits until the key F12, pressed after everything sent before, has come through; then the
  // characters (WM_CHAR and WM_SYSCHAR) and the keys pressed (F12 aside) the form got meanwhile.
  void Drain(std::vector<WPARAM>& chars, std::vector<WPARAM>& keys) {
    PressKey(probe, fw, XKeysymToKeycode(probe, XK_F12), 0);
    XSync(probe, False);
    WaitFor([&] {
      return std::any_of(log.begin(), log.end(),
                         [&](auto& m) { return m.hwnd == form && m.msg == WM_KEYUP && m.w == VK_F12; });
    });
    chars.clear();
    keys.clear();
    for (auto& m : log) {
      if (m.hwnd != form) continue;
      if (m.msg == WM_CHAR || m.msg == WM_SYSCHAR) chars.push_back(m.w);
      if ((m.msg == WM_KEYDOWN || m.msg == WM_SYSKEYDOWN) && m.w != VK_F12) keys.push_back(m.w);
    }
  }

  HWND form = nullptr;
  Window fw = 0;
};

#define BEGIN_WITH_FORM_OR_SKIP() \
  if (!BeginWithForm()) GTEST_SKIP() << (skipped.empty() ? "the form did not get the focus" : skipped)

// Every key gives its character once, made by the input method from the key and its modifiers
// (the key message makes none), and the key's own virtual-key code, whatever the modifiers.
TEST_F(X11KeyboardTest, EachKeyTypesItsCharacterOnce) {
  BEGIN_WITH_FORM_OR_SKIP();
  const KeyCode zhong = MapSpareKey(probe, 0x01004E2D /* 中 */);
  ASSERT_NE(zhong, 0);
  x->Sync();  // the keyboard map change, made by the other client, reaches the display
  Pump();
  const struct {
    const char* name;
    KeySym sym;
    KeyCode code;  // when the key has no symbol of the server's map
    unsigned state;
    std::vector<WPARAM> chars;
    std::vector<WPARAM> keys;
  } cases[] = {
      {"a", XK_a, 0, 0, {'a'}, {'A'}},
      {"Shift+a", XK_a, 0, ShiftMask, {'A'}, {'A'}},
      {"Caps Lock, a", XK_a, 0, LockMask, {'A'}, {'A'}},
      {"Caps Lock, Shift+a", XK_a, 0, LockMask | ShiftMask, {'a'}, {'A'}},
      {"Shift+1", XK_1, 0, ShiftMask, {'!'}, {'1'}},
      {"Shift+slash", XK_slash, 0, ShiftMask, {'?'}, {}},
      {"AltGr+e (no third level on this map)", XK_e, 0, Mod5Mask, {'e'}, {'E'}},
      {"Ctrl+a: a key, no character", XK_a, 0, ControlMask, {}, {'A'}},
      {"Return", XK_Return, 0, 0, {'\r'}, {VK_RETURN}},
      {"Backspace", XK_BackSpace, 0, 0, {'\b'}, {VK_BACK}},
      {"Delete: a key only", XK_Delete, 0, 0, {}, {VK_DELETE}},
      {"keypad 1 with Num Lock", XK_KP_1, 0, Mod2Mask, {'1'}, {VK_NUMPAD1}},
      {"中 from the input method", 0, zhong, 0, {0x4E2D}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    PressKey(probe, fw, c.code ? c.code : XKeysymToKeycode(probe, c.sym), c.state);
    std::vector<WPARAM> chars, keys;
    Drain(chars, keys);
    EXPECT_EQ(chars, c.chars);
    EXPECT_EQ(keys, c.keys);
  }

  // Typed faster than the program reads (all of it waits on the connection): the characters
  // come in the order typed.
  struct Typed {
    KeyCode code;
    unsigned state;
  };
  auto key = [&](KeySym sym, unsigned state = 0) { return Typed{XKeysymToKeycode(probe, sym), state}; };
  const Typed burst[] = {key(XK_slash), key(XK_h), key(XK_o, ShiftMask), key(XK_m), key(XK_e), key(XK_slash),
                         key(XK_a, ShiftMask), key(XK_b), key(XK_1), Typed{zhong, 0}, key(XK_period),
                         key(XK_semicolon, ShiftMask)};
  log.clear();
  for (const Typed& t : burst) PressKey(probe, fw, t.code, t.state);
  std::vector<WPARAM> chars, keys;
  Drain(chars, keys);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'/', 'h', 'O', 'm', 'e', '/', 'A', 'b', '1', 0x4E2D, '.', ':'}));
}

// A shortcut the window manager takes (Alt+Tab) leaves its release to another window: when the
// focus comes back, the program reads the keyboard from the server and Alt is no longer held,
// so letters reach edits as characters again.
TEST_F(X11KeyboardTest, ModifiersAreReadFromTheServerWhenTheFocusComesBack) {
  BEGIN_WITH_FORM_OR_SKIP();
  XEvent alt{};
  alt.xkey.type = KeyPress;
  alt.xkey.window = fw;
  alt.xkey.root = DefaultRootWindow(probe);
  alt.xkey.keycode = XKeysymToKeycode(probe, XK_Alt_L);
  alt.xkey.same_screen = True;
  XSendEvent(probe, fw, False, KeyPressMask, &alt);  // pressed here, released elsewhere
  XSync(probe, False);
  ASSERT_TRUE(WaitFor([] { return GetKeyState(VK_MENU) < 0; }));

  Window other = XCreateSimpleWindow(probe, DefaultRootWindow(probe), 600, 400, 100, 100, 0, 0, 0xFFFFFF);
  XMapWindow(probe, other);
  XSync(probe, False);
  ASSERT_TRUE(WaitFor([&] { return Viewable(other); }));
  XSetInputFocus(probe, other, RevertToParent, CurrentTime);
  XSync(probe, False);
  ASSERT_TRUE(WaitFor([&] { return FocusWindow() == other; }));
  XSetInputFocus(probe, fw, RevertToParent, CurrentTime);
  XSync(probe, False);
  EXPECT_TRUE(WaitFor([] { return GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_LMENU) >= 0; }))
      << "Alt is up as the server has it";
  ASSERT_TRUE(WaitFor([&] { return GetActiveWindow() == form; }));
  SetFocus(form);
  log.clear();
  PressKey(probe, fw, XKeysymToKeycode(probe, XK_a), 0);
  std::vector<WPARAM> chars, keys;
  Drain(chars, keys);
  EXPECT_EQ(chars, std::vector<WPARAM>{'a'});
  EXPECT_TRUE(MessagesOf(form, {WM_SYSCHAR, WM_SYSKEYDOWN}).empty()) << "no system keys: Alt is not held";
  XDestroyWindow(probe, other);
  XSync(probe, False);
}

// A modal dialog is a transient dialog of its owner, marked modal, so the window manager keeps
// it above; a click on the blocked owner or the manager activating the owner (Alt+Tab) bring the
// dialog to the front with the focus.
TEST_F(X11DesktopTest, AModalDialogStaysWithItsOwnerAndComesBackWhenTheOwnerIsChosen) {
  BEGIN_OR_SKIP(true);
  HWND owner = Make(WS_POPUP, Bounds(100, 100, 500, 400), nullptr, RGB(0, 0, 200));
  ShowWindow(owner, SW_SHOW);
  Window ow = XOf(owner);
  ASSERT_TRUE(WaitFor([&] { return WmState(ow) == NormalState && Viewable(ow); }));
  HWND dialog = Make(WS_POPUP, Bounds(250, 200, 200, 150), owner, RGB(200, 0, 0));
  EnableWindow(owner, FALSE);  // as a modal loop does before it shows its dialog
  ShowWindow(dialog, SW_SHOW);
  Window dw = XOf(dialog);
  ASSERT_TRUE(WaitFor([&] { return WmState(dw) == NormalState && Viewable(dw); }));
  ASSERT_TRUE(WaitFor([&] { return FocusWindow() == dw; }));

  Window transientFor = 0;
  ASSERT_TRUE(XGetTransientForHint(probe, dw, &transientFor));
  EXPECT_EQ(transientFor, ow);
  auto atoms = [&](const char* property) {
    std::string raw = Property(dw, property);
    std::vector<Atom> out;
    for (std::size_t i = 0; i + sizeof(long) <= raw.size(); i += sizeof(long))
      out.push_back(static_cast<Atom>(*reinterpret_cast<const long*>(raw.data() + i)));
    return out;
  };
  EXPECT_EQ(atoms("_NET_WM_WINDOW_TYPE"), std::vector<Atom>{XInternAtom(probe, "_NET_WM_WINDOW_TYPE_DIALOG", False)});
  const std::vector<Atom> state = atoms("_NET_WM_STATE");
  EXPECT_NE(std::find(state.begin(), state.end(), XInternAtom(probe, "_NET_WM_STATE_MODAL", False)), state.end());

  // Stacking as the server has it: true when the dialog's frame lies above the owner's.
  auto dialogAbove = [&] {
    auto frameOf = [&](Window w) {
      Window root, parent = 0, *kids = nullptr;
      unsigned n = 0;
      while (XQueryTree(probe, w, &root, &parent, &kids, &n)) {
        if (kids) XFree(kids);
        if (parent == root) return w;
        w = parent;
      }
      return w;
    };
    Window root, parent, *kids = nullptr;
    unsigned n = 0;
    XQueryTree(probe, DefaultRootWindow(probe), &root, &parent, &kids, &n);
    const Window df = frameOf(dw), of = frameOf(ow);
    int dAt = -1, oAt = -1;
    for (unsigned i = 0; i < n; ++i) {
      if (kids[i] == df) dAt = static_cast<int>(i);
      if (kids[i] == of) oAt = static_cast<int>(i);
    }
    if (kids) XFree(kids);
    return dAt > oAt && oAt >= 0;
  };
  EXPECT_TRUE(dialogAbove());

  // A task switcher (Alt+Tab) activates the owner: the dialog comes back with the focus.
  SendClientMessage(DefaultRootWindow(probe), ow, "_NET_ACTIVE_WINDOW", {2 /* a pager */, CurrentTime, 0},
                    SubstructureRedirectMask | SubstructureNotifyMask);
  EXPECT_TRUE(WaitFor([&] { return FocusWindow() == dw && GetActiveWindow() == dialog && dialogAbove(); }))
      << "after the owner was chosen";

  // The user clicks the owner (a real pointer click through the server).
  log.clear();
  if (RunOn(server.Name(), {"xdotool", "mousemove", "130", "130", "click", "1"}) != 0)
    GTEST_SKIP() << "xdotool does not run";
  EXPECT_TRUE(WaitFor([&] { return FocusWindow() == dw && GetActiveWindow() == dialog && dialogAbove(); }))
      << "after a click on the owner";
  EXPECT_TRUE(MessagesOf(owner, {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty()) << "the blocked owner takes no click";
  EnableWindow(owner, TRUE);
}

}  // namespace
