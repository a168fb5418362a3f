#pragma once
// What the option choosers' texts mean, and the OptionCode a job row keeps of them.
//
// The choosers carry their choices only as display texts; these rules read the values back:
//   resolution    "640*480" itself; "保持原分辨率" and "该格式无视频" give the empty text
//   video bit/s   "816 kbps" gives 816000; "无视频" gives -1000 (not set)
//   audio bit/s   "128 kbps" gives 128000, "7.95 kbps" 7950, "10.2 kbps" 10200
//   frame rate    "25.00" itself; "保持原帧速率" and "无视频" give the empty text
//   sample rate   the text itself
//   scaling mode  "普通视频4:3模式" gives "4:3", ... ; "保持原视频模式" and "无视频" the empty text
//
// OptionCode: the six choosers' item indexes, two characters each, in the order resolution,
// video bit rate, audio bit rate, scaling mode, frame rate, sample rate ("000304000904"). An
// index of 0 to 9 is "0" and its digit, a larger one its decimal digits; no selection (-1) gives
// "0-1", which makes the code longer and no longer decimal.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/CurrentPreset.h"
#include "app/OptionLists.h"

constexpr std::string_view kKeepSourceSize = "保持原分辨率";
constexpr std::string_view kFormatHasNoVideo = "该格式无视频";
constexpr std::string_view kNoVideo = "无视频";
constexpr std::string_view kKeepSourceRate = "保持原帧速率";
constexpr std::string_view kKeepSourceShape = "保持原视频模式";

[[nodiscard]] std::string FrameSizeOfText(std::string_view Text);
[[nodiscard]] std::string FrameRateOfText(std::string_view Text);
[[nodiscard]] std::string SampleRateOfText(std::string_view Text);

// Bits per second; nothing when the text is no bit rate (the field then keeps its value).
[[nodiscard]] std::optional<int> VideoBitrateOfText(std::string_view Text);
[[nodiscard]] std::optional<int> AudioBitrateOfText(std::string_view Text);

// The aspect ratio of a scaling-mode text; nothing for a text that is none of the six (the field
// then keeps its value).
[[nodiscard]] std::optional<std::string> AspectRatioOfText(std::string_view Text);

// The current-preset field of one chooser from the text it shows, by the rules above; a bit rate
// or scaling text that reads as nothing leaves its field as it was.
void ReadOptionText(TOptionKind Kind, std::string_view Text, TCurrentPreset& Fields);

// Button13Click: the six fields from the texts the choosers show, in the order resolution, frame
// rate, video bit rate, sample rate, audio bit rate, scaling mode. Enabled or not, every chooser
// is read.
void ReadOptionChoosers(const TOptionChoosers& Choosers, TCurrentPreset& Fields);

// The chooser's position in an OptionCode: 0 for the resolution, ..., 5 for the sample rate.
[[nodiscard]] int OptionCodePosition(TOptionKind Kind);

// The two characters of one index ("09", "10", "0-1").
[[nodiscard]] std::string OptionCodePair(int ItemIndex);

// The code of six indexes, given in TOptionKind order.
[[nodiscard]] std::string MakeOptionCode(const std::array<int, kOptionKindCount>& ItemIndexes);

// Code with the pair of one chooser replaced. A code shorter than twelve characters is first
// padded with "0" (a row's code is never that short; the row stays usable all the same).
[[nodiscard]] std::string ReplaceOptionCodePair(std::string_view Code, TOptionKind Kind, int ItemIndex);

// The six indexes of a twelve-digit code, in TOptionKind order; nothing for any other text.
[[nodiscard]] std::optional<std::array<int, kOptionKindCount>> SplitOptionCode(std::string_view Code);
