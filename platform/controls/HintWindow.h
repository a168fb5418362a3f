#pragma once
// THintWindow: the small top-most window the application shows a control's hint in. It never
// takes the activation. The application makes it through its HintWindowClass, so a descendant
// can draw hints its own way.

#include <string>

#include "platform/controls/Controls.h"

class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* AOwner);

  // Shows the hint text in Rect (screen coordinates), above every other window, without
  // activating it.
  virtual void ActivateHint(TRect Rect, const std::string& AHint);
  // ActivateHint with the extra data a descendant may draw (the base ignores it).
  virtual void ActivateHintData(TRect Rect, const std::string& AHint, void* AData);
  // The rectangle (at 0, 0) the text needs, wrapped at MaxWidth pixels.
  [[nodiscard]] virtual TRect CalcHintRect(int MaxWidth, const std::string& AHint, void* AData);
  // Hides the window (it is reused for the next hint).
  void ReleaseHandle();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WMNCHitTest(TMessage& Message);
  void Dispatch(TMessage& Message) override;
};
