// Playback with SDL's dummy video and audio drivers: opening, playing to the end, pausing,
// stepping, seeking, the current picture, stream switching, events and teardown.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "MediaFixtures.h"
#include "PlayerTestSupport.h"
#include "Src/FFPlay.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "Src/libsdl.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/Watchdog.h"
#include "platform/windowing/Messages.h"
#include "platform/core/Thread.h"
#include "platform/windowing/Window.h"

namespace {

void LoadLibraries() {
  static const int holder = 0;
  static const bool loaded = FFLoader().Load(PlayerLibraries, &holder);
  ASSERT_TRUE(loaded) << FFLoader().LastErrMsg();
}

using playertest::ThreadCount;
using playertest::WaitUntil;

std::string VideoOnlyFile() {
  return fixtures::Make("v-only.mp4", "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -c:v mpeg4 -g 12 "
                                      "-bf 0 -f mp4");
}

std::string TwoAudioStreamsFile() {
  return fixtures::Make("two-audio.mkv",
                        "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -f lavfi -i sine=frequency=440:duration=1 "
                        "-f lavfi -i sine=frequency=880:duration=1 -map 0 -map 1 -map 2 -c:v mpeg4 -c:a pcm_s16le "
                        "-f matroska");
}

std::string CorruptFile() {
  const std::string name = (fixtures::Folder() / "corrupt.mp4").string();
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) out.put(static_cast<char>(random()));
  return name;
}

// A ten-second stereo WAV whose every sample frame is the same: 0.5 (16384) left and -0.25
// (-8192) right, so that any stretch of the sound shows the volume it was played at.
std::string ConstantToneFile() {
  return fixtures::Make("constant-tone.wav", "-f lavfi -i 'aevalsrc=0.5|-0.25:s=44100:d=10' -c:a pcm_s16le");
}

// The audio device as the player opens it, watched: the player's callback still runs on SDL's
// audio thread into SDL's buffer, and every block it has filled is kept for the test.
struct TAudioWatch {
  using TCallback = void (*)(void*, Uint8*, int);
  static TAudioWatch*& Current() {
    static TAudioWatch* current = nullptr;
    return current;
  }
  TAudioWatch() : FRealOpen(sdl::SDL_OpenAudio) {
    Current() = this;
    sdl::SDL_OpenAudio = &OpenAudio;
  }
  ~TAudioWatch() {
    sdl::SDL_OpenAudio = FRealOpen;
    Current() = nullptr;
  }
  size_t BlockCount() {
    std::lock_guard lock(FLock);
    return FBlocks.size();
  }
  // The samples of every block from AFirst on, interleaved.
  std::vector<int16_t> SamplesFrom(size_t AFirst) {
    std::lock_guard lock(FLock);
    std::vector<int16_t> out;
    for (size_t i = AFirst; i < FBlocks.size(); ++i) out.insert(out.end(), FBlocks[i].begin(), FBlocks[i].end());
    return out;
  }
  SDL_AudioSpec Obtained{};

 private:
  static int OpenAudio(SDL_AudioSpec* AWanted, SDL_AudioSpec* AObtained) {
    TAudioWatch* self = Current();
    self->FCallback = AWanted->callback;
    SDL_AudioSpec wanted = *AWanted;
    wanted.callback = &Fill;
    const int result = self->FRealOpen(&wanted, AObtained);
    if (result == 0 && AObtained) self->Obtained = *AObtained;
    return result;
  }
  static void Fill(void* AUserData, Uint8* AStream, int ALen) {
    TAudioWatch* self = Current();
    if (!self) return;
    std::memset(AStream, 0, size_t(ALen));  // as SDL hands it over: silence
    self->FCallback(AUserData, AStream, ALen);
    std::vector<int16_t> block(size_t(ALen) / 2);
    std::memcpy(block.data(), AStream, block.size() * 2);
    std::lock_guard lock(self->FLock);
    self->FBlocks.push_back(std::move(block));
  }
  decltype(sdl::SDL_OpenAudio) FRealOpen;
  TCallback FCallback = nullptr;
  std::mutex FLock;
  std::vector<std::vector<int16_t>> FBlocks;
};

