#pragma once
// The tab control: a row (or rows) of tabs on one side of a display area, and the page control
// built on it, whose tabs are its visible tab sheets.
//
// A single row of tabs that does not fit scrolls: an up-down child of class "msctls_updown32"
// appears at the row's end and moves the first tab shown (it reports with WM_HSCROLL
// SB_THUMBPOSITION, which a replacement may send as well). Changing the tab asks OnChanging
// first (which may refuse) and reports with OnChange. GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/controls/ImageList.h"
#include "platform/core/Strings.h"

class TUpDown;

constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
constexpr UINT TCM_GETITEMRECT = TCM_FIRST + 10;  // wParam: tab, lParam: TRect*
constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;    // answers the previous tab; no change events
constexpr UINT TCM_HITTEST = TCM_FIRST + 13;      // lParam: TCHITTESTINFO*; answers the tab or -1
constexpr UINT TCM_ADJUSTRECT = TCM_FIRST + 40;   // wParam FALSE: window -> display area; TRUE: back
constexpr UINT TCM_SETITEMSIZE = TCM_FIRST + 41;  // lParam: MAKELPARAM(width, height)

constexpr UINT TCHT_NOWHERE = 0x0001;
constexpr UINT TCHT_ONITEMICON = 0x0002;
constexpr UINT TCHT_ONITEMLABEL = 0x0004;
constexpr UINT TCHT_ONITEM = TCHT_ONITEMICON | TCHT_ONITEMLABEL;

struct TCHITTESTINFO {
  TPoint pt;
  UINT flags = 0;
};

enum class TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum class TTabStyle { tsTabs, tsButtons, tsFlatButtons };
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl : public TCustomControl {
 public:
  explicit TCustomTabControl(TComponent* AOwner);
  ~TCustomTabControl() override;

  // The tab captions (a change lays the tabs out again).
  [[nodiscard]] TStrings* Tabs() const { return tabs_.get(); }
  [[nodiscard]] int TabIndex() const { return tab_index_; }
  // Selects a tab without asking (-1: none); out-of-range values are ignored.
  void SetTabIndex(int Value);
  [[nodiscard]] TTabPosition TabPosition() const { return tab_position_; }
  void SetTabPosition(TTabPosition Value);
  [[nodiscard]] TTabStyle Style() const { return style_; }
  void SetStyle(TTabStyle Value);
  [[nodiscard]] bool MultiLine() const { return multi_line_; }
  void SetMultiLine(bool Value);
  // 0: from the font (height) or the caption (width).
  [[nodiscard]] int TabHeight() const { return tab_height_; }
  void SetTabHeight(int Value);
  [[nodiscard]] int TabWidth() const { return tab_width_; }
  void SetTabWidth(int Value);
  [[nodiscard]] TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  // Tab rectangle in client coordinates (empty for a tab scrolled out of a single row).
  [[nodiscard]] TRect TabRect(int Index) const;
  [[nodiscard]] int IndexOfTabAt(int X, int Y) const;
  // The client area less the tabs: where pages go.
  [[nodiscard]] TRect DisplayRect() const;
  // The first tab shown in a scrolled single row.
  [[nodiscard]] int FirstVisibleTab() const { return first_tab_; }
  // The scroller of an overflowing single row, nullptr otherwise.
  [[nodiscard]] HWND ScrollerHandle() const;

  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  virtual bool CanChange();
  virtual void Change();
  // The user picked a tab: asks CanChange, then selects it and runs Change.
  void SelectTabByUser(int Index);
  void CreateWnd() override;
  void Paint() override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void BoundsChanged(const TRect& OldBounds) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Called after the tabs were laid out again (the page control places its sheets).
  virtual void TabsLaidOut() {}

 private:
  void LayoutTabs();
  [[nodiscard]] TSize TabSize(int Index) const;
  [[nodiscard]] bool Vertical() const;

  std::unique_ptr<TStringList> tabs_;
  int tab_index_ = -1;
  TTabPosition tab_position_ = TTabPosition::tpTop;
  TTabStyle style_ = TTabStyle::tsTabs;
  bool multi_line_ = false;
  int tab_height_ = 0;
  int tab_width_ = 0;
  TCustomImageList* images_ = nullptr;
  int first_tab_ = 0;
  int band_ = 0;                // depth of the tab band (rows x tab height)
  std::vector<TRect> rects_;    // per tab, client coordinates
  TUpDown* scroller_ = nullptr; // owned as a component; shown while a single row overflows
  bool laying_out_ = false;
};

class TTabControl : public TCustomTabControl {
 public:
  using TCustomTabControl::TCustomTabControl;
};

class TPageControl;

class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  [[nodiscard]] TPageControl* PageControl() const { return page_control_; }
  // Moves the sheet into (or out of, with nullptr) a page control.
  void SetPageControl(TPageControl* Value);
  [[nodiscard]] bool TabVisible() const { return tab_visible_; }
  void SetTabVisible(bool Value);
  [[nodiscard]] int PageIndex() const;
  // The sheet's tab, -1 while its tab is hidden.
  [[nodiscard]] int TabIndex() const;
  [[nodiscard]] int ImageIndex() const { return image_index_; }
  void SetImageIndex(int Value) { image_index_ = Value; }

 protected:
  void CMTextChanged(TMessage& Message) override;

 private:
  friend class TPageControl;
  TPageControl* page_control_ = nullptr;
  bool tab_visible_ = true;
  int image_index_ = -1;
};

class TPageControl : public TCustomTabControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  [[nodiscard]] int PageCount() const { return static_cast<int>(pages_.size()); }
  [[nodiscard]] TTabSheet* Pages(int Index) const;
  [[nodiscard]] TTabSheet* ActivePage() const { return active_; }
  // Shows that sheet (nullptr: none) without asking OnChanging.
  void SetActivePage(TTabSheet* Page);
  [[nodiscard]] int ActivePageIndex() const;
  void SetActivePageIndex(int Value);

 protected:
  void Change() override;
  void TabsLaidOut() override;
  // Where the sheets go: the display area; a page control drawn its own way gives its own.
  [[nodiscard]] virtual TRect SheetsRect() const { return DisplayRect(); }

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void UpdateTabs();
  void PlaceSheets();
  std::vector<TTabSheet*> pages_;  // sheets are the owner's components and this control's children
  TTabSheet* active_ = nullptr;
};
