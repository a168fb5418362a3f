#pragma once
// The skinned slider (track bar): a thumb moves along a ruler and selects an integer Value
// between MinValue and MaxValue. It draws from a slider element of the skin (ruler and thumb
// images cut from the element's picture) or from four images of its own, which start as the
// program's built-in pictures "VL_HTB", "VL_HRL", "VL_VTB" and "VL_VRL". The thumb is dragged,
// the ruler clicked (a jump by Increment at once, then every 400 ms while held), and Home, End
// and the arrow keys jump.
//
// Geometry (horizontal; the vertical slider is the same turned, with MinValue at the bottom):
//
//   0   6                                         Width-6
//   +---+-----------------------------------------+---+
//   |   [thumb]                                       |  thumb: 6 px from the top
//   |   ===========ruler (Width - 12 long)=========   |  centred on the taller of the two
//   |   '    '    '    '    '    '    '    '    '      |  tick points in the band below
//   +-------------------------------------------------+
//
// The travel T is the ruler's length minus the thumb's; a slider with no travel keeps its
// thumb at the start and every value at MinValue. GUI thread only.

#include <array>
#include <memory>

#include "lib/controls/vlSkinCtrls.h"
#include "platform/core/Set.h"

enum class TvlSliderOrientation { soHorizontal, soVertical };
enum class TvlSliderOption { soShowFocus, soShowPoints, soSmooth, soRulerOpaque, soThumbOpaque };
using TvlSliderOptions = TSet<TvlSliderOption>;
enum class TvlJumpMode { jmNone, jmHome, jmEnd, jmNext, jmPrior };
// The slider's own images.
enum class TvlSliderImage { siHThumb, siHRuler, siVThumb, siVRuler };
using TvlSliderImages = TSet<TvlSliderImage>;

// Resource names of the built-in images (4 bits a pixel): the horizontal thumb 18 x 17 (two
// 9 x 17 states), the horizontal ruler 10 x 8, the vertical thumb 38 x 9 (two 19 x 9 states),
// the vertical ruler 8 x 10.
inline constexpr const char* kvlSliderImageResources[] = {"VL_HTB", "VL_HRL", "VL_VTB", "VL_VRL"};

class TvlSkinCustomSlider : public TvlSkinControl {
 public:
  explicit TvlSkinCustomSlider(TComponent* AOwner);
  ~TvlSkinCustomSlider() override;

  // ---- Values ----
  [[nodiscard]] int Value() const { return FValue; }
  // Clamped to MinValue .. MaxValue; moves the thumb; OnChange when the value changed.
  void SetValue(int Value);
  [[nodiscard]] int MinValue() const { return FMinValue; }
  void SetMinValue(int Value);
  [[nodiscard]] int MaxValue() const { return FMaxValue; }
  // A different maximum sets the range (MinValue, Value): ignored at or below MinValue, it
  // shrinks Increment to a smaller range and re-clamps Value.
  void SetMaxValue(int Value);
  [[nodiscard]] int Increment() const { return FIncrement; }
  // Values of 0 or below, and the present one, are ignored.
  void SetIncrement(int Value);

