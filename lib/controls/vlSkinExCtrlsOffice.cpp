// The office items, the office list box and its drop-down form.

#include "lib/controls/vlSkinExCtrlsOffice.h"

#include <algorithm>

#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

namespace {

// The text colours of a skin's standard palette, or the system's without one.
TvlSkinColors* ColoursOf(TvlSkinData* SD) { return SD ? SD->SkinColors() : nullptr; }

void DrawTextIn(TCanvas* C, const std::string& Text, TRect R, UINT Flags) { DrawTextWide(C, Text, R, Flags); }

}  // namespace

// ---- Items ----------------------------------------------------------------------------------------

TvlSkinOfficeItem::TvlSkinOfficeItem(TCollection* Collection) : TCollectionItem(Collection) {
  if (auto* items = dynamic_cast<TvlSkinOfficeItems*>(Collection); items && items->OfficeListBox)
    Active = Index() == items->OfficeListBox->ItemIndex();
}

void TvlSkinOfficeItem::SetHeader(bool Value) {
  FHeader = Value;
  Changed(false);
}

void TvlSkinOfficeItem::SetEnabled(bool Value) {
  FEnabled = Value;
  Changed(false);
}

void TvlSkinOfficeItem::SetTitle(const std::string& Value) {
  FTitle = Value;
  Changed(false);
}

void TvlSkinOfficeItem::SetCaption(const std::string& Value) {
  FCaption = Value;
  Changed(false);
}

void TvlSkinOfficeItem::SetImageIndex(int Value) {
  FImageIndex = Value;
  Changed(false);
}

void TvlSkinOfficeItem::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TvlSkinOfficeItem*>(Source)) {
    FImageIndex = other->FImageIndex;
    FCaption = other->FCaption;
    FTitle = other->FTitle;
    FEnabled = other->FEnabled;
    FHeader = other->FHeader;
    return;
  }
  TCollectionItem::Assign(Source);
}

TvlSkinOfficeItems::TvlSkinOfficeItems(TvlSkinOfficeListBox* AListBox)
    : TOwnedCollection(AListBox, CollectionItemClass<TvlSkinOfficeItem>()), OfficeListBox(AListBox) {}

TvlSkinOfficeItem* TvlSkinOfficeItems::Add() {
  // The new item joins while it is still being built: its report waits until it is complete.
  BeginUpdate();
  TCollectionItem* item = nullptr;
  try {
    item = TCollection::Add();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return static_cast<TvlSkinOfficeItem*>(item);
}

TvlSkinOfficeItem* TvlSkinOfficeItems::Insert(int Index) {
  if (Index < 0 || Index > Count()) return static_cast<TvlSkinOfficeItem*>(TCollection::Insert(Index));  // raises
  TvlSkinOfficeItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TvlSkinOfficeItems::Update(TCollectionItem* /*Item*/) {
  if (OfficeListBox) OfficeListBox->ItemsChanged();
}

// ---- Office list box ------------------------------------------------------------------------------

TvlSkinOfficeListBox::TvlSkinOfficeListBox(TComponent* AOwner)
    : TvlSkinCustomControl(AOwner), FItems(std::make_unique<TvlSkinOfficeItems>(this)) {
  SetControlStyle(ControlStyle() + TControlStyle{TControlStyleFlag::csAcceptsControls,
                                                 TControlStyleFlag::csReplicatable});
  SetBounds(Left(), Top(), 150, 150);
  SetSkinDataName("listbox");
}

TvlSkinOfficeListBox::~TvlSkinOfficeListBox() {
  // The items go first: their removal must not reach a half-destroyed list.
  auto items = std::move(FItems);
  items.reset();
}

void TvlSkinOfficeListBox::ItemsChanged() {
  if (!FItems) return;
  Invalidate();
  UpdateScrollInfo();
}

void TvlSkinOfficeListBox::SetItems(TvlSkinOfficeItems* Value) {
  FItems->Assign(Value);
  Invalidate();
  UpdateScrollInfo();
}

void TvlSkinOfficeListBox::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
}

void TvlSkinOfficeListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FImages) FImages = nullptr;
}

