#include "platform/controls/ListView.h"

#include <algorithm>
#include <cstdlib>

#include "platform/core/Clock.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/core/SysUtils.h"
#include "platform/windowing/WindowTree.h"

namespace {

// Width of a column of items in list style (until LVM_SETCOLUMNWIDTH) and of a cell in
// small-icon style (pixels).
constexpr int kListColumnWidth = 120;
// A large-icon cell.
constexpr TSize kIconCell{76, 72};
// Typed characters further apart than this start a new search.
constexpr DWORD kFindTimeoutMs = 1000;

}  // namespace

// ---- TListColumn ------------------------------------------------------------------------------

void TListColumn::SetCaption(const std::string& Value) {
  caption_ = Value;
  Changed();
}
void TListColumn::SetWidth(int Value) {
  width_ = std::max(0, Value);
  Changed();
}
void TListColumn::SetMaxWidth(int Value) {
  max_width_ = std::max(0, Value);
  Changed();
}
void TListColumn::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Changed();
}
int TListColumn::Index() const { return owner_->Columns()->IndexOf(this); }
void TListColumn::Changed() { owner_->ColumnsChanged(); }

// ---- TListColumns -----------------------------------------------------------------------------

TListColumn* TListColumns::Add() {
  columns_.emplace_back(new TListColumn(owner_));
  owner_->ColumnsChanged();
  return columns_.back().get();
}

TListColumn* TListColumns::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return columns_[static_cast<std::size_t>(Index)].get();
}

void TListColumns::Delete(int Index) {
  (void)Items(Index);
  columns_.erase(columns_.begin() + Index);
  owner_->ColumnsChanged();
}

void TListColumns::Clear() {
  columns_.clear();
  owner_->ColumnsChanged();
}

int TListColumns::IndexOf(const TListColumn* Column) const {
  for (int i = 0; i < Count(); ++i)
    if (columns_[static_cast<std::size_t>(i)].get() == Column) return i;
  return -1;
}

// ---- TListItem --------------------------------------------------------------------------------

TListItem::TListItem(TCustomListView* Owner) : owner_(Owner), sub_items_(std::make_unique<TStringList>()) {}
TListItem::~TListItem() = default;

void TListItem::SetCaption(const std::string& Value) {
  caption_ = Value;
  owner_->ItemChanged(this, TItemChange::ctText);
}
void TListItem::SetImageIndex(int Value) {
  image_index_ = Value;
  owner_->ItemChanged(this, TItemChange::ctImage);
}
bool TListItem::Selected() const { return owner_->IsItemSelected(index_); }
void TListItem::SetSelected(bool Value) { owner_->SelectItem(index_, Value); }
bool TListItem::Focused() const { return index_ >= 0 && owner_->ItemIndex() == index_; }
void TListItem::SetFocused(bool Value) {
  if (Value) {
    owner_->SetFocusedIndex(index_);
  } else if (Focused()) {
    owner_->SetFocusedIndex(-1);
  }
}
TRect TListItem::DisplayRect(TDisplayCode Code) const { return owner_->ItemRect(index_, Code); }
void TListItem::Delete() { owner_->Items()->Delete(index_); }
bool TListItem::EditCaption() { return owner_->StartEditing(index_); }
void TListItem::MakeVisible(bool) {
  // Scrolls just enough to bring the item in.
  if (index_ < 0) return;
  TCustomListView* v = owner_;
  switch (v->view_style_) {
    case TViewStyle::vsReport: {
      int page = std::max(1, v->VisibleRowCount());
      int top = v->top_index_;
      if (index_ < top) top = index_;
      if (index_ >= top + page) top = index_ - page + 1;
      v->ScrollTo(top, v->horz_pos_);
      break;
    }
    case TViewStyle::vsList: {
      int perColumn = v->ItemsPerColumn();
      int pageColumns = std::max(1, v->ClientWidth() / v->list_column_width_);
      int column = index_ / perColumn, first = v->horz_pos_;
      if (column < first) first = column;
      if (column >= first + pageColumns) first = column - pageColumns + 1;
      v->ScrollTo(0, first);
      break;
    }
    default: {
      TRect r = v->ItemRect(index_, TDisplayCode::drBounds);
      int top = v->top_index_;
      if (r.Top < 0) top += r.Top;
      if (r.Bottom > v->ClientHeight()) top += r.Bottom - v->ClientHeight();
      v->ScrollTo(top, 0);
      break;
    }
  }
}

// ---- TListItems -------------------------------------------------------------------------------

TListItems::~TListItems() = default;

TListItem* TListItems::Add() { return Insert(static_cast<int>(items_.size())); }

TListItem* TListItems::Insert(int Index) {
  if (owner_->OwnerData()) throw EListError("Items of an owner-data list view are set by count");
  if (Index < 0 || Index > static_cast<int>(items_.size()))
    throw EListError(Format("List index out of bounds (%d)", Index));
  items_.emplace(items_.begin() + Index, new TListItem(owner_));
  Renumber(Index);
  owner_->ItemInserted(Index);
  return items_[static_cast<std::size_t>(Index)].get();
}

void TListItems::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  if (owner_->OwnerData()) {
    --virtual_count_;
  } else {
    items_.erase(items_.begin() + Index);
    Renumber(Index);
  }
  owner_->ItemDeleted(Index);
}

