// The skinned list box: the inner list's input and messages, the owner's properties, skin,
// layout and scroll-bar synchronisation. Item painting and the caption band are in
// vlSkinBoxCtrlsPaint.cpp, the drop-down list in vlSkinBoxCtrlsPopup.cpp, the up-down in
// vlSkinBoxCtrlsUpDown.cpp.

#include "lib/controls/vlSkinBoxCtrls.h"

#include <algorithm>

#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

namespace {

constexpr UINT kPaintFrameToDC = 0xB1C9;
constexpr UINT kPaintFrameToDCEx = 0xBC4B;
constexpr LPARAM kPaintFrameToDCExParam = 16802;
constexpr LRESULT kPaintFrameAnswer = 12851;

// The thickness of a bar in the skin look: its element's across the bar, as the bar was made
// with a placeholder size that a freely sized element would keep.
int BarThickness(TvlSkinScrollBar* Bar) {
  const bool vertical = Bar->Kind() == TScrollBarKind::sbVertical;
  if (Bar->SkinIndex() != -1 && !IsNullRect(Bar->SkinRect))
    return vertical ? Bar->SkinRect.Width() : Bar->SkinRect.Height();
  return vertical ? Bar->Width() : Bar->Height();
}

}  // namespace

// ---- TvlListBox: input -------------------------------------------------------------------------

TvlListBox::TvlListBox(TComponent* AOwner) : TListBox(AOwner) {
  SetControlStyle(TControlStyle{TControlStyleFlag::csCaptureMouse, TControlStyleFlag::csOpaque,
                                TControlStyleFlag::csDoubleClicks});
}

void TvlListBox::CreateParams(TCreateParams& Params) {
  TListBox::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_BORDER);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  Params.Style |= WS_TABSTOP;
  Params.WindowClass.style = CS_DBLCLKS;
}

void TvlListBox::CreateWnd() {
  TListBox::CreateWnd();
  if (!SkinListBox) return;
  // The layout and the bars for the size the windows were made at.
  SkinListBox->AdjustListBox();
  SkinListBox->UpDateScrollBar();
  SkinListBox->ListBoxCreateWnd();
}

void TvlListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int oldWidth = Width(), oldHeight = Height();
  TListBox::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (Width() != oldWidth && FHorizontalExtentValue > 0) {
    // A wider list needs less shift to show the same right end.
    FHorizontalExtentValue = std::max(0, FHorizontalExtentValue + oldWidth - Width());
    Repaint();
  }
  // Another height shows another number of rows.
  if (Height() != oldHeight && SkinListBox) SkinListBox->UpDateScrollBar();
}

void TvlListBox::Click() {
  TWeak<TControl> self(this);
  if (SkinListBox) SkinListBox->ListBoxClick();
  if (self) TListBox::Click();
}

void TvlListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  if (SkinListBox) SkinListBox->ListBoxMouseDown(Button, Shift, X, Y);
  if (self) TListBox::MouseDown(Button, Shift, X, Y);
}

void TvlListBox::MouseMove(TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  if (SkinListBox) SkinListBox->ListBoxMouseMove(Shift, X, Y);
  if (self) TListBox::MouseMove(Shift, X, Y);
}

void TvlListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  if (SkinListBox) SkinListBox->ListBoxMouseUp(Button, Shift, X, Y);
  if (self) TListBox::MouseUp(Button, Shift, X, Y);
}

void TvlListBox::KeyDown(WORD& Key, TShiftState Shift) {
  TWeak<TControl> self(this);
  if (SkinListBox) {
    SkinListBox->ListBoxKeyDown(Key, Shift);
    if (!self) return;
    // Left and Right scroll the text while there is a horizontal bar.
    if (TvlSkinScrollBar* h = SkinListBox->HScrollBar) {
      if (Key == VK_LEFT) {
        h->SetPosition(h->Position() - h->SmallChange());
        Key = 0;
      } else if (Key == VK_RIGHT) {
        h->SetPosition(h->Position() + h->SmallChange());
        Key = 0;
      }
    }
  }
  if (self) TListBox::KeyDown(Key, Shift);
}