void TvlSkinOfficeListBox::SetShowItemTitles(bool Value) {
  if (FShowItemTitles == Value) return;
  FShowItemTitles = Value;
  Invalidate();
}

void TvlSkinOfficeListBox::SetItemHeight(int Value) {
  if (FItemHeight == Value) return;
  FItemHeight = Value;
  Invalidate();
}

void TvlSkinOfficeListBox::SetHeaderHeight(int Value) {
  if (FHeaderHeight == Value) return;
  FHeaderHeight = Value;
  Invalidate();
}

void TvlSkinOfficeListBox::SetShowLines(bool Value) {
  if (FShowLines == Value) return;
  FShowLines = Value;
  Invalidate();
}

// ---- Geometry ----

void TvlSkinOfficeListBox::CalcItemRects() {
  FRealMax = 0;
  if (FIndex == -1)
    FItemsRect = TRect{2, 2, Width() - 2, Height() - 2};
  else
    FItemsRect = NewClRect;
  if (ScrollBar) FItemsRect.Right -= ScrollBar->Width();
  int top = FItemsRect.Top;
  for (int i = 0; i < FItems->Count(); ++i) {
    TvlSkinOfficeItem* item = FItems->Items(i);
    const int h = item->Header() ? FHeaderHeight : FItemHeight;
    item->ItemRect = TRect{FItemsRect.Left, top - FScrollOffset, FItemsRect.Right, top + h - FScrollOffset};
    const TRect& r = item->ItemRect;
    item->IsVisible = RectVertOverlaps(r, FItemsRect) || (r.Top <= FItemsRect.Top && r.Bottom >= FItemsRect.Bottom);
    if (item->IsVisible) FRealMax = r.Bottom;
    top += h;
  }
  FMax = top;
}

int TvlSkinOfficeListBox::CalcHeight(int AItemCount) {
  const int n = std::min(AItemCount, FItems->Count());
  GetSkinData();
  if (FIndex == -1) return n * FItemHeight + 5;
  return n * FItemHeight + Height() - NewClRect.Height() + 1;
}

int TvlSkinOfficeListBox::ItemAtPos(int X, int Y) {
  CalcItemRects();
  for (int i = 0; i < FItems->Count(); ++i) {
    TvlSkinOfficeItem* item = FItems->Items(i);
    if (item->Enabled() && item->ItemRect.Contains(TPoint{X, Y})) return i;
  }
  return -1;
}

void TvlSkinOfficeListBox::CreateWnd() {
  TvlSkinCustomControl::CreateWnd();
  // The window is made at its size: later sizes compare with this one.
  FOldHeight = Height();
}

void TvlSkinOfficeListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TvlSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  // A list without a window (a drop-down before its first showing) gets no WM_SIZE.
  if (ScrollBar) AdjustScrollBar();
}

// ---- Scrolling ----

void TvlSkinOfficeListBox::GetScrollInfo(int& AMin, int& AMax, int& APage, int& APosition) {
  CalcItemRects();
  AMin = 0;
  AMax = FMax - FItemsRect.Top;
  APage = FItemsRect.Height();
  if (AMax <= APage) AMax = APage = 0;
  APosition = FScrollOffset;
}

void TvlSkinOfficeListBox::UpdateScrollInfo() {
  int min = 0, max = 0, page = 0, pos = 0;
  GetScrollInfo(min, max, page, pos);
  if (max != 0) {
    if (!ScrollBar) ShowScrollbar();
    ScrollBar->SetRange(min, max, pos, page);
    ScrollBar->SetLargeChange(page);
  } else if (ScrollBar) {
    HideScrollBar();
  }
}

