#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "app/LegacyOptionLists.h"
#include "app/LegacyPresetCatalogue.h"
#include "app/LegacyPresetParameters.h"
#include "app/PresetCatalogue.h"
#include "tests/app/OptionListExpectations.h"

namespace {

using namespace option_list_expectations;
using enum TOptionKind;
using enum TVideoListState;
using enum TPresetKind;

// The legacy window's presets as published: every group's name and size, the fixed descriptions.
struct TGroupExpectation {
  const char* name;
  int presets;
};

constexpr TGroupExpectation kGroups[kLegacyGroupCount] = {
    {"常用视频", 15}, {"常用音频", 13}, {"HD视频", 10},   {"iPod视频", 14}, {"iPhone视频", 6}, {"PSP视频", 5},
    {"3GP视频", 14},  {"APPLE视频", 5}, {"XboX视频", 10}, {"PMP视频", 8},   {"MP4视频", 5},    {"Flash视频", 4},
};

struct TDescriptionExpectation {
  int code;
  const char* description;
};

constexpr TDescriptionExpectation kFixedDescriptions[] = {
    {100, "AVI最常用的视频格式,语音和影像同步组合在一起的文件格式"},
    {200, "最流行的音频格式,具有体积小,音质高的特点,几乎成为网上音乐的代名词"},
    {300, "高清晰AVI视频格式(DivX视频编码)"},
    {400, "为iPod优化的MPEG-4视频预置方案.(320*240高质量)"},
    {500, "为iPhone优化的MPEG-4视频预置方案."},
    {700, "第三代合作伙伴项目3GPP制定的多媒体格式，手机视频格式.(AMR音频)"},
    {1100, "为各种MP4机优化的MPEG-4视频预置方案"},
};

// The presets without video: their parameter rows are audio-only and their option lists R3.
bool IsAudioOnlyCode(int code) { return (code >= 200 && code <= 212) || code == 708 || code == 1202 || code == 1203; }

TPresetKind KindOfCode(int code) {
  if (IsAudioOnlyCode(code)) return pkAudioOnly;
  if (code >= 111 && code <= 113) return pkDisc;
  if (code == 114) return pkRealVideo;
  return pkVideo;
}

TEST(LegacyPresetCatalogueTest, GroupsHoldTheirPresetsUnderGaplessCodes) {
  const auto groups = LegacyPresetGroups();
  ASSERT_EQ(groups.size(), std::size(kGroups));
  int total = 0;
  for (int group = 0; group < kLegacyGroupCount; ++group) {
    SCOPED_TRACE(kGroups[group].name);
    EXPECT_EQ(groups[group], kGroups[group].name);
    const auto presets = LegacyPresetsOfGroup(group);
    ASSERT_EQ(static_cast<int>(presets.size()), kGroups[group].presets);
    for (int index = 0; index < static_cast<int>(presets.size()); ++index) {
      EXPECT_EQ(presets[index].Code, MakeLegacyPresetCode(group, index));
      EXPECT_FALSE(presets[index].Title.empty());
      EXPECT_FALSE(presets[index].Description.empty());
      EXPECT_EQ(presets[index].Description.find('\n'), std::string_view::npos) << "one line";
    }
    total += kGroups[group].presets;
  }
  EXPECT_EQ(total, 109);
  EXPECT_EQ(LegacyPresets().size(), 109u) << "no preset outside the groups";
  EXPECT_TRUE(LegacyPresetsOfGroup(-1).empty());
  EXPECT_TRUE(LegacyPresetsOfGroup(kLegacyGroupCount).empty());

  for (const TDescriptionExpectation& fixed : kFixedDescriptions) {
    const auto presets = LegacyPresetsOfGroup(fixed.code / 100 - 1);
    EXPECT_EQ(presets[fixed.code % 100].Description, fixed.description) << fixed.code;
  }
  // Titles as written, trailing blank and doubled parenthesis included.
  EXPECT_EQ(LegacyPresetsOfGroup(1)[2].Title, "WAV - 波形音频格式(*.wav) ");
  EXPECT_EQ(LegacyPresetsOfGroup(6)[2].Title, "3GPP2 -  第三代合作项目2-3G2视频+AMR音频(*.3g2))");
}

TEST(LegacyPresetCatalogueTest, EveryPresetHasParametersOfItsKindAndOptionLists) {
  const TOptionTables options = LegacyOptionTables();
  ASSERT_EQ(LegacyParameterRows().size(), LegacyPresets().size());
  ASSERT_EQ(options.Entries.size(), LegacyPresets().size());
  // The output name's extension follows the title's file pattern but for these presets.
  const std::set<int> otherExtension = {211, 702, 901, 906, 909};
  for (const TLegacyPreset& preset : LegacyPresets()) {
    SCOPED_TRACE(preset.Code);
    const TLegacyParameterRow* row = FindLegacyParameterRow(preset.Code);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Kind, KindOfCode(preset.Code));
    std::string_view title = preset.Title;
    while (title.ends_with(' ') || title.ends_with("))")) title.remove_suffix(1);
    EXPECT_EQ(OutputExtensionOfName(title) == row->NameExt, !otherExtension.contains(preset.Code)) << row->NameExt;
    if (row->Kind == pkVideo) {
      EXPECT_EQ(row->FileExt == row->NameExt, preset.Code != 306) << "306 names .wmv, writes .asf";
    }
    if (row->Kind == pkDisc) {
      EXPECT_EQ(row->TargetType, preset.Code == 111 ? "dvd" : preset.Code == 112 ? "svcd" : "vcd");
    }

    const TOptionEntry* entry = options.FindEntry(preset.Code);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->VideoLists == lsDisabled, row->Kind == pkAudioOnly);
    EXPECT_EQ(entry->VideoLists == lsLocked, row->Kind == pkDisc);
  }
}

