#pragma once
// The conversion engine: one TCustomFFmpeg is one conversion job. A job is set up by option names
// and values (ParseOption and the direct Opt* entry points) interleaved with the opening of its
// input files (OptInputFile) and output files (OptOutputFile); it then runs once, in the caller's
// thread or on a worker thread of its own (StartConvert), until the input ends or a stop is asked.
//
// Threads: the set-up runs on one thread (the one that prepares the task) and the option fields
// carry no lock. While a worker runs, the only calls other threads make are Stop, Cancel, Pause,
// Resume and SetPostHooks; they are safe at any moment of the worker's life. Pause is a gate the
// worker passes between packets (WaitWhilePaused): the worker is never suspended where it stands,
// so it cannot be frozen while it holds the codec lock or the logger's lock.
//
// The media libraries are those bound by FFLoader (ConverterLibraries); the engine's set-up calls
// need them loaded.
//
// Failures: the engine has one error channel. Every set-up step and every step of the run that
// fails raises FFmpegException (option values also EConvertError, preset files EFOpenError) whose
// message is the text a user reads, the cause the libraries or the system gave included; the
// engine keeps no error text of its own. Its owner turns a raised set-up failure into its own
// message once (the converter component: LastErrMsg, and NoteSetupFailure for the task's
// termination record); a failure of the run becomes FatalMessage, reported through OnTerminate.
//
// Source files of this unit: FFmpeg.cpp (object, run control, resources), FFmpegOptions.cpp (the
// option table and value handlers), FFmpegInputs.cpp, FFmpegOutputs.cpp, FFmpegPresets.cpp,
// FFmpegTargets.cpp, FFmpegFilters.cpp (video filter graph), FFmpegStreams.cpp (byte streams as
// inputs and outputs); the run itself in FFmpegTranscode.cpp, FFmpegTranscodeSetup.cpp,
// FFmpegMainLoop.cpp, FFmpegAudio.cpp, FFmpegVideo.cpp and FFmpegReport.cpp (FFmpegTranscode.h).

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <pthread.h>

#include <array>
#include <cstdio>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Src/FFMediaUtils.h"
#include "Src/FFmpegLoader.h"
#include "Src/FileIdentity.h"
#include "Src/FrameHook.h"
#include "Src/Previewer.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"
#include "platform/core/Set.h"
#include "platform/core/SyncObjs.h"
#include "platform/core/Thread.h"

// The failures of the engine's set-up and run; the message is the text shown to the user.
class FFmpegException : public Exception {
 public:
  using Exception::Exception;
};

class TCustomFFmpeg;
class TStream;

// What is done with each encoded picture while converting.
enum class TPostHook { phPreview, phBitmap, phHBITMAP };
using TPostHooks = TSet<TPostHook>;

// The engine's events; Sender is always the engine.
using TCustomHookEvent = std::function<void(TObject* Sender, TBitmap* ABitmap, int AFrameNumber, int64_t APTS,
                                            bool& AUpdate, bool& AStopHook)>;
using TPreviewBitmapEvent =
    std::function<void(TObject* Sender, TBitmap* ABitmap, int AFrameNumber, int64_t APTS)>;
using TProgressEvent =
    std::function<void(TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS, float AQuality, float ABitRate,
                       int64_t ACurrentSize, int64_t ACurrentDuration, int64_t ATotalDuration)>;

// Explicit stream mapping ("map"): the source stream and the stream that drives its sync.
struct TAVStreamMap {
  int file_index = 0;
  int stream_index = 0;
  int sync_file_index = 0;
  int sync_stream_index = 0;
};

// Metadata copy mapping ("map_meta_data").
struct TAVMetaDataMap {
  int out_file = 0;
  int in_file = 0;
};

// One rate-control override of the "rc_override" text.
struct TRcOverride {
  int start_frame = 0;
  int end_frame = 0;
  int qscale = 0;
  float quality_factor = 0;
};

// One filter of a bitstream filter chain with the private options given for it, in the order
// given.
struct TBitstreamFilterEntry {
  const AVBitStreamFilter* filter = nullptr;
  std::vector<std::pair<std::string, std::string>> options;  // name, value
};

// Sets the options of AEntry on a filter context allocated for AEntry's filter (before
// av_bsf_init). An option the filter does not know or a value it refuses raises FFmpegException
// naming both.
void ApplyBitstreamFilterOptions(AVBSFContext* ABsf, const TBitstreamFilterEntry& AEntry);

// Frees a dictionary of the libraries.
struct TDictionaryDeleter {
  void operator()(AVDictionary* ADict) const;
};

// The sound format an output stream was given: -1 (and a zero layout) where nothing was given.
struct TAudioFormat {
  int sample_rate = -1;
  int channels = -1;
  int64_t channel_layout = 0;  // channel mask; 0 unless it fits the channel count
  int sample_fmt = -1;
  bool operator==(const TAudioFormat&) const = default;
};

// Which of the sound and picture settings came from an input's streams rather than from an
// option: those an output stream takes again from the input stream it actually encodes.
struct TInputDefaults {
  bool sample_rate = false;
  bool channels = false;
  bool sample_fmt = false;
  bool frame_rate = false;
};

// The rate of an input video stream as an output takes it when none is given: the stream's base
// rate, or its average rate where the base rate is implausible (a container that declares its
// time base, such as 1000 a second, for the rate).
[[nodiscard]] AVRational InputFrameRate(AVFormatContext* AInput, AVStream* AStream);

// Whether an input stream carries anything to convert: a sound stream with channels or a picture
// stream with a size, or one that delivered packets while the input was probed. A stream a
// container only declares (an empty program entry) carries nothing and gets no output stream.
[[nodiscard]] bool StreamCarriesData(const AVStream* AStream);