void TListItems::Clear() {
  BeginUpdate();
  items_.clear();
  virtual_count_ = 0;
  owner_->selected_.clear();
  owner_->focused_ = owner_->anchor_ = -1;
  owner_->top_index_ = owner_->horz_pos_ = 0;
  EndUpdate();
}

int TListItems::Count() const {
  return owner_->OwnerData() ? virtual_count_ : static_cast<int>(items_.size());
}

void TListItems::SetCount(int Value) {
  if (!owner_->OwnerData()) return;
  virtual_count_ = std::max(0, Value);
  owner_->selected_.resize(static_cast<std::size_t>(virtual_count_), false);
  if (owner_->focused_ >= virtual_count_) owner_->focused_ = -1;
  if (owner_->anchor_ >= virtual_count_) owner_->anchor_ = -1;
  owner_->ItemsChanged();
}

TListItem* TListItems::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  if (!owner_->OwnerData()) return items_[static_cast<std::size_t>(Index)].get();
  auto& scratch = owner_->scratch_;
  if (!scratch) scratch.reset(new TListItem(owner_));
  scratch->caption_.clear();
  scratch->sub_items_->Clear();
  scratch->image_index_ = -1;
  scratch->data_ = nullptr;
  scratch->index_ = Index;
  (void)owner_->OwnerDataFetch(scratch.get(), TItemRequest{TItemRequestKind::irText, TItemRequestKind::irImage,
                                                            TItemRequestKind::irParam, TItemRequestKind::irState});
  return scratch.get();
}

void TListItems::BeginUpdate() { owner_->BeginUpdate(); }
void TListItems::EndUpdate() { owner_->EndUpdate(); }

int TListItems::IndexOf(const TListItem* Item) const {
  if (Item == nullptr || Item->owner_ != owner_) return -1;
  return Item->index_;
}

void TListItems::Renumber(int From) {
  for (std::size_t i = static_cast<std::size_t>(std::max(0, From)); i < items_.size(); ++i)
    items_[i]->index_ = static_cast<int>(i);
}

// ---- TCustomListView: properties --------------------------------------------------------------

TCustomListView::TCustomListView(TComponent* AOwner)
    : TCustomControl(AOwner),
      columns_(std::make_unique<TListColumns>(this)),
      items_(std::make_unique<TListItems>(this)) {
  list_column_width_ = kListColumnWidth;
  SetBounds(0, 0, 250, 150);
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
}

TCustomListView::~TCustomListView() {
  header_.reset();
  // Items call back into the view while they go; let them go while it is still whole.
  items_.reset();
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  if (view_style_ == Value) return;
  view_style_ = Value;
  top_index_ = horz_pos_ = 0;
  UpdateHeader();
  ItemsChanged();
}

void TCustomListView::SetRowSelect(bool Value) {
  row_select_ = Value;
  Invalidate();
}
void TCustomListView::SetGridLines(bool Value) {
  grid_lines_ = Value;
  Invalidate();
}

void TCustomListView::SetMultiSelect(bool Value) {
  if (multi_select_ == Value) return;
  multi_select_ = Value;
  if (!Value) {
    // Only the focused item (or the first selected one) stays selected.
    int keep = IsItemSelected(focused_) ? focused_ : (Selected() ? Selected()->Index() : -1);
    for (int i = 0; i < static_cast<int>(selected_.size()); ++i)
      if (i != keep) SelectItem(i, false);
  }
}

void TCustomListView::SetShowColumnHeaders(bool Value) {
  if (show_column_headers_ == Value) return;
  show_column_headers_ = Value;
  UpdateHeader();
  ItemsChanged();
}

void TCustomListView::SetOwnerData(bool Value) {
  if (owner_data_ == Value) return;
  items_->Clear();
  owner_data_ = Value;
  ItemsChanged();
}

void TCustomListView::SetSmallImages(TCustomImageList* Value) {
  ReplaceReference(small_images_, Value, large_images_);
  ItemsChanged();
}

void TCustomListView::SetLargeImages(TCustomImageList* Value) {
  ReplaceReference(large_images_, Value, small_images_);
  ItemsChanged();
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == small_images_) small_images_ = nullptr;
  if (AComponent == large_images_) large_images_ = nullptr;
}

void TCustomListView::BeginUpdate() { ++update_count_; }

void TCustomListView::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0) ItemsChanged();
}

// ---- Selection --------------------------------------------------------------------------------

bool TCustomListView::IsItemSelected(int Index) const {
  return Index >= 0 && Index < static_cast<int>(selected_.size()) && selected_[static_cast<std::size_t>(Index)];
}

TListItem* TCustomListView::Selected() const {
  for (int i = 0; i < static_cast<int>(selected_.size()); ++i)
    if (selected_[static_cast<std::size_t>(i)]) return items_->Item(i);
  return nullptr;
}