void TvlSkinOfficeListBox::ShowScrollbar() {
  if (ScrollBar) return;
  ScrollBar = new TvlSkinScrollBar(this);
  ScrollBar->SetVisible(false);
  ScrollBar->SetParent(this);
  ScrollBar->SetDefaultHeight(0);
  ScrollBar->SetDefaultWidth(19);
  ScrollBar->SetSmallChange(FItemHeight);
  ScrollBar->SetLargeChange(FItemHeight);
  ScrollBar->SetSkinDataName("vscrollbar");
  ScrollBar->SetKind(TScrollBarKind::sbVertical);
  ScrollBar->SetSkinData(SkinData());
  ScrollBar->OnChange = [this](TObject*) { Scroll(ScrollBar->Position()); };
  AdjustScrollBar();
  ScrollBar->SetVisible(true);
  Invalidate();
}

void TvlSkinOfficeListBox::HideScrollBar() {
  if (!ScrollBar) return;
  TvlSkinScrollBar* bar = ScrollBar;
  ScrollBar = nullptr;
  bar->SetVisible(false);
  delete bar;
  // Without the bar the items may fit: nothing stays scrolled then.
  FScrollOffset = 0;
  Invalidate();
}

void TvlSkinOfficeListBox::AdjustScrollBar() {
  if (!ScrollBar) return;
  GetSkinData();
  const TRect area = FIndex == -1 ? TRect{2, 2, Width() - 2, Height() - 2} : NewClRect;
  const int w = ScrollBar->Width();
  ScrollBar->SetBounds(area.Right - w, area.Top, w, area.Height());
}

void TvlSkinOfficeListBox::Scroll(int AScrollOffset) {
  FScrollOffset = AScrollOffset;
  Invalidate();
  UpdateScrollInfo();
}

void TvlSkinOfficeListBox::ScrollToItem(int Index) {
  CalcItemRects();
  if (Index < 0 || Index >= FItems->Count()) {
    UpdateScrollInfo();
    return;
  }
  TRect u = FItems->Items(Index)->ItemRect;
  u.Top += FScrollOffset;
  u.Bottom += FScrollOffset;
  const int scrolledTop = u.Top - FScrollOffset, scrolledBottom = u.Bottom - FScrollOffset;
  const int old = FScrollOffset;
  if (scrolledTop <= FItemsRect.Top) {
    FScrollOffset = (Index == 1 && FItems->Items(0)->Header()) ? 0 : u.Top - FItemsRect.Top;
  } else if (scrolledBottom >= FItemsRect.Bottom) {
    FScrollOffset = u.Bottom + FItemsRect.Top - Height() + 1;
  }
  FScrollOffset = std::max(0, FScrollOffset);
  if (FScrollOffset != old) {
    CalcItemRects();
    Invalidate();
  }
  UpdateScrollInfo();
}

// ---- Selection ----

bool TvlSkinOfficeListBox::Selectable(int Index) const {
  const TvlSkinOfficeItem* item = FItems->Items(Index);
  return !item->Header() && item->Enabled();
}

void TvlSkinOfficeListBox::SetItemIndex(int Value) {
  // Any index outside the items, also one at or beyond the count, means no selection.
  if (Value < 0 || Value >= FItems->Count()) Value = -1;
  FItemIndex = Value;
  bool matched = false;
  for (int i = 0; i < FItems->Count(); ++i) {
    TvlSkinOfficeItem* item = FItems->Items(i);
    item->Active = i == Value;
    matched = matched || item->Active;
  }
  Invalidate();
  if (!matched) return;
  ScrollToItem(Value);
  if (ComponentState().Contains(TComponentStateFlag::csDesigning)) return;
  TvlSkinOfficeItem* item = FItems->Items(Value);
  if (item->OnClick) item->OnClick(this);
  if (OnItemClick) OnItemClick(this);
}

void TvlSkinOfficeListBox::SetActiveItem(int Index) {
  FItemIndex = Index;
  for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->Active = i == Index;
  Invalidate();
  ScrollToItem(Index);
}

void TvlSkinOfficeListBox::FindUp() {
  if (FItemIndex < 0) return;
  for (int i = std::min(FItemIndex, FItems->Count()) - 1; i >= 0; --i) {
    if (Selectable(i)) {
      SetItemIndex(i);
      return;
    }
  }
}

