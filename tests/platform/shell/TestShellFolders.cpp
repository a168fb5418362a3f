#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "platform/shell/ShellFolders.h"

namespace {

class ShellFolders : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SHGetDesktopFolder(desktop), S_OK); }

  TItemIDList Parse(const std::string& path) {
    TItemIDList list;
    EXPECT_EQ(desktop->ParseDisplayName(nullptr, path, list), S_OK) << path;
    return list;
  }
  std::string Name(TItemIDSpan list, DWORD flags) {
    STRRET name;
    EXPECT_EQ(desktop->GetDisplayNameOf(list, flags, name), S_OK);
    return name.pOleStr;
  }
  ULONG Attributes(TItemIDSpan list, ULONG request = SFGAO_HASSUBFOLDER) {
    ULONG attributes = request;
    EXPECT_EQ(desktop->GetAttributesOf(list, attributes), S_OK);
    return attributes;
  }
  // The normal names of a folder's items, in enumeration order.
  std::vector<std::string> Names(IShellFolder& folder, DWORD flags) {
    std::unique_ptr<IEnumIDList> items;
    EXPECT_EQ(folder.EnumObjects(nullptr, flags, items), S_OK);
    std::vector<std::string> names;
    for (TItemIDList item; items && items->Next(item) == S_OK;) {
      STRRET name;
      folder.GetDisplayNameOf(item, SHGDN_INFOLDER, name);
      names.push_back(name.pOleStr);
    }
    return names;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }

  TShellTestTree tree;
  std::shared_ptr<IShellFolder> desktop;
};

}  // namespace

TEST_F(ShellFolders, TheDesktopHoldsComputerHomeAndTheDesktopDirectory) {
  TShellTestTree::Write(tree.Desktop + "/notes.txt", "n");
  TShellTestTree::Write(tree.Desktop + "/.hidden", "h");
  TShellTestTree::MakeFolder(tree.Desktop + "/Projects");

  EXPECT_EQ(Names(*desktop, SHCONTF_FOLDERS), (std::vector<std::string>{"计算机", "主文件夹", "Projects"}));
  EXPECT_EQ(Names(*desktop, SHCONTF_NONFOLDERS), (std::vector<std::string>{"notes.txt"}));
  EXPECT_EQ(Sorted(Names(*desktop, SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN)),
            (std::vector<std::string>{".hidden", "notes.txt"}));

  const TItemIDList self = ILAlloc(2);
  EXPECT_EQ(Name(self, SHGDN_NORMAL), "桌面");
  EXPECT_EQ(Name(self, SHGDN_FORPARSING), tree.Desktop);
}

TEST_F(ShellFolders, DesktopDirectoryFallsBackToHome) {
  TShellTestTree::Write(tree.Home + "/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Gone\"\n");
  EXPECT_EQ(Name(ILAlloc(2), SHGDN_FORPARSING), tree.Home);
  TShellTestTree::Write(tree.Home + "/.config/user-dirs.dirs", "");
  EXPECT_EQ(Name(ILAlloc(2), SHGDN_FORPARSING), tree.Home);
}

