// Playback with SDL's dummy video and audio drivers: opening, playing to the end, pausing,
// stepping, seeking, the current picture, stream switching, events and teardown.
#include <gtest/gtest.h>

#include <dirent.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "MediaFixtures.h"
#include "Src/FFPlay.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "platform/Input.h"
#include "platform/MessageQueue.h"
#include "platform/Messages.h"
#include "platform/Thread.h"
#include "platform/Window.h"

namespace {

void LoadLibraries() {
  static const int holder = 0;
  static const bool loaded = FFLoader().Load(PlayerLibraries, &holder);
  ASSERT_TRUE(loaded) << FFLoader().LastErrMsg();
}

int ThreadCount() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (dirent* e = ::readdir(dir))
      if (e->d_name[0] != '.') ++count;
    ::closedir(dir);
  }
  return count;
}

// Pumps main-thread calls and messages until APredicate holds; false after ATimeoutMs (the
// watchdog that turns a hang into a failure).
bool WaitUntil(const std::function<bool()>& APredicate, int ATimeoutMs = 8000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ATimeoutMs);
  while (!APredicate()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    CheckSynchronize(5);
    PumpPendingMessages();
  }
  return true;
}

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

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    LoadLibraries();
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

TEST_F(PlayerTest, FilesWithoutPicturesOrSoundPlayAndBrokenFilesFailCleanly) {
  struct Case {
    const char* name;
    std::string file;
    bool opens, video, audio;
  } cases[] = {
      {"corrupt", CorruptFile(), false, false, false},
      {"missing", (fixtures::Folder() / "no-such-file.mp4").string(), false, false, false},
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

}  // namespace
