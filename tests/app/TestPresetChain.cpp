#include "app/PresetChain.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/OptionTexts.h"
#include "app/PresetCatalogue.h"
#include "tests/app/MemoryControls.h"
#include "tests/app/PresetJobs.h"

namespace {

namespace fs = std::filesystem;
using namespace memory_controls;
using enum TOptionKind;
using enum TJobSubItem;

// The main window's preset controls, job list and output folder, in memory, with the chain bound
// as the window binds it: the category list's items are form data (item 0 selected before any
// handler exists), and start-up fills the preset list once.
class PresetChainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "presets-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    folder_.SetFolder(dir_);
    TPresetChain::AddCategoryItems(categories_);
    categories_.SetItemIndex(0);
    TPresetChainHooks hooks;
    hooks.OverwriteOutput = [this] { return overwrite_; };
    hooks.FocusJobList = [this] { ++focus_; };
    hooks.PreviewRow = [this](const std::string& file) { previews_.push_back(file); };
    chain_ = std::make_unique<TPresetChain>(categories_, presets_, choosers_, jobs_, folder_, hooks);
    chain_->FillPresetList();
  }
  void TearDown() override {
    chain_.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Picks a preset through the two lists, as the user does.
  void Choose(int presetCode) { ASSERT_NO_THROW(preset_jobs::ChoosePreset(categories_, presets_, presetCode)); }

  // The add operation's use of the chain: the preset applied to the file, its row appended with
  // the job record, the row selected.
  int AddFile(const std::string& input) {
    const int row = preset_jobs::AddJobRow(*chain_, jobs_, input, 5000000, 1 << 20);
    jobs_.SetItemIndex(row);
    chain_->RowSelected();
    return row;
  }

  // A row as stored earlier: the codes and an output name, the setting columns left empty.
  int AddStoredRow(const std::string& input, const std::string& outputName, const std::string& categoryCode,
                   const std::string& optionCode) {
    TJobRow row;
    row.Caption = input;
    row[jsOutputName] = outputName;
    row[jsTaskNumber] = std::to_string(jobs_.Count() + 1);
    row[jsCategoryCode] = categoryCode;
    row[jsOptionCode] = optionCode;
    TInputOptions in;
    InitInputOptions(in);
    TOutputOptions out;
    InitOutputOptions(out);
    return jobs_.Add(row, in, out);
  }

  // The row's value columns and OptionCode are what the six choosers show.
  void ExpectRowShowsChoosers(int row) {
    EXPECT_EQ(jobs_.SubItem(row, jsOptionCode), chain_->OptionCode());
    EXPECT_EQ(jobs_.SubItem(row, jsFrameSize), FrameSizeOfText(resolution_.Text()));
    EXPECT_EQ(jobs_.SubItem(row, jsVideoBitrate), std::to_string(*VideoBitrateOfText(videoBitrate_.Text())));
    EXPECT_EQ(jobs_.SubItem(row, jsFrameRate), FrameRateOfText(frameRate_.Text()));
    EXPECT_EQ(jobs_.SubItem(row, jsAudioBitrate), std::to_string(*AudioBitrateOfText(audioBitrate_.Text())));
    EXPECT_EQ(jobs_.SubItem(row, jsAudioSampleRate), SampleRateOfText(sampleRate_.Text()));
    EXPECT_EQ(jobs_.SubItem(row, jsFrameAspectRatio), *AspectRatioOfText(scalingMode_.Text()));
  }

  // The listed columns of a row hold the listed texts.
  void ExpectColumns(int row, std::initializer_list<std::pair<TJobSubItem, const char*>> columns) {
    for (const auto& [column, text] : columns)
      EXPECT_EQ(jobs_.SubItem(row, column), text) << "column " << static_cast<int>(column) + 1;
  }

  void Touch(const std::string& name) { std::ofstream(dir_ + "/" + name) << "x"; }

  TJournal journal_;
  TMemoryPresetPicker categories_{"vlSkinOfficeComboBox2", journal_};
  TMemoryPresetPicker presets_{"vlSkinOfficeComboBox1", journal_};
  TMemoryChoosers controls_{journal_};
  TMemoryOptionChooser& resolution_ = controls_.Resolution;
  TMemoryOptionChooser& videoBitrate_ = controls_.VideoBitrate;
  TMemoryOptionChooser& audioBitrate_ = controls_.AudioBitrate;
  TMemoryOptionChooser& scalingMode_ = controls_.ScalingMode;
  TMemoryOptionChooser& frameRate_ = controls_.FrameRate;
  TMemoryOptionChooser& sampleRate_ = controls_.SampleRate;
  const TOptionChoosers& choosers_ = controls_.Choosers;
  TJobList jobs_;
  TOutputFolder folder_;
  std::string dir_;
  bool overwrite_ = false;
  int focus_ = 0;
  std::vector<std::string> previews_;
  std::unique_ptr<TPresetChain> chain_;
};

