// The dialogs the program shows, driven for real over the main window's skin: each is answered
// once it has become the active window.

#include <gtest/gtest.h>

#include <functional>

#include "app/StandInDialogs.h"
#include "lib/vlSkinCtrlsButtons.h"
#include "lib/vlSkinSelectDirectoryDialog.h"
#include "platform/Forms.h"
#include "tests/app/MainWindowWorld.h"

namespace {

using namespace main_window;

class ProgramDialogsTest : public MainWindowWorld {
 protected:
  void SetUp() override {
    MainWindowWorld::SetUp();
    Start();
    shown.SetSkinData(main->vlSkinData1);
  }
  void TearDown() override {
    Screen()->OnActiveFormChange = nullptr;
    MainWindowWorld::TearDown();
  }

  // Calls Act once on the first active window of type T while Show runs.
  template <class T>
  void AnswerWith(const std::function<void(T*)>& Act) {
    acted = false;
    Screen()->OnActiveFormChange = [this, Act](TObject*) {
      auto* form = dynamic_cast<T*>(Screen()->ActiveForm());
      if (!form || acted) return;
      acted = true;
      Act(form);
    };
  }

  TStandInDialogs shown;
  bool acted = false;
};

TEST_F(ProgramDialogsTest, TheFolderPickerOpensAtTheFolderAndAnswersOkAndCancel) {
  const std::string start = (root / "home").string();
  fs::create_directories(root / "home" / "视频");
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    TFolderDialogState state{"选择输出目录", start};
    std::string title, okText, cancelText;
    AnswerWith<TvlSelDirDlgForm>([&](TvlSelDirDlgForm* form) {
      title = form->Caption();
      okText = form->OkButton->Caption();
      cancelText = form->CancelButton->Caption();
      (ok ? form->OkButton : form->CancelButton)->Click();
    });
    EXPECT_EQ(shown.SelectFolder(state), ok);
    EXPECT_TRUE(acted);
    EXPECT_EQ(title, "选择输出目录");
    EXPECT_EQ(okText, "确定");
    EXPECT_EQ(cancelText, "取消");
    EXPECT_EQ(state.Directory, start) << "OK on the folder it opened at; Cancel leaves it";
  }
}

}  // namespace
