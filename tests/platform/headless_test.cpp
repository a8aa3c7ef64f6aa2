// The headless backend: the simulated clock and its timer, the start-up delay, the music in step, the stretch.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/display.h"
#include "platform/headless/headless.h"
#include "platform/process.h"
#include "platform/resources.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "platform/window.h"

namespace {

using namespace platform;

uint32_t ticks = 0;
void CountTick(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) { ++ticks; }

std::vector<MessageKind> seen;
intptr_t Procedure(const Message& m) {
  seen.push_back(m.kind);
  return DefWindowProc(m);
}

class Recorder : public headless::Observer {
 public:
  std::vector<uint64_t> screens;
  std::vector<headless::Screen> shots;
  uint64_t soundFrames = 0;
  bool keepFirstPixels = false;
  std::vector<uint32_t> firstPixels;
  void OnScreen(const headless::Screen& s, uint64_t units) override {
    screens.push_back(units);
    shots.push_back(s);
    if (keepFirstPixels && s.pixels != nullptr) {
      firstPixels.clear();
      for (int32_t y = 0; y < s.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(s.pixels + static_cast<size_t>(y) * s.pitch);
        firstPixels.insert(firstPixels.end(), row, row + s.width);
      }
    }
  }
  void OnAudio(const int16_t*, size_t frames) override { soundFrames += frames; }
};

class Headless : public ::testing::Test {
 protected:
  void Start(headless::Settings settings) {
    ticks = 0;
    seen.clear();
    headless::Configure(settings, &recorder);
    RegisterWindowClass("MyClass", Procedure);
    window = CreateShowWindow({"MyClass", "Test", WindowStyle::kPopup, settings.screenWidth, settings.screenHeight});
    ASSERT_EQ(DirectDrawCreate(&display), kDisplayOk);
    ASSERT_EQ(SetCooperativeLevel(display, window, kLevelExclusiveFullScreen), kDisplayOk);
    ASSERT_EQ(SetDisplayMode(display, settings.screenWidth, settings.screenHeight, 32), kDisplayOk);
    SurfaceDescription d;
    d.flags = kDescCaps | kDescBackBufferCount;
    d.caps = kCapsPrimarySurface | kCapsFlip | kCapsComplex;
    d.backBufferCount = 1;
    ASSERT_EQ(CreateSurface(display, &d, &primary), kDisplayOk);
    ASSERT_EQ(GetAttachedSurface(primary, kCapsBackBuffer, &back), kDisplayOk);
    description = d;
  }
  void TearDown() override { headless::Configure({}, nullptr); }
  void Present() {
    ASSERT_EQ(WaitForVerticalBlank(display), kDisplayOk);
    ASSERT_EQ(Blt(primary, {0, 0, recorderWidth(), recorderHeight()}, back, {0, 0, 320, 200}), kDisplayOk);
  }
  int32_t recorderWidth() const { return description.width; }
  int32_t recorderHeight() const { return description.height; }

