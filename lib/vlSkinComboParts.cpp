// Parts drawn alike by the skinned combo box and the office combo box: their buttons, the
// tool-button faces and the arrow or menu marker.

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "lib/vlSkinCtrls.h"
#include "lib/vlSkinCtrlsDetail.h"
#include "lib/vlSkinData.h"
#include "lib/vlUtils.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Strings.h"

namespace vlskinctrls_detail {

namespace {

TvlDataSkinButtonControl* FindButtonElement(TvlSkinData* SkinData, std::initializer_list<const char*> Names) {
  for (const char* name : Names) {
    auto* e = dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(SkinData, vlFindControlElement(SkinData, name)));
    if (e && vlSkinPicture(SkinData, e->PictureIndex)) return e;
  }
  return nullptr;
}

// A menu marker cut from Picture, its transparent colour left out, centred in R.
void DrawMarker(TCanvas* C, TBitmap* Picture, const TRect& Source, TColor Transparent, const TRect& R, int DownShift) {
  TBitmap marker;
  if (!CopyPiece(&marker, Picture, Source)) return;
  marker.SetTransparentMode(TTransparentMode::tmFixed);
  marker.SetTransparentColor(Transparent);
  marker.SetTransparent(true);
  C->Draw(R.Left + (R.Width() - marker.Width()) / 2, R.Top + (R.Height() - marker.Height()) / 2 + DownShift, &marker);
}

// A tab stop from its text: the decimal value of a text of digits only, else 0.
int TabStopValue(const std::string& Text) {
  if (Text.empty() || !std::all_of(Text.begin(), Text.end(), [](char c) { return c >= '0' && c <= '9'; })) return 0;
  try {
    return std::stoi(Text);
  } catch (...) {
    return 0;
  }
}

}  // namespace

void DrawTabbedTextIn(TCanvas* C, const std::string& Text, const TRect& R, TStrings* TabWidths) {
  std::vector<int> stops;
  for (int i = 0; i < std::min(TabWidths->Count(), 10); ++i) stops.push_back(TabStopValue(TabWidths->Strings(i)));
  HDC dc = vlutils_detail::CanvasTextContext(C);
  const int y = R.Top + R.Height() / 2 - C->TextHeight(Text.empty() ? "Wg" : Text) / 2;
  TabbedTextOut(dc, R.Left + 2, y, Text.c_str(), static_cast<int>(Text.size()), static_cast<int>(stops.size()),
                stops.data(), 0);
}

void DrawBuiltinComboButton(TCanvas* C, const TRect& R, bool Pressed, bool Hot, bool Enabled) {
  DrawBuiltinFace(C, R, Pressed || Hot ? clNavy : clBtnShadow,
                  Pressed ? kBuiltinDownFill : Hot ? kBuiltinHoverFill : clBtnFace);
  DrawArrowGlyph(C, R, Enabled ? clBlack : clBtnShadow, 4);
}

void DrawComboStateButton(TCanvas* C, TBitmap* Picture, const TRect& R, bool Enabled, bool Pressed, bool Hot,
                          const TRect& Disabled, const TRect& Down, const TRect& Active) {
  TRect source{};
  if (!Enabled && !IsNullRect(Disabled))
    source = Disabled;
  else if (Pressed)
    source = Down;
  else if (Hot)
    source = Active;
  TBitmap piece;
  if (!IsNullRect(source) && CopyPiece(&piece, Picture, source)) C->Draw(R.Left, R.Top, &piece);
}

void DrawComboElementButton(TCanvas* C, TvlSkinData* SkinData, TBitmap* BoxPicture, const TRect& R, bool Pressed,
                            bool Hot, bool Enabled) {
  TvlDataSkinButtonControl* e = FindButtonElement(SkinData, {"combobutton", "editbutton", "resizebutton"});
  if (!e) return;
  TBitmap b;
  PrepareBitmap(&b, R.Width(), R.Height());
  if (b.Empty()) return;
  const TRect active = IsNullRect(e->ActiveSkinRect) ? e->SkinRect : e->ActiveSkinRect;
  const TRect down = IsNullRect(e->DownSkinRect) ? active : e->DownSkinRect;
  DrawButtonElementFace(&b, vlSkinPicture(SkinData, e->PictureIndex), *e, Pressed ? down : Hot ? active : e->SkinRect);
  const TRect whole{0, 0, b.Width(), b.Height()};
  if (IsNullRect(e->MenuMarkerRect)) {
    const TColor arrow = Pressed ? e->DownFontColor : Hot ? e->ActiveFontColor : e->FontColor;
    if (Enabled) DrawArrowGlyph(b.Canvas(), Pressed ? TRect{0, 2, b.Width(), b.Height()} : whole, arrow, 4);
  } else {
    TRect source = e->MenuMarkerRect;
    if (Pressed && !IsNullRect(e->MenuMarkerDownRect))
      source = e->MenuMarkerDownRect;
    else if (Hot && !IsNullRect(e->MenuMarkerActiveRect))
      source = e->MenuMarkerActiveRect;
    DrawMarker(b.Canvas(), BoxPicture, source, e->MenuMarkerTransparentColor, whole, Pressed ? 1 : 0);
  }
  C->Draw(R.Left, R.Top, &b);
}

void DrawBuiltinToolFace(TCanvas* C, int W, int H, bool Open, bool Hot) {
  const TRect all{0, 0, W, H};
  if (Open)
    DrawBuiltinFace(C, all, clNavy, kBuiltinDownFill);
  else if (Hot)
    DrawBuiltinFace(C, all, clNavy, kBuiltinHoverFill);
  else
    DrawBuiltinFace(C, all, clBtnShadow, clBtnFace);
}

TvlDataSkinButtonControl* DrawSkinToolFace(TBitmap* B, TvlSkinData* SkinData, bool Open, bool Hot) {
  TvlDataSkinButtonControl* e = FindButtonElement(SkinData, {"resizetoolbutton", "resizebutton"});
  if (!e) return nullptr;
  TRect source = Open ? e->DownSkinRect : Hot ? e->ActiveSkinRect : e->SkinRect;
  if (IsNullRect(source)) source = IsNullRect(e->SkinRect) ? e->ActiveSkinRect : e->SkinRect;
  DrawButtonElementFace(B, vlSkinPicture(SkinData, e->PictureIndex), *e, source);
  return e;
}

void DrawToolArrow(TCanvas* C, const TvlDataSkinButtonControl& E, TBitmap* BoxPicture, const TRect& R, bool Open,
                   bool Hot) {
  if (IsNullRect(E.MenuMarkerRect)) {
    DrawDropDownArrow(C, R, Open ? E.DownFontColor : C->Font()->Color());
    return;
  }
  TRect marker = E.MenuMarkerRect;
  if (Open) {
    if (!IsNullRect(E.MenuMarkerDownRect))
      marker = E.MenuMarkerDownRect;
    else if (!IsNullRect(E.MenuMarkerActiveRect))
      marker = E.MenuMarkerActiveRect;
  } else if (Hot && !IsNullRect(E.MenuMarkerActiveRect)) {
    marker = E.MenuMarkerActiveRect;
  }
  DrawMarker(C, BoxPicture, marker, E.MenuMarkerTransparentColor, R, 0);
}

TColor EditDisabledColour(TvlSkinData* SkinData) {
  auto* edit = dynamic_cast<TvlDataSkinEditControl*>(vlControlElement(SkinData, vlFindControlElement(SkinData, "edit")));
  return edit ? edit->DisabledFontColor : clGrayText;
}

}  // namespace vlskinctrls_detail
