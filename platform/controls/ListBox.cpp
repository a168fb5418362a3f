#include "platform/controls/ListBox.h"

#include <algorithm>
#include <atomic>

#include "platform/core/Exceptions.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/core/SysUtils.h"
#include "platform/windowing/WindowTree.h"

// The items of a list box, kept by the list box itself (through its messages when it has a
// window, so hooks see them).
class TListBoxStrings final : public TStrings {
 public:
  explicit TListBoxStrings(TCustomListBox* Owner) : owner_(Owner) {}
  int Count() const override { return static_cast<int>(owner_->items_.size()); }
  int AddObject(const std::string& S, TObject* AObject) override {
    int i = owner_->HandleAllocated()
                ? static_cast<int>(SendMessage(owner_->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str())))
                : owner_->NativeInsert(owner_->sorted_ ? -2 : -1, S);
    if (i >= 0) owner_->items_[static_cast<std::size_t>(i)].object = AObject;
    return i;
  }
  void Insert(int Index, const std::string& S) override {
    if (Index < 0 || Index > Count()) RaiseIndexError(Index);
    if (owner_->HandleAllocated()) {
      SendMessage(owner_->Handle(), LB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str()));
    } else {
      owner_->NativeInsert(Index, S);
    }
  }
  void Delete(int Index) override {
    if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
    if (owner_->HandleAllocated()) SendMessage(owner_->Handle(), LB_DELETESTRING, static_cast<WPARAM>(Index), 0);
    else owner_->NativeDelete(Index);
  }
  void Clear() override {
    if (owner_->HandleAllocated()) SendMessage(owner_->Handle(), LB_RESETCONTENT, 0, 0);
    else owner_->NativeReset();
  }

 protected:
  std::string Get(int Index) const override {
    if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
    return owner_->items_[static_cast<std::size_t>(Index)].text;
  }
  void Put(int Index, const std::string& S) override {
    if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
    TObject* o = GetObject(Index);
    bool sel = owner_->Selected(Index);
    Delete(Index);
    InsertObject(Index, S, o);
    if (sel) owner_->SetSelected(Index, true);
  }
  TObject* GetObject(int Index) const override {
    if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
    return owner_->items_[static_cast<std::size_t>(Index)].object;
  }
  void PutObject(int Index, TObject* AObject) override {
    if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
    owner_->items_[static_cast<std::size_t>(Index)].object = AObject;
  }

 private:
  TCustomListBox* owner_;
};

namespace {

std::atomic<int> g_next_id{0x4C00};

bool IsKeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

TPoint PointOf(LPARAM l) {
  return {static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l))), static_cast<short>(HIWORD(static_cast<std::uintptr_t>(l)))};
}

}  // namespace

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), strings_(std::make_unique<TListBoxStrings>(this)), canvas_(std::make_unique<TCanvas>()) {
  // No click from the mouse itself: OnClick comes from the selection change (LBN_SELCHANGE).
  SetControlStyle(TControlStyle{TControlStyleFlag::csSetCaption, TControlStyleFlag::csDoubleClicks,
                                TControlStyleFlag::csCaptureMouse});
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  color_ = clWindow;
  SetParentColor(false);
}

TCustomListBox::~TCustomListBox() = default;

TStrings* TCustomListBox::Items() const { return strings_.get(); }
void TCustomListBox::SetItems(TStrings* Value) { strings_->Assign(Value); }
void TCustomListBox::Clear() { strings_->Clear(); }

void TCustomListBox::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.Style |= WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
  if (sorted_) P.Style |= LBS_SORT;
  if (multi_select_) P.Style |= extended_select_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (style_ == TListBoxStyle::lbOwnerDrawFixed) P.Style |= LBS_OWNERDRAWFIXED;
  if (columns_ > 0) P.Style |= LBS_MULTICOLUMN | WS_HSCROLL;
  P.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
  P.WinClassName = "ListBox";
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  // An id of its own, so the parent can hand WM_DRAWITEM back to it.
  if (GetWindowLongPtr(handle_, GWL_ID) == 0) SetWindowLongPtr(handle_, GWL_ID, g_next_id++);
  // The top row set before the window had its size is judged again against the rows it shows.
  top_index_ = std::clamp(top_index_, 0, MaxTopIndex());
  UpdateScrollBars();
}

