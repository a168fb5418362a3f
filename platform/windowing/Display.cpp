#include "platform/windowing/Display.h"

#include <mutex>

#include "platform/windowing/HeadlessDisplay.h"

namespace {
struct TDisplaySlot {
  std::mutex lock;
  std::unique_ptr<TDisplay> current;
};
TDisplaySlot& Slot() {
  static auto* slot = new TDisplaySlot;
  return *slot;
}
}  // namespace

TDisplay& Display() {
  auto& s = Slot();
  std::lock_guard lock(s.lock);
  if (!s.current) s.current = std::make_unique<THeadlessDisplay>();
  return *s.current;
}

std::unique_ptr<TDisplay> SetDisplay(std::unique_ptr<TDisplay> ADisplay) {
  auto& s = Slot();
  std::lock_guard lock(s.lock);
  std::unique_ptr<TDisplay> old = std::move(s.current);
  s.current = ADisplay ? std::move(ADisplay) : std::make_unique<THeadlessDisplay>();
  return old;
}
