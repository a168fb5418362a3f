// The run's codecs: copy or re-encode per output stream, two-pass statistics files, opening and
// closing of encoders and decoders under the codec lock, metadata, chapters and headers.

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLogger.h"
#include "Src/FFmpegTranscode.h"
#include "Src/UnicodeProtocol.h"

namespace {

// AText with the libraries' own reason for a failed call: what they logged meanwhile, else the
// text of their error code.
std::string WithLibraryCause(const TLibraryErrorCapture& ACause, const std::string& AText, int AError) {
  if (!ACause.Cause().empty()) return ACause.WithCause(AText);
  char reason[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av::av_strerror && av::av_strerror(AError, reason, sizeof reason) == 0) return AText + ": " + reason;
  return AText;
}

bool IsDiscFormat(const AVOutputFormat* AFormat) {
  const std::string name = AFormat && AFormat->name ? AFormat->name : "";
  return name == "vcd" || name == "svcd" || name == "dvd";
}

}  // namespace

void TTranscoder::SetupOutputCodecs() {
  for (size_t i = 0; i < ost_table.size(); ++i) {
    TAVOutputStream& ost = *ost_table[i];
    TAVInputStream& ist = *ist_table[ost.source_index];
    if (!ost.first_group) {
      // Later join groups share the first group's streams and codecs.
      const TAVOutputStream& first = *ost_table[i % group_size];
      ost.encoding_needed = first.encoding_needed;
      if (ost.encoding_needed) ist.decoding_needed = true;
      if (ost.encoding_needed && ost.setup->type == AVMEDIA_TYPE_VIDEO) BuildVideoGraph(ost, ist);
      continue;
    }
    av::av_dict_copy(&ost.st->metadata, ist.st->metadata, AV_DICT_DONT_OVERWRITE);
    ost.st->disposition = ist.st->disposition;
    ost.enc->bits_per_raw_sample = ist.st->codecpar->bits_per_raw_sample;
    ost.enc->chroma_sample_location = ist.st->codecpar->chroma_location;
    if (ost.setup->stream_copy)
      CopyStreamParameters(ost, ist);
    else
      PrepareEncoding(ost, ist, static_cast<int>(i));
  }
}

void TTranscoder::BuildVideoGraph(TAVOutputStream& AOst, TAVInputStream& AIst) {
  // Cropping, scaling, deinterlacing and pixel-format conversion all go through the stream's
  // filter graph, built for the decoder's announced picture and again whenever the decoded
  // pictures change size or format, so a size change always has a scaler.
  AVCodecContext* dec = AIst.dec;
  E.ConfigureVideoFilters(dec, AVRational{1, AV_TIME_BASE}, AOst.enc, AOst.graph, threads);
  AOst.graph_width = dec->width;
  AOst.graph_height = dec->height;
  AOst.graph_format = dec->pix_fmt;
  if (!AOst.filtered) AOst.filtered = av::av_frame_alloc();
  if (!AOst.filtered) throw FFmpegException(OutOfMemoryText);
}

