// The clipboard on the CLIPBOARD selection of an X server: text as UTF8_STRING (or STRING),
// pictures as image/png (or image/bmp), large transfers in increments (INCR) both ways.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "platform/graphics/BmpCodec.h"
#include "platform/x11/Clipbrd.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/PngImage.h"

#include <poll.h>
#include <unistd.h>
#define Region X11Region
#define Display XDisplay
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#undef Region
#undef Display

// NOTE: Xlib's headers define None, Bool and Status as macros; nothing below uses those names.

namespace {

// ---- X errors ---------------------------------------------------------------------------------
// A requestor may go away while we answer it (its window destroyed between its request and our
// reply, or halfway through an incremental transfer): errors on the clipboard's own connections
// are expected and dropped; others go to the handler that was there before.
std::mutex g_connections_lock;
std::set<XDisplay*> g_connections;
int (*g_previous_handler)(XDisplay*, XErrorEvent*) = nullptr;

int ClipboardErrorHandler(XDisplay* d, XErrorEvent* e) {
  {
    std::lock_guard lock(g_connections_lock);
    if (g_connections.count(d)) return 0;
  }
  return g_previous_handler ? g_previous_handler(d, e) : 0;
}

void AddConnection(XDisplay* d) {
  static std::once_flag once;
  std::call_once(once, [] { g_previous_handler = XSetErrorHandler(ClipboardErrorHandler); });
  std::lock_guard lock(g_connections_lock);
  g_connections.insert(d);
}

void RemoveConnection(XDisplay* d) {
  std::lock_guard lock(g_connections_lock);
  g_connections.erase(d);
}

using TBytes = std::vector<std::uint8_t>;

// Pixels of a decoded picture (B, G, R, A rows) as a surface; nullptr for an empty one.
std::shared_ptr<const PixelSurface> SurfaceOf(int Width, int Height, const TBytes& Bgra) {
  if (Width <= 0 || Height <= 0 || Bgra.size() != static_cast<std::size_t>(Width) * Height * 4) return nullptr;
  std::shared_ptr<PixelSurface> s = PixelSurface::Create(Width, Height, 32);
  if (!s) return nullptr;
  for (int y = 0; y < Height; ++y) std::memcpy(s->Row(y), Bgra.data() + static_cast<std::size_t>(y) * Width * 4, Width * 4u);
  return s;
}

// STRING text (ISO 8859-1) as UTF-8.
std::string Latin1ToUtf8(const TBytes& Bytes) {
  std::string out;
  for (std::uint8_t b : Bytes) {
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

// The surface's pixels as tightly packed B, G, R, A rows.
TBytes BgraOf(const PixelSurface& S) {
  TBytes out(static_cast<std::size_t>(S.Width()) * S.Height() * 4);
  for (int y = 0; y < S.Height(); ++y) std::memcpy(out.data() + static_cast<std::size_t>(y) * S.Width() * 4, S.Row(y), S.Width() * 4u);
  return out;
}

// What the clipboard holds while we own the selection: a picture, else text.
struct TContent {
  std::string text;
  std::shared_ptr<const PixelSurface> picture;
};

enum class TKind { Text, Picture };

// What a fetch brings back.
struct TAnswer {
  std::string text;
  std::shared_ptr<const PixelSurface> picture;
};

// The CLIPBOARD selection with a connection and a hidden window of its own, served by one
// thread: it answers other programs' requests while it owns the selection, and fetches the
// content from the owner when asked. Every X call happens on that thread; the GUI thread hands
// it requests and waits for the answer as long as the transfer moves (kFetchTimeout at most
// between two steps).
//
// Each request to an owner names a property of its own (from a ring of kPropertyRing names): an
// owner that answers a request we gave up on writes into a property no later request reads, so a
// late answer is never taken for the answer of the fetch after it; its data is thrown away.
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
    RemoveConnection(dpy_);
    close(wake_[0]);
    close(wake_[1]);
  }

  std::string GetText() override { return Fetch(TKind::Text).text; }
  void SetText(const std::string& Text) override { Own({Text, nullptr}); }
  std::shared_ptr<const PixelSurface> GetPicture() override { return Fetch(TKind::Picture).picture; }
  void SetPicture(std::shared_ptr<const PixelSurface> Picture) override { Own({std::string(), std::move(Picture)}); }

 private:
  static constexpr std::chrono::milliseconds kFetchTimeout{1500};
  // Property names the requests to owners take in turn; a late answer lands in a name no request
  // in progress uses unless that many requests were given up on since.
  static constexpr int kPropertyRing = 8;
  // Answers larger than an increment go in increments (ICCCM leaves the size to the owner): at
  // most this, less when the server takes smaller requests.
  static constexpr std::size_t kIncrementSize = 256 * 1024;
  // An incremental transfer whose requestor has not taken a piece for this long is dropped.
  static constexpr std::chrono::seconds kOutgoingTimeout{10};

  // An answer being sent in increments to one requestor's property.
  struct TOutgoing {
    Window requestor;
    Atom property, type;
    std::shared_ptr<const TBytes> data;
    std::size_t sent = 0;
    bool finished = false;  // the closing empty increment went out
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
  };

  // The fetch in progress on the serving thread.
  struct TIncoming {
    unsigned ticket = 0;
    TKind kind = TKind::Text;
    std::vector<Atom> targets;  // in order of preference
    std::size_t next = 0;       // the target asked for now
    Atom property = 0;          // where the owner puts the answer to the request in progress
    bool incremental = false;
    TBytes data;
    std::chrono::steady_clock::time_point deadline;
  };

  TX11Clipboard(XDisplay* dpy, const int pipeFds[2]) : dpy_(dpy) {
    AddConnection(dpy_);
    wake_[0] = pipeFds[0];
    wake_[1] = pipeFds[1];
    window_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(dpy_, window_, PropertyChangeMask);
    increment_size_ = std::min<std::size_t>(kIncrementSize, static_cast<std::size_t>(XMaxRequestSize(dpy_)) * 4 - 1024);
    clipboard_ = XInternAtom(dpy_, "CLIPBOARD", False);
    utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
    targets_ = XInternAtom(dpy_, "TARGETS", False);
    incr_ = XInternAtom(dpy_, "INCR", False);
    png_ = XInternAtom(dpy_, "image/png", False);
    bmp_ = XInternAtom(dpy_, "image/bmp", False);
    char names[kPropertyRing][32];
    char* pointers[kPropertyRing];
    for (int i = 0; i < kPropertyRing; ++i) {
      std::snprintf(names[i], sizeof names[i], "CONVERTER_CLIPBOARD_%d", i);
      pointers[i] = names[i];
    }
    XInternAtoms(dpy_, pointers, kPropertyRing, False, properties_);
    XFlush(dpy_);
    thread_ = std::thread([this] { Serve(); });
  }

  void Wake() {
    char c = 1;
    (void)!write(wake_[1], &c, 1);
  }

  // ---- the GUI thread's side ----

  TAnswer Fetch(TKind Kind) {
    std::unique_lock lock(mutex_);
    const unsigned ticket = ++fetch_ticket_;
    fetch_kind_ = Kind;
    Wake();
    // The answer comes from the serving thread; a silent owner leaves it empty. A large answer
    // arriving in increments may take longer than kFetchTimeout as a whole: each step it takes
    // gives it kFetchTimeout more.
    for (unsigned seen = fetch_progress_; answered_ticket_ < ticket; seen = fetch_progress_) {
      if (!cond_.wait_for(lock, kFetchTimeout, [&] { return answered_ticket_ >= ticket || fetch_progress_ != seen; })) break;
    }
    return answered_ticket_ >= ticket ? fetched_ : TAnswer{};
  }

  void Own(TContent Content) {
    std::unique_lock lock(mutex_);
    owned_ = std::move(Content);
    ++owned_generation_;
    const unsigned ticket = ++own_ticket_;
    Wake();
    cond_.wait_for(lock, kFetchTimeout, [&] { return owned_ticket_done_ >= ticket; });
  }

  // ---- the serving thread ----

  void Serve() {
    unsigned fetchSeen = 0, ownSeen = 0;
    for (;;) {
      unsigned fetchWanted, ownWanted;
      TKind kind;
      {
        std::lock_guard lock(mutex_);
        if (stop_) return;
        fetchWanted = fetch_ticket_;
        ownWanted = own_ticket_;
        kind = fetch_kind_;
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
        StartFetch(fetchSeen, kind);
      }
      while (XPending(dpy_)) {
        XEvent e;
        XNextEvent(dpy_, &e);
        if (e.type == SelectionRequest) Respond(e.xselectionrequest);
        if (e.type == SelectionNotify) Converted(e.xselection);
        if (e.type == PropertyNotify) PropertyChanged(e.xproperty);
      }
      pollfd fds[2] = {{ConnectionNumber(dpy_), POLLIN, 0}, {wake_[0], POLLIN, 0}};
      poll(fds, 2, 100);
      if (fds[1].revents & POLLIN) {
        char buf[64];
        (void)!read(wake_[0], buf, sizeof buf);
      }
      const auto now = std::chrono::steady_clock::now();
      if (incoming_ && now > incoming_->deadline) {
        Answer(incoming_->ticket, {});  // the owner went silent
        incoming_.reset();
      }
      std::erase_if(outgoing_, [&](const TOutgoing& o) { return now - o.last > kOutgoingTimeout; });
    }
  }

  TContent OwnedContent(unsigned* Generation = nullptr) {
    std::lock_guard lock(mutex_);
    if (Generation) *Generation = owned_generation_;
    return owned_;
  }

  void Answer(unsigned Ticket, TAnswer Result) {
    std::lock_guard lock(mutex_);
    fetched_ = std::move(Result);
    answered_ticket_ = Ticket;
    cond_.notify_all();
  }

  // The fetch in progress took a step: it has kFetchTimeout for the next one.
  void Progressed() {
    incoming_->deadline = std::chrono::steady_clock::now() + kFetchTimeout;
    std::lock_guard lock(mutex_);
    ++fetch_progress_;
    cond_.notify_all();
  }

  void StartFetch(unsigned Ticket, TKind Kind) {
    incoming_.reset();
    const Window owner = XGetSelectionOwner(dpy_, clipboard_);
    if (owner == window_) {
      TContent c = OwnedContent();
      Answer(Ticket, Kind == TKind::Text ? TAnswer{c.picture ? std::string() : c.text, nullptr}
                                         : TAnswer{std::string(), c.picture});
      return;
    }
    if (owner == 0) {
      Answer(Ticket, {});
      return;
    }
    TIncoming in;
    in.ticket = Ticket;
    in.kind = Kind;
    in.targets = Kind == TKind::Text ? std::vector<Atom>{utf8_, XA_STRING} : std::vector<Atom>{png_, bmp_};
    incoming_ = std::move(in);
    AskNext();
  }

  // Asks the owner for the next target of the fetch, or answers empty when none is left.
  void AskNext() {
    if (incoming_->next >= incoming_->targets.size()) {
      Answer(incoming_->ticket, {});
      incoming_.reset();
      return;
    }
    incoming_->incremental = false;
    incoming_->data.clear();
    incoming_->deadline = std::chrono::steady_clock::now() + kFetchTimeout;
    incoming_->property = properties_[next_property_];
    next_property_ = (next_property_ + 1) % kPropertyRing;
    XDeleteProperty(dpy_, window_, incoming_->property);
    XConvertSelection(dpy_, clipboard_, incoming_->targets[incoming_->next], incoming_->property, window_, CurrentTime);
    XFlush(dpy_);
  }

  bool OurProperty(Atom Property) const {
    return std::find(std::begin(properties_), std::end(properties_), Property) != std::end(properties_);
  }

  // The answer to a request we gave up on: its data goes, which also lets an owner sending it in
  // increments go on to the end.
  void DropLateAnswer(Atom Property) {
    XDeleteProperty(dpy_, window_, Property);
    XFlush(dpy_);
  }

  void Converted(const XSelectionEvent& e) {
    if (e.requestor != window_ || e.selection != clipboard_) return;
    const bool current = incoming_ && e.target == incoming_->targets[incoming_->next] &&
                         (e.property == 0 || e.property == incoming_->property);
    if (!current) {
      if (e.property != 0 && OurProperty(e.property) && !(incoming_ && e.property == incoming_->property)) {
        DropLateAnswer(e.property);
      }
      return;
    }
    if (e.property == 0) {
      ++incoming_->next;  // refused: the next form
      AskNext();
      return;
    }
    Atom type = 0;
    TBytes data = TakeProperty(incoming_->property, &type);
    if (type == incr_) {
      incoming_->incremental = true;  // the pieces follow, each as a new value of the property
      Progressed();
      return;
    }
    Finish(std::move(data));
  }

  void PropertyChanged(const XPropertyEvent& e) {
    if (e.window == window_) {
      if (e.state != PropertyNewValue || !OurProperty(e.atom)) return;
      if (!incoming_ || e.atom != incoming_->property) {
        DropLateAnswer(e.atom);  // a piece of an answer we gave up on
        return;
      }
      if (!incoming_->incremental) return;  // the answer itself: read when the owner says so
      TBytes piece = TakeProperty(incoming_->property, nullptr);
      if (piece.empty()) {
        Finish(std::move(incoming_->data));
        return;
      }
      incoming_->data.insert(incoming_->data.end(), piece.begin(), piece.end());
      Progressed();
      return;
    }
    if (e.state == PropertyDelete) SendNextIncrement(e.window, e.atom);
  }

  // Reads and deletes one of our properties, however large.
  TBytes TakeProperty(Atom Property, Atom* TypeOut) {
    TBytes out;
    long offset = 0;
    for (;;) {
      Atom type = 0;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(dpy_, window_, Property, offset, 1 << 20, False, AnyPropertyType, &type, &format, &count,
                             &after, &data) != Success) {
        break;
      }
      if (TypeOut) *TypeOut = type;
      const std::size_t bytes = count * static_cast<std::size_t>(format == 32 ? sizeof(long) : format / 8);
      if (data) {
        out.insert(out.end(), data, data + bytes);
        XFree(data);
      }
      if (after == 0 || bytes == 0) break;
      offset += static_cast<long>(bytes / 4);
    }
    XDeleteProperty(dpy_, window_, Property);
    XFlush(dpy_);
    return out;
  }

