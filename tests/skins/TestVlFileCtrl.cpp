// The file-system controls: the path routines, the drive combo box over the mounts, the
// directory list's levels and pictures, the file list's mask and attribute filter, the links
// between them (drive → folders → files, filter → files), and the three on a form in skin 1.

#include "lib/dialogs/vlFileCtrl.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "lib/controls/vlSkinCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Edit.h"
#include "platform/core/Exceptions.h"
#include "skins/vlSkinArt.h"
#include "tests/ShellTestTree.h"
#include "tests/lib/SkinnedControlsWorld.h"

namespace {

using skinned_controls_world::SkinnedControlsWorld;

std::vector<std::string> ItemsOf(TStrings* items) {
  std::vector<std::string> out;
  for (int i = 0; i < items->Count(); ++i) out.push_back(items->Strings(i));
  return out;
}

void Touch(const std::string& path) { TShellTestTree::Write(path, "x"); }

// A temporary tree with "/" labelled "Data", the removable "MY USB" at <Home>/usb and a network
// share at <Home>/nas; <Home>/Work/Src holds sub-folders and files to list.
class FileCtrlTest : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    Nas = tree.Home + "/nas";
    Src = tree.Home + "/Work/Src";
    for (const std::string& dir : {Nas, Src + "/beta", Src + "/Alpha", Src + "/.cache", tree.Usb + "/照片"})
      TShellTestTree::MakeFolder(dir);
    for (const char* file : {"a.mp4", "b.MP3", "c.txt", "d.mkv", ".hidden.mp4", "ro.mp4"}) Touch(Src + "/" + file);
    ::chmod((Src + "/ro.mp4").c_str(), 0444);
    std::filesystem::create_symlink("../../vda", tree.Root + "/labels/Data");
    tree.SetMountTable("27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                       "40 27 8:1 / " + tree.Usb + " rw,nosuid - vfat /dev/sdz1 rw\n"
                       "41 27 0:50 / " + Nas + " rw - nfs4 Server:/Export rw\n");
    form = MakeForm(TRect{0, 0, 500, 300});
  }

  template <class T>
  T* Place(TRect r) {
    auto* control = new T(form);
    control->SetParent(form);
    control->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    return control;
  }
  void Show() {
    form->Show();
    Pump();
  }

  TShellTestTree tree;
  std::string Nas, Src;
  TForm* form = nullptr;
};

TEST(FilePathRoutinesTest, JoinAndCountSeparators) {
  struct Case {
    const char *folder, *name, *joined;
    int separators;
  };
  for (const Case& c : {Case{"/home/u", "a.mp4", "/home/u/a.mp4", 3}, Case{"/home/u/", "a.mp4", "/home/u/a.mp4", 3},
                        Case{"/", "tmp", "/tmp", 1}, Case{"", "a", "/a", 1}}) {
    SCOPED_TRACE(std::string(c.folder) + " + " + c.name);
    EXPECT_EQ(JoinPath(c.folder, c.name), c.joined);
    EXPECT_EQ(CountBackslashes(c.joined), c.separators);
  }
}

// Each step of shortening, at exactly its own width, and below the narrowest: the bare name.
TEST(FilePathRoutinesTest, ShortenPathDropsLeadingFoldersButNeverTheName) {
  TBitmap b;
  TCanvas* canvas = b.Canvas();
  const std::vector<std::vector<std::string>> steps = {
      {"/home/user/Tools/Bin/app.exe", "/.../user/Tools/Bin/app.exe", "/.../Tools/Bin/app.exe", "/.../Bin/app.exe",
       "/.../app.exe", ".../app.exe", "app.exe"},
      {"/媒体/我的视频/二〇二四年的旅行记录/第一集.mp4", "/.../我的视频/二〇二四年的旅行记录/第一集.mp4",
       "/.../二〇二四年的旅行记录/第一集.mp4", "/.../第一集.mp4", ".../第一集.mp4", "第一集.mp4"},
      {"/a.mp4", "a.mp4"},
      {"a.mp4"}};
  for (const auto& path : steps) {
    for (const std::string& expected : path) {
      SCOPED_TRACE(expected);
      EXPECT_EQ(ShortenPathToWidth(path.front(), canvas, canvas->TextWidth(expected)), expected);
    }
    EXPECT_EQ(ShortenPathToWidth(path.front(), canvas, 1), path.back());
  }
}

