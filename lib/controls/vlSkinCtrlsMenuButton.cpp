// The tool button that opens a skinned popup menu (TvlSkinMenuSpeedButton).
//
// Its looks, by element name:
//   "toolbutton", "bigtoolbutton"         tool style: every part of the image stretched
//   "resizebutton", "resizetoolbutton"    resize style: nine parts with the element's corners
//   "resizetoolbutton" with NewStyle       new style: the button element and a track element
//   any other ("toolmenubutton")           the tool button's own look; the skin image carries
//                                          the marker, and while its menu shows in track mode
//                                          the track part takes the pressed image
// In the first three the track part is the 15-pixel strip at the right (or, new style, the
// bottom), holding the drop-down arrow:
//
//   +----------------------------+------+
//   |  [image] caption           |  v   |  <- 15 pixels
//   +----------------------------+------+

#include "lib/controls/vlSkinCtrlsMenuButton.h"

#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/menus/vlSkinMenusImages.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

using namespace vlskinctrls_detail;

namespace {

constexpr int kTrack = 15;

bool IsOneOf(const std::string& Name, std::initializer_list<const char*> Names) {
  for (const char* n : Names)
    if (Name == n) return true;
  return false;
}

// The image of a state, falling back hover to normal and pressed to hover.
TRect StateRect(const TvlDataSkinButtonControl& E, bool AActive, bool ADown) {
  const TRect active = IsNullRect(E.ActiveSkinRect) ? E.SkinRect : E.ActiveSkinRect;
  if (ADown && AActive) return IsNullRect(E.DownSkinRect) ? active : E.DownSkinRect;
  return AActive ? active : E.SkinRect;
}

}  // namespace

TvlSkinMenuSpeedButton::TvlSkinMenuSpeedButton(TComponent* AOwner) : TvlSkinSpeedButton(AOwner) {
  SkinDataName = "toolmenubutton";
}

// ---- Properties --------------------------------------------------------------------------------

void TvlSkinMenuSpeedButton::SetSkinPopupMenu(TvlSkinPopupMenu* Value) { ReplaceReference(FSkinPopupMenu, Value); }

void TvlSkinMenuSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinSpeedButton::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSkinPopupMenu) FSkinPopupMenu = nullptr;
}

void TvlSkinMenuSpeedButton::SetTrackButtonMode(bool Value) {
  FTrackButtonMode = Value;
  if (FIndex == -1) Repaint();
}

void TvlSkinMenuSpeedButton::SetNewStyle(bool Value) {
  FNewStyle = Value;
  if (Value) SkinDataName = "resizetoolbutton";
}

void TvlSkinMenuSpeedButton::SetTrackPosition(TvlTrackPosition Value) {
  FTrackPosition = Value;
  Repaint();
}

void TvlSkinMenuSpeedButton::GetSkinData() {
  TvlSkinSpeedButton::GetSkinData();
  if (auto* d = FIndex == -1 ? nullptr : dynamic_cast<TvlDataSkinMenuButtonControl*>(vlControlElement(FSD, FIndex)))
    TrackButtonRect = d->TrackButtonRect;
}

// ---- The track part and the menu ----------------------------------------------------------------

bool TvlSkinMenuSpeedButton::NamedElement() const {
  return IsOneOf(SkinDataName, {"resizebutton", "resizetoolbutton", "toolbutton", "bigtoolbutton"});
}

TRect TvlSkinMenuSpeedButton::MappedTrackRect() const {
  TRect r = TrackButtonRect;
  if (ResizeMode == 2) r = TRect{r.Left + Width() - SkinRect.Width(), r.Top, r.Right + Width() - SkinRect.Width(), r.Bottom};
  if (ResizeMode == 3)
    r = TRect{r.Left, r.Top + Height() - SkinRect.Height(), r.Right, r.Bottom + Height() - SkinRect.Height()};
  return r;
}

TRect TvlSkinMenuSpeedButton::TrackStrip(const TRect& R) const {
  if (BottomTrack()) return TRect{R.Left, R.Bottom - kTrack, R.Right, R.Bottom};
  return TRect{R.Right - kTrack, R.Top, R.Right, R.Bottom};
}