void TCustomListBox::DestroyWnd() { TWinControl::DestroyWnd(); }

// ---- Properties ----

int TCustomListBox::ItemIndex() const { return multi_select_ ? caret_index_ : cur_sel_; }

void TCustomListBox::SetItemIndex(int Value) {
  if (HandleAllocated()) {
    if (multi_select_) SendMessage(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(Value), 0);
    else SendMessage(handle_, LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
    return;
  }
  TMessage m{multi_select_ ? LB_SETCARETINDEX : LB_SETCURSEL, static_cast<WPARAM>(Value), 0, 0};
  HandleNative(m);
}

void TCustomListBox::SetTopIndex(int Value) {
  if (HandleAllocated()) {
    SendMessage(handle_, LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
    return;
  }
  // Without a window yet the same rule holds: no blank rows below the last item.
  TMessage m{LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0, 0};
  HandleNative(m);
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value <= 0 || Value > 255) return;
  item_height_ = Value;
  if (HandleAllocated()) {
    UpdateScrollBars();
    RedrawWithErase();
  }
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (multi_select_ == Value) return;
  multi_select_ = Value;
  for (auto& i : items_) i.selected = false;
  cur_sel_ = -1;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (extended_select_ == Value) return;
  extended_select_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

bool TCustomListBox::Selected(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(items_.size())) {
    throw EListError(Format("List index out of bounds (%d)", Index));
  }
  return multi_select_ ? items_[static_cast<std::size_t>(Index)].selected : cur_sel_ == Index;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  if (Index < 0 || Index >= static_cast<int>(items_.size())) {
    throw EListError(Format("List index out of bounds (%d)", Index));
  }
  if (multi_select_) {
    items_[static_cast<std::size_t>(Index)].selected = Value;
  } else if (Value) {
    cur_sel_ = Index;
  } else if (cur_sel_ == Index) {
    cur_sel_ = -1;
  }
  if (HandleAllocated()) Invalidate();
}

int TCustomListBox::SelCount() const {
  if (!multi_select_) return -1;  // as the platform answers for a single-selection list
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const Item& i) { return i.selected; }));
}

void TCustomListBox::SelectAll() {
  if (!multi_select_) return;
  for (auto& i : items_) i.selected = true;
  if (HandleAllocated()) Invalidate();
}

void TCustomListBox::ClearSelection() {
  for (auto& i : items_) i.selected = false;
  cur_sel_ = -1;
  if (HandleAllocated()) Invalidate();
}

void TCustomListBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  if (Value) {
    std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; });
    cur_sel_ = -1;
  }
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListBox::SetColumns(int Value) {
  Value = std::max(Value, 0);
  if (columns_ == Value) return;
  columns_ = Value;
  top_index_ = 0;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

// ---- Geometry ----

int TCustomListBox::RowsShown() const { return std::max(1, ClientHeight() / std::max(item_height_, 1)); }
int TCustomListBox::ColumnWidth() const { return std::max(1, ClientWidth() / std::max(columns_, 1)); }

int TCustomListBox::ColumnCount() const {
  int rows = RowsShown();
  return (static_cast<int>(items_.size()) + rows - 1) / rows;
}

int TCustomListBox::MaxTopIndex() const {
  int n = static_cast<int>(items_.size());
  if (columns_ > 0) {
    int rows = RowsShown();
    return std::max(0, ColumnCount() - columns_) * rows;
  }
  return std::max(0, n - RowsShown());
}

TRect TCustomListBox::ItemRect(int Index) const {
  if (columns_ > 0) {
    int rows = RowsShown();
    int rel = Index - top_index_;
    int col = rel >= 0 ? rel / rows : -((-rel + rows - 1) / rows);
    int row = rel - col * rows;
    return Bounds(col * ColumnWidth(), row * item_height_, ColumnWidth(), item_height_);
  }
  return Bounds(0, (Index - top_index_) * item_height_, ClientWidth(), item_height_);
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) const {
  int n = static_cast<int>(items_.size());
  int index;
  if (columns_ > 0) {
    int rows = RowsShown();
    if (Pos.Y < 0 || Pos.X < 0 || Pos.Y >= rows * item_height_) return Existing ? -1 : n;
    index = top_index_ + (Pos.X / ColumnWidth()) * rows + Pos.Y / item_height_;
  } else {
    if (Pos.Y < 0) return Existing ? -1 : 0;
    index = top_index_ + Pos.Y / item_height_;
  }
  if (index < n && ItemRect(index).Contains(Pos)) return index;
  return Existing ? -1 : n;
}

// ---- Framework side ----

void TCustomListBox::WndProc(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      if (HIWORD(M.WParam) == LBN_SELCHANGE) {
        Click();
        return;
      }
      if (HIWORD(M.WParam) == LBN_DBLCLK) return;  // DblClick ran from the mouse message
      break;
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
      if (!dis) return;
      TOwnerDrawState state;
      if (dis->itemState & ODS_SELECTED) state.Include(TOwnerDrawStateFlag::odSelected);
      if (dis->itemState & ODS_FOCUS) state.Include(TOwnerDrawStateFlag::odFocused);
      if (dis->itemState & ODS_DISABLED) state.Include(TOwnerDrawStateFlag::odDisabled);
      {
        TCanvasPaintScope scope(canvas_.get(), dis->hDC, Font());
        canvas_->Brush()->SetColor(Color());
        DrawItem(static_cast<int>(dis->itemID), dis->rcItem, state);
      }
      M.Result = TRUE;
      return;
    }
    default:
      break;
  }
  TWinControl::WndProc(M);
}

void TCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem && style_ == TListBoxStyle::lbOwnerDrawFixed) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  const bool selected = State.Contains(TOwnerDrawStateFlag::odSelected);
  canvas_->Brush()->SetColor(selected ? clHighlight : Color());
  canvas_->FillRect(Rect);
  canvas_->Font()->SetColor(selected ? clHighlightText : Font()->Color());
  if (Index >= 0 && Index < static_cast<int>(items_.size())) {
    canvas_->TextRect(Rect, Rect.Left + 2, Rect.Top, items_[static_cast<std::size_t>(Index)].text);
  }
  if (State.Contains(TOwnerDrawStateFlag::odFocused)) canvas_->DrawFocusRect(Rect);
}

bool TCustomListBox::WantsKey(WORD Key) {
  return Key == VK_UP || Key == VK_DOWN || Key == VK_LEFT || Key == VK_RIGHT || Key == VK_HOME || Key == VK_END ||
         Key == VK_PRIOR || Key == VK_NEXT;
}

void TCustomListBox::WMPaint(TMessage& M) { DefaultHandler(M); }
void TCustomListBox::WMEraseBkgnd(TMessage& M) { DefaultHandler(M); }

void TCustomListBox::WMSize(TMessage& M) {
  TWinControl::WMSize(M);
  if (HandleAllocated() && !updating_scroll_) {
    top_index_ = std::min(top_index_, MaxTopIndex());
    UpdateScrollBars();
    RedrawWithErase();
  }
}

void TCustomListBox::WMLButtonDown(TMessage& M) {
  NativeFirst(M, [&] { TWinControl::WMLButtonDown(M); });
}
void TCustomListBox::WMLButtonDblClk(TMessage& M) {
  NativeFirst(M, [&] { TWinControl::WMLButtonDblClk(M); });
}
void TCustomListBox::WMMouseMove(TMessage& M) {
  NativeFirst(M, [&] { TWinControl::WMMouseMove(M); });
}
void TCustomListBox::WMLButtonUp(TMessage& M) {
  NativeFirst(M, [&] { TWinControl::WMLButtonUp(M); });
}

void TCustomListBox::DefaultHandler(TMessage& M) {
  if (HandleAllocated() && HandleNative(M)) return;
  TWinControl::DefaultHandler(M);
}

// ---- The window's own handling ----

