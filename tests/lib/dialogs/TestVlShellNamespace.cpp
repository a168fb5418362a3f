#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "lib/dialogs/vlShellNamespace.h"
#include "platform/controls/Application.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/shell/ShellContextMenu.h"
#include "platform/shell/ShellIcons.h"
#include "platform/core/SysUtils.h"
#include "platform/windowing/Window.h"

namespace {

std::vector<std::uint8_t> IdBytes(TItemIDSpan list) {
  if (list.IsNil()) return {};
  return {list.Data(), list.Data() + ItemListSize(list)};
}

// X/Y/Z as one list (items of an arbitrary kind: only the byte format matters here).
TItemIDList ThreeLevels() {
  return ItemListJoin(ItemListJoin(ILCreateItem('D', "X"), ILCreateItem('D', "Y")), ILCreateItem('D', "Z"));
}

class ShellItems : public ::testing::Test {
 protected:
  // A root item for a path, as a view makes one.
  std::unique_ptr<TvlShellFolder> RootAt(const std::string& path) {
    std::unique_ptr<TvlShellFolder> root;
    TRoot text = path;
    ResolveRoot(root, "", text);
    return root;
  }
  // The child of Parent whose display name is Name.
  std::unique_ptr<TvlShellFolder> Child(TvlShellFolder* parent, const std::string& name) {
    std::unique_ptr<IEnumIDList> items;
    EXPECT_EQ(parent->ShellFolder()->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items), S_OK);
    for (TItemIDList item; items && items->Next(item) == S_OK;) {
      if (ItemDisplayName(parent->ShellFolder().get(), item, SHGDN_INFOLDER) != name) continue;
      return std::make_unique<TvlShellFolder>(parent, item, BindFolderInterface(parent->ShellFolder().get(), item, nullptr));
    }
    ADD_FAILURE() << "no item " << name;
    return nullptr;
  }

  TShellTestTree tree;
};

}  // namespace

TEST(ShellItemLists, JoinsAncestorsAndLastItems) {
  const TItemIDList list = ThreeLevels();
  const TItemIDList empty = DesktopItemList();
  EXPECT_EQ(IdBytes(ItemListJoin({}, list)), IdBytes(list));
  EXPECT_EQ(IdBytes(ItemListJoin(list, empty)), IdBytes(list));
  EXPECT_EQ(ItemListCount(list), 3);
  EXPECT_EQ(ItemListSize(list), 2u + 3 * 4);
  EXPECT_EQ(ItemListSize({}), 0u);

  const std::vector<TItemIDList> ancestors = ItemListAncestors(list);
  ASSERT_EQ(ancestors.size(), 3u);
  EXPECT_EQ(ItemListCount(ancestors[0]), 0);
  EXPECT_EQ(IdBytes(ancestors[1]), IdBytes(ILCreateItem('D', "X")));
  EXPECT_EQ(IdBytes(ancestors[2]), IdBytes(ItemListJoin(ILCreateItem('D', "X"), ILCreateItem('D', "Y"))));
  EXPECT_TRUE(ItemListAncestors(empty).empty());
  const std::vector<TItemIDList> one = ItemListAncestors(ILCreateItem('D', "X"));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(IdBytes(one[0]), IdBytes(empty));

  EXPECT_EQ(IdBytes(ItemListLastItem(list)), IdBytes(ILCreateItem('D', "Z")));
  EXPECT_EQ(IdBytes(ItemListLastItem(empty)), IdBytes(empty));

  TItemIDList shrinking = ItemListCopy(list);
  ItemListDropLast(shrinking);
  EXPECT_EQ(ItemListCount(shrinking), 2);
  TItemIDList nil;
  ItemListDropLast(nil);  // allowed, nothing happens
  EXPECT_TRUE(ItemListNext(ItemListNext(ItemListNext(list))).AtEnd());
  EXPECT_TRUE(ItemListAlloc(0).IsNil());
}

