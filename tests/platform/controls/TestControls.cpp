// Control bases: layout by Align and anchors, painting of windowed and windowless children,
// the message chain and its hooks, ownership and free-notification.

#include <string>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "platform/controls/Menus.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/controls/StdCtrls.h"

namespace {

// A windowless control painted in one colour.
class TSwatch : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  TColor Fill = clRed;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Fill);
    Canvas()->FillRect(ClientRect());
  }
};

TWinControl* Box(TWinControl* parent, TAlign align, TRect bounds, TColor color) {
  auto* c = new TWinControl(parent);
  c->SetBoundsRect(bounds);
  c->SetAlign(align);
  c->SetColor(color);
  c->SetParent(parent);
  return c;
}

class ControlsTest : public FormWorld {};

TEST_F(ControlsTest, AlignedChildrenFollowTheRulesAndRepaintAfterAResize) {
  TForm* form = MakeForm(Bounds(100, 50, 400, 300), clWhite);
  form->DisableAlign();
  TWinControl* top = Box(form, TAlign::alTop, Bounds(0, 0, 10, 40), clRed);
  TWinControl* bottom = Box(form, TAlign::alBottom, Bounds(0, 0, 10, 30), clLime);
  TWinControl* left = Box(form, TAlign::alLeft, Bounds(0, 0, 50, 10), clBlue);
  TWinControl* right = Box(form, TAlign::alRight, Bounds(0, 0, 60, 10), clYellow);
  TWinControl* client = Box(form, TAlign::alClient, Bounds(0, 0, 10, 10), clAqua);
  // Nested: a second top-aligned child inside the client area, stacked under the first.
  TWinControl* inner1 = Box(client, TAlign::alTop, Bounds(0, 0, 10, 20), clFuchsia);
  TWinControl* inner2 = Box(client, TAlign::alTop, Bounds(0, 25, 10, 10), clNavy);
  form->EnableAlign();
  // An anchored child keeps its distance to the right and bottom edges of the laid-out parent.
  TWinControl* anchored = Box(client, TAlign::alNone, Bounds(200, 150, 20, 10), clMaroon);
  anchored->SetAnchors({TAnchorKind::akRight, TAnchorKind::akBottom});
  form->Show();

  struct Case {
    const char* name;
    TControl* control;
    TRect expected;
  };
  auto check = [](const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(c.control->BoundsRect(), c.expected);
    }
  };
  check({{"top", top, Rect(0, 0, 400, 40)},
         {"bottom", bottom, Rect(0, 270, 400, 300)},
         {"left", left, Rect(0, 40, 50, 270)},
         {"right", right, Rect(340, 40, 400, 270)},
         {"client", client, Rect(50, 40, 340, 270)},
         {"inner first", inner1, Rect(0, 0, 290, 20)},
         {"inner second", inner2, Rect(0, 20, 290, 30)},
         {"anchored", anchored, Rect(200, 150, 220, 160)}});

  form->SetBounds(100, 50, 500, 350);
  Pump();
  check({{"top", top, Rect(0, 0, 500, 40)},
         {"bottom", bottom, Rect(0, 320, 500, 350)},
         {"left", left, Rect(0, 40, 50, 320)},
         {"right", right, Rect(440, 40, 500, 320)},
         {"client", client, Rect(50, 40, 440, 320)},
         {"inner first", inner1, Rect(0, 0, 390, 20)},
         {"anchored", anchored, Rect(300, 200, 320, 210)}});

  struct Pixel {
    const char* name;
    TPoint at;
    COLORREF colour;
  };
  const TScreenShot shot = ScreenShot();
  for (const Pixel& p : std::initializer_list<Pixel>{{"top", {110, 55}, RGB(255, 0, 0)},
                                                     {"bottom", {590, 395}, RGB(0, 255, 0)},
                                                     {"left", {120, 300}, RGB(0, 0, 255)},
                                                     {"right", {580, 300}, RGB(255, 255, 0)},
                                                     {"client", {300, 300}, RGB(0, 255, 255)},
                                                     {"inner", {160, 95}, RGB(255, 0, 255)},
                                                     {"anchored", {455, 295}, RGB(128, 0, 0)}}) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(shot.At(p.at), p.colour);
  }
}

