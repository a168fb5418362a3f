// The preview panel on a real X server (Xvfb in the test run; skipped without $DISPLAY), on its
// own and in the main window: the render area shows the clip's picture, read back from the
// server; a snapshot holds what the area shows; clearing the preview gives the area its idle
// picture back.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/controls/Application.h"
#include "platform/windowing/Display.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/graphics/Picture.h"
#include "platform/core/Resources.h"
#include "platform/x11/X11Display.h"
#include "tests/app/MainWindowWorld.h"
#include "tests/app/PreviewPanelWorld.h"

#define Region X11Region
#define Display XDisplay
#define Screen XScreen
#define Time XTime
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef Region
#undef Display
#undef Screen
#undef Time

#if defined(__SANITIZE_ADDRESS__)
// SDL 1.2's X11 driver keeps the graphics context it made on the play thread past SDL_Quit, out
// of our reach. Only that block is let off; the display's own contexts are checked in the
// platform's tests.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:XCreateGC\n";
}
#endif

namespace {

namespace fs = std::filesystem;
using playertest::WaitUntil;
using preview_world::TPanelOnForm;

// The X server as the display of a test, given back at the end, and its pixels.
class TX11Session {
 public:
  // False when there is no X server to talk to.
  bool Open() {
    if (!std::getenv("DISPLAY")) return false;
    auto opened = TX11Display::Open();
    if (!opened) return false;
    x11_ = opened.get();
    dpy_ = static_cast<XDisplay*>(x11_->Connection());
    previous_ = SetDisplay(std::move(opened));
    SetThreadEventSource(x11_);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
    return true;
  }
  void Close() {
    if (!x11_) return;
    SetThreadEventSource(nullptr);
    SetDisplay(std::move(previous_));
    ::unsetenv("SDL_VIDEODRIVER");
    x11_ = nullptr;
  }

  // The server's picture of the screen rectangle R as 24-bit rows, B, G, R.
  std::unique_ptr<TBitmap> ScreenPixels(const TRect& R) {
    x11_->Sync();
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::pf24bit);
    bitmap->SetSize(R.Width(), R.Height());
    XImage* image = XGetImage(dpy_, DefaultRootWindow(dpy_), R.Left, R.Top, static_cast<unsigned>(R.Width()),
                              static_cast<unsigned>(R.Height()), AllPlanes, ZPixmap);
    if (!image) return bitmap;
    for (int y = 0; y < R.Height(); ++y) {
      auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
      for (int x = 0; x < R.Width(); ++x) {
        const unsigned long v = XGetPixel(image, x, y);
        row[x * 3] = v & 0xFF;
        row[x * 3 + 1] = (v >> 8) & 0xFF;
        row[x * 3 + 2] = (v >> 16) & 0xFF;
      }
    }
    XDestroyImage(image);
    return bitmap;
  }

 private:
  TX11Display* x11_ = nullptr;
  XDisplay* dpy_ = nullptr;
  std::unique_ptr<TDisplay> previous_;
};

COLORREF PixelAt(TBitmap& B, int X, int Y) {
  const auto* row = static_cast<const uint8_t*>(B.ScanLine(Y));
  const int bytes = B.PixelFormat() == TPixelFormat::pf32bit ? 4 : 3;
  return RGB(row[X * bytes + 2], row[X * bytes + 1], row[X * bytes]);
}

int Distance(COLORREF A, COLORREF B) {
  return std::max({std::abs(GetRValue(A) - GetRValue(B)), std::abs(GetGValue(A) - GetGValue(B)),
                   std::abs(GetBValue(A) - GetBValue(B))});
}

// SDL's own picture conversion leaves the studio range as it is (black 16, white 235).
COLORREF Studio(COLORREF C) {
  auto s = [](int V) { return 16 + V * 219 / 255; };
  return RGB(s(GetRValue(C)), s(GetGValue(C)), s(GetBValue(C)));
}

// How a test reaches the preview: the render area's screen rectangle, opening the quadrant clip
// paused (false when it does not open), taking a PNG snapshot (the file written) and clearing.
struct TPreviewDriver {
  std::function<TRect()> Area;
  std::function<bool()> OpenClip;
  std::function<fs::path()> TakePngSnapshot;
  std::function<void()> Clear;
};