void TvlListBox::KeyUp(WORD& Key, TShiftState Shift) {
  TWeak<TControl> self(this);
  if (SkinListBox) SkinListBox->ListBoxKeyUp(Key, Shift);
  if (self) TListBox::KeyUp(Key, Shift);
}

void TvlListBox::KeyPress(char32_t& Key) {
  TWeak<TControl> self(this);
  if (SkinListBox) SkinListBox->ListBoxKeyPress(Key);
  if (self) TListBox::KeyPress(Key);
}

void TvlListBox::CMEnter(TMessage& Message) {
  if (SkinListBox) SkinListBox->ListBoxEnter();
  TListBox::CMEnter(Message);
}

void TvlListBox::CMExit(TMessage& Message) {
  if (SkinListBox) SkinListBox->ListBoxExit();
  TListBox::CMExit(Message);
}

void TvlListBox::WndProc(TMessage& Message) {
  TWeak<TControl> self(this);
  if (SkinListBox) {
    bool callDefault = true;
    SkinListBox->ListBoxWndProc(Message, callDefault);
    if (!callDefault || !self) return;
  }
  switch (Message.Msg) {
    case WM_NCCALCSIZE:  // no non-client area: the native bars take no room
    case WM_NCPAINT:     // and are never drawn
      Message.Result = 0;
      return;
    case WM_NCHITTEST:  // nor hit
      Message.Result = HTCLIENT;
      return;
    case kPaintFrameToDC:
      Message.Result = kPaintFrameAnswer;
      return;
    case kPaintFrameToDCEx:
      if (Message.LParam == kPaintFrameToDCExParam && Items()->Count() == 0) {
        if (Message.WParam) PaintBackground(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = kPaintFrameToDCExParam;
        return;
      }
      break;
    default: break;
  }
  TListBox::WndProc(Message);
  if (!self || !SkinListBox) return;
  switch (Message.Msg) {
    case WM_ERASEBKGND:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING: SkinListBox->UpDateScrollBar(); break;
    case WM_LBUTTONDBLCLK: SkinListBox->ListBoxDblClick(); break;
    case WM_MOUSEWHEEL: SkinListBox->ListBoxWheel(Message.WParam); break;
    default: break;
  }
}

// ---- TvlSkinCustomListBox: construction and properties ----------------------------------------

TvlSkinCustomListBox::TvlSkinCustomListBox(TComponent* AOwner)
    : TvlSkinCustomControl(AOwner),
      FTabWidths(std::make_unique<TStringList>()),
      FDefaultCaptionFont(std::make_unique<TFont>()),
      FGlyph(std::make_unique<TBitmap>()) {
  SetControlStyle(TControlStyle{TControlStyleFlag::csCaptureMouse, TControlStyleFlag::csClickEvents,
                                TControlStyleFlag::csOpaque, TControlStyleFlag::csDoubleClicks,
                                TControlStyleFlag::csReplicatable, TControlStyleFlag::csAcceptsControls});
  FForceBackground = true;
  FDrawbackground = false;
  FDefaultCaptionFont->SetName("Arial");
  FDefaultCaptionFont->SetHeight(14);
  FDefaultCaptionFont->OnChange = [this](TObject*) {
    if (FIndex == -1 && FCaptionMode) Repaint();
  };
  Font()->SetName("Arial");
  Font()->SetHeight(14);
  Font()->SetColor(clWindowText);
  Font()->SetStyle(TFontStyles{});
  ListBox = new TvlListBox(this);
  ListBox->SkinListBox = this;
  ListBox->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
  ListBox->SetItemHeight(FDefaultItemHeight);
  ListBox->SetParent(this);
  SetBounds(Left(), Top(), 120, 120);
  FSkinDataName = "listbox";
}

TvlSkinCustomListBox::~TvlSkinCustomListBox() {
  StopTimer();
  FDefaultCaptionFont->OnChange = nullptr;
  ListBox->SkinListBox = nullptr;
  ReplaceReference(FImages, static_cast<TCustomImageList*>(nullptr));
}

void TvlSkinCustomListBox::CreateParams(TCreateParams& Params) {
  TvlSkinCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TvlSkinCustomListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  if (AComponent == ScrollBar) ScrollBar = nullptr;
  if (AComponent == HScrollBar) HScrollBar = nullptr;
  if (AComponent == ListBox) ListBox = nullptr;
}

void TvlSkinCustomListBox::SetItems(TStrings* Value) {
  ListBox->Items()->Assign(Value);
  UpDateScrollBar();
}

void TvlSkinCustomListBox::SetSorted(bool Value) {
  HideVScrollBar();
  ListBox->SetSorted(Value);
}

void TvlSkinCustomListBox::Clear() {
  ListBox->Clear();
  UpDateScrollBar();
}

void TvlSkinCustomListBox::SetTabWidths(TStrings* Value) {
  FTabWidths->Assign(Value);
  if (FTabWidths->Count() > 0) ListBox->Invalidate();
}

void TvlSkinCustomListBox::SetHorizontalExtent(bool Value) {
  FHorizontalExtent = Value;
  UpDateScrollBar();
}

void TvlSkinCustomListBox::SetColumns(int Value) {
  ListBox->SetColumns(Value);
  UpDateScrollBar();
}

void TvlSkinCustomListBox::SetRowCount(int Value) {
  FRowCount = Value;
  if (Value != 0) SetHeight(CalcHeight(Value));
  UpDateScrollBar();
}

void TvlSkinCustomListBox::SetImages(TCustomImageList* Value) {
  ReplaceReference(FImages, Value);
  ListBox->Repaint();
}

void TvlSkinCustomListBox::SetImageIndex(int Value) {
  FImageIndex = Value;
  ListBox->Repaint();
}

void TvlSkinCustomListBox::SetDefaultItemHeight(int Value) {
  FDefaultItemHeight = Value;
  GetSkinData();
  if (!(FIndex != -1 && UseSkinItemHeight)) ListBox->SetItemHeight(Value);
}

void TvlSkinCustomListBox::SetCaptionMode(bool Value) {
  FCaptionMode = Value;
  if (FIndex != -1) return;
  AdjustListBox();
  Repaint();
}

void TvlSkinCustomListBox::SetShowCaptionButtons(bool Value) {
  if (Value == FShowCaptionButtons) return;
  FShowCaptionButtons = Value;
  Repaint();
}

void TvlSkinCustomListBox::SetDefaultCaptionHeight(int Value) {
  FDefaultCaptionHeight = Value;
  if (FIndex != -1 || !FCaptionMode) return;
  AdjustListBox();
  Repaint();
}

void TvlSkinCustomListBox::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  if (FCaptionMode) Repaint();
}

