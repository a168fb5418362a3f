#include "Src/FFPlay.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "Src/libsdl.h"
#include "platform/core/Clock.h"
#include "platform/windowing/Display.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/Messages.h"
#include "platform/core/SysUtils.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

using namespace playback;

namespace {

// The host window the player draws into: its procedure before the player took it over, and the
// player. One at a time, as SDL draws into one window per process.
struct THostWindow {
  std::mutex Lock;
  HWND Handle = 0;
  WNDPROC PreviousProc = nullptr;
  TCustomPlayer* Player = nullptr;
};

THostWindow& HostWindow() {
  static THostWindow host;
  return host;
}

LRESULT ScreenWndProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous;
  TCustomPlayer* player;
  {
    THostWindow& host = HostWindow();
    std::lock_guard lock(host.Lock);
    if (hWnd != host.Handle) return DefWindowProc(hWnd, Msg, wParam, lParam);
    previous = host.PreviousProc;
    player = host.Player;
  }
  switch (Msg) {
    case WM_PAINT:
      // The picture is SDL's: the host does not paint over it; a paused picture is drawn again.
      if (player && player->Paused() && player->State()) PushSDLEvent(SDL_VIDEOEXPOSE);
      return DefWindowProc(hWnd, Msg, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
    case WM_WINDOWPOSCHANGED:
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
      return DefWindowProc(hWnd, Msg, wParam, lParam);
    case WM_CLOSE:
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      SetFocus(hWnd);
      return previous ? CallWindowProc(previous, hWnd, Msg, wParam, lParam) : DefWindowProc(hWnd, Msg, wParam, lParam);
    default:
      return previous ? CallWindowProc(previous, hWnd, Msg, wParam, lParam) : DefWindowProc(hWnd, Msg, wParam, lParam);
  }
}

void SetEnv(const char* AName, const std::string& AValue) {
  if (AValue.empty())
    ::unsetenv(AName);
  else
    ::setenv(AName, AValue.c_str(), 1);
}

bool MainThread() { return GetCurrentThreadId() == MainThreadID(); }

}  // namespace

TCustomPlayer::TCustomPlayer(TComponent* AOwner) : TFFBaseComponent(AOwner), FAVProbe(std::make_unique<TAVProbe>(nullptr)) {
  ResetPlayState();
}

TCustomPlayer::~TCustomPlayer() {
  FDestroying = true;
  FNews.Revoke();
  Stop(true);
  OnPosition = nullptr;
  OnState = nullptr;
  OnHook = nullptr;
  FAVProbe.reset();
  FRGBContext.reset();
  FHookContext.reset();
  if (Fflush_pkt && av::av_packet_free) av::av_packet_free(&Fflush_pkt);
}

bool TCustomPlayer::AVLibLoaded() const { return FFLoader().Loaded(PlayerLibraries); }

bool TCustomPlayer::LoadAVLib(const TPathFileName& APath) {
  FFLoader().SetLibraryPath(APath);
  if (FFLoader().Load(PlayerLibraries, this)) return true;
  FLastErrMsg = FFLoader().LastErrMsg();
  return false;
}

void TCustomPlayer::UnloadAVLib() {
  Stop(true);  // nothing of a playback may outlive its libraries
  if (Fflush_pkt && av::av_packet_free) av::av_packet_free(&Fflush_pkt);
  FFLoader().Unload(PlayerLibraries, this);
}

void TCustomPlayer::ReportError(const std::string& AMsg, bool AStore) {
  GetLogger()->Log(this, TLogLevel::llError, AMsg);
  if (AStore) FLastErrMsg = AMsg;
}

playback::TVideoState* TCustomPlayer::State() const {
  std::lock_guard lock(FStateTakeLock);
  return FVideoState.get();
}

void TCustomPlayer::SetState(std::unique_ptr<playback::TVideoState> AState) {
  std::lock_guard lock(FStateTakeLock);
  FVideoState = std::move(AState);
}

