// Opening the input files of a job, and codec lookup by name.

#include <algorithm>
#include <mutex>
#include <utility>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegLogger.h"
#include "Src/UnicodeProtocol.h"

namespace {

// Encoders older presets name that the current libraries replace.
const char* ReplacementEncoder(const std::string& AName) {
  if (AName == "libfaac") return "aac";
  return nullptr;
}

// What the user knows an encoder by: the format it writes, for the encoders presets name that
// some builds of the libraries lack.
std::string EncoderFormatName(const std::string& AName) {
  if (AName == "libamr_nb" || AName == "libopencore_amrnb" || AName == "amr_nb") return "AMR-NB";
  if (AName == "libamr_wb" || AName == "libvo_amrwbenc" || AName == "amr_wb") return "AMR-WB";
  if (AName == "msmpeg4v1") return "MS-MPEG4 V1";
  return AName;
}

void SetDictInt(AVDictionary** ADict, const char* AKey, int64_t AValue) {
  av::av_dict_set(ADict, AKey, std::to_string(AValue).c_str(), 0);
}

// The stream of AType an output takes by itself, as the transcode chooses: one that carries data
// and is not discarded, the one with the most frames, the first of equal ones. nullptr when none.
AVStream* PreferredStream(AVFormatContext* AInput, AVMediaType AType) {
  AVStream* best = nullptr;
  for (unsigned i = 0; i < AInput->nb_streams; ++i) {
    AVStream* st = AInput->streams[i];
    if (st->codecpar->codec_type != AType || st->discard == AVDISCARD_ALL || !StreamCarriesData(st)) continue;
    if (!best || st->nb_frames > best->nb_frames) best = st;
  }
  return best;
}

}  // namespace

AVRational InputFrameRate(AVFormatContext* AInput, AVStream* AStream) {
  return av::av_guess_frame_rate(AInput, AStream, nullptr);
}

bool StreamCarriesData(const AVStream* AStream) {
  const AVCodecParameters* par = AStream->codecpar;
  if (AStream->event_flags & AVSTREAM_EVENT_FLAG_NEW_PACKETS) return true;
  switch (par->codec_type) {
    case AVMEDIA_TYPE_AUDIO: return par->ch_layout.nb_channels > 0;
    case AVMEDIA_TYPE_VIDEO: return par->width > 0 && par->height > 0;
    default: return true;
  }
}

void TCustomFFmpeg::TakeInputDefaults(AVFormatContext* AInput) {
  if (const AVStream* st = PreferredStream(AInput, AVMEDIA_TYPE_AUDIO)) {
    const AVCodecParameters* par = st->codecpar;
    Fchannel_layout = par->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? static_cast<int64_t>(par->ch_layout.u.mask) : 0;
    Faudio_channels = par->ch_layout.nb_channels;
    Faudio_sample_rate = par->sample_rate;
    Faudio_sample_fmt = par->format;
    Finput_defaults.sample_rate = Finput_defaults.channels = Finput_defaults.sample_fmt = true;
  }
  if (AVStream* st = PreferredStream(AInput, AVMEDIA_TYPE_VIDEO)) {
    const AVCodecParameters* par = st->codecpar;
    Fframe_width = par->width;
    Fframe_height = par->height;
    const AVRational sar = st->sample_aspect_ratio.num ? st->sample_aspect_ratio : par->sample_aspect_ratio;
    double ratio = sar.den ? static_cast<double>(sar.num) / sar.den : 0;
    if (par->width * par->height != 0)
      ratio = ratio == 0 ? static_cast<double>(par->width) / par->height : ratio * par->width / par->height;
    else if (ratio == 0)
      ratio = 4.0 / 3.0;
    Fframe_aspect_ratio = static_cast<float>(ratio);
    Fframe_pix_fmt = par->format;
    Fframe_rate = InputFrameRate(AInput, st);
    Finput_defaults.frame_rate = true;
  }
}

