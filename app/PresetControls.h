#pragma once
// The controls the preset chain drives, as the chain sees them. The main window binds its skinned
// controls to these interfaces; tests bind plain in-memory ones. Everything runs on the GUI
// thread, and every event runs synchronously inside the call that raises it.

#include <functional>
#include <string>
#include <string_view>

// An option chooser: a skinned combo box in fixed-list style (the user picks items, never types)
// whose items are texts kept in the order added.
//
// Events of SetItemIndex(Value), in this order:
//   1. Value becomes the selection; an index outside the items leaves no selection (-1).
//   2. With a selection, Text := the selected item's text; when that differs from the Text
//      shown before, OnChange runs at once. No selection leaves Text as it was.
//   3. OnClick runs (on every write, also when nothing changed), then the box's own
//      item-index hook.
// ClearItems (which leaves no selection and keeps Text), AddItem and SetEnabled raise nothing. A
// choice the user makes in the open list sets Text the same way (OnChange only when it differs),
// then OnClick.
class IOptionChooser {
 public:
  virtual ~IOptionChooser() = default;
  virtual void ClearItems() = 0;
  virtual void AddItem(std::string_view Text) = 0;
  [[nodiscard]] virtual int ItemCount() const = 0;
  [[nodiscard]] virtual int ItemIndex() const = 0;
  virtual void SetItemIndex(int Value) = 0;
  [[nodiscard]] virtual std::string Text() const = 0;
  [[nodiscard]] virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool Value) = 0;
  // The handler OnChange runs; an empty function removes it.
  virtual void SetOnChange(std::function<void()> Handler) = 0;
};

// A preset picker: an office-style combo box whose items carry a caption and an image index
// (the category list and the preset list).
//
// Events of SetItemIndex(Value): Value becomes the selection (an index outside the items leaves
// none, -1), then OnClick, then OnChange, on every write, also when the index did not change.
// ClearItems and AddItem raise nothing.
class IPresetPicker {
 public:
  virtual ~IPresetPicker() = default;
  virtual void ClearItems() = 0;
  virtual void AddItem(std::string_view Caption, int ImageIndex) = 0;
  [[nodiscard]] virtual int ItemCount() const = 0;
  [[nodiscard]] virtual int ItemIndex() const = 0;
  virtual void SetItemIndex(int Value) = 0;
  // The handler OnChange runs; an empty function removes it.
  virtual void SetOnChange(std::function<void()> Handler) = 0;
};

// A preset picker whose items also carry a title above the caption (the legacy preset window's
// preset list: the title names the format, the caption describes it).
class ITitledPresetPicker : public IPresetPicker {
 public:
  virtual void AddTitledItem(std::string_view Title, std::string_view Caption, int ImageIndex) = 0;
};
