// Forms: focus and tab order, default and cancel buttons, accelerators, key preview, the modal
// loop, deferred release, closing.

#include <string>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"
#include "platform/controls/Edit.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Strings.h"
#include "platform/core/SysUtils.h"

namespace {

class FormsTest : public FormWorld {
 protected:
  TButton* AddButton(TForm* form, const std::string& caption, TRect r) {
    auto* b = new TButton(form);
    b->SetName("b" + std::to_string(++made));
    b->SetCaption(caption);
    b->SetBoundsRect(r);
    b->SetParent(form);
    b->OnClick = [this, b](TObject*) { clicks.push_back(b->Caption()); };
    return b;
  }

  void Press(WORD key, std::initializer_list<WORD> modifiers = {}) {
    // The keyboard state is read when a key message is handled: release only after that.
    for (WORD m : modifiers) display->KeyDown(m);
    display->KeyDown(key);
    Pump();
    display->KeyUp(key);
    for (WORD m : modifiers) display->KeyUp(m);
    Pump();
  }

  static TPoint Centre(TControl* c) { return c->ClientToScreen(Point(c->Width() / 2, c->Height() / 2)); }

  std::vector<std::string> clicks;
  int made = 0;
};

TEST_F(FormsTest, TabMovesTheFocusInTabOrderSkippingControlsWithoutTabStop) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  TButton* first = AddButton(form, "one", Bounds(10, 10, 60, 20));
  TButton* second = AddButton(form, "two", Bounds(10, 40, 60, 20));
  TButton* skipped = AddButton(form, "skip", Bounds(10, 70, 60, 20));
  TButton* third = AddButton(form, "three", Bounds(10, 100, 60, 20));
  skipped->SetTabStop(false);
  third->SetTabOrder(0);  // now: three, one, two
  std::vector<std::string> events;
  for (TButton* b : {first, second, third}) {
    b->OnEnter = [&events, b](TObject*) { events.push_back("enter " + b->Caption()); };
    b->OnExit = [&events, b](TObject*) { events.push_back("exit " + b->Caption()); };
  }
  form->Show();
  Pump();
  EXPECT_EQ(form->ActiveControl(), third) << "the first control in tab order takes the focus";
  EXPECT_TRUE(third->Focused());

  struct Step {
    std::initializer_list<WORD> modifiers;
    TButton* focused;
  };
  for (const Step& s : std::initializer_list<Step>{{{}, first}, {{}, second}, {{}, third}, {{VK_SHIFT}, second}}) {
    SCOPED_TRACE(s.focused->Caption());
    Press(VK_TAB, s.modifiers);
    EXPECT_EQ(form->ActiveControl(), s.focused);
    EXPECT_TRUE(s.focused->Focused());
  }
  EXPECT_EQ(events, (std::vector<std::string>{"enter three", "exit three", "enter one", "exit one", "enter two",
                                              "exit two", "enter three", "exit three", "enter two"}));
  EXPECT_TRUE(clicks.empty());
}

TEST_F(FormsTest, ReturnAndEscapeClickTheDefaultAndCancelButtons) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  auto* box = new TCheckBox(form);
  box->SetParent(form);
  box->SetBounds(10, 10, 100, 17);
  TButton* ok = AddButton(form, "ok", Bounds(10, 40, 60, 20));
  TButton* cancel = AddButton(form, "cancel", Bounds(80, 40, 60, 20));
  ok->SetDefault(true);
  cancel->SetCancel(true);
  form->SetActiveControl(box);
  form->Show();
  Pump();
  ASSERT_TRUE(box->Focused());

  struct Case {
    TWinControl* focus;
    WORD key;
    const char* clicked;
  };
  for (const Case& c : std::initializer_list<Case>{{box, VK_RETURN, "ok"},
                                                   {box, VK_ESCAPE, "cancel"},
                                                   {cancel, VK_RETURN, "cancel"},  // a focused button takes Return
                                                   {ok, VK_ESCAPE, "cancel"}}) {
    SCOPED_TRACE(std::string(c.clicked) + " " + std::to_string(c.key));
    c.focus->SetFocus();
    clicks.clear();
    Press(c.key);
    EXPECT_EQ(clicks, std::vector<std::string>{c.clicked});
  }
  EXPECT_FALSE(box->Checked()) << "the keys went to the buttons, not the check box";
}

