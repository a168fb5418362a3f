#include "lib/drawing/vlPngImageList.h"

#include <cmath>
#include <cstring>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

// ---- TvlPngImageItem ---------------------------------------------------------------------------

TvlPngImageItem::TvlPngImageItem(TCollection* Collection)
    : TCollectionItem(Collection), FPngImage(std::make_unique<TvlPngImage>()) {
  FName = "PngImage" + std::to_string(Index());
  if (TvlPngImageList* list = List()) list->InsertPlaceholder(Index());
}

TvlPngImageItem::~TvlPngImageItem() {
  FPngImage.reset();
  TvlPngImageList* list = List();
  const int index = Index();
  if (list && index >= 0 && index < list->Count()) list->Delete(index);
}

TvlPngImageList* TvlPngImageItem::List() const {
  auto* items = dynamic_cast<TvlPngImageItems*>(Collection());
  return items ? items->PngImageList() : nullptr;
}

void TvlPngImageItem::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TvlPngImageItem*>(Source)) {
    FPngImage->Assign(other->FPngImage.get());
    FName = other->FName;
    return;
  }
  TCollectionItem::Assign(Source);
}

std::string TvlPngImageItem::DisplayName() const { return FName.empty() ? TCollectionItem::DisplayName() : FName; }

void TvlPngImageItem::SetPngImage(TPngImage* Value) {
  FPngImage->Assign(Value);
  Changed(false);
}

// ---- TvlPngImageItems --------------------------------------------------------------------------

TvlPngImageItems::TvlPngImageItems(TvlPngImageList* AOwner)
    : TCollection(CollectionItemClass<TvlPngImageItem>()), FPngImageList(AOwner) {}

TPersistent* TvlPngImageItems::GetOwner() const { return FPngImageList; }

// ---- TvlPngImageList ---------------------------------------------------------------------------

TvlPngImageList::TvlPngImageList(TComponent* AOwner)
    : TCustomImageList(AOwner), FPngImages(std::make_unique<TvlPngImageItems>(this)) {}

TvlPngImageList::~TvlPngImageList() { FPngImages.reset(); }

void TvlPngImageList::SetPngImages(TvlPngImageItems* Value) { FPngImages->Assign(Value); }

void TvlPngImageList::InsertPlaceholder(int Index) {
  TBitmap placeholder;
  placeholder.SetPixelFormat(TPixelFormat::pf1bit);
  placeholder.SetSize(Width(), Height());
  Insert(std::clamp(Index, 0, Count()), &placeholder, nullptr);
}

void TvlPngImageList::SetPngWidth(int Value) {
  if (Value == Width()) return;
  SetWidth(Value);
  CellSizeChanged();
}

void TvlPngImageList::SetPngHeight(int Value) {
  if (Value == Height()) return;
  SetHeight(Value);
  CellSizeChanged();
}

void TvlPngImageList::CellSizeChanged() {
  if (!ComponentState().Contains(TComponentStateFlag::csLoading)) {
    FPngImages->Clear();
    return;
  }
  // While loading the items stay; the platform list lost its placeholders with the old size,
  // and without them it would never ask to draw the items.
  while (Count() < FPngImages->Count()) InsertPlaceholder(Count());
}

void TvlPngImageList::DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT, bool Enabled) {
  if (!Canvas || Index < 0 || Index >= FPngImages->Count()) return;
  TvlPngImage* png = FPngImages->Items(Index)->PngImage();
  if (!png || png->Empty()) return;
  const TRect target{X, Y, X + Width(), Y + Height()};
  if (Enabled) {
    Canvas->StretchDraw(target, png);
    return;
  }
  TPngImage faded;
  MakeHalfTransparentPng(*png, faded);
  Canvas->StretchDraw(target, &faded);
}

// ---- Half-transparent copy ---------------------------------------------------------------------

void MakeHalfTransparentPng(const TPngImage& Source, TPngImage& Dest) {
  Dest.Assign(const_cast<TPngImage*>(&Source));
  if (Dest.Empty()) return;
  const bool single = Source.TransparencyMode() == TPNGTransparencyMode::ptmBit;
  const TColor key = Source.TransparentColor();
  const auto isKey = [&](const std::uint8_t* p) {
    return single && p[2] == (key & 0xFF) && p[1] == ((key >> 8) & 0xFF) && p[0] == ((key >> 16) & 0xFF);
  };
  const int w = Dest.Width(), h = Dest.Height();
  const int type = Dest.ColorType();
  if (type == pngcodec::kGray || type == pngcodec::kPalette) {
    TPngImage rebuilt;
    rebuilt.CreateBlank(pngcodec::kRgbAlpha, 8, w, h);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* src = Dest.Scanline(y);
      std::uint8_t* dst = rebuilt.Scanline(y);
      for (int x = 0; x < w; ++x, src += 4, dst += 4) {
        std::memcpy(dst, src, 3);
        dst[3] = isKey(src) ? 0 : 127;
      }
    }
    Dest.Assign(&rebuilt);
    return;
  }
  if (type == pngcodec::kRgb) Dest.CreateAlpha();
  for (int y = 0; y < h; ++y) {
    std::uint8_t* p = Dest.Scanline(y);
    for (int x = 0; x < w; ++x, p += 4)
      p[3] = isKey(p) ? 0 : static_cast<std::uint8_t>(std::nearbyint(p[3] / 256.0 * 128.0));
  }
}
