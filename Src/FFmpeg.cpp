#include "Src/FFmpeg.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

#include <sched.h>
#include <unistd.h>

#include "Src/AVCodecStubs.h"
#include "Src/AVFilterStubs.h"
#include "Src/AVFormatStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLogger.h"
#include "Src/UnicodeProtocol.h"
#include "platform/core/SysUtils.h"

// ---- small owners ----

void TDictionaryDeleter::operator()(AVDictionary* ADict) const {
  if (ADict && av::av_dict_free) av::av_dict_free(&ADict);
}

TOutputStreamSetup::~TOutputStreamSetup() {
  if (av::avcodec_free_context && enc) av::avcodec_free_context(&enc);
  if (av::av_dict_free && codec_opts) av::av_dict_free(&codec_opts);
}

int TOutputFileSetup::CloseIO() {
  if (!ctx || !ctx->pb || !av::avio_closep) return 0;
  av::avio_flush(ctx->pb);
  const int error = ctx->pb->error < 0 ? ctx->pb->error : 0;
  if (stream_io)
    FreeStreamIO(&ctx->pb);
  else if (!(ctx->oformat && (ctx->oformat->flags & AVFMT_NOFILE)))
    CloseOutputFile(ctx);
  return error;
}

TOutputFileSetup::~TOutputFileSetup() {
  streams.clear();
  if (av::av_dict_free && muxer_opts) av::av_dict_free(&muxer_opts);
  if (ctx && av::avformat_free_context) {
    CloseIO();
    av::avformat_free_context(ctx);
  }
  ctx = nullptr;
}

thread_local TCustomFFmpeg::TRunSignals* TCustomFFmpeg::tWorkerSignals = nullptr;

TCriticalSection& PostHookLock() {
  static TCriticalSection lock;
  return lock;
}

// ---- worker threads ----

namespace {

// How long a stopped worker may make no progress before its outputs are given up.
constexpr auto kStuckGrace = std::chrono::milliseconds(2000);

}  // namespace

// The worker of one run, owned by its engine and joined by Stop(true), the next start or the
// engine's end. Its last use of the engine is before it sets the stop event.
class TConvertThread : public TThread {
 public:
  TConvertThread(TCustomFFmpeg* AOwner, TThreadPriority APriority)
      : TThread(true), FOwner(AOwner), FSignals(AOwner->FSignals) {
    SetPriority(APriority);
  }

 protected:
  void Execute() override {
    TCustomFFmpeg::tWorkerSignals = FSignals.get();
    FSignals->EnterRead();
    struct TEnd {
      TCustomFFmpeg::TRunSignals& Signals;
      ~TEnd() {
        TCustomFFmpeg::tWorkerSignals = nullptr;
        Signals.LeaveRead();
        Signals.StopEvent.SetEvent();
      }
    } end{*FSignals};
    FOwner->RunConversion();
    // Read from the shared signals: a handler may have freed the engine itself meanwhile.
    if (FSignals->FreeOwnerAfterRun.load()) delete FOwner;
  }

 private:
  TCustomFFmpeg* FOwner;
  std::shared_ptr<TCustomFFmpeg::TRunSignals> FSignals;
};

// Notifies the termination of a task that never started; owned by its engine like the worker.
class TDoTerminateThread : public TThread {
 public:
  explicit TDoTerminateThread(TCustomFFmpeg* AOwner) : TThread(true), FOwner(AOwner), FSignals(AOwner->FSignals) {}

 protected:
  void Execute() override {
    FSignals->NotifyThreadId = GetCurrentThreadId();
    struct TEnd {
      TCustomFFmpeg::TRunSignals& Signals;
      ~TEnd() {
        Signals.NotifyThreads.fetch_sub(1);
        Signals.TermEvent.SetEvent();
      }
    } end{*FSignals};
    FOwner->DoTerminate();
  }

