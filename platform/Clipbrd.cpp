#include "platform/Clipbrd.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/Display.h"
#include "platform/X11Display.h"

#include <poll.h>
#include <unistd.h>
#define Region X11Region
#define Display XDisplay
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#undef Region
#undef Display

namespace {

class TInProcessClipboard final : public TClipboardBackend {
 public:
  std::string GetText() override { return text_; }
  void SetText(const std::string& Text) override { text_ = Text; }

 private:
  std::string text_;
};

// The CLIPBOARD selection of an X server, with text as UTF8_STRING. It keeps a connection and a
// hidden window of its own, served by one thread: it answers other programs' requests while it
// owns the selection, and fetches the text from the owner when asked. Every X call happens on
// that thread; the GUI thread hands it requests and waits at most kFetchTimeout for an answer.
class TX11Clipboard final : public TClipboardBackend {
 public:
  static std::unique_ptr<TX11Clipboard> Open() {
    XDisplay* dpy = XOpenDisplay(nullptr);
    if (!dpy) return nullptr;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
      XCloseDisplay(dpy);
      return nullptr;
    }
    return std::unique_ptr<TX11Clipboard>(new TX11Clipboard(dpy, pipeFds));
  }

  ~TX11Clipboard() override {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    Wake();
    thread_.join();
    XDestroyWindow(dpy_, window_);
    XCloseDisplay(dpy_);
    close(wake_[0]);
    close(wake_[1]);
  }

  std::string GetText() override {
    std::unique_lock lock(mutex_);
    const unsigned ticket = ++fetch_ticket_;
    Wake();
    // The answer comes from the serving thread; a silent owner leaves the text empty.
    cond_.wait_for(lock, kFetchTimeout, [&] { return answered_ticket_ >= ticket; });
    return answered_ticket_ >= ticket ? fetched_ : std::string();
  }

  void SetText(const std::string& Text) override {
    std::unique_lock lock(mutex_);
    owned_text_ = Text;
    const unsigned ticket = ++own_ticket_;
    Wake();
    cond_.wait_for(lock, kFetchTimeout, [&] { return owned_ticket_done_ >= ticket; });
  }

 private:
  static constexpr std::chrono::milliseconds kFetchTimeout{1500};

