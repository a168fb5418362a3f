#pragma once
// The media probe: opens one media file and answers what it holds (TCustomAVProbe), positions it
// by time or byte offset and decodes single video pictures (TAVProbe).
//
// A probe is used by one thread at a time. Every problem goes to the logger with the probe as
// sender and becomes LastErrMsg(); bad files give False or -1, never an exception. Only a probe
// whose libraries are missing raises ("LibAVCodec not loaded." …), from LoadFile and
// SetFileHandle.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "Src/FFBaseComponent.h"
#include "Src/FFMediaUtils.h"
#include "Src/FFmpegLoader.h"
#include "platform/graphics/Bitmap.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// Times without a value are -1; "scaled" times are microseconds.
struct TFileStreamInfo {
  int64_t StartTime = -1;
  int64_t Duration = -1;
  int BitRate = -1;
  int64_t TimeStamp = -1;  // creation time, seconds since 1970
  int Year = -1;
  int Track = -1;
  std::string Title, Author, Copyright, Comment, Album, Genre;
};

struct TAudioStreamInfo {
  std::string Language, CodecName;
  int64_t StartTime = -1, StartTimeScaled = -1, Duration = -1, DurationScaled = -1;
  int BitRate = -1, Channels = -1, SampleRate = -1;
  int SampleFormat = -1;
};

struct TVideoStreamInfo {
  std::string Language, CodecName;
  int64_t StartTime = -1, StartTimeScaled = -1, Duration = -1, DurationScaled = -1;
  int BitRate = -1, Height = -1, Width = -1;
  float AspectRatio = -1;  // display aspect ratio; 0 when the sample aspect ratio is unknown
  int PixFmt = -1;
  AVRational FrameRate{-1, -1};
};

struct TSubtitleStreamInfo {
  std::string Language, CodecName;
};

class TCustomAVProbe : public TFFBaseComponent {
 public:
  explicit TCustomAVProbe(TComponent* AOwner);
  ~TCustomAVProbe() override;

  // Loads the probe's libraries from APath (the loader's LibraryPath) with this probe as holder.
  // False with the loader's reason in LastErrMsg.
  bool LoadAVLib(const std::string& APath);
  [[nodiscard]] bool AVLibLoaded() const;
  void UnloadAVLib();

  // Opens AFileName, detecting its format or with the named one. False with the reason in
  // LastErrMsg (also logged for open failures); the previous file is closed in any case.
  bool LoadFile(const std::string& AFileName, const std::string& AFormatName = std::string());
  virtual void CloseFile();

  [[nodiscard]] AVFormatContext* FileHandle() const { return FFileHandle; }
  // Takes a context opened by someone else (the player): read only, never closed, seeked or
  // decoded here.
  virtual void SetFileHandle(AVFormatContext* Value);

  [[nodiscard]] std::string FileName();
  [[nodiscard]] int64_t FileSize() const { return FFileSize; }
  [[nodiscard]] const std::string& ForceFormat() const { return FForceFormat; }
  [[nodiscard]] std::string FormatName();
  [[nodiscard]] std::string FormatLongName();
  [[nodiscard]] int StreamCount() const { return FStreamCount; }
  [[nodiscard]] int ProgramCount() const { return FProgramCount; }
  [[nodiscard]] int AudioStreamCount() const { return FAudioStreamCount; }
  [[nodiscard]] int VideoStreamCount() const { return FVideoStreamCount; }
  [[nodiscard]] int SubtitleStreamCount() const { return FSubtitleStreamCount; }
  [[nodiscard]] int FirstAudioStreamIndex() const { return FFirstAudioStreamIndex; }
  [[nodiscard]] int FirstVideoStreamIndex() const { return FFirstVideoStreamIndex; }
  [[nodiscard]] int FirstSubtitleStreamIndex() const { return FFirstSubtitleStreamIndex; }