void TTranscoder::CopyStreamParameters(TAVOutputStream& AOst, TAVInputStream& AIst) {
  const AVCodecParameters* in = AIst.st->codecpar;
  AVCodecParameters* out = AOst.st->codecpar;
  if (static_cast<int64_t>(in->extradata_size) + AV_INPUT_BUFFER_PADDING_SIZE > INT32_MAX)
    throw FFmpegException("icodec.extradata_size is invalid (too large)");
  switch (in->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      if (E.Faudio_volume != 256)
        throw FFmpegException("-acodec copy and -vol are incompatible (frames are not decoded)");
      break;
    case AVMEDIA_TYPE_VIDEO:
      if (E.OnCustomHook)
        throw FFmpegException("-vcodec copy and CustomHook are incompatible (frames are not decoded)");
      if (E.Fusing_vhook)
        throw FFmpegException("-vcodec copy and -vhook are incompatible (frames are not decoded)");
      if (!E.PostHooks().Empty())
        throw FFmpegException("-vcodec copy and PostHooks are incompatible (frames are not decoded)");
      break;
    case AVMEDIA_TYPE_SUBTITLE: break;
    default: throw FFmpegException("invalid codec_type of output stream");
  }
  const uint32_t requestedTag = AOst.enc->codec_tag;
  if (av::avcodec_parameters_copy(out, in) < 0) throw FFmpegException(OutOfMemoryText);
  const AVOutputFormat* format = AOst.file->ctx->oformat;
  uint32_t tag = requestedTag;
  if (!tag) {
    unsigned int mapped = 0;
    (void)mapped;
    const bool keep = !format->codec_tag || av::av_codec_get_id(format->codec_tag, in->codec_tag) == in->codec_id ||
                      av::av_codec_get_tag(format->codec_tag, in->codec_id) == 0;
    tag = keep ? in->codec_tag : 0;
  }
  out->codec_tag = tag;
  AOst.st->time_base = AIst.st->time_base;
  AOst.st->avg_frame_rate = AIst.st->avg_frame_rate;
  AOst.st->r_frame_rate = AIst.st->r_frame_rate;
  if (in->codec_type == AVMEDIA_TYPE_AUDIO) {
    if ((out->codec_id == AV_CODEC_ID_MP3 && out->block_align == 1) || out->codec_id == AV_CODEC_ID_AC3)
      out->block_align = 0;
  } else if (in->codec_type == AVMEDIA_TYPE_VIDEO) {
    AOst.st->sample_aspect_ratio = AIst.st->sample_aspect_ratio;
  }
}

void TTranscoder::PrepareEncoding(TAVOutputStream& AOst, TAVInputStream& AIst, int ATableIndex) {
  AVCodecContext* enc = AOst.enc;
  const AVCodecParameters* in = AIst.st->codecpar;
  switch (AOst.setup->type) {
    case AVMEDIA_TYPE_AUDIO: {
      // What the inputs gave (no option did) is taken from the stream this output encodes: the
      // set-up could not know which one that would be.
      const TInputDefaults& derived = AOst.setup->from_input;
      TAudioFormat format = AOst.setup->audio_format;
      if (derived.sample_rate && in->sample_rate > 0) format.sample_rate = in->sample_rate;
      if (derived.channels && in->ch_layout.nb_channels > 0) {
        format.channels = in->ch_layout.nb_channels;
        format.channel_layout =
            in->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? static_cast<int64_t>(in->ch_layout.u.mask) : 0;
      }
      if (derived.sample_fmt && in->format >= 0) format.sample_fmt = in->format;
      if (!(format == AOst.setup->audio_format)) E.SetEncoderAudioFormat(*AOst.setup, format);
      // The encoder counts samples: its time base is one sample at the rate it finally took.
      if (enc->sample_rate <= 0) enc->sample_rate = in->sample_rate > 0 ? in->sample_rate : 44100;
      if (enc->ch_layout.nb_channels <= 0) av::av_channel_layout_default(&enc->ch_layout, 2);
      enc->time_base = AVRational{1, enc->sample_rate};
      AIst.decoding_needed = true;
      AOst.encoding_needed = true;
      break;
    }
    case AVMEDIA_TYPE_VIDEO: {
      if (AOst.setup->from_input.frame_rate) {
        const AVRational rate = InputFrameRate(E.Finput_files[AIst.file_index], AIst.st);
        if (rate.num != AOst.setup->frame_rate.num || rate.den != AOst.setup->frame_rate.den)
          E.SetEncoderFrameRate(*AOst.setup, rate);
      }
      if (enc->pix_fmt == AV_PIX_FMT_NONE)
        throw FFmpegException("Video pixel format is unknown, stream cannot be encoded");
      bool sidesSwapped = false;
      AOst.graph.upright = UprightFilters(AIst.st, sidesSwapped);
      // Without a size of its own the output takes the cropped input picture, upright.
      if (enc->width <= 0 || enc->height <= 0) {
        enc->width = in->width - E.Fframe_leftBand - E.Fframe_rightBand;
        enc->height = in->height - E.Fframe_topBand - E.Fframe_bottomBand;
        if (sidesSwapped) std::swap(enc->width, enc->height);
      } else if (sidesSwapped && !IsDiscFormat(AOst.file->ctx->oformat)) {
        // A fixed size is fitted the way round the upright picture stands; a disc keeps its norm.
        std::swap(enc->width, enc->height);
        std::swap(enc->sample_aspect_ratio.num, enc->sample_aspect_ratio.den);
        AOst.st->sample_aspect_ratio = enc->sample_aspect_ratio;
      }
      // The pictures leave upright: a turn the input was tagged with must not be applied again.
      av::av_dict_set(&AOst.st->metadata, "rotate", nullptr, 0);
      if (enc->width <= 0 || enc->height <= 0) throw FFmpegException("Video frame size is unknown, stream cannot be encoded");
      enc->bits_per_raw_sample = 0;
      AIst.decoding_needed = true;
      AOst.encoding_needed = true;
      BuildVideoGraph(AOst, AIst);
      break;
    }
    case AVMEDIA_TYPE_SUBTITLE:
      AIst.decoding_needed = true;
      AOst.encoding_needed = true;
      if (enc->time_base.num <= 0) enc->time_base = AVRational{1, AV_TIME_BASE};
      break;
    default: throw FFmpegException("invalid codec_type of output stream");
  }
  if (enc->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2)) OpenPassLogFile(AOst, ATableIndex);
}

