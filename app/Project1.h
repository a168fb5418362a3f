#pragma once
// The converter program: the application's title and help file, its windows created in start-up
// order, and the message loop until the main window closes.
//
//   TForm1 (main window) ─> TForm2 (about) ─> TForm5 (options; reads [Options]) ─> the legacy
//   preset window's model (writes the main window's current-preset fields)
//
// GUI thread.

#include <memory>

#include "app/Unit1.h"

class TApplication;
class TForm2;
class TForm5;
class TLegacyPresetModel;

// FIXME: The legacy preset window (TForm6, "设置选项", created at start-up and never shown)
// holds these controls and its model once it exists; until then the start-up makes the model
// over controls that have no window.
struct TLegacyPresetWindow {
  TLegacyPresetWindow(TForm1& Main, TForm5& Options);
  ~TLegacyPresetWindow();

  std::unique_ptr<TPresetPickerBox> Groups, Presets;
  std::unique_ptr<TOptionChooserBox> Lists[6];
  std::unique_ptr<TLegacyPresetModel> Model;
};

// The program's windows. The forms belong to the application; the legacy window's model goes
// first when the program ends.
struct TConverterWindows {
  TForm1* Form1 = nullptr;
  TForm2* Form2 = nullptr;
  TForm5* Form5 = nullptr;
  std::unique_ptr<TLegacyPresetWindow> Form6;
};

// Sets the application's title and help file and creates the windows in start-up order; the
// main window is the application's main form.
void CreateConverterWindows(TApplication& App, const TMainWindowSetup& Setup, TConverterWindows& Windows);

// The program: the X display (without one it says so in one line and answers 1), the
// application, the windows, the message loop. Answers the exit status.
int RunConverter();
