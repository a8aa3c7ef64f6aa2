// The Windows video device's DirectDraw calls in their order: modes, both set-ups and each of their failures,
// lock, present and its results, restore and release.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/ddraw_video.h"

namespace {

using namespace platform;
using namespace platform::win32;
using Strings = std::vector<std::string>;

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

std::string Text(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

Description ModeDescription(int32_t width, int32_t height, int32_t bits) {
  Description mode;
  mode.flags = kDescWidth | kDescHeight | kDescPixelFormat;
  mode.width = width;
  mode.height = height;
  mode.layout = {bits, 0xFF0000, 0xFF00, 0xFF};
  return mode;
}

// Records every call by name and the objects' names; a call's result is the next one scripted for its name, kOk
// once those are used up. Like DirectDraw, it refuses a description of another size.
class RecordingPort : public DirectDrawPort {
 public:
  Strings calls;
  std::map<std::string, std::deque<Result>> script;
  Description desktop = ModeDescription(1024, 768, 32);
  std::vector<Description> modes = {ModeDescription(640, 480, 16), ModeDescription(800, 600, 32)};
  Point windowOrigin = {100, 50};
  std::vector<uint8_t> pixels = std::vector<uint8_t>(64);

  Result DirectDrawCreate(DirectDraw** object) override {
    const Result result = Next("DirectDrawCreate");
    *object = Failed(result) ? nullptr : Handle<DirectDraw>("ddraw");
    return result;
  }
  Result GetDisplayMode(DirectDraw* object, Description* mode) override {
    calls.push_back("GetDisplayMode " + Name(object));
    if (mode->size != kDescriptionSize) return kInvalidParams;
    const Result result = Script("GetDisplayMode");
    if (!Failed(result)) *mode = desktop;
    return result;
  }
  Result EnumDisplayModes(DirectDraw* object, uint32_t flags,
                          const std::function<int32_t(const Description&)>& each) override {
    calls.push_back("EnumDisplayModes " + Name(object) + " " + Hex(flags));
    for (const Description& mode : modes) {
      if (each(mode) != kEnumContinue) break;
    }
    return kOk;
  }
  Result SetCooperativeLevel(DirectDraw* object, Window* window, uint32_t level) override {
    return Next("SetCooperativeLevel " + Name(object) + " " + Name(window) + " " + Hex(level));
  }
  Result SetDisplayMode(DirectDraw*, int32_t width, int32_t height, int32_t bits) override {
    return Next("SetDisplayMode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                std::to_string(bits));
  }
  Result CreateSurface(DirectDraw*, Description* description, Surface** surface) override {
    std::string call = "CreateSurface flags=" + Hex(description->flags) + " caps=" + Hex(description->caps);
    if ((description->flags & kDescBackBufferCount) != 0) {
      call += " back=" + std::to_string(description->backBufferCount);
    }
    if ((description->flags & kDescWidth) != 0) {
      call += " " + std::to_string(description->width) + "x" + std::to_string(description->height);
    }
    *surface = nullptr;
    const Result result = Next(call);
    if (description->size != kDescriptionSize) return kInvalidParams;
    if (Failed(result)) return result;
    const bool primary = (description->caps & kCapsPrimarySurface) != 0;
    *surface = Handle<Surface>(primary ? "primary" : "work");
    if (primary) description->width = desktop.width, description->height = desktop.height;
    description->layout = desktop.layout;
    return result;
  }
  Result GetAttachedSurface(Surface* surface, uint32_t caps, Surface** attached) override {
    const Result result = Next("GetAttachedSurface " + Name(surface) + " " + Hex(caps));
    *attached = Failed(result) ? nullptr : Handle<Surface>("back");
    return result;
  }
  Result CreateClipper(DirectDraw*, Clipper** clipper) override {
    const Result result = Next("CreateClipper");
    *clipper = Failed(result) ? nullptr : Handle<Clipper>("clipper");
    return result;
  }
  Result SetHWnd(Clipper* clipper, Window* window) override {
    return Next("SetHWnd " + Name(clipper) + " " + Name(window));
  }
  Result SetClipper(Surface* surface, Clipper* clipper) override {
    return Next("SetClipper " + Name(surface) + " " + Name(clipper));
  }
  Result Lock(Surface* surface, Description* description, uint32_t flags) override {
    const Result result = Next("Lock " + Name(surface) + " flags=" + Hex(description->flags) + " caps=" +
                               Hex(description->caps) + (description->memory != nullptr ? " memory" : "") + " " +
                               Hex(flags));
    if (description->size != kDescriptionSize) return kInvalidParams;
    if (Failed(result)) return result;
    description->memory = pixels.data();
    description->pitch = 3200;
    return result;
  }
  Result Unlock(Surface* surface) override { return Next("Unlock " + Name(surface)); }
  Result WaitForVerticalBlank(DirectDraw* object, uint32_t flags) override {
    return Next("WaitForVerticalBlank " + Name(object) + " " + Hex(flags));
  }
  Result Blt(Surface* destination, const Rect& to, Surface* source, const Rect& from, uint32_t flags) override {
    return Next("Blt " + Name(destination) + " " + Text(to) + " from " + Name(source) + " " + Text(from) + " " +
                Hex(flags));
  }
  Result Restore(Surface* surface) override { return Next("Restore " + Name(surface)); }
  void Release(Clipper* clipper) override { calls.push_back("Release " + Name(clipper)); }
  void Release(Surface* surface) override { calls.push_back("Release " + Name(surface)); }
  void Release(DirectDraw* object) override { calls.push_back("Release " + Name(object)); }

  Window* CreateWindowEx(uint32_t exStyle, const char* title, uint32_t style, int32_t x, int32_t y, int32_t width,
                         int32_t height) override {
    calls.push_back("CreateWindowEx " + Hex(exStyle) + " \"" + title + "\" " + Hex(style) + " " +
                    (x == kUseDefault && y == kUseDefault ? "default" : "placed") + " " + std::to_string(width) +
                    "x" + std::to_string(height));
    style_ = style;
    exStyle_ = exStyle;
    return Handle<Window>("window");
  }
  uint32_t GetWindowLong(Window* window, int32_t index) override {
    calls.push_back("GetWindowLong " + Name(window) + " " + std::to_string(index));
    return index == kLongStyle ? style_ : index == kLongExStyle ? exStyle_ : 0;
  }
  bool HasMenu(Window* window) override {
    calls.push_back("GetMenu " + Name(window));
    return false;
  }
  // A frame 3 pixels wide with a caption 20 high, when the style has a border.
  Rect AdjustWindowRectEx(Rect rect, uint32_t style, bool menu, uint32_t exStyle) override {
    calls.push_back("AdjustWindowRectEx " + Text(rect) + " " + Hex(style) + " menu=" + std::to_string(menu) + " " +
                    Hex(exStyle));
    if (style == kStyleFixedFrame) rect = {rect.left - 3, rect.top - 23, rect.right + 3, rect.bottom + 3};
    return rect;
  }
  void SetWindowPos(Window* window, intptr_t insertAfter, int32_t x, int32_t y, int32_t width, int32_t height,
                    uint32_t flags) override {
    calls.push_back("SetWindowPos " + Name(window) + " " + std::to_string(insertAfter) + " " + std::to_string(x) +
                    "," + std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height) + " " +
                    Hex(flags));
  }
  void ShowWindow(Window* window, int32_t command) override {
    calls.push_back("ShowWindow " + Name(window) + " " + std::to_string(command));
  }
  void UpdateWindow(Window* window) override { calls.push_back("UpdateWindow " + Name(window)); }
  void DestroyWindow(Window* window) override { calls.push_back("DestroyWindow " + Name(window)); }
  Point ClientToScreen(Window* window, Point point) override {
    calls.push_back("ClientToScreen " + Name(window));
    return {point.x + windowOrigin.x, point.y + windowOrigin.y};
  }
  void ShowCursor(bool shown) override { calls.push_back("ShowCursor " + std::to_string(shown)); }
  void MessageBox(Window* owner, const char* text, const char* caption) override {
    calls.push_back("MessageBox " + Name(owner) + " " + text + " / " + (caption != nullptr ? caption : "(default)"));
  }

 private:
  template <typename T>
  T* Handle(const char* name) {
    names_.emplace_back(name);
    return reinterpret_cast<T*>(&names_.back());
  }
  template <typename T>
  static std::string Name(T* handle) {
    return handle != nullptr ? *reinterpret_cast<const std::string*>(handle) : "null";
  }
  Result Script(const std::string& name) {
    std::deque<Result>& results = script[name];
    if (results.empty()) return kOk;
    const Result result = results.front();
    results.pop_front();
    return result;
  }
  // Records the call; its result is scripted under the call's first word.
  Result Next(const std::string& call) {
    calls.push_back(call);
    return Script(call.substr(0, call.find(' ')));
  }

  std::deque<std::string> names_;
  uint32_t style_ = 0;
  uint32_t exStyle_ = 0;
};

const ShowWindowSpec kFullScreen = {"Test", 800, 600};
const ShowWindowSpec kWindowed = {"Windowed title", 640, 480};

const Strings kFullScreenCalls = {"CreateWindowEx 0x0 \"Test\" 0x80000000 default 800x600",
                                  "SetCooperativeLevel ddraw window 0x13",
                                  "SetDisplayMode 800x600x32",
                                  "CreateSurface flags=0x21 caps=0x218 back=1",
                                  "GetAttachedSurface primary 0x4"};
const Strings kWindowedCalls = {"CreateWindowEx 0x1 \"Windowed title\" 0x8a0000 default 640x480",
                                "GetWindowLong window -16",
                                "GetMenu window",
                                "GetWindowLong window -20",
                                "AdjustWindowRectEx 0,0,640,480 0x8a0000 menu=0 0x1",
                                "SetWindowPos window 0 0,0 646x506 0x16",
                                "SetWindowPos window -2 0,0 0x0 0x13",
                                "ShowWindow window 5",
                                "UpdateWindow window",
                                "SetCooperativeLevel ddraw window 0x8",
                                "CreateSurface flags=0x1 caps=0x200",
                                "CreateClipper",
                                "SetHWnd clipper window",
                                "SetClipper primary clipper",
                                "Release clipper",
                                "CreateSurface flags=0x7 caps=0x40 640x480"};

class DirectDrawSequence : public ::testing::Test {
 protected:
  // Creates the device and forgets the calls so far.
  void Created() {
    ASSERT_TRUE(video.Create().ok());
    port.calls.clear();
  }
  void Opened(bool windowed) {
    Created();
    ASSERT_TRUE((windowed ? video.OpenWindowed(kWindowed) : video.OpenFullScreen(kFullScreen, 32)).ok());
    port.calls.clear();
  }

  RecordingPort port;
  win32::DirectDrawVideo video{port};
};

TEST_F(DirectDrawSequence, TheDesktopAndEveryModeInTheDisplaysOrder) {
  ASSERT_TRUE(video.Create().ok());
  VideoMode desktop;
  ASSERT_TRUE(video.CurrentMode(desktop).ok());
  EXPECT_EQ(desktop.width, 1024);
  EXPECT_EQ(desktop.height, 768);
  EXPECT_EQ(desktop.layout.bitsPerPixel, 32);
  EXPECT_EQ(desktop.layout.redMask, 0xFF0000u);
  Strings seen;
  video.ForEachMode([&](const VideoMode& mode) {
    seen.push_back(std::to_string(mode.width) + "x" + std::to_string(mode.height) + "x" +
                   std::to_string(mode.layout.bitsPerPixel));
  });
  EXPECT_EQ(seen, (Strings{"640x480x16", "800x600x32"}));
  EXPECT_EQ(port.calls, (Strings{"DirectDrawCreate", "GetDisplayMode ddraw", "EnumDisplayModes ddraw 0x0"}));
}

TEST_F(DirectDrawSequence, WithoutADirectDrawObjectNothingElseReachesTheDisplay) {
  port.script["DirectDrawCreate"] = {kGenericError};
  const VideoStatus created = video.Create();
  EXPECT_FALSE(created.ok());
  EXPECT_EQ(created.step, VideoStep::kCreate);
  VideoMode desktop;
  const VideoStatus mode = video.CurrentMode(desktop);
  EXPECT_EQ(mode.step, VideoStep::kCurrentMode);
  EXPECT_EQ(mode.fault, VideoFault::kInvalidObject);
  video.ForEachMode([](const VideoMode&) { ADD_FAILURE() << "a mode without a display"; });
  video.Release();
  EXPECT_EQ(port.calls, (Strings{"DirectDrawCreate"}));
}

TEST_F(DirectDrawSequence, AFailedDesktopQueryNamesTheDisplaysReason) {
  const std::pair<Result, VideoFault> cases[] = {{kInvalidObject, VideoFault::kInvalidObject},
                                                 {kInvalidParams, VideoFault::kInvalidParams},
                                                 {kUnsupportedMode, VideoFault::kUnsupportedMode},
                                                 {kGenericError, VideoFault::kOther}};
  Created();
  for (const auto& [result, fault] : cases) {
    port.script["GetDisplayMode"] = {result};
    VideoMode desktop;
    const VideoStatus status = video.CurrentMode(desktop);
    EXPECT_EQ(status.step, VideoStep::kCurrentMode);
    EXPECT_EQ(status.fault, fault) << Hex(result);
    EXPECT_EQ(desktop.width, 0);
  }
}

TEST_F(DirectDrawSequence, FullScreenInItsOrder) {
  Created();
  EXPECT_TRUE(video.OpenFullScreen(kFullScreen, 32).ok());
  EXPECT_EQ(port.calls, kFullScreenCalls);
}

TEST_F(DirectDrawSequence, WindowedInItsOrderWithTheClientAreaOfTheMode) {
  Created();
  EXPECT_TRUE(video.OpenWindowed(kWindowed).ok());
  EXPECT_EQ(port.calls, kWindowedCalls);
}

struct FailureCase {
  const char* name;
  bool windowed;
  const char* call;  // the scripted call: its first word
  std::deque<Result> results;
  VideoStep step;
  size_t callsMade;  // of the path's calls, up to the failing one
};

class SetupFailure : public DirectDrawSequence, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SetupFailure, NamesItsStepAndStopsThere) {
  const FailureCase& c = GetParam();
  Created();
  port.script[c.call] = c.results;
  const VideoStatus status = c.windowed ? video.OpenWindowed(kWindowed) : video.OpenFullScreen(kFullScreen, 32);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.step, c.step);
  const Strings& path = c.windowed ? kWindowedCalls : kFullScreenCalls;
  EXPECT_EQ(port.calls, Strings(path.begin(), path.begin() + static_cast<ptrdiff_t>(c.callsMade)));
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, SetupFailure,
    ::testing::Values(
        FailureCase{"FullLevel", false, "SetCooperativeLevel", {kGenericError}, VideoStep::kCooperativeLevel, 2},
        FailureCase{"FullMode", false, "SetDisplayMode", {kUnsupportedMode}, VideoStep::kDisplayMode, 3},
        FailureCase{"FullPrimary", false, "CreateSurface", {kGenericError}, VideoStep::kPrimarySurface, 4},
        FailureCase{"FullBackBuffer", false, "GetAttachedSurface", {kGenericError}, VideoStep::kBackBuffer, 5},
        FailureCase{"WindowLevel", true, "SetCooperativeLevel", {kGenericError}, VideoStep::kCooperativeLevel, 10},
        FailureCase{"WindowPrimary", true, "CreateSurface", {kGenericError}, VideoStep::kPrimarySurface, 11},
        FailureCase{"WindowClipper", true, "CreateClipper", {kGenericError}, VideoStep::kClipper, 12},
        FailureCase{"WindowWork", true, "CreateSurface", {kOk, kGenericError}, VideoStep::kWorkSurface, 16}),
    [](const ::testing::TestParamInfo<FailureCase>& p) { return std::string(p.param.name); });

