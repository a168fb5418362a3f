#include "platform/controls/ImageList.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/PixelDrawing.h"

namespace {

constexpr int kMaxCellSide = 32768;

[[noreturn]] void BadIndex() { throw EInvalidOperation("Invalid ImageList Index"); }

HDC CanvasDC(TCanvas* Canvas) { return Canvas != nullptr ? Canvas->Handle() : nullptr; }

}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner), bkColor_(clNone) {}
namespace {

// Handles are numbers never handed out twice; lists are made and freed on the GUI thread.
std::map<std::uintptr_t, TCustomImageList*>& ListHandles() {
  static std::map<std::uintptr_t, TCustomImageList*> table;
  return table;
}

}  // namespace

TCustomImageList::~TCustomImageList() {
  if (handle_ != nullptr) ListHandles().erase(reinterpret_cast<std::uintptr_t>(handle_));
}

HIMAGELIST TCustomImageList::Handle() {
  if (handle_ == nullptr) {
    static std::uintptr_t last = 0;
    handle_ = reinterpret_cast<HIMAGELIST>(++last);
    ListHandles()[last] = this;
  }
  return handle_;
}

TCustomImageList* TCustomImageList::FromHandle(HIMAGELIST Handle) {
  auto it = ListHandles().find(reinterpret_cast<std::uintptr_t>(Handle));
  return it == ListHandles().end() ? nullptr : it->second;
}

int TCustomImageList::ReplaceIcon(int Index, HICON Icon) {
  int w = 0, h = 0;
  std::vector<std::uint8_t> px;
  if (Index < -1 || Index >= Count() || !GetIconPixels(Icon, w, h, px)) return -1;
  if (w != width_ || h != height_) px = detail::ScaleBgra(px.data(), w, h, width_, height_);
  if (Index == -1) {
    cells_.push_back(std::move(px));
    Index = Count() - 1;
  } else {
    cells_[static_cast<std::size_t>(Index)] = std::move(px);
  }
  Change();
  return Index;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl) {
  TCustomImageList* list = TCustomImageList::FromHandle(himl);
  if (list == nullptr || list->BkColor() == clNone) return CLR_NONE;
  return ColorToRGB(list->BkColor());
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
  TCustomImageList* list = TCustomImageList::FromHandle(himl);
  if (list == nullptr) return CLR_NONE;
  const COLORREF previous = ImageList_GetBkColor(himl);
  list->SetBkColor(clrBk == CLR_NONE ? clNone : static_cast<TColor>(clrBk & 0xFFFFFF));
  return previous;
}

int ImageList_GetImageCount(HIMAGELIST himl) {
  TCustomImageList* list = TCustomImageList::FromHandle(himl);
  return list ? list->Count() : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  TCustomImageList* list = TCustomImageList::FromHandle(himl);
  if (list == nullptr || cx == nullptr || cy == nullptr) return FALSE;
  *cx = list->Width();
  *cy = list->Height();
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT) {
  TCustomImageList* list = TCustomImageList::FromHandle(himl);
  if (list == nullptr || hdcDst == nullptr || i < 0 || i >= list->Count()) return FALSE;
  TCanvas canvas;
  canvas.SetHandle(hdcDst);
  list->Draw(&canvas, x, y, i);
  canvas.SetHandle(nullptr);
  return TRUE;
}

HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT) {
  TCustomImageList* list = TCustomImageList::FromHandle(himl);
  if (list == nullptr) return nullptr;
  const std::uint8_t* px = list->CellPixels(i);
  return px ? CreateIconFromPixels(list->Width(), list->Height(), px) : nullptr;
}

int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
  TCustomImageList* list = TCustomImageList::FromHandle(himl);
  return list ? list->ReplaceIcon(i, hicon) : -1;
}

void TCustomImageList::SetSize(int AWidth, int AHeight) {
  if (AWidth < 1 || AHeight < 1 || AWidth > kMaxCellSide || AHeight > kMaxCellSide)
    throw EInvalidOperation("Invalid image size");
  if (AWidth == width_ && AHeight == height_) return;
  width_ = AWidth;
  height_ = AHeight;
  cells_.clear();
  Change();
}

void TCustomImageList::SetWidth(int Value) { SetSize(Value, height_); }
void TCustomImageList::SetHeight(int Value) { SetSize(width_, Value); }

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == bkColor_) return;
  bkColor_ = Value;
  Change();
}

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
}