TEST_F(FileCtrlTest, SplitPathTextTakesFoldersFilesAndMasks) {
  struct Case {
    std::string text, drive, folder, file;
  };
  const std::string work = tree.Home + "/Work";
  for (const Case& c : {Case{"*.mp4", "/", Src, "*.mp4"}, Case{"a.mp4", "/", Src, "a.mp4"},
                        Case{"beta", "/", Src + "/beta", ""}, Case{"[Alpha]", "/", Src + "/Alpha", ""},
                        Case{"[..]", "/", work, ""}, Case{"../Src/c.txt", "/", Src, "c.txt"},
                        Case{tree.Usb + "/照片", tree.Usb, tree.Usb + "/照片", ""}, Case{"", "/", Src, ""},
                        Case{"new.mp4/", "", "", ""}, Case{"missing", "", "", ""}, Case{"/no/such/x.mp4", "", "", ""}}) {
    SCOPED_TRACE(c.text);
    if (c.folder.empty()) {
      EXPECT_THROW((void)SplitPathText(c.text, Src), EInOutError);
      continue;
    }
    const TvlSplitPath split = SplitPathText(c.text, Src);
    EXPECT_EQ(split.Drive, c.drive);
    EXPECT_EQ(split.Folder, c.folder);
    EXPECT_EQ(split.File, c.file);
  }
}

TEST_F(FileCtrlTest, LabelsAndNetworkNamesTakeTheAskedCase) {
  using enum TTextCase;
  EXPECT_EQ(VolumeLabelText("/", tcUpperCase), "[DATA]");
  EXPECT_EQ(VolumeLabelText("/", tcLowerCase), "[data]");
  EXPECT_EQ(VolumeLabelText(tree.Usb, tcLowerCase), "[my usb]");
  EXPECT_EQ(VolumeLabelText(Src), "[]");  // no mount
  EXPECT_EQ(NetworkDriveText(Nas, tcLowerCase), "server:/export");
  EXPECT_EQ(NetworkDriveText("/", tcUpperCase), "[DATA]");
}

TEST_F(FileCtrlTest, DriveComboListsTheMountsWithTheirKindAndLabel) {
  auto* drives = Place<TvlSkinDriveComboBox>(TRect{10, 10, 200, 30});
  Show();
  EXPECT_EQ(drives->DrivePaths(), (std::vector<std::string>{"/", tree.Usb, Nas}));
  // A removable drive is shown by its folder alone, no label is read for it.
  EXPECT_EQ(ItemsOf(drives->Items()), (std::vector<std::string>{"/ [data]", tree.Usb, Nas + " server:/export"}));
  drives->SetTextCase(TTextCase::tcUpperCase);
  EXPECT_EQ(drives->Items()->Strings(0), "/ [DATA]");
  EXPECT_EQ(drives->Drive(), "/");  // the test runs in a folder of the root mount
  EXPECT_EQ(drives->ItemIndex(), 0);
  drives->SetDrive(tree.Usb);
  EXPECT_EQ(drives->ItemIndex(), 1);
  drives->SetDrive("");
  EXPECT_EQ(drives->ItemIndex(), -1);
}