bool TvlSkinMenuSpeedButton::InTrackPart(int X, int Y) const {
  if (!FSkinPopupMenu && !SkinImagesMenu()) return false;
  if (!FTrackButtonMode) return true;
  // Without an element the built-in look marks the strip, which then opens the menu.
  const TRect r = NamedElement() || FIndex == -1 ? TrackStrip(TRect{0, 0, Width(), Height()}) : MappedTrackRect();
  return r.Contains(TPoint{X, Y});
}

void TvlSkinMenuSpeedButton::ShowTrackMenu() {
  const TPoint origin = ClientOrigin();
  const TRect r{origin.X, origin.Y, origin.X + Width(), origin.Y + Height()};
  TWeak<TvlSkinMenuSpeedButton> alive(this);
  if (FSkinPopupMenu) {
    if (OnShowTrackMenu) {
      OnShowTrackMenu(this);
      if (!alive) return;
    }
    if (FSkinPopupMenu) FSkinPopupMenu->PopupFromRect2(this, r, false);
    if (!alive) return;
  }
  if (TvlSkinImagesMenu* images = SkinImagesMenu()) {
    if (OnShowTrackMenu) {
      OnShowTrackMenu(this);
      if (!alive || !(images = SkinImagesMenu())) return;
    }
    images->OnInternalMenuClose = [alive](TObject*) {
      if (alive) alive->MenuClosed(true);
    };
    images->PopupFromRect(r);
  }
}

bool TvlSkinMenuSpeedButton::MenuShowing() const {
  return (FSkinPopupMenu && FSkinPopupMenu->Showing()) || (SkinImagesMenu() && SkinImagesMenu()->PopupWindow());
}

void TvlSkinMenuSpeedButton::MenuClosed(bool MouseLeftLast) {
  TWeak<TvlSkinMenuSpeedButton> alive(this);
  FMenuTracked = false;
  SetDown(false);
  if (!MouseLeftLast) FMouseIn = false;
  if (OnHideTrackMenu) {
    OnHideTrackMenu(this);
    if (!alive) return;
  }
  if (MouseLeftLast) FMouseIn = false;
  Repaint();
}

void TvlSkinMenuSpeedButton::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_vlSkinMenuClosed) {
    MenuClosed();
    return;
  }
  TvlSkinSpeedButton::Dispatch(Message);
}

// ---- Mouse -------------------------------------------------------------------------------------

void TvlSkinMenuSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == TMouseButton::mbLeft) {
    FMenuTracked = InTrackPart(X, Y);
    FMouseIn = true;
    if (FMenuTracked) {
      TWeak<TvlSkinMenuSpeedButton> alive(this);
      if (!Down()) SetDown(true);
      ShowTrackMenu();
      // A menu that showed nothing will never report its end: the button comes up at once (the
      // release of this press still belongs to the menu).
      if (alive && FMenuTracked && !MenuShowing()) {
        MenuClosed();
        if (alive) FReleaseOfEmptyMenu = true;
      }
      return;
    }
  }
  TvlSkinSpeedButton::MouseDown(Button, Shift, X, Y);
}

void TvlSkinMenuSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FMenuTracked) return;
  if (FReleaseOfEmptyMenu && Button == TMouseButton::mbLeft) {
    FReleaseOfEmptyMenu = false;
    return;
  }
  TvlSkinSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TvlSkinMenuSpeedButton::CMMouseEnter(TMessage& Message) {
  if (FMenuTracked) {
    FMouseIn = true;
    return;
  }
  TvlSkinSpeedButton::CMMouseEnter(Message);
}

void TvlSkinMenuSpeedButton::CMMouseLeave(TMessage& Message) {
  if (FMenuTracked) {
    FMouseIn = false;
    return;
  }
  TvlSkinSpeedButton::CMMouseLeave(Message);
}

// ---- Painting ----------------------------------------------------------------------------------

