// Creating the output files of a job and their streams.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <climits>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <set>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegLogger.h"
#include "Src/FileIdentity.h"
#include "Src/UnicodeProtocol.h"

namespace {

// The subtitle codec an output takes when none is named: the format's own (ASS in Matroska), else
// timed text where the format can store it (MP4, MOV, 3GP, whose muxers name no default).
AVCodecID SubtitleCodecOf(const AVOutputFormat* AFormat, const char* AName) {
  const AVCodecID id = av::av_guess_codec(AFormat, nullptr, AName, nullptr, AVMEDIA_TYPE_SUBTITLE);
  if (id != AV_CODEC_ID_NONE) return id;
  return av::avformat_query_codec(AFormat, AV_CODEC_ID_MOV_TEXT, FF_COMPLIANCE_NORMAL) == 1 ? AV_CODEC_ID_MOV_TEXT
                                                                                          : AV_CODEC_ID_NONE;
}

// Whether a local file could be written, seen without creating or truncating anything: 0, or the
// error code opening it for writing would give (a folder given as the output, a missing or
// unwritable folder, an unwritable file, a name too long).
int CheckOutputWritable(const std::string& AName) {
  struct stat st {};
  if (::stat(AName.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return AVERROR(EISDIR);
    return ::access(AName.c_str(), W_OK) == 0 ? 0 : AVERROR(errno);
  }
  if (errno != ENOENT) return AVERROR(errno);
  const size_t slash = AName.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : AName.substr(0, slash);
  if (AName.size() - (slash == std::string::npos ? 0 : slash + 1) > NAME_MAX) return AVERROR(ENAMETOOLONG);
  if (::stat(folder.c_str(), &st) != 0) return AVERROR(errno);
  if (!S_ISDIR(st.st_mode)) return AVERROR(ENOTDIR);
  return ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : AVERROR(errno);
}

bool MuxerHasOption(const AVOutputFormat* AFormat, const char* AName) {
  return AFormat && AFormat->priv_class &&
         av::av_opt_find(const_cast<const AVClass**>(&AFormat->priv_class), AName, nullptr, 0,
                         AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
}

// The nearest fraction with both terms at most 255 to the display aspect turned into a sample
// aspect for that picture size (4:3 pictures when the size is unknown).
AVRational SampleAspect(float AAspect, int AWidth, int AHeight) {
  const double ratio = AWidth && AHeight ? AAspect * AHeight / static_cast<double>(AWidth) : AAspect * 3.0 / 4.0;
  return av::av_d2q(ratio, 255);
}

void ChoosePixelFormat(AVCodecContext* AEnc, const AVCodec* ACodec) {
  if (!ACodec || !ACodec->pix_fmts) return;
  for (const AVPixelFormat* p = ACodec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
    if (*p == AEnc->pix_fmt) return;
  if (ACodec->id == AV_CODEC_ID_MJPEG && AEnc->strict_std_compliance < 0 &&
      (AEnc->pix_fmt == AV_PIX_FMT_YUV420P || AEnc->pix_fmt == AV_PIX_FMT_YUV422P))
    return;
  AEnc->pix_fmt = ACodec->pix_fmts[0];
}

void ChooseSampleFormat(AVCodecContext* AEnc, const AVCodec* ACodec) {
  if (!ACodec || !ACodec->sample_fmts) return;
  for (const AVSampleFormat* p = ACodec->sample_fmts; *p != AV_SAMPLE_FMT_NONE; ++p)
    if (*p == AEnc->sample_fmt) return;
  AEnc->sample_fmt = ACodec->sample_fmts[0];
}

void ChooseSampleRate(TObject* ASender, AVCodecContext* AEnc, const AVCodec* ACodec) {
  if (!ACodec || !ACodec->supported_samplerates) return;
  int best = 0, bestDistance = INT32_MAX;
  for (const int* p = ACodec->supported_samplerates; *p; ++p) {
    const int distance = std::abs(AEnc->sample_rate - *p);
    if (distance < bestDistance) {
      best = *p;
      bestDistance = distance;
    }
  }
  if (bestDistance)
    GetLogger()->Log(ASender, TLogLevel::llWarning,
                     Printf("Requested sampling rate unsupported using closest supported (%d)", best));
  AEnc->sample_rate = best;
}

// Of the layouts an encoder takes, the one nearest AWanted: AWanted itself; else the one with the
// most channels up to AWanted's count, sharing most of its channels; else the one with the fewest
// channels above it. Nothing when the encoder does not list its layouts (it takes any) or takes
// AWanted.
const AVChannelLayout* NearestChannelLayout(const AVCodec* ACodec, const AVChannelLayout& AWanted) {
  if (!ACodec || !ACodec->ch_layouts) return nullptr;
  const int wanted = AWanted.nb_channels;
  const uint64_t mask = AWanted.order == AV_CHANNEL_ORDER_NATIVE ? AWanted.u.mask : 0;
  const AVChannelLayout* best = nullptr;
  auto better = [&](const AVChannelLayout& A, const AVChannelLayout& B) {
    const bool aFits = A.nb_channels <= wanted, bFits = B.nb_channels <= wanted;
    if (aFits != bFits) return aFits;
    if (A.nb_channels != B.nb_channels) return aFits ? A.nb_channels > B.nb_channels : A.nb_channels < B.nb_channels;
    const auto shared = [&](const AVChannelLayout& L) {
      return L.order == AV_CHANNEL_ORDER_NATIVE ? __builtin_popcountll(L.u.mask & mask) : 0;
    };
    return shared(A) > shared(B);
  };
  for (const AVChannelLayout* layout = ACodec->ch_layouts; layout->nb_channels; ++layout) {
    if (av::av_channel_layout_compare(layout, &AWanted) == 0) return nullptr;
    if (!best || better(*layout, *best)) best = layout;
  }
  return best;
}

std::string LayoutName(const AVChannelLayout& ALayout) {
  char text[128] = {};
  av::av_channel_layout_describe(&ALayout, text, sizeof text);
  return text;
}

const char* EncoderKind(AVMediaType AType) {
  return AType == AVMEDIA_TYPE_VIDEO ? "video" : AType == AVMEDIA_TYPE_AUDIO ? "audio" : "subtitle";
}

int KindIndex(AVMediaType AType) { return AType == AVMEDIA_TYPE_VIDEO ? 0 : AType == AVMEDIA_TYPE_AUDIO ? 1 : 2; }

// The files outputs have claimed (TOutputFileClaim keys).
struct TClaimedFiles {
  std::mutex Lock;
  std::set<std::string> Keys;
};

TClaimedFiles& ClaimedFiles() {
  static TClaimedFiles files;
  return files;
}

}  // namespace

bool TOutputFileClaim::Claim(const std::string& AFileName) {
  Release();
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(AFileName, error);
  if (error) path = AFileName;
  const std::filesystem::path normal = std::filesystem::weakly_canonical(path, error);
  const std::string key = (error ? path.lexically_normal() : normal).string();
  TClaimedFiles& files = ClaimedFiles();
  std::lock_guard<std::mutex> guard(files.Lock);
  if (!files.Keys.insert(key).second) return false;
  FKey = key;
  return true;
}

void TOutputFileClaim::Release() {
  if (FKey.empty()) return;
  TClaimedFiles& files = ClaimedFiles();
  std::lock_guard<std::mutex> guard(files.Lock);
  files.Keys.erase(FKey);
  FKey.clear();
}

void TCustomFFmpeg::CheckAudioVideoSubInputs(bool& AHasVideo, bool& AHasAudio, bool AFirstOnly,
                                                 bool& AHasSubtitle, std::vector<std::string>* AEmpty) const {
  AHasVideo = AHasAudio = AHasSubtitle = false;
  const size_t count = AFirstOnly ? std::min<size_t>(1, Finput_files.size()) : Finput_files.size();
  for (size_t j = 0; j < count; ++j) {
    const AVFormatContext* ic = Finput_files[j];
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
      const AVStream* st = ic->streams[i];
      const AVMediaType type = st->codecpar->codec_type;
      switch (type) {
        case AVMEDIA_TYPE_VIDEO:
        case AVMEDIA_TYPE_AUDIO:
        case AVMEDIA_TYPE_SUBTITLE:
          if (!StreamCarriesData(st)) {
            if (AEmpty) AEmpty->push_back(Printf("#%d.%u (%s)", static_cast<int>(j), i, MediaTypeName(type).c_str()));
            break;
          }
          (type == AVMEDIA_TYPE_VIDEO ? AHasVideo : type == AVMEDIA_TYPE_AUDIO ? AHasAudio : AHasSubtitle) = true;
          break;
        case AVMEDIA_TYPE_DATA:
        case AVMEDIA_TYPE_ATTACHMENT:
        case AVMEDIA_TYPE_UNKNOWN: break;
        default: throw FFmpegException("invalid codec_type of input file");
      }
    }
  }
}

std::string TCustomFFmpeg::SubtitleLeftOutBecause(const AVOutputFormat* AFormat, const std::string& AName,
                                                  bool AFirstOnly) const {
  const AVCodecID id = SubtitleCodecOf(AFormat, AName.c_str());
  if (id == AV_CODEC_ID_NONE) return Printf("the %s format carries no subtitles", AFormat->name);
  if (!av::avcodec_find_encoder(id))
    return Printf("no encoder for subtitle codec '%s' is available", av::avcodec_get_name(id));
  constexpr int kinds = AV_CODEC_PROP_TEXT_SUB | AV_CODEC_PROP_BITMAP_SUB;
  const AVCodecDescriptor* out = av::avcodec_descriptor_get(id);
  const int outKind = out ? out->props & kinds : 0;
  const size_t count = AFirstOnly ? std::min<size_t>(1, Finput_files.size()) : Finput_files.size();
  for (size_t j = 0; j < count; ++j) {
    const AVFormatContext* ic = Finput_files[j];
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
      const AVCodecParameters* par = ic->streams[i]->codecpar;
      if (par->codec_type != AVMEDIA_TYPE_SUBTITLE) continue;
      const AVCodecDescriptor* in = av::avcodec_descriptor_get(par->codec_id);
      const int inKind = in ? in->props & kinds : 0;
      if (!inKind || !outKind || (inKind & outKind)) return std::string();
    }
  }
  return Printf("%s subtitles cannot be made from the subtitles of the input",
                outKind & AV_CODEC_PROP_TEXT_SUB ? "text" : "picture");
}

int TCustomFFmpeg::OptOutputFile(const std::string& AFileName, bool AJoin) {
  if (FJoinMode) throw FFmpegException("Cannot join more than one output file.");
  if (NbOutputFiles() >= FMaxFiles)
    throw FFmpegException(Printf("Too many output files (this job takes at most %d)", FMaxFiles));
  ReopenInputs();  // the streams of the inputs decide the output's
  FEnableFilter = !Fvfilters.empty();

  const std::string avName = FileNameToAVName(AFileName);
  const AVOutputFormat* format = nullptr;
  if (!Flast_asked_format.empty()) {
    format = av::av_guess_format(Flast_asked_format.c_str(), nullptr, nullptr);
    if (!format)
      throw FFmpegException(
          Printf("Requested output format '%s' is not a suitable output format", Flast_asked_format.c_str()));
    Flast_asked_format.clear();
  } else {
    // The extension decides: a "unicode:" URL still ends with the file's own name.
    format = av::av_guess_format(nullptr, AFileName.c_str(), nullptr);
    if (!format) throw FFmpegException(Printf("Unable to find a suitable output format for '%s'", AFileName.c_str()));
  }

  auto file = std::make_shared<TOutputFileSetup>();
  file->file_name = AFileName;
  // A refused output leaves no entries behind for the streams it had made.
  struct TCodecsGuard {
    std::vector<const AVCodec*>& Codecs;
    size_t Size;
    bool Keep = false;
    ~TCodecsGuard() {
      if (!Keep) Codecs.resize(Size);
    }
  } codecsGuard{Foutput_codecs, Foutput_codecs.size()};
  if (av::avformat_alloc_output_context2(&file->ctx, format, nullptr, avName.c_str()) < 0 || !file->ctx)
    throw FFmpegException(OutOfMemoryText);
  AVFormatContext* oc = file->ctx;
  // A stop that finds the worker stuck in a write (a stalled pipe or network output) gives it up.
  oc->interrupt_callback.callback = OutputInterrupt;
  oc->interrupt_callback.opaque = this;

  bool useVideo = format->video_codec != AV_CODEC_ID_NONE || Fvideo_stream_copy || !Fvideo_codec_name.empty();
  bool useAudio = format->audio_codec != AV_CODEC_ID_NONE || Faudio_stream_copy || !Faudio_codec_name.empty();
  bool useSubtitle =
      format->subtitle_codec != AV_CODEC_ID_NONE || Fsubtitle_stream_copy || !Fsubtitle_codec_name.empty();
  if (!Finput_files.empty()) {
    bool hasVideo = false, hasAudio = false, hasSubtitle = false;
    std::vector<std::string> empty;
    try {
      CheckAudioVideoSubInputs(hasVideo, hasAudio, AJoin, hasSubtitle, &empty);
    } catch (const Exception& e) {
      throw FFmpegException("Could not tell which kinds of streams the inputs hold: " + e.Message);
    }
    for (const std::string& stream : empty)
      GetLogger()->Log(this, TLogLevel::llWarning,
                       Printf("Input stream %s carries no data and is left out of %s", stream.c_str(), AFileName.c_str()));
    useVideo = useVideo && hasVideo;
    useAudio = useAudio && hasAudio;
    // Whether the format can carry the inputs' subtitles is decided below, with a reason.
    useSubtitle = hasSubtitle;
  }
  if (Fvideo_disable) useVideo = false;
  if (Faudio_disable) useAudio = false;
  if (Fsubtitle_disable) useSubtitle = false;
  if (useSubtitle && !Fsubtitle_stream_copy && Fsubtitle_codec_name.empty()) {
    // The format's subtitle codec (SubtitleCodecOf), and only for inputs whose
    // subtitles are of its kind (text or pictures); otherwise the output goes without them.
    const std::string why = SubtitleLeftOutBecause(format, avName, AJoin);
    if (!why.empty()) {
      GetLogger()->Log(this, TLogLevel::llInfo,
                       Printf("Subtitles are left out of %s: %s", AFileName.c_str(), why.c_str()));
      useSubtitle = false;
    }
  }

  struct TStep {
    bool Use;
    void (TCustomFFmpeg::*Create)(TOutputFileSetup&);
    const char* Kind;
  };
  for (const TStep& step : {TStep{useVideo, &TCustomFFmpeg::NewVideoStream, "video"},
                            TStep{useAudio, &TCustomFFmpeg::NewAudioStream, "audio"},
                            TStep{useSubtitle, &TCustomFFmpeg::NewSubtitleStream, "subtitle"}}) {
    if (!step.Use) continue;
    try {
      (this->*step.Create)(*file);
    } catch (const Exception& e) {
      throw FFmpegException(
          Printf("Could not add the %s stream to '%s': %s", step.Kind, AFileName.c_str(), e.Message.c_str()));
    }
  }

  // The header time stamp of older muxers is the "creation_time" tag today.
  if (Frecording_timestamp != 0) {
    const std::time_t seconds = static_cast<std::time_t>(Frecording_timestamp);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000000Z", &utc);
    av::av_dict_set(&oc->metadata, "creation_time", text, 0);
  }
  // Of two pairs with the same key the one given first stays.
  for (auto it = Fmetadata.rbegin(); it != Fmetadata.rend(); ++it)
    av::av_dict_set(&oc->metadata, it->first.c_str(), it->second.c_str(), 0);
  Fmetadata.clear();

  if ((format->flags & AVFMT_NEEDNUMBER) && !av::av_filename_number_test(oc->url))
    throw FFmpegException(AFileName + ": Number syntax expected in filename");
  if (const int streamId = TStreamRegistry::ParseStreamName(AFileName)) {
    // A registered byte stream is written through an I/O context of ours.
    TStream* stream = TStreamRegistry::Find(streamId);
    oc->pb = stream ? NewStreamIO(stream, true) : nullptr;
    if (!oc->pb) throw FFmpegException(AVErrorText(AFileName, stream ? AVERROR(ENOMEM) : AVERROR(ENOENT)));
    oc->flags |= AVFMT_FLAG_CUSTOM_IO;
    file->stream_io = true;
  } else if (!(format->flags & AVFMT_NOFILE)) {
    // The file itself is opened (and an existing one replaced) only when the run starts
    // (OpenOutputFiles): a task that is removed or never started leaves the disk as it was. What
    // can be seen now is checked now.
    const std::string local = LocalFileName(AFileName);
    if (!local.empty()) {
      if (const int refused = CheckOutputWritable(local); refused < 0)
        throw FFmpegException(AVErrorText(AFileName, refused));
      const std::string protectedBy = ProtectedFileText(AFileName);
      if (!protectedBy.empty()) throw FFmpegException(protectedBy);
      // Another output writing the same file (of a task converting beside this one, say) would mix
      // its bytes with this one's: the file stays the first one's. The claim is held from now on,
      // so no other output is described for it either.
      if (!file->claim.Claim(local))
        throw FFmpegException(Printf("%s: the file is already the output of another task", AFileName.c_str()));
    }
  }

  oc->max_delay = static_cast<int>(Fmux_max_delay * 1000000);
  oc->flags |= AVFMT_FLAG_NONBLOCK;
  AVDictionary* muxerOpts = FMuxerOpts.release();
  if (MuxerHasOption(format, "preload") && !av::av_dict_get(muxerOpts, "preload", nullptr, 0))
    av::av_dict_set(&muxerOpts, "preload", std::to_string(static_cast<int>(Fmux_preload * 1000000)).c_str(), 0);
  if (Floop_output >= 0 && MuxerHasOption(format, "loop"))
    av::av_dict_set(&muxerOpts, "loop", std::to_string(Floop_output).c_str(), 0);
  // Private options of other muxers than this one are dropped with a note.
  const AVDictionaryEntry* entry = nullptr;
  AVDictionary* kept = nullptr;
  while ((entry = av::av_dict_get(muxerOpts, "", entry, AV_DICT_IGNORE_SUFFIX))) {
    if (MuxerHasOption(format, entry->key))
      av::av_dict_set(&kept, entry->key, entry->value, 0);
    else
      GetLogger()->Log(this, TLogLevel::llInfo,
                       Printf("Option %s is not used by the %s muxer, skipped", entry->key, format->name));
  }
  av::av_dict_free(&muxerOpts);
  file->muxer_opts = kept;
  ApplyFFOptions(FOptions, oc, FOptions.avformat_opts, AV_OPT_FLAG_ENCODING_PARAM);

  Fstreamid_map.clear();
  Foutput_files.push_back(file);
  codecsGuard.Keep = true;

  if (AJoin && Finput_files.size() > 1) {
    FJoinMode = true;
    int64_t total = 0;
    for (AVFormatContext* ic : Finput_files)
      if (ic->duration != AV_NOPTS_VALUE && ic->duration > 0) total += ic->duration;
    FTotalOutputDuration = total == 0 ? -1 : total;
    while (Foutput_files.size() < Finput_files.size()) Foutput_files.push_back(file);
  }
  return NbOutputFiles();
}

std::string TCustomFFmpeg::ProtectedFileText(const std::string& AFileName) const {
  const std::optional<TFileIdentity> output = TFileIdentity::Of(LocalFileName(AFileName));
  if (!output || !output->Exists()) return {};
  for (size_t i = 0; i < Finput_files.size(); ++i) {
    const std::string input = AVNameToFileName(Finput_files[i]->url ? Finput_files[i]->url : "");
    if (TFileIdentity::Of(LocalFileName(input)) == output)
      return Printf("Output file '%s' is the same file as input file #%d '%s'; a file cannot be replaced by its "
                    "own conversion",
                    AFileName.c_str(), static_cast<int>(i), input.c_str());
  }
  for (const TProtectedFile& file : FProtectedFiles)
    if (file.Identity == *output)
      return Printf("Output file '%s' is the same file as '%s', an input of this batch; it is not replaced",
                    AFileName.c_str(), file.Name.c_str());
  return {};
}

void TCustomFFmpeg::OpenOutputFiles() {
  // Join mode registers one file several times; it is opened once (its I/O context is then set).
  for (const auto& entry : Foutput_files) {
    TOutputFileSetup& file = *entry;
    AVFormatContext* oc = file.ctx;
    if (file.stream_io || oc->pb || (oc->oformat->flags & AVFMT_NOFILE)) continue;
    const std::string protectedBy = ProtectedFileText(file.file_name);
    if (!protectedBy.empty()) throw FFmpegException(protectedBy);
    const std::string local = LocalFileName(file.file_name);
    std::error_code error;
    const bool existed = local.empty() || std::filesystem::exists(local, error);
    const int result = OpenOutputFile(oc, file.file_name, nullptr);
    if (result < 0) throw FFmpegException(AVErrorText(file.file_name, result));
    file.created_file = !existed;
  }
}

void TCustomFFmpeg::SetProtectedFiles(std::vector<TProtectedFile> AFiles) { FProtectedFiles = std::move(AFiles); }

void TCustomFFmpeg::OptNewVideoStream() {
  if (Foutput_files.empty()) throw FFmpegException("At least one output file must be specified");
  NewVideoStream(*Foutput_files.back());
}

void TCustomFFmpeg::OptNewAudioStream() {
  if (Foutput_files.empty()) throw FFmpegException("At least one output file must be specified");
  NewAudioStream(*Foutput_files.back());
}

void TCustomFFmpeg::OptNewSubtitleStream() {
  if (Foutput_files.empty()) throw FFmpegException("At least one output file must be specified");
  NewSubtitleStream(*Foutput_files.back());
}

TOutputStreamSetup& TCustomFFmpeg::AttachStream(TOutputFileSetup& AFile, std::unique_ptr<TOutputStreamSetup> AStream,
                                               const std::string& ALanguage) {
  AFile.streams.reserve(AFile.streams.size() + 1);  // nothing fails once the stream exists
  AVStream* st = av::avformat_new_stream(AFile.ctx, nullptr);
  if (!st) throw FFmpegException("Could not alloc stream");
  const size_t index = static_cast<size_t>(st->index);
  if (index < Fstreamid_map.size()) st->id = Fstreamid_map[index];
  st->codecpar->codec_type = AStream->type;
  if (!ALanguage.empty()) av::av_dict_set(&st->metadata, "language", ALanguage.c_str(), 0);
  AStream->st = st;
  AFile.streams.push_back(std::move(AStream));
  return *AFile.streams.back();
}

void TCustomFFmpeg::ChooseEncoder(TOutputStreamSetup& AStream, AVFormatContext* AOutput, std::string& ACodecName) {
  const AVMediaType type = AStream.type;
  AVCodecID id = AV_CODEC_ID_NONE;
  const AVCodecContext* defaults = FOptions.avcodec_opts[type];
  if (!ACodecName.empty()) {
    AStream.codec = FindCodecOrDie(ACodecName, type, defaults ? defaults->strict_std_compliance : 0, true);
    AStream.codec_named = true;
  } else {
    id = type == AVMEDIA_TYPE_SUBTITLE ? SubtitleCodecOf(AOutput->oformat, AOutput->url)
                                       : av::av_guess_codec(AOutput->oformat, nullptr, AOutput->url, nullptr, type);
    AStream.codec = av::avcodec_find_encoder(id);
    // The format's own codec without an encoder in the installed libraries: say which.
    if (!AStream.codec)
      throw FFmpegException(Printf("No %s encoder for codec '%s' is available in the installed media libraries",
                                   EncoderKind(type), av::avcodec_get_name(id)));
  }
  AStream.enc = av::avcodec_alloc_context3(AStream.codec);
  if (!AStream.enc) throw FFmpegException(OutOfMemoryText);
  AStream.enc->codec_type = type;
  AStream.enc->codec_id = AStream.codec ? AStream.codec->id : id;
}

void TCustomFFmpeg::SetEncoderAudioFormat(TOutputStreamSetup& AStream, const TAudioFormat& AFormat) {
  AStream.audio_format = AFormat;
  AVCodecContext* enc = AStream.enc;
  av::av_channel_layout_uninit(&enc->ch_layout);
  const uint64_t mask = static_cast<uint64_t>(AFormat.channel_layout);
  if (mask && __builtin_popcountll(mask) == AFormat.channels) {
    enc->ch_layout.order = AV_CHANNEL_ORDER_NATIVE;
    enc->ch_layout.nb_channels = AFormat.channels;
    enc->ch_layout.u.mask = mask;
  } else {
    av::av_channel_layout_default(&enc->ch_layout, AFormat.channels);
  }
  // The input's layout (no count was asked for): an encoder that cannot take it gets the nearest
  // one it can, and the sound is remixed to that.
  if (AStream.from_input.channels)
    if (const AVChannelLayout* nearest = NearestChannelLayout(AStream.codec, enc->ch_layout)) {
      GetLogger()->Log(this, TLogLevel::llInfo,
                       Printf("Encoder %s cannot take channel layout %s; using %s", AStream.codec->name,
                              LayoutName(enc->ch_layout).c_str(), LayoutName(*nearest).c_str()));
      av::av_channel_layout_uninit(&enc->ch_layout);
      av::av_channel_layout_copy(&enc->ch_layout, nearest);
    }
  enc->sample_fmt = static_cast<AVSampleFormat>(AFormat.sample_fmt);
  enc->sample_rate = AFormat.sample_rate;
  ChooseSampleFormat(enc, AStream.codec);
  ChooseSampleRate(this, enc, AStream.codec);
}

void TCustomFFmpeg::SetEncoderFrameRate(TOutputStreamSetup& AStream, AVRational ARate) {
  AStream.frame_rate = ARate;
  AVRational rate = ARate.num > 0 && ARate.den > 0 ? ARate : AVRational{25, 1};
  if (AStream.codec && AStream.codec->supported_framerates && !Fforce_fps)
    rate = AStream.codec->supported_framerates[av::av_find_nearest_q_idx(rate, AStream.codec->supported_framerates)];
  // The MPEG-4 standard counts time in at most 65535 ticks a second.
  if (AStream.enc->codec_id == AV_CODEC_ID_MPEG4) av::av_reduce(&rate.num, &rate.den, rate.num, rate.den, 65535);
  AStream.enc->time_base = AVRational{rate.den, rate.num};
  AStream.enc->framerate = rate;
}

void TCustomFFmpeg::HandOverPrivateOptions(TOutputStreamSetup& AStream) {
  auto& pending = FCodecOpts[KindIndex(AStream.type)];
  AVDictionary* options = pending.release();
  const AVClass* const* privClass = AStream.codec ? &AStream.codec->priv_class : nullptr;
  const AVDictionaryEntry* entry = nullptr;
  while ((entry = av::av_dict_get(options, "", entry, AV_DICT_IGNORE_SUFFIX))) {
    const bool known = privClass && *privClass &&
                       av::av_opt_find(const_cast<const AVClass**>(privClass), entry->key, nullptr, 0,
                                       AV_OPT_SEARCH_FAKE_OBJ);
    if (known)
      av::av_dict_set(&AStream.codec_opts, entry->key, entry->value, 0);
    else
      GetLogger()->Log(this, TLogLevel::llInfo,
                       Printf("Option %s is not used by encoder %s, skipped", entry->key,
                              AStream.codec ? AStream.codec->name : "(none)"));
  }
  av::av_dict_free(&options);
}

void TCustomFFmpeg::ParseRcOverride(TOutputStreamSetup& AStream) {
  const std::string& text = Fvideo_rc_override_string;
  size_t pos = 0;
  while (pos < text.size()) {
    TRcOverride entry;
    const char* start = text.c_str() + pos;
    char* end = nullptr;
    entry.start_frame = static_cast<int>(std::strtol(start, &end, 10));
    if (end == start || !*end) throw FFmpegException("error parsing rc_override");
    const char* second = end + 1;
    entry.end_frame = static_cast<int>(std::strtol(second, &end, 10));
    if (end == second || !*end) throw FFmpegException("error parsing rc_override");
    const int q = static_cast<int>(std::strtol(end + 1, nullptr, 10));
    if (q > 0) {
      entry.qscale = q;
      entry.quality_factor = 1.0f;
    } else {
      entry.qscale = 0;
      entry.quality_factor = -q / 100.0f;
    }
    AStream.rc_override.push_back(entry);
    const size_t slash = text.find('/', static_cast<size_t>(end + 1 - text.c_str()));
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  if (AStream.rc_override.empty()) return;
  auto* array = static_cast<RcOverride*>(av::av_mallocz(sizeof(RcOverride) * AStream.rc_override.size()));
  if (!array) throw FFmpegException("error parsing rc_override");
  for (size_t i = 0; i < AStream.rc_override.size(); ++i) {
    array[i].start_frame = AStream.rc_override[i].start_frame;
    array[i].end_frame = AStream.rc_override[i].end_frame;
    array[i].qscale = AStream.rc_override[i].qscale;
    array[i].quality_factor = AStream.rc_override[i].quality_factor;
  }
  AStream.enc->rc_override = array;
  AStream.enc->rc_override_count = static_cast<int>(AStream.rc_override.size());
}

void TCustomFFmpeg::NewVideoStream(TOutputFileSetup& AFile) {
  AVFormatContext* oc = AFile.ctx;
  auto stream = std::make_unique<TOutputStreamSetup>();
  stream->type = AVMEDIA_TYPE_VIDEO;
  const AVRational sar = SampleAspect(Fframe_aspect_ratio, Fframe_width, Fframe_height);
  try {
    if (Fvideo_stream_copy) {
      stream->stream_copy = true;
      stream->enc = av::avcodec_alloc_context3(nullptr);
      if (!stream->enc) throw FFmpegException(OutOfMemoryText);
      stream->enc->codec_type = AVMEDIA_TYPE_VIDEO;
      stream->enc->sample_aspect_ratio = sar;
    } else {
      ChooseEncoder(*stream, oc, Fvideo_codec_name);
      AVCodecContext* enc = stream->enc;
      ApplyFFOptions(FOptions, enc, FOptions.avcodec_opts[AVMEDIA_TYPE_VIDEO],
                     AV_OPT_FLAG_ENCODING_PARAM | AV_OPT_FLAG_VIDEO_PARAM);
      HandOverPrivateOptions(*stream);
      stream->from_input.frame_rate = Finput_defaults.frame_rate;
      SetEncoderFrameRate(*stream, Fframe_rate);
      enc->width = Fframe_width;
      enc->height = Fframe_height;
      enc->sample_aspect_ratio = sar;
      enc->pix_fmt = static_cast<AVPixelFormat>(Fframe_pix_fmt);
      ChoosePixelFormat(enc, stream->codec);
      if (Fintra_only) enc->gop_size = 0;
      if (Fvideo_qscale != 0 || Fsame_quality) {
        enc->flags |= AV_CODEC_FLAG_QSCALE;
        enc->global_quality = static_cast<int>(FF_QP2LAMBDA * Fvideo_qscale);
      }
      auto copyMatrix = [](const std::vector<uint16_t>& AMatrix) -> uint16_t* {
        if (AMatrix.empty()) return nullptr;
        auto* m = static_cast<uint16_t*>(av::av_malloc(64 * sizeof(uint16_t)));
        if (m) std::copy(AMatrix.begin(), AMatrix.end(), m);
        return m;
      };
      enc->intra_matrix = copyMatrix(Fintra_matrix);
      enc->inter_matrix = copyMatrix(Finter_matrix);
      ParseRcOverride(*stream);
      if (enc->rc_initial_buffer_occupancy == 0) enc->rc_initial_buffer_occupancy = enc->rc_buffer_size * 3 / 4;
      enc->intra_dc_precision = Fintra_dc_precision - 8;
      if (Fdo_pass == 1) enc->flags |= AV_CODEC_FLAG_PASS1;
      if (Fdo_pass == 2) enc->flags |= AV_CODEC_FLAG_PASS2;
      if (Fdo_psnr) enc->flags |= AV_CODEC_FLAG_PSNR;
    }
    AVCodecContext* enc = stream->enc;
    if (Fvideo_codec_tag) enc->codec_tag = Fvideo_codec_tag;
    if ((Fvideo_global_header & 1) || (Fvideo_global_header == 0 && (oc->oformat->flags & AVFMT_GLOBALHEADER))) {
      enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
      if (FOptions.avcodec_opts[AVMEDIA_TYPE_VIDEO])
        FOptions.avcodec_opts[AVMEDIA_TYPE_VIDEO]->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (Fvideo_global_header & 2) {
      enc->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
      if (FOptions.avcodec_opts[AVMEDIA_TYPE_VIDEO])
        FOptions.avcodec_opts[AVMEDIA_TYPE_VIDEO]->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
    }
    const AVCodec* named = stream->codec_named ? stream->codec : nullptr;
    stream->bitstream_filters = std::move(Fvideo_bitstream_filters);
    AttachStream(AFile, std::move(stream), Fvideo_language).st->sample_aspect_ratio = sar;
    Foutput_codecs.push_back(named);
  } catch (...) {
    Fvideo_codec_name.clear();
    Fvideo_bitstream_filters.clear();
    throw;
  }
  Fvideo_bitstream_filters.clear();
  Fvideo_language.clear();
  Fvideo_disable = false;
  Fvideo_codec_name.clear();
  Fvideo_stream_copy = 0;
  Fframe_pix_fmt = -1;
}

void TCustomFFmpeg::NewAudioStream(TOutputFileSetup& AFile) {
  AVFormatContext* oc = AFile.ctx;
  auto stream = std::make_unique<TOutputStreamSetup>();
  stream->type = AVMEDIA_TYPE_AUDIO;
  try {
    if (Faudio_stream_copy) {
      stream->stream_copy = true;
      stream->enc = av::avcodec_alloc_context3(nullptr);
      if (!stream->enc) throw FFmpegException(OutOfMemoryText);
      stream->enc->codec_type = AVMEDIA_TYPE_AUDIO;
      av::av_channel_layout_default(&stream->enc->ch_layout, Faudio_channels);
      stream->enc->sample_rate = Faudio_sample_rate;
    } else {
      ChooseEncoder(*stream, oc, Faudio_codec_name);
      AVCodecContext* enc = stream->enc;
      ApplyFFOptions(FOptions, enc, FOptions.avcodec_opts[AVMEDIA_TYPE_AUDIO],
                     AV_OPT_FLAG_ENCODING_PARAM | AV_OPT_FLAG_AUDIO_PARAM);
      HandOverPrivateOptions(*stream);
      if (Faudio_qscale > -99999) {
        enc->flags |= AV_CODEC_FLAG_QSCALE;
        enc->global_quality = static_cast<int>(FF_QP2LAMBDA * Faudio_qscale);
      }
      stream->from_input = Finput_defaults;
      stream->from_input.frame_rate = false;
      SetEncoderAudioFormat(*stream,
                            TAudioFormat{Faudio_sample_rate, Faudio_channels, Fchannel_layout, Faudio_sample_fmt});
    }
    AVCodecContext* enc = stream->enc;
    if (Faudio_codec_tag) enc->codec_tag = Faudio_codec_tag;
    if (oc->oformat->flags & AVFMT_GLOBALHEADER) {
      enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
      if (FOptions.avcodec_opts[AVMEDIA_TYPE_AUDIO])
        FOptions.avcodec_opts[AVMEDIA_TYPE_AUDIO]->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    enc->time_base = AVRational{1, Faudio_sample_rate > 0 ? Faudio_sample_rate : 1};
    const AVCodec* named = stream->codec_named ? stream->codec : nullptr;
    stream->bitstream_filters = std::move(Faudio_bitstream_filters);
    AttachStream(AFile, std::move(stream), Faudio_language);
    Foutput_codecs.push_back(named);
  } catch (...) {
    Faudio_codec_name.clear();
    Faudio_language.clear();
    Faudio_bitstream_filters.clear();
    throw;
  }
  Faudio_bitstream_filters.clear();
  Faudio_language.clear();
  Faudio_disable = false;
  Faudio_codec_name.clear();
  Faudio_stream_copy = 0;
}

void TCustomFFmpeg::NewSubtitleStream(TOutputFileSetup& AFile) {
  AVFormatContext* oc = AFile.ctx;
  auto stream = std::make_unique<TOutputStreamSetup>();
  stream->type = AVMEDIA_TYPE_SUBTITLE;
  try {
    if (Fsubtitle_stream_copy) {
      stream->stream_copy = true;
      stream->enc = av::avcodec_alloc_context3(nullptr);
      if (!stream->enc) throw FFmpegException(OutOfMemoryText);
      stream->enc->codec_type = AVMEDIA_TYPE_SUBTITLE;
    } else {
      ChooseEncoder(*stream, oc, Fsubtitle_codec_name);
      ApplyFFOptions(FOptions, stream->enc, FOptions.avcodec_opts[AVMEDIA_TYPE_SUBTITLE],
                     AV_OPT_FLAG_ENCODING_PARAM | AV_OPT_FLAG_SUBTITLE_PARAM);
      HandOverPrivateOptions(*stream);
    }
    if (Fsubtitle_codec_tag) stream->enc->codec_tag = Fsubtitle_codec_tag;
    const AVCodec* codec = stream->stream_copy ? nullptr : stream->codec;
    stream->bitstream_filters = std::move(Fsubtitle_bitstream_filters);
    AttachStream(AFile, std::move(stream), Fsubtitle_language);
    Foutput_codecs.push_back(codec);
  } catch (...) {
    Fsubtitle_codec_name.clear();
    Fsubtitle_language.clear();
    Fsubtitle_bitstream_filters.clear();
    throw;
  }
  Fsubtitle_bitstream_filters.clear();
  Fsubtitle_language.clear();
  Fsubtitle_disable = false;
  Fsubtitle_codec_name.clear();
  Fsubtitle_stream_copy = 0;
}
