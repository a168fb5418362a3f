#pragma once
// Skinned controls: the windowed and windowless control bases that paint from one element of a
// skin, the panel family (panel, paint panel, group box), and the skinned labels, bevel and
// splitter built on the platform's own label, bevel and splitter.
//
// Every skinned control names one element (SkinDataName) of a skin container (SkinData), looks
// it up again on every paint, resize and skin change, composes its whole face in one off-screen
// bitmap and draws it in one go. Without an element - no container, an empty skin, a name the
// skin lacks, a picture index outside the skin - it draws a built-in look in system colours.
// A control only reads the skin: descriptions and pictures belong to the container.
//
// GUI thread only.

#include <memory>
#include <string>

#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/controls/Controls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Strings.h"

class TBitmap;
class TCustomImageList;
class TvlSkinData;

// Sent to the child controls of a form or control after it moved or was laid out again;
// controls that show their parent's background repaint.
constexpr UINT WM_vlParentMoved = WM_USER + 260;  // 1284

// ---- The skin-change interface ------------------------------------------------------------------

// What every skinned control family offers the form skinner, whatever platform base it is
// built on: its container, and the two steps of a skin change. The form skinner walks a form's
// controls (vlBeforeChildrenSkinChange before the container replaces its skin,
// vlChangeChildrenSkinData after) and calls these on each control whose SkinData is the
// changing container.
class TvlSkinClient {
 public:
  virtual ~TvlSkinClient() = default;
  [[nodiscard]] virtual TvlSkinData* SkinData() const = 0;
  // Before the container replaces its skin: forget the element (windowed bases); nothing for
  // families that keep no element between paints.
  virtual void BeforeChangeSkinData() {}
  // After the change: look the element up again, resize by its rules and repaint.
  virtual void ChangeSkinData() = 0;
};

// The two walks: Control first, then its children (windowed ones with their own children).
// A control takes part when it is a TvlSkinClient whose SkinData is Container, or any skinned
// control when Container is nullptr.
void vlBeforeChildrenSkinChange(TvlSkinData* Container, TControl* Control);
void vlChangeChildrenSkinData(TvlSkinData* Container, TControl* Control);

// ---- Skin look-ups shared by the families (all range-checked) ---------------------------------

// vlFindControlElement, vlControlElement and vlSkinPicture: lib/data/vlSkinMissing.h.

// The top a skinned control of AHeight gets when its parent centres its skinned children
// (TvlSkinPanel::CentresSkinnedChildren); ATop otherwise.
[[nodiscard]] int vlCentredTop(TControl* Control, int ATop, int AHeight);

// Paints, into Canvas, what Control's parent and the windowless siblings below it show at the
// control's place (nothing without a control or a parent).
void DrawParentBackground(TControl* Control, TCanvas* Canvas);
// The same for a page of a page control: Rect is the page's place inside the control.
void DrawParentBackgroundRect(TControl* Control, const TRect& Rect, TCanvas* Canvas);

// One button of a combo box, an edit, a list's caption band or an up-down control: its
// rectangle (client coordinates), whether the pointer is over it and whether it is held down.
struct TvlCBButtonX {
  TRect R{};
  bool MouseIn = false;
  bool Down = false;
};

// The item area of a combo box (client coordinates) and the state handed to its owner drawing.
struct TvlCBItem {
  TRect R{};
  TOwnerDrawState State{};
};

// ---- Windowed bases ----------------------------------------------------------------------------

// The link to the skin and the one-bitmap painting of every windowed skinned control. Mouse
// enter and leave events are the platform's own OnMouseEnter/OnMouseLeave (fired once).
class TvlSkinControl : public TCustomControl, public TvlSkinClient {
 public:
  explicit TvlSkinControl(TComponent* AOwner);
  ~TvlSkinControl() override;

  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  // Stores the container (cleared again when it is freed); a non-empty skin applies at once.
  virtual void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] const std::string& SkinDataName() const { return FSkinDataName; }
  virtual void SetSkinDataName(const std::string& Value);
  [[nodiscard]] TCustomImageList* HintImageList() const { return FHintImageList; }
  void SetHintImageList(TCustomImageList* Value);

  // Looks the element up (FIndex) and copies what the class needs from it.
  virtual void GetSkinData();
  // The built-in look and the skin look of the whole control, into B (control size).
  virtual void CreateControlDefaultImage(TBitmap* B);
  virtual void CreateControlSkinImage(TBitmap* B);
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override;
  virtual void AfterChangeSkinData() {}
  // Called when the parent reports a move (WM_vlParentMoved).
  virtual void CheckParentBackground() {}

  // The element's index in the container's control list; -1 draws the built-in look.
  [[nodiscard]] int SkinIndex() const { return FIndex; }
  // True when the control has handed its window a region (the window owns it).
  [[nodiscard]] bool HasWindowRegion() const { return FRgnSet; }

  std::string HintTitle;
  int HintImageIndex = 0;
  // True while WM_PAINT is being handled.
  bool FromWMPaint = false;

  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void WMPaint(TMessage& Message) override;
  // The off-screen bitmap covers the whole control: nothing to erase.
  void WMEraseBkgnd(TMessage& Message) override;
  // False when the element is found but has nothing to draw from (no picture): the built-in
  // look is drawn then.
  [[nodiscard]] virtual bool SkinLookAvailable() const { return true; }

  TvlSkinData* FSD = nullptr;
  std::string FSkinDataName;
  bool FRgnSet = false;
  int FIndex = -1;

 private:
  TCustomImageList* FHintImageList = nullptr;
};

