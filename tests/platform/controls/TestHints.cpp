// The application's hints: shown after HintPause over a control with ShowHint, hidden after
// HintHidePause, replaceable hint window class, OnShowHint and OnHint.

#include <string>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/HintWindow.h"
#include "platform/controls/StdCtrls.h"

namespace {

class RecordingHintWindow : public THintWindow {
 public:
  using THintWindow::THintWindow;
  static inline std::vector<std::string> shown;
  void ActivateHint(TRect Rect, const std::string& AHint) override {
    shown.push_back(AHint);
    THintWindow::ActivateHint(Rect, AHint);
  }
};

class HintsTest : public FormWorld {
 protected:
  void SetUp() override {
    FormWorld::SetUp();
    form = MakeForm(Bounds(0, 0, 300, 200));
    withHint = new TButton(form);
    withHint->SetParent(form);
    withHint->SetBounds(10, 10, 80, 25);
    withHint->SetHint("Save|Saves the file");
    withHint->SetShowHint(true);
    without = new TButton(form);
    without->SetParent(form);
    without->SetBounds(10, 100, 80, 25);
    without->SetHint("not shown");
    without->SetShowHint(false);
    form->Show();
    Pump();
    RecordingHintWindow::shown.clear();
  }

  void Advance(int ms) {
    clock.Advance(static_cast<std::uint64_t>(ms));
    Pump();
  }

  bool HintVisible() const {
    THintWindow* w = app.HintWindow();
    return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
  }

