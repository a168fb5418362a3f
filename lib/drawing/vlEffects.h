#pragma once
// The drawing core of the skin library: TvlBitmap, the 32-bit working surface every skin picture
// is composed on, with its own memory device context; the table of pixel routines its drawing
// operations go through; TvlEffectBmp, the 24-bit image of hover transitions and caption
// effects; the blur, mask-alpha, glow and reflection routines on skin bitmaps.
//
// Pixel layout of a TvlBitmap: Width * Height values of TvlColor (0xAARRGGBB; in memory blue,
// green, red, alpha), row 0 at the top, rows without padding.
//
// GUI thread only: the registry of skin bitmaps is not locked.

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lib/data/vlSkinDescription.h"
#include "platform/graphics/Gdi.h"
#include "platform/core/Object.h"
#include "platform/core/Types.h"

class TBitmap;
class TCanvas;

class TBitmap;
class TCanvas;
class TGraphic;
class TStream;
class PixelSurface;

using TvlColor = std::uint32_t;
using PvlColorArray = TvlColor*;

// Pixels of this value (red 127, green 0, blue 127) are skipped by transparent drawing; where
// stated only red, green and blue are compared.
inline constexpr TvlColor kvlTransparentKey = 0x007F007F;

// ---- Colour-space helpers ----------------------------------------------------------------------

// Clamps R, G, B to 0..255 and packs A << 24 | R << 16 | G << 8 | B.
[[nodiscard]] TvlColor PackColor(int R, int G, int B, int A);
struct TvlHSL {
  float H = 0, S = 0, L = 0;  // each 0..1
};
// Hue, saturation and lightness of a pixel, computed in single precision.
[[nodiscard]] TvlHSL RGBToHSL(TvlColor Color);
// The opaque pixel of that lightness, saturation and hue (each 0..1).
[[nodiscard]] TvlColor HSLToRGB(float L, float S, float H);
// The opaque pixel of a framework colour value (0x00BBGGRR; system colours resolved).
[[nodiscard]] TvlColor ColorToPixel(TColor Color);

// ---- Pixel routines ----------------------------------------------------------------------------

class TvlBitmap;

// The routine table the drawing operations go through, filled once (first use) with the
// processor's blend variants. Line routines do nothing for a count of 0 or below.
struct TvlPixelRoutines {
  TvlColor (*BlendPixel)(TvlColor F, TvlColor B);
  void (*BlendLine)(const TvlColor* Src, TvlColor* Dst, int Count);
  void (*TransparentLine)(const TvlColor* Src, TvlColor* Dst, int Count);
  void (*CopyLine)(const TvlColor* Src, TvlColor* Dst, int Count);
  void (*FillLine)(TvlColor* Dst, int Count, TvlColor Value);
  // Rectangles of these two are inclusive (Right and Bottom belong to them).
  void (*FillRectArea)(TvlColor* Bits, int RowLength, TvlColor Value, const TRect& R);
  void (*SetAlphaLine)(TvlColor* Dst, int Count, std::uint8_t Alpha);
  void (*SetAlphaRect)(TvlColor* Bits, int RowLength, std::uint8_t Alpha, const TRect& R);
  void (*ClearKeyAlpha)(TvlColor* Dst, int Count, TvlColor Color);
};

// The table in use. The blend routines are the vector-unit variants when the processor has one
// (always so on x86-64), else the plain ones.
[[nodiscard]] const TvlPixelRoutines& vlPixelRoutines();
// Both variant sets, for callers and tests that need a particular one.
[[nodiscard]] const TvlPixelRoutines& vlPlainPixelRoutines();
[[nodiscard]] const TvlPixelRoutines& vlMMXPixelRoutines();
// True when the processor offers the vector blend unit the MMX variants stand for.
[[nodiscard]] bool vlProcessorHasMMX();

// Drawing between skin bitmaps, the core of every Draw overload (D destination, S source):
// nothing when SrcRect is empty or not inside S; the destination is clipped to D (and to Clip
// when it is not empty); same sizes copy row by row, other sizes sample the nearest source pixel.
void StretchBitmap(TvlBitmap* D, const TRect& DstRect, const TRect& Clip, const TRect& SrcRect, TvlBitmap* S);
void StretchBitmapAlpha(TvlBitmap* D, const TRect& DstRect, const TRect& Clip, const TRect& SrcRect, TvlBitmap* S);
void StretchBitmapTransparent(TvlBitmap* D, const TRect& DstRect, const TRect& Clip, const TRect& SrcRect,
                              TvlBitmap* S);

