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

#include <cmath>
#include <cstdint>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlDataSkinObjects.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Resources.h"
#include "platform/core/Streams.h"

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
//
// Picture 3 (256 x 160): buttons, tool buttons, check and radio pictures, the slider.
//   button       (0,0)-(200,24)    five 40 x 24 states: normal, hover, down, disabled, focused
//   animation    (0,24)-(120,48)   three 40 x 24 frames between normal and hover
//   toolbutton   (0,48)-(100,73)   four 25 x 25 states: normal, hover, down, disabled
//   check        (0,80)-(96,96)    16 x 16 cells on the key colour: checked, unchecked, hover
//                                  checked, hover unchecked, disabled checked, disabled unchecked
//   radio        (0,96)-(96,112)   the same for radio boxes
//   checkpanel   (0,112)-(200,136) the non-flat box: normal and hover 100 x 24
//   slider       ruler (0,140)-(40,146), thumb (40,136)-(72,152) two 16 x 16 states,
//                vertical ruler (80,120)-(86,160), thumb (88,136)-(120,152)
// Pictures 4 and 5: the button's 52 x 36 glow and its grey mask.
//
// Picture 6 (300 x 112): scroll bars, header and tool-bar arrow buttons, tool and status bars.
//   hscrollbar      (0,0)-(80,15)     down button, track, up button; hover and pressed arrow
//                                     images (0,16)-(60,31), thumbs (0,32)-(72,47)
//   bothhscrollbar  (0,48)-(95,63)    the same with the corner square
//   vscrollbar      (200,0)-(215,80)  turned; arrow images (220,0)-(235,60), thumbs (240,0)-(285,24)
//   header button   (0,64)-(120,86)   normal, hover, pressed 40 x 22 ("resizetoolbutton",
//                                     "resizebutton")
//   toolpanel       (120,64)-(180,94) a strip (resize mode 2)
//   statusbar       (180,88)-(240,110) with a 12 x 12 grip at (240,94)
//
// Picture 7 (220 x 150): list boxes and up-downs.
//   listbox         (0,0)-(60,60)     nine-part frame around a white client
//   items           (64,0)-(124,60)   three 60 x 20 strips: normal, selected, focused
//   captionlistbox  (0,64)-(80,144)   caption band rows 0..23 with check, down and up buttons
//                                     at (28,3)-(76,19); hover and pressed buttons
//                                     (84,64)-(116,112), the band without buttons (84,112)-(132,128)
//   hupdown         (136,0)-(172,18)  down and up buttons; hover and pressed (172,0)-(208,38)
//   vupdown         (136,40)-(152,64) up over down; hover and pressed (156,40)-(188,64)

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

// A disc of radius R (pixel centres within R of the centre).
inline void Disc(Painter& p, double cx, double cy, double r, std::uint32_t c) {
  for (int y = static_cast<int>(cy - r - 1); y <= static_cast<int>(cy + r + 1); ++y)
    for (int x = static_cast<int>(cx - r - 1); x <= static_cast<int>(cx + r + 1); ++x)
      if ((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy) <= r * r) p.Set(x, y, c);
}

inline void CheckMark(Painter& p, int l, int t, std::uint32_t c) {
  for (int k = 0; k < 3; ++k) {
    p.Set(l + 3 + k, t + 6 + k, c);
    p.Set(l + 3 + k, t + 7 + k, c);
  }
  for (int k = 0; k < 5; ++k) {
    p.Set(l + 6 + k, t + 8 - k, c);
    p.Set(l + 6 + k, t + 9 - k, c);
  }
}

// An arrow of 3 rows pointing Dir (0 left, 1 right, 2 up, 3 down) centred at (cx, cy).
inline void Arrow(Painter& p, int cx, int cy, int dir, std::uint32_t c) {
  for (int k = 0; k < 3; ++k)
    for (int j = -k; j <= k; ++j) {
      if (dir == 0) p.Set(cx - 1 + k, cy + j, c);
      if (dir == 1) p.Set(cx + 1 - k, cy + j, c);
      if (dir == 2) p.Set(cx + j, cy - 1 + k, c);
      if (dir == 3) p.Set(cx + j, cy + 1 - k, c);
    }
}

template <typename T>
void SetButtonLook(T* e, const Tone& tone) {
  e->FontName = "Tahoma";
  e->FontHeight = 14;
  e->FontColor = Colour(31, 58, 95);
  e->ActiveFontColor = Colour(tone.r - 20, tone.g - 20, tone.b - 20);
  e->DownFontColor = Colour(tone.r - 30, tone.g - 30, tone.b - 30);
  e->DisabledFontColor = Colour(150, 160, 175);
}