void TvlSkinCustomListBox::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Repaint();
}

void TvlSkinCustomListBox::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 2);
  Repaint();
}

void TvlSkinCustomListBox::SetSpacing(int Value) {
  FSpacing = Value;
  Repaint();
}

void TvlSkinCustomListBox::CMTextChanged(TMessage& Message) {
  TvlSkinCustomControl::CMTextChanged(Message);
  if (FCaptionMode) Repaint();
}

// ---- Hooks of the inner list -------------------------------------------------------------------

int TvlSkinCustomListBox::GetItemWidth(int Index, TCanvas* Canvas) {
  return Canvas->TextWidth(Items()->Strings(Index));
}

void TvlSkinCustomListBox::ListBoxMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseDown) OnListBoxMouseDown(this, Button, Shift, X, Y);
}

void TvlSkinCustomListBox::ListBoxMouseMove(TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseMove) OnListBoxMouseMove(this, Shift, X, Y);
}

void TvlSkinCustomListBox::ListBoxMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseUp) OnListBoxMouseUp(this, Button, Shift, X, Y);
}

void TvlSkinCustomListBox::ListBoxClick() {
  if (OnListBoxClick) OnListBoxClick(this);
}

void TvlSkinCustomListBox::ListBoxDblClick() {
  if (OnListBoxDblClick) OnListBoxDblClick(this);
}