// 32-bit pixel memory of a device context's bitmap; all zero when the context has none.
struct TvlDCBits {
  TvlColor* Bits = nullptr;
  int Width = 0;
  int Height = 0;      // positive: rows bottom-up, as the platform's DIB convention says
  int BitsPerPixel = 0;
  int Stride = 0;      // pixels from one row to the next
};
[[nodiscard]] TvlDCBits GetDCBits(HDC DC);
// Drawing into 32-bit pixel memory of Width x Height (bottom-up when BottomUp), clipped to
// DstRect ∩ Clip ∩ the memory. Same rules as the skin-bitmap core.
void DrawToBits(const TvlDCBits& Bits, bool BottomUp, const TRect& DstRect, const TRect& Clip, TvlBitmap* S,
                const TRect& SrcRect);
void DrawAlphaToBits(const TvlDCBits& Bits, bool BottomUp, const TRect& DstRect, const TRect& Clip, TvlBitmap* S,
                     const TRect& SrcRect);
void DrawTransparentToBits(const TvlDCBits& Bits, bool BottomUp, const TRect& DstRect, const TRect& Clip,
                           TvlBitmap* S, const TRect& SrcRect);

// ---- TvlBitmap ---------------------------------------------------------------------------------

class TvlBitmapLink;

class TvlBitmap : public TPersistent {
 public:
  TvlBitmap();
  ~TvlBitmap() override;
  // The registry and device contexts refer to a bitmap by address: never copied or moved.
  TvlBitmap(const TvlBitmap&) = delete;
  TvlBitmap& operator=(const TvlBitmap&) = delete;

  // Absolute values of the arguments are used; a side of 0 or the current size does nothing.
  // A new size loses the pixels (all read 0). Raises Exception "Can't allocate the DIB handle"
  // (also for a size beyond the surface limits), "Can't create compatible DC" or "Can't vllect
  // an object into DC"; the bitmap is then empty and Width/Height keep their old values.
  void SetSize(int AWidth, int AHeight);
  [[nodiscard]] bool Empty() const { return FBits == nullptr; }
  [[nodiscard]] int Width() const { return FWidth; }
  [[nodiscard]] int Height() const { return FHeight; }
  // The pixel memory (nullptr when empty) and its memory device context.
  [[nodiscard]] PvlColorArray Bits() const { return FBits; }
  [[nodiscard]] HDC DC() const { return FDC; }
  [[nodiscard]] HBITMAP Handle() const { return FHandle; }
  // A canvas on the memory context, made on first use and kept bound across SetSize.
  [[nodiscard]] TCanvas* Canvas();

