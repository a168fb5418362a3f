// Snapshots: section [SnapShot] of the options file with its defaults and write-backs, the "_n"
// file names, the four picture types, the snapshot menu's mark and commands, and folders or
// options files that refuse to be written.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/Snapshots.h"
#include "platform/graphics/Bitmap.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/core/Exceptions.h"
#include "platform/core/IniFiles.h"
#include "platform/graphics/Picture.h"
#include "tests/Src/MediaFixtures.h"

namespace {

namespace fs = std::filesystem;

class SnapshotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch = fixtures::ScratchFolder("snapshots");
    options = (scratch / "option.ini").string();
    fallback = (scratch / "home" / "Qirelo视频软件" / "快照").string();
  }
  void TearDown() override { fs::remove_all(scratch); }

  void WriteOptions(const std::string& Text) const { std::ofstream(options, std::ios::binary) << Text; }
  [[nodiscard]] std::string Stored(const char* Key) const {
    return TIniFile(options).ReadString("SnapShot", Key, "(none)");
  }
  TSnapshots Make(std::optional<std::string> Chosen = std::nullopt) {
    return TSnapshots(options,
                      TSnapshotHooks{[Chosen] { return Chosen; }, [this](const std::string& L) { log.push_back(L); }},
                      fallback);
  }
  // A small picture of four flat quarters.
  static std::unique_ptr<TBitmap> Picture() {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::pf24bit);
    bitmap->SetSize(32, 24);
    for (int y = 0; y < 24; ++y) {
      auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
      for (int x = 0; x < 32; ++x) {
        row[x * 3] = x < 16 ? 0x20 : 0xC0;
        row[x * 3 + 1] = y < 12 ? 0xA0 : 0x60;
        row[x * 3 + 2] = 0xE0;
      }
    }
    return bitmap;
  }

  fs::path scratch;
  std::string options;
  std::string fallback;
  std::vector<std::string> log;
};

