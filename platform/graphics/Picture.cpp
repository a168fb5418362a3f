#include "platform/graphics/Picture.h"

#include <typeinfo>

#include "platform/graphics/Bitmap.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/GIFImage.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/PngImage.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"

namespace {

// A new empty graphic for the extension (".png"), or nullptr for an unknown one.
std::unique_ptr<TGraphic> GraphicForExtension(const std::string& extension) {
  const std::string ext = LowerCase(extension);
  if (ext == ".bmp") return std::make_unique<TBitmap>();
  if (ext == ".png") return std::make_unique<TPngImage>();
  if (ext == ".jpg" || ext == ".jpeg") return std::make_unique<TJPEGImage>();
  if (ext == ".gif") return std::make_unique<TGIFImage>();
  if (ext == ".ico") return std::make_unique<TIcon>();
  return nullptr;
}

// A new empty graphic of the same class as `like`.
std::unique_ptr<TGraphic> GraphicLike(const TGraphic& like) {
  if (dynamic_cast<const TBitmap*>(&like)) return std::make_unique<TBitmap>();
  if (dynamic_cast<const TPngImage*>(&like)) return std::make_unique<TPngImage>();
  if (dynamic_cast<const TJPEGImage*>(&like)) return std::make_unique<TJPEGImage>();
  if (dynamic_cast<const TGIFImage*>(&like)) return std::make_unique<TGIFImage>();
  if (dynamic_cast<const TIcon*>(&like)) return std::make_unique<TIcon>();
  throw EInvalidGraphic("Unknown picture class " + like.ClassName());
}

bool SameClass(const TGraphic& a, const TGraphic& b) { return typeid(a) == typeid(b); }

}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Adopt(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == graphic_.get() && Value != nullptr) return;
  if (Value == nullptr) {
    Adopt(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> copy = GraphicLike(*Value);
  copy->Assign(Value);
  Adopt(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
  if (auto* bitmap = dynamic_cast<TBitmap*>(graphic_.get())) return bitmap;
  Adopt(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::SetBitmap(TBitmap* Value) { SetGraphic(Value); }

TIcon* TPicture::Icon() {
  if (auto* icon = dynamic_cast<TIcon*>(graphic_.get())) return icon;
  Adopt(std::make_unique<TIcon>());
  return static_cast<TIcon*>(graphic_.get());
}

void TPicture::SetIcon(TIcon* Value) { SetGraphic(Value); }

int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromFile(const std::string& FileName) {
  const std::string ext = ExtractFileExt(FileName);
  std::unique_ptr<TGraphic> fresh = GraphicForExtension(ext);
  if (!fresh) throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  fresh->LoadFromStream(&stream);
  Adopt(std::move(fresh));
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (!graphic_ || graphic_->Empty()) return;
  std::unique_ptr<TGraphic> converted = GraphicForExtension(ExtractFileExt(FileName));
  TGraphic* target = graphic_.get();
  if (converted && !SameClass(*converted, *graphic_)) {
    if (auto* asBitmap = dynamic_cast<TBitmap*>(converted.get())) {
      asBitmap->Assign(graphic_.get());
    } else {
      TBitmap bridge;
      bridge.Assign(graphic_.get());
      converted->Assign(&bridge);
    }
    target = converted.get();
  }
  TFileStream stream(FileName, fmCreate);
  target->SaveToStream(&stream);
}

void TPicture::Assign(TPersistent* Source) {
  if (Source == nullptr) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    if (picture != this) SetGraphic(picture->Graphic());
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(graphic);
    return;
  }
  TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (auto* graphic = dynamic_cast<TGraphic*>(Dest); graphic != nullptr && graphic_) {
    graphic->Assign(graphic_.get());
    return;
  }
  TPersistent::AssignTo(Dest);
}