// A windowed control drawn from a nine-part element: geometry, resize modes, the window region
// cut from the element's mask, and the size and font used without an element.
class TvlSkinCustomControl : public TvlSkinControl {
 public:
  explicit TvlSkinCustomControl(TComponent* AOwner);
  ~TvlSkinCustomControl() override;

  [[nodiscard]] bool ForcebackGround() const { return FForceBackground; }
  void SetForcebackGround(bool Value) { FForceBackground = Value; }
  [[nodiscard]] bool DrawbackGround() const { return FDrawbackground; }
  void SetDrawbackGround(bool Value) { FDrawbackground = Value; }
  [[nodiscard]] int DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(int Value);
  [[nodiscard]] int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  [[nodiscard]] bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }

  [[nodiscard]] const TRect& RealClientRect() const { return NewClRect; }
  [[nodiscard]] int RealClientWidth() const { return NewClRect.Width(); }
  [[nodiscard]] int RealClientHeight() const { return NewClRect.Height(); }
  [[nodiscard]] int RealClientLeft() const { return NewClRect.Left; }
  [[nodiscard]] int RealClientTop() const { return NewClRect.Top; }

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  virtual void ApplyDefaultFont() {}
  // Turns a requested size into the size the element allows and moves the corner points and
  // the client rectangle to it.
  virtual void CalcSize(int& AWidth, int& AHeight);
  // Sets or removes the window region cut from the mask picture.
  virtual void SetControlRegion();

  [[nodiscard]] int GetResizeMode() const;
  // Rectangle R (relative to SkinRect) of the element moved onto the control at its size.
  void MapSkinRect(const TRect& R, TRect& R2) const;
  // Tells every child control that this one moved (WM_vlParentMoved).
  void NotifyParentMoved();
  // The element's geometry with the points at the present size.
  [[nodiscard]] TvlNinePartGeometry Geometry() const {
    return {LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect};
  }
  [[nodiscard]] TvlStretchSides Sides() const { return {LeftStretch, TopStretch, RightStretch, BottomStretch}; }

  TPoint LTPt{}, RTPt{}, LBPt{}, RBPt{};
  TRect SkinRect{};
  TRect ClRect{};
  TPoint NewLTPoint{}, NewRTPoint{}, NewLBPoint{}, NewRBPoint{};
  TRect NewClRect{};
  TBitmap* Picture = nullptr;      // the container's; never owned
  TBitmap* MaskPicture = nullptr;  // the container's; black = inside the window
  int ResizeMode = 0;
  bool StretchEffect = false;
  TvlStretchType StretchType = TvlStretchType::vlstFull;
  bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;

 protected:
  void Paint() override;
  void CreateWnd() override;
  [[nodiscard]] bool SkinLookAvailable() const override { return Picture != nullptr || ResizeMode == -1; }
  // Rectangle P of Picture drawn into B by the resize mode (other states of the element use
  // their own rectangles).
  void CreateSkinImage(TBitmap* B, TBitmap* P, const TRect& R);
  void CreateControlRegion();

  bool FForceBackground = false;
  bool FDrawbackground = true;
  int FDefaultWidth = 0;
  int FDefaultHeight = 0;
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont = true;

 private:
  void DefaultFontChanged();
  void PaintClientTexture(const TRect& Target);
};

// ---- Windowless bases --------------------------------------------------------------------------

