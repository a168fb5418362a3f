// The open and save dialog: where a run starts, what confirming and cancelling leave behind, the
// filter entries and their masks, typed names with their completion, multi-selection, the
// folder history, new folders and the overwrite question; with scripted input against the
// temporary shell tree of the tests.

#include "lib/dialogs/vlSkinOpenDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/ShellTestTree.h"
#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/forms/Velmora.h"
#include "lib/dialogs/vlFileCtrl.h"
#include "lib/dialogs/vlMessages.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinSizeGrip.h"
#include "lib/dialogs/vlSkinShellComboBox.h"
#include "lib/dialogs/vlSkinShellListView.h"
#include "platform/controls/Menus.h"
#include "platform/core/SysUtils.h"
#include "tests/platform/Watchdog.h"

namespace {

// The save form of the picture dialogs is reached through a descendant.
class TTestSaveDialog : public TvlSkinOpenDialog {
 public:
  explicit TTestSaveDialog(TComponent* AOwner) : TvlSkinOpenDialog(AOwner) { FSaveMode = true; }
};

class OpenDialog : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    fixture_skin::AddFrame(skin);
    formsBefore = Screen()->FormCount();
    folder = tree.Usb + "/media";
    TShellTestTree::MakeFolder(folder + "/sub/deeper");
    for (const char* name : {"a.mp4", "b.avi", "c.mp4", "notes.txt", "pic.bmp"})
      TShellTestTree::Write(folder + "/" + name, "x");
  }
  void TearDown() override {
    Screen()->OnActiveFormChange = nullptr;
    skin.SetResourceStrData(nullptr);
    SkinnedControlsWorld::TearDown();
  }

  // Runs D's Execute with Act called once when the dialog window has become active; a message
  // box that comes up meanwhile is answered with Answer (and counted). Answers Execute's result;
  // the window must be gone afterwards.
  bool Run(TvlSkinOpenDialog& D, const std::function<void(TvlOpenDlgForm*)>& Act, TModalResult Answer = mrCancel) {
    // A whole scripted session of the dialog, folder listings included: the limit catches a
    // hang, not a slow machine.
    TWatchdog dog("open dialog", 60000);
    bool acted = false;
    Screen()->OnActiveFormChange = [&](TObject*) {
      TCustomForm* active = Screen()->ActiveForm();
      if (auto* message = dynamic_cast<TvlMessageForm*>(active)) {
        questions.push_back(message->Message ? message->Message->Caption() : "");
        message->SetModalResult(Answer);
        return;
      }
      auto* form = dynamic_cast<TvlOpenDlgForm*>(active);
      if (!form || acted) return;
      acted = true;
      Act(form);
      // Whatever the script did, a dialog still open is cancelled.
      if (form->ModalResult() == mrNone) PostMessage(form->Handle(), WM_CLOSE, 0, 0);
    };
    const bool result = D.Execute();
    Screen()->OnActiveFormChange = nullptr;
    EXPECT_TRUE(acted);
    EXPECT_EQ(Screen()->FormCount(), formsBefore) << "the dialog's form is freed";
    EXPECT_EQ(D.DialogForm(), nullptr);
    return result;
  }
  bool Run(const std::function<void(TvlOpenDlgForm*)>& Act) { return Run(dialog, Act); }

  // The index of the row named Name.
  static int Row(TvlOpenDlgForm* form, const std::string& name) {
    for (int i = 0; i < form->FileListView->FolderCount(); ++i)
      if (form->FileListView->FolderAt(i)->DisplayName() == name) return i;
    return -1;
  }
  static std::vector<std::string> Rows(TvlOpenDlgForm* form) {
    std::vector<std::string> out;
    for (int i = 0; i < form->FileListView->FolderCount(); ++i)
      out.push_back(form->FileListView->FolderAt(i)->DisplayName());
    return out;
  }
  // Types Text into the file-name edit and presses Enter there.
  static void Enter(TvlOpenDlgForm* form, const std::string& text) {
    form->FileNameEdit->SetText(text);
    char32_t key = 13;
    form->EditKeyPress(form->FileNameEdit, key);
  }

  TShellTestTree tree;
  std::string folder;
  TvlSkinOpenDialog dialog{nullptr};
  int formsBefore = 0;
  std::vector<std::string> questions;
};

