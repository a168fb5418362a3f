#include "Src/FFPlayState.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "Src/FFPlay.h"
#include "Src/libsdl.h"

namespace playback {

double WallClock() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count() / 1000000.0;
}

// ---- waiting while paused ------------------------------------------------------------------

bool PlaybackIdle(const TVideoState& S) {
  return S.paused && !S.abort_request && !S.seek_req && !S.seek_paused && !S.open_paused && !S.Owner->Fstep;
}

void WakePlayback(TVideoState& S) {
  // Taking the lock orders the change before a waiter's next look at its condition.
  { std::lock_guard lock(S.idle_mutex); }
  S.idle_cond.notify_all();
}

void WaitWhile(TVideoState& S, const std::function<bool()>& AIdle, int ATimeoutMs) {
  std::unique_lock lock(S.idle_mutex);
  S.idle_cond.wait_for(lock, std::chrono::milliseconds(ATimeoutMs), [&] { return !AIdle(); });
}

void Nap(TVideoState& S, int AMs) {
  if (PlaybackIdle(S))
    WaitWhile(S, [&] { return PlaybackIdle(S); }, PausedNapMs);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(AMs));
}

// ---- packet queue --------------------------------------------------------------------------

int TPacketQueue::Put(AVPacket* APacket) {
  {
    std::lock_guard lock(FMutex);
    FPackets.push_back({APacket, 0});
    FSize += APacket->size + PacketOverhead;
  }
  FCond.notify_all();
  return 0;
}

int TPacketQueue::PutFlush() {
  int serial;
  {
    std::lock_guard lock(FMutex);
    serial = ++FFlushSerial;
    FPackets.push_back({const_cast<AVPacket*>(FFlush), serial});
    FSize += FFlush->size + PacketOverhead;
  }
  FCond.notify_all();
  return serial;
}

int TPacketQueue::Get(AVPacket*& APacket, bool ABlock, int* AFlushSerial) {
  std::unique_lock lock(FMutex);
  for (;;) {
    if (FAbort) return -1;
    if (!FPackets.empty()) {
      const TEntry entry = FPackets.front();
      FPackets.pop_front();
      APacket = entry.Packet;
      FSize -= APacket->size + PacketOverhead;
      if (AFlushSerial && entry.FlushSerial != 0) *AFlushSerial = entry.FlushSerial;
      return 1;
    }
    if (!ABlock) return 0;
    FCond.wait(lock);
  }
}

void TPacketQueue::Flush() {
  std::lock_guard lock(FMutex);
  for (TEntry& e : FPackets)
    if (e.Packet != FFlush) av::av_packet_free(&e.Packet);
  FPackets.clear();
  FSize = 0;
}

void TPacketQueue::Abort() {
  {
    std::lock_guard lock(FMutex);
    FAbort = true;
  }
  FCond.notify_all();
}

int TPacketQueue::Count() const {
  std::lock_guard lock(FMutex);
  return static_cast<int>(FPackets.size());
}

int TPacketQueue::Size() const {
  std::lock_guard lock(FMutex);
  return FSize;
}

bool TPacketQueue::Aborted() const {
  std::lock_guard lock(FMutex);
  return FAbort;
}

// ---- event ring ----------------------------------------------------------------------------

void TPlayEventRing::Push(const TPlayEventItem& AItem) {
  {
    std::lock_guard lock(FLock);
    const int newest = (FTailer + Slots - 1) % Slots;
    if (FHeader == FTailer || FEvents[newest].Kind != AItem.Kind) {
      FTailer = (FTailer + 1) % Slots;
      if (FTailer == FHeader) FHeader = (FHeader + 1) % Slots;
    }
    FEvents[(FTailer + Slots - 1) % Slots] = AItem;
  }
  FEvent.notify_all();
}

TPlayEventItem TPlayEventRing::Pop() {
  std::lock_guard lock(FLock);
  if (FHeader == FTailer) return {};
  TPlayEventItem item = FEvents[FHeader];
  FHeader = (FHeader + 1) % Slots;
  return item;
}

bool TPlayEventRing::Wait(int ATimeoutMs) {
  std::unique_lock lock(FLock);
  return FEvent.wait_for(lock, std::chrono::milliseconds(ATimeoutMs), [this] { return FHeader != FTailer; });
}

// ---- pure rules ----------------------------------------------------------------------------

