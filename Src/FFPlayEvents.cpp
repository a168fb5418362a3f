// The play thread with its SDL event loop, the event thread that delivers positions and play
// states to the client, and the position report with its end-of-file and play-time rules.
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "Src/FFPlay.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLogger.h"
#include "Src/libsdl.h"
#include "platform/windowing/WindowTree.h"

namespace playback {

namespace {

// The play thread sleeps until the player pushes an event (SDL's own queue cannot be waited on
// without polling). SDL's own window events are read at least every SDLEventPumpMs.
constexpr int SDLEventPumpMs = 100;

struct TPushedEvents {
  std::mutex Lock;
  std::condition_variable Pushed;
  uint64_t Count = 0;
};

TPushedEvents& PushedEvents() {
  static TPushedEvents pushed;
  return pushed;
}

uint64_t PushedCount() {
  TPushedEvents& pushed = PushedEvents();
  std::lock_guard lock(pushed.Lock);
  return pushed.Count;
}

// Waits until an event is pushed after ASeen was read, or the pump interval passes.
void WaitForPushedEvent(uint64_t ASeen) {
  TPushedEvents& pushed = PushedEvents();
  std::unique_lock lock(pushed.Lock);
  pushed.Pushed.wait_for(lock, std::chrono::milliseconds(SDLEventPumpMs), [&] { return pushed.Count != ASeen; });
}

}  // namespace

void PushSDLEvent(int AType, void* AData) {
  SDL_Event event{};
  event.type = static_cast<Uint8>(AType);
  event.user.type = static_cast<Uint8>(AType);
  event.user.data1 = AData;
  if (sdl::SDL_PushEvent) sdl::SDL_PushEvent(&event);
  TPushedEvents& pushed = PushedEvents();
  {
    std::lock_guard lock(pushed.Lock);
    ++pushed.Count;
  }
  pushed.Pushed.notify_all();
}

void NotifyPosition(TVideoState& S) {
  TCustomPlayer* P = S.Owner;
  if (S.IsImage2) return;
  int64_t position;
  if (S.video_st) {
    position = std::llround(GetVideoClock(S) * 1000000.0) - S.StartTime;
  } else if (S.audio_st) {
    position = std::llround(GetAudioClock(S) * 1000000.0) - S.StartTime;
    if (S.AudioDuration > 0 && position >= S.AudioDuration && S.Duration > S.AudioDuration) position = S.Duration;
  } else {
    return;
  }
  P->FCurrentPTS = position;
  int64_t last = P->FLastPTS;
  const TPositionDecision decision = DecidePosition(position, S.Duration, last);
  P->FLastPTS = last;
  if (decision.Send && P->OnPosition && P->FPlayEvent) P->FPlayEvent->Push({pekPosition, decision.Position});

  if (!S.IsDevice && !S.EventEOF && S.ReachEOF) {
    if (S.video_st) S.EventEOF = 1;
    P->SetPlayState(TPlayState::psEnd);
  }

  // The play-time limit. This runs on the playback's own threads, so it works on the state
  // directly: the component's operations take the data lock, which the play thread holds while it
  // joins these threads at teardown.
  if (P->PlayTime() != NoTimestamp) {
    const int64_t limit = P->PlayTime() + (P->start_time() != NoTimestamp ? P->start_time() : 0);
    if (decision.Position >= limit) {
      if (P->RepeatType() == TRepeatType::rtStop) {
        if (S.paused) TogglePauseState(S);
        PushSDLEvent(FF_QUIT_EVENT);
      } else if (P->RepeatType() == TRepeatType::rtLoop) {
        const int64_t start = S.ic && S.ic->start_time != NoTimestamp ? S.ic->start_time : 0;
        if (P->start_time() != NoTimestamp)
          RequestSeek(S, 0, false, P->start_time() + start, P->start_time() <= 0 ? 1 : 0);
        else
          RequestSeek(S, AVSEEK_FLAG_ANY, false, start, 1);
      }
    }
  }
}

void PlayerEventLoop(TCustomPlayer* APlayer) {
  TCustomPlayer* P = APlayer;
  for (;;) {
    std::unique_lock lock(P->FDataLock);
    TVideoState* S = P->State();
    if (!S) {
      if (sdl::SDL_Quit) sdl::SDL_Quit();
      return;
    }
    // Read before the poll: an event pushed after the poll found none ends the wait at once.
    const uint64_t seen = PushedCount();
    SDL_Event event;
    if (!sdl::SDL_PollEvent(&event)) {
      lock.unlock();
      WaitForPushedEvent(seen);
      continue;
    }
    switch (event.type) {
      case SDL_QUIT:
      case FF_QUIT_EVENT:
        ShutdownPlayback(P);
        return;
      case SDL_VIDEORESIZE: {
        SDL_Surface* screen = sdl::SDL_SetVideoMode(event.resize.w, event.resize.h, SurfaceDepth(),
                                                    SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_HWACCEL | SDL_RESIZABLE);
        if (screen) {
          P->Fscreen = screen;
          P->SetScreenWidth(screen->w);
          P->SetScreenHeight(screen->h);
          S->width = screen->w;
          S->height = screen->h;
        }
        if (S->paused) VideoRefresh(*S, false);
        break;
      }
      case SDL_VIDEOEXPOSE:
        if (S->paused)
          VideoRefresh(*S, false);
        else
          DisplayVideo(*S);
        break;
      case FF_ALLOC_EVENT:
        AllocPictureOverlay(*S);
        break;
      case FF_REFRESH_EVENT:
        VideoRefresh(*S, true);
        S->refresh = 0;
        break;
      case FF_REOPEN_EVENT:
        OpenVideoSurface(*S, true);
        DisplayVideo(*S);
        break;
      default:
        break;
    }
  }
}

}  // namespace playback

