#pragma once
// TCustomPlayer / TFFPlayer: the embedded media player. A client gives it a media file and a
// host window; the player draws the pictures into that window through SDL, plays the sound
// through SDL's audio output and reports the opening of the file, the position and its play
// states through events.
//
// Threads of one playback (see FFPlayState.h for the state they share): the client thread (the
// component's operations), the play thread (SDL event loop: surface, overlays, display), the
// event thread (delivers OnPosition/OnState), the read thread (container, packet queues, seeks),
// the video, subtitle and refresh threads, and SDL's audio thread. Every thread of a playback is
// joined by the time Stop(true) returns.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "Src/AVProbe.h"
#include "Src/FFBaseComponent.h"
#include "Src/FFMediaUtils.h"
#include "Src/FFPlayState.h"
#include "Src/FFUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/SyncObjs.h"
#include "platform/core/Thread.h"
#include "platform/core/Types.h"

enum class TRepeatType { rtNone, rtStop, rtLoop };
enum class TShowAudio { saNone, saWave, saRDFT };
enum class TAudioDriver { adDefault, adDirectSound, adWaveOut };
enum class TVideoDriver { vdDefault, vdDirectDraw, vdGDI };
using TAudioVolume = int;  // 0 (silent) … 128 (unchanged)

using TFileOpenEvent = std::function<void(TObject* Sender, int64_t ADuration, int AFrameWidth, int AFrameHeight,
                                          int& AScreenWidth, int& AScreenHeight)>;
using THookEvent = std::function<void(TObject* Sender, TBitmap* ABitmap, int64_t APTS)>;
using TPositionEvent = std::function<void(TObject* Sender, int64_t APTS)>;
using TPlayStateEvent = std::function<void(TObject* Sender, TPlayState AState)>;
// What reaches the screen and the sound device, for measuring the real audio-video offset.
// Picture: the luma plane of a picture the moment it is handed to the display (play thread).
// Sound: the bytes of signed 16-bit samples handed to the device by one device callback, the
// player's wall clock at that call, the device's own buffer in bytes and the bytes a second
// (audio thread). Both run on playback threads with the playback's locks held: keep them short.
struct TPlaybackProbe {
  std::function<void(const uint8_t* ALuma, int APitch, int AWidth, int AHeight, double AWallTime)> Picture;
  std::function<void(const uint8_t* ASamples, int ABytes, double AWallTime, int ADeviceBytes, int ABytesPerSecond)>
      Sound;
};

class TCustomPlayer : public TFFBaseComponent {
 public:
  explicit TCustomPlayer(TComponent* AOwner);
  ~TCustomPlayer() override;

  // Library set (avcodec, avfilter, avformat, avutil, swscale, swresample, libc, SDL).
  [[nodiscard]] bool AVLibLoaded() const;
  bool LoadAVLib(const TPathFileName& APath);
  void UnloadAVLib();

  // Opens AFileName and plays it inside AScreenHandle (0: SDL's own window). Stops any current
  // playback first. False with the reason in LastErrMsg; no thread is left running then.
  // Called on the client (GUI) thread; keeps its messages and main-thread calls running meanwhile.
  bool Open(const std::string& AFileName, HWND AScreenHandle, bool APaused = false);
  // Asks the playback to end; with AWaitForStop waits (pumping) until every thread of it has ended
  // and shuts SDL down.
  void Stop(bool AWaitForStop);
  void Pause();
  void Resume();
  void TogglePause();
  // Shows the next picture and pauses again.
  void StepToNextFrame();
  void ToggleAudioDisplay();
  // Absolute seek to APTS microseconds from the start (a byte position with sfByte).
  void Seek(int64_t APTS, TSeekFlags ASeekFlags = {}, bool AWaitForSeekEnd = false);
  // Relative seek by ADelta seconds.
  void Seek(double ADelta, TSeekFlags ASeekFlags, bool AWaitForSeekEnd);
  // The picture on screen as a 24-bit bitmap owned by the player (refilled by every call, freed at
  // the next Open); 0 x 0 and APTS -1 without a video stream.
  TBitmap* CurrentFrame();
  TBitmap* CurrentFrame(int64_t& APTS);
  void UpdateScreenPosition();

