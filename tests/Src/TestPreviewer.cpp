#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <regex>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../platform/FormFixture.h"
#include "../platform/Watchdog.h"
#include "ConvexaTestSupport.h"
#include "tests/PollUntil.h"
#include "Src/FFMediaUtils.h"
#include "Src/Previewer.h"
#include "tests/support/ImageCompare.h"

namespace {

// A 24-bit picture of AColor; with AQuarterColor its top-left quarter has that colour instead.
std::unique_ptr<TBitmap> Picture(int AWidth, int AHeight, COLORREF AColor, COLORREF AQuarterColor = CLR_INVALID) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(TPixelFormat::pf24bit);
  bitmap->SetSize(AWidth, AHeight);
  for (int y = 0; y < AHeight; ++y) {
    auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
    for (int x = 0; x < AWidth; ++x) {
      const COLORREF c = AQuarterColor != CLR_INVALID && x < AWidth / 2 && y < AHeight / 2 ? AQuarterColor : AColor;
      row[x * 3] = GetBValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetRValue(c);
    }
  }
  return bitmap;
}

TRect WindowRect(const TForm* AForm) {
  TRect r;
  GetWindowRect(const_cast<TForm*>(AForm)->Handle(), &r);
  return r;
}

// The screen of FormWorld, pumped through the application's loop (its message hooks see every
// message, as in the running program).
class PreviewWindow : public FormWorld {
 protected:
  void PumpApp() { app.ProcessMessages(); }

  TScreenShot Shot() {
    PumpApp();
    return TScreenShot(*display, RGB(1, 2, 3));
  }

  // Presses at AFrom on the screen, moves by ADelta and lets go, then runs the loop.
  void Drag(TPoint AFrom, TPoint ADelta) {
    const TPoint to{AFrom.X + ADelta.X, AFrom.Y + ADelta.Y};
    display->MouseMove(AFrom);
    display->MouseDown(AFrom);
    display->MouseMove(to);
    display->MouseUp(to);
    PumpApp();
  }

  // The screen's pixels between the window's top edge and its client area.
  std::vector<uint32_t> CaptionPixels(TForm* AForm) {
    PumpApp();
    const auto shot = display->Screenshot(RGB(1, 2, 3));
    const TRect window = WindowRect(AForm);
    std::vector<uint32_t> pixels;
    for (int y = window.Top; y < AForm->ClientToScreen({0, 0}).Y; ++y)
      for (int x = window.Left; x < window.Right; ++x) pixels.push_back(shot->PixelAt(x, y));
    return pixels;
  }

  static TPoint ClientCentre(const TForm* AForm) {
    return AForm->ClientToScreen({AForm->ClientWidth() / 2, AForm->ClientHeight() / 2});
  }
};

TEST_F(PreviewWindow, FirstPictureSizesTheWindowAndLaterOnesDrawAtTheTopLeft) {
  TPreviewer previewer;
  EXPECT_EQ(previewer.Form(), nullptr) << "no window before the first picture";
  EXPECT_TRUE(previewer.PaintFrame(Picture(320, 240, RGB(200, 40, 40)).get(), 1, 1500000));
  TForm* form = previewer.Form();
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(form->ClientWidth(), 320);
  EXPECT_EQ(form->ClientHeight(), 240);
  EXPECT_EQ(form->BorderStyle(), TFormBorderStyle::bsToolWindow);
  EXPECT_EQ(form->FormStyle(), TFormStyle::fsNormal) << "owned by the main window, not above every program";
  EXPECT_EQ(form->BorderIcons(), TBorderIcons{TBorderIcon::biSystemMenu});
  const TRect window = WindowRect(form);
  EXPECT_EQ(window.Left, (800 - window.Width()) / 2) << "centred on the 800 x 560 work area";
  EXPECT_EQ(window.Top, (560 - window.Height()) / 2);
  const TPoint origin = form->ClientToScreen({0, 0});
  {
    const TScreenShot shot = Shot();
    EXPECT_EQ(shot.At(origin), RGB(200, 40, 40));
    EXPECT_EQ(shot.At({origin.X + 319, origin.Y + 239}), RGB(200, 40, 40));
  }

  // Twice the size: the top-left quarter fills the window, which keeps its size.
  EXPECT_TRUE(previewer.PaintFrame(Picture(640, 480, RGB(30, 30, 220), RGB(20, 180, 60)).get(), 2, 1540000));
  EXPECT_EQ(form->ClientWidth(), 320);
  EXPECT_EQ(form->ClientHeight(), 240);
  EXPECT_EQ(WindowRect(form), window);
  const TScreenShot shot = Shot();
  for (TPoint p : {TPoint{0, 0}, TPoint{160, 120}, TPoint{319, 239}}) {
    SCOPED_TRACE(testing::Message() << p.X << "," << p.Y);
    EXPECT_EQ(shot.At({origin.X + p.X, origin.Y + p.Y}), RGB(20, 180, 60));
  }
  // For a look at the window.
  const auto screen = display->Screenshot(RGB(90, 110, 130));
  SaveSurfacePng(testing::TempDir() + "preview-window.png", screen->Row(0), screen->Width(), screen->Height(),
                 static_cast<int>(screen->Stride()), false);
}

