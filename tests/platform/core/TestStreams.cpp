#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "streams-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  [[nodiscard]] std::string File(const std::string& name) const { return (fs::path(path_) / name).string(); }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A source that hands out at most one byte per Read, as pipes and inflaters may.
class TDribbleStream : public TStream {
 public:
  explicit TDribbleStream(std::string data) : data_(std::move(data)) {}
  int64_t Read(void* Buffer, int64_t Count) override {
    if (Count <= 0 || pos_ >= static_cast<int64_t>(data_.size())) return 0;
    static_cast<char*>(Buffer)[0] = data_[static_cast<std::size_t>(pos_++)];
    return 1;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    int64_t base = Origin == TSeekOrigin::soBeginning ? 0
                   : Origin == TSeekOrigin::soCurrent ? pos_
                                                      : static_cast<int64_t>(data_.size());
    pos_ = base + Offset;
    return pos_;
  }

 private:
  std::string data_;
  int64_t pos_ = 0;
};

TEST(MemoryStream, SeeksByEachOriginAndReadsBack) {
  TMemoryStream stream;
  stream.WriteBuffer("0123456789", 10);
  EXPECT_EQ(stream.Size(), 10);
  EXPECT_EQ(stream.Position(), 10);

  struct Case {
    int64_t offset;
    TSeekOrigin origin;
    int64_t expected;
    char byte;
  };
  const Case cases[] = {
      {3, TSeekOrigin::soBeginning, 3, '3'},
      {2, TSeekOrigin::soCurrent, 6, '6'},  // from 4, after reading '3'
      {-1, TSeekOrigin::soEnd, 9, '9'},
      {-3, TSeekOrigin::soCurrent, 7, '7'},  // from 10
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(stream.Seek(c.offset, c.origin), c.expected);
    char byte = 0;
    stream.ReadBuffer(&byte, 1);
    EXPECT_EQ(byte, c.byte);
  }
  EXPECT_THROW(stream.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
  EXPECT_EQ(stream.Position(), 8) << "a refused seek leaves the position";
}

TEST(MemoryStream, WritingBeyondTheEndFillsTheGapWithZeros) {
  TMemoryStream stream;
  stream.WriteBuffer("ab", 2);
  stream.SetPosition(5);
  stream.WriteBuffer("z", 1);
  ASSERT_EQ(stream.Size(), 6);
  const auto* bytes = static_cast<const char*>(stream.Memory());
  EXPECT_EQ(std::string(bytes, 6), std::string("ab\0\0\0z", 6));

  stream.SetSize(3);
  EXPECT_EQ(stream.Position(), 3) << "a position past the new end moves to the end";
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
}

TEST(Stream, ShortTransfersRaise) {
  TMemoryStream stream;
  stream.WriteBuffer("abc", 3);
  stream.SetPosition(1);
  char buffer[8] = {};
  try {
    stream.ReadBuffer(buffer, 3);
    FAIL() << "a read past the end must raise";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message, "Stream read error");
  }
  EXPECT_EQ(stream.Read(buffer, 8), 0) << "the failed read consumed what was there";

  const char fixed[] = "xyz";
  TCustomMemoryStream view;
  view.SetPointer(fixed, 3);
  try {
    view.WriteBuffer("a", 1);
    FAIL() << "a read-only view must refuse writes";
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message, "Stream write error");
  }
  EXPECT_THROW(view.SetSize(10), EStreamError);
}