// MPEG program streams refuse AAC: the legacy window's ".mpg" and ".vob" presets take MPEG audio
// or AC-3, as the main catalogue's do.
TEST(LegacyPresetCatalogueTest, ProgramStreamPresetsTakeAnAudioCodecTheirMuxerAccepts) {
  EXPECT_EQ(FindLegacyParameterRow(307)->AudioCodec, "ac3");
  EXPECT_EQ(FindLegacyParameterRow(308)->AudioCodec, "mp2");
  for (const TLegacyParameterRow& row : LegacyParameterRows()) {
    if (row.NameExt != ".mpg" && row.NameExt != ".mpeg" && row.NameExt != ".vob") continue;
    SCOPED_TRACE(row.Code);
    EXPECT_NE(row.AudioCodec, "libfaac");
  }
}

TEST(LegacyPresetCatalogueTest, Preset409TakesTheParametersOf405) {
  const TLegacyParameterRow* row = FindLegacyParameterRow(409);
  const TLegacyParameterRow* neighbour = FindLegacyParameterRow(405);
  ASSERT_TRUE(row && neighbour);
  EXPECT_EQ(row->NameExt, ".mp4");
  EXPECT_EQ(row->VideoCodec, "libx264");
  EXPECT_EQ(row->FrameSize, "640*480");
  EXPECT_EQ(row->VideoBitrate, 1200000);
  const auto cells = [](const TLegacyParameterRow& r) {
    return std::tuple(r.Kind, r.NameExt, r.FileExt, r.VideoCodec, r.VideoTag, r.FrameSize, r.FrameRate, r.FrameAspectRatio,
                      r.VideoBitrate, r.AudioCodec, r.AudioChannels, r.AudioSampleRate, r.AudioBitrate);
  };
  EXPECT_EQ(cells(*row), cells(*neighbour));
}

