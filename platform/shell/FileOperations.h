#pragma once
// The shell's operations on files: renaming without replacing, moving to the trash, and pasting
// (copying or moving) files into a folder. None of them ever replaces or deletes a user's file
// on the way: a name that is taken is refused or avoided, the trash only ever receives.
//
// Safe on any thread; nothing changes the process's current folder.

#include <string>
#include <vector>

// Renames From to To, refusing (EEXIST) when To exists, atomically where the file system can.
// 0 on success, else the errno value.
[[nodiscard]] int RenameNoReplace(const std::string& From, const std::string& To);

// Moves the file or folder at Path (an absolute path) into the trash of the freedesktop layout:
// the user's trash (<DataHome>/Trash) when Path lies on its file system, else the trash at the
// top of Path's own file system (".Trash/<uid>" when an administrator made a sticky ".Trash",
// ".Trash-<uid>" otherwise). The entry keeps its name, or gets "name.2", "name.3" … when the trash
// holds one of that name, and an info file records where it came from and when. False, with the
// reason in *Error, when nothing could be moved; the file then stays where it was.
bool MoveToTrash(const std::string& Path, std::string* Error = nullptr);

// The files of a file list as file managers put it on the clipboard as text: an optional first
// line "copy" or "cut", then one "file://" URL (percent-encoded) or absolute path per line. False
// when the text is not such a list or names a file that does not exist.
bool ParseClipboardFileList(const std::string& Text, std::vector<std::string>& Files, bool& Cut);

// Copies (or, with Move, moves) each source into Folder. A source whose name is taken in Folder
// gets the first free "name (2).ext", "name (3).ext" …; a folder is copied with its contents,
// links as links; a folder is never pasted into itself or below itself. A move across file
// systems copies first and removes the source only after the copy succeeded. False, with the
// first reason in *Error, when any source failed (the others are still done).
bool PasteFiles(const std::vector<std::string>& Sources, const std::string& Folder, bool Move,
                std::string* Error = nullptr);