void TvlSkinCustomListBox::ListBoxKeyDown(WORD& Key, TShiftState Shift) {
  if (OnListBoxKeyDown) OnListBoxKeyDown(this, Key, Shift);
}

void TvlSkinCustomListBox::ListBoxKeyUp(WORD& Key, TShiftState Shift) {
  if (OnListBoxKeyUp) OnListBoxKeyUp(this, Key, Shift);
}

void TvlSkinCustomListBox::ListBoxKeyPress(char32_t& Key) {
  if (OnListBoxKeyPress) OnListBoxKeyPress(this, Key);
}

void TvlSkinCustomListBox::ListBoxWndProc(TMessage&, bool& CallDefault) { CallDefault = true; }

// ---- Skin --------------------------------------------------------------------------------------

void TvlSkinCustomListBox::GetSkinData() {
  TvlSkinCustomControl::GetSkinData();
  auto* d = FIndex == -1 ? nullptr : dynamic_cast<TvlDataSkinListBox*>(vlControlElement(FSD, FIndex));
  if (!d) return;
  SItemRect = d->SItemRect;
  ActiveItemRect = IsNullRect(d->ActiveItemRect) ? d->SItemRect : d->ActiveItemRect;
  FocusItemRect = IsNullRect(d->FocusItemRect) ? d->SItemRect : d->FocusItemRect;
  ItemLeftOffset = d->ItemLeftOffset;
  ItemRightOffset = d->ItemRightOffset;
  ItemTextRect = d->ItemTextRect;
  FontName = d->FontName;
  FontStyle = d->FontStyle;
  FontHeight = d->FontHeight;
  FontColor = d->FontColor;
  ActiveFontColor = d->ActiveFontColor;
  FocusFontColor = d->FocusFontColor;
  CaptionRect = d->CaptionRect;
  CaptionFontName = d->CaptionFontName;
  CaptionFontStyle = d->CaptionFontStyle;
  CaptionFontHeight = d->CaptionFontHeight;
  CaptionFontColor = d->CaptionFontColor;
  UpButtonRect = d->UpButtonRect;
  ActiveUpButtonRect = d->ActiveUpButtonRect;
  DownUpButtonRect = IsNullRect(d->DownUpButtonRect) ? d->ActiveUpButtonRect : d->DownUpButtonRect;
  DownButtonRect = d->DownButtonRect;
  ActiveDownButtonRect = d->ActiveDownButtonRect;
  DownDownButtonRect = IsNullRect(d->DownDownButtonRect) ? d->ActiveDownButtonRect : d->DownDownButtonRect;
  CheckButtonRect = d->CheckButtonRect;
  ActiveCheckButtonRect = d->ActiveCheckButtonRect;
  DownCheckButtonRect = IsNullRect(d->DownCheckButtonRect) ? d->ActiveCheckButtonRect : d->DownCheckButtonRect;
  DisabledButtonsRect = d->DisabledButtonsRect;
  ButtonsArea = d->ButtonsArea;
  HScrollBarName = d->HScrollBarName;
  VScrollBarName = d->VScrollBarName;
  BothScrollBarName = d->BothScrollBarName;
  ShowFocus = d->ShowFocus;
}

void TvlSkinCustomListBox::ApplyDefaultFont() {
  if (FIndex == -1) Font()->Assign(FDefaultFont.get());
}

