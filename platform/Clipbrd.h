#pragma once
// The clipboard's text. GUI thread.

#include <functional>
#include <memory>
#include <string>

#include "platform/Object.h"

// Where the text is kept: the in-process store, or another program's selection.
class TClipboardBackend {
 public:
  virtual ~TClipboardBackend() = default;
  // The current text, empty when there is none or it is not text.
  [[nodiscard]] virtual std::string GetText() = 0;
  virtual void SetText(const std::string& Text) = 0;
};

class TClipboard : public TObject {
 public:
  // UTF-8 text; setting replaces whatever the clipboard held.
  [[nodiscard]] std::string AsText() const;
  void SetAsText(const std::string& Value);
  [[nodiscard]] bool HasText() const { return !AsText().empty(); }
  void Clear() { SetAsText(std::string()); }
};

// The process's clipboard. Its text lives in the backend installed with SetClipboardBackend;
// without one, in the X server's CLIPBOARD selection while the X11 display is in use (shared
// with other programs), else in the process.
[[nodiscard]] TClipboard* Clipboard();
// Installs the backend the clipboard uses (nullptr: back to the automatic choice). Returns the
// previously installed one.
std::unique_ptr<TClipboardBackend> SetClipboardBackend(std::unique_ptr<TClipboardBackend> Backend);
// A backend on the CLIPBOARD selection of the X server in $DISPLAY (UTF8_STRING text), with a
// connection of its own; nullptr when no server can be reached. Reading asks the owner and
// waits at most 1.5 s.
[[nodiscard]] std::unique_ptr<TClipboardBackend> CreateX11ClipboardBackend();
