// The folder picker: where a run starts, what OK and Cancel leave behind, the window's size, the
// path edit and the new-folder button, the events around a run, and its look; with scripted input
// against the temporary shell tree of the tests.

#include "lib/dialogs/vlSkinSelectDirectoryDialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedFolderDialog.h"
#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedFolderDialog.h"
#include "lib/forms/Velmora.h"
#include "lib/dialogs/vlMessages.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "tests/platform/Watchdog.h"

namespace {

class FolderDialog : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    fixture_skin::AddFrame(skin);
    skinned_folder_dialog::FillChineseTexts(table);
    formsBefore = Screen()->FormCount();
    TShellTestTree::MakeFolder(tree.Usb + "/a/b/c");
    dialog.Title = "选择目录";
  }
  void TearDown() override {
    Screen()->OnActiveFormChange = nullptr;
    skin.SetResourceStrData(nullptr);
    SkinnedControlsWorld::TearDown();
  }

  // Runs Execute with Act called once when the window has become active; a message box that
  // comes up meanwhile is answered OK and its text kept in messages. Answers Execute's result.
  // The window must be gone afterwards.
  bool Run(const std::function<void(TvlSelDirDlgForm*)>& Act) {
    TWatchdog dog("folder dialog");
    bool acted = false;
    Screen()->OnActiveFormChange = [&](TObject*) {
      if (auto* message = dynamic_cast<TvlMessageForm*>(Screen()->ActiveForm())) {
        messages.push_back(message->Message ? message->Message->Caption() : "");
        message->SetModalResult(mrOk);
        return;
      }
      auto* form = dynamic_cast<TvlSelDirDlgForm*>(Screen()->ActiveForm());
      if (!form || acted) return;
      acted = true;
      Act(form);
    };
    const bool result = dialog.Execute();
    Screen()->OnActiveFormChange = nullptr;
    EXPECT_TRUE(acted);
    EXPECT_EQ(Screen()->FormCount(), formsBefore) << "the dialog's form is freed";
    EXPECT_EQ(dialog.DialogForm(), nullptr);
    return result;
  }

  void Press(WORD key) {
    display->KeyDown(key);
    display->KeyUp(key);
  }

  static std::vector<std::string> Children(TTreeNode* node) {
    std::vector<std::string> out;
    for (TTreeNode* c = node ? node->GetFirstChild() : nullptr; c; c = c->GetNextSibling()) out.push_back(c->Text());
    return out;
  }

  TShellTestTree tree;
  TvlSkinSelectDirectoryDialog dialog{nullptr};
  TvlResourceStrData table{nullptr};
  int formsBefore = 0;
  std::vector<std::string> messages;
};

TEST_F(FolderDialog, StartsAtAnExistingFolderElseAtComputer) {
  struct Case {
    std::string directory;
    std::string selectedText;
  };
  const Case cases[] = {
      {tree.Usb + "/a/b", "b"},
      {tree.Usb + "/a/removed", "计算机"},
      {"", "计算机"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory);
    dialog.Directory = c.directory;
    bool allExpanded = false;
    std::string selected;
    EXPECT_FALSE(Run([&](TvlSelDirDlgForm* form) {
      TTreeNode* node = form->DirTreeView->Selected();
      selected = node ? node->Text() : "";
      allExpanded = node != nullptr;
      for (TTreeNode* n = node; n; n = n->Parent()) allExpanded = allExpanded && n->Expanded();
      Press(VK_ESCAPE);
    }));
    EXPECT_EQ(selected, c.selectedText);
    EXPECT_TRUE(allExpanded);
    EXPECT_EQ(dialog.Directory, c.directory) << "Cancel leaves Directory";
  }
}

