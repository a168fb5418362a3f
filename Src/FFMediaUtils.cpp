#include "Src/FFMediaUtils.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLogger.h"
#include "Src/MyUtilStubs.h"
#include "Src/SwScaleStubs.h"

namespace {

std::string Trimmed(const std::string& AText) {
  size_t first = 0, last = AText.size();
  while (first < last && std::isspace(static_cast<unsigned char>(AText[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(AText[last - 1]))) --last;
  return AText.substr(first, last - first);
}

// Bytes of one pf24bit bitmap row: 24 bits a pixel, rounded up to whole 32-bit words.
int BitmapRowBytes(int AWidth) { return ((AWidth * 24 + 31) / 32) * 4; }

}  // namespace

std::string AVErrorText(const std::string& APrefix, int AError) {
  if (AError == NotARegularFileError)
    return APrefix + ": Not a regular file (a pipe, socket or character device is read only through a stream "
                     "protocol such as \"pipe:\")";
  // The libraries' own words for their codes and for the system's error numbers.
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av::av_strerror && av::av_strerror(AError, text, sizeof text) == 0) return APrefix + ": " + text;
  if (AError < 0 && AError > -4096) {
    // Without libavutil the system still knows its own numbers.
    char buffer[256] = {};
    const char* system = strerror_r(-AError, buffer, sizeof buffer);
    if (system && std::strncmp(system, "Unknown error", 13) != 0) return APrefix + ": " + system;
  }
  return APrefix + ": " + Printf("Error number %d occurred", AError);
}

std::string FormatMicroseconds(int64_t ATime) {
  if (ATime == NoTimestamp) return "N/A";
  const int64_t seconds = ATime / 1000000;
  return Printf("%.2d:%.2d:%.2d.%.3d", static_cast<int>(seconds / 60 / 60), static_cast<int>((seconds / 60) % 60),
                static_cast<int>(seconds % 60), static_cast<int>((ATime % 1000000) * 1000 / 1000000));
}

int64_t FrameDurationMicroseconds(AVRational ARate) {
  if (ARate.num == 0 || ARate.den == 0) return 40000;
  return int64_t{1000000} * ARate.den / ARate.num;
}

std::string GetMetadataText(const AVDictionary* AMetadata, const std::string& AKey, const std::string& ADefault) {
  if (!AMetadata) return ADefault;
  const AVDictionaryEntry* entry = av::av_dict_get(AMetadata, AKey.c_str(), nullptr, 0);
  return entry && entry->value ? std::string(entry->value) : ADefault;
}

std::string CodecDisplayName(const AVCodecParameters* AParameters, TCodecNaming ANaming) {
  auto shown = [](const char* AName, const char* ALongName) {
    const std::string longName = ALongName ? Trimmed(ALongName) : std::string();
    return longName.empty() ? std::string(AName) : std::string(AName) + "(" + longName + ")";
  };
  if (ANaming == TCodecNaming::cnCodec && AParameters->codec_id != AV_CODEC_ID_NONE &&
      AParameters->codec_id != AV_CODEC_ID_MPEG2TS) {
    if (const AVCodecDescriptor* descriptor = av::avcodec_descriptor_get(AParameters->codec_id))
      return shown(descriptor->name, descriptor->long_name);
  }
  const AVCodec* codec = ANaming == TCodecNaming::cnEncoder ? av::avcodec_find_encoder(AParameters->codec_id)
                                                            : av::avcodec_find_decoder(AParameters->codec_id);
  if (codec) return shown(codec->name, codec->long_name);
  if (AParameters->codec_id == AV_CODEC_ID_MPEG2TS) return "mpeg2ts";
  const uint32_t tag = AParameters->codec_tag;
  char letters[4];
  bool printable = true;
  for (int i = 0; i < 4; ++i) {
    letters[i] = static_cast<char>((tag >> (8 * i)) & 0xFF);
    printable = printable && letters[i] >= 32 && letters[i] <= 126;
  }
  if (printable) return Printf("%c%c%c%c / 0x%04X", letters[0], letters[1], letters[2], letters[3], tag);
  return Printf("0x%04x", tag);
}

std::string MediaTypeName(int AType) {
  switch (AType) {
    case AVMEDIA_TYPE_VIDEO: return "Video";
    case AVMEDIA_TYPE_AUDIO: return "Audio";
    case AVMEDIA_TYPE_DATA: return "Data";
    case AVMEDIA_TYPE_SUBTITLE: return "Subtitle";
    case AVMEDIA_TYPE_ATTACHMENT: return "Attachment";
    default: return "Unknown";
  }
}

// ---- TFFOptions ----

TFFOptions::~TFFOptions() { FreeFFOptions(*this); }

void ResetFFOptions(TFFOptions& AOpts) {
  AOpts.opt_names.clear();
  for (AVCodecContext*& ctx : AOpts.avcodec_opts) ctx = nullptr;
  AOpts.avformat_opts = nullptr;
  AOpts.sws_opts = nullptr;
}

void AllocFFOptions(TFFOptions& AOpts, int AScaleFlags) {
  FreeFFOptions(AOpts);
  for (int t = 0; t < AVMEDIA_TYPE_NB; ++t) {
    AOpts.avcodec_opts[t] = av::avcodec_alloc_context3(nullptr);
    if (AOpts.avcodec_opts[t]) AOpts.avcodec_opts[t]->codec_type = static_cast<AVMediaType>(t);
  }
  AOpts.avformat_opts = av::avformat_alloc_context();
  AOpts.sws_opts = av::sws_getContext(16, 16, static_cast<AVPixelFormat>(0), 16, 16, static_cast<AVPixelFormat>(0),
                                      AScaleFlags, nullptr, nullptr, nullptr);
}

void FreeFFOptions(TFFOptions& AOpts) {
  if (!av::avcodec_free_context || !av::avformat_free_context || !av::sws_freeContext) {
    ResetFFOptions(AOpts);  // the libraries are gone: nothing can be freed any more
    return;
  }
  for (AVCodecContext*& ctx : AOpts.avcodec_opts)
    if (ctx) av::avcodec_free_context(&ctx);
  if (AOpts.avformat_opts) av::avformat_free_context(AOpts.avformat_opts);
  AOpts.avformat_opts = nullptr;
  if (AOpts.sws_opts) av::sws_freeContext(AOpts.sws_opts);
  AOpts.sws_opts = nullptr;
  AOpts.opt_names.clear();
}

bool SetFFOption(TFFOptions& AOpts, const std::string& AName, const std::string& AValue) {
  const std::string name = Trimmed(AName), value = Trimmed(AValue);
  if (name.empty() || value.empty()) return false;
  // The option flags that restrict the lookup per media type (video, audio, data, subtitle, attachment).
  static const int typeFlags[AVMEDIA_TYPE_NB] = {AV_OPT_FLAG_VIDEO_PARAM, AV_OPT_FLAG_AUDIO_PARAM, 0,
                                                 AV_OPT_FLAG_SUBTITLE_PARAM, 0};
  const AVOption* found = nullptr;
  int result = 0;
  for (int t = 0; t < AVMEDIA_TYPE_NB && result >= 0; ++t) {
    if (!AOpts.avcodec_opts[0] || !AOpts.avcodec_opts[t]) continue;
    const AVOption* o = av::av_opt_find(AOpts.avcodec_opts[0], name.c_str(), nullptr, typeFlags[t], 0);
    if (o) {
      found = o;
      result = av::av_opt_set(AOpts.avcodec_opts[t], name.c_str(), value.c_str(), 0);
    }
  }
  auto tryOn = [&](void* ctx, const std::string& optName) {
    if (found || !ctx) return;
    if (const AVOption* o = av::av_opt_find(ctx, optName.c_str(), nullptr, 0, 0)) {
      found = o;
      result = av::av_opt_set(ctx, optName.c_str(), value.c_str(), 0);
    }
  };
  tryOn(AOpts.avformat_opts, name);
  tryOn(AOpts.sws_opts, name);
  if (!found && name.size() > 1) {
    const std::string rest = name.substr(1);
    if (name[0] == 'a') tryOn(AOpts.avcodec_opts[AVMEDIA_TYPE_AUDIO], rest);
    if (name[0] == 'v') tryOn(AOpts.avcodec_opts[AVMEDIA_TYPE_VIDEO], rest);
    if (name[0] == 's') tryOn(AOpts.avcodec_opts[AVMEDIA_TYPE_SUBTITLE], rest);
  }
  if (!found) return false;
  if (result < 0) {
    av::av_log(nullptr, AV_LOG_ERROR, "Invalid value \"%s\" for option \"%s\"\n", value.c_str(), name.c_str());
    return false;
  }
  AOpts.opt_names.emplace_back(found->name);
  int64_t debug = 0, formatDebug = 0;
  if (AOpts.avcodec_opts[0]) av::av_opt_get_int(AOpts.avcodec_opts[0], "debug", 0, &debug);
  if (AOpts.avformat_opts) av::av_opt_get_int(AOpts.avformat_opts, "fdebug", 0, &formatDebug);
  if (debug || formatDebug) GetLogger()->SetLogLevel(TLogLevel::llDebug);
  return true;
}

bool HasFFOption(const TFFOptions& AOpts, const std::string& AName) {
  const std::string name = Trimmed(AName);
  if (name.empty()) return false;
  auto has = [](void* ACtx, const std::string& AOptName) {
    return ACtx && av::av_opt_find(ACtx, AOptName.c_str(), nullptr, 0, 0) != nullptr;
  };
  if (has(AOpts.avcodec_opts[0], name) || has(AOpts.avformat_opts, name) || has(AOpts.sws_opts, name)) return true;
  if (name.size() < 2) return false;
  const std::string rest = name.substr(1);
  return (name[0] == 'a' && has(AOpts.avcodec_opts[AVMEDIA_TYPE_AUDIO], rest)) ||
         (name[0] == 'v' && has(AOpts.avcodec_opts[AVMEDIA_TYPE_VIDEO], rest)) ||
         (name[0] == 's' && has(AOpts.avcodec_opts[AVMEDIA_TYPE_SUBTITLE], rest));
}

void ApplyFFOptions(const TFFOptions& AOpts, void* ATarget, void* ATemplate, int AFlags) {
  if (!ATarget || !ATemplate) return;
  for (const std::string& name : AOpts.opt_names) {
    const AVOption* o = av::av_opt_find(ATemplate, name.c_str(), nullptr, 0, 0);
    if (!o || (o->flags & AFlags) != AFlags) continue;
    uint8_t* text = nullptr;
    if (av::av_opt_get(ATemplate, name.c_str(), 0, &text) >= 0 && text)
      av::av_opt_set(ATarget, name.c_str(), reinterpret_cast<const char*>(text), 0);
    av::av_free(text);
  }
}

int ReadWholeFile(const std::string& AFileName, std::string& ABuffer) {
  ABuffer.clear();
  FILE* file = crt::fopen ? crt::fopen(AFileName.c_str(), "rb") : std::fopen(AFileName.c_str(), "rb");
  if (!file) return -1;
  auto close = [&] { crt::fclose ? crt::fclose(file) : std::fclose(file); };
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
    close();
    return -1;
  }
  try {
    ABuffer.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    close();
    return -12;
  }
  ABuffer.resize(std::fread(ABuffer.data(), 1, ABuffer.size(), file));
  close();
  return 0;
}

