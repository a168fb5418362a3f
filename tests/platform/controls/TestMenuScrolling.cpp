// A plain popup level taller than the work area: cut to the work area, scrolled by the strips
// (on the layer's clock), the wheel and the keyboard.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Clock.h"
#include "platform/graphics/Colors.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/windowing/Input.h"
#include "platform/controls/Menus.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/graphics/Surface.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"
#include "tests/platform/Watchdog.h"

namespace {

constexpr UINT kTick = 10;  // ms of the test clock between two script steps

// Runs steps while a menu's loop is running, one per tick of the test clock, and moves the clock
// on by a tick after each, so the menu's own timers come due as the script goes. A step returns
// true when it is done, false to be tried again on the next tick.
class TClockScript {
 public:
  TClockScript(TTestClock& Clock, std::vector<std::function<bool()>> Steps)
      : clock_(Clock), steps_(std::move(Steps)) {
    window_ = AllocateHWnd([this](TMessage& m) {
      if (m.Msg != WM_TIMER) return;
      if (next_ < steps_.size() && steps_[next_]()) ++next_;
      clock_.Advance(kTick);
    });
    SetTimer(window_, 1, kTick, nullptr);
    clock_.Advance(kTick);  // the first step is due when the loop starts
  }
  ~TClockScript() {
    KillTimer(window_, 1);
    DeallocateHWnd(window_);
  }
  [[nodiscard]] bool Finished() const { return next_ == steps_.size(); }

