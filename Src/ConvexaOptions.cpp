// Option texts and output-options records turned into engine options.

#include <charconv>
#include <cmath>
#include <ctime>

#include "Src/Convexa.h"
#include "Src/MyUtils.h"
#include "platform/core/SysUtils.h"

namespace {

bool IsOneOf(const std::string& AKey, std::initializer_list<const char*> AKeys) {
  for (const char* key : AKeys)
    if (AKey == key) return true;
  return false;
}

// A whole decimal 64-bit integer, else NoTimestamp.
int64_t TimeValue(const std::string& AText) {
  int64_t value = 0;
  const char* end = AText.data() + AText.size();
  const auto result = std::from_chars(AText.data(), end, value);
  if (AText.empty() || result.ec != std::errc() || result.ptr != end) return NoTimestamp;
  return value;
}

void AppendLine(std::string& AText, const detail::TOptionLine& ALine) {
  AText += ALine.Key + "=" + ALine.Value + "\n";
}

// The keys the output side takes from ExtOptions into the defaults list ("vfilters" is "vf").
const char* StreamKey(const std::string& ALowerKey) {
  static const char* const keys[] = {"acodec", "vcodec", "scodec", "apre", "vpre", "spre", "s", "vf"};
  if (ALowerKey == "vfilters") return "vf";
  for (const char* key : keys)
    if (ALowerKey == key) return key;
  return nullptr;
}

}  // namespace

namespace detail {

std::vector<TOptionLine> SplitOptionText(const std::string& AText) {
  const std::string trimmed = Trim(AText);
  std::string text;
  text.reserve(trimmed.size());
  for (size_t i = 0; i < trimmed.size(); ++i) {
    if (trimmed[i] == '\r') {
      text += '\n';
      if (i + 1 < trimmed.size() && trimmed[i + 1] == '\n') ++i;
    } else if (trimmed.compare(i, 6, "<CRLF>") == 0) {
      text += '\n';
      i += 5;
    } else {
      text += trimmed[i];
    }
  }
  std::vector<TOptionLine> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    const size_t equal = line.find('=');
    if (equal == std::string::npos)
      lines.push_back({line, ""});
    else
      lines.push_back({line.substr(0, equal), line.substr(equal + 1)});
  }
  return lines;
}

TInputOptions InputOptionsFromText(const std::string& AText) {
  TInputOptions options;
  for (const TOptionLine& line : SplitOptionText(AText)) {
    if (SameText(line.Key, "TimeStart"))
      options.TimeStart = TimeValue(line.Value);
    else
      AppendLine(options.ExtOptions, line);
  }
  return options;
}

TOutputOptions OutputOptionsFromText(const std::string& AText) {
  TOutputOptions options;
  for (const TOptionLine& line : SplitOptionText(AText)) {
    if (SameText(line.Key, "Hook") || SameText(line.Key, "CustomHook"))
      options.CustomHook = true;
    else if (SameText(line.Key, "Join"))
      options.Join = true;
    else if (SameText(line.Key, "TimeStart"))
      options.TimeStart = TimeValue(line.Value);
    else if (SameText(line.Key, "TimeLength"))
      options.TimeLength = TimeValue(line.Value);
    else
      AppendLine(options.ExtOptions, line);
  }
  return options;
}

std::string TStreamDefaults::Default(const std::string& AKey) const {
  for (const TOptionLine& line : Defaults)
    if (line.Key == AKey) return line.Value;
  return "";
}

TStreamDefaults BuildStreamDefaults(const TOutputOptions& AOptions) {
  TStreamDefaults result;
  const std::pair<const char*, const std::string*> fields[] = {
      {"acodec", &AOptions.AudioCodec}, {"vcodec", &AOptions.VideoCodec},   {"scodec", &AOptions.SubtitleCodec},
      {"apre", &AOptions.AudioPreset},  {"vpre", &AOptions.VideoPreset},    {"spre", &AOptions.SubtitlePreset},
      {"s", &AOptions.FrameSize},       {"vf", &AOptions.VideoFilters}};
  for (const auto& [key, value] : fields)
    if (!value->empty()) result.Defaults.push_back({key, *value});
  for (const TOptionLine& line : SplitOptionText(AOptions.ExtOptions)) {
    const char* key = StreamKey(LowerCase(line.Key));
    if (!key || line.Value.empty()) continue;
    if (result.Default(key).empty()) result.Defaults.push_back({key, line.Value});
    result.Queued.push_back({key, line.Value});
  }
  return result;
}

