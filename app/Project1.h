#pragma once
// The converter program: the application's title and help file, its windows created in start-up
// order, and the message loop until the main window closes.
//
//   TForm1 (main window) ─> TForm2 (about) ─> TForm5 (options; reads [Options]) ─> TForm6 (the
//   legacy preset window, never shown; its creation writes the main window's current-preset
//   fields)
//
// GUI thread.

#include "app/Unit1.h"

class TApplication;
class TForm2;
class TForm5;
class TForm6;

// The program's windows. The forms belong to the application, which frees them in the reverse
// order of their creation.
struct TConverterWindows {
  TForm1* Form1 = nullptr;
  TForm2* Form2 = nullptr;
  TForm5* Form5 = nullptr;
  TForm6* Form6 = nullptr;
};

// Sets the application's title and help file and creates the windows in start-up order; the
// main window is the application's main form.
void CreateConverterWindows(TApplication& App, const TMainWindowSetup& Setup, TConverterWindows& Windows);

// The program: the X display (without one it says so in one line and answers 1), the
// application, the windows, the message loop. Answers the exit status.
int RunConverter();
