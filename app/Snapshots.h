#pragma once
// Snapshots of the preview: the picture the preview shows, saved into the snapshot folder as a
// BMP, JPG, GIF or PNG file named after the previewed video with a running number, so that
// repeated snapshots never overwrite each other (holiday_1.jpg, holiday_2.jpg, ...).
//
// Folder and type live in section [SnapShot] of the options file ("option.ini" beside the
// program) and are read at every use; nothing is kept in memory between two snapshots:
//
//   [SnapShot]
//   Dir=/home/me/Qirelo视频软件/快照     absolute folder; missing, empty or "Error": the default
//   Picture=BMP                           BMP, JPG, GIF or PNG, exactly; anything else: BMP
//
// A value that is missing or not one of the above is replaced by its default, which is written
// back. Folders are created with all missing parents when they do not exist.
//
// The "设置" button's menu (open the folder, choose it, and the four types as radio items of
// one group) belongs to TSnapshots; its mark follows the options file each time the menu opens,
// a snapshot is taken or a type is picked. GUI thread only.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "lib/menus/vlSkinMenus.h"

class TBitmap;
class TControl;

enum class TSnapshotType { stBMP, stJPG, stGIF, stPNG };

// The value stored under "Picture" ("BMP" ...), the file extension (".bmp" ...) and the menu
// item's caption ("BMP文件" ...).
[[nodiscard]] const char* SnapshotTypeKey(TSnapshotType Type);
[[nodiscard]] const char* SnapshotTypeExtension(TSnapshotType Type);
[[nodiscard]] const char* SnapshotTypeCaption(TSnapshotType Type);

// "$HOME/Qirelo视频软件/快照".
[[nodiscard]] std::string DefaultSnapshotFolder();

// Section [SnapShot] of the options file. Each call reads or writes the file anew.
class TSnapshotOptions {
 public:
  // OptionsFile: the options file (its folder must exist for writes). Log: where a write-back
  // the file refuses is reported (the value read is used all the same).
  TSnapshotOptions(std::string OptionsFile, std::string DefaultFolder, std::function<void(const std::string&)> Log);

  // The snapshot folder: [SnapShot] "Dir" when the file exists and the value is neither empty nor
  // "Error", else the default folder, which is then written to "Dir". Created with its parents
  // when missing; a folder that cannot be created is still answered (saving into it fails).
  [[nodiscard]] std::string Folder() const;
  // [SnapShot] "Picture" when the file exists and the value is one of the four keys (case
  // included); else BMP, and "BMP" is written back.
  [[nodiscard]] TSnapshotType PictureType() const;
  // Writes "Picture" / "Dir". Raises EIniFileException when the file refuses the write.
  void SetPictureType(TSnapshotType Type) const;
  void SetFolder(const std::string& Folder) const;

  [[nodiscard]] const std::string& OptionsFile() const { return options_file_; }

 private:
  [[nodiscard]] std::string ReadKey(const char* Key) const;
  // Writes a default the reader replaced; a refused write is logged, not raised.
  void WriteBack(const char* Key, const std::string& Value) const;

  std::string options_file_;
  std::string default_folder_;
  std::function<void(const std::string&)> log_;
};

// The file a snapshot of MovieFile takes in Folder with number N: "<Folder>/<name>_<N><ext>",
// name being MovieFile's name without folder and extension.
[[nodiscard]] std::string SnapshotFileName(const std::string& Folder, const std::string& MovieFile, int N,
                                           TSnapshotType Type);
// The snapshot file of the smallest N >= 1 whose name nothing in Folder holds yet (a file, a
// folder or a link of that name all count as taken, so nothing is ever overwritten).
[[nodiscard]] std::string NextSnapshotFileName(const std::string& Folder, const std::string& MovieFile,
                                               TSnapshotType Type);
// Saves Picture as a file of that type: the bitmap itself for BMP, else the image library's
// encoder with its defaults (JPEG quality 90). Raises the file's error when it cannot be written.
void SaveSnapshotPicture(TBitmap& Picture, TSnapshotType Type, const std::string& FileName);

// What TSnapshots needs of the main window.
struct TSnapshotHooks {
  // The folder dialog shared with the output folder (title "选择输出目录"); nothing when the
  // user cancels.
  std::function<std::optional<std::string>()> ChooseFolder;
  // A line for the window's log.
  std::function<void(const std::string&)> Log;
};

class TSnapshots {
 public:
  TSnapshots(std::string OptionsFile, TSnapshotHooks Hooks, std::string DefaultFolder = DefaultSnapshotFolder());
  ~TSnapshots();
  TSnapshots(const TSnapshots&) = delete;
  TSnapshots& operator=(const TSnapshots&) = delete;

  // vlSkinButton22Click: copies Shown (the player's current picture; nullptr counts as none),
  // determines folder and type (also when there is no picture) and, when the copy is not empty,
  // saves it under the next free name for MovieFile. Answers the file written, or nothing when
  // there was no picture. Raises the file's error when the folder cannot take it.
  std::optional<std::string> TakeSnapshot(TBitmap* Shown, const std::string& MovieFile);
  // vlSkinButton23MouseDown: pops the menu up at the mouse cursor, skinned by the form skinner
  // of Opener's form (the left button only; the caller filters). Returns at once; the chosen
  // command runs once the menu has closed.
  void PopupMenuAtCursor(TControl* Opener);
  // vlSkinButton23Click: marks the saved type in the menu.
  void MarkPictureType();
  // MenuItem1Click: opens the snapshot folder (created when missing) in the desktop's file browser.
  void OpenSnapshotFolder();
  // MenuItem2Click: the folder dialog; a confirmed folder that exists becomes "Dir".
  void ChooseSnapshotFolder();
  // BMP1Click ... PNG1Click: writes "Picture" and marks the item.
  void ChoosePictureType(TSnapshotType Type);

  [[nodiscard]] const TSnapshotOptions& Options() const { return options_; }
  // vlSkinPopupMenu2 and its items.
  [[nodiscard]] TvlSkinPopupMenu* Menu() const { return menu_.get(); }
  [[nodiscard]] TMenuItem* OpenFolderItem() const { return open_folder_item_; }
  [[nodiscard]] TMenuItem* ChooseFolderItem() const { return choose_folder_item_; }
  [[nodiscard]] TMenuItem* TypeItem(TSnapshotType Type) const;

 private:
  void BuildMenu();
  void Mark(TSnapshotType Type);

  TSnapshotOptions options_;
  TSnapshotHooks hooks_;
  std::unique_ptr<TvlSkinPopupMenu> menu_;
  TMenuItem* open_folder_item_ = nullptr;    // owned by the menu
  TMenuItem* choose_folder_item_ = nullptr;  // owned by the menu
  TMenuItem* type_items_[4] = {};            // owned by the menu
};
