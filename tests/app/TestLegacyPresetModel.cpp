#include "app/LegacyPresetModel.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/LegacyPresetCatalogue.h"
#include "app/LegacyPresetParameters.h"
#include "tests/app/MemoryControls.h"

namespace {

namespace fs = std::filesystem;
using namespace memory_controls;
using enum TOptionKind;

// The legacy window's controls in memory, bound as the window binds them: the group list is form
// data (item 0 selected before the model exists), then the model is made and FormCreate runs.
// The current-preset fields and the output folder stand for the main window's.
class LegacyPresetModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "legacy-presets-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    folder_.SetFolder(dir_);
    fields_.Video_AddFileName = "/videos/movie.avi";
    // Values no start-up leaves behind, so the writes show.
    fields_.All_Trant_Number = 7;
    fields_.Video_DisableVideo = true;
    TLegacyPresetModel::LoadGroupList(groups_);
    TLegacyPresetHooks hooks;
    hooks.OverwriteOutput = [this] { return overwrite_; };
    model_ = std::make_unique<TLegacyPresetModel>(groups_, presets_, controls_.Choosers, fields_, folder_, hooks);
    model_->FormCreate();
  }
  void TearDown() override {
    model_.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Picks a preset through the two lists, as the user does.
  void Choose(int code) {
    groups_.SetItemIndex(code / 100 - 1);
    presets_.SetItemIndex(code % 100);
    ASSERT_EQ(model_->SelectedCode(), code);
  }

  void Touch(const std::string& name) { std::ofstream(dir_ + "/" + name) << "x"; }

  TJournal journal_;
  TMemoryPresetPicker groups_{"vlSkinOfficeComboBox2", journal_};
  TMemoryPresetPicker presets_{"vlSkinOfficeComboBox1", journal_};
  TMemoryChoosers controls_{journal_};
  TCurrentPreset fields_;
  TOutputFolder folder_;
  std::string dir_;
  bool overwrite_ = false;
  std::unique_ptr<TLegacyPresetModel> model_;
};

TEST_F(LegacyPresetModelTest, StartUpSelectsTheFirstPresetOfTheFirstGroup) {
  ASSERT_EQ(groups_.Items().size(), 12u);
  EXPECT_EQ(groups_.Items()[11].Caption, "Flash视频");
  EXPECT_EQ(groups_.Items()[11].ImageIndex, 11);
  EXPECT_EQ(groups_.ItemIndex(), 0);

  ASSERT_EQ(presets_.Items().size(), 15u);
  EXPECT_EQ(presets_.ItemIndex(), 0);
  EXPECT_EQ(presets_.Items()[0].Title, "AVI - 音频视频交错格式(*.avi)");
  EXPECT_EQ(presets_.Items()[0].Caption, "AVI最常用的视频格式,语音和影像同步组合在一起的文件格式");
  EXPECT_EQ(presets_.Items()[14].Title, "RM - REAL视频格式(*.rm)");
  EXPECT_EQ(presets_.Items()[14].ImageIndex, 14);

  EXPECT_EQ(fields_.All_Trant_Number, 100);
  EXPECT_FALSE(fields_.Video_DisableVideo);
  EXPECT_EQ(controls_.Resolution.Text(), "保持原分辨率");
  EXPECT_EQ(controls_.VideoBitrate.Text(), "816 kbps");
  EXPECT_EQ(controls_.FrameRate.Text(), "25.00");
  EXPECT_EQ(controls_.AudioBitrate.Text(), "128 kbps");
  EXPECT_EQ(controls_.SampleRate.Text(), "44100");
  EXPECT_EQ(controls_.ScalingMode.Text(), "保持原视频模式");
  EXPECT_EQ(fields_.Video_OutPutFileName, "") << "start-up writes only the code and the video switch";
  EXPECT_EQ(fields_.Video_VideoBitrate, 0);
}

TEST_F(LegacyPresetModelTest, AGroupChangeRefillsThePresetListAndItsFirstPresetsLists) {
  groups_.SetItemIndex(11);
  ASSERT_EQ(presets_.Items().size(), 4u);
  EXPECT_EQ(presets_.Items()[3].Title, "SWF动画视频FLASH动画音频格式(*.swf)");
  EXPECT_EQ(presets_.Items()[3].ImageIndex, 25);
  EXPECT_EQ(fields_.All_Trant_Number, 1200);
  EXPECT_EQ(controls_.SampleRate.Items(), (std::vector<std::string>{"11025", "22050", "44100"}));

  presets_.SetItemIndex(3);
  EXPECT_EQ(fields_.All_Trant_Number, 1203);
  EXPECT_FALSE(controls_.Resolution.Enabled());
}

