// The single-line skinned edit (TvlSkinCustomEdit): the frame in the non-client area, the edit
// button, the image buttons, the background of the text area and the hover and focus looks.
//
// The window's client area is the text area. The frame is painted on WM_NCPAINT; the text area
// is painted in one pass from WM_PAINT: the erase paints the background and the image buttons,
// then the edit window paints its text over them (transparently), so both reach the screen
// together.
//
//   window:  +--------------------------------------------+--------+
//            | frame (left, top, bottom: ClRect's margins) | button |
//            |   +------------------------------------+   |  (in   |
//            |   | [img] text area (client)     [img] |   | frame) |
//            |   +------------------------------------+   |        |
//            +--------------------------------------------+--------+

#include <algorithm>
#include <cstdint>

#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Gdi.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

namespace {

// Hit codes of the image buttons, and of the edit button and the rest of the frame.
constexpr LRESULT kHitLeftImage = 104;
constexpr LRESULT kHitRightImage = 105;
constexpr LRESULT kHitEditButton = HTHSCROLL;
constexpr LRESULT kHitFrame = HTVSCROLL;

// The built-in edit button's faces (TColor: red in the low byte).
constexpr TColor kNavy = static_cast<TColor>(0x800000);

TPoint CursorPosition() {
  TPoint p{};
  GetCursorPos(&p);
  return p;
}

TPoint ScreenPointOf(LPARAM L) {
  return TPoint{static_cast<short>(LOWORD(static_cast<std::uintptr_t>(L))),
                static_cast<short>(HIWORD(static_cast<std::uintptr_t>(L)))};
}

// Copies rectangle Src of Picture onto Dest at Target (stretched when the sizes differ); nothing
// when Src is empty or outside the picture.
void CopyPictureRect(TCanvas* Dest, TBitmap* Picture, const TRect& Src, const TRect& Target) {
  TBitmap piece;
  if (!CopyPiece(&piece, Picture, Src)) return;
  if (Src.Width() == Target.Width() && Src.Height() == Target.Height())
    Dest->Draw(Target.Left, Target.Top, &piece);
  else
    Dest->StretchDraw(Target, &piece);
}

// The built-in edit button: a framed face, and three dots so that it reads as "choose".
void DrawBuiltinEditButton(TCanvas* C, const TRect& R, bool Down, bool Hot) {
  const TColor frame = Down || Hot ? kNavy : clBtnShadow;
  const TColor fill = Down ? kBuiltinDownFill : (Hot ? kBuiltinHoverFill : clBtnFace);
  DrawBuiltinFace(C, R, frame, fill);
  const int cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
  C->Brush()->SetColor(clBtnText);
  for (int i = -1; i <= 1; ++i) C->FillRect(TRect{cx + 4 * i - 1, cy, cx + 4 * i + 1, cy + 2});
}

}  // namespace

// ---- Construction and properties ------------------------------------------------------------------

TvlSkinCustomEdit::TvlSkinCustomEdit(TComponent* AOwner)
    : TvlCustomEdit(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  SetControlStyle(TControlStyle(ControlStyle()).Include(TControlStyleFlag::csOpaque));
  SetAutoSize(false);
  Font()->SetName("Arial");
  Font()->SetColor(clBlack);
  Font()->SetStyle(TFontStyles{});
  Font()->SetHeight(14);
  SetHeight(20);
  SetBorderStyle(TBorderStyle::bsNone);
  SetEditTransparent(true);
  FDefaultFont->Assign(Font());
  FDefaultFont->OnChange = [this](TObject*) { DefaultFontChanged(); };
}

TvlSkinCustomEdit::~TvlSkinCustomEdit() {
  FDefaultFont->OnChange = nullptr;
  ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr));
  ReplaceReference(FImages, static_cast<TCustomImageList*>(nullptr));
}

void TvlSkinCustomEdit::SetSkinData(TvlSkinData* Value) {
  ReplaceReference(FSD, Value);
  if (FSD && !FSD->Empty) ChangeSkinData();
}

void TvlSkinCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TvlCustomEdit::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FImages) FImages = nullptr;
}