int TCustomListView::SelCount() const {
  return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

void TCustomListView::SelectItem(int Index, bool Value) {
  if (Index < 0 || Index >= static_cast<int>(selected_.size()) || IsItemSelected(Index) == Value) return;
  if (Value && !multi_select_) {
    for (int i = 0; i < static_cast<int>(selected_.size()); ++i)
      if (i != Index) SelectItem(i, false);
  }
  selected_[static_cast<std::size_t>(Index)] = Value;
  Invalidate();
  TWeak<TControl> self(this);
  TListItem* item = items_->Item(Index);
  Change(item, TItemChange::ctState);
  if (!self) return;
  if (OnSelectItem) OnSelectItem(this, items_->Item(Index), Value);
}

void TCustomListView::SelectAll() {
  if (!multi_select_) return;
  TWeak<TControl> self(this);
  for (int i = 0; i < static_cast<int>(selected_.size()) && self; ++i) SelectItem(i, true);
}

void TCustomListView::ClearSelection() {
  for (int i = 0; i < static_cast<int>(selected_.size()); ++i) SelectItem(i, false);
}

void TCustomListView::SetItemIndex(int Value) {
  if (Value < 0 || Value >= items_->Count()) {
    ClearSelection();
    focused_ = -1;
    return;
  }
  for (int i = 0; i < static_cast<int>(selected_.size()); ++i)
    if (i != Value) SelectItem(i, false);
  SetFocusedIndex(Value);
  anchor_ = Value;
  SelectItem(Value, true);
}

void TCustomListView::SetSelected(TListItem* Item) {
  SetItemIndex(Item == nullptr ? -1 : items_->IndexOf(Item));
}

void TCustomListView::SetFocusedIndex(int Index) {
  if (Index == focused_) return;
  focused_ = Index;
  Invalidate();
}

// ---- Items changing ---------------------------------------------------------------------------

void TCustomListView::ColumnsChanged() {
  if (header_) {
    std::vector<THeaderSection> sections;
    for (int i = 0; i < columns_->Count(); ++i) {
      TListColumn* c = columns_->Items(i);
      sections.push_back({c->Caption(), c->Width(), c->MaxWidth(), c->Alignment()});
    }
    header_->SetSections(std::move(sections));
  }
  Layout();
  Invalidate();
}

void TCustomListView::ItemsChanged() {
  if (update_count_ > 0) return;
  Layout();
  Invalidate();
}

void TCustomListView::ItemChanged(TListItem* Item, TItemChange Change) {
  if (Item->index_ < 0 || owner_data_) return;
  if (update_count_ == 0) Invalidate();
  this->Change(Item, Change);
}

void TCustomListView::Change(TListItem* Item, TItemChange Change) {
  if (OnChange) OnChange(this, Item, Change);
}

void TCustomListView::ItemInserted(int Index) {
  selected_.insert(selected_.begin() + Index, false);
  if (focused_ >= Index) ++focused_;
  if (anchor_ >= Index) ++anchor_;
  if (editing_ >= Index) ++editing_;
  ItemsChanged();
}

void TCustomListView::ItemDeleted(int Index) {
  if (editing_ == Index) EndEditing(false);
  else if (editing_ > Index) --editing_;
  if (Index < static_cast<int>(selected_.size())) selected_.erase(selected_.begin() + Index);
  if (focused_ == Index) focused_ = -1;
  else if (focused_ > Index) --focused_;
  if (anchor_ == Index) anchor_ = -1;
  else if (anchor_ > Index) --anchor_;
  ItemsChanged();
}

// ---- Geometry ---------------------------------------------------------------------------------

int TCustomListView::RowHeight() const {
  int h = std::abs(Font()->Height()) + 6;
  if (small_images_ != nullptr && view_style_ != TViewStyle::vsIcon) h = std::max(h, small_images_->Height() + 1);
  return h;
}

int TCustomListView::HeaderHeight() const {
  return header_ && header_->Handle() != nullptr ? std::abs(Font()->Height()) + 9 : 0;
}

int TCustomListView::TopIndex() const {
  switch (view_style_) {
    case TViewStyle::vsReport: return top_index_;
    case TViewStyle::vsList: return horz_pos_ * ItemsPerColumn();
    default: return (top_index_ / IconCell().cy) * IconColumns();
  }
}

int TCustomListView::VisibleRowCount() const {
  return std::max(0, (ClientHeight() - HeaderHeight()) / RowHeight());
}

int TCustomListView::TotalColumnWidth() const {
  int total = 0;
  for (int i = 0; i < columns_->Count(); ++i) total += columns_->Items(i)->Width();
  return total;
}

int TCustomListView::ItemsPerColumn() const { return std::max(1, ClientHeight() / RowHeight()); }

TSize TCustomListView::IconCell() const {
  return view_style_ == TViewStyle::vsIcon ? kIconCell : TSize{kListColumnWidth, RowHeight()};
}

int TCustomListView::IconColumns() const { return std::max(1, ClientWidth() / IconCell().cx); }

int TCustomListView::ContentHeight() const {
  int rows = (items_->Count() + IconColumns() - 1) / IconColumns();
  return rows * IconCell().cy;
}

int TCustomListView::MaxTopIndex() const {
  switch (view_style_) {
    case TViewStyle::vsReport: return std::max(0, items_->Count() - std::max(1, VisibleRowCount()));
    case TViewStyle::vsList: return 0;
    default: return std::max(0, ContentHeight() - ClientHeight());
  }
}

int TCustomListView::MaxHorzPos() const {
  switch (view_style_) {
    case TViewStyle::vsReport: return std::max(0, TotalColumnWidth() - ClientWidth());
    case TViewStyle::vsList: {
      int columns = (items_->Count() + ItemsPerColumn() - 1) / ItemsPerColumn();
      return std::max(0, columns - std::max(1, ClientWidth() / list_column_width_));
    }
    default: return 0;
  }
}

TCustomListView::TScrollState TCustomListView::ScrollInfo(int Bar) const {
  TScrollState s;
  const int count = items_->Count();
  switch (view_style_) {
    case TViewStyle::vsReport:
      if (Bar == SB_VERT) s = {0, std::max(0, count - 1), VisibleRowCount(), top_index_};
      else s = {0, TotalColumnWidth(), ClientWidth(), horz_pos_};
      break;
    case TViewStyle::vsList:
      if (Bar == SB_HORZ) {
        int columns = (count + ItemsPerColumn() - 1) / ItemsPerColumn();
        s = {0, std::max(0, columns - 1), std::max(1, ClientWidth() / list_column_width_), horz_pos_};
      }
      break;
    default:
      if (Bar == SB_VERT) s = {0, ContentHeight(), ClientHeight(), top_index_};
      else s = {0, 0, ClientWidth(), 0};
      break;
  }
  return s;
}

TRect TCustomListView::ItemRect(int Index, TDisplayCode Code) const {
  if (Index < 0 || Index >= items_->Count()) return {};
  TRect bounds;
  int iconWidth = 0;
  switch (view_style_) {
    case TViewStyle::vsReport: {
      int y = HeaderHeight() + (Index - top_index_) * RowHeight();
      int captionWidth = columns_->Count() > 0 ? columns_->Items(0)->Width() : TotalColumnWidth();
      bounds = {-horz_pos_, y, TotalColumnWidth() - horz_pos_, y + RowHeight()};
      iconWidth = small_images_ ? small_images_->Width() + 2 : 0;
      if (Code == TDisplayCode::drBounds || Code == TDisplayCode::drSelectBounds) return bounds;
      if (Code == TDisplayCode::drIcon) return {bounds.Left + 2, y, bounds.Left + 2 + iconWidth, bounds.Bottom};
      return {bounds.Left + 2 + iconWidth, y, bounds.Left + captionWidth, bounds.Bottom};
    }
    case TViewStyle::vsList: {
      int perColumn = ItemsPerColumn();
      int x = (Index / perColumn - horz_pos_) * list_column_width_;
      int y = (Index % perColumn) * RowHeight();
      bounds = {x, y, x + list_column_width_, y + RowHeight()};
      iconWidth = small_images_ ? small_images_->Width() + 2 : 0;
      break;
    }
    default: {
      TSize cell = IconCell();
      int x = (Index % IconColumns()) * cell.cx;
      int y = (Index / IconColumns()) * cell.cy - top_index_;
      bounds = {x, y, x + cell.cx, y + cell.cy};
      TCustomImageList* images = view_style_ == TViewStyle::vsIcon ? large_images_ : small_images_;
      iconWidth = images ? images->Width() + 2 : 0;
      if (view_style_ == TViewStyle::vsIcon) {
        int iconHeight = images ? images->Height() : 32;
        if (Code == TDisplayCode::drIcon) return {x, y + 2, x + cell.cx, y + 4 + iconHeight};
        if (Code == TDisplayCode::drLabel) return {x, y + 4 + iconHeight, x + cell.cx, y + cell.cy};
        return bounds;
      }
      break;
    }
  }
  if (Code == TDisplayCode::drIcon) return {bounds.Left, bounds.Top, bounds.Left + iconWidth, bounds.Bottom};
  if (Code == TDisplayCode::drLabel) return {bounds.Left + iconWidth, bounds.Top, bounds.Right, bounds.Bottom};
  return bounds;
}

int TCustomListView::IndexAt(TPoint Pos) const {
  const int count = items_->Count();
  if (Pos.X < 0 || Pos.Y < 0 || Pos.X >= ClientWidth() || Pos.Y >= ClientHeight()) return -1;
  switch (view_style_) {
    case TViewStyle::vsReport: {
      if (Pos.Y < HeaderHeight()) return -1;
      int index = top_index_ + (Pos.Y - HeaderHeight()) / RowHeight();
      if (index >= count) return -1;
      // Without whole-row selection only the caption column is the item.
      TRect hit = row_select_ ? ItemRect(index, TDisplayCode::drBounds)
                              : TRect{ItemRect(index, TDisplayCode::drBounds).Left, 0,
                                      ItemRect(index, TDisplayCode::drLabel).Right, ClientHeight()};
      return Pos.X >= hit.Left && Pos.X < hit.Right ? index : -1;
    }
    case TViewStyle::vsList: {
      int column = Pos.X / list_column_width_ + horz_pos_;
      int row = Pos.Y / RowHeight();
      if (row >= ItemsPerColumn()) return -1;
      int index = column * ItemsPerColumn() + row;
      return index < count ? index : -1;
    }
    default: {
      TSize cell = IconCell();
      int column = Pos.X / cell.cx;
      if (column >= IconColumns()) return -1;
      int index = ((Pos.Y + top_index_) / cell.cy) * IconColumns() + column;
      return index < count ? index : -1;
    }
  }
}

TListItem* TCustomListView::GetItemAt(int X, int Y) const {
  int index = IndexAt({X, Y});
  return index < 0 ? nullptr : items_->Item(index);
}

int TCustomListView::FindCaption(int Start, const std::string& Prefix) {
  if (owner_data_) {
    if (items_->Count() == 0 || Prefix.empty()) return -1;
    const int found = OwnerDataFind(TItemFind::ifPartialString, Prefix, TPoint{0, 0}, nullptr,
                                    std::clamp(Start, 0, items_->Count() - 1), TSearchDirection::sdAll, true);
    return found >= 0 && found < items_->Count() ? found : -1;
  }
  return ScanCaptions(Start, Prefix);
}

int TCustomListView::ScanCaptions(int Start, const std::string& Prefix) const {
  const int count = items_->Count();
  if (count == 0 || Prefix.empty()) return -1;
  Start = std::clamp(Start, 0, count - 1);
  for (int step = 0; step < count; ++step) {
    int i = (Start + step) % count;
    const std::string& caption = items_->Item(i)->Caption();
    if (caption.size() >= Prefix.size() && AnsiSameText(caption.substr(0, Prefix.size()), Prefix)) return i;
  }
  return -1;
}

LRESULT TCustomListView::ColumnWidthMessage(bool Set, int Column, int Width) {
  if (view_style_ == TViewStyle::vsList) {
    if (Column != 0) return Set ? FALSE : 0;
    if (!Set) return list_column_width_;
    if (Width < 1) return FALSE;
    if (Width != list_column_width_) {
      list_column_width_ = Width;
      Layout();
      Invalidate();
    }
    return TRUE;
  }
  if (Column < 0 || Column >= columns_->Count()) return Set ? FALSE : 0;
  if (!Set) return columns_->Items(Column)->Width();
  columns_->Items(Column)->SetWidth(std::max(Width, 0));
  return TRUE;
}

// ---- Scrolling --------------------------------------------------------------------------------

void TCustomListView::ScrollTo(int TopIndex, int HorzPos) {
  TopIndex = std::clamp(TopIndex, 0, MaxTopIndex());
  HorzPos = std::clamp(HorzPos, 0, MaxHorzPos());
  if (TopIndex == top_index_ && HorzPos == horz_pos_) return;
  top_index_ = TopIndex;
  horz_pos_ = HorzPos;
  Layout();
  Invalidate();
}

void TCustomListView::Scroll(int DX, int DY) {
  switch (view_style_) {
    case TViewStyle::vsReport: ScrollTo(top_index_ + DY / RowHeight(), horz_pos_ + DX); break;
    case TViewStyle::vsList: ScrollTo(0, horz_pos_ + DX / list_column_width_); break;
    default: ScrollTo(top_index_ + DY, horz_pos_ + DX); break;
  }
}

void TCustomListView::ScrollMessage(int Bar, int Code, int Thumb) {
  TScrollState s = ScrollInfo(Bar);
  int line = 1;
  if (view_style_ == TViewStyle::vsReport && Bar == SB_HORZ) line = 8;
  if ((view_style_ == TViewStyle::vsIcon || view_style_ == TViewStyle::vsSmallIcon) && Bar == SB_VERT)
    line = IconCell().cy;
  std::optional<int> pos = ScrollRequestPos(s, Code, Thumb, line);
  if (!pos) return;
  if (Bar == SB_VERT) ScrollTo(*pos, horz_pos_);
  else ScrollTo(top_index_, *pos);
}

void TCustomListView::Layout() {
  if (update_count_ > 0 || in_layout_) return;
  in_layout_ = true;
  // Twice: showing or hiding one bar changes the page of the other.
  for (int pass = 0; pass < 2; ++pass) {
    top_index_ = std::clamp(top_index_, 0, MaxTopIndex());
    horz_pos_ = std::clamp(horz_pos_, 0, MaxHorzPos());
    UpdateScrollBars();
  }
  in_layout_ = false;
  top_index_ = std::clamp(top_index_, 0, MaxTopIndex());
  horz_pos_ = std::clamp(horz_pos_, 0, MaxHorzPos());
  if (header_ && header_->Handle() != nullptr) {
    // The header slides with the horizontal scroll, like the rows under it.
    MoveWindow(header_->Handle(), -horz_pos_, 0, std::max(ClientWidth() + horz_pos_, TotalColumnWidth()),
               HeaderHeight(), TRUE);
  }
}

void TCustomListView::UpdateScrollBars() {
  if (!HandleAllocated()) return;
  for (int bar : {SB_HORZ, SB_VERT}) SetScrollBarState(handle_, bar, ScrollInfo(bar));
}

void TCustomListView::BoundsChanged(const TRect& OldBounds) {
  TCustomControl::BoundsChanged(OldBounds);
  Layout();
}

// ---- Window -----------------------------------------------------------------------------------

void TCustomListView::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  Params.WinClassName = "SysListView32";
}

