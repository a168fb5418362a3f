#include "app/AfterRunActions.h"

#include "Src/MyUtils.h"
#include "platform/DesktopOpener.h"
#include "platform/PowerOff.h"

TSystemAfterRunActions::TSystemAfterRunActions(std::string EndSound) : end_sound_(std::move(EndSound)) {}

std::string TSystemAfterRunActions::DefaultEndSound() { return GetExePath() + "sounds/ring001.wav"; }

void TSystemAfterRunActions::OpenOutputFolder(const std::string& Folder) { (void)OpenWithDesktop(Folder); }

void TSystemAfterRunActions::ShutDown() { (void)RequestPowerOff(); }

void TSystemAfterRunActions::PlayEndSound() { (void)player_.Play(end_sound_); }
