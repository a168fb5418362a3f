#pragma once
// INI files: sections of key=value lines. TMemIniFile keeps the file in memory until
// UpdateFile; TIniFile writes every change through to the file at once. Both read the same
// text the same way.
//
// Text form: "[name]" opens a section; "key=value" gives a value (key and value trimmed of
// blanks, the value may hold further "="); lines starting with ";" are comments, kept in
// place but never keys; blank lines, lines without "=" and keys before any section (or under
// a header missing its "]") are ignored. A key repeated in a section keeps its first value.
// Section and key names match regardless of ASCII case; the order of sections and keys is
// kept. Written text is "[Section]" followed by its "key=value" lines and a blank line, for
// every section, with CR LF line ends, in UTF-8 without a byte-order mark.

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"

class TStrings;

// A write that could not reach the file: "Unable to write to <file name>".
class EIniFileException : public Exception {
 public:
  using Exception::Exception;
};

namespace detail {

// The parsed contents of an INI text: an ordered list of sections of ordered entries.
class TIniModel {
 public:
  void Clear();
  // Replaces the contents by the parse of Lines (see the text form above).
  void Parse(const TStrings& Lines);
  // The text form, one line per entry of Lines (which is cleared first).
  void Emit(TStrings& Lines) const;

  // The value of Key in Section, or nullptr when either is absent.
  [[nodiscard]] const std::string* Find(const std::string& Section, const std::string& Key) const;
  // Sets the value, adding the key after the section's last key and the section at the end.
  void Set(const std::string& Section, const std::string& Key, const std::string& Value);
  // Each answers whether something was removed.
  bool EraseSection(const std::string& Section);
  bool DeleteKey(const std::string& Section, const std::string& Key);

  [[nodiscard]] std::vector<std::string> SectionNames() const;
  // Key names of Section in order (empty when the section is absent), and the same as
  // "key=value" lines.
  [[nodiscard]] std::vector<std::string> KeyNames(const std::string& Section) const;
  [[nodiscard]] std::vector<std::string> KeyValueLines(const std::string& Section) const;

 private:
  struct Entry {
    std::string key;    // empty for a comment line
    std::string value;  // the whole line for a comment
    bool comment = false;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
    std::unordered_map<std::string, std::size_t> keys;  // folded key name -> position in entries
    [[nodiscard]] const Entry* FindKey(const std::string& Key) const;
    // Appends a key or comment at Position (keys after it move on).
    void Insert(std::size_t Position, Entry Item);
    void ReindexKeys();
  };
  [[nodiscard]] const Section* FindSection(const std::string& Name) const;
  Section& AddSection(const std::string& Name);
  void Reindex();

  std::vector<std::string> preamble_;  // comment lines before the first section
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> index_;  // folded section name -> position
};

}  // namespace detail

// The interface every INI file offers. Reads never raise for missing or malformed values:
// they answer the given default.
class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(std::string FileName) : fileName_(std::move(FileName)) {}

  [[nodiscard]] const std::string& FileName() const { return fileName_; }

  // The value of Ident in Section (possibly empty), or Default when the key is absent.
  [[nodiscard]] virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                               const std::string& Default) const = 0;
  virtual void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) = 0;
  // Decimal, or hexadecimal after "0x" or "$" (up to 32 bits, read as signed), with an
  // optional sign; anything else, an overflow included, answers Default.
  [[nodiscard]] virtual int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
  virtual void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
  // An integer value: 0 is false, any other true; a value that is no integer answers Default.
  [[nodiscard]] virtual bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;
  // Writes "1" or "0".
  virtual void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
  // A decimal number with "." as separator; anything else answers Default.
  [[nodiscard]] virtual double ReadFloat(const std::string& Section, const std::string& Ident,
                                         double Default) const;
  // Writes the shortest text that reads back as the same number.
  virtual void WriteFloat(const std::string& Section, const std::string& Ident, double Value);

  // True when Section holds at least one key.
  [[nodiscard]] virtual bool SectionExists(const std::string& Section) const;
  [[nodiscard]] virtual bool ValueExists(const std::string& Section, const std::string& Ident) const;
  // Each fills Strings (cleared first): the key names of Section, the section names, or the
  // "key=value" lines of Section.
  virtual void ReadSection(const std::string& Section, TStrings* Strings) const = 0;
  virtual void ReadSections(TStrings* Strings) const = 0;
  virtual void ReadSectionValues(const std::string& Section, TStrings* Strings) const = 0;
  virtual void EraseSection(const std::string& Section) = 0;
  virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
  // Writes pending changes to the file.
  virtual void UpdateFile() = 0;

 protected:
  std::string fileName_;
};

// An INI file held in memory: changes reach the file only through UpdateFile. An empty file
// name makes a memory-only INI object (UpdateFile then does nothing).
class TMemIniFile : public TCustomIniFile {
 public:
  // Reads the file when it exists (a missing file gives an empty object); a file that exists
  // but cannot be read raises EFOpenError.
  explicit TMemIniFile(const std::string& FileName);

  [[nodiscard]] std::string ReadString(const std::string& Section, const std::string& Ident,
                                       const std::string& Default) const override;
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  [[nodiscard]] bool ValueExists(const std::string& Section, const std::string& Ident) const override;
  void ReadSection(const std::string& Section, TStrings* Strings) const override;
  void ReadSections(TStrings* Strings) const override;
  void ReadSectionValues(const std::string& Section, TStrings* Strings) const override;
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  // Writes the whole text to FileName; raises EFCreateError when the file cannot be created.
  void UpdateFile() override;

  // The text form of the contents, and its reverse: replaces the contents by the parse of List.
  void GetStrings(TStrings* List) const;
  void SetStrings(TStrings* List);
  void Clear();
  // Changes the file name; with Reload the contents are read anew from the new file.
  void Rename(const std::string& FileName, bool Reload);

 private:
  void LoadValues();
  detail::TIniModel model_;
};

// An INI file whose every change is written to the file at once (the folder must exist; the
// file is created). The file is read when the object is made, and again before each change so
// changes made by others in the meantime are kept. A change the file refuses raises
// EIniFileException "Unable to write to <file name>" and is undone in memory.
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const std::string& FileName);

  [[nodiscard]] std::string ReadString(const std::string& Section, const std::string& Ident,
                                       const std::string& Default) const override;
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  [[nodiscard]] bool ValueExists(const std::string& Section, const std::string& Ident) const override;
  void ReadSection(const std::string& Section, TStrings* Strings) const override;
  void ReadSections(TStrings* Strings) const override;
  void ReadSectionValues(const std::string& Section, TStrings* Strings) const override;
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  // Every change is already in the file: nothing to do.
  void UpdateFile() override {}

 private:
  void Reload();
  template <typename Change>
  void WriteThrough(Change change);
  detail::TIniModel model_;
};
