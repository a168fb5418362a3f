#include "app/OptionFile.h"

#include <optional>

#include "platform/core/Exceptions.h"
#include "platform/core/IniFiles.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr std::size_t kMaxValueCharacters = 2047;

// The first Count characters of a UTF-8 text (a character is a code point).
std::string FirstCharacters(const std::string& Text, std::size_t Count) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < Text.size(); ++i)
    if ((static_cast<unsigned char>(Text[i]) & 0xC0) != 0x80 && characters++ == Count) return Text.substr(0, i);
  return Text;
}

}  // namespace

bool TOptionFile::Exists() const { return FileExists(file_); }

std::string TOptionFile::Read(const std::string& Section, const std::string& Key) const {
  try {
    const TIniFile ini(file_);
    return FirstCharacters(ini.ReadString(Section, Key, kMissing), kMaxValueCharacters);
  } catch (const Exception&) {
    return kMissing;
  }
}

std::string TOptionFile::WriteRefusedText(const std::string& FileName, const std::string& Detail) {
  std::string text = "无法保存设置文件“" + FileName +
                     "”。请确认该文件所在的文件夹可以写入、文件本身不是只读的，然后再试一次。";
  if (!Detail.empty()) text += "\n" + Detail;
  return text;
}

void TOptionFile::Write(const std::string& Section, const std::string& Key, const std::string& Value) const {
  std::optional<TIniFile> ini;
  try {
    ini.emplace(file_);
  } catch (const Exception&) {
    // A file that cannot be read is never written over: its other keys would be lost.
    throw EIniFileException(WriteRefusedText(file_, "Unable to write to " + file_));
  }
  try {
    ini->WriteString(Section, Key, Value);
  } catch (const Exception& E) {
    throw EIniFileException(WriteRefusedText(file_, E.Message));
  }
}
