// The skinned page control's painting (frame, tab strip, tabs, close buttons), its hot
// tracking and the closing of pages by their close buttons.

#include <algorithm>
#include <memory>

#include "lib/data/vlDataSkinControls.h"
#include "lib/drawing/vlEffects.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinTabs.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

namespace {

enum class TTurn { Left, Right, Flip };

// B turned a quarter counter-clockwise (Left: the bitmap's bottom faces right), clockwise
// (Right: its bottom faces left), or upside down (Flip).
void Turn(TBitmap* B, TTurn How) {
  if (B->Empty()) return;
  std::unique_ptr<TvlEffectBmp> src = TvlEffectBmp::CreateFromhWnd(B->Handle());
  if (!src) return;
  const bool flip = How == TTurn::Flip;
  TvlEffectBmp dst(flip ? src->Width : src->Height, flip ? src->Height : src->Width);
  if (How == TTurn::Left) src->Rotate90_1(&dst);
  else if (How == TTurn::Right) src->Rotate90_2(&dst);
  else src->FlipVert(&dst);
  PrepareBitmap(B, dst.Width, dst.Height);
  dst.Draw(B->Canvas()->Handle(), 0, 0);
}

// Image and text centred as a pair across Width, the image Offset pixels lower.
void DrawTabImageAndText(TCanvas* C, int Width, int Height, int Offset, bool Enabled, int ImageIndex,
                         TCustomImageList* Images, const std::string& Text) {
  TRect tr{0, 0, 0, 0};
  DrawTextWide(C, Text, tr, DT_CALCRECT | DT_SINGLELINE);
  const int tw = Text.empty() ? 0 : tr.Width() + 2;
  const int iw = Images->Width(), ih = Images->Height();
  const int x = Width / 2 - (tw + iw + 2) / 2;
  Images->Draw(C, x, Height / 2 + Offset - ih / 2, ImageIndex, Enabled);
  TRect t{x + iw + 2, Height / 2 + Offset - tr.Height() / 2, 0, 0};
  t.Right = t.Left + tr.Width();
  t.Bottom = t.Top + tr.Height();
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawTextWide(C, Text, t, DT_CENTER | DT_SINGLELINE);
}

}  // namespace

// ---- Whole control -------------------------------------------------------------------------------

void TvlSkinPageControl::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  TCanvas* C = Canvas();
  const HDC dc = C->Handle();
  const int saved = SaveDC(dc);
  if (FIndex < 0) {
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(ClientRect());
    if (!FHideBorder) {
      const TRect p = PagesRect();
      C->Brush()->SetColor(clBtnShadow);
      C->FrameRect(TRect{p.Left - 1, p.Top - 1, p.Right + 1, p.Bottom + 1});
    }
  } else {
    PaintFrame(C);
  }
  RestoreDC(dc, saved);
  PaintTabs(C);
}

TRect TvlSkinPageControl::SelectedTabRect() {
  const int sel = TabIndex();
  if (sel < 0 || sel >= PageCount() || VisibleTabCount() == 0 || ActivePage() == nullptr) return {};
  TRect r = ItemRect(sel);
  const int grow = RectHeight(ActiveTabRect) - RectHeight(TabRect);
  switch (TabPosition()) {
    case TTabPosition::tpTop: r.Bottom += grow; break;
    case TTabPosition::tpBottom: r.Top -= grow; break;
    case TTabPosition::tpLeft: r.Right += grow; break;
    case TTabPosition::tpRight: r.Left -= grow; break;
  }
  return r;
}

