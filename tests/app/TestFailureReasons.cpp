// The reasons a person reads for what the libraries said about a file, and the one message of
// an add or a batch that lists them.

#include <gtest/gtest.h>

#include "app/FailureReasons.h"

namespace {

TEST(FailureReasonsTest, LibraryTextsBecomeReasonsInWords) {
  const std::string out = "/home/用户/输出";
  const struct {
    const char* text;
    std::string reason;
  } cases[] = {
      {"/clips/a.avi: Invalid data found when processing input", kNotMediaReason},
      {"/clips/a.avi: could not find codec parameters", kNotMediaReason},
      {"/clips/a.avi: End of file", kNotMediaReason},
      {"Unknown input format: \"xyz\"", kNotMediaReason},
      {"/clips/gone.mp4: No such file or directory", kInputGoneReason},
      {"/clips/a.mp4: the file was changed after it was added to the task", kInputChangedReason},
      {"/clips/secret.mp4: Permission denied", kInputUnreadableReason},
      {"/home/用户/输出/a.mp4: Permission denied", "输出目录不可写: /home/用户/输出"},
      {"Could not write header for output file #0: /home/用户/输出/a.mp4: Read-only file system",
       "输出目录不可写: /home/用户/输出"},
      {"Could not open '/home/用户/输出/a.mp4': Permission denied", "输出目录不可写: /home/用户/输出"},
      {"/home/用户/输出/a.mp4: No such file or directory", "输出目录不存在: /home/用户/输出"},
      {"Could not write to output file #0: No space left on device", kDiskFullReason},
      {"Unknown encoder 'libopencore_amrnb'", "此系统的 FFmpeg 没有 AMR-NB 编码器"},
      {"Unknown encoder 'libx264'", "此系统的 FFmpeg 没有 H.264 编码器"},
      {"Unknown encoder 'wmav9'", "此系统的 FFmpeg 没有 WMAV9 编码器"},
      {"Unknown decoder 'rv60'", "此系统的 FFmpeg 没有 RV60 解码器"},
      {"something nobody foresaw", kGeneralReason},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string reason = FailureReason(c.text, out);
    EXPECT_EQ(reason, c.reason);
    EXPECT_FALSE(FailureAdvice(reason).empty());
    if (reason == kInputChangedReason) EXPECT_EQ(FailureAdvice(reason), "请把该文件从列表中删除后重新添加。");
  }
  // A folder whose name begins like the output folder's is not it, and an input kept in the output
  // folder is still the input.
  EXPECT_EQ(FailureReason("/home/用户/输出2/a.mp4: Permission denied", out), kInputUnreadableReason);
  EXPECT_EQ(FailureReason("/home/用户/输出/in.mp4: No such file or directory", out, "/home/用户/输出/in.mp4"),
            kInputGoneReason);
}

TEST(FailureReasonsTest, OneMessageListsEveryFileThenTheAdviceOnceThenTheLibrariesTexts) {
  const std::vector<TFileFailure> failures = {
      {"/clips/a.avi", kNotMediaReason, "/clips/a.avi: Invalid data found when processing input"},
      {"/clips/b.mp4", "此系统的 FFmpeg 没有 AMR-NB 编码器", "Unknown encoder 'libopencore_amrnb'"},
      {"/clips/c.avi", kNotMediaReason, "/clips/c.avi: Invalid data found when processing input"},
      {"/clips/d.mp4", "此系统的 FFmpeg 没有 AMR-NB 编码器", "Unknown encoder 'libopencore_amrnb'"},
  };
  EXPECT_EQ(FailureMessage(BatchFailureHeading(4), failures),
            "以下 4 个文件转换失败：\n"
            "a.avi：不是可识别的视频或音频文件\n"
            "b.mp4：此系统的 FFmpeg 没有 AMR-NB 编码器\n"
            "c.avi：不是可识别的视频或音频文件\n"
            "d.mp4：此系统的 FFmpeg 没有 AMR-NB 编码器\n"
            "\n"
            "请选择可以播放的视频或音频文件。\n"
            "请为这些文件选择其他输出格式，或安装带有该编码器的 FFmpeg。\n"
            "\n"
            "详细信息：\n"
            "/clips/a.avi: Invalid data found when processing input\n"
            "Unknown encoder 'libopencore_amrnb'\n"
            "/clips/c.avi: Invalid data found when processing input");
  EXPECT_EQ(AddFailureHeading(1), "以下 1 个文件没有添加到列表：");
}

// Every reason comes with what to do next; a reason the table does not know gets the general one.
TEST(FailureReasonsTest, EachReasonHasItsAdvice) {
  const struct {
    std::string reason, advice;
  } cases[] = {
      {std::string(kOutputNotWritableReason) + "/out", "请点击“浏览...”选择一个可以写入的输出目录，然后再试一次。"},
      {std::string(kOutputMissingReason) + "/out", "请点击“浏览...”选择一个可以写入的输出目录，然后再试一次。"},
      {"此系统的 FFmpeg 没有 AMR-NB 编码器", "请为这些文件选择其他输出格式，或安装带有该编码器的 FFmpeg。"},
      {kNotMediaReason, "请选择可以播放的视频或音频文件。"},
      {kEmptyFileReason, "请选择可以播放的视频或音频文件。"},
      {kInputGoneReason, "请确认文件还在原来的位置，清空列表后重新添加。"},
      {kInputUnreadableReason, "请检查文件的读取权限后重新添加。"},
      {kDiskFullReason, "请清理磁盘空间或选择其他输出目录，然后再试一次。"},
      {kGeneralReason, "请查看下面的详细信息，或换一种输出格式再试。"},
  };
  for (const auto& c : cases) EXPECT_EQ(FailureAdvice(c.reason), c.advice) << c.reason;
}

}  // namespace