std::unique_ptr<playback::TVideoState> TCustomPlayer::TakeState() {
  std::lock_guard lock(FStateTakeLock);
  return std::move(FVideoState);
}

void TCustomPlayer::ResetPlayState() {
  Fscreen = nullptr;
  FLastPTS = NoTimestamp;
  FCurrentPTS = -1;
  Fstep = false;
  for (int& w : Fwanted_stream) w = -1;
  Fseek_by_bytes = -1;
  Fstart_time = NoTimestamp;
  FPlayTime = NoTimestamp;
  FRepeatType = TRepeatType::rtStop;
  FVerticalFlip = false;
  FSeekEvent.SetEvent();
  FSeeking = false;
}

bool TCustomPlayer::AttachSDLToWindow(HWND AHandle) {
  // SDL draws into the display's native window inside the host; a display without native windows
  // (the headless one) leaves SDL to its own window.
  const std::uintptr_t native = AHandle ? Display().NativeChildWindow(AHandle) : 0;
  if (native) SetEnv("SDL_WINDOWID", std::to_string(native));
  // No timer subsystem: the player sets no SDL timers, and SDL's timer thread would wake every
  // millisecond for as long as SDL is up.
  const bool ok = sdl::SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) == 0;
  FSDLInitialised = FSDLInitialised || ok;
  if (AHandle) {
    char name[64];
    if (sdl::SDL_AudioDriverName(name, sizeof name))
      GetLogger()->Log(this, TLogLevel::llDebug, std::string("using audio driver: ") + name);
    if (sdl::SDL_VideoDriverName(name, sizeof name))
      GetLogger()->Log(this, TLogLevel::llDebug, std::string("using video driver: ") + name);
    ::unsetenv("SDL_WINDOWID");
    if (FHookedWindow != AHandle) {
      DetachFromWindow();
      THostWindow& host = HostWindow();
      std::lock_guard lock(host.Lock);
      host.Handle = AHandle;
      host.PreviousProc = reinterpret_cast<WNDPROC>(GetWindowLongPtr(AHandle, GWL_WNDPROC));
      host.Player = this;
      FPreviousProc = reinterpret_cast<LONG_PTR>(host.PreviousProc);
      SetWindowLongPtr(AHandle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ScreenWndProc));
      FHookedWindow = AHandle;
    }
  }
  return ok;
}

