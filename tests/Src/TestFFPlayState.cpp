// The player's queues, clocks, synchronisation rules, event ring and drawing rules, checked
// without a playback.
#include <gtest/gtest.h>

#include <vector>

#include "Src/FFPlay.h"
#include "Src/FFmpegLoader.h"

using namespace playback;

namespace {

void LoadLibraries() {
  static const int holder = 0;
  static const bool loaded = FFLoader().Load(PlayerLibraries, &holder);
  ASSERT_TRUE(loaded) << FFLoader().LastErrMsg();
}

AVPacket* PacketOfSize(int ASize) {
  AVPacket* p = av::av_packet_alloc();
  EXPECT_EQ(av::av_new_packet(p, ASize), 0);
  return p;
}

class PacketQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadLibraries();
    flush = av::av_packet_alloc();
  }
  void TearDown() override { av::av_packet_free(&flush); }
  AVPacket* flush = nullptr;
};

TEST_F(PacketQueueTest, SizeCountsPayloadAndOverheadAndGetIsFifo) {
  TPacketQueue q(flush);
  q.Put(PacketOfSize(1000));
  EXPECT_EQ(q.Size(), 1072);
  q.Put(PacketOfSize(10));
  EXPECT_EQ(q.Count(), 2);
  EXPECT_EQ(q.Size(), 1072 + 82);
  AVPacket* p = nullptr;
  ASSERT_EQ(q.Get(p, false), 1);
  EXPECT_EQ(p->size, 1000);
  av::av_packet_free(&p);
  EXPECT_EQ(q.Size(), 82);
  ASSERT_EQ(q.Get(p, false), 1);
  av::av_packet_free(&p);
  EXPECT_EQ(q.Get(p, false), 0) << "empty and not blocking";
  EXPECT_EQ(q.Size(), 0);
}

TEST_F(PacketQueueTest, FlushPacketIsQueuedByPointerAndNeverFreed) {
  {
    TPacketQueue q(flush);
    q.Put(flush);
    q.Put(PacketOfSize(5));
    q.Put(flush);
    AVPacket* p = nullptr;
    ASSERT_EQ(q.Get(p, false), 1);
    EXPECT_EQ(p, flush);
    EXPECT_TRUE(q.IsFlushPacket(p));
    q.Flush();  // frees the data packet, not the queued flush packet
    EXPECT_EQ(q.Count(), 0);
    q.Put(flush);
  }  // destruction flushes again
  EXPECT_EQ(flush->size, 0);  // still a valid packet: ASan would report a double free
}

// Each queued flush has its number, so that a decoder knows which seek its pictures follow: a
// flush dropped by a later seek's Flush never reaches the reader, and packets carry no number.
TEST_F(PacketQueueTest, FlushesAreNumberedAndTheReaderLearnsWhichOneItTook) {
  TPacketQueue q(flush);
  EXPECT_EQ(q.PutFlush(), 1);
  q.Put(PacketOfSize(5));
  EXPECT_EQ(q.PutFlush(), 2);
  q.Flush();  // a newer seek drops both
  EXPECT_EQ(q.PutFlush(), 3);
  q.Put(PacketOfSize(7));
  int serial = -1;
  AVPacket* p = nullptr;
  ASSERT_EQ(q.Get(p, false, &serial), 1);
  EXPECT_TRUE(q.IsFlushPacket(p));
  EXPECT_EQ(serial, 3);
  ASSERT_EQ(q.Get(p, false, &serial), 1);
  EXPECT_EQ(p->size, 7);
  EXPECT_EQ(serial, 3) << "a data packet leaves the number alone";
  av::av_packet_free(&p);
}

