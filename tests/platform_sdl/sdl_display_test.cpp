// The SDL display service on SDL's off-screen video driver: the windowed way through, errors, and lost surfaces.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/display.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/window.h"

namespace {

using namespace platform;

intptr_t Procedure(const Message& message) { return DefWindowProc(message); }

class SdlDisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    RegisterWindowClass("DisplayTestClass", Procedure);
  }
  void SetUp() override {
    ASSERT_EQ(DirectDrawCreate(&object_), kDisplayOk);
    window_ = CreateShowWindow({"DisplayTestClass", "Windowed", WindowStyle::kFramed, 640, 400});
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, kShowShow);
  }
  void TearDown() override {
    Release(work_);
    Release(primary_);
    Release(object_);
    DestroyWindow(window_);
  }

  // The windowed way: normal level, the primary surface, a clipper, an off-screen surface of 640 x 400.
  void SetUpWindowed() {
    ASSERT_EQ(SetCooperativeLevel(object_, window_, kLevelNormal), kDisplayOk);
    SurfaceDescription description;
    description.flags = kDescCaps;
    description.caps = kCapsPrimarySurface;
    ASSERT_EQ(CreateSurface(object_, &description, &primary_), kDisplayOk);
    Clipper* clipper = nullptr;
    ASSERT_EQ(CreateClipper(object_, &clipper), kDisplayOk);
    EXPECT_EQ(ClipperSetWindow(clipper, window_), kDisplayOk);
    EXPECT_EQ(SetClipper(primary_, clipper), kDisplayOk);
    Release(clipper);
    description.flags = kDescCaps | kDescWidth | kDescHeight;
    description.caps = kCapsOffscreenPlain;
    description.width = 640;
    description.height = 400;
    ASSERT_EQ(CreateSurface(object_, &description, &work_), kDisplayOk);
    lock_ = description;
  }

  DisplayResult PresentOnce() {
    const Point topLeft = ClientToScreen(window_, {0, 0});
    const Point bottomRight = ClientToScreen(window_, {640, 400});
    WaitForVerticalBlank(object_);
    return Blt(primary_, {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}, work_, {0, 0, 320, 200});
  }

  DisplayObject* object_ = nullptr;
  Window* window_ = nullptr;
  Surface* primary_ = nullptr;
  Surface* work_ = nullptr;
  SurfaceDescription lock_;
};

TEST_F(SdlDisplayTest, TheCurrentModeIsTheDesktopsAtTheBitsItsPixelsOccupy) {
  SurfaceDescription current;
  ASSERT_EQ(GetDisplayMode(object_, &current), kDisplayOk);
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  EXPECT_EQ(current.width, desktop.w);
  EXPECT_EQ(current.height, desktop.h);
  EXPECT_EQ(current.format.bitCount, static_cast<int32_t>(SDL_BYTESPERPIXEL(desktop.format) * 8));
}

TEST_F(SdlDisplayTest, WindowedSurfacesLockPackAndBlit) {
  SetUpWindowed();
  EXPECT_EQ(lock_.width, 640);
  EXPECT_EQ(lock_.height, 400);
  ASSERT_EQ(Lock(work_, &lock_), kDisplayOk);
  ASSERT_NE(lock_.memory, nullptr);
  const int32_t bytesPerPixel = lock_.format.bitCount / 8;
  ASSERT_GE(lock_.pitch, 320 * bytesPerPixel);
  // Every row of the corner the host packs into is writable.
  for (int y = 0; y < 200; ++y) std::memset(lock_.memory + y * lock_.pitch, 0x7F, 320 * bytesPerPixel);
  EXPECT_EQ(Unlock(work_), kDisplayOk);
  EXPECT_EQ(PresentOnce(), kDisplayOk);
  EXPECT_EQ(PresentOnce(), kDisplayOk);
}

TEST_F(SdlDisplayTest, MisuseIsRefusedNotFollowed) {
  EXPECT_EQ(SetCooperativeLevel(object_, nullptr, kLevelNormal), kDisplayInvalidParams);
  SurfaceDescription description;
  description.flags = kDescCaps | kDescWidth | kDescHeight;
  description.caps = kCapsOffscreenPlain;
  description.width = 64;
  description.height = 64;
  Surface* early = nullptr;
  EXPECT_TRUE(DisplayFailed(CreateSurface(object_, &description, &early)));
  EXPECT_EQ(early, nullptr);
  // A mode the display does not list is refused (the off-screen driver lists none).
  ASSERT_EQ(SetCooperativeLevel(object_, window_, kLevelExclusiveFullScreen), kDisplayOk);
  EXPECT_EQ(SetDisplayMode(object_, 123, 45, 32), kDisplayUnsupportedMode);

  SetUpWindowed();
  Surface* attached = nullptr;
  EXPECT_TRUE(DisplayFailed(GetAttachedSurface(primary_, kCapsBackBuffer, &attached)));
  EXPECT_EQ(attached, nullptr);
  SurfaceDescription primaryLock;
  EXPECT_TRUE(DisplayFailed(Lock(primary_, &primaryLock)));
  EXPECT_EQ(Blt(work_, {0, 0, 1, 1}, primary_, {0, 0, 1, 1}), kDisplayInvalidParams);
}

TEST_F(SdlDisplayTest, AResetDeviceLosesTheSurfacesUntilRestored) {
  SetUpWindowed();
  SDL_Event reset = {};
  reset.type = SDL_RENDER_DEVICE_RESET;
  SDL_PushEvent(&reset);
  Message message;
  while (PeekMessage(&message)) {
  }
  EXPECT_EQ(PresentOnce(), kDisplaySurfaceLost);
  EXPECT_EQ(Lock(work_, &lock_), kDisplaySurfaceLost);
  ASSERT_EQ(Restore(primary_), kDisplayOk);
  ASSERT_EQ(Lock(work_, &lock_), kDisplayOk);
  EXPECT_EQ(Unlock(work_), kDisplayOk);
  EXPECT_EQ(PresentOnce(), kDisplayOk);
}

TEST_F(SdlDisplayTest, DestroyingTheWindowLosesEverythingForGood) {
  SetUpWindowed();
  DestroyWindow(window_);
  EXPECT_EQ(PresentOnce(), kDisplaySurfaceLost);
  EXPECT_EQ(Restore(primary_), kDisplaySurfaceLost);
  EXPECT_EQ(Lock(work_, &lock_), kDisplaySurfaceLost);
}

TEST_F(SdlDisplayTest, SurfacesReleasedAfterTheirDisplayObjectAreOnlyForgotten) {
  SetUpWindowed();
  Release(object_);
  object_ = nullptr;
  EXPECT_EQ(Lock(work_, &lock_), kDisplaySurfaceLost);
  EXPECT_EQ(PresentOnce(), kDisplaySurfaceLost);
}

}  // namespace
