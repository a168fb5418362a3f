// The converter component and the user's files: an output never replaces an input of its batch
// (however its name is spelt), describing an output touches nothing on disk, and two tasks never
// write one file.

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <mutex>
#include <sstream>

#include "ConvexaTestSupport.h"
#include "platform/Watchdog.h"

namespace {

using convexatest::PumpUntil;
namespace fs = std::filesystem;

std::string Contents(const fs::path& AFile) {
  std::stringstream text;
  text << std::ifstream(AFile, std::ios::binary).rdbuf();
  return text.str();
}

class ConvexaFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadLibraries();
    folder = fixtures::ScratchFolder("convexa-files");
    // The user's own file, in the user's folder: tests may convert it, never the shared fixture.
    input = (folder / "x.mpg").string();
    fs::copy_file(fixtures::Container("av.mpg"), input);
    original = Contents(input);
    MakeComponent();
  }
  void MakeComponent() {
    convexa = std::make_unique<convexatest::TTestConvexa>(nullptr);
    convexa->OnTerminate = [this](TObject*, const TTerminateInfo& AInfo) {
      std::lock_guard<std::mutex> guard(lock);
      if (AInfo.TaskIndex >= 0)
        records[AInfo.TaskIndex] = AInfo;
      else
        ended = true;
    };
  }
  void TearDown() override {
    convexa.reset();
    std::error_code error;
    fs::permissions(folder / "locked", fs::perms::owner_all, error);
    fs::remove_all(folder, error);
  }
  std::string Out(const std::string& AName) const { return (folder / AName).string(); }
  // Runs the batch to its end on two worker threads.
  void RunBatch() {
    convexa->Start(2);
    ASSERT_TRUE(PumpUntil([&] {
      std::lock_guard<std::mutex> guard(lock);
      return ended;
    }, 50000));
  }
  TTerminateInfo Record(int ATask) {
    std::lock_guard<std::mutex> guard(lock);
    return records.at(ATask);
  }

  fs::path folder;
  std::string input, original;
  std::unique_ptr<convexatest::TTestConvexa> convexa;
  std::mutex lock;
  std::map<int, TTerminateInfo> records;
  bool ended = false;
};

TEST_F(ConvexaFiles, AnOutputThatIsTheInputIsRefusedAndTheInputKept) {
  TWatchdog watchdog("outputs that are the input", 60000);
  fs::create_symlink(input, folder / "link.mpg");
  fs::create_hard_link(input, folder / "hard.mpg");
  fs::create_directories(folder / "sub");
  const fs::path cwd = fs::current_path();
  struct TCase {
    const char* What;
    std::string Output;
  };
  const TCase cases[] = {
      {"the same name", input},
      {"the name from the current folder", "./x.mpg"},
      {"a detour through another folder", Out("sub/../x.mpg")},
      {"a symbolic link to it", Out("link.mpg")},
      {"a hard link to it", Out("hard.mpg")},
  };
  fs::current_path(folder);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    ASSERT_EQ(convexa->AddTask(input), 0) << convexa->LastErrMsg();
    TOutputOptions options;
    EXPECT_FALSE(convexa->SetOutputFile(0, c.Output, &options));
    EXPECT_EQ(convexa->LastErrMsg(), "Output file '" + c.Output + "' is the same file as input file #0 '" + input +
                                         "'; a file cannot be replaced by its own conversion");
    EXPECT_EQ(Contents(input), original);
    // Started anyway, the task fails with that cause and the input stays whole.
    ended = false;
    records.clear();
    RunBatch();
    EXPECT_TRUE(Record(0).Exception);
    EXPECT_EQ(Record(0).ExceptionMsg, convexa->LastErrMsg());
    EXPECT_EQ(Contents(input), original);
    convexa->ClearTasks();
  }
  fs::current_path(cwd);
}

