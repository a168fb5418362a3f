#pragma once
// The list box: a column (or several) of text items with single, multiple or extended
// selection, plain or owner-drawn at a fixed height.
//
// As with the edit, the window's own behaviour (item storage, the LB_* messages, selection by
// mouse and keys, scrolling, painting) sits in DefaultHandler, after the framework chain, so a
// control hooking the window sees every LB_* message. Items changed through `Items` go through
// LB_ADDSTRING / LB_INSERTSTRING / LB_DELETESTRING / LB_RESETCONTENT when the window exists.
//
// Scrolling: one column scrolls by items on the window's vertical bar (range 0..Count-1, page =
// whole rows shown, position = TopIndex); several columns scroll by columns on the horizontal
// bar (range 0..column count-1, page = Columns). Every scroll repaints the whole list with an
// erase (WM_ERASEBKGND), so a control that mirrors the bars can follow. A selection change by
// the user is told to the parent as WM_COMMAND LBN_SELCHANGE, coming back as CN_COMMAND and
// running Click. GUI thread.

#include <string>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/core/Strings.h"

constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_INSERTSTRING = 0x0181;
constexpr UINT LB_DELETESTRING = 0x0182;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETSEL = 0x0185;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETSEL = 0x0187;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_FINDSTRING = 0x018F;
constexpr UINT LB_GETSELCOUNT = 0x0190;
constexpr UINT LB_SETTOPINDEX = 0x0197;
constexpr UINT LB_GETITEMRECT = 0x0198;
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr UINT LB_SETCARETINDEX = 0x019E;
constexpr UINT LB_GETCARETINDEX = 0x019F;
constexpr UINT LB_SETITEMHEIGHT = 0x01A0;
constexpr UINT LB_GETITEMHEIGHT = 0x01A1;
constexpr LRESULT LB_ERR = -1;

constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_MULTIPLESEL = 0x0008;
constexpr DWORD LBS_OWNERDRAWFIXED = 0x0010;
constexpr DWORD LBS_HASSTRINGS = 0x0040;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr DWORD LBS_MULTICOLUMN = 0x0200;
constexpr DWORD LBS_EXTENDEDSEL = 0x0800;

constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;

constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_FOCUS = 0x0010;

// lParam of WM_DRAWITEM (and CN_DRAWITEM).
struct DRAWITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;
  UINT itemAction = 0;
  UINT itemState = 0;
  HWND hwndItem = nullptr;
  HDC hDC = nullptr;
  TRect rcItem;
  ULONG_PTR itemData = 0;
};

enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed };
enum class TOwnerDrawStateFlag { odSelected, odGrayed, odDisabled, odChecked, odFocused };
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;
class TCustomListBox;
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;

class TCustomListBox : public TWinControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  // The items; changes reach the window as LB_* messages.
  [[nodiscard]] TStrings* Items() const;
  void SetItems(TStrings* Value);
  void Clear();

  // The selected item of a single-selection list, the focused one of a multi-selection list;
  // -1 for none. A write selects it (alone) and scrolls it into view.
  [[nodiscard]] int ItemIndex() const;
  void SetItemIndex(int Value);
  [[nodiscard]] int TopIndex() const { return top_index_; }
  void SetTopIndex(int Value);
  [[nodiscard]] int ItemHeight() const { return item_height_; }
  void SetItemHeight(int Value);
  [[nodiscard]] bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool Value);
  [[nodiscard]] bool ExtendedSelect() const { return extended_select_; }
  void SetExtendedSelect(bool Value);
  [[nodiscard]] bool Selected(int Index) const;
  // Raises EListError for an index outside the items.
  void SetSelected(int Index, bool Value);
  [[nodiscard]] int SelCount() const;
  void SelectAll();
  void ClearSelection();
  [[nodiscard]] bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  // 0: one column scrolled vertically; n: n columns shown, scrolled by columns.
  [[nodiscard]] int Columns() const { return columns_; }
  void SetColumns(int Value);
  [[nodiscard]] TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle Value);
  [[nodiscard]] TCanvas* Canvas() const { return canvas_.get(); }

  // Client rectangle of an item (where it would be, also when scrolled out of view).
  [[nodiscard]] TRect ItemRect(int Index) const;
  // The item at a client point; with Existing, -1 below the last item, else the index a new
  // item there would get.
  [[nodiscard]] int ItemAtPos(TPoint Pos, bool Existing) const;

  TDrawItemEvent OnDrawItem;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void WMPaint(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void WMLButtonDown(TMessage& Message) override;
  void WMLButtonDblClk(TMessage& Message) override;
  void WMMouseMove(TMessage& Message) override;
  void WMLButtonUp(TMessage& Message) override;
  bool WantsKey(WORD Key) override;
  // Paints one item on Canvas: OnDrawItem when set for an owner-drawn list, else text with the
  // selection colours and a focus frame.
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);

 private:
  friend class TListBoxStrings;
  struct Item {
    std::string text;
    TObject* object = nullptr;
    bool selected = false;
  };
  bool HandleNative(TMessage& M);
  // Storage operations: the native side of the LB_* messages.
  int NativeInsert(int Index, const std::string& S);
  int NativeDelete(int Index);
  void NativeReset();
  int NativeFind(int After, const std::string& Prefix) const;
  void NativeMouse(UINT Msg, TPoint P, WPARAM Keys);
  void NativeKey(WORD Key);
  void NativePaint(HDC DC);
  void NativeScroll(bool Vertical, int Code);
  void MoveFocusTo(int Index, bool Extend, bool Toggle);
  void SelectOnly(int Index);
  void TellSelChange();
  void UpdateScrollBars();
  void ScrollIntoView(int Index);
  [[nodiscard]] int RowsShown() const;     // whole rows in the client height (at least 1)
  [[nodiscard]] int ColumnWidth() const;
  [[nodiscard]] int ColumnCount() const;   // columns the items fill
  [[nodiscard]] int MaxTopIndex() const;
  void RedrawWithErase();

  std::unique_ptr<TStrings> strings_;
  std::unique_ptr<TCanvas> canvas_;
  std::vector<Item> items_;
  int cur_sel_ = -1;     // single selection
  int caret_index_ = -1; // focused item
  int anchor_index_ = -1;
  int top_index_ = 0;
  int item_height_ = 16;
  bool multi_select_ = false;
  bool extended_select_ = true;
  bool sorted_ = false;
  int columns_ = 0;
  TListBoxStyle style_ = TListBoxStyle::lbStandard;
  bool tracking_ = false;
  bool updating_scroll_ = false;
};

class TListBox : public TCustomListBox {
 public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};
