#pragma once
// Routines the probe, the player, the previewer and the engine share: texts for library error
// codes, times, codecs and media types; metadata lookup; the generic codec, format and scaler
// option set TFFOptions; reading a whole file; and the conversion of a decoded picture into a
// 24-bit TBitmap (TRGBConvertContext).
//
// Every routine that calls a library needs the library bound (FFLoader); none keeps shared state.

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"

// printf into a std::string, at any length; an encoding error gives "".
template <typename... Args>
[[nodiscard]] std::string Printf(const char* AFormat, Args... AArgs) {
  const int size = std::snprintf(nullptr, 0, AFormat, AArgs...);
  std::string text(size > 0 ? size : 0, '\0');
  if (size > 0) std::snprintf(text.data(), text.size() + 1, AFormat, AArgs...);
  return text;
}

// The libraries' marker for a missing time.
inline constexpr int64_t NoTimestamp = AV_NOPTS_VALUE;

// The text of a failure to get memory.
inline constexpr const char* OutOfMemoryText = "Not enough memory";

// The framework's own code for an input named as a file that is no regular file or block device
// (a pipe, socket or character device): opening it by name could wait for ever.
inline constexpr int NotARegularFileError = FFERRTAG('N', 'R', 'E', 'G');

// APrefix + ": " + the libraries' message for an error code (av_strerror: "No such file or
// directory" for AVERROR(ENOENT), "Is a directory", "Invalid data found when processing input"
// for AVERROR_INVALIDDATA, …) or the framework's own message for its codes; a code nobody knows
// gives "Error number %d occurred".
[[nodiscard]] std::string AVErrorText(const std::string& APrefix, int AError);

// "hh:mm:ss.mmm" of a time in microseconds (hours not wrapped); "N/A" for NoTimestamp.
[[nodiscard]] std::string FormatMicroseconds(int64_t ATime);

// Microseconds a frame lasts at the rate; 40000 (25 a second) when the rate is unknown.
[[nodiscard]] int64_t FrameDurationMicroseconds(AVRational ARate);

// The value of the first entry whose key matches AKey regardless of case, or ADefault.
[[nodiscard]] std::string GetMetadataText(const AVDictionary* AMetadata, const std::string& AKey,
                                          const std::string& ADefault = std::string());

// Whose name a codec is shown by: the codec's own, as users and the command-line probe know it
// ("mp3", "msmpeg4v3", "subrip"), or that of the decoder or encoder the libraries have for it
// ("mp3float", "msmpeg4", "srt").
enum class TCodecNaming { cnCodec, cnDecoder, cnEncoder };

// The display name of a stream's codec: "name(long name)" of the codec (or of its registered
// decoder or encoder), "mpeg2ts" for the transport-stream pseudo codec, the four tag characters
// and " / 0x%04X" when they are printable, else "0x%04x" of the tag.
[[nodiscard]] std::string CodecDisplayName(const AVCodecParameters* AParameters, TCodecNaming ANaming);

// "Video", "Audio", "Data", "Subtitle", "Attachment" or "Unknown".
[[nodiscard]] std::string MediaTypeName(int AType);

// The libraries' generic options collected by name: one template context per media type, one
// format context and one scaler context hold the values; the names are recorded in the order
// they were set so that ApplyFFOptions can copy them to the real contexts.
struct TFFOptions {
  TFFOptions() = default;
  TFFOptions(const TFFOptions&) = delete;
  TFFOptions& operator=(const TFFOptions&) = delete;
  ~TFFOptions();

  std::vector<std::string> opt_names;
  AVCodecContext* avcodec_opts[AVMEDIA_TYPE_NB] = {};
  AVFormatContext* avformat_opts = nullptr;
  SwsContext* sws_opts = nullptr;
};

void ResetFFOptions(TFFOptions& AOpts);
// Allocates the template contexts (the scaler one with AScaleFlags).
void AllocFFOptions(TFFOptions& AOpts, int AScaleFlags);
// Frees the template contexts and forgets the names.
void FreeFFOptions(TFFOptions& AOpts);
// Sets a generic option on the templates it belongs to (codec options per media type, then the
// format and the scaler options, then "a"/"v"/"s" + codec option). False for empty texts, unknown
// names and invalid values (the last are logged).
bool SetFFOption(TFFOptions& AOpts, const std::string& AName, const std::string& AValue);
// True when SetFFOption would find AName (whatever value it would take).
[[nodiscard]] bool HasFFOption(const TFFOptions& AOpts, const std::string& AName);
// Copies every recorded option that exists on ATemplate with all of AFlags to ATarget.
void ApplyFFOptions(const TFFOptions& AOpts, void* ATarget, void* ATemplate, int AFlags);

// Reads the whole file into ABuffer. 0, -1 when the file cannot be opened or read, -12 when there
// is no memory for it.
[[nodiscard]] int ReadWholeFile(const std::string& AFileName, std::string& ABuffer);

// A picture-to-bitmap converter: keeps its bitmap, conversion buffer and scaler between calls.
struct TRGBConvertContext {
  TRGBConvertContext() = default;
  TRGBConvertContext(const TRGBConvertContext&) = delete;
  TRGBConvertContext& operator=(const TRGBConvertContext&) = delete;
  ~TRGBConvertContext();

  AVPixelFormat RGBPixFmt = AV_PIX_FMT_BGR24;
  TPixelFormat BMPPixFmt = TPixelFormat::pf24bit;
  std::unique_ptr<TBitmap> Bitmap;
  uint8_t* RGBBuf = nullptr;  // library allocator; only grows
  int RGBBufSize = 0;
  uint8_t* RGBPictureData[4] = {};
  int RGBPictureLinesize[4] = {};
  SwsContext* toRGB_convert_ctx = nullptr;
  SwsContext* fromRGB_convert_ctx = nullptr;  // filled by the engine's hooks; freed here
};

// Frees the bitmap, the buffer and both scalers and sets the defaults again.
void ResetRGBConvertContext(TRGBConvertContext& ACtx);

// A new bitmap of that size and pixel format.
[[nodiscard]] std::unique_ptr<TBitmap> CreateBlankBitmap(int AWidth, int AHeight, TPixelFormat APixelFormat);

// Converts a decoded picture (plane pointers and line sizes) of APixFmt into ACtx.Bitmap, sized
// AWidth x AHeight. False only when no scaler can be made; the bitmap keeps its new size then.
bool PictureToBitmap(TRGBConvertContext& ACtx, const uint8_t* const APictureData[4], const int APictureLinesize[4],
                     AVPixelFormat APixFmt, int AWidth, int AHeight);