// The elements of the buttons, check and radio boxes and the slider (pictures 3 to 5).
inline void AddButtonElements(TvlSkinData& skin, const Tone& tone, bool alt) {
  const std::uint32_t key = Rgb(255, 0, 255), white = Rgb(255, 255, 255);
  const std::uint32_t back = alt ? Rgb(236, 244, 238) : Rgb(236, 240, 246);
  const std::uint32_t border = alt ? Rgb(132, 178, 146) : Rgb(143, 163, 191);
  auto picture = NewPicture(256, 160, key);
  Painter p(*picture);
  // Button states and the animation frames between normal and hover.
  struct State {
    std::uint32_t edge, inner, fill;
  };
  const State states[] = {{border, white, Rgb(246, 248, 251)},
                          {tone.Accent(40), white, alt ? Rgb(226, 243, 231) : Rgb(229, 239, 251)},
                          {tone.Accent(), Rgb(214, 228, 246), alt ? Rgb(200, 230, 210) : Rgb(204, 222, 245)},
                          {Rgb(206, 211, 218), Rgb(246, 247, 249), Rgb(240, 242, 245)},
                          {tone.Accent(), tone.Accent(80), white}};
  for (int i = 0; i < 5; ++i) Box(p, 40 * i, 0, 40 * i + 40, 24, states[i].edge, states[i].inner, states[i].fill, back);
  for (int i = 0; i < 3; ++i) {
    const int mix = 60 * (i + 1);
    Box(p, 40 * i, 24, 40 * i + 40, 48, tone.Accent(mix), white, Rgb(246 - 4 * i, 248 - 3 * i, 251), back);
  }
  // Tool button states: flat face, framed hover and down, pale disabled.
  const State tools[] = {{back, back, back},
                         {tone.Accent(50), white, alt ? Rgb(226, 243, 231) : Rgb(229, 239, 251)},
                         {tone.Accent(), Rgb(214, 228, 246), alt ? Rgb(200, 230, 210) : Rgb(204, 222, 245)},
                         {back, back, back}};
  for (int i = 0; i < 4; ++i) Box(p, 25 * i, 48, 25 * i + 25, 73, tools[i].edge, tools[i].inner, tools[i].fill, back);
  // Check pictures: a rounded white box with a mark; radio pictures: a ring with a dot.
  const std::uint32_t off = Rgb(190, 198, 208);
  const std::uint32_t checkEdges[] = {tone.Accent(-20), border, tone.Accent(20), tone.Accent(20), off, off};
  for (int i = 0; i < 6; ++i) {
    const int l = 16 * i;
    const bool checked = i % 2 == 0;
    const std::uint32_t edge = checkEdges[i];
    const std::uint32_t fill = i >= 4 ? Rgb(242, 244, 247) : (checked ? tone.Accent(i == 2 ? 20 : 0) : white);
    Box(p, l + 1, 81, l + 15, 95, edge, fill, fill, key);
    if (checked) CheckMark(p, l + 1, 81, i >= 4 ? Rgb(255, 255, 255) : white);
    Disc(p, l + 8, 104, 7, edge);
    Disc(p, l + 8, 104, 6, i >= 4 ? Rgb(242, 244, 247) : white);
    if (checked) Disc(p, l + 8, 104, 3.5, i >= 4 ? off : tone.Accent(i == 2 ? 20 : 0));
  }
  // The non-flat box: a framed strip, pale blue under the mouse.
  Box(p, 0, 112, 100, 136, border, white, Rgb(246, 248, 251), back);
  Box(p, 100, 112, 200, 136, tone.Accent(40), white, alt ? Rgb(226, 243, 231) : Rgb(229, 239, 251), back);
  // Slider: a rounded groove, a ringed thumb in two states.
  p.Fill(0, 140, 40, 146, back);
  Box(p, 0, 141, 40, 145, Rgb(190, 200, 214), Rgb(214, 222, 232), Rgb(214, 222, 232), back);
  p.Fill(80, 120, 86, 160, back);
  Box(p, 81, 120, 85, 160, Rgb(190, 200, 214), Rgb(214, 222, 232), Rgb(214, 222, 232), back);
  for (int i = 0; i < 2; ++i)
    for (int x : {40, 88}) {
      const double cx = x + 16 * i + 8, cy = 144;
      Disc(p, cx, cy, 7.5, i == 0 ? tone.Accent() : tone.Accent(-30));
      Disc(p, cx, cy, 5.5, i == 0 ? white : Rgb(214, 228, 246));
    }

  // The glow: an accent halo 6 pixels around the button, its mask strongest next to the
  // button and clear over it.
  auto glow = NewPicture(52, 36, tone.Accent(60));
  auto glowMask = NewPicture(52, 36, Rgb(0, 0, 0));
  for (int y = 0; y < 36; ++y)
    for (int x = 0; x < 52; ++x) {
      const int dx = std::max({6 - x, x - 45, 0}), dy = std::max({6 - y, y - 29, 0});
      const int d = std::max(dx, dy);
      const int v = d == 0 ? 0 : std::max(0, 200 - 35 * (d - 1));
      Painter(*glowMask).Set(x, y, Rgb(v, v, v));
    }

  const int first = static_cast<int>(skin.FActivePictures.size());
  skin.FActivePictures.push_back(std::move(picture));
  skin.FActivePictures.push_back(std::move(glow));
  skin.FActivePictures.push_back(std::move(glowMask));
  for (const char* name : {"buttons.bmp", "glow.bmp", "glowmask.bmp"}) skin.FActivePicturesNames->Add(name);

  // The push button, and the same faces as one fixed image, an animated one and one whose glow
  // lies outside the skin.
  auto addButton = [&](const char* name) {
    auto* b = Add<TvlDataSkinButtonControl>(skin, name);
    SetNine(b, TRect{0, 0, 40, 24}, TPoint{6, 6}, TPoint{34, 6}, TPoint{6, 18}, TPoint{34, 18}, TRect{3, 3, 37, 21});
    b->PictureIndex = first;
    b->ActiveSkinRect = TRect{40, 0, 80, 24};
    b->DownSkinRect = TRect{80, 0, 120, 24};
    b->DisabledSkinRect = TRect{120, 0, 160, 24};
    b->FocusedSkinRect = TRect{160, 0, 200, 24};
    b->Morphing = true;
    SetButtonLook(b, tone);
    b->GlowLayerPictureIndex = first + 1;
    b->GlowLayerMaskPictureIndex = first + 2;
    b->GlowLayerOffsetLeft = b->GlowLayerOffsetRight = 6;
    b->GlowLayerOffsetTop = b->GlowLayerOffsetBottom = 6;
    b->GlowLayerShowOffsetX = b->GlowLayerShowOffsetY = 6;
    b->GlowLayerAlphaBlendValue = 200;
    return b;
  };
  addButton("button");
  auto* fixed = addButton("fixedbutton");
  fixed->LTPoint = fixed->RTPoint = fixed->LBPoint = fixed->RBPoint = TPoint{};
  fixed->Morphing = false;
  auto* animated = addButton("animbutton");
  animated->Morphing = false;
  animated->AnimateSkinRect = TRect{0, 24, 120, 48};
  animated->FrameCount = 3;
  animated->AnimateInterval = 30;
  auto* badGlow = addButton("badglowbutton");
  badGlow->GlowLayerPictureIndex = 77;
  badGlow->GlowLayerMaskPictureIndex = -3;

  auto* tool = Add<TvlDataSkinButtonControl>(skin, "toolbutton");
  SetNine(tool, TRect{0, 48, 25, 73}, TPoint{5, 5}, TPoint{20, 5}, TPoint{5, 20}, TPoint{20, 20}, TRect{2, 2, 23, 23});
  tool->PictureIndex = first;
  tool->ActiveSkinRect = TRect{25, 48, 50, 73};
  tool->DownSkinRect = TRect{50, 48, 75, 73};
  tool->DisabledSkinRect = TRect{75, 48, 100, 73};
  tool->Morphing = true;
  SetButtonLook(tool, tone);
  tool->DisabledFontColor = tool->FontColor;  // falls back to grey

  for (bool radio : {false, true}) {
    auto* box = Add<TvlDataSkinCheckRadioControl>(skin, radio ? "radiobox" : "checkbox");
    SetNine(box, TRect{0, 112, 100, 136}, TPoint{10, 0}, TPoint{90, 0}, TPoint{}, TPoint{}, TRect{3, 3, 97, 21});
    box->PictureIndex = first;
    box->ActiveSkinRect = TRect{100, 112, 200, 136};
    box->CheckImageArea = TRect{4, 4, 20, 20};
    box->TextArea = TRect{24, 0, 96, 24};
    const int top = radio ? 96 : 80;
    box->CheckImageRect = TRect{0, top, 16, top + 16};
    box->UnCheckImageRect = TRect{16, top, 32, top + 16};
    box->ActiveCheckImageRect = TRect{32, top, 48, top + 16};
    box->ActiveUnCheckImageRect = TRect{48, top, 64, top + 16};
    box->UnEnabledCheckImageRect = TRect{64, top, 80, top + 16};
    box->UnEnabledUnCheckImageRect = TRect{80, top, 96, top + 16};
    box->FontName = "Tahoma";
    box->FontHeight = 14;
    box->FontColor = Colour(31, 58, 95);
    box->ActiveFontColor = Colour(tone.r - 20, tone.g - 20, tone.b - 20);
    box->FrameFontColor = Colour(31, 58, 95);
    box->UnEnabledFontColor = Colour(150, 160, 175);
    box->Morphing = true;
  }

  auto* slider = Add<TvlDataSkinSlider>(skin, "slider");
  slider->PictureIndex = first;
  slider->SkinRect = TRect{0, 136, 40, 152};
  slider->HRulerRect = TRect{0, 140, 40, 146};
  slider->HThumbRect = TRect{40, 136, 72, 152};
  slider->VRulerRect = TRect{80, 120, 86, 160};
  slider->VThumbRect = TRect{88, 136, 120, 152};
  slider->EdgeSize = 3;
  slider->BGColor = alt ? Colour(236, 244, 238) : Colour(236, 240, 246);
  slider->PointsColor = alt ? Colour(132, 178, 146) : Colour(143, 163, 191);
}

