#pragma once
// The skinned combo box (TvlSkinComboBox): a closed box showing the selected string and a
// button, with a drop-down list (TvlPopupListBox) that holds every item. In fixed style the box
// itself takes the focus and the keys; in edit style an inner edit fills the item area, the
// list follows the typed text and completes it.
//
// Selection events: OnChange exactly when the shown text changes, then OnClick, then the
// ItemIndexChanged hook; an accepted drop-down ends with OnCloseUp; a cancelled one fires
// nothing and gives the index of its opening back. Painting never writes Text. GUI thread only;
// the search and auto-complete intervals read the platform clock.

#include <cstdint>
#include <string>

#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinComboParts.h"

class TvlDataSkinButtonControl;

enum class TvlSkinCustomComboBoxStyle { vlcbEditStyle, vlcbFixedStyle };

class TvlSkinCustomComboBox : public TvlSkinComboBase {
 public:
  // Keys typed within this many milliseconds extend the incremental search.
  static constexpr std::uint64_t kSearchInterval = 500;
  // Key-ups within this many milliseconds of a completion are not completed.
  static constexpr std::uint64_t kCompleteInterval = 200;

  explicit TvlSkinCustomComboBox(TComponent* AOwner);
  ~TvlSkinCustomComboBox() override;

  // ---- Items (they live in the list) ----
  [[nodiscard]] TStrings* Items() const { return FListBox->Items(); }
  void SetItems(TStrings* Value) { FListBox->Items()->Assign(Value); }
  [[nodiscard]] int ItemIndex() const { return FListBox ? FListBox->ItemIndex() : -1; }
  // Selects Value; the shown text becomes the item's (OnChange when it differs); outside
  // loading OnClick and ItemIndexChanged follow on every write.
  void SetItemIndex(int Value);
  [[nodiscard]] bool Sorted() const { return FListBox->Sorted(); }
  void SetSorted(bool Value) { FListBox->SetSorted(Value); }
  [[nodiscard]] TCustomImageList* Images() const { return FListBox ? FListBox->Images() : nullptr; }
  void SetImages(TCustomImageList* Value);
  [[nodiscard]] int ImageIndex() const { return FListBox->ImageIndex(); }
  void SetImageIndex(int Value);
  [[nodiscard]] TStrings* TabWidths() const { return FListBox ? FListBox->TabWidths() : nullptr; }
  void SetTabWidths(TStrings* Value);

  // ---- The list ----
  [[nodiscard]] TvlPopupListBox* ListBox() const { return FListBox; }
  // The list's caption band and looks.
  [[nodiscard]] const std::string& ListBoxCaption() const { return FListBox->Text(); }
  void SetListBoxCaption(const std::string& Value) { FListBox->SetText(Value); }
  [[nodiscard]] bool ListBoxCaptionMode() const { return FListBox->CaptionMode(); }
  void SetListBoxCaptionMode(bool Value) { FListBox->SetCaptionMode(Value); }
  [[nodiscard]] TAlignment ListBoxCaptionAlignment() const { return FListBox->Alignment(); }
  void SetListBoxCaptionAlignment(TAlignment Value) { FListBox->SetAlignment(Value); }
  [[nodiscard]] TFont* ListBoxDefaultFont() const { return FListBox->DefaultFont(); }
  void SetListBoxDefaultFont(TFont* Value) { FListBox->DefaultFont()->Assign(Value); }
  [[nodiscard]] TFont* ListBoxDefaultCaptionFont() const { return FListBox->DefaultCaptionFont(); }
  void SetListBoxDefaultCaptionFont(TFont* Value) { FListBox->SetDefaultCaptionFont(Value); }
  [[nodiscard]] int ListBoxDefaultItemHeight() const { return FListBox->DefaultItemHeight(); }
  void SetListBoxDefaultItemHeight(int Value) { FListBox->SetDefaultItemHeight(Value); }
  [[nodiscard]] bool ListBoxUseSkinFont() const { return FListBox->UseSkinFont(); }
  void SetListBoxUseSkinFont(bool Value) { FListBox->SetUseSkinFont(Value); }
  [[nodiscard]] bool ListBoxUseSkinItemHeight() const { return FListBox->UseSkinItemHeight; }
  void SetListBoxUseSkinItemHeight(bool Value) { FListBox->UseSkinItemHeight = Value; }
  [[nodiscard]] bool HorizontalExtent() const { return FListBox->HorizontalExtent(); }
  void SetHorizontalExtent(bool Value) { FListBox->SetHorizontalExtent(Value); }
  [[nodiscard]] int DropDownCount() const { return FDropDownCount; }
  // Values of 0 or less are ignored.
  void SetDropDownCount(int Value);
  TvlDrawSkinItemEvent OnComboBoxDrawItem;
  [[nodiscard]] const TvlDrawSkinItemEvent& OnListBoxDrawItem() const { return FListBox->OnDrawItem; }
  void SetOnListBoxDrawItem(TvlDrawSkinItemEvent Value) { FListBox->OnDrawItem = std::move(Value); }

