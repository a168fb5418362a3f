#include "Src/AVProbe.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLogger.h"
#include "Src/MyUtils.h"
#include "Src/UnicodeProtocol.h"

namespace {

constexpr int LevelError = AV_LOG_ERROR;      // 16
constexpr int LevelWarning = AV_LOG_WARNING;  // 24
constexpr int LevelInfo = AV_LOG_INFO;        // 32
constexpr int LevelDebug = AV_LOG_DEBUG;      // 48

constexpr AVRational Microseconds{1, 1000000};

// How the report shows the ID3 frame names some demuxers leave as keys.
const char* ShownKeyName(const char* AKey) {
  static const std::pair<const char*, const char*> names[] = {
      {"TALB", "album"},     {"TAL", "album"},     {"TCOM", "composer"},  {"TCON", "genre"},
      {"TCO", "genre"},      {"TCOP", "copyright"}, {"TDRL", "date"},     {"TENC", "encoder"},
      {"TEN", "encoder"},    {"TIT2", "title"},    {"TT2", "title"},      {"TLAN", "language"},
      {"TPE1", "artist"},    {"TP1", "artist"},    {"TPOS", "disc"},      {"TPUB", "publisher"},
      {"TRCK", "track"},     {"TRK", "track"},     {"TSOA", "albumsort"}, {"TSOP", "authorsort"},
      {"TSOT", "titlesort"}, {"TYER", "year"}};
  for (const auto& [key, shown] : names)
    if (std::strcmp(key, AKey) == 0) return shown;
  return AKey;
}

void AppendLine(std::string& AText, const std::string& ALine) { AText += ALine + "\n"; }

// The metadata block: nothing for no metadata or a lone "language" entry.
void AppendMetadata(std::string& AText, const std::string& AIndent, const AVDictionary* AMetadata) {
  if (!AMetadata) return;
  const int count = av::av_dict_count(AMetadata);
  if (count == 0) return;
  const AVDictionaryEntry* first = av::av_dict_get(AMetadata, "", nullptr, AV_DICT_IGNORE_SUFFIX);
  if (count == 1 && first && std::strcmp(first->key, "language") == 0) return;
  AppendLine(AText, AIndent + "Metadata:");
  for (const AVDictionaryEntry* e = first; e; e = av::av_dict_get(AMetadata, "", e, AV_DICT_IGNORE_SUFFIX)) {
    if (std::strcmp(e->key, "language") == 0) continue;
    AppendLine(AText, Printf("%s  %-16s: %s", AIndent.c_str(), ShownKeyName(e->key), e->value));
  }
}

// ", 29.97 fps", ", 25 tbr", ", 90k tbn".
std::string FormatRate(AVRational ARate, const char* AUnit) {
  const double d = av_q2d(ARate);
  const long long v = std::llround(d * 100);
  if (v % 100) return Printf(", %3.2f %s", d, AUnit);
  if (v % (100 * 1000)) return Printf(", %1.0f %s", d, AUnit);
  return Printf(", %1.0fk %s", d / 1000, AUnit);
}

// "%d.%.6d" of a time in microseconds.
std::string SecondsText(int64_t AMicroseconds) {
  return Printf("%d.%.6d", static_cast<int>(AMicroseconds / 1000000), static_cast<int>(std::llabs(AMicroseconds % 1000000)));
}

int MetadataInt(const AVDictionary* AMetadata, const char* AKey) {
  const std::string text = GetMetadataText(AMetadata, AKey);
  if (text.empty()) return -1;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return end == text.c_str() ? -1 : static_cast<int>(value);
}


}  // namespace

// ---- TCustomAVProbe ----

TCustomAVProbe::TCustomAVProbe(TComponent* AOwner) : TFFBaseComponent(AOwner) { TCustomAVProbe::RefreshStreamInfo(); }

TCustomAVProbe::~TCustomAVProbe() { TCustomAVProbe::CloseFile(); }

bool TCustomAVProbe::LoadAVLib(const std::string& APath) {
  FFLoader().SetLibraryPath(APath);
  const bool loaded = FFLoader().Load(ProbeLibraries, this);
  if (!loaded) SetLastError(FFLoader().LastErrMsg());
  return loaded;
}

bool TCustomAVProbe::AVLibLoaded() const { return FFLoader().Loaded(ProbeLibraries); }

void TCustomAVProbe::UnloadAVLib() { FFLoader().Unload(ProbeLibraries, this); }

void TCustomAVProbe::CheckAVLibLoaded() const {
  if (!FFLoader().Loaded(TLibrary::avCodec)) throw Exception("LibAVCodec not loaded.");
  if (!FFLoader().Loaded(TLibrary::avFormat)) throw Exception("LibAVFormat not loaded.");
  if (!FFLoader().Loaded(TLibrary::avUtil)) throw Exception("LibAVUtil not loaded.");
  if (!FFLoader().Loaded(TLibrary::swScale)) throw Exception("LibSwScale not loaded.");
}

TCustomAVProbe::TOperation::TOperation(TCustomAVProbe& AProbe) : FProbe(AProbe) {
  if (FProbe.FOperationDepth++ == 0) FProbe.FLastErrLevel = INT32_MAX;
}

TCustomAVProbe::TOperation::~TOperation() { --FProbe.FOperationDepth; }

void TCustomAVProbe::ReportError(int ALevel, const std::string& ALogText) {
  GetLogger()->Log(this, AVLevelToLogLevel(ALevel), ALogText);
  if (ALevel >= LevelDebug) return;
  if (ALevel > LevelWarning && FLastErrLevel <= LevelWarning) return;
  FLastErrMsg = ALogText;
  FLastErrLevel = ALevel;
}