  [[nodiscard]] const std::string& Name() const { return FName; }
  void SetName(const std::string& Value) { FName = Value; }
  [[nodiscard]] bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value) { FAlphaBlend = Value; }
  [[nodiscard]] bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }

  // Row Y and pixel (X, Y); unchecked: the caller keeps the bitmap non-empty and the
  // coordinates inside.
  [[nodiscard]] TvlColor* ScanLine(int Y) const { return FBits + static_cast<std::ptrdiff_t>(Y) * FWidth; }
  [[nodiscard]] TvlColor* PixelPtr(int X, int Y) const { return ScanLine(Y) + X; }
  // Writes one pixel when (X, Y) lies inside a non-empty bitmap.
  void SetPixel(int X, int Y, TvlColor Value);
  [[nodiscard]] TvlColor Pixel(int X, int Y) const;  // 0 outside
  void Clear(TvlColor Color);

  // Another TvlBitmap, a TBitmap, a TPicture, any other graphic; anything else raises
  // EConvertError.
  void Assign(TPersistent* Source) override;

  // Takes the bitmap resource ResName (RT_BITMAP) of the program's resources; nothing when there
  // is none. The program is the only module with resources, so ResFileName names no other.
  void LoadFromResource(const std::string& ResFileName, const std::string& ResName);
  // Reads an 8-bit PCX picture (first byte 10 or 205; anything else loads nothing).
  void LoadFromPcxStream(TStream* Stream);

  // A new link (owned by the caller) naming Rect of this bitmap.
  [[nodiscard]] std::unique_ptr<TvlBitmapLink> GetBitmapLink(const TRect& Rect);
  [[nodiscard]] std::unique_ptr<TvlBitmapLink> GetBitmapLink(const std::string& Rect);

  void CheckingAlphaBlend();
  void CheckingAlphaBlend(const TRect& ARect);
  void CheckingTransparent(TColor Color);
  void CheckingTransparent(const TRect& ARect, TColor Color);
  void SetAlpha(std::uint8_t Alpha);
  void SetAlpha(std::uint8_t Alpha, const TRect& Rect);

  void ChangeBitmapBrightness(int DeltaBrightness);
  void SetBitmapHue(int Hue);
  void ChangeBitmapHue(int DeltaHue);
  void ChangeBitmapSat(int DeltaSat);

  void FillRect(const TRect& R, TvlColor Color);
  void FlipVert();
  void Reflection();
  void Reflection2();
  void Reflection3();
  // Graphic stretched into DstRect; pure magenta (255, 0, 255) parts of it are left out.
  void DrawGraphic(TGraphic* Graphic, const TRect& DstRect);

  // Stream form: counted UTF-16 name, 32-bit width, 32-bit height, Width*Height*4 pixel bytes.
  void SaveToStream(TStream* Stream);
  void LoadFromStream(TStream* Stream);

  // Drawing onto a device context (one that belongs to another skin bitmap is drawn into
  // directly), by this bitmap's AlphaBlend and Transparent flags.
  void Draw(HDC DC, int X, int Y);
  void Draw(HDC DC, int X, int Y, const TRect& SrcRect);
  void Draw(HDC DC, const TRect& DstRect);
  void Draw(HDC DC, const TRect& DstRect, const TRect& SrcRect);
  // The same onto a canvas's context.
  void Draw(TCanvas* Canvas, int X, int Y);
  void Draw(TCanvas* Canvas, int X, int Y, const TRect& SrcRect);
  void Draw(TCanvas* Canvas, const TRect& DstRect);
  void Draw(TCanvas* Canvas, const TRect& DstRect, const TRect& SrcRect);
  // Drawing onto another skin bitmap.
  void Draw(TvlBitmap* Bitmap, int X, int Y);
  void Draw(TvlBitmap* Bitmap, int X, int Y, const TRect& SrcRect);
  void Draw(TvlBitmap* Bitmap, const TRect& DstRect);
  void Draw(TvlBitmap* Bitmap, const TRect& DstRect, const TRect& SrcRect);
  // SrcRect repeated over DstRect from its top-left corner; partial tiles at the right and
  // bottom use the top-left part of SrcRect.
  void Tile(HDC DC, const TRect& DstRect, const TRect& SrcRect);
  void Tile(TCanvas* Canvas, const TRect& DstRect, const TRect& SrcRect);
  void Tile(TvlBitmap* Bitmap, const TRect& DstRect, const TRect& SrcRect);
  // Tile, drawing only the (whole) tiles that meet DstClip; an empty DstClip draws all.
  void TileClip(HDC DC, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect);
  void TileClip(TCanvas* Canvas, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect);
  void TileClip(TvlBitmap* Bitmap, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect);
  // Puts Bitmap's SrcRect at (X, Y) under this bitmap's non-opaque pixels.
  void MergeDraw(TvlBitmap* Bitmap, int X, int Y, const TRect& SrcRect);

 protected:
  // Into a TBitmap: 32 bits, this size, this bitmap drawn at (0, 0) with Draw; a TPicture
  // receives it into its bitmap.
  void AssignTo(TPersistent* Dest) override;

 private:
  void ReleaseSurface();
  void AssignBitmap(TBitmap* Source);
  template <typename F>
  void ForEachVisiblePixel(F f);
  void ReflectionBy(int Divisor);

  PvlColorArray FBits = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  std::string FName;
  BITMAPINFO FBitmapInfo{};
  HBITMAP FHandle = nullptr;
  HDC FDC = nullptr;
  HGDIOBJ FOldBitmap = nullptr;  // the context's placeholder, put back before it is deleted
  std::shared_ptr<PixelSurface> FSurface;  // owns the pixel memory FBits points into
  std::unique_ptr<TCanvas> FCanvas;        // bound to FDC, made on first use
  bool FAlphaBlend = false;
  bool FTransparent = false;
  bool FNewFormat = false;
};

