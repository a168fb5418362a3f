#pragma once
// Plain in-memory option choosers and preset pickers for the preset chain's tests: they keep
// their items, selection, text and enabled state, raise their events in the order the skinned
// combo boxes do, and note every event in a journal the test can read.

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/OptionLists.h"
#include "app/PresetControls.h"

namespace memory_controls {

// Events of all controls sharing it, in order: "<name>.OnChange", "<name>.OnClick".
using TJournal = std::vector<std::string>;

class TMemoryOptionChooser : public IOptionChooser {
 public:
  TMemoryOptionChooser(std::string Name, TJournal& Journal) : name_(std::move(Name)), journal_(Journal) {}

  void ClearItems() override {
    items_.clear();
    index_ = -1;
  }
  void AddItem(std::string_view Text) override { items_.emplace_back(Text); }
  [[nodiscard]] int ItemCount() const override { return static_cast<int>(items_.size()); }
  [[nodiscard]] int ItemIndex() const override { return index_; }
  void SetItemIndex(int Value) override {
    index_ = Value >= 0 && Value < ItemCount() ? Value : -1;
    if (index_ >= 0) SetText(items_[index_]);
    Raise("OnClick", nullptr);
  }
  [[nodiscard]] std::string Text() const override { return text_; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }
  void SetEnabled(bool Value) override { enabled_ = Value; }
  void SetOnChange(std::function<void()> Handler) override { on_change_ = std::move(Handler); }

  // The user picks an item in the open list.
  void Pick(int Index) {
    index_ = Index;
    SetText(items_.at(Index));
    Raise("OnClick", nullptr);
  }

  [[nodiscard]] const std::vector<std::string>& Items() const { return items_; }
  [[nodiscard]] const std::string& Name() const { return name_; }

 private:
  void SetText(const std::string& Value) {
    if (Value == text_) return;
    text_ = Value;
    Raise("OnChange", on_change_);
  }
  void Raise(const char* Event, const std::function<void()>& Handler) {
    journal_.push_back(name_ + "." + Event);
    if (Handler) Handler();
  }

  std::string name_;
  TJournal& journal_;
  std::vector<std::string> items_;
  int index_ = -1;
  std::string text_;
  bool enabled_ = true;
  std::function<void()> on_change_;
};

class TMemoryPresetPicker : public ITitledPresetPicker {
 public:
  struct TItem {
    std::string Caption;
    int ImageIndex;
    std::string Title;
  };

  TMemoryPresetPicker(std::string Name, TJournal& Journal) : name_(std::move(Name)), journal_(Journal) {}

  void ClearItems() override {
    items_.clear();
    index_ = -1;
  }
  void AddItem(std::string_view Caption, int ImageIndex) override { items_.push_back({std::string(Caption), ImageIndex, {}}); }
  void AddTitledItem(std::string_view Title, std::string_view Caption, int ImageIndex) override {
    items_.push_back({std::string(Caption), ImageIndex, std::string(Title)});
  }
  [[nodiscard]] int ItemCount() const override { return static_cast<int>(items_.size()); }
  [[nodiscard]] int ItemIndex() const override { return index_; }
  void SetItemIndex(int Value) override {
    index_ = Value >= 0 && Value < ItemCount() ? Value : -1;
    journal_.push_back(name_ + ".OnClick");
    journal_.push_back(name_ + ".OnChange");
    if (on_change_) on_change_();
  }
  void SetOnChange(std::function<void()> Handler) override { on_change_ = std::move(Handler); }

  [[nodiscard]] const std::vector<TItem>& Items() const { return items_; }

 private:
  std::string name_;
  TJournal& journal_;
  std::vector<TItem> items_;
  int index_ = -1;
  std::function<void()> on_change_;
};

// The main window's six option choosers, named after its components, sharing one journal.
struct TMemoryChoosers {
  explicit TMemoryChoosers(TJournal& Journal)
      : Resolution("vlSkinComboBox1", Journal),
        VideoBitrate("vlSkinComboBox2", Journal),
        AudioBitrate("vlSkinComboBox3", Journal),
        ScalingMode("vlSkinComboBox4", Journal),
        FrameRate("vlSkinComboBox9", Journal),
        SampleRate("vlSkinComboBox10", Journal) {}

  TMemoryOptionChooser Resolution, VideoBitrate, AudioBitrate, ScalingMode, FrameRate, SampleRate;
  TOptionChoosers Choosers{Resolution, VideoBitrate, AudioBitrate, ScalingMode, FrameRate, SampleRate};
};

// The OnChange events of the option choosers in a journal, in order.
inline std::vector<std::string> ChooserChanges(const TJournal& Journal) {
  std::vector<std::string> changes;
  for (const std::string& event : Journal)
    if (event.starts_with("vlSkinComboBox") && event.ends_with(".OnChange")) changes.push_back(event);
  return changes;
}

}  // namespace memory_controls
