// The memory device: its surfaces, the nearest-pixel stretch, scripted failures, unobserved screens and events.
#include "platform/memory/memory_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using namespace platform;

class Events : public EventSink {
 public:
  std::vector<ShowEvent> seen;
  void OnEvent(ShowEvent event) override { seen.push_back(event); }
};

class Device : public MemoryDevice {
 public:
  Device() : MemoryDevice(StandardMemoryDisplay(1024, 768)) {}
  std::vector<Rect> presented;

 protected:
  void OnPresented(const Rect& picture) override { presented.push_back(picture); }
};

constexpr ShowWindowSpec kWindow = {"Show", 800, 600};

// Fills the work surface's 320 x 200 corner with a pixel that names its own column and row.
void FillWork(MemoryDevice& device) {
  WorkTarget target;
  ASSERT_EQ(device.Lock(target), Access::kOk);
  const int32_t bytes = device.Work().layout.bitsPerPixel / 8;
  for (int32_t y = 0; y < 200; ++y) {
    for (int32_t x = 0; x < 320; ++x) {
      const uint32_t value = static_cast<uint32_t>(y << 9 | x);
      std::memcpy(target.pixels + y * target.pitch + x * bytes, &value, static_cast<size_t>(bytes));
    }
  }
  device.Unlock();
}

uint32_t ScreenPixel(const MemoryDevice& device, int32_t x, int32_t y) {
  const MemorySurface& s = device.Screen();
  const int32_t bytes = s.layout.bitsPerPixel / 8;
  uint32_t value = 0;
  std::memcpy(&value, s.bytes.data() + y * s.pitch + x * bytes, static_cast<size_t>(bytes));
  return value;
}

// The source column or row under the centre of picture pixel i, the picture being count pixels for sourceCount.
int32_t UnderCentre(int32_t i, int32_t count, int32_t sourceCount) {
  return static_cast<int32_t>(std::floor((i + 0.5) * sourceCount / count));
}

TEST(MemoryDevice, FullScreenSurfacesHaveTheModesSizeAndLayoutAndTheWorkSurfaceHoldsThePicture) {
  Device device;
  ASSERT_TRUE(device.Create().ok());
  ASSERT_TRUE(device.OpenFullScreen({"Show", 640, 480}, 16).ok());
  EXPECT_EQ(device.Screen().width, 640);
  EXPECT_EQ(device.Screen().pitch, 1280);
  EXPECT_EQ(device.Screen().layout.greenMask, 0x7E0u);
  EXPECT_EQ(device.Work().height, 480);
  EXPECT_EQ(device.Work().layout.redMask, 0xF800u);
  EXPECT_TRUE(device.FullScreen());
  EXPECT_EQ(device.Title(), "Show");

  ASSERT_TRUE(device.OpenFullScreen({"Show", 320, 240}, 24).ok());
  EXPECT_EQ(device.Screen().pitch, 960);
  EXPECT_EQ(device.Screen().layout.redMask, 0xFF0000u);

  const VideoStatus eight = device.OpenFullScreen({"Show", 640, 480}, 8);
  EXPECT_EQ(eight.step, VideoStep::kDisplayMode);
  EXPECT_EQ(eight.fault, VideoFault::kUnsupportedMode);
}

TEST(MemoryDevice, TheFullScreenSwitchFlipsAnOpenWindowAndNothingWithoutOne) {
  Device device;
  EXPECT_FALSE(device.ToggleFullScreen());
  ASSERT_TRUE(device.OpenWindowed({"Show", 640, 400}).ok());
  ASSERT_TRUE(device.ToggleFullScreen());
  EXPECT_TRUE(device.FullScreen());
  ASSERT_TRUE(device.ToggleFullScreen());
  EXPECT_FALSE(device.FullScreen());
  device.DestroyWindow();
  EXPECT_FALSE(device.ToggleFullScreen());
  EXPECT_FALSE(device.FullScreen());
}

TEST(MemoryDevice, AWindowsScreenIsItsClientAreaInTheDesktopsLayoutAndTheWorkSurfaceIsNeverSmallerThanThePicture) {
  MemoryDevice device({{1280, 1024, MemoryLayout(16)}, {}});
  ASSERT_TRUE(device.OpenWindowed({"Small", 200, 150}).ok());
  EXPECT_FALSE(device.FullScreen());
  EXPECT_EQ(device.Screen().width, 200);
  EXPECT_EQ(device.Screen().height, 150);
  EXPECT_EQ(device.Screen().layout.bitsPerPixel, 16);
  EXPECT_EQ(device.Work().width, 320);
  EXPECT_EQ(device.Work().height, 200);
  EXPECT_EQ(device.Work().pitch, 640);
  WorkTarget target;
  ASSERT_EQ(device.Lock(target), Access::kOk);
  EXPECT_EQ(target.pixels, device.Work().bytes.data());
  EXPECT_EQ(target.pitch, 640);
  EXPECT_EQ(target.width, 320);
}