TEST_F(PreviewWindow, CaptionShowsThePictureTime) {
  struct TCase {
    int64_t PTS;
    const char* Caption;
  };
  const TCase cases[] = {
      {0, "00:00:00.000"},
      {1500000, "00:00:01.500"},
      {int64_t{3723004} * 1000, "01:02:03.004"},
      {NoTimestamp, "N/A"},
  };
  TPreviewer previewer;
  const auto picture = Picture(160, 48, RGB(0, 0, 0));
  std::vector<uint32_t> shownBefore;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Caption);
    ASSERT_TRUE(previewer.PaintFrame(picture.get(), 1, c.PTS));
    EXPECT_EQ(previewer.Form()->Caption(), c.Caption);
    // The caption on screen follows the text.
    const std::vector<uint32_t> shown = CaptionPixels(previewer.Form());
    EXPECT_NE(shown, shownBefore);
    shownBefore = shown;
  }
}

TEST_F(PreviewWindow, PressAndDragOnThePictureMovesTheWindow) {
  TPreviewer previewer;
  ASSERT_TRUE(previewer.PaintFrame(Picture(320, 240, RGB(90, 90, 90)).get(), 1, 0));
  TForm* form = previewer.Form();
  PumpApp();
  const TRect before = WindowRect(form);
  Drag(ClientCentre(form), {40, 30});
  const TRect after = WindowRect(form);
  EXPECT_EQ(after.Left, before.Left + 40);
  EXPECT_EQ(after.Top, before.Top + 30);
  EXPECT_EQ(after.Width(), before.Width());
  EXPECT_EQ(after.Height(), before.Height());
}

TEST_F(PreviewWindow, ClosedByTheUserItAnswersFalseAndNeverComesBack) {
  TPreviewer previewer;
  ASSERT_TRUE(previewer.PaintFrame(Picture(160, 120, RGB(90, 90, 90)).get(), 1, 40000));
  TForm* form = previewer.Form();
  PumpApp();
  // The close box at the right end of the caption.
  const TRect window = WindowRect(form);
  const TPoint closeBox{window.Right - 6, (window.Top + form->ClientToScreen({0, 0}).Y) / 2};
  ASSERT_EQ(SendMessage(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(closeBox.X, closeBox.Y)), HTCLOSE);
  display->Click(closeBox);
  PumpApp();
  EXPECT_TRUE(previewer.Closed());
  EXPECT_FALSE(form->Visible());

  // Nothing is shown any more, whatever comes.
  EXPECT_FALSE(previewer.PaintFrame(Picture(160, 120, RGB(250, 250, 250)).get(), 2, 80000));
  PumpApp();
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(form->Caption(), "00:00:00.040");
  std::thread worker([&] { EXPECT_FALSE(previewer.PaintFrame(Picture(16, 16, RGB(1, 1, 1)).get(), 3, 120000)); });
  worker.join();
  PumpApp();
  EXPECT_FALSE(form->Visible());
}

