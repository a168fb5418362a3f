#pragma once
// The embedded player's per-playback state: packet queues between the read thread and the
// decoders, the two-slot picture queue between the video thread and the display, the subtitle
// queue, the clocks and the synchronisation rules, and the event ring through which the player's
// threads report positions and play states. The threads that use them live in FFPlayRead,
// FFPlayAudio, FFPlayVideo, FFPlayDisplay and FFPlayEvents; the component is TCustomPlayer (FFPlay.h).
//
// Locks, in the order they may nest (a thread holding one takes only those after it):
//   the player's data lock (held by the event loop per event, and by the client's operations)
//   → stream_switch_lock → CodecLock()
//   → pictq_mutex → a picture slot's data_lock
//   → audio_lock → clock_lock.
// Packet queue mutexes, subpq_mutex and the event ring's lock are leaves. Which lock guards which
// fields is noted at the fields of TVideoState.

#include <SDL/SDL.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Src/AVCodecStubs.h"
#include "Src/AVFilterStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/SwResampleStubs.h"
#include "Src/SwScaleStubs.h"

class TCustomPlayer;

// The synchronisation master.
enum Tav_sync_type { AV_SYNC_AUDIO_MASTER, AV_SYNC_VIDEO_MASTER, AV_SYNC_EXTERNAL_CLOCK };

enum class TPlayState { psPlay, psPause, psResume, psStep, psStop, psEnd };

namespace playback {

// Constants of synchronisation and queueing.
inline constexpr int PictureQueueSize = 2;
inline constexpr int SubtitleQueueSize = 4;
inline constexpr int AudioDeviceSamples = 1024;
inline constexpr double NoSyncThreshold = 10.0;       // seconds: larger differences are not corrected
inline constexpr double MinSyncThreshold = 0.01;      // seconds
inline constexpr int SampleCorrectionPercentMax = 10;  // a frame grows or shrinks by at most 10 %
inline constexpr int AudioDiffAvgNb = 20;              // measurements before the audio is corrected
inline constexpr float FrameSkipFactor = 0.05f;
inline constexpr double LatePictureLimit = 0.5;        // seconds behind the next picture's target
inline constexpr int MaxQueueSize = 15 * 1024 * 1024;  // bytes in all packet queues together
inline constexpr int MinAudioQueueSize = 20 * 16 * 1024;
inline constexpr int MinFrames = 5;                    // video or subtitle packets
inline constexpr int SampleArraySize = 2 * 65536;
inline constexpr int PacketOverhead = 72;              // bytes counted per queued packet

// The wall clock of the player, seconds.
[[nodiscard]] double WallClock();

// ---------------------------------------------------------------------------------------------
// Packet queue: a FIFO of demuxed packets for one open stream. The flush packet is queued by
// pointer; it tells the decoder to flush and is never freed by a queue. Each queued flush has a
// number (1, 2, … per queue), so that a reader knows which flush its packets follow.
class TPacketQueue {
 public:
  explicit TPacketQueue(const AVPacket* AFlushPacket) : FFlush(AFlushPacket) {}
  TPacketQueue(const TPacketQueue&) = delete;
  TPacketQueue& operator=(const TPacketQueue&) = delete;
  ~TPacketQueue() { Flush(); }

  // Takes ownership of APacket (allocated with av_packet_alloc) unless it is the flush packet.
  // Always 0.
  int Put(AVPacket* APacket);
  // Queues the flush packet: the reader resets its decoder when it takes it. Answers its number.
  int PutFlush();
  // 1 with the oldest packet in APacket (the caller owns it unless it is the flush packet), 0 when
  // empty and not blocking, -1 once the queue is aborted (also when packets remain). A flush packet
  // taken gives its number in AFlushSerial when that is given.
  int Get(AVPacket*& APacket, bool ABlock, int* AFlushSerial = nullptr);
  // Frees every queued packet; the abort mark stays.
  void Flush();
  // Wakes every blocked reader for good.
  void Abort();

  [[nodiscard]] bool IsFlushPacket(const AVPacket* APacket) const { return APacket == FFlush; }
  [[nodiscard]] int Count() const;
  [[nodiscard]] int Size() const;
  [[nodiscard]] bool Aborted() const;

