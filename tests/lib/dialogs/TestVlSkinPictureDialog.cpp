// The picture dialogs: the window of a first run, the preview of a selected picture at its own
// size and stretched, folders and damaged or unknown pictures in the list, the initial preview,
// what the dialog remembers between runs, and the names the save dialog completes; with scripted
// input against the temporary shell tree of the tests.

#include "lib/dialogs/vlSkinPictureDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/dialogs/vlFileCtrl.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/dialogs/vlSkinShellListView.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/graphics/Picture.h"
#include "tests/platform/Watchdog.h"

namespace {

class PictureDialog : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    fixture_skin::AddFrame(skin);
    formsBefore = Screen()->FormCount();
    folder = tree.Usb + "/pictures";
    TShellTestTree::MakeFolder(folder + "/holiday");
    TBitmap tall;
    tall.SetSize(40, 300);
    tall.SaveToFile(folder + "/tall.bmp");
    TBitmap small;
    small.SetSize(20, 10);
    small.SaveToFile(folder + "/small.bmp");
    // A bitmap cut after its header, text named as a picture, and a metafile (no picture class
    // here).
    std::string broken = TShellTestTree::Read(folder + "/tall.bmp").substr(0, 60);
    TShellTestTree::Write(folder + "/broken.bmp", broken);
    TShellTestTree::Write(folder + "/notes.bmp", "not a picture at all");
    TShellTestTree::Write(folder + "/drawing.emf", std::string(200, '\1'));
  }
  void TearDown() override {
    Screen()->OnActiveFormChange = nullptr;
    SkinnedControlsWorld::TearDown();
  }

  bool Run(TvlSkinOpenPictureDialog& D, const std::function<void(TvlOpenPictureDlgForm*)>& Act) {
    TWatchdog dog("picture dialog", 60000);
    bool acted = false;
    Screen()->OnActiveFormChange = [&](TObject*) {
      auto* form = dynamic_cast<TvlOpenPictureDlgForm*>(Screen()->ActiveForm());
      if (!form || acted) return;
      acted = true;
      Act(form);
      if (form->ModalResult() == mrNone) PostMessage(form->Handle(), WM_CLOSE, 0, 0);
    };
    const bool result = D.Execute();
    Screen()->OnActiveFormChange = nullptr;
    EXPECT_TRUE(acted);
    EXPECT_EQ(Screen()->FormCount(), formsBefore) << "the dialog's form is freed";
    return result;
  }

  // Selects the row named Name (a file or a folder).
  static void Select(TvlOpenPictureDlgForm* form, const std::string& name) {
    TvlSkinFileListView* list = form->FileListView;
    for (int i = 0; i < list->FolderCount(); ++i)
      if (list->FolderAt(i)->DisplayName() == name) {
        list->SelectItem(i, true);
        return;
      }
    ADD_FAILURE() << "no row " << name;
  }
  static TSize ImageSize(TvlOpenPictureDlgForm* form) { return {form->Image->Width(), form->Image->Height()}; }
  static TSize PictureSize(TvlOpenPictureDlgForm* form) {
    return {form->Image->Picture()->Width(), form->Image->Picture()->Height()};
  }

  TShellTestTree tree;
  std::string folder;
  TvlSkinOpenPictureDialog dialog{nullptr};
  int formsBefore = 0;
};

TEST_F(PictureDialog, AFirstRunOpensTheDefaultWindowAndTheSaveVariantSaves) {
  TvlSkinSavePictureDialog save(nullptr);
  struct Case {
    TvlSkinOpenPictureDialog* dialog;
    std::string title, button;
  };
  for (const Case& c : {Case{&dialog, "Open picture", "&Open"}, Case{&save, "Save file", "&Save"}}) {
    SCOPED_TRACE(c.title);
    c.dialog->InitialDir = folder;
    Run(*c.dialog, [&](TvlOpenPictureDlgForm* form) {
      EXPECT_EQ(form->Caption(), c.title);
      EXPECT_EQ(form->OpenButton->Caption(), c.button);
      EXPECT_EQ(form->ClientWidth(), 550);
      EXPECT_EQ(form->ClientHeight(), 290);
      EXPECT_EQ(form->ImagePanel->Width(), 190);
      EXPECT_EQ(form->FilterComboBox->Items()->Strings(0), "All (*.bmp;*.ico;*.emf;*.wmf)");
      EXPECT_EQ(form->FilterComboBox->Items()->Count(), 5);
      EXPECT_EQ(form->ActiveControl(), form->FileNameEdit);
      // Left to right: the file list, the splitter, the pane.
      EXPECT_LT(form->FileListViewPanel->Left(), form->Splitter->Left());
      EXPECT_EQ(form->Splitter->Left() + form->Splitter->Width(), form->ImagePanel->Left());
      EXPECT_GT(form->StretchButton->Left(), form->StyleToolButton->Left()) << "the stretch button comes last";
    });
  }
}