// One stream of an output file as the set-up leaves it for the transcode. The format context's
// stream carries no codec of its own: the encoder context lives here, with the encoder's private
// options to hand over when it is opened.
struct TOutputStreamSetup {
  TOutputStreamSetup() = default;
  TOutputStreamSetup(const TOutputStreamSetup&) = delete;
  TOutputStreamSetup& operator=(const TOutputStreamSetup&) = delete;
  ~TOutputStreamSetup();

  AVStream* st = nullptr;             // owned by the output's format context
  AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
  bool stream_copy = false;           // packets are copied; enc then only carries the kind
  AVCodecContext* enc = nullptr;      // owned; the encoder's settings (not opened here)
  const AVCodec* codec = nullptr;     // the chosen encoder (named or the format's default); null for a copy
  bool codec_named = false;           // the encoder was chosen by name
  AVDictionary* codec_opts = nullptr;  // owned; encoder-private options for avcodec_open2
  std::vector<TBitstreamFilterEntry> bitstream_filters;  // in chain order
  std::vector<TRcOverride> rc_override;  // as parsed (also copied into enc)
  TAudioFormat audio_format;          // sound: the format asked for, before the encoder's choice
  AVRational frame_rate{0, 0};        // pictures: the rate asked for, before the encoder's choice
  TInputDefaults from_input;          // which of those came from the inputs
};

// A local file an output writes, claimed from the moment the output opens it until it is
// released: no two outputs of the process (of one job or of jobs converting side by side) write
// the same file, whose bytes would otherwise interleave into a damaged file. Thread-safe.
class TOutputFileClaim {
 public:
  TOutputFileClaim() = default;
  TOutputFileClaim(TOutputFileClaim&& AOther) noexcept : FKey(std::move(AOther.FKey)) { AOther.FKey.clear(); }
  TOutputFileClaim& operator=(TOutputFileClaim&&) = delete;
  TOutputFileClaim(const TOutputFileClaim&) = delete;
  TOutputFileClaim& operator=(const TOutputFileClaim&) = delete;
  ~TOutputFileClaim() { Release(); }
  // Claims the file AFileName names (however it is spelt); false when another claim holds it.
  [[nodiscard]] bool Claim(const std::string& AFileName);
  void Release();

 private:
  std::string FKey;  // the file's absolute, normalised path; empty when nothing is claimed
};

// One output file as the set-up leaves it for the transcode.
struct TOutputFileSetup {
  TOutputFileSetup() = default;
  TOutputFileSetup(const TOutputFileSetup&) = delete;
  TOutputFileSetup& operator=(const TOutputFileSetup&) = delete;
  ~TOutputFileSetup();

  AVFormatContext* ctx = nullptr;       // owned
  AVDictionary* muxer_opts = nullptr;   // owned; muxer-private options for avformat_write_header
  std::vector<std::unique_ptr<TOutputStreamSetup>> streams;  // index = stream index
  std::string file_name;                // the name as the caller gave it
  bool created_file = false;            // this job created the local file (it did not exist before)
  bool stream_io = false;               // ctx->pb writes to a registered byte stream
  TOutputFileClaim claim;               // a local file: held while this output may write it
  // Flushes and closes the output's byte stream, whichever kind it is. 0, or the error of a write
  // that failed (the disk is full, …).
  int CloseIO();
};

// The registry behind the "stream:<id>:<private data>" names of byte streams handed to the
// engine: a name carries a number the registry gave out, never an address, so no text can name
// memory. Thread-safe.
class TStreamRegistry {
 public:
  // Registers AStream (not owned) and answers its id (> 0).
  static int Register(TStream* AStream);
  static void Unregister(int AId);
  // The stream of the id, or nullptr for an unknown id.
  [[nodiscard]] static TStream* Find(int AId);
  // "stream:<id>:<APrivateData>".
  [[nodiscard]] static std::string StreamName(int AId, const std::string& APrivateData);
  // The id of a "stream:<id>:…" name; 0 when the name is not of that form.
  [[nodiscard]] static int ParseStreamName(const std::string& AName);
};

// I/O contexts of the libraries reading or writing a registered byte stream (seekable when the
// stream is). Exceptions of the stream become I/O errors of the libraries. nullptr when the
// context cannot be made.
[[nodiscard]] AVIOContext* NewStreamIO(TStream* AStream, bool AWrite);
// True for a context NewStreamIO made.
[[nodiscard]] bool IsStreamIO(const AVIOContext* AContext);
// Flushes (when writing) and frees a context NewStreamIO made; *AContext becomes nullptr.
void FreeStreamIO(AVIOContext** AContext);

// One built-in preset.
struct TOptionsPreset {
  const char* Name;
  const char* Value;
};

// The built-in presets, in table order.
[[nodiscard]] const std::vector<TOptionsPreset>& BuiltinPresets();
// The value of the first built-in preset named AName (letter case ignored); empty when none.
[[nodiscard]] std::string FindBuiltinPreset(const std::string& AName);

// One option of the current libraries that replaces an option key of older presets.
struct TTranslatedOption {
  enum class TTarget { Generic, Private } Target;
  std::string Name;
  std::string Value;
};
// Translates a key/value of older encoder presets into the options that replace it today.
// False when AKey is not such a key (it is then a current option name). A key or flag without a
// successor gives no entry and its name in ASkipped.
bool TranslateLegacyPresetOption(const std::string& AKey, const std::string& AValue,
                                 std::vector<TTranslatedOption>& AResult, std::vector<std::string>& ASkipped);

// A file a run must never replace: an input of the batch its task belongs to, by the name the
// caller gave and by what it is on disk.
struct TProtectedFile {
  std::string Name;
  TFileIdentity Identity;
};

// The video filter graph of one encoded video output: "src" (buffer) → crop → scale → user
// filters → "out" (buffersink offering the encoder's pixel format).
struct TVideoFilterGraph {
  TVideoFilterGraph() = default;
  TVideoFilterGraph(const TVideoFilterGraph&) = delete;
  TVideoFilterGraph& operator=(const TVideoFilterGraph&) = delete;
  ~TVideoFilterGraph();
  void Reset();

