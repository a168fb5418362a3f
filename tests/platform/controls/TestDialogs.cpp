// The message box (buttons, answers, the standard icon of its flag, the text beside it), the bell
// and a standard icon shown by a picture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "tests/platform/Watchdog.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Picture.h"
#include "platform/controls/StdCtrls.h"

namespace {

class DialogsTest : public FormWorld {};

TEST_F(DialogsTest, MessageBoxShowsTheButtonsAndIconOfItsFlagsAndAnswersTheChosenButton) {
  struct Case {
    const char* name;
    UINT flags;
    std::vector<std::string> buttons;
    int icon;  // IDI_*, 0 for none
    WORD key;
    int answer;
  };
  const Case cases[] = {
      {"OK", MB_OK, {"OK"}, 0, VK_ESCAPE, IDOK},
      {"OK/Cancel, question", MB_OKCANCEL | MB_ICONQUESTION, {"OK", "Cancel"}, IDI_QUESTION, VK_ESCAPE, IDCANCEL},
      {"Yes/No, warning", MB_YESNO | MB_ICONWARNING, {"&Yes", "&No"}, IDI_EXCLAMATION, VK_ESCAPE, IDNO},
      {"Yes/No/Cancel, error", MB_YESNOCANCEL | MB_ICONSTOP, {"&Yes", "&No", "Cancel"}, IDI_HAND, VK_RETURN, IDYES},
      {"information", MB_OK | MB_ICONINFORMATION, {"OK"}, IDI_ASTERISK, VK_RETURN, IDOK},
  };
  TForm* main = MakeForm(Bounds(0, 0, 300, 200));
  main->Show();
  Pump();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWatchdog dog("message box");
    std::vector<std::string> buttons;
    std::vector<std::uint8_t> iconPixels;
    TRect iconBounds, textBounds;
    Screen()->OnActiveFormChange = [&](TObject*) {
      TCustomForm* box = Screen()->ActiveForm();
      if (!box || box == main) return;
      for (int i = 0; i < box->ControlCount(); ++i) {
        TControl* control = box->Controls(i);
        if (dynamic_cast<TButton*>(control)) buttons.push_back(control->Caption());
        if (auto* image = dynamic_cast<TImage*>(control)) {
          iconPixels = image->Picture()->Icon()->Pixels();
          iconBounds = image->BoundsRect();
        }
        if (dynamic_cast<TLabel*>(control)) textBounds = control->BoundsRect();
      }
      display->KeyDown(c.key);
      display->KeyUp(c.key);
    };
    EXPECT_EQ(ShowMessageBox("转换已完成。", "提示", c.flags), c.answer);
    Screen()->OnActiveFormChange = nullptr;
    EXPECT_EQ(buttons, c.buttons);
    if (c.icon == 0) {
      EXPECT_TRUE(iconPixels.empty());
      continue;
    }
    int w = 0, h = 0;
    std::vector<std::uint8_t> expected;
    ASSERT_TRUE(GetIconPixels(LoadIcon(nullptr, c.icon), w, h, expected));
    EXPECT_EQ(iconPixels, expected) << "the standard icon of the flag";
    EXPECT_GE(textBounds.Left, iconBounds.Right) << "the text stands beside the icon";
  }
}

TEST_F(DialogsTest, EveryBeepRingsTheDisplaysBell) {
  const int before = display->BeepCount();
  for (UINT type : {0u, MB_ICONHAND, MB_ICONASTERISK, MB_SIMPLEBEEP}) EXPECT_TRUE(MessageBeep(type));
  EXPECT_EQ(display->BeepCount(), before + 4);
}

TEST_F(DialogsTest, APictureShowsAStandardIconThroughItsIcon) {
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  (void)picture.Bitmap();
  picture.Icon()->SetHandle(LoadIcon(nullptr, IDI_QUESTION));
  EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr) << "the bitmap made way for an icon";
  EXPECT_EQ(picture.Width(), 32);
  EXPECT_EQ(picture.Height(), 32);
  EXPECT_GE(changes, 3) << "the bitmap, the icon and its image each announced themselves";
}

}  // namespace
