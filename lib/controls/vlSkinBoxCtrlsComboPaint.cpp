// How the closed skinned combo box draws itself: the built-in look, the skin look (with the
// element's own size or stretched), the tool-button looks, and PaintSkinTo.

#include <algorithm>

#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/ImageList.h"

using namespace vlskinctrls_detail;

namespace {

TRect Shifted(TRect R, int D) { return TRect{R.Left + D, R.Top + D, R.Right + D, R.Bottom + D}; }

}  // namespace

int TvlSkinCustomComboBox::ShownIndex() const {
  const int i = IsPopupVisible() ? FOldItemIndex : FListBox->ItemIndex();
  return i >= 0 && i < Items()->Count() ? i : -1;
}

void TvlSkinCustomComboBox::DrawTabbedText(TCanvas* C, const std::string& Text, const TRect& R) {
  TStrings* tabs = TabWidths();
  if (tabs && tabs->Count() > 0) {
    DrawTabbedTextIn(C, Text, R, tabs);
    return;
  }
  // A text longer than its room ends in "..." a few pixels before the button, never under it.
  constexpr int kIndent = 2, kGap = 4;
  std::string shown = Text;
  if (C->TextWidth(shown) > R.Width() - kIndent - kGap) FitTextWithEllipsis(C, shown, R.Width() - kIndent - kGap);
  DrawTextAtLeft(C, shown, R);
}

void TvlSkinCustomComboBox::DrawItemContent(TCanvas* C, TRect R, int Index, const std::string* OverrideText, int W,
                                            int H) {
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  if (OnComboBoxDrawItem) {
    OnComboBoxDrawItem(C, Index, W, H, R, FCBItem.State);
    return;
  }
  if (TCustomImageList* images = Images()) {
    const int number = ImageIndex() >= 0 ? ImageIndex() : Index;
    if (number >= 0 && number < images->Count())
      images->Draw(C, R.Left, R.Top + R.Height() / 2 - images->Height() / 2, number, true);
    R.Left += images->Width() + 2;
  }
  DrawTabbedText(C, OverrideText ? *OverrideText : Items()->Strings(Index), R);
}

void TvlSkinCustomComboBox::DrawButton(TCanvas* C) {
  const bool pressed = FButton.Down && FButton.MouseIn;
  if (!Skinned())
    DrawBuiltinComboButton(C, FButton.R, pressed, FButton.MouseIn, Enabled());
  else
    DrawComboStateButton(C, Picture, FButton.R, Enabled(), pressed, FButton.MouseIn, UnEnabledButtonRect,
                         DownButtonRect, ActiveButtonRect);
}

void TvlSkinCustomComboBox::DrawDefaultItem(TCanvas* C) {
  if (FCBItem.R.Width() <= 0 || FCBItem.R.Height() <= 0) return;
  const bool focused = BoxFocused();
  TBitmap b;
  PrepareDefaultItem(b, focused);
  TCanvas* c = b.Canvas();
  const int shown = ShownIndex();
  if (shown >= 0) DrawItemContent(c, TRect{2, 0, b.Width() - 2, b.Height()}, shown, nullptr, b.Width(), b.Height());
  if (focused) DrawDottedFocusRect(c, TRect{0, 0, b.Width(), b.Height()});
  C->Draw(FCBItem.R.Left, FCBItem.R.Top, &b);
}

void TvlSkinCustomComboBox::CreateControlDefaultImage(TBitmap* B) {
  CalcRects();
  if (FToolButtonStyle) {
    DrawToolButton(B->Canvas(), B->Width(), B->Height(), nullptr);
    return;
  }
  TCanvas* c = B->Canvas();
  DrawBuiltinFace(c, TRect{0, 0, B->Width(), B->Height()}, clBtnShadow, clBtnFace);
  c->Brush()->SetColor(FDefaultColor);
  c->FillRect(TRect{2, 2, B->Width() - 2, B->Height() - 2});
  DrawButton(c);
  if (!FEdit) DrawDefaultItem(c);
}


void TvlSkinCustomComboBox::CreateControlSkinImage(TBitmap* B) {
  CalcRects();
  if (FToolButtonStyle) {
    DrawSkinToolButton(B, nullptr);
    return;
  }
  DrawSkinBackground(B, FMouseIn || Focused() || (FEdit && FEdit->Focused()));
  if (UseSkinSize)
    DrawButton(B->Canvas());
  else
    DrawComboElementButton(B->Canvas(), SkinData(), Picture, FButton.R, FButton.Down && FButton.MouseIn,
                           FButton.MouseIn, Enabled());
  if (!FEdit) DrawSkinItem(B, UseSkinSize);
}