  AVFilterGraph* graph = nullptr;
  AVFilterContext* src = nullptr;
  AVFilterContext* sink = nullptr;
  // The filters that put the input's pictures upright (UprightFilters), set before the graph is
  // built; Reset keeps them.
  std::string upright;
};

// The filters that turn the pictures of a stream tagged with a display matrix (a phone's
// portrait video, a mirrored camera) upright, as the command-line tool's autorotation does:
// "transpose=clock" for a quarter turn, "hflip,vflip" for a half turn, "transpose=cclock" for
// three quarters, with the mirrored variants; empty for an upright or untagged stream.
// ASidesSwapped tells whether the upright picture's width is the stored height.
[[nodiscard]] std::string UprightFilters(const AVStream* AStream, bool& ASidesSwapped);

// The processor cores this process may run on (its affinity mask; at least 1).
[[nodiscard]] int ProcessorCores();
// The thread count a job's codecs and filters are opened with. AExplicit is the job's "threads"
// option (>= 0; 0 = the libraries choose), which always wins; -1 = not given. Then AShare is the
// number of cores the batch left the job: a share of the whole machine (ACores or more) lets the
// libraries choose per codec (0), as the command-line tool does at its defaults; a smaller share
// is that many threads (frame and slice threads as each codec allows), at least one.
[[nodiscard]] int CodecThreadCount(int AExplicit, int AShare, int ACores);

class TCustomFFmpeg : public TObject {
 public:
  // AMaxFiles: the number of input files and of output files the job can take (1 to 512);
  // anything else raises EAssertionFailed.
  explicit TCustomFFmpeg(int AMaxFiles);
  // Stops a running worker and waits for it, then releases everything.
  ~TCustomFFmpeg() override;

  TCustomFFmpeg(const TCustomFFmpeg&) = delete;
  TCustomFFmpeg& operator=(const TCustomFFmpeg&) = delete;

  // ---- run control (FFmpeg.cpp) ----

  // Starts the run. With AUseThread the worker is created suspended and answered (the caller
  // resumes it; the engine owns it and joins it); otherwise the run happens in the caller's thread and
  // the answer is nullptr. nullptr without starting when the job ran or is running already, or
  // when it has no output or no input (the job then terminates as failed).
  TThread* StartConvert(bool AUseThread, TThreadPriority APriority = TThreadPriority::tpNormal);
  // Asks a running conversion to stop; with AWaitFor waits for its worker and joins it (on the
  // GUI thread the wait serves the calls other threads make into it, never posted messages,
  // timers or input). The run finishes its outputs (trailers written) so that what was converted
  // plays. A read blocked in the system is woken; outputs are given up only when the worker makes
  // no progress for a while (a write to a stalled pipe). Any thread may call it, a handler of the
  // run included: on the worker itself it never waits, and on another engine's worker it does not
  // wait for a worker that is itself waiting in a Stop(true) (their handlers would wait for each
  // other); such a worker ends as soon as its handler returns and is joined later.
  void Stop(bool AWaitFor);
  // Called on this engine's own worker (a handler of its run whose owner is going away): the
  // events are let go at once, the run is stopped, and the worker frees the engine when the run
  // has ended, in place of the owner. Only for an engine created with new.
  void FreeWhenRunEnds();
  // True on the engine's worker thread while it runs.
  [[nodiscard]] bool OnOwnWorker() const;
  // True on the worker thread of any engine.
  [[nodiscard]] static bool OnAnyWorker() { return tWorkerSignals != nullptr; }
  // Stops a running conversion, or notifies the termination of a task that never started (on a
  // short-lived thread; with AWaitFor waits until OnTerminate has been called).
  void Cancel(bool AWaitFor);
  // After Cancel(false): waits until the worker has ended and been joined and the termination
  // notice of a never-started task has been delivered (the wait serves calls as Stop(true) does).
  // Lets many tasks be told first and waited for afterwards.
  void WaitForCancel();
  // Closes / opens the gate the worker passes between packets. Nothing without a worker.
  void Pause();
  void Resume();
  [[nodiscard]] bool Paused() const { return FPaused.load(); }
  // The processor cores the owner gives this job's codecs (0 = the whole machine, the default).
  // Any thread; read once, when the run opens its codecs: a later change affects the next run.
  void SetCoreShare(int ACores) { FCoreShare.store(ACores); }
  [[nodiscard]] int CoreShare() const { return FCoreShare.load(); }
  // The thread count the run opened its codecs and filters with (see CodecThreadCount); -1
  // until the run has taken it. Any thread.
  [[nodiscard]] int CodecThreads() const { return FCodecThreads.load(); }
  // On the worker, as the run starts: fixes the thread count of this run from the "threads"
  // option and the share of cores.
  int TakeCodecThreads();
  // Makes a used or new engine ready for a new set-up (needs the converter libraries loaded).
  void Reset();
  // Keeps the text of a failed set-up step (the first one since Reset): a job that then cannot
  // start for want of an output or input reports that cause instead of only the missing file.
  void NoteSetupFailure(const std::string& AText);
  // Makes the next StartConvert fail with AText before it opens anything, as a job without output
  // fails (a conflict with another task found when the batch starts). The first refusal counts.
  void RefuseStart(const std::string& AText);
  // Releases every file, buffer, filter graph and hook the job opened; deletes the empty local
  // output files this job created. Needs the converter libraries loaded (nothing otherwise).
  void FreeResources();
  void InitDefaults();

  // ---- option set (FFmpegOptions.cpp) ----

