#include "app/JobList.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr TJobColumn kColumns[] = {
    {"输入文件", 80, false},   {"视频时间", 70, false},   {"文件大小", 70, false},
    {"输出文件", 80, false},   {"转换进度", 70, false},   {"", 0, true},
    {"当前时间", 80, false},   {"转换大小", 80, false},   {"视频序号", 0, true},
    {"视频类别", 0, true},     {"视频选项", 0, true},     {"视频编码", 0, true},
    {"音频编码", 0, true},     {"声音频道", 0, true},     {"VideoTag", 0, true},
    {"FileExt", 0, true},      {"视频分辨率", 0, true},   {"视频比特率", 0, true},
    {"视频帧率", 0, true},     {"音频比特率", 0, true},   {"音频采样率", 0, true},
    {"视频缩放", 0, true},     {"视频能否", 0, true},     {"TargetType", 0, true},
    {"NormType", 0, true},
};
static_assert(std::size(kColumns) == kJobSubItemCount + 1);

// The task number of a row's text; 0 when it is no number.
int TaskNumberOf(const std::string& Text) { return StrToIntDef(Text, 0); }

}  // namespace

std::span<const TJobColumn> JobColumns() { return kColumns; }

TJobList::TJobList()
    : IO1_(std::make_unique<std::array<TInputOptions, kJobSlotCount>>()),
      OO1_(std::make_unique<std::array<TOutputOptions, kJobSlotCount>>()) {
  Clear();
}

void TJobList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TJobList::Changed(int Index) const {
  if (OnChange) OnChange(Index);
}

const TJobRow& TJobList::Row(int Index) const {
  CheckIndex(Index);
  return rows_[Index];
}

const std::string& TJobList::SubItem(int Index, TJobSubItem Item) const { return Row(Index)[Item]; }

void TJobList::SetSubItem(int Index, TJobSubItem Item, std::string Value) {
  CheckIndex(Index);
  rows_[Index][Item] = std::move(Value);
  Changed(Index);
}

void TJobList::SetHint(int Index, std::string Value) {
  CheckIndex(Index);
  if (rows_[Index].Hint == Value) return;
  rows_[Index].Hint = std::move(Value);
  Changed(Index);
}

void TJobList::SetItemIndex(int Value) { selected_ = Value >= 0 && Value < Count() ? Value : -1; }

const TInputOptions& TJobList::IO1(int Index) const {
  CheckIndex(Index);
  return (*IO1_)[Index];
}

const TOutputOptions& TJobList::OO1(int Index) const {
  CheckIndex(Index);
  return (*OO1_)[Index];
}

int TJobList::Add(TJobRow Row, const TInputOptions& Input, const TOutputOptions& Output) {
  if (Full()) return -1;
  const int index = Count();
  rows_.push_back(std::move(Row));
  (*IO1_)[index] = Input;
  (*OO1_)[index] = Output;
  Changed(-1);
  return index;
}

int TJobList::Remove(int Index) {
  CheckIndex(Index);
  const int removed = TaskNumberOf(rows_[Index][TJobSubItem::jsTaskNumber]);
  rows_.erase(rows_.begin() + Index);
  // The records of the later rows move up with them; the freed last slot becomes fresh.
  std::move(IO1_->begin() + Index + 1, IO1_->begin() + Count() + 1, IO1_->begin() + Index);
  std::move(OO1_->begin() + Index + 1, OO1_->begin() + Count() + 1, OO1_->begin() + Index);
  InitInputOptions((*IO1_)[Count()]);
  InitOutputOptions((*OO1_)[Count()]);
  if (removed > 0)
    for (TJobRow& row : rows_) {
      const int number = TaskNumberOf(row[TJobSubItem::jsTaskNumber]);
      if (number > removed) row[TJobSubItem::jsTaskNumber] = std::to_string(number - 1);
    }
  if (selected_ == Index)
    selected_ = -1;
  else if (selected_ > Index)
    --selected_;
  Changed(-1);
  return removed;
}

void TJobList::Exchange(int A, int B) {
  CheckIndex(A);
  CheckIndex(B);
  if (A == B) return;
  std::swap(rows_[A], rows_[B]);
  std::swap((*IO1_)[A], (*IO1_)[B]);
  std::swap((*OO1_)[A], (*OO1_)[B]);
  Changed(-1);
}

void TJobList::Clear() {
  rows_.clear();
  selected_ = -1;
  for (TInputOptions& record : *IO1_) InitInputOptions(record);
  for (TOutputOptions& record : *OO1_) InitOutputOptions(record);
  Changed(-1);
}

TJobRow MakeJobRow(const TNewJob& Job, const TOutputOptions& Output, const TCurrentPreset& Fields) {
  using enum TJobSubItem;
  TJobRow row;
  row.Caption = Job.InputFile;
  row[jsDuration] = Job.Duration > 0 ? SecToDate(static_cast<int>(std::min<int64_t>(Job.Duration / 1000000, INT32_MAX)))
                                     : std::string("N/A");
  row[jsFileSize] = FileSizeText(Job.FileSize);
  row[jsOutputName] = ExtractFileName(Output.FileName);
  row[jsTaskNumber] = std::to_string(Job.TaskIndex + 1);
  row[jsCategoryCode] = std::to_string(Job.CategoryCode);
  row[jsOptionCode] = Job.OptionCode;
  row[jsVideoCodec] = Output.VideoCodec;
  row[jsAudioCodec] = Output.AudioCodec;
  row[jsAudioChannels] = std::to_string(Output.AudioChannels);
  row[jsVideoTag] = Output.VideoTag;
  row[jsFileExt] = Fields.Video_FileExt;
  row[jsFrameSize] = Output.FrameSize;
  row[jsVideoBitrate] = std::to_string(Output.VideoBitrate);
  row[jsFrameRate] = Output.FrameRate;
  row[jsAudioBitrate] = std::to_string(Output.AudioBitrate);
  row[jsAudioSampleRate] = std::to_string(Output.AudioSampleRate);
  row[jsFrameAspectRatio] = Output.FrameAspectRatio;
  row[jsDisableVideo] = Fields.Video_DisableVideo ? "True" : "False";
  row[jsTargetType] = Fields.Video_TargetType;
  row[jsNormType] = Fields.Video_NormType;
  return row;
}

std::string SecToDate(int Sec) {
  const int s = Sec % 60;
  const int m = ((Sec - s) / 60) % 60;
  const int h = ((Sec - s - m * 60) / 3600) % 24;
  char text[16];
  std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", h, m, s);
  return text;
}

std::string FileSizeText(int64_t Bytes) {
  constexpr uint64_t kMebibyte = 1024 * 1024;
  // Hundredths of a MiB, rounded to the nearest, ties to even, in whole numbers throughout.
  const unsigned __int128 scaled = static_cast<unsigned __int128>(std::max<int64_t>(Bytes, 0)) * 100;
  uint64_t hundredths = static_cast<uint64_t>(scaled / kMebibyte);
  const uint64_t rest = static_cast<uint64_t>(scaled % kMebibyte);
  if (2 * rest > kMebibyte || (2 * rest == kMebibyte && hundredths % 2 == 1)) ++hundredths;
  std::string text = std::to_string(hundredths / 100);
  const uint64_t fraction = hundredths % 100;
  if (fraction != 0) {
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
  }
  return text + "MB";
}
