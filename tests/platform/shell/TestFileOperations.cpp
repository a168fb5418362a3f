#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "platform/shell/FileOperations.h"

namespace {

class FileOperations : public ::testing::Test {
 protected:
  std::string Trash() const { return tree.Home + "/.local/share/Trash"; }
  TShellTestTree tree;
};

}  // namespace

TEST_F(FileOperations, MovingToTheTrashKeepsEveryEntryAndWhereItCameFrom) {
  const std::string first = tree.Documents + "/report 1.txt";
  TShellTestTree::Write(first, "one");
  ASSERT_TRUE(MoveToTrash(first));
  EXPECT_FALSE(TShellTestTree::Exists(first));
  EXPECT_EQ(TShellTestTree::Read(Trash() + "/files/report 1.txt"), "one");
  const std::string info = TShellTestTree::Read(Trash() + "/info/report 1.txt.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
  EXPECT_NE(info.find("Path=" + tree.Documents + "/report%201.txt\n"), std::string::npos) << info;
  EXPECT_NE(info.find("\nDeletionDate=2"), std::string::npos) << info;

  // A second entry of the same name does not replace the first.
  TShellTestTree::Write(first, "two");
  ASSERT_TRUE(MoveToTrash(first));
  EXPECT_EQ(TShellTestTree::Read(Trash() + "/files/report 1.txt"), "one");
  EXPECT_EQ(TShellTestTree::Read(Trash() + "/files/report 1.txt.2"), "two");
  EXPECT_TRUE(TShellTestTree::Exists(Trash() + "/info/report 1.txt.2.trashinfo"));

  // Folders go whole.
  TShellTestTree::MakeFolder(tree.Documents + "/old/deep");
  ASSERT_TRUE(MoveToTrash(tree.Documents + "/old"));
  EXPECT_TRUE(TShellTestTree::Exists(Trash() + "/files/old/deep"));
}

TEST_F(FileOperations, WhatCannotGoToTheTrashStaysWhereItIs) {
  std::string error;
  EXPECT_FALSE(MoveToTrash(tree.Documents + "/missing", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(MoveToTrash("relative.txt"));
  EXPECT_FALSE(MoveToTrash("/"));

  // A file whose folder may not be written cannot leave it; no info file is left behind.
  const std::string sealed = tree.Documents + "/sealed";
  TShellTestTree::MakeFolder(sealed);
  TShellTestTree::Write(sealed + "/keep.txt", "k");
  ::chmod(sealed.c_str(), 0555);
  if (::geteuid() != 0) {  // the superuser writes anyway
    EXPECT_FALSE(MoveToTrash(sealed + "/keep.txt"));
    EXPECT_EQ(TShellTestTree::Read(sealed + "/keep.txt"), "k");
    EXPECT_FALSE(TShellTestTree::Exists(Trash() + "/info/keep.txt.trashinfo"));
  }
}

TEST_F(FileOperations, RenameNoReplaceRefusesTakenNames) {
  const std::string a = tree.Documents + "/a", b = tree.Documents + "/b";
  TShellTestTree::Write(a, "A");
  TShellTestTree::Write(b, "B");
  EXPECT_EQ(RenameNoReplace(a, b), EEXIST);
  EXPECT_EQ(TShellTestTree::Read(b), "B");
  EXPECT_EQ(RenameNoReplace(a, tree.Documents + "/c"), 0);
  EXPECT_EQ(RenameNoReplace(a, tree.Documents + "/d"), ENOENT);
}

TEST_F(FileOperations, ClipboardFileLists) {
  const std::string file = tree.Documents + "/a b%.txt";
  TShellTestTree::Write(file, "x");
  struct Case {
    std::string text;
    bool ok;
    bool cut;
  };
  const Case cases[] = {
      {"file://" + tree.Documents + "/a%20b%25.txt", true, false},
      {"copy\nfile://" + tree.Documents + "/a%20b%25.txt\n", true, false},
      {"cut\r\nfile://localhost" + tree.Documents + "/a%20b%25.txt\r\n", true, true},
      {file + "\n# a comment\n", true, false},
      {"just some text", false, false},
      {"file://" + tree.Documents + "/missing.txt", false, false},
      {"file://" + tree.Documents + "/a%2", false, false},  // a broken escape
      {"", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> files;
    bool cut = true;
    EXPECT_EQ(ParseClipboardFileList(c.text, files, cut), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(files, std::vector<std::string>{file});
    EXPECT_EQ(cut, c.cut);
  }
}

TEST_F(FileOperations, PastingCopiesAndMovesWithoutReplacing) {
  const std::string from = tree.Documents, to = tree.Desktop;
  TShellTestTree::Write(from + "/clip.mp4", "new");
  TShellTestTree::Write(to + "/clip.mp4", "old");
  TShellTestTree::MakeFolder(from + "/album/disc");
  TShellTestTree::Write(from + "/album/disc/t.mp3", "t");

  ASSERT_TRUE(PasteFiles({from + "/clip.mp4", from + "/album"}, to, false));
  EXPECT_EQ(TShellTestTree::Read(to + "/clip.mp4"), "old");
  EXPECT_EQ(TShellTestTree::Read(to + "/clip (2).mp4"), "new");
  EXPECT_EQ(TShellTestTree::Read(to + "/album/disc/t.mp3"), "t");
  EXPECT_TRUE(TShellTestTree::Exists(from + "/clip.mp4"));

  // A folder is never pasted into itself.
  std::string error;
  EXPECT_FALSE(PasteFiles({from + "/album"}, from + "/album/disc", false, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(TShellTestTree::Exists(from + "/album/disc/album"));

  // Cut: moved, again next to what is there.
  ASSERT_TRUE(PasteFiles({from + "/clip.mp4"}, to, true));
  EXPECT_FALSE(TShellTestTree::Exists(from + "/clip.mp4"));
  EXPECT_EQ(TShellTestTree::Read(to + "/clip (3).mp4"), "new");
}
