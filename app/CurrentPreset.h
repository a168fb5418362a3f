#pragma once
// The current-preset fields: the settings of the preset being applied, as the main window keeps
// them between applying a preset and consuming it (in a new job's output options or in the
// selected job row). Every field has a "not set" value that its consumers skip, so a preset
// states only what it wants and leaves the rest to the converter's defaults. GUI thread only.
//
// Texts hold plain decimal digits ("29.97" with "." for a fraction), frame sizes are width "*"
// height ("1280*720"), bit rates are bits per second.

#include <string>

#include "Src/Convexa.h"

// The bit-rate values that mean "not set": the translation into output options skips them.
constexpr int kVideoBitrateNotSet = -1000;
constexpr int kAudioBitrateNotSet = -1000;
constexpr int kAudioBitrateNotSetToo = -2000;

struct TCurrentPreset {
  std::string Video_OutPutFileName;    // full path of the output file; empty = not set
  std::string Video_AddFileName;       // the input file the preset is applied to (not reset)
  std::string Video_FileExt;           // extension with its dot, for the job row only
  std::string Video_AudioChannels;     // empty = not set
  std::string Video_AudioSampleRate;   // hertz; empty or "AUTO" = not set
  std::string Video_FrameSize;         // empty = keep the source size
  std::string Video_FrameRate;         // empty = keep the source rate
  std::string Video_NormType;          // "PAL", "NTSC" or empty
  std::string Video_VideoFilters;      // empty = none
  std::string Video_AudioVolume;       // "256" = unchanged level
  std::string Video_FrameAspectRatio;  // "4:3", "16:9", "37:20", "47:20"; empty = keep
  std::string Video_VideoCodec;        // empty = the container's default
  std::string Video_AudioCodec;        // empty or "AUTO" = the container's default
  std::string Video_FileFormat;        // forced container; empty = from the extension
  std::string Video_TargetType;        // "vcd", "svcd", "dvd" or empty
  std::string Video_VideoTag;          // four-character code or empty
  int Video_VideoBitrate = 0;          // kVideoBitrateNotSet = not set
  int Video_AudioBitrate = 0;          // kAudioBitrateNotSet or kAudioBitrateNotSetToo = not set
  bool Video_DisableVideo = false;
  int All_Trant_Number = 0;            // code of the preset last selected + 100 (not reset); the
                                       // legacy preset window writes its own preset code here

  // Written only by the legacy preset window (its reset gives "", -1 and -1); neither Reset nor
  // the translation into output options touches them.
  std::string Video_CopyTimestamp;
  int Video_TimeStart = 0;
  int Video_TimeLength = 0;

  // Every field but Video_AddFileName and All_Trant_Number to its reset value: texts empty, the
  // volume "256", both bit rates -1 (copied by the translation, which equals "not set" in a
  // freshly initialised output record), no video disabled.
  void Reset();

  // Copies the fields into output options the caller has initialised (InitOutputOptions): a
  // field holding its "not set" value leaves its option untouched; NormType, AudioVolume and
  // DisableVideo are always assigned. "libx264" brings VideoPreset "libx264-default"; any other
  // codec clears VideoPreset. A number text that is not plain decimal leaves its option as is.
  void ApplyTo(TOutputOptions& Options) const;
};
