// The packet loop of a run: choosing the input to read, timestamp corrections, decoding and
// dispatch to the output streams, stream copy, encoding and writing.

#include <thread>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegTranscode.h"

namespace {

struct TPacketDeleter {
  void operator()(AVPacket* APacket) const { av::av_packet_free(&APacket); }
};
using TPacketPtr = std::unique_ptr<AVPacket, TPacketDeleter>;

}  // namespace

void TTranscoder::MainLoop() {
  timer_start = report_time = av::av_gettime();
  int currentFile = 0;
  std::vector<bool> noPacket(files.size(), false);
  int noPacketCount = 0;
  auto clearNoPacket = [&] {
    std::fill(noPacket.begin(), noPacket.end(), false);
    noPacketCount = 0;
  };
  TPacketPtr pkt(av::av_packet_alloc());
  if (!pkt) throw FFmpegException(OutOfMemoryText);

  while (!E.FBroken) {
    E.WaitWhilePaused();
    if (E.FBroken) break;
    E.NoteProgress();

    int fileIndex = -1;
    if (E.FJoinMode) {
      fileIndex = currentFile;
      for (int i = currentFile * group_size; i < (currentFile + 1) * group_size && i < static_cast<int>(ost_table.size()); ++i) {
        const TAVOutputStream& ost = *ost_table[i];
        if (ost.frame_number >= E.Fmax_frames[MaxFramesIndex(ost.setup->type)]) {
          fileIndex = -1;
          break;
        }
      }
    } else {
      double smallestOutput = 1e100, smallestInput = 1e100;
      for (auto& p : ost_table) {
        const TAVOutputStream& ost = *p;
        const TAVInputStream& ist = *ist_table[ost.source_index];
        if (ist.is_past_recording_time || noPacket[ist.file_index]) continue;
        if (!files[ist.file_index].eof_reached) {
          const double opts = ost.last_time;
          const double ipts = static_cast<double>(ist.pts);
          if (ipts < smallestInput) {
            smallestInput = ipts;
            if (E.Finput_sync) fileIndex = ist.file_index;
          }
          if (opts < smallestOutput) {
            smallestOutput = opts;
            if (!E.Finput_sync) fileIndex = ist.file_index;
          }
        }
        if (ost.frame_number >= E.Fmax_frames[MaxFramesIndex(ost.setup->type)]) {
          fileIndex = -1;
          break;
        }
      }
    }
    if (fileIndex < 0) {
      if (E.FJoinMode || noPacketCount == 0) break;
      clearNoPacket();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }

    if (E.Flimit_filesize != 0) {
      AVIOContext* pb = E.Foutput_files[0]->ctx->pb;
      if (pb && av::avio_seek(pb, 0, SEEK_CUR) > E.Flimit_filesize) break;
    }

    AVFormatContext* ic = E.Finput_files[fileIndex];
    const int result = av::av_read_frame(ic, pkt.get());
    if (result == AVERROR(EAGAIN)) {
      noPacket[fileIndex] = true;
      ++noPacketCount;
      continue;
    }
    if (result < 0) {
      files[fileIndex].eof_reached = 1;
      if (!E.FJoinMode) {
        if (E.Fopt_shortest) break;
        continue;
      }
      JoinSwitch(fileIndex);
      if (fileIndex == static_cast<int>(files.size()) - 1) break;
      currentFile = fileIndex + 1;
      continue;
    }
    clearNoPacket();
    if (E.Fdo_pkt_dump) av::av_pkt_dump_log2(nullptr, AV_LOG_DEBUG, pkt.get(), E.Fdo_hex_dump, ic->streams[pkt->stream_index]);

    const TAVInputFile& file = files[fileIndex];
    if (pkt->stream_index < file.nb_streams && !ist_table[file.ist_index + pkt->stream_index]->discard) {
      const int istIndex = file.ist_index + pkt->stream_index;
      TAVInputStream& ist = *ist_table[istIndex];
      ++packets_read;
      const AVRational tb = ist.st->time_base;
      const int64_t offset =
          fileIndex < static_cast<int>(E.Finput_files_ts_offset.size()) ? E.Finput_files_ts_offset[fileIndex] : 0;
      const int64_t offsetTb = av::av_rescale_q(offset, AVRational{1, AV_TIME_BASE}, tb);
      if (pkt->dts != AV_NOPTS_VALUE) pkt->dts += offsetTb;
      if (pkt->pts != AV_NOPTS_VALUE) pkt->pts += offsetTb;
      if (fileIndex < static_cast<int>(E.Finput_files_ts_scale.size()) &&
          pkt->stream_index < static_cast<int>(E.Finput_files_ts_scale[fileIndex].size())) {
        const double scale = E.Finput_files_ts_scale[fileIndex][pkt->stream_index];
        if (scale != 0) {
          if (pkt->dts != AV_NOPTS_VALUE) pkt->dts = std::llround(pkt->dts * scale);
          if (pkt->pts != AV_NOPTS_VALUE) pkt->pts = std::llround(pkt->pts * scale);
        }
      }
      if ((ic->iformat->flags & AVFMT_TS_DISCONT) && pkt->dts != AV_NOPTS_VALUE && ist.next_pts != AV_NOPTS_VALUE) {
        const int64_t pktDts = av::av_rescale_q(pkt->dts, tb, AVRational{1, AV_TIME_BASE});
        const int64_t delta = pktDts - ist.next_pts;
        if ((std::llabs(delta) > static_cast<int64_t>(E.Fdts_delta_threshold * 1000000) || pktDts + 1 < ist.pts) &&
            !E.Fcopy_ts) {
          if (fileIndex < static_cast<int>(E.Finput_files_ts_offset.size())) E.Finput_files_ts_offset[fileIndex] -= delta;
          if (E.Fverbose > 2)
            Log(TLogLevel::llVerbose, Printf("timestamp discontinuity %lld, new offset= %lld",
                                               static_cast<long long>(delta),
                                               static_cast<long long>(fileIndex < static_cast<int>(E.Finput_files_ts_offset.size())
                                                                          ? E.Finput_files_ts_offset[fileIndex]
                                                                          : 0)));
          const int64_t deltaTb = av::av_rescale_q(delta, AVRational{1, AV_TIME_BASE}, tb);
          pkt->dts -= deltaTb;
          if (pkt->pts != AV_NOPTS_VALUE) pkt->pts -= deltaTb;
        }
      }
      bool past = false;
      if (E.Frecording_time != INT64_MAX && pkt->pts != AV_NOPTS_VALUE &&
          av::av_compare_ts(pkt->pts, tb, E.Frecording_time + E.Fstart_time, AVRational{1, AV_TIME_BASE}) >= 0) {
        ist.is_past_recording_time = true;
        past = true;
      }
      if (!past && OutputPacket(ist, istIndex, pkt.get()) < 0) {
        const std::string text = Printf("Error while decoding stream #%d.%d (%s)", ist.file_index, ist.index,
                                          MediaTypeName(ist.st->codecpar->codec_type).c_str());
        if (E.Fexit_on_error) throw FFmpegException(text);
        if (E.Fverbose >= 0) Log(TLogLevel::llVerbose, text);
        av::av_packet_unref(pkt.get());
        continue;
      }
    }
    av::av_packet_unref(pkt.get());

    const int64_t now = av::av_gettime();
    if (now - report_time > E.ReportInterval) {
      report_time = now;
      PrintReport(E.FJoinMode ? currentFile : fileIndex, false);
    }
  }

  for (size_t i = 0; i < ist_table.size(); ++i) {
    TAVInputStream& ist = *ist_table[i];
    if (ist.decoding_needed && !ist.decoder_flushed && DrainsAtEnd(static_cast<int>(i)))
      OutputPacket(ist, static_cast<int>(i), nullptr);
  }
  // Copied and encoded streams whose input was not decoded get no drain. Bitstream filters that
  // hold packets back give them up now, written as the group that fed them last (join mode); the
  // trailers follow.
  for (auto& p : ost_table)
    if (!p->bsfs.empty()) WriteFrame(p->last_writer ? *p->last_writer : *p, nullptr);
  std::vector<int> trailers;
  for (int i = 0; i < E.NbOutputFiles(); ++i) {
    if (E.FJoinMode && i > 0) break;
    trailers.push_back(av::av_write_trailer(E.Foutput_files[i]->ctx));
  }
  PrintReport(-1, true);
  // The last bytes reach the file when it is closed: a full disk or a lost network folder may show
  // only then. Such an output is not whole, and the job fails saying why.
  std::string failure;
  for (size_t i = 0; i < trailers.size(); ++i) {
    TOutputFileSetup& file = *E.Foutput_files[i];
    const int closed = file.CloseIO();
    const int result = trailers[i] < 0 ? trailers[i] : closed;
    if (result < 0 && failure.empty())
      failure = AVErrorText(Printf("Could not finish writing output file #%d '%s'", static_cast<int>(i),
                                   file.file_name.c_str()),
                            result);
  }
  if (!failure.empty()) {
    Log(TLogLevel::llError, failure);
    throw FFmpegException(failure);
  }
  outputs_finished = true;
}