void ApplyTarget(TCustomFFmpeg& AEngine, const TOutputOptions& AOptions) {
  const char* target = nullptr;
  switch (AOptions.TargetType) {
    case TOptionTargetType::ttIgnore: return;
    case TOptionTargetType::ttVCD: target = "vcd"; break;
    case TOptionTargetType::ttSVCD: target = "svcd"; break;
    case TOptionTargetType::ttDVD: target = "dvd"; break;
  }
  const char* norm = AOptions.NormType == TOptionNormType::ntPAL    ? "pal"
                     : AOptions.NormType == TOptionNormType::ntNTSC ? "ntsc"
                                                                    : "auto";
  const char* defaultNorm = AOptions.NormDefault == TOptionNormType::ntPAL ? "pal" : "ntsc";
  AEngine.OptTarget(target, norm, defaultNorm);
}

TOutputOptions WithDiscNorm(const TOutputOptions& AOptions, std::vector<std::string>* ADropped) {
  TOutputOptions result = AOptions;
  if (AOptions.TargetType == TOptionTargetType::ttIgnore) return result;
  TOutputOptions unset;
  InitOutputOptions(unset);
  const auto drop = [&](const char* AName, auto TOutputOptions::*AField) {
    if (result.*AField == unset.*AField) return;
    if (ADropped) ADropped->push_back(AName);
    result.*AField = unset.*AField;
  };
  drop("VideoCodec", &TOutputOptions::VideoCodec);
  drop("VideoPreset", &TOutputOptions::VideoPreset);
  drop("AudioCodec", &TOutputOptions::AudioCodec);
  drop("FileFormat", &TOutputOptions::FileFormat);
  drop("FrameSize", &TOutputOptions::FrameSize);
  drop("FrameRate", &TOutputOptions::FrameRate);
  drop("VideoBitrate", &TOutputOptions::VideoBitrate);
  drop("AudioBitrate", &TOutputOptions::AudioBitrate);
  drop("AudioSampleRate", &TOutputOptions::AudioSampleRate);
  if (AOptions.TargetType == TOptionTargetType::ttVCD) drop("AudioChannels", &TOutputOptions::AudioChannels);
  return result;
}

int64_t LocalDateTimeToUnixSeconds(TDateTime ADateTime) {
  const double days = ADateTime - 25569.0;
  // The offset in force at the moment itself: guessed from the moment read as UTC, then refined
  // once, which settles it except within the hour a clock change repeats or skips.
  const int64_t guess = std::llround(days * 86400.0);
  double offset = LocalTimeZoneOffset(guess);
  offset = LocalTimeZoneOffset(std::llround((days - offset) * 86400.0));
  return std::llround((days - offset) * 86400.0);
}