 private:
  TCustomFFmpeg* FOwner;
  std::shared_ptr<TCustomFFmpeg::TRunSignals> FSignals;
};

void TCustomFFmpeg::TRunSignals::EnterRead() {
  std::lock_guard<std::mutex> guard(ReaderLock);
  Reader = pthread_self();
  Reading = true;
}

void TCustomFFmpeg::TRunSignals::LeaveRead() {
  std::lock_guard<std::mutex> guard(ReaderLock);
  Reading = false;
}

void TCustomFFmpeg::TRunSignals::WakeReader() {
  std::lock_guard<std::mutex> guard(ReaderLock);
  if (Reading) WakeBlockedRead(Reader);
}

int TCustomFFmpeg::InputInterrupt(void* AOpaque) {
  const auto* self = static_cast<const TCustomFFmpeg*>(AOpaque);
  return self->FBroken.load() || self->FSignals->AbortIO.load() ? 1 : 0;
}

int TCustomFFmpeg::OutputInterrupt(void* AOpaque) {
  // A stop lets the outputs be finished (trailers written); only a stop that found the worker
  // stuck gives them up.
  return static_cast<const TCustomFFmpeg*>(AOpaque)->FSignals->AbortIO.load() ? 1 : 0;
}

// ---- construction ----

TCustomFFmpeg::TCustomFFmpeg(int AMaxFiles) : FMaxFiles(AMaxFiles) {
  PLATFORM_ASSERT(AMaxFiles >= 1 && AMaxFiles <= 512, "Assertion failure");
  FHookContext = std::make_unique<TRGBConvertContext>();
  FPostContext = std::make_unique<TRGBConvertContext>();
  InitDefaults();
}

TCustomFFmpeg::~TCustomFFmpeg() {
  try {
    Stop(true);
  } catch (...) {
    // A call the GUI thread served while waiting failed; it has run, and the stop goes on.
  }
  // A termination notice of Cancel still running uses the engine until it sets the event, unless
  // the engine is being destroyed by that notice's own handler.
  while (FSignals->NotifyThreads.load() > 0 && FSignals->NotifyThreadId.load() != GetCurrentThreadId())
    (void)FSignals->TermEvent.WaitFor(20);
  {
    TOwnedThread worker, notifier;
    {
      std::lock_guard<std::mutex> guard(FThreadLock);
      worker = std::move(FWorker);
      notifier = std::move(FNotifier);
      FThread = nullptr;
    }
    // A worker created but never resumed never runs and is simply freed; one whose own handler
    // frees the engine is freed by the main thread once it has returned.
    worker.reset();
    notifier.reset();
  }
  // Without the libraries bound, the owners below free nothing of theirs (they cannot).
  FreeResources();
}