void TvlSkinOfficeListBox::FindDown() {
  const int start = FItemIndex < 0 ? 0 : FItemIndex + 1;
  for (int i = start; i < FItems->Count(); ++i) {
    if (Selectable(i)) {
      SetItemIndex(i);
      return;
    }
  }
}

int TvlSkinOfficeListBox::RowsPerPage() const {
  const int rows = FItemHeight > 0 ? FItemsRect.Height() / FItemHeight : 0;
  return rows == 0 ? 1 : rows;
}

void TvlSkinOfficeListBox::PageWalk(int From, int To, int Step) {
  int farthest = -1;
  bool passedHeader = false;
  for (int i = From; Step > 0 ? i <= To : i >= To; i += Step) {
    const TvlSkinOfficeItem* item = FItems->Items(i);
    if (item->Header()) {
      passedHeader = true;
      continue;
    }
    if (!item->Enabled()) continue;
    if (passedHeader) {
      SetItemIndex(i);
      return;
    }
    farthest = i;
  }
  if (farthest >= 0) SetItemIndex(farthest);
}

void TvlSkinOfficeListBox::FindPageUp() {
  const int from = std::min(FItemIndex, FItems->Count()) - 1;
  if (FItemIndex < 0 || from < 0) return;
  CalcItemRects();
  PageWalk(from, std::max(0, from - RowsPerPage()), -1);
}

void TvlSkinOfficeListBox::FindPageDown() {
  const int start = FItemIndex < 0 ? 0 : FItemIndex + 1;
  if (start >= FItems->Count()) return;
  CalcItemRects();
  PageWalk(start, std::min(FItems->Count() - 1, start + RowsPerPage()), 1);
}

// ---- Input ----

void TvlSkinOfficeListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TvlSkinCustomControl::MouseDown(Button, Shift, X, Y);
  const int i = ItemAtPos(X, Y);
  if (Button == TMouseButton::mbLeft && i >= 0 && !FItems->Items(i)->Header()) {
    SetActiveItem(i);
    FMouseDown = true;
    FMouseActive = i;
  }
}

void TvlSkinOfficeListBox::MouseMove(TShiftState Shift, int X, int Y) {
  TvlSkinCustomControl::MouseMove(Shift, X, Y);
  const int i = ItemAtPos(X, Y);
  if (i >= 0 && !FItems->Items(i)->Header() && (FMouseDown || MouseMoveChangeIndex) && i != FMouseActive) {
    SetActiveItem(i);
    FMouseActive = i;
  }
}

void TvlSkinOfficeListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TvlSkinCustomControl::MouseUp(Button, Shift, X, Y);
  FMouseDown = false;
  const int i = ItemAtPos(X, Y);
  if (Button == TMouseButton::mbLeft && i >= 0 && !FItems->Items(i)->Header()) SetItemIndex(i);
}

void TvlSkinOfficeListBox::KeyDown(WORD& Key, TShiftState Shift) {
  TvlSkinCustomControl::KeyDown(Key, Shift);
  switch (Key) {
    case VK_NEXT: FindPageDown(); break;
    case VK_PRIOR: FindPageUp(); break;
    case VK_UP:
    case VK_LEFT: FindUp(); break;
    case VK_DOWN:
    case VK_RIGHT: FindDown(); break;
    default: break;
  }
}

void TvlSkinOfficeListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!Focused() && !ComponentState().Contains(TComponentStateFlag::csDesigning) &&
          !FocusForPress(this, FClicksDisabled))
        return;
      break;
    case CN_COMMAND:
      if (FClicksDisabled) return;
      break;
    case CM_FOCUSCHANGED:
      TvlSkinCustomControl::Dispatch(Message);
      Invalidate();
      return;
    case WM_SIZE: {
      TvlSkinCustomControl::Dispatch(Message);
      if (FOldHeight != -1 && FOldHeight != Height()) {
        CalcItemRects();
        if (FItemsRect.Bottom >= FRealMax && FScrollOffset > 0) {
          FScrollOffset = std::max(0, FScrollOffset - (FItemsRect.Bottom - FRealMax));
          CalcItemRects();
          Invalidate();
        }
      }
      AdjustScrollBar();
      UpdateScrollInfo();
      FOldHeight = Height();
      return;
    }
    case WM_MOUSEWHEEL: {
      TvlSkinCustomControl::Dispatch(Message);
      if (ScrollBar) {
        const auto delta = static_cast<std::int32_t>(static_cast<std::uint32_t>(Message.WParam));
        ScrollBar->SetPosition(ScrollBar->Position() + (delta < 0 ? ScrollBar->SmallChange() : -ScrollBar->SmallChange()));
      }
      return;
    }
    default: break;
  }
  TvlSkinCustomControl::Dispatch(Message);
}

