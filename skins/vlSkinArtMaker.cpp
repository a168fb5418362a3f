#include "skins/vlSkinArtMaker.h"

#include "platform/graphics/Bitmap.h"
#include "platform/core/Strings.h"

namespace vlart {

namespace {

constexpr Face kStates[] = {Face::Normal, Face::Hover, Face::Down, Face::Disabled, Face::Focused};
constexpr TvlArgb kMarkerKey = vlHex(0xFF00FF);
constexpr TvlArgb kTrack = vlHex(0xEEF1F4);

TvlArtCanvas Blank(int W, int H, TvlArgb Back) { return TvlArtCanvas(W, H, Back); }

}  // namespace

int Maker::AddPicture(const std::string& FileName, const TvlArtCanvas& Picture, bool Alpha) {
  pictures_.push_back({FileName, Picture, Alpha});
  return static_cast<int>(pictures_.size());
}

void Maker::FinishAtlas(const std::string& FileName) {
  auto add = [&](const std::string& name, const TvlArtCanvas& picture, bool alpha) {
    auto bitmap = std::make_unique<TBitmap>();
    if (alpha)
      picture.ToBitmap32(bitmap.get(), 0);
    else
      picture.ToBitmap24(bitmap.get(), kWindow);
    skin->FActivePictures.push_back(std::move(bitmap));
    skin->FActivePicturesNames->Add(name);
  };
  add(FileName, atlas.Finish(kWindow), false);
  for (const Pending& p : pictures_) add(p.Name, p.Picture, p.Alpha);
}

std::vector<TvlArtCanvas> FaceStates(int W, int H, FaceStyle Style, TvlArgb Back) {
  std::vector<TvlArtCanvas> states;
  for (Face f : kStates) {
    TvlArtCanvas c = Blank(W, H, Back);
    DrawFace(c, 0, 0, W, H, Style, f);
    states.push_back(std::move(c));
  }
  return states;
}

namespace {

// The drop-down arrow: rows of 7, 5, 3 and 1 pixels with the top row at (X, Y), crisp (a marker
// is cut out by its key colour, so it has no soft edge).
void DrawDropArrow(TvlArtCanvas& C, int X, int Y, TvlArgb Colour) {
  for (int row = 0; row < 4; ++row) C.PutRect(X + row, Y + row, X + 7 - row, Y + row + 1, Colour);
}

}  // namespace

void AddMenuMarkers(Maker& M, TvlDataSkinButtonControl& E) {
  // Flat (at rest on a transparent button), normal, hover and pressed, on the key colour.
  std::vector<TvlArtCanvas> markers;
  for (TvlArgb c : {kTextSoft, kTextSoft, kAccentText, kAccentText}) {
    TvlArtCanvas m = Blank(9, 9, kMarkerKey);
    DrawDropArrow(m, 1, 3, c);
    markers.push_back(std::move(m));
  }
  const std::vector<TRect> r = M.atlas.AddRow(markers);
  E.MenuMarkerFlatRect = r[0];
  E.MenuMarkerRect = r[1];
  E.MenuMarkerActiveRect = r[2];
  E.MenuMarkerDownRect = r[3];
  E.MenuMarkerTransparentColor = vlToTColor(kMarkerKey);
}

TvlDataSkinButtonControl* AddButton(Maker& M, const std::string& Name, int W, int H, int Margin, FaceStyle Style,
                                    TvlArgb Back, ButtonKind Kind) {
  const bool menu = Kind == ButtonKind::Menu || Kind == ButtonKind::SplitMenu;
  std::vector<TvlArtCanvas> faces = FaceStates(W, H, Style, Back);
  if (menu) {
    // The track part at the right carries the arrow (and, split, a divider once the face shows).
    const int track = W - kTrackWidth;
    for (std::size_t i = 0; i < faces.size(); ++i) {
      const Face f = kStates[i];
      if (Kind == ButtonKind::SplitMenu && f != Face::Normal && f != Face::Disabled)
        faces[i].VLine(track, 4, H - 4, f == Face::Down ? kAccent : kHoverBorder);
      DrawDropArrow(faces[i], track + 3, H / 2 - 1, f == Face::Normal || f == Face::Focused ? kTextSoft : FaceText(f));
    }
  }
  const std::vector<TRect> r = M.atlas.AddRow(faces);
  TvlDataSkinButtonControl* e = menu ? M.Control<TvlDataSkinMenuButtonControl>(Name)
                                     : M.Control<TvlDataSkinButtonControl>(Name);
  SetNineParts(*e, r[0], Margin);
  if (menu) {
    // Any width at the element's height: the left end and the track part stay as drawn, so
    // that the track part follows the right edge.
    e->LTPoint = {Margin, 0};
    e->RTPoint = {W - kTrackWidth, 0};
    e->LBPoint = e->RBPoint = TPoint{0, 0};
    e->ClRect = TRect{4, 0, W - kTrackWidth, H};
    static_cast<TvlDataSkinMenuButtonControl*>(e)->TrackButtonRect = TRect{W - kTrackWidth, 0, W, H};
  }
  e->ActiveSkinRect = r[1];
  e->DownSkinRect = r[2];
  e->DisabledSkinRect = r[3];
  e->FocusedSkinRect = r[4];
  SetFont(*e, kText);
  e->ActiveFontColor = vlToTColor(kAccentText);
  e->DownFontColor = vlToTColor(kAccentText);
  e->DisabledFontColor = vlToTColor(kTextOff);
  e->Morphing = true;
  e->MorphKind = TvlMorphKind::mkDefault;
  e->ShowFocus = false;
  if (Kind != ButtonKind::Plain) AddMenuMarkers(M, *e);
  return e;
}

TvlDataSkinPanelControl* AddPanel(Maker& M, const std::string& Name, const TvlArtCanvas& Image, int Margin,
                                  int MarginY) {
  auto* e = M.Control<TvlDataSkinPanelControl>(Name);
  SetNineParts(*e, M.atlas.Add(Image), Margin, MarginY);
  SetFont(*e, kText);
  e->Alignment = TAlignment::taLeftJustify;
  return e;
}

TvlArtCanvas CheckImage(bool Radio, int Checked, Face F, TvlArgb Back) {
  TvlArtCanvas c = Blank(16, 16, Back);
  const bool off = F == Face::Disabled, hot = F == Face::Hover || F == Face::Down;
  const TvlArgb accent = off ? kTextOff : (hot ? kAccentHover : kAccent);
  if (Radio) {
    if (Checked == 1) {
      c.FillEllipse(8, 8, 7.5, 7.5, accent);
      c.FillEllipse(8, 8, 3, 3, kWhite);
    } else {
      c.FillEllipse(8, 8, 7.5, 7.5, off ? kBorder : (hot ? kHoverBorder : kBorder));
      c.FillEllipse(8, 8, 6.5, 6.5, off ? kDisabledFace : (hot ? kHoverFace : kSurface));
    }
    return c;
  }
  if (Checked == 1) {
    c.FillRound(0, 0, 16, 16, kRadius, accent);
    DrawCheckMark(c, TRect{0, 0, 16, 16}, kWhite, 1.8);
  } else {
    c.FillRound(0, 0, 16, 16, kRadius, off ? kDisabledFace : (hot ? kHoverFace : kSurface));
    c.StrokeRound(0, 0, 16, 16, kRadius, off ? kDisabledBorder : (hot ? kHoverBorder : kBorder));
    if (Checked == 2) c.FillRound(4, 7, 12, 9, 1, accent);
  }
  return c;
}

TvlDataSkinCheckRadioControl* AddCheckRadio(Maker& M, const std::string& Name, bool Radio, TvlArgb Back) {
  auto* e = M.Control<TvlDataSkinCheckRadioControl>(Name);
  const TRect bg = M.atlas.Add(Blank(40, 20, Back));
  SetNineParts(*e, bg, 4);
  e->ActiveSkinRect = bg;
  e->CheckImageArea = TRect{2, 2, 18, 18};
  e->TextArea = TRect{23, 0, 38, 20};
  const std::vector<TRect> r = M.atlas.AddRow({CheckImage(Radio, 1, Face::Normal, Back), CheckImage(Radio, 0, Face::Normal, Back),
                                               CheckImage(Radio, 1, Face::Hover, Back), CheckImage(Radio, 0, Face::Hover, Back),
                                               CheckImage(Radio, 1, Face::Disabled, Back),
                                               CheckImage(Radio, 0, Face::Disabled, Back)});
  e->CheckImageRect = r[0];
  e->UnCheckImageRect = r[1];
  e->ActiveCheckImageRect = r[2];
  e->ActiveUnCheckImageRect = r[3];
  e->UnEnabledCheckImageRect = r[4];
  e->UnEnabledUnCheckImageRect = r[5];
  if (!Radio) {
    const std::vector<TRect> g =
        M.atlas.AddRow({CheckImage(false, 2, Face::Normal, Back), CheckImage(false, 2, Face::Hover, Back)});
    e->GrayedCheckImageRect = g[0];
    e->ActiveGrayedCheckImageRect = g[1];
  }
  SetFont(*e, kText);
  e->ActiveFontColor = vlToTColor(kAccentText);
  e->UnEnabledFontColor = vlToTColor(kTextOff);
  e->FrameFontColor = vlToTColor(kTextSoft);
  e->Morphing = true;
  return e;
}

namespace {

// An arrow button of a scroll bar or up-down control in state F.
TvlArtCanvas ArrowButton(int W, int H, Arrow A, Face F, TvlArgb Back) {
  TvlArtCanvas c = Blank(W, H, Back);
  TvlArgb glyph = kTextSoft;
  if (F == Face::Hover) {
    c.FillRound(1, 1, W - 1, H - 1, kRadius, kHoverFace, kHoverFaceLow);
    c.StrokeRound(1, 1, W - 1, H - 1, kRadius, kHoverBorder);
    glyph = kAccentText;
  } else if (F == Face::Down) {
    c.FillRound(1, 1, W - 1, H - 1, kRadius, kDownFace, kDownFaceLow);
    c.StrokeRound(1, 1, W - 1, H - 1, kRadius, kAccent);
    glyph = kAccentDown;
  } else if (F == Face::Disabled) {
    glyph = kTextOff;
  }
  DrawArrow(c, TRect{0, 0, W, H}, A, glyph, 3.0);
  return c;
}

TvlArtCanvas Thumb(int W, int H, bool Vertical, Face F) {
  TvlArtCanvas c = Blank(W, H, kTrack);
  const TvlArgb fill = F == Face::Down ? kTextSoft : (F == Face::Hover ? kBorderStrong : vlHex(0xC3CAD3));
  if (Vertical)
    c.FillRound(3, 1, W - 3, H - 1, kRadius, fill);
  else
    c.FillRound(1, 3, W - 1, H - 3, kRadius, fill);
  return c;
}

}  // namespace

TvlDataSkinScrollBarControl* AddScrollBar(Maker& M, const std::string& Name, bool Vertical, bool Both) {
  constexpr int k = 15, track = 34;
  const int length = k + track + k + (Both ? k : 0);
  const int W = Vertical ? k : length, H = Vertical ? length : k;
  TvlArtCanvas bar = Blank(W, H, kTrack);
  // The up button raises the position: it is the far end's button (▼ or ►); the down button
  // lowers it and sits at the near end (▲ or ◄).
  const Arrow up = Vertical ? Arrow::Down : Arrow::Right, down = Vertical ? Arrow::Up : Arrow::Left;
  bar.Put(ArrowButton(k, k, down, Face::Normal, kTrack), 0, 0);
  const int downAt = k + track;
  if (Vertical)
    bar.Put(ArrowButton(k, k, up, Face::Normal, kTrack), 0, downAt);
  else
    bar.Put(ArrowButton(k, k, up, Face::Normal, kTrack), downAt, 0);
  if (Both) {
    // The square where a horizontal and a vertical bar meet, with a small size grip.
    TvlArtCanvas corner = Blank(k, k, kBar);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j <= i; ++j) corner.FillRect(10 - 3 * j, 10 - 3 * (i - j), 12 - 3 * j, 12 - 3 * (i - j), kBorder);
    bar.Put(corner, Vertical ? 0 : downAt + k, Vertical ? downAt + k : 0);
  }
  auto* e = M.Control<TvlDataSkinScrollBarControl>(Name);
  const TRect r = M.atlas.Add(bar);
  e->SkinRect = r;
  if (Vertical) {
    e->LTPoint = {0, k};
    e->RTPoint = {W, k};
    e->LBPoint = {0, downAt};
    e->RBPoint = {W, downAt};
    e->ClRect = TRect{0, k, W, downAt};
    e->TrackArea = TRect{0, k, W, downAt};
    e->DownButtonRect = TRect{0, 0, k, k};
    e->UpButtonRect = TRect{0, downAt, k, downAt + k};
  } else {
    e->LTPoint = {k, 0};
    e->RTPoint = {downAt, 0};
    e->LBPoint = {k, H};
    e->RBPoint = {downAt, H};
    e->ClRect = TRect{k, 0, downAt, H};
    e->TrackArea = TRect{k, 0, downAt, H};
    e->DownButtonRect = TRect{0, 0, k, k};
    e->UpButtonRect = TRect{downAt, 0, downAt + k, k};
  }
  e->LeftStretch = e->TopStretch = e->RightStretch = e->BottomStretch = true;
  e->StretchEffect = true;
  const std::vector<TRect> a = M.atlas.AddRow({ArrowButton(k, k, up, Face::Hover, kTrack), ArrowButton(k, k, up, Face::Down, kTrack),
                                               ArrowButton(k, k, down, Face::Hover, kTrack),
                                               ArrowButton(k, k, down, Face::Down, kTrack)});
  e->ActiveUpButtonRect = a[0];
  e->DownUpButtonRect = a[1];
  e->ActiveDownButtonRect = a[2];
  e->DownDownButtonRect = a[3];
  const int tw = Vertical ? k : 30, th = Vertical ? 30 : k;
  const std::vector<TRect> t = M.atlas.AddRow(
      {Thumb(tw, th, Vertical, Face::Normal), Thumb(tw, th, Vertical, Face::Hover), Thumb(tw, th, Vertical, Face::Down)});
  e->ThumbRect = t[0];
  e->ActiveThumbRect = t[1];
  e->DownThumbRect = t[2];
  e->ThumbOffset1 = 6;
  e->ThumbOffset2 = 6;
  e->ThumbStretchEffect = true;
  e->ThumbMinSize = 20;
  e->ThumbMinPageSize = 0;
  return e;
}