  // Turns the bytes of the target asked for into the answer; bytes that do not decode make the
  // next target asked for.
  void Finish(TBytes Data) {
    const Atom target = incoming_->targets[incoming_->next];
    TAnswer result;
    try {
      if (incoming_->kind == TKind::Text) {
        result.text = target == XA_STRING ? Latin1ToUtf8(Data) : std::string(Data.begin(), Data.end());
      } else if (target == png_) {
        pngcodec::Image image = pngcodec::Decode(Data.data(), Data.size(), nullptr);
        result.picture = SurfaceOf(image.width, image.height, image.bgra);
      } else {
        bmp::Image image = bmp::Decode(Data.data(), Data.size(), nullptr);
        // Only a 32-bit picture carries alpha, and one whose alpha is all 0 was drawn without it.
        bool alpha = false;
        for (std::size_t i = 3; image.bitsPerPixel == 32 && !alpha && i < image.bgra.size(); i += 4) {
          alpha = image.bgra[i] != 0;
        }
        if (!alpha) {
          for (std::size_t i = 3; i < image.bgra.size(); i += 4) image.bgra[i] = 255;
        }
        result.picture = SurfaceOf(image.width, image.height, image.bgra);
      }
    } catch (const EInvalidGraphic&) {
      ++incoming_->next;
      AskNext();
      return;
    }
    Answer(incoming_->ticket, std::move(result));
    incoming_.reset();
  }

