#include "lib/data/vlzlibcompress.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

const char* const kInvalidOperation = "Invalid stream operation";

// zlib counts in unsigned int; larger requests are fed in pieces of this size.
constexpr std::int64_t kMaxChunk = 1 << 30;

}  // namespace

int ZlibLevel(TCompressionLevel Level) {
  switch (Level) {
    case TCompressionLevel::clNone: return Z_NO_COMPRESSION;
    case TCompressionLevel::clFastest: return Z_BEST_SPEED;
    case TCompressionLevel::clDefault: return Z_DEFAULT_COMPRESSION;
    case TCompressionLevel::clMax: return Z_BEST_COMPRESSION;
  }
  return Z_DEFAULT_COMPRESSION;
}

int CheckCompressResult(int Code) {
  if (Code < 0) throw ECompressionError("error");
  return Code;
}

int CheckDecompressResult(int Code) {
  if (Code < 0) throw EDecompressionError("compression error");
  return Code;
}

TCustomZlibStream::TCustomZlibStream(TStream* Strm) : FStrm(Strm), FStrmPos(Strm->Position()) {}

void TCustomZlibStream::Progress() {
  if (OnProgress) OnProgress(this);
}

// ---- compression ----

TCompressionStream::TCompressionStream(TCompressionLevel CompressionLevel, TStream* Dest)
    : TCustomZlibStream(Dest) {
  FZRec.next_out = FBuffer;
  FZRec.avail_out = BufferSize;
  CheckCompressResult(deflateInit(&FZRec, ZlibLevel(CompressionLevel)));
}

TCompressionStream::~TCompressionStream() {
  try {
    Finish();
  } catch (...) {
    // A destructor cannot report the failure; callers that need to know call Finish first.
  }
  deflateEnd(&FZRec);
}

void TCompressionStream::FlushBuffer(std::size_t Length) {
  if (Length > 0) {
    if (FStrm->Position() != FStrmPos) FStrm->SetPosition(FStrmPos);
    FStrm->WriteBuffer(FBuffer, static_cast<std::int64_t>(Length));
    FStrmPos = FStrm->Position();
    Progress();
  }
  FZRec.next_out = FBuffer;
  FZRec.avail_out = BufferSize;
}

void TCompressionStream::Finish() {
  if (FFinished) return;
  FFinished = true;  // even a failed finish cannot be retried: the deflater's state is spent
  FZRec.next_in = nullptr;
  FZRec.avail_in = 0;
  int result;
  do {
    result = CheckCompressResult(deflate(&FZRec, Z_FINISH));
    FlushBuffer(BufferSize - FZRec.avail_out);
  } while (result != Z_STREAM_END);
}

std::int64_t TCompressionStream::Read(void*, std::int64_t) { throw ECompressionError(kInvalidOperation); }

std::int64_t TCompressionStream::Write(const void* Buffer, std::int64_t Count) {
  if (FFinished) throw ECompressionError(kInvalidOperation);
  if (Count <= 0) return 0;
  auto* in = static_cast<const unsigned char*>(Buffer);
  std::int64_t left = Count;
  while (left > 0) {
    const std::int64_t piece = std::min(left, kMaxChunk);
    FZRec.next_in = const_cast<unsigned char*>(in);
    FZRec.avail_in = static_cast<uInt>(piece);
    while (FZRec.avail_in > 0) {
      CheckCompressResult(deflate(&FZRec, Z_NO_FLUSH));
      if (FZRec.avail_out == 0) FlushBuffer(BufferSize);
    }
    in += piece;
    left -= piece;
  }
  return Count;
}

std::int64_t TCompressionStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  if (Offset == 0 && Origin == TSeekOrigin::soCurrent) return static_cast<std::int64_t>(FZRec.total_in);
  throw ECompressionError(kInvalidOperation);
}

float TCompressionStream::CompressionRate() const {
  if (FZRec.total_in == 0) return 0.0f;
  return (1.0f - static_cast<float>(FZRec.total_out) / static_cast<float>(FZRec.total_in)) * 100.0f;
}