TColor TvlSkinMenuSpeedButton::DrawStateContent(TCanvas* C, const TRect& R, bool Pressed, bool Hover) {
  TColor colour = Look.FontColor;
  if (Enabled() && !UseSkinFontColor)
    colour = FDefaultFont->Color();
  else if (!Enabled())
    colour = Look.DisabledFontColor;
  else if (Pressed)
    colour = Look.DownFontColor;
  else if (Hover)
    colour = Look.ActiveFontColor;
  ApplyElementFont(C->Font(), FSD, Look.FontName, Look.FontStyle, Look.FontHeight, colour, FDefaultFont.get(),
                   FUseSkinFont);
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  SetBkMode(C->Handle(), TRANSPARENT);
  DrawContent(C, R, Pressed, Down(), FMouseIn);
  return colour;
}

void TvlSkinMenuSpeedButton::DrawArrow(TCanvas* C, const TRect& R, TColor Colour, bool Hover, bool Down) {
  if (FDrawStandardArrow)
    DrawArrowGlyph(C, R, Colour, FArrowType);
  else if (!IsNullRect(Look.MenuMarkerRect))
    DrawMenuMarker(C, R, Hover, Down, false);
  else
    DrawDropDownArrow(C, R, FMenuTracked ? Look.DownFontColor : Colour);
}

void TvlSkinMenuSpeedButton::DrawToolOrResizeStyle(TBitmap* B, bool ADown, bool AMouseIn, bool Resize) {
  const int w = Width(), h = Height();
  const bool pressed = ADown && AMouseIn, hover = AMouseIn;
  const TRect normal = SkinRect, active = Look.ActiveSkinRect, down = Look.DownSkinRect;
  TCanvas* c = B->Canvas();
  const auto compose = [&](const TRect& Source, const TRect& Part) {
    TBitmap piece;
    if (Resize) {
      ComposeSkinImage(TvlNinePartGeometry::Grown(LTPt, RTPt, LBPt, RBPt, ClRect, Part.Width() - SkinRect.Width(),
                                                  Part.Height() - SkinRect.Height()),
                       &piece, Picture, Source, Part.Width(), Part.Height(),
                       TvlStretchSides{LeftStretch, TopStretch, RightStretch, BottomStretch},
                       TvlClientFill{true, StretchEffect, StretchType});
    } else {
      PrepareBitmap(&piece, Part.Width(), Part.Height());
      ComposeStretchedSkinImage(&piece, Picture, Source, ClRect, true);
    }
    if (!piece.Empty()) c->Draw(Part.Left, Part.Top, &piece);
  };
  // 1. Background: the button part and the track part apart in track-button mode.
  const TRect whole{0, 0, w, h}, button{0, 0, w - kTrack, h}, track{w - kTrack, 0, w, h};
  if (FTrackButtonMode) {
    const TRect* looks[2] = {nullptr, nullptr};
    if (FMenuTracked) {
      looks[0] = &active, looks[1] = &down;
    } else if (pressed) {
      looks[0] = looks[1] = &down;
    } else if (hover) {
      looks[0] = looks[1] = &active;
    } else if (!Flat()) {
      looks[0] = looks[1] = &normal;
    }
    if (looks[0]) compose(*looks[0], button);
    if (looks[1]) compose(*looks[1], track);
  } else if (pressed) {
    compose(down, whole);
  } else if (hover) {
    compose(active, whole);
  } else if (!Flat()) {
    compose(normal, whole);
  }
  // 2 - 4. Content beside the track part.
  const TRect content{0, 0, w - kTrack, h};
  const TColor colour = DrawStateContent(c, content, pressed, hover);
  // 5, 6. The arrow, pressed in with the button or while the menu shows.
  TRect arrow{w - kTrack, content.Top, w, content.Bottom};
  if (pressed || FMenuTracked) {
    arrow.Top += 2;
    arrow.Left = w - 13;
  }
  DrawArrow(c, arrow, colour, hover, pressed || FMenuTracked);
}