void TCustomFFmpeg::InitDefaults() {
  Finput_files_ts_scale.clear();
  Fstream_maps.clear();
  Fmeta_data_maps.clear();
  Fstreamid_map.clear();
  Flast_asked_format.clear();
  Fvideo_language.clear();
  Faudio_language.clear();
  Fsubtitle_language.clear();
  Fvfilters.clear();
  Fpass_logfilename_prefix.clear();
  Fframe_width = Fframe_height = 0;
  Fframe_aspect_ratio = 0;
  Fframe_pix_fmt = -1;
  Faudio_sample_fmt = -1;
  Finput_defaults = {};
  Fframe_topBand = Fframe_bottomBand = Fframe_leftBand = Fframe_rightBand = 0;
  Fmax_frames.fill(INT32_MAX);
  Fframe_rate = AVRational{0, 0};
  Fvideo_qscale = 0;
  Fintra_matrix.clear();
  Finter_matrix.clear();
  Fvideo_rc_override_string.clear();
  Fvideo_codec_name.clear();
  Faudio_codec_name.clear();
  Fsubtitle_codec_name.clear();
  Fvideo_standard.clear();
  Fvstats_filename.clear();
  Fvideo_disable = Faudio_disable = Fsubtitle_disable = false;
  Fsame_quality = Fdo_deinterlace = Floop_input = Fqp_hist = FEnableFilter = Fintra_only = false;
  Fdo_hex_dump = Fdo_pkt_dump = Fdo_psnr = Fcopy_ts = Fopt_shortest = Frate_emu = Fexit_on_error = false;
  Fusing_vhook = FShowDupOrDrop = Finput_sync = Fforce_fps = false;
  FFatalException = false;
  Fvideo_discard = 0;
  Fvideo_codec_tag = Faudio_codec_tag = Fsubtitle_codec_tag = 0;
  Fme_threshold = 0;
  Fchannel_layout = 0;
  Ftop_field_first = -1;
  Fintra_dc_precision = 8;
  Floop_output = -1;
  Faudio_sample_rate = 44100;
  Faudio_qscale = -99999.0f;
  Faudio_channels = 2;
  Fmux_preload = 0.5f;
  Fmux_max_delay = 0.7f;
  Frecording_time = INT64_MAX;
  Fstart_time = Frecording_timestamp = Finput_ts_offset = 0;
  Fdo_benchmark = false;
  Fdo_pass = 0;
  Faudio_stream_copy = Fvideo_stream_copy = Fsubtitle_stream_copy = 0;
  Fvideo_global_header = 0;
  Fopt_programid = 0;
  Fcopy_initial_nonkeyframes = 0;
  Fvideo_channel = 0;
  Fnb_frames_dup = Fnb_frames_drop = 0;
  Fpgmyuv_compatibility_hack = 0;
  Fvideo_sync_method = -1;
  Faudio_sync_method = 0;
  Faudio_drift_threshold = 0.1f;
  Faudio_volume = 256;
  Fverbose = 1;
  Fthread_count = -1;
  Fvideo_size = Faudio_size = Fextra_size = Flimit_filesize = 0;
  Fdts_delta_threshold = 10.0f;
  Fsws_flags = SWS_BICUBIC;
  Fmetadata.clear();
  ResetFFOptions(FOptions);
  Fvideo_bitstream_filters.clear();
  Faudio_bitstream_filters.clear();
  Fsubtitle_bitstream_filters.clear();
  for (auto& opts : FCodecOpts) opts.reset();
  FMuxerOpts.reset();
  Fbit_buffer_size = 262144;
  FTotalOutputDuration = -1;
  ResetRGBConvertContext(*FHookContext);
  ResetPostContext();
  FPostHooks = TPostHooks{};
}

void TCustomFFmpeg::Reset() {
  if (!FFLoader().Loaded(ConverterLibraries)) return;
  FreeResources();
  InitDefaults();
  FJoinMode = false;
  FConverting = false;
  FBroken = false;
  FFinished = false;
  FTerminated = false;
  FPaused = false;
  FCodecThreads = -1;
  FPauseGate.SetEvent();
  FTotalOutputDuration = -1;
  FSetupFailure.clear();
  FStartRefusal.clear();
  FProtectedFiles.clear();
  {
    std::lock_guard<std::mutex> guard(FFatalLock);
    FFatalMessage.clear();
  }
  AllocFFOptions(FOptions, Fsws_flags);
}

void TCustomFFmpeg::NoteSetupFailure(const std::string& AText) {
  if (FSetupFailure.empty()) FSetupFailure = AText;
}

void TCustomFFmpeg::RefuseStart(const std::string& AText) {
  if (FStartRefusal.empty()) FStartRefusal = AText;
}

std::string TCustomFFmpeg::FatalMessage() const {
  std::lock_guard<std::mutex> guard(FFatalLock);
  return FFatalMessage;
}

AVDictionary* TCustomFFmpeg::PendingCodecOptions(AVMediaType AType) const {
  switch (AType) {
    case AVMEDIA_TYPE_VIDEO: return FCodecOpts[0].get();
    case AVMEDIA_TYPE_AUDIO: return FCodecOpts[1].get();
    case AVMEDIA_TYPE_SUBTITLE: return FCodecOpts[2].get();
    default: return nullptr;
  }
}

