// Parts drawn alike by the skinned combo box and the office combo box: their buttons, the
// tool-button faces and the arrow or menu marker.

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "lib/controls/vlSkinComboParts.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/WindowTree.h"
#include "platform/core/Strings.h"

namespace vlskinctrls_detail {

namespace {

TvlDataSkinButtonControl* FindButtonElement(TvlSkinData* SkinData, std::initializer_list<const char*> Names) {
  if (!SkinData || SkinData->Empty) return nullptr;
  for (const char* name : Names) {
    auto* e = dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(SkinData, SkinData->GetControlIndex(name)));
    if (e && vlSkinPicture(SkinData, e->PictureIndex)) return e;
  }
  // Only a skin that has none of them is short of an element.
  (void)vlFindControlElement(SkinData, Names);
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

void DrawImageAndCaptionOnOneLine(TCanvas* C, const TRect& R, const std::string& Caption, int ImageIndex,
                                  TCustomImageList* Images, bool Enabled) {
  constexpr int kSpacing = 2;
  // The room the drawing measures a caption against: R less the picture and the gap after it.
  const bool image = Images && ImageIndex >= 0 && ImageIndex < Images->Count();
  const int room = R.Width() - (image ? Images->Width() + kSpacing : 0);
  std::string shown = Caption;
  if (C->TextWidth(shown) > room) FitTextWithEllipsis(C, shown, std::max(room, 0));
  DrawImageAndTextLeft(C, R, 0, kSpacing, TvlButtonLayout::blGlyphLeft, shown, ImageIndex, Images, false, Enabled,
                       false, 0);
}

TColor EditDisabledColour(TvlSkinData* SkinData) {
  auto* edit = dynamic_cast<TvlDataSkinEditControl*>(vlControlElement(SkinData, vlFindControlElement(SkinData, "edit")));
  return edit ? edit->DisabledFontColor : clGrayText;
}

}  // namespace vlskinctrls_detail

using namespace vlskinctrls_detail;

// ---- The base of the combo boxes ------------------------------------------------------------------

TvlSkinComboBase::TvlSkinComboBase(TComponent* AOwner) : TvlSkinCustomControl(AOwner) {
  // No click events of the platform's own: the box fires OnClick itself.
  SetControlStyle(TControlStyle{TControlStyleFlag::csAcceptsControls, TControlStyleFlag::csCaptureMouse,
                                TControlStyleFlag::csOpaque, TControlStyleFlag::csDoubleClicks,
                                TControlStyleFlag::csReplicatable});
  SetTabStop(true);
  Font()->SetName("Arial");
  Font()->SetHeight(14);
  Font()->SetColor(clWindowText);
  Font()->SetStyle({});
  SetSkinDataName("combobox");
}

TvlSkinComboBase::~TvlSkinComboBase() {
  if (HandleAllocated()) KillTimer(Handle(), kAutoScrollTimer);
}

bool TvlSkinComboBase::Loading() const {
  return ComponentState().Contains(TComponentStateFlag::csLoading) ||
         ComponentState().Contains(TComponentStateFlag::csDesigning);
}

void TvlSkinComboBase::ApplyDefaultFont() { Font()->Assign(DefaultFont()); }

void TvlSkinComboBase::GetSkinData() {
  TvlSkinCustomControl::GetSkinData();
  auto* e = dynamic_cast<TvlDataSkinComboBox*>(vlControlElement(SkinData(), FIndex));
  if (!e) return;
  ActiveSkinRect = e->ActiveSkinRect;
  ActiveFontColor = e->ActiveFontColor;
  FontName = e->FontName;
  FontStyle = e->FontStyle;
  FontHeight = e->FontHeight;
  SItemRect = e->SItemRect;
  FocusItemRect = FFocusFallsBackToItem && IsNullRect(e->FocusItemRect) ? e->SItemRect : e->FocusItemRect;
  ActiveItemRect = e->ActiveItemRect;
  ItemLeftOffset = e->ItemLeftOffset;
  ItemRightOffset = e->ItemRightOffset;
  ItemTextRect = e->ItemTextRect;
  FontColor = e->FontColor;
  FocusFontColor = e->FocusFontColor;
  ButtonRect = e->ButtonRect;
  ActiveButtonRect = e->ActiveButtonRect;
  DownButtonRect = e->DownButtonRect;
  UnEnabledButtonRect = e->UnEnabledButtonRect;
  ListBoxName = e->ListBoxName;
  ItemStretchEffect = e->ItemStretchEffect;
  FocusItemStretchEffect = e->FocusItemStretchEffect;
  ShowFocus = e->ShowFocus;
}

void TvlSkinComboBase::CalcRects() {
  const int w = Width(), h = Height();
  if (!Skinned() || FToolButtonStyle) {
    FButton.R = TRect{w - 19, 2, w - 2, h - 2};
    FCBItem.R = TRect{2, 2, FButton.R.Left - 1, h - 2};
    return;
  }
  // A button in the fixed right end of the element moves with the right edge.
  const int dw = w - SkinRect.Width();
  FButton.R = ButtonRect;
  if (ButtonRect.Left >= SkinRect.Width() - RTPt.X) {
    FButton.R.Left += dw;
    FButton.R.Right += dw;
  }
  FCBItem.R = ClRect;
  FCBItem.R.Right += dw;
  if (!UseSkinSize) {
    const int dh = h - SkinRect.Height();
    FCBItem.R.Bottom += dh;
    FButton.R.Bottom += dh;
  }
}

void TvlSkinComboBase::CalcSize(int& AWidth, int& AHeight) {
  if (UseSkinSize) {
    TvlSkinCustomControl::CalcSize(AWidth, AHeight);
    return;
  }
  NewLTPoint = LTPt;
  NewRTPoint = TPoint{AWidth + RTPt.X - SkinRect.Width(), RTPt.Y};
  NewClRect = ClRect;
  NewClRect.Right += AWidth - SkinRect.Width();
}

void TvlSkinComboBase::SetControlRegion() {
  if (UseSkinSize) TvlSkinCustomControl::SetControlRegion();
}

void TvlSkinComboBase::StartAutoScroll(int Mode) {
  if (TimerMode == Mode) return;
  TimerMode = Mode;
  if (!HandleAllocated()) return;
  KillTimer(Handle(), kAutoScrollTimer);
  SetTimer(Handle(), kAutoScrollTimer, kAutoScrollInterval, nullptr);
}

void TvlSkinComboBase::StopAutoScroll() {
  if (HandleAllocated()) KillTimer(Handle(), kAutoScrollTimer);
  TimerMode = 0;
}

void TvlSkinComboBase::DrawSkinBackground(TBitmap* B, bool Hot) {
  Hot = Hot && !IsNullRect(ActiveSkinRect);
  if (!UseSkinSize) {
    if (Picture) ComposeStretchedSkinImage(B, Picture, Hot ? ActiveSkinRect : SkinRect, ClRect, true);
  } else if (Hot) {
    TBitmap strip;
    ComposeSkinStrip(LTPt.X, ActiveSkinRect.Width() - RTPt.X, &strip, Picture, ActiveSkinRect, Width(), Height(),
                     StretchEffect);
    if (!strip.Empty()) B->Canvas()->Draw(0, 0, &strip);
  } else {
    TvlSkinCustomControl::CreateControlSkinImage(B);
  }
}

void TvlSkinComboBase::ListWndProc(TMessage& Message, const TWndMethod& Next, TWinControl* List) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      // A press on the open list hands the mouse to the box: it tracks the highlight and
      // accepts the item when the button is released over the list.
      FLBDown = true;
      WasInLB = true;
      if (HandleAllocated()) SetCapture(Handle());
      return;
    case WM_LBUTTONUP:
      // Pressed and released at once, both are routed before the press is handled, so the
      // release comes here rather than to the box: it is the end of that press all the same.
      if (FLBDown && WasInLB && List && List->HandleAllocated()) EndPress(List->Handle());
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return;
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      Next(Message);
      return;
    default:
      Next(Message);
      return;
  }
}

