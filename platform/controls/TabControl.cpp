#include "platform/controls/TabControl.h"

#include <algorithm>
#include <cstdlib>

#include "platform/core/Exceptions.h"
#include "platform/graphics/Gdi.h"
#include "platform/core/SysUtils.h"
#include "platform/controls/UpDown.h"

namespace {

// Space between the tab band and the display area, for the border drawn around it.
constexpr int kBorder = 2;
// Padding either side of a tab's caption.
constexpr int kTabPadding = 6;

int TextWidthIn(TFont* Font, const std::string& Text) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, Font->Handle());
  TSize size;
  GetTextExtentPoint32(dc, Text, &size);
  DeleteDC(dc);
  return size.cx;
}

}  // namespace

// ---- TCustomTabControl ------------------------------------------------------------------------

TCustomTabControl::TCustomTabControl(TComponent* AOwner)
    : TCustomControl(AOwner), tabs_(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
  tabs_->OnChange = [this](TObject*) {
    if (tab_index_ >= tabs_->Count()) tab_index_ = tabs_->Count() - 1;
    if (tab_index_ < 0 && tabs_->Count() > 0) tab_index_ = 0;
    LayoutTabs();
  };
}

TCustomTabControl::~TCustomTabControl() { tabs_->OnChange = nullptr; }

void TCustomTabControl::SetTabIndex(int Value) {
  if (Value < -1 || Value >= tabs_->Count() || Value == tab_index_) return;
  tab_index_ = Value;
  LayoutTabs();
}

void TCustomTabControl::SetTabPosition(TTabPosition Value) {
  tab_position_ = Value;
  LayoutTabs();
}
void TCustomTabControl::SetStyle(TTabStyle Value) {
  style_ = Value;
  LayoutTabs();
}
void TCustomTabControl::SetMultiLine(bool Value) {
  multi_line_ = Value;
  first_tab_ = 0;
  LayoutTabs();
}
void TCustomTabControl::SetTabHeight(int Value) {
  tab_height_ = std::max(0, Value);
  LayoutTabs();
}
void TCustomTabControl::SetTabWidth(int Value) {
  tab_width_ = std::max(0, Value);
  LayoutTabs();
}

void TCustomTabControl::SetImages(TCustomImageList* Value) {
  ReplaceReference(images_, Value);
  LayoutTabs();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == images_) images_ = nullptr;
  if (Operation == TOperation::opRemove && AComponent == scroller_) scroller_ = nullptr;
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::SelectTabByUser(int Index) {
  if (Index < 0 || Index >= tabs_->Count() || Index == tab_index_) return;
  TWeak<TControl> self(this);
  if (!CanChange() || !self) return;
  SetTabIndex(Index);
  Change();
}

bool TCustomTabControl::Vertical() const {
  return tab_position_ == TTabPosition::tpLeft || tab_position_ == TTabPosition::tpRight;
}

TSize TCustomTabControl::TabSize(int Index) const {
  int along = tab_width_;
  if (along == 0) {
    along = TextWidthIn(Font(), tabs_->Strings(Index)) + 2 * kTabPadding;
    if (images_ != nullptr) along += images_->Width() + 3;
  }
  int across = tab_height_ != 0 ? tab_height_ : std::abs(Font()->Height()) + 8;
  return {along, across};
}