  // Properties.
  [[nodiscard]] std::string Version() const { return "2.3"; }
  [[nodiscard]] const std::string& About() const { return FAbout; }
  void SetAbout(const std::string& Value) { FAbout = Value; }
  [[nodiscard]] float AspectRatio() const { return FAspectRatio; }
  void SetAspectRatio(float Value);
  [[nodiscard]] TAudioDriver AudioDriver() const { return FAudioDriver; }
  void SetAudioDriver(TAudioDriver Value) { FAudioDriver = Value; }
  [[nodiscard]] TVideoDriver VideoDriver() const { return FVideoDriver; }
  void SetVideoDriver(TVideoDriver Value) { FVideoDriver = Value; }
  [[nodiscard]] TAudioVolume AudioVolume() const { return FAudioVolume.load(); }
  void SetAudioVolume(TAudioVolume Value) { FAudioVolume.store(Value < 0 ? 0 : Value > 128 ? 128 : Value); }
  [[nodiscard]] bool DisableAudio() const { return Faudio_disable; }
  void SetDisableAudio(bool Value) { Faudio_disable = Value; }
  [[nodiscard]] bool DisableVideo() const { return Fvideo_disable; }
  void SetDisableVideo(bool Value) { Fvideo_disable = Value; }
  [[nodiscard]] bool DisableDisplay() const { return Fdisplay_disable; }
  void SetDisableDisplay(bool Value) { Fdisplay_disable = Value; }
  [[nodiscard]] bool Mute() const { return FMute.load(); }
  void SetMute(bool Value) { FMute.store(Value); }
  [[nodiscard]] int FrameWidth() const { return Fframe_width; }
  void SetFrameWidth(int Value) { Fframe_width = Value; }
  [[nodiscard]] int FrameHeight() const { return Fframe_height; }
  void SetFrameHeight(int Value) { Fframe_height = Value; }
  [[nodiscard]] bool Hook() const { return FHook; }
  void SetHook(bool Value) { FHook = Value; }
  [[nodiscard]] int ScreenWidth() const { return Fscreen_width; }
  void SetScreenWidth(int Value) { Fscreen_width = Value; }
  [[nodiscard]] int ScreenHeight() const { return Fscreen_height; }
  void SetScreenHeight(int Value) { Fscreen_height = Value; }
  [[nodiscard]] bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
  void SetTriggerEventInMainThread(bool Value) { FTriggerEventInMainThread = Value; }
  // Name of the forced input format ("" for none). Raises Exception ("Unknown input format: %s")
  // for a name no demuxer has.
  [[nodiscard]] std::string Format() const;
  void SetFormat(const std::string& Value);
  [[nodiscard]] const std::string& FileName() const { return Finput_filename; }
  [[nodiscard]] const std::string& LastErrMsg() const { return FLastErrMsg; }
  [[nodiscard]] HWND ScreenHandle() const { return FScreenHandle; }
  [[nodiscard]] bool FullScreen() const { return Fis_full_screen; }
  [[nodiscard]] int AudioStreamIndex() const;
  void SetAudioStreamIndex(int Value);
  [[nodiscard]] int VideoStreamIndex() const;
  void SetVideoStreamIndex(int Value);
  [[nodiscard]] int SubtitleStreamIndex() const;
  void SetSubtitleStreamIndex(int Value);
  [[nodiscard]] TAVProbe* AVProbe() const { return FAVProbe.get(); }
  [[nodiscard]] int64_t CurrentPTS() const { return FCurrentPTS.load(); }
  [[nodiscard]] bool Paused() const;
  [[nodiscard]] TPlayState PlayState() const { return FState.load(); }
  [[nodiscard]] int64_t PlayTime() const { return FPlayTime.load(); }
  void SetPlayTime(int64_t Value) { FPlayTime.store(Value); }
  [[nodiscard]] TRepeatType RepeatType() const { return FRepeatType.load(); }
  void SetRepeatType(TRepeatType Value) { FRepeatType.store(Value); }
  [[nodiscard]] bool Seeking() const { return FSeeking.load(); }
  [[nodiscard]] TShowAudio ShowAudio() const { return FShowAudio; }
  void SetShowAudio(TShowAudio Value);
  [[nodiscard]] bool VerticalFlip() const { return FVerticalFlip.load(); }
  void SetVerticalFlip(bool Value) { FVerticalFlip.store(Value); }
  [[nodiscard]] const std::string& VideoFilters() const { return Fvfilters; }
  void SetVideoFilters(const std::string& Value) { Fvfilters = Value; }
  [[nodiscard]] bool is_full_screen() const { return Fis_full_screen; }
  void Setis_full_screen(bool Value) { Fis_full_screen = Value; }
  [[nodiscard]] int wanted_stream(int AType) const { return Fwanted_stream[AType + 1]; }
  void Setwanted_stream(int AType, int Value) { Fwanted_stream[AType + 1] = Value; }
  [[nodiscard]] int wanted_audio_stream() const { return wanted_stream(AVMEDIA_TYPE_AUDIO); }
  void Setwanted_audio_stream(int Value) { Setwanted_stream(AVMEDIA_TYPE_AUDIO, Value); }
  [[nodiscard]] int wanted_video_stream() const { return wanted_stream(AVMEDIA_TYPE_VIDEO); }
  void Setwanted_video_stream(int Value) { Setwanted_stream(AVMEDIA_TYPE_VIDEO, Value); }
  [[nodiscard]] int wanted_subtitle_stream() const { return wanted_stream(AVMEDIA_TYPE_SUBTITLE); }
  void Setwanted_subtitle_stream(int Value) { Setwanted_stream(AVMEDIA_TYPE_SUBTITLE, Value); }
  [[nodiscard]] int seek_by_bytes() const { return Fseek_by_bytes; }
  void Setseek_by_bytes(int Value) { Fseek_by_bytes = Value; }
  [[nodiscard]] int64_t start_time() const { return Fstart_time; }
  void Setstart_time(int64_t Value) { Fstart_time = Value; }

