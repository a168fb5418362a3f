// The dialogs the program shows, driven for real over the main window's skin (each is answered
// once it has become the active window), and the window's option chooser on its skinned box.

#include <gtest/gtest.h>

#include <functional>

#include "app/MainWindowControls.h"
#include "app/SkinnedDialogs.h"
#include "lib/dialogs/vlMessages.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/dialogs/vlSkinSelectDirectoryDialog.h"
#include "platform/controls/Forms.h"
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

  TSkinnedDialogs shown;
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

// The window's warnings and errors: the skinned box with the caller's caption, the text and one
// 确定 that closes it.
TEST_F(ProgramDialogsTest, MessagesShowTheSkinnedBoxWithOneOk) {
  const struct {
    TMsgDlgType type;
    const char* caption;
    const char* text;
  } cases[] = {
      {TMsgDlgType::mtInformation, "提示", "列表中最多可以有 501 个文件。"},
      {TMsgDlgType::mtWarning, "QireloVCD视频格式转换器", "文件转换失败：Unknown encoder 'libopencore_amrnb'"},
      {TMsgDlgType::mtError, "QireloVCD视频格式转换器",
       "无法保存设置文件“/nowhere/option.ini”。请确认该文件所在的文件夹可以写入、文件本身不是只读的，然后再试一次。\n"
       "Unable to write to /nowhere/option.ini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string caption, text;
    AnswerWith<TvlMessageForm>([&](TvlMessageForm* form) {
      caption = form->Caption();
      text = form->Message->Caption();
      if (c.type == TMsgDlgType::mtWarning) {
        const TRect r = form->BoundsRect();
        skinned_test_form::CompareWithExpected(skinned_test_form::Shot(display, r), r.Width(), r.Height(),
                                               ExpectedFolder(), "warning_message");
      }
      display->KeyDown(VK_RETURN);
      display->KeyUp(VK_RETURN);
    });
    shown.ShowMessage(c.text, c.caption, c.type);
    EXPECT_TRUE(acted);
    EXPECT_EQ(caption, c.caption);
    EXPECT_EQ(text, c.text);
  }
}

// The overwrite question: the skinned box with "是" (the default, Enter) and "否" (Escape, also
// what closing it answers); a long list of names wraps inside a box of a sensible width.
TEST_F(ProgramDialogsTest, TheQuestionAnswersYesOnlyForYes) {
  std::vector<std::string> names;
  for (int i = 0; i < 12; ++i) names.push_back("一个相当长的输出文件名称_" + std::to_string(i) + ".mp4");
  const std::string question = OverwriteQuestion(names);
  for (const auto& [key, answer] : {std::pair{VK_RETURN, true}, std::pair{VK_ESCAPE, false}}) {
    SCOPED_TRACE(answer);
    std::vector<std::string> buttons;
    int width = 0;
    AnswerWith<TvlMessageForm>([&](TvlMessageForm* form) {
      for (const char* name : {"Yes", "No", "OK"})
        if (auto* b = dynamic_cast<TControl*>(form->FindComponent(name))) buttons.push_back(b->Caption());
      width = form->Width();
      display->KeyDown(key);
      display->KeyUp(key);
    });
    EXPECT_EQ(shown.Confirm(question, "QireloVCD视频格式转换器"), answer);
    EXPECT_TRUE(acted);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_TRUE(buttons[0].starts_with("是")) << buttons[0];
    EXPECT_TRUE(buttons[1].starts_with("否")) << buttons[1];
    EXPECT_LE(width, 600) << "wrapped, not as wide as its longest line";
  }
}

// The option chooser on the skinned combo box keeps the chain's event order: OnChange only when
// the shown text changes; no selection and a cleared list keep the text.
TEST_F(ProgramDialogsTest, TheOptionChooserRaisesOnChangeOnlyWhenItsTextChanges) {
  TOptionChooserBox box(main, main, Box(10, 10, 120, 22), main->vlSkinData2);
  for (const char* item : {"25.00", "29.97", "25.00"}) box.AddItem(item);
  int changes = 0;
  box.SetOnChange([&] { ++changes; });
  const struct {
    const char* step;
    std::function<void()> act;
    int index;
    const char* text;
    int changes;
  } steps[] = {
      {"first item", [&] { box.SetItemIndex(0); }, 0, "25.00", 1},
      {"the same text at another index", [&] { box.SetItemIndex(2); }, 2, "25.00", 1},
      {"another text", [&] { box.Pick(1); }, 1, "29.97", 2},
      {"outside the items", [&] { box.SetItemIndex(7); }, -1, "29.97", 2},
      {"cleared", [&] { box.ClearItems(); }, -1, "29.97", 2},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    s.act();
    EXPECT_EQ(box.ItemIndex(), s.index);
    EXPECT_EQ(box.Text(), s.text);
    EXPECT_EQ(changes, s.changes);
  }
  EXPECT_EQ(box.ItemCount(), 0);
}

}  // namespace