TEST_F(ControlsTest, WindowlessChildrenPaintOnTheirParentAndFollowIt) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 100), clWhite);
  auto* swatch = new TSwatch(form);
  swatch->SetBounds(10, 10, 30, 20);
  swatch->SetParent(form);
  form->Show();
  EXPECT_EQ(ScreenAt({15, 15}), RGB(255, 0, 0));
  EXPECT_EQ(ScreenAt({45, 15}), RGB(255, 255, 255));
  swatch->SetLeft(50);
  EXPECT_EQ(ScreenAt({15, 15}), RGB(255, 255, 255)) << "the old place is repainted";
  EXPECT_EQ(ScreenAt({55, 15}), RGB(255, 0, 0));
  swatch->Fill = clBlue;
  swatch->Invalidate();
  EXPECT_EQ(ScreenAt({55, 15}), RGB(0, 0, 255));
  swatch->Hide();
  EXPECT_EQ(ScreenAt({55, 15}), RGB(255, 255, 255));
}

TEST_F(ControlsTest, MouseMessagesReachTheWindowlessControlUnderTheCursor) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 100));
  auto* swatch = new TSwatch(form);
  swatch->SetBounds(10, 10, 30, 20);
  swatch->SetParent(form);
  std::vector<std::string> events;
  swatch->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
  swatch->OnMouseLeave = [&](TObject*) { events.push_back("leave"); };
  swatch->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  swatch->OnClick = [&](TObject*) { events.push_back("click"); };
  form->Show();
  Pump();
  display->MouseMove({15, 12});
  Pump();
  display->Click({20, 15});
  Pump();
  display->MouseMove({100, 80});
  Pump();
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "down 10,5", "click", "leave"}));
}

TEST_F(ControlsTest, WhileAControlHoldsTheMouseOnlyItHearsThePointerCrossItsEdge) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 100));
  auto* held = new TCustomControl(form);  // windowed: the window takes the capture
  held->SetBounds(10, 10, 40, 30);
  held->SetParent(form);
  auto* other = new TSwatch(form);
  other->SetBounds(100, 10, 40, 30);
  other->SetParent(form);
  std::vector<std::string> events;
  auto track = [&](TControl* c, const std::string& name) {
    c->OnMouseEnter = [&events, name](TObject*) { events.push_back("enter " + name); };
    c->OnMouseLeave = [&events, name](TObject*) { events.push_back("leave " + name); };
  };
  track(held, "held");
  track(other, "other");
  form->Show();
  Pump();
  display->MouseMove({20, 20});
  display->MouseDown({20, 20});
  Pump();
  display->MouseMove({60, 20});  // off the held control, over the form
  Pump();
  display->MouseMove({25, 20});  // back
  Pump();
  display->MouseMove({110, 20});  // over the other control: it hears nothing yet
  Pump();
  EXPECT_EQ(events, (std::vector<std::string>{"enter held", "leave held", "enter held", "leave held"}));
  display->MouseUp({110, 20});
  Pump();
  EXPECT_EQ(events.back(), "enter other") << "the control under the pointer hears its enter when the mouse is let go";
  display->MouseMove({180, 90});
  Pump();
  EXPECT_EQ(events.back(), "leave other");
}

TEST_F(ControlsTest, ReplacedWindowProcSeesEveryMessageFirstAndChains) {
  TForm* form = MakeForm(Bounds(0, 0, 100, 100));
  auto* control = new TWinControl(form);
  control->SetBounds(0, 0, 50, 50);
  control->SetParent(form);
  std::vector<std::string> seen;
  TWndMethod original = control->WindowProc;
  control->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_USER + 1) seen.push_back("replacement");
    original(m);
  };
  form->Show();
  // Through the window procedure, and through Perform.
  SendMessage(control->Handle(), WM_USER + 1, 0, 0);
  control->Perform(WM_USER + 1, 0, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"replacement", "replacement"}));
  // A message the replacement swallows never reaches the control.
  bool swallowed = false;
  control->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_SETTEXT) {
      swallowed = true;
      return;
    }
    original(m);
  };
  control->SetText("kept out");
  EXPECT_TRUE(swallowed);
  EXPECT_EQ(GetWindowText(control->Handle()), "");
  control->WindowProc = original;
}