TEST_F(DirectDrawSequence, LocksTheWorkSurfaceWithACopyOfTheSetUpDescription) {
  Opened(true);
  WorkTarget target;
  ASSERT_EQ(video.Lock(target), Access::kOk);
  EXPECT_EQ(target.pixels, port.pixels.data());
  EXPECT_EQ(target.pitch, 3200);
  EXPECT_EQ(target.width, 640);
  EXPECT_EQ(target.height, 480);
  video.Unlock();
  // The second lock starts again from the set-up's description, not from what the first lock filled in.
  ASSERT_EQ(video.Lock(target), Access::kOk);
  EXPECT_EQ(port.calls, (Strings{"Lock work flags=0x7 caps=0x40 0x1", "Unlock work",
                                 "Lock work flags=0x7 caps=0x40 0x1"}));

  port.script["Lock"] = {kSurfaceLost, kGenericError};
  EXPECT_EQ(video.Lock(target), Access::kLost);
  EXPECT_EQ(video.Lock(target), Access::kFailed);
}

TEST_F(DirectDrawSequence, FullScreenLocksTheBackBufferAndBlitsOntoTheScreenAsItIs) {
  Opened(false);
  WorkTarget target;
  ASSERT_EQ(video.Lock(target), Access::kOk);
  EXPECT_EQ(target.width, 1024);  // the primary's description, as creating it filled it in
  video.Unlock();
  EXPECT_EQ(video.Present({0, 0, 320, 200}, {80, 0, 720, 600}), Access::kOk);
  EXPECT_EQ(port.calls, (Strings{"Lock back flags=0x21 caps=0x218 0x1", "Unlock back", "WaitForVerticalBlank ddraw 0x1",
                                 "Blt primary 80,0,720,600 from back 0,0,320,200 0x1000000"}));
}

