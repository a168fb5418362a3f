// The skinned labels, bevel and splitter: TvlSkinStdLabel, TvlSkinTextLabel, TvlSkinBevel,
// TvlSkinSplitter.

#include <algorithm>

#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/Painting.h"

using namespace vlskinctrls_detail;

namespace {

// What a label draws its text with.
struct LabelLook {
  TvlSkinData* SkinData = nullptr;
  bool Skinned = false;
  bool UseSkinFont = true;
  bool UseSkinColor = true;
  TFont* DefaultFont = nullptr;
  TFont* Font = nullptr;  // the control's own
  const std::string* FontName = nullptr;
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = 0;
  bool Enabled = true;
};

void MakeLabelFont(TFont& f, const LabelLook& look) {
  if (!look.Skinned) {
    f.Assign(look.UseSkinFont ? look.DefaultFont : look.Font);
  } else {
    f.Assign(look.Font);
    if (look.UseSkinFont) {
      f.SetName(*look.FontName);
      f.SetStyle(look.FontStyle);
      f.SetHeight(look.FontHeight);
    }
    f.SetColor(look.UseSkinColor ? look.FontColor : look.Font->Color());
  }
  ApplySkinCharset(&f, look.SkinData, look.DefaultFont);
}

// Draws (or with DT_CALCRECT measures) Text in Rect: once when enabled, else a highlight copy
// one pixel right and down under a shadow copy.
void DrawLabelTextOn(HDC DC, const std::string& Text, TRect& Rect, UINT Flags, const LabelLook& look) {
  TFont f;
  MakeLabelFont(f, look);
  const int saved = SaveDC(DC);
  SelectObject(DC, f.Handle());
  SetBkMode(DC, TRANSPARENT);
  if ((Flags & DT_CALCRECT) == 0) {
    if (!look.Enabled) {
      const bool skinColours = look.Skinned && look.SkinData && look.SkinData->SkinColors();
      TRect shadow{Rect.Left + 1, Rect.Top + 1, Rect.Right + 1, Rect.Bottom + 1};
      SetTextColor(DC, ColorToRGB(skinColours ? look.SkinData->SkinColors()->FcBtnHighLight : clBtnHighlight));
      DrawText(DC, Text, &shadow, Flags);
      SetTextColor(DC, ColorToRGB(skinColours ? look.SkinData->SkinColors()->FcBtnShadow : clBtnShadow));
    } else {
      SetTextColor(DC, ColorToRGB(f.Color()));
    }
  }
  DrawText(DC, Text, &Rect, Flags);
  RestoreDC(DC, saved);
}

UINT AlignmentFlags(TAlignment a) {
  switch (a) {
    case TAlignment::taRightJustify: return DT_RIGHT;
    case TAlignment::taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

// A screen context for measuring, released with the object.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  [[nodiscard]] HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

// ---- TvlSkinStdLabel ---------------------------------------------------------------------------

TvlSkinStdLabel::TvlSkinStdLabel(TComponent* AOwner) : TCustomLabel(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  SetTransparent(true);
}

TvlSkinStdLabel::~TvlSkinStdLabel() { ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr)); }

void TvlSkinStdLabel::SetSkinData(TvlSkinData* Value) {
  ReplaceReference(FSD, Value);
  if (FSD) ChangeSkinData();
}

void TvlSkinStdLabel::SetEllipsType(TvlEllipsType Value) {
  if (FEllipsType == Value) return;
  FEllipsType = Value;
  Invalidate();
}

void TvlSkinStdLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomLabel::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSD) FSD = nullptr;
}

void TvlSkinStdLabel::GetSkinData() {
  FIndex = vlFindControlElement(FSD, FSkinDataName);
  if (auto* d = dynamic_cast<TvlDataSkinStdLabelControl*>(vlControlElement(FSD, FIndex))) {
    FontName = d->FontName;
    FontColor = d->FontColor;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
  }
}

void TvlSkinStdLabel::ChangeSkinData() {
  GetSkinData();
  if (AutoSize()) AdjustBounds();
  Invalidate();
}

void TvlSkinStdLabel::DrawLabelText(HDC DC, const std::string& Text, TRect& Rect, UINT Flags) {
  LabelLook look{FSD,        FIndex != -1, UseSkinFont, UseSkinColor, FDefaultFont.get(), Font(), &FontName,
                 FontStyle, FontHeight,   FontColor,   Enabled()};
  DrawLabelTextOn(DC, Text, Rect, Flags, look);
}