std::vector<TCustomImageList::Cell> TCustomImageList::CellsOf(TBitmap* Image, TBitmap* Mask, bool keyed,
                                                              TColor keyColor) const {
  std::vector<Cell> cells;
  if (Image == nullptr || Image->Empty()) return cells;
  const PixelSurface& image = *Image->Surface();
  const PixelSurface* mask = Mask != nullptr && !Mask->Empty() ? Mask->Surface().get() : nullptr;
  const int w = image.Width(), h = image.Height();
  bool useAlpha = false;
  if (mask == nullptr && !keyed && image.BitsPerPixel() == 32)
    for (int y = 0; y < h && !useAlpha; ++y)
      for (int x = 0; x < w && !useAlpha; ++x) useAlpha = (image.PixelAt(x, y) >> 24) != 0;
  std::uint32_t key = 0;
  if (keyed) {
    if (keyColor == clDefault) {
      key = image.PixelAt(0, h - 1) & 0xFFFFFF;
    } else {
      const COLORREF c = ColorToRGB(keyColor);
      key = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  }
  const int count = std::max(1, w / width_);
  for (int n = 0; n < count; ++n) {
    Cell cell(static_cast<std::size_t>(width_) * height_ * 4, 0);
    for (int y = 0; y < std::min(h, height_); ++y)
      for (int x = 0; x < width_ && n * width_ + x < w; ++x) {
        const int sx = n * width_ + x;
        const std::uint32_t argb = image.PixelAt(sx, y);
        bool clear = false;
        if (mask != nullptr) clear = (mask->PixelAt(sx, y) & 0xFFFFFF) != 0;
        if (keyed) clear = (argb & 0xFFFFFF) == key;
        std::uint8_t* px = cell.data() + (static_cast<std::size_t>(y) * width_ + x) * 4;
        if (clear) continue;
        px[0] = argb & 0xFF;
        px[1] = (argb >> 8) & 0xFF;
        px[2] = (argb >> 16) & 0xFF;
        px[3] = useAlpha ? static_cast<std::uint8_t>(argb >> 24) : 255;
      }
    cells.push_back(std::move(cell));
  }
  return cells;
}

int TCustomImageList::InsertCells(int Index, std::vector<Cell> cells) {
  if (cells.empty()) return -1;
  cells_.insert(cells_.begin() + Index, std::make_move_iterator(cells.begin()), std::make_move_iterator(cells.end()));
  Change();
  return Index;
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) { return InsertCells(Count(), CellsOf(Image, Mask, false, 0)); }

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  return InsertCells(Count(), CellsOf(Image, nullptr, true, MaskColor));
}

void TCustomImageList::Insert(int Index, TBitmap* Image, TBitmap* Mask) {
  if (Index < 0 || Index > Count()) BadIndex();
  InsertCells(Index, CellsOf(Image, Mask, false, 0));
}

void TCustomImageList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) BadIndex();
  cells_.erase(cells_.begin() + Index);
  Change();
}

void TCustomImageList::Clear() {
  if (cells_.empty()) return;
  cells_.clear();
  Change();
}

const std::uint8_t* TCustomImageList::CellPixels(int Index) const {
  return Index >= 0 && Index < Count() ? cells_[Index].data() : nullptr;
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  if (Canvas == nullptr || Index < 0 || Index >= Count()) return;
  DoDraw(Index, Canvas, X, Y, ILD_NORMAL, Enabled);
}

void TCustomImageList::DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT Style, bool Enabled) {
  DrawCell(CanvasDC(Canvas), Index, X, Y, Enabled);
}

void TCustomImageList::DrawCell(HDC DC, int Index, int X, int Y, bool Enabled) {
  const std::uint8_t* pixels = CellPixels(Index);
  if (DC == nullptr || pixels == nullptr) return;
  const TRect cellRect = Bounds(X, Y, width_, height_);
  const std::size_t bytes = static_cast<std::size_t>(width_) * height_ * 4;
  if (bkColor_ != clNone) {
    const COLORREF c = ColorToRGB(bkColor_);
    std::vector<std::uint8_t> fill(bytes);
    for (std::size_t i = 0; i < bytes; i += 4) {
      fill[i] = GetBValue(c);
      fill[i + 1] = GetGValue(c);
      fill[i + 2] = GetRValue(c);
      fill[i + 3] = 255;
    }
    DrawBgraPixels(DC, cellRect, fill.data(), width_, height_, width_ * 4, TPixelBlend::Opaque);
  }
  if (Enabled) {
    DrawBgraPixels(DC, cellRect, pixels, width_, height_, width_ * 4, TPixelBlend::Alpha);
    return;
  }
  // Disabled, a picture is drawn as a faded grey copy of itself: embossed, a picture of solid
  // shapes (a badge, a rounded tile) would show as a grey block.
  std::vector<std::uint8_t> faded(pixels, pixels + bytes);
  for (std::size_t i = 0; i < bytes; i += 4) {
    const int luma = (faded[i] * 29 + faded[i + 1] * 150 + faded[i + 2] * 77) >> 8;
    const auto grey = static_cast<std::uint8_t>(luma + (255 - luma) * 2 / 5);
    faded[i] = faded[i + 1] = faded[i + 2] = grey;
    faded[i + 3] = static_cast<std::uint8_t>(faded[i + 3] / 2);
  }
  DrawBgraPixels(DC, cellRect, faded.data(), width_, height_, width_ * 4, TPixelBlend::Alpha);
}

void TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  if (Image == nullptr) return;
  const std::uint8_t* pixels = CellPixels(Index);
  if (pixels == nullptr) {
    Image->SetSize(0, 0);
    return;
  }
  Image->SetPixelFormat(TPixelFormat::pf32bit);
  Image->SetSize(width_, height_);
  for (int y = 0; y < height_; ++y)
    std::memcpy(Image->ScanLine(y), pixels + static_cast<std::size_t>(y) * width_ * 4, static_cast<std::size_t>(width_) * 4);
}

void TCustomImageList::GetIcon(int Index, TIcon* Icon) {
  const std::uint8_t* pixels = CellPixels(Index);
  if (Icon == nullptr || pixels == nullptr) return;
  Icon->SetPixels(width_, height_, std::vector<std::uint8_t>(pixels, pixels + static_cast<std::size_t>(width_) * height_ * 4));
}
