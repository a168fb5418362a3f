// Hostile values in a skin description, one key kind at a time, loaded with the test skin's
// pictures into the container of a form holding every skinned control, then painted: the value
// is refused where the description is loaded (one log line naming element and key), the element
// falls back to the built-in look, and the sanitizers see nothing while every control paints.

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "tests/lib/EveryControlForm.h"
#include "tests/lib/FixtureSkin.h"
#include "tests/lib/SkinDescriptionText.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlSkinDescription.h"
#include "lib/drawing/vlUtils.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/windowing/HeadlessDisplay.h"

namespace {

namespace text = skin_description_text;

const std::string kMin = std::to_string(INT_MIN), kMax = std::to_string(INT_MAX);

// Collects the skin log while it lives.
class LogCapture {
 public:
  LogCapture() {
    previous_ = vlSetSkinLogSink([this](const std::string& line) { lines.push_back(line); });
  }
  ~LogCapture() { vlSetSkinLogSink(previous_); }
  std::vector<std::string> lines;

 private:
  TvlSkinLogSink previous_;
};

class SkinHostileValues : public ::testing::Test {
 protected:
  void SetUp() override {
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    fixture_skin::RegisterSliderPictures();
    vlUtilsStartup();
    TvlSkinData scratch(nullptr);
    fixture_skin::Fill(scratch);
    fixture_skin::AddFrame(scratch);
    fixture_skin::AddMenus(scratch);
    testSkin = text::Split(&scratch);
  }
  void TearDown() override {
    form.reset();
    every_control_form::Pump();
    vlUtilsShutdown();
  }

