// The shell list view: file masks with folders first, navigation by keys and calls, column sorts
// that read their keys once, type-to-find, the selected files, refresh, renaming, and the links
// to a shell tree view and a shell combo box; against the temporary shell tree of the tests.

#include "lib/dialogs/vlSkinShellListView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/dialogs/vlSkinShellComboBox.h"
#include "lib/dialogs/vlSkinShellTreeView.h"

namespace {

// The view with its column click reachable.
class TTestListView : public TvlSkinFileListView {
 public:
  using TvlSkinFileListView::TvlSkinFileListView;
  void ClickColumn(int Index) { ColumnClick(Columns()->Items(Index)); }
};

class ShellListView : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    folder = tree.Usb + "/clips";
    TShellTestTree::MakeFolder(folder + "/sub");
    TShellTestTree::MakeFolder(folder + "/Another");
    TShellTestTree::Write(folder + "/b.mp4", "12345");
    TShellTestTree::Write(folder + "/A.MP3", "1");
    TShellTestTree::Write(folder + "/c.txt", "123");
    TShellTestTree::Write(folder + "/noext", "");
  }

  // A view of 300 x 200 on a shown form, opened at Path when given.
  TTestListView* MakeView(const std::string& path = "") {
    form = MakeForm(Bounds(0, 0, 320, 220));
    auto* view = new TTestListView(form);
    view->SetParent(form);
    view->SetBounds(10, 10, 300, 200);
    view->SetSkinData(&skin);
    if (!path.empty()) view->SetPath(path);
    form->Show();
    Pump();
    return view;
  }

  static std::vector<std::string> Rows(const TvlCustomShellListView* view) {
    std::vector<std::string> out;
    for (int i = 0; i < view->FolderCount(); ++i) out.push_back(view->FolderAt(i)->DisplayName());
    return out;
  }

  void Press(WORD key) {
    display->KeyDown(key);
    display->KeyUp(key);
    Pump();
  }

  TShellTestTree tree;
  std::string folder;
  TForm* form = nullptr;
};

TEST_F(ShellListView, MasksChooseTheFilesAndFoldersComeFirst) {
  TTestListView* view = MakeView(folder);
  EXPECT_EQ(view->Items()->Count(), view->FolderCount());
  struct Case {
    const char* mask;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"*.*|*.*", {"Another", "sub", "A.MP3", "b.mp4", "c.txt", "noext"}},  // "*.*" takes names without a dot too
      {"*.mp4;*.mp3", {"Another", "sub", "A.MP3", "b.mp4"}},
      {"*.txt|*.mp4", {"Another", "sub", "b.mp4", "c.txt"}},
      {"*", {"Another", "sub", "A.MP3", "b.mp4", "c.txt", "noext"}},
      {"noext", {"Another", "sub"}},  // a pattern without a dot matches nothing
      {"", {"Another", "sub"}},
      {"*.[;*.txt", {"Another", "sub", "c.txt"}},  // an unreadable pattern matches nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    view->SetMask(c.mask);
    EXPECT_EQ(Rows(view), c.rows);
    EXPECT_EQ(view->Items()->Count(), static_cast<int>(c.rows.size()));
  }
}

TEST_F(ShellListView, AddFolderVetoDropsItems) {
  TTestListView* view = MakeView();
  view->OnAddFolder = [](TObject*, TvlShellFolder* f, bool& canAdd) { canAdd = canAdd && f->DisplayName() != "c.txt"; };
  view->SetPath(folder);
  EXPECT_EQ(Rows(view), (std::vector<std::string>{"Another", "sub", "A.MP3", "b.mp4", "noext"}));
}

