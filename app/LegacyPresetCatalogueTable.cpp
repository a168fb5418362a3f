// The legacy preset window's catalogue: the twelve groups of its group list and the 109 presets
// of their preset lists, each with its title, its one-line description and its item's image
// index. Rows stand in code order, so a group's presets are contiguous, index 0 first.

#include "app/LegacyPresetCatalogue.h"

namespace {

// Group-list order; a group's image index is its position.
constexpr std::string_view kGroups[kLegacyGroupCount] = {
    "常用视频",
    "常用音频",
    "HD视频",
    "iPod视频",
    "iPhone视频",
    "PSP视频",
    "3GP视频",
    "APPLE视频",
    "XboX视频",
    "PMP视频",
    "MP4视频",
    "Flash视频",
};

// Code, title (shown as written, spaces included), description, image index.
constexpr TLegacyPreset kPresets[] = {
    // 0 常用视频
    {100, "AVI - 音频视频交错格式(*.avi)", "AVI最常用的视频格式,语音和影像同步组合在一起的文件格式", 0},
    {101, "MP4 - MPEG-4视频格式(*.mp4)", "MPEG-4标准视频格式,压缩率高,画质好,适合在电脑和各种播放器上播放", 1},
    {102, "DivX - 视频格式(*.avi)", "DivX编码的AVI视频,画质接近DVD而体积小得多,适合收藏和网上交流", 2},
    {103, "MOV - 苹果QuickTime视频格式(*.mov)", "苹果QuickTime影片格式,画质细腻,适合在苹果电脑和QuickTime播放器上使用", 3},
    {104, "XviD - 视频格式(*.avi)", "XviD编码的AVI视频,开放的MPEG-4编码,画质好,适合各种播放器和DVD机", 4},
    {105, "MKV - Matroska视频格式(*.mkv)", "Matroska多媒体容器格式,可容纳多条音轨和字幕,适合高质量视频收藏", 5},
    {106, "MPEG-1视频格式(*.mpg)", "MPEG-1视频格式,兼容性极好,适合VCD制作和老式播放设备", 6},
    {107, "MPEG-2视频格式(*.mpg)", "MPEG-2视频格式,广播和DVD使用的标准格式,画质清晰", 7},
    {108, "ASF - 高级流视频格式(*.asf)", "微软高级流媒体格式,适合网络上边下载边播放", 8},
    {109, "3GP - 视频格式(*.3gp)", "手机上最常用的3GP视频格式,体积小,适合在手机上观看", 9},
    {110, "WMV - 视频格式(*.wmv)", "微软Windows媒体视频格式,体积小,适合在Windows媒体播放器中播放", 10},
    {111, "DVD - 视频格式(*.mpg)", "符合DVD标准的MPEG-2视频(PAL制),适合刻录成DVD光盘在DVD机上播放", 11},
    {112, "SVCD - 视频格式(*.mpg)", "符合SVCD标准的MPEG-2视频(PAL制),适合刻录成SVCD光盘", 12},
    {113, "VCD - 视频格式(*.mpg)", "符合VCD标准的MPEG-1视频(PAL制),适合刻录成VCD光盘在VCD机上播放", 13},
    {114, "RM - REAL视频格式(*.rm)", "RealNetworks的流媒体视频格式,体积小,适合网络在线播放", 14},
    // 1 常用音频
    {200, "MP3 - MPEG Layer-3音频格式(*.mp3)", "最流行的音频格式,具有体积小,音质高的特点,几乎成为网上音乐的代名词", 0},
    {201, "WMA - Windows媒体音频格式(*.wma)", "微软Windows媒体音频格式,压缩率高,适合网络传播和在线收听", 1},
    {202, "WAV - 波形音频格式(*.wav) ", "Windows标准的波形音频格式,音质无损,适合音频编辑和刻录CD", 2},
    {203, "AAC - 高级音频格式(*.aac)", "高级音频编码格式,同等码率下音质优于MP3,适合各种便携播放器", 3},
    {204, "M4A - MPEG-4音频格式(*.m4a)", "MPEG-4音频格式,苹果iTunes和iPod常用的音乐格式", 4},
    {205, "OGG - Ogg Vorbis音频格式(*.ogg)", "开放免费的Ogg Vorbis音频格式,音质好,体积小,适合网上音乐", 5},
    {206, "RA - RealAudio音频格式(*.ra)", "RealAudio流媒体音频格式,适合网络广播和在线收听", 6},
    {207, "AC3 - 杜比数字AC-3音频格式(*.ac3)", "杜比数字AC-3多声道音频格式,适合DVD和家庭影院", 7},
    {208, "AIFF - 音频交换文件格式(*.aiff)", "苹果电脑常用的音频交换文件格式,音质无损,适合音频编辑", 8},
    {209, "MP2 - MPEG Layer-2音频格式(*.mp2)", "MPEG Layer-2音频格式,广播和VCD常用,兼容性好", 9},
    {210, "FLAC-音频格式(*.flac)", "免费的无损音频压缩格式,音质与原始音频完全相同,适合音乐收藏", 10},
    {211, "ALAC-Apple Lossless无损音频格式(*.alac) ", "苹果无损音频格式,音质无损,适合在iTunes和iPod上收藏音乐", 11},
    {212, "AMR-手机音频格式(*.amr)", "手机常用的AMR语音格式,体积极小,适合做手机铃声和录音", 12},
    // 2 HD视频
    {300, "高清AVI视频格式(*.avi)", "高清晰AVI视频格式(DivX视频编码)", 20},
    {301, "高清AVI视频格式(*.avi)", "高清晰AVI视频格式(XviD视频编码)", 21},
    {302, "高清H264视频格式(*.mp4)", "高清晰H.264视频格式,压缩率高,适合高清电视和高清播放器", 21},
    {303, "高清MPEG-4视频格式(*.mp4)", "高清晰MPEG-4视频格式,适合在电脑和高清播放器上观看", 21},
    {304, "高清MOV视频格式(*.mov)", "高清晰QuickTime视频格式,适合在苹果电脑上播放和编辑", 21},
    {305, "高清ASF视频格式(*.asf)", "高清晰微软高级流媒体视频格式,适合网络传播高清视频", 21},
    {306, "高清WMV视频格式(*.wmv)", "高清晰Windows媒体视频格式,适合在Windows媒体播放器中观看", 21},
    {307, "高清DVD视频格式(*.vob)", "高清晰DVD视频文件格式,适合制作高清DVD", 21},
    {308, "高清MPEG-2视频格式(*.mpg)", "高清晰MPEG-2视频格式,广播级高清画质", 21},
    {309, "高清MKV视频格式(*.mkv)", "高清晰Matroska视频格式,适合高清视频收藏", 21},
    // 3 iPod视频
    {400, "iPod (320X240) 高清晰视频(*.mp4)", "为iPod优化的MPEG-4视频预置方案.(320*240高质量)", 20},
    {401, "iPod (320X240) 高压缩视频(*.mp4)", "为iPod优化的MPEG-4视频预置方案.(320*240高压缩)", 21},
    {402, "iPod (320X240) 标准视频(*.mp4)", "为iPod优化的MPEG-4视频预置方案.(标准画质)", 21},
    {403, "iPod Video2 TV OutPut视频(*.mp4)", "为iPod第二代优化的视频,适合通过电视输出观看", 21},
    {404, "iPod Video2 (640X480)视频(*.mp4)", "为iPod第二代优化的MPEG-4视频预置方案.(640*480)", 21},
    {405, "iPod Video2 (640X480)高清晰视频(*.mp4)", "为iPod第二代优化的H.264视频预置方案.(640*480高质量)", 21},
    {406, "iPod Video2 (640X480)高压缩视频(*.mp4)", "为iPod第二代优化的MPEG-4视频预置方案.(640*480高压缩)", 21},
    {407, "iPod touch MPEG-4视频(*.mp4)", "为iPod touch优化的MPEG-4视频预置方案.", 21},
    {408, "iPod touch MPEG-4 480P视频(*.mp4)", "为iPod touch优化的MPEG-4视频预置方案.(480P)", 21},
    {409, "iPod touch MPEG-4 480P高清晰视频(*.mp4)", "为iPod touch优化的H.264视频预置方案.(480P高质量)", 21},
    {410, "iPod touch MPEG-4 480P高压缩视频(*.mp4)", "为iPod touch优化的视频预置方案.(480P高压缩)", 21},
    {411, "iPod touch MPEG-4 480P宽屏视频(*.mp4)", "为iPod touch优化的MPEG-4视频预置方案.(480P宽屏)", 21},
    {412, "iPod touch MPEG-4 (320X240)视频(*.mp4)", "为iPod touch优化的MPEG-4视频预置方案.(320*240)", 21},
    {413, "iPod touch MPEG-4 (480X320)视频(*.mp4)", "为iPod touch优化的MPEG-4视频预置方案.(480*320)", 21},
    // 4 iPhone视频
    {500, "iPhone MPEG-4视频(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.", 20},
    {501, "iPhone MPEG-4视频480P(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.(480P)", 21},
    {502, "iPhone MPEG-4视频宽屏(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.(宽屏16:9)", 20},
    {503, "iPhone MPEG-4高清晰视频(*.mp4)", "为iPhone优化的H.264视频预置方案.(高质量)", 21},
    {504, "iPhone MPEG-4视频(320X240)(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.(320*240)", 20},
    {505, "iPhone MPEG-4视频(480X320)(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.(480*320)", 21},
    // 5 PSP视频
    {600, "PSP MPEG-4视频(*.mp4)", "为索尼PSP掌上游戏机优化的MPEG-4视频预置方案.", 20},
    {601, "PSP AVC MPEG-4视频(*.mp4)", "为索尼PSP优化的H.264(AVC)视频预置方案.", 21},
    {602, "PSP高清晰MPEG-4视频(*.mp4)", "为索尼PSP优化的MPEG-4视频预置方案.(高质量)", 20},
    {603, "PSP高压缩MPEG-4视频(*.mp4)", "为索尼PSP优化的MPEG-4视频预置方案.(高压缩)", 21},
    {604, "PSP Video MPEG-4视频480P(*.mp4)", "为新款PSP优化的H.264视频预置方案.(480P)", 20},
    // 6 3GP视频
    {700, "3GPP -  第三代合作项目-3GP视频+AMR音频(*.3gp)", "第三代合作伙伴项目3GPP制定的多媒体格式，手机视频格式.(AMR音频)", 20},
    {701, "3GPP -  第三代合作项目-3GP视频+AAC音频(*.3gp)", "第三代合作伙伴项目3GPP制定的多媒体格式，手机视频格式.(AAC音频)", 20},
    {702, "3GPP2 -  第三代合作项目2-3G2视频+AMR音频(*.3g2))", "第三代合作伙伴项目2(3GPP2)制定的多媒体格式，手机视频格式.(AMR音频)", 21},
    {703, "3GPP2 -  第三代合作项目2-3G2视频+AAC音频(*.3g2)", "第三代合作伙伴项目2(3GPP2)制定的多媒体格式，手机视频格式.(AAC音频)", 21},
    {704, "黑莓手机3GP视频+AMR音频(*.3gp)", "为黑莓手机优化的3GP视频预置方案.(AMR音频)", 20},
    {705, "黑莓手机3GP视频+AAC音频(*.3gp)", "为黑莓手机优化的3GP视频预置方案.(AAC音频)", 21},
    {706, "黑莓手机AVI视频(*.avi)", "为黑莓手机优化的AVI视频预置方案.", 20},
    {707, "黑莓手机MPEG-4视频(*.mp4)", "为黑莓手机优化的MPEG-4视频预置方案.", 21},
    {708, "黑莓手机AMR音频格式(*.amr)", "为黑莓手机优化的AMR音频,适合做铃声和录音", 21},
    {709, "Symbian智能平台手机专用MP4视频(*.mp4)", "为Symbian智能手机优化的MP4视频预置方案.", 21},
    {710, "各种手机常用的MP4视频(*.mp4)", "大多数手机都能播放的MP4视频预置方案.", 21},
    {711, "各种手机常用的AVI视频(*.avi)", "大多数手机都能播放的AVI视频预置方案.", 21},
    {712, "各种手机常用的MOV视频(*.mov)", "大多数手机都能播放的MOV视频预置方案.", 21},
    {713, "各种手机常用的MP4视频(*.mp4)", "大多数手机都能播放的MP4视频预置方案.(176*144小屏幕)", 21},
    // 7 APPLE视频
    {800, "Apple TV H264视频(320X240)(*.mp4)", "为Apple TV优化的H.264视频预置方案.(320*240)", 22},
    {801, "Apple TV H264视频480P(640X480)(*.mp4)", "为Apple TV优化的H.264视频预置方案.(480P)", 23},
    {802, "Apple TV H264视频720P(1280X720)(*.mp4)", "为Apple TV优化的H.264视频预置方案.(720P高清)", 24},
    {803, "Apple TV H264高清晰视频480P(640X480)(*.mp4)", "为Apple TV优化的MPEG-4视频预置方案.(480P高质量)", 25},
    {804, "Apple TV MPEG-4高压缩视频480P(640X480)(*.mp4)", "为Apple TV优化的MPEG-4视频预置方案.(480P高压缩)", 26},
    // 8 XboX视频
    {900, "Xbox360 HD H.264视频(*.mp4)", "为Xbox360优化的高清H.264视频预置方案.", 22},
    {901, "Xbox360 MCE HD MPEG-2视频(*.mpg)", "为Xbox360媒体中心优化的高清MPEG-2视频预置方案.", 23},
    {902, "Xbox360 MCE HD MPEG-2视频(*.mpg)", "为Xbox360媒体中心优化的高清MPEG-2视频预置方案.(MPG文件)", 24},
    {903, "Xbox360 MPEG-4视频(*.mp4)", "为Xbox360优化的MPEG-4视频预置方案.", 25},
    {904, "Xbox360 MP4高清晰视频(*.mp4)", "为Xbox360优化的高清MPEG-4视频预置方案.", 26},
    {905, "Xbox360 WMV视频(*.wmv)", "为Xbox360优化的WMV视频预置方案.", 21},
    {906, "Xbox360 WMV HDTV视频(*.wmv)", "为Xbox360优化的高清WMV视频预置方案.", 21},
    {907, "Xbox360 MCE 高清晰AVI视频(*.avi)", "为Xbox360媒体中心优化的高清AVI视频预置方案.(MS MPEG-4 V2编码)", 21},
    {908, "Xbox360 MCE 高清晰AVI视频(*.avi)", "为Xbox360媒体中心优化的高清AVI视频预置方案.(MS MPEG-4编码)", 21},
    {909, "Xbox360 MCE 高清晰AVI视频(*.avi)", "为Xbox360媒体中心优化的高清视频预置方案.(MS MPEG-4 V1编码)", 21},
    // 9 PMP视频
    {1000, "爱可视AV500/GMini402视频(*.avi)", "为爱可视AV500和GMini402优化的AVI视频预置方案.", 22},
    {1001, "爱可视AV700视频(*.avi)", "为爱可视AV700优化的AVI视频预置方案.", 23},
    {1002, "Creative Zen Vision视频(*.avi)", "为创新Zen Vision优化的AVI视频预置方案.", 24},
    {1003, "Zune MPEG-4 AVC视频(*.mp4)", "为微软Zune优化的MPEG-4视频预置方案.", 25},
    {1004, "Zune MPEG-4 AVC视频(*.mp4)", "为微软Zune优化的H.264(AVC)视频预置方案.", 26},
    {1005, "Zune MPEG-4视频(*.mp4)", "为微软Zune优化的XviD编码MPEG-4视频预置方案.", 21},
    {1006, "Zune WMV多媒体视频(*.wmv)", "为微软Zune优化的WMV视频预置方案.", 21},
    {1007, "iRiver PMP-100视频(*.avi)", "为iRiver PMP-100优化的AVI视频预置方案.", 21},
    // 10 MP4视频
    {1100, "MP4机播放的MP4视频格式(*.mp4)", "为各种MP4机优化的MPEG-4视频预置方案", 22},
    {1101, "电脑上使用的MP4视频格式(*.mp4)", "适合在电脑上播放的MPEG-4视频预置方案", 23},
    {1102, "MPEG-4视频高清晰视频(*.mp4)", "高清晰H.264编码的MPEG-4视频预置方案", 24},
    {1103, "MP4 AVC视频(*.mp4)", "H.264(AVC)编码的MP4视频预置方案,适合各种MP4机", 25},
    {1104, "MP4 H264编码视频(*.mp4)", "H.264编码的MP4视频,压缩率高,画质清晰", 26},
    // 11 Flash视频
    {1200, "FLV在线网络视频(*.flv)", "网上视频网站最常用的FLV流媒体视频格式,适合在线播放", 22},
    {1201, "SWF动画视频FLASH动画视频(*.swf)", "FLASH动画SWF视频格式,适合嵌入网页播放", 23},
    {1202, "FLV在线网络音频格式(*.flv)", "只含音频的FLV文件,适合网上在线收听", 24},
    {1203, "SWF动画视频FLASH动画音频格式(*.swf)", "只含音频的FLASH动画SWF文件,适合嵌入网页", 25},
};

}  // namespace

std::span<const std::string_view> LegacyPresetGroups() { return kGroups; }

std::span<const TLegacyPreset> LegacyPresets() { return kPresets; }
