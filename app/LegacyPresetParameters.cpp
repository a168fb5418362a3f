#include "app/LegacyPresetParameters.h"

#include <algorithm>

namespace {

using enum TPresetKind;

// What every row of a kind writes besides its cells, kKeep where the kind leaves the field.
struct TKindWrites {
  TPresetKind Kind;
  TTextCell AudioVolume, VideoFilters, FileFormat, NormType, CopyTimestamp;
  std::optional<bool> DisableVideo;
};

constexpr TKindWrites kKindWrites[] = {
    {pkVideo, "256", "", "", "", "", std::nullopt},
    {pkAudioOnly, "256", kKeep, "", "", "", true},
    {pkDisc, "256", kKeep, "", "PAL", kKeep, std::nullopt},
    {pkRealVideo, kKeep, kKeep, "", "", "", std::nullopt},
};

template <typename Value, typename Field>
void Write(const std::optional<Value>& Cell, Field& Target) {
  if (Cell) Target = Field(*Cell);
}

}  // namespace

const TLegacyParameterRow* FindLegacyParameterRow(int Code) {
  const auto rows = LegacyParameterRows();
  const auto found = std::find_if(rows.begin(), rows.end(), [Code](const TLegacyParameterRow& row) { return row.Code == Code; });
  return found == rows.end() ? nullptr : &*found;
}

void WriteLegacyParameters(const TLegacyParameterRow& Row, TCurrentPreset& Fields) {
  Write(Row.FileExt, Fields.Video_FileExt);
  Write(Row.VideoCodec, Fields.Video_VideoCodec);
  Write(Row.VideoTag, Fields.Video_VideoTag);
  Write(Row.FrameSize, Fields.Video_FrameSize);
  Write(Row.FrameRate, Fields.Video_FrameRate);
  Write(Row.FrameAspectRatio, Fields.Video_FrameAspectRatio);
  Write(Row.VideoBitrate, Fields.Video_VideoBitrate);
  Write(Row.AudioCodec, Fields.Video_AudioCodec);
  Write(Row.AudioChannels, Fields.Video_AudioChannels);
  Write(Row.AudioSampleRate, Fields.Video_AudioSampleRate);
  Write(Row.AudioBitrate, Fields.Video_AudioBitrate);
  Write(Row.TargetType, Fields.Video_TargetType);
  for (const TKindWrites& kind : kKindWrites) {
    if (kind.Kind != Row.Kind) continue;
    Write(kind.AudioVolume, Fields.Video_AudioVolume);
    Write(kind.VideoFilters, Fields.Video_VideoFilters);
    Write(kind.FileFormat, Fields.Video_FileFormat);
    Write(kind.NormType, Fields.Video_NormType);
    Write(kind.CopyTimestamp, Fields.Video_CopyTimestamp);
    Write(kind.DisableVideo, Fields.Video_DisableVideo);
  }
}

void ResetLegacyFields(TCurrentPreset& Fields) {
  Fields.Reset();
  Fields.Video_CopyTimestamp.clear();
  Fields.Video_TimeStart = -1;
  Fields.Video_TimeLength = -1;
}
