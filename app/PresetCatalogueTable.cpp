// The preset catalogue: the twelve categories of the category list and the names of their 113
// presets. A preset's code is its group x 100 + its index in the preset list; the names of one
// group stand here in preset-list order, and each ends with its output extension in "(*.ext)".

#include "app/PresetCatalogue.h"

namespace {

// Category-list order; the group is also the item's image index.
constexpr TPresetCategory kCategories[kPresetCategoryCount] = {
    {"MPG视频", 13},  // 0, 11 presets
    {"VOB视频", 20},  // 1, 6 presets
    {"Flash视频", 11},  // 2, 4 presets
    {"MP4视频", 10},  // 3, 5 presets
    {"AVI视频", 15},  // 4, 7 presets
    {"MKV视频", 16},  // 5, 7 presets
    {"WMV视频", 17},  // 6, 7 presets
    {"电脑视频", 0},  // 7, 15 presets
    {"经典音频", 1},  // 8, 13 presets
    {"iPhone视频", 4},  // 9, 15 presets
    {"智能手机", 24},  // 10, 16 presets
    {"SWF视频", 14},  // 11, 7 presets
};

constexpr TPresetName kNames[] = {
    // MPG视频
    {1300, "MPG标准视频(*.mpg)"},
    {1301, "MPEG-1标准视频(*.mpg)"},
    {1302, "MPEG-2标准视频(*.mpg)"},
    {1303, "MPEG-4标准视频(*.mp4)"},
    {1304, "MPEG-2高清HD视频(*.mpg)"},
    {1305, "MPEG-4高清HD视频(*.mp4)"},
    {1306, "MPEG-2优化视频(*.mpg)"},
    {1307, "MPEG-2高压缩视频(*.mpg)"},
    {1308, "DVD格式高清晰视频(*.mpg)"},
    {1309, "SVCD格式标清视频(*.mpg)"},
    {1310, "VCD格式清晰视频(*.mpg)"},
    // VOB视频
    {2000, "VOB标准视频(*.vob)"},
    {2001, "HD高清VOB视频(*.vob)"},
    {2002, "高清DVD视频格式(*.vob)"},
    {2003, "电脑上常用的VOB标准视频(*.vob)"},
    {2004, "优化的VOB视频(*.vob)"},
    {2005, "高压缩的VOB视频(*.vob)"},
    // Flash视频
    {1100, "FLV在线网络视频(*.flv)"},
    {1101, "SWF动画视频FLASH动画视频(*.swf)"},
    {1102, "FLV在线网络音频格式(*.flv)"},
    {1103, "SWF动画视频FLASH动画音频格式(*.swf)"},
    // MP4视频
    {1000, "MP4机播放的MP4视频格式(*.mp4)"},
    {1001, "电脑上使用的MP4视频格式(*.mp4)"},
    {1002, "MPEG-4视频高清晰视频(*.mp4)"},
    {1003, "MP4 AVC视频(*.mp4)"},
    {1004, "MP4 H264编码视频(*.mp4)"},
    // AVI视频
    {1500, "AVI标准视频(*.avi)"},
    {1501, "HD高清晰AVI标准视频(*.avi)"},
    {1502, "网络上常用的AVI视频(*.avi)"},
    {1503, "电脑上常用的AVI视频(*.avi)"},
    {1504, "优化的AVI视频(*.avi)"},
    {1505, "高压缩的AVI视频(*.avi)"},
    {1506, "高清的HD AVI视频(*.avi)"},
    // MKV视频
    {1600, "MKV标准视频(*.mkv)"},
    {1601, "HD高清MKV视频(*.mkv)"},
    {1602, "网络上常用的MKV视频(*.mkv)"},
    {1603, "电脑上常用的MKV标准视频(*.mkv)"},
    {1604, "优化的MKV视频(*.mkv)"},
    {1605, "高压缩的MKV视频(*.mkv)"},
    {1606, "高清的HD MKV视频(*.mkv)"},
    // WMV视频
    {1700, "WMV标准视频(*.wmv)"},
    {1701, "HD高清WMV视频(*.wmv)"},
    {1702, "网络上常用的WMV视频(*.wmv)"},
    {1703, "电脑上常用的WMV标准视频(*.wmv)"},
    {1704, "优化的WMV视频(*.wmv)"},
    {1705, "高压缩的WMV视频(*.wmv)"},
    {1706, "高清的HD WMV视频(*.wmv)"},
    // 电脑视频
    {0, "AVI - 音频视频交错格式(*.avi)"},
    {1, "MP4 - MPEG-4视频格式(*.mp4)"},
    {2, "DivX - 视频格式(*.avi)"},
    {3, "MOV - 苹果QuickTime视频格式(*.mov)"},
    {4, "XviD - 视频格式(*.avi)"},
    {5, "MKV - Matroska视频格式(*.mkv)"},
    {6, "MPEG-1视频格式(*.mpg)"},
    {7, "MPEG-2视频格式(*.mpg)"},
    {8, "ASF - 高级流视频格式(*.asf)"},
    {9, "3GP - 视频格式(*.3gp)"},
    {10, "WMV - 视频格式(*.wmv)"},
    {11, "DVD - 视频格式(*.mpg)"},
    {12, "SVCD - 视频格式(*.mpg)"},
    {13, "VCD - 视频格式(*.mpg)"},
    {14, "RM - REAL视频格式(*.rm)"},
    // 经典音频
    {100, "MP3 - MPEG Layer-3音频格式(*.mp3)"},
    {101, "WMA - Windows媒体音频格式(*.wma)"},
    {102, "WAV - 波形音频格式(*.wav)"},
    {103, "AAC - 高级音频格式(*.aac)"},
    {104, "M4A - MPEG-4音频格式(*.m4a)"},
    {105, "OGG - Ogg Vorbis音频格式(*.ogg)"},
    {106, "RA - RealAudio音频格式(*.ra)"},
    {107, "AC3 - 杜比数字AC-3音频格式(*.ac3)"},
    {108, "AIFF - 音频交换文件格式(*.aiff)"},
    {109, "MP2 - MPEG Layer-2音频格式(*.mp2)"},
    {110, "FLAC-音频格式(*.flac)"},
    {111, "MP4-MP4音频格式(*.m4a)"},
    {112, "AMR-手机音频格式(*.amr)"},
    // iPhone视频
    {400, "标准iPhone MPEG-4视频(*.mp4)"},
    {401, "iPhone MPEG-4视频480P(*.mp4)"},
    {402, "高清iPhone MPEG-4视频720P(*.mp4)"},
    {403, "高清iPhone H264视频720P(*.mp4)"},
    {404, "高清iPhone H264视频1080P(*.mp4)"},
    {405, "iPhone MPEG-4视频宽屏(*.mp4)"},
    {406, "iPhone MPEG-4高清晰视频(*.mp4)"},
    {407, "iPhone MPEG-4视频(320X240)(*.mp4)"},
    {408, "iPhone MPEG-4视频(480X320)(*.mp4)"},
    {409, "iPhone 标准MOV视频(*.mov)"},
    {410, "iPhone 高清MOV视频(*.mov)"},
    {411, "iPhone 标准AVI视频-Xvid(*.avi)"},
    {412, "iPhone 高清DivX视频(*.avi)"},
    {413, "iPhone 高清AVI视频(*.avi)"},
    {414, "iPhone 高清WMV视频(*.wmv)"},
    // 智能手机
    {2400, "智能手机标准MP4视频(*.mp4)"},
    {2401, "智能手机DivX视频(*.mp4)"},
    {2402, "智能手机Xvid视频(*.mp4)"},
    {2403, "H.264编码高清视频(*.mp4)"},
    {2404, "智能手机高清AVI视频(*.avi)"},
    {2405, "AVI视频-智能手机适用(*.avi)"},
    {2406, "MKV格式视频(*.mkv)"},
    {2407, "手机MOV视频(*.mov)"},
    {2408, "FLV网络格式视频(*.flv)"},
    {2409, "手机3GP视频(*.3gp)"},
    {2410, "WMV格式视频(*.wmv)"},
    {2411, "ASF格式视频(*.asf)"},
    {2412, "MPG格式视频(*.mpg)"},
    {2413, "智能手机支持的MPEG-2视频(*.mpg)"},
    {2414, "智能手机支持的MPEG-4视频(*.mp4)"},
    {2415, "手机MP3格式音频(*.mp3)"},
    // SWF视频
    {1400, "标准的SWF视频格式(*.swf)"},
    {1401, "高清的SWF动画视频FLASH动画视频(*.swf)"},
    {1402, "优化的SWF视频格式(*.swf)"},
    {1403, "高压缩的SWF视频格式(*.swf)"},
    {1404, "FLV在线网络视频(*.flv)"},
    {1405, "SWF动画视频FLASH动画音频格式(*.swf)"},
    {1406, "FLV在线网络音频格式(*.flv)"},
};

}  // namespace

std::span<const TPresetCategory> PresetCategories() { return kCategories; }

std::span<const TPresetName> PresetNames() { return kNames; }
