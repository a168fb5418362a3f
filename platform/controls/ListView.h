#pragma once
// The list view: items with sub-items shown as a report (rows under a column header), a list
// (columns of captions), or icons. The report's column header is a separate "SysHeader32" child
// window (Header.h), announced to the view with WM_PARENTNOTIFY when it is made.
//
// Scrolling follows the native view: in report style the vertical position counts rows (range
// 0 .. Count - 1, page = rows per page) and the horizontal one pixels (range 0 .. the columns'
// total width, page = client width); in list style the horizontal position counts columns of
// items. The window's scroll bars carry them (GetScrollInfo / GetScrollRange / GetScrollPos), a
// bar showing only while there is something to scroll, and WM_VSCROLL / WM_HSCROLL drive them.
//
// Selection changes raise, per item whose state changed, OnChange and then OnSelectItem; the
// item losing the selection comes first. A mouse click raises them on the press and OnClick on
// the release; a press on empty space deselects everything. GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Header.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/core/Strings.h"

class TCustomListView;
class TListItems;

constexpr UINT LVM_FIRST = 0x1000;
constexpr UINT LVM_GETIMAGELIST = LVM_FIRST + 2;  // wParam: LVSIL_*; answers the HIMAGELIST
constexpr UINT LVM_SETIMAGELIST = LVM_FIRST + 3;  // wParam: LVSIL_*, lParam: HIMAGELIST; answers the old one
constexpr UINT LVM_GETITEMCOUNT = LVM_FIRST + 4;
constexpr UINT LVM_GETITEMRECT = LVM_FIRST + 14;  // wParam: item, lParam: TRect* (Left: LVIR_*)
constexpr UINT LVM_SCROLL = LVM_FIRST + 20;        // wParam: dx, lParam: dy (pixels)
constexpr UINT LVM_REDRAWITEMS = LVM_FIRST + 21;   // wParam: first, lParam: last item to repaint
// wParam: column (0 in list style, where it is the width of every column of items), lParam: the
// width for LVM_SETCOLUMNWIDTH (pixels); answer: the width, or TRUE.
constexpr UINT LVM_GETCOLUMNWIDTH = LVM_FIRST + 29;
constexpr UINT LVM_SETCOLUMNWIDTH = LVM_FIRST + 30;
constexpr UINT LVM_GETHEADER = LVM_FIRST + 31;
constexpr UINT LVM_GETTOPINDEX = LVM_FIRST + 39;
constexpr UINT LVM_GETCOUNTPERPAGE = LVM_FIRST + 40;
constexpr UINT LVM_EDITLABEL = LVM_FIRST + 118;    // wParam: item (-1 ends editing); answers the edit's HWND
constexpr int LVSIL_NORMAL = 0;
constexpr int LVSIL_SMALL = 1;
constexpr int LVSIL_STATE = 2;
constexpr int LVIR_BOUNDS = 0;
constexpr int LVIR_ICON = 1;
constexpr int LVIR_LABEL = 2;

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
// What an owner-data fetch is asked to fill.
enum class TItemRequestKind { irText, irImage, irParam, irState, irIndent };
using TItemRequest = TSet<TItemRequestKind>;
// How type-to-find and other searches look for an owner-data item.
enum class TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
enum class TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
enum class TItemChange { ctText, ctImage, ctState };
enum class TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };

class TListColumn {
 public:
  [[nodiscard]] const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  [[nodiscard]] int Width() const { return width_; }
  void SetWidth(int Value);
  [[nodiscard]] int MaxWidth() const { return max_width_; }
  void SetMaxWidth(int Value);
  [[nodiscard]] TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  [[nodiscard]] int ImageIndex() const { return image_index_; }
  void SetImageIndex(int Value) { image_index_ = Value; }
  [[nodiscard]] int Index() const;

 private:
  friend class TListColumns;
  friend class TCustomListView;
  explicit TListColumn(TCustomListView* Owner) : owner_(Owner) {}
  void Changed();
  TCustomListView* owner_;
  std::string caption_;
  int width_ = 50;
  int max_width_ = 0;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  int image_index_ = -1;
};

