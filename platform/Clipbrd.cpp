#include "platform/Clipbrd.h"

namespace {

class TInProcessClipboard final : public TClipboardBackend {
 public:
  std::string GetText() override { return text_; }
  void SetText(const std::string& Text) override { text_ = Text; }

 private:
  std::string text_;
};

std::unique_ptr<TClipboardBackend>& Backend() {
  static std::unique_ptr<TClipboardBackend> backend = std::make_unique<TInProcessClipboard>();
  return backend;
}

}  // namespace

std::string TClipboard::AsText() const { return Backend()->GetText(); }
void TClipboard::SetAsText(const std::string& Value) { Backend()->SetText(Value); }

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

std::unique_ptr<TClipboardBackend> SetClipboardBackend(std::unique_ptr<TClipboardBackend> Backend_) {
  std::unique_ptr<TClipboardBackend> previous = std::move(Backend());
  Backend() = Backend_ ? std::move(Backend_) : std::make_unique<TInProcessClipboard>();
  return previous;
}