bool TTranscoder::DrainsAtEnd(int AIstIndex) const {
  if (!E.FBroken) return true;
  // At a stop, a video encoder that has already written pictures gives up those it still holds
  // (a few dozen for some codecs): encoding them would keep the user waiting on every stopped
  // task, and the file simply ends a little earlier. One that has written nothing yet is
  // drained, so the file gets its pictures; sound is always drained (it costs little).
  for (const auto& p : ost_table) {
    if (p->source_index != AIstIndex || !p->encoding_needed) continue;
    if (p->setup->type != AVMEDIA_TYPE_VIDEO || p->packets_written == 0) return true;
  }
  return false;
}

void TTranscoder::JoinSwitch(int AFile) {
  const int n = group_size;
  const bool last = AFile == static_cast<int>(files.size()) - 1;
  const TAVInputFile& file = files[AFile];
  for (int i = file.ist_index; i < file.ist_index + file.nb_streams; ++i) {
    TAVInputStream& ist = *ist_table[i];
    if (!ist.decoding_needed) continue;
    // The last input drains the encoders too; earlier ones hand their leftovers on.
    if (last) {
      OutputPacket(ist, i, nullptr);
    } else {
      av::avcodec_send_packet(ist.dec, nullptr);
      while (av::avcodec_receive_frame(ist.dec, ist.frame) >= 0) {
        DispatchFrame(ist, i, ist.frame);
        av::av_frame_unref(ist.frame);
      }
      for (auto& p : ost_table)
        if (p->source_index == i && p->encoding_needed && p->setup->type == AVMEDIA_TYPE_VIDEO) FlushVideo(*p, ist);
    }
    ist.decoder_flushed = true;
  }
  if (last) return;
  double maximum = 0;
  const int begin = AFile * n;
  for (int i = begin; i < begin + n && i + n < static_cast<int>(ost_table.size()); ++i) {
    TAVOutputStream& from = *ost_table[i];
    TAVOutputStream& to = *ost_table[i + n];
    if (from.last_time > maximum) maximum = from.last_time;
    from.show_fps = false;
    // The next group goes on where this one stopped: positions, counts and buffered samples.
    to.sync_opts = from.sync_opts;
    to.frame_number = from.frame_number;
    to.last_time = from.last_time;
    to.last_dts = from.last_dts;
    to.packets_written = from.packets_written;
    to.fifo = std::move(from.fifo);
    to.fifo_samples = from.fifo_samples;
    to.audio_started = from.audio_started;
    from.fifo_samples = 0;
  }
  for (int i = (AFile + 2) * n; i < static_cast<int>(ost_table.size()); ++i) {
    ost_table[i]->sync_opts = ost_table[i - n]->sync_opts;
    ost_table[i]->frame_number = ost_table[i - n]->frame_number;
  }
  if (AFile + 1 < static_cast<int>(E.Finput_files_ts_offset.size()))
    E.Finput_files_ts_offset[AFile + 1] += std::llround(maximum * 1000000);
}

