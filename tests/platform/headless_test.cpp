// The headless platform: the simulated clock and its ticker, the start-up delay, the music in step, the stretch.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/resources.h"

namespace {

using namespace platform;

class Recorder : public headless::Observer, public EventSink {
 public:
  std::vector<uint64_t> screens;
  std::vector<Rect> pictures;
  std::vector<uint32_t> lastPicture;  // the picture's pixels on the screen, row after row
  uint64_t soundFrames = 0;
  std::vector<ShowEvent> events;

  void OnScreen(const MemorySurface& screen, const Rect& picture, uint64_t units) override {
    screens.push_back(units);
    pictures.push_back(picture);
    lastPicture.clear();
    for (int32_t y = picture.top; y < picture.bottom; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(screen.bytes.data() + static_cast<size_t>(y) * screen.pitch);
      lastPicture.insert(lastPicture.end(), row + picture.left, row + picture.right);
    }
  }
  void OnAudio(const int16_t*, size_t frames) override { soundFrames += frames; }
  void OnEvent(ShowEvent event) override { events.push_back(event); }
};

class Headless : public ::testing::Test {
 protected:
  void Start(headless::Settings settings) {
    platform = std::make_unique<headless::HeadlessPlatform>(settings, &recorder);
    platform->Events().SetSink(&recorder);
    width = settings.screenWidth;
    height = settings.screenHeight;
    ASSERT_TRUE(platform->Video().Create().ok());
    ASSERT_TRUE(platform->Video().OpenFullScreen({"Test", width, height}, 32).ok());
  }
  void Present() { ASSERT_EQ(platform->Video().Present({0, 0, 320, 200}, {0, 0, width, height}), Access::kOk); }

  Recorder recorder;
  std::unique_ptr<headless::HeadlessPlatform> platform;
  int32_t width = 0;
  int32_t height = 0;
};

TEST_F(Headless, EachPresentEndsAtTheNextVerticalBlankAndThePeriodsFollow) {
  Start({});
  uint64_t ticks = 0;
  ASSERT_TRUE(platform->Ticker().Start(20, [&] { ++ticks; }));
  EXPECT_FALSE(platform->Ticker().Start(20, [] {}));  // one ticker at a time
  EXPECT_EQ(platform->Now(), 0u);
  for (uint64_t k = 1; k <= 300; ++k) {
    Present();
    ASSERT_EQ(platform->Now(), k * 1000);
    // Whole 20 ms periods in k / 60 s.
    ASSERT_EQ(ticks, k * 1000 / 60 / 20) << k;
  }
  EXPECT_EQ(recorder.screens.front(), 0u);  // the observer sees each present before time moves
  EXPECT_EQ(recorder.screens.back(), 299000u);
  EXPECT_EQ(ticks, 250u);
  EXPECT_EQ(platform->UnitsPerSecond(), 60000u);
  platform->Ticker().Stop();
  Present();
  EXPECT_EQ(ticks, 250u);
}

TEST_F(Headless, ATickerStartedLaterCountsItsPeriodsFromItsStartAndMayStopFromInsideItsTick) {
  headless::Settings s;
  s.fps = 70;
  Start(s);
  Present();  // 1/70 s
  int ticks = 0;
  ASSERT_TRUE(platform->Ticker().Start(10, [&] {
    if (++ticks == 3) platform->Ticker().Stop();
  }));
  for (int k = 0; k < 2; ++k) Present();  // 2/70 s later: two whole 10 ms periods
  EXPECT_EQ(ticks, 2);
  for (int k = 0; k < 10; ++k) Present();
  EXPECT_EQ(ticks, 3);
}

TEST_F(Headless, TheStartUpDelayComesOnceAtTheFirstPlayAndTheNextBlankFollowsIt) {
  headless::Settings s;
  s.startupMs = 250;
  s.fps = 50;
  Start(s);
  Present();
  EXPECT_FALSE(platform->Music().Play(1.0f));  // no song, but the start-up work still took its time
  EXPECT_EQ(platform->Now(), 1000u + 250u * 50);
  platform->Music().Play(1.0f);
  EXPECT_EQ(platform->Now(), 13500u);
  Present();
  EXPECT_EQ(recorder.screens.back(), 13500u);
  EXPECT_EQ(platform->Now(), 14000u);
}

TEST_F(Headless, TheMusicAdvancesInStepWithTimeAndItsSoundIsHandedOver) {
  headless::Settings s;
  s.audioWanted = true;
  Start(s);
  const Resource module = FindResource("xmfile");
  ASSERT_NE(module.data, nullptr);
  MusicPlayer& music = platform->Music();
  EXPECT_TRUE(music.OpenDevice());
  ASSERT_TRUE(music.Load({module.data, module.size}));
  EXPECT_TRUE(music.Play(0.0f));
  EXPECT_EQ(music.Order(), 0);
  for (int k = 0; k < 60 * 8; ++k) Present();
  EXPECT_EQ(music.Order(), 2);
  EXPECT_EQ(recorder.soundFrames, 8u * 44100);
  EXPECT_EQ(platform->SampleAt(platform->Now()), 8u * 44100);
  // Paused, time passes in silence and the song waits; it goes on from there.
  EXPECT_TRUE(music.Pause(true));
  for (int k = 0; k < 60 * 8; ++k) Present();
  EXPECT_EQ(music.Order(), 2);
  EXPECT_EQ(recorder.soundFrames, 16u * 44100);
  EXPECT_TRUE(music.Pause(false));
  for (int k = 0; k < 60 * 4; ++k) Present();
  EXPECT_EQ(music.Order(), 3);
  EXPECT_TRUE(music.SetVolume(0));
  EXPECT_TRUE(music.Stop());
  EXPECT_TRUE(music.Free());
  EXPECT_EQ(music.Order(), -1);
}

TEST_F(Headless, TheSoundOfTheStartUpDelayIsHandedOverAndAFlushAddsNothingTwice) {
  headless::Settings s;
  s.audioWanted = true;
  s.startupMs = 110;
  Start(s);
  platform->Music().Play(1.0f);  // no song: the delay still passes, in silence
  EXPECT_EQ(platform->Now(), 6600u);
  EXPECT_EQ(recorder.soundFrames, 4851u);  // 110 ms at 44100 Hz
  Present();  // the next vertical blank after 110 ms is at 7/60 s
  EXPECT_EQ(platform->Now(), 7000u);
  EXPECT_EQ(recorder.soundFrames, 5145u);
  platform->FlushAudio();
  platform->FlushAudio();
  EXPECT_EQ(recorder.soundFrames, 5145u);
}

TEST_F(Headless, ANullSongIsSafeEverywhere) {
  Start({});
  const std::vector<uint8_t> junk(500, 1);
  MusicPlayer& music = platform->Music();
  EXPECT_FALSE(music.Load(junk));
  EXPECT_FALSE(music.Load({}));
  EXPECT_FALSE(music.Play(0.0f));
  EXPECT_FALSE(music.SetVolume(0));
  EXPECT_EQ(music.Order(), -1);
  EXPECT_FALSE(music.Stop());
  EXPECT_FALSE(music.Free());
}

TEST_F(Headless, TheStretchTakesTheSourcePixelUnderEachCentre) {
  headless::Settings s;
  s.screenWidth = 800;
  s.screenHeight = 600;
  s.pixelsWanted = true;
  Start(s);
  WorkTarget work;
  ASSERT_EQ(platform->Video().Lock(work), Access::kOk);
  for (int y = 0; y < 200; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(work.pixels + static_cast<size_t>(y) * work.pitch);
    for (int x = 0; x < 320; ++x) row[x] = static_cast<uint32_t>(y << 16 | x);
  }
  platform->Video().Unlock();
  Present();
  ASSERT_EQ(recorder.lastPicture.size(), 800u * 600);
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) {
      const uint32_t expected = static_cast<uint32_t>(((2 * y + 1) * 200 / 1200) << 16 | ((2 * x + 1) * 320 / 1600));
      ASSERT_EQ(recorder.lastPicture[static_cast<size_t>(y) * 800 + x], expected) << x << "," << y;
    }
  }
}