// The render area shows the clip; the snapshot holds what it shows; cleared, it shows its idle
// picture again.
void ExpectTheAreaShowsTheClipAndItsIdlePictureOnceCleared(TX11Session& Server, const TPreviewDriver& Preview) {
  ASSERT_TRUE(Preview.OpenClip());
  const TRect area = Preview.Area();

  // The 4:3 picture fills the area's height, centred: the amber quarter at its top left, blue
  // elsewhere, black bars at the sides. The picture may still change right after the pause.
  struct Probe {
    TPoint at;
    COLORREF colour;
  };
  const Probe probes[] = {{{60, 30}, Studio(preview_world::kQuadrantColour)},
                          {{140, 30}, Studio(preview_world::kBackColour)},
                          {{60, 95}, Studio(preview_world::kBackColour)},
                          {{140, 95}, Studio(preview_world::kBackColour)},
                          {{3, 62}, RGB(0, 0, 0)},
                          {{196, 62}, RGB(0, 0, 0)}};
  int worst = 255;
  for (int attempt = 0; attempt < 40 && worst > 14; ++attempt) {
    WaitUntil([] { return false; }, 100);
    auto shown = Server.ScreenPixels(area);
    worst = 0;
    for (const Probe& p : probes) worst = std::max(worst, Distance(PixelAt(*shown, p.at.X, p.at.Y), p.colour));
  }
  EXPECT_LE(worst, 14) << "largest channel difference between the area and the clip's colours";

  // The snapshot holds the picture the area shows (at the clip's own size, in its full range).
  TPicture picture;
  picture.LoadFromFile(Preview.TakePngSnapshot().string());
  TBitmap snapshot;
  snapshot.Assign(picture.Graphic());
  ASSERT_EQ(snapshot.Width(), 160);
  auto shown = Server.ScreenPixels(area);
  const std::pair<TPoint, TPoint> pairs[] = {// snapshot point, area point
                                             {{40, 30}, {60, 30}},
                                             {{120, 30}, {140, 30}},
                                             {{40, 90}, {60, 95}},
                                             {{120, 90}, {140, 95}}};
  for (auto [inSnapshot, inArea] : pairs)
    EXPECT_LE(Distance(Studio(PixelAt(snapshot, inSnapshot.X, inSnapshot.Y)), PixelAt(*shown, inArea.X, inArea.Y)), 10);

  Preview.Clear();
  TBitmap idle;
  idle.LoadFromResourceName(HInstance(), "VL_PREVIEW_IDLE");
  ASSERT_EQ(idle.Width(), 120);
  // A stroke of the film icon, and black around it.
  ASSERT_NE(PixelAt(idle, 47, 12), RGB(0, 0, 0));
  EXPECT_TRUE(WaitUntil(
      [&] {
        auto cleared = Server.ScreenPixels(TRect{area.Left + 40, area.Top + 26, area.Left + 160, area.Top + 98});
        for (TPoint p : {TPoint{47, 12}, TPoint{0, 0}, TPoint{60, 36}, TPoint{30, 50}, TPoint{119, 71}})
          if (Distance(PixelAt(*cleared, p.X, p.Y), PixelAt(idle, p.X, p.Y)) > 2) return false;
        return true;
      },
      3000))
      << "the area does not show its idle picture after the preview was cleared";
}

// ---- The panel on its own ----------------------------------------------------------------------

class PreviewPanelOnX11 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server.Open()) GTEST_SKIP() << "no X server";
    scratch = fixtures::ScratchFolder("preview-x11");
  }
  void TearDown() override {
    server.Close();
    if (!scratch.empty()) fs::remove_all(scratch);
  }

  TApplication app{nullptr};
  TX11Session server;
  fs::path scratch;
};

TEST_F(PreviewPanelOnX11, TheRenderAreaShowsTheClipAndItsIdlePictureOnceCleared) {
  TPanelOnForm on((scratch / "option.ini").string(), TPoint{60, 40});
  TSnapshots& snapshots = on.panel->Snapshots();
  snapshots.Options().SetFolder((scratch / "snaps").string());
  snapshots.ChoosePictureType(TSnapshotType::stPNG);
  const TPreviewDriver driver{
      [&] {
        const TPoint origin = on.Screen().ClientToScreen({0, 0});
        return TRect{origin.X, origin.Y, origin.X + 200, origin.Y + 124};
      },
      [&] { return on.OpenPaused(preview_world::QuadrantClip()); },
      [&] {
        on.layout.Controls.SnapshotButton->Click();
        return scratch / "snaps" / "preview-quadrants_1.png";
      },
      [&] { on.panel->ClearPreview(); }};
  ExpectTheAreaShowsTheClipAndItsIdlePictureOnceCleared(server, driver);
}

// ---- The panel in the main window --------------------------------------------------------------

class MainWindowPreviewOnX11 : public main_window::MainWindowWorld {
 protected:
  void SetUp() override {
    MainWindowWorld::SetUp();
    if (HasFatalFailure()) return;
    if (!server.Open()) GTEST_SKIP() << "no X server";
    WriteOptions("[OutPath]\nOutPath=" + (root / "out").string() + "\n[SnapShot]\nPicture=PNG\n");
    Start();
    main->Show();
  }
  void TearDown() override {
    Close();
    server.Close();
    MainWindowWorld::TearDown();
  }

  TX11Session server;
};

// Adding the clip selects its row, which previews it in Panel6; the list's last row removed
// clears the preview.
TEST_F(MainWindowPreviewOnX11, Panel6ShowsTheSelectedClipAndItsIdlePictureOnceTheRowIsRemoved) {
  const fs::path snapshots = root / "home" / "Qirelo视频软件" / "快照";
  const TPreviewDriver driver{
      [&] {
        const TPoint origin = main->Panel6->ClientToScreen({0, 0});
        return TRect{origin.X, origin.Y, origin.X + 200, origin.Y + 124};
      },
      [&] {
        dialogs.files.push_back({preview_world::QuadrantClip()});
        main->btnAddClick();
        return WaitUntil([&] {
          const std::vector<std::string> log = LogLines();
          return std::find(log.begin(), log.end(), "预览：暂停") != log.end();
        });
      },
      [&] {
        main->vlSkinButton22->Click();  // 快照
        return snapshots / "preview-quadrants_1.png";
      },
      [&] { main->btnRemoveClick(); }};
  ExpectTheAreaShowsTheClipAndItsIdlePictureOnceCleared(server, driver);
  EXPECT_EQ(main->Jobs().Count(), 0);
}

}  // namespace
