// The player on a real X server (Xvfb in the test run; skipped without $DISPLAY): a clip played
// paused into a child window of a form puts the clip's picture into that window, read back from
// the server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "MediaFixtures.h"
#include "PlayerTestSupport.h"
#include "Src/FFPlay.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "platform/windowing/Display.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Messages.h"
#include "platform/core/Thread.h"
#include "platform/windowing/Window.h"
#include "platform/x11/X11Display.h"

#define Region X11Region
#define Display XDisplay
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef Region
#undef Display

#if defined(__SANITIZE_ADDRESS__)
// SDL 1.2's X11 driver keeps the graphics context it made on the play thread past SDL_Quit, out
// of our reach; this program does without the leak check (the same playback paths are
// leak-checked with SDL's dummy driver in the other player tests).
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_options() {
  return "detect_leaks=0";
}
#endif

namespace {

LRESULT FormProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { return DefWindowProc(hWnd, Msg, wParam, lParam); }

using playertest::WaitUntil;

TEST(PlayerOnX11, PlaysTheClipIntoAHostChildWindow) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
  auto opened = TX11Display::Open();
  if (!opened) GTEST_SKIP() << "the X server does not answer";
  static const int holder = 0;
  ASSERT_TRUE(FFLoader().Load(PlayerLibraries, &holder)) << FFLoader().LastErrMsg();
  TX11Display* x = opened.get();
  auto* dpy = static_cast<XDisplay*>(x->Connection());
  std::unique_ptr<TDisplay> headless = SetDisplay(std::move(opened));
  SetThreadEventSource(x);
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::setenv("SDL_VIDEODRIVER", "x11", 1);

  WNDCLASS cls{};
  cls.lpfnWndProc = FormProc;
  cls.lpszClassName = "PlayerX11Form";
  RegisterClass(&cls);
  HWND form = CreateWindowEx(0, "PlayerX11Form", "form", WS_POPUP | WS_VISIBLE, 100, 80, 240, 180, nullptr, nullptr,
                             nullptr, nullptr);
  HWND host = CreateWindowEx(0, "PlayerX11Form", "host", WS_CHILD | WS_VISIBLE, 40, 30, 160, 120, form, nullptr,
                             nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  PumpPendingMessages();

  const std::string file = fixtures::Mp4();
  {
    TFFPlayer player(nullptr);
    bool paused = false;
    player.OnState = [&](TObject*, TPlayState AState) { paused = paused || AState == TPlayState::psPause; };
    ASSERT_TRUE(player.Open(file, host, true)) << player.LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return paused; }, 8000));
    const auto native = static_cast<Window>(x->NativeChildWindow(host));
    ASSERT_NE(native, 0u);

    // The shown picture and the server's pixels of the host window, until they agree (the
    // picture may still change right after the pause is reported).
    double best = 1e9;
    for (int attempt = 0; attempt < 40 && best >= 6.0; ++attempt) {
      WaitUntil([] { return false; }, 100);
      int64_t pts = -1;
      player.CurrentFrame(pts);
      const int index = static_cast<int>((pts + 20000) / 40000);
      const std::string reference = fixtures::DecodedBGR(file, index + 1);
      if (pts < 0 || reference.size() != size_t(160 * 120 * 3) * (index + 1)) continue;
      const auto* expected = reinterpret_cast<const uint8_t*>(reference.data()) + size_t(160 * 120 * 3) * index;
      x->Sync();
      XImage* image = XGetImage(dpy, native, 0, 0, 160, 120, AllPlanes, ZPixmap);
      if (!image) continue;
      // SDL's own YUV conversion leaves the studio range as it is (black 16, white 235).
      auto studio = [](int AValue) { return 16 + AValue * 219 / 255; };
      long long difference = 0;
      for (int y = 0; y < 120; ++y)
        for (int px = 0; px < 160; ++px) {
          const unsigned long v = XGetPixel(image, px, y);
          const uint8_t* want = expected + (y * 160 + px) * 3;  // B, G, R
          difference += std::abs(int(v & 0xFF) - studio(want[0])) + std::abs(int((v >> 8) & 0xFF) - studio(want[1])) +
                        std::abs(int((v >> 16) & 0xFF) - studio(want[2]));
        }
      XDestroyImage(image);
      best = std::min(best, double(difference) / (160 * 120 * 3));
    }
    EXPECT_LT(best, 6.0) << "mean difference per channel between the window and the decoded picture";
    player.Stop(true);
  }
  DestroyWindow(form);
  SetThreadEventSource(nullptr);
  SetDisplay(std::move(headless));
  ::unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