TEST_F(PacketQueueTest, AbortEndsBlockedAndLaterReadersEvenWithPacketsLeft) {
  TPacketQueue q(flush);
  int result = 0;
  std::thread reader([&] {
    AVPacket* p = nullptr;
    result = q.Get(p, true);
  });
  // Gives the reader time to block in Get; should it come later, Get after Abort fails as well, so
  // a slow machine makes the case weaker but cannot fail it.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  q.Abort();
  reader.join();
  EXPECT_EQ(result, -1);
  q.Put(PacketOfSize(1));
  AVPacket* p = nullptr;
  EXPECT_EQ(q.Get(p, false), -1);
  EXPECT_EQ(q.Get(p, true), -1);
}

TEST_F(PacketQueueTest, BlockedReaderGetsThePacketPutLater) {
  TPacketQueue q(flush);
  AVPacket* got = nullptr;
  std::thread reader([&] { q.Get(got, true); });
  // Gives the reader time to block in Get; should it come later, it finds the packet waiting,
  // so a slow machine makes the case weaker but cannot fail it.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  q.Put(PacketOfSize(7));
  reader.join();
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(got->size, 7);
  av::av_packet_free(&got);
}

TEST(PlayerClocks, VideoClockBeforeFirstPictureWhilePausedAndRunning) {
  TVideoState s(nullptr, nullptr);
  s.StartTime = 1500000;
  EXPECT_DOUBLE_EQ(GetVideoClock(s), 1.5) << "no picture shown yet: the container's start";
  s.video_current_pts = 3.25;
  s.video_current_pts_drift = 3.25 - WallClock();
  EXPECT_NEAR(GetVideoClock(s), 3.25, 0.01);
  s.video_current_pts_drift = 3.25 - (WallClock() - 0.05);  // shown 50 ms ago
  EXPECT_NEAR(GetVideoClock(s), 3.30, 0.01) << "runs with the wall clock";
  s.paused = 1;
  EXPECT_DOUBLE_EQ(GetVideoClock(s), 3.25) << "paused: the shown picture's time";
}

TEST(PlayerClocks, AudioClockSubtractsWhatTheDeviceHasNotPlayed) {
  TVideoState s(nullptr, nullptr);
  s.audio_clock = 2.0;
  s.audio_buf_size = 44100 * 4 / 10;  // 0.1 s of 16-bit stereo at 44.1 kHz
  s.audio_buf_index = 0;
  s.audio_rate = 44100;
  s.audio_channels = 2;
  EXPECT_DOUBLE_EQ(GetAudioClock(s), 2.0) << "without an audio stream the clock itself";
  AVStream stream{};
  s.audio_st = &stream;
  EXPECT_NEAR(GetAudioClock(s), 1.9, 1e-9);
  s.audio_buf_silent = true;
  EXPECT_DOUBLE_EQ(GetAudioClock(s), 2.0) << "the silence played while nothing is decoded is not the stream's";
  s.audio_buf_silent = false;
  s.audio_rate = 0;
  EXPECT_DOUBLE_EQ(GetAudioClock(s), 2.0) << "no rate known: nothing to subtract";
}

// The sound heard now is behind the decoded frame by what the frame has not handed over, what
// the last callback handed over and the device's own buffer; the device plays on after the
// callback, never past what it was handed.
TEST(PlayerClocks, AudioClockCountsTheDeviceBufferAndPlaysOnSinceTheLastCallback) {
  constexpr double BytesPerSecond = 44100 * 4;
  constexpr int Left = 17640, Device = 4096, Handed = 4096;
  struct Case {
    const char* what;
    double callbackAgo;  // seconds before now
    bool paused;
    double expected;
  } cases[] = {
      {"callback later than the clock's reading", -100.0, false, 2.0 - (Left + Device + Handed) / BytesPerSecond},
      {"long since the callback: all it was handed played", 100.0, false, 2.0 - (Left + Device) / BytesPerSecond},
      {"paused: nothing plays on", 100.0, true, 2.0 - (Left + Device + Handed) / BytesPerSecond},
  };
  AVStream stream{};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TVideoState s(nullptr, nullptr);
    s.audio_st = &stream;
    s.audio_clock = 2.0;
    s.audio_rate = 44100;
    s.audio_channels = 2;
    s.audio_buf_size = Left;
    s.audio_hw_buf_size = Device;
    s.audio_write_bytes = Handed;
    s.paused = c.paused;
    s.audio_callback_clock = WallClock() - c.callbackAgo;
    EXPECT_NEAR(GetAudioClock(s), c.expected, 1e-9);
  }
}

