#pragma once
// Job rows made the way the main window's add operation makes them: the preset picked in the
// category and preset lists, the preset chain building the new job's output options (parameters
// and the option choosers' defaults), the row and job record appended. The controls are the
// in-memory ones; the converter's own task of the add is left out (the start rebuilds tasks).

#include <memory>
#include <stdexcept>
#include <string>

#include "app/JobList.h"
#include "app/OutputFolder.h"
#include "app/PresetCatalogue.h"
#include "app/PresetChain.h"
#include "tests/app/MemoryControls.h"

namespace preset_jobs {

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

  // Picks the preset of a code in the two lists, as the user does.
  void Choose(int PresetCode) {
    const auto categories = PresetCategories();
    for (int i = 0; i < static_cast<int>(categories.size()); ++i)
      if (categories[i].PresetGroup == PresetCode / 100) {
        categories_.SetItemIndex(i);
        presets_.SetItemIndex(PresetCode % 100);
        return;
      }
    throw std::invalid_argument("no category holds preset " + std::to_string(PresetCode));
  }

  // Appends the row of a new job for Input under the chosen preset; its index.
  int Add(const std::string& Input, int64_t Duration = 2000000, int64_t FileSize = 1 << 20) {
    chain_->ResetFields();
    TOutputOptions output = chain_->OutputOptionsForNewJob(Input);
    output.FileName = chain_->Fields().Video_OutPutFileName;
    TInputOptions input;
    InitInputOptions(input);
    input.FileName = Input;
    const TNewJob job{Input, Duration, FileSize, jobs.Count(), chain_->CategoryCode(), chain_->OptionCode()};
    return jobs.Add(MakeJobRow(job, output, chain_->Fields()), input, output);
  }

  // Chooses the preset, then adds the job.
  int AddJob(const std::string& Input, int PresetCode) {
    Choose(PresetCode);
    return Add(Input);
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