// A named pipe whose writer sends the first ABytes of a file and then falls silent with the pipe
// still open, so that a reader of the pipe blocks in its next read. The writer closes the pipe
// on Release, and on its own after five seconds (a watchdog that turns a hang into a failure).
class TStalledPipe {
 public:
  TStalledPipe(const std::string& ASource, size_t ABytes)
      : FFolder(fixtures::ScratchFolder("stalled-pipe")), FName((FFolder / "stalled.wav").string()) {
    if (::mkfifo(FName.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
    std::ifstream in(ASource, std::ios::binary);
    std::string data(ABytes, '\0');
    in.read(data.data(), std::streamsize(ABytes));
    data.resize(size_t(in.gcount()));
    FWriter = std::thread([this, data = std::move(data)] {
      const int fd = ::open(FName.c_str(), O_WRONLY);  // waits for a reader
      if (fd >= 0) {
        Signal(FOpened);
        for (size_t done = 0; done < data.size();) {
          const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
          if (n <= 0) break;
          done += size_t(n);
        }
        FWritten = true;
        std::unique_lock lock(FLock);
        FCond.wait_for(lock, std::chrono::seconds(5), [this] { return FReleased; });
        lock.unlock();
        ::close(fd);
      }
      FDone = true;
    });
  }
  ~TStalledPipe() {
    Release();
    // A writer still waiting for a reader gets one, and one held by a full pipe (nobody read what
    // it wrote) is drained until it ends; the read ends close only then, so it never writes to a
    // pipe without a reader.
    const int fd = ::open(FName.c_str(), O_RDONLY | O_NONBLOCK);
    for (int end : {fd, FReadEnd})
      if (end >= 0) ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    while (!FDone) {
      pollfd ends[2] = {{fd, POLLIN, 0}, {FReadEnd, POLLIN, 0}};
      ::poll(ends, 2, 50);
      char sink[65536];
      for (int end : {fd, FReadEnd})
        while (end >= 0 && ::read(end, sink, sizeof sink) > 0) {
        }
    }
    FWriter.join();
    if (fd >= 0) ::close(fd);
    if (FReadEnd >= 0) ::close(FReadEnd);
    std::filesystem::remove_all(FFolder);
  }
  // The pipe as a reader names it. A pipe is read only through a stream protocol: "pipe:<fd>" of
  // a read end opened here (the libraries' own reader), or the framework's "unicode:" reader,
  // which opens the pipe itself and so waits for the writer.
  std::string URL(bool AFrameworkReader) {
    if (AFrameworkReader) return "unicode:utf8:" + FName;
    if (FReadEnd < 0) {
      FReadEnd = ::open(FName.c_str(), O_RDONLY | O_NONBLOCK);  // does not wait for the writer
      // Until the writer has its end open, a read would find no writer and end the stream at once.
      std::unique_lock lock(FLock);
      FCond.wait_for(lock, std::chrono::seconds(30), [this] { return FOpened || FDone; });
      lock.unlock();
      if (FReadEnd >= 0) ::fcntl(FReadEnd, F_SETFL, ::fcntl(FReadEnd, F_GETFL) & ~O_NONBLOCK);
    }
    return "pipe:" + std::to_string(FReadEnd);
  }
  void Release() { Signal(FReleased); }
  [[nodiscard]] const std::string& Name() const { return FName; }
  [[nodiscard]] bool Written() const { return FWritten; }

 private:
  void Signal(bool& AFlag) {
    std::lock_guard lock(FLock);
    AFlag = true;
    FCond.notify_all();
  }

  std::filesystem::path FFolder;
  std::string FName;
  int FReadEnd = -1;
  std::mutex FLock;
  std::condition_variable FCond;
  bool FOpened = false;
  bool FReleased = false;
  std::atomic<bool> FWritten{false};
  std::atomic<bool> FDone{false};
  std::thread FWriter;
};

// Drops the player's quit events on their way to SDL while Dropping is set, as a full or lost
// event queue would. Installed while no playback runs (the playback's threads read the hook).
struct TQuitEventsLost {
  static std::atomic<bool>& Dropping() {
    static std::atomic<bool> dropping{false};
    return dropping;
  }
  static int Push(SDL_Event* AEvent) {
    if (Dropping() && (AEvent->type == playback::FF_QUIT_EVENT || AEvent->type == SDL_QUIT)) return 0;
    return RealPush()(AEvent);
  }
  static decltype(sdl::SDL_PushEvent)& RealPush() {
    static decltype(sdl::SDL_PushEvent) real = nullptr;
    return real;
  }
  TQuitEventsLost() {
    RealPush() = sdl::SDL_PushEvent;
    sdl::SDL_PushEvent = &Push;
  }
  ~TQuitEventsLost() {
    Dropping() = false;
    sdl::SDL_PushEvent = RealPush();
  }
};

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    LoadLibraries();
    MakePlayer();
  }
  void MakePlayer() {
    player = std::make_unique<TFFPlayer>(nullptr);
    player->OnState = [this](TObject*, TPlayState AState) { states.push_back(AState); };
    player->OnPosition = [this](TObject*, int64_t APTS) { positions.push_back(APTS); };
    player->OnFileOpen = [this](TObject*, int64_t ADuration, int AWidth, int AHeight, int&, int&) {
      duration = ADuration;
      frameWidth = AWidth;
      frameHeight = AHeight;
    };
  }
  void TearDown() override {
    if (player) player->Stop(true);
    player.reset();
  }