TEST(MemoryDevice, TheStretchTakesTheSourcePixelUnderEachCentre) {
  struct Case {
    int32_t depth;
    Rect picture;
  };
  for (const Case& c : {Case{32, {0, 0, 800, 600}}, Case{32, {112, 0, 912, 768}}, Case{24, {5, 7, 205, 107}},
                        Case{16, {0, 0, 1024, 768}}}) {
    Device device;
    ASSERT_TRUE(device.OpenFullScreen({"Show", 1024, 768}, c.depth).ok());
    FillWork(device);
    ASSERT_EQ(device.Present({0, 0, 320, 200}, c.picture), Access::kOk);
    const int32_t width = c.picture.right - c.picture.left;
    const int32_t height = c.picture.bottom - c.picture.top;
    const uint32_t mask = c.depth == 16 ? 0xFFFF : 0xFFFFFF;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const auto expected = static_cast<uint32_t>(UnderCentre(y, height, 200) << 9 | UnderCentre(x, width, 320));
        ASSERT_EQ(ScreenPixel(device, c.picture.left + x, c.picture.top + y), expected & mask)
            << c.depth << " bits, " << x << "," << y;
      }
    }
    if (c.picture.left > 0) {
      EXPECT_EQ(ScreenPixel(device, c.picture.left - 1, c.picture.top), 0u);  // left of the picture: untouched
    }
    EXPECT_EQ(device.presented.size(), 1u);
  }
  // Worked by hand: 320 columns over 800, 200 rows over 600.
  Device device;
  ASSERT_TRUE(device.OpenFullScreen(kWindow, 32).ok());
  FillWork(device);
  ASSERT_EQ(device.Present({0, 0, 320, 200}, {0, 0, 800, 600}), Access::kOk);
  EXPECT_EQ(ScreenPixel(device, 1, 1), 0u);
  EXPECT_EQ(ScreenPixel(device, 2, 2), (0u << 9) | 1u);
  EXPECT_EQ(ScreenPixel(device, 799, 599), (199u << 9) | 319u);
  EXPECT_EQ(ScreenPixel(device, 5, 4), (1u << 9) | 2u);
}

TEST(MemoryDevice, ASourceRectangleAwayFromTheCornerIsStretchedFromItsOwnOrigin) {
  Device device;
  ASSERT_TRUE(device.OpenFullScreen({"Show", 320, 200}, 32).ok());
  FillWork(device);
  ASSERT_EQ(device.Present({10, 20, 20, 30}, {0, 0, 20, 20}), Access::kOk);
  EXPECT_EQ(ScreenPixel(device, 0, 0), (20u << 9) | 10u);
  EXPECT_EQ(ScreenPixel(device, 19, 19), (29u << 9) | 19u);
  EXPECT_EQ(device.Present({0, 0, 321, 200}, {0, 0, 20, 20}), Access::kFailed);
  EXPECT_EQ(device.Present({0, 0, 320, 200}, {0, 0, 321, 20}), Access::kFailed);
}

TEST(MemoryDevice, AScriptedFailureStopsTheSetUpAtItsStep) {
  const std::vector<VideoStep> fullScreen = {VideoStep::kCooperativeLevel, VideoStep::kDisplayMode,
                                             VideoStep::kPrimarySurface, VideoStep::kBackBuffer};
  const std::vector<VideoStep> windowed = {VideoStep::kCooperativeLevel, VideoStep::kPrimarySurface,
                                           VideoStep::kClipper, VideoStep::kWorkSurface};
  for (const bool isFullScreen : {true, false}) {
    const std::vector<VideoStep>& steps = isFullScreen ? fullScreen : windowed;
    // Failing a step and every later one reports the step itself: the earlier steps run first.
    for (size_t first = 0; first < steps.size(); ++first) {
      Device device;
      for (size_t i = steps.size(); i-- > first;) device.FailStep(steps[i], VideoFault::kInvalidParams);
      const VideoStatus status = isFullScreen ? device.OpenFullScreen(kWindow, 32) : device.OpenWindowed(kWindow);
      EXPECT_EQ(status.step, steps[first]) << isFullScreen << " " << first;
      EXPECT_EQ(status.fault, VideoFault::kInvalidParams);
      EXPECT_FALSE(device.Surfaces());
      EXPECT_TRUE(device.WindowOpen());
      WorkTarget target;
      EXPECT_EQ(device.Lock(target), Access::kFailed);
    }
  }
  Device device;
  device.FailStep(VideoStep::kCreate);
  device.FailStep(VideoStep::kCurrentMode, VideoFault::kInvalidObject);
  EXPECT_EQ(device.Create().step, VideoStep::kCreate);
  EXPECT_FALSE(device.Create().ok());
  VideoMode mode;
  EXPECT_EQ(device.CurrentMode(mode).fault, VideoFault::kInvalidObject);
  EXPECT_EQ(mode.width, 0);
  EXPECT_TRUE(device.OpenWindowed(kWindow).ok());
}