// The elements of scroll bars, views, header, tool and status bars (picture 6).
inline void AddBarElements(TvlSkinData& skin, const Tone& tone, bool alt) {
  const std::uint32_t key = Rgb(255, 0, 255), white = Rgb(255, 255, 255);
  const std::uint32_t track = alt ? Rgb(236, 244, 238) : Rgb(238, 242, 247);
  const std::uint32_t border = alt ? Rgb(132, 178, 146) : Rgb(143, 163, 191);
  const std::uint32_t hover = alt ? Rgb(226, 243, 231) : Rgb(229, 239, 251);
  const std::uint32_t down = alt ? Rgb(200, 230, 210) : Rgb(204, 222, 245);
  auto picture = NewPicture(300, 112, key);
  Painter p(*picture);
  auto arrow = [&](int cx, int cy, int dir, std::uint32_t c) { Arrow(p, cx, cy, dir, c); };
  auto bar = [&](int l, int t, int length, bool vertical, bool both) {
    const int w = vertical ? 15 : length, h = vertical ? length : 15;
    p.Fill(l, t, l + w, t + h, track);
    if (vertical) {
      arrow(l + 7, t + 7, 2, tone.Accent(-20));
      arrow(l + 7, t + 72, 3, tone.Accent(-20));
    } else {
      arrow(l + 7, t + 7, 0, tone.Accent(-20));
      arrow(l + 72, t + 7, 1, tone.Accent(-20));
    }
    if (both) {
      p.Fill(l + 80, t, l + 95, t + 15, Rgb(226, 232, 240));
      for (int d = 0; d < 3; ++d) p.Fill(l + 90 - 3 * d, t + 10, l + 92 - 3 * d, t + 12, border);
    }
  };
  bar(0, 0, 80, false, false);
  bar(0, 48, 80, false, true);
  bar(200, 0, 80, true, false);
  // Hover and pressed arrow buttons.
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t fill = i % 2 == 0 ? hover : down;
    Box(p, 15 * i, 16, 15 * i + 15, 31, tone.Accent(40), fill, fill, track);
    arrow(15 * i + 7, 23, i < 2 ? 0 : 1, tone.Accent(-30));
    Box(p, 220, 15 * i, 235, 15 * i + 15, tone.Accent(40), fill, fill, track);
    arrow(227, 15 * i + 7, i < 2 ? 2 : 3, tone.Accent(-30));
  }
  // Thumbs: a rounded bar on the track colour, normal, hover and pressed.
  const std::uint32_t thumbs[] = {Rgb(195, 204, 216), tone.Accent(70), tone.Accent(20)};
  for (int i = 0; i < 3; ++i) {
    p.Fill(24 * i, 32, 24 * i + 24, 47, track);
    Box(p, 24 * i + 1, 35, 24 * i + 23, 44, thumbs[i], thumbs[i], thumbs[i], track);
    p.Fill(240 + 15 * i, 0, 255 + 15 * i, 24, track);
    Box(p, 240 + 15 * i + 3, 1, 240 + 15 * i + 12, 23, thumbs[i], thumbs[i], thumbs[i], track);
  }
  // Header and arrow buttons: a light face with a line at the bottom, hover and pressed.
  const std::uint32_t faces[] = {Rgb(247, 249, 252), hover, down};
  for (int i = 0; i < 3; ++i) {
    p.Fill(40 * i, 64, 40 * i + 40, 86, faces[i]);
    p.Fill(40 * i, 85, 40 * i + 40, 86, border);
    p.Fill(40 * i + 39, 68, 40 * i + 40, 82, border);
  }
  // Tool bar: a soft band with a light top line; status bar: a band with a line on top.
  for (int y = 64; y < 94; ++y) p.Fill(120, y, 180, y + 1, alt ? Rgb(240 - (y - 64) / 3, 247, 241) : Rgb(244 - (y - 64) / 3, 247 - (y - 64) / 4, 251));
  p.Fill(120, 64, 180, 65, white);
  p.Fill(120, 93, 180, 94, border);
  p.Fill(180, 88, 240, 110, Rgb(238, 242, 247));
  p.Fill(180, 88, 240, 89, border);
  for (int d = 0; d < 3; ++d)
    for (int e = 0; e <= d; ++e) p.Fill(249 - 4 * e, 103 - 4 * (d - e), 251 - 4 * e, 105 - 4 * (d - e), border);

  const int index = static_cast<int>(skin.FActivePictures.size());
  skin.FActivePictures.push_back(std::move(picture));
  skin.FActivePicturesNames->Add("bars.bmp");

  auto scroll = [&](const char* name, TRect r, bool vertical) {
    auto* e = Add<TvlDataSkinScrollBarControl>(skin, name);
    e->PictureIndex = index;
    e->SkinRect = r;
    if (vertical) {
      // Resize mode 3: the bar keeps the element's width.
      e->LTPoint = {0, 15}, e->LBPoint = {0, 65};
      e->ClRect = e->TrackArea = TRect{0, 15, 15, 65};
      e->DownButtonRect = TRect{0, 0, 15, 15};
      e->UpButtonRect = TRect{0, 65, 15, 80};
      e->ActiveDownButtonRect = TRect{220, 0, 235, 15};
      e->DownDownButtonRect = TRect{220, 15, 235, 30};
      e->ActiveUpButtonRect = TRect{220, 30, 235, 45};
      e->DownUpButtonRect = TRect{220, 45, 235, 60};
      e->ThumbRect = TRect{240, 0, 255, 24};
      e->ActiveThumbRect = TRect{255, 0, 270, 24};
      e->DownThumbRect = TRect{270, 0, 285, 24};
    } else {
      // Resize mode 2: the bar keeps the element's height.
      e->LTPoint = {15, 0}, e->RTPoint = {65, 0};
      e->ClRect = e->TrackArea = TRect{15, 0, 65, 15};
      e->DownButtonRect = TRect{0, 0, 15, 15};
      e->UpButtonRect = TRect{65, 0, 80, 15};
      e->ActiveDownButtonRect = TRect{0, 16, 15, 31};
      e->DownDownButtonRect = TRect{15, 16, 30, 31};
      e->ActiveUpButtonRect = TRect{30, 16, 45, 31};
      e->DownUpButtonRect = TRect{45, 16, 60, 31};
      e->ThumbRect = TRect{0, 32, 24, 47};
      e->ActiveThumbRect = TRect{24, 32, 48, 47};
      e->DownThumbRect = TRect{48, 32, 72, 47};
    }
    e->LeftStretch = e->TopStretch = e->RightStretch = e->BottomStretch = true;
    e->StretchEffect = true;
    e->ThumbOffset1 = e->ThumbOffset2 = 4;
    e->ThumbStretchEffect = true;
    e->ThumbMinSize = 20;
  };
  scroll("hscrollbar", TRect{0, 0, 80, 15}, false);
  scroll("bothhscrollbar", TRect{0, 48, 95, 63}, false);
  scroll("vscrollbar", TRect{200, 0, 215, 80}, true);

  for (const char* name : {"resizetoolbutton", "resizebutton"}) {
    auto* b = Add<TvlDataSkinButtonControl>(skin, name);
    SetNine(b, TRect{0, 64, 40, 86}, TPoint{4, 4}, TPoint{36, 4}, TPoint{4, 18}, TPoint{36, 18}, TRect{2, 2, 38, 20});
    b->PictureIndex = index;
    b->ActiveSkinRect = TRect{40, 64, 80, 86};
    b->DownSkinRect = TRect{80, 64, 120, 86};
    b->StretchEffect = true;
    b->LeftStretch = b->TopStretch = b->RightStretch = b->BottomStretch = true;
    SetButtonLook(b, tone);
  }
  auto* tool = Add<TvlDataSkinPanelControl>(skin, "toolpanel");
  SetNine(tool, TRect{120, 64, 180, 94}, TPoint{8, 0}, TPoint{52, 0}, TPoint{}, TPoint{}, TRect{2, 3, 58, 27});
  tool->PictureIndex = index;
  tool->StretchEffect = true;
  auto* status = Add<TvlDataSkinPanelControl>(skin, "statusbar");
  SetNine(status, TRect{180, 88, 240, 110}, TPoint{6, 4}, TPoint{54, 4}, TPoint{6, 18}, TPoint{54, 18},
          TRect{4, 3, 56, 21});
  status->PictureIndex = index;
  status->GripperRect = TRect{240, 94, 252, 106};
  status->GripperTransparent = true;
  status->GripperTransparentColor = Colour(255, 0, 255);
  status->FontName = "Tahoma";
  status->FontColor = Colour(31, 58, 95);

  auto* list = Add<TvlDataSkinListView>(skin, "listview");
  list->FontName = "Tahoma";
  list->FontHeight = 14;
  list->FontColor = Colour(31, 58, 95);
  list->BGColor = alt ? Colour(250, 253, 251) : Colour(252, 253, 255);
  auto* tree = Add<TvlDataSkinTreeView>(skin, "treeview");
  tree->FontName = "Tahoma";
  tree->FontHeight = 14;
  tree->FontColor = Colour(31, 58, 95);
  tree->BGColor = alt ? Colour(250, 253, 251) : Colour(252, 253, 255);
}

