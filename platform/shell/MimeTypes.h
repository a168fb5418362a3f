#pragma once
// File types by name, from the shared MIME database ("mime/globs2" and "mime/generic-icons" in
// the data folders of ShellEnvironment.h, the user's own first). The shell's icons and the
// properties of a file use them.
//
// The database is read on first use and again whenever the installed data folders change.
// Safe on any thread.

#include <string>
#include <string_view>

// The MIME type whose glob matches Name best: literal names first, then the highest weight, then
// the longest pattern, then a case-sensitive pattern; letters compare ignoring ASCII case unless
// the pattern is marked case-sensitive. "application/octet-stream" when none matches.
[[nodiscard]] std::string MimeTypeOfFileName(std::string_view Name);

// The family of pictures a MIME type is shown with.
enum class TMimeClass { mcGeneric, mcText, mcImage, mcAudio, mcVideo, mcArchive, mcDocument, mcExecutable, mcFont };

// From the type's generic icon in the database ("video-x-generic" …), else from its major type
// ("audio/…", "image/…", "text/…", "video/…", "font/…").
[[nodiscard]] TMimeClass MimeClassOf(const std::string& MimeType);
