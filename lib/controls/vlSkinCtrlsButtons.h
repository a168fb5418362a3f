#pragma once
// The skinned buttons: TvlSkinButton, the windowed push button of every window, and
// TvlSkinSpeedButton, the windowless tool button. Both draw their normal, hover, pressed,
// disabled (and for the push button focused) looks from a button element of the skin, with a
// glyph strip or an image-list image beside the caption; they fade between the normal and the
// hover look, can run the element's frame animation, repeat their click while held and work
// as members of a group of toggle buttons. Without an element they draw the built-in look.
//
// GUI thread only.

#include <functional>
#include <memory>
#include <string>

#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsAnimators.h"
#include "platform/controls/Forms.h"

class TvlImagesMenuItem;
class TvlLayerManager;
class TvlSkinImagesMenu;

// Posted by a push button to itself after the mouse entered or left it: show or hide its glow
// frame.
constexpr UINT WM_vlButtonGlowShow = WM_USER + 400;  // 1424
constexpr UINT WM_vlButtonGlowHide = WM_USER + 401;  // 1425

// Owner drawing of a button's content: Cnvs and R are the canvas and content rectangle of the
// state being drawn; clearing DrawDefault leaves out the caption and image.
using TvlButtonPaintEvent =
    std::function<void(TObject* Sender, TCanvas* Cnvs, TRect R, bool ADown, bool AMouseIn, bool& DrawDefault)>;

// A bar that lends its image lists to the speed buttons on it (the skinned tool bar). Any list
// may be nullptr.
class TvlButtonImageSource {
 public:
  virtual ~TvlButtonImageSource() = default;
  [[nodiscard]] virtual TCustomImageList* ButtonImages() const = 0;
  [[nodiscard]] virtual TCustomImageList* ButtonHotImages() const = 0;
  [[nodiscard]] virtual TCustomImageList* ButtonDisabledImages() const = 0;
};

// What a button element holds besides the nine-part geometry, copied on every look-up.
struct TvlButtonElementLook {
  std::string FontName = "Arial";
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0, DownFontColor = 0, DisabledFontColor = 0;
  TRect ActiveSkinRect{}, DownSkinRect{}, DisabledSkinRect{}, FocusedSkinRect{};
  TRect AnimateSkinRect{};
  int FrameCount = 0;
  int AnimateInterval = 25;
  bool Morphing = false;
  TvlMorphKind MorphKind = TvlMorphKind::mkDefault;
  bool ShowFocus = false;
  TRect MenuMarkerFlatRect{}, MenuMarkerRect{}, MenuMarkerActiveRect{}, MenuMarkerDownRect{};
  TColor MenuMarkerTransparentColor = 0;

  // Copies the fields from Element and applies the fallbacks of empty states (hover to the
  // element's image, pressed to hover; markers likewise) and of a disabled text colour equal to
  // the normal one (grey).
  void CopyFrom(const TvlDataSkinButtonControl& Element);
  // The caption colour of a state: DefaultColour for an enabled button without the element's
  // colours, else disabled, pressed under the mouse, hover or normal.
  [[nodiscard]] TColor TextColour(bool Enabled, bool UseSkinFontColor, TColor DefaultColour, bool ADown,
                                  bool AMouseIn) const;
};

// What both skinned buttons share, whatever control they are: the content (a glyph strip or an
// image beside the caption), the press with groups and click repetition, and the hover fade and
// frame animation. The control it is part of repaints, clicks and decides when to fade.
class TvlButtonBehaviour {
 public:
  virtual ~TvlButtonBehaviour();
  TvlButtonBehaviour(const TvlButtonBehaviour&) = delete;
  TvlButtonBehaviour& operator=(const TvlButtonBehaviour&) = delete;

  // ---- Content ----
  // A strip of NumGlyphs equal frames: normal, disabled, pressed, hot.
  [[nodiscard]] TBitmap* Glyph() const { return FGlyph.get(); }
  // Copies the picture and repaints; hover, down and fade state stay as they are.
  void SetGlyph(TBitmap* Value);
  [[nodiscard]] int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  // -1 centres glyph and caption; values below -1 are refused.
  [[nodiscard]] int Margin() const { return FMargin; }
  void SetMargin(int Value);
  [[nodiscard]] int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  [[nodiscard]] TvlButtonLayout Layout() const { return FLayout; }
  void SetLayout(TvlButtonLayout Value);
  TvlButtonPaintEvent OnPaint;

  // ---- Press ----
  bool RepeatMode = false;
  // Milliseconds between repeated clicks after the first 500 ms.
  int RepeatInterval = 100;
  // A second click on a down group button raises it.
  bool AllowAllUp = false;
  [[nodiscard]] bool Down() const { return FDown; }
  // Stores the state and repaints (a released button fades back); a group button going down
  // releases the down buttons of its group among the siblings of the same kind.
  void SetDown(bool Value);
  // 0: no group.
  [[nodiscard]] int GroupIndex() const { return FGroupIndex; }