TEST_F(FileCtrlTest, DirectoryListShowsThePathThenTheSubFolders) {
  using enum TvlSkinDirectoryListBox::TFolderPicture;
  const std::filesystem::path startFolder = std::filesystem::current_path();
  auto* folders = Place<TvlSkinDirectoryListBox>(TRect{10, 10, 200, 250});
  Show();
  folders->SetDirectory(Src);
  std::vector<std::string> expected{"/"};
  for (const auto& part : std::filesystem::path(Src).relative_path()) expected.push_back(part.string());
  const int current = static_cast<int>(expected.size()) - 1;
  expected.insert(expected.end(), {"Alpha", "beta"});  // sorted ignoring case, hidden left out
  ASSERT_EQ(ItemsOf(folders->Items()), expected);
  EXPECT_EQ(folders->ItemIndex(), current);
  for (int i = 0; i < folders->Items()->Count(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(folders->ItemPicture(i), i < current ? Opened : i == current ? Current : Closed);
    EXPECT_EQ(folders->ItemIndent(i), (i <= current ? i : current + 1) * 4 + 2);
  }
  EXPECT_EQ(folders->GetItemPath(0), "/");
  EXPECT_EQ(folders->GetItemPath(1), "/" + expected[1]);
  EXPECT_EQ(folders->GetItemPath(current - 1), tree.Home + "/Work");
  EXPECT_EQ(folders->GetItemPath(current), Src);
  EXPECT_EQ(folders->GetItemPath(current + 1), Src + "/Alpha");
  EXPECT_EQ(folders->GetItemPath(99), "");

  // Opening an item enters its folder; a folder that is gone raises and keeps the list.
  folders->SetItemIndex(current + 2);
  folders->OpenCurrent();
  EXPECT_EQ(folders->Directory(), Src + "/beta");
  EXPECT_THROW(folders->SetDirectory(Src + "/gone"), EInOutError);
  EXPECT_EQ(folders->Directory(), Src + "/beta");
  EXPECT_EQ(std::filesystem::current_path(), startFolder);  // the process never moved

  // At the root: the root item is the current one, followed by its sub-folders.
  folders->SetDirectory("/");
  EXPECT_EQ(folders->Items()->Strings(0), "/");
  EXPECT_EQ(folders->ItemPicture(0), Current);
  EXPECT_EQ(folders->ItemIndex(), 0);
  ASSERT_GT(folders->Items()->Count(), 1);
  EXPECT_EQ(folders->ItemPicture(1), Closed);
}

TEST_F(FileCtrlTest, FileListFiltersByMaskAndAttributes) {
  using enum TvlFileAttr;
  auto* files = Place<TvlSkinFileListBox>(TRect{10, 10, 200, 250});
  Show();
  files->SetDirectory(Src);
  struct Case {
    TvlFileType type;
    const char* mask;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {{vlftNormal}, "*.*", {"a.mp4", "b.MP3", "c.txt", "d.mkv", "ro.mp4"}},
      {{vlftNormal}, "*.mp4;*.mkv", {"a.mp4", "d.mkv", "ro.mp4"}},
      {{vlftNormal}, "*.mp4;*.MP4;*.mp3", {"a.mp4", "b.MP3", "ro.mp4"}},  // each name once
      {{vlftNormal}, "[bad", {}},
      {{vlftNormal, vlftHidden}, "*.mp4", {".hidden.mp4", "a.mp4", "ro.mp4"}},
      {{vlftReadOnly}, "*", {"ro.mp4"}},
      {{vlftDirectory}, "*", {"[..]", "[.]", "[Alpha]", "[beta]"}},
      {{vlftNormal, vlftDirectory}, "*.*", {"a.mp4", "b.MP3", "c.txt", "d.mkv", "ro.mp4", "[..]", "[.]", "[Alpha]",
                                             "[beta]"}},  // in the list's sort order
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    files->SetFileType(c.type);
    files->SetMask(c.mask);
    EXPECT_EQ(ItemsOf(files->Items()), c.items);
  }
  EXPECT_THROW(files->SetDirectory("gone"), EInOutError);
  EXPECT_EQ(files->Directory(), Src);
}

TEST_F(FileCtrlTest, EditTextsChangeMaskSelectionOrFolder) {
  auto* files = Place<TvlSkinFileListBox>(TRect{10, 10, 200, 250});
  auto* edit = Place<TEdit>(TRect{10, 260, 200, 282});
  Show();
  files->SetDirectory(Src);
  files->SetFileEdit(edit);
  EXPECT_EQ(edit->Text(), "*.*");
  int reports = 0;
  files->OnChange = [&](TObject* Sender) { reports += Sender == files ? 1 : 100; };

  files->ApplyFilePath("*.mp4");
  EXPECT_EQ(files->Mask(), "*.mp4");
  EXPECT_EQ(files->Directory(), Src);
  files->ApplyFilePath("ro.mp4");  // a name selects its file
  EXPECT_EQ(files->SelectedName(), "ro.mp4");
  files->SelectName("A.MP4");  // ignoring case
  EXPECT_EQ(files->SelectedName(), "a.mp4");
  EXPECT_EQ(files->FileName(), Src + "/a.mp4");
  EXPECT_EQ(edit->Text(), "a.mp4");
  files->ApplyFilePath("c.txt");  // hidden by the mask: shown by its own name
  EXPECT_EQ(files->Mask(), "c.txt");
  EXPECT_EQ(files->SelectedName(), "c.txt");
  files->ApplyFilePath("beta");
  EXPECT_EQ(files->Directory(), Src + "/beta");
  EXPECT_THROW(files->ApplyFilePath("neither"), EInOutError);
  EXPECT_EQ(files->Directory(), Src + "/beta");
  EXPECT_GT(reports, 0);
  EXPECT_LT(reports, 100);

  delete edit;  // the list forgets the freed edit
  EXPECT_EQ(files->FileEdit(), nullptr);
  files->ApplyFilePath("..");
  EXPECT_EQ(files->Directory(), Src);
}

TEST_F(FileCtrlTest, DriveFolderAndFileListsFollowEachOther) {
  auto* drives = Place<TvlSkinDriveComboBox>(TRect{10, 10, 200, 30});
  auto* folders = Place<TvlSkinDirectoryListBox>(TRect{10, 40, 200, 250});
  auto* files = Place<TvlSkinFileListBox>(TRect{210, 40, 400, 250});
  auto* filter = Place<TvlSkinFilterComboBox>(TRect{210, 260, 400, 280});
  auto* label = Place<TvlSkinStdLabel>(TRect{10, 260, 200, 278});
  Show();
  drives->SetDirList(folders);
  folders->SetFileList(files);
  folders->SetDirLabel(label);
  filter->SetFilter("视频 (*.mp4)|*.mp4|全部|*.*");
  filter->SetFileList(files);
  int folderReports = 0;
  folders->OnChange = [&](TObject*) { ++folderReports; };

  folders->SetDirectory(Src);
  EXPECT_EQ(files->Directory(), Src);
  TBitmap measure;
  measure.Canvas()->Font()->Assign(label->Font());
  EXPECT_EQ(label->Caption(), ShortenPathToWidth(Src, measure.Canvas(), label->Width()));
  EXPECT_EQ(folderReports, 1);

  filter->SetItemIndex(0);
  EXPECT_EQ(files->Mask(), "*.mp4");
  EXPECT_EQ(ItemsOf(files->Items()), (std::vector<std::string>{"a.mp4", "ro.mp4"}));

  // A drive chosen in the combo moves the folders and the files to it.
  drives->SetItemIndex(1);
  EXPECT_EQ(drives->Drive(), tree.Usb);
  EXPECT_EQ(folders->Directory(), tree.Usb);
  EXPECT_EQ(files->Directory(), tree.Usb);
  folders->SetDirectory("照片");
  EXPECT_EQ(files->Directory(), tree.Usb + "/照片");

  // A folder on another drive moves the combo; each drive keeps its last folder.
  folders->SetDirectory(Src + "/beta");
  EXPECT_EQ(drives->Drive(), "/");
  EXPECT_EQ(files->Directory(), Src + "/beta");
  drives->SetDrive(tree.Usb);
  EXPECT_EQ(folders->Directory(), tree.Usb + "/照片");
  drives->SetDrive("/");
  EXPECT_EQ(folders->Directory(), Src + "/beta");

  // A drive that cannot be entered keeps the folder.
  std::filesystem::remove_all(Nas);
  drives->SetDrive(Nas);
  EXPECT_EQ(folders->Directory(), Src + "/beta");

  // Freed partners are forgotten.
  delete files;
  EXPECT_EQ(folders->FileList(), nullptr);
  EXPECT_EQ(filter->FileList(), nullptr);
  delete folders;
  EXPECT_EQ(drives->DirList(), nullptr);
  drives->SetDrive(tree.Usb);
  filter->SetItemIndex(1);
}

// The three controls with their labels and the filter box on a form in skin 1: a folder of
// fixed name, so the picture's path is the same in every run (a lock keeps two runs apart).
TEST_F(FileCtrlTest, ThreeControlsInSkinOneMatchTheirExpectedPicture) {
  const std::string folder = "/tmp/vl-file-controls";
  const int lock = ::open((folder + ".lock").c_str(), O_CREAT | O_RDWR, 0600);
  ASSERT_GE(lock, 0);
  ::flock(lock, LOCK_EX);
  std::filesystem::remove_all(folder);
  const std::string videos = folder + "/视频素材";
  for (const char* sub : {"二〇二四 旅行", "毕业典礼", "家庭聚会", "导出"}) TShellTestTree::MakeFolder(videos + "/" + sub);
  for (const char* file : {"旅行记录 第一集.mp4", "旅行记录 第二集.mp4", "毕业典礼.mkv", "生日歌.mp3", "说明.txt"})
    Touch(videos + "/" + file);

  TvlSkinData main(nullptr);
  vlLoadFixtureSkin(&main, TvlSkinArtKind::Main);
  ASSERT_FALSE(main.Empty);
  skinned_test_form::RenderFormAndCompare(
      display, 460, 280,
      [&](TForm* f) {
        auto* back = new TvlSkinPanel(f);
        back->SetParent(f);
        back->SetBounds(0, 0, 460, 280);
        auto place = [&]<class T>(T* control, TRect r) {
          control->SetParent(back);
          control->SetBounds(r.Left, r.Top, r.Width(), r.Height());
          return control;
        };
        auto label = [&](const char* text, TRect r) {
          auto* l = new TvlSkinStdLabel(f);
          l->SetAutoSize(false);
          l->SetCaption(text);
          l->SetSkinData(&main);
          return place(l, r);
        };
        label("驱动器:", TRect{12, 15, 62, 33});
        auto* drives = place(new TvlSkinDriveComboBox(f), TRect{66, 12, 240, 32});
        auto* path = label("", TRect{12, 42, 240, 60});
        auto* folders = place(new TvlSkinDirectoryListBox(f), TRect{12, 62, 240, 268});
        label("文件类型:", TRect{252, 15, 312, 33});
        auto* filter = place(new TvlSkinFilterComboBox(f), TRect{316, 12, 448, 32});
        auto* files = place(new TvlSkinFileListBox(f), TRect{252, 42, 448, 268});
        for (int i = 0; i < f->ComponentCount(); ++i)
          if (auto* c = dynamic_cast<TvlSkinControl*>(f->Components(i))) c->SetSkinData(&main);
        drives->SetDirList(folders);
        folders->SetFileList(files);
        folders->SetDirLabel(path);
        filter->SetFilter("媒体文件|*.mp4;*.mkv;*.mp3|所有文件|*.*");
        filter->SetFileList(files);
      },
      [&](TForm* f) {
        for (int i = 0; i < f->ComponentCount(); ++i)
          if (auto* folders = dynamic_cast<TvlSkinDirectoryListBox*>(f->Components(i))) folders->SetDirectory(videos);
        for (int i = 0; i < f->ComponentCount(); ++i)
          if (auto* files = dynamic_cast<TvlSkinFileListBox*>(f->Components(i))) files->SelectName("毕业典礼.mkv");
        Pump();
      },
      SKIN_EXPECTED_DIR, "main_skin_file_controls");
  std::filesystem::remove_all(folder);
  ::close(lock);
}

}  // namespace