TEST_F(ControlsTest, HooksRemovedOutOfOrderLeaveTheChainSound) {
  TForm* form = MakeForm(Bounds(0, 0, 100, 100));
  auto* control = new TWinControl(form);
  control->SetParent(form);
  std::vector<std::string> seen;
  auto hook = [&](const std::string& name) {
    return [&seen, name](TMessage& m, const TWndMethod& next) {
      if (m.Msg == WM_USER) seen.push_back(name);
      next(m);
    };
  };
  const int a = control->AddWindowProcHook(hook("a"));
  const int b = control->AddWindowProcHook(hook("b"));
  const int c = control->AddWindowProcHook(hook("c"));
  control->WindowProc = [&, original = control->WindowProc](TMessage& m) {
    if (m.Msg == WM_USER) seen.push_back("window proc");
    original(m);
  };

  struct Step {
    int remove;
    std::vector<std::string> expected;
  };
  const std::vector<Step> steps = {{0, {"c", "b", "a", "window proc"}},
                                   {b, {"c", "a", "window proc"}},
                                   {a, {"c", "window proc"}},
                                   {c, {"window proc"}}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.remove);
    if (s.remove) control->RemoveWindowProcHook(s.remove);
    seen.clear();
    SendMessage(control->Handle(), WM_USER, 0, 0);
    EXPECT_EQ(seen, s.expected);
  }

  // A hook that removes itself while running still passes that message on.
  int self = 0;
  self = control->AddWindowProcHook([&](TMessage& m, const TWndMethod& next) {
    control->RemoveWindowProcHook(self);
    next(m);
  });
  seen.clear();
  control->Perform(WM_USER, 0, 0);
  control->Perform(WM_USER, 0, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"window proc", "window proc"}));
}

TEST_F(ControlsTest, DestroyingAFormFreesEveryWindowAndComponent) {
  (void)app.Handle();  // lives with the application, made when a form is activated
  const std::size_t before = detail::LiveWindowCount();
  std::vector<TWeak<TControl>> controls;
  {
    TForm* form = MakeForm(Bounds(0, 0, 300, 300));
    TWinControl* parent = form;
    for (int i = 0; i < 100; ++i) {
      TControl* c = (i % 3 == 2) ? static_cast<TControl*>(new TSwatch(form)) : new TWinControl(form);
      c->SetBounds(i % 10 * 10, i / 10 * 10, 8, 8);
      c->SetParent(parent);
      controls.emplace_back(c);
      if (auto* w = dynamic_cast<TWinControl*>(c); w && i % 10 == 0) parent = w;  // nest some of them
    }
    form->Show();
    Pump();
    EXPECT_GT(detail::LiveWindowCount(), before + 60);
    forms.clear();
  }
  Pump();
  EXPECT_EQ(detail::LiveWindowCount(), before);
  for (auto& c : controls) EXPECT_FALSE(c);
}

TEST_F(ControlsTest, FreeNotificationClearsReferencesToFreedComponents) {
  TForm* form = MakeForm(Bounds(0, 0, 100, 100));
  auto* label = new TLabel(form);
  label->SetParent(form);
  auto* button = new TButton(form);
  button->SetParent(form);
  auto* menu = new TPopupMenu(form);
  label->SetFocusControl(button);
  button->SetPopupMenu(menu);
  EXPECT_EQ(label->FocusControl(), button);
  EXPECT_EQ(button->PopupMenu(), menu);
  delete menu;
  EXPECT_EQ(button->PopupMenu(), nullptr);
  delete button;
  EXPECT_EQ(label->FocusControl(), nullptr);
}

TEST_F(ControlsTest, ParentFontAndColorFlowToChildrenUntilSetOnTheChild) {
  TForm* form = MakeForm(Bounds(0, 0, 100, 100));
  auto* inner = new TWinControl(form);
  inner->SetParent(form);
  auto* leaf = new TSwatch(form);
  leaf->SetParent(inner);
  form->Font()->SetName("DejaVu Sans");
  form->SetColor(clTeal);
  EXPECT_EQ(leaf->Font()->Name(), "DejaVu Sans");
  EXPECT_EQ(leaf->Color(), clTeal);
  leaf->Font()->SetHeight(-20);
  EXPECT_FALSE(leaf->ParentFont());
  form->Font()->SetName("Other");
  EXPECT_EQ(leaf->Font()->Name(), "DejaVu Sans");
  EXPECT_EQ(inner->Font()->Name(), "Other");
}

