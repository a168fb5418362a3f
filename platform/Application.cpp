#include "platform/Application.h"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>

#include "platform/MessageQueue.h"

namespace {
std::atomic<TApplication*> g_current{nullptr};
}  // namespace

TApplication* Application() {
  if (TApplication* app = g_current.load()) return app;
  static TApplication* fallback = new TApplication(nullptr);
  return g_current.load() ? g_current.load() : fallback;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), previous_(g_current.load()) {
  // The program's file name without its extension, until the program sets its own title.
  std::string exe = ExeName();
  title_ = exe.substr(exe.rfind('/') + 1);
  const std::size_t dot = title_.rfind('.');
  if (dot != std::string::npos && dot > 0) title_.resize(dot);
  g_current.store(this);
}

TApplication::~TApplication() {
  TApplication* self = this;
  g_current.compare_exchange_strong(self, previous_);
}

void TApplication::Initialize() { detail::EnsureThreadQueue(); }

void TApplication::Run() {
  while (!Terminated()) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessage(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(Msg, handled);
  if (!handled) {
    TranslateMessage(&Msg);
    DispatchMessage(&Msg);
  }
  return true;
}

void TApplication::Idle(const MSG&) {
  bool done = true;
  if (OnIdle) OnIdle(this, done);
  if (done) WaitMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr error = std::current_exception();
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    if (OnException) {
      OnException(Sender, e);
    } else {
      std::fprintf(stderr, "%s: %s\n", title_.c_str(), e.Message.c_str());
    }
  } catch (const std::exception& e) {
    Exception wrapped(e.what());
    if (OnException) {
      OnException(Sender, wrapped);
    } else {
      std::fprintf(stderr, "%s: %s\n", title_.c_str(), e.what());
    }
  } catch (...) {
    Exception wrapped("Unknown exception");
    if (OnException) {
      OnException(Sender, wrapped);
    } else {
      std::fprintf(stderr, "%s: unknown exception\n", title_.c_str());
    }
  }
}

std::string TApplication::ExeName() const {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string{};
}
