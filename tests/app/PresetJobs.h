#pragma once
// Job rows made the way the main window's add operation makes them: the preset picked in the
// category and preset lists, the preset chain building the new job's output options (parameters
// and the option choosers' defaults), the row and job record appended. The controls are the
// in-memory ones; the converter's own task of the add is left out (the start rebuilds tasks).

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/JobList.h"
#include "app/OutputFolder.h"
#include "app/PresetCatalogue.h"
#include "app/PresetChain.h"
#include "tests/Src/MediaFixtures.h"
#include "tests/app/MemoryControls.h"

namespace preset_jobs {

// Picks the preset of a code in the category and preset lists, as the user does.
inline void ChoosePreset(IPresetPicker& Categories, IPresetPicker& Presets, int PresetCode) {
  const auto categories = PresetCategories();
  for (int i = 0; i < static_cast<int>(categories.size()); ++i)
    if (categories[i].PresetGroup == PresetCode / 100) {
      Categories.SetItemIndex(i);
      Presets.SetItemIndex(PresetCode % 100);
      return;
    }
  throw std::invalid_argument("no category holds preset " + std::to_string(PresetCode));
}

// The add operation's use of the chain: the chosen preset applied to Input, its row appended
// with the job record. The new row's index.
inline int AddJobRow(TPresetChain& Chain, TJobList& Jobs, const std::string& Input, int64_t Duration,
                     int64_t FileSize) {
  Chain.ResetFields();
  TOutputOptions output = Chain.OutputOptionsForNewJob(Input);
  output.FileName = Chain.Fields().Video_OutPutFileName;
  TInputOptions input;
  InitInputOptions(input);
  input.FileName = Input;
  const TNewJob job{Input, Duration, FileSize, Jobs.Count(), Chain.CategoryCode(), Chain.OptionCode()};
  return Jobs.Add(MakeJobRow(job, output, Chain.Fields()), input, output);
}

// The three presets the batch tests convert, and what ffprobe finds in their outputs (no video
// codec: audio only).
struct TPresetOutput {
  int Preset;
  int Streams;
  const char* Video;
  const char* Audio;
};
inline constexpr TPresetOutput kPresetOutputs[] = {
    {1500, 2, "mpeg4", "mp3"}, {100, 1, "", "mp3"}, {1300, 2, "mpeg1video", "mp2"}};

// Checks that File holds the streams of Expected and lasts Seconds (within 0.3 s).
inline void ExpectPresetOutput(const std::string& File, const TPresetOutput& Expected, double Seconds) {
  const auto info = fixtures::Probe(File);
  const auto value = [&info](const std::string& Key) {
    const auto it = info.find(Key);
    return it == info.end() ? std::string() : it->second;
  };
  EXPECT_EQ(value("format.nb_streams"), std::to_string(Expected.Streams));
  const bool video = *Expected.Video != '\0';
  EXPECT_EQ(value("streams.stream.0.codec_name"), video ? Expected.Video : Expected.Audio);
  if (video) {
    EXPECT_EQ(value("streams.stream.1.codec_name"), Expected.Audio);
  }
  EXPECT_NEAR(std::atof(value("format.duration").c_str()), Seconds, 0.3);
}

class TPresetJobs {
 public:
  // Output files go into OutputFolder.
  explicit TPresetJobs(const std::string& OutputFolder) {
    folder.SetFolder(OutputFolder);
    TPresetChain::AddCategoryItems(categories_);
    categories_.SetItemIndex(0);
    chain_ =
        std::make_unique<TPresetChain>(categories_, presets_, controls_.Choosers, jobs, folder, TPresetChainHooks{});
    chain_->FillPresetList();
  }

  // Picks the preset, then appends the row of a new job for Input under it; its index.
  int AddJob(const std::string& Input, int PresetCode, int64_t Duration = 2000000, int64_t FileSize = 1 << 20) {
    ChoosePreset(categories_, presets_, PresetCode);
    return AddJobRow(*chain_, jobs, Input, Duration, FileSize);
  }

  TJobList jobs;
  TOutputFolder folder;

 private:
  memory_controls::TJournal journal_;
  memory_controls::TMemoryPresetPicker categories_{"vlSkinOfficeComboBox2", journal_};
  memory_controls::TMemoryPresetPicker presets_{"vlSkinOfficeComboBox1", journal_};
  memory_controls::TMemoryChoosers controls_{journal_};
  std::unique_ptr<TPresetChain> chain_;
};

}  // namespace preset_jobs
