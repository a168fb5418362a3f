// The main window's preview panel driven through the window: adding or selecting a row previews
// its file, paused on its first picture; the panel's buttons and slider work on it; the end of
// the file rewinds and pauses; snapshots go into the snapshot folder of the options file in the
// four types; the list's last row, a clear and a click on no row stop the preview; and the
// conversion's own preview window, switched on in the options window, shows a running batch.
// SDL's dummy drivers play (the X server's pixels are read in TestPreviewPanelX11.cpp).

#include <gtest/gtest.h>

#include <algorithm>

#include "Src/FFPlay.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsSlider.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "platform/graphics/Picture.h"
#include "tests/Src/MediaFixtures.h"
#include "tests/Src/PlayerTestSupport.h"
#include "tests/app/MainWindowWorld.h"
#include "tests/app/PreviewPanelWorld.h"
#include "tests/platform/ScreenShot.h"

namespace {

using namespace main_window;
using playertest::WaitUntil;

class MainWindowPreviewTest : public MainWindowWorld {
 protected:
  void SetUp() override {
    MainWindowWorld::SetUp();
    if (HasFatalFailure()) return;
    WriteOptions("[OutPath]\nOutPath=" + (root / "out").string() + "\n");
    Start();
  }

  [[nodiscard]] int Logged(const std::string& Line) const {
    const std::vector<std::string> lines = LogLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), Line));
  }
  // Waits, pumping, until the log holds Line Times times.
  bool WaitForLog(const std::string& Line, int Times, int TimeoutMs = 8000) {
    return WaitUntil([&] { return Logged(Line) >= Times; }, TimeoutMs);
  }
  // A copy of the quadrant clip under its own name.
  std::string Clip(const std::string& Name) {
    const fs::path copy = root / "clips" / Name;
    fs::create_directories(copy.parent_path());
    fs::copy_file(preview_world::QuadrantClip(), copy, fs::copy_options::overwrite_existing);
    return copy.string();
  }
  // Adds the files as the user does (the last one ends selected) and waits until the selected
  // row's file shows its first picture, paused.
  bool AddAndWaitPaused(const std::vector<std::string>& Files) {
    const int pauses = Logged("预览：暂停");
    dialogs.files.push_back(Files);
    main->Button8Click();
    return WaitForLog("预览：暂停", pauses + 1);
  }
  TFFPlayer& Player() { return *main->FFPlayer; }
  TvlSkinSlider& Slider() { return *main->vlSkinSlider1; }
};

// ---- Playback ----------------------------------------------------------------------------------

TEST_F(MainWindowPreviewTest, TheSelectedRowIsPreviewedAndTheButtonsAndSliderWorkOnIt) {
  const std::string first = Clip("first.mp4"), second = Clip("second.mp4");
  Slider().SetValue(40);
  ASSERT_TRUE(AddAndWaitPaused({first, second})) << ::testing::PrintToString(LogLines());
  // The files are taken last to first, and the last row is selected: first.mp4.
  EXPECT_EQ(main->Jobs().ItemIndex(), 1);
  EXPECT_EQ(main->Preview().FileName(), first);
  EXPECT_EQ(Player().AVProbe()->FileName(), first);
  EXPECT_TRUE(Player().Paused());
  EXPECT_EQ(Slider().MaxValue(), 202);
  EXPECT_LE(Slider().Value(), 4);
  EXPECT_EQ(Player().ScreenWidth(), 200) << "the video takes Panel6's size";
  EXPECT_EQ(Player().ScreenHeight(), 124);
  const std::vector<std::string> log = LogLines();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& L) { return L.starts_with("时长：2.0"); }));

  // Selecting the other row previews its file.
  const int pauses = Logged("预览：暂停");
  main->SelectRow(0);
  ASSERT_TRUE(WaitForLog("预览：暂停", pauses + 1));
  EXPECT_EQ(Player().AVProbe()->FileName(), second);

  // 播放: the slider follows the playback; 暂停 holds it.
  main->vlSkinButton13->Click();
  EXPECT_FALSE(Player().Paused());
  ASSERT_TRUE(WaitUntil([&] { return Slider().Value() >= 40; }));
  EXPECT_NEAR(Slider().Value(), 202 * Player().CurrentPTS() / main->Preview().Duration(), 8);
  main->vlSkinButton14->Click();
  ASSERT_TRUE(WaitUntil([&] { return Player().Paused(); }));

  // The slider let go at its middle seeks there and plays.
  Slider().OnMouseDown(&Slider(), TMouseButton::mbLeft, {}, 0, 0);
  EXPECT_TRUE(main->Preview().SliderHeld());
  Slider().SetValue(101);
  Slider().OnMouseUp(&Slider(), TMouseButton::mbLeft, {}, 0, 0);
  EXPECT_FALSE(main->Preview().SliderHeld());
  ASSERT_TRUE(WaitUntil([&] { return !Player().Paused() && Player().CurrentPTS() >= 900000; }, 4000));
  EXPECT_LT(Player().CurrentPTS(), 1600000) << "the seek went there rather than playing up to it";

  // 静音 swaps with its twin in the same place.
  main->vlSkinButton16->Click();
  EXPECT_TRUE(Player().Mute());
  EXPECT_TRUE(main->vlSkinButton20->Visible());
  EXPECT_FALSE(main->vlSkinButton16->Visible());
  main->vlSkinButton20->Click();
  EXPECT_FALSE(Player().Mute());

  // 停止 goes back to the first picture, paused.
  const int again = Logged("预览：暂停");
  main->vlSkinButton15->Click();
  ASSERT_TRUE(WaitForLog("预览：暂停", again + 1));
  int64_t pts = -1;
  Player().CurrentFrame(pts);
  EXPECT_LE(pts, 40000);
}