class TListColumns {
 public:
  explicit TListColumns(TCustomListView* Owner) : owner_(Owner) {}
  TListColumn* Add();
  [[nodiscard]] int Count() const { return static_cast<int>(columns_.size()); }
  // Raises EListError for an index out of range.
  [[nodiscard]] TListColumn* Items(int Index) const;
  [[nodiscard]] TListColumn* operator[](int Index) const { return Items(Index); }
  void Delete(int Index);
  void Clear();
  [[nodiscard]] int IndexOf(const TListColumn* Column) const;

 private:
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListColumn>> columns_;
};

class TListItem {
 public:
  ~TListItem();
  [[nodiscard]] const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  [[nodiscard]] TStrings* SubItems() const { return sub_items_.get(); }
  [[nodiscard]] int ImageIndex() const { return image_index_; }
  void SetImageIndex(int Value);
  [[nodiscard]] void* Data() const { return data_; }
  void SetData(void* Value) { data_ = Value; }
  [[nodiscard]] bool Selected() const;
  void SetSelected(bool Value);
  [[nodiscard]] bool Focused() const;
  void SetFocused(bool Value);
  // The item's position in Items (for a fetched owner-data item: the index it stands for).
  [[nodiscard]] int Index() const { return index_; }
  // Client coordinates of the item's row, icon or label.
  [[nodiscard]] TRect DisplayRect(TDisplayCode Code) const;
  void Delete();
  void MakeVisible(bool PartialOK);
  // Starts editing the caption in an edit over the item's label; false when the view is
  // read-only or OnEditing refused.
  bool EditCaption();
  [[nodiscard]] TCustomListView* ListView() const { return owner_; }

 private:
  friend class TListItems;
  friend class TCustomListView;
  explicit TListItem(TCustomListView* Owner);
  TCustomListView* owner_;
  std::string caption_;
  std::unique_ptr<TStringList> sub_items_;
  int image_index_ = -1;
  void* data_ = nullptr;
  int index_ = -1;
};

class TListItems {
 public:
  explicit TListItems(TCustomListView* Owner) : owner_(Owner) {}
  ~TListItems();
  TListItem* Add();
  // Raises EListError for an index out of range.
  TListItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  // The number of items; in owner-data mode the number set with SetCount.
  [[nodiscard]] int Count() const;
  // Owner-data mode only: the number of virtual items.
  void SetCount(int Value);
  // The item at Index; in owner-data mode a scratch item filled by OnData (valid until the next
  // call). Raises EListError for an index out of range.
  [[nodiscard]] TListItem* Item(int Index) const;
  [[nodiscard]] TListItem* operator[](int Index) const { return Item(Index); }
  void BeginUpdate();
  void EndUpdate();
  [[nodiscard]] int IndexOf(const TListItem* Item) const;

 private:
  friend class TCustomListView;
  friend class TListItem;
  void Renumber(int From);
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListItem>> items_;
  int virtual_count_ = 0;
};

using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVOwnerDataEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& S)>;
// Sets Index to the item found (it comes in as -1).
using TLVOwnerDataFindEvent =
    std::function<void(TObject* Sender, TItemFind Find, const std::string& FindString, TPoint FindPosition,
                       void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap, int& Index)>;

// How a selected item is painted: the fill behind it and the colour of its texts.
struct TListSelectionLook {
  TColor Fill;
  TColor Text;
};

