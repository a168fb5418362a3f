// Disc and camcorder targets: every option an output needs to be a standard VCD, SVCD, DVD or DV
// stream, in a television norm given or detected from the frame rate and the inputs.

#include <cmath>

#include "Src/FFmpeg.h"
#include "Src/FFmpegLogger.h"
#include "platform/core/SysUtils.h"

namespace {

enum class TNorm { PAL, NTSC, FILM };

const char* FrameRateText(TNorm ANorm) {
  switch (ANorm) {
    case TNorm::PAL: return "25";
    case TNorm::NTSC: return "30000/1001";
    case TNorm::FILM: return "24000/1001";
  }
  return "25";
}

// PAL for 25 frames a second, NTSC for 29.97 and 23.976; false for any other rate.
bool NormOfRate(long AMilliHertz, TNorm& ANorm) {
  if (AMilliHertz == 25000) {
    ANorm = TNorm::PAL;
    return true;
  }
  if (AMilliHertz == 29970 || AMilliHertz == 23976) {
    ANorm = TNorm::NTSC;
    return true;
  }
  return false;
}

}  // namespace

void TCustomFFmpeg::ParseTargetOption(const std::string& AValue) {
  const std::string value = Trim(AValue);
  for (const char* norm : {"pal", "ntsc", "film"}) {
    const std::string prefix = std::string(norm) + "-";
    if (value.rfind(prefix, 0) == 0) {
      OptTarget(value.substr(prefix.size()), norm, "ntsc");
      return;
    }
  }
  OptTarget(value, "auto", "ntsc");
}

void TCustomFFmpeg::OptTarget(const std::string& ATarget, const std::string& ANorm,
                              const std::string& ADefaultNorm) {
  TNorm norm = TNorm::PAL;
  if (ANorm == "pal") {
    norm = TNorm::PAL;
  } else if (ANorm == "ntsc") {
    norm = TNorm::NTSC;
  } else if (ANorm == "film") {
    norm = TNorm::FILM;
  } else {
    if (Fframe_rate.den == 0) throw FFmpegException("frame_rate is invalid.");
    bool found = NormOfRate(std::lround(Fframe_rate.num * 1000.0 / Fframe_rate.den), norm);
    // The rate of the first video stream of the inputs that is one of the norms' rates.
    if (!found) ReopenInputs();
    for (size_t j = 0; !found && j < Finput_files.size(); ++j) {
      const AVFormatContext* ic = Finput_files[j];
      for (unsigned i = 0; !found && i < ic->nb_streams; ++i) {
        const AVStream* st = ic->streams[i];
        if (st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) continue;
        const AVRational rate = st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate;
        if (rate.den) found = NormOfRate(std::lround(rate.num * 1000.0 / rate.den), norm);
      }
    }
    if (!found) norm = ADefaultNorm == "film" ? TNorm::FILM : ADefaultNorm == "ntsc" ? TNorm::NTSC : TNorm::PAL;
    else if (Fverbose > 0)
      GetLogger()->Log(this, TLogLevel::llVerbose,
                       Format("Assuming %s for target.", norm == TNorm::PAL ? "PAL" : "NTSC"));
  }
  const bool pal = norm == TNorm::PAL;
  auto set = [this](const char* AName, const char* AValue) {
    if (!OptDefault(AName, AValue))
      throw FFmpegException(std::string("Target option ") + AName + " = " + AValue + " was refused");
  };
  auto defaultAspect = [this](const char* AAspect) {
    if (Fframe_aspect_ratio != 0) return;
    GetLogger()->Log(this, TLogLevel::llInfo, Format("Assuming %s for aspect ratio", AAspect));
    OptFrameAspectRatio(AAspect);
  };

  if (ATarget == "vcd") {
    OptVideoCodec("mpeg1video");
    OptAudioCodec("mp2");
    OptFormat("vcd");
    OptFrameSize(pal ? "352x288" : "352x240");
    OptFrameRate(FrameRateText(norm));
    set("g", pal ? "15" : "18");
    set("b", "1150000");
    set("maxrate", "1150000");
    set("minrate", "1150000");
    set("bufsize", "327680");
    OptBitrate("ab", "224000");
    OptAudioRate(44100);
    OptAudioChannels(2);
    set("packetsize", "2324");
    set("muxrate", "1411200");
    // The VCD standard's own preload (0.44 s) for the maximum delay the muxer allows.
    Fmux_preload = 0.44f;
    defaultAspect("4:3");
  } else if (ATarget == "svcd") {
    OptVideoCodec("mpeg2video");
    OptAudioCodec("mp2");
    OptFormat("svcd");
    OptFrameSize(pal ? "480x576" : "480x480");
    OptFrameRate(FrameRateText(norm));
    set("g", pal ? "15" : "18");
    set("b", "2040000");
    set("maxrate", "2516000");
    set("minrate", "0");
    set("bufsize", "1835008");
    // The scan offset switch of the MPEG-2 encoder (once a generic flag) is its private option.
    set("scan_offset", "1");
    OptBitrate("ab", "224000");
    OptAudioRate(44100);
    set("packetsize", "2324");
    if (Faudio_channels == 1) OptAudioChannels(2);
    defaultAspect("4:3");
  } else if (ATarget == "dvd") {
    OptVideoCodec("mpeg2video");
    OptAudioCodec("ac3");
    OptFormat("dvd");
    OptFrameSize(pal ? "720x576" : "720x480");
    OptFrameRate(FrameRateText(norm));
    set("g", pal ? "15" : "18");
    set("b", "6000000");
    set("maxrate", "9000000");
    set("minrate", "0");
    set("bufsize", "1835008");
    set("packetsize", "2048");
    set("muxrate", "10080000");
    OptBitrate("ab", "448000");
    OptAudioRate(48000);
    if (Faudio_channels == 1) OptAudioChannels(2);
    defaultAspect("16:9");
  } else if (ATarget == "dv" || ATarget == "dv50") {
    OptFormat("dv");
    OptFrameSize(pal ? "720x576" : "720x480");
    OptFrameRate(FrameRateText(norm));
    OptPixelFormat(ATarget == "dv50" ? "yuv422p" : pal ? "yuv420p" : "yuv411p");
    OptAudioRate(48000);
    OptAudioChannels(2);
  } else {
    throw FFmpegException("Unknown target type");
  }
}