TEST_F(MainWindowPreviewTest, TheEndOfTheFileRewindsToTheStartAndPauses) {
  ASSERT_TRUE(AddAndWaitPaused({Clip("short.mp4")}));
  main->vlSkinButton13->Click();
  ASSERT_TRUE(WaitUntil([&] { return Slider().Value() > 150; }));
  ASSERT_TRUE(WaitForLog("预览：播放结束", 1));
  ASSERT_TRUE(WaitUntil([&] {
    int64_t pts = -1;
    Player().CurrentFrame(pts);
    return Player().Paused() && pts == 0 && Slider().Value() == 0;
  })) << "at " << Player().CurrentPTS() << " us, slider " << Slider().Value();
  EXPECT_NE(Player().PlayState(), TPlayState::psStop);
}

// The last row removed, the list cleared, a click on the list where no row is: each stops the
// preview and gives the render area its idle look back.
TEST_F(MainWindowPreviewTest, TheListsLastRowAClearAndAClickOnNoRowStopThePreview) {
  const std::string clip = Clip("clip.mp4");
  const std::function<void()> stops[] = {
      [&] { main->btnRemoveClick(); },
      [&] { main->vlSkinButton8->Click(); },  // 清空
      [&] {
        main->SelectRow(-1);
        main->lvFiles->Click();
      },
  };
  for (const auto& stop : stops) {
    ASSERT_TRUE(AddAndWaitPaused({clip}));
    main->vlSkinButton13->Click();
    ASSERT_TRUE(WaitUntil([&] { return Slider().Value() > 10; }));
    ASSERT_TRUE(main->Preview().VideoScreen()->Visible());
    stop();
    EXPECT_EQ(Player().State(), nullptr);
    EXPECT_EQ(Player().PlayState(), TPlayState::psStop);
    EXPECT_FALSE(main->Preview().VideoScreen()->Visible());
    EXPECT_EQ(Slider().Value(), 0);
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(Slider().Value(), 0) << "nothing moves the slider afterwards";
    if (main->Jobs().Count() > 0) main->vlSkinButton8->Click();
  }

  // A click on a row leaves its preview alone.
  ASSERT_TRUE(AddAndWaitPaused({clip}));
  main->lvFiles->Click();
  EXPECT_NE(Player().State(), nullptr);
}

// ---- Snapshots ---------------------------------------------------------------------------------

