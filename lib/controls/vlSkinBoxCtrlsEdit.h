#pragma once
// Skinned edits: the edit window inside every skinned edit and combo box (TvlCustomEdit), the
// numeric edit a combo box can use in its place (TvlSkinNumEdit), and the single-line skinned
// edit with its own frame, edit button and image buttons (TvlSkinCustomEdit, TvlSkinEdit).
//
// TvlCustomEdit is the platform's masked edit without a border of its own, made as a multi-line
// edit window so that the control around it may set its text rectangle. It can paint its text
// transparently over a background the control below paints, keeps a read-only flag of its own
// (the window never gets the platform's read-only look), hands Enter and Escape to its form as
// dialog keys and shows a skinned context menu whose captions come from the skin's interface
// text table.
//
// TvlSkinCustomEdit shrinks the edit window by a non-client frame it paints itself, from the skin
// element named by SkinDataName ("edit", or "buttonedit" with a button) or in a built-in look,
// and paints the text area's background under the transparent text.
//
// GUI thread only.

#include <functional>
#include <memory>
#include <string>

#include "lib/controls/vlSkinCtrls.h"
#include "platform/controls/Edit.h"

class TBitmap;
class TCanvas;
class TCustomImageList;
class TvlSkinData;
class TvlSkinPopupMenu;

// Called with the control named in a cancel-mode message.
using TvlOnEditCancelMode = std::function<void(TControl* Sender)>;

// ---- The inner edit -----------------------------------------------------------------------------

class TvlCustomEdit : public TCustomMaskEdit {
 public:
  explicit TvlCustomEdit(TComponent* AOwner);
  ~TvlCustomEdit() override;

  // The edit's own read-only flag (in place of the platform's): typing, Delete, the editing
  // shortcuts and the cut, paste, clear and undo messages are refused; selection and copying
  // through the context menu still work.
  [[nodiscard]] bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  // Paint only the text; the control below paints the background. Recreates the window.
  [[nodiscard]] bool EditTransparent() const { return FEditTransparent; }
  void SetEditTransparent(bool Value);

  TvlOnEditCancelMode OnEditCancelMode;

  // Opaque: the platform's invalidation. Transparent: the part of the parent under the edit is
  // invalidated (erased), then the edit itself.
  void Invalidate() override;
  // Builds a fresh context menu in SysPopupMenu (the previous one is freed first).
  void CreateSysPopupMenu();
  // The context menu while it exists (built on a context-menu request, freed after its command
  // has run, on the next request or with the edit).
  [[nodiscard]] TvlSkinPopupMenu* SysPopupMenu() const { return FSysPopupMenu; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // Return and Escape are the edit's keys (a multi-line edit window wants them); they reach the
  // form as dialog keys when they are typed (WM_CHAR).
  bool WantsKey(WORD Key) override;
  void Change() override;
  void WMContextMenu(TMessage& Message) override;
  void WMChar(TMessage& Message) override;
  void WMKeyDown(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMLButtonDown(TMessage& Message) override;
  void WMLButtonUp(TMessage& Message) override;
  void WMMouseMove(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void CMCancelMode(TMessage& Message) override;
  // Invalidate when EditTransparent is on.
  void TransparentRepaint();

  bool FDown = false;  // the left button went down in the edit and is still held

 private:
  void SetEditMargins();
  void ReleaseMenuLater();

  bool FReadOnly = false;
  bool FEditTransparent = false;
  TvlSkinPopupMenu* FSysPopupMenu = nullptr;  // owned (a component of the edit)
  TvlSkinPopupMenu* FUsedPopupMenu = nullptr;  // owned; its command has run, freed on the next turn
};

// ---- The numeric edit ---------------------------------------------------------------------------

// An inner edit that accepts only the characters of a signed number ("-" once, anywhere;
// digits; with Float the decimal separator once), beeping at any other, and turns Up, Down and
// the wheel into up and down events.
class TvlSkinNumEdit : public TvlCustomEdit {
 public:
  explicit TvlSkinNumEdit(TComponent* AOwner);

  // Up key; a backward wheel turn.
  TNotifyEvent OnUpClick;
  // Down key; a forward wheel turn.
  TNotifyEvent OnDownClick;
  // Typing allowed; when off only control characters other than Backspace pass.
  [[nodiscard]] bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
  // The decimal separator is accepted (once).
  bool Float = false;

  [[nodiscard]] virtual bool IsValidChar(char32_t Key);

 protected:
  void KeyPress(char32_t& Key) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void WndProc(TMessage& Message) override;

 private:
  bool FEditorEnabled = true;
};

// ---- The skinned edit ---------------------------------------------------------------------------

// The single-line skinned edit: a frame (from the element or built in), an optional edit button
// at the right end and optional image buttons at both ends of the text area, drawn by the
// control; the edit window paints its text transparently over the background the control paints.
class TvlSkinCustomEdit : public TvlCustomEdit, public TvlSkinClient {
 public:
  explicit TvlSkinCustomEdit(TComponent* AOwner);
  ~TvlSkinCustomEdit() override;

  // ---- The skin ----
  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  // Stores the container; a non-empty skin applies at once.
  virtual void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] const std::string& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }
  // Looks the element up again and applies font, size and colours (the form skinner calls it).
  void ChangeSkinData() override;
  [[nodiscard]] int SkinIndex() const { return FIndex; }

  // ---- Look and size ----
  [[nodiscard]] TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor Value);
  // Font of the built-in look (and of a skinned edit without the skin font). Copied; changes of
  // the font object reach Font while the edit is unskinned.
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  [[nodiscard]] bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  [[nodiscard]] int DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(int Value);
  [[nodiscard]] int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  [[nodiscard]] bool ButtonMode() const { return FButtonMode; }
  void SetButtonMode(bool Value);