void TvlSkinComboBase::PressBox(int X, int Y, bool ItemArea) {
  const TPoint pt{X, Y};
  if (FButton.MouseIn || FButton.R.Contains(pt) || (ItemArea && FCBItem.R.Contains(pt)) || FToolButtonStyle) {
    FButton.Down = true;
    FButton.MouseIn = FButton.MouseIn || FButton.R.Contains(pt);
    Invalidate();
    if (!IsPopupVisible()) {
      WasInLB = false;
      FLBDown = true;
      DropDown();
    } else {
      CloseUp(false);
    }
  } else if (IsPopupVisible()) {
    CloseUp(false);
  }
}

void TvlSkinComboBase::TrackButtonHover(int X, int Y) {
  const bool in = FButton.R.Contains(TPoint{X, Y});
  if (in == FButton.MouseIn) return;
  FButton.MouseIn = in;
  Invalidate();
}

void TvlSkinComboBase::EndPress(HWND ListWindow) {
  TWeak<TControl> alive(this);
  if (FLBDown && WasInLB) {
    ReleaseCapture();
    FLBDown = false;
    TPoint cursor{};
    GetCursorPos(&cursor);
    CloseUp(ListWindow != nullptr && WindowFromPoint(cursor) == ListWindow);
  } else {
    FLBDown = false;
  }
  if (alive && FButton.Down) {
    FButton.Down = false;
    Invalidate();
  }
}

