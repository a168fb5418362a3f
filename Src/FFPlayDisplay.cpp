// Drawing of a playback (play thread): the SDL video surface, the picture overlays with their
// subtitles, the audio displays of files without pictures, and the frame hook of the video thread.
#include <algorithm>
#include <climits>
#include <cmath>
#include <complex>
#include <cstring>

#include "Src/FFPlay.h"
#include "Src/FFmpegLogger.h"
#include "Src/libsdl.h"

namespace playback {

int SurfaceDepth() {
  // The desktop's depth, but never below 16 bits: YUV overlays need 16, 24 or 32 bits a pixel
  // (SDL's dummy driver reports an 8-bit desktop).
  const SDL_VideoInfo* info = sdl::SDL_GetVideoInfo();
  const int depth = info && info->vfmt ? info->vfmt->BitsPerPixel : 0;
  return depth >= 16 ? 0 : 32;
}

int OpenVideoSurface(TVideoState& S, bool AForce) {
  TCustomPlayer* P = S.Owner;
  int w, h;
  if (P->is_full_screen() && P->Ffs_screen_width > 0) {
    w = P->Ffs_screen_width;
    h = P->Ffs_screen_height;
  } else if (!P->is_full_screen() && P->ScreenWidth() > 0) {
    w = P->ScreenWidth();
    h = P->ScreenHeight();
  } else {
    w = 640;
    h = 480;
    std::lock_guard lock(S.pictq_mutex);
    if (S.filter_width > 0 && S.filter_height > 0) {
      w = S.filter_width & ~1;
      h = S.filter_height & ~1;
    }
  }
  if (!AForce && P->Fscreen && S.width == P->Fscreen->w && S.height == P->Fscreen->h && w == S.width &&
      h == S.height)
    return 0;
  const Uint32 flags = P->is_full_screen() ? SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_HWACCEL | SDL_FULLSCREEN
                                           : SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_HWACCEL | SDL_RESIZABLE;
  SDL_Surface* screen = sdl::SDL_SetVideoMode(w, h, SurfaceDepth(), flags);
  if (!screen) {
    GetLogger()->Log(P, TLogLevel::llError, "SDL: could not set video mode.");
    return -1;
  }
  P->Fscreen = screen;
  if (!P->ScreenHandle()) sdl::SDL_WM_SetCaption("FFPlayer", "FFPlayer");
  S.width = screen->w;
  S.height = screen->h;
  return 0;
}

namespace {

void BlendSubtitles(TVideoState& S, TPictureSlot& APicture) {
  int queued;
  {
    std::lock_guard lock(S.subpq_mutex);
    queued = S.subpq_size;
  }
  if (queued == 0) return;
  const TSubtitleSlot& sp = S.subpq[S.subpq_rindex];
  if (APicture.pts < sp.pts + sp.subtitle.start_display_time / 1000.0) return;
  SDL_Overlay* o = APicture.overlay;
  sdl::SDL_LockYUVOverlay(o);
  uint8_t* planes[3] = {o->pixels[0], o->pixels[2], o->pixels[1]};
  const int lines[3] = {o->pitches[0], o->pitches[2], o->pitches[1]};
  for (unsigned i = 0; i < sp.subtitle.num_rects; ++i)
    BlendSubtitleRect(planes, lines, *sp.subtitle.rects[i], o->w, o->h);
  sdl::SDL_UnlockYUVOverlay(o);
}

void DisplayVideoImage(TVideoState& S) {
  TCustomPlayer* P = S.Owner;
  const int index = S.pictq_rindex;
  TPictureSlot& slot = S.pictq[index];
  AVRational sampleAspect;
  {
    std::lock_guard queue(S.pictq_mutex);
    sampleAspect = slot.sample_aspect;
  }
  {
    std::lock_guard data(slot.data_lock);
    if (!slot.overlay) return;
    const float aspect = DisplayAspect(P->AspectRatio(), S.width, S.height, sampleAspect, slot.width, slot.height);
    if (S.subtitle_st) BlendSubtitles(S, slot);
    const TDisplayRect r = FitPicture(S.width, S.height, aspect);
    SDL_Rect rect{static_cast<Sint16>(S.xleft + r.x), static_cast<Sint16>(S.ytop + r.y), static_cast<Uint16>(r.w),
                  static_cast<Uint16>(r.h)};
    sdl::SDL_DisplayYUVOverlay(slot.overlay, &rect);
    if (P->Probe.Picture) {
      const double shownAt = WallClock();
      sdl::SDL_LockYUVOverlay(slot.overlay);
      P->Probe.Picture(slot.overlay->pixels[0], slot.overlay->pitches[0], slot.overlay->w, slot.overlay->h, shownAt);
      sdl::SDL_UnlockYUVOverlay(slot.overlay);
    }
  }
  // pictq_mutex comes before a slot's data lock, so it is taken after the data lock is let go.
  std::lock_guard queue(S.pictq_mutex);
  S.pictq_shown = index;
}

int Modulo(int a, int b) {
  const int r = a % b;
  return r < 0 ? r + b : r;
}

void FillRect(TVideoState& S, int x, int y, int w, int h, Uint32 AColour) {
  SDL_Rect r{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w), static_cast<Uint16>(h)};
  sdl::SDL_FillRect(S.Owner->Fscreen, &r, AColour);
}

// In-place radix-2 transform of AData (size a power of two).
void Transform(std::vector<std::complex<float>>& AData) {
  const size_t n = AData.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(AData[i], AData[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const float angle = -2.0f * static_cast<float>(M_PI) / static_cast<float>(len);
    const std::complex<float> step(std::cos(angle), std::sin(angle));
    for (size_t i = 0; i < n; i += len) {
      std::complex<float> w(1);
      for (size_t k = 0; k < len / 2; ++k, w *= step) {
        const std::complex<float> u = AData[i + k], v = AData[i + k + len / 2] * w;
        AData[i + k] = u + v;
        AData[i + k + len / 2] = u - v;
      }
    }
  }
}

void DisplayAudioWave(TVideoState& S) {
  TCustomPlayer* P = S.Owner;
  SDL_Surface* screen = P->Fscreen;
  if (!screen || S.height <= 0 || S.width <= 0) return;
  int bits = 1;
  while ((1 << bits) < 2 * S.height) ++bits;
  const int bins = 1 << (bits - 1);
  // The samples and the device's position in them, as the audio callback left them.
  std::vector<int16_t> samples;
  int channels;
  int start = S.last_i_start;
  {
    std::lock_guard lock(S.audio_lock);
    if (!S.audio_st) return;
    channels = std::max(S.audio_channels, 1);
    if (!S.paused) {
      const int used = S.show_audio == 1 ? S.width : 2 * bins;
      int delay = static_cast<int>(S.audio_buf_size - S.audio_buf_index) / (2 * channels);
      const int64_t callback = P->Faudio_callback_time;
      if (callback) {
        const int64_t now = static_cast<int64_t>(WallClock() * 1000000.0);
        delay -= static_cast<int>((now - callback) * S.audio_rate / 1000000);
      }
      delay += 2 * used;
      if (delay < used) delay = used;
      start = Modulo(S.sample_array_index - delay * channels, SampleArraySize);
    }
    samples = S.sample_array;
  }
  if (!S.paused) {
    if (S.show_audio == 1) {
      int best = INT_MIN;
      for (int i = 0; i < 1000; i += channels) {
        const int idx = Modulo(start - i, SampleArraySize);
        const int a = samples[idx];
        const int b = samples[Modulo(idx + 4 * channels, SampleArraySize)];
        const int c = samples[Modulo(idx + 5 * channels, SampleArraySize)];
        const int d = samples[Modulo(idx + 9 * channels, SampleArraySize)];
        const int score = a - d;
        if (score > best && b * c < 0) {
          best = score;
          start = idx;
        }
      }
    }
    S.last_i_start = start;
  }
  const Uint32 white = sdl::SDL_MapRGB(screen->format, 255, 255, 255);
  if (S.show_audio == 1) {
    FillRect(S, S.xleft, S.ytop, S.width, S.height, sdl::SDL_MapRGB(screen->format, 0, 0, 0));
    const int h = S.height / channels;
    for (int ch = 0; ch < channels; ++ch) {
      int i = Modulo(start + ch, SampleArraySize);
      const int centre = S.ytop + ch * h + h / 2;
      for (int x = 0; x < S.width; ++x) {
        const int y = (samples[i] * (h * 9 / 20)) >> 15;
        if (y >= 0)
          FillRect(S, S.xleft + x, centre, 1, y, white);
        else
          FillRect(S, S.xleft + x, centre + y, 1, -y, white);
        i = Modulo(i + channels, SampleArraySize);
      }
    }
    for (int ch = 1; ch < channels; ++ch) FillRect(S, S.xleft, S.ytop + ch * h, S.width, 1, white);
    sdl::SDL_UpdateRect(screen, S.xleft, S.ytop, S.width, S.height);
    return;
  }
  // Spectrum: one column a display, scrolling from left to right. A mono stream shows its one
  // channel in both colour components.
  const int drawn = std::min(channels, 2);
  std::vector<std::complex<float>> spectra[2];
  for (int ch = 0; ch < drawn; ++ch) {
    std::vector<std::complex<float>>& data = spectra[ch];
    data.resize(2 * bins);
    int i = Modulo(start + ch, SampleArraySize);
    for (int x = 0; x < 2 * bins; ++x) {
      const float w = static_cast<float>(x - bins) / static_cast<float>(bins);
      data[x] = static_cast<float>(samples[i]) * (1.0f - w * w);
      i = Modulo(i + channels, SampleArraySize);
    }
    Transform(data);
  }
  if (drawn == 1) spectra[1] = spectra[0];
  const float norm = std::sqrt(static_cast<float>(bins));
  for (int y = 0; y < S.height; ++y) {
    auto level = [&](int ch) {
      const float v = std::sqrt(std::abs(spectra[ch][y]) / norm);
      return std::min(255, static_cast<int>(std::lround(v)));
    };
    const int a = level(0), b = level(1);
    FillRect(S, S.xpos, S.ytop + S.height - 1 - y, 1, 1,
             sdl::SDL_MapRGB(screen->format, static_cast<Uint8>(a), static_cast<Uint8>(b),
                             static_cast<Uint8>((a + b) / 2)));
  }
  sdl::SDL_UpdateRect(screen, S.xpos, S.ytop, 1, S.height);
  if (++S.xpos >= S.width) S.xpos = S.xleft;
}

}  // namespace

void DisplayVideo(TVideoState& S) {
  if (!S.Owner->Fscreen) OpenVideoSurface(S, false);
  if (!S.Owner->Fscreen) return;
  if (S.audio_st && S.show_audio)
    DisplayAudioWave(S);
  else if (S.video_st)
    DisplayVideoImage(S);
}

void ClearDisplayArea(TVideoState& S) {
  SDL_Surface* screen = S.Owner->Fscreen;
  if (!screen) return;
  FillRect(S, S.xleft, S.ytop, S.width, S.height, sdl::SDL_MapRGB(screen->format, 0, 0, 0));
  sdl::SDL_UpdateRect(screen, S.xleft, S.ytop, S.width, S.height);
}

void AllocPictureOverlay(TVideoState& S) {
  TCustomPlayer* P = S.Owner;
  OpenVideoSurface(S, false);
  const int index = S.pictq_windex;
  TPictureSlot& slot = S.pictq[index];
  int w, h;
  {
    std::lock_guard lock(S.pictq_mutex);
    w = S.filter_width & ~1;
    h = S.filter_height & ~1;
    if (S.pictq_shown == index) S.pictq_shown = -1;
  }
  {
    std::lock_guard data(slot.data_lock);
    if (slot.overlay) sdl::SDL_FreeYUVOverlay(slot.overlay);
    slot.overlay = nullptr;
    if (P->Fscreen && w > 0 && h > 0) slot.overlay = sdl::SDL_CreateYUVOverlay(w, h, SDL_YV12_OVERLAY, P->Fscreen);
    slot.width = w;
    slot.height = h;
  }
  std::lock_guard lock(S.pictq_mutex);
  slot.allocated = true;
  S.pictq_cond.notify_all();
}

}  // namespace playback