void ApplyOutputOptions(TCustomFFmpeg& AEngine, const TOutputOptions& AOptions) {
  const TOutputOptions& o = AOptions;
  if (!o.FileFormat.empty()) AEngine.ParseOption("f", o.FileFormat);
  if (o.PacketSize > 0) AEngine.SetIntOption("packetsize", o.PacketSize);
  if (o.MuxRate > 0) AEngine.SetIntOption("muxrate", o.MuxRate);
  if (o.MuxDelay > 0) AEngine.SetMuxMaxDelay(o.MuxDelay);
  if (o.MuxPreload > 0) AEngine.SetMuxPreload(o.MuxPreload);

  if (o.DisableAudio) AEngine.Faudio_disable = true;
  if (o.AudioVolume >= 0) AEngine.SetAudioVolume(o.AudioVolume);
  if (o.AudioChannels > 0) AEngine.OptAudioChannels(o.AudioChannels);
  if (o.AudioSampleRate > 0) AEngine.OptAudioRate(o.AudioSampleRate);
  if (o.AudioBitrate > 0) AEngine.SetIntOption("ab", o.AudioBitrate);
  if (o.AudioBitRateTolerance > 0) AEngine.SetIntOption("abt", o.AudioBitRateTolerance);
  AEngine.Faudio_language = o.AudioLanguage;
  AEngine.SetAudioSyncMethod(o.AudioSyncMethod);
  if (!o.AudioTag.empty()) AEngine.OptAudioTag(o.AudioTag);

  if (o.DisableVideo) AEngine.Fvideo_disable = true;
  if (!o.FrameRate.empty()) AEngine.OptFrameRate(o.FrameRate);
  if (!o.FrameAspectRatio.empty()) AEngine.OptFrameAspectRatio(o.FrameAspectRatio);
  if (o.CropTop > 0) AEngine.OptFrameCropTop(o.CropTop);
  if (o.CropBottom > 0) AEngine.OptFrameCropBottom(o.CropBottom);
  if (o.CropLeft > 0) AEngine.OptFrameCropLeft(o.CropLeft);
  if (o.CropRight > 0) AEngine.OptFrameCropRight(o.CropRight);
  if (o.GroupPictureSize > 0) AEngine.SetIntOption("g", o.GroupPictureSize);
  if (o.VideoBitrate > 0) AEngine.SetIntOption("vb", o.VideoBitrate);
  if (o.VideoMaxRate > 0) AEngine.SetIntOption("maxrate", o.VideoMaxRate);
  if (o.VideoMinRate > 0) AEngine.SetIntOption("minrate", o.VideoMinRate);
  if (o.VideoBitRateTolerance > 0) AEngine.SetIntOption("bt", o.VideoBitRateTolerance);
  if (o.VideoBufSize > 0) AEngine.SetIntOption("bufsize", o.VideoBufSize);
  AEngine.SetVideoSyncMethod(o.VideoSyncMethod);
  if (!o.VideoTag.empty()) AEngine.OptVideoTag(o.VideoTag);
  AEngine.Fvideo_language = o.VideoLanguage;

  if (o.DisableSubtitle) AEngine.Fsubtitle_disable = true;
  AEngine.Fsubtitle_language = o.SubtitleLanguage;
  AEngine.Finput_sync = o.InputSync;
  if (o.CopyTimestamp) AEngine.Fcopy_ts = true;
  AEngine.SetStartTime(o.TimeStart);
  AEngine.SetRecordingTime(o.TimeLength);

  if (o.Info.TimeStamp == 0.0)
    AEngine.Frecording_timestamp = static_cast<int64_t>(std::time(nullptr));
  else if (o.Info.TimeStamp > 0.0)
    AEngine.Frecording_timestamp = LocalDateTimeToUnixSeconds(o.Info.TimeStamp);
  if (o.Info.Year > 0) AEngine.AddMetadata("year", std::to_string(o.Info.Year));
  if (o.Info.Track > 0) AEngine.AddMetadata("track", std::to_string(o.Info.Track));
  const std::pair<const char*, const std::string*> texts[] = {
      {"title", &o.Info.Title},     {"author", &o.Info.Author}, {"copyright", &o.Info.Copyright},
      {"comment", &o.Info.Comment}, {"album", &o.Info.Album},   {"genre", &o.Info.Genre}};
  for (const auto& [key, value] : texts)
    if (!value->empty()) AEngine.AddMetadata(key, *value);
}

void ApplyNewStreamOptions(TCustomFFmpeg& AEngine, const std::string& AExtOptions, TStreamDefaults& ADefaults) {
  auto applyQueued = [&](const char* AKey) {
    for (auto it = ADefaults.Queued.begin(); it != ADefaults.Queued.end(); ++it) {
      if (it->Key != AKey) continue;
      const std::string value = it->Value;
      ADefaults.Queued.erase(it);
      AEngine.ParseOption(AKey, value);
      return;
    }
    AEngine.ParseOption(AKey, ADefaults.Default(AKey));
  };
  for (const TOptionLine& line : SplitOptionText(AExtOptions)) {
    const std::string key = LowerCase(line.Key);
    if (key == "newaudio") {
      for (const char* k : {"acodec", "apre"}) applyQueued(k);
    } else if (key == "newvideo") {
      for (const char* k : {"vcodec", "vpre", "s", "vf"}) applyQueued(k);
    } else if (key == "newsubtitle") {
      for (const char* k : {"scodec", "spre"}) applyQueued(k);
    } else {
      continue;
    }
    AEngine.ParseOption(key, line.Value);
  }
}

}  // namespace detail

void TFFmpeg::ApplyExtOptions(const std::string& AOptions, bool AIsInput) {
  for (const detail::TOptionLine& line : detail::SplitOptionText(AOptions)) {
    const std::string key = LowerCase(line.Key);
    if (IsOneOf(key, {"newvideo", "newaudio", "newsubtitle", "apre", "vpre", "spre", "vfilters", "vf"})) continue;
    if (!AIsInput && IsOneOf(key, {"acodec", "vcodec", "scodec", "s"})) continue;
    ParseOption(key, line.Value);
  }
}
