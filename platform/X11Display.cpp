#include "platform/X11Display.h"

// Xlib names types Region and Display as we name a class and a function: keep its names out of
// the way (XDisplay is Xlib's connection type below).
#define Region X11Region
#define Display XDisplay
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#undef Region
#undef Display
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/Input.h"
#include "platform/LayeredWindow.h"
#include "platform/Messages.h"
#include "platform/Surface.h"
#include "platform/WindowNode.h"
#include "platform/WindowTree.h"

// NOTE: Xlib's headers define None, Bool, Status and friends as macros; nothing below this
// point may use those names for its own things.

namespace {

struct TXTop {
  Window window = 0;
  bool argb = false;  // made with the 32-bit visual (layered)
  bool mapped = false;
  TRect rect;
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

// True for characters TranslateMessage already makes from the key's virtual-key code.
bool TranslatedFromKey(KeySym sym) {
  return (sym >= XK_a && sym <= XK_z) || (sym >= XK_0 && sym <= XK_9) || sym == XK_space || sym == XK_Return ||
         sym == XK_Tab || sym == XK_BackSpace || sym == XK_Escape || (sym >= XK_KP_0 && sym <= XK_KP_9);
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

}  // namespace

struct TX11Display::Impl {
  XDisplay* dpy = nullptr;
  int screen = 0;
  int wake_pipe[2] = {-1, -1};
  bool shape = false;
  XVisualInfo argb_visual{};
  bool has_argb = false;
  Colormap argb_colormap = 0;
  mutable std::recursive_mutex lock;  // guards the maps below
  std::unordered_map<HWND, TXTop> tops;
  std::unordered_map<HWND, TXChild> children;
  std::unordered_map<Window, HWND> by_window;
  Cursor cursor = 0;

  ~Impl() {
    if (dpy) {
      for (auto& [h, t] : children) XDestroyWindow(dpy, t.window);
      for (auto& [h, t] : tops) XDestroyWindow(dpy, t.window);
      if (cursor) XFreeCursor(dpy, cursor);
      if (argb_colormap) XFreeColormap(dpy, argb_colormap);
      XCloseDisplay(dpy);
    }
    for (int fd : wake_pipe) {
      if (fd >= 0) close(fd);
    }
  }

  // Makes (or remakes, when the layering changed) the X window of a top-level.
  TXTop& EnsureTop(HWND top, bool layered, const TRect& r) {
    TXTop& t = tops[top];
    bool argb = layered && has_argb;
    if (t.window && t.argb == argb) return t;
    if (t.window) {
      by_window.erase(t.window);
      XDestroyWindow(dpy, t.window);
      t = TXTop{};
    }
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                   KeyReleaseMask | StructureNotifyMask;
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
    t.window = XCreateWindow(dpy, RootWindow(dpy, screen), r.Left, r.Top, static_cast<unsigned>(std::max(1, r.Width())),
                             static_cast<unsigned>(std::max(1, r.Height())), 0, depth, InputOutput, visual, mask, &a);
    t.argb = argb;
    t.rect = r;
    if (cursor) XDefineCursor(dpy, t.window, cursor);
    by_window[t.window] = top;
    return t;
  }

  void ApplyShape(Window w, const std::optional<Region>& region) {
    if (!shape) return;
    if (!region) {
      XShapeCombineMask(dpy, w, ShapeBounding, 0, 0, 0, ShapeSet);
      return;
    }
    std::vector<XRectangle> rects;
    for (const TRect& r : region->Rects()) {
      rects.push_back(XRectangle{static_cast<short>(r.Left), static_cast<short>(r.Top),
                                 static_cast<unsigned short>(r.Width()), static_cast<unsigned short>(r.Height())});
    }
    XShapeCombineRectangles(dpy, w, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()), ShapeSet,
                            Unsorted);
  }

