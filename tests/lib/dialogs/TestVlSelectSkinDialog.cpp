// The skin chooser: what OK, Escape and a double click give back in both variants, the live
// preview (its own skin, re-skinned at every click, never the program's), the listed names, the
// texts and the window's size, and the chooser with nothing to choose from; with scripted input.

#include "lib/dialogs/vlDialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/forms/Velmora.h"
#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "platform/controls/StdCtrls.h"
#include "tests/platform/Watchdog.h"

namespace {

using fixture_skin::Variant;

// Packs a fixture skin variant with its form frame into Stored.
void PackVariant(TvlCompressedStoredSkin* Stored, Variant V) {
  TvlSkinData scratch(nullptr);
  fixture_skin::Fill(scratch, V);
  fixture_skin::AddFrame(scratch, V);
  Stored->LoadFromSkinData(&scratch);
}

class SkinChooser : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    fixture_skin::AddFrame(skin);
    formsBefore = Screen()->FormCount();
    struct Item {
      const char* name;
      const char* description;
      Variant variant;
    };
    for (const Item& i : {Item{"blue", "蓝色", Variant::Standard}, Item{"green", "", Variant::Alternate},
                          Item{"blue2", "蓝色二", Variant::Standard}}) {
      TvlSkinListItem* item = list.Skins()->Add();
      item->Name = i.name;
      item->Description = i.description;
      PackVariant(item->Skin(), i.variant);
    }
    dialog.SetSkinList(&list);
    dialog.SetSkinData(&skin);
    dialog.SetCtrlSkinData(&skin);
  }
  void TearDown() override {
    Screen()->OnActiveFormChange = nullptr;
    skin.SetResourceStrData(nullptr);
    SkinnedControlsWorld::TearDown();
  }

  // Runs Execute (Run answers it) with Act called once the window has become active. The
  // window must be gone afterwards.
  bool Run(const std::function<bool()>& Execute, const std::function<void(TvlSelectSkinDlgForm*)>& Act) {
    TWatchdog dog("skin chooser");
    bool acted = false;
    Screen()->OnActiveFormChange = [&](TObject*) {
      auto* form = dynamic_cast<TvlSelectSkinDlgForm*>(Screen()->ActiveForm());
      if (!form || acted) return;
      acted = true;
      TWeak<TvlSelectSkinDlgForm> alive(form);
      Act(form);
      // The act may have handled every waiting message itself: wake the modal loop.
      if (alive) PostMessage(form->Handle(), WM_NULL, 0, 0);
    };
    const bool result = Execute();
    Screen()->OnActiveFormChange = nullptr;
    EXPECT_TRUE(acted);
    EXPECT_EQ(Screen()->FormCount(), formsBefore) << "the dialog's forms are freed";
    EXPECT_EQ(dialog.DialogForm(), nullptr);
    return result;
  }
  bool RunIndex(int Start, const std::function<void(TvlSelectSkinDlgForm*)>& Act) {
    return Run([&] { return dialog.Execute(Start); }, Act);
  }

  void Press(WORD key) {
    display->KeyDown(key);
    display->KeyUp(key);
  }

  // Clicks (or double-clicks) line Row of the chooser's list.
  void ClickRow(TvlSelectSkinDlgForm* form, int Row, bool Double = false) {
    TvlListBox* inner = form->SkinsListBox->ListBox;
    const TRect r = inner->ItemRect(Row);
    const TPoint p = inner->ClientToScreen(TPoint{r.Left + 10, (r.Top + r.Bottom) / 2});
    display->MouseMove(p);
    display->Click(p);
    if (Double) display->Click(p);
    Pump();
  }

  static std::vector<std::string> Lines(TvlSelectSkinDlgForm* form) {
    std::vector<std::string> out;
    for (int i = 0; i < form->SkinsListBox->Items()->Count(); ++i) out.push_back(form->SkinsListBox->Items()->Strings(i));
    return out;
  }

  TvlCompressedSkinList list{nullptr};
  TvlSelectSkinDialog dialog{nullptr};
  int formsBefore = 0;
};

