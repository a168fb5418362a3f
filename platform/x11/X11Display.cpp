#include "platform/x11/X11Display.h"

// Xlib names types Region and Display as we name a class and a function: keep its names out of
// the way (XDisplay is Xlib's connection type below).
#define Region X11Region
#define Display XDisplay
#define BOOL X11BOOL  // the protocol headers name a type as we do
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#undef Region
#undef Display
#undef BOOL
#include <fcntl.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/windowing/Input.h"
#include "platform/windowing/LayeredWindow.h"
#include "platform/windowing/Messages.h"
#include "platform/windowing/NotifyIcon.h"
#include "platform/graphics/Surface.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowNode.h"
#include "platform/windowing/WindowTree.h"
#include "platform/x11/X11Tray.h"

// NOTE: Xlib's headers define None, Bool, Status and friends as macros; nothing below this
// point may use those names for its own things.

namespace {

// ---- X errors ------------------------------------------------------------------------------------
// Requests about windows race the window manager (a focus given to a window it is unmapping, a
// restack of a window it reparented, a tray that died with our icon inside): those errors are
// expected and dropped. A failed shared-memory attach is noted, so painting falls back to plain
// images. Anything else goes to the handler that was there before.
std::atomic<int> g_shm_major{-1};
std::atomic<bool> g_shm_failed{false};
int (*g_previous_handler)(XDisplay*, XErrorEvent*) = nullptr;

int TolerantErrorHandler(XDisplay* d, XErrorEvent* e) {
  if (g_shm_major.load() >= 0 && e->request_code == g_shm_major.load()) {
    g_shm_failed = true;
    return 0;
  }
  switch (e->request_code) {
    case X_SetInputFocus:
    case X_ConfigureWindow:
    case X_ChangeProperty:
    case X_SendEvent:
    case X_MapWindow:
    case X_UnmapWindow:
    case X_ReparentWindow:
    case X_TranslateCoords:
    case X_GetWindowAttributes:
    case X_GetProperty:
    case X_ChangeWindowAttributes:
    case X_PutImage:
    case X_GetImage:
    case X_CopyArea:
    case X_DestroyWindow:
    case X_ClearArea:
      if (e->error_code == BadWindow || e->error_code == BadMatch || e->error_code == BadDrawable) return 0;
      break;
    default:
      break;
  }
  return g_previous_handler ? g_previous_handler(d, e) : 0;
}

struct TAtoms {
  Atom wm_protocols, wm_delete_window, wm_take_focus, wm_state, wm_change_state, net_wm_ping;
  Atom net_wm_name, net_wm_icon_name, net_wm_icon, utf8_string, net_wm_pid, net_wm_window_type,
      net_wm_window_type_normal, net_wm_window_type_dialog, net_wm_window_type_utility, motif_wm_hints,
      net_wm_state, net_wm_state_above, net_wm_state_skip_taskbar, net_wm_state_modal, net_active_window, net_wm_window_opacity, wm_s;
};

struct TXTop {
  Window window = 0;
  bool argb = false;        // made with the 32-bit visual (layered)
  bool managed = false;     // a window for the window manager (not override-redirect)
  bool mapped = false;      // asked to be shown (normal or iconic)
  bool iconic = false;      // iconified (by the program or the window manager)
  bool viewable = false;    // MapNotify seen and no UnmapNotify since
  bool reparented = false;  // the window manager put a frame around it
  bool click_through = false;
  bool focus_pending = false;   // activated before it could take the focus
  bool opacity_set = false;
  TRect rect;                   // the geometry the server has or was asked for
  unsigned long configure_serial = 0;  // serial of our last move or resize
  unsigned long state_serial = 0;      // serial of our last map, unmap or iconify
  std::optional<Region> shape;  // last bounding shape given
  bool shape_known = false;
  XIC ic = nullptr;
  // Shared-memory picture of the window (MIT-SHM).
  XImage* shm_image = nullptr;
  XShmSegmentInfo shm{};
  bool shm_busy = false;  // the server may still read it
};

struct TXChild {
  Window window = 0;
  HWND top = nullptr;
};

// Virtual-key code of an X key symbol; 0 for keys without one.
WORD VirtualKeyOf(KeySym sym) {
  if (sym >= XK_a && sym <= XK_z) return static_cast<WORD>('A' + (sym - XK_a));
  if (sym >= XK_A && sym <= XK_Z) return static_cast<WORD>('A' + (sym - XK_A));
  if (sym >= XK_0 && sym <= XK_9) return static_cast<WORD>('0' + (sym - XK_0));
  if (sym >= XK_F1 && sym <= XK_F12) return static_cast<WORD>(VK_F1 + (sym - XK_F1));
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return static_cast<WORD>(VK_NUMPAD0 + (sym - XK_KP_0));
  switch (sym) {
    case XK_BackSpace: return VK_BACK;
    case XK_Tab: case XK_ISO_Left_Tab: return VK_TAB;
    case XK_Return: case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_space: return VK_SPACE;
    case XK_Prior: return VK_PRIOR;
    case XK_Next: return VK_NEXT;
    case XK_End: return VK_END;
    case XK_Home: return VK_HOME;
    case XK_Left: return VK_LEFT;
    case XK_Up: return VK_UP;
    case XK_Right: return VK_RIGHT;
    case XK_Down: return VK_DOWN;
    case XK_Insert: return VK_INSERT;
    case XK_Delete: return VK_DELETE;
    case XK_Shift_L: return VK_LSHIFT;
    case XK_Shift_R: return VK_RSHIFT;
    case XK_Control_L: return VK_LCONTROL;
    case XK_Control_R: return VK_RCONTROL;
    case XK_Alt_L: return VK_LMENU;
    case XK_Alt_R: return VK_RMENU;
    case XK_Menu: return VK_APPS;
    case XK_Pause: return VK_PAUSE;
    case XK_Caps_Lock: return VK_CAPITAL;
    case XK_Num_Lock: return VK_NUMLOCK;
    case XK_Scroll_Lock: return VK_SCROLL;
    case XK_Print: return VK_SNAPSHOT;
    default: return 0;
  }
}

// The virtual-key code of a key event: from the symbol the modifiers chose (keypad digits with
// Num Lock, capitals), else from the key's own unshifted symbol ("1" under Shift's "!"), so a key
// is the same key pressed and released whatever the modifiers did meanwhile.
WORD VirtualKeyOfEvent(XKeyEvent& key, KeySym chosen) {
  if (WORD vk = VirtualKeyOf(chosen)) return vk;
  return key.keycode ? VirtualKeyOf(XLookupKeysym(&key, 0)) : 0;
}

// True for typed text that reaches the program as characters: printable text and the four
// control characters keys type (Backspace, Tab, Return, Escape). Other control characters
// (Ctrl with a letter) and Delete are keys only.
bool IsTypedText(const std::string& text) {
  if (text.empty()) return false;
  auto first = static_cast<unsigned char>(text[0]);
  if (text.size() == 1 && (first == '\b' || first == '\t' || first == '\r' || first == 0x1B)) return true;
  return first >= 0x20 && first != 0x7F;
}

unsigned FontCursorOf(HCURSOR c) {
  switch (StandardCursorId(c)) {
    case IDC_IBEAM: return XC_xterm;
    case IDC_WAIT: return XC_watch;
    case IDC_CROSS: return XC_crosshair;
    case IDC_SIZEWE: return XC_sb_h_double_arrow;
    case IDC_SIZENS: return XC_sb_v_double_arrow;
    case IDC_SIZENWSE: return XC_bottom_right_corner;
    case IDC_SIZENESW: return XC_bottom_left_corner;
    case IDC_SIZEALL: return XC_fleur;
    case IDC_HAND: return XC_hand2;
    case IDC_NO: return XC_X_cursor;
    default: return XC_left_ptr;
  }
}

// The window manager's handling of a top-level, from its styles: popups that never take the
// activation (menus, hints, drop-down lists), click-through windows and windows showing a
// per-pixel image of their own (a skinned form's layered border) stay override-redirect;
// everything else is an ordinary managed top-level.
bool OverrideRedirectFor(DWORD style, DWORD ex, bool ownImage) {
  if (ex & (WS_EX_NOACTIVATE | WS_EX_TRANSPARENT)) return true;
  if ((ex & WS_EX_TOOLWINDOW) && (style & WS_CAPTION) != WS_CAPTION) return true;
  return ownImage && (ex & WS_EX_LAYERED);
}

constexpr WPARAM kIconBig = 1;  // WM_GETICON's ICON_BIG

// The program's name for WM_CLASS.
std::string ProgramName() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string exe = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string("program");
  return exe.substr(exe.rfind('/') + 1);
}

