// The edit: typing, keys, selection, undo and the clipboard as a user drives them (through the
// display's input), the EM_* messages, caret placement over Chinese text, the blinking caret on
// the clock, and transparent painting.

#include "platform/controls/Edit.h"

#include <functional>

#include "platform/x11/Clipbrd.h"
#include "platform/core/Clock.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/ScrollBars.h"
#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"

namespace {

class EditTest : public FormWorld {
 protected:
  void SetUp() override {
    FormWorld::SetUp();
    form = MakeForm(Bounds(100, 100, 300, 120), clRed);
    form->Show();
    edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 200, 24);
    edit->OnChange = [this](TObject* s) {
      EXPECT_EQ(s, edit);
      changes.push_back(edit->Text());
    };
    Pump();
    edit->SetFocus();
    Pump();
    Clipboard()->Clear();
  }
  void Key(WORD vk, bool shift = false, bool ctrl = false) {
    if (shift) display->KeyDown(VK_SHIFT);
    if (ctrl) display->KeyDown(VK_CONTROL);
    display->KeyDown(vk);
    Pump();  // modifiers are read while the key is handled
    display->KeyUp(vk);
    if (ctrl) display->KeyUp(VK_CONTROL);
    if (shift) display->KeyUp(VK_SHIFT);
    Pump();
  }
  void Type(const std::string& s) {
    display->Text(s);
    Pump();
  }
  TForm* form = nullptr;
  TEdit* edit = nullptr;
  std::vector<std::string> changes;
};

TEST_F(EditTest, TypingSelectionUndoAndClipboardInOrder) {
  struct Step {
    const char* what;
    std::function<void()> run;
    std::string text;
    int selStart, selLength;
    std::vector<std::string> changes;  // OnChange texts this step fires, in order
    std::string clipboard;
  };
  TWatchdog dog("edit steps", 15000);
  std::vector<Step> steps = {
      {"type Chinese and Latin", [&] { Type("中文ab"); }, "中文ab", 4, 0, {"中", "中文", "中文a", "中文ab"}, ""},
      {"shift+left twice selects by characters", [&] { Key(VK_LEFT, true); Key(VK_LEFT, true); }, "中文ab", 2, 2, {}, ""},
      {"typing replaces the selection", [&] { Type("X"); }, "中文X", 3, 0, {"中文X"}, ""},
      {"undo restores text and selection", [&] { Key('Z', false, true); }, "中文ab", 2, 2, {"中文ab"}, ""},
      {"undo again redoes", [&] { SendMessage(edit->Handle(), WM_UNDO, 0, 0); Pump(); }, "中文X", 3, 0, {"中文X"}, ""},
      {"home then shift+right", [&] { Key(VK_HOME); Key(VK_RIGHT, true); }, "中文X", 0, 1, {}, ""},
      {"cut takes the whole character", [&] { SendMessage(edit->Handle(), WM_CUT, 0, 0); }, "文X", 0, 0, {"文X"}, "中"},
      {"paste stops at a line break", [&] { Clipboard()->SetAsText("1\r\n2"); Key(VK_END); Key('V', false, true); }, "文X1", 3, 0, {"文X1"}, "1\r\n2"},
      {"backspace", [&] { SendMessage(edit->Handle(), WM_CHAR, 0x08, 0); }, "文X", 2, 0, {"文X"}, "1\r\n2"},
      {"max length refuses what does not fit", [&] { edit->SetMaxLength(3); Type("yz"); }, "文Xy", 3, 0, {"文Xy"}, "1\r\n2"},
      {"read-only refuses typing, delete, paste and clear", [&] {
         edit->SetMaxLength(0);
         edit->SetReadOnly(true);
         Type("q");
         edit->SelectAll();
         Key(VK_DELETE);
         SendMessage(edit->Handle(), WM_PASTE, 0, 0);
         SendMessage(edit->Handle(), WM_CLEAR, 0, 0);
         SendMessage(edit->Handle(), WM_UNDO, 0, 0);
       }, "文Xy", 0, 3, {}, "1\r\n2"},
      {"read-only still copies", [&] { Key('C', false, true); }, "文Xy", 0, 3, {}, "文Xy"},
      {"a password edit never copies", [&] {
         edit->SetReadOnly(false);
         edit->SetPasswordChar(U'*');
         SendMessage(edit->Handle(), WM_COPY, 0, 0);
         SendMessage(edit->Handle(), WM_CUT, 0, 0);
       }, "文Xy", 0, 3, {}, "文Xy"},
  };
  for (Step& s : steps) {
    SCOPED_TRACE(s.what);
    changes.clear();
    s.run();
    EXPECT_EQ(edit->Text(), s.text);
    EXPECT_EQ(edit->SelStart(), s.selStart);
    EXPECT_EQ(edit->SelLength(), s.selLength);
    EXPECT_EQ(changes, s.changes);
    EXPECT_EQ(Clipboard()->AsText(), s.clipboard);
  }
}

