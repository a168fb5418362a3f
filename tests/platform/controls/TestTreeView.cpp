// Tree view on the headless display: events in order for lazy expansion, vetoed changes,
// collapsing around the selection and deletion; node navigation and sorting; counts and scroll
// ranges; mouse and keys.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/controls/TreeView.h"

namespace {

class TreeViewTest : public FormWorld {
 protected:
  // A tree with three top folders marked as having children, filled on first expansion with
  // "<name>.1" .. "<name>.3" (the last of a top folder's again expandable); "empty" gets nothing.
  TTreeView* MakeTree(TForm* form) {
    auto* tv = new TTreeView(form);
    tv->SetBounds(0, 0, 200, 160);
    tv->SetParent(form);
    for (const char* name : {"alpha", "beta", "empty"}) tv->Items()->Add(nullptr, name)->SetHasChildren(true);
    tv->OnExpanding = [this, tv](TObject*, TTreeNode* node, bool& allow) {
      events.push_back("expanding " + node->Text());
      if (node->Text() == vetoExpand) {
        allow = false;
        return;
      }
      if (node->Count() == 0 && node->Text() != "empty")
        for (int i = 1; i <= 3; ++i) tv->Items()->AddChild(node, node->Text() + "." + std::to_string(i))->SetHasChildren(i == 3 && node->Level() == 0);
    };
    tv->OnExpanded = [this](TObject*, TTreeNode* node) { events.push_back("expanded " + node->Text()); };
    tv->OnCollapsing = [this](TObject*, TTreeNode* node, bool&) { events.push_back("collapsing " + node->Text()); };
    tv->OnCollapsed = [this](TObject*, TTreeNode* node) { events.push_back("collapsed " + node->Text()); };
    tv->OnChanging = [this](TObject*, TTreeNode* node, bool& allow) {
      events.push_back("changing " + (node ? node->Text() : std::string("-")));
      if (node && node->Text() == vetoSelect) allow = false;
    };
    tv->OnChange = [this](TObject*, TTreeNode* node) { events.push_back("change " + (node ? node->Text() : std::string("-"))); };
    tv->OnDeletion = [this](TObject*, TTreeNode* node) { events.push_back("deletion " + node->Text()); };
    return tv;
  }

  static TTreeNode* Find(TTreeView* tv, const std::string& text) {
    for (TTreeNode* n = tv->Items()->GetFirstNode(); n != nullptr; n = n->GetNext())
      if (n->Text() == text) return n;
    return nullptr;
  }

  std::vector<std::string> events;
  std::string vetoExpand, vetoSelect;
};

using Strings = std::vector<std::string>;

TEST_F(TreeViewTest, EventsComeInOrderForLazyExpansionVetoesCollapseAndDeletion) {
  struct Case {
    const char* name;
    const char* vetoExpand;
    const char* vetoSelect;
    std::function<void(TTreeView*)> act;
    Strings expected;
    const char* selectedAfter;
  };
  const std::vector<Case> cases = {
      {"first expansion fills the node", "", "", [](TTreeView* tv) { Find(tv, "alpha")->Expand(false); },
       {"expanding alpha", "expanded alpha"}, "-"},
      {"refused expansion", "alpha", "", [](TTreeView* tv) { Find(tv, "alpha")->Expand(false); },
       {"expanding alpha"}, "-"},
      {"nothing filled: no expansion", "", "", [](TTreeView* tv) { Find(tv, "empty")->Expand(false); },
       {"expanding empty"}, "-"},
      {"selecting a hidden node opens its parents", "", "",
       [](TTreeView* tv) {
         Find(tv, "beta")->Expand(false);
         Find(tv, "beta.3")->Expand(false);
         tv->SetSelected(Find(tv, "beta.3.2"));
       },
       {"expanding beta", "expanded beta", "expanding beta.3", "expanded beta.3", "changing beta.3.2",
        "change beta.3.2"},
       "beta.3.2"},
      {"refused selection", "", "beta", [](TTreeView* tv) { tv->SetSelected(Find(tv, "beta")); },
       {"changing beta"}, "-"},
      {"collapsing over the selection moves it up", "", "",
       [](TTreeView* tv) {
         Find(tv, "alpha")->Expand(false);
         tv->SetSelected(Find(tv, "alpha.2"));
         Find(tv, "alpha")->Collapse(false);
       },
       {"expanding alpha", "expanded alpha", "changing alpha.2", "change alpha.2", "collapsing alpha",
        "changing alpha", "change alpha", "collapsed alpha"},
       "alpha"},
      {"deleting the selected branch: children first, then the neighbour is selected", "", "",
       [](TTreeView* tv) {
         Find(tv, "alpha")->Expand(false);
         tv->SetSelected(Find(tv, "alpha"));
         Find(tv, "alpha")->Delete();
       },
       {"expanding alpha", "expanded alpha", "changing alpha", "change alpha", "deletion alpha.1",
        "deletion alpha.2", "deletion alpha.3", "deletion alpha", "change beta"},
       "beta"},
  };
  TWatchdog watchdog("tree events");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm* form = MakeForm(Bounds(0, 0, 300, 200));
    TTreeView* tv = MakeTree(form);
    vetoExpand = c.vetoExpand;
    vetoSelect = c.vetoSelect;
    events.clear();
    c.act(tv);
    EXPECT_EQ(events, c.expected);
    EXPECT_EQ(tv->Selected() ? tv->Selected()->Text() : std::string("-"), c.selectedAfter);
    tv->OnDeletion = nullptr;
    forms.clear();
  }
  EXPECT_FALSE(Find(MakeTree(MakeForm(Bounds(0, 0, 10, 10))), "empty.1"));
}

