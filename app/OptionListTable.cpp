// The option lists: 46 templates of item texts and, for every preset of the catalogue, the
// template and default item of each of the six option choosers. The texts are the whole
// vocabulary between the lists and the job rows: a row remembers item indexes, so the order of
// every template is part of the rows' meaning.

#include "app/OptionLists.h"

namespace {

using enum TOptionKind;
using enum TVideoListState;

// Resolution
constexpr std::string_view kR1[] = {
    "保持原分辨率", "128*96", "176*144", "240*176", "320*240", "352*240", "352*288", "384*288", "480*480",
    "480*576", "640*368", "640*480", "704*480", "704*576", "720*480", "720*576", "800*600",
    "852*480", "1024*768", "1280*720", "1280*1024", "1600*1024", "1600*1200", "1920*1080",
    "1920*1200", "1920*1440", "2048*1536", "2560*1600"};
constexpr std::string_view kR2[] = {
    "112*96", "128*96", "160*112", "160*120", "176*144", "192*144", "208*176", "220*176", "320*208",
    "320*224", "320*240"};
constexpr std::string_view kR3[] = {"该格式无视频"};
constexpr std::string_view kR4[] = {
    "保持原分辨率", "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "480*320", "480*368",
    "512*384", "640*272", "640*353", "640*480", "704*480", "704*576", "720*480", "720*576",
    "800*600", "852*480", "1024*768", "1280*720", "1280*1024", "1600*1024", "1600*1200",
    "1920*1080"};
constexpr std::string_view kR5[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "480*320", "480*368",
    "512*384", "640*272", "640*353", "640*480", "720*406"};
constexpr std::string_view kR6[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "480*320", "480*368",
    "512*384", "640*272", "640*353", "640*480", "720*406", "704*480", "704*576", "720*480",
    "720*576", "800*600", "852*480", "1024*768", "1280*720", "1280*1024", "1600*1024", "1600*1200",
    "1920*1080"};
constexpr std::string_view kR7[] = {
    "保持原分辨率", "128*96", "176*144", "240*176", "320*240", "352*240", "352*288", "384*288", "480*480",
    "480*576", "640*368", "640*480", "704*480", "704*576", "720*480", "720*576", "800*600",
    "852*480", "1024*768", "1280*720", "1280*1024", "1600*1024", "1600*1200", "1920*1080",
    "1920*1200", "2048*1536", "2560*1600"};
constexpr std::string_view kR8[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "480*272", "640*480",
    "704*576", "1280*720", "1440*1080", "1920*1080"};
constexpr std::string_view kR9[] = {
    "保持原分辨率", "128*96", "176*144", "240*176", "320*240", "352*240", "352*288", "384*288", "480*480",
    "480*576", "640*368", "640*480", "704*480", "704*576", "720*480", "720*576", "800*600",
    "852*480", "1024*768"};
constexpr std::string_view kR10[] = {
    "保持原分辨率", "1024*768", "1280*720", "1280*1024", "1600*1024", "1600*1200", "1920*1080",
    "1920*1200", "1920*1440", "2048*1536", "2560*1600"};
constexpr std::string_view kR11[] = {
    "保持原分辨率", "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "480*320", "480*368",
    "512*384", "640*272", "640*353", "640*480", "704*480", "704*576", "720*480", "720*576",
    "800*600", "852*480", "1024*768", "1280*720", "1280*1024", "1600*1024", "1600*1200",
    "1920*1080", "2048*1536", "2560*1600"};

// Video bit rate
constexpr std::string_view kVB1[] = {
    "128 kbps", "288 kbps", "528 kbps", "816 kbps", "1200 kbps", "1600 kbps", "1800 kbps",
    "2000 kbps"};
constexpr std::string_view kVB2[] = {
    "128 kbps", "288 kbps", "528 kbps", "768 kbps", "816 kbps", "1200 kbps", "1600 kbps",
    "1800 kbps", "2000 kbps"};
constexpr std::string_view kVB3[] = {
    "128 kbps", "288 kbps", "528 kbps", "816 kbps", "1000 kbps", "1200 kbps", "1600 kbps",
    "1800 kbps", "2000 kbps"};
constexpr std::string_view kVB4[] = {
    "8 kbps", "16 kbps", "24 kbps", "32 kbps", "48 kbps", "56 kbps", "64 kbps", "80 kbps",
    "96 kbps", "128 kbps", "160 kbps", "192 kbps", "256 kbps", "320 kbps", "384 kbps"};
constexpr std::string_view kVB5[] = {
    "128 kbps", "288 kbps", "528 kbps", "600 kbps", "816 kbps", "1200 kbps", "1600 kbps",
    "1800 kbps", "2000 kbps"};
constexpr std::string_view kVB6[] = {"无视频"};
constexpr std::string_view kVB7[] = {
    "192 kbps", "384 kbps", "600 kbps", "768 kbps", "1000 kbps", "1200 kbps", "1500 kbps",
    "1800 kbps", "2000 kbps"};
constexpr std::string_view kVB8[] = {
    "192 kbps", "384 kbps", "600 kbps", "768 kbps", "1000 kbps", "1200 kbps", "1500 kbps",
    "1800 kbps", "2000 kbps", "2500 kbps", "3000 kbps"};
constexpr std::string_view kVB9[] = {
    "128 kbps", "288 kbps", "528 kbps", "768 kbps", "816 kbps", "1000 kbps", "1200 kbps",
    "1600 kbps", "1800 kbps", "2000 kbps", "2500 kbps", "3000 kbps"};
constexpr std::string_view kVB10[] = {
    "128 kbps", "288 kbps", "528 kbps", "816 kbps", "1000 kbps", "1200 kbps", "1600 kbps",
    "1800 kbps", "2000 kbps", "2500 kbps", "3000 kbps", "4000 kbps"};
constexpr std::string_view kVB11[] = {
    "128 kbps", "288 kbps", "528 kbps", "816 kbps", "1000 kbps", "1200 kbps", "1600 kbps",
    "1800 kbps", "2000 kbps", "2500 kbps", "3000 kbps", "3500 kbps"};
constexpr std::string_view kVB12[] = {
    "192 kbps", "384 kbps", "600 kbps", "768 kbps", "1000 kbps", "1200 kbps", "1500 kbps",
    "1800 kbps", "2000 kbps", "2500 kbps", "3000 kbps", "4000 kbps"};
constexpr std::string_view kVB13[] = {
    "816 kbps", "1200 kbps", "1600 kbps", "1800 kbps", "2000 kbps", "2500 kbps", "3000 kbps",
    "4000 kbps"};
constexpr std::string_view kVB14[] = {
    "816 kbps", "1000 kbps", "1200 kbps", "1600 kbps", "1800 kbps", "2000 kbps", "2500 kbps",
    "3000 kbps", "4000 kbps"};
constexpr std::string_view kVB15[] = {
    "528 kbps", "768 kbps", "816 kbps", "1200 kbps", "1600 kbps", "1800 kbps", "2000 kbps",
    "2500 kbps", "3000 kbps", "4000 kbps"};
constexpr std::string_view kVB16[] = {
    "128 kbps", "288 kbps", "528 kbps", "816 kbps", "1200 kbps", "1600 kbps", "1800 kbps",
    "2000 kbps", "2500 kbps"};
constexpr std::string_view kVB17[] = {
    "128 kbps", "288 kbps", "528 kbps", "600 kbps", "816 kbps", "1200 kbps", "1600 kbps",
    "1800 kbps", "2000 kbps", "2500 kbps", "3000 kbps"};

// Frame rate
constexpr std::string_view kFR1[] = {
    "保持原帧速率", "10.00", "13.00", "15.00", "18.00", "20.00", "23.00", "23.97", "24.00", "25.00",
    "29.97", "30.00"};
constexpr std::string_view kFR2[] = {"1", "2", "3", "5", "10", "12", "15"};
constexpr std::string_view kFR3[] = {"无视频"};
constexpr std::string_view kFR4[] = {
    "保持原帧速率", "10.00", "12.00", "15.00", "20.00", "23.98", "24.00", "25.00", "29.97", "30.00"};
constexpr std::string_view kFR5[] = {"保持原帧速率", "25.00", "29.97", "30.00"};

// Audio bit rate
constexpr std::string_view kAB1[] = {
    "16 kbps", "24 kbps", "32 kbps", "40 kbps", "48 kbps", "56 kbps", "64 kbps", "80 kbps",
    "96 kbps", "112 kbps", "128 kbps", "144 kbps", "160 kbps", "192 kbps", "224 kbps", "256 kbps",
    "320 kbps"};
constexpr std::string_view kAB2[] = {"5 kbps", "6 kbps", "7 kbps", "8 kbps", "10 kbps", "12 kbps"};
constexpr std::string_view kAB3[] = {
    "4.75 kbps", "5.15 kbps", "5.9 kbps", "6.7 kbps", "7.4 kbps", "7.95 kbps", "10.2 kbps",
    "12.2 kbps"};
constexpr std::string_view kAB4[] = {"64 kbps", "96 kbps", "128 kbps", "160 kbps", "192 kbps"};
constexpr std::string_view kAB5[] = {
    "48 kbps", "56 kbps", "64 kbps", "80 kbps", "96 kbps", "112 kbps", "116 kbps", "128 kbps"};

// Sample rate
constexpr std::string_view kSR1[] = {"11025", "16000", "22050", "32000", "44100", "48000"};
constexpr std::string_view kSR2[] = {"8000"};
constexpr std::string_view kSR3[] = {"22050", "32000", "44100", "48000"};
constexpr std::string_view kSR4[] = {"11025", "22050", "44100"};
constexpr std::string_view kSR5[] = {"8000", "11025", "16000", "22050", "32000", "44100", "48000"};

// Scaling mode
constexpr std::string_view kSM1[] = {
    "保持原视频模式", "普通视频4:3模式", "宽屏视频16:9模式", "宽屏视频37:20模式", "宽屏视频47:20模式"};
constexpr std::string_view kSM2[] = {"保持原视频模式", "普通视频4:3模式"};
constexpr std::string_view kSM3[] = {"无视频"};

// The disc presets' lists (PAL): one item each, the value the disc's norm gives.
constexpr std::string_view kDvdSize[] = {"720*576"};
constexpr std::string_view kSvcdSize[] = {"480*576"};
constexpr std::string_view kVcdSize[] = {"352*288"};
constexpr std::string_view kDvdVideoBitrate[] = {"6000 kbps"};
constexpr std::string_view kSvcdVideoBitrate[] = {"2040 kbps"};
constexpr std::string_view kVcdVideoBitrate[] = {"1150 kbps"};
constexpr std::string_view kPalRate[] = {"25.00"};
constexpr std::string_view kDvdAudioBitrate[] = {"448 kbps"};
constexpr std::string_view kCdAudioBitrate[] = {"224 kbps"};
constexpr std::string_view kDvdSampleRate[] = {"48000"};
constexpr std::string_view kCdSampleRate[] = {"44100"};
constexpr std::string_view kWide[] = {"宽屏视频16:9模式"};
constexpr std::string_view kNormal[] = {"普通视频4:3模式"};

constexpr TOptionTemplate kDiscTemplates[] = {
    {"R-DVD", okResolution, kDvdSize}, {"R-SVCD", okResolution, kSvcdSize}, {"R-VCD", okResolution, kVcdSize},
    {"VB-DVD", okVideoBitrate, kDvdVideoBitrate}, {"VB-SVCD", okVideoBitrate, kSvcdVideoBitrate},
    {"VB-VCD", okVideoBitrate, kVcdVideoBitrate}, {"FR-PAL", okFrameRate, kPalRate},
    {"AB-DVD", okAudioBitrate, kDvdAudioBitrate}, {"AB-CD", okAudioBitrate, kCdAudioBitrate},
    {"SR-DVD", okSampleRate, kDvdSampleRate}, {"SR-CD", okSampleRate, kCdSampleRate},
    {"SM-DVD", okScalingMode, kWide}, {"SM-CD", okScalingMode, kNormal}};

constexpr TOptionTemplate kTemplates[] = {
    {"R1", okResolution, kR1}, {"R2", okResolution, kR2}, {"R3", okResolution, kR3},
    {"R4", okResolution, kR4}, {"R5", okResolution, kR5}, {"R6", okResolution, kR6},
    {"R7", okResolution, kR7}, {"R8", okResolution, kR8}, {"R9", okResolution, kR9},
    {"R10", okResolution, kR10}, {"R11", okResolution, kR11},
    {"VB1", okVideoBitrate, kVB1}, {"VB2", okVideoBitrate, kVB2}, {"VB3", okVideoBitrate, kVB3},
    {"VB4", okVideoBitrate, kVB4}, {"VB5", okVideoBitrate, kVB5}, {"VB6", okVideoBitrate, kVB6},
    {"VB7", okVideoBitrate, kVB7}, {"VB8", okVideoBitrate, kVB8}, {"VB9", okVideoBitrate, kVB9},
    {"VB10", okVideoBitrate, kVB10}, {"VB11", okVideoBitrate, kVB11}, {"VB12", okVideoBitrate, kVB12},
    {"VB13", okVideoBitrate, kVB13}, {"VB14", okVideoBitrate, kVB14}, {"VB15", okVideoBitrate, kVB15},
    {"VB16", okVideoBitrate, kVB16}, {"VB17", okVideoBitrate, kVB17},
    {"FR1", okFrameRate, kFR1}, {"FR2", okFrameRate, kFR2}, {"FR3", okFrameRate, kFR3},
    {"FR4", okFrameRate, kFR4}, {"FR5", okFrameRate, kFR5},
    {"AB1", okAudioBitrate, kAB1}, {"AB2", okAudioBitrate, kAB2}, {"AB3", okAudioBitrate, kAB3},
    {"AB4", okAudioBitrate, kAB4}, {"AB5", okAudioBitrate, kAB5},
    {"SR1", okSampleRate, kSR1}, {"SR2", okSampleRate, kSR2}, {"SR3", okSampleRate, kSR3},
    {"SR4", okSampleRate, kSR4}, {"SR5", okSampleRate, kSR5},
    {"SM1", okScalingMode, kSM1}, {"SM2", okScalingMode, kSM2}, {"SM3", okScalingMode, kSM3},
};

// Code: template and default item of the resolution, video bit rate, frame rate, audio bit rate,
// sample rate and scaling mode lists (fill order), then whether the four video lists stay enabled.
constexpr TOptionEntry kEntries[] = {
    // MPG视频
    {1300, {{{"R1", 0}, {"VB3", 4}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1301, {{{"R1", 4}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1302, {{{"R1", 0}, {"VB3", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1303, {{{"R1", 0}, {"VB2", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1304, {{{"R10", 3}, {"VB13", 2}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {1305, {{{"R10", 3}, {"VB13", 2}, {"FR5", 3}, {"AB1", 13}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {1306, {{{"R1", 11}, {"VB5", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1307, {{{"R1", 4}, {"VB1", 2}, {"FR1", 9}, {"AB1", 8}, {"SR1", 3}, {"SM1", 0}}}, lsEnabled},
    {1308, {{{"R-DVD", 0}, {"VB-DVD", 0}, {"FR-PAL", 0}, {"AB-DVD", 0}, {"SR-DVD", 0}, {"SM-DVD", 0}}}, lsLocked},
    {1309, {{{"R-SVCD", 0}, {"VB-SVCD", 0}, {"FR-PAL", 0}, {"AB-CD", 0}, {"SR-CD", 0}, {"SM-CD", 0}}}, lsLocked},
    {1310, {{{"R-VCD", 0}, {"VB-VCD", 0}, {"FR-PAL", 0}, {"AB-CD", 0}, {"SR-CD", 0}, {"SM-CD", 0}}}, lsLocked},
    // VOB视频
    {2000, {{{"R1", 14}, {"VB14", 1}, {"FR5", 2}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {2001, {{{"R1", 19}, {"VB13", 2}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {2002, {{{"R1", 14}, {"VB13", 1}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {2003, {{{"R1", 0}, {"VB14", 1}, {"FR5", 2}, {"AB1", 11}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {2004, {{{"R1", 11}, {"VB15", 0}, {"FR5", 0}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {2005, {{{"R1", 4}, {"VB15", 0}, {"FR5", 0}, {"AB1", 10}, {"SR1", 3}, {"SM1", 0}}}, lsEnabled},
    // Flash视频
    {1100, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR4", 1}, {"SM1", 0}}}, lsEnabled},
    {1101, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR4", 1}, {"SM1", 0}}}, lsEnabled},
    {1102, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR4", 1}, {"SM3", 0}}}, lsDisabled},
    {1103, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR4", 1}, {"SM3", 0}}}, lsDisabled},
    // MP4视频
    {1000, {{{"R9", 4}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1001, {{{"R1", 0}, {"VB1", 4}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1002, {{{"R1", 0}, {"VB1", 4}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1003, {{{"R1", 0}, {"VB1", 4}, {"FR1", 10}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1004, {{{"R1", 0}, {"VB1", 4}, {"FR1", 10}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    // AVI视频
    {1500, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1501, {{{"R1", 19}, {"VB13", 2}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {1502, {{{"R1", 4}, {"VB1", 2}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1503, {{{"R1", 0}, {"VB3", 4}, {"FR1", 10}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1504, {{{"R1", 4}, {"VB5", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1505, {{{"R1", 0}, {"VB1", 2}, {"FR1", 5}, {"AB1", 8}, {"SR1", 3}, {"SM1", 0}}}, lsEnabled},
    {1506, {{{"R1", 19}, {"VB13", 2}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    // MKV视频
    {1600, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1601, {{{"R1", 19}, {"VB13", 2}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {1602, {{{"R1", 4}, {"VB1", 2}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1603, {{{"R1", 0}, {"VB3", 4}, {"FR1", 10}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1604, {{{"R1", 4}, {"VB5", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1605, {{{"R1", 0}, {"VB1", 2}, {"FR1", 5}, {"AB1", 8}, {"SR1", 3}, {"SM1", 0}}}, lsEnabled},
    {1606, {{{"R1", 19}, {"VB13", 2}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    // WMV视频
    {1700, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1701, {{{"R1", 19}, {"VB13", 2}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {1702, {{{"R1", 4}, {"VB1", 2}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1703, {{{"R1", 0}, {"VB3", 4}, {"FR1", 10}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1704, {{{"R1", 4}, {"VB5", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1705, {{{"R1", 0}, {"VB1", 2}, {"FR1", 5}, {"AB1", 8}, {"SR1", 3}, {"SM1", 0}}}, lsEnabled},
    {1706, {{{"R1", 19}, {"VB13", 2}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    // 电脑视频
    {0, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {1, {{{"R1", 0}, {"VB2", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {2, {{{"R1", 0}, {"VB3", 4}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {3, {{{"R1", 0}, {"VB2", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {4, {{{"R1", 0}, {"VB3", 4}, {"FR1", 0}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {5, {{{"R1", 0}, {"VB1", 4}, {"FR1", 10}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {6, {{{"R1", 4}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {7, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {8, {{{"R1", 0}, {"VB1", 3}, {"FR1", 0}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {9, {{{"R2", 4}, {"VB4", 9}, {"FR2", 5}, {"AB2", 5}, {"SR2", 0}, {"SM2", 0}}}, lsEnabled},
    {10, {{{"R1", 0}, {"VB5", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {11, {{{"R-DVD", 0}, {"VB-DVD", 0}, {"FR-PAL", 0}, {"AB-DVD", 0}, {"SR-DVD", 0}, {"SM-DVD", 0}}}, lsLocked},
    {12, {{{"R-SVCD", 0}, {"VB-SVCD", 0}, {"FR-PAL", 0}, {"AB-CD", 0}, {"SR-CD", 0}, {"SM-CD", 0}}}, lsLocked},
    {13, {{{"R-VCD", 0}, {"VB-VCD", 0}, {"FR-PAL", 0}, {"AB-CD", 0}, {"SR-CD", 0}, {"SM-CD", 0}}}, lsLocked},
    {14, {{{"R1", 4}, {"VB1", 2}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    // 经典音频
    {100, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR1", 4}, {"SM3", 0}}}, lsDisabled},
    {101, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR1", 4}, {"SM3", 0}}}, lsDisabled},
    {102, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 13}, {"SR1", 5}, {"SM3", 0}}}, lsDisabled},
    {103, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR1", 5}, {"SM3", 0}}}, lsDisabled},
    {104, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 9}, {"SR1", 4}, {"SM3", 0}}}, lsDisabled},
    {105, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR1", 4}, {"SM3", 0}}}, lsDisabled},
    {106, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 9}, {"SR1", 4}, {"SM3", 0}}}, lsDisabled},
    {107, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR1", 4}, {"SM3", 0}}}, lsDisabled},
    {108, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR1", 4}, {"SM3", 0}}}, lsDisabled},
    {109, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR1", 4}, {"SM3", 0}}}, lsDisabled},
    {110, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 13}, {"SR1", 5}, {"SM3", 0}}}, lsDisabled},
    {111, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 12}, {"SR1", 5}, {"SM3", 0}}}, lsDisabled},
    {112, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB3", 4}, {"SR2", 0}, {"SM3", 0}}}, lsDisabled},
    // iPhone视频
    {400, {{{"R4", 7}, {"VB7", 3}, {"FR4", 7}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {401, {{{"R4", 12}, {"VB7", 3}, {"FR4", 7}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {402, {{{"R4", 20}, {"VB8", 5}, {"FR4", 8}, {"AB4", 2}, {"SR3", 3}, {"SM1", 2}}}, lsEnabled},
    {403, {{{"R4", 20}, {"VB8", 7}, {"FR4", 8}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {404, {{{"R4", 24}, {"VB8", 8}, {"FR4", 8}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {405, {{{"R5", 12}, {"VB7", 3}, {"FR4", 7}, {"AB4", 2}, {"SR3", 3}, {"SM1", 2}}}, lsEnabled},
    {406, {{{"R6", 12}, {"VB8", 5}, {"FR4", 8}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {407, {{{"R5", 3}, {"VB7", 3}, {"FR4", 7}, {"AB4", 2}, {"SR3", 2}, {"SM1", 0}}}, lsEnabled},
    {408, {{{"R5", 6}, {"VB7", 3}, {"FR4", 7}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {409, {{{"R7", 0}, {"VB2", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {410, {{{"R7", 19}, {"VB9", 5}, {"FR1", 10}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {411, {{{"R7", 0}, {"VB10", 3}, {"FR5", 1}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {412, {{{"R7", 19}, {"VB11", 5}, {"FR1", 10}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {413, {{{"R8", 9}, {"VB12", 5}, {"FR4", 8}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {414, {{{"R7", 19}, {"VB13", 2}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    // 智能手机
    {2400, {{{"R11", 0}, {"VB8", 4}, {"FR4", 7}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {2401, {{{"R7", 0}, {"VB2", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {2402, {{{"R4", 12}, {"VB7", 3}, {"FR4", 7}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {2403, {{{"R4", 17}, {"VB8", 6}, {"FR4", 8}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {2404, {{{"R7", 18}, {"VB16", 4}, {"FR1", 11}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {2405, {{{"R7", 0}, {"VB13", 1}, {"FR5", 2}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {2406, {{{"R7", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {2407, {{{"R7", 0}, {"VB2", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {2408, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR4", 1}, {"SM1", 0}}}, lsEnabled},
    {2409, {{{"R2", 4}, {"VB4", 9}, {"FR2", 5}, {"AB5", 0}, {"SR5", 4}, {"SM1", 0}}}, lsEnabled},
    {2410, {{{"R7", 0}, {"VB5", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {2411, {{{"R1", 0}, {"VB1", 3}, {"FR1", 0}, {"AB1", 10}, {"SR1", 5}, {"SM1", 0}}}, lsEnabled},
    {2412, {{{"R7", 11}, {"VB17", 3}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {2413, {{{"R7", 16}, {"VB17", 4}, {"FR1", 9}, {"AB1", 10}, {"SR1", 4}, {"SM1", 0}}}, lsEnabled},
    {2414, {{{"R4", 12}, {"VB7", 3}, {"FR4", 7}, {"AB4", 2}, {"SR3", 3}, {"SM1", 0}}}, lsEnabled},
    {2415, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR1", 4}, {"SM3", 0}}}, lsDisabled},
    // SWF视频
    {1400, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR4", 1}, {"SM1", 0}}}, lsEnabled},
    {1401, {{{"R1", 19}, {"VB1", 5}, {"FR1", 10}, {"AB1", 10}, {"SR4", 1}, {"SM1", 0}}}, lsEnabled},
    {1402, {{{"R1", 4}, {"VB5", 3}, {"FR1", 9}, {"AB1", 10}, {"SR4", 1}, {"SM1", 0}}}, lsEnabled},
    {1403, {{{"R1", 4}, {"VB1", 2}, {"FR1", 5}, {"AB1", 8}, {"SR4", 1}, {"SM1", 0}}}, lsEnabled},
    {1404, {{{"R1", 0}, {"VB1", 3}, {"FR1", 9}, {"AB1", 10}, {"SR4", 1}, {"SM1", 0}}}, lsEnabled},
    {1405, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR4", 1}, {"SM3", 0}}}, lsDisabled},
    {1406, {{{"R3", 0}, {"VB6", 0}, {"FR3", 0}, {"AB1", 10}, {"SR4", 1}, {"SM3", 0}}}, lsDisabled},
};

}  // namespace

std::span<const TOptionTemplate> OptionTemplates() { return kTemplates; }

std::span<const TOptionEntry> OptionEntries() { return kEntries; }

std::span<const TOptionTemplate> DiscOptionTemplates() { return kDiscTemplates; }
