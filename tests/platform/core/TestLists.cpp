#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Lists.h"

namespace {

// Records its own destruction, and what the list looked like at that moment.
class TProbe : public TObject {
 public:
  TProbe(std::string name, std::vector<std::string>& log, const TList* list = nullptr)
      : name_(std::move(name)), log_(log), list_(list) {}
  ~TProbe() override {
    std::string entry = "free " + name_;
    if (list_ != nullptr) entry += " (in list: " + std::to_string(list_->IndexOf(this)) + ")";
    log_.push_back(entry);
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
  const TList* list_;
};

int a = 1, b = 2, c = 3, d = 4;

std::vector<void*> Items(const TList& list) {
  std::vector<void*> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

TEST(List, EditsKeepTheOrder) {
  TList list;
  list.Add(&a);
  list.Add(&c);
  list.Insert(1, &b);
  list.Insert(3, &d);
  EXPECT_EQ(Items(list), (std::vector<void*>{&a, &b, &c, &d}));
  EXPECT_EQ(list.First(), &a);
  EXPECT_EQ(list.Last(), &d);

  list.Move(0, 3);
  EXPECT_EQ(Items(list), (std::vector<void*>{&b, &c, &d, &a}));
  list.Exchange(0, 3);
  EXPECT_EQ(Items(list), (std::vector<void*>{&a, &c, &d, &b}));
  EXPECT_EQ(list.Remove(&d), 2);
  EXPECT_EQ(list.Remove(&d), -1);
  EXPECT_EQ(list.Extract(&c), &c);
  EXPECT_EQ(list.Extract(&c), nullptr);
  EXPECT_EQ(Items(list), (std::vector<void*>{&a, &b}));

  list.SetCount(4);
  EXPECT_EQ(Items(list), (std::vector<void*>{&a, &b, nullptr, nullptr}));
  list.SetItem(2, &c);
  list.Pack();
  EXPECT_EQ(Items(list), (std::vector<void*>{&a, &b, &c}));

  list.Sort([](void* x, void* y) { return *static_cast<int*>(y) - *static_cast<int*>(x); });
  EXPECT_EQ(Items(list), (std::vector<void*>{&c, &b, &a}));

  list.SetCapacity(100);
  EXPECT_GE(list.Capacity(), 100);
  EXPECT_THROW(list.SetCapacity(2), EListError);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(List, IndexErrorsNameTheIndex) {
  TList list;
  list.Add(&a);
  list.Add(&b);
  struct Case {
    const char* operation;
    int index;
    std::function<void()> call;
  };
  const Case cases[] = {
      {"Items", 2, [&] { (void)list.Items(2); }},
      {"Items", -1, [&] { (void)list.Items(-1); }},
      {"SetItem", 5, [&] { list.SetItem(5, &c); }},
      {"Insert", 3, [&] { list.Insert(3, &c); }},
      {"Delete", 2, [&] { list.Delete(2); }},
      {"Exchange", 9, [&] { list.Exchange(0, 9); }},
      {"Move", -2, [&] { list.Move(-2, 0); }},
      {"Move", 2, [&] { list.Move(0, 2); }},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.operation);
    try {
      entry.call();
      FAIL() << "must raise";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message, "List index out of bounds (" + std::to_string(entry.index) + ")");
    }
    EXPECT_EQ(Items(list), (std::vector<void*>{&a, &b})) << "a refused call changes nothing";
  }
  TList empty;
  EXPECT_THROW((void)empty.First(), EListError);
  EXPECT_THROW((void)empty.Last(), EListError);
}

TEST(ObjectList, FreesWhatItOwns) {
  std::vector<std::string> log;
  {
    TObjectList list;
    list.Add(new TProbe("deleted", log, &list));
    list.Add(new TProbe("removed", log, &list));
    auto* extracted = new TProbe("extracted", log, &list);
    list.Add(extracted);
    list.Add(new TProbe("replaced", log, &list));
    list.Add(new TProbe("left", log, &list));

    list.Delete(0);
    list.Remove(list[0]);
    EXPECT_EQ(list.Extract(extracted), extracted);
    list.SetItem(0, list[0]);  // the same object again: kept
    list.SetItem(0, new TProbe("replacement", log, &list));
    EXPECT_EQ(log, (std::vector<std::string>{"free deleted (in list: -1)", "free removed (in list: -1)",
                                             "free replaced (in list: -1)"}));
    log.clear();
    delete extracted;
    log.clear();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"free left (in list: -1)", "free replacement (in list: -1)"}));

  log.clear();
  TProbe kept("kept", log);
  {
    TObjectList borrowed(false);
    borrowed.Add(&kept);
    borrowed.Delete(0);
    borrowed.Add(&kept);
  }
  EXPECT_TRUE(log.empty()) << "a list that does not own its objects frees none";
}

TEST(ThreadList, LockedAccessAndNoDuplicates) {
  TThreadList list;
  list.Add(&a);
  list.Add(&a);
  list.Add(&b);
  TList* locked = list.LockList();
  EXPECT_EQ(locked->Count(), 2);
  list.UnlockList();
  list.Remove(&a);
  locked = list.LockList();
  EXPECT_EQ(Items(*locked), (std::vector<void*>{&b}));
  list.UnlockList();
}

}  // namespace
