#pragma once
// A size grip for a form without a status bar: a small windowed control placed in the form's
// bottom-right corner (anchored there) that answers the hit test with HTBOTTOMRIGHT and sizes its
// form when dragged. Its picture is the parent's background with the diagonal grip lines.
// The line drawing and the form sizing are shared with the status bar's grip. GUI thread only.

#include "lib/controls/vlSkinCtrls.h"
#include "platform/core/Types.h"
#include "platform/windowing/Messages.h"

class TCanvas;
class TControl;

// The grip's diagonal lines inside G, each a dark line with a light one beside it.
void vlDrawSizeGripLines(TCanvas* C, const TRect& G, TColor Dark, TColor Light);
// Starts sizing the form of Control from its bottom-right corner (Start: the press, screen
// coordinates). False when Control has no form with a window.
bool vlSizeFormFromGrip(TControl* Control, LPARAM Start);

class TvlSkinSizeGrip : public TvlSkinControl {
 public:
  // The side of the square the grip takes.
  static constexpr int kSide = 14;

  explicit TvlSkinSizeGrip(TComponent* AOwner);

  // Puts the grip into Parent's bottom-right corner, anchored there.
  void PlaceInCorner(TWinControl* Parent);

  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void WndProc(TMessage& Message) override;

 private:
  void DrawGrip(TBitmap* B, TColor Dark, TColor Light);
  // False while the form is maximized or cannot be sized.
  [[nodiscard]] bool FormSizeable() const;
};
