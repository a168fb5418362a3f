#pragma once
// TIcon: a small picture with per-pixel transparency, stored in the icon file format.
//
// The icon keeps one image: reading an icon file takes its largest entry (the first of equal
// ones); an entry may be a device-independent bitmap of 1, 4, 8, 24 or 32 bits with its
// transparency mask, or a PNG. A bare PNG file reads as an icon too. Writing gives one 32-bit
// entry with its mask. Hostile files raise EInvalidGraphic like every picture reader.
//
// Icon handles (HICON) name icons in a process-wide table: an icon made from file data keeps
// that data, so a copy at another size (CopyImage with LR_COPYFROMRESOURCE) takes the entry that
// fits best instead of scaling the largest. The standard icons (IDI_*) are drawn at any size.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Graphic.h"
#include "platform/core/Types.h"

// The sizes of a standard and a small icon (what SM_CXICON and SM_CXSMICON answer).
constexpr int kStandardIconSize = 32;
constexpr int kSmallIconSize = 16;

// The standard icons LoadIcon and LoadImage give without an instance.
constexpr int IDI_APPLICATION = 32512;
constexpr int IDI_HAND = 32513;
constexpr int IDI_QUESTION = 32514;
constexpr int IDI_EXCLAMATION = 32515;
constexpr int IDI_ASTERISK = 32516;
constexpr int IDI_WINLOGO = 32517;
constexpr int IDI_WARNING = IDI_EXCLAMATION;
constexpr int IDI_ERROR = IDI_HAND;
constexpr int IDI_INFORMATION = IDI_ASTERISK;

// Image types and load flags of LoadImage and CopyImage.
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_COPYDELETEORG = 0x0008;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;
constexpr UINT LR_COPYFROMRESOURCE = 0x4000;

// DrawIconEx flags.
constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
constexpr UINT DI_COMPAT = 0x0004;
constexpr UINT DI_DEFAULTSIZE = 0x0008;

// Resources of this type hold a whole icon file (or a PNG file) each.
inline constexpr char RT_GROUP_ICON[] = "GROUP_ICON";

// An icon from the data of an icon file or a PNG file; Width/Height 0 take the largest entry,
// others the entry that fits best, scaled when no entry has that size. nullptr for bad data.
[[nodiscard]] HICON CreateIconFromImageData(const void* Data, std::size_t Size, int Width = 0, int Height = 0);
// An icon of Width x Height pixels (B, G, R, A, straight alpha, top-down); nullptr when the
// pixels do not make an icon.
[[nodiscard]] HICON CreateIconFromPixels(int Width, int Height, const std::uint8_t* Bgra);
// Frees an icon; a shared icon (LR_SHARED, the standard ones) stays and the call succeeds.
BOOL DestroyIcon(HICON hIcon);
[[nodiscard]] HICON CopyIcon(HICON hIcon);
// The icon's pixels; false for an unknown handle.
bool GetIconPixels(HICON hIcon, int& Width, int& Height, std::vector<std::uint8_t>& Bgra);
// Draws the icon at (x, y) scaled to cx x cy (0: the icon's own size, or the system's icon size
// with DI_DEFAULTSIZE). DI_NORMAL blends by alpha, DI_IMAGE copies the colours opaque, DI_MASK
// draws the mask (transparent white, opaque black). With a brush, the rectangle is filled with
// it first. FALSE for an unknown icon or DC.
BOOL DrawIconEx(HDC hdc, int x, int y, HICON hIcon, int cx, int cy, UINT istepIfAniCur, HBRUSH hbrFlickerFreeDraw,
                UINT diFlags);