  TX11Clipboard(XDisplay* dpy, const int pipeFds[2]) : dpy_(dpy) {
    wake_[0] = pipeFds[0];
    wake_[1] = pipeFds[1];
    window_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, 0);
    clipboard_ = XInternAtom(dpy_, "CLIPBOARD", False);
    utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
    targets_ = XInternAtom(dpy_, "TARGETS", False);
    property_ = XInternAtom(dpy_, "CONVERTER_CLIPBOARD", False);
    XFlush(dpy_);
    thread_ = std::thread([this] { Serve(); });
  }

  void Wake() {
    char c = 1;
    (void)!write(wake_[1], &c, 1);
  }

  void Serve() {
    unsigned fetchSeen = 0, ownSeen = 0;
    std::optional<std::chrono::steady_clock::time_point> fetchDeadline;
    for (;;) {
      unsigned fetchWanted, ownWanted;
      {
        std::lock_guard lock(mutex_);
        if (stop_) return;
        fetchWanted = fetch_ticket_;
        ownWanted = own_ticket_;
      }
      if (ownWanted != ownSeen) {
        ownSeen = ownWanted;
        XSetSelectionOwner(dpy_, clipboard_, window_, CurrentTime);
        XFlush(dpy_);
        std::lock_guard lock(mutex_);
        owned_ticket_done_ = ownSeen;
        cond_.notify_all();
      }
      if (fetchWanted != fetchSeen) {
        fetchSeen = fetchWanted;
        if (XGetSelectionOwner(dpy_, clipboard_) == window_) {
          Answer(fetchSeen, OwnedText());
        } else if (XGetSelectionOwner(dpy_, clipboard_) == 0) {
          Answer(fetchSeen, std::string());
        } else {
          XDeleteProperty(dpy_, window_, property_);
          XConvertSelection(dpy_, clipboard_, utf8_, property_, window_, CurrentTime);
          XFlush(dpy_);
          fetchDeadline = std::chrono::steady_clock::now() + kFetchTimeout;
        }
      }
      while (XPending(dpy_)) {
        XEvent e;
        XNextEvent(dpy_, &e);
        if (e.type == SelectionRequest) Respond(e.xselectionrequest);
        if (e.type == SelectionNotify && fetchDeadline) {
          Answer(fetchSeen, e.xselection.property == 0 ? std::string() : ReadProperty());
          fetchDeadline.reset();
        }
      }
      pollfd fds[2] = {{ConnectionNumber(dpy_), POLLIN, 0}, {wake_[0], POLLIN, 0}};
      poll(fds, 2, 100);
      if (fds[1].revents & POLLIN) {
        char buf[64];
        (void)!read(wake_[0], buf, sizeof buf);
      }
      if (fetchDeadline && std::chrono::steady_clock::now() > *fetchDeadline) fetchDeadline.reset();
    }
  }

  std::string OwnedText() {
    std::lock_guard lock(mutex_);
    return owned_text_;
  }

  void Answer(unsigned ticket, std::string text) {
    std::lock_guard lock(mutex_);
    fetched_ = std::move(text);
    answered_ticket_ = ticket;
    cond_.notify_all();
  }

  std::string ReadProperty() {
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(dpy_, window_, property_, 0, 1 << 24, True, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success && data) {
      if (format == 8) out.assign(reinterpret_cast<const char*>(data), count);
      XFree(data);
    }
    return out;
  }

  // Another program asks for our text: as UTF8_STRING (or the plain STRING form), or the list
  // of targets we offer; anything else is refused.
  void Respond(const XSelectionRequestEvent& r) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = r.display;
    reply.requestor = r.requestor;
    reply.selection = r.selection;
    reply.target = r.target;
    reply.time = r.time;
    Atom property = r.property ? r.property : r.target;
    reply.property = 0;
    if (r.target == targets_) {
      Atom offered[3] = {targets_, utf8_, XA_STRING};
      XChangeProperty(dpy_, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(offered), 3);
      reply.property = property;
    } else if (r.target == utf8_ || r.target == XA_STRING) {
      std::string text = OwnedText();
      XChangeProperty(dpy_, r.requestor, property, r.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
      reply.property = property;
    }
    XSendEvent(dpy_, r.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
    XFlush(dpy_);
  }

  XDisplay* dpy_;
  Window window_ = 0;
  Atom clipboard_ = 0, utf8_ = 0, targets_ = 0, property_ = 0;
  int wake_[2] = {-1, -1};
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable cond_;
  bool stop_ = false;
  std::string owned_text_;
  std::string fetched_;
  unsigned fetch_ticket_ = 0, answered_ticket_ = 0;
  unsigned own_ticket_ = 0, owned_ticket_done_ = 0;
};

struct TClipboardState {
  std::unique_ptr<TClipboardBackend> installed;  // set by SetClipboardBackend
  TInProcessClipboard in_process;
  std::unique_ptr<TClipboardBackend> x11;        // made on first use on the X11 display
  bool x11_tried = false;
};

TClipboardState& State() {
  static TClipboardState state;
  return state;
}

// The backend in force: one installed explicitly, else the X server's selection while the X11
// display is in use, else the in-process store.
TClipboardBackend& Backend() {
  TClipboardState& s = State();
  if (s.installed) return *s.installed;
  if (dynamic_cast<TX11Display*>(&Display())) {
    if (!s.x11_tried) {
      s.x11_tried = true;
      s.x11 = TX11Clipboard::Open();
    }
    if (s.x11) return *s.x11;
  }
  return s.in_process;
}

}  // namespace

std::string TClipboard::AsText() const { return Backend().GetText(); }
void TClipboard::SetAsText(const std::string& Value) { Backend().SetText(Value); }

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

std::unique_ptr<TClipboardBackend> SetClipboardBackend(std::unique_ptr<TClipboardBackend> Backend_) {
  std::unique_ptr<TClipboardBackend> previous = std::move(State().installed);
  State().installed = std::move(Backend_);
  return previous;
}

std::unique_ptr<TClipboardBackend> CreateX11ClipboardBackend() { return TX11Clipboard::Open(); }