  // Runs the handler of one option; handler failures raise (FFmpegException, EConvertError). A
  // name that is no option of the engine, the libraries' generic set, an encoder or a muxer raises
  // "Unrecognized option \"<name>\""; a value the option refuses raises "Invalid value \"<value>\"
  // for option \"<name>\"" (an empty value for a generic option changes nothing).
  void ParseOption(const std::string& AName, const std::string& AValue);
  // Hands a generic (or encoder-/muxer-private) option to the option set; false when rejected.
  bool OptDefault(const std::string& AName, const std::string& AValue);
  bool SetIntOption(const std::string& AName, int AValue);
  void OptFormat(const std::string& AFormat);
  void OptVerbose(int AValue) { Fverbose = AValue; }
  void OptFrameRate(const std::string& AValue);
  void OptFrameSize(const std::string& AValue);
  void OptFrameAspectRatio(const std::string& AValue);
  void OptFrameCropTop(int AValue);
  void OptFrameCropBottom(int AValue);
  void OptFrameCropLeft(int AValue);
  void OptFrameCropRight(int AValue);
  void OptPixelFormat(const std::string& AValue);
  void OptAudioSampleFormat(const std::string& AValue);
  bool OptBitrate(const std::string& AName, const std::string& AValue);
  void OptAudioRate(int AValue);
  void OptAudioChannels(int AValue);
  void OptQScale(double AValue);
  void OptRcOverride(const std::string& AValue);
  void OptIntraMatrix(const std::string& AValue);
  void OptInterMatrix(const std::string& AValue);
  void OptVideoStandard(const std::string& AValue);
  void OptVideoCodec(const std::string& AValue);
  void OptAudioCodec(const std::string& AValue);
  void OptSubtitleCodec(const std::string& AValue);
  void OptVideoTag(const std::string& AValue);
  void OptAudioTag(const std::string& AValue);
  void OptSubtitleTag(const std::string& AValue);
  void OptVideoFilters(const std::string& AValue);
  // AValue is "name" or "name=option=value:option=value" (a ':' or '\\' inside a value is
  // escaped with '\\'); the options are checked against the filter here. Appends to the chain of
  // AName's kind ("vbsf", "absf", "sbsf").
  void OptBitstreamFilter(const std::string& AName, const std::string& AValue);
  void OptRecordingTime(const std::string& AValue);
  void OptStartTime(const std::string& AValue);
  void OptInputTSOffset(const std::string& AValue);
  void OptRecTimestamp(const std::string& AValue);
  void OptInputTSScale(const std::string& AValue);
  void OptMap(const std::string& AValue);
  void OptMapMetaData(const std::string& AValue);
  void OptMetadata(const std::string& AValue);
  void OptStreamId(const std::string& AName, const std::string& AValue);
  void OptPass(int AValue);
  void OptVStats();
  void OptVStatsFile(const std::string& AValue);
  void OptVideoHook(const std::string& AValue);
  void AddMetadata(const std::string& AKey, const std::string& AValue);
  void SetRecordingTime(int64_t ATime);
  void SetStartTime(int64_t ATime);
  void SetProgramID(int AValue);
  void SetAudioVolume(int AValue);
  void SetAudioSyncMethod(int AValue) { Faudio_sync_method = AValue; }
  void SetVideoSyncMethod(int AValue) { Fvideo_sync_method = AValue; }
  void SetMuxMaxDelay(float AValue);
  void SetMuxPreload(float AValue);
  // Changes the post-hook set under the unit's post-hook lock (the worker reads it per picture).
  void SetPostHooks(TPostHooks AHooks);
  [[nodiscard]] TPostHooks PostHooks() const;

  // ---- inputs, outputs, presets, targets ----

  // Opens one input and answers the number of inputs the job then holds (1 or more). Raises
  // FFmpegException when the input cannot be used: the file cannot be opened or read ("<file>: "
  // and the system's or the libraries' reason), a forced decoder is unknown or of the wrong kind,
  // the forced format is unknown, the program asked for is missing, or the job holds MaxFiles
  // inputs already. Nothing is registered then, and the options that describe one input (forced
  // format and decoders, capture channel) are used up either way.
  int OptInputFile(const std::string& AFileName);
  // Closes the job's input files until they are needed again, keeping all the set-up made of them
  // (outputs, streams, settings): a long list of jobs holds no file open. InputFile answers
  // nullptr meanwhile. False, and nothing closed, when there is no input, the inputs are let go
  // of already, or one reads a byte stream (which cannot be read from its start again).
  bool ReleaseInputs();
  // Opens inputs let go of again, the way they were opened first; nothing when they are open. The
  // run and the set-up steps that read the inputs (OptInputFile, OptOutputFile, OptTarget) call
  // it themselves. Raises FFmpegException, leaving the inputs let go of: "<file>: " and the reason
  // when the file cannot be opened ("No such file or directory" for one that is gone), and
  // "<file>: the file was changed after it was added to the task" when its size, its time of
  // change or its streams are not what they were.
  void ReopenInputs();
  [[nodiscard]] bool InputsReleased() const { return FInputsReleased; }
  // The name input AIndex was opened by, as it was given, whether it is open or let go of.
  [[nodiscard]] const std::string& InputFileName(int AIndex) const;
  // The encoder (AEncoder) or decoder of kind ACodecType named AName: a codec's own name stands for
  // its default encoder, and an old encoder name for its successor. nullptr for an empty name.
  // Raises FFmpegException naming the codec when there is none (for an encoder a Chinese text the
  // user can act on, "此系统的 FFmpeg 没有 AMR-NB 编码器…", then "(Unknown encoder '…')"), when it is
  // of another kind, or when it is experimental and AStrict does not allow that.
  const AVCodec* FindCodecOrDie(const std::string& AName, AVMediaType ACodecType, int AStrict, bool AEncoder);
  // Describes one output and answers the number of outputs the job then holds (1 or more; in join
  // mode one per input). Nothing on disk is created or truncated here: the file is opened when
  // the run starts (OpenOutputFiles). What can be seen now is refused now, by FFmpegException with
  // the reason: no output format for the name, a stream the format's or the named encoder cannot
  // be made for ("Could not add the audio stream to '…': " and why), a folder given as the output,
  // a missing or unwritable folder, an unwritable file, a file that is one of the job's inputs or
  // of the protected files or already another output's, a second output after a join. A refused
  // output leaves the job as it was.
  int OptOutputFile(const std::string& AFileName, bool AJoin = false);
  // Opens every output file not yet open for writing (an existing file is replaced: whether that
  // may happen is the caller's choice), unless it is one of the job's inputs or of the protected
  // files. Raises FFmpegException with the reason. The run calls it once its codecs are open,
  // right before the headers are written, so a run that fails earlier touches no file.
  void OpenOutputFiles();
  // The inputs of the whole batch, which no output of this job may replace (its own inputs are
  // always protected). Set by the component before the run.
  void SetProtectedFiles(std::vector<TProtectedFile> AFiles);
  // "newvideo", "newaudio", "newsubtitle": one more stream of the kind on the last output (see
  // NewVideoStream); "At least one output file must be specified" without an output.
  void OptNewVideoStream();
  void OptNewAudioStream();
  void OptNewSubtitleStream();
  void OptPreset(const std::string& AOptName, const std::string& AValue);
  void OptTarget(const std::string& ATarget, const std::string& ANorm, const std::string& ADefaultNorm);
  void ParseTargetOption(const std::string& AValue);

