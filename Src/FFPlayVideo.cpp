// The picture and subtitle pipeline of a playback: the video thread (decode, filter graph, picture
// queue), the refresh thread, the video refresh of the play thread with its frame dropping and
// subtitle expiry, and the subtitle thread.
#include <algorithm>
#include <cmath>

#include "Src/FFPlay.h"
#include "Src/FFmpegLogger.h"
#include "Src/libsdl.h"
#include "platform/core/SysUtils.h"

namespace playback {

void FreeSubtitleSlot(TSubtitleSlot& ASlot) {
  if (ASlot.used) av::avsubtitle_free(&ASlot.subtitle);
  ASlot.subtitle = AVSubtitle{};
  ASlot.used = false;
}

namespace {

void SleepMs(int AMs) { std::this_thread::sleep_for(std::chrono::milliseconds(AMs)); }

// The video filter graph: buffer source "src" → the user's filters → planar YUV 4:2:0 → sink "out".
struct TVideoFilterGraph {
  AVFilterGraph* graph = nullptr;
  AVFilterContext* src = nullptr;
  AVFilterContext* sink = nullptr;
  int width = -1, height = -1, format = -1;
  ~TVideoFilterGraph() { Free(); }
  void Free() {
    if (graph) av::avfilter_graph_free(&graph);
    src = sink = nullptr;
  }
  [[nodiscard]] bool Matches(const AVFrame* AFrame) const {
    return graph && AFrame->width == width && AFrame->height == height && AFrame->format == format;
  }
};

bool BuildFilterGraph(TVideoState& S, TVideoFilterGraph& G, const AVFrame* AFrame) {
  TCustomPlayer* P = S.Owner;
  G.Free();
  G.graph = av::avfilter_graph_alloc();
  if (!G.graph) return false;
  G.graph->scale_sws_opts = av::av_strdup(Format("flags=%d", P->Fsws_flags).c_str());
  const AVRational tb = S.video_st->time_base;
  const AVRational sar = AFrame->sample_aspect_ratio;
  const std::string args =
      Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", AFrame->width, AFrame->height,
             AFrame->format, tb.num, tb.den, sar.num, sar.den > 0 ? sar.den : 1);
  AVFilterContext* format = nullptr;
  if (av::avfilter_graph_create_filter(&G.src, av::avfilter_get_by_name("buffer"), "src", args.c_str(), nullptr,
                                       G.graph) < 0 ||
      av::avfilter_graph_create_filter(&G.sink, av::avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                       G.graph) < 0 ||
      av::avfilter_graph_create_filter(&format, av::avfilter_get_by_name("format"), "yuv420p", "pix_fmts=yuv420p",
                                       nullptr, G.graph) < 0)
    return false;
  if (!P->VideoFilters().empty()) {
    AVFilterInOut* outputs = av::avfilter_inout_alloc();
    AVFilterInOut* inputs = av::avfilter_inout_alloc();
    if (!outputs || !inputs) {
      av::avfilter_inout_free(&outputs);
      av::avfilter_inout_free(&inputs);
      return false;
    }
    outputs->name = av::av_strdup("in");
    outputs->filter_ctx = G.src;
    outputs->pad_idx = 0;
    inputs->name = av::av_strdup("out");
    inputs->filter_ctx = format;
    inputs->pad_idx = 0;
    const int ret = av::avfilter_graph_parse_ptr(G.graph, P->VideoFilters().c_str(), &inputs, &outputs, nullptr);
    av::avfilter_inout_free(&outputs);
    av::avfilter_inout_free(&inputs);
    if (ret < 0) return false;
  } else if (av::avfilter_link(G.src, 0, format, 0) < 0) {
    return false;
  }
  if (av::avfilter_link(format, 0, G.sink, 0) < 0 || av::avfilter_graph_config(G.graph, nullptr) < 0) return false;
  G.width = AFrame->width;
  G.height = AFrame->height;
  G.format = AFrame->format;
  std::lock_guard lock(S.pictq_mutex);
  S.filter_width = av::av_buffersink_get_w(G.sink);
  S.filter_height = av::av_buffersink_get_h(G.sink);
  S.filter_format = AVPixelFormat(av::av_buffersink_get_format(G.sink));
  return true;
}

// 1 a picture is ready in AFrame, 0 none (flush, skipped, or no picture yet), -1 the queue was aborted.
int DecodeVideoPacket(TVideoState& S, AVFrame* AFrame, int64_t& APts) {
  TCustomPlayer* P = S.Owner;
  for (;;) {
    if (av::avcodec_receive_frame(S.video_dec, AFrame) == 0) {
      int64_t ts = NoTimestamp;
      if (P->decoder_reorder_pts == 1)
        ts = AFrame->pts;
      else if (P->decoder_reorder_pts == 0)
        ts = AFrame->pkt_dts;
      else
        ts = AFrame->best_effort_timestamp;
      if (ts == NoTimestamp) ts = AFrame->pkt_dts;
      APts = ts;
      S.skip_frames_index += 1;
      float skip;
      {
        std::lock_guard lock(S.pictq_mutex);
        skip = S.skip_frames;
      }
      if (S.skip_frames_index >= skip || P->Fstep) {  // a step shows the very next picture
        S.skip_frames_index -= std::max(skip, 1.0f);
        return 1;
      }
      av::av_frame_unref(AFrame);
      continue;
    }
    AVPacket* pkt = nullptr;
    int flushSerial = 0;
    if (S.videoq->Get(pkt, true, &flushSerial) < 0) return -1;
    if (S.videoq->IsFlushPacket(pkt)) {
      av::avcodec_flush_buffers(S.video_dec);
      {
        std::unique_lock lock(S.pictq_mutex);
        for (TPictureSlot& slot : S.pictq) slot.due_time = 0;
        S.pictq_cond.wait(lock, [&] { return S.pictq_size == 0 || S.videoq->Aborted(); });
        S.frame_last_pts = static_cast<double>(NoTimestamp);
        S.frame_last_delay = 0;
        S.frame_timer = WallClock();
        S.skip_frames = 1;
        std::lock_guard clock(S.clock_lock);
        S.video_current_pos = -1;
      }
      S.skip_frames_index = 0;
      S.video_flush_serial = flushSerial;
      return 0;
    }
    const bool endOfInput = !pkt->data && pkt->size == 0;
    av::avcodec_send_packet(S.video_dec, endOfInput ? nullptr : pkt);
    av::av_packet_free(&pkt);
    // The end of the input is reported by the play thread's refresh, which notifies the position
    // whenever no picture waits.
  }
}

// 0, or -1 when the video queue was aborted.
int QueuePicture(TVideoState& S, AVFrame* AFrame, double APts, int64_t APos) {
  TCustomPlayer* P = S.Owner;
  int width, height;
  {
    std::unique_lock lock(S.pictq_mutex);
    if (S.pictq_size >= PictureQueueSize && S.refresh != 1)
      S.skip_frames = std::max(1.0f - FrameSkipFactor, S.skip_frames * (1.0f - FrameSkipFactor));
    S.pictq_cond.wait(lock, [&] { return S.pictq_size < PictureQueueSize || S.videoq->Aborted(); });
    width = AFrame->width & ~1;
    height = AFrame->height & ~1;
  }
  if (S.videoq->Aborted()) return -1;
  TPictureSlot& slot = S.pictq[S.pictq_windex];
  if (!slot.overlay || slot.width != width || slot.height != height) {
    {
      std::lock_guard lock(S.pictq_mutex);
      slot.allocated = false;
      S.filter_width = AFrame->width;
      S.filter_height = AFrame->height;
    }
    PushSDLEvent(FF_ALLOC_EVENT, &S);
    std::unique_lock lock(S.pictq_mutex);
    S.pictq_cond.wait(lock, [&] { return slot.allocated || S.videoq->Aborted(); });
    if (S.videoq->Aborted()) return -1;
  }
  if (slot.overlay && width > 0 && height > 0) {
    const int64_t hookPTS = std::llround(APts * 1000000.0) - S.StartTime;
    {
      std::lock_guard data(slot.data_lock);
      sdl::SDL_LockYUVOverlay(slot.overlay);
      uint8_t* dst[4] = {slot.overlay->pixels[0], slot.overlay->pixels[2], slot.overlay->pixels[1], nullptr};
      int dstLines[4] = {slot.overlay->pitches[0], slot.overlay->pitches[2], slot.overlay->pitches[1], 0};
      const uint8_t* src[4] = {AFrame->data[0], AFrame->data[1], AFrame->data[2], nullptr};
      int srcLines[4] = {AFrame->linesize[0], AFrame->linesize[1], AFrame->linesize[2], 0};
      if (P->VerticalFlip()) {
        src[0] += srcLines[0] * (AFrame->height - 1);
        srcLines[0] = -srcLines[0];
        for (int i = 1; i <= 2; ++i) {
          src[i] += srcLines[i] * (AFrame->height / 2 - 1);
          srcLines[i] = -srcLines[i];
        }
      }
      av::av_image_copy(dst, dstLines, src, srcLines, AV_PIX_FMT_YUV420P, width, height);
      P->HookPicture(AFrame, dst, dstLines, hookPTS, width, height);
      sdl::SDL_UnlockYUVOverlay(slot.overlay);
    }
    S.pictq_windex = (S.pictq_windex + 1) % PictureQueueSize;
    {
      std::lock_guard lock(S.pictq_mutex);
      slot.pts = APts;
      slot.pos = APos;
      slot.sample_aspect = AFrame->sample_aspect_ratio;
      slot.due_time = ComputeTargetTime(S, APts);
      ++S.pictq_size;
    }
    WakePlayback(S);
  }
  return 0;
}

// APts is NaN for a picture without a time stamp: it takes the time the previous one predicted.
// (A picture at time 0 keeps its time, so a seek to the start shows the start.)
int OutputPicture(TVideoState& S, AVFrame* AFrame, double APts, int64_t APos) {
  if (std::isnan(APts)) APts = S.video_clock;
  AVRational rate = S.video_st->avg_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) rate = S.video_st->r_frame_rate;
  double duration = rate.num > 0 && rate.den > 0 ? double(rate.den) / rate.num : 0.04;
  duration += AFrame->repeat_pict * duration * 0.5;
  S.video_clock = APts + duration;
  return QueuePicture(S, AFrame, APts, APos);
}