void TvlSkinCustomListBox::NameHScrollBar() {
  if (!HScrollBar) return;
  if (FIndex == -1) {
    HScrollBar->SetSkinDataName("");
    if (ScrollBar) {
      HScrollBar->SetBothMarkerWidth(19);
      HScrollBar->SetBoth(true);
    }
  } else if (ScrollBar) {
    HScrollBar->SetBothSkinDataName(BothScrollBarName);
    HScrollBar->SetSkinDataName(BothScrollBarName);
    HScrollBar->SetBoth(true);
  } else {
    HScrollBar->SetBoth(false);
    HScrollBar->SetBothSkinDataName(HScrollBarName);
    HScrollBar->SetSkinDataName(HScrollBarName);
  }
  HScrollBar->SetSkinData(FSD);
}

void TvlSkinCustomListBox::ChangeSkinData() {
  TvlSkinCustomControl::ChangeSkinData();
  FStopUpDateHScrollBar = true;
  if (FIndex == -1) {
    ListBox->SetItemHeight(FDefaultItemHeight);
    Font()->Assign(FDefaultFont.get());
  } else if (UseSkinItemHeight && SItemRect.Height() > 0) {
    ListBox->SetItemHeight(SItemRect.Height());
  }
  if (ScrollBar) {
    ScrollBar->SetSkinDataName(FIndex == -1 ? "" : (Columns() < 1 ? VScrollBarName : HScrollBarName));
    ScrollBar->SetSkinData(FSD);
  }
  NameHScrollBar();
  if (FRowCount != 0) SetHeight(CalcHeight(FRowCount));
  AdjustListBox();
  FStopUpDateHScrollBar = false;
  UpDateScrollBar();
  ListBox->Repaint();
}

// ---- Layout ------------------------------------------------------------------------------------

void TvlSkinCustomListBox::AdjustListBox() {
  if (!ListBox) return;
  const bool skinned = FIndex != -1;
  const int w = Width(), h = Height();
  int top = 1;
  if (!skinned) {
    top = FCaptionMode ? FDefaultCaptionHeight : 1;
  } else {
    ListNewClRect = TRect{ClRect.Left, ClRect.Top, ClRect.Right + w - SkinRect.Width(),
                          ClRect.Bottom + h - SkinRect.Height()};
  }
  int barHeight = 0;
  if (Columns() == 0 && HScrollBar && HScrollBar->Visible()) {
    if (!skinned) {
      HScrollBar->SetBounds(1, h - 20, w - 2, 19);
      barHeight = HScrollBar->Height() - 1;
    } else {
      barHeight = BarThickness(HScrollBar);
      HScrollBar->SetBounds(ListNewClRect.Left, ListNewClRect.Bottom - barHeight, ListNewClRect.Width(), barHeight);
    }
  }
  if (ScrollBar && ScrollBar->Visible()) {
    if (!skinned && Columns() <= 0) {
      ScrollBar->SetBounds(w - 20, top, 19, h - 1 - top - barHeight);
      ListRect = TRect{2, top + 1, ScrollBar->Left(), h - 2 - barHeight};
    } else if (!skinned) {
      ScrollBar->SetBounds(1, h - 20, w - 2, 19);
      ListRect = TRect{2, top + 1, w - 2, ScrollBar->Top()};
    } else if (Columns() <= 0) {
      const int width = BarThickness(ScrollBar);
      ScrollBar->SetBounds(ListNewClRect.Right - width, ListNewClRect.Top, width, ListNewClRect.Height() - barHeight);
      ListRect = ListNewClRect;
      ListRect.Right -= width;
      ListRect.Bottom -= barHeight;
    } else {
      const int height = BarThickness(ScrollBar);
      ScrollBar->SetBounds(ListNewClRect.Left, ListNewClRect.Bottom - height, ListNewClRect.Width(), height);
      ListRect = ListNewClRect;
      ListRect.Bottom -= height;
    }
  } else if (!skinned) {
    ListRect = TRect{2, top + 1, w - 2, h - 2 - barHeight};
  } else {
    ListRect = ListNewClRect;
    ListRect.Bottom -= barHeight;
  }
  ListBox->SetBounds(ListRect.Left, ListRect.Top, std::max(0, ListRect.Width()), std::max(0, ListRect.Height()));
}

