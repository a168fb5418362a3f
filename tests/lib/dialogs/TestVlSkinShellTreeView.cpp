// The shell tree view: lazy filling, selecting a path, the add-folder veto, refresh that keeps
// what the user sees, the context-menu commands, label editing, the image list the tree keeps,
// the automatic refresh and a re-created window; against the temporary shell tree of the tests.

#include "lib/dialogs/vlSkinShellTreeView.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/ShellTestTree.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "platform/shell/ShellIcons.h"
#include "platform/core/Thread.h"

namespace {

class ShellTreeView : public SkinnedControlsWorld {
 protected:
  // A tree of 240 x 300 on a shown form; Root when given.
  TvlSkinDirTreeView* MakeTree(const std::string& root = "") {
    TForm* form = MakeForm(Bounds(0, 0, 260, 320));
    auto* view = new TvlSkinDirTreeView(form);
    view->SetParent(form);
    view->SetBounds(10, 10, 240, 300);
    if (!root.empty()) view->SetRoot(root);
    view->SetSkinData(&skin);
    form->Show();
    Pump();
    return view;
  }

  // The texts of Node's children, in order.
  static std::vector<std::string> Children(TTreeNode* node) {
    std::vector<std::string> out;
    for (TTreeNode* c = node ? node->GetFirstChild() : nullptr; c; c = c->GetNextSibling()) out.push_back(c->Text());
    return out;
  }

  // The child of Node with the text Name.
  static TTreeNode* Child(TTreeNode* node, const std::string& name) {
    for (TTreeNode* c = node ? node->GetFirstChild() : nullptr; c; c = c->GetNextSibling())
      if (c->Text() == name) return c;
    return nullptr;
  }

  // Serves the calls worker threads post until Done answers true (10 s at most).
  static void ServeUntil(const std::function<bool()>& Done, const char* what) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Done()) {
      ASSERT_LT(std::chrono::steady_clock::now(), limit) << "waited in vain for " << what;
      CheckSynchronize(5);
      Pump();
    }
  }

  TShellTestTree tree;
};

TEST_F(ShellTreeView, StartsAtTheDesktopExpandedAndSelected) {
  TvlSkinDirTreeView* view = MakeTree();
  TTreeNode* top = view->Items()->GetFirstNode();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->GetNextSibling(), nullptr);
  EXPECT_FALSE(view->ShowRoot());
  EXPECT_TRUE(view->RightClickSelect());
  EXPECT_EQ(view->Selected(), top);
  EXPECT_TRUE(top->Expanded());
  EXPECT_EQ(view->Path(), tree.Desktop);
  // Computer and the home folder are there, not yet filled.
  TTreeNode* computer = Child(top, "计算机");
  ASSERT_NE(computer, nullptr);
  EXPECT_TRUE(computer->HasChildren());
  EXPECT_EQ(computer->Count(), 0);
  EXPECT_GE(computer->ImageIndex(), 0);
  // The tree shows the system list without Images being set by the application.
  EXPECT_EQ(view->Perform(TVM_GETIMAGELIST, TVSIL_NORMAL, 0),
            static_cast<LRESULT>(SHGetFileInfo(DesktopItemList(), 0, nullptr, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)));
}

TEST_F(ShellTreeView, PathSelectsTheFolderThroughItsParents) {
  TShellTestTree::MakeFolder(tree.Usb + "/a/b/c");
  TShellTestTree::MakeFolder(tree.Usb + "/a/other");
  TShellTestTree::Write(tree.Usb + "/a/file.txt", "x");
  TvlSkinDirTreeView* view = MakeTree();

  view->SetPath(tree.Usb + "/a/b");
  ASSERT_NE(view->Selected(), nullptr);
  EXPECT_EQ(view->Selected()->Text(), "b");
  EXPECT_EQ(view->Path(), tree.Usb + "/a/b");
  EXPECT_TRUE(view->Selected()->Expanded());
  EXPECT_EQ(Children(view->Selected()), std::vector<std::string>{"c"});
  for (TTreeNode* n = view->Selected()->Parent(); n; n = n->Parent()) EXPECT_TRUE(n->Expanded()) << n->Text();
  // Only folders are listed: the file has no node.
  EXPECT_EQ(Children(view->Selected()->Parent()), (std::vector<std::string>{"b", "other"}));

  // A file the tree does not list clears the selection; a text the desktop cannot parse raises
  // and leaves the selection alone.
  view->SetPath(tree.Usb + "/a/file.txt");
  EXPECT_EQ(view->Selected(), nullptr);
  view->SetPath(tree.Usb + "/a");
  TTreeNode* a = view->Selected();
  for (const std::string& bad : {std::string("relative/path"), tree.Usb + "/missing", std::string()}) {
    SCOPED_TRACE(bad);
    try {
      view->SetPath(bad);
      ADD_FAILURE() << "no error";
    } catch (const EInvalidPath& e) {
      EXPECT_EQ(e.Message, "Error setting path: \"" + bad + "\"");
    }
    EXPECT_EQ(view->Selected(), a);
  }
}