void TTranscoder::OpenPassLogFile(TAVOutputStream& AOst, int ATableIndex) {
  const std::string prefix = E.Fpass_logfilename_prefix.empty() ? "ffmpeg2pass" : E.Fpass_logfilename_prefix;
  std::string name = prefix + "-" + std::to_string(ATableIndex) + ".log";
  if (name.size() > 1023) name.resize(1023);
  if (AOst.enc->flags & AV_CODEC_FLAG_PASS1) {
    AOst.logfile = std::fopen(name.c_str(), "wb");
    if (!AOst.logfile) throw FFmpegException(Printf("Cannot write log file %s for pass-1 encoding", name.c_str()));
    return;
  }
  std::string text;
  const int result = ReadWholeFile(name, text);
  if (result == -12)
    throw FFmpegException(
        Printf("Could not allocate file buffer: Error reading log file \"%s\" for pass-2 encoding", name.c_str()));
  if (result != 0)
    throw FFmpegException(
        Printf("Cannot read file: Error reading log file \"%s\" for pass-2 encoding", name.c_str()));
  auto* buffer = static_cast<char*>(av::av_malloc(text.size() + 1));
  if (!buffer)
    throw FFmpegException(
        Printf("Could not allocate file buffer: Error reading log file \"%s\" for pass-2 encoding", name.c_str()));
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = 0;
  av::av_freep(&AOst.enc->stats_in);
  AOst.enc->stats_in = buffer;
}

