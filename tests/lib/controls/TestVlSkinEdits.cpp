// Skinned edits: the inner edit's read-only guard, dialog keys and skinned context menu, the
// numeric edit's filter and events, the skinned edit's sizes, frame, buttons, hover and focus
// looks, and the board of edit states rendered headless.

#include "lib/controls/vlSkinBoxCtrlsEdit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "tests/lib/FixtureSkinEdits.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedEditsBoard.h"
#include "lib/forms/Velmora.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/x11/Clipbrd.h"
#include "platform/controls/Edit.h"
#include "platform/graphics/Gdi.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/Menus.h"
#include "platform/windowing/WindowTree.h"

namespace {

namespace fs = std::filesystem;

TPoint Offset(TPoint p, int dx, int dy) { return TPoint{p.X + dx, p.Y + dy}; }
TPoint TopLeftOf(const TRect& r) { return TPoint{r.Left, r.Top}; }
// A fixture picture colour (0xAARRGGBB) as the screen reports it.
COLORREF ScreenColour(std::uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

class SkinEditsTest : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    fixture_skin::AddEditElements(skin);
    Clipboard()->Clear();
  }

  // Every waiting message through the application's loop (its hooks included: an open skin
  // menu takes its keys there).
  void Run() { app.ProcessMessages(); }

  // A form at (0, 0) with a form skinner (the built-in frame) and an edit on it.
  template <typename T = TvlSkinEdit>
  T* MakeEdit(TForm*& form, const char* text = "视频输出") {
    form = MakeForm(TRect{0, 0, 400, 200});
    skinner = new TvlVelmora(form);
    auto* e = new T(form);
    e->SetParent(form);
    e->SetBounds(20, 20, 240, 24);
    e->SetText(text);
    form->Show();
    e->SetFocus();
    Run();
    return e;
  }

  // A key pressed with the keys Held down (the key state changes as each message is taken).
  void Key(WORD vk, std::initializer_list<WORD> held = {}) {
    for (WORD h : held) {
      display->KeyDown(h);
      Run();
    }
    display->KeyDown(vk);
    Run();
    display->KeyUp(vk);
    Run();
    for (WORD h : held) {
      display->KeyUp(h);
      Run();
    }
  }

  // The enabled flags of the context menu's eight rows.
  static std::vector<bool> Enabled(TvlSkinPopupMenu* menu) {
    std::vector<bool> out;
    for (int i = 0; i < menu->Items()->Count(); ++i) out.push_back(menu->Items()->Items(i)->Enabled());
    return out;
  }
  static std::vector<std::string> Captions(TvlSkinPopupMenu* menu) {
    std::vector<std::string> out;
    for (int i = 0; i < menu->Items()->Count(); ++i) out.push_back(menu->Items()->Items(i)->Caption());
    return out;
  }

  TvlVelmora* skinner = nullptr;
};

TEST_F(SkinEditsTest, BoardOfStatesMatchesItsExpectedPictures) {
  const fs::path expected = skinned_controls_world::SourceFolder() / "expected";
  skinned_edits_board::RenderAndCompare(display, &skin, expected, "skinned_edits");
  skinned_edits_board::RenderAndCompare(display, nullptr, expected, "unskinned_edits");
}

// ---- The inner edit -------------------------------------------------------------------------------