TEST_F(TreeViewTest, NodesNavigateSortAndCount) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  TTreeView* tv = MakeTree(form);
  TWatchdog watchdog("full expand");
  tv->FullExpand();  // fills alpha and beta and their last children, recursively
  EXPECT_EQ(tv->Perform(TVM_GETCOUNT, 0, 0), tv->Items()->Count());
  TTreeNode* a3 = Find(tv, "alpha.3");
  ASSERT_NE(a3, nullptr);
  EXPECT_EQ(a3->Level(), 1);
  EXPECT_EQ(a3->Parent()->Text(), "alpha");
  EXPECT_EQ(a3->GetFirstChild()->Text(), "alpha.3.1");
  EXPECT_EQ(a3->GetNext()->Text(), "alpha.3.1");
  EXPECT_EQ(Find(tv, "alpha.2")->GetNext()->Text(), "alpha.3");
  EXPECT_EQ(tv->Items()->Item(0)->Text(), "alpha");
  EXPECT_THROW((void)tv->Items()->Item(10000), EListError);

  TTreeNode* root = tv->Items()->Add(nullptr, "sorted");
  for (const char* s : {"pear", "Apple", "fig", "banana"}) tv->Items()->AddChild(root, s);
  root->AlphaSort();
  Strings order;
  for (TTreeNode* n = root->GetFirstChild(); n; n = n->GetNextSibling()) order.push_back(n->Text());
  EXPECT_EQ(order, (Strings{"Apple", "banana", "fig", "pear"}));
  root->CustomSort([](TTreeNode* a, TTreeNode* b, std::intptr_t) { return static_cast<int>(b->Text().size() - a->Text().size()); }, 0);
  EXPECT_EQ(root->GetFirstChild()->Text(), "banana");
  EXPECT_TRUE(root->HasChildren());
  root->DeleteChildren();
  EXPECT_FALSE(root->HasChildren());
}

TEST_F(TreeViewTest, ScrollRangesFollowShownRowsAndMessagesMoveTheTop) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  auto* tv = new TTreeView(form);
  tv->SetBounds(0, 0, 200, 160);
  tv->SetParent(form);
  tv->Items()->BeginUpdate();
  for (int i = 0; i < 50; ++i) {
    TTreeNode* n = tv->Items()->Add(nullptr, "node " + std::to_string(i));
    tv->Items()->AddChild(n, "child");
  }
  tv->Items()->EndUpdate();
  form->Show();
  Pump();
  // The vertical bar shows; nothing is wide enough for the horizontal one.
  const int page = tv->ClientHeight() / tv->RowHeight();
  EXPECT_LT(tv->ClientWidth(), 200);
  EXPECT_EQ(tv->ClientHeight(), 160);
  EXPECT_EQ(tv->Perform(TVM_GETVISIBLECOUNT, 0, 0), page);
  EXPECT_EQ(tv->Perform(TVM_GETCOUNT, 0, 0), 100);
  auto v = tv->ScrollInfo(SB_VERT);
  EXPECT_EQ(v.Max, 49);
  EXPECT_EQ(v.Page, page);
  tv->Items()->Item(0)->Expand(false);
  EXPECT_EQ(tv->ScrollInfo(SB_VERT).Max, 50);

  tv->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(tv->TopItem()->Text(), "child");
  tv->Perform(WM_VSCROLL, MAKELPARAM(SB_THUMBPOSITION, 20), 0);
  EXPECT_EQ(tv->ScrollInfo(SB_VERT).Pos, 20);
  EXPECT_EQ(GetScrollPos(tv->Handle(), SB_VERT), 20);
  int low = -1, high = -1;
  EXPECT_TRUE(GetScrollRange(tv->Handle(), SB_VERT, &low, &high));
  EXPECT_EQ(high, 50);
  EXPECT_EQ(tv->TopItem()->Text(), "node 19");
  tv->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(tv->ScrollInfo(SB_VERT).Pos, 51 - page);
  tv->SetTopItem(Find(tv, "node 3"));
  EXPECT_EQ(tv->GetNodeAt(5, 1)->Text(), "node 3");
  // Horizontal range is the widest shown row; a narrow tree has nothing to scroll.
  EXPECT_LE(tv->ScrollInfo(SB_HORZ).Max, 200);
}