// ---- pictures to bitmaps ----

TRGBConvertContext::~TRGBConvertContext() { ResetRGBConvertContext(*this); }

void ResetRGBConvertContext(TRGBConvertContext& ACtx) {
  ACtx.Bitmap.reset();
  // Without the libraries bound (unloaded before this context went) the memory can only be left.
  if (ACtx.RGBBuf && av::av_free) av::av_free(ACtx.RGBBuf);
  ACtx.RGBBuf = nullptr;
  if (ACtx.toRGB_convert_ctx && av::sws_freeContext) av::sws_freeContext(ACtx.toRGB_convert_ctx);
  if (ACtx.fromRGB_convert_ctx && av::sws_freeContext) av::sws_freeContext(ACtx.fromRGB_convert_ctx);
  ACtx.toRGB_convert_ctx = nullptr;
  ACtx.fromRGB_convert_ctx = nullptr;
  ACtx.RGBPixFmt = AV_PIX_FMT_BGR24;
  ACtx.BMPPixFmt = TPixelFormat::pf24bit;
  ACtx.RGBBufSize = 0;
  for (int i = 0; i < 4; ++i) {
    ACtx.RGBPictureData[i] = nullptr;
    ACtx.RGBPictureLinesize[i] = 0;
  }
}

std::unique_ptr<TBitmap> CreateBlankBitmap(int AWidth, int AHeight, TPixelFormat APixelFormat) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(APixelFormat);
  bitmap->SetSize(AWidth, AHeight);
  return bitmap;
}