TEST_F(ControlsTest, ConstraintsAndClientCoordinates) {
  TForm* form = MakeForm(Bounds(30, 40, 200, 200));
  auto* c = new TWinControl(form);
  c->Constraints()->SetMinWidth(20);
  c->Constraints()->SetMaxHeight(50);
  c->SetBounds(10, 20, 5, 500);
  c->SetParent(form);
  EXPECT_EQ(c->BoundsRect(), Bounds(10, 20, 20, 50));
  form->Show();
  EXPECT_EQ(c->ClientToScreen(Point(1, 2)), Point(41, 62));
  EXPECT_EQ(c->ScreenToClient(Point(41, 62)), Point(1, 2));
}

TEST_F(ControlsTest, RecreateWndKeepsTextChildrenAndWindowProc) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 100));
  auto* parent = new TWinControl(form);
  parent->SetBounds(0, 0, 100, 100);
  parent->SetParent(form);
  auto* child = new TWinControl(form);
  child->SetBounds(5, 5, 20, 20);
  child->SetParent(parent);
  parent->SetText("caption");
  int seen = 0;
  parent->WindowProc = [&, original = parent->WindowProc](TMessage& m) {
    if (m.Msg == WM_USER) ++seen;
    original(m);
  };
  form->Show();
  HWND oldParent = parent->Handle();
  HWND oldChild = child->Handle();
  parent->RecreateWnd();
  EXPECT_FALSE(IsWindow(oldParent));
  EXPECT_FALSE(IsWindow(oldChild));
  ASSERT_TRUE(child->HandleAllocated());
  EXPECT_EQ(GetParent(child->Handle()), parent->Handle());
  EXPECT_EQ(GetWindowText(parent->Handle()), "caption");
  SendMessage(parent->Handle(), WM_USER, 0, 0);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(FindControl(parent->Handle()), parent);
  EXPECT_EQ(FindControl(oldParent), nullptr);
}

TEST_F(ControlsTest, CancelModeReachesEveryControlButItsSender) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 100));
  std::vector<TControl*> cancelled;
  std::vector<TSwatch*> swatches;
  for (int i = 0; i < 3; ++i) {
    auto* s = new TSwatch(form);
    s->SetParent(form);
    s->AddWindowProcHook([&cancelled, s](TMessage& m, const TWndMethod& next) {
      if (m.Msg == WM_CANCELMODE) cancelled.push_back(s);
      next(m);
    });
    swatches.push_back(s);
  }
  TMessage m{CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(swatches[1])), 0};
  form->Broadcast(m);
  EXPECT_EQ(cancelled, (std::vector<TControl*>{swatches[0], swatches[2]}));
}

TEST_F(ControlsTest, ScrollByMovesTheChildrenWithoutRealigningThem) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 100));
  auto* box = new TScrollBox(form);
  box->SetBounds(0, 0, 100, 50);
  box->SetParent(form);
  auto* far = new TSwatch(form);
  far->SetBounds(10, 120, 20, 20);
  far->SetParent(box);
  form->Show();
  box->ScrollInView(far);
  EXPECT_EQ(box->ScrollPos(), Point(0, 90));
  EXPECT_EQ(far->Top(), 30);
  box->ScrollTo(0, 0);
  EXPECT_EQ(far->Top(), 120);
  box->ScrollTo(500, 500);
  EXPECT_EQ(box->ScrollPos(), Point(0, 90)) << "kept within the children's extent";
}

// A scroll box whose bars follow its children's extent: which bars show, the client area they
// leave, and the way the bars, the wheel and the children's changes move the contents.
class AutoScrollTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = MakeForm(Bounds(100, 100, 300, 200));
    box = new TScrollBox(form);
    box->SetBounds(0, 0, 120, 80);
    box->SetColor(clWhite);
    box->SetParent(form);
    child = new TSwatch(form);
    child->SetParent(box);
  }
  [[nodiscard]] bool Shows(int bar) const {
    const DWORD style = static_cast<DWORD>(GetWindowLongPtr(box->Handle(), GWL_STYLE));
    return (style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
  }
  TForm* form = nullptr;
  TScrollBox* box = nullptr;
  TSwatch* child = nullptr;
  const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
};