TEST_F(FormsTest, AcceleratorsClickButtonsAndLabelsFocusTheirControl) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  TButton* save = AddButton(form, "&Save", Bounds(10, 10, 60, 20));
  TButton* target = AddButton(form, "target", Bounds(10, 40, 60, 20));
  TButton* other = AddButton(form, "other", Bounds(10, 70, 60, 20));
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetCaption("&Name:");
  label->SetBounds(100, 10, 60, 17);
  label->SetFocusControl(target);
  form->SetActiveControl(other);
  form->Show();
  Pump();

  Press('S', {VK_MENU});
  EXPECT_EQ(clicks, std::vector<std::string>{"&Save"});
  EXPECT_TRUE(save->Focused());
  clicks.clear();
  Press('N', {VK_MENU});
  EXPECT_TRUE(target->Focused());
  EXPECT_TRUE(clicks.empty());
  // A plain letter is an accelerator too while the focused control takes no typing.
  display->Text("s");
  Pump();
  EXPECT_EQ(clicks, std::vector<std::string>{"&Save"});
  clicks.clear();
  Press('Q', {VK_MENU});
  EXPECT_TRUE(clicks.empty());
}

TEST_F(FormsTest, KeyPreviewLetsTheFormSeeAndSwallowKeysFirst) {
  for (bool preview : {false, true}) {
    SCOPED_TRACE(preview);
    TForm* form = MakeForm(Bounds(0, 0, 200, 100));
    TButton* button = AddButton(form, "b", Bounds(10, 10, 60, 20));
    std::vector<std::string> seen;
    form->SetKeyPreview(preview);
    form->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
      seen.push_back("form " + std::to_string(key));
      if (key == VK_F2) key = 0;
    };
    button->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { seen.push_back("button " + std::to_string(key)); };
    form->Show();
    Pump();
    Press(VK_F2);
    Press(VK_F3);
    if (preview) {
      EXPECT_EQ(seen, (std::vector<std::string>{"form 113", "form 114", "button 114"}));
    } else {
      EXPECT_EQ(seen, (std::vector<std::string>{"button 113", "button 114"}));
    }
    forms.clear();
    Pump();
  }
}

TEST_F(FormsTest, ShowModalReturnsTheModalResultAndDisablesTheOtherForms) {
  TWatchdog dog("modal loop");
  TForm* main = MakeForm(Bounds(0, 0, 300, 200));
  main->Show();
  TForm* dialog = MakeForm(Bounds(50, 50, 200, 100));
  TButton* ok = AddButton(dialog, "ok", Bounds(10, 10, 60, 20));
  ok->SetModalResult(mrOk);
  bool mainEnabledDuring = true;
  bool activeDuring = false;
  HWND ownerDuring = nullptr;
  dialog->OnActivate = [&](TObject*) {
    // The user's clicks, queued for the modal loop to deliver: on the blocked main form (which
    // gives the dialog back its activation), then on OK.
    display->Click(Point(5, 190));
    display->Click(Point(65, 65));
    dialog->OnActivate = nullptr;
  };
  ok->OnClick = [&](TObject*) {
    mainEnabledDuring = IsWindowEnabled(main->Handle()) != FALSE;
    activeDuring = dialog->Active();
    ownerDuring = GetWindow(dialog->Handle(), GW_OWNER);
  };
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_FALSE(mainEnabledDuring);
  EXPECT_TRUE(activeDuring);
  EXPECT_EQ(ownerDuring, main->Handle()) << "owned by the form that was active, so it stays above it";
  EXPECT_EQ(GetWindow(dialog->Handle(), GW_OWNER), nullptr) << "and no longer afterwards";
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_FALSE(dialog->Visible());

  // Escape on a cancel button ends it with mrCancel; OnCloseQuery may refuse once.
  TButton* cancel = AddButton(dialog, "cancel", Bounds(80, 10, 60, 20));
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  int queries = 0;
  dialog->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++queries > 1; };
  dialog->OnActivate = [&](TObject*) {
    for (int i = 0; i < 2; ++i) {
      display->KeyDown(VK_ESCAPE);
      display->KeyUp(VK_ESCAPE);
    }
    dialog->OnActivate = nullptr;
  };
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(queries, 2);
}