bool TCustomPlayer::HookPicture(AVFrame* /*AFrame*/, uint8_t* const ADest[3], const int ADestLinesize[3],
                                int64_t APTS, int AWidth, int AHeight) {
  if (!FHook || !OnHook) return false;
  if (!FHookContext) FHookContext = std::make_unique<TRGBConvertContext>();
  const uint8_t* planes[4] = {ADest[0], ADest[1], ADest[2], nullptr};
  const int lines[4] = {ADestLinesize[0], ADestLinesize[1], ADestLinesize[2], 0};
  if (!PictureToBitmap(*FHookContext, planes, lines, AV_PIX_FMT_YUV420P, AWidth, AHeight)) {
    GetLogger()->Log(this, TLogLevel::llError, "Cannot initialize the toRGB conversion context");
    return false;
  }
  TBitmap* bitmap = FHookContext->Bitmap.get();
  try {
    OnHook(this, bitmap, APTS);
  } catch (const std::exception& e) {
    GetLogger()->Log(this, TLogLevel::llError, std::string("Error occurs OnHook: ") + e.what());
    return false;
  }
  FHookContext->fromRGB_convert_ctx =
      av::sws_getCachedContext(FHookContext->fromRGB_convert_ctx, AWidth, AHeight, AV_PIX_FMT_BGR24, AWidth, AHeight,
                               AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!FHookContext->fromRGB_convert_ctx || bitmap->Width() != AWidth || bitmap->Height() != AHeight) {
    GetLogger()->Log(this, TLogLevel::llError, "Cannot initialize the fromRGB conversion context");
    return false;
  }
  const uint8_t* src[4] = {static_cast<const uint8_t*>(bitmap->ScanLine(0)), nullptr, nullptr, nullptr};
  const int stride[4] = {AHeight > 1 ? static_cast<int>(static_cast<const uint8_t*>(bitmap->ScanLine(1)) - src[0])
                                     : ((AWidth * 3 + 3) & ~3),
                         0, 0, 0};
  uint8_t* dst[4] = {ADest[0], ADest[1], ADest[2], nullptr};
  const int dstLines[4] = {ADestLinesize[0], ADestLinesize[1], ADestLinesize[2], 0};
  av::sws_scale(FHookContext->fromRGB_convert_ctx, src, stride, 0, AHeight, dst, dstLines);
  return true;
}