void TvlSkinCustomComboBox::DrawSkinItem(TBitmap* B, bool SizeRule) {
  const TRect cr = FCBItem.R;
  if (cr.Width() <= 0 || cr.Height() <= 0) return;
  const bool focused = BoxFocused();
  const bool hotItem = FMouseIn && !IsNullRect(ActiveItemRect) && !IsNullRect(ActiveSkinRect);
  TBitmap b;
  if (SizeRule) {
    // A strip of the item picture's own height.
    const TRect source = focused ? FocusItemRect : hotItem ? ActiveItemRect : SItemRect;
    if (!IsNullRect(source) && Picture)
      ComposeSkinStrip(ItemLeftOffset, ItemRightOffset, &b, Picture, source, cr.Width(), source.Height(),
                       focused ? FocusItemStretchEffect : ItemStretchEffect);
  } else {
    PrepareBitmap(&b, cr.Width(), cr.Height());
    b.Canvas()->CopyRect(TRect{0, 0, b.Width(), b.Height()}, B->Canvas(), cr);
    ComposeItemFace(&b, focused, hotItem);
  }
  if (b.Empty()) {
    PrepareBitmap(&b, cr.Width(), cr.Height());
    b.Canvas()->CopyRect(TRect{0, 0, b.Width(), b.Height()}, B->Canvas(), cr);
  }
  TRect t = ItemTextRect;
  t.Right += cr.Width() - (IsNullRect(SItemRect) ? ClRect.Width() : SItemRect.Width());
  if (!SizeRule) t.Bottom += Height() - SkinRect.Height();
  TCanvas* c = b.Canvas();
  TColor colour = focused ? FocusFontColor : (FMouseIn && !IsNullRect(ActiveSkinRect)) ? ActiveFontColor : FontColor;
  if (SizeRule && !Enabled()) colour = DisabledTextColor();
  ApplyElementFont(c->Font(), SkinData(), FontName, FontStyle, FontHeight, colour, DefaultFont(), UseSkinFont());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  FCBItem.State = focused ? TOwnerDrawState{TOwnerDrawStateFlag::odFocused} : TOwnerDrawState{};
  const int shown = ShownIndex();
  if (shown >= 0) {
    if (focused && ShowFocus && !OnComboBoxDrawItem) {
      TvlSkinColors* colours = SkinData() ? SkinData()->SkinColors() : nullptr;
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      c->Brush()->SetColor(colours ? colours->FcBtnFace : clBtnFace);
      DrawDottedFocusRect(c, TRect{0, 0, b.Width(), b.Height()});
      c->Brush()->SetStyle(TBrushStyle::bsClear);
    }
    DrawItemContent(c, t, shown, nullptr, b.Width(), b.Height());
  }
  B->Canvas()->Draw(cr.Left, cr.Top, &b);
}

void TvlSkinCustomComboBox::DrawToolButton(TCanvas* C, int W, int H, const std::string* OverrideText) {
  DrawBuiltinToolFace(C, W, H, FDropDown, FMouseIn || Focused());
  const int shift = FDropDown ? 2 : 0;
  C->Font()->Assign(DefaultFont());
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  const int shown = ShownIndex();
  if (shown >= 0) DrawItemContent(C, Shifted(TRect{2, 2, W - 17, H - 2}, shift), shown, OverrideText, W, H);
  else if (OverrideText) DrawTabbedText(C, *OverrideText, Shifted(TRect{2, 2, W - 17, H - 2}, shift));
  DrawDropDownArrow(C, Shifted(TRect{W - 15, 0, W, H}, shift), C->Font()->Color());
}

void TvlSkinCustomComboBox::DrawSkinToolButton(TBitmap* B, const std::string* OverrideText) {
  GetSkinData();
  if (!Skinned()) return;
  const bool hot = FMouseIn || Focused();
  TvlDataSkinButtonControl* e = DrawSkinToolFace(B, SkinData(), FDropDown, hot);
  if (!e) return;
  const int W = B->Width(), H = B->Height(), shift = FDropDown ? 2 : 0;
  TCanvas* c = B->Canvas();
  const TColor colour = FDropDown ? e->DownFontColor : hot ? e->ActiveFontColor : Enabled() ? e->FontColor : e->DisabledFontColor;
  ApplyElementFont(c->Font(), SkinData(), e->FontName, e->FontStyle, e->FontHeight, colour, DefaultFont(), UseSkinFont());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  const TRect text = Shifted(TRect{2, 2, W - 17, H - 2}, shift);
  const int shown = ShownIndex();
  if (shown >= 0) DrawItemContent(c, text, shown, OverrideText, W, H);
  else if (OverrideText) DrawTabbedText(c, *OverrideText, text);
  DrawToolArrow(c, *e, Picture, Shifted(TRect{W - 15, 0, W, H}, shift), FDropDown, FMouseIn);
}

void TvlSkinCustomComboBox::PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText) {
  // The box's Text is never written here: painting fires no OnChange.
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (b.Empty() || !C) return;
  GetSkinData();
  CalcRects();
  TCanvas* c = b.Canvas();
  if (FToolButtonStyle) {
    if (!Skinned())
      DrawToolButton(c, b.Width(), b.Height(), &AText);
    else
      DrawSkinToolButton(&b, &AText);
  } else {
    if (!Skinned()) {
      DrawBuiltinFace(c, TRect{0, 0, b.Width(), b.Height()}, clBtnShadow, clBtnFace);
      c->Brush()->SetColor(FDefaultColor);
      c->FillRect(TRect{2, 2, b.Width() - 2, b.Height() - 2});
      DrawButton(c);
      c->Font()->Assign(DefaultFont());
    } else {
      DrawSkinBackground(&b, FMouseIn || Focused() || (FEdit && FEdit->Focused()));
      if (UseSkinSize)
        DrawButton(c);
      else
        DrawComboElementButton(c, SkinData(), Picture, FButton.R, FButton.Down && FButton.MouseIn, FButton.MouseIn,
                               Enabled());
      c->Font()->SetStyle(FontStyle);
      c->Font()->SetColor(FontColor);
      c->Font()->SetHeight(FontHeight);
      c->Font()->SetName(FontName);
    }
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    DrawTabbedText(c, AText, FCBItem.R);
  }
  C->Draw(X, Y, &b);
}