  TScopedTestClock clock;
  TForm* form = nullptr;
  TButton* withHint = nullptr;
  TButton* without = nullptr;
};

TEST_F(HintsTest, AppearsAfterHintPauseAndHidesAfterHintHidePause) {
  std::vector<std::string> longHints;
  app.OnHint = [&](TObject*) { longHints.push_back(app.Hint()); };
  display->MouseMove({30, 20});
  Pump();
  EXPECT_EQ(longHints, std::vector<std::string>{"Saves the file"});
  Advance(app.HintPause() - 1);
  EXPECT_FALSE(HintVisible());
  Advance(1);
  ASSERT_TRUE(HintVisible());
  EXPECT_EQ(app.HintWindow()->Caption(), "Save");
  const TRect hint = app.HintWindow()->BoundsRect();
  EXPECT_GT(hint.Top, 20) << "below the cursor";
  Advance(app.HintHidePause() - 1);
  EXPECT_TRUE(HintVisible());
  Advance(1);
  EXPECT_FALSE(HintVisible());
  Advance(10000);
  EXPECT_FALSE(HintVisible()) << "no second showing while the mouse stays on the control";
}

// A control that gives its hint for a part of itself (THintInfo::CursorRect, a list's row) is
// asked again when the pointer leaves that part, and shows the next part's hint.
TEST_F(HintsTest, APartsHintIsAskedAgainWhenThePointerLeavesThePart) {
  withHint->SetBounds(10, 10, 200, 40);
  std::vector<int> asked;
  withHint->AddWindowProcHook([&](TMessage& M, const TWndMethod& Next) {
    if (M.Msg != CM_HINTSHOW) return Next(M);
    auto* info = reinterpret_cast<THintInfo*>(M.LParam);
    const int half = info->CursorPos.Y < 20 ? 0 : 1;
    asked.push_back(half);
    info->HintStr = half == 0 ? "upper" : "lower";
    info->CursorRect = TRect{0, half * 20, 200, half * 20 + 20};
    M.Result = 0;
  });
  display->MouseMove({30, 15});
  Pump();
  Advance(app.HintPause());
  ASSERT_TRUE(HintVisible());
  EXPECT_EQ(app.HintWindow()->Caption(), "upper");
  display->MouseMove({40, 20});
  Pump();
  Advance(app.HintShortPause());
  EXPECT_EQ(asked, (std::vector<int>{0})) << "still in the upper part";
  display->MouseMove({40, 40});
  Pump();
  EXPECT_FALSE(HintVisible());
  Advance(app.HintShortPause());
  ASSERT_TRUE(HintVisible());
  EXPECT_EQ(app.HintWindow()->Caption(), "lower");
  EXPECT_EQ(asked, (std::vector<int>{0, 1}));
}

TEST_F(HintsTest, ControlsWithoutShowHintOrWithTheApplicationsOffShowNothing) {
  struct Case {
    const char* name;
    TPoint at;
    bool appShowHint;
  };
  for (const Case& c : std::initializer_list<Case>{{"ShowHint off", {30, 110}, true},
                                                   {"application off", {30, 20}, false}}) {
    SCOPED_TRACE(c.name);
    app.SetShowHint(c.appShowHint);
    display->MouseMove({200, 180});
    Pump();
    display->MouseMove(c.at);
    Pump();
    Advance(app.HintPause() + 10);
    EXPECT_FALSE(HintVisible());
    app.SetShowHint(true);
  }
}

TEST_F(HintsTest, OnShowHintMayChangeOrRefuseAndTheWindowClassIsReplaceable) {
  app.SetHintWindowClass([](TComponent* owner) { return new RecordingHintWindow(owner); });
  bool allow = true;
  app.OnShowHint = [&](std::string& text, bool& canShow, THintInfo& info) {
    EXPECT_EQ(info.HintControl, withHint);
    text = "[" + text + "]";
    canShow = allow;
  };
  display->MouseMove({30, 20});
  Pump();
  Advance(app.HintPause());
  EXPECT_EQ(RecordingHintWindow::shown, std::vector<std::string>{"[Save]"});
  EXPECT_TRUE(HintVisible());

  // Leaving the control hides the hint; coming back with the handler refusing shows nothing.
  display->MouseMove({200, 180});
  Pump();
  EXPECT_FALSE(HintVisible());
  allow = false;
  display->MouseMove({30, 20});
  Pump();
  Advance(app.HintPause());
  EXPECT_FALSE(HintVisible());
  EXPECT_EQ(RecordingHintWindow::shown.size(), 1u);
}

// Hint windows that say which class made them.
class TaggedHintWindow : public THintWindow {
 public:
  TaggedHintWindow(TComponent* AOwner, std::string Tag) : THintWindow(AOwner), tag(std::move(Tag)) {}
  void ActivateHint(TRect Rect, const std::string& AHint) override {
    RecordingHintWindow::shown.push_back(tag + ":" + AHint);
    THintWindow::ActivateHint(Rect, AHint);
  }
  std::string tag;
};

THintWindowClass Tagged(const std::string& tag) {
  return [tag](TComponent* owner) { return new TaggedHintWindow(owner, tag); };
}

TEST_F(HintsTest, InstalledHintClassesComeAndGoByKeyInAnyOrder) {
  app.SetHintWindowClass(Tagged("base"));
  int skinHint = 0, otherHint = 0;
  auto showOnce = [&]() -> std::string {
    RecordingHintWindow::shown.clear();
    app.CancelHint();
    display->MouseMove({200, 180});
    Pump();
    display->MouseMove({30, 20});
    Pump();
    Advance(app.HintPause());
    return RecordingHintWindow::shown.empty() ? "" : RecordingHintWindow::shown.back();
  };
  EXPECT_EQ(showOnce(), "base:Save");

  app.InstallHintWindowClass(Tagged("skin"), &skinHint);
  EXPECT_FALSE(HintVisible());  // the window of the class that went out of use is gone
  EXPECT_EQ(showOnce(), "skin:Save");
  app.InstallHintWindowClass(Tagged("other"), &otherHint);
  EXPECT_EQ(showOnce(), "other:Save");

  // The first installer goes first: the newest stays in use and its window is kept.
  THintWindow* inUse = app.HintWindow();
  app.RemoveHintWindowClass(&skinHint);
  EXPECT_EQ(app.HintWindow(), inUse);
  EXPECT_EQ(showOnce(), "other:Save");
  // The newest goes: the base comes back (not the class it replaced, which left already).
  app.RemoveHintWindowClass(&otherHint);
  EXPECT_EQ(showOnce(), "base:Save");
  // Setting the base while an installed class is in use keeps the installed one.
  app.InstallHintWindowClass(Tagged("skin"), &skinHint);
  app.SetHintWindowClass(Tagged("new base"));
  EXPECT_EQ(showOnce(), "skin:Save");
  app.RemoveHintWindowClass(&skinHint);
  EXPECT_EQ(showOnce(), "new base:Save");
}

TEST_F(HintsTest, CancelHintAndAPressHideTheHint) {
  display->MouseMove({30, 20});
  Pump();
  Advance(app.HintPause());
  ASSERT_TRUE(HintVisible());
  app.CancelHint();
  EXPECT_FALSE(HintVisible());
  display->MouseMove({31, 21});
  Pump();
  Advance(app.HintPause());
  ASSERT_FALSE(HintVisible()) << "the same control waits for the mouse to come back";
  display->MouseMove({200, 180});
  Pump();
  display->MouseMove({30, 20});
  Pump();
  Advance(app.HintPause());
  ASSERT_TRUE(HintVisible());
  display->MouseDown({30, 20});
  Pump();
  EXPECT_FALSE(HintVisible());
  display->MouseUp({30, 20});
  Pump();
}

}  // namespace
