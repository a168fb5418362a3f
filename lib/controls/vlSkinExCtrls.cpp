#include "lib/controls/vlSkinExCtrls.h"

#include "lib/data/vlDataSkinControls.h"
#include "lib/drawing/vlEffects.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/shell/DesktopOpener.h"
#include "platform/graphics/Gdi.h"

using vlskinctrls_detail::ApplySkinCharset;

TvlSkinLinkLabel::TvlSkinLinkLabel(TComponent* AOwner) : TCustomLabel(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("Arial");
  FDefaultFont->SetHeight(14);
  FDefaultFont->SetStyle(TFontStyles{TFontStyle::fsUnderline});
  SetTransparent(true);
  SetFont(FDefaultFont.get());
  SetCursor(crHandPoint);
}

TvlSkinLinkLabel::~TvlSkinLinkLabel() { ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr)); }

void TvlSkinLinkLabel::SetUseUnderLine(bool Value) {
  if (FUseUnderLine == Value) return;
  FUseUnderLine = Value;
  Repaint();
}

void TvlSkinLinkLabel::SetSkinData(TvlSkinData* Value) {
  ReplaceReference(FSD, Value);
  if (FSD) ChangeSkinData();
}

void TvlSkinLinkLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomLabel::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSD) FSD = nullptr;
}

void TvlSkinLinkLabel::GetSkinData() {
  FIndex = vlFindControlElement(FSD, FSkinDataName);
  auto* e = dynamic_cast<TvlDataSkinStdLabelControl*>(vlControlElement(FSD, FIndex));
  if (!e) return;  // another kind of element: the copies keep their values
  FontName = e->FontName;
  FontStyle = e->FontStyle;
  FontHeight = e->FontHeight;
  FontColor = e->FontColor;
  ActiveFontColor = e->ActiveFontColor;
}

void TvlSkinLinkLabel::ChangeSkinData() {
  GetSkinData();
  Repaint();
}

void TvlSkinLinkLabel::Click() {
  TWeak<TvlSkinLinkLabel> self(this);
  TCustomLabel::Click();
  if (!self || URL.empty()) return;
  // The desktop's opener gets the address as one argument (never through a shell); whether it
  // could start is not looked at.
  (void)ShellExecute(nullptr, "open", URL.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TvlSkinLinkLabel::CMMouseEnter(TMessage& M) {
  TCustomLabel::CMMouseEnter(M);
  FMouseIn = true;
  Repaint();
}

void TvlSkinLinkLabel::CMMouseLeave(TMessage& M) {
  TCustomLabel::CMMouseLeave(M);
  FMouseIn = false;
  Repaint();
}

TColor TvlSkinLinkLabel::PrepareFont(TFont* F) {
  TFontStyles style;
  TColor glow = DefaultActiveFontColor;
  if (FIndex == -1) {
    F->Assign(UseSkinFont ? FDefaultFont.get() : Font());
    if (FMouseIn) F->SetColor(DefaultActiveFontColor);
    style = F->Style();
    style.Include(TFontStyle::fsUnderline);
  } else {
    F->Assign(Font());
    if (UseSkinFont) {
      F->SetName(FontName);
      F->SetHeight(FontHeight);
      style = FontStyle;
    } else {
      style = F->Style();
    }
    if (FUseUnderLine)
      style.Include(TFontStyle::fsUnderline);
    else
      style.Exclude(TFontStyle::fsUnderline);
    F->SetColor(FMouseIn && !GlowEffect ? ActiveFontColor : FontColor);
    glow = ActiveFontColor;
  }
  // An enabled label follows UseUnderLine in either look; a disabled one in the built-in look
  // stays underlined.
  if (Enabled()) {
    if (FUseUnderLine)
      style.Include(TFontStyle::fsUnderline);
    else
      style.Exclude(TFontStyle::fsUnderline);
  }
  F->SetStyle(style);
  ApplySkinCharset(F, FSD, FDefaultFont.get());
  return glow;
}

void TvlSkinLinkLabel::DoDrawText(TRect& Rect, UINT Flags) {
  GetSkinData();
  const bool measuring = (Flags & DT_CALCRECT) != 0;
  std::string text = Caption();
  if (measuring && text.empty()) text = " ";
  if (measuring && ShowAccelChar() && text == "&") text += " ";
  UINT format = Flags;
  if (!ShowAccelChar()) format |= DT_NOPREFIX;
  format = DrawTextBiDiModeFlags(format);
  TRect r2 = Rect;
  if (GlowEffect) {
    r2.Top += GlowSize;
    r2.Bottom += GlowSize;
  }
  // Measuring happens outside painting too: a scratch canvas with the same font then.
  TBitmap scratch;
  TCanvas* c = !measuring && Canvas()->HandleAllocated() ? Canvas() : scratch.Canvas();
  const TColor glow = PrepareFont(c->Font());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  if (measuring) {
    DrawTextWide(c, text, r2, format);
    // The measured size, the text's place (below the glow's room) included.
    Rect.Right = r2.Right;
    Rect.Bottom = r2.Bottom;
    return;
  }
  if (Enabled()) {
    if (FMouseIn && GlowEffect)
      DrawThickGlowText(c, r2, text, format, 0, glow, GlowSize);
    else
      DrawTextWide(c, text, r2, format);
    return;
  }
  const bool skinColours = FIndex != -1 && FSD && FSD->SkinColors();
  const TColor highlight = skinColours ? FSD->SkinColors()->FcBtnHighLight : clBtnHighlight;
  const TColor shadow = skinColours ? FSD->SkinColors()->FcBtnShadow : clBtnShadow;
  TRect moved{r2.Left + 1, r2.Top + 1, r2.Right + 1, r2.Bottom + 1};
  c->Font()->SetColor(highlight);
  DrawTextWide(c, text, moved, format);
  c->Font()->SetColor(shadow);
  DrawTextWide(c, text, r2, format);
}