int TTranscoder::OutputPacket(TAVInputStream& AIst, int AIstIndex, const AVPacket* APacket) {
  if (AIst.next_pts == AV_NOPTS_VALUE) AIst.next_pts = AIst.pts;
  const AVRational tb = AIst.st->time_base;
  const AVCodecParameters* par = AIst.st->codecpar;
  if (APacket && APacket->dts != AV_NOPTS_VALUE)
    AIst.next_pts = AIst.pts = av::av_rescale_q(APacket->dts, tb, AVRational{1, AV_TIME_BASE});

  int answer = 0;
  if (AIst.decoding_needed) {
    if (par->codec_type == AVMEDIA_TYPE_SUBTITLE) {
      if (APacket) {
        AVSubtitle subtitle{};
        int got = 0;
        if (av::avcodec_decode_subtitle2(AIst.dec, &subtitle, &got, const_cast<AVPacket*>(APacket)) < 0) return -1;
        if (got) {
          if (E.Fstart_time == 0 || AIst.pts >= E.Fstart_time)
            for (auto& p : ost_table)
              if (p->source_index == AIstIndex && p->encoding_needed)
                DoSubtitleOut(*p, AIst, &subtitle, APacket->pts);
          av::avsubtitle_free(&subtitle);
        }
      }
    } else {
      const int sent = av::avcodec_send_packet(AIst.dec, APacket);
      if (sent < 0 && sent != AVERROR_EOF && sent != AVERROR(EAGAIN)) answer = -1;
      while (true) {
        const int received = av::avcodec_receive_frame(AIst.dec, AIst.frame);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) break;
        if (received < 0) {
          answer = -1;
          break;
        }
        DispatchFrame(AIst, AIstIndex, AIst.frame);
        av::av_frame_unref(AIst.frame);
      }
    }
  } else if (APacket) {
    // Only copies take this stream: its position follows the packets.
    int64_t duration = APacket->duration > 0 ? av::av_rescale_q(APacket->duration, tb, AVRational{1, AV_TIME_BASE}) : 0;
    if (!duration && par->codec_type == AVMEDIA_TYPE_AUDIO && par->sample_rate > 0 && par->frame_size > 0)
      duration = static_cast<int64_t>(AV_TIME_BASE) * par->frame_size / par->sample_rate;
    AIst.next_pts += duration;
  }

  if (APacket && !AIst.decoding_needed) {
    ++frames_decoded;
    reached_start = reached_start || AIst.pts >= E.Fstart_time;
  }
  if (APacket && (E.Fstart_time == 0 || AIst.pts >= E.Fstart_time))
    for (auto& p : ost_table)
      if (p->source_index == AIstIndex && !p->encoding_needed) CopyPacket(*p, AIst, APacket);

  if (!APacket) {
    for (auto& p : ost_table) {
      TAVOutputStream& ost = *p;
      if (ost.source_index != AIstIndex || !ost.encoding_needed) continue;
      if (ost.setup->type == AVMEDIA_TYPE_VIDEO) FlushVideo(ost, AIst);
      if (ost.setup->type == AVMEDIA_TYPE_AUDIO) EncodeAudioFifo(ost, true);
      if (ost.setup->type != AVMEDIA_TYPE_SUBTITLE) EncodeAndWrite(ost, nullptr);
    }
  }
  return answer;
}