void TvlSkinStdLabel::DoDrawText(TRect& Rect, UINT Flags) {
  GetSkinData();
  const bool measuring = (Flags & DT_CALCRECT) != 0;
  std::string text = Caption();
  if (measuring && text.empty()) text = " ";
  if (measuring && ShowAccelChar() && text == "&") text += " ";
  if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
  if (BreakLongWords && (Flags & DT_WORDBREAK)) Flags |= DT_EDITCONTROL;
  if (FEllipsType == TvlEllipsType::vletEndEllips) Flags |= DT_END_ELLIPSIS;
  if (FEllipsType == TvlEllipsType::vletPathEllips) Flags |= DT_PATH_ELLIPSIS;
  if (measuring || !Canvas()->HandleAllocated()) {
    ScreenDC screen;
    if (screen.Get()) DrawLabelText(screen.Get(), text, Rect, Flags);
    return;
  }
  DrawLabelText(Canvas()->Handle(), text, Rect, Flags);
}

void TvlSkinStdLabel::PaintSkinTo(TCanvas* Canvas, int X, int Y, const std::string& AText) {
  if (!Canvas) return;
  GetSkinData();
  HDC dc = Canvas->Handle();
  TRect r = ClientRect();
  if (!Transparent()) {
    Canvas->Brush()->SetColor(Color());
    Canvas->FillRect(TRect{r.Left + X, r.Top + Y, r.Right + X, r.Bottom + Y});
  }
  UINT flags = DT_EXPANDTABS | AlignmentFlags(Alignment());
  if (WordWrap()) flags |= DT_WORDBREAK | (BreakLongWords ? DT_EDITCONTROL : 0);
  if (!ShowAccelChar()) flags |= DT_NOPREFIX;
  if (FEllipsType == TvlEllipsType::vletEndEllips) flags |= DT_END_ELLIPSIS;
  if (FEllipsType == TvlEllipsType::vletPathEllips) flags |= DT_PATH_ELLIPSIS;
  flags = DrawTextBiDiModeFlags(flags);
  if (Layout() != TTextLayout::tlTop) {
    TRect calc = r;
    DrawLabelText(dc, AText.empty() ? std::string(" ") : AText, calc, flags | DT_CALCRECT);
    const int offset = Height() - calc.Bottom;
    const int dy = Layout() == TTextLayout::tlBottom ? offset : offset / 2;
    r.Top += dy;
    r.Bottom += dy;
  }
  r = TRect{r.Left + X, r.Top + Y, r.Right + X, r.Bottom + Y};
  DrawLabelText(dc, AText, r, flags);
}

// ---- TvlSkinTextLabel --------------------------------------------------------------------------

TvlSkinTextLabel::TvlSkinTextLabel(TComponent* AOwner)
    : TGraphicControl(AOwner), FDefaultFont(std::make_unique<TFont>()), FLines(std::make_unique<TStringList>()) {
  SetBounds(Left(), Top(), 65, 65);
  TControlStyle style = ControlStyle();
  style.Exclude(TControlStyleFlag::csOpaque);
  style.Include(TControlStyleFlag::csReplicatable);
  SetControlStyle(style);
  FLines->OnChange = [this](TObject*) {
    AdjustBounds();
    Invalidate();
  };
  TGraphicControl::SetAutoSize(true);
}

TvlSkinTextLabel::~TvlSkinTextLabel() {
  FLines->OnChange = nullptr;
  ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr));
}

void TvlSkinTextLabel::SetSkinData(TvlSkinData* Value) {
  ReplaceReference(FSD, Value);
  if (FSD) ChangeSkinData();
}

void TvlSkinTextLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSD) FSD = nullptr;
}

void TvlSkinTextLabel::SetLines(TStrings* Value) {
  FLines->Assign(Value);
  Repaint();
}

void TvlSkinTextLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TvlSkinTextLabel::SetLayout(TTextLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TvlSkinTextLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TvlSkinTextLabel::SetAutoSize(bool Value) {
  if (AutoSize() == Value) return;
  TGraphicControl::SetAutoSize(Value);
  AdjustBounds();
}

void TvlSkinTextLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TvlSkinTextLabel::CMFontChanged(TMessage& Message) {
  TGraphicControl::CMFontChanged(Message);
  AdjustBounds();
  Invalidate();
}

void TvlSkinTextLabel::GetSkinData() {
  FIndex = vlFindControlElement(FSD, FSkinDataName);
  if (auto* d = dynamic_cast<TvlDataSkinStdLabelControl*>(vlControlElement(FSD, FIndex))) {
    FontName = d->FontName;
    FontColor = d->FontColor;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
  }
}

void TvlSkinTextLabel::ChangeSkinData() {
  GetSkinData();
  AdjustBounds();
  Invalidate();
}

std::string TvlSkinTextLabel::GetLabelText() const { return FLines->Text(); }

void TvlSkinTextLabel::DrawLabelText(HDC DC, const std::string& Text, TRect& Rect, UINT Flags) {
  LabelLook look{FSD,        FIndex != -1, UseSkinFont, UseSkinColor, FDefaultFont.get(), Font(), &FontName,
                 FontStyle, FontHeight,   FontColor,   Enabled()};
  DrawLabelTextOn(DC, Text, Rect, Flags, look);
}

void TvlSkinTextLabel::AdjustBounds() {
  if (!AutoSize() || Loading()) return;
  GetSkinData();
  ScreenDC screen;
  if (!screen.Get()) return;
  TRect r = ClientRect();
  if (!FWordWrap) r.Right = r.Left + 100000;
  DrawLabelText(screen.Get(), GetLabelText(), r,
                DrawTextBiDiModeFlags(DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0)));
  TRect a{0, 0, 0, 0};
  DrawLabelText(screen.Get(), "A", a, DT_CALCRECT);
  TAlignment alignment = FAlignment;
  if (UseRightToLeftAlignment() && alignment != TAlignment::taCenter)
    alignment = alignment == TAlignment::taLeftJustify ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
  const int w = r.Right, h = std::max(0, r.Bottom - a.Height());
  int x = Left();
  if (alignment == TAlignment::taRightJustify) x += Width() - w;
  SetBounds(x, Top(), w, h);
}

void TvlSkinTextLabel::Paint() {
  GetSkinData();
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  HDC dc = c->Handle();
  const std::string text = GetLabelText();
  UINT flags = DT_EXPANDTABS | AlignmentFlags(FAlignment);
  if (FWordWrap) flags |= DT_WORDBREAK;
  flags = DrawTextBiDiModeFlags(flags);
  TRect r = ClientRect();
  if (FLayout != TTextLayout::tlTop) {
    TRect calc = r;
    DrawLabelText(dc, text, calc, flags | DT_CALCRECT);
    TRect a{0, 0, 0, 0};
    DrawLabelText(dc, "A", a, DT_CALCRECT);
    const int offset = Height() - (calc.Bottom - a.Height());
    const int dy = FLayout == TTextLayout::tlBottom ? offset : offset / 2;
    r.Top += dy;
    r.Bottom += dy;
  }
  DrawLabelText(dc, text, r, flags);
}

// ---- TvlSkinBevel ------------------------------------------------------------------------------

TvlSkinBevel::TvlSkinBevel(TComponent* AOwner) : TBevel(AOwner) {}

TvlSkinBevel::~TvlSkinBevel() { ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr)); }

void TvlSkinBevel::SetSkinData(TvlSkinData* Value) {
  ReplaceReference(FSD, Value);
  ChangeSkinData();
}

void TvlSkinBevel::Notification(TComponent* AComponent, TOperation Operation) {
  TBevel::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSD) FSD = nullptr;
}

void TvlSkinBevel::ChangeSkinData() {
  FIndex = vlFindControlElement(FSD, FSkinDataName);
  if (FIndex == -1) {
    LightColor = clBtnHighlight;
    DarkColor = clBtnShadow;
  } else if (auto* d = dynamic_cast<TvlDataSkinBevel*>(vlControlElement(FSD, FIndex))) {
    LightColor = d->LightColor;
    DarkColor = d->DarkColor;
  }
  Invalidate();
}

void TvlSkinBevel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TBevel::SetBounds(ALeft, vlCentredTop(this, ATop, AHeight), AWidth, AHeight);
}

void TvlSkinBevel::SetDividerMode(bool Value) {
  FDividerMode = Value;
  Invalidate();
}