TEST_F(SnapshotsTest, FolderAndTypeComeFromTheOptionsFileOrTheirDefaults) {
  const std::string mine = (scratch / "mine" / "deep").string();
  struct Case {
    const char* what;
    std::optional<std::string> file;  // nothing: no options file
    std::string folder;               // expected folder
    TSnapshotType type;
    std::string storedDir, storedPicture;  // the file afterwards
  };
  const Case cases[] = {
      {"no options file", std::nullopt, fallback, TSnapshotType::stBMP, fallback, "BMP"},
      {"no section", "[OutPath]\r\nDir=/x\r\n", fallback, TSnapshotType::stBMP, fallback, "BMP"},
      {"empty values", "[SnapShot]\r\nDir=\r\nPicture=\r\n", fallback, TSnapshotType::stBMP, fallback, "BMP"},
      {"values as a missing key reads", "[SnapShot]\r\nDir=Error\r\nPicture=Error\r\n", fallback, TSnapshotType::stBMP,
       fallback, "BMP"},
      {"a folder of its own, made with its parents", "[SnapShot]\r\nDir=" + mine + "\r\nPicture=PNG\r\n", mine,
       TSnapshotType::stPNG, mine, "PNG"},
      {"the type in lower case is no type", "[SnapShot]\r\nDir=" + mine + "\r\nPicture=jpg\r\n", mine,
       TSnapshotType::stBMP, mine, "BMP"},
      {"another text", "[SnapShot]\r\nDir=" + mine + "\r\nPicture=TIFF\r\n", mine, TSnapshotType::stBMP, mine, "BMP"},
      {"JPG", "[SnapShot]\r\nDir=" + mine + "\r\nPicture=JPG\r\n", mine, TSnapshotType::stJPG, mine, "JPG"},
      {"GIF", "[SnapShot]\r\nDir=" + mine + "\r\nPicture=GIF\r\n", mine, TSnapshotType::stGIF, mine, "GIF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(options);
    fs::remove_all(scratch / "home");
    fs::remove_all(scratch / "mine");
    if (c.file) WriteOptions(*c.file);
    const TSnapshotOptions snapshot(options, fallback, nullptr);
    EXPECT_EQ(snapshot.Folder(), c.folder);
    EXPECT_TRUE(fs::is_directory(c.folder));
    EXPECT_EQ(snapshot.PictureType(), c.type);
    EXPECT_EQ(Stored("Dir"), c.storedDir);
    EXPECT_EQ(Stored("Picture"), c.storedPicture);
  }
}

TEST_F(SnapshotsTest, NamesCarryTheVideosNameAndTheFirstFreeNumber) {
  EXPECT_EQ(SnapshotFileName("/snaps", "/clips/holiday.avi", 1, TSnapshotType::stJPG), "/snaps/holiday_1.jpg");
  EXPECT_EQ(SnapshotFileName("/snaps/", "/clips/holiday.avi", 12, TSnapshotType::stBMP), "/snaps/holiday_12.bmp");
  EXPECT_EQ(SnapshotFileName("/snaps", "假期.2024.mkv", 3, TSnapshotType::stPNG), "/snaps/假期.2024_3.png");

  WriteOptions("[SnapShot]\r\nDir=" + (scratch / "snaps").string() + "\r\nPicture=JPG\r\n");
  TSnapshots snapshots = Make();
  auto picture = Picture();
  EXPECT_EQ(snapshots.TakeSnapshot(picture.get(), "/clips/holiday.avi"), (scratch / "snaps/holiday_1.jpg").string());
  EXPECT_EQ(snapshots.TakeSnapshot(picture.get(), "/clips/holiday.avi"), (scratch / "snaps/holiday_2.jpg").string());
  fs::remove(scratch / "snaps/holiday_1.jpg");
  EXPECT_EQ(snapshots.TakeSnapshot(picture.get(), "/clips/holiday.avi"), (scratch / "snaps/holiday_1.jpg").string());
  // Whatever holds a name takes it: a folder, or a link to nowhere (writing through it would put
  // the picture somewhere else).
  fs::create_directory(scratch / "snaps/holiday_3.jpg");
  fs::create_symlink(scratch / "elsewhere.jpg", scratch / "snaps/holiday_4.jpg");
  EXPECT_EQ(snapshots.TakeSnapshot(picture.get(), "/clips/holiday.avi"), (scratch / "snaps/holiday_5.jpg").string());
  EXPECT_FALSE(fs::exists(scratch / "elsewhere.jpg"));
}

TEST_F(SnapshotsTest, TheFirstSnapshotOfAFirstStartWritesTheDefaultsAndABitmap) {
  TSnapshots snapshots = Make();
  // No picture: nothing is saved, but folder and type are settled all the same.
  TBitmap empty;
  EXPECT_EQ(snapshots.TakeSnapshot(nullptr, "/clips/holiday.avi"), std::nullopt);
  EXPECT_EQ(snapshots.TakeSnapshot(&empty, "/clips/holiday.avi"), std::nullopt);
  EXPECT_TRUE(fs::is_directory(fallback));
  EXPECT_TRUE(fs::is_empty(fallback));
  EXPECT_EQ(Stored("Dir"), fallback);
  EXPECT_EQ(Stored("Picture"), "BMP");

  auto picture = Picture();
  const auto saved = snapshots.TakeSnapshot(picture.get(), "/clips/holiday.avi");
  ASSERT_EQ(saved, fallback + "/holiday_1.bmp");
  TBitmap back;
  back.LoadFromFile(*saved);
  EXPECT_EQ(back.Width(), 32);
  EXPECT_EQ(back.Height(), 24);
  EXPECT_EQ(std::memcmp(back.ScanLine(23), picture->ScanLine(23), 32 * 3), 0);
}

TEST_F(SnapshotsTest, EveryTypeDecodesToThePicture) {
  WriteOptions("[SnapShot]\r\nDir=" + scratch.string() + "\r\n");
  TSnapshots snapshots = Make();
  auto picture = Picture();
  // The lossless types keep every byte; JPEG blurs the colour edges a little.
  const std::pair<TSnapshotType, double> cases[] = {{TSnapshotType::stBMP, 0.0},
                                                    {TSnapshotType::stJPG, 3.0},
                                                    {TSnapshotType::stGIF, 0.0},
                                                    {TSnapshotType::stPNG, 0.0}};
  for (auto [type, tolerance] : cases) {
    SCOPED_TRACE(SnapshotTypeKey(type));
    snapshots.ChoosePictureType(type);
    const auto saved = snapshots.TakeSnapshot(picture.get(), "clip.mp4");
    ASSERT_TRUE(saved);
    EXPECT_EQ(fs::path(*saved).extension(), SnapshotTypeExtension(type));
    TPicture loaded;
    loaded.LoadFromFile(*saved);
    TBitmap back;
    back.Assign(loaded.Graphic());
    back.SetPixelFormat(TPixelFormat::pf24bit);
    ASSERT_EQ(back.Width(), 32);
    ASSERT_EQ(back.Height(), 24);
    int sum = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 96; ++x)
        sum += std::abs(int(static_cast<uint8_t*>(back.ScanLine(y))[x]) -
                        int(static_cast<uint8_t*>(picture->ScanLine(y))[x]));
    EXPECT_LE(sum / (24.0 * 96.0), tolerance);
  }
}