void TTranscoder::DispatchFrame(TAVInputStream& AIst, int AIstIndex, AVFrame* AFrame) {
  const int64_t best = AFrame->best_effort_timestamp;
  if (best != AV_NOPTS_VALUE) AIst.pts = av::av_rescale_q(best, AIst.st->time_base, AVRational{1, AV_TIME_BASE});
  else AIst.pts = AIst.next_pts;
  const AVMediaType type = AIst.st->codecpar->codec_type;
  int64_t duration = 0;
  if (type == AVMEDIA_TYPE_AUDIO && AFrame->sample_rate > 0)
    duration = static_cast<int64_t>(AV_TIME_BASE) * AFrame->nb_samples / AFrame->sample_rate;
  else if (type == AVMEDIA_TYPE_VIDEO) {
    const AVRational rate = AIst.st->avg_frame_rate.num ? AIst.st->avg_frame_rate : AIst.st->r_frame_rate;
    duration = AFrame->pkt_duration > 0 ? av::av_rescale_q(AFrame->pkt_duration, AIst.st->time_base, AVRational{1, AV_TIME_BASE})
                                    : FrameDurationMicroseconds(rate);
    duration += duration * AFrame->repeat_pict / 2;
  }
  AIst.next_pts = AIst.pts + duration;

  if (type == AVMEDIA_TYPE_VIDEO) {
    PreProcessVideoFrame(AIst, AFrame);
    AIst.quality = AFrame->quality;
  } else if (type == AVMEDIA_TYPE_AUDIO && E.Faudio_volume != 256) {
    ApplyVolume(AFrame);
  }
  if (E.Frate_emu) {
    const int64_t ahead = AIst.pts - (av::av_gettime() - AIst.start);
    if (ahead > 1000) std::this_thread::sleep_for(std::chrono::microseconds(ahead));
  }
  ++frames_decoded;
  reached_start = reached_start || AIst.pts >= E.Fstart_time;
  if (E.Fstart_time != 0 && AIst.pts < E.Fstart_time) return;
  for (auto& p : ost_table) {
    TAVOutputStream& ost = *p;
    if (ost.source_index != AIstIndex || !ost.encoding_needed) continue;
    if (type == AVMEDIA_TYPE_AUDIO)
      DoAudioOut(ost, AIst, AFrame);
    else if (type == AVMEDIA_TYPE_VIDEO)
      FeedVideo(ost, AIst, AFrame);
  }
}