TEST_F(AutoScrollTest, BarsFollowTheChildrensExtent) {
  struct TCase {
    const char* what;
    TRect child;
    bool horz, vert;
  };
  const TCase cases[] = {
      {"fits", Bounds(10, 10, 50, 50), false, false},
      {"exactly fills", Bounds(0, 0, 120, 80), false, false},
      {"taller", Bounds(10, 10, 50, 200), false, true},
      {"wider", Bounds(10, 10, 300, 20), true, false},
      {"both", Bounds(10, 10, 300, 200), true, true},
      // Fits alone, but the horizontal bar takes the height it needed.
      {"wider, then taller through the bar", Bounds(0, 0, 300, 75), true, true},
  };
  form->Show();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    child->SetBoundsRect(c.child);
    EXPECT_EQ(Shows(SB_HORZ), c.horz);
    EXPECT_EQ(Shows(SB_VERT), c.vert);
    EXPECT_EQ(box->ClientWidth(), 120 - (c.vert ? cx : 0));
    EXPECT_EQ(box->ClientHeight(), 80 - (c.horz ? cy : 0));
    if (c.vert) {
      SCROLLINFO si;
      si.fMask = SIF_ALL;
      ASSERT_TRUE(GetScrollInfo(box->Handle(), SB_VERT, &si));
      EXPECT_EQ(si.nMax, c.child.Bottom - 1);
      EXPECT_EQ(si.nPage, static_cast<UINT>(box->ClientHeight()));
    }
  }
  box->SetAutoScroll(false);
  EXPECT_FALSE(Shows(SB_HORZ));
  EXPECT_FALSE(Shows(SB_VERT));
  EXPECT_EQ(box->ClientRect(), Rect(0, 0, 120, 80));
}

TEST_F(AutoScrollTest, BarsWheelAndChildrenMoveTheContents) {
  child->SetBounds(10, 0, 40, 300);  // scrollable height 300 - 80 = 220
  form->Show();
  Pump();
  ASSERT_TRUE(Shows(SB_VERT));
  const TPoint origin = box->ClientToScreen(Point(0, 0));
  const int barX = origin.X + 120 - cx / 2;

  // The bar's down arrow.
  display->MouseDown({barX, origin.Y + 80 - cy / 2});
  display->MouseUp({barX, origin.Y + 80 - cy / 2});
  Pump();
  EXPECT_EQ(box->ScrollPos(), Point(0, 8));
  EXPECT_EQ(child->Top(), -8);
  EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), 8);

  // The thumb dragged past the track's end reaches the last position.
  const TRect bar = detail::ScrollBarRect(box->Handle(), SB_VERT);
  TRect wr;
  GetWindowRect(box->Handle(), &wr);
  const int track = bar.Height() - 2 * cx, thumb = track * 80 / 300;
  const int thumbY = wr.Top + bar.Top + cx + 8 * (track - thumb) / 220 + thumb / 2;
  display->MouseDown({barX, thumbY});
  display->MouseMove({barX, wr.Top + bar.Bottom + 40});
  display->MouseUp({barX, wr.Top + bar.Bottom + 40});
  Pump();
  EXPECT_EQ(box->ScrollPos(), Point(0, 220));
  EXPECT_EQ(child->Top(), -220);
  EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), 220);

  // The wheel (it goes to the focus): up one notch is three lines.
  box->SetFocus();
  display->Wheel({origin.X + 20, origin.Y + 20}, WHEEL_DELTA);
  Pump();
  EXPECT_EQ(box->ScrollPos(), Point(0, 196));
  EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), 196);

  // A thumb position sent by another window than the bar's own loop.
  SendMessage(box->Handle(), WM_VSCROLL, MAKELPARAM(SB_THUMBPOSITION, 50), 0);
  EXPECT_EQ(box->ScrollPos(), Point(0, 50));
  EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), 50);

  // A child that shrinks brings the contents back into range and the bar goes.
  child->SetHeight(50);
  EXPECT_EQ(box->ScrollPos(), Point(0, 0));
  EXPECT_EQ(child->Top(), 0);
  EXPECT_FALSE(Shows(SB_VERT));
}

