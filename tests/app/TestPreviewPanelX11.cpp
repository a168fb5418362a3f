// The preview panel on a real X server (Xvfb in the test run; skipped without $DISPLAY): the
// render area shows the clip's picture, read back from the server; a snapshot holds what the
// area shows; clearing the preview gives the area its idle picture back.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Application.h"
#include "platform/Display.h"
#include "platform/MessageQueue.h"
#include "platform/Picture.h"
#include "platform/Resources.h"
#include "platform/X11Display.h"
#include "tests/app/PreviewPanelWorld.h"

#define Region X11Region
#define Display XDisplay
#define Screen XScreen
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef Region
#undef Display
#undef Screen

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

// The X server as this test's display, given back at the end.
class PreviewPanelOnX11 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
    auto opened = TX11Display::Open();
    if (!opened) GTEST_SKIP() << "the X server does not answer";
    x11 = opened.get();
    dpy = static_cast<XDisplay*>(x11->Connection());
    previous = SetDisplay(std::move(opened));
    SetThreadEventSource(x11);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
    scratch = fixtures::ScratchFolder("preview-x11");
  }
  void TearDown() override {
    if (!x11) return;
    SetThreadEventSource(nullptr);
    SetDisplay(std::move(previous));
    ::unsetenv("SDL_VIDEODRIVER");
    fs::remove_all(scratch);
  }

  // The server's picture of the screen rectangle R as 24-bit rows, B, G, R.
  std::unique_ptr<TBitmap> ScreenPixels(const TRect& R) {
    x11->Sync();
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::pf24bit);
    bitmap->SetSize(R.Width(), R.Height());
    XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), R.Left, R.Top, static_cast<unsigned>(R.Width()),
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

  TApplication app{nullptr};
  TX11Display* x11 = nullptr;
  XDisplay* dpy = nullptr;
  std::unique_ptr<TDisplay> previous;
  fs::path scratch;
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

TEST_F(PreviewPanelOnX11, TheRenderAreaShowsTheClipAndItsIdlePictureOnceCleared) {
  TPanelOnForm on((scratch / "option.ini").string(), TPoint{60, 40});
  const TPoint origin = on.Screen().ClientToScreen({0, 0});
  const TRect area{origin.X, origin.Y, origin.X + 200, origin.Y + 124};
  ASSERT_TRUE(on.OpenPaused(preview_world::QuadrantClip())) << ::testing::PrintToString(on.window.log);

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
    auto shown = ScreenPixels(area);
    worst = 0;
    for (const Probe& p : probes) worst = std::max(worst, Distance(PixelAt(*shown, p.at.X, p.at.Y), p.colour));
  }
  EXPECT_LE(worst, 14) << "largest channel difference between the area and the clip's colours";

  // The snapshot holds the picture the area shows (at the clip's own size, in its full range).
  TSnapshots& snapshots = on.panel->Snapshots();
  snapshots.Options().SetFolder((scratch / "snaps").string());
  snapshots.ChoosePictureType(TSnapshotType::stPNG);
  on.layout.Controls.SnapshotButton->Click();
  TPicture picture;
  picture.LoadFromFile((scratch / "snaps" / "preview-quadrants_1.png").string());
  TBitmap snapshot;
  snapshot.Assign(picture.Graphic());
  ASSERT_EQ(snapshot.Width(), 160);
  auto shown = ScreenPixels(area);
  const std::pair<TPoint, TPoint> pairs[] = {// snapshot point, area point
                                             {{40, 30}, {60, 30}},
                                             {{120, 30}, {140, 30}},
                                             {{40, 90}, {60, 95}},
                                             {{120, 90}, {140, 95}}};
  for (auto [inSnapshot, inArea] : pairs)
    EXPECT_LE(Distance(Studio(PixelAt(snapshot, inSnapshot.X, inSnapshot.Y)), PixelAt(*shown, inArea.X, inArea.Y)), 10);

  on.panel->ClearPreview();
  TBitmap idle;
  idle.LoadFromResourceName(HInstance(), "VL_PREVIEW_IDLE");
  ASSERT_EQ(idle.Width(), 120);
  // A stroke of the film icon, and black around it.
  ASSERT_NE(PixelAt(idle, 47, 12), RGB(0, 0, 0));
  EXPECT_TRUE(WaitUntil(
      [&] {
        auto cleared = ScreenPixels(TRect{area.Left + 40, area.Top + 26, area.Left + 160, area.Top + 98});
        for (TPoint p : {TPoint{47, 12}, TPoint{0, 0}, TPoint{60, 36}, TPoint{30, 50}, TPoint{119, 71}})
          if (Distance(PixelAt(*cleared, p.X, p.Y), PixelAt(idle, p.X, p.Y)) > 2) return false;
        return true;
      },
      3000))
      << "the area does not show its idle picture after the preview was cleared";
}

}  // namespace
