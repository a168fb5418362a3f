// The legacy preset window's option lists: 50 templates of item texts, labelled by kind (R
// resolution, V video bit rate, F frame rate, A audio bit rate, S sample rate, M scaling mode) and
// number, and for every preset of its catalogue the template and default item of each of its six
// lists. The presets whose resolution list is R3 have no video; their four video lists are
// disabled after filling.

#include "app/LegacyOptionLists.h"

namespace {

using enum TOptionKind;
using enum TVideoListState;

// Resolution
constexpr std::string_view kR1[] = {
    "保持原分辨率", "128*96", "176*144", "240*176", "320*240", "352*240", "352*288", "384*288", "480*480",
    "480*576", "640*368", "640*480", "704*480", "704*576", "720*480", "720*576", "800*600",
    "852*480", "1024*768", "1280*720", "1280*1024", "1600*1024", "1600*1200", "1920*1080",
    "1920*1200", "2048*1536", "2560*1600"};
constexpr std::string_view kR2[] = {
    "112*96", "128*96", "160*112", "160*120", "176*144", "192*144", "208*176", "220*176", "320*208",
    "320*224", "320*240"};
constexpr std::string_view kR3[] = {"该格式无视频"};
constexpr std::string_view kR4[] = {
    "保持原分辨率", "1024*768", "1280*720", "1280*1024", "1600*1024", "1600*1200", "1920*1080",
    "1920*1200", "2048*1536", "2560*1600"};
constexpr std::string_view kR5[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "640*480"};
constexpr std::string_view kR6[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "480*320", "480*368",
    "512*384", "640*272", "640*353", "640*480"};
constexpr std::string_view kR7[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "480*320", "480*368",
    "512*384", "640*272", "640*353", "640*480", "720*406"};
constexpr std::string_view kR8[] = {"320*240", "368*208", "480*272", "640*480", "720*480"};
constexpr std::string_view kR9[] = {
    "112*96", "128*96", "160*112", "160*120", "176*144", "192*144", "208*176", "220*176", "320*208",
    "320*224", "320*240", "352*288", "480*360"};
constexpr std::string_view kR10[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "640*480", "1280*720"};
constexpr std::string_view kR11[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "480*272", "640*480",
    "704*576"};
constexpr std::string_view kR12[] = {"1280*720", "1440*1080", "1920*1080"};
constexpr std::string_view kR13[] = {
    "640*480", "704*576", "720*480", "720*576", "800*600", "852*480", "1024*768", "1280*720",
    "1280*1024", "1600*1024", "1600*1200", "1920*1080", "1920*1200", "2048*1536", "2560*1600"};
constexpr std::string_view kR14[] = {"704*576", "1280*720", "1440*1080", "1920*1080"};
constexpr std::string_view kR15[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "640*480", "704*576",
    "1280*720", "1440*1080", "1920*1080"};
constexpr std::string_view kR16[] = {
    "128*96", "176*144", "160*120", "320*240", "352*288", "368*208", "480*272", "640*480",
    "704*576", "1280*720", "1440*1080", "1920*1080"};
constexpr std::string_view kR17[] = {"160*120", "320*240", "480*272", "640*480", "720*480"};
constexpr std::string_view kR18[] = {"320*240", "640*480"};
constexpr std::string_view kR19[] = {
    "保持原分辨率", "128*96", "176*144", "240*176", "320*240", "352*240", "352*288", "384*288", "480*480",
    "480*576", "640*368", "640*480", "704*480", "704*576", "720*480", "720*576", "800*600",
    "852*480", "1024*768"};
// Video bit rate
constexpr std::string_view kV1[] = {
    "128 kbps", "288 kbps", "528 kbps", "816 kbps", "1200 kbps", "1600 kbps", "1800 kbps",
    "2000 kbps"};
constexpr std::string_view kV2[] = {
    "128 kbps", "288 kbps", "528 kbps", "768 kbps", "816 kbps", "1200 kbps", "1600 kbps",
    "1800 kbps", "2000 kbps"};
constexpr std::string_view kV3[] = {
    "128 kbps", "288 kbps", "528 kbps", "816 kbps", "1000 kbps", "1200 kbps", "1600 kbps",
    "1800 kbps", "2000 kbps"};
constexpr std::string_view kV4[] = {
    "8 kbps", "16 kbps", "24 kbps", "32 kbps", "48 kbps", "56 kbps", "64 kbps", "80 kbps",
    "96 kbps", "128 kbps", "160 kbps", "192 kbps", "256 kbps", "320 kbps", "384 kbps"};
constexpr std::string_view kV5[] = {
    "128 kbps", "288 kbps", "528 kbps", "600 kbps", "816 kbps", "1200 kbps", "1600 kbps",
    "1800 kbps", "2000 kbps"};
constexpr std::string_view kV6[] = {"无视频"};
constexpr std::string_view kV7[] = {
    "816 kbps", "1200 kbps", "1600 kbps", "1800 kbps", "2000 kbps", "2500 kbps", "3000 kbps",
    "4000 kbps"};
constexpr std::string_view kV8[] = {
    "192 kbps", "384 kbps", "600 kbps", "768 kbps", "1000 kbps", "1200 kbps", "1500 kbps",
    "1800 kbps", "2000 kbps"};
constexpr std::string_view kV9[] = {
    "216 kbps", "384 kbps", "512 kbps", "768 kbps", "1000 kbps", "1200 kbps", "1500 kbps"};
constexpr std::string_view kV10[] = {
    "8 kbps", "16 kbps", "24 kbps", "32 kbps", "48 kbps", "56 kbps", "64 kbps", "80 kbps",
    "96 kbps", "128 kbps", "160 kbps", "192 kbps", "256 kbps", "320 kbps", "384 kbps", "512 kbps",
    "600 kbps"};
// Frame rate
constexpr std::string_view kF1[] = {
    "保持原帧速率", "10.00", "13.00", "15.00", "18.00", "20.00", "23.00", "23.97", "24.00", "25.00",
    "29.97", "30.00"};
constexpr std::string_view kF2[] = {"1", "2", "3", "5", "10", "12", "15"};
constexpr std::string_view kF3[] = {"无视频"};
constexpr std::string_view kF4[] = {"保持原帧速率", "25.00", "29.97", "30.00"};
constexpr std::string_view kF5[] = {
    "保持原帧速率", "10.00", "12.00", "15.00", "20.00", "23.98", "24.00", "25.00", "29.97", "30.00"};
constexpr std::string_view kF6[] = {"15.00", "23.98", "29.97"};
constexpr std::string_view kF7[] = {"1", "2", "3", "5", "10", "12", "15", "25"};
// Audio bit rate
constexpr std::string_view kA1[] = {
    "16 kbps", "24 kbps", "32 kbps", "40 kbps", "48 kbps", "56 kbps", "64 kbps", "80 kbps",
    "96 kbps", "112 kbps", "128 kbps", "144 kbps", "160 kbps", "192 kbps", "224 kbps", "256 kbps",
    "320 kbps"};
constexpr std::string_view kA2[] = {"5 kbps", "6 kbps", "7 kbps", "8 kbps", "10 kbps", "12 kbps"};
constexpr std::string_view kA3[] = {
    "4.75 kbps", "5.15 kbps", "5.9 kbps", "6.7 kbps", "7.4 kbps", "7.95 kbps", "10.2 kbps",
    "12.2 kbps"};
constexpr std::string_view kA4[] = {"64 kbps", "96 kbps", "128 kbps", "160 kbps", "192 kbps"};
constexpr std::string_view kA5[] = {
    "48 kbps", "56 kbps", "64 kbps", "80 kbps", "96 kbps", "112 kbps", "116 kbps", "128 kbps"};
constexpr std::string_view kA6[] = {
    "32 kbps", "48 kbps", "56 kbps", "64 kbps", "80 kbps", "96 kbps", "112 kbps", "116 kbps",
    "128 kbps"};
// Sample rate
constexpr std::string_view kS1[] = {"11025", "16000", "22050", "32000", "44100", "48000"};
constexpr std::string_view kS2[] = {"8000"};
constexpr std::string_view kS3[] = {"22050", "32000", "44100", "48000"};
constexpr std::string_view kS4[] = {"8000", "11025", "16000", "22050", "32000", "44100", "48000"};
constexpr std::string_view kS5[] = {"11025", "22050", "44100"};
// Scaling mode
constexpr std::string_view kM1[] = {"保持原视频模式", "普通视频4:3模式", "宽屏视频16:9模式", "宽屏视频37:20模式", "宽屏视频47:20模式"};
constexpr std::string_view kM2[] = {"保持原视频模式", "普通视频4:3模式"};
constexpr std::string_view kM3[] = {"无视频"};

constexpr TOptionTemplate kTemplates[] = {
    {"R1", okResolution, kR1}, {"R2", okResolution, kR2}, {"R3", okResolution, kR3},
    {"R4", okResolution, kR4}, {"R5", okResolution, kR5}, {"R6", okResolution, kR6},
    {"R7", okResolution, kR7}, {"R8", okResolution, kR8}, {"R9", okResolution, kR9},
    {"R10", okResolution, kR10}, {"R11", okResolution, kR11}, {"R12", okResolution, kR12},
    {"R13", okResolution, kR13}, {"R14", okResolution, kR14}, {"R15", okResolution, kR15},
    {"R16", okResolution, kR16}, {"R17", okResolution, kR17}, {"R18", okResolution, kR18},
    {"R19", okResolution, kR19},
    {"V1", okVideoBitrate, kV1}, {"V2", okVideoBitrate, kV2}, {"V3", okVideoBitrate, kV3},
    {"V4", okVideoBitrate, kV4}, {"V5", okVideoBitrate, kV5}, {"V6", okVideoBitrate, kV6},
    {"V7", okVideoBitrate, kV7}, {"V8", okVideoBitrate, kV8}, {"V9", okVideoBitrate, kV9},
    {"V10", okVideoBitrate, kV10},
    {"F1", okFrameRate, kF1}, {"F2", okFrameRate, kF2}, {"F3", okFrameRate, kF3},
    {"F4", okFrameRate, kF4}, {"F5", okFrameRate, kF5}, {"F6", okFrameRate, kF6},
    {"F7", okFrameRate, kF7},
    {"A1", okAudioBitrate, kA1}, {"A2", okAudioBitrate, kA2}, {"A3", okAudioBitrate, kA3},
    {"A4", okAudioBitrate, kA4}, {"A5", okAudioBitrate, kA5}, {"A6", okAudioBitrate, kA6},
    {"S1", okSampleRate, kS1}, {"S2", okSampleRate, kS2}, {"S3", okSampleRate, kS3},
    {"S4", okSampleRate, kS4}, {"S5", okSampleRate, kS5},
    {"M1", okScalingMode, kM1}, {"M2", okScalingMode, kM2}, {"M3", okScalingMode, kM3},
};

// Code: template and default item of the resolution, video bit rate, frame rate, audio bit rate,
// sample rate and scaling mode lists (fill order), then whether the four video lists stay enabled.
constexpr TOptionEntry kEntries[] = {
    // 0 常用视频
    {100, {{{"R1", 0}, {"V1", 3}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {101, {{{"R1", 0}, {"V2", 3}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {102, {{{"R1", 0}, {"V3", 4}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {103, {{{"R1", 0}, {"V2", 3}, {"F1", 9}, {"A1", 10}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {104, {{{"R1", 0}, {"V3", 4}, {"F1", 0}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {105, {{{"R1", 0}, {"V1", 4}, {"F1", 10}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {106, {{{"R1", 4}, {"V1", 3}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {107, {{{"R1", 0}, {"V1", 3}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {108, {{{"R1", 0}, {"V1", 3}, {"F1", 0}, {"A1", 10}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {109, {{{"R2", 4}, {"V4", 9}, {"F2", 5}, {"A2", 5}, {"S2", 0}, {"M2", 0}}}, lsEnabled},
    {110, {{{"R1", 0}, {"V5", 3}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {111, {{{"R-DVD", 0}, {"VB-DVD", 0}, {"FR-PAL", 0}, {"AB-DVD", 0}, {"SR-DVD", 0}, {"SM-DVD", 0}}}, lsLocked},
    {112, {{{"R-SVCD", 0}, {"VB-SVCD", 0}, {"FR-PAL", 0}, {"AB-CD", 0}, {"SR-CD", 0}, {"SM-CD", 0}}}, lsLocked},
    {113, {{{"R-VCD", 0}, {"VB-VCD", 0}, {"FR-PAL", 0}, {"AB-CD", 0}, {"SR-CD", 0}, {"SM-CD", 0}}}, lsLocked},
    {114, {{{"R1", 4}, {"V1", 2}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    // 1 常用音频
    {200, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 10}, {"S1", 4}, {"M3", 0}}}, lsDisabled},
    {201, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 10}, {"S1", 4}, {"M3", 0}}}, lsDisabled},
    {202, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 13}, {"S1", 5}, {"M3", 0}}}, lsDisabled},
    {203, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 10}, {"S1", 5}, {"M3", 0}}}, lsDisabled},
    {204, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 9}, {"S1", 4}, {"M3", 0}}}, lsDisabled},
    {205, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 10}, {"S1", 4}, {"M3", 0}}}, lsDisabled},
    {206, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 9}, {"S1", 4}, {"M3", 0}}}, lsDisabled},
    {207, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 10}, {"S1", 4}, {"M3", 0}}}, lsDisabled},
    {208, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 10}, {"S1", 4}, {"M3", 0}}}, lsDisabled},
    {209, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 10}, {"S1", 4}, {"M3", 0}}}, lsDisabled},
    {210, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 13}, {"S1", 5}, {"M3", 0}}}, lsDisabled},
    {211, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 12}, {"S1", 5}, {"M3", 0}}}, lsDisabled},
    {212, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A3", 4}, {"S2", 0}, {"M3", 0}}}, lsDisabled},
    // 2 HD视频
    {300, {{{"R4", 2}, {"V7", 2}, {"F4", 2}, {"A1", 10}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {301, {{{"R4", 2}, {"V7", 1}, {"F4", 3}, {"A1", 10}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {302, {{{"R4", 2}, {"V7", 1}, {"F4", 2}, {"A1", 13}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {303, {{{"R4", 3}, {"V7", 2}, {"F4", 3}, {"A1", 13}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {304, {{{"R4", 3}, {"V7", 2}, {"F4", 2}, {"A1", 12}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {305, {{{"R4", 3}, {"V7", 1}, {"F4", 2}, {"A1", 10}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {306, {{{"R4", 3}, {"V7", 2}, {"F4", 2}, {"A1", 10}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {307, {{{"R4", 2}, {"V7", 1}, {"F4", 2}, {"A1", 10}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {308, {{{"R4", 3}, {"V7", 2}, {"F4", 2}, {"A1", 10}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    {309, {{{"R4", 3}, {"V7", 2}, {"F4", 3}, {"A1", 10}, {"S1", 5}, {"M1", 0}}}, lsEnabled},
    // 3 iPod视频
    {400, {{{"R5", 3}, {"V8", 4}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {401, {{{"R5", 3}, {"V8", 2}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {402, {{{"R5", 3}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {403, {{{"R5", 6}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {404, {{{"R5", 6}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {405, {{{"R5", 6}, {"V8", 5}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {406, {{{"R5", 6}, {"V8", 2}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {407, {{{"R6", 6}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {408, {{{"R6", 11}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {409, {{{"R6", 11}, {"V8", 5}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {410, {{{"R6", 11}, {"V8", 2}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {411, {{{"R6", 9}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 2}}}, lsEnabled},
    {412, {{{"R6", 3}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {413, {{{"R6", 6}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    // 4 iPhone视频
    {500, {{{"R6", 6}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {501, {{{"R6", 11}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {502, {{{"R7", 12}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 2}}}, lsEnabled},
    {503, {{{"R7", 11}, {"V8", 5}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {504, {{{"R7", 3}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {505, {{{"R7", 6}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    // 5 PSP视频
    {600, {{{"R8", 0}, {"V9", 3}, {"F6", 2}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {601, {{{"R8", 1}, {"V9", 4}, {"F6", 2}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {602, {{{"R8", 1}, {"V9", 5}, {"F6", 2}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {603, {{{"R8", 1}, {"V9", 2}, {"F6", 2}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {604, {{{"R8", 4}, {"V9", 4}, {"F6", 2}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    // 6 3GP视频
    {700, {{{"R2", 4}, {"V4", 9}, {"F2", 5}, {"A2", 5}, {"S2", 0}, {"M1", 0}}}, lsEnabled},
    {701, {{{"R2", 4}, {"V4", 9}, {"F2", 5}, {"A5", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    {702, {{{"R2", 4}, {"V4", 9}, {"F2", 5}, {"A2", 5}, {"S2", 0}, {"M1", 0}}}, lsEnabled},
    {703, {{{"R2", 4}, {"V4", 9}, {"F2", 5}, {"A5", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    {704, {{{"R9", 4}, {"V4", 9}, {"F2", 5}, {"A2", 5}, {"S2", 0}, {"M1", 0}}}, lsEnabled},
    {705, {{{"R9", 4}, {"V4", 9}, {"F2", 5}, {"A5", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    {706, {{{"R9", 4}, {"V4", 9}, {"F2", 5}, {"A5", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    {707, {{{"R9", 4}, {"V10", 10}, {"F7", 6}, {"A5", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    {708, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A3", 4}, {"S2", 0}, {"M3", 0}}}, lsDisabled},
    {709, {{{"R9", 4}, {"V10", 9}, {"F7", 5}, {"A6", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    {710, {{{"R9", 4}, {"V10", 9}, {"F7", 5}, {"A6", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    {711, {{{"R9", 4}, {"V10", 9}, {"F7", 5}, {"A6", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    {712, {{{"R9", 4}, {"V10", 9}, {"F7", 5}, {"A6", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    {713, {{{"R9", 4}, {"V10", 9}, {"F7", 5}, {"A6", 0}, {"S4", 4}, {"M1", 0}}}, lsEnabled},
    // 7 APPLE视频
    {800, {{{"R5", 3}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {801, {{{"R5", 6}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {802, {{{"R10", 7}, {"V8", 6}, {"F5", 8}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {803, {{{"R5", 6}, {"V8", 7}, {"F5", 8}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {804, {{{"R5", 6}, {"V8", 2}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    // 8 XboX视频
    {900, {{{"R11", 7}, {"V8", 5}, {"F5", 8}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {901, {{{"R12", 0}, {"V8", 5}, {"F5", 9}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {902, {{{"R12", 0}, {"V8", 5}, {"F5", 9}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {903, {{{"R11", 7}, {"V8", 4}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {904, {{{"R13", 7}, {"V8", 5}, {"F5", 9}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {905, {{{"R11", 7}, {"V8", 5}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {906, {{{"R14", 2}, {"V8", 7}, {"F5", 9}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {907, {{{"R15", 8}, {"V8", 7}, {"F5", 9}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {908, {{{"R16", 9}, {"V8", 5}, {"F5", 8}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {909, {{{"R15", 8}, {"V8", 7}, {"F5", 9}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    // 9 PMP视频
    {1000, {{{"R17", 2}, {"V8", 4}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {1001, {{{"R17", 4}, {"V8", 4}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {1002, {{{"R17", 1}, {"V8", 2}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {1003, {{{"R18", 0}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {1004, {{{"R18", 0}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {1005, {{{"R18", 0}, {"V8", 5}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {1006, {{{"R18", 0}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    {1007, {{{"R17", 3}, {"V8", 3}, {"F5", 7}, {"A4", 2}, {"S3", 3}, {"M1", 0}}}, lsEnabled},
    // 10 MP4视频
    {1100, {{{"R19", 4}, {"V1", 3}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {1101, {{{"R1", 0}, {"V1", 4}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {1102, {{{"R1", 0}, {"V1", 4}, {"F1", 9}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {1103, {{{"R1", 0}, {"V1", 4}, {"F1", 10}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    {1104, {{{"R1", 0}, {"V1", 4}, {"F1", 10}, {"A1", 10}, {"S1", 4}, {"M1", 0}}}, lsEnabled},
    // 11 Flash视频
    {1200, {{{"R1", 0}, {"V1", 3}, {"F1", 9}, {"A1", 10}, {"S5", 1}, {"M1", 0}}}, lsEnabled},
    {1201, {{{"R1", 0}, {"V1", 3}, {"F1", 9}, {"A1", 10}, {"S5", 1}, {"M1", 0}}}, lsEnabled},
    {1202, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 10}, {"S5", 1}, {"M3", 0}}}, lsDisabled},
    {1203, {{{"R3", 0}, {"V6", 0}, {"F3", 0}, {"A1", 10}, {"S5", 1}, {"M3", 0}}}, lsDisabled},
};

}  // namespace

TOptionTables LegacyOptionTables() { return {kTemplates, kEntries}; }