int TvlSkinCustomListBox::CalcHeight(int AItemsCount) {
  GetSkinData();
  const int itemHeight = ListBox->ItemHeight();
  int h = 0;
  if (FIndex == -1)
    h = AItemsCount * itemHeight + 4 + (FCaptionMode ? FDefaultCaptionHeight : 0);
  else
    h = SkinRect.Height() + AItemsCount * itemHeight + ClRect.Top - ClRect.Bottom;
  if (HScrollBar) h += HScrollBar->Height();
  return h;
}

void TvlSkinCustomListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TvlSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FIndex == -1) Repaint();
}

void TvlSkinCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      TvlSkinCustomControl::Dispatch(Message);
      AdjustListBox();
      UpDateScrollBar();
      if (ScrollBar) ScrollBar->Repaint();
      return;
    case WM_TIMER:
      TvlSkinCustomControl::Dispatch(Message);
      if (Message.WParam == 1) TimerTick();
      return;
    default: TvlSkinCustomControl::Dispatch(Message); return;
  }
}

// ---- Scroll bars -------------------------------------------------------------------------------

void TvlSkinCustomListBox::UpDateScrollBar() {
  // Placing a bar resizes the list, which asks again: the running pass sees the new size.
  if (!ListBox || !ListBox->HandleAllocated() || FUpdatingBars) return;
  FUpdatingBars = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{FUpdatingBars};
  const int count = Items()->Count();
  const int itemHeight = std::max(1, ListBox->ItemHeight());
  if (Columns() < 1) {
    if (FHorizontalExtent && !FStopUpDateHScrollBar) {
      // Measured on a bitmap of its own: the list's canvas draws only while it paints.
      TBitmap measure;
      PrepareBitmap(&measure, 1, 1);
      TCanvas* c = measure.Canvas();
      GetSkinData();
      const bool skinFont = FIndex != -1 && FUseSkinFont;
      if (skinFont) {
        c->Font()->SetName(FontName);
        c->Font()->SetStyle(FontStyle);
        c->Font()->SetHeight(FontHeight);
      } else {
        c->Font()->Assign(ListBox->Font());
      }
      int widest = 0;
      for (int i = 0; i < count; ++i) widest = std::max(widest, GetItemWidth(i, c));
      int avail = FIndex == -1 ? ListBox->Width() - 4 : ListBox->Width() - (SItemRect.Width() - ItemTextRect.Width());
      if (FImages) avail -= FImages->Width() + 4;
      if (avail < widest) {
        if (!HScrollBar) ShowHScrollBar();
        HScrollBar->SetRange(0, widest, HScrollBar->Position(), avail);
        const int step = std::max(1, c->TextWidth("0"));
        HScrollBar->SetSmallChange(step);
        HScrollBar->SetLargeChange(step);
      } else if (HScrollBar) {
        HideHScrollBar();
      }
    } else if (HScrollBar) {
      HideHScrollBar();
    }
    if (FRowCount > 0 && FRowCount == count) {
      if (ScrollBar) HideVScrollBar();
      return;
    }
    int min = 0, max = 0;
    GetScrollRange(ListBox->Handle(), SB_VERT, &min, &max);
    const int position = GetScrollPos(ListBox->Handle(), SB_VERT);
    const int page = ListBox->Height() / itemHeight;
    if (max > min && position <= max && page < count) {
      if (!ScrollBar) {
        // The new bar narrows the list: one more pass reads the list as it now stands.
        ShowVScrollBar();
        FUpdatingBars = false;
        UpDateScrollBar();
        return;
      }
      ScrollBar->SetRange(min, max, position, page);
      ScrollBar->SetLargeChange(page);
    } else if (ScrollBar) {
      HideVScrollBar();
    }
    return;
  }
  int min = 0, max = 0;
  GetScrollRange(ListBox->Handle(), SB_HORZ, &min, &max);
  const int position = GetScrollPos(ListBox->Handle(), SB_HORZ);
  if (max > min && position <= max && Columns() <= max && (ListBox->Height() / itemHeight) * Columns() < count) {
    if (!ScrollBar) ShowVScrollBar();
    ScrollBar->SetRange(min, max, position, Columns());
  } else if (ScrollBar) {
    HideVScrollBar();
  }
}