TvlDataSkinEditControl* AddEdit(Maker& M, const std::string& Name, bool WithButton, bool Memo) {
  constexpr int W = 60, H = 24, bw = 22;
  auto draw = [&](Face f) {
    TvlArtCanvas c = Blank(W, H, kWindow);
    DrawFace(c, 0, 0, W, H, FaceStyle::Field, f);
    if (WithButton) {
      c.VLine(W - bw, 4, H - 4, kLine);
      for (int i = 0; i < 3; ++i) c.FillRect(W - bw + 6 + 4 * i, 11, W - bw + 8 + 4 * i, 13, kTextSoft);
    }
    return c;
  };
  TvlDataSkinEditControl* e =
      Memo ? M.Control<TvlDataSkinMemoControl>(Name) : M.Control<TvlDataSkinEditControl>(Name);
  const std::vector<TRect> r = M.atlas.AddRow({draw(Face::Normal), draw(Face::Focused)});
  SetNineParts(*e, r[0], 6);
  if (WithButton) {
    e->RTPoint = {W - bw - 2, 6};
    e->RBPoint = {W - bw - 2, H - 6};
  }
  // The text area reaches 3 pixels from the frame's top and bottom (the corner parts keep their
  // 6): a line of Chinese text needs 18 pixels, which the 12 between the corners would cut.
  e->ClRect = TRect{6, 3, WithButton ? W - bw - 2 : W - 6, H - 3};
  e->ActiveSkinRect = r[1];
  SetFont(*e, kText);
  e->ActiveFontColor = vlToTColor(kText);
  e->DisabledFontColor = vlToTColor(kTextOff);
  if (WithButton) {
    e->ButtonRect = TRect{W - bw + 1, 1, W - 1, H - 1};
    auto button = [&](Face f) {
      TvlArtCanvas c = Blank(bw - 2, H - 2, kSurface);
      if (f == Face::Hover) c.FillRound(0, 0, bw - 2, H - 2, kRadius, kHoverFace, kHoverFaceLow);
      if (f == Face::Down) c.FillRound(0, 0, bw - 2, H - 2, kRadius, kDownFace, kDownFaceLow);
      if (f == Face::Disabled) c.Clear(kDisabledFace);
      const TvlArgb dot = f == Face::Disabled ? kTextOff : (f == Face::Normal ? kTextSoft : kAccentText);
      for (int i = 0; i < 3; ++i) c.FillRect(5 + 4 * i, 10, 7 + 4 * i, 12, dot);
      return c;
    };
    const std::vector<TRect> b = M.atlas.AddRow({button(Face::Hover), button(Face::Down), button(Face::Disabled)});
    e->ActiveButtonRect = b[0];
    e->DownButtonRect = b[1];
    e->UnEnabledButtonRect = b[2];
  }
  if (Memo) {
    auto* memo = static_cast<TvlDataSkinMemoControl*>(e);
    memo->BGColor = vlToTColor(kSurface);
    memo->ActiveBGColor = vlToTColor(kSurface);
  }
  return e;
}