TEST_F(ShellFolders, ComputerListsTheFileSystemAndTheUserMounts) {
  TItemIDList computer;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer), S_OK);
  EXPECT_EQ(Name(computer, SHGDN_NORMAL), "计算机");
  EXPECT_EQ(Name(computer, SHGDN_FORPARSING), kComputerParsingName);
  EXPECT_EQ(Name(Parse(kComputerParsingName), SHGDN_NORMAL), "计算机");

  std::shared_ptr<IShellFolder> folder;
  ASSERT_EQ(desktop->BindToObject(computer, folder), S_OK);
  EXPECT_EQ(Names(*folder, SHCONTF_FOLDERS), (std::vector<std::string>{"文件系统", "MY USB"}));

  // A path below the mount is reached through it; other paths through "/".
  const TItemIDList onUsb = Parse(tree.Usb);
  EXPECT_EQ(ILGetCount(onUsb), 2);
  EXPECT_EQ(Name(onUsb, SHGDN_NORMAL), "MY USB");
  EXPECT_EQ(Name(onUsb, SHGDN_FORPARSING), tree.Usb);
  EXPECT_TRUE(Attributes(onUsb) & SFGAO_REMOVABLE);
  EXPECT_FALSE(Attributes(onUsb) & (SFGAO_CANRENAME | SFGAO_CANDELETE));
  TShellItemInfo info;
  ASSERT_TRUE(GetShellItemInfo(onUsb, info));
  EXPECT_EQ(info.Kind, TShellItemInfo::TKind::Mount);

  const TItemIDList documents = Parse(tree.Documents);
  TItemIDList fileSystem = ILClone(documents);  // Computer / "/" / …
  while (ILGetCount(fileSystem) > 2) ILRemoveLastID(fileSystem);
  EXPECT_EQ(Name(fileSystem, SHGDN_NORMAL), "文件系统");
  EXPECT_EQ(Name(documents, SHGDN_FORPARSING), tree.Documents);
}