 private:
  const AVPacket* FFlush;
  mutable std::mutex FMutex;
  std::condition_variable FCond;
  struct TEntry {
    AVPacket* Packet;
    int FlushSerial;  // the flush packet's number; 0 for other packets
  };
  std::deque<TEntry> FPackets;
  int FSize = 0;
  int FFlushSerial = 0;
  bool FAbort = false;
};

// ---------------------------------------------------------------------------------------------
// One decoded picture waiting for (or on) the screen. The overlay belongs to the slot.
struct TPictureSlot {
  double pts = 0;
  double due_time = 0;      // wall clock at which it is due (guarded by pictq_mutex)
  int64_t pos = -1;
  SDL_Overlay* overlay = nullptr;
  int width = 0, height = 0;  // the filter output size, each rounded down to even
  bool allocated = false;     // guarded by pictq_mutex
  AVRational sample_aspect{0, 1};
  std::mutex data_lock;       // held while the overlay's pixels are written or read
};

// One decoded bitmap subtitle; the palette entries hold alpha, Y, U, V after the subtitle thread.
struct TSubtitleSlot {
  double pts = 0;
  AVSubtitle subtitle{};
  bool used = false;
};

// ---------------------------------------------------------------------------------------------
// The event ring of one playback: at most nine undelivered events; a new event replaces the
// newest undelivered one when that is of the same kind.
enum TPlayEventKind { pekNone = 0, pekPosition = 1, pekState = 2, pekStop = 3 };

struct TPlayEventItem {
  int Kind = pekNone;
  int64_t Value = 0;
};

class TPlayEventRing {
 public:
  static constexpr int Slots = 10;
  void Push(const TPlayEventItem& AItem);
  // The oldest undelivered event, or Kind pekNone when there is none.
  TPlayEventItem Pop();
  // Waits until an event is waiting (or the timeout in milliseconds passes); true when one is.
  bool Wait(int ATimeoutMs);

 private:
  std::mutex FLock;
  std::condition_variable FEvent;
  int FHeader = 0, FTailer = 0;
  std::array<TPlayEventItem, Slots> FEvents{};
};

// ---------------------------------------------------------------------------------------------
// Pure rules, kept apart so that they can be checked without a playback.

// The byte count to play of an audio frame of ASize bytes (n bytes a sample frame) when it is to
// be corrected by ADiff seconds at ASampleRate: the corrected size clamped to ±10 % of the frame's
// sample frames. The caller has decided that a correction is due.
[[nodiscard]] int CorrectedAudioSize(int ASize, int ABytesPerFrame, double ADiff, int ASampleRate);

// The palette entry (alpha, red, green, blue) as alpha, Y, U, V (studio range, fixed point).
[[nodiscard]] uint32_t RGBAToAYUV(uint32_t AEntry);

// The rectangle inside an area of AAreaWidth x AAreaHeight that shows a picture of display aspect
// AAspect, centred, width and height even.
struct TDisplayRect {
  int x, y, w, h;
};
[[nodiscard]] TDisplayRect FitPicture(int AAreaWidth, int AAreaHeight, float AAspect);

// The display aspect of a picture of AWidth x AHeight with the pixel aspect ASampleAspect, with the
// player's AspectRatio rule (> 0 forced, 0 the picture's, < 0 the area's).
[[nodiscard]] float DisplayAspect(float AAspectRatio, int AAreaWidth, int AAreaHeight, AVRational ASampleAspect,
                                  int AWidth, int AHeight);

// Decides what position to send: the position clamped to a positive duration, and whether it
// moved far enough (more than 10 ms, or nothing sent yet, or the end) to be sent. ALastSent is
// updated when it is to be sent.
struct TPositionDecision {
  int64_t Position;
  bool Send;
};
[[nodiscard]] TPositionDecision DecidePosition(int64_t APosition, int64_t ADuration, int64_t& ALastSent);

// Blends one bitmap subtitle rectangle (palette already alpha, Y, U, V) into a YUV 4:2:0 picture.
void BlendSubtitleRect(uint8_t* const APlanes[3], const int ALinesizes[3], const AVSubtitleRect& ARect,
                       int AImageWidth, int AImageHeight);

// ---------------------------------------------------------------------------------------------
// The state of one opened file. Fields without a note are owned by the read thread (opening) and
// read by the others afterwards.
struct TVideoState {
  explicit TVideoState(TCustomPlayer* AOwner, const AVPacket* AFlushPacket);
  TVideoState(const TVideoState&) = delete;
  TVideoState& operator=(const TVideoState&) = delete;
  ~TVideoState();

  TCustomPlayer* Owner;
  const AVPacket* flush_pkt;

  std::thread parse_tid, video_tid, refresh_tid, subtitle_tid;
  const AVInputFormat* iformat = nullptr;
  std::string filename;

  std::atomic<int> abort_request{0};
  std::atomic<int> paused{0};
  int last_paused = 0;
  std::atomic<int> seek_req{0};
  int seek_flags = 0;
  int64_t seek_pos = 0;
  int64_t seek_rel = 0;
  std::atomic<int> read_pause_return{0};
  AVFormatContext* ic = nullptr;