namespace {

// A list item strip W x H: plain, hovered, selected.
TvlArtCanvas ItemStrip(int W, int H, int Kind) {
  TvlArtCanvas c = Blank(W, H, kSurface);
  if (Kind == 1) c.FillRound(1, 0, W - 1, H, kRadius, kHoverFace);
  if (Kind == 2) c.FillRound(1, 0, W - 1, H, kRadius, kSelection);
  if (Kind == 3) {
    c.FillRound(1, 0, W - 1, H, kRadius, kSelectionSoft);
  }
  return c;
}

TvlArtCanvas ComboButton(int W, int H, Face F) {
  TvlArtCanvas c = Blank(W, H, kSurface);
  if (F == Face::Hover) c.FillRound(0, 0, W, H, kRadius, kHoverFace, kHoverFaceLow);
  if (F == Face::Down) c.FillRound(0, 0, W, H, kRadius, kDownFace, kDownFaceLow);
  if (F == Face::Disabled) c.Clear(kDisabledFace);
  const TvlArgb arrow = F == Face::Disabled ? kTextOff : (F == Face::Normal ? kTextSoft : kAccentText);
  DrawArrow(c, TRect{0, 0, W, H}, Arrow::Down, arrow, 3.5);
  return c;
}

}  // namespace

TvlDataSkinComboBox* AddComboBox(Maker& M, const std::string& Name) {
  constexpr int W = 70, H = 24, bw = 20;
  auto draw = [&](Face f) {
    TvlArtCanvas c = Blank(W, H, kWindow);
    DrawFace(c, 0, 0, W, H, FaceStyle::Field, f);
    c.Put(ComboButton(bw, H - 2, f == Face::Disabled ? Face::Disabled : Face::Normal), W - bw - 1, 1);
    c.StrokeRound(0, 0, W, H, kRadius, f == Face::Hover ? kHoverBorder : (f == Face::Disabled ? kDisabledBorder : kBorder));
    return c;
  };
  auto* e = M.Control<TvlDataSkinComboBox>(Name);
  const std::vector<TRect> r = M.atlas.AddRow({draw(Face::Normal), draw(Face::Hover)});
  SetNineParts(*e, r[0], 6);
  e->RTPoint = {W - bw - 2, 6};
  e->RBPoint = {W - bw - 2, H - 6};
  // The item area: the item strips (H - 4 high) sit in it.
  e->ClRect = TRect{2, 2, W - bw - 2, H - 2};
  e->ActiveSkinRect = r[1];
  e->ButtonRect = TRect{W - bw - 1, 1, W - 1, H - 1};
  const std::vector<TRect> b = M.atlas.AddRow(
      {ComboButton(bw, H - 2, Face::Hover), ComboButton(bw, H - 2, Face::Down), ComboButton(bw, H - 2, Face::Disabled)});
  e->ActiveButtonRect = b[0];
  e->DownButtonRect = b[1];
  e->UnEnabledButtonRect = b[2];
  const std::vector<TRect> s = M.atlas.AddRow({ItemStrip(40, H - 4, 0), ItemStrip(40, H - 4, 1), ItemStrip(40, H - 4, 3)});
  e->SItemRect = s[0];
  e->ActiveItemRect = s[1];
  e->FocusItemRect = s[2];
  e->ItemLeftOffset = 5;
  e->ItemRightOffset = 5;
  // Relative to an item strip (40 wide; its right edge follows the box's width).
  e->ItemTextRect = TRect{5, 0, 36, H - 4};
  SetFont(*e, kText);
  e->FocusFontColor = vlToTColor(kAccentText);
  e->ActiveFontColor = vlToTColor(kText);
  e->ItemStretchEffect = true;
  e->FocusItemStretchEffect = true;
  e->ListBoxName = "listbox";
  return e;
}

