#pragma once
// TApplication: the program's message loop and its hooks. One instance is current at a time
// (see Application()); the form-related parts build on ProcessMessage and Idle.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Component.h"
#include "platform/controls/Dialogs.h"  // the message box flags of MessageBox
#include "platform/core/Exceptions.h"
#include "platform/core/Types.h"
#include "platform/windowing/Window.h"

class TControl;
class TWinControl;
class THintWindow;
class TIcon;
class TCustomForm;


// The parts of a hint "short|long": the short one is shown in the hint window, the long one
// goes to the application's Hint (status lines). Without "|" both are the whole text.
[[nodiscard]] std::string GetShortHint(const std::string& Hint);
[[nodiscard]] std::string GetLongHint(const std::string& Hint);

// What the hint machinery is about to show; OnShowHint and a control's CM_HINTSHOW handler
// (lParam points to it) may change any field.
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint HintPos;            // screen point of the hint window's top-left corner
  int HintMaxWidth = 0;
  std::int32_t HintColor = 0;
  TRect CursorRect;          // the hint stays while the cursor is inside (HintControl's client coordinates)
  TPoint CursorPos;          // HintControl's client coordinates
  int ReshowTimeout = 0;
  int HideTimeout = 0;       // milliseconds; 0 keeps it until the cursor leaves
  std::string HintStr;
  void* HintData = nullptr;
};
using TShowHintEvent = std::function<void(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)>;
// Makes the application's hint window (owner: the application).
using THintWindowClass = std::function<THintWindow*(TComponent* AOwner)>;
// Sees the application window's messages first; true means handled.
using TWindowHook = std::function<bool(TMessage& Message)>;

// Sees every message the loop takes off the queue before it is dispatched; setting Handled
// keeps it from being translated and dispatched.
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
// Called when the queue is empty; Done = true (the default) lets the loop sleep until the next
// message, false calls it again at once.
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;
// A help request: Command (HELP_CONTEXT, ...) with its Data; the answer says whether the topic
// was shown. CallHelp starts true; a handler clears it when it has served the request itself.
using THelpEvent = std::function<bool(WORD Command, std::intptr_t Data, bool& CallHelp)>;
constexpr WORD HELP_CONTEXT = 0x0001;

class TApplication : public TComponent {
 public:
  // The new application becomes the current one (Application()); the previous current one is
  // restored when this one is destroyed. Main thread.
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Prepares the main thread's message queue.
  void Initialize();
  // Shows the main form (when there is one and ShowMainForm is true), then runs the message loop
  // until Terminated. An exception that escapes a message handler goes to HandleException and
  // the loop goes on.
  void Run();
  // Dispatches every waiting message, then returns.
  void ProcessMessages();
  // Dispatches one message, or, when none is waiting, runs the idle handling (which waits for
  // the next message unless OnIdle says otherwise).
  void HandleMessage();
  // Ends Run: posts WM_QUIT, which sets Terminated when the loop takes it.
  void Terminate();
  [[nodiscard]] bool Terminated() const { return terminated_; }
  // Reports the exception being handled (call inside a catch block): OnException when set,
  // otherwise a line on standard error.
  void HandleException(TObject* Sender);

  [[nodiscard]] TComponent* MainForm() const { return main_form_.Get(); }
  void SetMainForm(TComponent* Value) { main_form_ = TWeak<TComponent>(Value); }
  [[nodiscard]] const std::string& Title() const { return title_; }
  // Also the application window's text.
  void SetTitle(const std::string& Value);
  [[nodiscard]] const std::string& HelpFile() const { return help_file_; }
  void SetHelpFile(const std::string& Value) { help_file_ = Value; }
  // The full path of the running program.
  [[nodiscard]] std::string ExeName() const;
  // Asks for the help topic Context (HELP_CONTEXT): OnHelp's answer; false without a handler,
  // as the program has no help viewer of its own.
  bool HelpContext(int Context);
  THelpEvent OnHelp;

  // The last handler of the message chain: it sees what no keyed hook handled.
  TMessageEvent OnMessage;
  // Keyed message hooks: each sees the messages the loop takes off the queue before
  // OnMessage, the newest first; one that sets Handled ends the chain and keeps the message
  // from being dispatched. Adding with a key already present replaces that hook and makes it
  // the newest. Hooks may be removed in any order (also from inside a hook), so components
  // that come and go out of order never lose one another's hook.
  void AddMessageHook(TMessageEvent Hook, const void* Key);
  void RemoveMessageHook(const void* Key);
  [[nodiscard]] bool HasMessageHook(const void* Key) const;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;