int CorrectedAudioSize(int ASize, int ABytesPerFrame, double ADiff, int ASampleRate) {
  const int n = ABytesPerFrame;
  int wanted = ASize + static_cast<int>(std::lround(ADiff * ASampleRate)) * n;
  const int frames = ASize / n;
  const int minimum = (frames * (100 - SampleCorrectionPercentMax) / 100) * n;
  const int maximum = (frames * (100 + SampleCorrectionPercentMax) / 100) * n;
  return std::clamp(wanted, minimum, maximum);
}

uint32_t RGBAToAYUV(uint32_t AEntry) {
  const int a = (AEntry >> 24) & 0xFF, r = (AEntry >> 16) & 0xFF, g = (AEntry >> 8) & 0xFF, b = AEntry & 0xFF;
  const int y = (263 * r + 517 * g + 101 * b + 16896) >> 10;
  const int u = ((-152 * r - 298 * g + 450 * b + 511) >> 10) + 128;
  const int v = ((450 * r - 377 * g - 74 * b + 511) >> 10) + 128;
  return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(y & 0xFF) << 16) |
         (static_cast<uint32_t>(u & 0xFF) << 8) | static_cast<uint32_t>(v & 0xFF);
}

TDisplayRect FitPicture(int AAreaWidth, int AAreaHeight, float AAspect) {
  int h = AAreaHeight;
  int w = static_cast<int>(std::lround(h * AAspect)) & ~1;
  if (w > AAreaWidth) {
    w = AAreaWidth;
    h = static_cast<int>(std::lround(w / AAspect)) & ~1;
  }
  return {(AAreaWidth - w) / 2, (AAreaHeight - h) / 2, w, h};
}

float DisplayAspect(float AAspectRatio, int AAreaWidth, int AAreaHeight, AVRational ASampleAspect, int AWidth,
                    int AHeight) {
  if (AAspectRatio < 0 && AAreaWidth != 0 && AAreaHeight != 0)
    return static_cast<float>(AAreaWidth) / static_cast<float>(AAreaHeight);
  if (AAspectRatio > 0) return AAspectRatio;
  float pixel = 0;
  if (ASampleAspect.num != 0 && ASampleAspect.den != 0)
    pixel = static_cast<float>(ASampleAspect.num) / static_cast<float>(ASampleAspect.den);
  if (pixel <= 0) pixel = 1;
  if (AHeight <= 0) return 1;
  return pixel * static_cast<float>(AWidth) / static_cast<float>(AHeight);
}

TPositionDecision DecidePosition(int64_t APosition, int64_t ADuration, int64_t& ALastSent) {
  if (ADuration > 0 && APosition >= ADuration) {
    APosition = ADuration;
    if (ALastSent != ADuration) ALastSent = 0;  // the end position is always sent
  }
  const bool send = ALastSent == NoTimestamp || std::llabs(APosition - ALastSent) > 10000;
  if (send) ALastSent = APosition;
  return {APosition, send};
}

void BlendSubtitleRect(uint8_t* const APlanes[3], const int ALinesizes[3], const AVSubtitleRect& ARect,
                       int AImageWidth, int AImageHeight) {
  const int w = std::clamp(ARect.w, 0, AImageWidth);
  const int h = std::clamp(ARect.h, 0, AImageHeight);
  const int x0 = std::clamp(ARect.x, 0, AImageWidth - w);
  const int y0 = std::clamp(ARect.y, 0, AImageHeight - h);
  if (w == 0 || h == 0 || !ARect.data[0] || !ARect.data[1]) return;
  const auto* palette = reinterpret_cast<const uint32_t*>(ARect.data[1]);
  auto entry = [&](int x, int y) { return palette[ARect.data[0][(y - y0) * ARect.linesize[0] + (x - x0)]]; };
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      const uint32_t e = entry(x, y);
      const int a = e >> 24, yy = (e >> 16) & 0xFF;
      uint8_t& p = APlanes[0][y * ALinesizes[0] + x];
      p = static_cast<uint8_t>((p * (255 - a) + yy * a) / 255);
    }
  for (int cy = y0 / 2; cy <= (y0 + h - 1) / 2; ++cy)
    for (int cx = x0 / 2; cx <= (x0 + w - 1) / 2; ++cx) {
      int k = 0, su = 0, sv = 0, sa = 0;
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          const int x = cx * 2 + dx, y = cy * 2 + dy;
          if (x < x0 || x >= x0 + w || y < y0 || y >= y0 + h) continue;
          const uint32_t e = entry(x, y);
          ++k;
          sa += e >> 24;
          su += (e >> 8) & 0xFF;
          sv += e & 0xFF;
        }
      if (k == 0) continue;
      const int a = sa >> 2;
      uint8_t& u = APlanes[1][cy * ALinesizes[1] + cx];
      uint8_t& v = APlanes[2][cy * ALinesizes[2] + cx];
      u = static_cast<uint8_t>((u * k * (255 - a) + su * a) / (255 * k));
      v = static_cast<uint8_t>((v * k * (255 - a) + sv * a) / (255 * k));
    }
}