TvlDataSkinListBox* AddListBox(Maker& M, const std::string& Name, bool Caption, bool Check) {
  constexpr int W = 60, band = 22;
  const int H = Caption ? 60 : 40;
  TvlArtCanvas c = Blank(W, H, kWindow);
  DrawFace(c, 0, 0, W, H, FaceStyle::Field, Face::Normal);
  if (Caption) {
    c.FillRound(1, 1, W - 1, band + 4, kRadius - 1, kSurface, kBar);
    c.FillRect(1, band - 2, W - 1, band, kBar);
    c.FillRect(1, band + 1, W - 1, band + 4, kSurface);  // the band's rounding stops at its line
    c.HLine(1, W - 1, band, kLine);
    // The buttons' own faces are part of the band; their hover and pressed faces come below.
    DrawArrow(c, TRect{W - 38, 3, W - 21, band - 2}, Arrow::Up, kTextSoft, 3.0);
    DrawArrow(c, TRect{W - 20, 3, W - 3, band - 2}, Arrow::Down, kTextSoft, 3.0);
  }
  TvlDataSkinListBox* e = Check ? M.Control<TvlDataSkinCheckListBox>(Name) : M.Control<TvlDataSkinListBox>(Name);
  const TRect r = M.atlas.Add(c);
  SetNineParts(*e, r, 4);
  if (Caption) {
    // The band's right corner holds the buttons and the end of the caption, so that both keep
    // to the right edge as the list widens.
    e->LTPoint = {4, band + 1};
    e->RTPoint = {W - 40, band + 1};
    e->ClRect = TRect{4, band + 1, W - 4, H - 4};
  }
  const std::vector<TRect> s = M.atlas.AddRow({ItemStrip(40, 20, 0), ItemStrip(40, 20, 2), ItemStrip(40, 20, 3)});
  e->SItemRect = s[0];
  e->ActiveItemRect = s[1];
  e->FocusItemRect = s[2];
  e->ItemLeftOffset = 5;
  e->ItemRightOffset = 5;
  e->ItemTextRect = TRect{7, 0, 33, 20};
  SetFont(*e, kText);
  e->ActiveFontColor = vlToTColor(kWhite);
  e->FocusFontColor = vlToTColor(kAccentText);
  e->ShowFocus = false;
  e->HScrollBarName = "hscrollbar";
  e->VScrollBarName = "vscrollbar";
  e->BothScrollBarName = "bothhscrollbar";
  if (Caption) {
    e->CaptionRect = TRect{8, 0, W - 40, band};
    e->CaptionFontName = kFontName;
    e->CaptionFontHeight = kFontHeight;
    e->CaptionFontColor = vlToTColor(kText);
    e->CaptionFontStyle = TFontStyles{};
    e->ButtonsArea = TRect{W - 38, 3, W - 3, band - 2};
    e->UpButtonRect = TRect{W - 38, 3, W - 21, band - 2};
    e->DownButtonRect = TRect{W - 20, 3, W - 3, band - 2};
    const std::vector<TRect> b = M.atlas.AddRow(
        {ArrowButton(17, band - 5, Arrow::Up, Face::Hover, kBar), ArrowButton(17, band - 5, Arrow::Up, Face::Down, kBar),
         ArrowButton(17, band - 5, Arrow::Down, Face::Hover, kBar),
         ArrowButton(17, band - 5, Arrow::Down, Face::Down, kBar)});
    e->ActiveUpButtonRect = b[0];
    e->DownUpButtonRect = b[1];
    e->ActiveDownButtonRect = b[2];
    e->DownDownButtonRect = b[3];
    TvlArtCanvas off = Blank(35, band - 5, kBar);
    DrawArrow(off, TRect{0, 0, 17, band - 5}, Arrow::Up, kTextOff, 3.0);
    DrawArrow(off, TRect{18, 0, 35, band - 5}, Arrow::Down, kTextOff, 3.0);
    e->DisabledButtonsRect = M.atlas.Add(off);
  }
  if (Check) {
    auto* cl = static_cast<TvlDataSkinCheckListBox*>(e);
    const std::vector<TRect> k =
        M.atlas.AddRow({CheckImage(false, 0, Face::Normal, kSurface), CheckImage(false, 1, Face::Normal, kSurface)});
    cl->UnCheckImageRect = k[0];
    cl->CheckImageRect = k[1];
    cl->ItemCheckRect = TRect{4, 2, 20, 18};
  }
  return e;
}