  // ---- State (read-only) ----
  [[nodiscard]] bool MouseIn() const { return FMouseIn; }
  // Fade position, 0 (normal look) .. 5 (hover look).
  [[nodiscard]] int MorphStep() const { return FMorph.Step(); }
  [[nodiscard]] bool MorphRunning() const { return FMorph.Running(); }
  [[nodiscard]] bool Repeating() const { return FRepeater.Running(); }
  [[nodiscard]] int CurrentFrame() const { return FAnimation.CurrentFrame(); }

  // The click.
  virtual void ButtonClick() = 0;

 protected:
  explicit TvlButtonBehaviour(TControl* Self);

  // Repaints the button.
  virtual void FaceChanged() = 0;
  // The element is found.
  [[nodiscard]] virtual bool HasElement() const = 0;
  // The element fades (it asks for it and the skin's effects are on).
  [[nodiscard]] virtual bool Fades() const = 0;
  // Other is a button of this one's kind (groups never mix kinds).
  [[nodiscard]] virtual bool SameKind(const TvlButtonBehaviour* Other) const = 0;
  // Whether the look heads for the hover look.
  [[nodiscard]] virtual bool WantsHover() const { return FMouseIn; }

  // The left button pressed on the button, and let go (over it when MouseIn).
  void PressLeft();
  void ReleaseLeft();
  void StartRepeating();
  // RefreshButton: no hover, not down (the field only), the fade at rest, no frame animation
  // when Effects; then a repaint.
  void ResetLook(bool Effects);
  // Enabled or disabled: the fade goes to rest and the hover look goes; then a repaint.
  void EnabledChanged();

  TControl* FSelf;
  TvlFrameAnimation FAnimation;
  TvlClickRepeater FRepeater;
  TvlHoverMorph FMorph;
  bool FDown = false;
  bool FMouseIn = false;
  bool FMouseDown = false;
  bool FAllowAllUpCheck = false;
  int FGroupIndex = 0;

 private:
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  int FMargin = -1;
  int FSpacing = 1;
  TvlButtonLayout FLayout = TvlButtonLayout::blGlyphLeft;
};

// ---- Push button --------------------------------------------------------------------------------

class TvlSkinButton : public TvlSkinCustomControl, public TvlButtonBehaviour {
 public:
  explicit TvlSkinButton(TComponent* AOwner);
  ~TvlSkinButton() override;

  // ---- Properties ----
  [[nodiscard]] TCustomImageList* ImageList() const { return FImageList; }
  void SetImageList(TCustomImageList* Value);
  // -1 draws the glyph.
  [[nodiscard]] int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  // The glow frame shows even when the skin data's ShowButtonGlowFrames is off.
  bool AlwaysShowLayeredFrame = false;
  // On: the element's resize rules set the size. Off: any size, the state image stretched.
  bool UseSkinSize = true;
  // On: text colours from the element. Off: DefaultFont's colour.
  bool UseSkinFontColor = true;
  // Escape clicks the button.
  bool Cancel = false;
  // Given to the parent form on every click.
  TModalResult ModalResult = mrNone;
  // Enter clicks the button while the focus is on a control that is not a button.
  [[nodiscard]] bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // The button takes the focus (also sets TabStop).
  [[nodiscard]] bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);
  // A group button never takes the focus.
  void SetGroupIndex(int Value);

  // This button is the one Enter clicks (the default button, or the focused button).
  [[nodiscard]] bool Active() const { return FActive; }
  [[nodiscard]] TvlLayerManager* LayerManager() const { return FLayerManager; }

  // Clears the hover and pressed look at once (no group handling, no fade), ends a running
  // frame animation and repaints. The main window calls it after switching a tool button's
  // picture and before disabling it.
  void RefreshButton();
  // One state image with caption and glyph into B (the control's size): R is the state's
  // rectangle in the element's picture.
  virtual void DrawButtonContent(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn);
  // The click: the parent form's ModalResult, then OnClick (or else the linked action).
  void ButtonClick() override;
  // The programmatic click is the button's click.
  void Click() override;

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap*) override {}
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override;
  void CalcSize(int& AWidth, int& AHeight) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  // Copied from the element by GetSkinData.
  TvlButtonElementLook Look;
  int GlowLayerPictureIndex = -1, GlowLayerMaskPictureIndex = -1;
  int GlowLayerOffsetLeft = 0, GlowLayerOffsetRight = 0, GlowLayerOffsetTop = 0, GlowLayerOffsetBottom = 0;
  int GlowLayerShowOffsetX = 0, GlowLayerShowOffsetY = 0;
  int GlowLayerAlphaBlendValue = 255;

 protected:
  void FaceChanged() override { Repaint(); }
  [[nodiscard]] bool HasElement() const override { return FIndex != -1; }
  [[nodiscard]] bool Fades() const override;
  [[nodiscard]] bool SameKind(const TvlButtonBehaviour* Other) const override;
  [[nodiscard]] bool WantsHover() const override { return FMouseIn || IsFocused(); }
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateWnd() override;
  void Paint() override;
  [[nodiscard]] bool SkinLookAvailable() const override { return Picture != nullptr && ResizeMode != -1; }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;

 private:
  [[nodiscard]] bool EffectsEnabled() const;
  [[nodiscard]] bool AnimationAllowed() const;
  [[nodiscard]] bool IsFocused() const;
  // The state that draws the pressed look.
  [[nodiscard]] bool ShowsPressed() const;
  // Whether entering or leaving changes the look.
  [[nodiscard]] bool HoverChangesLook() const;
  void StartHoverEffect();
  void StartAnimation(bool Forward);
  void ShowLayer();
  void HideLayer();
  [[nodiscard]] bool GlowAvailable() const;
  void PostToSelf(UINT Msg);

  TvlLayerManager* FLayerManager = nullptr;  // owned (component)
  bool FSpaceSupport = true;
  bool FActive = false;
  bool FDefault = false;
  bool FClicksDisabled = false;
  bool FCanFocused = true;
  TCustomImageList* FImageList = nullptr;
  int FImageIndex = -1;
};