  // Options handed to the decoders and the demuxer (read at Open).
  int workaround_bugs = 1;
  int debug_mv = 0;
  bool fast = false;
  bool genpts = false;
  int decoder_reorder_pts = -1;
  int framedrop = 1;
  int rdftspeed = 20;
  int lowres = 0;
  int idct_algo = 0;
  int error_recognition = 1;
  int error_concealment = 3;
  Tav_sync_type av_sync_type = AV_SYNC_AUDIO_MASTER;

  TFileOpenEvent OnFileOpen;
  THookEvent OnHook;  // runs on the video thread
  TPositionEvent OnPosition;
  TPlayStateEvent OnState;
  TPlaybackProbe Probe;  // set before Open

  // ---- Shared with the playback threads (FFPlay*.cpp); not for clients. ----
  void ReportError(const std::string& AMsg, bool AStore);
  void SetPlayState(TPlayState AState);
  void ResetPlayState();
  // APTS: the picture's time in microseconds from the start of the file.
  bool HookPicture(AVFrame* AFrame, uint8_t* const ADest[3], const int ADestLinesize[3], int64_t APTS, int AWidth,
                   int AHeight);
  // The state of the open file, nullptr when nothing is open. The object stays valid while the
  // caller holds FDataLock (teardown takes it) or is one of the playback's own threads.
  [[nodiscard]] playback::TVideoState* State() const;
  void SetState(std::unique_ptr<playback::TVideoState> AState);
  // Takes the state away from the component; exactly one caller gets it.
  std::unique_ptr<playback::TVideoState> TakeState();

  int Fsws_flags = SWS_BICUBIC;
  int Fframe_width = 0, Fframe_height = 0;
  int Fframe_pix_fmt = -1;
  int Ffs_screen_width = 0, Ffs_screen_height = 0;
  int Fscreen_width = 0, Fscreen_height = 0;
  bool Faudio_disable = false, Fvideo_disable = false, Fdisplay_disable = false;
  int Fwanted_stream[7] = {-1, -1, -1, -1, -1, -1, -1};
  int Fseek_by_bytes = -1;
  std::atomic<int64_t> Fstart_time{NoTimestamp};
  int Fdebug = 0;
  std::atomic<bool> Fstep{false};
  int Fskip_frame = 0, Fskip_idct = 0, Fskip_loop_filter = 0;
  std::string Fvfilters;
  bool Fis_full_screen = false;
  std::unique_ptr<playback::TVideoState> FVideoState;
  std::atomic<int64_t> Faudio_callback_time{0};
  AVPacket* Fflush_pkt = nullptr;
  SDL_Surface* Fscreen = nullptr;  // play thread
  std::atomic<int64_t> FLastPTS{NoTimestamp};
  std::atomic<int64_t> FCurrentPTS{-1};
  // Held per event by the play thread and by the client's operations; teardown takes it. (Waits
  // for it poll try_lock: a timed lock is not seen by the thread checker's lock bookkeeping.)
  mutable std::recursive_mutex FDataLock;
  TEvent FSeekEvent{true, true};
  TEvent FPictEvent{true, true};
  TEvent FStopEvent{true, true};
  std::shared_ptr<playback::TPlayEventRing> FPlayEvent;  // the current playback's ring
  std::atomic<bool> FSeeking{false};
  std::atomic<bool> FVerticalFlip{false};
  std::unique_ptr<TRGBConvertContext> FHookContext;

