#pragma once
// "option.ini" beside the program: sections [OutPath], [Options], [Skin] and [SnapShot] of
// key=value lines. Every key is read or written on its own, the file opened anew each time, so
// nothing is cached between two accesses and changes made meanwhile by others are kept. GUI
// thread only.

#include <string>

class TOptionFile {
 public:
  explicit TOptionFile(std::string FileName) : file_(std::move(FileName)) {}

  [[nodiscard]] const std::string& FileName() const { return file_; }
  [[nodiscard]] bool Exists() const;

  // The key's value (at most 2047 characters), or "Error" when the key is missing or the file
  // cannot be read at all; a malformed file is read as far as it makes sense.
  [[nodiscard]] std::string Read(const std::string& Section, const std::string& Key) const;
  // Raises EIniFileException with WriteRefusedText when the file or its folder refuses the
  // change; the file is then left as it was.
  void Write(const std::string& Section, const std::string& Key, const std::string& Value) const;

  // A value that counts as not set: empty, or the "Error" a missing key reads as.
  [[nodiscard]] static bool IsMissing(const std::string& Value) { return Value.empty() || Value == kMissing; }

  static constexpr const char* kMissing = "Error";

  // What the user reads when the file refuses a change: the file, what to do about it, and the
  // library's own words (Detail) on a line of their own.
  [[nodiscard]] static std::string WriteRefusedText(const std::string& FileName, const std::string& Detail);

 private:
  std::string file_;
};