void TCustomTabControl::LayoutTabs() {
  if (laying_out_) return;
  laying_out_ = true;
  const int count = tabs_->Count();
  rects_.assign(static_cast<std::size_t>(count), TRect{});
  const int length = Vertical() ? ClientHeight() : ClientWidth();
  const int across = count > 0 ? TabSize(0).cy : (tab_height_ != 0 ? tab_height_ : std::abs(Font()->Height()) + 8);
  // Positions along the side, row by row (row 0 at the outer edge).
  std::vector<int> row(static_cast<std::size_t>(count), 0), pos(static_cast<std::size_t>(count), 0);
  int total = 0;
  for (int i = 0; i < count; ++i) total += TabSize(i).cx;
  const bool overflow = !multi_line_ && !Vertical() && total > length && count > 1;
  int rows = count > 0 ? 1 : 0;
  int x = 0;
  for (int i = 0; i < count; ++i) {
    int w = TabSize(i).cx;
    if (multi_line_ && x > 0 && x + w > length) {
      ++rows;
      x = 0;
    }
    if (!multi_line_ && i < first_tab_) {
      pos[static_cast<std::size_t>(i)] = -1;
      continue;
    }
    row[static_cast<std::size_t>(i)] = rows - 1;
    pos[static_cast<std::size_t>(i)] = x;
    x += w;
  }
  if (!overflow) first_tab_ = 0;
  band_ = rows * across;
  for (int i = 0; i < count; ++i) {
    if (pos[static_cast<std::size_t>(i)] < 0 && !multi_line_ && i < first_tab_) continue;
    int p = pos[static_cast<std::size_t>(i)], w = TabSize(i).cx, r = row[static_cast<std::size_t>(i)];
    TRect t;
    switch (tab_position_) {
      case TTabPosition::tpTop: t = {p, r * across, p + w, (r + 1) * across}; break;
      case TTabPosition::tpBottom: t = {p, ClientHeight() - band_ + r * across, p + w, ClientHeight() - band_ + (r + 1) * across}; break;
      case TTabPosition::tpLeft: t = {r * across, p, (r + 1) * across, p + w}; break;
      case TTabPosition::tpRight: t = {ClientWidth() - band_ + r * across, p, ClientWidth() - band_ + (r + 1) * across, p + w}; break;
    }
    rects_[static_cast<std::size_t>(i)] = t;
  }
  // The scroller of an overflowing row sits at its end.
  if (overflow && HandleAllocated()) {
    if (scroller_ == nullptr) {
      scroller_ = new TUpDown(this);
      scroller_->SetOrientation(TUDOrientation::udHorizontal);
      scroller_->SetParent(this);
    }
    scroller_->SetMin(0);
    scroller_->SetMax(count - 1);
    scroller_->SetPosition(first_tab_);
    int top = tab_position_ == TTabPosition::tpTop ? 0 : ClientHeight() - across;
    scroller_->SetBounds(ClientWidth() - 2 * across, top, 2 * across, across);
    scroller_->Show();
  } else if (scroller_ != nullptr) {
    scroller_->Hide();
  }
  laying_out_ = false;
  Invalidate();
  TabsLaidOut();
}

HWND TCustomTabControl::ScrollerHandle() const {
  return scroller_ != nullptr && scroller_->Visible() && scroller_->HandleAllocated() ? scroller_->Handle() : nullptr;
}

TRect TCustomTabControl::TabRect(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(rects_.size())) return {};
  return rects_[static_cast<std::size_t>(Index)];
}

int TCustomTabControl::IndexOfTabAt(int X, int Y) const {
  if (ScrollerHandle() != nullptr && scroller_->BoundsRect().Contains({X, Y})) return -1;
  for (int i = 0; i < static_cast<int>(rects_.size()); ++i)
    if (rects_[static_cast<std::size_t>(i)].Contains({X, Y})) return i;
  return -1;
}

TRect TCustomTabControl::DisplayRect() const {
  TRect r = ClientRect();
  switch (tab_position_) {
    case TTabPosition::tpTop: r.Top += band_; break;
    case TTabPosition::tpBottom: r.Bottom -= band_; break;
    case TTabPosition::tpLeft: r.Left += band_; break;
    case TTabPosition::tpRight: r.Right -= band_; break;
  }
  if (style_ == TTabStyle::tsTabs) r = {r.Left + kBorder, r.Top + kBorder, r.Right - kBorder, r.Bottom - kBorder};
  return r;
}

void TCustomTabControl::CreateWnd() {
  TCustomControl::CreateWnd();
  LayoutTabs();
}

void TCustomTabControl::BoundsChanged(const TRect& OldBounds) {
  TCustomControl::BoundsChanged(OldBounds);
  LayoutTabs();
}

void TCustomTabControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case TCM_GETITEMCOUNT: Message.Result = tabs_->Count(); return;
    case TCM_GETCURSEL: Message.Result = tab_index_; return;
    case TCM_SETCURSEL: {
      Message.Result = tab_index_;
      SetTabIndex(static_cast<int>(Message.WParam));
      return;
    }
    case TCM_GETITEMRECT: {
      auto* rect = reinterpret_cast<TRect*>(Message.LParam);
      int index = static_cast<int>(Message.WParam);
      Message.Result = rect != nullptr && index >= 0 && index < tabs_->Count();
      if (Message.Result) *rect = TabRect(index);
      return;
    }
    case TCM_HITTEST: {
      auto* info = reinterpret_cast<TCHITTESTINFO*>(Message.LParam);
      if (info == nullptr) {
        Message.Result = -1;
        return;
      }
      int index = IndexOfTabAt(info->pt.X, info->pt.Y);
      info->flags = index < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
      Message.Result = index;
      return;
    }
    case TCM_ADJUSTRECT: {
      auto* rect = reinterpret_cast<TRect*>(Message.LParam);
      if (rect == nullptr) return;
      TRect client = ClientRect(), display = DisplayRect();
      int dl = display.Left - client.Left, dt = display.Top - client.Top;
      int dr = client.Right - display.Right, db = client.Bottom - display.Bottom;
      if (Message.WParam == 0) *rect = {rect->Left + dl, rect->Top + dt, rect->Right - dr, rect->Bottom - db};
      else *rect = {rect->Left - dl, rect->Top - dt, rect->Right + dr, rect->Bottom + db};
      return;
    }
    case TCM_SETITEMSIZE: {
      int oldWidth = tabs_->Count() > 0 ? TabSize(0).cx : tab_width_;
      int oldHeight = tabs_->Count() > 0 ? TabSize(0).cy : tab_height_;
      tab_width_ = LOWORD(static_cast<std::uintptr_t>(Message.LParam));
      tab_height_ = HIWORD(static_cast<std::uintptr_t>(Message.LParam));
      LayoutTabs();
      Message.Result = MAKELPARAM(static_cast<WORD>(oldWidth), static_cast<WORD>(oldHeight));
      return;
    }
    case WM_HSCROLL:
      if (LOWORD(Message.WParam) == SB_THUMBPOSITION && !multi_line_) {
        first_tab_ = std::clamp(static_cast<int>(static_cast<short>(HIWORD(Message.WParam))), 0,
                                std::max(0, tabs_->Count() - 1));
        LayoutTabs();
      }
      Message.Result = 0;
      return;
    default: break;
  }
  TCustomControl::WndProc(Message);
}

void TCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  if (Button == TMouseButton::mbLeft) {
    int index = IndexOfTabAt(X, Y);
    if (index >= 0) {
      if (CanFocus() && !Focused()) SetFocus();
      if (self) SelectTabByUser(index);
    }
  }
  if (self) TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomTabControl::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(ClientRect());
  TRect display = DisplayRect();
  if (style_ == TTabStyle::tsTabs) {
    TRect frame{display.Left - kBorder, display.Top - kBorder, display.Right + kBorder, display.Bottom + kBorder};
    canvas->Pen()->SetColor(clBtnHighlight);
    canvas->MoveTo(frame.Left, frame.Bottom - 1);
    canvas->LineTo(frame.Left, frame.Top);
    canvas->LineTo(frame.Right - 1, frame.Top);
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->LineTo(frame.Right - 1, frame.Bottom - 1);
    canvas->LineTo(frame.Left, frame.Bottom - 1);
  }
  HDC dc = canvas->Handle();
  for (int i = 0; i < tabs_->Count(); ++i) {
    TRect r = TabRect(i);
    if (r.IsEmpty()) continue;
    const bool selected = i == tab_index_;
    canvas->Brush()->SetColor(selected && style_ != TTabStyle::tsTabs ? clBtnShadow : clBtnFace);
    canvas->FillRect(r);
    canvas->Pen()->SetColor(selected ? clBtnShadow : clBtnHighlight);
    canvas->MoveTo(r.Left, r.Bottom - 1);
    canvas->LineTo(r.Left, r.Top);
    canvas->LineTo(r.Right - 1, r.Top);
    canvas->Pen()->SetColor(selected ? clBtnHighlight : clBtnShadow);
    canvas->LineTo(r.Right - 1, r.Bottom - 1);
    int textLeft = r.Left + kTabPadding;
    if (images_ != nullptr) {
      images_->Draw(canvas, textLeft, r.Top + (r.Height() - images_->Height()) / 2, i);
      textLeft += images_->Width() + 3;
    }
    SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    TRect text{textLeft, r.Top, r.Right - kTabPadding + 2, r.Bottom};
    DrawText(dc, tabs_->Strings(i), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
}

// ---- TTabSheet --------------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) { SetVisible(false); }

TTabSheet::~TTabSheet() {
  if (page_control_ != nullptr) page_control_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (Value == page_control_) return;
  if (page_control_ != nullptr) page_control_->RemovePage(this);
  SetParent(Value);
  if (Value != nullptr) Value->InsertPage(this);
}

void TTabSheet::SetTabVisible(bool Value) {
  tab_visible_ = Value;
  if (page_control_ != nullptr) page_control_->UpdateTabs();
}

int TTabSheet::PageIndex() const {
  if (page_control_ == nullptr) return -1;
  const auto& pages = page_control_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

int TTabSheet::TabIndex() const {
  if (page_control_ == nullptr || !tab_visible_) return -1;
  int index = 0;
  for (TTabSheet* p : page_control_->pages_) {
    if (p == this) return index;
    if (p->tab_visible_) ++index;
  }
  return -1;
}

void TTabSheet::CMTextChanged(TMessage& Message) {
  TWinControl::CMTextChanged(Message);
  if (page_control_ != nullptr) page_control_->UpdateTabs();
}

// ---- TPageControl -----------------------------------------------------------------------------

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{TControlStyleFlag::csAcceptsControls});
}

