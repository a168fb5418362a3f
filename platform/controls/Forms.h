#pragma once
// Forms and the screen. A form is a top-level windowed control built in code: its constructor
// runs in the loading state (property writes fire no events), and CreateForm finishes it with
// Loaded and OnCreate once the most derived constructor has run. TScreen keeps the list of
// forms, the active form and control, and the screen's geometry.
//
// Closing: Close asks CloseQuery, then OnClose decides (hide, free, minimize or nothing);
// Release frees the form from the message loop, after the handler that asked has returned.
// ShowModal runs a nested loop with the other forms disabled until ModalResult is set.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"

class TMainMenu;
class TMenuItem;
class TIcon;
class TStrings;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                       poMainFormCenter, poOwnerFormCenter };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TTileMode { tbHorizontal, tbVertical };
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;
constexpr TModalResult mrClose = 11;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = std::function<void(TMessage& Msg, bool& Handled)>;

// A windowed control whose children may lie outside its client area; with AutoScroll the
// client area scrolls over them and the window shows a scroll bar for each direction whose
// children's extent is larger than the client area. Aligned children do not count toward the
// extent; they are laid out across the scrolled area and scroll with the rest.
class TScrollingWinControl : public TWinControl {
 public:
  explicit TScrollingWinControl(TComponent* AOwner);
  [[nodiscard]] bool AutoScroll() const { return auto_scroll_; }
  void SetAutoScroll(bool Value);
  // Scrolls the contents so that (X, Y) of the scrolled area is at the top-left corner.
  void ScrollTo(int X, int Y);
  [[nodiscard]] TPoint ScrollPos() const { return scroll_pos_; }
  // The extent of the children (scrolled area), in unscrolled client coordinates.
  [[nodiscard]] TSize ScrollRange() const;
  void ScrollInView(TControl* AControl);

 protected:
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;
  void UpdateScrollBars();

 private:
  bool auto_scroll_ = false;
  bool updating_bars_ = false;  // the bars' own resizing of the client area re-enters
  TPoint scroll_pos_{0, 0};
};

class TScrollBox : public TScrollingWinControl {
 public:
  explicit TScrollBox(TComponent* AOwner);
};

class TCustomForm : public TScrollingWinControl {
 public:
  // The form starts in the loading state; CreateForm (or Loaded) ends it.
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  // Finishes construction: Loaded, then OnCreate. CreateForm calls it.
  virtual void AfterConstruction();
  // A form with a parent control is a child window in the parent's client area (never placed
  // on the screen by Position); without one it is a top-level window. A window made before the
  // change is made anew.
  void SetParent(TWinControl* AParent) override;

  [[nodiscard]] TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle Value);
  [[nodiscard]] TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons Value);
  [[nodiscard]] TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle Value);
  [[nodiscard]] TPosition Position() const { return position_; }
  void SetPosition(TPosition Value) { position_ = Value; }
  [[nodiscard]] TWindowState WindowState() const;
  void SetWindowState(TWindowState Value);
  [[nodiscard]] TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* Value);
  [[nodiscard]] TMenuItem* WindowMenu() const { return window_menu_; }
  void SetWindowMenu(TMenuItem* Value);
  [[nodiscard]] TIcon* Icon();
  // Drawing on the form's client area inside OnPaint.
  [[nodiscard]] TCanvas* Canvas() const { return canvas_.get(); }
  [[nodiscard]] bool KeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool Value) { key_preview_ = Value; }
  [[nodiscard]] int HelpContext() const { return help_context_; }
  void SetHelpContext(int Value) { help_context_ = Value; }

  // The control with the focus on this form (or that gets it when the form is activated).
  [[nodiscard]] TWinControl* ActiveControl() const { return FocusedControl(); }
  void SetActiveControl(TWinControl* Control);
  [[nodiscard]] bool Active() const { return active_; }
  [[nodiscard]] TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult Value) { modal_result_ = Value; }

  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form and runs the message loop until ModalResult is set or the form closes;
  // every other form is disabled meanwhile. Returns the modal result.
  virtual TModalResult ShowModal();
  void Close();
  // Frees the form from the message loop, after the current handler has returned.
  void Release();
  [[nodiscard]] virtual bool CloseQuery();
  [[nodiscard]] bool Modal() const { return modal_; }

  // ---- MDI ----
  [[nodiscard]] HWND ClientHandle() const { return client_handle_; }
  [[nodiscard]] int MDIChildCount() const;
  [[nodiscard]] TCustomForm* MDIChildren(int I) const;
  [[nodiscard]] TCustomForm* ActiveMDIChild() const;
  void Tile();
  void Cascade();
  void ArrangeIcons();
  void Next();
  void Previous();
  TTileMode TileMode = TTileMode::tbHorizontal;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TNotifyEvent OnDestroy;
  TShortCutEvent OnShortCut;

  void SetClientWidth(int Value) override;
  void SetClientHeight(int Value) override;
  void SetFocus() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  void VisibleChanged() override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void SetFocusedControl(TWinControl* Control) override;
  [[nodiscard]] bool KeyPreviewEnabled() const override { return key_preview_; }
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  // Form-wide keys: Tab and arrows move the focus; other dialog keys go to the controls.
  void CMDialogKey(TMessage& Message) override;
  void WMKeyDown(TMessage& Message) override;
  virtual void WMActivate(TMessage& Message);
  virtual void WMClose(TMessage& Message);
  virtual void CMRelease(TMessage& Message);
  // A main-menu shortcut or OnShortCut; true when the key was used.
  virtual bool IsShortCut(TMessage& Message);

 private:
  void PlaceOnScreen();
  void CloseModal();
  [[nodiscard]] TCustomForm* MDIParent() const;

  TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
  TBorderIcons border_icons_{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize};
  TFormStyle form_style_ = TFormStyle::fsNormal;
  TPosition position_ = TPosition::poDesigned;
  TWindowState window_state_ = TWindowState::wsNormal;
  TMainMenu* menu_ = nullptr;
  TMenuItem* window_menu_ = nullptr;
  std::unique_ptr<TIcon> icon_;
  std::unique_ptr<TCanvas> canvas_;
  bool key_preview_ = false;
  int help_context_ = 0;
  bool active_ = false;
  // The top-level that owns this form while it is modal: the active window, else the main
  // form; nullptr for a form inside another control or when none is shown.
  [[nodiscard]] HWND ModalOwner() const;
  bool modal_ = false;
  bool placed_ = false;
  TModalResult modal_result_ = mrNone;
  HWND client_handle_ = nullptr;
  std::vector<TWeak<TCustomForm>> mdi_children_;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
  // An empty form, finished (Loaded, OnCreate): the way to build a form wholly in code.
  static TForm* CreateNew(TComponent* AOwner);
};

