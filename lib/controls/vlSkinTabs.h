#pragma once
// The skinned page control and its tab sheets. TvlSkinPageControl is the platform's page
// control painted by the skin library: the tab strip, every tab, the page frame and the page
// background come from one tab element of the skin ("tab" by default) or from a built-in look.
// It adds per-tab close buttons, image-and-text tab layouts, tabs on any side with optionally
// horizontal text, centred or offset tabs, hiding of the tabs and the border, mouse-wheel page
// switching and a skinned up-down for scrolling a single row of tabs. Its pages are
// TvlSkinTabSheet, which paint their background from a wallpaper or the page control's skin.
//
// Geometry: the pages' display rectangle is the area inside the tab band; with an element the
// page frame is that band's area, the pages sit inside it by the element's borders
// (ClRect and SkinRect's right and bottom margins). Nothing is cached between paints.
//
// GUI thread only.

#include <functional>
#include <memory>
#include <string>

#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlSkinDescription.h"
#include "platform/controls/TabControl.h"

class TvlSkinPageControl;
class TvlSkinUpDown;
class TvlDataSkinTabControl;

// Sender: the page about to close; clearing CanClose keeps it.
using TvlCloseEvent = std::function<void(TObject* Sender, bool& CanClose)>;
// Draws the content of tab TabIndex (a page index) into Cnvs, whose Rct is the tab's bitmap.
using TvlDrawSkinTabEvent =
    std::function<void(int TabIndex, const TRect& Rct, bool Active, bool MouseIn, TCanvas* Cnvs)>;


class TvlSkinCustomTabSheet : public TTabSheet {
 public:
  explicit TvlSkinCustomTabSheet(TComponent* AOwner);
  ~TvlSkinCustomTabSheet() override;

  // Tiled over the page when not empty.
  [[nodiscard]] TBitmap* WallPaper() const { return FWallPaper.get(); }
  void SetWallPaper(TBitmap* Value);
  // Paints the page's background on DC (the page's own coordinates).
  void PaintBG(HDC DC);

  // The tab's close button relative to the tab's rectangle, set when the tab is drawn.
  TRect ButtonRect{};
  bool ButtonMouseIn = false;
  bool ButtonMouseDown = false;

 protected:
  void WndProc(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;

 private:
  [[nodiscard]] TvlSkinPageControl* SkinPageControl() const;
  std::unique_ptr<TBitmap> FWallPaper;
};

class TvlSkinTabSheet : public TvlSkinCustomTabSheet {
 public:
  using TvlSkinCustomTabSheet::TvlSkinCustomTabSheet;
};

class TvlSkinPageControl : public TPageControl, public TvlSkinClient {
 public:
  explicit TvlSkinPageControl(TComponent* AOwner);
  ~TvlSkinPageControl() override;

