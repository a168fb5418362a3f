#include "app/OptionLists.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/PresetCatalogue.h"
#include "tests/app/MemoryControls.h"
#include "tests/app/OptionListExpectations.h"

namespace {

using namespace memory_controls;
using namespace option_list_expectations;
using enum TOptionKind;
using enum TVideoListState;

struct TChooserSet {
  TJournal journal;
  TMemoryChoosers controls{journal};
  TMemoryOptionChooser& resolution = controls.Resolution;
  TMemoryOptionChooser& videoBitrate = controls.VideoBitrate;
  TMemoryOptionChooser& audioBitrate = controls.AudioBitrate;
  const TOptionChoosers& choosers = controls.Choosers;

  [[nodiscard]] std::vector<std::string> Changes() const { return ChooserChanges(journal); }
};

const TPresetExpectation kPresets[] = {
    // MPG视频
    {1300, {{{28, "保持原分辨率"}, {9, "1000 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1301, {{{28, "320*240"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1302, {{{28, "保持原分辨率"}, {9, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1303, {{{28, "保持原分辨率"}, {9, "768 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1304, {{{11, "1280*1024"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1305, {{{11, "1280*1024"}, {8, "1600 kbps"}, {4, "30.00"}, {17, "192 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1306, {{{28, "640*480"}, {9, "600 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1307, {{{28, "320*240"}, {8, "528 kbps"}, {12, "25.00"}, {17, "96 kbps"}, {6, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1308, {{{1, "720*576"}, {1, "6000 kbps"}, {1, "25.00"}, {1, "448 kbps"}, {1, "48000"}, {1, "宽屏视频16:9模式"}}}, lsLocked},
    {1309, {{{1, "480*576"}, {1, "2040 kbps"}, {1, "25.00"}, {1, "224 kbps"}, {1, "44100"}, {1, "普通视频4:3模式"}}}, lsLocked},
    {1310, {{{1, "352*288"}, {1, "1150 kbps"}, {1, "25.00"}, {1, "224 kbps"}, {1, "44100"}, {1, "普通视频4:3模式"}}}, lsLocked},
    // VOB视频
    {2000, {{{28, "720*480"}, {9, "1000 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2001, {{{28, "1280*720"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2002, {{{28, "720*480"}, {8, "1200 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2003, {{{28, "保持原分辨率"}, {9, "1000 kbps"}, {4, "29.97"}, {17, "144 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2004, {{{28, "640*480"}, {10, "528 kbps"}, {4, "保持原帧速率"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2005, {{{28, "320*240"}, {10, "528 kbps"}, {4, "保持原帧速率"}, {17, "128 kbps"}, {6, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // Flash视频
    {1100, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1101, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1102, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {3, "22050"}, {1, "无视频"}}}, lsDisabled},
    {1103, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {3, "22050"}, {1, "无视频"}}}, lsDisabled},
    // MP4视频
    {1000, {{{19, "320*240"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1001, {{{28, "保持原分辨率"}, {8, "1200 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1002, {{{28, "保持原分辨率"}, {8, "1200 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1003, {{{28, "保持原分辨率"}, {8, "1200 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1004, {{{28, "保持原分辨率"}, {8, "1200 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    // AVI视频
    {1500, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1501, {{{28, "1280*720"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1502, {{{28, "320*240"}, {8, "528 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1503, {{{28, "保持原分辨率"}, {9, "1000 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1504, {{{28, "320*240"}, {9, "600 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1505, {{{28, "保持原分辨率"}, {8, "528 kbps"}, {12, "20.00"}, {17, "96 kbps"}, {6, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1506, {{{28, "1280*720"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // MKV视频
    {1600, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1601, {{{28, "1280*720"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1602, {{{28, "320*240"}, {8, "528 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1603, {{{28, "保持原分辨率"}, {9, "1000 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1604, {{{28, "320*240"}, {9, "600 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1605, {{{28, "保持原分辨率"}, {8, "528 kbps"}, {12, "20.00"}, {17, "96 kbps"}, {6, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1606, {{{28, "1280*720"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // WMV视频
    {1700, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1701, {{{28, "1280*720"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1702, {{{28, "320*240"}, {8, "528 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1703, {{{28, "保持原分辨率"}, {9, "1000 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1704, {{{28, "320*240"}, {9, "600 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1705, {{{28, "保持原分辨率"}, {8, "528 kbps"}, {12, "20.00"}, {17, "96 kbps"}, {6, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1706, {{{28, "1280*720"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // 电脑视频
    {0, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1, {{{28, "保持原分辨率"}, {9, "768 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2, {{{28, "保持原分辨率"}, {9, "1000 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {3, {{{28, "保持原分辨率"}, {9, "768 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {4, {{{28, "保持原分辨率"}, {9, "1000 kbps"}, {12, "保持原帧速率"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {5, {{{28, "保持原分辨率"}, {8, "1200 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {6, {{{28, "320*240"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {7, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {8, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "保持原帧速率"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {9, {{{11, "176*144"}, {15, "128 kbps"}, {7, "12"}, {6, "12 kbps"}, {1, "8000"}, {2, "保持原视频模式"}}}, lsEnabled},
    {10, {{{28, "保持原分辨率"}, {9, "600 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {11, {{{1, "720*576"}, {1, "6000 kbps"}, {1, "25.00"}, {1, "448 kbps"}, {1, "48000"}, {1, "宽屏视频16:9模式"}}}, lsLocked},
    {12, {{{1, "480*576"}, {1, "2040 kbps"}, {1, "25.00"}, {1, "224 kbps"}, {1, "44100"}, {1, "普通视频4:3模式"}}}, lsLocked},
    {13, {{{1, "352*288"}, {1, "1150 kbps"}, {1, "25.00"}, {1, "224 kbps"}, {1, "44100"}, {1, "普通视频4:3模式"}}}, lsLocked},
    {14, {{{28, "320*240"}, {8, "528 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    // 经典音频
    {100, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {101, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {102, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "192 kbps"}, {6, "48000"}, {1, "无视频"}}}, lsDisabled},
    {103, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "48000"}, {1, "无视频"}}}, lsDisabled},
    {104, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "112 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {105, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {106, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "112 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {107, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {108, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {109, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    {110, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "192 kbps"}, {6, "48000"}, {1, "无视频"}}}, lsDisabled},
    {111, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "160 kbps"}, {6, "48000"}, {1, "无视频"}}}, lsDisabled},
    {112, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {8, "7.4 kbps"}, {1, "8000"}, {1, "无视频"}}}, lsDisabled},
    // iPhone视频
    {400, {{{25, "480*320"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {401, {{{25, "640*480"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {402, {{{25, "1280*720"}, {11, "1200 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "宽屏视频16:9模式"}}}, lsEnabled},
    {403, {{{25, "1280*720"}, {11, "1800 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {404, {{{25, "1920*1080"}, {11, "2000 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {405, {{{13, "720*406"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "宽屏视频16:9模式"}}}, lsEnabled},
    {406, {{{25, "720*406"}, {11, "1200 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {407, {{{13, "320*240"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {408, {{{13, "480*320"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {409, {{{27, "保持原分辨率"}, {9, "768 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {410, {{{27, "1280*720"}, {12, "1000 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {411, {{{27, "保持原分辨率"}, {12, "816 kbps"}, {4, "25.00"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {412, {{{27, "1280*720"}, {12, "1200 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {413, {{{12, "1280*720"}, {12, "1200 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {414, {{{27, "1280*720"}, {8, "1600 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    // 智能手机
    {2400, {{{27, "保持原分辨率"}, {11, "1000 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2401, {{{27, "保持原分辨率"}, {9, "768 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2402, {{{25, "640*480"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2403, {{{25, "800*600"}, {11, "1500 kbps"}, {10, "29.97"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2404, {{{27, "1024*768"}, {9, "1200 kbps"}, {12, "30.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2405, {{{27, "保持原分辨率"}, {8, "1200 kbps"}, {4, "29.97"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2406, {{{27, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2407, {{{27, "保持原分辨率"}, {9, "768 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2408, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2409, {{{11, "176*144"}, {15, "128 kbps"}, {7, "12"}, {8, "48 kbps"}, {7, "32000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2410, {{{27, "保持原分辨率"}, {9, "600 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2411, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "保持原帧速率"}, {17, "128 kbps"}, {6, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2412, {{{27, "640*480"}, {11, "600 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2413, {{{27, "800*600"}, {11, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {6, "44100"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2414, {{{25, "640*480"}, {9, "768 kbps"}, {10, "25.00"}, {5, "128 kbps"}, {4, "48000"}, {5, "保持原视频模式"}}}, lsEnabled},
    {2415, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {6, "44100"}, {1, "无视频"}}}, lsDisabled},
    // SWF视频
    {1400, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1401, {{{28, "1280*720"}, {8, "1600 kbps"}, {12, "29.97"}, {17, "128 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1402, {{{28, "320*240"}, {9, "600 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1403, {{{28, "320*240"}, {8, "528 kbps"}, {12, "20.00"}, {17, "96 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1404, {{{28, "保持原分辨率"}, {8, "816 kbps"}, {12, "25.00"}, {17, "128 kbps"}, {3, "22050"}, {5, "保持原视频模式"}}}, lsEnabled},
    {1405, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {3, "22050"}, {1, "无视频"}}}, lsDisabled},
    {1406, {{{1, "该格式无视频"}, {1, "无视频"}, {1, "无视频"}, {17, "128 kbps"}, {3, "22050"}, {1, "无视频"}}}, lsDisabled},
};

TEST(OptionListsTest, EveryPresetFillsItsListsWithTheirDefaults) {
  ASSERT_EQ(std::size(kPresets), PresetNames().size());
  for (const TPresetExpectation& preset : kPresets) {
    ASSERT_TRUE(PresetNameOfCode(preset.code)) << "a preset of the catalogue: " << preset.code;
    ExpectFilledAsListed(MainOptionTables(), preset);
  }
}

TEST(OptionListsTest, TemplatesAndEntriesHoldTogether) {
  ExpectTablesHoldTogether(MainOptionTables(), {11, 17, 5, 5, 5, 3}, {"R3", "VB6", "FR3", "SM3"});
}

TEST(OptionListsTest, ACodeWithoutEntryLeavesTheListsEmptyAndEnabled) {
  TChooserSet set;
  FillOptionChoosers(set.choosers, 112);  // disables the video lists
  set.journal.clear();
  for (int code : {-1, 1099, 1999, 2416}) {
    SCOPED_TRACE(code);
    FillOptionChoosers(set.choosers, code);
    for (TOptionKind kind : {okResolution, okVideoBitrate, okFrameRate, okAudioBitrate, okSampleRate, okScalingMode}) {
      EXPECT_EQ(set.choosers.Of(kind).ItemCount(), 0);
      EXPECT_EQ(set.choosers.Of(kind).ItemIndex(), -1);
      EXPECT_TRUE(set.choosers.Of(kind).Enabled());
    }
    EXPECT_TRUE(set.Changes().empty());
  }
  EXPECT_EQ(set.resolution.Text(), "该格式无视频") << "emptying keeps the shown text";
}

TEST(OptionListsTest, OnlyTheChoosersWhoseTextChangesRaiseTheirChange) {
  struct Case {
    int from, to;
    std::vector<std::string> changes;
  };
  const Case cases[] = {
      {0, 1, {"vlSkinComboBox2.OnChange"}},
      {0, 0, {}},
      {100, 102, {"vlSkinComboBox3.OnChange", "vlSkinComboBox10.OnChange"}},
      {1002, 1003, {"vlSkinComboBox9.OnChange"}},
      {1001, 1002, {}},
      // Same text at another index: no change, though the index moved from 7 to 6.
      {400, 408, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
    TChooserSet set;
    FillOptionChoosers(set.choosers, c.from);
    set.journal.clear();
    FillOptionChoosers(set.choosers, c.to);
    EXPECT_EQ(set.Changes(), c.changes);
  }
}

TEST(OptionListsTest, AListIsCompleteBeforeTheNextOneIsFilled) {
  TChooserSet set;
  std::vector<int> laterListSizes;
  set.resolution.SetOnChange([&] {
    for (TOptionKind kind : {okVideoBitrate, okFrameRate, okAudioBitrate, okSampleRate, okScalingMode})
      laterListSizes.push_back(set.choosers.Of(kind).ItemCount());
  });
  int videoBitrateItemsSeen = -1;
  set.videoBitrate.SetOnChange([&] { videoBitrateItemsSeen = set.videoBitrate.ItemCount(); });
  FillOptionChoosers(set.choosers, 0);
  EXPECT_EQ(laterListSizes, (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(videoBitrateItemsSeen, 8);
}

TEST(OptionListsTest, AVideoPresetAfterANoVideoOneEnablesEveryList) {
  TChooserSet set;
  FillOptionChoosers(set.choosers, 2415);
  EXPECT_FALSE(set.resolution.Enabled());
  EXPECT_TRUE(set.audioBitrate.Enabled());
  FillOptionChoosers(set.choosers, 2414);
  for (TOptionKind kind : {okResolution, okVideoBitrate, okFrameRate, okAudioBitrate, okSampleRate, okScalingMode})
    EXPECT_TRUE(set.choosers.Of(kind).Enabled());
  EXPECT_EQ(set.resolution.ItemCount(), 25);
  EXPECT_EQ(set.resolution.ItemIndex(), 12);
}

}  // namespace