void TCustomFFmpeg::LogMessage(int ALevel, const std::string& AText) {
  GetLogger()->Log(this, static_cast<TLogLevel>(ALevel), AText);
}

// ---- run control ----

TThread* TCustomFFmpeg::StartConvert(bool AUseThread, TThreadPriority APriority) {
  if (FConverting || FTerminated) return nullptr;
  std::string refusal = FStartRefusal;
  if (refusal.empty()) {
    const char* missing = nullptr;
    if (NbOutputFiles() <= 0)
      missing = "At least one output file must be specified";
    else if (NbInputFiles() == 0)
      missing = "At least one input file must be specified";
    // An output (or input) that could not be opened is the real cause: the user reads that one.
    if (missing) refusal = FSetupFailure.empty() ? std::string(missing) : FSetupFailure;
  }
  if (!refusal.empty()) {
    FreeResources();
    GuardedStep([&] { throw FFmpegException(refusal); });
    DoTerminate();
    return nullptr;
  }
  FConverting = true;
  FCodecThreads = -1;
  FBroken = false;
  FFinished = false;
  FTerminated = false;
  if (!AUseThread) {
    RunConversion();
    return nullptr;
  }
  TOwnedThread previous;
  std::lock_guard<std::mutex> guard(FThreadLock);
  previous = std::move(FWorker);
  FSignals->StopEvent.ResetEvent();
  FSignals->AbortIO = false;
  FWorker.reset(new TConvertThread(this, APriority));
  FThread = FWorker.get();
  return FThread;
}

void TCustomFFmpeg::WaitWhilePaused() {
  // Sleeps until the gate opens: Resume, Stop and FreeWhenRunEnds open it, and a gate that is
  // asked to close once a stop was asked stays open.
  if (!FBroken) (void)FPauseGate.WaitFor(INFINITE);
}

void TCustomFFmpeg::Pause() {
  std::lock_guard<std::mutex> guard(FThreadLock);
  // FBroken is set before Stop takes the lock: a pause coming after it would close the gate
  // behind the stop's back and keep the worker waiting for good.
  if (!FThread || FBroken) return;
  FPaused = true;
  FPauseGate.ResetEvent();
}

void TCustomFFmpeg::Resume() {
  std::lock_guard<std::mutex> guard(FThreadLock);
  FPaused = false;
  FPauseGate.SetEvent();
}

void TCustomFFmpeg::Stop(bool AWaitFor) {
  FBroken = true;
  {
    std::lock_guard<std::mutex> guard(FThreadLock);
    if (!FWorker) return;
    if (FThread) {
      // The worker must see the request: open the pause gate and start a worker never resumed.
      FPaused = false;
      FPauseGate.SetEvent();
      FThread->Resume();
    }
    // The worker itself (a handler of one of its events) cannot wait for its own end.
    if (FWorker->ThreadID() == GetCurrentThreadId()) return;
  }
  if (!AWaitFor || !WaitForWorker()) return;
  TOwnedThread worker;
  {
    std::lock_guard<std::mutex> guard(FThreadLock);
    worker = std::move(FWorker);
  }
}

bool TCustomFFmpeg::WaitForWorker() {
  TRunSignals* own = TCustomFFmpeg::tWorkerSignals;
  struct TMark {
    TRunSignals* Own;
    explicit TMark(TRunSignals* AOwn) : Own(AOwn) {
      if (Own) ++Own->WaitingInStop;
    }
    ~TMark() {
      if (Own) --Own->WaitingInStop;
    }
  } mark(own);
  // A read blocked in the system (a stalled pipe or device) does not see the stop by itself: it
  // is woken until the worker ends. While the worker goes on reading and writing (the encoders
  // draining, the trailers), the outputs are finished normally; only a worker that stands still
  // has them given up.
  uint64_t progress = FSignals->Progress.load();
  auto moved = std::chrono::steady_clock::now();
  while (WaitServingCalls(FSignals->StopEvent, 100) == TWaitResult::wrTimeout) {
    if (own && FSignals->WaitingInStop.load() > 0) return false;
    const auto now = std::chrono::steady_clock::now();
    if (const uint64_t seen = FSignals->Progress.load(); seen != progress) {
      progress = seen;
      moved = now;
    } else if (now - moved >= kStuckGrace) {
      FSignals->AbortIO = true;
    }
    FSignals->WakeReader();
  }
  return true;
}