TEST_F(OpenDialog, AFirstRunOpensInTheHomeFolderAndCancelKeepsTheResults) {
  dialog.SetFileName("/kept/before.mp4");
  dialog.Files()->Add("kept");
  std::vector<std::string> events;
  dialog.OnShow = [&](TObject*) { events.push_back(dialog.DialogForm() ? "show with window" : "show"); };
  dialog.OnClose = [&](TObject*) { events.push_back(dialog.DialogForm() ? "close with window" : "close"); };
  dialog.SetFileName("");
  EXPECT_FALSE(Run([&](TvlOpenDlgForm* form) {
    EXPECT_EQ(form->Caption(), "Open file");
    EXPECT_EQ(form->ClientWidth(), 450);
    EXPECT_EQ(form->ClientHeight(), 290);
    EXPECT_EQ(form->FileListView->Path(), tree.Home);
    EXPECT_EQ(form->FileListView->ViewStyle(), TViewStyle::vsList);
    EXPECT_TRUE(form->ListMenuItem->Checked());
    EXPECT_EQ(form->FilterComboBox->Text(), "All files");
    EXPECT_EQ(form->FileNameEdit->Text(), "");
    EXPECT_EQ(form->OpenButton->Caption(), "&Open");
    EXPECT_EQ(form->ActiveControl(), form->FileNameEdit);
    form->SetClientWidth(500);
    form->ReportItemClick(nullptr);
  }));
  EXPECT_EQ(events, (std::vector<std::string>{"show", "close with window"}));
  EXPECT_EQ(dialog.FileName(), "");
  ASSERT_EQ(dialog.Files()->Count(), 1);
  EXPECT_EQ(dialog.DialogWidth, 500);
  EXPECT_EQ(dialog.ListViewStyle, TViewStyle::vsReport) << "the view style is kept after Cancel too";
}

// The frame's sizing edge is a few pixels wide; the grip in the client area's bottom-right
// corner gives the pointer a corner it can find, and dragging it sizes the dialog.
TEST_F(OpenDialog, TheCornerGripSizesTheDialog) {
  Run([&](TvlOpenDlgForm* form) {
    TvlSkinSizeGrip* grip = form->SizeGrip;
    ASSERT_NE(grip, nullptr);
    constexpr int side = TvlSkinSizeGrip::kSide;
    EXPECT_EQ(grip->ClientToScreen(TPoint{side, side}),
              form->ClientToScreen(TPoint{form->ClientWidth(), form->ClientHeight()}));
    const auto hit = [](TWinControl* c, TPoint at) {
      const TPoint p = c->ClientToScreen(at);
      return SendMessage(c->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y));
    };
    const struct {
      const char* where;
      TWinControl* control;
      TPoint at;
      LRESULT want;
    } cases[] = {
        {"grip, top left", grip, {0, 0}, HTBOTTOMRIGHT},
        {"grip, top right", grip, {side - 1, 0}, HTBOTTOMRIGHT},
        {"grip, bottom left", grip, {0, side - 1}, HTBOTTOMRIGHT},
        {"grip, bottom right", grip, {side - 1, side - 1}, HTBOTTOMRIGHT},
        {"panel beside the grip", form->BottomPanel, {form->BottomPanel->ClientWidth() - side - 2, 70}, HTCLIENT},
        {"cancel button above it", form->CancelButton, {60, 20}, HTCLIENT},
    };
    for (const auto& c : cases) EXPECT_EQ(hit(c.control, c.at), c.want) << c.where;

    const TRect before = form->BoundsRect();
    const TPoint corner = grip->ClientToScreen(TPoint{side / 2, side / 2});
    const TPoint to{corner.X + 60, corner.Y + 40};
    // Once the sizing holds the pointer, it moves out of the dialog and lets go there.
    const int hook = form->AddWindowProcHook([&](TMessage& M, const TWndMethod& Next) {
      Next(M);
      if (M.Msg != WM_ENTERSIZEMOVE) return;
      display->MouseMove(to);
      display->MouseUp(to);
    });
    display->MouseMove(corner);
    display->MouseDown(corner);
    Pump();
    form->RemoveWindowProcHook(hook);
    EXPECT_EQ(form->BoundsRect(), (TRect{before.Left, before.Top, before.Right + 60, before.Bottom + 40}));
    EXPECT_EQ(grip->ClientToScreen(TPoint{side, side}),
              form->ClientToScreen(TPoint{form->ClientWidth(), form->ClientHeight()}))
        << "the grip stays in the corner";

    ShowWindow(form->Handle(), SW_MAXIMIZE);
    Pump();
    ASSERT_TRUE(IsZoomed(form->Handle()));
    EXPECT_EQ(hit(grip, TPoint{side / 2, side / 2}), HTCLIENT) << "maximized";
  });
}