TEST(MemoryDevice, ScriptedPresentsAndLocksComeInOrderAndOnlyARealPresentIsReported) {
  Device device;
  ASSERT_TRUE(device.OpenFullScreen(kWindow, 32).ok());
  device.ScriptPresents({Access::kBusy, Access::kLost});
  device.ScriptLocks({Access::kLost});
  WorkTarget target;
  EXPECT_EQ(device.Lock(target), Access::kLost);
  EXPECT_EQ(device.Lock(target), Access::kOk);
  EXPECT_EQ(device.Present({0, 0, 320, 200}, {0, 0, 800, 600}), Access::kBusy);
  EXPECT_EQ(device.Present({0, 0, 320, 200}, {0, 0, 800, 600}), Access::kLost);
  EXPECT_TRUE(device.presented.empty());
  EXPECT_EQ(device.Present({0, 0, 320, 200}, {0, 0, 400, 300}), Access::kOk);
  ASSERT_EQ(device.presented.size(), 1u);
  EXPECT_EQ(device.presented[0].right, 400);
}

TEST(MemoryDevice, AnUnobservedScreenIsNeitherPackedNorStretchedButItsPresentsAreReported) {
  Device device;
  ASSERT_TRUE(device.OpenFullScreen(kWindow, 32).ok());
  FillWork(device);
  device.SetObserved(false);
  WorkTarget target;
  EXPECT_EQ(device.Lock(target), Access::kUnobserved);
  EXPECT_EQ(device.Present({0, 0, 320, 200}, {0, 0, 800, 600}), Access::kOk);
  EXPECT_EQ(ScreenPixel(device, 799, 599), 0u);
  EXPECT_EQ(device.presented.size(), 1u);
}

TEST(MemoryDevice, EventsReachTheSinkInOrderAndShowingAndDestroyingDeliverAtOnce) {
  Device device;
  Events sink;
  device.SetSink(&sink);
  device.Post(ShowEvent::kEscape);
  device.Post(ShowEvent::kOtherKey);
  ASSERT_TRUE(device.OpenFullScreen(kWindow, 32).ok());
  EXPECT_TRUE(sink.seen.empty());  // full screen, the window stays hidden until shown
  device.ShowWindow();
  device.ShowWindow();
  EXPECT_EQ(sink.seen, std::vector<ShowEvent>{ShowEvent::kActivated});
  device.DispatchPending();
  device.DispatchPending();
  device.DestroyWindow();
  device.DestroyWindow();
  EXPECT_EQ(sink.seen, (std::vector<ShowEvent>{ShowEvent::kActivated, ShowEvent::kEscape, ShowEvent::kOtherKey,
                                               ShowEvent::kDestroyed}));
  // A window is shown as it opens, before the set-up's first step.
  sink.seen.clear();
  device.FailStep(VideoStep::kCooperativeLevel);
  EXPECT_FALSE(device.OpenWindowed(kWindow).ok());
  device.ShowWindow();
  EXPECT_EQ(sink.seen, std::vector<ShowEvent>{ShowEvent::kActivated});
  device.SetSink(nullptr);
  device.Post(ShowEvent::kEscape);
  device.DispatchPending();
  EXPECT_EQ(sink.seen.size(), 1u);
}

TEST(MemoryDevice, ReleaseGivesUpTheSurfacesAndASecondOneIsHarmless) {
  Device device;
  ASSERT_TRUE(device.Create().ok());
  ASSERT_TRUE(device.OpenFullScreen(kWindow, 32).ok());
  device.Release();
  device.Release();
  EXPECT_FALSE(device.Surfaces());
  EXPECT_FALSE(device.Created());
  EXPECT_TRUE(device.WindowOpen());
  WorkTarget target;
  EXPECT_EQ(device.Lock(target), Access::kFailed);
  EXPECT_EQ(device.Present({0, 0, 320, 200}, {0, 0, 800, 600}), Access::kFailed);
}

TEST(MemoryDevice, TheStandardDisplayOffersTheUsualSizesAndTheDesktopAtEveryDepthTheHostTakes) {
  VideoMode desktop;
  MemoryDevice odd(StandardMemoryDisplay(1000, 700));
  ASSERT_TRUE(odd.CurrentMode(desktop).ok());
  EXPECT_EQ(desktop.width, 1000);
  EXPECT_EQ(desktop.layout.bitsPerPixel, 32);
  EXPECT_EQ(desktop.layout.redMask, 0xFF0000u);
  std::vector<VideoMode> modes;
  odd.ForEachMode([&](const VideoMode& m) { modes.push_back(m); });
  ASSERT_EQ(modes.size(), 27u);  // eight usual sizes and the desktop's, at 16, 24 and 32 bits
  EXPECT_EQ(modes.front().width, 320);
  EXPECT_EQ(modes.front().layout.bitsPerPixel, 16);
  EXPECT_EQ(modes.back().width, 1000);
  EXPECT_EQ(modes.back().layout.bitsPerPixel, 32);
  EXPECT_EQ(StandardMemoryDisplay(800, 600).modes.size(), 24u);
}

}  // namespace