  bool Saw(TPlayState AState) const { return std::find(states.begin(), states.end(), AState) != states.end(); }
  int64_t ShownPTS() {
    int64_t pts = -1;
    player->CurrentFrame(pts);
    return pts;
  }
  // The position of the shown picture once it has stayed the same for 200 ms (longer than any
  // picture of the test files waits for its turn, so nothing is queued behind it any more).
  int64_t SettledPTS() {
    int64_t last = -2;
    for (int i = 0; i < 40; ++i) {
      const int64_t now = ShownPTS();
      if (now == last && now >= 0) return now;
      last = now;
      WaitUntil([] { return false; }, 200);
    }
    return last;
  }

  std::unique_ptr<TFFPlayer> player;
  std::vector<TPlayState> states;
  std::vector<int64_t> positions;
  int64_t duration = -2;
  int frameWidth = -2, frameHeight = -2;
};

TEST_F(PlayerTest, PlaysToTheEndWithOrderedPositionsAndStopsWithoutLeavingThreads) {
  const int threadsBefore = ThreadCount();
  const std::string file = fixtures::Mp4();
  ASSERT_TRUE(player->Open(file, 0, false)) << player->LastErrMsg();
  EXPECT_EQ(player->FileName(), file);
  EXPECT_EQ(frameWidth, 160);
  EXPECT_EQ(frameHeight, 120);
  EXPECT_NEAR(duration, 2000000, 100000);
  EXPECT_GE(player->VideoStreamIndex(), 0);
  EXPECT_GE(player->AudioStreamIndex(), 0);
  EXPECT_FALSE(player->Paused());
  ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psEnd); })) << "the end is reported";
  ASSERT_FALSE(positions.empty());
  // The video clock runs on between pictures and is set to each picture's time as it is shown,
  // so on a loaded machine a late picture may set the position back by less than a picture's
  // duration (40 ms here); beyond that the positions only move forward.
  for (size_t i = 1; i < positions.size(); ++i) {
    EXPECT_GT(positions[i], positions[i - 1] - 40000) << i;
    if (positions[i] != duration) {  // the end is sent however little it moved
      EXPECT_GT(std::llabs(positions[i] - positions[i - 1]), 10000) << "only moves of more than 10 ms are sent";
    }
  }
  EXPECT_TRUE(WaitUntil([&] { return positions.back() == duration; }, 2000))
      << "the end position is sent as the duration, last " << positions.back();
  player->Stop(true);
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.front(), TPlayState::psPlay);
  EXPECT_EQ(states.back(), TPlayState::psStop);
  EXPECT_TRUE(player->Paused()) << "nothing open";
  EXPECT_EQ(player->VideoStreamIndex(), -1);
  EXPECT_EQ(ThreadCount(), threadsBefore) << "every thread of the playback has ended";
}

