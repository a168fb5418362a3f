// Subtitles, the per-frame statistics file and the progress report of a run.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegTranscode.h"

namespace {

constexpr int SubtitleBufferSize = 1048576;

// Appends to a fixed line buffer the way a bounded print does, always leaving it terminated.
class TLineBuffer {
 public:
  template <typename... Args>
  void Append(const char* AFormat, Args... AArgs) {
    const size_t used = std::strlen(FText);
    if (used + 1 >= sizeof FText) return;
    std::snprintf(FText + used, sizeof FText - used, AFormat, AArgs...);
  }
  [[nodiscard]] const char* Text() const { return FText; }

 private:
  char FText[1024] = {};
};

// Peak signal-to-noise ratio in dB of a squared error over its scale (inf without error).
double Psnr(double AError, double AScale) { return -10.0 * std::log10(AError / AScale); }

}  // namespace

void TTranscoder::DoSubtitleOut(TAVOutputStream& AOst, TAVInputStream& AIst, AVSubtitle* ASubtitle, int64_t APts) {
  if (APts == AV_NOPTS_VALUE) {
    if (E.Fexit_on_error) throw FFmpegException("Subtitle packets must have a pts");
    Log(TLogLevel::llError, "Subtitle packets must have a pts");
    return;
  }
  if (E.FSubtitleBuf.empty()) E.FSubtitleBuf.resize(SubtitleBufferSize);
  AVCodecContext* enc = AOst.enc;
  const int passes = enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE ? 2 : 1;
  const int64_t base = av::av_rescale_q(APts, AIst.st->time_base, AVRational{1, AV_TIME_BASE});
  for (int i = 0; i < passes; ++i) {
    ASubtitle->pts = base + av::av_rescale_q(ASubtitle->start_display_time, AVRational{1, 1000}, AVRational{1, AV_TIME_BASE});
    ASubtitle->end_display_time -= ASubtitle->start_display_time;
    ASubtitle->start_display_time = 0;
    // The second DVB packet clears the screen: the encoder is given the subtitle without its
    // pictures (the rectangles stay the caller's, freed with the subtitle).
    const unsigned rects = ASubtitle->num_rects;
    if (i == 1) ASubtitle->num_rects = 0;
    const int size = av::avcodec_encode_subtitle(enc, E.FSubtitleBuf.data(), SubtitleBufferSize, ASubtitle);
    ASubtitle->num_rects = rects;
    if (size < 0) throw FFmpegException("Subtitle encoding failed");
    AVPacket* pkt = enc_pkt;
    av::av_packet_unref(pkt);
    if (av::av_new_packet(pkt, size) < 0) throw FFmpegException("Subtitle encoding failed");
    std::memcpy(pkt->data, E.FSubtitleBuf.data(), size);
    pkt->stream_index = AOst.index;
    pkt->pts = av::av_rescale_q(ASubtitle->pts, AVRational{1, AV_TIME_BASE}, AOst.st->time_base);
    if (passes == 2) pkt->pts += 90 * (i == 0 ? ASubtitle->start_display_time : ASubtitle->end_display_time);
    pkt->dts = pkt->pts;
    // The cue's display time: without it the muxers lose where a cue ends (MP4 even drops the
    // last cue).
    pkt->duration = av::av_rescale_q(ASubtitle->end_display_time, AVRational{1, 1000}, AOst.st->time_base);
    WriteFrame(AOst, pkt);
    av::av_packet_unref(pkt);
  }
}

void TTranscoder::DoVideoStats(TAVOutputStream& AOst, int AFrameSize) {
  if (!E.Fvstats_file) {
    E.Fvstats_file = std::fopen(E.Fvstats_filename.c_str(), "w");
    if (!E.Fvstats_file)
      throw FFmpegException(AVErrorText("Could not create the statistics file '" + E.Fvstats_filename + "'", AVERROR(errno)));
  }
  AVCodecContext* enc = AOst.enc;
  if (AOst.setup->type != AVMEDIA_TYPE_VIDEO) return;
  std::fprintf(E.Fvstats_file, "frame= %5d q= %2.1f ", AOst.frame_number, AOst.quality / static_cast<double>(FF_QP2LAMBDA));
  if (enc->flags & AV_CODEC_FLAG_PSNR)
    std::fprintf(E.Fvstats_file, "PSNR= %6.2f ",
                 -10.0 * std::log10(AOst.error[0] / (enc->width * enc->height * 255.0 * 255.0)));
  std::fprintf(E.Fvstats_file, "f_size= %6d ", AFrameSize);
  const double time = std::max(0.01, AOst.sync_opts * av_q2d(enc->time_base));
  const double tb = av_q2d(enc->time_base);
  const double bitrate = tb > 0 ? AFrameSize * 8 / tb / 1000.0 : 0;
  const double average = E.Fvideo_size * 8 / time / 1000.0;
  std::fprintf(E.Fvstats_file, "s_size= %8.0fkB time= %0.3f br= %7.1fkbits/s avg_br= %7.1fkbits/s ",
               E.Fvideo_size / 1024.0, time, bitrate, average);
  std::fprintf(E.Fvstats_file, "type= %c\n", AOst.last_pict_type);
}