TEST(ShellItemLists, NameRecords) {
  const TItemIDList item = ILCreateItem('F', "movie.mp4");
  struct Case {
    const char* name;
    STRRET record;
    std::string expected;
  };
  auto text = [](std::string s) {
    STRRET r;
    r.pOleStr = std::move(s);
    return r;
  };
  auto offset = [](UINT at) {
    STRRET r;
    r.uType = STRRET_OFFSET;
    r.uOffset = at;
    return r;
  };
  STRRET ansi;
  ansi.uType = STRRET_CSTR;
  ansi.cStr = std::string("name\0tail", 9);
  const Case cases[] = {
      {"question digit question digit", text("?1?2"), "12"},
      {"lone question mark", text("?"), "?"},
      {"question mark and letter", text("?a?b"), "?a?b"},
      {"plain", text("Film"), "Film"},
      {"offset inside the first item", offset(3), "movie.mp4"},
      {"offset at the item's end", offset(12), ""},
      {"offset beyond the item", offset(4000), ""},
      {"ansi text ends at its zero", ansi, "name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NameRecordToString(item, c.record), c.expected);
  }
  EXPECT_EQ(ItemDisplayName(nullptr, item, SHGDN_NORMAL), "parentfolder = nil");
}

TEST_F(ShellItems, RootsByNameAndByPath) {
  struct Case {
    std::string text;
    std::string path;  // PathName of the root
  };
  const Case cases[] = {
      {"rfDesktop", tree.Desktop},
      {"RFDESKTOP", tree.Desktop},
      {"rfdesktop", tree.Desktop},
      {"rfMyComputer", "计算机"},  // a virtual folder's parsing name gives way to its name
      {"rfPersonal", tree.Documents},
      {tree.Documents, tree.Documents},
      {tree.Usb, tree.Usb},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::unique_ptr<TvlShellFolder> root;
    TRoot text = c.text;
    ResolveRoot(root, "old", text);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->PathName(), c.path);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(root->Parent(), SharedDesktopFolder());
    EXPECT_EQ(root->Level(), 0);
  }
  EXPECT_EQ(RootFolderIndex("rfTemplates"), static_cast<int>(TRootFolder::rfTemplates));
  EXPECT_EQ(RootFolderIndex("rf"), -1);
  EXPECT_EQ(RootFolderCsidl(TRootFolder::rfRecycleBin), CSIDL_BITBUCKET);
}

TEST_F(ShellItems, AFailedRootKeepsTheOldOneAndItsText) {
  std::unique_ptr<TvlShellFolder> root = RootAt(tree.Documents);
  TvlShellFolder* before = root.get();
  for (const std::string& bad : {std::string(), tree.Home + "/missing", std::string("rfPrinters"), std::string("Documents")}) {
    SCOPED_TRACE(bad);
    TRoot text = bad;
    try {
      ResolveRoot(root, tree.Documents, text);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, "Error setting path: \"" + bad + "\"");
    }
    EXPECT_EQ(text, tree.Documents);
    EXPECT_EQ(root.get(), before);
  }
}

TEST_F(ShellItems, ComputerIsNamedByItsNormalName) {
  std::unique_ptr<TvlShellFolder> desktop = RootAt("rfDesktop");
  std::unique_ptr<TvlShellFolder> computer = Child(desktop.get(), "计算机");
  ASSERT_TRUE(computer);
  EXPECT_EQ(computer->PathName(), "计算机");
  EXPECT_EQ(computer->FullObjectName(), "");
  EXPECT_EQ(computer->Level(), 1);
  std::unique_ptr<TvlShellFolder> usb = Child(computer.get(), "MY USB");
  ASSERT_TRUE(usb);
  EXPECT_EQ(usb->PathName(), tree.Usb);
  EXPECT_EQ(usb->Level(), 2);
  EXPECT_TRUE(usb->Properties().Contains(TvlShellFolderProperty::fpRemovable));
  EXPECT_FALSE(computer->Rename("Mine"));  // Computer cannot be renamed
  EXPECT_EQ(ItemDisplayName(DesktopFolderInterface().get(), computer->AbsoluteID(), SHGDN_FORPARSING), "计算机");
}

