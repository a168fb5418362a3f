// The shell combo box and the filter combo box: the root items and their indents, the levels a
// followed folder inserts, the root written in another letter case, the events of a rebuild; the
// filter entries and masks.

#include "lib/dialogs/vlSkinShellComboBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/dialogs/vlFileCtrl.h"

namespace {

class ShellComboBox : public SkinnedControlsWorld {
 protected:
  TvlSkinShellComboBox* MakeBox() {
    TForm* form = MakeForm(Bounds(0, 0, 320, 60));
    auto* box = new TvlSkinShellComboBox(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 300, 21);
    form->Show();
    Pump();
    return box;
  }

  // "caption/indent" of every item.
  static std::vector<std::string> Items(const TvlCustomShellComboBox* box) {
    std::vector<std::string> out;
    for (int i = 0; i < box->ItemsEx().Count(); ++i) {
      const TvlItemEx* item = box->ItemsEx().GetItem(i);
      out.push_back(item->Caption + "/" + std::to_string(item->Indent));
    }
    return out;
  }

  TShellTestTree tree;
};

TEST_F(ShellComboBox, TheDesktopRootListsItsChildrenAndComputersBelowComputer) {
  TShellTestTree::MakeFolder(tree.Desktop + "/项目");
  TvlSkinShellComboBox* box = MakeBox();
  const std::vector<std::string> items = Items(box);
  ASSERT_GE(items.size(), 5u);
  EXPECT_EQ(items[0], "桌面/0");
  EXPECT_EQ(box->ItemIndex(), 0);
  // Computer, its two volumes one level deeper, then the desktop's other children.
  const auto computer = std::find(items.begin(), items.end(), "计算机/1");
  ASSERT_NE(computer, items.end());
  EXPECT_EQ(*(computer + 1), "文件系统/2");
  EXPECT_EQ(*(computer + 2), "MY USB/2");
  EXPECT_NE(std::find(items.begin(), items.end(), "项目/1"), items.end());
  EXPECT_EQ(box->Items()->Count(), box->ItemsEx().Count()) << "the strings mirror the items";
  EXPECT_GE(box->ItemsEx().GetItem(0)->ImageIndex, 0);
  // The computer's path is its normal name.
  box->SetItemIndex(static_cast<int>(computer - items.begin()));
  EXPECT_EQ(box->Path(), "计算机");

  // Written in small letters the root is still the desktop, but Computer is not opened.
  box->SetRoot("rfMyComputer");
  box->SetRoot("rfdesktop");
  const std::vector<std::string> lower = Items(box);
  EXPECT_EQ(lower[0], "桌面/0");
  EXPECT_NE(std::find(lower.begin(), lower.end(), "计算机/1"), lower.end());
  EXPECT_EQ(std::find(lower.begin(), lower.end(), "MY USB/2"), lower.end());
}

TEST_F(ShellComboBox, FollowingAFolderInsertsTheMissingLevelsOnce) {
  TShellTestTree::MakeFolder(tree.Usb + "/a/b/c");
  TvlSkinShellComboBox* box = MakeBox();
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  TItemIDList id;
  ASSERT_EQ(DesktopFolderInterface()->ParseDisplayName(nullptr, tree.Usb + "/a/b/c", id), S_OK);
  box->FollowID(id);
  const std::vector<std::string> items = Items(box);
  const auto usb = std::find(items.begin(), items.end(), "MY USB/2");
  ASSERT_NE(usb, items.end());
  EXPECT_EQ(std::vector<std::string>(usb, usb + 4), (std::vector<std::string>{"MY USB/2", "a/3", "b/4", "c/5"}));
  EXPECT_EQ(box->Text(), "c");
  EXPECT_EQ(box->Path(), tree.Usb + "/a/b/c");
  EXPECT_EQ(clicks, 2) << "every rebuild selects, and so clicks";
  // The same folder again rebuilds nothing.
  box->FollowID(id);
  EXPECT_EQ(clicks, 2);
  // A path shows its folder the same way; a text the desktop cannot parse raises.
  box->SetPath(tree.Usb + "/a");
  EXPECT_EQ(box->Text(), "a");
  EXPECT_THROW(box->SetPath(tree.Usb + "/missing"), EInvalidPath);
}

TEST(FilterComboBox, EntriesComeInPairsOfDescriptionAndMask) {
  struct Case {
    const char* filter;
    std::vector<std::string> masks;
    std::string mask;
  };
  const Case cases[] = {
      {"All files (*.*)|*.*", {"*.*"}, "*.*"},
      {"Video|*.mp4;*.avi|Audio|*.mp3", {"*.mp4;*.avi", "*.mp3"}, "*.mp4;*.avi"},
      {"Video|*.mp4|Audio|*.mp3|Orphan", {"*.mp4", "*.mp3"}, "*.mp4"},
      {"no bars", {}, "*.*"},
  };
  TvlSkinFilterComboBox box(nullptr);
  EXPECT_EQ(box.Filter(), TvlSkinFilterComboBox::kDefaultFilter);
  EXPECT_EQ(box.Text(), "All files (*.*)");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    box.SetFilter(c.filter);
    std::vector<std::string> masks;
    for (int i = 0; i < box.MaskList().Count(); ++i) masks.push_back(box.MaskList().Strings(i));
    EXPECT_EQ(masks, c.masks);
    EXPECT_EQ(box.Items()->Count(), static_cast<int>(c.masks.size()));
    EXPECT_EQ(box.Mask(), c.mask) << "the first entry is selected";
  }
  box.SetFilter("A|*.a|B|*.b");
  box.SetItemIndex(1);
  EXPECT_EQ(box.Mask(), "*.b");
  box.SetItemIndex(-1);
  EXPECT_EQ(box.Mask(), "*.b") << "without a selection the last entry's";
  EXPECT_TRUE(IsExistingFolder("/"));
  EXPECT_FALSE(IsExistingFolder(""));
}

}  // namespace
