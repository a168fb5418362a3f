#pragma once
// The control bases of the component framework: TControl (a rectangle on a parent, painted by
// it), TWinControl (a control with a window of its own, the parent of other controls),
// TGraphicControl (windowless, painted on its parent's canvas) and TCustomControl (windowed,
// with a canvas and Paint).
//
// Every message a control gets - from its window procedure or from Perform - runs through
// WindowProc (replaceable; hooks may chain to the previous value), then WndProc, then Dispatch,
// a thin switch from message number to a named virtual handler, and finally DefaultHandler (for
// a windowed control: the window class's default procedure). Descendants override the handler
// and call the base's handler to chain.
//
// Controls are components made with new; a TWinControl being destroyed destroys its child
// controls first, then its window. Everything here runs on the GUI thread.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/controls/Component.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/windowing/Messages.h"
#include "platform/core/Set.h"
#include "platform/windowing/ShiftState.h"
#include "platform/core/Types.h"
#include "platform/windowing/Window.h"

class TWinControl;
class TPopupMenu;
class TBasicAction;
class TBasicActionLink;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

enum class TControlStyleFlag {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
  csParentBackground, csPannable, csPaintCopy
};
using TControlStyle = TSet<TControlStyleFlag>;

enum class TControlStateFlag {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateFlag>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Cursor numbers of the framework; crDefault means "the window class's cursor".
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crHSplit = crSizeWE;
constexpr TCursor crVSplit = crSizeNS;
// The system cursor of a framework cursor number (nullptr for crDefault and crNone).
[[nodiscard]] HCURSOR CursorHandle(TCursor Cursor);

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
// Key is the typed character (a code point); setting it to 0 swallows it.
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
// Asked before a size change; may alter the size or set Resize to false to keep the old one.
using TCanResizeEvent = std::function<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
// Asked each time the size limits are applied; may tighten or loosen them (0 = no limit).
using TConstrainedResizeEvent =
    std::function<void(TObject* Sender, int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight)>;
// A window-procedure hook: sees the message first and calls Next to pass it on (or not).
using TWindowProcHook = std::function<void(TMessage& Message, const TWndMethod& Next)>;

// The shift state of key messages' key data, read from the keyboard state now.
[[nodiscard]] TShiftState KeyboardStateToShiftState();
// The shift state of a mouse message's wParam (MK_* flags) plus Alt from the keyboard state.
[[nodiscard]] TShiftState MouseKeysToShiftState(WPARAM Keys);

// Minimum and maximum size of a control; 0 means "no limit".
class TSizeConstraints : public TPersistent {
 public:
  [[nodiscard]] int MinWidth() const { return min_width_; }
  [[nodiscard]] int MinHeight() const { return min_height_; }
  [[nodiscard]] int MaxWidth() const { return max_width_; }
  [[nodiscard]] int MaxHeight() const { return max_height_; }
  void SetMinWidth(int Value);
  void SetMinHeight(int Value);
  void SetMaxWidth(int Value);
  void SetMaxHeight(int Value);
  // Clamps a proposed size to the limits.
  void Apply(int& Width, int& Height) const;
  void Assign(TPersistent* Source) override;
  TNotifyEvent OnChange;

 private:
  void Changed();
  int min_width_ = 0, min_height_ = 0, max_width_ = 0, max_height_ = 0;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // ---- Parent and geometry (parent client coordinates; screen for a top-level form) ----
  [[nodiscard]] TWinControl* Parent() const { return parent_; }
  // Moves the control into AParent's control list (nullptr takes it out); a windowed control
  // gets or loses its window with the parent's.
  virtual void SetParent(TWinControl* AParent);
  [[nodiscard]] int Left() const { return left_; }
  [[nodiscard]] int Top() const { return top_; }
  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }
  void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
  void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
  void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
  void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
  // The one place bounds change: applies Constraints, moves the window (if any), then realigns
  // the parent and, when the size changed, runs Resize.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  [[nodiscard]] TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  [[nodiscard]] virtual TRect ClientRect() const;
  [[nodiscard]] int ClientWidth() const { return ClientRect().Width(); }
  [[nodiscard]] int ClientHeight() const { return ClientRect().Height(); }
  virtual void SetClientWidth(int Value);
  virtual void SetClientHeight(int Value);
  // The screen position of the client area's top-left corner.
  [[nodiscard]] virtual TPoint ClientOrigin() const;
  [[nodiscard]] TPoint ClientToScreen(TPoint Point) const;
  [[nodiscard]] TPoint ScreenToClient(TPoint Point) const;