TEST_F(Headless, WithoutAPictureOutputTheHostIsToldItsSurfacesGoUnseenAndTimeStillMoves) {
  Start({});
  WorkTarget work;
  EXPECT_EQ(platform->Video().Lock(work), Access::kUnobserved);
  Present();
  ASSERT_EQ(recorder.pictures.size(), 1u);
  EXPECT_EQ(recorder.pictures.back().right, 1600);
  EXPECT_EQ(platform->Now(), 1000u);
}

TEST_F(Headless, TheModesIncludeTheDesktop) {
  headless::Settings s;
  s.screenWidth = 1000;
  s.screenHeight = 700;
  Start(s);
  VideoMode current;
  ASSERT_TRUE(platform->Video().CurrentMode(current).ok());
  EXPECT_EQ(current.width, 1000);
  EXPECT_EQ(current.layout.bitsPerPixel, 32);
  bool desktop = false;
  platform->Video().ForEachMode([&](const VideoMode& m) {
    desktop = desktop || (m.width == 1000 && m.height == 700 && m.layout.bitsPerPixel == 32);
  });
  EXPECT_TRUE(desktop);
}

TEST_F(Headless, TheWindowActivatesWhenShownAndReportsItsDestruction) {
  Start({});
  platform->Video().ShowWindow();
  platform->Video().ShowWindow();
  EXPECT_EQ(recorder.events, std::vector<ShowEvent>{ShowEvent::kActivated});
  platform->Device().Post(ShowEvent::kEscape);
  platform->Events().DispatchPending();
  platform->Video().DestroyWindow();
  EXPECT_EQ(recorder.events,
            (std::vector<ShowEvent>{ShowEvent::kActivated, ShowEvent::kEscape, ShowEvent::kDestroyed}));
}

TEST_F(Headless, ReleasesAreHarmlessWhenRepeated) {
  Start({});
  platform->Video().Release();
  platform->Video().Release();
  WorkTarget work;
  EXPECT_EQ(platform->Video().Lock(work), Access::kFailed);
}

}  // namespace
