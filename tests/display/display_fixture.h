// A display over the recording fakes: clean state, a few modes, and a window class whose procedure tracks activation.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/interface_block.h"
#include "display/display_mode.h"
#include "display/display_setup.h"
#include "display/mode_list.h"
#include "display/pixel_conversion.h"
#include "display/presentation.h"
#include "platform/fakes/fake_platform.h"

namespace display_test {

inline int pumpRuns = 0;

inline intptr_t TestWindowProc(const platform::Message& message) {
  if (message.kind == platform::MessageKind::kActivateApp) appActive = static_cast<int32_t>(message.wParam);
  return platform::DefWindowProc(message);
}

inline platform::SurfaceDescription Mode(int32_t w, int32_t h, int32_t bits, uint32_t green = 0xFF00) {
  const uint32_t red = bits == 16 ? (green == 0x3E0 ? 0x7C00 : 0xF800) : 0xFF0000;
  const uint32_t blue = bits == 16 ? 0x1F : 0xFF;
  return fake::FakeState::Mode(w, h, bits, red, green, blue);
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ResetInterfaceBlock();
    ResetDisplayState();
    pumpRuns = 0;
    messagePump = [] { ++pumpRuns; };
    frameBuffer = frame.data();
    expandedFrame = expanded.data();
    fake::State().modes = {Mode(640, 480, 16, 0x7E0), Mode(320, 200, 32), Mode(800, 600, 32)};
    platform::RegisterWindowClass(kWindowClassName, TestWindowProc);
  }

  // Builds the list and picks the record of the given size and depth.
  void BuildAndSelect(int32_t width, int32_t height, int32_t depth) {
    ASSERT_EQ(BuildModeList(nullptr), 1);
    for (int32_t i = 1; i < interfaceBlock.modeCount; ++i) {
      if (modeTable[i].width == width && modeTable[i].height == height && modeTable[i].depth == depth) {
        selectedMode = i;
        return;
      }
    }
    FAIL() << "no such mode";
  }

  // Builds, selects and sets up, then forgets the calls so far.
  void ReadyDisplay(int32_t width, int32_t height, int32_t depth, bool windowed) {
    BuildAndSelect(width, height, depth);
    interfaceBlock.windowed = windowed ? 1 : 0;
    ASSERT_EQ(SetupDisplay(), 1);
    platform::ShowWindow(showWindow, platform::kShowDefault);
    fake::State().calls.clear();
  }

  static std::vector<std::string> Calls() { return fake::State().calls; }

  std::vector<uint8_t> frame = std::vector<uint8_t>(kFrameBytes, 0);
  std::vector<uint8_t> expanded = std::vector<uint8_t>(kExpandedFrameBytes, 0);
};

}  // namespace display_test