bool TCustomFFmpeg::OnOwnWorker() const { return TCustomFFmpeg::tWorkerSignals == FSignals.get(); }

void TCustomFFmpeg::FreeWhenRunEnds() {
  PLATFORM_ASSERT(OnOwnWorker(), "FreeWhenRunEnds outside the engine's worker");
  OnProgress = nullptr;
  OnPreviewBitmap = nullptr;
  OnCustomHook = nullptr;
  OnTerminate = nullptr;
  FBroken = true;
  FPauseGate.SetEvent();
  FSignals->FreeOwnerAfterRun = true;
}

void TCustomFFmpeg::Cancel(bool AWaitFor) {
  if (FConverting) {
    Stop(AWaitFor);
    return;
  }
  if (FTerminated) return;
  // One notice at a time: a second Cancel meanwhile only waits for the first one's.
  if (FSignals->NotifyThreads.fetch_add(1) > 0) {
    FSignals->NotifyThreads.fetch_sub(1);
    if (AWaitFor)
      (void)WaitServingCalls([this] { return FSignals->NotifyThreads.load() == 0; });
    return;
  }
  {
    std::lock_guard<std::mutex> guard(FFatalLock);
    FFatalMessage = "Conversion stopped before it started; nothing was written";
  }
  // The event is reset before the thread exists, so the wait below cannot miss its end.
  FSignals->TermEvent.ResetEvent();
  TThread* started;
  {
    std::lock_guard<std::mutex> guard(FThreadLock);
    FNotifier.reset(new TDoTerminateThread(this));
    started = FNotifier.get();
  }
  started->Start();
  if (!AWaitFor) return;
  (void)WaitServingCalls(FSignals->TermEvent);
  TOwnedThread notifier;
  std::lock_guard<std::mutex> guard(FThreadLock);
  notifier = std::move(FNotifier);
}

void TCustomFFmpeg::WaitForCancel() {
  Stop(true);
  // The termination notice of a task that never ran, unless this is its own handler.
  if (FSignals->NotifyThreadId.load() == GetCurrentThreadId()) return;
  (void)WaitServingCalls([this] { return FSignals->NotifyThreads.load() == 0; });
  TOwnedThread notifier;
  std::lock_guard<std::mutex> guard(FThreadLock);
  notifier = std::move(FNotifier);
}

void TCustomFFmpeg::GuardedStep(const std::function<void()>& AStep) {
  try {
    AStep();
  } catch (const Exception& e) {
    GetLogger()->Log(this, TLogLevel::llQuiet, e.Message);
    std::lock_guard<std::mutex> guard(FFatalLock);
    FFatalException = true;
    FFatalMessage = e.Message;
  }
}

void TCustomFFmpeg::RunConversion() {
  FFinished = false;
  std::vector<std::string> outputs;
  for (const auto& file : Foutput_files)
    if (std::find(outputs.begin(), outputs.end(), file->file_name) == outputs.end()) outputs.push_back(file->file_name);
  // Inputs let go of until the run are opened again first: one that is gone or changed fails it.
  // An opening cut short by a stop fails only because of the stop, which is no failure.
  GuardedStep([this] { ReopenInputs(); });
  if (FBroken) ClearFailure();
  if (!FInputsReleased) GuardedStep([this] { Transcode(); });
  // A stop that found the worker standing still gave the outputs up (the unfinished ones are
  // gone): the write failure that followed is the stop's doing, not the job's.
  if (FBroken && FSignals->AbortIO) ClearFailure();
  GuardedStep([this] { CloseOpenedEncoders(); });
  GuardedStep([this] { CloseOpenedDecoders(); });
  GuardedStep([this] { FreeResources(); });
  if (FBroken && !FFatalException) NoteStopped(outputs);
  DoTerminate();
}

