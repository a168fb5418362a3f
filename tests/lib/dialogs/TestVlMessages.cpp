// The skinned message box: the answer of each way out, the default and cancel buttons of every
// button set, texts from the skin's table, the layout and its limits, the position, the "don't
// show again" check box, the form freed on every path, and the dialog drawn headless.

#include "lib/dialogs/vlMessages.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "tests/lib/SkinnedMessageDialog.h"
#include "lib/forms/Velmora.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "platform/controls/Application.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/ImageList.h"
#include "platform/graphics/Picture.h"
#include "tests/platform/Watchdog.h"

namespace {

namespace fs = std::filesystem;

class MessagesTest : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    fixture_skin::AddFrame(skin);
    TStringList lines;
    for (const char* line : skinned_message_dialog::kChineseTexts) lines.Add(line);
    table.SetResStrings(&lines);
    formsBefore = Screen()->FormCount();
  }
  void TearDown() override {
    Screen()->OnActiveFormChange = nullptr;
    skin.SetResourceStrData(nullptr);
    SkinnedControlsWorld::TearDown();
  }

  // Runs Show with Act called once when the message form has become active (its controls are
  // there); answers Show's result. The form must be gone afterwards.
  int WithDialog(const std::function<int()>& Show, const std::function<void(TvlMessageForm*)>& Act) {
    TWatchdog dog("message box");
    bool acted = false;
    Screen()->OnActiveFormChange = [&](TObject*) {
      auto* box = dynamic_cast<TvlMessageForm*>(Screen()->ActiveForm());
      if (!box || acted) return;
      acted = true;
      Act(box);
    };
    const int result = Show();
    Screen()->OnActiveFormChange = nullptr;
    EXPECT_TRUE(acted);
    EXPECT_EQ(Screen()->FormCount(), formsBefore) << "the dialog's form is freed";
    return result;
  }

  void Press(WORD key) {
    display->KeyDown(key);
    display->KeyUp(key);
  }

  static TvlSkinButton* Button(TvlMessageForm* form, const char* name) {
    return dynamic_cast<TvlSkinButton*>(form->FindComponent(name));
  }
  static std::vector<std::string> ButtonNames(TvlMessageForm* form) {
    std::vector<std::string> names;
    for (int i = 0; i < form->ControlCount(); ++i)
      if (dynamic_cast<TvlSkinButton*>(form->Controls(i))) names.push_back(form->Controls(i)->Name());
    return names;
  }

  TvlResourceStrData table{nullptr};
  int formsBefore = 0;
};

TEST_F(MessagesTest, MessageDlg2AnswersOneOnEnterAndTwoWhenTheWindowIsClosed) {
  TvlSkinMessage message(nullptr);
  const auto show = [&] { return message.MessageDlg2("转换已完成。", "提示", TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK}, 0); };
  EXPECT_EQ(WithDialog(show, [&](TvlMessageForm*) { Press(VK_RETURN); }), 1);
  EXPECT_EQ(WithDialog(show, [&](TvlMessageForm* f) { PostMessage(f->Handle(), WM_CLOSE, 0, 0); }), 2);
}

