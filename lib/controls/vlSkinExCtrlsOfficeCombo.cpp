// The office combo box: the closed box, its drop-down office list, selection, keys, wheel,
// mouse tracking of the open list, and its looks (built-in, skin, tool button).

#include <algorithm>

#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinExCtrlsOffice.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/WindowTree.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinExCtrlsOffice.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/SysUtils.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

namespace {

TRect Shifted(TRect R, int D) { return TRect{R.Left + D, R.Top + D, R.Right + D, R.Bottom + D}; }

}  // namespace

TvlSkinCustomOfficeComboBox::TvlSkinCustomOfficeComboBox(TComponent* AOwner) : TvlSkinComboBase(AOwner) {
  UseSkinSize = false;
  SetBounds(Left(), Top(), 120, 41);
  // The drop-down is a top-level window owned by the box's form; the box is its owner.
  FListBox = new TvlPopupOfficeListBox(this);
  FListBox->SetVisible(false);
  FListBox->MouseMoveChangeIndex = true;
  FListHook = FListBox->AddWindowProcHook([this](TMessage& M, const TWndMethod& Next) { ListWndProc(M, Next, FListBox); });
  CalcRects();
}

TvlSkinCustomOfficeComboBox::~TvlSkinCustomOfficeComboBox() {
  TvlPopupOfficeListBox* list = FListBox;
  FListBox = nullptr;
  list->RemoveWindowProcHook(FListHook);
  delete list;
}


void TvlSkinCustomOfficeComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && FListBox && AComponent == FListBox->Images()) FListBox->SetImages(nullptr);
}

// ---- Properties ---------------------------------------------------------------------------------

void TvlSkinCustomOfficeComboBox::SetDropDownCount(int Value) {
  if (Value >= 0) FDropDownCount = Value;
}

void TvlSkinCustomOfficeComboBox::SetToolButtonStyle(bool Value) {
  if (FToolButtonStyle == Value) return;
  FToolButtonStyle = Value;
  if (Value) UseSkinSize = false;
  Invalidate();
}

void TvlSkinCustomOfficeComboBox::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (FIndex == -1) Invalidate();
}

void TvlSkinCustomOfficeComboBox::SetShowItemTitle(bool Value) {
  if (FShowItemTitle == Value) return;
  FShowItemTitle = Value;
  Invalidate();
}

void TvlSkinCustomOfficeComboBox::SetShowItemImage(bool Value) {
  if (FShowItemImage == Value) return;
  FShowItemImage = Value;
  Invalidate();
}

void TvlSkinCustomOfficeComboBox::SetShowItemText(bool Value) {
  if (FShowItemText == Value) return;
  FShowItemText = Value;
  Invalidate();
}


// ---- Skin and geometry --------------------------------------------------------------------------





void TvlSkinCustomOfficeComboBox::ChangeSkinData() {
  TvlSkinCustomControl::ChangeSkinData();
  CalcRects();
  Invalidate();
  // Without an element the list draws its built-in look from then on.
  FListBox->SetSkinDataName(FIndex == -1 ? std::string() : FListBox->SkinDataName());
  FListBox->SetSkinData(SkinData());
  CalcRects();
}

// ---- Selection ----------------------------------------------------------------------------------

void TvlSkinCustomOfficeComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TvlSkinCustomOfficeComboBox::SetItemIndex(int Value) {
  FListBox->SetItemIndex(Value);
  FOldItemIndex = FListBox->ItemIndex();
  Invalidate();
  if (Loading()) return;
  if (OnClick) OnClick(this);
  Change();
}

void TvlSkinCustomOfficeComboBox::CommitListIndex(bool ASelect) {
  if (ASelect) SetItemIndex(FListBox->ItemIndex());
}

void TvlSkinCustomOfficeComboBox::PriorItem(bool ASelect) {
  FListBox->FindUp();
  CommitListIndex(ASelect);
}

void TvlSkinCustomOfficeComboBox::NextItem(bool ASelect) {
  FListBox->FindDown();
  CommitListIndex(ASelect);
}

void TvlSkinCustomOfficeComboBox::PageUpItem(bool ASelect) {
  FListBox->FindPageUp();
  CommitListIndex(ASelect);
}

void TvlSkinCustomOfficeComboBox::PageDownItem(bool ASelect) {
  FListBox->FindPageDown();
  CommitListIndex(ASelect);
}