TEST_F(PresetChainTest, StartUpShowsTheFirstPreset) {
  ASSERT_EQ(presets_.ItemIndex(), 0);
  ASSERT_EQ(presets_.Items().size(), 11u);
  EXPECT_EQ(presets_.Items()[0].Caption, "MPG标准视频(*.mpg)");
  for (int i = 0; i < 11; ++i) EXPECT_EQ(presets_.Items()[i].ImageIndex, i % 2);
  EXPECT_EQ(categories_.Items()[10].Caption, "智能手机");
  EXPECT_EQ(categories_.Items()[10].ImageIndex, 24);
  EXPECT_EQ(chain_->Fields().All_Trant_Number, 1400);
  EXPECT_EQ(videoBitrate_.Text(), "1000 kbps");
  EXPECT_EQ(chain_->OutputExtension(), ".mpg");
  EXPECT_EQ(focus_, 0) << "no row, so nothing is written and nothing focused";
}

TEST_F(PresetChainTest, ParameterEdgeCases) {
  struct Case {
    int code;
    const char* outputName;  // the output file for /in/clip.avi
    const char* fileExt, *videoCodec, *frameSize, *videoBitrate, *audioBitrate, *disableVideo, *target, *norm;
  };
  const Case cases[] = {
      // The name says ".mp4", the output is ".avi".
      {2400, "clip.avi", ".avi", "libx264", "", "1000000", "128000", "False", "", ""},
      // A ".ra" file with the extension column ".rm".
      {106, "clip.ra", ".rm", "", "", "-1", "128000", "True", "", ""},
      {11, "clip.mpg", "", "", "", "-1000", "-1000", "False", "dvd", "PAL"},
      {12, "clip.mpg", "", "", "", "-1000", "-1000", "False", "svcd", "PAL"},
      {13, "clip.mpg", "", "", "", "-1000", "-1000", "False", "vcd", "PAL"},
      {1308, "clip.mpg", "", "", "", "-1000", "-1000", "False", "dvd", "PAL"},
      {1309, "clip.mpg", "", "", "", "-1000", "-1000", "False", "svcd", "PAL"},
      {1310, "clip.mpg", "", "", "", "-1000", "-1000", "False", "vcd", "PAL"},
      {14, "clip.rm", "", "rv20", "320*240", "-1", "-1", "False", "", ""},
      {1102, "clip.flv", "", "", "", "-1", "128000", "True", "", ""},
      {1500, "clip.avi", ".avi", "mpeg4", "", "816000", "128000", "False", "", ""},
  };
  const int row = AddStoredRow("/in/movie.avi", "movie.avi", "100", "000000000000");
  jobs_.SetItemIndex(row);
  chain_->Fields().Video_AddFileName = "/in/clip.avi";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    // The preset change ends with the choosers' values in the row; the parameters alone:
    Choose(c.code);
    chain_->ApplyPresetParameters(TRowUpdate::ruSelectedRow);
    const TCurrentPreset& fields = chain_->Fields();
    EXPECT_EQ(fields.Video_OutPutFileName, dir_ + "/" + c.outputName);
    EXPECT_EQ(fields.All_Trant_Number, c.code + 100);
    ExpectColumns(row, {{jsFileExt, c.fileExt}, {jsVideoCodec, c.videoCodec}, {jsFrameSize, c.frameSize},
                        {jsVideoBitrate, c.videoBitrate}, {jsAudioBitrate, c.audioBitrate},
                        {jsDisableVideo, c.disableVideo}, {jsTargetType, c.target}, {jsNormType, c.norm}});
    EXPECT_EQ(fields.Video_AudioVolume, "256");
  }
}