void TCustomFFmpeg::ClearFailure() {
  std::lock_guard<std::mutex> guard(FFatalLock);
  FFatalException = false;
  FFatalMessage.clear();
}

void TCustomFFmpeg::NoteStopped(const std::vector<std::string>& AOutputs) {
  // What the stop left behind: the files still there hold only the part converted so far (an
  // output that had received nothing was deleted).
  std::string kept;
  int count = 0;
  for (const std::string& name : AOutputs) {
    const std::string local = LocalFileName(name);
    std::error_code error;
    if (!local.empty() && !std::filesystem::exists(local, error)) continue;
    kept += (count++ ? ", '" : "'") + name + "'";
  }
  std::lock_guard<std::mutex> guard(FFatalLock);
  if (count == 0)
    FFatalMessage = "Conversion stopped before anything was written";
  else
    FFatalMessage = Printf("Conversion stopped: the output file%s %s %s incomplete", count > 1 ? "s" : "",
                           kept.c_str(), count > 1 ? "are" : "is");
}

void TCustomFFmpeg::DoTerminate() {
  FConverting = false;
  FTerminated = true;
  {
    std::lock_guard<std::mutex> guard(FThreadLock);
    FThread = nullptr;
  }
  // A copy: the handler may free the engine (and with it OnTerminate) while it runs.
  const TNotifyEvent handler = OnTerminate;
  if (handler) handler(this);
}

void TCustomFFmpeg::SetPostHooks(TPostHooks AHooks) {
  std::lock_guard<TCriticalSection> guard(PostHookLock());
  DoSetPostHooks(AHooks);
}

TPostHooks TCustomFFmpeg::PostHooks() const {
  std::lock_guard<TCriticalSection> guard(PostHookLock());
  return FPostHooks;
}

void TCustomFFmpeg::DoSetPostHooks(TPostHooks AHooks) {
  if (AHooks == FPostHooks) return;
  // Freeing the previewer never waits for the GUI thread, so it may happen under the lock. The
  // picture converter stays: it belongs to the worker, which may be using it right now.
  if (FPostHooks.Contains(TPostHook::phPreview) && !AHooks.Contains(TPostHook::phPreview)) FPreviewer.reset();
  FPostHooks = AHooks;
}

void TCustomFFmpeg::ResetPostContext() {
  {
    std::lock_guard<TCriticalSection> guard(PostHookLock());
    FPreviewer.reset();
  }
  ResetRGBConvertContext(*FPostContext);
  FPreviewLastTime = 0;
}

// ---- codec threads ----

int ProcessorCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0) return std::max(1, CPU_COUNT(&set));
  return static_cast<int>(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
}

int CodecThreadCount(int AExplicit, int AShare, int ACores) {
  if (AExplicit >= 0) return AExplicit;
  if (AShare <= 0 || AShare >= ACores) return 0;
  return AShare;
}

int TCustomFFmpeg::TakeCodecThreads() {
  const int threads = CodecThreadCount(Fthread_count, FCoreShare.load(), ProcessorCores());
  FCodecThreads.store(threads);
  return threads;
}

// ---- opened codecs ----

void TCustomFFmpeg::AddCodecItem(TCodecList AList, AVCodecContext* ACodec) {
  auto& list = AList == TCodecList::Encoders ? FEncoderList : FDecoderList;
  list.insert(list.begin(), ACodec);
}

