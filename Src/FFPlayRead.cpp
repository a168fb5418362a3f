// Opening, reading and closing one file: the opener, the read thread, the stream components, the
// stream switch, seek requests, the pause toggle and the teardown of a playback.
#include <pthread.h>

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <csignal>
#include <mutex>

#include "Src/FFMediaUtils.h"
#include "Src/FFPlay.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "Src/UnicodeProtocol.h"
#include "Src/libsdl.h"
#include "platform/core/SysUtils.h"

namespace playback {

namespace {

// The libraries' interrupt callback: one per container, so only this playback's abort request
// interrupts its blocking input.
int DecodeInterruptCallback(void* AOpaque) {
  return static_cast<TVideoState*>(AOpaque)->abort_request.load() ? 1 : 0;
}

void SleepMs(int AMs) { std::this_thread::sleep_for(std::chrono::milliseconds(AMs)); }

void Log(TCustomPlayer* APlayer, TLogLevel ALevel, const std::string& AText) {
  GetLogger()->Log(APlayer, ALevel, AText);
}

int ReadThreadOpen(TVideoState& S) {
  TCustomPlayer* P = S.Owner;
  S.ic = av::avformat_alloc_context();
  if (!S.ic) {
    P->ReportError(OutOfMemoryText, true);
    return -1;
  }
  S.ic->interrupt_callback.callback = DecodeInterruptCallback;
  S.ic->interrupt_callback.opaque = &S;
  AVDictionary* options = nullptr;
  if (P->FrameWidth() > 0 && P->FrameHeight() > 0)
    av::av_dict_set(&options, "video_size", Format("%dx%d", P->FrameWidth(), P->FrameHeight()).c_str(), 0);
  if (P->Fframe_pix_fmt >= 0)
    av::av_dict_set(&options, "pixel_format", av::av_get_pix_fmt_name(AVPixelFormat(P->Fframe_pix_fmt)), 0);
  const int err = OpenInputFile(&S.ic, S.filename, S.iformat, &options);
  av::av_dict_free(&options);
  if (err < 0) {
    S.ic = nullptr;
    P->ReportError(AVErrorText(S.filename, err), true);
    return -1;
  }
  if (P->genpts) S.ic->flags |= AVFMT_FLAG_GENPTS;
  if (av::avformat_find_stream_info(S.ic, nullptr) < 0) {
    P->ReportError(Format("%s: could not find codec parameters", S.filename), true);
    return -1;
  }
  if (S.ic->pb) S.ic->pb->eof_reached = 0;
  if (P->Fseek_by_bytes < 0) P->Fseek_by_bytes = (S.ic->iformat->flags & AVFMT_TS_DISCONT) ? 1 : 0;
  const std::string name = S.ic->iformat->name ? S.ic->iformat->name : "";
  S.IsImage2 = name == "image2";
  S.IsDevice = name == "video4linux2,v4l2" || name == "vfwcap";
  if (S.ic->start_time != NoTimestamp) S.StartTime = S.ic->start_time;
  S.Duration = S.ic->duration != NoTimestamp ? S.ic->duration : -1;

  if (P->Fstart_time != NoTimestamp) {
    int64_t target = P->Fstart_time;
    if (S.ic->start_time != NoTimestamp) target += S.ic->start_time;
    if (av::avformat_seek_file(S.ic, -1, INT64_MIN, target, INT64_MAX, 0) < 0)
      Log(P, TLogLevel::llWarning, Format("%s: could not seek to position %0.3f", S.filename, target / 1000000.0));
  }

  // Stream choice: per media type the wanted ordinal among the streams of that type, or, with -1,
  // the libraries' best stream of the type (the one with the most probe frames).
  int chosen[AVMEDIA_TYPE_NB + 1];
  std::fill(std::begin(chosen), std::end(chosen), -1);
  int seen[AVMEDIA_TYPE_NB + 1] = {};
  for (unsigned i = 0; i < S.ic->nb_streams; ++i) {
    AVStream* st = S.ic->streams[i];
    st->discard = AVDISCARD_ALL;
    const int t = st->codecpar->codec_type;
    if (t < 0 || t >= AVMEDIA_TYPE_NB) continue;
    if (P->wanted_stream(t) == seen[t + 1]++) chosen[t + 1] = static_cast<int>(i);
  }
  for (int t : {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO, AVMEDIA_TYPE_SUBTITLE})
    if (P->wanted_stream(t) < 0) chosen[t + 1] = av::av_find_best_stream(S.ic, AVMediaType(t), -1, -1, nullptr, 0);
  if (P->DisableVideo()) chosen[AVMEDIA_TYPE_VIDEO + 1] = chosen[AVMEDIA_TYPE_SUBTITLE + 1] = -1;
  if (P->DisableAudio()) chosen[AVMEDIA_TYPE_AUDIO + 1] = -1;
  if (chosen[AVMEDIA_TYPE_AUDIO + 1] >= 0) OpenStreamComponent(S, chosen[AVMEDIA_TYPE_AUDIO + 1]);
  if (chosen[AVMEDIA_TYPE_VIDEO + 1] >= 0) OpenStreamComponent(S, chosen[AVMEDIA_TYPE_VIDEO + 1]);
  if (chosen[AVMEDIA_TYPE_SUBTITLE + 1] >= 0) OpenStreamComponent(S, chosen[AVMEDIA_TYPE_SUBTITLE + 1]);
  if (S.video_stream < 0 && S.audio_stream < 0) {
    P->ReportError(Format("%s: could not open codecs, no stream to play.", S.filename), true);
    return -1;
  }
  return 0;
}

void PerformSeek(TVideoState& S) {
  TCustomPlayer* P = S.Owner;
  const int64_t target = S.seek_pos;
  const int64_t minimum = S.seek_rel > 0 ? target - S.seek_rel + 2 : INT64_MIN;
  const int64_t maximum = S.seek_rel < 0 ? target - S.seek_rel - 2 : INT64_MAX;
  int ret = av::avformat_seek_file(S.ic, -1, minimum, target, maximum, S.seek_flags);
  if (ret < 0) ret = av::av_seek_frame(S.ic, -1, target, S.seek_flags);
  if (ret < 0) ret = av::av_seek_frame(S.ic, -1, target, S.seek_flags ^ AVSEEK_FLAG_BACKWARD);
  if (ret < 0) {
    Log(P, TLogLevel::llError, Format("%s: error while seeking", S.filename));
    if (S.video_stream >= 0) P->FPictEvent.SetEvent();
  } else {
    std::lock_guard lock(S.stream_switch_lock);
    if (S.audio_stream >= 0) {
      S.audioq->Flush();
      S.audioq->PutFlush();
    }
    if (S.subtitle_stream >= 0) {
      S.subtitleq->Flush();
      S.subtitleq->PutFlush();
    }
    if (S.video_stream >= 0) {
      S.videoq->Flush();
      P->FPictEvent.ResetEvent();
      S.seek_flush_serial = S.videoq->PutFlush();
    }
  }
  S.ErrorEOF = 0;
  S.ReachEOF = 0;
  S.eof_mark = false;
  S.seek_done = 1;
  S.seek_req = 0;
  P->FSeekEvent.SetEvent();
  if (S.video_stream < 0) P->FSeeking = false;
}

bool QueuesFull(TVideoState& S) {
  const int a = S.audioq ? S.audioq->Size() : 0, v = S.videoq ? S.videoq->Size() : 0,
            s = S.subtitleq ? S.subtitleq->Size() : 0;
  if (a + v + s > MaxQueueSize) return true;
  return (S.audio_stream < 0 || a > MinAudioQueueSize) && (S.video_stream < 0 || S.videoq->Count() > MinFrames) &&
         (S.subtitle_stream < 0 || S.subtitleq->Count() > MinFrames);
}

void ReadLoop(TVideoState& S) {
  TCustomPlayer* P = S.Owner;
  AVPacket* pkt = nullptr;
  while (!S.abort_request) {
    if (S.paused != S.last_paused) {
      S.last_paused = S.paused;
      if (S.paused)
        S.read_pause_return = av::av_read_pause(S.ic);
      else
        av::av_read_play(S.ic);
    }
    if (S.seek_req) PerformSeek(S);
    bool full;
    {
      std::lock_guard lock(S.stream_switch_lock);
      full = QueuesFull(S);
    }
    if (full) {
      Nap(S, 10);
      continue;
    }
    if (S.eof_mark || (S.ic->pb && av::avio_feof(S.ic->pb))) {
      {
        std::lock_guard lock(S.stream_switch_lock);
        if (S.video_stream >= 0) {
          AVPacket* empty = av::av_packet_alloc();
          empty->stream_index = S.video_stream;
          S.videoq->Put(empty);
          P->FPictEvent.SetEvent();
        }
      }
      Nap(S, 10);
      std::lock_guard lock(S.stream_switch_lock);
      const int left = (S.audio_stream >= 0 ? S.audioq->Size() : 0) + (S.video_stream >= 0 ? S.videoq->Size() : 0) +
                       (S.subtitle_stream >= 0 ? S.subtitleq->Size() : 0);
      if (left == 0) S.ReachEOF = 1;
      continue;
    }
    if (!pkt) pkt = av::av_packet_alloc();
    S.Reading = 1;
    const int ret = av::av_read_frame(S.ic, pkt);
    S.Reading = 0;
    if (S.abort_request) break;
    if (ret < 0) {
      if (ret == AVERROR(EAGAIN)) {
        SleepMs(10);
        continue;
      }
      if (S.video_stream >= 0) P->FPictEvent.SetEvent();
      // A seek that ends here has nothing more to show: it is over.
      if (!S.seek_req) P->FSeeking = false;
      if (!S.IsImage2 && !S.ErrorEOF) {
        S.ErrorEOF = 1;
        if (ret == AVERROR_EOF)
          Log(P, TLogLevel::llInfo, Format("reach end of file: %s", S.filename));
        else
          Log(P, TLogLevel::llError, Format("error #%d while reading file: %s", ret, S.filename));
      }
      if (ret == AVERROR_EOF) S.eof_mark = true;
      if (S.ic->pb && S.ic->pb->error) {
        // the input is broken: idle until the playback is stopped
        const auto going = [&] { return !S.abort_request; };
        while (going()) WaitWhile(S, going, PausedNapMs);
        break;
      }
      Nap(S, ret == AVERROR_EOF ? 10 : 100);
      continue;
    }
    std::lock_guard lock(S.stream_switch_lock);
    if (pkt->stream_index == S.audio_stream) {
      S.audioq->Put(pkt);
      pkt = nullptr;
    } else if (pkt->stream_index == S.video_stream) {
      S.videoq->Put(pkt);
      pkt = nullptr;
    } else if (pkt->stream_index == S.subtitle_stream) {
      S.subtitleq->Put(pkt);
      pkt = nullptr;
    } else {
      av::av_packet_unref(pkt);
    }
  }
  if (pkt) av::av_packet_free(&pkt);
}

void ReadThreadProc(TVideoState* AState) {
  TVideoState& S = *AState;
  int result = ReadThreadOpen(S);
  if (result == 0) {
    S.Opened = 1;
    ReadLoop(S);
  }
  // Teardown: the read thread closes what it opened.
  if (S.Opened != 1) S.Opened = -1;
  if (S.audio_stream >= 0) CloseStreamComponent(S, S.audio_stream);
  if (S.video_stream >= 0) CloseStreamComponent(S, S.video_stream);
  if (S.subtitle_stream >= 0) CloseStreamComponent(S, S.subtitle_stream);
  if (S.ic) {
    if (S.Opened == 1 && S.Owner->AVProbe()->FileHandle() == S.ic) S.Owner->AVProbe()->SetFileHandle(nullptr);
    CloseInputFile(&S.ic);
  }
  if (S.Opened == -1) S.Opened = -2;
  S.ReadDone = true;
}

}  // namespace

bool OpenVideoState(TCustomPlayer* APlayer, const std::string& AFileName, const AVInputFormat* AFormat,
                    bool APaused) {
  auto state = std::make_unique<TVideoState>(APlayer, APlayer->Fflush_pkt);
  TVideoState& S = *state;
  if (APaused) {
    S.paused = 1;
    S.open_paused = 1;
    APlayer->Fstep = false;
  }
  S.filename = AFileName;
  S.iformat = AFormat;
  S.av_sync_type = APlayer->av_sync_type;
  try {
    S.parse_tid = std::thread(ReadThreadProc, &S);
  } catch (const std::system_error&) {
    APlayer->ReportError("Could not start the playback thread", true);
    return false;
  }
  (void)WaitServingCalls([&] { return S.Opened != 0; });
  if (S.Opened == 1) {
    if (S.video_stream < 0 && !APlayer->DisableDisplay())
      S.show_audio = static_cast<int>(APlayer->ShowAudio());
    APlayer->SetState(std::move(state));
    S.refresh_tid = std::thread(RefreshThreadProc, &S);
    return true;
  }
  (void)WaitServingCalls([&] { return S.Opened != -1; });
  S.abort_request = 1;
  if (S.parse_tid.joinable()) S.parse_tid.join();
  state.reset();
  APlayer->ResetPlayState();
  return false;
}

int OpenStreamComponent(TVideoState& S, int AIndex) {
  TCustomPlayer* P = S.Owner;
  if (!S.ic || AIndex < 0 || AIndex >= static_cast<int>(S.ic->nb_streams)) return -1;
  AVStream* st = S.ic->streams[AIndex];
  const AVCodec* codec = av::avcodec_find_decoder(st->codecpar->codec_id);
  AVCodecContext* ctx = av::avcodec_alloc_context3(codec);
  if (!ctx) return -1;
  if (av::avcodec_parameters_to_context(ctx, st->codecpar) < 0) {
    av::avcodec_free_context(&ctx);
    return -1;
  }
  ctx->pkt_timebase = st->time_base;
  ctx->debug = P->Fdebug;
  ctx->workaround_bugs = P->workaround_bugs;
  ctx->lowres = std::min(P->lowres, codec ? int(codec->max_lowres) : 0);
  ctx->idct_algo = P->idct_algo;
  if (P->fast) ctx->flags2 |= AV_CODEC_FLAG2_FAST;
  ctx->skip_frame = AVDiscard(P->Fskip_frame);
  ctx->skip_idct = AVDiscard(P->Fskip_idct);
  ctx->skip_loop_filter = AVDiscard(P->Fskip_loop_filter);
  ctx->err_recognition = P->error_recognition;
  ctx->error_concealment = P->error_concealment;
  // Decoding runs on as many threads as the codec can use: pictures come a few packets later, with
  // their own times, so the clocks are not affected.
  ctx->thread_count = 0;
  {
    std::lock_guard lock(CodecLock());
    if (!codec || av::avcodec_open2(ctx, codec, nullptr) < 0) {
      P->ReportError(Printf("Could not open the %s decoder of stream #%d", codec ? codec->name : "(none)", AIndex),
                     false);
      av::avcodec_free_context(&ctx);
      return -1;
    }
  }
  const int type = st->codecpar->codec_type;
  if (type == AVMEDIA_TYPE_AUDIO) {
    const int channels = ctx->ch_layout.nb_channels;
    SDL_AudioSpec wanted{}, obtained{};
    wanted.freq = ctx->sample_rate;
    wanted.format = AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(channels == 1 || channels == 2 ? channels : 2);
    wanted.silence = 0;
    wanted.samples = AudioDeviceSamples;
    wanted.callback = AudioCallback;
    wanted.userdata = &S;
    if (sdl::SDL_OpenAudio(&wanted, &obtained) < 0) {
      P->ReportError(std::string("Could not open the audio device: ") + sdl::SDL_GetError(), false);
      // The decoder is of no use without a device.
      std::lock_guard lock(CodecLock());
      av::avcodec_free_context(&ctx);
      return -1;
    }
    std::lock_guard lock(S.audio_lock);
    S.audio_device_open = true;
    S.audio_hw_buf_size = static_cast<int>(obtained.size);
    S.audio_channels = obtained.channels;
    S.audio_rate = obtained.freq;
  }
  st->discard = AVDISCARD_DEFAULT;
  switch (type) {
    case AVMEDIA_TYPE_AUDIO: {
      {
        std::lock_guard lock(S.audio_lock);
        S.audio_st = st;
        S.audio_dec = ctx;
        S.AudioDuration =
            st->duration != NoTimestamp ? av::av_rescale_q(st->duration, st->time_base, {1, 1000000}) : -1;
        S.audio_buf_size = S.audio_buf_index = 0;
        S.audio_diff_avg_coef = std::exp(std::log(0.01) / AudioDiffAvgNb);
        S.audio_diff_avg_count = 0;
        S.audio_diff_threshold = 2.0 * AudioDeviceSamples / (S.audio_rate > 0 ? S.audio_rate : 1);
        S.audioq = std::make_unique<TPacketQueue>(S.flush_pkt);
        S.audioq->PutFlush();
        S.audio_stream = AIndex;
      }
      sdl::SDL_PauseAudio(0);
      break;
    }
    case AVMEDIA_TYPE_VIDEO:
      S.video_st = st;
      S.video_dec = ctx;
      S.videoq = std::make_unique<TPacketQueue>(S.flush_pkt);
      S.video_flush_serial = 0;
      S.seek_flush_serial = S.videoq->PutFlush();
      S.video_stream = AIndex;
      S.video_tid = std::thread(VideoThreadProc, &S);
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      S.subtitle_st = st;
      S.subtitle_dec = ctx;
      S.subtitleq = std::make_unique<TPacketQueue>(S.flush_pkt);
      S.subtitleq->PutFlush();
      S.subtitle_stream = AIndex;
      S.subtitle_tid = std::thread(SubtitleThreadProc, &S);
      break;
    default: {
      std::lock_guard lock(CodecLock());
      av::avcodec_free_context(&ctx);
      break;
    }
  }
  return 0;
}

void CloseStreamComponent(TVideoState& S, int AIndex) {
  if (!S.ic || AIndex < 0 || AIndex >= static_cast<int>(S.ic->nb_streams)) return;
  AVStream* st = S.ic->streams[AIndex];
  AVCodecContext* ctx = nullptr;
  switch (st->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
      if (AIndex != S.video_stream) return;
      S.videoq->Abort();
      WakePlayback(S);
      {
        std::lock_guard lock(S.pictq_mutex);
        S.pictq_cond.notify_all();
      }
      if (S.video_tid.joinable()) S.video_tid.join();
      S.video_stream = -1;
      S.video_st = nullptr;
      S.videoq.reset();
      ctx = S.video_dec;
      S.video_dec = nullptr;
      break;
    case AVMEDIA_TYPE_AUDIO: {
      if (AIndex != S.audio_stream) return;
      S.audioq->Abort();
      bool deviceOpen;
      {
        // Taken between two runs of the callback, which then finds the component gone.
        std::lock_guard lock(S.audio_lock);
        deviceOpen = S.audio_device_open;
        S.audio_device_open = false;
        S.audio_stream = -1;
        S.audio_st = nullptr;
        S.audioq.reset();
        FreeAudioConverter(S);
        S.AudioDuration = -1;
        S.audio_buf_size = S.audio_buf_index = 0;
        ctx = S.audio_dec;
        S.audio_dec = nullptr;
      }
      WakePlayback(S);  // a callback waiting out a pause sees the stream gone
      if (deviceOpen) sdl::SDL_CloseAudio();  // waits for a running callback: outside the audio lock
      break;
    }
    case AVMEDIA_TYPE_SUBTITLE:
      if (AIndex != S.subtitle_stream) return;
      S.subtitleq->Abort();
      WakePlayback(S);
      {
        std::lock_guard lock(S.subpq_mutex);
        S.subtitle_stream_changed = 1;
        S.subpq_cond.notify_all();
      }
      if (S.subtitle_tid.joinable()) S.subtitle_tid.join();
      S.subtitle_stream = -1;
      S.subtitle_st = nullptr;
      S.subtitleq.reset();
      ctx = S.subtitle_dec;
      S.subtitle_dec = nullptr;
      break;
    default:
      return;
  }
  st->discard = AVDISCARD_ALL;
  std::lock_guard lock(CodecLock());
  av::avcodec_free_context(&ctx);
}

bool SwitchStream(TVideoState& S, int AType, int AIndex) {
  TCustomPlayer* P = S.Owner;
  const int current = AType == AVMEDIA_TYPE_VIDEO   ? S.video_stream.load()
                      : AType == AVMEDIA_TYPE_AUDIO ? S.audio_stream.load()
                                                    : S.subtitle_stream.load();
  auto refuse = [&](const char* AText) {
    P->ReportError(AText, true);
    return false;
  };
  if (AType == AVMEDIA_TYPE_SUBTITLE) {
    if (current < -1) return refuse("the current stream is not valid.");
    if (AIndex < -1) return refuse("the stream index is not valid.");
  } else {
    if (current < 0) return refuse("the current stream is not valid.");
    if (AIndex < 0) return refuse("the stream index is not valid.");
  }
  if (AIndex >= static_cast<int>(S.ic->nb_streams)) return refuse("the stream index is not valid.");
  if (AIndex == current) return true;
  if (AIndex >= 0) {
    const AVCodecParameters* par = S.ic->streams[AIndex]->codecpar;
    if (par->codec_type != AType) return refuse("the stream type is not matched.");
    if (AType == AVMEDIA_TYPE_AUDIO && (par->sample_rate == 0 || par->ch_layout.nb_channels == 0))
      return refuse("the audio stream is not invalid.");
    if (AType != AVMEDIA_TYPE_AUDIO && AType != AVMEDIA_TYPE_VIDEO && AType != AVMEDIA_TYPE_SUBTITLE)
      return refuse("the stream type is invalid.");
  }
  // The read thread routes no packet while the components change.
  std::lock_guard lock(S.stream_switch_lock);
  CloseStreamComponent(S, current);
  OpenStreamComponent(S, AIndex);
  return true;
}

void RequestSeek(TVideoState& S, int AFlags, bool AWait, int64_t APos, int64_t ARel) {
  TCustomPlayer* P = S.Owner;
  if (S.seek_req) return;
  P->FSeeking = true;
  S.seek_paused = S.paused.load();
  S.seek_pos = APos;
  S.seek_rel = ARel;
  S.seek_flags = AFlags;
  P->FSeekEvent.ResetEvent();
  S.seek_req = 1;
  WakePlayback(S);
  if (AWait) {
    (void)WaitServingCalls(P->FSeekEvent);
    if (S.video_stream >= 0) (void)WaitServingCalls(P->FPictEvent);
  }
}

void TogglePauseState(TVideoState& S) {
  TCustomPlayer* P = S.Owner;
  if (P->FSeekEvent.WaitFor(250) != TWaitResult::wrSignaled) P->FSeekEvent.SetEvent();
  if (S.paused) {
    const double now = WallClock();
    std::lock_guard queue(S.pictq_mutex);
    std::lock_guard clock(S.clock_lock);
    // Moves the targets on by the time since the shown picture's target. Before the first picture
    // is shown there is nothing to move (the drift is still 0 and would add the whole wall clock).
    if (S.picture_shown) S.frame_timer += now + S.video_current_pts_drift - S.video_current_pts;
    if (S.read_pause_return != AVERROR(ENOSYS)) S.video_current_pts = S.video_current_pts_drift + now;
    S.video_current_pts_drift = S.video_current_pts - now;
    S.paused = 0;
  } else {
    if (S.video_stream >= 0 && P->FPictEvent.WaitFor(250) != TWaitResult::wrSignaled) P->FPictEvent.SetEvent();
    std::lock_guard clock(S.clock_lock);
    S.paused = 1;
  }
  WakePlayback(S);
}

void CloseVideoState(TVideoState& S) {
  S.abort_request = 1;
  WakePlayback(S);
  if (S.parse_tid.joinable()) {
    // The abort request alone does not end a read blocked in the system: wake it until the
    // read thread is done (a signal sent just before the read begins would be lost).
    const bool wake = ReadWakeSignalReady();
    for (int round = 0; !S.ReadDone; ++round) {
      if (wake && S.Reading && round % 4 == 0) WakeBlockedRead(S.parse_tid.native_handle());
      SleepMs(5);
    }
    S.parse_tid.join();
  }
  if (S.refresh_tid.joinable()) S.refresh_tid.join();
}

void ShutdownPlayback(TCustomPlayer* APlayer) {
  std::unique_ptr<TVideoState> state = APlayer->TakeState();
  if (state) {
    CloseVideoState(*state);
    state.reset();
    APlayer->ResetPlayState();
  }
  if (sdl::SDL_Quit) sdl::SDL_Quit();
}

}  // namespace playback
