#pragma once
// The skin library's own scroll bar: a track, two arrow buttons and a thumb drawn from a scroll
// bar element ("hscrollbar", "vscrollbar", "bothhscrollbar") or in a built-in look, with a range
// and position of its own. Views that hide their system scroll bars place it beside themselves
// and drive it.
//
//   horizontal:  [<][======[thumb]==============][>]     the down button (<) lowers Position,
//   vertical:    the same turned, down button on top     the up button (>) raises it
//
// Pressing an arrow steps at once, then after 500 ms every 50 ms while the pointer stays on it;
// pressing the track pages toward the pointer the same way until the thumb reaches it; dragging
// the thumb sets the position from its place. GUI thread only.

#include <array>

#include "lib/controls/vlSkinCtrls.h"

enum class TScrollBarKind { sbHorizontal, sbVertical };

class TvlSkinScrollBar : public TvlSkinCustomControl {
 public:
  explicit TvlSkinScrollBar(TComponent* AOwner);
  ~TvlSkinScrollBar() override;

  // Parts of the bar.
  static constexpr int kThumb = 0, kUpButton = 1, kDownButton = 2, kNoPart = -1;

  // ---- Range and position ----
  // Min <= Position <= Max, and Position <= Max - PageSize + 1 while a page is set.
  [[nodiscard]] int Position() const { return FPosition; }
  // Clamps; a changed position repaints and fires OnChange.
  void SetPosition(int Value);
  [[nodiscard]] int Min() const { return FMin; }
  // Stores; raises Position to it when below (no event).
  void SetMin(int Value);
  [[nodiscard]] int Max() const { return FMax; }
  // Stores; lowers Position to the new end of its range when beyond (no event).
  void SetMax(int Value);
  // The visible part of the range; 0: no page (a thumb of fixed length). A page that does not fit
  // the present position (Position + PageSize - 1 beyond Max) is refused.
  [[nodiscard]] int PageSize() const { return FPageSize; }
  void SetPageSize(int Value);
  [[nodiscard]] int SmallChange() const { return FSmallChange; }
  void SetSmallChange(int Value);
  [[nodiscard]] int LargeChange() const { return FLargeChange; }
  void SetLargeChange(int Value);
  // Stores range and page as given, clamps the position, repaints; fires no event.
  void SetRange(int AMin, int AMax, int APosition, int APageSize);
  // Clamps and stores the position, repainting when it changed; fires no event.
  void SimplySetPosition(int AValue);

  // ---- Look ----
  [[nodiscard]] TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  // A vertical bar stands beside this horizontal one: the "both" element (with the corner
  // square) is drawn, or the built-in bar leaves a square of BothMarkerWidth plain.
  [[nodiscard]] bool Both() const { return FBoth; }
  void SetBoth(bool Value);
  [[nodiscard]] int BothMarkerWidth() const { return FBothMarkerWidth; }
  void SetBothMarkerWidth(int Value);
  [[nodiscard]] const std::string& BothSkinDataName() const { return FBothSkinDataName; }
  void SetBothSkinDataName(const std::string& Value) { FBothSkinDataName = Value; }
  // Keys, wheel and focus (also sets TabStop).
  [[nodiscard]] bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);

  // ---- Events (sender the bar) ----
  TNotifyEvent OnChange;           // Position changed through its writer
  TNotifyEvent OnUpButtonClick;    // replaces the up button's step when assigned
  TNotifyEvent OnDownButtonClick;  // replaces the down button's step when assigned
  TNotifyEvent OnPageUp;           // after a page step toward the start
  TNotifyEvent OnPageDown;         // after a page step toward the end
  TNotifyEvent OnLastChange;       // the thumb was let go after a drag

  // ---- Layout (read-only, control coordinates) ----
  [[nodiscard]] TRect PartRect(int Part) const { return FButtons[static_cast<std::size_t>(Part)].R; }
  [[nodiscard]] const TRect& TrackRect() const { return NewTrackArea; }
  [[nodiscard]] bool Dragging() const { return FDown; }
  // 0 idle, 1 down button, 2 up button, 3 paging toward the start, 4 toward the end.
  [[nodiscard]] int RepeatMode() const { return TimerMode; }
  // Places the parts for the present size, range and position.
  void Layout();

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void CalcSize(int& AWidth, int& AHeight) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  // Copied from the element by GetSkinData (the rectangles of the track and arrow buttons in
  // control coordinates of a control of skin size, the images in picture coordinates).
  TRect TrackArea{}, UpButtonRect{}, DownButtonRect{};
  TRect ActiveUpButtonRect{}, DownUpButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};
  TRect ThumbRect{}, ActiveThumbRect{}, DownThumbRect{};
  int ThumbOffset1 = 0, ThumbOffset2 = 0;
  bool ThumbTransparent = false;
  TColor ThumbTransparentColor = 0;
  bool ThumbStretchEffect = false;
  int ThumbMinSize = 0, ThumbMinPageSize = 0;
  TRect GlyphRect{}, ActiveGlyphRect{}, DownGlyphRect{};
  bool GlyphTransparent = false;
  TColor GlyphTransparentColor = 0;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMWantSpecialKey(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  [[nodiscard]] bool SkinLookAvailable() const override { return FScrollElement && Picture && ResizeMode != -1; }

 private:
  struct Part {
    TRect R{};
    bool MouseIn = false;
    bool Down = false;
  };
  [[nodiscard]] bool Horizontal() const { return FKind == TScrollBarKind::sbHorizontal; }
  [[nodiscard]] bool Skinned() const { return FIndex != -1 && SkinLookAvailable(); }
  [[nodiscard]] int Clamped(int Value) const;
  [[nodiscard]] int PartAt(int X, int Y) const;
  // Thumb length and its position's share of the travel.
  void ThumbMeasure(int TrackLength, int& Length, double& Ratio) const;
  void TrackHover(int X, int Y);
  void StartTimer(UINT Interval);
  void StopTimer();
  void Step(int Part);
  void PageStep(bool TowardStart);
  void TimerTick();
  void DragTo(int X, int Y);
  void DrawSkinThumb(TBitmap* B);
  void DrawBuiltinPart(TCanvas* C, int Part, int Direction);

  std::string FNormalSkinDataName;
  std::string FBothSkinDataName = "bothhscrollbar";
  int Offset1 = 0, Offset2 = 0, BOffset = 0;
  TRect NewTrackArea{};
  bool FDown = false;
  int OMPos = 0, OldBOffset = 0;
  int MX = 0, MY = 0;
  bool MouseD = false;
  bool WaitMode = false;
  bool FTimerRunning = false;
  int FBothMarkerWidth = 19;
  bool FClicksDisabled = false;
  bool FCanFocused = false;
  int TimerMode = 0;
  int ActiveButton = kNoPart, OldActiveButton = kNoPart, CaptureButton = kNoPart;
  std::array<Part, 3> FButtons{};
  int FMin = 0, FMax = 100, FSmallChange = 1, FLargeChange = 1, FPosition = 0;
  TScrollBarKind FKind = TScrollBarKind::sbHorizontal;
  int FPageSize = 0;
  bool FBoth = false;
  bool FScrollElement = false;
};

// An external bar of a dialog's view: on Parent's right edge (vertical) or bottom edge, 19 pixels
// thick, disabled until the view has something to scroll. The order of the calls decides which
// bar takes the corner.
TvlSkinScrollBar* vlNewDialogScrollBar(TComponent* Owner, TWinControl* Parent, TScrollBarKind Kind);
