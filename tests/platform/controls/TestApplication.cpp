#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"
#include "platform/controls/Application.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/Thread.h"
#include "platform/windowing/Window.h"

namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  TApplication app{nullptr};
  std::vector<std::string> log;
  HWND window = AllocateHWnd([this](TMessage& m) {
    if (m.Msg == WM_USER) log.push_back("user " + std::to_string(m.WParam));
    if (m.Msg == WM_USER + 1) throw EConvertError("handler failed");
    if (m.Msg == WM_CLOSE) app.Terminate();
  });
  ~ApplicationTest() override { DeallocateHWnd(window); }
};

TEST_F(ApplicationTest, IsTheCurrentApplicationWhileItLives) {
  EXPECT_EQ(Application(), &app);
  {
    TApplication inner(nullptr);
    EXPECT_EQ(Application(), &inner);
  }
  EXPECT_EQ(Application(), &app);
  // The title defaults to the program's file name.
  EXPECT_TRUE(app.ExeName().ends_with("/" + app.Title())) << app.ExeName();
  EXPECT_EQ(app.Title(), "tests_platform");
  app.SetTitle("转换器");
  app.SetHelpFile("help.chm");
  EXPECT_EQ(app.Title(), "转换器");
  EXPECT_EQ(app.HelpFile(), "help.chm");
}

TEST_F(ApplicationTest, HelpRequestsGoToOnHelpAndFailWithoutIt) {
  EXPECT_FALSE(app.HelpContext(12)) << "no help viewer of its own";
  std::vector<std::intptr_t> asked;
  app.OnHelp = [&](WORD Command, std::intptr_t Data, bool&) {
    EXPECT_EQ(Command, HELP_CONTEXT);
    asked.push_back(Data);
    return Data != 0;
  };
  EXPECT_TRUE(app.HelpContext(12));
  EXPECT_FALSE(app.HelpContext(0));
  EXPECT_EQ(asked, (std::vector<std::intptr_t>{12, 0}));
}

TEST_F(ApplicationTest, MainFormIsForgottenWhenFreed) {
  auto* form = new TComponent(nullptr);
  app.SetMainForm(form);
  EXPECT_EQ(app.MainForm(), form);
  delete form;
  EXPECT_EQ(app.MainForm(), nullptr);
}

TEST_F(ApplicationTest, RunDispatchesUntilTerminateAndOnMessageCanSwallow) {
  TWatchdog dog("Run until Terminate");
  app.Initialize();
  app.OnMessage = [&](MSG& msg, bool& handled) {
    if (msg.message == WM_USER && msg.wParam == 2) {
      log.push_back("swallowed 2");
      handled = true;
    }
  };
  PostMessage(window, WM_USER, 1, 0);
  PostMessage(window, WM_USER, 2, 0);
  PostMessage(window, WM_CLOSE, 0, 0);
  PostMessage(window, WM_USER, 3, 0);  // before the quit that WM_CLOSE posts
  app.Run();
  EXPECT_TRUE(app.Terminated());
  EXPECT_EQ(log, (std::vector<std::string>{"user 1", "swallowed 2", "user 3"}));
}

TEST_F(ApplicationTest, KeyedMessageHooksChainNewestFirstAndSurviveOutOfOrderRemoval) {
  // Three components hook the loop the way skinned menus and popups do: each stores its own
  // key, and they leave in an order unrelated to their arrival.
  int menuBar = 0, imagesMenu = 0, preview = 0;
  std::vector<std::string> seen;
  auto recorder = [&](const std::string& name, WPARAM swallow) {
    return [&seen, name, swallow](MSG& msg, bool& handled) {
      if (msg.message != WM_USER) return;
      seen.push_back(name + " " + std::to_string(msg.wParam));
      if (msg.wParam == swallow) handled = true;
    };
  };
  app.OnMessage = recorder("OnMessage", 0);
  app.AddMessageHook(recorder("bar", 1), &menuBar);
  app.AddMessageHook(recorder("images", 2), &imagesMenu);
  app.AddMessageHook(recorder("preview", 0), &preview);
  EXPECT_TRUE(app.HasMessageHook(&imagesMenu));

  struct Case {
    const char* what;
    std::function<void()> change;
    WPARAM posted;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"all three, newest first, then OnMessage", [] {}, 5,
       {"preview 5", "images 5", "bar 5", "OnMessage 5", "user 5"}},
      {"a hook that handles ends the chain and the dispatch", [] {}, 2, {"preview 2", "images 2"}},
      {"the middle hook leaves first", [&] { app.RemoveMessageHook(&imagesMenu); }, 2,
       {"preview 2", "bar 2", "OnMessage 2", "user 2"}},
      {"re-adding under a present key replaces and makes it newest",
       [&] { app.AddMessageHook(recorder("bar again", 0), &menuBar); }, 1,
       {"bar again 1", "preview 1", "OnMessage 1", "user 1"}},
      {"removing an unknown key changes nothing", [&] { app.RemoveMessageHook(&seen); }, 3,
       {"bar again 3", "preview 3", "OnMessage 3", "user 3"}},
      {"the rest leave", [&] {
         app.RemoveMessageHook(&preview);
         app.RemoveMessageHook(&menuBar);
       }, 4, {"OnMessage 4", "user 4"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    seen.clear();
    log.clear();
    PostMessage(window, WM_USER, c.posted, 0);
    app.ProcessMessages();
    seen.insert(seen.end(), log.begin(), log.end());
    EXPECT_EQ(seen, c.expected);
  }
  EXPECT_FALSE(app.HasMessageHook(&menuBar));
}

TEST_F(ApplicationTest, AMessageHookMayRemoveItselfAndOthersWhileRunning) {
  int first = 0, second = 0;
  std::vector<std::string> seen;
  app.AddMessageHook([&](MSG& msg, bool&) {
    if (msg.message != WM_USER) return;
    seen.push_back("first");
  }, &first);
  app.AddMessageHook([&](MSG& msg, bool&) {
    if (msg.message != WM_USER) return;
    seen.push_back("second");
    app.RemoveMessageHook(&second);  // frees this very function while it runs
    app.RemoveMessageHook(&first);
  }, &second);
  PostMessage(window, WM_USER, 1, 0);
  PostMessage(window, WM_USER, 2, 0);
  app.ProcessMessages();
  // A hook removed while the chain runs is not called afterwards: its owner may be gone.
  EXPECT_EQ(seen, (std::vector<std::string>{"second"}));
  EXPECT_EQ(log, (std::vector<std::string>{"user 1", "user 2"}));
}

TEST_F(ApplicationTest, RunServesWorkerThreadsCalls) {
  TWatchdog dog("Run serves Synchronize");
  std::vector<int> order;
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) TThread::Queue(nullptr, [&, i] { order.push_back(i); });
    TThread::Synchronize(nullptr, [&] { order.push_back(50); });
    PostMessage(window, WM_CLOSE, 0, 0);
  });
  app.Run();
  worker.join();
  ASSERT_EQ(order.size(), 51u);
  for (int i = 0; i <= 50; ++i) EXPECT_EQ(order[i], i);
}

