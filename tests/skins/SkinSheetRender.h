#pragma once
// Lays out the review sheet of one loaded skin (see SkinSheet.h): the frame and its caption
// buttons, the popup menu, the menu bar and the hint first, then every control element in the
// skin's order, each in all of its states.

#include <string>
#include <utility>

#include "lib/forms/VelmoraLayer.h"
#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlDataSkinObjects.h"
#include "skins/vlArtGlyphs.h"
#include "tests/skins/SkinSheet.h"

namespace sheet {

inline void PutKeyed(Sheet& S, const TvlArtCanvas& C, int X, int Y, TColor Key) {
  const TvlArgb k = Sheet::FromTColor(Key);
  for (int y = 0; y < C.Height(); ++y)
    for (int x = 0; x < C.Width(); ++x)
      if ((C.Pixel(x, y) & 0xFFFFFF) != (k & 0xFFFFFF)) S.Page().SetPixel(X + x, Y + y, C.Pixel(x, y) | 0xFF000000u);
}

// The frame picture composed to W x H, cut by the mask, with the caption objects laid out the
// way the form skinner lays them out (buttons from the right edge of the button row leftwards).
inline void DrawFrame(Sheet& S, TvlSkinData& D, int X, int Y, int W, int H, bool Active, int ButtonState) {
  TBitmap* pic = Active || D.FInActivePicture->Empty() ? D.FPicture.get() : D.FInActivePicture.get();
  if (pic->Empty()) return;
  const TRect whole{0, 0, pic->Width(), pic->Height()};
  TvlArtCanvas frame = Sheet::NineFrom(pic, D.LTPoint, D.RTPoint, D.LBPoint, D.RBPoint, D.ClRect, whole, W, H,
                                       D.LeftStretch, D.TopStretch, D.RightStretch, D.BottomStretch, D.StretchEffect,
                                       D.StretchType);
  if (!D.FMask->Empty()) {
    TvlArtCanvas mask = Sheet::NineFrom(D.FMask.get(), D.LTPoint, D.RTPoint, D.LBPoint, D.RBPoint, D.ClRect, whole,
                                        W, H, D.LeftStretch, D.TopStretch, D.RightStretch, D.BottomStretch,
                                        D.StretchEffect, D.StretchType);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if ((mask.Pixel(x, y) & 0xFFFFFF) != 0) frame.SetPixel(x, y, S.Page().Pixel(X + x, Y + y));
  }
  // Client area: an empty window body.
  const int dx = W - pic->Width(), dy = H - pic->Height();
  S.Put(frame, X, Y);
  int x = D.ButtonsRect.Right + (D.ButtonsRect.Left > pic->Width() / 2 ? dx : 0);
  for (const auto& o : D.ObjectList) {
    auto* b = dynamic_cast<TvlDataSkinStdButton*>(o.get());
    if (!b || dynamic_cast<TvlDataSkinMainMenuBarButton*>(o.get())) continue;
    TRect src = Active ? b->SkinRect : b->InActiveSkinRect;
    if (Active && ButtonState == 1) src = b->ActiveSkinRect;
    if (Active && ButtonState == 2) src = b->DownRect;
    TvlArtCanvas img = S.Copy(b->ActivePictureIndex, src);
    x -= img.Width();
    S.Put(img, X + x, Y + D.ButtonsRect.Top);
    x -= D.ButtonsOffset;
  }
  for (const auto& o : D.ObjectList) {
    auto* c = dynamic_cast<TvlDataSkinCaption*>(o.get());
    if (!c) continue;
    const TRect r{X + c->SkinRect.Left + c->TextRct.Left, Y + c->SkinRect.Top + c->TextRct.Top,
                  X + c->SkinRect.Left + c->TextRct.Right + dx, Y + c->SkinRect.Top + c->TextRct.Bottom};
    S.CaptionLeft(r.Left, r, "QireloVCD视频格式转换器", c->FontName, c->FontHeight,
                  Active ? c->ActiveFontColor : c->FontColor);
  }
  (void)dy;
}

inline void DrawFrameSection(Sheet& S, TvlSkinData& D) {
  if (D.FPicture->Empty()) return;
  int x = S.Row("frame", 150);
  DrawFrame(S, D, x, S.Y(), 300, 150, true, 0);
  DrawFrame(S, D, x + 316, S.Y(), 300, 150, false, 0);
  for (const auto& o : D.ObjectList) {
    auto* b = dynamic_cast<TvlDataSkinStdButton*>(o.get());
    if (!b) continue;
    x = S.Row(b->IDName, 30);
    for (const TRect& r : {b->SkinRect, b->ActiveSkinRect, b->DownRect, b->InActiveSkinRect, b->RestoreRect,
                           b->RestoreActiveRect, b->RestoreDownRect, b->RestoreInActiveRect}) {
      if (r.Width() <= 0) continue;
      TvlArtCanvas img = S.Copy(b->ActivePictureIndex, r);
      S.Put(img, x, S.Y());
      x += img.Width() + 8;
    }
  }
}

// The layered outer frame drawn by the border's own routine around a form of W x H, active and
// inactive, with the form frame on top.
inline void DrawLayerFrameSection(Sheet& S, TvlSkinData& D) {
  const TvlDataSkinLayerFrame& f = *D.LayerFrame;
  TBitmap* pic = S.Picture(f.PictureIndex);
  if (!pic) return;
  constexpr int W = 300, H = 150;
  const int fw = W + pic->Width() - f.ClRect.Width(), fh = H + pic->Height() - f.ClRect.Height();
  for (bool active : {true, false}) {
    const int x = S.Row(active ? "layerframe" : "layerframe inactive", fh);
    TvlFormLayerBorder border(nullptr);
    border.InitFrame(&D, nullptr);
    border.SetActive(active, false);
    TBitmap out;
    out.SetPixelFormat(TPixelFormat::pf32bit);
    out.SetSize(fw, fh);
    out.Canvas()->Brush()->SetColor(vlToTColor(S.Page().Pixel(x, S.Y())));
    out.Canvas()->FillRect(TRect{0, 0, fw, fh});
    border.Draw(out.Canvas(), 0, 0, fw, fh);
    S.Put(TvlArtCanvas::FromBitmap(&out), x, S.Y());
    DrawFrame(S, D, x + f.ClRect.Left, S.Y() + f.ClRect.Top, W, H, active, 0);
  }
}

inline void DrawMenuSection(Sheet& S, TvlSkinData& D) {
  TvlDataSkinMenuItem* item = nullptr;
  TvlDataSkinMainMenuItem* barItem = nullptr;
  for (const auto& o : D.ObjectList) {
    if (!item) item = dynamic_cast<TvlDataSkinMenuItem*>(o.get());
    if (!barItem) barItem = dynamic_cast<TvlDataSkinMainMenuItem*>(o.get());
  }
  const TvlDataSkinPopupWindow& p = *D.PopupWindow;
  if (p.WindowPictureIndex >= 0 && item) {
    TBitmap* pic = S.Picture(p.WindowPictureIndex);
    const int W = 190, H = 5 * item->SkinRect.Height() + item->DividerRect.Height() + 8;
    int x = S.Row("popup menu", H);
    const TRect whole{0, 0, pic->Width(), pic->Height()};
    const TRect cl{p.LTPoint.X, p.LTPoint.Y, p.RBPoint.X, p.RBPoint.Y};
    TvlArtCanvas win = Sheet::NineFrom(pic, p.LTPoint, p.RTPoint, p.LBPoint, p.RBPoint, cl, whole, W, H, true, true,
                                       true, true, true, TvlStretchType::vlstFull);
    if (p.MaskPictureIndex >= 0) {
      TvlArtCanvas mask = Sheet::NineFrom(S.Picture(p.MaskPictureIndex), p.LTPoint, p.RTPoint, p.LBPoint, p.RBPoint,
                                          cl, whole, W, H, true, true, true, true, true, TvlStretchType::vlstFull);
      for (int y = 0; y < H; ++y)
        for (int xx = 0; xx < W; ++xx)
          if ((mask.Pixel(xx, y) & 0xFFFFFF) != 0) win.SetPixel(xx, y, S.Page().Pixel(x + xx, S.Y() + y));
    }
    S.Put(win, x, S.Y());
    const int iw = W - p.ItemsRect.Left - (pic->Width() - p.ItemsRect.Right);
    int y = S.Y() + p.ItemsRect.Top;
    struct Line {
      const char* Text;
      int Kind;  // 0 normal, 1 hover, 2 divider, 3 checked, 4 submenu, 5 disabled
    };
    for (const Line& l : {Line{"添加一个文件", 0}, Line{"添加多个文件", 1}, Line{"", 2}, Line{"多线程转换", 3},
                          Line{"最近使用", 4}, Line{"停止转换", 5}}) {
      const int ix = x + p.ItemsRect.Left;
      if (l.Kind == 2) {
        S.Put(S.Strip(item->ActivePictureIndex, item->DividerRect, item->DividerLO, item->DividerRO, iw, true), ix, y);
        y += item->DividerRect.Height();
        continue;
      }
      const TRect src = l.Kind == 1 ? item->ActiveSkinRect : item->SkinRect;
      S.Put(S.Strip(item->ActivePictureIndex, src, item->ItemLO, item->ItemRO, iw, true), ix, y);
      const TRect tr{ix + item->TextRct.Left, y + item->TextRct.Top, ix + iw, y + item->TextRct.Bottom};
      const TColor colour = l.Kind == 1 ? item->ActiveFontColor : (l.Kind == 5 ? item->UnEnabledFontColor : item->FontColor);
      S.CaptionLeft(tr.Left, tr, l.Text, item->FontName, item->FontHeight, colour);
      const TRect image{ix + item->ImageRct.Left, y + item->ImageRct.Top, ix + item->ImageRct.Right,
                        y + item->ImageRct.Bottom};
      if (l.Kind == 3) S.Put(S.Copy(item->ActivePictureIndex, item->CheckImageRect), image.Left + 2, image.Top + 2);
      if (l.Kind == 4) S.Put(S.Copy(item->ActivePictureIndex, item->ArrowImageRect), ix + iw - 20, y + 5);
      y += src.Height();
    }
    // The hovered check, radio and arrow images beside the window.
    int gx = x + W + 16;
    for (const TRect& r : {item->CheckImageRect, item->ActiveCheckImageRect, item->RadioImageRect,
                           item->ActiveRadioImageRect, item->ArrowImageRect, item->ActiveArrowImageRect}) {
      S.Put(S.Copy(item->ActivePictureIndex, r), gx, S.Y() + 8);
      gx += 24;
    }
  }
  for (const auto& c : D.CtrlList) {
    auto* bar = dynamic_cast<TvlDataSkinMainMenuBar*>(c.get());
    if (!bar || !barItem) continue;
    int x = S.Row(bar->IDName, bar->SkinRect.Height());
    const int W = 300;
    S.Put(S.Strip(bar->PictureIndex, bar->SkinRect, bar->ItemsRect.Left, bar->SkinRect.Width() - bar->ItemsRect.Right,
                  W, bar->StretchEffect),
          x, S.Y());
    int ix = x + bar->ItemsRect.Left;
    int k = 0;
    for (const char* text : {"文件", "编辑", "动作", "帮助"}) {
      const TRect src = k == 1 ? barItem->ActiveSkinRect : (k == 2 ? barItem->DownRect : barItem->SkinRect);
      const int tw = TvlArtCanvas::TextWidth(text, SkinFont(barItem->FontName, barItem->FontHeight));
      const int w = src.Width() - barItem->TextRct.Width() + tw + 2;
      S.Put(S.Strip(barItem->ActivePictureIndex, src, barItem->ItemLO, barItem->ItemRO, w, true), ix,
            S.Y() + bar->ItemsRect.Top);
      const TColor colour = k == 1 ? barItem->ActiveFontColor : (k == 2 ? barItem->DownFontColor : barItem->FontColor);
      S.Caption(TRect{ix, S.Y() + bar->ItemsRect.Top, ix + w, S.Y() + bar->ItemsRect.Top + src.Height()}, text,
                barItem->FontName, barItem->FontHeight, colour);
      ix += w;
      ++k;
    }
    // The child-window buttons, after the bar.
    int bx = x + W + 4 + 3 * 4 * 22;
    for (const auto& o : D.ObjectList) {
      auto* b = dynamic_cast<TvlDataSkinMainMenuBarButton*>(o.get());
      if (!b) continue;
      for (const TRect& r : {b->DownRect, b->ActiveSkinRect, b->SkinRect}) {
        TvlArtCanvas img = S.Copy(b->ActivePictureIndex, r);
        bx -= img.Width() + 2;
        S.Put(img, bx, S.Y() + (bar->SkinRect.Height() - img.Height()) / 2);
      }
      bx -= 8;
    }
  }
  const TvlDataSkinHintWindow& h = *D.HintWindow;
  if (h.WindowPictureIndex >= 0) {
    TBitmap* pic = S.Picture(h.WindowPictureIndex);
    const int W = 150, H = 28;
    int x = S.Row("hint", H);
    const TRect whole{0, 0, pic->Width(), pic->Height()};
    const TRect cl{h.LTPoint.X, h.LTPoint.Y, h.RBPoint.X, h.RBPoint.Y};
    TvlArtCanvas win = Sheet::NineFrom(pic, h.LTPoint, h.RTPoint, h.LBPoint, h.RBPoint, cl, whole, W, H, true, true,
                                       true, true, true, TvlStretchType::vlstFull);
    S.Put(win, x, S.Y());
    S.Caption(TRect{x, S.Y(), x + W, S.Y() + H}, "开始转换列表中的文件", h.FontName, h.FontHeight, h.FontColor);
  }
}

inline std::string CaptionFor(const std::string& Name) {
  if (Name.find("big") == 0) return "添加";
  if (Name == "resizetoolbutton") return "文件名";
  if (Name.find("tool") != std::string::npos || Name.find("track") != std::string::npos) return "选项";
  return "确定";
}

// A button element in its five states at a working size. Menu-button elements (their arrow in
// the images) are three-part strips; on the other elements with drop-down markers the marker is
// drawn where menu buttons and combo boxes draw it: in the 15-pixel strip at the right, or in
// the middle of a small button.
inline void DrawButtons(Sheet& S, TvlDataSkinButtonControl& E) {
  const bool tiny = E.SkinRect.Width() <= 22;
  const bool big = E.IDName.find("big") == 0;
  const int W = tiny ? E.SkinRect.Width() : (big ? 72 : 80);
  const int H = E.SkinRect.Height();
  int x = S.Row(E.IDName, H);
  const TRect states[] = {E.SkinRect, E.ActiveSkinRect, E.DownSkinRect, E.DisabledSkinRect, E.FocusedSkinRect};
  const TColor colours[] = {E.FontColor, E.ActiveFontColor, E.DownFontColor, E.DisabledFontColor, E.FontColor};
  const bool strip = E.RBPoint.X == 0 && E.RBPoint.Y == 0 && E.RTPoint.X != 0;
  const bool marker = !strip && E.MenuMarkerRect.Width() > 0;
  const int track = strip ? E.SkinRect.Width() - E.ClRect.Right : (marker && !tiny ? 15 : 0);
  for (int i = 0; i < 5; ++i) {
    S.Put(strip ? S.Strip(E.PictureIndex, states[i], E.LTPoint.X, E.SkinRect.Width() - E.RTPoint.X, W, E.StretchEffect)
                : S.Nine(E, states[i], W, H),
          x, S.Y());
    if (!tiny) {
      TRect r{x, S.Y(), x + W - track, S.Y() + H};
      if (big) r.Top += H - 22;
      S.Caption(r, CaptionFor(E.IDName), E.FontName, E.FontHeight, colours[i]);
      if (big) {
        // A glyph above the caption, greyed on the disabled face.
        const TvlArtCanvas glyph = DrawGlyph(Glyph::NewFolder);
        S.Page().Draw(i == 3 ? GreyedGlyph(glyph) : glyph, x + (W - 16 - track) / 2, S.Y() + 8);
      }
    }
    if (marker) {
      const TRect m = i == 1 ? E.MenuMarkerActiveRect : (i == 2 ? E.MenuMarkerDownRect : E.MenuMarkerRect);
      const int left = tiny ? x : x + W - track, width = tiny ? W : track;
      PutKeyed(S, S.Copy(E.PictureIndex, m), left + width / 2 - m.Width() / 2, S.Y() + H / 2 - m.Height() / 2,
               E.MenuMarkerTransparentColor);
    }
    x += W + 12;
  }
  if (marker) {
    // The flat marker, drawn on a transparent button at rest.
    PutKeyed(S, S.Copy(E.PictureIndex, E.MenuMarkerFlatRect), x, S.Y() + H / 2 - E.MenuMarkerFlatRect.Height() / 2,
             E.MenuMarkerTransparentColor);
  }
}

inline void DrawCheckRadio(Sheet& S, TvlDataSkinCheckRadioControl& E) {
  int x = S.Row(E.IDName, E.SkinRect.Height());
  struct State {
    TRect Image;
    TColor Colour;
  };
  const State states[] = {{E.UnCheckImageRect, E.FontColor},         {E.CheckImageRect, E.FontColor},
                          {E.ActiveUnCheckImageRect, E.ActiveFontColor}, {E.ActiveCheckImageRect, E.ActiveFontColor},
                          {E.UnEnabledUnCheckImageRect, E.UnEnabledFontColor},
                          {E.UnEnabledCheckImageRect, E.UnEnabledFontColor},
                          {E.GrayedCheckImageRect, E.FontColor},     {E.ActiveGrayedCheckImageRect, E.ActiveFontColor}};
  const int W = 78, H = E.SkinRect.Height();
  for (const State& s : states) {
    if (s.Image.Width() <= 0) continue;
    S.Put(S.Nine(E, E.SkinRect, W, H), x, S.Y());
    S.Put(S.Copy(E.PictureIndex, s.Image), x + E.CheckImageArea.Left, S.Y() + E.CheckImageArea.Top);
    const TRect t{x + E.TextArea.Left, S.Y() + E.TextArea.Top, x + W, S.Y() + E.TextArea.Bottom};
    S.CaptionLeft(t.Left, t, "多线程", E.FontName, E.FontHeight, s.Colour);
    x += W + 4;
  }
}

inline void DrawScrollBar(Sheet& S, TvlDataSkinScrollBarControl& E) {
  const bool vertical = E.SkinRect.Height() > E.SkinRect.Width();
  const int length = 160;
  int x = S.Row(E.IDName, vertical ? 110 : E.SkinRect.Height());
  const int W = vertical ? E.SkinRect.Width() : length, H = vertical ? 110 : E.SkinRect.Height();
  const TRect thumbs[] = {E.ThumbRect, E.ActiveThumbRect, E.DownThumbRect};
  const TRect ups[] = {TRect{}, E.ActiveUpButtonRect, E.DownUpButtonRect};
  const TRect downs[] = {TRect{}, E.ActiveDownButtonRect, E.DownDownButtonRect};
  for (int i = 0; i < 3; ++i) {
    S.Put(S.Nine(E, E.SkinRect, W, H), x, S.Y());
    const TRect& t = thumbs[i];
    if (vertical) {
      TBitmap out;
      ComposeSkinStripVert(E.ThumbOffset1, E.ThumbOffset2, &out, S.Picture(E.PictureIndex), t, t.Width(), 40,
                           E.ThumbStretchEffect);
      S.Put(TvlArtCanvas::FromBitmap(&out), x, S.Y() + E.TrackArea.Top + 20);
    } else {
      TBitmap out;
      ComposeSkinStrip(E.ThumbOffset1, E.ThumbOffset2, &out, S.Picture(E.PictureIndex), t, 50, t.Height(),
                       E.ThumbStretchEffect);
      S.Put(TvlArtCanvas::FromBitmap(&out), x + E.TrackArea.Left + 30, S.Y());
    }
    if (i > 0) {
      // A button from the far corner point on moves with the bar's far end.
      const int dx = vertical ? 0 : W - E.SkinRect.Width(), dy = vertical ? H - E.SkinRect.Height() : 0;
      for (const auto& [image, at] : {std::pair{ups[i], E.UpButtonRect}, std::pair{downs[i], E.DownButtonRect}}) {
        const bool far = vertical ? at.Top >= E.LBPoint.Y : at.Left >= E.RTPoint.X;
        S.Put(S.Copy(E.PictureIndex, image), x + at.Left + (far ? dx : 0), S.Y() + at.Top + (far ? dy : 0));
      }
    }
    x += W + 16;
  }
}

inline void DrawEdit(Sheet& S, TvlDataSkinEditControl& E) {
  const int W = 180, H = E.SkinRect.Height();
  int x = S.Row(E.IDName, H);
  const bool button = E.ButtonRect.Width() > 0;
  const TRect buttons[] = {TRect{}, E.ActiveButtonRect, E.DownButtonRect, E.UnEnabledButtonRect};
  for (int i = 0; i < (button ? 4 : 2); ++i) {
    S.Put(S.Nine(E, i == 1 ? E.ActiveSkinRect : E.SkinRect, W, H), x, S.Y());
    const TRect t{x + E.ClRect.Left, S.Y(), x + W, S.Y() + H};
    S.CaptionLeft(t.Left, t, "~/Qirelo视频软件/输出", E.FontName, E.FontHeight,
                  i == 3 ? E.DisabledFontColor : E.FontColor);
    if (button && i > 0)
      S.Put(S.Copy(E.PictureIndex, buttons[i]), x + E.ButtonRect.Left + W - E.SkinRect.Width(),
            S.Y() + E.ButtonRect.Top);
    x += W + 12;
  }
}

inline void DrawComboBox(Sheet& S, TvlDataSkinComboBox& E) {
  const int W = 150, H = E.SkinRect.Height();
  int x = S.Row(E.IDName, H);
  const TRect buttons[] = {TRect{}, E.ActiveButtonRect, E.DownButtonRect, E.UnEnabledButtonRect};
  for (int i = 0; i < 4; ++i) {
    S.Put(S.Nine(E, i == 1 ? E.ActiveSkinRect : E.SkinRect, W, H), x, S.Y());
    const int dx = W - E.SkinRect.Width();
    // The item area is the client rectangle; the text rectangle lies in an item strip.
    const TRect item{x + E.ClRect.Left, S.Y() + E.ClRect.Top, x + E.ClRect.Right + dx, S.Y() + E.ClRect.Bottom};
    const TRect it{item.Left + E.ItemTextRect.Left, item.Top + E.ItemTextRect.Top,
                   item.Left + E.ItemTextRect.Right + item.Width() - E.SItemRect.Width(),
                   item.Top + E.ItemTextRect.Bottom};
    if (i == 2)
      S.Put(S.Strip(E.PictureIndex, E.FocusItemRect, E.ItemLeftOffset, E.ItemRightOffset, item.Width(), true),
            item.Left, item.Top);
    S.CaptionLeft(it.Left, it, "MP4视频", E.FontName, E.FontHeight, i == 2 ? E.FocusFontColor : E.FontColor);
    if (i > 0) S.Put(S.Copy(E.PictureIndex, buttons[i]), x + E.ButtonRect.Left + dx, S.Y() + E.ButtonRect.Top);
    x += W + 12;
  }
}

inline void DrawListBox(Sheet& S, TvlDataSkinListBox& E) {
  const int W = 190, H = 110;
  int x = S.Row(E.IDName, H);
  S.Put(S.Nine(E, E.SkinRect, W, H), x, S.Y());
  const int dx = W - E.SkinRect.Width();
  if (E.CaptionRect.Width() > 0) {
    const TRect c{x + E.CaptionRect.Left, S.Y() + E.CaptionRect.Top, x + E.CaptionRect.Right + dx,
                  S.Y() + E.CaptionRect.Bottom};
    S.CaptionLeft(c.Left, c, "输出格式", E.CaptionFontName, E.CaptionFontHeight, E.CaptionFontColor);
    S.Put(S.Copy(E.PictureIndex, E.ActiveUpButtonRect), x + E.UpButtonRect.Left + dx, S.Y() + E.UpButtonRect.Top);
    S.Put(S.Copy(E.PictureIndex, E.DownDownButtonRect), x + E.DownButtonRect.Left + dx, S.Y() + E.DownButtonRect.Top);
    S.Put(S.Copy(E.PictureIndex, E.DisabledButtonsRect), x + W + 12, S.Y());
  }
  auto* check = dynamic_cast<TvlDataSkinCheckListBox*>(&E);
  int y = S.Y() + E.ClRect.Top + 1;
  const int iw = W - E.ClRect.Left - (E.SkinRect.Width() - E.ClRect.Right) - 2;
  int k = 0;
  for (const char* text : {"MPG标准视频", "AVI标准视频", "MKV标准视频", "电脑视频"}) {
    const TRect src = k == 1 ? E.ActiveItemRect : (k == 2 ? E.FocusItemRect : E.SItemRect);
    const int ix = x + E.ClRect.Left + 1;
    S.Put(S.Strip(E.PictureIndex, src, E.ItemLeftOffset, E.ItemRightOffset, iw, true), ix, y);
    int tx = ix + E.ItemTextRect.Left;
    if (check) {
      S.Put(S.Copy(E.PictureIndex, k % 2 ? check->CheckImageRect : check->UnCheckImageRect), ix + check->ItemCheckRect.Left,
            y + check->ItemCheckRect.Top);
      tx = ix + check->ItemCheckRect.Right + 6;
    }
    const TColor colour = k == 1 ? E.ActiveFontColor : (k == 2 ? E.FocusFontColor : E.FontColor);
    S.CaptionLeft(tx, TRect{tx, y, ix + iw, y + src.Height()}, text, E.FontName, E.FontHeight, colour);
    y += src.Height();
    if (y + src.Height() > S.Y() + H - 3) break;
    ++k;
  }
}

inline void DrawUpDown(Sheet& S, TvlDataSkinUpDownControl& E) {
  int x = S.Row(E.IDName, E.SkinRect.Height());
  for (int i = 0; i < 3; ++i) {
    S.Put(S.Copy(E.PictureIndex, E.SkinRect), x, S.Y());
    if (i == 1) {
      S.Put(S.Copy(E.PictureIndex, E.ActiveUpButtonRect), x + E.UpButtonRect.Left, S.Y() + E.UpButtonRect.Top);
    }
    if (i == 2) {
      S.Put(S.Copy(E.PictureIndex, E.DownDownButtonRect), x + E.DownButtonRect.Left, S.Y() + E.DownButtonRect.Top);
    }
    x += E.SkinRect.Width() + 12;
  }
  for (const TRect& r : {E.DownUpButtonRect, E.ActiveDownButtonRect}) {
    S.Put(S.Copy(E.PictureIndex, r), x, S.Y());
    x += r.Width() + 8;
  }
}

inline void DrawTabs(Sheet& S, TvlDataSkinTabControl& E) {
  const int W = 320, H = 90, th = E.TabRect.Height();
  int x = S.Row(E.IDName, th + H);
  S.Put(S.Strip(E.PictureIndex, E.TabsBGRect, 0, 0, W, true), x, S.Y());
  const TRect page{0, 0, E.SkinRect.Width(), E.SkinRect.Height()};
  S.Put(Sheet::NineFrom(S.Picture(E.PictureIndex), E.LTPoint, E.RTPoint, E.LBPoint, E.RBPoint,
                        TRect{E.LTPoint.X, E.LTPoint.Y, E.RBPoint.X, E.RBPoint.Y}, E.SkinRect, W, H, true, true,
                        true, true, true, TvlStretchType::vlstFull),
        x, S.Y() + th);
  int tx = x + 2;
  int k = 0;
  for (const char* text : {"常规", "高级选项", "关于"}) {
    const TRect src = k == 0 ? E.ActiveTabRect : (k == 1 ? E.MouseInTabRect : E.TabRect);
    const int w = 84;
    S.Put(S.Strip(E.PictureIndex, src, E.TabLeftOffset, E.TabRightOffset, w, E.TabStretchEffect), tx, S.Y());
    const TColor colour = k == 0 ? E.ActiveFontColor : (k == 1 ? E.MouseInFontColor : E.FontColor);
    S.Caption(TRect{tx, S.Y() + 2, tx + w, S.Y() + th}, text, E.FontName, E.FontHeight, colour);
    tx += w;
    ++k;
  }
  int bx = x + W + 12;
  for (const TRect& r : {E.CloseButtonRect, E.CloseButtonActiveRect, E.CloseButtonDownRect}) {
    S.Put(S.Copy(E.PictureIndex, r), bx, S.Y() + 6);
    bx += r.Width() + 6;
  }
  (void)page;
}

inline void DrawControl(Sheet& S, TvlSkinData& D, TvlDataSkinControl& C) {
  if (auto* b = dynamic_cast<TvlDataSkinButtonControl*>(&C)) return DrawButtons(S, *b);
  if (auto* c = dynamic_cast<TvlDataSkinCheckRadioControl*>(&C)) return DrawCheckRadio(S, *c);
  if (auto* s = dynamic_cast<TvlDataSkinScrollBarControl*>(&C)) return DrawScrollBar(S, *s);
  if (auto* e = dynamic_cast<TvlDataSkinEditControl*>(&C)) return DrawEdit(S, *e);
  if (auto* c = dynamic_cast<TvlDataSkinComboBox*>(&C)) return DrawComboBox(S, *c);
  if (auto* l = dynamic_cast<TvlDataSkinListBox*>(&C)) return DrawListBox(S, *l);
  if (auto* u = dynamic_cast<TvlDataSkinUpDownControl*>(&C)) return DrawUpDown(S, *u);
  if (auto* t = dynamic_cast<TvlDataSkinTabControl*>(&C)) return DrawTabs(S, *t);
  if (dynamic_cast<TvlDataSkinMainMenuBar*>(&C)) return;  // drawn with the menus
  if (auto* p = dynamic_cast<TvlDataSkinPanelControl*>(&C)) {
    const bool group = p->CaptionRect.Width() > 0;
    const int W = group ? 200 : 200, H = group ? 80 : std::max(40, p->SkinRect.Height());
    int x = S.Row(p->IDName, H);
    S.Put(S.Nine(*p, p->SkinRect, W, H), x, S.Y());
    if (group) {
      const TRect c{x + p->CaptionRect.Left, S.Y() + p->CaptionRect.Top, x + W, S.Y() + p->CaptionRect.Bottom};
      S.CaptionLeft(c.Left, c, "预置选项", p->FontName, p->FontHeight, p->FontColor);
    }
    return;
  }
  if (auto* s = dynamic_cast<TvlDataSkinSplitterControl*>(&C)) {
    const bool vertical = s->SkinRect.Height() > s->SkinRect.Width();
    const int W = vertical ? s->SkinRect.Width() : 120, H = vertical ? 80 : s->SkinRect.Height();
    int x = S.Row(s->IDName, H);
    S.Put(S.Nine(*s, s->SkinRect, W, H), x, S.Y());
    const TvlArtCanvas g = S.Copy(s->PictureIndex, s->GripperRect);
    S.Put(g, x + (W - g.Width()) / 2, S.Y() + (H - g.Height()) / 2);
    return;
  }
  if (auto* l = dynamic_cast<TvlDataSkinLabelControl*>(&C)) {
    const int W = 160, H = l->SkinRect.Height();
    int x = S.Row(l->IDName, H);
    S.Put(S.Nine(*l, l->SkinRect, W, H), x, S.Y());
    S.CaptionLeft(x + l->ClRect.Left, TRect{x, S.Y(), x + W, S.Y() + H}, "输出目录：", l->FontName, l->FontHeight,
                  l->FontColor);
    return;
  }
  if (auto* l = dynamic_cast<TvlDataSkinStdLabelControl*>(&C)) {
    int x = S.Row(l->IDName, 18);
    S.CaptionLeft(x, TRect{x, S.Y(), x + 200, S.Y() + 18}, "视频分辨率：", l->FontName, l->FontHeight, l->FontColor);
    S.CaptionLeft(x + 120, TRect{x, S.Y(), x + 200, S.Y() + 18}, "官方网站", l->FontName, l->FontHeight,
                  l->ActiveFontColor);
    return;
  }
  if (auto* b = dynamic_cast<TvlDataSkinBevel*>(&C)) {
    int x = S.Row(b->IDName, 20);
    S.Page().HLine(x, x + 200, S.Y() + 9, Sheet::FromTColor(b->DarkColor));
    S.Page().HLine(x, x + 200, S.Y() + 10, Sheet::FromTColor(b->LightColor));
    return;
  }
  if (auto* s = dynamic_cast<TvlDataSkinSlider*>(&C)) {
    // On the slider's background: the ruler, and the thumb's two states (normal, pressed), all
    // keyed on their bottom-left pixel as the slider draws them.
    int x = S.Row(s->IDName, 60);
    S.Page().FillRect(x, S.Y(), x + 300, S.Y() + 60, Sheet::FromTColor(s->BGColor));
    auto keyed = [&](const TvlArtCanvas& c, int X, int Y) {
      PutKeyed(S, c, X, Y, vlToTColor(c.Pixel(0, c.Height() - 1)));
    };
    const TvlArtCanvas ruler = S.Strip(s->PictureIndex, s->HRulerRect, s->EdgeSize, s->EdgeSize, 180, true);
    keyed(ruler, x + 6, S.Y() + 14 - ruler.Height() / 2);
    for (int state = 0; state < 2; ++state) {
      const TRect& r = s->HThumbRect;
      const TvlArtCanvas thumb = S.Copy(s->PictureIndex, TRect{r.Left + state * r.Width() / 2, r.Top,
                                                               r.Left + (state + 1) * r.Width() / 2, r.Bottom});
      keyed(thumb, x + 50 + state * 70, S.Y() + 14 - thumb.Height() / 2);
    }
    TBitmap out;
    ComposeSkinStripVert(s->EdgeSize, s->EdgeSize, &out, S.Picture(s->PictureIndex), s->VRulerRect,
                         s->VRulerRect.Width(), 52, true);
    const TvlArtCanvas vruler = TvlArtCanvas::FromBitmap(&out);
    for (int state = 0; state < 2; ++state) {
      const int vx = x + 220 + state * 40;
      keyed(vruler, vx, S.Y() + 4);
      const TRect& r = s->VThumbRect;
      const TvlArtCanvas thumb = S.Copy(s->PictureIndex, TRect{r.Left + state * r.Width() / 2, r.Top,
                                                               r.Left + (state + 1) * r.Width() / 2, r.Bottom});
      keyed(thumb, vx + vruler.Width() / 2 - thumb.Width() / 2, S.Y() + 12 + state * 16);
    }
    return;
  }
  auto swatch = [&](const std::string& Name, TColor Bg, const std::string& Face, int Height, TColor Fg) {
    int x = S.Row(Name, 24);
    S.Page().FillRect(x, S.Y(), x + 200, S.Y() + 24, Sheet::FromTColor(Bg));
    S.CaptionLeft(x + 6, TRect{x, S.Y(), x + 200, S.Y() + 24}, "示例视频.mp4", Face, Height, Fg);
  };
  if (auto* v = dynamic_cast<TvlDataSkinTreeView*>(&C)) return swatch(v->IDName, v->BGColor, v->FontName, v->FontHeight, v->FontColor);
  if (auto* v = dynamic_cast<TvlDataSkinListView*>(&C)) return swatch(v->IDName, v->BGColor, v->FontName, v->FontHeight, v->FontColor);
  if (auto* v = dynamic_cast<TvlDataSkinRichEdit*>(&C)) return swatch(v->IDName, v->BGColor, v->FontName, v->FontHeight, v->FontColor);
  if (auto* b = dynamic_cast<TvlDataSkinScrollBoxControl*>(&C)) {
    int x = S.Row(b->IDName, 60);
    S.Put(S.Nine(*b, b->SkinRect, 200, 60), x, S.Y());
    return;
  }
  (void)D;
  int x = S.Row(C.IDName + " (?)", 16);
  (void)x;
}

inline TvlArtCanvas RenderSheet(TvlSkinData& D) {
  Sheet s(D, 820);
  DrawFrameSection(s, D);
  DrawLayerFrameSection(s, D);
  DrawMenuSection(s, D);
  for (const auto& c : D.CtrlList) DrawControl(s, D, *c);
  return s.Finish();
}

}  // namespace sheet