TEST_F(PlayerTest, OpenPausedShowsAPictureAndReportsThePause) {
  ASSERT_TRUE(player->Open(fixtures::Mp4(), 0, true)) << player->LastErrMsg();
  ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psPause); }));
  EXPECT_TRUE(player->Paused());
  EXPECT_EQ(states.front(), TPlayState::psPlay);
  const int64_t shown = SettledPTS();
  EXPECT_GE(shown, 0);
  EXPECT_LE(shown, 80000) << "one of the first pictures";
  player->Resume();
  EXPECT_FALSE(player->Paused());
  ASSERT_TRUE(WaitUntil([&] { return ShownPTS() > 400000; })) << "playback goes on after Resume";
  EXPECT_EQ(states.back(), TPlayState::psResume);
}

TEST_F(PlayerTest, CurrentFrameMatchesTheDecodedReference) {
  enum class THook { none, paintWhite, raise };
  struct Case {
    const char* name;
    bool flip;
    THook hook;
  } cases[] = {
      {"as decoded", false, THook::none},
      {"upside down", true, THook::none},
      {"hook paints the picture white", false, THook::paintWhite},
      {"hook raises: the picture stays as decoded", false, THook::raise},
  };
  const std::string file = fixtures::Mp4();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    player->Stop(true);  // the end of a playback resets its per-playback settings
    states.clear();
    player->SetHook(c.hook != THook::none);
    player->OnHook = nullptr;
    if (c.hook == THook::paintWhite)
      player->OnHook = [](TObject*, TBitmap* ABitmap, int64_t) {
        for (int y = 0; y < ABitmap->Height(); ++y) std::memset(ABitmap->ScanLine(y), 255, size_t(ABitmap->Width()) * 3);
      };
    if (c.hook == THook::raise) player->OnHook = [](TObject*, TBitmap*, int64_t) { throw Exception("hook failed"); };
    player->SetVerticalFlip(c.flip);  // a per-playback setting: made before each Open
    ASSERT_TRUE(player->Open(file, 0, true)) << player->LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psPause); }));
    const int64_t pts = SettledPTS();
    int64_t framePts = -1;
    TBitmap* bitmap = player->CurrentFrame(framePts);
    EXPECT_EQ(framePts, pts);
    ASSERT_EQ(bitmap->Width(), 160);
    ASSERT_EQ(bitmap->Height(), 120);
    const int index = static_cast<int>((pts + 20000) / 40000);
    const std::string reference = fixtures::DecodedBGR(file, index + 1);
    ASSERT_EQ(reference.size(), size_t(160 * 120 * 3) * (index + 1));
    const auto* expected = reinterpret_cast<const uint8_t*>(reference.data()) + size_t(160 * 120 * 3) * index;
    long long difference = 0;
    for (int y = 0; y < 120; ++y) {
      const auto* row = static_cast<const uint8_t*>(bitmap->ScanLine(y));
      const uint8_t* want = expected + (c.flip ? 119 - y : y) * 160 * 3;
      for (int x = 0; x < 160 * 3; ++x)
        difference += std::abs(int(row[x]) - (c.hook == THook::paintWhite ? 255 : int(want[x])));
    }
    // white goes through 4:2:0 and back; a decoded picture is converted exactly as the reference
    EXPECT_LT(double(difference) / (160 * 120 * 3), c.hook == THook::paintWhite ? 8.0 : 1.0)
        << "mean difference per channel";
  }
}

TEST_F(PlayerTest, SteppingAdvancesOnePictureAndStaysPaused) {
  ASSERT_TRUE(player->Open(fixtures::Mp4(), 0, true)) << player->LastErrMsg();
  ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psPause); }));
  int64_t shown = SettledPTS();
  for (int step = 0; step < 3; ++step) {
    SCOPED_TRACE(step);
    player->StepToNextFrame();
    ASSERT_TRUE(WaitUntil([&] { return ShownPTS() != shown; }, 3000));
    const int64_t next = SettledPTS();
    EXPECT_EQ(next - shown, 40000) << "exactly one picture further";
    EXPECT_TRUE(player->Paused());
    shown = next;
  }
  EXPECT_EQ(std::count(states.begin(), states.end(), TPlayState::psStep), 1) << "psStep is reported once";
}