void TvlSkinOfficeListBox::ChangeSkinData() {
  if (!SkinData()) return;
  TvlSkinCustomControl::ChangeSkinData();
  auto* edit = dynamic_cast<TvlDataSkinEditControl*>(vlControlElement(SkinData(), vlFindControlElement(SkinData(), "edit")));
  TvlSkinColors* colours = ColoursOf(SkinData());
  FDisabledFontColor = edit ? edit->DisabledFontColor : (colours ? colours->FcBtnShadow : clBtnShadow);
  if (ScrollBar) {
    ScrollBar->SetSkinData(SkinData());
    AdjustScrollBar();
  }
  CalcItemRects();
  Invalidate();
}

// ---- Painting ----

void TvlSkinOfficeListBox::CreateControlDefaultImage(TBitmap* B) {
  DrawBuiltinFace(B->Canvas(), TRect{0, 0, B->Width(), B->Height()}, clBtnShadow, clWindow);
  DrawItems(B);
}

void TvlSkinOfficeListBox::CreateControlSkinImage(TBitmap* B) {
  TvlSkinCustomControl::CreateControlSkinImage(B);
  DrawItems(B);
}

void TvlSkinOfficeListBox::DrawItems(TBitmap* B) {
  CalcItemRects();
  for (int i = 0; i < FItems->Count(); ++i) {
    TvlSkinOfficeItem* item = FItems->Items(i);
    if (!item->IsVisible) continue;
    // Each item is drawn in a bitmap of its own over what lies under it, then put back inside
    // the items area only.
    const TRect r = item->ItemRect;
    TBitmap ib;
    PrepareBitmap(&ib, r.Width(), r.Height());
    if (ib.Empty()) continue;
    ib.Canvas()->CopyRect(TRect{0, 0, r.Width(), r.Height()}, B->Canvas(), r);
    const TRect saved = item->ItemRect;
    item->ItemRect = TRect{0, 0, r.Width(), r.Height()};
    DrawItem(i, ib.Canvas());
    item->ItemRect = saved;
    const TRect visible{std::max(r.Left, FItemsRect.Left), std::max(r.Top, FItemsRect.Top),
                        std::min(r.Right, FItemsRect.Right), std::min(r.Bottom, FItemsRect.Bottom)};
    if (IsNullRect(visible)) continue;
    B->Canvas()->CopyRect(visible, ib.Canvas(),
                          TRect{visible.Left - r.Left, visible.Top - r.Top, visible.Right - r.Left, visible.Bottom - r.Top});
  }
}

void TvlSkinOfficeListBox::DrawItem(int Index, TCanvas* Cnvs) {
  if (FIndex == -1)
    DefaultDrawItem(Index, Cnvs);
  else
    SkinDrawItem(Index, Cnvs);
}