  // The bytes we offer as Target, encoded once per content; nullptr when we do not offer it.
  std::shared_ptr<const TBytes> Offer(Atom Target) {
    unsigned generation = 0;
    TContent c = OwnedContent(&generation);
    if (generation != encoded_generation_) {
      encoded_.clear();
      encoded_generation_ = generation;
    }
    if (!c.picture) {
      if (Target != utf8_ && Target != XA_STRING) return nullptr;
      return std::make_shared<const TBytes>(c.text.begin(), c.text.end());
    }
    if (Target != png_ && Target != bmp_) return nullptr;
    auto cached = encoded_.find(Target);
    if (cached != encoded_.end()) return cached->second;
    TBytes bytes;
    if (Target == png_) {
      pngcodec::Image image;
      image.width = c.picture->Width();
      image.height = c.picture->Height();
      image.bgra = BgraOf(*c.picture);
      bytes = pngcodec::Encode(image);
    } else {
      bmp::Image image;
      image.width = c.picture->Width();
      image.height = c.picture->Height();
      image.bitsPerPixel = 32;
      image.bgra = BgraOf(*c.picture);
      bytes = bmp::Encode(image);
    }
    auto shared = std::make_shared<const TBytes>(std::move(bytes));
    encoded_[Target] = shared;
    return shared;
  }