int TCustomListBox::NativeInsert(int Index, const std::string& S) {
  int n = static_cast<int>(items_.size());
  if (Index == -2) {  // sorted add
    Index = static_cast<int>(std::upper_bound(items_.begin(), items_.end(), S, [](const std::string& s, const Item& i) {
                                return CompareText(s, i.text) < 0;
                              }) - items_.begin());
  }
  if (Index < 0 || Index > n) Index = n;
  items_.insert(items_.begin() + Index, Item{S, nullptr, false});
  if (cur_sel_ >= Index) ++cur_sel_;
  if (caret_index_ >= Index) ++caret_index_;
  if (HandleAllocated()) {
    UpdateScrollBars();
    RedrawWithErase();
  }
  return Index;
}

int TCustomListBox::NativeDelete(int Index) {
  int n = static_cast<int>(items_.size());
  if (Index < 0 || Index >= n) return static_cast<int>(LB_ERR);
  items_.erase(items_.begin() + Index);
  if (cur_sel_ == Index) cur_sel_ = -1;
  else if (cur_sel_ > Index) --cur_sel_;
  if (caret_index_ >= static_cast<int>(items_.size())) caret_index_ = static_cast<int>(items_.size()) - 1;
  top_index_ = std::min(top_index_, MaxTopIndex());
  if (HandleAllocated()) {
    UpdateScrollBars();
    RedrawWithErase();
  }
  return static_cast<int>(items_.size());
}

void TCustomListBox::NativeReset() {
  items_.clear();
  cur_sel_ = caret_index_ = anchor_index_ = -1;
  top_index_ = 0;
  if (HandleAllocated()) {
    UpdateScrollBars();
    RedrawWithErase();
  }
}

int TCustomListBox::NativeFind(int After, const std::string& Prefix) const {
  int n = static_cast<int>(items_.size());
  if (n == 0) return static_cast<int>(LB_ERR);
  int start = (After < 0 || After >= n) ? 0 : After + 1;
  for (int k = 0; k < n; ++k) {
    int i = (start + k) % n;
    const std::string& t = items_[static_cast<std::size_t>(i)].text;
    if (t.size() >= Prefix.size() && CompareText(t.substr(0, Prefix.size()), Prefix) == 0) return i;
  }
  return static_cast<int>(LB_ERR);
}

