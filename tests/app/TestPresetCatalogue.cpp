#include "app/PresetCatalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "app/CurrentPreset.h"
#include "app/PresetParameters.h"

namespace {

TEST(PresetCatalogueTest, CategoriesGroupsAndNames) {
  struct Category {
    const char* caption;
    int group, presets;
  };
  const Category kCategories[kPresetCategoryCount] = {
      {"MPG视频", 13, 11},  {"VOB视频", 20, 6},  {"Flash视频", 11, 4},   {"MP4视频", 10, 5},
      {"AVI视频", 15, 7},   {"MKV视频", 16, 7},  {"WMV视频", 17, 7},     {"电脑视频", 0, 15},
      {"经典音频", 1, 13},  {"iPhone视频", 4, 15}, {"智能手机", 24, 16}, {"SWF视频", 14, 7},
  };
  ASSERT_EQ(PresetCategories().size(), std::size(kCategories));
  int total = 0;
  for (int i = 0; i < kPresetCategoryCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(PresetCategories()[i].Caption, kCategories[i].caption);
    EXPECT_EQ(PresetGroupOfCategory(i), kCategories[i].group);
    EXPECT_EQ(static_cast<int>(PresetNamesOfGroup(kCategories[i].group).size()), kCategories[i].presets);
    total += kCategories[i].presets;
  }
  EXPECT_EQ(total, 113);
  EXPECT_EQ(PresetNames().size(), 113u);
  EXPECT_FALSE(PresetGroupOfCategory(-1));
  EXPECT_FALSE(PresetGroupOfCategory(12));

  std::set<int> codes;
  for (const TPresetName& preset : PresetNames()) {
    SCOPED_TRACE(preset.PresetCode);
    EXPECT_TRUE(codes.insert(preset.PresetCode).second);
    const std::string ext = OutputExtensionOfName(preset.Name);
    EXPECT_GE(ext.size(), 3u);
    EXPECT_LE(ext.size(), 5u);
  }
  EXPECT_EQ(PresetNamesOfGroup(14)[6], "FLV在线网络音频格式(*.flv)");
  EXPECT_EQ(PresetNameOfCode(1300), "MPG标准视频(*.mpg)");
}

TEST(PresetCatalogueTest, ExtensionsOfNames) {
  EXPECT_EQ(OutputExtensionOfName("FLAC-音频格式(*.flac)"), ".flac");
  EXPECT_EQ(OutputExtensionOfName("AIFF - 音频交换文件格式(*.aiff)"), ".aiff");
  EXPECT_EQ(OutputExtensionOfName("RM - REAL视频格式(*.rm)"), ".rm");
  EXPECT_EQ(OutputExtensionOfName("iPhone MPEG-4视频(320X240)(*.mp4)"), ".mp4");
  EXPECT_EQ(OutputExtensionOfName("no extension"), "");
  EXPECT_EQ(OutputExtensionOfName(""), "");
}

TEST(PresetCatalogueTest, CategoryCodes) {
  EXPECT_EQ(MakeCategoryCode(11, 6), 1206);
  EXPECT_EQ(MakePresetCode(14, 6), 1406);
  struct Case {
    const char* text;
    bool valid;
    int category, preset;
  };
  const Case cases[] = {
      {"1206", true, 11, 6}, {"100", true, 0, 0}, {"1215", false, 0, 0} /* SWF has 7 presets */,
      {"1115", true, 10, 15}, {"99", false, 0, 0}, {"1300", false, 0, 0}, {"", false, 0, 0},
      {"12a6", false, 0, 0}, {"-100", false, 0, 0}, {"000000001206", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto choice = SplitCategoryCode(c.text);
    ASSERT_EQ(choice.has_value(), c.valid);
    if (!choice) continue;
    EXPECT_EQ(choice->CategoryIndex, c.category);
    EXPECT_EQ(choice->PresetIndex, c.preset);
  }
}

// ---- Parameter table ---------------------------------------------------------------------------

TEST(PresetParametersTest, EveryPresetHasParametersOfItsKind) {
  int kinds[4] = {};
  std::set<std::tuple<int, std::string_view, std::string_view, std::string_view, std::string_view, std::string_view,
                      std::string_view, std::string_view, int, std::string_view, std::string_view, std::string_view,
                      int, bool, std::string_view, std::string_view>>
      sets;
  for (const TPresetName& preset : PresetNames()) {
    SCOPED_TRACE(preset.PresetCode);
    const auto p = FindPresetParameters(preset.PresetCode);
    ASSERT_TRUE(p);
    ++kinds[static_cast<int>(p->Kind)];
    sets.insert({static_cast<int>(p->Kind), p->Ext, p->FileExt, p->VideoCodec, p->VideoTag, p->FrameSize, p->FrameRate,
                 p->FrameAspectRatio, p->VideoBitrate, p->AudioCodec, p->AudioChannels, p->AudioSampleRate,
                 p->AudioBitrate, p->DisableVideo, p->TargetType, p->NormType});
    // The name's extension is the output's, but for 2400, which writes ".avi" under an ".mp4" name.
    if (preset.PresetCode != 2400) {
      EXPECT_EQ(p->Ext, OutputExtensionOfName(preset.Name));
    }
    EXPECT_EQ(p->DisableVideo, p->Kind == TPresetKind::pkAudioOnly);
    if (p->Kind == TPresetKind::pkVideo) {
      EXPECT_EQ(p->FileExt, p->Ext);
    }
  }
  EXPECT_EQ(kinds[static_cast<int>(TPresetKind::pkVideo)], 88);
  EXPECT_EQ(kinds[static_cast<int>(TPresetKind::pkAudioOnly)], 18);
  EXPECT_EQ(kinds[static_cast<int>(TPresetKind::pkDisc)], 6);
  EXPECT_EQ(kinds[static_cast<int>(TPresetKind::pkRealVideo)], 1);
  EXPECT_EQ(sets.size(), 78u) << "presets share parameter sets, such as 1101 and 1400 to 1403";
  EXPECT_EQ(VideoPresetRows().size() + AudioPresetRows().size() + DiscPresetRows().size() + 1, 113u)
      << "no code outside the catalogue";
  EXPECT_FALSE(FindPresetParameters(2416));
  EXPECT_FALSE(FindPresetParameters(-1));
}

TEST(PresetParametersTest, MpegProgramStreamsCarryMpegAudioOrAc3) {
  // AAC cannot go into ".mpg" or ".vob"; these presets keep the table's rate and bit rate.
  for (int code : {1304, 2000, 2001, 2002, 2003, 2004, 2005}) {
    SCOPED_TRACE(code);
    const auto p = FindPresetParameters(code);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->AudioCodec, code == 1304 ? "mp2" : "ac3");
    EXPECT_EQ(p->AudioSampleRate, "48000");
    EXPECT_EQ(p->AudioBitrate, 128000);
  }
  for (const TPresetName& preset : PresetNames()) {
    const auto p = FindPresetParameters(preset.PresetCode);
    if (p->Ext == ".mpg" || p->Ext == ".vob") {
      EXPECT_NE(p->AudioCodec, "libfaac") << preset.PresetCode;
    }
  }
}

// ---- Current-preset fields ---------------------------------------------------------------------

TEST(CurrentPresetTest, ResetKeepsTheInputAndTheCode) {
  TCurrentPreset fields;
  fields.Video_AddFileName = "/in/clip.avi";
  fields.All_Trant_Number = 1506;
  fields.Video_FrameSize = "640*480";
  fields.Video_VideoBitrate = 816000;
  fields.Video_AudioBitrate = kAudioBitrateNotSet;
  fields.Video_DisableVideo = true;
  fields.Video_AudioVolume = "300";
  fields.Reset();
  EXPECT_EQ(fields.Video_AudioVolume, "256");
  EXPECT_EQ(fields.Video_VideoBitrate, -1);
  EXPECT_EQ(fields.Video_AudioBitrate, -1);
  EXPECT_EQ(fields.Video_FrameSize, "");
  EXPECT_FALSE(fields.Video_DisableVideo);
  EXPECT_EQ(fields.Video_AddFileName, "/in/clip.avi");
  EXPECT_EQ(fields.All_Trant_Number, 1506);
}

TEST(CurrentPresetTest, NotSetValuesLeaveTheirOptions) {
  TOutputOptions initial;
  InitOutputOptions(initial);
  initial.VideoPreset = "kept";

  TCurrentPreset unset;
  unset.Reset();
  unset.Video_AudioSampleRate = "AUTO";
  unset.Video_AudioCodec = "AUTO";
  unset.Video_VideoBitrate = kVideoBitrateNotSet;
  unset.Video_AudioBitrate = kAudioBitrateNotSetToo;
  TOutputOptions o = initial;
  unset.ApplyTo(o);
  EXPECT_EQ(o.AudioSampleRate, -1);
  EXPECT_EQ(o.AudioCodec, "");
  EXPECT_EQ(o.VideoBitrate, -1);
  EXPECT_EQ(o.AudioBitrate, -1);
  EXPECT_EQ(o.VideoCodec, "");
  EXPECT_EQ(o.VideoPreset, "kept") << "no codec, no preset change";
  EXPECT_EQ(o.TargetType, TOptionTargetType::ttIgnore);
  EXPECT_EQ(o.NormType, TOptionNormType::ntAuto) << "the norm is always assigned";
  EXPECT_EQ(o.AudioVolume, 256) << "the volume is always assigned";

  TCurrentPreset set = unset;
  set.Video_AudioSampleRate = "44100";
  set.Video_AudioChannels = "2";
  set.Video_VideoBitrate = -1;
  set.Video_AudioBitrate = 128000;
  set.Video_VideoCodec = "libx264";
  set.Video_TargetType = "dvd";
  set.Video_NormType = "PAL";
  set.Video_AudioVolume = "300";
  set.Video_DisableVideo = true;
  o = initial;
  o.VideoBitrate = 5;
  set.ApplyTo(o);
  EXPECT_EQ(o.AudioSampleRate, 44100);
  EXPECT_EQ(o.AudioChannels, 2);
  EXPECT_EQ(o.VideoBitrate, -1) << "-1 is copied";
  EXPECT_EQ(o.AudioBitrate, 128000);
  EXPECT_EQ(o.VideoCodec, "libx264");
  EXPECT_EQ(o.VideoPreset, "libx264-default");
  EXPECT_EQ(o.TargetType, TOptionTargetType::ttDVD);
  EXPECT_EQ(o.NormType, TOptionNormType::ntPAL);
  EXPECT_EQ(o.AudioVolume, 300);
  EXPECT_TRUE(o.DisableVideo);

  set.Video_VideoCodec = "mpeg4";
  set.Video_TargetType = "bluray";
  set.Video_AudioChannels = "two";
  o = initial;
  set.ApplyTo(o);
  EXPECT_EQ(o.VideoPreset, "") << "another codec clears the preset";
  EXPECT_EQ(o.TargetType, TOptionTargetType::ttIgnore);
  EXPECT_EQ(o.AudioChannels, -1) << "a text that is no number is not taken";
}

}  // namespace
