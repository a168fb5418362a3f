#pragma once
// The parameters each preset of the catalogue sets: the extension of its output file and the
// values of the current-preset fields. Four kinds of rows (PresetParameterTable.cpp):
//
//   video       the extension column, video and audio settings
//   audio-only  no video; audio settings; the extension column as the row gives it
//   disc        a disc target in the PAL norm, both bit rates "not set", nothing else
//   RealVideo   preset 14: "rv20" at 320*240, nothing else
//
// Empty texts and bit rates of -1 in a row are the fields' reset values.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/CurrentPreset.h"

enum class TPresetKind { pkVideo, pkAudioOnly, pkDisc, pkRealVideo };

struct TVideoPresetRow {
  int PresetCode;
  std::string_view Ext;  // the output file's extension and the extension column
  std::string_view VideoCodec, VideoTag, FrameSize, FrameRate, FrameAspectRatio;
  int VideoBitrate;
  std::string_view AudioCodec, AudioChannels, AudioSampleRate;
  int AudioBitrate;
};

struct TAudioPresetRow {
  int PresetCode;
  std::string_view Ext;      // the output file's extension
  std::string_view FileExt;  // the extension column; may differ from Ext or be empty
  std::string_view AudioCodec, AudioChannels, AudioSampleRate;
  int AudioBitrate;
};

struct TDiscPresetRow {
  int PresetCode;
  std::string_view TargetType;  // "vcd", "svcd" or "dvd"
};

[[nodiscard]] std::span<const TVideoPresetRow> VideoPresetRows();
[[nodiscard]] std::span<const TAudioPresetRow> AudioPresetRows();
[[nodiscard]] std::span<const TDiscPresetRow> DiscPresetRows();

// One preset's parameters in one shape, whatever its kind.
struct TPresetParameters {
  int PresetCode = 0;
  TPresetKind Kind = TPresetKind::pkVideo;
  std::string_view Ext;
  std::string_view FileExt;
  std::string_view VideoCodec, VideoTag, FrameSize, FrameRate, FrameAspectRatio;
  int VideoBitrate = -1;
  std::string_view AudioCodec, AudioChannels, AudioSampleRate;
  int AudioBitrate = -1;
  bool DisableVideo = false;
  std::string_view TargetType, NormType;
};

// The parameters of a preset code; nothing for a code outside the catalogue.
[[nodiscard]] std::optional<TPresetParameters> FindPresetParameters(int PresetCode);

// Resets the fields and sets those the preset gives (everything but Video_OutPutFileName,
// Video_AddFileName and All_Trant_Number).
void SetPresetFields(const TPresetParameters& Parameters, TCurrentPreset& Fields);

// The output path of InputFile under a preset: Folder + "/" + the input's file name with its
// extension replaced by Ext (appended when it has none). The folder text is taken as it is, so
// an empty one gives a path beginning with "/" and one ending in "/" doubles it.
[[nodiscard]] std::string OutputPathFor(std::string_view Folder, std::string_view InputFile, std::string_view Ext);

enum class TExistingOutput { eoKeepAside, eoOverwrite };

// Whether another job of the list already writes the file at Path.
using TOutputTakenByJob = std::function<bool(const std::string& Path)>;

// The path itself when it is free, else "<name>_<n><ext>" with the smallest n = 1, 2, ... that
// is free. A path is taken when another job writes it (TakenByJob, whatever Existing says: two
// jobs of one batch must never write one file) or, with eoKeepAside, when it names an existing
// file (a folder does not count).
[[nodiscard]] std::string UniqueOutputPath(const std::string& Path, TExistingOutput Existing,
                                           const TOutputTakenByJob& TakenByJob = {});
