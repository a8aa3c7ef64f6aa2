// The host over the recording fakes: a scripted launch dialog, stand-in shows, and clean state for every test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/interface_block.h"
#include "display/display_mode.h"
#include "host/host_main.h"
#include "host/launch_dialog.h"
#include "platform/fakes/fake_platform.h"

namespace host_test {

using Strings = std::vector<std::string>;

class ScriptedDialog : public LaunchDialog {
 public:
  int32_t result = kLaunchRunDemo;
  int32_t windowed = 0;
  int32_t soundOn = 1;
  int32_t width = 800, height = 600, depth = 32;

  int32_t RunModal() override {
    fake::State().calls.push_back("LaunchDialog");
    if (result != kLaunchRunDemo) return result;
    for (int32_t i = 1; i < interfaceBlock.modeCount; ++i) {
      if (modeTable[i].width == width && modeTable[i].height == height && modeTable[i].depth == depth) {
        selectedMode = i;
      }
    }
    interfaceBlock.windowed = windowed;
    interfaceBlock.loopRequested = 0;
    interfaceBlock.soundOn = soundOn;
    return kLaunchRunDemo;
  }
};

inline platform::SurfaceDescription Mode(int32_t w, int32_t h, int32_t bits) {
  return fake::FakeState::Mode(w, h, bits, bits == 16 ? 0xF800 : 0xFF0000, bits == 16 ? 0x7E0 : 0xFF00,
                               bits == 16 ? 0x1F : 0xFF);
}

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
  int presents = 0;         // presents the show makes (the endless show ignores it)
  bool ran = false;
  bool hooksFilled = false;
  int presentsMade = 0;
  std::function<void(int present)> beforePresent;  // called with the number of the present about to be made
};
inline ShowScript script;

inline void ScriptedShow() {
  script.ran = true;
  script.hooksFilled = true;
  for (HookOperation hook : interfaceBlock.hooks) script.hooksFilled = script.hooksFilled && hook != nullptr;
  CallHook(kHookStartMusic);
  for (int i = 0; i < script.presents; ++i) {
    if (script.beforePresent) script.beforePresent(i);
    CallHook(kHookPresentFrame);
    ++script.presentsMade;
  }
}

// Presents until the host ends the program (or gives up after a bound, which fails the test).
inline void EndlessShow() {
  script.presents = 10000;
  ScriptedShow();
  ADD_FAILURE() << "the show was not ended";
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ResetHostState();
    script = ShowScript{};
    fake::State().modes = {Mode(640, 480, 16), Mode(800, 600, 32), Mode(800, 600, 16)};
    fake::State().resources["XMFILE"] = std::vector<uint8_t>(79327, 1);
    for (int n = 1; n <= 4; ++n) fake::State().resources["OLKPIC" + std::to_string(n)] = PictureFile(100, 200);
  }
  int Run(ShowEntry show = ScriptedShow) { return HostMain(dialog, show); }
  // The calls from the first one that starts with prefix on.
  static Strings CallsFrom(const std::string& prefix) {
    const Strings& calls = fake::State().calls;
    for (size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].rfind(prefix, 0) == 0) return Strings(calls.begin() + static_cast<long>(i), calls.end());
    }
    return {};
  }

  ScriptedDialog dialog;
};

inline const std::string kFullBlit = "Blt primary 0,0,800,600 from back 0,0,320,200";
inline const Strings kFullPresent = {"Lock back", "Unlock back", "WaitForVerticalBlank", kFullBlit};
inline const Strings kQuitTeardown = {"PeekMessage quit", "StopSong song",   "FreeSong song",
                                      "SoundClose",       "Release back",    "Release primary",
                                      "Release display",  "ShowCursor 1",    "TimeKillEvent 7",
                                      "TimeEndPeriod 1",  "ExitProcess 0"};

}  // namespace host_test