TEST_F(ShellItems, AttributesOfFoldersFilesLinksAndDotFiles) {
  const std::string d = tree.Documents;
  TShellTestTree::MakeFolder(d + "/album/disc");
  TShellTestTree::Write(d + "/clip.mp4", "c");
  TShellTestTree::Write(d + "/.settings", "s");
  TShellTestTree::Write(d + "/archive.ZIP", "z");
  TShellTestTree::Write(d + "/fixed.txt", "f");
  ::chmod((d + "/fixed.txt").c_str(), 0444);
  ::symlink("clip.mp4", (d + "/shortcut").c_str());
  std::unique_ptr<TvlShellFolder> root = RootAt(d);

  using C = TvlShellFolderCapability;
  using P = TvlShellFolderProperty;
  struct Case {
    const char* name;
    bool folder, subFolders;
    TvlShellFolderProperties properties;
    TvlShellFolderCapabilities capabilities;
  };
  const TvlShellFolderCapabilities editable{C::fcCanCopy, C::fcCanDelete, C::fcCanLink, C::fcCanMove, C::fcCanRename,
                                            C::fcHasPropSheet};
  const Case cases[] = {
      {"album", true, true, {P::fpFileSystem, P::fpFileSystemAncestor}, editable + TvlShellFolderCapabilities{C::fcDropTarget}},
      {"clip.mp4", false, false, {P::fpFileSystem}, editable},
      {".settings", false, false, {P::fpFileSystem}, editable},
      {"archive.ZIP", false, false, {P::fpFileSystem}, editable},
      {"fixed.txt", false, false, {P::fpFileSystem, P::fpReadOnly}, editable},
      {"shortcut", false, false, {P::fpFileSystem, P::fpIsLink}, editable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TvlShellFolder> item = Child(root.get(), c.name);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->IsFolder(), c.folder);
    EXPECT_EQ(item->SubFolders(), c.subFolders);
    EXPECT_EQ(item->Properties(), c.properties);
    EXPECT_EQ(item->Capabilities(), c.capabilities);
    EXPECT_EQ(item->Level(), 1);
    EXPECT_EQ(item->FullObjectName(), d + "/" + c.name);
    EXPECT_EQ(item->ShellFolder() != nullptr, c.folder);
  }
}

TEST_F(ShellItems, RenameRefusesToOverwriteAndKeepsTheListsInStep) {
  const std::string d = tree.Documents;
  TShellTestTree::MakeFolder(d + "/a");
  TShellTestTree::Write(d + "/a/one.txt", "one");
  TShellTestTree::Write(d + "/a/two.txt", "two");
  std::unique_ptr<TvlShellFolder> root = RootAt(d);
  std::unique_ptr<TvlShellFolder> a = Child(root.get(), "a");
  std::unique_ptr<TvlShellFolder> one = Child(a.get(), "one.txt");
  ASSERT_TRUE(one);

  try {
    one->Rename("two.txt");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Rename to two.txt failed");
  }
  EXPECT_EQ(TShellTestTree::Read(d + "/a/two.txt"), "two");
  EXPECT_EQ(one->DisplayName(), "one.txt");

  ASSERT_TRUE(one->Rename("three.txt"));
  EXPECT_EQ(TShellTestTree::Read(d + "/a/three.txt"), "one");
  EXPECT_EQ(one->DisplayName(), "three.txt");
  EXPECT_EQ(one->PathName(), d + "/a/three.txt");
  EXPECT_EQ(IdBytes(one->AbsoluteID()), IdBytes(ItemListJoin(a->AbsoluteID(), one->RelativeID())));

  // A root item renames through the desktop with its whole list.
  std::unique_ptr<TvlShellFolder> rootItem = RootAt(d + "/a/three.txt");
  ASSERT_TRUE(rootItem->Rename("four.txt"));
  EXPECT_EQ(rootItem->PathName(), d + "/a/four.txt");
}