void TCustomPlayer::DetachFromWindow() {
  if (!FHookedWindow) return;
  THostWindow& host = HostWindow();
  std::lock_guard lock(host.Lock);
  if (IsWindow(FHookedWindow) &&
      GetWindowLongPtr(FHookedWindow, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(&ScreenWndProc))
    SetWindowLongPtr(FHookedWindow, GWL_WNDPROC, FPreviousProc);
  if (host.Player == this) {
    host.Handle = 0;
    host.PreviousProc = nullptr;
    host.Player = nullptr;
  }
  FHookedWindow = 0;
  FPreviousProc = 0;
}

void TCustomPlayer::ShutdownSDL() {
  if (sdl::SDL_Quit) sdl::SDL_Quit();
}

bool TCustomPlayer::Open(const std::string& AFileName, HWND AScreenHandle, bool APaused) {
  if (!AVLibLoaded()) {
    ReportError("libav or libsdl not loaded.", true);
    return false;
  }
  Stop(true);
  // The driver choices name drivers of another platform: SDL_AUDIODRIVER and SDL_VIDEODRIVER are
  // left as the environment has them, so SDL picks its own drivers here.
  if (!AttachSDLToWindow(AScreenHandle)) {
    ReportError(::Format("Could not initialize SDL with ScreenHandle(%u): %s",
                       static_cast<unsigned>(reinterpret_cast<uintptr_t>(AScreenHandle)), sdl::SDL_GetError()),
                true);
    DetachFromWindow();
    return false;
  }
  if (Fdisplay_disable) {
    Fvideo_disable = true;
  } else {
    const SDL_VideoInfo* info = sdl::SDL_GetVideoInfo();
    if (!info) {
      ReportError("Could not query the video display", true);
      ShutdownSDL();
      DetachFromWindow();
      return false;
    }
    Ffs_screen_width = info->current_w;
    Ffs_screen_height = info->current_h;
  }
  if (!Fflush_pkt) Fflush_pkt = av::av_packet_alloc();
  sdl::SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
  sdl::SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
  sdl::SDL_EventState(SDL_SYSWMEVENT, SDL_IGNORE);
  sdl::SDL_EventState(SDL_USEREVENT, SDL_IGNORE);
  FPlayEvent = std::make_shared<TPlayEventRing>();
  if (!OpenVideoState(this, AFileName, Ffile_iformat, APaused)) {
    ShutdownSDL();
    DetachFromWindow();
    return false;
  }
  Finput_filename = AFileName;
  FScreenHandle = AScreenHandle;
  FAVProbe->SetFileHandle(State()->ic);
  DoFileOpen();
  StartPlaybackThreads();
  return true;
}

void TCustomPlayer::Stop(bool AWaitForStop) {
  {
    std::unique_lock lock(FDataLock);
    if (TVideoState* S = State()) {
      if (S->paused) {
        TogglePauseState(*S);
        Fstep = false;
      }
      PushSDLEvent(FF_QUIT_EVENT);
    }
  }
  if (!AWaitForStop) return;
  if (FPlayThread) WaitForStop();
  JoinPlaybackThreads();
  // The playback's last news (its stop state among them) has reached the handlers when a stop
  // on the GUI thread returns.
  if (MainThread() && FNews.Alive()) DeliverNews([this] { return FNews.Alive(); });
  DetachFromWindow();
  if (FSDLInitialised) ShutdownSDL();
  FSDLInitialised = false;
}

void TCustomPlayer::WaitForStop() {
  for (int round = 1;;) {
    // Up to 100 ms for the playback to end. The main thread serves the calls other threads make
    // into it meanwhile (never its own messages), so that the playback's threads can finish.
    if (WaitServingCalls(FStopEvent, 100) == TWaitResult::wrSignaled) return;
    if (!State()) return;
    std::unique_lock lock(FDataLock, std::defer_lock);
    bool locked = false;
    for (int tries = 0; tries < 50 && !(locked = lock.try_lock()); ++tries)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!locked) continue;
    TVideoState* S = State();
    if (!S) return;
    ++round;
    // The quit event is posted again about every 100 ms; a read thread stuck in the demuxer is
    // torn down from here after a second, any stuck playback after two.
    if ((round <= 10 || !S->Reading) && round <= 20) {
      PushSDLEvent(FF_QUIT_EVENT);
      continue;
    }
    ShutdownPlayback(this);
    return;
  }
}

void TCustomPlayer::JoinPlaybackThreads() {
  FPlayThread.reset();  // joins; serves main-thread calls while it waits
  if (FDelivering) {
    // Called from an OnState/OnPosition handler: the event thread waits for this very handler,
    // so it cannot be joined now.
    FRetiredEventThread.reset();
    FRetiredEventThread = std::move(FEventThread);
  } else {
    FRetiredEventThread.reset();
    FEventThread.reset();  // ends after delivering the stop state
  }
}

void TCustomPlayer::Pause() {
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  if (!S || S->paused) return;
  TogglePauseState(*S);
  Fstep = false;
  SetPlayState(TPlayState::psPause);
}

void TCustomPlayer::Resume() {
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  if (!S || !S->paused) return;
  TogglePauseState(*S);
  Fstep = false;
  SetPlayState(TPlayState::psResume);
}

void TCustomPlayer::TogglePause() {
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  if (!S) return;
  TogglePauseState(*S);
  Fstep = false;
  SetPlayState(S->paused ? TPlayState::psPause : TPlayState::psResume);
}