void TvlSkinPageControl::PaintFrame(TCanvas* C) {
  if (FHideBorder || Picture == nullptr) return;
  const TRect f = FrameRect();
  const int dw = f.Width() - RectWidth(SkinRect), dh = f.Height() - RectHeight(SkinRect);
  const TvlNinePartGeometry g = TvlNinePartGeometry::Grown(LTPoint, RTPoint, LBPoint, RBPoint, ClRect, dw, dh);
  TBitmap l, t, r, b;
  ComposeSkinBorders(g, TvlBorderPieces{&l, &t, &r, &b}, Picture, SkinRect, f.Width(), f.Height(),
                     TvlStretchSides{LeftStretch, TopStretch, RightStretch, BottomStretch});
  const HDC dc = C->Handle();
  if (!FHideTabs) {
    const TRect sel = SelectedTabRect();
    if (!IsNullRect(sel)) ExcludeClipRect(dc, sel.Left, sel.Top, sel.Right, sel.Bottom);
  }
  C->Draw(f.Left, f.Top, &t);
  C->Draw(f.Left, f.Top + t.Height(), &l);
  C->Draw(f.Right - r.Width(), f.Top + t.Height(), &r);
  C->Draw(f.Left, f.Bottom - b.Height(), &b);
}

// ---- Tabs ------------------------------------------------------------------------------------------

void TvlSkinPageControl::PaintTabs(TCanvas* C) {
  if (FHideTabs || PageCount() == 0) return;
  const int count = VisibleTabCount();
  auto itemRect = [this](int i) {
    TRect r = ItemRect(i);
    if (i == 0 && !MultiLine()) ++r.Left;
    return r;
  };
  auto pageIndex = [this](int i) {
    TvlSkinCustomTabSheet* p = PageOfTab(i);
    return p == nullptr ? -1 : p->PageIndex();
  };
  const int sel = TabIndex();
  if (FIndex < 0) {
    for (int i = 0; i < count; ++i)
      if (const TRect r = itemRect(i); !IsNullRect(r)) DrawTab(pageIndex(i), r, i == FActiveTabIndex, i == sel, C);
    return;
  }
  GetSkinData();
  const TRect f = FrameRect();
  TRect area;
  switch (TabPosition()) {
    case TTabPosition::tpTop: area = TRect{0, 0, Width(), f.Top}; break;
    case TTabPosition::tpBottom: area = TRect{0, f.Bottom, Width(), Height()}; break;
    case TTabPosition::tpLeft: area = TRect{0, 0, f.Left, Height()}; break;
    case TTabPosition::tpRight: area = TRect{f.Right, 0, Width(), Height()}; break;
  }
  if (IsNullRect(area)) return;
  TBitmap strip;
  PrepareBitmap(&strip, area.Width(), area.Height());
  if (FTabsBGTransparent) {
    TBitmap parent;
    PrepareBitmap(&parent, Width(), Height());
    DrawParentBackgroundRect(this, TRect{0, 0, Width(), Height()}, parent.Canvas());
    strip.Canvas()->CopyRect(TRect{0, 0, area.Width(), area.Height()}, parent.Canvas(), area);
  } else {
    TRect bg = TabsBGRect;
    if (IsNullRect(bg))
      bg = TRect{SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                 SkinRect.Top + ClRect.Bottom};
    TBitmap piece, tiled;
    if (Picture != nullptr && CopyPiece(&piece, Picture, bg)) {
      TileOver(&tiled, &piece, area.Width(), area.Height());
      strip.Canvas()->Draw(0, 0, &tiled);
    } else {
      strip.Canvas()->Brush()->SetColor(clBtnFace);
      strip.Canvas()->FillRect(TRect{0, 0, area.Width(), area.Height()});
    }
  }
  for (int i = 0; i < count; ++i) {
    if (i == sel) continue;
    TRect r = itemRect(i);
    if (IsNullRect(r)) continue;
    r = TRect{r.Left - area.Left, r.Top - area.Top, r.Right - area.Left, r.Bottom - area.Top};
    DrawTab(pageIndex(i), r, i == FActiveTabIndex, false, strip.Canvas());
  }
  const HDC dc = C->Handle();
  const int saved = SaveDC(dc);
  const TRect selRect = SelectedTabRect();
  if (!IsNullRect(selRect)) ExcludeClipRect(dc, selRect.Left, selRect.Top, selRect.Right, selRect.Bottom);
  C->Draw(area.Left, area.Top, &strip);
  RestoreDC(dc, saved);
  if (sel >= 0 && sel < count) {
    TRect r = itemRect(sel);
    if (IsNullRect(r)) return;
    const int d = RectHeight(TabRect) - RectHeight(ActiveTabRect);
    if (d != 0 && TabPosition() == TTabPosition::tpBottom) r = TRect{r.Left, r.Top + d, r.Right, r.Bottom + d};
    if (d != 0 && TabPosition() == TTabPosition::tpRight) r = TRect{r.Left + d, r.Top, r.Right + d, r.Bottom};
    DrawTab(pageIndex(sel), r, sel == FActiveTabIndex, true, C);
  }
}