const AVCodec* TCustomFFmpeg::FindCodecOrDie(const std::string& AName, AVMediaType ACodecType, int AStrict,
                                             bool AEncoder) {
  if (AName.empty()) return nullptr;
  const char* kind = AEncoder ? "encoder" : "decoder";
  const AVCodec* codec =
      AEncoder ? av::avcodec_find_encoder_by_name(AName.c_str()) : av::avcodec_find_decoder_by_name(AName.c_str());
  if (!codec && AEncoder) {
    if (const char* replacement = ReplacementEncoder(AName)) {
      codec = av::avcodec_find_encoder_by_name(replacement);
      if (codec)
        GetLogger()->Log(this, TLogLevel::llInfo,
                         Printf("Encoder '%s' is not available, using '%s'", AName.c_str(), replacement));
    }
  }
  if (!codec && AEncoder) {
    // A codec's name stands for its default encoder ("h264": libx264), as in the command-line tool.
    codec = EncoderOfCodec(AName);
    if (codec)
      GetLogger()->Log(this, TLogLevel::llInfo, Printf("Encoder '%s' is used for codec '%s'", codec->name, AName.c_str()));
  }
  if (!codec && AEncoder)
    throw FFmpegException(Printf("此系统的 FFmpeg 没有 %s 编码器，请换用其他输出格式。(Unknown encoder '%s')",
                                 EncoderFormatName(AName).c_str(), AName.c_str()));
  if (!codec) throw FFmpegException(Printf("Unknown %s '%s'", kind, AName.c_str()));
  if (codec->type != ACodecType) throw FFmpegException(Printf("Invalid %s type '%s'", kind, AName.c_str()));
  if ((codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL) && AStrict > FF_COMPLIANCE_EXPERIMENTAL) {
    std::string text = Printf("%s '%s' is experimental and might produce bad results.\r\n"
                              "Add '-strict experimental' if you want to use it.",
                              kind, codec->name);
    const AVCodec* other = AEncoder ? av::avcodec_find_encoder(codec->id) : av::avcodec_find_decoder(codec->id);
    if (other && !(other->capabilities & AV_CODEC_CAP_EXPERIMENTAL))
      text += Printf("\r\nOr use the non experimental %s '%s'.", kind, other->name);
    throw FFmpegException(text);
  }
  return codec;
}

void TCustomFFmpeg::ResetInputOptions() {
  Fvideo_codec_name.clear();
  Faudio_codec_name.clear();
  Fsubtitle_codec_name.clear();
  Fvideo_channel = 0;
}

// An input being opened, released unless it is taken over.
struct TCustomFFmpeg::TOpening {
  AVFormatContext* Context = nullptr;
  AVIOContext* StreamIO = nullptr;  // a registered byte stream's I/O context, ours to free
  bool Opened = false;              // Context went through OpenInputFile
  TOpening() = default;
  TOpening(const TOpening&) = delete;
  TOpening& operator=(const TOpening&) = delete;
  ~TOpening() {
    if (Opened)
      CloseInputFile(&Context);
    else if (Context)
      av::avformat_free_context(Context);
    FreeStreamIO(&StreamIO);
  }
  // The context, now the caller's (with its byte stream's I/O context).
  AVFormatContext* Take() {
    StreamIO = nullptr;
    return std::exchange(Context, nullptr);
  }
};

namespace {

// The values of the option set an input's context takes, by name.
AVDictionary* ContextOptionsOf(const TFFOptions& AOpts) {
  AVDictionary* result = nullptr;
  void* source = AOpts.avformat_opts;
  if (!source) return nullptr;
  for (const std::string& name : AOpts.opt_names) {
    const AVOption* o = av::av_opt_find(source, name.c_str(), nullptr, 0, 0);
    if (!o || !(o->flags & AV_OPT_FLAG_DECODING_PARAM)) continue;
    uint8_t* text = nullptr;
    if (av::av_opt_get(source, name.c_str(), 0, &text) >= 0 && text)
      av::av_dict_set(&result, name.c_str(), reinterpret_cast<const char*>(text), 0);
    av::av_free(text);
  }
  return result;
}

std::string ChangedFileText(const std::string& AFileName) {
  return AFileName + ": the file was changed after it was added to the task";
}

}  // namespace

