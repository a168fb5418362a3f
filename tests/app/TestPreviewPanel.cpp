// The preview panel on the headless display, with SDL's dummy drivers: its look, a selected row
// opened paused on its first picture, the slider following the playback and seeking on release,
// the end of the file, stop, mute, clearing the preview, a file that cannot be opened, and
// snapshots of the shown picture in the four types.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "lib/forms/Velmora.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/graphics/Picture.h"
#include "platform/core/Resources.h"
#include "skins/vlSkinArt.h"
#include "tests/app/PreviewPanelWorld.h"
#include "tests/lib/SkinnedTestForm.h"
#include "tests/platform/ScreenShot.h"

namespace {

namespace fs = std::filesystem;
using playertest::WaitUntil;
using preview_world::TPanelOnForm;

class PreviewPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({1024, 768});
    display->SetWorkArea({0, 0, 1024, 740});
    display->MouseMove({1023, 767});
    scratch = fixtures::ScratchFolder("preview");
    options = (scratch / "option.ini").string();
  }
  void TearDown() override { fs::remove_all(scratch); }

  TScreenShot Shot() {
    skinned_test_form::Pump();
    return TScreenShot(*display, RGB(1, 2, 3));
  }

  TApplication app{nullptr};
  THeadlessDisplay* display = nullptr;
  fs::path scratch;
  std::string options;
};

// ---- Look --------------------------------------------------------------------------------------

TEST_F(PreviewPanelTest, LooksAsExpectedWithoutSkinAndWithTheProgramsSkin) {
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  ASSERT_FALSE(skin.Empty);
  for (TvlSkinData* data : {static_cast<TvlSkinData*>(nullptr), &skin}) {
    SCOPED_TRACE(data ? "main skin" : "no skin");
    std::unique_ptr<TPreviewPanel> panel;
    skinned_test_form::RenderFormAndCompare(
        display, 240, 240,
        [&](TForm* form) {
          TPreviewPanelLayout layout = CreatePreviewPanelControls(form);
          layout.Panel->SetLeft(10);
          layout.Panel->SetTop(6);
          if (data) {
            for (int i = 0; i < form->ComponentCount(); ++i)
              if (auto* skinned = dynamic_cast<TvlSkinControl*>(form->Components(i))) skinned->SetSkinData(data);
          }
          panel = std::make_unique<TPreviewPanel>(layout.Controls, options, TPreviewPanelHooks{});
        },
        nullptr, fs::path(EXPECTED_PICTURES), data ? "preview_panel_main_skin" : "preview_panel");
    panel.reset();
  }
}

// ---- Playback ------------------------------------------------------------------------------------

TEST_F(PreviewPanelTest, ASelectedRowShowsItsFirstPicturePausedWithTheSliderAtTheStart) {
  TPanelOnForm on(options);
  on.Slider().SetValue(40);
  ASSERT_TRUE(on.OpenPaused(preview_world::QuadrantClip())) << ::testing::PrintToString(on.window.log);
  TFFPlayer& player = on.panel->Player();
  EXPECT_TRUE(player.Paused());
  // A paused open shows the first two pictures in turn (40 ms apart) before it stands still.
  WaitUntil([] { return false; }, 200);
  int64_t pts = -1;
  EXPECT_EQ(player.CurrentFrame(pts)->Width(), 160);
  EXPECT_LE(pts, 40000);
  EXPECT_EQ(on.Slider().MaxValue(), 202);
  EXPECT_EQ(on.Slider().Value(), 202 * player.CurrentPTS() / on.panel->Duration());
  EXPECT_LE(on.Slider().Value(), 4);
  EXPECT_EQ(on.Slider().Increment(), 5);
  EXPECT_NEAR(static_cast<double>(on.panel->Duration()), 2000000.0, 100000.0);
  // The video surface takes the render area's size.
  EXPECT_EQ(player.ScreenWidth(), 200);
  EXPECT_EQ(player.ScreenHeight(), 124);
  EXPECT_TRUE(on.panel->VideoScreen()->Visible());
  const auto& log = on.window.log;
  const auto sized = std::find_if(log.begin(), log.end(), [](const std::string& L) {
    return L.rfind("时长：2.0", 0) == 0 && L.find(" 秒，画面尺寸：160x120") != std::string::npos;
  });
  EXPECT_NE(sized, log.end()) << ::testing::PrintToString(log);
  EXPECT_TRUE(on.window.Logged("预览：播放"));
}