TEST(Stream, ReadBufferCollectsPartialReads) {
  TDribbleStream source("hello");
  char buffer[5] = {};
  source.ReadBuffer(buffer, 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
}

TEST(Stream, CopyFrom) {
  TStringStream source("0123456789");
  source.SetPosition(7);

  TMemoryStream whole;
  EXPECT_EQ(whole.CopyFrom(&source, 0), 10) << "count 0 copies all from the start";
  EXPECT_EQ(std::string(static_cast<const char*>(whole.Memory()), 10), "0123456789");

  source.SetPosition(2);
  TStringStream part;
  EXPECT_EQ(part.CopyFrom(&source, 4), 4);
  EXPECT_EQ(part.DataString(), "2345");
  EXPECT_EQ(source.Position(), 6);

  source.SetPosition(8);
  TStringStream tooMuch;
  EXPECT_THROW(tooMuch.CopyFrom(&source, 5), EReadError);

  // More than one copy block, from a source that delivers byte by byte.
  std::string big(20000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  TDribbleStream dribble(big);
  TStringStream copy;
  copy.CopyFrom(&dribble, static_cast<int64_t>(big.size()));
  EXPECT_EQ(copy.DataString(), big);
}

TEST(FileStream, CreateWriteReopenAndModes) {
  TempDir dir;
  std::string name = dir.File("data.bin");
  {
    TFileStream out(name, fmCreate);
    out.WriteBuffer("hello world", 11);
  }
  EXPECT_EQ(ReadAll(name), "hello world");
  {
    // fmOpenWrite keeps the contents and writes over them.
    TFileStream out(name, fmOpenWrite | fmShareDenyNone);
    out.WriteBuffer("HE", 2);
  }
  EXPECT_EQ(ReadAll(name), "HEllo world");
  {
    TFileStream in(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(in.Size(), 11);
    in.Seek(-5, TSeekOrigin::soEnd);
    char tail[5];
    in.ReadBuffer(tail, 5);
    EXPECT_EQ(std::string(tail, 5), "world");
    EXPECT_EQ(in.Write("x", 1), 0) << "a read-only file refuses writes";
  }
  {
    TFileStream rw(name, fmOpenReadWrite);
    rw.SetSize(5);
    EXPECT_EQ(rw.Size(), 5);
  }
  EXPECT_EQ(ReadAll(name), "HEllo");
  {
    TFileStream again(name, fmCreate);  // truncates
  }
  EXPECT_EQ(ReadAll(name), "");
}

TEST(FileStream, FailuresNameTheFileAndTheReason) {
  TempDir dir;
  std::string missing = dir.File("missing.txt");
  try {
    TFileStream in(missing, fmOpenRead);
    FAIL() << "opening a missing file must raise";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message, "Cannot open file \"" + missing + "\". No such file or directory");
  }

  std::string inMissingFolder = dir.File("no-such-folder/out.bin");
  try {
    TFileStream out(inMissingFolder, fmCreate);
    FAIL() << "creating a file in a missing folder must raise";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message.rfind("Cannot create file \"" + inMissingFolder + "\". ", 0), 0u) << e.Message;
  }

  // A folder opens on this system, but is not a file.
  EXPECT_THROW(TFileStream(dir.File(""), fmOpenRead), EFOpenError);
}

TEST(MemoryStream, FileAndStreamRoundTrip) {
  TempDir dir;
  std::string name = dir.File("blob.bin");
  std::string data("\0\1\2binary\xff", 10);

  TStringStream source(data);
  source.SetPosition(4);
  TMemoryStream memory;
  memory.LoadFromStream(&source);
  EXPECT_EQ(memory.Size(), 10) << "loads the whole source, not the rest after its position";
  memory.SetPosition(9);
  memory.SaveToFile(name);
  EXPECT_EQ(ReadAll(name), data) << "saves the whole block, not the rest after its position";

  TMemoryStream loaded;
  loaded.LoadFromFile(name);
  ASSERT_EQ(loaded.Size(), 10);
  EXPECT_EQ(std::memcmp(loaded.Memory(), data.data(), 10), 0);
  EXPECT_THROW(loaded.LoadFromFile(dir.File("none")), EFOpenError);
  EXPECT_EQ(loaded.Size(), 10) << "a failed load keeps the contents";
}

TEST(StringStream, ReadsAndWritesText) {
  TStringStream stream("abcdef");
  EXPECT_EQ(stream.ReadString(2), "ab");
  EXPECT_EQ(stream.ReadString(100), "cdef");
  stream.SetPosition(3);
  stream.WriteString("XYZW");
  EXPECT_EQ(stream.DataString(), "abcXYZW");
}

}  // namespace
