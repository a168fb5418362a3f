// The path routines, the filter combo box and the drive combo box.
#include "lib/dialogs/vlFileCtrl.h"

#include <cerrno>
#include <filesystem>

#include "lib/dialogs/vlFileCtrlDetail.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/shell/Mounts.h"
#include "platform/core/Resources.h"
#include "platform/core/SysUtils.h"

// ---- Shared helpers -----------------------------------------------------------------------------

namespace vl_file_ctrl {

std::string NormalFolder(const std::string& Path) {
  std::string out = std::filesystem::path(Path).lexically_normal().string();
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out.empty() ? std::string("/") : out;
}

std::string MountOf(const std::string& Folder) {
  TMountPoint mount;
  return FindUserMount(Folder, mount) ? mount.Path : std::string();
}

void RequireFolder(const std::string& Folder) {
  if (!IsExistingFolder(Folder)) throw EInOutError("无法进入文件夹“" + Folder + "”", ENOENT);
}

std::unique_ptr<TBitmap> LoadPicture(const char* Name) {
  if (!FindResourceData(Name, RT_BITMAP)) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromResourceName(HInstance(), Name);
  bitmap->SetTransparent(true);  // the bottom-left pixel's colour is left out
  return bitmap;
}

void DrawPicture(TCanvas* Canvas, TBitmap* Picture, int X, const TRect& R) {
  if (Picture) Canvas->Draw(X, (R.Top + R.Bottom - Picture->Height()) / 2, Picture);
}

}  // namespace vl_file_ctrl

using namespace vl_file_ctrl;

// ---- Path routines ------------------------------------------------------------------------------

bool IsExistingFolder(const std::string& Path) { return !Path.empty() && DirectoryExists(Path); }

std::string JoinPath(const std::string& Folder, const std::string& Name) {
  if (!Folder.empty() && Folder.back() == '/') return Folder + Name;
  return Folder + "/" + Name;
}

int CountBackslashes(const std::string& Path) {
  int count = 0;
  for (char c : Path) count += c == '/' ? 1 : 0;
  return count;
}

namespace {

// One step of shortening a folder part ("/a/b/" → "/.../b/"): the leading separator is set
// aside, an earlier "...": dropped, then the first folder gives way to "...".
std::string DropFirstFolder(std::string Folder) {
  if (Folder == "/") return "";
  const bool rooted = !Folder.empty() && Folder.front() == '/';
  if (rooted) Folder.erase(0, 1);
  if (Folder.rfind(".../", 0) == 0) Folder.erase(0, 4);
  const std::size_t slash = Folder.find('/');
  Folder = slash == std::string::npos ? std::string() : ".../" + Folder.substr(slash + 1);
  return Folder.empty() ? Folder : (rooted ? "/" : "") + Folder;
}

std::string InCase(const std::string& Text, TTextCase TextCase) {
  return TextCase == TTextCase::tcLowerCase ? AnsiLowerCase(Text) : AnsiUpperCase(Text);
}

bool FindMount(const std::string& Drive, TMountPoint& Out) {
  for (const TMountPoint& m : UserMounts())
    if (m.Path == Drive) {
      Out = m;
      return true;
    }
  return false;
}

}  // namespace

std::string ShortenPathToWidth(const std::string& Path, TCanvas* Canvas, int Width) {
  const std::size_t slash = Path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
  const std::string file = Path.substr(folder.size());
  std::string result = Path;
  while (Canvas->TextWidth(result) > Width && !folder.empty()) {
    folder = folder == "/.../" ? ".../" : DropFirstFolder(folder);
    result = folder + file;
  }
  return result;
}

std::string VolumeLabelText(const std::string& Drive, TTextCase TextCase) {
  TMountPoint mount;
  const std::string label = FindMount(Drive, mount) ? mount.Label : std::string();
  return "[" + InCase(label, TextCase) + "]";
}

std::string NetworkDriveText(const std::string& Drive, TTextCase TextCase) {
  TMountPoint mount;
  if (FindMount(Drive, mount) && mount.DriveType == DRIVE_REMOTE && !mount.Source.empty())
    return InCase(mount.Source, TextCase);
  return VolumeLabelText(Drive, TextCase);
}