TEST_F(SkinEditsTest, ReadOnlyEditRefusesEveryChangeButKeepsSelection) {
  TForm* form = nullptr;
  auto* e = MakeEdit(form);
  // An undo state from before the edit became read-only.
  e->SetSelStart(4);
  display->Text("甲");
  Run();
  ASSERT_EQ(e->Text(), "视频输出甲");
  ASSERT_TRUE(e->CanUndo());
  e->SetReadOnly(true);
  int keyDowns = 0;
  e->OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++keyDowns; };
  Clipboard()->SetAsText("剪贴板");

  const struct {
    const char* name;
    std::function<void()> act;
  } attempts[] = {
      {"typing", [&] { display->Text("ab"); Run(); }},
      {"backspace", [&] { Key(VK_BACK); }},
      {"delete", [&] { Key(VK_DELETE); }},
      {"shift+delete (cut)", [&] { e->SelectAll(); Key(VK_DELETE, {VK_SHIFT}); }},
      {"ctrl+v", [&] { Key('V', {VK_CONTROL}); }},
      {"ctrl+x", [&] { e->SelectAll(); Key('X', {VK_CONTROL}); }},
      {"ctrl+z", [&] { Key('Z', {VK_CONTROL}); }},
      {"shift+insert", [&] { Key(VK_INSERT, {VK_SHIFT}); }},
      {"WM_CUT", [&] { e->SelectAll(); e->Perform(WM_CUT, 0, 0); }},
      {"WM_PASTE", [&] { e->Perform(WM_PASTE, 0, 0); }},
      {"WM_CLEAR", [&] { e->SelectAll(); e->Perform(WM_CLEAR, 0, 0); }},
      {"WM_UNDO", [&] { e->Perform(WM_UNDO, 0, 0); }},
  };
  for (const auto& a : attempts) {
    SCOPED_TRACE(a.name);
    a.act();
    EXPECT_EQ(e->Text(), "视频输出甲");
  }
  EXPECT_EQ(Clipboard()->AsText(), "剪贴板") << "a cut must not even copy";
  e->SelectAll();
  Key('C', {VK_CONTROL});
  EXPECT_EQ(Clipboard()->AsText(), "剪贴板") << "Ctrl+C types a control character, which is dropped";
  // Delete is dropped before OnKeyDown; the shortcuts' keys still reach it.
  keyDowns = 0;
  Key(VK_DELETE);
  EXPECT_EQ(keyDowns, 0);
  // Selecting with the keyboard still works.
  Key(VK_HOME);
  Key(VK_END, {VK_SHIFT});
  EXPECT_EQ(e->SelLength(), 5);
}

TEST_F(SkinEditsTest, EnterAndEscapeGoToTheFormsButtonsAfterOnKeyPress) {
  TForm* form = nullptr;
  auto* e = MakeEdit(form);
  std::vector<std::string> log;
  auto* ok = new TvlSkinButton(form);
  ok->SetParent(form);
  ok->SetBounds(20, 100, 80, 26);
  ok->SetDefault(true);
  ok->OnClick = [&](TObject*) { log.push_back("ok"); };
  auto* cancel = new TvlSkinButton(form);
  cancel->SetParent(form);
  cancel->SetBounds(120, 100, 80, 26);
  cancel->Cancel = true;
  cancel->SetCanFocused(true);
  cancel->OnClick = [&](TObject*) { log.push_back("cancel"); };
  e->OnKeyPress = [&](TObject*, char32_t& k) { log.push_back("key " + std::to_string(static_cast<int>(k))); };
  e->SetFocus();
  Run();
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  EXPECT_EQ(log, (std::vector<std::string>{"key 13", "ok", "key 27", "cancel"}));
  EXPECT_EQ(e->Text(), "视频输出") << "no line break reaches the window";
  e->SetReadOnly(true);
  log.clear();
  Key(VK_RETURN);
  EXPECT_EQ(log, (std::vector<std::string>{"key 13", "ok"})) << "read-only edits keep their dialog keys";
}