TEST_F(MessagesTest, EachButtonSetHasItsDefaultAndCancelButtons) {
  using B = TMsgDlgBtn;
  const struct {
    const char* name;
    TMsgDlgButtons buttons;
    std::vector<std::string> row;
    const char* defaultButton;  // nullptr: none
    const char* cancelButton;
    int onEnter, onEscape;  // 0: the key does nothing (the window is closed then: 2)
    // Enter presses the default button, which has the focus; without one the first button has
    // it and Enter presses that.
  } cases[] = {
      {"OK", {B::mbOK}, {"OK"}, "OK", "OK", 1, 1},
      {"OK, Cancel", {B::mbOK, B::mbCancel}, {"OK", "Cancel"}, "OK", "Cancel", 1, 2},
      {"Yes, No", {B::mbYes, B::mbNo}, {"Yes", "No"}, "Yes", "No", 6, 7},
      {"Yes, No, Cancel", {B::mbYes, B::mbNo, B::mbCancel}, {"Yes", "No", "Cancel"}, "Yes", "Cancel", 6, 2},
      {"Abort, Retry, Ignore", {B::mbAbort, B::mbRetry, B::mbIgnore}, {"Abort", "Retry", "Ignore"}, "Retry", nullptr, 4, 0},
      {"Close", {B::mbClose}, {"Close"}, nullptr, nullptr, 11, 0},
      {"every button, in row order", {B::mbClose, B::mbHelp, B::mbYesToAll, B::mbNoToAll, B::mbAll, B::mbIgnore, B::mbRetry, B::mbAbort, B::mbCancel, B::mbOK, B::mbNo, B::mbYes},
       {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help", "Close"}, "OK", "Cancel", 1, 2},
  };
  TvlSkinMessage message(nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (WORD key : {VK_RETURN, VK_ESCAPE}) {
      const int expected = key == VK_RETURN ? c.onEnter : c.onEscape;
      const int result = WithDialog(
          [&] { return message.MessageDlg("确定要继续吗？", TMsgDlgType::mtConfirmation, c.buttons, 0); },
          [&](TvlMessageForm* f) {
            EXPECT_EQ(ButtonNames(f), c.row);
            if (c.defaultButton) {
              EXPECT_EQ(f->ActiveControl(), Button(f, c.defaultButton)) << "the default button has the focus";
            }
            for (const std::string& name : c.row) {
              TvlSkinButton* b = Button(f, name.c_str());
              EXPECT_EQ(b->Default(), c.defaultButton && name == c.defaultButton) << name;
              EXPECT_EQ(b->Cancel, c.cancelButton && name == c.cancelButton) << name;
            }
            Press(key);
            // A key without a button to press leaves the dialog open: close it.
            if (expected == 0) PostMessage(f->Handle(), WM_CLOSE, 0, 0);
          });
      EXPECT_EQ(result, expected == 0 ? 2 : expected);
    }
  }
}

TEST_F(MessagesTest, TextsComeFromTheControlSkinsTable) {
  TvlSkinMessage message(nullptr);
  std::vector<std::string> captions;
  std::string formCaption, checkCaption;
  auto record = [&](TvlMessageForm* f) {
    captions.clear();
    for (const std::string& name : ButtonNames(f)) captions.push_back(Button(f, name.c_str())->Caption());
    formCaption = f->Caption();
    checkCaption = f->DisplayCheckBox ? f->DisplayCheckBox->Caption() : "";
    PostMessage(f->Handle(), WM_CLOSE, 0, 0);
  };
  const TMsgDlgButtons buttons{TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel, TMsgDlgBtn::mbClose};
  message.ShowAgainFlag = true;
  WithDialog([&] { return message.MessageDlg("文件已存在。", TMsgDlgType::mtWarning, buttons, 0); }, record);
  EXPECT_EQ(captions, (std::vector<std::string>{"OK", "Cancel", "Close"})) << "built-in texts without a table";
  EXPECT_EQ(formCaption, "Warning");
  EXPECT_EQ(checkCaption, "Do not display this message again");

  skin.SetResourceStrData(&table);
  message.SetCtrlSkinData(&skin);
  WithDialog([&] { return message.MessageDlg("文件已存在。", TMsgDlgType::mtWarning, buttons, 0); }, record);
  EXPECT_EQ(captions, (std::vector<std::string>{"确定", "取消", ""})) << "a key the table lacks gives no text";
  EXPECT_EQ(formCaption, "警告");
  EXPECT_EQ(checkCaption, "不再显示此消息");
  // The check box alone falls back to its built-in text on an empty answer.
  TStringList lines;
  lines.Add("MSG_CAP_SHOWFLAG=");
  table.SetResStrings(&lines);
  WithDialog([&] { return message.MessageDlg("文件已存在。", TMsgDlgType::mtWarning, buttons, 0); }, record);
  EXPECT_EQ(checkCaption, "Do not display this message again");
  EXPECT_EQ(formCaption, "");
  // A custom message shows the application's title and no picture.
  app.SetTitle("视频转换");
  WithDialog([&] { return message.MessageDlg("文件已存在。", TMsgDlgType::mtCustom, buttons, 0); },
             [&](TvlMessageForm* f) {
               auto* image = dynamic_cast<TImage*>(f->FindComponent("Image"));
               ASSERT_NE(image, nullptr);
               EXPECT_TRUE(image->Picture()->Graphic() == nullptr || image->Picture()->Graphic()->Empty());
               record(f);
             });
  EXPECT_EQ(formCaption, "视频转换");
}

TEST_F(MessagesTest, LayoutFollowsTheLabelTheButtonRowAndTheScreen) {
  TvlSkinMessage message(nullptr);
  TvlSkinMessage::TRequest r;
  r.Msg = "转换已完成。";
  r.DlgType = TMsgDlgType::mtInformation;
  r.Buttons = TMsgDlgButtons{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel};
  int lineHeight = 0;
  {
    std::unique_ptr<TvlMessageForm> f(message.CreateMessageForm(r));
    TvlSkinStdLabel* label = f->Message;
    lineHeight = label->Height();
    EXPECT_EQ(label->Left(), 50);
    EXPECT_EQ(label->Top(), 15);
    auto* image = dynamic_cast<TImage*>(f->FindComponent("Image"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->BoundsRect(), Bounds(5, std::max(10, 15 + label->Height() / 2 - 16), 32, 32));
    const int row = 3 * 70 + 2 * 10;
    EXPECT_EQ(f->ClientWidth(), std::max(50 + label->Width(), row) + 40);
    EXPECT_EQ(f->ClientHeight(), 25 + label->Height() + 50) << "built-in buttons are 25 high";
    TvlSkinButton* yes = Button(f.get(), "Yes");
    EXPECT_EQ(yes->BoundsRect(), Bounds((f->ClientWidth() - row) / 2, f->ClientHeight() - 35, 70, 25));
    EXPECT_EQ(Button(f.get(), "No")->Left(), yes->Left() + 80);
  }
  // An empty set: no buttons, the width follows the label.
  r.Buttons = TMsgDlgButtons{};
  {
    std::unique_ptr<TvlMessageForm> f(message.CreateMessageForm(r));
    EXPECT_TRUE(ButtonNames(f.get()).empty());
    EXPECT_EQ(f->ClientWidth(), 50 + f->Message->Width() + 40);
  }
  // Skinned buttons take the height of the skin's button. A long message wraps at 440 pixels:
  // between words, beside Chinese characters, and inside a word (a path) longer than a line; the
  // box grows downwards and stays well inside the screen.
  message.SetCtrlSkinData(&skin);
  r.Buttons = TMsgDlgButtons{TMsgDlgBtn::mbOK};
  const struct {
    const char* what;
    std::string text;
  } longOnes[] = {
      {"one long word", std::string(400, 'W')},
      {"words", [] {
         std::string s;
         for (int i = 0; i < 60; ++i) s += "word ";
         return s;
       }()},
      {"Chinese and a path", "以下 3 个文件转换失败：不是可识别的视频或音频文件 /home/用户/视频/很长很长的文件夹名称/" +
                                 std::string(120, 'x') + ".avi"},
  };
  for (const auto& c : longOnes) {
    SCOPED_TRACE(c.what);
    r.Msg = c.text;
    std::unique_ptr<TvlMessageForm> f(message.CreateMessageForm(r));
    EXPECT_EQ(Button(f.get(), "OK")->Height(), 24);
    EXPECT_EQ(f->Message->Width(), 440);
    EXPECT_GT(f->Message->Height(), 2 * lineHeight) << "several lines";
    EXPECT_EQ(f->ClientWidth(), 50 + 440 + 40);
    EXPECT_EQ(f->ClientHeight(), 24 + f->Message->Height() + 50) << "the box grows with the lines";
  }
  // A message that fits keeps its own width, on one line.
  r.Msg = "甲乙丙";
  {
    std::unique_ptr<TvlMessageForm> f(message.CreateMessageForm(r));
    EXPECT_LT(f->Message->Width(), 440);
    EXPECT_EQ(f->Message->Height(), lineHeight);
  }
  // An "&" in the text is text, not an accelerator.
  r.Msg = "甲&乙";
  std::unique_ptr<TvlMessageForm> withMark(message.CreateMessageForm(r));
  r.Msg = "甲乙";
  std::unique_ptr<TvlMessageForm> without(message.CreateMessageForm(r));
  EXPECT_GT(withMark->Message->Width(), without->Message->Width());
}

TEST_F(MessagesTest, PositionIsCentredBelowMinusTenThousandAndTheOwnerMayMoveIt) {
  TvlSkinMessage message(nullptr);
  const TMsgDlgButtons ok{TMsgDlgBtn::mbOK};
  TRect bounds;
  auto close = [&](TvlMessageForm* f) {
    bounds = f->BoundsRect();
    Press(VK_RETURN);
  };
  WithDialog([&] { return message.MessageDlgPos("甲", TMsgDlgType::mtWarning, ok, 0, -10001, 40); }, close);
  EXPECT_EQ(bounds.Left, (800 - bounds.Width()) / 2);
  WithDialog([&] { return message.MessageDlgPos("甲", TMsgDlgType::mtWarning, ok, 0, -10000, 40); }, close);
  EXPECT_EQ(bounds.Left, -10000);
  EXPECT_EQ(bounds.Top, 40);
  std::vector<int> asked;
  message.OnSetShowPos = [&](int& x, int& y, int w, int h) {
    asked = {x, y, w, h};
    x += 5;
    y = 7;
  };
  WithDialog([&] { return message.MessageDlgPos("甲", TMsgDlgType::mtWarning, ok, 0, 100, 40); }, close);
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0], 100);
  EXPECT_EQ(asked[1], 40);
  EXPECT_EQ((TPoint{bounds.Left, bounds.Top}), (TPoint{105, 7}));
  asked.clear();
  WithDialog([&] { return message.WideMessageDlgPos("甲", TMsgDlgType::mtWarning, ok, 0, 100, 40); }, close);
  EXPECT_TRUE(asked.empty()) << "the wide form does not ask";
}

TEST_F(MessagesTest, TheCheckBoxStartsFromTheFlagAndWritesItBack) {
  TvlSkinMessage message(nullptr);
  message.ShowAgainFlag = true;
  const TMsgDlgButtons ok{TMsgDlgBtn::mbOK};
  bool startedChecked = false;
  auto answer = [&](bool uncheck) {
    return [&, uncheck](TvlMessageForm* f) {
      ASSERT_NE(f->DisplayCheckBox, nullptr);
      startedChecked = f->DisplayCheckBox->Checked();
      if (uncheck) f->DisplayCheckBox->SetChecked(false);
      Press(VK_RETURN);
    };
  };
  message.ShowAgainFlagValue = false;
  WithDialog([&] { return message.MessageDlg("甲", TMsgDlgType::mtInformation, ok, 0); }, answer(false));
  EXPECT_TRUE(startedChecked);
  EXPECT_FALSE(message.ShowAgainFlagValue) << "left checked: not to be shown again";
  WithDialog([&] { return message.MessageDlg("甲", TMsgDlgType::mtInformation, ok, 0); }, answer(true));
  EXPECT_TRUE(message.ShowAgainFlagValue);
  // The wide forms never show it and never change the flag.
  message.ShowAgainFlagValue = false;
  WithDialog([&] { return message.WideMessageDlg("甲", TMsgDlgType::mtInformation, ok, 0); },
             [&](TvlMessageForm* f) {
               EXPECT_EQ(f->DisplayCheckBox, nullptr);
               Press(VK_RETURN);
             });
  EXPECT_FALSE(message.ShowAgainFlagValue);
}

TEST_F(MessagesTest, TheFormIsFreedAndTheFlagWrittenWhenShowingFails) {
  TvlSkinMessage message(nullptr);
  message.ShowAgainFlag = true;
  message.ShowAgainFlagValue = true;
  TWatchdog dog("failing message box");
  Screen()->OnActiveFormChange = [&](TObject*) {
    auto* f = dynamic_cast<TvlMessageForm*>(Screen()->ActiveForm());
    if (!f) return;
    f->DisplayCheckBox->SetChecked(true);  // the user's answer so far
    throw std::runtime_error("no dialog today");
  };
  EXPECT_THROW(message.MessageDlg("甲", TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}, 0), std::runtime_error);
  Screen()->OnActiveFormChange = nullptr;
  EXPECT_EQ(Screen()->FormCount(), formsBefore);
  EXPECT_FALSE(message.ShowAgainFlagValue) << "the check box's answer is written back";
}