bool TCustomListBox::HandleNative(TMessage& M) {
  const int n = static_cast<int>(items_.size());
  const int w = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
  switch (M.Msg) {
    case LB_ADDSTRING:
      M.Result = NativeInsert(sorted_ ? -2 : -1, M.LParam ? reinterpret_cast<const char*>(M.LParam) : "");
      return true;
    case LB_INSERTSTRING:
      M.Result = NativeInsert(w, M.LParam ? reinterpret_cast<const char*>(M.LParam) : "");
      return true;
    case LB_DELETESTRING:
      M.Result = NativeDelete(w);
      return true;
    case LB_RESETCONTENT:
      NativeReset();
      return true;
    case LB_GETCOUNT:
      M.Result = n;
      return true;
    case LB_GETTEXT:
      if (w < 0 || w >= n) { M.Result = LB_ERR; return true; }
      if (auto* out = reinterpret_cast<std::string*>(M.LParam)) *out = items_[static_cast<std::size_t>(w)].text;
      M.Result = static_cast<LRESULT>(items_[static_cast<std::size_t>(w)].text.size());
      return true;
    case LB_GETTEXTLEN:
      M.Result = (w < 0 || w >= n) ? LB_ERR : static_cast<LRESULT>(items_[static_cast<std::size_t>(w)].text.size());
      return true;
    case LB_GETITEMDATA:
      M.Result = (w < 0 || w >= n) ? LB_ERR : reinterpret_cast<LRESULT>(items_[static_cast<std::size_t>(w)].object);
      return true;
    case LB_SETITEMDATA:
      if (w < 0 || w >= n) { M.Result = LB_ERR; return true; }
      items_[static_cast<std::size_t>(w)].object = reinterpret_cast<TObject*>(M.LParam);
      M.Result = 0;
      return true;
    case LB_SETCURSEL:
      if (multi_select_) { M.Result = LB_ERR; return true; }
      cur_sel_ = (w >= 0 && w < n) ? w : -1;
      caret_index_ = cur_sel_;
      if (cur_sel_ >= 0) ScrollIntoView(cur_sel_);
      if (HandleAllocated()) Invalidate();
      M.Result = w >= 0 && w < n ? w : LB_ERR;
      return true;
    case LB_GETCURSEL:
      M.Result = multi_select_ ? caret_index_ : cur_sel_;
      return true;
    case LB_SETSEL: {
      if (!multi_select_) { M.Result = LB_ERR; return true; }
      int i = static_cast<int>(M.LParam);
      if (i == -1) {
        for (auto& it : items_) it.selected = M.WParam != 0;
      } else if (i >= 0 && i < n) {
        items_[static_cast<std::size_t>(i)].selected = M.WParam != 0;
      } else {
        M.Result = LB_ERR;
        return true;
      }
      if (HandleAllocated()) Invalidate();
      M.Result = 0;
      return true;
    }
    case LB_GETSEL:
      M.Result = (w < 0 || w >= n) ? LB_ERR : (Selected(w) ? 1 : 0);
      return true;
    case LB_GETSELCOUNT:
      M.Result = multi_select_ ? SelCount() : LB_ERR;
      return true;
    case LB_SETCARETINDEX:
      if (w < 0 || w >= n) { M.Result = LB_ERR; return true; }
      caret_index_ = w;
      if (!multi_select_) cur_sel_ = w;
      ScrollIntoView(w);
      if (HandleAllocated()) Invalidate();
      M.Result = 0;
      return true;
    case LB_GETCARETINDEX:
      M.Result = caret_index_;
      return true;
    case LB_GETTOPINDEX:
      M.Result = top_index_;
      return true;
    case LB_SETTOPINDEX:
      if (w < 0 || (w >= n && n > 0)) { M.Result = LB_ERR; return true; }
      if (columns_ > 0) {
        int rows = RowsShown();
        top_index_ = std::min((w / rows) * rows, MaxTopIndex());
      } else {
        top_index_ = std::min(w, MaxTopIndex());
      }
      UpdateScrollBars();
      RedrawWithErase();
      M.Result = 0;
      return true;
    case LB_GETITEMRECT:
      if (w < 0 || w >= n) { M.Result = LB_ERR; return true; }
      if (auto* r = reinterpret_cast<TRect*>(M.LParam)) *r = ItemRect(w);
      M.Result = 1;
      return true;
    case LB_SETITEMHEIGHT:
      if (M.LParam <= 0 || M.LParam > 255) { M.Result = LB_ERR; return true; }
      SetItemHeight(static_cast<int>(M.LParam));
      M.Result = 0;
      return true;
    case LB_GETITEMHEIGHT:
      M.Result = item_height_;
      return true;
    case LB_FINDSTRING:
      M.Result = NativeFind(w, M.LParam ? reinterpret_cast<const char*>(M.LParam) : "");
      return true;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return true;
    case WM_VSCROLL:
    case WM_HSCROLL:
      NativeScroll(M.Msg == WM_VSCROLL, LOWORD(M.WParam));
      if (M.Msg == WM_VSCROLL ? columns_ == 0 : columns_ > 0) {
        // Thumb positions: the full value from the bar while it is dragged, else the 16 bits.
        int code = LOWORD(M.WParam);
        if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
          int pos = ScrollThumbPos(handle_, columns_ > 0 ? SB_HORZ : SB_VERT, HIWORD(M.WParam));
          int top = columns_ > 0 ? pos * RowsShown() : pos;
          top_index_ = std::clamp(top, 0, MaxTopIndex());
          UpdateScrollBars();
          RedrawWithErase();
        }
      }
      M.Result = 0;
      return true;
    case WM_MOUSEWHEEL: {
      auto delta = static_cast<short>(HIWORD(M.WParam));
      for (int k = 0; k < 3; ++k) NativeScroll(columns_ == 0, delta > 0 ? SB_LINEUP : SB_LINEDOWN);
      M.Result = 0;
      return true;
    }
    case WM_KEYDOWN:
      NativeKey(static_cast<WORD>(M.WParam));
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      NativeMouse(M.Msg, PointOf(M.LParam), M.WParam);
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (caret_index_ >= 0) Invalidate();
      return false;
    case WM_ERASEBKGND: {
      TRect r = ClientRect();
      FillRect(reinterpret_cast<HDC>(M.WParam), &r, Brush()->Handle());
      M.Result = 1;
      return true;
    }
    case WM_PAINT:
      PaintNative(M, [this](HDC DC) { NativePaint(DC); });
      M.Result = 0;
      return true;
    default:
      return false;
  }
}

