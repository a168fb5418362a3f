#include "app/AfterRunActions.h"

#include "Src/MyUtils.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/shell/PowerOff.h"

TSystemAfterRunActions::TSystemAfterRunActions(std::string EndSound) : end_sound_(std::move(EndSound)) {}

std::string TSystemAfterRunActions::DefaultEndSound() { return GetExePath() + "sounds/ring001.wav"; }

bool TSystemAfterRunActions::OpenOutputFolder(const std::string& Folder, std::string& Error) {
  return OpenWithDesktop(Folder, &Error);
}

std::string NoOpenerMessage(const std::string& Target, const std::string& Reason) {
  return "无法打开“" + Target + "”：此系统没有可以打开它的程序。\n请先安装 xdg-utils（在终端运行 sudo apt-get install xdg-utils），然后再试一次。\n\n" +
         Reason;
}

std::string OpenFailedMessage(const std::string& Target, const std::string& Reason) {
  const bool address = Target.find("://") != std::string::npos || Target.starts_with("mailto:");
  const std::string what = address ? "请先安装一个网页浏览器和邮件程序（例如在终端运行 sudo apt-get install firefox-esr），"
                                   : "请先安装一个文件管理器（例如在终端运行 sudo apt-get install pcmanfm），";
  return "无法打开“" + Target + "”：此系统的打开程序都没能打开它。\n" + what + "然后再试一次。\n\n" + Reason;
}

void TSystemAfterRunActions::ShutDown() { (void)RequestPowerOff(); }

void TSystemAfterRunActions::PlayEndSound() { (void)player_.Play(end_sound_); }