void TvlSkinCustomEdit::Loaded() {
  TvlCustomEdit::Loaded();
  if (FSD && FSD->ResourceStrData()) Font()->SetCharset(FSD->ResourceStrData()->CharSet);
}

void TvlSkinCustomEdit::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (!Skinned()) Invalidate();
}

void TvlSkinCustomEdit::SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }

void TvlSkinCustomEdit::DefaultFontChanged() {
  if (!Skinned()) Font()->Assign(FDefaultFont.get());
}

void TvlSkinCustomEdit::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  if (!Skinned() && Value > 0) SetWidth(Value);
}

void TvlSkinCustomEdit::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (!Skinned() && Value > 0 && FUseSkinFont)
    SetHeight(Value);
  else
    AdjustHeight();
}

void TvlSkinCustomEdit::SetButtonMode(bool Value) {
  FButtonMode = Value;
  if (!HandleAllocated()) return;
  // The frame widths change: the window's client area is asked for again.
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RepaintFrame();
  Invalidate();
}

void TvlSkinCustomEdit::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  ReplaceReference(FImages, Value);
  if (!IsDestroying()) UpdateImageButtons(true);
}

void TvlSkinCustomEdit::SetLeftImageIndex(int Value) {
  FLeftImageIndex = Value;
  UpdateImageButtons(true);
  Invalidate();
}

void TvlSkinCustomEdit::SetRightImageIndex(int Value) {
  FRightImageIndex = Value;
  UpdateImageButtons(true);
  Invalidate();
}

// ---- The skin ---------------------------------------------------------------------------------------

void TvlSkinCustomEdit::GetSkinData() {
  FIndex = vlFindControlElement(FSD, FSkinDataName);
  auto* e = dynamic_cast<TvlDataSkinEditControl*>(vlControlElement(FSD, FIndex));
  if (!e) return;  // another kind of element: the copies keep their values
  Picture = vlSkinPicture(FSD, e->PictureIndex);
  LOffset = e->LTPoint.X;
  ROffset = RectWidth(e->SkinRect) - e->RTPoint.X;
  ClRect = e->ClRect;
  SkinRect = e->SkinRect;
  ActiveSkinRect = IsNullRect(e->ActiveSkinRect) ? e->SkinRect : e->ActiveSkinRect;
  FontName = e->FontName;
  FontStyle = e->FontStyle;
  FontHeight = e->FontHeight;
  FontColor = e->FontColor;
  DisabledFontColor = e->DisabledFontColor;
  ActiveFontColor = e->ActiveFontColor;
  SkinButtonRect = e->ButtonRect;
  ActiveButtonRect = e->ActiveButtonRect;
  DownButtonRect = IsNullRect(e->DownButtonRect) ? e->ActiveButtonRect : e->DownButtonRect;
  UnEnabledButtonRect = e->UnEnabledButtonRect;
  StretchEffect = e->StretchEffect;
}

void TvlSkinCustomEdit::ApplyCharset() { ApplySkinCharset(Font(), FSD, FDefaultFont.get()); }

void TvlSkinCustomEdit::ApplyStateFontColor() {
  if (!Skinned())
    Font()->SetColor(FDefaultFont->Color());
  else
    Font()->SetColor(Focused() ? ActiveFontColor : FontColor);
}

void TvlSkinCustomEdit::ChangeSkinData() {
  GetSkinData();
  if (!Skinned()) {
    Font()->Assign(FDefaultFont.get());
    if (FDefaultWidth > 0) SetWidth(FDefaultWidth);
    if (FDefaultHeight > 0) SetHeight(FDefaultHeight);
  } else if (FUseSkinFont) {
    Font()->SetName(FontName);
    Font()->SetStyle(FontStyle);
    SetHeight(RectHeight(SkinRect));
    Font()->SetHeight(FontHeight);
    ApplyStateFontColor();
  } else {
    Font()->Assign(FDefaultFont.get());
    ApplyStateFontColor();
  }
  ApplyCharset();
  // The frame widths follow the element: the window's client area is asked for again (the
  // window itself, its text, selection and focus stay).
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  ApplyStateFontColor();
  if (!FUseSkinFont) AdjustHeight();
  RepaintFrame();
  if (FImages) UpdateImageButtons(true);
  Invalidate();
}

