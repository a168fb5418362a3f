#pragma once
// What the shell views share: the hourglass cursor while they read the shell, a flag set for a
// scope (each gives back what it changed on every path), and the linking of two views. GUI
// thread only.

#include "platform/controls/Forms.h"

// The hourglass while a view talks to the shell; the previous cursor comes back on every path.
class TvlBusyCursor {
 public:
  TvlBusyCursor() : saved_(Screen()->Cursor()) { Screen()->SetCursor(crHourGlass); }
  ~TvlBusyCursor() { Screen()->SetCursor(saved_); }
  TvlBusyCursor(const TvlBusyCursor&) = delete;
  TvlBusyCursor& operator=(const TvlBusyCursor&) = delete;

 private:
  TCursor saved_;
};

// Sets a flag for a scope and gives it its previous value back on every path.
class TvlFlagScope {
 public:
  explicit TvlFlagScope(bool& Flag) : flag_(Flag), old_(Flag) { flag_ = true; }
  ~TvlFlagScope() { flag_ = old_; }
  TvlFlagScope(const TvlFlagScope&) = delete;
  TvlFlagScope& operator=(const TvlFlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

// Links view Me to a peer view in place of Current: the new peer takes Me's root and points back
// at Me through Back; clearing the link clears the old peer's pointer. Answers false when Value
// is already the peer; the caller then keeps its reference as it is.
template <typename Self, typename Peer, typename Root>
bool vlLinkShellPeer(Self* Me, Peer* Current, Peer* Value, Self* Peer::*Back, const Root& RootValue) {
  if (Value == Current) return false;
  if (Value) {
    Value->SetRoot(RootValue);
    Value->*Back = Me;
  } else if (Current) {
    Current->*Back = nullptr;
  }
  return true;
}