TEST_F(PreviewWindow, WorkerPicturesNeverWaitForTheGuiAndTheNewestIsShown) {
  TWatchdog watchdog("pictures from a worker while the GUI thread does not pump");
  TPreviewer previewer;
  const auto picture = Picture(96, 64, RGB(10, 10, 10));
  const auto newest = Picture(96, 64, RGB(230, 120, 0));
  std::thread worker([&] {
    for (int i = 1; i < 20; ++i) EXPECT_TRUE(previewer.PaintFrame(picture.get(), i, i * 40000));
    EXPECT_TRUE(previewer.PaintFrame(newest.get(), 20, 800000));
    // The previewer has its own copies: the engine may reuse its bitmap at once.
    newest->SetSize(8, 8);
  });
  worker.join();  // the GUI thread has not served anything yet
  EXPECT_EQ(previewer.Form(), nullptr);
  PumpApp();
  ASSERT_NE(previewer.Form(), nullptr);
  EXPECT_EQ(previewer.Form()->Caption(), "00:00:00.800");
  EXPECT_EQ(previewer.Form()->ClientWidth(), 96);
  EXPECT_EQ(Shot().At(previewer.Form()->ClientToScreen({95, 63})), RGB(230, 120, 0));
}

TEST_F(PreviewWindow, FreedOnAWorkerTheWindowGoesOnTheGuiThreadAndPendingPicturesAreDropped) {
  TWatchdog watchdog("previewers freed on a worker");
  auto shown = std::make_unique<TPreviewer>();
  ASSERT_TRUE(shown->PaintFrame(Picture(64, 48, RGB(90, 90, 90)).get(), 1, 0));
  const HWND shownWindow = shown->Form()->Handle();
  std::thread worker([&] {
    shown.reset();
    // A picture handed over and not shown when its previewer goes is never shown.
    auto pending = std::make_unique<TPreviewer>();
    EXPECT_TRUE(pending->PaintFrame(Picture(64, 48, RGB(90, 90, 90)).get(), 1, 0));
    pending.reset();
  });
  worker.join();
  EXPECT_TRUE(IsWindow(shownWindow)) << "a window is freed on the GUI thread only";
  const size_t windows = detail::LiveWindowCount();
  PumpApp();
  EXPECT_FALSE(IsWindow(shownWindow));
  EXPECT_EQ(detail::LiveWindowCount(), windows - 1) << "no window was made for the dropped picture";
}

// Where the window of a conversion's preview goes: inside the work area, off the main window
// (its stop and pause buttons stay reachable), scaled down keeping the aspect when the picture is
// larger than the room, cascaded when several conversions show theirs.
TEST(PreviewPlacement, FitsTheWorkAreaAndKeepsOffTheMainWindow) {
  const TRect work{0, 0, 1280, 1000};
  const TSize frame{6, 25};
  const struct {
    const char* name;
    TSize picture;
    TRect owner;
    int index;
    TRect window;
    double scale;
  } cases[] = {
      {"no main window, small picture: centred, as large as the picture", {320, 240}, {}, 0,
       Bounds(477, 367, 326, 265), 1.0},
      {"1080p without a main window: the work area, aspect kept", {1920, 1080}, {}, 0, Bounds(0, 129, 1280, 742),
       1274.0 / 1920},
      {"1080p beside a main window at the left: the strip right of it", {1920, 1080}, Bounds(0, 100, 700, 600), 0,
       Bounds(700, 326, 580, 348), 574.0 / 1920},
      {"the second preview cascades inside the same strip", {1920, 1080}, Bounds(0, 100, 700, 600), 1,
       Bounds(700, 350, 580, 348), 574.0 / 1920},
      {"a main window filling the screen: the far corner, half the work area at most", {1920, 1080},
       Bounds(0, 0, 1280, 1000), 0, Bounds(640, 618, 640, 382), 634.0 / 1920},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TPreviewPlacement place = PlacePreview(c.picture, frame, work, c.owner, c.index);
    EXPECT_NEAR(place.Scale, c.scale, 0.001);
    EXPECT_LE(place.Scale, 1.0);
    const TRect& w = place.Window;
    EXPECT_EQ(w, c.window) << w.Left << "," << w.Top << " " << w.Width() << "x" << w.Height();
    EXPECT_TRUE(w.Left >= work.Left && w.Top >= work.Top && w.Right <= work.Right && w.Bottom <= work.Bottom)
        << "inside the work area";
    const bool overOwner = w.Left < c.owner.Right && c.owner.Left < w.Right && w.Top < c.owner.Bottom &&
                           c.owner.Top < w.Bottom;
    if (c.owner.Width() < work.Width()) {
      EXPECT_FALSE(overOwner) << "off the main window";
    }
  }
}