void TCustomListView::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateHeader();
  Layout();
}

void TCustomListView::DestroyWnd() {
  header_.reset();
  TCustomControl::DestroyWnd();
}

void TCustomListView::UpdateHeader() {
  bool wanted = HandleAllocated() && view_style_ == TViewStyle::vsReport && show_column_headers_;
  if (!wanted) {
    header_.reset();
    return;
  }
  if (header_ && header_->Handle() != nullptr) return;
  header_ = std::make_unique<THeaderWindow>(Handle());
  header_->SetFont(Font());
  header_->OnSectionResize = [this](int Index, int NewWidth) {
    if (Index >= columns_->Count()) return;
    columns_->Items(Index)->width_ = NewWidth;  // the header has it already
    Layout();
    Invalidate();
  };
  header_->OnSectionClick = [this](int Index) {
    if (Index < columns_->Count()) ColumnClick(columns_->Items(Index));
  };
  ColumnsChanged();
}

void TCustomListView::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case LVM_GETITEMCOUNT: Message.Result = items_->Count(); return;
    case LVM_GETTOPINDEX: Message.Result = TopIndex(); return;
    case LVM_GETCOUNTPERPAGE:
      Message.Result = view_style_ == TViewStyle::vsReport ? VisibleRowCount()
                       : view_style_ == TViewStyle::vsList
                           ? ItemsPerColumn() * std::max(1, ClientWidth() / list_column_width_)
                           : items_->Count();
      return;
    case LVM_GETHEADER: Message.Result = reinterpret_cast<LRESULT>(HeaderHandle()); return;
    case LVM_GETCOLUMNWIDTH:
    case LVM_SETCOLUMNWIDTH: {
      const auto column = static_cast<int>(Message.WParam);
      const auto width = static_cast<int>(Message.LParam);
      Message.Result = ColumnWidthMessage(Message.Msg == LVM_SETCOLUMNWIDTH, column, width);
      return;
    }
    case LVM_GETIMAGELIST:
    case LVM_SETIMAGELIST: {
      // The message form of SmallImages/LargeImages; the state list is not kept.
      TCustomImageList* TCustomListView::*slot = Message.WParam == LVSIL_SMALL    ? &TCustomListView::small_images_
                                                 : Message.WParam == LVSIL_NORMAL ? &TCustomListView::large_images_
                                                                                  : nullptr;
      TCustomImageList* old = slot ? this->*slot : nullptr;
      Message.Result = old ? reinterpret_cast<LRESULT>(old->Handle()) : 0;
      if (Message.Msg == LVM_SETIMAGELIST && slot) {
        TCustomImageList* list = TCustomImageList::FromHandle(reinterpret_cast<HIMAGELIST>(Message.LParam));
        if (slot == &TCustomListView::small_images_) {
          SetSmallImages(list);
        } else {
          SetLargeImages(list);
        }
      }
      return;
    }
    case LVM_REDRAWITEMS: {
      const int first = std::max(0, static_cast<int>(Message.WParam));
      const int last = std::min(items_->Count() - 1, static_cast<int>(Message.LParam));
      for (int i = first; i <= last; ++i) {
        const TRect r = ItemRect(i, TDisplayCode::drBounds);
        InvalidateRect(handle_, &r, TRUE);
      }
      Message.Result = TRUE;
      return;
    }
    case LVM_EDITLABEL: {
      const int index = static_cast<int>(Message.WParam);
      if (index < 0) {
        if (IsEditing()) EndEditing(false);
        Message.Result = 0;
        return;
      }
      Message.Result = StartEditing(index) && edit_ ? reinterpret_cast<LRESULT>(edit_->Handle()) : 0;
      return;
    }
    case LVM_SCROLL:
      Scroll(static_cast<int>(Message.WParam), static_cast<int>(Message.LParam));
      Message.Result = TRUE;
      return;
    case LVM_GETITEMRECT: {
      auto* rect = reinterpret_cast<TRect*>(Message.LParam);
      int index = static_cast<int>(Message.WParam);
      if (rect == nullptr || index < 0 || index >= items_->Count()) {
        Message.Result = FALSE;
        return;
      }
      TDisplayCode code = rect->Left == LVIR_ICON    ? TDisplayCode::drIcon
                          : rect->Left == LVIR_LABEL ? TDisplayCode::drLabel
                                                     : TDisplayCode::drBounds;
      *rect = ItemRect(index, code);
      Message.Result = TRUE;
      return;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      const int bar = Message.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
      ScrollMessage(bar, LOWORD(Message.WParam), ScrollThumbPos(handle_, bar, HIWORD(Message.WParam)));
      Message.Result = 0;
      return;
    }
    case WM_MOUSEWHEEL: {
      // A list view runs its columns sideways: the wheel turns them one column a notch.
      const TWheelScroll wheel = WheelScroll(Message.WParam);
      const bool sideways = view_style_ == TViewStyle::vsList;
      for (int i = 0; i < (sideways ? 1 : wheel.Lines); ++i) ScrollMessage(sideways ? SB_HORZ : SB_VERT, wheel.Code, 0);
      Message.Result = 0;
      return;
    }
    default: break;
  }
  TCustomControl::WndProc(Message);
  if (Message.Msg == WM_SIZE) Layout();
  // Selected items and the focus mark look different with and without the focus.
  if ((Message.Msg == WM_SETFOCUS || Message.Msg == WM_KILLFOCUS) && HandleAllocated()) Invalidate();
}

