#pragma once
// Two panels with jobs of their own. TvlSkinToolBar ("toolpanel") holds tool buttons: it keeps
// its children vertically centred, lends its skin, images and flat style to its speed buttons,
// and, when the buttons are wider than the bar, shows two 12-pixel scroll arrows in its
// non-client area that move the buttons sideways by click, by holding, or (HotScroll) by resting
// the mouse on an arrow. TvlSkinStatusBar ("statusbar") is a bottom panel whose size grip sizes
// its form.
//
//   +--+------------------------------------------------+--+
//   |< |  [button][button][button][butt                  | >|   arrows: 12 px, non-client
//   +--+------------------------------------------------+--+
//
// GUI thread only.

#include "lib/controls/vlSkinCtrlsButtons.h"
#include "platform/windowing/WindowTree.h"

// Hit codes of the tool bar's scroll arrows.
constexpr LRESULT kvlHitLeftArrow = 119;
constexpr LRESULT kvlHitRightArrow = 120;

class TvlSkinToolBar : public TvlSkinPanel, public TvlButtonImageSource {
 public:
  explicit TvlSkinToolBar(TComponent* AOwner);
  ~TvlSkinToolBar() override;

  // ---- Properties ----
  // Keep the children vertically centred.
  bool AdjustControls = true;
  // Scroll arrows while the children do not fit.
  bool CanScroll = false;
  // Resting the mouse on an arrow scrolls.
  bool HotScroll = false;
  // With it, ShowCaptions reaches the speed buttons.
  bool AutoShowHideCaptions = false;
  // The bar's width with and without captions; 0: no automatic width.
  int WidthWithCaptions = 0;
  int WidthWithoutCaptions = 0;
  // Pixels per scroll step; 0: the client width. Negative values are refused.
  [[nodiscard]] int ScrollOffset() const { return FScrollOffset; }
  void SetScrollOffset(int Value);
  // Milliseconds between steps while an arrow is held or hovered; 0 or less is refused.
  [[nodiscard]] int ScrollTimerInterval() const { return FScrollTimerInterval; }
  void SetScrollTimerInterval(int Value);
  [[nodiscard]] bool Flat() const { return FFlat; }
  // Stores; every speed button on the bar takes it.
  void SetFlat(bool Value);
  [[nodiscard]] bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value);
  [[nodiscard]] TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  [[nodiscard]] TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* Value);
  [[nodiscard]] TCustomImageList* DisabledImages() const { return FDisabledImages; }
  void SetDisabledImages(TCustomImageList* Value);

  // The bar and its speed buttons and bevels follow the container.
  void SetSkinData(TvlSkinData* Value) override;

  // ---- Scrolling (read-only) ----
  [[nodiscard]] int ScrollPosition() const { return SPosition; }
  [[nodiscard]] int ScrollMax() const { return SMax; }
  [[nodiscard]] int ScrollPage() const { return SPage; }
  [[nodiscard]] bool ArrowsVisible() const { return FArrows[0].Visible; }
  [[nodiscard]] bool Scrolling() const { return TimerMode != 0; }
  // Recomputes the scroll range from the children and shows or hides the arrows.
  void UpdateScrollInfo();
  // One step left (Right false) or right.
  void ScrollStep(bool Right);

  [[nodiscard]] TCustomImageList* ButtonImages() const override { return FImages; }
  [[nodiscard]] TCustomImageList* ButtonHotImages() const override { return FHotImages; }
  [[nodiscard]] TCustomImageList* ButtonDisabledImages() const override { return FDisabledImages; }
  [[nodiscard]] bool CentresSkinnedChildren() const override { return AdjustControls; }

  void GetSkinData() override;
  void CreateControlSkinImage(TBitmap* B) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void AdjustClientRect(TRect& Rect) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  struct Arrow {
    TRect R{};
    bool MouseIn = false;
    bool Down = false;
    bool Visible = false;
  };
  // Centres the children that do not centre themselves (not skinned, not aligned).
  void CentreChildren();
  void ScrollContent(int Delta);
  void ShowArrows(bool Visible);
  void StartTimer(int Mode);
  void StopTimer();
  void TimerTick();
  void MarkArrow(int Index);
  void UnmarkArrows();
  void PaintArrows();
  void DrawArrow(TCanvas* C, int Index);
  void NCMouse(UINT Msg, LRESULT Hit);

  int TimerMode = 0;
  int SMax = 0, SPosition = 0, SPage = 0, SOldPosition = 0;
  int FHSizeOffset = 0;
  int FScrollOffset = 0;
  int FScrollTimerInterval = 50;
  Arrow FArrows[2];
  // The move under way while WM_WINDOWPOSCHANGING is handled (a frame change joins it).
  WINDOWPOS* FChangingPos = nullptr;
  TvlDataSkinButtonControl* ButtonData = nullptr;  // the container's; valid until a skin change
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FDisabledImages = nullptr;
  TCustomImageList* FHotImages = nullptr;
  bool FFlat = false;
  bool FShowCaptions = false;
};

class TvlSkinStatusBar : public TvlSkinPanel {
 public:
  explicit TvlSkinStatusBar(TComponent* AOwner);

  // A size grip is wanted.
  [[nodiscard]] bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool Value);
  // The grip is shown (the form skinner turns it off while the form is maximized).
  [[nodiscard]] bool ShowGrip() const { return FShowGrip; }
  void SetShowGrip(bool Value);
  // The bar and its skinned children follow the container.
  void SetSkinData(TvlSkinData* Value) override;
  // The grip's place, just right of the client area (control coordinates).
  [[nodiscard]] TRect GripRect();

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void WndProc(TMessage& Message) override;

  // Copied from the panel element.
  TRect GripperRect{};
  bool GripperTransparent = false;
  TColor GripperTransparentColor = 0;

 protected:
  void AdjustClientRect(TRect& Rect) override;

 private:
  [[nodiscard]] bool GripShown() const { return FSizeGrip && FShowGrip; }
  void DrawGrip(TCanvas* C, bool Skinned);
  bool FSizeGrip = false;
  bool FShowGrip = true;
};