void TTranscoder::OpenEncoders() {
  for (size_t i = 0; i < ost_table.size(); ++i) {
    TAVOutputStream& ost = *ost_table[i];
    if (!ost.first_group) continue;
    if (ost.encoding_needed) {
      const AVCodec* codec = i < E.Foutput_codecs.size() && E.Foutput_codecs[i] ? E.Foutput_codecs[i] : nullptr;
      if (!codec) codec = ost.setup->codec ? ost.setup->codec : av::avcodec_find_encoder(ost.enc->codec_id);
      if (!codec) {
        DumpStreamMapping();
        const std::string text = Printf("Encoder (codec id %d) not found for output stream #%d.%d (%s)",
                                          ost.enc->codec_id, ost.file_index, ost.index,
                                          MediaTypeName(ost.setup->type).c_str());
        Log(TLogLevel::llError, text);
        throw FFmpegException(text);
      }
      if (ost.setup->type == AVMEDIA_TYPE_SUBTITLE) CopySubtitleHeader(ost, *ist_table[ost.source_index]);
      AVDictionary* opts = nullptr;
      av::av_dict_copy(&opts, ost.setup->codec_opts, 0);
      ost.enc->thread_count = threads;
      int result;
      const TLibraryErrorCapture cause;
      {
        std::unique_lock<std::shared_mutex> tables(SharedTablesEncoderLock(), std::defer_lock);
        if (EncoderSharesTables(codec)) tables.lock();
        std::lock_guard<TCriticalSection> guard(CodecLock());
        result = av::avcodec_open2(ost.enc, codec, &opts);
        if (result >= 0) {
          ost.enc_open = true;
          E.AddCodecItem(TCustomFFmpeg::TCodecList::Encoders, ost.enc);
        }
      }
      av::av_dict_free(&opts);
      if (result < 0) {
        DumpStreamMapping();
        const std::string text = WithLibraryCause(
            cause,
            Printf("Error while opening encoder for output stream #%d.%d (%s) - maybe incorrect parameters such as "
                   "bit_rate, rate, width or height",
                   ost.file_index, ost.index, MediaTypeName(ost.setup->type).c_str()),
            result);
        Log(TLogLevel::llError, text);
        throw FFmpegException(text);
      }
      E.Fextra_size += ost.enc->extradata_size;
      if (av::avcodec_parameters_from_context(ost.st->codecpar, ost.enc) < 0) throw FFmpegException(OutOfMemoryText);
      ost.st->time_base = ost.enc->time_base;
      if (ost.setup->type == AVMEDIA_TYPE_VIDEO) {
        ost.st->avg_frame_rate = AVRational{ost.enc->time_base.den, ost.enc->time_base.num};
        ost.st->sample_aspect_ratio = ost.enc->sample_aspect_ratio;
      }
    }
    OpenBitstreamFilters(ost);
  }
}

void TTranscoder::CopySubtitleHeader(TAVOutputStream& AOst, const TAVInputStream& AIst) {
  // Text subtitle encoders refuse to open without the style header the decoder made; the encoder
  // context frees its copy.
  const AVCodecContext* dec = AIst.dec;
  if (!dec || !dec->subtitle_header || dec->subtitle_header_size <= 0 || AOst.enc->subtitle_header) return;
  AOst.enc->subtitle_header = static_cast<uint8_t*>(av::av_mallocz(dec->subtitle_header_size + 1));
  if (!AOst.enc->subtitle_header) throw FFmpegException(OutOfMemoryText);
  std::memcpy(AOst.enc->subtitle_header, dec->subtitle_header, dec->subtitle_header_size);
  AOst.enc->subtitle_header_size = dec->subtitle_header_size;
}

void TTranscoder::OpenBitstreamFilters(TAVOutputStream& AOst) {
  const AVCodecParameters* par = AOst.st->codecpar;
  AVRational timeBase = AOst.st->time_base;
  for (const TBitstreamFilterEntry& entry : AOst.setup->bitstream_filters) {
    const AVBitStreamFilter* filter = entry.filter;
    AVBSFContext* bsf = nullptr;
    if (av::av_bsf_alloc(filter, &bsf) < 0) throw FFmpegException(OutOfMemoryText);
    AOst.bsfs.push_back(bsf);
    ApplyBitstreamFilterOptions(bsf, entry);
    av::avcodec_parameters_copy(bsf->par_in, AOst.bsfs.size() == 1 ? par : AOst.bsfs[AOst.bsfs.size() - 2]->par_out);
    bsf->time_base_in = timeBase;
    const int result = av::av_bsf_init(bsf);
    if (result < 0) throw FFmpegException(AVErrorText(Printf("Cannot initialise bitstream filter %s", filter->name), result));
    timeBase = bsf->time_base_out;
  }
  if (!AOst.bsfs.empty()) av::avcodec_parameters_copy(AOst.st->codecpar, AOst.bsfs.back()->par_out);
}

