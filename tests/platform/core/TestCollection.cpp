#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/Collection.h"
#include "platform/core/Exceptions.h"

namespace {

class TNamedItem : public TCollectionItem {
 public:
  // The item has already joined its collection when its own constructor runs, so it can name
  // itself after its position.
  explicit TNamedItem(TCollection* collection)
      : TCollectionItem(collection), Name("item" + std::to_string(Index())) {}

  void Assign(TPersistent* Source) override {
    if (auto* source = dynamic_cast<TNamedItem*>(Source)) {
      Name = source->Name;
      Changed(false);
      return;
    }
    TCollectionItem::Assign(Source);
  }
  std::string DisplayName() const override { return Name; }
  void Touch() { Changed(false); }

  std::string Name;
};

class TLoggingCollection : public TOwnedCollection {
 public:
  explicit TLoggingCollection(TPersistent* owner = nullptr)
      : TOwnedCollection(owner, CollectionItemClass<TNamedItem>()) {}
  ~TLoggingCollection() override { Clear(); }

  TNamedItem* Item(int index) const { return static_cast<TNamedItem*>(Items(index)); }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (int i = 0; i < Count(); ++i) out.push_back(Item(i)->DisplayName());
    return out;
  }
  std::vector<std::string> log;

 protected:
  void Update(TCollectionItem* item) override {
    log.push_back(item ? "update " + item->DisplayName() : "update all");
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    if (action == TCollectionNotification::cnDeleting) log.push_back("deleting " + item->DisplayName());
  }
};

using V = std::vector<std::string>;

TEST(Collection, ItemsJoinLeaveAndMove) {
  TLoggingCollection items;
  items.Add();
  items.Add();
  items.Insert(0);
  EXPECT_EQ(items.Names(), (V{"item2", "item0", "item1"}));
  EXPECT_EQ(items.Item(0)->ID(), 2);
  EXPECT_EQ(items.Item(0)->Collection(), &items);

  items.Item(0)->SetIndex(2);
  EXPECT_EQ(items.Names(), (V{"item0", "item1", "item2"}));
  EXPECT_THROW(items.Item(0)->SetIndex(3), EListError);
  EXPECT_THROW((void)items.Items(3), EListError);
  EXPECT_THROW(items.Insert(4), EListError);

  items.Delete(1);
  EXPECT_EQ(items.Names(), (V{"item0", "item2"}));
  delete items.Item(0);  // an item freed on its own leaves the collection
  EXPECT_EQ(items.Names(), (V{"item2"}));

  TCollectionItem* added = items.Add();
  EXPECT_EQ(added->ID(), 3) << "IDs are never reused";
  EXPECT_EQ(items.FindItemID(2), items.Items(0));
  EXPECT_EQ(items.FindItemID(1), nullptr);

  TLoggingCollection other;
  added->SetCollection(&other);
  EXPECT_EQ(items.Count(), 1);
  EXPECT_EQ(other.Count(), 1);
  EXPECT_EQ(added->Index(), 0);
}

TEST(Collection, ChangesReportOncePerOuterUpdate) {
  TLoggingCollection items;
  items.Add();
  items.Add();
  items.log.clear();

  items.Item(1)->Touch();
  EXPECT_EQ(items.log, (V{"update item1"}));
  items.log.clear();

  items.BeginUpdate();
  items.BeginUpdate();
  items.Add();
  items.Item(0)->Touch();
  items.Delete(0);
  items.EndUpdate();
  EXPECT_EQ(items.log, (V{"deleting item0"}));
  items.EndUpdate();
  EXPECT_EQ(items.log, (V{"deleting item0", "update all"}));
  items.log.clear();

  items.Clear();
  EXPECT_EQ(items.log, (V{"deleting item2", "deleting item1", "update all"}));
}

TEST(Collection, AssignCopiesItemsAndOwnerIsReported) {
  TPersistent owner;
  TLoggingCollection source(&owner);
  source.Add()->SetIndex(0);
  source.Add();
  source.Item(1)->Name = "renamed";
  EXPECT_EQ(source.Owner(), &owner);

  TLoggingCollection copy;
  copy.Add();
  copy.Assign(&source);
  EXPECT_EQ(copy.Names(), (V{"item0", "renamed"}));
  EXPECT_EQ(copy.Owner(), nullptr);

  TPersistent unrelated;
  EXPECT_THROW(copy.Assign(&unrelated), EConvertError);
}

}  // namespace
