#pragma once
// The skin chooser: a component whose Execute builds a small modal window in code - the list of
// skin names on the left, a live preview on the right (a disabled child form with its own form
// skinner and a sample button, skinned from a skin container of its own), OK and Cancel below -
// runs it and reports the choice. Skins come either from a compressed skin list (chosen by
// index) or from the compressed stored skins placed on the form that owns the component (chosen
// by object). Clicking a line loads that skin into the preview's own container only; the rest of
// the program keeps its skin until the caller applies the choice. GUI thread only.
//
//   +------------------------------------------+
//   | +-----------+  +-----------------------+ |
//   | | skin 1    |  | Preview  (skin frame) | |
//   | | skin 2    |  |  [ Button ]           | |
//   | | ...       |  |                       | |
//   | +-----------+  +-----------------------+ |
//   |                         [  OK  ][Cancel] |
//   +------------------------------------------+

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Forms.h"

class TvlCompressedSkinList;
class TvlCompressedStoredSkin;
class TvlSkinButton;
class TvlSkinData;
class TvlSkinListBox;
class TvlVelmora;

// The window of one run.
class TvlSelectSkinDlgForm : public TForm {
 public:
  // The stored-skin variant: every TvlCompressedStoredSkin among AForm's components, in
  // component order, listed by its Description (else its component name); the row of
  // ADefaultSkin (row 0 when it is not among them) is selected and previewed. AForm must hold at
  // least one stored skin (EListError otherwise; the component checks before).
  static TvlSelectSkinDlgForm* CreateEx(TComponent* AOwner, TComponent* AForm, TvlCompressedStoredSkin* ADefaultSkin,
                                        TvlSkinData* ACtrlSkinData);
  // The index variant: the items of ASkinList listed by Description (else Name); item
  // ASkinIndex is selected and previewed when it exists (otherwise the preview shows the
  // built-in look).
  static TvlSelectSkinDlgForm* CreateEx2(TComponent* AOwner, TvlCompressedSkinList* ASkinList, int ASkinIndex,
                                         TvlSkinData* ACtrlSkinData);
  explicit TvlSelectSkinDlgForm(TComponent* AOwner) : TForm(AOwner) {}

  // The stored skin shown in the preview (stored-skin variant), nullptr otherwise.
  [[nodiscard]] TvlCompressedStoredSkin* SelectedSkin() const;

  // A click on a line previews that skin; a double click confirms the dialog (ModalResult 1).
  void SLBOnChange(TObject* Sender);
  void SLBOnDblClick(TObject* Sender);

  TvlCompressedSkinList* FCSkinList = nullptr;  // index variant only; not owned
  int FCSkinIndex = -1;                         // start index of the index variant
  TvlVelmora* VMR = nullptr;
  TvlSkinButton* OpenButton = nullptr;
  TvlSkinButton* CancelButton = nullptr;
  TForm* PreviewForm = nullptr;          // child window of the dialog, never enabled
  TvlVelmora* PreviewVMR = nullptr;      // owned by PreviewForm, in preview mode
  TvlSkinData* PreviewSkinData = nullptr;  // the preview's own container, owned by the dialog
  TvlSkinButton* PreviewButton = nullptr;
  TvlSkinListBox* SkinsListBox = nullptr;
  // The stored skins in list order (stored-skin variant); not owned.
  std::vector<TvlCompressedStoredSkin*> SkinList;

 private:
  // Steps shared by both constructors: the dialog form, its form skinner, the preview, the
  // buttons and the list.
  static TvlSelectSkinDlgForm* Build(TComponent* AOwner, TvlSkinData* ACtrlSkinData);
  // Shows the preview in its place and puts the focus on the list.
  void FinishBuilding();
};

class TvlSelectSkinDialog : public TComponent {
 public:
  explicit TvlSelectSkinDialog(TComponent* AOwner);
  ~TvlSelectSkinDialog() override;

  // Chooses among the items of SkinList, starting at SkinIndex. True when the user confirmed a
  // line that names an item of the list; SelectedSkinIndex is then that item's index. False
  // without a list (nothing shown, SelectedSkinIndex kept), on Cancel, Escape or close, and
  // when the confirmed index names no item (SelectedSkinIndex -1 then).
  bool Execute(int SkinIndex);
  // Chooses among the stored skins on the form that owns this component, starting at
  // DefaultCompressedSkin. True when confirmed; SelectedSkin is then the chosen stored skin.
  // False, with nothing shown, when the owner holds no stored skin.
  bool Execute(TvlCompressedStoredSkin* DefaultCompressedSkin);

  [[nodiscard]] TvlCompressedSkinList* SkinList() const { return FSkinList; }
  void SetSkinList(TvlCompressedSkinList* Value);
  // Skin of the dialog's frame.
  [[nodiscard]] TvlSkinData* SkinData() const { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  // Skin of the buttons, the list and the menus, and the source of the interface texts.
  [[nodiscard]] TvlSkinData* CtrlSkinData() const { return FCtrlFSD; }
  void SetCtrlSkinData(TvlSkinData* Value);
  // Font of the two buttons and the list (Arial, height 14): the setter copies it.
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);

  std::string Title = "Select skin";
  bool AlphaBlend = false;
  bool AlphaBlendAnimation = false;
  BYTE AlphaBlendValue = 200;

  [[nodiscard]] TvlCompressedStoredSkin* SelectedSkin() const { return FSelectedSkin; }
  [[nodiscard]] int SelectedSkinIndex() const { return FSelectedSkinIndex; }
  // The window while Execute runs, nullptr otherwise.
  [[nodiscard]] TvlSelectSkinDlgForm* DialogForm() const { return FDlgFrm; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // Applies the component's settings to Form, runs it modally and frees it on every way out.
  // True when the modal result was 1 (mrOk); ReadResult then runs while the form still lives.
  [[nodiscard]] bool Run(TvlSelectSkinDlgForm* Form, const std::function<void()>& ReadResult);

  TvlCompressedSkinList* FSkinList = nullptr;
  TvlSkinData* FSD = nullptr;
  TvlSkinData* FCtrlFSD = nullptr;
  std::unique_ptr<TFont> FDefaultFont;
  TvlCompressedStoredSkin* FSelectedSkin = nullptr;
  int FSelectedSkinIndex = -1;
  TvlSelectSkinDlgForm* FDlgFrm = nullptr;
};