void TvlSkinCustomOfficeComboBox::FirstItem(bool ASelect) {
  for (int i = 0; i < FListBox->Items()->Count(); ++i) {
    if (!FListBox->Selectable(i)) continue;
    FListBox->SetItemIndex(i);
    CommitListIndex(ASelect);
    return;
  }
}

void TvlSkinCustomOfficeComboBox::LastItem(bool ASelect) {
  for (int i = FListBox->Items()->Count() - 1; i >= 0; --i) {
    if (!FListBox->Selectable(i)) continue;
    FListBox->SetItemIndex(i);
    CommitListIndex(ASelect);
    return;
  }
}

void TvlSkinCustomOfficeComboBox::KeyPress(char32_t& Key) {
  TvlSkinCustomControl::KeyPress(Key);
  if (Key < 32 || Key == 127) return;
  const auto fold = [](std::string c) {
    if (c.size() == 1 && c[0] >= 'A' && c[0] <= 'Z') c[0] = static_cast<char>(c[0] - 'A' + 'a');
    return c;
  };
  const std::string typed = fold(Utf8Encode(Key));
  const int count = FListBox->Items()->Count();
  const int from = FListBox->ItemIndex();
  // Starts after the highlighted item, so the same key cycles through the items it begins.
  for (int step = 1; step <= count; ++step) {
    const int i = ((from < 0 ? -1 : from) + step + count) % count;
    const std::string& caption = FListBox->Items()->Items(i)->Caption();
    if (fold(caption.substr(0, Utf8ByteOffset(caption, 1))) != typed || !FListBox->Selectable(i)) continue;
    FListBox->SetItemIndex(i);
    CommitListIndex(!IsPopupVisible());
    return;
  }
}

int TvlSkinCustomOfficeComboBox::ShownIndex() const {
  const int i = IsPopupVisible() ? FOldItemIndex : FListBox->ItemIndex();
  return i >= 0 && i < FListBox->Items()->Count() ? i : -1;
}

// ---- Drop-down ----------------------------------------------------------------------------------

void TvlSkinCustomOfficeComboBox::DropDown() {
  if (FListBox->Items()->Count() == 0) return;
  WasInLB = false;
  StopAutoScroll();
  if (OnDropDown) OnDropDown(this);
  const int listWidth = ListBoxWidth != 0 ? ListBoxWidth : Width();
  FListBox->SetWidth(listWidth);
  FListBox->OnDrawItem = OnDrawItem;
  FOldItemIndex = FListBox->ItemIndex();
  if (FOldItemIndex == 0 && FListBox->Items()->Count() > 1) {
    FListBox->SetActiveItem(1);
    FListBox->SetActiveItem(0);
  }
  FDropDown = true;
  if (FToolButtonStyle) Invalidate();
  FListBox->SetSkinData(SkinData());
  if (ListBoxHeight > 0)
    FListBox->SetHeight(ListBoxHeight);
  else if (FDropDownCount > 0)
    FListBox->SetHeight(FListBox->CalcHeight(FDropDownCount));
  // The list's right edge lines up with the box's; above the box when it would pass the bottom
  // of the work area.
  TPoint p = TvlPopupListBox::DropDownOrigin(this, FListBox->Height());
  p.X += Width() - listWidth;
  FListBox->Show(p);
}

void TvlSkinCustomOfficeComboBox::CloseUp(bool Value) {
  StopAutoScroll();
  if (!IsPopupVisible()) return;
  FListBox->Hide();
  const int i = FListBox->ItemIndex();
  if (Value && i >= 0 && i < FListBox->Items()->Count()) {
    Invalidate();
    if (OnClick) OnClick(this);
    Change();
  } else {
    // The highlight moved while open is undone.
    FListBox->SetActiveItem(FOldItemIndex);
  }
  FDropDown = false;
  Invalidate();
  if (Value && OnCloseUp) OnCloseUp(this);
}



void TvlSkinCustomOfficeComboBox::TrackList() {
  TPoint cursor{};
  GetCursorPos(&cursor);
  const TPoint q = FListBox->ScreenToClient(cursor);
  const bool bar = FListBox->ScrollBar != nullptr;
  if (q.Y < 0 && bar && WasInLB) {
    StartAutoScroll(1);
  } else if (q.Y > FListBox->Height() && bar && WasInLB) {
    StartAutoScroll(2);
  } else if (q.Y >= 0 && q.Y <= FListBox->Height()) {
    StopAutoScroll();
    static_cast<TvlSkinOfficeListBox*>(FListBox)->MouseMove(TShiftState{}, q.X, q.Y);
    WasInLB = true;
    if (!FLBDown) {
      FLBDown = true;
      WasInLB = false;
    }
  }
}