TEST_F(SnapshotsTest, TheMenuMarksTheTypeTheOptionsFileHolds) {
  TSnapshots snapshots = Make();
  TMenuItem* root = snapshots.Menu()->Items();
  ASSERT_EQ(root->Count(), 4);
  EXPECT_EQ(root->Items(0)->Caption(), "打开快照目录");
  EXPECT_EQ(root->Items(1)->Caption(), "设置快照目录");
  EXPECT_TRUE(root->Items(2)->IsLine());
  EXPECT_EQ(root->Items(3)->Caption(), "快照保存类型");
  auto marked = [&] {
    std::string names;
    for (auto type : {TSnapshotType::stBMP, TSnapshotType::stJPG, TSnapshotType::stGIF, TSnapshotType::stPNG})
      if (snapshots.TypeItem(type)->Checked()) names += SnapshotTypeKey(type);
    return names;
  };
  EXPECT_EQ(marked(), "BMP");

  snapshots.TypeItem(TSnapshotType::stPNG)->Click();
  EXPECT_EQ(Stored("Picture"), "PNG");
  EXPECT_EQ(marked(), "PNG");

  // A restart marks "BMP文件" until the menu opens or "设置" is clicked.
  TSnapshots restarted = Make();
  TMenuItem* png = restarted.TypeItem(TSnapshotType::stPNG);
  EXPECT_FALSE(png->Checked());
  restarted.Menu()->OnPopup(restarted.Menu());
  EXPECT_TRUE(png->Checked());
  WriteOptions("[SnapShot]\r\nPicture=GIF\r\n");
  restarted.MarkPictureType();
  EXPECT_TRUE(restarted.TypeItem(TSnapshotType::stGIF)->Checked());
  EXPECT_FALSE(png->Checked());
}

TEST_F(SnapshotsTest, TheFolderCommandsOpenAndChooseTheFolder) {
  std::vector<std::string> opened;
  const TDesktopOpener previous = SetDesktopOpener([&](const std::string& Target, std::string&) {
    opened.push_back(Target);
    return true;
  });
  Make().OpenFolderItem()->Click();
  SetDesktopOpener(previous);
  EXPECT_EQ(opened, std::vector<std::string>{fallback});
  EXPECT_TRUE(fs::is_directory(fallback));

  const std::string other = (scratch / "other").string();
  fs::create_directory(other);
  struct Case {
    const char* what;
    std::optional<std::string> chosen;
    std::string stored;
  };
  const Case cases[] = {
      {"a confirmed folder", other, other},
      {"a cancelled dialog", std::nullopt, other},
      {"a folder that does not exist", (scratch / "gone").string(), other},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Make(c.chosen).ChooseFolderItem()->Click();
    EXPECT_EQ(Stored("Dir"), c.stored);
  }
}

TEST_F(SnapshotsTest, FilesThatRefuseToBeWrittenNeitherCrashNorLoseTheSnapshot) {
  auto picture = Picture();
  // An options file whose folder cannot take it: the defaults are used and the refusal logged.
  options = (scratch / "no-such-folder" / "option.ini").string();
  TSnapshots snapshots = Make();
  const auto saved = snapshots.TakeSnapshot(picture.get(), "clip.mp4");
  EXPECT_EQ(saved, fallback + "/clip_1.bmp");
  EXPECT_TRUE(fs::exists(fallback + "/clip_1.bmp"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0].rfind("无法保存设置文件“" + options + "”", 0), 0u) << log[0];
  // A type the user picks and that cannot be stored is an error the application shows.
  try {
    snapshots.ChoosePictureType(TSnapshotType::stPNG);
    ADD_FAILURE() << "the refused type is reported";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message.rfind("无法保存设置文件“" + options + "”", 0), 0u) << e.Message;
  }

  // A snapshot folder that cannot be made (a file stands in its way): the save reports the
  // file's error and nothing is written anywhere else.
  options = (scratch / "option.ini").string();
  std::ofstream(scratch / "blocker") << "x";
  WriteOptions("[SnapShot]\r\nDir=" + (scratch / "blocker" / "snaps").string() + "\r\n");
  TSnapshots blocked = Make();
  EXPECT_THROW(blocked.TakeSnapshot(picture.get(), "clip.mp4"), Exception);
  EXPECT_EQ(Stored("Dir"), (scratch / "blocker" / "snaps").string());
  EXPECT_FALSE(fs::exists(fallback + "/clip_2.bmp"));
}

}  // namespace
