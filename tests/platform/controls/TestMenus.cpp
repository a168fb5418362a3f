#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/graphics/Colors.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/controls/Menus.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/graphics/Surface.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"
#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"

namespace {

// ---- shortcuts and accelerators ----

TEST(ShortCuts, TextRoundTrips) {
  struct Case {
    WORD key;
    TShiftState shift;
    const char* text;
  };
  const Case cases[] = {
      {'S', {TShiftStateFlag::ssCtrl}, "Ctrl+S"},
      {VK_F4, {TShiftStateFlag::ssAlt}, "Alt+F4"},
      {VK_DELETE, {}, "Del"},
      {VK_RETURN, {TShiftStateFlag::ssCtrl}, "Ctrl+Enter"},
      {'1', {TShiftStateFlag::ssShift, TShiftStateFlag::ssCtrl, TShiftStateFlag::ssAlt}, "Shift+Ctrl+Alt+1"},
      {VK_F12, {TShiftStateFlag::ssShift}, "Shift+F12"},
      {VK_NUMPAD5, {}, "Num 5"},
      {VK_PRIOR, {}, "PgUp"},
      {VK_ESCAPE, {}, "Esc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TShortCut sc = ShortCut(c.key, c.shift);
    EXPECT_EQ(ShortCutToText(sc), c.text);
    EXPECT_EQ(TextToShortCut(c.text), sc);
    WORD key = 0;
    TShiftState shift;
    ShortCutToKey(sc, key, shift);
    EXPECT_EQ(key, c.key);
    EXPECT_EQ(shift, c.shift);
  }
}

TEST(ShortCuts, ParsingIsLenientAboutCaseAndOrderButRejectsNonsense) {
  struct Case {
    const char* text;
    TShortCut expected;
  };
  const Case cases[] = {
      {"ctrl+s", static_cast<TShortCut>(scCtrl | 'S')},
      {"Alt+Ctrl+Del", static_cast<TShortCut>(scCtrl | scAlt | VK_DELETE)},
      {"Ctrl+", scNone},
      {"Ctrl+Banana", scNone},
      {"", scNone},
      {"+", scNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.expected);
  }
  // A key with no name has no text, whatever the modifiers.
  EXPECT_EQ(ShortCutToText(ShortCut(0xE5, {TShiftStateFlag::ssCtrl})), "");
  EXPECT_EQ(ShortCutToText(scNone), "");
}

TEST(ShortCuts, Accelerators) {
  struct Case {
    const char* caption;
    char32_t hotkey;
    const char* stripped;
  };
  const Case cases[] = {
      {"&File", U'F', "File"},
      {"Save &as", U'A', "Save as"},
      {"R&&D", 0, "R&D"},
      {"a&&b&c", U'C', "a&bc"},
      {"打开(&O)", U'O', "打开(O)"},
      {"&打开", U'打', "打开"},
      {"trailing&", 0, "trailing"},
      {"-", 0, "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(GetHotkey(c.caption), c.hotkey);
    EXPECT_EQ(StripHotkey(c.caption), c.stripped);
  }
  EXPECT_TRUE(IsAccel('A', "Save &as"));
  EXPECT_TRUE(IsAccel('a', "Save &as"));
  EXPECT_FALSE(IsAccel('S', "Save &as"));
  EXPECT_FALSE(IsAccel('D', "R&&D"));
}

// ---- the item tree ----

class MenuModel : public ::testing::Test {
 protected:
  TMenuItem* Item(TMenuItem* parent, const std::string& caption) {
    auto* item = new TMenuItem(form.get());
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }
  std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);
  TPopupMenu* menu = new TPopupMenu(form.get());
};

TEST_F(MenuModel, TreeOperationsKeepParentsAndOwnersSound) {
  TMenuItem* root = menu->Items();
  TMenuItem* a = Item(root, "A");
  TMenuItem* b = Item(root, "B");
  TMenuItem* sub = Item(b, "B1");
  auto* c = new TMenuItem(form.get());
  root->Insert(1, c);
  EXPECT_EQ(root->Count(), 3);
  EXPECT_EQ(root->IndexOf(c), 1);
  EXPECT_EQ(c->Parent(), root);
  EXPECT_EQ(sub->GetParentMenu(), menu);
  EXPECT_EQ(root->Find("b"), b);

  EXPECT_THROW(root->Add(a), EMenuError);       // already has a parent
  EXPECT_THROW(sub->Add(b), EMenuError);        // would make a loop (b has a parent anyway)
  EXPECT_THROW(root->Insert(9, new TMenuItem(form.get())), EMenuError);
  EXPECT_THROW((void)root->Items(3), EMenuError);

  TWeak<TMenuItem> subAlive(sub);
  int owned = form->ComponentCount();
  root->Delete(root->IndexOf(b));  // frees b and its child
  EXPECT_FALSE(subAlive);
  EXPECT_EQ(form->ComponentCount(), owned - 2);
  EXPECT_EQ(root->Count(), 2);
  root->Clear();
  EXPECT_EQ(root->Count(), 0);
  // Freeing the form frees whatever is left (the sanitizers see any double free).
}

TEST_F(MenuModel, CommandsAreUniqueAndDispatchReachesOnlyLiveItems) {
  TMenuItem* a = Item(menu->Items(), "A");
  TMenuItem* b = Item(a, "B");
  EXPECT_NE(a->Command(), b->Command());
  EXPECT_NE(b->Command(), 0);
  int clicks = 0;
  b->OnClick = [&](TObject* s) {
    EXPECT_EQ(s, b);
    ++clicks;
  };
  EXPECT_EQ(menu->FindItem(b->Command(), TFindItemKind::fkCommand), b);
  EXPECT_TRUE(menu->DispatchCommand(b->Command()));
  EXPECT_EQ(clicks, 1);
  b->SetEnabled(false);
  EXPECT_TRUE(menu->DispatchCommand(b->Command()));  // found, but a disabled item does nothing
  EXPECT_EQ(clicks, 1);
  WORD gone = b->Command();
  delete b;
  EXPECT_FALSE(menu->DispatchCommand(gone));
}

TEST_F(MenuModel, CheckingARadioItemUnchecksOnlyItsGroup) {
  TMenuItem* root = menu->Items();
  std::vector<TMenuItem*> g1, g2;
  for (int i = 0; i < 3; ++i) {
    g1.push_back(Item(root, "g1"));
    g1.back()->SetRadioItem(true);
    g1.back()->SetGroupIndex(1);
  }
  for (int i = 0; i < 2; ++i) {
    g2.push_back(Item(root, "g2"));
    g2.back()->SetRadioItem(true);
    g2.back()->SetGroupIndex(2);
  }
  TMenuItem* plain = Item(root, "plain");
  plain->SetGroupIndex(1);
  plain->SetChecked(true);
  g2[0]->SetChecked(true);

  g1[0]->SetChecked(true);
  g1[2]->SetChecked(true);
  EXPECT_FALSE(g1[0]->Checked());
  EXPECT_FALSE(g1[1]->Checked());
  EXPECT_TRUE(g1[2]->Checked());
  EXPECT_TRUE(g2[0]->Checked());  // other group untouched
  EXPECT_TRUE(plain->Checked());  // not a radio item

  // Moving a checked radio item into a group takes the check away from the others.
  g2[1]->SetChecked(true);
  EXPECT_FALSE(g2[0]->Checked());
  g2[1]->SetGroupIndex(1);
  EXPECT_FALSE(g1[2]->Checked());
  EXPECT_TRUE(g2[1]->Checked());
}

TEST_F(MenuModel, RethinkLinesHidesRedundantSeparators) {
  struct Case {
    std::string captions;  // one character per item: '-' separator, 'x' item, 'h' hidden item
    std::string visible;   // expected visibility: '1' or '0'
  };
  const Case cases[] = {
      {"x-x", "111"}, {"-x-", "010"}, {"x--x", "1101"}, {"x-h-x", "11001"},
      {"x-h", "100"}, {"--", "00"},   {"x", "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.captions);
    TMenuItem* root = menu->Items();
    root->Clear();
    for (char k : c.captions) {
      TMenuItem* item = Item(root, k == '-' ? "-" : "item");
      if (k == 'h') item->SetVisible(false);
    }
    root->RethinkLines();
    std::string got;
    for (int i = 0; i < root->Count(); ++i) got += root->Items(i)->Visible() ? '1' : '0';
    EXPECT_EQ(got, c.visible);
  }
}

TEST_F(MenuModel, IsShortCutRunsOnlyReachableEnabledItemsParentsFirst) {
  TMenuItem* file = Item(menu->Items(), "&File");
  TMenuItem* save = Item(file, "&Save");
  save->SetShortCut(ShortCut('S', {TShiftStateFlag::ssCtrl}));
  std::vector<std::string> calls;
  file->OnClick = [&](TObject*) { calls.push_back("file"); };
  save->OnClick = [&](TObject*) { calls.push_back("save"); };

  EXPECT_TRUE(menu->IsShortCut('S', {TShiftStateFlag::ssCtrl}));
  EXPECT_EQ(calls, (std::vector<std::string>{"file", "save"}));
  EXPECT_FALSE(menu->IsShortCut('S', {}));
  EXPECT_FALSE(menu->IsShortCut('S', {TShiftStateFlag::ssCtrl, TShiftStateFlag::ssShift}));
  calls.clear();
  file->SetVisible(false);
  EXPECT_FALSE(menu->IsShortCut('S', {TShiftStateFlag::ssCtrl}));
  file->SetVisible(true);
  save->SetEnabled(false);
  EXPECT_FALSE(menu->IsShortCut('S', {TShiftStateFlag::ssCtrl}));
  EXPECT_TRUE(calls.empty());
}

TEST_F(MenuModel, MainMenuMergesByGroupIndex) {
  auto* main = new TMainMenu(form.get());
  auto* child = new TMainMenu(form.get());
  auto top = [&](TMainMenu* m, const std::string& caption, BYTE group) {
    TMenuItem* item = Item(m->Items(), caption);
    item->SetGroupIndex(group);
    return item;
  };
  top(main, "File", 0);
  top(main, "Edit", 1);
  top(main, "Window", 9);
  top(main, "Help", 9);
  top(child, "ChildEdit", 1);
  TMenuItem* tools = top(child, "Tools", 5);
  TMenuItem* run = Item(tools, "Run");
  run->SetShortCut(ShortCut(VK_F9, {}));
  bool ran = false;
  run->OnClick = [&](TObject*) { ran = true; };

  auto captions = [&] {
    std::string out;
    for (TMenuItem* i : main->MergedItems()) out += i->Caption() + " ";
    return out;
  };
  EXPECT_EQ(captions(), "File Edit Window Help ");
  main->Merge(child);
  EXPECT_EQ(captions(), "File ChildEdit Tools Window Help ");
  // As a form passes it on: the key message itself (Alt would come in bit 29 of the key data).
  EXPECT_FALSE(main->IsShortCut(TMessage{WM_SYSKEYDOWN, VK_F9, LPARAM{1} << 29}));
  EXPECT_FALSE(ran);
  EXPECT_TRUE(main->IsShortCut(TMessage{WM_KEYDOWN, VK_F9, 0}));
  EXPECT_TRUE(ran);
  EXPECT_EQ(main->FindItem(run->Command(), TFindItemKind::fkCommand), run);
  main->Unmerge(child);
  EXPECT_EQ(captions(), "File Edit Window Help ");
  EXPECT_FALSE(main->IsShortCut(VK_F9, {}));

  main->Merge(child);
  delete child;  // the merge ends with the merged menu
  EXPECT_EQ(main->MergedMenu(), nullptr);
  EXPECT_EQ(captions(), "File Edit Window Help ");
}

// ---- the plain popup window ----

// Runs steps on a 10 ms timer while a menu's loop is running: a step returns true when it is
// done, false to be tried again on the next tick. Timers come after posted input and paints,
// so a step sees the effect of the input the previous one injected.
class TScript {
 public:
  explicit TScript(std::vector<std::function<bool()>> Steps) : steps_(std::move(Steps)) {
    window_ = AllocateHWnd([this](TMessage& m) {
      if (m.Msg == WM_TIMER && next_ < steps_.size() && steps_[next_]()) ++next_;
    });
    SetTimer(window_, 1, 10, nullptr);
  }
  ~TScript() {
    KillTimer(window_, 1);
    DeallocateHWnd(window_);
  }
  [[nodiscard]] bool Finished() const { return next_ == steps_.size(); }

 private:
  std::vector<std::function<bool()>> steps_;
  std::size_t next_ = 0;
  HWND window_ = nullptr;
};

LRESULT OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l);
std::vector<UINT>* ownerLog = nullptr;
std::function<void(UINT, WPARAM, LPARAM)> spy;
LRESULT OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (ownerLog) ownerLog->push_back(msg);
  if (spy) spy(msg, w, l);
  return DefWindowProc(h, msg, w, l);
}

TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

class PopupWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    static bool registered = [] {
      WNDCLASS cls;
      cls.lpfnWndProc = OwnerProc;
      cls.lpszClassName = "MenuTestOwner";
      return RegisterClass(&cls) != 0;
    }();
    ASSERT_TRUE(registered);
    owner = CreateWindowEx(0, "MenuTestOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 560, nullptr, nullptr, nullptr,
                           nullptr);
    SetActiveWindow(owner);
    SetFocus(owner);
    ownerLog = &log;

