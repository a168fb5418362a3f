#pragma once
// Byte streams: the abstract TStream with its helpers, streams over a file descriptor or a
// file, memory streams that own or merely view their bytes, and a string-backed stream.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Object.h"
#include "platform/core/Types.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// Open modes of TFileStream: one access mode, optionally or-ed with one share mode.
// fmCreate creates the file (or truncates an existing one) and opens it for reading and writing.
constexpr UINT fmCreate = 0xFF00;
constexpr UINT fmOpenRead = 0x0000;
constexpr UINT fmOpenWrite = 0x0001;
constexpr UINT fmOpenReadWrite = 0x0002;
// Share modes are accepted for compatibility; this platform does not lock files against
// other openers.
constexpr UINT fmShareCompat = 0x0000;
constexpr UINT fmShareExclusive = 0x0010;
constexpr UINT fmShareDenyWrite = 0x0020;
constexpr UINT fmShareDenyRead = 0x0030;
constexpr UINT fmShareDenyNone = 0x0040;

class TStream : public TObject {
 public:
  // Reads up to Count bytes at the position and advances it; answers the bytes read, 0 at the
  // end of the stream or on a read failure. A negative Count reads nothing.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  // Writes up to Count bytes at the position and advances it; answers the bytes written,
  // fewer than Count when the stream refuses the rest.
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Moves the position and answers the new one. Raises EStreamError for a target before the
  // start or a stream that cannot seek.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  [[nodiscard]] int64_t Position() const;
  void SetPosition(int64_t Pos);
  // The stream's length in bytes.
  [[nodiscard]] int64_t Size() const;
  // Changes the length; streams of a fixed length raise EStreamError.
  virtual void SetSize(int64_t NewSize);

  // Reads exactly Count bytes or raises EReadError "Stream read error".
  void ReadBuffer(void* Buffer, int64_t Count);
  // Writes exactly Count bytes or raises EWriteError "Stream write error".
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source's position into this stream and answers Count. Count 0
  // (or less) copies the whole of Source from its start. A short source raises EReadError.
  int64_t CopyFrom(TStream* Source, int64_t Count);

 protected:
  // Length of the stream; the default seeks to the end and back.
  [[nodiscard]] virtual int64_t GetSize() const;
};

// A stream over an open file descriptor. The descriptor is not closed by this class.
class THandleStream : public TStream {
 public:
  explicit THandleStream(int AHandle) : handle_(AHandle) {}

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  // Truncates or extends the file; raises EStreamError when the system refuses.
  void SetSize(int64_t NewSize) override;
  [[nodiscard]] int Handle() const { return handle_; }

 protected:
  int handle_ = -1;
};

// A stream over a named file, opened by the constructor and closed by the destructor.
class TFileStream : public THandleStream {
 public:
  // Mode is fmCreate or one of fmOpenRead/fmOpenWrite/fmOpenReadWrite, with any share flag.
  // Raises EFCreateError "Cannot create file \"name\". reason" when fmCreate fails, and
  // EFOpenError "Cannot open file \"name\". reason" otherwise (a folder is not a file).
  TFileStream(const std::string& FileName, UINT Mode);
  ~TFileStream() override;

  [[nodiscard]] const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
};

// A stream over a block of memory it does not own. Reading, seeking and saving work; writing
// answers 0 (so WriteBuffer raises EWriteError) and the length is fixed.
class TCustomMemoryStream : public TStream {
 public:
  TCustomMemoryStream() = default;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

  // The first byte of the block (nullptr when empty).
  [[nodiscard]] const void* Memory() const { return memory_; }
  // Makes the stream a view of Size bytes at Ptr; the bytes must outlive the stream. The
  // position is kept (a later read past the end answers 0).
  void SetPointer(const void* Ptr, int64_t Size);

  // Writes the whole block, whatever the position, into Stream or a new file.
  void SaveToStream(TStream* Stream) const;
  void SaveToFile(const std::string& FileName) const;

 protected:
  [[nodiscard]] int64_t GetSize() const override { return size_; }

  const std::uint8_t* memory_ = nullptr;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

// A growable stream in memory that owns its bytes. Writing past the end extends it; a gap
// left by seeking beyond the end reads as zero bytes.
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;

  int64_t Write(const void* Buffer, int64_t Count) override;
  // Resizes the block (new bytes are zero); a position beyond the new end moves to the end.
  void SetSize(int64_t NewSize) override;

  // The owned bytes, writable; valid until the next write or resize.
  [[nodiscard]] void* Memory() { return bytes_.data(); }
  [[nodiscard]] const void* Memory() const { return bytes_.data(); }

  // Empties the stream and moves the position to 0.
  void Clear();
  // Replaces the contents with the whole of Stream (read from its start) or of a file.
  // Raises EFOpenError for a file that cannot be opened.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);

 private:
  void Sync();
  std::vector<std::uint8_t> bytes_;
};

// A memory stream holding text; DataString answers the whole contents.
class TStringStream : public TMemoryStream {
 public:
  explicit TStringStream(const std::string& AString = std::string());

  [[nodiscard]] std::string DataString() const;
  // Reads up to Count bytes at the position as text.
  [[nodiscard]] std::string ReadString(int64_t Count);
  // Writes the text at the position.
  void WriteString(const std::string& AString);
};
