#pragma once
// Skinned tooltips. TvlSkinHintWindow is the window the application's hint machinery makes for
// every tooltip (installed as its hint window class); it sizes and paints the tooltip from the
// skin's hint-window description or in a built-in look, splits the text into lines at a
// separator, optionally shows a bold title and an image, keeps inside the work area, takes the
// skin mask's shape and may fade in. TvlSkinHint is the component that installs the class,
// carries the settings and offers tooltips on demand to the other skin parts.
//
// The settings of every tooltip come from the first active TvlSkinHint of the application's main
// form; without one no skinned tooltip shows. GUI thread only.

#include <functional>
#include <memory>
#include <string>

#include "platform/controls/Application.h"
#include "platform/controls/Component.h"
#include "platform/controls/HintWindow.h"
#include "platform/core/Types.h"

class TBitmap;
class TCanvas;
class TCustomImageList;
class TFont;
class TTimer;
class TvlSkinData;
class TvlSkinHint;

class TvlSkinHintWindow : public THintWindow {
 public:
  explicit TvlSkinHintWindow(TComponent* AOwner);
  ~TvlSkinHintWindow() override;

  // A plain tooltip with Rect's top-left corner as anchor (the hint machinery calls it). When
  // the settings component carries a title or an image list, the tooltip has them too.
  void ActivateHint(TRect Rect, const std::string& AHint) override;
  // A tooltip with a bold title and an image.
  void ActivateHintEx(TRect Rect, const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                      TCustomImageList* AImageList);
  // A tooltip centred horizontally on ARect, below it or (ATop) above it.
  void ActivateHintFromRect(TRect ARect, const std::string& AHint, bool ATop);

  TRect NewClRect{};  // the text area (skin look)
  TPoint NewLTPoint{}, NewRTPoint{}, NewLBPoint{}, NewRBPoint{};
  TvlSkinData* FSD = nullptr;    // the skin of the current tooltip, nullptr in the built-in look
  bool FOldAlphaBlend = false;   // WS_EX_LAYERED is set
  BYTE FOldAlphaBlendValue = 0;  // the alpha applied last
  bool AExtendedStyle = false;   // the title-and-image layout
  // The settings component of the current tooltip (nullptr once it is gone).
  [[nodiscard]] TvlSkinHint* SettingsComponent() const { return FspHint.Get(); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  // Font of the tooltip (skin font or the default one) and the interface texts' character set.
  void PrepareFont(TFont* F) const;
  [[nodiscard]] TSize CalcHintSize(TCanvas* C, const std::string& Text);
  [[nodiscard]] TSize CalcHintSizeEx(TCanvas* C, const std::string& Text, const std::string& Title,
                                     TCustomImageList* ImageList, int ImageIndex);
  // The tooltip's skin and text (its caption) for these settings; answers the size it needs, in
  // the extended layout (title and image) when AExtendedStyle is set.
  [[nodiscard]] TSize PrepareText(TvlSkinHint* Settings, const std::string& AHint, const std::string& Title,
                                  TCustomImageList* ImageList, int ImageIndex);
  // The skin geometry for a tooltip of W x H (text area grown by the size).
  void FitSkinGeometry(int& W, int& H);
  // Fits the rectangle into the work area and shows the window there.
  void ShowAt(TRect R);
  void SetHintRegion();
  void PaintBackground(TBitmap* B);
  void PaintEx(TBitmap* B);
  void FadeStep();
  [[nodiscard]] TBitmap* SkinPicture() const;

  TWeak<TvlSkinHint> FspHint;
  bool FRegionSet = false;
  TTimer* FFadeTimer = nullptr;  // owned; steps the fade-in
  int FFadeAlpha = 0;
  int FFadeEnd = 0;
};

class TvlSkinHint : public TComponent {
 public:
  // Installs the skinned hint window class (keyed by this component) and its show-hint handler.
  explicit TvlSkinHint(TComponent* AOwner);
  // Hides its tooltip, takes its hint window class out and gives the application back the
  // show-hint handler it replaced (when its own is still in place).
  ~TvlSkinHint() override;

  // A plain tooltip at P now (title and image cleared).
  void ActivateHint(TPoint P, const std::string& AHint);
  // A tooltip with title and image at P now.
  void ActivateHintEx(TPoint P, const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                      TCustomImageList* AImageList);
  // Tooltips after the application's HintPause, hidden after HintHidePause: at the cursor, beside
  // a rectangle, with title and image at the cursor. A new one replaces a pending one.
  void ActivateHint2(const std::string& AHint);
  void ActivateHint3(TRect AFromRect, const std::string& AHint, bool ATop);
  void ActivateHintEx2(const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                       TCustomImageList* AImageList);
  [[nodiscard]] bool IsVisible() const;
  // Cancels a pending tooltip and hides the shown one.
  void HideHint();
  // How far below the cursor's hot spot a tooltip goes.
  [[nodiscard]] int GetCursorHeightMargin() const;
  // Text with every LineSeparator replaced by a line break.
  [[nodiscard]] std::string ApplyLineSeparator(const std::string& Text) const;

  [[nodiscard]] bool Active() const { return FActive; }
  // True makes every other active hint component of the main form inactive and installs this
  // one's show-hint handler.
  void SetActive(bool Value);
  [[nodiscard]] TvlSkinData* SkinData() const { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);  // copies the font
  [[nodiscard]] const std::string& LineSeparator() const { return FLineSeparator; }
  // A separator holding a line feed or carriage return would be found again in every line break
  // it makes: such a value is refused (the separator stays as it was).
  void SetLineSeparator(const std::string& Value);

  bool AlphaBlend = false;
  BYTE AlphaBlendValue = 0;
  bool AlphaBlendAnimation = false;
  bool UseSkinFont = true;
  TShowHintEvent OnShowHint;

  // Title and image of the current tooltip.
  std::string FHintTitle;
  int FHintImageIndex = 0;
  [[nodiscard]] TCustomImageList* HintImageList() const { return FHintImageList.Get(); }
  void SetHintImageList(TCustomImageList* Value);

  // Runs for every tooltip of the application while installed: takes the title and image of a
  // skinned control, then OnShowHint.
  void ShowHintHandler(std::string& HintStr, bool& CanShow, THintInfo& HintInfo);

  TvlSkinHintWindow* HW = nullptr;  // the tooltips on demand (owned)

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void InstallShowHintHandler();
  void ClearTitleAndImage();
  // Arms the one timer of the tooltips on demand: Action runs once after Ms.
  void Arm(UINT Ms, std::function<void()> Action);
  void ShowAtCursor(bool Extended);

  bool FActive = true;
  TvlSkinData* FSD = nullptr;
  std::unique_ptr<TFont> FDefaultFont;
  std::string FLineSeparator = "@";
  TWeak<TCustomImageList> FHintImageList;
  TTimer* HintTimer = nullptr;  // owned; enabled while a tooltip on demand is pending or shown
  std::function<void()> FTimerAction;
  std::string HintText;
  TRect FromRect{};
  bool Top = false;
};

// The settings component of every tooltip: the first active TvlSkinHint among the components of
// the application's main form; nullptr without a main form or such a component.
[[nodiscard]] TvlSkinHint* vlFindHintComponent();
