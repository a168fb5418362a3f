#pragma once
// The clipboard: text or a picture. GUI thread.
//
// The clipboard holds one thing at a time, offered in the forms that suit it: text as UTF-8, a
// picture as 32-bit pixels (B, G, R, A top-down, straight alpha). Putting either on the
// clipboard replaces what it held. Pictures come and go as bitmaps: Clipboard()->Assign(bitmap)
// puts one there and bitmap->Assign(Clipboard()) takes it back (a TPicture works as its bitmap).

#include <functional>
#include <memory>
#include <string>

#include "platform/core/Object.h"
#include "platform/graphics/Surface.h"
#include "platform/core/Types.h"

// Clipboard formats HasFormat answers for.
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_UNICODETEXT = 13;

// Where the clipboard's content is kept: the in-process store, or another program's selection.
class TClipboardBackend {
 public:
  virtual ~TClipboardBackend() = default;
  // The current text, empty when there is none or the clipboard holds something else.
  [[nodiscard]] virtual std::string GetText() = 0;
  virtual void SetText(const std::string& Text) = 0;
  // The current picture (32 bits a pixel, straight alpha), nullptr when the clipboard holds
  // none. The backend keeps the surface it is given and never changes it.
  [[nodiscard]] virtual std::shared_ptr<const PixelSurface> GetPicture() = 0;
  virtual void SetPicture(std::shared_ptr<const PixelSurface> Picture) = 0;
};

class TClipboard : public TPersistent {
 public:
  // UTF-8 text; setting replaces whatever the clipboard held.
  [[nodiscard]] std::string AsText() const;
  void SetAsText(const std::string& Value);
  [[nodiscard]] bool HasText() const { return !AsText().empty(); }
  // True when the clipboard offers the format: CF_TEXT / CF_UNICODETEXT for text, CF_BITMAP /
  // CF_DIB for a picture.
  [[nodiscard]] bool HasFormat(UINT Format) const;
  // The picture on the clipboard, nullptr when there is none.
  [[nodiscard]] std::shared_ptr<const PixelSurface> Picture() const;
  void Clear() { SetAsText(std::string()); }

  // Puts a picture on the clipboard: a TBitmap (a 32-bit one with its alpha, unless its alpha
  // bytes are all 0; any other as opaque pixels) or a TPicture holding a graphic a bitmap can
  // take. Anything else raises EConvertError.
  void Assign(TPersistent* Source) override;

 protected:
  // Gives a TBitmap (or a TPicture's bitmap) the clipboard's picture as a 32-bit bitmap. Raises
  // EInvalidGraphic "Unsupported clipboard format" when the clipboard holds no picture.
  void AssignTo(TPersistent* Dest) override;
};

// The process's clipboard. Its content lives in the backend installed with SetClipboardBackend;
// without one, in the X server's CLIPBOARD selection while the X11 display is in use (shared
// with other programs), else in the process.
[[nodiscard]] TClipboard* Clipboard();
// Installs the backend the clipboard uses (nullptr: back to the automatic choice). Returns the
// previously installed one.
std::unique_ptr<TClipboardBackend> SetClipboardBackend(std::unique_ptr<TClipboardBackend> Backend);
// A backend on the CLIPBOARD selection of the X server in $DISPLAY, with a connection of its own
// (X11Clipboard.cpp); nullptr when no server can be reached. Text travels as UTF8_STRING (or
// STRING), pictures as image/png (or image/bmp); large transfers go in increments both ways.
// Reading asks the owner and waits at most 1.5 s.
[[nodiscard]] std::unique_ptr<TClipboardBackend> CreateX11ClipboardBackend();