  // ---- Style and look ----
  [[nodiscard]] TvlSkinCustomComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TvlSkinCustomComboBoxStyle Value);
  // Switching it on also sets the fixed style and turns UseSkinSize off.
  void SetToolButtonStyle(bool Value);
  void SetDefaultColor(TColor Value);
  [[nodiscard]] TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection = true;
  bool AutoComplete = true;
  [[nodiscard]] int SelStart() const { return FEdit ? FEdit->SelStart() : 0; }
  void SetSelStart(int Value) {
    if (FEdit) FEdit->SetSelStart(Value);
  }
  [[nodiscard]] int SelLength() const { return FEdit ? FEdit->SelLength() : 0; }
  void SetSelLength(int Value) {
    if (FEdit) FEdit->SetSelLength(Value);
  }
  // The inner edit in edit style, nullptr in fixed style.
  [[nodiscard]] TvlCustomEdit* Edit() const { return FEdit; }

  // ---- Drop-down ----
  void DropDown() override;
  void CloseUp(bool Value) override;
  [[nodiscard]] bool IsPopupVisible() const override { return FListBox && FListBox->Visible(); }

  // Draws the closed box with AText as its text on C at (X, Y); Text stays as it is.
  void PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText);

  // Run after a selection; the drive, filter and folder combo boxes react here.
  virtual void ItemIndexChanged() {}

  void ChangeSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void Invalidate() override;
  void Dispatch(TMessage& Message) override;


 protected:
  // Set by a derived class before the edit style is chosen: the inner edit takes signed
  // numbers only.
  bool FNumEdit = false;
  virtual void CreateEditControl();
  // Every message of the inner edit passes here; Next is the edit's own handling.
  virtual void EditWindowProc(TMessage& Message, const TWndMethod& Next);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void PriorItem(bool ASelect) override;
  void NextItem(bool ASelect) override;
  void PageUpItem(bool ASelect) override;
  void PageDownItem(bool ASelect) override;
  void FirstItem(bool ASelect) override;
  void LastItem(bool ASelect) override;
  void KeyPress(char32_t& Key) override;
  bool WantsKey(WORD Key) override;
  // Typed characters search the items (fixed style).
  bool WantsChars() override;
  void CMTextChanged(TMessage& Message) override;
  void CalcRects() override;
  void AutoScrollStep(int Mode) override;
  void HoverChanged() override;

 private:
  [[nodiscard]] int ShownIndex() const;
  [[nodiscard]] bool BoxFocused() const { return FEdit == nullptr && Focused(); }
  void DestroyEditControl();
  void ApplyEditFontColour();
  [[nodiscard]] TColor DisabledTextColor() const;
  [[nodiscard]] TFontCharset EditCharset() const;
  void SetEditText(const std::string& Value);
  // Stepping; Commit selects through the ItemIndex accessor, otherwise the highlight moves.
  void StepTo(int Index, bool Commit);
  void EditStep(int Delta, bool Commit);
  [[nodiscard]] int FindString(int After, const std::string& Text) const;
  void FindItemByKey(char32_t Key);
  void CompleteEditText();
  void EditChange();
  void TrackList();
  [[nodiscard]] bool OwnPart(TControl* C) const;
  // Painting.
  void DrawItemContent(TCanvas* C, TRect R, int Index, const std::string* OverrideText, int W, int H);
  void DrawTabbedText(TCanvas* C, const std::string& Text, const TRect& R);
  void DrawButton(TCanvas* C);
  void DrawDefaultItem(TCanvas* C);
  void DrawSkinItem(TBitmap* B, bool SizeRule);
  void DrawToolButton(TCanvas* C, int W, int H, const std::string* OverrideText);
  void DrawSkinToolButton(TBitmap* B, const std::string* OverrideText);

  TvlPopupListBox* FListBox = nullptr;  // owned (component)
  int FListHook = 0;
  TvlCustomEdit* FEdit = nullptr;       // owned (component) in edit style
  int FEditHook = 0;
  TvlSkinCustomComboBoxStyle FStyle = TvlSkinCustomComboBoxStyle::vlcbFixedStyle;
  TEditCharCase FCharCase = TEditCharCase::ecNormal;
  int FDropDownCount = 8;
  std::uint64_t FLastTime = 0;
  std::string FFilter;
  bool FromEdit = false;
};

class TvlSkinComboBox : public TvlSkinCustomComboBox {
 public:
  using TvlSkinCustomComboBox::TvlSkinCustomComboBox;
};