class TvlGraphicSkinControl : public TGraphicControl, public TvlSkinClient {
 public:
  explicit TvlGraphicSkinControl(TComponent* AOwner);
  ~TvlGraphicSkinControl() override;

  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  virtual void SetSkinData(TvlSkinData* Value);
  // A plain stored name: setting it does nothing else.
  std::string SkinDataName;
  std::string HintTitle;
  int HintImageIndex = 0;
  [[nodiscard]] TCustomImageList* HintImageList() const { return FHintImageList; }
  void SetHintImageList(TCustomImageList* Value);

  virtual void GetSkinData();
  virtual void CreateControlDefaultImage(TBitmap*) {}
  virtual void CreateControlSkinImage(TBitmap*) {}
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override { FIndex = -1; }
  [[nodiscard]] int SkinIndex() const { return FIndex; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  [[nodiscard]] virtual bool SkinLookAvailable() const { return true; }

  TvlSkinData* FSD = nullptr;
  int FIndex = -1;

 private:
  TCustomImageList* FHintImageList = nullptr;
};

class TvlGraphicSkinCustomControl : public TvlGraphicSkinControl {
 public:
  explicit TvlGraphicSkinCustomControl(TComponent* AOwner);
  ~TvlGraphicSkinCustomControl() override;

  [[nodiscard]] int DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(int Value);
  [[nodiscard]] int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  [[nodiscard]] bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  [[nodiscard]] const TRect& RealClientRect() const { return NewClRect; }
  [[nodiscard]] int RealClientWidth() const { return NewClRect.Width(); }
  [[nodiscard]] int RealClientHeight() const { return NewClRect.Height(); }
  [[nodiscard]] int RealClientLeft() const { return NewClRect.Left; }
  [[nodiscard]] int RealClientTop() const { return NewClRect.Top; }

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  virtual void ApplyDefaultFont() {}
  virtual void CalcSize(int& AWidth, int& AHeight);
  [[nodiscard]] int GetResizeMode() const;

  TPoint LTPt{}, RTPt{}, LBPt{}, RBPt{};
  TRect SkinRect{};
  TRect ClRect{};
  TPoint NewLTPoint{}, NewRTPoint{}, NewLBPoint{}, NewRBPoint{};
  TRect NewClRect{};
  TBitmap* Picture = nullptr;
  int ResizeMode = 0;
  bool StretchEffect = false;
  TvlStretchType StretchType = TvlStretchType::vlstFull;
  bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;

 protected:
  [[nodiscard]] bool SkinLookAvailable() const override { return Picture != nullptr || ResizeMode == -1; }
  void CreateSkinImage(TBitmap* B, TBitmap* P, const TRect& R);

  int FDefaultWidth = 0;
  int FDefaultHeight = 0;
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont = true;
};

// ---- Panel family ------------------------------------------------------------------------------

enum class TvlImagePosition { vlipDefault, vlipLeft };
enum class TvlSkinBorderStyle { bvFrame, bvRaised, bvLowered, bvNone };

// The skinned container: a framed background from a panel element, an optional caption bar
// (glyph or image, a check box that enables the children, roll-up to the caption), a background
// picture, and a transparent mode that shows the parent through the panel.
class TvlSkinPanel : public TvlSkinCustomControl {
 public:
  explicit TvlSkinPanel(TComponent* AOwner);
  ~TvlSkinPanel() override;

