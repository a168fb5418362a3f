// The clipboard: text and pictures in the in-process store, and round trips of Chinese text and of
// pictures (small ones at once, large ones in increments) through a real X server's CLIPBOARD
// selection with a second X client (xclip); that part is skipped without $DISPLAY or xclip.

#include "platform/x11/Clipbrd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>
#include <thread>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngImage.h"
#include "tests/PollUntil.h"
#include "tests/platform/Watchdog.h"

#include <poll.h>
#define Region X11Region
#define Display XDisplay
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#undef Region
#undef Display

namespace {

// Runs a shell command and returns what it printed.
std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[256];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

bool HaveXclip() { return std::system("command -v xclip >/dev/null 2>&1") == 0; }

// The X server's CLIPBOARD selection is one per display, and CTest runs cases side by side in
// separate processes on the same server: a case that takes the selection holds this lock (one
// file per display) until it ends, so two such cases never take it from each other.
class TXSelectionLock {
 public:
  TXSelectionLock() {
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    for (char& c : display)
      if (c == '/' || c == ':') c = '_';
    fd_ = ::open(("/tmp/converter-tests-clipboard" + display + ".lock").c_str(), O_CREAT | O_RDWR, 0666);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~TXSelectionLock() {
    if (fd_ >= 0) ::close(fd_);  // closing drops the lock
  }
  TXSelectionLock(const TXSelectionLock&) = delete;
  TXSelectionLock& operator=(const TXSelectionLock&) = delete;

 private:
  int fd_ = -1;
};

// A W x H bitmap whose pixel (x, y) is B = x, G = y, R = x + y, A = Alpha(x, y) (32-bit), or the
// same colours at 24 bits.
std::unique_ptr<TBitmap> MakeBitmap(int W, int H, TPixelFormat Format, std::uint8_t (*Alpha)(int, int)) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(Format);
  b->SetSize(W, H);
  for (int y = 0; y < H; ++y) {
    auto* row = static_cast<std::uint8_t*>(b->ScanLine(y));
    const int bytes = Format == TPixelFormat::pf32bit ? 4 : 3;
    for (int x = 0; x < W; ++x) {
      std::uint8_t* p = row + x * bytes;
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = static_cast<std::uint8_t>(x + y);
      if (bytes == 4) p[3] = Alpha(x, y);
    }
  }
  return b;
}

std::uint32_t PixelOf(const PixelSurface& s, int x, int y) {
  std::uint32_t v;
  std::memcpy(&v, s.Row(y) + x * 4, 4);
  return v;
}

std::uint32_t Expected(int x, int y, std::uint8_t a) {
  return static_cast<std::uint32_t>(x & 0xFF) | static_cast<std::uint32_t>(y & 0xFF) << 8 |
         static_cast<std::uint32_t>((x + y) & 0xFF) << 16 | static_cast<std::uint32_t>(a) << 24;
}

TEST(Clipboard, BitmapsGoInAsPicturesAndComeBackAsThirtyTwoBitBitmaps) {
  struct Case {
    const char* name;
    TPixelFormat format;
    std::uint8_t (*alpha)(int, int);
    std::uint8_t expectedAlphaAt10;  // alpha of pixel (1, 0) afterwards
  };
  const Case cases[] = {
      {"32-bit with alpha keeps it", TPixelFormat::pf32bit, [](int x, int) -> std::uint8_t { return x ? 128 : 0; }, 128},
      {"32-bit drawn without alpha is opaque", TPixelFormat::pf32bit, [](int, int) -> std::uint8_t { return 0; }, 255},
      {"24-bit is opaque", TPixelFormat::pf24bit, [](int, int) -> std::uint8_t { return 0; }, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto source = MakeBitmap(5, 3, c.format, c.alpha);
    Clipboard()->SetAsText("replaced");
    Clipboard()->Assign(source.get());
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT)) << "the picture replaced the text";
    TBitmap back;
    back.Assign(Clipboard());
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf32bit);
    ASSERT_EQ(back.Width(), 5);
    ASSERT_EQ(back.Height(), 3);
    EXPECT_EQ(PixelOf(*back.Surface(), 1, 0), Expected(1, 0, c.expectedAlphaAt10));
    EXPECT_EQ(PixelOf(*back.Surface(), 4, 2) & 0xFFFFFF, Expected(4, 2, 0));
  }
  // A picture goes in and comes out as its bitmap.
  TPicture picture;
  auto source = MakeBitmap(2, 2, TPixelFormat::pf24bit, nullptr);
  picture.SetBitmap(source.get());
  Clipboard()->Assign(&picture);
  TPicture out;
  out.Assign(Clipboard());
  EXPECT_EQ(out.Width(), 2);
  // Text replaces the picture; a bitmap asked for then is an error, and the bitmap stays.
  Clipboard()->SetAsText("文本");
  EXPECT_FALSE(Clipboard()->HasFormat(CF_DIB));
  EXPECT_EQ(Clipboard()->Picture(), nullptr);
  auto kept = MakeBitmap(4, 4, TPixelFormat::pf24bit, nullptr);
  EXPECT_THROW(kept->Assign(Clipboard()), EInvalidGraphic);
  EXPECT_EQ(kept->Width(), 4);
  Clipboard()->Clear();
}

