#include "platform/x11/Clipbrd.h"

#include <cstring>

#include "platform/graphics/Bitmap.h"
#include "platform/windowing/Display.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Picture.h"
#include "platform/x11/X11Display.h"

namespace {

class TInProcessClipboard final : public TClipboardBackend {
 public:
  std::string GetText() override { return text_; }
  void SetText(const std::string& Text) override {
    text_ = Text;
    picture_.reset();
  }
  std::shared_ptr<const PixelSurface> GetPicture() override { return picture_; }
  void SetPicture(std::shared_ptr<const PixelSurface> Picture) override {
    picture_ = std::move(Picture);
    text_.clear();
  }

 private:
  std::string text_;
  std::shared_ptr<const PixelSurface> picture_;
};

struct TClipboardState {
  std::unique_ptr<TClipboardBackend> installed;  // set by SetClipboardBackend
  TInProcessClipboard in_process;
  std::unique_ptr<TClipboardBackend> x11;        // made on first use on the X11 display
  bool x11_tried = false;
};

TClipboardState& State() {
  static TClipboardState state;
  return state;
}

// The backend in force: one installed explicitly, else the X server's selection while the X11
// display is in use, else the in-process store.
TClipboardBackend& Backend() {
  TClipboardState& s = State();
  if (s.installed) return *s.installed;
  if (dynamic_cast<TX11Display*>(&Display())) {
    if (!s.x11_tried) {
      s.x11_tried = true;
      s.x11 = CreateX11ClipboardBackend();
    }
    if (s.x11) return *s.x11;
  }
  return s.in_process;
}

// The bitmap's pixels as a 32-bit picture of its own: a 32-bit bitmap keeps its alpha unless
// every alpha byte is 0 (drawn without alpha); any other depth is opaque.
std::shared_ptr<const PixelSurface> PictureOf(const TBitmap& Bitmap) {
  if (Bitmap.Empty()) return nullptr;
  TBitmap copy;
  copy.Assign(const_cast<TBitmap*>(&Bitmap));
  const bool hadAlpha = copy.PixelFormat() == TPixelFormat::pf32bit;
  copy.SetPixelFormat(TPixelFormat::pf32bit);
  const PixelSurface& from = *copy.Surface();
  std::shared_ptr<PixelSurface> picture = PixelSurface::Create(from.Width(), from.Height(), 32);
  if (!picture) throw EInvalidGraphicOperation("Out of memory for the bitmap");
  bool anyAlpha = false;
  for (int y = 0; y < from.Height(); ++y) {
    std::memcpy(picture->Row(y), from.Row(y), static_cast<std::size_t>(from.Width()) * 4);
    for (int x = 0; hadAlpha && !anyAlpha && x < from.Width(); ++x) anyAlpha = from.Row(y)[x * 4 + 3] != 0;
  }
  if (!anyAlpha) {
    for (int y = 0; y < picture->Height(); ++y) {
      for (int x = 0; x < picture->Width(); ++x) picture->Row(y)[x * 4 + 3] = 255;
    }
  }
  return picture;
}

}  // namespace

std::string TClipboard::AsText() const { return Backend().GetText(); }
void TClipboard::SetAsText(const std::string& Value) { Backend().SetText(Value); }

std::shared_ptr<const PixelSurface> TClipboard::Picture() const { return Backend().GetPicture(); }

bool TClipboard::HasFormat(UINT Format) const {
  switch (Format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return HasText();
    case CF_BITMAP:
    case CF_DIB: return Picture() != nullptr;
    default: return false;
  }
}

void TClipboard::Assign(TPersistent* Source) {
  if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    TBitmap bitmap;
    if (picture->Graphic()) bitmap.Assign(picture->Graphic());
    Assign(&bitmap);
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    Backend().SetPicture(PictureOf(*bitmap));
    return;
  }
  TPersistent::Assign(Source);
}

void TClipboard::AssignTo(TPersistent* Dest) {
  if (auto* picture = dynamic_cast<TPicture*>(Dest)) {
    AssignTo(picture->Bitmap());
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (!bitmap) {
    TPersistent::AssignTo(Dest);
    return;
  }
  std::shared_ptr<const PixelSurface> picture = Picture();
  if (!picture) throw EInvalidGraphic("Unsupported clipboard format");
  bitmap->SetPixelFormat(TPixelFormat::pf32bit);
  bitmap->SetSize(picture->Width(), picture->Height());
  for (int y = 0; y < picture->Height(); ++y) {
    std::memcpy(bitmap->ScanLine(y), picture->Row(y), static_cast<std::size_t>(picture->Width()) * 4);
  }
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

std::unique_ptr<TClipboardBackend> SetClipboardBackend(std::unique_ptr<TClipboardBackend> Backend_) {
  std::unique_ptr<TClipboardBackend> previous = std::move(State().installed);
  State().installed = std::move(Backend_);
  return previous;
}
