#include "platform/x11/X11Tray.h"

#define Region X11Region
#define Display XDisplay
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef Region
#undef Display

#include <algorithm>
#include <string>
#include <vector>

namespace {
constexpr long kRequestDock = 0;
constexpr int kDefaultIconSize = 24;

struct TXIcon {
  HWND hwnd = nullptr;
  UINT id = 0;
  Window window = 0;
  TTrayImage image;
  int width = kDefaultIconSize, height = kDefaultIconSize;
};
}  // namespace

struct TX11Tray::Impl {
  XDisplay* dpy = nullptr;
  int screen = 0;
  Window root = 0;
  Atom selection = 0, opcode = 0, manager = 0, xembed_info = 0;
  Window owner = 0;  // the tray's selection owner (0: none known)
  std::vector<TXIcon> icons;

  TXIcon* Find(HWND h, UINT id) {
    auto it = std::find_if(icons.begin(), icons.end(), [&](const TXIcon& i) { return i.hwnd == h && i.id == id; });
    return it == icons.end() ? nullptr : &*it;
  }
  TXIcon* FindWindow(Window w) {
    auto it = std::find_if(icons.begin(), icons.end(), [&](const TXIcon& i) { return i.window == w; });
    return it == icons.end() ? nullptr : &*it;
  }

  void Watch(Window w) {
    owner = w;
    if (owner) XSelectInput(dpy, owner, StructureNotifyMask);
  }

  void DropIcons() {
    for (TXIcon& i : icons) XDestroyWindow(dpy, i.window);
    icons.clear();
    XFlush(dpy);
  }

  // Draws the icon scaled to its window over the tray's own background (the window's
  // background is its parent's).
  void Paint(TXIcon& icon) {
    const int w = icon.width, h = icon.height;
    if (w <= 0 || h <= 0 || icon.image.width <= 0 || icon.image.height <= 0) return;
    XClearWindow(dpy, icon.window);
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(dpy, icon.window, &attrs) || attrs.map_state != IsViewable) return;
    XImage* image = XGetImage(dpy, icon.window, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image) return;
    if (image->bits_per_pixel == 32) {
      // The picture fills the square in the middle of the window, scaled to the nearest pixel.
      const int side = std::min(w, h);
      const int ox = (w - side) / 2, oy = (h - side) / 2;
      for (int y = 0; y < side; ++y) {
        const int sy = y * icon.image.height / side;
        for (int x = 0; x < side; ++x) {
          const int sx = x * icon.image.width / side;
          const std::uint8_t* s =
              &icon.image.bgra[(static_cast<std::size_t>(sy) * static_cast<std::size_t>(icon.image.width) + static_cast<std::size_t>(sx)) * 4];
          const unsigned a = s[3];
          if (a == 0) continue;
          unsigned long bg = XGetPixel(image, ox + x, oy + y);
          auto mix = [a](unsigned src, unsigned dst) { return (src * a + dst * (255 - a) + 127) / 255; };
          unsigned long r = mix(s[2], (bg >> 16) & 0xFF), g = mix(s[1], (bg >> 8) & 0xFF), b = mix(s[0], bg & 0xFF);
          XPutPixel(image, ox + x, oy + y, (bg & 0xFF000000UL) | (r << 16) | (g << 8) | b);
        }
      }
      GC gc = XCreateGC(dpy, icon.window, 0, nullptr);
      XPutImage(dpy, icon.window, gc, image, 0, 0, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h));
      XFreeGC(dpy, gc);
    }
    XDestroyImage(image);
    XFlush(dpy);
  }
};

TX11Tray::TX11Tray(void* Connection, int Screen) : impl_(std::make_unique<Impl>()) {
  Impl& m = *impl_;
  m.dpy = static_cast<XDisplay*>(Connection);
  m.screen = Screen;
  m.root = RootWindow(m.dpy, Screen);
  m.selection = XInternAtom(m.dpy, ("_NET_SYSTEM_TRAY_S" + std::to_string(Screen)).c_str(), False);
  m.opcode = XInternAtom(m.dpy, "_NET_SYSTEM_TRAY_OPCODE", False);
  m.manager = XInternAtom(m.dpy, "MANAGER", False);
  m.xembed_info = XInternAtom(m.dpy, "_XEMBED_INFO", False);
  // A tray that starts later announces itself to the root window.
  XWindowAttributes attrs;
  long mask = StructureNotifyMask;
  if (XGetWindowAttributes(m.dpy, m.root, &attrs)) mask |= attrs.your_event_mask;
  XSelectInput(m.dpy, m.root, mask);
  m.Watch(XGetSelectionOwner(m.dpy, m.selection));
}

TX11Tray::~TX11Tray() { impl_->DropIcons(); }

bool TX11Tray::Running() {
  Window now = XGetSelectionOwner(impl_->dpy, impl_->selection);
  if (now != impl_->owner) impl_->Watch(now);
  return impl_->owner != 0;
}

