#pragma once
// A small skin built in memory for the skinned-control tests: a calm blue-grey look with a
// nine-part panel (and its mask), a group box with a caption bar and caption check boxes, a
// textured background panel, a plain-label font, bevel colours, two splitters, three elements
// of fixed, horizontal and vertical resize modes, and a set of hostile elements (zero-sized
// middles, crossed corners, picture indexes and rectangles outside the skin).
//
// Variant::Alternate has the same names with other sizes and a green tone, for skin switches.
// AddFrame gives a skin a small form frame (frame picture, inactive twin, rounded mask, caption
// text object and two caption buttons) for the form-skinner tests, AddMenus a popup-menu frame,
// a morphing menu row and a hint window; Load puts a whole variant into a container through its
// own stored-skin load, with the container's skin-change messages.
// Every pixel is computed, so the skin is the same on every run.

#include <cstdint>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "lib/vlCompressedSkin.h"
#include "lib/vlDataSkinControls.h"
#include "lib/vlDataSkinObjects.h"
#include "lib/vlSkinCtrls.h"
#include "lib/vlSkinData.h"
#include "platform/Bitmap.h"

namespace fixture_skin {

enum class Variant { Standard, Alternate };

// Picture layout (picture 0, 256 x 128):
//   panel        (0,0)-(40,40)     nine-part, mask = picture 2
//   groupbox     (40,0)-(100,60)   caption band rows 0..24
//   check boxes  (100,0)-(130,15)  checked, unchecked; left column and bottom row are the key
//   vsplitter    (130,0)-(136,40)  gripper (136,0)-(142,20)
//   hsplitter    (150,0)-(190,6)   gripper (190,0)-(210,6)
//   fixedpanel   (0,64)-(60+,89+)  resize mode 0
//   hstrip       (0,100)-(80,124+) resize mode 2
//   vstrip       (90,64)-(114+,124) resize mode 3
// Picture 1: a 16 x 16 texture. Picture 2: the panel's 40 x 40 mask.

inline std::uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
         static_cast<std::uint32_t>(b);
}
inline TColor Colour(int r, int g, int b) { return static_cast<TColor>(r | (g << 8) | (b << 16)); }

struct Tone {
  int r, g, b;  // the accent
  [[nodiscard]] std::uint32_t Accent(int shade = 0) const { return Rgb(r + shade, g + shade, b + shade); }
};

class Painter {
 public:
  explicit Painter(TBitmap& b) : b_(b) {}
  void Fill(int l, int t, int r, int bt, std::uint32_t c) {
    for (int y = t; y < bt; ++y)
      for (int x = l; x < r; ++x) Set(x, y, c);
  }
  void Frame(int l, int t, int r, int bt, std::uint32_t c) {
    for (int x = l; x < r; ++x) {
      Set(x, t, c);
      Set(x, bt - 1, c);
    }
    for (int y = t; y < bt; ++y) {
      Set(l, y, c);
      Set(r - 1, y, c);
    }
  }
  void Set(int x, int y, std::uint32_t c) {
    if (x < 0 || y < 0 || x >= b_.Width() || y >= b_.Height()) return;
    static_cast<std::uint32_t*>(b_.ScanLine(y))[x] = c;
  }

 private:
  TBitmap& b_;
};

inline std::unique_ptr<TBitmap> NewPicture(int w, int h, std::uint32_t fill) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(w, h);
  Painter(*b).Fill(0, 0, w, h, fill);
  return b;
}

// A framed box with rounded corners (one pixel cut at each corner) and a flat inside.
inline void Box(Painter& p, int l, int t, int r, int b, std::uint32_t border, std::uint32_t inner,
                std::uint32_t fill, std::uint32_t corner) {
  p.Fill(l, t, r, b, fill);
  p.Frame(l, t, r, b, border);
  p.Frame(l + 1, t + 1, r - 1, b - 1, inner);
  for (int x : {l, r - 1})
    for (int y : {t, b - 1}) p.Set(x, y, corner);
}

template <typename T>
T* Add(TvlSkinData& skin, const std::string& name) {
  auto d = std::make_unique<T>(name);
  T* raw = d.get();
  skin.CtrlList.push_back(std::move(d));
  return raw;
}