  Tav_sync_type av_sync_type = AV_SYNC_AUDIO_MASTER;
  double external_clock = 0;       // nothing sets it
  int64_t external_clock_time = 0;

  // Audio. audio_lock guards everything from audio_st to sample_array_index: the audio callback
  // holds it while it runs, opening and closing the audio component take it to change them, and
  // the audio clock and the wave display read under it.
  mutable std::recursive_mutex audio_lock;
  std::atomic<int> audio_stream{-1};
  AVStream* audio_st = nullptr;
  AVCodecContext* audio_dec = nullptr;
  std::unique_ptr<TPacketQueue> audioq;
  double audio_clock = 0;
  double audio_diff_cum = 0;
  double audio_diff_avg_coef = 0;
  double audio_diff_threshold = 0;
  int audio_diff_avg_count = 0;
  int audio_hw_buf_size = 0;
  int audio_channels = 0;     // device channels
  int audio_rate = 0;         // device sample rate
  std::vector<uint8_t> audio_buf1;  // converted samples of the current frame
  std::vector<uint8_t> audio_buf2;  // the frame after a stretching correction
  std::vector<uint8_t> silence;
  const uint8_t* audio_buf = nullptr;
  unsigned audio_buf_size = 0;
  unsigned audio_buf_index = 0;
  // audio_buf holds the silence played while no sound is decoded: none of it is the stream's, so
  // the audio clock does not count it as sound still to be played.
  bool audio_buf_silent = false;
  // The wall clock of the device's last callback and the bytes it took then: the device plays
  // them after the buffer it already holds.
  double audio_callback_clock = 0;
  int audio_write_bytes = 0;
  AVFrame* audio_frame = nullptr;
  SwrContext* swr_ctx = nullptr;
  int swr_src_fmt = -1, swr_src_rate = 0, swr_src_channels = 0;
  bool audio_device_open = false;

  std::atomic<int> show_audio{0};
  std::vector<int16_t> sample_array = std::vector<int16_t>(SampleArraySize);
  int sample_array_index = 0;
  int last_i_start = 0;  // play thread
  int xpos = 0;          // play thread

  // Subtitles.
  std::atomic<int> subtitle_stream{-1};
  AVStream* subtitle_st = nullptr;
  AVCodecContext* subtitle_dec = nullptr;
  std::unique_ptr<TPacketQueue> subtitleq;
  std::atomic<int> subtitle_stream_changed{0};
  std::array<TSubtitleSlot, SubtitleQueueSize> subpq{};
  int subpq_size = 0;  // guarded by subpq_mutex
  int subpq_rindex = 0, subpq_windex = 0;
  std::mutex subpq_mutex;
  std::condition_variable subpq_cond;

  // Video. The picture timing (frame_timer, frame_last_pts, frame_last_delay, skip_frames) is
  // guarded by pictq_mutex; the video clock (video_current_pts, video_current_pts_drift,
  // video_current_pos) by clock_lock.
  double frame_timer = 0;
  double frame_last_pts = 0;
  double frame_last_delay = 0;
  std::atomic<double> video_clock{0};  // time of the next picture (video thread writes)
  std::atomic<int> video_stream{-1};
  AVStream* video_st = nullptr;
  AVCodecContext* video_dec = nullptr;
  std::unique_ptr<TPacketQueue> videoq;
  mutable std::mutex clock_lock;
  double video_current_pts = 0;
  double video_current_pts_drift = 0;
  std::atomic<bool> picture_shown{false};  // a picture has been on screen (play thread sets it)
  int64_t video_current_pos = -1;

  std::array<TPictureSlot, PictureQueueSize> pictq{};
  int pictq_size = 0;  // guarded by pictq_mutex
  int pictq_rindex = 0, pictq_windex = 0;
  int pictq_shown = -1;  // slot whose picture is on screen (guarded by pictq_mutex)
  std::mutex pictq_mutex;
  std::condition_variable pictq_cond;
  int filter_width = 0, filter_height = 0;  // size of the filter output (guarded by pictq_mutex)
  AVPixelFormat filter_format = AV_PIX_FMT_NONE;

  int width = 0, height = 0, xleft = 0, ytop = 0;  // display area (play thread)

  float skip_frames = 1;        // pictq_mutex
  float skip_frames_index = 0;  // video thread
  std::atomic<int> refresh{0};