// ---- decompression ----

TDecompressionStream::TDecompressionStream(TStream* Source) : TCustomZlibStream(Source), FStartPos(FStrmPos) {
  FZRec.next_in = FBuffer;
  FZRec.avail_in = 0;
  CheckDecompressResult(inflateInit(&FZRec));
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(&FZRec); }

std::int64_t TDecompressionStream::Read(void* Buffer, std::int64_t Count) {
  if (Count <= 0) return 0;
  auto* out = static_cast<unsigned char*>(Buffer);
  std::int64_t produced = 0;
  while (produced < Count && !FEnded) {
    if (FZRec.avail_in == 0) {
      if (FStrm->Position() != FStrmPos) FStrm->SetPosition(FStrmPos);
      const std::int64_t got = FStrm->Read(FBuffer, BufferSize);
      if (got <= 0) break;
      FZRec.next_in = FBuffer;
      FZRec.avail_in = static_cast<uInt>(got);
      FStrmPos = FStrm->Position();
      Progress();
    }
    const std::int64_t piece = std::min(Count - produced, kMaxChunk);
    FZRec.next_out = out + produced;
    FZRec.avail_out = static_cast<uInt>(piece);
    const int result = CheckDecompressResult(inflate(&FZRec, Z_NO_FLUSH));
    produced += piece - FZRec.avail_out;
    if (result == Z_STREAM_END) FEnded = true;
    // A stream that asks for a preset dictionary cannot be read: it would never progress.
    else if (result == Z_NEED_DICT) throw EDecompressionError("compression error");
  }
  return produced;
}

std::int64_t TDecompressionStream::Write(const void*, std::int64_t) {
  throw EDecompressionError(kInvalidOperation);
}

void TDecompressionStream::Discard(std::int64_t Count) {
  unsigned char scratch[BufferSize];
  while (Count > 0) {
    const std::int64_t piece = std::min<std::int64_t>(Count, BufferSize);
    ReadBuffer(scratch, piece);
    Count -= piece;
  }
}

std::int64_t TDecompressionStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  const auto produced = static_cast<std::int64_t>(FZRec.total_out);
  if (Offset == 0 && Origin == TSeekOrigin::soBeginning) {
    // Back to where the zlib stream began (not blindly to 0: it may follow a header).
    CheckDecompressResult(inflateReset(&FZRec));
    FZRec.next_in = FBuffer;
    FZRec.avail_in = 0;
    FEnded = false;
    FStrmPos = FStartPos;
    FStrm->SetPosition(FStartPos);
  } else if (Offset >= 0 && Origin == TSeekOrigin::soCurrent) {
    Discard(Offset);
  } else if (Origin == TSeekOrigin::soBeginning && Offset >= produced) {
    Discard(Offset - produced);
  } else {
    throw EDecompressionError(kInvalidOperation);
  }
  return static_cast<std::int64_t>(FZRec.total_out);
}

// ---- whole streams ----

void CompressMemoryStream(TStream* Source, TStream* Dest) {
  Source->SetPosition(0);
  TCompressionStream compressor(TCompressionLevel::clMax, Dest);
  std::vector<unsigned char> block(TCustomZlibStream::BufferSize);
  for (;;) {
    const std::int64_t got = Source->Read(block.data(), static_cast<std::int64_t>(block.size()));
    if (got <= 0) break;
    compressor.WriteBuffer(block.data(), got);
  }
  compressor.Finish();
}

void DecompressMemoryStream(TStream* Dest, TStream* Source, std::int64_t MaxSize) {
  Source->SetPosition(0);
  TDecompressionStream inflater(Source);
  unsigned char block[4096];
  std::int64_t total = 0;
  for (;;) {
    const std::int64_t got = inflater.Read(block, sizeof block);
    if (got <= 0) break;
    total += got;
    if (total > MaxSize) throw EDecompressionError("compression error: inflated data too large");
    Dest->WriteBuffer(block, got);
  }
  if (!inflater.StreamEnded()) throw EDecompressionError("compression error: truncated stream");
}