// The elements of list boxes and up-downs (picture 7).
inline void AddListElements(TvlSkinData& skin, const Tone& tone, bool alt) {
  const std::uint32_t key = Rgb(255, 0, 255), white = Rgb(255, 255, 255);
  const std::uint32_t border = alt ? Rgb(132, 178, 146) : Rgb(143, 163, 191);
  const std::uint32_t hover = alt ? Rgb(226, 243, 231) : Rgb(229, 239, 251);
  const std::uint32_t down = alt ? Rgb(200, 230, 210) : Rgb(204, 222, 245);
  const std::uint32_t face = Rgb(247, 249, 252);
  auto picture = NewPicture(220, 150, key);
  Painter p(*picture);
  // The list frame and its item strips: plain, a soft selection, the accent when focused.
  Box(p, 0, 0, 60, 60, border, white, white, border);
  p.Fill(64, 0, 124, 20, white);
  Box(p, 64, 20, 124, 40, tone.Accent(60), hover, hover, white);
  Box(p, 64, 40, 124, 60, tone.Accent(-10), tone.Accent(10), tone.Accent(10), white);
  // The captioned list: a band in the accent over the same frame, three buttons on it.
  Box(p, 0, 64, 80, 144, border, white, white, border);
  for (int y = 1; y < 23; ++y) p.Fill(1, 64 + y, 79, 65 + y, tone.Accent(std::max(0, 36 - y * 2)));
  p.Fill(1, 64 + 23, 79, 64 + 24, tone.Accent(-20));
  auto glyphs = [&](int l, int t, int which, std::uint32_t c) {
    if (which == 2)
      CheckMark(p, l + 2, t + 2, c);
    else
      Arrow(p, l + 8, t + 8, which == 0 ? 2 : 3, c);
  };
  for (int i = 0; i < 3; ++i) {
    const int l = 28 + 16 * (2 - i);  // up, down, check from the right
    glyphs(l, 64 + 3, i, white);
    for (int state = 0; state < 2; ++state) {
      const int x = 84 + 16 * state, y = 64 + 16 * i;
      const std::uint32_t fill = state == 0 ? tone.Accent(50) : tone.Accent(-30);
      Box(p, x, y, x + 16, y + 16, tone.Accent(70), fill, fill, tone.Accent(20));
      glyphs(x, y, i, white);
    }
  }
  for (int y = 3; y < 19; ++y) p.Fill(84, 109 + y, 132, 110 + y, tone.Accent(std::max(0, 36 - y * 2)));
  // Up-downs: light faces with an arrow, hover and pressed.
  auto updown = [&](int l, int t, int w, int h, int dir, std::uint32_t fill) {
    Box(p, l, t, l + w, t + h, border, fill, fill, Rgb(214, 222, 233));
    Arrow(p, l + w / 2, t + h / 2, dir, tone.Accent(-30));
  };
  updown(136, 0, 18, 18, 0, face);
  updown(154, 0, 18, 18, 1, face);
  for (int state = 0; state < 2; ++state) {
    const std::uint32_t fill = state == 0 ? hover : down;
    updown(172 + 18 * state, 0, 18, 18, 1, fill);
    updown(172 + 18 * state, 20, 18, 18, 0, fill);
    updown(156 + 16 * state, 40, 16, 12, 2, fill);
    updown(156 + 16 * state, 52, 16, 12, 3, fill);
  }
  updown(136, 40, 16, 12, 2, face);
  updown(136, 52, 16, 12, 3, face);

  const int index = static_cast<int>(skin.FActivePictures.size());
  skin.FActivePictures.push_back(std::move(picture));
  skin.FActivePicturesNames->Add("lists.bmp");

  auto list = [&](const char* name, TRect r, TPoint lt, TPoint rt, TPoint lb, TPoint rb, TRect cl) {
    auto* e = Add<TvlDataSkinListBox>(skin, name);
    SetNine(e, r, lt, rt, lb, rb, cl);
    e->PictureIndex = index;
    e->LeftStretch = e->TopStretch = e->RightStretch = e->BottomStretch = true;
    e->SItemRect = TRect{64, 0, 124, 20};
    e->ActiveItemRect = TRect{64, 20, 124, 40};
    e->FocusItemRect = TRect{64, 40, 124, 60};
    e->ItemLeftOffset = e->ItemRightOffset = 4;
    e->ItemTextRect = TRect{6, 0, 54, 20};
    e->FontName = "Tahoma";
    e->FontHeight = 14;
    e->FontColor = Colour(31, 58, 95);
    e->ActiveFontColor = Colour(tone.r - 30, tone.g - 30, tone.b - 30);
    e->FocusFontColor = Colour(255, 255, 255);
    e->CaptionFontName = "Tahoma";
    e->CaptionFontHeight = 14;
    e->CaptionFontStyle = TFontStyles{TFontStyle::fsBold};
    e->CaptionFontColor = Colour(255, 255, 255);
    return e;
  };
  list("listbox", TRect{0, 0, 60, 60}, TPoint{4, 4}, TPoint{56, 4}, TPoint{4, 56}, TPoint{56, 56},
       TRect{2, 2, 58, 58});
  auto* captioned = list("captionlistbox", TRect{0, 64, 80, 144}, TPoint{4, 24}, TPoint{24, 24}, TPoint{4, 76},
                         TPoint{76, 76}, TRect{2, 24, 78, 78});
  captioned->CaptionRect = TRect{4, 2, 24, 22};
  captioned->UpButtonRect = TRect{60, 3, 76, 19};
  captioned->DownButtonRect = TRect{44, 3, 60, 19};
  captioned->CheckButtonRect = TRect{28, 3, 44, 19};
  captioned->ActiveUpButtonRect = TRect{84, 64, 100, 80};
  captioned->DownUpButtonRect = TRect{100, 64, 116, 80};
  captioned->ActiveDownButtonRect = TRect{84, 80, 100, 96};
  captioned->DownDownButtonRect = TRect{100, 80, 116, 96};
  captioned->ActiveCheckButtonRect = TRect{84, 96, 100, 112};
  captioned->DownCheckButtonRect = TRect{100, 96, 116, 112};
  captioned->DisabledButtonsRect = TRect{84, 112, 132, 128};
  captioned->ButtonsArea = TRect{28, 3, 76, 19};

  auto updownElement = [&](const char* name, TRect r, TRect up, TRect dn, TRect activeUp, TRect downUp,
                           TRect activeDown, TRect downDown) {
    auto* e = Add<TvlDataSkinUpDownControl>(skin, name);
    e->PictureIndex = index;
    e->SkinRect = r;
    e->UpButtonRect = up;
    e->DownButtonRect = dn;
    e->ActiveUpButtonRect = activeUp;
    e->DownUpButtonRect = downUp;
    e->ActiveDownButtonRect = activeDown;
    e->DownDownButtonRect = downDown;
  };
  updownElement("hupdown", TRect{136, 0, 172, 18}, TRect{18, 0, 36, 18}, TRect{0, 0, 18, 18},
                TRect{172, 0, 190, 18}, TRect{190, 0, 208, 18}, TRect{172, 20, 190, 38}, TRect{190, 20, 208, 38});
  updownElement("vupdown", TRect{136, 40, 152, 64}, TRect{0, 0, 16, 12}, TRect{0, 12, 16, 24},
                TRect{156, 40, 172, 52}, TRect{172, 40, 188, 52}, TRect{156, 52, 172, 64}, TRect{172, 52, 188, 64});
}