int64_t TCustomFFmpeg::OpenInputContext(const TInputReopen& AHow, TOpening& AOpening) {
  AOpening.Context = av::avformat_alloc_context();
  if (!AOpening.Context) throw FFmpegException(OutOfMemoryText);
  AVFormatContext*& ic = AOpening.Context;
  for (const AVDictionaryEntry* e = nullptr; (e = av::av_dict_get(AHow.ContextOptions.get(), "", e, AV_DICT_IGNORE_SUFFIX));)
    av::av_opt_set(ic, e->key, e->value, 0);
  ic->video_codec_id = AHow.VideoId;
  ic->audio_codec_id = AHow.AudioId;
  ic->subtitle_codec_id = AHow.SubtitleId;
  ic->flags |= AVFMT_FLAG_NONBLOCK;
  // A stop gives up a read that waits for bytes (a stalled pipe or network input).
  ic->interrupt_callback.callback = InputInterrupt;
  ic->interrupt_callback.opaque = this;

  // A registered byte stream is read through an I/O context of ours.
  if (const int streamId = TStreamRegistry::ParseStreamName(AHow.FileName)) {
    TStream* stream = TStreamRegistry::Find(streamId);
    if (stream) AOpening.StreamIO = NewStreamIO(stream, false);
    if (!AOpening.StreamIO)
      throw FFmpegException(AVErrorText(AHow.FileName, stream ? AVERROR(ENOMEM) : AVERROR(ENOENT)));
    ic->pb = AOpening.StreamIO;
    ic->flags |= AVFMT_FLAG_CUSTOM_IO;
  }

  AVDictionary* openParams = nullptr;
  av::av_dict_copy(&openParams, AHow.Params.get(), 0);
  AOpening.Opened = true;
  const int error = OpenInputFile(&ic, AHow.FileName, AHow.Format, &openParams);  // frees the context on failure
  std::unique_ptr<AVDictionary, TDictionaryDeleter> paramsOwner(openParams);
  if (error < 0) throw FFmpegException(AVErrorText(AHow.FileName, error));

  if (AHow.ProgramId) {
    for (unsigned i = 0; i < ic->nb_streams; ++i) ic->streams[i]->discard = AVDISCARD_ALL;
    bool found = false;
    for (unsigned p = 0; p < ic->nb_programs; ++p) {
      AVProgram* program = ic->programs[p];
      if (program->id != AHow.ProgramId) {
        program->discard = AVDISCARD_ALL;
        continue;
      }
      found = true;
      for (unsigned k = 0; k < program->nb_stream_indexes; ++k)
        ic->streams[program->stream_index[k]]->discard = AVDISCARD_DEFAULT;
    }
    if (!found) throw FFmpegException("Specified program id not found");
  }

  int result = 0;
  {
    std::lock_guard<TCriticalSection> guard(CodecLock());
    result = av::avformat_find_stream_info(ic, nullptr);
  }
  if (result < 0 && Fverbose >= 0) {
    const std::string text = Printf("%s: could not find codec parameters", AHow.FileName.c_str());
    GetLogger()->Log(this, TLogLevel::llVerbose, text);
    throw FFmpegException(text);
  }

  int64_t timestamp = AHow.StartTime;
  if (ic->start_time != AV_NOPTS_VALUE) timestamp += ic->start_time;
  if (AHow.StartTime != 0 && av::av_seek_frame(ic, -1, timestamp, AVSEEK_FLAG_BACKWARD) < 0 && Fverbose > 0)
    GetLogger()->Log(this, TLogLevel::llVerbose,
                     Printf("%s: could not seek to position %0.3f", AHow.FileName.c_str(), timestamp / 1000000.0));
  return timestamp;
}

