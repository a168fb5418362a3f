// The directory list box and the file list box.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <set>

#include "lib/dialogs/vlFileCtrl.h"
#include "lib/dialogs/vlFileCtrlDetail.h"
#include "lib/dialogs/vlShellGuards.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Edit.h"
#include "platform/shell/Masks.h"
#include "platform/shell/Mounts.h"
#include "platform/core/SysUtils.h"

using namespace vl_file_ctrl;

namespace {

constexpr std::uint64_t kReadOnly = 0x1, kHidden = 0x2, kSystem = 0x4, kVolumeID = 0x8, kDirectory = 0x10,
                        kArchive = 0x20;

// The names in Folder, "." and ".." included, in the order the system gives them.
std::vector<std::string> FolderEntries(const std::string& Folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(Folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    ::closedir(dir);
  }
  return names;
}

// The visible sub-folders of Folder, sorted ignoring case.
std::vector<std::string> ReadSubFolders(const std::string& Folder) {
  std::vector<std::string> names;
  for (const std::string& name : FolderEntries(Folder))
    if (name != "." && name != ".." && (FileAttributesOf(Folder, name) & (kDirectory | kHidden | kSystem)) == kDirectory)
      names.push_back(name);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return AnsiCompareText(a, b) < 0;
  });
  return names;
}

// The file systems that keep the case of names but find them in any case.
bool CaseBlindFileSystem(const std::string& FileSystem) {
  for (const char* fs : {"vfat", "msdos", "exfat", "ntfs", "ntfs3", "fuseblk", "iso9660", "udf"})
    if (FileSystem == fs) return true;
  return false;
}

bool MatchesAnyName(const std::string& Name, const std::string& Mask) {
  if (Mask == "*" || Mask == "*.*") return true;
  try {
    return MatchesMask(Name, Mask);
  } catch (const EMaskException&) {
    return false;  // a mask that cannot be read matches nothing
  }
}

}  // namespace

std::uint64_t FileAttributesOf(const std::string& Folder, const std::string& Name) {
  struct stat st {};
  if (::lstat(JoinPath(Folder, Name).c_str(), &st) != 0) return 0;
  if (S_ISLNK(st.st_mode)) {
    struct stat target {};
    if (::stat(JoinPath(Folder, Name).c_str(), &target) == 0) st = target;
  }
  std::uint64_t bits = 0;
  if ((st.st_mode & S_IWUSR) == 0) bits |= kReadOnly;
  if (!Name.empty() && Name.front() == '.' && Name != "." && Name != "..") bits |= kHidden;
  if (S_ISDIR(st.st_mode))
    bits |= kDirectory;
  else if (S_ISREG(st.st_mode))
    bits |= kArchive;
  else
    bits |= kSystem;
  return bits;
}

// ---- Directory list box -------------------------------------------------------------------------

TvlSkinDirectoryListBox::TvlSkinDirectoryListBox(TComponent* AOwner) : TvlSkinListBox(AOwner) {
  OnDrawItem = [this](TCanvas* Cnvs, int Index, int, int, const TRect& TxtRect, TOwnerDrawState) {
    DrawFolderItem(Cnvs, Index, TxtRect);
  };
  SetWidth(145);
  SetSorted(false);
  LoadFolderBitmaps();
  FDirectory = NormalFolder(GetCurrentDir());
}

TvlSkinDirectoryListBox::~TvlSkinDirectoryListBox() = default;

void TvlSkinDirectoryListBox::LoadFolderBitmaps() {
  ClosedBMP = LoadPicture("VL_CLOSEDFOLDER");
  OpenedBMP = LoadPicture("VL_OPENFOLDER");
  CurrentBMP = LoadPicture("VL_CURRENTFOLDER");
}

void TvlSkinDirectoryListBox::CreateWnd() {
  TvlSkinListBox::CreateWnd();
  BuildFolderList();
  SetItemIndex(FCurrentIndex);
}

void TvlSkinDirectoryListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinListBox::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FFileList) FFileList = nullptr;
  if (AComponent == FDriveCombo) FDriveCombo = nullptr;
  if (AComponent == FDirLabel) FDirLabel = nullptr;
}

std::string TvlSkinDirectoryListBox::Drive() const { return MountOf(FDirectory); }

void TvlSkinDirectoryListBox::SetDrive(const std::string& Value) {
  if (!Value.empty() && Value != Drive()) SetDirectory(Value);
}