// The skin bitmap whose memory device context is DC (the first registered), nullptr when none.
[[nodiscard]] TvlBitmap* FindSkinBitmapByDC(HDC DC);
// Number of registered skin bitmaps (those that own pixel memory).
[[nodiscard]] std::size_t SkinBitmapRegistryCount();

// A named rectangle of a skin bitmap (the bitmap is not owned).
class TvlBitmapLink : public TPersistent {
 public:
  TvlBitmapLink() = default;

  void Assign(TPersistent* Source) override;
  [[nodiscard]] bool Assigned() const;
  void Draw(HDC DC, int X, int Y);
  void Draw(TvlBitmap* Bitmap, int X, int Y);
  // Classifies the non-opaque pixels of the rectangle into corners, edges and centre.
  void CheckingMasked();
  void CheckingMasked(const TRect& Margin);
  void SaveToStream(TStream* Stream);
  void LoadFromStream(TStream* Stream);

  [[nodiscard]] const std::string& Name() const { return FName; }
  void SetName(const std::string& Value) { FName = Value; }
  [[nodiscard]] int Left() const { return FRect.Left; }
  [[nodiscard]] int Top() const { return FRect.Top; }
  [[nodiscard]] int Right() const { return FRect.Right; }
  [[nodiscard]] int Bottom() const { return FRect.Bottom; }
  void SetLeft(int V) { FRect.Left = V; }
  void SetTop(int V) { FRect.Top = V; }
  void SetRight(int V) { FRect.Right = V; }
  void SetBottom(int V) { FRect.Bottom = V; }

  TvlBitmap* FImage = nullptr;
  TRect FRect{};
  std::string FName;
  bool FMaskedBorder = false;
  bool FMaskedAngles = false;
  bool FMasked = false;
};

// ---- TvlEffectBmp ------------------------------------------------------------------------------

// A 24-bit top-down image (rows padded to 4 bytes, pixels blue, green, red) for transitions and
// caption effects. Transitions with an image of another size do nothing; every channel result
// is rounded half to even and clamped to 0..255.
class TvlEffectBmp : public TObject {
 public:
  // A zero-filled image; sizes of 0 or below (or beyond the surface limits) give an empty one.
  TvlEffectBmp(int cx, int cy);
  // The pixels of a bitmap handle (its width and height), as 24-bit rows.
  [[nodiscard]] static std::unique_ptr<TvlEffectBmp> CreateFromhWnd(HBITMAP hBmp);
  [[nodiscard]] static std::unique_ptr<TvlEffectBmp> CreateCopy(const TvlEffectBmp* hBmp);
  ~TvlEffectBmp() override;
  TvlEffectBmp(const TvlEffectBmp&) = delete;
  TvlEffectBmp& operator=(const TvlEffectBmp&) = delete;

  void Draw(HDC hDC, int x, int y);
  void Stretch(HDC hDC, int x, int y, int cx, int cy);
  void DrawRect(HDC hDC, int hx, int hy, int x, int y, int cx, int cy);
  void Resize(TvlEffectBmp* Dst);
  void CopyRect(TvlEffectBmp* BMP, const TRect& Rct, int StartX, int StartY);
  void MorphRect(TvlEffectBmp* BMP, double Kf, const TRect& Rct, int StartX, int StartY);

  void Morph(TvlEffectBmp* BMP, double Kf);
  void MorphGrad(TvlEffectBmp* BMP, double Kf);
  void MorphHGrad(TvlEffectBmp* BMP, double Kf);
  void MorphVGrad(TvlEffectBmp* BMP, double Kf);
  void MorphLeftGrad(TvlEffectBmp* BMP, double Kf);
  void MorphRightGrad(TvlEffectBmp* BMP, double Kf);
  void MorphPush(TvlEffectBmp* BMP, double Kf);
  void MorphLeftSlide(TvlEffectBmp* BMP, double Kf);
  void MorphRightSlide(TvlEffectBmp* BMP, double Kf);