TPageControl::~TPageControl() {
  // The sheets go with the children; they must not call back into a half-destroyed control.
  for (TTabSheet* p : pages_) p->page_control_ = nullptr;
  pages_.clear();
  active_ = nullptr;
}

TTabSheet* TPageControl::Pages(int Index) const {
  if (Index < 0 || Index >= PageCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return pages_[static_cast<std::size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
  pages_.push_back(Page);
  Page->page_control_ = this;
  UpdateTabs();
  if (active_ == nullptr) SetActivePage(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(pages_.begin(), pages_.end(), Page);
  if (it == pages_.end()) return;
  const std::size_t at = static_cast<std::size_t>(it - pages_.begin());
  pages_.erase(it);
  Page->page_control_ = nullptr;
  if (active_ == Page) {
    // The next sheet with a tab takes over, else the one before.
    active_ = nullptr;
    for (std::size_t i = at; i < pages_.size() && active_ == nullptr; ++i)
      if (pages_[i]->tab_visible_) active_ = pages_[i];
    for (std::size_t i = at; i-- > 0 && active_ == nullptr;)
      if (pages_[i]->tab_visible_) active_ = pages_[i];
  }
  UpdateTabs();
}

void TPageControl::UpdateTabs() {
  if (active_ != nullptr && !active_->tab_visible_) active_ = nullptr;
  Tabs()->BeginUpdate();
  Tabs()->Clear();
  for (TTabSheet* p : pages_)
    if (p->tab_visible_) Tabs()->Add(p->Caption());
  Tabs()->EndUpdate();
  SetTabIndex(active_ != nullptr ? active_->TabIndex() : -1);
  PlaceSheets();
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page != nullptr && (Page->page_control_ != this || !Page->tab_visible_)) return;
  active_ = Page;
  SetTabIndex(Page != nullptr ? Page->TabIndex() : -1);
  PlaceSheets();
}

int TPageControl::ActivePageIndex() const { return active_ != nullptr ? active_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? pages_[static_cast<std::size_t>(Value)] : nullptr);
}

void TPageControl::Change() {
  active_ = nullptr;
  for (TTabSheet* p : pages_)
    if (p->TabIndex() == TabIndex()) active_ = p;
  PlaceSheets();
  TCustomTabControl::Change();
}

void TPageControl::TabsLaidOut() { PlaceSheets(); }

void TPageControl::PlaceSheets() {
  const TRect display = SheetsRect();
  for (TTabSheet* p : pages_) {
    p->SetBoundsRect(display);
    p->SetVisible(p == active_);
  }
}
