#pragma once
// TvlSkinMenuSpeedButton: a tool button that opens a skinned popup menu or an images menu (both,
// the popup menu first, when it has both) below itself. Either the whole button opens the menu,
// or (TrackButtonMode) only a 15-pixel track part at its right or bottom edge, marked with a
// drop-down arrow, while the rest clicks as an ordinary tool button. From the press that opens
// the menu until the menu reports that it closed (WM_vlSkinMenuClosed, or the images menu's
// close handler) the button stays down and ignores the release. The images menu's choice
// reaches its own events (the entry's OnClick, OnItemClick, OnChange), never the button's click.
//
// GUI thread only.

#include "lib/controls/vlSkinCtrlsButtons.h"

class TvlSkinPopupMenu;
class TvlDataSkinButtonControl;

enum class TvlTrackPosition { vltpRight, vltpBottom };

class TvlSkinMenuSpeedButton : public TvlSkinSpeedButton {
 public:
  // Element "toolmenubutton"; no menu, the whole button opens it, track part at the right.
  explicit TvlSkinMenuSpeedButton(TComponent* AOwner);

  [[nodiscard]] TvlSkinPopupMenu* SkinPopupMenu() const { return FSkinPopupMenu; }
  void SetSkinPopupMenu(TvlSkinPopupMenu* Value);  // cleared when the menu is freed
  [[nodiscard]] bool TrackButtonMode() const { return FTrackButtonMode; }
  // Repaints only while no element is found.
  void SetTrackButtonMode(bool Value);
  [[nodiscard]] bool NewStyle() const { return FNewStyle; }
  // True also switches the element to "resizetoolbutton" (false keeps it); no repaint.
  void SetNewStyle(bool Value);
  [[nodiscard]] TvlTrackPosition TrackPosition() const { return FTrackPosition; }
  // The bottom position serves the new style only.
  void SetTrackPosition(TvlTrackPosition Value);
  // A menu opened by this button is showing.
  [[nodiscard]] bool MenuTracked() const { return FMenuTracked; }

  // Draw the arrow with DrawArrowGlyph in direction FArrowType (1 left, 2 right, 3 up, 4 down)
  // instead of the skin's marker; set by code that builds the button.
  bool FDrawStandardArrow = false;
  int FArrowType = 4;
  // The element's track part (from a menu-button element).
  TRect TrackButtonRect{};

  TNotifyEvent OnShowTrackMenu;  // before the menu shows
  TNotifyEvent OnHideTrackMenu;  // after it closed

  // Whether a press at (X, Y) opens the menu: anywhere without TrackButtonMode, else in the
  // track part (the element's track rectangle, or the 15-pixel strip for the named elements and
  // the built-in look). Never without a popup or images menu.
  [[nodiscard]] bool InTrackPart(int X, int Y) const;
  // Opens the menu below the button, the button as its opener.
  void ShowTrackMenu();

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void DrawButtonContent(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  // One of "resizebutton", "resizetoolbutton", "toolbutton", "bigtoolbutton": the track part is
  // the fixed 15-pixel strip, else the element's TrackButtonRect.
  [[nodiscard]] bool NamedElement() const;
  [[nodiscard]] TRect MappedTrackRect() const;
  // The 15-pixel strip at the right (or, new style with vltpBottom, the bottom) of R.
  [[nodiscard]] TRect TrackStrip(const TRect& R) const;
  [[nodiscard]] bool BottomTrack() const { return FNewStyle && FTrackPosition == TvlTrackPosition::vltpBottom; }
  // The popup menu reported its end (the pointer is taken as gone before OnHideTrackMenu), or
  // the images menu closed (MouseLeftLast: the pointer is taken as gone after it).
  void MenuClosed(bool MouseLeftLast = false);
  [[nodiscard]] bool MenuShowing() const;
  // The caption and image (as the tool button draws them) in the font of a state, and answers
  // the font colour.
  TColor DrawStateContent(TCanvas* C, const TRect& R, bool Pressed, bool Hover);
  void DrawArrow(TCanvas* C, const TRect& R, TColor Colour, bool Hover, bool Down);
  void DrawToolOrResizeStyle(TBitmap* B, bool ADown, bool AMouseIn, bool Resize);
  void DrawNewStyle(TBitmap* B, bool ADown, bool AMouseIn);
  // The element's image of a state composed to R's size and drawn at R on C; nothing when the
  // element names no picture.
  void DrawElement(const TvlDataSkinButtonControl& E, TCanvas* C, const TRect& R, bool AActive, bool ADown);
  void PaintTransparentAtRest();

  TvlSkinPopupMenu* FSkinPopupMenu = nullptr;
  bool FTrackButtonMode = false;
  bool FMenuTracked = false;
  bool FReleaseOfEmptyMenu = false;  // the next left release ends a press whose menu showed nothing
  bool FNewStyle = false;
  TvlTrackPosition FTrackPosition = TvlTrackPosition::vltpRight;
};