void TTranscoder::OpenDecoders() {
  for (size_t i = 0; i < ist_table.size(); ++i) {
    TAVInputStream& ist = *ist_table[i];
    if (!ist.decoding_needed) continue;
    const AVCodec* codec = i < E.Finput_codecs.size() && E.Finput_codecs[i] ? E.Finput_codecs[i] : nullptr;
    if (!codec) codec = av::avcodec_find_decoder(ist.st->codecpar->codec_id);
    if (!codec) {
      DumpStreamMapping();
      const std::string text = Printf("Decoder (codec id %d) not found for input stream #%d.%d (%s)",
                                        ist.st->codecpar->codec_id, ist.file_index, ist.index,
                                        MediaTypeName(ist.st->codecpar->codec_type).c_str());
      Log(TLogLevel::llError, text);
      throw FFmpegException(text);
    }
    int result;
    {
      std::lock_guard<TCriticalSection> guard(CodecLock());
      result = av::avcodec_open2(ist.dec, codec, nullptr);
      if (result >= 0) {
        ist.dec_open = true;
        E.AddCodecItem(TCustomFFmpeg::TCodecList::Decoders, ist.dec);
      }
    }
    if (result < 0) {
      DumpStreamMapping();
      const std::string text = Printf("Error while opening decoder for input stream #%d.%d (%s)", ist.file_index,
                                        ist.index, MediaTypeName(ist.st->codecpar->codec_type).c_str());
      Log(TLogLevel::llError, text);
      throw FFmpegException(text);
    }
    ist.frame = av::av_frame_alloc();
    if (!ist.frame) throw FFmpegException(OutOfMemoryText);
  }
}

void TTranscoder::InitInputTimestamps() {
  for (auto& p : ist_table) {
    TAVInputStream& ist = *p;
    const AVRational rate = ist.st->avg_frame_rate;
    ist.pts = rate.num ? -av::av_rescale_q(ist.st->codecpar->video_delay, AVRational{rate.den, rate.num},
                                           AVRational{1, AV_TIME_BASE})
                       : 0;
    ist.next_pts = NoTimestamp;
    ist.is_start = true;
  }
}

void TTranscoder::ApplyMetadataMaps() {
  for (const TAVMetaDataMap& m : E.Fmeta_data_maps) {
    if (m.out_file < 0 || m.out_file >= E.NbOutputFiles()) {
      DumpStreamMapping();
      const std::string text =
          Printf("Invalid output file index %d map_meta_data(%d,%d)", m.out_file, m.out_file, m.in_file);
      Log(TLogLevel::llError, text);
      throw FFmpegException(text);
    }
    if (m.in_file < 0 || m.in_file >= E.NbInputFiles()) {
      DumpStreamMapping();
      const std::string text =
          Printf("Invalid input file index %d map_meta_data(%d,%d)", m.in_file, m.out_file, m.in_file);
      Log(TLogLevel::llError, text);
      throw FFmpegException(text);
    }
    av::av_dict_copy(&E.Foutput_files[m.out_file]->ctx->metadata, E.Finput_files[m.in_file]->metadata,
                     AV_DICT_DONT_OVERWRITE);
  }
}

void TTranscoder::CopyAllChapters() {
  for (int i = 0; i < E.NbInputFiles(); ++i) {
    AVFormatContext* is = E.Finput_files[i];
    if (!is->nb_chapters) continue;
    for (int j = 0; j < E.NbOutputFiles(); ++j) {
      if (E.FJoinMode && j > 0) break;
      AVFormatContext* os = E.Foutput_files[j]->ctx;
      const int64_t offset = i < static_cast<int>(E.Finput_files_ts_offset.size()) ? E.Finput_files_ts_offset[i] : 0;
      for (unsigned c = 0; c < is->nb_chapters; ++c) {
        const AVChapter* in = is->chapters[c];
        const int64_t ts_off = av::av_rescale_q(E.Fstart_time - offset, AVRational{1, AV_TIME_BASE}, in->time_base);
        const int64_t rt = E.Frecording_time == INT64_MAX
                               ? INT64_MAX
                               : av::av_rescale_q(E.Frecording_time, AVRational{1, AV_TIME_BASE}, in->time_base);
        if (in->end < ts_off) continue;
        if (rt != INT64_MAX && in->start > rt + ts_off) break;
        auto* out = static_cast<AVChapter*>(av::av_mallocz(sizeof(AVChapter)));
        if (!out) throw FFmpegException(OutOfMemoryText);
        out->id = in->id;
        out->time_base = in->time_base;
        out->start = std::max<int64_t>(0, in->start - ts_off);
        out->end = rt == INT64_MAX ? in->end - ts_off : std::min(rt, in->end - ts_off);
        av::av_dict_copy(&out->metadata, in->metadata, 0);
        auto* list = static_cast<AVChapter**>(
            av::av_realloc(os->chapters, sizeof(AVChapter*) * (os->nb_chapters + 1)));
        if (!list) {
          av::av_dict_free(&out->metadata);
          av::av_free(out);
          throw FFmpegException(OutOfMemoryText);
        }
        os->chapters = list;
        os->chapters[os->nb_chapters++] = out;
      }
    }
  }
}

