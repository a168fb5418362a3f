// The video output path: picture hooks, the stream's filter graph (crop, scale, deinterlace,
// pixel format), frame-rate conversion by duplicating and dropping, encoding and post hooks.

#include <cmath>
#include <cstring>

#include "Src/AVCodecStubs.h"
#include "Src/AVFilterStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegTranscode.h"
#include "Src/SwScaleStubs.h"

void TTranscoder::PreProcessVideoFrame(TAVInputStream& AIst, AVFrame* AFrame) {
  ++E.FHookFrameNumber;
  if (!E.OnCustomHook && !E.Fusing_vhook) return;
  // The hooks change the picture: they work on a copy of their own, since a decoded picture may
  // be shared with the decoder's reference pictures.
  AVFrame* copy = av::av_frame_alloc();
  if (!copy) {
    Log(TLogLevel::llError, "hook buf malloc error.");
    return;
  }
  copy->format = AFrame->format;
  copy->width = AFrame->width;
  copy->height = AFrame->height;
  if (av::av_frame_get_buffer(copy, 0) < 0) {
    av::av_frame_free(&copy);
    Log(TLogLevel::llError, "hook buf malloc error.");
    return;
  }
  av::av_image_copy(copy->data, copy->linesize, const_cast<const uint8_t**>(AFrame->data), AFrame->linesize,
                    static_cast<AVPixelFormat>(AFrame->format), AFrame->width, AFrame->height);
  if (E.OnCustomHook) {
    DoCustomHook(copy, AIst.pts);
  } else if (E.Fusing_vhook) {
    TFramePicture picture;
    for (int i = 0; i < 4; ++i) {
      picture.data[i] = copy->data[i];
      picture.linesize[i] = copy->linesize[i];
    }
    FrameHookProcess(E.FFirstHook, &picture, copy->format, copy->width, copy->height, AIst.pts);
  }
  // The processed copy takes the decoded picture's place, with the decoded picture's times.
  const int64_t pts = AFrame->pts, best = AFrame->best_effort_timestamp;
  const AVRational sar = AFrame->sample_aspect_ratio;
  const int interlaced = AFrame->interlaced_frame, topFirst = AFrame->top_field_first;
  av::av_frame_unref(AFrame);
  av::av_frame_ref(AFrame, copy);
  av::av_frame_free(&copy);
  AFrame->pts = pts;
  AFrame->best_effort_timestamp = best;
  AFrame->sample_aspect_ratio = sar;
  AFrame->interlaced_frame = interlaced;
  AFrame->top_field_first = topFirst;
}

void TTranscoder::DoCustomHook(AVFrame* AFrame, int64_t APts) {
  TRGBConvertContext& ctx = *E.FHookContext;
  const auto format = static_cast<AVPixelFormat>(AFrame->format);
  bool stop = false;
  if (!PictureToBitmap(ctx, AFrame->data, AFrame->linesize, format, AFrame->width, AFrame->height)) {
    Log(TLogLevel::llError, "Cannot initialize the toRGB conversion context");
    stop = true;
  } else {
    bool update = true;
    try {
      // A copy: the handler may clear the engine's event.
      const TCustomHookEvent handler = E.OnCustomHook;
      handler(&E, ctx.Bitmap.get(), E.FHookFrameNumber, APts, update, stop);
    } catch (const Exception& e) {
      Log(TLogLevel::llError, "Error occurs OnCustomHook: " + e.Message);
      update = false;
    } catch (const std::exception& e) {
      Log(TLogLevel::llError, std::string("Error occurs OnCustomHook: ") + e.what());
      update = false;
    }
    if (update) {
      const int rowBytes = ctx.RGBPictureLinesize[0];
      for (int y = 0; y < AFrame->height && y < ctx.Bitmap->Height(); ++y)
        std::memcpy(ctx.RGBPictureData[0] + static_cast<size_t>(y) * rowBytes, ctx.Bitmap->ScanLine(y),
                    std::min<size_t>(rowBytes, static_cast<size_t>(ctx.Bitmap->Width()) * 3));
      ctx.fromRGB_convert_ctx =
          av::sws_getCachedContext(ctx.fromRGB_convert_ctx, AFrame->width, AFrame->height, ctx.RGBPixFmt,
                                   AFrame->width, AFrame->height, format, SWS_BICUBIC, nullptr, nullptr, nullptr);
      if (!ctx.fromRGB_convert_ctx) {
        Log(TLogLevel::llError, "Cannot initialize the fromRGB conversion context");
        stop = true;
      } else {
        av::sws_scale(ctx.fromRGB_convert_ctx, ctx.RGBPictureData, ctx.RGBPictureLinesize, 0, AFrame->height,
                      AFrame->data, AFrame->linesize);
      }
    }
  }
  if (stop) {
    E.OnCustomHook = nullptr;
    E.Fusing_vhook = false;
  }
}