// ---- Input ------------------------------------------------------------------------------------

void TCustomListView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (CanFocus() && !Focused()) SetFocus();
  TWeak<TControl> self(this);
  int index = IndexAt({X, Y});
  if (index < 0) {
    if (Button == TMouseButton::mbLeft) ClearSelection();
  } else if (Button == TMouseButton::mbLeft || !IsItemSelected(index)) {
    bool ctrl = Shift.Contains(TShiftStateFlag::ssCtrl), shift = Shift.Contains(TShiftStateFlag::ssShift);
    if (multi_select_ && ctrl && Button == TMouseButton::mbLeft) {
      SetFocusedIndex(index);
      anchor_ = index;
      SelectItem(index, !IsItemSelected(index));
    } else if (multi_select_ && shift && anchor_ >= 0) {
      int lo = std::min(anchor_, index), hi = std::max(anchor_, index);
      for (int i = 0; i < items_->Count() && self; ++i)
        if (i < lo || i > hi) SelectItem(i, false);
      SetFocusedIndex(index);
      for (int i = lo; i <= hi && self; ++i) SelectItem(i, true);
    } else {
      SetItemIndex(index);
    }
  }
  if (self) TCustomControl::MouseDown(Button, Shift, X, Y);
}

bool TCustomListView::WantsKey(WORD Key) {
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
    case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
      return true;
    default:
      return TCustomControl::WantsKey(Key);
  }
}