TEST_F(PlayerTest, SeeksLandOnTheKeyFrameWithinAPictureOfTheTarget) {
  const std::string file = fixtures::Mp4();
  const std::vector<long long> keys = fixtures::KeyFrameTimes(file);
  ASSERT_GE(keys.size(), 4u);
  ASSERT_TRUE(player->Open(file, 0, true)) << player->LastErrMsg();
  ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psPause); }));
  for (long long target : {keys[2] + 20000, keys[1], keys[3], 0LL}) {
    SCOPED_TRACE(target);
    player->Seek(int64_t(target), TSeekFlags{TSeekFlag::sfBackward}, true);
    EXPECT_TRUE(WaitUntil([&] { return !player->Seeking(); }, 3000));
    ASSERT_TRUE(WaitUntil([&] { return std::llabs(ShownPTS() - target) <= 40000; }, 3000))
        << "shown " << ShownPTS();
    EXPECT_TRUE(player->Paused()) << "a paused seek shows the new picture and stays paused";
  }
}

TEST_F(PlayerTest, SwitchesAudioStreamsAndRefusesInvalidOnes) {
  ASSERT_TRUE(player->Open(TwoAudioStreamsFile(), 0, false)) << player->LastErrMsg();
  const int first = player->AudioStreamIndex();
  ASSERT_TRUE(first == 1 || first == 2) << first;
  const int other = first == 1 ? 2 : 1;
  player->SetAudioStreamIndex(other);
  EXPECT_EQ(player->AudioStreamIndex(), other);
  struct Case {
    int index;
    const char* error;
  } refused[] = {
      {0, "the stream type is not matched."},
      {3, "the stream index is not valid."},
      {-1, "the stream index is not valid."},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.index);
    player->SetAudioStreamIndex(c.index);
    EXPECT_EQ(player->LastErrMsg(), c.error);
    EXPECT_EQ(player->AudioStreamIndex(), other);
  }
  player->SetSubtitleStreamIndex(-1);  // none open: nothing changes
  EXPECT_EQ(player->SubtitleStreamIndex(), -1);
  ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psEnd); })) << "playback goes on to the end";
}

// While paused the sound device waits for the resume; switching the sound stream then closes
// the waiting device and opens another, and the sound goes on from the resume to the end.
TEST_F(PlayerTest, PausedSoundSurvivesAStreamSwitchAndGoesOnAfterTheResume) {
  std::atomic<long> handed{0};
  player->Probe.Sound = [&](const uint8_t*, int ABytes, double, int, int) { handed += ABytes; };
  ASSERT_TRUE(player->Open(TwoAudioStreamsFile(), 0, true)) << player->LastErrMsg();
  ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psPause); }));
  const int first = player->AudioStreamIndex();
  player->SetAudioStreamIndex(first == 1 ? 2 : 1);
  EXPECT_NE(player->AudioStreamIndex(), first);
  EXPECT_TRUE(player->Paused());
  const long beforeResume = handed;
  player->Resume();
  ASSERT_TRUE(WaitUntil([&] { return handed > beforeResume; })) << "the device takes sound again";
  ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psEnd); })) << "playback goes on to the end";
}