void TCustomAVProbe::SetLastError(const std::string& AText) {
  FLastErrMsg = AText;
  FLastErrLevel = LevelError;
}

bool TCustomAVProbe::LoadFile(const std::string& AFileName, const std::string& AFormatName) {
  const TOperation operation(*this);
  CheckAVLibLoaded();
  CloseFile();
  const AVInputFormat* format = nullptr;
  if (!AFormatName.empty()) {
    format = av::av_find_input_format(AFormatName.c_str());
    if (!format) {
      SetLastError("Unknown input format: " + AFormatName);
      return false;
    }
  }
  AVFormatContext* context = av::avformat_alloc_context();
  if (!context) {
    ReportError(LevelError, AVErrorText(AFileName, AVERROR(ENOMEM)));
    return false;
  }
  context->flags |= AVFMT_FLAG_NONBLOCK;
  const int opened = OpenInputFile(&context, AFileName, format, nullptr);
  if (opened < 0) {
    ReportError(LevelError, AVErrorText(AFileName, opened));
    CloseFile();
    return false;
  }
  FFileHandle = context;
  FOwnHandle = true;
  if (av::avformat_find_stream_info(FFileHandle, nullptr) < 0) {
    CloseFile();
    SetLastError(AFileName + ": could not find codec parameters");
    return false;
  }
  RefreshStreamInfo();
  FForceFormat = AFormatName;
  return true;
}

void TCustomAVProbe::CloseFile() {
  FForceFormat.clear();
  if (FFileHandle) {
    // Without the libraries (unloaded before the probe went) the context can only be left.
    if (FOwnHandle && av::avformat_close_input) CloseInputFile(&FFileHandle);
    FFileHandle = nullptr;
  }
  RefreshStreamInfo();
}

void TCustomAVProbe::SetFileHandle(AVFormatContext* Value) {
  CheckAVLibLoaded();
  CloseFile();
  FOwnHandle = false;
  FFileHandle = Value;
  RefreshStreamInfo();
}

void TCustomAVProbe::RefreshStreamInfo() {
  FFileSize = -1;
  FStreamCount = FProgramCount = -1;
  FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = -1;
  FFirstAudioStreamIndex = FFirstVideoStreamIndex = FFirstSubtitleStreamIndex = -1;
  if (!FFileHandle) return;

  const int64_t ioSize = FFileHandle->pb ? av::avio_size(FFileHandle->pb) : -1;
  FFileSize = ioSize > 0 ? ioSize : GetFileSizeByName(AVNameToFileName(FFileHandle->url ? FFileHandle->url : ""));
  if (FFileSize < 0 && ioSize >= 0) FFileSize = ioSize;

  FStreamCount = static_cast<int>(FFileHandle->nb_streams);
  FProgramCount = static_cast<int>(FFileHandle->nb_programs);
  FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = 0;
  for (int i = 0; i < FStreamCount; ++i) {
    switch (FFileHandle->streams[i]->codecpar->codec_type) {
      case AVMEDIA_TYPE_VIDEO:
        ++FVideoStreamCount;
        if (FFirstVideoStreamIndex < 0) FFirstVideoStreamIndex = i;
        break;
      case AVMEDIA_TYPE_AUDIO:
        ++FAudioStreamCount;
        if (FFirstAudioStreamIndex < 0) FFirstAudioStreamIndex = i;
        break;
      case AVMEDIA_TYPE_SUBTITLE:
        ++FSubtitleStreamCount;
        if (FFirstSubtitleStreamIndex < 0) FFirstSubtitleStreamIndex = i;
        break;
      default: break;
    }
  }
}

std::string TCustomAVProbe::FileName() {
  if (!FFileHandle) {
    ReportError(LevelWarning, "file not loaded.");
    return {};
  }
  return AVNameToFileName(FFileHandle->url ? FFileHandle->url : "");
}

std::string TCustomAVProbe::FormatName() {
  if (!FFileHandle || !FFileHandle->iformat) {
    ReportError(LevelWarning, "file not loaded.");
    return {};
  }
  return FFileHandle->iformat->name ? FFileHandle->iformat->name : "";
}

std::string TCustomAVProbe::FormatLongName() {
  if (!FFileHandle || !FFileHandle->iformat) {
    ReportError(LevelWarning, "file not loaded.");
    return {};
  }
  return FFileHandle->iformat->long_name ? FFileHandle->iformat->long_name : "";
}

TFileStreamInfo TCustomAVProbe::FileStreamInfo() {
  TFileStreamInfo info;
  if (!FFileHandle) {
    ReportError(LevelWarning, "file not loaded.");
    return info;
  }
  const AVDictionary* m = FFileHandle->metadata;
  info.StartTime = FFileHandle->start_time == NoTimestamp ? -1 : FFileHandle->start_time;
  info.Duration = FFileHandle->duration == NoTimestamp ? -1 : FFileHandle->duration;
  info.BitRate = static_cast<int>(FFileHandle->bit_rate);
  // The creation time now lives in the metadata as text.
  const std::string created = GetMetadataText(m, "creation_time");
  int64_t microseconds = 0;
  if (!created.empty() && av::av_parse_time(&microseconds, created.c_str(), 0) >= 0)
    info.TimeStamp = microseconds / 1000000;
  info.Year = MetadataInt(m, "date");
  if (info.Year < 0) info.Year = MetadataInt(m, "year");
  info.Track = MetadataInt(m, "track");
  info.Title = GetMetadataText(m, "title");
  info.Author = GetMetadataText(m, "author", GetMetadataText(m, "artist"));
  info.Copyright = GetMetadataText(m, "copyright");
  info.Comment = GetMetadataText(m, "comment");
  info.Album = GetMetadataText(m, "album");
  info.Genre = GetMetadataText(m, "genre");
  return info;
}