// With a main window the preview window is owned by it (the desktop keeps it above that window
// only) and a picture larger than the room is shown scaled down.
TEST_F(PreviewWindow, OwnedByTheMainWindowAndLargePicturesScaledDown) {
  TForm* main = MakeForm(Bounds(0, 0, 300, 560), clWhite);
  main->Show();
  app.SetMainForm(main);
  {
    TPreviewer previewer;
    ASSERT_TRUE(previewer.PaintFrame(Picture(1920, 1080, RGB(200, 40, 40), RGB(20, 180, 60)).get(), 1, 0));
    TForm* form = previewer.Form();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), main->Handle());
    const TRect window = WindowRect(form);
    EXPECT_GE(window.Left, 300) << "right of the main window";
    EXPECT_LE(window.Right, 800);
    EXPECT_LT(form->ClientWidth(), 1920);
    EXPECT_NEAR(static_cast<double>(form->ClientWidth()) / form->ClientHeight(), 1920.0 / 1080, 0.02);
    const TPoint origin = form->ClientToScreen({0, 0});
    const TScreenShot shot = Shot();
    EXPECT_EQ(shot.At({origin.X + 2, origin.Y + 2}), RGB(20, 180, 60)) << "the top-left quarter, scaled";
    EXPECT_EQ(shot.At({origin.X + form->ClientWidth() - 3, origin.Y + form->ClientHeight() - 3}), RGB(200, 40, 40));
  }
  app.SetMainForm(nullptr);
}

// Previewers of engines that run side by side end in any order; each takes only its own hook out
// of the application's chain.
TEST_F(PreviewWindow, PreviewersFreedInEitherOrderLeaveTheHookChainWhole) {
  for (const bool firstGoesFirst : {true, false}) {
    SCOPED_TRACE(firstGoesFirst ? "freed in the order made" : "freed in reverse order");
    int outsiderCalls = 0;
    const int outsiderKey = 0;
    app.AddMessageHook([&](MSG&, bool&) { ++outsiderCalls; }, &outsiderKey);
    auto first = std::make_unique<TPreviewer>();
    auto second = std::make_unique<TPreviewer>();
    ASSERT_TRUE(first->PaintFrame(Picture(200, 150, RGB(90, 90, 90)).get(), 1, 0));
    ASSERT_TRUE(second->PaintFrame(Picture(100, 80, RGB(90, 90, 90)).get(), 1, 0));
    PumpApp();

    std::unique_ptr<TPreviewer>& gone = firstGoesFirst ? first : second;
    std::unique_ptr<TPreviewer>& kept = firstGoesFirst ? second : first;
    gone.reset();
    TForm* form = kept->Form();
    const TRect before = WindowRect(form);
    outsiderCalls = 0;
    Drag(ClientCentre(form), {-25, 15});
    EXPECT_EQ(WindowRect(form).Left, before.Left - 25) << "the other previewer still drags";
    EXPECT_EQ(WindowRect(form).Top, before.Top + 15);

    kept.reset();
    display->Click({5, 5});
    PumpApp();
    EXPECT_GT(outsiderCalls, 0) << "the hook made before the previewers still sees messages";
    EXPECT_TRUE(app.HasMessageHook(&outsiderKey));
    app.RemoveMessageHook(&outsiderKey);
  }
}

// A real conversion with the component's preview on: its pictures reach the window while it
// runs, and the user's close switches that task's preview off for the rest of the run.
class PreviewConversion : public PreviewWindow {
 protected:
  void SetUp() override {
    PreviewWindow::SetUp();
    enginetest::LoadLibraries();
    folder = fixtures::ScratchFolder("previewer");
    convexa = std::make_unique<convexatest::TTestConvexa>(nullptr);
    convexa->OnTerminate = [this](TObject*, const TTerminateInfo& AInfo) {
      if (AInfo.TaskIndex == 0) finished = AInfo.Finished;
      ++records;
    };
  }
  void TearDown() override {
    convexa.reset();
    PumpApp();
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    PreviewWindow::TearDown();
  }

  // Runs the application's loop until ACondition holds (false when the watchdog's time is up).
  template <typename F>
  bool PumpUntil(F&& ACondition) {
    return test_wait::PollUntil(ACondition, [this] { PumpApp(); });
  }

  // The preview window on the screen, nullptr when none is shown.
  static TCustomForm* ShownPreview() {
    for (int i = 0; i < Screen()->FormCount(); ++i) {
      TCustomForm* form = Screen()->Forms(i);
      if (form->Visible() && form->BorderStyle() == TFormBorderStyle::bsToolWindow) return form;
    }
    return nullptr;
  }