TEST_F(OpenDialog, TheStartFolderComesFromFileNameThenInitialDirThenTheLastRunThenHome) {
  TShellTestTree::MakeFolder(tree.Documents + "/other");
  const std::string home = tree.Home + "/";
  struct Case {
    std::string fileName, initialDir, folder, edit;
  };
  // Each run ends in the folder it opened: the next one without a name or InitialDir opens there.
  const Case cases[] = {
      {"", tree.Documents + "/missing", home, ""},
      {folder + "/clip.avi", tree.Documents + "/other", folder + "/", "clip.avi"},
      {"", tree.Documents + "/missing", folder + "/", ""},
      {"", tree.Documents + "/other", tree.Documents + "/other/", ""},
      // A folder that has gone falls back as a missing InitialDir does.
      {folder + "/gone/clip.avi", tree.Usb, tree.Usb + "/", "clip.avi"},
      {folder + "/gone/clip.avi", "", tree.Usb + "/", "clip.avi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fileName + " | " + c.initialDir);
    dialog.SetFileName(c.fileName);
    dialog.InitialDir = c.initialDir;
    std::string opened, edit;
    Run([&](TvlOpenDlgForm* form) {
      opened = form->FolderPrefix();
      edit = form->FileNameEdit->Text();
    });
    EXPECT_EQ(opened, c.folder);
    EXPECT_EQ(edit, c.edit);
  }
}

TEST_F(OpenDialog, FilterEntriesChooseTheMaskAndTheIndexIsKept) {
  dialog.InitialDir = folder;
  dialog.Filter = "Video|*.mp4;*.avi|Text|*.txt|All|*";
  dialog.FilterIndex = 2;
  EXPECT_FALSE(Run([&](TvlOpenDlgForm* form) {
    EXPECT_EQ(form->FilterComboBox->Items()->Count(), 3);
    EXPECT_EQ(form->FilterComboBox->Text(), "Text");
    EXPECT_EQ(Rows(form), (std::vector<std::string>{"sub", "notes.txt"}));
    // The list focuses its first row without selecting it.
    EXPECT_EQ(form->FileListView->ItemIndex(), 0);
    EXPECT_EQ(form->FileListView->Selected(), nullptr);
    form->FilterComboBox->SetItemIndex(0);
    EXPECT_EQ(Rows(form), (std::vector<std::string>{"sub", "a.mp4", "b.avi", "c.mp4"}));
    // A typed pattern becomes the list's mask; the filter box keeps its entry.
    Enter(form, "*.bmp");
    EXPECT_EQ(Rows(form), (std::vector<std::string>{"sub", "pic.bmp"}));
    EXPECT_EQ(form->FilterComboBox->Text(), "Video");
    // A typed path of a folder opens it; one that names nothing changes nothing (a file's path
    // opens the file: see TypedNamesAreCompletedAndMustExistWhenAsked).
    Enter(form, folder + "/sub");
    EXPECT_EQ(form->FileListView->Path(), folder + "/sub");
    Enter(form, folder + "/absent.mp4");
    EXPECT_EQ(form->FileListView->Path(), folder + "/sub");
    EXPECT_EQ(form->ModalResult(), mrNone);
    // A relative path lies below the list's folder.
    Enter(form, "deeper/");
    EXPECT_EQ(form->FileListView->Path(), folder + "/sub/deeper");
  }));
  EXPECT_EQ(dialog.FilterIndex, 1);
}

TEST_F(OpenDialog, TypedNamesAreCompletedAndMustExistWhenAsked) {
  struct Case {
    const char* what;
    std::string defaultExt, filter, typed;
    bool check;
    bool accepted;
    std::string fileName;
  };
  const Case cases[] = {
      {"default extension", "txt", "All|*.*", "notes", true, true, folder + "/notes.txt"},
      {"missing file", "txt", "All|*.*", "absent", true, false, ""},
      {"mask extension", "", "Pictures|*.bmp;*.dib", "pic", true, true, folder + "/pic.bmp"},
      {"no extension from *.*", "", "All|*.*", "pic", true, false, ""},
      {"unchecked", "", "All|*.*", "new", false, true, folder + "/new"},
      {"unchecked, completed", "mp4", "All|*.*", "new", false, true, folder + "/new.mp4"},
      {"empty name", "", "All|*.*", "", false, false, ""},
      // A full path stands for itself, not below the list's folder.
      {"full path", "", "All|*.*", tree.Usb + "/elsewhere.mp4", true, true, tree.Usb + "/elsewhere.mp4"},
  };
  TShellTestTree::Write(tree.Usb + "/elsewhere.mp4", "x");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dialog.SetFileName("");
    dialog.InitialDir = folder;
    dialog.DefaultExt = c.defaultExt;
    dialog.Filter = c.filter;
    dialog.FilterIndex = 1;
    dialog.CheckFileExists = c.check;
    bool stayedOpen = false;
    const bool accepted = Run([&](TvlOpenDlgForm* form) {
      // A full file path typed with a row selected: Enter opens the typed file, not the row's.
      if (c.typed.find('/') != std::string::npos) form->FileListView->SelectItem(Row(form, "a.mp4"), true);
      Enter(form, c.typed);
      stayedOpen = form->ModalResult() == mrNone;
      EXPECT_EQ(form->FileNameEdit->Text(), c.typed) << "the name stays in the edit";
    });
    EXPECT_EQ(accepted, c.accepted);
    EXPECT_EQ(stayedOpen, !c.accepted);
    EXPECT_EQ(dialog.FileName(), c.fileName);
    EXPECT_EQ(dialog.Files()->Count(), 0) << "a typed name selects no row";
  }
}

