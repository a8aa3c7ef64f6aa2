// The session over the recording fakes: a scripted launch view, stand-in shows, and a fresh fake for every test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/interface_block.h"
#include "host/session.h"
#include "tests/fakes/fake_platform.h"

namespace host_test {

using Strings = std::vector<std::string>;

inline Strings Concat(std::initializer_list<Strings> parts) {
  Strings all;
  for (const Strings& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

inline platform::VideoMode Mode(int32_t w, int32_t h, int32_t bits, uint32_t green = 0) {
  if (bits == 16) return {w, h, {16, 0xF800, green != 0 ? green : 0x7E0, 0x1F}};
  return {w, h, {bits, 0xFF0000, 0xFF00, 0xFF}};
}

// Chooses the line labelled wanted (or leaves through "Exit"), recording that it ran and what it was offered.
class ScriptedView : public platform::LaunchView {
 public:
  explicit ScriptedView(Strings& calls) : calls_(calls) {}
  platform::LaunchChoice Run(const platform::LaunchOffer& offer) override {
    calls_.push_back("LaunchView");
    offered = offer;
    platform::LaunchChoice choice{runDemo, offer.selection, windowed, false, nosound};
    for (size_t i = 0; i < offer.modes.size(); ++i) {
      if (offer.modes[i] == wanted) choice.item = static_cast<int32_t>(i);
    }
    return choice;
  }

  bool runDemo = true;
  bool windowed = false;
  bool nosound = false;
  std::string wanted = "800x600x32";
  platform::LaunchOffer offered;

 private:
  Strings& calls_;
};

// A picture file: the 54-byte header, then 200 rows of 320 blue-green-red pixels, first stored row on top.
inline std::vector<uint8_t> PictureFile(uint8_t blue, uint8_t topRowBlue) {
  std::vector<uint8_t> file(192054, 0);
  file[0] = 'B';
  file[1] = 'M';
  for (int i = 0; i < 64000; ++i) {
    const uint8_t b = i < 320 ? topRowBlue : blue;
    file[54 + 3 * i] = b;
    file[54 + 3 * i + 1] = 10;
    file[54 + 3 * i + 2] = 10;
  }
  return file;
}

// What the stand-in shows do, and what they saw.
struct ShowScript {
  int presents = 0;  // presents the show makes (the endless show ignores it)
  bool ran = false;
  bool hooksFilled = false;
  int presentsMade = 0;
  std::function<void(int present)> beforePresent;  // called with the number of the present about to be made
  std::function<void()> body;                      // replaces the presents when set
};
inline ShowScript script;

inline void ScriptedShow() {
  script.ran = true;
  script.hooksFilled = true;
  for (HookOperation hook : interfaceBlock.hooks) script.hooksFilled = script.hooksFilled && hook != nullptr;
  CallHook(kHookStartMusic);
  if (script.body) {
    script.body();
    return;
  }
  for (int i = 0; i < script.presents; ++i) {
    if (script.beforePresent) script.beforePresent(i);
    CallHook(kHookPresentFrame);
    ++script.presentsMade;
  }
}

// Presents until the session ends the show (or gives up after a bound, which fails the test).
inline void EndlessShow() {
  script.presents = 10000;
  ScriptedShow();
  ADD_FAILURE() << "the show was not ended";
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script = ShowScript{};
    fake.SetModes({Mode(1024, 768, 32), {Mode(640, 480, 16), Mode(800, 600, 32), Mode(800, 600, 16)}});
    fake.resources["XMFILE"] = std::vector<uint8_t>(79327, 1);
    for (int n = 1; n <= 4; ++n) fake.resources["OLKPIC" + std::to_string(n)] = PictureFile(100, 200);
  }
  int Run(ShowEntry show = ScriptedShow) {
    session = std::make_unique<HostSession>(
        Platform{fake.Video(), fake.Events(), fake.Ticker(), fake.Music()});
    session->SetObserver(observer);
    session->SetScreenshotTaker(screenshots);
    session->SetPictureScale(scale);
    return session->Run(view, preset, show);
  }
  // The calls from the first one that starts with prefix on.
  Strings CallsFrom(const std::string& prefix) const {
    const Strings& calls = fake.calls;
    for (size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].rfind(prefix, 0) == 0) return Strings(calls.begin() + static_cast<long>(i), calls.end());
    }
    return {};
  }
  // Every present ends with one pump.
  int Presents() const { return fake.Count("DispatchPending"); }

  fake::FakePlatform fake;
  ScriptedView view{fake.calls};
  LaunchPreset preset;
  FrameObserver* observer = nullptr;
  ScreenshotTaker screenshots;
  PictureScale scale = PictureScale::kNearest;
  std::unique_ptr<HostSession> session;
};

inline const Strings kBeforeDialog = {"Create", "CurrentMode", "ForEachMode", "LaunchView"};
inline const Strings kOpenSoundAndFullScreen = {"OpenDevice", "Load 79327", "ShowCursor 0",
                                                "OpenFullScreen Test 800x600x32"};
inline const Strings kShowWindowAndTicker = {"ShowWindow", "TickerStart 20"};
inline const Strings kFullPresent = {"Lock", "Unlock", "Present 0,0,800,600", "DispatchPending"};
inline const Strings kStartMusic = {"Play 0"};
inline const Strings kNormalEnd = {"Free", "CloseDevice", "Release"};
inline const Strings kQuitTeardown = {"Stop", "Free", "CloseDevice", "Release", "ShowCursor 1", "TickerStop"};

}  // namespace host_test
