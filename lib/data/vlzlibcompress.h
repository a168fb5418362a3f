#pragma once
// Streams that deflate what is written to them into another stream, or inflate what they read
// from another stream (RFC 1950 zlib format), and the whole-stream helpers the compressed skins
// use.

#include <zlib.h>

#include <cstdint>

#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"
#include "platform/core/Streams.h"

class EZlibError : public Exception {
 public:
  using Exception::Exception;
};

class ECompressionError : public EZlibError {
 public:
  using EZlibError::EZlibError;
};

class EDecompressionError : public EZlibError {
 public:
  using EZlibError::EZlibError;
};

// The deflater's level: 0, 1, zlib's default (-1) and 9.
enum class TCompressionLevel { clNone, clFastest, clDefault, clMax };

[[nodiscard]] int ZlibLevel(TCompressionLevel Level);

// A zlib result unchanged when it is 0 or positive; a negative one raises ECompressionError
// ("error") or EDecompressionError ("compression error").
int CheckCompressResult(int Code);
int CheckDecompressResult(int Code);

// Common state of both directions. The underlying stream is not owned and must outlive this
// stream; FStrmPos is where this stream continues in it, so a caller that moves the underlying
// stream in between does not disturb it.
class TCustomZlibStream : public TStream {
 public:
  static constexpr int BufferSize = 8192;

  TNotifyEvent OnProgress;  // after each buffer moved to or from the underlying stream

 protected:
  explicit TCustomZlibStream(TStream* Strm);
  void Progress();

  TStream* FStrm;
  std::int64_t FStrmPos;
  z_stream FZRec{};
  unsigned char FBuffer[BufferSize];
};

// Write-only: everything written is deflated into Dest from its position at creation.
// The zlib stream is complete only after Finish (or destruction; a destructor cannot report a
// failed write, so callers that care call Finish).
class TCompressionStream : public TCustomZlibStream {
 public:
  TCompressionStream(TCompressionLevel CompressionLevel, TStream* Dest);
  ~TCompressionStream() override;

  // Flushes the rest of the deflated data and ends the zlib stream; raises ECompressionError or
  // the underlying stream's write error. Later calls do nothing.
  void Finish();

  std::int64_t Read(void* Buffer, std::int64_t Count) override;    // raises ECompressionError
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  // Only Seek(0, soCurrent) is allowed: it answers the number of bytes taken in so far.
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;

  // (1 - bytes out / bytes in) * 100, or 0 before any input.
  [[nodiscard]] float CompressionRate() const;

 private:
  void FlushBuffer(std::size_t Length);
  bool FFinished = false;
};

// Read-only: inflates from Source, starting at its position at creation.
class TDecompressionStream : public TCustomZlibStream {
 public:
  explicit TDecompressionStream(TStream* Source);
  ~TDecompressionStream() override;

  // Up to Count inflated bytes; fewer when the zlib stream ends or the source runs out.
  // A corrupt stream raises EDecompressionError.
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;  // raises EDecompressionError
  // Seek(0, soBeginning) restarts at the start of the zlib stream; forward moves inflate and
  // discard; anything else raises EDecompressionError. Answers the bytes produced so far.
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;

  // True once the inflater has seen the end of the zlib stream (its check value included).
  [[nodiscard]] bool StreamEnded() const { return FEnded; }

 private:
  void Discard(std::int64_t Count);
  std::int64_t FStartPos;
  bool FEnded = false;
};

// Deflates the whole of Source (from its start) at the highest level into Dest at Dest's
// position.
void CompressMemoryStream(TStream* Source, TStream* Dest);

// Inflates the whole of Source (from its start) into Dest at Dest's position. A stream that
// stops before its end, or would inflate to more than MaxSize bytes, raises EDecompressionError.
void DecompressMemoryStream(TStream* Dest, TStream* Source, std::int64_t MaxSize = INT64_MAX);
