#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "FormFixture.h"
#include "Watchdog.h"
#include "platform/Application.h"
#include "platform/MessageQueue.h"
#include "platform/Thread.h"
#include "platform/Window.h"

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
  EXPECT_TRUE(app.Title().ends_with("TestApplication")) << app.Title();
  app.SetTitle("转换器");
  app.SetHelpFile("help.chm");
  EXPECT_EQ(app.Title(), "转换器");
  EXPECT_EQ(app.HelpFile(), "help.chm");
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