  std::atomic<int> Opened{0};  // 0 opening, 1 open, -1 failed and tearing down, -2 torn down
  int64_t StartTime = 0;
  int64_t Duration = -1;
  int64_t AudioDuration = -1;
  bool IsImage2 = false;
  bool IsDevice = false;
  std::atomic<int> ErrorEOF{0};
  std::atomic<int> EventEOF{0};
  std::atomic<int> ReachEOF{0};
  std::atomic<int> Reading{0};    // the read thread is inside a demuxer read
  std::atomic<bool> ReadDone{false};  // the read thread has closed everything and is ending
  std::atomic<int> open_paused{0};
  std::atomic<int> seek_paused{0};
  std::atomic<int> seek_done{0};
  // The number of the video queue's flush that the last seek queued, and of the last flush the
  // video thread took: pictures decoded while they differ are from before the seek.
  std::atomic<int> seek_flush_serial{0};
  std::atomic<int> video_flush_serial{0};
  std::atomic<bool> eof_mark{false};  // the demuxer reported the end (read thread writes)

  // Held by the client thread while it closes and opens stream components: the read thread does
  // not route packets meanwhile.
  std::mutex stream_switch_lock;

  // Threads with nothing to do while the playback is paused wait here instead of polling;
  // WakePlayback rouses them at every change that may give them work.
  std::mutex idle_mutex;
  std::condition_variable idle_cond;
};

// True while the playback is paused and nothing waits to be done: no seek, no step, no picture
// of an opening or a paused seek still to come, no abort.
[[nodiscard]] bool PlaybackIdle(const TVideoState& S);
// Wakes every thread waiting in WaitWhile. Called after a change to the pause, a seek request, a
// queued picture, a queue's abort and the abort request.
void WakePlayback(TVideoState& S);
// Waits while AIdle answers true, asked again at every WakePlayback, for at most ATimeoutMs (the
// callers ask again after that, so a change without a wake is seen late, never missed).
void WaitWhile(TVideoState& S, const std::function<bool()>& AIdle, int ATimeoutMs);
// Sleeps AMs milliseconds; while the playback is idle (PlaybackIdle) it sleeps until woken instead,
// for at most PausedNapMs.
void Nap(TVideoState& S, int AMs);
inline constexpr int PausedNapMs = 1000;

// Clocks, seconds.
[[nodiscard]] double GetAudioClock(const TVideoState& S);
[[nodiscard]] double GetVideoClock(const TVideoState& S);
[[nodiscard]] double GetExternalClock(const TVideoState& S);
[[nodiscard]] double GetMasterClock(const TVideoState& S);
// The wall-clock time at which a picture of APts is due; advances frame_timer. Video thread, under
// pictq_mutex.
[[nodiscard]] double ComputeTargetTime(TVideoState& S, double APts);

// ---------------------------------------------------------------------------------------------
// The threads and steps of one playback (see the files named in the header comment).

// FFPlayRead
bool OpenVideoState(TCustomPlayer* APlayer, const std::string& AFileName, const AVInputFormat* AFormat,
                    bool APaused);
int OpenStreamComponent(TVideoState& S, int AIndex);
void CloseStreamComponent(TVideoState& S, int AIndex);
bool SwitchStream(TVideoState& S, int AType, int AIndex);
void RequestSeek(TVideoState& S, int AFlags, bool AWait, int64_t APos, int64_t ARel);
void TogglePauseState(TVideoState& S);
void CloseVideoState(TVideoState& S);
void ShutdownPlayback(TCustomPlayer* APlayer);

// FFPlayAudio
void AudioCallback(void* AState, Uint8* AStream, int ALen);
void FreeAudioConverter(TVideoState& S);

// FFPlayVideo
void VideoThreadProc(TVideoState* S);
void RefreshThreadProc(TVideoState* S);
void SubtitleThreadProc(TVideoState* S);
void VideoRefresh(TVideoState& S, bool AAdvance);
void FreeSubtitleSlot(TSubtitleSlot& ASlot);

// FFPlayDisplay
// The depth to ask SDL for: 0 (the desktop's) unless that is too small for YUV overlays.
int SurfaceDepth();
int OpenVideoSurface(TVideoState& S, bool AForce);
void DisplayVideo(TVideoState& S);
void AllocPictureOverlay(TVideoState& S);
void ClearDisplayArea(TVideoState& S);

// FFPlayEvents: SDL event numbers of the player's own events.
inline constexpr int FF_ALLOC_EVENT = SDL_USEREVENT + 1;
inline constexpr int FF_REFRESH_EVENT = SDL_USEREVENT + 2;
inline constexpr int FF_QUIT_EVENT = SDL_USEREVENT + 3;
inline constexpr int FF_REOPEN_EVENT = SDL_USEREVENT + 4;
void PushSDLEvent(int AType, void* AData = nullptr);
void NotifyPosition(TVideoState& S);
void PlayerEventLoop(TCustomPlayer* APlayer);

}  // namespace playback