TEST_F(ShellTreeView, ObjectTypesChooseWhatIsListed) {
  TShellTestTree::MakeFolder(tree.Home + "/media/.hidden");
  TShellTestTree::MakeFolder(tree.Home + "/media/shown");
  TShellTestTree::MakeFolder(tree.Home + "/media/files");
  TShellTestTree::Write(tree.Home + "/media/files/clip.mp4", "x");
  TShellTestTree::Write(tree.Home + "/media/top.mp4", "x");
  struct Case {
    TShellObjectTypes types;
    std::vector<std::string> listed;
    bool filesFolderHasButton;
  };
  using T = TShellObjectType;
  const Case cases[] = {
      {{T::otFolders}, {"files", "shown"}, false},
      {{T::otFolders, T::otHidden}, {".hidden", "files", "shown"}, false},
      {{T::otFolders, T::otNonFolders}, {"files", "shown", "top.mp4"}, true},
  };
  TvlSkinDirTreeView* view = MakeTree(tree.Home + "/media");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listed.size());
    view->SetObjectTypes(c.types);
    TTreeNode* top = view->Items()->GetFirstNode();
    EXPECT_EQ(Children(top), c.listed);
    EXPECT_EQ(Child(top, "files")->HasChildren(), c.filesFolderHasButton);
  }
}

TEST_F(ShellTreeView, AnAddFolderVetoDropsTheNodesAndKeepsTheOrder) {
  for (const char* name : {"alpha", "beta", "gamma", "delta", "beta2"}) TShellTestTree::MakeFolder(tree.Home + "/v/" + name);
  TvlSkinDirTreeView* view = MakeTree();
  std::vector<std::string> asked;
  view->OnAddFolder = [&](TObject* sender, TvlShellFolder* folder, bool& canAdd) {
    EXPECT_EQ(sender, view);
    asked.push_back(folder->DisplayName());
    canAdd = folder->DisplayName().rfind("beta", 0) != 0;
  };
  view->SetRoot(tree.Home + "/v");
  EXPECT_EQ(asked.size(), 5u);
  EXPECT_EQ(Children(view->Items()->GetFirstNode()), (std::vector<std::string>{"alpha", "delta", "gamma"}));
}

TEST_F(ShellTreeView, RefreshKeepsExpansionSelectionAndTopRow) {
  for (int i = 0; i < 30; ++i) TShellTestTree::MakeFolder(tree.Home + "/r/f" + std::to_string(10 + i));
  TShellTestTree::MakeFolder(tree.Home + "/r/f12/inner/deep");
  TShellTestTree::MakeFolder(tree.Home + "/r/f13/gone");
  TvlSkinDirTreeView* view = MakeTree(tree.Home + "/r");
  TTreeNode* top = view->Items()->GetFirstNode();
  Child(top, "f12")->Expand(false);
  Child(Child(top, "f12"), "inner")->Expand(false);
  Child(top, "f13")->Expand(false);
  view->SetPath(tree.Home + "/r/f30");
  view->SetTopItem(Child(top, "f12"));
  ASSERT_EQ(view->TopItem()->Text(), "f12");

  std::filesystem::remove(tree.Home + "/r/f13/gone");
  TShellTestTree::MakeFolder(tree.Home + "/r/f12/added");
  view->Refresh(top);

  top = view->Items()->GetFirstNode();
  EXPECT_EQ(top->GetNextSibling(), nullptr);
  EXPECT_TRUE(top->Expanded());
  EXPECT_EQ(top->Count(), 30);
  TTreeNode* f12 = Child(top, "f12");
  EXPECT_TRUE(f12->Expanded());
  EXPECT_EQ(Children(f12), (std::vector<std::string>{"added", "inner"}));
  EXPECT_TRUE(Child(f12, "inner")->Expanded());
  EXPECT_EQ(Children(Child(f12, "inner")), std::vector<std::string>{"deep"});
  EXPECT_TRUE(Children(Child(top, "f13")).empty());
  EXPECT_FALSE(Child(top, "f14")->Expanded());
  ASSERT_NE(view->Selected(), nullptr);
  EXPECT_EQ(view->Path(), tree.Home + "/r/f30");
  ASSERT_NE(view->TopItem(), nullptr);
  EXPECT_EQ(view->TopItem()->Text(), "f12");
}