TEST_F(ShellFolders, ParsingAndDisplayNames) {
  const std::string odd = tree.Documents + "/na\xFFme.txt";  // a name that is not UTF-8
  TShellTestTree::Write(odd, "x");
  TShellTestTree::MakeFolder(tree.Documents + "/sub");

  struct Case {
    std::string path;
    DWORD flags;
    std::string expected;
  };
  const Case cases[] = {
      {odd, SHGDN_FORPARSING, odd},                                     // the bytes survive
      {odd, SHGDN_FORPARSING | SHGDN_INFOLDER, "na\xFFme.txt"},
      {odd, SHGDN_NORMAL, "na\xEF\xBF\xBDme.txt"},                         // shown with U+FFFD
      {odd, SHGDN_INFOLDER, "na\xEF\xBF\xBDme.txt"},
      {tree.Documents + "/sub/", SHGDN_FORPARSING, tree.Documents + "/sub"},
      {tree.Documents + "//sub/../sub", SHGDN_FORPARSING, tree.Documents + "/sub"},
      {"/", SHGDN_NORMAL, "文件系统"},
      {"/", SHGDN_FORPARSING, "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Name(Parse(c.path), c.flags), c.expected);
  }
  std::string path;
  EXPECT_TRUE(SHGetPathFromIDList(Parse(odd), path));
  EXPECT_EQ(path, odd);

  TItemIDList list;
  for (const std::string& bad : {std::string(), std::string("Documents"), tree.Documents + "/missing"}) {
    SCOPED_TRACE(bad);
    EXPECT_TRUE(FAILED(desktop->ParseDisplayName(nullptr, bad, list)));
    EXPECT_TRUE(list.IsNil());
  }
  EXPECT_FALSE(SHGetPathFromIDList(Parse(kComputerParsingName), path));
}

TEST_F(ShellFolders, AttributesOfFoldersFilesLinksAndDotFiles) {
  const std::string d = tree.Documents;
  TShellTestTree::MakeFolder(d + "/withsub/inner");
  TShellTestTree::MakeFolder(d + "/leaf");
  TShellTestTree::Write(d + "/leaf/file.txt", "f");
  TShellTestTree::Write(d + "/plain.txt", "p");
  TShellTestTree::Write(d + "/.dotfile", "d");
  TShellTestTree::Write(d + "/locked.txt", "l");
  ::chmod((d + "/locked.txt").c_str(), 0444);
  ::symlink("plain.txt", (d + "/link.txt").c_str());
  ::symlink("withsub", (d + "/linkdir").c_str());
  TShellTestTree::MakeFolder(d + "/sealed");
  TShellTestTree::Write(d + "/sealed/inside.txt", "i");
  ::chmod((d + "/sealed").c_str(), 0555);

  constexpr ULONG edit = SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;
  struct Case {
    std::string name;
    ULONG present;
    ULONG absent;
  };
  const Case cases[] = {
      {"withsub", SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_DROPTARGET | edit,
       SFGAO_READONLY | SFGAO_LINK | SFGAO_HIDDEN},
      {"leaf", SFGAO_FOLDER | SFGAO_FILESYSTEM, SFGAO_HASSUBFOLDER},
      {"plain.txt", SFGAO_FILESYSTEM | edit | SFGAO_CANCOPY, SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_READONLY},
      {".dotfile", SFGAO_HIDDEN, SFGAO_FOLDER},
      {"locked.txt", SFGAO_READONLY | edit, SFGAO_FOLDER},
      {"link.txt", SFGAO_LINK | SFGAO_FILESYSTEM, SFGAO_FOLDER},
      {"linkdir", SFGAO_LINK | SFGAO_FOLDER | SFGAO_HASSUBFOLDER, 0},
      {"sealed/inside.txt", SFGAO_FILESYSTEM, edit},  // its folder may not be written
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ULONG a = Attributes(Parse(d + "/" + c.name));
    EXPECT_EQ(a & c.present, c.present);
    EXPECT_EQ(a & c.absent, 0u);
  }
  // The subfolder scan runs only when asked for.
  EXPECT_FALSE(Attributes(Parse(d + "/withsub"), SFGAO_FOLDER) & SFGAO_HASSUBFOLDER);
}

TEST_F(ShellFolders, RenamingNeverReplacesAnExistingName) {
  const std::string d = tree.Documents;
  TShellTestTree::Write(d + "/a.txt", "first");
  TShellTestTree::Write(d + "/b.txt", "second");
  std::shared_ptr<IShellFolder> folder;
  ASSERT_EQ(desktop->BindToObject(Parse(d), folder), S_OK);
  TItemIDList item;
  ASSERT_EQ(folder->ParseDisplayName(nullptr, "a.txt", item), S_OK);

  TItemIDList renamed;
  EXPECT_EQ(folder->SetNameOf(nullptr, item, "b.txt", SHGDN_NORMAL, &renamed), HRESULT_FROM_WIN32(EEXIST));
  EXPECT_TRUE(renamed.IsNil());
  EXPECT_EQ(TShellTestTree::Read(d + "/a.txt"), "first");
  EXPECT_EQ(TShellTestTree::Read(d + "/b.txt"), "second");

  for (const char* bad : {"", ".", "..", "x/y"}) {
    SCOPED_TRACE(bad);
    EXPECT_TRUE(FAILED(folder->SetNameOf(nullptr, item, bad, SHGDN_NORMAL, &renamed)));
  }

  ASSERT_EQ(folder->SetNameOf(nullptr, item, "A.txt", SHGDN_NORMAL, &renamed), S_OK);  // a case of its own
  EXPECT_EQ(TShellTestTree::Read(d + "/A.txt"), "first");
  EXPECT_FALSE(TShellTestTree::Exists(d + "/a.txt"));
  STRRET name;
  folder->GetDisplayNameOf(renamed, SHGDN_FORPARSING, name);
  EXPECT_EQ(name.pOleStr, d + "/A.txt");

  // Through several levels the new list is relative to the folder asked.
  TItemIDList deep;
  ASSERT_EQ(desktop->SetNameOf(nullptr, Parse(d + "/b.txt"), "c.txt", SHGDN_NORMAL, &deep), S_OK);
  EXPECT_EQ(Name(deep, SHGDN_FORPARSING), d + "/c.txt");
}

TEST_F(ShellFolders, ComparisonPutsFoldersFirstThenNamesIgnoringCase) {
  const std::string d = tree.Documents;
  for (const char* folder : {"zeta", "Alpha"}) TShellTestTree::MakeFolder(d + "/" + folder);
  for (const char* file : {"beta.txt", "Beta.txt", "apple.txt"}) TShellTestTree::Write(d + "/" + file, "");
  std::shared_ptr<IShellFolder> folder;
  ASSERT_EQ(desktop->BindToObject(Parse(d), folder), S_OK);
  std::unique_ptr<IEnumIDList> items;
  ASSERT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items), S_OK);
  std::vector<TItemIDList> lists;
  for (TItemIDList item; items->Next(item) == S_OK;) lists.push_back(std::move(item));
  std::sort(lists.begin(), lists.end(), [&](const TItemIDList& a, const TItemIDList& b) {
    return static_cast<std::int16_t>(HRESULT_CODE(folder->CompareIDs(0, a, b))) < 0;
  });
  std::vector<std::string> names;
  for (const TItemIDList& list : lists) {
    STRRET name;
    folder->GetDisplayNameOf(list, SHGDN_INFOLDER, name);
    names.push_back(name.pOleStr);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "zeta", "apple.txt", "Beta.txt", "beta.txt"}));

  // Names that differ only in case are different items; the same path by two parses is one.
  EXPECT_NE(desktop->CompareIDs(0, Parse(d + "/beta.txt"), Parse(d + "/Beta.txt")), 0);
  EXPECT_EQ(desktop->CompareIDs(0, Parse(d + "/beta.txt"), Parse(d + "//beta.txt")), 0);
  // A parent comes before what lies in it.
  EXPECT_LT(static_cast<std::int16_t>(HRESULT_CODE(desktop->CompareIDs(0, Parse(d), Parse(d + "/zeta")))), 0);
}

