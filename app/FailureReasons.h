#pragma once
// What went wrong with a file, said so a person understands it: the libraries' English texts
// (a probe that cannot read a file, an output folder that refuses a write, an encoder this
// system's FFmpeg lacks) become a short Chinese reason and a hint of what to do next, and the
// failures of one add or one batch become one message that lists every file with its reason,
// the libraries' own texts after it for the curious.

#include <string>
#include <vector>

// One file that could not be added or converted.
struct TFileFailure {
  std::string File;    // the input file's path
  std::string Reason;  // in Chinese (FailureReason)
  std::string Detail;  // the libraries' own text
};

// The reason of a library text about InputFile's job. A text naming the input file is about the
// input; one naming a path in OutputFolder (and not the input) is about the output; an unknown
// text gives a general reason.
[[nodiscard]] std::string FailureReason(const std::string& LibraryText, const std::string& OutputFolder,
                                        const std::string& InputFile = {});

// What the user can do about a reason FailureReason gave.
[[nodiscard]] std::string FailureAdvice(const std::string& Reason);

// The message of an add or a batch: Heading, one line per file ("name：reason"), the advice of
// each kind of reason once, then "详细信息：" and the libraries' texts, each once.
// AfterList, when given, is a line of its own after the files.
[[nodiscard]] std::string FailureMessage(const std::string& Heading, const std::vector<TFileFailure>& Failures,
                                         const std::string& AfterList = {});

// The headings of the two messages.
[[nodiscard]] std::string AddFailureHeading(int Count);    // "以下 N 个文件没有添加到列表："
[[nodiscard]] std::string BatchFailureHeading(int Count);  // "以下 N 个文件转换失败："
// The line after an add's list when the add stopped at a failure with files still to go.
[[nodiscard]] std::string UntriedFilesLine(int Count);

// The reasons FailureReason gives that need no value of their own.
inline constexpr const char* kNotMediaReason = "不是可识别的视频或音频文件";
inline constexpr const char* kEmptyFileReason = "文件是空的（0 字节）";
inline constexpr const char* kInputGoneReason = "文件不存在或已被移走";
inline constexpr const char* kInputChangedReason = "文件在添加到列表后被修改过";
inline constexpr const char* kInputUnreadableReason = "没有读取该文件的权限";
inline constexpr const char* kDiskFullReason = "磁盘空间不足";
inline constexpr const char* kGeneralReason = "转换时出错";
// Prefixes of the reasons that name a folder or a codec.
inline constexpr const char* kOutputNotWritableReason = "输出目录不可写: ";
inline constexpr const char* kOutputMissingReason = "输出目录不存在: ";
inline constexpr const char* kNoEncoderReason = "此系统的 FFmpeg 没有 ";  // + "<name> 编码器"

// The log's lines about an add or a task set-up; the library's own text follows each failure.
inline constexpr const char* kLogCannotRead = "***无法读取此文件，没有添加（请选择可以播放的视频或音频文件）：";
inline constexpr const char* kLogCannotOpen = "***无法打开此文件（请确认文件还在原处并且可以读取）：";
inline constexpr const char* kLogCannotConvert = "***无法按所选格式转换此文件（请换一种输出格式或选择可写的输出目录后重新添加）：";
inline constexpr const char* kLogCanConvert = "***可以转换。";