void AfterPicture(TVideoState& S) {
  TCustomPlayer* P = S.Owner;
  // A picture from before the latest seek tells a waiting seek nothing.
  if (S.video_flush_serial == S.seek_flush_serial) {
    if (P->FSeeking && !S.seek_req) P->FSeeking = false;
    P->FPictEvent.SetEvent();
  }
  S.EventEOF = 0;
  if (S.open_paused) {
    if (S.open_paused >= 2) {
      S.open_paused = 0;
      P->SetPlayState(TPlayState::psPause);
    } else {
      ++S.open_paused;
    }
  }
  if (P->Fstep && !S.paused) TogglePauseState(S);  // single stepping pauses after each picture
}

}  // namespace

void VideoThreadProc(TVideoState* AState) {
  TVideoState& S = *AState;
  AVFrame* frame = av::av_frame_alloc();
  AVFrame* filtered = av::av_frame_alloc();
  TVideoFilterGraph graph;
  bool ok = frame && filtered;
  while (ok) {
    const auto idle = [&] { return S.paused && !S.videoq->Aborted() && !S.seek_paused && !S.open_paused; };
    while (idle()) WaitWhile(S, idle, PausedNapMs);
    int64_t pts = 0;
    const int got = DecodeVideoPacket(S, frame, pts);
    if (got < 0) break;
    if (got == 0) continue;
    if (!graph.Matches(frame) && !BuildFilterGraph(S, graph, frame)) {
      GetLogger()->Log(S.Owner, TLogLevel::llError, "could not set up the video filters");
      break;
    }
    frame->pts = pts;
    if (av::av_buffersrc_add_frame(graph.src, frame) < 0) {
      av::av_frame_unref(frame);
      continue;
    }
    const AVRational tb = av::av_buffersink_get_time_base(graph.sink);
    while (ok && av::av_buffersink_get_frame(graph.sink, filtered) >= 0) {
      if (S.seek_done && S.video_flush_serial == S.seek_flush_serial) {
        S.seek_done = 0;
        S.seek_paused = 0;
      }
      const double seconds = filtered->pts == NoTimestamp ? std::nan("") : filtered->pts * av_q2d(tb);
      if (OutputPicture(S, filtered, seconds, filtered->pkt_pos) < 0) ok = false;
      av::av_frame_unref(filtered);
      if (ok) AfterPicture(S);
    }
  }
  av::av_frame_free(&frame);
  av::av_frame_free(&filtered);
}