  TScopedTestClock clock;
  TApplication app{nullptr};
  THeadlessDisplay* display = nullptr;
  TvlSkinData skin{nullptr};
  text::TSplitSkin testSkin;
  std::unique_ptr<TForm> form;
};

// How a refused value shows after the load.
enum class Fallback { ElementDropped, KeyDefault };

struct HostileCase {
  const char* Kind;
  const char* Section;
  const char* Key;
  std::string Value;
  Fallback Expect;
};

const std::vector<HostileCase>& Cases() {
  static const std::vector<HostileCase> cases = {
      {"rectangle at the int limits", "panel", "skinrect", kMin + ",0," + kMax + ",40", Fallback::ElementDropped},
      {"rectangle past the coordinate range", "checkbox", "skinrect", "0,0,40000,16", Fallback::ElementDropped},
      {"rectangle of negative width", "button", "skinrect", "40,0,0,24", Fallback::ElementDropped},
      {"rectangle of negative height", "listbox", "clientrect", "4,40,56,4", Fallback::ElementDropped},
      {"rectangle outside its picture", "panel", "skinrect", "200,100,300,200", Fallback::ElementDropped},
      {"rectangle at a negative place", "hscrollbar", "skinrect", "-10,-10,70,5", Fallback::ElementDropped},
      {"point at the int limits", "panel", "lefttoppoint", kMin + "," + kMax, Fallback::ElementDropped},
      {"point past the coordinate range", "groupbox", "rightbottompoint", "5,-32768", Fallback::ElementDropped},
      {"huge frame count", "button", "framecount", kMax, Fallback::ElementDropped},
      {"negative frame count", "button", "framecount", "-3", Fallback::ElementDropped},
      {"negative size", "hscrollbar", "thumbminsize", "-5", Fallback::ElementDropped},
      {"huge size", "hscrollbar", "thumbminsize", "100000", Fallback::ElementDropped},
      {"picture index below -1", "slider", "pictureindex", kMin, Fallback::ElementDropped},
      {"huge offset", "groupbox", "frameleftoffset", kMax, Fallback::ElementDropped},
      {"rectangle at the int limits in an up-down", "hupdown", "skinrect", "0," + kMin + ",36," + kMax, Fallback::ElementDropped},
      {"form client rectangle at the int limits", "FORMINFO", "clientrect", kMin + "," + kMin + "," + kMax + "," + kMax,
       Fallback::KeyDefault},
      {"form corner past the coordinate range", "FORMINFO", "rightbottompoint", "70000,70000", Fallback::KeyDefault},
      {"negative border width", "FORMINFO", "borderwidth", "-4", Fallback::KeyDefault},
  };
  return cases;
}

bool HasLineNaming(const std::vector<std::string>& lines, const std::string& element, const std::string& key) {
  for (const std::string& line : lines)
    if (line.find("'" + element + "'") != std::string::npos && line.find("'" + key + "'") != std::string::npos)
      return true;
  return false;
}

// The test skin's own hostile elements, written as they are, are refused at load; the merely
// odd ones (a zero-sized middle, a picture index past the list) are kept and draw nothing wrong.
TEST_F(SkinHostileValues, TheTestSkinsHostileElementsAreLeftOutAtLoad) {
  LogCapture log;
  text::Load(skin, testSkin);
  std::set<std::string> named;
  for (const std::string& line : log.lines) named.insert(line.substr(0, line.find("' key")));
  EXPECT_EQ(named, (std::set<std::string>{"skin element 'badglowbutton", "skin element 'badsplitter",
                                          "skin element 'crossed",
                                          "skin element 'hugecorners", "skin element 'negindex",
                                          "skin element 'outside"}));
  for (const char* refused : {"badglowbutton", "badsplitter", "crossed", "hugecorners", "negindex", "outside"})
    EXPECT_EQ(skin.GetControlIndex(refused), -1) << refused;
  for (const char* kept : {"panel", "zeromiddle", "badindex", "button", "listbox"})
    EXPECT_GE(skin.GetControlIndex(kept), 0) << kept;
}

TEST_F(SkinHostileValues, RefusedValuesFallBackAndEveryControlPaints) {
  form = every_control_form::Make(&skin);
  for (const HostileCase& c : Cases()) {
    SCOPED_TRACE(std::string(c.Kind) + ": [" + c.Section + "] " + c.Key + "=" + c.Value);
    std::size_t ownRefusals = 0;  // the test skin's own hostile elements
    {
      LogCapture clean;
      text::Load(skin, testSkin);
      ownRefusals = clean.lines.size();
    }
    if (c.Expect == Fallback::ElementDropped) ASSERT_GE(skin.GetControlIndex(c.Section), 0);
    const TRect formClient = skin.ClRect;

    LogCapture log;
    const std::string hostile = text::WithValue(testSkin.Description, c.Section, c.Key, c.Value);
    text::Load(skin, testSkin.Pictures, hostile.data(), hostile.size());
    EXPECT_EQ(log.lines.size(), ownRefusals + 1);
    EXPECT_TRUE(HasLineNaming(log.lines, c.Section, c.Key)) << (log.lines.empty() ? "" : log.lines.back());
    if (c.Expect == Fallback::ElementDropped) {
      EXPECT_EQ(skin.GetControlIndex(c.Section), -1) << "the element's controls draw their built-in look";
    } else if (std::string(c.Key) == "clientrect") {
      EXPECT_EQ(skin.ClRect, TRect{}) << "was " << formClient.Right;
    }
    every_control_form::PaintAll(form.get());
  }
}

// The limits of each key kind, on both sides of each limit.
TEST(SkinValueChecks, EachKeyKindRefusesPastItsLimits) {
  struct IntegerCase {
    const char* Key;
    std::int32_t Value;
    bool Refused;
  };
  const IntegerCase integers[] = {
      {"fontcolor", INT_MIN, false},          {"unenabledfontColor", 12037283, false},
      {"glowlayeroffsetx", 32767, false},
      {"glowlayeroffsetx", -32768, true},     {"pictureindex", -1, false},
      {"maskpictureindex", -2, true},         {"alphablendvalue", 255, false},
      {"inactivealphablendvalue", 256, true}, {"framecount", 0, false},
      {"framecount", -1, true},               {"animationcountframes", 32768, true},
      {"thumbminsize", 32767, false},         {"glowsize", -1, true},
      {"borderwidth", -1, true},              {"fontheight", -12, false},
  };
  for (const IntegerCase& c : integers)
    EXPECT_EQ(vlIntegerRefusal(c.Key, c.Value).has_value(), c.Refused) << c.Key << "=" << c.Value;

  EXPECT_FALSE(vlRectRefusal(TRect{-32767, -32767, 32767, 32767}));
  EXPECT_FALSE(vlRectRefusal(TRect{5, 5, 5, 5}));
  EXPECT_TRUE(vlRectRefusal(TRect{0, 0, 32768, 1}));
  EXPECT_TRUE(vlRectRefusal(TRect{INT_MIN, 0, 0, 1}));
  EXPECT_TRUE(vlRectRefusal(TRect{10, 0, 9, 1}));
  EXPECT_TRUE(vlRectRefusal(TRect{0, 10, 1, 9}));
  EXPECT_FALSE(vlPointRefusal(TPoint{-32767, 32767}));
  EXPECT_TRUE(vlPointRefusal(TPoint{0, -32768}));
  EXPECT_TRUE(vlPointRefusal(TPoint{INT_MAX, 0}));
}

// The rectangle helpers answer clamped values for coordinates far apart, without overflow.
TEST(SkinRectangleHelpers, HostileCoordinatesGiveClampedSizes) {
  const TRect wide{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  EXPECT_EQ(RectWidth(wide), INT_MAX);
  EXPECT_EQ(RectHeight(wide), INT_MAX);
  EXPECT_FALSE(IsNullRect(wide));
  const TRect crossed{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  EXPECT_EQ(RectWidth(crossed), INT_MIN);
  EXPECT_TRUE(IsNullRect(crossed));
  EXPECT_EQ(vlSaturatedAdd(INT_MAX, 1), INT_MAX);
  EXPECT_EQ(vlSaturatedAdd(INT_MIN, -4), INT_MIN);
  const auto g = TvlNinePartGeometry::Grown({1, 1}, {INT_MAX, 1}, {1, INT_MAX}, {INT_MAX, INT_MAX},
                                            TRect{1, 1, INT_MAX, INT_MAX}, 100, 100);
  EXPECT_EQ(g.NewRBPoint.X, INT_MAX);
  EXPECT_FALSE(vlIsComposable(g, TRect{0, 0, 10, 10}, 10, 10));
}

}  // namespace