bool TCustomAVProbe::IsStreamOfType(int AStreamIndex, AVMediaType AType) {
  if (!FFileHandle) {
    ReportError(LevelWarning, "file not loaded.");
    return false;
  }
  if (AStreamIndex < 0 || AStreamIndex >= FStreamCount) {
    ReportError(LevelError, Printf("stream index #%d is invalid.", AStreamIndex));
    return false;
  }
  return FFileHandle->streams[AStreamIndex]->codecpar->codec_type == AType;
}

bool TCustomAVProbe::IsAudioStream(int AStreamIndex) { return IsStreamOfType(AStreamIndex, AVMEDIA_TYPE_AUDIO); }
bool TCustomAVProbe::IsVideoStream(int AStreamIndex) { return IsStreamOfType(AStreamIndex, AVMEDIA_TYPE_VIDEO); }
bool TCustomAVProbe::IsSubtitleStream(int AStreamIndex) { return IsStreamOfType(AStreamIndex, AVMEDIA_TYPE_SUBTITLE); }

namespace {

// Shared part of the three stream records: finds the stream, reports what is wrong, fills the
// language and the codec name. Answers the stream, or nullptr after a report.
template <typename TProbe>
AVStream* FindTypedStream(TProbe& AProbe, AVFormatContext* AContext, int AStreamIndex, int AFirstIndex, int ACount,
                          AVMediaType AType, const char* ATypeName, std::string& ALanguage, std::string& ACodecName,
                          void (TProbe::*AReport)(int, const std::string&)) {
  if (!AContext) {
    (AProbe.*AReport)(LevelWarning, "file not loaded.");
    return nullptr;
  }
  int index = AStreamIndex;
  if (index < 0) {
    index = AFirstIndex;
    if (index < 0) {
      (AProbe.*AReport)(LevelError, Printf("no %s stream.", ATypeName));
      return nullptr;
    }
  }
  if (index >= ACount) {
    (AProbe.*AReport)(LevelError, Printf("stream index #%d is invalid.", index));
    return nullptr;
  }
  AVStream* stream = AContext->streams[index];
  if (stream->codecpar->codec_type != AType) {
    (AProbe.*AReport)(LevelError, Printf("stream #%d is not %s stream.", index, ATypeName));
    return nullptr;
  }
  ALanguage = GetMetadataText(stream->metadata, "language");
  ACodecName = CodecDisplayName(stream->codecpar, TCodecNaming::cnCodec);
  return stream;
}

// Start and duration in the stream's time base and in microseconds; a time base with
// denominator 0 is repaired in the stream first.
void FillTimes(AVStream* AStream, int64_t& AStart, int64_t& AStartScaled, int64_t& ADuration, int64_t& ADurationScaled) {
  if (AStream->time_base.den == 0) AStream->time_base.den = AStream->time_base.num ? AStream->time_base.num : 1;
  AStart = AStream->start_time;
  ADuration = AStream->duration;
  if (AStart != NoTimestamp) AStartScaled = av::av_rescale_q(AStart, AStream->time_base, Microseconds);
  if (ADuration != NoTimestamp) ADurationScaled = av::av_rescale_q(ADuration, AStream->time_base, Microseconds);
}

}  // namespace

TAudioStreamInfo TCustomAVProbe::GetAudioStreamInfo(int AStreamIndex) {
  TAudioStreamInfo info;
  AVStream* s = FindTypedStream(*this, FFileHandle, AStreamIndex, FFirstAudioStreamIndex, FStreamCount,
                                AVMEDIA_TYPE_AUDIO, "audio", info.Language, info.CodecName, &TCustomAVProbe::ReportError);
  if (!s) return info;
  FillTimes(s, info.StartTime, info.StartTimeScaled, info.Duration, info.DurationScaled);
  info.BitRate = static_cast<int>(s->codecpar->bit_rate);
  info.Channels = s->codecpar->ch_layout.nb_channels;
  info.SampleRate = s->codecpar->sample_rate;
  info.SampleFormat = s->codecpar->format;
  return info;
}

TVideoStreamInfo TCustomAVProbe::GetVideoStreamInfo(int AStreamIndex) {
  TVideoStreamInfo info;
  AVStream* s = FindTypedStream(*this, FFileHandle, AStreamIndex, FFirstVideoStreamIndex, FStreamCount,
                                AVMEDIA_TYPE_VIDEO, "video", info.Language, info.CodecName, &TCustomAVProbe::ReportError);
  if (!s) return info;
  FillTimes(s, info.StartTime, info.StartTimeScaled, info.Duration, info.DurationScaled);
  const AVCodecParameters* p = s->codecpar;
  info.BitRate = static_cast<int>(p->bit_rate);
  info.Height = p->height;
  info.Width = p->width;
  const AVRational sar = p->sample_aspect_ratio;
  info.AspectRatio = (sar.num == 0 || sar.den == 0 || p->height == 0)
                         ? 0.0f
                         : static_cast<float>(p->width * (static_cast<double>(sar.num) / sar.den) / p->height);
  info.PixFmt = p->format;
  info.FrameRate = s->r_frame_rate;
  return info;
}

TSubtitleStreamInfo TCustomAVProbe::GetSubtitleStreamInfo(int AStreamIndex) {
  TSubtitleStreamInfo info;
  FindTypedStream(*this, FFileHandle, AStreamIndex, FFirstSubtitleStreamIndex, FStreamCount, AVMEDIA_TYPE_SUBTITLE,
                  "subtitle", info.Language, info.CodecName, &TCustomAVProbe::ReportError);
  return info;
}