void TvlSkinDirectoryListBox::SetDirectory(const std::string& Value) {
  if (Value.empty() || FileCompareText(Value, FDirectory) == 0) return;
  const TvlSplitPath split = SplitPathText(Value, FDirectory);
  if (split.Drive != Drive()) {
    TvlFlagScope busy(FInSetDir);
    if (FDriveCombo)
      FDriveCombo->SetDrive(split.Drive);  // reaches SwitchDrive through the combo's link
    else
      SwitchDrive(split.Drive);
  }
  EnterFolder(split.Folder);
}

void TvlSkinDirectoryListBox::SwitchDrive(const std::string& Value) {
  if (Value == Drive()) return;
  if (!Value.empty()) {
    const auto last = FDriveFolders.find(Value);
    const std::string folder = last != FDriveFolders.end() && IsExistingFolder(last->second) ? last->second : Value;
    if (IsExistingFolder(folder)) FDirectory = folder;  // a drive that cannot be entered keeps the folder
  }
  if (FInSetDir) return;
  FDriveFolders[Drive()] = FDirectory;
  BuildFolderList();
  FolderChanged();
}

void TvlSkinDirectoryListBox::EnterFolder(const std::string& Folder) {
  RequireFolder(Folder);
  FDirectory = NormalFolder(Folder);
  FDriveFolders[Drive()] = FDirectory;
  BuildFolderList();
  FolderChanged();
}

void TvlSkinDirectoryListBox::FolderChanged() {
  if (FFileList) FFileList->SetDirectory(FDirectory);
  UpdateDirLabel();
  if (OnChange) OnChange(this);
}

void TvlSkinDirectoryListBox::OpenCurrent() {
  const std::string path = GetItemPath(ItemIndex());
  if (!path.empty()) SetDirectory(path);
}

void TvlSkinDirectoryListBox::Update() {
  BuildFolderList();
  FolderChanged();
}

void TvlSkinDirectoryListBox::ListBoxDblClick() {
  TvlSkinListBox::ListBoxDblClick();
  OpenCurrent();
}

void TvlSkinDirectoryListBox::ListBoxKeyPress(char32_t& Key) {
  TvlSkinListBox::ListBoxKeyPress(Key);
  if (Key == 13) OpenCurrent();
}

std::string TvlSkinDirectoryListBox::DisplayCase(const std::string& S) const {
  return FPreserveCase || FCaseSensitive ? S : AnsiLowerCase(S);
}

int TvlSkinDirectoryListBox::FileCompareText(const std::string& A, const std::string& B) const {
  return FCaseSensitive ? AnsiCompareStr(A, B) : AnsiCompareText(A, B);
}

void TvlSkinDirectoryListBox::BuildFolderList() {
  TMountPoint mount;
  if (FindUserMount(FDirectory, mount)) {
    FCaseSensitive = !CaseBlindFileSystem(mount.FileSystem);
    FPreserveCase = mount.FileSystem != "msdos";
  }
  TStrings* items = Items();
  items->BeginUpdate();
  items->Clear();
  FPictures.clear();
  // The path from the root: "/" and each folder on the way opened, the folder itself current.
  std::vector<std::string> parts{"/"};
  for (std::size_t start = 1; start < FDirectory.size();) {
    const std::size_t slash = std::min(FDirectory.find('/', start), FDirectory.size());
    parts.push_back(FDirectory.substr(start, slash - start));
    start = slash + 1;
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    items->Add(parts[i]);
    FPictures.push_back(i + 1 < parts.size() ? TFolderPicture::Opened : TFolderPicture::Current);
  }
  FCurrentIndex = static_cast<int>(parts.size()) - 1;
  for (const std::string& name : ReadSubFolders(FDirectory)) {
    items->Add(name);
    FPictures.push_back(TFolderPicture::Closed);
  }
  items->EndUpdate();
  if (HandleAllocated()) {
    SetItemIndex(FCurrentIndex);
    UpDateScrollBar();
  }
}

TvlSkinDirectoryListBox::TFolderPicture TvlSkinDirectoryListBox::ItemPicture(int Index) const {
  return Index >= 0 && Index < static_cast<int>(FPictures.size()) ? FPictures[static_cast<std::size_t>(Index)]
                                                                   : TFolderPicture::Closed;
}

int TvlSkinDirectoryListBox::ItemIndent(int Index) const {
  if (ItemPicture(Index) == TFolderPicture::Closed) return (CountBackslashes(FDirectory) + 1) * 4 + 2;
  return Index * 4 + 2;
}