// ---- Geometry --------------------------------------------------------------------------------------

void TvlSkinCustomEdit::CalcEditRects() {
  const int w = Width(), h = Height();
  if (!Skinned()) {
    if (FButtonMode) {
      FButtonRect = TRect{w - h, 0, w, h};
      FEditRect = TRect{2, 2, FButtonRect.Left - 2, h - 2};
    } else {
      FButtonRect = TRect{};
      FEditRect = TRect{2, 2, w - 2, h - 2};
    }
    return;
  }
  const int dw = w - RectWidth(SkinRect);
  FEditRect = ClRect;
  FEditRect.Right += dw;
  FButtonRect = SkinButtonRect;
  if (SkinButtonRect.Left >= RectWidth(SkinRect) - ROffset) {
    FButtonRect.Left += dw;
    FButtonRect.Right += dw;
  }
  if (!FUseSkinFont) {
    const int dh = h - RectHeight(SkinRect);
    FEditRect.Bottom += dh;
    FButtonRect.Bottom += dh;
  }
}

int TvlSkinCustomEdit::CalcEditHeight() {
  GetSkinData();
  int textHeight = 0;
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    textHeight = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  return textHeight + (Skinned() ? RectHeight(SkinRect) - RectHeight(ClRect) : 4);
}

void TvlSkinCustomEdit::AdjustHeight() { SetHeight(CalcEditHeight()); }

void TvlSkinCustomEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  if ((AWidth != Width() || AHeight != Height()) && (Skinned() || !FUseSkinFont))
    AHeight = Skinned() && FUseSkinFont ? RectHeight(SkinRect) : CalcEditHeight();
  if (Align() != TAlign::alNone) ATop = vlCentredTop(this, ATop, AHeight);
  TvlCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  Invalidate();
  RepaintFrame();
}

