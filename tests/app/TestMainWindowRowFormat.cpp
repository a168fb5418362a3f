// The output format of rows already in the list: choosing a category or preset while some row is
// selected rewrites that row (or every selected row) and nothing else; selecting a row shows its
// own choice without rewriting it; and what the row says is what it converts to.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/PresetCatalogue.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "tests/Src/ConvexaTestSupport.h"
#include "tests/Src/MediaFixtures.h"
#include "tests/app/MainWindowWorld.h"
#include "tests/app/PresetJobs.h"

namespace {

using namespace main_window;
using convexatest::PumpUntil;
using enum TJobSubItem;

std::string Clip() {
  return fixtures::Make("rowformat-160x120.mp4",
                        "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -f lavfi -i "
                        "sine=frequency=440:duration=1:sample_rate=44100 -ac 2 -c:v mpeg4 -q:v 4 -c:a aac -f mp4");
}

class MainWindowRowFormatTest : public MainWindowWorld {
 protected:
  void SetUp() override {
    MainWindowWorld::SetUp();
    if (HasFatalFailure()) return;
    StartShownWithFolders();
  }

  // Adds copies of the clip named Names (one add of several files) under the preset Code.
  void AddUnder(int Code, const std::vector<std::string>& Names) {
    main->SelectRow(-1);
    Choose(Code);
    std::vector<std::string> files;
    for (const std::string& name : Names) {
      const fs::path copy = clips / name;
      fs::copy_file(Clip(), copy, fs::copy_options::overwrite_existing);
      files.push_back(copy.string());
    }
    dialogs.files.push_back(files);
    main->Button8Click();
  }
  void Choose(int Code) { preset_jobs::ChoosePreset(*main->vlSkinOfficeComboBox2, *main->vlSkinOfficeComboBox1, Code); }
  // The preset a row converts with, from its category column.
  [[nodiscard]] int PresetOfRow(int Row) {
    const auto choice = SplitCategoryCode(Column(Row, jsCategoryCode));
    if (!choice) return -1;
    return MakePresetCode(*PresetGroupOfCategory(choice->CategoryIndex), choice->PresetIndex);
  }
  // The preset the two lists show.
  [[nodiscard]] int ShownPreset() {
    return MakePresetCode(*PresetGroupOfCategory(main->vlSkinOfficeComboBox2->ItemIndex()),
                          main->vlSkinOfficeComboBox1->ItemIndex());
  }
  [[nodiscard]] std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int row = 0; row < main->Jobs().Count(); ++row) names.push_back(Column(row, jsOutputName));
    return names;
  }
  void Convert() {
    main->Conversion().Start();
    ASSERT_TRUE(PumpUntil([this] { return main->Conversion().State() == TConversionState::csEnded; }, 120000));
  }
  void Key(WORD K) {
    display->KeyDown(K);
    display->KeyUp(K);
    skinned_test_form::Pump();
  }
};

struct TRowFormatCase {
  const char* Label;
  int Selected;   // the row selected before the choice
  int Chosen;     // the preset chosen for it
  const char* Ext;
  const char* Format;  // ffprobe's format_name of the converted file
  const char* Video;
  const char* Audio;
};