  [[nodiscard]] TAlign Align() const { return align_; }
  void SetAlign(TAlign Value);
  [[nodiscard]] TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors Value);
  [[nodiscard]] TSizeConstraints* Constraints() const { return constraints_.get(); }
  [[nodiscard]] bool AutoSize() const { return auto_size_; }
  virtual void SetAutoSize(bool Value);
  void BringToFront();
  void SendToBack();

  [[nodiscard]] TControlStyle ControlStyle() const { return control_style_; }
  void SetControlStyle(TControlStyle Value) { control_style_ = Value; }
  [[nodiscard]] TControlState ControlState() const { return control_state_; }
  void SetControlState(TControlState Value) { control_state_ = Value; }

  [[nodiscard]] bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  [[nodiscard]] bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool Value);

  // Caption and Text are one string (a windowed control keeps its window's text in step).
  [[nodiscard]] const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& Value) { SetText(Value); }
  [[nodiscard]] const std::string& Text() const { return text_; }
  void SetText(const std::string& Value);

  [[nodiscard]] TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  [[nodiscard]] bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool Value);
  [[nodiscard]] TColor Color() const { return color_; }
  void SetColor(TColor Value);
  [[nodiscard]] bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool Value);

  [[nodiscard]] const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  [[nodiscard]] bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool Value);
  [[nodiscard]] bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool Value);
  [[nodiscard]] TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  // The popup menu shown on a context request; cleared when that menu is freed.
  [[nodiscard]] TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* Value);
  [[nodiscard]] TBiDiMode BiDiMode() const { return bidi_mode_; }
  // Setting the mode directly stops following the parent (ParentBiDiMode becomes false).
  void SetBiDiMode(TBiDiMode Value);
  // While true, BiDiMode is the parent's: taken when the control gets a parent and whenever
  // the parent's mode changes.
  [[nodiscard]] bool ParentBiDiMode() const { return parent_bidi_mode_; }
  void SetParentBiDiMode(bool Value);
  [[nodiscard]] bool UseRightToLeftAlignment() const { return bidi_mode_ == TBiDiMode::bdRightToLeft; }
  [[nodiscard]] bool UseRightToLeftReading() const { return bidi_mode_ != TBiDiMode::bdLeftToRight; }
  // DrawText flags adjusted for right-to-left: left and right alignment swapped, RTL reading added.
  [[nodiscard]] UINT DrawTextBiDiModeFlags(UINT Flags) const;
  // The action this control follows; cleared when the action is freed.
  [[nodiscard]] TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* Value);
  // Called with CheckDefaults false after every change of a property of the linked action, and
  // once when the action is linked (CheckDefaults set while loading: then only properties still
  // at their defaults are taken). The base takes Caption, Enabled, Hint and Visible;
  // descendants override it to follow more (Checked, ImageIndex, ...).
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);

  // ---- Messages ----
  // Runs a message through the control's chain at once and returns its result.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  // The first stop of every message; defaults to WndProc. A replacement keeps the previous
  // value and calls it to chain.
  TWndMethod WindowProc;
  // Adds a hook in front of WindowProc (the latest hook runs first). Hooks may be removed in
  // any order without breaking the chain. Returns the hook's id.
  int AddWindowProcHook(TWindowProcHook Hook);
  void RemoveWindowProcHook(int Id);
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // ---- Painting ----
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // ---- Events ----
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TContextPopupEvent OnContextPopup;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  TConstrainedResizeEvent OnConstrainedResize;

  // The programmatic form of a click: the control's own OnClick when assigned, otherwise the
  // linked action executes with this control as its ActionComponent.
  virtual void Click();

 protected:
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  // The size AutoSize asks for; false keeps the current size.
  virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
  // Whether the size may change to NewWidth x NewHeight (which it may alter); the base asks
  // OnCanResize.
  virtual bool CanResize(int& NewWidth, int& NewHeight);
  // The size limits about to be applied, Constraints' values first; the base asks
  // OnConstrainedResize.
  virtual void ConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight);
  virtual void AdjustSize();
  // Asks the parent to lay its children out again because this one changed.
  virtual void RequestAlign();
  // The link to the action (nullptr while no action is linked). Executing it runs the action
  // with this control as its ActionComponent.
  [[nodiscard]] TBasicActionLink* ActionLink() const;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  // A windowed control moves its window here; the base only repaints the parent.
  virtual void BoundsChanged(const TRect& OldBounds);
  virtual void VisibleChanged();
  // The effective ShowHint (through ParentShowHint).
  [[nodiscard]] bool EffectiveShowHint() const;
  [[nodiscard]] bool Loading() const { return ComponentState().Contains(TComponentStateFlag::csLoading); }
  [[nodiscard]] bool IsDestroying() const { return ComponentState().Contains(TComponentStateFlag::csDestroying); }

  // ---- Message handlers (Dispatch calls them; call the base to chain) ----
  virtual void WMLButtonDown(TMessage& Message);
  virtual void WMLButtonUp(TMessage& Message);
  virtual void WMLButtonDblClk(TMessage& Message);
  virtual void WMRButtonDown(TMessage& Message);
  virtual void WMRButtonUp(TMessage& Message);
  virtual void WMMButtonDown(TMessage& Message);
  virtual void WMMButtonUp(TMessage& Message);
  virtual void WMMouseMove(TMessage& Message);
  virtual void WMContextMenu(TMessage& Message);
  virtual void WMCancelMode(TMessage& Message);
  virtual void CMMouseEnter(TMessage& Message);
  virtual void CMMouseLeave(TMessage& Message);
  virtual void CMEnabledChanged(TMessage& Message);
  virtual void CMVisibleChanged(TMessage& Message);
  virtual void CMTextChanged(TMessage& Message);
  virtual void CMFontChanged(TMessage& Message);
  virtual void CMColorChanged(TMessage& Message);
  virtual void CMParentFontChanged(TMessage& Message);
  virtual void CMParentColorChanged(TMessage& Message);
  virtual void CMParentShowHintChanged(TMessage& Message);
  virtual void CMCancelMode(TMessage& Message);
  virtual void CMHintShow(TMessage& Message);
  virtual void CMHitTest(TMessage& Message);
  virtual void CMDialogChar(TMessage& Message);
  virtual void CMBiDiModeChanged(TMessage& Message);
  virtual void CMParentBiDiModeChanged(TMessage& Message);

  // Caption with "&" marks: true when Key is the marked character of Text (case-insensitive).
  [[nodiscard]] static bool IsAccel(char32_t Key, const std::string& Text);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::string text_;
  std::unique_ptr<TFont> font_;
  TColor color_ = clWindow;

 private:
  friend class TWinControl;
  friend LRESULT ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Extra);
  void DoMouseUp(TMessage& Message, TMouseButton Button);
  void FontChanged(TObject* Sender);
  LRESULT RunChain(TMessage& Message);

  TAlign align_ = TAlign::alNone;
  TAnchors anchors_{TAnchorKind::akLeft, TAnchorKind::akTop};
  std::unique_ptr<TSizeConstraints> constraints_;
  bool auto_size_ = false;
  TControlStyle control_style_{TControlStyleFlag::csCaptureMouse, TControlStyleFlag::csClickEvents,
                               TControlStyleFlag::csSetCaption, TControlStyleFlag::csDoubleClicks};
  TControlState control_state_;
  bool visible_ = true;
  bool enabled_ = true;
  bool parent_font_ = true;
  bool parent_color_ = true;
  std::string hint_;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  TCursor cursor_ = crDefault;
  TPopupMenu* popup_menu_ = nullptr;
  TBasicAction* action_ = nullptr;
  std::unique_ptr<TBasicActionLink> action_link_;
  TBiDiMode bidi_mode_ = TBiDiMode::bdLeftToRight;
  bool parent_bidi_mode_ = true;
  struct HookEntry {
    int id;
    std::shared_ptr<TWindowProcHook> hook;
  };
  std::vector<HookEntry> hooks_;
  int next_hook_id_ = 1;
};