TEST_F(ShellListView, KeysAndCallsNavigateAndReportNewFolders) {
  TTestListView* view = MakeView(folder);
  int changes = 0;
  view->OnPathChanged = [&](TObject*) { ++changes; };
  view->SetFocus();

  // Enter on a folder opens it, Backspace goes back to its parent.
  view->SetItemIndex(1);
  Press(VK_RETURN);
  EXPECT_EQ(view->Path(), folder + "/sub");
  EXPECT_EQ(changes, 1);
  Press(VK_BACK);
  EXPECT_EQ(view->Path(), folder);
  EXPECT_EQ(changes, 2);
  // Enter on a file does not navigate; the same folder again changes nothing.
  view->SetItemIndex(3);
  Press(VK_RETURN);
  view->SetPath(folder);
  EXPECT_EQ(view->Path(), folder);
  EXPECT_EQ(changes, 2);

  // A text the desktop cannot parse raises and leaves the folder.
  try {
    view->SetPath(folder + "/missing");
    ADD_FAILURE() << "no error";
  } catch (const EInvalidPath& e) {
    EXPECT_EQ(e.Message, "Error setting path: \"" + folder + "/missing\"");
  }
  EXPECT_EQ(view->Path(), folder);

  // Back at the desktop keeps the desktop.
  view->OpenID(DesktopItemList());
  ASSERT_EQ(view->Path(), tree.Desktop);
  view->Back();
  EXPECT_EQ(view->Path(), tree.Desktop);

  // Without AutoNavigate the keys leave the folder alone.
  view->SetPath(folder);
  view->SetAutoNavigate(false);
  view->SetItemIndex(1);
  Press(VK_RETURN);
  Press(VK_BACK);
  EXPECT_EQ(view->Path(), folder);
}

TEST_F(ShellListView, ColumnClicksSortByTheirKeysWithFoldersFirst) {
  TTestListView* view = MakeView(folder);
  view->SetViewStyle(TViewStyle::vsReport);
  ASSERT_EQ(view->Columns()->Count(), 4);
  EXPECT_EQ(view->Columns()->Items(0)->Caption(), "Name");
  EXPECT_EQ(view->Columns()->Items(1)->Alignment(), TAlignment::taRightJustify);
  struct Step {
    int column;
    bool descending;
    std::vector<std::string> rows;
  };
  const Step steps[] = {
      {0, false, {"Another", "sub", "A.MP3", "b.mp4", "c.txt", "noext"}},
      {0, true, {"noext", "c.txt", "b.mp4", "A.MP3", "sub", "Another"}},
      {1, false, {"Another", "sub", "noext", "A.MP3", "c.txt", "b.mp4"}},
      {1, true, {"b.mp4", "c.txt", "A.MP3", "noext", "sub", "Another"}},
      // Folders have no type: they keep the order they had (the sort is stable).
      {2, false, {"sub", "Another", "noext", "A.MP3", "b.mp4", "c.txt"}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.column);
    view->ClickColumn(s.column);
    EXPECT_EQ(view->SortColumn(), s.column);
    EXPECT_EQ(view->SortDescending(), s.descending);
    EXPECT_EQ(Rows(view), s.rows);
  }

  // Modified: the times order the files, whatever their names.
  const auto now = std::filesystem::file_time_type::clock::now();
  std::filesystem::last_write_time(folder + "/c.txt", now - std::chrono::hours(3));
  std::filesystem::last_write_time(folder + "/A.MP3", now - std::chrono::hours(2));
  std::filesystem::last_write_time(folder + "/b.mp4", now - std::chrono::hours(1));
  view->ClickColumn(3);
  EXPECT_EQ(view->SortColumn(), 3);
  const std::vector<std::string> byTime = Rows(view);
  EXPECT_EQ(std::vector<std::string>(byTime.begin() + 2, byTime.end()),
            (std::vector<std::string>{"c.txt", "A.MP3", "b.mp4", "noext"}));

  // A file gone before the sort: the details error ends it with the rows as they were.
  const std::vector<std::string> before = Rows(view);
  std::filesystem::remove(folder + "/A.MP3");
  EXPECT_THROW(view->ClickColumn(1), EInvalidPath);
  EXPECT_EQ(Rows(view), before);

  // A reload restores the default order.
  view->Refresh();
  EXPECT_EQ(Rows(view), (std::vector<std::string>{"Another", "sub", "b.mp4", "c.txt", "noext"}));
}

TEST_F(ShellListView, OnlyTheNameColumnSortsOutsideTheFileSystem) {
  TTestListView* view = MakeView();
  view->SetRoot("rfMyComputer");
  view->SetViewStyle(TViewStyle::vsReport);
  ASSERT_EQ(view->Columns()->Count(), 1);
  view->ClickColumn(0);
  EXPECT_EQ(view->SortColumn(), 0);
}

