#pragma once
// Per-thread message queues. Every thread that creates a window or calls one of the queue
// functions gets a queue of its own; posted messages, messages sent from other threads, timers
// and (on the main thread) the calls handed over with TThread::Synchronize/Queue all arrive
// there and are served by that thread's GetMessage, PeekMessage and WaitMessage.
//
// Order of retrieval: main-thread calls are run and sent messages served first (both are
// handled inside the call and never returned), then the display's events are pumped, then
// posted messages in order (those whose window was destroyed are dropped), then WM_QUIT once
// nothing posted is left, then WM_PAINT for a window that needs painting, then the most
// overdue timer.

#include <cstdint>
#include <string>

#include "platform/windowing/Messages.h"
#include "platform/core/Types.h"
#include "platform/windowing/Window.h"

using UINT_PTR = std::uintptr_t;
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Calls the window procedure and returns its result. On the window's own thread the call is
// direct (and may nest). For a window of another thread the caller blocks until that thread
// serves the message inside its own GetMessage/PeekMessage/WaitMessage (or its own SendMessage
// wait); while blocked, the caller serves messages sent to it and, on the main thread, the
// pending main-thread calls, so two threads sending to each other do not deadlock. 0 for a dead
// handle, or when the receiving thread ends first.
LRESULT SendMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

constexpr UINT SMTO_NORMAL = 0x0000;
constexpr UINT SMTO_BLOCK = 0x0001;
constexpr UINT SMTO_ABORTIFHUNG = 0x0002;
// SendMessage that gives up after uTimeout real milliseconds (returns 0; the message may still
// be served later; its result is then dropped). Nonzero on success, *lpdwResult = the result.
LRESULT SendMessageTimeout(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                           UINT uTimeout, ULONG_PTR* lpdwResult);

// Queues a message for the window's thread (hWnd null: the calling thread, as a thread
// message). FALSE for a dead handle.
BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Queues a thread message (hwnd null). FALSE when the thread has no queue (the main thread
// always has one).
BOOL PostThreadMessage(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);

// Waits for the next message of the calling thread's queue and removes it. hWnd filters by
// window (null: any; (HWND)-1: thread messages only), the range by number (0, 0: all). FALSE
// when the message is WM_QUIT, TRUE otherwise.
BOOL GetMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// As GetMessage without waiting: FALSE when no message matches. PM_REMOVE takes it off the
// queue; PM_NOREMOVE leaves it (a timer stays due, WM_QUIT stays pending).
BOOL PeekMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
// Waits until a message can be retrieved, serving sent messages and main-thread calls.
BOOL WaitMessage();
// Characters have one source: the display's input method, which posts WM_CHAR / WM_SYSCHAR
// right behind the key that typed them (it alone knows the layout, Shift, Caps Lock, AltGr and
// composed or Chinese text). A key message therefore makes no character here: kept so message
// loops read as usual; always FALSE.
BOOL TranslateMessage(const MSG* lpMsg);
// Calls the procedure of the message's window (a WM_TIMER with a timer procedure in lParam
// calls that procedure instead) and returns its result; 0 for thread messages or a dead window.
LRESULT DispatchMessage(const MSG* lpMsg);
// Makes the calling thread's queue deliver WM_QUIT (wParam = nExitCode) once no posted
// message is left.
void PostQuitMessage(int nExitCode);

// A message number from 0xC000 to 0xFFFF unique to the name (case-insensitive) for the whole
// process; 0 for an empty name or when the range is used up.
UINT RegisterWindowMessage(const std::string& lpString);

// Starts or restarts a timer. With a window, nIDEvent names the timer of that window (its
// thread must be the caller's); without one, a new id is made unless nIDEvent names an existing
// thread timer. The timer's WM_TIMER is due uElapse milliseconds of the layer's clock after it
// was set or last retrieved; it is generated when retrieved, so at most one is ever pending.
// lpTimerFunc, when set, travels in lParam and DispatchMessage calls it. Returns the timer id,
// 0 on failure.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// A source of outside events for one thread's queue, such as a display connection. The queue
// calls PumpEvents before looking at posted messages and waits through WaitEvents instead of
// its own condition while the source is installed.
class TEventSource {
 public:
  virtual ~TEventSource() = default;
  // Owner thread: turns pending outside events into posted or sent messages; never blocks.
  virtual void PumpEvents() = 0;
  // Owner thread: blocks until an outside event arrives, Wake() is called, or TimeoutMs passes
  // (negative: no limit). A Wake() that came before the call makes it return at once.
  virtual void WaitEvents(int TimeoutMs) = 0;
  // Any thread: ends the current or next WaitEvents.
  virtual void Wake() = 0;
};
// Installs ASource for the calling thread's queue (nullptr removes it). The caller keeps
// ownership and removes it before destroying it.
void SetThreadEventSource(TEventSource* ASource);

namespace detail {
// Makes sure the calling thread has a queue.
void EnsureThreadQueue();
// Kills every timer of a window (it is being destroyed).
void KillWindowTimers(HWND hWnd);
// Queues an input message (mouse or keyboard) for the window's thread, with the cursor
// position in screen coordinates that MSG::pt reports. FALSE for a dead handle.
BOOL PostInputMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, TPoint Pt);
// The windowing part's answer to "which window of the calling thread needs WM_PAINT?" (Filter
// as GetMessage's hWnd). It returns nullptr when none does, after handing finished paints to
// the display. Called on the thread that retrieves, without any queue lock held.
using TPaintFinder = HWND (*)(HWND Filter);
void SetPaintFinder(TPaintFinder Finder);
// Makes the thread's waiting GetMessage/WaitMessage look again (e.g. a window of it became
// invalid from another thread).
void WakeThread(DWORD ThreadId);
}  // namespace detail