TEST_F(SkinEditsTest, ContextMenuItemsFollowTheEditsStateAtTheRequest) {
  TForm* form = nullptr;
  auto* e = MakeEdit(form, "输出");
  const struct {
    const char* name;
    bool readOnly;
    const char* text;
    int selStart, selLength;
    const char* clipboard;
    std::vector<bool> enabled;  // undo, -, cut, copy, paste, delete, -, select all
  } cases[] = {
      {"nothing selected", false, "输出", 1, 0, "", {false, true, false, false, false, false, true, true}},
      {"a selection, text to paste", false, "输出", 0, 1, "甲", {false, true, true, true, true, true, true, true}},
      {"everything selected", false, "输出", 0, 2, "", {false, true, true, true, false, true, true, false}},
      {"empty edit", false, "", 0, 0, "甲", {false, true, false, false, true, false, true, false}},
      {"read-only with a selection", true, "输出", 0, 1, "甲", {false, true, false, true, false, false, true, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    e->SetReadOnly(false);
    e->SetText(c.text);
    e->SetReadOnly(c.readOnly);
    e->SetSelStart(c.selStart);
    e->SetSelLength(c.selLength);
    Clipboard()->SetAsText(c.clipboard);
    e->Perform(WM_CONTEXTMENU, 0, -1);
    ASSERT_NE(e->SysPopupMenu(), nullptr);
    EXPECT_EQ(Enabled(e->SysPopupMenu()), c.enabled);
    skinner->SkinMenu->Hide();
    Run();
  }
  // Undo follows the edit's undo state.
  e->SetReadOnly(false);
  e->SetSelStart(0);
  display->Text("新");
  Run();
  e->Perform(WM_CONTEXTMENU, 0, -1);
  EXPECT_TRUE(Enabled(e->SysPopupMenu())[0]);
  skinner->SkinMenu->Hide();
  Run();
}

TEST_F(SkinEditsTest, ContextMenuCaptionsComeFromTheSkinsTextTable) {
  TForm* form = nullptr;
  auto* e = MakeEdit(form);
  e->Perform(WM_CONTEXTMENU, 0, -1);
  EXPECT_EQ(Captions(e->SysPopupMenu()),
            (std::vector<std::string>{"Undo", "-", "Cut", "Copy", "Paste", "Delete", "-", "Select All"}))
      << "without a text table: the built-in texts";
  skinner->SkinMenu->Hide();
  Run();
  // A table that lacks a key gives an empty caption.
  TvlResourceStrData table(nullptr);
  TStringList lines;
  for (const char* line : {"EDIT_UNDO=撤销", "EDIT_CUT=剪切", "EDIT_COPY=复制", "EDIT_PASTE=粘贴", "EDIT_DELETE=删除"})
    lines.Add(line);
  table.SetResStrings(&lines);
  skin.SetResourceStrData(&table);
  skinner->SetSkinData(&skin);
  Run();
  e->Perform(WM_CONTEXTMENU, 0, -1);
  EXPECT_EQ(Captions(e->SysPopupMenu()), (std::vector<std::string>{"撤销", "-", "剪切", "复制", "粘贴", "删除", "-", ""}));
  skinner->SkinMenu->Hide();
  skinner->SetSkinData(nullptr);
  skin.SetResourceStrData(nullptr);
  Run();
}

TEST_F(SkinEditsTest, MenuKeyOpensAtTheCentreAndARightClickAtThePointer) {
  TForm* form = nullptr;
  auto* e = MakeEdit(form);
  Key(VK_APPS);
  ASSERT_EQ(skinner->SkinMenu->LevelCount(), 1);
  const TPoint centre = Offset(e->ClientOrigin(), e->Width() / 2, e->Height() / 2);
  EXPECT_EQ(TopLeftOf(skinner->SkinMenu->Level(0)->BoundsRect()), centre);
  Key(VK_ESCAPE);
  EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);

  const TPoint at = e->ClientToScreen(TPoint{30, 8});
  display->MouseMove(at);
  display->Click(at, detail::TMouseButton::Right);
  Run();
  ASSERT_EQ(skinner->SkinMenu->LevelCount(), 1);
  EXPECT_EQ(TopLeftOf(skinner->SkinMenu->Level(0)->BoundsRect()), at);
  Key(VK_ESCAPE);
}

// A platform popup menu that records its showing instead of tracking.
class TRecordingPopupMenu : public TPopupMenu {
 public:
  explicit TRecordingPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner) {}
  void Popup(int, int) override { ++shown; }
  int shown = 0;
};

TEST_F(SkinEditsTest, AnAssignedPopupMenuIsShownAndNoSkinnedMenuIsBuilt) {
  TForm* form = nullptr;
  auto* e = MakeEdit(form);
  auto* menu = new TRecordingPopupMenu(form);
  e->SetPopupMenu(menu);
  Key(VK_APPS);
  EXPECT_EQ(menu->shown, 1);
  EXPECT_EQ(e->SysPopupMenu(), nullptr);
  EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);
}