void TCustomListView::MoveBy(int Delta, TShiftState Shift) {
  const int count = items_->Count();
  if (count == 0) return;
  int target = focused_ < 0 ? 0 : std::clamp(focused_ + Delta, 0, count - 1);
  TWeak<TControl> self(this);
  if (multi_select_ && Shift.Contains(TShiftStateFlag::ssShift)) {
    if (anchor_ < 0) anchor_ = std::max(focused_, 0);
    int lo = std::min(anchor_, target), hi = std::max(anchor_, target);
    for (int i = 0; i < count && self; ++i)
      if (i < lo || i > hi) SelectItem(i, false);
    SetFocusedIndex(target);
    for (int i = lo; i <= hi && self; ++i) SelectItem(i, true);
  } else if (multi_select_ && Shift.Contains(TShiftStateFlag::ssCtrl)) {
    SetFocusedIndex(target);  // moves the focus only
  } else {
    SetItemIndex(target);
  }
  if (self) items_->Item(target)->MakeVisible(false);
}

void TCustomListView::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const int count = items_->Count();
  int page = std::max(1, VisibleRowCount() - 1);
  int across = view_style_ == TViewStyle::vsList ? ItemsPerColumn()
               : view_style_ == TViewStyle::vsReport ? 0 : 1;
  int down = view_style_ == TViewStyle::vsIcon || view_style_ == TViewStyle::vsSmallIcon ? IconColumns() : 1;
  switch (Key) {
    case VK_UP: MoveBy(-down, Shift); break;
    case VK_DOWN: MoveBy(down, Shift); break;
    case VK_LEFT: if (across > 0) MoveBy(-across, Shift); else ScrollMessage(SB_HORZ, SB_LINELEFT, 0); break;
    case VK_RIGHT: if (across > 0) MoveBy(across, Shift); else ScrollMessage(SB_HORZ, SB_LINERIGHT, 0); break;
    case VK_PRIOR: MoveBy(-page, Shift); break;
    case VK_NEXT: MoveBy(page, Shift); break;
    case VK_HOME: MoveBy(-count, Shift); break;
    case VK_END: MoveBy(count, Shift); break;
    case VK_F2: if (focused_ >= 0) StartEditing(focused_); break;
    case 'A':
      if (!multi_select_ || !Shift.Contains(TShiftStateFlag::ssCtrl)) return;
      SelectAll();
      break;
    default: return;
  }
  Key = 0;
}