// ---- state and clocks ----------------------------------------------------------------------

TVideoState::TVideoState(TCustomPlayer* AOwner, const AVPacket* AFlushPacket)
    : Owner(AOwner), flush_pkt(AFlushPacket) {}

TVideoState::~TVideoState() {
  for (TPictureSlot& slot : pictq)
    if (slot.overlay) {
      sdl::SDL_FreeYUVOverlay(slot.overlay);
      slot.overlay = nullptr;
    }
  for (TSubtitleSlot& slot : subpq) FreeSubtitleSlot(slot);
  if (audio_frame) av::av_frame_free(&audio_frame);
  FreeAudioConverter(*this);
}

double GetAudioClock(const TVideoState& S) {
  std::lock_guard lock(S.audio_lock);
  double pts = S.audio_clock;
  const int bytesPerSec = S.audio_rate * 2 * S.audio_channels;
  if (S.audio_st && bytesPerSec != 0 && !S.audio_buf_silent) {
    // Still to be heard: what the decoded frame has not handed over yet, what the last callback
    // handed over and the device's own buffer ahead of it; the device has played on since that
    // callback, by at most what it was handed.
    const double handed = static_cast<double>(S.audio_write_bytes) / bytesPerSec;
    const double played = S.paused ? 0 : std::clamp(WallClock() - S.audio_callback_clock, 0.0, handed);
    pts -= static_cast<double>(S.audio_buf_size - S.audio_buf_index + S.audio_hw_buf_size) / bytesPerSec + handed -
           played;
  }
  return pts;
}

double GetVideoClock(const TVideoState& S) {
  std::lock_guard lock(S.clock_lock);
  if (S.paused) return S.video_current_pts;
  if (S.video_current_pts_drift != 0) return WallClock() + S.video_current_pts_drift;
  return S.StartTime / 1000000.0;
}

double GetExternalClock(const TVideoState& S) {
  const double now = WallClock() * 1000000.0;
  return S.external_clock + (now - static_cast<double>(S.external_clock_time)) * 0.000001;
}

double GetMasterClock(const TVideoState& S) {
  switch (S.av_sync_type) {
    // The stream numbers, not the stream pointers: another thread may close a component meanwhile.
    case AV_SYNC_VIDEO_MASTER:
      return S.video_stream >= 0 ? GetVideoClock(S) : GetAudioClock(S);
    case AV_SYNC_AUDIO_MASTER:
      return S.audio_stream >= 0 ? GetAudioClock(S) : GetVideoClock(S);
    default:
      return GetExternalClock(S);
  }
}

double ComputeTargetTime(TVideoState& S, double APts) {
  double delay = APts - S.frame_last_pts;
  if (delay <= 0 || delay >= NoSyncThreshold)
    delay = S.frame_last_delay;
  else
    S.frame_last_delay = delay;
  S.frame_last_pts = APts;
  if ((S.av_sync_type == AV_SYNC_AUDIO_MASTER && S.audio_stream >= 0) || S.av_sync_type == AV_SYNC_EXTERNAL_CLOCK) {
    // Half a picture's distance is let pass: with a whole one the pictures wandered up to a
    // picture away from their sound before anything was corrected. Late pictures catch up by what
    // they are behind; early ones are held one distance longer.
    const double diff = GetVideoClock(S) - GetMasterClock(S);
    const double threshold = std::max(delay / 2, MinSyncThreshold);
    if (std::fabs(diff) < NoSyncThreshold) {
      if (diff <= -threshold)
        delay = std::max(0.0, delay + diff);
      else if (diff >= threshold)
        delay = 2 * delay;
    }
  }
  S.frame_timer += delay;
  return S.frame_timer;
}

}  // namespace playback