TEST(PlayerClocks, MasterClockFollowsTheSyncTypeAndTheOpenStreams) {
  TVideoState s(nullptr, nullptr);
  AVStream audio{}, video{};
  s.audio_clock = 7.0;
  s.StartTime = 2000000;  // video clock before the first picture: 2.0
  s.external_clock = 100.0;
  s.external_clock_time = static_cast<int64_t>(WallClock() * 1000000.0);
  struct Case {
    Tav_sync_type type;
    bool audio, video;
    double expected;
  } cases[] = {
      {AV_SYNC_AUDIO_MASTER, true, true, 7.0},   {AV_SYNC_AUDIO_MASTER, false, true, 2.0},
      {AV_SYNC_VIDEO_MASTER, true, true, 2.0},   {AV_SYNC_VIDEO_MASTER, true, false, 7.0},
      {AV_SYNC_EXTERNAL_CLOCK, true, true, 100.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "sync " << c.type << " audio " << c.audio << " video " << c.video);
    s.av_sync_type = c.type;
    s.audio_st = c.audio ? &audio : nullptr;
    s.video_st = c.video ? &video : nullptr;
    s.audio_stream = c.audio ? 1 : -1;
    s.video_stream = c.video ? 0 : -1;
    EXPECT_NEAR(GetMasterClock(s), c.expected, 0.01);
  }
}

TEST(PlayerClocks, TargetTimeReusesTheLastDistanceForImplausibleOnes) {
  struct Case {
    double lastPts, lastDelay, pts, expectedDelay;
  } cases[] = {
      {1.00, 0.04, 1.04, 0.04},  // ordinary distance, taken
      {1.00, 0.04, 1.00, 0.04},  // zero: previous distance
      {1.00, 0.05, 0.90, 0.05},  // backwards: previous distance
      {1.00, 0.04, 11.0, 0.04},  // 10 s or more: previous distance
      {1.00, 0.04, 1.50, 0.50},  // large but plausible
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "pts " << c.pts);
    TVideoState s(nullptr, nullptr);  // audio master without audio: no correction
    s.frame_last_pts = c.lastPts;
    s.frame_last_delay = c.lastDelay;
    s.frame_timer = 100.0;
    EXPECT_NEAR(ComputeTargetTime(s, c.pts), 100.0 + c.expectedDelay, 1e-9);
    EXPECT_DOUBLE_EQ(s.frame_last_pts, c.pts);
  }
}

TEST(PlayerClocks, TargetTimeCatchesUpOrHoldsAgainstTheAudioMaster) {
  AVStream audio{};
  struct Case {
    double videoMinusAudio, expectedDelay;
  } cases[] = {
      {-0.5, 0.0},    // video far behind: show at once
      {-0.025, 0.015},  // behind by more than half the distance: sooner by what it is behind
      {0.5, 0.08},    // video early: hold twice as long
      {0.025, 0.08},  // early by more than half the distance: held as well
      {0.015, 0.04},  // within half the distance (the distance itself)
      {-0.015, 0.04},
      {-20.0, 0.04},  // beyond the no-sync limit: not corrected
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "difference " << c.videoMinusAudio);
    TVideoState s(nullptr, nullptr);
    s.audio_st = &audio;
    s.audio_stream = 1;
    s.paused = 1;  // freezes the video clock at video_current_pts
    s.video_current_pts = 10.0;
    s.audio_clock = 10.0 - c.videoMinusAudio;
    s.frame_last_pts = 1.0;
    s.frame_timer = 50.0;
    EXPECT_NEAR(ComputeTargetTime(s, 1.04), 50.0 + c.expectedDelay, 1e-9);
  }
}