void TvlSkinPageControl::DrawTab(int Page, TRect R, bool Hot, bool Selected, TCanvas* C) {
  if (FHideTabs || Page < 0 || Page >= PageCount() || IsNullRect(R)) return;
  auto* page = dynamic_cast<TvlSkinCustomTabSheet*>(Pages(Page));
  const bool vertical = Vertical();
  const TTabPosition pos = TabPosition();
  const bool hasImage = FImages != nullptr && Pages(Page)->ImageIndex() >= 0 && Pages(Page)->ImageIndex() < FImages->Count();
  const bool focused = Focused();
  const bool skinned = FIndex >= 0 && Picture != nullptr;
  int bw = vertical ? R.Height() : R.Width(), bh = vertical ? R.Width() : R.Height();
  TBitmap b;
  TCanvas* bc = nullptr;
  if (!skinned) {
    PrepareBitmap(&b, bw, bh);
    bc = b.Canvas();
    const TRect all{0, 0, bw, bh};
    if (Hot && !Selected) {
      bc->Brush()->SetColor(static_cast<TColor>(RGB(182, 189, 210)));
      bc->FillRect(all);
    } else if (!Selected) {
      bc->Brush()->SetColor(clBtnFace);
      bc->FillRect(all);
    } else {
      bc->Brush()->SetColor(focused ? static_cast<TColor>(RGB(133, 147, 181)) : static_cast<TColor>(RGB(182, 189, 210)));
      bc->FillRect(all);
      bc->Brush()->SetColor(clNavy);
      bc->FrameRect(all);
    }
    bc->Font()->Assign(Font());
    ApplySkinCharset(bc->Font(), FSD, Font());
  } else {
    TRect img;
    if (Hot && !Selected && !IsNullRect(MouseInTabRect)) img = MouseInTabRect;
    else if (Selected && focused) img = FocusTabRect;
    else if (!Selected) img = TabRect;
    else img = ActiveTabRect;
    if (RequestedTabHeight() > 0) {
      if (Selected) {
        if (RectHeight(ActiveTabRect) > RectHeight(TabRect)) bh += RectHeight(ActiveTabRect) - RectHeight(TabRect);
        else if (focused && RectHeight(FocusTabRect) > RectHeight(TabRect))
          bh += RectHeight(FocusTabRect) - RectHeight(TabRect);
      }
      PrepareBitmap(&b, bw, bh);
      const int e = RectHeight(TabRect) / 4;
      ComposeStretchedSkinImage(&b, Picture, img,
                                TRect{TabLeftOffset, e, RectWidth(img) - TabRightOffset, RectHeight(img) - e}, true);
    } else {
      ComposeSkinStrip(TabLeftOffset, TabRightOffset, &b, Picture, img, bw, bh, TabStretchEffect);
      if (b.Empty()) PrepareBitmap(&b, bw, bh);
      bh = b.Height();
    }
    if (pos == TTabPosition::tpBottom) Turn(&b, TTurn::Flip);
    bc = b.Canvas();
    const TColor color = (Hot && !Selected) ? MouseInFontColor
                         : (Selected && focused) ? FocusFontColor
                         : !Selected ? FontColor
                                     : ActiveFontColor;
    ApplyElementFont(bc->Font(), FSD, FontName, FontStyle, FontHeight, color, Font(), UseSkinFont);
    bc->Font()->SetColor(color);
  }
  bool turnedNow = false;
  if (vertical && FTextInHorizontal) {
    Turn(&b, pos == TTabPosition::tpLeft ? TTurn::Left : TTurn::Right);
    bc = b.Canvas();
    turnedNow = true;
    if (skinned) {
      ApplyElementFont(bc->Font(), FSD, FontName, FontStyle, FontHeight, bc->Font()->Color(), Font(), UseSkinFont);
    }
  }
  const int w = b.Width(), h = b.Height();
  TRect text{0, 0, w, h};
  int imageOffset = 0;
  if (skinned && RectHeight(TabRect) != RectHeight(ActiveTabRect) && !Selected) {
    imageOffset = (pos == TTabPosition::tpTop || pos == TTabPosition::tpLeft) ? 2 : -2;
    text.Top += imageOffset;
  }
  if (skinned && ShowFocus && focused && Selected) {
    bc->Brush()->SetColor(FSD != nullptr && FSD->SkinColors() != nullptr ? FSD->SkinColors()->FcBtnFace : clBtnFace);
    DrawDottedFocusRect(bc, TRect{text.Left + FocusOffsetX, text.Top + FocusOffsetY, text.Right - FocusOffsetX,
                                  text.Bottom - FocusOffsetY});
  }
  const int s = FShowCloseButtons ? FCloseSize + 2 : 0;
  bc->Brush()->SetStyle(TBrushStyle::bsClear);
  const std::string caption = Pages(Page)->Caption();
  if (OnDrawSkinTab) {
    OnDrawSkinTab(Page, TRect{0, 0, w, h}, Selected, Hot, bc);
  } else if (hasImage || FTabExtendedDraw) {
    if (FTabExtendedDraw)
      DrawImageAndText(bc, TRect{text.Left, text.Top, text.Right - s, text.Bottom}, FTabMargin, FTabSpacing,
                       FTabLayout, caption, Pages(Page)->ImageIndex(), FImages, false, Pages(Page)->Enabled(), false,
                       0);
    else
      DrawTabImageAndText(bc, w - s, h, imageOffset, Pages(Page)->Enabled(), Pages(Page)->ImageIndex(), FImages,
                          caption);
  } else {
    TRect t{text.Left, text.Top, text.Right - (skinned ? s + 3 : s), text.Bottom};
    if (s == 0 && skinned) t.Right = text.Right;
    DrawTextWide(bc, caption, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if (FShowCloseButtons && page != nullptr) {
    if (!Hot) page->ButtonMouseIn = false;
    const TRect q{text.Right - (skinned ? s + 3 : s), text.Top + imageOffset, w, text.Bottom};
    DrawCloseButton(bc, q, w, h, page);
    if (vertical && !turnedNow) {
      const TRect br = page->ButtonRect;
      page->ButtonRect = pos == TTabPosition::tpLeft ? TRect{br.Top, w - br.Right, br.Bottom, w - br.Left}
                                                     : TRect{h - br.Bottom, br.Left, h - br.Top, br.Right};
    }
  }
  if (vertical && !turnedNow) Turn(&b, pos == TTabPosition::tpLeft ? TTurn::Left : TTurn::Right);
  C->Draw(R.Left, R.Top, &b);
}

void TvlSkinPageControl::DrawCloseButton(TCanvas* C, TRect Q, int, int, TvlSkinCustomTabSheet* Page) {
  const bool hot = Page->ButtonMouseIn, pressed = Page->ButtonMouseDown;
  const int centre = (Q.Top + Q.Bottom) / 2;
  if (FIndex < 0 || Picture == nullptr) {
    const TRect box{Q.Left, centre - 7, Q.Left + 14, centre + 7};
    if (hot) {
      C->Brush()->SetStyle(TBrushStyle::bsSolid);
      C->Brush()->SetColor(pressed ? clNavy : static_cast<TColor>(RGB(133, 147, 181)));
      C->FillRect(box);
    }
    DrawCloseGlyph(C, box.Left + 2, box.Top + 2, hot ? clWhite : clBlack);
    Page->ButtonRect = box;
    return;
  }
  if (IsNullRect(CloseButtonRect)) {
    // The skin's small tool button stands in; without one (or without its picture) nothing.
    const int idx = vlFindControlElement(FSD, "resizetoolbutton");
    auto* e = dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(FSD, idx));
    TBitmap* pic = e == nullptr ? nullptr : vlSkinPicture(FSD, e->PictureIndex);
    if (pic == nullptr) {
      Page->ButtonRect = TRect{};
      return;
    }
    TRect img = e->SkinRect;
    if (pressed && hot && !IsNullRect(e->DownSkinRect)) img = e->DownSkinRect;
    else if (hot && !IsNullRect(e->ActiveSkinRect)) img = e->ActiveSkinRect;
    TBitmap face;
    PrepareBitmap(&face, FCloseSize, FCloseSize);
    ComposeStretchedSkinImage(&face, pic, img, e->ClRect, true);
    const TColor glyph = pressed && hot ? e->DownFontColor : hot ? e->ActiveFontColor : e->FontColor;
    DrawCloseGlyph(face.Canvas(), face.Width() / 2 - 5, face.Height() / 2 - 5, glyph);
    const int top = centre - face.Height() / 2;
    C->Draw(Q.Left, top, &face);
    Page->ButtonRect = TRect{Q.Left, top, Q.Left + face.Width(), top + face.Height()};
    return;
  }
  const TRect img = pressed && hot ? CloseButtonDownRect : hot ? ClosebuttonActiveRect : CloseButtonRect;
  TBitmap piece;
  if (!CopyPiece(&piece, Picture, img)) {
    Page->ButtonRect = TRect{};
    return;
  }
  const int top = centre - piece.Height() / 2;
  if (ButtonTransparent) {
    piece.SetTransparentMode(TTransparentMode::tmFixed);
    piece.SetTransparentColor(ButtonTransparentColor);
    piece.SetTransparent(true);
  }
  C->Draw(Q.Left, top, &piece);
  Page->ButtonRect = TRect{Q.Left, top, Q.Left + piece.Width(), top + piece.Height()};
}

// ---- Hot tracking and closing ----------------------------------------------------------------------

void TvlSkinPageControl::RepaintTabs() { Invalidate(); }

bool TvlSkinPageControl::PointOnCloseButton(int X, int Y) {
  if (!FShowCloseButtons || FActiveTabIndex < 0) return false;
  TvlSkinCustomTabSheet* page = PageOfTab(FActiveTabIndex);
  if (page == nullptr || IsNullRect(page->ButtonRect)) return false;
  const TRect item = ItemRect(FActiveTabIndex);
  const TRect b = page->ButtonRect;
  return TRect{item.Left + b.Left, item.Top + b.Top, item.Left + b.Right, item.Top + b.Bottom}.Contains(TPoint{X, Y});
}

void TvlSkinPageControl::TrackTab(int X, int Y) {
  if (FHideTabs) return;
  FOldActiveTabIndex = FActiveTabIndex;
  FOldActiveTab = FActiveTab;
  FActiveTabIndex = -1;
  FActiveTab = -1;
  const int count = VisibleTabCount();
  for (int i = 0; i < count; ++i)
    if (ItemRect(i).Contains(TPoint{X, Y})) {
      FActiveTabIndex = i;
      TvlSkinCustomTabSheet* p = PageOfTab(i);
      FActiveTab = p == nullptr ? -1 : p->PageIndex();
      break;
    }
  if (FActiveTabIndex != FOldActiveTabIndex) {
    if (FOldActiveTabIndex >= 0 && FOldActiveTabIndex != TabIndex())
      if (TvlSkinCustomTabSheet* old = PageOfTab(FOldActiveTabIndex); old != nullptr) {
        old->ButtonMouseIn = false;
        old->ButtonMouseDown = false;
      }
    if ((FOldActiveTabIndex >= 0 && FOldActiveTabIndex != TabIndex()) ||
        (FActiveTabIndex >= 0 && FActiveTabIndex != TabIndex()))
      RepaintTabs();
  }
  if (FShowCloseButtons && FActiveTabIndex >= 0) {
    TvlSkinCustomTabSheet* p = PageOfTab(FActiveTabIndex);
    if (p == nullptr) return;
    const bool on = PointOnCloseButton(X, Y);
    if (on && !p->ButtonMouseIn) {
      p->ButtonMouseIn = true;
      RepaintTabs();
    } else if (!on && (p->ButtonMouseIn || p->ButtonMouseDown)) {
      p->ButtonMouseIn = false;
      p->ButtonMouseDown = false;
      RepaintTabs();
    }
  }
}

void TvlSkinPageControl::MouseMove(TShiftState Shift, int X, int Y) {
  TPageControl::MouseMove(Shift, X, Y);
  TrackTab(Shifted() ? X + TabsOffset() : X, Y);
}

void TvlSkinPageControl::CMMouseLeave(TMessage& Message) {
  TPageControl::CMMouseLeave(Message);
  const int remembered = FActiveTabIndex;
  TrackTab(-1, -1);
  if (remembered >= 0 && remembered != TabIndex()) RepaintTabs();
}

void TvlSkinPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  if (Button == TMouseButton::mbLeft && !FHideTabs) {
    // Coordinates arrive with the tabs offset taken away; the item rectangles carry it.
    const int x = Shifted() ? X + TabsOffset() : X;
    if (!Shifted()) TrackTab(x, Y);
    if (FShowCloseButtons && FActiveTabIndex >= 0) {
      TvlSkinCustomTabSheet* p = PageOfTab(FActiveTabIndex);
      if (p != nullptr) {
        const bool on = PointOnCloseButton(x, Y);
        p->ButtonMouseIn = on;
        p->ButtonMouseDown = on;
        if (on) {
          RepaintTabs();
          return;  // a press on a close button does not change the page
        }
      }
    }
  }
  if (self) TPageControl::MouseDown(Button, Shift, X, Y);
}

void TvlSkinPageControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> self(this);
  TPageControl::MouseUp(Button, Shift, X, Y);
  if (!self || Button != TMouseButton::mbLeft || FHideTabs) return;
  const int x = Shifted() ? X + TabsOffset() : X;
  if (!Shifted()) TrackTab(x, Y);
  if (!FShowCloseButtons) return;
  TvlSkinCustomTabSheet* p = FActiveTabIndex < 0 ? nullptr : PageOfTab(FActiveTabIndex);
  if (p == nullptr) {
    // Released away from every tab: no close button stays pressed.
    for (int i = 0; i < PageCount(); ++i)
      if (auto* s = dynamic_cast<TvlSkinCustomTabSheet*>(Pages(i)); s != nullptr) {
        s->ButtonMouseIn = false;
        s->ButtonMouseDown = false;
      }
    RepaintTabs();
    return;
  }
  const bool wasDown = p->ButtonMouseDown;
  const bool on = PointOnCloseButton(x, Y);
  if (on && wasDown) {
    p->ButtonMouseIn = true;
    p->ButtonMouseDown = false;
    RepaintTabs();
    if (p != ActivePage()) SetActivePage(p);
    CloseActivePage();
  } else {
    p->ButtonMouseIn = on;
    p->ButtonMouseDown = false;
    RepaintTabs();
  }
}