void TvlSkinCustomEdit::UpdateImageButtons(bool SetTextRect) {
  if (!FImages) {
    // No image buttons (any more): the text uses the whole client area.
    if (SetTextRect && HandleAllocated()) SendMessage(Handle(), EM_SETRECTNP, 0, 0);
    return;
  }
  LeftButton.R = TRect{};
  RightButton.R = TRect{};
  TRect r = ClientRect();
  const int iw = FImages->Width();
  if (FLeftImageIndex >= 0) {
    LeftButton.R = TRect{r.Left, r.Top, r.Left + iw, r.Bottom};
    r.Left += iw + 2;
  }
  if (FRightImageIndex >= 0) {
    RightButton.R = TRect{r.Right - iw, r.Top, r.Right, r.Bottom};
    r.Right -= iw + 2;
  }
  if (SetTextRect && HandleAllocated()) SendMessage(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TvlSkinCustomEdit::CreateWnd() {
  TvlCustomEdit::CreateWnd();
  // The text rectangle keeps clear of the image buttons from the start.
  UpdateImageButtons(true);
}

void TvlSkinCustomEdit::CreateParams(TCreateParams& Params) {
  TvlCustomEdit::CreateParams(Params);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_TRANSPARENT);
  // The alignment style comes with the platform edit's own parameters (ES_LEFT, ES_RIGHT,
  // ES_CENTER from Alignment).
}

// ---- Painting ---------------------------------------------------------------------------------------

void TvlSkinCustomEdit::Invalidate() {
  if (!Parent() || !HandleAllocated()) return;
  FStopDraw = false;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

void TvlSkinCustomEdit::RepaintFrame() {
  if (Parent() && HandleAllocated()) SendMessage(Handle(), WM_NCPAINT, 1, 0);
}

void TvlSkinCustomEdit::PaintEditBackground(TCanvas* C) {
  const int w = RectWidth(FEditRect), h = RectHeight(FEditRect);
  if (w <= 0 || h <= 0) return;
  if (!Skinned() || !Picture) {
    C->Brush()->SetColor(FDefaultColor);
    C->FillRect(TRect{0, 0, w, h});
    return;
  }
  const TRect state = ActiveLook() ? ActiveSkinRect : SkinRect;
  const TRect source{state.Left + ClRect.Left, state.Top + ClRect.Top, state.Left + ClRect.Right,
                     state.Top + ClRect.Bottom};
  TBitmap strip;
  ComposeSkinStrip(std::max(0, LOffset - ClRect.Left), std::max(0, ClRect.Right + ROffset - RectWidth(SkinRect)),
                   &strip, Picture, source, w, RectHeight(ClRect), StretchEffect);
  if (FUseSkinFont)
    C->Draw(0, 0, &strip);
  else
    C->StretchDraw(TRect{0, 0, w, h}, &strip);
}

void TvlSkinCustomEdit::DrawImageButtons(TCanvas* C) {
  if (!FImages) return;
  UpdateImageButtons(false);
  const int count = FImages->Count(), ih = FImages->Height();
  auto valid = [count](int Index) { return Index >= 0 && Index < count; };
  auto draw = [&](const TvlCBButtonX& B, int Normal, int Hot, int Down) {
    if (!valid(Normal)) return;
    int index = Normal;
    if (B.Down && B.MouseIn && valid(Down))
      index = Down;
    else if (B.MouseIn && valid(Hot))
      index = Hot;
    const int y = std::max(B.R.Top, (B.R.Top + B.R.Bottom) / 2 - ih / 2);
    FImages->Draw(C, B.R.Left, y, index, Enabled());
  };
  draw(LeftButton, FLeftImageIndex, LeftImageHotIndex, LeftImageDownIndex);
  draw(RightButton, FRightImageIndex, RightImageHotIndex, RightImageDownIndex);
}

void TvlSkinCustomEdit::PaintDisabledText(HDC DC) {
  TCanvas canvas;
  canvas.SetHandle(DC);
  TFont* f = canvas.Font();
  if (Skinned() && FUseSkinFont) {
    f->SetName(FontName);
    f->SetHeight(FontHeight);
    f->SetStyle(FontStyle);
  } else {
    f->Assign(FDefaultFont.get());
  }
  f->SetColor(Skinned() ? DisabledFontColor : clGrayText);
  ApplySkinCharset(f, FSD, FDefaultFont.get());
  // Where the edit window puts its text: its formatting rectangle (narrowed by image buttons).
  TRect r{};
  SendMessage(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  const std::string text = Text();
  const int tw = canvas.TextWidth(text);
  int x = r.Left;
  if (Alignment() == TAlignment::taRightJustify)
    x = r.Right - tw;
  else if (Alignment() == TAlignment::taCenter)
    x = r.Left + r.Width() / 2 - tw / 2;
  canvas.Brush()->SetStyle(TBrushStyle::bsClear);
  const int saved = SaveDC(DC);
  IntersectClipRect(DC, 0, 0, RectWidth(FEditRect), RectHeight(FEditRect));
  canvas.TextOut(x, r.Top, text);
  RestoreDC(DC, saved);
  canvas.SetHandle(nullptr);
}

void TvlSkinCustomEdit::PaintClient(HDC DC) {
  GetSkinData();
  CalcEditRects();
  {
    TCanvas canvas;
    canvas.SetHandle(DC);
    PaintEditBackground(&canvas);
    DrawImageButtons(&canvas);
    canvas.SetHandle(nullptr);
  }
  // The text over it, painted by the edit window into the same context.
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
}

void TvlSkinCustomEdit::WMEraseBkgnd(TMessage& M) {
  PaintClient(reinterpret_cast<HDC>(M.WParam));
  FStopDraw = true;
  FErasedInPaint = true;
  M.Result = 1;
}

void TvlSkinCustomEdit::WMPaint(TMessage& M) {
  if (M.WParam) {
    // A context to paint the text into (from the erase, or a print).
    if (Enabled())
      TvlCustomEdit::WMPaint(M);
    else
      PaintDisabledText(reinterpret_cast<HDC>(M.WParam));
    return;
  }
  PAINTSTRUCT ps;
  if (FStopDraw) {
    // Background and text were painted by an erase already: only validate.
    FStopDraw = false;
    (void)BeginPaint(Handle(), &ps);
    EndPaint(Handle(), &ps);
    return;
  }
  FErasedInPaint = false;
  HDC dc = BeginPaint(Handle(), &ps);  // the frame (WM_NCPAINT) and the erase come from here
  if (dc && !FErasedInPaint) PaintClient(dc);
  EndPaint(Handle(), &ps);
  FStopDraw = false;
}

void TvlSkinCustomEdit::DrawSkinButton(TCanvas* C, const TRect& R) {
  const int index = vlFindControlElement(FSD, {"editbutton", "resizebutton"});
  auto* b = dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(FSD, index));
  if (!b || R.Width() <= 0 || R.Height() <= 0) return;
  TBitmap* picture = vlSkinPicture(FSD, b->PictureIndex);
  if (!picture) return;
  const TRect active = IsNullRect(b->ActiveSkinRect) ? b->SkinRect : b->ActiveSkinRect;
  const TRect down = IsNullRect(b->DownSkinRect) ? active : b->DownSkinRect;
  const TRect state = FButtonDown && FButtonActive ? down : (FButtonActive ? active : b->SkinRect);
  const TvlNinePartGeometry g =
      TvlNinePartGeometry::Grown(b->LTPoint, b->RTPoint, b->LBPoint, b->RBPoint, b->ClRect,
                                 R.Width() - RectWidth(b->SkinRect), R.Height() - RectHeight(b->SkinRect));
  TBitmap face;
  ComposeSkinImage(g, &face, picture, state, R.Width(), R.Height(),
                   TvlStretchSides{b->LeftStretch, b->TopStretch, b->RightStretch, b->BottomStretch},
                   TvlClientFill{true, b->StretchEffect, b->StretchType});
  C->Draw(R.Left, R.Top, &face);
}

bool TvlSkinCustomEdit::StartFrameBitmap(TBitmap& B) {
  if (Width() <= 0 || Height() <= 0) return false;
  GetSkinData();
  CalcEditRects();
  PrepareBitmap(&B, Width(), Height());
  return true;
}

void TvlSkinCustomEdit::DrawFrame(TCanvas* C) {
  TBitmap b;
  if (!StartFrameBitmap(b)) return;
  const int w = Width(), h = Height();
  TCanvas* bc = b.Canvas();
  const bool pressed = FButtonDown && FButtonActive;
  if (!Skinned() || !Picture) {
    const int bw = FButtonMode ? FButtonRect.Width() : 0;
    const TRect body{0, 0, w - bw, h};
    bc->Brush()->SetColor(FDefaultColor);
    bc->FillRect(body);
    bc->Brush()->SetColor(clBtnShadow);
    bc->FrameRect(body);
    bc->Brush()->SetColor(clBtnFace);
    bc->FrameRect(TRect{1, 1, body.Right - 1, h - 1});
    // (A skin element without a picture keeps its geometry with the built-in faces.)
    if (FButtonMode) DrawBuiltinEditButton(bc, FButtonRect, pressed, FButtonActive);
  } else {
    TBitmap strip;
    ComposeSkinStrip(LOffset, ROffset, &strip, Picture, ActiveLook() ? ActiveSkinRect : SkinRect, w, h, StretchEffect);
    bc->Draw(0, 0, &strip);
    if (FButtonMode) {
      TRect overlay{};
      if (!Enabled() && !IsNullRect(UnEnabledButtonRect))
        overlay = UnEnabledButtonRect;
      else if (pressed)
        overlay = DownButtonRect;
      else if (FButtonActive)
        overlay = ActiveButtonRect;
      if (!IsNullRect(overlay)) CopyPictureRect(bc, Picture, overlay, FButtonRect);
    }
  }
  C->Draw(0, 0, &b);
}

void TvlSkinCustomEdit::DrawStretchedFrame(TCanvas* C) {
  TBitmap b;
  if (!StartFrameBitmap(b)) return;
  ComposeStretchedSkinImage(&b, Picture, ActiveLook() ? ActiveSkinRect : SkinRect, ClRect, false);
  if (FButtonMode) DrawSkinButton(b.Canvas(), FButtonRect);
  C->Draw(0, 0, &b);
}

void TvlSkinCustomEdit::PaintFrame(HDC DC, bool ClipTextArea) {
  GetSkinData();
  CalcEditRects();
  const int saved = SaveDC(DC);
  if (ClipTextArea) ExcludeClipRect(DC, FEditRect.Left, FEditRect.Top, FEditRect.Right, FEditRect.Bottom);
  TCanvas canvas;
  canvas.SetHandle(DC);
  if (FUseSkinFont || !Skinned() || !Picture)
    DrawFrame(&canvas);
  else
    DrawStretchedFrame(&canvas);
  canvas.SetHandle(nullptr);
  RestoreDC(DC, saved);
}

void TvlSkinCustomEdit::PaintSkinTo(TCanvas* Canvas, int X, int Y, const std::string& AText) {
  TBitmap b;
  if (!Canvas || !StartFrameBitmap(b)) return;
  const int w = Width(), h = Height();
  TCanvas* bc = b.Canvas();
  if (!Skinned() || !Picture) {
    const bool active = FButtonActive, down = FButtonDown;
    FButtonActive = FButtonDown = false;  // the normal state
    DrawFrame(bc);
    FButtonActive = active;
    FButtonDown = down;
  } else if (FUseSkinFont) {
    TBitmap strip;
    ComposeSkinStrip(LOffset, ROffset, &strip, Picture, SkinRect, w, h, StretchEffect);
    bc->Draw(0, 0, &strip);
  } else {
    ComposeStretchedSkinImage(&b, Picture, SkinRect, ClRect, true);
    if (FButtonMode) DrawSkinButton(bc, FButtonRect);
  }
  TRect r = FEditRect;
  if (FImages) {
    if (FLeftImageIndex >= 0) r.Left += FImages->Width() + 2;
    if (FRightImageIndex >= 0) r.Right -= FImages->Width() + 2;
  }
  TFont* f = bc->Font();
  if (Skinned() && FUseSkinFont) {
    f->SetName(FontName);
    f->SetStyle(FontStyle);
    f->SetHeight(FontHeight);
    f->SetColor(FontColor);
  } else {
    f->Assign(FDefaultFont.get());
  }
  ApplySkinCharset(f, FSD, FDefaultFont.get());
  const int tw = bc->TextWidth(AText);
  int x = r.Left + 2;
  if (Alignment() == TAlignment::taRightJustify)
    x = r.Right - tw;
  else if (Alignment() == TAlignment::taCenter)
    x = r.Left + 2 + r.Width() / 2 - tw / 2;
  bc->Brush()->SetStyle(TBrushStyle::bsClear);
  const int saved = SaveDC(bc->Handle());
  IntersectClipRect(bc->Handle(), r.Left, r.Top, r.Right, r.Bottom);
  bc->TextOut(x, r.Top, AText);
  RestoreDC(bc->Handle(), saved);
  Canvas->Draw(X, Y, &b);
}

// ---- Messages ---------------------------------------------------------------------------------------

void TvlSkinCustomEdit::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_NCCALCSIZE:
      WMNCCalcSize(M);
      return;
    case WM_NCPAINT: {
      if (HDC dc = GetWindowDC(Handle())) {
        PaintFrame(dc, true);
        ReleaseDC(Handle(), dc);
      }
      Invalidate();
      return;
    }
    case WM_NCHITTEST:
      WMNCHitTest(M);
      return;
    case WM_NCMOUSEMOVE:
      WMNCMouseMove(M);
      return;
    case WM_NCMOUSELEAVE:
      // The pointer left the frame: unless it went into the text area, it left the edit.
      if (WindowFromPoint(CursorPosition()) != Handle()) Perform(CM_MOUSELEAVE, 0, 0);
      return;
    case WM_NCLBUTTONDOWN:
      WMNCLButtonDown(M, false);
      return;
    case WM_NCLBUTTONDBLCLK:
      WMNCLButtonDown(M, true);
      return;
    case WM_NCLBUTTONUP:
      WMNCLButtonUp(M);
      return;
    case WM_PRINTCLIENT:
      PaintClient(reinterpret_cast<HDC>(M.WParam));
      return;
    case WM_vlPaintFrameToDC:
      if (M.WParam) {
        PaintFrame(reinterpret_cast<HDC>(M.WParam), false);
        M.Result = vlPaintFrameToDCAnswer;
      }
      return;
    case WM_vlPaintFrameToDCEx:
      if (M.LParam != vlPaintFrameToDCExKey) break;
      if (M.WParam) PaintFrame(reinterpret_cast<HDC>(M.WParam), true);
      M.Result = vlPaintFrameToDCExKey;
      return;
    default:
      break;
  }
  TvlCustomEdit::WndProc(M);
}

