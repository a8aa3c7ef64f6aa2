// The SDL video device and its events on SDL's off-screen video driver: the windowed way through, failures by
// step, lost surfaces, the show window's events, and the pacing of frames that present nothing.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/sdl/sdl_platform.h"

namespace {

using platform::Access;
using platform::ShowEvent;
using platform::VideoStep;

class RecordingSink : public platform::EventSink {
 public:
  void OnEvent(ShowEvent event) override { events.push_back(event); }
  std::vector<ShowEvent> events;
};

// The device, with the renderer it last drew with, and how many presents drew, in reach of the test.
class TestVideo : public platform::SdlVideo {
 public:
  SDL_Renderer* drawn = nullptr;
  int drawings = 0;

 protected:
  void OnDrawn(SDL_Renderer* renderer) override {
    drawn = renderer;
    ++drawings;
  }
};

class SdlVideoTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
  void SetUp() override {
    video_.SetSink(&sink_);
    ASSERT_TRUE(video_.Create().ok());
  }

  void OpenWindowed() { ASSERT_TRUE(video_.OpenWindowed({"Windowed", 640, 400}).ok()); }
  Access PresentOnce() { return video_.Present({0, 0, 320, 200}, {0, 0, 640, 400}); }
  // Packs a picture of one grey level into the work surface and presents it; whether that drew.
  bool PresentGrey(uint8_t level, const platform::Rect& picture = {0, 0, 640, 400}) {
    platform::WorkTarget target;
    EXPECT_EQ(video_.Lock(target), Access::kOk);
    for (int y = 0; y < 200 && target.pixels != nullptr; ++y) std::memset(target.pixels + y * target.pitch, level, 640);
    video_.Unlock();
    const int before = video_.drawings;
    EXPECT_EQ(video_.Present({0, 0, 320, 200}, picture), Access::kOk);
    return video_.drawings > before;
  }
  // The show window, as the renderer of a present draws into it.
  SDL_Window* Native() {
    EXPECT_EQ(PresentOnce(), Access::kOk);
    return video_.drawn != nullptr ? SDL_RenderGetWindow(video_.drawn) : nullptr;
  }
  void Push(Uint32 type, Uint32 windowId, Uint8 windowEvent = 0, SDL_Keycode key = 0, Uint16 mod = KMOD_NONE,
            Uint8 repeat = 0) {
    SDL_Event event = {};
    event.type = type;
    if (type == SDL_KEYDOWN) {
      event.key.windowID = windowId;
      event.key.keysym.sym = key;
      event.key.keysym.mod = mod;
      event.key.repeat = repeat;
    } else {
      event.window.windowID = windowId;
      event.window.event = windowEvent;
    }
    SDL_PushEvent(&event);
  }

  RecordingSink sink_;
  TestVideo video_;
};

TEST_F(SdlVideoTest, TheCurrentModeIsTheDesktopsAtTheBitsItsPixelsOccupy) {
  platform::VideoMode current;
  ASSERT_TRUE(video_.CurrentMode(current).ok());
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  EXPECT_EQ(current.width, desktop.w);
  EXPECT_EQ(current.height, desktop.h);
  EXPECT_EQ(current.layout.bitsPerPixel, static_cast<int32_t>(SDL_BYTESPERPIXEL(desktop.format) * 8));
}

TEST_F(SdlVideoTest, AWindowOpensShownActiveAndExactlyTheAskedSize) {
  OpenWindowed();
  // Activated before OpenWindowed returned, and only once however often it is shown.
  EXPECT_EQ(sink_.events, std::vector<ShowEvent>{ShowEvent::kActivated});
  video_.ShowWindow();
  EXPECT_EQ(sink_.events.size(), 1u);
  SDL_Window* window = Native();
  ASSERT_NE(window, nullptr);
  int width = 0, height = 0;
  SDL_GetWindowSize(window, &width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 400);
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Windowed");
}