void RefreshThreadProc(TVideoState* AState) {
  TVideoState& S = *AState;
  // Paused with no picture left to show, the play thread has nothing to refresh: the thread waits
  // for the resume, a seek, a step or a new picture.
  const auto idle = [&] {
    if (!PlaybackIdle(S)) return false;
    std::lock_guard lock(S.pictq_mutex);
    return S.pictq_size == 0;
  };
  while (!S.abort_request) {
    if (idle()) {
      WaitWhile(S, idle, PausedNapMs);
      continue;
    }
    if (S.refresh != 1) {
      S.refresh = 1;
      PushSDLEvent(FF_REFRESH_EVENT, &S);
    }
    SleepMs(S.audio_stream >= 0 && S.show_audio ? std::max(S.Owner->rdftspeed, 1) : 5);
  }
}

void VideoRefresh(TVideoState& S, bool AAdvance) {
  TCustomPlayer* P = S.Owner;
  if (!S.video_st) {
    if (S.audio_st) {
      DisplayVideo(S);
      NotifyPosition(S);
    }
    return;
  }
  bool late = S.seek_done;
  bool dropped = false;
  bool shown = false;
  for (;;) {
    if (S.seek_done) late = true;
    int size;
    double due, nextDue, pts;
    int64_t pos;
    {
      std::lock_guard lock(S.pictq_mutex);
      size = S.pictq_size;
      const TPictureSlot& slot = S.pictq[S.pictq_rindex];
      due = slot.due_time;
      pts = slot.pts;
      pos = slot.pos;
      nextDue = S.pictq[(S.pictq_rindex + 1) % PictureQueueSize].due_time;
    }
    if (size == 0) {
      if (!AAdvance) DisplayVideo(S);
      break;
    }
    const double now = WallClock();
    if (now < due) return;
    {
      std::lock_guard lock(S.clock_lock);
      S.video_current_pts = pts;
      S.video_current_pts_drift = pts - now;
      S.video_current_pos = pos;
    }
    S.picture_shown = true;
    if (size < 2) nextDue = due + S.video_clock - pts;
    // A paused player is never behind: its clock stands still while the pictures' targets pass.
    if ((P->framedrop && now > nextDue && !S.IsDevice && !S.paused) || late) {
      {
        std::lock_guard lock(S.pictq_mutex);
        S.skip_frames *= 1.0f + FrameSkipFactor;
      }
      if (size > 1 || now > nextDue + LatePictureLimit || late) {
        S.pictq_rindex = (S.pictq_rindex + 1) % PictureQueueSize;
        std::lock_guard lock(S.pictq_mutex);
        --S.pictq_size;
        S.pictq_cond.notify_all();
        dropped = true;
        continue;
      }
    }
    shown = true;
    break;
  }
  if (shown) {
    if (S.subtitle_st) {
      if (S.subtitle_stream_changed) {
        std::lock_guard lock(S.subpq_mutex);
        while (S.subpq_size > 0) {
          FreeSubtitleSlot(S.subpq[S.subpq_rindex]);
          S.subpq_rindex = (S.subpq_rindex + 1) % SubtitleQueueSize;
          --S.subpq_size;
        }
        S.subtitle_stream_changed = 0;
        S.subpq_cond.notify_all();
      } else {
        int queued;
        {
          std::lock_guard lock(S.subpq_mutex);
          queued = S.subpq_size;
        }
        if (queued > 0) {
          TSubtitleSlot& sp = S.subpq[S.subpq_rindex];
          const TSubtitleSlot* next = queued > 1 ? &S.subpq[(S.subpq_rindex + 1) % SubtitleQueueSize] : nullptr;
          if (S.video_current_pts > sp.pts + sp.subtitle.end_display_time / 1000.0 ||
              (next && S.video_current_pts > next->pts + next->subtitle.start_display_time / 1000.0)) {
            FreeSubtitleSlot(sp);
            S.subpq_rindex = (S.subpq_rindex + 1) % SubtitleQueueSize;
            std::lock_guard lock(S.subpq_mutex);
            --S.subpq_size;
            S.subpq_cond.notify_all();
          }
        }
      }
    }
    DisplayVideo(S);
    if (AAdvance) {
      S.pictq_rindex = (S.pictq_rindex + 1) % PictureQueueSize;
      std::lock_guard lock(S.pictq_mutex);
      --S.pictq_size;
      S.pictq_cond.notify_all();
    }
  }
  if (dropped) return;
  NotifyPosition(S);
}