  void ChangeBrightness(double Kf);
  void ChangeDarkness(double Kf);
  void GrayScale();
  void Invert();
  void SplitBlur(int Amount);
  void Mosaic(int ASize);
  void AddMonoNoise(int Amount);
  void AddColorNoise(int Amount);
  void Rotate90_1(TvlEffectBmp* Dst);
  void Rotate90_2(TvlEffectBmp* Dst);
  void FlipVert(TvlEffectBmp* Dst);
  void Wave(int XDIV, int YDIV, int RatioVal);
  void MaskAntialiasing(TvlEffectBmp* Msk, int Amount);
  void MaskBlur(TvlEffectBmp* Msk, int Amount);
  void MaskFillColor(TvlEffectBmp* Msk, TColor C, double kf);

  // Row y (3 bytes a pixel); unchecked.
  [[nodiscard]] std::uint8_t* Row(int y) const { return static_cast<std::uint8_t*>(Bits) + static_cast<std::ptrdiff_t>(y) * RowSize; }
  void GetScanLine(int y, std::uint8_t* Line) const;
  // Seeds the generator behind the noise effects (tests make them repeatable).
  void SeedNoise(std::uint32_t Seed) { FRandom.seed(Seed); }

  HBITMAP Handle = nullptr;
  int Width = 0;
  int Height = 0;
  int Size = 0;
  int RowSize = 0;
  void* Bits = nullptr;
  BITMAPINFOHEADER BmpHeader{};
  BITMAPINFO BmpInfo{};

 private:
  [[nodiscard]] bool SameSize(const TvlEffectBmp* Other) const;
  template <typename F>
  void MixColumns(TvlEffectBmp* BMP, F columnWeight);
  void SplitBlurAt(int i, int j, int Amount);

  std::shared_ptr<PixelSurface> FSurface;
  std::minstd_rand FRandom{1};
};

// ---- Routines on skin bitmaps ------------------------------------------------------------------

// Triangular blur of red, green and blue (weights Radius + 1 - |k|), horizontal then vertical,
// each pass truncating; every pixel ends opaque. Nothing for Radius <= 0.
void BlurBitmap(TvlBitmap* Bitmap, int Radius);
// Alpha of every pixel = round((r + g + b) / 3) of the Mask pixel at the same place; nothing
// when the mask is smaller than the bitmap.
void SetAlphaFromMask(TvlBitmap* Bitmap, TvlBitmap* Mask);

// Text with a glow or a reflection, drawn onto DC with its selected font and the DrawText
// format Flags (the canvas forms use the canvas's font and colour). GlowSize is limited to 256
// pixels.
int DrawGlowText(TCanvas* Canvas, TRect Rect, const std::string& Text, UINT Flags, int GlowOffset, TColor GlowColor,
                 int GlowSize);
void DrawThickGlowText(TCanvas* Canvas, TRect Rect, const std::string& Text, UINT Flags, int GlowOffset,
                       TColor GlowColor, int GlowSize);
int DrawVistaGlowText(TCanvas* Canvas, TRect Rect, const std::string& Text, UINT Flags, TColor GlowColor);
void DrawReflectionText(TCanvas* Canvas, TRect Rect, const std::string& Text, UINT Flags, int ReflectionOffset,
                        TColor ReflectionColor);
int DrawGlowText(HDC DC, TRect Rect, const std::string& Text, UINT Flags, int GlowOffset, TColor GlowColor,
                 int GlowSize);
void DrawThickGlowText(HDC DC, TRect Rect, const std::string& Text, UINT Flags, int GlowOffset, TColor GlowColor,
                       int GlowSize);
int DrawVistaGlowText(HDC DC, TRect Rect, const std::string& Text, UINT Flags, TColor GlowColor);
void DrawReflectionText(HDC DC, TRect Rect, const std::string& Text, UINT Flags, int ReflectionOffset,
                        TColor ReflectionColor);

// From transformed toward To by Kf (0 = From, 1 = To) with the transition of Kind, drawn at
// (X, Y) of Target. Nothing is drawn when either picture is missing or empty.
void vlDrawMorph(TCanvas* Target, int X, int Y, TBitmap* From, TBitmap* To, double Kf, TvlMorphKind Kind);
