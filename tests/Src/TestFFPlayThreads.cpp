// The player under concurrent use: seeks that wait on files that end early, and the client's
// operations racing the playback's own threads (built with ThreadSanitizer by scripts/test-tsan,
// where every unguarded access between these threads is reported).
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "MediaFixtures.h"
#include "PlayerTestSupport.h"
#include "Src/FFPlay.h"
#include "Src/FFmpegLoader.h"
#include "platform/core/Thread.h"
#include "../platform/Watchdog.h"

namespace {

using playertest::ThreadCount;
using playertest::WaitUntil;

// A WebM (VP8 and Vorbis, four seconds) cut off after AKeepPercent of its bytes: its header still
// promises the whole duration, and its index at the end is gone.
std::string TruncatedWebM(int AKeepPercent) {
  const std::string whole = fixtures::Make(
      "whole.webm", "-f lavfi -i testsrc=size=160x120:rate=25:duration=4 -f lavfi -i sine=frequency=440:duration=4 "
                    "-c:v libvpx -b:v 300k -g 12 -c:a libvorbis -f webm");
  const std::string name = (fixtures::Folder() / ("cut-" + std::to_string(AKeepPercent) + ".webm")).string();
  if (!std::filesystem::exists(name)) {
    std::ifstream in(whole, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes.resize(bytes.size() * size_t(AKeepPercent) / 100);
    const std::string temporary = name + ".tmp" + std::to_string(::getpid());
    std::ofstream(temporary, std::ios::binary) << bytes;
    std::filesystem::rename(temporary, name);
  }
  return name;
}

class PlayerThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    static const int holder = 0;
    static const bool loaded = FFLoader().Load(PlayerLibraries, &holder);
    ASSERT_TRUE(loaded) << FFLoader().LastErrMsg();
    player = std::make_unique<TFFPlayer>(nullptr);
  }
  void TearDown() override {
    if (player) player->Stop(true);
    player.reset();
  }
  std::unique_ptr<TFFPlayer> player;
};

// A seek that waits returns once the seek is done, has failed or has reached the end, also where
// no picture comes after it: here the targets lie past the last byte of the file.
TEST_F(PlayerThreads, AWaitingSeekPastTheEndOfATruncatedFileReturns) {
  for (int keep : {50, 80}) {
    const std::string file = TruncatedWebM(keep);
    for (bool paused : {false, true}) {
      SCOPED_TRACE(std::to_string(keep) + (paused ? "% kept, paused" : "% kept, playing"));
      ASSERT_TRUE(player->Open(file, 0, paused)) << player->LastErrMsg();
      for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        TWatchdog dog("a waiting seek on a truncated file", 30000);
        // Past the end, to the promised end, and back into what is there.
        player->Seek(int64_t(3900000), TSeekFlags{}, true);
        player->Seek(int64_t(10000000), TSeekFlags{TSeekFlag::sfBackward}, true);
        player->Seek(int64_t(300000), TSeekFlags{TSeekFlag::sfBackward}, true);
        player->Seek(3.0, TSeekFlags{}, true);
      }
      EXPECT_TRUE(WaitUntil([&] { return !player->Seeking(); }, 5000)) << "a seek that reached the end is over";
      player->Stop(true);
      EXPECT_EQ(player->PlayState(), TPlayState::psStop);
    }
  }
}

// The client's operations while the playback runs: seeks as a slider sends them, pause and
// resume, the picture on screen, switching the sound between two streams, the audio display,
// the play-time limit and the clocks; then stopping, or destroying the player, while it plays.
// Handlers run on the event thread.
TEST_F(PlayerThreads, ClientOperationsRaceThePlaybackSafely) {
  const std::string file = fixtures::Make(
      "race-two-audio.mkv",
      "-f lavfi -i testsrc=size=160x120:rate=25:duration=3 -f lavfi -i sine=frequency=440:duration=3 "
      "-f lavfi -i sine=frequency=880:duration=3 -map 0 -map 1 -map 2 -c:v mpeg4 -g 12 -c:a pcm_s16le -f matroska");
  std::atomic<int> positions{0}, states{0};
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    TWatchdog dog("client operations during playback", 60000);
    const int threadsBefore = ThreadCount();
    if (!player) player = std::make_unique<TFFPlayer>(nullptr);
    player->SetTriggerEventInMainThread(false);
    player->OnPosition = [&](TObject*, int64_t) { ++positions; };
    player->OnState = [&](TObject*, TPlayState) { ++states; };
    ASSERT_TRUE(player->Open(file, 0, round == 1)) << player->LastErrMsg();
    for (int i = 0; i < 48; ++i) {
      switch (i % 8) {
        case 0: player->Seek(int64_t(i * 50000 % 2500000), TSeekFlags{}, false); break;
        case 1: player->Pause(); break;
        case 2: player->Resume(); break;
        case 3: (void)player->CurrentFrame(); break;
        case 4: player->SetAudioStreamIndex(player->AudioStreamIndex() == 1 ? 2 : 1); break;
        case 5: player->ToggleAudioDisplay(); break;
        case 6: player->Seek(0.3, TSeekFlags{}, i % 16 == 6); break;
        default:
          player->SetPlayTime(i % 16 == 7 ? 2800000 : NoTimestamp);
          (void)player->CurrentPTS();
          (void)player->Paused();
          (void)player->Seeking();
          break;
      }
      WaitUntil([] { return false; }, 15);
    }
    if (round == 2) {
      player.reset();  // destroyed while it plays
    } else {
      player->Stop(true);
      EXPECT_EQ(player->PlayState(), TPlayState::psStop);
    }
    EXPECT_EQ(ThreadCount(), threadsBefore) << "every thread of the playback has ended";
  }
  EXPECT_GT(positions.load(), 0);
  EXPECT_GT(states.load(), 0);
}

}  // namespace