TEST_F(SkinChooser, OkGivesTheStartIndexEscapeAndCancelGiveNothing) {
  struct Case {
    const char* what;
    std::function<void(TvlSelectSkinDlgForm*)> act;
    bool result;
    int selected;
  };
  const Case cases[] = {
      {"Enter", [this](TvlSelectSkinDlgForm*) { Press(VK_RETURN); }, true, 1},
      {"OK button", [this](TvlSelectSkinDlgForm* f) { Click(f->OpenButton); }, true, 1},
      {"Escape", [this](TvlSelectSkinDlgForm*) { Press(VK_ESCAPE); }, false, -1},
      {"Cancel button", [this](TvlSelectSkinDlgForm* f) { Click(f->CancelButton); }, false, -1},
      {"closed", [](TvlSelectSkinDlgForm* f) { PostMessage(f->Handle(), WM_CLOSE, 0, 0); }, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool startShown = false;
    EXPECT_EQ(RunIndex(1, [&](TvlSelectSkinDlgForm* form) {
                startShown = form->SkinsListBox->ItemIndex() == 1 && form->PreviewSkinData->SkinIndex() == 1 &&
                             !form->PreviewSkinData->Empty;
                c.act(form);
              }),
              c.result);
    EXPECT_TRUE(startShown);
    EXPECT_EQ(dialog.SelectedSkinIndex(), c.selected);
  }
}

TEST_F(SkinChooser, AClickPreviewsLiveAndADoubleClickConfirmsThatLine) {
  // The program's own skin is a changed copy: the chooser must never touch it.
  const int programButton = skin.GetControlIndex("button");
  EXPECT_TRUE(RunIndex(0, [&](TvlSelectSkinDlgForm* form) {
    EXPECT_EQ(form->ActiveControl(), form->SkinsListBox->ListBox);
    TvlSkinData* preview = form->PreviewSkinData;
    const TPoint frame = form->ClientToScreen(TPoint{190 + 2, 10 + 2});
    auto changedPixels = [&](const TScreenShot& a, const TScreenShot& b, TControl* c) {
      const TPoint o = c->ClientToScreen(TPoint{0, 0});
      int changed = 0;
      for (int y = 0; y < c->Height(); ++y)
        for (int x = 0; x < c->Width(); ++x) changed += a.At({o.X + x, o.Y + y}) != b.At({o.X + x, o.Y + y});
      return changed;
    };
    const TScreenShot blue = ScreenShot();

    ClickRow(form, 1);
    EXPECT_EQ(preview->SkinIndex(), 1);
    EXPECT_NE(form->PreviewButton->SkinIndex(), -1);
    const TScreenShot green = ScreenShot();
    EXPECT_GT(changedPixels(blue, green, form->PreviewButton), form->PreviewButton->Width())
        << "the sample button is painted in the new skin";
    // The frame of the preview window too (its corner lies in the frame).
    EXPECT_NE(blue.At(frame), green.At(frame));
    EXPECT_EQ(changedPixels(blue, green, form->CancelButton), 0) << "the dialog keeps its skin";

    ClickRow(form, 2, true);
  }));
  EXPECT_EQ(dialog.SelectedSkinIndex(), 2);
  EXPECT_EQ(skin.GetControlIndex("button"), programButton);
  EXPECT_EQ(skin.SkinIndex(), 0);
}

TEST_F(SkinChooser, ThePreviewNeverTakesTheFocusOrInput) {
  RunIndex(0, [&](TvlSelectSkinDlgForm* form) {
    EXPECT_FALSE(form->PreviewForm->Enabled());
    EXPECT_TRUE(form->PreviewVMR->PreviewMode);
    // The focus reaches the list once the activation is over; give it now.
    form->SkinsListBox->ListBox->SetFocus();
    Click(form->PreviewButton);
    Click(form->PreviewForm);
    EXPECT_EQ(form->ActiveControl(), form->SkinsListBox->ListBox);
    EXPECT_EQ(GetFocus(), form->SkinsListBox->ListBox->Handle());
    EXPECT_EQ(Screen()->ActiveForm(), form);
    Press(VK_ESCAPE);
  });
}

// A start index outside the list shows the built-in preview; confirming it names no skin, so
// nothing is chosen (the caller never gets an index it cannot load).
TEST_F(SkinChooser, OnlyAnIndexOfTheListIsEverGivenBack) {
  for (int start : {-1, 3, 99}) {
    SCOPED_TRACE(start);
    bool builtIn = false;
    EXPECT_FALSE(RunIndex(start, [&](TvlSelectSkinDlgForm* form) {
      builtIn = form->PreviewSkinData->Empty && form->SkinsListBox->ItemIndex() == -1;
      Press(VK_RETURN);
    }));
    EXPECT_TRUE(builtIn);
    EXPECT_EQ(dialog.SelectedSkinIndex(), -1);
  }
  // After a click the index is a real one again.
  EXPECT_TRUE(RunIndex(99, [&](TvlSelectSkinDlgForm* form) {
    ClickRow(form, 1);
    Press(VK_RETURN);
  }));
  EXPECT_EQ(dialog.SelectedSkinIndex(), 1);
}

TEST_F(SkinChooser, NothingToChooseFromGivesFalseWithoutAWindow) {
  // Index variant without a list: the result of the last run stays.
  EXPECT_TRUE(RunIndex(2, [&](TvlSelectSkinDlgForm*) { Press(VK_RETURN); }));
  dialog.SetSkinList(nullptr);
  EXPECT_FALSE(dialog.Execute(0));
  EXPECT_EQ(dialog.SelectedSkinIndex(), 2);

  // Stored-skin variant on a form without stored skins, and a dialog without an owner.
  TForm* owner = MakeForm(Bounds(0, 0, 50, 50));
  auto* onForm = new TvlSelectSkinDialog(owner);
  TvlSelectSkinDialog orphan(nullptr);
  for (TvlSelectSkinDialog* d : {onForm, &orphan}) {
    EXPECT_FALSE(d->Execute(static_cast<TvlCompressedStoredSkin*>(nullptr)));
    EXPECT_EQ(d->SelectedSkin(), nullptr);
  }
  EXPECT_EQ(Screen()->FormCount(), formsBefore + 1);
}

TEST_F(SkinChooser, ListsItemsByDescriptionElseName) {
  RunIndex(0, [&](TvlSelectSkinDlgForm* form) {
    EXPECT_EQ(Lines(form), (std::vector<std::string>{"蓝色", "green", "蓝色二"}));
    Press(VK_ESCAPE);
  });
}

TEST_F(SkinChooser, TheStoredSkinsOfTheOwnerFormAreChosenByObject) {
  TForm* owner = MakeForm(Bounds(0, 0, 50, 50));
  auto* first = new TvlCompressedStoredSkin(owner);
  first->SetName("vlStoredBlue");
  PackVariant(first, Variant::Standard);
  new TButton(owner);  // not a stored skin: not listed
  auto* second = new TvlCompressedStoredSkin(owner);
  second->SetName("vlStoredGreen");
  second->Description = "绿色";
  PackVariant(second, Variant::Alternate);
  auto* stray = new TvlCompressedStoredSkin(nullptr);  // on no form
  std::unique_ptr<TvlCompressedStoredSkin> strayOwner(stray);
  auto* chooser = new TvlSelectSkinDialog(owner);
  chooser->SetCtrlSkinData(&skin);
  formsBefore = Screen()->FormCount();
  auto run = [&](TvlCompressedStoredSkin* start, const std::function<void(TvlSelectSkinDlgForm*)>& act) {
    return Run([&] { return chooser->Execute(start); }, act);
  };

  // The default one starts selected and previewed; OK gives it back.
  EXPECT_TRUE(run(second, [&](TvlSelectSkinDlgForm* form) {
    EXPECT_EQ(Lines(form), (std::vector<std::string>{"vlStoredBlue", "绿色"}));
    EXPECT_EQ(form->SkinsListBox->ItemIndex(), 1);
    EXPECT_EQ(form->SelectedSkin(), second);
    Press(VK_RETURN);
  }));
  EXPECT_EQ(chooser->SelectedSkin(), second);

  // A default that is not on the form starts at the first row; a click previews another.
  EXPECT_TRUE(run(stray, [&](TvlSelectSkinDlgForm* form) {
    EXPECT_EQ(form->SkinsListBox->ItemIndex(), 0);
    EXPECT_EQ(form->PreviewSkinData->CompressedStoredSkin(), first);
    ClickRow(form, 1);
    EXPECT_EQ(form->SelectedSkin(), second);
    ClickRow(form, 0);
    Press(VK_RETURN);
  }));
  EXPECT_EQ(chooser->SelectedSkin(), first);

  // Cancel clears the result; a chosen skin freed later is forgotten.
  EXPECT_TRUE(run(first, [&](TvlSelectSkinDlgForm*) { Press(VK_RETURN); }));
  delete first;
  EXPECT_EQ(chooser->SelectedSkin(), nullptr);
  EXPECT_FALSE(run(second, [&](TvlSelectSkinDlgForm*) { Press(VK_ESCAPE); }));
  EXPECT_EQ(chooser->SelectedSkin(), nullptr);
}

TEST_F(SkinChooser, TextsComeFromTheControlSkinsTable) {
  TvlResourceStrData table(nullptr);
  TStringList lines;
  for (const char* line : {"MSG_PREVIEWSKIN=预览", "MSG_PREVIEWBUTTON=按钮", "MSG_BTN_OK=确定", "MSG_BTN_CANCEL=取消"})
    lines.Add(line);
  table.SetResStrings(&lines);
  TvlResourceStrData partial(nullptr);
  TStringList one;
  one.Add("MSG_BTN_OK=好");
  partial.SetResStrings(&one);
  struct Case {
    const char* what;
    TvlResourceStrData* table;
    std::vector<std::string> texts;  // preview caption, sample button, OK, Cancel
  };
  const Case cases[] = {
      {"built-in", nullptr, {"Preview", "Button", "OK", "Cancel"}},
      {"table", &table, {"预览", "按钮", "确定", "取消"}},
      {"table without most keys", &partial, {"", "", "好", ""}},
  };
  dialog.Title = "选择皮肤";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    skin.SetResourceStrData(c.table);
    RunIndex(0, [&](TvlSelectSkinDlgForm* form) {
      EXPECT_EQ(form->Caption(), "选择皮肤");
      EXPECT_EQ((std::vector<std::string>{form->PreviewForm->Caption(), form->PreviewButton->Caption(),
                                          form->OpenButton->Caption(), form->CancelButton->Caption()}),
                c.texts);
      EXPECT_EQ(form->PreviewSkinData->ResourceStrData(), c.table);
      EXPECT_TRUE(form->OpenButton->Default());
      EXPECT_TRUE(form->CancelButton->Cancel);
      Press(VK_ESCAPE);
    });
  }
}

TEST_F(SkinChooser, TheClientAreaIsAtLeastTheFrameSkinsMinimum) {
  for (bool skinned : {false, true}) {
    SCOPED_TRACE(skinned ? "skinned frame" : "no frame skin");
    dialog.SetSkinData(skinned ? &skin : nullptr);
    RunIndex(0, [&](TvlSelectSkinDlgForm* form) {
      const int minW = skinned ? form->VMR->GetMinWidth() : 0;
      const int minH = skinned ? form->VMR->GetMinHeight() : 0;
      EXPECT_EQ(form->ClientWidth(), std::max(420, minW));
      EXPECT_EQ(form->ClientHeight(), std::max(240, minH));
      EXPECT_EQ(form->PreviewForm->BoundsRect(), Bounds(190, 10, 220, 170));
      EXPECT_EQ(form->SkinsListBox->BoundsRect(), Bounds(10, 10, 170, 170));
      EXPECT_EQ(form->OpenButton->Left(), 260);
      EXPECT_EQ(form->CancelButton->Left(), 340);
      Press(VK_ESCAPE);
    });
  }
}

}  // namespace
