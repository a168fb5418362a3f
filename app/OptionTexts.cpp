#include "app/OptionTexts.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "app/CurrentPreset.h"
#include "platform/core/SysUtils.h"

namespace {

using enum TOptionKind;

bool IsDigits(std::string_view Text) {
  return !Text.empty() && std::all_of(Text.begin(), Text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The trimmed text before "kbps"; nothing when there is no "kbps".
std::optional<std::string> KilobitsPart(std::string_view Text) {
  const std::size_t unit = Text.find("kbps");
  if (unit == std::string_view::npos) return std::nullopt;
  return Trim(Text.substr(0, unit));
}

// Thousandths of a decimal number of digits with an optional fraction ("7.95" gives 7950),
// computed on the digits themselves so that "10.2" gives exactly 10200. Fraction digits past the
// third are dropped. Nothing for any other text or a value beyond an int.
std::optional<int> Thousandths(std::string_view Number) {
  const std::size_t point = Number.find('.');
  const std::string_view whole = Number.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? std::string_view() : Number.substr(point + 1);
  if (!IsDigits(whole) || (point != std::string_view::npos && !IsDigits(fraction))) return std::nullopt;
  long long value = 0;
  for (char c : whole) {
    value = value * 10 + (c - '0');
    if (value > INT_MAX / 1000) return std::nullopt;
  }
  int scale = 100;
  long long thousandths = 0;
  for (std::size_t i = 0; i < fraction.size() && scale > 0; ++i, scale /= 10) thousandths += (fraction[i] - '0') * scale;
  return static_cast<int>(value * 1000 + thousandths);
}

constexpr std::pair<std::string_view, std::string_view> kAspectTexts[] = {
    {kKeepSourceShape, ""},        {kNoVideo, ""},
    {"普通视频4:3模式", "4:3"},     {"宽屏视频16:9模式", "16:9"},
    {"宽屏视频37:20模式", "37:20"}, {"宽屏视频47:20模式", "47:20"},
};

}  // namespace

std::string FrameSizeOfText(std::string_view Text) {
  if (Text == kKeepSourceSize || Text == kFormatHasNoVideo) return std::string();
  return std::string(Text);
}

std::string FrameRateOfText(std::string_view Text) {
  if (Text == kKeepSourceRate || Text == kNoVideo) return std::string();
  return std::string(Text);
}

std::string SampleRateOfText(std::string_view Text) { return std::string(Text); }

std::optional<int> VideoBitrateOfText(std::string_view Text) {
  if (Text == kNoVideo) return kVideoBitrateNotSet;
  const std::optional<std::string> number = KilobitsPart(Text);
  if (!number || !IsDigits(*number)) return std::nullopt;
  return Thousandths(*number);
}

std::optional<int> AudioBitrateOfText(std::string_view Text) {
  const std::optional<std::string> number = KilobitsPart(Text);
  if (!number) return std::nullopt;
  return Thousandths(*number);
}

std::optional<std::string> AspectRatioOfText(std::string_view Text) {
  for (const auto& [text, ratio] : kAspectTexts)
    if (Text == text) return std::string(ratio);
  return std::nullopt;
}

void ReadOptionText(TOptionKind Kind, std::string_view Text, TCurrentPreset& Fields) {
  switch (Kind) {
    case okResolution: Fields.Video_FrameSize = FrameSizeOfText(Text); break;
    case okFrameRate: Fields.Video_FrameRate = FrameRateOfText(Text); break;
    case okSampleRate: Fields.Video_AudioSampleRate = SampleRateOfText(Text); break;
    case okVideoBitrate:
      if (const std::optional<int> rate = VideoBitrateOfText(Text)) Fields.Video_VideoBitrate = *rate;
      break;
    case okAudioBitrate:
      if (const std::optional<int> rate = AudioBitrateOfText(Text)) Fields.Video_AudioBitrate = *rate;
      break;
    case okScalingMode:
      if (std::optional<std::string> ratio = AspectRatioOfText(Text)) Fields.Video_FrameAspectRatio = std::move(*ratio);
      break;
  }
}

void ReadOptionChoosers(const TOptionChoosers& Choosers, TCurrentPreset& Fields) {
  for (TOptionKind kind : {okResolution, okFrameRate, okVideoBitrate, okSampleRate, okAudioBitrate, okScalingMode})
    ReadOptionText(kind, Choosers.Of(kind).Text(), Fields);
}

int OptionCodePosition(TOptionKind Kind) {
  switch (Kind) {
    case okResolution: return 0;
    case okVideoBitrate: return 1;
    case okAudioBitrate: return 2;
    case okScalingMode: return 3;
    case okFrameRate: return 4;
    case okSampleRate: return 5;
  }
  return 0;
}

std::string OptionCodePair(int ItemIndex) {
  return ItemIndex <= 9 ? "0" + std::to_string(ItemIndex) : std::to_string(ItemIndex);
}

std::string MakeOptionCode(const std::array<int, kOptionKindCount>& ItemIndexes) {
  std::array<std::string, kOptionKindCount> pairs;
  for (int kind = 0; kind < kOptionKindCount; ++kind)
    pairs[OptionCodePosition(static_cast<TOptionKind>(kind))] = OptionCodePair(ItemIndexes[kind]);
  std::string code;
  for (const std::string& pair : pairs) code += pair;
  return code;
}

std::string ReplaceOptionCodePair(std::string_view Code, TOptionKind Kind, int ItemIndex) {
  std::string code(Code);
  if (code.size() < 2 * kOptionKindCount) code.resize(2 * kOptionKindCount, '0');
  const std::string pair = OptionCodePair(ItemIndex);
  return code.replace(2 * OptionCodePosition(Kind), 2, pair);
}

std::optional<std::array<int, kOptionKindCount>> SplitOptionCode(std::string_view Code) {
  if (Code.size() != 2 * kOptionKindCount || !IsDigits(Code)) return std::nullopt;
  std::array<int, kOptionKindCount> indexes{};
  for (int kind = 0; kind < kOptionKindCount; ++kind) {
    const int at = 2 * OptionCodePosition(static_cast<TOptionKind>(kind));
    indexes[kind] = (Code[at] - '0') * 10 + (Code[at + 1] - '0');
  }
  return indexes;
}