TEST_F(FormsTest, ReleaseInsideAClickHandlerFreesTheFormAfterTheHandler) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBounds(0, 0, 200, 100);
  TWeak<TForm> alive(form);
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetBounds(10, 10, 60, 20);
  bool usableAfterRelease = false;
  button->OnClick = [&](TObject* sender) {
    form->Release();
    usableAfterRelease = alive && static_cast<TButton*>(sender)->Caption().empty() && form->HandleAllocated();
  };
  form->Show();
  Pump();
  display->Click(Point(40, 20));
  Pump();
  EXPECT_TRUE(usableAfterRelease);
  EXPECT_FALSE(alive);
}

TEST_F(FormsTest, CloseRunsOnCloseWithTheChosenAction) {
  struct Case {
    TCloseAction action;
    bool visibleAfter;
    bool freed;
  };
  for (const Case& c : std::initializer_list<Case>{{TCloseAction::caNone, true, false},
                                                   {TCloseAction::caHide, false, false},
                                                   {TCloseAction::caFree, false, true}}) {
    SCOPED_TRACE(static_cast<int>(c.action));
    auto* form = CreateForm<TForm>(nullptr);
    form->SetBounds(0, 0, 100, 100);
    TWeak<TForm> alive(form);
    form->OnClose = [&](TObject*, TCloseAction& a) { a = c.action; };
    form->Show();
    SendMessage(form->Handle(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(!alive, c.freed);
    if (alive) {
      EXPECT_EQ(form->Visible(), c.visibleAfter);
      delete form;
    }
  }
}

TEST_F(FormsTest, AFormOnScreenStaysThereWhenItsWindowIsMadeAnew) {
  TForm* back = MakeForm(Bounds(300, 0, 100, 100));
  TForm* front = MakeForm(Bounds(0, 0, 100, 100));
  TForm* hidden = MakeForm(Bounds(0, 200, 100, 100));
  back->Show();
  front->Show();
  Pump();
  ASSERT_EQ(GetActiveWindow(), front->Handle());
  // A new border style makes the windows anew: the shown ones come back as they were, the
  // active one active; a hidden one stays hidden.
  back->SetBorderStyle(TFormBorderStyle::bsSingle);
  front->SetBorderStyle(TFormBorderStyle::bsSingle);
  hidden->SetBorderStyle(TFormBorderStyle::bsSingle);
  Pump();
  EXPECT_TRUE(IsWindowVisible(back->Handle()));
  EXPECT_TRUE(IsWindowVisible(front->Handle()));
  EXPECT_EQ(GetActiveWindow(), front->Handle());
  EXPECT_FALSE(hidden->HandleAllocated() && IsWindowVisible(hidden->Handle()));
  back->RecreateWnd();
  Pump();
  EXPECT_TRUE(IsWindowVisible(back->Handle()));
  EXPECT_EQ(GetActiveWindow(), front->Handle());
}

TEST_F(FormsTest, LoadingStateKeepsEventsQuietUntilCreated) {
  struct TQuietForm : TForm {
    explicit TQuietForm(std::vector<std::string>& log) : TForm(nullptr) {
      OnResize = [&log](TObject*) { log.push_back("resize"); };
      OnCreate = [&log](TObject*) { log.push_back("create"); };
      SetBounds(0, 0, 120, 80);  // a property write during construction fires nothing
    }
  };
  std::vector<std::string> log;
  std::unique_ptr<TQuietForm> form(CreateForm<TQuietForm>(log));
  EXPECT_EQ(log, std::vector<std::string>{"create"});
  form->SetWidth(150);
  EXPECT_EQ(log, (std::vector<std::string>{"create", "resize"}));
  bool listed = false;
  for (int i = 0; i < Screen()->FormCount(); ++i) listed = listed || Screen()->Forms(i) == form.get();
  EXPECT_TRUE(listed);
}

TEST_F(FormsTest, MDIChildrenLiveInTheClientAreaAndTile) {
  TForm* parent = MakeForm(Bounds(0, 0, 400, 300));
  parent->SetFormStyle(TFormStyle::fsMDIForm);
  app.SetMainForm(parent);
  parent->Show();
  ASSERT_NE(parent->ClientHandle(), nullptr);
  std::vector<TForm*> children;
  for (int i = 0; i < 2; ++i) {
    auto* child = CreateForm<TForm>(nullptr);
    child->SetFormStyle(TFormStyle::fsMDIChild);
    child->SetBounds(10, 10, 100, 80);
    forms.emplace_back(child);
    child->Show();
    children.push_back(child);
  }
  EXPECT_EQ(parent->MDIChildCount(), 2);
  EXPECT_EQ(GetParent(children[0]->Handle()), parent->ClientHandle());
  EXPECT_EQ(parent->ActiveMDIChild(), children[1]);
  parent->Next();
  EXPECT_EQ(parent->ActiveMDIChild(), children[0]);
  parent->TileMode = TTileMode::tbVertical;
  parent->Tile();
  TRect client;
  GetClientRect(parent->ClientHandle(), &client);
  EXPECT_EQ(children[0]->Width() + children[1]->Width(), client.Width() / 2 * 2);
  EXPECT_EQ(children[0]->Height(), client.Height());
  app.SetMainForm(nullptr);
}

// A form placed in another form is a child window at its own place in the parent's client area,
// whether its window existed before or not; a disabled one takes no click and no focus.
TEST_F(FormsTest, AFormWithAParentIsAChildWindowInItsClientArea) {
  TForm* outer = MakeForm(Bounds(100, 100, 200, 150), clRed);
  auto* edit = new TEdit(outer);
  edit->SetBounds(10, 120, 80, 20);
  edit->SetParent(outer);
  for (bool madeBefore : {false, true}) {
    SCOPED_TRACE(madeBefore ? "window made before" : "no window yet");
    TForm* inner = MakeForm(Bounds(20, 30, 60, 40), clBlue);
    inner->SetPosition(TPosition::poScreenCenter);
    if (madeBefore) inner->HandleNeeded();
    inner->SetParent(outer);
    inner->SetEnabled(false);
    outer->Show();
    inner->Show();
    edit->SetFocus();
    ASSERT_TRUE(inner->HandleAllocated());
    EXPECT_NE(GetWindowLongPtr(inner->Handle(), GWL_STYLE) & WS_CHILD, 0);
    EXPECT_EQ(GetParent(inner->Handle()), outer->Handle());
    EXPECT_EQ(inner->BoundsRect(), Bounds(20, 30, 60, 40)) << "not centred on the screen";
    const TScreenShot shot = ScreenShot();
    EXPECT_EQ(shot.At({125, 135}), RGB(0, 0, 255));
    EXPECT_EQ(shot.At({115, 135}), RGB(255, 0, 0));

    display->Click({130, 140});
    Pump();
    EXPECT_EQ(GetFocus(), edit->Handle()) << "the disabled child form took the click";
    inner->SetParent(nullptr);
    EXPECT_FALSE(inner->HandleAllocated() && (GetWindowLongPtr(inner->Handle(), GWL_STYLE) & WS_CHILD));
    outer->Hide();
  }
}

TEST_F(FormsTest, ApplicationWindowHooksSeeMessagesFirstAndMayBeRemovedInAnyOrder) {
  std::vector<std::string> seen;
  int keyA = 0, keyB = 0;
  app.HookMainWindow([&](TMessage& m) {
    if (m.Msg == WM_USER) seen.push_back("a");
    return false;
  }, &keyA);
  app.HookMainWindow([&](TMessage& m) {
    if (m.Msg != WM_USER) return false;
    seen.push_back("b");
    return m.WParam == 1;  // handled: later hooks and the application do not see it
  }, &keyB);
  SendMessage(app.Handle(), WM_USER, 0, 0);
  SendMessage(app.Handle(), WM_USER, 1, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "a", "b"}));
  app.UnhookMainWindow(&keyA);
  seen.clear();
  SendMessage(app.Handle(), WM_USER, 0, 0);
  EXPECT_EQ(seen, std::vector<std::string>{"b"});
  app.UnhookMainWindow(&keyB);
  seen.clear();
  SendMessage(app.Handle(), WM_USER, 0, 0);
  EXPECT_TRUE(seen.empty());
}