void TvlSkinMenuSpeedButton::DrawElement(const TvlDataSkinButtonControl& E, TCanvas* C, const TRect& R, bool AActive,
                                         bool ADown) {
  TBitmap* picture = vlSkinPicture(FSD, E.PictureIndex);
  if (!picture || IsNullRect(R)) return;
  TBitmap b;
  ComposeSkinImage(TvlNinePartGeometry::Grown(E.LTPoint, E.RTPoint, E.LBPoint, E.RBPoint, E.ClRect,
                                              R.Width() - E.SkinRect.Width(), R.Height() - E.SkinRect.Height()),
                   &b, picture, StateRect(E, AActive, ADown), R.Width(), R.Height(),
                   TvlStretchSides{E.LeftStretch, E.TopStretch, E.RightStretch, E.BottomStretch},
                   TvlClientFill{true, E.StretchEffect, E.StretchType});
  if (!b.Empty()) C->Draw(R.Left, R.Top, &b);
}

void TvlSkinMenuSpeedButton::DrawNewStyle(TBitmap* B, bool ADown, bool AMouseIn) {
  const TRect whole{0, 0, Width(), Height()};
  const TRect track = TrackStrip(whole);
  const bool split = FTrackButtonMode && AMouseIn;
  TRect button = whole;
  if (split) button = BottomTrack() ? TRect{0, 0, whole.Right, track.Top} : TRect{0, 0, track.Left, whole.Bottom};
  const auto element = [&](const char* Name) {
    return dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(FSD, vlFindControlElement(FSD, Name)));
  };
  auto* main = dynamic_cast<TvlDataSkinButtonControl*>(
      vlControlElement(FSD, vlFindControlElement(FSD, {"resizetoolbutton", "resizebutton"})));
  if (!main) return;
  TvlDataSkinButtonControl* trackElement = nullptr;
  if (split) {
    trackElement = element(BottomTrack() ? "htracktoolbutton" : "vtracktoolbutton");
    if (trackElement)
      button = whole;  // the track element is drawn over the whole button
    else
      trackElement = main;
  }
  TCanvas* c = B->Canvas();
  const bool pressed = ADown && AMouseIn && !(FMenuTracked && FTrackButtonMode);
  DrawElement(*main, c, button, AMouseIn, pressed);
  if (split) DrawElement(*trackElement, c, track, AMouseIn, FMenuTracked);
  const TRect content = BottomTrack() ? TRect{0, 0, whole.Right, track.Top} : TRect{0, 0, track.Left, whole.Bottom};
  const TColor colour = DrawStateContent(c, content, pressed, AMouseIn);
  TRect arrow = track;
  if (FTrackButtonMode ? FMenuTracked : pressed) arrow = TRect{arrow.Left + 1, arrow.Top + 1, arrow.Right + 1, arrow.Bottom + 1};
  DrawArrow(c, arrow, colour, AMouseIn, pressed || FMenuTracked);
}

void TvlSkinMenuSpeedButton::DrawButtonContent(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) {
  if (SkinDataName == "resizetoolbutton" && FNewStyle) {
    DrawNewStyle(B, ADown, AMouseIn);
  } else if (IsOneOf(SkinDataName, {"toolbutton", "bigtoolbutton"})) {
    DrawToolOrResizeStyle(B, ADown, AMouseIn, false);
  } else if (IsOneOf(SkinDataName, {"resizebutton", "resizetoolbutton"})) {
    DrawToolOrResizeStyle(B, ADown, AMouseIn, true);
  } else if (FMenuTracked && FTrackButtonMode && !IsNullRect(TrackButtonRect) && !IsNullRect(Look.DownSkinRect)) {
    // The hover image, with the track part cut from the pressed image.
    TvlSkinSpeedButton::DrawButtonContent(B, Look.ActiveSkinRect, ADown, AMouseIn);
    const TRect from{TrackButtonRect.Left + Look.DownSkinRect.Left, TrackButtonRect.Top + Look.DownSkinRect.Top,
                     TrackButtonRect.Right + Look.DownSkinRect.Left, TrackButtonRect.Bottom + Look.DownSkinRect.Top};
    if (Picture && !B->Empty()) B->Canvas()->CopyRect(MappedTrackRect(), Picture->Canvas(), from);
  } else {
    TvlSkinSpeedButton::DrawButtonContent(B, R, ADown, AMouseIn);
  }
}

