#include "platform/graphics/GraphicsObjects.h"

#include <cmath>

// ---- TFont -------------------------------------------------------------------------------------

TFont::TFont() = default;
TFont::~TFont() { FreeHandle(); }

void TFont::FreeHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

void TFont::Changed() {
  FreeHandle();
  if (OnChange) OnChange(this);
}

void TFont::SetName(const std::string& Value) {
  if (Value.empty() || Value == name_) return;  // an empty name keeps the current face
  name_ = Value;
  Changed();
}

void TFont::SetHeight(int Value) {
  if (Value == height_) return;
  height_ = Value;
  Changed();
}

int TFont::Size() const { return static_cast<int>(std::lround(-height_ * 72.0 / PixelsPerInch())); }

void TFont::SetSize(int Value) { SetHeight(-static_cast<int>(std::lround(Value * PixelsPerInch() / 72.0))); }

void TFont::SetStyle(TFontStyles Value) {
  if (Value == style_) return;
  style_ = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  if (OnChange) OnChange(this);  // the colour is not part of the font object
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == charset_) return;
  charset_ = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == pitch_) return;
  pitch_ = Value;
  Changed();
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONT lf;
    lf.lfHeight = height_;
    lf.lfWeight = style_.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(TFontStyle::fsItalic) ? 1 : 0;
    lf.lfUnderline = style_.Contains(TFontStyle::fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = style_.Contains(TFontStyle::fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = charset_;
    lf.lfFaceName = name_;
    handle_ = CreateFontIndirect(&lf);
  }
  return handle_;
}

void TFont::SetHandle(HFONT Value) {
  LOGFONT lf;
  if (GetObject(Value, sizeof(LOGFONT), &lf) == 0) return;
  name_ = lf.lfFaceName.empty() ? name_ : lf.lfFaceName;
  height_ = lf.lfHeight;
  style_ = {};
  if (lf.lfWeight >= 600) style_.Include(TFontStyle::fsBold);
  if (lf.lfItalic) style_.Include(TFontStyle::fsItalic);
  if (lf.lfUnderline) style_.Include(TFontStyle::fsUnderline);
  if (lf.lfStrikeOut) style_.Include(TFontStyle::fsStrikeOut);
  charset_ = lf.lfCharSet;
  Changed();
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    if (f == this) return;
    name_ = f->name_;
    height_ = f->height_;
    style_ = f->style_;
    color_ = f->color_;
    charset_ = f->charset_;
    pitch_ = f->pitch_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TPen --------------------------------------------------------------------------------------

int PenModeToRop2(TPenMode Mode) {
  switch (Mode) {
    case TPenMode::pmBlack: return R2_BLACK;
    case TPenMode::pmWhite: return R2_WHITE;
    case TPenMode::pmNop: return R2_NOP;
    case TPenMode::pmNot: return R2_NOT;
    case TPenMode::pmCopy: return R2_COPYPEN;
    case TPenMode::pmNotCopy: return R2_NOTCOPYPEN;
    case TPenMode::pmMergePenNot: return R2_MERGEPENNOT;
    case TPenMode::pmMaskPenNot: return R2_MASKPENNOT;
    case TPenMode::pmMergeNotPen: return R2_MERGENOTPEN;
    case TPenMode::pmMaskNotPen: return R2_MASKNOTPEN;
    case TPenMode::pmMerge: return R2_MERGEPEN;
    case TPenMode::pmNotMerge: return R2_NOTMERGEPEN;
    case TPenMode::pmMask: return R2_MASKPEN;
    case TPenMode::pmNotMask: return R2_NOTMASKPEN;
    case TPenMode::pmXor: return R2_XORPEN;
    case TPenMode::pmNotXor: return R2_NOTXORPEN;
  }
  return R2_COPYPEN;
}

TPen::TPen() = default;
TPen::~TPen() { FreeHandle(); }

void TPen::FreeHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

void TPen::Changed() {
  FreeHandle();
  if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == width_) return;
  width_ = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == mode_) return;
  mode_ = Value;
  if (OnChange) OnChange(this);  // the mode belongs to the DC, not to the pen object
}

HPEN TPen::Handle() {
  if (!handle_) {
    static constexpr int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    handle_ = CreatePen(kStyles[static_cast<int>(style_)], width_, ColorToRGB(color_));
  }
  return handle_;
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    if (p == this) return;
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TBrush ------------------------------------------------------------------------------------

TBrush::TBrush() = default;
TBrush::~TBrush() { FreeHandle(); }

void TBrush::FreeHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

void TBrush::Changed() {
  FreeHandle();
  if (OnChange) OnChange(this);
}

void TBrush::SetColor(TColor Value) {
  if (Value == color_ && style_ != TBrushStyle::bsClear) return;
  color_ = Value;
  if (style_ == TBrushStyle::bsClear) style_ = TBrushStyle::bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!handle_) {
    LOGBRUSH lb;
    lb.lbStyle = style_ == TBrushStyle::bsClear ? BS_NULL : BS_SOLID;
    lb.lbColor = ColorToRGB(color_);
    handle_ = CreateBrushIndirect(&lb);
  }
  return handle_;
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    if (b == this) return;
    color_ = b->color_;
    style_ = b->style_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}