  Recorder recorder;
  Window* window = nullptr;
  DisplayObject* display = nullptr;
  Surface* primary = nullptr;
  Surface* back = nullptr;
  SurfaceDescription description;
};

TEST_F(Headless, EachPresentEndsAtTheNextVerticalBlankAndThePeriodsFollow) {
  Start({});
  ASSERT_NE(TimeSetEvent(20, 1, CountTick, 0, kTimePeriodic), 0u);
  EXPECT_EQ(headless::Now(), 0u);
  for (uint64_t k = 1; k <= 300; ++k) {
    Present();
    ASSERT_EQ(headless::Now(), k * 1000);
    // Whole 20 ms periods in k / 60 s.
    ASSERT_EQ(ticks, k * 1000 / 60 / 20) << k;
  }
  EXPECT_EQ(recorder.screens.front(), 0u);  // the observer sees each present before time moves
  EXPECT_EQ(recorder.screens.back(), 299000u);
  EXPECT_EQ(ticks, 250u);
  EXPECT_EQ(TimeKillEvent(1), 0u);
  Present();
  EXPECT_EQ(ticks, 250u);
}

TEST_F(Headless, TheStartUpDelayComesOnceAtTheFirstPlayAndTheNextBlankFollowsIt) {
  headless::Settings s;
  s.startupMs = 250;
  s.fps = 50;
  Start(s);
  Present();
  EXPECT_FALSE(PlaySong(nullptr));  // no song, but the start-up work still took its time
  EXPECT_EQ(headless::Now(), 1000u + 250u * 50);
  PlaySong(nullptr);
  EXPECT_EQ(headless::Now(), 13500u);
  Present();
  EXPECT_EQ(recorder.screens.back(), 13500u);
  EXPECT_EQ(headless::Now(), 14000u);
}

TEST_F(Headless, TheMusicAdvancesInStepWithTimeAndItsSoundIsHandedOver) {
  headless::Settings s;
  s.audioWanted = true;
  Start(s);
  const Resource module = FindResource("xmfile");
  Song* song = LoadSongMemory(module.data, module.size);
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(SetPanSeparation(song, 0.0f));
  EXPECT_TRUE(PlaySong(song));
  EXPECT_EQ(GetOrder(song), 0);
  for (int k = 0; k < 60 * 8; ++k) Present();
  EXPECT_EQ(GetOrder(song), 2);
  EXPECT_EQ(recorder.soundFrames, 8u * 44100);
  EXPECT_TRUE(SetMasterVolume(song, 0));
  EXPECT_TRUE(StopSong(song));
  EXPECT_TRUE(FreeSong(song));
}

TEST_F(Headless, ANullSongIsSafeEverywhere) {
  Start({});
  const std::vector<uint8_t> junk(500, 1);
  Song* song = LoadSongMemory(junk.data(), static_cast<uint32_t>(junk.size()));
  EXPECT_EQ(song, nullptr);
  EXPECT_FALSE(SetPanSeparation(song, 0.0f));
  EXPECT_FALSE(PlaySong(song));
  EXPECT_FALSE(SetMasterVolume(song, 0));
  EXPECT_EQ(GetOrder(song), -1);
  EXPECT_FALSE(StopSong(song));
  EXPECT_FALSE(FreeSong(song));
}

TEST_F(Headless, TheStretchTakesTheSourcePixelUnderEachCentre) {
  headless::Settings s;
  s.screenWidth = 800;
  s.screenHeight = 600;
  s.pixelsWanted = true;
  Start(s);
  recorder.keepFirstPixels = true;
  SurfaceDescription lock = description;
  ASSERT_EQ(Lock(back, &lock), kDisplayOk);
  for (int y = 0; y < 200; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(lock.memory + static_cast<size_t>(y) * lock.pitch);
    for (int x = 0; x < 320; ++x) row[x] = static_cast<uint32_t>(y << 16 | x);
  }
  ASSERT_EQ(Unlock(back), kDisplayOk);
  Present();
  ASSERT_EQ(recorder.firstPixels.size(), 800u * 600);
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) {
      const uint32_t expected = static_cast<uint32_t>(((2 * y + 1) * 200 / 1200) << 16 | ((2 * x + 1) * 320 / 1600));
      ASSERT_EQ(recorder.firstPixels[static_cast<size_t>(y) * 800 + x], expected) << x << "," << y;
    }
  }
}

TEST_F(Headless, WithoutAPictureOutputTheSurfacesAreNotStretched) {
  Start({});
  Present();
  EXPECT_EQ(recorder.shots.back().pixels, nullptr);
  EXPECT_EQ(recorder.shots.back().width, 1600);
}

TEST_F(Headless, TheModesIncludeTheDesktopAndDepthsTheHostDrops) {
  headless::Settings s;
  s.screenWidth = 1000;
  s.screenHeight = 700;
  Start(s);
  SurfaceDescription current;
  ASSERT_EQ(GetDisplayMode(display, &current), kDisplayOk);
  EXPECT_EQ(current.width, 1000);
  EXPECT_EQ(current.format.bitCount, 32);
  static std::vector<SurfaceDescription> modes;
  modes.clear();
  EnumDisplayModes(display, [](const SurfaceDescription& m, void*) { modes.push_back(m); return kEnumContinue; },
                   nullptr);
  bool desktop = false, eight = false;
  for (const SurfaceDescription& m : modes) {
    desktop = desktop || (m.width == 1000 && m.height == 700 && m.format.bitCount == 32);
    eight = eight || m.format.bitCount == 8;
  }
  EXPECT_TRUE(desktop);
  EXPECT_TRUE(eight);
}

TEST_F(Headless, WindowsActivateWhenShownAndQuitWhenDestroyed) {
  Start({});
  ShowWindow(window, kShowDefault);
  ShowWindow(window, kShowDefault);
  EXPECT_EQ(seen, (std::vector<MessageKind>{MessageKind::kActivateApp}));
  PostQuitMessage(0);
  Message m;
  ASSERT_TRUE(PeekMessage(&m));
  EXPECT_EQ(m.kind, MessageKind::kQuit);
  EXPECT_FALSE(PeekMessage(&m));
  DestroyWindow(window);
  EXPECT_EQ(seen.back(), MessageKind::kDestroy);
  EXPECT_THROW(ExitProcess(0), ProcessExit);
}

TEST_F(Headless, ReleasesAreCountedAndRepeatedOnesHarmless) {
  Start({});
  Release(back);
  Release(primary);
  Release(display);
  Release(display);
  SUCCEED();
}

}  // namespace