TEST_F(AutoScrollTest, AlignedChildrenScrollWithTheRestAndStayThereOnRelayout) {
  child->SetBounds(0, 10, 60, 300);
  auto* top = new TSwatch(form);
  top->SetHeight(10);
  top->SetAlign(TAlign::alTop);
  top->SetParent(box);
  form->Show();
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 120 - cx, 10));
  box->ScrollTo(0, 30);
  EXPECT_EQ(top->Top(), -30);
  box->SetWidth(110);  // a new layout keeps the scrolled places
  EXPECT_EQ(top->BoundsRect(), Rect(0, -30, 110 - cx, -20));
  EXPECT_EQ(child->Top(), -20);
  box->SetAutoScroll(false);
  EXPECT_EQ(top->Top(), 0);
  EXPECT_EQ(child->Top(), 10);
}

TEST_F(AutoScrollTest, PaintsTheBarBesideTheScrolledChild) {
  child->Fill = clRed;
  child->SetBounds(0, 0, 60, 300);
  form->Show();
  box->ScrollTo(0, 40);
  const TPoint o = box->ClientToScreen(Point(0, 0));
  EXPECT_EQ(ScreenAt({o.X + 5, o.Y + 5}), ColorToRGB(clRed)) << "the child, scrolled";
  EXPECT_EQ(ScreenAt({o.X + 90, o.Y + 5}), ColorToRGB(clWhite)) << "the box's own background";
  const COLORREF barPixel = ScreenAt({o.X + 120 - cx / 2, o.Y + 40});
  EXPECT_NE(barPixel, ColorToRGB(clWhite)) << "the bar, not the background";
  EXPECT_NE(barPixel, ColorToRGB(clRed));
}

// A popup menu that records where and for whom it would open instead of opening.
class TRecordingPopup : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  struct Call {
    TPoint at;
    TComponent* component;
  };
  std::vector<Call> calls;
  void Popup(int X, int Y) override { calls.push_back({Point(X, Y), PopupComponent()}); }
};

TEST_F(ControlsTest, RightClickOpensThePopupMenuForTheControlUnlessHandled) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  auto* swatch = new TSwatch(form);
  swatch->SetBounds(10, 10, 40, 30);
  swatch->SetParent(form);
  auto* windowed = Box(form, TAlign::alNone, Bounds(100, 10, 40, 30), clBlue);
  auto* bare = new TSwatch(form);  // no menu of its own: the parent's is asked
  bare->SetBounds(200, 10, 40, 30);
  bare->SetParent(form);
  auto* menu = new TRecordingPopup(form);
  auto* formMenu = new TRecordingPopup(form);
  swatch->SetPopupMenu(menu);
  windowed->SetPopupMenu(menu);
  form->SetPopupMenu(formMenu);
  bool handle = false;
  std::vector<TPoint> asked;
  swatch->OnContextPopup = [&](TObject*, TPoint pos, bool& handled) {
    asked.push_back(pos);
    handled = handle;
  };
  form->Show();
  Pump();

  struct Case {
    const char* name;
    TPoint click;
    bool autoPopup;
    bool handled;
    TRecordingPopup* expectedMenu;  // nullptr: no popup at all
    TComponent* expectedComponent;
  };
  const Case cases[] = {
      {"windowless control", {20, 15}, true, false, menu, swatch},
      {"windowed control", {110, 20}, true, false, menu, windowed},
      {"control without a menu asks its parent", {210, 20}, true, false, formMenu, form},
      {"OnContextPopup handled it", {20, 15}, true, true, nullptr, nullptr},
      {"AutoPopup off passes the request to the parent", {110, 20}, false, false, formMenu, form},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    menu->calls.clear();
    formMenu->calls.clear();
    asked.clear();
    menu->SetAutoPopup(c.autoPopup);
    handle = c.handled;
    display->Click(c.click, detail::TMouseButton::Right);
    Pump();
    for (TRecordingPopup* m : {menu, formMenu}) {
      if (m != c.expectedMenu) {
        EXPECT_TRUE(m->calls.empty()) << (m == menu ? "control's menu" : "form's menu") << " opened";
        continue;
      }
      ASSERT_EQ(m->calls.size(), 1u) << "exactly one popup per right click";
      EXPECT_EQ(m->calls[0].at, c.click) << "screen coordinates of the click";
      EXPECT_EQ(m->calls[0].component, c.expectedComponent);
    }
    if (c.handled) {
      EXPECT_EQ(asked, std::vector<TPoint>{Point(10, 5)}) << "client coordinates";
    }
  }
}

