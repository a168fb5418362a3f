#pragma once
// TvlClientInActivePanel: the overlay a form skinner lays over the client area of its form while
// the form is inactive: a copy of what the client area showed, blurred or veiled. GUI thread.

#include <memory>

#include "lib/drawing/vlEffects.h"
#include "lib/controls/vlSkinCtrls.h"

class TCustomForm;
enum class TvlClientInActiveEffect;

class TvlClientInActivePanel : public TvlSkinPaintPanel {
 public:
  // Hidden until ShowPanel.
  explicit TvlClientInActivePanel(TComponent* AOwner);

  // Takes a copy of AForm's client area, applies the effect and shows it over the client area;
  // nothing for a missing or hidden form or an empty client area.
  void ShowPanel(TCustomForm* AForm, TvlClientInActiveEffect AEffect);
  void HidePanel();

  // The picture shown; nullptr while none is held.
  std::unique_ptr<TvlBitmap> Buffer;

 protected:
  void Paint() override;
};
