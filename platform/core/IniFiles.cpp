#include "platform/core/IniFiles.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/core/Strings.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trimmed(const std::string& s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

std::string Folded(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

// Decimal within 32 bits, or "0x"/"$" hexadecimal of up to 32 bits taken as signed (so
// "$FFFFFFFF" is -1), each with an optional sign.
bool ParseInteger(const std::string& raw, int& result) {
  std::string text = Trimmed(raw);
  std::size_t p = 0;
  bool negative = false;
  if (p < text.size() && (text[p] == '-' || text[p] == '+')) negative = text[p++] == '-';
  bool hex = false;
  if (p < text.size() && text[p] == '$') {
    hex = true;
    ++p;
  } else if (p + 1 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
    hex = true;
    p += 2;
  }
  if (p >= text.size()) return false;
  const char* first = text.data() + p;
  const char* last = text.data() + text.size();
  if (hex) {
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(first, last, value, 16);
    if (ec != std::errc() || end != last) return false;
    if (negative) value = 0u - value;
    result = static_cast<int>(value);
    return true;
  }
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(first, last, value, 10);
  if (ec != std::errc() || end != last) return false;
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return false;
  result = static_cast<int>(value);
  return true;
}

bool ParseFloat(const std::string& raw, double& result) {
  std::string text = Trimmed(raw);
  std::size_t p = (!text.empty() && text[0] == '+') ? 1 : 0;
  if (p >= text.size()) return false;
  double value = 0;
  const char* last = text.data() + text.size();
  auto [end, ec] = std::from_chars(text.data() + p, last, value, std::chars_format::general);
  if (ec != std::errc() || end != last || !std::isfinite(value)) return false;
  result = value;
  return true;
}

// Fills a list in one update, so its change events fire once.
void FillList(TStrings* Strings, const std::vector<std::string>& lines) {
  if (Strings == nullptr) return;
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (const auto& line : lines) Strings->Add(line);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

bool FileExistsAt(const std::string& name) {
  struct stat st {};
  return !name.empty() && ::stat(name.c_str(), &st) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// detail::TIniModel

namespace detail {

const TIniModel::Entry* TIniModel::Section::FindKey(const std::string& Key) const {
  auto it = keys.find(Folded(Key));
  return it == keys.end() ? nullptr : &entries[it->second];
}

void TIniModel::Section::Insert(std::size_t Position, Entry Item) {
  const bool key = !Item.comment;
  std::string folded = key ? Folded(Item.key) : std::string();
  entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(Position), std::move(Item));
  // Only the entries behind the new one move (usually none, or a few closing comments).
  for (std::size_t i = Position + 1; i < entries.size(); ++i) {
    if (!entries[i].comment) keys[Folded(entries[i].key)] = i;
  }
  if (key) keys.emplace(std::move(folded), Position);
}

void TIniModel::Section::ReindexKeys() {
  keys.clear();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].comment) keys.emplace(Folded(entries[i].key), i);
  }
}

void TIniModel::Clear() {
  preamble_.clear();
  sections_.clear();
  index_.clear();
}

void TIniModel::Reindex() {
  index_.clear();
  for (std::size_t i = 0; i < sections_.size(); ++i) index_.emplace(Folded(sections_[i].name), i);
}

const TIniModel::Section* TIniModel::FindSection(const std::string& Name) const {
  auto it = index_.find(Folded(Name));
  return it == index_.end() ? nullptr : &sections_[it->second];
}

TIniModel::Section& TIniModel::AddSection(const std::string& Name) {
  if (const Section* found = FindSection(Name)) return const_cast<Section&>(*found);
  sections_.push_back(Section{Name, {}, {}});
  index_.emplace(Folded(Name), sections_.size() - 1);
  return sections_.back();
}