void TvlSkinPageControl::CloseActivePage() {
  auto* page = dynamic_cast<TvlSkinCustomTabSheet*>(ActivePage());
  if (page == nullptr) return;
  TWeak<TControl> self(this);
  TWeak<TControl> alive(page);
  bool canClose = true;
  if (OnClose) OnClose(page, canClose);
  if (!self) return;
  if (!canClose) {
    if (alive) {
      TPoint p{};
      GetCursorPos(&p);
      if (!HandleAllocated() || WindowFromPoint(p) != Handle()) {
        page->ButtonMouseIn = false;
        page->ButtonMouseDown = false;
        RepaintTabs();
      }
    }
    return;
  }
  if (!alive) return;
  const int place = page->TabIndex();
  page->ButtonMouseIn = false;
  page->ButtonMouseDown = false;
  page->SetTabVisible(false);
  if (FFreeOnClose) delete page;
  FActiveTabIndex = FOldActiveTabIndex = -1;
  FActiveTab = FOldActiveTab = -1;
  // The tab that took the closed one's place (or the last one) shows next.
  if (ActivePage() == nullptr && VisibleTabCount() > 0) {
    TvlSkinCustomTabSheet* next = PageOfTab(std::min(place, VisibleTabCount() - 1));
    if (next != nullptr) SetActivePage(next);
  }
  RepaintTabs();
  if (OnAfterClose) OnAfterClose(this);
}