void TCustomFFmpeg::RemoveCodecItem(TCodecList AList, AVCodecContext* ACodec) {
  auto& list = AList == TCodecList::Encoders ? FEncoderList : FDecoderList;
  auto it = std::find(list.begin(), list.end(), ACodec);
  if (it != list.end()) list.erase(it);
}

int TCustomFFmpeg::OpenedCodecCount(TCodecList AList) const {
  return static_cast<int>((AList == TCodecList::Encoders ? FEncoderList : FDecoderList).size());
}

void TCustomFFmpeg::CloseOpenedEncoders() {
  std::lock_guard<TCriticalSection> guard(CodecLock());
  for (AVCodecContext* ctx : FEncoderList) {
    av::av_freep(&ctx->stats_in);
    av::avcodec_close(ctx);
  }
  FEncoderList.clear();
}

void TCustomFFmpeg::CloseOpenedDecoders() {
  std::lock_guard<TCriticalSection> guard(CodecLock());
  for (AVCodecContext* ctx : FDecoderList) av::avcodec_close(ctx);
  FDecoderList.clear();
}

// ---- releasing ----

void TCustomFFmpeg::ReleaseOutputFiles() {
  // Join mode registers one file several times; each is released once.
  std::vector<std::shared_ptr<TOutputFileSetup>> files;
  for (auto& file : Foutput_files)
    if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
  Foutput_files.clear();
  for (auto& file : files) {
    AVFormatContext* ctx = file->ctx;
    const bool writesFile = ctx && ctx->oformat && !(ctx->oformat->flags & AVFMT_NOFILE);
    file->CloseIO();
    const std::string name = LocalFileName(file->file_name);
    const bool created = file->created_file && writesFile && !name.empty();
    // The file stays claimed until the empty one is gone: a new output of the same name must not
    // be opened in between.
    const TOutputFileClaim claim(std::move(file->claim));
    file.reset();
    // Only a local file this job created and left empty goes; pipes, devices, network names and
    // files that were there before stay.
    if (created) {
      std::error_code error;
      const std::filesystem::path path(name);
      if (std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) == 0 && !error)
        std::filesystem::remove(path, error);
    }
  }
}

void TCustomFFmpeg::CloseInputFiles() {
  for (AVFormatContext*& ctx : Finput_files) {
    // A byte-stream input's I/O context is ours: the libraries leave it to us.
    AVIOContext* streamIO = (ctx && (ctx->flags & AVFMT_FLAG_CUSTOM_IO) && ctx->pb && IsStreamIO(ctx->pb)) ? ctx->pb
                                                                                                          : nullptr;
    CloseInputFile(&ctx);
    FreeStreamIO(&streamIO);
  }
  Finput_files.clear();
  Finput_files_ts_offset.clear();
  Finput_codecs.clear();
  FInputURLs.clear();
  FInputReopens.clear();
  FInputsReleased = false;
}

void TCustomFFmpeg::FreeResources() {
  if (!FFLoader().Loaded(ConverterLibraries)) return;
  FreeFFOptions(FOptions);
  ReleaseOutputFiles();
  CloseInputFiles();
  Foutput_codecs.clear();
  Fintra_matrix.clear();
  Finter_matrix.clear();
  Fvstats_filename.clear();
  Fvideo_codec_name.clear();
  Faudio_codec_name.clear();
  Fsubtitle_codec_name.clear();
  Fvideo_standard.clear();
  Fvideo_rc_override_string.clear();
  Fvideo_language.clear();
  Faudio_language.clear();
  Fsubtitle_language.clear();
  Fsubtitle_codec_tag = 0;
  FFirstHook.Release();
  if (Fvstats_file) std::fclose(Fvstats_file);
  Fvstats_file = nullptr;
  FSubtitleBuf.clear();
  FSubtitleBuf.shrink_to_fit();
  FHookFrameNumber = 0;
  ResetRGBConvertContext(*FHookContext);
  ResetPostContext();
}