TEST_F(PreviewPanelTest, PositionsMoveTheSliderByItsShareOfTheDuration) {
  TPanelOnForm on(options);
  int ignore = 0;
  on.panel->FFPlayerFileOpen(60000000, 320, 240, ignore, ignore);
  struct Case {
    const char* what;
    int64_t duration;
    int64_t position;
    bool held;
    int expected;  // the slider starts at 7
  };
  const Case cases[] = {
      {"half of a minute", 60000000, 30000000, false, 101},
      {"the start", 60000000, 0, false, 0},
      {"past the end stays at the maximum", 60000000, 90000000, false, 202},
      {"a position that does not tell", 60000000, -1, false, 7},
      {"no duration yet", 0, 30000000, false, 7},
      {"a duration the file does not tell", -1, 30000000, false, 7},
      {"the slider held", 60000000, 30000000, true, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    on.panel->FFPlayerFileOpen(c.duration, 320, 240, ignore, ignore);
    on.Slider().SetValue(7);
    if (c.held) on.panel->SliderPressed();
    on.panel->FFPlayerPosition(c.position);
    EXPECT_EQ(on.Slider().Value(), c.expected);
    if (c.held) on.panel->SliderReleased();
    EXPECT_FALSE(on.panel->SliderHeld());
  }
}

TEST_F(PreviewPanelTest, TheSliderTracksPlaybackAndStaysWhereItIsHeld) {
  TPanelOnForm on(options);
  ASSERT_TRUE(on.OpenPaused(preview_world::QuadrantClip()));
  TFFPlayer& player = on.panel->Player();
  on.layout.Controls.PlayButton->Click();
  EXPECT_GE(on.window.focus_calls, 1);
  ASSERT_TRUE(WaitUntil([&] { return on.Slider().Value() >= 60; }));
  // The value follows the player's position (which moves on meanwhile by a few units at most).
  const int expected = static_cast<int>(202 * player.CurrentPTS() / on.panel->Duration());
  EXPECT_NEAR(on.Slider().Value(), expected, 8);

  on.panel->SliderPressed();
  EXPECT_TRUE(on.panel->SliderHeld());
  EXPECT_TRUE(WaitUntil([&] { return player.Paused() && on.window.Logged("预览：暂停"); }));
  on.Slider().SetValue(30);
  WaitUntil([] { return false; }, 300);
  EXPECT_EQ(on.Slider().Value(), 30) << "position reports moved a held slider";
}

TEST_F(PreviewPanelTest, DraggingTheSliderPausesAndLettingGoSeeksToItsShareAndPlays) {
  TPanelOnForm on(options);
  ASSERT_TRUE(on.OpenPaused(preview_world::QuadrantClip()));
  TFFPlayer& player = on.panel->Player();
  on.panel->Play();
  ASSERT_TRUE(WaitUntil([&] { return !player.Paused() && on.Slider().Value() > 0; }));
  // The thumb dragged by the mouse to the middle of its travel.
  TvlSkinSlider& slider = on.Slider();
  const TRect thumb = slider.ThumbRect();
  const TPoint from = slider.ClientToScreen({(thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2});
  const TPoint to{from.X + slider.OffsetOfValue(101) - thumb.Left, from.Y};
  display->MouseMove(from);
  display->MouseDown(from);
  skinned_test_form::Pump();
  EXPECT_TRUE(on.panel->SliderHeld());
  EXPECT_TRUE(player.Paused());
  display->MouseMove(to);
  skinned_test_form::Pump();
  const int value = slider.Value();
  EXPECT_NEAR(value, 101, 2);
  display->MouseUp(to);
  skinned_test_form::Pump();
  EXPECT_FALSE(on.panel->SliderHeld());
  EXPECT_FALSE(player.Paused());
  const int64_t target = on.panel->Duration() * value / 202;
  ASSERT_TRUE(WaitUntil([&] { return player.CurrentPTS() >= target - 100000; }, 4000));
  // The seek went there at once rather than playing up to it.
  EXPECT_LT(player.CurrentPTS(), target + 600000);
}

// Also from a paused start, a release plays.
TEST_F(PreviewPanelTest, ReleasingTheSliderWithoutAKnownDurationOnlyPlays) {
  TPanelOnForm on(options);
  ASSERT_TRUE(on.OpenPaused(preview_world::QuadrantClip()));
  TFFPlayer& player = on.panel->Player();
  for (int64_t duration : {int64_t{-1}, int64_t{0}}) {
    SCOPED_TRACE(duration);
    int width = 0, height = 0;
    // The file as if it did not tell its duration.
    on.panel->FFPlayerFileOpen(duration, 160, 120, width, height);
    on.panel->SliderPressed();
    on.Slider().SetValue(150);
    on.panel->SliderReleased();
    EXPECT_FALSE(player.Seeking());
    EXPECT_FALSE(player.Paused());
    EXPECT_LT(player.CurrentPTS(), 1000000);
    on.panel->Pause();
  }
}

TEST_F(PreviewPanelTest, TheEndOfTheFileRewindsToTheStartAndPauses) {
  TPanelOnForm on(options);
  ASSERT_TRUE(on.OpenPaused(preview_world::QuadrantClip()));
  TFFPlayer& player = on.panel->Player();
  on.panel->Play();
  ASSERT_TRUE(on.WaitForLog("预览：播放结束", 1, 8000));
  // The first picture of the file is on screen, and the position says so.
  ASSERT_TRUE(WaitUntil([&] {
    int64_t pts = -1;
    player.CurrentFrame(pts);
    return player.Paused() && pts == 0 && on.Slider().Value() == 0;
  })) << "the picture on screen after the rewind: "
      << player.CurrentPTS() << " us, slider " << on.Slider().Value();
  EXPECT_NE(player.PlayState(), TPlayState::psStop);
  // Playing again starts from the beginning.
  on.panel->Play();
  ASSERT_TRUE(WaitUntil([&] { return player.CurrentPTS() > 200000; }));
  EXPECT_LT(player.CurrentPTS(), 1500000);
}

TEST_F(PreviewPanelTest, StopReopensTheFilePausedAtItsStartOnlyWithARowSelected) {
  TPanelOnForm on(options);
  ASSERT_TRUE(on.OpenPaused(preview_world::QuadrantClip()));
  TFFPlayer& player = on.panel->Player();
  on.panel->Play();
  ASSERT_TRUE(WaitUntil([&] { return player.CurrentPTS() > 500000; }));

  const int focused = on.window.focus_calls;
  on.window.row_selected = false;
  on.layout.Controls.StopButton->Click();
  EXPECT_FALSE(player.Paused()) << "nothing happens without a selected row";
  EXPECT_EQ(on.window.focus_calls, focused);

  on.window.row_selected = true;
  const int pauses = on.window.Count("预览：暂停");
  on.layout.Controls.StopButton->Click();
  EXPECT_EQ(on.window.focus_calls, focused + 1);
  EXPECT_TRUE(on.window.Logged("预览：停止"));
  ASSERT_TRUE(on.WaitForLog("预览：暂停", pauses + 1));
  int64_t pts = -1;
  player.CurrentFrame(pts);
  EXPECT_LE(pts, 40000) << "one of the first two pictures";
  EXPECT_TRUE(on.panel->VideoScreen()->Visible());
}

TEST_F(PreviewPanelTest, MuteAndUnmuteSwapTheirButtonsAndLeaveTheVolume) {
  TPanelOnForm on(options);
  TControl* mute = on.layout.Controls.MuteButton;
  TControl* unmute = on.layout.Controls.UnmuteButton;
  EXPECT_TRUE(mute->Visible());
  EXPECT_FALSE(unmute->Visible());
  EXPECT_EQ(mute->Left(), unmute->Left());
  EXPECT_EQ(mute->Hint(), "静音");
  EXPECT_EQ(unmute->Hint(), "静音");
  mute->Click();
  EXPECT_TRUE(on.panel->Player().Mute());
  EXPECT_FALSE(mute->Visible());
  EXPECT_TRUE(unmute->Visible());
  unmute->Click();
  EXPECT_FALSE(on.panel->Player().Mute());
  EXPECT_TRUE(mute->Visible());
  EXPECT_FALSE(unmute->Visible());
  EXPECT_EQ(on.panel->Player().AudioVolume(), 128);
}

TEST_F(PreviewPanelTest, ClearingStopsPlaybackAndShowsTheIdlePictureAgain) {
  TPanelOnForm on(options);
  TBitmap idle;
  idle.LoadFromResourceName(HInstance(), "VL_PREVIEW_IDLE");
  const TPoint picture = on.Screen().ClientToScreen({40, 26});  // the idle picture's top-left
  auto idlePixel = [&](int X, int Y) {
    const auto* row = static_cast<const uint8_t*>(idle.ScanLine(Y));
    const int bytes = idle.PixelFormat() == TPixelFormat::pf32bit ? 4 : 3;
    return RGB(row[X * bytes + 2], row[X * bytes + 1], row[X * bytes]);
  };
  ASSERT_EQ(idle.Width(), 120);
  // A stroke of the film icon, and black around it.
  const TPoint points[] = {{47, 12}, {0, 0}, {60, 36}, {119, 71}};
  ASSERT_NE(idlePixel(47, 12), RGB(0, 0, 0));
  auto showsIdlePicture = [&] {
    const TScreenShot shot = Shot();
    return std::all_of(std::begin(points), std::end(points),
                       [&](TPoint p) { return shot.At({picture.X + p.X, picture.Y + p.Y}) == idlePixel(p.X, p.Y); });
  };
  EXPECT_TRUE(showsIdlePicture()) << "the empty render area shows the idle picture";

  ASSERT_TRUE(on.OpenPaused(preview_world::QuadrantClip()));
  on.panel->Play();
  ASSERT_TRUE(WaitUntil([&] { return on.Slider().Value() > 20; }));
  // The video library draws into the video screen (read back from the X server in the X11
  // test); the headless display has no such drawing, so here the screen only has to be shown.
  EXPECT_TRUE(on.panel->VideoScreen()->Visible());

  on.panel->ClearPreview();
  TFFPlayer& player = on.panel->Player();
  EXPECT_EQ(player.State(), nullptr);
  EXPECT_EQ(player.PlayState(), TPlayState::psStop);
  EXPECT_EQ(on.window.log.back(), "预览：停止");
  EXPECT_FALSE(on.panel->VideoScreen()->Visible());
  EXPECT_EQ(on.Slider().Value(), 0);
  EXPECT_EQ(on.panel->Duration(), 0);
  EXPECT_TRUE(showsIdlePicture());
  // Nothing moves afterwards, and a second clear is harmless.
  WaitUntil([] { return false; }, 200);
  on.panel->ClearPreview();
  EXPECT_EQ(on.Slider().Value(), 0);
}

TEST_F(PreviewPanelTest, AFileThePlayerCannotOpenIsOneLogLine) {
  TPanelOnForm on(options);
  on.panel->PreviewRow((scratch / "missing.mp4").string());
  ASSERT_EQ(on.window.log.size(), 1u) << ::testing::PrintToString(on.window.log);
  EXPECT_FALSE(on.window.log[0].empty());
  EXPECT_EQ(on.panel->Player().State(), nullptr);
  EXPECT_FALSE(on.panel->VideoScreen()->Visible());
}

TEST_F(PreviewPanelTest, ALeftPressOnSettingsOpensTheSnapshotMenuMarkedWithTheStoredType) {
  TPanelOnForm on(options);
  TvlVelmora* skinner = new TvlVelmora(on.form.get());
  skinned_test_form::Pump();
  std::ofstream(options, std::ios::binary) << "[SnapShot]\r\nPicture=PNG\r\n";
  TSnapshots& snapshots = on.panel->Snapshots();
  TControl* settings = on.layout.Controls.SettingsButton;
  const TPoint at = settings->ClientToScreen({15, 15});
  auto press = [&](detail::TMouseButton Button) {
    display->MouseMove(at);
    display->MouseDown(at, Button);
    display->MouseUp(at, Button);
    skinned_test_form::Pump();
  };
  press(detail::TMouseButton::Right);
  EXPECT_FALSE(snapshots.Menu()->Showing()) << "the right button opens nothing";
  press(detail::TMouseButton::Left);
  ASSERT_TRUE(snapshots.Menu()->Showing());
  EXPECT_TRUE(snapshots.TypeItem(TSnapshotType::stPNG)->Checked());
  EXPECT_EQ(snapshots.Menu()->PopupPoint().X, at.X);
  EXPECT_EQ(snapshots.Menu()->PopupPoint().Y, at.Y);
  skinner->SkinMenu->Hide();
  skinned_test_form::Pump();
  EXPECT_FALSE(snapshots.Menu()->Showing());
}

// ---- Snapshots of the shown picture ------------------------------------------------------------------

TEST_F(PreviewPanelTest, SnapshotsInEveryTypeHoldTheShownPicture) {
  TPanelOnForm on(options);
  const fs::path folder = scratch / "快照";
  TSnapshots& snapshots = on.panel->Snapshots();
  snapshots.Options().SetFolder(folder.string());
  const std::string clip = preview_world::QuadrantClip();
  ASSERT_TRUE(on.OpenPaused(clip));
  TBitmap shown;
  shown.Assign(on.panel->Player().CurrentFrame());
  ASSERT_EQ(shown.Width(), 160);

  struct Case {
    TSnapshotType type;
    const char* file;
    double tolerance;  // mean difference per channel
  };
  const Case cases[] = {
      {TSnapshotType::stBMP, "preview-quadrants_1.bmp", 0.0},
      {TSnapshotType::stJPG, "preview-quadrants_1.jpg", 3.0},
      {TSnapshotType::stGIF, "preview-quadrants_1.gif", 3.0},
      {TSnapshotType::stPNG, "preview-quadrants_1.png", 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    snapshots.ChoosePictureType(c.type);
    on.layout.Controls.SnapshotButton->Click();
    ASSERT_TRUE(fs::exists(folder / c.file));
    TPicture picture;
    picture.LoadFromFile((folder / c.file).string());
    TBitmap decoded;
    decoded.Assign(picture.Graphic());
    EXPECT_LE(preview_world::MeanDifference(decoded, shown), c.tolerance);
  }
  on.layout.Controls.SnapshotButton->Click();
  EXPECT_TRUE(fs::exists(folder / "preview-quadrants_2.png"));

  // Without a picture nothing is saved.
  on.panel->ClearPreview();
  on.layout.Controls.SnapshotButton->Click();
  EXPECT_FALSE(fs::exists(folder / "preview-quadrants_3.png"));
}

}  // namespace