TEST_F(ShellTreeView, ADeleteRemovesTheNodeOnlyWhenNothingRemains) {
  struct Case {
    const char* what;
    bool makeFolder, makeFile, succeeded;
    bool nodeStays;
  };
  const Case cases[] = {
      {"deleted folder", false, false, true, false},
      {"cancelled folder deletion", true, false, true, true},
      {"a file now in its place", false, true, true, true},
      {"failed command", false, false, false, true},
  };
  TShellTestTree::MakeFolder(tree.Home + "/d/x");
  TvlSkinDirTreeView* view = MakeTree(tree.Home + "/d");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(tree.Home + "/d/x");
    TShellTestTree::MakeFolder(tree.Home + "/d/x");
    view->Refresh(view->Items()->GetFirstNode());
    view->SetPath(tree.Home + "/d/x");
    ASSERT_EQ(view->Path(), tree.Home + "/d/x");
    std::filesystem::remove_all(tree.Home + "/d/x");
    if (c.makeFolder) TShellTestTree::MakeFolder(tree.Home + "/d/x");
    if (c.makeFile) TShellTestTree::Write(tree.Home + "/d/x", "x");
    view->CommandCompleted("Delete", c.succeeded);
    EXPECT_EQ(Child(view->Items()->GetFirstNode(), "x") != nullptr, c.nodeStays);
  }
}

TEST_F(ShellTreeView, CommandsRenameAndPasteAndLeaveTheCurrentFolder) {
  TShellTestTree::MakeFolder(tree.Home + "/c/old");
  TvlSkinDirTreeView* view = MakeTree(tree.Home + "/c");
  const auto cwd = std::filesystem::current_path();

  // "rename" edits the label; the edit renames the folder on disk.
  view->SetPath(tree.Home + "/c/old");
  bool handled = false;
  view->ExecuteCommand("RENAME", handled);
  EXPECT_TRUE(handled);
  ASSERT_TRUE(view->IsEditing());
  view->EditControl()->SetText("新名字");
  view->EndEditing(true);
  EXPECT_TRUE(std::filesystem::is_directory(tree.Home + "/c/新名字"));
  EXPECT_FALSE(std::filesystem::exists(tree.Home + "/c/old"));
  EXPECT_EQ(Children(view->Items()->GetFirstNode()), std::vector<std::string>{"新名字"});

  // A name the folder refuses (one that is taken) raises, and the node keeps its text.
  TShellTestTree::MakeFolder(tree.Home + "/c/taken");
  view->Refresh(view->Items()->GetFirstNode());
  view->SetPath(tree.Home + "/c/新名字");
  ASSERT_TRUE(view->Selected()->EditText());
  view->EditControl()->SetText("taken");
  EXPECT_THROW(view->EndEditing(true), Exception);
  EXPECT_EQ(view->Selected()->Text(), "新名字");
  std::filesystem::remove(tree.Home + "/c/taken");
  view->Refresh(view->Items()->GetFirstNode());

  // "open" is left to the shell and never moves the process's current folder.
  handled = false;
  view->ExecuteCommand("open", handled);
  EXPECT_FALSE(handled);
  view->CommandCompleted("open", true);
  EXPECT_EQ(std::filesystem::current_path(), cwd);

  // "paste" re-reads the selected folder.
  view->SetPath(tree.Home + "/c");
  TShellTestTree::MakeFolder(tree.Home + "/c/pasted");
  view->CommandCompleted("paste", true);
  EXPECT_EQ(Children(view->Items()->GetFirstNode()), (std::vector<std::string>{"pasted", "新名字"}));
}