TvlDataSkinUpDownControl* AddUpDown(Maker& M, const std::string& Name, bool Vertical) {
  const int W = Vertical ? 18 : 36, H = Vertical ? 24 : 20;
  const int bw = Vertical ? W : W / 2, bh = Vertical ? H / 2 : H;
  const Arrow up = Vertical ? Arrow::Up : Arrow::Right, down = Vertical ? Arrow::Down : Arrow::Left;
  TvlArtCanvas c = Blank(W, H, kWindow);
  DrawFace(c, 0, 0, W, H, FaceStyle::Raised, Face::Normal);
  if (Vertical) {
    c.HLine(1, W - 1, bh, kLine);
    DrawArrow(c, TRect{0, 0, W, bh}, up, kTextSoft, 3.0);
    DrawArrow(c, TRect{0, bh, W, H}, down, kTextSoft, 3.0);
  } else {
    c.VLine(bw, 1, H - 1, kLine);
    DrawArrow(c, TRect{bw, 0, W, H}, up, kTextSoft, 3.0);
    DrawArrow(c, TRect{0, 0, bw, H}, down, kTextSoft, 3.0);
  }
  auto* e = M.Control<TvlDataSkinUpDownControl>(Name);
  SetNineParts(*e, M.atlas.Add(c), 5);
  if (Vertical) {
    e->UpButtonRect = TRect{0, 0, W, bh};
    e->DownButtonRect = TRect{0, bh, W, H};
  } else {
    e->UpButtonRect = TRect{bw, 0, W, H};
    e->DownButtonRect = TRect{0, 0, bw, H};
  }
  const std::vector<TRect> a = M.atlas.AddRow({ArrowButton(bw, bh, up, Face::Hover, kSurface), ArrowButton(bw, bh, up, Face::Down, kSurface),
                                               ArrowButton(bw, bh, down, Face::Hover, kSurface),
                                               ArrowButton(bw, bh, down, Face::Down, kSurface)});
  e->ActiveUpButtonRect = a[0];
  e->DownUpButtonRect = a[1];
  e->ActiveDownButtonRect = a[2];
  e->DownDownButtonRect = a[3];
  return e;
}