 private:
  friend class TPlayThread;
  friend class TEventThread;
  bool AttachSDLToWindow(HWND AHandle);
  void DetachFromWindow();
  void WaitForStop();
  void JoinPlaybackThreads();
  void StartPlaybackThreads();
  void WaitSeekEnd();
  static constexpr std::uint64_t SeekWaitLimit = 5000;  // ms
  void DoFileOpen();
  void ShutdownSDL();
  [[nodiscard]] bool IsOpen() const { return State() != nullptr; }

  std::string FAbout;
  const AVInputFormat* Ffile_iformat = nullptr;
  std::string Finput_filename;
  std::string FLastErrMsg;
  std::unique_ptr<TAVProbe> FAVProbe;
  HWND FScreenHandle = 0;
  float FAspectRatio = 0;
  std::atomic<TAudioVolume> FAudioVolume{128};
  TShowAudio FShowAudio = TShowAudio::saWave;
  std::atomic<bool> FMute{false};
  // Read by the playback's threads at every position (the play-time limit).
  std::atomic<int64_t> FPlayTime{NoTimestamp};
  std::atomic<TRepeatType> FRepeatType{TRepeatType::rtStop};
  TAudioDriver FAudioDriver = TAudioDriver::adDefault;
  TVideoDriver FVideoDriver = TVideoDriver::vdDefault;
  std::unique_ptr<TRGBConvertContext> FRGBContext;
  bool FHook = false;
  bool FTriggerEventInMainThread = true;
  std::atomic<TPlayState> FState{TPlayState::psStop};
  std::unique_ptr<TThread> FPlayThread;
  std::unique_ptr<TThread> FEventThread;
  // An event thread whose handler stopped the playback: it ends once that handler has returned,
  // and is joined at the next stop or open, or at destruction.
  std::unique_ptr<TThread> FRetiredEventThread;
  std::atomic<int> FDelivering{0};  // OnPosition/OnState handlers running now
  // Positions and states posted to the GUI thread and not yet delivered, oldest first: a new one
  // replaces the newest when that is of the same kind. A queued call is under way while
  // FNewsQueued is set.
  std::mutex FNewsLock;
  std::deque<playback::TPlayEventItem> FNewsPending;
  bool FNewsQueued = false;
  TLiveness FNews;
  void PostNews(const playback::TPlayEventItem& AItem);
  // GUI thread: delivers what was posted before the call began.
  void DeliverNews(const TLiveness::TAlive& AAlive);
  void DeliverItem(const playback::TPlayEventItem& AItem);
  // Set first thing by the destructor: from then on no handler is called. The handlers themselves
  // are left alone until the playback's threads, which read them, have ended.
  std::atomic<bool> FDestroying{false};
  mutable std::mutex FStateTakeLock;
  bool FSDLInitialised = false;
  HWND FHookedWindow = 0;  // host window whose procedure the player replaced
  LONG_PTR FPreviousProc = 0;

 public:
  // Used by the event thread and the host window procedure.
  void DoPosition(int64_t APTS);
  void DoState(TPlayState AState);
  [[nodiscard]] HWND HookedWindow() const { return FHookedWindow; }
  [[nodiscard]] LONG_PTR PreviousProc() const { return FPreviousProc; }
};

// The published form of the player.
class TFFPlayer : public TCustomPlayer {
 public:
  using TCustomPlayer::TCustomPlayer;
};