  // ---- opened codecs ----

  // The codecs a run has opened, so that a run that ends early or fails still closes them. The
  // transcode adds each codec right after opening it and removes it when it closes it, both while
  // holding CodecLock. The contexts stay owned by their stream records.
  enum class TCodecList { Encoders, Decoders };
  void AddCodecItem(TCodecList AList, AVCodecContext* ACodec);
  // Removes the first entry holding ACodec; nothing when there is none.
  void RemoveCodecItem(TCodecList AList, AVCodecContext* ACodec);
  // Closes every codec still listed (encoders also drop their two-pass statistics text), under
  // CodecLock, and empties the list.
  void CloseOpenedEncoders();
  void CloseOpenedDecoders();
  [[nodiscard]] int OpenedCodecCount(TCodecList AList) const;

  // ---- video filter graph (FFmpegFilters.cpp) ----

  // The filter chain text for a decoded picture of AInWidth x AInHeight becoming the encoder's
  // picture: the job's crop, the turn upright, a scale when the size then differs, then the "vf"
  // chain.
  // AUpright (UprightFilters) turns the cropped picture upright before it is scaled.
  [[nodiscard]] std::string VideoFilterDescription(int AInWidth, int AInHeight, int AOutWidth, int AOutHeight,
                                                   const std::string& AUpright = std::string()) const;
  // Builds and configures AGraph for one encoded video output: decoder pictures (ADecoder's size,
  // pixel format and sample aspect, timestamps in ATimeBase) in, the encoder's size and pixel
  // format out. Raises FFmpegException "Error opening filters: " and why (the first error the
  // libraries gave, such as an unknown filter of the "vf" chain); AGraph is then empty. The graph
  // runs AThreads threads (0 = one per processor).
  void ConfigureVideoFilters(const AVCodecContext* ADecoder, AVRational ATimeBase, AVCodecContext* AEncoder,
                            TVideoFilterGraph& AGraph, int AThreads = 1);
  // Takes the next filtered picture out of the graph into AFrame (its pts included). 1 when a
  // picture was taken, -1 when none is ready.
  int GetFilteredVideoPicture(TVideoFilterGraph& AGraph, AVFrame* AFrame);

  // ---- state ----
  [[nodiscard]] int MaxFiles() const { return FMaxFiles; }
  [[nodiscard]] int NbInputFiles() const { return static_cast<int>(Finput_files.size()); }
  [[nodiscard]] int NbOutputFiles() const { return static_cast<int>(Foutput_files.size()); }
  [[nodiscard]] bool Finished() const { return FFinished.load(); }
  [[nodiscard]] bool FatalException() const { return FFatalException.load(); }
  // Why the run failed; for a run that was stopped (FatalException false) what the stop left:
  // "Conversion stopped: the output file '…' is incomplete", or that nothing was written.
  [[nodiscard]] std::string FatalMessage() const;
  [[nodiscard]] bool Converting() const { return FConverting.load(); }
  [[nodiscard]] bool Terminated() const { return FTerminated.load(); }
  [[nodiscard]] bool Broken() const { return FBroken.load(); }
  // nullptr while the inputs are let go of (ReleaseInputs).
  [[nodiscard]] AVFormatContext* InputFile(int AIndex) const { return Finput_files.at(AIndex); }
  [[nodiscard]] TOutputFileSetup& OutputFile(int AIndex) const { return *Foutput_files.at(AIndex); }
  [[nodiscard]] TFFOptions& Options() { return FOptions; }
  // Pending encoder-private options of a media kind (video, audio, subtitle), consumed by the
  // next stream of that kind.
  [[nodiscard]] AVDictionary* PendingCodecOptions(AVMediaType AType) const;
  [[nodiscard]] AVDictionary* PendingMuxerOptions() const { return FMuxerOpts.get(); }

  // The libraries' interrupt callbacks of the job's inputs (a stop) and outputs (a stop that
  // found the worker stuck); AOpaque is the engine.
  static int InputInterrupt(void* AOpaque);
  static int OutputInterrupt(void* AOpaque);

  // Largest stream index the per-stream tables take (the libraries' own stream limit per file).
  static constexpr int MaxStreamsPerFile = 1000;

