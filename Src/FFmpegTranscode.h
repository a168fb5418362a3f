#pragma once
// The run-time state of one job's transcode: one record per input file, per input stream and per
// output stream, and the steps that use them. Private to the engine's source files; the records
// live only while TCustomFFmpeg::Transcode runs.
//
// Source files: FFmpegTranscode.cpp (stream tables, source choice, mapping description, order of
// the run), FFmpegTranscodeSetup.cpp (copy or encode, codecs, two-pass files, headers, teardown),
// FFmpegMainLoop.cpp (packet loop, decoding, dispatch, writing), FFmpegAudio.cpp, FFmpegVideo.cpp,
// FFmpegReport.cpp (statistics and progress).

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libswresample/swresample.h>
}

#include "Src/FFmpeg.h"
#include "Src/FFmpegLogger.h"

// The index of a media kind in TCustomFFmpeg::Fmax_frames: video 0, audio 1, data 2, subtitle 3.
inline int MaxFramesIndex(AVMediaType AType) {
  switch (AType) {
    case AVMEDIA_TYPE_VIDEO: return 0;
    case AVMEDIA_TYPE_AUDIO: return 1;
    case AVMEDIA_TYPE_SUBTITLE: return 3;
    default: return 2;
  }
}

// One input file of the run.
struct TAVInputFile {
  int eof_reached = 0;
  int ist_index = 0;   // index of its first stream in the input stream table
  int nb_streams = 0;  // streams at set-up; later ones are ignored
};

// One stream of an input file.
struct TAVInputStream {
  TAVInputStream() = default;
  TAVInputStream(const TAVInputStream&) = delete;
  TAVInputStream& operator=(const TAVInputStream&) = delete;
  ~TAVInputStream();

  int file_index = 0;
  int index = 0;
  AVStream* st = nullptr;
  bool discard = true;            // no output takes it (yet)
  bool decoding_needed = false;
  int64_t start = 0;              // wall clock at set-up (real-time pacing)
  int64_t next_pts = NoTimestamp; // microseconds
  int64_t pts = 0;                // microseconds, of the data in hand
  bool is_start = true;
  bool is_past_recording_time = false;
  bool decoder_flushed = false;
  bool showed_multi_packet_warning = false;
  AVCodecContext* dec = nullptr;  // owned; opened when decoding_needed
  bool dec_open = false;
  AVFrame* frame = nullptr;       // owned; the decoded picture or samples in hand
  int quality = 0;                // quality of the last decoded picture
};

// One stream of an output file.
struct TAVOutputStream {
  TAVOutputStream() = default;
  TAVOutputStream(const TAVOutputStream&) = delete;
  TAVOutputStream& operator=(const TAVOutputStream&) = delete;
  ~TAVOutputStream();

  int file_index = 0;
  int index = 0;
  int source_index = 0;
  TOutputFileSetup* file = nullptr;
  TOutputStreamSetup* setup = nullptr;
  AVStream* st = nullptr;
  AVCodecContext* enc = nullptr;  // owned by setup
  bool encoding_needed = false;
  bool enc_open = false;
  bool first_group = true;        // join mode: only the first group owns the codecs
  int frame_number = 0;
  TAVInputStream* sync_ist = nullptr;
  int64_t sync_opts = 0;          // output position in encoder time-base units
  bool show_fps = true;
  double last_time = 0;           // seconds: end of the last packet written (the stream's position)
  int64_t last_dts = NoTimestamp; // stream time base: the last dts written
  // video
  TVideoFilterGraph graph;
  int graph_width = 0, graph_height = 0, graph_format = -1;  // decoder picture the graph takes
  AVFrame* filtered = nullptr;    // owned
  int64_t quality = 0;            // quality of the last encoded picture (lambda units)
  int64_t error[3] = {};          // squared error of the last encoded picture per plane (PSNR flag)
  int64_t error_sum[3] = {};      // of the owner: squared errors of all its encoder's pictures
  char last_pict_type = '?';
  // audio
  SwrContext* swr = nullptr;      // owned
  int swr_in_rate = 0, swr_in_format = -1, swr_in_channels = 0;
  std::vector<std::vector<uint8_t>> fifo;  // one byte queue per plane of the encoder's format
  int fifo_samples = 0;
  bool audio_started = false;
  AVFrame* audio_frame = nullptr;  // owned; one encoder frame
  std::vector<uint8_t> convert_buf;  // converter output, grown only
  // bitstream filters
  std::vector<AVBSFContext*> bsfs;  // owned; only a stream that owns its codecs has a chain
  // The stream whose codecs and filter chain this one uses: itself, or in join mode the stream of
  // the first group at the same place, so every group's packets go through one chain.
  TAVOutputStream* owner = this;
  TAVOutputStream* last_writer = nullptr;  // of the owner: the group that last fed its chain
  // two-pass
  FILE* logfile = nullptr;
  // counts
  int64_t packets_written = 0;
};

// The steps of one Transcode call, over its tables.
class TTranscoder {
 public:
  explicit TTranscoder(TCustomFFmpeg& AEngine);
  // Failure exit and normal end alike: closes what is still open (taking it off the engine's
  // lists under the codec lock) and frees every record.
  ~TTranscoder();
  TTranscoder(const TTranscoder&) = delete;
  TTranscoder& operator=(const TTranscoder&) = delete;

  void Run();

  // ---- tables and mapping (FFmpegTranscode.cpp) ----
  void BuildInputStreamTable();
  void BuildOutputStreamTable();
  TAVInputStream* FindSourceStream(int AFile, int AStream, AVMediaType AType);
  void DumpStreamMapping();