void TTranscoder::FeedVideo(TAVOutputStream& AOst, TAVInputStream& AIst, AVFrame* AFrame) {
  if (AFrame->width != AOst.graph_width || AFrame->height != AOst.graph_height || AFrame->format != AOst.graph_format) {
    const char* name = av::av_get_pix_fmt_name(static_cast<AVPixelFormat>(AFrame->format));
    Log(TLogLevel::llQuiet, Printf("Input Stream #%d.%d frame size changed to %dx%d, %s", AIst.file_index, AIst.index,
                                     AFrame->width, AFrame->height, name ? name : "none"));
    // Pictures still in the old graph go out first; the new one scales to the same output.
    FlushVideo(AOst, AIst);
    AIst.dec->width = AFrame->width;
    AIst.dec->height = AFrame->height;
    AIst.dec->pix_fmt = static_cast<AVPixelFormat>(AFrame->format);
    const int width = AOst.enc->width, height = AOst.enc->height;
    BuildVideoGraph(AOst, AIst);
    AOst.enc->width = width;
    AOst.enc->height = height;
  }
  AFrame->pts = AIst.pts;
  if (av::av_buffersrc_add_frame_flags(AOst.graph.src, AFrame, AV_BUFFERSRC_FLAG_KEEP_REF) < 0) {
    Log(TLogLevel::llError, "Cannot feed the video filter graph");
    return;
  }
  while (E.GetFilteredVideoPicture(AOst.graph, AOst.filtered) == 1) {
    DoVideoOut(AOst, AIst, AOst.filtered);
    av::av_frame_unref(AOst.filtered);
  }
}

void TTranscoder::FlushVideo(TAVOutputStream& AOst, TAVInputStream& AIst) {
  if (!AOst.graph.src) return;
  if (av::av_buffersrc_add_frame_flags(AOst.graph.src, nullptr, 0) < 0) Log(TLogLevel::llError, "Cannot end the video filter graph");
  while (E.GetFilteredVideoPicture(AOst.graph, AOst.filtered) == 1) {
    DoVideoOut(AOst, AIst, AOst.filtered);
    av::av_frame_unref(AOst.filtered);
  }
  AOst.graph.Reset();
  AOst.graph_width = AOst.graph_height = 0;
  AOst.graph_format = -1;
}

namespace {

// Whether pictures may go out at the times they came in, with gaps, rather than at the encoder's
// constant rate. AVI keeps its rate in the header and marks a skipped picture with an empty
// chunk, which costs a few bytes where a repeated picture would be encoded again.
bool WritesVariableRate(const AVOutputFormat* AFormat) {
  return (AFormat->flags & AVFMT_VARIABLE_FPS) != 0 || std::strcmp(AFormat->name, "avi") == 0;
}

}  // namespace

