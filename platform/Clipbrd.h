#pragma once
// The clipboard's text. Headless (and in tests) it lives in the process; a display that shares
// a clipboard with other programs plugs in through SetClipboardBackend. GUI thread.

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

// The process's clipboard.
[[nodiscard]] TClipboard* Clipboard();
// Installs the backend the clipboard uses (nullptr: back to the in-process store). Returns the
// previous one.
std::unique_ptr<TClipboardBackend> SetClipboardBackend(std::unique_ptr<TClipboardBackend> Backend);
