#include "app/Project1.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <utility>

#include "app/MainWindowControls.h"
#include "app/SkinnedDialogs.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "platform/controls/Application.h"
#include "platform/core/Memory.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/x11/X11Display.h"

void CreateConverterWindows(TApplication& App, const TMainWindowSetup& Setup, TConverterWindows& Windows) {
  App.SetTitle(kApplicationTitle);
  App.SetHelpFile(Setup.Folders.HelpFile());
  Windows.Form1 = CreateForm<TForm1>(&App, Setup);
  Windows.Form2 = CreateForm<TForm2>(&App, Windows.Form1->vlSkinData1);
  TForm1* main = Windows.Form1;
  Windows.Form5 = CreateForm<TForm5>(&App, main->Options(), main->vlSkinData1, main->vlSkinData2,
                                     [main](bool On) { main->Convexa->SetPreview(On); }, *Setup.Dialogs);
  main->SetAboutWindow(Windows.Form2);
  main->SetOptionsWindow(Windows.Form5);
  TForm5* options = Windows.Form5;
  TLegacyPresetHooks hooks;
  hooks.OverwriteOutput = [options] { return options->OverwriteOutput(); };
  Windows.Form6 =
      CreateForm<TForm6>(&App, main->vlSkinData1, main->Chain().Fields(), main->OutputFolder(), std::move(hooks));
  // Every window's caption buttons show their hints through the main window's tooltip.
  ShowCaptionHints(Windows.Form2->vlVelmora1, main->vlSkinHint1);
  ShowCaptionHints(Windows.Form5->vlVelmora1, main->vlSkinHint1);
  ShowCaptionHints(Windows.Form6->vlVelmora1, main->vlSkinHint1);
}

int RunConverter() {
  ReturnLargeBlocksWhenFreed();
  std::unique_ptr<TX11Display> display = TX11Display::Open();
  if (!display) {
    const char* name = std::getenv("DISPLAY");
    std::cerr << "QireloConverter: 找不到可以显示窗口的图形界面（"
              << (name && *name ? std::string("DISPLAY 为“") + name + "”，但它没有回应" : std::string("没有设置 DISPLAY"))
              << "）。请在桌面环境中启动本程序，或先设置 DISPLAY 再试一次。\n";
    return 1;
  }
  TEventSource* events = display.get();
  std::unique_ptr<TDisplay> headless = SetDisplay(std::move(display));
  SetThreadEventSource(events);
  {
    TSkinnedDialogs dialogs;
    TApplication app(nullptr);
    app.Initialize();
    TMainWindowSetup setup;
    setup.Folders = TProgramFolders::OfThisProgram();
    setup.Dialogs = &dialogs;
    TConverterWindows windows;
    CreateConverterWindows(app, setup, windows);
    dialogs.SetSkinData(windows.Form1->vlSkinData1);
    app.Run();
  }
  SetThreadEventSource(nullptr);
  SetDisplay(std::move(headless));
  return 0;
}
