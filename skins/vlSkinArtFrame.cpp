// The form frame, its caption buttons and caption, the layered outer frame, the popup menus, the
// main menu bar and the hint window of skin 1.

#include <algorithm>
#include <cmath>

#include "platform/graphics/Bitmap.h"
#include "skins/vlSkinArtMaker.h"

namespace vlart {

namespace {

constexpr int kFrameW = 300, kFrameH = 160;
constexpr int kCaptionH = 32;  // caption band rows 1 .. 30, its line at row 31
constexpr int kFrameBorder = 4;  // outline plus three rows of client colour
constexpr int kCapButtonW = 40, kCapButtonH = 30;

// The program mark: a rounded tile with a play triangle, Size pixels square at (X, Y).
void DrawProgramMark(TvlArtCanvas& C, double X, double Y, double Size, bool Active) {
  const double k = Size / 16;
  C.FillRound(X, Y, X + Size, Y + Size, kRadius, Active ? kAccent : vlHex(0xA9B6C8));
  C.Polygon({{X + 5.5 * k, Y + 3.5 * k}, {X + 12.5 * k, Y + 8 * k}, {X + 5.5 * k, Y + 12.5 * k}}, kWhite);
}

// The whole frame picture (active or inactive).
TvlArtCanvas FramePicture(bool Active) {
  const TvlArgb outline = Active ? vlHex(0x9EA9B7) : vlHex(0xC4CBD4);
  // Outside the rounded outline the mask cuts the window away, but it keeps every pixel the
  // outline touches: those take the outline's colour, so that the corners stay a clean line over
  // whatever lies beneath (the shadow of the layered border, most often).
  TvlArtCanvas c(kFrameW, kFrameH, outline);
  const TvlArgb band = Active ? kCaptionBand : kCaptionInactive;
  c.FillRound(0, 0, kFrameW, kFrameH, kRadius, kWindow);
  c.FillRound(1, 1, kFrameW - 1, kCaptionH + 4, kRadius - 1, band);
  c.FillRect(1, kCaptionH - 1, kFrameW - 1, kCaptionH, kLine);
  c.FillRect(1, kCaptionH, kFrameW - 1, kCaptionH + 4, kWindow);
  c.StrokeRound(0, 0, kFrameW, kFrameH, kRadius, outline);
  DrawProgramMark(c, 10, 8, 16, Active);
  return c;
}

TvlArtCanvas FrameMask() {
  TvlArtCanvas c(kFrameW, kFrameH, kWhite);
  c.FillShape(
      0, 0, kFrameW, kFrameH, [](double x, double y) { return vlInRound(x, y, 0, 0, kFrameW, kFrameH, kRadius); },
      [](double, double) { return vlHex(0x000000); });
  // The mask is two-coloured: any touched pixel is inside.
  for (int y = 0; y < kFrameH; ++y)
    for (int x = 0; x < kFrameW; ++x)
      if (c.Pixel(x, y) != kWhite) c.SetPixel(x, y, vlHex(0x000000));
  return c;
}

// A caption button image: Kind as DrawCaptionGlyph; State 0 normal, 1 hover, 2 pressed, 3 inactive.
TvlArtCanvas CaptionButton(int Kind, int State, TvlArgb Band) {
  TvlArtCanvas c(kCapButtonW, kCapButtonH, Band);
  TvlArgb glyph = kTextSoft;
  const bool close = Kind == 0;
  if (State == 1) {
    c.Clear(close ? kDanger : vlHex(0xE4E9F0));
    glyph = close ? kWhite : kText;
  } else if (State == 2) {
    c.Clear(close ? vlHex(0xB8352E) : vlHex(0xCFD7E1));
    glyph = close ? kWhite : kText;
  } else if (State == 3) {
    glyph = kTextOff;
  }
  DrawCaptionGlyph(c, TRect{0, 0, kCapButtonW, kCapButtonH}, Kind, glyph);
  return c;
}

TvlArtCanvas RoundMask(int W, int H) {
  TvlArtCanvas c(W, H, kWhite);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      // Solid where the pixel centre's neighbourhood touches the rounded shape.
      bool in = false;
      for (double sy : {0.25, 0.75})
        for (double sx : {0.25, 0.75}) in = in || vlInRound(x + sx, y + sy, 0, 0, W, H, kRadius);
      if (in) c.SetPixel(x, y, vlHex(0x000000));
    }
  return c;
}

TvlArtCanvas CardPicture(int W, int H, TvlArgb Fill, TvlArgb Line) {
  TvlArtCanvas c(W, H, Fill);
  c.FillRound(0, 0, W, H, kRadius, Fill);
  c.StrokeRound(0, 0, W, H, kRadius, Line);
  return c;
}

// The layered outer frame: a soft shadow around the form. Its picture is 201 x 175 and the form
// stands in (34, 31) - (167, 144); the border windows take the top 43 rows, the bottom 42 and the
// side columns of the rows between, stretching the middle of the top and bottom strips and
// tiling the sides. The shadow is drawn from the distance to a rounded rectangle whose straight
// edges cover all of those stretched and tiled parts, so that every stretched column and every
// tiled row is alike and no seam shows on a form of any size.
constexpr int kLayerW = 201, kLayerH = 175;
constexpr TRect kLayerForm{34, 31, 167, 144};
constexpr TvlArgb kShadow = vlHex(0x17202B);

// Distance from (X, Y) to the rounded rectangle (L, T) - (R, B) outside it, 0 inside.
double RoundRectDistance(double X, double Y, double L, double T, double R, double B, double Radius) {
  const double cx = std::clamp(X, L + Radius, R - Radius), cy = std::clamp(Y, T + Radius, B - Radius);
  return std::max(0.0, std::hypot(X - cx, Y - cy) - Radius);
}

// 1 at distance 0 falling smoothly to 0 at Reach.
double Falloff(double D, double Reach) {
  const double t = std::clamp(1.0 - D / Reach, 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// The mask of the shadow (grey level = opacity); Strength scales it (the inactive form's
// shadow is lighter). Light falls from above: the shadow sits a little lower than the form.
TvlArtCanvas LayerMask(double Strength) {
  TvlArtCanvas c(kLayerW, kLayerH, vlHex(0x000000));
  const TRect& f = kLayerForm;
  for (int y = 0; y < kLayerH; ++y)
    for (int x = 0; x < kLayerW; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      // A tight contact shadow and a wide, faint ambient one.
      const double contact = 0.15 * Falloff(RoundRectDistance(px, py, f.Left, f.Top + 1, f.Right, f.Bottom + 1, 4), 4);
      const double ambient = 0.12 * Falloff(RoundRectDistance(px, py, f.Left, f.Top + 3, f.Right, f.Bottom + 3, 6), 22);
      const double a = Strength * (1 - (1 - contact) * (1 - ambient));
      const int g = static_cast<int>(std::lround(255 * a));
      c.SetPixel(x, y, vlRgb(g, g, g));
    }
  return c;
}

}  // namespace

void AddFrame(Maker& M) {
  TvlSkinData* s = M.skin;
  FramePicture(true).ToBitmap24(s->FPicture.get(), kWindow);
  FramePicture(false).ToBitmap24(s->FInActivePicture.get(), kWindow);
  FrameMask().ToBitmap24(s->FMask.get(), kWhite);
  s->FPictureName = "frame.bmp";
  s->FInActivePictureName = "frameinactive.bmp";
  s->FMaskName = "framemask.bmp";

  s->LTPoint = {40, kCaptionH};
  s->RTPoint = {kFrameW - 3 * kCapButtonW - 10, kCaptionH};
  s->LBPoint = {kFrameBorder + 4, kFrameH - kFrameBorder - 4};
  s->RBPoint = {kFrameW - kFrameBorder - 4, kFrameH - kFrameBorder - 4};
  s->ClRect = TRect{kFrameBorder, kCaptionH, kFrameW - kFrameBorder, kFrameH - kFrameBorder};
  s->CaptionRect = TRect{32, 1, kFrameW - 1, kCaptionH - 1};
  s->ButtonsRect = TRect{kFrameW - 1 - 3 * kCapButtonW, 1, kFrameW - 1, 1 + kCapButtonH};
  s->ButtonsOffset = 0;
  s->CapButtonsInLeft = false;
  s->MaskRectArea = TRect{kFrameBorder, kFrameBorder, kFrameW - kFrameBorder, kFrameH - kFrameBorder};
  s->HitTestLTPoint = {8, 8};
  s->HitTestRTPoint = {kFrameW - 8, 8};
  s->HitTestLBPoint = {8, kFrameH - 8};
  s->HitTestRBPoint = {kFrameW - 8, kFrameH - 8};
  s->BorderW = kFrameBorder;
  s->FormMinWidth = 3 * kCapButtonW + 120;
  s->TopStretch = s->LeftStretch = s->RightStretch = s->BottomStretch = true;
  s->StretchEffect = true;
  s->StretchType = TvlStretchType::vlstFull;
  s->AutoRenderingInActiveImage = false;
  s->BGPictureIndex = -1;
  s->MDIBGPictureIndex = -1;

  // Caption buttons, right to left: close, maximize (restore), minimize.
  struct Std {
    const char* Name;
    TvlStdCommand Command;
    int Glyph;
    const char* Hint;
  };
  for (const Std& b : {Std{"closebutton", TvlStdCommand::cmClose, 0, "关闭"},
                       Std{"maxbutton", TvlStdCommand::cmMaximize, 1, "最大化"},
                       Std{"minbutton", TvlStdCommand::cmMinimize, 3, "最小化"}}) {
    auto* o = M.Object<TvlDataSkinStdButton>(b.Name);
    const std::vector<TRect> r =
        M.atlas.AddRow({CaptionButton(b.Glyph, 0, kCaptionBand), CaptionButton(b.Glyph, 1, kCaptionBand),
                        CaptionButton(b.Glyph, 2, kCaptionBand), CaptionButton(b.Glyph, 3, kCaptionInactive)});
    o->SkinRectInAPicture = true;
    o->ActivePictureIndex = 0;
    o->SkinRect = r[0];
    o->ActiveSkinRect = r[1];
    o->DownRect = r[2];
    o->InActiveSkinRect = r[3];
    o->DisableSkinRect = r[3];
    o->Command = b.Command;
    o->Hint = b.Hint;
    o->Morphing = true;
    if (b.Command == TvlStdCommand::cmMaximize) {
      const std::vector<TRect> x = M.atlas.AddRow({CaptionButton(2, 0, kCaptionBand), CaptionButton(2, 1, kCaptionBand),
                                                   CaptionButton(2, 2, kCaptionBand),
                                                   CaptionButton(2, 3, kCaptionInactive)});
      o->RestoreRect = x[0];
      o->RestoreActiveRect = x[1];
      o->RestoreDownRect = x[2];
      o->RestoreInActiveRect = x[3];
      o->RestoreHint = "还原";
    }
  }

  auto* caption = M.Object<TvlDataSkinCaption>("caption");
  caption->SkinRect = TRect{32, 1, kFrameW - 1 - 3 * kCapButtonW, kCaptionH - 1};
  caption->SkinRectInAPicture = false;
  caption->TextRct = TRect{2, 0, caption->SkinRect.Right - caption->SkinRect.Left - 4, kCaptionH - 2};
  caption->FontName = kFontName;
  caption->FontHeight = kCaptionFontHeight;
  caption->FontColor = vlToTColor(kTextOff);
  caption->ActiveFontColor = vlToTColor(kText);
  caption->Alignment = TAlignment::taLeftJustify;

  // The hint window.
  const int hint = M.AddPicture("hint.bmp", CardPicture(40, 28, vlHex(0xFFFFFF), kBorder));
  const int hintMask = M.AddPicture("hintmask.bmp", RoundMask(40, 28));
  TvlDataSkinHintWindow* h = s->HintWindow.get();
  h->WindowPictureIndex = hint;
  h->MaskPictureIndex = hintMask;
  h->LTPoint = {6, 6}, h->RTPoint = {34, 6}, h->LBPoint = {6, 22}, h->RBPoint = {34, 22};
  h->ClRect = TRect{8, 5, 32, 23};
  h->FontName = kFontName;
  h->FontHeight = kFontHeight;
  h->FontColor = vlToTColor(kText);
  h->TopStretch = h->LeftStretch = h->RightStretch = h->BottomStretch = h->StretchEffect = true;
}

void AddLayerFrame(Maker& M) {
  TvlDataSkinLayerFrame* f = M.skin->LayerFrame.get();
  const TvlArtCanvas shadow(kLayerW, kLayerH, kShadow);
  f->PictureIndex = M.AddPicture("layerframe.bmp", shadow);
  f->MaskPictureIndex = M.AddPicture("layerframemask.bmp", LayerMask(1.0));
  f->InActivePictureIndex = M.AddPicture("layerframeinactive.bmp", shadow);
  f->InActiveMaskPictureIndex = M.AddPicture("layerframeinactivemask.bmp", LayerMask(0.6));
  f->LTPoint = {46, 43};
  f->RTPoint = {158, 43};
  f->LBPoint = {42, 133};
  f->RBPoint = {160, 133};
  f->ClRect = kLayerForm;
  f->AlphaBlendValue = 255;
  f->InActiveAlphaBlendValue = 255;
  // No grab border: the shadow lets every click through to what lies beneath.
  f->BorderRect = TRect{};
  f->HitTestEnable = false;
}

void AddMenus(Maker& M) {
  TvlSkinData* s = M.skin;
  // Popup window: a white card with a thin border and rounded corners.
  const int popup = M.AddPicture("popup.bmp", CardPicture(48, 48, kSurface, vlHex(0xB9C2CD)));
  const int popupMask = M.AddPicture("popupmask.bmp", RoundMask(48, 48));
  TvlDataSkinPopupWindow* p = s->PopupWindow.get();
  p->WindowPictureIndex = popup;
  p->MaskPictureIndex = popupMask;
  p->LTPoint = {6, 6}, p->RTPoint = {42, 6}, p->LBPoint = {6, 42}, p->RBPoint = {42, 42};
  p->ItemsRect = TRect{4, 4, 44, 44};
  p->ScrollMarkerColor = static_cast<std::int32_t>(vlToTColor(kTextSoft));
  p->ScrollMarkerActiveColor = static_cast<std::int32_t>(vlToTColor(kAccent));
  p->TopStretch = p->LeftStretch = p->RightStretch = p->BottomStretch = p->StretchEffect = true;

  // Popup menu items.
  constexpr int iw = 120, ih = 26;
  TvlArtCanvas normal(iw, ih, kSurface), active(iw, ih, kSurface), divider(iw, 9, kSurface);
  active.FillRound(2, 1, iw - 2, ih - 1, kRadius, kSelectionSoft);
  divider.HLine(8, iw - 8, 4, kLine);
  auto* item = M.Object<TvlDataSkinMenuItem>("menuitem");
  item->SkinRectInAPicture = true;
  item->ActivePictureIndex = 0;
  const std::vector<TRect> r = M.atlas.AddRow({normal, active});
  item->SkinRect = r[0];
  item->ActiveSkinRect = r[1];
  item->InActiveSkinRect = r[0];
  item->DividerRect = M.atlas.Add(divider);
  item->DividerLO = 8;
  item->DividerRO = 8;
  item->ItemLO = 8;
  item->ItemRO = 8;
  item->FontName = kFontName;
  item->FontHeight = kFontHeight;
  item->FontColor = vlToTColor(kText);
  item->ActiveFontColor = vlToTColor(kAccentText);
  item->UnEnabledFontColor = vlToTColor(kTextOff);
  item->TextRct = TRect{30, 0, iw - 22, ih};
  item->ImageRct = TRect{6, 3, 26, 23};
  item->StretchEffect = true;
  item->DividerStretchEffect = true;
  auto glyph = [&](int kind, bool hot) {
    TvlArtCanvas c(16, 16, hot ? kSelectionSoft : kSurface);
    const TvlArgb colour = hot ? kAccentText : kText;
    if (kind == 0) DrawCheckMark(c, TRect{0, 0, 16, 16}, colour, 1.6);
    if (kind == 1) c.FillEllipse(8, 8, 3, 3, colour);
    if (kind == 2) DrawArrow(c, TRect{0, 0, 16, 16}, Arrow::Right, colour, 3.5);
    return c;
  };
  const std::vector<TRect> g = M.atlas.AddRow({glyph(0, false), glyph(0, true), glyph(1, false), glyph(1, true),
                                               glyph(2, false), glyph(2, true)});
  item->CheckImageRect = g[0];
  item->ActiveCheckImageRect = g[1];
  item->RadioImageRect = g[2];
  item->ActiveRadioImageRect = g[3];
  item->ArrowImageRect = g[4];
  item->ActiveArrowImageRect = g[5];

  // Main menu bar: white, continuing the caption band, with a line below.
  constexpr int bh = 24;
  TvlArtCanvas bar(40, bh, kSurface);
  bar.HLine(0, 40, bh - 1, kLine);
  auto* mb = M.Control<TvlDataSkinMainMenuBar>("mainmenubar");
  mb->SkinRect = M.atlas.Add(bar);
  mb->ItemsRect = TRect{4, 1, 36, bh - 2};
  mb->MenuBarItem = "menubaritem";
  mb->CloseButton = "menubarclosebutton";
  mb->MaxButton = "menubarmaxbutton";
  mb->MinButton = "menubarminbutton";
  mb->SysMenuButton = "menubarsysmenubutton";
  mb->TrackMarkColor = static_cast<std::int32_t>(vlToTColor(kTextSoft));
  mb->TrackMarkActiveColor = static_cast<std::int32_t>(vlToTColor(kAccent));
  mb->StretchEffect = true;
  mb->ItemTransparent = false;

  constexpr int mw = 30, mh = bh - 3;
  TvlArtCanvas mNormal(mw, mh, kSurface), mHover(mw, mh, kSurface), mDown(mw, mh, kSurface);
  mHover.FillRound(0, 0, mw, mh, kRadius, kHoverFace);
  mDown.FillRound(0, 0, mw, mh, kRadius, kDownFace);
  auto* mi = M.Object<TvlDataSkinMainMenuBarItem>("menubaritem");
  mi->ActivePictureIndex = 0;
  mi->SkinRectInAPicture = true;
  const std::vector<TRect> m = M.atlas.AddRow({mNormal, mHover, mDown});
  mi->SkinRect = m[0];
  mi->ActiveSkinRect = m[1];
  mi->DownRect = m[2];
  mi->FontName = kFontName;
  mi->FontHeight = kFontHeight;
  mi->FontColor = vlToTColor(kText);
  mi->ActiveFontColor = vlToTColor(kAccentText);
  mi->DownFontColor = vlToTColor(kAccentText);
  mi->UnEnabledFontColor = vlToTColor(kTextOff);
  mi->TextRct = TRect{8, 0, mw - 8, mh};
  mi->ItemLO = 5;
  mi->ItemRO = 5;
  mi->StretchEffect = true;

  // The child-window buttons of the menu bar.
  struct Small {
    const char* Name;
    TvlStdCommand Command;
    int Glyph;
  };
  for (const Small& b : {Small{"menubarsysmenubutton", TvlStdCommand::cmSysMenu, -1},
                         Small{"menubarclosebutton", TvlStdCommand::cmClose, 0},
                         Small{"menubarmaxbutton", TvlStdCommand::cmMaximize, 2},
                         Small{"menubarminbutton", TvlStdCommand::cmMinimize, 3}}) {
    auto draw = [&](int state) {
      TvlArtCanvas c(18, 18, kSurface);
      if (state > 0) DrawFace(c, 0, 0, 18, 18, FaceStyle::Flat, state == 1 ? Face::Hover : Face::Down);
      const TvlArgb colour = state == 0 ? kTextSoft : kAccentText;
      if (b.Glyph < 0) {
        DrawProgramMark(c, 3, 3, 12, true);
      } else {
        DrawCaptionGlyph(c, TRect{0, 0, 18, 18}, b.Glyph, colour);
      }
      return c;
    };
    auto* o = M.Object<TvlDataSkinMainMenuBarButton>(b.Name);
    const std::vector<TRect> r2 = M.atlas.AddRow({draw(0), draw(1), draw(2)});
    o->SkinRectInAPicture = true;
    o->ActivePictureIndex = 0;
    o->SkinRect = r2[0];
    o->ActiveSkinRect = r2[1];
    o->DownRect = r2[2];
    o->Command = b.Command;
  }
}

}  // namespace vlart