TEST_F(SkinEditsTest, MenuCommandRunsAndTheMenuIsFreedOnlyAfterItsChainReturns) {
  TForm* form = nullptr;
  auto* e = MakeEdit(form, "复制这段文字");
  e->SelectAll();
  // When the menu tells the edit its command is done, the menu must still be there: its chain
  // is on the stack.
  bool aliveAtDone = false;
  TWeak<TvlSkinPopupMenu> menu;
  e->AddWindowProcHook([&](TMessage& M, const TWndMethod& Next) {
    Next(M);
    if (M.Msg == WM_vlSkinMenuCommandDone) aliveAtDone = static_cast<bool>(menu);
  });
  Key(VK_APPS);
  menu = TWeak<TvlSkinPopupMenu>(e->SysPopupMenu());
  ASSERT_TRUE(menu);
  TvlSkinPopupWindow* level = skinner->SkinMenu->Level(0);
  ASSERT_NE(level, nullptr);
  const TRect copyRow = level->ItemList[3]->ObjectRect;  // "Copy"
  const TPoint at{level->Left() + copyRow.Left + 10, level->Top() + copyRow.Top + copyRow.Height() / 2};
  display->MouseMove(at);
  Run();
  display->Click(at);
  Run();
  EXPECT_EQ(Clipboard()->AsText(), "复制这段文字");
  EXPECT_TRUE(aliveAtDone);
  EXPECT_FALSE(menu) << "freed on the turn after the command";
  EXPECT_EQ(e->SysPopupMenu(), nullptr);
}

TEST_F(SkinEditsTest, ClipboardRoundTripKeepsOneLine) {
  TForm* form = nullptr;
  auto* from = MakeEdit(form, "第一行文字");
  auto* to = new TvlSkinEdit(form);
  to->SetParent(form);
  to->SetBounds(20, 60, 240, 24);
  from->SetFocus();
  from->SelectAll();
  Key('C', {VK_CONTROL});
  EXPECT_EQ(Clipboard()->AsText(), "第一行文字");
  to->SetFocus();
  Run();
  Key('V', {VK_CONTROL});
  EXPECT_EQ(to->Text(), "第一行文字");
  // A pasted line break never enters a single-line edit, from the keys or from the menu.
  Clipboard()->SetAsText("甲\r\n乙");
  to->SelectAll();
  Key('V', {VK_CONTROL});
  EXPECT_EQ(to->Text(), "甲");
  Clipboard()->SetAsText("丙\n丁");
  to->SelectAll();
  to->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(to->Text(), "丙");
}

// ---- The numeric edit -----------------------------------------------------------------------------

TEST_F(SkinEditsTest, NumericEditAcceptsOnlyASignedNumber) {
  const struct {
    const char* name;
    bool isFloat, editorEnabled;
    const char* start;
    const char* typed;
    const char* text;
    int beeps;
  } cases[] = {
      {"digits and one minus anywhere", false, true, "", "12-", "12-", 0},
      {"a second minus beeps", false, true, "", "1-2-", "1-2", 1},
      {"no separator without Float", false, true, "", "3.5", "35", 1},
      {"plus and letters beep", false, true, "", "+7a", "7", 2},
      {"the first separator with Float", true, true, "", "3.5.1", "3.51", 1},
      {"editor disabled: digits beep", false, false, "5", "12", "5", 2},
  };
  TForm* form = nullptr;
  auto* e = MakeEdit<TvlSkinNumEdit>(form, "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    e->Float = c.isFloat;
    e->SetEditorEnabled(c.editorEnabled);
    e->SetText(c.start);
    e->SetSelStart(Utf8CharCount(c.start));
    const int before = display->BeepCount();
    display->Text(c.typed);
    Run();
    EXPECT_EQ(e->Text(), c.text);
    EXPECT_EQ(display->BeepCount() - before, c.beeps);
  }
  // Backspace is refused too while the editor is disabled.
  const int before = display->BeepCount();
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), "5");
  EXPECT_EQ(display->BeepCount() - before, 1);
}

TEST_F(SkinEditsTest, NumericEditTurnsUpDownAndTheWheelIntoEvents) {
  TForm* form = nullptr;
  auto* e = MakeEdit<TvlSkinNumEdit>(form, "10");
  std::vector<std::string> log;
  e->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { log.push_back("keydown " + std::to_string(k)); };
  Key(VK_UP);
  EXPECT_TRUE(log.empty()) << "without OnUpClick, Up fires nothing";
  e->OnUpClick = [&](TObject*) { log.push_back("up"); };
  e->OnDownClick = [&](TObject*) { log.push_back("down"); };
  Key(VK_UP);
  Key(VK_DOWN);
  Key(VK_LEFT);
  const TPoint at = Centre(e);
  display->Wheel(at, 120);
  Run();
  display->Wheel(at, -120);
  Run();
  EXPECT_EQ(log, (std::vector<std::string>{"up", "down", "keydown 37", "down", "up"}))
      << "a forward turn is the down event";
}

