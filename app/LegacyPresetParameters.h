#pragma once
// The legacy preset window's parameter table: what each of its presets writes into the main
// window's current-preset fields, and the extension its output file name gets. Unlike the main
// window's preset application, the legacy window does not reset the fields first: a row writes
// the fields it names and leaves the others as they were. Four kinds of rows:
//
//   video        the eleven columns; volume "256"; empty filters, format, norm, time-stamp switch
//   audio only   no video (Video_DisableVideo True); the audio columns and Video_FileExt; volume
//                "256"; empty format, norm, time-stamp switch; every video field left alone
//   disc         a disc target in the PAL norm, both bit rates -1000, empty codecs and sizes
//   RealVideo    "rv20" at 320*240; empty format, norm, time-stamp switch; nothing else
//
// Every kind also writes its row's Video_TargetType cell. The table stands in
// LegacyPresetParameterTable.cpp.

#include <optional>
#include <span>
#include <string_view>

#include "app/CurrentPreset.h"
#include "app/PresetParameters.h"

// A cell of the table: the text or number written into its field (an empty text writes the
// empty text), or kKeep: the row leaves the field as it was.
using TTextCell = std::optional<std::string_view>;
using TNumberCell = std::optional<int>;
inline constexpr std::nullopt_t kKeep = std::nullopt;

struct TLegacyParameterRow {
  int Code;
  TPresetKind Kind;
  std::string_view NameExt;  // the extension the output file name gets, with its dot
  TTextCell FileExt;         // Video_FileExt; may differ from NameExt (".ra" names, ".rm" here)
  TTextCell VideoCodec, VideoTag, FrameSize, FrameRate, FrameAspectRatio;
  TNumberCell VideoBitrate;  // bits per second
  TTextCell AudioCodec, AudioChannels, AudioSampleRate;
  TNumberCell AudioBitrate;  // bits per second
  TTextCell TargetType;      // "dvd", "svcd", "vcd"; empty for the others
};

// Every row, in code order; one per preset of the legacy catalogue.
[[nodiscard]] std::span<const TLegacyParameterRow> LegacyParameterRows();

// The row of a code; nullptr when the table has none.
[[nodiscard]] const TLegacyParameterRow* FindLegacyParameterRow(int Code);

// Writes what the row and its kind write (everything but Video_OutPutFileName and
// All_Trant_Number); the other fields keep their values.
void WriteLegacyParameters(const TLegacyParameterRow& Row, TCurrentPreset& Fields);

// The legacy window's reset (Button6Click): the main window's reset, and besides it the empty
// time-stamp switch and -1 for the start and length of the conversion window.
void ResetLegacyFields(TCurrentPreset& Fields);