  // Writes part of a 32-bit picture into an X window.
  void PutPixels(Window w, int depth, const PixelSurface& pixels, const TRect& part) {
    TRect r{std::max(0, part.Left), std::max(0, part.Top), std::min(pixels.Width(), part.Right),
            std::min(pixels.Height(), part.Bottom)};
    if (r.IsEmpty()) return;
    Visual* visual = depth == 32 ? argb_visual.visual : DefaultVisual(dpy, screen);
    XImage* image = XCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(pixels.Row(r.Top) + static_cast<std::size_t>(r.Left) * 4),
                                 static_cast<unsigned>(r.Width()), static_cast<unsigned>(r.Height()), 32,
                                 static_cast<int>(pixels.Stride()));
    if (!image) return;
    GC gc = XCreateGC(dpy, w, 0, nullptr);
    XPutImage(dpy, w, gc, image, 0, 0, r.Left, r.Top, static_cast<unsigned>(r.Width()), static_cast<unsigned>(r.Height()));
    XFreeGC(dpy, gc);
    image->data = nullptr;  // the pixels belong to the surface
    XDestroyImage(image);
  }
};

std::unique_ptr<TX11Display> TX11Display::Open(const char* DisplayName) {
  static std::once_flag threads;
  std::call_once(threads, [] { XInitThreads(); });
  auto impl = std::make_unique<Impl>();
  impl->dpy = XOpenDisplay(DisplayName);
  if (!impl->dpy) return nullptr;
  impl->screen = DefaultScreen(impl->dpy);
  if (pipe(impl->wake_pipe) != 0) return nullptr;
  for (int fd : impl->wake_pipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  int event_base = 0, error_base = 0;
  impl->shape = XShapeQueryExtension(impl->dpy, &event_base, &error_base) != 0;
  if (XMatchVisualInfo(impl->dpy, impl->screen, 32, TrueColor, &impl->argb_visual)) {
    impl->has_argb = true;
    impl->argb_colormap = XCreateColormap(impl->dpy, RootWindow(impl->dpy, impl->screen), impl->argb_visual.visual, AllocNone);
  }
  return std::unique_ptr<TX11Display>(new TX11Display(std::move(impl)));
}

TX11Display::TX11Display(std::unique_ptr<Impl> AImpl) : impl_(std::move(AImpl)) {}
TX11Display::~TX11Display() = default;

std::vector<TMonitorDesc> TX11Display::Monitors() const {
  // Without RandR the X screen is the one monitor.
  TRect r{0, 0, DisplayWidth(impl_->dpy, impl_->screen), DisplayHeight(impl_->dpy, impl_->screen)};
  return {TMonitorDesc{r, r, true}};
}

void TX11Display::WindowChanged(HWND hWnd) {
  HWND top;
  TRect rect;
  bool visible, layered;
  std::optional<Region> region;
  std::vector<HWND> order;
  std::vector<std::pair<HWND, TRect>> childWindows;  // native children: top coordinates, visible
  {
    std::lock_guard tree(wnd_detail::TreeLock());
    top = wnd_detail::TopOf(hWnd);
    wnd_detail::TWindowNode* n = wnd_detail::Node(top);
    if (!n || n->message_only) return;
    rect = n->rect;
    visible = wnd_detail::ReallyVisible(top);
    layered = (wnd_detail::ExStyleOf(top) & WS_EX_LAYERED) != 0;
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
  std::lock_guard lock(impl_->lock);
  XDisplay* d = impl_->dpy;
  auto it = impl_->tops.find(top);
  if (!visible) {
    if (it != impl_->tops.end() && it->second.mapped) {
      XUnmapWindow(d, it->second.window);
      it->second.mapped = false;
      XFlush(d);
    }
    return;
  }
  TXTop& t = impl_->EnsureTop(top, layered, rect);
  XMoveResizeWindow(d, t.window, rect.Left, rect.Top, static_cast<unsigned>(std::max(1, rect.Width())),
                    static_cast<unsigned>(std::max(1, rect.Height())));
  t.rect = rect;
  impl_->ApplyShape(t.window, region);
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
    XMapWindow(d, t.window);
    t.mapped = true;
  }
  // Stack the shown top-levels as the tree orders them (top first).
  std::vector<Window> stack;
  for (HWND h : order) {
    auto f = impl_->tops.find(h);
    if (f != impl_->tops.end() && f->second.mapped) stack.push_back(f->second.window);
  }
  if (!stack.empty()) {
    XRaiseWindow(d, stack.front());
    XRestackWindows(d, stack.data(), static_cast<int>(stack.size()));
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
    impl_->by_window.erase(t->second.window);
    XDestroyWindow(impl_->dpy, t->second.window);
    impl_->tops.erase(t);
  }
  XFlush(impl_->dpy);
}

void TX11Display::Present(HWND hTop, const Region& Dirty) {
  bool layered;
  std::shared_ptr<PixelSurface> pixels;
  {
    std::lock_guard tree(wnd_detail::TreeLock());
    wnd_detail::TWindowNode* n = wnd_detail::Node(hTop);
    if (!n || n->parent) return;
    layered = (wnd_detail::ExStyleOf(hTop) & WS_EX_LAYERED) != 0;
    pixels = n->back;
  }
  if (layered) pixels = ComposeTopLevel(hTop);  // premultiplied, alpha included
  if (!pixels) return;
  std::lock_guard lock(impl_->lock);
  auto it = impl_->tops.find(hTop);
  if (it == impl_->tops.end() || !it->second.mapped) return;
  // Unlayered pixels carry alpha 0 from the drawing calls; a 24-bit visual ignores it.
  const std::shared_ptr<PixelSurface>& opaque = pixels;
  for (const TRect& r : (layered ? Region(TRect{0, 0, pixels->Width(), pixels->Height()}) : Dirty).Rects()) {
    impl_->PutPixels(it->second.window, it->second.argb ? 32 : DefaultDepth(impl_->dpy, impl_->screen), *opaque, r);
  }
  XFlush(impl_->dpy);
}

TPoint TX11Display::CursorPos() const {
  Window root, child;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  XQueryPointer(impl_->dpy, RootWindow(impl_->dpy, impl_->screen), &root, &child, &rx, &ry, &wx, &wy, &mask);
  return {rx, ry};
}

void TX11Display::SetCursorPos(TPoint Pos) {
  TPoint now = CursorPos();
  if (now == Pos) return;
  XWarpPointer(impl_->dpy, 0, RootWindow(impl_->dpy, impl_->screen), 0, 0, 0, 0, Pos.X, Pos.Y);
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

std::uintptr_t TX11Display::NativeChildWindow(HWND hWnd) {
  HWND top;
  TRect r;
  bool visible, layered;
  TRect topRect;
  {
    std::lock_guard tree(wnd_detail::TreeLock());
    wnd_detail::TWindowNode* n = wnd_detail::Node(hWnd);
    if (!n || !n->parent) return 0;
    top = wnd_detail::TopOf(hWnd);
    TPoint o = wnd_detail::TopOrigin(hWnd);
    r = Bounds(o.X, o.Y, std::max(1, n->rect.Width()), std::max(1, n->rect.Height()));
    visible = wnd_detail::ReallyVisible(hWnd);
    layered = (wnd_detail::ExStyleOf(top) & WS_EX_LAYERED) != 0;
    topRect = wnd_detail::Node(top)->rect;
  }
  std::lock_guard lock(impl_->lock);
  if (auto c = impl_->children.find(hWnd); c != impl_->children.end()) return c->second.window;
  TXTop& t = impl_->EnsureTop(top, layered, topRect);
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
    HWND top = nullptr;
    {
      std::lock_guard lock(impl_->lock);
      auto it = impl_->by_window.find(e.xany.window);
      if (it != impl_->by_window.end()) top = it->second;
    }
    if (!top) continue;
    switch (e.type) {
      case Expose: {
        TRect r = Bounds(e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height);
        Present(top, Region(r));
        break;
      }
      case MotionNotify:
        detail::InjectMouseMove({e.xmotion.x_root, e.xmotion.y_root});
        break;
      case ButtonPress:
      case ButtonRelease: {
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
        char text[32] = {};
        KeySym sym = 0;
        int n = XLookupString(&e.xkey, text, sizeof text - 1, &sym, nullptr);
        if (WORD vk = VirtualKeyOf(sym)) detail::InjectKey(vk, e.type == KeyPress);
        if (e.type == KeyPress && n > 0 && !TranslatedFromKey(sym) && static_cast<unsigned char>(text[0]) >= 0x20) {
          detail::InjectText(std::string(text, static_cast<std::size_t>(n)));
        }
        break;
      }
      default:
        break;
    }
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
