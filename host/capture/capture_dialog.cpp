// The capture's answers to the launch dialog: full screen, the output size at 32 bits, sound as asked.
#include "host/capture/capture_dialog.h"

#include <cstdio>

#include "core/interface_block.h"
#include "display/display_mode.h"

namespace {
constexpr int32_t kCaptureDepth = 32;
}

int32_t CaptureDialog::RunModal() {
  for (int32_t i = 1; i < interfaceBlock.modeCount; ++i) {
    const DisplayMode& mode = modeTable[i];
    if (mode.width == width_ && mode.height == height_ && mode.depth == kCaptureDepth) {
      selectedMode = i;
      interfaceBlock.windowed = 0;
      interfaceBlock.loopRequested = 0;
      interfaceBlock.soundOn = nosound_ ? 0 : 1;
      return kLaunchRunDemo;
    }
  }
  std::fprintf(stderr, "vesk-capture: the display offers no %dx%dx%d mode\n", width_, height_,
               kCaptureDepth);
  return kLaunchExit;
}
