// The up-down: range and position rules, its messages, and what a press, a held button and a
// release tell the parent window.

#include "platform/controls/UpDown.h"

#include "platform/core/Clock.h"
#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"

namespace {

class UpDownTest : public FormWorld {
 protected:
  void SetUp() override {
    FormWorld::SetUp();
    form = MakeForm(Bounds(100, 100, 200, 100));
    form->Show();
    updown = new TUpDown(form);
    updown->SetParent(form);
    updown->SetOrientation(TUDOrientation::udHorizontal);
    updown->SetBounds(10, 10, 40, 20);
    form->AddWindowProcHook([this](TMessage& m, const TWndMethod& next) {
      if (m.Msg == WM_HSCROLL || m.Msg == WM_VSCROLL) {
        notes.push_back({m.Msg, LOWORD(m.WParam), static_cast<short>(HIWORD(m.WParam))});
        EXPECT_EQ(reinterpret_cast<HWND>(m.LParam), updown->Handle()) << "lParam names the up-down";
      }
      next(m);
    });
    Pump();
  }
  struct TNote {
    UINT msg;
    int code;
    int pos;
    bool operator==(const TNote&) const = default;
  };
  TForm* form = nullptr;
  TUpDown* updown = nullptr;
  std::vector<TNote> notes;
};

TEST_F(UpDownTest, WindowClassAndMessages) {
  EXPECT_EQ(GetClassName(updown->Handle()), "msctls_updown32");
  HWND h = updown->Handle();
  SendMessage(h, UDM_SETRANGE32, 5, 50);
  int mn = 0, mx = 0;
  SendMessage(h, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&mn), reinterpret_cast<LPARAM>(&mx));
  EXPECT_EQ(mn, 5);
  EXPECT_EQ(mx, 50);
  EXPECT_EQ(updown->Position(), 5) << "raised into the new range";
  EXPECT_EQ(SendMessage(h, UDM_SETPOS32, 0, 70), 5) << "answers the old position";
  EXPECT_EQ(SendMessage(h, UDM_GETPOS32, 0, 0), 50) << "kept within the range";
  SendMessage(h, UDM_SETRANGE, 0, MAKELPARAM(20, 0));
  EXPECT_EQ(updown->Min(), 0);
  EXPECT_EQ(updown->Max(), 20);
  EXPECT_EQ(updown->Position(), 20);
  EXPECT_TRUE(notes.empty()) << "changes by code are not announced";
}

TEST_F(UpDownTest, StepsStopAtTheEndsOrWrap) {
  updown->SetMax(10);
  updown->SetIncrement(4);
  struct Case {
    const char* what;
    bool wrap;
    int start;
    TUDBtnType button;
    int want;
  } cases[] = {
      {"up by the increment", false, 0, TUDBtnType::btNext, 4},
      {"up stops at max", false, 8, TUDBtnType::btNext, 10},
      {"down stops at min", false, 2, TUDBtnType::btPrev, 0},
      {"wrap from max to min", true, 10, TUDBtnType::btNext, 0},
      {"wrap from min to max", true, 0, TUDBtnType::btPrev, 10},
      {"wrap first reaches the end", true, 8, TUDBtnType::btNext, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    updown->SetWrap(c.wrap);
    updown->SetPosition(c.start);
    updown->Step(c.button);
    EXPECT_EQ(updown->Position(), c.want);
  }
  bool allow = false;
  updown->OnChanging = [&](TObject*, bool& a) { a = allow; };
  updown->SetPosition(5);
  updown->Step(TUDBtnType::btNext);
  EXPECT_EQ(updown->Position(), 5) << "OnChanging vetoes";
}

TEST_F(UpDownTest, HeldButtonRepeatsAndReleaseEnds) {
  TScopedTestClock clock;
  TWatchdog dog("up-down repeat");
  TPoint right = updown->ClientToScreen({30, 10});
  std::vector<TUDBtnType> clicks;
  updown->OnButtonClick = [&](TObject* s, TUDBtnType b) {
    EXPECT_EQ(s, updown);
    clicks.push_back(b);
  };
  display->MouseDown(right);
  Pump();
  EXPECT_EQ(updown->Position(), 1) << "the press steps at once";
  clock.Advance(499);
  Pump();
  EXPECT_EQ(updown->Position(), 1);
  clock.Advance(1);
  Pump();
  EXPECT_EQ(updown->Position(), 2) << "first repeat after 500 ms";
  clock.Advance(100);
  Pump();
  EXPECT_EQ(updown->Position(), 3) << "then every 100 ms";
  display->MouseUp(right);
  Pump();
  clock.Advance(1000);
  Pump();
  EXPECT_EQ(updown->Position(), 3) << "nothing after the release";
  std::vector<TNote> want = {{WM_HSCROLL, SB_THUMBPOSITION, 1}, {WM_HSCROLL, SB_THUMBPOSITION, 2},
                             {WM_HSCROLL, SB_THUMBPOSITION, 3}, {WM_HSCROLL, SB_ENDSCROLL, 3}};
  EXPECT_EQ(notes, want);
  EXPECT_EQ(clicks.size(), 3u);

  notes.clear();
  display->Click(updown->ClientToScreen({5, 10}));
  Pump();
  EXPECT_EQ(updown->Position(), 2) << "the left button lowers";
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.front(), (TNote{WM_HSCROLL, SB_THUMBPOSITION, 2}));
}

}  // namespace