std::string TCustomAVProbe::StreamLine(int AIndex) {
  AVStream* s = FFileHandle->streams[AIndex];
  std::string line = Printf("Stream #%d", AIndex);
  if (FFileHandle->iformat->flags & AVFMT_SHOW_IDS) line += Printf("[0x%x]", s->id);
  const std::string language = GetMetadataText(s->metadata, "language");
  if (!language.empty()) line += "(" + language + ")";
  int g = static_cast<int>(av::av_gcd(s->time_base.num, s->time_base.den));
  if (g == 0) g = 1;
  line += Printf(", %d/%d", s->time_base.num / g, s->time_base.den / g);

  // The codec description needs a codec context: a temporary one from the stream's parameters.
  char description[256] = "";
  if (AVCodecContext* ctx = av::avcodec_alloc_context3(nullptr)) {
    if (av::avcodec_parameters_to_context(ctx, s->codecpar) >= 0) av::avcodec_string(description, sizeof description, ctx, 0);
    av::avcodec_free_context(&ctx);
  }
  line += std::string(": ") + description;

  const AVCodecParameters* p = s->codecpar;
  if (s->sample_aspect_ratio.num &&
      int64_t{s->sample_aspect_ratio.num} * p->sample_aspect_ratio.den !=
          int64_t{p->sample_aspect_ratio.num} * s->sample_aspect_ratio.den) {
    int dnum = 0, dden = 0;
    av::av_reduce(&dnum, &dden, int64_t{p->width} * s->sample_aspect_ratio.num,
                  int64_t{p->height} * s->sample_aspect_ratio.den, 1024 * 1024);
    line = Printf("%s, PAR %d:%d DAR %d:%d", line.c_str(), s->sample_aspect_ratio.num, s->sample_aspect_ratio.den,
                  dnum, dden);
  }
  if (p->codec_type == AVMEDIA_TYPE_VIDEO) {
    if (s->avg_frame_rate.num && s->avg_frame_rate.den) line += FormatRate(s->avg_frame_rate, "fps");
    if (s->r_frame_rate.num && s->r_frame_rate.den) line += FormatRate(s->r_frame_rate, "tbr");
    if (s->time_base.num && s->time_base.den) line += FormatRate(av_inv_q(s->time_base), "tbn");
  }
  if (s->time_base.den == 0) s->time_base.den = s->time_base.num ? s->time_base.num : 1;
  if (s->start_time != NoTimestamp)
    line += ", StartTime: " + SecondsText(av::av_rescale_q(s->start_time, s->time_base, Microseconds));
  if (s->duration == NoTimestamp)
    line += ", Duration: N/A";
  else
    line += ", Duration: " + FormatMicroseconds(av::av_rescale_q(s->duration, s->time_base, Microseconds));
  return line;
}

std::string TCustomAVProbe::FileInfoText() {
  if (!FFileHandle) {
    ReportError(LevelWarning, "file not loaded.");
    return {};
  }
  std::string text;
  AppendLine(text, "File Name: " + FileName());
  AppendLine(text, "Format Name: " + FormatName());
  AppendLine(text, "Format Long Name: " + FormatLongName());
  AppendLine(text, "File Size: " + FormatByteSize(FFileSize));

  const TFileStreamInfo info = FileStreamInfo();
  AppendLine(text, info.Duration < 0 ? std::string("Duration: N/A") : "Duration: " + FormatMicroseconds(info.Duration));
  if (info.StartTime >= 0) AppendLine(text, "StartTime: " + SecondsText(info.StartTime));
  AppendLine(text, info.BitRate < 1 ? std::string("Bit Rate: N/A") : Printf("Bit Rate: %d kb/s", info.BitRate / 1000));
  if (info.TimeStamp > 0)
    AppendLine(text, "Time Stamp: " + FormatDateTimeText("yyyy-mm-dd hh:nn:ss", UnixTimeToLocalDateTime(info.TimeStamp)));
  AppendMetadata(text, "", FFileHandle->metadata);

  std::vector<bool> shown(FFileHandle->nb_streams, false);
  for (unsigned p = 0; p < FFileHandle->nb_programs; ++p) {
    const AVProgram* program = FFileHandle->programs[p];
    AppendLine(text, Printf("Program %d %s", program->id,
                            (GetMetadataText(program->metadata, "provider_name", "N/A") + "@" +
                             GetMetadataText(program->metadata, "name", "N/A")).c_str()));
    AppendMetadata(text, "  ", program->metadata);
    for (unsigned k = 0; k < program->nb_stream_indexes; ++k) {
      const unsigned index = program->stream_index[k];
      if (index >= FFileHandle->nb_streams) continue;
      AppendLine(text, StreamLine(static_cast<int>(index)));
      AppendMetadata(text, "  ", FFileHandle->streams[index]->metadata);
      shown[index] = true;
    }
  }
  for (unsigned i = 0; i < FFileHandle->nb_streams; ++i) {
    if (shown[i]) continue;
    AppendLine(text, StreamLine(static_cast<int>(i)));
    AppendMetadata(text, "  ", FFileHandle->streams[i]->metadata);
  }
  return text;
}

// ---- TAVProbe ----

TAVProbe::TAVProbe(TComponent* AOwner) : TCustomAVProbe(AOwner) {}

TAVProbe::~TAVProbe() {
  TAVProbe::CloseFile();
  if (FPicture.Buffer && av::av_free) av::av_free(FPicture.Buffer);
  FPicture.Buffer = nullptr;
  if (av::av_free) ResetRGBConvertContext(FRGBContext);
}