TEST_F(SdlVideoTest, TheWorkSurfaceLocksPacksAndPresents) {
  OpenWindowed();
  platform::WorkTarget target;
  ASSERT_EQ(video_.Lock(target), Access::kOk);
  ASSERT_NE(target.pixels, nullptr);
  // The device keeps only the corner the picture is packed into.
  EXPECT_EQ(target.width, 320);
  EXPECT_EQ(target.height, 200);
  platform::VideoMode desktop;
  ASSERT_TRUE(video_.CurrentMode(desktop).ok());
  const int32_t bytesPerPixel = desktop.layout.bitsPerPixel / 8;
  ASSERT_GE(target.pitch, 320 * bytesPerPixel);
  // Every row of the corner the host packs into is writable.
  for (int y = 0; y < 200; ++y) std::memset(target.pixels + y * target.pitch, 0x7F, 320 * bytesPerPixel);
  // A second lock before the unlock is refused, not taken for a lost surface.
  platform::WorkTarget again;
  EXPECT_EQ(video_.Lock(again), Access::kFailed);
  video_.Unlock();
  EXPECT_EQ(PresentOnce(), Access::kOk);
  EXPECT_EQ(PresentOnce(), Access::kOk);
}

TEST_F(SdlVideoTest, TheFullScreenSwitchTakesTheDesktopAndGivesTheWindowBackWhileTheShowPresents) {
  int32_t width = 0, height = 0;
  EXPECT_FALSE(video_.ToggleFullScreen());  // no window yet
  OpenWindowed();
  ASSERT_TRUE(video_.OutputSize(width, height));
  EXPECT_EQ(width * 1000 + height, 640 * 1000 + 400);
  platform::VideoMode desktop;
  ASSERT_TRUE(video_.CurrentMode(desktop).ok());
  ASSERT_TRUE(video_.ToggleFullScreen());
  video_.DispatchPending();
  EXPECT_EQ(video_.Present({0, 0, 320, 200}, {0, 0, desktop.width, desktop.height}), Access::kOk);
  ASSERT_TRUE(video_.OutputSize(width, height));
  EXPECT_EQ(width * 1000 + height, desktop.width * 1000 + desktop.height);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);  // the pointer hides over a full screen
  ASSERT_TRUE(video_.ToggleFullScreen());
  video_.DispatchPending();
  EXPECT_EQ(PresentOnce(), Access::kOk);
  ASSERT_TRUE(video_.OutputSize(width, height));
  EXPECT_EQ(width * 1000 + height, 640 * 1000 + 400);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);  // and a window shows it, even after a full-screen start
}

TEST_F(SdlVideoTest, FailuresNameTheirStep) {
  platform::SdlVideo uncreated;
  const platform::VideoStatus early = uncreated.OpenWindowed({"Early", 64, 64});
  EXPECT_FALSE(early.ok());
  EXPECT_EQ(early.step, VideoStep::kCooperativeLevel);
  platform::WorkTarget target;
  EXPECT_EQ(uncreated.Lock(target), Access::kLost);
  EXPECT_EQ(uncreated.Present({0, 0, 1, 1}, {0, 0, 1, 1}), Access::kLost);
  // A mode the display does not list is refused (the off-screen driver lists none).
  const platform::VideoStatus mode = video_.OpenFullScreen({"Full", 123, 45}, 32);
  EXPECT_EQ(mode.step, VideoStep::kDisplayMode);
  EXPECT_EQ(mode.fault, platform::VideoFault::kUnsupportedMode);
}

TEST_F(SdlVideoTest, AResetDeviceLosesTheSurfacesUntilRestored) {
  OpenWindowed();
  Push(SDL_RENDER_DEVICE_RESET, 0);
  video_.DispatchPending();
  EXPECT_EQ(PresentOnce(), Access::kLost);
  platform::WorkTarget target;
  EXPECT_EQ(video_.Lock(target), Access::kLost);
  video_.Restore();
  ASSERT_EQ(video_.Lock(target), Access::kOk);
  video_.Unlock();
  EXPECT_EQ(PresentOnce(), Access::kOk);
}

