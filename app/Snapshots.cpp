#include "app/Snapshots.h"

#include "app/OptionFile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/graphics/Bitmap.h"
#include "platform/controls/Controls.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GIFImage.h"
#include "platform/core/IniFiles.h"
#include "platform/windowing/Input.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/PngImage.h"
#include "platform/core/SysUtils.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kSection = "SnapShot";
constexpr const char* kDirKey = "Dir";
constexpr const char* kPictureKey = "Picture";
// What the options file answers for a key it does not hold.
constexpr const char* kMissing = "Error";

struct TTypeInfo {
  TSnapshotType Type;
  const char* Key;
  const char* Extension;
  const char* Caption;
};

constexpr TTypeInfo kTypes[] = {
    {TSnapshotType::stBMP, "BMP", ".bmp", "BMP文件"},
    {TSnapshotType::stJPG, "JPG", ".jpg", "JPG文件"},
    {TSnapshotType::stGIF, "GIF", ".gif", "GIF文件"},
    {TSnapshotType::stPNG, "PNG", ".png", "PNG文件"},
};

const TTypeInfo& InfoOf(TSnapshotType Type) { return kTypes[static_cast<int>(Type)]; }

void MakeFolder(const std::string& Folder) {
  // A folder that cannot be made is used all the same: saving into it reports the error.
  if (!DirectoryExists(Folder)) ForceDirectories(Folder);
}

// Whether anything of that name is there (a dangling link too: writing through it would create
// a file somewhere else).
bool NameTaken(const std::string& Path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(Path, error);
  return !error && status.type() != fs::file_type::not_found;
}

}  // namespace

const char* SnapshotTypeKey(TSnapshotType Type) { return InfoOf(Type).Key; }
const char* SnapshotTypeExtension(TSnapshotType Type) { return InfoOf(Type).Extension; }
const char* SnapshotTypeCaption(TSnapshotType Type) { return InfoOf(Type).Caption; }

std::string DefaultSnapshotFolder() {
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "") + "/Qirelo视频软件/快照";
}

// ---- Options ------------------------------------------------------------------------------------

TSnapshotOptions::TSnapshotOptions(std::string OptionsFile, std::string DefaultFolder,
                                   std::function<void(const std::string&)> Log)
    : options_file_(std::move(OptionsFile)), default_folder_(std::move(DefaultFolder)), log_(std::move(Log)) {}

std::string TSnapshotOptions::ReadKey(const char* Key) const {
  if (!FileExists(options_file_)) return kMissing;
  try {
    return TIniFile(options_file_).ReadString(kSection, Key, kMissing);
  } catch (const Exception&) {
    return kMissing;  // an unreadable file holds nothing usable
  }
}

void TSnapshotOptions::WriteBack(const char* Key, const std::string& Value) const {
  try {
    TOptionFile(options_file_).Write(kSection, Key, Value);
  } catch (const Exception& E) {
    if (log_) log_(E.Message);
  }
}

std::string TSnapshotOptions::Folder() const {
  const std::string stored = ReadKey(kDirKey);
  if (!stored.empty() && stored != kMissing) {
    MakeFolder(stored);
    return stored;
  }
  MakeFolder(default_folder_);
  WriteBack(kDirKey, default_folder_);
  return default_folder_;
}

TSnapshotType TSnapshotOptions::PictureType() const {
  const std::string stored = ReadKey(kPictureKey);
  for (const TTypeInfo& info : kTypes)
    if (stored == info.Key) return info.Type;
  WriteBack(kPictureKey, SnapshotTypeKey(TSnapshotType::stBMP));
  return TSnapshotType::stBMP;
}

void TSnapshotOptions::SetPictureType(TSnapshotType Type) const {
  TOptionFile(options_file_).Write(kSection, kPictureKey, SnapshotTypeKey(Type));
}

void TSnapshotOptions::SetFolder(const std::string& Folder) const {
  TOptionFile(options_file_).Write(kSection, kDirKey, Folder);
}

// ---- Files --------------------------------------------------------------------------------------

std::string SnapshotFileName(const std::string& Folder, const std::string& MovieFile, int N, TSnapshotType Type) {
  std::string name = Folder;
  if (name.empty() || name.back() != '/') name += '/';
  return name + fs::path(MovieFile).stem().string() + "_" + std::to_string(N) + SnapshotTypeExtension(Type);
}