// Every preset's six lists, as published: items, default text, enabled video lists.
const TPresetExpectation kPresets[] = {
    // 常用视频
    {100, {{{27, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {101, {{{27, "保持原分辨率"}, {9, "768 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {102, {{{27, "保持原分辨率"}, {9, "1000 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {103, {{{27, "保持原分辨率"}, {9, "768 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {104, {{{27, "保持原分辨率"}, {9, "1000 kbps"}, {12, "保持原帧速率"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {105, {{{27, "保持原分辨率"}, {8, "1200 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {106, {{{27, "320*240"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {107, {{{27, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {108, {{{27, "保持原分辨率"}, {8, "816 kbps"}, {12, "保持原帧速率"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {109, {{{11, "176*144"}, {15, "128 kbps"}, {7, "12"}, {6, "12 kbps"}, {1, "8000"}, {2, "保持原视频模式"}}}, lsEnabled},
    {110, {{{27, "保持原分辨率"}, {9, "600 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {111, {{{1, "720*576"}, {1, "6000 kbps"}, {1, "25.00"}, {1, "448 kbps"}, {1, "48000"}, {1, "宽屏视频16:9模式"}}}, lsLocked},
    {112, {{{1, "480*576"}, {1, "2040 kbps"}, {1, "25.00"}, {1, "224 kbps"}, {1, "44100"}, {1, "普通视频4:3模式"}}}, lsLocked},
    {113, {{{1, "352*288"}, {1, "1150 kbps"}, {1, "25.00"}, {1, "224 kbps"}, {1, "44100"}, {1, "普通视频4:3模式"}}}, lsLocked},
    {114, {{{27, "320*240"}, {8, "528 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    // 常用音频
    {200, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {201, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {202, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "192 kbps"}, {6, "48000"}, {1, "无视频"}}}, lsDisabled},
    {203, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "48000"}, {1, "无视频"}}}, lsDisabled},
    {204, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "112 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {205, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {206, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "112 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {207, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {208, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {209, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {210, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "192 kbps"}, {6, "48000"}, {1, "无视频"}}}, lsDisabled},
    {211, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "160 kbps"}, {6, "48000"}, {1, "无视频"}}}, lsDisabled},
    {212, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {8, "7.4 kbps"}, {1, "8000"}, {1, "无视频"}}}, lsDisabled},
    // HD视频
    {300, {{{10, "1280*720"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {301, {{{10, "1280*720"}, {8, "1200 kbps"}, {4, "30.00"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {302, {{{10, "1280*720"}, {8, "1200 kbps"}, {4, "29.97"}, {17, "192 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {303, {{{10, "1280*1024"}, {8, "1600 kbps"}, {4, "30.00"}, {17, "192 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {304, {{{10, "1280*1024"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "160 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {305, {{{10, "1280*1024"}, {8, "1200 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {306, {{{10, "1280*1024"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {307, {{{10, "1280*720"}, {8, "1200 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {308, {{{10, "1280*1024"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {309, {{{10, "1280*1024"}, {8, "1600 kbps"}, {4, "30.00"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // iPod视频
    {400, {{{7, "320*240"}, {9, "1000 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {401, {{{7, "320*240"}, {9, "600 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {402, {{{7, "320*240"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {403, {{{7, "640*480"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {404, {{{7, "640*480"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {405, {{{7, "640*480"}, {9, "1200 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {406, {{{7, "640*480"}, {9, "600 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {407, {{{12, "480*320"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {408, {{{12, "640*480"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {409, {{{12, "640*480"}, {9, "1200 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {410, {{{12, "640*480"}, {9, "600 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {411, {{{12, "640*272"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "宽屏视频16:9模式"}}}, lsEnabled},
    {412, {{{12, "320*240"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {413, {{{12, "480*320"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // iPhone视频
    {500, {{{12, "480*320"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {501, {{{12, "640*480"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {502, {{{13, "720*406"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "宽屏视频16:9模式"}}}, lsEnabled},
    {503, {{{13, "640*480"}, {9, "1200 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {504, {{{13, "320*240"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {505, {{{13, "480*320"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // PSP视频
    {600, {{{5, "320*240"}, {7, "768 kbps"}, {3, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {601, {{{5, "368*208"}, {7, "1000 kbps"}, {3, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {602, {{{5, "368*208"}, {7, "1200 kbps"}, {3, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {603, {{{5, "368*208"}, {7, "512 kbps"}, {3, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {604, {{{5, "720*480"}, {7, "1000 kbps"}, {3, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // 3GP视频
    {700, {{{11, "176*144"}, {15, "128 kbps"}, {7, "12"}, {6, "12 kbps"}, {1, "8000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {701, {{{11, "176*144"}, {15, "128 kbps"}, {7, "12"}, {8, "48 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {702, {{{11, "176*144"}, {15, "128 kbps"}, {7, "12"}, {6, "12 kbps"}, {1, "8000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {703, {{{11, "176*144"}, {15, "128 kbps"}, {7, "12"}, {8, "48 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {704, {{{13, "176*144"}, {15, "128 kbps"}, {7, "12"}, {6, "12 kbps"}, {1, "8000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {705, {{{13, "176*144"}, {15, "128 kbps"}, {7, "12"}, {8, "48 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {706, {{{13, "176*144"}, {15, "128 kbps"}, {7, "12"}, {8, "48 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {707, {{{13, "176*144"}, {17, "160 kbps"}, {8, "15"}, {8, "48 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {708, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {8, "7.4 kbps"}, {1, "8000"}, {1, "无视频"}}}, lsDisabled},
    {709, {{{13, "176*144"}, {17, "128 kbps"}, {8, "12"}, {9, "32 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {710, {{{13, "176*144"}, {17, "128 kbps"}, {8, "12"}, {9, "32 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {711, {{{13, "176*144"}, {17, "128 kbps"}, {8, "12"}, {9, "32 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {712, {{{13, "176*144"}, {17, "128 kbps"}, {8, "12"}, {9, "32 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {713, {{{13, "176*144"}, {17, "128 kbps"}, {8, "12"}, {9, "32 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // APPLE视频
    {800, {{{7, "320*240"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {801, {{{7, "640*480"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {802, {{{8, "1280*720"}, {9, "1500 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {803, {{{7, "640*480"}, {9, "1800 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {804, {{{7, "640*480"}, {9, "600 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // XboX视频
    {900, {{{9, "640*480"}, {9, "1200 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {901, {{{3, "1280*720"}, {9, "1200 kbps"}, {10, "30.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {902, {{{3, "1280*720"}, {9, "1200 kbps"}, {10, "30.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {903, {{{9, "640*480"}, {9, "1000 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {904, {{{15, "1280*720"}, {9, "1200 kbps"}, {10, "30.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {905, {{{9, "640*480"}, {9, "1200 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {906, {{{4, "1440*1080"}, {9, "1800 kbps"}, {10, "30.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {907, {{{11, "1280*720"}, {9, "1800 kbps"}, {10, "30.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {908, {{{12, "1280*720"}, {9, "1200 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {909, {{{11, "1280*720"}, {9, "1800 kbps"}, {10, "30.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // PMP视频
    {1000, {{{5, "480*272"}, {9, "1000 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1001, {{{5, "720*480"}, {9, "1000 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1002, {{{5, "320*240"}, {9, "600 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1003, {{{2, "320*240"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1004, {{{2, "320*240"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1005, {{{2, "320*240"}, {9, "1200 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1006, {{{2, "320*240"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1007, {{{5, "640*480"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // MP4视频
    {1100, {{{19, "320*240"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1101, {{{27, "保持原分辨率"}, {8, "1200 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1102, {{{27, "保持原分辨率"}, {8, "1200 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1103, {{{27, "保持原分辨率"}, {8, "1200 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1104, {{{27, "保持原分辨率"}, {8, "1200 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    // Flash视频
    {1200, {{{27, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1201, {{{27, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1202, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {3, "22050"}, {1, "无视频"}}}, lsDisabled},
    {1203, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {3, "22050"}, {1, "无视频"}}}, lsDisabled},
};

TEST(LegacyOptionListsTest, EveryPresetFillsItsListsWithTheirDefaults) {
  ASSERT_EQ(std::size(kPresets), LegacyPresets().size());
  for (const TPresetExpectation& preset : kPresets) ExpectFilledAsListed(LegacyOptionTables(), preset);
}

TEST(LegacyOptionListsTest, TemplatesAndEntriesHoldTogether) {
  ExpectTablesHoldTogether(LegacyOptionTables(), {19, 10, 7, 6, 5, 3}, {"R3", "V6", "F3", "M3"});
}

}  // namespace