inline void SetNine(TvlDataSkinCustomControl* d, TRect skin, TPoint lt, TPoint rt, TPoint lb, TPoint rb, TRect cl) {
  d->PictureIndex = 0;
  d->SkinRect = skin;
  d->LTPoint = lt;
  d->RTPoint = rt;
  d->LBPoint = lb;
  d->RBPoint = rb;
  d->ClRect = cl;
}

inline void Fill(TvlSkinData& skin, Variant variant = Variant::Standard) {
  const bool alt = variant == Variant::Alternate;
  const Tone tone = alt ? Tone{58, 140, 96} : Tone{52, 104, 170};
  const std::uint32_t face = alt ? Rgb(242, 248, 243) : Rgb(243, 246, 250);
  const std::uint32_t border = alt ? Rgb(132, 178, 146) : Rgb(143, 163, 191);
  const std::uint32_t key = Rgb(255, 0, 255);

  auto picture = NewPicture(256, 128, Rgb(200, 200, 200));
  Painter p(*picture);
  // panel: border, white inner line, face.
  Box(p, 0, 0, 40, 40, border, Rgb(255, 255, 255), face, Rgb(200, 200, 200));
  // groupbox: a caption band in the accent with a lighter top, a framed light body.
  Box(p, 40, 0, 100, 60, tone.Accent(-20), Rgb(255, 255, 255), Rgb(252, 253, 255), Rgb(200, 200, 200));
  for (int y = 1; y < 24; ++y) p.Fill(41, y, 99, y + 1, tone.Accent(std::max(0, 30 - y * 2)));
  p.Fill(41, 24, 99, 25, tone.Accent(-20));
  // check boxes: white box, accent frame, a tick in the checked one; key colour around.
  for (int i = 0; i < 2; ++i) {
    const int l = 100 + 15 * i;
    p.Fill(l, 0, l + 15, 15, key);
    p.Fill(l + 1, 0, l + 14, 13, Rgb(255, 255, 255));
    p.Frame(l + 1, 0, l + 14, 13, Rgb(240, 244, 250));
    p.Frame(l + 1, 0, l + 14, 13, tone.Accent(-30));
    if (i == 0)
      for (int k = 0; k < 3; ++k) {
        p.Set(l + 4 + k, 5 + k, tone.Accent(-40));
        p.Set(l + 4 + k, 6 + k, tone.Accent(-40));
      }
    if (i == 0)
      for (int k = 0; k < 4; ++k) {
        p.Set(l + 7 + k, 7 - k, tone.Accent(-40));
        p.Set(l + 7 + k, 8 - k, tone.Accent(-40));
      }
  }
  // splitters: a soft bar with darker edges; grippers of three dots on the key colour.
  p.Fill(130, 0, 136, 40, Rgb(226, 232, 240));
  p.Fill(130, 0, 131, 40, border);
  p.Fill(135, 0, 136, 40, border);
  p.Fill(136, 0, 142, 20, key);
  for (int d = 0; d < 3; ++d) p.Fill(138, 4 + 5 * d, 140, 6 + 5 * d, tone.Accent(-30));
  p.Fill(150, 0, 190, 6, Rgb(226, 232, 240));
  p.Fill(150, 0, 190, 1, border);
  p.Fill(150, 5, 190, 6, border);
  p.Fill(190, 0, 210, 6, key);
  for (int d = 0; d < 3; ++d) p.Fill(193 + 5 * d, 2, 195 + 5 * d, 4, tone.Accent(-30));
  // resize-mode elements.
  const int fw = alt ? 80 : 60, fh = alt ? 30 : 25, sh = alt ? 28 : 24, vw = alt ? 30 : 24;
  Box(p, 0, 64, fw, 64 + fh, tone.Accent(-20), Rgb(255, 255, 255), face, Rgb(200, 200, 200));
  Box(p, 0, 100, 80, 100 + sh, tone.Accent(-20), Rgb(255, 255, 255), face, Rgb(200, 200, 200));
  Box(p, 90, 64, 90 + vw, 124, tone.Accent(-20), Rgb(255, 255, 255), face, Rgb(200, 200, 200));

  auto texture = NewPicture(16, 16, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int v = ((x + y) % 8 == 0) ? 200 : ((x - y + 16) % 8 == 0 ? 214 : 232);
      Painter(*texture).Set(x, y, alt ? Rgb(v - 8, v + 4, v - 6) : Rgb(v - 6, v - 2, v + 6));
    }
  auto mask = NewPicture(40, 40, Rgb(0, 0, 0));
  for (int x : {0, 39})
    for (int y : {0, 39}) Painter(*mask).Set(x, y, Rgb(255, 255, 255));

  skin.FActivePictures.push_back(std::move(picture));
  skin.FActivePictures.push_back(std::move(texture));
  skin.FActivePictures.push_back(std::move(mask));
  for (const char* name : {"controls.bmp", "texture.bmp", "panelmask.bmp"}) skin.FActivePicturesNames->Add(name);

  auto* panel = Add<TvlDataSkinPanelControl>(skin, "panel");
  SetNine(panel, TRect{0, 0, 40, 40}, TPoint{6, 6}, TPoint{34, 6}, TPoint{6, 34}, TPoint{34, 34}, TRect{3, 3, 37, 37});
  panel->MaskPictureIndex = 2;
  panel->FontColor = Colour(31, 58, 95);

  auto* group = Add<TvlDataSkinPanelControl>(skin, "groupbox");
  SetNine(group, TRect{40, 0, 100, 60}, TPoint{10, 28}, TPoint{50, 28}, TPoint{10, 54}, TPoint{50, 54},
          TRect{3, 25, 57, 57});
  group->CaptionRect = TRect{8, 2, 52, 23};
  group->Alignment = TAlignment::taLeftJustify;
  group->FontName = "Tahoma";
  group->FontHeight = 15;
  group->FontStyle = TFontStyles{TFontStyle::fsBold};
  group->FontColor = Colour(255, 255, 255);
  group->CheckImageRect = TRect{100, 0, 115, 15};
  group->UnCheckImageRect = TRect{115, 0, 130, 15};

  auto* background = Add<TvlDataSkinPanelControl>(skin, "bgpanel");
  SetNine(background, TRect{0, 0, 40, 40}, TPoint{6, 6}, TPoint{34, 6}, TPoint{6, 34}, TPoint{34, 34},
          TRect{3, 3, 37, 37});
  background->BGPictureIndex = 1;

  auto* label = Add<TvlDataSkinStdLabelControl>(skin, "stdlabel");
  label->FontName = "Tahoma";
  label->FontHeight = 14;
  label->FontColor = alt ? Colour(30, 80, 50) : Colour(31, 58, 95);

  auto* bevel = Add<TvlDataSkinBevel>(skin, "bevel");
  bevel->LightColor = Colour(255, 255, 255);
  bevel->DarkColor = alt ? Colour(132, 178, 146) : Colour(157, 176, 200);

  auto* vsplit = Add<TvlDataSkinSplitterControl>(skin, "vsplitter");
  SetNine(vsplit, TRect{130, 0, 136, 40}, TPoint{0, 4}, TPoint{0, 0}, TPoint{0, 36}, TPoint{0, 0}, TRect{0, 4, 6, 36});
  vsplit->GripperRect = TRect{136, 0, 142, 20};
  vsplit->GripperTransparent = true;
  vsplit->GripperTransparentColor = Colour(255, 0, 255);
  auto* hsplit = Add<TvlDataSkinSplitterControl>(skin, "hsplitter");
  SetNine(hsplit, TRect{150, 0, 190, 6}, TPoint{4, 0}, TPoint{36, 0}, TPoint{0, 0}, TPoint{0, 0}, TRect{4, 0, 36, 6});
  hsplit->GripperRect = TRect{190, 0, 210, 6};
  hsplit->GripperTransparent = true;
  hsplit->GripperTransparentColor = Colour(255, 0, 255);

  auto* fixed = Add<TvlDataSkinPanelControl>(skin, "fixedpanel");
  SetNine(fixed, TRect{0, 64, fw, 64 + fh}, TPoint{}, TPoint{}, TPoint{}, TPoint{}, TRect{3, 3, fw - 3, fh - 3});
  auto* hstrip = Add<TvlDataSkinPanelControl>(skin, "hstrip");
  SetNine(hstrip, TRect{0, 100, 80, 100 + sh}, TPoint{10, 0}, TPoint{70, 0}, TPoint{}, TPoint{},
          TRect{4, 4, 76, sh - 4});
  auto* vstrip = Add<TvlDataSkinPanelControl>(skin, "vstrip");
  SetNine(vstrip, TRect{90, 64, 90 + vw, 124}, TPoint{0, 10}, TPoint{}, TPoint{0, 50}, TPoint{},
          TRect{4, 10, vw - 4, 50});

  // Hostile geometry.
  auto* zero = Add<TvlDataSkinPanelControl>(skin, "zeromiddle");
  SetNine(zero, TRect{0, 0, 40, 40}, TPoint{20, 20}, TPoint{20, 20}, TPoint{20, 20}, TPoint{20, 20},
          TRect{20, 20, 20, 20});
  zero->MaskPictureIndex = 2;
  auto* crossed = Add<TvlDataSkinPanelControl>(skin, "crossed");
  SetNine(crossed, TRect{0, 0, 40, 40}, TPoint{34, 34}, TPoint{6, 6}, TPoint{34, 6}, TPoint{6, 34},
          TRect{37, 37, 3, 3});
  crossed->MaskPictureIndex = 2;
  auto* badIndex = Add<TvlDataSkinPanelControl>(skin, "badindex");
  SetNine(badIndex, TRect{0, 0, 40, 40}, TPoint{6, 6}, TPoint{34, 6}, TPoint{6, 34}, TPoint{34, 34},
          TRect{3, 3, 37, 37});
  badIndex->PictureIndex = 99;
  badIndex->MaskPictureIndex = 42;
  badIndex->BGPictureIndex = 7;
  auto* negative = Add<TvlDataSkinPanelControl>(skin, "negindex");
  SetNine(negative, TRect{0, 0, 40, 40}, TPoint{6, 6}, TPoint{34, 6}, TPoint{6, 34}, TPoint{34, 34},
          TRect{3, 3, 37, 37});
  negative->PictureIndex = -5;
  negative->MaskPictureIndex = -2;
  auto* outside = Add<TvlDataSkinPanelControl>(skin, "outside");
  SetNine(outside, TRect{300, 300, 400, 400}, TPoint{6, 6}, TPoint{94, 6}, TPoint{6, 94}, TPoint{94, 94},
          TRect{3, 3, 97, 97});
  auto* hugeCorners = Add<TvlDataSkinPanelControl>(skin, "hugecorners");
  SetNine(hugeCorners, TRect{0, 0, 40, 40}, TPoint{1000000, 1000000}, TPoint{-1000000, 5}, TPoint{5, -1000000},
          TPoint{2000000000, 2000000000}, TRect{-5, -5, 1000000, 1000000});
  hugeCorners->MaskPictureIndex = 2;
  hugeCorners->CaptionRect = TRect{-100, -100, 100000, 100000};
  // A splitter and a label whose pictures or kinds do not fit.
  auto* badSplit = Add<TvlDataSkinSplitterControl>(skin, "badsplitter");
  SetNine(badSplit, TRect{250, 120, 400, 300}, TPoint{0, 4}, TPoint{}, TPoint{0, 36}, TPoint{}, TRect{});
  badSplit->GripperRect = TRect{-5, -5, 500, 500};

  skin.FSkinColors->SetColorsToDefault();
  skin.FSkinColors->FcBtnShadow = alt ? Colour(132, 178, 146) : Colour(143, 163, 191);
  skin.FSkinColors->FcBtnText = alt ? Colour(30, 80, 50) : Colour(31, 58, 95);
  skin.FSkinColors->FcBtnHighLight = Colour(255, 255, 255);
  skin.SkinName = alt ? "Fixture green" : "Fixture blue";
  skin.Empty = false;
}