// Makes LC_CTYPE follow the environment (input methods and compose tables depend on it); a
// locale that is not UTF-8 capable falls back to C.UTF-8, since all text here is UTF-8.
void ChooseInputLocale() {
  const char* now = std::setlocale(LC_CTYPE, nullptr);
  if (now && std::strcmp(now, "C") != 0 && std::strcmp(now, "POSIX") != 0) return;  // the program chose
  const char* env = std::setlocale(LC_CTYPE, "");
  auto utf8 = [](const char* name) {
    if (!name) return false;
    std::string n(name);
    std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return n.find("utf-8") != std::string::npos || n.find("utf8") != std::string::npos;
  };
  if (!utf8(env) && !std::setlocale(LC_CTYPE, "C.UTF-8")) std::setlocale(LC_CTYPE, env ? env : "C");
}

}  // namespace

struct TX11Display::Impl {
  XDisplay* dpy = nullptr;
  int screen = 0;
  Window root = 0;
  int wake_pipe[2] = {-1, -1};
  bool shape = false;
  bool shm_offered = false;  // the server has MIT-SHM
  bool shm_wanted = true;
  XVisualInfo argb_visual{};
  bool has_argb = false;
  Colormap argb_colormap = 0;
  TAtoms atoms{};
  std::string res_name, res_class;
  mutable std::recursive_mutex lock;  // guards the maps below
  std::unordered_map<HWND, TXTop> tops;
  std::unordered_map<HWND, TXChild> children;
  std::unordered_map<Window, HWND> by_window;
  Cursor cursor = 0;
  GC gc24 = nullptr, gc32 = nullptr;
  XIM im = nullptr;
  XIMStyle im_style = 0;
  Time last_time = CurrentTime;       // time of the last user event
  unsigned long focus_serial = 0;     // serial of our last focus request
  bool focus_check = false;           // a FocusOut waits to be judged
  bool following_focus = false;       // activating because the focus moved
  std::unique_ptr<TX11Tray> tray;
  std::vector<HWND> stacked;  // the shown top-levels in the order last given to the server

  ~Impl() {
    tray.reset();
    if (dpy) {
      for (auto& [h, t] : tops) {
        if (t.ic) XDestroyIC(t.ic);
        ReleaseShm(t);
      }
      for (auto& [h, t] : children) XDestroyWindow(dpy, t.window);
      for (auto& [h, t] : tops) XDestroyWindow(dpy, t.window);
      if (im) XCloseIM(im);
      if (gc24) XFreeGC(dpy, gc24);
      if (gc32) XFreeGC(dpy, gc32);
      if (cursor) XFreeCursor(dpy, cursor);
      if (argb_colormap) XFreeColormap(dpy, argb_colormap);
      XCloseDisplay(dpy);
    }
    for (int fd : wake_pipe) {
      if (fd >= 0) close(fd);
    }
  }

  Atom Intern(const char* name) const { return XInternAtom(dpy, name, False); }

  void InternAtoms() {
    TAtoms& a = atoms;
    a.wm_protocols = Intern("WM_PROTOCOLS");
    a.wm_delete_window = Intern("WM_DELETE_WINDOW");
    a.wm_take_focus = Intern("WM_TAKE_FOCUS");
    a.wm_state = Intern("WM_STATE");
    a.wm_change_state = Intern("WM_CHANGE_STATE");
    a.net_wm_ping = Intern("_NET_WM_PING");
    a.net_wm_name = Intern("_NET_WM_NAME");
    a.net_wm_icon_name = Intern("_NET_WM_ICON_NAME");
    a.net_wm_icon = Intern("_NET_WM_ICON");
    a.utf8_string = Intern("UTF8_STRING");
    a.net_wm_pid = Intern("_NET_WM_PID");
    a.net_wm_window_type = Intern("_NET_WM_WINDOW_TYPE");
    a.net_wm_window_type_normal = Intern("_NET_WM_WINDOW_TYPE_NORMAL");
    a.net_wm_window_type_dialog = Intern("_NET_WM_WINDOW_TYPE_DIALOG");
    a.net_wm_window_type_utility = Intern("_NET_WM_WINDOW_TYPE_UTILITY");
    a.motif_wm_hints = Intern("_MOTIF_WM_HINTS");
    a.net_wm_state = Intern("_NET_WM_STATE");
    a.net_wm_state_above = Intern("_NET_WM_STATE_ABOVE");
    a.net_wm_state_skip_taskbar = Intern("_NET_WM_STATE_SKIP_TASKBAR");
    a.net_wm_state_modal = Intern("_NET_WM_STATE_MODAL");
    a.net_active_window = Intern("_NET_ACTIVE_WINDOW");
    a.net_wm_window_opacity = Intern("_NET_WM_WINDOW_OPACITY");
    a.wm_s = Intern(("WM_S" + std::to_string(screen)).c_str());
  }

  // True while a window manager runs (it owns the WM_Sn selection).
  bool WindowManagerRunning() const { return XGetSelectionOwner(dpy, atoms.wm_s) != 0; }

  HWND TopOfWindow(Window w) const {
    std::lock_guard guard(lock);
    auto it = by_window.find(w);
    return it == by_window.end() ? nullptr : it->second;
  }

  // ---- keyboard state ----
  // Tells the input router which modifier keys are down by the server's key map (32 bytes, a
  // bit per key code) and whether Caps Lock is on: keys pressed or released while the focus was
  // elsewhere (a shortcut the window manager took) must not stay held here.
  void SyncModifiers(const char keys[32], bool capsLock) const {
    auto down = [&](KeySym sym) {
      KeyCode code = XKeysymToKeycode(dpy, sym);
      return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
    };
    struct Pair {
      KeySym left, right;
      WORD vkLeft, vkRight, vk;
    };
    for (const Pair& p : {Pair{XK_Shift_L, XK_Shift_R, VK_LSHIFT, VK_RSHIFT, VK_SHIFT},
                          Pair{XK_Control_L, XK_Control_R, VK_LCONTROL, VK_RCONTROL, VK_CONTROL},
                          Pair{XK_Alt_L, XK_Alt_R, VK_LMENU, VK_RMENU, VK_MENU}}) {
      const bool l = down(p.left), r = down(p.right);
      detail::SyncKeyState(p.vkLeft, l, false);
      detail::SyncKeyState(p.vkRight, r, false);
      detail::SyncKeyState(p.vk, l || r, false);
    }
    detail::SyncKeyState(VK_CAPITAL, down(XK_Caps_Lock), capsLock);
  }

  // Reads the keyboard as the server has it now.
  void ReadModifiers() const {
    char keys[32] = {};
    XQueryKeymap(dpy, keys);
    SyncModifiers(keys, CapsLockOn());
  }

