#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/ActnList.h"
#include "platform/controls/Controls.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/Menus.h"

namespace {

// A client that records what its link passes on.
class TRecordingLink : public TActionLink {
 public:
  TRecordingLink() : TActionLink(nullptr) {}
  void SetCaption(const std::string& v) override { log.push_back("caption=" + v); }
  void SetEnabled(bool v) override { log.push_back(std::string("enabled=") + (v ? "1" : "0")); }
  void SetChecked(bool v) override { log.push_back(std::string("checked=") + (v ? "1" : "0")); }
  std::vector<std::string> log;
};

class Actions : public ::testing::Test {
 protected:
  std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);
  TActionList* list = new TActionList(form.get());
  TAction* save = new TAction(form.get());
};

TEST_F(Actions, PropertyChangesReachEveryLinkedMenuItem) {
  auto* item1 = new TMenuItem(form.get());
  auto* item2 = new TMenuItem(form.get());
  save->SetCaption("&Save");
  save->SetShortCut(ShortCut('S', {TShiftStateFlag::ssCtrl}));
  item1->SetAction(save);
  item2->SetAction(save);
  // Linking copies the current state.
  EXPECT_EQ(item1->Caption(), "&Save");
  EXPECT_EQ(item1->ShortCut(), ShortCut('S', {TShiftStateFlag::ssCtrl}));

  save->SetCaption("Save &As");
  save->SetEnabled(false);
  save->SetChecked(true);
  save->SetHint("Saves");
  save->SetImageIndex(3);
  save->SetVisible(false);
  for (TMenuItem* item : {item1, item2}) {
    SCOPED_TRACE(item == item1 ? "first item" : "second item");
    EXPECT_EQ(item->Caption(), "Save &As");
    EXPECT_FALSE(item->Enabled());
    EXPECT_TRUE(item->Checked());
    EXPECT_EQ(item->Hint(), "Saves");
    EXPECT_EQ(item->ImageIndex(), 3);
    EXPECT_FALSE(item->Visible());
  }
  // An unlinked item no longer follows.
  item2->SetAction(nullptr);
  save->SetCaption("Other");
  EXPECT_EQ(item1->Caption(), "Other");
  EXPECT_EQ(item2->Caption(), "Save &As");
  EXPECT_EQ(save->LinkCount(), 1);
}

TEST_F(Actions, LinkSeesOnlyRealChangesInOrder) {
  TRecordingLink link;
  link.SetAction(save);
  int changes = 0;
  link.OnChange = [&](TObject*) { ++changes; };
  save->SetCaption("A");
  save->SetCaption("A");  // no change, nothing told
  save->SetEnabled(false);
  save->SetChecked(true);
  EXPECT_EQ(link.log, (std::vector<std::string>{"caption=A", "enabled=0", "checked=1"}));
  EXPECT_EQ(changes, 3);
}

TEST_F(Actions, ExecuteGoesThroughTheListFirstAndNeverWhenDisabled) {
  std::vector<std::string> calls;
  save->SetActionList(list);
  save->OnExecute = [&](TObject* s) {
    calls.push_back("action");
    EXPECT_EQ(s, save);
  };
  bool listHandles = false;
  list->OnExecute = [&](TBasicAction* a, bool& handled) {
    EXPECT_EQ(a, save);
    calls.push_back("list");
    handled = listHandles;
  };
  EXPECT_TRUE(save->Execute());
  listHandles = true;
  EXPECT_TRUE(save->Execute());
  EXPECT_EQ(calls, (std::vector<std::string>{"list", "action", "list"}));

  calls.clear();
  save->SetEnabled(false);
  EXPECT_FALSE(save->Execute());
  EXPECT_TRUE(calls.empty());

  // The update that runs first may enable it.
  listHandles = false;
  save->OnUpdate = [&](TObject*) { save->SetEnabled(true); };
  EXPECT_TRUE(save->Execute());
  EXPECT_EQ(calls, (std::vector<std::string>{"list", "action"}));
}

TEST_F(Actions, UpdateRunsListThenActionHandlersAndCanChangeClients) {
  save->SetActionList(list);
  auto* item = new TMenuItem(form.get());
  item->SetAction(save);
  bool canSave = false;
  save->OnUpdate = [&](TObject*) { save->SetEnabled(canSave); };
  list->UpdateActions();
  EXPECT_FALSE(item->Enabled());
  canSave = true;
  list->UpdateActions();
  EXPECT_TRUE(item->Enabled());
  // A list handler that handles the update keeps the action's own handler out.
  list->OnUpdate = [](TBasicAction*, bool& handled) { handled = true; };
  canSave = false;
  list->UpdateActions();
  EXPECT_TRUE(item->Enabled());
}

TEST_F(Actions, ClickingALinkedItemExecutesWithTheItemAsActionComponent) {
  auto* item = new TMenuItem(form.get());
  item->SetAction(save);
  TComponent* seen = nullptr;
  save->OnExecute = [&](TObject*) { seen = save->ActionComponent(); };
  item->Click();
  EXPECT_EQ(seen, item);
  EXPECT_EQ(save->ActionComponent(), nullptr);
  // An OnClick of the item's own takes precedence.
  bool own = false;
  seen = nullptr;
  item->OnClick = [&](TObject*) { own = true; };
  item->Click();
  EXPECT_TRUE(own);
  EXPECT_EQ(seen, nullptr);
}