int TCustomFFmpeg::OptInputFile(const std::string& AFileName) {
  // The options that describe one input (forced decoders, capture channel) are used up whether it
  // opens or not, so that a failed input cannot fail the next one too.
  struct TUsedUp {
    TCustomFFmpeg& Engine;
    ~TUsedUp() { Engine.ResetInputOptions(); }
  } usedUp{*this};
  TOpening opening;

  if (NbInputFiles() >= FMaxFiles)
    throw FFmpegException(Printf("Too many input files (this job takes at most %d)", FMaxFiles));
  ReopenInputs();

  TInputReopen how;
  how.FileName = AFileName;
  how.ByteStream = TStreamRegistry::ParseStreamName(AFileName) != 0;
  if (!Flast_asked_format.empty()) {
    // The name is used up either way, so that it cannot fail the next input too.
    const std::string name = std::move(Flast_asked_format);
    Flast_asked_format.clear();
    how.Format = av::av_find_input_format(name.c_str());
    if (!how.Format) throw FFmpegException(Printf("Unknown input format: \"%s\"", name.c_str()));
  }

  // The forced decoders, checked before anything is opened.
  auto strictOf = [&](AVMediaType type) {
    return FOptions.avcodec_opts[type] ? FOptions.avcodec_opts[type]->strict_std_compliance : 0;
  };
  auto forcedId = [&](const std::string& AName, AVMediaType AType) {
    const AVCodec* codec = FindCodecOrDie(AName, AType, strictOf(AType), false);
    return codec ? codec->id : AV_CODEC_ID_NONE;
  };
  how.VideoId = forcedId(Fvideo_codec_name, AVMEDIA_TYPE_VIDEO);
  how.AudioId = forcedId(Faudio_codec_name, AVMEDIA_TYPE_AUDIO);
  how.SubtitleId = forcedId(Fsubtitle_codec_name, AVMEDIA_TYPE_SUBTITLE);
  if (Fpgmyuv_compatibility_hack) how.VideoId = AV_CODEC_ID_PGMYUV;
  how.ContextOptions.reset(ContextOptionsOf(FOptions));

  // The capture and raw-input parameters go to the demuxer as options; demuxers without them
  // leave them unused.
  AVDictionary* params = nullptr;
  if (Fframe_rate.num > 0 && Fframe_rate.den > 0)
    av::av_dict_set(&params, "framerate", Printf("%d/%d", Fframe_rate.num, Fframe_rate.den).c_str(), 0);
  if (Faudio_sample_rate > 0) SetDictInt(&params, "sample_rate", Faudio_sample_rate);
  if (Faudio_channels > 0) SetDictInt(&params, "channels", Faudio_channels);
  if (Fframe_width > 0 && Fframe_height > 0)
    av::av_dict_set(&params, "video_size", Printf("%dx%d", Fframe_width, Fframe_height).c_str(), 0);
  if (Fframe_pix_fmt >= 0)
    if (const char* name = av::av_get_pix_fmt_name(static_cast<AVPixelFormat>(Fframe_pix_fmt)))
      av::av_dict_set(&params, "pixel_format", name, 0);
  if (Fvideo_channel) SetDictInt(&params, "channel", Fvideo_channel);
  if (!Fvideo_standard.empty()) av::av_dict_set(&params, "standard", Fvideo_standard.c_str(), 0);
  if (Floop_input) av::av_dict_set(&params, "loop", "1", 0);
  how.Params.reset(params);
  how.ProgramId = Fopt_programid;
  how.StartTime = Fstart_time;

  const int64_t timestamp = OpenInputContext(how, opening);
  AVFormatContext* const ic = opening.Context;
  Fopt_programid = 0;
  Fstart_time = 0;

  // The decoders forced by name, one entry per stream of this input (null when none was named).
  std::vector<const AVCodec*> decoders;
  auto decoderNamed = [&](const std::string& AName) {
    return AName.empty() ? nullptr : av::avcodec_find_decoder_by_name(AName.c_str());
  };
  for (unsigned i = 0; i < ic->nb_streams; ++i) {
    AVStream* st = ic->streams[i];
    AVCodecParameters* par = st->codecpar;
    switch (par->codec_type) {
      case AVMEDIA_TYPE_AUDIO:
        decoders.push_back(decoderNamed(Faudio_codec_name));
        if (Faudio_disable) st->discard = AVDISCARD_ALL;
        break;
      case AVMEDIA_TYPE_VIDEO:
        if (par->format < 0) par->format = 0;
        // The codec's own rate is the average rate today; the container's is the real base rate.
        if (Fverbose >= 0 && st->avg_frame_rate.num && st->r_frame_rate.num &&
            (st->avg_frame_rate.num != st->r_frame_rate.num || st->avg_frame_rate.den != st->r_frame_rate.den))
          GetLogger()->Log(this, TLogLevel::llInfo,
                           Printf("Seems stream %d codec frame rate differs from container frame rate: "
                                  "%2.2f (%d/%d) -> %2.2f (%d/%d)",
                                  static_cast<int>(i), static_cast<double>(st->avg_frame_rate.num) / st->avg_frame_rate.den,
                                  st->avg_frame_rate.num, st->avg_frame_rate.den,
                                  static_cast<double>(st->r_frame_rate.num) / st->r_frame_rate.den,
                                  st->r_frame_rate.num, st->r_frame_rate.den));
        decoders.push_back(decoderNamed(Fvideo_codec_name));
        if (Fvideo_disable)
          st->discard = AVDISCARD_ALL;
        else if (Fvideo_discard)
          st->discard = static_cast<AVDiscard>(Fvideo_discard);
        break;
      case AVMEDIA_TYPE_SUBTITLE:
        decoders.push_back(decoderNamed(Fsubtitle_codec_name));
        if (Fsubtitle_disable) st->discard = AVDISCARD_ALL;
        break;
      case AVMEDIA_TYPE_DATA:
      case AVMEDIA_TYPE_ATTACHMENT:
      case AVMEDIA_TYPE_UNKNOWN:
        decoders.push_back(nullptr);
        break;
      default: throw FFmpegException("invalid codec_type");
    }
  }
  // The outputs' defaults come from the streams an output takes by itself, not from whichever
  // stream of a kind comes last.
  TakeInputDefaults(ic);
  if (ic->duration != AV_NOPTS_VALUE && ic->duration > FTotalOutputDuration) FTotalOutputDuration = ic->duration;

  for (unsigned i = 0; i < ic->nb_streams; ++i) {
    how.Discards.push_back(ic->streams[i]->discard);
    how.Streams.emplace_back(ic->streams[i]->codecpar->codec_type, ic->streams[i]->codecpar->codec_id);
  }
  if (!how.ByteStream) how.Stamp = TFileStamp::Of(LocalFileName(AFileName));

  // Registered from here on: the input (and its byte stream's I/O context) is released with the
  // job's inputs.
  AVFormatContext* const input = opening.Take();
  const int index = NbInputFiles();
  Finput_files.push_back(input);
  FInputReopens.push_back(std::move(how));
  Finput_files_ts_offset.push_back(Fcopy_ts ? Finput_ts_offset : Finput_ts_offset - timestamp);
  Finput_codecs.insert(Finput_codecs.end(), decoders.begin(), decoders.end());
  if (Finput_files_ts_scale.size() < Finput_files.size()) Finput_files_ts_scale.resize(Finput_files.size());

  if (Fverbose >= 0) {
    const std::string name = FileNameToAVName(AFileName);
    av::av_dump_format(input, index, name.c_str(), 0);
  }
  return NbInputFiles();
}