void TvlSkinCustomListBox::ShowVScrollBar() {
  ScrollBar = new TvlSkinScrollBar(this);
  ScrollBar->SetKind(Columns() <= 0 ? TScrollBarKind::sbVertical : TScrollBarKind::sbHorizontal);
  ScrollBar->SetBounds(0, 0, 20, 100);
  ScrollBar->SetPageSize(0);
  ScrollBar->SetMin(0);
  ScrollBar->SetPosition(0);
  ScrollBar->OnChange = [this](TObject*) { VScrollBarChange(); };
  ScrollBar->SetSkinDataName(FIndex == -1 ? "" : (Columns() <= 0 ? VScrollBarName : HScrollBarName));
  ScrollBar->SetSkinData(FSD);
  NameHScrollBar();
  ScrollBar->SetParent(this);
  AdjustListBox();
  ScrollBar->SetVisible(true);
  Repaint();
}

void TvlSkinCustomListBox::ShowHScrollBar() {
  HScrollBar = new TvlSkinScrollBar(this);
  HScrollBar->SetKind(TScrollBarKind::sbHorizontal);
  HScrollBar->SetBounds(0, 0, 20, 100);
  HScrollBar->SetPageSize(0);
  HScrollBar->SetMin(0);
  HScrollBar->SetPosition(0);
  HScrollBar->OnChange = [this](TObject*) { HScrollBarChange(); };
  NameHScrollBar();
  HScrollBar->SetParent(this);
  HScrollBar->SetVisible(true);
  AdjustListBox();
  Repaint();
}

void TvlSkinCustomListBox::HideVScrollBar() {
  if (!ScrollBar) return;
  TvlSkinScrollBar* bar = ScrollBar;
  ScrollBar = nullptr;
  bar->SetVisible(false);
  delete bar;
  AdjustListBox();
}

void TvlSkinCustomListBox::HideHScrollBar() {
  if (!HScrollBar) return;
  ListBox->SetHorizontalExtentValue(0);
  TvlSkinScrollBar* bar = HScrollBar;
  HScrollBar = nullptr;
  bar->SetVisible(false);
  delete bar;
  AdjustListBox();
  ListBox->Repaint();
}

void TvlSkinCustomListBox::VScrollBarChange() {
  if (!ScrollBar || !ListBox->HandleAllocated()) return;
  ScrollToThumbPosition(ListBox, Columns() > 0 ? SB_HORZ : SB_VERT, ScrollBar->Position(), false);
}

void TvlSkinCustomListBox::HScrollBarChange() {
  if (!HScrollBar) return;
  ListBox->SetHorizontalExtentValue(HScrollBar->Position());
  ListBox->Repaint();
}

void TvlSkinCustomListBox::ListBoxWheel(WPARAM WParam) {
  const bool up = static_cast<std::int32_t>(WParam) > 0;
  if (ScrollBar) {
    ListBox->Perform(WM_VSCROLL, up ? SB_LINEUP : SB_LINEDOWN, 0);
    UpDateScrollBar();
  } else if (HScrollBar) {
    HScrollBar->SetPosition(up ? HScrollBar->Position() - HScrollBar->SmallChange()
                               : HScrollBar->Position() + HScrollBar->SmallChange());
  }
}
