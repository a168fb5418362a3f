// The MDI tabs bar's drawing: the bar's background in the built-in look or from the skin's tab
// element, the tabs in their three looks, the close buttons and the drag marker.

#include <algorithm>

#include "lib/data/vlDataSkinControls.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/data/vlSkinData.h"
#include "lib/forms/vlSkinMDITabsBar.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/controls/Forms.h"

using namespace vlskinctrls_detail;

namespace {

constexpr TColor kHoverFill = kBuiltinHoverFill;   // RGB(182, 189, 210)
constexpr TColor kActiveFill = kBuiltinDownFill;   // RGB(133, 147, 181)

TvlDataSkinButtonControl* ButtonElement(TvlSkinData* SD, const char* Name) {
  return dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(SD, vlFindControlElement(SD, Name)));
}

}  // namespace

// ---- The bar ------------------------------------------------------------------------------------------

void TvlSkinMDITabsBar::Paint() {
  LayoutTabs();
  TvlSkinControl::Paint();
  // Tabs that do not fit are listed behind the hide-list button, shown only while they exist.
  UpdateHideListButton();
}

void TvlSkinMDITabsBar::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect{0, 0, B->Width(), B->Height()});
  DrawTabs(c);
}

void TvlSkinMDITabsBar::CreateControlSkinImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  const int h = TabAreaHeight();
  if (FSD->MDITabsTransparent) {
    DrawParentBackground(this, c);
  } else {
    TBitmap piece;
    if (CopyPiece(&piece, Picture, TabsBGRect) && h > 0) {
      //  Each copy of TabsBGRect is its own width and as high as the tab row.
      TBitmap column;
      PrepareBitmap(&column, piece.Width(), h);
      column.Canvas()->StretchDraw(TRect{0, 0, piece.Width(), h}, &piece);
      for (int x = 0; x < B->Width(); x += column.Width()) c->Draw(x, 0, &column);
    } else {
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      c->Brush()->SetColor(clBtnFace);
      c->FillRect(TRect{0, 0, B->Width(), B->Height()});
    }
  }
  if (FTabKind == TvlSkinMDITabKind::vltkTab && !IsNullRect(SkinRect) && FBottomOffset > 0) {
    // The band under the tabs: the top edge of the element's frame between its corners.
    const TRect src{SkinRect.Left + LTPoint.X, SkinRect.Top, SkinRect.Left + RTPoint.X, SkinRect.Top + ClRect.Top};
    TBitmap band;
    ComposeSkinStrip(LTPoint.X, SkinRect.Width() - RTPoint.X, &band, Picture, src, B->Width(), FBottomOffset,
                     TopStretch);
    if (!band.Empty()) c->Draw(0, B->Height() - FBottomOffset, &band);
  }
  DrawTabs(c);
}

void TvlSkinMDITabsBar::DrawTabs(TCanvas* C) {
  // The dragged tab goes last, on top of the others.
  TvlMDITab* dragged = IsDrag && DragIndex >= 0 && DragIndex < TabCount() ? Tabs(DragIndex) : nullptr;
  for (auto& t : ObjectList)
    if (t->Visible && t.get() != dragged) t->Draw(C);
  if (dragged != nullptr) dragged->Draw(C);
  DrawDragMarker(C);
}

void TvlSkinMDITabsBar::DrawDragMarker(TCanvas* C) {
  if (!IsDrag) return;
  const int drop = DropIndex();
  if (drop == -1) return;
  const TRect r = Tabs(drop)->ObjectRect;
  const int x = TabDX > 0 ? r.Right : r.Left;
  const int h = Height(), mid = h / 2;
  //   \ |||  /      three inverted lines at the drop edge, a small arrow head on each side
  //   / |||  \ .
  C->Pen()->SetMode(TPenMode::pmNot);
  for (int dx = -1; dx <= 1; ++dx) {
    C->MoveTo(x + dx, 0);
    C->LineTo(x + dx, h);
  }
  for (int side : {-1, 1}) {
    C->MoveTo(x + side * 2, mid);
    C->LineTo(x + side * 5, mid - 3);
    C->MoveTo(x + side * 2, mid);
    C->LineTo(x + side * 5, mid + 3);
  }
  C->Pen()->SetMode(TPenMode::pmCopy);
}

// ---- One tab ---------------------------------------------------------------------------------------------