void TCustomListView::KeyPress(char32_t& Key) {
  TCustomControl::KeyPress(Key);
  if (Key < 32 || Key == 127) return;
  DWORD now = GetTickCount();
  if (now - find_time_ > kFindTimeoutMs) find_buffer_.clear();
  find_time_ = now;
  find_buffer_ += Utf8Encode(Key);
  // The same letter typed again steps to the next item starting with it; a longer prefix keeps
  // the current item while it still matches.
  std::string first = Utf8Encode(Key);
  bool repeated = find_buffer_.size() > first.size();
  for (std::size_t i = 0; repeated && i < find_buffer_.size(); i += first.size())
    repeated = find_buffer_.compare(i, first.size(), first) == 0;
  std::string prefix = repeated ? first : find_buffer_;
  int start = find_buffer_.size() == first.size() || repeated ? focused_ + 1 : std::max(focused_, 0);
  int found = FindCaption(start < 0 ? 0 : start, prefix);
  if (found >= 0) {
    SetItemIndex(found);
    if (found < items_->Count()) items_->Item(found)->MakeVisible(false);
  }
  Key = 0;
}

// ---- Label editing ----------------------------------------------------------------------------

bool TCustomListView::StartEditing(int Index) {
  if (read_only_ || Index < 0 || Index >= items_->Count() || !HandleAllocated()) return false;
  if (IsEditing()) EndEditing(true);
  TWeak<TControl> self(this);
  TListItem* item = items_->Item(Index);
  bool allow = true;
  if (OnEditing) OnEditing(this, item, allow);
  if (!self || !allow) return false;
  item->MakeVisible(false);
  if (edit_ == nullptr) edit_ = CreateInPlaceEdit(this, [this](bool Accept) { EndEditing(Accept); });
  editing_ = Index;
  TRect label = ItemRect(Index, TDisplayCode::drLabel);
  edit_->SetBounds(label.Left, label.Top, std::max(label.Width(), 40), label.Height());
  edit_->SetText(items_->Item(Index)->Caption());
  edit_->Show();
  edit_->SetFocus();
  edit_->SelectAll();
  return true;
}

void TCustomListView::EndEditing(bool Accept) {
  if (!IsEditing()) return;
  const int index = editing_;
  editing_ = -1;  // first: hiding the edit moves the focus, which must not end it twice
  std::string text = edit_->Text();
  edit_->Hide();
  if (CanFocus()) SetFocus();
  if (index >= items_->Count()) return;
  Edit(index, Accept ? &text : nullptr);
}