TEST_F(ShellTreeView, TheTreeKeepsItsImageListChoice) {
  TvlSkinDirTreeView* view = MakeTree();
  const auto system = static_cast<LRESULT>(SHGetFileInfo(DesktopItemList(), 0, nullptr, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  TImageList other(nullptr);
  // A list sent by message does not replace the tree's own choice.
  view->Perform(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(other.Handle()));
  EXPECT_EQ(view->Perform(TVM_GETIMAGELIST, TVSIL_NORMAL, 0), system);
  view->SetUseShellImages(false);
  EXPECT_EQ(view->Perform(TVM_GETIMAGELIST, TVSIL_NORMAL, 0), 0);
  view->SetUseShellImages(true);
  EXPECT_EQ(view->Perform(TVM_GETIMAGELIST, TVSIL_NORMAL, 0), system);

  // The image events fire only with the application's own list.
  int asked = 0;
  view->OnGetImageIndex = [&](TObject*, TTreeNode*) { ++asked; };
  view->OnGetSelectedIndex = [&](TObject*, TTreeNode*) { ++asked; };
  view->Invalidate();
  Pump();
  EXPECT_EQ(asked, 0);
  view->SetImages(&other);
  EXPECT_EQ(view->Perform(TVM_GETIMAGELIST, TVSIL_NORMAL, 0), reinterpret_cast<LRESULT>(other.Handle()));
  view->Invalidate();
  Pump();
  EXPECT_GT(asked, 0);
  view->SetImages(nullptr);
}

TEST_F(ShellTreeView, AutoRefreshWatchesTheSelectedFolder) {
  TShellTestTree::MakeFolder(tree.Home + "/w/one");
  TShellTestTree::MakeFolder(tree.Home + "/w/two");
  TvlSkinDirTreeView* view = MakeTree(tree.Home + "/w");
  // The notifier of construction went with the first selection: nothing watches yet.
  EXPECT_EQ(view->Notifier(), nullptr);
  view->SetAutoRefresh(true);
  view->SetPath(tree.Home + "/w/one");
  ServeUntil([&] { return view->Notifier() && view->Notifier()->WatchedFolder() == tree.Home + "/w/one"; }, "the watch");
  EXPECT_FALSE(view->Notifier()->WatchSubTree());

  TShellTestTree::MakeFolder(tree.Home + "/w/one/new");
  ServeUntil([&] { return view->Selected() && Children(view->Selected()) == std::vector<std::string>{"new"}; },
             "the refresh");
  EXPECT_EQ(view->Path(), tree.Home + "/w/one");
  view->SetAutoRefresh(false);
  EXPECT_EQ(view->Notifier(), nullptr);
}

TEST_F(ShellTreeView, ARecreatedWindowRebuildsAndSelectsTheLastPath) {
  TShellTestTree::MakeFolder(tree.Home + "/again/x");
  TvlSkinDirTreeView* view = MakeTree();
  view->SetPath(tree.Home + "/again/x");
  TTreeNode* before = view->Selected();
  view->RecreateWnd();
  ASSERT_NE(view->Selected(), nullptr);
  EXPECT_EQ(view->Path(), tree.Home + "/again/x");
  EXPECT_EQ(view->Selected()->Text(), "x");
  (void)before;
}

TEST_F(ShellTreeView, AnUnresolvableRootKeepsThePreviousOne) {
  TShellTestTree::MakeFolder(tree.Home + "/kept/k");
  TvlSkinDirTreeView* view = MakeTree(tree.Home + "/kept");
  EXPECT_THROW(view->SetRoot(tree.Home + "/nowhere"), Exception);
  EXPECT_EQ(view->Root(), tree.Home + "/kept");
  EXPECT_EQ(Children(view->Items()->GetFirstNode()), std::vector<std::string>{"k"});
}

TEST_F(ShellTreeView, LooksLikeItsExpectedPicture) {
  for (const char* name : {"我的视频", "音乐", "照片/2024 旅行", "照片/家庭", "下载"})
    TShellTestTree::MakeFolder(tree.Home + "/素材/" + name);
  skinned_test_form::RenderFormAndCompare(
      display, 220, 200,
      [&](TForm* form) {
        auto* view = new TvlSkinDirTreeView(form);
        view->SetParent(form);
        view->SetBounds(0, 0, 220, 200);
        view->SetRoot(tree.Home + "/素材");
        view->SetSkinData(&skin);
      },
      [&](TForm* form) {
        auto* view = static_cast<TvlSkinDirTreeView*>(form->Components(0));
        view->SetPath(tree.Home + "/素材/照片/家庭");
        Pump();
      },
      skinned_controls_world::SourceFolder() / "expected", "shell_tree_view");
}

}  // namespace