// ---- The skinned edit -----------------------------------------------------------------------------

// The text-metric height of a font, as the edit measures it.
int TextHeight(TFont* font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font->Handle());
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

TEST_F(SkinEditsTest, HeightFollowsTheSkinOrTheFont) {
  TForm* form = MakeForm(TRect{0, 0, 400, 200});
  form->Show();
  const struct {
    const char* name;
    bool skinned, useSkinFont;
    int defaultHeight, requested;
    int frame;  // the expected height is the font's plus this; -1: the requested height
    int expected;
  } cases[] = {
      {"skinned, skin font: the skin's height", true, true, 0, 40, -1, 24},
      {"skinned, own font: font and skin frame", true, false, 0, 40, 8, 0},
      {"unskinned, skin font: any height", false, true, 0, 33, -1, 33},
      {"unskinned, default height", false, true, 26, 33, -1, 26},
      {"unskinned, own font: font plus 4", false, false, 0, 33, 4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto* e = new TvlSkinEdit(form);
    e->SetParent(form);
    e->SetUseSkinFont(c.useSkinFont);
    if (c.skinned) e->SetSkinData(&skin);
    e->SetBounds(10, 10, 200, c.requested);
    if (c.defaultHeight) e->SetDefaultHeight(c.defaultHeight);
    if (!c.useSkinFont && !c.skinned) e->SetDefaultHeight(0);
    const int expected = c.frame >= 0 ? TextHeight(e->Font()) + c.frame : c.expected;
    EXPECT_EQ(e->Height(), expected);
    delete e;
  }
}

TEST_F(SkinEditsTest, BuiltInButtonIsASquareAtTheRightEnd) {
  TForm* form = MakeForm(TRect{0, 0, 400, 200});
  auto* e = new TvlSkinEdit(form);
  e->SetParent(form);
  e->SetBounds(10, 10, 200, 22);
  e->SetButtonMode(true);
  form->Show();
  Pump();
  e->CalcEditRects();
  EXPECT_EQ(e->ButtonRect(), (TRect{178, 0, 200, 22}));
  EXPECT_EQ(e->EditRect(), (TRect{2, 2, 176, 20}));
  EXPECT_EQ(e->ClientRect().Width(), 174) << "the frame takes 2 pixels and the button";
}

TEST_F(SkinEditsTest, HoverAndFocusSwitchToTheActiveLook) {
  TForm* form = MakeForm(TRect{0, 0, 400, 200});
  auto* e = new TvlSkinEdit(form);
  e->SetParent(form);
  e->SetBounds(20, 20, 200, 24);
  e->SetSkinData(&skin);
  auto* other = new TvlSkinEdit(form);
  other->SetParent(form);
  other->SetBounds(20, 80, 200, 24);
  form->Show();
  other->SetFocus();
  e->SetFocus();
  other->SetFocus();  // the focus elsewhere, the edit in its normal look
  Pump();
  const auto argb = fixture_skin::EditColoursOf();
  const struct {
    COLORREF Border, ActiveBorder;
  } colours{ScreenColour(argb.Border), ScreenColour(argb.ActiveBorder)};
  auto border = [&] { return ScreenShot().At(TPoint{120, 20}) & 0xFFFFFFu; };
  auto* element = dynamic_cast<TvlDataSkinEditControl*>(vlControlElement(&skin, e->SkinIndex()));
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(border(), colours.Border);
  EXPECT_EQ(e->Font()->Color(), element->FontColor);
  Hover(e);
  EXPECT_EQ(border(), colours.ActiveBorder);
  EXPECT_EQ(e->Font()->Color(), element->ActiveFontColor);
  display->MouseMove({399, 199});
  Pump();
  EXPECT_EQ(border(), colours.Border);
  EXPECT_EQ(e->Font()->Color(), element->FontColor);
  e->SetFocus();
  Pump();
  EXPECT_EQ(border(), colours.ActiveBorder);
  Hover(e);
  display->MouseMove({399, 199});
  Pump();
  EXPECT_EQ(border(), colours.ActiveBorder) << "leaving with the focus kept keeps the active look";
  EXPECT_EQ(e->Font()->Color(), element->ActiveFontColor);
  other->SetFocus();
  Pump();
  EXPECT_EQ(border(), colours.Border);
}

TEST_F(SkinEditsTest, EditButtonClicksOnReleaseOverItAndADragOutCancelsThePress) {
  TForm* form = MakeForm(TRect{0, 0, 400, 200});
  auto* e = new TvlSkinEdit(form);
  e->SetParent(form);
  e->SetSkinDataName("buttonedit");
  e->SetButtonMode(true);
  e->SetBounds(20, 20, 200, 24);
  e->SetSkinData(&skin);
  form->Show();
  Pump();
  int clicks = 0;
  e->OnButtonClick = [&](TObject*) { ++clicks; };
  TRect window{};
  GetWindowRect(e->Handle(), &window);
  const TRect b = e->ButtonRect();
  const TPoint button{window.Left + (b.Left + b.Right) / 2, window.Top + (b.Top + b.Bottom) / 2};
  display->MouseMove(button);
  Pump();
  EXPECT_TRUE(e->ButtonActive());
  display->MouseDown(button);
  Pump();
  EXPECT_TRUE(e->ButtonDown());
  display->MouseMove({380, 180});
  Pump();
  EXPECT_FALSE(e->ButtonDown()) << "leaving the edit cancels the press";
  EXPECT_FALSE(e->ButtonActive());
  // Back over the button with the mouse still held: hot, not pressed; the release clicks.
  display->MouseMove(button);
  Pump();
  EXPECT_TRUE(e->ButtonActive());
  EXPECT_FALSE(e->ButtonDown());
  display->MouseUp(button);
  Pump();
  EXPECT_EQ(clicks, 1) << "a release over the button clicks it, pressed there or not";
  display->Click(button);
  Pump();
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(e->Focused()) << "the button takes the focus for the edit";
}

TEST_F(SkinEditsTest, ImageButtonsNarrowTheTextAndClick) {
  TForm* form = MakeForm(TRect{0, 0, 400, 200});
  auto* images = new TImageList(form);
  skinned_edits_board::FillImages(images);
  auto* e = new TvlSkinEdit(form);
  e->SetParent(form);
  e->SetBounds(20, 20, 240, 24);
  e->SetSkinData(&skin);
  e->SetImages(images);
  e->SetLeftImageIndex(0);
  e->SetRightImageIndex(1);
  form->Show();
  Pump();
  TRect text{};
  SendMessage(e->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_EQ(text.Left, 16 + 2 + 2) << "image width + 2, then the edit's left margin";
  EXPECT_EQ(text.Right, e->ClientWidth() - 16 - 2);
  // The magnifier is centred in the 16-pixel text area: its ring crosses the middle row.
  const TPoint origin = e->ClientOrigin();
  const TScreenShot shot = ScreenShot();
  EXPECT_EQ(shot.At(Offset(origin, 2, 6)) & 0xFFFFFFu, RGB(0x5A, 0x6E, 0x8C));
  int left = 0, right = 0;
  e->OnLeftButtonClick = [&](TObject*) { ++left; };
  e->OnRightButtonClick = [&](TObject*) { ++right; };
  display->MouseMove(Offset(origin, 6, 8));
  display->Click(Offset(origin, 6, 8));
  display->MouseMove(Offset(origin, e->ClientWidth() - 6, 8));
  display->Click(Offset(origin, e->ClientWidth() - 6, 8));
  Pump();
  EXPECT_EQ(left, 1);
  EXPECT_EQ(right, 1);
  EXPECT_TRUE(e->Focused());
}

TEST_F(SkinEditsTest, DisabledEditDrawsItsTextWhereTheEnabledOneDoesInTheDisabledColour) {
  TForm* form = MakeForm(TRect{0, 0, 400, 200});
  auto* other = new TvlSkinEdit(form);
  other->SetParent(form);
  other->SetBounds(20, 120, 200, 24);
  form->Show();
  other->SetFocus();
  auto* element = dynamic_cast<TvlDataSkinEditControl*>(vlControlElement(&skin, vlFindControlElement(&skin, "edit")));
  ASSERT_NE(element, nullptr);
  const COLORREF field = ScreenColour(fixture_skin::EditColoursOf().Field);
  // The columns with ink in the text area, and whether the disabled colour is among the ink.
  struct Ink {
    int first = -1, last = -1;
    bool disabledColour = false;
  };
  auto inkOf = [&](TvlSkinEdit* e) {
    Ink ink;
    const TPoint origin = e->ClientOrigin();
    const TScreenShot shot = ScreenShot();
    for (int x = 0; x < e->ClientWidth(); ++x)
      for (int y = 0; y < e->ClientHeight(); ++y) {
        const COLORREF c = shot.At(Offset(origin, x, y)) & 0xFFFFFFu;
        if (c == field) continue;
        if (ink.first < 0) ink.first = x;
        ink.last = x;
        if (c == ColorToRGB(element->DisabledFontColor)) ink.disabledColour = true;
      }
    return ink;
  };
  for (TAlignment alignment : {TAlignment::taLeftJustify, TAlignment::taRightJustify, TAlignment::taCenter}) {
    SCOPED_TRACE(static_cast<int>(alignment));
    auto* e = new TvlSkinEdit(form);
    e->SetParent(form);
    e->SetBounds(20, 20, 200, 24);
    e->SetSkinData(&skin);
    e->SetAlignment(alignment);
    e->SetText("1200");
    const Ink enabled = inkOf(e);
    e->SetEnabled(false);
    const Ink disabled = inkOf(e);
    EXPECT_EQ(disabled.first, enabled.first);
    EXPECT_EQ(disabled.last, enabled.last);
    EXPECT_TRUE(disabled.disabledColour);
    EXPECT_FALSE(enabled.disabledColour);
    if (alignment == TAlignment::taRightJustify) {
      EXPECT_GE(disabled.last, e->ClientWidth() - 4) << "at the right edge";
    }
    delete e;
  }
}

TEST_F(SkinEditsTest, OutputFolderEditAsTheMainWindowPlacesIt) {
  TForm* form = MakeForm(TRect{0, 0, 400, 200});
  auto* skinnerOfForm = new TvlVelmora(form);
  skinnerOfForm->SetSkinData(&skin);
  auto* folder = new TvlSkinEdit(form);
  folder->SetParent(form);
  folder->SetBounds(20, 20, 300, 18);
  folder->SetReadOnly(true);
  folder->SetText("/home/影音/视频");
  int clicks = 0;
  folder->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(folder->Height(), 18) << "before the skin";
  folder->SetSkinData(&skin);
  EXPECT_EQ(folder->Height(), 24) << "the skin's height";
  form->Show();
  Run();
  Click(folder);
  Run();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(folder->Focused());
  // Selecting with the mouse: a drag over the start of the text.
  const TPoint origin = folder->ClientOrigin();
  display->MouseDown(Offset(origin, 4, 8));
  display->MouseMove(Offset(origin, 60, 8));
  display->MouseUp(Offset(origin, 60, 8));
  Run();
  EXPECT_GT(folder->SelLength(), 0);
  Key(VK_APPS);
  ASSERT_NE(folder->SysPopupMenu(), nullptr);
  EXPECT_EQ(Enabled(folder->SysPopupMenu()), (std::vector<bool>{false, true, false, true, false, false, true, true}));
  Key(VK_ESCAPE);
}

TEST_F(SkinEditsTest, SkinChangesReachTheEditThroughTheFormWalk) {
  TForm* form = MakeForm(TRect{0, 0, 400, 200});
  auto* e = new TvlSkinEdit(form);
  e->SetParent(form);
  e->SetBounds(20, 20, 200, 30);
  e->SetDefaultHeight(22);
  e->SetSkinData(&skin);
  form->Show();
  Pump();
  EXPECT_NE(e->SkinIndex(), -1);
  EXPECT_EQ(e->Height(), 24);
  EXPECT_EQ(e->ClientRect().Width(), 200 - 8) << "the skin's frame";
  fixture_skin::Switch(skin, form, std::nullopt);
  EXPECT_EQ(e->SkinIndex(), -1);
  EXPECT_EQ(e->Height(), 22) << "DefaultHeight without a skin";
  EXPECT_EQ(e->ClientRect().Width(), 200 - 4) << "the built-in frame";
  fixture_skin::Switch(skin, form, fixture_skin::Variant::Standard);
  fixture_skin::AddEditElements(skin);
  e->ChangeSkinData();
  EXPECT_EQ(e->Height(), 24);
}

}  // namespace