TEST_F(PlayerTest, FilesWithoutPicturesOrSoundPlayAndBrokenFilesFailCleanly) {
  TWatchdog watchdog("opening files that play or fail", 30000);
  // A named pipe nobody writes to would hold the open for ever.
  const std::filesystem::path folder = fixtures::ScratchFolder("player-open");
  const std::string fifo = (folder / "no-writer.mpg").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    const char* name;
    std::string file;
    bool opens, video, audio;
  } cases[] = {
      {"corrupt", CorruptFile(), false, false, false},
      {"missing", (fixtures::Folder() / "no-such-file.mp4").string(), false, false, false},
      {"named pipe without a writer", fifo, false, false, false},
      {"sound only", fixtures::Container("a.wav"), true, false, true},
      {"pictures only", VideoOnlyFile(), true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    states.clear();
    const int threadsBefore = ThreadCount();
    const bool opened = player->Open(c.file, 0, false);
    ASSERT_EQ(opened, c.opens) << player->LastErrMsg();
    if (!opened) {
      EXPECT_FALSE(player->LastErrMsg().empty());
      EXPECT_EQ(ThreadCount(), threadsBefore) << "a failed open leaves no thread";
      EXPECT_TRUE(player->Paused());
      continue;
    }
    EXPECT_EQ(player->VideoStreamIndex() >= 0, c.video);
    EXPECT_EQ(player->AudioStreamIndex() >= 0, c.audio);
    int64_t pts = 0;
    TBitmap* bitmap = player->CurrentFrame(pts);
    if (!c.video) {
      EXPECT_EQ(bitmap->Width(), 0);
      EXPECT_EQ(pts, -1);
      WaitUntil([] { return false; }, 300);  // the wave display draws meanwhile
      player->ToggleAudioDisplay();          // then the spectrum
    }
    EXPECT_TRUE(WaitUntil([&] { return Saw(TPlayState::psEnd); }));
    player->Stop(true);
    EXPECT_EQ(states.back(), TPlayState::psStop);
    EXPECT_EQ(ThreadCount(), threadsBefore);
  }
  std::filesystem::remove_all(folder);
}

TEST_F(PlayerTest, OpenStopsThePreviousPlaybackAndResetsItsSettings) {
  ASSERT_TRUE(player->Open(fixtures::Mp4(), 0, false)) << player->LastErrMsg();
  player->SetRepeatType(TRepeatType::rtLoop);
  player->SetVerticalFlip(true);
  player->Setwanted_audio_stream(3);
  ASSERT_TRUE(player->Open(VideoOnlyFile(), 0, true)) << player->LastErrMsg();
  EXPECT_EQ(player->RepeatType(), TRepeatType::rtStop);
  EXPECT_FALSE(player->VerticalFlip());
  EXPECT_EQ(player->wanted_audio_stream(), -1);
  EXPECT_EQ(std::count(states.begin(), states.end(), TPlayState::psStop), 1) << "the first playback ended";
  ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psPause); }));
}

TEST_F(PlayerTest, PlayTimeLimitStopsThePlayback) {
  ASSERT_TRUE(player->Open(fixtures::Mp4(), 0, true)) << player->LastErrMsg();
  player->SetPlayTime(500000);
  player->Resume();
  ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psStop); }));
  EXPECT_FALSE(Saw(TPlayState::psEnd));
  ASSERT_FALSE(positions.empty());
  EXPECT_LT(positions.back(), 800000);
}

TEST_F(PlayerTest, AStateHandlerMayStopThePlaybackItIsToldAbout) {
  for (bool mainThread : {true, false}) {
    SCOPED_TRACE(mainThread ? "handlers on the main thread" : "handlers on the event thread");
    std::atomic<bool> stopped{false}, sawStop{false};
    player->SetTriggerEventInMainThread(mainThread);
    player->OnPosition = nullptr;
    player->OnState = [&](TObject*, TPlayState AState) {
      if (AState == TPlayState::psEnd && !stopped) {
        player->Stop(true);
        stopped = true;
      }
      if (AState == TPlayState::psStop) sawStop = true;
    };
    ASSERT_TRUE(player->Open(VideoOnlyFile(), 0, false)) << player->LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return stopped && sawStop; })) << "no deadlock, and the stop is still reported";
    EXPECT_EQ(player->VideoStreamIndex(), -1);
  }
}

LRESULT CALLBACK_HostProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(hWnd, Msg, wParam, lParam);
}