// ---- Speed button -------------------------------------------------------------------------------

// The windowless tool button ("toolbutton"). A flat button has no background at rest; on a bar
// that lends image lists (TvlButtonImageSource) a button without a glyph shows the bar's image.
// With an images menu attached it can show the menu's chosen entry (image, and caption in place
// of its own) and follows each new choice.
class TvlSkinSpeedButton : public TvlGraphicSkinCustomControl, public TvlButtonBehaviour {
 public:
  explicit TvlSkinSpeedButton(TComponent* AOwner);
  ~TvlSkinSpeedButton() override;

  // ---- Properties ----
  [[nodiscard]] TCustomImageList* ImageList() const { return FButtonImages; }
  void SetImageList(TCustomImageList* Value);
  [[nodiscard]] int ImageIndex() const { return FImageIndex; }
  // Repaints only on a bar that lends its images.
  void SetImageIndex(int Value);
  bool UseSkinSize = true;
  bool UseSkinFontColor = true;
  // Widths taken when ShowCaption changes (both must be above 0).
  int WidthWithCaption = 0;
  int WidthWithoutCaption = 0;
  // Transparent: no background of its own at rest (the control is not opaque).
  [[nodiscard]] bool Transparent() const;
  void SetTransparent(bool Value);
  // Flat buttons are transparent and never run the frame animation.
  [[nodiscard]] bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  void SetGroupIndex(int Value) { FGroupIndex = Value; }
  [[nodiscard]] bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);
  // The images menu whose chosen entry the button shows (with UseImagesMenuImage, and its
  // caption with UseImagesMenuCaption too); the button repaints on each new choice. Cleared
  // when the menu is freed.
  [[nodiscard]] TvlSkinImagesMenu* SkinImagesMenu() const { return FSkinImagesMenu; }
  void SetSkinImagesMenu(TvlSkinImagesMenu* Value);
  bool UseImagesMenuImage = false;
  bool UseImagesMenuCaption = false;

  // As TvlSkinButton::RefreshButton.
  void RefreshButton();
  virtual void DrawButtonContent(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn);
  // OnClick (or else the linked action).
  void ButtonClick() override;
  void Click() override;
  // The element's drop-down marker for the flags, centred in R (for buttons with a menu).
  void DrawMenuMarker(TCanvas* C, const TRect& R, bool AActive, bool ADown, bool AFlat);

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap*) override {}
  void ChangeSkinData() override;
  void CalcSize(int& AWidth, int& AHeight) override;

  TvlButtonElementLook Look;

 protected:
  void FaceChanged() override { Repaint(); }
  [[nodiscard]] bool HasElement() const override { return FIndex != -1; }
  [[nodiscard]] bool Fades() const override;
  [[nodiscard]] bool SameKind(const TvlButtonBehaviour* Other) const override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  [[nodiscard]] bool SkinLookAvailable() const override { return Picture != nullptr && ResizeMode != -1; }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  // The content of a state: the bar's or the button's image, or the glyph, and the caption.
  void DrawContent(TCanvas* C, const TRect& R, bool Pressed, bool ADown, bool AMouseIn);

 private:
  [[nodiscard]] bool EffectsEnabled() const;
  [[nodiscard]] bool AnimationAllowed() const;
  void HoverChanged(bool Entered);
  void PaintTransparentContent();
  // The images menu's chosen entry when the button shows it, else nullptr.
  [[nodiscard]] const TvlImagesMenuItem* ShownMenuItem() const;

  TCustomImageList* FButtonImages = nullptr;
  TvlSkinImagesMenu* FSkinImagesMenu = nullptr;
  int FImageIndex = 0;
  bool FFlat = false;
  bool FShowCaption = true;
};