// The program's built-in slider pictures ("VL_HTB", "VL_HRL", "VL_VTB", "VL_VRL") drawn as
// stand-ins and registered as resources, for test programs built without the program's own.
// The first registration of a name stays, so the program's pictures win where they exist.
inline void RegisterSliderPictures() {
  static bool done = false;
  if (done) return;
  done = true;
  static std::vector<std::vector<std::uint8_t>> storage;
  const std::uint32_t key = Rgb(255, 0, 255), groove = Rgb(160, 172, 188), light = Rgb(226, 232, 240);
  auto add = [](const char* name, TBitmap& b) {
    TMemoryStream s;
    b.SaveToStream(&s);
    const auto* bytes = static_cast<const std::uint8_t*>(s.Memory());
    storage.emplace_back(bytes, bytes + s.Size());
    static std::vector<std::unique_ptr<TResourceRegistration>> registrations;
    registrations.push_back(
        std::make_unique<TResourceRegistration>(name, RT_BITMAP, storage.back().data(), storage.back().size()));
  };
  // Thumbs: a pointed tab in two states (normal, pressed), the key colour around it.
  for (bool vertical : {false, true}) {
    const int w = vertical ? 19 : 9, h = vertical ? 9 : 17;
    auto thumb = NewPicture(2 * w, h, key);
    Painter p(*thumb);
    for (int s = 0; s < 2; ++s) {
      const std::uint32_t edge = s ? Rgb(40, 80, 140) : Rgb(90, 110, 140);
      const std::uint32_t face = s ? Rgb(196, 214, 238) : Rgb(246, 248, 251);
      const int l = s * w;
      p.Fill(l + 1, 1, l + w - 1, h - 1, face);
      p.Frame(l, 0, l + w, h - 1, edge);
    }
    add(vertical ? "VL_VTB" : "VL_HTB", *thumb);
  }
  auto hr = NewPicture(10, 8, key);
  Painter(*hr).Fill(0, 3, 10, 5, groove);
  Painter(*hr).Fill(0, 5, 10, 6, light);
  add("VL_HRL", *hr);
  auto vr = NewPicture(8, 10, key);
  Painter(*vr).Fill(3, 0, 5, 10, groove);
  Painter(*vr).Fill(5, 0, 6, 10, light);
  add("VL_VRL", *vr);
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

  AddButtonElements(skin, tone, alt);
  AddBarElements(skin, tone, alt);
  AddListElements(skin, tone, alt);

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
  caption->TextRct = TRect{4, 0, W - 70 - 4, C - 4};
  caption->Alignment = TAlignment::taLeftJustify;
  caption->FontName = "Tahoma";
  caption->FontHeight = 14;
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

// A system-menu button at the caption's left (it shows the form's icon with ShowIcon).
inline void AddSystemMenuButton(TvlSkinData& skin) {
  auto b = std::make_unique<TvlDataSkinStdButton>("sysmenubutton");
  b->SkinRectInAPicture = true;
  b->ActivePictureIndex = static_cast<int>(skin.FActivePictures.size()) - 1;  // the caption buttons
  b->SkinRect = TRect{18, 0, 36, 18};
  b->Command = TvlStdCommand::cmSysMenu;
  skin.ObjectList.push_back(std::move(b));
}

// A layered outer frame: a soft shadow around the form, picture 201 x 175 whose rectangle
// (34, 31)-(167, 144) stands for the form, corner points (46, 43), (158, 43), (42, 133),
// (160, 133), full opacity, no grab border (the windows let the mouse through).
constexpr TRect kLayerClRect{34, 31, 167, 144};
inline void AddLayeredFrame(TvlSkinData& skin) {
  constexpr int w = 201, h = 175;
  auto picture = NewPicture(w, h, Rgb(30, 44, 70));
  auto mask = NewPicture(w, h, Rgb(0, 0, 0));
  const TRect& c = kLayerClRect;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (c.Contains(TPoint{x, y})) continue;  // the form: no shadow
      const int dx = x < c.Left ? c.Left - x : (x >= c.Right ? x - c.Right + 1 : 0);
      const int dy = y < c.Top ? c.Top - y : (y >= c.Bottom ? y - c.Bottom + 1 : 0);
      const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
      const double f = std::max(0.0, 1.0 - d / 30.0);
      const int a = static_cast<int>(150 * f * f);
      Painter(*mask).Set(x, y, Rgb(a, a, a));
    }
  const int base = static_cast<int>(skin.FActivePictures.size());
  skin.FActivePictures.push_back(std::move(picture));
  skin.FActivePictures.push_back(std::move(mask));
  skin.FActivePicturesNames->Add("layerframe.bmp");
  skin.FActivePicturesNames->Add("layerframemask.bmp");
  TvlDataSkinLayerFrame* f = skin.LayerFrame.get();
  f->PictureIndex = base;
  f->MaskPictureIndex = base + 1;
  f->LTPoint = {46, 43};
  f->RTPoint = {158, 43};
  f->LBPoint = {42, 133};
  f->RBPoint = {160, 133};
  f->ClRect = c;
  f->AlphaBlendValue = f->InActiveAlphaBlendValue = 255;
  f->BorderRect = TRect{};
  f->HitTestEnable = false;
}

// What Load adds besides the controls and the form frame (bits).
constexpr unsigned kMenusAndHints = 1, kSystemMenuButton = 2, kLayeredFrame = 4;

// Loads the variant, with its form frame (and the extras), into Target through the container's
// own stored-skin load, so that Target sends its three skin-change messages as on any skin
// change.
inline void Load(TvlSkinData& Target, Variant variant = Variant::Standard, unsigned extras = 0) {
  TvlSkinData scratch(nullptr);
  Fill(scratch, variant);
  AddFrame(scratch, variant);
  if (extras & kSystemMenuButton) AddSystemMenuButton(scratch);
  if (extras & kMenusAndHints) AddMenus(scratch, variant);
  if (extras & kLayeredFrame) AddLayeredFrame(scratch);
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