void TCustomPlayer::StepToNextFrame() {
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  if (!S) return;
  // The step mark goes first: once un-paused, the video thread may queue the next picture at once.
  const bool wasStepping = Fstep.exchange(true);
  if (S->paused) TogglePauseState(*S);
  if (!wasStepping) SetPlayState(TPlayState::psStep);
}

void TCustomPlayer::ToggleAudioDisplay() {
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  if (!S || !Fscreen) return;
  S->show_audio = (S->show_audio + 1) % 3;
  ClearDisplayArea(*S);
}

void TCustomPlayer::WaitSeekEnd() {
  // Ends when the seek has failed, when the first picture after it is queued, when the input
  // ended after it (nothing more will come), or when the playback is gone; and after
  // SeekWaitLimit ms at the latest.
  const std::uint64_t deadline = GetTickCount64() + SeekWaitLimit;
  auto waitFor = [&](TEvent& AEvent, auto AOver) {
    bool signaled = false;
    (void)WaitServingCalls([&] {
      if (AEvent.WaitFor(0) == TWaitResult::wrSignaled) return signaled = true;
      if (GetTickCount64() >= deadline) return true;
      std::unique_lock lock(FDataLock);
      TVideoState* S = State();
      return !S || AOver(*S);
    });
    return signaled;
  };
  if (!waitFor(FSeekEvent, [](const TVideoState&) { return false; })) return;
  waitFor(FPictEvent, [](const TVideoState& S) { return S.video_stream < 0 || S.ErrorEOF || S.ReachEOF; });
}

void TCustomPlayer::Seek(int64_t APTS, TSeekFlags ASeekFlags, bool AWaitForSeekEnd) {
  {
    std::unique_lock lock(FDataLock);
    TVideoState* S = State();
    if (!S) return;
    if (ASeekFlags.Contains(TSeekFlag::sfByte)) {
      RequestSeek(*S, SeekFlagsToInt(ASeekFlags), false, APTS, 0);
    } else {
      int64_t position = APTS;
      // A file of unknown duration has nothing to clamp to.
      if (S->ic->duration != NoTimestamp && position > S->ic->duration) position = S->ic->duration;
      if (S->ic->start_time != NoTimestamp) position += S->ic->start_time;
      RequestSeek(*S, SeekFlagsToInt(ASeekFlags), false, position, APTS <= 0 ? 1 : 0);
    }
  }
  if (AWaitForSeekEnd) WaitSeekEnd();
}

void TCustomPlayer::Seek(double ADelta, TSeekFlags ASeekFlags, bool AWaitForSeekEnd) {
  {
    std::unique_lock lock(FDataLock);
    TVideoState* S = State();
    if (!S) return;
    if (ASeekFlags.Contains(TSeekFlag::sfByte)) {
      const double increment = S->ic->bit_rate > 0 ? ADelta * S->ic->bit_rate / 8.0 : ADelta * 180000.0;
      const int64_t current = S->ic->pb ? av::avio_seek(S->ic->pb, 0, SEEK_CUR) : 0;
      RequestSeek(*S, SeekFlagsToInt(ASeekFlags), false, std::llround(current + increment), std::llround(increment));
    } else {
      const double position = (GetMasterClock(*S) + ADelta) * 1000000.0;
      RequestSeek(*S, SeekFlagsToInt(ASeekFlags), false, std::llround(position), std::llround(ADelta * 1000000.0));
    }
  }
  if (AWaitForSeekEnd) WaitSeekEnd();
}

TBitmap* TCustomPlayer::CurrentFrame() {
  int64_t pts;
  return CurrentFrame(pts);
}