  // ==== Set by the owner before a run (the component: set-up thread) ====
  int64_t ReportInterval = 500000;   // microseconds between progress reports
  int64_t PreviewInterval = 100000;  // microseconds between post-hook pictures
  TCustomHookEvent OnCustomHook;     // called on the worker
  TPreviewBitmapEvent OnPreviewBitmap;
  TProgressEvent OnProgress;
  TNotifyEvent OnTerminate;          // on the thread that ends the run (or its notice thread)

  // ==== Option fields: the set-up thread ====
  // Named after the command-line converter's variables; written by ParseOption, the Opt* entry
  // points and the inputs and outputs as they open; then read by the run on the worker, which alone
  // adjusts a few (the inputs' timestamp offsets). No lock: the set-up thread changes nothing while
  // a run is under way. Defaults in InitDefaults.

  // -- files, times and limits
  std::string Flast_asked_format;
  int Fpgmyuv_compatibility_hack = 0;
  int64_t Fstart_time = 0;
  int64_t Finput_ts_offset = 0;
  int64_t Frecording_time = INT64_MAX;
  int64_t Frecording_timestamp = 0;
  int64_t Flimit_filesize = 0;
  std::vector<std::pair<std::string, std::string>> Fmetadata;
  bool Floop_input = false;
  int Floop_output = -1;
  int Fopt_programid = 0;
  int Fverbose = 1;
  int Fthread_count = -1;  // the "threads" option; -1 = not given (the share of cores decides)
  bool Fcopy_ts = false, Fopt_shortest = false, Fexit_on_error = false, Frate_emu = false;
  bool Fdo_pkt_dump = false, Fdo_hex_dump = false, Finput_sync = false;
  int Fvideo_sync_method = -1;
  int Faudio_sync_method = 0;
  float Faudio_drift_threshold = 0.1f;
  float Fdts_delta_threshold = 10.0f;
  int Fcopy_initial_nonkeyframes = 0;
  float Fmux_preload = 0.5f;
  float Fmux_max_delay = 0.7f;
  std::array<int, 4> Fmax_frames{};  // video, audio, data, subtitle
  int Fdo_pass = 0;
  std::string Fpass_logfilename_prefix;
  std::string Fvstats_filename;
  bool Fusing_vhook = false;
  bool Fdo_benchmark = false;
  int Fsws_flags = SWS_BICUBIC;
  int Fbit_buffer_size = 262144;

  // -- pictures
  int Fframe_width = 0, Fframe_height = 0;
  float Fframe_aspect_ratio = 0;
  int Fframe_pix_fmt = -1;
  AVRational Fframe_rate{0, 0};
  int Fframe_topBand = 0, Fframe_bottomBand = 0, Fframe_leftBand = 0, Fframe_rightBand = 0;
  float Fvideo_qscale = 0;
  std::vector<uint16_t> Fintra_matrix, Finter_matrix;  // 64 entries once set
  std::string Fvideo_rc_override_string;
  bool Fvideo_disable = false;
  int Fvideo_discard = 0;
  std::string Fvideo_codec_name;  // empty: not set
  int Fvideo_stream_copy = 0;
  uint32_t Fvideo_codec_tag = 0;
  std::string Fvideo_language;
  bool Fsame_quality = false, Fdo_deinterlace = false, Fdo_psnr = false, Fqp_hist = false;
  bool Fforce_fps = false, Fintra_only = false;
  int Ftop_field_first = -1;
  int Fme_threshold = 0;
  int Fintra_dc_precision = 8;
  std::string Fvfilters;
  int Fvideo_global_header = 0;
  int Fvideo_channel = 0;
  std::string Fvideo_standard;

  // -- sound
  int Faudio_sample_rate = 44100;
  int Faudio_channels = 2;
  int64_t Fchannel_layout = 0;
  int Faudio_sample_fmt = -1;
  float Faudio_qscale = -99999.0f;
  int Faudio_volume = 256;
  bool Faudio_disable = false;
  std::string Faudio_codec_name;  // empty: not set
  int Faudio_stream_copy = 0;
  uint32_t Faudio_codec_tag = 0;
  std::string Faudio_language;

  // -- subtitles
  bool Fsubtitle_disable = false;
  std::string Fsubtitle_codec_name;  // empty: not set
  int Fsubtitle_stream_copy = 0;
  uint32_t Fsubtitle_codec_tag = 0;
  std::string Fsubtitle_language;

  // -- streams, maps and bitstream filters
  std::vector<TAVStreamMap> Fstream_maps;
  std::vector<TAVMetaDataMap> Fmeta_data_maps;
  std::vector<int> Fstreamid_map;  // grows to the highest index given
  std::vector<std::vector<double>> Finput_files_ts_scale;  // per input, per stream
  std::vector<int64_t> Finput_files_ts_offset;
  std::vector<const AVCodec*> Finput_codecs;  // per input stream, decoders forced by name
  std::vector<const AVCodec*> Foutput_codecs; // per output stream, encoders chosen by name
  std::vector<TBitstreamFilterEntry> Fvideo_bitstream_filters, Faudio_bitstream_filters,
      Fsubtitle_bitstream_filters;

  // -- what the inputs and outputs made of the options
  TInputDefaults Finput_defaults;  // which of the sound and picture fields the last input wrote
  bool FEnableFilter = false;      // the last output uses Fvfilters
  bool FJoinMode = false;          // the output takes every input in turn
  int64_t FTotalOutputDuration = -1;  // microseconds; -1 unknown

  // ==== Run figures: the worker (read once the run has ended) ====
  int64_t Fvideo_size = 0, Faudio_size = 0, Fextra_size = 0;
  int Fnb_frames_dup = 0, Fnb_frames_drop = 0;
  bool FShowDupOrDrop = false;