TEST_F(ConvexaFiles, DescribingAnOutputTouchesNothingUntilTheTaskRuns) {
  TWatchdog watchdog("outputs described and run", 60000);
  const std::string existing = Out("existing.avi");
  std::ofstream(existing) << "the user's own file";
  // A task removed, a list cleared and a component gone before the start leave the file alone.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(convexa->AddTask(input), 0);
    ASSERT_TRUE(convexa->SetOutputFile(0, existing, "")) << convexa->LastErrMsg();
    EXPECT_FALSE(fs::exists(Out("new.avi")));
    ASSERT_TRUE(convexa->SetOutputFile(0, Out("new.avi"), "")) << convexa->LastErrMsg();
    EXPECT_EQ(Contents(existing), "the user's own file");
    EXPECT_FALSE(fs::exists(Out("new.avi"))) << "a file that did not exist is not made either";
    if (round == 0) convexa->RemoveTask(0);
    if (round == 1) convexa->ClearTasks();
    if (round == 2) MakeComponent();
    EXPECT_EQ(Contents(existing), "the user's own file");
    EXPECT_FALSE(fs::exists(Out("new.avi")));
  }

  // What can be seen before the run is still refused at once, with nothing made anywhere.
  fs::create_directories(folder / "locked");
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  struct TCase {
    const char* What;
    std::string Output;
    const char* Reason;
  };
  std::vector<TCase> cases = {
      {"missing folder", Out("no/such/folder/y.avi"), "No such file or directory"},
      {"a folder as the output", Out("folder.avi"), "Is a directory"},
      {"a file as the folder", existing + "/y.avi", "Not a directory"},
  };
  fs::create_directories(folder / "folder.avi");
  if (::geteuid() != 0) cases.push_back({"unwritable folder", Out("locked/y.avi"), "Permission denied"});
  ASSERT_EQ(convexa->AddTask(input), 0);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_FALSE(convexa->SetOutputFile(0, c.Output, ""));
    EXPECT_EQ(convexa->LastErrMsg(), c.Output + ": " + c.Reason);
  }
  EXPECT_FALSE(fs::exists(folder / "no"));
  EXPECT_TRUE(fs::is_empty(folder / "locked"));
  EXPECT_EQ(Contents(existing), "the user's own file");

  // Run, the task replaces the file it was given: that was the caller's choice.
  ASSERT_TRUE(convexa->SetOutputFile(0, existing, "")) << convexa->LastErrMsg();
  RunBatch();
  EXPECT_TRUE(Record(0).Finished) << Record(0).ExceptionMsg;
  EXPECT_EQ(fixtures::Probe(existing)["format.format_name"], "avi");
}

TEST_F(ConvexaFiles, NoTaskReplacesAnInputOrAnotherTasksOutput) {
  TWatchdog watchdog("outputs shared in a batch", 60000);
  const std::string second = Out("second.mpg");
  fs::copy_file(input, second);
  // An older output of the user's, known under two names.
  const std::string out = Out("out.avi");
  std::ofstream(out) << "an older conversion";
  fs::create_hard_link(out, folder / "also-out.avi");
  // Task 0 writes out.avi; task 1 names it again by its other name; task 2 would replace task
  // 3's input; task 3 converts that input.
  const std::pair<std::string, std::string> tasks[] = {
      {input, out}, {input, Out("also-out.avi")}, {input, second}, {second, Out("third.avi")}};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(convexa->AddTask(tasks[i].first), i) << convexa->LastErrMsg();
    ASSERT_TRUE(convexa->SetOutputFile(i, tasks[i].second, "")) << convexa->LastErrMsg();
  }
  RunBatch();
  EXPECT_TRUE(Record(0).Finished) << Record(0).ExceptionMsg;
  EXPECT_TRUE(Record(1).Exception);
  EXPECT_EQ(Record(1).ExceptionMsg, "Output file '" + tasks[1].second + "' is the same file as the output '" + out +
                                        "' of task #0; one file cannot take two conversions");
  EXPECT_TRUE(Record(2).Exception);
  EXPECT_EQ(Record(2).ExceptionMsg,
            "Output file '" + second + "' is the same file as '" + second + "', an input of this batch; it is not replaced");
  EXPECT_TRUE(Record(3).Finished) << Record(3).ExceptionMsg;
  EXPECT_EQ(Contents(second), original);
  // The shared output holds one whole conversion.
  const auto probe = fixtures::Probe(out);
  EXPECT_EQ(probe.count("streams.stream.0.codec_name") ? probe.at("streams.stream.0.codec_name") : "", "mpeg4");
  EXPECT_NEAR(std::stod(probe.count("format.duration") ? probe.at("format.duration") : "0"), 2.0, 0.3);
  EXPECT_TRUE(fixtures::Run("ffmpeg -nostdin -v error -i " + fixtures::Quoted(out) + " -f null - 2>&1").empty());
}

// A full disk is named as such (every write to this device fails with "no space"), and a file
// whose last bytes could not be written is no success.
TEST_F(ConvexaFiles, AFullDiskIsNamedInTheTasksMessage) {
  TWatchdog watchdog("writing to a full disk", 60000);
  ASSERT_EQ(convexa->AddTask(input), 0);
  ASSERT_TRUE(convexa->SetOutputFile(0, "/dev/full", "f=avi")) << convexa->LastErrMsg();
  RunBatch();
  EXPECT_TRUE(Record(0).Exception);
  EXPECT_EQ(Record(0).ExceptionMsg, "Could not finish writing output file #0 '/dev/full': No space left on device");
  EXPECT_TRUE(fs::exists("/dev/full"));
}

