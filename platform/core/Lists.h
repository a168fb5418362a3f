#pragma once
// Pointer lists: TList of untyped pointers, TObjectList that may own its objects, and
// TThreadList, a TList behind a lock.

#include <functional>
#include <mutex>
#include <vector>

#include "platform/core/Object.h"

enum class TListNotification { lnAdded, lnExtracted, lnDeleted };

// Compares two items: <0, 0 or >0.
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
 public:
  TList() = default;
  ~TList() override;

  [[nodiscard]] int Count() const { return static_cast<int>(items_.size()); }
  // Growing the count appends nullptr items; shrinking deletes from the end.
  void SetCount(int NewCount);
  [[nodiscard]] int Capacity() const { return static_cast<int>(items_.capacity()); }
  // Raises EListError "List capacity out of bounds (%d)" below Count.
  void SetCapacity(int NewCapacity);

  // Every index outside 0..Count-1 raises EListError "List index out of bounds (%d)".
  [[nodiscard]] void* Items(int Index) const;
  [[nodiscard]] void* operator[](int Index) const { return Items(Index); }
  void SetItem(int Index, void* Item);
  [[nodiscard]] void* First() const { return Items(0); }
  [[nodiscard]] void* Last() const { return Items(Count() - 1); }

  int Add(void* Item);
  // Index may be Count (appends).
  void Insert(int Index, void* Item);
  void Delete(int Index);
  // Deletes the first occurrence of Item and answers its former index, or -1.
  int Remove(void* Item);
  // Takes the first occurrence of Item out without deleting it; answers Item, or nullptr when
  // it is not in the list.
  void* Extract(void* Item);
  [[nodiscard]] int IndexOf(const void* Item) const;
  void Exchange(int Index1, int Index2);
  // Moves the item at CurIndex so that it ends up at NewIndex.
  void Move(int CurIndex, int NewIndex);
  virtual void Clear();
  // Removes every nullptr item.
  void Pack();
  // Stable sort by Compare.
  void Sort(const TListSortCompare& Compare);

 protected:
  // Told after an item was added, extracted or deleted (the item is already out of the list
  // for the last two).
  virtual void Notify(void* Ptr, TListNotification Action);
  [[noreturn]] void RaiseIndexError(int Index) const;

 private:
  std::vector<void*> items_;
};

// A list of objects. With OwnsObjects (the default) an object deleted from the list, replaced
// in it, or still in it when the list is cleared or destroyed, is freed; Extract hands an
// object out without freeing it.
class TObjectList : public TList {
 public:
  explicit TObjectList(bool AOwnsObjects = true) : ownsObjects_(AOwnsObjects) {}
  ~TObjectList() override;

  [[nodiscard]] bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool Value) { ownsObjects_ = Value; }

  int Add(TObject* AObject) { return TList::Add(AObject); }
  void Insert(int Index, TObject* AObject) { TList::Insert(Index, AObject); }
  [[nodiscard]] TObject* Items(int Index) const { return static_cast<TObject*>(TList::Items(Index)); }
  [[nodiscard]] TObject* operator[](int Index) const { return Items(Index); }
  void SetItem(int Index, TObject* AObject) { TList::SetItem(Index, AObject); }
  int Remove(TObject* AObject) { return TList::Remove(AObject); }
  TObject* Extract(TObject* AObject) { return static_cast<TObject*>(TList::Extract(AObject)); }
  [[nodiscard]] int IndexOf(const TObject* AObject) const { return TList::IndexOf(AObject); }
  [[nodiscard]] TObject* First() const { return Items(0); }
  [[nodiscard]] TObject* Last() const { return Items(Count() - 1); }

 protected:
  void Notify(void* Ptr, TListNotification Action) override;

 private:
  bool ownsObjects_ = true;
};

// A list shared between threads: LockList answers the list with the lock held until
// UnlockList.
class TThreadList : public TObject {
 public:
  TThreadList() = default;

  // Appends Item unless it is already present.
  void Add(void* Item);
  void Remove(void* Item);
  void Clear();
  TList* LockList();
  void UnlockList();

 private:
  std::recursive_mutex lock_;
  TList list_;
};