void SubtitleThreadProc(TVideoState* AState) {
  TVideoState& S = *AState;
  for (;;) {
    const auto idle = [&] { return S.paused && !S.subtitleq->Aborted() && !S.seek_paused; };
    while (idle()) WaitWhile(S, idle, PausedNapMs);
    AVPacket* pkt = nullptr;
    if (S.subtitleq->Get(pkt, true) < 0) break;
    if (S.subtitleq->IsFlushPacket(pkt)) {
      av::avcodec_flush_buffers(S.subtitle_dec);
      continue;
    }
    {
      std::unique_lock lock(S.subpq_mutex);
      S.subpq_cond.wait(lock, [&] { return S.subpq_size < SubtitleQueueSize || S.subtitleq->Aborted(); });
    }
    if (S.subtitleq->Aborted()) {
      av::av_packet_free(&pkt);
      break;
    }
    TSubtitleSlot& slot = S.subpq[S.subpq_windex];
    const double pts = pkt->pts != NoTimestamp ? pkt->pts * av_q2d(S.subtitle_st->time_base) : 0;
    int got = 0;
    FreeSubtitleSlot(slot);
    if (av::avcodec_decode_subtitle2(S.subtitle_dec, &slot.subtitle, &got, pkt) >= 0 && got) {
      slot.used = true;
      if (slot.subtitle.format == 0) {
        slot.pts = pts;
        for (unsigned i = 0; i < slot.subtitle.num_rects; ++i) {
          AVSubtitleRect* rect = slot.subtitle.rects[i];
          auto* palette = reinterpret_cast<uint32_t*>(rect->data[1]);
          for (int c = 0; palette && c < rect->nb_colors; ++c) palette[c] = RGBAToAYUV(palette[c]);
        }
        S.subpq_windex = (S.subpq_windex + 1) % SubtitleQueueSize;
        std::lock_guard lock(S.subpq_mutex);
        ++S.subpq_size;
      } else {
        FreeSubtitleSlot(slot);
      }
    }
    av::av_packet_free(&pkt);
  }
}

}  // namespace playback