TBitmap* TvlSkinDirectoryListBox::PictureBitmap(TFolderPicture Picture) const {
  switch (Picture) {
    case TFolderPicture::Opened: return OpenedBMP.get();
    case TFolderPicture::Current: return CurrentBMP.get();
    case TFolderPicture::Closed: return ClosedBMP.get();
  }
  return nullptr;
}

std::string TvlSkinDirectoryListBox::GetItemPath(int Index) const {
  if (Index < 0 || Index >= Items()->Count()) return "";
  if (Index == 0) return "/";
  switch (ItemPicture(Index)) {
    case TFolderPicture::Closed: return JoinPath(FDirectory, Items()->Strings(Index));
    case TFolderPicture::Current: return FDirectory;
    case TFolderPicture::Opened: break;
  }
  // The directory up to its (Index + 1)-th separator.
  std::size_t end = 0;
  for (int i = 0; i <= Index && end != std::string::npos; ++i) end = FDirectory.find('/', end + (i > 0 ? 1 : 0));
  return FDirectory.substr(0, end);
}

int TvlSkinDirectoryListBox::GetItemWidth(int Index, TCanvas* Canvas) {
  TBitmap* picture = PictureBitmap(ItemPicture(Index));
  return Canvas->TextWidth(Items()->Strings(Index)) + ItemIndent(Index) + (picture ? picture->Width() : 16) + 4;
}

void TvlSkinDirectoryListBox::DrawFolderItem(TCanvas* Cnvs, int Index, const TRect& TxtRect) {
  if (Index < 0 || Index >= Items()->Count()) return;
  TBitmap* picture = PictureBitmap(ItemPicture(Index));
  const int indent = ItemIndent(Index);
  const int scrolled = ListBox->HorizontalExtentValue();
  DrawPicture(Cnvs, picture, TxtRect.Left + indent - scrolled, TxtRect);
  Cnvs->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawTextAtLeftOffset(Cnvs, Items()->Strings(Index), TxtRect, (picture ? picture->Width() : 16) + indent + 4 - scrolled);
}

void TvlSkinDirectoryListBox::SetFileList(TvlSkinFileListBox* Value) {
  if (Value == FFileList) return;
  if (FFileList) FFileList->LinkDirList(nullptr);
  ReplaceReference(FFileList, Value);
  if (FFileList) FFileList->LinkDirList(this);
}

void TvlSkinDirectoryListBox::SetDirLabel(TvlSkinStdLabel* Value) {
  ReplaceReference(FDirLabel, Value);
  UpdateDirLabel();
}

void TvlSkinDirectoryListBox::UpdateDirLabel() {
  if (!FDirLabel) return;
  TBitmap measure;  // the label's font on a canvas of our own: the label may have no window yet
  measure.Canvas()->Font()->Assign(FDirLabel->Font());
  const int width = FDirLabel->AutoSize() ? Width() : FDirLabel->Width();
  FDirLabel->SetCaption(ShortenPathToWidth(FDirectory, measure.Canvas(), width));
}

// ---- File list box ------------------------------------------------------------------------------

TvlSkinFileListBox::TvlSkinFileListBox(TComponent* AOwner) : TvlSkinListBox(AOwner) {
  SetWidth(145);
  FDirectory = NormalFolder(GetCurrentDir());
  SetMultiSelect(false);
  SetSorted(true);
}

TvlSkinFileListBox::~TvlSkinFileListBox() = default;

void TvlSkinFileListBox::CreateWnd() {
  TvlSkinListBox::CreateWnd();
  // A window is never refused over a folder that went away meanwhile: the list stays empty.
  if (IsExistingFolder(FDirectory)) FillFileList();
}

void TvlSkinFileListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinListBox::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FFileEdit) FFileEdit = nullptr;
  if (AComponent == FDirList) FDirList = nullptr;
  if (AComponent == FFilterCombo) FFilterCombo = nullptr;
}

void TvlSkinFileListBox::Update() { FillFileList(); }