TEST_F(PlayerTest, TakesOverTheHostWindowProcedureAndGivesItBack) {
  WNDCLASS cls{};
  cls.lpfnWndProc = CALLBACK_HostProc;
  cls.lpszClassName = "PlayerHostTest";
  RegisterClass(&cls);
  HWND host = CreateWindowEx(0, "PlayerHostTest", "host", WS_POPUP, 0, 0, 160, 120, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  const LONG_PTR original = GetWindowLongPtr(host, GWL_WNDPROC);
  ASSERT_TRUE(player->Open(fixtures::Mp4(), host, true)) << player->LastErrMsg();
  EXPECT_EQ(player->ScreenHandle(), host);
  EXPECT_NE(GetWindowLongPtr(host, GWL_WNDPROC), original);
  EXPECT_EQ(player->ScreenWidth(), 160) << "the surface takes the host's client size";
  EXPECT_EQ(player->ScreenHeight(), 120);
  SendMessage(host, WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(GetFocus(), host) << "a click focuses the host";
  SendMessage(host, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(host)) << "close is swallowed while the player draws into the window";
  EXPECT_EQ(SendMessage(host, WM_ERASEBKGND, 0, 0), 1) << "the host does not paint over the picture";
  player->Stop(true);
  EXPECT_EQ(GetWindowLongPtr(host, GWL_WNDPROC), original);
  DestroyWindow(host);
}

TEST_F(PlayerTest, VolumeScalesAndMuteSilencesTheSoundFromTheNextBlockOn) {
  TAudioWatch watch;
  ASSERT_TRUE(player->Open(ConstantToneFile(), 0, false)) << player->LastErrMsg();
  ASSERT_EQ(watch.Obtained.channels, 2);
  // At the default volume the decoded samples pass unchanged.
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<int16_t> all = watch.SamplesFrom(0);
    return std::find(all.begin(), all.end(), int16_t(16384)) != all.end();
  }, 3000)) << "the sound reaches the device";
  {
    const std::vector<int16_t> all = watch.SamplesFrom(0);
    const auto first = std::find(all.begin(), all.end(), int16_t(16384)) - all.begin();
    ASSERT_EQ(first % 2, 0) << "left channel first";
    EXPECT_EQ(all[size_t(first) + 1], -8192);
  }
  struct Step {
    const char* name;
    int volume;
    bool mute;
    int16_t left, right;  // every sound frame played from the next block on
  } steps[] = {
      {"half volume", 64, false, 8192, -4096},
      {"muted", 64, true, 0, 0},
      {"unmuted at a quarter", 32, false, 4096, -2048},
      {"volume 0", 0, false, 0, 0},
      {"above the range is full volume", 500, false, 16384, -8192},
      {"below the range is silence", -3, false, 0, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    // A block being filled while the settings change may show either; the one after it may not.
    const size_t from = watch.BlockCount() + 2;
    const int64_t position = player->CurrentPTS();
    player->SetAudioVolume(step.volume);
    player->SetMute(step.mute);
    ASSERT_TRUE(WaitUntil([&] { return watch.BlockCount() >= from + 4; }, 3000));
    const std::vector<int16_t> samples = watch.SamplesFrom(from);
    size_t sound = 0, silence = 0, other = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
      if (samples[i] == 0 && samples[i + 1] == 0)
        ++silence;
      else if (samples[i] == step.left && samples[i + 1] == step.right)
        ++sound;
      else
        ++other;
    }
    EXPECT_EQ(other, 0u) << "every frame is silence or the tone at the new volume";
    if (step.left != 0) {
      EXPECT_GT(sound, 1024u) << "the sound goes on";
    }
    EXPECT_TRUE(WaitUntil([&] { return player->CurrentPTS() > position + 100000; }, 3000))
        << "the clock keeps running, silent or not";
  }
  EXPECT_EQ(player->AudioVolume(), 0);
  player->Stop(true);
}