void TTranscoder::CopyPacket(TAVOutputStream& AOst, TAVInputStream& AIst, const AVPacket* APacket) {
  if (AOst.frame_number == 0 && !(APacket->flags & AV_PKT_FLAG_KEY) && !E.Fcopy_initial_nonkeyframes) return;
  TPacketPtr out(av::av_packet_alloc());
  if (!out || av::av_packet_ref(out.get(), APacket) < 0) throw FFmpegException(OutOfMemoryText);
  const AVRational itb = AIst.st->time_base, otb = AOst.st->time_base;
  const int64_t start = av::av_rescale_q(E.Fstart_time, AVRational{1, AV_TIME_BASE}, otb);
  out->stream_index = AOst.index;
  out->pts = APacket->pts != AV_NOPTS_VALUE ? av::av_rescale_q(APacket->pts, itb, otb) - start : AV_NOPTS_VALUE;
  out->dts = (APacket->dts != AV_NOPTS_VALUE ? av::av_rescale_q(APacket->dts, itb, otb)
                                             : av::av_rescale_q(AIst.pts, AVRational{1, AV_TIME_BASE}, otb)) -
             start;
  out->duration = av::av_rescale_q(APacket->duration, itb, otb);
  out->time_base = otb;
  if (AOst.setup->type == AVMEDIA_TYPE_AUDIO)
    E.Faudio_size += APacket->size;
  else if (AOst.setup->type == AVMEDIA_TYPE_VIDEO) {
    E.Fvideo_size += APacket->size;
    ++AOst.sync_opts;
  }
  WriteFrame(AOst, out.get());
  ++AOst.frame_number;
}

void TTranscoder::EncodeAndWrite(TAVOutputStream& AOst, AVFrame* AFrame) {
  AVCodecContext* enc = AOst.enc;
  const bool video = AOst.setup->type == AVMEDIA_TYPE_VIDEO;
  const char* failure = video ? "Video encoding failed" : "Audio encoding failed";
  std::shared_lock<std::shared_mutex> tables(SharedTablesEncoderLock(), std::defer_lock);
  if (EncoderSharesTables(enc->codec)) tables.lock();
  const int sent = av::avcodec_send_frame(enc, AFrame);
  if (sent < 0 && sent != AVERROR_EOF) throw FFmpegException(AVErrorText(failure, sent));
  while (true) {
    const int received = av::avcodec_receive_packet(enc, enc_pkt);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) break;
    if (received < 0) throw FFmpegException(AVErrorText(failure, received));
    const int size = enc_pkt->size;
    if (video) {
      E.Fvideo_size += size;
      size_t sideSize = 0;
      if (const uint8_t* stats = av::av_packet_get_side_data(enc_pkt, AV_PKT_DATA_QUALITY_STATS, &sideSize);
          stats && sideSize >= 5) {
        AOst.quality = static_cast<int64_t>(stats[0]) | (static_cast<int64_t>(stats[1]) << 8) |
                       (static_cast<int64_t>(stats[2]) << 16) | (static_cast<int64_t>(stats[3]) << 24);
        AOst.last_pict_type = av::av_get_picture_type_char(static_cast<AVPictureType>(stats[4]));
        // Then a count, two spare bytes and that many 64-bit squared errors, one per plane.
        for (int plane = 0; plane < 3; ++plane) {
          AOst.error[plane] = 0;
          if (plane >= stats[5] || sideSize < 8 + 8 * static_cast<size_t>(plane + 1)) continue;
          for (int b = 7; b >= 0; --b) AOst.error[plane] = (AOst.error[plane] << 8) | stats[8 + 8 * plane + b];
          AOst.owner->error_sum[plane] += AOst.error[plane];
        }
      }
    } else {
      E.Faudio_size += size;
    }
    if (AOst.logfile && enc->stats_out) std::fputs(enc->stats_out, AOst.logfile);
    enc_pkt->stream_index = AOst.index;
    // A picture lasts one frame of the encoder's rate, so the stream's written time covers it.
    if (video && enc_pkt->duration <= 0) enc_pkt->duration = 1;
    av::av_packet_rescale_ts(enc_pkt, enc->time_base, AOst.st->time_base);
    enc_pkt->time_base = AOst.st->time_base;
    if (video && !E.Fvstats_filename.empty() && size > 0) DoVideoStats(AOst, size);
    WriteFrame(AOst, enc_pkt);
    av::av_packet_unref(enc_pkt);
  }
}