TEST_F(FolderDialog, OkTakesTheSelectedFolderAndCancelOnlyTheSize) {
  std::vector<std::string> events;
  dialog.OnShow = [&](TObject*) { events.push_back(dialog.DialogForm() ? "show with window" : "show"); };
  dialog.OnClose = [&](TObject*) { events.push_back(dialog.DialogForm() ? "close with window" : "close"); };
  dialog.OnChange = [&](TObject*) { events.push_back("change " + dialog.Directory); };

  // Cancel after the user made the window larger: Directory stays, the size is kept.
  dialog.Directory = tree.Usb + "/a";
  EXPECT_FALSE(Run([&](TvlSelDirDlgForm* form) {
    EXPECT_EQ(form->ClientWidth(), 280);
    EXPECT_EQ(form->ClientHeight(), 280);
    form->SetClientWidth(333);
    form->SetClientHeight(301);
    form->DirTreeView->SetPath(tree.Usb + "/a/b");
    Press(VK_ESCAPE);
  }));
  EXPECT_EQ(dialog.Directory, tree.Usb + "/a");
  EXPECT_EQ(dialog.DialogWidth, 333);
  EXPECT_EQ(dialog.DialogHeight, 301);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "close"}));

  // OK (Enter on the tree) takes the selection; the next run opens at the stored size.
  events.clear();
  EXPECT_TRUE(Run([&](TvlSelDirDlgForm* form) {
    EXPECT_EQ(form->ClientWidth(), 333);
    EXPECT_EQ(form->ActiveControl(), form->DirTreeView);
    form->DirTreeView->SetPath(tree.Usb + "/a/b/c");
    Press(VK_RETURN);
  }));
  EXPECT_EQ(dialog.Directory, tree.Usb + "/a/b/c");
  EXPECT_EQ(events, (std::vector<std::string>{"show", "change " + tree.Usb + "/a/b/c", "close"}));

  // The computer node gives its normal name.
  EXPECT_TRUE(Run([&](TvlSelDirDlgForm* form) {
    form->DirTreeView->ExpandMyComputer();
    form->OkButton->Click();
  }));
  EXPECT_EQ(dialog.Directory, "计算机");
}

TEST_F(FolderDialog, TheWindowSizeFollowsTheStoredSizeAndTheSkinsMinimum) {
  struct Case {
    const char* what;
    bool skinned;
    int stored;
  };
  const Case cases[] = {{"no size", false, 0}, {"small, no skin", false, 100}, {"small, skinned", true, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dialog.SetSkinData(c.skinned ? &skin : nullptr);
    dialog.DialogWidth = dialog.DialogHeight = c.stored;
    int width = 0, minWidth = 0;
    Run([&](TvlSelDirDlgForm* form) {
      width = form->ClientWidth();
      minWidth = form->VMR->GetMinWidth();
      Press(VK_ESCAPE);
    });
    const int want = c.stored > 0 ? c.stored : 280;
    EXPECT_EQ(width, c.skinned ? std::max(want, minWidth) : want);
  }
}

TEST_F(FolderDialog, TextsComeFromTheControlSkinsTable) {
  struct Case {
    const char* what;
    bool table;
    std::string ok, cancel, hint;
  };
  const Case cases[] = {
      {"built-in", false, "OK", "Cancel", "Create New Folder"},
      {"table", true, "确定", "取消", "新建文件夹"},
  };
  dialog.ShowToolBar = true;
  dialog.SetCtrlSkinData(&skin);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    skin.SetResourceStrData(c.table ? &table : nullptr);
    Run([&](TvlSelDirDlgForm* form) {
      EXPECT_EQ(form->OkButton->Caption(), c.ok);
      EXPECT_EQ(form->CancelButton->Caption(), c.cancel);
      EXPECT_EQ(form->NewFolderToolButton->Hint(), c.hint);
      EXPECT_TRUE(form->OkButton->Default());
      EXPECT_TRUE(form->CancelButton->Cancel);
      Press(VK_ESCAPE);
    });
  }
}