// Descriptors of this process open on a file in AFolder.
int OpenFilesIn(const fs::path& AFolder) {
  int count = 0;
  const std::string prefix = fs::canonical(AFolder).string() + "/";
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const fs::path target = fs::read_symlink(entry.path(), error);
    if (!error && target.string().starts_with(prefix)) ++count;
  }
  return count;
}

// Between its set-up and its start a task holds no file: it lets go of its input once its output
// is described, keeps the rest of its set-up, and opens the input again, the way it was opened
// (a start time included), for more set-up, for its probe and at its start. An input that is gone
// or was changed by then fails its task with the reason and writes nothing; the others convert.
TEST_F(ConvexaFiles, TasksHoldNoInputBetweenSetUpAndStartAndFailAGoneOrChangedOne) {
  TWatchdog watchdog("inputs opened at the start", 60000);
  const std::string late = Out("late.mpg"), gone = Out("gone.mpg"), changed = Out("changed.mpg");
  for (const std::string& copy : {late, gone, changed}) fs::copy_file(input, copy);
  struct TCase {
    std::string File;
    int64_t TimeStart;
  };
  const TCase cases[] = {{input, NoTimestamp}, {late, 1000000}, {gone, NoTimestamp}, {changed, NoTimestamp}};
  std::vector<int> streams;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(cases[i].File);
    TInputOptions options;
    options.TimeStart = cases[i].TimeStart;
    ASSERT_EQ(convexa->AddTask(cases[i].File, &options), i) << convexa->LastErrMsg();
    TAVProbe* probe = convexa->GetTaskProbe(i, 0);
    ASSERT_NE(probe, nullptr) << "the new task describes its input";
    streams.push_back(probe->StreamCount());
    EXPECT_EQ(OpenFilesIn(folder), 1);
    ASSERT_TRUE(convexa->SetOutputFile(i, Out("out" + std::to_string(i) + ".avi"), "")) << convexa->LastErrMsg();
    EXPECT_EQ(OpenFilesIn(folder), 0) << "a set-up task holds no file";
    EXPECT_EQ(convexa->Task(i)->InputFile(0), nullptr);
    EXPECT_EQ(convexa->Task(i)->OutputFile(0).streams.size(), 2u) << "the rest of the set-up stays";
  }
  // Its probe and more set-up open a task's input again; touching another task lets it go.
  TAVProbe* probe = convexa->GetTaskProbe(0, 0);
  ASSERT_NE(probe, nullptr) << convexa->LastErrMsg();
  EXPECT_EQ(probe->StreamCount(), streams[0]);
  EXPECT_EQ(OpenFilesIn(folder), 1);
  ASSERT_TRUE(convexa->SetOutputFile(1, Out("out1b.avi"), "")) << convexa->LastErrMsg();
  EXPECT_EQ(OpenFilesIn(folder), 0);
  EXPECT_EQ(convexa->Task(1)->NbOutputFiles(), 2);

  fs::remove(gone);
  std::ofstream(changed, std::ios::app) << "more bytes";
  RunBatch();
  EXPECT_EQ(OpenFilesIn(folder), 0);
  for (const std::string name : {"out0.avi", "out1.avi", "out1b.avi"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(Record(name == std::string("out0.avi") ? 0 : 1).Finished);
    const std::map<std::string, std::string> probed = fixtures::Probe(Out(name));
    EXPECT_EQ(probed.count("streams.stream.1.codec_type"), 1u) << "picture and sound";
    // The start time the input was opened with holds when it is opened again.
    const double expected = name == std::string("out0.avi") ? 2.0 : 1.0;
    EXPECT_NEAR(std::stod(probed.count("format.duration") ? probed.at("format.duration") : "0"), expected, 0.2);
  }
  EXPECT_TRUE(Record(2).Exception);
  EXPECT_EQ(Record(2).ExceptionMsg, AVErrorText(gone, AVERROR(ENOENT)));
  EXPECT_TRUE(Record(3).Exception);
  EXPECT_EQ(Record(3).ExceptionMsg, changed + ": the file was changed after it was added to the task");
  EXPECT_FALSE(fs::exists(Out("out2.avi")) || fs::exists(Out("out3.avi"))) << "a failed start writes nothing";
  EXPECT_EQ(Contents(input), original);
}

}  // namespace