void TvlSkinCustomEdit::WMNCCalcSize(TMessage& M) {
  GetSkinData();
  TRect* r = M.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)->rgrc[0] : reinterpret_cast<TRect*>(M.LParam);
  if (!r) return;
  int left = 2, top = 2, right = 2, bottom = 2;
  if (Skinned()) {
    left = ClRect.Left;
    top = ClRect.Top;
    right = RectWidth(SkinRect) - ClRect.Right;
    bottom = RectHeight(SkinRect) - ClRect.Bottom;
  } else if (FButtonMode) {
    right += r->Height();
  }
  r->Left += left;
  r->Top += top;
  r->Right -= right;
  r->Bottom -= bottom;
  M.Result = 0;
}

void TvlSkinCustomEdit::SetImageMouseIn(TvlCBButtonX& Button, bool Value) {
  if (Button.MouseIn == Value) return;
  Button.MouseIn = Value;
  Invalidate();
}

void TvlSkinCustomEdit::WMNCHitTest(TMessage& M) {
  const TPoint screen = ScreenPointOf(M.LParam);
  if (FImages) {
    UpdateImageButtons(false);
    const TPoint p = ScreenToClient(screen);
    if (FLeftImageIndex >= 0 && LeftButton.R.Contains(p)) {
      SetImageMouseIn(LeftButton, true);
      M.Result = kHitLeftImage;
      return;
    }
    if (FRightImageIndex >= 0 && RightButton.R.Contains(p)) {
      SetImageMouseIn(RightButton, true);
      M.Result = kHitRightImage;
      return;
    }
    SetImageMouseIn(LeftButton, false);
    SetImageMouseIn(RightButton, false);
  }
  if (FButtonMode) {
    GetSkinData();
    TPoint p = ScreenToClient(screen);
    p.X += Skinned() ? ClRect.Left : 2;
    p.Y += Skinned() ? ClRect.Top : 2;
    CalcEditRects();
    if (FButtonRect.Contains(p)) {
      M.Result = kHitEditButton;
      return;
    }
    if (!FEditRect.Contains(p)) {
      M.Result = kHitFrame;
      return;
    }
  }
  TvlCustomEdit::WndProc(M);
}

