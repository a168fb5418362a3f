#include "app/PresetParameters.h"

#include <algorithm>

#include "platform/core/SysUtils.h"

namespace {

template <typename Row>
const Row* FindRow(std::span<const Row> Rows, int PresetCode) {
  const auto found = std::find_if(Rows.begin(), Rows.end(), [PresetCode](const Row& row) { return row.PresetCode == PresetCode; });
  return found == Rows.end() ? nullptr : &*found;
}

TPresetParameters FromVideoRow(const TVideoPresetRow& Row) {
  TPresetParameters p;
  p.PresetCode = Row.PresetCode;
  p.Kind = TPresetKind::pkVideo;
  p.Ext = p.FileExt = Row.Ext;
  p.VideoCodec = Row.VideoCodec;
  p.VideoTag = Row.VideoTag;
  p.FrameSize = Row.FrameSize;
  p.FrameRate = Row.FrameRate;
  p.FrameAspectRatio = Row.FrameAspectRatio;
  p.VideoBitrate = Row.VideoBitrate;
  p.AudioCodec = Row.AudioCodec;
  p.AudioChannels = Row.AudioChannels;
  p.AudioSampleRate = Row.AudioSampleRate;
  p.AudioBitrate = Row.AudioBitrate;
  return p;
}

TPresetParameters FromAudioRow(const TAudioPresetRow& Row) {
  TPresetParameters p;
  p.PresetCode = Row.PresetCode;
  p.Kind = TPresetKind::pkAudioOnly;
  p.Ext = Row.Ext;
  p.FileExt = Row.FileExt;
  p.AudioCodec = Row.AudioCodec;
  p.AudioChannels = Row.AudioChannels;
  p.AudioSampleRate = Row.AudioSampleRate;
  p.AudioBitrate = Row.AudioBitrate;
  p.DisableVideo = true;
  return p;
}

TPresetParameters FromDiscRow(const TDiscPresetRow& Row) {
  TPresetParameters p;
  p.PresetCode = Row.PresetCode;
  p.Kind = TPresetKind::pkDisc;
  p.Ext = ".mpg";
  p.TargetType = Row.TargetType;
  p.NormType = "PAL";
  p.VideoBitrate = kVideoBitrateNotSet;
  p.AudioBitrate = kAudioBitrateNotSet;
  return p;
}

// The one preset outside the three tables: RealVideo at a fixed size, no extension column.
constexpr int kRealVideoPresetCode = 14;

TPresetParameters RealVideoParameters() {
  TPresetParameters p;
  p.PresetCode = kRealVideoPresetCode;
  p.Kind = TPresetKind::pkRealVideo;
  p.Ext = ".rm";
  p.VideoCodec = "rv20";
  p.FrameSize = "320*240";
  return p;
}

}  // namespace

std::optional<TPresetParameters> FindPresetParameters(int PresetCode) {
  if (const TVideoPresetRow* row = FindRow(VideoPresetRows(), PresetCode)) return FromVideoRow(*row);
  if (const TAudioPresetRow* row = FindRow(AudioPresetRows(), PresetCode)) return FromAudioRow(*row);
  if (const TDiscPresetRow* row = FindRow(DiscPresetRows(), PresetCode)) return FromDiscRow(*row);
  if (PresetCode == kRealVideoPresetCode) return RealVideoParameters();
  return std::nullopt;
}

void SetPresetFields(const TPresetParameters& Parameters, TCurrentPreset& Fields) {
  Fields.Reset();
  Fields.Video_FileExt = Parameters.FileExt;
  Fields.Video_VideoCodec = Parameters.VideoCodec;
  Fields.Video_VideoTag = Parameters.VideoTag;
  Fields.Video_FrameSize = Parameters.FrameSize;
  Fields.Video_FrameRate = Parameters.FrameRate;
  Fields.Video_FrameAspectRatio = Parameters.FrameAspectRatio;
  Fields.Video_VideoBitrate = Parameters.VideoBitrate;
  Fields.Video_AudioCodec = Parameters.AudioCodec;
  Fields.Video_AudioChannels = Parameters.AudioChannels;
  Fields.Video_AudioSampleRate = Parameters.AudioSampleRate;
  Fields.Video_AudioBitrate = Parameters.AudioBitrate;
  Fields.Video_DisableVideo = Parameters.DisableVideo;
  Fields.Video_TargetType = Parameters.TargetType;
  Fields.Video_NormType = Parameters.NormType;
}

std::string OutputPathFor(std::string_view Folder, std::string_view InputFile, std::string_view Ext) {
  return std::string(Folder) + "/" + ChangeFileExt(ExtractFileName(InputFile), Ext);
}

std::string UniqueOutputPath(const std::string& Path, TExistingOutput Existing, const TOutputTakenByJob& TakenByJob) {
  const auto taken = [&](const std::string& Candidate) {
    return (TakenByJob && TakenByJob(Candidate)) || (Existing == TExistingOutput::eoKeepAside && FileExists(Candidate));
  };
  if (!taken(Path)) return Path;
  const std::string ext = ExtractFileExt(Path);
  const std::string stem = Path.substr(0, Path.size() - ext.size());
  for (int n = 1;; ++n) {
    std::string candidate = stem + "_" + std::to_string(n) + ext;
    if (!taken(candidate)) return candidate;
  }
}