TEST_F(ControlsTest, ParentBiDiModeFollowsTheParentUntilSetOnTheChild) {
  TForm* form = MakeForm(Bounds(0, 0, 100, 100));
  auto* inner = new TWinControl(form);
  inner->SetParent(form);
  auto* leaf = new TSwatch(form);
  leaf->SetParent(inner);
  EXPECT_TRUE(leaf->ParentBiDiMode());
  form->SetBiDiMode(TBiDiMode::bdRightToLeft);
  EXPECT_EQ(inner->BiDiMode(), TBiDiMode::bdRightToLeft);
  EXPECT_EQ(leaf->BiDiMode(), TBiDiMode::bdRightToLeft);
  EXPECT_TRUE(leaf->ParentBiDiMode()) << "following is not setting";
  // A control placed later takes its new parent's mode.
  auto* late = new TSwatch(form);
  late->SetParent(inner);
  EXPECT_EQ(late->BiDiMode(), TBiDiMode::bdRightToLeft);
  // Set on the child: it stops following.
  leaf->SetBiDiMode(TBiDiMode::bdLeftToRight);
  EXPECT_FALSE(leaf->ParentBiDiMode());
  form->SetBiDiMode(TBiDiMode::bdRightToLeftReadingOnly);
  EXPECT_EQ(inner->BiDiMode(), TBiDiMode::bdRightToLeftReadingOnly);
  EXPECT_EQ(late->BiDiMode(), TBiDiMode::bdRightToLeftReadingOnly);
  EXPECT_EQ(leaf->BiDiMode(), TBiDiMode::bdLeftToRight);
  // Following again takes the parent's mode at once.
  leaf->SetParentBiDiMode(true);
  EXPECT_EQ(leaf->BiDiMode(), TBiDiMode::bdRightToLeftReadingOnly);
}

TEST_F(ControlsTest, ResizeEventsCanAdjustTheConstraintsAndRefuseOrAlterTheSize) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 300));
  auto* c = new TWinControl(form);
  c->SetParent(form);
  c->SetBounds(0, 0, 50, 50);
  c->Constraints()->SetMaxHeight(100);
  std::vector<std::string> order;
  int extraMaxHeight = 0;
  c->OnConstrainedResize = [&](TObject* sender, int& minW, int&, int&, int& maxH) {
    EXPECT_EQ(sender, c);
    order.push_back("constrain");
    EXPECT_EQ(maxH, 100) << "starts from Constraints";
    maxH += extraMaxHeight;
    minW = 30;
  };
  bool allow = true;
  int forcedWidth = 0;
  c->OnCanResize = [&](TObject* sender, int& w, int&, bool& resize) {
    EXPECT_EQ(sender, c);
    order.push_back("can resize");
    if (forcedWidth) w = forcedWidth;
    resize = allow;
  };

  c->SetBounds(0, 0, 10, 500);
  EXPECT_EQ(c->BoundsRect(), Bounds(0, 0, 30, 100)) << "the event's minimum width, Constraints' maximum height";
  EXPECT_EQ(order, (std::vector<std::string>{"constrain", "can resize"}));
  extraMaxHeight = 50;
  c->SetBounds(0, 0, 60, 500);
  EXPECT_EQ(c->BoundsRect(), Bounds(0, 0, 60, 150)) << "the event loosened the maximum";
  forcedWidth = 77;
  c->SetBounds(0, 0, 60, 120);
  EXPECT_EQ(c->BoundsRect(), Bounds(0, 0, 77, 120)) << "OnCanResize altered the width";
  allow = false;
  c->SetBounds(5, 6, 90, 90);
  EXPECT_EQ(c->BoundsRect(), Bounds(5, 6, 77, 120)) << "refused: moves but keeps its size";
}

}  // namespace
