// The main window's own skin with one hostile value at a time (rectangles at the int limits, of
// negative size or outside their picture, points past the coordinate range, huge and negative
// counts and sizes): the value is refused at load with one log line naming element and key,
// the element falls back to the built-in look, and the whole window paints under the sanitizers.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/app/MainWindowWorld.h"
#include "tests/lib/EveryControlForm.h"
#include "tests/lib/SkinDescriptionText.h"
#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlSkinDescription.h"

namespace {

namespace text = skin_description_text;

const std::string kMin = std::to_string(INT_MIN), kMax = std::to_string(INT_MAX);

struct HostileValue {
  const char* Kind;
  const char* Key;
  std::string Value;
};

const std::vector<HostileValue>& Values() {
  static const std::vector<HostileValue> values = {
      {"rectangle at the int limits", "skinrect", kMin + "," + kMin + "," + kMax + "," + kMax},
      {"rectangle of negative height", "clientrect", "2,30,20,4"},
      {"rectangle outside its picture", "skinrect", "32000,32000,32767,32767"},
      {"point at the int limits", "lefttoppoint", kMax + "," + kMin},
      {"huge frame count", "framecount", kMax},
      {"negative size", "thumbminsize", "-1"},
      {"picture index below -1", "pictureindex", kMin},
  };
  return values;
}

// The first control element of Skin with Key, or "" when none has it.
std::string ElementWithKey(TvlSkinData* Skin, const std::string& Key) {
  for (const auto& control : Skin->CtrlList) {
    TvlSkinKeys keys;
    control->BindKeys(keys);
    for (const auto& entry : keys.Entries())
      if (Key == entry.Key) return control->IDName;
  }
  return "";
}

class MainWindowHostileSkin : public main_window::MainWindowWorld {};

TEST_F(MainWindowHostileSkin, RefusedValuesFallBackAndTheWindowPaints) {
  Start();
  TvlSkinData* skin = main->vlSkinData1;
  ASSERT_FALSE(skin->Empty);
  const text::TSplitSkin own = text::Split(skin);
  std::vector<std::string> log;
  const TvlSkinLogSink previous = vlSetSkinLogSink([&](const std::string& line) { log.push_back(line); });

  text::Load(*skin, own);
  EXPECT_TRUE(log.empty()) << "the program's skin itself loads without a refusal: " << log.front();
  for (const HostileValue& v : Values()) {
    const std::string element = ElementWithKey(skin, v.Key);
    SCOPED_TRACE(std::string(v.Kind) + ": [" + element + "] " + v.Key + "=" + v.Value);
    ASSERT_FALSE(element.empty()) << "no element of the skin has the key";
    log.clear();
    const std::string hostile = text::WithValue(own.Description, element, v.Key, v.Value);
    text::Load(*skin, own.Pictures, hostile.data(), hostile.size());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log.front().find("'" + element + "' key '" + v.Key + "'"), std::string::npos) << log.front();
    EXPECT_EQ(skin->GetControlIndex(element), -1) << "its controls draw their built-in look";
    every_control_form::PaintAll(main);
  }

  // The frame's own values: a refused FORMINFO key keeps its default.
  log.clear();
  const std::string frame = text::WithValue(own.Description, "FORMINFO", "clientrect", kMin + ",0,0," + kMax);
  text::Load(*skin, own.Pictures, frame.data(), frame.size());
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log.front().find("'FORMINFO' key 'clientrect'"), std::string::npos) << log.front();
  EXPECT_EQ(skin->ClRect, TRect{});
  every_control_form::PaintAll(main);

  text::Load(*skin, own);
  every_control_form::PaintAll(main);
  vlSetSkinLogSink(previous);
}

}  // namespace