TEST(PlayerAudio, CorrectionStaysWithinTenPercentOfTheFrame) {
  struct Case {
    int size, n;
    double diff;
    int rate, expected;
  } cases[] = {
      {4608, 4, -1.0, 44100, 4144},  // shrink bound of a 1,152-sample stereo frame
      {4608, 4, 1.0, 44100, 5068},   // stretch bound
      {4608, 4, 0.001, 44100, 4608 + 44 * 4},
      {4608, 4, -0.001, 44100, 4608 - 44 * 4},
      {2048, 2, 0.0, 48000, 2048},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "diff " << c.diff);
    EXPECT_EQ(CorrectedAudioSize(c.size, c.n, c.diff, c.rate), c.expected);
  }
}

TEST(PlayerSubtitles, PaletteEntriesBecomeStudioRangeYUV) {
  struct Case {
    uint32_t argb, ayuv;
  } cases[] = {
      {0xFFFF0000u, 0xFF515AF0u},  // opaque red: Y 81, U 90, V 240
      {0xFFFFFFFFu, 0xFFEB8080u},  // white: Y 235, U 128, V 128
      {0x80000000u, 0x80108080u},  // half-transparent black: Y 16
      {0x000000FFu, 0x0029F06Eu},  // blue, transparent: alpha kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.argb);
    EXPECT_EQ(RGBAToAYUV(c.argb), c.ayuv);
  }
}

TEST(PlayerSubtitles, BlendIsClippedIntoThePictureAndWeighsChromaByCoveredPixels) {
  // 8x8 picture, grey; a 3x3 opaque white rectangle at (6, 6) is moved to (5, 5).
  std::vector<uint8_t> y(64, 100), u(16, 50), v(16, 60);
  uint8_t* planes[3] = {y.data(), u.data(), v.data()};
  const int lines[3] = {8, 4, 4};
  uint32_t palette[1] = {RGBAToAYUV(0xFFFFFFFFu)};
  uint8_t indices[9] = {};
  AVSubtitleRect rect{};
  rect.x = 6;
  rect.y = 6;
  rect.w = 3;
  rect.h = 3;
  rect.data[0] = indices;
  rect.data[1] = reinterpret_cast<uint8_t*>(palette);
  rect.linesize[0] = 3;
  rect.nb_colors = 1;
  BlendSubtitleRect(planes, lines, rect, 8, 8);
  EXPECT_EQ(y[4 * 8 + 4], 100) << "outside";
  EXPECT_EQ(y[5 * 8 + 5], 235);
  EXPECT_EQ(y[7 * 8 + 7], 235);
  // chroma block (2,2) holds one covered pixel (5,5): A = 255 >> 2, divisor 255
  EXPECT_EQ(u[2 * 4 + 2], (50 * 1 * (255 - 63) + 128 * 63) / 255);
  // block (3,3) is fully covered: A = 1020 >> 2 = 255
  EXPECT_EQ(u[3 * 4 + 3], 128);
  EXPECT_EQ(v[3 * 4 + 3], 128);
  // block (2,3): pixels (5,6),(5,7) covered: k 2, A = 510 >> 2 = 127
  EXPECT_EQ(u[3 * 4 + 2], (50 * 2 * (255 - 127) + 256 * 127) / 510);
}