TEST_F(EditTest, SelectionMessagesCountCharacters) {
  edit->SetText("汉字abc");
  EXPECT_EQ(changes, std::vector<std::string>{"汉字abc"});
  EXPECT_FALSE(edit->CanUndo()) << "a Text write is not undoable";
  HWND h = edit->Handle();
  struct Case {
    const char* what;
    WPARAM start;
    LPARAM end;
    DWORD wantStart, wantEnd;
    std::string selText;
  } cases[] = {
      {"plain range", 1, 3, 1, 3, "字a"},
      {"end -1 is the text's end", 2, -1, 2, 5, "abc"},
      {"reversed ends", 4, 0, 0, 4, "汉字ab"},
      {"beyond the text is cut", 0, 99, 0, 5, "汉字abc"},
      {"start -1 removes the selection", static_cast<WPARAM>(-1), 0, 5, 5, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SendMessage(h, EM_SETSEL, c.start, c.end);
    DWORD s = 0, e = 0;
    LRESULT r = SendMessage(h, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(s, c.wantStart);
    EXPECT_EQ(e, c.wantEnd);
    EXPECT_EQ(LOWORD(r), c.wantStart);
    EXPECT_EQ(HIWORD(r), c.wantEnd);
    EXPECT_EQ(edit->SelText(), c.selText);
  }
  edit->SetSelStart(1);
  edit->SetSelLength(2);
  edit->SetSelText("-\n-");
  EXPECT_EQ(edit->Text(), "汉-bc") << "SelText of code loses the line break too";
  EXPECT_TRUE(edit->CanUndo());
  edit->Undo();
  EXPECT_EQ(edit->Text(), "汉字abc");
  EXPECT_EQ(SendMessage(h, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
}

TEST_F(EditTest, CaretFollowsCharacterWidthsAndTheFormattingRectangle) {
  HWND h = edit->Handle();
  TRect fr = Rect(20, 2, 150, 20);
  SendMessage(h, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&fr));
  SendMessage(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(3, 4));
  TRect got;
  SendMessage(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&got));
  EXPECT_EQ(got, Rect(23, 2, 146, 20));
  edit->SetText("中a中");
  std::vector<int> xs;
  for (int i = 0; i <= 3; ++i) {
    edit->SetSelStart(i);
    xs.push_back(edit->CaretX());
  }
  EXPECT_EQ(xs[0], 23) << "the text starts at the formatting rectangle plus the left margin";
  EXPECT_GT(xs[1] - xs[0], xs[2] - xs[1]) << "a Chinese character is wider than 'a'";
  EXPECT_EQ(xs[3] - xs[2], xs[1] - xs[0]) << "both Chinese characters measure the same";
  // A press at the boundary after the first character puts the caret there; a drag selects.
  TPoint at = edit->ClientToScreen({xs[1], 8});
  TPoint to = edit->ClientToScreen({xs[3] + 2, 8});
  display->MouseDown(at);
  display->MouseMove(to);
  display->MouseUp(to);
  Pump();
  EXPECT_EQ(edit->SelStart(), 1);
  EXPECT_EQ(edit->SelLength(), 2);
  EXPECT_EQ(edit->SelText(), "a中");
}

TEST_F(EditTest, CaretBlinksOnTheClockWhileFocused) {
  TScopedTestClock clock;
  TWatchdog dog("caret blink");
  edit->SetFocus();
  Type("a");
  EXPECT_TRUE(edit->CaretShown());
  clock.Advance(530);
  Pump();
  EXPECT_FALSE(edit->CaretShown());
  clock.Advance(530);
  Pump();
  EXPECT_TRUE(edit->CaretShown());
  clock.Advance(530);
  Pump();
  Type("b");
  EXPECT_TRUE(edit->CaretShown()) << "typing shows the caret at once";
  form->SetFocus();
  Pump();
  EXPECT_FALSE(edit->CaretShown());
}

// An edit whose colour answer asks for no background, as an edit drawn over a skinned frame does.
class TTransparentEdit : public TEdit {
 public:
  using TEdit::TEdit;
  bool transparent = true;

 protected:
  void WndProc(TMessage& M) override {
    if (transparent && M.Msg == CN_CTLCOLOREDIT) {
      SetBkMode(reinterpret_cast<HDC>(M.WParam), TRANSPARENT);
      M.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      return;
    }
    TEdit::WndProc(M);
  }
};

TEST_F(EditTest, HollowBrushLeavesTheBackgroundAlone) {
  auto* t = new TTransparentEdit(form);
  t->SetParent(form);
  t->SetBorderStyle(TBorderStyle::bsNone);
  t->SetBounds(10, 50, 100, 24);
  t->SetColor(clWhite);
  Pump();
  TPoint inside = t->ClientToScreen({90, 12});
  EXPECT_EQ(ScreenAt(inside), RGB(255, 0, 0)) << "the form's red shows through";
  t->transparent = false;
  t->Invalidate();
  EXPECT_EQ(ScreenAt(inside), RGB(255, 255, 255)) << "an opaque edit fills with its colour";
}

TEST_F(EditTest, MemoAppendsLinesScrollsAndSplitsOnReturn) {
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetScrollBars(TScrollStyle::ssVertical);
  memo->SetBounds(10, 40, 200, 70);
  int changes = 0;
  memo->OnChange = [&](TObject* s) {
    EXPECT_EQ(s, memo);
    ++changes;
  };
  Pump();
  HWND h = memo->Handle();
  for (int i = 0; i < 30; ++i) memo->Lines()->Add("line " + std::to_string(i));
  EXPECT_EQ(changes, 30);
  const int shown = memo->LinesShown();
  ASSERT_LT(shown, 30);
  EXPECT_EQ(memo->TopLine(), 30 - shown) << "an added line is shown";
  int mn = -1, mx = -1;
  ASSERT_TRUE(GetScrollRange(h, SB_VERT, &mn, &mx));
  EXPECT_EQ(mx, 29);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 30 - shown);
  struct Case {
    const char* what;
    WPARAM w;
    int top;
  } cases[] = {
      {"top", SB_TOP, 0}, {"page down", SB_PAGEDOWN, shown}, {"line up", SB_LINEUP, shown - 1},
      {"thumb", MAKELPARAM(SB_THUMBPOSITION, 7), 7}, {"bottom", SB_BOTTOM, 30 - shown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SendMessage(h, WM_VSCROLL, c.w, 0);
    EXPECT_EQ(memo->TopLine(), c.top);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), c.top);
  }
  memo->SetText("中文\r\nab");
  EXPECT_EQ(memo->Lines()->Count(), 2);
  memo->SetFocus();
  memo->SetCaretPos({1, 0});
  Pump();
  Type("X");
  SendMessage(h, WM_CHAR, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->Lines()->Strings(0), "中X");
  EXPECT_EQ(memo->Lines()->Strings(1), "文");
  EXPECT_EQ(memo->CaretPos(), (TPoint{0, 1}));
  SendMessage(h, WM_CHAR, 0x08, 0);
  EXPECT_EQ(memo->Lines()->Strings(0), "中X文") << "backspace at a line start joins the lines";
  EXPECT_EQ(memo->Text(), "中X文\r\nab\r\n");
}