void TCustomListBox::NativeScroll(bool Vertical, int Code) {
  const bool mine = Vertical ? columns_ == 0 : columns_ > 0;
  if (!mine) return;
  const int unit = columns_ > 0 ? RowsShown() : 1;     // a line is a column in multi-column mode
  const int page = columns_ > 0 ? columns_ * unit : RowsShown();
  int top = top_index_;
  switch (Code) {
    case SB_LINEUP: top -= unit; break;
    case SB_LINEDOWN: top += unit; break;
    case SB_PAGEUP: top -= page; break;
    case SB_PAGEDOWN: top += page; break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = MaxTopIndex(); break;
    default: return;  // thumb codes are read by the caller; SB_ENDSCROLL does nothing
  }
  top_index_ = std::clamp(top, 0, MaxTopIndex());
  UpdateScrollBars();
  RedrawWithErase();
}

void TCustomListBox::UpdateScrollBars() {
  if (!HandleAllocated() || updating_scroll_) return;
  updating_scroll_ = true;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  const int n = static_cast<int>(items_.size());
  if (columns_ > 0) {
    si.nMin = 0;
    si.nMax = std::max(0, ColumnCount() - 1);
    si.nPage = static_cast<UINT>(columns_);
    si.nPos = top_index_ / RowsShown();
    SetScrollInfo(handle_, SB_HORZ, &si, TRUE);
  } else {
    si.nMin = 0;
    si.nMax = std::max(0, n - 1);
    si.nPage = static_cast<UINT>(RowsShown());
    si.nPos = top_index_;
    SetScrollInfo(handle_, SB_VERT, &si, TRUE);
  }
  updating_scroll_ = false;
}

void TCustomListBox::ScrollIntoView(int Index) {
  if (Index < 0) return;
  int old = top_index_;
  if (columns_ > 0) {
    int rows = RowsShown();
    int col = Index / rows, first = top_index_ / rows;
    if (col < first) top_index_ = col * rows;
    else if (col >= first + columns_) top_index_ = (col - columns_ + 1) * rows;
  } else {
    if (Index < top_index_) top_index_ = Index;
    else if (Index >= top_index_ + RowsShown()) top_index_ = Index - RowsShown() + 1;
  }
  top_index_ = std::clamp(top_index_, 0, MaxTopIndex());
  if (top_index_ != old && HandleAllocated()) {
    UpdateScrollBars();
    RedrawWithErase();
  }
}

void TCustomListBox::RedrawWithErase() {
  if (HandleAllocated()) InvalidateRect(handle_, nullptr, TRUE);
}

void TCustomListBox::SelectOnly(int Index) {
  for (auto& i : items_) i.selected = false;
  if (Index >= 0 && Index < static_cast<int>(items_.size())) items_[static_cast<std::size_t>(Index)].selected = true;
}

void TCustomListBox::MoveFocusTo(int Index, bool Extend, bool Toggle) {
  const int n = static_cast<int>(items_.size());
  if (n == 0) return;
  Index = std::clamp(Index, 0, n - 1);
  if (!multi_select_) {
    bool changed = cur_sel_ != Index;
    cur_sel_ = caret_index_ = Index;
    ScrollIntoView(Index);
    Invalidate();
    if (changed) TellSelChange();
    return;
  }
  caret_index_ = Index;
  if (!extended_select_) {
    if (Toggle) items_[static_cast<std::size_t>(Index)].selected = !items_[static_cast<std::size_t>(Index)].selected;
  } else if (Extend && anchor_index_ >= 0) {
    for (int i = 0; i < n; ++i) items_[static_cast<std::size_t>(i)].selected = i >= std::min(anchor_index_, Index) && i <= std::max(anchor_index_, Index);
  } else if (Toggle) {
    items_[static_cast<std::size_t>(Index)].selected = !items_[static_cast<std::size_t>(Index)].selected;
    anchor_index_ = Index;
  } else {
    SelectOnly(Index);
    anchor_index_ = Index;
  }
  ScrollIntoView(Index);
  Invalidate();
  TellSelChange();
}