void TIniModel::Parse(const TStrings& Lines) {
  Clear();
  Section* current = nullptr;
  // True under a header that lacks its "]": its lines belong to no section.
  bool lost = false;
  for (int i = 0, n = Lines.Count(); i < n; ++i) {
    std::string line = Trimmed(Lines[i]);
    if (line.empty()) continue;
    if (line[0] == ';') {
      if (current != nullptr) {
        current->Insert(current->entries.size(), Entry{std::string(), line, true});
      } else if (!lost) {
        preamble_.push_back(line);
      }
      continue;
    }
    if (line[0] == '[') {
      auto close = line.find(']');
      if (close == std::string::npos) {
        current = nullptr;
        lost = true;
      } else {
        // A repeated header continues the section it names.
        current = &AddSection(Trimmed(line.substr(1, close - 1)));
        lost = false;
      }
      continue;
    }
    auto eq = line.find('=');
    if (eq == std::string::npos || current == nullptr) continue;
    std::string key = Trimmed(line.substr(0, eq));
    if (key.empty()) continue;
    // A repeated key keeps its first value.
    if (current->FindKey(key) == nullptr) current->Insert(current->entries.size(), Entry{key, Trimmed(line.substr(eq + 1)), false});
  }
}

void TIniModel::Emit(TStrings& Lines) const {
  std::vector<std::string> lines = preamble_;
  for (const auto& section : sections_) {
    lines.push_back("[" + section.name + "]");
    for (const auto& entry : section.entries) lines.push_back(entry.comment ? entry.value : entry.key + "=" + entry.value);
    lines.emplace_back();
  }
  FillList(&Lines, lines);
}

const std::string* TIniModel::Find(const std::string& SectionName, const std::string& Key) const {
  const Section* section = FindSection(SectionName);
  if (section == nullptr) return nullptr;
  const Entry* entry = section->FindKey(Key);
  return entry != nullptr ? &entry->value : nullptr;
}

void TIniModel::Set(const std::string& SectionName, const std::string& Key, const std::string& Value) {
  Section& section = AddSection(SectionName);
  if (const Entry* entry = section.FindKey(Key)) {
    const_cast<Entry*>(entry)->value = Value;
    return;
  }
  // After the last key: comments that end a section usually introduce the next one. A section
  // of comments only gets the key at its end.
  std::size_t insertAt = section.entries.size();
  while (insertAt > 0 && section.entries[insertAt - 1].comment) --insertAt;
  if (insertAt == 0) insertAt = section.entries.size();
  section.Insert(insertAt, Entry{Key, Value, false});
}

bool TIniModel::EraseSection(const std::string& SectionName) {
  const Section* section = FindSection(SectionName);
  if (section == nullptr) return false;
  sections_.erase(sections_.begin() + (section - sections_.data()));
  Reindex();
  return true;
}

bool TIniModel::DeleteKey(const std::string& SectionName, const std::string& Key) {
  auto* section = const_cast<Section*>(FindSection(SectionName));
  if (section == nullptr) return false;
  auto it = section->keys.find(Folded(Key));
  if (it == section->keys.end()) return false;
  section->entries.erase(section->entries.begin() + static_cast<std::ptrdiff_t>(it->second));
  section->ReindexKeys();
  return true;
}

std::vector<std::string> TIniModel::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const auto& section : sections_) names.push_back(section.name);
  return names;
}

std::vector<std::string> TIniModel::KeyNames(const std::string& SectionName) const {
  std::vector<std::string> names;
  if (const Section* section = FindSection(SectionName)) {
    for (const auto& entry : section->entries) {
      if (!entry.comment) names.push_back(entry.key);
    }
  }
  return names;
}

std::vector<std::string> TIniModel::KeyValueLines(const std::string& SectionName) const {
  std::vector<std::string> lines;
  if (const Section* section = FindSection(SectionName)) {
    for (const auto& entry : section->entries) {
      if (!entry.comment) lines.push_back(entry.key + "=" + entry.value);
    }
  }
  return lines;
}

}  // namespace detail

// ---------------------------------------------------------------------------------------------
// TCustomIniFile

int TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const {
  int value = 0;
  return ParseInteger(ReadString(Section, Ident, std::string()), value) ? value : Default;
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
  WriteString(Section, Ident, std::to_string(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& Section, const std::string& Ident, double Default) const {
  double value = 0;
  return ParseFloat(ReadString(Section, Ident, std::string()), value) ? value : Default;
}

void TCustomIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, Value);
  WriteString(Section, Ident, ec == std::errc() ? std::string(buffer, end) : std::string("0"));
}

