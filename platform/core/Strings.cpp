#include "platform/core/Strings.h"

#include <algorithm>
#include <cstdint>

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

namespace {

constexpr char kSortedListError[] = "Operation not allowed on sorted list";

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

int CompareBytes(const std::string& a, const std::string& b, bool ignoreCase) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[i]);
    if (ignoreCase) {
      ca = FoldAscii(ca);
      cb = FoldAscii(cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Blanks and control characters end an unquoted item of delimited text; bytes of multi-byte
// UTF-8 sequences are above 0x7F and never do.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16 bytes (after the mark) to UTF-8. Unpaired surrogates become U+FFFD; an odd last byte
// is dropped.
std::string Utf16BytesToUtf8(const std::string& bytes, std::size_t start, bool bigEndian) {
  std::string out;
  out.reserve((bytes.size() - start) / 2 * 3 / 2);
  auto unit = [&](std::size_t i) -> std::uint32_t {
    auto b0 = static_cast<unsigned char>(bytes[i]);
    auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0;
  };
  std::size_t i = start;
  while (i + 1 < bytes.size()) {
    std::uint32_t u = unit(i);
    i += 2;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 < bytes.size()) {
        std::uint32_t low = unit(i);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          i += 2;
          AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
          continue;
        }
      }
      AppendUtf8(out, 0xFFFD);
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

std::string DecodeText(const std::string& bytes) {
  auto starts = [&](std::initializer_list<unsigned char> mark) {
    if (bytes.size() < mark.size()) return false;
    std::size_t i = 0;
    for (unsigned char c : mark) {
      if (static_cast<unsigned char>(bytes[i++]) != c) return false;
    }
    return true;
  };
  if (starts({0xEF, 0xBB, 0xBF})) return bytes.substr(3);
  if (starts({0xFF, 0xFE})) return Utf16BytesToUtf8(bytes, 2, false);
  if (starts({0xFE, 0xFF})) return Utf16BytesToUtf8(bytes, 2, true);
  return bytes;
}

// Holds a list in one update for a scope, however the scope is left.
class UpdateScope {
 public:
  explicit UpdateScope(TStrings& list) : list_(list) { list_.BeginUpdate(); }
  ~UpdateScope() { list_.EndUpdate(); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  TStrings& list_;
};

std::string QuotedStr(const std::string& s, char quote) {
  std::string out(1, quote);
  for (char c : s) {
    out += c;
    if (c == quote) out += quote;
  }
  out += quote;
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TStrings

[[noreturn]] void TStrings::RaiseIndexError(int Index) const {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TStrings::Put(int Index, const std::string& S) {
  TObject* object = GetObject(Index);
  UpdateScope update(*this);
  Delete(Index);
  InsertObject(Index, S, object);
}

TObject* TStrings::GetObject(int Index) const {
  if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
  return nullptr;
}

void TStrings::PutObject(int /*Index*/, TObject* /*AObject*/) {}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int index = Count();
  InsertObject(index, S, AObject);
  return index;
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::AddStrings(const TStrings* Strings) {
  if (Strings == nullptr) return;
  // Copy first: Strings may be this list.
  int n = Strings->Count();
  std::vector<std::pair<std::string, TObject*>> lines;
  lines.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) lines.emplace_back(Strings->Get(i), Strings->GetObject(i));
  UpdateScope update(*this);
  for (auto& [text, object] : lines) AddObject(text, object);
}

void TStrings::Exchange(int Index1, int Index2) {
  std::string s1 = Get(Index1);
  std::string s2 = Get(Index2);
  TObject* o1 = GetObject(Index1);
  TObject* o2 = GetObject(Index2);
  UpdateScope update(*this);
  Put(Index1, s2);
  PutObject(Index1, o2);
  Put(Index2, s1);
  PutObject(Index2, o1);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= Count()) RaiseIndexError(NewIndex);
  std::string text = Get(CurIndex);
  TObject* object = GetObject(CurIndex);
  UpdateScope update(*this);
  Delete(CurIndex);
  InsertObject(NewIndex, text, object);
}

int TStrings::IndexOf(const std::string& S) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    if (CompareStrings(Get(i), S) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    if (GetObject(i) == AObject) return i;
  }
  return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    std::string line = Get(i);
    auto eq = line.find('=');
    if (eq != std::string::npos && CompareStrings(line.substr(0, eq), Name) == 0) return i;
  }
  return -1;
}

std::string TStrings::Names(int Index) const {
  std::string line = Get(Index);
  auto eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStrings::ValueFromIndex(int Index) const {
  std::string line = Get(Index);
  auto eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string TStrings::Values(const std::string& Name) const {
  int index = IndexOfName(Name);
  return index >= 0 ? ValueFromIndex(index) : std::string();
}

void TStrings::SetValue(const std::string& Name, const std::string& Value) {
  int index = IndexOfName(Name);
  if (Value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  if (index < 0) {
    Add(Name + "=" + Value);
    return;
  }
  if (KeepsOrder()) {
    // A sorted list refuses Put; the new line goes where its order puts it.
    UpdateScope update(*this);
    Delete(index);
    Add(Name + "=" + Value);
    return;
  }
  Put(index, Name + "=" + Value);
}

std::string TStrings::Text() const {
  std::string out;
  for (int i = 0, n = Count(); i < n; ++i) {
    out += Get(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(const std::string& Text) {
  UpdateScope update(*this);
  Clear();
  std::size_t pos = 0;
  const std::size_t size = Text.size();
  while (pos < size) {
    std::size_t end = Text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = size;
    Add(Text.substr(pos, end - pos));
    pos = end;
    if (pos < size && Text[pos] == '\r') ++pos;
    if (pos < size && Text[pos] == '\n') ++pos;
  }
}

std::string TStrings::DelimitedText() const { return JoinDelimited(delimiter_, quoteChar_); }

void TStrings::SetDelimitedText(const std::string& Value) { SplitDelimited(Value, delimiter_, quoteChar_); }

std::string TStrings::CommaText() const { return JoinDelimited(',', '"'); }

void TStrings::SetCommaText(const std::string& Value) { SplitDelimited(Value, ',', '"'); }

std::string TStrings::JoinDelimited(char delimiter, char quoteChar) const {
  int n = Count();
  // A lone empty line must not read back as no line at all.
  if (n == 1 && Get(0).empty()) return std::string(2, quoteChar);
  std::string out;
  for (int i = 0; i < n; ++i) {
    std::string s = Get(i);
    bool quote =
        std::any_of(s.begin(), s.end(), [&](char c) { return IsBlank(c) || c == quoteChar || c == delimiter; });
    if (i > 0) out += delimiter;
    out += quote ? QuotedStr(s, quoteChar) : s;
  }
  return out;
}

void TStrings::SplitDelimited(const std::string& Value, char delimiter, char quoteChar) {
  UpdateScope update(*this);
  Clear();
  std::size_t p = 0;
  const std::size_t n = Value.size();
  auto skipBlanks = [&] {
    while (p < n && IsBlank(Value[p])) ++p;
  };
  skipBlanks();
  while (p < n) {
    std::string item;
    if (Value[p] == quoteChar) {
      // Up to the closing quote; a doubled quote stands for one.
      ++p;
      while (p < n) {
        if (Value[p] == quoteChar) {
          if (p + 1 < n && Value[p + 1] == quoteChar) {
            item += quoteChar;
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += Value[p++];
      }
    } else {
      std::size_t start = p;
      while (p < n && !IsBlank(Value[p]) && Value[p] != delimiter) ++p;
      item = Value.substr(start, p - start);
    }
    Add(item);
    skipBlanks();
    if (p < n && Value[p] == delimiter) {
      ++p;
      // A trailing delimiter stands for one more, empty, item.
      if (p == n) Add(std::string());
      skipBlanks();
    }
  }
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  --updateCount_;
  if (updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool /*Updating*/) {}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
  return CompareBytes(S1, S2, true);
}

void TStrings::LoadFromStream(TStream* Stream) {
  std::string bytes;
  char block[8192];
  for (;;) {
    int64_t n = Stream->Read(block, sizeof block);
    if (n <= 0) break;
    bytes.append(block, static_cast<std::size_t>(n));
  }
  SetText(DecodeText(bytes));
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

void TStrings::SaveToStream(TStream* Stream) const {
  std::string text = Text();
  Stream->WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStrings::SaveToFile(const std::string& FileName) const {
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TStrings*>(Source)) {
    if (source == this) return;
    UpdateScope update(*this);
    Clear();
    delimiter_ = source->delimiter_;
    quoteChar_ = source->quoteChar_;
    AddStrings(source);
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------
// TStringList

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool Updating) {
  // Runs while the count is still 0 (begin) or already back at 0 (end), so each outermost
  // update fires exactly one OnChanging and one OnChange.
  if (Updating) {
    Changing();
  } else {
    Changed();
  }
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  items_.insert(items_.begin() + Index, Item{S, AObject});
  Changed();
}

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int index = Count();
  if (sorted_) {
    if (Find(S, index)) {
      switch (duplicates_) {
        case TDuplicates::dupIgnore:
          return index;
        case TDuplicates::dupError:
          throw EListError("String list does not allow duplicates");
        case TDuplicates::dupAccept:
          // After the equal lines, so lines keep the order they were added in.
          while (index < Count() && CompareStrings(items_[static_cast<std::size_t>(index)].text, S) == 0) ++index;
          break;
      }
    }
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Insert(int Index, const std::string& S) {
  if (sorted_) throw EListError(kSortedListError);
  if (Index < 0 || Index > Count()) RaiseIndexError(Index);
  InsertItem(Index, S, nullptr);
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  items_.erase(items_.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  if (sorted_) throw EListError(kSortedListError);
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(items_[static_cast<std::size_t>(Index1)], items_[static_cast<std::size_t>(Index2)]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  if (sorted_) throw EListError(kSortedListError);
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  if (CurIndex == NewIndex) return;
  Changing();
  Item item = std::move(items_[static_cast<std::size_t>(CurIndex)]);
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, std::move(item));
  Changed();
}

int TStringList::IndexOf(const std::string& S) const {
  if (!sorted_) return TStrings::IndexOf(S);
  int index = 0;
  return Find(S, index) ? index : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const {
  int low = 0;
  int high = Count();
  // Lower bound: the first line not below S.
  while (low < high) {
    int mid = low + (high - low) / 2;
    if (CompareStrings(items_[static_cast<std::size_t>(mid)].text, S) < 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  Index = low;
  return low < Count() && CompareStrings(items_[static_cast<std::size_t>(low)].text, S) == 0;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
  Changed();
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  if (sorted_ || items_.size() < 2) return;
  // The comparer sees indexes into the list as it stands; sort a permutation, then apply it.
  std::vector<int> order(items_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  Changing();
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(std::move(items_[static_cast<std::size_t>(i)]));
  items_ = std::move(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (caseSensitive_ == Value) return;
  caseSensitive_ = Value;
  if (sorted_) Sort();
}

std::string TStringList::Get(int Index) const {
  CheckIndex(Index);
  return items_[static_cast<std::size_t>(Index)].text;
}

void TStringList::Put(int Index, const std::string& S) {
  if (sorted_) throw EListError(kSortedListError);
  CheckIndex(Index);
  Changing();
  items_[static_cast<std::size_t>(Index)].text = S;
  Changed();
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return items_[static_cast<std::size_t>(Index)].object;
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  items_[static_cast<std::size_t>(Index)].object = AObject;
  Changed();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return CompareBytes(S1, S2, !caseSensitive_);
}