void TvlSkinOfficeListBox::DrawItemContent(int Index, TCanvas* Cnvs, TRect R, bool SkinLook) {
  TvlSkinOfficeItem* item = FItems->Items(Index);
  Cnvs->Brush()->SetStyle(TBrushStyle::bsClear);
  SetBkMode(Cnvs->Handle(), TRANSPARENT);
  if (OnDrawItem) {
    OnDrawItem(Cnvs, Index, SkinLook ? R : item->ItemRect);
    return;
  }
  if (!item->Title().empty() && FShowItemTitles) {
    Cnvs->Font()->SetStyle(Cnvs->Font()->Style() + TFontStyles{TFontStyle::fsBold});
    TRect t = R;
    t.Bottom = R.Top + Cnvs->TextHeight(item->Title());
    DrawTextIn(Cnvs, item->Title(), t, 0);
    Cnvs->Font()->SetStyle(Cnvs->Font()->Style() - TFontStyles{TFontStyle::fsBold});
    R.Top = t.Bottom;
  }
  if (FImages && item->ImageIndex() >= 0 && item->ImageIndex() < FImages->Count()) {
    DrawImageAndCaptionOnOneLine(Cnvs, R, item->Caption(), item->ImageIndex(), FImages, item->Enabled());
    return;
  }
  if (FShowItemTitles) R.Left += 10;
  TRect m{0, 0, R.Width(), R.Height()};
  DrawTextWide(Cnvs, item->Caption(), m, DT_CALCRECT | DT_WORDBREAK);
  const int top = std::max(R.Top, R.Top + (R.Height() - m.Height()) / 2);
  TRect place{R.Left, top, R.Left + m.Width(), top + m.Height()};
  DrawTextIn(Cnvs, item->Caption(), place, DT_WORDBREAK | (SkinLook ? DT_EXPANDTABS : 0));
}

