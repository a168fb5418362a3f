#pragma once
// The review sheet of a skin: every element of the loaded skin in each of its states, composed
// with the skin library's own composition routines at working sizes, with Chinese captions, on
// one picture. Drawn from a skin that went through packing and loading, so what it shows is what
// the program shows.

#include <algorithm>
#include <string>
#include <vector>

#include "lib/data/vlSkinData.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "skins/vlArtCanvas.h"
#include "skins/vlSkinArtKit.h"

namespace sheet {

using namespace vlart;

inline const TvlArtFont kLabelFont{"Arial", 10, false};
inline TvlArtFont SkinFont(const std::string& Face, int CellHeight) {
  // The skin gives a cell height; the generator's canvas takes an em size.
  return TvlArtFont{Face, std::max(8, CellHeight * 4 / 5), false};
}

class Sheet {
 public:
  Sheet(TvlSkinData& Skin, int Width) : skin_(Skin), page_(Width, 4000, vlHex(0xE4E8ED)) {}

  // Starts a new row with a name in the left column; answers the x where the row's content goes.
  int Row(const std::string& Name, int Height) {
    y_ += rowHeight_ + (rowHeight_ ? 10 : 8);
    rowHeight_ = Height;
    page_.Text(8, y_ + (Height - 12) / 2, Name, kLabelFont, vlHex(0x4A5563));
    return 150;
  }
  [[nodiscard]] int Y() const { return y_; }
  TvlArtCanvas& Page() { return page_; }

  TBitmap* Picture(int Index) {
    if (Index < 0 || Index >= static_cast<int>(skin_.FActivePictures.size())) return nullptr;
    return skin_.FActivePictures[Index].get();
  }

  // Src of the element's picture composed in nine parts to W x H.
  TvlArtCanvas Nine(const TvlDataSkinCustomControl& E, const TRect& Src, int W, int H) {
    return NineFrom(Picture(E.PictureIndex), E.LTPoint, E.RTPoint, E.LBPoint, E.RBPoint, E.ClRect, Src, W, H,
                    E.LeftStretch, E.TopStretch, E.RightStretch, E.BottomStretch, E.StretchEffect, E.StretchType);
  }
  static TvlArtCanvas NineFrom(TBitmap* Pic, TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, const TRect& Src,
                               int W, int H, bool LS, bool TS, bool RS, bool BS, bool SE, TvlStretchType ST) {
    if (!Pic || Src.Width() <= 0) return TvlArtCanvas(W, H, vlHex(0xFF00FF));
    const TvlNinePartGeometry g =
        TvlNinePartGeometry::Grown(LT, RT, LB, RB, Cl, W - Src.Width(), H - Src.Height());
    TBitmap out;
    ComposeSkinImage(g, &out, Pic, Src, W, H, TvlStretchSides{LS, TS, RS, BS}, TvlClientFill{true, SE, ST});
    return TvlArtCanvas::FromBitmap(&out);
  }
  // A plain copy of Src.
  TvlArtCanvas Copy(int PictureIndex, const TRect& Src) {
    TBitmap* pic = Picture(PictureIndex);
    if (!pic || Src.Width() <= 0 || Src.Height() <= 0) return TvlArtCanvas(8, 8, vlHex(0xFF00FF));
    return TvlArtCanvas::FromBitmap(pic).Cut(Src);
  }
  // A horizontal strip of Src with fixed ends, W wide.
  TvlArtCanvas Strip(int PictureIndex, const TRect& Src, int L, int R, int W, bool Stretch) {
    TBitmap out;
    ComposeSkinStrip(L, R, &out, Picture(PictureIndex), Src, W, Src.Height(), Stretch);
    return TvlArtCanvas::FromBitmap(&out);
  }

  // Copies C onto the page as opaque pixels: composed pictures come back as 32-bit bitmaps whose
  // alpha bytes mean nothing, and text blended onto a pixel of alpha 0 would take its colour at
  // full strength wherever a glyph touches it.
  void Put(const TvlArtCanvas& C, int X, int Y) {
    for (int y = 0; y < C.Height(); ++y)
      for (int x = 0; x < C.Width(); ++x) page_.SetPixel(X + x, Y + y, C.Pixel(x, y) | 0xFF000000u);
  }
  void Caption(const TRect& R, const std::string& Text, const std::string& Face, int Height, TColor Colour) {
    page_.TextCentered(R, Text, SkinFont(Face, Height), FromTColor(Colour));
  }
  void CaptionLeft(int X, const TRect& R, const std::string& Text, const std::string& Face, int Height,
                   TColor Colour) {
    const TvlArtFont f = SkinFont(Face, Height);
    page_.Text(X, R.Top + (R.Height() - TvlArtCanvas::TextHeight(f)) / 2, Text, f, FromTColor(Colour));
  }
  static TvlArgb FromTColor(TColor C) {
    const auto v = static_cast<std::uint32_t>(C);
    return vlRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
  }

  // The finished page, cut to the rows drawn.
  TvlArtCanvas Finish() { return page_.Cut(TRect{0, 0, page_.Width(), y_ + rowHeight_ + 8}); }

 private:
  TvlSkinData& skin_;
  TvlArtCanvas page_;
  int y_ = 0, rowHeight_ = 0;
};

}  // namespace sheet