void AddLabels(Maker& M) {
  auto* std = M.Control<TvlDataSkinStdLabelControl>("stdlabel");
  std->PictureIndex = -1;
  SetFont(*std, kText);
  std->ActiveFontColor = vlToTColor(kAccent);

  auto* label = M.Control<TvlDataSkinLabelControl>("label");
  SetNineParts(*label, M.atlas.Add(Blank(24, 20, kWindow)), 4);
  SetFont(*label, kText);

  TvlArtCanvas header = Blank(40, 22, kSurface);
  header.FillRect(0, 0, 40, 22, kBar);
  header.HLine(0, 40, 21, kLine);
  auto* menuHeader = M.Control<TvlDataSkinLabelControl>("menuheader");
  SetNineParts(*menuHeader, M.atlas.Add(header), 6, 4);
  SetFont(*menuHeader, kTextSoft);
  menuHeader->FontStyle = TFontStyles{TFontStyle::fsBold};

  auto* bevel = M.Control<TvlDataSkinBevel>("bevel");
  bevel->PictureIndex = -1;
  bevel->LightColor = vlToTColor(kWhite);
  bevel->DarkColor = vlToTColor(kLine);
}

TvlArtCanvas SliderRuler(bool Vertical, int Length) {
  const int W = Vertical ? 8 : Length, H = Vertical ? Length : 8;
  TvlArtCanvas c = Blank(W, H, kWindow);
  if (Vertical)
    c.FillRound(2, 0, 6, H, 2, kLine);
  else
    c.FillRound(0, 2, W, 6, 2, kLine);
  return c;
}