void TvlMDITab::Draw(TCanvas* Cnvs) {
  TvlSkinMDITabsBar* bar = TabsBar;
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  if (w <= 0 || h <= 0 || Child() == nullptr) return;
  TBitmap b;
  const bool skinned = bar->Skinned();
  if (skinned && bar->TabKind() == TvlSkinMDITabKind::vltkButton) {
    PrepareBitmap(&b, w, h);
    // The bar's background shows where the button element draws nothing.
    b.Canvas()->CopyRect(TRect{0, 0, w, h}, Cnvs, ObjectRect);
    ButtonDraw(&b);
  } else if (!skinned) {
    PrepareBitmap(&b, w, h);
    DefaultDraw(&b);
  } else if (bar->UseSkinSize()) {
    SkinSizeDraw(&b);
  } else {
    ResizeDraw(&b);
  }
  if (!b.Empty()) Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

void TvlMDITab::DrawCaption(TCanvas* Cnvs, TRect R, bool AskEvent) {
  TvlSkinMDITabsBar* bar = TabsBar;
  std::string text = Child() != nullptr ? Child()->Caption() : std::string();
  FitTextWithEllipsisW(Cnvs, text, R.Width());
  Cnvs->Brush()->SetStyle(TBrushStyle::bsClear);
  if (AskEvent && bar->OnTabGetDrawParamsEvent) bar->OnTabGetDrawParamsEvent(this, Cnvs);
  DrawTextWide(Cnvs, text, R, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TvlMDITab::DrawTextAndButton(TCanvas* Cnvs, int W, int H, int Top, TRect Plain, bool AskEvent) {
  if (!TabsBar->ShowCloseButtons()) {
    DrawCaption(Cnvs, Plain, AskEvent);
    return;
  }
  const TRect text{2, Top, W - TabsBar->FCloseSize - 5, H};
  DrawCaption(Cnvs, text, AskEvent);
  DrawCloseButton(Cnvs, TRect{text.Right, Top, W, H});
}

void TvlMDITab::ApplySkinFont(TCanvas* Cnvs, TColor Colour) const {
  TvlSkinMDITabsBar* bar = TabsBar;
  ApplyElementFont(Cnvs->Font(), bar->SkinData(), bar->FontName, bar->FontStyle, bar->FontHeight, Colour,
                   bar->DefaultFont(), bar->UseSkinFont);
  Cnvs->Font()->SetColor(Colour);
}

void TvlMDITab::DefaultDraw(TBitmap* B) {
  TvlSkinMDITabsBar* bar = TabsBar;
  TCanvas* c = B->Canvas();
  const int w = B->Width(), h = B->Height();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(Active ? kActiveFill : MouseIn ? kHoverFill : clBtnFace);
  c->FillRect(TRect{0, 0, w, h});
  c->Font()->Assign(bar->DefaultFont());
  ApplySkinCharset(c->Font(), bar->SkinData(), bar->DefaultFont());
  DrawTextAndButton(c, w, h, 0, TRect{2, 0, w - 2, h}, true);
}

void TvlMDITab::SkinSizeDraw(TBitmap* B) {
  TvlSkinMDITabsBar* bar = TabsBar;
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  const bool hover = MouseIn && !Active;
  const TRect src = hover ? bar->MouseInTabRect : Active ? bar->ActiveTabRect : bar->TabRect;
  const TColor colour = hover ? bar->MouseInFontColor : Active ? bar->ActiveFontColor : bar->FontColor;
  ComposeSkinStrip(bar->TabLeftOffset, bar->TabRightOffset, B, bar->Picture, src, w, h, bar->TabStretchEffect);
  if (B->Empty()) PrepareBitmap(B, w, h);
  TCanvas* c = B->Canvas();
  ApplySkinFont(c, colour);
  DrawTextAndButton(c, w, h, 0, TRect{bar->TabLeftOffset, 0, w - bar->TabRightOffset, h}, false);
}

void TvlMDITab::ResizeDraw(TBitmap* B) {
  TvlSkinMDITabsBar* bar = TabsBar;
  const int w = ObjectRect.Width();
  const int h = ObjectRect.Height() + (Active ? bar->FActiveTabOffset : 0);
  const bool hover = MouseIn && !Active && !IsNullRect(bar->MouseInTabRect);
  const TRect src = hover ? bar->MouseInTabRect : Active ? bar->ActiveTabRect : bar->TabRect;
  const TColor colour = hover ? bar->MouseInFontColor : Active ? bar->ActiveFontColor : bar->FontColor;
  const int e = bar->TabRect.Height() / 4;
  PrepareBitmap(B, w, std::max(1, h));
  ComposeStretchedSkinImage(B, bar->Picture, src,
                            TRect{bar->TabLeftOffset, e, src.Width() - bar->TabRightOffset, src.Height() - e}, true);
  TCanvas* c = B->Canvas();
  ApplySkinFont(c, colour);
  DrawTextAndButton(c, w, h, 2, TRect{2, 0, w - 2, h}, true);
}

void TvlMDITab::ButtonDraw(TBitmap* B) {
  TvlSkinMDITabsBar* bar = TabsBar;
  TvlDataSkinButtonControl* e = ButtonElement(bar->SkinData(), "resizebutton");
  TBitmap* pic = e != nullptr ? vlSkinPicture(bar->SkinData(), e->PictureIndex) : nullptr;
  if (e == nullptr || pic == nullptr) return;
  const TRect active = IsNullRect(e->ActiveSkinRect) ? e->SkinRect : e->ActiveSkinRect;
  const TRect down = IsNullRect(e->DownSkinRect) ? active : e->DownSkinRect;
  const TRect src = Active ? down : MouseIn ? active : e->SkinRect;
  const TColor colour = Active ? e->DownFontColor : MouseIn ? e->ActiveFontColor : e->FontColor;
  DrawButtonElementFace(B, pic, *e, src);
  const int w = B->Width(), h = B->Height();
  // The composed client part: the element's ClRect grown with the tab.
  TRect text{e->ClRect.Left, e->ClRect.Top, w - (e->SkinRect.Width() - e->ClRect.Right),
             h - (e->SkinRect.Height() - e->ClRect.Bottom)};
  TCanvas* c = B->Canvas();
  ApplySkinFont(c, colour);
  if (bar->ShowCloseButtons()) text.Right -= bar->FCloseSize + 3;
  const int th = c->TextHeight("Wg");
  if (text.Height() < th) {
    text.Top = h / 2 - th / 2;
    text.Bottom = text.Top + th;
  }
  DrawCaption(c, text, true);
  if (bar->ShowCloseButtons()) DrawCloseButton(c, TRect{text.Right, text.Top, w, text.Bottom});
}

void TvlMDITab::DrawCloseButton(TCanvas* Cnvs, TRect R) {
  TvlSkinMDITabsBar* bar = TabsBar;
  const bool hot = ButtonMouseIn, pressed = ButtonMouseDown && ButtonMouseIn;
  const int centre = (R.Top + R.Bottom) / 2;
  if (!bar->Skinned()) {
    const TRect box{R.Left, centre - 7, R.Left + 14, centre + 7};
    DrawCloseGlyph(Cnvs, box.Left + 2, box.Top + 2, hot ? clWhite : clBlack);
    ButtonRect = box;
    return;
  }
  if (IsNullRect(bar->CloseButtonRect)) {
    // The skin's small tool button stands in; without one nothing is drawn.
    TvlDataSkinButtonControl* e = ButtonElement(bar->SkinData(), "resizetoolbutton");
    TBitmap* pic = e != nullptr ? vlSkinPicture(bar->SkinData(), e->PictureIndex) : nullptr;
    if (pic == nullptr) {
      ButtonRect = TRect{};
      return;
    }
    const TRect active = IsNullRect(e->ActiveSkinRect) ? e->SkinRect : e->ActiveSkinRect;
    const TRect down = IsNullRect(e->DownSkinRect) ? active : e->DownSkinRect;
    TBitmap face;
    PrepareBitmap(&face, bar->FCloseSize, bar->FCloseSize);
    DrawButtonElementFace(&face, pic, *e, pressed ? down : hot ? active : e->SkinRect);
    const TColor glyph = pressed ? e->DownFontColor : hot ? e->ActiveFontColor : e->FontColor;
    DrawCloseGlyph(face.Canvas(), face.Width() / 2 - 5, face.Height() / 2 - 5, glyph);
    const int top = centre - face.Height() / 2;
    Cnvs->Draw(R.Left, top, &face);
    ButtonRect = TRect{R.Left, top, R.Left + face.Width(), top + face.Height()};
    return;
  }
  const TRect img = pressed ? bar->CloseButtonDownRect : hot ? bar->ClosebuttonActiveRect : bar->CloseButtonRect;
  TBitmap piece;
  if (!CopyPiece(&piece, bar->Picture, img)) {
    ButtonRect = TRect{};
    return;
  }
  const int top = centre - piece.Height() / 2;
  if (bar->ButtonTransparent) {
    piece.SetTransparentMode(TTransparentMode::tmFixed);
    piece.SetTransparentColor(bar->ButtonTransparentColor);
    piece.SetTransparent(true);
  }
  Cnvs->Draw(R.Left, top, &piece);
  ButtonRect = TRect{R.Left, top, R.Left + piece.Width(), top + piece.Height()};
}