void TvlSkinCustomEdit::WMNCMouseMove(TMessage& M) {
  // The frame belongs to the edit: hover lasts until the pointer leaves the whole window, which
  // the frame's own leave notice reports.
  TRACKMOUSEEVENT tme;
  tme.dwFlags = TME_LEAVE | TME_NONCLIENT;
  tme.hwndTrack = Handle();
  TrackMouseEvent(&tme);
  if (!FMouseIn) Perform(CM_MOUSEENTER, 0, 0);
  if (!FButtonMode) {
    TvlCustomEdit::WndProc(M);
    return;
  }
  if (M.WParam == static_cast<WPARAM>(kHitEditButton)) {
    if (!FButtonActive) {
      FButtonActive = true;
      RepaintFrame();
      Invalidate();
    }
    return;
  }
  if (FButtonActive) {
    FButtonActive = false;
    RepaintFrame();
    Invalidate();
  }
  TvlCustomEdit::WndProc(M);
}

void TvlSkinCustomEdit::WMNCLButtonDown(TMessage& M, bool Double) {
  const auto hit = static_cast<LRESULT>(M.WParam);
  if (FImages && (hit == kHitLeftImage || hit == kHitRightImage)) {
    (hit == kHitLeftImage ? LeftButton : RightButton).Down = true;
    if (!Focused()) SetFocus();
    if (Double)
      Repaint();
    else
      Invalidate();
    return;
  }
  if (FButtonMode && hit == kHitEditButton) {
    FButtonDown = true;
    RepaintFrame();
    return;
  }
  if (Double)
    DefWindowProc(Handle(), M.Msg, M.WParam, M.LParam);
  else
    TvlCustomEdit::WndProc(M);
}