// ---- letting go of the inputs until the run ----

bool TCustomFFmpeg::ReleaseInputs() {
  if (FInputsReleased || Finput_files.empty()) return false;
  for (const TInputReopen& how : FInputReopens)
    if (how.ByteStream) return false;
  for (AVFormatContext*& ctx : Finput_files) CloseInputFile(&ctx);
  FInputsReleased = true;
  return true;
}

void TCustomFFmpeg::ReopenInputs() {
  if (!FInputsReleased) return;
  std::vector<AVFormatContext*> opened;
  try {
    for (const TInputReopen& how : FInputReopens) opened.push_back(OpenInputAgain(how));
  } catch (...) {
    for (AVFormatContext*& ctx : opened) CloseInputFile(&ctx);
    throw;
  }
  std::copy(opened.begin(), opened.end(), Finput_files.begin());
  FInputsReleased = false;
}

AVFormatContext* TCustomFFmpeg::OpenInputAgain(const TInputReopen& AHow) {
  // The set-up was made for the file as it was: one that was written to or replaced since is
  // not converted as if it were the same.
  if (AHow.Stamp) {
    const std::optional<TFileStamp> now = TFileStamp::Of(LocalFileName(AHow.FileName));
    if (!now) throw FFmpegException(AVErrorText(AHow.FileName, AVERROR(ENOENT)));
    if (!(*now == *AHow.Stamp)) throw FFmpegException(ChangedFileText(AHow.FileName));
  }
  TOpening opening;
  (void)OpenInputContext(AHow, opening);
  AVFormatContext* ic = opening.Context;
  bool same = ic->nb_streams == AHow.Streams.size();
  for (unsigned i = 0; same && i < ic->nb_streams; ++i) {
    AVCodecParameters* par = ic->streams[i]->codecpar;
    same = par->codec_type == AHow.Streams[i].first && par->codec_id == AHow.Streams[i].second;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO && par->format < 0) par->format = 0;
    ic->streams[i]->discard = AHow.Discards[i];
  }
  if (!same) throw FFmpegException(ChangedFileText(AHow.FileName));
  return opening.Take();
}

const std::string& TCustomFFmpeg::InputFileName(int AIndex) const { return FInputReopens.at(AIndex).FileName; }