TEST_F(FormsTest, TheApplicationIsActiveWhileOneOfItsFormsIs) {
  std::vector<std::string> events;
  app.OnActivate = [&](TObject*) { events.push_back("activate"); };
  app.OnDeactivate = [&](TObject*) { events.push_back("deactivate"); };
  TForm* one = MakeForm(Bounds(0, 0, 100, 100));
  TForm* two = MakeForm(Bounds(200, 0, 100, 100));
  one->Show();
  two->Show();
  one->Show();
  Pump();
  EXPECT_TRUE(app.Active());
  EXPECT_EQ(Screen()->ActiveForm(), one);
  SetActiveWindow(nullptr);
  Pump();
  EXPECT_FALSE(app.Active());
  EXPECT_EQ(events, (std::vector<std::string>{"activate", "deactivate"}));
}

TEST_F(FormsTest, MinimizeIconifiesTheFormsAndRestoreBringsThemBack) {
  TForm* one = MakeForm(Bounds(0, 0, 100, 100));
  TForm* two = MakeForm(Bounds(200, 0, 100, 100));
  TForm* hidden = MakeForm(Bounds(400, 0, 100, 100));
  one->Show();
  two->Show();
  std::vector<std::string> events;
  app.OnMinimize = [&](TObject*) { events.push_back("minimize"); };
  app.OnRestore = [&](TObject*) { events.push_back("restore"); };
  // The application window hears the state change (an icon in the notification area hooks it).
  app.HookMainWindow(
      [&](TMessage& m) {
        if (m.Msg == WM_SIZE) events.push_back(m.WParam == SIZE_MINIMIZED ? "size minimized" : "size restored");
        return false;
      },
      this);
  app.Minimize();
  EXPECT_TRUE(app.Minimized());
  EXPECT_TRUE(IsIconic(one->Handle()));
  EXPECT_TRUE(IsIconic(two->Handle()));
  EXPECT_EQ(one->WindowState(), TWindowState::wsMinimized);
  EXPECT_EQ(ScreenAt({50, 50}), RGB(1, 2, 3)) << "an iconified form is not on the screen";
  app.Restore();
  EXPECT_TRUE(IsWindowVisible(one->Handle()));
  EXPECT_TRUE(IsWindowVisible(two->Handle()));
  EXPECT_FALSE(IsIconic(one->Handle()));
  EXPECT_EQ(two->WindowState(), TWindowState::wsNormal);
  EXPECT_FALSE(hidden->HandleAllocated() && IsWindowVisible(hidden->Handle()));
  app.UnhookMainWindow(this);
  EXPECT_EQ(events, (std::vector<std::string>{"size minimized", "minimize", "size restored", "restore"}));
}