void TvlSkinCustomEdit::WMNCLButtonUp(TMessage& M) {
  const auto hit = static_cast<LRESULT>(M.WParam);
  TWeak<TvlSkinCustomEdit> self(this);
  if (FImages && (hit == kHitLeftImage || hit == kHitRightImage)) {
    TvlCBButtonX& button = hit == kHitLeftImage ? LeftButton : RightButton;
    if (!button.Down) return;
    button.Down = false;
    Invalidate();
    const TNotifyEvent event = hit == kHitLeftImage ? OnLeftButtonClick : OnRightButtonClick;
    if (event) event(this);
    return;
  }
  if (FButtonMode && hit == kHitEditButton) {
    // A release over the button clicks it, pressed here or not.
    FButtonDown = false;
    RepaintFrame();
    if (!Focused()) SetFocus();
    if (!self) return;
    const TNotifyEvent event = OnButtonClick;
    if (event) event(this);
    return;
  }
  DefWindowProc(Handle(), M.Msg, M.WParam, M.LParam);
}

void TvlSkinCustomEdit::WMMouseMove(TMessage& M) {
  TWeak<TvlSkinCustomEdit> self(this);
  TvlCustomEdit::WMMouseMove(M);
  if (!self || !FButtonMode || !FButtonActive) return;
  FButtonActive = false;
  RepaintFrame();
}

