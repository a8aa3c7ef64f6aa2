// What start-up asks of the launch dialog: run it modally and say whether the show should start.
#pragma once

#include <cstdint>

// A launch dialog reads modeTable[1 .. interfaceBlock.modeCount - 1] (display/display_mode.h) to offer the modes.
// When the user starts the show it writes interfaceBlock.windowed, soundOn and loopRequested and selectedMode,
// and returns kLaunchRunDemo; when the user leaves ("Exit", Escape, or the dialog cannot open) it writes nothing
// and returns any other value.
inline constexpr int32_t kLaunchRunDemo = 0;
inline constexpr int32_t kLaunchExit = 1;
// The choices given in advance (on the command line) cannot be met; the launch has said why. The program ends
// with exit status 2.
inline constexpr int32_t kLaunchBadChoice = 2;

class LaunchDialog {
 public:
  virtual ~LaunchDialog() = default;
  virtual int32_t RunModal() = 0;
};