TEST_F(SdlVideoTest, DestroyingTheWindowIsHeardAtOnceAndLosesEverythingForGood) {
  OpenWindowed();
  sink_.events.clear();
  video_.DestroyWindow();
  EXPECT_EQ(sink_.events, std::vector<ShowEvent>{ShowEvent::kDestroyed});
  // Everything the host may still do is harmless.
  video_.DestroyWindow();
  video_.ShowWindow();
  EXPECT_EQ(sink_.events.size(), 1u);
  EXPECT_EQ(PresentOnce(), Access::kLost);
  video_.Restore();
  platform::WorkTarget target;
  EXPECT_EQ(video_.Lock(target), Access::kLost);
}

TEST_F(SdlVideoTest, AfterReleaseTheSurfacesOnlyAnswerLostAndReleaseAgainIsHarmless) {
  OpenWindowed();
  video_.Release();
  video_.Release();
  video_.Restore();
  platform::WorkTarget target;
  EXPECT_EQ(video_.Lock(target), Access::kLost);
  EXPECT_EQ(PresentOnce(), Access::kLost);
}

TEST_F(SdlVideoTest, KeysCloseAndFocusBecomeShowEventsInOrder) {
  OpenWindowed();
  const Uint32 id = SDL_GetWindowID(Native());
  sink_.events.clear();
  Push(SDL_KEYDOWN, id, 0, SDLK_ESCAPE);
  Push(SDL_KEYDOWN, id, 0, SDLK_a);
  Push(SDL_KEYDOWN, id + 1, 0, SDLK_ESCAPE);  // another window's: not the show's
  Push(SDL_WINDOWEVENT, id, SDL_WINDOWEVENT_FOCUS_LOST);
  Push(SDL_WINDOWEVENT, id, SDL_WINDOWEVENT_MINIMIZED);
  Push(SDL_WINDOWEVENT, id, SDL_WINDOWEVENT_RESTORED);
  Push(SDL_WINDOWEVENT, id, SDL_WINDOWEVENT_FOCUS_GAINED);
  Push(SDL_WINDOWEVENT, id, SDL_WINDOWEVENT_CLOSE);
  video_.DispatchPending();
  EXPECT_EQ(sink_.events, (std::vector<ShowEvent>{ShowEvent::kEscape, ShowEvent::kOtherKey, ShowEvent::kDeactivated,
                                                  ShowEvent::kDeactivated, ShowEvent::kActivated,
                                                  ShowEvent::kActivated, ShowEvent::kCloseRequested}));
}

TEST_F(SdlVideoTest, TheSwitchKeysCountOnceWhileHeldAndEnterAloneIsAnyKey) {
  OpenWindowed();
  const Uint32 id = SDL_GetWindowID(Native());
  sink_.events.clear();
  Push(SDL_KEYDOWN, id, 0, SDLK_RETURN, KMOD_LALT);
  Push(SDL_KEYDOWN, id, 0, SDLK_RETURN, KMOD_LALT, 1);
  Push(SDL_KEYDOWN, id, 0, SDLK_KP_ENTER, KMOD_RALT);
  Push(SDL_KEYDOWN, id, 0, SDLK_RETURN);
  Push(SDL_KEYDOWN, id, 0, SDLK_F11);
  Push(SDL_KEYDOWN, id, 0, SDLK_F11, KMOD_NONE, 1);
  Push(SDL_KEYDOWN, id, 0, SDLK_F12);
  Push(SDL_KEYDOWN, id, 0, SDLK_F12, KMOD_NONE, 1);
  Push(SDL_KEYDOWN, id, 0, SDLK_SPACE);
  Push(SDL_KEYDOWN, id, 0, SDLK_SPACE, KMOD_NONE, 1);
  Push(SDL_KEYDOWN, id, 0, SDLK_a, KMOD_NONE, 1);
  Push(SDL_KEYDOWN, id, 0, SDLK_ESCAPE, KMOD_NONE, 1);
  Push(SDL_KEYDOWN, id + 1, 0, SDLK_SPACE);  // another window's
  video_.DispatchPending();
  EXPECT_EQ(sink_.events, (std::vector<ShowEvent>{ShowEvent::kToggleFullScreen, ShowEvent::kToggleFullScreen,
                                                  ShowEvent::kOtherKey, ShowEvent::kToggleFullScreen,
                                                  ShowEvent::kScreenshot, ShowEvent::kPause, ShowEvent::kOtherKey,
                                                  ShowEvent::kEscape}));
}