// Empties the container (no skin loaded).
inline void Clear(TvlSkinData& skin) {
  skin.CtrlList.clear();
  skin.ObjectList.clear();
  skin.FActivePictures.clear();
  skin.FActivePicturesNames->Clear();
  for (TBitmap* b : {skin.FPicture.get(), skin.FInActivePicture.get(), skin.FMask.get()}) b->SetSize(0, 0);
  skin.Empty = true;
}

// ---- A form frame ----------------------------------------------------------------------------

// The geometry of the fixture's form frame (Standard: 120 x 80, caption band 24 rows;
// Alternate: 140 x 90, caption band 30 rows). Borders are 4 pixels on the other three sides and
// the corners are rounded by the mask (radius 6 at the top, 4 at the bottom).
struct FrameGeometry {
  int W, H, Caption;
};
inline FrameGeometry FrameOf(Variant variant) {
  return variant == Variant::Alternate ? FrameGeometry{140, 90, 30} : FrameGeometry{120, 80, 24};
}
constexpr int kFrameBorder = 4;

// True for a pixel inside the frame's rounded outline.
inline bool InsideFrame(const FrameGeometry& g, int x, int y) {
  const auto corner = [](int dx, int dy, int r) {
    if (dx >= r || dy >= r) return true;
    const double cx = r - dx - 0.5, cy = r - dy - 0.5;
    return cx * cx + cy * cy <= static_cast<double>(r) * r;
  };
  if (x < 0 || y < 0 || x >= g.W || y >= g.H) return false;
  const int dx = std::min(x, g.W - 1 - x);
  return y < g.H / 2 ? corner(dx, y, 6) : corner(dx, g.H - 1 - y, 4);
}