    TMenuItem* root = menu->Items();
    open = Item(root, "&Open");
    open->SetShortCut(ShortCut('O', {TShiftStateFlag::ssCtrl}));
    Item(root, "-");
    mode = Item(root, "&Mode");
    for (const char* c : {"&Fast", "&Good", "&Best"}) {
      TMenuItem* r = Item(mode, c);
      r->SetRadioItem(true);
      r->SetGroupIndex(1);
      r->OnClick = [this, r](TObject*) {
        r->SetChecked(true);
        chosen = r->Caption();
      };
      radios.push_back(r);
    }
    radios[0]->SetChecked(true);
    exit = Item(root, "E&xit");
    open->OnClick = [this](TObject*) { chosen = "open"; };
    exit->OnClick = [this](TObject*) {
      // The command runs after the menu has gone.
      windowsWhenRun = detail::PlainPopupWindows().size();
      chosen = "exit";
    };
  }

  void TearDown() override {
    ownerLog = nullptr;
    DestroyWindow(owner);
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
  }

  TMenuItem* Item(TMenuItem* parent, const std::string& caption) {
    auto* item = new TMenuItem(form.get());
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }

  // Pops the menu up at (100, 100) and runs the script while it is open.
  void PopupWith(std::vector<std::function<bool()>> steps) {
    TWatchdog watchdog("popup menu loop", 8000);
    TScript script(std::move(steps));
    menu->Popup(100, 100);
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(detail::PlainPopupActive());
  }

  // A step that clicks the centre of the row of an item once that row is shown.
  std::function<bool()> ClickOn(TMenuItem* item) {
    return [this, item] {
      TRect r = detail::PlainPopupItemRect(item);
      if (r.IsEmpty()) return false;
      display->MouseMove(Centre(r));
      display->Click(Centre(r));
      return true;
    };
  }
  std::function<bool()> Key(WORD key) {
    return [this, key] {
      display->KeyDown(key);
      display->KeyUp(key);
      return true;
    };
  }

  THeadlessDisplay* display = nullptr;
  HWND owner = nullptr;
  std::vector<UINT> log;
  std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);
  TPopupMenu* menu = new TPopupMenu(form.get());
  TMenuItem *open = nullptr, *mode = nullptr, *exit = nullptr;
  std::vector<TMenuItem*> radios;
  std::string chosen;
  std::size_t windowsWhenRun = 99;
};

