#include "app/FailureReasons.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/core/SysUtils.h"

namespace {

bool Has(const std::string& Text, std::string_view Part) { return Text.find(Part) != std::string::npos; }

// The name a person knows an encoder by; the library's own name in capitals otherwise.
std::string CodecName(const std::string& LibraryName) {
  static constexpr std::pair<std::string_view, std::string_view> kKnown[] = {
      {"libopencore_amrnb", "AMR-NB"}, {"libopencore_amrwb", "AMR-WB"}, {"libvo_amrwbenc", "AMR-WB"},
      {"amr_nb", "AMR-NB"},            {"amr_wb", "AMR-WB"},            {"libmp3lame", "MP3"},
      {"libx264", "H.264"},            {"libx265", "H.265"},            {"libxvid", "Xvid"},
      {"libfaac", "AAC"},              {"libfdk_aac", "AAC"},           {"libvorbis", "Vorbis"},
      {"libtheora", "Theora"},         {"libvpx", "VP8"},               {"libopus", "Opus"},
  };
  for (const auto& [library, known] : kKnown)
    if (LibraryName == library) return std::string(known);
  std::string name = LibraryName;
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
  return name;
}

// The quoted name after Lead ("Unknown encoder 'libx264'" gives "libx264").
std::string QuotedAfter(const std::string& Text, std::string_view Lead) {
  const std::size_t at = Text.find(Lead);
  if (at == std::string::npos) return {};
  const std::size_t open = Text.find('\'', at + Lead.size());
  const std::size_t close = open == std::string::npos ? open : Text.find('\'', open + 1);
  return close == std::string::npos ? std::string() : Text.substr(open + 1, close - open - 1);
}

// The library text names a path inside Folder, or the folder itself.
bool AboutFolder(const std::string& Text, const std::string& Folder) {
  if (Folder.empty()) return false;
  return Has(Text, IncludeTrailingPathDelimiter(Folder)) || Has(Text, Folder + ":");
}

}  // namespace

std::string FailureReason(const std::string& Text, const std::string& OutputFolder, const std::string& InputFile) {
  // An input kept in the output folder is still an input.
  const bool input = !InputFile.empty() && Has(Text, InputFile);
  const bool output = !input && AboutFolder(Text, OutputFolder);
  if (const std::string encoder = QuotedAfter(Text, "Unknown encoder"); !encoder.empty())
    return kNoEncoderReason + CodecName(encoder) + " 编码器";
  if (const std::string decoder = QuotedAfter(Text, "Unknown decoder"); !decoder.empty())
    return kNoEncoderReason + CodecName(decoder) + " 解码器";
  if (Has(Text, "Permission denied") || Has(Text, "Read-only file system") || Has(Text, "Operation not permitted"))
    return output ? kOutputNotWritableReason + OutputFolder : std::string(kInputUnreadableReason);
  // Only an input is checked for changes between the add and the start.
  if (Has(Text, "the file was changed after it was added")) return kInputChangedReason;
  if (Has(Text, "No such file or directory"))
    return output ? kOutputMissingReason + OutputFolder : std::string(kInputGoneReason);
  if (Has(Text, "No space left on device") || Has(Text, "Disk quota exceeded")) return kDiskFullReason;
  if (Has(Text, "Invalid data found") || Has(Text, "could not find codec parameters") ||
      Has(Text, "Unknown input format") || Has(Text, "End of file") || Has(Text, "Not a regular file") ||
      Has(Text, "no stream") || Has(Text, "Unsupported codec"))
    return kNotMediaReason;
  return kGeneralReason;
}

std::string FailureAdvice(const std::string& Reason) {
  if (Reason.starts_with(kOutputNotWritableReason) || Reason.starts_with(kOutputMissingReason))
    return "请点击“浏览...”选择一个可以写入的输出目录，然后再试一次。";
  if (Reason.starts_with(kNoEncoderReason)) return "请为这些文件选择其他输出格式，或安装带有该编码器的 FFmpeg。";
  if (Reason == kNotMediaReason || Reason == kEmptyFileReason) return "请选择可以播放的视频或音频文件。";
  if (Reason == kInputChangedReason) return "请把该文件从列表中删除后重新添加。";
  if (Reason == kInputGoneReason) return "请确认文件还在原来的位置，清空列表后重新添加。";
  if (Reason == kInputUnreadableReason) return "请检查文件的读取权限后重新添加。";
  if (Reason == kDiskFullReason) return "请清理磁盘空间或选择其他输出目录，然后再试一次。";
  return "请查看下面的详细信息，或换一种输出格式再试。";
}

std::string FailureMessage(const std::string& Heading, const std::vector<TFileFailure>& Failures,
                           const std::string& AfterList) {
  std::string message = Heading;
  std::vector<std::string> advice, details;
  const auto once = [](std::vector<std::string>& List, const std::string& Text) {
    if (!Text.empty() && std::find(List.begin(), List.end(), Text) == List.end()) List.push_back(Text);
  };
  for (const TFileFailure& failure : Failures) {
    message += "\n" + ExtractFileName(failure.File) + "：" + failure.Reason;
    once(advice, FailureAdvice(failure.Reason));
    once(details, failure.Detail);
  }
  if (!AfterList.empty()) message += "\n" + AfterList;
  message += "\n";
  for (const std::string& line : advice) message += "\n" + line;
  if (!details.empty()) {
    message += "\n\n详细信息：";
    for (const std::string& line : details) message += "\n" + line;
  }
  return message;
}

std::string AddFailureHeading(int Count) { return "以下 " + std::to_string(Count) + " 个文件没有添加到列表："; }

std::string BatchFailureHeading(int Count) { return "以下 " + std::to_string(Count) + " 个文件转换失败："; }

std::string UntriedFilesLine(int Count) {
  return "另有 " + std::to_string(Count) + " 个文件因此没有添加，解决上面的问题后请重新添加。";
}