TEST_F(DirectDrawSequence, AWindowPresentsAtItsClientAreasPlaceOnTheScreen) {
  Opened(true);
  EXPECT_EQ(video.Present({0, 0, 320, 200}, {0, 0, 640, 480}), Access::kOk);
  EXPECT_EQ(port.calls, (Strings{"ClientToScreen window", "ClientToScreen window", "WaitForVerticalBlank ddraw 0x1",
                                 "Blt primary 100,50,740,530 from work 0,0,320,200 0x1000000"}));
}

TEST_F(DirectDrawSequence, APresentReportsBusyLostAndFailedWithoutTryingAgain) {
  Opened(false);
  const std::pair<Result, Access> cases[] = {
      {kWasStillDrawing, Access::kBusy}, {kSurfaceLost, Access::kLost}, {kGenericError, Access::kFailed}};
  for (const auto& [result, access] : cases) {
    port.calls.clear();
    port.script["Blt"] = {result};
    EXPECT_EQ(video.Present({0, 0, 320, 200}, {0, 0, 800, 600}), access) << Hex(result);
    EXPECT_EQ(port.calls.size(), 2u);
  }
  port.calls.clear();
  video.Restore();
  EXPECT_EQ(port.calls, (Strings{"Restore primary"}));
}

TEST_F(DirectDrawSequence, ReleaseGoesNewestFirstAndOnlyOnce) {
  Opened(false);
  video.Release();
  video.Release();
  EXPECT_EQ(port.calls, (Strings{"Release back", "Release primary", "Release ddraw"}));
  port.calls.clear();
  Opened(true);
  video.Release();
  EXPECT_EQ(port.calls, (Strings{"Release work", "Release primary", "Release ddraw"}));
  // With nothing left, the device touches nothing.
  port.calls.clear();
  WorkTarget target;
  EXPECT_EQ(video.Lock(target), Access::kFailed);
  EXPECT_EQ(video.Present({0, 0, 320, 200}, {0, 0, 640, 480}), Access::kFailed);
  video.Unlock();
  video.Restore();
  EXPECT_TRUE(port.calls.empty());
}