  [[nodiscard]] TFileStreamInfo FileStreamInfo();
  // Index -1: the first stream of the type.
  [[nodiscard]] TAudioStreamInfo GetAudioStreamInfo(int AStreamIndex);
  [[nodiscard]] TVideoStreamInfo GetVideoStreamInfo(int AStreamIndex);
  [[nodiscard]] TSubtitleStreamInfo GetSubtitleStreamInfo(int AStreamIndex);
  [[nodiscard]] TAudioStreamInfo FirstAudioStreamInfo() { return GetAudioStreamInfo(-1); }
  [[nodiscard]] TVideoStreamInfo FirstVideoStreamInfo() { return GetVideoStreamInfo(-1); }
  [[nodiscard]] TSubtitleStreamInfo FirstSubtitleStreamInfo() { return GetSubtitleStreamInfo(-1); }
  bool IsAudioStream(int AStreamIndex);
  bool IsVideoStream(int AStreamIndex);
  bool IsSubtitleStream(int AStreamIndex);

  // The text report of the file, one line per item, each ended by a line break.
  [[nodiscard]] std::string FileInfoText();

  // The last problem reported: an error or warning, or an information line such as "stream eof
  // reached." that ended an operation. Debug lines never become it, and an information line never
  // replaces an error of the same operation.
  [[nodiscard]] const std::string& LastErrMsg() const { return FLastErrMsg; }

 protected:
  // One public operation (a load, seek or decode, with the operations it calls). The outermost
  // one starts the count of what it reports afresh.
  class TOperation {
   public:
    explicit TOperation(TCustomAVProbe& AProbe);
    ~TOperation();
    TOperation(const TOperation&) = delete;
    TOperation& operator=(const TOperation&) = delete;

   private:
    TCustomAVProbe& FProbe;
  };

  virtual void RefreshStreamInfo();
  // Logs ALogText at the logger level of the library level. Errors and warnings become
  // LastErrMsg; information lines too, unless the running operation reported an error or warning
  // already; debug lines are only logged.
  void ReportError(int ALevel, const std::string& ALogText);
  // Makes AText LastErrMsg as an error without logging it.
  void SetLastError(const std::string& AText);
  // Raises Exception "LibAVCodec not loaded." (… LibAVFormat, LibAVUtil, LibSwScale) for the first
  // library of the probe that is not bound.
  void CheckAVLibLoaded() const;
  [[nodiscard]] bool IsStreamOfType(int AStreamIndex, AVMediaType AType);
  [[nodiscard]] std::string StreamLine(int AIndex);

  AVFormatContext* FFileHandle = nullptr;
  bool FOwnHandle = false;
  std::string FLastErrMsg;
  int FLastErrLevel = INT32_MAX;  // library level of FLastErrMsg in the running operation; INT32_MAX: none
  int FOperationDepth = 0;
  std::string FForceFormat;
  int64_t FFileSize = -1;
  int FStreamCount = -1, FProgramCount = -1;
  int FAudioStreamCount = -1, FVideoStreamCount = -1, FSubtitleStreamCount = -1;
  int FFirstAudioStreamIndex = -1, FFirstVideoStreamIndex = -1, FFirstSubtitleStreamIndex = -1;
};

// One decoded picture, in a buffer of its own that survives further reading.
struct TFrameInfo {
  int PixFmt = -1;
  int Width = -1, Height = -1;
  bool IsKeyFrame = false;
  TPictureType PictureType = TPictureType::ptUnknown;
  int64_t PTS = NoTimestamp;  // microseconds from the stream's start
  int64_t OriginalDTS = NoTimestamp, OriginalPTS = NoTimestamp;  // the stream's own time base
  int StreamIndex = -1;
  int64_t Position = -1;  // byte position of the reading before the packets of this picture
  bool Ready = false;
  uint8_t* Picture[4] = {};  // planes over Buffer
  int Linesize[4] = {};
  uint8_t* Buffer = nullptr;  // library allocator, owned by the probe; only grows
  int Size = 0;
};

class TAVProbe : public TCustomAVProbe {
 public:
  explicit TAVProbe(TComponent* AOwner);
  ~TAVProbe() override;

  void CloseFile() override;