void TTranscoder::WriteFrame(TAVOutputStream& AOst, AVPacket* APacket) {
  const std::vector<AVBSFContext*>& chain = AOst.owner->bsfs;
  if (chain.empty()) {
    if (APacket) WriteOne(AOst, APacket);
    return;
  }
  AOst.owner->last_writer = &AOst;
  // Each filter of the chain may answer none, one or several packets for one. At the end (no
  // packet) every filter, in chain order, gets its input's last packets and then the end.
  // The chain works in the time bases it was opened with (a filter may choose its own, and the
  // muxer may change the stream's when it writes the header): packets are rescaled on the way
  // in and out.
  std::vector<TPacketPtr> current;
  if (APacket) {
    current.emplace_back(av::av_packet_clone(APacket));
    if (!current.back()) throw FFmpegException(OutOfMemoryText);
    av::av_packet_rescale_ts(current.back().get(), AOst.st->time_base, chain.front()->time_base_in);
  }
  for (AVBSFContext* bsf : chain) {
    std::vector<TPacketPtr> next;
    auto filter = [&](AVPacket* APart) {
      int result = av::av_bsf_send_packet(bsf, APart);
      while (result >= 0) {
        TPacketPtr out(av::av_packet_alloc());
        result = av::av_bsf_receive_packet(bsf, out.get());
        if (result >= 0) next.push_back(std::move(out));
      }
      if (result != AVERROR(EAGAIN) && result != AVERROR_EOF && result < 0) {
        const std::string text = AVErrorText(
            Printf("%s failed for stream %d, codec %s", bsf->filter->name, AOst.index,
                     AOst.encoding_needed && AOst.enc->codec ? AOst.enc->codec->name : "copy"),
            result);
        if (E.Fexit_on_error) throw FFmpegException(text);
        Log(TLogLevel::llError, text);
      }
    };
    for (auto& packet : current)
      if (packet) filter(packet.get());
    if (!APacket) filter(nullptr);
    current = std::move(next);
  }
  for (auto& packet : current) {
    av::av_packet_rescale_ts(packet.get(), chain.back()->time_base_out, AOst.st->time_base);
    packet->time_base = AOst.st->time_base;
    WriteOne(AOst, packet.get());
  }
}

void TTranscoder::WriteOne(TAVOutputStream& AOst, AVPacket* APacket) {
  APacket->stream_index = AOst.index;
  const AVRational tb = AOst.st->time_base;
  // Every muxer gets increasing decoding times and presentation times not before them.
  if (APacket->dts == AV_NOPTS_VALUE) APacket->dts = APacket->pts;
  if (APacket->dts != AV_NOPTS_VALUE && AOst.last_dts != AV_NOPTS_VALUE) {
    const AVFormatContext* oc = AOst.file->ctx;
    const int64_t minimum = AOst.last_dts + ((oc->oformat->flags & AVFMT_TS_NONSTRICT) ? 0 : 1);
    if (APacket->dts < minimum) APacket->dts = minimum;
  }
  if (APacket->pts != AV_NOPTS_VALUE && APacket->dts != AV_NOPTS_VALUE && APacket->pts < APacket->dts)
    APacket->pts = APacket->dts;
  if (APacket->dts != AV_NOPTS_VALUE) {
    AOst.last_dts = APacket->dts;
    const int64_t end = (APacket->pts != AV_NOPTS_VALUE ? std::max(APacket->pts, APacket->dts) : APacket->dts) +
                        std::max<int64_t>(APacket->duration, 0);
    AOst.last_time = std::max(AOst.last_time, end * av_q2d(tb));
  }
  ++AOst.packets_written;
  E.NoteProgress();
  const int result = av::av_interleaved_write_frame(AOst.file->ctx, APacket);
  if (result < 0)
    throw FFmpegException(AVErrorText(Printf("Could not write to output file #%d '%s'", AOst.file_index,
                                             AOst.file->file_name.c_str()),
                                      result));
}