bool TCustomIniFile::SectionExists(const std::string& Section) const {
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& Section, const std::string& Ident) const {
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.IndexOf(Ident) >= 0;
}

// ---------------------------------------------------------------------------------------------
// TMemIniFile

TMemIniFile::TMemIniFile(const std::string& FileName) : TCustomIniFile(FileName) { LoadValues(); }

void TMemIniFile::LoadValues() {
  model_.Clear();
  if (!FileExistsAt(fileName_)) return;
  TStringList lines;
  lines.LoadFromFile(fileName_);
  model_.Parse(lines);
}

std::string TMemIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                    const std::string& Default) const {
  const std::string* value = model_.Find(Section, Ident);
  return value != nullptr ? *value : Default;
}

void TMemIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  model_.Set(Section, Ident, Value);
}

bool TMemIniFile::ValueExists(const std::string& Section, const std::string& Ident) const {
  return model_.Find(Section, Ident) != nullptr;
}

void TMemIniFile::ReadSection(const std::string& Section, TStrings* Strings) const {
  FillList(Strings, model_.KeyNames(Section));
}

void TMemIniFile::ReadSections(TStrings* Strings) const { FillList(Strings, model_.SectionNames()); }

void TMemIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) const {
  FillList(Strings, model_.KeyValueLines(Section));
}

void TMemIniFile::EraseSection(const std::string& Section) { model_.EraseSection(Section); }

void TMemIniFile::DeleteKey(const std::string& Section, const std::string& Ident) { model_.DeleteKey(Section, Ident); }

void TMemIniFile::UpdateFile() {
  if (fileName_.empty()) return;
  TStringList lines;
  model_.Emit(lines);
  lines.SaveToFile(fileName_);
}

void TMemIniFile::GetStrings(TStrings* List) const {
  if (List != nullptr) model_.Emit(*List);
}

void TMemIniFile::SetStrings(TStrings* List) {
  if (List == nullptr) {
    model_.Clear();
    return;
  }
  model_.Parse(*List);
}

void TMemIniFile::Clear() { model_.Clear(); }

void TMemIniFile::Rename(const std::string& FileName, bool Reload) {
  fileName_ = FileName;
  if (Reload) LoadValues();
}

// ---------------------------------------------------------------------------------------------
// TIniFile

TIniFile::TIniFile(const std::string& FileName) : TCustomIniFile(FileName) { Reload(); }

void TIniFile::Reload() {
  if (!FileExistsAt(fileName_)) return;
  TStringList lines;
  lines.LoadFromFile(fileName_);
  model_.Parse(lines);
}

template <typename Change>
void TIniFile::WriteThrough(Change change) {
  detail::TIniModel before = model_;
  try {
    Reload();
  } catch (const Exception&) {
    // An unreadable file will refuse the write below as well; report that.
  }
  if (!change(model_)) return;
  try {
    TStringList lines;
    model_.Emit(lines);
    lines.SaveToFile(fileName_);
  } catch (const Exception&) {
    model_ = std::move(before);
    throw EIniFileException("Unable to write to " + fileName_);
  }
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
  const std::string* value = model_.Find(Section, Ident);
  return value != nullptr ? *value : Default;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  WriteThrough([&](detail::TIniModel& model) {
    model.Set(Section, Ident, Value);
    return true;
  });
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) const {
  return model_.Find(Section, Ident) != nullptr;
}

void TIniFile::ReadSection(const std::string& Section, TStrings* Strings) const {
  FillList(Strings, model_.KeyNames(Section));
}

void TIniFile::ReadSections(TStrings* Strings) const { FillList(Strings, model_.SectionNames()); }

void TIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) const {
  FillList(Strings, model_.KeyValueLines(Section));
}

void TIniFile::EraseSection(const std::string& Section) {
  WriteThrough([&](detail::TIniModel& model) { return model.EraseSection(Section); });
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  WriteThrough([&](detail::TIniModel& model) { return model.DeleteKey(Section, Ident); });
}
