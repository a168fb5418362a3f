#include "app/JobList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/Exceptions.h"

namespace {

using enum TJobSubItem;

// A row whose caption and task number name it, with a record that carries the same name.
struct TJob {
  TJobRow row;
  TInputOptions input;
  TOutputOptions output;
};

TJob MakeJob(const std::string& name, int taskNumber) {
  TJob job;
  job.row.Caption = "/in/" + name;
  job.row[jsTaskNumber] = std::to_string(taskNumber);
  InitInputOptions(job.input);
  job.input.FileName = job.row.Caption;
  InitOutputOptions(job.output);
  job.output.FileFormat = name;
  job.output.AudioVolume = taskNumber;
  return job;
}

void AddJobs(TJobList& list, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    TJob job = MakeJob(name, list.Count() + 1);
    list.Add(job.row, job.input, job.output);
  }
}

// Caption, task number and the record's name of every row.
std::vector<std::string> Contents(const TJobList& list) {
  std::vector<std::string> contents;
  for (int i = 0; i < list.Count(); ++i)
    contents.push_back(list.Row(i).Caption + " " + list.SubItem(i, jsTaskNumber) + " " + list.OO1(i).FileFormat);
  return contents;
}

TEST(JobListTest, ColumnsOfTheList) {
  const auto columns = JobColumns();
  ASSERT_EQ(columns.size(), 25u);
  EXPECT_EQ(columns[0].Caption, "输入文件");
  EXPECT_EQ(columns[3].Caption, "输出文件");
  EXPECT_TRUE(columns[5].Hidden);
  EXPECT_EQ(columns[10].Caption, "视频选项");
  EXPECT_EQ(columns[24].Caption, "NormType");
  int visible = 0;
  for (const TJobColumn& column : columns) {
    if (!column.Hidden) {
      ++visible;
    } else {
      EXPECT_EQ(column.Width, 0) << column.Caption;
    }
  }
  EXPECT_EQ(visible, 7);
}

TEST(JobListTest, RemoveMovesLaterRecordsAndRenumbersTasks) {
  TJobList list;
  AddJobs(list, {"a", "b", "c"});
  list.SetItemIndex(2);
  EXPECT_EQ(list.Remove(1), 2);
  EXPECT_EQ(Contents(list), (std::vector<std::string>{"/in/a 1 a", "/in/c 2 c"}));
  EXPECT_EQ(list.OO1(1).AudioVolume, 3) << "the record moved with its row";
  EXPECT_EQ(list.ItemIndex(), 1) << "the selection follows its row";
  list.Remove(1);
  EXPECT_EQ(list.ItemIndex(), -1) << "a removed selected row leaves no selection";

  // A slot freed by a removal holds a fresh record once it is taken again.
  TJob next = MakeJob("d", 2);
  next.output.FileFormat.clear();
  list.Add(next.row, next.input, next.output);
  EXPECT_EQ(list.OO1(1).FileFormat, "");
}

TEST(JobListTest, ExchangeCarriesRowsAndRecords) {
  TJobList list;
  AddJobs(list, {"a", "b", "c"});
  list.Exchange(2, 1);
  EXPECT_EQ(Contents(list), (std::vector<std::string>{"/in/a 1 a", "/in/c 3 c", "/in/b 2 b"}));
  EXPECT_EQ(list.IO1(1).FileName, "/in/c");
}

TEST(JobListTest, HoldsAtMost501Jobs) {
  TJobList list;
  std::vector<int> changes;
  list.OnChange = [&](int index) { changes.push_back(index); };
  TJob job = MakeJob("x", 1);
  for (int i = 0; i < kJobSlotCount; ++i) ASSERT_EQ(list.Add(job.row, job.input, job.output), i);
  EXPECT_TRUE(list.Full());
  EXPECT_EQ(list.Add(job.row, job.input, job.output), -1);
  EXPECT_EQ(list.Count(), 501);
  EXPECT_EQ(changes.size(), 501u) << "a refused add changes nothing";

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_THROW((void)list.OO1(0), EListError);
  EXPECT_THROW(list.SetSubItem(0, jsProgress, "1%"), EListError);
  list.SetItemIndex(0);
  EXPECT_EQ(list.ItemIndex(), -1);
}

TEST(JobListTest, ANewJobsRow) {
  TCurrentPreset fields;
  fields.Reset();
  fields.Video_FileExt = ".mp3";
  fields.Video_DisableVideo = true;
  fields.Video_TargetType = "";
  fields.Video_NormType = "";
  TOutputOptions output;
  InitOutputOptions(output);
  output.FileName = "/out/clip.mp3";
  output.AudioCodec = "libmp3lame";
  output.AudioChannels = 2;
  output.AudioSampleRate = 48000;
  output.AudioBitrate = 128000;
  const TNewJob job{"/in/clip.avi", 3723 * 1000000LL, 12943360, 4, 200, "000010000004"};
  const TJobRow row = MakeJobRow(job, output, fields);
  EXPECT_EQ(row.Caption, "/in/clip.avi");
  const std::vector<std::string> expected = {
      "01:02:03", "12.34MB", "clip.mp3", "", "", "", "", "5", "200", "000010000004", "", "libmp3lame",
      "2", "", ".mp3", "", "-1", "", "128000", "48000", "", "True", "", ""};
  EXPECT_EQ(std::vector<std::string>(row.SubItems.begin(), row.SubItems.end()), expected);
  EXPECT_EQ(MakeJobRow({"/in/x", 0, 0, 0, 100, ""}, output, fields)[jsDuration], "N/A");
}

TEST(JobListTest, DurationAndSizeTexts) {
  EXPECT_EQ(SecToDate(3723), "01:02:03");
  EXPECT_EQ(SecToDate(90061), "01:01:01") << "hours wrap at 24";
  EXPECT_EQ(SecToDate(0), "00:00:00");
  struct Case {
    int64_t bytes;
    const char* text;
  };
  const Case sizes[] = {
      {1000, "0MB"},          {12943360, "12.34MB"},    {7 * 1048576LL, "7MB"},
      {419431, "0.4MB"},      // 0.39999... MiB rounds up to 0.40
      {5242, "0MB"},          // 0.004999 MiB
      {15728640 + 5243, "15.01MB"},  // 15.0050001 MiB
      {0, "0MB"},
  };
  for (const Case& c : sizes) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(FileSizeText(c.bytes), c.text);
  }
  // Ties go to the even hundredth: 0.125 MiB gives 0.12, 0.375 MiB gives 0.38.
  EXPECT_EQ(FileSizeText(131072), "0.12MB");
  EXPECT_EQ(FileSizeText(393216), "0.38MB");
}

}  // namespace
