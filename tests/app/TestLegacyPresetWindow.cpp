// The legacy preset window as the program makes it: created at start-up beside the main window
// and never shown, its lists filled and two of the main window's fields written by its creation;
// shown here on purpose to drive its skinned controls, OK, Cancel and its look.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "Src/Convexa.h"
#include "Src/FFmpegLoader.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/controls/vlSkinExCtrlsOffice.h"
#include "lib/controls/vlSkinTabs.h"
#include "platform/controls/ExtCtrls.h"
#include "tests/app/MainWindowWorld.h"

namespace {

using namespace main_window;

class LegacyPresetWindowTest : public MainWindowWorld {
 protected:
  void SetUp() override {
    MainWindowWorld::SetUp();
    WriteOptions("[OutPath]\nOutPath=" + (root / "out").string() + "\n");
    fs::create_directories(root / "out");
    // Earlier players and conversions of the process may still hold the media libraries; what
    // counts is that the start adds no holder.
    heldBefore = Holders();
    Start();
    form = windows.Form6;
    ASSERT_NE(form, nullptr);
  }

  // Picks a preset the way the user does: the group, then the preset, in the office lists.
  void Choose(int code) {
    form->vlSkinOfficeComboBox2->Control()->SetItemIndex(code / 100 - 1);
    form->vlSkinOfficeComboBox1->Control()->SetItemIndex(code % 100);
  }

  TCurrentPreset& Fields() { return main->Chain().Fields(); }

  static std::vector<int> Holders() {
    std::vector<int> counts;
    for (TLibrary lib : {TLibrary::avCodec, TLibrary::avFilter, TLibrary::avFormat, TLibrary::avUtil,
                         TLibrary::swScale, TLibrary::swResample, TLibrary::myUtil, TLibrary::lbSDL}) {
      counts.push_back(FFLoader().HolderCount(lib));
    }
    return counts;
  }

  std::vector<int> heldBefore;

  TForm6* form = nullptr;
};

TEST_F(LegacyPresetWindowTest, StartUpFillsItsListsAndWritesTheCodeWithoutShowingIt) {
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(form->Owner(), &app) << "the application frees it";
  EXPECT_EQ(form->Caption(), "设置选项");
  EXPECT_EQ(form->vlSkinOfficeComboBox2->ItemCount(), 12);
  EXPECT_EQ(form->vlSkinOfficeComboBox2->ItemIndex(), 0);
  ASSERT_EQ(form->vlSkinOfficeComboBox1->ItemCount(), 15) << "the presets of 常用视频";
  EXPECT_EQ(form->vlSkinOfficeComboBox1->ItemIndex(), 0);
  const auto* first = form->vlSkinOfficeComboBox1->Control()->Items()->Items(0);
  EXPECT_EQ(first->Title(), "AVI - 音频视频交错格式(*.avi)");

  // Code 100's lists and defaults.
  const std::pair<TOptionChooserBox*, const char*> defaults[] = {
      {form->vlSkinComboBox1.get(), "保持原分辨率"}, {form->vlSkinComboBox2.get(), "816 kbps"},
      {form->vlSkinComboBox9.get(), "25.00"},        {form->vlSkinComboBox3.get(), "128 kbps"},
      {form->vlSkinComboBox10.get(), "44100"},       {form->vlSkinComboBox4.get(), "保持原视频模式"},
  };
  for (const auto& [list, text] : defaults) {
    SCOPED_TRACE(text);
    EXPECT_EQ(list->Text(), text);
    EXPECT_TRUE(list->Enabled());
  }
  EXPECT_EQ(form->vlSkinComboBox1->ItemCount(), 27);

  EXPECT_EQ(Fields().All_Trant_Number, 100) << "the main window's own start leaves another code";
  EXPECT_FALSE(Fields().Video_DisableVideo);
  EXPECT_EQ(Fields().Video_OutPutFileName, "") << "nothing but the code and the video switch";

  EXPECT_EQ(form->Convexa->Owner(), form);
  EXPECT_EQ(form->Convexa->TasksCount(), 0);
  EXPECT_EQ(Holders(), heldBefore) << "nothing loads the media libraries before it is asked to";
  EXPECT_FALSE(form->Panel1->Visible()) << "the procedure buttons are never shown";
  EXPECT_EQ(form->vlSkinPageControl1->ActivePageIndex(), 0);
}

TEST_F(LegacyPresetWindowTest, TheSkinnedListsDriveTheChain) {
  Choose(1203);
  EXPECT_EQ(form->vlSkinOfficeComboBox1->ItemCount(), 4) << "Flash视频";
  EXPECT_EQ(Fields().All_Trant_Number, 1203);
  for (TOptionChooserBox* list : {form->vlSkinComboBox1.get(), form->vlSkinComboBox2.get(),
                                  form->vlSkinComboBox4.get(), form->vlSkinComboBox9.get()}) {
    EXPECT_FALSE(list->Enabled()) << "an audio-only preset has no video lists";
    EXPECT_EQ(list->ItemCount(), 1);
  }
  EXPECT_TRUE(form->vlSkinComboBox3->Enabled());

  Choose(212);
  EXPECT_EQ(form->vlSkinComboBox3->Text(), "7.4 kbps");
  form->vlSkinComboBox3->Pick(0);
  EXPECT_EQ(form->vlSkinComboBox3->Text(), "4.75 kbps");
  form->vlSkinButton2Click();
  EXPECT_EQ(Fields().Video_AudioBitrate, 4750);
  EXPECT_TRUE(Fields().Video_DisableVideo);
}

// OK writes the parameters, then the lists' values, into the main window and closes; Cancel
// closes and writes nothing. The output name follows the options window's overwrite choice.
TEST_F(LegacyPresetWindowTest, OkAndCancel) {
  Fields().Video_AddFileName = "/videos/movie.avi";
  std::ofstream(root / "out" / "movie.mp4") << "x";
  struct Case {
    TvlSkinCheckRadioBox* existing;  // the options window's choice
    const char* name;
  };
  const Case cases[] = {{windows.Form5->vlSkinCheckRadioBox6, "movie_1.mp4"},
                        {windows.Form5->vlSkinCheckRadioBox3, "movie.mp4"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.existing->SetChecked(true);
    form->Show();
    Choose(408);
    form->vlSkinButton2->Click();
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(Fields().Video_OutPutFileName, (root / "out" / c.name).string());
    EXPECT_EQ(Fields().Video_VideoCodec, "libxvid");
    EXPECT_EQ(Fields().Video_VideoBitrate, 768000) << "the list's choice, not the parameter row's 7680000";
    EXPECT_EQ(Fields().Video_FrameRate, "25.00");
  }

  form->Show();
  Choose(109);
  form->vlSkinButton3->Click();
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(Fields().All_Trant_Number, 109) << "choosing a preset writes its code";
  EXPECT_EQ(Fields().Video_VideoCodec, "libxvid") << "Cancel writes nothing";
  EXPECT_EQ(Fields().Video_VideoBitrate, 768000);
  EXPECT_EQ(Fields().Video_OutPutFileName, (root / "out" / "movie.mp4").string());
}

TEST_F(LegacyPresetWindowTest, TheWindowLooksAsExpected) {
  form->SetBounds(0, 0, form->Width(), form->Height());
  form->Show();
  const TRect r = form->BoundsRect();
  skinned_test_form::CompareWithExpected(skinned_test_form::Shot(display, r), r.Width(), r.Height(), ExpectedFolder(),
                                         "legacy_preset_window");
}

}  // namespace
