#pragma once
// TFont, TPen and TBrush: the component framework's drawing tools. Each keeps its properties,
// makes the matching drawing object (Handle) when first asked and after every change, and fires
// OnChange after each change so a canvas selects the new object before it next draws.

#include <string>

#include "platform/graphics/Colors.h"
#include "platform/graphics/Gdi.h"
#include "platform/core/Object.h"
#include "platform/core/Set.h"

// ---- TFont -------------------------------------------------------------------------------------
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
using TFontCharset = BYTE;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TPersistent {
 public:
  // Defaults: "Tahoma", Height -11 (Size 8), no style, clWindowText, DEFAULT_CHARSET.
  TFont();
  ~TFont() override;

  [[nodiscard]] const std::string& Name() const { return name_; }
  void SetName(const std::string& Value);
  // Negative: character height in pixels; positive: cell height (see LOGFONT).
  [[nodiscard]] int Height() const { return height_; }
  void SetHeight(int Value);
  // Points at 96 pixels per inch: Size = -Height * 72 / 96 (rounded); setting a Size sets
  // Height = -round(Size * 96 / 72). A positive Height gives a negative Size.
  [[nodiscard]] int Size() const;
  void SetSize(int Value);
  [[nodiscard]] TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles Value);
  [[nodiscard]] TColor Color() const { return color_; }
  void SetColor(TColor Value);
  [[nodiscard]] TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset Value);
  [[nodiscard]] TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch Value);
  [[nodiscard]] int PixelsPerInch() const { return 96; }

  // The font object for these properties, made on demand and owned by the TFont.
  [[nodiscard]] HFONT Handle();
  // Takes the properties of a font handle's LOGFONT (the handle itself stays the caller's).
  void SetHandle(HFONT Value);

  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  void Changed();
  void FreeHandle();

  std::string name_ = "Tahoma";
  int height_ = -11;
  TFontStyles style_;
  TColor color_ = clWindowText;
  TFontCharset charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  HFONT handle_ = nullptr;
};

// ---- TPen --------------------------------------------------------------------------------------
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
// The R2_* mix mode of a pen mode.
[[nodiscard]] int PenModeToRop2(TPenMode Mode);

class TPen : public TPersistent {
 public:
  // Defaults: clBlack, width 1, psSolid, pmCopy.
  TPen();
  ~TPen() override;

  [[nodiscard]] TColor Color() const { return color_; }
  void SetColor(TColor Value);
  [[nodiscard]] int Width() const { return width_; }
  void SetWidth(int Value);
  [[nodiscard]] TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle Value);
  [[nodiscard]] TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode Value);

  [[nodiscard]] HPEN Handle();
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  void Changed();
  void FreeHandle();

  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = TPenStyle::psSolid;
  TPenMode mode_ = TPenMode::pmCopy;
  HPEN handle_ = nullptr;
};

// ---- TBrush ------------------------------------------------------------------------------------
// Hatched styles are accepted and drawn solid.
enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TPersistent {
 public:
  // Defaults: clWhite, bsSolid.
  TBrush();
  ~TBrush() override;

  [[nodiscard]] TColor Color() const { return color_; }
  // Setting a colour while the style is bsClear makes the brush solid again.
  void SetColor(TColor Value);
  [[nodiscard]] TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle Value);

  [[nodiscard]] HBRUSH Handle();
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  void Changed();
  void FreeHandle();

  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
  HBRUSH handle_ = nullptr;
};