TvlSplitPath SplitPathText(const std::string& Text, const std::string& CurrentFolder) {
  std::string text = Text;
  // A folder entry of the file list ("[name]").
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
  const std::string full = !text.empty() && text.front() == '/' ? text : JoinPath(CurrentFolder, text);
  const std::size_t slash = full.rfind('/');
  TvlSplitPath out;
  out.Folder = NormalFolder(full.substr(0, slash + 1));
  out.File = full.substr(slash + 1);
  RequireFolder(out.Folder);
  if (!out.File.empty() && out.File.find_first_of("*?") == std::string::npos &&
      !FileExists(JoinPath(out.Folder, out.File))) {
    // Neither a mask nor a file: a folder to enter.
    const std::string folder = NormalFolder(JoinPath(out.Folder, out.File));
    RequireFolder(folder);
    out.Folder = folder;
    out.File.clear();
  }
  out.Drive = MountOf(out.Folder);
  return out;
}

// ---- Filter combo box ---------------------------------------------------------------------------

TvlSkinFilterComboBox::TvlSkinFilterComboBox(TComponent* AOwner) : TvlSkinComboBox(AOwner) {
  SetFilter(kDefaultFilter);
}

void TvlSkinFilterComboBox::SetFilter(const std::string& Value) {
  if (!FFilter.empty() && SameText(Value, FFilter)) return;
  FFilter = Value;
  // The entries exist at once (the items live in the drop-down list, not in the window), so
  // an index chosen before the box is shown stays chosen.
  BuildFilterList();
  ItemIndexChanged();
}

void TvlSkinFilterComboBox::BuildFilterList() {
  Items()->Clear();
  FMaskList.Clear();
  std::string rest = FFilter;
  for (std::size_t bar = rest.find('|'); bar != std::string::npos; bar = rest.find('|')) {
    const std::string description = rest.substr(0, bar);
    rest.erase(0, bar + 1);
    const std::size_t next = rest.find('|');
    const std::string mask = rest.substr(0, next);
    rest.erase(0, next == std::string::npos ? rest.size() : next + 1);
    Items()->Add(description);
    FMaskList.Add(mask);
  }
  if (Items()->Count() > 0) SetItemIndex(0);
}

std::string TvlSkinFilterComboBox::Mask() const {
  if (FMaskList.Count() == 0) return "*.*";
  const int index = ItemIndex();
  return FMaskList.Strings(index >= 0 && index < FMaskList.Count() ? index : FMaskList.Count() - 1);
}

void TvlSkinFilterComboBox::ItemIndexChanged() {
  if (FFileList) FFileList->SetMask(Mask());
}

void TvlSkinFilterComboBox::SetFileList(TvlSkinFileListBox* Value) {
  if (Value == FFileList) return;
  if (FFileList) FFileList->LinkFilterCombo(nullptr);
  ReplaceReference(FFileList, Value);
  if (FFileList) FFileList->LinkFilterCombo(this);
}

void TvlSkinFilterComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinComboBox::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FFileList) FFileList = nullptr;
}

// ---- Drive combo box ----------------------------------------------------------------------------

TvlSkinDriveComboBox::TvlSkinDriveComboBox(TComponent* AOwner) : TvlSkinComboBox(AOwner) {
  OnChange = [this](TObject*) { DriveSelected(); };
  auto draw = [this](TCanvas* Cnvs, int Index, int, int, const TRect& TxtRect, TOwnerDrawState) {
    DrawDriveItem(Cnvs, Index, TxtRect);
  };
  OnComboBoxDrawItem = draw;
  SetOnListBoxDrawItem(draw);
  FloppyBMP = LoadPicture("VL_FLOPPY");
  FixedBMP = LoadPicture("VL_HARD");
  NetworkBMP = LoadPicture("VL_NETWORK");
  CDROMBMP = LoadPicture("VL_CDROM");
  RAMBMP = LoadPicture("VL_RAM");
  FDrive = MountOf(NormalFolder(GetCurrentDir()));
}

