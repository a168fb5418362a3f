// The player before and after its libraries are loaded (its own program: nothing else may load
// the libraries first).
#include <gtest/gtest.h>

#include "PlayerTestSupport.h"
#include "Src/FFPlay.h"
#include "Src/FFmpegLoader.h"

namespace {

using playertest::ThreadCount;

TEST(PlayerLibraries, NothingWorksBeforeLoadingAndTheFormatIsCheckedAfter) {
  TFFPlayer player(nullptr);
  ASSERT_FALSE(player.AVLibLoaded());
  const int threads = ThreadCount();
  EXPECT_FALSE(player.Open("/no/such/file.mp4", 0, false));
  EXPECT_EQ(player.LastErrMsg(), "libav or libsdl not loaded.");
  EXPECT_EQ(ThreadCount(), threads) << "no thread was started";
  player.SetFormat("wav");
  EXPECT_EQ(player.Format(), "") << "unchanged without the libraries";
  player.Stop(true);  // harmless with nothing loaded

  ASSERT_TRUE(player.LoadAVLib("")) << player.LastErrMsg();
  EXPECT_TRUE(player.AVLibLoaded());
  player.SetFormat("wav");
  EXPECT_EQ(player.Format(), "wav");
  try {
    player.SetFormat("no-such-format");
    ADD_FAILURE() << "an unknown format is refused";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Unknown input format: no-such-format");
  }
  EXPECT_EQ(player.Format(), "wav") << "a refused name leaves the format as it was";
  EXPECT_EQ(player.AudioStreamIndex(), -1);
  player.SetAudioStreamIndex(1);  // nothing open: nothing happens
  EXPECT_EQ(player.AudioStreamIndex(), -1);
  int64_t pts = 0;
  EXPECT_EQ(player.CurrentFrame(pts)->Width(), 0);
  EXPECT_EQ(pts, -1);
  player.UnloadAVLib();
  EXPECT_FALSE(player.AVLibLoaded());
}

}  // namespace