void TTranscoder::DoVideoOut(TAVOutputStream& AOst, TAVInputStream& AIst, AVFrame* APicture) {
  AVCodecContext* enc = AOst.enc;
  const int64_t position = APicture->pts != AV_NOPTS_VALUE ? APicture->pts : AOst.sync_ist->pts;
  const double syncIpts = (static_cast<double>(position - E.Fstart_time) / 1000000.0) / av_q2d(enc->time_base);
  int count = 1;
  if (E.Fvideo_sync_method != 0) {
    const double vdelta = syncIpts - static_cast<double>(AOst.sync_opts);
    const bool variable = WritesVariableRate(AOst.file->ctx->oformat);
    if (vdelta < -1.1) {
      count = 0;
    } else if (E.Fvideo_sync_method == 2 || (E.Fvideo_sync_method < 0 && variable)) {
      if (vdelta <= -0.6)
        count = 0;
      else if (vdelta > 0.6)
        AOst.sync_opts = std::llround(syncIpts);
    } else if (vdelta > 1.1) {
      count = static_cast<int>(std::llround(vdelta));
    }
    if (count == 0) {
      ++E.Fnb_frames_drop;
      E.FShowDupOrDrop = true;
      if (E.Fverbose > 2) Log(TLogLevel::llVerbose, "*** drop!");
    } else if (count > 1) {
      E.Fnb_frames_dup += count - 1;
      E.FShowDupOrDrop = true;
      if (E.Fverbose > 2) Log(TLogLevel::llVerbose, Printf("*** %d dup!", count - 1));
    }
  } else {
    AOst.sync_opts = std::llround(syncIpts);
  }
  count = std::min(count, E.Fmax_frames[0] - AOst.frame_number);
  if (count <= 0) return;

  const bool postHooks = !E.PostHooks().Empty();
  for (int i = 0; i < count; ++i) {
    if (i > 0 && E.FBroken) break;
    // The field order matters only to an interlaced encoding; a progressive one keeps the
    // input picture's.
    if (E.Ftop_field_first >= 0 && (enc->flags & (AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME)))
      APicture->top_field_first = E.Ftop_field_first;
    // The quantiser the job asked for ("qscale": the encoder's global quality); the quality of
    // the last encoded picture is only reported, never fed back.
    APicture->quality = E.Fsame_quality ? AIst.quality : enc->global_quality;
    if (E.Fme_threshold == 0) APicture->pict_type = AV_PICTURE_TYPE_NONE;
    APicture->pts = AOst.sync_opts;
    if (postHooks)
      DoPostHooks(APicture, enc, av::av_rescale_q(AOst.sync_opts, enc->time_base, AVRational{1, AV_TIME_BASE}));
    // The picture counts as handed over before its packet comes out: a statistics line numbers
    // and times the picture it describes (1 and one frame for the first).
    ++AOst.sync_opts;
    ++AOst.frame_number;
    EncodeAndWrite(AOst, APicture);
  }
}

void TTranscoder::DoPostHooks(AVFrame* APicture, AVCodecContext* AEnc, int64_t APts) {
  const TPostHooks hooks = E.PostHooks();
  // The bitmap event takes precedence; the preview window shows the pictures otherwise.
  const bool toEvent = hooks.Contains(TPostHook::phBitmap) && E.OnPreviewBitmap;
  if (!toEvent && !hooks.Contains(TPostHook::phPreview)) return;
  const TPostHook hook = toEvent ? TPostHook::phBitmap : TPostHook::phPreview;
  const int64_t now = av::av_gettime();
  if (now - E.FPreviewLastTime <= E.PreviewInterval) return;
  E.FPreviewLastTime = now;
  TRGBConvertContext& ctx = *E.FPostContext;
  if (!PictureToBitmap(ctx, APicture->data, APicture->linesize, static_cast<AVPixelFormat>(APicture->format),
                       APicture->width, APicture->height)) {
    Log(TLogLevel::llError, "Cannot initialize the toRGB conversion context");
    SwitchPostHookOff(hook);
    return;
  }
  if (toEvent) {
    // No lock is held while the handler runs: it may wait for the GUI thread, which takes the
    // post-hook lock to change the set.
    const TPreviewBitmapEvent handler = E.OnPreviewBitmap;
    handler(&E, ctx.Bitmap.get(), E.FHookFrameNumber, APts);
    return;
  }
  // The previewer never waits for the GUI thread, so it is fed under the lock that guards it.
  std::lock_guard<TCriticalSection> guard(PostHookLock());
  if (!E.FPostHooks.Contains(TPostHook::phPreview)) return;  // switched off meanwhile
  if (!E.FPreviewer) E.FPreviewer = std::make_unique<TPreviewer>();
  if (!E.FPreviewer->PaintFrame(ctx.Bitmap.get(), E.FHookFrameNumber, APts)) SwitchPostHookOff(hook);
}

void TTranscoder::SwitchPostHookOff(TPostHook AHook) {
  // The set as it is at this moment, not as it was read: the GUI thread may have changed it.
  std::lock_guard<TCriticalSection> guard(PostHookLock());
  TPostHooks current = E.FPostHooks;
  current.Exclude(AHook);
  E.DoSetPostHooks(current);
}