 private:
  TTestClock& clock_;
  std::vector<std::function<bool()>> steps_;
  std::size_t next_ = 0;
  HWND window_ = nullptr;
};

TPoint CentreOf(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

std::uint32_t Rgb(TColor c) {
  COLORREF v = ColorToRGB(c);
  return static_cast<std::uint32_t>(GetRValue(v) << 16 | GetGValue(v) << 8 | GetBValue(v));
}

class MenuScrolling : public ::testing::Test {
 protected:
  static constexpr TRect kWorkArea{0, 20, 800, 321};  // leaves a part of a row at the bottom

  void SetUp() override {
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea(kWorkArea);
    static bool registered = [] {
      WNDCLASS cls;
      cls.lpfnWndProc = DefWindowProc;
      cls.lpszClassName = "MenuScrollingOwner";
      return RegisterClass(&cls) != 0;
    }();
    ASSERT_TRUE(registered);
    // Keys go to the focus window; the menu takes them from the queue.
    owner = CreateWindowEx(0, "MenuScrollingOwner", "", WS_POPUP | WS_VISIBLE, 0, 20, 800, 300, nullptr, nullptr,
                           nullptr, nullptr);
    SetActiveWindow(owner);
    SetFocus(owner);
    for (int i = 0; i < 80; ++i) items.push_back(Item(menu->Items(), "Item " + std::to_string(i)));
  }

  void TearDown() override {
    DestroyWindow(owner);
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
  }

  TMenuItem* Item(TMenuItem* parent, const std::string& caption) {
    auto* item = new TMenuItem(form.get());
    item->SetCaption(caption);
    item->OnClick = [this, caption](TObject*) { chosen = caption; };
    parent->Add(item);
    return item;
  }

  void PopupWith(std::vector<std::function<bool()>> steps, TPoint at = {100, 100}) {
    TWatchdog watchdog("scrolling popup menu", 10000);
    TClockScript script(clock, std::move(steps));
    menu->Popup(at.X, at.Y);
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(detail::PlainPopupActive());
  }

  std::function<bool()> Key(WORD key) {
    return [this, key] {
      display->KeyDown(key);
      display->KeyUp(key);
      return true;
    };
  }

  [[nodiscard]] bool Shown(const TMenuItem* item) const { return !detail::PlainPopupItemRect(item).IsEmpty(); }
  // Shown whole, not cut by a scroll strip.
  [[nodiscard]] bool ShownWhole(const TMenuItem* item) const {
    return detail::PlainPopupItemRect(item).Height() == rowHeight;
  }

  // The colour of the arrow in the middle of the upper (-1) or lower (+1) strip of a level.
  [[nodiscard]] std::uint32_t StripArrow(HWND level, int strip) const {
    TRect r;
    GetWindowRect(level, &r);
    auto shot = display->Screenshot();
    int y = strip < 0 ? r.Top + 3 + 6 : r.Bottom - 3 - 6;
    return shot->PixelAt((r.Left + r.Right) / 2, y) & 0xFFFFFF;
  }

  TScopedTestClock clock;
  THeadlessDisplay* display = nullptr;
  HWND owner = nullptr;
  std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);
  TPopupMenu* menu = new TPopupMenu(form.get());
  std::vector<TMenuItem*> items;
  std::string chosen;
  int rowHeight = 0;
};

TEST_F(MenuScrolling, TallLevelsAreCutToTheWorkArea) {
  // The root level, and a submenu as tall opened beside a short root.
  auto* nested = new TPopupMenu(form.get());
  TMenuItem* more = Item(nested->Items(), "&More");
  std::vector<TMenuItem*> subItems;
  for (int i = 0; i < 80; ++i) subItems.push_back(Item(more, "Sub " + std::to_string(i)));
  struct Case {
    const char* name;
    TPopupMenu* menu;
    const std::vector<TMenuItem*>& rows;
    std::size_t level;
  };
  for (const Case& c : {Case{"root", menu, items, 0}, Case{"submenu", nested, subItems, 1}}) {
    SCOPED_TRACE(c.name);
    std::vector<std::function<bool()>> steps;
    steps.push_back(Key(VK_DOWN));
    if (c.level > 0) steps.push_back(Key(VK_RIGHT));
    TRect placed;
    steps.push_back([&] {
      std::vector<HWND> levels = detail::PlainPopupWindows();
      if (levels.size() != c.level + 1) return false;
      GetWindowRect(levels.back(), &placed);
      EXPECT_TRUE(Shown(c.rows.front()));
      EXPECT_FALSE(Shown(c.rows.back()));
      return true;
    });
    steps.push_back(Key(VK_ESCAPE));
    if (c.level > 0) steps.push_back(Key(VK_ESCAPE));
    TWatchdog watchdog("tall level", 10000);
    TClockScript script(clock, std::move(steps));
    c.menu->Popup(100, 100);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(placed.Top, kWorkArea.Top);
    EXPECT_EQ(placed.Bottom, kWorkArea.Bottom);
  }
}

TEST_F(MenuScrolling, RestingOnTheLowerStripScrollsOnTheClockUntilTheLastItemCanBeClicked) {
  HWND level = nullptr;
  std::uint64_t hoveredAt = 0, firstScrollAt = 0, stoppedAt = 0;
  TRect lastAt;
  PopupWith({
      [&] {
        level = detail::PlainPopupWindows().at(0);
        rowHeight = detail::PlainPopupItemRect(items[0]).Height();
        // At the top only the lower arrow is live.
        EXPECT_EQ(StripArrow(level, -1), Rgb(clGrayText));
        EXPECT_EQ(StripArrow(level, +1), Rgb(clMenuText));
        TRect r;
        GetWindowRect(level, &r);
        display->MouseMove({(r.Left + r.Right) / 2, r.Bottom - 3 - 6});
        hoveredAt = clock.Milliseconds();
        return true;
      },
      [&] {
        if (Shown(items[0])) return false;
        firstScrollAt = clock.Milliseconds();
        EXPECT_TRUE(ShownWhole(items[1]));  // one row at a time
        return true;
      },
      [&] {
        if (!ShownWhole(items.back())) return false;
        lastAt = detail::PlainPopupItemRect(items.back());
        stoppedAt = clock.Milliseconds();
        return true;
      },
      [&] { return clock.Milliseconds() >= stoppedAt + 300; },
      [&] {
        // It stopped at the end, where the lower arrow is grey.
        EXPECT_EQ(detail::PlainPopupItemRect(items.back()), lastAt);
        EXPECT_EQ(StripArrow(level, -1), Rgb(clMenuText));
        EXPECT_EQ(StripArrow(level, +1), Rgb(clGrayText));
        TPoint p = CentreOf(detail::PlainPopupItemRect(items.back()));
        display->MouseMove(p);
        display->Click(p);
        return true;
      },
  });
  EXPECT_GT(firstScrollAt, hoveredAt + kTick);  // scrolled by the timer, not by the move
  EXPECT_EQ(chosen, "Item 79");
}

TEST_F(MenuScrolling, KeyboardKeepsTheHighlightedItemInView) {
  struct Case {
    std::vector<WORD> keys;
    int expected;
  };
  const Case cases[] = {
      {{VK_END}, 79},
      {{VK_UP}, 79},  // from no highlight Up wraps to the last item
      {{VK_END, VK_HOME}, 0},
      {{VK_END, VK_DOWN}, 0},  // Down wraps to the first
      {std::vector<WORD>(25, VK_DOWN), 24},
      {{VK_END, VK_UP, VK_UP, VK_UP}, 76},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    chosen.clear();
    std::vector<std::function<bool()>> steps;
    steps.push_back([&] {
      rowHeight = detail::PlainPopupItemRect(items[0]).Height();
      return true;
    });
    for (WORD k : c.keys) steps.push_back(Key(k));
    steps.push_back([&] {
      EXPECT_TRUE(ShownWhole(items[static_cast<std::size_t>(c.expected)]));
      return true;
    });
    steps.push_back(Key(VK_RETURN));
    PopupWith(std::move(steps));
    EXPECT_EQ(chosen, "Item " + std::to_string(c.expected));
  }
}

TEST_F(MenuScrolling, TheWheelScrollsTheLevelUnderTheMouse) {
  TPoint over;
  PopupWith({
      [&] {
        rowHeight = detail::PlainPopupItemRect(items[0]).Height();
        TRect r;
        GetWindowRect(detail::PlainPopupWindows().at(0), &r);
        over = CentreOf(r);
        display->Wheel(over, -WHEEL_DELTA);
        return true;
      },
      [&] {
        EXPECT_FALSE(Shown(items[2]));
        EXPECT_TRUE(ShownWhole(items[3]));  // three rows a notch
        display->Wheel(over, WHEEL_DELTA);
        return true;
      },
      [&] {
        EXPECT_TRUE(ShownWhole(items[0]));
        display->Wheel(over, WHEEL_DELTA);         // already at the top
        display->Wheel({700, 300}, -WHEEL_DELTA);  // not over the menu
        return true;
      },
      [&] {
        EXPECT_TRUE(ShownWhole(items[0]));
        for (int i = 0; i < 40; ++i) display->Wheel(over, -WHEEL_DELTA);
        return true;
      },
      [&] {
        EXPECT_TRUE(ShownWhole(items.back()));  // stopped at the end
        // The row now under the mouse took the highlight: Enter runs it.
        Key(VK_RETURN)();
        return true;
      },
  });
  EXPECT_NE(chosen, "");
  EXPECT_NE(chosen, "Item 0");
}

TEST_F(MenuScrolling, ARowCutByTheLowerStripIsNotPaintedOverIt) {
  TRect part;
  PopupWith({
      [&] {
        // The last row shown is cut by the strip (the work area is chosen so).
        TMenuItem* cut = nullptr;
        for (TMenuItem* item : items) {
          if (Shown(item)) cut = item;
        }
        part = detail::PlainPopupItemRect(cut);
        EXPECT_LT(part.Height(), detail::PlainPopupItemRect(items[0]).Height());
        display->MouseMove(CentreOf(part));
        return true;
      },
      [&] {
        auto shot = display->Screenshot();
        EXPECT_EQ(shot->PixelAt(part.Left + 2, part.Top) & 0xFFFFFF, Rgb(clHighlight));
        EXPECT_EQ(shot->PixelAt(part.Left + 2, part.Bottom) & 0xFFFFFF, Rgb(clMenu));  // the strip
        Key(VK_ESCAPE)();
        return true;
      },
  });
}

}  // namespace
