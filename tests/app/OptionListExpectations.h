#pragma once
// What a preset's fill leaves in the six option choosers, written as the tables of the presets
// are published (item count and default text per list), so a test can hold a whole option table
// against them independently of the templates and positions the code keeps.

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/OptionLists.h"
#include "tests/app/MemoryControls.h"

namespace option_list_expectations {

struct TListExpectation {
  int items;
  const char* defaultText;
};

// The number of items and the text selected in each list, in fill order (resolution, video bit
// rate, frame rate, audio bit rate, sample rate, scaling mode), and whether the video lists stay
// enabled.
struct TPresetExpectation {
  int code;
  std::array<TListExpectation, kOptionKindCount> lists;
  TVideoListState videoLists;
};

// Fills fresh in-memory choosers for the preset from the tables and checks every list.
inline void ExpectFilledAsListed(const TOptionTables& Tables, const TPresetExpectation& Preset) {
  using enum TOptionKind;
  using namespace memory_controls;
  constexpr TOptionKind kFillOrder[] = {okResolution, okVideoBitrate, okFrameRate, okAudioBitrate, okSampleRate, okScalingMode};
  SCOPED_TRACE(Preset.code);
  TJournal journal;
  TMemoryChoosers controls(journal);
  FillOptionChoosers(controls.Choosers, Tables, Preset.code);
  for (int i = 0; i < kOptionKindCount; ++i) {
    const auto& chooser = static_cast<const TMemoryOptionChooser&>(controls.Choosers.Of(kFillOrder[i]));
    SCOPED_TRACE(chooser.Name());
    EXPECT_EQ(chooser.ItemCount(), Preset.lists[i].items);
    EXPECT_EQ(chooser.Text(), Preset.lists[i].defaultText);
    ASSERT_GE(chooser.ItemIndex(), 0);
    EXPECT_EQ(chooser.Items()[chooser.ItemIndex()], Preset.lists[i].defaultText);
    const bool videoList = kFillOrder[i] != okAudioBitrate && kFillOrder[i] != okSampleRate;
    // A disc's norm fixes every value: all six lists are locked.
    EXPECT_EQ(chooser.Enabled(), Preset.videoLists == TVideoListState::lsEnabled ||
                                     (!videoList && Preset.videoLists == TVideoListState::lsDisabled));
  }
  // The first fill changes every text from empty: all six handlers, in fill order.
  EXPECT_EQ(ChooserChanges(journal), (std::vector<std::string>{"vlSkinComboBox1.OnChange", "vlSkinComboBox2.OnChange",
                                                               "vlSkinComboBox9.OnChange", "vlSkinComboBox3.OnChange",
                                                               "vlSkinComboBox10.OnChange", "vlSkinComboBox4.OnChange"}));
}

// The tables hold together: labels unique, TemplatesOfKind templates of each kind (in TOptionKind
// order), texts unique within a template (so an index and a text name one item), every entry
// unique and naming templates of the right kind with a default inside them, and the no-video
// templates (NoVideo, one per video list) coming as four exactly where the flag says so.
inline void ExpectTablesHoldTogether(const TOptionTables& Tables, const std::array<int, kOptionKindCount>& TemplatesOfKind,
                                     const std::set<std::string_view>& NoVideo) {
  std::array<int, kOptionKindCount> templatesOfKind{};
  for (const TOptionTemplate& list : Tables.Templates) {
    SCOPED_TRACE(list.Label);
    ++templatesOfKind[static_cast<int>(list.Kind)];
    EXPECT_EQ(Tables.FindTemplate(list.Label), &list) << "labels are unique";
    EXPECT_EQ(std::set<std::string_view>(list.Items.begin(), list.Items.end()).size(), list.Items.size());
  }
  EXPECT_EQ(templatesOfKind, TemplatesOfKind);

  for (const TOptionEntry& entry : Tables.Entries) {
    SCOPED_TRACE(entry.PresetCode);
    EXPECT_EQ(Tables.FindEntry(entry.PresetCode), &entry) << "one entry per code";
    int noVideoLists = 0;
    for (int kind = 0; kind < kOptionKindCount; ++kind) {
      const TOptionTemplate* list = Tables.FindTemplate(entry.Lists[kind].Template);
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(static_cast<int>(list->Kind), kind);
      EXPECT_LT(entry.Lists[kind].Default, static_cast<int>(list->Items.size()));
      noVideoLists += static_cast<int>(NoVideo.count(list->Label));
    }
    EXPECT_EQ(noVideoLists, entry.VideoLists == TVideoListState::lsDisabled ? 4 : 0);
  }
}

}  // namespace option_list_expectations