  // ---- The application window ----
  // A hidden top-level window made on first use; its messages go through the hooks, then
  // WndProc. The hooks may be added and removed in any order.
  [[nodiscard]] HWND Handle();
  [[nodiscard]] bool HandleAllocated() const { return handle_ != nullptr; }
  void HookMainWindow(TWindowHook Hook, const void* Key);
  void UnhookMainWindow(const void* Key);
  virtual void WndProc(TMessage& Message);
  // Minimizes (iconifies) every visible form and tells the application window (WM_SIZE
  // SIZE_MINIMIZED); Restore brings back the forms it minimized (those still minimized).
  void Minimize();
  void Restore();
  [[nodiscard]] bool Minimized() const { return minimized_; }
  [[nodiscard]] bool Active() const { return active_; }
  // Whether Run shows the main form; false leaves it hidden.
  bool ShowMainForm = true;
  [[nodiscard]] TIcon* Icon();
  // Reports E to the user: OnException when set, else a message box titled with Title (a line
  // on standard error when no message box can be shown).
  void ShowException(const Exception& E);
  // A modal message box over the active form; returns the chosen button's ID.
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags = 0);
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // ---- Hints ----
  [[nodiscard]] bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool Value);
  [[nodiscard]] int HintPause() const { return hint_pause_; }
  void SetHintPause(int Value) { hint_pause_ = Value; }
  [[nodiscard]] int HintHidePause() const { return hint_hide_pause_; }
  void SetHintHidePause(int Value) { hint_hide_pause_ = Value; }
  [[nodiscard]] int HintShortPause() const { return hint_short_pause_; }
  void SetHintShortPause(int Value) { hint_short_pause_ = Value; }
  [[nodiscard]] std::int32_t HintColor() const { return hint_color_; }
  void SetHintColor(std::int32_t Value) { hint_color_ = Value; }
  // The long part (after "|") of the hint of the control under the mouse.
  [[nodiscard]] const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value);
  // The class hints are made with now: the newest installed one, else the base class.
  [[nodiscard]] const THintWindowClass& HintWindowClass() const;
  // Replaces the base hint window class; a hint window made by the class in use is freed
  // (and a shown hint hidden) whenever that class changes.
  void SetHintWindowClass(THintWindowClass Value);
  // Installs a hint window class under Key over the base class and the ones installed before;
  // installing under a key present replaces it and makes it the newest. Removing a key brings
  // back what was in use before it, whatever the order of removal, so a hint component that
  // goes away restores the class that was there before it came.
  void InstallHintWindowClass(THintWindowClass Value, const void* Key);
  void RemoveHintWindowClass(const void* Key);
  // The hint window now in use (nullptr before the first hint).
  [[nodiscard]] THintWindow* HintWindow() const;
  // Shows the hint of the control under CursorPos (screen) now.
  void ActivateHint(TPoint CursorPos);
  // Hides the shown hint and forgets the hint control; the next control starts afresh.
  void CancelHint();
  // Hides the shown hint but keeps the control (no reshow until the mouse moves to another).
  void HideHint();
  [[nodiscard]] bool HintShowing() const { return hint_showing_; }
  // The pointer moved within the hint control: once it leaves the rectangle the shown hint was
  // given for (THintInfo::CursorRect), the hint goes and the control is asked again.
  void CheckHintCursorRect();
  TShowHintEvent OnShowHint;
  TNotifyEvent OnHint;

  // ---- Bookkeeping of the control framework (GUI thread) ----
  // The control under the mouse (nullptr: none of Window's), told by the windowed control
  // Window that saw the move. While a control holds the mouse only that control hears
  // CM_MOUSELEAVE and CM_MOUSEENTER as the pointer crosses its edge; a control the pointer
  // reached meanwhile hears its enter when the capture ends.
  void NoteMouseControl(TControl* Target, TWinControl* Window);
  void NoteMouseLeft(TWinControl* Window);
  [[nodiscard]] TControl* MouseControl() const;
  // The control that holds the mouse while a button is down (its window has the capture).
  [[nodiscard]] TControl* CaptureControl() const;
  void SetCaptureControl(TControl* Control);
  // Forgets a control that is being destroyed.
  void ControlDestroyed(TControl* Control);
  // The cursor set for the whole screen (crDefault: each control's own).
  [[nodiscard]] int ScreenCursor() const { return screen_cursor_; }
  void SetScreenCursor(int Value) { screen_cursor_ = Value; }

 protected:
  // Takes one message off the queue and handles it; false when none was waiting.
  virtual bool ProcessMessage(MSG& Msg);
  virtual void Idle(const MSG& Msg);

 private:
  void HintTimerExpired(std::uintptr_t Id);
  void StartHintTimer(int Ms);
  void StopHintTimer();
  [[nodiscard]] TControl* HintControlAt(TControl* Control) const;

  bool terminated_ = false;
  HWND handle_ = nullptr;
  struct HookEntry {
    const void* key;
    std::shared_ptr<TWindowHook> hook;
  };
  std::vector<HookEntry> hooks_;
  bool minimized_ = false;
  std::vector<TWeak<TCustomForm>> minimized_forms_;
  bool active_ = false;
  std::unique_ptr<TIcon> icon_;
  bool show_hint_ = true;
  int hint_pause_ = 500;
  int hint_hide_pause_ = 2500;
  int hint_short_pause_ = 50;
  std::int32_t hint_color_;
  std::string hint_;
  struct MessageHookEntry {
    const void* key;
    std::shared_ptr<TMessageEvent> hook;
  };
  std::vector<MessageHookEntry> message_hooks_;
  void HintWindowClassChanging();
  THintWindowClass hint_window_class_;  // the base class
  struct HintClassEntry {
    const void* key;
    THintWindowClass cls;
  };
  std::vector<HintClassEntry> hint_classes_;  // installed classes, the newest last
  THintWindow* hint_window_ = nullptr;  // owned by this component
  TWeak<TControl> hint_control_;
  bool hint_showing_ = false;
  bool hint_recent_ = false;  // a hint was shown a moment ago: the next one waits HintShortPause
  TRect hint_cursor_rect_;    // screen rectangle the shown hint belongs to; empty when none
  TWeak<TControl> mouse_control_;
  // Whether mouse_control_ heard its CM_MOUSEENTER (it does not while another control holds
  // the mouse; it hears it when the capture ends).
  bool mouse_control_entered_ = false;
  TWeak<TControl> capture_control_;
  int screen_cursor_ = 0;
  TWeak<TComponent> main_form_;
  std::string title_;
  std::string help_file_;
  TApplication* previous_ = nullptr;
};

// The current application object; the first call without one creates a default instance that
// lives for the whole run.
[[nodiscard]] TApplication* Application();
