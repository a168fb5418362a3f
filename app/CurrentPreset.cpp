#include "app/CurrentPreset.h"

#include <algorithm>
#include <optional>

namespace {

// The value of a text of decimal digits; nothing for any other text (signs and blanks included).
std::optional<int> DecimalValue(const std::string& Text) {
  if (Text.empty() || Text.size() > 9 || !std::all_of(Text.begin(), Text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoi(Text);
}

void AssignNumber(const std::string& Text, int& Option) {
  if (const std::optional<int> value = DecimalValue(Text)) Option = *value;
}

void AssignText(const std::string& Text, std::string& Option) {
  if (!Text.empty()) Option = Text;
}

TOptionTargetType TargetTypeOfText(const std::string& Text) {
  if (Text == "vcd") return TOptionTargetType::ttVCD;
  if (Text == "svcd") return TOptionTargetType::ttSVCD;
  if (Text == "dvd") return TOptionTargetType::ttDVD;
  return TOptionTargetType::ttIgnore;
}

TOptionNormType NormTypeOfText(const std::string& Text) {
  if (Text == "PAL") return TOptionNormType::ntPAL;
  if (Text == "NTSC") return TOptionNormType::ntNTSC;
  return TOptionNormType::ntAuto;
}

}  // namespace

void TCurrentPreset::Reset() {
  Video_OutPutFileName.clear();
  Video_FileExt.clear();
  Video_AudioChannels.clear();
  Video_AudioSampleRate.clear();
  Video_FrameSize.clear();
  Video_FrameRate.clear();
  Video_NormType.clear();
  Video_VideoFilters.clear();
  Video_AudioVolume = "256";
  Video_FrameAspectRatio.clear();
  Video_VideoCodec.clear();
  Video_AudioCodec.clear();
  Video_FileFormat.clear();
  Video_TargetType.clear();
  Video_VideoTag.clear();
  Video_VideoBitrate = -1;
  Video_AudioBitrate = -1;
  Video_DisableVideo = false;
}

void TCurrentPreset::ApplyTo(TOutputOptions& Options) const {
  AssignNumber(Video_AudioChannels, Options.AudioChannels);
  if (Video_AudioSampleRate != "AUTO") AssignNumber(Video_AudioSampleRate, Options.AudioSampleRate);
  AssignText(Video_FrameSize, Options.FrameSize);
  AssignText(Video_FrameRate, Options.FrameRate);
  Options.NormType = NormTypeOfText(Video_NormType);
  AssignText(Video_VideoFilters, Options.VideoFilters);
  AssignNumber(Video_AudioVolume, Options.AudioVolume);
  AssignText(Video_FrameAspectRatio, Options.FrameAspectRatio);
  if (!Video_VideoCodec.empty()) {
    Options.VideoCodec = Video_VideoCodec;
    Options.VideoPreset = Video_VideoCodec == "libx264" ? "libx264-default" : "";
  }
  if (Video_AudioCodec != "AUTO") AssignText(Video_AudioCodec, Options.AudioCodec);
  AssignText(Video_FileFormat, Options.FileFormat);
  if (!Video_TargetType.empty()) Options.TargetType = TargetTypeOfText(Video_TargetType);
  AssignText(Video_VideoTag, Options.VideoTag);
  if (Video_VideoBitrate != kVideoBitrateNotSet) Options.VideoBitrate = Video_VideoBitrate;
  if (Video_AudioBitrate != kAudioBitrateNotSet && Video_AudioBitrate != kAudioBitrateNotSetToo)
    Options.AudioBitrate = Video_AudioBitrate;
  Options.DisableVideo = Video_DisableVideo;
}