TEST_F(SdlVideoTest, ASignalToQuitClosesTheShowWindowOrEndsWithoutOne) {
  OpenWindowed();
  sink_.events.clear();
  Push(SDL_QUIT, 0);
  video_.DispatchPending();
  EXPECT_EQ(sink_.events, std::vector<ShowEvent>{ShowEvent::kCloseRequested});
  video_.DestroyWindow();
  Push(SDL_QUIT, 0);
  video_.DispatchPending();
  EXPECT_EQ(sink_.events, (std::vector<ShowEvent>{ShowEvent::kCloseRequested, ShowEvent::kDestroyed,
                                                  ShowEvent::kDestroyed}));
}

TEST_F(SdlVideoTest, FramesThatPresentNothingKeepToTheRefreshRateAndOthersDoNotWait) {
  using Clock = std::chrono::steady_clock;
  // Without a renderer there is nothing to pace: dispatching never waits.
  auto start = Clock::now();
  for (int i = 0; i < 100; ++i) video_.DispatchPending();
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));

  OpenWindowed();
  // The off-screen display reports no rate: 60 Hz is assumed. The first frame starts the grid.
  video_.DispatchPending();
  start = Clock::now();
  for (int i = 0; i < 6; ++i) video_.DispatchPending();
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(6 * 16));

  start = Clock::now();
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(PresentOnce(), Access::kOk);
    video_.DispatchPending();
  }
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(6 * 16));
}

TEST_F(SdlVideoTest, TheCursorHidesAndShowsAgainByCount) {
  // Shown from the start, though its blank form was built as the video started.
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  video_.ShowCursor(false);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  video_.ShowCursor(false);
  video_.ShowCursor(true);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  video_.ShowCursor(true);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(SdlVideoTest, APacedPresentOfAnUnchangedPictureDrawsNothingUntilThePictureThePlaceOrTheWindowChanges) {
  OpenWindowed();
  // The software renderer the off-screen driver gets presents at once: within a few the pacer takes over.
  for (int i = 0; i < 20; ++i) PresentGrey(0x40);
  EXPECT_FALSE(PresentGrey(0x40));
  EXPECT_TRUE(PresentGrey(0x41));
  EXPECT_FALSE(PresentGrey(0x41));
  EXPECT_TRUE(PresentGrey(0x41, {10, 0, 630, 400}));
  EXPECT_FALSE(PresentGrey(0x41, {10, 0, 630, 400}));
  Push(SDL_WINDOWEVENT, SDL_GetWindowID(SDL_RenderGetWindow(video_.drawn)), SDL_WINDOWEVENT_EXPOSED);
  video_.DispatchPending();
  EXPECT_TRUE(PresentGrey(0x41, {10, 0, 630, 400}));
  video_.SetPictureFilter(platform::PictureFilter::kSharp);
  EXPECT_TRUE(PresentGrey(0x41, {10, 0, 630, 400}));
  EXPECT_FALSE(PresentGrey(0x41, {10, 0, 630, 400}));
}

}  // namespace