void TAVProbe::RefreshStreamInfo() {
  TCustomAVProbe::RefreshStreamInfo();
  FSeekIndex = FFirstVideoStreamIndex >= 0 ? FFirstVideoStreamIndex : FFirstAudioStreamIndex;
  FStartTime = 0;
  if (!FFileHandle) return;
  const int64_t start = FSeekIndex >= 0 ? FFileHandle->streams[FSeekIndex]->start_time : FFileHandle->start_time;
  FStartTime = start == NoTimestamp ? 0 : start;
}

void TAVProbe::CloseDecoder() {
  if (!av::avcodec_free_context) return;  // the libraries are gone; nothing can be freed
  if (FCodec) {
    std::lock_guard lock(CodecLock());
    av::avcodec_free_context(&FCodec);
  }
  FCodec = nullptr;
  FCodecStream = -1;
  FDraining = false;
  if (FPacket) av::av_packet_unref(FPacket);
  FPacketPending = false;
}

void TAVProbe::CloseFile() {
  FSeekIndex = -1;
  FStartTime = -1;
  FDecodeIndex = -1;
  FEOF = false;
  ResetFrameInfo();
  FLastPTS = NoTimestamp;
  FLastPos = -1;
  CloseDecoder();
  if (FFrame && av::av_frame_free) av::av_frame_free(&FFrame);
  if (FPacket && av::av_packet_free) av::av_packet_free(&FPacket);
  DropHeldPackets();
  FFrame = nullptr;
  FPacket = nullptr;
  if (av::av_free) ResetRGBConvertContext(FRGBContext);
  TCustomAVProbe::CloseFile();
}

void TAVProbe::ResetFrameInfo() {
  if (FPicture.PTS != NoTimestamp) FLastPTS = FPicture.PTS;
  if (FPicture.Position != -1) FLastPos = FPicture.Position;
  FPicture.PixFmt = FPicture.Width = FPicture.Height = -1;
  FPicture.IsKeyFrame = false;
  FPicture.PictureType = TPictureType::ptUnknown;
  FPicture.PTS = FPicture.OriginalDTS = FPicture.OriginalPTS = NoTimestamp;
  FPicture.StreamIndex = -1;
  FPicture.Position = -1;
  FPicture.Ready = false;
}

int64_t TAVProbe::Position() {
  if (!FFileHandle) {
    ReportError(LevelWarning, "file not loaded.");
    return -1;
  }
  if (!FFileHandle->pb) {
    ReportError(LevelWarning, "cannot get position");
    return -1;
  }
  return av::avio_seek(FFileHandle->pb, 0, SEEK_CUR);
}

bool TAVProbe::IsStillImage() const {
  return FFileHandle && FFileHandle->iformat && FFileHandle->iformat->name &&
         strcasecmp(FFileHandle->iformat->name, "image2") == 0;
}

bool TAVProbe::CheckSeekable() {
  if (!FFileHandle) {
    ReportError(LevelWarning, "file not loaded.");
    return false;
  }
  if (!FOwnHandle) {
    ReportError(LevelWarning, "file cannot be seeked, handle is readonly.");
    throw Exception("file cannot be seeked, handle is readonly.");
  }
  return true;
}

bool TAVProbe::CanSeek() {
  if (!CheckSeekable()) return false;
  if (IsStillImage()) {
    ReportError(LevelInfo, "\"image2\" format cannot to be seeked.");
    return false;
  }
  return true;
}

int TAVProbe::ResolveDecodeIndex(int AStreamIndex) {
  if (!CheckSeekable()) return -1;
  int index = AStreamIndex;
  if (index < 0) {
    index = FDecodeIndex >= 0 ? FDecodeIndex : FFirstVideoStreamIndex;
    if (index < 0) {
      ReportError(LevelError, "no video stream.");
      return -1;
    }
  }
  if (index >= FStreamCount) {
    ReportError(LevelError, Printf("stream index #%d is invalid.", index));
    return -1;
  }
  if (FFileHandle->streams[index]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) {
    ReportError(LevelError, Printf("stream #%d is not video stream.", index));
    return -1;
  }
  if (index != FDecodeIndex) ResetFrameInfo();
  FDecodeIndex = index;
  return index;
}

int64_t TAVProbe::FrameDuration() const {
  if (FDecodeIndex < 0 || !FFileHandle) return 40000;
  return FrameDurationMicroseconds(FFileHandle->streams[FDecodeIndex]->r_frame_rate);
}

bool TAVProbe::Seek(int64_t APTS, TSeekFlags ASeekFlags) { return SeekTo(APTS, ASeekFlags, true); }