TEST_F(PresetChainTest, APresetChangeNamesTheRowsOutputByThePresetsName) {
  const int row = AddFile("/in/clip.avi");
  EXPECT_EQ(jobs_.SubItem(row, jsOutputName), "clip.mpg");
  Choose(2400);
  EXPECT_EQ(jobs_.SubItem(row, jsOutputName), "clip.mp4") << "the name's extension, not the output's";
  EXPECT_EQ(jobs_.SubItem(row, jsFileExt), ".avi");
  EXPECT_EQ(jobs_.SubItem(row, jsCategoryCode), "1100");
  Choose(108);
  EXPECT_EQ(jobs_.SubItem(row, jsOutputName), "clip.aiff");
  jobs_.SetSubItem(row, jsOutputName, "clip");
  presets_.SetItemIndex(10);
  EXPECT_EQ(jobs_.SubItem(row, jsOutputName), "clip.flac") << "a name without extension gets one";
  EXPECT_EQ(jobs_.SubItem(row, jsCategoryCode), "910");
  EXPECT_GT(focus_, 0);
}

TEST_F(PresetChainTest, OutputNamesStayClearOfExistingFiles) {
  chain_->Fields().Video_AddFileName = "/in/clip.avi";
  Choose(1500);
  chain_->ApplyPresetParameters(TRowUpdate::ruNoRow);
  EXPECT_EQ(chain_->Fields().Video_OutPutFileName, dir_ + "/clip.avi");

  Touch("clip.avi");
  chain_->ApplyPresetParameters(TRowUpdate::ruNoRow);
  EXPECT_EQ(chain_->Fields().Video_OutPutFileName, dir_ + "/clip_1.avi");
  Touch("clip_1.avi");
  chain_->ApplyPresetParameters(TRowUpdate::ruNoRow);
  EXPECT_EQ(chain_->Fields().Video_OutPutFileName, dir_ + "/clip_2.avi");
  overwrite_ = true;
  chain_->ApplyPresetParameters(TRowUpdate::ruNoRow);
  EXPECT_EQ(chain_->Fields().Video_OutPutFileName, dir_ + "/clip.avi");

  overwrite_ = false;
  fs::create_directory(dir_ + "/movie.mp4");
  chain_->Fields().Video_AddFileName = "/in/movie.mkv";
  Choose(1000);
  chain_->ApplyPresetParameters(TRowUpdate::ruNoRow);
  EXPECT_EQ(chain_->Fields().Video_OutPutFileName, dir_ + "/movie.mp4") << "a folder is no file";

  chain_->Fields().Video_AddFileName = "/in/a.b.avi";
  Choose(1);
  chain_->ApplyPresetParameters(TRowUpdate::ruNoRow);
  EXPECT_EQ(chain_->Fields().Video_OutPutFileName, dir_ + "/a.b.mp4");
  chain_->Fields().Video_AddFileName = "/in/clip";
  Choose(100);
  chain_->ApplyPresetParameters(TRowUpdate::ruNoRow);
  EXPECT_EQ(chain_->Fields().Video_OutPutFileName, dir_ + "/clip.mp3");
}

// Two inputs of one name (from two folders, or one file added twice) would write one output
// file: every job's output name is kept clear of the other rows' names, also when outputs are
// overwritten and when a preset change gives a row another extension.
TEST_F(PresetChainTest, OutputNamesStayClearOfTheOtherRows) {
  Choose(1500);
  const int first = AddFile("/a/clip.avi");
  const int second = AddFile("/b/clip.avi");
  overwrite_ = true;
  const int third = AddFile("/a/clip.avi");
  ExpectColumns(first, {{jsOutputName, "clip.avi"}});
  ExpectColumns(second, {{jsOutputName, "clip_1.avi"}});
  ExpectColumns(third, {{jsOutputName, "clip_2.avi"}});

  jobs_.SetItemIndex(-1);
  Choose(100);
  const int audio = AddFile("/c/clip.mpg");
  ExpectColumns(audio, {{jsOutputName, "clip.mp3"}});
  Choose(1500);
  ExpectColumns(audio, {{jsOutputName, "clip_3.avi"}});
  jobs_.SetItemIndex(first);
  chain_->RowSelected();
  ExpectColumns(first, {{jsOutputName, "clip.avi"}});  // its own name is no clash
  Choose(100);
  ExpectColumns(first, {{jsOutputName, "clip.mp3"}});
  Choose(1500);
  ExpectColumns(first, {{jsOutputName, "clip.avi"}});
  EXPECT_EQ(chain_->UniqueJobOutput(dir_ + "/clip_1.avi", second), dir_ + "/clip_1.avi");
  EXPECT_EQ(chain_->UniqueJobOutput(dir_ + "/clip_1.avi", -1), dir_ + "/clip_1_1.avi");
}

