#pragma once
// Collections: an ordered set of items of one class, owned by the collection. An item joins
// its collection when it is created and leaves it when it is destroyed.

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Object.h"

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  // Joins Collection (may be nullptr) at its end.
  explicit TCollectionItem(TCollection* Collection);
  // Leaves the collection.
  ~TCollectionItem() override;

  [[nodiscard]] TCollection* Collection() const { return collection_; }
  // Moves the item from its collection to another (nullptr: none).
  void SetCollection(TCollection* Value);
  // Position in the collection, -1 without one.
  [[nodiscard]] int Index() const;
  // Moves the item to position Value; raises EListError outside 0..Count-1.
  virtual void SetIndex(int Value);
  // A number unique in the collection for the collection's life, given when the item joins.
  [[nodiscard]] int ID() const { return id_; }
  // The name shown for the item; the class name unless a descendant says otherwise.
  [[nodiscard]] virtual std::string DisplayName() const { return ClassName(); }

 protected:
  // Tells the collection that this item (AllItems false) or every item changed.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

// Makes a new item that joins the given collection (the item's constructor does the joining).
using TCollectionItemClass = std::function<TCollectionItem*(TCollection* Collection)>;

// The factory of items of class T, for TCollection's constructor.
template <typename T>
TCollectionItemClass CollectionItemClass() {
  return [](TCollection* collection) -> TCollectionItem* { return new T(collection); };
}

enum class TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection : public TPersistent {
 public:
  explicit TCollection(TCollectionItemClass ItemClass);
  // Frees every item.
  ~TCollection() override;

  [[nodiscard]] int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError "List index out of bounds (%d)" outside 0..Count-1.
  [[nodiscard]] TCollectionItem* Items(int Index) const;
  // Copies Value into the item at Index (through the item's Assign).
  void SetItem(int Index, TCollectionItem* Value);

  // A new item of the collection's class at the end, or at Index (0..Count).
  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  // Frees the item at Index.
  void Delete(int Index);
  // Frees every item.
  void Clear();
  // The item with that ID, or nullptr.
  [[nodiscard]] TCollectionItem* FindItemID(int ID) const;

  // While updates are held (nested), item changes report nothing; the outermost EndUpdate
  // reports one change of every item.
  virtual void BeginUpdate();
  virtual void EndUpdate();
  [[nodiscard]] int UpdateCount() const { return updateCount_; }

  // The object the collection belongs to (for a collection that is a property of a
  // component); nullptr unless a descendant says otherwise.
  [[nodiscard]] TPersistent* Owner() const { return GetOwner(); }

  // A collection source is copied item by item: this collection is emptied, then one new item
  // is added per source item and assigned from it.
  void Assign(TPersistent* Source) override;

 protected:
  [[nodiscard]] virtual TPersistent* GetOwner() const { return nullptr; }
  // Item changed (nullptr: the whole collection); called when no update is held.
  virtual void Update(TCollectionItem* Item);
  // An item was added, or is about to leave the collection or to be freed.
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  TCollectionItemClass itemClass_;
  std::vector<TCollectionItem*> items_;  // owned
  int nextID_ = 0;
  int updateCount_ = 0;
};

// A collection that belongs to a given object.
class TOwnedCollection : public TCollection {
 public:
  TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
      : TCollection(std::move(ItemClass)), owner_(AOwner) {}

 protected:
  [[nodiscard]] TPersistent* GetOwner() const override { return owner_; }

 private:
  TPersistent* owner_;
};