  // ---- Skin --------------------------------------------------------------------------------
  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] const std::string& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }
  [[nodiscard]] int SkinIndex() const { return FIndex; }
  // Looks the element up and copies its values (the fallbacks for empty rectangles are kept
  // here, never written into the skin's description).
  void GetSkinData();
  void ChangeSkinData() override;
  // The item size again (without touching the font); realigns.
  void UpDateTabs();

  // ---- Tabs --------------------------------------------------------------------------------
  void HideTabs();
  void ShowTabs();
  void HideBorderAndTabs();
  void ShowBorderAndTabs();
  [[nodiscard]] bool TabsHidden() const { return FHideTabs; }
  [[nodiscard]] bool BorderHidden() const { return FHideBorder; }

  [[nodiscard]] bool MouseWheelSupport() const { return FMouseWheelSupport; }
  void SetMouseWheelSupport(bool Value) { FMouseWheelSupport = Value; }
  [[nodiscard]] bool TabExtendedDraw() const { return FTabExtendedDraw; }
  void SetTabExtendedDraw(bool Value);
  [[nodiscard]] int TabMargin() const { return FTabMargin; }
  void SetTabMargin(int Value);
  [[nodiscard]] int TabSpacing() const { return FTabSpacing; }
  void SetTabSpacing(int Value);
  [[nodiscard]] TvlButtonLayout TabLayout() const { return FTabLayout; }
  void SetTabLayout(TvlButtonLayout Value);
  [[nodiscard]] bool TextInHorizontal() const { return FTextInHorizontal; }
  void SetTextInHorizontal(bool Value);
  // Refused (stays false) while TabWidth is 0; on: tabs at the top, one row, transparent strip.
  [[nodiscard]] bool TabsInCenter() const { return FTabsInCenter; }
  void SetTabsInCenter(bool Value);
  [[nodiscard]] int TabsOffsetValue() const { return FTabsOffset; }
  void SetTabsOffset(int Value);
  // Where the first tab starts: TabsOffset when > 0; else the centring offset (0 while
  // TabWidth is 0).
  [[nodiscard]] int TabsOffset() const;
  [[nodiscard]] bool FreeOnClose() const { return FFreeOnClose; }
  void SetFreeOnClose(bool Value) { FFreeOnClose = Value; }
  [[nodiscard]] bool ShowCloseButtons() const { return FShowCloseButtons; }
  void SetShowCloseButtons(bool Value);
  // Images of the tabs (by the pages' ImageIndex).
  [[nodiscard]] TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  [[nodiscard]] bool TabsBGTransparent() const { return FTabsBGTransparent; }
  void SetTabsBGTransparent(bool Value);
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  bool UseSkinFont = true;
  [[nodiscard]] int DefaultItemHeight() const { return FDefaultItemHeight; }
  void SetDefaultItemHeight(int Value);

  // The private list handed to the tab control: every tab reserves room for one of its images.
  [[nodiscard]] TCustomImageList* ReservedRoomList() const { return FTempImages.get(); }
  // Room reserved for a close button.
  [[nodiscard]] int CloseSize() const { return FCloseSize; }
  // The scroll up-down of a single row, nullptr while the row fits.
  [[nodiscard]] TvlSkinUpDown* SkinUpDown() const { return FSkinUpDown; }
  // The tab under the mouse: visible-tab index (-1 none) and page index.
  [[nodiscard]] int HotTabIndex() const { return FActiveTabIndex; }
  // Item rectangle of visible tab Index (shifted by the tabs offset).
  [[nodiscard]] TRect ItemRect(int Index);
  // The pages' area and the frame around it.
  [[nodiscard]] TRect PagesRect() const;
  [[nodiscard]] TRect FrameRect() const;

  TvlCloseEvent OnClose;
  TNotifyEvent OnAfterClose;
  TvlDrawSkinTabEvent OnDrawSkinTab;

  // Copied from the element by GetSkinData.
  TRect CloseButtonRect{}, ClosebuttonActiveRect{}, CloseButtonDownRect{};
  bool ButtonTransparent = false;
  TColor ButtonTransparentColor = 0;
  TBitmap* Picture = nullptr;
  TRect SkinRect{}, ClRect{};
  TRect TabRect{}, ActiveTabRect{}, FocusTabRect{}, MouseInTabRect{}, TabsBGRect{};
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  int TabLeftOffset = 0, TabRightOffset = 0;
  std::string FontName;
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0, MouseInFontColor = 0;
  std::string UpDown;
  int BGPictureIndex = -1;
  bool TabStretchEffect = false;
  bool ShowFocus = false;
  int FocusOffsetX = 0, FocusOffsetY = 0;
  bool StretchEffect = false, LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;
  TvlStretchType StretchType{};

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message) override;
  void Paint() override;
  void WMEraseBkgnd(TMessage& Message) override;
  void Change() override;
  void TabsLaidOut() override;
  // The sheets lie in the skin's page area wherever the page control places them.
  [[nodiscard]] TRect SheetsRect() const override { return PagesRect(); }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  friend class TvlSkinCustomTabSheet;
  [[nodiscard]] TvlDataSkinTabControl* Element() const;
  [[nodiscard]] bool Shifted() const { return FTabsInCenter || FTabsOffset > 0; }
  [[nodiscard]] bool Vertical() const;
  [[nodiscard]] int VisibleTabCount() const;
  [[nodiscard]] TvlSkinCustomTabSheet* PageOfTab(int VisibleIndex) const;
  [[nodiscard]] TRect SelectedTabRect();
  [[nodiscard]] int RequestedTabHeight() const;
  [[nodiscard]] int ItemHeightNow() const;
  void SetItemSize();
  void SetReservedRoom(int Delta);
  void PlacePages();
  // Background of the pages area (the sheets' and this control's own erase).
  void PaintPagesBG(TCanvas* C, int W, int H);
  void PaintFrame(TCanvas* C);
  void PaintTabs(TCanvas* C);
  void DrawTab(int Page, TRect R, bool Hot, bool Selected, TCanvas* C);
  void DrawCloseButton(TCanvas* C, TRect Q, int BW, int BH, TvlSkinCustomTabSheet* Page);
  void TrackTab(int X, int Y);
  [[nodiscard]] bool PointOnCloseButton(int X, int Y);
  void CloseActivePage();
  void RepaintTabs();
  void CheckUpDown();
  void UpDownChange(TObject* Sender);
  [[nodiscard]] int HiddenOnTheLeft();
  [[nodiscard]] int NotFullyShown();

  bool FMouseWheelSupport = false;
  bool FTabExtendedDraw = false;
  int FTabMargin = -1;
  int FTabSpacing = 1;
  TvlButtonLayout FTabLayout{};
  bool FTextInHorizontal = false;
  bool FHideTabs = false, FHideBorder = false;
  TTabPosition FOLdTabPosition = TTabPosition::tpTop;
  bool FOldMultiLine = false;
  int FOldTabHeight = -1;
  int FCloseSize = 14;
  bool FFreeOnClose = false;
  bool FShowCloseButtons = false;
  bool FTabsBGTransparent = false;
  int FActiveTab = -1, FOldActiveTab = -1, FActiveTabIndex = -1, FOldActiveTabIndex = -1;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TCustomImageList> FTempImages;
  bool FTabsInCenter = false;
  int FTabsOffset = 0;
  TvlSkinData* FSD = nullptr;
  std::string FSkinDataName = "tab";
  int FIndex = -1;
  TvlSkinUpDown* FSkinUpDown = nullptr;
  std::unique_ptr<TFont> FDefaultFont;
  int FDefaultItemHeight = 20;
  bool FPlacing = false;
  int FItemHeightSet = 0;
  bool FCheckingUpDown = false;
};