namespace {

// Counts a handler call in the player's FDelivering while it runs, a throwing handler included,
// so a teardown started from inside a handler knows not to join the thread running it.
class TDeliveringCount {
 public:
  explicit TDeliveringCount(std::atomic<int>& ACount) : FCount(ACount) { ++FCount; }
  ~TDeliveringCount() { --FCount; }
  TDeliveringCount(const TDeliveringCount&) = delete;
  TDeliveringCount& operator=(const TDeliveringCount&) = delete;

 private:
  std::atomic<int>& FCount;
};

}  // namespace

// ---- threads of the component ----------------------------------------------------------------

class TPlayThread : public TThread {
 public:
  explicit TPlayThread(TCustomPlayer* AOwner) : TThread(true), FOwner(AOwner) {}
  ~TPlayThread() override {
    if (!Suspended()) WaitFor();  // also joins a thread that has finished
  }

 protected:
  void Execute() override {
    try {
      FOwner->SetPlayState(TPlayState::psPlay);
      try {
        playback::PlayerEventLoop(FOwner);
      } catch (const std::exception& e) {
        GetLogger()->Log(FOwner, TLogLevel::llFatal, std::string("PlayThread Exception: ") + e.what());
        playback::ShutdownPlayback(FOwner);
      }
      FOwner->SetPlayState(TPlayState::psStop);
    } catch (...) {
    }
    FOwner->FStopEvent.SetEvent();
  }

 private:
  TCustomPlayer* FOwner;
};

class TEventThread : public TThread {
 public:
  TEventThread(TCustomPlayer* AOwner, std::shared_ptr<playback::TPlayEventRing> ARing)
      : TThread(true), FOwner(AOwner), FRing(std::move(ARing)) {}
  // Waits until the thread has delivered the playback's last state: the play thread always ends
  // with psStop (or the stop event), so the wait is bounded by the play thread's end.
  ~TEventThread() override {
    if (!Suspended()) WaitFor();  // also joins a thread that has finished
  }

 protected:
  void Execute() override {
    while (!Terminated()) {
      const playback::TPlayEventItem item = FRing->Pop();
      switch (item.Kind) {
        case playback::pekPosition:
          FOwner->DoPosition(item.Value);
          break;
        case playback::pekState:
          FOwner->DoState(static_cast<TPlayState>(item.Value));
          if (static_cast<TPlayState>(item.Value) == TPlayState::psStop) return;
          break;
        case playback::pekStop:
          return;
        default:
          // Every push wakes the wait; the bound is only a safety net.
          FRing->Wait(playback::PausedNapMs);
          break;
      }
    }
  }

