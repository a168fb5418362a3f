#pragma once
// TApplication: the program's message loop and its hooks. One instance is current at a time
// (see Application()); the form-related parts build on ProcessMessage and Idle.

#include <exception>
#include <functional>
#include <string>

#include "platform/Component.h"
#include "platform/Exceptions.h"
#include "platform/Types.h"

// Sees every message the loop takes off the queue before it is dispatched; setting Handled
// keeps it from being translated and dispatched.
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
// Called when the queue is empty; Done = true (the default) lets the loop sleep until the next
// message, false calls it again at once.
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
 public:
  // The new application becomes the current one (Application()); the previous current one is
  // restored when this one is destroyed. Main thread.
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Prepares the main thread's message queue.
  void Initialize();
  // Runs the message loop until Terminated. An exception that escapes a message handler goes to
  // HandleException and the loop goes on.
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
  void SetTitle(const std::string& Value) { title_ = Value; }
  [[nodiscard]] const std::string& HelpFile() const { return help_file_; }
  void SetHelpFile(const std::string& Value) { help_file_ = Value; }
  // The full path of the running program.
  [[nodiscard]] std::string ExeName() const;

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;

 protected:
  // Takes one message off the queue and handles it; false when none was waiting.
  virtual bool ProcessMessage(MSG& Msg);
  virtual void Idle(const MSG& Msg);

 private:
  bool terminated_ = false;
  TWeak<TComponent> main_form_;
  std::string title_;
  std::string help_file_;
  TApplication* previous_ = nullptr;
};

// The current application object; the first call without one creates a default instance that
// lives for the whole run.
[[nodiscard]] TApplication* Application();
