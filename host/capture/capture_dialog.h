// The launch dialog of the capture program: its answers come from the command line.
#pragma once

#include "host/capture/capture_options.h"
#include "host/launch_dialog.h"

// Picks the full-screen mode of the output size at 32 bits per pixel and the sound setting; ends the program
// when the display offers no such mode.
class CaptureDialog : public LaunchDialog {
 public:
  explicit CaptureDialog(const CaptureOptions& options) : options_(options) {}
  int32_t RunModal() override;

 private:
  const CaptureOptions& options_;
};