TEST(PlayerDisplay, PictureIsFittedCentredWithEvenSizes) {
  struct Case {
    float aspectRatio;
    int areaW, areaH;
    AVRational sar;
    int picW, picH;
    TDisplayRect expected;
  } cases[] = {
      {0, 640, 480, {64, 45}, 720, 576, {0, 60, 640, 360}},    // stream aspect 16:9 in 4:3
      {-1, 640, 480, {64, 45}, 720, 576, {0, 0, 640, 480}},    // fill the area
      {1.3333f, 640, 480, {64, 45}, 720, 576, {0, 0, 640, 480}},  // forced 4:3
      {0, 640, 480, {0, 1}, 160, 120, {0, 0, 640, 480}},       // unknown pixel aspect: square
      {0, 400, 400, {1, 1}, 160, 90, {0, 88, 400, 224}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "aspect " << c.aspectRatio << " picture " << c.picW << "x" << c.picH);
    const float aspect = DisplayAspect(c.aspectRatio, c.areaW, c.areaH, c.sar, c.picW, c.picH);
    const TDisplayRect r = FitPicture(c.areaW, c.areaH, aspect);
    EXPECT_EQ(r.x, c.expected.x);
    EXPECT_EQ(r.y, c.expected.y);
    EXPECT_EQ(r.w, c.expected.w);
    EXPECT_EQ(r.h, c.expected.h);
  }
}

TEST(PlayerEvents, RingCoalescesTheNewestEventOfTheSameKind) {
  struct Case {
    const char* name;
    std::vector<TPlayEventItem> pushed;
    std::vector<TPlayEventItem> delivered;
  } cases[] = {
      {"two positions", {{pekPosition, 1}, {pekPosition, 2}}, {{pekPosition, 2}}},
      {"position state position",
       {{pekPosition, 1}, {pekState, 0}, {pekPosition, 2}},
       {{pekPosition, 1}, {pekState, 0}, {pekPosition, 2}}},
      {"end then stop", {{pekState, int(TPlayState::psEnd)}, {pekState, int(TPlayState::psStop)}},
       {{pekState, int(TPlayState::psStop)}}},
      {"ten alternating keep the newest nine",
       {{1, 0}, {2, 1}, {1, 2}, {2, 3}, {1, 4}, {2, 5}, {1, 6}, {2, 7}, {1, 8}, {2, 9}},
       {{2, 1}, {1, 2}, {2, 3}, {1, 4}, {2, 5}, {1, 6}, {2, 7}, {1, 8}, {2, 9}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPlayEventRing ring;
    for (const TPlayEventItem& item : c.pushed) ring.Push(item);
    std::vector<TPlayEventItem> got;
    while (ring.Wait(0)) got.push_back(ring.Pop());
    ASSERT_EQ(got.size(), c.delivered.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].Kind, c.delivered[i].Kind) << i;
      EXPECT_EQ(got[i].Value, c.delivered[i].Value) << i;
    }
    EXPECT_EQ(ring.Pop().Kind, pekNone);
  }
}

TEST(PlayerEvents, PositionIsSentWhenItMovedMoreThanTenMilliseconds) {
  struct Case {
    int64_t lastSent, position, duration;
    bool send;
    int64_t sent;
  } cases[] = {
      {NoTimestamp, 0, 2000000, true, 0},          // the first position is always sent
      {100000, 110000, 2000000, false, 110000},    // exactly 10 ms: not sent
      {100000, 110001, 2000000, true, 110001},
      {100000, 89999, 2000000, true, 89999},       // backwards counts too
      {1990000, 2500000, 2000000, true, 2000000},  // beyond the end: the duration
      {2000000, 2000000, 2000000, false, 2000000},
      {1995000, 2000000, 2000000, true, 2000000},  // the end is sent although it moved 5 ms
      {100000, 5000000, -1, true, 5000000},        // unknown duration: no clamp
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "last " << c.lastSent << " position " << c.position);
    int64_t last = c.lastSent;
    const TPositionDecision d = DecidePosition(c.position, c.duration, last);
    EXPECT_EQ(d.Send, c.send);
    EXPECT_EQ(d.Position, c.sent);
    if (c.send) {
      EXPECT_EQ(last, c.sent);
    }
  }
}

}  // namespace