TEST_F(FolderDialog, ThePathEditAndTheTreeFollowEachOther) {
  dialog.ShowToolBar = true;
  dialog.Directory = tree.Usb + "/a";
  Run([&](TvlSelDirDlgForm* form) {
    EXPECT_EQ(form->DirEdit->Text(), tree.Usb + "/a");
    form->DirTreeView->SetPath(tree.Usb + "/a/b");
    EXPECT_EQ(form->DirEdit->Text(), tree.Usb + "/a/b");
    // Enter with a folder that exists selects it; with one that does not, nothing moves.
    for (const std::string& typed : {tree.Usb + "/a/b/c", tree.Usb + "/nothing"}) {
      form->DirEdit->SetText(typed);
      char32_t key = 13;
      form->DirEditKeyPress(form->DirEdit, key);
      EXPECT_EQ(key, 13u) << "the key is not consumed";
    }
    EXPECT_EQ(form->DirTreeView->Path(), tree.Usb + "/a/b/c");
    Press(VK_ESCAPE);
  });
}

// 确定 takes the folder typed into the path edit, not the tree's selection; a typed folder that
// does not exist is not taken: a message says so and the dialog stays open.
TEST_F(FolderDialog, OkTakesTheTypedFolder) {
  dialog.ShowToolBar = true;
  dialog.Directory = tree.Usb + "/a";
  bool stayedOpen = false;
  EXPECT_TRUE(Run([&](TvlSelDirDlgForm* form) {
    form->DirEdit->SetText(tree.Usb + "/nothing");
    form->OkButton->Click();
    stayedOpen = form->ModalResult() == mrNone;
    form->DirEdit->SetText(tree.Usb + "/a/b/c/");
    form->OkButton->Click();
  }));
  EXPECT_TRUE(stayedOpen);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(tree.Usb + "/nothing"), std::string::npos) << messages[0];
  EXPECT_NE(messages[0].find("请输入"), std::string::npos) << "says what to do";
  EXPECT_EQ(dialog.Directory, tree.Usb + "/a/b/c");
}

TEST_F(FolderDialog, TheNewFolderButtonCreatesTheFolderOnce) {
  dialog.ShowToolBar = true;
  dialog.SetCtrlSkinData(&skin);
  skin.SetResourceStrData(&table);
  dialog.Directory = tree.Usb + "/a";
  const auto cwd = std::filesystem::current_path();
  EXPECT_TRUE(Run([&](TvlSelDirDlgForm* form) {
    Click(form->NewFolderToolButton);
    EXPECT_TRUE(std::filesystem::is_directory(tree.Usb + "/a/新建文件夹"));
    TTreeNode* a = form->DirTreeView->Selected();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(form->DirTreeView->Path(), tree.Usb + "/a");
    EXPECT_EQ(Children(a), (std::vector<std::string>{"b", "新建文件夹"}));
    // A second press finds the folder there and makes nothing.
    form->NewFolderToolButtonClick(nullptr);
    EXPECT_EQ(Children(form->DirTreeView->Selected()), (std::vector<std::string>{"b", "新建文件夹"}));

    // A folder that takes nothing new raises the system's error; the window stays.
    ::chmod((tree.Usb + "/a/b").c_str(), 0500);
    form->DirTreeView->SetPath(tree.Usb + "/a/b");
    if (::access((tree.Usb + "/a/b").c_str(), W_OK) != 0) {
      EXPECT_THROW(form->NewFolderToolButtonClick(nullptr), EInOutError);
    }
    EXPECT_FALSE(std::filesystem::exists(tree.Usb + "/a/b/新建文件夹"));
    ::chmod((tree.Usb + "/a/b").c_str(), 0700);
    EXPECT_TRUE(form->Visible());

    // The computer node has no path: nothing is made.
    form->DirTreeView->ExpandMyComputer();
    form->NewFolderToolButtonClick(nullptr);
    form->DirTreeView->SetPath(tree.Usb + "/a/b");
    Press(VK_RETURN);
  }));
  EXPECT_EQ(dialog.Directory, tree.Usb + "/a/b");
  EXPECT_EQ(std::filesystem::current_path(), cwd);
}

TEST_F(FolderDialog, LooksLikeItsExpectedPictures) {
  const auto expected = skinned_controls_world::SourceFolder() / "expected";
  skin.SetResourceStrData(&table);
  skinned_folder_dialog::RenderAndCompare(display, nullptr, false, expected, "unskinned_folder_dialog");
  skinned_folder_dialog::RenderAndCompare(display, &skin, false, expected, "skinned_folder_dialog");
}

}  // namespace