TEST(Clipboard, InProcessTextAndBackendSwitch) {
  Clipboard()->SetAsText("剪贴板 text");
  EXPECT_EQ(Clipboard()->AsText(), "剪贴板 text");
  EXPECT_TRUE(Clipboard()->HasText());

  struct TFixed final : TClipboardBackend {
    std::string GetText() override { return "fixed"; }
    void SetText(const std::string&) override {}
    std::shared_ptr<const PixelSurface> GetPicture() override { return nullptr; }
    void SetPicture(std::shared_ptr<const PixelSurface>) override {}
  };
  auto previous = SetClipboardBackend(std::make_unique<TFixed>());
  EXPECT_EQ(previous, nullptr);
  EXPECT_EQ(Clipboard()->AsText(), "fixed");
  SetClipboardBackend(nullptr);
  EXPECT_EQ(Clipboard()->AsText(), "剪贴板 text") << "the in-process store kept its text";
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasText());
}

TEST(Clipboard, RoundTripWithAnotherXClient) {
  if (!std::getenv("DISPLAY") || !HaveXclip()) GTEST_SKIP() << "needs an X server and xclip";
  TXSelectionLock selection;
  auto x11 = CreateX11ClipboardBackend();
  ASSERT_NE(x11, nullptr);
  TWatchdog dog("X clipboard round trip", 15000);

  x11->SetText("中文 from us");
  EXPECT_EQ(RunCommand("xclip -selection clipboard -o -t UTF8_STRING"), "中文 from us");

  // xclip owns the selection until one request has been served (-l 1), then exits. It takes the
  // selection from its own background process, so until it has, we still read our own text.
  ASSERT_EQ(std::system("printf '%s' '汉字 from xclip' | xclip -selection clipboard -i -l 1 >/dev/null 2>&1"), 0);
  std::string got;
  test_wait::PollUntil([&] { return (got = x11->GetText()) == "汉字 from xclip"; });
  EXPECT_EQ(got, "汉字 from xclip");

  x11->SetText("");  // takes the selection back
  EXPECT_EQ(x11->GetText(), "");
}

// Another X client owning the CLIPBOARD selection that keeps the first request for text
// unanswered until a second one comes, then answers the first with "stale" and the second with
// "fresh": what an owner too slow for the first fetch does.
class TLateOwner {
 public:
  TLateOwner() : dpy_(XOpenDisplay(nullptr)) {
    if (!dpy_) return;
    window_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, 0);
    clipboard_ = XInternAtom(dpy_, "CLIPBOARD", False);
    utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
    XSetSelectionOwner(dpy_, clipboard_, window_, CurrentTime);
    XSync(dpy_, False);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TLateOwner() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (dpy_) XCloseDisplay(dpy_);
  }
  TLateOwner(const TLateOwner&) = delete;
  TLateOwner& operator=(const TLateOwner&) = delete;

  bool Owns() const { return dpy_ && owned_; }

 private:
  void Serve() {
    owned_ = XGetSelectionOwner(dpy_, clipboard_) == window_;
    std::vector<XSelectionRequestEvent> held;
    while (!stop_) {
      pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
      if (!XPending(dpy_) && poll(&fd, 1, 50) <= 0) continue;
      XEvent e;
      XNextEvent(dpy_, &e);
      if (e.type != SelectionRequest) continue;
      held.push_back(e.xselectionrequest);
      if (held.size() < 2) continue;
      Reply(held[0], "stale");
      Reply(held[1], "fresh");
      held.clear();
    }
  }

  void Reply(const XSelectionRequestEvent& r, const std::string& text) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = r.requestor;
    reply.selection = r.selection;
    reply.target = r.target;
    reply.time = r.time;
    reply.property = 0;
    if (r.target == utf8_) {
      XChangeProperty(dpy_, r.requestor, r.property, utf8_, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
      reply.property = r.property;
    }
    XSendEvent(dpy_, r.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
    XSync(dpy_, False);
  }

  XDisplay* dpy_;
  Window window_ = 0;
  Atom clipboard_ = 0, utf8_ = 0;
  std::atomic<bool> stop_{false}, owned_{false};
  std::thread thread_;
};

TEST(Clipboard, AnAnswerTooLateForItsFetchIsNotTakenForTheNextOne) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
  TXSelectionLock selection;
  auto x11 = CreateX11ClipboardBackend();
  ASSERT_NE(x11, nullptr);
  TWatchdog dog("X clipboard late answer", 30000);
  TLateOwner owner;
  ASSERT_TRUE(test_wait::PollUntil([&] { return owner.Owns(); }));

  EXPECT_EQ(x11->GetText(), "") << "the owner kept silent for the whole fetch";
  EXPECT_EQ(x11->GetText(), "fresh") << "the answer to the first fetch came in between";
  x11->SetText("");  // takes the selection back
}

