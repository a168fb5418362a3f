// The run of a job: the stream tables, the choice of each output stream's source, the mapping
// description, and the order of the steps.

#include "Src/FFmpegTranscode.h"

#include <algorithm>

#include "Src/AVCodecStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLogger.h"
#include "Src/SwResampleStubs.h"

TAVInputStream::~TAVInputStream() {
  if (frame) av::av_frame_free(&frame);
  if (dec) av::avcodec_free_context(&dec);
}

TAVOutputStream::~TAVOutputStream() {
  if (filtered) av::av_frame_free(&filtered);
  if (audio_frame) av::av_frame_free(&audio_frame);
  if (swr) av::swr_free(&swr);
  for (AVBSFContext*& bsf : bsfs) av::av_bsf_free(&bsf);
  if (logfile) std::fclose(logfile);
}

void TCustomFFmpeg::Transcode() {
  TTranscoder transcoder(*this);
  transcoder.Run();
}

TTranscoder::TTranscoder(TCustomFFmpeg& AEngine) : E(AEngine) {}

TTranscoder::~TTranscoder() {
  CloseCodecs();
  DiscardUnfinishedOutputs();
  DiscardEmptyOutputs();
  if (enc_pkt) av::av_packet_free(&enc_pkt);
  E.FSubtitleBuf.clear();
}

void TTranscoder::Log(TLogLevel ALevel, const std::string& AText) {
  GetLogger()->Log(&E, ALevel, AText);
}

void TTranscoder::Run() {
  enc_pkt = av::av_packet_alloc();
  if (!enc_pkt) throw FFmpegException(OutOfMemoryText);
  // Fixed before anything is opened: decoders, filters and encoders all run this many threads.
  threads = E.TakeCodecThreads();
  Log(TLogLevel::llDebug, Printf("codec threads: %d (0 = chosen per codec)", threads));
  BuildInputStreamTable();
  BuildOutputStreamTable();
  // Decoders first: a text subtitle encoder is opened with its decoder's style header.
  OpenDecoders();
  OpenEncoders();
  InitInputTimestamps();
  ApplyMetadataMaps();
  CopyAllChapters();
  E.OpenOutputFiles();
  WriteHeaders();
  DumpStreamMapping();
  std::string cause;
  {
    const TLibraryErrorCapture capture;
    MainLoop();
    cause = capture.Cause();
  }
  CloseCodecs();
  if (!E.FBroken) CheckEveryOutputWritten(cause);
  E.FFinished = !E.FBroken;
}

void TTranscoder::CheckEveryOutputWritten(const std::string& ACause) {
  for (int i = 0; i < E.NbOutputFiles(); ++i) {
    if (E.FJoinMode && i > 0) break;
    const TOutputFileSetup& file = *E.Foutput_files[i];
    int64_t packets = 0;
    for (auto& p : ost_table)
      if (p->file == &file) packets += p->packets_written;
    if (packets == 0)
      throw FFmpegException(Printf("Nothing was written to output file #%d '%s': %s", i, file.file_name.c_str(),
                                   NothingWrittenReason(ACause).c_str()));
  }
}

std::string TTranscoder::NothingWrittenReason(const std::string& ACause) const {
  if (E.Frecording_time <= 0) return "the duration to convert (t) is zero or negative";
  static const char* const limits[] = {"vframes", "aframes", "dframes", "frames"};
  for (auto& p : ost_table) {
    const int kind = MaxFramesIndex(p->setup->type);
    if (E.Fmax_frames[kind] <= 0) return Printf("the frame limit (%s) is zero or negative", limits[kind]);
  }
  const std::string cause = ACause.empty() ? std::string() : " (" + ACause + ")";
  if (packets_read == 0) return "nothing could be read from the input" + cause;
  if (frames_decoded == 0) return "nothing could be decoded from the input" + cause;
  if (!reached_start) return "the start position (ss) is at or past the end of the input";
  return "nothing that was decoded reached the output" + cause;
}