  // Positions the file at APTS microseconds from its start (a byte offset with sfByte). False when
  // the file cannot be positioned there or the end was reached.
  bool Seek(int64_t APTS, TSeekFlags ASeekFlags = TSeekFlags{});
  // Decodes the next picture of a video stream (-1: the stream decoded last, else the first video
  // stream). False at the end of the file (Eof() then stays True until the next Seek).
  bool Decode(int AStreamIndex = -1);
  bool DecodeNextKeyFrame(int AStreamIndex = -1);
  // The nearest key frame before the current picture; always ends (at the first picture).
  bool DecodePreviousKeyFrame(int AStreamIndex = -1);
  bool DecodePreviousFrame(int AStreamIndex = -1);
  // A 24-bit copy of the current picture. False before any decode (ABitmap unchanged) or when it
  // cannot be converted (ABitmap black then).
  bool CopyToBitmap(TBitmap* ABitmap);

  // The end of the file was reached ("EOF" itself is a macro of the C library).
  [[nodiscard]] bool Eof() const { return FEOF; }
  [[nodiscard]] const TFrameInfo& FrameInfo() const { return FPicture; }
  // The byte position of the file's reading; -1 without a file or I/O context.
  [[nodiscard]] int64_t Position();

 protected:
  void RefreshStreamInfo() override;

 private:
  bool CheckSeekable();
  bool CanSeek();
  // Seek; AAllowEarlier: a forward seek without a key frame after APTS lands on the last one
  // before it instead of failing.
  bool SeekTo(int64_t APTS, TSeekFlags ASeekFlags, bool AAllowEarlier);
  // The outcome of a search for a key frame of the decoded stream.
  enum class TKeySearch { ksFound, ksPassed, ksEnd };
  // Positions the reading on a key frame of AStream, holding the packets of AStream from that
  // key frame on (FHeld) for the next Decode. ATarget is in the seek stream's time base.
  // AForward: the first key frame at or after ATarget when there is one; otherwise (and always
  // without AForward when AAllowEarlier) the last one at or before it, or the first of the file
  // when the target lies before it. ksEnd when the stream has no key frame at all, ksPassed when
  // there is none where it was asked for.
  TKeySearch SeekKeyFrame(int AStream, int64_t ATarget, int AFlags, bool AForward, bool AAllowEarlier);
  // Reads AStream's packets on from where the reading stands into FHeld, beginning with a key
  // frame: the first one (AFirst), or the last one at or before ALimit (AStream's time base),
  // read until a packet decoded after ALimit comes. ksPassed when no key frame fits.
  TKeySearch ReadToKeyFrame(int AStream, int64_t ALimit, bool AFirst);
  // Positions the reading at the start of the file; the libraries' result.
  int SeekToStart(int AFlags);
  void DropHeldPackets();
  [[nodiscard]] bool IsStillImage() const;
  int ResolveDecodeIndex(int AStreamIndex);
  bool OpenStreamDecoder(int AIndex);
  void CloseDecoder();
  void ResetFrameInfo();
  bool ReceivePicture(int64_t APosition);
  void StoreDecodedPicture(const AVFrame* AFrame, int64_t APosition);
  [[nodiscard]] int64_t FrameDuration() const;

  AVCodecContext* FCodec = nullptr;
  int FCodecStream = -1;  // the stream FCodec decodes
  AVFrame* FFrame = nullptr;
  AVPacket* FPacket = nullptr;
  struct TPacketFree {
    void operator()(AVPacket* APacket) const;
  };
  // The packets of the decoded stream a seek read ahead, from the key frame it stopped on.
  std::deque<std::unique_ptr<AVPacket, TPacketFree>> FHeld;
  bool FDraining = false;       // the end of the file was sent to the decoder
  bool FPacketPending = false;  // FPacket was refused by a full decoder and waits to be sent again
  TRGBConvertContext FRGBContext;
  int FSeekIndex = -1;
  int64_t FStartTime = 0;
  int FDecodeIndex = -1;
  bool FEOF = false;
  TFrameInfo FPicture;
  int64_t FLastPTS = NoTimestamp;
  int64_t FLastPos = -1;
};