void TvlSkinCustomEdit::WMSize(TMessage& M) {
  TvlCustomEdit::WMSize(M);
  UpdateImageButtons(true);
  RepaintFrame();
}

void TvlSkinCustomEdit::WMSetFocus(TMessage& M) {
  TWeak<TvlSkinCustomEdit> self(this);
  TvlCustomEdit::WMSetFocus(M);
  if (self) FocusChanged(ActiveFontColor);
}

void TvlSkinCustomEdit::WMKillFocus(TMessage& M) {
  TWeak<TvlSkinCustomEdit> self(this);
  TvlCustomEdit::WMKillFocus(M);
  if (self) FocusChanged(FontColor);
}

void TvlSkinCustomEdit::FocusChanged(TColor TextColour) {
  RepaintFrame();
  Invalidate();
  // Under the pointer the edit keeps its active look either way.
  if (!FMouseIn && Skinned()) Font()->SetColor(TextColour);
  if (FImages) UpdateImageButtons(true);
}

void TvlSkinCustomEdit::CMMouseEnter(TMessage& M) {
  // The platform's enter (OnMouseEnter) comes when the pointer reaches the text area; the
  // frame's own moves bring it here with no sender.
  if (M.LParam) TvlCustomEdit::CMMouseEnter(M);
  if (FMouseIn) return;
  FMouseIn = true;
  GetSkinData();
  if (Focused() || !Skinned()) return;
  Font()->SetColor(ActiveFontColor);
  if (FImages) UpdateImageButtons(true);
  RepaintFrame();
  Invalidate();
}

void TvlSkinCustomEdit::CMMouseLeave(TMessage& M) {
  if (M.LParam) TvlCustomEdit::CMMouseLeave(M);
  // The pointer went from the text area onto the frame or an image button: still inside.
  if (M.LParam && HandleAllocated() && WindowFromPoint(CursorPosition()) == Handle()) return;
  if (!FMouseIn) return;
  FMouseIn = false;
  GetSkinData();
  if (!Focused() && Skinned()) {
    Font()->SetColor(FontColor);
    if (FImages) UpdateImageButtons(true);
    RepaintFrame();
    Invalidate();
  }
  if (FButtonDown || FButtonActive) {
    FButtonDown = false;
    FButtonActive = false;
    RepaintFrame();
    Invalidate();
  }
  if (FImages) {
    SetImageMouseIn(LeftButton, false);
    SetImageMouseIn(RightButton, false);
  }
}

void TvlSkinCustomEdit::CMEnabledChanged(TMessage& M) {
  TvlCustomEdit::CMEnabledChanged(M);
  RepaintFrame();
  Invalidate();
}

void TvlSkinCustomEdit::CMFontChanged(TMessage& M) {
  TvlCustomEdit::CMFontChanged(M);
  if (FUseSkinFont) return;
  // The platform edit measures with Font at every paint: nothing to make anew, only the height.
  AdjustHeight();
}
