// The engine's option table and the handlers that check and store option values.

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <unordered_map>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegLogger.h"
#include "platform/core/SysUtils.h"

namespace {

bool BoolValue(const std::string& AValue) { return AValue != "0"; }

// The leading integer of the text at APos in the C library's base-0 reading (decimal,
// hexadecimal after "0x", octal after a leading "0"); APos moves past it.
long ReadLong(const std::string& AText, size_t& APos) {
  if (APos >= AText.size()) return 0;
  const char* start = AText.c_str() + APos;
  char* end = nullptr;
  const long value = std::strtol(start, &end, 0);
  APos += static_cast<size_t>(end - start);
  return value;
}

void LogOnly(const std::string& AName) {
  GetLogger()->Log(nullptr, TLogLevel::llInfo,
                   "Option \"" + AName + "\" is ignored: it only has a meaning for the command-line tool");
}

FFmpegException InvalidValue(const std::string& AName, const std::string& AValue) {
  return FFmpegException(Printf("Invalid value \"%s\" for option \"%s\"", AValue.c_str(), AName.c_str()));
}

// A whole decimal number from AMinimum on; anything else is an invalid value of the option.
int IntValue(const std::string& AName, const std::string& AValue, int AMinimum) {
  const std::string text = Trim(AValue);
  char* end = nullptr;
  errno = 0;
  const long value = text.empty() ? 0 : std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || errno == ERANGE || value < AMinimum || value > INT32_MAX) throw InvalidValue(AName, AValue);
  return static_cast<int>(value);
}