TEST_F(ShellItems, FindDataColumns) {
  const std::string d = tree.Documents;
  const std::string big = d + "/big.mkv";
  {
    const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 5LL << 30), 0);  // sparse: no blocks are written
    ::close(fd);
  }
  TShellTestTree::MakeFolder(d + "/sub");
  std::unique_ptr<TvlShellFolder> root = RootAt(d);
  std::unique_ptr<TvlShellFolder> file = Child(root.get(), "big.mkv");
  std::unique_ptr<TvlShellFolder> folder = Child(root.get(), "sub");

  EXPECT_THROW((void)file->DetailText(1), Exception);
  try {
    (void)file->DetailText(1);
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "big.mkv: Missing call to LoadColumnDetails");
  }

  file->LoadColumnDetails(root.get(), nullptr, 4);
  EXPECT_EQ(file->DetailText(1), "5368709120");
  EXPECT_EQ(file->DetailText(2), ".mkv");
  EXPECT_FALSE(file->DetailText(3).empty());
  EXPECT_EQ(file->DetailText(4), IntToStr(FILE_ATTRIBUTE_NORMAL));
  folder->LoadColumnDetails(root.get(), nullptr, 4);
  EXPECT_EQ(folder->DetailText(1), "-1");
  EXPECT_EQ(folder->DetailText(3), "");  // no bogus date for a folder
  EXPECT_EQ(folder->DetailText(4), IntToStr(FILE_ATTRIBUTE_DIRECTORY));

  // Loaded texts are reused for as many columns; more columns read the file again.
  std::filesystem::remove(big);
  file->LoadColumnDetails(root.get(), nullptr, 4);
  EXPECT_EQ(file->DetailText(1), "5368709120");
  try {
    file->LoadColumnDetails(root.get(), nullptr, 5);
    ADD_FAILURE() << "no exception";
  } catch (const EInvalidPath& e) {
    EXPECT_EQ(e.Message, Format("Unable to retrieve folder details for \"big.mkv\". Error code $%x", ENOENT));
  }

  // A folder of no file system has no details.
  std::unique_ptr<TvlShellFolder> desktop = RootAt("rfDesktop");
  std::unique_ptr<TvlShellFolder> computer = Child(desktop.get(), "计算机");
  std::unique_ptr<TvlShellFolder> usb = Child(computer.get(), "MY USB");
  usb->LoadColumnDetails(computer.get(), nullptr, 4);
  EXPECT_THROW((void)usb->DetailText(1), Exception);
}

TEST_F(ShellItems, EqualListsAndImages) {
  const std::string d = tree.Documents;
  TShellTestTree::Write(d + "/Movie.mp4", "");
  TShellTestTree::Write(d + "/movie.mp4", "");
  std::unique_ptr<TvlShellFolder> upper = RootAt(d + "/Movie.mp4");
  std::unique_ptr<TvlShellFolder> again = RootAt(d + "//Movie.mp4");
  std::unique_ptr<TvlShellFolder> lower = RootAt(d + "/movie.mp4");
  EXPECT_TRUE(ItemListsEqual(upper->AbsoluteID(), again->AbsoluteID()));
  EXPECT_FALSE(ItemListsEqual(upper->AbsoluteID(), lower->AbsoluteID()));
  EXPECT_FALSE(ItemListsEqual(upper->AbsoluteID(), {}));

  std::unique_ptr<TvlShellFolder> folder = RootAt(d);
  EXPECT_EQ(ShellImageIndex(folder->AbsoluteID(), false, false), siFolder);
  EXPECT_EQ(ShellImageIndex(folder->AbsoluteID(), true, true), siFolderOpen);
  EXPECT_EQ(upper->ImageIndex(true), lower->ImageIndex(false));
  EXPECT_EQ(ShellImageIndex(ILCreateItem('?', "x"), false, false), -1);

  EXPECT_TRUE(FolderHasItems(folder->ShellFolder().get(), SHCONTF_NONFOLDERS));
  EXPECT_FALSE(FolderHasItems(folder->ShellFolder().get(), SHCONTF_FOLDERS));
  EXPECT_FALSE(FolderHasItems(nullptr, SHCONTF_FOLDERS));
  EXPECT_EQ(ObjectTypesToEnumFlags({TShellObjectType::otFolders, TShellObjectType::otHidden}), 0xA0u);
}

