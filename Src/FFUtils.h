#pragma once
// Message pumping for waits on the GUI thread, and running a routine on the GUI thread.

#include <functional>

#include "platform/Types.h"

// Runs AMethod on the main (GUI) thread: directly when called there, otherwise through
// TThread::Synchronize, which blocks the caller until the main thread has run it from its
// message loop or from a wait that pumps messages. An exception of AMethod reaches the caller.
void CallInMainThread(const std::function<void()>& AMethod);

// Runs an event handler call the way a component's TriggerEventInMainThread asks: on the main
// thread through CallInMainThread when AInMainThread, otherwise at once on the calling thread.
void CallEvent(bool AInMainThread, const std::function<void()>& AMethod);

// Takes one waiting message of the calling thread's queue and dispatches it (keyboard messages
// are translated first). A WM_QUIT is taken off but neither translated nor dispatched; the
// result is still true and AMsg holds it. False when nothing is waiting. On the main thread
// pending Synchronize/Queue calls are served as well.
bool ProcessOneMessage(MSG& AMsg);

// Dispatches every waiting message of the calling thread (and, on the main thread, the pending
// main-thread calls). For waits on the GUI thread that must keep windows and worker threads'
// main-thread calls going. A WM_QUIT met on the way ends the pumping and is posted again, so
// the application's own loop still sees it and ends.
void PumpPendingMessages();