BOOL DrawIcon(HDC hdc, int x, int y, HICON hIcon);
// A standard icon (nullptr instance, IDI_*) at the system's icon size, shared; or the
// RT_GROUP_ICON resource Name of the program.
[[nodiscard]] HICON LoadIcon(HINSTANCE hInstance, int Id);
[[nodiscard]] HICON LoadIcon(HINSTANCE hInstance, const char* Name);
// IMAGE_ICON only: a standard icon (nullptr instance, IDI_*), a resource of the program
// (RT_GROUP_ICON) or, with LR_LOADFROMFILE, an icon or PNG file. cx/cy 0 take the image's own
// size, or the system's icon size with LR_DEFAULTSIZE. nullptr when there is no such image.
[[nodiscard]] HANDLE LoadImage(HINSTANCE hInst, int Id, UINT type, int cx, int cy, UINT fuLoad);
[[nodiscard]] HANDLE LoadImage(HINSTANCE hInst, const char* Name, UINT type, int cx, int cy, UINT fuLoad);
// IMAGE_ICON only: a new icon of cx x cy (0: the original's size). LR_COPYFROMRESOURCE takes
// the entry of the icon's original data that fits best (a standard icon is drawn anew at that
// size); LR_COPYDELETEORG frees the original. nullptr for an unknown icon.
[[nodiscard]] HANDLE CopyImage(HANDLE h, UINT type, int cx, int cy, UINT flags);

namespace detail {
struct IconImage {
  int Width = 0, Height = 0;
  std::vector<std::uint8_t> Bgra;
};
// Decodes icon-file or PNG data, taking the entry that fits Width x Height best (0 x 0: the
// largest). Raises EInvalidGraphic.
[[nodiscard]] IconImage DecodeIconData(const std::uint8_t* Data, std::size_t Size, int Width = 0, int Height = 0,
                                       std::size_t* Consumed = nullptr);
// Resamples straight-alpha pixels to another size (area average, weighted by alpha).
[[nodiscard]] std::vector<std::uint8_t> ScaleBgra(const std::uint8_t* Bgra, int Width, int Height, int NewWidth,
                                                  int NewHeight);
// A standard icon drawn at Size x Size; empty for an unknown id.
[[nodiscard]] IconImage StandardIconImage(int Id, int Size);
// The colour (0..1, straight) and coverage of a drawn icon at a point of the unit square.
struct IconSample {
  double r, g, b, a;
};
// Draws Size x Size pixels from Sample, 4 x 4 samples a pixel, colours weighted by coverage.
[[nodiscard]] IconImage SampleIconImage(int Size, const std::function<IconSample(double X, double Y)>& Sample);
// Makes a handle for pixels with the data they came from (icon/PNG file bytes, or none).
[[nodiscard]] HICON CreateIconHandle(IconImage Image, std::vector<std::uint8_t> Source, int StandardId = 0,
                                     bool Shared = false);
}  // namespace detail

class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;

  [[nodiscard]] int Width() const override { return width_; }
  [[nodiscard]] int Height() const override { return height_; }
  // The size follows the image: setting it raises EInvalidGraphicOperation, as for icons of
  // the framework.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  [[nodiscard]] bool Empty() const override { return width_ == 0 || height_ == 0; }

  // Reads an icon file from the stream's position (to its last entry's end) and leaves the
  // position after it. Raises EInvalidGraphic; the icon is then unchanged.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

  // Copies another icon, or takes a TBitmap: a 32-bit bitmap whose alpha bytes are not all 0
  // keeps its alpha; otherwise pixels are opaque except, for a transparent bitmap, those of its
  // TransparentColor.
  void Assign(TPersistent* Source) override;

  // Replaces the image with Width x Height pixels of 4 bytes B, G, R, A (straight alpha).
  // Raises EInvalidGraphic when the buffer does not hold them or a side exceeds 256.
  void SetPixels(int AWidth, int AHeight, std::vector<std::uint8_t> Bgra);
  // Top-down rows of width*4 bytes: B, G, R, A (straight alpha).
  [[nodiscard]] const std::vector<std::uint8_t>& Pixels() const { return bgra_; }

  // The icon's handle, made on first use and owned by the icon (freed with it or when the
  // image changes). nullptr for an empty icon.
  [[nodiscard]] HICON Handle();
  [[nodiscard]] bool HandleAllocated() const { return handle_ != nullptr; }
  // Takes the icon named by Value over: its image becomes this icon's and the icon frees the
  // handle later. An unknown handle empties the icon.
  void SetHandle(HICON Value);
  // Hands the handle to the caller, who frees it; the icon keeps its image.
  [[nodiscard]] HICON ReleaseHandle();

 protected:
  // Gives a TBitmap the pixels as 32 bits with straight alpha.
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void FreeHandle();

  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> bgra_;
  std::vector<std::uint8_t> source_;  // the file data the image was read from, when read
  HICON handle_ = nullptr;
};