TvlArtCanvas SliderThumb(bool Vertical, Face F) {
  constexpr int s = 16;
  TvlArtCanvas c = Blank(s, s, kWindow);
  const TvlArgb ring = F == Face::Down ? kAccentDown : (F == Face::Hover ? kAccentHover : kAccent);
  c.FillEllipse(8, 8, 7.5, 7.5, ring);
  c.FillEllipse(8, 8, 5.5, 5.5, F == Face::Down ? kDownFace : kWhite);
  if (F == Face::Disabled) {
    c.Clear(kWindow);
    c.FillEllipse(8, 8, 7.5, 7.5, kBorder);
    c.FillEllipse(8, 8, 5.5, 5.5, kDisabledFace);
  }
  (void)Vertical;
  return c;
}

void AddSlider(Maker& M) {
  // A thumb rectangle holds two states side by side: normal, then pressed (also disabled).
  // Ruler and thumb are drawn keyed on the colour of their bottom-left pixel, the form colour,
  // so they sit on the white panels the slider lives on with barely blended edges.
  auto states = [](bool vertical) {
    TvlArtCanvas c(32, 16, kWindow);
    c.Put(SliderThumb(vertical, Face::Normal), 0, 0);
    c.Put(SliderThumb(vertical, Face::Down), 16, 0);
    return c;
  };
  auto* e = M.Control<TvlDataSkinSlider>("slider");
  e->SkinRect = M.atlas.Add(Blank(24, 24, kSurface));
  e->HRulerRect = M.atlas.Add(SliderRuler(false, 40));
  e->VRulerRect = M.atlas.Add(SliderRuler(true, 40));
  e->HThumbRect = M.atlas.Add(states(false));
  e->VThumbRect = M.atlas.Add(states(true));
  e->EdgeSize = 4;
  e->BGColor = vlToTColor(kSurface);
  e->PointsColor = vlToTColor(kBorder);
}

void AddSplitters(Maker& M) {
  for (bool vertical : {true, false}) {
    const int W = vertical ? 6 : 40, H = vertical ? 40 : 6;
    auto* e = M.Control<TvlDataSkinSplitterControl>(vertical ? "vsplitter" : "hsplitter");
    SetNineParts(*e, M.atlas.Add(Blank(W, H, kWindow)), vertical ? 0 : 4, vertical ? 4 : 0);
    if (vertical) {
      e->LTPoint = {0, 4}, e->RTPoint = {W, 4}, e->LBPoint = {0, H - 4}, e->RBPoint = {W, H - 4};
      e->ClRect = TRect{0, 4, W, H - 4};
    } else {
      e->LTPoint = {4, 0}, e->RTPoint = {W - 4, 0}, e->LBPoint = {4, H}, e->RBPoint = {W - 4, H};
      e->ClRect = TRect{4, 0, W - 4, H};
    }
    TvlArtCanvas grip = Blank(vertical ? 6 : 14, vertical ? 14 : 6, kWindow);
    DrawGrip(grip, TRect{0, 0, grip.Width(), grip.Height()}, vertical, kBorderStrong);
    e->GripperRect = M.atlas.Add(grip);
    e->GripperTransparent = false;
  }
}

void AddViews(Maker& M) {
  auto* tree = M.Control<TvlDataSkinTreeView>("treeview");
  tree->PictureIndex = -1;
  SetFont(*tree, kText);
  tree->BGColor = vlToTColor(kSurface);
  auto* list = M.Control<TvlDataSkinListView>("listview");
  list->PictureIndex = -1;
  SetFont(*list, kText);
  list->BGColor = vlToTColor(kSurface);
  auto* rich = M.Control<TvlDataSkinRichEdit>("richedit");
  rich->PictureIndex = -1;
  SetFont(*rich, kText);
  rich->BGColor = vlToTColor(kSurface);
  auto* box = M.Control<TvlDataSkinScrollBoxControl>("scrollbox");
  TvlArtCanvas c = Blank(24, 24, kWindow);
  DrawFace(c, 0, 0, 24, 24, FaceStyle::Field, Face::Normal);
  SetNineParts(*box, M.atlas.Add(c), 6);
}

