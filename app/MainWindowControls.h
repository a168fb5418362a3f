#pragma once
// Small pieces the converter's windows build their controls from: the program's built-in
// pictures, and the pickers the preset chain and the options window drive, bound to skinned
// controls.
//
// The option choosers and the thread-count list are skinned combo boxes, the category and preset
// pickers office combo boxes; the adapters raise the events in the order the preset chain relies
// on (app/PresetControls.h).
//
// GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/PresetControls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"

class TCustomImageList;
class TvlSkinComboBox;
class TvlSkinOfficeComboBox;
class TvlSkinData;
class TvlSkinGroupBox;
class TvlSkinHint;
class TvlSkinPopupMenu;
class TvlSkinPanel;
class TvlSkinStdLabel;
class TvlVelmora;

// Controls as the windows place them: made as components of Owner, children of Parent, at
// Bounds (parent client coordinates), drawn from SkinData. A label is one line, vertically
// centred; a panel takes the named element of the skin; a group box shows its caption in its
// band; a push button shows its caption.
TvlSkinStdLabel* MakeSkinLabel(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const std::string& Caption,
                               TvlSkinData* SkinData);
TvlSkinPanel* MakeSkinPanel(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const char* Element,
                            TvlSkinData* SkinData);
TvlSkinGroupBox* MakeSkinGroup(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const std::string& Caption,
                               TvlSkinData* SkinData);
TvlSkinButton* MakeSkinButton(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const std::string& Caption,
                              TvlSkinData* SkinData);

// Sets a window up the way the converter's windows are: caption, border style, where it opens,
// a fixed client size that the form skinner keeps whatever the skin's frame, and its form skinner
// drawing it from SkinData (which it answers). Its caption offers close, and minimise for a
// single-border window; never maximise at a fixed size.
TvlVelmora* SetUpSkinnedForm(TForm* Form, const std::string& Caption, TFormBorderStyle BorderStyle,
                             TPosition Position, int ClientWidth, int ClientHeight, TvlSkinData* SkinData);

// The caption buttons of a window show their hints (the skin's texts, Chinese in skin 1) through
// Hint, the program's skinned tooltip.
void ShowCaptionHints(TvlVelmora* Skinner, TvlSkinHint* Hint);

// A rectangle of a place and a size.
[[nodiscard]] constexpr TRect Box(int Left, int Top, int Width, int Height) {
  return TRect{Left, Top, Left + Width, Top + Height};
}

// A built-in picture of the program (docs/skin-library.md, "Built-in pictures"); an empty bitmap
// when the program has none of that name.
[[nodiscard]] std::unique_ptr<TBitmap> LoadBuiltinPicture(const std::string& Name);

// An option chooser on a skinned combo box in fixed-list style; the box raises its events in the
// order the chain relies on.
class TOptionChooserBox : public IOptionChooser {
 public:
  // The box is made as a component of Owner, a child of Parent, at Bounds, and drawn from
  // SkinData.
  TOptionChooserBox(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, TvlSkinData* SkinData);
  ~TOptionChooserBox() override;

  void ClearItems() override;
  void AddItem(std::string_view Text) override;
  [[nodiscard]] int ItemCount() const override;
  [[nodiscard]] int ItemIndex() const override;
  void SetItemIndex(int Value) override;
  [[nodiscard]] std::string Text() const override;
  [[nodiscard]] bool Enabled() const override;
  void SetEnabled(bool Value) override;
  void SetOnChange(std::function<void()> Handler) override { on_change_ = std::move(Handler); }

  // The user picks item Index in the open list: the text follows (OnChange when it differs).
  void Pick(int Index);
  // Opens the list under the box.
  void DropDown();

  [[nodiscard]] TvlSkinComboBox* Control() const { return box_; }

 private:
  TvlSkinComboBox* box_;
  std::function<void()> on_change_;
};

// A preset picker on a skinned office combo box: the chosen item's picture and caption; its list
// shows every item's. Items may carry a title (the legacy preset window's list does).
class TPresetPickerBox : public ITitledPresetPicker {
 public:
  // Images holds the pictures of the items' image indexes (nullptr: none).
  TPresetPickerBox(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, TvlSkinData* SkinData,
                   TCustomImageList* Images);
  ~TPresetPickerBox() override;

  void ClearItems() override;
  void AddItem(std::string_view Caption, int ImageIndex) override;
  void AddTitledItem(std::string_view Title, std::string_view Caption, int ImageIndex) override;
  [[nodiscard]] int ItemCount() const override;
  [[nodiscard]] int ItemIndex() const override;
  void SetItemIndex(int Value) override;
  void SetOnChange(std::function<void()> Handler) override { on_change_ = std::move(Handler); }

  [[nodiscard]] bool Enabled() const;
  void SetEnabled(bool Value);
  void DropDown();

  [[nodiscard]] TvlSkinOfficeComboBox* Control() const { return box_; }

 private:
  TvlSkinOfficeComboBox* box_;
  std::function<void()> on_change_;
};