// ---- Input --------------------------------------------------------------------------------------

void TvlSkinCustomOfficeComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TvlSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (!Focused() && CanFocus()) SetFocus();
  if (Button == TMouseButton::mbLeft) PressBox(X, Y, true);
}

void TvlSkinCustomOfficeComboBox::MouseMove(TShiftState Shift, int X, int Y) {
  TvlSkinCustomControl::MouseMove(Shift, X, Y);
  if (IsPopupVisible()) TrackList();
  TrackButtonHover(X, Y);
}

void TvlSkinCustomOfficeComboBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> alive(this);
  EndPress(FListBox->HandleAllocated() ? FListBox->Handle() : nullptr);
  if (alive) TvlSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TvlSkinCustomOfficeComboBox::AutoScrollStep(int Mode) {
  if (Mode == 1)
    FListBox->FindUp();
  else
    FListBox->FindDown();
}

void TvlSkinCustomOfficeComboBox::KeyDown(WORD& Key, TShiftState Shift) {
  TvlSkinCustomControl::KeyDown(Key, Shift);
  ComboKeyDown(Key, Shift);
}

bool TvlSkinCustomOfficeComboBox::WantsKey(WORD Key) {
  if (Key >= VK_LEFT && Key <= VK_DOWN) return true;
  // Enter and Esc belong to the open list.
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && IsPopupVisible()) return true;
  return TvlSkinCustomControl::WantsKey(Key);
}

void TvlSkinCustomOfficeComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEWHEEL: {
      TvlSkinCustomControl::Dispatch(Message);
      const auto delta = static_cast<std::int32_t>(static_cast<std::uint32_t>(Message.WParam));
      const bool select = !IsPopupVisible();
      if (delta > 0)
        PriorItem(select);
      else
        NextItem(select);
      return;
    }
    case CM_CANCELMODE: {
      TvlSkinCustomControl::Dispatch(Message);
      // The control that cancels; the box's own parts keep the list open.
      auto* sender = reinterpret_cast<TControl*>(Message.LParam);
      const bool own = sender != nullptr && (sender == this || sender == FListBox || sender == FListBox->ScrollBar);
      if (!own) CloseUp(false);
      return;
    }
    case WM_KILLFOCUS:
      TvlSkinCustomControl::Dispatch(Message);
      if (IsPopupVisible()) CloseUp(false);
      Invalidate();
      return;
    case WM_SETFOCUS:
    case CM_ENABLEDCHANGED:
      TvlSkinCustomControl::Dispatch(Message);
      Invalidate();
      return;
    default: break;
  }
  TvlSkinComboBase::Dispatch(Message);
}

// ---- Painting -----------------------------------------------------------------------------------

bool TvlSkinCustomOfficeComboBox::Hot() const { return FMouseIn || Focused(); }

void TvlSkinCustomOfficeComboBox::DrawItemContent(TCanvas* C, TRect R, int Index, const std::string* OverrideText) {
  if (Index < 0) {
    if (OverrideText) {
      C->Brush()->SetStyle(TBrushStyle::bsClear);
      DrawTextAtLeft(C, *OverrideText, R);
    }
    return;
  }
  TvlSkinOfficeItem* item = FListBox->Items()->Items(Index);
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  SetBkMode(C->Handle(), TRANSPARENT);
  if (OnDrawItem) {
    OnDrawItem(C, Index, R);
    return;
  }
  const std::string& caption = OverrideText ? *OverrideText : item->Caption();
  if (FShowItemText && FShowItemTitle && !item->Title().empty()) {
    C->Font()->SetStyle(C->Font()->Style() + TFontStyles{TFontStyle::fsBold});
    TRect t = R;
    t.Bottom = R.Top + C->TextHeight(item->Title());
    DrawTextWide(C, item->Title(), t, 0);
    C->Font()->SetStyle(C->Font()->Style() - TFontStyles{TFontStyle::fsBold});
    R.Top = t.Bottom - 2;
  }
  if (FShowItemText && !FShowItemImage) DrawTextAtLeft(C, caption, R);
  if (FShowItemImage)
    DrawImageAndCaptionOnOneLine(C, R, FShowItemText ? caption : std::string(), item->ImageIndex(), FListBox->Images(),
                                 Enabled());
}