TEST_F(ShellFolders, SpecialFoldersMapToTheUserFolders) {
  TShellTestTree::MakeFolder(tree.Home + "/.local/share/fonts");
  TShellTestTree::MakeFolder(tree.Home + "/.local/share/Trash/files");
  struct Case {
    int csidl;
    std::string path;  // empty: the folder fails
  };
  const Case cases[] = {
      {CSIDL_PERSONAL, tree.Documents},
      {CSIDL_DESKTOPDIRECTORY, tree.Desktop},
      {CSIDL_APPDATA, tree.Home + "/.config"},
      {CSIDL_TEMPLATES, tree.Home},  // no entry in the settings: the home folder
      {CSIDL_FONTS, tree.Home + "/.local/share/fonts"},
      {CSIDL_BITBUCKET, tree.Home + "/.local/share/Trash/files"},
      {CSIDL_PROGRAMS, ""},  // the folder does not exist here
      {CSIDL_STARTUP, ""},
      {CSIDL_PRINTERS, ""},
      {CSIDL_NETWORK, ""},
      {CSIDL_COMMON_STARTMENU, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.csidl);
    TItemIDList list;
    const HRESULT result = SHGetSpecialFolderLocation(nullptr, c.csidl, list);
    if (c.path.empty()) {
      EXPECT_TRUE(FAILED(result));
      continue;
    }
    ASSERT_EQ(result, S_OK);
    std::string path;
    EXPECT_TRUE(SHGetPathFromIDList(list, path));
    EXPECT_EQ(path, c.path);
  }
  TItemIDList self;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, self), S_OK);
  EXPECT_EQ(ILGetSize(self), 2u);
}

TEST_F(ShellFolders, ForeignItemsAreRefused) {
  // Items of an unknown kind, and entries whose names no folder can hold.
  std::shared_ptr<IShellFolder> folder;
  ULONG attributes = 0;
  STRRET name;
  for (const TItemIDList& list : {ILCreateItem('?', "x"), ILCreateItem('F', ".."), ILCreateItem('D', "a/b")}) {
    EXPECT_TRUE(FAILED(desktop->BindToObject(list, folder)));
    EXPECT_TRUE(FAILED(desktop->GetAttributesOf(list, attributes)));
    EXPECT_TRUE(FAILED(desktop->GetDisplayNameOf(list, SHGDN_NORMAL, name)));
  }
}
