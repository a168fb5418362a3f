// The legacy preset window's parameter table: what each preset of its catalogue writes into the
// main window's current-preset fields. A text cell is written as it stands (an empty one writes
// the empty text); kKeep leaves the field as it was. Bit rates are bits per second. The fields
// every row of a kind writes besides its cells (volume, filters, format, norm, time stamps) are
// kept with the kinds in LegacyPresetParameters.cpp. MPEG program streams (".mpg", ".vob") carry
// MPEG audio or AC-3, never AAC: 307 takes "ac3" and 308 "mp2".

#include "app/LegacyPresetParameters.h"

namespace {

using enum TPresetKind;

// Code, kind, extension of the output name; Video_FileExt, video codec, tag, size, frame rate,
// aspect, video bit/s; audio codec, channels, Hz, audio bit/s; Video_TargetType.
constexpr TLegacyParameterRow kRows[] = {
    // 0 常用视频
    {100, pkVideo, ".avi", ".avi", "mpeg4", "XVID", "", "25", "", 816000, "libmp3lame", "2", "44100", 128000, ""},
    {101, pkVideo, ".mp4", ".mp4", "mpeg4", "", "", "25", "", 816000, "libmp3lame", "2", "44100", 128000, ""},
    {102, pkVideo, ".avi", ".avi", "mpeg4", "DX50", "", "25", "", 816000, "libmp3lame", "2", "44100", 128000, ""},
    {103, pkVideo, ".mov", ".mov", "", "", "", "25", "", 816000, "libfaac", "2", "44100", 128000, ""},
    {104, pkVideo, ".avi", ".avi", "libxvid", "", "", "25", "", 816000, "libmp3lame", "2", "44100", 128000, ""},
    {105, pkVideo, ".mkv", ".mkv", "mpeg4", "", "", "25", "", 1200000, "libmp3lame", "2", "44100", 128000, ""},
    {106, pkVideo, ".mpg", ".mpg", "mpeg1video", "", "", "25", "", 528000, "", "2", "44100", 128000, ""},
    {107, pkVideo, ".mpg", ".mpg", "mpeg2video", "", "", "25", "", 816000, "", "2", "44100", 128000, ""},
    {108, pkVideo, ".asf", ".asf", "msmpeg4", "", "", "25", "", 816000, "wmav2", "2", "44100", 128000, ""},
    {109, pkVideo, ".3gp", ".3gp", "mpeg4", "", "176*144", "12", "4:3", 128000, "libfaac", "1", "8000", 12000, ""},
    {110, pkVideo, ".wmv", ".wmv", "wmv2", "", "", "25", "", 816000, "wmav2", "2", "44100", 128000, ""},
    {111, pkDisc, ".mpg", kKeep, "", "", "", "", "", -1000, "", "", "", -1000, "dvd"},
    {112, pkDisc, ".mpg", kKeep, "", "", "", "", "", -1000, "", "", "", -1000, "svcd"},
    {113, pkDisc, ".mpg", kKeep, "", "", "", "", "", -1000, "", "", "", -1000, "vcd"},
    {114, pkRealVideo, ".rm", kKeep, "rv20", kKeep, "320*240", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, ""},
    // 1 常用音频
    {200, pkAudioOnly, ".mp3", ".mp3", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "libmp3lame", "2", "48000", 128000, ""},
    {201, pkAudioOnly, ".wma", ".wma", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "wmav2", "2", "48000", 128000, ""},
    {202, pkAudioOnly, ".wav", ".wav", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "", "2", "48000", 128000, ""},
    {203, pkAudioOnly, ".aac", ".aac", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "libfaac", "2", "48000", 128000, ""},
    {204, pkAudioOnly, ".m4a", ".m4a", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "", "2", "48000", 128000, ""},
    {205, pkAudioOnly, ".ogg", ".ogg", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "libvorbis", "2", "48000", 128000, ""},
    {206, pkAudioOnly, ".ra", ".rm", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "", "2", "48000", 128000, ""},
    {207, pkAudioOnly, ".ac3", ".ac3", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "ac3", "2", "48000", 128000, ""},
    {208, pkAudioOnly, ".aiff", ".aiff", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "", "2", "48000", 128000, ""},
    {209, pkAudioOnly, ".mp2", ".mp2", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "", "2", "44100", 128000, ""},
    {210, pkAudioOnly, ".flac", ".flac", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "flac", "2", "48000", 128000, ""},
    {211, pkAudioOnly, ".m4a", ".alac", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "alac", "2", "48000", 128000, ""},
    {212, pkAudioOnly, ".amr", ".amr", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "libopencore_amrnb", "1", "8000", 7400, ""},
    // 2 HD视频
    {300, pkVideo, ".avi", ".avi", "mpeg4", "", "1280*720", "25", "", 1600000, "libmp3lame", "2", "48000", 128000, ""},
    {301, pkVideo, ".avi", ".avi", "libxvid", "", "1280*720", "25", "", 1600000, "libmp3lame", "2", "48000", 128000, ""},
    {302, pkVideo, ".mp4", ".mp4", "libx264", "", "1280*720", "25", "", 1600000, "libmp3lame", "2", "48000", 256000, ""},
    {303, pkVideo, ".mp4", ".mp4", "mpeg4", "", "1280*720", "25", "", 1600000, "libmp3lame", "2", "48000", 128000, ""},
    {304, pkVideo, ".mov", ".mov", "", "", "1280*720", "25", "", 1600000, "libfaac", "2", "48000", 128000, ""},
    {305, pkVideo, ".asf", ".asf", "msmpeg4", kKeep, "1280*720", "25", "", 1600000, "wmav2", "2", "48000", 128000, ""},
    {306, pkVideo, ".wmv", ".asf", "wmv2", "", "1280*720", "25", "", 1600000, "wmav2", "2", "48000", 128000, ""},
    {307, pkVideo, ".vob", ".vob", "", "", "1280*720", "25", "", 1600000, "ac3", "2", "48000", 128000, ""},
    {308, pkVideo, ".mpg", ".mpg", "mpeg2video", "", "1280*720", "25", "", 1600000, "mp2", "2", "48000", 128000, ""},
    {309, pkVideo, ".mkv", ".mkv", "mpeg4", "", "1280*720", "25", "", 1600000, "libfaac", "2", "48000", 192000, ""},
    // 3 iPod视频
    {400, pkVideo, ".mp4", ".mp4", "libx264", "", "320*240", "25", "", 512000, "libfaac", "2", "48000", 128000, ""},
    {401, pkVideo, ".mp4", ".mp4", "libxvid", "", "320*240", "25", "", 768000, "libfaac", "2", "48000", 128000, ""},
    {402, pkVideo, ".mp4", ".mp4", "libxvid", "", "640*480", "25", "", 768000, "libfaac", "2", "48000", 128000, ""},
    {403, pkVideo, ".mp4", ".mp4", "libxvid", "", "640*480", "25", "", 768000, "libfaac", "2", "48000", 128000, kKeep},
    {404, pkVideo, ".mp4", ".mp4", "mpeg4", "", "640*480", "25", "", 600000, "libfaac", "2", "48000", 128000, kKeep},
    {405, pkVideo, ".mp4", ".mp4", "libx264", "", "640*480", "25", "", 1200000, "libfaac", "2", "48000", 128000, kKeep},
    {406, pkVideo, ".mp4", ".mp4", "libxvid", "", "640*480", "25", "", 512000, "libfaac", "2", "48000", 128000, kKeep},
    {407, pkVideo, ".mp4", ".mp4", "mpeg4", "", "320*240", "25", "", 600000, "libfaac", "2", "48000", 128000, ""},
    {408, pkVideo, ".mp4", ".mp4", "libxvid", "", "640*480", "25", "", 7680000, "libfaac", "2", "48000", 128000, ""},
    // Takes the parameters of its neighbour 405: the same 480P H.264 at 1200 kbps.
    {409, pkVideo, ".mp4", ".mp4", "libx264", "", "640*480", "25", "", 1200000, "libfaac", "2", "48000", 128000, ""},
    {410, pkVideo, ".mp4", ".mp4", "libx264", "", "640*480", "25", "", 1200000, "libfaac", "2", "48000", 128000, ""},
    {411, pkVideo, ".mp4", ".mp4", "libxvid", "", "640*480", "25", "", 512000, "libfaac", "2", "48000", 128000, ""},
    {412, pkVideo, ".mp4", ".mp4", "libxvid", "", "640*480", "25", "16:9", 1200000, "libfaac", "2", "48000", 128000, ""},
    {413, pkVideo, ".mp4", ".mp4", "libxvid", "", "320*240", "25", "", 768000, "libfaac", "2", "48000", 128000, ""},
    // 4 iPhone视频
    {500, pkVideo, ".mp4", ".mp4", "mpeg4", "", "320*240", "25", "", 600000, "libfaac", "2", "48000", 128000, ""},
    {501, pkVideo, ".mp4", ".mp4", "libxvid", "", "640*480", "25", "", 1000000, "libfaac", "2", "48000", 128000, ""},
    {502, pkVideo, ".mp4", ".mp4", "mpeg4", "", "640*480", "25", "16:9", 600000, "libfaac", "2", "48000", 128000, ""},
    {503, pkVideo, ".mp4", ".mp4", "libx264", "", "320*240", "25", "", 1200000, "libfaac", "2", "48000", 128000, ""},
    {504, pkVideo, ".mp4", ".mp4", "mpeg4", "", "320*240", "25", "", 600000, "libfaac", "2", "48000", 128000, ""},
    {505, pkVideo, ".mp4", ".mp4", "mpeg4", "", "480*320", "25", "", 768000, "libfaac", "2", "48000", 128000, ""},
    // 5 PSP视频
    {600, pkVideo, ".mp4", ".mp4", "mpeg4", "", "320*240", "29.97", "", 600000, "libfaac", "2", "48000", 128000, ""},
    {601, pkVideo, ".mp4", ".mp4", "libx264", "", "320*240", "29.97", "", 768000, "libfaac", "2", "48000", 128000, ""},
    {602, pkVideo, ".mp4", ".mp4", "libx264", "", "320*240", "29.97", "", 1200000, "libfaac", "2", "48000", 128000, ""},
    {603, pkVideo, ".mp4", ".mp4", "libxvid", "", "320*240", "29.97", "", 384000, "libfaac", "2", "48000", 128000, ""},
    {604, pkVideo, ".mp4", ".mp4", "libx264", "", "640*480", "29.97", "", 1000000, "libfaac", "2", "48000", 128000, ""},
    // 6 3GP视频
    {700, pkVideo, ".3gp", ".3gp", "h263", "", "176*144", "12", "", 128000, "libamr_nb", "1", "8000", 12000, ""},
    {701, pkVideo, ".3gp", ".3gp", "h263", "", "176*144", "12", "", 128000, "libfaac", "2", "16000", 48000, ""},
    {702, pkVideo, ".3gp", ".3gp", "mpeg4", "", "176*144", "12", "", 128000, "libamr_nb", "1", "8000", 12000, ""},
    {703, pkVideo, ".3g2", ".3g2", "mpeg4", "", "176*144", "12", "", 128000, "libfaac", "2", "32000", 48000, ""},
    {704, pkVideo, ".3gp", ".3gp", "mpeg4", "", "176*144", "12", "", 128000, "libamr_nb", "1", "8000", 10200, ""},
    {705, pkVideo, ".3gp", ".3gp", "mpeg4", "", "320*240", "15", "", 128000, "libfaac", "2", "16000", 32000, ""},
    {706, pkVideo, ".avi", ".avi", "h263", "", "352*288", "15", "", 256000, "libmp3lame", "2", "44100", 128000, ""},
    {707, pkVideo, ".mp4", ".mp4", "mpeg4", "", "352*288", "15", "", 128000, "libfaac", "2", "44100", 128000, ""},
    {708, pkAudioOnly, ".amr", ".amr", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "libopencore_amrnb", "1", "8000", 7400, ""},
    {709, pkVideo, ".mp4", ".mp4", "mpeg4", "", "352*288", "15", "", 160000, "libfaac", "2", "44100", 64000, ""},
    {710, pkVideo, ".mp4", ".mp4", "mpeg4", "", "352*288", "12", "", 128000, "libfaac", "2", "32000", 32000, ""},
    {711, pkVideo, ".avi", ".avi", "mpeg4", "DX50", "320*240", "25", "", 256000, "libmp3lame", "2", "44100", 128000, ""},
    {712, pkVideo, ".mov", ".mov", "", "", "320*240", "25", "", 256000, "libfaac", "2", "44100", 128000, ""},
    {713, pkVideo, ".mp4", ".mp4", "mpeg4", "", "176*144", "12", "", 128000, "libfaac", "2", "32000", 32000, ""},
    // 7 APPLE视频
    {800, pkVideo, ".mp4", ".mp4", "libx264", "", "320*240", "25", "", 768000, "libfaac", "2", "48000", 192000, ""},
    {801, pkVideo, ".mp4", ".mp4", "libx264", "", "640*480", "25", "", 1000000, "libfaac", "2", "48000", 192000, ""},
    {802, pkVideo, ".mp4", ".mp4", "libx264", "", "1280*720", "25", "", 1000000, "libfaac", "2", "48000", 192000, ""},
    {803, pkVideo, ".mp4", ".mp4", "mpeg4", "", "640*480", "25", "", 1200000, "libfaac", "2", "48000", 192000, ""},
    {804, pkVideo, ".mp4", ".mp4", "libxvid", "", "640*480", "25", "", 600000, "libfaac", "2", "48000", 192000, ""},
    // 8 XboX视频
    {900, pkVideo, ".mp4", ".mp4", "libx264", "", "640*480", "29.97", "", 1200000, "libfaac", "2", "48000", 192000, ""},
    {901, pkVideo, ".mpeg", ".mpeg", "mpeg2video", "", "1280*720", "25", "", 1200000, "ac3", "2", "48000", 192000, ""},
    {902, pkVideo, ".mpg", ".mpg", "mpeg2video", "", "1280*720", "25", "", 1200000, "ac3", "2", "48000", 192000, ""},
    {903, pkVideo, ".mp4", ".mp4", "mpeg4", "", "640*480", "25", "", 1200000, "libmp3lame", "2", "48000", 192000, ""},
    {904, pkVideo, ".mp4", ".mp4", "mpeg4", "", "1280*720", "25", "", 1200000, "libfaac", "2", "48000", 128000, ""},
    {905, pkVideo, ".wmv", ".wmv", "wmv2", "", "640*480", "25", "", 1200000, "wmav2", "2", "48000", 128000, ""},
    {906, pkVideo, ".avi", ".avi", "wmv2", "", "1280*720", "25", "", 1200000, "libmp3lame", "2", "48000", 128000, ""},
    {907, pkVideo, ".avi", ".avi", "msmpeg4v2", "", "1280*720", "25", "", 1200000, "libmp3lame", "2", "48000", 128000, ""},
    {908, pkVideo, ".avi", ".avi", "msmpeg4", "", "1280*720", "25", "", 1200000, "libmp3lame", "2", "48000", 128000, ""},
    {909, pkVideo, ".mp4", ".mp4", "msmpeg4v1", "", "1280*720", "25", "", 1200000, "libmp3lame", "2", "48000", 128000, ""},
    // 9 PMP视频
    {1000, pkVideo, ".avi", ".avi", "mpeg4", "", "480*272", "25", "", 1000000, "libmp3lame", "2", "48000", 128000, ""},
    {1001, pkVideo, ".avi", ".avi", "mpeg4", "", "720*480", "25", "", 1000000, "libmp3lame", "2", "48000", 128000, ""},
    {1002, pkVideo, ".avi", ".avi", "mpeg4", "", "320*240", "25", "", 768000, "libmp3lame", "2", "44100", 128000, ""},
    {1003, pkVideo, ".mp4", ".mp4", "mpeg4", "", "320*240", "25", "", 512000, "libfaac", "2", "44100", 128000, ""},
    {1004, pkVideo, ".mp4", ".mp4", "libx264", "", "320*240", "25", "", 768000, "libfaac", "2", "44100", 128000, ""},
    {1005, pkVideo, ".mp4", ".mp4", "libxvid", "", "320*240", "25", "", 768000, "libfaac", "2", "44100", 128000, ""},
    {1006, pkVideo, ".wmv", ".wmv", "wmv2", "", "320*240", "25", "", 1000000, "wmav2", "2", "44100", 128000, ""},
    {1007, pkVideo, ".avi", ".avi", "mpeg4", "", "640*480", "25", "", 1000000, "libmp3lame", "2", "44100", 128000, ""},
    // 10 MP4视频
    {1100, pkVideo, ".mp4", ".mp4", "mpeg4", "", "320*240", "25", "", 528000, "libmp3lame", "2", "44100", 128000, ""},
    {1101, pkVideo, ".mp4", ".mp4", "mpeg4", "", "", "25", "", 768000, "libmp3lame", "2", "44100", 128000, ""},
    {1102, pkVideo, ".mp4", ".mp4", "libx264", "", "", "25", "", 1200000, "libmp3lame", "2", "44100", 128000, ""},
    {1103, pkVideo, ".mp4", ".mp4", "libx264", "", "320*240", "25", "", 1200000, "libfaac", "2", "44100", 128000, ""},
    {1104, pkVideo, ".mp4", ".mp4", "libx264", "", "", "25", "", 1200000, "libmp3lame", "2", "44100", 128000, ""},
    // 11 Flash视频
    {1200, pkVideo, ".flv", ".flv", "", "", "", "25", "", 1200000, "libmp3lame", "2", "22050", 128000, ""},
    {1201, pkVideo, ".swf", ".swf", "", "", "", "25", "", 528000, "libmp3lame", "2", "22050", 128000, ""},
    {1202, pkAudioOnly, ".flv", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "libmp3lame", "2", "22050", 128000, ""},
    {1203, pkAudioOnly, ".swf", kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, "libmp3lame", "2", "22050", 128000, ""},
};

}  // namespace

std::span<const TLegacyParameterRow> LegacyParameterRows() { return kRows; }