TEST_F(PictureDialog, APictureShowsAtItsSizeOrStretchedAndAFolderShrinksIt) {
  dialog.InitialDir = folder;
  Run(dialog, [&](TvlOpenPictureDlgForm* form) {
    Select(form, "tall.bmp");
    EXPECT_EQ(form->FileNameEdit->Text(), "tall.bmp");
    EXPECT_EQ(ImageSize(form), (TSize{40, 300}));
    EXPECT_TRUE(form->SBVScrollBar->Visible()) << "taller than the pane";
    EXPECT_FALSE(form->SBHScrollBar->Visible());
    EXPECT_EQ(form->SBVScrollBar->Max(), 299);

    Click(form->StretchButton);
    EXPECT_TRUE(form->StretchButton->Down());
    EXPECT_TRUE(form->Image->Stretch());
    EXPECT_EQ(form->Image->BoundsRect(), form->ScrollBox->ClientRect()) << "fills the scroll box";
    EXPECT_FALSE(form->SBVScrollBar->Visible()) << "nothing to scroll";
    Select(form, "small.bmp");
    EXPECT_EQ(PictureSize(form), (TSize{20, 10}));
    EXPECT_EQ(form->Image->BoundsRect(), form->ScrollBox->ClientRect()) << "a stretched preview keeps its size";

    Select(form, "tall.bmp");
    Click(form->StretchButton);
    EXPECT_FALSE(form->Image->Stretch());
    EXPECT_EQ(ImageSize(form), (TSize{40, 300}));
    EXPECT_TRUE(form->SBVScrollBar->Visible()) << "the natural size scrolls again";

    Select(form, "holiday");
    EXPECT_EQ(form->FileNameEdit->Text(), "");
    EXPECT_EQ(ImageSize(form), (TSize{0, 0}));
  });
}

// A file that cannot be shown gives the empty preview; the dialog stays usable and nothing is
// raised out of the selection.
TEST_F(PictureDialog, DamagedUnknownAndMetafilePicturesShowTheEmptyPreview) {
  dialog.InitialDir = folder;
  Run(dialog, [&](TvlOpenPictureDlgForm* form) {
    for (const char* name : {"broken.bmp", "notes.bmp", "drawing.emf"}) {
      SCOPED_TRACE(name);
      Select(form, "tall.bmp");
      ASSERT_EQ(ImageSize(form), (TSize{40, 300}));
      EXPECT_NO_THROW(Select(form, name));
      EXPECT_EQ(form->FileNameEdit->Text(), name);
      EXPECT_EQ(form->Image->Picture()->Graphic(), nullptr);
      EXPECT_EQ(ImageSize(form), (TSize{0, 0}));
      EXPECT_FALSE(form->SBVScrollBar->Visible());
    }
  });
}

TEST_F(PictureDialog, TheInitialFileIsPreviewedWhenItIsAPicture) {
  struct Case {
    std::string file;
    TSize shown;
  };
  const Case cases[] = {{folder + "/small.bmp", {20, 10}}, {folder + "/broken.bmp", {0, 0}}, {folder + "/gone.bmp", {0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    dialog.SetFileName(c.file);
    TSize shown{-1, -1};
    std::string edit;
    EXPECT_NO_THROW(Run(dialog, [&](TvlOpenPictureDlgForm* form) {
      shown = ImageSize(form);
      edit = form->FileNameEdit->Text();
    }));
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(edit, c.file.substr(c.file.rfind('/') + 1)) << "the name is in the edit";
  }
}

TEST_F(PictureDialog, StretchAndPaneWidthAreKeptBetweenRuns) {
  dialog.InitialDir = folder;
  Run(dialog, [&](TvlOpenPictureDlgForm* form) {
    Click(form->StretchButton);
    form->ImagePanel->SetWidth(230);
  });
  EXPECT_TRUE(dialog.DialogStretch);
  EXPECT_EQ(dialog.ImagePanelWidth, 230);
  Run(dialog, [&](TvlOpenPictureDlgForm* form) {
    EXPECT_TRUE(form->StretchButton->Down());
    EXPECT_TRUE(form->Image->Stretch());
    EXPECT_EQ(form->ImagePanel->Width(), 230);
    Click(form->StretchButton);
  });
  EXPECT_FALSE(dialog.DialogStretch);
  // StretchPicture opens stretched whatever the last run did.
  dialog.StretchPicture = true;
  Run(dialog, [&](TvlOpenPictureDlgForm* form) { EXPECT_TRUE(form->StretchButton->Down()); });
}

TEST_F(PictureDialog, TheSaveDialogCompletesATypedNameWithTheFiltersExtension) {
  TvlSkinSavePictureDialog save(nullptr);
  save.InitialDir = folder;
  save.Filter = "BMP文件 (*.bmp)|*.bmp|JPEG文件 (*jpg)|*.jpg";
  for (int index : {2, 1}) {
    SCOPED_TRACE(index);
    save.FilterIndex = index;
    EXPECT_TRUE(Run(save, [&](TvlOpenPictureDlgForm* form) {
      form->FileNameEdit->SetText("snap");
      form->OpenButton->Click();
    }));
    EXPECT_EQ(save.FileName(), folder + (index == 2 ? "/snap.jpg" : "/snap.bmp"));
  }
}

TEST_F(PictureDialog, TheEditFilterAndButtonsKeepTheirPlacesWhenTheDialogGrows) {
  dialog.InitialDir = folder;
  Run(dialog, [&](TvlOpenPictureDlgForm* form) {
    const TRect edit = form->FileNameEdit->BoundsRect(), open = form->OpenButton->BoundsRect();
    form->SetClientWidth(700);
    EXPECT_EQ(form->FileNameEdit->BoundsRect(), edit);
    EXPECT_EQ(form->OpenButton->BoundsRect(), open);
    EXPECT_EQ(form->OpenButton->Left(), 370);
  });
}

}  // namespace