void TTranscoder::BuildInputStreamTable() {
  int total = 0;
  for (int i = 0; i < E.NbInputFiles(); ++i) {
    AVFormatContext* ic = E.Finput_files[i];
    TAVInputFile file;
    file.ist_index = total;
    file.nb_streams = static_cast<int>(ic->nb_streams);
    files.push_back(file);
    for (int k = 0; k < file.nb_streams; ++k) {
      auto ist = std::make_unique<TAVInputStream>();
      ist->st = ic->streams[k];
      ist->file_index = i;
      ist->index = k;
      ist->discard = true;
      // Every stream gets a decoder context now: the video set-up sizes its filters by it.
      ist->dec = av::avcodec_alloc_context3(nullptr);
      if (!ist->dec || av::avcodec_parameters_to_context(ist->dec, ist->st->codecpar) < 0)
        throw FFmpegException(OutOfMemoryText);
      ist->dec->pkt_timebase = ist->st->time_base;
      ist->dec->thread_count = threads;  // 0: the libraries choose
      if (E.Frate_emu) ist->start = av::av_gettime();
      ist_table.push_back(std::move(ist));
    }
    total += file.nb_streams;
  }
}

void TTranscoder::BuildOutputStreamTable() {
  const int nbOut = E.NbOutputFiles();
  int total = 0;
  for (int i = 0; i < nbOut; ++i) {
    TOutputFileSetup& file = *E.Foutput_files[i];
    if (file.ctx->nb_streams == 0) {
      av::av_dump_format(file.ctx, i, file.ctx->url, 1);
      throw FFmpegException(Printf("Output file #%d does not contain any stream", i));
    }
    total += static_cast<int>(file.ctx->nb_streams);
  }
  group_size = static_cast<int>(E.Foutput_files[0]->ctx->nb_streams);

  const auto& maps = E.Fstream_maps;
  if (!maps.empty()) {
    if (static_cast<int>(maps.size()) != total)
      throw FFmpegException("Number of stream maps must match number of output streams");
    for (const TAVStreamMap& m : maps) {
      if (m.file_index < 0 || m.file_index >= static_cast<int>(files.size()) || m.stream_index < 0 ||
          m.stream_index >= files[m.file_index].nb_streams)
        throw FFmpegException(Printf("Could not find input stream #%d.%d", m.file_index, m.stream_index));
      if (m.sync_file_index < 0 || m.sync_file_index >= static_cast<int>(files.size()) || m.sync_stream_index < 0 ||
          m.sync_stream_index >= files[m.sync_file_index].nb_streams)
        throw FFmpegException(
            Printf("Could not find sync stream #%d.%d", m.sync_file_index, m.sync_stream_index));
    }
  }

  int n = 0;
  for (int j = 0; j < nbOut; ++j) {
    TOutputFileSetup& file = *E.Foutput_files[j];
    for (unsigned k = 0; k < file.ctx->nb_streams; ++k, ++n) {
      auto ost = std::make_unique<TAVOutputStream>();
      ost->file_index = j;
      ost->index = static_cast<int>(k);
      ost->file = &file;
      ost->setup = file.streams.at(k).get();
      ost->st = ost->setup->st;
      ost->enc = ost->setup->enc;
      ost->first_group = !E.FJoinMode || j == 0;
      if (!ost->first_group) ost->owner = ost_table[n % group_size].get();
      const AVMediaType type = ost->setup->type;
      TAVInputStream* source = nullptr;
      if (!maps.empty()) {
        const TAVStreamMap& m = maps[n];
        source = ist_table[files[m.file_index].ist_index + m.stream_index].get();
        const AVMediaType inType = source->st->codecpar->codec_type;
        if (inType != type) {
          av::av_dump_format(file.ctx, j, file.ctx->url, 1);
          throw FFmpegException(Printf("Codec type mismatch for mapping #%d.%d (%s) -> #%d.%d (%s)",
                                         m.file_index, m.stream_index, MediaTypeName(inType).c_str(), j,
                                         static_cast<int>(k), MediaTypeName(type).c_str()));
        }
        ost->sync_ist = ist_table[files[m.sync_file_index].ist_index + m.sync_stream_index].get();
      } else {
        source = FindSourceStream(j, static_cast<int>(k), type);
        ost->sync_ist = source;
      }
      ost->source_index = static_cast<int>(
          std::find_if(ist_table.begin(), ist_table.end(), [&](const auto& p) { return p.get() == source; }) -
          ist_table.begin());
      source->discard = false;
      ost->show_fps = true;
      ost_table.push_back(std::move(ost));
    }
  }
  SetupOutputCodecs();
}