void TCustomListView::Edit(int ItemIndex, const std::string* Text) {
  if (Text == nullptr || ItemIndex < 0 || ItemIndex >= items_->Count()) return;
  std::string text = *Text;
  TWeak<TControl> self(this);
  if (OnEdited) OnEdited(this, items_->Item(ItemIndex), text);
  if (self && !owner_data_ && ItemIndex < items_->Count()) items_->Item(ItemIndex)->SetCaption(text);
}

bool TCustomListView::OwnerDataFetch(TListItem* Item, TItemRequest) {
  if (OnData) OnData(this, Item);
  return true;
}

int TCustomListView::OwnerDataFind(TItemFind Find, const std::string& FindString, TPoint FindPosition, void* FindData,
                                   int StartIndex, TSearchDirection Direction, bool Wrap) {
  if (!OnDataFind) return ScanCaptions(StartIndex, FindString);
  int index = -1;
  OnDataFind(this, Find, FindString, FindPosition, FindData, StartIndex, Direction, Wrap, index);
  return index;
}

void TCustomListView::ColumnClick(TListColumn* Column) {
  if (OnColumnClick) OnColumnClick(this, Column);
}

// ---- Painting ---------------------------------------------------------------------------------

TListSelectionLook TCustomListView::SelectionLook(bool HasFocus) const {
  return HasFocus ? TListSelectionLook{clHighlight, clHighlightText} : TListSelectionLook{clBtnFace, Font()->Color()};
}

const TListItem* TCustomListView::ItemForPaint(int Index) const { return items_->Item(Index); }

void TCustomListView::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(ClientRect());
  const int count = items_->Count();
  int first = 0, last = count - 1;
  if (view_style_ == TViewStyle::vsReport) {
    first = top_index_;
    last = std::min(count - 1, top_index_ + VisibleRowCount());
  }
  for (int i = first; i <= last; ++i) {
    TRect bounds = ItemRect(i, TDisplayCode::drBounds);
    if (bounds.Bottom < 0 || bounds.Top >= ClientHeight() || bounds.Right < 0 || bounds.Left >= ClientWidth()) continue;
    PaintItem(canvas, i);
  }
  if (grid_lines_ && view_style_ == TViewStyle::vsReport) {
    canvas->Pen()->SetColor(clBtnFace);
    int right = TotalColumnWidth() - horz_pos_;
    for (int y = HeaderHeight() + RowHeight() - 1; y < ClientHeight(); y += RowHeight()) {
      canvas->MoveTo(-horz_pos_, y);
      canvas->LineTo(right, y);
    }
    int x = -horz_pos_;
    for (int c = 0; c < columns_->Count(); ++c) {
      int w = columns_->Items(c)->Width();
      x += w;
      if (w == 0) continue;
      canvas->MoveTo(x - 1, HeaderHeight());
      canvas->LineTo(x - 1, ClientHeight());
    }
  }
}

void TCustomListView::PaintItem(TCanvas* Canvas, int Index) {
  const TListItem* item = ItemForPaint(Index);
  HDC dc = Canvas->Handle();
  SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  const bool selected = IsItemSelected(Index);
  const TListSelectionLook look = SelectionLook(Focused());
  TRect label = ItemRect(Index, TDisplayCode::drLabel);
  TRect highlight = row_select_ && view_style_ == TViewStyle::vsReport ? ItemRect(Index, TDisplayCode::drBounds) : label;
  if (selected) {
    Canvas->Brush()->SetColor(look.Fill);
    Canvas->FillRect(highlight);
  }
  TCustomImageList* images = view_style_ == TViewStyle::vsIcon ? large_images_ : small_images_;
  if (images != nullptr && item->ImageIndex() >= 0) {
    TRect icon = ItemRect(Index, TDisplayCode::drIcon);
    int x = view_style_ == TViewStyle::vsIcon ? icon.Left + (icon.Width() - images->Width()) / 2 : icon.Left;
    images->Draw(Canvas, x, icon.Top + (icon.Height() - images->Height()) / 2, item->ImageIndex());
    SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
  }
  const COLORREF text = ColorToRGB(selected ? look.Text : Font()->Color());
  SetTextColor(dc, text);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
  if (view_style_ == TViewStyle::vsIcon) format = DT_CENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_SINGLELINE;
  TRect r{label.Left + 2, label.Top, label.Right - 2, label.Bottom};
  DrawText(dc, item->Caption(), &r, format);
  if (view_style_ == TViewStyle::vsReport) {
    // Sub-item k sits in column k + 1.
    int x = ItemRect(Index, TDisplayCode::drBounds).Left;
    for (int c = 0; c < columns_->Count(); ++c) {
      TListColumn* column = columns_->Items(c);
      int left = x;
      x += column->Width();
      if (c == 0 || column->Width() == 0 || c - 1 >= item->SubItems()->Count()) continue;
      if (!(selected && row_select_)) SetTextColor(dc, ColorToRGB(Font()->Color()));
      UINT align = column->Alignment() == TAlignment::taRightJustify ? DT_RIGHT
                   : column->Alignment() == TAlignment::taCenter     ? DT_CENTER
                                                                     : DT_LEFT;
      TRect cell{left + 6, label.Top, x - 6, label.Bottom};
      DrawText(dc, item->SubItems()->Strings(c - 1), &cell, align | format);
    }
  }
  if (Index == focused_ && Focused()) Canvas->DrawFocusRect(highlight);
}
