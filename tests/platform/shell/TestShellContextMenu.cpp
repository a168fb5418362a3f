#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "platform/controls/Application.h"
#include "platform/x11/Clipbrd.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/controls/Menus.h"
#include "platform/shell/ShellContextMenu.h"

namespace {

class ShellContextMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    SHGetDesktopFolder(desktop);
    previousOpener = SetDesktopOpener([this](const std::string& target, std::string&) {
      opened.push_back(target);
      return true;
    });
    previousBox = SetShellMessageBox([this](HWND, const std::string& text, const std::string& caption, UINT flags) {
      shown.push_back(caption + ": " + text);
      return (flags & MB_YESNO) ? answer : IDOK;
    });
  }
  void TearDown() override {
    SetDesktopOpener(previousOpener);
    SetShellMessageBox(previousBox);
    Clipboard()->Clear();
  }

  std::shared_ptr<IContextMenu> MenuOf(const std::string& path) {
    TItemIDList list;
    EXPECT_EQ(desktop->ParseDisplayName(nullptr, path, list), S_OK);
    std::shared_ptr<IContextMenu> menu;
    EXPECT_EQ(desktop->GetUIObjectOf(nullptr, list, menu), S_OK);
    return menu;
  }
  // The verbs a menu offers, "-" for a separator.
  static std::vector<std::string> Verbs(IContextMenu& menu, UINT flags) {
    const HMENU handle = CreatePopupMenu();
    menu.QueryContextMenu(handle, 0, 100, 0x7FFF, flags);
    std::vector<std::string> verbs;
    for (int i = 0; i < GetMenuItemCount(handle); ++i) {
      const UINT id = GetMenuItemID(handle, i);
      std::string verb = "-";
      if (id != 0) menu.GetCommandString(id - 100, GCS_VERBA, verb);
      verbs.push_back(verb);
    }
    DestroyMenu(handle);
    return verbs;
  }
  static HRESULT Invoke(IContextMenu& menu, const std::string& verb) {
    CMINVOKECOMMANDINFO info;
    info.lpVerb = verb;
    return menu.InvokeCommand(info);
  }

  TShellTestTree tree;
  std::shared_ptr<IShellFolder> desktop;
  TDesktopOpener previousOpener;
  TShellMessageBox previousBox;
  std::vector<std::string> opened, shown;
  int answer = IDYES;
};

}  // namespace

TEST_F(ShellContextMenu, TheCommandsFollowWhatTheItemAllows) {
  const std::string file = tree.Documents + "/clip.mp4";
  TShellTestTree::Write(file, "x");
  const std::vector<std::string> full = {"open", "-", "delete", "rename", "-", "properties"};
  EXPECT_EQ(Verbs(*MenuOf(file), CMF_EXPLORE | CMF_CANRENAME), full);
  EXPECT_EQ(Verbs(*MenuOf(file), CMF_EXPLORE), (std::vector<std::string>{"open", "-", "delete", "-", "properties"}));
  EXPECT_EQ(Verbs(*MenuOf(tree.Documents), CMF_CANRENAME),
            (std::vector<std::string>{"open", "-", "paste", "-", "delete", "rename", "-", "properties"}));
  // A mount is opened and pasted into, never renamed or deleted.
  EXPECT_EQ(Verbs(*MenuOf(tree.Usb), CMF_CANRENAME), (std::vector<std::string>{"open", "-", "paste", "-", "properties"}));
  // Computer has no commands here.
  TItemIDList computer;
  SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer);
  std::shared_ptr<IContextMenu> none;
  EXPECT_TRUE(FAILED(desktop->GetUIObjectOf(nullptr, computer, none)));
}

TEST_F(ShellContextMenu, OpenHandsThePathToTheDesktopOpener) {
  const std::string file = tree.Documents + "/a $(rm -rf) 'b'.txt";
  TShellTestTree::Write(file, "x");
  EXPECT_EQ(Invoke(*MenuOf(file), "open"), S_OK);
  EXPECT_EQ(opened, std::vector<std::string>{file});
  // By offset as well.
  CMINVOKECOMMANDINFO byOffset;
  byOffset.idCmdOffset = 0;
  EXPECT_EQ(MenuOf(tree.Documents)->InvokeCommand(byOffset), S_OK);
  EXPECT_EQ(opened.back(), tree.Documents);
}

TEST_F(ShellContextMenu, DeleteAsksFirstAndGoesToTheTrash) {
  const std::string file = tree.Documents + "/clip.mp4";
  TShellTestTree::Write(file, "x");
  answer = IDNO;
  EXPECT_EQ(Invoke(*MenuOf(file), "delete"), HRESULT_FROM_WIN32(ECANCELED));
  EXPECT_TRUE(TShellTestTree::Exists(file));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "Delete: Move \"clip.mp4\" to the Trash?");

  answer = IDYES;
  EXPECT_EQ(Invoke(*MenuOf(file), "DELETE"), S_OK);
  EXPECT_FALSE(TShellTestTree::Exists(file));
  EXPECT_TRUE(TShellTestTree::Exists(tree.Home + "/.local/share/Trash/files/clip.mp4"));

  // Without a user interface nothing is asked.
  TShellTestTree::Write(file, "y");
  std::shared_ptr<IContextMenu> menu = MenuOf(file);
  CMINVOKECOMMANDINFO quiet;
  quiet.fMask = CMIC_MASK_FLAG_NO_UI;
  quiet.lpVerb = "delete";
  shown.clear();
  EXPECT_EQ(menu->InvokeCommand(quiet), S_OK);
  EXPECT_TRUE(shown.empty());
}

TEST_F(ShellContextMenu, PasteTakesTheClipboardsFiles) {
  TShellTestTree::Write(tree.Desktop + "/song.mp3", "s");
  EXPECT_EQ(Invoke(*MenuOf(tree.Documents), "paste"), E_FAIL);  // nothing to paste
  Clipboard()->SetAsText("copy\nfile://" + tree.Desktop + "/song.mp3\n");
  EXPECT_EQ(Invoke(*MenuOf(tree.Documents), "paste"), S_OK);
  EXPECT_EQ(TShellTestTree::Read(tree.Documents + "/song.mp3"), "s");
  EXPECT_TRUE(TShellTestTree::Exists(tree.Desktop + "/song.mp3"));
  EXPECT_EQ(Invoke(*MenuOf(tree.Desktop + "/song.mp3"), "paste"), E_INVALIDARG);  // not a folder
}

TEST_F(ShellContextMenu, PropertiesAndRename) {
  const std::string file = tree.Documents + "/clip.mp4";
  TShellTestTree::Write(file, "12345");
  EXPECT_EQ(Invoke(*MenuOf(file), "properties"), S_OK);
  ASSERT_EQ(shown.size(), 1u);
  for (const std::string& part :
       {std::string("Properties: Name: clip.mp4\n"), std::string("Kind: video/mp4\n"), std::string("Size: 5 bytes\n"),
        "Location: " + file + "\n", std::string("Permissions: rw")})
    EXPECT_NE(shown[0].find(part), std::string::npos) << part << " in " << shown[0];
  EXPECT_EQ(Invoke(*MenuOf(file), "rename"), E_NOTIMPL);  // the view edits names itself
  EXPECT_EQ(Invoke(*MenuOf(file), "explode"), E_INVALIDARG);
}