// A W x H picture of noise (which compresses badly, so a large one stays large as PNG) with
// alpha varying over it.
std::shared_ptr<PixelSurface> NoisePicture(int W, int H) {
  auto s = PixelSurface::Create(W, H, 32);
  std::uint32_t state = 0x12345678;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      std::uint8_t* p = s->Row(y) + x * 4;
      std::memcpy(p, &state, 3);
      p[3] = static_cast<std::uint8_t>(128 + (x + y) % 128);
    }
  }
  return s;
}

std::vector<std::uint8_t> Bgra(const PixelSurface& s) {
  std::vector<std::uint8_t> out;
  for (int y = 0; y < s.Height(); ++y) out.insert(out.end(), s.Row(y), s.Row(y) + s.Width() * 4);
  return out;
}

std::string TempPath(const char* name) { return "/tmp/clipboard-test-" + std::to_string(::getpid()) + "-" + name; }

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Waits until the backend reads a picture (xclip takes the selection from a background process).
std::shared_ptr<const PixelSurface> AwaitPicture(TClipboardBackend& x11) {
  std::shared_ptr<const PixelSurface> picture;
  test_wait::PollUntil([&] { return (picture = x11.GetPicture()) != nullptr; });
  return picture;
}

TEST(Clipboard, PicturesTravelWithAnotherXClientAsPngOrBmpAndLargeOnesInIncrements) {
  if (!std::getenv("DISPLAY") || !HaveXclip()) GTEST_SKIP() << "needs an X server and xclip";
  TXSelectionLock selection;
  auto x11 = CreateX11ClipboardBackend();
  ASSERT_NE(x11, nullptr);
  TWatchdog dog("X clipboard pictures", 60000);
  const std::string file = TempPath("picture");

  // Ours, read by xclip: a small picture at once, a large one (over a megabyte) in increments.
  for (auto [w, h] : {std::pair{4, 3}, std::pair{700, 500}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    std::shared_ptr<PixelSurface> picture = NoisePicture(w, h);
    x11->SetPicture(picture);
    const std::string targets = RunCommand("xclip -selection clipboard -o -t TARGETS");
    EXPECT_NE(targets.find("image/png"), std::string::npos) << targets;
    EXPECT_NE(targets.find("image/bmp"), std::string::npos) << targets;
    ASSERT_EQ(std::system(("xclip -selection clipboard -o -t image/png > " + file).c_str()), 0);
    const std::vector<std::uint8_t> png = ReadFile(file);
    if (w > 100) {
      EXPECT_GT(png.size(), 1000000u) << "large enough to need increments";
    }
    pngcodec::Image decoded = pngcodec::Decode(png.data(), png.size(), nullptr);
    EXPECT_EQ(decoded.bgra, Bgra(*picture));
    ASSERT_EQ(std::system(("xclip -selection clipboard -o -t image/bmp > " + file).c_str()), 0);
    const std::vector<std::uint8_t> bmpBytes = ReadFile(file);
    EXPECT_EQ(bmp::Decode(bmpBytes.data(), bmpBytes.size(), nullptr).bgra, Bgra(*picture));
    EXPECT_EQ(x11->GetText(), "") << "no text while the clipboard holds a picture";
  }

  // xclip's, read by us: PNG (a large one comes in increments), and BMP when PNG does not
  // decode (xclip answers every form with the one file it was given; 24 bits: opaque).
  for (auto [w, h] : {std::pair{5, 2}, std::pair{700, 500}}) {
    SCOPED_TRACE("from xclip " + std::to_string(w) + " x " + std::to_string(h));
    std::shared_ptr<PixelSurface> picture = NoisePicture(w, h);
    pngcodec::Image image;
    image.width = w;
    image.height = h;
    image.bgra = Bgra(*picture);
    WriteFile(file, pngcodec::Encode(image));
    x11->SetText("");  // no picture of ours is read while xclip takes the selection
    ASSERT_EQ(std::system(("xclip -selection clipboard -t image/png -i " + file + " >/dev/null 2>&1").c_str()), 0);
    std::shared_ptr<const PixelSurface> got = AwaitPicture(*x11);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(Bgra(*got), Bgra(*picture));
  }
  bmp::Image opaque;
  opaque.width = 3;
  opaque.height = 2;
  opaque.bitsPerPixel = 24;
  opaque.bgra.assign(3 * 2 * 4, 0x40);
  WriteFile(file, bmp::Encode(opaque));
  x11->SetText("");
  ASSERT_EQ(std::system(("xclip -selection clipboard -t image/bmp -i " + file + " >/dev/null 2>&1").c_str()), 0);
  std::shared_ptr<const PixelSurface> got = AwaitPicture(*x11);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(PixelOf(*got, 2, 1), 0xFF404040u);
  x11->SetText("");
  std::remove(file.c_str());
}

}  // namespace
