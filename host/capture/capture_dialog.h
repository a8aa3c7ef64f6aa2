// The launch dialog of the capture program: its answers come from the command line.
#pragma once

#include <cstdint>

#include "host/launch_dialog.h"

// Picks the full-screen mode of the output size at 32 bits per pixel and the sound setting; ends the program
// when the display offers no such mode.
class CaptureDialog : public LaunchDialog {
 public:
  CaptureDialog(int32_t width, int32_t height, bool nosound) : width_(width), height_(height), nosound_(nosound) {}
  int32_t RunModal() override;

 private:
  int32_t width_;
  int32_t height_;
  bool nosound_;
};