  [[nodiscard]] bool RibbonStyle() const { return FRibbonStyle; }
  void SetRibbonStyle(bool Value);
  [[nodiscard]] TvlImagePosition ImagePosition() const { return FImagePosition; }
  void SetImagePosition(TvlImagePosition Value);
  [[nodiscard]] bool TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(bool Value);
  [[nodiscard]] TCustomImageList* CaptionImageList() const { return FCaptionImageList; }
  void SetCaptionImageList(TCustomImageList* Value);
  [[nodiscard]] int CaptionImageIndex() const { return FCaptionImageIndex; }
  void SetCaptionImageIndex(int Value);
  [[nodiscard]] int RealHeight() const { return FRealHeight; }
  void SetRealHeight(int Value) { FRealHeight = Value; }
  [[nodiscard]] bool AutoEnabledControls() const { return FAutoEnabledControls; }
  void SetAutoEnabledControls(bool Value) { FAutoEnabledControls = Value; }
  [[nodiscard]] bool CheckedMode() const { return FCheckedMode; }
  void SetCheckedMode(bool Value);
  [[nodiscard]] bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  [[nodiscard]] TAlignment DefaultAlignment() const { return FDefaultAlignment; }
  void SetDefaultAlignment(TAlignment Value);
  [[nodiscard]] int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
  virtual void SetDefaultCaptionHeight(int Value);
  [[nodiscard]] TvlSkinBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TvlSkinBorderStyle Value);
  [[nodiscard]] bool CaptionMode() const { return FCaptionMode; }
  virtual void SetCaptionMode(bool Value);
  [[nodiscard]] bool RollUpMode() const { return FRollUpMode; }
  void SetRollUpMode(bool Value);
  [[nodiscard]] bool RollUpState() const { return FRollUpState; }
  void SetRollUpState(bool Value);
  [[nodiscard]] TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  [[nodiscard]] int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  [[nodiscard]] int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);

  TNotifyEvent OnChecked;
  TNotifyEvent OnChangeRollUpState;

  // The area inside the frame and caption that holds the children.
  [[nodiscard]] TRect GetSkinClientRect();
  // True for a bar that centres its skinned children vertically in its skin client area
  // (a skinned tool bar with AdjustControls on); a plain panel answers false.
  [[nodiscard]] virtual bool CentresSkinnedChildren() const { return false; }
  // The panel's look drawn on C at (X, Y).
  void PaintskinTo(TCanvas* C, int X, int Y);
  void DoRollUp(bool ARollUp);
  // The caption area on the control, as last painted.
  [[nodiscard]] const TRect& CaptionArea() const { return NewCaptionRect; }

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;

  // Copied from the element.
  std::string FontName;
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = 0;
  TAlignment Alignment = TAlignment::taLeftJustify;
  TRect CaptionRect{};
  int BGPictureIndex = -1;
  TRect CheckImageRect{}, UnCheckImageRect{}, MarkFrameRect{};
  // The caption background strip: the panel element carries no strip rectangle, so FrameRect
  // stays empty unless a caller sets it, and no strip is drawn.
  TRect FrameRect{}, FrameTextRect{};
  int FrameLeftOffset = 0, FrameRightOffset = 0;

 protected:
  virtual void DoPanelPaint(TCanvas*) {}
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void AdjustClientRect(TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;

  TRect NewCaptionRect{};

 private:
  void PaintTransparent();
  void PaintTexture(TBitmap* P, const TRect& Source, const TRect& Over);
  void SetupCaptionFont(TCanvas* C);
  // The caption image's size (the glyph frame or the image list's), 0 x 0 without one.
  [[nodiscard]] TSize CaptionImageSize() const;
  void DrawCaptionImage(TCanvas* C, int X, int Y);
  void RepaintAndRealign();

  bool FRibbonStyle = false;
  bool FInChangingRollUp = false;
  TvlImagePosition FImagePosition = TvlImagePosition::vlipDefault;
  bool FTransparentMode = false;
  int FCMaxWidth = 0, FCMinWidth = 0, FCMaxHeight = 0, FCMinHeight = 0;
  bool FConstraintsSaved = false;
  bool FCheckedMode = false;
  bool FChecked = false;
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  int FSpacing = 2;
  int FRealHeight = -1;
  bool FRollUpState = false;
  bool FRollUpMode = false;
  bool FCaptionMode = false;
  TvlSkinBorderStyle FBorderStyle = TvlSkinBorderStyle::bvFrame;
  int FDefaultCaptionHeight = 22;
  TAlignment FDefaultAlignment = TAlignment::taLeftJustify;
  bool FAutoEnabledControls = true;
  TCustomImageList* FCaptionImageList = nullptr;
  int FCaptionImageIndex = -1;
};

using TvlPaintPanelEvent = std::function<void(TCanvas* Cnvs, TRect R)>;

// A panel with an event for drawing on it.
class TvlSkinPaintPanel : public TvlSkinPanel {
 public:
  explicit TvlSkinPaintPanel(TComponent* AOwner);
  TvlPaintPanelEvent OnPanelPaint;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;

 protected:
  void DoPanelPaint(TCanvas* Canvas) override;
  void WMEraseBkgnd(TMessage& Message) override;
};

// A panel preset as a captioned group ("groupbox").
class TvlSkinGroupBox : public TvlSkinPanel {
 public:
  explicit TvlSkinGroupBox(TComponent* AOwner);
  void GetSkinData() override;
};

// ---- Labels, bevel and splitter ----------------------------------------------------------------

enum class TvlEllipsType { vletNone, vletEndEllips, vletPathEllips };