TvlSkinDriveComboBox::~TvlSkinDriveComboBox() = default;

void TvlSkinDriveComboBox::BuildDriveList() {
  Items()->BeginUpdate();
  Items()->Clear();
  FDrivePaths.clear();
  FDriveBitmaps.clear();
  for (const TMountPoint& mount : UserMounts()) {
    std::string text;
    TBitmap* picture = nullptr;
    switch (mount.DriveType) {
      case DRIVE_REMOVABLE: text = mount.Path, picture = FloppyBMP.get(); break;
      case DRIVE_FIXED: text = mount.Path + " " + VolumeLabelText(mount.Path, FTextCase), picture = FixedBMP.get(); break;
      case DRIVE_REMOTE: text = mount.Path + " " + NetworkDriveText(mount.Path, FTextCase), picture = NetworkBMP.get(); break;
      case DRIVE_CDROM: text = mount.Path + " " + VolumeLabelText(mount.Path, FTextCase), picture = CDROMBMP.get(); break;
      case DRIVE_RAMDISK: text = mount.Path + " " + VolumeLabelText(mount.Path, FTextCase), picture = RAMBMP.get(); break;
      default: continue;  // undetermined, or no root folder
    }
    Items()->Add(text);
    FDrivePaths.push_back(mount.Path);
    FDriveBitmaps.push_back(picture);
  }
  Items()->EndUpdate();
}

void TvlSkinDriveComboBox::CreateWnd() {
  TvlSkinComboBox::CreateWnd();
  BuildDriveList();
  SelectStoredDrive();
}

void TvlSkinDriveComboBox::SelectStoredDrive() {
  const std::string drive = FDrive;
  FDrive.clear();  // an item may be selected already: make the write go through
  SetDrive(drive);
}

void TvlSkinDriveComboBox::SetDrive(const std::string& Value) {
  if (ItemIndex() >= 0 && Value == FDrive) return;
  FDrive = Value;
  int index = -1;
  for (std::size_t i = 0; i < FDrivePaths.size() && !Value.empty(); ++i)
    if (FDrivePaths[i] == Value) {
      index = static_cast<int>(i);
      break;
    }
  SetItemIndex(index);
  if (FDirList) FDirList->SwitchDrive(FDrive);
  ItemIndexChanged();
}

void TvlSkinDriveComboBox::SetTextCase(TTextCase Value) {
  if (Value == FTextCase) return;
  FTextCase = Value;
  BuildDriveList();
  SelectStoredDrive();
}

void TvlSkinDriveComboBox::SetDirList(TvlSkinDirectoryListBox* Value) {
  if (Value == FDirList) return;
  if (FDirList) FDirList->LinkDriveCombo(nullptr);
  ReplaceReference(FDirList, Value);
  if (FDirList) FDirList->LinkDriveCombo(this);
}

void TvlSkinDriveComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinComboBox::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FDirList) FDirList = nullptr;
}

void TvlSkinDriveComboBox::DriveSelected() {
  const int index = ItemIndex();
  if (index >= 0 && index < static_cast<int>(FDrivePaths.size())) SetDrive(FDrivePaths[static_cast<std::size_t>(index)]);
}

TBitmap* TvlSkinDriveComboBox::DriveBitmap(int Index) const {
  return Index >= 0 && Index < static_cast<int>(FDriveBitmaps.size()) ? FDriveBitmaps[static_cast<std::size_t>(Index)]
                                                                        : nullptr;
}

void TvlSkinDriveComboBox::DrawDriveItem(TCanvas* Cnvs, int Index, const TRect& TxtRect) {
  if (Index < 0 || Index >= Items()->Count()) return;
  TBitmap* picture = DriveBitmap(Index);
  DrawPicture(Cnvs, picture, TxtRect.Left, TxtRect);
  const int x = TxtRect.Left + (picture ? picture->Width() : 0) + 6;
  Cnvs->Brush()->SetStyle(TBrushStyle::bsClear);
  Cnvs->TextOut(x, (TxtRect.Top + TxtRect.Bottom) / 2 - Cnvs->TextHeight("Wg") / 2, Items()->Strings(Index));
}
