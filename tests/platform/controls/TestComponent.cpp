#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/Component.h"
#include "platform/core/Exceptions.h"

namespace {

std::vector<std::string>* g_log = nullptr;

class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, std::string label) : TComponent(owner), label_(std::move(label)) {}
  ~TProbe() override {
    if (g_log) g_log->push_back("free " + label_);
  }
  TComponent* watched = nullptr;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == watched) {
      watched = nullptr;
      if (g_log) g_log->push_back(label_ + " lost its target");
    }
  }

 private:
  std::string label_;
};

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { g_log = &log; }
  void TearDown() override { g_log = nullptr; }
  std::vector<std::string> log;
};

TEST_F(ComponentTest, OwnerFreesOwnedComponentsLastFirst) {
  auto* owner = new TProbe(nullptr, "owner");
  new TProbe(owner, "a");
  new TProbe(owner, "b");
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete owner;
  EXPECT_EQ(log, (std::vector<std::string>{"free owner", "free b", "free a"}));
}

TEST_F(ComponentTest, FreeingOwnedComponentLeavesOwnerList) {
  TProbe owner(nullptr, "owner");
  auto* a = new TProbe(&owner, "a");
  auto* b = new TProbe(&owner, "b");
  delete a;
  ASSERT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), b);
  EXPECT_EQ(b->ComponentIndex(), 0);
  EXPECT_THROW((void)owner.Components(1), EListError);
}

TEST_F(ComponentTest, FreeNotificationClearsLinksBothWays) {
  TProbe watcher(nullptr, "watcher");
  auto* target = new TProbe(nullptr, "target");
  watcher.watched = target;
  target->FreeNotification(&watcher);
  delete target;
  EXPECT_EQ(watcher.watched, nullptr);
  EXPECT_EQ(log.back(), "watcher lost its target");

  // After RemoveFreeNotification nothing is told, and freeing the watcher first is safe.
  auto* other = new TProbe(nullptr, "other");
  auto* watcher2 = new TProbe(nullptr, "watcher2");
  watcher2->watched = other;
  other->FreeNotification(watcher2);
  other->RemoveFreeNotification(watcher2);
  delete other;
  EXPECT_NE(watcher2->watched, nullptr);
  delete watcher2;
}

TEST_F(ComponentTest, NamesAreUniqueUnderOneOwnerCaseInsensitively) {
  TProbe owner(nullptr, "owner");
  auto* a = new TProbe(&owner, "a");
  a->SetName("Button1");
  auto* b = new TProbe(&owner, "b");
  EXPECT_THROW(b->SetName("BUTTON1"), EComponentError);
  EXPECT_EQ(owner.FindComponent("button1"), a);
  EXPECT_EQ(owner.FindComponent("missing"), nullptr);
}

TEST_F(ComponentTest, WeakLinkExpiresWithItsObject) {
  auto* c = new TProbe(nullptr, "c");
  TWeak<TProbe> link(c);
  EXPECT_EQ(link.Get(), c);
  delete c;
  EXPECT_EQ(link.Get(), nullptr);
}

TEST(PersistentTest, AssignWithoutSupportRaisesNamingBothClasses) {
  TComponent a(nullptr), b(nullptr);
  try {
    a.Assign(&b);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TComponent to a TComponent");
  }
}

}  // namespace