 private:
  TCustomPlayer* FOwner;
  std::shared_ptr<playback::TPlayEventRing> FRing;
};

void TCustomPlayer::SetPlayState(TPlayState AState) {
  FState = AState;
  const std::shared_ptr<playback::TPlayEventRing> ring = FPlayEvent;
  if (!ring) return;
  if (OnState)
    ring->Push({playback::pekState, static_cast<int64_t>(AState)});
  else if (AState == TPlayState::psStop)
    ring->Push({playback::pekStop, 0});
}

void TCustomPlayer::DoPosition(int64_t APTS) {
  if (FTriggerEventInMainThread && GetCurrentThreadId() != MainThreadID()) {
    PostNews({playback::pekPosition, APTS});
    return;
  }
  DeliverItem({playback::pekPosition, APTS});
}

void TCustomPlayer::DoState(TPlayState AState) {
  if (FTriggerEventInMainThread && GetCurrentThreadId() != MainThreadID()) {
    PostNews({playback::pekState, static_cast<int64_t>(AState)});
    return;
  }
  DeliverItem({playback::pekState, static_cast<int64_t>(AState)});
}

void TCustomPlayer::DeliverItem(const playback::TPlayEventItem& AItem) {
  if (FDestroying) return;  // the handlers are not called once destruction has begun
  const TDeliveringCount counted(FDelivering);
  if (AItem.Kind == playback::pekPosition) {
    if (OnPosition) OnPosition(this, AItem.Value);
  } else if (OnState) {
    OnState(this, static_cast<TPlayState>(AItem.Value));
  }
}

void TCustomPlayer::PostNews(const playback::TPlayEventItem& AItem) {
  std::lock_guard<std::mutex> guard(FNewsLock);
  if (!FNewsPending.empty() && FNewsPending.back().Kind == AItem.Kind)
    FNewsPending.back() = AItem;
  else
    FNewsPending.push_back(AItem);
  if (FNewsQueued) return;
  FNewsQueued = true;
  FNews.QueueInMainThread([this](const TLiveness::TAlive& AAlive) { DeliverNews(AAlive); });
}

void TCustomPlayer::DeliverNews(const TLiveness::TAlive& AAlive) {
  size_t budget;
  {
    std::lock_guard<std::mutex> guard(FNewsLock);
    FNewsQueued = false;
    budget = FNewsPending.size();
  }
  // One at a time: a delivery inside a handler's wait goes on with the same queue, in order.
  for (; budget > 0; --budget) {
    playback::TPlayEventItem item;
    {
      std::lock_guard<std::mutex> guard(FNewsLock);
      if (FNewsPending.empty()) return;
      item = FNewsPending.front();
      FNewsPending.pop_front();
    }
    if (!AAlive()) return;
    DeliverItem(item);
  }
}

void TCustomPlayer::DoFileOpen() {
  if (FRGBContext) ResetRGBConvertContext(*FRGBContext);
  if (FHookContext) ResetRGBConvertContext(*FHookContext);
  playback::TVideoState* S = State();
  if (S && OnFileOpen) {
    int w = -1, h = -1;
    if (S->video_dec && S->video_dec->width > 0) {
      w = S->video_dec->width;
      h = S->video_dec->height;
    }
    const int64_t duration = S->IsImage2 ? 0 : S->Duration;
    CallEvent(FTriggerEventInMainThread, [&] { OnFileOpen(this, duration, w, h, Fscreen_width, Fscreen_height); });
  }
  if (FScreenHandle && (Fscreen_width == 0 || Fscreen_height == 0)) {
    TRect client{};
    if (GetClientRect(FScreenHandle, &client)) {
      Fscreen_width = client.Width();
      Fscreen_height = client.Height();
    }
  }
}

void TCustomPlayer::StartPlaybackThreads() {
  FStopEvent.ResetEvent();
  // Both objects are in place before either thread runs: a handler on the event thread may stop
  // the playback and so reach FPlayThread.
  FEventThread = std::make_unique<TEventThread>(this, FPlayEvent);
  FPlayThread = std::make_unique<TPlayThread>(this);
  FEventThread->Start();
  FPlayThread->Start();
}