// Adds a form frame to a filled skin: the frame picture (caption band with the program mark,
// thin borders, a white client part), its inactive twin and mask, the frame geometry, a caption
// text object and close and maximize buttons in the caption's button row (their images in a
// picture of their own).
inline void AddFrame(TvlSkinData& skin, Variant variant = Variant::Standard) {
  const bool alt = variant == Variant::Alternate;
  const FrameGeometry g = FrameOf(variant);
  const Tone tone = alt ? Tone{58, 140, 96} : Tone{52, 104, 170};
  const std::uint32_t outline = alt ? Rgb(104, 150, 118) : Rgb(112, 136, 170);
  auto frame = [&](bool active) {
    auto b = NewPicture(g.W, g.H, Rgb(255, 255, 255));
    Painter p(*b);
    for (int y = 0; y < g.H; ++y)
      for (int x = 0; x < g.W; ++x) {
        if (!InsideFrame(g, x, y)) continue;  // cut away by the mask
        std::uint32_t c = alt ? Rgb(236, 244, 238) : Rgb(234, 239, 246);  // border face
        if (y < g.Caption - 1) {
          const int shade = 24 - 24 * y / g.Caption;
          c = active ? tone.Accent(shade) : Rgb(150 + shade, 160 + shade, 174 + shade);
        } else if (y == g.Caption - 1) {
          c = active ? tone.Accent(-24) : Rgb(132, 142, 156);
        } else if (x >= kFrameBorder && x < g.W - kFrameBorder && y < g.H - kFrameBorder) {
          c = Rgb(255, 255, 255);  // the client part
        }
        const bool edge = !InsideFrame(g, x - 1, y) || !InsideFrame(g, x + 1, y) || !InsideFrame(g, x, y - 1) ||
                          !InsideFrame(g, x, y + 1);
        p.Set(x, y, edge ? outline : c);
      }
    // The program mark: a white tile with an accent bar.
    const int t = (g.Caption - 12) / 2;
    p.Fill(9, t, 21, t + 12, Rgb(255, 255, 255));
    p.Fill(12, t + 3, 18, t + 9, active ? tone.Accent(-10) : Rgb(150, 160, 174));
    return b;
  };
  skin.FPicture->Assign(frame(true).get());
  skin.FInActivePicture->Assign(frame(false).get());
  auto mask = NewPicture(g.W, g.H, Rgb(255, 255, 255));
  for (int y = 0; y < g.H; ++y)
    for (int x = 0; x < g.W; ++x)
      if (InsideFrame(g, x, y)) Painter(*mask).Set(x, y, Rgb(0, 0, 0));
  skin.FMask->Assign(mask.get());
  skin.FPictureName = "frame.bmp";
  skin.FInActivePictureName = "frameinactive.bmp";
  skin.FMaskName = "framemask.bmp";

  const int W = g.W, H = g.H, C = g.Caption;
  skin.LTPoint = {30, C + 6};
  skin.RTPoint = {W - 50, C + 6};
  skin.LBPoint = {30, H - 10};
  skin.RBPoint = {W - 30, H - 10};
  skin.ClRect = TRect{kFrameBorder, C, W - kFrameBorder, H - kFrameBorder};
  skin.CaptionRect = TRect{24, 2, W - 46, C - 2};
  skin.ButtonsRect = TRect{W - 44, 3, W - kFrameBorder, 21};
  skin.ButtonsOffset = 2;
  skin.CapButtonsInLeft = false;
  skin.MaskRectArea = TRect{kFrameBorder, kFrameBorder, W - kFrameBorder, H - kFrameBorder};
  skin.HitTestLTPoint = {8, 8};
  skin.HitTestRTPoint = {W - 8, 8};
  skin.HitTestLBPoint = {8, H - 8};
  skin.HitTestRBPoint = {W - 8, H - 8};
  skin.BorderW = kFrameBorder;
  skin.FormMinWidth = 0;
  skin.TopStretch = skin.LeftStretch = skin.RightStretch = skin.BottomStretch = true;
  skin.StretchEffect = false;

  // The caption buttons' images: close and maximize, 18 x 18 each.
  auto buttons = NewPicture(36, 18, tone.Accent(0));
  for (int i = 0; i < 2; ++i) Painter(*buttons).Frame(18 * i + 4, 4, 18 * i + 14, 14, Rgb(255, 255, 255));
  const int buttonPicture = static_cast<int>(skin.FActivePictures.size());
  skin.FActivePictures.push_back(std::move(buttons));
  skin.FActivePicturesNames->Add("captionbuttons.bmp");

  auto caption = std::make_unique<TvlDataSkinCaption>("caption");
  caption->SkinRect = TRect{24, 2, W - 46, C - 2};
  caption->FontColor = Colour(230, 236, 245);
  caption->ActiveFontColor = Colour(255, 255, 255);
  skin.ObjectList.push_back(std::move(caption));
  const struct {
    const char* name;
    TvlStdCommand command;
  } std_buttons[] = {{"closebutton", TvlStdCommand::cmClose}, {"maxbutton", TvlStdCommand::cmMaximize}};
  for (int i = 0; i < 2; ++i) {
    auto b = std::make_unique<TvlDataSkinStdButton>(std_buttons[i].name);
    b->SkinRectInAPicture = true;
    b->ActivePictureIndex = buttonPicture;
    b->SkinRect = TRect{18 * i, 0, 18 * i + 18, 18};
    b->Command = std_buttons[i].command;
    skin.ObjectList.push_back(std::move(b));
  }
}