TEST_F(OpenDialog, MultiSelectionReturnsTheSelectedFilesInRowOrder) {
  dialog.InitialDir = folder;
  dialog.MultiSelection = true;
  std::string selectedWhileClosing;
  dialog.OnClose = [&](TObject*) { selectedWhileClosing = dialog.GetSelectedFile(); };
  EXPECT_TRUE(Run([&](TvlOpenDlgForm* form) {
    TvlSkinFileListView* list = form->FileListView;
    EXPECT_TRUE(list->MultiSelect());
    list->SelectItem(Row(form, "c.mp4"), true);
    EXPECT_EQ(form->FileNameEdit->Text(), "c.mp4") << "a selected file's name goes to the edit";
    list->SelectItem(Row(form, "a.mp4"), true);
    list->SelectItem(Row(form, "notes.txt"), true);
    EXPECT_EQ(form->FileNameEdit->Text(), "a.mp4") << "the first selected row's name";
    form->OpenButton->Click();
  }));
  EXPECT_EQ(dialog.FileName(), folder + "/a.mp4") << "the list's selected file";
  EXPECT_EQ(selectedWhileClosing, folder + "/a.mp4");
  EXPECT_EQ(dialog.GetSelectedFile(), "");
  std::vector<std::string> files;
  for (int i = 0; i < dialog.Files()->Count(); ++i) files.push_back(dialog.Files()->Strings(i));
  EXPECT_EQ(files, (std::vector<std::string>{folder + "/a.mp4", folder + "/c.mp4", folder + "/notes.txt"}));
}