  [[nodiscard]] bool CapsLockOn() const {
    Window r, c;
    int rx, ry, wx, wy;
    unsigned mask = 0;
    XQueryPointer(dpy, root, &r, &c, &rx, &ry, &wx, &wy, &mask);
    return (mask & LockMask) != 0;
  }

  // ---- input methods ----
  void OpenInputMethod() {
    if (!XSupportsLocale()) return;
    XSetLocaleModifiers("");
    im = XOpenIM(dpy, nullptr, nullptr, nullptr);
    if (!im) {
      // The method named by XMODIFIERS does not run: the built-in one still composes.
      XSetLocaleModifiers("@im=none");
      im = XOpenIM(dpy, nullptr, nullptr, nullptr);
    }
    if (!im) return;
    XIMStyles* styles = nullptr;
    if (XGetIMValues(im, XNQueryInputStyle, &styles, nullptr) != nullptr || !styles) {
      XCloseIM(im);
      im = nullptr;
      return;
    }
    const XIMStyle wanted[] = {XIMPreeditNothing | XIMStatusNothing, XIMPreeditNothing | XIMStatusNone,
                               XIMPreeditNone | XIMStatusNone};
    for (XIMStyle w : wanted) {
      for (unsigned short i = 0; i < styles->count_styles && !im_style; ++i) {
        if (styles->supported_styles[i] == w) im_style = w;
      }
      if (im_style) break;
    }
    XFree(styles);
    if (!im_style) {
      XCloseIM(im);
      im = nullptr;
      return;
    }
    XIMCallback destroyed;
    destroyed.client_data = reinterpret_cast<XPointer>(this);
    destroyed.callback = [](XIM, XPointer data, XPointer) {
      // The input method went away: its contexts are gone with it; keys are read plainly.
      auto* self = reinterpret_cast<Impl*>(data);
      std::lock_guard guard(self->lock);
      self->im = nullptr;
      for (auto& [h, t] : self->tops) t.ic = nullptr;
    };
    XSetIMValues(im, XNDestroyCallback, &destroyed, nullptr);
  }

  void EnsureInputContext(TXTop& t) {
    if (t.ic || !im || !t.window) return;
    t.ic = XCreateIC(im, XNInputStyle, im_style, XNClientWindow, t.window, XNFocusWindow, t.window, nullptr);
    if (!t.ic) return;
    long filter = 0;
    if (!XGetICValues(t.ic, XNFilterEvents, &filter, nullptr) && filter) {
      XWindowAttributes attrs;
      if (XGetWindowAttributes(dpy, t.window, &attrs)) XSelectInput(dpy, t.window, attrs.your_event_mask | filter);
    }
  }

  // ---- shared memory ----
  void ReleaseShm(TXTop& t) {
    if (!t.shm_image) return;
    if (t.shm_busy) XSync(dpy, False);
    XShmDetach(dpy, &t.shm);
    XDestroyImage(t.shm_image);  // frees the XImage, not the segment
    shmdt(t.shm.shmaddr);
    t.shm_image = nullptr;
    t.shm_busy = false;
  }