void TvlSkinCustomOfficeComboBox::DrawButton(TCanvas* C) {
  const bool pressed = FButton.Down && FButton.MouseIn;
  if (FIndex == -1 || FToolButtonStyle)
    DrawBuiltinComboButton(C, FButton.R, pressed, FButton.MouseIn, Enabled());
  else
    DrawComboStateButton(C, Picture, FButton.R, Enabled(), pressed, FButton.MouseIn, UnEnabledButtonRect,
                         DownButtonRect, ActiveButtonRect);
}

void TvlSkinCustomOfficeComboBox::DrawSkinButton(TCanvas* C) {
  DrawComboElementButton(C, SkinData(), Picture, FButton.R, FButton.Down && FButton.MouseIn, FButton.MouseIn, Enabled());
}

void TvlSkinCustomOfficeComboBox::DrawDefaultItem(TCanvas* C) {
  if (FCBItem.R.Width() <= 0 || FCBItem.R.Height() <= 0) return;
  const bool focused = Focused();
  TBitmap b;
  PrepareDefaultItem(b, focused);
  TCanvas* c = b.Canvas();
  DrawItemContent(c, TRect{2, 0, b.Width() - 2, b.Height()}, ShownIndex(), nullptr);
  if (focused) {
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->DrawFocusRect(TRect{0, 0, b.Width(), b.Height()});
  }
  C->Draw(FCBItem.R.Left, FCBItem.R.Top, &b);
}

void TvlSkinCustomOfficeComboBox::CreateControlDefaultImage(TBitmap* B) {
  CalcRects();
  if (FToolButtonStyle) {
    DrawToolButton(B->Canvas(), B->Width(), B->Height(), nullptr);
    return;
  }
  DrawBuiltinFace(B->Canvas(), TRect{0, 0, B->Width(), B->Height()}, clBtnShadow, FDefaultColor);
  DrawButton(B->Canvas());
  DrawDefaultItem(B->Canvas());
}


void TvlSkinCustomOfficeComboBox::CreateControlSkinImage(TBitmap* B) {
  CalcRects();
  if (FToolButtonStyle) {
    DrawSkinToolButton(B, nullptr);
    return;
  }
  DrawSkinBackground(B, Hot());
  if (UseSkinSize)
    DrawButton(B->Canvas());
  else
    DrawSkinButton(B->Canvas());
  if (UseSkinSize)
    DrawSkinSizeItem(B);
  else
    DrawSkinItem(B);
}

void TvlSkinCustomOfficeComboBox::DrawSkinItem(TBitmap* B) {
  const TRect cr = FCBItem.R;
  if (cr.Width() < 1 || cr.Height() < 1) return;
  TBitmap b;
  PrepareBitmap(&b, cr.Width(), cr.Height());
  const bool focused = Focused();
  const bool hotItem = FMouseIn && !IsNullRect(ActiveItemRect) && !IsNullRect(ActiveSkinRect);
  b.Canvas()->CopyRect(TRect{0, 0, b.Width(), b.Height()}, B->Canvas(), cr);
  ComposeItemFace(&b, focused, hotItem);
  TRect r = ItemTextRect;
  r.Right += cr.Width() - (IsNullRect(SItemRect) ? ClRect.Width() : SItemRect.Width());
  r.Bottom += Height() - SkinRect.Height();
  TCanvas* c = b.Canvas();
  ApplyElementFont(c->Font(), SkinData(), FontName, FontStyle, FontHeight,
                   focused ? FocusFontColor : (FMouseIn && !IsNullRect(ActiveSkinRect)) ? ActiveFontColor : FontColor,
                   DefaultFont(), UseSkinFont());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  const int shown = ShownIndex();
  if (shown >= 0) {
    if (focused && ShowFocus) {
      TvlSkinColors* colours = SkinData() ? SkinData()->SkinColors() : nullptr;
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      c->Brush()->SetColor(colours ? colours->FcBtnFace : clBtnFace);
      c->DrawFocusRect(TRect{0, 0, b.Width(), b.Height()});
      c->Brush()->SetStyle(TBrushStyle::bsClear);
    }
    r.Left += 1;
    DrawItemContent(c, r, shown, nullptr);
  }
  B->Canvas()->Draw(cr.Left, cr.Top, &b);
}