  // ---- set-up and teardown (FFmpegTranscodeSetup.cpp) ----
  void SetupOutputCodecs();
  void CopyStreamParameters(TAVOutputStream& AOst, TAVInputStream& AIst);
  void PrepareEncoding(TAVOutputStream& AOst, TAVInputStream& AIst, int ATableIndex);
  void OpenPassLogFile(TAVOutputStream& AOst, int ATableIndex);
  void OpenEncoders();
  void OpenDecoders();
  // Gives a subtitle encoder a copy of its source decoder's style header (when it has one).
  void CopySubtitleHeader(TAVOutputStream& AOst, const TAVInputStream& AIst);
  void InitInputTimestamps();
  void ApplyMetadataMaps();
  void CopyAllChapters();
  void WriteHeaders();
  void OpenBitstreamFilters(TAVOutputStream& AOst);
  void CloseCodecs();
  void DiscardEmptyOutputs();
  // A stop that had to give the outputs up (the worker stood still) leaves them unfinished, with
  // no index a player can use: each output this job created is emptied, and so deleted, unless
  // its trailer was written.
  void DiscardUnfinishedOutputs();
  // Closes AFile and cuts it to nothing, so that the release deletes it.
  void EmptyOutput(TOutputFileSetup& AFile);
  // After a run that was not stopped: an output that received no packet fails the job with a text
  // saying that nothing was written and why (ACause: the libraries' first error of the loop).
  void CheckEveryOutputWritten(const std::string& ACause);
  [[nodiscard]] std::string NothingWrittenReason(const std::string& ACause) const;

  // ---- packet loop, decoding, writing (FFmpegMainLoop.cpp) ----
  void MainLoop();
  // Whether the decoder of input stream AIstIndex is drained into its outputs when the loop ends.
  [[nodiscard]] bool DrainsAtEnd(int AIstIndex) const;
  // 0, or -1 when the packet could not be decoded. APacket nullptr drains.
  int OutputPacket(TAVInputStream& AIst, int AIstIndex, const AVPacket* APacket);
  void CopyPacket(TAVOutputStream& AOst, TAVInputStream& AIst, const AVPacket* APacket);
  void DispatchFrame(TAVInputStream& AIst, int AIstIndex, AVFrame* AFrame);
  // Sends AFrame (nullptr: end of stream) and writes every packet the encoder gives back.
  void EncodeAndWrite(TAVOutputStream& AOst, AVFrame* AFrame);
  void DrainEncoder(TAVOutputStream& AOst);
  // Writes APacket through the stream's bitstream filters; nullptr drains the filters at the end.
  void WriteFrame(TAVOutputStream& AOst, AVPacket* APacket);
  void WriteOne(TAVOutputStream& AOst, AVPacket* APacket);

  // ---- audio (FFmpegAudio.cpp) ----
  void DoAudioOut(TAVOutputStream& AOst, TAVInputStream& AIst, AVFrame* AFrame);
  void ApplyVolume(AVFrame* AFrame) const;
  void EncodeAudioFifo(TAVOutputStream& AOst, bool AFinal);

  // ---- video (FFmpegVideo.cpp) ----
  void PreProcessVideoFrame(TAVInputStream& AIst, AVFrame* AFrame);
  void DoCustomHook(AVFrame* AFrame, int64_t APts);
  void FeedVideo(TAVOutputStream& AOst, TAVInputStream& AIst, AVFrame* AFrame);
  void FlushVideo(TAVOutputStream& AOst, TAVInputStream& AIst);
  void DoVideoOut(TAVOutputStream& AOst, TAVInputStream& AIst, AVFrame* APicture);
  void DoPostHooks(AVFrame* APicture, AVCodecContext* AEnc, int64_t APts);
  // Removes a failed (or closed) post hook from the engine's set, under the post-hook lock.
  void SwitchPostHookOff(TPostHook AHook);

  // ---- statistics and report (FFmpegReport.cpp) ----
  void DoVideoStats(TAVOutputStream& AOst, int AFrameSize);
  void PrintReport(int AInputFileIndex, bool AIsLast);
  void DoSubtitleOut(TAVOutputStream& AOst, TAVInputStream& AIst, AVSubtitle* ASubtitle, int64_t APts);

  void Log(TLogLevel ALevel, const std::string& AText);
  void BuildVideoGraph(TAVOutputStream& AOst, TAVInputStream& AIst);
  void JoinSwitch(int AFile);

  TCustomFFmpeg& E;
  std::vector<TAVInputFile> files;
  std::vector<std::unique_ptr<TAVInputStream>> ist_table;
  std::vector<std::unique_ptr<TAVOutputStream>> ost_table;
  int group_size = 0;       // streams of output file 0 (one group per input in join mode)
  int64_t report_time = 0;  // wall clock of the last report
  int64_t timer_start = 0;  // wall clock at the start of the packet loop
  double reported_time = 0; // seconds: the converted time of the last report
  bool headers_written = false;
  int64_t packets_read = 0;    // packets of the streams the outputs take
  bool outputs_finished = false;  // every trailer written and every output closed
  int64_t frames_decoded = 0;  // pictures and sounds decoded, packets copied
  bool reached_start = false;  // one of them at or after the output's start
  AVPacket* enc_pkt = nullptr;  // owned; reused by the encoders
  int threads = 1;  // codec and filter threads of this run (0 = chosen per codec)
};

