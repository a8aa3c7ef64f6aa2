// The tests' fakes: the exact call records the host tests compare, injection from onCall, and the resources.
#include "tests/fakes/fake_platform.h"

#include <gtest/gtest.h>

#include "platform/resources.h"

namespace {

using namespace platform;
using Strings = std::vector<std::string>;

class Events : public EventSink {
 public:
  std::vector<ShowEvent> seen;
  void OnEvent(ShowEvent event) override { seen.push_back(event); }
};

TEST(FakePlatform, RecordsEveryCallInItsForm) {
  fake::FakePlatform fake;
  VideoMode desktop;
  ASSERT_TRUE(fake.Video().Create().ok());
  ASSERT_TRUE(fake.Video().CurrentMode(desktop).ok());
  EXPECT_EQ(desktop.width, 1024);
  EXPECT_EQ(desktop.layout.redMask, 0xFF0000u);
  fake.Video().ForEachMode([](const VideoMode&) { ADD_FAILURE() << "no modes until set"; });
  fake.Video().ShowCursor(false);
  ASSERT_TRUE(fake.Video().OpenFullScreen({"Full Screen", 800, 600}, 16).ok());
  EXPECT_EQ(fake.Device().Screen().layout.bitsPerPixel, 16);
  fake.Video().ShowWindow();
  WorkTarget work;
  EXPECT_EQ(fake.Video().Lock(work), Access::kOk);
  fake.Video().Unlock();
  EXPECT_EQ(fake.Video().Present({0, 0, 320, 200}, {0, 0, 800, 600}), Access::kOk);
  fake.Video().Restore();
  fake.Video().Release();
  fake.Video().MessageBox("CreateSurface error", "DDRAW ERROR", false);
  fake.Video().MessageBox("StopSong", nullptr, true);
  fake.Video().DestroyWindow();
  fake.Video().OpenWindowed({"Window", 640, 480});
  fake.Events().DispatchPending();
  fake.Ticker().Start(20, [] {});
  fake.Ticker().Stop();
  MusicPlayer& music = fake.Music();
  EXPECT_TRUE(music.OpenDevice());
  const uint8_t song[3] = {1, 2, 3};
  EXPECT_TRUE(music.Load(song));
  EXPECT_TRUE(music.Play(0.25f));
  EXPECT_TRUE(music.SetVolume(256));
  EXPECT_EQ(music.Order(), 0);
  EXPECT_TRUE(music.Stop());
  EXPECT_TRUE(music.Free());
  EXPECT_EQ(music.Order(), -1);
  music.CloseDevice();
  EXPECT_EQ(fake.orderCalls, 2);
  EXPECT_EQ(fake.calls, (Strings{"Create", "CurrentMode", "ForEachMode", "ShowCursor 0",
                                 "OpenFullScreen Full Screen 800x600x16", "ShowWindow", "Lock", "Unlock",
                                 "Present 0,0,800,600", "Restore", "Release",
                                 "MessageBox CreateSurface error|DDRAW ERROR|0", "MessageBox StopSong|(none)|1",
                                 "DestroyWindow", "OpenWindowed Window 640x480", "DispatchPending",
                                 "TickerStart 20", "TickerStop", "OpenDevice", "Load 3", "Play 0.25",
                                 "SetVolume 256", "Stop", "Free", "CloseDevice"}));
  EXPECT_EQ(fake.Count("MessageBox"), 2);
}

TEST(FakePlatform, ScriptedAnswersAndFailuresFromOnCallTakeEffectInTheCallThatTriggeredThem) {
  fake::FakePlatform fake;
  Events sink;
  fake.Events().SetSink(&sink);
  fake.onCall = [&](const std::string& call) {
    if (call == "OpenFullScreen Show 800x600x32") fake.Device().FailStep(VideoStep::kBackBuffer);
    if (call == "DispatchPending") fake.Device().Post(ShowEvent::kEscape);
  };
  EXPECT_EQ(fake.Video().OpenFullScreen({"Show", 800, 600}, 32).step, VideoStep::kBackBuffer);
  int ticks = 0;
  fake.ticksPerDispatch = 3;
  fake.Events().DispatchPending();  // no ticker yet
  fake.Ticker().Start(20, [&] { ++ticks; });
  fake.Events().DispatchPending();
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(sink.seen, (std::vector<ShowEvent>{ShowEvent::kEscape, ShowEvent::kEscape}));

  fake.musicLoads = false;
  EXPECT_FALSE(fake.Music().Load(std::vector<uint8_t>(10, 1)));
  EXPECT_FALSE(fake.Music().Play(1.0f));
  fake.musicLoads = true;
  fake.order = [] { return 7; };
  fake.stopResult = false;
  fake.deviceOpens = false;
  EXPECT_FALSE(fake.Music().OpenDevice());
  EXPECT_FALSE(fake.Music().Load({}));
  EXPECT_TRUE(fake.Music().Load(std::vector<uint8_t>(10, 1)));
  EXPECT_EQ(fake.Music().Order(), 7);
  EXPECT_FALSE(fake.Music().Stop());
}

TEST(FakePlatform, ResourcesComeFromTheNewestFakeByNameInAnyCase) {
  EXPECT_EQ(FindResource("xmfile").data, nullptr);  // no fake, no resources
  fake::FakePlatform outer;
  outer.resources["XMFILE"] = {1, 2};
  {
    fake::FakePlatform inner;
    inner.bitmaps[kLogoBitmapId] = {9};
    EXPECT_EQ(FindResource("xmfile").data, nullptr);
    EXPECT_EQ(FindBitmapResource(kLogoBitmapId).size, 1u);
  }
  EXPECT_EQ(FindResource("XmFile").size, 2u);
  EXPECT_EQ(FindBitmapResource(kLogoBitmapId).data, nullptr);
}

}  // namespace