// Lines added at the end grow the text by themselves; every other change (inserted, replaced,
// deleted or cleared lines, a text set as a whole, an update block) makes it again. After each
// step the control's text and the window's are the lines, and the last line is shown.
TEST_F(EditTest, MemoTextFollowsEveryKindOfLineChange) {
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetScrollBars(TScrollStyle::ssVertical);
  memo->SetBounds(10, 40, 200, 70);
  Pump();
  const HWND h = memo->Handle();
  TStrings* lines = memo->Lines();
  const auto addMany = [&](int ACount) {
    for (int i = 0; i < ACount; ++i) lines->Add("行 " + std::to_string(lines->Count()));
  };
  struct Step {
    const char* what;
    std::function<void()> run;
  } steps[] = {
      {"added lines", [&] { addMany(40); }},
      {"an empty line added", [&] { lines->Add(""); }},
      {"inserted at the end", [&] { lines->Insert(lines->Count(), "末尾"); }},
      {"inserted in the middle", [&] { lines->Insert(3, "中间"); }},
      {"added after an insert", [&] { addMany(2); }},
      {"replaced", [&] { lines->SetStrings(0, "第一行"); }},
      {"deleted", [&] { lines->Delete(1); }},
      {"added after a delete", [&] { addMany(1); }},
      {"text set as a whole", [&] { memo->SetText("a\nb"); }},
      {"added after the text", [&] { addMany(3); }},
      {"window text set", [&] { SetWindowText(h, "x\r\ny\r\n"); }},
      {"added after the window text", [&] { addMany(1); }},
      {"an update block", [&] {
         lines->BeginUpdate();
         lines->Add("块");
         lines->Exchange(0, 1);
         lines->EndUpdate();
       }},
      {"cleared", [&] { lines->Clear(); }},
      {"added after clearing", [&] { addMany(25); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.run();
    Pump();
    const int count = lines->Count();
    if (std::string(step.what) == "text set as a whole") {
      EXPECT_EQ(memo->Text(), "a\nb") << "the text as it was set";
    } else if (std::string(step.what) == "window text set") {
      EXPECT_EQ(memo->Text(), "x\r\ny\r\n");
      EXPECT_EQ(count, 2);
    } else {
      EXPECT_EQ(memo->Text(), lines->Text());
    }
    EXPECT_EQ(GetWindowText(h), memo->Text());
    EXPECT_EQ(memo->CaretPos().Y, std::max(0, count - 1));
    EXPECT_EQ(memo->TopLine(), std::max(0, count - memo->LinesShown())) << "the last line is shown";
    EXPECT_EQ(GetScrollPos(h, SB_VERT), memo->TopLine());
  }
  // The user scrolls back; a new line brings the end into view again.
  SendMessage(h, WM_VSCROLL, SB_TOP, 0);
  ASSERT_EQ(memo->TopLine(), 0);
  lines->Add("新的一行");
  EXPECT_EQ(memo->TopLine(), lines->Count() - memo->LinesShown());
  EXPECT_TRUE(memo->Text().ends_with("行 24\r\n新的一行\r\n"));
}

}  // namespace
