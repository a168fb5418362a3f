#include "app/OptionTexts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/CurrentPreset.h"

namespace {

using enum TOptionKind;

TEST(OptionTextsTest, BitRatesInBitsPerSecond) {
  struct Case {
    const char* text;
    std::optional<int> video, audio;
  };
  const Case cases[] = {
      {"816 kbps", 816000, 816000},
      {"4000 kbps", 4000000, 4000000},
      {"128 kbps", 128000, 128000},
      // Decimals are read digit by digit: no floating-point rounding drops a bit.
      {"7.95 kbps", std::nullopt, 7950},
      {"12.2 kbps", std::nullopt, 12200},
      {"10.2 kbps", std::nullopt, 10200},
      {"5.9 kbps", std::nullopt, 5900},
      {"4.75 kbps", std::nullopt, 4750},
      {"5.15 kbps", std::nullopt, 5150},
      {"无视频", kVideoBitrateNotSet, std::nullopt},
      // Not a bit rate: the field keeps its value.
      {"", std::nullopt, std::nullopt},
      {"kbps", std::nullopt, std::nullopt},
      {"fast kbps", std::nullopt, std::nullopt},
      {"-5 kbps", std::nullopt, std::nullopt},
      {"99999999 kbps", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(VideoBitrateOfText(c.text), c.video);
    EXPECT_EQ(AudioBitrateOfText(c.text), c.audio);
  }
}

TEST(OptionTextsTest, TextsThatKeepTheSourceGiveEmptyValues) {
  EXPECT_EQ(FrameSizeOfText("保持原分辨率"), "");
  EXPECT_EQ(FrameSizeOfText("该格式无视频"), "");
  EXPECT_EQ(FrameSizeOfText("1920*1080"), "1920*1080");
  EXPECT_EQ(FrameRateOfText("保持原帧速率"), "");
  EXPECT_EQ(FrameRateOfText("无视频"), "");
  EXPECT_EQ(FrameRateOfText("10"), "10") << "bare numbers stay bare";
  EXPECT_EQ(FrameRateOfText("29.97"), "29.97");
  EXPECT_EQ(SampleRateOfText("44100"), "44100");

  struct Case {
    const char* text;
    std::optional<std::string> ratio;
  };
  const Case scaling[] = {
      {"保持原视频模式", ""},        {"无视频", ""},
      {"普通视频4:3模式", "4:3"},    {"宽屏视频16:9模式", "16:9"},
      {"宽屏视频37:20模式", "37:20"}, {"宽屏视频47:20模式", "47:20"},
      {"16:9", std::nullopt},
  };
  for (const Case& c : scaling) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(AspectRatioOfText(c.text), c.ratio);
  }
}

TEST(OptionTextsTest, OptionCodePairsAndPositions) {
  EXPECT_EQ(OptionCodePair(0), "00");
  EXPECT_EQ(OptionCodePair(9), "09");
  EXPECT_EQ(OptionCodePair(10), "10");
  EXPECT_EQ(OptionCodePair(27), "27");
  EXPECT_EQ(OptionCodePair(-1), "0-1");

  // Indexes in TOptionKind order; the code lists resolution, video bit rate, audio bit rate,
  // scaling mode, frame rate, sample rate.
  EXPECT_EQ(MakeOptionCode({0, 3, 9, 4, 4, 0}), "000304000904");
  EXPECT_EQ(MakeOptionCode({0, 0, -1, 0, 0, 0}), "000000000-100") << "no frame rate selected";

  EXPECT_EQ(ReplaceOptionCodePair("000304000904", okResolution, 12), "120304000904");
  EXPECT_EQ(ReplaceOptionCodePair("000304000904", okSampleRate, 5), "000304000905");
  EXPECT_EQ(ReplaceOptionCodePair("000304000904", okFrameRate, 10), "000304001004");
  EXPECT_EQ(ReplaceOptionCodePair("", okVideoBitrate, 3), "000300000000") << "a short code is padded, not overrun";

  const auto indexes = SplitOptionCode("000304000904");
  ASSERT_TRUE(indexes);
  EXPECT_EQ(*indexes, (std::array<int, kOptionKindCount>{0, 3, 9, 4, 4, 0}));
  for (const char* bad : {"", "00030400090", "0003040009041", "0-1304000904", "00030400090x"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(SplitOptionCode(bad));
  }
}

}  // namespace
