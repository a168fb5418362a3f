#include "platform/core/Lists.h"

#include <algorithm>
#include <string>

#include "platform/core/Exceptions.h"

// ---------------------------------------------------------------------------------------------
// TList

TList::~TList() {
  // Derived lists clear themselves in their own destructors, where their Notify still runs.
  items_.clear();
}

void TList::RaiseIndexError(int Index) const {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0) throw EListError("List count out of bounds (" + std::to_string(NewCount) + ")");
  if (NewCount > Count()) {
    items_.resize(static_cast<std::size_t>(NewCount), nullptr);
    return;
  }
  for (int i = Count() - 1; i >= NewCount; --i) Delete(i);
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count()) throw EListError("List capacity out of bounds (" + std::to_string(NewCapacity) + ")");
  if (NewCapacity > Capacity()) {
    items_.reserve(static_cast<std::size_t>(NewCapacity));
  } else {
    items_.shrink_to_fit();
  }
}

void* TList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
  return items_[static_cast<std::size_t>(Index)];
}

void TList::SetItem(int Index, void* Item) {
  if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
  void*& slot = items_[static_cast<std::size_t>(Index)];
  if (slot == Item) return;
  void* old = slot;
  slot = Item;
  if (old != nullptr) Notify(old, TListNotification::lnDeleted);
  if (Item != nullptr) Notify(Item, TListNotification::lnAdded);
}

int TList::Add(void* Item) {
  items_.push_back(Item);
  if (Item != nullptr) Notify(Item, TListNotification::lnAdded);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) RaiseIndexError(Index);
  items_.insert(items_.begin() + Index, Item);
  if (Item != nullptr) Notify(Item, TListNotification::lnAdded);
}

void TList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
  void* item = items_[static_cast<std::size_t>(Index)];
  items_.erase(items_.begin() + Index);
  if (item != nullptr) Notify(item, TListNotification::lnDeleted);
}

int TList::Remove(void* Item) {
  int index = IndexOf(Item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* Item) {
  int index = IndexOf(Item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  if (Item != nullptr) Notify(Item, TListNotification::lnExtracted);
  return Item;
}

int TList::IndexOf(const void* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) RaiseIndexError(Index1);
  if (Index2 < 0 || Index2 >= Count()) RaiseIndexError(Index2);
  std::swap(items_[static_cast<std::size_t>(Index1)], items_[static_cast<std::size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex < 0 || CurIndex >= Count()) RaiseIndexError(CurIndex);
  if (NewIndex < 0 || NewIndex >= Count()) RaiseIndexError(NewIndex);
  if (CurIndex == NewIndex) return;
  void* item = items_[static_cast<std::size_t>(CurIndex)];
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, item);
}

void TList::Clear() {
  // One at a time from the end, so an item's notification sees a consistent list.
  SetCount(0);
  items_.shrink_to_fit();
}

void TList::Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

void TList::Sort(const TListSortCompare& Compare) {
  std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::Notify(void* /*Ptr*/, TListNotification /*Action*/) {}

// ---------------------------------------------------------------------------------------------
// TObjectList

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* Ptr, TListNotification Action) {
  if (ownsObjects_ && Action == TListNotification::lnDeleted) delete static_cast<TObject*>(Ptr);
  TList::Notify(Ptr, Action);
}

// ---------------------------------------------------------------------------------------------
// TThreadList

void TThreadList::Add(void* Item) {
  std::lock_guard guard(lock_);
  if (list_.IndexOf(Item) < 0) list_.Add(Item);
}

void TThreadList::Remove(void* Item) {
  std::lock_guard guard(lock_);
  list_.Remove(Item);
}

void TThreadList::Clear() {
  std::lock_guard guard(lock_);
  list_.Clear();
}

TList* TThreadList::LockList() {
  lock_.lock();
  return &list_;
}

void TThreadList::UnlockList() { lock_.unlock(); }
