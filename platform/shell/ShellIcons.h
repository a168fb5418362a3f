#pragma once
// The system image lists: one shared list of small (16 x 16) and one of large (32 x 32) icons
// with the same index for the same kind of item in both. The shell views take a list's handle
// and ask for indexes, never for icon copies.
//
// Fixed indexes come first (TShellIconIndex); every MIME type a file shows gets an index of its
// own the first time it is asked for, with the picture of its family (MimeTypes.h). The pictures
// come from ShellIconPicture, the one place that chooses them.
//
// GUI thread (the lists are image-list components).

#include <string>

#include "platform/graphics/Icon.h"
#include "platform/controls/ImageList.h"
#include "platform/shell/ShellFolders.h"

constexpr UINT SHGFI_LARGEICON = 0x0000;
constexpr UINT SHGFI_SMALLICON = 0x0001;
constexpr UINT SHGFI_OPENICON = 0x0002;
constexpr UINT SHGFI_PIDL = 0x0008;
constexpr UINT SHGFI_SYSICONINDEX = 0x4000;

struct SHFILEINFO {
  int iIcon = 0;
  DWORD dwAttributes = 0;
};

// With SHGFI_SYSICONINDEX: sets Info->iIcon to the item's index (the open form of a plain folder
// with SHGFI_OPENICON) and answers the handle of the system list (small with SHGFI_SMALLICON,
// else large), as a DWORD_PTR. 0, and nothing set, for a list that names nothing or without the
// flag. Info may be null when only the handle is wanted.
DWORD_PTR SHGetFileInfo(TItemIDSpan Item, DWORD FileAttributes, SHFILEINFO* Info, UINT Flags);
// The same for an absolute path (parsed as the desktop parses it); 0 for a missing file.
DWORD_PTR SHGetFileInfo(const std::string& Path, DWORD FileAttributes, SHFILEINFO* Info, UINT Flags);

// The fixed indexes of both system lists.
enum TShellIconIndex : int {
  siFolder,
  siFolderOpen,
  siFile,
  siComputer,
  siHome,
  siDesktop,
  siTrash,
  siDriveFixed,
  siDriveRemovable,
  siDriveRemote,
  siDriveOptical,
  siDriveRam,
  siFirstFileType,  // the MIME types' indexes follow
};

// The pictures of the system icons.
enum class TShellIconPicture {
  Folder, FolderOpen, Computer, Home, Desktop, Trash,
  DriveFixed, DriveRemovable, DriveRemote, DriveOptical, DriveRam,
  File, FileText, FileImage, FileAudio, FileVideo, FileArchive, FileDocument, FileExecutable, FileFont,
};

// A picture at Size x Size, straight-alpha B, G, R, A pixels: the program's own icon of the kind
// (the icon resources "VL_SHELL_…" of its built-in pictures; archives and fonts show the plain
// file, documents the text file) when the program links them, else a picture drawn by this
// layer, so the lists are complete in any program.
[[nodiscard]] detail::IconImage ShellIconPicture(TShellIconPicture Picture, int Size);

// The index of a file of this MIME type in both lists (made on first use).
[[nodiscard]] int ShellFileTypeIconIndex(const std::string& MimeType);