// The folder of the running program, with its trailing delimiter.
std::string ProgramFolder() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  std::string path(buffer, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

// ---- dispatcher ----

void TCustomFFmpeg::ParseOption(const std::string& AName, const std::string& AValue) {
  using THandler = void (*)(TCustomFFmpeg& E, const std::string& N, const std::string& V);
  static const std::unordered_map<std::string, THandler> table = {
      {"L", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"h", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"version", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"formats", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"codecs", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"bsfs", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"protocols", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"filters", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"loglevel", [](TCustomFFmpeg&, const std::string&, const std::string& V) { GetLogger()->OptLogLevel(V); }},
      {"f", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptFormat(V); }},
      {"i", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"y", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"map", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptMap(V); }},
      {"map_meta_data", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptMapMetaData(V); }},
      {"t", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptRecordingTime(V); }},
      {"fs", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Flimit_filesize = StrToInt64(V); }},
      {"ss", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptStartTime(V); }},
      {"itsoffset", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptInputTSOffset(V); }},
      {"itsscale", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptInputTSScale(V); }},
      {"timestamp", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptRecTimestamp(V); }},
      {"metadata", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptMetadata(V); }},
      {"dframes", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fmax_frames[2] = StrToInt(V); }},
      {"benchmark", [](TCustomFFmpeg&, const std::string& N, const std::string&) { LogOnly(N); }},
      {"timelimit",
       [](TCustomFFmpeg&, const std::string&, const std::string&) {
         // The command-line tool limits the processor time of its whole process; here that would
         // end the program with every other conversion.
         throw FFmpegException("Option \"timelimit\" is not supported: a processor-time limit would end the whole "
                               "program, not one conversion (\"t\" limits the length of the output)");
       }},
      {"dump", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fdo_pkt_dump = BoolValue(V); }},
      {"hex", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fdo_hex_dump = BoolValue(V); }},
      {"re", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Frate_emu = BoolValue(V); }},
      {"loop_input", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Floop_input = BoolValue(V); }},
      {"loop_output", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Floop_output = StrToInt(V); }},
      {"v", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptVerbose(StrToInt(V)); }},
      {"target", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.ParseTargetOption(V); }},
      {"threads",
       [](TCustomFFmpeg& E, const std::string& N, const std::string& V) {
         // "auto" (0) lets the libraries choose per codec.
         E.Fthread_count = Trim(V) == "auto" ? 0 : IntValue(N, V, 0);
       }},
      {"vsync", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fvideo_sync_method = StrToInt(V); }},
      {"async", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Faudio_sync_method = StrToInt(V); }},
      {"adrift_threshold",
       [](TCustomFFmpeg& E, const std::string&, const std::string& V) {
         E.Faudio_drift_threshold = static_cast<float>(StrToFloat(V));
       }},
      {"vglobal", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fvideo_global_header = StrToInt(V); }},
      {"copyts", [](TCustomFFmpeg& E, const std::string&, const std::string&) { E.Fcopy_ts = true; }},
      {"shortest", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fopt_shortest = BoolValue(V); }},
      {"dts_delta_threshold",
       [](TCustomFFmpeg& E, const std::string&, const std::string& V) {
         E.Fdts_delta_threshold = static_cast<float>(StrToFloat(V));
       }},
      {"programid", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fopt_programid = StrToInt(V); }},
      {"xerror", [](TCustomFFmpeg& E, const std::string&, const std::string&) { E.Fexit_on_error = true; }},
      {"copyinkf",
       [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fcopy_initial_nonkeyframes = StrToInt(V); }},
      {"b",
       [](TCustomFFmpeg& E, const std::string& N, const std::string& V) {
         if (!E.OptBitrate(N, V) && !Trim(V).empty()) throw InvalidValue(N, V);
       }},
      {"vb",
       [](TCustomFFmpeg& E, const std::string& N, const std::string& V) {
         if (!E.OptBitrate(N, V) && !Trim(V).empty()) throw InvalidValue(N, V);
       }},
      {"vframes", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fmax_frames[0] = StrToInt(V); }},
      {"r", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptFrameRate(V); }},
      {"s", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptFrameSize(V); }},
      {"aspect", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptFrameAspectRatio(V); }},
      {"pix_fmt", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptPixelFormat(V); }},
      {"croptop", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptFrameCropTop(StrToInt(V)); }},
      {"cropbottom",
       [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptFrameCropBottom(StrToInt(V)); }},
      {"cropleft", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptFrameCropLeft(StrToInt(V)); }},
      {"cropright",
       [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptFrameCropRight(StrToInt(V)); }},
      {"padtop", [](TCustomFFmpeg&, const std::string&, const std::string&) { throw FFmpegException("Please use vfilters=pad"); }},
      {"padbottom", [](TCustomFFmpeg&, const std::string&, const std::string&) { throw FFmpegException("Please use vfilters=pad"); }},
      {"padleft", [](TCustomFFmpeg&, const std::string&, const std::string&) { throw FFmpegException("Please use vfilters=pad"); }},
      {"padright", [](TCustomFFmpeg&, const std::string&, const std::string&) { throw FFmpegException("Please use vfilters=pad"); }},
      {"padcolor", [](TCustomFFmpeg&, const std::string&, const std::string&) { throw FFmpegException("Please use vfilters=pad"); }},
      {"intra", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fintra_only = BoolValue(V); }},
      {"vn", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fvideo_disable = BoolValue(V); }},
      {"vdt", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fvideo_discard = StrToInt(V); }},
      {"qscale", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptQScale(StrToFloat(V)); }},
      {"rc_override", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptRcOverride(V); }},
      {"vcodec", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptVideoCodec(V); }},
      {"me_threshold", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fme_threshold = StrToInt(V); }},
      {"sameq", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fsame_quality = BoolValue(V); }},
      {"pass", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptPass(StrToInt(V)); }},
      {"passlogfile", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fpass_logfilename_prefix = V; }},
      {"deinterlace", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fdo_deinterlace = BoolValue(V); }},
      {"psnr", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fdo_psnr = BoolValue(V); }},
      {"vstats", [](TCustomFFmpeg& E, const std::string&, const std::string&) { E.OptVStats(); }},
      {"vstats_file", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptVStatsFile(V); }},
      {"vhook", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptVideoHook(V); }},
      {"vfilters", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptVideoFilters(V); }},
      {"vf", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptVideoFilters(V); }},
      {"intra_matrix", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptIntraMatrix(V); }},
      {"inter_matrix", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptInterMatrix(V); }},
      {"top", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Ftop_field_first = StrToInt(V); }},
      {"dc", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fintra_dc_precision = StrToInt(V); }},
      {"vtag", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptVideoTag(V); }},
      {"newvideo", [](TCustomFFmpeg& E, const std::string&, const std::string&) { E.OptNewVideoStream(); }},
      {"vlang", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fvideo_language = V; }},
      {"qphist", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fqp_hist = BoolValue(V); }},
      {"force_fps", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fforce_fps = BoolValue(V); }},
      {"streamid", [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptStreamId(N, V); }},
      {"ab",
       [](TCustomFFmpeg& E, const std::string& N, const std::string& V) {
         if (!E.OptBitrate(N, V) && !Trim(V).empty()) throw InvalidValue(N, V);
       }},
      {"aframes", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fmax_frames[1] = StrToInt(V); }},
      {"aq",
       [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Faudio_qscale = static_cast<float>(StrToFloat(V)); }},
      {"ar", [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptAudioRate(IntValue(N, V, 1)); }},
      {"ac",
       [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptAudioChannels(IntValue(N, V, 1)); }},
      {"an", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Faudio_disable = BoolValue(V); }},
      {"acodec", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptAudioCodec(V); }},
      {"atag", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptAudioTag(V); }},
      {"vol", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Faudio_volume = StrToInt(V); }},
      {"newaudio", [](TCustomFFmpeg& E, const std::string&, const std::string&) { E.OptNewAudioStream(); }},
      {"alang", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Faudio_language = V; }},
      {"sample_fmt", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptAudioSampleFormat(V); }},
      {"sn", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fsubtitle_disable = BoolValue(V); }},
      {"scodec", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptSubtitleCodec(V); }},
      {"newsubtitle", [](TCustomFFmpeg& E, const std::string&, const std::string&) { E.OptNewSubtitleStream(); }},
      {"slang", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fsubtitle_language = V; }},
      {"stag", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptSubtitleTag(V); }},
      {"vc", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fvideo_channel = StrToInt(V); }},
      {"tvstd", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.OptVideoStandard(V); }},
      {"isync", [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Finput_sync = BoolValue(V); }},
      {"muxdelay",
       [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fmux_max_delay = static_cast<float>(StrToFloat(V)); }},
      {"muxpreload",
       [](TCustomFFmpeg& E, const std::string&, const std::string& V) { E.Fmux_preload = static_cast<float>(StrToFloat(V)); }},
      {"absf", [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptBitstreamFilter(N, V); }},
      {"vbsf", [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptBitstreamFilter(N, V); }},
      {"sbsf", [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptBitstreamFilter(N, V); }},
      {"apre", [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptPreset(N, V); }},
      {"vpre", [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptPreset(N, V); }},
      {"spre", [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptPreset(N, V); }},
      {"fpre", [](TCustomFFmpeg& E, const std::string& N, const std::string& V) { E.OptPreset(N, V); }},
  };
  auto it = table.find(AName);
  if (it != table.end()) {
    it->second(*this, AName, AValue);
    return;
  }
  switch (UseDefaultOption(AName, AValue)) {
    case TOptionUse::Applied: return;
    case TOptionUse::Refused:
      // An option given without a value changes nothing.
      if (Trim(AValue).empty()) return;
      throw InvalidValue(AName, AValue);
    case TOptionUse::Unknown: throw FFmpegException(Printf("Unrecognized option \"%s\"", AName.c_str()));
  }
}