void TTranscoder::WriteHeaders() {
  bool allRtp = true;
  for (int i = 0; i < E.NbOutputFiles(); ++i) {
    if (E.FJoinMode && i > 0) break;
    TOutputFileSetup& file = *E.Foutput_files[i];
    AVDictionary* opts = nullptr;
    av::av_dict_copy(&opts, file.muxer_opts, 0);
    const TLibraryErrorCapture cause;
    const int result = av::avformat_write_header(file.ctx, &opts);
    av::av_dict_free(&opts);
    if (result < 0) {
      DumpStreamMapping();
      const std::string text = WithLibraryCause(
          cause, Printf("Could not write header for output file #%d (incorrect codec parameters ?)", i), result);
      Log(TLogLevel::llError, text);
      throw FFmpegException(text);
    }
    if (std::string(file.ctx->oformat->name) != "rtp") allRtp = false;
  }
  headers_written = true;
  if (allRtp) {
    std::vector<AVFormatContext*> contexts;
    for (int i = 0; i < E.NbOutputFiles(); ++i) contexts.push_back(E.Foutput_files[i]->ctx);
    char sdp[2048] = {};
    av::av_sdp_create(contexts.data(), static_cast<int>(contexts.size()), sdp, sizeof sdp);
    Log(TLogLevel::llInfo, std::string("SDP:\n") + sdp);
  }
}

void TTranscoder::CloseCodecs() {
  std::lock_guard<TCriticalSection> guard(CodecLock());
  for (auto& p : ost_table) {
    TAVOutputStream& ost = *p;
    if (!ost.enc_open) continue;
    av::av_freep(&ost.enc->stats_in);
    av::avcodec_close(ost.enc);
    E.RemoveCodecItem(TCustomFFmpeg::TCodecList::Encoders, ost.enc);
    ost.enc_open = false;
  }
  for (auto& p : ist_table) {
    TAVInputStream& ist = *p;
    if (!ist.dec_open) continue;
    av::avcodec_close(ist.dec);
    E.RemoveCodecItem(TCustomFFmpeg::TCodecList::Decoders, ist.dec);
    ist.dec_open = false;
  }
}

void TTranscoder::DiscardUnfinishedOutputs() {
  if (outputs_finished || !E.FBroken || !E.FSignals->AbortIO) return;
  for (int i = 0; i < E.NbOutputFiles(); ++i) {
    if (E.FJoinMode && i > 0) break;
    TOutputFileSetup& file = *E.Foutput_files[i];
    if (!file.created_file || file.stream_io) continue;
    EmptyOutput(file);
  }
}

void TTranscoder::DiscardEmptyOutputs() {
  // An output this job created that received no packet at all holds at most a header: it is
  // emptied so that the release deletes it like a file that was never written.
  for (int i = 0; i < E.NbOutputFiles(); ++i) {
    if (E.FJoinMode && i > 0) break;
    TOutputFileSetup& file = *E.Foutput_files[i];
    if (!file.created_file || file.stream_io) continue;
    int64_t packets = 0;
    for (auto& p : ost_table)
      if (p->file == &file) packets += p->packets_written;
    if (packets > 0) continue;
    EmptyOutput(file);
  }
}

void TTranscoder::EmptyOutput(TOutputFileSetup& AFile) {
  AFile.CloseIO();
  const std::string name = LocalFileName(AFile.file_name);
  std::error_code error;
  if (!name.empty() && std::filesystem::is_regular_file(name, error)) std::filesystem::resize_file(name, 0, error);
}