TEST_F(PlayerTest, SoundOfUnusualChannelLayoutsPlaysToTheEndAtItsOwnPace) {
  struct Case {
    const char* name;
    std::string file;
    int channels, rate;  // of the device
  } cases[] = {
      {"mono at 8 kHz", fixtures::Make("mono-8k.wav", "-f lavfi -i sine=frequency=300:sample_rate=8000:duration=1 "
                                                      "-ac 1 -c:a pcm_s16le"),
       1, 8000},
      {"5.1 at 48 kHz", fixtures::Make("surround.ac3", "-f lavfi -i sine=frequency=300:sample_rate=48000:duration=1 "
                                                       "-ac 6 -c:a ac3"),
       2, 48000},
      {"quadraphonic float at 22.05 kHz",
       fixtures::Make("quad-float.wav",
                     "-f lavfi -i sine=frequency=300:sample_rate=22050:duration=1 -ac 4 -c:a pcm_f32le"),
       2, 22050},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    player->Stop(true);
    states.clear();
    positions.clear();
    TAudioWatch watch;
    ASSERT_TRUE(player->Open(c.file, 0, false)) << player->LastErrMsg();
    EXPECT_EQ(watch.Obtained.channels, c.channels);
    EXPECT_EQ(watch.Obtained.freq, c.rate);
    EXPECT_NEAR(duration, 1000000, 50000);
    ASSERT_TRUE(WaitUntil([&] { return Saw(TPlayState::psEnd); }, 4000)) << "the end is reported";
    ASSERT_FALSE(positions.empty());
    EXPECT_TRUE(WaitUntil([&] { return positions.back() == duration; }, 1000)) << positions.back();
    player->Stop(true);
    // The tone spans its second of device frames: neither cut short nor drawn out by a wrong
    // channel count or rate.
    const std::vector<int16_t> samples = watch.SamplesFrom(0);
    const int n = watch.Obtained.channels;
    size_t firstSound = samples.size(), lastSound = 0;
    for (size_t i = 0; i < samples.size(); ++i)
      if (std::abs(samples[i]) > 64) {
        firstSound = std::min(firstSound, i);
        lastSound = i;
      }
    ASSERT_LT(firstSound, lastSound);
    const double seconds = double((lastSound - firstSound) / size_t(n)) / c.rate;
    EXPECT_NEAR(seconds, 1.0, 0.06);
  }
}

TEST_F(PlayerTest, StopEndsAPlaybackWhoseInputStallsInARead) {
  struct Case {
    const char* name;
    bool quitLost;  // the play thread never hears of the stop: the waiting thread tears down
    bool destroy;   // the player is destroyed instead of stopped
    bool frameworkReader = false;  // read through the framework's own file reader
  } cases[] = {
      {"the play thread tears down", false, false},
      {"the waiting thread tears down", true, false},
      {"destroying the player", false, true},
      {"a pipe the framework reads itself", false, false, true},
  };
  const std::string source = ConstantToneFile();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    states.clear();
    TStalledPipe pipe(source, 400000);  // 2.3 s of sound, then nothing
    const int threadsBefore = ThreadCount();
    std::unique_ptr<TQuitEventsLost> lost;
    if (c.quitLost) lost = std::make_unique<TQuitEventsLost>();
    ASSERT_TRUE(player->Open(pipe.URL(c.frameworkReader), 0, false)) << player->LastErrMsg();
    // Once the packet queue has room again, the read thread reads the rest of what was written and
    // then waits in the demuxer for bytes that do not come: it stays inside its read.
    int pollsInRead = 0;
    ASSERT_TRUE(WaitUntil([&] {
      playback::TVideoState* S = player->State();
      pollsInRead = S && S->Reading && pipe.Written() ? pollsInRead + 1 : 0;
      return pollsInRead >= 20;
    }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return player->CurrentPTS() > 0; }, 3000)) << "the sound that came plays";
    const auto started = std::chrono::steady_clock::now();
    TQuitEventsLost::Dropping() = c.quitLost;
    if (c.destroy)
      player.reset();
    else
      player->Stop(true);
    lost.reset();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, c.quitLost ? 3.0 : 1.0) << "the stalled read does not hold the stop up";
    // The waiting thread gives the play thread about a second (ten rounds of 100 ms) to hear of
    // the stop before it tears a playback stuck in a read down itself.
    if (c.quitLost) {
      EXPECT_GT(seconds, 0.9);
    }
    EXPECT_EQ(ThreadCount(), threadsBefore) << "every thread of the playback has ended";
    if (!c.destroy) {
      EXPECT_EQ(states.back(), TPlayState::psStop);
      EXPECT_EQ(player->AudioStreamIndex(), -1);
    }
    pipe.Release();
    // The next playback is unaffected.
    if (!player) MakePlayer();
    ASSERT_TRUE(player->Open(source, 0, false)) << player->LastErrMsg();
    EXPECT_TRUE(WaitUntil([&] { return player->CurrentPTS() > 100000; }, 3000)) << "it plays";
    player->Stop(true);
  }
}

}  // namespace