// Makes a form of class T (constructor arguments Args) and finishes it (Loaded, OnCreate).
// The first form made with the application as owner becomes the main form.
template <class T, class... Args>
T* CreateForm(Args&&... args) {
  T* form = new T(std::forward<Args>(args)...);
  form->AfterConstruction();
  return form;
}

// One monitor of the screen.
class TMonitor : public TObject {
 public:
  TMonitor(void* AHandle, int ANum) : handle_(AHandle), num_(ANum) {}
  [[nodiscard]] void* Handle() const { return handle_; }
  [[nodiscard]] int MonitorNum() const { return num_; }
  [[nodiscard]] TRect BoundsRect() const;
  [[nodiscard]] TRect WorkareaRect() const;
  [[nodiscard]] bool Primary() const;
  [[nodiscard]] int Left() const { return BoundsRect().Left; }
  [[nodiscard]] int Top() const { return BoundsRect().Top; }
  [[nodiscard]] int Width() const { return BoundsRect().Width(); }
  [[nodiscard]] int Height() const { return BoundsRect().Height(); }

 private:
  void* handle_;
  int num_;
};

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  [[nodiscard]] int FormCount() const { return static_cast<int>(forms_.size()); }
  [[nodiscard]] TCustomForm* Forms(int Index) const { return forms_.at(static_cast<std::size_t>(Index)); }
  [[nodiscard]] int CustomFormCount() const { return FormCount(); }
  [[nodiscard]] TCustomForm* CustomForms(int Index) const { return Forms(Index); }
  [[nodiscard]] TCustomForm* ActiveForm() const { return active_form_.Get(); }
  [[nodiscard]] TCustomForm* ActiveCustomForm() const { return ActiveForm(); }
  [[nodiscard]] TWinControl* ActiveControl() const;
  [[nodiscard]] TCursor Cursor() const;
  void SetCursor(TCursor Value);
  [[nodiscard]] int Width() const;
  [[nodiscard]] int Height() const;
  [[nodiscard]] TRect WorkAreaRect() const;
  [[nodiscard]] int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  [[nodiscard]] int WorkAreaHeight() const { return WorkAreaRect().Height(); }
  [[nodiscard]] int MonitorCount() const;
  [[nodiscard]] TMonitor* Monitors(int Index) const;
  [[nodiscard]] TMonitor* MonitorFromWindow(HWND Handle) const;
  // The installed font family names, sorted.
  [[nodiscard]] TStrings* Fonts() const;
  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveForm(TCustomForm* Form);

  std::vector<TCustomForm*> forms_;  // z-order of creation; not owned
  TWeak<TCustomForm> active_form_;
  mutable std::vector<std::unique_ptr<TMonitor>> monitors_;
  mutable std::unique_ptr<TStrings> fonts_;
};

// The screen object of the program (made on first use).
[[nodiscard]] TScreen* Screen();