TEST_F(OpenDialog, ADoubleClickedFileIsChosenAndAFolderOpened) {
  dialog.InitialDir = folder;
  EXPECT_TRUE(Run([&](TvlOpenDlgForm* form) {
    TvlSkinFileListView* list = form->FileListView;
    // Two clicks in quick succession on the folder's label.
    const TRect r = list->ItemRect(Row(form, "sub"), TDisplayCode::drLabel);
    const TPoint at = list->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    display->Click(at);
    display->Click(at);
    Pump();
    EXPECT_EQ(list->Path(), folder + "/sub");
    EXPECT_EQ(form->ModalResult(), mrNone);
    list->Back();
    list->SetItemIndex(Row(form, "b.avi"));
    char32_t key = 13;
    form->FLVKeyPress(list, key);
  }));
  EXPECT_EQ(dialog.FileName(), folder + "/b.avi");
}

TEST_F(OpenDialog, BackWalksTheHistoryAndKeepsTheCurrentEntry) {
  dialog.InitialDir = folder;
  Run([&](TvlOpenDlgForm* form) {
    TvlSkinFileListView* list = form->FileListView;
    form->BackToolButtonClick(nullptr);
    EXPECT_EQ(list->Path(), folder) << "Back right after opening does nothing";
    list->SetPath(folder + "/sub");
    list->SetPath(folder + "/sub/deeper");
    struct Step {
      std::string path;
      std::size_t history;
    };
    // A refresh reports the same folder again without a second history entry.
    list->Refresh();
    const Step steps[] = {{folder + "/sub", 2}, {folder, 1}, {folder, 1}};
    for (const Step& s : steps) {
      SCOPED_TRACE(s.path);
      form->BackToolButtonClick(nullptr);
      EXPECT_EQ(list->Path(), s.path);
      EXPECT_EQ(form->FolderHistory().size(), s.history);
    }
    // Up opens the parent and is recorded like any other change.
    form->UpToolButtonClick(nullptr);
    EXPECT_EQ(list->Path(), tree.Usb);
    EXPECT_EQ(form->FolderHistory().size(), 2u);
    // The folder combo box follows the list.
    EXPECT_EQ(form->ShellBox->Path(), tree.Usb);
  });
}