void TvlSkinBevel::Paint() {
  TCanvas* c = Canvas();
  c->Pen()->SetStyle(TPenStyle::psSolid);
  c->Pen()->SetWidth(1);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  const int W = Width(), H = Height();
  const TColor color1 = Style() == TBevelStyle::bsLowered ? DarkColor : LightColor;
  const TColor color2 = Style() == TBevelStyle::bsLowered ? LightColor : DarkColor;
  // Left and top edges in First, right and bottom edges in Second.
  auto bevelRect = [&](int l, int t, int r, int b, TColor first, TColor second) {
    c->Pen()->SetColor(first);
    c->Polyline({TPoint{l, b}, TPoint{l, t}, TPoint{r, t}});
    c->Pen()->SetColor(second);
    c->Polyline({TPoint{r, t}, TPoint{r, b}, TPoint{l, b}});
  };
  auto line = [&](int x1, int y1, int x2, int y2, TColor color) {
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  if (FDividerMode) {
    switch (Shape()) {
      case TBevelShape::bsTopLine:
      case TBevelShape::bsBottomLine: bevelRect(2, H / 2 - 1, W - 2, H / 2, color1, color2); break;
      case TBevelShape::bsSpacer: break;
      default: bevelRect(W / 2 - 1, 2, W / 2, H - 2, color1, color2); break;
    }
    return;
  }
  switch (Shape()) {
    case TBevelShape::bsBox: bevelRect(0, 0, W - 1, H - 1, color1, color2); break;
    case TBevelShape::bsFrame:
      bevelRect(1, 1, W - 1, H - 1, color2, color2);
      bevelRect(0, 0, W - 2, H - 2, color1, color1);
      break;
    case TBevelShape::bsTopLine:
      line(0, 0, W, 0, color1);
      line(0, 1, W, 1, color2);
      break;
    case TBevelShape::bsBottomLine:
      line(0, H - 2, W, H - 2, color1);
      line(0, H - 1, W, H - 1, color2);
      break;
    case TBevelShape::bsLeftLine:
      line(0, 0, 0, H, color1);
      line(1, 0, 1, H, color2);
      break;
    case TBevelShape::bsRightLine:
      line(W - 2, 0, W - 2, H, color1);
      line(W - 1, 0, W - 1, H, color2);
      break;
    case TBevelShape::bsSpacer: break;
  }
}

// ---- TvlSkinSplitter ---------------------------------------------------------------------------

TvlSkinSplitter::TvlSkinSplitter(TComponent* AOwner) : TSplitter(AOwner) {
  SetControlStyle(TControlStyle(ControlStyle()).Include(TControlStyleFlag::csOpaque));
}

TvlSkinSplitter::~TvlSkinSplitter() { ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr)); }

void TvlSkinSplitter::SetSkinData(TvlSkinData* Value) {
  ReplaceReference(FSD, Value);
  ChangeSkinData();
}

void TvlSkinSplitter::Notification(TComponent* AComponent, TOperation Operation) {
  TSplitter::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSD) {
    FSD = nullptr;
    FSkinPicture = nullptr;
  }
}

void TvlSkinSplitter::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  TControlStyle style = ControlStyle();
  if (Value)
    style.Exclude(TControlStyleFlag::csOpaque);
  else
    style.Include(TControlStyleFlag::csOpaque);
  SetControlStyle(style);
  Invalidate();
}

void TvlSkinSplitter::GetSkinData() {
  FIndex = vlFindControlElement(FSD, FSkinDataName);
  FSkinPicture = nullptr;
  auto* d = dynamic_cast<TvlDataSkinSplitterControl*>(vlControlElement(FSD, FIndex));
  if (!d) return;
  LTPt = d->LTPoint;
  RTPt = d->RTPoint;
  LBPt = d->LBPoint;
  SkinRect = d->SkinRect;
  StretchEffect = d->StretchEffect;
  GripperRect = d->GripperRect;
  GripperTransparent = d->GripperTransparent;
  GripperTransparentColor = d->GripperTransparentColor;
  TBitmap* picture = vlSkinPicture(FSD, d->PictureIndex);
  if (picture && RectInsidePicture(SkinRect, picture)) FSkinPicture = picture;
}

void TvlSkinSplitter::ChangeSkinData() {
  GetSkinData();
  const bool skinned = FIndex != -1 && FSkinPicture && !FTransparent;
  if (AlongTopOrBottom())
    SetHeight(skinned ? SkinRect.Height() : FDefaultSize);
  else
    SetWidth(skinned ? SkinRect.Width() : FDefaultSize);
  Invalidate();
}

void TvlSkinSplitter::Paint() {
  if (FTransparent || Width() < 1 || Height() < 1) return;
  GetSkinData();
  if (FIndex == -1 || !FSkinPicture || Align() == TAlign::alNone || Align() == TAlign::alClient) {
    TSplitter::Paint();
    return;
  }
  TBitmap b;
  if (AlongTopOrBottom())
    ComposeSkinStrip(LTPt.X, SkinRect.Width() - RTPt.X, &b, FSkinPicture, SkinRect, Width(), SkinRect.Height(),
                     StretchEffect);
  else
    ComposeSkinStripVert(LTPt.Y, SkinRect.Height() - LBPt.Y, &b, FSkinPicture, SkinRect, SkinRect.Width(), Height(),
                         StretchEffect);
  if (b.Empty()) return;
  TBitmap gripper;
  if (!IsNullRect(GripperRect) && CopyPiece(&gripper, FSkinPicture, GripperRect)) {
    if (GripperTransparent) {
      gripper.SetTransparentColor(GripperTransparentColor);
      gripper.SetTransparent(true);
    }
    b.Canvas()->Draw(b.Width() / 2 - gripper.Width() / 2, b.Height() / 2 - gripper.Height() / 2, &gripper);
  }
  Canvas()->Draw(0, 0, &b);
}
