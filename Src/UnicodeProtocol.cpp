#include "Src/UnicodeProtocol.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFMediaUtils.h"

namespace {

// Protocol words whose names pass unchanged, each enclosed in colons.
constexpr const char* PassingProtocols =
    ":unicode:stream:gopher:http:https:pipe:rtp:rtsp:rtmp:tcp:udp:ftp:mmsh:mmst:srt:";

constexpr int IOBufferSize = 32768;

// The state behind one I/O context: the file descriptor it reads and writes, and the interrupt
// callback of the format context reading it.
struct TUnicodeFile {
  int Descriptor = -1;
  AVIOInterruptCB Interrupt{nullptr, nullptr};
};

int ReadPacket(void* AOpaque, uint8_t* ABuffer, int ASize) {
  auto* file = static_cast<TUnicodeFile*>(AOpaque);
  for (;;) {
    const ssize_t n = ::read(file->Descriptor, ABuffer, static_cast<size_t>(ASize));
    if (n > 0) return static_cast<int>(n);
    if (n == 0) return AVERROR_EOF;
    if (errno != EINTR) return AVERROR(errno);
    // A read of a pipe or device that a signal broke off: give up when the reader was asked to
    // stop (the player wakes a stalled read this way at teardown), else read on.
    if (file->Interrupt.callback && file->Interrupt.callback(file->Interrupt.opaque)) return AVERROR_EXIT;
  }
}

int WritePacket(void* AOpaque, uint8_t* ABuffer, int ASize) {
  auto* file = static_cast<TUnicodeFile*>(AOpaque);
  int done = 0;
  while (done < ASize) {
    const ssize_t n = ::write(file->Descriptor, ABuffer + done, static_cast<size_t>(ASize - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return AVERROR(errno);
    }
    done += static_cast<int>(n);
  }
  return done;
}

int64_t SeekFile(void* AOpaque, int64_t APosition, int AWhence) {
  auto* file = static_cast<TUnicodeFile*>(AOpaque);
  if (AWhence & AVSEEK_SIZE) {
    struct stat st {};
    if (::fstat(file->Descriptor, &st) != 0) return AVERROR(errno);
    return st.st_size;
  }
  const off_t result = ::lseek(file->Descriptor, APosition, AWhence & ~AVSEEK_FORCE);
  return result < 0 ? AVERROR(errno) : result;
}

// A name the caller gave as a local file (no protocol word of its own) must be a regular file or a
// block device: a named pipe without a writer, a socket or a character device would hold the
// open, or the first read, for ever. A missing file is left to the open, which says so.
int CheckInputFileKind(const std::string& AFileName) {
  if (AFileName.find(':') != std::string::npos && !NeedsUnicodeURL(AFileName)) return 0;
  struct stat st {};
  if (::stat(AFileName.c_str(), &st) != 0) return 0;
  if (S_ISDIR(st.st_mode)) return AVERROR(EISDIR);
  if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode)) return 0;
  return NotARegularFileError;
}

}  // namespace

bool NeedsUnicodeURL(const std::string& AName) {
  const size_t colon = AName.find(':');
  if (colon == std::string::npos) return false;
  const std::string word = ":" + AName.substr(0, colon) + ":";
  return std::strstr(PassingProtocols, word.c_str()) == nullptr;
}

std::string EncodeUnicodeURL(const std::string& AName) { return UnicodeURLPrefix + AName; }

std::string DecodeUnicodeURL(const std::string& AURL) {
  const size_t first = AURL.find(':');
  if (first == std::string::npos) return {};
  const size_t second = AURL.find(':', first + 1);
  if (second == std::string::npos) return {};
  return AURL.substr(second + 1);
}

bool IsUnicodeURL(const std::string& AURL) {
  const size_t prefix = std::strlen(UnicodeURLPrefix);
  return AURL.size() > prefix && AURL.compare(0, prefix, UnicodeURLPrefix) == 0;
}

std::string FileNameToAVName(const std::string& AName) {
  return NeedsUnicodeURL(AName) ? EncodeUnicodeURL(AName) : AName;
}

std::string AVNameToFileName(const std::string& AName) {
  return IsUnicodeURL(AName) ? DecodeUnicodeURL(AName) : AName;
}

std::string LocalFileName(const std::string& AName) {
  if (IsUnicodeURL(AName)) return DecodeUnicodeURL(AName);
  return AName.find(':') == std::string::npos || NeedsUnicodeURL(AName) ? AName : std::string();
}