  // ---- Look ----
  [[nodiscard]] TvlSliderOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TvlSliderOrientation Value);
  [[nodiscard]] TvlSliderOptions Options() const { return FOptions; }
  void SetOptions(TvlSliderOptions Value);
  [[nodiscard]] bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // With a skin element, the thumb comes from the skin.
  bool UseSkinThumb = true;
  // States side by side in an own thumb image (normal, then pressed or disabled).
  [[nodiscard]] int NumThumbStates() const { return FNumThumbStates; }
  void SetNumThumbStates(int Value);
  // Fixed end length of an own ruler image; accepted while twice it is shorter than the image.
  [[nodiscard]] int EdgeSize() const { return FEdgeSize; }
  void SetEdgeSize(int Value);
  // The own images. A bitmap is copied and marked as the user's; nullptr puts the built-in
  // picture back (and, outside loading, drops the matching opaque option).
  [[nodiscard]] TBitmap* Image(TvlSliderImage Which) const;
  void SetImage(TvlSliderImage Which, TBitmap* Value);
  [[nodiscard]] TvlSliderImages UserImages() const { return FUserImages; }

  // ---- Events ----
  // Value changed (by the writer, dragging or a jump).
  TNotifyEvent OnChange;
  // A user action ended: the button released after dragging, a keyboard jump, the end of ruler
  // tracking.
  TNotifyEvent OnChanged;
  // Draws the tick points in place of the default ones (it may call DefaultDrawPoints).
  TNotifyEvent OnDrawPoints;

  // ---- Layout (read-only) ----
  [[nodiscard]] const TRect& ThumbRect() const { return FThumbRect; }
  [[nodiscard]] TPoint RulerOrigin() const { return FRulerOrg; }
  [[nodiscard]] TSize RulerSize() const;
  [[nodiscard]] const TRect& PointsRect() const { return FPointsRect; }
  // The thumb's travel along the axis (0 or more).
  [[nodiscard]] int Travel() const;
  [[nodiscard]] bool Sliding() const { return FSliding; }
  [[nodiscard]] bool Tracking() const { return FTracking; }

  // The tick points: every PointsStep values, PointsHeight long, ExtremePointsHeight at both
  // ends, on the control's canvas.
  void DefaultDrawPoints(int PointsStep, int PointsHeight, int ExtremePointsHeight);
  // The offset (left or top of the thumb) of a value, and the value of an offset.
  [[nodiscard]] int OffsetOfValue(int V) const;
  [[nodiscard]] int ValueOfOffset(int P) const;
  // The value a jump gives from the present value.
  [[nodiscard]] int JumpValue(TvlJumpMode Mode) const;

  virtual bool CanModify() { return true; }
  [[nodiscard]] virtual TRect GetSliderRect() const { return TRect{0, 0, Width(), Height()}; }
  [[nodiscard]] virtual int GetSliderValue() const { return FValue; }
  virtual void RebuildLayout();
  virtual void RangeUpdated() {}
  virtual void ThumbMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void ThumbMouseMove(TShiftState Shift, int X, int Y);
  virtual void ThumbMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);

  void GetSkinData() override;
  void ChangeSkinData() override { RebuildLayout(); }
  void CheckParentBackground() override;
  void Dispatch(TMessage& Message) override;

  // Copied from the element by GetSkinData (picture coordinates; a thumb rectangle holds two
  // states side by side).
  TRect HRulerRect{}, HThumbRect{}, VRulerRect{}, VThumbRect{};
  int SkinEdgeSize = 0;
  TColor BGColor = 0, PointsColor = 0;
  TBitmap* Picture = nullptr;  // the container's; never owned

 protected:
  virtual void NotifyChange();
  virtual void NotifyChanged();
  void Loaded() override;
  void Resize() override;
  void Paint() override;
  void WMPaint(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void CMFocusChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;

 private:
  [[nodiscard]] bool Horizontal() const { return FOrientation == TvlSliderOrientation::soHorizontal; }
  // A slider element with a picture is found.
  [[nodiscard]] bool SkinnedLook() const { return FIndex != -1 && FSliderElement && Picture; }
  [[nodiscard]] bool SkinThumb() const { return SkinnedLook() && UseSkinThumb; }
  [[nodiscard]] TSize ThumbSize() const;
  // Distance of the ruler's start from the slider's edge along the axis.
  [[nodiscard]] int AxisStart() const;
  void SetRange(int AMin, int AMax);
  void BuildRuler();
  void BuildOwnRuler(int Length);
  void MoveThumbTo(int P);
  void InvalidateThumb();
  [[nodiscard]] TvlJumpMode JumpDirection(TPoint P) const;
  void Jump(TvlJumpMode Mode);
  void RepeatStep();
  void StopTracking();
  void LoadBuiltinImage(TvlSliderImage Which);
  void DrawThumb(TCanvas* C, int X, int Y);
  void DrawPoint(TCanvas* C, int V, int Length);

  TvlSliderImages FUserImages;
  std::array<std::unique_ptr<TBitmap>, 4> FImages;
  int FEdgeSize = 2;
  std::unique_ptr<TBitmap> FRuler;
  TPoint FRulerOrg{};
  TRect FThumbRect{};
  bool FThumbDown = false;
  int FNumThumbStates = 2;
  TRect FPointsRect{};
  TvlSliderOrientation FOrientation = TvlSliderOrientation::soHorizontal;
  TvlSliderOptions FOptions{TvlSliderOption::soShowFocus, TvlSliderOption::soShowPoints, TvlSliderOption::soSmooth};
  int FMinValue = 0;
  int FMaxValue = 100;
  int FIncrement = 10;
  int FValue = 0;
  int FHit = 0;
  bool FFocused = false;
  bool FSliding = false;
  bool FTracking = false;
  bool FTimerActive = false;
  TPoint FMousePos{};
  TvlJumpMode FStartJump = TvlJumpMode::jmNone;
  bool FTransparent = false;
  bool FSliderElement = false;
  bool FCreating = true;
};

// The published slider.
class TvlSkinSlider : public TvlSkinCustomSlider {
 public:
  explicit TvlSkinSlider(TComponent* AOwner) : TvlSkinCustomSlider(AOwner) {}
};