void TCustomListBox::TellSelChange() {
  HWND parent = GetParent(handle_);
  if (parent && FindControl(parent)) {
    auto id = static_cast<WORD>(GetWindowLongPtr(handle_, GWL_ID));
    SendMessage(parent, WM_COMMAND, static_cast<WPARAM>(id) | (static_cast<WPARAM>(LBN_SELCHANGE) << 16),
                reinterpret_cast<LPARAM>(handle_));
  } else {
    Click();
  }
}

void TCustomListBox::NativeMouse(UINT Msg, TPoint P, WPARAM Keys) {
  const bool ctrl = (Keys & MK_CONTROL) != 0, shift = (Keys & MK_SHIFT) != 0;
  switch (Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != handle_ && CanFocus()) SetFocus();
      int i = ItemAtPos(P, true);
      if (i >= 0) {
        if (multi_select_ && !extended_select_) MoveFocusTo(i, false, true);
        else MoveFocusTo(i, shift, ctrl);
      }
      tracking_ = true;
      SetCapture(handle_);
      break;
    }
    case WM_MOUSEMOVE:
      if (tracking_ && (!multi_select_ || extended_select_)) {
        int i = ItemAtPos(P, true);
        if (i >= 0 && i != ItemIndex()) MoveFocusTo(i, multi_select_, false);
      }
      break;
    case WM_LBUTTONUP:
      if (tracking_) {
        tracking_ = false;
        if (GetCapture() == handle_) ReleaseCapture();
      }
      break;
    default:
      break;
  }
}

void TCustomListBox::NativeKey(WORD Key) {
  const int n = static_cast<int>(items_.size());
  if (n == 0) return;
  const bool shift = IsKeyHeld(VK_SHIFT);
  int at = ItemIndex() < 0 ? 0 : ItemIndex();
  int rows = RowsShown();
  int to;
  switch (Key) {
    case VK_UP: to = at - 1; break;
    case VK_DOWN: to = at + 1; break;
    case VK_LEFT: to = columns_ > 0 ? at - rows : at - 1; break;
    case VK_RIGHT: to = columns_ > 0 ? at + rows : at + 1; break;
    case VK_PRIOR: to = at - (columns_ > 0 ? rows * columns_ : rows - 1); break;
    case VK_NEXT: to = at + (columns_ > 0 ? rows * columns_ : rows - 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    case VK_SPACE:
      if (multi_select_) MoveFocusTo(at, false, true);
      return;
    default: return;
  }
  if (ItemIndex() < 0 && (Key == VK_UP || Key == VK_DOWN)) to = 0;
  MoveFocusTo(to, shift && multi_select_, false);
}

void TCustomListBox::NativePaint(HDC DC) {
  const int n = static_cast<int>(items_.size());
  const bool focused = GetFocus() == handle_;
  TRect client = ClientRect();
  HWND parent = GetParent(handle_);
  for (int i = top_index_; i < n; ++i) {
    TRect r = ItemRect(i);
    if (r.Left >= client.Right || r.Top >= client.Bottom) {
      if (columns_ > 0 && r.Left >= client.Right) break;
      if (columns_ == 0) break;
      continue;
    }
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_LISTBOX;
    dis.CtlID = static_cast<UINT>(GetWindowLongPtr(handle_, GWL_ID));
    dis.itemID = static_cast<UINT>(i);
    dis.itemAction = ODA_DRAWENTIRE;
    if (Selected(i)) dis.itemState |= ODS_SELECTED;
    if (focused && i == caret_index_) dis.itemState |= ODS_FOCUS;
    if (!Enabled()) dis.itemState |= ODS_DISABLED;
    dis.hwndItem = handle_;
    dis.hDC = DC;
    dis.rcItem = r;
    dis.itemData = reinterpret_cast<ULONG_PTR>(items_[static_cast<std::size_t>(i)].object);
    int saved = SaveDC(DC);
    if (style_ == TListBoxStyle::lbOwnerDrawFixed && parent) {
      SendMessage(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    } else {
      TMessage m{CN_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis), 0};
      WndProc(m);
    }
    RestoreDC(DC, saved);
  }
}