TEST_F(OpenDialog, NewFolderNumbersItsNamesAndStartsRenaming) {
  struct Case {
    const char* what;
    bool existing;
    std::vector<std::string> made;
  };
  const Case cases[] = {
      {"empty", false, {"New Folder", "New Folder(2)"}},
      {"one there", true, {"New Folder(2)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string where = tree.Usb + "/" + c.what;
    TShellTestTree::MakeFolder(where);
    if (c.existing) TShellTestTree::MakeFolder(where + "/New Folder");
    dialog.InitialDir = where;
    std::vector<std::string> editing;
    Run([&](TvlOpenDlgForm* form) {
      for (int click = 0; click < 2; ++click) {
        form->NewFolderToolButtonClick(nullptr);
        TvlSkinFileListView* list = form->FileListView;
        if (list->IsEditing()) {
          editing.push_back(list->EditControl()->Text());
          list->EndEditing(false);
        }
      }
    });
    EXPECT_EQ(editing, c.made);
    for (const std::string& name : c.made) EXPECT_TRUE(TShellTestTree::Exists(where + "/" + name)) << name;
  }
}

TEST_F(OpenDialog, NewFolderThatCannotBeMadeOrOutsideTheFileSystem) {
  // A file of the name is in the way (the superuser, who writes anywhere, cannot either).
  const std::string blocked = tree.Usb + "/blocked";
  TShellTestTree::MakeFolder(blocked);
  TShellTestTree::Write(blocked + "/New Folder", "");
  dialog.InitialDir = blocked;
  Run([&](TvlOpenDlgForm* form) {
    EXPECT_THROW(form->NewFolderToolButtonClick(nullptr), EInOutError);
    EXPECT_TRUE(TShellTestTree::Exists(blocked + "/New Folder"));
    form->FileListView->SetRoot("rfMyComputer");
    const int before = form->FileListView->FolderCount();
    form->NewFolderToolButtonClick(nullptr);
    EXPECT_EQ(form->FileListView->FolderCount(), before);
  });
}

TEST_F(OpenDialog, SaveModeAsksBeforeOverwritingTheCompletedName) {
  TTestSaveDialog save(nullptr);
  save.InitialDir = folder;
  save.OverwritePromt = true;
  save.DefaultExt = "txt";
  save.Filter = "Video|*.mp4|All|*.*";
  struct Case {
    const char* what;
    std::string typed;
    TModalResult answer;
    std::size_t questions;
    bool accepted;
    std::string fileName;
  };
  const Case cases[] = {
      // The default extension completes "notes" to the existing notes.txt: asked, and that file
      // is the answer (not notes.mp4 from the filter).
      {"existing, OK", "notes", mrOk, 1, true, folder + "/notes.txt"},
      {"existing, Cancel", "notes", mrCancel, 1, false, ""},
      {"new", "fresh", mrCancel, 0, true, folder + "/fresh.txt"},
      {"pattern", "*.mp4", mrCancel, 0, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    questions.clear();
    save.SetFileName("");
    bool stayedOpen = false;
    const bool accepted = Run(
        save,
        [&](TvlOpenDlgForm* form) {
          EXPECT_EQ(form->OpenButton->Caption(), "&Save");
          form->FileNameEdit->SetText(c.typed);
          form->OpenButton->Click();
          stayedOpen = form->ModalResult() == mrNone;
        },
        c.answer);
    EXPECT_EQ(accepted, c.accepted);
    EXPECT_EQ(stayedOpen, !c.accepted);
    EXPECT_EQ(questions.size(), c.questions);
    if (!questions.empty()) {
      EXPECT_EQ(questions[0], "Do you want to overwrite old file?");
    }
    if (c.accepted) {
      EXPECT_EQ(save.FileName(), c.fileName);
    }
  }
}

TEST_F(OpenDialog, SaveModeAsksBeforeADoubleClickedFileToo) {
  TTestSaveDialog save(nullptr);
  save.InitialDir = folder;
  save.OverwritePromt = true;
  for (TModalResult answer : {mrCancel, mrOk}) {
    SCOPED_TRACE(answer);
    questions.clear();
    const bool accepted = Run(
        save,
        [&](TvlOpenDlgForm* form) {
          form->FileListView->SetItemIndex(Row(form, "notes.txt"));
          form->FLVDBLClick(form->FileListView);
        },
        answer);
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(accepted, answer == mrOk);
  }
  EXPECT_EQ(save.FileName(), folder + "/notes.txt");
}

TEST_F(OpenDialog, SaveModeTakesTheFiltersExtensionIntoTheTypedName) {
  TTestSaveDialog save(nullptr);
  save.InitialDir = folder;
  save.Filter = "Bitmap|*.bmp|JPEG|*.jpg|All|*.*";
  EXPECT_TRUE(Run(save, [&](TvlOpenDlgForm* form) {
    form->FileNameEdit->SetText("photo.bmp");
    form->FilterComboBox->SetItemIndex(1);
    EXPECT_EQ(form->FileNameEdit->Text(), "photo.jpg");
    form->FilterComboBox->SetItemIndex(2);
    EXPECT_EQ(form->FileNameEdit->Text(), "photo.jpg") << "*.* adds nothing";
    form->FileNameEdit->SetText("shot");
    form->FilterComboBox->SetItemIndex(0);
    EXPECT_EQ(form->FileNameEdit->Text(), "shot.bmp");
    form->FileNameEdit->SetText("raw");
    form->OpenButton->Click();
  }));
  EXPECT_EQ(save.FileName(), folder + "/raw.bmp");
}

TEST_F(OpenDialog, TextsComeFromTheControlSkinsTable) {
  TvlResourceStrData table(nullptr);
  TStringList lines;
  lines.Add("MSG_BTN_CANCEL=取消");
  lines.Add("FLV_LOOKIN=查找范围：");
  table.SetResStrings(&lines);
  skin.SetResourceStrData(&table);
  dialog.SetCtrlSkinData(&skin);
  Run([&](TvlOpenDlgForm* form) {
    EXPECT_EQ(form->CancelButton->Caption(), "取消");
    EXPECT_EQ(form->Drivelabel->Caption(), "查找范围：");
    EXPECT_EQ(form->OpenButton->Caption(), "") << "a table without the key gives no caption";
    EXPECT_EQ(form->FileListView->SkinData(), &skin);
  });
}

}  // namespace
