#pragma once
// String lists: the abstract TStrings with its name=value, text and delimited-text views, and
// TStringList, the concrete list with optional sorting, duplicate control and change events.

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Object.h"

class TStream;

class TStrings : public TPersistent {
 public:
  TStrings() = default;

  [[nodiscard]] virtual int Count() const = 0;
  // The line at Index; raises EListError "List index out of bounds (%d)" outside 0..Count-1.
  [[nodiscard]] std::string Strings(int Index) const { return Get(Index); }
  [[nodiscard]] std::string operator[](int Index) const { return Get(Index); }
  // Replaces the line at Index; a sorted list raises EListError.
  void SetStrings(int Index, const std::string& S) { Put(Index, S); }
  // The object attached to a line (not owned by the list).
  [[nodiscard]] TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObject(int Index, TObject* AObject) { PutObject(Index, AObject); }

  // Appends S (a sorted list inserts it in order) and answers its index.
  int Add(const std::string& S) { return AddObject(S, nullptr); }
  // As Add, attaching AObject to the new line.
  virtual int AddObject(const std::string& S, TObject* AObject);
  virtual void Insert(int Index, const std::string& S) = 0;
  void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  // Appends every line of Strings with its object.
  void AddStrings(const TStrings* Strings);
  virtual void Exchange(int Index1, int Index2);
  // Moves the line at CurIndex, with its object, so that it ends up at NewIndex.
  virtual void Move(int CurIndex, int NewIndex);

  // Index of the first line equal to S (case rules of the list), or -1.
  [[nodiscard]] virtual int IndexOf(const std::string& S) const;
  [[nodiscard]] int IndexOfObject(const TObject* AObject) const;

  // Name/value lines have the form "name=value", split at the first "=". A line without "="
  // has no name and no value (it never matches a name).
  [[nodiscard]] int IndexOfName(const std::string& Name) const;
  [[nodiscard]] std::string Names(int Index) const;
  [[nodiscard]] std::string ValueFromIndex(int Index) const;
  // The value of the first line named Name, or "" when there is none.
  [[nodiscard]] std::string Values(const std::string& Name) const;
  // Replaces the value of the line named Name, appending "Name=Value" when there is none; an
  // empty Value deletes the line. A sorted list keeps its order.
  void SetValue(const std::string& Name, const std::string& Value);

  // Every line followed by CR LF.
  [[nodiscard]] std::string Text() const;
  // Replaces the lines by those of Text, split at CR LF, LF or CR; a final line break does not
  // add an empty line.
  void SetText(const std::string& Text);

  // The lines joined by Delimiter; a line holding the delimiter, the quote character, a blank
  // or a control character is quoted (quotes inside doubled).
  [[nodiscard]] std::string DelimitedText() const;
  // Replaces the lines by the items of Value: items end at Delimiter or at a blank or control
  // character outside quotes; quoted items keep everything up to the closing quote.
  void SetDelimitedText(const std::string& Value);
  // DelimitedText with "," and "\"", whatever Delimiter and QuoteChar are.
  [[nodiscard]] std::string CommaText() const;
  void SetCommaText(const std::string& Value);
  [[nodiscard]] char Delimiter() const { return delimiter_; }
  void SetDelimiter(char Value) { delimiter_ = Value; }
  [[nodiscard]] char QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(char Value) { quoteChar_ = Value; }

  // Nested updates: the list reports one change when the outermost EndUpdate is reached.
  void BeginUpdate();
  void EndUpdate();
  [[nodiscard]] int UpdateCount() const { return updateCount_; }

  // Reads the rest of Stream (from its position) or a whole file as text: a UTF-8 byte-order
  // mark is skipped, UTF-16 little- or big-endian text (by its mark) becomes UTF-8, anything
  // else is taken as UTF-8. A missing file raises EFOpenError.
  virtual void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);
  // Writes Text as UTF-8 without a byte-order mark. A file that cannot be created raises
  // EFCreateError.
  virtual void SaveToStream(TStream* Stream) const;
  void SaveToFile(const std::string& FileName) const;

  // A TStrings source replaces the lines and objects; other sources go through AssignTo.
  void Assign(TPersistent* Source) override;

 protected:
  [[nodiscard]] virtual std::string Get(int Index) const = 0;
  virtual void Put(int Index, const std::string& S);
  [[nodiscard]] virtual TObject* GetObject(int Index) const;
  virtual void PutObject(int Index, TObject* AObject);
  // Compares two lines under the list's case rule: <0, 0 or >0. TStrings ignores case.
  [[nodiscard]] virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
  // Called with true when the outermost update begins and false when it ends.
  virtual void SetUpdateState(bool Updating);
  // True when the list places lines itself (and so refuses Put and Insert).
  [[nodiscard]] virtual bool KeepsOrder() const { return false; }
  [[noreturn]] void RaiseIndexError(int Index) const;

 private:
  [[nodiscard]] std::string JoinDelimited(char delimiter, char quoteChar) const;
  void SplitDelimited(const std::string& Value, char delimiter, char quoteChar);

  int updateCount_ = 0;
  char delimiter_ = ',';
  char quoteChar_ = '"';
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
// Compares the lines at Index1 and Index2 of List: <0, 0 or >0.
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
 public:
  TStringList() = default;
  ~TStringList() override = default;

  [[nodiscard]] int Count() const override { return static_cast<int>(items_.size()); }
  // On a sorted list a line already present is treated as Duplicates says.
  int AddObject(const std::string& S, TObject* AObject) override;
  // Raises EListError "Operation not allowed on sorted list" on a sorted list.
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  // Exchange and Move raise EListError "Operation not allowed on sorted list" on a sorted
  // list, before anything changes.
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;
  [[nodiscard]] int IndexOf(const std::string& S) const override;

  // Binary search of a sorted list: true when S is present, Index receiving its position (the
  // first of equal lines), or the position where S would be inserted. Only meaningful while
  // Sorted is on.
  bool Find(const std::string& S, int& Index) const;
  // Sorts the lines under the list's case rule (stable for equal lines).
  virtual void Sort();
  void CustomSort(const TStringListSortCompare& Compare);

  [[nodiscard]] bool Sorted() const { return sorted_; }
  // Turning sorting on sorts the lines at once.
  void SetSorted(bool Value);
  // How Add treats a line already present in a sorted list: dupIgnore answers the existing
  // index, dupAccept adds it, dupError raises EListError "String list does not allow
  // duplicates". Unsorted lists accept every line.
  [[nodiscard]] TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  // Off by default: comparisons fold ASCII letters.
  [[nodiscard]] bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  [[nodiscard]] std::string Get(int Index) const override;
  void Put(int Index, const std::string& S) override;
  [[nodiscard]] TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  [[nodiscard]] int CompareStrings(const std::string& S1, const std::string& S2) const override;
  void SetUpdateState(bool Updating) override;
  [[nodiscard]] bool KeepsOrder() const override { return sorted_; }
  virtual void Changed();
  virtual void Changing();

 private:
  struct Item {
    std::string text;
    TObject* object = nullptr;
  };
  void CheckIndex(int Index) const;
  void InsertItem(int Index, const std::string& S, TObject* AObject);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = TDuplicates::dupIgnore;
};
