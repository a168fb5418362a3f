#pragma once
// Scope guards the shell views share: the hourglass cursor while they read the shell, and a flag
// set for a scope. Each gives back what it changed on every path. GUI thread only.

#include "platform/Forms.h"

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
