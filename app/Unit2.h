#pragma once
// The about window "关于软件": the program's name and version, what it does and where its maker
// is found (two links that open the maker's page and a new mail), with one "确定" button that
// closes it. Created once at start-up and shown modally from the main window's help menu. GUI
// thread only.

#include <string>

#include "platform/controls/Forms.h"

class TvlSkinButton;
class TvlSkinData;
class TvlSkinLinkLabel;
class TvlSkinStdLabel;
class TvlVelmora;

inline constexpr int kAboutClientWidth = 420;
inline constexpr int kAboutClientHeight = 258;

// The program's version as the build names it ("1.0.0").
[[nodiscard]] std::string ProgramVersion();

class TForm2 : public TForm {
 public:
  // MainSkin draws the window and its controls.
  TForm2(TComponent* AOwner, TvlSkinData* MainSkin);

  TvlSkinButton* Button1 = nullptr;  // 确定
  TvlSkinStdLabel* VersionLabel = nullptr;  // "版本：<version>"
  TvlSkinLinkLabel* WebLink = nullptr;       // the maker's page
  TvlSkinLinkLabel* MailLink = nullptr;      // a new mail to the maker's support address
  TvlVelmora* vlVelmora1 = nullptr;
};