// After every preset change on a selected row, and after the user's own choice, the row holds
// what the choosers show: the parameter table's values (48000 Hz for the MP3 preset, say) never
// stay behind the choosers' (44100).
TEST_F(PresetChainTest, TheSelectedRowHoldsWhatTheChoosersShow) {
  const int row = AddFile("/in/clip.avi");
  for (const TPresetName& preset : PresetNames()) {
    SCOPED_TRACE(preset.PresetCode);
    Choose(preset.PresetCode);
    ExpectRowShowsChoosers(row);
    EXPECT_EQ(jobs_.SubItem(row, jsCategoryCode), std::to_string(chain_->CategoryCode()));
    const int last = audioBitrate_.ItemCount() - 1;
    audioBitrate_.Pick(last);
    ExpectRowShowsChoosers(row);
  }
  Choose(100);
  EXPECT_EQ(jobs_.SubItem(row, jsAudioSampleRate), "44100");
  EXPECT_EQ(jobs_.SubItem(row, jsVideoBitrate), "-1000");
}

TEST_F(PresetChainTest, SameTextAtAnotherIndexStillUpdatesTheOptionCode) {
  const int row = AddFile("/in/clip.avi");
  Choose(400);
  EXPECT_EQ(jobs_.SubItem(row, jsOptionCode).substr(0, 2), "07");
  Choose(408);  // "480*320" is item 6 here: the resolution chooser raises no change
  EXPECT_EQ(resolution_.Text(), "480*320");
  EXPECT_EQ(jobs_.SubItem(row, jsOptionCode).substr(0, 2), "06");

  // Selecting the row again puts back "480*320", not item 7 of this list.
  jobs_.SetItemIndex(-1);
  chain_->RowSelected();
  jobs_.SetItemIndex(row);
  chain_->RowSelected();
  EXPECT_EQ(resolution_.Text(), "480*320");
  ExpectRowShowsChoosers(row);
}

TEST_F(PresetChainTest, FromCodeZeroToCodeOneOnlyTheVideoBitRateChanges) {
  const int row = AddFile("/in/clip.avi");
  Choose(0);
  journal_.clear();
  presets_.SetItemIndex(1);
  EXPECT_EQ(ChooserChanges(journal_), (std::vector<std::string>{"vlSkinComboBox2.OnChange"}));
  EXPECT_EQ(jobs_.SubItem(row, jsVideoBitrate), "768000");
  EXPECT_EQ(jobs_.SubItem(row, jsOptionCode), "000310000904");

  journal_.clear();
  presets_.SetItemIndex(1);  // the same preset again: the whole change runs, no chooser changes
  EXPECT_TRUE(ChooserChanges(journal_).empty());
  EXPECT_EQ(chain_->Fields().All_Trant_Number, 101);
}