bool PictureToBitmap(TRGBConvertContext& ACtx, const uint8_t* const APictureData[4], const int APictureLinesize[4],
                     AVPixelFormat APixFmt, int AWidth, int AHeight) {
  if (AWidth <= 0 || AHeight <= 0) return false;
  if (!ACtx.Bitmap) ACtx.Bitmap = CreateBlankBitmap(AWidth, AHeight, ACtx.BMPPixFmt);
  ACtx.Bitmap->SetSize(AWidth, AHeight);

  const uint8_t* rows = nullptr;
  int stride = 0;
  if (APixFmt == ACtx.RGBPixFmt && AWidth % 2 == 0 && AHeight % 2 == 0 &&
      BitmapRowBytes(AWidth) == APictureLinesize[0]) {
    rows = APictureData[0];
    stride = APictureLinesize[0];
  } else {
    const int size = av::av_image_get_buffer_size(ACtx.RGBPixFmt, AWidth, AHeight, 1);
    if (size <= 0) return false;
    if (!ACtx.RGBBuf || ACtx.RGBBufSize < size) {
      if (ACtx.RGBBuf) av::av_free(ACtx.RGBBuf);
      ACtx.RGBBuf = static_cast<uint8_t*>(av::av_malloc(static_cast<size_t>(size)));
      ACtx.RGBBufSize = ACtx.RGBBuf ? size : 0;
      if (!ACtx.RGBBuf) return false;
    }
    av::av_image_fill_arrays(ACtx.RGBPictureData, ACtx.RGBPictureLinesize, ACtx.RGBBuf, ACtx.RGBPixFmt, AWidth,
                             AHeight, 1);
    ACtx.toRGB_convert_ctx = av::sws_getCachedContext(ACtx.toRGB_convert_ctx, AWidth, AHeight, APixFmt, AWidth,
                                                      AHeight, ACtx.RGBPixFmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!ACtx.toRGB_convert_ctx) return false;
    av::sws_scale(ACtx.toRGB_convert_ctx, APictureData, APictureLinesize, 0, AHeight, ACtx.RGBPictureData,
                  ACtx.RGBPictureLinesize);
    rows = ACtx.RGBPictureData[0];
    stride = ACtx.RGBPictureLinesize[0];
  }
  // Only the pixels of a row are copied: the picture's line may be longer than the bitmap's.
  const size_t rowBytes = static_cast<size_t>(AWidth) * 3;
  for (int y = 0; y < AHeight; ++y)
    std::memcpy(ACtx.Bitmap->ScanLine(y), rows + static_cast<ptrdiff_t>(y) * stride, rowBytes);
  return true;
}