TEST_F(ShellListView, TypedPrefixesFindRowsIgnoringCaseAndWrapping) {
  TTestListView* view = MakeView(folder);
  struct Case {
    int start;
    const char* prefix;
    int found;
  };
  const Case cases[] = {{0, "s", 1}, {0, "B", 3}, {4, "an", 0}, {0, "zz", -1}, {2, "a.m", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix);
    EXPECT_EQ(view->FindCaption(c.start, c.prefix), c.found);
  }
}

TEST_F(ShellListView, SelectedFilesLeaveFoldersOutInRowOrder) {
  TTestListView* view = MakeView(folder);
  view->SetMultiSelect(true);
  EXPECT_EQ(view->GetSelectedFile(), "");
  view->SelectItem(4, true);
  view->SelectItem(1, true);
  view->SelectItem(2, true);
  TStringList files;
  files.Add("stale");
  view->GetSelectedFiles(&files);
  ASSERT_EQ(files.Count(), 2);
  EXPECT_EQ(files.Strings(0), folder + "/A.MP3");
  EXPECT_EQ(files.Strings(1), folder + "/c.txt");
  EXPECT_EQ(view->SelectedFolder()->DisplayName(), "sub");
  EXPECT_EQ(view->GetSelectedFile(), "") << "the first selected row is a folder";
}

TEST_F(ShellListView, RefreshRereadsAndKeepsTheRowIndex) {
  TTestListView* view = MakeView(folder);
  int changes = 0;
  view->OnPathChanged = [&](TObject*) { ++changes; };
  view->SetItemIndex(4);
  TShellTestTree::Write(folder + "/d.txt", "");
  view->Refresh();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(view->FolderCount(), 7);
  ASSERT_NE(view->Selected(), nullptr);
  EXPECT_EQ(view->Selected()->Index(), 4);
  // Fewer rows than the index: nothing is selected.
  for (const char* name : {"b.mp4", "c.txt", "d.txt", "A.MP3"}) std::filesystem::remove(folder + "/" + name);
  view->Refresh();
  EXPECT_EQ(view->Selected(), nullptr);
}

TEST_F(ShellListView, ALabelEditRenamesTheItemOnDisk) {
  TTestListView* view = MakeView(folder);
  view->SetItemIndex(3);
  bool handled = false;
  view->ExecuteCommand("rename", handled);
  EXPECT_TRUE(handled);
  ASSERT_TRUE(view->IsEditing());
  view->EditControl()->SetText("renamed.mp4");
  view->EndEditing(true);
  EXPECT_TRUE(TShellTestTree::Exists(folder + "/renamed.mp4"));
  EXPECT_FALSE(TShellTestTree::Exists(folder + "/b.mp4"));
  EXPECT_EQ(view->FolderAt(3)->DisplayName(), "renamed.mp4");
}

TEST_F(ShellListView, LinkedViewsFollowTheListAndMoveIt) {
  TTestListView* view = MakeView();
  auto* box = new TvlSkinShellComboBox(form);
  box->SetParent(form);
  box->SetBounds(10, 0, 300, 21);
  auto* treeView = new TvlSkinDirTreeView(form);
  treeView->SetParent(form);
  treeView->SetBounds(0, 0, 10, 10);
  view->SetShellComboBox(box);
  view->SetShellTreeView(treeView);
  EXPECT_EQ(box->ShellListView(), view);
  EXPECT_EQ(treeView->ShellListView(), view);
  Pump();

  // The list opens a folder: the box inserts the levels below the mount and selects it, the
  // tree selects it.
  view->SetPath(folder + "/sub");
  EXPECT_EQ(box->Path(), folder + "/sub");
  EXPECT_EQ(box->Text(), "sub");
  EXPECT_EQ(treeView->Path(), folder + "/sub");

  // The box's choice moves the list and the tree.
  const int clips = box->ItemIndex() - 1;
  ASSERT_EQ(box->FolderAt(clips)->DisplayName(), "clips");
  box->SetItemIndex(clips);
  EXPECT_EQ(view->Path(), folder);
  EXPECT_EQ(treeView->Path(), folder);

  // The tree's selection moves the list and the box.
  treeView->SetPath(folder + "/Another");
  EXPECT_EQ(view->Path(), folder + "/Another");
  EXPECT_EQ(box->Path(), folder + "/Another");

  // A freed view is unlinked.
  delete box;
  EXPECT_EQ(view->ShellComboBox(), nullptr);
  view->SetPath(folder);
  EXPECT_EQ(treeView->Path(), folder);
}

}  // namespace