TEST_F(PopupWindow, OpensAtThePointPaintsAndRunsASubmenuCommandByMouse) {
  bool popupEventRan = false;
  menu->OnPopup = [&](TObject* s) {
    EXPECT_EQ(s, menu);
    popupEventRan = true;
  };
  PopupWith({
      [&] {
        std::vector<HWND> levels = detail::PlainPopupWindows();
        EXPECT_EQ(levels.size(), 1u);
        TRect r;
        GetWindowRect(levels[0], &r);
        EXPECT_EQ(r.Left, 100);
        EXPECT_EQ(r.Top, 100);
        EXPECT_TRUE(GetWindowLong(levels[0], GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(GetActiveWindow(), owner);  // the menu never takes the activation
        display->MouseMove(Centre(detail::PlainPopupItemRect(open)));
        return true;
      },
      [&] {
        // The hovered row is painted in the highlight colour, the others in the menu colour.
        TRect hovered = detail::PlainPopupItemRect(open);
        TRect other = detail::PlainPopupItemRect(exit);
        auto shot = display->Screenshot();
        auto at = [&](TPoint p) { return shot->PixelAt(p.X, p.Y) & 0xFFFFFF; };
        auto rgb = [](TColor c) {
          COLORREF v = ColorToRGB(c);
          return static_cast<std::uint32_t>(GetRValue(v) << 16 | GetGValue(v) << 8 | GetBValue(v));
        };
        EXPECT_EQ(at({hovered.Right - 4, hovered.Top + 1}), rgb(clHighlight));
        EXPECT_EQ(at({other.Right - 4, other.Top + 1}), rgb(clMenu));
        return true;
      },
      ClickOn(mode),  // a click on a parent opens its submenu beside it
      [&] {
        std::vector<HWND> levels = detail::PlainPopupWindows();
        if (levels.size() != 2) return false;
        TRect parent, sub;
        GetWindowRect(levels[0], &parent);
        GetWindowRect(levels[1], &sub);
        EXPECT_GE(sub.Left, parent.Right - 4);
        EXPECT_NEAR(detail::PlainPopupItemRect(radios[0]).Top, detail::PlainPopupItemRect(mode).Top, 1);
        return true;
      },
      ClickOn(radios[1]),
  });
  EXPECT_TRUE(popupEventRan);
  EXPECT_EQ(chosen, "&Good");
  EXPECT_FALSE(radios[0]->Checked());
  EXPECT_TRUE(radios[1]->Checked());
  EXPECT_EQ(menu->PopupPoint().X, 100);
}

TEST_F(PopupWindow, KeyboardWalksPastSeparatorsIntoSubmenus) {
  PopupWith({
      Key(VK_DOWN),   // Open
      Key(VK_DOWN),   // the separator is skipped: Mode
      Key(VK_RIGHT),  // submenu, its first row highlighted
      Key(VK_DOWN),   // Good
      Key(VK_DOWN),   // Best
      Key(VK_RETURN),
  });
  EXPECT_EQ(chosen, "&Best");
  EXPECT_TRUE(radios[2]->Checked());
  EXPECT_FALSE(radios[0]->Checked());
}

TEST_F(PopupWindow, EscapeClosesOneLevelAtATimeAndAcceleratorsChoose) {
  PopupWith({
      [&] {
        display->Text("m");  // Mode's accelerator opens its submenu
        return true;
      },
      [&] { return detail::PlainPopupWindows().size() == 2; },
      Key(VK_ESCAPE),
      [&] {
        EXPECT_EQ(detail::PlainPopupWindows().size(), 1u);
        display->Text("x");  // E&xit
        return true;
      },
  });
  EXPECT_EQ(chosen, "exit");
  EXPECT_EQ(windowsWhenRun, 0u);
}

TEST_F(PopupWindow, DisabledItemsRunNothingAndEscapeOnTheRootCancels) {
  exit->SetEnabled(false);
  PopupWith({
      ClickOn(exit),
      [&] {
        EXPECT_EQ(detail::PlainPopupWindows().size(), 1u);  // still open
        display->Text("x");
        return true;
      },
      Key(VK_ESCAPE),
  });
  EXPECT_EQ(chosen, "");
}

TEST_F(PopupWindow, AClickElsewhereClosesWithoutACommandAndIsSwallowed) {
  HWND level = nullptr;
  PopupWith({
      [&] {
        level = detail::PlainPopupWindows().at(0);
        log.clear();
        display->Click({600, 400});  // on the owner window
        return true;
      },
  });
  EXPECT_EQ(chosen, "");
  EXPECT_FALSE(IsWindow(level));
  EXPECT_EQ(GetCapture(), nullptr);
  for (UINT m : log) EXPECT_NE(m, WM_LBUTTONDOWN);
}

TEST_F(PopupWindow, HoveringAParentOpensItsSubmenuAfterADelay) {
  PopupWith({
      [&] {
        display->MouseMove(Centre(detail::PlainPopupItemRect(mode)));
        return true;
      },
      [&] { return detail::PlainPopupWindows().size() == 2; },  // the submenu timer fired
      ClickOn(radios[2]),
  });
  EXPECT_EQ(chosen, "&Best");
}

TEST_F(PopupWindow, NearTheScreenEdgeTheMenuStaysInsideTheWorkArea) {
  TWatchdog watchdog("popup menu near the edge", 8000);
  TRect placed;
  TScript script({[&] {
    GetWindowRect(detail::PlainPopupWindows().at(0), &placed);
    Key(VK_ESCAPE)();
    return true;
  }});
  menu->Popup(790, 550);
  EXPECT_LE(placed.Right, 800);
  EXPECT_LE(placed.Bottom, 560);
  EXPECT_EQ(placed.Bottom, 550);  // it opens upwards from the point
}

TEST_F(PopupWindow, AnEmptyMenuShowsNothingAndReturnsAtOnce) {
  menu->Items()->Clear();
  TWatchdog watchdog("empty popup menu", 3000);
  menu->Popup(100, 100);
  EXPECT_FALSE(detail::PlainPopupActive());
}


TEST_F(PopupWindow, AHandlerThrowingInsideTheLoopEndsTheSessionCleanly) {
  mode->OnClick = [](TObject*) { throw std::runtime_error("refused"); };
  {
    TWatchdog watchdog("throwing handler", 8000);
    TScript script({[&] {
      display->Text("m");  // opening the submenu runs Mode's OnClick
      return true;
    }});
    EXPECT_THROW(menu->Popup(100, 100), std::runtime_error);
  }
  EXPECT_FALSE(detail::PlainPopupActive());
  EXPECT_EQ(GetCapture(), nullptr);
  mode->OnClick = nullptr;
  PopupWith({[&] {
    display->Text("x");
    return true;
  }});
  EXPECT_EQ(chosen, "exit");
}

TEST_F(PopupWindow, ItemImagesComeFromTheMenuImagesAndTickedOnesAreFramed) {
  auto* images = new TImageList(form.get());
  images->SetSize(16, 16);
  TBitmap red;
  red.SetPixelFormat(TPixelFormat::pf32bit);
  red.SetSize(16, 16);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect({0, 0, 16, 16});
  ASSERT_EQ(images->Add(&red, nullptr), 0);
  menu->SetImages(images);
  open->SetImageIndex(0);
  open->SetChecked(true);
  exit->SetImageIndex(5);  // out of range: no image, nothing drawn
  PopupWith({[&] {
    TRect row = detail::PlainPopupItemRect(open);
    TRect other = detail::PlainPopupItemRect(exit);
    auto shot = display->Screenshot();
    auto redPixelsIn = [&](const TRect& r) {
      int n = 0;
      for (int y = r.Top; y < r.Bottom; ++y) {
        for (int x = r.Left; x < r.Left + 24; ++x) n += (shot->PixelAt(x, y) & 0xFFFFFF) == 0xFF0000;
      }
      return n;
    };
    EXPECT_EQ(redPixelsIn(row), 16 * 16);
    EXPECT_EQ(redPixelsIn(other), 0);
    // The ticked item's image has a frame in the text colour one pixel outside it.
    TPoint corner{-1, -1};
    for (int y = row.Top; y < row.Bottom && corner.X < 0; ++y) {
      for (int x = row.Left; x < row.Left + 24; ++x) {
        if ((shot->PixelAt(x, y) & 0xFFFFFF) == 0xFF0000) {
          corner = {x, y};
          break;
        }
      }
    }
    COLORREF text = ColorToRGB(clMenuText);
    std::uint32_t textPixel = GetRValue(text) << 16 | GetGValue(text) << 8 | GetBValue(text);
    EXPECT_EQ(shot->PixelAt(corner.X - 1, corner.Y - 1) & 0xFFFFFF, textPixel);
    EXPECT_EQ(shot->PixelAt(corner.X + 16, corner.Y + 16) & 0xFFFFFF, textPixel);
    Key(VK_ESCAPE)();
    return true;
  }});
  delete images;  // the menu forgets a freed image list
  EXPECT_EQ(menu->Images(), nullptr);
}

TEST_F(PopupWindow, MenuHandlesBuildTrackAndDestroyMenus) {
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(AppendMenu(sub, MF_STRING, 20, "&Twenty"));
  ASSERT_TRUE(AppendMenu(sub, MF_STRING | MF_GRAYED, 21, "T&wenty-one"));
  HMENU root = CreatePopupMenu();
  ASSERT_TRUE(AppendMenu(root, MF_STRING, 10, "&Copy\tCtrl+C"));
  ASSERT_TRUE(AppendMenu(root, MF_SEPARATOR, 0, nullptr));
  ASSERT_TRUE(AppendMenu(root, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&Sub"));
  ASSERT_TRUE(InsertMenu(root, 0, MF_BYPOSITION, 5, "&First"));
  ASSERT_TRUE(InsertMenu(root, 21, MF_BYCOMMAND, 22, "Before 21"));  // found in the submenu
  EXPECT_FALSE(AppendMenu(root, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "twice"));
  EXPECT_FALSE(InsertMenu(root, 99, MF_BYCOMMAND, 1, "nowhere"));

  EXPECT_EQ(GetMenuItemCount(root), 4);
  EXPECT_EQ(GetMenuItemID(root, 0), 5u);
  EXPECT_EQ(GetMenuItemID(root, 1), 10u);
  EXPECT_EQ(GetMenuItemID(root, 3), 0xFFFFFFFFu);
  EXPECT_EQ(GetSubMenu(root, 3), sub);
  EXPECT_EQ(GetMenuItemCount(sub), 3);
  EXPECT_EQ(GetMenuItemID(sub, 1), 22u);

  struct Run {
    std::vector<std::function<bool()>> steps;
    UINT flags;
    int result;
  };
  std::vector<Run> runs;
  runs.push_back({{[&] { display->Text("s"); return true; }, Key(VK_RETURN)}, TPM_RETURNCMD, 20});
  runs.push_back({{Key(VK_ESCAPE)}, TPM_RETURNCMD, 0});
  runs.push_back({{[&] { display->Text("c"); return true; }}, 0, TRUE});
  for (Run& run : runs) {
    SCOPED_TRACE(run.result);
    log.clear();
    TWatchdog watchdog("menu handle tracking", 8000);
    TScript script(std::move(run.steps));
    EXPECT_EQ(TrackPopupMenu(root, run.flags | TPM_RIGHTBUTTON, 100, 100, 0, owner, nullptr), run.result);
    EXPECT_TRUE(script.Finished());
  }
  // The last run posted its command to the window.
  MSG m;
  bool command = false;
  while (PeekMessage(&m, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE)) command |= m.wParam == 10;
  EXPECT_TRUE(command);

  EXPECT_FALSE(DestroyMenu(sub));  // it belongs to root now
  EXPECT_TRUE(DestroyMenu(root));
  EXPECT_FALSE(IsMenu(root));
  EXPECT_FALSE(IsMenu(sub));
  EXPECT_FALSE(DestroyMenu(root));
  EXPECT_EQ(GetMenuItemCount(sub), -1);
  EXPECT_FALSE(TrackPopupMenu(root, TPM_RETURNCMD, 0, 0, 0, owner, nullptr));
}

TEST_F(PopupWindow, InitMenuPopupAnnouncesEachLevel) {
  HMENU sub = CreatePopupMenu();
  AppendMenu(sub, MF_STRING, 20, "&Twenty");
  HMENU root = CreatePopupMenu();
  AppendMenu(root, MF_STRING, 10, "&Copy");
  AppendMenu(root, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&Sub");
  std::vector<std::pair<WPARAM, LPARAM>> seen;
  spy = [&](UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_INITMENUPOPUP) seen.push_back({w, l});
  };
  {
    TWatchdog watchdog("init menu popup", 8000);
    TScript script({[&] { display->Text("s"); return true; }, Key(VK_ESCAPE), Key(VK_ESCAPE)});
    EXPECT_EQ(TrackPopupMenu(root, TPM_RETURNCMD, 100, 100, 0, owner, nullptr), 0);
  }
  spy = nullptr;
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, reinterpret_cast<WPARAM>(root));
  EXPECT_EQ(seen[1].first, reinterpret_cast<WPARAM>(sub));
  EXPECT_EQ(seen[1].second, 1);
  DestroyMenu(root);
}

// "select <item> <flags> <menu>" for WM_MENUSELECT, menus by the names given.
std::string MenuMessageText(UINT msg, WPARAM w, LPARAM l, const std::vector<std::pair<HMENU, const char*>>& names) {
  auto name = [&](std::uintptr_t h) -> std::string {
    if (h == 0) return "0";
    for (const auto& [menu, text] : names) {
      if (reinterpret_cast<std::uintptr_t>(menu) == h) return text;
    }
    return "?";
  };
  char buf[96];
  switch (msg) {
    case WM_ENTERMENULOOP:
      std::snprintf(buf, sizeof buf, "enter %d", static_cast<int>(w));
      break;
    case WM_EXITMENULOOP:
      std::snprintf(buf, sizeof buf, "exit %d", static_cast<int>(w));
      break;
    case WM_INITMENUPOPUP:
      std::snprintf(buf, sizeof buf, "init %s", name(w).c_str());
      break;
    case WM_MENUSELECT:
      std::snprintf(buf, sizeof buf, "select %u %04x %s", LOWORD(w), HIWORD(w),
                    name(static_cast<std::uintptr_t>(l)).c_str());
      break;
    default:
      return {};
  }
  return buf;
}

TEST_F(PopupWindow, TheOwnerHearsTheMenuLoopInOrder) {
  HMENU sub = CreatePopupMenu();
  AppendMenu(sub, MF_STRING, 20, "&Twenty");
  AppendMenu(sub, MF_STRING | MF_GRAYED | MF_CHECKED, 21, "T&wenty-one");
  HMENU root = CreatePopupMenu();
  AppendMenu(root, MF_STRING | MF_CHECKED, 10, "&Copy");
  AppendMenu(root, MF_SEPARATOR, 0, nullptr);
  AppendMenu(root, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&Sub");
  const std::vector<std::pair<HMENU, const char*>> names{{root, "root"}, {sub, "sub"}};
  std::vector<std::string> seen;
  spy = [&](UINT msg, WPARAM w, LPARAM l) {
    if (std::string text = MenuMessageText(msg, w, l, names); !text.empty()) seen.push_back(text);
  };
  // A point inside the first row of the root level.
  auto firstRow = [](int dx) {
    TRect r;
    GetWindowRect(detail::PlainPopupWindows().at(0), &r);
    return TPoint{r.Left + dx, r.Top + 8};
  };

  struct Run {
    const char* name;
    std::vector<std::function<bool()>> steps;
    UINT flags;
    int result;
    std::vector<std::string> expected;
  };
  std::vector<Run> runs;
  // Flags: 0x80 highlighted, 0x10 submenu, 0x08 checked, 0x03 greyed, 0x8000 by the mouse.
  runs.push_back({"keyboard",
                  {Key(VK_DOWN), Key(VK_DOWN), Key(VK_RIGHT), Key(VK_DOWN), Key(VK_ESCAPE), Key(VK_ESCAPE)},
                  TPM_RETURNCMD,
                  0,
                  {"enter 1", "init root", "select 10 0088 root", "select 2 0090 root", "init sub",
                   "select 20 0080 sub", "select 21 008b sub", "select 0 ffff 0", "exit 1"}});
  runs.push_back({"mouse",
                  {[&] {
                     display->MouseMove(firstRow(20));
                     display->MouseMove(firstRow(40));  // the same row: no second message
                     return true;
                   },
                   [&] {
                     display->Click(firstRow(40));
                     return true;
                   }},
                  TPM_RETURNCMD,
                  10,
                  {"enter 1", "init root", "select 10 8088 root", "select 0 ffff 0", "exit 1"}});
  runs.push_back({"no notifications", {Key(VK_DOWN), Key(VK_ESCAPE)}, TPM_RETURNCMD | TPM_NONOTIFY, 0, {}});
  for (Run& run : runs) {
    SCOPED_TRACE(run.name);
    seen.clear();
    TWatchdog watchdog("menu loop messages", 8000);
    TScript script(std::move(run.steps));
    EXPECT_EQ(TrackPopupMenu(root, run.flags, 100, 100, 0, owner, nullptr), run.result);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(seen, run.expected);
  }
  spy = nullptr;
  DestroyMenu(root);
}

// A popup menu of a form: the form's window hears the menu loop, the application's Hint follows
// the highlighted item.
class FormPopupMenu : public FormWorld {};

TEST_F(FormPopupMenu, HintsFollowTheHighlightAndTheFormHearsTheLoop) {
  TForm* f = MakeForm(Bounds(0, 0, 400, 300));
  f->Show();
  Pump();
  auto* menu = new TPopupMenu(f);
  auto item = [&](TMenuItem* parent, const char* caption, const char* hint) {
    auto* i = new TMenuItem(f);
    i->SetCaption(caption);
    i->SetHint(hint);
    parent->Add(i);
    return i;
  };
  TMenuItem* open = item(menu->Items(), "&Open", "Open|Opens a file");
  TMenuItem* plain = item(menu->Items(), "&Plain", "");
  TMenuItem* more = item(menu->Items(), "&More", "More commands");
  TMenuItem* deep = item(more, "&Deep", "Deep|Deep inside");
  std::string hintWhenRun = "not run";
  deep->OnClick = [&](TObject*) { hintWhenRun = app.Hint(); };

  app.SetHint("before");
  std::vector<std::string> hints;
  app.OnHint = [&](TObject* sender) {
    EXPECT_EQ(sender, &app);
    hints.push_back(app.Hint());
  };
  std::vector<TMessage> heard;
  int hook = f->AddWindowProcHook([&](TMessage& m, const TWndMethod& next) {
    if (m.Msg == WM_ENTERMENULOOP || m.Msg == WM_MENUSELECT || m.Msg == WM_EXITMENULOOP) heard.push_back(m);
    next(m);
  });
  {
    TWatchdog watchdog("form popup menu", 8000);
    SetFocus(f->Handle());
    TScript script({
        [&] {
          display->KeyDown(VK_DOWN);  // Open
          display->KeyDown(VK_DOWN);  // Plain
          display->KeyDown(VK_DOWN);  // More
          display->KeyDown(VK_RIGHT);  // Deep
          display->KeyDown(VK_RETURN);
          return true;
        },
    });
    menu->Popup(50, 50);
    EXPECT_TRUE(script.Finished());
  }
  f->RemoveWindowProcHook(hook);
  app.OnHint = nullptr;

  EXPECT_EQ(hints, (std::vector<std::string>{"Opens a file", "", "More commands", "Deep inside", ""}));
  EXPECT_EQ(app.Hint(), "");
  EXPECT_EQ(hintWhenRun, "");  // the command runs after the menu has closed

  HMENU top = detail::FindMenuHandle(menu->Items());
  HMENU sub = detail::FindMenuHandle(more);
  ASSERT_NE(top, nullptr);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(GetMenuItemCount(top), 3);  // the handles name the menu's own levels
  EXPECT_FALSE(DestroyMenu(top));       // but cannot free them
  const std::vector<std::pair<HMENU, const char*>> names{{top, "top"}, {sub, "sub"}};
  std::vector<std::string> texts;
  for (const TMessage& m : heard) texts.push_back(MenuMessageText(m.Msg, m.WParam, m.LParam, names));
  auto select = [](WORD id, const char* tail) { return "select " + std::to_string(id) + tail; };
  EXPECT_EQ(texts, (std::vector<std::string>{"enter 1", select(open->Command(), " 0080 top"),
                                             select(plain->Command(), " 0080 top"), "select 2 0090 top",
                                             select(deep->Command(), " 0080 sub"), "select 0 ffff 0", "exit 1"}));
}

TEST_F(FormPopupMenu, ACaptionRightClickShowsTheSystemMenuAndTheClientOneThePopupMenu) {
  TForm* f = MakeForm(Bounds(100, 100, 400, 300));
  f->SetBorderStyle(TFormBorderStyle::bsSizeable);
  auto* popup = new TPopupMenu(f);
  auto* item = new TMenuItem(f);
  item->SetCaption("&Paste");
  popup->Items()->Add(item);
  f->SetPopupMenu(popup);
  f->Show();
  Pump();
  TRect window;
  GetWindowRect(f->Handle(), &window);
  struct Case {
    const char* name;
    TPoint at;
    const char* menu;  // the menu that opens
  } cases[] = {{"caption", {window.Left + 80, window.Top + 12}, "system"},
               {"client", {window.Left + 80, window.Top + 150}, "popup"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string shown;
    TWatchdog watchdog("form context menus", 8000);
    TScript script({[&] {
                      if (detail::PlainPopupWindows().empty()) return false;
                      shown = detail::PlainPopupItemRect(item).IsEmpty() ? "system" : "popup";
                      return true;
                    },
                    [&] {
                      display->KeyDown(VK_ESCAPE);
                      return true;
                    }});
    display->Click(c.at, detail::TMouseButton::Right);
    Pump();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(shown, c.menu);
  }
}

// ---- the system menu ----

// "command:state" per item of a menu handle ("-" for a separator; state "on", "grey"), with
// the default item marked "*".
std::string SystemMenuText(HMENU menu) {
  std::string out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (!out.empty()) out += " ";
    if (state & MF_SEPARATOR) {
      out += "-";
      continue;
    }
    char id[16];
    std::snprintf(id, sizeof id, "%X", GetMenuItemID(menu, i));
    out += id;
    out += (state & MF_GRAYED) ? ":grey" : ":on";
    if (state & MF_DEFAULT) out += "*";
  }
  return out;
}

TEST_F(PopupWindow, SystemMenuHoldsTheStandardItemsEnabledByTheWindowsState) {
  static const bool registered = [] {
    WNDCLASS cls;
    cls.lpfnWndProc = OwnerProc;
    cls.style = CS_NOCLOSE;
    cls.lpszClassName = "MenuTestNoClose";
    return RegisterClass(&cls) != 0;
  }();
  ASSERT_TRUE(registered);
  struct Case {
    const char* name;
    DWORD style, exStyle;
    const char* cls;
    int show;  // SW_* applied after creation, 0 for none
    const char* items;
    const char* close;
  };
  const Case cases[] = {
      {"normal", WS_OVERLAPPEDWINDOW, 0, "MenuTestOwner", 0,
       "F120:grey F010:on F000:on F020:on F030:on - F060:on*", "&Close\tAlt+F4"},
      {"maximized", WS_OVERLAPPEDWINDOW, 0, "MenuTestOwner", SW_MAXIMIZE,
       "F120:on F010:grey F000:grey F020:on F030:grey - F060:on*", "&Close\tAlt+F4"},
      {"minimized", WS_OVERLAPPEDWINDOW, 0, "MenuTestOwner", SW_MINIMIZE,
       "F120:on F010:on F000:grey F020:grey F030:on - F060:on*", "&Close\tAlt+F4"},
      {"minimize box only", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, "MenuTestOwner", 0,
       "F120:grey F010:on F000:grey F020:on F030:grey - F060:on*", "&Close\tAlt+F4"},
      {"dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, "MenuTestOwner", 0, "F010:on - F060:on*", "&Close\tAlt+F4"},
      {"tool window sized", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_EX_TOOLWINDOW, "MenuTestOwner", 0,
       "F010:on F000:on - F060:on*", "&Close\tAlt+F4"},
      {"no close", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, "MenuTestNoClose", 0, "F010:on - F060:grey*",
       "&Close\tAlt+F4"},
      {"MDI child", WS_OVERLAPPEDWINDOW, WS_EX_MDICHILD, "MenuTestOwner", 0,
       "F120:grey F010:on F000:on F020:on F030:on - F060:on*", "&Close\tCtrl+F4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND h = CreateWindowEx(c.exStyle, c.cls, "", c.style, 10, 10, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    if (c.show) ShowWindow(h, c.show);
    HMENU menu = GetSystemMenu(h, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(SystemMenuText(menu), c.items);
    EXPECT_EQ(GetMenuString(menu, SC_CLOSE, MF_BYCOMMAND), c.close);
    DestroyWindow(h);
  }
  EXPECT_EQ(GetSystemMenu(reinterpret_cast<HWND>(std::uintptr_t{0x12345}), FALSE), nullptr);
}

TEST_F(PopupWindow, SystemMenuCopyFollowsTheStateKeepsChangesAndRevertsToTheStandardOne) {
  HWND h = CreateWindowEx(0, "MenuTestOwner", "", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr, nullptr,
                          nullptr);
  HMENU menu = GetSystemMenu(h, FALSE);
  EXPECT_EQ(GetSystemMenu(h, FALSE), menu) << "one copy per window";
  ASSERT_TRUE(AppendMenu(menu, MF_STRING, 0x100, "&About"));
  EXPECT_EQ(EnableMenuItem(menu, 0x100, MF_GRAYED), static_cast<UINT>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(menu, 0x999, MF_GRAYED), 0xFFFFFFFFu);
  EXPECT_EQ(GetMenuState(menu, 0x999, MF_BYCOMMAND), 0xFFFFFFFFu);

  ShowWindow(h, SW_MAXIMIZE);
  EXPECT_EQ(GetSystemMenu(h, FALSE), menu);
  EXPECT_EQ(SystemMenuText(menu), "F120:on F010:grey F000:grey F020:on F030:grey - F060:on* 100:grey")
      << "the standard items follow the state, the program's item keeps its own";

  EXPECT_EQ(GetSystemMenu(h, TRUE), nullptr);
  EXPECT_FALSE(IsMenu(menu)) << "the changed copy is gone";
  HMENU fresh = GetSystemMenu(h, FALSE);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(GetMenuItemCount(fresh), 7);
  DestroyWindow(h);
  EXPECT_FALSE(IsMenu(fresh)) << "the copy dies with its window";
}

TEST_F(PopupWindow, AltSpaceAndACaptionRightClickShowTheSystemMenuAndPostTheCommand) {
  HWND h = CreateWindowEx(0, "MenuTestOwner", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80, 300, 200, nullptr,
                          nullptr, nullptr, nullptr);
  SetActiveWindow(h);
  SetFocus(h);
  std::vector<std::string> heard;
  spy = [&](UINT msg, WPARAM, LPARAM l) {
    if (msg == WM_INITMENU) heard.push_back("init");
    if (msg == WM_INITMENUPOPUP) heard.push_back(HIWORD(l) ? "popup system" : "popup");
  };
  auto pump = [] {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessage(&m);
    }
  };
  // A script step that waits for the menu and notes where its level opened.
  TRect levelRect;
  auto noteLevel = [&] {
    std::vector<HWND> levels = detail::PlainPopupWindows();
    if (levels.empty()) return false;
    GetWindowRect(levels[0], &levelRect);
    return true;
  };
  {
    TWatchdog watchdog("system menu from Alt+Space", 8000);
    TScript script({noteLevel, [&] { display->Text("n"); return true; }});  // Mi&nimize
    display->KeyDown(VK_MENU);
    display->KeyDown(VK_SPACE);
    display->KeyUp(VK_SPACE);
    display->KeyUp(VK_MENU);
    pump();
    EXPECT_TRUE(script.Finished());
  }
  TPoint client{0, 0};
  ClientToScreen(h, &client);
  EXPECT_EQ((TPoint{levelRect.Left, levelRect.Top}), client) << "under the window's top-left corner";
  pump();  // the posted WM_SYSCOMMAND
  EXPECT_TRUE(IsIconic(h));
  EXPECT_EQ(heard, (std::vector<std::string>{"init", "popup system"}));

  ShowWindow(h, SW_RESTORE);
  TRect window;
  GetWindowRect(h, &window);
  const TPoint caption{window.Left + 60, window.Top + 10};
  {
    TWatchdog watchdog("system menu from the caption", 8000);
    TScript script({noteLevel, Key(VK_ESCAPE)});
    display->Click(caption, detail::TMouseButton::Right);
    pump();
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_EQ((TPoint{levelRect.Left, levelRect.Top}), caption);
  pump();
  EXPECT_FALSE(IsIconic(h));
  EXPECT_TRUE(IsWindow(h)) << "Escape chose nothing";
  spy = nullptr;
  DestroyWindow(h);
}

}  // namespace