bool TAVProbe::SeekTo(int64_t APTS, TSeekFlags ASeekFlags, bool AAllowEarlier) {
  const TOperation operation(*this);
  if (!CanSeek()) return false;
  AVIOContext* io = FFileHandle->pb;
  if (io) ReportError(LevelDebug, Printf("currunt position %lld bytes", static_cast<long long>(av::avio_seek(io, 0, SEEK_CUR))));

  const bool byBytes = ASeekFlags.Contains(TSeekFlag::sfByte);
  int64_t target = APTS < 0 ? 0 : APTS;
  if (!byBytes) {
    if (FSeekIndex >= 0) target = av::av_rescale_q(target, Microseconds, FFileHandle->streams[FSeekIndex]->time_base);
    if (FStartTime > 0) target += FStartTime;
  }
  if (FCodec) av::avcodec_flush_buffers(FCodec);
  if (FPacket) av::av_packet_unref(FPacket);
  DropHeldPackets();
  FPacketPending = false;
  FDraining = false;
  FEOF = false;
  ResetFrameInfo();

  const int flags = SeekFlagsToInt(ASeekFlags);
  const int keyStream = FDecodeIndex >= 0 ? FDecodeIndex : FFirstVideoStreamIndex;
  TKeySearch search = TKeySearch::ksEnd;
  if (!byBytes && !ASeekFlags.Contains(TSeekFlag::sfAny) && keyStream >= 0) {
    // Decoding has to begin at a key frame: the seek lands on one, whatever the container's index
    // (or its lack of one) offers.
    const bool forward = APTS > 0 && !ASeekFlags.Contains(TSeekFlag::sfBackward);
    search = SeekKeyFrame(keyStream, target, flags, forward, AAllowEarlier);
  }
  bool ok = search == TKeySearch::ksFound;
  if (search == TKeySearch::ksEnd) {
    // A byte position, any picture, no picture stream, or a stream without marked key frames:
    // the reading goes where the libraries put it.
    const int result = APTS > 0 ? av::av_seek_frame(FFileHandle, FSeekIndex, target, flags) : SeekToStart(flags);
    ok = result >= 0;
  }
  if (!ok) {
    if (byBytes)
      ReportError(LevelError, Printf("could not seek to position %lld bytes", static_cast<long long>(APTS)));
    else
      ReportError(LevelError, Printf("could not seek to position %0.3f seconds", APTS / 1000000.0));
  }
  if (io) {
    ReportError(LevelDebug, Printf("seek to position %lld bytes", static_cast<long long>(av::avio_seek(io, 0, SEEK_CUR))));
    // A held key frame is where decoding goes on, however near the end the reading stands.
    if (FHeld.empty() && av::avio_feof(io)) {
      if (ok) ReportError(LevelInfo, "stream eof reached.");
      FEOF = true;
      return false;
    }
  }
  return ok;
}

int TAVProbe::SeekToStart(int AFlags) {
  // Time 0 of the seek stream, backwards first, whatever the stream's start time.
  const int result = av::av_seek_frame(FFileHandle, FSeekIndex, 0, AFlags | AVSEEK_FLAG_BACKWARD);
  return result >= 0 ? result : av::av_seek_frame(FFileHandle, FSeekIndex, 0, AFlags & ~AVSEEK_FLAG_BACKWARD);
}

void TAVProbe::TPacketFree::operator()(AVPacket* APacket) const {
  if (av::av_packet_free) av::av_packet_free(&APacket);
}

void TAVProbe::DropHeldPackets() { FHeld.clear(); }

TAVProbe::TKeySearch TAVProbe::ReadToKeyFrame(int AStream, int64_t ALimit, bool AFirst) {
  // Held packets only buffer the reading: a search that stops holding early loses nothing.
  constexpr size_t MaxHeld = 4096;
  DropHeldPackets();
  int waiting = 0;  // reads that found no packet ready yet
  while (FHeld.size() < MaxHeld) {
    std::unique_ptr<AVPacket, TPacketFree> packet(av::av_packet_alloc());
    if (!packet) break;
    const int read = av::av_read_frame(FFileHandle, packet.get());
    if (read == AVERROR(EAGAIN) && ++waiting < 1000) {
      av::av_usleep(1000);
      continue;
    }
    if (read < 0) return FHeld.empty() ? TKeySearch::ksEnd : TKeySearch::ksFound;
    waiting = 0;
    if (packet->stream_index != AStream) continue;
    const int64_t order = packet->dts != NoTimestamp ? packet->dts : packet->pts;
    const bool beyond = order != NoTimestamp && order > ALimit;
    if (packet->flags & AV_PKT_FLAG_KEY) {
      const int64_t time = packet->pts != NoTimestamp ? packet->pts : packet->dts;
      if (AFirst && FHeld.empty()) {
        FHeld.push_back(std::move(packet));
        if (time == NoTimestamp || time > ALimit) return TKeySearch::ksFound;
        continue;
      }
      if (time != NoTimestamp && time <= ALimit) {
        // A later key frame at or before the limit: decoding may begin there instead.
        DropHeldPackets();
        FHeld.push_back(std::move(packet));
        continue;
      }
    }
    if (FHeld.empty()) {
      if (beyond && !AFirst) return TKeySearch::ksPassed;
      continue;
    }
    FHeld.push_back(std::move(packet));
    if (beyond) return TKeySearch::ksFound;
  }
  return FHeld.empty() ? TKeySearch::ksEnd : TKeySearch::ksFound;
}

TAVProbe::TKeySearch TAVProbe::SeekKeyFrame(int AStream, int64_t ATarget, int AFlags, bool AForward,
                                            bool AAllowEarlier) {
  const AVRational seekBase = FSeekIndex >= 0 ? FFileHandle->streams[FSeekIndex]->time_base : Microseconds;
  const AVRational keyBase = FFileHandle->streams[AStream]->time_base;
  const int64_t limit = av::av_rescale_q(ATarget, seekBase, keyBase);
  AFlags &= ~AVSEEK_FLAG_BACKWARD;
  if (AForward) {
    if (av::av_seek_frame(FFileHandle, FSeekIndex, ATarget, AFlags) >= 0 &&
        ReadToKeyFrame(AStream, INT64_MIN, true) == TKeySearch::ksFound)
      return TKeySearch::ksFound;
    DropHeldPackets();
    if (!AAllowEarlier) return TKeySearch::ksPassed;
  }
  // A seek back lands at or before the target, but in a file without an index of key frames (a
  // transport stream) not necessarily on one: the reading goes on to the last key frame at or
  // before the target, and starts further back (one second, then twice as far each time) while
  // there is none between the landing and the target.
  const int64_t start = std::min<int64_t>(FStartTime > 0 ? FStartTime : 0, ATarget);
  const int64_t second = std::max<int64_t>(1, av::av_rescale_q(1000000, Microseconds, seekBase));
  int64_t at = ATarget;
  for (int64_t step = second;; step = step > INT64_MAX / 4 ? step : step * 2) {
    const bool atStart = at <= start;
    const int result = atStart ? SeekToStart(AFlags)
                               : av::av_seek_frame(FFileHandle, FSeekIndex, at, AFlags | AVSEEK_FLAG_BACKWARD);
    if (result >= 0) {
      // From the start the first key frame will do when none is at or before the target.
      const TKeySearch found = ReadToKeyFrame(AStream, limit, atStart);
      if (found == TKeySearch::ksFound) return found;
      DropHeldPackets();
      if (atStart) return found;
    } else if (atStart) {
      return TKeySearch::ksPassed;
    }
    at = at - start > step ? at - step : start;
  }
}