TBitmap* TCustomPlayer::CurrentFrame(int64_t& APTS) {
  if (!FRGBContext) FRGBContext = std::make_unique<TRGBConvertContext>();
  if (!FRGBContext->Bitmap) FRGBContext->Bitmap = CreateBlankBitmap(0, 0, TPixelFormat::pf24bit);
  TBitmap* bitmap = FRGBContext->Bitmap.get();
  APTS = -1;
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  if (!S || !S->video_st || !S->video_dec) {
    bitmap->SetSize(0, 0);
    return bitmap;
  }
  bitmap->SetSize(S->video_dec->width, S->video_dec->height);
  for (int y = 0; y < bitmap->Height(); ++y) std::memset(bitmap->ScanLine(y), 0, size_t(bitmap->Width()) * 3);
  // The picture on screen: its slot is neither refilled nor reallocated while both locks are held.
  std::lock_guard queue(S->pictq_mutex);
  TPictureSlot& slot = S->pictq[S->pictq_shown >= 0 ? S->pictq_shown : S->pictq_rindex];
  APTS = std::llround(slot.pts * 1000000.0) - S->StartTime;
  std::lock_guard data(slot.data_lock);
  if (slot.overlay) {
    SDL_Overlay* o = slot.overlay;
    sdl::SDL_LockYUVOverlay(o);
    const uint8_t* planes[4] = {o->pixels[0], o->pixels[2], o->pixels[1], nullptr};
    const int lines[4] = {o->pitches[0], o->pitches[2], o->pitches[1], 0};
    if (!PictureToBitmap(*FRGBContext, planes, lines, AV_PIX_FMT_YUV420P, slot.width, slot.height))
      bitmap->SetSize(0, 0);
    sdl::SDL_UnlockYUVOverlay(o);
  }
  return bitmap;
}

void TCustomPlayer::UpdateScreenPosition() {
  // Only the DirectX driver of another platform needs to follow a moved host window; SDL's
  // drivers here draw into the host window itself.
}

void TCustomPlayer::SetAspectRatio(float Value) {
  if (Value == FAspectRatio) return;
  FAspectRatio = Value;
  if (State()) PushSDLEvent(FF_REOPEN_EVENT);
}

void TCustomPlayer::SetShowAudio(TShowAudio Value) {
  FShowAudio = Value;
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  if (S && S->audio_st && !Fdisplay_disable) S->show_audio = static_cast<int>(Value);
}

std::string TCustomPlayer::Format() const { return Ffile_iformat && Ffile_iformat->name ? Ffile_iformat->name : ""; }

void TCustomPlayer::SetFormat(const std::string& Value) {
  if (!AVLibLoaded()) {
    ReportError("libav or libsdl not loaded.", true);
    return;
  }
  const AVInputFormat* format = av::av_find_input_format(Value.c_str());
  if (!format) throw Exception(::Format("Unknown input format: %s", Value));
  Ffile_iformat = format;
}

bool TCustomPlayer::Paused() const {
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  return !S || S->paused;
}

int TCustomPlayer::AudioStreamIndex() const {
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  return S ? S->audio_stream.load() : -1;
}

int TCustomPlayer::VideoStreamIndex() const {
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  return S ? S->video_stream.load() : -1;
}

int TCustomPlayer::SubtitleStreamIndex() const {
  std::unique_lock lock(FDataLock);
  TVideoState* S = State();
  return S ? S->subtitle_stream.load() : -1;
}

void TCustomPlayer::SetAudioStreamIndex(int Value) {
  std::unique_lock lock(FDataLock);
  if (TVideoState* S = State(); S && Value != S->audio_stream) SwitchStream(*S, AVMEDIA_TYPE_AUDIO, Value);
}

void TCustomPlayer::SetVideoStreamIndex(int Value) {
  std::unique_lock lock(FDataLock);
  if (TVideoState* S = State(); S && Value != S->video_stream) SwitchStream(*S, AVMEDIA_TYPE_VIDEO, Value);
}

void TCustomPlayer::SetSubtitleStreamIndex(int Value) {
  std::unique_lock lock(FDataLock);
  if (TVideoState* S = State(); S && Value != S->subtitle_stream) SwitchStream(*S, AVMEDIA_TYPE_SUBTITLE, Value);
}