// Rows 0..2 hold c, b and a (the last chosen file is added first); row 2 is the one the add
// leaves selected.
const TRowFormatCase kRowFormatCases[] = {
    {"FirstRowToMp4Category", 0, 1000, ".mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "mp3"},
    {"MiddleRowToMpeg4Preset", 1, 1303, ".mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "mp3"},
    {"FirstRowToAvi", 0, 1500, ".avi", "avi", "mpeg4", "mp3"},
    {"MiddleRowToFlash", 1, 1100, ".flv", "flv", "flv1", "mp3"},
    {"MiddleRowToAudioOnly", 1, 100, ".mp3", "mp3", "", "mp3"},
    {"LastAddedRowToMkv", 2, 1600, ".mkv", "matroska,webm", "", ""},
};

class RowFormatTableTest : public MainWindowRowFormatTest, public testing::WithParamInterface<TRowFormatCase> {};

// The chosen preset goes into the selected row only: its name, its category column and the file
// it converts to; the other rows keep theirs; selecting rows back and forth changes nothing.
TEST_P(RowFormatTableTest, TheSelectedRowTakesTheChosenFormat) {
  const TRowFormatCase& c = GetParam();
  AddUnder(1300, {"a.mp4", "b.mp4", "c.mp4"});
  ASSERT_EQ(Names(), (std::vector<std::string>{"c.mpg", "b.mpg", "a.mpg"}));
  ASSERT_EQ(main->Jobs().ItemIndex(), 2);

  main->SelectRow(c.Selected);
  Choose(c.Chosen);
  std::vector<std::string> expected{"c.mpg", "b.mpg", "a.mpg"};
  expected[c.Selected] = ChangeFileExt(expected[c.Selected], c.Ext);
  EXPECT_EQ(Names(), expected);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(PresetOfRow(row), row == c.Selected ? c.Chosen : 1300) << row;

  // Selecting every row in turn shows its own preset and rewrites none.
  for (int row : {0, 1, 2, c.Selected}) {
    main->SelectRow(row);
    EXPECT_EQ(ShownPreset(), PresetOfRow(row)) << row;
  }
  EXPECT_EQ(Names(), expected);

  Convert();
  EXPECT_TRUE(dialogs.messages.empty()) << testing::PrintToString(dialogs.messages);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Column(row, jsProgress), "100%") << row;
  const auto info = fixtures::Probe((output / expected[c.Selected]).string());
  const auto value = [&info](const std::string& Key) {
    const auto it = info.find(Key);
    return it == info.end() ? std::string() : it->second;
  };
  EXPECT_EQ(value("format.format_name"), c.Format);
  std::string video, audio;
  for (int i = 0; !value("streams.stream." + std::to_string(i) + ".codec_type").empty(); ++i) {
    const std::string type = value("streams.stream." + std::to_string(i) + ".codec_type");
    (type == "video" ? video : audio) = value("streams.stream." + std::to_string(i) + ".codec_name");
  }
  if (*c.Video) {
    EXPECT_EQ(video, c.Video);
  }
  if (*c.Audio) {
    EXPECT_EQ(audio, c.Audio);
  }
  EXPECT_FALSE(video.empty() && audio.empty());
  for (int row = 0; row < 3; ++row) {
    if (row != c.Selected) {
      EXPECT_EQ(fixtures::Probe((output / expected[row]).string())["format.format_name"], "mpeg") << row;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, RowFormatTableTest, testing::ValuesIn(kRowFormatCases),
                         [](const testing::TestParamInfo<TRowFormatCase>& Info) { return Info.param.Label; });

// A row whose preset is not its category's first keeps its name when it is selected, also when
// the first preset's name is another row's.
TEST_F(MainWindowRowFormatTest, SelectingARowKeepsItsName) {
  AddUnder(1300, {"clip.mp4"});
  Choose(1303);  // the added row is selected: clip.mp4
  AddUnder(1300, {"clip.mp4"});
  ASSERT_EQ(Names(), (std::vector<std::string>{"clip.mp4", "clip.mpg"}));
  const std::string options = Column(0, jsOptionCode);
  for (int row : {0, 1, 0, 1, 0}) main->SelectRow(row);
  EXPECT_EQ(Names(), (std::vector<std::string>{"clip.mp4", "clip.mpg"}));
  EXPECT_EQ(PresetOfRow(0), 1303);
  EXPECT_EQ(Column(0, jsOptionCode), options);
  EXPECT_EQ(ShownPreset(), 1303);
}

// With several rows selected, the chosen format goes into each of them.
TEST_F(MainWindowRowFormatTest, EverySelectedRowTakesTheChosenFormat) {
  AddUnder(1300, {"a.mp4", "b.mp4", "c.mp4"});
  main->SelectRow(0);
  main->lvFiles->SetFocus();
  display->KeyDown(VK_SHIFT);
  Key(VK_DOWN);  // rows 0 and 1
  display->KeyUp(VK_SHIFT);
  ASSERT_EQ(main->lvFiles->SelCount(), 2);
  Choose(1500);
  EXPECT_EQ(Names(), (std::vector<std::string>{"c.avi", "b.avi", "a.mpg"}));
  EXPECT_EQ(PresetOfRow(0), 1500);
  EXPECT_EQ(PresetOfRow(1), 1500);
  EXPECT_EQ(PresetOfRow(2), 1300);
  Convert();
  EXPECT_TRUE(dialogs.messages.empty()) << testing::PrintToString(dialogs.messages);
  for (const char* name : {"c.avi", "b.avi"})
    EXPECT_EQ(fixtures::Probe((output / name).string())["format.format_name"], "avi") << name;
}

// After Ctrl+A every row is selected; a click on one of them, or a key that moves onto one,
// makes it the only selected row (or the focused one) without a selection event for it. The
// choosers show that row, and a chosen format goes where the selection is.
TEST_F(MainWindowRowFormatTest, ARowReachedInsideASelectionIsTheOneTheChoosersShow) {
  AddUnder(1300, {"a.mp4", "b.mp4", "c.mp4"});
  main->SelectRow(0);
  Choose(1303);  // c.mp4: the rows' presets differ
  const auto selectAll = [this] {
    main->lvFiles->SetFocus();
    display->KeyDown(VK_CONTROL);
    Key('A');
    display->KeyUp(VK_CONTROL);
    ASSERT_EQ(main->lvFiles->SelCount(), 3);
  };

  // A click on row 0 leaves it the only selected row.
  main->SelectRow(2);
  selectAll();
  const TRect bounds = main->lvFiles->ItemRect(0, TDisplayCode::drBounds);
  display->Click(main->lvFiles->ClientToScreen(TPoint{bounds.Left + 20, bounds.Top + bounds.Height() / 2}));
  skinned_test_form::Pump();
  ASSERT_EQ(main->lvFiles->SelCount(), 1);
  EXPECT_EQ(main->Jobs().ItemIndex(), 0);
  EXPECT_EQ(ShownPreset(), 1303);
  Choose(1500);
  EXPECT_EQ(Names(), (std::vector<std::string>{"c.avi", "b.mpg", "a.mpg"}));

  // Up from row 2 moves onto row 1, the only selected row then.
  main->SelectRow(2);
  selectAll();
  Key(VK_UP);
  ASSERT_EQ(main->lvFiles->SelCount(), 1);
  EXPECT_EQ(main->Jobs().ItemIndex(), 1);
  EXPECT_EQ(ShownPreset(), 1300);
  Choose(1100);
  EXPECT_EQ(Names(), (std::vector<std::string>{"c.avi", "b.flv", "a.mpg"}));
  EXPECT_EQ(PresetOfRow(1), 1100);
  EXPECT_EQ(PresetOfRow(2), 1300);
}

}  // namespace