  // Another program asks for our content in one of its forms, or for the list of forms we
  // offer; anything else is refused.
  void Respond(const XSelectionRequestEvent& r) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = r.display;
    reply.requestor = r.requestor;
    reply.selection = r.selection;
    reply.target = r.target;
    reply.time = r.time;
    const Atom property = r.property ? r.property : r.target;
    reply.property = 0;
    if (r.target == targets_) {
      const bool picture = OwnedContent().picture != nullptr;
      Atom offered[3] = {targets_, picture ? png_ : utf8_, picture ? bmp_ : XA_STRING};
      XChangeProperty(dpy_, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(offered), 3);
      reply.property = property;
    } else if (std::shared_ptr<const TBytes> data = Offer(r.target)) {
      if (data->size() > increment_size_) {
        // Announced with its size; the pieces go out as the requestor deletes each one.
        XSelectInput(dpy_, r.requestor, PropertyChangeMask);
        long size = static_cast<long>(data->size());
        XChangeProperty(dpy_, r.requestor, property, incr_, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&size), 1);
        std::erase_if(outgoing_, [&](const TOutgoing& o) { return o.requestor == r.requestor && o.property == property; });
        outgoing_.push_back({r.requestor, property, r.target, data});
      } else {
        XChangeProperty(dpy_, r.requestor, property, r.target, 8, PropModeReplace, data->data(),
                        static_cast<int>(data->size()));
      }
      reply.property = property;
    }
    XSendEvent(dpy_, r.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
    XFlush(dpy_);
  }

  // The requestor took a piece (deleted the property): the next one, then an empty one.
  void SendNextIncrement(Window Requestor, Atom Property) {
    auto it = std::find_if(outgoing_.begin(), outgoing_.end(),
                           [&](const TOutgoing& o) { return o.requestor == Requestor && o.property == Property; });
    if (it == outgoing_.end()) return;
    if (it->finished) {
      outgoing_.erase(it);
      const bool more = std::any_of(outgoing_.begin(), outgoing_.end(), [&](const TOutgoing& o) { return o.requestor == Requestor; });
      if (!more) XSelectInput(dpy_, Requestor, NoEventMask);
      XFlush(dpy_);
      return;
    }
    const std::size_t n = std::min(increment_size_, it->data->size() - it->sent);
    XChangeProperty(dpy_, Requestor, Property, it->type, 8, PropModeReplace, it->data->data() + it->sent,
                    static_cast<int>(n));
    it->sent += n;
    it->finished = n == 0;
    it->last = std::chrono::steady_clock::now();
    XFlush(dpy_);
  }

  XDisplay* dpy_;
  Window window_ = 0;
  Atom clipboard_ = 0, utf8_ = 0, targets_ = 0, incr_ = 0, png_ = 0, bmp_ = 0;
  Atom properties_[kPropertyRing] = {};
  int wake_[2] = {-1, -1};
  std::thread thread_;

  // Shared with the GUI thread, under mutex_.
  std::mutex mutex_;
  std::condition_variable cond_;
  bool stop_ = false;
  TContent owned_;
  unsigned owned_generation_ = 0;  // counts the changes of owned_
  TAnswer fetched_;
  TKind fetch_kind_ = TKind::Text;
  unsigned fetch_ticket_ = 0, answered_ticket_ = 0;
  unsigned fetch_progress_ = 0;  // counts the steps of the fetches' transfers
  unsigned own_ticket_ = 0, owned_ticket_done_ = 0;

  // The serving thread's own.
  std::map<Atom, std::shared_ptr<const TBytes>> encoded_;  // forms of the content of encoded_generation_
  unsigned encoded_generation_ = 0;
  std::size_t increment_size_ = 0;  // bytes per increment, within the server's request size
  std::optional<TIncoming> incoming_;
  int next_property_ = 0;  // the name of properties_ the next request takes
  std::vector<TOutgoing> outgoing_;
};

}  // namespace

std::unique_ptr<TClipboardBackend> CreateX11ClipboardBackend() { return TX11Clipboard::Open(); }