// ---- Menus and hints --------------------------------------------------------------------------

// Four pictures appended to the skin's list, in this order:
//   popup window  30 x 30   a framed white card, items area (3,3)-(27,27)
//   popup mask    30 x 30   black, the four corner pixels cut
//   menu rows     70 x 46   normal row (0,0)-(70,20), highlighted row (0,20)-(70,40) in the
//                           accent, divider (0,40)-(70,46) with a line across
//   hint          24 x 24   a light card with an accent edge
constexpr int kMenuRowHeight = 20;

// Adds a popup-window frame, a morphing menu-item description ("menuitem") and a hint window to
// a filled skin.
inline void AddMenus(TvlSkinData& skin, Variant variant = Variant::Standard) {
  const bool alt = variant == Variant::Alternate;
  const Tone tone = alt ? Tone{58, 140, 96} : Tone{52, 104, 170};
  const std::uint32_t face = Rgb(255, 255, 255), line = alt ? Rgb(132, 178, 146) : Rgb(143, 163, 191);

  auto popup = NewPicture(30, 30, face);
  Painter(*popup).Frame(0, 0, 30, 30, line);
  auto popupMask = NewPicture(30, 30, Rgb(0, 0, 0));
  for (int x : {0, 29})
    for (int y : {0, 29}) Painter(*popupMask).Set(x, y, Rgb(255, 255, 255));
  auto rows = NewPicture(70, 46, face);
  Painter r(*rows);
  r.Fill(0, 20, 70, 40, tone.Accent(40));
  r.Fill(0, 42, 70, 43, line);
  auto hint = NewPicture(24, 24, Rgb(250, 251, 253));
  Painter(*hint).Frame(0, 0, 24, 24, tone.Accent(0));

  const int base = static_cast<int>(skin.FActivePictures.size());
  for (auto* p : {&popup, &popupMask, &rows, &hint}) skin.FActivePictures.push_back(std::move(*p));
  for (const char* name : {"popup.bmp", "popupmask.bmp", "menurows.bmp", "hint.bmp"}) skin.FActivePicturesNames->Add(name);

  TvlDataSkinPopupWindow* w = skin.PopupWindow.get();
  w->WindowPictureIndex = base;
  w->MaskPictureIndex = base + 1;
  w->LTPoint = {4, 4};
  w->RTPoint = {26, 4};
  w->LBPoint = {4, 26};
  w->RBPoint = {26, 26};
  w->ItemsRect = TRect{3, 3, 27, 27};
  w->ScrollMarkerColor = Colour(143, 163, 191);
  w->ScrollMarkerActiveColor = Colour(tone.r, tone.g, tone.b);
  w->TopStretch = w->LeftStretch = w->RightStretch = w->BottomStretch = w->StretchEffect = true;

  auto item = std::make_unique<TvlDataSkinMenuItem>("menuitem");
  item->SkinRectInAPicture = true;
  item->ActivePictureIndex = base + 2;
  item->SkinRect = TRect{0, 0, 70, kMenuRowHeight};
  item->ActiveSkinRect = TRect{0, 20, 70, 40};
  item->DividerRect = TRect{0, 40, 70, 46};
  item->ItemLO = item->ItemRO = item->DividerLO = item->DividerRO = 4;
  item->TextRct = TRect{6, 0, 62, kMenuRowHeight};
  item->FontName = "Tahoma";
  item->FontHeight = 14;
  item->FontColor = Colour(31, 58, 95);
  item->ActiveFontColor = Colour(255, 255, 255);
  item->UnEnabledFontColor = Colour(150, 160, 174);
  item->StretchEffect = item->InActiveStretchEffect = item->DividerStretchEffect = true;
  item->Morphing = true;
  item->MorphKind = TvlMorphKind::mkDefault;
  skin.ObjectList.push_back(std::move(item));

  TvlDataSkinHintWindow* h = skin.HintWindow.get();
  h->WindowPictureIndex = base + 3;
  h->MaskPictureIndex = -1;
  h->LTPoint = {4, 4};
  h->RTPoint = {20, 4};
  h->LBPoint = {4, 20};
  h->RBPoint = {20, 20};
  h->ClRect = TRect{3, 3, 21, 21};
  h->FontName = "Tahoma";
  h->FontHeight = 14;
  h->FontColor = Colour(31, 58, 95);
  h->TopStretch = h->LeftStretch = h->RightStretch = h->BottomStretch = h->StretchEffect = true;
}

// What Load adds besides the controls and the form frame.
enum class Extras { None, MenusAndHints };

// Loads the variant, with its form frame (and the extras), into Target through the container's
// own stored-skin load, so that Target sends its three skin-change messages as on any skin
// change.
inline void Load(TvlSkinData& Target, Variant variant = Variant::Standard, Extras extras = Extras::None) {
  TvlSkinData scratch(nullptr);
  Fill(scratch, variant);
  AddFrame(scratch, variant);
  if (extras == Extras::MenusAndHints) AddMenus(scratch, variant);
  TvlCompressedStoredSkin stored(nullptr);
  stored.LoadFromSkinData(&scratch);
  Target.LoadCompressedStoredSkin(&stored);
}

// Replaces the container's skin with another variant (or none), telling the controls of Root
// through the two skin-change walks as the form skinner does.
inline void Switch(TvlSkinData& skin, TControl* Root, std::optional<Variant> variant) {
  vlBeforeChildrenSkinChange(&skin, Root);
  Clear(skin);
  if (variant) Fill(skin, *variant);
  vlChangeChildrenSkinData(&skin, Root);
}

}  // namespace fixture_skin