TEST_F(ApplicationTest, AnExceptionInAHandlerIsReportedAndTheLoopGoesOn) {
  TWatchdog dog("Run with a failing handler");
  std::vector<std::string> reported;
  app.OnException = [&](TObject* sender, const Exception& e) {
    reported.push_back(e.Message);
    EXPECT_EQ(sender, &app);
  };
  PostMessage(window, WM_USER + 1, 0, 0);
  PostMessage(window, WM_USER, 7, 0);
  PostMessage(window, WM_CLOSE, 0, 0);
  app.Run();
  EXPECT_EQ(reported, std::vector<std::string>{"handler failed"});
  EXPECT_EQ(log, std::vector<std::string>{"user 7"});
}

TEST_F(ApplicationTest, OnIdleRunsWhenTheQueueIsEmpty) {
  TWatchdog dog("OnIdle");
  int idle_calls = 0;
  app.OnIdle = [&](TObject* sender, bool& done) {
    EXPECT_EQ(sender, &app);
    ++idle_calls;
    done = false;  // call again without waiting
    if (idle_calls == 3) PostMessage(window, WM_USER, 1, 0);
    if (idle_calls == 5) app.Terminate();
  };
  app.Run();
  EXPECT_EQ(idle_calls, 5);
  EXPECT_EQ(log, std::vector<std::string>{"user 1"});
}

TEST_F(ApplicationTest, ProcessMessagesDispatchesWhatIsWaitingAndReturns) {
  PostMessage(window, WM_USER, 1, 0);
  PostMessage(window, WM_USER, 2, 0);
  app.ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"user 1", "user 2"}));
  EXPECT_FALSE(app.Terminated());
}

struct MainFormCase {
  const char* name;
  bool showMainForm;
  TWindowState state;
  bool shown;
};

// A fresh application per case: once Run has ended, the application stays terminated.
class ApplicationMainFormTest : public FormWorld, public ::testing::WithParamInterface<MainFormCase> {};

TEST_P(ApplicationMainFormTest, RunShowsTheMainFormUnlessShowMainFormIsOff) {
  const MainFormCase& c = GetParam();
  TWatchdog dog("Run with a main form");
  TForm* form = MakeForm(Bounds(10, 10, 200, 100));
  form->SetWindowState(c.state);
  ASSERT_FALSE(form->Visible()) << "a form is made hidden";
  app.SetMainForm(form);
  app.ShowMainForm = c.showMainForm;
  bool visibleInLoop = false;
  app.OnIdle = [&](TObject*, bool& done) {
    visibleInLoop = form->HandleAllocated() && IsWindowVisible(form->Handle());
    done = false;
    app.Terminate();
  };
  app.Run();
  EXPECT_EQ(form->Visible(), c.shown);
  EXPECT_EQ(visibleInLoop, c.shown);
  if (c.shown) {
    EXPECT_EQ(form->WindowState(), c.state);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ApplicationMainFormTest,
                         ::testing::Values(MainFormCase{"Shown", true, TWindowState::wsNormal, true},
                                           MainFormCase{"KeptHidden", false, TWindowState::wsNormal, false},
                                           MainFormCase{"ShownMinimized", true, TWindowState::wsMinimized, true}),
                         [](const ::testing::TestParamInfo<MainFormCase>& info) { return std::string(info.param.name); });

}  // namespace