void TvlSkinMenuSpeedButton::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  const TRect whole{0, 0, B->Width(), B->Height()};
  const TRect track = TrackStrip(whole);
  const TRect rest = BottomTrack() ? TRect{0, 0, whole.Right, track.Top} : TRect{0, 0, track.Left, whole.Bottom};
  const bool pressed = Down() && FMouseIn, hover = FMouseIn;
  const bool split = FNewStyle ? FTrackButtonMode && hover : FTrackButtonMode;
  const auto face = [&](const TRect& R, bool Tracked) {
    if (split && FMenuTracked)
      DrawBuiltinFace(c, R, clNavy, Tracked ? kBuiltinDownFill : kBuiltinHoverFill);
    else if (pressed)
      DrawBuiltinFace(c, R, clNavy, kBuiltinDownFill);
    else if (hover)
      DrawBuiltinFace(c, R, clNavy, kBuiltinHoverFill);
    else if (Flat())
      DrawBuiltinFace(c, R, clBtnFace, clBtnFace);
    else
      DrawBuiltinFace(c, R, clBtnShadow, clBtnFace);
  };
  if (split) {
    face(rest, false);
    face(track, true);
  } else {
    face(whole, false);
  }
  c->Font()->Assign(FDefaultFont.get());
  ApplySkinCharset(c->Font(), FSD, FDefaultFont.get());
  if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  SetBkMode(c->Handle(), TRANSPARENT);
  DrawContent(c, rest, pressed, Down(), FMouseIn);
  const bool pushed = FNewStyle ? pressed && (!FTrackButtonMode || FMenuTracked) : pressed || FMenuTracked;
  const TRect arrow = pushed ? TRect{track.Left + 2, track.Top + 2, track.Right + 2, track.Bottom + 2} : track;
  DrawDropDownArrow(c, arrow, clBtnText);
}

void TvlSkinMenuSpeedButton::PaintTransparentAtRest() {
  TCanvas* c = Canvas();
  const TRect whole = ClientRect();
  const TRect strip = TrackStrip(whole);
  TRect content = BottomTrack() ? TRect{0, 0, whole.Right, strip.Top} : TRect{0, 0, strip.Left, whole.Bottom};
  if (FIndex != -1 && !NamedElement()) {
    int w = Width(), h = Height();
    CalcSize(w, h);
    content = NewClRect;
  }
  if (FIndex != -1) {
    TColor colour = FDefaultFont->Color();
    if (!Enabled())
      colour = FSD->SkinColors()->FcBtnShadow;
    else if (UseSkinFontColor)
      colour = FSD->SkinColors()->FcBtnText;
    ApplyElementFont(c->Font(), FSD, Look.FontName, Look.FontStyle, Look.FontHeight, colour, FDefaultFont.get(),
                     FUseSkinFont);
  } else {
    c->Font()->Assign(FDefaultFont.get());
    ApplySkinCharset(c->Font(), FSD, FDefaultFont.get());
  }
  if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  SetBkMode(c->Handle(), TRANSPARENT);
  DrawContent(c, content, false, false, false);
  TRect arrow = NamedElement() ? strip : TRect{content.Right, content.Top, Width(), content.Bottom};
  if (FIndex == -1) {
    DrawDropDownArrow(c, arrow, clBtnText);
    return;
  }
  if (ResizeMode != 1) arrow.Left -= 2;
  if (!IsNullRect(Look.MenuMarkerFlatRect))
    DrawMenuMarker(c, arrow, false, false, true);
  else
    DrawDropDownArrow(c, arrow, FSD->SkinColors()->FcBtnText);
}

void TvlSkinMenuSpeedButton::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  if (FMouseIn || Down() || FMenuTracked || !Transparent())
    TvlSkinSpeedButton::Paint();
  else
    PaintTransparentAtRest();
}