class TCustomListView : public TCustomControl {
 public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  [[nodiscard]] TListColumns* Columns() const { return columns_.get(); }
  [[nodiscard]] TListItems* Items() const { return items_.get(); }
  [[nodiscard]] TViewStyle ViewStyle() const { return view_style_; }
  // Descendants that build columns per style override it and call the base.
  virtual void SetViewStyle(TViewStyle Value);
  [[nodiscard]] bool RowSelect() const { return row_select_; }
  void SetRowSelect(bool Value);
  [[nodiscard]] bool GridLines() const { return grid_lines_; }
  void SetGridLines(bool Value);
  [[nodiscard]] bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool Value);
  // Label editing is refused while set.
  [[nodiscard]] bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool Value) { read_only_ = Value; }
  [[nodiscard]] bool ShowColumnHeaders() const { return show_column_headers_; }
  void SetShowColumnHeaders(bool Value);
  [[nodiscard]] bool OwnerData() const { return owner_data_; }
  // Switching clears the items.
  void SetOwnerData(bool Value);
  [[nodiscard]] TCustomImageList* SmallImages() const { return small_images_; }
  void SetSmallImages(TCustomImageList* Value);
  [[nodiscard]] TCustomImageList* LargeImages() const { return large_images_; }
  void SetLargeImages(TCustomImageList* Value);

  // The focused item's index (-1 none); setting selects that item alone.
  [[nodiscard]] int ItemIndex() const { return focused_; }
  void SetItemIndex(int Value);
  // The first selected item, nullptr for none; setting selects that item alone.
  [[nodiscard]] TListItem* Selected() const;
  void SetSelected(TListItem* Item);
  [[nodiscard]] int SelCount() const;
  void ClearSelection();
  // Selects every item (multi-select only; Ctrl+A does it from the keyboard).
  void SelectAll();
  [[nodiscard]] bool IsItemSelected(int Index) const;
  // Changes one item's selected state, raising the events when it changed.
  void SelectItem(int Index, bool Value);

  // The first item shown (report: the top row; list: the top of the first column shown).
  [[nodiscard]] int TopIndex() const;
  // Rows that fit the client area below the header (at least 1 while there is room).
  [[nodiscard]] int VisibleRowCount() const;
  [[nodiscard]] int RowHeight() const;
  [[nodiscard]] int HeaderHeight() const;
  // Scrolls by pixels (vertically rounded to whole rows in report and list style).
  void Scroll(int DX, int DY);
  // Range and position of one bar (SB_HORZ / SB_VERT), as the view reports them.
  using TScrollState = TScrollBarState;
  [[nodiscard]] TScrollState ScrollInfo(int Bar) const;
  // The item under a client point, nullptr for none.
  [[nodiscard]] TListItem* GetItemAt(int X, int Y) const;
  [[nodiscard]] int IndexAt(TPoint Pos) const;
  [[nodiscard]] TRect ItemRect(int Index, TDisplayCode Code) const;
  // The header window (report style with column headers shown), nullptr otherwise.
  [[nodiscard]] HWND HeaderHandle() const { return header_ ? header_->Handle() : nullptr; }
  // Finds the first item from Start (wrapping) whose caption begins with Prefix, ignoring case.
  // In owner-data mode the search goes through OwnerDataFind.
  [[nodiscard]] int FindCaption(int Start, const std::string& Prefix);

  void BeginUpdate();
  void EndUpdate();

  // Label editing: Return or leaving the edit ends it and keeps the text (after OnEdited, which
  // may change it), Escape ends it and drops the text. F2 starts it on the focused item.
  [[nodiscard]] bool IsEditing() const { return editing_ >= 0; }
  void EndEditing(bool Accept);
  // The edit over the item while editing, nullptr otherwise.
  [[nodiscard]] TEdit* EditControl() const { return IsEditing() ? edit_ : nullptr; }

  TLVSelectItemEvent OnSelectItem;
  TLVChangeEvent OnChange;
  TLVColumnClickEvent OnColumnClick;
  TLVOwnerDataEvent OnData;
  TLVOwnerDataFindEvent OnDataFind;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;

 protected:
  // Raises OnChange; every change of an item's text, image or state passes here (descendants
  // that follow the view's state override it and call the base).
  virtual void Change(TListItem* Item, TItemChange Change);
  // Owner-data mode: fills Item (its Index set, the rest cleared) with what Request names
  // whenever the view needs an item; the base raises OnData. The answer is not used.
  virtual bool OwnerDataFetch(TListItem* Item, TItemRequest Request);
  // Owner-data mode: finds an item for type-to-find (ifPartialString, the typed prefix, from
  // StartIndex, sdAll, wrapping); -1 for none. The base asks OnDataFind and, without it, looks
  // through the fetched captions.
  virtual int OwnerDataFind(TItemFind Find, const std::string& FindString, TPoint FindPosition, void* FindData,
                            int StartIndex, TSearchDirection Direction, bool Wrap);
  // A click on the column's header section; the base raises OnColumnClick.
  virtual void ColumnClick(TListColumn* Column);
  // The look of the selected items, asked at every paint: the base gives the system's highlight
  // while the view has the focus and the button face under the view's text colour otherwise.
  [[nodiscard]] virtual TListSelectionLook SelectionLook(bool HasFocus) const;
  // The end of a label edit of item ItemIndex: Text is the edited caption, nullptr when the edit
  // was cancelled. The base raises OnEdited (which may change the text) and, unless the view is
  // owner-data, gives the item the text.
  virtual void Edit(int ItemIndex, const std::string* Text);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Paint() override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  bool WantsKey(WORD Key) override;
  void BoundsChanged(const TRect& OldBounds) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TListItems;
  friend class TListItem;
  friend class TListColumn;
  friend class TListColumns;
  void ColumnsChanged();
  [[nodiscard]] int ScanCaptions(int Start, const std::string& Prefix) const;
  void ItemsChanged();
  void ItemChanged(TListItem* Item, TItemChange Change);
  void ItemInserted(int Index);
  void ItemDeleted(int Index);
  void SetFocusedIndex(int Index);
  bool StartEditing(int Index);
  void ScrollTo(int TopIndex, int HorzPos);
  void ScrollMessage(int Bar, int Code, int Thumb);
  // LVM_GETCOLUMNWIDTH / LVM_SETCOLUMNWIDTH.
  LRESULT ColumnWidthMessage(bool Set, int Column, int Width);
  void Layout();
  void UpdateScrollBars();
  void UpdateHeader();
  void MoveBy(int Delta, TShiftState Shift);
  [[nodiscard]] int TotalColumnWidth() const;
  [[nodiscard]] int ItemsPerColumn() const;
  [[nodiscard]] int ListItemWidth() const;
  [[nodiscard]] TSize IconCell() const;
  [[nodiscard]] int IconColumns() const;
  [[nodiscard]] int ContentHeight() const;
  [[nodiscard]] int MaxTopIndex() const;
  [[nodiscard]] int MaxHorzPos() const;
  void PaintItem(TCanvas* Canvas, int Index);
  [[nodiscard]] const TListItem* ItemForPaint(int Index) const;

  std::unique_ptr<TListColumns> columns_;
  std::unique_ptr<TListItems> items_;
  std::unique_ptr<THeaderWindow> header_;
  std::vector<bool> selected_;  // per item index (virtual items too)
  TViewStyle view_style_ = TViewStyle::vsIcon;
  bool row_select_ = false;
  bool grid_lines_ = false;
  bool multi_select_ = false;
  bool read_only_ = false;
  bool show_column_headers_ = true;
  bool owner_data_ = false;
  TCustomImageList* small_images_ = nullptr;
  TCustomImageList* large_images_ = nullptr;
  int focused_ = -1;
  int anchor_ = -1;
  int top_index_ = 0;  // report: first row; list: first column of items; icons: pixels
  int horz_pos_ = 0;   // report: pixels; icon styles: pixels
  int list_column_width_;  // list style: the width of a column of items (LVM_SETCOLUMNWIDTH)
  int update_count_ = 0;
  bool in_layout_ = false;  // a bar shown or hidden resizes the client while laying out
  std::string find_buffer_;
  DWORD find_time_ = 0;
  mutable std::unique_ptr<TListItem> scratch_;
  TEdit* edit_ = nullptr;  // owned by the view as a component; hidden between edits
  int editing_ = -1;       // the item being edited  // the owner-data item handed to OnData
};

class TListView : public TCustomListView {
 public:
  using TCustomListView::TCustomListView;
};