void TTranscoder::PrintReport(int AInputFileIndex, bool AIsLast) {
  AVIOContext* pb = E.Foutput_files[0]->ctx->pb;
  int64_t totalSize = 0;
  if (pb) {
    totalSize = av::avio_size(pb);
    if (totalSize < 0) totalSize = av::avio_seek(pb, 0, SEEK_CUR);
    if (totalSize < 0) totalSize = 0;
  }
  TLineBuffer line;
  int frameNumber = -1, fps = -1;
  float quality = -1.0f;
  double smallest = 1e10;
  bool reported = false;
  for (auto& p : ost_table) {
    const TAVOutputStream& ost = *p;
    if (ost.setup->type == AVMEDIA_TYPE_VIDEO) {
      const float q = ost.encoding_needed ? ost.quality / static_cast<float>(FF_QP2LAMBDA) : -1.0f;
      if (reported) {
        line.Append("q=%2.1f ", q);
      } else if (ost.show_fps) {
        reported = true;
        const double elapsed = (av::av_gettime() - timer_start) / 1000000.0;
        if (ost.frame_number < 1) return;
        frameNumber = ost.frame_number;
        fps = elapsed > 1 ? static_cast<int>(frameNumber / elapsed + 0.5) : 0;
        quality = q;
        line.Append("frame=%5d fps=%3d q=%3.1f ", frameNumber, fps, quality);
        if (AIsLast) line.Append("L");
        if (E.Fqp_hist) {
          const int qp = static_cast<int>(std::lround(quality));
          if (qp >= 0 && qp < static_cast<int>(E.Fqp_histogram.size())) ++E.Fqp_histogram[qp];
          for (int j = 0; j < 32; ++j) line.Append("%X", static_cast<int>(std::lround(std::log2(E.Fqp_histogram[j] + 1))));
        }
        const AVCodecContext* enc = ost.enc;
        if (ost.encoding_needed && (enc->flags & AV_CODEC_FLAG_PSNR)) {
          // The last report gives the whole run's figure, the others the last picture's.
          line.Append("PSNR=");
          double errors = 0, scales = 0;
          for (int plane = 0; plane < 3; ++plane) {
            const double error = static_cast<double>(AIsLast ? ost.owner->error_sum[plane] : ost.error[plane]);
            double scale = static_cast<double>(enc->width) * enc->height * 255.0 * 255.0;
            if (AIsLast) scale *= frameNumber;
            if (plane > 0) scale /= 4;
            errors += error;
            scales += scale;
            line.Append("%c:%2.2f ", "YUV"[plane], Psnr(error, scale));
          }
          line.Append("*:%2.2f ", Psnr(errors, scales));
        }
      }
    }
    if (ost.last_time > 0 && ost.last_time < smallest) smallest = ost.last_time;
  }
  if (smallest < 0.01 || smallest >= 1e10) smallest = 0.01;
  // A stream that writes its first packet late would pull the smallest time back; the converted
  // time the reports give never goes back.
  smallest = std::max(smallest, reported_time);
  reported_time = smallest;
  const bool handler = static_cast<bool>(E.OnProgress);
  if (handler || E.Fverbose > 0 || AIsLast) {
    const double bitrate = totalSize * 8 / smallest / 1000.0;
    line.Append("size=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s", totalSize / 1024.0, smallest, bitrate);
    if (E.Fnb_frames_dup || E.Fnb_frames_drop) line.Append(" dup=%d drop=%d", E.Fnb_frames_dup, E.Fnb_frames_drop);
    if (E.FShowDupOrDrop && E.Fverbose >= 0 && handler) {
      E.FShowDupOrDrop = false;
      Log(TLogLevel::llVerbose, line.Text());
    }
    if (handler) {
      const TProgressEvent event = E.OnProgress;
      event(&E, AInputFileIndex, frameNumber, fps, quality, static_cast<float>(bitrate), totalSize,
            static_cast<int64_t>(smallest * 1000000), E.FTotalOutputDuration);
    } else if (E.Fverbose >= 0) {
      Log(TLogLevel::llVerbose, line.Text());
    }
  }
  if (AIsLast && E.Fverbose >= 0) {
    const int64_t raw = E.Faudio_size + E.Fvideo_size + E.Fextra_size;
    // Nothing encoded: no overhead to tell (never a division by zero).
    const double overhead = raw > 0 ? 100.0 * static_cast<double>(totalSize - raw) / static_cast<double>(raw) : 0.0;
    Log(TLogLevel::llVerbose, Printf("video:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead %f%%\r\n",
                                       E.Fvideo_size / 1024.0, E.Faudio_size / 1024.0, E.Fextra_size / 1024.0, overhead));
  }
}