bool TX11Tray::ShowIcon(HWND hWnd, UINT Id, const TTrayImage& Image) {
  Impl& m = *impl_;
  if (TXIcon* icon = m.Find(hWnd, Id)) {
    icon->image = Image;
    m.Paint(*icon);
    return true;
  }
  if (!Running()) return false;
  TXIcon icon;
  icon.hwnd = hWnd;
  icon.id = Id;
  icon.image = Image;
  XSetWindowAttributes a{};
  a.background_pixmap = ParentRelative;
  a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | LeaveWindowMask |
                 StructureNotifyMask;
  icon.window = XCreateWindow(m.dpy, m.root, 0, 0, kDefaultIconSize, kDefaultIconSize, 0, CopyFromParent, InputOutput,
                              CopyFromParent, CWBackPixmap | CWEventMask, &a);
  long info[2] = {0 /* protocol version */, 1 /* XEMBED_MAPPED */};
  XChangeProperty(m.dpy, icon.window, m.xembed_info, m.xembed_info, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(info), 2);
  XSizeHints* size = XAllocSizeHints();
  if (size) {
    size->flags = PMinSize | PBaseSize;
    size->min_width = size->min_height = size->base_width = size->base_height = kDefaultIconSize;
    XSetWMNormalHints(m.dpy, icon.window, size);
    XFree(size);
  }
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = m.owner;
  e.xclient.message_type = m.opcode;
  e.xclient.format = 32;
  e.xclient.data.l[0] = CurrentTime;
  e.xclient.data.l[1] = kRequestDock;
  e.xclient.data.l[2] = static_cast<long>(icon.window);
  XSendEvent(m.dpy, m.owner, False, NoEventMask, &e);
  XFlush(m.dpy);
  m.icons.push_back(std::move(icon));
  return true;
}

void TX11Tray::RemoveIcon(HWND hWnd, UINT Id) {
  Impl& m = *impl_;
  auto it = std::find_if(m.icons.begin(), m.icons.end(), [&](const TXIcon& i) { return i.hwnd == hWnd && i.id == Id; });
  if (it == m.icons.end()) return;
  XDestroyWindow(m.dpy, it->window);  // the tray sees its client go
  m.icons.erase(it);
  XFlush(m.dpy);
}

TRect TX11Tray::IconRect(HWND hWnd, UINT Id) {
  Impl& m = *impl_;
  TXIcon* icon = m.Find(hWnd, Id);
  if (!icon) return {};
  XWindowAttributes attrs;
  if (!XGetWindowAttributes(m.dpy, icon->window, &attrs) || attrs.map_state != IsViewable) return {};
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(m.dpy, icon->window, m.root, 0, 0, &x, &y, &child);
  return Bounds(x, y, attrs.width, attrs.height);
}

unsigned long TX11Tray::IconWindow(HWND hWnd, UINT Id) const {
  TXIcon* icon = impl_->Find(hWnd, Id);
  return icon ? icon->window : 0;
}

bool TX11Tray::HandleEvent(void* Event) {
  Impl& m = *impl_;
  XEvent& e = *static_cast<XEvent*>(Event);
  if (e.type == ClientMessage && e.xclient.window == m.root && e.xclient.message_type == m.manager &&
      static_cast<Atom>(e.xclient.data.l[1]) == m.selection) {
    // A tray took the selection: whatever the old one held is gone.
    m.DropIcons();
    m.Watch(static_cast<Window>(e.xclient.data.l[2]));
    detail::TrayAreaAppeared();
    return true;
  }
  if (e.type == DestroyNotify && m.owner && e.xdestroywindow.window == m.owner) {
    m.owner = 0;
    m.DropIcons();
    detail::TrayAreaVanished();
    return true;
  }
  TXIcon* icon = m.FindWindow(e.xany.window);
  if (!icon) return false;
  const HWND h = icon->hwnd;
  const UINT id = icon->id;
  switch (e.type) {
    case Expose:
      if (e.xexpose.count == 0) m.Paint(*icon);
      break;
    case ConfigureNotify:
      icon->width = e.xconfigure.width;
      icon->height = e.xconfigure.height;
      break;
    case MotionNotify:
      detail::TrayMouse(h, id, WM_MOUSEMOVE, {e.xmotion.x_root, e.xmotion.y_root});
      break;
    case ButtonPress:
    case ButtonRelease: {
      const bool down = e.type == ButtonPress;
      UINT msg = 0;
      switch (e.xbutton.button) {
        case Button1: msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case Button2: msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        case Button3: msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        default: break;
      }
      if (msg) detail::TrayMouse(h, id, msg, {e.xbutton.x_root, e.xbutton.y_root});
      break;
    }
    case LeaveNotify:
      detail::TrayMouseLeave(h, id);
      break;
    case DestroyNotify:
      // Destroyed with a tray that did not keep it: forgotten here; the tray's own going
      // reports the rest.
      std::erase_if(m.icons, [&](const TXIcon& i) { return i.window == e.xdestroywindow.window; });
      break;
    default:
      break;
  }
  return true;
}