  std::filesystem::path folder;
  std::unique_ptr<convexatest::TTestConvexa> convexa;
  std::atomic<int> records{0};
  std::atomic<bool> finished{false};
};

TEST_F(PreviewConversion, ShowsTheRunningConversionAndClosingSwitchesItsPreviewOff) {
  TWatchdog watchdog("conversion with its preview window", 60000);
  const std::string clip = fixtures::Make(
      "preview-blue.mkv", "-f lavfi -i color=c=0x2050C0:size=160x120:rate=25:duration=3 -c:v mpeg4 -q:v 2 -f matroska");
  convexa->SetPreview(true);
  ASSERT_EQ(convexa->AddTask(clip), 0) << convexa->LastErrMsg();
  // The hook holds the worker after its tenth picture until the test has looked at the window.
  ASSERT_TRUE(convexa->SetOutputFile(0, (folder / "out.avi").string(), "Hook<CRLF>vcodec=mpeg4"));
  TFFmpeg* task = convexa->Task(0);
  task->PreviewInterval = 0;  // every picture
  convexa->OnCustomHook = [task](TObject*, PHookInfo AInfo) {
    AInfo->Update = false;
    if (AInfo->FrameNumber == 10) task->Pause();
  };
  convexa->Start(1);

  ASSERT_TRUE(PumpUntil([&] { return task->Paused() && ShownPreview() && ShownPreview()->Caption() != ""; }));
  TCustomForm* form = ShownPreview();
  EXPECT_EQ(form->ClientWidth(), 160);
  EXPECT_EQ(form->ClientHeight(), 120);
  EXPECT_TRUE(std::regex_match(form->Caption(), std::regex(R"(00:00:00\.\d{3})"))) << form->Caption();
  const COLORREF shown = Shot().At(form->ClientToScreen({80, 60}));
  EXPECT_NEAR(GetRValue(shown), 0x20, 8);
  EXPECT_NEAR(GetGValue(shown), 0x50, 8);
  EXPECT_NEAR(GetBValue(shown), 0xC0, 8);

  PostMessage(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpApp();
  EXPECT_EQ(ShownPreview(), nullptr);
  task->Resume();
  bool cameBack = false;
  ASSERT_TRUE(PumpUntil([&] {
    cameBack = cameBack || ShownPreview() != nullptr;
    return records == 2;
  }));
  EXPECT_TRUE(finished);
  EXPECT_FALSE(cameBack);
  EXPECT_FALSE(task->PostHooks().Contains(TPostHook::phPreview));
  EXPECT_TRUE(convexa->Preview()) << "only the closed window's task stops previewing";
  PumpApp();
  EXPECT_EQ(Screen()->FormCount(), 0) << "the preview form is freed";
}

// Switching the preview off from another thread while the worker turns a picture into a bitmap
// must leave the worker's picture converter alone.
TEST_F(PreviewConversion, SwitchingThePreviewOffMidRunLeavesTheWorkersConverterAlone) {
  TWatchdog watchdog("preview switched while converting", 60000);
  auto engine = enginetest::NewEngine();
  ASSERT_TRUE(engine->OptInputFile(fixtures::Mp4()));
  engine->ParseOption("an", "1");
  ASSERT_GT(engine->OptOutputFile((folder / "switched.avi").string()), 0);
  engine->PreviewInterval = 0;  // every picture is converted
  std::atomic<int> pictures{0};
  engine->OnPreviewBitmap = [&](TObject*, TBitmap* ABitmap, int, int64_t) {
    EXPECT_EQ(ABitmap->Width(), 160);
    ++pictures;
  };
  const TPostHooks both{TPostHook::phBitmap, TPostHook::phPreview};
  engine->SetPostHooks(both);
  std::atomic<bool> running{true};
  std::thread switcher([&] {
    while (running)
      for (const TPostHooks& hooks : {TPostHooks{TPostHook::phBitmap}, both}) engine->SetPostHooks(hooks);
  });
  engine->StartConvert(false);
  running = false;
  switcher.join();
  EXPECT_TRUE(engine->Finished()) << engine->FatalMessage();
  EXPECT_EQ(pictures, 50) << "every picture reached the event";
}

}  // namespace