void TvlSkinCustomOfficeComboBox::DrawSkinSizeItem(TBitmap* B) {
  const TRect cr = FCBItem.R;
  if (cr.Width() < 1 || cr.Height() < 1) return;
  const bool focused = Focused();
  const bool hotItem = FMouseIn && !IsNullRect(ActiveItemRect) && !IsNullRect(ActiveSkinRect);
  const TRect source = focused ? FocusItemRect : hotItem ? ActiveItemRect : SItemRect;
  TBitmap b;
  if (!IsNullRect(source) && Picture) {
    ComposeSkinStrip(ItemLeftOffset, ItemRightOffset, &b, Picture, source, cr.Width(), source.Height(),
                     focused ? FocusItemStretchEffect : ItemStretchEffect);
  }
  if (b.Empty()) {
    PrepareBitmap(&b, cr.Width(), cr.Height());
    b.Canvas()->CopyRect(TRect{0, 0, b.Width(), b.Height()}, B->Canvas(), cr);
  }
  TRect r = ItemTextRect;
  r.Right += cr.Width() - (IsNullRect(SItemRect) ? ClRect.Width() : SItemRect.Width());
  TCanvas* c = b.Canvas();
  TColor colour = focused ? FocusFontColor : (FMouseIn && !IsNullRect(ActiveSkinRect)) ? ActiveFontColor : FontColor;
  if (!Enabled()) colour = EditDisabledColour(SkinData());
  ApplyElementFont(c->Font(), SkinData(), FontName, FontStyle, FontHeight, colour, DefaultFont(), UseSkinFont());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  const int shown = ShownIndex();
  if (shown >= 0) {
    // No title line in the fixed-height strip.
    const bool title = FShowItemTitle;
    FShowItemTitle = false;
    DrawItemContent(c, r, shown, nullptr);
    FShowItemTitle = title;
  }
  B->Canvas()->Draw(cr.Left, cr.Top, &b);
}

void TvlSkinCustomOfficeComboBox::DrawToolButton(TCanvas* C, int W, int H, const std::string* OverrideText) {
  DrawBuiltinToolFace(C, W, H, FDropDown, Hot());
  const int shift = FDropDown ? 2 : 0;
  C->Font()->Assign(DefaultFont());
  ApplySkinCharset(C->Font(), SkinData(), DefaultFont());
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawItemContent(C, Shifted(TRect{2, 2, W - 17, H - 2}, shift), ShownIndex(), OverrideText);
  DrawDropDownArrow(C, Shifted(TRect{W - 15, 0, W, H}, shift), C->Font()->Color());
}

void TvlSkinCustomOfficeComboBox::DrawSkinToolButton(TBitmap* B, const std::string* OverrideText) {
  if (FIndex == -1) return;
  const bool hot = Hot();
  TvlDataSkinButtonControl* e = DrawSkinToolFace(B, SkinData(), FDropDown, hot);
  if (!e) return;
  const int W = B->Width(), H = B->Height(), shift = FDropDown ? 2 : 0;
  TCanvas* c = B->Canvas();
  const TColor colour = FDropDown ? e->DownFontColor
                        : hot     ? e->ActiveFontColor
                        : Enabled() ? e->FontColor
                                    : e->DisabledFontColor;
  ApplyElementFont(c->Font(), SkinData(), e->FontName, e->FontStyle, e->FontHeight, colour, DefaultFont(), UseSkinFont());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawItemContent(c, Shifted(TRect{2, 2, W - 17, H - 2}, shift), ShownIndex(), OverrideText);
  DrawToolArrow(c, *e, Picture, Shifted(TRect{W - 15, 0, W, H}, shift), FDropDown, hot);
}

void TvlSkinCustomOfficeComboBox::PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText) {
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (b.Empty() || !C) return;
  GetSkinData();
  // The text is set for the drawing and put back afterwards.
  const std::string saved = Text();
  SetText(AText);
  CalcRects();
  TCanvas* c = b.Canvas();
  if (FToolButtonStyle) {
    if (FIndex == -1)
      DrawToolButton(c, b.Width(), b.Height(), &AText);
    else
      DrawSkinToolButton(&b, &AText);
  } else {
    if (FIndex == -1) {
      DrawBuiltinFace(c, TRect{0, 0, b.Width(), b.Height()}, clBtnShadow, FDefaultColor);
      DrawButton(c);
      c->Font()->Assign(DefaultFont());
    } else {
      DrawSkinBackground(&b, Hot());
      if (UseSkinSize)
        DrawButton(c);
      else
        DrawSkinButton(c);
      c->Font()->SetStyle(FontStyle);
      c->Font()->SetColor(FontColor);
      c->Font()->SetHeight(FontHeight);
      c->Font()->SetName(FontName);
    }
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    DrawTextAtLeft(c, AText, FCBItem.R);
  }
  C->Draw(X, Y, &b);
  SetText(saved);
}