TEST_F(LegacyPresetModelTest, OkWritesParametersThenTheListsChoices) {
  fields_.Video_TimeStart = 5;
  model_->Accept();
  EXPECT_EQ(fields_.Video_OutPutFileName, dir_ + "/movie.avi");
  EXPECT_EQ(fields_.Video_FileExt, ".avi");
  EXPECT_EQ(fields_.Video_VideoCodec, "mpeg4");
  EXPECT_EQ(fields_.Video_VideoTag, "XVID");
  EXPECT_EQ(fields_.Video_AudioCodec, "libmp3lame");
  EXPECT_EQ(fields_.Video_AudioChannels, "2");
  EXPECT_EQ(fields_.Video_AudioVolume, "256");
  EXPECT_FALSE(fields_.Video_DisableVideo);
  EXPECT_EQ(fields_.Video_TimeStart, 5) << "a video preset leaves the conversion window";
  // The lists' values: the parameter row's "25" frame rate gives way to the list's "25.00".
  EXPECT_EQ(fields_.Video_FrameSize, "");
  EXPECT_EQ(fields_.Video_VideoBitrate, 816000);
  EXPECT_EQ(fields_.Video_FrameRate, "25.00");
  EXPECT_EQ(fields_.Video_AudioBitrate, 128000);
  EXPECT_EQ(fields_.Video_AudioSampleRate, "44100");
  EXPECT_EQ(fields_.Video_FrameAspectRatio, "");
}

TEST_F(LegacyPresetModelTest, AnAudioOnlyPresetDisablesTheFourVideoLists) {
  Choose(200);
  for (TMemoryOptionChooser* list : {&controls_.Resolution, &controls_.VideoBitrate, &controls_.ScalingMode, &controls_.FrameRate}) {
    SCOPED_TRACE(list->Name());
    EXPECT_FALSE(list->Enabled());
    EXPECT_EQ(list->ItemCount(), 1);
  }
  EXPECT_TRUE(controls_.AudioBitrate.Enabled());
  EXPECT_TRUE(controls_.SampleRate.Enabled());
  EXPECT_FALSE(fields_.Video_DisableVideo) << "the lists' fill writes False";

  model_->Accept();
  EXPECT_TRUE(fields_.Video_DisableVideo);
  EXPECT_EQ(fields_.Video_FrameSize, "");
  EXPECT_EQ(fields_.Video_FrameRate, "");
  EXPECT_EQ(fields_.Video_FrameAspectRatio, "");
  EXPECT_EQ(fields_.Video_VideoBitrate, -1000);
  EXPECT_EQ(fields_.Video_OutPutFileName, dir_ + "/movie.mp3");

  Choose(100);
  EXPECT_TRUE(controls_.Resolution.Enabled()) << "a video preset enables every list again";
}