// The platform label with the skin's font and colour ("stdlabel").
class TvlSkinStdLabel : public TCustomLabel, public TvlSkinClient {
 public:
  explicit TvlSkinStdLabel(TComponent* AOwner);
  ~TvlSkinStdLabel() override;

  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] const std::string& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }
  [[nodiscard]] TvlEllipsType EllipsType() const { return FEllipsType; }
  void SetEllipsType(TvlEllipsType Value);
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
  bool UseSkinFont = true;
  bool UseSkinColor = true;
  // With WordWrap, a word longer than the label is wide (a long path) is broken where it fills a
  // line instead of running past the edge.
  bool BreakLongWords = false;

  void GetSkinData();
  void ChangeSkinData() override;
  // The label with text AText drawn on Canvas at (X, Y).
  void PaintSkinTo(TCanvas* Canvas, int X, int Y, const std::string& AText);
  [[nodiscard]] int SkinIndex() const { return FIndex; }

  std::string FontName;
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = 0;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DoDrawText(TRect& Rect, UINT Flags) override;

 private:
  void DrawLabelText(HDC DC, const std::string& Text, TRect& Rect, UINT Flags);
  TvlEllipsType FEllipsType = TvlEllipsType::vletNone;
  int FIndex = -1;
  TvlSkinData* FSD = nullptr;
  std::string FSkinDataName = "stdlabel";
  std::unique_ptr<TFont> FDefaultFont;
};

// A windowless multi-line label with the standard label's skin rules.
class TvlSkinTextLabel : public TGraphicControl, public TvlSkinClient {
 public:
  explicit TvlSkinTextLabel(TComponent* AOwner);
  ~TvlSkinTextLabel() override;

  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] const std::string& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
  [[nodiscard]] TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value);
  [[nodiscard]] TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  [[nodiscard]] TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  [[nodiscard]] bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // AutoSize (on at creation) fits the bounds to the lines.
  void SetAutoSize(bool Value) override;
  bool UseSkinFont = true;
  bool UseSkinColor = true;

  void GetSkinData();
  void ChangeSkinData() override;
  // All lines as one text, separated by line breaks.
  [[nodiscard]] virtual std::string GetLabelText() const;
  [[nodiscard]] int SkinIndex() const { return FIndex; }

  std::string FontName;
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = 0;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void Loaded() override;
  void CMFontChanged(TMessage& Message) override;
  void AdjustBounds();

 private:
  void DrawLabelText(HDC DC, const std::string& Text, TRect& Rect, UINT Flags);
  int FIndex = -1;
  TvlSkinData* FSD = nullptr;
  std::string FSkinDataName = "stdlabel";
  std::unique_ptr<TFont> FDefaultFont;
  std::unique_ptr<TStringList> FLines;
  TAlignment FAlignment = TAlignment::taLeftJustify;
  TTextLayout FLayout = TTextLayout::tlTop;
  bool FWordWrap = false;
};

// The platform bevel in the skin's light and dark colours ("bevel"), with a centred divider
// mode.
class TvlSkinBevel : public TBevel, public TvlSkinClient {
 public:
  explicit TvlSkinBevel(TComponent* AOwner);
  ~TvlSkinBevel() override;

  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] const std::string& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }
  [[nodiscard]] bool DividerMode() const { return FDividerMode; }
  void SetDividerMode(bool Value);
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TColor LightColor = clBtnHighlight;
  TColor DarkColor = clBtnShadow;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;

 private:
  TvlSkinData* FSD = nullptr;
  std::string FSkinDataName = "bevel";
  int FIndex = -1;
  bool FDividerMode = false;
};

// The platform splitter drawn from a skin strip with a centred gripper ("vsplitter", or
// "hsplitter" for a splitter between controls aligned top or bottom).
class TvlSkinSplitter : public TSplitter, public TvlSkinClient {
 public:
  explicit TvlSkinSplitter(TComponent* AOwner);
  ~TvlSkinSplitter() override;

  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] const std::string& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }
  [[nodiscard]] bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  [[nodiscard]] int DefaultSize() const { return FDefaultSize; }
  void SetDefaultSize(int Value) { FDefaultSize = Value; }

  void GetSkinData();
  void ChangeSkinData() override;
  [[nodiscard]] int SkinIndex() const { return FIndex; }

  TPoint LTPt{}, RTPt{}, LBPt{};
  TRect SkinRect{};
  bool StretchEffect = false;
  TRect GripperRect{};
  bool GripperTransparent = false;
  TColor GripperTransparentColor = 0;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;

 private:
  [[nodiscard]] bool AlongTopOrBottom() const { return Align() == TAlign::alTop || Align() == TAlign::alBottom; }
  bool FTransparent = false;
  int FDefaultSize = 10;
  int FIndex = -1;
  TvlSkinData* FSD = nullptr;
  std::string FSkinDataName = "vsplitter";
  TBitmap* FSkinPicture = nullptr;
};