void AddTabs(Maker& M) {
  constexpr int tw = 60, th = 26;
  auto tab = [&](int kind) {  // 0 normal, 1 hover, 2 active
    TvlArtCanvas c = Blank(tw, th, kWindow);
    if (kind == 2) {
      c.FillRound(0, 0, tw, th + 6, kRadius, kSurface);
      c.StrokeRound(0, 0, tw, th + 6, kRadius, kLine);
      c.FillRect(1, th - 1, tw - 1, th, kSurface);
      c.FillRound(1, 0, tw - 1, 3, 1.5, kAccent);
    } else {
      c.FillRound(1, 2, tw - 1, th + 6, kRadius, kind == 1 ? kHoverFace : kBar);
      c.StrokeRound(1, 2, tw - 1, th + 6, kRadius, kind == 1 ? kHoverBorder : kLine);
      c.HLine(0, tw, th - 1, kLine);
    }
    return c;
  };
  auto* e = M.Control<TvlDataSkinTabControl>("tab");
  const std::vector<TRect> r = M.atlas.AddRow({tab(0), tab(1), tab(2)});
  e->TabRect = r[0];
  e->MouseInTabRect = r[1];
  e->ActiveTabRect = r[2];
  e->FocusTabRect = r[2];
  TvlArtCanvas page = Blank(40, 40, kWindow);
  page.FillRound(0, -6, 40, 40, kRadius, kSurface);
  page.StrokeRound(0, -6, 40, 40, kRadius, kLine);
  e->SkinRect = M.atlas.Add(page);
  e->LTPoint = {6, 6}, e->RTPoint = {34, 6}, e->LBPoint = {6, 34}, e->RBPoint = {34, 34};
  e->ClRect = TRect{1, 1, 39, 39};
  TvlArtCanvas tabsBG = Blank(20, th, kWindow);
  tabsBG.HLine(0, 20, th - 1, kLine);
  e->TabsBGRect = M.atlas.Add(tabsBG);
  e->TabLeftOffset = 6;
  e->TabRightOffset = 6;
  SetFont(*e, kTextSoft);
  e->ActiveFontColor = vlToTColor(kText);
  e->FocusFontColor = vlToTColor(kText);
  e->MouseInFontColor = vlToTColor(kAccentText);
  e->UpDown = "hupdown";
  e->TabStretchEffect = true;
  e->LeftStretch = e->TopStretch = e->RightStretch = e->BottomStretch = true;
  e->StretchEffect = true;
  auto close = [&](Face f) {
    TvlArtCanvas c = Blank(14, 14, kSurface);
    if (f == Face::Hover) c.FillRound(0, 0, 14, 14, kRadius, kHoverFace);
    if (f == Face::Down) c.FillRound(0, 0, 14, 14, kRadius, kDownFace);
    DrawCross(c, TRect{0, 0, 14, 14}, f == Face::Normal ? kTextSoft : kAccentText, 3.0, 1.3);
    return c;
  };
  const std::vector<TRect> b = M.atlas.AddRow({close(Face::Normal), close(Face::Hover), close(Face::Down)});
  e->CloseButtonRect = b[0];
  e->CloseButtonActiveRect = b[1];
  e->CloseButtonDownRect = b[2];
}

void DrawCaptionGlyph(TvlArtCanvas& C, const TRect& R, int Kind, TvlArgb Colour) {
  const int cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
  switch (Kind) {
    case 0:
      C.Line(cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5, 1.2, Colour);
      C.Line(cx - 4.5, cy + 4.5, cx + 4.5, cy - 4.5, 1.2, Colour);
      break;
    case 1:
      C.StrokeRound(cx - 5, cy - 5, cx + 5, cy + 5, 1, Colour);
      break;
    case 2:
      C.StrokeRound(cx - 5, cy - 3, cx + 3, cy + 5, 1, Colour);
      C.HLine(cx - 3, cx + 5, cy - 5, Colour);
      C.VLine(cx + 4, cy - 5, cy + 3, Colour);
      break;
    default:
      C.HLine(cx - 5, cx + 5, cy, Colour);
      break;
  }
}

void SetSkinColors(TvlSkinData* Skin) {
  TvlSkinColors* c = Skin->SkinColors();
  c->FcBtnFace = vlToTColor(kWindow);
  c->FcBtnText = vlToTColor(kText);
  c->FcWindow = vlToTColor(kSurface);
  c->FcWindowText = vlToTColor(kText);
  c->FcHighLight = vlToTColor(kSelection);
  c->FcHighLightText = vlToTColor(kWhite);
  c->FcBtnHighLight = vlToTColor(kWhite);
  c->FcBtnShadow = vlToTColor(kBorder);
}

}  // namespace vlart