namespace {

// A control that takes part in the context menu, and records what it hears.
class TSinkControl : public TCustomControl, public IShellCommandSink {
 public:
  using TCustomControl::TCustomControl;
  void ExecuteCommand(const std::string& Verb, bool& Handled) override {
    log.push_back("execute " + Verb);
    Handled = handles;
  }
  void CommandCompleted(const std::string& Verb, bool Succeeded) override {
    log.push_back("completed " + Verb + (Succeeded ? " ok" : " failed"));
  }
  std::vector<std::string> log;
  bool handles = true;
};

// Runs steps on a 10 ms timer while a menu loop runs.
class TMenuScript {
 public:
  explicit TMenuScript(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
    window_ = AllocateHWnd([this](TMessage& m) {
      if (m.Msg == WM_TIMER && next_ < steps_.size()) steps_[next_++]();
    });
    SetTimer(window_, 1, 10, nullptr);
  }
  ~TMenuScript() {
    KillTimer(window_, 1);
    DeallocateHWnd(window_);
  }

 private:
  std::vector<std::function<void()>> steps_;
  std::size_t next_ = 0;
  HWND window_ = nullptr;
};

}  // namespace

TEST_F(ShellItems, TheContextMenuLetsItsOwnerTakePart) {
  THeadlessDisplay* display = HeadlessDisplay();
  ASSERT_NE(display, nullptr);
  TApplication app(nullptr);
  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  form->SetBounds(0, 0, 300, 200);
  auto* sink = new TSinkControl(form.get());
  sink->SetParent(form.get());
  sink->SetBounds(10, 10, 200, 150);
  form->Show();

  TShellTestTree::Write(tree.Documents + "/clip.mp4", "c");
  std::unique_ptr<TvlShellFolder> item = RootAt(tree.Documents + "/clip.mp4");
  TShellMessageBox previous = SetShellMessageBox([](HWND, const std::string&, const std::string&, UINT) { return IDNO; });

  struct Run {
    const char* key;  // the command's accelerator
    bool handles;
    std::vector<std::string> log;
  };
  const Run runs[] = {
      {"m", true, {"execute rename", "completed rename ok"}},                // the view edits the name
      {"d", false, {"execute delete", "completed delete failed"}},           // the user said no
      {"r", false, {"execute properties", "completed properties ok"}},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.key);
    sink->log.clear();
    sink->handles = run.handles;
    bool trackedWhileOpen = false;
    TMenuScript script({[&] { trackedWhileOpen = TrackedContextMenu() != nullptr; }, [&] { display->Text(run.key); }});
    ShowItemContextMenu(sink, item.get(), 20, 20);
    EXPECT_TRUE(trackedWhileOpen);
    EXPECT_EQ(TrackedContextMenu(), nullptr);
    EXPECT_EQ(sink->log, run.log);
  }
  EXPECT_TRUE(TShellTestTree::Exists(tree.Documents + "/clip.mp4"));
  ShowItemContextMenu(sink, nullptr, 0, 0);  // nothing for no item
  SetShellMessageBox(previous);

  EXPECT_EQ(InvokeItemVerb(nullptr, "delete"), E_INVALIDARG);
  SetShellMessageBox([](HWND, const std::string&, const std::string&, UINT) { return IDYES; });
  EXPECT_EQ(InvokeItemVerb(item.get(), "delete"), S_OK);
  EXPECT_FALSE(TShellTestTree::Exists(tree.Documents + "/clip.mp4"));
  SetShellMessageBox(previous);
}