bool TAVProbe::OpenStreamDecoder(int AIndex) {
  AVStream* stream = FFileHandle->streams[AIndex];
  PLATFORM_ASSERT(stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO, "Assertion failure");
  if (stream->codecpar->width == 0 || stream->codecpar->height == 0) {
    ReportError(LevelError, "frame size of codec is invalid.");
    return false;
  }
  if (FCodec && FCodecStream == AIndex) return true;
  CloseDecoder();
  const AVCodec* decoder = av::avcodec_find_decoder(stream->codecpar->codec_id);
  if (!decoder) {
    ReportError(LevelError, Printf("Unsupported codec (id=%d) for input file stream #%d",
                                   static_cast<int>(stream->codecpar->codec_id), AIndex));
    return false;
  }
  AVCodecContext* codec = av::avcodec_alloc_context3(decoder);
  int opened = codec ? av::avcodec_parameters_to_context(codec, stream->codecpar) : AVERROR(ENOMEM);
  if (opened >= 0) {
    codec->pkt_timebase = stream->time_base;
    // As many threads as the codec can use: the loop in Decode feeds packets until a picture
    // comes out, however late the decoder's threads give it.
    codec->thread_count = 0;
    std::lock_guard lock(CodecLock());
    opened = av::avcodec_open2(codec, decoder, nullptr);
  }
  if (opened < 0) {
    if (codec) {
      std::lock_guard lock(CodecLock());
      av::avcodec_free_context(&codec);
    }
    ReportError(LevelError, Printf("Error while opening codec for input file stream #%d", AIndex));
    return false;
  }
  if (!FFrame) FFrame = av::av_frame_alloc();
  if (!FPacket) FPacket = av::av_packet_alloc();
  FCodec = codec;
  FCodecStream = AIndex;
  FDraining = false;
  return FFrame && FPacket;
}

bool TAVProbe::ReceivePicture(int64_t APosition) {
  const int received = av::avcodec_receive_frame(FCodec, FFrame);
  if (received < 0) return false;
  GetLogger()->Log(this, TLogLevel::llDebug,
                   Printf("pkt.st_idx=%d, dts=%lld, pts=%lld, flags=%d, pict_type=%d", FDecodeIndex,
                          static_cast<long long>(FFrame->pkt_dts), static_cast<long long>(FFrame->pts), FFrame->flags,
                          static_cast<int>(FFrame->pict_type)));
  StoreDecodedPicture(FFrame, APosition);
  av::av_frame_unref(FFrame);
  return FPicture.Ready;
}

bool TAVProbe::Decode(int AStreamIndex) {
  const TOperation operation(*this);
  const int index = ResolveDecodeIndex(AStreamIndex);
  if (index < 0) return false;
  if (FPicture.Ready && IsStillImage()) return true;
  if (FEOF) {
    ReportError(LevelInfo, "stream eof reached.");
    return false;
  }
  if (!OpenStreamDecoder(index)) return false;
  const int64_t position = !FHeld.empty() && FHeld.front()->pos >= 0 ? FHeld.front()->pos
                           : FFileHandle->pb ? av::avio_seek(FFileHandle->pb, 0, SEEK_CUR)
                                             : -1;

  // Pictures the decoder already holds come first; then packets are fed until one completes.
  int busy = 0;     // packets refused in a row because the decoder was full
  int waiting = 0;  // reads that found no packet ready yet
  while (!FDraining) {
    if (ReceivePicture(position)) return true;
    if (!FPacketPending && !FHeld.empty()) {
      // What a seek read ahead, from the key frame it stopped on, comes first.
      std::unique_ptr<AVPacket, TPacketFree> held = std::move(FHeld.front());
      FHeld.pop_front();
      if (held->stream_index != index) continue;
      av::av_packet_move_ref(FPacket, held.get());
    } else if (!FPacketPending) {
      const int read = av::av_read_frame(FFileHandle, FPacket);
      if (read == AVERROR(EAGAIN) && ++waiting < 1000) {
        av::av_usleep(1000);
        continue;
      }
      if (read < 0) {
        // The end (or an unreadable rest): let the decoder give up the pictures it still holds.
        av::avcodec_send_packet(FCodec, nullptr);
        FDraining = true;
        break;
      }
      waiting = 0;
      if (FPacket->stream_index != index) {
        av::av_packet_unref(FPacket);
        continue;
      }
    }
    // A damaged packet is refused and skipped; the next one may decode.
    const int sent = av::avcodec_send_packet(FCodec, FPacket);
    FPacketPending = sent == AVERROR(EAGAIN) && ++busy < 2;  // kept until the decoder gave a picture
    if (!FPacketPending) {
      busy = 0;
      av::av_packet_unref(FPacket);
    }
  }
  if (ReceivePicture(position)) return true;
  ReportError(LevelInfo, "stream eof reached.");
  FEOF = true;
  return false;
}