TEST_F(FormsTest, AnUnhandledExceptionIsShownInAMessageBoxTitledWithTheApplication) {
  TWatchdog dog("exception message box");
  app.SetTitle("Converter");
  TForm* main = MakeForm(Bounds(0, 0, 300, 200));
  main->Show();
  Pump();
  std::string shownCaption;
  bool shownText = false;
  Screen()->OnActiveFormChange = [&](TObject*) {
    TCustomForm* box = Screen()->ActiveForm();
    if (!box || box == main) return;
    shownCaption = box->Caption();
    for (int i = 0; i < box->ControlCount(); ++i) shownText = shownText || box->Controls(i)->Caption() == "Disk full.";
    display->KeyDown(VK_RETURN);
    display->KeyUp(VK_RETURN);
  };
  try {
    throw EInOutError("Disk full");
  } catch (...) {
    app.HandleException(&app);
  }
  Screen()->OnActiveFormChange = nullptr;
  EXPECT_EQ(shownCaption, "Converter");
  EXPECT_TRUE(shownText);
}

TEST_F(FormsTest, TheScreensFontsListEveryInstalledFamilyOnceInOrder) {
  TStrings* fonts = Screen()->Fonts();
  ASSERT_GT(fonts->Count(), 0);
  for (int i = 1; i < fonts->Count(); ++i) EXPECT_LT(AnsiCompareText(fonts->Strings(i - 1), fonts->Strings(i)), 0);
  EXPECT_GE(fonts->IndexOf("WenQuanYi Micro Hei"), 0) << "the face Chinese text is drawn with";
}

}  // namespace