TEST_F(MainWindowPreviewTest, SnapshotsInEveryTypeGoIntoTheSnapshotFolderAndHoldTheShownPicture) {
  // The first snapshot without a folder in the options file: the default one in the home folder.
  const fs::path folder = root / "home" / "Qirelo视频软件" / "快照";
  ASSERT_TRUE(AddAndWaitPaused({Clip("holiday.mp4")}));
  TBitmap shown;
  shown.Assign(Player().CurrentFrame());
  ASSERT_EQ(shown.Width(), 160);
  TSnapshots& snapshots = main->Preview().Snapshots();

  struct Case {
    TSnapshotType type;
    const char* file;
    double tolerance;  // mean difference per channel
  };
  const Case cases[] = {
      {TSnapshotType::stBMP, "holiday_1.bmp", 0.0},
      {TSnapshotType::stJPG, "holiday_1.jpg", 3.0},
      {TSnapshotType::stGIF, "holiday_1.gif", 3.0},
      {TSnapshotType::stPNG, "holiday_1.png", 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    snapshots.TypeItem(c.type)->Click();
    main->vlSkinButton22->Click();  // 快照
    ASSERT_TRUE(fs::exists(folder / c.file));
    TPicture picture;
    picture.LoadFromFile((folder / c.file).string());
    TBitmap decoded;
    decoded.Assign(picture.Graphic());
    EXPECT_LE(preview_world::MeanDifference(decoded, shown), c.tolerance);
    EXPECT_NE(OptionText().find(std::string("Picture=") + SnapshotTypeKey(c.type)), std::string::npos);
  }
  EXPECT_NE(OptionText().find("Dir=" + folder.string()), std::string::npos);

  // "设置快照目录" takes the folder the shared folder dialog confirms.
  const fs::path chosen = root / "chosen";
  fs::create_directories(chosen);
  dialogs.folders.push_back(chosen.string());
  snapshots.ChooseFolderItem()->Click();
  EXPECT_EQ(dialogs.shownFolders.back().Title, "选择输出目录");
  main->vlSkinButton22->Click();
  EXPECT_TRUE(fs::exists(chosen / "holiday_1.png"));
  main->vlSkinButton22->Click();
  EXPECT_TRUE(fs::exists(chosen / "holiday_2.png"));

  // Without a picture nothing is saved.
  main->vlSkinButton8->Click();  // 清空
  main->vlSkinButton22->Click();
  EXPECT_FALSE(fs::exists(chosen / "holiday_3.png"));
}

// ---- The conversion's preview window -------------------------------------------------------------

// With "转换时进行实时视频预览" checked in the options window, a batch started from the main window
// shows its pictures in a stay-on-top tool window; once the user closes it, it stays closed for
// the rest of the batch.
TEST_F(MainWindowPreviewTest, ThePreviewWindowShowsARunningBatchAndStaysClosedOnceClosed) {
  const std::string clip = fixtures::Make(
      "preview-window-blue.mp4",
      "-f lavfi -i color=c=0x2050C0:size=320x240:rate=25:duration=40 -c:v mpeg4 -q:v 2 -f mp4");
  windows.Form5->vlSkinCheckRadioBox8->SetChecked(true);
  ASSERT_TRUE(main->Convexa->Preview());
  ASSERT_TRUE(AddAndWaitPaused({clip}));
  const auto shownPreview = []() -> TCustomForm* {
    for (int i = 0; i < Screen()->FormCount(); ++i) {
      TCustomForm* form = Screen()->Forms(i);
      if (form->Visible() && form->BorderStyle() == TFormBorderStyle::bsToolWindow) return form;
    }
    return nullptr;
  };

  main->N7->Click();  // 开始转换
  ASSERT_EQ(main->Conversion().State(), TConversionState::csRunning);
  ASSERT_TRUE(WaitUntil([&] { return shownPreview() && !shownPreview()->Caption().empty(); }, 20000));
  main->N10->Click();  // 暂停转换: the picture stands while the test looks at it
  TCustomForm* form = shownPreview();
  ASSERT_NE(form, nullptr) << "the batch ended before it could be paused";
  EXPECT_GT(form->ClientWidth(), 0);
  skinned_test_form::Pump();
  const COLORREF centre =
      TScreenShot(*display, RGB(1, 2, 3)).At(form->ClientToScreen({form->ClientWidth() / 2, form->ClientHeight() / 2}));
  EXPECT_NEAR(GetRValue(centre), 0x20, 10);
  EXPECT_NEAR(GetGValue(centre), 0x50, 10);
  EXPECT_NEAR(GetBValue(centre), 0xC0, 10);

  PostMessage(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  skinned_test_form::Pump();
  EXPECT_EQ(shownPreview(), nullptr);
  main->N11->Click();  // 继续
  bool cameBack = false;
  ASSERT_TRUE(WaitUntil(
      [&] {
        cameBack = cameBack || shownPreview() != nullptr;
        return main->Conversion().State() == TConversionState::csEnded;
      },
      60000));
  EXPECT_FALSE(cameBack);
  EXPECT_EQ(Column(0, TJobSubItem::jsProgress), "100%");
  skinned_test_form::Pump();
  for (int i = 0; i < Screen()->FormCount(); ++i)
    EXPECT_NE(Screen()->Forms(i)->BorderStyle(), TFormBorderStyle::bsToolWindow) << "the preview form is freed";
}

}  // namespace