TEST_F(PresetChainTest, RestoringARowPutsBackItsPresetAndChoices) {
  // SWF category (11), preset 6: the FLV audio preset 1406. Its video lists hold one item each and
  // its sample rates three, so the stored indexes 3, 9 and 4 name nothing there and are skipped.
  const int row = AddStoredRow("/in/song.avi", "song.avi", "1206", "000304000904");
  jobs_.SetItemIndex(row);
  journal_.clear();
  chain_->RowSelected();
  EXPECT_EQ(categories_.ItemIndex(), 11);
  EXPECT_EQ(presets_.ItemIndex(), 6);
  EXPECT_EQ(chain_->Fields().All_Trant_Number, 1506);
  EXPECT_EQ(resolution_.ItemIndex(), 0);
  EXPECT_EQ(videoBitrate_.ItemIndex(), 0);
  EXPECT_EQ(audioBitrate_.ItemIndex(), 4);
  EXPECT_EQ(audioBitrate_.Text(), "48 kbps");
  EXPECT_EQ(scalingMode_.ItemIndex(), 0);
  EXPECT_EQ(frameRate_.ItemIndex(), 0);
  EXPECT_EQ(sampleRate_.Text(), "22050");
  EXPECT_FALSE(resolution_.Enabled());
  EXPECT_TRUE(audioBitrate_.Enabled());
  ExpectColumns(row, {{jsCategoryCode, "1206"}, {jsOptionCode, "000004000001"}, {jsOutputName, "song.flv"},
                      {jsAudioBitrate, "48000"}, {jsDisableVideo, "True"}});
  ExpectRowShowsChoosers(row);
  EXPECT_EQ(previews_, (std::vector<std::string>{"/in/song.avi"}));

  // The category list's write runs the category change, which selects preset 0 first.
  const std::vector<std::string> pickers = [&] {
    std::vector<std::string> events;
    for (const std::string& event : journal_)
      if (event.starts_with("vlSkinOffice") && event.ends_with(".OnChange")) events.push_back(event);
    return events;
  }();
  EXPECT_EQ(pickers, (std::vector<std::string>{"vlSkinOfficeComboBox2.OnChange", "vlSkinOfficeComboBox1.OnChange",
                                               "vlSkinOfficeComboBox1.OnChange"}));
}

TEST_F(PresetChainTest, RestoringKeepsChoicesEqualToTheDefaults) {
  // MP3 preset 100 stores 48000 Hz in its parameters but shows 44100 by default; a row that kept
  // the default raises no change for it, and still holds 44100.
  const int mp3 = AddStoredRow("/in/a.wav", "a.wav", "900", "000010000004");
  // AVI preset 1501 with four choices of the user.
  const int avi = AddStoredRow("/in/b.mkv", "b.mkv", "501", "110013020205");
  jobs_.SetItemIndex(mp3);
  chain_->RowSelected();
  EXPECT_EQ(jobs_.SubItem(mp3, jsAudioSampleRate), "44100");
  ExpectRowShowsChoosers(mp3);

  jobs_.SetItemIndex(avi);
  chain_->RowSelected();
  ExpectColumns(avi, {{jsOptionCode, "110013020205"}, {jsFrameSize, "640*480"}, {jsVideoBitrate, "816000"},
                      {jsAudioBitrate, "192000"}, {jsFrameAspectRatio, "16:9"}, {jsFrameRate, "29.97"},
                      {jsAudioSampleRate, "48000"}, {jsVideoCodec, "libx264"}});
  EXPECT_EQ(jobs_.SubItem(mp3, jsAudioSampleRate), "44100") << "the other row is left alone";
}

TEST_F(PresetChainTest, RowsWhoseCodesDoNotReadChangeNothing) {
  Choose(1500);
  for (const auto& [category, option] : std::vector<std::pair<std::string, std::string>>{
           {"12x6", "000304000904"}, {"1215", "000304000904"}, {"1206", "0-1304000904"}, {"1206", "0003"}}) {
    SCOPED_TRACE(category + " " + option);
    const int row = AddStoredRow("/in/x.avi", "x.avi", category, option);
    jobs_.SetItemIndex(row);
    journal_.clear();
    chain_->RowSelected();
    EXPECT_TRUE(journal_.empty());
    EXPECT_EQ(jobs_.SubItem(row, jsCategoryCode), category);
    EXPECT_EQ(jobs_.SubItem(row, jsOptionCode), option);
  }
  EXPECT_TRUE(previews_.empty());
  jobs_.SetItemIndex(-1);
  chain_->RowSelected();
  EXPECT_TRUE(journal_.empty());
}