// ---- generic options ----

bool TCustomFFmpeg::OptDefault(const std::string& AName, const std::string& AValue) {
  return UseDefaultOption(AName, AValue) == TOptionUse::Applied;
}

TCustomFFmpeg::TOptionUse TCustomFFmpeg::UseDefaultOption(const std::string& AName, const std::string& AValue) {
  if (SetFFOption(FOptions, AName, AValue)) return TOptionUse::Applied;
  // A generic option that refused its value stays refused (SetFFOption logged it); a name the
  // generic set does not know may be a private option of an encoder or a muxer.
  if (HasFFOption(FOptions, AName)) return TOptionUse::Refused;
  if (SetPrivateOption(AName, AValue)) return TOptionUse::Applied;
  return IsPrivateOption(AName) ? TOptionUse::Refused : TOptionUse::Unknown;
}

bool TCustomFFmpeg::SetPrivateOption(const std::string& AName, const std::string& AValue) {
  if (AName.empty() || AValue.empty() || !av::av_opt_find) return false;
  auto hasOption = [&](const AVClass* const* AClass) {
    return *AClass && av::av_opt_find(const_cast<const AVClass**>(AClass), AName.c_str(), nullptr, 0,
                                      AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
  };
  auto keep = [&](int AKind) {
    AVDictionary* dict = FCodecOpts[AKind].release();
    av::av_dict_set(&dict, AName.c_str(), AValue.c_str(), 0);
    FCodecOpts[AKind].reset(dict);
  };
  // The encoder named for a media kind: its private options go to the next stream of that kind.
  const std::string* names[3] = {&Fvideo_codec_name, &Faudio_codec_name, &Fsubtitle_codec_name};
  for (int kind = 0; kind < 3; ++kind) {
    if (names[kind]->empty()) continue;
    const AVCodec* codec = FindEncoderNamed(*names[kind]);
    if (codec && hasOption(&codec->priv_class)) {
      keep(kind);
      return true;
    }
  }
  // No encoder named for it: an option of encoders of one kind waits for the next stream of that
  // kind, whose encoder takes it or drops it with a log line (the format's default encoder may be
  // one that has it).
  static const AVMediaType kinds[3] = {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO, AVMEDIA_TYPE_SUBTITLE};
  bool kept = false;
  for (int kind = 0; kind < 3; ++kind)
    if (names[kind]->empty() && EncoderKindHasOption(kinds[kind], AName)) {
      keep(kind);
      kept = true;
    }
  if (kept) return true;
  // A muxer's private option ("muxrate", "preload"): handed to the next output's muxer.
  void* opaque = nullptr;
  while (const AVOutputFormat* format = av::av_muxer_iterate(&opaque)) {
    if (hasOption(&format->priv_class)) {
      AVDictionary* dict = FMuxerOpts.release();
      av::av_dict_set(&dict, AName.c_str(), AValue.c_str(), 0);
      FMuxerOpts.reset(dict);
      return true;
    }
  }
  return false;
}

const AVCodec* TCustomFFmpeg::EncoderOfCodec(const std::string& AName) {
  const AVCodecDescriptor* descriptor = av::avcodec_descriptor_get_by_name(AName.c_str());
  return descriptor ? av::avcodec_find_encoder(descriptor->id) : nullptr;
}

const AVCodec* TCustomFFmpeg::FindEncoderNamed(const std::string& AName) {
  const AVCodec* codec = av::avcodec_find_encoder_by_name(AName.c_str());
  return codec ? codec : EncoderOfCodec(AName);
}

bool TCustomFFmpeg::EncoderKindHasOption(AVMediaType AKind, const std::string& AName) {
  void* opaque = nullptr;
  while (const AVCodec* codec = av::av_codec_iterate(&opaque)) {
    if (codec->type != AKind || !av::av_codec_is_encoder(codec) || !codec->priv_class) continue;
    if (av::av_opt_find(const_cast<const AVClass**>(&codec->priv_class), AName.c_str(), nullptr, 0,
                        AV_OPT_SEARCH_FAKE_OBJ))
      return true;
  }
  return false;
}

bool TCustomFFmpeg::IsPrivateOption(const std::string& AName) {
  if (EncoderKindHasOption(AVMEDIA_TYPE_VIDEO, AName) || EncoderKindHasOption(AVMEDIA_TYPE_AUDIO, AName) ||
      EncoderKindHasOption(AVMEDIA_TYPE_SUBTITLE, AName))
    return true;
  void* opaque = nullptr;
  while (const AVOutputFormat* format = av::av_muxer_iterate(&opaque))
    if (format->priv_class && av::av_opt_find(const_cast<const AVClass**>(&format->priv_class), AName.c_str(),
                                              nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ))
      return true;
  return false;
}

bool TCustomFFmpeg::SetIntOption(const std::string& AName, int AValue) {
  return OptDefault(AName, std::to_string(AValue));
}

bool TCustomFFmpeg::OptBitrate(const std::string& AName, const std::string& AValue) {
  if (AName.empty() || AValue.empty()) return false;
  const bool result = OptDefault(AName, AValue);
  if (result) {
    AVCodecContext* defaults = FOptions.avcodec_opts[AName[0] == 'a' ? AVMEDIA_TYPE_AUDIO : AVMEDIA_TYPE_VIDEO];
    int64_t bitrate = 0;
    if (defaults && av::av_opt_get_int(defaults, "b", 0, &bitrate) >= 0 && bitrate < 1000)
      GetLogger()->Log(this, TLogLevel::llWarning,
                       "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s");
  }
  return result;
}

// ---- format, rates, geometry ----

void TCustomFFmpeg::OptFormat(const std::string& AFormat) {
  if (AFormat.empty()) return;
  std::string format = AFormat;
  if (format == "pgmyuv") {
    Fpgmyuv_compatibility_hack = 1;
    format = "image2";
    GetLogger()->Log(this, TLogLevel::llInfo, "pgmyuv format is deprecated, use image2");
  }
  Flast_asked_format = format;
}

void TCustomFFmpeg::OptFrameRate(const std::string& AValue) {
  if (AValue.empty()) return;
  AVRational rate{0, 0};
  if (av::av_parse_video_rate(&rate, AValue.c_str()) < 0) throw FFmpegException("Incorrect frame rate");
  Fframe_rate = rate;
  Finput_defaults.frame_rate = false;
}

void TCustomFFmpeg::OptFrameSize(const std::string& AValue) {
  if (AValue.empty()) return;
  int width = 0, height = 0;
  if (av::av_parse_video_size(&width, &height, AValue.c_str()) < 0) throw FFmpegException("Incorrect frame size");
  Fframe_width = width;
  Fframe_height = height;
}

void TCustomFFmpeg::OptFrameAspectRatio(const std::string& AValue) {
  if (AValue.empty()) return;
  double ratio = 0;
  const size_t colon = AValue.find(':');
  if (colon != std::string::npos) {
    const int x = StrToIntDef(AValue.substr(0, colon), 0);
    const int y = StrToIntDef(AValue.substr(colon + 1), 0);
    if (y > 0) ratio = static_cast<double>(x) / y;
  } else {
    ratio = StrToFloatDef(AValue, 0);
  }
  if (ratio == 0) throw FFmpegException("Incorrect aspect ratio value.");
  Fframe_aspect_ratio = static_cast<float>(ratio);
}

void TCustomFFmpeg::OptFrameCrop(int AValue, int& ABand, int& ASize, bool AVertical) {
  if (AValue <= 0) return;
  if (AValue >= ASize)
    throw FFmpegException(std::string(AVertical ? "Vertical" : "Horizontal") +
                          " crop dimensions are outside the range of the original image.\n"
                          "Remember to crop first and scale second.");
  GetLogger()->Log(this, TLogLevel::llWarning, "CropXXX is deprecated in favor of the crop avfilter");
  ABand = AValue;
  ASize -= AValue;
}

void TCustomFFmpeg::OptFrameCropTop(int AValue) { OptFrameCrop(AValue, Fframe_topBand, Fframe_height, true); }
void TCustomFFmpeg::OptFrameCropBottom(int AValue) { OptFrameCrop(AValue, Fframe_bottomBand, Fframe_height, true); }
void TCustomFFmpeg::OptFrameCropLeft(int AValue) { OptFrameCrop(AValue, Fframe_leftBand, Fframe_width, false); }
void TCustomFFmpeg::OptFrameCropRight(int AValue) { OptFrameCrop(AValue, Fframe_rightBand, Fframe_width, false); }

void TCustomFFmpeg::ListFormats(bool APixelFormats) {
  // The header line, then one line per format the libraries know.
  const int count = APixelFormats ? static_cast<int>(AV_PIX_FMT_NB) : static_cast<int>(AV_SAMPLE_FMT_NB);
  for (int i = -1; i < count; ++i) {
    char buffer[128] = {};
    if (APixelFormats) {
      if (i >= 0 && !av::av_pix_fmt_desc_get(static_cast<AVPixelFormat>(i))) continue;
      av::av_get_pix_fmt_string(buffer, sizeof buffer, static_cast<AVPixelFormat>(i));
    } else {
      av::av_get_sample_fmt_string(buffer, sizeof buffer, static_cast<AVSampleFormat>(i));
    }
    GetLogger()->Log(this, TLogLevel::llInfo, Trim(buffer));
  }
}

void TCustomFFmpeg::OptPixelFormat(const std::string& AValue) {
  if (AValue.empty()) return;
  if (AValue == "list") {
    ListFormats(true);
    return;
  }
  Fframe_pix_fmt = av::av_get_pix_fmt(AValue.c_str());
  if (Fframe_pix_fmt == AV_PIX_FMT_NONE)
    throw FFmpegException(Printf("Unknown pixel format requested: %s", AValue.c_str()));
}

void TCustomFFmpeg::OptAudioSampleFormat(const std::string& AValue) {
  if (AValue.empty()) return;
  if (AValue == "list") {
    ListFormats(false);
    return;
  }
  const int format = av::av_get_sample_fmt(AValue.c_str());
  if (format == AV_SAMPLE_FMT_NONE) throw InvalidValue("sample_fmt", AValue);
  Faudio_sample_fmt = format;
  Finput_defaults.sample_fmt = false;
}

void TCustomFFmpeg::OptAudioRate(int AValue) {
  if (AValue <= 0) return;
  Faudio_sample_rate = AValue;
  Finput_defaults.sample_rate = false;
}

void TCustomFFmpeg::OptAudioChannels(int AValue) {
  if (AValue <= 0) return;
  Faudio_channels = AValue;
  Finput_defaults.channels = false;
}

// ---- quantisers and encoder details ----

void TCustomFFmpeg::OptQScale(double AValue) {
  if (AValue <= 0 || AValue > 255) throw FFmpegException("qscale must be > 0.0 and <= 255");
  Fvideo_qscale = static_cast<float>(AValue);
}

void TCustomFFmpeg::OptRcOverride(const std::string& AValue) {
  if (!AValue.empty()) Fvideo_rc_override_string = AValue;
}

void TCustomFFmpeg::ParseMatrixCoeffs(std::vector<uint16_t>& AMatrix, const std::string& AText) {
  AMatrix.assign(64, 0);
  size_t pos = 0;
  for (int i = 0;; ++i) {
    const long value = ReadLong(AText, pos);
    // A coefficient outside 1..255 would make the encoder divide by zero or overflow its tables.
    if (value < 1 || value > 255)
      throw FFmpegException(
          Printf("Invalid coefficient %ld in matrix \"%s\" at coeff %d (must be 1 to 255)", value, AText.c_str(), i));
    AMatrix[i] = static_cast<uint16_t>(value);
    if (i == 63) break;
    const size_t comma = AText.find(',', pos);
    if (comma == std::string::npos)
      throw FFmpegException(Printf("Syntax error in matrix \"%s\" at coeff %d", AText.c_str(), i));
    pos = comma + 1;
  }
}

void TCustomFFmpeg::OptIntraMatrix(const std::string& AValue) {
  if (!AValue.empty()) ParseMatrixCoeffs(Fintra_matrix, AValue);
}

void TCustomFFmpeg::OptInterMatrix(const std::string& AValue) {
  if (!AValue.empty()) ParseMatrixCoeffs(Finter_matrix, AValue);
}

void TCustomFFmpeg::OptVideoStandard(const std::string& AValue) {
  if (!AValue.empty()) Fvideo_standard = AValue;
}

// ---- codecs, tags, filters ----

void TCustomFFmpeg::SetCodecName(int& AStreamCopy, std::string& AField, const std::string& AValue) {
  if (AValue.empty()) return;
  AField.clear();
  if (AValue == "copy")
    AStreamCopy = 1;
  else
    AField = AValue;
}

void TCustomFFmpeg::OptVideoCodec(const std::string& AValue) { SetCodecName(Fvideo_stream_copy, Fvideo_codec_name, AValue); }
void TCustomFFmpeg::OptAudioCodec(const std::string& AValue) { SetCodecName(Faudio_stream_copy, Faudio_codec_name, AValue); }
void TCustomFFmpeg::OptSubtitleCodec(const std::string& AValue) {
  SetCodecName(Fsubtitle_stream_copy, Fsubtitle_codec_name, AValue);
}

void TCustomFFmpeg::OptTag(uint32_t& AField, const std::string& AValue, const char* AKind) {
  if (AValue.empty()) return;
  if (AValue.size() != 4) throw FFmpegException(std::string(AKind) + " tag parameter must be 4 chars");
  const auto* c = reinterpret_cast<const uint8_t*>(AValue.data());
  AField = c[0] | (c[1] << 8) | (c[2] << 16) | (static_cast<uint32_t>(c[3]) << 24);
}

void TCustomFFmpeg::OptVideoTag(const std::string& AValue) { OptTag(Fvideo_codec_tag, AValue, "video"); }
void TCustomFFmpeg::OptAudioTag(const std::string& AValue) { OptTag(Faudio_codec_tag, AValue, "audio"); }
void TCustomFFmpeg::OptSubtitleTag(const std::string& AValue) { OptTag(Fsubtitle_codec_tag, AValue, "subtitle"); }

void TCustomFFmpeg::OptVideoFilters(const std::string& AValue) {
  if (!AValue.empty()) Fvfilters = AValue;
}

void ApplyBitstreamFilterOptions(AVBSFContext* ABsf, const TBitstreamFilterEntry& AEntry) {
  for (const auto& [name, value] : AEntry.options) {
    // The filter context's class hands the search on to the filter's own options.
    const int result = av::av_opt_set(ABsf, name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN);
    if (result == AVERROR_OPTION_NOT_FOUND)
      throw FFmpegException(Printf("Bitstream filter %s has no option %s", AEntry.filter->name, name.c_str()));
    if (result < 0)
      throw FFmpegException(Printf("Invalid value \"%s\" for option %s of bitstream filter %s", value.c_str(),
                                   name.c_str(), AEntry.filter->name));
  }
}

void TCustomFFmpeg::OptBitstreamFilter(const std::string& AName, const std::string& AValue) {
  if (AValue.empty() || AValue[0] == '=') return;
  const size_t equal = AValue.find('=');
  const std::string name = AValue.substr(0, equal);
  TBitstreamFilterEntry entry;
  entry.filter = av::av_bsf_get_by_name(name.c_str());
  if (!entry.filter) throw FFmpegException("Unknown bitstream filter " + Trim(AValue));
  if (equal != std::string::npos) {
    // "option=value" pairs separated by ':'; a backslash takes the next character as it is.
    std::vector<std::string> pairs(1);
    for (size_t i = equal + 1; i < AValue.size(); ++i) {
      if (AValue[i] == '\\' && i + 1 < AValue.size())
        pairs.back() += AValue[++i];
      else if (AValue[i] == ':')
        pairs.emplace_back();
      else
        pairs.back() += AValue[i];
    }
    if (pairs.size() == 1 && pairs[0].empty()) pairs.clear();
    for (const std::string& pair : pairs) {
      const size_t split = pair.find('=');
      if (split == std::string::npos || split == 0)
        throw FFmpegException(
            Printf("Invalid option \"%s\" for bitstream filter %s (option=value expected)", pair.c_str(),
                   name.c_str()));
      entry.options.emplace_back(pair.substr(0, split), pair.substr(split + 1));
    }
    // Checked now, on a context of its own, so that a mistake fails the option rather than the
    // run; values the filter checks only when it starts are refused when the run opens it.
    AVBSFContext* context = nullptr;
    if (av::av_bsf_alloc(entry.filter, &context) < 0) throw FFmpegException(OutOfMemoryText);
    const std::unique_ptr<AVBSFContext, void (*)(AVBSFContext*)> probe(
        context, [](AVBSFContext* ABsf) { av::av_bsf_free(&ABsf); });
    ApplyBitstreamFilterOptions(probe.get(), entry);
  }
  auto& chain = !AName.empty() && AName[0] == 'v'   ? Fvideo_bitstream_filters
                : !AName.empty() && AName[0] == 'a' ? Faudio_bitstream_filters
                                                    : Fsubtitle_bitstream_filters;
  chain.push_back(std::move(entry));
}

// ---- times ----

int64_t TCustomFFmpeg::ParseTimeOrDie(const std::string& AOptName, const std::string& AText, bool AIsDuration) {
  int64_t time = 0;
  if (av::av_parse_time(&time, AText.c_str(), AIsDuration ? 1 : 0) < 0)
    throw FFmpegException(Printf("Invalid %s value for %s: %s", AIsDuration ? "duration" : "date",
                                 AOptName.c_str(), AText.c_str()));
  return time;
}

void TCustomFFmpeg::OptRecordingTime(const std::string& AValue) {
  if (!AValue.empty()) SetRecordingTime(ParseTimeOrDie("t", AValue, true));
}

void TCustomFFmpeg::OptStartTime(const std::string& AValue) {
  if (!AValue.empty()) Fstart_time = ParseTimeOrDie("ss", AValue, true);
}

void TCustomFFmpeg::OptInputTSOffset(const std::string& AValue) {
  if (!AValue.empty()) Finput_ts_offset = ParseTimeOrDie("itsoffset", AValue, true);
}

void TCustomFFmpeg::OptRecTimestamp(const std::string& AValue) {
  if (!AValue.empty())
    Frecording_timestamp = std::llround(ParseTimeOrDie("timestamp", AValue, false) / 1000000.0);
}

void TCustomFFmpeg::OptInputTSScale(const std::string& AValue) {
  if (AValue.empty()) return;
  size_t pos = 0;
  const long index = ReadLong(AValue, pos);
  if (pos < AValue.size()) ++pos;
  const double scale = pos < AValue.size() ? std::strtod(AValue.c_str() + pos, nullptr) : 0;
  if (index < 0 || index >= MaxStreamsPerFile)
    throw FFmpegException(Printf("stream index over MAX_STREAMS(%d)", MaxStreamsPerFile));
  const size_t row = Finput_files.size();
  if (Finput_files_ts_scale.size() <= row) Finput_files_ts_scale.resize(row + 1);
  auto& scales = Finput_files_ts_scale[row];
  if (scales.size() <= static_cast<size_t>(index)) scales.resize(index + 1, 0.0);
  scales[index] = scale;
}

void TCustomFFmpeg::SetRecordingTime(int64_t ATime) {
  if (ATime == NoTimestamp) return;
  Frecording_time = ATime;
  FTotalOutputDuration = ATime;
}

void TCustomFFmpeg::SetStartTime(int64_t ATime) {
  if (ATime != NoTimestamp) Fstart_time = ATime;
}

void TCustomFFmpeg::SetProgramID(int AValue) {
  if (AValue >= 0) Fopt_programid = AValue;
}

void TCustomFFmpeg::SetAudioVolume(int AValue) {
  if (AValue >= 0) Faudio_volume = AValue;
}

void TCustomFFmpeg::SetMuxMaxDelay(float AValue) {
  if (AValue > 0) Fmux_max_delay = AValue;
}

void TCustomFFmpeg::SetMuxPreload(float AValue) {
  if (AValue > 0) Fmux_preload = AValue;
}

// ---- maps, metadata, stream ids ----

void TCustomFFmpeg::OptMap(const std::string& AValue) {
  if (AValue.empty()) return;
  TAVStreamMap map;
  size_t pos = 0;
  map.file_index = static_cast<int>(ReadLong(AValue, pos));
  if (pos < AValue.size()) ++pos;
  map.stream_index = static_cast<int>(ReadLong(AValue, pos));
  if (pos < AValue.size()) {
    ++pos;
    map.sync_file_index = static_cast<int>(ReadLong(AValue, pos));
    if (pos < AValue.size()) ++pos;
    map.sync_stream_index = static_cast<int>(ReadLong(AValue, pos));
  } else {
    map.sync_file_index = map.file_index;
    map.sync_stream_index = map.stream_index;
  }
  Fstream_maps.push_back(map);
}

void TCustomFFmpeg::OptMapMetaData(const std::string& AValue) {
  if (AValue.empty()) return;
  TAVMetaDataMap map;
  size_t pos = 0;
  map.out_file = static_cast<int>(ReadLong(AValue, pos));
  if (pos < AValue.size()) ++pos;
  map.in_file = static_cast<int>(ReadLong(AValue, pos));
  Fmeta_data_maps.push_back(map);
}

void TCustomFFmpeg::AddMetadata(const std::string& AKey, const std::string& AValue) {
  Fmetadata.emplace_back(AKey, AValue);
}

void TCustomFFmpeg::OptMetadata(const std::string& AValue) {
  if (AValue.empty()) return;
  const size_t equal = AValue.find('=');
  if (equal == std::string::npos) throw FFmpegException("Missing =");
  AddMetadata(AValue.substr(0, equal), AValue.substr(equal + 1));
}

void TCustomFFmpeg::OptStreamId(const std::string& AName, const std::string& AValue) {
  if (AValue.empty()) return;
  const size_t colon = AValue.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == AValue.size())
    throw FFmpegException(Printf("Invalid value \"%s\" for option \"%s\", required syntax is \"index:value\"",
                                 AValue.c_str(), AName.c_str()));
  const int index = StrToInt(AValue.substr(0, colon));
  const int value = StrToInt(AValue.substr(colon + 1));
  if (index < 0 || index >= MaxStreamsPerFile)
    throw FFmpegException(Printf("stream index over MAX_STREAMS(%d)", MaxStreamsPerFile));
  if (Fstreamid_map.size() <= static_cast<size_t>(index)) Fstreamid_map.resize(index + 1, 0);
  Fstreamid_map[index] = value;
}

// ---- two-pass and statistics ----

void TCustomFFmpeg::OptPass(int AValue) {
  if (AValue != 1 && AValue != 2) throw FFmpegException("pass number can be only 1 or 2");
  Fdo_pass = AValue;
}

void TCustomFFmpeg::OptVStats() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  Fvstats_filename = Printf("%svstats_%02d%02d%02d.log", ProgramFolder().c_str(), local.tm_hour, local.tm_min,
                            local.tm_sec);
}

void TCustomFFmpeg::OptVStatsFile(const std::string& AValue) { Fvstats_filename = AValue; }

// ---- frame hooks ----

void TCustomFFmpeg::OptVideoHook(const std::string& AValue) {
  if (FrameHookAdd(FFirstHook, SplitFrameHookArgs(AValue)) != 0)
    throw FFmpegException("Failed to add video hook function: " + AValue);
  Fusing_vhook = true;
}