int OpenUnicodeIO(AVIOContext** AContext, const std::string& AURL, int AFlags) {
  *AContext = nullptr;
  if (!IsUnicodeURL(AURL)) return AVERROR(EINVAL);
  const std::string name = DecodeUnicodeURL(AURL);
  int mode = O_RDONLY;
  if ((AFlags & AVIO_FLAG_READ_WRITE) == AVIO_FLAG_READ_WRITE)
    mode = O_RDWR | O_CREAT | O_TRUNC;
  else if (AFlags & AVIO_FLAG_WRITE)
    mode = O_WRONLY | O_CREAT | O_TRUNC;
  const int fd = ::open(name.c_str(), mode | O_CLOEXEC, 0666);
  if (fd < 0) return AVERROR(errno);

  auto* file = new TUnicodeFile{fd};  // owned by the I/O context's opaque, freed by CloseUnicodeIO
  auto* buffer = static_cast<unsigned char*>(av::av_malloc(IOBufferSize));
  AVIOContext* io = buffer ? av::avio_alloc_context(buffer, IOBufferSize, (AFlags & AVIO_FLAG_WRITE) ? 1 : 0, file,
                                                    ReadPacket, WritePacket, SeekFile)
                           : nullptr;
  if (!io) {
    av::av_free(buffer);
    ::close(fd);
    delete file;
    return AVERROR(ENOMEM);
  }
  *AContext = io;
  return 0;
}

bool IsUnicodeIO(const AVIOContext* AContext) { return AContext && AContext->read_packet == ReadPacket; }

void CloseUnicodeIO(AVIOContext** AContext) {
  AVIOContext* io = *AContext;
  if (!io) return;
  *AContext = nullptr;
  auto* file = static_cast<TUnicodeFile*>(io->opaque);
  if (io->write_flag) av::avio_flush(io);
  av::av_freep(&io->buffer);
  av::avio_context_free(&io);
  if (file) {
    ::close(file->Descriptor);
    delete file;
  }
}

int OpenInputFile(AVFormatContext** AContext, const std::string& AFileName, const AVInputFormat* AFormat,
                  AVDictionary** AOptions) {
  const std::string name = FileNameToAVName(AFileName);
  int result = CheckInputFileKind(AFileName);
  if (result < 0) {
    av::avformat_free_context(*AContext);
    *AContext = nullptr;
    return result;
  }
  if (!IsUnicodeURL(name)) return av::avformat_open_input(AContext, name.c_str(), AFormat, AOptions);

  AVIOContext* io = nullptr;
  result = OpenUnicodeIO(&io, name, AVIO_FLAG_READ);
  if (result < 0) {
    av::avformat_free_context(*AContext);
    *AContext = nullptr;
    return result;
  }
  if (!*AContext) *AContext = av::avformat_alloc_context();
  if (!*AContext) {
    CloseUnicodeIO(&io);
    return AVERROR(ENOMEM);
  }
  (*AContext)->pb = io;
  (*AContext)->flags |= AVFMT_FLAG_CUSTOM_IO;
  static_cast<TUnicodeFile*>(io->opaque)->Interrupt = (*AContext)->interrupt_callback;
  result = av::avformat_open_input(AContext, name.c_str(), AFormat, AOptions);
  // On failure the library freed the context but leaves a caller's I/O context alone.
  if (result < 0) CloseUnicodeIO(&io);
  return result;
}

void CloseInputFile(AVFormatContext** AContext) {
  if (!*AContext) return;
  AVIOContext* io = IsUnicodeIO((*AContext)->pb) ? (*AContext)->pb : nullptr;
  av::avformat_close_input(AContext);
  CloseUnicodeIO(&io);
}

int OpenOutputFile(AVFormatContext* AContext, const std::string& AFileName, AVDictionary** AOptions) {
  const std::string name = FileNameToAVName(AFileName);
  if (IsUnicodeURL(name)) return OpenUnicodeIO(&AContext->pb, name, AVIO_FLAG_WRITE);
  return av::avio_open2(&AContext->pb, name.c_str(), AVIO_FLAG_WRITE, &AContext->interrupt_callback, AOptions);
}

void CloseOutputFile(AVFormatContext* AContext) {
  if (!AContext || !AContext->pb) return;
  if (IsUnicodeIO(AContext->pb))
    CloseUnicodeIO(&AContext->pb);
  else
    av::avio_closep(&AContext->pb);
}
