#include "platform/core/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/core/Exceptions.h"

namespace {

constexpr int64_t kCopyBlockSize = 8192;

std::string SystemReason(int error) { return std::error_code(error, std::system_category()).message(); }

[[noreturn]] void RaiseSeekError() { throw EStreamError("Invalid stream position"); }

int WhenceOf(TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning:
      return SEEK_SET;
    case TSeekOrigin::soCurrent:
      return SEEK_CUR;
    case TSeekOrigin::soEnd:
      return SEEK_END;
  }
  return SEEK_SET;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TStream

int64_t TStream::Position() const {
  // Asking for the position does not move it; Seek is not const only because it may.
  return const_cast<TStream*>(this)->Seek(0, TSeekOrigin::soCurrent);
}

void TStream::SetPosition(int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }

int64_t TStream::Size() const { return GetSize(); }

int64_t TStream::GetSize() const {
  auto* self = const_cast<TStream*>(this);
  int64_t pos = self->Seek(0, TSeekOrigin::soCurrent);
  int64_t size = self->Seek(0, TSeekOrigin::soEnd);
  self->Seek(pos, TSeekOrigin::soBeginning);
  return size;
}

void TStream::SetSize(int64_t /*NewSize*/) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  auto* out = static_cast<std::uint8_t*>(Buffer);
  int64_t done = 0;
  // A stream may deliver fewer bytes than asked before its end (pipes, inflaters): keep asking
  // until it answers 0.
  while (done < Count) {
    int64_t n = Read(out + done, Count - done);
    if (n <= 0) throw EReadError("Stream read error");
    done += n;
  }
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  const auto* in = static_cast<const std::uint8_t*>(Buffer);
  int64_t done = 0;
  while (done < Count) {
    int64_t n = Write(in + done, Count - done);
    if (n <= 0) throw EWriteError("Stream write error");
    done += n;
  }
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count <= 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(Count, kCopyBlockSize)));
  int64_t left = Count;
  while (left > 0) {
    int64_t n = std::min(left, kCopyBlockSize);
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return Count;
}

// ---------------------------------------------------------------------------------------------
// THandleStream

int64_t THandleStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  auto* out = static_cast<std::uint8_t*>(Buffer);
  int64_t done = 0;
  while (done < Count) {
    ssize_t n = ::read(handle_, out + done, static_cast<std::size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t THandleStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const auto* in = static_cast<const std::uint8_t*>(Buffer);
  int64_t done = 0;
  while (done < Count) {
    ssize_t n = ::write(handle_, in + done, static_cast<std::size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  off_t result = ::lseek(handle_, static_cast<off_t>(Offset), WhenceOf(Origin));
  if (result < 0) RaiseSeekError();
  return result;
}

void THandleStream::SetSize(int64_t NewSize) {
  if (NewSize < 0 || ::ftruncate(handle_, static_cast<off_t>(NewSize)) != 0) {
    throw EStreamError("Stream size cannot be changed: " + SystemReason(NewSize < 0 ? EINVAL : errno));
  }
  // Like a memory stream, a position beyond the new end moves to the end.
  if (Position() > NewSize) Seek(NewSize, TSeekOrigin::soBeginning);
}

// ---------------------------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const std::string& FileName, UINT Mode) : THandleStream(-1), fileName_(FileName) {
  bool create = (Mode & fmCreate) == fmCreate;
  int flags = O_CLOEXEC;
  if (create) {
    flags |= O_RDWR | O_CREAT | O_TRUNC;
  } else {
    switch (Mode & 0x3) {
      case fmOpenWrite:
        flags |= O_WRONLY;
        break;
      case fmOpenReadWrite:
        flags |= O_RDWR;
        break;
      default:
        flags |= O_RDONLY;
        break;
    }
  }
  int fd = -1;
  do {
    fd = ::open(FileName.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0) {
    // A folder opens read-only on this system but is no file to stream.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      fd = -1;
      error = EISDIR;
    }
  }
  if (fd < 0) {
    std::string reason = SystemReason(error);
    if (create) throw EFCreateError("Cannot create file \"" + FileName + "\". " + reason);
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + reason);
  }
  handle_ = fd;
}

TFileStream::~TFileStream() {
  if (handle_ >= 0) ::close(handle_);
}

// ---------------------------------------------------------------------------------------------
// TCustomMemoryStream

int64_t TCustomMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || position_ >= size_) return 0;
  int64_t n = std::min(Count, size_ - position_);
  std::memcpy(Buffer, memory_ + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

int64_t TCustomMemoryStream::Write(const void* /*Buffer*/, int64_t /*Count*/) { return 0; }

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = 0;
  switch (Origin) {
    case TSeekOrigin::soBeginning:
      base = 0;
      break;
    case TSeekOrigin::soCurrent:
      base = position_;
      break;
    case TSeekOrigin::soEnd:
      base = size_;
      break;
  }
  int64_t target = base + Offset;
  if (target < 0) RaiseSeekError();
  position_ = target;
  return position_;
}

void TCustomMemoryStream::SetPointer(const void* Ptr, int64_t Size) {
  memory_ = static_cast<const std::uint8_t*>(Ptr);
  size_ = Size > 0 ? Size : 0;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) const { Stream->WriteBuffer(memory_, size_); }

void TCustomMemoryStream::SaveToFile(const std::string& FileName) const {
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
}

// ---------------------------------------------------------------------------------------------
// TMemoryStream

void TMemoryStream::Sync() { SetPointer(bytes_.empty() ? nullptr : bytes_.data(), static_cast<int64_t>(bytes_.size())); }

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t end = position_ + Count;
  if (end > size_) {
    bytes_.resize(static_cast<std::size_t>(end));
    Sync();
  }
  std::memcpy(bytes_.data() + position_, Buffer, static_cast<std::size_t>(Count));
  position_ = end;
  return Count;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Stream size cannot be negative");
  bytes_.resize(static_cast<std::size_t>(NewSize));
  Sync();
  if (position_ > NewSize) position_ = NewSize;
}

void TMemoryStream::Clear() {
  bytes_.clear();
  bytes_.shrink_to_fit();
  Sync();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  int64_t count = Stream->Size();
  // Read into a fresh block so a failing source leaves this stream as it was.
  std::vector<std::uint8_t> data(static_cast<std::size_t>(count));
  Stream->ReadBuffer(data.data(), count);
  bytes_ = std::move(data);
  Sync();
  if (position_ > size_) position_ = size_;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

// ---------------------------------------------------------------------------------------------
// TStringStream

TStringStream::TStringStream(const std::string& AString) {
  WriteString(AString);
  SetPosition(0);
}

std::string TStringStream::DataString() const {
  const auto* data = static_cast<const char*>(TMemoryStream::Memory());
  return size_ > 0 ? std::string(data, static_cast<std::size_t>(size_)) : std::string();
}

std::string TStringStream::ReadString(int64_t Count) {
  if (Count <= 0 || position_ >= size_) return {};
  std::string text(static_cast<std::size_t>(std::min(Count, size_ - position_)), '\0');
  Read(text.data(), static_cast<int64_t>(text.size()));
  return text;
}

void TStringStream::WriteString(const std::string& AString) {
  WriteBuffer(AString.data(), static_cast<int64_t>(AString.size()));
}