 protected:
  // The read–decode–encode loop of the job; runs on the worker (or the caller's thread). Sets
  // FFinished to !FBroken when it completes; raises on failure, having closed the codecs it
  // opened. An output this job created that received no packet is left empty (and so deleted by
  // FreeResources).
  virtual void Transcode();
  // The gate of Pause/Resume: the worker calls it between packets; it returns at once unless the
  // job is paused, and when a stop is asked.
  void WaitWhilePaused();
  void RunConversion();
  // A run that was stopped: FatalMessage says which outputs are incomplete (FatalException stays
  // false).
  void NoteStopped(const std::vector<std::string>& AOutputs);
  void ClearFailure();
  void DoTerminate();
  // Runs AStep, turning an Exception into the job's fatal message.
  void GuardedStep(const std::function<void()>& AStep);
  void LogMessage(int ALevel, const std::string& AText);

  // ==== Run flags: any thread (atomic) ====
  std::atomic<bool> FBroken{false};    // a stop was asked; the worker polls it per packet
  std::atomic<bool> FFinished{false};  // the last run reached its end without a stop

 private:
  friend class TConvertThread;
  friend class TDoTerminateThread;
  friend class TTranscoder;

  // The worker reached another packet (read or written); see TRunSignals::Progress.
  void NoteProgress() { FSignals->Progress.fetch_add(1, std::memory_order_relaxed); }
  // Stop(true)'s wait for the worker; false when the caller is itself a worker waiting in a stop
  // and this worker is one too (the worker is then not joined here).
  bool WaitForWorker();
  void SetCodecName(int& AStreamCopy, std::string& AField, const std::string& AValue);
  void OptTag(uint32_t& AField, const std::string& AValue, const char* AKind);
  void OptFrameCrop(int AValue, int& ABand, int& ASize, bool AVertical);
  void ParseMatrixCoeffs(std::vector<uint16_t>& AMatrix, const std::string& AText);
  int64_t ParseTimeOrDie(const std::string& AOptName, const std::string& AText, bool AIsDuration);
  // What the option set made of a name and value that no handler of the table takes.
  enum class TOptionUse { Applied, Refused, Unknown };
  TOptionUse UseDefaultOption(const std::string& AName, const std::string& AValue);
  bool SetPrivateOption(const std::string& AName, const std::string& AValue);
  // Whether some encoder of a kind, or some encoder or muxer at all, has a private option AName.
  static bool EncoderKindHasOption(AVMediaType AKind, const std::string& AName);
  static bool IsPrivateOption(const std::string& AName);
  // The default encoder of the codec named AName ("h264"); nullptr when there is none.
  static const AVCodec* EncoderOfCodec(const std::string& AName);
  // The encoder named AName, or the default encoder of the codec of that name.
  static const AVCodec* FindEncoderNamed(const std::string& AName);
  void ApplyPresetText(const std::string& AOptName, const std::string& ALookedUp, const std::string& AText);
  void ListFormats(bool APixelFormats);
  // Add one stream of their kind to AFile as the option fields describe it, using up the kind's
  // codec name, copy flag, language and bitstream filters. Raise FFmpegException (an encoder that
  // is unknown or missing, a rate-control override that cannot be read) and leave AFile as it was:
  // a stream joins the output only once it is complete.
  void NewVideoStream(TOutputFileSetup& AFile);
  void NewAudioStream(TOutputFileSetup& AFile);
  void NewSubtitleStream(TOutputFileSetup& AFile);
  // Makes AFile's stream for the complete AStream (its id from the "streamid" map, its language
  // tag) and hands AStream over to AFile; raises "Could not alloc stream".
  TOutputStreamSetup& AttachStream(TOutputFileSetup& AFile, std::unique_ptr<TOutputStreamSetup> AStream,
                                   const std::string& ALanguage);
  void ChooseEncoder(TOutputStreamSetup& AStream, AVFormatContext* AOutput, std::string& ACodecName);
  // Why an output of AFormat named AName takes no subtitle stream of its own choosing: the format
  // carries none, its subtitle encoder is missing, or no subtitle of the inputs (the first only
  // with AFirstOnly) is of the encoder's kind, text or pictures. Empty when one can be made.
  [[nodiscard]] std::string SubtitleLeftOutBecause(const AVOutputFormat* AFormat, const std::string& AName,
                                                   bool AFirstOnly) const;
  // Give the encoder of an encoded stream the sound format / picture rate asked for (kept in the
  // stream), in the forms its encoder takes.
  void SetEncoderAudioFormat(TOutputStreamSetup& AStream, const TAudioFormat& AFormat);
  void SetEncoderFrameRate(TOutputStreamSetup& AStream, AVRational ARate);
  void HandOverPrivateOptions(TOutputStreamSetup& AStream);
  void ParseRcOverride(TOutputStreamSetup& AStream);
  // AEmpty (when given) receives a line for every stream that carries no data.
  void CheckAudioVideoSubInputs(bool& AHasVideo, bool& AHasAudio, bool AFirstOnly, bool& AHasSubtitle,
                                std::vector<std::string>* AEmpty = nullptr) const;
  // Why AFileName must not be written: it is one of the job's inputs or a protected file; empty
  // when it may.
  [[nodiscard]] std::string ProtectedFileText(const std::string& AFileName) const;
  // Stores the set (caller holds PostHookLock); switching phPreview off frees the preview window.
  void DoSetPostHooks(TPostHooks AHooks);
  // Frees the preview window and resets the post-hook picture converter and its throttle (no run
  // may be under way).
  void ResetPostContext();
  void ReleaseOutputFiles();
  void CloseInputFiles();
  void ResetInputOptions();
  // Takes the outputs' default picture and sound settings from the streams of AInput an output
  // would encode (Fframe_width … Fchannel_layout), marking them as the input's.
  void TakeInputDefaults(AVFormatContext* AInput);
  struct TInputReopen;
  struct TOpening;
  // Opens the file of AHow into AOpening.Context as AHow says: the context's options, the forced
  // format and decoders, the program, the stream information, the seek to the start asked for.
  // Answers the timestamp the input starts at. Raises FFmpegException with the reason.
  int64_t OpenInputContext(const TInputReopen& AHow, TOpening& AOpening);
  // One input let go of, opened again (see ReopenInputs).
  AVFormatContext* OpenInputAgain(const TInputReopen& AHow);

