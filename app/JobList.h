#pragma once
// The job list's model: one row per input file, with visible columns for the user (input path,
// duration, size, output name, progress) and hidden columns that carry the job's output settings
// until the conversion starts, and beside each row its job record (the input and output options
// built when the file was added). Row i and record slot i belong together; there are 501 slots,
// so the list holds at most 501 jobs.
//
// The window's list view shows these rows (column 0 is the caption, column N is sub-item N - 1)
// and its selection is the model's ItemIndex. GUI thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Src/Convexa.h"
#include "app/CurrentPreset.h"

constexpr int kJobSlotCount = 501;
constexpr int kJobSubItemCount = 24;

// The sub-items of a row, in column order (sub-item 0 is column 1).
enum class TJobSubItem {
  jsDuration,          // "01:02:03", or "N/A"
  jsFileSize,          // "12.35MB"
  jsOutputName,        // output file name without folder
  jsProgress,          // written during the conversion
  jsFramesPerSecond,   // hidden; written during the conversion
  jsCurrentTime,       // written during the conversion
  jsConvertedSize,     // written during the conversion
  jsTaskNumber,        // hidden from here on: converter task index + 1
  jsCategoryCode,      // category index x 100 + preset index + 100
  jsOptionCode,        // the six choosers' item indexes
  jsVideoCodec,
  jsAudioCodec,
  jsAudioChannels,
  jsVideoTag,
  jsFileExt,           // output extension with its dot
  jsFrameSize,         // "640*480", empty = keep
  jsVideoBitrate,      // bits per second as signed decimal text
  jsFrameRate,
  jsAudioBitrate,      // bits per second as signed decimal text
  jsAudioSampleRate,
  jsFrameAspectRatio,  // "4:3", "16:9", "37:20", "47:20" or empty
  jsDisableVideo,      // "True" or "False"
  jsTargetType,        // "vcd", "svcd", "dvd" or empty
  jsNormType,          // "PAL", "NTSC" or empty
};

// A column of the list: caption, width, and whether it is hidden (width 0, at most 1 wide, so the
// user cannot widen it).
struct TJobColumn {
  std::string_view Caption;
  int Width;
  bool Hidden;
};

// The 25 columns: the caption column, then one per sub-item.
[[nodiscard]] std::span<const TJobColumn> JobColumns();

struct TJobRow {
  std::string Caption;  // full path of the input file
  std::array<std::string, kJobSubItemCount> SubItems;
  // The row's tooltip: why its conversion failed; empty for none. Moves with the row.
  std::string Hint;

  [[nodiscard]] std::string& operator[](TJobSubItem Item) { return SubItems[static_cast<int>(Item)]; }
  [[nodiscard]] const std::string& operator[](TJobSubItem Item) const { return SubItems[static_cast<int>(Item)]; }
};

class TJobList {
 public:
  TJobList();

  [[nodiscard]] int Count() const { return static_cast<int>(rows_.size()); }
  [[nodiscard]] bool Full() const { return Count() >= kJobSlotCount; }
  // Raise EListError for an index that names no row.
  [[nodiscard]] const TJobRow& Row(int Index) const;
  [[nodiscard]] const std::string& SubItem(int Index, TJobSubItem Item) const;
  void SetSubItem(int Index, TJobSubItem Item, std::string Value);
  // The row's tooltip (TJobRow::Hint); a change is told as a change of the row.
  void SetHint(int Index, std::string Value);

  // The selected row, -1 for none. Setting an index that names no row selects none.
  [[nodiscard]] int ItemIndex() const { return selected_; }
  void SetItemIndex(int Value);

  // The job records of a row (IO1 and OO1 of slot Index). Raise EListError for an index that
  // names no row.
  [[nodiscard]] const TInputOptions& IO1(int Index) const;
  [[nodiscard]] const TOutputOptions& OO1(int Index) const;

  // Appends a row with its job record; the index of the new row, or -1 when all slots are
  // taken (nothing is stored then).
  int Add(TJobRow Row, const TInputOptions& Input, const TOutputOptions& Output);

  // Deletes a row and its record: later rows and records move up by one, and every task number
  // greater than the removed row's drops by one, so the numbers stay positions in the
  // converter's task list. Answers the removed row's task number (0 when it is not a number).
  // The selection follows its row; a removed selected row leaves none.
  int Remove(int Index);

  // Exchanges the whole contents of two rows, task numbers and records included. The selection
  // stays at its index.
  void Exchange(int A, int B);

  // Deletes every row and returns every slot to fresh records.
  void Clear();

  // Told after rows change: the index of the one row whose texts changed, or -1 after rows were
  // added, removed, exchanged or cleared. Not told for a selection change.
  std::function<void(int Index)> OnChange;

 private:
  void CheckIndex(int Index) const;
  void Changed(int Index) const;

  std::vector<TJobRow> rows_;
  int selected_ = -1;
  // Slot i is row i's record; the slots past the last row hold fresh records.
  std::unique_ptr<std::array<TInputOptions, kJobSlotCount>> IO1_;
  std::unique_ptr<std::array<TOutputOptions, kJobSlotCount>> OO1_;
};

// A new job as the add operation knows it, for its row.
struct TNewJob {
  std::string InputFile;   // the caption: the input path as the converter stored it
  int64_t Duration = 0;    // microseconds; 0 or less shows "N/A"
  int64_t FileSize = 0;    // bytes
  int TaskIndex = 0;       // the converter's index of the job's task
  int CategoryCode = 0;
  std::string OptionCode;
};

// The row of a new job, from the job, its output options (after the output file was set) and the
// current-preset fields it was built from: the output name is the file-name part of the output's
// FileName; the codec, channel, tag and value columns come from the output options (numbers in
// decimal, -1 when not set); the extension, no-video, target and norm columns from the fields.
[[nodiscard]] TJobRow MakeJobRow(const TNewJob& Job, const TOutputOptions& Output, const TCurrentPreset& Fields);

// "hh:mm:ss" of a duration in seconds; hours wrap at 24 (90061 gives "01:01:01").
[[nodiscard]] std::string SecToDate(int Sec);

// A file size in MiB rounded to hundredths (ties to even), shortest decimal text and "MB":
// "12.34MB", "7MB", "0MB".
[[nodiscard]] std::string FileSizeText(int64_t Bytes);