TEST_F(LegacyPresetModelTest, TheListsChoicesBecomeFieldValues) {
  struct Case {
    int code;
    TMemoryOptionChooser TMemoryChoosers::*list;
    int pick;  // the item chosen, or -1 for the default
    std::function<std::string(const TCurrentPreset&)> field;
    std::string expected;
  };
  const auto videoBitrate = [](const TCurrentPreset& f) { return std::to_string(f.Video_VideoBitrate); };
  const auto audioBitrate = [](const TCurrentPreset& f) { return std::to_string(f.Video_AudioBitrate); };
  const auto aspect = [](const TCurrentPreset& f) { return f.Video_FrameAspectRatio; };
  const Case cases[] = {
      {212, &TMemoryChoosers::AudioBitrate, 0, audioBitrate, "4750"},  // "4.75 kbps"
      {212, &TMemoryChoosers::AudioBitrate, -1, audioBitrate, "7400"},  // "7.4 kbps"
      {212, &TMemoryChoosers::AudioBitrate, 7, audioBitrate, "12200"},  // "12.2 kbps"
      {212, &TMemoryChoosers::SampleRate, -1, [](const TCurrentPreset& f) { return f.Video_AudioSampleRate; }, "8000"},
      // The list's 768 kbps replaces the row's 7680000.
      {408, &TMemoryChoosers::VideoBitrate, -1, videoBitrate, "768000"},
      {411, &TMemoryChoosers::ScalingMode, -1, aspect, "16:9"},
      {502, &TMemoryChoosers::ScalingMode, -1, aspect, "16:9"},
      {100, &TMemoryChoosers::ScalingMode, 4, aspect, "47:20"},
      {100, &TMemoryChoosers::Resolution, 11, [](const TCurrentPreset& f) { return f.Video_FrameSize; }, "640*480"},
      {109, &TMemoryChoosers::FrameRate, -1, [](const TCurrentPreset& f) { return f.Video_FrameRate; }, "12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.code) + " item " + std::to_string(c.pick));
    Choose(c.code);
    if (c.pick >= 0) (controls_.*c.list).Pick(c.pick);
    model_->Accept();
    EXPECT_EQ(c.field(fields_), c.expected);
  }
}

TEST_F(LegacyPresetModelTest, ATakenOutputNameIsNumberedUnlessOverwritten) {
  struct Case {
    std::vector<std::string> existing;
    bool overwrite;
    std::string expected;
  };
  const Case cases[] = {
      {{}, false, "movie.avi"},
      {{}, true, "movie.avi"},
      {{"movie.avi"}, false, "movie_1.avi"},
      {{"movie.avi", "movie_1.avi"}, false, "movie_2.avi"},
      {{"movie.avi", "movie_2.avi"}, false, "movie_1.avi"},
      {{"movie.avi", "movie_1.avi"}, true, "movie.avi"},
      {{"movie_1.avi"}, false, "movie.avi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.existing) + (c.overwrite ? " overwrite" : ""));
    for (const std::string& name : c.existing) Touch(name);
    overwrite_ = c.overwrite;
    model_->ApplyParameters();
    EXPECT_EQ(fields_.Video_OutPutFileName, dir_ + "/" + c.expected);
    for (const std::string& name : c.existing) fs::remove(dir_ + "/" + name);
  }
}

TEST_F(LegacyPresetModelTest, TheOutputNameTakesTheRowsExtension) {
  struct Case {
    std::string input;
    int code;
    std::string name;
    std::string fileExt;
  };
  const Case cases[] = {
      {"/videos/movie.avi", 100, "movie.avi", ".avi"},
      {"/videos/clip", 100, "clip.avi", ".avi"},
      {"", 100, ".avi", ".avi"},
      {"/videos/a.b/song.wav", 206, "song.ra", ".rm"},
      {"/videos/song.wav", 211, "song.m4a", ".alac"},
      {"/videos/movie.mkv", 306, "movie.wmv", ".asf"},
      {"/videos/movie.mkv", 909, "movie.mp4", ".mp4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.code) + " " + c.input);
    fields_.Video_AddFileName = c.input;
    Choose(c.code);
    model_->ApplyParameters();
    EXPECT_EQ(fields_.Video_OutPutFileName, dir_ + "/" + c.name);
    EXPECT_EQ(fields_.Video_FileExt, c.fileExt);
    EXPECT_EQ(fields_.All_Trant_Number, c.code);
  }
}

// Which fields a preset's parameters leave as they were: every field starts with a value no row
// writes, and the fields still holding it afterwards are the ones left.
TEST_F(LegacyPresetModelTest, EveryPresetLeavesExactlyTheFieldsItsKindLeaves) {
  struct Field {
    const char* name;
    std::function<void(TCurrentPreset&)> mark;
    std::function<bool(const TCurrentPreset&)> marked;
  };
  std::vector<Field> all;
  const auto text = [&all](const char* name, std::string TCurrentPreset::*member) {
    all.push_back({name, [member](TCurrentPreset& f) { f.*member = "~"; },
                   [member](const TCurrentPreset& f) { return f.*member == "~"; }});
  };
  const auto number = [&all](const char* name, int TCurrentPreset::*member) {
    all.push_back({name, [member](TCurrentPreset& f) { f.*member = 424242; },
                   [member](const TCurrentPreset& f) { return f.*member == 424242; }});
  };
  text("FileExt", &TCurrentPreset::Video_FileExt);
  text("FileFormat", &TCurrentPreset::Video_FileFormat);
  text("VideoCodec", &TCurrentPreset::Video_VideoCodec);
  text("VideoTag", &TCurrentPreset::Video_VideoTag);
  text("FrameSize", &TCurrentPreset::Video_FrameSize);
  text("FrameRate", &TCurrentPreset::Video_FrameRate);
  text("FrameAspectRatio", &TCurrentPreset::Video_FrameAspectRatio);
  number("VideoBitrate", &TCurrentPreset::Video_VideoBitrate);
  text("VideoFilters", &TCurrentPreset::Video_VideoFilters);
  text("AudioCodec", &TCurrentPreset::Video_AudioCodec);
  text("AudioChannels", &TCurrentPreset::Video_AudioChannels);
  text("AudioSampleRate", &TCurrentPreset::Video_AudioSampleRate);
  text("AudioVolume", &TCurrentPreset::Video_AudioVolume);
  number("AudioBitrate", &TCurrentPreset::Video_AudioBitrate);
  text("TargetType", &TCurrentPreset::Video_TargetType);
  text("NormType", &TCurrentPreset::Video_NormType);
  text("CopyTimestamp", &TCurrentPreset::Video_CopyTimestamp);
  number("TimeStart", &TCurrentPreset::Video_TimeStart);
  number("TimeLength", &TCurrentPreset::Video_TimeLength);

  using TNames = std::set<std::string>;
  const TNames window = {"TimeStart", "TimeLength"};
  const TNames videoFields = {"VideoCodec", "VideoTag", "FrameSize", "FrameRate", "FrameAspectRatio", "VideoBitrate", "VideoFilters"};
  const auto with = [](TNames names, const TNames& more) {
    names.insert(more.begin(), more.end());
    return names;
  };
  const auto audioOnly = [](int code) { return (code >= 200 && code <= 212) || code == 708 || code == 1202 || code == 1203; };
  const auto expectedLeft = [&](int code) -> TNames {
    if (code == 1202 || code == 1203) return with(with(window, videoFields), {"FileExt"});
    if (audioOnly(code)) return with(window, videoFields);
    if (code >= 111 && code <= 113) return with(window, {"FileExt", "VideoFilters", "CopyTimestamp"});
    if (code == 114)
      return with(window, {"FileExt", "VideoTag", "FrameRate", "FrameAspectRatio", "VideoBitrate", "VideoFilters", "AudioCodec",
                           "AudioChannels", "AudioSampleRate", "AudioVolume", "AudioBitrate"});
    if (code == 305) return with(window, {"VideoTag"});
    if (code >= 403 && code <= 406) return with(window, {"TargetType"});
    return window;
  };

  for (const TLegacyPreset& preset : LegacyPresets()) {
    SCOPED_TRACE(preset.Code);
    Choose(preset.Code);
    for (const Field& field : all) field.mark(fields_);
    model_->ApplyParameters();
    TNames left;
    for (const Field& field : all)
      if (field.marked(fields_)) left.insert(field.name);
    EXPECT_EQ(left, expectedLeft(preset.Code));
    EXPECT_EQ(fields_.Video_DisableVideo, audioOnly(preset.Code));
  }
}

TEST_F(LegacyPresetModelTest, Preset409NoLongerKeepsThePreviousPresetsVideo) {
  Choose(100);
  model_->ApplyParameters();
  Choose(409);
  model_->ApplyParameters();
  EXPECT_EQ(fields_.Video_OutPutFileName, dir_ + "/movie.mp4");
  EXPECT_EQ(fields_.Video_FileExt, ".mp4");
  EXPECT_EQ(fields_.Video_VideoCodec, "libx264");
  EXPECT_EQ(fields_.Video_VideoTag, "");
  EXPECT_EQ(fields_.Video_FrameSize, "640*480");
  EXPECT_EQ(fields_.Video_VideoBitrate, 1200000);
  EXPECT_EQ(fields_.Video_AudioCodec, "libfaac");
}

TEST_F(LegacyPresetModelTest, ResetClearsTheFieldsButTheInputAndTheCode) {
  model_->Accept();
  model_->ResetFields();
  EXPECT_EQ(fields_.Video_AddFileName, "/videos/movie.avi");
  EXPECT_EQ(fields_.All_Trant_Number, 100);
  EXPECT_EQ(fields_.Video_OutPutFileName, "");
  EXPECT_EQ(fields_.Video_VideoCodec, "");
  EXPECT_EQ(fields_.Video_AudioVolume, "256");
  EXPECT_EQ(fields_.Video_CopyTimestamp, "");
  EXPECT_EQ(fields_.Video_VideoBitrate, -1);
  EXPECT_EQ(fields_.Video_AudioBitrate, -1);
  EXPECT_EQ(fields_.Video_TimeStart, -1);
  EXPECT_EQ(fields_.Video_TimeLength, -1);
  EXPECT_FALSE(fields_.Video_DisableVideo);
}

TEST_F(LegacyPresetModelTest, AFreedModelNoLongerAnswersItsLists) {
  model_.reset();
  groups_.SetItemIndex(11);
  EXPECT_EQ(presets_.Items().size(), 15u);
  EXPECT_EQ(fields_.All_Trant_Number, 100);
}

}  // namespace