TEST_F(DirectDrawSequence, ReleaseAfterAFailedSetUpReleasesWhatWasCreated) {
  Created();
  port.script["GetAttachedSurface"] = {kGenericError};
  EXPECT_FALSE(video.OpenFullScreen(kFullScreen, 32).ok());
  port.calls.clear();
  video.Release();
  EXPECT_EQ(port.calls, (Strings{"Release primary", "Release ddraw"}));
}

TEST_F(DirectDrawSequence, TheShowWindowIsShownDestroyedOnceAndOwnsTheBoxesAskedFor) {
  video.MessageBox("DirectDrawCreate error", "DDRAW ERROR", true);
  EXPECT_EQ(port.calls, (Strings{"MessageBox null DirectDrawCreate error / DDRAW ERROR"}));
  Opened(false);
  video.ShowCursor(false);
  video.ShowWindow();
  video.MessageBox("StopSong", nullptr, true);
  video.MessageBox("unowned", "caption", false);
  video.DestroyWindow();
  video.DestroyWindow();
  video.ShowWindow();
  video.MessageBox("after", nullptr, true);
  EXPECT_EQ(port.calls, (Strings{"ShowCursor 0", "ShowWindow window 10", "UpdateWindow window",
                                 "MessageBox window StopSong / (default)", "MessageBox null unowned / caption",
                                 "DestroyWindow window", "MessageBox null after / (default)"}));
}

}  // namespace