// Parameters a windowed control's window is made with.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASS WindowClass;      // style, cursor, background of the class to register
  std::string WinClassName;  // the class name; registered on first use
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window, made now when it does not exist yet (for a child: the parent's first). Raises
  // EInvalidOperation for a child control whose top-level parent is missing.
  [[nodiscard]] HWND Handle();
  [[nodiscard]] bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { (void)Handle(); }
  // Destroys the window and makes a new one with the current parameters.
  void RecreateWnd();
  // The parent window given explicitly to a control without a parent control.
  [[nodiscard]] HWND ParentWindow() const { return parent_window_; }
  void SetParentWindow(HWND Value) { parent_window_ = Value; }

  [[nodiscard]] int ControlCount() const { return static_cast<int>(controls_.size()); }
  [[nodiscard]] TControl* Controls(int Index) const { return controls_.at(static_cast<std::size_t>(Index)); }
  [[nodiscard]] bool ContainsControl(const TControl* Control) const;
  // The child control at a client point (windowless ones only unless AllowWinControls), topmost first.
  [[nodiscard]] TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  // Sends a message to every child control.
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);

  // ---- Alignment ----
  void DisableAlign();
  void EnableAlign();
  void Realign();
  [[nodiscard]] bool AlignDisabled() const { return align_level_ > 0; }

  // ---- Focus and tab order ----
  [[nodiscard]] int TabOrder() const;
  void SetTabOrder(int Value);
  [[nodiscard]] bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool Value) { tab_stop_ = Value; }
  [[nodiscard]] virtual bool CanFocus() const;
  [[nodiscard]] bool Focused() const;
  virtual void SetFocus();
  // The windowed descendants in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& List) const;
  // The next (or previous) focusable control after CurControl among the descendants.
  [[nodiscard]] TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                             bool CheckParent) const;
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  // True when the control and all its parents are visible and the top one has a window shown.
  [[nodiscard]] bool Showing() const;

  // The brush the background is filled with; its colour follows Color.
  [[nodiscard]] TBrush* Brush() const;
  // The control at the top of this one's parent chain (itself when it has no parent).
  [[nodiscard]] TWinControl* Root();

  void ScrollBy(int DeltaX, int DeltaY);
  void PaintTo(HDC DC, int X, int Y);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  void SetEnabled(bool Value) override;
  void DefaultHandler(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void WndProc(TMessage& Message) override;

 protected:
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  void DestroyHandle();
  virtual void CreateHandle();
  // Lays out the children: Align first (top, bottom, left, right, client), then anchors.
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  virtual void AdjustClientRect(TRect& Rect);
  void AlignControl(TControl* AControl);
  // Paints the window: background erase is WM_ERASEBKGND's; this calls PaintWindow, then the
  // windowless children.
  virtual void PaintHandler(TMessage& Message);
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC, TControl* First);
  // For a window that paints itself in DefaultHandler: runs Paint on the context a WM_PAINT
  // carries in WParam, else on the one BeginPaint gives (then EndPaint).
  void PaintNative(const TMessage& Message, const std::function<void(HDC)>& Paint);
  // For a control whose window behaviour sits in DefaultHandler but must take a message before
  // the framework's handler: DefaultHandler first, then Framework unless that freed the control.
  void NativeFirst(TMessage& Message, const std::function<void()>& Framework);
  void BoundsChanged(const TRect& OldBounds) override;
  void VisibleChanged() override;

  virtual bool DoKeyDown(WORD& Key, TShiftState Shift);
  virtual bool DoKeyPress(char32_t& Key);
  virtual bool DoKeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char32_t& Key);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void DoEnter();
  virtual void DoExit();
  // Whether the control takes this navigation key itself (Tab, arrows, Return, Escape).
  virtual bool WantsKey(WORD Key);
  // Whether typed characters are this control's own (an edit's); when not, they may be
  // accelerators of other controls.
  virtual bool WantsChars() { return false; }
  // A top control that sees its controls' keys before they do (a form with KeyPreview).
  [[nodiscard]] virtual bool KeyPreviewEnabled() const { return false; }
  // Told, on the top control of a tree (a form), that Control got the focus: sends CM_EXIT to
  // the previous one and CM_ENTER to the new one.
  virtual void SetFocusedControl(TWinControl* Control);
  // The control of this tree that has or last had the focus (kept by the top control).
  [[nodiscard]] TWinControl* FocusedControl() const { return focused_control_.Get(); }
  void SetFocusedControlQuiet(TWinControl* Control) { focused_control_ = Control; }

  virtual void WMPaint(TMessage& Message);
  virtual void WMEraseBkgnd(TMessage& Message);
  virtual void WMSize(TMessage& Message);
  virtual void WMWindowPosChanged(TMessage& Message);
  virtual void WMSetFocus(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  virtual void WMKeyDown(TMessage& Message);
  virtual void WMKeyUp(TMessage& Message);
  virtual void WMChar(TMessage& Message);
  virtual void WMSetCursor(TMessage& Message);
  virtual void WMMouseLeave(TMessage& Message);
  virtual void WMCommand(TMessage& Message);
  virtual void WMDrawItem(TMessage& Message);
  virtual void WMCtlColor(TMessage& Message);
  virtual void WMNCDestroy(TMessage& Message);
  virtual void CNCtlColor(TMessage& Message);
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void CMBiDiModeChanged(TMessage& Message) override;
  virtual void CMEnter(TMessage& Message);
  virtual void CMExit(TMessage& Message);
  virtual void CMDialogKey(TMessage& Message);
  virtual void CMFocusChanged(TMessage& Message);
  virtual void CMWantSpecialKey(TMessage& Message);

  HWND handle_ = nullptr;
  // The procedure calls go to when this control does not handle a message.
  WNDPROC default_wnd_proc_ = nullptr;

 private:
  // Offers a key to the root form first when it previews keys, then to this control (Handle
  // runs the step on the control given); true once a step ate it (Key zeroed).
  template <class K>
  bool WithKeyPreview(K& Key, const std::function<void(TWinControl*)>& Handle);

  friend class TControl;
  friend LRESULT ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  bool IsControlMouseMsg(TMessage& Message);
  // The control under a client point of this window's mouse message: a windowless child, this
  // control, or (outside the client area, under a capture) the control of the window there.
  TControl* ControlUnderPointer(TPoint Point);
  void UpdateBoundsFromWindow();
  void CreateChildHandles();
  void AnchorChildren(int OldClientWidth, int OldClientHeight);

  std::vector<TControl*> controls_;      // z-order: first is the bottom
  std::vector<TWinControl*> tab_list_;   // windowed children in tab order
  int align_level_ = 0;
  bool tab_stop_ = false;
  HWND parent_window_ = nullptr;
  TSize last_client_{0, 0};
  TWeak<TWinControl> focused_control_;
  mutable std::unique_ptr<TBrush> brush_;
};

// A control without a window, painted by its parent through its canvas.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  [[nodiscard]] TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  virtual void WMPaint(TMessage& Message);
  void Dispatch(TMessage& Message) override;

 private:
  std::unique_ptr<TCanvas> canvas_;
};

// A windowed control that paints itself with Paint on its canvas.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  [[nodiscard]] TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

 private:
  std::unique_ptr<TCanvas> canvas_;
};

// The form (or the top windowed parent) a control sits on; nullptr when it has none.
[[nodiscard]] class TCustomForm* GetParentForm(const TControl* Control);
// The control a window belongs to, nullptr for other windows.
[[nodiscard]] TWinControl* FindControl(HWND Handle);
