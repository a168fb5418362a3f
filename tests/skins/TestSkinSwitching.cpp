// Switching the program's two stored skins at run time: a main form with its controls, a message
// box shown beside it and a popup menu open on it all follow the container from skin 1 to skin 2
// and back, and come back to exactly what they showed before; nothing is left behind (the
// sanitizers see every window, menu level and layered border freed).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/forms/Velmora.h"
#include "lib/data/vlCompressedSkin.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/dialogs/vlMessages.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "tests/support/ImageCompare.h"
#include "platform/controls/Menus.h"
#include "platform/core/Resources.h"
#include "platform/core/Streams.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedTestForm.h"

namespace {

using skinned_test_form::Pump;

// A skin list holding the program's two embedded skins, as the converter stores them.
void AddStoredSkins(TvlCompressedSkinList& List) {
  for (const char* name : {kvlMainSkinResource, kvlToolSkinResource}) {
    TResourceStream stream(HInstance(), name, RT_RCDATA);
    List.Skins()->Add()->ReadSkin(&stream);
  }
}

int Differing(const std::vector<std::uint32_t>& A, const std::vector<std::uint32_t>& B, int W, int H) {
  return CompareSurfaces(A.data(), W * 4, B.data(), W * 4, W, H, 8, false).DifferingPixels;
}

class SkinSwitchingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    display->MouseMove({799, 599});
    vlUtilsStartup();
    AddStoredSkins(list);
    skin.SetSkinList(&list);
    ASSERT_FALSE(skin.Empty);
  }
  void TearDown() override {
    skin.SetSkinList(nullptr);
    vlUtilsShutdown();
  }

  // The main form: the controls' test form, a push button, a check box, an edit, a combo box and
  // a list box, all following the container, on a form skinned from it.
  TForm* MakeMainForm() {
    TForm* form = CreateForm<TForm>(nullptr);
    form->SetBoundsRect(TRect{0, 0, 440, 420});
    form->SetCaption("视频格式转换");
    skinner = new TvlVelmora(form);
    skinner->SetSkinData(&skin);
    skinned_test_form::BuildTestForm(form, &skin, nullptr);
    auto* button = new TvlSkinButton(form);
    button->SetParent(form);
    button->SetCaption("开始");
    button->SetBounds(12, 310, 80, 28);
    auto* check = new TvlSkinCheckRadioBox(form);
    check->SetParent(form);
    check->SetCaption("完成后关机");
    check->SetChecked(true);
    check->SetBounds(100, 312, 110, 24);
    auto* edit = new TvlSkinEdit(form);
    edit->SetParent(form);
    edit->SetText("旅行记录");
    edit->SetBounds(220, 310, 190, 26);
    auto* combo = new TvlSkinComboBox(form);
    combo->SetParent(form);
    for (const char* s : {"自动", "512 kbps", "1000 kbps"}) combo->Items()->Add(s);
    combo->SetItemIndex(1);
    combo->SetBounds(12, 346, 140, 24);
    auto* box = new TvlSkinListBox(form);
    box->SetParent(form);
    for (const char* s : {"手机", "电脑", "光盘"}) box->Items()->Add(s);
    box->SetBounds(220, 342, 190, 40);
    for (TvlSkinControl* c : std::vector<TvlSkinControl*>{button, check, combo, box}) c->SetSkinData(&skin);
    edit->SetSkinData(&skin);
    return form;
  }

  // Pictures of the main form and the message box as the screen shows them.
  struct Shots {
    std::vector<std::uint32_t> Main, Message;
  };
  // Hover fades and the layered border's fade-in run to their end first.
  Shots Shoot(TForm* Main, TForm* Message) {
    for (int i = 0; i < 16; ++i) {
      clock.Advance(25);
      Pump();
    }
    return {skinned_test_form::Shot(display, Main->BoundsRect()), skinned_test_form::Shot(display, Message->BoundsRect())};
  }

  TvlSkinPopupMenu* OpenMenu(TForm* Form) {
    auto* menu = new TvlSkinPopupMenu(Form);
    for (const char* c : {"打开输出文件夹", "转换后关机", "删除任务"}) {
      auto* i = new TMenuItem(menu->Items());
      i->SetCaption(c);
      menu->Items()->Add(i);
    }
    menu->Popup(60, 80);
    Pump();
    return menu;
  }

  TScopedTestClock clock;
  TApplication app{nullptr};
  THeadlessDisplay* display = nullptr;
  TvlCompressedSkinList list{nullptr};
  TvlSkinData skin{nullptr};
  TvlVelmora* skinner = nullptr;
};

TEST_F(SkinSwitchingTest, EveryOpenWindowFollowsTheSkinAndComesBackUnchanged) {
  std::unique_ptr<TForm> main(MakeMainForm());
  app.SetMainForm(main.get());
  main->Show();
  TvlSkinMessage message(nullptr);
  message.SetSkinData(&skin);
  message.SetCtrlSkinData(&skin);
  TvlSkinMessage::TRequest r;
  r.Msg = "输出文件已存在。要覆盖原有文件吗？";
  r.DlgType = TMsgDlgType::mtConfirmation;
  r.Buttons = TMsgDlgButtons{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo};
  r.X = 460;
  r.Y = 20;
  std::unique_ptr<TvlMessageForm> box(message.CreateMessageForm(r));
  box->Show();

  // The pictures to come back to, taken after a menu has been open once, as in every round.
  OpenMenu(main.get());
  skinner->SkinMenu->Hide();
  const Shots first = Shoot(main.get(), box.get());
  const int mw = main->Width(), mh = main->Height(), bw = box->Width(), bh = box->Height();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    OpenMenu(main.get());
    ASSERT_EQ(skinner->SkinMenu->LevelCount(), 1);

    skin.SetSkinIndex(1);
    Pump();
    EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0) << "the skin change closes the open menu";
    ASSERT_EQ(main->Width(), mw);
    const Shots second = Shoot(main.get(), box.get());
    EXPECT_GT(Differing(second.Main, first.Main, mw, mh), mw * mh / 20) << "the main form takes skin 2";
    EXPECT_GT(Differing(second.Message, first.Message, bw, bh), bw * bh / 20) << "the message box takes skin 2";
    // Skin 2 draws controls only: the forms keep a caption bar of the built-in look.
    EXPECT_GE(main->ClientToScreen(TPoint{0, 0}).Y - main->Top(), 18) << "a caption above the client area";
    EXPECT_GE(box->ClientToScreen(TPoint{0, 0}).Y - box->Top(), 18);
    // A menu opened in skin 2 shows, and goes with the next change.
    OpenMenu(main.get());
    EXPECT_EQ(skinner->SkinMenu->LevelCount(), 1);

    skin.SetSkinIndex(0);
    Pump();
    EXPECT_EQ(skinner->SkinMenu->LevelCount(), 0);
    const Shots back = Shoot(main.get(), box.get());
    EXPECT_LE(Differing(back.Main, first.Main, mw, mh), 0) << "the main form shows skin 1 as before";
    EXPECT_LE(Differing(back.Message, first.Message, bw, bh), 0) << "the message box shows skin 1 as before";
  }
  box.reset();
  app.SetMainForm(nullptr);
  main.reset();
  Pump();
}

}  // namespace
