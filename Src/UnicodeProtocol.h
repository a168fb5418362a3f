#pragma once
// File names for the media libraries, and the framework's own reader and writer of "unicode"
// URLs.
//
// Every name the framework hands to libavformat goes through FileNameToAVName first. Text here is
// UTF-8, so every valid name reaches the libraries as it is; the one kind of local name they would
// misread is a name with a colon, which they take for a protocol ("a:b.mp4" is protocol "a"). Such
// a name becomes "unicode:utf8:" + name, and OpenInputFile / OpenOutputFile serve those URLs
// through I/O callbacks on a file the framework opened itself. Names that begin with a protocol
// word the framework uses (network and pipe addresses, the engine's "stream:" names) pass as they
// are.
//
// All routines are free of shared state and may run on any thread.

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
}

#include <string>

// "unicode:utf8:", the prefix of the framework's URLs.
inline constexpr const char* UnicodeURLPrefix = "unicode:utf8:";

// True when the name must go to the libraries as a "unicode:utf8:" URL: it contains a colon and
// the text before the first colon is not one of the protocol words that pass unchanged
// (case-sensitive).
[[nodiscard]] bool NeedsUnicodeURL(const std::string& AName);
// "unicode:utf8:" + AName.
[[nodiscard]] std::string EncodeUnicodeURL(const std::string& AName);
// The text after the second colon ("unicode:utf8:a:b" gives "a:b"); empty when there is none.
[[nodiscard]] std::string DecodeUnicodeURL(const std::string& AURL);
// True when AURL is the prefix followed by at least one character.
[[nodiscard]] bool IsUnicodeURL(const std::string& AURL);
// The name to hand to libavformat (its own storage, valid as long as the caller keeps it).
[[nodiscard]] std::string FileNameToAVName(const std::string& AName);
// The file name of a name libavformat reports back.
[[nodiscard]] std::string AVNameToFileName(const std::string& AName);
// The local file a name stands for: the name itself when it carries no protocol word (or one
// that is part of a file name, "a:b.mp4"), the file of a "unicode:utf8:" URL; empty for a pipe,
// network or "stream:" name.
[[nodiscard]] std::string LocalFileName(const std::string& AName);

// Opens the file named by a "unicode:utf8:" URL as an I/O context with the framework's callbacks.
// AFlags: AVIO_FLAG_READ opens an existing file; AVIO_FLAG_WRITE creates or truncates it;
// AVIO_FLAG_READ_WRITE creates or truncates it for both. On failure *AContext stays nullptr and the
// result is a negative library error code (AVERROR(ENOENT) for a missing file).
[[nodiscard]] int OpenUnicodeIO(AVIOContext** AContext, const std::string& AURL, int AFlags);
// True when the I/O context was made by OpenUnicodeIO.
[[nodiscard]] bool IsUnicodeIO(const AVIOContext* AContext);
// Flushes, closes the file and frees the context; sets *AContext to nullptr. Safe on nullptr.
void CloseUnicodeIO(AVIOContext** AContext);

// avformat_open_input for a file name of the framework: the name goes through FileNameToAVName
// and a "unicode:utf8:" URL is read through OpenUnicodeIO. *AContext may hold a context allocated
// by the caller (it is freed on failure, as avformat_open_input does). Answers 0 or a negative
// library error code. A name given as a local file must be a regular file or a block device:
// a directory answers AVERROR(EISDIR), a named pipe, socket or character device
// NotARegularFileError (FFMediaUtils.h) without being opened, because opening or reading it could
// wait for ever. Such inputs are read only when the caller names a protocol ("pipe:3",
// "unicode:utf8:/path/fifo").
[[nodiscard]] int OpenInputFile(AVFormatContext** AContext, const std::string& AFileName,
                                const AVInputFormat* AFormat, AVDictionary** AOptions);
// avformat_close_input that also frees the framework's I/O context. Safe on nullptr.
void CloseInputFile(AVFormatContext** AContext);

// Opens AContext->pb for writing AFileName (through OpenUnicodeIO for a "unicode:utf8:" URL,
// else avio_open2). Answers 0 or a negative library error code.
[[nodiscard]] int OpenOutputFile(AVFormatContext* AContext, const std::string& AFileName, AVDictionary** AOptions);
// Closes and frees AContext->pb, whichever way it was opened; AContext->pb becomes nullptr.
void CloseOutputFile(AVFormatContext* AContext);