  // ---- Image buttons ----
  [[nodiscard]] TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  [[nodiscard]] int LeftImageIndex() const { return FLeftImageIndex; }
  void SetLeftImageIndex(int Value);
  [[nodiscard]] int RightImageIndex() const { return FRightImageIndex; }
  void SetRightImageIndex(int Value);
  int LeftImageHotIndex = -1;
  int LeftImageDownIndex = -1;
  int RightImageHotIndex = -1;
  int RightImageDownIndex = -1;

  TNotifyEvent OnButtonClick;
  TNotifyEvent OnLeftButtonClick;
  TNotifyEvent OnRightButtonClick;

  // The edit's look with the text AText (normal state) drawn on Canvas at (X, Y).
  void PaintSkinTo(TCanvas* Canvas, int X, int Y, const std::string& AText);
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  // Starts every repaint with an erase of the text area.
  void Invalidate() override;

  // ---- State (read by tests and painting) ----
  [[nodiscard]] const TRect& EditRect() const { return FEditRect; }
  [[nodiscard]] const TRect& ButtonRect() const { return FButtonRect; }
  [[nodiscard]] bool ButtonDown() const { return FButtonDown; }
  [[nodiscard]] bool ButtonActive() const { return FButtonActive; }
  [[nodiscard]] bool MouseIn() const { return FMouseIn; }
  // Text-metric height of Font plus the frame: 4 unskinned, the skin's vertical frame skinned.
  [[nodiscard]] int CalcEditHeight();
  void AdjustHeight();
  // The button and text rectangles (window coordinates) for the present size.
  void CalcEditRects();

  TvlCBButtonX LeftButton;
  TvlCBButtonX RightButton;

  // ---- Copies of the element ----
  TBitmap* Picture = nullptr;  // the container's; never owned
  int LOffset = 0, ROffset = 0;
  TRect ClRect{};
  TRect SkinRect{};
  TRect ActiveSkinRect{};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = clBlack;
  TColor DisabledFontColor = clGrayText;
  TColor ActiveFontColor = clBlack;
  TRect SkinButtonRect{};  // the element's ButtonRect, relative to its top-left corner
  TRect ActiveButtonRect{};
  TRect DownButtonRect{};
  TRect UnEnabledButtonRect{};
  bool StretchEffect = false;

 protected:
  void GetSkinData();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMMouseMove(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMPaint(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;

 private:
  [[nodiscard]] bool Skinned() const { return FIndex != -1; }
  [[nodiscard]] bool ActiveLook() { return FMouseIn || Focused(); }
  void UpdateImageButtons(bool SetTextRect);
  void DrawImageButtons(TCanvas* Canvas);
  void PaintEditBackground(TCanvas* Canvas);
  // Background, image buttons and text of the text area into DC (client coordinates).
  void PaintClient(HDC DC);
  void PaintDisabledText(HDC DC);
  void RepaintFrame();
  // Looks the element up, lays the rectangles out and sizes B to the control; false for an
  // empty control.
  bool StartFrameBitmap(TBitmap& B);
  // The frame bitmap of the control's size for the present state.
  void DrawFrame(TCanvas* Canvas);
  void DrawStretchedFrame(TCanvas* Canvas);
  void DrawSkinButton(TCanvas* Canvas, const TRect& R);
  void PaintFrame(HDC DC, bool ClipTextArea);
  void ApplyStateFontColor();
  void ApplyCharset();
  void WMNCCalcSize(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  void WMNCMouseMove(TMessage& Message);
  void WMNCLButtonDown(TMessage& Message, bool Double);
  void WMNCLButtonUp(TMessage& Message);
  void SetImageMouseIn(TvlCBButtonX& Button, bool Value);
  // The focus came or went: frame, background and (away from the pointer) the text colour.
  void FocusChanged(TColor TextColour);
  void DefaultFontChanged();

  TvlSkinData* FSD = nullptr;
  std::string FSkinDataName = "edit";
  int FIndex = -1;
  bool FStopDraw = false;
  bool FErasedInPaint = false;
  TColor FDefaultColor = clWindow;
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont = true;
  int FDefaultWidth = 0;
  int FDefaultHeight = 0;
  bool FButtonMode = false;
  bool FButtonDown = false;
  bool FButtonActive = false;
  TRect FButtonRect{};
  TRect FEditRect{};
  bool FMouseIn = false;
  TCustomImageList* FImages = nullptr;
  int FLeftImageIndex = -1;
  int FRightImageIndex = -1;
};

// The skinned edit as forms place it.
class TvlSkinEdit : public TvlSkinCustomEdit {
 public:
  explicit TvlSkinEdit(TComponent* AOwner) : TvlSkinCustomEdit(AOwner) {}
};
