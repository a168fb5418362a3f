#include "platform/shell/ShellIcons.h"

#include <map>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/shell/MimeTypes.h"
#include "platform/shell/Mounts.h"
#include "platform/graphics/PixelDrawing.h"
#include "platform/shell/ShellEnvironment.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kSmall = 16;
constexpr int kLarge = 32;

TShellIconPicture PictureOfClass(TMimeClass c) {
  switch (c) {
    case TMimeClass::mcText: return TShellIconPicture::FileText;
    case TMimeClass::mcImage: return TShellIconPicture::FileImage;
    case TMimeClass::mcAudio: return TShellIconPicture::FileAudio;
    case TMimeClass::mcVideo: return TShellIconPicture::FileVideo;
    case TMimeClass::mcArchive: return TShellIconPicture::FileArchive;
    case TMimeClass::mcDocument: return TShellIconPicture::FileDocument;
    case TMimeClass::mcExecutable: return TShellIconPicture::FileExecutable;
    case TMimeClass::mcFont: return TShellIconPicture::FileFont;
    case TMimeClass::mcGeneric: break;
  }
  return TShellIconPicture::File;
}

// The two lists, filled with the fixed pictures when first used, and the MIME types' indexes.
class TSystemImageLists {
 public:
  TSystemImageLists() : small_(nullptr), large_(nullptr) {
    small_.SetSize(kSmall, kSmall);
    large_.SetSize(kLarge, kLarge);
    // The handle table must outlive these process-wide lists: making the handles now constructs
    // it first, so it is destroyed after them.
    (void)small_.Handle();
    (void)large_.Handle();
    constexpr TShellIconPicture fixed[] = {
        TShellIconPicture::Folder,         TShellIconPicture::FolderOpen,   TShellIconPicture::File,
        TShellIconPicture::Computer,       TShellIconPicture::Home,         TShellIconPicture::Desktop,
        TShellIconPicture::Trash,          TShellIconPicture::DriveFixed,   TShellIconPicture::DriveRemovable,
        TShellIconPicture::DriveRemote,    TShellIconPicture::DriveOptical, TShellIconPicture::DriveRam};
    for (TShellIconPicture picture : fixed) Add(picture);
  }

  TCustomImageList& List(bool large) { return large ? large_ : small_; }

  int FileTypeIndex(const std::string& type) {
    auto it = types_.find(type);
    if (it != types_.end()) return it->second;
    const int index = Add(PictureOfClass(MimeClassOf(type)));
    types_.emplace(type, index);
    return index;
  }

 private:
  int Add(TShellIconPicture picture) {
    int index = -1;
    for (TCustomImageList* list : {&small_, &large_}) {
      const detail::IconImage image = ShellIconPicture(picture, list->Width());
      TBitmap bitmap;
      CopyBgraToBitmap(&bitmap, image.Bgra.data(), image.Width, image.Height);
      index = list->Add(&bitmap, nullptr);
    }
    return index;
  }

  TImageList small_;
  TImageList large_;
  std::map<std::string, int> types_;
};

TSystemImageLists& Lists() {
  static TSystemImageLists lists;
  return lists;
}

int DriveIndex(UINT driveType) {
  switch (driveType) {
    case DRIVE_REMOVABLE: return siDriveRemovable;
    case DRIVE_REMOTE: return siDriveRemote;
    case DRIVE_CDROM: return siDriveOptical;
    case DRIVE_RAMDISK: return siDriveRam;
    default: return siDriveFixed;
  }
}

int IndexOf(const TShellItemInfo& item, bool open) {
  using K = TShellItemInfo::TKind;
  switch (item.Kind) {
    case K::Desktop: return siDesktop;
    case K::Computer: return siComputer;
    case K::Home: return siHome;
    case K::FileSystemRoot:
    case K::Mount: return DriveIndex(item.DriveType);
    case K::File: return Lists().FileTypeIndex(MimeTypeOfFileName(ExtractFileName(item.Path)));
    case K::Folder: break;
  }
  // The user's special folders keep their own pictures wherever they are reached from.
  if (item.Path == ShellRoots().Home) return siHome;
  if (item.Path == UserFolderPath(TUserFolder::ufTrash)) return siTrash;
  if (item.Path == UserFolderPath(TUserFolder::ufDesktop)) return siDesktop;
  return open ? siFolderOpen : siFolder;
}

}  // namespace

DWORD_PTR SHGetFileInfo(TItemIDSpan Item, DWORD, SHFILEINFO* Info, UINT Flags) {
  if (!(Flags & SHGFI_SYSICONINDEX)) return 0;
  TShellItemInfo item;
  if (!GetShellItemInfo(Item, item)) return 0;
  const int index = IndexOf(item, (Flags & SHGFI_OPENICON) != 0);
  if (Info) Info->iIcon = index;
  return reinterpret_cast<DWORD_PTR>(Lists().List((Flags & SHGFI_SMALLICON) == 0).Handle());
}

DWORD_PTR SHGetFileInfo(const std::string& Path, DWORD FileAttributes, SHFILEINFO* Info, UINT Flags) {
  std::shared_ptr<IShellFolder> desktop;
  SHGetDesktopFolder(desktop);
  TItemIDList list;
  if (FAILED(desktop->ParseDisplayName(nullptr, Path, list))) return 0;
  return SHGetFileInfo(list.Span(), FileAttributes, Info, Flags);
}

int ShellFileTypeIconIndex(const std::string& MimeType) { return Lists().FileTypeIndex(MimeType); }
