#include <gtest/gtest.h>

#include <string>

#include "tests/ShellTestTree.h"
#include "platform/shell/MimeTypes.h"
#include "platform/shell/ShellIcons.h"

TEST(MimeTypes, GlobsByLiteralWeightAndLength) {
  TShellTestTree tree;
  struct Case {
    const char* name;
    const char* type;
  };
  const Case cases[] = {
      {"film.mp4", "video/mp4"},
      {"FILM.MP4", "video/mp4"},                            // letters ignore case …
      {"main.C", "text/x-c++src"},                          // … unless the pattern says otherwise
      {"main.c", "text/x-csrc"},
      {"backup.tar.gz", "application/x-compressed-tar"},    // the longer suffix
      {"single.gz", "application/gzip"},
      {"Makefile", "text/x-makefile"},                      // a literal name
      {"makefile", "application/octet-stream"},             // case-sensitive literal
      {"README.md", "text/x-readme"},                       // another pattern
      {"noextension", "application/octet-stream"},
      {".mp4", "video/mp4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MimeTypeOfFileName(c.name), c.type);
  }
  EXPECT_EQ(MimeClassOf("application/x-compressed-tar"), TMimeClass::mcArchive);  // by its generic icon
  EXPECT_EQ(MimeClassOf("video/mp4"), TMimeClass::mcVideo);                       // by its major type
  EXPECT_EQ(MimeClassOf("application/octet-stream"), TMimeClass::mcGeneric);
}

TEST(ShellIcons, OneIndexPerKindInBothLists) {
  TShellTestTree tree;
  TShellTestTree::Write(tree.Documents + "/a.mp4", "");
  TShellTestTree::Write(tree.Documents + "/b.mp4", "");
  TShellTestTree::Write(tree.Documents + "/c.mp3", "");
  TShellTestTree::MakeFolder(tree.Home + "/.local/share/Trash/files");

  auto index = [](const std::string& path, UINT flags = 0) {
    SHFILEINFO info;
    info.iIcon = -100;
    EXPECT_NE(SHGetFileInfo(path, 0, &info, SHGFI_SYSICONINDEX | flags), 0u) << path;
    return info.iIcon;
  };
  EXPECT_EQ(index(tree.Documents), siFolder);
  EXPECT_EQ(index(tree.Documents, SHGFI_OPENICON), siFolderOpen);
  EXPECT_EQ(index(tree.Home), siHome);
  EXPECT_EQ(index(tree.Desktop), siDesktop);
  EXPECT_EQ(index(tree.Home + "/.local/share/Trash/files"), siTrash);
  EXPECT_EQ(index(tree.Usb), siDriveRemovable);
  EXPECT_EQ(index("/"), siDriveFixed);
  const int video = index(tree.Documents + "/a.mp4");
  EXPECT_GE(video, siFirstFileType);
  EXPECT_EQ(index(tree.Documents + "/b.mp4"), video);  // one index per type
  EXPECT_NE(index(tree.Documents + "/c.mp3"), video);
  EXPECT_EQ(SHGetFileInfo(tree.Documents + "/missing.mp4", 0, nullptr, SHGFI_SYSICONINDEX), 0u);

  TItemIDList desktop, computer;
  SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, desktop);
  SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer);
  SHFILEINFO info;
  const DWORD_PTR small = SHGetFileInfo(computer.Span(), 0, &info, SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  EXPECT_EQ(info.iIcon, siComputer);
  const DWORD_PTR large = SHGetFileInfo(desktop.Span(), 0, &info, SHGFI_PIDL | SHGFI_SYSICONINDEX);
  EXPECT_EQ(info.iIcon, siDesktop);

  const auto smallList = reinterpret_cast<HIMAGELIST>(small), largeList = reinterpret_cast<HIMAGELIST>(large);
  ASSERT_NE(smallList, largeList);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(smallList, &cx, &cy);
  EXPECT_EQ(cx, 16);
  ImageList_GetIconSize(largeList, &cx, &cy);
  EXPECT_EQ(cx, 32);
  EXPECT_EQ(ImageList_GetImageCount(smallList), ImageList_GetImageCount(largeList));
}

TEST(ShellIcons, EveryPictureIsDrawnAtBothSizes) {
  for (int picture = 0; picture <= static_cast<int>(TShellIconPicture::FileFont); ++picture)
    for (int size : {16, 32}) {
      SCOPED_TRACE(picture);
      const detail::IconImage image = ShellIconPicture(static_cast<TShellIconPicture>(picture), size);
      ASSERT_EQ(image.Width, size);
      // Something is drawn, and the corners of the square stay clear or nearly so.
      int opaque = 0;
      for (int i = 3; i < size * size * 4; i += 4) opaque += image.Bgra[static_cast<std::size_t>(i)] > 128;
      EXPECT_GT(opaque, size * size / 5);
      EXPECT_LT(image.Bgra[3], 64);
    }
  EXPECT_TRUE(ShellIconPicture(TShellIconPicture::Folder, 0).Bgra.empty());
}