TEST_F(Actions, FreeingEitherSideLeavesNoDanglingLink) {
  auto* item = new TMenuItem(form.get());
  item->SetAction(save);
  save->SetActionList(list);
  delete save;
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(list->ActionCount(), 0);
  item->Click();  // nothing to run, nothing to crash

  auto* other = new TAction(form.get());
  auto* item2 = new TMenuItem(form.get());
  item2->SetAction(other);
  delete item2;
  EXPECT_EQ(other->LinkCount(), 0);
  other->SetCaption("still fine");

  other->SetActionList(list);
  delete list;
  EXPECT_EQ(other->ActionList(), nullptr);
  EXPECT_FALSE(other->Execute());
}

TEST_F(Actions, ImagesOfTheListAndItsRemoval) {
  auto* images = new TImageList(form.get());
  list->SetImages(images);
  save->SetActionList(list);
  EXPECT_EQ(save->Images(), images);
  delete images;
  EXPECT_EQ(list->Images(), nullptr);
  EXPECT_EQ(save->Images(), nullptr);
}

// A control that follows Checked and ImageIndex too, as a check box or an image button does,
// and records every ActionChange.
class TFollowingControl : public TControl {
 public:
  using TControl::TControl;
  using TControl::ActionLink;
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    TControl::ActionChange(Sender, CheckDefaults);
    EXPECT_EQ(Sender, Action());
    EXPECT_FALSE(CheckDefaults);
    ++changes;
    if (auto* a = dynamic_cast<TCustomAction*>(Sender)) {
      checked = a->Checked();
      image = a->ImageIndex();
    }
  }
  int changes = 0;
  bool checked = false;
  int image = -1;
};

TEST_F(Actions, ClickingALinkedControlExecutesWithTheControlAsActionComponent) {
  auto* control = new TFollowingControl(form.get());
  EXPECT_EQ(control->ActionLink(), nullptr);
  control->SetAction(save);
  ASSERT_NE(control->ActionLink(), nullptr);
  std::vector<TComponent*> seen;
  save->OnExecute = [&](TObject*) { seen.push_back(save->ActionComponent()); };
  control->Click();
  // A descendant's own click handling runs the link the same way.
  control->ActionLink()->Execute(control);
  EXPECT_EQ(seen, (std::vector<TComponent*>{control, control}));
  EXPECT_EQ(save->ActionComponent(), nullptr) << "only while the action runs";
  // An OnClick of the control's own takes precedence, as for a menu item.
  bool own = false;
  control->OnClick = [&](TObject*) { own = true; };
  control->Click();
  EXPECT_TRUE(own);
  EXPECT_EQ(seen.size(), 2u);
  // Unlinked, a click runs nothing of the action.
  control->OnClick = nullptr;
  control->SetAction(nullptr);
  EXPECT_EQ(control->ActionLink(), nullptr);
  control->Click();
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(Actions, EveryLaterChangeOfTheActionReachesTheControlsActionChange) {
  auto* control = new TFollowingControl(form.get());
  auto* item = new TMenuItem(form.get());  // a menu item on the same action keeps following too
  save->SetCaption("&Save");
  control->SetAction(save);
  item->SetAction(save);
  EXPECT_EQ(control->changes, 1) << "once when linked";
  EXPECT_EQ(control->Caption(), "&Save");

  struct Change {
    const char* name;
    std::function<void()> apply;
    std::function<bool()> followed;
  };
  const Change changes[] = {
      {"Caption", [&] { save->SetCaption("Save &As"); }, [&] { return control->Caption() == "Save &As"; }},
      {"Enabled", [&] { save->SetEnabled(false); }, [&] { return !control->Enabled(); }},
      {"Checked", [&] { save->SetChecked(true); }, [&] { return control->checked; }},
      {"ImageIndex", [&] { save->SetImageIndex(4); }, [&] { return control->image == 4; }},
      {"Hint", [&] { save->SetHint("Saves"); }, [&] { return control->Hint() == "Saves"; }},
      {"Visible", [&] { save->SetVisible(false); }, [&] { return !control->Visible(); }},
      {"ShortCut", [&] { save->SetShortCut(ShortCut('S', {TShiftStateFlag::ssCtrl})); }, [] { return true; }},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.name);
    const int before = control->changes;
    c.apply();
    EXPECT_EQ(control->changes, before + 1);
    EXPECT_TRUE(c.followed());
    c.apply();  // the same value again is no change
    EXPECT_EQ(control->changes, before + 1);
  }
  EXPECT_EQ(item->Caption(), "Save &As");
  EXPECT_TRUE(item->Checked());
  EXPECT_EQ(item->ImageIndex(), 4);

  control->SetAction(nullptr);
  const int unlinked = control->changes;
  save->SetCaption("Other");
  EXPECT_EQ(control->changes, unlinked);
  EXPECT_EQ(control->Caption(), "Save &As");
  EXPECT_EQ(item->Caption(), "Other");
}

}  // namespace