void TvlSkinOfficeListBox::DefaultDrawItem(int Index, TCanvas* Cnvs) {
  TvlSkinOfficeItem* item = FItems->Items(Index);
  TColor back = clWindow, text = item->Enabled() ? clWindowText : kDisabledGrey;
  if (item->Header()) {
    back = clBtnShadow;
    text = clBtnHighlight;
  } else if (item->Active) {
    back = clHighlight;
    text = clHighlightText;
  }
  Cnvs->Font()->Assign(DefaultFont());
  Cnvs->Font()->SetColor(text);
  const TRect ir = item->ItemRect;
  Cnvs->Brush()->SetStyle(TBrushStyle::bsSolid);
  Cnvs->Brush()->SetColor(back);
  Cnvs->FillRect(ir);
  TRect r{ir.Left + 2, ir.Top + 2, ir.Right - 2, ir.Bottom - 2};
  if (item->Header()) {
    Cnvs->Brush()->SetStyle(TBrushStyle::bsClear);
    DrawTextIn(Cnvs, item->Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  } else {
    DrawItemContent(Index, Cnvs, r, false);
    if (FShowLines) {
      const TColor pen = Cnvs->Pen()->Color();
      Cnvs->Pen()->SetColor(clBtnFace);
      Cnvs->MoveTo(ir.Left, ir.Bottom - 1);
      Cnvs->LineTo(ir.Right, ir.Bottom - 1);
      Cnvs->Pen()->SetColor(pen);
    }
  }
  if (item->Active && Focused()) {
    Cnvs->Brush()->SetStyle(TBrushStyle::bsSolid);
    Cnvs->DrawFocusRect(ir);
  }
}

void TvlSkinOfficeListBox::SkinDrawItem(int Index, TCanvas* Cnvs) {
  TvlSkinOfficeItem* item = FItems->Items(Index);
  if (item->Header()) {
    SkinDrawHeaderItem(Index, Cnvs);
    return;
  }
  auto* list = dynamic_cast<TvlDataSkinListBox*>(vlControlElement(SkinData(), vlFindControlElement(SkinData(), "listbox")));
  if (!list) return;
  if (list->FontColor == FDisabledFontColor && list->FontColor == 0) FDisabledFontColor = kDisabledGrey;
  TvlSkinColors* colours = ColoursOf(SkinData());
  const bool ownText = SkinDataName() == "listbox" || SkinDataName() == "memo";
  TColor text = item->Enabled() ? (ownText ? list->FontColor : (colours ? colours->FcBtnText : clBtnText))
                                : FDisabledFontColor;
  const TRect ir = item->ItemRect;
  if (item->Active && item->Enabled()) {
    const bool focused = Focused();
    TBitmap b;
    PrepareBitmap(&b, ir.Width(), ir.Height());
    if (b.Empty()) return;
    if (Picture) ComposeStretchedSkinImage(&b, Picture, focused ? list->FocusItemRect : list->ActiveItemRect,
                                           list->ItemTextRect, true);
    ApplyElementFont(b.Canvas()->Font(), SkinData(), list->FontName, list->FontStyle, list->FontHeight,
                     focused ? list->FocusFontColor : list->ActiveFontColor, DefaultFont(), UseSkinFont());
    DrawItemContent(Index, b.Canvas(), TRect{2, 2, b.Width() - 2, b.Height() - 2}, true);
    Cnvs->Draw(ir.Left, ir.Top, &b);
    return;
  }
  ApplyElementFont(Cnvs->Font(), SkinData(), list->FontName, list->FontStyle, list->FontHeight, text, DefaultFont(),
                   UseSkinFont());
  DrawItemContent(Index, Cnvs, TRect{ir.Left + 2, ir.Top + 2, ir.Right - 2, ir.Bottom - 2}, true);
  if (FShowLines) {
    Cnvs->Pen()->SetColor(colours ? colours->FcBtnShadow : clBtnShadow);
    Cnvs->MoveTo(ir.Left, ir.Bottom - 1);
    Cnvs->LineTo(ir.Right, ir.Bottom - 1);
  }
}

void TvlSkinOfficeListBox::SkinDrawHeaderItem(int Index, TCanvas* Cnvs) {
  TvlSkinOfficeItem* item = FItems->Items(Index);
  auto* label = dynamic_cast<TvlDataSkinLabelControl*>(
      vlControlElement(SkinData(), vlFindControlElement(SkinData(), {"menuheader", "label"})));
  if (!label) return;
  const TRect ir = item->ItemRect;
  TBitmap b;
  PrepareBitmap(&b, ir.Width(), ir.Height());
  if (b.Empty()) return;
  // A header element without a picture shows the item's background with the caption alone.
  b.Canvas()->CopyRect(TRect{0, 0, b.Width(), b.Height()}, Cnvs, ir);
  if (TBitmap* p = vlSkinPicture(SkinData(), label->PictureIndex))
    ComposeStretchedSkinImage(&b, p, label->SkinRect, label->ClRect, true);
  TFont* f = b.Canvas()->Font();
  f->SetName(label->FontName);
  f->SetColor(label->FontColor);
  f->SetHeight(label->FontHeight);
  f->SetStyle(label->FontStyle);
  ApplySkinCharset(f, SkinData(), DefaultFont());
  b.Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawTextIn(b.Canvas(), item->Caption(), TRect{1, 1, b.Width() - 1, b.Height() - 1}, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  Cnvs->Draw(ir.Left, ir.Top, &b);
}

// ---- Drop-down form -------------------------------------------------------------------------------

TvlPopupOfficeListBox::TvlPopupOfficeListBox(TComponent* AOwner) : TvlSkinOfficeListBox(AOwner), FDropDown(this) {
  SetControlStyle(ControlStyle() + TControlStyle{TControlStyleFlag::csAcceptsControls,
                                                 TControlStyleFlag::csNoDesignVisible,
                                                 TControlStyleFlag::csReplicatable});
  SetVisible(false);
}

TvlPopupOfficeListBox::~TvlPopupOfficeListBox() = default;

void TvlPopupOfficeListBox::CreateParams(TCreateParams& Params) {
  TvlSkinOfficeListBox::CreateParams(Params);
  TvlDropDownWindow::PopupParams(Params, Owner());
}

void TvlPopupOfficeListBox::CreateWnd() {
  TvlSkinOfficeListBox::CreateWnd();
  FDropDown.WindowCreated();
}

void TvlPopupOfficeListBox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) {
    Message.Result = MA_NOACTIVATE;
    return;
  }
  TvlSkinOfficeListBox::Dispatch(Message);
}

void TvlPopupOfficeListBox::Show(TPoint Origin) { FDropDown.Show(dynamic_cast<TvlDropDownOwner*>(Owner()), Origin); }

void TvlPopupOfficeListBox::Hide() { FDropDown.Hide(); }