TEST_F(PresetChainTest, ChooserChoicesGoIntoTheSelectedRow) {
  Choose(112);  // AMR: its audio bit rates carry decimals
  const int unchosen = chain_->Fields().Video_AudioBitrate;
  audioBitrate_.Pick(5);
  EXPECT_EQ(chain_->Fields().Video_AudioBitrate, unchosen) << "no selected row: nothing is taken";

  const int row = AddFile("/in/voice.wav");
  struct Case {
    TMemoryOptionChooser& chooser;
    int item;
    TJobSubItem column;
    const char* value;
  };
  const Case amr[] = {
      {audioBitrate_, 5, jsAudioBitrate, "7950"},
      {audioBitrate_, 6, jsAudioBitrate, "10200"},
  };
  for (const Case& c : amr) {
    SCOPED_TRACE(c.value);
    c.chooser.Pick(c.item);
    EXPECT_EQ(jobs_.SubItem(row, c.column), c.value);
  }
  EXPECT_EQ(chain_->Fields().Video_AudioBitrate, 10200);

  Choose(1601);
  jobs_.SetSubItem(row, jsOptionCode, "000304000904");
  const Case mkv[] = {
      {resolution_, 12, jsFrameSize, "704*480"},
      {resolution_, 0, jsFrameSize, ""},
      {videoBitrate_, 7, jsVideoBitrate, "4000000"},
      {scalingMode_, 3, jsFrameAspectRatio, "37:20"},
      {scalingMode_, 0, jsFrameAspectRatio, ""},
      {frameRate_, 0, jsFrameRate, ""},
      {sampleRate_, 0, jsAudioSampleRate, "11025"},
  };
  resolution_.Pick(12);
  EXPECT_EQ(jobs_.SubItem(row, jsOptionCode), "120304000904");
  for (const Case& c : mkv) {
    SCOPED_TRACE(c.value);
    c.chooser.Pick(c.item);
    EXPECT_EQ(jobs_.SubItem(row, c.column), c.value);
  }
  EXPECT_EQ(jobs_.SubItem(row, jsOptionCode), "000704000000");
}

// Adding a file applies the preset to the new job only: the row selected at that moment keeps
// the user's choices in its setting columns.
TEST_F(PresetChainTest, AddingAFileLeavesTheSelectedRowAlone) {
  const int first = AddFile("/in/a.avi");
  resolution_.Pick(11);
  const TJobRow before = jobs_.Row(first);
  ASSERT_EQ(before[jsFrameSize], "640*480");

  chain_->ResetFields();
  const TOutputOptions output = chain_->OutputOptionsForNewJob("/in/b.avi");
  EXPECT_EQ(jobs_.Row(first).SubItems, before.SubItems);
  EXPECT_EQ(chain_->Fields().Video_OutPutFileName, dir_ + "/b.mpg");
  EXPECT_EQ(output.VideoCodec, "mpeg1video");
  EXPECT_EQ(output.FrameSize, "640*480") << "the new job takes what the choosers show";
  EXPECT_EQ(output.VideoBitrate, 1000000);
  EXPECT_EQ(output.AudioSampleRate, 44100);
  EXPECT_EQ(output.AudioCodec, "");
  EXPECT_EQ(output.AudioVolume, 256);
}

TEST_F(PresetChainTest, AddedRowsCarryTheirPreset) {
  Choose(100);
  const int row = AddFile("/in/song.wav");
  ExpectColumns(row, {{jsOutputName, "song.mp3"}, {jsCategoryCode, "900"}, {jsOptionCode, "000010000004"},
                      {jsAudioSampleRate, "44100"}, {jsDisableVideo, "True"}, {jsFileExt, ".mp3"}});
  EXPECT_EQ(jobs_.OO1(row).AudioSampleRate, 44100);
  EXPECT_TRUE(jobs_.OO1(row).DisableVideo);

  // Choosing the first category with the row selected re-applies that category's first preset.
  categories_.SetItemIndex(0);
  ExpectColumns(row, {{jsOutputName, "song.mpg"}, {jsCategoryCode, "100"}, {jsDisableVideo, "False"},
                      {jsVideoCodec, "mpeg1video"}});
  EXPECT_TRUE(resolution_.Enabled());
}

TEST_F(PresetChainTest, TheChainLetsGoOfTheControlsWhenItGoes) {
  chain_.reset();
  categories_.SetItemIndex(3);
  presets_.SetItemIndex(1);
  resolution_.Pick(0);
  EXPECT_EQ(presets_.Items().size(), 11u) << "nothing answered the category change";
}

}  // namespace