TEST_F(TreeViewTest, MouseAndKeysExpandAndSelect) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  TTreeView* tv = MakeTree(form);
  tv->SetRightClickSelect(true);
  form->Show();
  Pump();
  const int rh = tv->RowHeight();
  // Row 0 is "alpha"; its button sits in the first indent.
  display->Click({9, rh / 2});
  Pump();
  EXPECT_TRUE(Find(tv, "alpha")->Expanded());
  EXPECT_EQ(tv->Selected(), nullptr);
  display->Click({60, rh + rh / 2});  // alpha.1
  Pump();
  ASSERT_NE(tv->Selected(), nullptr);
  EXPECT_EQ(tv->Selected()->Text(), "alpha.1");
  display->Click({60, 4 * rh + rh / 2}, detail::TMouseButton::Right);  // beta
  Pump();
  EXPECT_EQ(tv->Selected()->Text(), "beta");
  struct Step {
    WORD key;
    const char* selected;
    bool betaExpanded;
  };
  const Step steps[] = {
      {VK_RIGHT, "beta", true},  {VK_RIGHT, "beta.1", true}, {VK_DOWN, "beta.2", true},
      {VK_LEFT, "beta", true},   {VK_LEFT, "beta", false},   {VK_UP, "alpha.3", false},
      {VK_HOME, "alpha", false}, {VK_END, "empty", false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.key);
    display->KeyDown(s.key);
    display->KeyUp(s.key);
    Pump();
    EXPECT_EQ(tv->Selected()->Text(), s.selected);
    EXPECT_EQ(Find(tv, "beta")->Expanded(), s.betaExpanded);
  }
}

TEST_F(TreeViewTest, LabelEditingKeepsOrDropsTheTextAndCanBeRefused) {
  struct Case {
    const char* name;
    bool refuse;
    WORD endKey;
    std::vector<std::string> events;
    const char* text;
  };
  const Case cases[] = {
      {"Return", false, VK_RETURN, {"editing beta", "edited gamma"}, "gamma"},
      {"Escape", false, VK_ESCAPE, {"editing beta"}, "beta"},
      {"refused", true, VK_RETURN, {"editing beta"}, "beta"},
  };
  TWatchdog watchdog("tree label editing");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm* form = MakeForm(Bounds(0, 0, 300, 200));
    TTreeView* tv = MakeTree(form);
    form->Show();
    Pump();
    events.clear();
    tv->OnEditing = [&](TObject*, TTreeNode* node, bool& allow) {
      events.push_back("editing " + node->Text());
      allow = !c.refuse;
    };
    tv->OnEdited = [&](TObject*, TTreeNode*, std::string& s) { events.push_back("edited " + s); };
    tv->SetFocus();
    EXPECT_EQ(Find(tv, "beta")->EditText(), !c.refuse);
    Pump();
    if (tv->IsEditing()) {
      display->Text("gamma");
      Pump();
      display->KeyDown(c.endKey);
      display->KeyUp(c.endKey);
      Pump();
    }
    EXPECT_FALSE(tv->IsEditing());
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(Find(tv, c.text) != nullptr, true);
    tv->OnDeletion = nullptr;
    forms.clear();
  }
}

// A descendant (a shell tree renames the folder itself) hears the end of every label edit,
// nullptr for a cancelled one, and decides alone what happens to the node.
class TRenamingTree : public TTreeView {
 public:
  using TTreeView::TTreeView;
  std::vector<std::string> ends;

 protected:
  void Edit(TTreeNode* Node, const std::string* Text) override {
    ends.push_back(Node->Text() + (Text ? " -> " + *Text : std::string(" cancelled")));
  }
};

TEST_F(TreeViewTest, DescendantsTakeOverTheEndOfALabelEdit) {
  TWatchdog watchdog("tree label edit hook");
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  auto* tv = new TRenamingTree(form);
  tv->SetBounds(0, 0, 200, 160);
  tv->SetParent(form);
  TTreeNode* node = tv->Items()->Add(nullptr, "folder");
  bool editedFired = false;
  tv->OnEdited = [&](TObject*, TTreeNode*, std::string&) { editedFired = true; };
  form->Show();
  tv->SetFocus();
  for (WORD key : {VK_ESCAPE, VK_RETURN}) {
    ASSERT_TRUE(node->EditText());
    Pump();
    display->Text("renamed");
    Pump();
    display->KeyDown(key);
    display->KeyUp(key);
    Pump();
  }
  EXPECT_EQ(tv->ends, (std::vector<std::string>{"folder cancelled", "folder -> renamed"}));
  EXPECT_EQ(node->Text(), "folder") << "the override did not give the node the text";
  EXPECT_FALSE(editedFired);
}

// A tree whose image and state-image slots hold one list hears of its end through either slot;
// replacing one slot keeps the other told.
TEST_F(TreeViewTest, ImageListsSharedBySlotsAreForgottenWhenFreed) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  TTreeView* tv = MakeTree(form);
  auto* shared = new TImageList(nullptr);
  auto* other = new TImageList(nullptr);
  tv->SetImages(shared);
  tv->SetStateImages(shared);
  tv->SetImages(other);
  delete shared;
  EXPECT_EQ(tv->StateImages(), nullptr);
  EXPECT_EQ(tv->Images(), other);
  delete other;
  EXPECT_EQ(tv->Images(), nullptr);
}

}  // namespace