void TvlSkinFileListBox::FillFileList() {
  if (!HandleAllocated()) return;
  const std::uint64_t attributes = FFileType.Bits() & (kReadOnly | kHidden | kSystem | kVolumeID | kDirectory | kArchive);
  // The search leaves out hidden, system and folder entries unless it asks for them.
  const std::uint64_t excluded = ~attributes & (kHidden | kSystem | kVolumeID | kDirectory);
  const bool normal = FFileType.Contains(TvlFileAttr::vlftNormal);
  RequireFolder(FDirectory);
  const std::vector<std::string> names = FolderEntries(FDirectory);
  std::optional<TvlBusyCursor> busy;
  std::set<std::string> listed;  // a name two masks match is listed once
  TStrings* items = Items();
  items->BeginUpdate();
  items->Clear();
  for (std::size_t start = 0; start <= FMask.size();) {
    const std::size_t end = std::min(FMask.find(';', start), FMask.size());
    const std::string mask = FMask.substr(start, end - start);
    start = end + 1;
    if (mask.empty()) continue;
    for (const std::string& name : names) {
      const std::uint64_t bits = FileAttributesOf(FDirectory, name);
      if ((bits & excluded) != 0 || !(normal || (bits & attributes) != 0)) continue;
      if (!MatchesAnyName(name, mask) || !listed.insert(name).second) continue;
      if (items->Add((bits & kDirectory) ? "[" + name + "]" : name) == 100 && !busy) busy.emplace();
    }
  }
  items->EndUpdate();
  UpDateScrollBar();
  FileSelected();
}

void TvlSkinFileListBox::FileSelected() {
  FLastSel = ItemIndex();
  if (FFileEdit) {
    const std::string name = SelectedName();
    FFileEdit->SetText(name.empty() ? FMask : name);
    FFileEdit->SelectAll();
  }
  if (OnChange) OnChange(this);
}

void TvlSkinFileListBox::ListBoxClick() {
  TvlSkinListBox::ListBoxClick();
  if (ItemIndex() != FLastSel) FileSelected();
}

std::string TvlSkinFileListBox::SelectedName() const {
  const int index = ItemIndex();
  if (index < 0 || index >= Items()->Count() || !Selected(index)) return "";
  return Items()->Strings(index);
}

void TvlSkinFileListBox::SelectName(const std::string& Name) {
  if (AnsiSameText(Name, SelectedName())) return;
  int found = -1;
  for (int i = 0; i < Items()->Count() && found < 0; ++i)
    if (AnsiSameText(Items()->Strings(i), Name)) found = i;
  SetItemIndex(found);
  FileSelected();
}

std::string TvlSkinFileListBox::FileName() const {
  const std::string name = SelectedName();
  return name.empty() ? std::string() : JoinPath(FDirectory, name);
}

std::string TvlSkinFileListBox::Drive() const { return MountOf(FDirectory); }

void TvlSkinFileListBox::SetDrive(const std::string& Value) {
  if (!Value.empty() && Value != Drive()) ApplyFilePath(Value);
}

void TvlSkinFileListBox::SetDirectory(const std::string& Value) {
  if (Value.empty() || AnsiSameText(Value, FDirectory)) return;
  const std::string folder = NormalFolder(Value.front() == '/' ? Value : JoinPath(FDirectory, Value));
  RequireFolder(folder);
  FDirectory = folder;
  FillFileList();
}

void TvlSkinFileListBox::SetFileType(TvlFileType Value) {
  if (Value == FFileType) return;
  FFileType = Value;
  FillFileList();
}

void TvlSkinFileListBox::SetMask(const std::string& Value) {
  if (Value == FMask) return;
  FMask = Value;
  FillFileList();
}

void TvlSkinFileListBox::SetFileEdit(TEdit* Value) {
  ReplaceReference(FFileEdit, Value);
  if (!FFileEdit) return;
  const std::string name = SelectedName();
  FFileEdit->SetText(name.empty() ? FMask : name);
}

void TvlSkinFileListBox::ApplyFilePath(const std::string& EditText) {
  if (EditText.empty() || AnsiSameText(EditText, FileName())) return;
  const TvlSplitPath split = SplitPathText(EditText, FDirectory);
  if (FDirList) FDirList->SetDirectory(split.Folder);  // passes the folder on through FolderChanged
  SetDirectory(split.Folder);                            // nothing left to do when it did
  if (split.File.find_first_of("*?") != std::string::npos) {
    SetMask(split.File);
  } else if (!split.File.empty()) {
    SelectName(split.File);
    // A file the mask hides is shown by its own name.
    if (FileExists(JoinPath(FDirectory, split.File)) && !AnsiSameText(SelectedName(), split.File)) {
      SetMask(split.File);
      SelectName(split.File);
    }
  }
}
