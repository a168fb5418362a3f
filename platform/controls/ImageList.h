#pragma once
// TCustomImageList and TImageList: a list of same-sized images (cells) that controls draw by
// index; tool bars, buttons and menus take one wherever they show images.
//
// Every cell is kept as 32-bit B, G, R, A pixels with straight alpha, so images with their own
// alpha, masked images and opaque ones are drawn the same way: blended by alpha.
//
// Drawing goes through the virtual DoDraw, which a list with images of its own (PNG lists)
// replaces. The built-in DoDraw draws a cell blended by its alpha; disabled, it draws the
// cell's shape (pixels of alpha 128 or more) embossed: once in the button-highlight colour one
// pixel down and right, then in the button-shadow colour in place.

#include <cstdint>
#include <vector>

#include "platform/controls/Component.h"
#include "platform/core/Types.h"

class TBitmap;
class TCanvas;
class TIcon;

// Drawing style flags handed to DoDraw.
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;

// Names an image list for the window messages of list and tree views (LVM_SETIMAGELIST …).
struct HIMAGELIST__;
using HIMAGELIST = HIMAGELIST__*;

class TCustomImageList : public TComponent {
 public:
  // An empty list of 16 x 16 cells.
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }
  // A new cell size empties the list. Raises EInvalidOperation "Invalid image size" for a side
  // below 1 or above 32768.
  void SetWidth(int Value);
  void SetHeight(int Value);
  void SetSize(int AWidth, int AHeight);

  [[nodiscard]] int Count() const { return static_cast<int>(cells_.size()); }

  // Colour drawn under every cell before it (clNone, the default: nothing, the cell is blended
  // over what is there).
  [[nodiscard]] TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor Value);

  // Appends the images of Image: one per cell width it holds (at least one), each cut from it
  // left to right. Mask, when given, marks transparent pixels white (any non-black colour);
  // without one a 32-bit image whose alpha bytes are not all 0 keeps its alpha and any other
  // image is opaque. Answers the index of the first new image, -1 for no or an empty image.
  int Add(TBitmap* Image, TBitmap* Mask);
  // As Add, the pixels of MaskColor being transparent (clDefault: the colour of the image's
  // bottom-left pixel).
  int AddMasked(TBitmap* Image, TColor MaskColor);
  // As Add, the new images placed from Index on (0 .. Count). Raises EInvalidOperation
  // "Invalid ImageList Index" for another index.
  void Insert(int Index, TBitmap* Image, TBitmap* Mask);
  // Raises EInvalidOperation "Invalid ImageList Index" for an index outside 0 .. Count - 1.
  void Delete(int Index);
  void Clear();

  // Draws image Index with its top-left corner at (X, Y) through DoDraw; an index outside the
  // list draws nothing.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  // Gives Image a 32-bit copy of cell Index (straight alpha); an empty bitmap for a bad index.
  void GetBitmap(int Index, TBitmap* Image);
  // Gives Icon a copy of cell Index; nothing for a bad index.
  void GetIcon(int Index, TIcon* Icon);

  // Cell Index as Width()*Height() pixels of 4 bytes B, G, R, A; nullptr for a bad index.
  [[nodiscard]] const std::uint8_t* CellPixels(int Index) const;

  // The list's handle, made on first use; it names the list while the list lives and is never
  // handed out again afterwards.
  [[nodiscard]] HIMAGELIST Handle();
  [[nodiscard]] bool HandleAllocated() const { return handle_ != nullptr; }
  // The list a handle names; nullptr for an unknown or stale handle.
  [[nodiscard]] static TCustomImageList* FromHandle(HIMAGELIST Handle);
  // Appends (Index -1) or replaces image Index with the icon, scaled to the cell size. Answers
  // the index, -1 for an unknown icon or a bad index.
  int ReplaceIcon(int Index, HICON Icon);

  // Fires after every change of the images, the cell size or BkColor.
  TNotifyEvent OnChange;

 protected:
  virtual void DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT Style, bool Enabled);
  // Draws cell Index onto the DC at (X, Y) the way the built-in DoDraw does; nothing for a bad
  // index or DC.
  void DrawCell(HDC DC, int Index, int X, int Y, bool Enabled);
  void Change();

 private:
  using Cell = std::vector<std::uint8_t>;
  std::vector<Cell> CellsOf(TBitmap* Image, TBitmap* Mask, bool keyed, TColor keyColor) const;
  int InsertCells(int Index, std::vector<Cell> cells);

  HIMAGELIST handle_ = nullptr;
  int width_ = 16;
  int height_ = 16;
  TColor bkColor_;
  std::vector<Cell> cells_;
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
};

// The handle calls on image lists; each fails (0, -1, FALSE or nullptr) for an unknown handle.
[[nodiscard]] int ImageList_GetImageCount(HIMAGELIST himl);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
// Draws image i at (x, y) through the list's own drawing (DoDraw).
BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);
// A new icon (freed by the caller with DestroyIcon) of image i.
[[nodiscard]] HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
// The colour drawn under every image (the list's BkColor); CLR_NONE draws none. Answers the
// previous one (CLR_NONE when there was none), CLR_NONE for an unknown handle.
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
[[nodiscard]] COLORREF ImageList_GetBkColor(HIMAGELIST himl);
inline int ImageList_AddIcon(HIMAGELIST himl, HICON hicon) { return ImageList_ReplaceIcon(himl, -1, hicon); }
