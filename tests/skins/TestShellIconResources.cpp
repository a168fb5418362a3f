// The system image lists of the shell views take the program's own shell icons when the program
// links its built-in pictures.

#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/Icon.h"
#include "platform/core/Resources.h"
#include "platform/shell/ShellIcons.h"

TEST(ShellIconResourcesTest, TheSystemListsShowTheProgramsOwnIcons) {
  struct Case {
    TShellIconPicture picture;
    const char* resource;
  };
  const Case cases[] = {
      {TShellIconPicture::Folder, "VL_SHELL_FOLDER"},
      {TShellIconPicture::Computer, "VL_SHELL_COMPUTER"},
      {TShellIconPicture::DriveOptical, "VL_SHELL_DRIVE_CDROM"},
      {TShellIconPicture::FileVideo, "VL_SHELL_FILE_VIDEO"},
      {TShellIconPicture::FileArchive, "VL_SHELL_FILE"},  // no picture of its own: the plain file
  };
  for (const Case& c : cases)
    for (int size : {16, 32}) {
      SCOPED_TRACE(c.resource);
      HICON icon = static_cast<HICON>(LoadImage(HInstance(), c.resource, IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr);
      int width = 0, height = 0;
      std::vector<std::uint8_t> expected;
      ASSERT_TRUE(GetIconPixels(icon, width, height, expected));
      DestroyIcon(icon);
      const detail::IconImage shown = ShellIconPicture(c.picture, size);
      EXPECT_EQ(shown.Width, size);
      EXPECT_EQ(shown.Bgra, expected);
    }
}