  // A shared picture of the window's size; nullptr (and shared memory given up) when the
  // server cannot attach one.
  XImage* ShmImageFor(TXTop& t, int width, int height) {
    if (!shm_offered || !shm_wanted) return nullptr;
    if (t.shm_image && t.shm_image->width == width && t.shm_image->height == height) {
      if (t.shm_busy) {
        XSync(dpy, False);  // the server has read the last picture once it answered
        t.shm_busy = false;
      }
      return t.shm_image;
    }
    ReleaseShm(t);
    Visual* visual = t.argb ? argb_visual.visual : DefaultVisual(dpy, screen);
    int depth = t.argb ? 32 : DefaultDepth(dpy, screen);
    XImage* image = XShmCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &t.shm,
                                    static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image) return nullptr;
    if (image->bits_per_pixel != 32) {
      XDestroyImage(image);
      shm_wanted = false;
      return nullptr;
    }
    t.shm.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height),
                         IPC_CREAT | 0600);
    if (t.shm.shmid < 0) {
      XDestroyImage(image);
      return nullptr;
    }
    t.shm.shmaddr = image->data = static_cast<char*>(shmat(t.shm.shmid, nullptr, 0));
    if (t.shm.shmaddr == reinterpret_cast<char*>(-1)) {
      shmctl(t.shm.shmid, IPC_RMID, nullptr);
      XDestroyImage(image);
      return nullptr;
    }
    t.shm.readOnly = True;
    g_shm_failed = false;
    XShmAttach(dpy, &t.shm);
    XSync(dpy, False);
    shmctl(t.shm.shmid, IPC_RMID, nullptr);  // goes when both sides let go
    if (g_shm_failed) {
      // A server on another machine, or one that refuses: plain images from now on.
      shmdt(t.shm.shmaddr);
      image->data = nullptr;
      XDestroyImage(image);
      shm_wanted = false;
      return nullptr;
    }
    t.shm_image = image;
    return image;
  }

  GC GcFor(const TXTop& t) {
    GC& gc = t.argb ? gc32 : gc24;
    if (!gc) gc = XCreateGC(dpy, t.window, 0, nullptr);
    return gc;
  }

  // Shows the parts of a picture of the whole window.
  void PutPixels(TXTop& t, const PixelSurface& pixels, const std::vector<TRect>& parts) {
    std::vector<TRect> rects;
    for (const TRect& part : parts) {
      TRect r{std::max(0, part.Left), std::max(0, part.Top), std::min(pixels.Width(), part.Right),
              std::min(pixels.Height(), part.Bottom)};
      if (!r.IsEmpty()) rects.push_back(r);
    }
    if (rects.empty()) return;
    GC gc = GcFor(t);
    if (XImage* image = ShmImageFor(t, pixels.Width(), pixels.Height())) {
      for (const TRect& r : rects) {
        const std::size_t bytes = static_cast<std::size_t>(r.Width()) * 4;
        for (int y = r.Top; y < r.Bottom; ++y) {
          std::memcpy(image->data + static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(y) +
                          static_cast<std::size_t>(r.Left) * 4,
                      pixels.Row(y) + static_cast<std::size_t>(r.Left) * 4, bytes);
        }
      }
      for (const TRect& r : rects) {
        XShmPutImage(dpy, t.window, gc, image, r.Left, r.Top, r.Left, r.Top, static_cast<unsigned>(r.Width()),
                     static_cast<unsigned>(r.Height()), False);
      }
      t.shm_busy = true;
      return;
    }
    Visual* visual = t.argb ? argb_visual.visual : DefaultVisual(dpy, screen);
    int depth = t.argb ? 32 : DefaultDepth(dpy, screen);
    for (const TRect& r : rects) {
      XImage* image = XCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                   reinterpret_cast<char*>(pixels.Row(r.Top) + static_cast<std::size_t>(r.Left) * 4),
                                   static_cast<unsigned>(r.Width()), static_cast<unsigned>(r.Height()), 32,
                                   static_cast<int>(pixels.Stride()));
      if (!image) continue;
      XPutImage(dpy, t.window, gc, image, 0, 0, r.Left, r.Top, static_cast<unsigned>(r.Width()),
                static_cast<unsigned>(r.Height()));
      image->data = nullptr;  // the pixels belong to the surface
      XDestroyImage(image);
    }
  }

  // ---- top-level windows ----
  void SetTitle(const TXTop& t, const std::string& title) {
    if (!t.window) return;
    auto bytes = reinterpret_cast<const unsigned char*>(title.data());
    XChangeProperty(dpy, t.window, atoms.net_wm_name, atoms.utf8_string, 8, PropModeReplace, bytes,
                    static_cast<int>(title.size()));
    XChangeProperty(dpy, t.window, atoms.net_wm_icon_name, atoms.utf8_string, 8, PropModeReplace, bytes,
                    static_cast<int>(title.size()));
    // WM_NAME for older managers: compound text where the locale allows, else the bytes.
    XTextProperty text{};
    char* list[] = {const_cast<char*>(title.c_str())};
    if (Xutf8TextListToTextProperty(dpy, list, 1, XStdICCTextStyle, &text) >= Success) {
      XSetWMName(dpy, t.window, &text);
      XSetWMIconName(dpy, t.window, &text);
      XFree(text.value);
    }
  }

  // _NET_WM_ICON: width, height, then ARGB pixels, one per long.
  void SetIcon(const TXTop& t, const TTrayImage& icon) {
    if (icon.width <= 0 || icon.height <= 0) return;
    std::vector<long> data{icon.width, icon.height};
    data.reserve(2 + static_cast<std::size_t>(icon.width) * static_cast<std::size_t>(icon.height));
    for (std::size_t i = 0; i + 3 < icon.bgra.size(); i += 4) {
      data.push_back(static_cast<long>((static_cast<unsigned long>(icon.bgra[i + 3]) << 24) |
                                       (static_cast<unsigned long>(icon.bgra[i + 2]) << 16) |
                                       (static_cast<unsigned long>(icon.bgra[i + 1]) << 8) | icon.bgra[i]));
    }
    XChangeProperty(dpy, t.window, atoms.net_wm_icon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
  }

  void SetNormalHints(const TXTop& t, const TRect& r) {
    XSizeHints* hints = XAllocSizeHints();
    if (!hints) return;
    hints->flags = USPosition | PPosition | USSize | PSize;
    hints->x = r.Left;
    hints->y = r.Top;
    hints->width = std::max(1, r.Width());
    hints->height = std::max(1, r.Height());
    XSetWMNormalHints(dpy, t.window, hints);
    XFree(hints);
  }

  // What the window manager needs to know of a managed window, before it is first mapped.
  // An owned window is a dialog (a tool window a utility window) kept above its owner
  // (WM_TRANSIENT_FOR); one shown while its owner is disabled is modal to it.
  void SetManagerProperties(TXTop& t, HWND top, DWORD ex, HWND owner, bool ownerDisabled) {
    Window w = t.window;
    XClassHint cls;
    cls.res_name = res_name.data();
    cls.res_class = res_class.data();
    XSetClassHint(dpy, w, &cls);
    XWMHints* hints = XAllocWMHints();
    if (hints) {
      hints->flags = InputHint | StateHint;
      hints->input = True;
      hints->initial_state = NormalState;
      XSetWMHints(dpy, w, hints);
      XFree(hints);
    }
    Atom protocols[] = {atoms.wm_delete_window, atoms.wm_take_focus, atoms.net_wm_ping};
    XSetWMProtocols(dpy, w, protocols, 3);
    long pid = getpid();
    XChangeProperty(dpy, w, atoms.net_wm_pid, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
    // No decorations: the program draws its own frame.
    long motif[5] = {2 /* decorations given */, 0, 0 /* none */, 0, 0};
    XChangeProperty(dpy, w, atoms.motif_wm_hints, atoms.motif_wm_hints, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(motif), 5);
    Window ownerWindow = 0;
    if (owner) {
      auto o = tops.find(owner);
      if (o != tops.end()) ownerWindow = o->second.window;
    }
    Atom typeAtom = !ownerWindow                ? atoms.net_wm_window_type_normal
                    : (ex & WS_EX_TOOLWINDOW) ? atoms.net_wm_window_type_utility
                                              : atoms.net_wm_window_type_dialog;
    long type = static_cast<long>(typeAtom);
    XChangeProperty(dpy, w, atoms.net_wm_window_type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
    std::vector<long> state;
    if (ex & WS_EX_TOPMOST) state.push_back(static_cast<long>(atoms.net_wm_state_above));
    if (ex & WS_EX_TOOLWINDOW) state.push_back(static_cast<long>(atoms.net_wm_state_skip_taskbar));
    if (ownerWindow && ownerDisabled) state.push_back(static_cast<long>(atoms.net_wm_state_modal));
    XChangeProperty(dpy, w, atoms.net_wm_state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(state.data()), static_cast<int>(state.size()));
    if (ownerWindow) XSetTransientForHint(dpy, w, ownerWindow);
    else XDeleteProperty(dpy, w, XA_WM_TRANSIENT_FOR);  // a window shown again without its owner
    (void)top;
  }

  // Makes (or remakes, when the layering or the manager's handling changed while it was not
  // shown) the X window of a top-level.
  TXTop& EnsureTop(HWND top, bool layered, bool override, const TRect& r) {
    TXTop& t = tops[top];
    bool argb = layered && has_argb;
    if (t.window && (t.mapped || (t.argb == argb && t.managed == !override))) return t;
    if (t.window) {
      if (t.ic) XDestroyIC(t.ic);
      ReleaseShm(t);
      by_window.erase(t.window);
      XDestroyWindow(dpy, t.window);
      t = TXTop{};
    }
    XSetWindowAttributes a{};
    a.override_redirect = override ? True : False;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                   KeyReleaseMask | KeymapStateMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
    a.background_pixel = 0;
    a.border_pixel = 0;
    unsigned long mask = CWOverrideRedirect | CWEventMask | CWBackPixel | CWBorderPixel;
    Visual* visual = DefaultVisual(dpy, screen);
    int depth = DefaultDepth(dpy, screen);
    if (argb) {
      visual = argb_visual.visual;
      depth = 32;
      a.colormap = argb_colormap;
      mask |= CWColormap;
    }
    t.window = XCreateWindow(dpy, root, r.Left, r.Top, static_cast<unsigned>(std::max(1, r.Width())),
                             static_cast<unsigned>(std::max(1, r.Height())), 0, depth, InputOutput, visual, mask, &a);
    t.argb = argb;
    t.managed = !override;
    t.rect = r;
    if (cursor) XDefineCursor(dpy, t.window, cursor);
    by_window[t.window] = top;
    return t;
  }

  void ApplyShape(TXTop& t, const std::optional<Region>& region) {
    if (!shape) return;
    if (t.shape_known && t.shape == region) return;
    t.shape = region;
    t.shape_known = true;
    if (!region) {
      XShapeCombineMask(dpy, t.window, ShapeBounding, 0, 0, 0, ShapeSet);
    } else {
      std::vector<XRectangle> rects;
      for (const TRect& r : region->Rects()) {
        rects.push_back(XRectangle{static_cast<short>(r.Left), static_cast<short>(r.Top),
                                   static_cast<unsigned short>(r.Width()), static_cast<unsigned short>(r.Height())});
      }
      XShapeCombineRectangles(dpy, t.window, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()),
                              ShapeSet, Unsorted);
    }
    if (t.click_through) ApplyInputShape(t, true);  // a new bounding shape resets the input shape
  }

  // Click-through: an empty input shape lets every press through to whatever lies beneath.
  void ApplyInputShape(TXTop& t, bool through) {
    if (!shape) return;
    if (through) {
      XShapeCombineRectangles(dpy, t.window, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    } else {
      XShapeCombineMask(dpy, t.window, ShapeInput, 0, 0, 0, ShapeSet);
    }
    t.click_through = through;
  }

  void SetOpacity(TXTop& t, bool layered, BYTE alpha) {
    if (!layered || alpha == 255) {
      if (t.opacity_set) XDeleteProperty(dpy, t.window, atoms.net_wm_window_opacity);
      t.opacity_set = false;
      return;
    }
    unsigned long value = static_cast<unsigned long>(alpha) * 0x01010101UL;
    XChangeProperty(dpy, t.window, atoms.net_wm_window_opacity, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
    t.opacity_set = true;
  }

  // Gives a viewable window the keyboard focus (the window manager hears of it too).
  void GiveFocus(TXTop& t, bool managerRunning) {
    for (auto& [h, other] : tops) other.focus_pending = false;  // the latest activation wins
    if (!t.viewable) {
      t.focus_pending = true;
      return;
    }
    t.focus_pending = false;
    if (managerRunning && t.managed) {
      XEvent e{};
      e.xclient.type = ClientMessage;
      e.xclient.window = t.window;
      e.xclient.message_type = atoms.net_active_window;
      e.xclient.format = 32;
      e.xclient.data.l[0] = 1;  // asked by an application
      e.xclient.data.l[1] = static_cast<long>(last_time);
      e.xclient.data.l[2] = 0;
      XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    }
    focus_serial = NextRequest(dpy);
    XSetInputFocus(dpy, t.window, RevertToParent, CurrentTime);
  }
};

namespace {
// UTF-8 text of a key symbol (Latin-1 and Unicode key symbols), for keys read without an
// input context.
std::string KeySymText(KeySym sym) {
  switch (sym) {
    case XK_BackSpace: return "\b";
    case XK_Tab: return "\t";
    case XK_Return: case XK_KP_Enter: return "\r";
    case XK_Escape: return "\x1b";
    case XK_KP_Space: return " ";
    default: break;
  }
  // The keypad's printing keys (digits with Num Lock, operators, separators) type ASCII.
  if (sym >= XK_KP_Multiply && sym <= XK_KP_9) sym = sym - XK_KP_Multiply + '*';
  std::uint32_t code = 0;
  if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF)) code = static_cast<std::uint32_t>(sym);
  else if ((sym & 0xFF000000UL) == 0x01000000UL) code = static_cast<std::uint32_t>(sym & 0x00FFFFFFUL);
  std::string out;
  if (code == 0 || code > 0x10FFFF) return out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}
}  // namespace

std::unique_ptr<TX11Display> TX11Display::Open(const char* DisplayName) {
  static std::once_flag threads;
  std::call_once(threads, [] {
    XInitThreads();
    g_previous_handler = XSetErrorHandler(TolerantErrorHandler);
  });
  ChooseInputLocale();
  auto impl = std::make_unique<Impl>();
  impl->dpy = XOpenDisplay(DisplayName);
  if (!impl->dpy) return nullptr;
  impl->screen = DefaultScreen(impl->dpy);
  impl->root = RootWindow(impl->dpy, impl->screen);
  if (pipe(impl->wake_pipe) != 0) return nullptr;
  for (int fd : impl->wake_pipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  int event_base = 0, error_base = 0;
  impl->shape = XShapeQueryExtension(impl->dpy, &event_base, &error_base) != 0;
  int shm_major = 0;
  if (XQueryExtension(impl->dpy, "MIT-SHM", &shm_major, &event_base, &error_base) && XShmQueryExtension(impl->dpy)) {
    impl->shm_offered = true;
    g_shm_major = shm_major;
  }
  if (XMatchVisualInfo(impl->dpy, impl->screen, 32, TrueColor, &impl->argb_visual)) {
    impl->has_argb = true;
    impl->argb_colormap = XCreateColormap(impl->dpy, impl->root, impl->argb_visual.visual, AllocNone);
  }
  impl->InternAtoms();
  impl->res_name = ProgramName();
  impl->res_class = impl->res_name;
  if (!impl->res_class.empty()) impl->res_class[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(impl->res_class[0])));
  impl->OpenInputMethod();
  impl->tray = std::make_unique<TX11Tray>(impl->dpy, impl->screen);
  return std::unique_ptr<TX11Display>(new TX11Display(std::move(impl)));
}

TX11Display::TX11Display(std::unique_ptr<Impl> AImpl) : impl_(std::move(AImpl)) {}
TX11Display::~TX11Display() { detail::TrayReset(); }

std::vector<TMonitorDesc> TX11Display::Monitors() const {
  // Without RandR the X screen is the one monitor.
  TRect r{0, 0, DisplayWidth(impl_->dpy, impl_->screen), DisplayHeight(impl_->dpy, impl_->screen)};
  return {TMonitorDesc{r, r, true}};
}

void TX11Display::WindowChanged(HWND hWnd) {
  HWND top, owner;
  bool ownerDisabled = false;
  TRect rect;
  bool styleVisible, minimized, layered, ownImage;
  DWORD style, ex;
  BYTE alpha = 255;
  std::optional<Region> region;
  std::vector<HWND> order;
  std::vector<std::pair<HWND, TRect>> childWindows;  // native children: top coordinates, visible
  {
    std::lock_guard tree(wnd_detail::TreeLock());
    top = wnd_detail::TopOf(hWnd);
    wnd_detail::TWindowNode* n = wnd_detail::Node(top);
    if (!n || n->message_only) return;
    rect = n->rect;
    styleVisible = wnd_detail::StyleVisible(top);
    minimized = n->minimized;
    style = wnd_detail::StyleOf(top);
    ex = wnd_detail::ExStyleOf(top);
    layered = (ex & WS_EX_LAYERED) != 0;
    ownImage = n->layered.image != nullptr;
    if (layered && n->layered.attributes && (n->layered.flags & LWA_ALPHA)) alpha = n->layered.alpha;
    owner = n->owner;
    ownerDisabled = owner && wnd_detail::Node(owner) && (wnd_detail::StyleOf(owner) & WS_DISABLED);
    region = n->window_region;
    order = wnd_detail::TopLevels();
    std::lock_guard lock(impl_->lock);
    for (auto& [h, c] : impl_->children) {
      if (c.top != top || !wnd_detail::Node(h)) continue;
      TPoint o = wnd_detail::TopOrigin(h);
      TRect r = Bounds(o.X, o.Y, wnd_detail::Node(h)->rect.Width(), wnd_detail::Node(h)->rect.Height());
      childWindows.emplace_back(h, wnd_detail::ReallyVisible(h) ? r : TRect{});
    }
  }
  const bool override = OverrideRedirectFor(style, ex, ownImage);
  // A window shown for the first time tells the window manager its title.
  std::string title;
  bool firstShow;
  {
    std::lock_guard lock(impl_->lock);
    auto it = impl_->tops.find(top);
    firstShow = styleVisible && !override && (it == impl_->tops.end() || !it->second.mapped);
  }
  TTrayImage icon;
  if (firstShow) {
    title = GetWindowText(top);
    // The window's icon (WM_GETICON, the large one), else the program's glyph.
    icon = TrayImageOf(reinterpret_cast<HICON>(SendMessage(top, WM_GETICON, kIconBig, 0)), 32);
  }

  std::lock_guard lock(impl_->lock);
  XDisplay* d = impl_->dpy;
  auto it = impl_->tops.find(top);
  if (!styleVisible || rect.IsEmpty()) {
    if (it != impl_->tops.end() && it->second.mapped) {
      TXTop& t = it->second;
      t.state_serial = NextRequest(d);
      if (t.managed) XWithdrawWindow(d, t.window, impl_->screen);
      else XUnmapWindow(d, t.window);
      t.mapped = t.iconic = false;
      XFlush(d);
    }
    return;
  }
  const bool wm = minimized && !override && impl_->WindowManagerRunning();
  if (minimized && !wm) {
    // Nobody keeps an icon for it: minimized means not shown.
    if (it != impl_->tops.end() && it->second.mapped) {
      it->second.state_serial = NextRequest(d);
      XUnmapWindow(d, it->second.window);
      it->second.mapped = false;
      XFlush(d);
    }
    return;
  }
  TXTop& t = impl_->EnsureTop(top, layered, override, rect);
  if (t.rect != rect) {
    t.configure_serial = NextRequest(d);
    XMoveResizeWindow(d, t.window, rect.Left, rect.Top, static_cast<unsigned>(std::max(1, rect.Width())),
                      static_cast<unsigned>(std::max(1, rect.Height())));
    t.rect = rect;
  }
  impl_->ApplyShape(t, region);
  const bool through = layered && (ex & WS_EX_TRANSPARENT);
  if (through != t.click_through) impl_->ApplyInputShape(t, through);
  if (!t.argb) impl_->SetOpacity(t, layered, alpha);
  for (auto& [h, r] : childWindows) {
    Window cw = impl_->children[h].window;
    if (r.IsEmpty()) {
      XUnmapWindow(d, cw);
    } else {
      XMoveResizeWindow(d, cw, r.Left, r.Top, static_cast<unsigned>(r.Width()), static_cast<unsigned>(r.Height()));
      XMapWindow(d, cw);
    }
  }
  if (!t.mapped) {
    if (t.managed) {
      impl_->SetManagerProperties(t, top, ex, owner, ownerDisabled);
      impl_->SetTitle(t, title);
      impl_->SetIcon(t, icon);
      impl_->SetNormalHints(t, rect);
      if (minimized) {
        XWMHints* hints = XAllocWMHints();
        if (hints) {
          hints->flags = InputHint | StateHint;
          hints->input = True;
          hints->initial_state = IconicState;
          XSetWMHints(d, t.window, hints);
          XFree(hints);
        }
      }
    }
    impl_->EnsureInputContext(t);
    t.state_serial = NextRequest(d);
    XMapWindow(d, t.window);
    t.mapped = true;
    t.iconic = minimized;
  } else if (minimized && !t.iconic) {
    t.state_serial = NextRequest(d);
    XIconifyWindow(d, t.window, impl_->screen);
    t.iconic = true;
  } else if (!minimized && t.iconic) {
    t.state_serial = NextRequest(d);
    XMapWindow(d, t.window);  // asks the window manager to bring it back
    t.iconic = false;
  }
  // Stacking, when the program's order of its shown windows changed: the top one is raised
  // (through the window manager for a framed window); windows directly on the root keep the
  // program's order among themselves.
  std::vector<HWND> shown;
  for (HWND h : order) {
    auto f = impl_->tops.find(h);
    if (f != impl_->tops.end() && f->second.mapped && !f->second.iconic) shown.push_back(h);
  }
  if (shown != impl_->stacked) {
    impl_->stacked = shown;
    std::vector<Window> plain;
    for (HWND h : shown) {
      const TXTop& s = impl_->tops[h];
      if (h == shown.front()) {
        if (s.reparented) {
          XWindowChanges changes{};
          changes.stack_mode = Above;
          XReconfigureWMWindow(d, s.window, impl_->screen, CWStackMode, &changes);
        } else {
          XRaiseWindow(d, s.window);
        }
      }
      if (!s.reparented) plain.push_back(s.window);
    }
    if (plain.size() > 1) XRestackWindows(d, plain.data(), static_cast<int>(plain.size()));
  }
  XFlush(d);
}

void TX11Display::WindowDestroyed(HWND hWnd) {
  std::lock_guard lock(impl_->lock);
  if (auto c = impl_->children.find(hWnd); c != impl_->children.end()) {
    impl_->by_window.erase(c->second.window);
    XDestroyWindow(impl_->dpy, c->second.window);
    impl_->children.erase(c);
  }
  if (auto t = impl_->tops.find(hWnd); t != impl_->tops.end()) {
    if (t->second.ic) XDestroyIC(t->second.ic);
    impl_->ReleaseShm(t->second);
    impl_->by_window.erase(t->second.window);
    XDestroyWindow(impl_->dpy, t->second.window);
    impl_->tops.erase(t);
  }
  std::erase(impl_->stacked, hWnd);
  XFlush(impl_->dpy);
}

void TX11Display::Present(HWND hTop, const Region& Dirty) {
  std::shared_ptr<PixelSurface> pixels;
  {
    std::lock_guard tree(wnd_detail::TreeLock());
    wnd_detail::TWindowNode* n = wnd_detail::Node(hTop);
    if (!n || n->parent) return;
    pixels = n->back;
  }
  bool argb;
  {
    std::lock_guard lock(impl_->lock);
    auto it = impl_->tops.find(hTop);
    if (it == impl_->tops.end() || !it->second.mapped || it->second.iconic) return;
    argb = it->second.argb;
  }
  if (argb) pixels = ComposeTopLevel(hTop);  // premultiplied, alpha included
  if (!pixels) return;
  std::vector<TRect> rects = Dirty.Rects();
  // Many small pieces cost more in requests than their surroundings in pixels.
  if (rects.size() > 16) rects = {Dirty.Bounds()};
  std::lock_guard lock(impl_->lock);
  auto it = impl_->tops.find(hTop);
  if (it == impl_->tops.end() || !it->second.mapped) return;
  impl_->PutPixels(it->second, *pixels, rects);
  XFlush(impl_->dpy);
}

TPoint TX11Display::CursorPos() const {
  Window root, child;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  XQueryPointer(impl_->dpy, impl_->root, &root, &child, &rx, &ry, &wx, &wy, &mask);
  return {rx, ry};
}

void TX11Display::SetCursorPos(TPoint Pos) {
  TPoint now = CursorPos();
  if (now == Pos) return;
  XWarpPointer(impl_->dpy, 0, impl_->root, 0, 0, 0, 0, Pos.X, Pos.Y);
  XFlush(impl_->dpy);
}

void TX11Display::SetCursorShape(HCURSOR Shape) {
  std::lock_guard lock(impl_->lock);
  ::Cursor old = impl_->cursor;
  impl_->cursor = XCreateFontCursor(impl_->dpy, FontCursorOf(Shape));
  for (auto& [h, t] : impl_->tops) XDefineCursor(impl_->dpy, t.window, impl_->cursor);
  if (old) XFreeCursor(impl_->dpy, old);
  XFlush(impl_->dpy);
}

void TX11Display::WindowActivated(HWND hTop) {
  if (!hTop || impl_->following_focus) return;  // the keyboard focus stays where the desktop puts it
  std::lock_guard lock(impl_->lock);
  auto it = impl_->tops.find(hTop);
  // An iconified window is not given the focus: the manager would bring it back for that.
  if (it == impl_->tops.end() || !it->second.mapped || it->second.iconic) return;
  impl_->GiveFocus(it->second, it->second.managed && impl_->WindowManagerRunning());
  XFlush(impl_->dpy);
}

void TX11Display::WindowTextChanged(HWND hWnd) {
  {
    std::lock_guard lock(impl_->lock);
    auto it = impl_->tops.find(hWnd);
    if (it == impl_->tops.end() || !it->second.managed) return;
  }
  std::string title = GetWindowText(hWnd);
  std::lock_guard lock(impl_->lock);
  auto it = impl_->tops.find(hWnd);
  if (it == impl_->tops.end()) return;
  impl_->SetTitle(it->second, title);
  XFlush(impl_->dpy);
}

void TX11Display::Beep() {
  std::lock_guard lock(impl_->lock);
  XBell(impl_->dpy, 0);
  XFlush(impl_->dpy);
}

TNotificationArea* TX11Display::NotificationArea() { return impl_->tray.get(); }

std::uintptr_t TX11Display::NativeChildWindow(HWND hWnd) {
  HWND top;
  TRect r;
  bool visible, layered, override;
  TRect topRect;
  {
    std::lock_guard tree(wnd_detail::TreeLock());
    wnd_detail::TWindowNode* n = wnd_detail::Node(hWnd);
    if (!n || !n->parent) return 0;
    top = wnd_detail::TopOf(hWnd);
    TPoint o = wnd_detail::TopOrigin(hWnd);
    r = Bounds(o.X, o.Y, std::max(1, n->rect.Width()), std::max(1, n->rect.Height()));
    visible = wnd_detail::ReallyVisible(hWnd);
    DWORD ex = wnd_detail::ExStyleOf(top);
    layered = (ex & WS_EX_LAYERED) != 0;
    override = OverrideRedirectFor(wnd_detail::StyleOf(top), ex, wnd_detail::Node(top)->layered.image != nullptr);
    topRect = wnd_detail::Node(top)->rect;
  }
  std::lock_guard lock(impl_->lock);
  if (auto c = impl_->children.find(hWnd); c != impl_->children.end()) return c->second.window;
  TXTop& t = impl_->EnsureTop(top, layered, override, topRect);
  XSetWindowAttributes a{};
  a.background_pixel = 0;
  a.event_mask = ExposureMask;
  Window w = XCreateWindow(impl_->dpy, t.window, r.Left, r.Top, static_cast<unsigned>(r.Width()),
                           static_cast<unsigned>(r.Height()), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixel | CWEventMask, &a);
  impl_->children[hWnd] = TXChild{w, top};
  if (visible) XMapWindow(impl_->dpy, w);
  XSync(impl_->dpy, False);
  return w;
}

void TX11Display::PumpEvents() {
  XDisplay* d = impl_->dpy;
  char drain[64];
  while (read(impl_->wake_pipe[0], drain, sizeof drain) > 0) {
  }
  while (XPending(d) > 0) {
    XEvent e;
    XNextEvent(d, &e);
    // The input method sees key events first (a composing key never reaches the program).
    if (XFilterEvent(&e, None)) continue;
    if (impl_->tray && impl_->tray->HandleEvent(&e)) continue;
    if (e.type == MappingNotify) {
      XRefreshKeyboardMapping(&e.xmapping);
      continue;
    }
    if (e.type == KeymapNotify) {  // follows each FocusIn: the keys down as the focus came
      impl_->SyncModifiers(e.xkeymap.key_vector, impl_->CapsLockOn());
      continue;
    }
    if (HWND top = impl_->TopOfWindow(e.xany.window)) HandleEvent(top, &e);
  }
  if (impl_->focus_check) {
    impl_->focus_check = false;
    // The focus left one of our windows. When it went to another program (a window manager
    // decides where focus goes), the program is no longer active; moves among our own windows
    // arrive as FocusIn.
    if (impl_->WindowManagerRunning()) {
      Window focus = 0;
      int revert = 0;
      XGetInputFocus(d, &focus, &revert);
      HWND active = GetActiveWindow();
      bool ours = impl_->TopOfWindow(focus) != nullptr;
      bool activeShown;
      {
        std::lock_guard lock(impl_->lock);
        auto it = impl_->tops.find(active);
        activeShown = it != impl_->tops.end() && it->second.mapped && it->second.managed;
      }
      if (!ours && active && activeShown) SetActiveWindow(nullptr);
      // The focus sits on one of our windows that is not the active one, and we wait for no
      // window of our own to take it: a focus change we set aside as stale was the last word.
      HWND focused = impl_->TopOfWindow(focus);
      bool waiting;
      {
        std::lock_guard lock(impl_->lock);
        waiting = std::any_of(impl_->tops.begin(), impl_->tops.end(), [](const auto& t) { return t.second.focus_pending; });
      }
      if (focused && focused != active && !waiting && IsWindowEnabled(focused) && IsWindowVisible(focused) &&
          !IsIconic(focused)) {
        impl_->following_focus = true;
        SetActiveWindow(focused);
        impl_->following_focus = false;
      }
    }
  }
}

void TX11Display::HandleEvent(HWND top, void* Event) {
  XEvent& e = *static_cast<XEvent*>(Event);
  XDisplay* d = impl_->dpy;
  switch (e.type) {
    case Expose: {
      TRect r = Bounds(e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height);
      Present(top, Region(r));
      break;
    }
    case MotionNotify:
      impl_->last_time = e.xmotion.time;
      detail::InjectMouseMove({e.xmotion.x_root, e.xmotion.y_root});
      break;
    case ButtonPress:
    case ButtonRelease: {
      impl_->last_time = e.xbutton.time;
      TPoint p{e.xbutton.x_root, e.xbutton.y_root};
      bool down = e.type == ButtonPress;
      switch (e.xbutton.button) {
        case Button1: detail::InjectMouseButton(detail::TMouseButton::Left, down, p); break;
        case Button2: detail::InjectMouseButton(detail::TMouseButton::Middle, down, p); break;
        case Button3: detail::InjectMouseButton(detail::TMouseButton::Right, down, p); break;
        case Button4: if (down) detail::InjectMouseWheel(WHEEL_DELTA, p); break;
        case Button5: if (down) detail::InjectMouseWheel(-WHEEL_DELTA, p); break;
        default: break;
      }
      break;
    }
    case KeyPress:
    case KeyRelease: {
      impl_->last_time = e.xkey.time;
      KeySym sym = 0;
      std::string text;
      XIC ic = nullptr;
      {
        std::lock_guard lock(impl_->lock);
        auto it = impl_->tops.find(top);
        if (it != impl_->tops.end()) ic = it->second.ic;
      }
      if (e.type == KeyPress && ic) {
        char buffer[64];
        Status status = 0;
        int n = Xutf8LookupString(ic, &e.xkey, buffer, sizeof buffer, &sym, &status);
        if (status == XBufferOverflow) {
          std::string big(static_cast<std::size_t>(n), '\0');
          n = Xutf8LookupString(ic, &e.xkey, big.data(), n, &sym, &status);
          if (status == XLookupChars || status == XLookupBoth) text = big.substr(0, static_cast<std::size_t>(std::max(0, n)));
        } else if (status == XLookupChars || status == XLookupBoth) {
          text.assign(buffer, static_cast<std::size_t>(std::max(0, n)));
        }
        if (status == XLookupChars || status == XLookupNone) sym = 0;
      } else {
        XLookupString(&e.xkey, nullptr, 0, &sym, nullptr);
        if (e.type == KeyPress && !(e.xkey.state & ControlMask)) text = KeySymText(sym);
      }
      // One path makes characters: the text the input method gave, right behind its key (the
      // key message itself makes none), so characters keep the order they were typed in.
      if (WORD vk = VirtualKeyOfEvent(e.xkey, sym)) detail::InjectKey(vk, e.type == KeyPress);
      if (e.type == KeyPress && IsTypedText(text)) detail::InjectText(text);
      break;
    }
    case FocusIn:
    case FocusOut: {
      const int detailKind = e.xfocus.detail;
      if (e.xfocus.mode == NotifyGrab || e.xfocus.mode == NotifyUngrab || detailKind == NotifyPointer ||
          detailKind == NotifyInferior || detailKind == NotifyVirtual || detailKind == NotifyNonlinearVirtual ||
          detailKind == NotifyPointerRoot || detailKind == NotifyDetailNone) {
        break;
      }
      XIC ic = nullptr;
      {
        std::lock_guard lock(impl_->lock);
        auto it = impl_->tops.find(top);
        if (it != impl_->tops.end()) ic = it->second.ic;
      }
      if (e.type == FocusOut) {
        if (ic) XUnsetICFocus(ic);
        impl_->focus_check = true;
        break;
      }
      if (ic) XSetICFocus(ic);
      impl_->ReadModifiers();
      // A focus change that the server made before our last request of our own is stale, and
      // one to another window while the program waits to focus a window it activated is the
      // manager's own idea (it focuses new windows), overtaken by the program's.
      if (e.xfocus.serial < impl_->focus_serial) {
        // Judged again once the batch is read: our later request may have been refused (a
        // manager's focus change with a newer time stamp wins), and then this one stands.
        impl_->focus_check = true;
        break;
      }
      {
        std::lock_guard lock(impl_->lock);
        bool waiting = std::any_of(impl_->tops.begin(), impl_->tops.end(),
                                   [&](const auto& t) { return t.first != top && t.second.focus_pending; });
        if (waiting) break;
      }
      if (!IsWindowEnabled(top)) {
        // The desktop focused a window under a modal dialog (Alt+Tab, a click): the dialog
        // comes to the front with the focus instead.
        detail::ActivateModalPopup(top);
        break;
      }
      if (GetActiveWindow() != top && IsWindowVisible(top) && !IsIconic(top)) {
        // The focus is already there: the activation must not ask for it again (the manager
        // and we would pass it back and forth).
        impl_->following_focus = true;
        SetActiveWindow(top);
        impl_->following_focus = false;
      }
      break;
    }
    case ClientMessage: {
      if (e.xclient.message_type != impl_->atoms.wm_protocols) break;
      auto protocol = static_cast<Atom>(e.xclient.data.l[0]);
      if (protocol == impl_->atoms.wm_delete_window) {
        PostMessage(top, WM_CLOSE, 0, 0);
      } else if (protocol == impl_->atoms.net_wm_ping) {
        e.xclient.window = impl_->root;
        XSendEvent(d, impl_->root, False, SubstructureNotifyMask | SubstructureRedirectMask, &e);
        XFlush(d);
      } else if (protocol == impl_->atoms.wm_take_focus) {
        impl_->last_time = static_cast<Time>(e.xclient.data.l[1]);
        // A disabled window (one under a modal dialog) passes the focus to the active one.
        HWND target = IsWindowEnabled(top) ? top : GetActiveWindow();
        std::lock_guard lock(impl_->lock);
        auto it = impl_->tops.find(target);
        if (it != impl_->tops.end() && it->second.viewable) {
          impl_->focus_serial = NextRequest(d);
          XSetInputFocus(d, it->second.window, RevertToParent, impl_->last_time);
          XFlush(d);
        }
      }
      break;
    }
    case ReparentNotify: {
      std::lock_guard lock(impl_->lock);
      auto it = impl_->tops.find(top);
      if (it != impl_->tops.end()) {
        it->second.reparented = e.xreparent.parent != impl_->root;
        impl_->stacked.clear();  // restack by the new rules next time
      }
      break;
    }
    case MapNotify:
    case UnmapNotify: {
      bool focus = false;
      {
        std::lock_guard lock(impl_->lock);
        auto it = impl_->tops.find(top);
        if (it == impl_->tops.end() || e.xany.window != it->second.window) break;
        it->second.viewable = e.type == MapNotify;
        focus = it->second.viewable && it->second.focus_pending;
        if (focus) it->second.focus_pending = false;
      }
      if (focus && GetActiveWindow() == top) WindowActivated(top);
      break;
    }
    case ConfigureNotify: {
      TRect now;
      {
        std::lock_guard lock(impl_->lock);
        auto it = impl_->tops.find(top);
        if (it == impl_->tops.end() || e.xconfigure.window != it->second.window) break;
        TXTop& t = it->second;
        // Only the window manager moves a managed window besides us; answers to our own older
        // requests are stale.
        if (!t.managed || e.xconfigure.serial < t.configure_serial) break;
        int x = e.xconfigure.x, y = e.xconfigure.y;
        if (!e.xconfigure.send_event && t.reparented) {
          Window child = 0;
          XTranslateCoordinates(d, t.window, impl_->root, 0, 0, &x, &y, &child);
        }
        now = Bounds(x, y, e.xconfigure.width, e.xconfigure.height);
        if (now == t.rect) break;
        t.rect = now;
      }
      TRect known;
      GetWindowRect(top, &known);
      if (known != now && !IsIconic(top)) {
        SetWindowPos(top, nullptr, now.Left, now.Top, now.Width(), now.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    }
    case PropertyNotify: {
      if (e.xproperty.atom != impl_->atoms.wm_state || e.xproperty.state != PropertyNewValue) break;
      Window w;
      {
        std::lock_guard lock(impl_->lock);
        auto it = impl_->tops.find(top);
        if (it == impl_->tops.end() || !it->second.managed || !it->second.mapped) break;
        if (e.xproperty.serial < it->second.state_serial) break;  // about our own older request
        w = it->second.window;
      }
      Atom type = 0;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      long state = -1;
      if (XGetWindowProperty(d, w, impl_->atoms.wm_state, 0, 2, False, impl_->atoms.wm_state, &type, &format, &count,
                             &after, &data) == Success && data) {
        if (format == 32 && count >= 1) state = reinterpret_cast<long*>(data)[0];
        XFree(data);
      }
      if (state == IconicState && !IsIconic(top)) {
        // Iconified by the window manager (its own button, a task bar): the window hears it as
        // the system command, as from a task bar; a program that refuses gets its window back.
        {
          std::lock_guard lock(impl_->lock);
          impl_->tops[top].iconic = true;
        }
        SendMessage(top, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        if (IsWindow(top) && IsWindowVisible(top) && !IsIconic(top)) {
          std::lock_guard lock(impl_->lock);
          auto it = impl_->tops.find(top);
          if (it != impl_->tops.end() && it->second.mapped) {
            it->second.state_serial = NextRequest(d);
            XMapWindow(d, it->second.window);
            it->second.iconic = false;
          }
        }
      } else if (state == NormalState && IsIconic(top)) {
        {
          std::lock_guard lock(impl_->lock);
          impl_->tops[top].iconic = false;
        }
        SendMessage(top, WM_SYSCOMMAND, SC_RESTORE, 0);
        if (IsWindow(top) && IsIconic(top)) {
          std::lock_guard lock(impl_->lock);
          auto it = impl_->tops.find(top);
          if (it != impl_->tops.end() && it->second.mapped) {
            it->second.state_serial = NextRequest(d);
            XIconifyWindow(d, it->second.window, impl_->screen);
            it->second.iconic = true;
          }
        }
      }
      XFlush(d);
      break;
    }
    default:
      break;
  }
}

void TX11Display::WaitEvents(int TimeoutMs) {
  XDisplay* d = impl_->dpy;
  XFlush(d);
  if (XPending(d) > 0) return;
  pollfd fds[2] = {{ConnectionNumber(d), POLLIN, 0}, {impl_->wake_pipe[0], POLLIN, 0}};
  poll(fds, 2, TimeoutMs < 0 ? -1 : TimeoutMs);
}

void TX11Display::Wake() {
  char one = 1;
  [[maybe_unused]] auto written = write(impl_->wake_pipe[1], &one, 1);
}

std::uintptr_t TX11Display::TopLevelWindow(HWND hTop) const {
  std::lock_guard lock(impl_->lock);
  auto it = impl_->tops.find(hTop);
  return it == impl_->tops.end() ? 0 : it->second.window;
}

void* TX11Display::Connection() const { return impl_->dpy; }

void TX11Display::Sync() const { XSync(impl_->dpy, False); }

void TX11Display::UseSharedMemory(bool Use) {
  std::lock_guard lock(impl_->lock);
  impl_->shm_wanted = Use;
  if (!Use) {
    for (auto& [h, t] : impl_->tops) impl_->ReleaseShm(t);
  }
}

bool TX11Display::SharedMemoryInUse() const {
  std::lock_guard lock(impl_->lock);
  return impl_->shm_offered && impl_->shm_wanted;
}

bool TX11Display::HasInputMethod() const {
  std::lock_guard lock(impl_->lock);
  return impl_->im != nullptr;
}