TEST_F(MessagesTest, HelpButtonAsksTheApplicationAndLeavesTheDialogOpen) {
  TvlSkinMessage message(nullptr);
  std::vector<std::intptr_t> topics;
  app.OnHelp = [&](WORD, std::intptr_t Data, bool&) {
    topics.push_back(Data);
    return true;
  };
  const int result = WithDialog(
      [&] {
        return message.MessageDlgHelp("甲", TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK, TMsgDlgBtn::mbHelp}, 31,
                                      "converter.chm");
      },
      [&](TvlMessageForm* f) {
        EXPECT_EQ(f->HelpFile, "converter.chm");
        Button(f, "Help")->Click();
        EXPECT_EQ(f->ModalResult(), mrNone);
        Press(VK_RETURN);
      });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(topics, (std::vector<std::intptr_t>{31}));
  app.OnHelp = nullptr;
}

TEST_F(MessagesTest, CustomVariantShowsTheListsImageOnlyForAValidIndex) {
  TvlSkinMessage message(nullptr);
  TImageList images(nullptr);
  images.SetSize(24, 24);
  TBitmap picture;
  picture.SetPixelFormat(TPixelFormat::pf32bit);
  picture.SetSize(24, 24);
  picture.Canvas()->Brush()->SetColor(clNavy);
  picture.Canvas()->FillRect(TRect{0, 0, 24, 24});
  images.Add(&picture, nullptr);
  TvlSkinMessage::TRequest r;
  r.Msg = "甲";
  r.Custom = true;
  r.Images = &images;
  r.Buttons = TMsgDlgButtons{TMsgDlgBtn::mbOK};
  for (int index : {0, 1, -1}) {
    SCOPED_TRACE(index);
    r.ImageIndex = index;
    std::unique_ptr<TvlMessageForm> f(message.CreateMessageForm(r));
    auto* image = dynamic_cast<TImage*>(f->FindComponent("Image"));
    if (index != 0) {
      EXPECT_EQ(image, nullptr);
      continue;
    }
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Width(), 24);
    EXPECT_TRUE(image->Transparent());
  }
}

// ---- The dialog drawn --------------------------------------------------------------------------------

TEST_F(MessagesTest, DialogMatchesItsExpectedPictures) {
  const fs::path expected = skinned_controls_world::SourceFolder() / "expected";
  TvlSkinMessage message(nullptr);
  skinned_message_dialog::RenderAndCompare(display, message, expected, "unskinned_message");
  skin.SetResourceStrData(&table);
  message.SetSkinData(&skin);
  message.SetCtrlSkinData(&skin);
  skinned_message_dialog::RenderAndCompare(display, message, expected, "skinned_message");
}

}  // namespace