std::string NextSnapshotFileName(const std::string& Folder, const std::string& MovieFile, TSnapshotType Type) {
  for (int n = 1;; ++n) {
    std::string name = SnapshotFileName(Folder, MovieFile, n, Type);
    if (!NameTaken(name)) return name;
  }
}

void SaveSnapshotPicture(TBitmap& Picture, TSnapshotType Type, const std::string& FileName) {
  std::unique_ptr<TGraphic> image;
  switch (Type) {
    case TSnapshotType::stBMP:
      Picture.SaveToFile(FileName);
      return;
    case TSnapshotType::stJPG:
      image = std::make_unique<TJPEGImage>();
      break;
    case TSnapshotType::stGIF:
      image = std::make_unique<TGIFImage>();
      break;
    case TSnapshotType::stPNG:
      image = std::make_unique<TPngImage>();
      break;
  }
  image->Assign(&Picture);
  image->SaveToFile(FileName);
}

// ---- The snapshot commands ------------------------------------------------------------------------

TSnapshots::TSnapshots(std::string OptionsFile, TSnapshotHooks Hooks, std::string DefaultFolder)
    : options_(std::move(OptionsFile), std::move(DefaultFolder), Hooks.Log), hooks_(std::move(Hooks)) {
  BuildMenu();
}

TSnapshots::~TSnapshots() = default;

void TSnapshots::BuildMenu() {
  menu_ = std::make_unique<TvlSkinPopupMenu>(nullptr);
  auto item = [this](TMenuItem* Parent, const std::string& Caption, std::function<void()> Action) {
    auto* i = new TMenuItem(menu_.get());
    i->SetCaption(Caption);
    if (Action) i->OnClick = [Action = std::move(Action)](TObject*) { Action(); };
    Parent->Add(i);
    return i;
  };
  TMenuItem* root = menu_->Items();
  open_folder_item_ = item(root, "打开快照目录", [this] { OpenSnapshotFolder(); });
  choose_folder_item_ = item(root, "设置快照目录", [this] { ChooseSnapshotFolder(); });
  item(root, cLineCaption, nullptr);
  TMenuItem* types = item(root, "快照保存类型", nullptr);
  for (const TTypeInfo& info : kTypes) {
    TMenuItem* i = item(types, info.Caption, [this, type = info.Type] { ChoosePictureType(type); });
    i->SetRadioItem(true);
    i->SetGroupIndex(1);
    type_items_[static_cast<int>(info.Type)] = i;
  }
  Mark(TSnapshotType::stBMP);
  // Whatever changed the file since, the menu shows the type the next snapshot takes.
  menu_->OnPopup = [this](TObject*) { MarkPictureType(); };
}

TMenuItem* TSnapshots::TypeItem(TSnapshotType Type) const { return type_items_[static_cast<int>(Type)]; }

void TSnapshots::Mark(TSnapshotType Type) { TypeItem(Type)->SetChecked(true); }

std::optional<std::string> TSnapshots::TakeSnapshot(TBitmap* Shown, const std::string& MovieFile) {
  TBitmap picture;
  if (Shown) picture.Assign(Shown);
  const std::string folder = options_.Folder();
  const TSnapshotType type = options_.PictureType();
  Mark(type);
  if (picture.Width() == 0) return std::nullopt;
  std::string file = NextSnapshotFileName(folder, MovieFile, type);
  SaveSnapshotPicture(picture, type, file);
  return file;
}

void TSnapshots::PopupMenuAtCursor(TControl* Opener) {
  TPoint p{0, 0};
  GetCursorPos(&p);
  menu_->FComponentForm = TWeak<TCustomForm>(Opener ? GetParentForm(Opener) : nullptr);
  menu_->Popup(p.X, p.Y);
}

void TSnapshots::MarkPictureType() { Mark(options_.PictureType()); }

void TSnapshots::OpenSnapshotFolder() { OpenWithDesktop(options_.Folder()); }

void TSnapshots::ChooseSnapshotFolder() {
  if (!hooks_.ChooseFolder) return;
  const std::optional<std::string> chosen = hooks_.ChooseFolder();
  if (chosen && DirectoryExists(*chosen)) options_.SetFolder(*chosen);
}

void TSnapshots::ChoosePictureType(TSnapshotType Type) {
  options_.SetPictureType(Type);
  Mark(Type);
}