TAVInputStream* TTranscoder::FindSourceStream(int AFile, int AStream, AVMediaType AType) {
  TAVInputStream* best = nullptr;
  int bestFrames = -1;
  for (auto& p : ist_table) {
    TAVInputStream& ist = *p;
    if (!ist.discard || ist.st->discard == AVDISCARD_ALL || ist.st->codecpar->codec_type != AType ||
        !StreamCarriesData(ist.st))
      continue;
    if (E.Fopt_programid) {
      AVFormatContext* ic = E.Finput_files[ist.file_index];
      bool inProgram = false;
      for (unsigned pi = 0; pi < ic->nb_programs && !inProgram; ++pi) {
        const AVProgram* program = ic->programs[pi];
        if (program->id != E.Fopt_programid) continue;
        for (unsigned si = 0; si < program->nb_stream_indexes; ++si)
          if (static_cast<int>(program->stream_index[si]) == ist.index) inProgram = true;
      }
      if (!inProgram) continue;
    }
    if (E.FJoinMode && ist.file_index != AFile) continue;
    // The analysis frame count is private to the libraries now; the container's frame count
    // stands for it (0 when unknown, so the first candidate wins).
    const int frames = static_cast<int>(std::min<int64_t>(ist.st->nb_frames, INT32_MAX));
    if (frames > bestFrames) {
      best = &ist;
      bestFrames = frames;
    }
  }
  if (!best && !E.Fopt_programid && !E.FJoinMode)
    for (auto& p : ist_table)
      if (p->st->codecpar->codec_type == AType && p->st->discard != AVDISCARD_ALL && StreamCarriesData(p->st))
        best = p.get();
  if (!best) {
    TOutputFileSetup& file = *E.Foutput_files[AFile];
    av::av_dump_format(file.ctx, AFile, file.ctx->url, 1);
    throw FFmpegException(Printf("Could not find input stream matching output stream #%d.%d (%s)", AFile, AStream,
                                   MediaTypeName(AType).c_str()));
  }
  return best;
}

void TTranscoder::DumpStreamMapping() {
  for (int i = 0; i < E.NbOutputFiles(); ++i) {
    if (E.FJoinMode && i > 0) break;
    TOutputFileSetup& file = *E.Foutput_files[i];
    av::av_dump_format(file.ctx, i, file.ctx->url, 1);
  }
  if (E.Fverbose < 0) return;
  Log(TLogLevel::llVerbose, "Stream mapping:");
  for (auto& p : ost_table) {
    const TAVOutputStream& ost = *p;
    const TAVInputStream& ist = *ist_table[ost.source_index];
    Log(TLogLevel::llVerbose,
        Printf("  Stream #%d.%d -> #%d.%d (%s)", ist.file_index, ist.index, E.FJoinMode ? 0 : ost.file_index,
                 ost.index, MediaTypeName(ost.setup->type).c_str()));
    if (ost.sync_ist && ost.sync_ist != &ist)
      Log(TLogLevel::llVerbose,
          Printf(" [sync #%d.%d (%s)]", ost.sync_ist->file_index, ost.sync_ist->index,
                   MediaTypeName(ost.sync_ist->st->codecpar->codec_type).c_str()));
  }
}