  // ==== The set-up thread; read by the worker during the run, released at its end ====
  const int FMaxFiles;
  std::vector<AVFormatContext*> Finput_files;  // entries are nullptr while the inputs are let go of
  // How one input was opened, so that it can be opened again the same way after ReleaseInputs.
  struct TInputReopen {
    std::string FileName;  // as given
    bool ByteStream = false;
    const AVInputFormat* Format = nullptr;
    AVCodecID VideoId = AV_CODEC_ID_NONE, AudioId = AV_CODEC_ID_NONE, SubtitleId = AV_CODEC_ID_NONE;
    std::unique_ptr<AVDictionary, TDictionaryDeleter> ContextOptions;  // the option set's values for the context
    std::unique_ptr<AVDictionary, TDictionaryDeleter> Params;          // the demuxer's parameters
    int ProgramId = 0;
    int64_t StartTime = 0;  // the seek asked for, from the file's own start
    std::vector<AVDiscard> Discards;  // per stream, as the set-up left them
    std::vector<std::pair<AVMediaType, AVCodecID>> Streams;  // what the file held
    std::optional<TFileStamp> Stamp;  // a local file as it was when opened
  };
  std::vector<TInputReopen> FInputReopens;  // per input
  bool FInputsReleased = false;
  std::vector<std::shared_ptr<TOutputFileSetup>> Foutput_files;  // join mode repeats the same file
  std::unique_ptr<AVDictionary, TDictionaryDeleter> FCodecOpts[3];  // video, audio, subtitle
  std::unique_ptr<AVDictionary, TDictionaryDeleter> FMuxerOpts;
  std::vector<std::string> FInputURLs;  // names handed to the libraries, kept while inputs are open
  TFFOptions FOptions;
  std::vector<TProtectedFile> FProtectedFiles;
  std::string FSetupFailure;  // the first failed set-up step since Reset
  std::string FStartRefusal;  // why StartConvert must fail (RefuseStart)

  // ==== The worker (the thread that runs the conversion and its clean-up) ====
  std::vector<AVCodecContext*> FEncoderList, FDecoderList;  // newest first
  TFrameHookChain FFirstHook;
  std::unique_ptr<TRGBConvertContext> FHookContext;
  std::unique_ptr<TRGBConvertContext> FPostContext;  // for post-hook pictures
  int FHookFrameNumber = 0;           // pictures through the hooks this job
  int64_t FPreviewLastTime = 0;       // wall clock of the last post-hook picture
  FILE* Fvstats_file = nullptr;       // open from the first statistics line to the release
  std::array<int, 52> Fqp_histogram{};  // first video stream's pictures per quantiser
  std::vector<uint8_t> FSubtitleBuf;  // subtitle encode buffer, made on the first subtitle

  // ==== Under PostHookLock() ====
  TPostHooks FPostHooks;
  std::unique_ptr<TPreviewer> FPreviewer;  // made on the first preview picture

  // ==== Under FFatalLock ====
  mutable std::mutex FFatalLock;
  std::string FFatalMessage;

  // ==== Run flags: any thread (atomic) ====
  std::atomic<bool> FFatalException{false};
  std::atomic<bool> FConverting{false};
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FPaused{false};
  std::atomic<int> FCoreShare{0};      // cores given by the owner; 0 = the whole machine
  std::atomic<int> FCodecThreads{-1};  // the run's codec thread count; -1 = not yet taken

  // ==== Under FThreadLock ====
  // The threads, owned here and joined by Stop(true), Cancel(true) and the destructor. FThread is
  // the running worker: set while it runs and cleared in DoTerminate, before the worker's last use
  // of the engine.
  std::mutex FThreadLock;
  TOwnedThread FWorker;
  TOwnedThread FNotifier;  // the termination notice of a never-started task
  TThread* FThread = nullptr;

  // ==== Any thread (events and their shared state) ====
  TEvent FPauseGate{true, true};  // signalled = not paused
  // The events a worker signals as its very last action. The threads hold their own reference,
  // so the engine may be destroyed the moment a waiter sees the signal.
  struct TRunSignals {
    TEvent StopEvent{true, true};       // reset while a worker runs
    TEvent TermEvent{true, true};       // reset while a never-started task's termination is delivered
    std::atomic<int> NotifyThreads{0};  // termination threads of Cancel still running
    std::atomic<DWORD> NotifyThreadId{0};  // the thread delivering that notice
    std::atomic<bool> AbortIO{false};   // a stop found the worker stuck: inputs and outputs give up
    // Bumped by the worker at every packet it reads and writes: a stop gives the outputs up only
    // when this stands still (a write to a stalled pipe), never while the encoders are draining.
    std::atomic<uint64_t> Progress{0};
    // The worker is inside a Stop(true) wait of some engine (a handler of its run stopping
    // others): another worker's wait leaves it out, so two such handlers never wait for each other.
    std::atomic<int> WaitingInStop{0};
    std::atomic<bool> FreeOwnerAfterRun{false};  // FreeWhenRunEnds: the worker frees the engine
    // The worker's system thread while it runs, for waking a read blocked in the system.
    std::mutex ReaderLock;
    pthread_t Reader{};
    bool Reading = false;
    void EnterRead();
    void LeaveRead();
    void WakeReader();
  };
  std::shared_ptr<TRunSignals> FSignals = std::make_shared<TRunSignals>();
  // The signals of the engine whose worker is the calling thread; null on other threads.
  static thread_local TRunSignals* tWorkerSignals;
};

// The lock around every post-hook set change (shared by all engines).
TCriticalSection& PostHookLock();