void TAVProbe::StoreDecodedPicture(const AVFrame* AFrame, int64_t APosition) {
  const AVPixelFormat format = static_cast<AVPixelFormat>(AFrame->format);
  const int size = av::av_image_get_buffer_size(format, AFrame->width, AFrame->height, 1);
  if (size <= 0) return;
  if (FPicture.Size < size) {
    if (FPicture.Buffer) av::av_free(FPicture.Buffer);
    FPicture.Buffer = static_cast<uint8_t*>(av::av_malloc(static_cast<size_t>(size)));
    FPicture.Size = FPicture.Buffer ? size : 0;
    if (!FPicture.Buffer) return;
  }
  if (FPicture.PTS != NoTimestamp) FLastPTS = FPicture.PTS;
  if (FPicture.Position != -1) FLastPos = FPicture.Position;

  FPicture.PixFmt = AFrame->format;
  FPicture.Width = AFrame->width;
  FPicture.Height = AFrame->height;
  FPicture.IsKeyFrame = AFrame->key_frame == 1;
  FPicture.PictureType = (AFrame->pict_type >= 0 && AFrame->pict_type <= 7) ? static_cast<TPictureType>(AFrame->pict_type)
                                                                            : TPictureType::ptUnknown;
  int64_t time = AFrame->best_effort_timestamp;
  if (time == NoTimestamp) time = AFrame->pts;
  if (time == NoTimestamp) time = AFrame->pkt_dts;
  const AVStream* stream = FFileHandle->streams[FDecodeIndex];
  if (time == NoTimestamp) {
    FPicture.PTS = NoTimestamp;
  } else {
    if (stream->start_time != NoTimestamp) time -= stream->start_time;
    FPicture.PTS = av::av_rescale_q(time, stream->time_base, Microseconds);
    av::av_log(nullptr, AV_LOG_DEBUG, "decode PTS: %0.3f\n", FPicture.PTS / 1000000.0);
  }
  FPicture.OriginalDTS = AFrame->pkt_dts;
  FPicture.OriginalPTS = AFrame->pts;
  FPicture.StreamIndex = FDecodeIndex;
  FPicture.Position = APosition;

  av::av_image_fill_arrays(FPicture.Picture, FPicture.Linesize, FPicture.Buffer, format, AFrame->width, AFrame->height, 1);
  av::av_image_copy(FPicture.Picture, FPicture.Linesize, const_cast<const uint8_t**>(AFrame->data), AFrame->linesize,
                    format, AFrame->width, AFrame->height);
  FPicture.Ready = true;
}

bool TAVProbe::DecodeNextKeyFrame(int AStreamIndex) {
  const TOperation operation(*this);
  const int index = ResolveDecodeIndex(AStreamIndex);
  if (index < 0) return false;
  int64_t target = FrameDuration();
  if (FPicture.PTS != NoTimestamp && FPicture.PTS > 0) target += FPicture.PTS;
  // Only a key frame after the current picture will do; without one the search fails.
  return SeekTo(target, TSeekFlags{}, false) && Decode(index);
}

bool TAVProbe::DecodePreviousKeyFrame(int AStreamIndex) {
  const TOperation operation(*this);
  const int index = ResolveDecodeIndex(AStreamIndex);
  if (index < 0) return false;
  const int64_t d = FrameDuration();
  int64_t reference = 0;
  if (FPicture.PTS != NoTimestamp)
    reference = FPicture.PTS;
  else if (FLastPTS != NoTimestamp)
    reference = FLastPTS;
  else if (FFileHandle->duration != NoTimestamp)
    reference = FFileHandle->duration;
  // Whether a seek landed before the current picture is told by the picture it gives: the reading
  // position does not say it for every container (some position their streams by index alone).
  for (int64_t h = 1;; ++h) {
    const int64_t back = h * d;
    Seek(reference - back, TSeekFlags{TSeekFlag::sfBackward});
    if (Decode(index)) {
      if (FPicture.PTS < reference || FPicture.PTS <= 0) return true;
      // Once the target is before the start, a picture no later than the current one is the
      // earliest there is (the first picture, whose time may be above 0).
      if (back > reference && FPicture.PTS <= reference) return true;
      if (back <= reference) continue;
    } else if (back <= reference) {
      continue;
    }
    SetLastError("Could not seek to the previous key-frame. " + FLastErrMsg);
    return false;
  }
}

bool TAVProbe::DecodePreviousFrame(int AStreamIndex) {
  const TOperation operation(*this);
  const int index = ResolveDecodeIndex(AStreamIndex);
  if (index < 0) return false;
  const int64_t d = FrameDuration();
  int64_t bound = -2 * d;
  if (FPicture.PTS != NoTimestamp)
    bound = FPicture.PTS - 2 * d;
  else if (FLastPTS != NoTimestamp)
    bound = FLastPTS - 2 * d;
  if (!DecodePreviousKeyFrame(index)) return false;
  while (FPicture.PTS <= bound)
    if (!Decode(index)) return false;
  return true;
}

bool TAVProbe::CopyToBitmap(TBitmap* ABitmap) {
  const TOperation operation(*this);
  if (!FPicture.Ready) {
    ReportError(LevelError, "picture not ready, please decode first");
    return false;
  }
  if (PictureToBitmap(FRGBContext, FPicture.Picture, FPicture.Linesize, static_cast<AVPixelFormat>(FPicture.PixFmt),
                      FPicture.Width, FPicture.Height)) {
    ABitmap->Assign(FRGBContext.Bitmap.get());
    return true;
  }
  ABitmap->SetPixelFormat(TPixelFormat::pf24bit);
  ABitmap->SetSize(FPicture.Width, FPicture.Height);
  for (int y = 0; y < FPicture.Height; ++y) std::memset(ABitmap->ScanLine(y), 0, static_cast<size_t>(FPicture.Width) * 3);
  av::av_log(nullptr, AV_LOG_ERROR, "convert picture to bitmap failed\n");
  return false;
}