void TvlSkinComboBase::ComboKeyDown(WORD Key, TShiftState Shift) {
  const bool alt = Shift.Contains(TShiftStateFlag::ssAlt);
  const bool open = IsPopupVisible();
  switch (Key) {
    case VK_RETURN:
      if (open) CloseUp(true);
      break;
    case VK_ESCAPE:
      if (open) CloseUp(false);
      break;
    case VK_PRIOR: PageUpItem(!open); break;
    case VK_NEXT: PageDownItem(!open); break;
    case VK_HOME: FirstItem(!open); break;
    case VK_END: LastItem(!open); break;
    case VK_LEFT:
    case VK_UP:
      if (!alt)
        PriorItem(!open);
      else if (open)
        CloseUp(false);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      if (!alt)
        NextItem(!open);
      else if (!open)
        DropDown();
      break;
    default: break;
  }
}

void TvlSkinComboBase::PrepareDefaultItem(TBitmap& B, bool Focused) {
  PrepareBitmap(&B, FCBItem.R.Width(), FCBItem.R.Height());
  TCanvas* c = B.Canvas();
  c->Font()->SetName(Font()->Name());
  c->Font()->SetStyle(Font()->Style());
  c->Font()->SetHeight(Font()->Height());
  ApplySkinCharset(c->Font(), SkinData(), DefaultFont());
  c->Brush()->SetColor(Focused ? clHighlight : FDefaultColor);
  c->Font()->SetColor(Focused ? clHighlightText : DefaultFont()->Color());
  c->FillRect(TRect{0, 0, B.Width(), B.Height()});
  FCBItem.State = Focused ? TOwnerDrawState{TOwnerDrawStateFlag::odFocused} : TOwnerDrawState{};
}

void TvlSkinComboBase::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      TvlSkinCustomControl::Dispatch(Message);
      CalcRects();
      return;
    case WM_TIMER:
      TvlSkinCustomControl::Dispatch(Message);
      if (TimerMode != 0) AutoScrollStep(TimerMode);
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      TvlSkinCustomControl::Dispatch(Message);
      FMouseIn = Message.Msg == CM_MOUSEENTER;
      if (!FMouseIn && FButton.MouseIn) {
        FButton.MouseIn = false;
        Invalidate();
      }
      HoverChanged();
      if ((Skinned() && !IsNullRect(ActiveSkinRect)) || FToolButtonStyle) Invalidate();
      return;
    default: break;
  }
  TvlSkinCustomControl::Dispatch(Message);
}

void TvlSkinComboBase::ComposeItemFace(TBitmap* B, bool Focused, bool Hot) const {
  const auto adjusted = [&](const TRect& State, TRect Text) {
    const int dw = SItemRect.Width() - State.Width(), dh = SItemRect.Height() - State.Height();
    if (dw > 0) Text.Right -= dw;
    if (dh > 0) Text.Top -= dh;
    return Text;
  };
  if (Focused) {
    if (!IsNullRect(FocusItemRect)) {
      const TRect inner{ItemTextRect.Left + 1, ItemTextRect.Top + 1, ItemTextRect.Right - 1, ItemTextRect.Bottom - 1};
      ComposeStretchedSkinImage(B, Picture, FocusItemRect, adjusted(FocusItemRect, inner), true);
    }
  } else if (Hot) {
    ComposeStretchedSkinImage(B, Picture, ActiveItemRect, adjusted(ActiveItemRect, ItemTextRect), true);
  } else if (!IsNullRect(SItemRect)) {
    ComposeStretchedSkinImage(B, Picture, SItemRect, ItemTextRect, true);
  }
}
