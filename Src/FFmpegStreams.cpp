// Byte streams as inputs and outputs of a job: the registry behind "stream:<id>:…" names and the
// libraries' I/O contexts on a TStream.

#include <map>
#include <mutex>

#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpeg.h"
#include "platform/core/Streams.h"

namespace {

struct TRegistry {
  std::mutex Lock;
  int NextId = 1;
  std::map<int, TStream*> Streams;
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

constexpr int StreamIOBufferSize = 32768;

// The opaque value of our contexts.
struct TStreamIOState {
  TStream* Stream = nullptr;
};

int ReadPacket(void* AOpaque, uint8_t* ABuffer, int ASize) {
  try {
    const int64_t n = static_cast<TStreamIOState*>(AOpaque)->Stream->Read(ABuffer, ASize);
    return n > 0 ? static_cast<int>(n) : AVERROR_EOF;
  } catch (...) {
    return AVERROR(EIO);
  }
}

int WritePacket(void* AOpaque, uint8_t* ABuffer, int ASize) {
  try {
    const int64_t n = static_cast<TStreamIOState*>(AOpaque)->Stream->Write(ABuffer, ASize);
    return n == ASize ? ASize : AVERROR(EIO);
  } catch (...) {
    return AVERROR(EIO);
  }
}

int64_t SeekStream(void* AOpaque, int64_t AOffset, int AWhence) {
  TStream* stream = static_cast<TStreamIOState*>(AOpaque)->Stream;
  try {
    switch (AWhence & ~AVSEEK_FORCE) {
      case AVSEEK_SIZE: return stream->Size();
      case SEEK_SET: return stream->Seek(AOffset, TSeekOrigin::soBeginning);
      case SEEK_CUR: return stream->Seek(AOffset, TSeekOrigin::soCurrent);
      case SEEK_END: return stream->Seek(AOffset, TSeekOrigin::soEnd);
      default: return AVERROR(EINVAL);
    }
  } catch (...) {
    return AVERROR(EIO);
  }
}

}  // namespace

int TStreamRegistry::Register(TStream* AStream) {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  const int id = r.NextId++;
  r.Streams[id] = AStream;
  return id;
}

void TStreamRegistry::Unregister(int AId) {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  r.Streams.erase(AId);
}

TStream* TStreamRegistry::Find(int AId) {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  auto it = r.Streams.find(AId);
  return it == r.Streams.end() ? nullptr : it->second;
}

std::string TStreamRegistry::StreamName(int AId, const std::string& APrivateData) {
  return "stream:" + std::to_string(AId) + ":" + APrivateData;
}

int TStreamRegistry::ParseStreamName(const std::string& AName) {
  if (AName.rfind("stream:", 0) != 0) return 0;
  size_t pos = 7;
  int id = 0;
  bool digits = false;
  while (pos < AName.size() && AName[pos] >= '0' && AName[pos] <= '9' && id < 100000000) {
    id = id * 10 + (AName[pos] - '0');
    digits = true;
    ++pos;
  }
  if (!digits || pos >= AName.size() || AName[pos] != ':') return 0;
  return id;
}

AVIOContext* NewStreamIO(TStream* AStream, bool AWrite) {
  auto* buffer = static_cast<unsigned char*>(av::av_malloc(StreamIOBufferSize));
  if (!buffer) return nullptr;
  auto* state = new TStreamIOState;
  state->Stream = AStream;
  AVIOContext* io = av::avio_alloc_context(buffer, StreamIOBufferSize, AWrite ? 1 : 0, state,
                                           AWrite ? nullptr : ReadPacket, AWrite ? WritePacket : nullptr, SeekStream);
  if (!io) {
    av::av_free(buffer);
    delete state;
  }
  return io;
}

bool IsStreamIO(const AVIOContext* AContext) {
  return AContext && AContext->read_packet != nullptr ? AContext->read_packet == ReadPacket
                                                      : AContext && AContext->write_packet == WritePacket;
}

void FreeStreamIO(AVIOContext** AContext) {
  if (!AContext || !*AContext) return;
  AVIOContext* io = *AContext;
  if (io->write_flag) av::avio_flush(io);
  delete static_cast<TStreamIOState*>(io->opaque);
  av::av_freep(&io->buffer);
  av::avio_context_free(AContext);
}
